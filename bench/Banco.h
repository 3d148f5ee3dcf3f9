#pragma once
// What the benchmarks share: a demo database with generated layouts, and the program's shared
// database object connected to it.

#include "db/DB_Dll.h"
#include "demo/BaseDemo.h"

#include <sqlite3.h>
#include <QDir>
#include <QList>
#include <QPair>
#include <QString>
#include <cstdio>

namespace banco {

// BENCH.db in the folder: the demo database plus one generated layout per (warehouse, positions)
// pair; with soloLayouts, the demo's own positions are removed first, so MA_POSICIONES holds
// exactly the generated layouts. Returns the file, empty after printing why it failed.
inline QString CrearBase(const QString& carpeta, const QList<QPair<QString, int>>& layouts, bool soloLayouts = false) {
    QString error;
    if (!demo::CrearBaseDemo(carpeta, QStringLiteral("BENCH"), &error, true, QStringLiteral(MP_DATA_DIR))) {
        std::fprintf(stderr, "demo database: %s\n", qPrintable(error));
        return {};
    }
    const QString archivo = QDir(carpeta).filePath(QStringLiteral("BENCH.db"));
    if (soloLayouts) {
        sqlite3* db = nullptr;
        const bool ok = sqlite3_open(archivo.toUtf8().constData(), &db) == SQLITE_OK &&
                        sqlite3_exec(db, "DELETE FROM MA_POSICIONES", nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_close(db);
        if (!ok) {
            std::fprintf(stderr, "could not empty MA_POSICIONES of %s\n", qPrintable(archivo));
            return {};
        }
    }
    for (const auto& l : layouts)
        if (!demo::GenerarLayout(archivo, l.first, l.second, &error)) {
            std::fprintf(stderr, "layout: %s\n", qPrintable(error));
            return {};
        }
    return archivo;
}

// Connects the program's shared database object to the embedded file as the program does.
inline bool Conectar(const QString& base) {
    auto& db = gBaseDatos();
    db.gServidor = QStringLiteral("SQLITE");
    db.gDBName = base;
    db.gUsuario = QStringLiteral("BENCH");
    db.gUserPassWord = QStringLiteral("BENCH");
    db.OpenServerADODB(false, 3, QString(), false, false);
    if (!db.gOpenFlag) std::fprintf(stderr, "could not connect to %s\n", qPrintable(base));
    return db.gOpenFlag;
}

}  // namespace banco
