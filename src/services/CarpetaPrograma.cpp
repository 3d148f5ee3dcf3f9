#include "services/CarpetaPrograma.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

LugaresPrograma LugaresDelEquipo() {
    LugaresPrograma l;
    l.variable = qEnvironmentVariable("MA_POSICIONES_CARPETA");
    l.ejecutables = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    l.compartida = QDir::cleanPath(l.ejecutables + QStringLiteral("/../share/ma-posiciones"));
    const QString datos = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!datos.isEmpty()) l.usuario = datos + QStringLiteral("/ma-posiciones");
    return l;
}

QString DecidirCarpetaPrograma(const LugaresPrograma& l) {
    if (!l.variable.isEmpty()) return l.variable;
    const bool instalado = !l.compartida.isEmpty() && QFileInfo(l.compartida).isDir();
    const QFileInfo ejecutables(l.ejecutables);
    if ((!instalado && ejecutables.isWritable()) || l.usuario.isEmpty()) return l.ejecutables;

    QDir usuario(l.usuario);
    if (!usuario.mkpath(QStringLiteral("."))) return l.usuario;  // the program's own errors say what fails
    if (instalado) {
        const QDir compartida(l.compartida);
        for (const QString& nombre : compartida.entryList(QDir::Files)) {
            const QString destino = usuario.filePath(nombre);
            if (QFileInfo::exists(destino)) continue;
            if (QFile::copy(compartida.filePath(nombre), destino))
                QFile::setPermissions(destino, QFile::permissions(destino) | QFileDevice::WriteOwner);
        }
    }
    return l.usuario;
}

QString DecidirCarpetaPrograma() {
    return DecidirCarpetaPrograma(LugaresDelEquipo());
}
