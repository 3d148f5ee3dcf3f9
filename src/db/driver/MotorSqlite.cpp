#include "db/driver/MotorSqlite.h"

#include "db/driver/EsperaOcupada.h"

#include "db/driver/DialectoSqlite.h"
#include "db/driver/ExtensionesSqlite.h"
#include "db/driver/Tipos.h"
#include "db/driver/VocabularioSqlServer.h"
#include "services/ErrorEjecucion.h"

#include <sqlite3.h>
#include <QDateTime>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstring>
#include <string>
#include <vector>

namespace driver {

namespace {

const QString kOrigen = QStringLiteral("SQLite");

// ---------------------------------------------------------------------------------------------
// Column types from the declared SQL Server types

using vocabulario::Conversion;
using vocabulario::kTextoLargo;
using vocabulario::TipoColumna;

// A result column's type: its declaration's, or a value read as it comes (an expression).
TipoColumna TipoDeclarado(const char* declarado) {
    TipoColumna t = vocabulario::TipoDeclarado(QString::fromUtf8(declarado ? declarado : ""));
    if (!t.Reconocido()) {
        t = TipoColumna();
        t.tipo = tipo::adVarChar;
    }
    return t;
}

// ---------------------------------------------------------------------------------------------
// Dates

int Digitos(const QChar* p, int n) {
    int v = 0;
    for (int i = 0; i < n; ++i) {
        const int d = p[i].unicode() - '0';
        if (d < 0 || d > 9) return -1;
        v = v * 10 + d;
    }
    return v;
}

// yyyy-MM-dd[( |T)HH:mm[:ss[.fff]]], the form the client writes.
QDateTime FechaIso(const QString& s) {
    const int n = static_cast<int>(s.size());
    if (n < 10 || s.at(4) != QLatin1Char('-') || s.at(7) != QLatin1Char('-')) return {};
    const QChar* p = s.constData();
    const int anio = Digitos(p, 4), mes = Digitos(p + 5, 2), dia = Digitos(p + 8, 2);
    if (anio < 0 || mes < 0 || dia < 0) return {};
    const QDate fecha(anio, mes, dia);
    if (!fecha.isValid()) return {};
    if (n == 10) return QDateTime(fecha, QTime(0, 0));
    if (n < 16 || (s.at(10) != QLatin1Char(' ') && s.at(10) != QLatin1Char('T')) || s.at(13) != QLatin1Char(':')) return {};
    const int h = Digitos(p + 11, 2), mi = Digitos(p + 14, 2);
    int seg = 0, ms = 0;
    if (n >= 19) {
        if (s.at(16) != QLatin1Char(':')) return {};
        seg = Digitos(p + 17, 2);
        if (n > 19) {
            if (s.at(19) != QLatin1Char('.')) return {};
            const int cifras = qMin(n - 20, 3);
            ms = Digitos(p + 20, cifras);
            for (int k = cifras; k < 3; ++k) ms *= 10;
            if (Digitos(p + 20, n - 20) < 0) return {};
        }
    } else if (n != 16) {
        return {};
    }
    const QTime hora(h, mi, seg, ms);
    if (h < 0 || mi < 0 || seg < 0 || ms < 0 || !hora.isValid()) return {};
    return QDateTime(fecha, hora);
}

// A datetime column as the program may have written it in SQL text: ISO, or the day-first forms of
// the suite (dd/mm/yyyy, dd/mm/yy, with or without the time). Two-digit years follow SQL Server's
// cut-off: 00-49 are 20xx.
QDateTime LeerFecha(const QString& s) {
    QDateTime f = FechaIso(s);
    if (f.isValid()) return f;
    static const char* formas[] = {
        "dd/MM/yyyy HH:mm:ss", "dd/MM/yyyy HH:mm", "dd/MM/yyyy", "d/M/yyyy H:mm:ss", "d/M/yyyy H:mm", "d/M/yyyy",
        "dd/MM/yy HH:mm:ss",   "dd/MM/yy HH:mm",   "dd/MM/yy",   "yyyyMMdd"};
    const QString t = s.trimmed();
    for (const char* forma : formas) {
        f = QDateTime::fromString(t, QLatin1String(forma));
        if (f.isValid()) {
            if (QByteArray(forma).contains("/yy") && !QByteArray(forma).contains("yyyy")) {
                const int anio = f.date().year() % 100;
                f = f.addYears((anio < 50 ? 2000 + anio : 1900 + anio) - f.date().year());
            }
            return f;
        }
    }
    return {};
}

QString TextoFecha(const QDateTime& f) {
    return f.time().msec() ? f.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))
                           : f.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// ---------------------------------------------------------------------------------------------
// Reading rows

// yyyy-MM-dd HH:mm:ss straight from SQLite's bytes, the form dates are written in: the code of
// FilasCompactas, or -1.
std::int64_t FechaIsoBytes(const char* p, int n) {
    if (n != 19 || p[4] != '-' || p[7] != '-' || p[10] != ' ' || p[13] != ':' || p[16] != ':') return -1;
    auto d = [&](int desde, int cifras) {
        int v = 0;
        for (int k = desde; k < desde + cifras; ++k) {
            if (p[k] < '0' || p[k] > '9') return -1;
            v = v * 10 + (p[k] - '0');
        }
        return v;
    };
    const int anio = d(0, 4), mes = d(5, 2), dia = d(8, 2), h = d(11, 2), mi = d(14, 2), seg = d(17, 2);
    if (anio < 0 || mes < 1 || mes > 12 || dia < 1 || h < 0 || h > 23 || mi < 0 || mi > 59 || seg < 0 || seg > 59) return -1;
    const QDate fecha(anio, mes, dia);
    if (!fecha.isValid()) return -1;
    return fecha.toJulianDay() * 86400000LL + ((h * 60 + mi) * 60 + seg) * 1000LL;
}

using Celda = FilasCompactas::Celda;
using Clase = FilasCompactas::Clase;

// Reads the rows of a statement into compact cells.
// SQL Server names a result column as the select list writes it ("select DESCRIPCION" gives
// DESCRIPCION, "t.IdRubro" gives IdRubro, "[Codigo]" gives Codigo); SQLite, asked for the text of
// the select list, gives the whole expression, so a plain or qualified column reference is cut to
// its last name without quotes. Other expressions keep their text.
QString NombreColumna(const QString& texto) {
    // Most names are a bare column or an alias: nothing to cut.
    bool simple = true;
    for (const QChar c : texto)
        if (!(c.isLetterOrNumber() || c == QLatin1Char('_'))) {
            simple = false;
            break;
        }
    if (simple) return texto;
    static const QRegularExpression referencia(QStringLiteral(
        R"(^\s*(?:(?:[A-Za-z_][A-Za-z0-9_$#@]*|"[^"]+"|\[[^\]]+\]|`[^`]+`)\s*\.\s*)*([A-Za-z_][A-Za-z0-9_$#@]*|"[^"]+"|\[[^\]]+\]|`[^`]+`)\s*$)"));
    const QRegularExpressionMatch m = referencia.match(texto);
    if (!m.hasMatch()) return texto;
    QString nombre = m.captured(1);
    if (nombre.size() >= 2 &&
        (nombre.front() == QLatin1Char('"') || nombre.front() == QLatin1Char('[') || nombre.front() == QLatin1Char('`')))
        nombre = nombre.mid(1, nombre.size() - 2);
    return nombre;
}

class Lector {
public:
    explicit Lector(sqlite3_stmt* st) : st_(st), n_(sqlite3_column_count(st)), tipos_(n_), ultimo_(n_) {
        for (int i = 0; i < n_; ++i) tipos_[i] = TipoDeclarado(sqlite3_column_decltype(st, i));
        filas_ = std::make_shared<FilasCompactas>(n_);
    }

    QList<Campo> Campos() const {
        QList<Campo> campos;
        campos.reserve(n_);
        for (int i = 0; i < n_; ++i) {
            Campo c;
            c.Name = NombreColumna(QString::fromUtf8(sqlite3_column_name(st_, i)));
            c.Type = tipos_[i].tipo;
            c.DefinedSize = tipos_[i].tamano;
            c.Precision = tipos_[i].precision;
            c.NumericScale = tipos_[i].escala;
            if (const char* t = sqlite3_column_table_name(st_, i)) c.TablaBase = QString::fromUtf8(t);
            if (const char* o = sqlite3_column_origin_name(st_, i)) c.ColumnaBase = QString::fromUtf8(o);
            campos.append(c);
        }
        return campos;
    }

    // Reads the current row of the statement.
    void Fila() {
        FilasCompactas& f = *filas_;
        for (int i = 0; i < n_; ++i) f.Agregar(Valor(i));
    }

    // Columns without a declared type get theirs from the values: the storage class of the first
    // value that is not NULL; a text column whose every value is a date written by SQLite
    // (yyyy-MM-dd HH:mm:ss, what getDate() gives) is a date column.
    void TiparPorValor(QList<Campo>& campos) {
        FilasCompactas& f = *filas_;
        const qsizetype filas = f.Filas();
        for (int i = 0; i < n_; ++i) {
            if (tipos_[i].conversion != Conversion::PorValor) continue;
            Campo& c = campos[i];
            Clase clase = Clase::Nulo;
            bool grande = false;
            quint32 largo = 0;
            bool fechas = true;
            for (qsizetype r = 0; r < filas; ++r) {
                const Celda v = f.At(r, i);
                if (v.clase == Clase::Nulo) continue;
                if (clase == Clase::Nulo) clase = v.clase;
                if (v.clase == Clase::Entero &&
                    (v.entero < std::numeric_limits<int>::min() || v.entero > std::numeric_limits<int>::max()))
                    grande = true;
                if (v.clase == Clase::Texto) {
                    largo = qMax(largo, v.texto.largo);
                    if (fechas && FechaIsoBytes(f.Bytes(v), static_cast<int>(v.texto.largo)) < 0) fechas = false;
                } else {
                    fechas = false;
                }
            }
            switch (clase) {
                case Clase::Entero:
                    c.Type = grande ? tipo::adBigInt : tipo::adInteger;
                    c.DefinedSize = grande ? 8 : 4;
                    break;
                case Clase::Doble:
                    c.Type = tipo::adDouble;
                    c.DefinedSize = 8;
                    break;
                case Clase::Binario:
                    c.Type = tipo::adLongVarBinary;
                    c.DefinedSize = kTextoLargo;
                    break;
                default:
                    if (clase == Clase::Texto && fechas) {
                        c.Type = tipo::adDBTimeStamp;
                        c.DefinedSize = 16;
                        for (qsizetype r = 0; r < filas; ++r) {
                            Celda v = f.At(r, i);
                            if (v.clase != Clase::Texto) continue;
                            v.entero = FechaIsoBytes(f.Bytes(v), static_cast<int>(v.texto.largo));
                            v.clase = Clase::Fecha;
                            f.Fijar(r, i, v);
                        }
                    } else {
                        c.Type = tipo::adVarChar;
                        c.DefinedSize = qMax(255, static_cast<int>(largo));
                    }
            }
        }
    }

    std::shared_ptr<FilasCompactas> Resultado() { return std::move(filas_); }

private:
    Celda Texto(int i, Clase clase = Clase::Texto) {
        const auto p =
            reinterpret_cast<const char*>(clase == Clase::Binario ? sqlite3_column_blob(st_, i) : sqlite3_column_text(st_, i));
        const int nb = sqlite3_column_bytes(st_, i);
        std::string& bytes = filas_->bytes;
        Celda c;
        c.clase = clase;
        // Codes, warehouses, units repeat from row to row: the same bytes are kept once.
        Celda& u = ultimo_[i];
        if (u.clase == clase && u.texto.largo == static_cast<std::uint32_t>(nb) &&
            std::memcmp(bytes.data() + u.texto.desde, p, nb) == 0) {
            c.texto = u.texto;
            return c;
        }
        c.texto.desde = static_cast<std::uint32_t>(bytes.size());
        c.texto.largo = static_cast<std::uint32_t>(nb);
        bytes.append(p ? p : "", nb);
        u = c;
        return c;
    }

    Celda Entero(int i, Clase clase = Clase::Entero) {
        Celda c;
        c.clase = clase;
        c.entero = sqlite3_column_int64(st_, i);
        if (clase == Clase::Logico) c.entero = c.entero != 0;
        return c;
    }

    Celda Doble(int i) {
        Celda c;
        c.clase = Clase::Doble;
        c.doble = sqlite3_column_double(st_, i);
        return c;
    }

    Celda Otro(const QVariant& v) {
        Celda c;
        c.clase = Clase::Otro;
        c.entero = filas_->otros.size();
        filas_->otros.append(v);
        return c;
    }

    Celda Natural(int i, int clase) {
        switch (clase) {
            case SQLITE_INTEGER:
                return Entero(i);
            case SQLITE_FLOAT:
                return Doble(i);
            case SQLITE_BLOB:
                return Texto(i, Clase::Binario);
            default:
                return Texto(i);
        }
    }

    Celda Valor(int i) {
        const int clase = sqlite3_column_type(st_, i);
        if (clase == SQLITE_NULL) return Celda();
        switch (tipos_[i].conversion) {
            case Conversion::Texto:
                return Texto(i);
            case Conversion::Entero:
                return clase == SQLITE_INTEGER ? Entero(i) : Natural(i, clase);
            case Conversion::Logico:
                if (clase == SQLITE_INTEGER || clase == SQLITE_FLOAT) return Entero(i, Clase::Logico);
                {
                    const QString s = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st_, i))).trimmed();
                    if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return Otro(QVariant(true));
                    if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return Otro(QVariant(false));
                    bool ok = false;
                    const double d = s.toDouble(&ok);
                    return Otro(ok ? QVariant(d != 0) : QVariant(s));
                }
            case Conversion::Doble:
                if (clase == SQLITE_INTEGER || clase == SQLITE_FLOAT) return Doble(i);
                return Natural(i, clase);
            case Conversion::Fecha:
                if (clase == SQLITE_TEXT) {
                    Celda c;
                    c.entero =
                        FechaIsoBytes(reinterpret_cast<const char*>(sqlite3_column_text(st_, i)), sqlite3_column_bytes(st_, i));
                    if (c.entero >= 0) {
                        c.clase = Clase::Fecha;
                        return c;
                    }
                    const QString t = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st_, i)),
                                                        sqlite3_column_bytes(st_, i));
                    const QDateTime f = LeerFecha(t);
                    if (f.isValid()) {
                        c.clase = Clase::Fecha;
                        c.entero = FilasCompactas::CodigoFecha(f);
                        return c;
                    }
                    return Texto(i);
                }
                return Natural(i, clase);
            case Conversion::Binario:
                return Texto(i, Clase::Binario);
            case Conversion::PorValor:
                return Natural(i, clase);
        }
        return Celda();
    }

    sqlite3_stmt* st_;
    int n_;
    std::vector<TipoColumna> tipos_;
    std::vector<Celda> ultimo_;
    std::shared_ptr<FilasCompactas> filas_;
};

// ---------------------------------------------------------------------------------------------
// Errors

ErrorProveedor Proveedor(const QString& estado, long nativo, const QString& descripcion) {
    return vocabulario::Proveedor(estado, nativo, descripcion, kOrigen);
}

QList<ErrorProveedor> Traducir(int rc, const QString& mensaje, int esperaMs) {
    return vocabulario::ErroresSqlite(rc, mensaje, esperaMs, false, kOrigen);
}

[[noreturn]] void Lanzar(const QList<ErrorProveedor>& lista, Errores& errores) {
    for (const auto& e : lista) errores.Agregar(e);
    throw ErrorEjecucion(errnum::E_FAIL, lista.first().Description, lista.first().Source);
}

// ---------------------------------------------------------------------------------------------
// Parameters

int Vincular(sqlite3_stmt* st, int i, const QVariant& v) {
    if (v.isNull() || !v.isValid()) return sqlite3_bind_null(st, i);
    switch (v.typeId()) {
        case QMetaType::Bool:
            return sqlite3_bind_int(st, i, v.toBool() ? 1 : 0);
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
            return sqlite3_bind_int64(st, i, v.toLongLong());
        case QMetaType::Double:
        case QMetaType::Float:
            return sqlite3_bind_double(st, i, v.toDouble());
        case QMetaType::QDateTime: {
            const QByteArray t = TextoFecha(v.toDateTime()).toUtf8();
            return sqlite3_bind_text(st, i, t.constData(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
        }
        case QMetaType::QDate: {
            const QByteArray t = v.toDate().toString(QStringLiteral("yyyy-MM-dd")).toUtf8();
            return sqlite3_bind_text(st, i, t.constData(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
        }
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            return sqlite3_bind_blob(st, i, b.constData(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
        }
        default: {
            const QByteArray t = v.toString().toUtf8();
            return sqlite3_bind_text(st, i, t.constData(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
        }
    }
}

QString Comillas(const QString& nombre) {
    QString n = nombre;
    n.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

// A prepared statement finalized when it goes out of scope.
class Preparada {
public:
    explicit Preparada(sqlite3_stmt* st = nullptr) : st_(st) {}
    ~Preparada() { sqlite3_finalize(st_); }
    Preparada(const Preparada&) = delete;
    Preparada& operator=(const Preparada&) = delete;
    sqlite3_stmt* get() const { return st_; }

private:
    sqlite3_stmt* st_;
};

}  // namespace

// ---------------------------------------------------------------------------------------------

MotorSqlite::MotorSqlite() = default;

MotorSqlite::~MotorSqlite() {
    Cerrar();
}

void MotorSqlite::Fallar(int rc, Errores& errores) const {
    const QString mensaje = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString::fromUtf8(sqlite3_errstr(rc));
    const int extendido = db_ ? sqlite3_extended_errcode(db_) : rc;
    Lanzar(Traducir(extendido ? extendido : rc, mensaje, esperaCancelada_ ? -1 : esperaMs_), errores);
}

sqlite3_stmt* MotorSqlite::Preparar(const QString& sql, Errores& errores) const {
    const QByteArray u = sql.toUtf8();
    sqlite3_stmt* st = nullptr;
    const int rc = sqlite3_prepare_v2(db_, u.constData(), static_cast<int>(u.size()), &st, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(st);
        Fallar(rc, errores);
    }
    return st;
}

void MotorSqlite::Exec(const char* sql, Errores& errores) {
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) Fallar(rc, errores);
}

bool MotorSqlite::SoloLectura() const {
    return db_ && sqlite3_db_readonly(db_, "main") == 1;
}

void MotorSqlite::FijarEspera(int segundos) {
    // A busy database is waited for as long as a command may take; 0 ("no limit" in ADO) still waits
    // a bounded time, so that nothing ever hangs.
    esperaMs_ = (segundos > 0 ? segundos : 30) * 1000;
}

int MotorSqlite::AlEstarOcupada(void* motor, int veces) {
    auto* m = static_cast<MotorSqlite*>(motor);
    const qint64 ahora = QDateTime::currentMSecsSinceEpoch();
    if (veces == 0) {
        m->inicioEspera_ = ahora;
        m->esperaCancelada_ = false;
    }
    const qint64 transcurrido = ahora - m->inicioEspera_;
    if (transcurrido >= m->esperaMs_) return 0;
    // Short slices: between two of them the program repaints its window and may stop the wait.
    constexpr qint64 kTramoMs = 25;
    sqlite3_sleep(static_cast<int>(std::min(kTramoMs, m->esperaMs_ - transcurrido)));
    if (EsperaOcupada* e = esperaOcupada()) {
        if (!e->Seguir(static_cast<int>(QDateTime::currentMSecsSinceEpoch() - m->inicioEspera_), m->esperaMs_)) {
            m->esperaCancelada_ = true;
            return 0;
        }
    }
    return 1;
}

void MotorSqlite::Abrir(const ParametrosConexion& p, Errores& errores) {
    Cerrar();
    archivo_ = p.archivo;
    // The catalog name: the database name of the string, or the file's name without folder and
    // extension when the string named a file.
    const QString dado = p.baseDatos.trimmed();
    const bool esRuta = dado.isEmpty() || dado.contains(QLatin1Char('/')) || dado.contains(QLatin1Char('\\')) ||
                        !QFileInfo(dado).suffix().isEmpty();
    nombreBase_ = esRuta ? QFileInfo(p.archivo).completeBaseName() : dado;
    const QString nombre = p.baseDatos.trimmed().isEmpty() ? p.archivo : p.baseDatos.trimmed();
    auto fallarApertura = [&](const QString& detalle) {
        if (db_) sqlite3_close_v2(db_);
        db_ = nullptr;
        Lanzar({Proveedor(QStringLiteral("42000"), nativo::NoSePuedeAbrirBase,
                          QStringLiteral("Cannot open database \"%1\" requested by the login. The login failed. (%2)")
                              .arg(nombre, detalle))},
               errores);
    };
    if (archivo_.trimmed().isEmpty()) fallarApertura(QStringLiteral("no database file was named"));
    // Never SQLITE_OPEN_CREATE: a missing database is an error, not a new empty file.
    int rc = sqlite3_open_v2(QFileInfo(archivo_).absoluteFilePath().toUtf8().constData(), &db_,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString detalle = QFileInfo::exists(archivo_) ? QString::fromUtf8(db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc))
                                                            : QStringLiteral("the file %1 does not exist").arg(archivo_);
        fallarApertura(detalle);
    }
    sqlite3_extended_result_codes(db_, 1);
    // A database locked by another process is waited for as long as a login may take.
    sqlite3_busy_handler(db_, &MotorSqlite::AlEstarOcupada, this);
    esperaMs_ = 15000;
    // A file that is not a database (or unreadable) shows it on the first read; one another
    // workstation holds is busy, not a login that failed.
    rc = sqlite3_exec(db_, "SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr);
    if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED) {
        const QString mensaje = QString::fromUtf8(sqlite3_errmsg(db_));
        const int espera = esperaCancelada_ ? -1 : esperaMs_;
        sqlite3_close_v2(db_);
        db_ = nullptr;
        Lanzar(Traducir(rc, mensaje, espera), errores);
    }
    if (rc != SQLITE_OK) fallarApertura(QString::fromUtf8(sqlite3_errmsg(db_)));
    rc = sqlite::RegistrarExtensiones(db_);
    if (rc != SQLITE_OK) fallarApertura(QString::fromUtf8(sqlite3_errstr(rc)));
    sqlite3_exec(db_, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr);
    // Result columns named by the text of the select list (see NombreColumna), not by the
    // declared column.
    sqlite3_exec(db_, "PRAGMA short_column_names = OFF", nullptr, nullptr, nullptr);
    // The length checks below may abort a statement, so every statement that writes keeps the
    // pages it changes in a statement journal; past 64 KiB that journal goes to a temporary file,
    // and a bulk insert of many rows a statement wrote most of its pages twice to disk.
    sqlite3_exec(db_, "PRAGMA temp_store = MEMORY", nullptr, nullptr, nullptr);
    FijarEspera(30);
    nivel_ = 0;
    CrearControlesLongitud();
}

// SQLite keeps any text in a varchar(n) column; SQL Server refuses a text longer than n (trailing
// blanks aside) with error 8152. Temporary triggers of this connection give the same refusal
// without touching the database file.
void MotorSqlite::CrearControlesLongitud() {
    sqlite3_stmt* st = nullptr;
    const char* consulta =
        "SELECT m.name, p.name, p.type FROM sqlite_schema m JOIN pragma_table_info(m.name) p "
        "WHERE m.type = 'table' AND substr(m.name, 1, 7) <> 'sqlite_' ORDER BY m.name, p.cid";
    if (sqlite3_prepare_v2(db_, consulta, -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return;
    }
    QMap<QString, QStringList> condiciones;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const TipoColumna t = TipoDeclarado(reinterpret_cast<const char*>(sqlite3_column_text(st, 2)));
        if (t.conversion != Conversion::Texto || t.tamano <= 0 || t.tamano >= kTextoLargo / 2 || t.tipo == tipo::adGUID ||
            t.tipo == tipo::adDBTime)
            continue;
        const QString tabla = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        const QString columna = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
        // The trimmed length is only worked out for a text that is long before trimming: rtrim makes a
        // copy of every value it is given, and this runs for every row written.
        condiciones[tabla]
            << QStringLiteral("(length(NEW.%1) > %2 AND length(rtrim(NEW.%1)) > %2)").arg(Comillas(columna)).arg(t.tamano);
    }
    sqlite3_finalize(st);
    for (auto it = condiciones.cbegin(); it != condiciones.cend(); ++it) {
        const QString cuando = it.value().join(QStringLiteral(" OR "));
        for (const char* evento : {"INSERT", "UPDATE"}) {
            const QString sql =
                QStringLiteral(
                    "CREATE TEMP TRIGGER IF NOT EXISTS %1 BEFORE %2 ON main.%3 WHEN %4 "
                    "BEGIN SELECT RAISE(ABORT, 'String or binary data would be truncated.'); END")
                    .arg(Comillas(QStringLiteral("mp_longitud_%1_%2").arg(QString::fromLatin1(evento).toLower(), it.key())),
                         QLatin1String(evento), Comillas(it.key()), cuando);
            sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
        }
    }
}

void MotorSqlite::Cerrar() {
    sqlite3_finalize(repetida_);
    repetida_ = nullptr;
    textoRepetida_.clear();
    if (!db_) return;
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db_);
    db_ = nullptr;
    nivel_ = 0;
}

ResultadoMotor MotorSqlite::Ejecutar(const QString& texto, int timeoutSegundos, Errores& errores) {
    FijarEspera(timeoutSegundos);
    ResultadoMotor r;
    bool modifico = false;
    for (const auto& s : dialecto::Traducir(texto)) {
        if (EjecutarControl(s, errores)) continue;
        Preparada st(Preparar(s.texto, errores));
        if (!st.get()) continue;  // only a comment
        if (sqlite3_column_count(st.get()) > 0) {
            Lector lector(st.get());
            QList<Campo> campos = lector.Campos();
            int rc;
            while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) lector.Fila();
            if (rc != SQLITE_DONE) Fallar(rc, errores);
            lector.TiparPorValor(campos);
            r.campos = std::move(campos);
            r.filas.clear();
            r.compactas = lector.Resultado();
            r.tieneFilas = true;
        } else {
            const int rc = sqlite3_step(st.get());
            if (rc != SQLITE_DONE && rc != SQLITE_ROW) Fallar(rc, errores);
            if (vocabulario::EsModificacion(s.texto)) {
                r.afectadas += static_cast<long>(sqlite3_changes64(db_));
                modifico = true;
            }
        }
    }
    if (!modifico) r.afectadas = -1;
    if (nivel_ > 0 && sqlite3_get_autocommit(db_)) nivel_ = 0;  // SQLite ended the transaction on an error
    return r;
}

long MotorSqlite::EjecutarConParametros(const QString& sql, const QVector<QVariant>& parametros, Errores& errores) {
    // A statement run again with other values (a bulk insert, a record set adding rows one after
    // another) is prepared once and reset between runs: preparing costs more than running it.
    if (!repetida_ || sql != textoRepetida_) {
        sqlite3_finalize(repetida_);
        repetida_ = nullptr;
        textoRepetida_.clear();
        sqlite3_stmt* st = Preparar(sql, errores);
        if (!st) return 0;
        repetida_ = st;
        textoRepetida_ = sql;
    }
    sqlite3_stmt* st = repetida_;
    // Reset however the run ends, so the statement never keeps the database busy.
    struct Reinicio {
        sqlite3_stmt* st;
        ~Reinicio() {
            sqlite3_reset(st);
            sqlite3_clear_bindings(st);
        }
    } reinicio{st};
    // The texts are bound from one buffer that outlives the run (the bindings are cleared before it
    // is used again): a bulk insert binds thousands of short texts, and converting and copying each
    // into memory of its own cost more than the insert did. UTF-8 takes at most three bytes for
    // each UTF-16 unit, so the buffer is sized once and never moves while bound.
    size_t cabe = 1;
    for (const QVariant& v : parametros)
        if (v.typeId() == QMetaType::QString) cabe += static_cast<size_t>(static_cast<const QString*>(v.constData())->size()) * 3;
    if (textos_.size() < cabe) textos_.resize(cabe);
    size_t usado = 0;
    for (int i = 0; i < parametros.size(); ++i) {
        const QVariant& v = parametros.at(i);
        int rc;
        if (v.typeId() == QMetaType::QString) {
            const QString& t = *static_cast<const QString*>(v.constData());
            char* destino = textos_.data() + usado;
            size_t n = 0;
            bool ascii = true;
            for (const QChar c : t) {
                if (c.unicode() >= 0x80) {
                    ascii = false;
                    break;
                }
                destino[n++] = static_cast<char>(c.unicode());
            }
            if (!ascii) {
                const QByteArray u = t.toUtf8();
                n = static_cast<size_t>(u.size());
                std::memcpy(destino, u.constData(), n);
            }
            usado += n;
            rc = sqlite3_bind_text(st, i + 1, destino, static_cast<int>(n), SQLITE_STATIC);
        } else {
            rc = Vincular(st, i + 1, v);
        }
        if (rc != SQLITE_OK) Fallar(rc, errores);
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) Fallar(rc, errores);
    return static_cast<long>(sqlite3_changes64(db_));
}

ResultadoMotor MotorSqlite::ConsultarConParametros(const QString& sql, const QVector<QVariant>& parametros, Errores& errores) {
    Preparada st(Preparar(sql, errores));
    ResultadoMotor r;
    if (!st.get()) return r;
    for (int i = 0; i < parametros.size(); ++i) {
        const int rc = Vincular(st.get(), i + 1, parametros.at(i));
        if (rc != SQLITE_OK) Fallar(rc, errores);
    }
    Lector lector(st.get());
    r.tieneFilas = sqlite3_column_count(st.get()) > 0;
    r.campos = lector.Campos();
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) lector.Fila();
    if (rc != SQLITE_DONE) Fallar(rc, errores);
    lector.TiparPorValor(r.campos);
    r.filas = lector.Resultado()->Materializar();
    return r;
}

void MotorSqlite::Comenzar(Errores& errores) {
    if (!sqlite3_get_autocommit(db_)) {
        ++nivel_;  // SQL Server nests: an inner BEGIN only counts
        return;
    }
    Exec("BEGIN IMMEDIATE", errores);
    nivel_ = 1;
}

void MotorSqlite::Confirmar(Errores& errores) {
    if (sqlite3_get_autocommit(db_)) {
        nivel_ = 0;
        Lanzar({Proveedor(QStringLiteral("25000"), nativo::CommitSinTransaccion,
                          QStringLiteral("The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION."))},
               errores);
    }
    if (nivel_ > 1) {
        --nivel_;
        return;
    }
    Exec("COMMIT", errores);
    nivel_ = 0;
}

void MotorSqlite::Deshacer(Errores& errores) {
    if (sqlite3_get_autocommit(db_)) {
        nivel_ = 0;
        Lanzar({Proveedor(QStringLiteral("25000"), nativo::RollbackSinTransaccion,
                          QStringLiteral("The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION."))},
               errores);
    }
    // As on SQL Server, a rollback undoes every nesting level at once.
    nivel_ = 0;
    Exec("ROLLBACK", errores);
}

ResultadoMotor MotorSqlite::Esquema(int tipoEsquema, const QStringList& restricciones, Errores& errores) {
    ResultadoMotor r;
    r.tieneFilas = true;
    // A single-catalog, single-schema database: the catalog and schema restrictions name it.
    const QString tabla = restricciones.value(2).trimmed();
    const QString cuarto = restricciones.value(3).trimmed();
    const QVariant catalogo(nombreBase_), esquema(QStringLiteral("dbo"));

    Preparada st(
        Preparar(QStringLiteral("SELECT name, type FROM sqlite_schema WHERE type IN ('table', 'view') ORDER BY name"), errores));
    QList<QPair<QString, QString>> objetos;
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        const QString nombre = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
        const QString clase = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 1)));
        if (!tabla.isEmpty() && nombre.compare(tabla, Qt::CaseInsensitive) != 0) continue;
        const QString tipoTabla = nombre.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive)
                                      ? QStringLiteral("SYSTEM TABLE")
                                  : clase == QLatin1String("view") ? QStringLiteral("VIEW")
                                                                   : QStringLiteral("TABLE");
        objetos.append({nombre, tipoTabla});
    }
    if (rc != SQLITE_DONE) Fallar(rc, errores);

    if (tipoEsquema == adSchemaTables) {
        r.campos = vocabulario::CamposEsquema(adSchemaTables);
        for (const auto& o : objetos) {
            if (!cuarto.isEmpty() && o.second.compare(cuarto, Qt::CaseInsensitive) != 0) continue;
            r.filas.append({catalogo, esquema, o.first, o.second, QVariant()});
        }
        return r;
    }
    if (tipoEsquema == adSchemaColumns) {
        r.campos = vocabulario::CamposEsquema(adSchemaColumns);
        for (const auto& o : objetos) {
            Preparada c(
                Preparar(QStringLiteral("SELECT cid, name, type, \"notnull\", dflt_value FROM pragma_table_info(?)"), errores));
            const QByteArray n = o.first.toUtf8();
            sqlite3_bind_text(c.get(), 1, n.constData(), static_cast<int>(n.size()), SQLITE_TRANSIENT);
            while ((rc = sqlite3_step(c.get())) == SQLITE_ROW) {
                const QString columna = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(c.get(), 1)));
                if (!cuarto.isEmpty() && columna.compare(cuarto, Qt::CaseInsensitive) != 0) continue;
                const TipoColumna t = TipoDeclarado(reinterpret_cast<const char*>(sqlite3_column_text(c.get(), 2)));
                const QVariant defecto =
                    sqlite3_column_type(c.get(), 4) == SQLITE_NULL
                        ? QVariant()
                        : QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(c.get(), 4))));
                r.filas.append(vocabulario::FilaColumna(catalogo, esquema, o.first, columna, sqlite3_column_int(c.get(), 0) + 1,
                                                        defecto, sqlite3_column_int(c.get(), 3) == 0, t));
            }
            if (rc != SQLITE_DONE) Fallar(rc, errores);
        }
        return r;
    }
    Lanzar({Proveedor(QStringLiteral("HYC00"), 0,
                      QStringLiteral("Object or provider is not capable of performing requested operation."))},
           errores);
}

qint64 MotorSqlite::UltimoIdentificador() {
    return db_ ? sqlite3_last_insert_rowid(db_) : 0;
}

void MotorSqlite::FijarBaseDefecto(const QString& nombre, Errores& errores) {
    if (nombre.trimmed().isEmpty() || vocabulario::EsNombreDeLaBase(nombre, nombreBase_, archivo_)) return;
    Lanzar({vocabulario::BaseInexistente(nombre, kOrigen)}, errores);
}

QStringList MotorSqlite::ClavePrimaria(const QString& tabla, Errores& errores) {
    Preparada st(Preparar(QStringLiteral("SELECT name FROM pragma_table_info(?) WHERE pk > 0 ORDER BY pk"), errores));
    const QByteArray n = tabla.toUtf8();
    sqlite3_bind_text(st.get(), 1, n.constData(), static_cast<int>(n.size()), SQLITE_TRANSIENT);
    QStringList clave;
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW)
        clave << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
    if (rc != SQLITE_DONE) Fallar(rc, errores);
    return clave;
}

}  // namespace driver
