#include "db/driver/Recordset.h"

#include "db/driver/Conexion.h"
#include "db/driver/FilasCompactas.h"
#include "db/driver/Motor.h"
#include "services/ErrorEjecucion.h"

#include <QRegularExpression>
#include <algorithm>
#include <cstring>
#include <vector>

namespace driver {

namespace {

const QString kOrigen = QStringLiteral("ADODB.Recordset");
constexpr long kNoActualizable = 3251;  // adErrFeatureNotAvailable: the record set is read-only
constexpr long kPosBOF = -2, kPosEOF = -3, kPosDesconocida = -1;

[[noreturn]] void Ado(long numero) {
    switch (numero) {
        case errnum::ObjectClosed:
            throw ErrorEjecucion(numero, QStringLiteral("Operation is not allowed when the object is closed."), kOrigen);
        case errnum::ObjectOpen:
            throw ErrorEjecucion(numero, QStringLiteral("Operation is not allowed when the object is open."), kOrigen);
        case errnum::ConnectionInvalid:
            throw ErrorEjecucion(numero,
                                 QStringLiteral("The connection cannot be used to perform this operation. It is either closed or "
                                                "invalid in this context."),
                                 kOrigen);
        case errnum::OperationNotAllowed:
            throw ErrorEjecucion(numero, QStringLiteral("Operation is not allowed in this context."), kOrigen);
        case 3021:
            throw ErrorEjecucion(numero,
                                 QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. Requested "
                                                "operation requires a current record."),
                                 kOrigen);
        case 3265:
            throw ErrorEjecucion(
                numero, QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal."),
                kOrigen);
        case kNoActualizable:
            throw ErrorEjecucion(numero,
                                 QStringLiteral("Current Recordset does not support updating. This may be a limitation of the "
                                                "provider, or of the selected locktype."),
                                 kOrigen);
        default:
            throw ErrorEjecucion(numero, QString(), kOrigen);
    }
}

QString Comillas(const QString& nombre) {
    QString n = nombre;
    n.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

// Columns whose stored form may not come back bit for bit (floating point, dates read from text,
// long texts and binaries) do not serve to find a row again.
bool SirveDeCriterio(const Campo& c) {
    switch (c.Type) {
        case tipo::adSingle:
        case tipo::adDouble:
        case tipo::adDate:
        case tipo::adDBDate:
        case tipo::adDBTime:
        case tipo::adDBTimeStamp:
        case tipo::adLongVarChar:
        case tipo::adLongVarWChar:
        case tipo::adBinary:
        case tipo::adVarBinary:
        case tipo::adLongVarBinary:
            return false;
        default:
            return true;
    }
}

}  // namespace

struct Recordset::Datos {
    Conexion* con = nullptr;
    std::weak_ptr<int> vida;
    bool abierto = false;
    bool soloLectura = false;
    QList<Campo> campos;
    // The rows: compact as the back end gave them while the record set is only read, as values once
    // it may change them.
    std::shared_ptr<const FilasCompactas> compactas;
    QVector<QVector<QVariant>> filas;
    // The text last read from each column of compact rows, reused while the cell points at the same
    // bytes (a column that repeats its value across rows).
    struct TextoLeido {
        std::uint32_t desde = 0, largo = 0;
        QString texto;
        bool valido = false;
    };
    std::vector<TextoLeido> leidos;
    qsizetype pos = 0;     // -1 before the first row, filas.size() after the last
    bool borrada = false;  // the current row was deleted; pos already points at the row after it

    // Campo::Value is filled on demand: cargado[i] == gen when campos[i].Value holds the value of
    // field i in the current row (or the caller's assignment to it). Every move bumps gen.
    quint64 gen = 1;
    std::vector<quint64> cargado;
    std::vector<bool> asignado;

    bool agregando = false;
    QVector<QVariant> nueva;
    qsizetype posAntes = 0;

    QString ultimoNombre;
    int ultimoIndice = -1;

    bool claveLeida = false;
    QStringList clave;

    qsizetype n() const { return compactas ? compactas->Filas() : filas.size(); }
    bool HayFila() const { return agregando || (!borrada && pos >= 0 && pos < n()); }

    // The text of a compact cell of column i, converted once while the column repeats it.
    const QString& Texto(int i, const FilasCompactas::Celda& c) {
        TextoLeido& t = leidos[i];
        if (!t.valido || t.desde != c.texto.desde || t.largo != c.texto.largo) {
            t.texto = compactas->Texto(c);
            t.desde = c.texto.desde;
            t.largo = c.texto.largo;
            t.valido = true;
        }
        return t.texto;
    }
    QVariant Leer(qsizetype fila, int i) {
        if (!compactas) return filas.at(fila).at(i);
        const FilasCompactas::Celda c = compactas->At(fila, i);
        if (c.clase != FilasCompactas::Clase::Texto) return compactas->Valor(c);
        return QVariant(Texto(i, c));
    }
    QVariant Fuente(int i) {
        if (agregando) return nueva.at(i);
        if (!borrada && pos >= 0 && pos < n()) return Leer(pos, i);
        return QVariant();
    }
    void Cargar(int i) {
        if (cargado[i] == gen) return;
        cargado[i] = gen;
        cargadoAlguno = true;
        QVariant& valor = campos[i].Value;
        if (compactas && !agregando && !borrada && pos >= 0 && pos < n()) {
            const FilasCompactas::Celda c = compactas->At(pos, i);
            if (c.clase == FilasCompactas::Clase::Texto) {
                const QString& texto = Texto(i, c);
                // The field still shows this very text (a column repeating its value): nothing to do.
                if (valor.typeId() == QMetaType::QString) {
                    const auto* actual = static_cast<const QString*>(valor.constData());
                    if (actual->constData() == texto.constData() && actual->size() == texto.size()) return;
                }
                valor = QVariant(texto);
                return;
            }
            valor = compactas->Valor(c);
            return;
        }
        valor = Fuente(i);
    }
    QVariant Actual(int i) { return cargado[i] == gen ? campos.at(i).Value : Fuente(i); }
    bool Cambiado(int i) {
        if (asignado[i]) return true;
        if (cargado[i] != gen) return false;
        const QVariant& v = campos.at(i).Value;
        const QVariant f = Fuente(i);
        // The same bits are the same value; only otherwise compare as values.
        if (std::memcmp(static_cast<const void*>(&v.data_ptr()), static_cast<const void*>(&f.data_ptr()),
                        sizeof(QVariant::DataPtr)) == 0)
            return false;
        return v != f;
    }
    // A read-only record set never writes: what a caller puts in Fields(..).Value is only seen until
    // the next move.
    bool Editando() {
        if (agregando) return true;
        if (soloLectura) return false;
        if (!hayAsignados && !cargadoAlguno) return false;
        for (int i = 0; i < campos.size(); ++i) {
            if (Cambiado(i)) return true;
        }
        return false;
    }
    bool hayAsignados = false;
    bool cargadoAlguno = false;
    void Renovar() {
        ++gen;
        if (hayAsignados) std::fill(asignado.begin(), asignado.end(), false);
        hayAsignados = false;
        cargadoAlguno = false;
    }
    void Materializar() {
        if (!compactas) return;
        filas = compactas->Materializar();
        compactas.reset();
    }

    // The one table the record set's columns come from; empty when none or several.
    QString Tabla() const {
        QString tabla;
        for (const Campo& c : campos) {
            if (c.TablaBase.isEmpty() || c.ColumnaBase.isEmpty()) continue;
            if (tabla.isEmpty()) {
                tabla = c.TablaBase;
            } else if (tabla.compare(c.TablaBase, Qt::CaseInsensitive) != 0) {
                return QString();
            }
        }
        return tabla;
    }
    bool DeLaTabla(int i, const QString& tabla) const {
        return !campos.at(i).ColumnaBase.isEmpty() && campos.at(i).TablaBase.compare(tabla, Qt::CaseInsensitive) == 0;
    }

    // The WHERE that finds the current row again as it was read: the primary key plus the changed
    // columns when the record set holds the whole key, otherwise every column that can be compared
    // (then only the first of several equal rows is touched, through its rowid where there is one).
    QString Donde(Motor& m, Errores& e, const QString& tabla, const QVector<int>& cambiados, QVector<QVariant>& valores) {
        if (!claveLeida) {
            clave = m.ClavePrimaria(tabla, e);
            claveLeida = true;
        }
        const int nc = static_cast<int>(campos.size());
        QVector<int> criterio;
        bool porClave = !clave.isEmpty();
        for (const QString& k : clave) {
            int encontrado = -1;
            for (int i = 0; i < nc && encontrado < 0; ++i) {
                if (DeLaTabla(i, tabla) && campos.at(i).ColumnaBase.compare(k, Qt::CaseInsensitive) == 0) encontrado = i;
            }
            if (encontrado < 0) porClave = false;
            criterio << encontrado;
        }
        if (porClave) {
            for (int i : cambiados) {
                if (!criterio.contains(i) && SirveDeCriterio(campos.at(i))) criterio << i;
            }
        } else {
            criterio.clear();
            for (int i = 0; i < nc; ++i) {
                if (DeLaTabla(i, tabla) && SirveDeCriterio(campos.at(i))) criterio << i;
            }
        }
        QStringList condiciones;
        for (int i : criterio) {
            condiciones << Comillas(campos.at(i).ColumnaBase) + QStringLiteral(" IS ?");
            valores << Fuente(i);
        }
        QString donde = condiciones.isEmpty() ? QStringLiteral("1 = 1") : condiciones.join(QStringLiteral(" AND "));
        if (!porClave && m.TieneRowid())
            donde = QStringLiteral("rowid = (SELECT rowid FROM %1 WHERE %2 LIMIT 1)").arg(Comillas(tabla), donde);
        return donde;
    }
};

namespace {

[[noreturn]] void FilaNoEncontrada(Errores& e) {
    ErrorProveedor err;
    err.SQLState = QStringLiteral("HY000");
    err.Number = errnum::E_FAIL;
    err.Description =
        QStringLiteral("Row cannot be located for updating. Some values may have been changed since it was last read.");
    err.Source = kOrigen;
    e.Agregar(err);
    throw ErrorEjecucion(errnum::E_FAIL, err.Description, err.Source);
}

}  // namespace

Recordset::Recordset() : d_(std::make_unique<Datos>()) {}

Recordset::~Recordset() = default;

void Recordset::ExigirAbierto() const {
    if (!d_->abierto) Ado(errnum::ObjectClosed);
}

void Recordset::ExigirEditable() const {
    if (bloqueo_ == adLockReadOnly) Ado(kNoActualizable);
}

Conexion& Recordset::ConexionViva() const {
    if (!d_->con || d_->vida.expired() || d_->con->State() != adStateOpen) Ado(errnum::ConnectionInvalid);
    return *d_->con;
}

void Recordset::AntesDeMover() {
    ExigirAbierto();
    if (d_->Editando()) Update();
}

void Recordset::Open(const QString& fuente, Conexion* conexion, int cursor, int bloqueo, long opciones) {
    Q_UNUSED(opciones);
    if (d_->abierto) Ado(errnum::ObjectOpen);
    if (!conexion || conexion->State() != adStateOpen) Ado(errnum::ConnectionInvalid);
    QString texto = fuente.trimmed();
    // A bare table or view name opens the whole table.
    static const QRegularExpression nombre(QStringLiteral(R"(^[\w.\[\]"@#$]+$)"));
    if (nombre.match(texto).hasMatch()) texto = QStringLiteral("SELECT * FROM ") + texto;
    ResultadoMotor r = conexion->EjecutarTexto(texto, true);
    fuente_ = fuente;
    if (r.tieneFilas) CargarResultado(conexion, fuente, std::move(r), cursor, bloqueo);
}

void Recordset::CargarResultado(Conexion* conexion, const QString& fuente, QList<Campo> campos, QVector<QVector<QVariant>> filas,
                                int cursor, int bloqueo) {
    ResultadoMotor r;
    r.tieneFilas = true;
    r.campos = std::move(campos);
    r.filas = std::move(filas);
    CargarResultado(conexion, fuente, std::move(r), cursor, bloqueo);
}

void Recordset::CargarResultado(Conexion* conexion, const QString& fuente, ResultadoMotor&& resultado, int cursor, int bloqueo) {
    auto d = std::make_unique<Datos>();
    d->con = conexion;
    if (conexion) d->vida = conexion->vida_;
    d->abierto = true;
    d->soloLectura = bloqueo == adLockReadOnly;
    d->campos = std::move(resultado.campos);
    d->filas = std::move(resultado.filas);
    d->compactas = std::move(resultado.compactas);
    if (!d->soloLectura) d->Materializar();
    d->cargado.assign(d->campos.size(), 0);
    d->asignado.assign(d->campos.size(), false);
    d->leidos.resize(d->campos.size());
    d_ = std::move(d);
    fuente_ = fuente;
    cursor_ = cursor;
    bloqueo_ = bloqueo;
}

void Recordset::Close() {
    ExigirAbierto();
    if (d_->Editando()) Ado(errnum::OperationNotAllowed);
    d_ = std::make_unique<Datos>();
}

int Recordset::State() const {
    return d_->abierto ? adStateOpen : adStateClosed;
}

bool Recordset::BOF() const {
    ExigirAbierto();
    return d_->n() == 0 || (!d_->agregando && d_->pos < 0);
}

bool Recordset::EOF_() const {
    ExigirAbierto();
    return d_->n() == 0 ? !d_->agregando : (!d_->agregando && d_->pos >= d_->n());
}

void Recordset::MoveFirst() {
    AntesDeMover();
    d_->agregando = false;
    d_->borrada = false;
    d_->pos = 0;
    d_->Renovar();
}

void Recordset::MoveLast() {
    AntesDeMover();
    d_->agregando = false;
    d_->borrada = false;
    d_->pos = d_->n() > 0 ? d_->n() - 1 : 0;
    d_->Renovar();
}

void Recordset::MoveNext() {
    AntesDeMover();
    if (d_->borrada) {
        d_->borrada = false;
        d_->Renovar();
        return;
    }
    if (EOF_()) Ado(3021);
    ++d_->pos;
    d_->Renovar();
}

void Recordset::MovePrevious() {
    AntesDeMover();
    if (d_->borrada) {
        d_->borrada = false;
        d_->pos = std::max<qsizetype>(d_->pos - 1, -1);
        d_->Renovar();
        return;
    }
    if (BOF()) Ado(3021);
    d_->pos = std::min(d_->pos, d_->n()) - 1;
    d_->Renovar();
}

long Recordset::RecordCount() const {
    return d_->abierto ? static_cast<long>(d_->n()) : -1;
}

long Recordset::AbsolutePosition() const {
    if (!d_->abierto || d_->agregando) return kPosDesconocida;
    if (d_->n() == 0 || d_->pos < 0) return kPosBOF;
    if (d_->pos >= d_->n()) return kPosEOF;
    return static_cast<long>(d_->pos + 1);
}

QVector<QVector<QVariant>> Recordset::GetRows() {
    AntesDeMover();
    if (!d_->HayFila()) Ado(3021);
    const int nc = static_cast<int>(d_->campos.size());
    QVector<QVector<QVariant>> salida(nc);
    const qsizetype desde = d_->pos, hasta = d_->n();
    for (int c = 0; c < nc; ++c) {
        QVector<QVariant>& columna = salida[c];
        columna.reserve(hasta - desde);
        for (qsizetype f = desde; f < hasta; ++f) columna.append(d_->Leer(f, c));
    }
    d_->pos = hasta;
    d_->Renovar();
    return salida;
}

int Recordset::FieldCount() const {
    return static_cast<int>(d_->campos.size());
}

int Recordset::IndiceCampo(const QString& nombre) const {
    Datos& d = *d_;
    if (d.ultimoIndice >= 0 && d.ultimoIndice < d.campos.size() && nombre == d.ultimoNombre) return d.ultimoIndice;
    const QString buscado = nombre.trimmed();
    for (int i = 0; i < d.campos.size(); ++i) {
        if (d.campos.at(i).Name.compare(buscado, Qt::CaseInsensitive) == 0) {
            d.ultimoNombre = nombre;
            d.ultimoIndice = i;
            return i;
        }
    }
    return -1;
}

Campo& Recordset::Fields(int indice) {
    if (indice < 0 || indice >= d_->campos.size()) Ado(3265);
    d_->Cargar(indice);
    return d_->campos[indice];
}

Campo& Recordset::Fields(const QString& nombre) {
    const int i = IndiceCampo(nombre);
    if (i < 0) Ado(3265);
    d_->Cargar(i);
    return d_->campos[i];
}

bool Recordset::TextoUtf8(int indice, QUtf8StringView& texto) const {
    const Datos& d = *d_;
    if (!d.compactas || d.agregando || d.borrada || d.pos < 0 || d.pos >= d.n() || indice < 0 || indice >= d.campos.size())
        return false;
    if (d.cargado[static_cast<size_t>(indice)] == d.gen) return false;
    const FilasCompactas::Celda c = d.compactas->At(d.pos, indice);
    if (c.clase != FilasCompactas::Clase::Texto) return false;
    texto = QUtf8StringView(d.compactas->Bytes(c), static_cast<qsizetype>(c.texto.largo));
    return true;
}

const Campo& Recordset::Fields(int indice) const {
    if (indice < 0 || indice >= d_->campos.size()) Ado(3265);
    d_->Cargar(indice);
    return d_->campos.at(indice);
}

const Campo& Recordset::Fields(const QString& nombre) const {
    const int i = IndiceCampo(nombre);
    if (i < 0) Ado(3265);
    d_->Cargar(i);
    return d_->campos.at(i);
}

QVariant Recordset::Valor(const QString& nombre) const {
    const int i = IndiceCampo(nombre);
    if (i < 0) Ado(3265);
    ExigirAbierto();
    if (!d_->HayFila()) Ado(3021);
    d_->Cargar(i);
    return d_->campos.at(i).Value;
}

void Recordset::Asignar(const QString& nombre, const QVariant& valor) {
    ExigirAbierto();
    if (d_->borrada) return;  // the row was deleted: nothing left to change
    const int i = IndiceCampo(nombre);
    if (i < 0) Ado(3265);
    ExigirEditable();
    if (!d_->HayFila()) Ado(3021);
    d_->Cargar(i);
    d_->campos[i].Value = valor;
    d_->asignado[i] = true;
    d_->hayAsignados = true;
}

void Recordset::AddNew() {
    ExigirAbierto();
    ExigirEditable();
    if (d_->Editando()) Update();
    d_->posAntes = d_->pos;
    d_->agregando = true;
    d_->borrada = false;
    d_->nueva = QVector<QVariant>(d_->campos.size());
    d_->Renovar();
}

void Recordset::CancelUpdate() {
    ExigirAbierto();
    if (d_->agregando) {
        d_->agregando = false;
        d_->pos = d_->posAntes;
        d_->nueva.clear();
    }
    d_->Renovar();
}

bool Recordset::EditandoFila() const {
    return d_->abierto && d_->Editando();
}

namespace {
// The table an edit writes to; a record set without one (a join, an expression) cannot be edited.
QString TablaParaEditar(Recordset::Datos& d) {
    const QString tabla = d.Tabla();
    if (tabla.isEmpty())
        throw ErrorEjecucion(errnum::E_FAIL, QStringLiteral("Insufficient base table information for updating or refreshing."),
                             kOrigen);
    return tabla;
}
}  // namespace

void Recordset::Update() {
    ExigirAbierto();
    Datos& d = *d_;
    if (d.borrada || !d.Editando()) return;
    ExigirEditable();
    d.Materializar();
    Conexion& con = ConexionViva();
    const QString tabla = TablaParaEditar(d);
    const int nc = static_cast<int>(d.campos.size());

    QVector<int> cambiados;
    for (int i = 0; i < nc; ++i) {
        if (d.Cambiado(i) && d.DeLaTabla(i, tabla)) cambiados.append(i);
    }
    QVector<QVariant> fila(nc);
    for (int i = 0; i < nc; ++i) fila[i] = d.Actual(i);

    con.Proteger([&](Motor& m, Errores& e) {
        if (d.agregando) {
            QStringList columnas, marcas;
            QVector<QVariant> valores;
            for (int i : cambiados) {
                columnas << Comillas(d.campos.at(i).ColumnaBase);
                marcas << QStringLiteral("?");
                valores << fila.at(i);
            }
            const QString sql = columnas.isEmpty()
                                    ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(Comillas(tabla))
                                    : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                          .arg(Comillas(tabla), columnas.join(QLatin1Char(',')), marcas.join(QLatin1Char(',')));
            m.EjecutarConParametros(sql, valores, e);
            // Read the new row back: defaults and identities become visible as ADO shows them.
            if (m.TieneRowid()) {
                QStringList todas;
                QVector<int> indices;
                for (int i = 0; i < nc; ++i) {
                    if (d.DeLaTabla(i, tabla)) {
                        todas << Comillas(d.campos.at(i).ColumnaBase);
                        indices << i;
                    }
                }
                const ResultadoMotor r = m.ConsultarConParametros(
                    QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(todas.join(QLatin1Char(',')), Comillas(tabla)),
                    {QVariant(static_cast<qlonglong>(m.UltimoIdentificador()))}, e);
                const QVector<QVector<QVariant>> leidas = r.compactas ? r.compactas->Materializar() : r.filas;
                if (leidas.size() == 1) {
                    for (int k = 0; k < indices.size(); ++k) fila[indices.at(k)] = leidas.first().at(k);
                }
            }
            return;
        }
        if (cambiados.isEmpty()) return;
        QStringList asignaciones;
        QVector<QVariant> valores;
        for (int i : cambiados) {
            asignaciones << Comillas(d.campos.at(i).ColumnaBase) + QStringLiteral(" = ?");
            valores << fila.at(i);
        }
        const QString donde = d.Donde(m, e, tabla, cambiados, valores);
        const long n = m.EjecutarConParametros(
            QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(Comillas(tabla), asignaciones.join(QLatin1Char(',')), donde), valores,
            e);
        if (n == 0) FilaNoEncontrada(e);
    });

    if (d.agregando) {
        d.filas.append(fila);
        d.pos = d.n() - 1;
        d.agregando = false;
        d.nueva.clear();
    } else {
        d.filas[d.pos] = fila;
    }
    d.Renovar();
}

void Recordset::Delete() {
    ExigirAbierto();
    Datos& d = *d_;
    if (d.agregando) {
        CancelUpdate();
        return;
    }
    ExigirEditable();
    if (!d.HayFila()) Ado(3021);
    d.Materializar();
    Conexion& con = ConexionViva();
    const QString tabla = TablaParaEditar(d);
    con.Proteger([&](Motor& m, Errores& e) {
        QVector<QVariant> valores;
        const QString donde = d.Donde(m, e, tabla, {}, valores);
        const long n = m.EjecutarConParametros(QStringLiteral("DELETE FROM %1 WHERE %2").arg(Comillas(tabla), donde), valores, e);
        if (n == 0) FilaNoEncontrada(e);
    });
    d.filas.removeAt(d.pos);
    d.borrada = true;
    d.Renovar();
}

bool Recordset::TieneCampo(const QString& nombre) const {
    return IndiceCampo(nombre) >= 0;
}

QVariant Recordset::ValorCampo(const QString& nombre) const {
    return Valor(nombre);
}

int Recordset::TamanoCampo(const QString& nombre) const {
    const int i = IndiceCampo(nombre);
    return i < 0 ? 0 : d_->campos.at(i).DefinedSize;
}

}  // namespace driver
