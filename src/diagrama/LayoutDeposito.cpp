#include "diagrama/LayoutDeposito.h"

#include "layout/TextosCompactos.h"

#include <algorithm>
#include <utility>

namespace diagrama {

Estado EstadoDe(quint8 m) {
    if (m & MarcaTitulo) return Estado::Titulo;
    if (m & MarcaBloqueado) return Estado::Bloqueado;
    if (m & MarcaCompleta) return Estado::Completa;
    if (m & (MarcaReservado | MarcaConReserva)) return Estado::Reservado;
    if (m & MarcaPicking) return Estado::Picking;
    return Estado::Libre;
}

QString NombreEstado(Estado e) {
    switch (e) {
        case Estado::Libre:
            return QStringLiteral("Libre");
        case Estado::Picking:
            return QStringLiteral("Picking");
        case Estado::Reservado:
            return QStringLiteral("Reservada");
        case Estado::Completa:
            return QStringLiteral("Completa");
        case Estado::Bloqueado:
            return QStringLiteral("Bloqueada");
        case Estado::Titulo:
            return QStringLiteral("Título (agrupa)");
    }
    return QString();
}

// ------------------------------------------------------------------------------------- building

void LayoutDeposito::Comenzar(const NivelesLayout& niveles, qsizetype filasPrevistas) {
    niveles_ = niveles;
    nodos_.clear();
    textos_.clear();
    hijos_.clear();
    calles_.clear();
    unidades_ = QStringList{QString()};
    indiceUnidad_.clear();
    ultimaUnidad_.clear();
    indiceUltimaUnidad_ = 0;
    posiciones_ = 0;
    banda_ = -1;
    fuera_ = 0;
    avisos_.clear();
    std::fill(std::begin(porRol_), std::end(porRol_), 0);
    const size_t previstas = static_cast<size_t>(std::max<qsizetype>(0, filasPrevistas));
    nodos_.reserve(previstas + 8);
    textos_.reserve(previstas * 20);
    size_t tamano = 64;
    while (tamano < previstas * 2) tamano *= 2;
    tabla_.assign(tamano, -1);
    ocupadas_ = 0;
}

void LayoutDeposito::Anexar(QAnyStringView texto) {
    textos::Anexar(textos_, texto);
}

void LayoutDeposito::Recortar(size_t inicio) {
    auto blanco = [](char16_t c) { return QChar(c).isSpace(); };
    size_t fin = textos_.size();
    while (fin > inicio && blanco(textos_[fin - 1])) --fin;
    size_t desde = inicio;
    while (desde < fin && blanco(textos_[desde])) ++desde;
    if (desde > inicio)
        std::copy(textos_.begin() + static_cast<std::ptrdiff_t>(desde), textos_.begin() + static_cast<std::ptrdiff_t>(fin),
                  textos_.begin() + static_cast<std::ptrdiff_t>(inicio));
    textos_.resize(inicio + (fin - desde));
}

quint32 LayoutDeposito::Hash(QStringView codigo) {
    return textos::HashCodigo(codigo);
}

int LayoutDeposito::BuscarHash(QStringView codigo, quint32 hash) const {
    if (tabla_.empty()) return -1;
    const size_t mascara = tabla_.size() - 1;
    for (size_t i = hash & mascara;; i = (i + 1) & mascara) {
        const int n = tabla_[i];
        if (n < 0) return -1;
        if (Codigo(n).compare(codigo, Qt::CaseInsensitive) == 0) return n;
    }
}

void LayoutDeposito::Registrar(int nodo, quint32 hash) {
    if ((ocupadas_ + 1) * 2 > tabla_.size()) {
        std::vector<qint32> vieja(tabla_.size() * 2, -1);
        vieja.swap(tabla_);
        ocupadas_ = 0;
        for (const qint32 n : vieja)
            if (n >= 0) Registrar(n, Hash(Codigo(n)));
    }
    const size_t mascara = tabla_.size() - 1;
    size_t i = hash & mascara;
    while (tabla_[i] >= 0) i = (i + 1) & mascara;
    tabla_[i] = nodo;
    ++ocupadas_;
}

void LayoutDeposito::Agregar(QAnyStringView codigo, QAnyStringView descripcion, double capacidad, QAnyStringView unidad,
                             quint8 marcas) {
    Nodo n;
    n.texto = static_cast<quint32>(textos_.size());
    Anexar(codigo);
    Recortar(n.texto);
    n.largoCodigo = static_cast<qint32>(textos_.size() - n.texto);
    Anexar(descripcion);
    n.largoDescripcion = static_cast<qint32>(textos_.size() - n.texto - static_cast<size_t>(n.largoCodigo));
    n.capacidad = capacidad;
    n.marcas = marcas;

    // Units: a handful of codes, the same one row after row: only a change is looked up.
    unidad.visit([&](auto v) {
        using Vista = std::decay_t<decltype(v)>;
        QByteArray propia;
        QByteArrayView b;
        if constexpr (std::is_same_v<Vista, QStringView>) {
            propia = v.toUtf8();
        } else {
            propia = QByteArray::fromRawData(reinterpret_cast<const char*>(v.data()), v.size());
        }
        b = QByteArrayView(propia).trimmed();
        if (b == QByteArrayView(ultimaUnidad_)) return;
        ultimaUnidad_ = b.toByteArray();
        if (b.isEmpty()) {
            indiceUltimaUnidad_ = 0;
            return;
        }
        const QString u = QString::fromUtf8(b);
        auto it = indiceUnidad_.constFind(u);
        if (it == indiceUnidad_.constEnd()) {
            it = indiceUnidad_.insert(u, static_cast<quint32>(unidades_.size()));
            unidades_.append(u);
        }
        indiceUltimaUnidad_ = *it;
    });
    n.unidad = indiceUltimaUnidad_;

    const int id = static_cast<int>(nodos_.size());
    nodos_.push_back(n);
    ++posiciones_;
    const QStringView c = Codigo(id);
    const quint32 h = Hash(c);
    // A code that repeats another (the database compares them without letter case or trailing
    // blanks) cannot be told apart from it: it is drawn as irregular.
    if (c.isEmpty() || BuscarHash(c, h) >= 0)
        nodos_.back().clase = Clase::Irregular;
    else
        Registrar(id, h);
}

int LayoutDeposito::NodoVirtual(Clase clase, const QString& codigo, const QString& descripcion) {
    Nodo n;
    n.texto = static_cast<quint32>(textos_.size());
    Anexar(codigo);
    n.largoCodigo = static_cast<qint32>(codigo.size());
    Anexar(descripcion);
    n.largoDescripcion = static_cast<qint32>(descripcion.size());
    n.capacidad = std::nan("");
    n.marcas = MarcaTitulo;
    n.clase = clase;
    nodos_.push_back(n);
    return static_cast<int>(nodos_.size()) - 1;
}

int LayoutDeposito::RolDeNivel(int nivel) const {
    int r = 0;
    for (int j = 1; j <= nivel && j <= 4; ++j)
        if (niveles_.LongitudNivel[j] > 0) ++r;
    return std::max(1, r);
}

int LayoutDeposito::LargoPadre(int nivel, int largo) const {
    if (nivel < 2) return 0;
    const int p = niveles_.FinNivel[nivel - 1];
    return p > 0 && p < largo ? p : 0;
}

void LayoutDeposito::Terminar() {
    const int reales = static_cast<int>(nodos_.size());
    QHash<QString, int> ausentes;  // missing parent code -> the node standing for it
    int irregulares = -1;
    auto banda = [&] {
        if (banda_ < 0) banda_ = NodoVirtual(Clase::Banda, QString(), QStringLiteral("Fuera de los niveles"));
        return banda_;
    };

    // Level and parent of every row, by the level rule.
    for (int i = 0; i < reales; ++i) {
        const int largo = nodos_[i].largoCodigo;
        int nivel = 0;
        if (nodos_[i].clase != Clase::Irregular)
            for (int k = 1; k <= 4; ++k)
                if (largo == niveles_.FinNivel[k] && niveles_.LongitudNivel[k] > 0) {
                    nivel = k;
                    break;
                }
        nodos_[i].nivel = static_cast<quint8>(nivel);
        if (nivel == 0) {
            nodos_[i].clase = Clase::Irregular;
            if (irregulares < 0) {
                irregulares = NodoVirtual(Clase::Ausente, QString(), QStringLiteral("Códigos fuera de los niveles"));
                nodos_[irregulares].padre = banda();
            }
            nodos_[i].padre = irregulares;
            continue;
        }
        const int p = LargoPadre(nivel, largo);
        if (p == 0) continue;  // a first-level position: an aisle
        const QStringView padre = Codigo(i).left(p);
        const int encontrado = BuscarHash(padre, Hash(padre));
        if (encontrado >= 0) {
            nodos_[i].padre = encontrado;
            continue;
        }
        nodos_[i].clase = Clase::SinNivelSuperior;
        if (RolDeNivel(nivel) <= 2) {
            nodos_[i].padre = banda();  // it would be a rack: it is one, in the band
            continue;
        }
        const QString falta = padre.toString();
        auto it = ausentes.constFind(falta.toCaseFolded());
        if (it == ausentes.constEnd()) {
            const int a = NodoVirtual(Clase::Ausente, falta, QStringLiteral("no existe"));
            nodos_[a].padre = banda();
            it = ausentes.insert(falta.toCaseFolded(), a);
        }
        nodos_[i].padre = *it;
    }

    // Roles follow the chain of parents (at most four levels, each parent's code shorter).
    const int total = static_cast<int>(nodos_.size());
    for (int i = 0; i < total; ++i) {
        int r = 1;
        for (int p = nodos_[i].padre; p >= 0 && r < 8; p = nodos_[p].padre) ++r;
        nodos_[i].rol = static_cast<quint8>(std::min(r, 4));
        if (i < reales) {
            ++porRol_[nodos_[i].rol];
            bool enBanda = false;
            for (int p = nodos_[i].padre; p >= 0; p = nodos_[p].padre) enBanda |= p == banda_;
            if (enBanda) ++fuera_;
        }
    }

    // The child lists, in the order the rows came; a node standing for a missing parent takes the
    // place of the first row that waits for it.
    std::vector<std::pair<int, int>> aristas;  // (parent, child)
    aristas.reserve(static_cast<size_t>(total));
    std::vector<char> puesto(static_cast<size_t>(total), 0);
    auto poner = [&](auto&& self, int hijo) -> void {
        if (puesto[hijo]) return;
        puesto[hijo] = 1;
        const int p = nodos_[hijo].padre;
        if (p >= 0) {
            if (p >= reales) self(self, p);
            aristas.emplace_back(p, hijo);
        } else {
            calles_.push_back(hijo);
        }
    };
    for (int i = 0; i < reales; ++i) poner(poner, i);
    // The band goes after the aisles.
    if (banda_ >= 0) {
        calles_.erase(std::remove(calles_.begin(), calles_.end(), banda_), calles_.end());
        calles_.push_back(banda_);
    }
    for (const auto& [p, h] : aristas) ++nodos_[p].cantidadHijos;
    int suma = 0;
    for (Nodo& n : nodos_) {
        n.primerHijo = suma;
        suma += n.cantidadHijos;
        n.cantidadHijos = 0;
    }
    hijos_.assign(static_cast<size_t>(suma), -1);
    for (const auto& [p, h] : aristas) {
        Nodo& n = nodos_[p];
        nodos_[h].fila = n.cantidadHijos;
        hijos_[static_cast<size_t>(n.primerHijo + n.cantidadHijos++)] = h;
    }
    for (size_t i = 0; i < calles_.size(); ++i) nodos_[calles_[i]].fila = static_cast<int>(i);
    avisos_ = ArmarAvisos();
}

// ------------------------------------------------------------------------------------- queries

int LayoutDeposito::Buscar(QStringView codigo) const {
    const QStringView c = codigo.trimmed();
    if (c.isEmpty()) return -1;
    return BuscarHash(c, Hash(c));
}

std::vector<int> LayoutDeposito::Coincidencias(const QString& texto) const {
    const QString t = texto.trimmed();
    std::vector<int> r;
    if (t.isEmpty()) return r;
    std::vector<std::pair<int, int>> encontradas;  // (rank, node)
    for (int i = 0; i < posiciones_; ++i) {
        const QStringView c = Codigo(i);
        int rango = -1;
        if (c.compare(t, Qt::CaseInsensitive) == 0)
            rango = 0;
        else if (c.startsWith(t, Qt::CaseInsensitive))
            rango = 1;
        else if (c.contains(t, Qt::CaseInsensitive))
            rango = 2;
        else if (Descripcion(i).contains(t, Qt::CaseInsensitive))
            rango = 3;
        if (rango >= 0) encontradas.emplace_back(rango, i);
    }
    std::stable_sort(encontradas.begin(), encontradas.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    r.reserve(encontradas.size());
    for (const auto& e : encontradas) r.push_back(e.second);
    return r;
}

QString LayoutDeposito::PrefijoExistente(int n) const {
    const QStringView c = Codigo(n);
    for (qsizetype k = c.size() - 1; k > 0; --k)
        if (Buscar(c.left(k)) >= 0) return c.left(k).toString();
    return QString();
}

QString LayoutDeposito::PadreFaltante(int n) const {
    if (nodos_[n].clase != Clase::SinNivelSuperior) return QString();
    return Codigo(n).left(LargoPadre(nodos_[n].nivel, nodos_[n].largoCodigo)).toString();
}

QString LayoutDeposito::TituloNivel(int nivel) const {
    const QString t = nivel >= 1 && nivel <= 4 ? niveles_.TituloNivel[nivel].trimmed() : QString();
    return t.isEmpty() ? QStringLiteral("Nivel %1").arg(nivel) : t;
}

QString LayoutDeposito::TituloRol(int rol) const {
    for (int k = 1; k <= 4; ++k)
        if (niveles_.LongitudNivel[k] > 0 && RolDeNivel(k) == rol) return TituloNivel(k);
    return QStringLiteral("Nivel %1").arg(rol);
}

QString LayoutDeposito::PluralRol(int rol) const {
    for (int k = 1; k <= 4; ++k)
        if (niveles_.LongitudNivel[k] > 0 && RolDeNivel(k) == rol) {
            const QString p = niveles_.PluralNivel[k].trimmed();
            return p.isEmpty() ? TituloNivel(k) : p;
        }
    return QStringLiteral("Nivel %1").arg(rol);
}

QStringList LayoutDeposito::ArmarAvisos() const {
    QStringList r;
    const auto& n = niveles_;
    bool negativo = false, alguno = false;
    for (int k = 1; k <= 4; ++k) {
        negativo |= n.LongitudNivel[k] < 0;
        alguno |= n.LongitudNivel[k] > 0;
    }
    const QString longitudes = QStringLiteral("%1, %2, %3, %4")
                                   .arg(n.LongitudNivel[1])
                                   .arg(n.LongitudNivel[2])
                                   .arg(n.LongitudNivel[3])
                                   .arg(n.LongitudNivel[4]);
    if (!alguno)
        r << QStringLiteral(
            "Los niveles del layout no están configurados (LAYOUT_NIVEL1 a LAYOUT_NIVEL4 valen 0): "
            "ninguna posición tiene lugar en la estructura.");
    else if (negativo)
        r << QStringLiteral("La configuración de niveles no es válida (longitudes %1).").arg(longitudes);
    if (posiciones_ == 0) {
        r << QStringLiteral("El depósito no tiene posiciones.");
        return r;
    }
    int irregulares = 0, huerfanas = 0;
    for (int i = 0; i < posiciones_; ++i) {
        irregulares += nodos_[i].clase == Clase::Irregular;
        huerfanas += nodos_[i].clase == Clase::SinNivelSuperior;
    }
    if (irregulares > 0)
        r << QStringLiteral("%1 posición(es) con un código que no corresponde a los niveles configurados (%2).")
                 .arg(irregulares)
                 .arg(longitudes);
    if (huerfanas > 0) r << QStringLiteral("%1 posición(es) sin nivel superior.").arg(huerfanas);
    if (irregulares + huerfanas > 0) r << QStringLiteral("Se dibujan aparte, en la banda «Fuera de los niveles».");
    return r;
}

}  // namespace diagrama
