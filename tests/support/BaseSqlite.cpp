#include "BaseSqlite.h"

#include "db/driver/ExtensionesSqlite.h"

#include <sqlite3.h>
#include <QDebug>
#include <QFile>

bool CrearBaseSqlite(const QString& ruta, const char* sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(ruta).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    driver::sqlite::RegistrarExtensiones(db);
    const bool ok = sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok) qWarning() << sqlite3_errmsg(db);
    sqlite3_close(db);
    return ok;
}
