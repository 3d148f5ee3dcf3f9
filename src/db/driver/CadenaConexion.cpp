#include "db/driver/CadenaConexion.h"

#include "services/Plataforma.h"

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
        // The Oracle provider names the service in Data Source; the server text plays no part.
        p.tipo = ParametrosConexion::Tipo::Odbc;
        p.origen = ParametrosConexion::Origen::Oracle;
        p.dialectoSqlServer = false;
        p.baseDatos = fuente;
        QString driverOracle = qEnvironmentVariable("MP_ODBC_ORACLE");
        if (driverOracle.isEmpty()) driverOracle = QStringLiteral("Oracle");
        p.cadenaOdbc = QStringLiteral("DRIVER={%1};DBQ=%2;UID=%3;PWD=%4;").arg(driverOracle, fuente, p.usuario, p.clave);
        return p;
    }

    p.servidor = Primera(c, {"server", "data source", "address", "addr", "network address"});
    if (p.servidor.trimmed().compare(QLatin1String("SQLITE"), Qt::CaseInsensitive) == 0) {
        p.tipo = ParametrosConexion::Tipo::SQLite;
        p.origen = ParametrosConexion::Origen::SqlServer;
        p.archivo = RutaBaseSqlite(p.baseDatos);
        return p;
    }

    // A real SQL Server: HOST, HOST\INSTANCE, HOST:PORT or HOST,PORT.
    p.tipo = ParametrosConexion::Tipo::Odbc;
    p.origen = ParametrosConexion::Origen::SqlServer;
    QString driverSql = qEnvironmentVariable("MP_ODBC_SQLSERVER");
    if (driverSql.isEmpty()) driverSql = QStringLiteral("FreeTDS");
    QString host = p.servidor.trimmed();
    QString puerto;
    const int sep = host.lastIndexOf(QRegularExpression(QStringLiteral("[:,]")));
    if (sep > 0) {
        puerto = host.mid(sep + 1).trimmed();
        host = host.left(sep).trimmed();
    }
    p.cadenaOdbc = QStringLiteral("DRIVER={%1};SERVER=%2;").arg(driverSql, host);
    if (!puerto.isEmpty()) p.cadenaOdbc += QStringLiteral("PORT=%1;").arg(puerto);
    p.cadenaOdbc += QStringLiteral("DATABASE=%1;UID=%2;PWD=%3;").arg(p.baseDatos, p.usuario, p.clave);
    return p;
}

}  // namespace driver
