#include "services/FuncionesIni.h"

#include "services/CodePage.h"
#include "services/Plataforma.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

FuncionesIni& FuncionesIni::instancia() {
    static FuncionesIni f;
    return f;
}

QString FuncionesIni::Ubicar(const QString& archivo) const {
    if (archivo.trimmed().isEmpty()) return QString();
    const QFileInfo fi(archivo);
    // A name without a folder, or with a relative one, is taken from the program folder.
    const QDir carpeta(fi.isAbsolute() ? fi.path() : QDir::cleanPath(QDir(plataforma().CarpetaPrograma()).filePath(fi.path())));
    const QString nombre = fi.fileName();
    if (QFileInfo(carpeta.filePath(nombre)).isFile()) return carpeta.filePath(nombre);
    // The suite writes the name in mixed case (QM210ax.INI); Linux folders are case-sensitive.
    const auto entradas = carpeta.entryList(QDir::Files, QDir::Name);
    for (const QString& e : entradas)
        if (e.compare(nombre, Qt::CaseInsensitive) == 0) return carpeta.filePath(e);
    return QString();
}

QString FuncionesIni::Leer(const QString& archivo, const QString& seccion, const QString& clave, const QString& defecto) const {
    const QString ruta = Ubicar(archivo);
    if (ruta.isEmpty()) return defecto;
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly)) return defecto;
    const QString texto = cp1252::DecodificarTexto(f.readAll());
    const QString s = seccion.trimmed();
    const QString k = clave.trimmed();
    bool enSeccion = false;
    const auto lineas = texto.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    for (const QString& cruda : lineas) {
        const QString linea = cruda.trimmed();
        if (linea.isEmpty() || linea.startsWith(QLatin1Char(';'))) continue;
        if (linea.startsWith(QLatin1Char('['))) {
            const int fin = linea.lastIndexOf(QLatin1Char(']'));
            const QString nombre = linea.mid(1, (fin > 0 ? fin : linea.size()) - 1).trimmed();
            if (enSeccion) return defecto;  // the key was not in the (first) matching section
            enSeccion = nombre.compare(s, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!enSeccion) continue;
        const int igual = linea.indexOf(QLatin1Char('='));
        if (igual < 0) continue;
        if (linea.left(igual).trimmed().compare(k, Qt::CaseInsensitive) != 0) continue;
        QString valor = linea.mid(igual + 1).trimmed();
        // As the Windows reader does, a value enclosed in double or in single quotes loses them.
        if (valor.size() >= 2 && (valor.front() == QLatin1Char('"') || valor.front() == QLatin1Char('\'')) &&
            valor.back() == valor.front())
            valor = valor.mid(1, valor.size() - 2);
        return valor;
    }
    return defecto;
}
