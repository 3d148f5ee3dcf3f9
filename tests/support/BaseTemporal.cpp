#include "BaseTemporal.h"

#include "demo/BaseDemo.h"

#include <QDir>

BaseTemporal::BaseTemporal(const QString& nombre) : nombre_(nombre) {
    if (!dir_.isValid()) {
        error_ = QStringLiteral("No se pudo crear la carpeta temporal: ") + dir_.errorString();
        return;
    }
    valida_ = demo::CrearBaseDemo(dir_.path(), nombre_, &error_, false, QStringLiteral(MP_DATA_DIR));
}

QString BaseTemporal::Archivo() const {
    return QDir(dir_.path()).filePath(nombre_ + QStringLiteral(".db"));
}

QString BaseTemporal::ArchivoEstadisticas() const {
    return QDir(dir_.path()).filePath(QStringLiteral("TV_ESTADISTICAS.db"));
}

QString BaseTemporal::CadenaConexion() const {
    return QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =%1;").arg(Archivo());
}
