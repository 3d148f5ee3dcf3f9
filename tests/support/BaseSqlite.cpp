#include "BaseSqlite.h"

#include "demo/ArchivoSqlite.h"

#include <QDebug>

bool CrearBaseSqlite(const QString& ruta, const char* sql) {
    demo::ArchivoSqlite archivo(ruta, true);
    const bool ok = archivo.Valido() && archivo.Ejecutar(QString::fromUtf8(sql));
    if (!ok) qWarning() << archivo.Error();
    return ok;
}
