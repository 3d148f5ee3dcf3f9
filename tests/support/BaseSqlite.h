#pragma once

#include <QString>

// A database file made with the bare SQLite API (the program's SQL Server functions registered,
// as the demo builder makes it), holding what the statements create. False when any fails; the
// reason goes to the test log.
bool CrearBaseSqlite(const QString& ruta, const char* sql);
