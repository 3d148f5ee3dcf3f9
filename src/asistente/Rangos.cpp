#include "asistente/Rangos.h"

#include "layout/QDL_RTLocator.h"

#include <QLocale>

#include <vector>

namespace asistente {

namespace {

QString NombreNivel(const NivelesLayout& n, int nivel) {
    const QString t = n.TituloNivel[nivel].trimmed();
    return t.isEmpty() ? QStringLiteral("%1").arg(nivel) : t;
}

QString Miles(qint64 n) {
    return QLocale(QLocale::Spanish).toString(n);
}

// The values of one level: each code as an integer (digits) or as a number in base 26 (letters).
struct Serie {
    qint64 desde = 0;
    qint64 hasta = 0;
    int paso = 1;
    int largo = 0;
    bool letras = false;

    qint64 Cantidad() const { return (hasta - desde) / paso + 1; }
    QString Codigo(qint64 v) const {
        if (!letras) return QString::number(v).rightJustified(largo, QLatin1Char('0'));
        QString r(largo, QLatin1Char('A'));
        for (int i = largo - 1; i >= 0; --i, v /= 26) r[i] = QChar(u'A' + static_cast<char16_t>(v % 26));
        return r;
    }
};

// Reads one end of a range; the message when the level cannot hold it.
QString LeerExtremo(const QString& texto, const char* cual, const QString& nivel, int largo, bool letras, qint64* valor) {
    const QString t = texto.trimmed().toUpper();
    if (letras) {
        bool ok = t.size() == largo;
        qint64 v = 0;
        for (const QChar c : t) {
            ok = ok && c >= QLatin1Char('A') && c <= QLatin1Char('Z');
            v = v * 26 + (c.unicode() - u'A');
        }
        if (!ok)
            return QStringLiteral("El %1 del nivel %2 debe tener %3 letra(s) de la A a la Z: \"%4\" no sirve.")
                .arg(QLatin1String(cual), nivel)
                .arg(largo)
                .arg(texto.trimmed());
        *valor = v;
        return {};
    }
    bool digitos = !t.isEmpty();
    for (const QChar c : t) digitos = digitos && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    if (!digitos)
        return QStringLiteral("El %1 del nivel %2 debe ser un numero: \"%3\" no lo es.")
            .arg(QLatin1String(cual), nivel, texto.trimmed());
    QString sinCeros = t;
    while (sinCeros.size() > 1 && sinCeros.startsWith(QLatin1Char('0'))) sinCeros.remove(0, 1);
    if (sinCeros.size() > largo)
        return QStringLiteral("El %1 del nivel %2 (%3) no cabe en %4 caracter(es): el mayor posible es %5.")
            .arg(QLatin1String(cual), nivel, t)
            .arg(largo)
            .arg(QString(largo, QLatin1Char('9')));
    *valor = sinCeros.toLongLong();
    return {};
}

}  // namespace

QString PlantillaPorDefecto(int nivel, int ultimo) {
    return nivel < ultimo ? QStringLiteral("{titulo} {codigo}") : QStringLiteral("{titulo} {numero}");
}

namespace {

// A description template read once: its literal pieces and its fields, for the thousands of
// positions of a level.
class Plantilla {
public:
    explicit Plantilla(const QString& plantilla) {
        for (qsizetype i = 0; i < plantilla.size(); ++i) {
            const QChar c = plantilla[i];
            if (c == QLatin1Char('{')) {
                const qsizetype fin = plantilla.indexOf(QLatin1Char('}'), i);
                const QStringView campo = fin < 0 ? QStringView() : QStringView(plantilla).mid(i + 1, fin - i - 1);
                auto es = [&](const char* n) { return campo.compare(QLatin1String(n), Qt::CaseInsensitive) == 0; };
                const Campo k = es("titulo")     ? Campo::Titulo
                                : es("codigo")   ? Campo::Codigo
                                : es("numero")   ? Campo::Numero
                                : es("posicion") ? Campo::Posicion
                                                 : Campo::Literal;
                if (k != Campo::Literal) {
                    partes_.push_back({k, {}});
                    i = fin;
                    continue;
                }
            }
            // Not a field: the brace stands for itself.
            if (partes_.empty() || partes_.back().campo != Campo::Literal) partes_.push_back({Campo::Literal, {}});
            partes_.back().texto += c;
        }
    }

    QString Aplicar(const QString& titulo, QStringView segmento, QStringView codigo) const {
        qsizetype ceros = 0;
        while (ceros + 1 < segmento.size() && segmento[ceros] == QLatin1Char('0')) ++ceros;
        qsizetype largo = 0;
        for (const Parte& p : partes_) largo += Pieza(p, titulo, segmento, codigo, ceros).size();
        QString r;
        r.reserve(largo);
        for (const Parte& p : partes_) r += Pieza(p, titulo, segmento, codigo, ceros);
        return r.trimmed();
    }

private:
    enum class Campo { Literal, Titulo, Codigo, Numero, Posicion };
    struct Parte {
        Campo campo;
        QString texto;
    };
    static QStringView Pieza(const Parte& p, const QString& titulo, QStringView segmento, QStringView codigo, qsizetype ceros) {
        switch (p.campo) {
            case Campo::Titulo:
                return titulo;
            case Campo::Codigo:
                return segmento;
            case Campo::Numero:
                return segmento.mid(ceros);
            case Campo::Posicion:
                return codigo;
            default:
                return p.texto;
        }
    }
    std::vector<Parte> partes_;
};

}  // namespace

QString Describir(const QString& plantilla, const QString& titulo, const QString& segmento, const QString& codigo) {
    return Plantilla(plantilla).Aplicar(titulo, segmento, codigo);
}

QString RecorrerRangos(const NivelesLayout& n, const QVector<RangoNivel>& rangos, const ValoresImputables& v, qint64 maximo,
                       int largoDescripcion, const std::function<void(qint64)>& inicio,
                       const std::function<bool(FilaPosicion&)>& fila) {
    QString error;
    const int niveles = static_cast<int>(rangos.size());
    if (niveles < 1 || niveles > 4 || n.LongitudNivel[niveles] <= 0) {
        return QStringLiteral("No hay niveles configurados para crear (LAYOUT_NIVEL1 .. LAYOUT_NIVEL4).");
    }
    QVector<Serie> series(niveles);
    qint64 total = 0, producto = 1;
    QString codigoEjemplo;
    for (int k = 1; k <= niveles; ++k) {
        const RangoNivel& rango = rangos[k - 1];
        Serie& s = series[k - 1];
        const QString nombre = NombreNivel(n, k);
        s.largo = n.LongitudNivel[k];
        s.letras = rango.letras;
        s.paso = rango.paso;
        if (rango.desde.trimmed().isEmpty() || rango.hasta.trimmed().isEmpty()) {
            return QStringLiteral("Complete el desde y el hasta del nivel %1.").arg(nombre);
        }
        if (s.largo <= 0) {
            return QStringLiteral("El nivel %1 no tiene caracteres en la configuracion.").arg(nombre);
        }
        if (s.letras && s.largo > 2) {
            return QStringLiteral("El nivel %1 tiene %2 caracteres: las letras solo sirven para niveles de 1 o 2.")
                .arg(nombre)
                .arg(s.largo);
        }
        if (s.paso < 1) {
            return QStringLiteral("El paso del nivel %1 debe ser 1 o mayor.").arg(nombre);
        }
        if (!(error = LeerExtremo(rango.desde, "desde", nombre, s.largo, s.letras, &s.desde)).isEmpty()) return error;
        if (!(error = LeerExtremo(rango.hasta, "hasta", nombre, s.largo, s.letras, &s.hasta)).isEmpty()) return error;
        if (s.hasta < s.desde) {
            return QStringLiteral("El hasta del nivel %1 (%2) es anterior al desde (%3).")
                .arg(nombre, s.Codigo(s.hasta), s.Codigo(s.desde));
        }
        producto *= s.Cantidad();
        total += producto;
        if (total > maximo) {
            return QStringLiteral("Los rangos crearian mas de %1 posiciones, el maximo de una vez. Divida el trabajo en partes.")
                .arg(Miles(maximo));
        }
        codigoEjemplo += s.Codigo(s.hasta);
        const QString ejemplo = Describir(rango.plantilla, n.TituloNivel[k], s.Codigo(s.hasta), codigoEjemplo);
        if (largoDescripcion > 0 && ejemplo.size() > largoDescripcion) {
            return QStringLiteral("La descripcion del nivel %1 (\"%2\") tiene %3 caracteres; la columna admite %4.")
                .arg(nombre, ejemplo)
                .arg(ejemplo.size())
                .arg(largoDescripcion);
        }
    }

    // The values of headings and of storable positions, each text made once and shared by all.
    FilaPosicion titulo, imputable;
    const QString uno = QStringLiteral("1"), cero = QStringLiteral("0");
    for (int c = 0; c < kColumnas; ++c) {
        titulo.Poner(c, QString());
        imputable.Poner(c, QString());
    }
    titulo.Poner(Habilitado, uno);
    for (int c : {Reservado, Completa, Picking}) titulo.Poner(c, cero);
    titulo.Poner(Titulo, uno);
    imputable.Poner(Capacidad, v.capacidad);
    imputable.Poner(IdUnidad, v.unidad);
    imputable.Poner(OrdenIngreso, v.ordenIngreso);
    imputable.Poner(Habilitado, v.habilitado ? uno : cero);
    imputable.Poner(Reservado, v.reservado ? uno : cero);
    imputable.Poner(Completa, v.completa ? uno : cero);
    imputable.Poner(Picking, v.picking ? uno : cero);
    imputable.Poner(Titulo, cero);
    if (v.columnaReserva >= IdRubro && v.columnaReserva <= IdFamilia) imputable.Poner(v.columnaReserva, v.reserva);

    if (inicio) inicio(total);
    // The codes of each level, made once: the lower levels repeat them under every parent.
    QVector<QStringList> segmentos(niveles);
    for (int k = 1; k <= niveles; ++k) {
        const Serie& s = series[k - 1];
        for (qint64 x = s.desde; x <= s.hasta; x += s.paso) segmentos[k - 1] << s.Codigo(x);
    }
    std::vector<Plantilla> plantillas;
    for (int k = 1; k <= niveles; ++k) plantillas.emplace_back(rangos[k - 1].plantilla);
    std::vector<QString> prefijos(static_cast<size_t>(niveles) + 1);
    // Depth first: each code right after its parent, so the result is in code order.
    auto agregar = [&](auto&& self, int k) -> bool {
        const RangoNivel& rango = rangos[k - 1];
        const Plantilla& plantilla = plantillas[static_cast<size_t>(k - 1)];
        QString& prefijo = prefijos[static_cast<size_t>(k)];
        for (const QString& segmento : std::as_const(segmentos[k - 1])) {
            prefijo = prefijos[static_cast<size_t>(k - 1)] + segmento;
            FilaPosicion f = rango.titulo ? titulo : imputable;
            f.Poner(IdPosicion, prefijo);
            f.Poner(Descripcion, plantilla.Aplicar(n.TituloNivel[k], segmento, prefijo));
            if (!fila(f) || (k < niveles && !self(self, k + 1))) return false;
        }
        return true;
    };
    agregar(agregar, 1);
    return {};
}

ResultadoRangos ExpandirRangos(const NivelesLayout& n, const QVector<RangoNivel>& rangos, const ValoresImputables& v,
                               qint64 maximo, int largoDescripcion) {
    ResultadoRangos r;
    r.error = RecorrerRangos(
        n, rangos, v, maximo, largoDescripcion, [&](qint64 total) { r.filas.reserve(total); },
        [&](FilaPosicion& f) {
            r.filas.push_back(std::move(f));
            return true;
        });
    return r;
}

}  // namespace asistente
