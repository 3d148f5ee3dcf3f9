#include "asistente/PlanAsistente.h"

#include "asistente/Rangos.h"
#include "db/DB_Dll.h"
#include "layout/QDL_RTLocator.h"
#include "layout/TextosCompactos.h"
#include "layout/ValoresPosicion.h"
#include "services/FuncionesComunes.h"

#include <algorithm>
#include <cmath>

namespace asistente {

namespace {

FuncionesComunes& FC() {
    return FuncionesComunes::instancia();
}

const QString kNull = QStringLiteral("Null");
const QString kUno = QStringLiteral("1");
const QString kCero = QStringLiteral("0");

// The code tables of the related columns, with the editor's messages.
struct Relacion {
    int columna;
    const char* tabla;
    const char* clave;
    const char* mensaje;
};
const Relacion kRelaciones[] = {
    {IdUnidad, "V_TA_Unidad", "idunidad", "Codigo de Unidad Inexistente!"},
    {IdRubro, "V_TA_Rubros", "IdRubro", "Codigo de Rubro Inexistente!"},
    {IdTipo, "V_TA_TipoArticulo", "IdTipo", "Marca de Articulo Inexistente!"},
    {IdFamilia, "V_TA_Familias", "IdFamilia", "Familia Inexistente!"},
    {IdArticulo, "V_MA_Articulos", "IdArticulo", "Codigo de Articulo Inexistente!"},
};
const int kReservas[] = {IdRubro, IdTipo, IdFamilia, IdArticulo};

// A flag as a file may write it; empty: not a flag.
QString Marca(const QString& texto) {
    // What the ranges and the editor's export write.
    if (texto.size() == 1 && (texto[0] == QLatin1Char('0') || texto[0] == QLatin1Char('1')))
        return texto[0] == QLatin1Char('1') ? kUno : kCero;
    const QString t = texto.trimmed().toUpper();
    if (t.isEmpty() || t == QLatin1String("0") || t == QLatin1String("NO") || t == QLatin1String("FALSO") ||
        t == QLatin1String("FALSE"))
        return kCero;
    if (t == QLatin1String("1") || t == QLatin1String("-1") || t == QLatin1String("SI") || t == QLatin1String("SÍ") ||
        t == QLatin1String("VERDADERO") || t == QLatin1String("TRUE"))
        return kUno;
    return QString();
}

// A number as an operator writes it: digits with one decimal separator, a point or a comma.
bool EsNumero(const QString& texto, double* valor) {
    QString t = texto.trimmed();
    if (t.count(QLatin1Char(',')) == 1 && !t.contains(QLatin1Char('.'))) t.replace(QLatin1Char(','), QLatin1Char('.'));
    if (!FC().EsNumerico(t)) return false;
    bool ok = false;
    *valor = t.toDouble(&ok);
    return ok && std::isfinite(*valor);
}

bool TieneControl(const QString& t) {
    for (const QChar c : t)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) return true;
    return false;
}

int UltimoNivel(const NivelesLayout& n) {
    int k = 4;
    while (k > 1 && n.LongitudNivel[k] <= 0) --k;
    return k;
}

}  // namespace

const QString& Entrada::Valor(int c) const {
    static const QString kNada;
    if (c == IdPosicion) return codigo;
    if (c == Descripcion) return descripcion;
    return resto ? (*resto)[static_cast<size_t>(c)] : kNada;
}

bool IgualSinCaso(QStringView a, QStringView b) {
    if (a.size() != b.size()) return false;
    // ASCII folded here; the general case tables only from the first other character on.
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x == y) continue;
        if (x >= 0x80 || y >= 0x80) return a.mid(i).compare(b.mid(i), Qt::CaseInsensitive) == 0;
        if (x >= u'A' && x <= u'Z') x += 32;
        if (y >= u'A' && y <= u'Z') y += 32;
        if (x != y) return false;
    }
    return true;
}

void IndiceCodigos::Limpiar(size_t previstos) {
    enOrden_ = true;
    previstos_ = previstos;
    filas_.clear();
    filas_.reserve(previstos);
    tabla_.clear();
    ocupadas_ = 0;
}

void IndiceCodigos::Tabla(size_t previstos) {
    size_t tamano = 64;
    while (tamano < previstos * 2) tamano *= 2;
    tabla_.assign(tamano, Ranura());
}

quint32 IndiceCodigos::Hash(QStringView codigo) {
    return textos::HashCodigo(codigo);
}

void IndiceCodigos::Crecer() {
    std::vector<Ranura> vieja;
    vieja.swap(tabla_);
    Tabla(std::max<size_t>(ocupadas_ + 1, vieja.size()));
    const size_t mascara = tabla_.size() - 1;
    for (const Ranura& r : vieja) {
        if (r.fila < 0) continue;
        size_t i = r.hash & mascara;
        while (tabla_[i].fila >= 0) i = (i + 1) & mascara;
        tabla_[i] = r;
    }
}

bool PlanAsistente::Preparar(const QString& deposito, QString* error) {
    deposito_ = FC().FormatoLongitud(deposito.trimmed(), 4);
    existentes_.clear();
    indiceExistentes_.Limpiar();
    for (auto& h : existeCodigo_) h.clear();
    auto& db = gBaseDatos();
    auto fallo = [&](const QString& que) {
        const auto& errores = db.gCnn().Errors();
        if (error)
            *error =
                QStringLiteral("No se pudieron leer %1: %2")
                    .arg(que, errores.Count() > 0 ? errores.Item(0).Description : QStringLiteral("error de la base de datos"));
        return false;
    };
    db.gCnn().Errors().Clear();
    driver::Recordset rs;
    // The column types and sizes, as the editor's save reads them from its record set.
    db.AbrirRecordset(QStringLiteral("SELECT TOP 1 * FROM MA_POSICIONES"), rs, driver::adOpenForwardOnly, driver::adLockReadOnly);
    if (rs.State() == driver::adStateClosed) return fallo(QStringLiteral("las columnas de MA_POSICIONES"));
    std::array<int, kColumnas> indice{};
    for (int c = 0; c < kColumnas; ++c) {
        indice[c] = -1;
        for (int i = 0; i < rs.FieldCount(); ++i)
            if (rs.Fields(i).Name.compare(NombreColumna(c), Qt::CaseInsensitive) == 0) indice[c] = i;
        if (indice[c] < 0) {
            if (error) *error = QStringLiteral("La tabla MA_POSICIONES no tiene la columna %1.").arg(NombreColumna(c));
            db.CierraRecordset(rs);
            return false;
        }
        tipos_[c] = rs.Fields(indice[c]).Type;
        tamanos_[c] = static_cast<int>(rs.Fields(indice[c]).DefinedSize);
        esTexto_[c] = DB_Dll::ADOText(tipos_[c]);
    }
    db.CierraRecordset(rs);
    hayUltimo_.fill(false);
    hayDetalle_ = false;
    ultimoResto_.reset();

    db.AbrirRecordset(QStringLiteral("SELECT * FROM MA_POSICIONES WHERE IdDeposito = '") + TextoSql(deposito_) +
                          QStringLiteral("' ORDER BY IdPosicion"),
                      rs, driver::adOpenForwardOnly, driver::adLockReadOnly);
    if (rs.State() == driver::adStateClosed) return fallo(QStringLiteral("las posiciones del deposito"));
    for (int c = 0; c < kColumnas; ++c)
        for (int i = 0; i < rs.FieldCount(); ++i)
            if (rs.Fields(i).Name.compare(NombreColumna(c), Qt::CaseInsensitive) == 0) indice[c] = i;
    existentes_.reserve(static_cast<qsizetype>(rs.RecordCount()));
    while (!rs.EOF_()) {
        Existente e;
        for (int c = 0; c < kColumnas; ++c) {
            const QVariant v = rs.Fields(indice[c]).Value;
            if (EsMarca(c))
                e.valor[c] = !v.isNull() && v.toBool() ? kUno : kCero;
            else
                e.valor[c] = ValorEscrito(c, FC().TextoCampo(v));
        }
        e.codigo = FC().TextoCampo(rs.Fields(indice[IdPosicion]).Value);
        e.valor[IdPosicion] = e.codigo.trimmed();
        e.valor[IdDeposito] = deposito_;
        existentes_.push_back(std::move(e));
        // The first of a code, as a look-up of the database finds one.
        indiceExistentes_.Agregar(existentes_.back().valor[IdPosicion], static_cast<int>(existentes_.size() - 1),
                                  CodigoExistente());
        rs.MoveNext();
    }
    db.CierraRecordset(rs);
    return true;
}

QString PlanAsistente::ValorEscrito(int c, const QString& texto) const {
    // A text that needs neither trimming nor cutting is written as it is: every description of a
    // job is another text, and this is most of them.
    if (esTexto_[c] && !texto.isEmpty() && (tamanos_[c] <= 0 || texto.size() <= tamanos_[c]) && !texto.front().isSpace() &&
        !texto.back().isSpace() && !texto.contains(QLatin1Char('\'')))
        return texto;
    if (hayUltimo_[c] && ultimoTexto_[c] == texto) return ultimoValor_[c];
    QString v = ValorColumnaPosicion(NombreColumna(c), tipos_[c], tamanos_[c], texto);
    // What AgregaCampo would leave of it: no quote is ever written. Only a text with one is
    // touched: removing makes a copy of a text shared with the row.
    if (v.contains(QLatin1Char('\''))) v.remove(QLatin1Char('\''));
    ultimoTexto_[c] = texto;
    ultimoValor_[c] = v;
    hayUltimo_[c] = true;
    return v;
}

bool PlanAsistente::ExisteCodigo(int columna, const QString& valor) {
    const QString clave = valor.trimmed().toUpper();
    auto& memoria = existeCodigo_[columna];
    const auto it = memoria.constFind(clave);
    if (it != memoria.constEnd()) return it.value();
    bool existe = false;
    for (const Relacion& r : kRelaciones)
        if (r.columna == columna)
            // The suite never stores a quote, so a code holding one cannot exist.
            existe = !valor.contains(QLatin1Char('\'')) && valor.trimmed().size() <= tamanos_[columna] &&
                     gBaseDatos().ExisteEnTabla(QString::fromLatin1(r.tabla), valor.trimmed(), QString::fromLatin1(r.clave),
                                                nullptr, 8, QString(), true);
    memoria.insert(clave, existe);
    return existe;
}

// The checks of one row on its own, in the order the editor makes them; the reason it is refused,
// empty when it passes.
QString PlanAsistente::Revisar(const FilaPosicion& f, const QString& codigo) {
    const NivelesLayout& n = gNiveles();
    if (!f.problema.isEmpty()) return f.problema;
    // The values the last row that passed had hold no control character either.
    const bool mismo = hayDetalle_ && f.MismoResto(ultimoDetalle_);
    for (int c = 0; c < kColumnas; ++c)
        if (f.Tiene(c) && (!mismo || c == IdPosicion || c == Descripcion) && TieneControl(f.Valor(c)))
            return QStringLiteral("la columna %1 tiene caracteres de control (NUL, saltos de linea, tabuladores)")
                .arg(NombreColumna(c));
    if (codigo.isEmpty()) return QStringLiteral("Debe informar el Codigo!");
    if (codigo.size() > n.LongitudTotal)
        return QStringLiteral("Codigo Incorrecto, Supera Longitud permitida! (%1 caracteres, el maximo es %2)")
            .arg(codigo.size())
            .arg(n.LongitudTotal);
    if (n.NivelDeLargo(codigo.size()) == 0) {  // the editor's LongitudValida, on a trimmed code
        QStringList fines;
        for (int k = 1; k <= 4; ++k)
            if (n.LongitudNivel[k] > 0) fines << QString::number(n.FinNivel[k]);
        return QStringLiteral("Cantidad de Digitos Incorrecto! (%1 caracteres; los niveles tienen %2)")
            .arg(codigo.size())
            .arg(fines.join(QStringLiteral(", ")));
    }
    if (codigo.contains(QLatin1Char('\''))) return QStringLiteral("Codigo Incorrecto, no puede contener comillas!");
    return RevisarDetalle(f, mismo);
}

QString PlanAsistente::RevisarDetalle(const FilaPosicion& f) {
    return RevisarDetalle(f, hayDetalle_ && f.MismoResto(ultimoDetalle_));
}

QString PlanAsistente::RevisarDetalle(const FilaPosicion& f, bool mismo) {
    const QStringView descripcion = QStringView(f.Valor(Descripcion)).trimmed();
    if (tamanos_[Descripcion] > 0 && descripcion.size() > tamanos_[Descripcion])
        return QStringLiteral("la Descripcion tiene %1 caracteres; la columna admite %2")
            .arg(descripcion.size())
            .arg(tamanos_[Descripcion]);
    // The rest reads neither the code nor the description: the same values pass again.
    if (mismo) return {};
    double numero = 0;
    const QString capacidad = f.Valor(Capacidad).trimmed();
    if (!capacidad.isEmpty()) {
        if (!EsNumero(capacidad, &numero)) return QStringLiteral("la Capacidad no es un numero: \"%1\"").arg(capacidad.left(30));
        if (numero < 0) return QStringLiteral("La capacidad debe ser Mayor o igual a 0");
        if (numero >= 1e16)
            return QStringLiteral("la Capacidad %1 es mayor que lo que la columna admite").arg(capacidad.left(30));
    }
    const QString orden = f.Valor(OrdenIngreso).trimmed();
    if (!orden.isEmpty()) {
        if (!EsNumero(orden, &numero))
            return QStringLiteral("Debe Ingresar un valor Numerico (Orden Ingreso: \"%1\")").arg(orden.left(30));
        if (numero != std::floor(numero) || std::fabs(numero) > 2147483647.0)
            return QStringLiteral("el Orden Ingreso debe ser un numero entero: \"%1\"").arg(orden);
    }
    for (int c = Habilitado; c <= Titulo; ++c)
        if (f.Tiene(c) && Marca(f.Valor(c)).isEmpty())
            return QStringLiteral("%1 debe ser 0 o 1: \"%2\"").arg(NombreColumna(c), f.Valor(c).trimmed().left(30));
    int reservas = 0;
    for (int c : kReservas)
        if (!f.Valor(c).trimmed().isEmpty()) ++reservas;
    if (reservas > 1)
        return QStringLiteral("tiene mas de una reserva: Complete una de las 4 opciones (Rubro, Marca, Familia, Articulo)");
    for (const Relacion& r : kRelaciones)
        if (!f.Valor(r.columna).trimmed().isEmpty() && !ExisteCodigo(r.columna, f.Valor(r.columna)))
            return QStringLiteral("%1 (%2 \"%3\")")
                .arg(QLatin1String(r.mensaje), NombreColumna(r.columna), f.Valor(r.columna).trimmed().left(30));
    ultimoDetalle_ = f;
    hayDetalle_ = true;
    return {};
}

void PlanAsistente::Valores(const FilaPosicion& f, bool nueva, Entrada& e) {
    const NivelesLayout& n = gNiveles();
    // Every UPDATE also sets the code and the warehouse, as the editor's save does.
    e.columnas = (nueva ? (1u << kColumnas) - 1 : f.presentes) | (1u << IdPosicion) | (1u << IdDeposito);
    if (nueva || f.Tiene(Descripcion)) e.descripcion = ValorEscrito(Descripcion, f.Valor(Descripcion));
    // Without a heading column, every level but the last groups positions, as the suite's
    // layouts do.
    const bool titulo = nueva && !f.Tiene(Titulo) && n.NivelDeLargo(e.codigo.size()) < UltimoNivel(n);
    if (ultimoResto_ && restoNueva_ == nueva && restoTitulo_ == titulo && f.MismoResto(restoDe_)) {
        e.resto = ultimoResto_;
        return;
    }
    auto v = std::make_shared<ValoresColumnas>();
    for (int c = 0; c < kColumnas; ++c) {
        const bool dado = f.Tiene(c);
        if (c == IdPosicion || c == Descripcion || (!dado && !nueva)) continue;
        QString& x = (*v)[static_cast<size_t>(c)];
        if (c == IdDeposito) {
            x = deposito_;
        } else if (EsMarca(c)) {
            if (dado)
                x = Marca(f.Valor(c));
            else if (c == Habilitado)
                x = kUno;  // the table's default: a new position is enabled
            else
                x = c == Titulo && titulo ? kUno : kCero;
        } else {
            x = ValorEscrito(c, dado ? f.Valor(c) : QString());
        }
    }
    (*v)[IdDeposito] = deposito_;
    ultimoResto_ = std::move(v);
    restoDe_ = f;
    restoNueva_ = nueva;
    restoTitulo_ = titulo;
    e.resto = ultimoResto_;
}

const ValoresColumnas* PlanAsistente::Efectivos(QStringView codigo) const {
    const int en = indiceEntradas_.Buscar(codigo, CodigoEntrada());
    // A new warehouse has no positions: its codes are not hashed a second time.
    const int ex = indiceExistentes_.Buscar(codigo, CodigoExistente());
    if (en >= 0) {
        const Entrada& e = entradas_[en];
        if (e.estado == Estado::Nueva) return e.resto.get();
        if (e.estado == Estado::Cambiada && actualizar_ && ex >= 0) {
            // An update writes only some columns: the rest stay as stored.
            static thread_local ValoresColumnas mezcla;
            const Existente& x = existentes_[ex];
            for (int c = 0; c < kColumnas; ++c) mezcla[c] = (e.columnas & (1u << c)) ? e.Valor(c) : x.valor[c];
            return &mezcla;
        }
    }
    return ex < 0 ? nullptr : &existentes_[ex].valor;
}

bool PlanAsistente::Armar(const QVector<FilaPosicion>& filas, bool actualizar, const std::function<bool(qint64)>& avance) {
    Comenzar(actualizar, filas.size());
    for (qsizetype i = 0; i < filas.size(); ++i) {
        if (avance && i > 0 && i % kFilasPorAvance == 0 && !avance(i)) return false;
        Agregar(filas[i]);
    }
    Terminar();
    return true;
}

void PlanAsistente::Comenzar(bool actualizar, qint64 previstas) {
    actualizar_ = actualizar;
    entradas_.clear();
    indiceEntradas_.Limpiar(static_cast<size_t>(previstas));
    std::fill(std::begin(cuentas_), std::end(cuentas_), 0);
    padresCreados_ = 0;
    entradas_.reserve(static_cast<qsizetype>(previstas));
}

void PlanAsistente::Agregar(const FilaPosicion& f) {
    // Each row on its own; a code given twice keeps its first line.
    Entrada e;
    e.linea = f.linea;
    e.codigo = f.Valor(IdPosicion).trimmed();
    // A row of another warehouse (a whole-table export holds them all) is no position of this
    // job: it is refused and does not take the code from this warehouse's row.
    if (f.Tiene(IdDeposito) && !f.Valor(IdDeposito).trimmed().isEmpty() &&
        FC().FormatoLongitud(f.Valor(IdDeposito).trimmed(), 4).compare(deposito_, Qt::CaseInsensitive) != 0) {
        e.estado = Estado::Rechazada;
        e.motivo = QStringLiteral("es del deposito \"%1\", no del deposito elegido \"%2\"")
                       .arg(f.Valor(IdDeposito).trimmed().left(20), deposito_.trimmed());
        entradas_.push_back(std::move(e));
        return;
    }
    e.motivo = Revisar(f, e.codigo);
    const int numero = static_cast<int>(entradas_.size());
    // The entry is added below whatever it holds: the index reads its code there.
    const int previa = indiceEntradas_.Agregar(e.codigo, numero, CodigoEntrada());
    if (previa >= 0 && !e.codigo.isEmpty()) {
        const int l = entradas_[previa].linea;
        e.motivo = l > 0 ? QStringLiteral("el codigo %1 ya esta en la linea %2").arg(e.codigo).arg(l)
                         : QStringLiteral("el codigo %1 esta repetido").arg(e.codigo);
    }
    if (!e.motivo.isEmpty()) {
        e.estado = Estado::Rechazada;
    } else {
        const int ex = indiceExistentes_.Buscar(e.codigo, CodigoExistente());
        const bool nueva = ex < 0;
        Valores(f, nueva, e);
        if (nueva) {
            e.estado = Estado::Nueva;
        } else {
            const Existente& x = existentes_[ex];
            QStringList cambios;
            for (int c = 0; c < kColumnas; ++c)
                if (c != IdPosicion && c != IdDeposito && (e.columnas & (1u << c)) && e.Valor(c) != x.valor[c])
                    cambios << NombreColumna(c);
            e.estado = cambios.isEmpty() ? Estado::SinCambios : Estado::Cambiada;
            if (!cambios.isEmpty()) e.motivo = QStringLiteral("cambia ") + cambios.join(QStringLiteral(", "));
        }
    }
    entradas_.push_back(std::move(e));
}

void PlanAsistente::Terminar() {
    const NivelesLayout& n = gNiveles();
    // The parents, shortest codes first, so a refused parent refuses its children and a parent
    // added as a heading serves the rows below it.
    // A counting sort by length: stable, and one pass over the rows.
    QVector<int> orden(entradas_.size());
    {
        QVector<int> desde;
        for (const Entrada& e : std::as_const(entradas_)) {
            const auto l = static_cast<qsizetype>(e.codigo.size()) + 1;
            if (desde.size() <= l) desde.resize(l + 1, 0);
            ++desde[l];
        }
        for (qsizetype l = 1; l < desde.size(); ++l) desde[l] += desde[l - 1];
        for (int i = 0; i < entradas_.size(); ++i) orden[desde[entradas_[i].codigo.size()]++] = i;
    }
    // A refused row's code, if the file has it refused: its first line.
    auto rechazado = [this](const QString& p) -> int {
        const int i = indiceEntradas_.Buscar(p, CodigoEntrada());
        if (i < 0 || entradas_[i].estado != Estado::Rechazada) return -1;
        return entradas_[i].linea;
    };
    // A storable position that carries a reservation already receives movements: nothing may be
    // added under it.
    auto recibeMovimientos = [](const ValoresColumnas* v) {
        if (!v || (*v)[Titulo] != kCero) return false;
        for (int c : kReservas)
            if ((*v)[c] != kNull) return true;
        return false;
    };
    const QString kMovimientos = QStringLiteral("El Nivel Superior Recibe movimientos, no se pueden agregar niveles (%1)");
    const int ultimo = UltimoNivel(n);
    // The children of one parent mostly come one after the other: a parent found is remembered
    // for the next row. What a parent found says cannot change in this pass, which treats its
    // children only after it.
    QStringView padreVisto;
    bool padreRecibe = false;
    for (int i : orden) {
        if (entradas_[i].estado == Estado::Rechazada) continue;
        const QString& codigo = entradas_[i].codigo;
        // The parent's code as a view of the child's: most parents are found, and no string is made.
        qsizetype largoPadre = 0;
        for (int k = 2; k <= 4; ++k)
            if (codigo.size() == n.FinNivel[k] && n.FinNivel[k] > n.FinNivel[k - 1]) largoPadre = n.FinNivel[k - 1];
        if (largoPadre == 0) continue;
        auto rechazar = [&](const QString& motivo) {
            Entrada& e = entradas_[i];
            e.estado = Estado::Rechazada;
            e.motivo = motivo;
        };
        const auto codigoPadre = [&] { return codigo.left(largoPadre); };
        const QStringView padreDe = QStringView(codigo).left(largoPadre);
        if (!padreVisto.isEmpty() && padreDe == padreVisto) {
            if (padreRecibe) rechazar(kMovimientos.arg(codigoPadre()));
            continue;
        }
        const auto* valores = Efectivos(padreDe);
        if (!valores) {
            const QString padre = codigo.left(largoPadre);  // the rows added below move `codigo`
            // A parent the file has but that was refused takes its children with it.
            QString caido;
            int l = -1;
            for (QString p = padre; !p.isEmpty() && !Efectivos(p); p = n.CodigoPadre(p))
                if ((l = rechazado(p)) >= 0) {
                    caido = p;
                    break;
                }
            if (!caido.isEmpty()) {
                const QString rechazado = caido;
                rechazar(
                    l > 0 ? QStringLiteral("No existe un Nivel Superior para Agrupar esta Posicion: %1 (linea %2) fue rechazado")
                                .arg(rechazado)
                                .arg(l)
                          : QStringLiteral("No existe un Nivel Superior para Agrupar esta Posicion: %1 fue rechazado")
                                .arg(rechazado));
                continue;
            }
            // Neither the file nor the warehouse has it: the missing headings are added, from the
            // highest missing level down.
            QStringList faltan;
            for (QString p = padre; !p.isEmpty() && !Efectivos(p); p = n.CodigoPadre(p)) faltan.prepend(p);
            const QString arriba = n.CodigoPadre(faltan.first());
            if (recibeMovimientos(Efectivos(arriba))) {
                rechazar(kMovimientos.arg(arriba));
                continue;
            }
            for (const QString& p : faltan) {
                const int k = n.Nivel(p);
                FilaPosicion f;
                f.Poner(IdPosicion, p);
                f.Poner(Titulo, kUno);
                f.Poner(Descripcion, Describir(PlantillaPorDefecto(k, ultimo), n.TituloNivel[k], p.mid(n.FinNivel[k - 1]), p));
                Entrada e;
                e.linea = entradas_[i].linea;
                e.codigo = p;
                e.padreCreado = true;
                e.estado = Estado::Nueva;
                Valores(f, true, e);
                entradas_.push_back(std::move(e));
                indiceEntradas_.Agregar(entradas_.back().codigo, static_cast<int>(entradas_.size() - 1), CodigoEntrada());
                ++padresCreados_;
            }
            continue;
        }
        padreVisto = padreDe;  // the text of an entry's code never moves
        padreRecibe = recibeMovimientos(valores);
        if (padreRecibe) rechazar(kMovimientos.arg(codigoPadre()));
    }
    for (const Entrada& e : entradas_) ++cuentas_[static_cast<int>(e.estado)];
}

QString PlanAsistente::TextoRechazos() const {
    auto campo = [](QString t) {
        if (t.contains(QLatin1Char(';')) || t.contains(QLatin1Char('"')) || TieneControl(t))
            t = QLatin1Char('"') + t.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
        return t;
    };
    QString r = QStringLiteral("Linea;IdPosicion;Motivo\r\n");
    for (const Entrada& e : entradas_)
        if (e.estado == Estado::Rechazada)
            r += QString::number(e.linea) + QLatin1Char(';') + campo(e.codigo.left(100)) + QLatin1Char(';') + campo(e.motivo) +
                 QStringLiteral("\r\n");
    return r;
}

}  // namespace asistente
