#pragma once

#include "db/driver/Motor.h"

#include <QMap>
#include <QString>

namespace driver {

// The keys of a connection string ("KEY=value;KEY=value;..."): keys in lower case without the blanks
// around them (so "Database =" is "database"), values without surrounding blanks; a value may be
// quoted with "..." or '...' or {...} to hold a ";". Later keys override earlier ones.
QMap<QString, QString> ClavesCadena(const QString& cadena);

// Parses a connection string and chooses the back end:
//   Server=SQLITE (any case) with the SQL Server provider  -> SQLite file of Database (RutaBaseSqlite)
//   PROVIDER=Microsoft.Jet.OLEDB.4.0 / 3.51; Data Source =F  -> SQLite file F
//   DSN=... or DRIVER=...                                   -> ODBC with the string unchanged
//   any other server, or the Oracle provider                -> ODBC with the driver's attributes built
//                                                              from the fields (CadenaFreeTds for SQL
//                                                              Server, or MP_ODBC_SQLSERVER's driver;
//                                                              for Oracle the installed driver
//                                                              MP_ODBC_ORACLE names, else the first
//                                                              one named Oracle, else fallaOdbc says
//                                                              none is)
// This is the one place a connection string is routed: the back ends take what it gives.
// usuario and clave, when not empty, override the string's user and password as ADO's Open does.
ParametrosConexion AnalizarCadena(const QString& cadena, const QString& usuario = QString(), const QString& clave = QString());

// The attributes of a "key=value;key=value" string with the keys also freed of inner blanks, so
// "Database =X", "User Id" and "UID" are all found; a braced value loses its braces.
QMap<QString, QString> AtributosOdbc(const QString& cadena);
QMap<QString, QString> AtributosOdbc(const QMap<QString, QString>& claves);
// The value of the first of the keys present.
QString ValorAtributo(const QMap<QString, QString>& mapa, std::initializer_list<const char*> claves);

// The FreeTDS attributes for a SQL Server connection string of the program
// (PROVIDER=SQLOLEDB;Server=HOST[\INST][:PORT] or HOST,PORT;Database =DB;UId=..;Pwd=..;):
//   DRIVER={FreeTDS};SERVER=HOST;PORT=PORT;DATABASE=DB;UID=..;PWD=..;TDS_Version=7.4;ClientCharset=UTF-8;
// A named instance without a port becomes SERVER=HOST\INST (FreeTDS asks the server's browser for
// the port); with neither the port is 1433. Values holding ';', '{' or '}' are braced.
QString CadenaFreeTds(const QString& cadenaSqlServer);
// The ODBC attributes for an Oracle connection string of the program
// (Provider=OraOLEDB.Oracle.1;Data Source=..;User Id=..;Password=..;) through the given driver:
//   DRIVER={driver};DBQ=..;UID=..;PWD=..;
QString CadenaOracle(const QString& cadenaOracle, const QString& controlador);
// The first registered ODBC driver whose name contains "Oracle" (empty when none is installed).
QString ControladorOracle();

// Where the embedded database NAME lives: a bare name without folder or extension is NAME.db in the
// program folder; a name without folder is in the program folder; anything else is used as given.
// Windows folder separators are accepted.
QString RutaBaseSqlite(const QString& nombre);

}  // namespace driver
