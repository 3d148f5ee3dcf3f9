#include "db/driver/CadenaConexion.h"

#include "services/Plataforma.h"

#include <sql.h>
#include <sqlext.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace driver {

namespace {

QString Primera(const QMap<QString, QString>& claves, std::initializer_list<const char*> nombres) {
    for (const char* n : nombres) {
        auto it = claves.constFind(QLatin1String(n));
        if (it != claves.constEnd()) return it.value();
    }
    return QString();
}

}  // namespace

// The attributes of a "key=value;key=value" string with the keys also freed of inner blanks, so
// "Database =X", "User Id" and "UID" are all found; a braced value loses its braces.
QMap<QString, QString> AtributosOdbc(const QMap<QString, QString>& claves) {
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

QMap<QString, QString> AtributosOdbc(const QString& cadena) {
    return AtributosOdbc(ClavesCadena(cadena));
}

QString ValorAtributo(const QMap<QString, QString>& mapa, std::initializer_list<const char*> claves) {
    for (const char* c : claves) {
        auto it = mapa.constFind(QString::fromLatin1(c));
        if (it != mapa.constEnd()) return it.value();
    }
    return QString();
}

namespace {

// An ODBC attribute value, braced when it would otherwise end the attribute early.
QString ValorOdbc(const QString& v) {
    if (!v.contains(QLatin1Char(';')) && !v.contains(QLatin1Char('{')) && !v.contains(QLatin1Char('}')) && v == v.trimmed())
        return v;
    QString escapado = v;
    escapado.replace(QLatin1Char('}'), QStringLiteral("}}"));
    return QLatin1Char('{') + escapado + QLatin1Char('}');
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
    QString servidor = ValorAtributo(mapa, {"server", "datasource", "address", "addr", "networkaddress"}).trimmed();
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

    const QString base = ValorAtributo(mapa, {"database", "initialcatalog"});
    if (!base.isEmpty()) r += QStringLiteral("DATABASE=%1;").arg(ValorOdbc(base));
    const QString usuario = ValorAtributo(mapa, {"uid", "userid", "user"});
    if (!usuario.isEmpty()) r += QStringLiteral("UID=%1;").arg(ValorOdbc(usuario));
    if (mapa.contains(QStringLiteral("pwd")) || mapa.contains(QStringLiteral("password")))
        r += QStringLiteral("PWD=%1;").arg(ValorOdbc(ValorAtributo(mapa, {"pwd", "password"})));
    const QString integrada = ValorAtributo(mapa, {"integratedsecurity", "trusted_connection"}).toLower();
    if (integrada == QLatin1String("sspi") || integrada == QLatin1String("true") || integrada == QLatin1String("yes"))
        r += QStringLiteral("Trusted_Connection=Yes;");
    const QString aplicacion = ValorAtributo(mapa, {"applicationname", "app"});
    if (!aplicacion.isEmpty()) r += QStringLiteral("APP=%1;").arg(ValorOdbc(aplicacion));
    const QString estacion = ValorAtributo(mapa, {"workstationid", "wsid"});
    if (!estacion.isEmpty()) r += QStringLiteral("WSID=%1;").arg(ValorOdbc(estacion));
    // text crosses the ANSI entry points as UTF-8, whatever the server's code page
    r += QStringLiteral("TDS_Version=7.4;ClientCharset=UTF-8;");
    return r;
}

// The ODBC attributes of an Oracle connection through the given driver: DRIVER, DBQ, UID, PWD.
QString OracleDe(const QMap<QString, QString>& mapa, const QString& controlador) {
    QString r = QStringLiteral("DRIVER={%1};").arg(controlador);
    const QString fuente = ValorAtributo(mapa, {"datasource", "dbq", "server"});
    if (!fuente.isEmpty()) r += QStringLiteral("DBQ=%1;").arg(ValorOdbc(fuente));
    const QString usuario = ValorAtributo(mapa, {"userid", "uid", "user"});
    if (!usuario.isEmpty()) r += QStringLiteral("UID=%1;").arg(ValorOdbc(usuario));
    if (mapa.contains(QStringLiteral("password")) || mapa.contains(QStringLiteral("pwd")))
        r += QStringLiteral("PWD=%1;").arg(ValorOdbc(ValorAtributo(mapa, {"password", "pwd"})));
    return r;
}

}  // namespace

QMap<QString, QString> ClavesCadena(const QString& cadena) {
    QMap<QString, QString> claves;
    const int n = cadena.size();
    int i = 0;
    while (i < n) {
        const int igual = cadena.indexOf(QLatin1Char('='), i);
        const int puntoComa = cadena.indexOf(QLatin1Char(';'), i);
        if (igual < 0 || (puntoComa >= 0 && puntoComa < igual)) {
            // A piece without "=": nothing to keep, go on after its ";".
            if (puntoComa < 0) break;
            i = puntoComa + 1;
            continue;
        }
        const QString clave = cadena.mid(i, igual - i).trimmed().toLower();
        int j = igual + 1;
        while (j < n && cadena.at(j) == QLatin1Char(' ')) ++j;
        QString valor;
        const QChar abre = j < n ? cadena.at(j) : QChar();
        if (abre == QLatin1Char('"') || abre == QLatin1Char('\'') || abre == QLatin1Char('{')) {
            const QChar cierra = abre == QLatin1Char('{') ? QLatin1Char('}') : abre;
            ++j;
            while (j < n) {
                if (cadena.at(j) == cierra) {
                    if (j + 1 < n && cadena.at(j + 1) == cierra) {  // doubled: one literal quote
                        valor += cierra;
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                valor += cadena.at(j++);
            }
            if (abre == QLatin1Char('{')) valor = QLatin1Char('{') + valor + QLatin1Char('}');
            const int fin = cadena.indexOf(QLatin1Char(';'), j);
            i = fin < 0 ? n : fin + 1;
        } else {
            const int fin = cadena.indexOf(QLatin1Char(';'), j);
            valor = cadena.mid(j, (fin < 0 ? n : fin) - j).trimmed();
            i = fin < 0 ? n : fin + 1;
        }
        if (!clave.isEmpty()) claves.insert(clave, valor);
    }
    return claves;
}

QString RutaBaseSqlite(const QString& nombre) {
    QString ruta = nombre.trimmed();
    ruta.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (ruta.isEmpty()) return ruta;
    const bool sinCarpeta = !ruta.contains(QLatin1Char('/'));
    if (!sinCarpeta) return ruta;
    if (QFileInfo(ruta).suffix().isEmpty() && !ruta.endsWith(QLatin1Char('.'))) ruta += QLatin1String(".db");
    return QDir(plataforma().CarpetaPrograma()).filePath(ruta);
}

ParametrosConexion AnalizarCadena(const QString& cadena, const QString& usuario, const QString& clave) {
    ParametrosConexion p;
    p.claves = ClavesCadena(cadena);
    const auto& c = p.claves;
    p.proveedor = Primera(c, {"provider"});
    p.baseDatos = Primera(c, {"database", "initial catalog"});
    p.usuario = usuario.isEmpty() ? Primera(c, {"uid", "user id", "user"}) : usuario;
    p.clave = clave.isEmpty() ? Primera(c, {"pwd", "password"}) : clave;
    const QString fuente = Primera(c, {"data source"});

    const bool jet = p.proveedor.contains(QLatin1String("Jet.OLEDB"), Qt::CaseInsensitive) ||
                     p.proveedor.contains(QLatin1String("ACE.OLEDB"), Qt::CaseInsensitive);
    const bool oracle = p.proveedor.contains(QLatin1String("oracle"), Qt::CaseInsensitive) ||
                        p.proveedor.contains(QLatin1String("msdaora"), Qt::CaseInsensitive);
    const bool odbcDirecto = p.proveedor.isEmpty() && (c.contains(QStringLiteral("dsn")) || c.contains(QStringLiteral("driver")));

    if (jet) {
        p.tipo = ParametrosConexion::Tipo::SQLite;
        p.origen = ParametrosConexion::Origen::Jet;
        p.baseDatos = fuente;
        p.archivo = RutaBaseSqlite(fuente);
        return p;
    }
    if (odbcDirecto) {
        p.tipo = ParametrosConexion::Tipo::Odbc;
        p.origen = ParametrosConexion::Origen::Odbc;
        p.cadenaOdbc = cadena;
        const QString driverOdbc = Primera(c, {"driver"});
        p.dialectoSqlServer = driverOdbc.contains(QLatin1String("sqlite"), Qt::CaseInsensitive);
        p.servidor = Primera(c, {"server", "servername", "address"});
        if (p.baseDatos.isEmpty()) p.baseDatos = Primera(c, {"dbq"});
        return p;
    }
    if (oracle) {
        // The Oracle provider names the service in Data Source; the server text plays no part. The
        // driver: the one MP_ODBC_ORACLE names when it is installed, else the first installed one
        // whose name says Oracle.
        p.tipo = ParametrosConexion::Tipo::Odbc;
        p.origen = ParametrosConexion::Origen::Oracle;
        p.dialectoSqlServer = false;
        p.baseDatos = fuente;
        QString controlador = qEnvironmentVariable("MP_ODBC_ORACLE");
        if (controlador.isEmpty() || !ControladorRegistrado(controlador)) controlador = ControladorOracle();
        if (controlador.isEmpty())
            p.fallaOdbc = QStringLiteral(
                "No hay ningún controlador ODBC de Oracle instalado: registre en odbcinst.ini un "
                "controlador cuyo nombre contenga \"Oracle\" para conectarse a esta base de datos.");
        QMap<QString, QString> mapa = AtributosOdbc(c);
        if (!usuario.isEmpty()) mapa.insert(QStringLiteral("userid"), usuario);
        if (!clave.isEmpty()) mapa.insert(QStringLiteral("password"), clave);
        p.cadenaOdbc = OracleDe(mapa, controlador);
        return p;
    }
    p.servidor = Primera(c, {"server", "data source", "address", "addr", "network address"});
    if (p.servidor.trimmed().compare(QLatin1String("SQLITE"), Qt::CaseInsensitive) == 0) {
        p.tipo = ParametrosConexion::Tipo::SQLite;
        p.origen = ParametrosConexion::Origen::SqlServer;
        p.archivo = RutaBaseSqlite(p.baseDatos);
        return p;
    }

    // A real SQL Server: HOST, HOST\INSTANCE, HOST:PORT or HOST,PORT, through FreeTDS unless
    // MP_ODBC_SQLSERVER names another driver.
    p.tipo = ParametrosConexion::Tipo::Odbc;
    p.origen = ParametrosConexion::Origen::SqlServer;
    QMap<QString, QString> mapa = AtributosOdbc(c);
    if (!usuario.isEmpty()) mapa.insert(QStringLiteral("uid"), usuario);
    if (!clave.isEmpty()) mapa.insert(QStringLiteral("pwd"), clave);
    const QString otro = qEnvironmentVariable("MP_ODBC_SQLSERVER");
    if (otro.isEmpty() || otro.compare(QLatin1String("FreeTDS"), Qt::CaseInsensitive) == 0) {
        p.cadenaOdbc = FreeTdsDe(mapa);
    } else {
        QString host = p.servidor.trimmed();
        QString puerto;
        const int sep = host.lastIndexOf(QRegularExpression(QStringLiteral("[:,]")));
        if (sep > 0) {
            puerto = host.mid(sep + 1).trimmed();
            host = host.left(sep).trimmed();
        }
        p.cadenaOdbc = QStringLiteral("DRIVER={%1};SERVER=%2;").arg(otro, ValorOdbc(host));
        if (!puerto.isEmpty()) p.cadenaOdbc += QStringLiteral("PORT=%1;").arg(ValorOdbc(puerto));
        p.cadenaOdbc +=
            QStringLiteral("DATABASE=%1;UID=%2;PWD=%3;").arg(ValorOdbc(p.baseDatos), ValorOdbc(p.usuario), ValorOdbc(p.clave));
    }
    return p;
}

QString CadenaFreeTds(const QString& cadenaSqlServer) {
    return FreeTdsDe(AtributosOdbc(cadenaSqlServer));
}

QString CadenaOracle(const QString& cadenaOracle, const QString& controlador) {
    return OracleDe(AtributosOdbc(cadenaOracle), controlador);
}

QString ControladorOracle() {
    for (const QString& n : ControladoresRegistrados())
        if (n.contains(QLatin1String("Oracle"), Qt::CaseInsensitive)) return n;
    return QString();
}

}  // namespace driver
