#include "db/driver/MotorOdbc.h"

#include "db/driver/CadenaConexion.h"
#include "db/driver/DialectoSqlite.h"
#include "db/driver/Tipos.h"
#include "db/driver/VocabularioSqlServer.h"
#include "services/ErrorEjecucion.h"

#include <sql.h>
#include <sqlext.h>

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QTime>
#include <climits>
#include <cstring>
#include <optional>
#include <vector>

namespace driver {
namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC's SQLWCHAR is UTF-16");

const QString kOrigen = QStringLiteral("ODBC");
const QString kConexionCerrada =
    QStringLiteral("The connection cannot be used to perform this operation. It is either closed or invalid in this context.");
constexpr int kLoginPorDefecto = 15;  // seconds, the usual connection time-out of the suite's providers

// The login time-out a program string asks for ("Connect Timeout=n"), if any.
std::optional<int> TiempoConexionDe(const QMap<QString, QString>& mapa) {
    const QString v = ValorAtributo(mapa, {"connecttimeout", "connectiontimeout", "logintimeout"});
    bool ok = false;
    const int n = v.toInt(&ok);
    if (ok && n >= 0) return n;
    return std::nullopt;
}

// ---------------------------------------------------------------------------------------------
// Types

using vocabulario::EsBinario;
using vocabulario::EsTexto;

// The ADO type of an ODBC column type. The type name refines what the SQL type cannot say
// (SQL Server's money is SQL_DECIMAL to ODBC).
int TipoAdoDeSql(SQLSMALLINT tipoSql, const QString& nombreTipo) {
    using namespace tipo;
    switch (tipoSql) {
        case SQL_CHAR:
            return adChar;
        case SQL_VARCHAR:
            return adVarChar;
        case SQL_LONGVARCHAR:
            return adLongVarChar;
        case SQL_WCHAR:
            return adWChar;
        case SQL_WVARCHAR:
            return adVarWChar;
        case SQL_WLONGVARCHAR:
            return adLongVarWChar;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            return nombreTipo.contains(QLatin1String("money"), Qt::CaseInsensitive) ? adCurrency : adNumeric;
        case SQL_SMALLINT:
            return adSmallInt;
        case SQL_INTEGER:
            return adInteger;
        case SQL_TINYINT:
            return adUnsignedTinyInt;
        case SQL_BIGINT:
            return adBigInt;
        case SQL_BIT:
            return adBoolean;
        case SQL_REAL:
            return adSingle;
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return adDouble;
        case SQL_TYPE_DATE:
        case SQL_DATE:
            return adDBDate;
        case SQL_TYPE_TIME:
        case SQL_TIME:
        case -154:
            return adDBTime;  // SQL Server's time(n)
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIMESTAMP:
        case -155:
            return adDBTimeStamp;  // SQL Server's datetimeoffset
        case SQL_GUID:
            return adGUID;
        case SQL_BINARY:
            return adBinary;
        case SQL_VARBINARY:
            return adVarBinary;
        case SQL_LONGVARBINARY:
            return adLongVarBinary;
        default:
            return adVarChar;
    }
}

// DefinedSize as ADO gives it: characters for text, bytes for binary, the storage size otherwise.
int TamanoDefinido(int t, SQLULEN tamanoColumna) {
    using namespace tipo;
    const int columna = tamanoColumna > 2147483647u ? 2147483647 : static_cast<int>(tamanoColumna);
    if (EsTexto(t) || EsBinario(t)) return columna;
    switch (t) {
        case adSmallInt:
            return 2;
        case adInteger:
            return 4;
        case adSingle:
            return 4;
        case adDouble:
            return 8;
        case adCurrency:
            return 8;
        case adBoolean:
            return 2;
        case adTinyInt:
        case adUnsignedTinyInt:
            return 1;
        case adBigInt:
            return 8;
        case adNumeric:
        case adDecimal:
            return 19;
        case adGUID:
            return 16;
        case adDBDate:
        case adDBTime:
            return 6;
        case adDBTimeStamp:
            return 16;
        default:
            return columna;
    }
}

QVariant FechaDeTexto(const QString& texto, int t) {
    QString iso = texto.trimmed();
    if (iso.size() > 10 && iso.at(10) == QLatin1Char(' ')) iso[10] = QLatin1Char('T');
    if (t == tipo::adDBTime) {
        const QTime h = QTime::fromString(iso, Qt::ISODateWithMs);
        return h.isValid() ? QVariant(h) : QVariant(texto);
    }
    const QDateTime f = QDateTime::fromString(iso, Qt::ISODateWithMs);
    if (!f.isValid()) return texto;  // SQLite keeps whatever was written; never lose it
    return f;
}

// ---------------------------------------------------------------------------------------------
// Diagnostics

struct Diagnostico {
    QString estado;
    long nativo = 0;
    QString mensaje;
};

QList<Diagnostico> LeerDiagnosticos(SQLSMALLINT tipoHandle, SQLHANDLE h) {
    QList<Diagnostico> lista;
    if (!h) return lista;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLCHAR estado[6] = {0};
        SQLINTEGER nativo = 0;
        SQLSMALLINT largo = 0;
        std::vector<SQLCHAR> mensaje(1024);
        SQLRETURN rc =
            SQLGetDiagRec(tipoHandle, h, i, estado, &nativo, mensaje.data(), static_cast<SQLSMALLINT>(mensaje.size()), &largo);
        if (rc == SQL_SUCCESS_WITH_INFO && largo >= static_cast<SQLSMALLINT>(mensaje.size())) {
            mensaje.resize(static_cast<size_t>(largo) + 1);
            rc = SQLGetDiagRec(tipoHandle, h, i, estado, &nativo, mensaje.data(), static_cast<SQLSMALLINT>(mensaje.size()),
                               &largo);
        }
        if (!SQL_SUCCEEDED(rc)) break;
        lista.append({QString::fromLatin1(reinterpret_cast<const char*>(estado), 5), static_cast<long>(nativo),
                      QString::fromUtf8(reinterpret_cast<const char*>(mensaje.data())).trimmed()});
    }
    return lista;
}

// ---------------------------------------------------------------------------------------------
// Handles

// A statement handle that lives for one operation.
class Sentencia {
public:
    explicit Sentencia(SQLHDBC dbc) {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &h_))) h_ = SQL_NULL_HSTMT;
    }
    ~Sentencia() {
        if (h_) SQLFreeHandle(SQL_HANDLE_STMT, h_);
    }
    Sentencia(const Sentencia&) = delete;
    Sentencia& operator=(const Sentencia&) = delete;
    SQLHSTMT get() const { return h_; }
    explicit operator bool() const { return h_ != SQL_NULL_HSTMT; }

private:
    SQLHSTMT h_ = SQL_NULL_HSTMT;
};

// One "?" value held where SQLBindParameter can point until SQLExecute.
struct Parametro {
    SQLSMALLINT tipoC = SQL_C_CHAR;
    SQLSMALLINT tipoSql = SQL_VARCHAR;
    SQLULEN tamano = 1;
    SQLSMALLINT decimales = 0;
    QByteArray bytes;
    qint64 entero = 0;
    double doble = 0;
    unsigned char bit = 0;
    SQL_TIMESTAMP_STRUCT fechaHora{};
    SQL_DATE_STRUCT fecha{};
    SQL_TIME_STRUCT hora{};
    SQLLEN indicador = 0;

    SQLPOINTER dato() {
        switch (tipoC) {
            case SQL_C_SBIGINT:
                return &entero;
            case SQL_C_DOUBLE:
                return &doble;
            case SQL_C_BIT:
                return &bit;
            case SQL_C_TYPE_TIMESTAMP:
                return &fechaHora;
            case SQL_C_TYPE_DATE:
                return &fecha;
            case SQL_C_TYPE_TIME:
                return &hora;
            default:
                return bytes.data();
        }
    }
    SQLLEN capacidad() const {
        switch (tipoC) {
            case SQL_C_CHAR:
            case SQL_C_BINARY:
                return static_cast<SQLLEN>(bytes.size());
            default:
                return 0;
        }
    }
};

// ---------------------------------------------------------------------------------------------

class MotorOdbc final : public Motor {
public:
    ~MotorOdbc() override { Cerrar(); }

    void Abrir(const ParametrosConexion& p, Errores& errores) override;
    void Cerrar() override;
    bool Abierto() const override { return conectado_; }
    ResultadoMotor Ejecutar(const QString& texto, int timeoutSegundos, Errores& errores) override;
    long EjecutarConParametros(const QString& sql, const QVector<QVariant>& parametros, Errores& errores) override;
    void Comenzar(Errores& errores) override;
    void Confirmar(Errores& errores) override;
    void Deshacer(Errores& errores) override;
    ResultadoMotor Esquema(int tipo, const QStringList& restricciones, Errores& errores) override;
    qint64 UltimoIdentificador() override;
    void FijarBaseDefecto(const QString& nombre, Errores& errores) override;
    bool EnTransaccion() const override { return nivel_ > 0; }
    ResultadoMotor ConsultarConParametros(const QString& sql, const QVector<QVariant>& parametros, Errores& errores) override;
    QStringList ClavePrimaria(const QString& tabla, Errores& errores) override;

private:
    [[noreturn]] void Fallar(SQLSMALLINT tipoHandle, SQLHANDLE h, Errores& errores, const QString& porDefecto);
    [[noreturn]] void FallarCon(Errores& errores, const QString& estado, long nativoSql, const QString& mensaje,
                                long numero = errnum::E_FAIL);
    void ExigirAbierta(Errores& errores);
    void Comprobar(SQLRETURN rc, SQLSMALLINT tipoHandle, SQLHANDLE h, Errores& errores, const char* que);
    void EjecutarSentencia(SQLHSTMT st, const QString& sql, ResultadoMotor& r, Errores& errores);
    // modifica: whether a statement without columns changes rows (SQLite's driver counts 0 rows for
    // DDL); unknown for a server, where a row count of -1 says it
    void RecorrerResultados(SQLHSTMT st, SQLRETURN rc, ResultadoMotor& r, Errores& errores,
                            std::optional<bool> modifica = std::nullopt);
    SQLRETURN EjecutarPreparada(const Sentencia& st, const QString& sql, const QVector<QVariant>& parametros,
                                std::vector<Parametro>& valores, Errores& errores);
    void LeerResultado(SQLHSTMT st, ResultadoMotor& r, bool tiposDeclarados, Errores& errores);
    QVariant LeerValor(SQLHSTMT st, SQLUSMALLINT columna, int tipoAdo, Errores& errores);
    bool LeerBytes(SQLHSTMT st, SQLUSMALLINT columna, SQLSMALLINT tipoC, QByteArray& salida, Errores& errores);
    void PrepararParametro(Parametro& p, const QVariant& v);
    void FijarEsperaSqlite(int segundos);

    SQLHENV env_ = SQL_NULL_HENV;
    SQLHDBC dbc_ = SQL_NULL_HDBC;
    bool conectado_ = false;
    bool sqlite_ = false;    // the data source is SQLite (its failures are renamed)
    bool traducir_ = false;  // the program's SQL Server text must be translated for it
    bool sqlServer_ = false;
    int nivel_ = 0;                // SQL Server's @@TRANCOUNT
    bool cadenaEsSqlite_ = false;  // before connecting: the string names a SQLite driver or DSN
    int esperaSqlite_ = -1;
    QString archivoSqlite_;  // the Database= file of a SQLite source
    QString nombreBase_;     // the database name of the connection string
    int ultimoTimeout_ = -1;
};

void MotorOdbc::FallarCon(Errores& errores, const QString& estado, long nativoSql, const QString& mensaje, long numero) {
    ErrorProveedor e;
    e.SQLState = estado;
    e.Number = numero;
    e.Description = mensaje;
    e.NativeError = nativoSql;
    e.Source = kOrigen;
    errores.Agregar(e);
    throw ErrorEjecucion(numero, mensaje, kOrigen);
}

// Every diagnostic record of the failed call goes to the error list; the first one is the error
// the program sees. A broken link, whatever the driver calls it, is SQL Server's native 11 so the
// lost-connection recovery of the program starts.
void MotorOdbc::Fallar(SQLSMALLINT tipoHandle, SQLHANDLE h, Errores& errores, const QString& porDefecto) {
    QList<Diagnostico> lista = LeerDiagnosticos(tipoHandle, h);
    const bool sqlite = conectado_ ? sqlite_ : cadenaEsSqlite_;
    QString primero;
    if (sqlite && !lista.isEmpty()) {
        // SQLite's own codes and texts, said as the embedded back end says them.
        const Diagnostico& d = lista.first();
        const auto traducidos = vocabulario::ErroresSqlite(static_cast<int>(d.nativo), d.mensaje, qMax(0, esperaSqlite_) * 1000,
                                                           !conectado_, kOrigen);
        for (const ErrorProveedor& e : traducidos) errores.Agregar(e);
        throw ErrorEjecucion(errnum::E_FAIL, traducidos.first().Description, kOrigen);
    }
    for (Diagnostico& d : lista) {
        if (d.estado.startsWith(QLatin1String("08")) || d.estado == QLatin1String("HYT01"))
            d.nativo = nativo::ConexionPerdida;
        else if (d.estado == QLatin1String("HYT00"))
            d.nativo = nativo::TiempoAgotado;
        ErrorProveedor e;
        e.SQLState = d.estado;
        e.Number = errnum::E_FAIL;
        e.Description = d.mensaje;
        e.NativeError = d.nativo;
        e.Source = kOrigen;
        errores.Agregar(e);
        if (primero.isEmpty()) primero = d.mensaje;
    }
    if (lista.isEmpty()) {
        ErrorProveedor e;
        e.SQLState = QStringLiteral("HY000");
        e.Number = errnum::E_FAIL;
        e.Description = porDefecto;
        e.Source = kOrigen;
        errores.Agregar(e);
        primero = porDefecto;
    }
    throw ErrorEjecucion(errnum::E_FAIL, primero, kOrigen);
}

void MotorOdbc::Comprobar(SQLRETURN rc, SQLSMALLINT tipoHandle, SQLHANDLE h, Errores& errores, const char* que) {
    if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) return;
    Fallar(tipoHandle, h, errores, QStringLiteral("Error de ODBC en %1").arg(QLatin1String(que)));
}

void MotorOdbc::ExigirAbierta(Errores& errores) {
    if (!conectado_)
        FallarCon(errores, QStringLiteral("08003"), nativo::ConexionPerdida, kConexionCerrada, errnum::ConnectionInvalid);
}

void MotorOdbc::Abrir(const ParametrosConexion& p, Errores& errores) {
    Cerrar();
    // The connection string was turned into the driver's attributes where every string is routed
    // (CadenaConexion); what could not be, says why here.
    if (!p.fallaOdbc.isEmpty()) FallarCon(errores, QStringLiteral("IM002"), 0, p.fallaOdbc);
    const QString& cadena = p.cadenaOdbc;
    {
        const auto mapa = AtributosOdbc(cadena);
        cadenaEsSqlite_ = ValorAtributo(mapa, {"driver", "dsn"}).contains(QLatin1String("sqlite"), Qt::CaseInsensitive);
    }

    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_))) {
        env_ = SQL_NULL_HENV;
        FallarCon(errores, QStringLiteral("HY001"), 0,
                  QStringLiteral("No se pudo iniciar el administrador de controladores ODBC."));
    }
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_))) {
        dbc_ = SQL_NULL_HDBC;
        try {
            Fallar(SQL_HANDLE_ENV, env_, errores, QStringLiteral("No se pudo crear la conexión ODBC."));
        } catch (...) {
            Cerrar();
            throw;
        }
    }

    // How long a login may take: what the program's string asks for, else the command time-out
    // this connection last ran with (a re-open after a lost link should not outlast it).
    int login = kLoginPorDefecto;
    if (auto t = TiempoConexionDe(AtributosOdbc(p.cadenaOdbc)))
        login = *t;
    else if (auto t2 = TiempoConexionDe(AtributosOdbc(p.claves)))
        login = *t2;
    else if (ultimoTimeout_ > 0)
        login = ultimoTimeout_;
    SQLSetConnectAttr(dbc_, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(login)), 0);

    QByteArray entrada = cadena.toUtf8();
    SQLCHAR salida[2048];
    SQLSMALLINT largoSalida = 0;
    const SQLRETURN rc = SQLDriverConnect(dbc_, nullptr, reinterpret_cast<SQLCHAR*>(entrada.data()), SQL_NTS, salida,
                                          sizeof salida, &largoSalida, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        try {
            Fallar(SQL_HANDLE_DBC, dbc_, errores, QStringLiteral("No se pudo conectar con el origen de datos ODBC."));
        } catch (...) {
            Cerrar();
            throw;
        }
    }
    conectado_ = true;
    {
        const auto mapa = AtributosOdbc(cadena);
        archivoSqlite_ = ValorAtributo(mapa, {"database", "dbq"});
        nombreBase_ = p.baseDatos.trimmed();
    }

    SQLCHAR dbms[256] = {0};
    SQLSMALLINT largo = 0;
    SQLGetInfo(dbc_, SQL_DBMS_NAME, dbms, sizeof dbms, &largo);
    const QString nombre = QString::fromUtf8(reinterpret_cast<const char*>(dbms));
    sqlite_ = nombre.contains(QLatin1String("sqlite"), Qt::CaseInsensitive);
    sqlServer_ = nombre.contains(QLatin1String("SQL Server"), Qt::CaseInsensitive);
    // The program writes SQL Server text to everything but Oracle; a DSN does not say which database
    // it reaches, so the answer of the driver decides.
    traducir_ = sqlite_ && (p.dialectoSqlServer || p.origen == ParametrosConexion::Origen::Odbc);

    if (sqlite_) {
        // The embedded back end enforces references; the same file must behave the same here.
        Sentencia st(dbc_);
        if (st) SQLExecDirect(st.get(), reinterpret_cast<SQLCHAR*>(const_cast<char*>("PRAGMA foreign_keys = ON")), SQL_NTS);
    }
}

void MotorOdbc::Cerrar() {
    if (dbc_) {
        if (conectado_) {
            if (nivel_ > 0) SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK);
            SQLDisconnect(dbc_);
        }
        SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
        dbc_ = SQL_NULL_HDBC;
    }
    if (env_) {
        SQLFreeHandle(SQL_HANDLE_ENV, env_);
        env_ = SQL_NULL_HENV;
    }
    conectado_ = sqlite_ = traducir_ = sqlServer_ = false;
    nivel_ = 0;
    esperaSqlite_ = -1;
}

// SQLite has no query time-out, but a busy database is waited for: the command time-out bounds it.
void MotorOdbc::FijarEsperaSqlite(int segundos) {
    if (segundos == esperaSqlite_) return;
    Sentencia st(dbc_);
    if (!st) return;
    QByteArray sql = QStringLiteral("PRAGMA busy_timeout = %1").arg(qMax(0, segundos) * 1000).toUtf8();
    if (SQL_SUCCEEDED(SQLExecDirect(st.get(), reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS))) esperaSqlite_ = segundos;
}

ResultadoMotor MotorOdbc::Ejecutar(const QString& texto, int timeoutSegundos, Errores& errores) {
    ExigirAbierta(errores);
    ultimoTimeout_ = timeoutSegundos;
    ResultadoMotor r;
    r.afectadas = -1;
    if (!traducir_) {
        // a server takes the program's text, scripts and all, as one batch
        Sentencia st(dbc_);
        if (!st) Fallar(SQL_HANDLE_DBC, dbc_, errores, QStringLiteral("No se pudo preparar la sentencia."));
        if (timeoutSegundos > 0)
            SQLSetStmtAttr(st.get(), SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(timeoutSegundos)),
                           0);
        EjecutarSentencia(st.get(), texto, r, errores);
        return r;
    }

    // SQLite through its driver: one statement at a time, in its own dialect
    FijarEsperaSqlite(timeoutSegundos > 0 ? timeoutSegundos : 30);  // "no limit" still must not hang
    for (const dialecto::Sentencia& s : dialecto::Traducir(texto)) {
        if (EjecutarControl(s, errores)) continue;
        if (s.texto.trimmed().isEmpty()) continue;
        Sentencia st(dbc_);
        if (!st) Fallar(SQL_HANDLE_DBC, dbc_, errores, QStringLiteral("No se pudo preparar la sentencia."));
        EjecutarSentencia(st.get(), s.texto, r, errores);
    }
    return r;
}

// Runs one text (a batch, for servers that take several statements at once) and walks every result
// it produces: the last one with columns is kept, the counts of the others are added up.
void MotorOdbc::EjecutarSentencia(SQLHSTMT st, const QString& sql, ResultadoMotor& r, Errores& errores) {
    QByteArray bytes = sql.toUtf8();
    std::optional<bool> modifica;
    if (sqlite_) modifica = vocabulario::EsModificacion(sql);
    RecorrerResultados(st, SQLExecDirect(st, reinterpret_cast<SQLCHAR*>(bytes.data()), static_cast<SQLINTEGER>(bytes.size())), r,
                       errores, modifica);
}

void MotorOdbc::RecorrerResultados(SQLHSTMT st, SQLRETURN rc, ResultadoMotor& r, Errores& errores, std::optional<bool> modifica) {
    // rows affected as ADO counts them: -1 until a statement that changes rows has run
    auto sumar = [&](SQLLEN n) {
        if (r.afectadas < 0) r.afectadas = 0;
        r.afectadas += static_cast<long>(qMax<SQLLEN>(0, n));
    };
    for (bool primero = true;; primero = false) {
        if (rc == SQL_NO_DATA) {
            // a searched UPDATE / DELETE that touched nothing
            if (primero && modifica.value_or(true)) sumar(0);
        } else if (!SQL_SUCCEEDED(rc)) {
            Fallar(SQL_HANDLE_STMT, st, errores, QStringLiteral("No se pudo ejecutar la sentencia."));
        } else {
            SQLSMALLINT columnas = 0;
            Comprobar(SQLNumResultCols(st, &columnas), SQL_HANDLE_STMT, st, errores, "SQLNumResultCols");
            if (columnas > 0) {
                ResultadoMotor uno;
                LeerResultado(st, uno, sqlite_, errores);
                r.tieneFilas = true;
                r.campos = std::move(uno.campos);
                r.filas = std::move(uno.filas);
            } else {
                SQLLEN n = -1;
                if (!SQL_SUCCEEDED(SQLRowCount(st, &n))) n = -1;
                if (modifica.value_or(n >= 0)) sumar(n);
            }
        }
        rc = SQLMoreResults(st);
        if (rc == SQL_NO_DATA) break;
    }
}

void MotorOdbc::LeerResultado(SQLHSTMT st, ResultadoMotor& r, bool tiposDeclarados, Errores& errores) {
    SQLSMALLINT columnas = 0;
    Comprobar(SQLNumResultCols(st, &columnas), SQL_HANDLE_STMT, st, errores, "SQLNumResultCols");
    QVector<int> tipos;
    for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columnas); ++c) {
        SQLCHAR nombre[512] = {0};
        SQLSMALLINT largoNombre = 0, tipoSql = 0, decimales = 0, nulos = 0;
        SQLULEN tamano = 0;
        Comprobar(SQLDescribeCol(st, c, nombre, sizeof nombre, &largoNombre, &tipoSql, &tamano, &decimales, &nulos),
                  SQL_HANDLE_STMT, st, errores, "SQLDescribeCol");
        auto atributo = [&](SQLUSMALLINT campo) {
            SQLCHAR texto[512] = {0};
            SQLSMALLINT largo = 0;
            if (!SQL_SUCCEEDED(SQLColAttribute(st, c, campo, texto, sizeof texto, &largo, nullptr))) return QString();
            return QString::fromUtf8(reinterpret_cast<const char*>(texto));
        };
        const QString nombreTipo = atributo(SQL_DESC_TYPE_NAME);

        Campo campo;
        campo.Name = QString::fromUtf8(reinterpret_cast<const char*>(nombre));
        vocabulario::TipoColumna declarado =
            tiposDeclarados ? vocabulario::TipoDeclarado(nombreTipo) : vocabulario::TipoColumna{};
        if (declarado.tipo >= 0) {
            campo.Type = declarado.tipo;
            // the type name comes without its length ("varchar"); the driver's column size has it
            const bool conLargo = EsTexto(declarado.tipo) || EsBinario(declarado.tipo);
            campo.DefinedSize =
                conLargo && !declarado.tamanoDelNombre ? TamanoDefinido(declarado.tipo, tamano) : declarado.tamano;
            campo.Precision = declarado.precision;
            campo.NumericScale = declarado.escala;
            if (declarado.tipo == tipo::adNumeric && tamano > 0) campo.Precision = static_cast<int>(qMin<SQLULEN>(tamano, 38));
        } else {
            campo.Type = TipoAdoDeSql(tipoSql, nombreTipo);
            campo.DefinedSize = TamanoDefinido(campo.Type, tamano);
            if (!EsTexto(campo.Type) && !EsBinario(campo.Type)) {
                campo.Precision = static_cast<int>(qMin<SQLULEN>(tamano, 255));
                campo.NumericScale = decimales;
            }
        }
        const QString tabla = atributo(SQL_DESC_BASE_TABLE_NAME);
        if (!tabla.isEmpty()) {
            campo.TablaBase = tabla;
            campo.ColumnaBase = atributo(SQL_DESC_BASE_COLUMN_NAME);
            if (campo.ColumnaBase.isEmpty()) campo.ColumnaBase = campo.Name;
        }
        tipos.append(campo.Type);
        r.campos.append(campo);
    }

    for (;;) {
        const SQLRETURN rc = SQLFetch(st);
        if (rc == SQL_NO_DATA) break;
        if (!SQL_SUCCEEDED(rc)) Fallar(SQL_HANDLE_STMT, st, errores, QStringLiteral("No se pudieron leer las filas."));
        QVector<QVariant> fila;
        fila.reserve(columnas);
        for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columnas); ++c)
            fila.append(LeerValor(st, c, tipos.at(c - 1), errores));
        r.filas.append(std::move(fila));
    }
}

// Reads a value in as many pieces as the driver hands it; false when it is NULL.
bool MotorOdbc::LeerBytes(SQLHSTMT st, SQLUSMALLINT columna, SQLSMALLINT tipoC, QByteArray& salida, Errores& errores) {
    salida.clear();
    const SQLLEN terminador = tipoC == SQL_C_CHAR ? 1 : (tipoC == SQL_C_WCHAR ? static_cast<SQLLEN>(sizeof(SQLWCHAR)) : 0);
    char pieza[8192];
    const SQLLEN capacidad = static_cast<SQLLEN>(sizeof pieza) - terminador;
    for (;;) {
        SQLLEN indicador = 0;
        const SQLRETURN rc = SQLGetData(st, columna, tipoC, pieza, sizeof pieza, &indicador);
        if (rc == SQL_NO_DATA) return true;
        if (!SQL_SUCCEEDED(rc)) Fallar(SQL_HANDLE_STMT, st, errores, QStringLiteral("No se pudo leer un valor."));
        if (indicador == SQL_NULL_DATA) return false;
        if (indicador == SQL_NO_TOTAL || indicador > capacidad) {
            salida.append(pieza, static_cast<qsizetype>(capacidad));
            continue;
        }
        salida.append(pieza, static_cast<qsizetype>(indicador));
        return true;
    }
}

QVariant MotorOdbc::LeerValor(SQLHSTMT st, SQLUSMALLINT columna, int t, Errores& errores) {
    using namespace tipo;
    auto fijo = [&](SQLSMALLINT tipoC, void* dato, SQLLEN largo) {
        SQLLEN indicador = 0;
        const SQLRETURN rc = SQLGetData(st, columna, tipoC, dato, largo, &indicador);
        if (!SQL_SUCCEEDED(rc)) Fallar(SQL_HANDLE_STMT, st, errores, QStringLiteral("No se pudo leer un valor."));
        return indicador != SQL_NULL_DATA;
    };
    auto texto = [&](SQLSMALLINT tipoC) -> std::optional<QString> {
        QByteArray bytes;
        if (!LeerBytes(st, columna, tipoC, bytes, errores)) return std::nullopt;
        QString s = tipoC == SQL_C_WCHAR
                        ? QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2)
                        : QString::fromUtf8(bytes);
        if (s.isNull()) s = QLatin1String("");  // "" is a value, distinct from NULL
        return s;
    };

    switch (t) {
        case adSmallInt:
        case adInteger:
        case adTinyInt:
        case adUnsignedTinyInt:
        case adBigInt: {
            qint64 n = 0;
            if (!fijo(SQL_C_SBIGINT, &n, sizeof n)) return QVariant();
            if (n >= INT_MIN && n <= INT_MAX) return static_cast<int>(n);  // as the embedded back end gives them
            return static_cast<qlonglong>(n);
        }
        case adBoolean: {
            qint64 n = 0;
            if (!fijo(SQL_C_SBIGINT, &n, sizeof n)) return QVariant();
            return n != 0;
        }
        case adSingle:
        case adDouble: {
            double d = 0;
            if (!fijo(SQL_C_DOUBLE, &d, sizeof d)) return QVariant();
            return d;
        }
        case adCurrency:
        case adNumeric:
        case adDecimal: {
            // read as text: no binary numeric struct survives every driver, and SQLite may hold text
            auto s = texto(SQL_C_CHAR);
            if (!s) return QVariant();
            bool ok = false;
            const double d = s->trimmed().toDouble(&ok);
            return ok ? QVariant(d) : QVariant(*s);
        }
        case adDBDate:
        case adDBTime:
        case adDBTimeStamp:
        case adDate: {
            if (sqlite_) {
                // SQLite keeps dates as text; its driver turns text it cannot read into NULL, so read
                // the text and parse it here.
                auto s = texto(SQL_C_CHAR);
                if (!s) return QVariant();
                return FechaDeTexto(*s, t);
            }
            if (t == adDBDate) {
                // a date is a Date to the program, as the other back end gives it: midnight of that day
                SQL_DATE_STRUCT f{};
                if (!fijo(SQL_C_TYPE_DATE, &f, sizeof f)) return QVariant();
                return QDateTime(QDate(f.year, f.month, f.day), QTime(0, 0));
            }
            if (t == adDBTime) {
                SQL_TIME_STRUCT h{};
                if (!fijo(SQL_C_TYPE_TIME, &h, sizeof h)) return QVariant();
                return QTime(h.hour, h.minute, h.second);
            }
            SQL_TIMESTAMP_STRUCT f{};
            if (!fijo(SQL_C_TYPE_TIMESTAMP, &f, sizeof f)) return QVariant();
            return QDateTime(QDate(f.year, f.month, f.day),
                             QTime(f.hour, f.minute, f.second, static_cast<int>(f.fraction / 1000000)));
        }
        case adBinary:
        case adVarBinary:
        case adLongVarBinary: {
            QByteArray bytes;
            if (!LeerBytes(st, columna, SQL_C_BINARY, bytes, errores)) return QVariant();
            return bytes;
        }
        case adWChar:
        case adVarWChar:
        case adLongVarWChar: {
            // SQLite is UTF-8 through and through; other drivers hand Unicode columns over as UTF-16
            auto s = texto(sqlite_ ? SQL_C_CHAR : SQL_C_WCHAR);
            return s ? QVariant(*s) : QVariant();
        }
        default: {
            auto s = texto(SQL_C_CHAR);
            return s ? QVariant(*s) : QVariant();
        }
    }
}

void MotorOdbc::PrepararParametro(Parametro& p, const QVariant& v) {
    auto comoTexto = [&](const QString& s) {
        p.tipoC = SQL_C_CHAR;
        p.bytes = s.toUtf8();
        p.indicador = p.bytes.size();
        p.tamano = static_cast<SQLULEN>(qMax<qsizetype>(1, p.bytes.size()));
        p.tipoSql = p.bytes.size() > 8000 ? SQL_LONGVARCHAR : SQL_VARCHAR;
        p.bytes.append('\0');  // never a zero-length buffer
    };
    if (!v.isValid() || v.isNull()) {
        comoTexto(QString());
        p.indicador = SQL_NULL_DATA;
        return;
    }
    switch (v.metaType().id()) {
        case QMetaType::Bool:
            p.tipoC = SQL_C_BIT;
            p.tipoSql = SQL_BIT;
            p.bit = v.toBool() ? 1 : 0;
            return;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::ULong:
        case QMetaType::ULongLong: {
            p.tipoC = SQL_C_SBIGINT;
            p.entero = v.toLongLong();
            p.tipoSql = (p.entero >= INT_MIN && p.entero <= INT_MAX) ? SQL_INTEGER : SQL_BIGINT;
            return;
        }
        case QMetaType::Double:
        case QMetaType::Float:
            p.tipoC = SQL_C_DOUBLE;
            p.tipoSql = SQL_DOUBLE;
            p.doble = v.toDouble();
            p.tamano = 15;
            return;
        case QMetaType::QByteArray:
            p.tipoC = SQL_C_BINARY;
            p.bytes = v.toByteArray();
            p.indicador = p.bytes.size();
            p.tamano = static_cast<SQLULEN>(qMax<qsizetype>(1, p.bytes.size()));
            p.tipoSql = p.bytes.size() > 8000 ? SQL_LONGVARBINARY : SQL_VARBINARY;
            if (p.bytes.isEmpty()) p.bytes.append('\0');
            return;
        default:
            break;
    }
    if (sqlite_) {
        // The embedded back end writes dates as ISO text; the same file must read back the same way.
        switch (v.metaType().id()) {
            case QMetaType::QDateTime: {
                const QDateTime f = v.toDateTime();
                comoTexto(f.toString(f.time().msec() ? QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")
                                                     : QStringLiteral("yyyy-MM-dd HH:mm:ss")));
                return;
            }
            case QMetaType::QDate:
                comoTexto(v.toDate().toString(Qt::ISODate));
                return;
            case QMetaType::QTime:
                comoTexto(v.toTime().toString(QStringLiteral("HH:mm:ss")));
                return;
            default:
                comoTexto(v.toString());
                return;
        }
    }
    switch (v.metaType().id()) {
        case QMetaType::QDateTime: {
            const QDateTime f = v.toDateTime();
            p.tipoC = SQL_C_TYPE_TIMESTAMP;
            p.tipoSql = SQL_TYPE_TIMESTAMP;
            p.tamano = 23;
            p.decimales = 3;
            p.fechaHora.year = static_cast<SQLSMALLINT>(f.date().year());
            p.fechaHora.month = static_cast<SQLUSMALLINT>(f.date().month());
            p.fechaHora.day = static_cast<SQLUSMALLINT>(f.date().day());
            p.fechaHora.hour = static_cast<SQLUSMALLINT>(f.time().hour());
            p.fechaHora.minute = static_cast<SQLUSMALLINT>(f.time().minute());
            p.fechaHora.second = static_cast<SQLUSMALLINT>(f.time().second());
            p.fechaHora.fraction = static_cast<SQLUINTEGER>(f.time().msec()) * 1000000u;
            return;
        }
        case QMetaType::QDate: {
            const QDate f = v.toDate();
            p.tipoC = SQL_C_TYPE_DATE;
            p.tipoSql = SQL_TYPE_DATE;
            p.tamano = 10;
            p.fecha.year = static_cast<SQLSMALLINT>(f.year());
            p.fecha.month = static_cast<SQLUSMALLINT>(f.month());
            p.fecha.day = static_cast<SQLUSMALLINT>(f.day());
            return;
        }
        case QMetaType::QTime: {
            const QTime h = v.toTime();
            p.tipoC = SQL_C_TYPE_TIME;
            p.tipoSql = SQL_TYPE_TIME;
            p.tamano = 8;
            p.hora.hour = static_cast<SQLUSMALLINT>(h.hour());
            p.hora.minute = static_cast<SQLUSMALLINT>(h.minute());
            p.hora.second = static_cast<SQLUSMALLINT>(h.second());
            return;
        }
        default:
            comoTexto(v.toString());
            return;
    }
}

// Prepares sql, binds the values to its "?" and runs it. valores holds the bound values and must
// outlive the execution: it is sized once here and never grows after binding.
SQLRETURN MotorOdbc::EjecutarPreparada(const Sentencia& st, const QString& sql, const QVector<QVariant>& parametros,
                                       std::vector<Parametro>& valores, Errores& errores) {
    if (!st) Fallar(SQL_HANDLE_DBC, dbc_, errores, QStringLiteral("No se pudo preparar la sentencia."));
    QByteArray bytes = sql.toUtf8();
    Comprobar(SQLPrepare(st.get(), reinterpret_cast<SQLCHAR*>(bytes.data()), static_cast<SQLINTEGER>(bytes.size())),
              SQL_HANDLE_STMT, st.get(), errores, "SQLPrepare");
    valores.assign(static_cast<size_t>(parametros.size()), Parametro{});
    for (qsizetype i = 0; i < parametros.size(); ++i) {
        Parametro& p = valores[static_cast<size_t>(i)];
        PrepararParametro(p, parametros.at(i));
        Comprobar(SQLBindParameter(st.get(), static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, p.tipoC, p.tipoSql, p.tamano,
                                   p.decimales, p.dato(), p.capacidad(), &p.indicador),
                  SQL_HANDLE_STMT, st.get(), errores, "SQLBindParameter");
    }
    const SQLRETURN rc = SQLExecute(st.get());
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA)
        Fallar(SQL_HANDLE_STMT, st.get(), errores, QStringLiteral("No se pudo ejecutar la sentencia."));
    return rc;
}

long MotorOdbc::EjecutarConParametros(const QString& sql, const QVector<QVariant>& parametros, Errores& errores) {
    ExigirAbierta(errores);
    Sentencia st(dbc_);
    std::vector<Parametro> valores;
    if (EjecutarPreparada(st, sql, parametros, valores, errores) == SQL_NO_DATA) return 0;
    SQLLEN n = 0;
    if (!SQL_SUCCEEDED(SQLRowCount(st.get(), &n)) || n < 0) n = 0;
    return static_cast<long>(n);
}

ResultadoMotor MotorOdbc::ConsultarConParametros(const QString& sql, const QVector<QVariant>& parametros, Errores& errores) {
    ExigirAbierta(errores);
    Sentencia st(dbc_);
    std::vector<Parametro> valores;
    const SQLRETURN rc = EjecutarPreparada(st, sql, parametros, valores, errores);
    ResultadoMotor r;
    RecorrerResultados(st.get(), rc, r, errores);
    return r;
}

QStringList MotorOdbc::ClavePrimaria(const QString& tabla, Errores& errores) {
    ExigirAbierta(errores);
    // "owner.table" (dbo.X) names the schema too
    QString esquema, nombre = tabla.trimmed();
    const qsizetype punto = nombre.lastIndexOf(QLatin1Char('.'));
    if (punto >= 0) {
        esquema = nombre.left(punto);
        nombre = nombre.mid(punto + 1);
    }
    auto sinCorchetes = [](QString n) {
        n = n.trimmed();
        if (n.startsWith(QLatin1Char('[')) && n.endsWith(QLatin1Char(']'))) n = n.mid(1, n.size() - 2);
        return n;
    };
    QByteArray bEsquema = sinCorchetes(esquema).toUtf8(), bNombre = sinCorchetes(nombre).toUtf8();
    Sentencia st(dbc_);
    if (!st) Fallar(SQL_HANDLE_DBC, dbc_, errores, QStringLiteral("No se pudo preparar la consulta del esquema."));
    Comprobar(SQLPrimaryKeys(st.get(), nullptr, 0,
                             (sqlite_ || bEsquema.isEmpty()) ? nullptr : reinterpret_cast<SQLCHAR*>(bEsquema.data()),
                             (sqlite_ || bEsquema.isEmpty()) ? 0 : static_cast<SQLSMALLINT>(bEsquema.size()),
                             reinterpret_cast<SQLCHAR*>(bNombre.data()), static_cast<SQLSMALLINT>(bNombre.size())),
              SQL_HANDLE_STMT, st.get(), errores, "SQLPrimaryKeys");
    ResultadoMotor crudo;
    LeerResultado(st.get(), crudo, false, errores);
    // TABLE_CAT, TABLE_SCHEM, TABLE_NAME, COLUMN_NAME, KEY_SEQ, PK_NAME
    QMap<int, QString> porOrden;
    for (const auto& f : crudo.filas)
        if (f.size() >= 5) porOrden.insert(f.at(4).toInt(), f.at(3).toString());
    return porOrden.values();
}

// Transactions nest the way SQL Server counts them (@@TRANCOUNT): only the outermost BEGIN starts
// one and only the outermost COMMIT ends it; a ROLLBACK undoes everything at any depth. The same
// counter serves BeginTrans and the BEGIN / COMMIT / ROLLBACK of a translated script.
void MotorOdbc::Comenzar(Errores& errores) {
    ExigirAbierta(errores);
    if (nivel_ == 0)
        Comprobar(SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT,
                                    reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_AUTOCOMMIT_OFF)), 0),
                  SQL_HANDLE_DBC, dbc_, errores, "BeginTrans");
    ++nivel_;
}

void MotorOdbc::Confirmar(Errores& errores) {
    ExigirAbierta(errores);
    if (nivel_ == 0)
        FallarCon(errores, QStringLiteral("25000"), nativo::CommitSinTransaccion,
                  QStringLiteral("The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION."));
    if (nivel_ > 1) {
        --nivel_;
        return;
    }
    // a commit that fails (a busy database) leaves the transaction open for a rollback
    Comprobar(SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_COMMIT), SQL_HANDLE_DBC, dbc_, errores, "CommitTrans");
    nivel_ = 0;
    Comprobar(
        SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_AUTOCOMMIT_ON)), 0),
        SQL_HANDLE_DBC, dbc_, errores, "CommitTrans");
}

void MotorOdbc::Deshacer(Errores& errores) {
    ExigirAbierta(errores);
    if (nivel_ == 0)
        FallarCon(errores, QStringLiteral("25000"), nativo::RollbackSinTransaccion,
                  QStringLiteral("The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION."));
    // whatever the rollback answers, the transaction is over (a broken link has already undone it)
    nivel_ = 0;
    const SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK);
    if (!SQL_SUCCEEDED(rc)) {
        try {
            Fallar(SQL_HANDLE_DBC, dbc_, errores, QStringLiteral("RollbackTrans"));
        } catch (...) {
            SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_AUTOCOMMIT_ON)),
                              0);
            throw;
        }
    }
    Comprobar(
        SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_AUTOCOMMIT_ON)), 0),
        SQL_HANDLE_DBC, dbc_, errores, "RollbackTrans");
}

ResultadoMotor MotorOdbc::Esquema(int tipoEsquema, const QStringList& restricciones, Errores& errores) {
    ExigirAbierta(errores);
    if (tipoEsquema != adSchemaTables && tipoEsquema != adSchemaColumns)
        FallarCon(errores, QStringLiteral("HYC00"), 0,
                  QStringLiteral("Object or provider is not capable of performing requested operation."));

    // restrictions: catalog, schema, table and then the table type or the column; empty means any
    QList<QByteArray> args;
    for (int i = 0; i < 4; ++i) args.append(i < restricciones.size() ? restricciones.at(i).toUtf8() : QByteArray());
    auto arg = [&](int i) -> SQLCHAR* { return args[i].isEmpty() ? nullptr : reinterpret_cast<SQLCHAR*>(args[i].data()); };
    auto largo = [&](int i) -> SQLSMALLINT { return args[i].isEmpty() ? 0 : static_cast<SQLSMALLINT>(args[i].size()); };

    Sentencia st(dbc_);
    if (!st) Fallar(SQL_HANDLE_DBC, dbc_, errores, QStringLiteral("No se pudo preparar la consulta del esquema."));
    SQLRETURN rc;
    QByteArray tiposTabla = args[3].isEmpty() ? QByteArrayLiteral("TABLE,VIEW") : args[3];
    if (tipoEsquema == adSchemaTables)
        rc = SQLTables(st.get(), arg(0), largo(0), arg(1), largo(1), arg(2), largo(2),
                       reinterpret_cast<SQLCHAR*>(tiposTabla.data()), static_cast<SQLSMALLINT>(tiposTabla.size()));
    else
        rc = SQLColumns(st.get(), arg(0), largo(0), arg(1), largo(1), arg(2), largo(2), arg(3), largo(3));
    Comprobar(rc, SQL_HANDLE_STMT, st.get(), errores, tipoEsquema == adSchemaTables ? "SQLTables" : "SQLColumns");

    ResultadoMotor crudo;
    LeerResultado(st.get(), crudo, false, errores);

    // Names are search patterns to ODBC ("_" matches any character): keep the exact names only.
    auto coincide = [&](const QVariant& v, int i) {
        return restricciones.size() <= i || restricciones.at(i).isEmpty() ||
               v.toString().compare(restricciones.at(i), Qt::CaseInsensitive) == 0;
    };
    auto texto = [](const QVariant& v) { return v.isNull() ? QVariant() : QVariant(v.toString()); };

    ResultadoMotor r;
    r.tieneFilas = true;
    r.campos = vocabulario::CamposEsquema(tipoEsquema);
    if (tipoEsquema == adSchemaTables) {
        for (const auto& f : crudo.filas) {
            if (f.size() < 4 || !coincide(f.at(2), 2)) continue;
            r.filas.append(
                {texto(f.at(0)), texto(f.at(1)), texto(f.at(2)), texto(f.at(3)), f.size() > 4 ? texto(f.at(4)) : QVariant()});
        }
        return r;
    }
    for (const auto& f : crudo.filas) {
        if (f.size() < 17 || !coincide(f.at(2), 2) || !coincide(f.at(3), 3)) continue;
        const QString nombreTipo = f.at(5).toString();
        const int tamanoColumna = f.at(6).toInt();
        // The declaration when the database keeps it (SQLite), as the embedded back end reads it.
        vocabulario::TipoColumna t = sqlite_ ? vocabulario::TipoDeclarado(nombreTipo) : vocabulario::TipoColumna{};
        if (!t.Reconocido()) {
            t.tipo = TipoAdoDeSql(static_cast<SQLSMALLINT>(f.at(4).toInt()), nombreTipo);
            t.tamano = TamanoDefinido(t.tipo, static_cast<SQLULEN>(qMax(0, tamanoColumna)));
            t.precision = tamanoColumna;
            t.escala = f.at(8).toInt();
        }
        const QVariant defecto = f.at(12).isNull() || f.at(12).toString() == QLatin1String("NULL") ? QVariant() : texto(f.at(12));
        r.filas.append(vocabulario::FilaColumna(texto(f.at(0)), texto(f.at(1)), f.at(2).toString(), f.at(3).toString(),
                                                f.at(16).toInt(), defecto, f.at(10).toInt() != SQL_NO_NULLS, t));
    }
    return r;
}

qint64 MotorOdbc::UltimoIdentificador() {
    if (!conectado_) return 0;
    QString sql;
    if (sqlite_)
        sql = QStringLiteral("SELECT last_insert_rowid()");
    else if (sqlServer_)
        sql = QStringLiteral("SELECT @@IDENTITY");  // the session's last identity: SCOPE_IDENTITY ends with the batch
    else
        return 0;
    Errores ignorados;
    try {
        Sentencia st(dbc_);
        if (!st) return 0;
        ResultadoMotor r;
        EjecutarSentencia(st.get(), sql, r, ignorados);
        if (r.filas.isEmpty() || r.filas.first().isEmpty()) return 0;
        return r.filas.first().first().toLongLong();
    } catch (const ErrorEjecucion&) {
        return 0;
    }
}

void MotorOdbc::FijarBaseDefecto(const QString& nombre, Errores& errores) {
    ExigirAbierta(errores);
    const QString n = nombre.trimmed();
    if (n.isEmpty()) return;
    if (sqlite_) {
        // one file, one database: only its own name is accepted
        if (vocabulario::EsNombreDeLaBase(n, nombreBase_, archivoSqlite_)) return;
        const ErrorProveedor e = vocabulario::BaseInexistente(n, kOrigen);
        FallarCon(errores, e.SQLState, e.NativeError, e.Description);
    }
    QByteArray bytes = n.toUtf8();
    Comprobar(SQLSetConnectAttr(dbc_, SQL_ATTR_CURRENT_CATALOG, bytes.data(), static_cast<SQLINTEGER>(bytes.size())),
              SQL_HANDLE_DBC, dbc_, errores, "DefaultDatabase");
}

}  // namespace

// ---------------------------------------------------------------------------------------------

std::unique_ptr<Motor> CrearMotorOdbc() {
    return std::make_unique<MotorOdbc>();
}

}  // namespace driver
