#include "db/driver/MotorOdbc.h"

#include "db/driver/CadenaConexion.h"
#include "db/driver/DialectoSqlite.h"
#include "db/driver/Tipos.h"
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

// ---------------------------------------------------------------------------------------------
// Connection strings

// The attributes of a "key=value;key=value" string with the keys also freed of inner blanks, so
// "Database =X", "User Id" and "UID" are all found; a braced value loses its braces.
QMap<QString, QString> Atributos(const QMap<QString, QString>& claves) {
    QMap<QString, QString> mapa;
    for (auto it = claves.constBegin(); it != claves.constEnd(); ++it) {
        QString clave = it.key().toLower();
        clave.remove(QLatin1Char(' '));
        QString valor = it.value().trimmed();
        if (valor.size() >= 2 && valor.startsWith(QLatin1Char('{')) && valor.endsWith(QLatin1Char('}')))
            valor = valor.mid(1, valor.size() - 2);
        if (!clave.isEmpty()) mapa.insert(clave, valor);
    }
    return mapa;
}

QMap<QString, QString> Atributos(const QString& cadena) {
    return Atributos(ClavesCadena(cadena));
}

QString Valor(const QMap<QString, QString>& mapa, std::initializer_list<const char*> claves) {
    for (const char* c : claves) {
        auto it = mapa.constFind(QString::fromLatin1(c));
        if (it != mapa.constEnd()) return it.value();
    }
    return QString();
}

// An ODBC attribute value, braced when it would otherwise end the attribute early.
QString ValorOdbc(const QString& v) {
    if (!v.contains(QLatin1Char(';')) && !v.contains(QLatin1Char('{')) && !v.contains(QLatin1Char('}')) && v == v.trimmed())
        return v;
    QString escapado = v;
    escapado.replace(QLatin1Char('}'), QStringLiteral("}}"));
    return QLatin1Char('{') + escapado + QLatin1Char('}');
}

bool EsProveedorSqlServer(const QString& proveedor) {
    return proveedor.startsWith(QLatin1String("sqloledb")) || proveedor.startsWith(QLatin1String("sqlncli")) ||
           proveedor.startsWith(QLatin1String("msoledbsql"));
}

bool EsProveedorOracle(const QString& proveedor) {
    return proveedor.startsWith(QLatin1String("oraoledb")) || proveedor.startsWith(QLatin1String("msdaora"));
}

// The login time-out a program string asks for ("Connect Timeout=n"), if any.
std::optional<int> TiempoConexionDe(const QMap<QString, QString>& mapa) {
    const QString v = Valor(mapa, {"connecttimeout", "connectiontimeout", "logintimeout"});
    bool ok = false;
    const int n = v.toInt(&ok);
    if (ok && n >= 0) return n;
    return std::nullopt;
}

// "KEY=value;" for the given keys of the map that are present, in that order.
QString Cadena(const QMap<QString, QString>& mapa, std::initializer_list<const char*> claves) {
    QString r;
    for (const char* c : claves) {
        auto it = mapa.constFind(QString::fromLatin1(c));
        if (it == mapa.constEnd()) continue;
        const QString valor = QString::fromLatin1(c) == QLatin1String("driver") ? QLatin1Char('{') + it.value() + QLatin1Char('}')
                                                                                : ValorOdbc(it.value());
        r += QString::fromLatin1(c).toUpper() + QLatin1Char('=') + valor + QLatin1Char(';');
    }
    return r;
}

// The drivers the driver manager knows (odbcinst.ini).
QStringList ControladoresRegistrados() {
    QStringList nombres;
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) return nombres;
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    for (SQLUSMALLINT direccion = SQL_FETCH_FIRST;; direccion = SQL_FETCH_NEXT) {
        SQLCHAR nombre[256] = {0};
        SQLCHAR atributos[1024] = {0};
        SQLSMALLINT largoNombre = 0, largoAtributos = 0;
        if (!SQL_SUCCEEDED(
                SQLDrivers(env, direccion, nombre, sizeof nombre, &largoNombre, atributos, sizeof atributos, &largoAtributos)))
            break;
        nombres << QString::fromUtf8(reinterpret_cast<const char*>(nombre));
    }
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return nombres;
}

bool ControladorRegistrado(const QString& nombre) {
    return ControladoresRegistrados().contains(nombre, Qt::CaseInsensitive);
}

QString FreeTdsDe(const QMap<QString, QString>& mapa) {
    QString servidor = Valor(mapa, {"server", "datasource", "address", "addr", "networkaddress"}).trimmed();
    if (servidor.startsWith(QLatin1String("tcp:"), Qt::CaseInsensitive)) servidor = servidor.mid(4);

    QString puerto;
    // HOST,PORT (the usual SQL Server form) or HOST:PORT
    qsizetype sep = servidor.indexOf(QLatin1Char(','));
    if (sep < 0) sep = servidor.lastIndexOf(QLatin1Char(':'));
    if (sep >= 0) {
        puerto = servidor.mid(sep + 1).trimmed();
        servidor = servidor.left(sep).trimmed();
    }
    QString instancia;
    sep = servidor.indexOf(QLatin1Char('\\'));
    if (sep >= 0) {
        instancia = servidor.mid(sep + 1).trimmed();
        servidor = servidor.left(sep).trimmed();
    }
    if (servidor == QLatin1String(".") || servidor.compare(QLatin1String("(local)"), Qt::CaseInsensitive) == 0 ||
        servidor.compare(QLatin1String("(localdb)"), Qt::CaseInsensitive) == 0)
        servidor = QStringLiteral("127.0.0.1");

    QString r = QStringLiteral("DRIVER={FreeTDS};");
    // a port, when given, wins over the instance: the instance only serves to find the port
    if (!puerto.isEmpty())
        r += QStringLiteral("SERVER=%1;PORT=%2;").arg(ValorOdbc(servidor), ValorOdbc(puerto));
    else if (!instancia.isEmpty())
        r += QStringLiteral("SERVER=%1;").arg(ValorOdbc(servidor + QLatin1Char('\\') + instancia));
    else
        r += QStringLiteral("SERVER=%1;PORT=1433;").arg(ValorOdbc(servidor));

    const QString base = Valor(mapa, {"database", "initialcatalog"});
    if (!base.isEmpty()) r += QStringLiteral("DATABASE=%1;").arg(ValorOdbc(base));
    const QString usuario = Valor(mapa, {"uid", "userid", "user"});
    if (!usuario.isEmpty()) r += QStringLiteral("UID=%1;").arg(ValorOdbc(usuario));
    if (mapa.contains(QStringLiteral("pwd")) || mapa.contains(QStringLiteral("password")))
        r += QStringLiteral("PWD=%1;").arg(ValorOdbc(Valor(mapa, {"pwd", "password"})));
    const QString integrada = Valor(mapa, {"integratedsecurity", "trusted_connection"}).toLower();
    if (integrada == QLatin1String("sspi") || integrada == QLatin1String("true") || integrada == QLatin1String("yes"))
        r += QStringLiteral("Trusted_Connection=Yes;");
    const QString aplicacion = Valor(mapa, {"applicationname", "app"});
    if (!aplicacion.isEmpty()) r += QStringLiteral("APP=%1;").arg(ValorOdbc(aplicacion));
    const QString estacion = Valor(mapa, {"workstationid", "wsid"});
    if (!estacion.isEmpty()) r += QStringLiteral("WSID=%1;").arg(ValorOdbc(estacion));
    // text crosses the ANSI entry points as UTF-8, whatever the server's code page
    r += QStringLiteral("TDS_Version=7.4;ClientCharset=UTF-8;");
    return r;
}

// ---------------------------------------------------------------------------------------------
// Types

struct TipoAdo {
    int tipo = -1;  // -1: not recognised
    int tamano = 0;
    int precision = 0;
    int escala = 0;
};

bool EsTexto(int t) {
    using namespace tipo;
    return t == adChar || t == adVarChar || t == adLongVarChar || t == adWChar || t == adVarWChar || t == adLongVarWChar ||
           t == adBSTR;
}

bool EsBinario(int t) {
    return t == tipo::adBinary || t == tipo::adVarBinary || t == tipo::adLongVarBinary;
}

bool EsNumericoExacto(int t) {
    return t == tipo::adNumeric || t == tipo::adDecimal || t == tipo::adCurrency;
}

// The ADO type of a column declared with a SQL Server type name ("varchar(50)", "money", "int"...),
// the way SQLite keeps the declarations of the schema. The SQLite ODBC driver reports most of them
// as SQL_VARCHAR, so the declaration is the only faithful source.
TipoAdo TipoDeclarado(const QString& declarado) {
    static const QRegularExpression re(QStringLiteral(R"(^\s*([a-z ]+?)\s*(?:\(\s*(\w+)\s*(?:,\s*(\d+)\s*)?\))?\s*$)"));
    const auto m = re.match(declarado.toLower());
    TipoAdo r;
    if (!m.hasMatch()) return r;
    const QString nombre = m.captured(1);
    const QString arg1 = m.captured(2);
    const bool maximo = arg1 == QLatin1String("max");
    const int n1 = arg1.toInt();
    const int n2 = m.captured(3).toInt();
    using namespace tipo;
    auto texto = [&](int t, int largo, int porDefecto) {
        r.tipo = t;
        r.tamano = maximo ? largo : (n1 > 0 ? n1 : porDefecto);
        if (maximo) r.tipo = (t == adVarWChar) ? adLongVarWChar : (t == adVarChar ? adLongVarChar : adLongVarBinary);
    };
    if (nombre == QLatin1String("varchar") || nombre == QLatin1String("character varying"))
        texto(adVarChar, 2147483647, 1);
    else if (nombre == QLatin1String("nvarchar") || nombre == QLatin1String("sysname"))
        texto(adVarWChar, 1073741823, nombre == QLatin1String("sysname") ? 128 : 1);
    else if (nombre == QLatin1String("char") || nombre == QLatin1String("character"))
        texto(adChar, 2147483647, 1);
    else if (nombre == QLatin1String("nchar"))
        texto(adWChar, 1073741823, 1);
    else if (nombre == QLatin1String("text") || nombre == QLatin1String("clob"))
        r = {adLongVarChar, 2147483647, 0, 0};
    else if (nombre == QLatin1String("ntext"))
        r = {adLongVarWChar, 1073741823, 0, 0};
    else if (nombre == QLatin1String("int") || nombre == QLatin1String("integer"))
        r = {adInteger, 4, 10, 0};
    else if (nombre == QLatin1String("smallint"))
        r = {adSmallInt, 2, 5, 0};
    else if (nombre == QLatin1String("tinyint"))
        r = {adUnsignedTinyInt, 1, 3, 0};
    else if (nombre == QLatin1String("bigint"))
        r = {adBigInt, 8, 19, 0};
    else if (nombre == QLatin1String("bit") || nombre == QLatin1String("boolean"))
        r = {adBoolean, 2, 0, 0};
    else if (nombre == QLatin1String("money"))
        r = {adCurrency, 8, 19, 4};
    else if (nombre == QLatin1String("smallmoney"))
        r = {adCurrency, 4, 10, 4};
    else if (nombre == QLatin1String("decimal") || nombre == QLatin1String("numeric"))
        r = {adNumeric, 19, n1 > 0 ? n1 : 18, n2};
    else if (nombre == QLatin1String("float") || nombre == QLatin1String("double") ||
             nombre == QLatin1String("double precision") || nombre == QLatin1String("real"))
        r = {adDouble, 8, 15, 0};  // SQLite stores every real in 8 bytes; the embedded back end says so too
    else if (nombre == QLatin1String("datetime") || nombre == QLatin1String("datetime2") ||
             nombre == QLatin1String("smalldatetime") || nombre == QLatin1String("datetimeoffset"))
        r = {adDBTimeStamp, 16, 23, 3};
    else if (nombre == QLatin1String("date"))
        r = {adDBDate, 6, 10, 0};
    else if (nombre == QLatin1String("time"))
        r = {adDBTime, 6, 8, 0};
    else if (nombre == QLatin1String("uniqueidentifier"))
        r = {adGUID, 16, 0, 0};
    else if (nombre == QLatin1String("binary"))
        texto(adBinary, 2147483647, 1);
    else if (nombre == QLatin1String("varbinary"))
        texto(adVarBinary, 2147483647, 1);
    else if (nombre == QLatin1String("image") || nombre == QLatin1String("blob"))
        r = {adLongVarBinary, 2147483647, 0, 0};
    return r;
}

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

// The type number the column schema rowset reports: the storage type, not the field type (varchar
// is DBTYPE_STR 129 there, nvarchar DBTYPE_WSTR 130, varbinary DBTYPE_BYTES 128).
int TipoEsquema(int t) {
    using namespace tipo;
    switch (t) {
        case adVarChar:
        case adLongVarChar:
        case adChar:
            return adChar;
        case adVarWChar:
        case adLongVarWChar:
        case adWChar:
            return adWChar;
        case adVarBinary:
        case adLongVarBinary:
            return adBinary;
        default:
            return t;
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

bool EsModificacion(const QString& sql) {
    const QString t = sql.trimmed();
    for (const char* p : {"INSERT", "UPDATE", "DELETE", "REPLACE"})
        if (t.startsWith(QLatin1String(p), Qt::CaseInsensitive)) return true;
    return false;
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

// SQLite reports its own result codes and English messages; the program reacts to SQL Server's
// native numbers, so the failures it tests are renamed the way the embedded back end does. Returns
// true for the failures after which SQL Server adds "The statement has been terminated."
bool TraducirFalloSqlite(Diagnostico& d) {
    const QString& m = d.mensaje;
    auto tiene = [&](const char* s) { return m.contains(QLatin1String(s), Qt::CaseInsensitive); };
    auto poner = [&](long n, const char* estado) {
        d.nativo = n;
        d.estado = QString::fromLatin1(estado);
    };
    if (tiene("UNIQUE constraint failed") || tiene("PRIMARY KEY must be unique") || tiene("is not unique") ||
        tiene("are not unique")) {
        poner(nativo::ClaveDuplicada, "23000");
        return true;
    }
    if (tiene("FOREIGN KEY constraint failed") || tiene("CHECK constraint failed")) {
        poner(nativo::Referencia, "23000");
        return true;
    }
    if (tiene("NOT NULL constraint failed") || tiene("may not be NULL")) {
        poner(nativo::NoAdmiteNulos, "23000");
        return true;
    }
    if (tiene("would be truncated")) {
        poner(nativo::Truncamiento, "22001");
        return true;
    }
    if (tiene("no such table") || tiene("no such view"))
        poner(nativo::ObjetoInexistente, "42S02");
    else if (tiene("no such column"))
        poner(nativo::ColumnaInexistente, "42S22");
    else if (tiene("no such function"))
        poner(nativo::FuncionDesconocida, "42000");
    else if (tiene("syntax error") || tiene("incomplete input") || tiene("unrecognized token"))
        poner(nativo::Sintaxis, "42000");
    else if (tiene("database is locked") || tiene("database table is locked") || tiene("database is busy"))
        poner(nativo::TiempoAgotado, "HYT00");
    else if (tiene("disk I/O error"))
        poner(nativo::ConexionPerdida, "08S01");  // the file's share went away
    else if (tiene("readonly database"))
        poner(nativo::BaseSoloLectura, "42000");
    else if (tiene("database or disk is full"))
        poner(nativo::SinEspacio, "42000");
    else if (tiene("unable to open database") || tiene("file is not a database") || tiene("file is encrypted"))
        poner(nativo::NoSePuedeAbrirBase, "42000");
    else if (d.nativo == 19)  // SQLITE_CONSTRAINT with the text of a trigger's RAISE
        poner(nativo::ErrorUsuario, "42000");
    return false;
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
    ResultadoMotor ConsultarConParametros(const QString& sql, const QVector<QVariant>& parametros, Errores& errores) override;
    QStringList ClavePrimaria(const QString& tabla, Errores& errores) override;

private:
    QString CadenaParaDriver(const ParametrosConexion& p, Errores& errores);
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

// The attributes handed to SQLDriverConnect. Whatever form reaches here (the program's provider
// string itself, or attributes already built from it by Conexion), a SQL Server through FreeTDS gets
// the protocol version and the UTF-8 client character set this back end relies on, and an Oracle
// string gets a driver that is really installed.
QString MotorOdbc::CadenaParaDriver(const ParametrosConexion& p, Errores& errores) {
    const QString& cadena = p.cadenaOdbc;
    const auto propios = Atributos(cadena);
    const QString proveedor = Valor(propios, {"provider"}).toLower();
    const bool oracle = EsProveedorOracle(proveedor) || p.origen == ParametrosConexion::Origen::Oracle;

    if (EsProveedorSqlServer(proveedor)) return CadenaFreeTds(cadena);
    if (oracle) {
        QString controlador = EsProveedorOracle(proveedor) ? QString() : Valor(propios, {"driver"});
        if (controlador.isEmpty() || !ControladorRegistrado(controlador)) controlador = ControladorOracle();
        if (controlador.isEmpty())
            FallarCon(errores, QStringLiteral("IM002"), 0,
                      QStringLiteral("No hay ningún controlador ODBC de Oracle instalado: registre en odbcinst.ini un "
                                     "controlador cuyo nombre contenga \"Oracle\" para conectarse a esta base de datos."));
        if (EsProveedorOracle(proveedor)) return CadenaOracle(cadena, controlador);
        QMap<QString, QString> mapa = propios;
        mapa.insert(QStringLiteral("driver"), controlador);
        return Cadena(mapa, {"driver", "dbq", "uid", "pwd"});
    }
    if (!proveedor.isEmpty())
        FallarCon(errores, QStringLiteral("IM002"), 0,
                  QStringLiteral("El proveedor \"%1\" no se puede usar a través de ODBC.").arg(Valor(propios, {"provider"})));

    // A SQL Server string already turned into FreeTDS attributes: rebuilt from the keys of the
    // original string, with the user and password that Open was given.
    const QString controlador = Valor(propios, {"driver"});
    if (p.origen == ParametrosConexion::Origen::SqlServer && !p.claves.isEmpty() &&
        (controlador.isEmpty() || controlador.contains(QLatin1String("FreeTDS"), Qt::CaseInsensitive))) {
        QMap<QString, QString> mapa = Atributos(p.claves);
        if (!p.servidor.isEmpty()) mapa.insert(QStringLiteral("server"), p.servidor);
        if (!p.usuario.isEmpty()) mapa.insert(QStringLiteral("uid"), p.usuario);
        if (!p.clave.isEmpty()) mapa.insert(QStringLiteral("pwd"), p.clave);
        return FreeTdsDe(mapa);
    }
    return cadena;  // DSN=... / DRIVER=...: the driver manager's business
}

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
    bool terminada = false;
    for (Diagnostico& d : lista) {
        if (sqlite && TraducirFalloSqlite(d)) terminada = true;
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
    if (terminada) {
        ErrorProveedor e;
        e.SQLState = QStringLiteral("01000");
        e.Number = errnum::E_FAIL;
        e.Description = QStringLiteral("The statement has been terminated.");
        e.NativeError = nativo::SentenciaTerminada;
        e.Source = kOrigen;
        errores.Agregar(e);
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
    const QString cadena = CadenaParaDriver(p, errores);
    {
        const auto mapa = Atributos(cadena);
        cadenaEsSqlite_ = Valor(mapa, {"driver", "dsn"}).contains(QLatin1String("sqlite"), Qt::CaseInsensitive);
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
    if (auto t = TiempoConexionDe(Atributos(p.cadenaOdbc)))
        login = *t;
    else if (auto t2 = TiempoConexionDe(Atributos(p.claves)))
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
        const auto mapa = Atributos(cadena);
        archivoSqlite_ = Valor(mapa, {"database", "dbq"});
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
    if (sqlite_) modifica = EsModificacion(sql);
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
        TipoAdo declarado = tiposDeclarados ? TipoDeclarado(nombreTipo) : TipoAdo{};
        if (declarado.tipo >= 0) {
            campo.Type = declarado.tipo;
            // the type name comes without its length ("varchar"); the driver's column size has it
            const bool conLargo = EsTexto(declarado.tipo) || EsBinario(declarado.tipo);
            campo.DefinedSize = conLargo && declarado.tamano <= 8000 ? TamanoDefinido(declarado.tipo, tamano) : declarado.tamano;
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
    auto columna = [](const char* nombre, int t, int tamano) {
        Campo c;
        c.Name = QString::fromLatin1(nombre);
        c.Type = t;
        c.DefinedSize = tamano;
        return c;
    };

    ResultadoMotor r;
    r.tieneFilas = true;
    using namespace tipo;
    r.campos = {columna("TABLE_CATALOG", adVarWChar, 128), columna("TABLE_SCHEMA", adVarWChar, 128),
                columna("TABLE_NAME", adVarWChar, 128)};
    if (tipoEsquema == adSchemaTables) {
        r.campos << columna("TABLE_TYPE", adVarWChar, 32) << columna("DESCRIPTION", adVarWChar, 255);
        for (const auto& f : crudo.filas) {
            if (f.size() < 4 || !coincide(f.at(2), 2)) continue;
            r.filas.append(
                {texto(f.at(0)), texto(f.at(1)), texto(f.at(2)), texto(f.at(3)), f.size() > 4 ? texto(f.at(4)) : QVariant()});
        }
        return r;
    }

    r.campos << columna("COLUMN_NAME", adVarWChar, 128) << columna("ORDINAL_POSITION", adInteger, 4)
             << columna("COLUMN_HASDEFAULT", adBoolean, 2) << columna("COLUMN_DEFAULT", adVarWChar, 255)
             << columna("IS_NULLABLE", adBoolean, 2) << columna("DATA_TYPE", adSmallInt, 2)
             << columna("CHARACTER_MAXIMUM_LENGTH", adInteger, 4) << columna("NUMERIC_PRECISION", adSmallInt, 2)
             << columna("NUMERIC_SCALE", adSmallInt, 2);
    for (const auto& f : crudo.filas) {
        if (f.size() < 17 || !coincide(f.at(2), 2) || !coincide(f.at(3), 3)) continue;
        const QString nombreTipo = f.at(5).toString();
        const int tamanoColumna = f.at(6).toInt();
        TipoAdo t = sqlite_ ? TipoDeclarado(nombreTipo) : TipoAdo{};
        if (t.tipo < 0) {
            t.tipo = TipoAdoDeSql(static_cast<SQLSMALLINT>(f.at(4).toInt()), nombreTipo);
            t.tamano = TamanoDefinido(t.tipo, static_cast<SQLULEN>(qMax(0, tamanoColumna)));
            t.precision = tamanoColumna;
            t.escala = f.at(8).toInt();
        }
        const bool conLargo = EsTexto(t.tipo) || EsBinario(t.tipo);
        const bool numerico = !conLargo && t.tipo != adBoolean && t.tipo != adGUID && t.tipo != adDBDate && t.tipo != adDBTime &&
                              t.tipo != adDBTimeStamp;
        const QVariant defecto = f.at(12).isNull() || f.at(12).toString() == QLatin1String("NULL") ? QVariant() : f.at(12);
        r.filas.append({texto(f.at(0)), texto(f.at(1)), texto(f.at(2)), texto(f.at(3)), f.at(16).toInt(), !defecto.isNull(),
                        texto(defecto), f.at(10).toInt() != SQL_NO_NULLS, TipoEsquema(t.tipo),
                        conLargo ? QVariant(t.tamano) : QVariant(), numerico ? QVariant(t.precision) : QVariant(),
                        EsNumericoExacto(t.tipo) ? QVariant(t.escala) : QVariant()});
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
        const QFileInfo fi(archivoSqlite_);
        for (const QString& propio : {nombreBase_, fi.completeBaseName(), fi.fileName(), archivoSqlite_, fi.absoluteFilePath()})
            if (!propio.isEmpty() && propio.compare(n, Qt::CaseInsensitive) == 0) return;
        FallarCon(errores, QStringLiteral("42000"), nativo::BaseInexistente,
                  QStringLiteral("Database '%1' does not exist. Make sure that the name is entered correctly.").arg(n));
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

QString CadenaFreeTds(const QString& cadenaSqlServer) {
    return FreeTdsDe(Atributos(cadenaSqlServer));
}

QString CadenaOracle(const QString& cadenaOracle, const QString& controlador) {
    const auto mapa = Atributos(cadenaOracle);
    QString r = QStringLiteral("DRIVER={%1};").arg(controlador);
    const QString fuente = Valor(mapa, {"datasource", "dbq", "server"});
    if (!fuente.isEmpty()) r += QStringLiteral("DBQ=%1;").arg(ValorOdbc(fuente));
    const QString usuario = Valor(mapa, {"userid", "uid", "user"});
    if (!usuario.isEmpty()) r += QStringLiteral("UID=%1;").arg(ValorOdbc(usuario));
    if (mapa.contains(QStringLiteral("password")) || mapa.contains(QStringLiteral("pwd")))
        r += QStringLiteral("PWD=%1;").arg(ValorOdbc(Valor(mapa, {"password", "pwd"})));
    return r;
}

QString ControladorOracle() {
    for (const QString& n : ControladoresRegistrados())
        if (n.contains(QLatin1String("Oracle"), Qt::CaseInsensitive)) return n;
    return QString();
}

}  // namespace driver
