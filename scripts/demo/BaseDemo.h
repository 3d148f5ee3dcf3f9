#pragma once

#include <QString>

// The embedded demo database and large layouts for tests and benchmarks. Built with the bare
// SQLite API (demo/ArchivoSqlite.h), so that it works before (and without) the program's own
// database client; nothing of the program links it, only mp_demo, the tests and the benchmarks.
//
// The SQL texts of data/ (schema.sql, demo.sql, estadisticas.sql) are looked for, in this order, in
// the folder given by the caller, in this library's embedded resources (":/demo/"), and in a "data"
// folder beside the executable or the installed "share/ma-posiciones/sql" folder.
namespace demo {

// Creates <carpeta>/<nombre>.db (nombre may already end in ".db") from the schema and the demo rows,
// and <carpeta>/TV_ESTADISTICAS.db, the statistics database the program looks for beside it (an
// existing one is kept and only completed). An existing <nombre>.db is left untouched and the call
// fails unless reemplazar is true. The database is built under a temporary name and renamed at the
// end, so a failure never leaves a half-built file behind. On failure returns false with the
// reason in *error (when given).
bool CrearBaseDemo(const QString& carpeta, const QString& nombre, QString* error, bool reemplazar = false,
                   const QString& carpetaDatos = QString());

// Adds a layout of exactly `cantidad` positions to the warehouse `deposito` (fitted to the suite's
// 4-character code, "7" -> "   7") of an existing database: three levels with the lengths
// configured in TA_CONFIGURACION (LAYOUT_NIVEL1..3; 2 for a level missing, 0 or not a number), the
// first two levels headings and the third storable, every code's parents present. The warehouse is
// added to TA_DEPOSITO when that table exists and lacks it. Fails when the warehouse already has
// positions or the levels cannot hold that many codes. One transaction and one prepared statement:
// 100,000 rows take a fraction of a second (a second or two under the sanitizers).
bool GenerarLayout(const QString& archivoDb, const QString& deposito, int cantidad, QString* error);

// The SQL text of one of the files above, from where the comment at the top says; empty with the
// reason in *error when it is nowhere.
QString TextoSql(const QString& archivo, const QString& carpetaDatos, QString* error);

}  // namespace demo
