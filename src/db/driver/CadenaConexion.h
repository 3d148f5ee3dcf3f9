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
//   any other server, or the Oracle provider                -> ODBC with a driver string built from the
//                                                              fields (FreeTDS for SQL Server; the
//                                                              driver named by MP_ODBC_ORACLE, else
//                                                              "Oracle", for Oracle)
// usuario and clave, when not empty, override the string's user and password as ADO's Open does.
ParametrosConexion AnalizarCadena(const QString& cadena, const QString& usuario = QString(), const QString& clave = QString());

// Where the embedded database NAME lives: a bare name without folder or extension is NAME.db in the
// program folder; a name without folder is in the program folder; anything else is used as given.
// Windows folder separators are accepted.
QString RutaBaseSqlite(const QString& nombre);

}  // namespace driver
