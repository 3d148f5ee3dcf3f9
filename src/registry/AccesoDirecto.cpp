#include "registry/AccesoDirecto.h"

#include "services/ErrorEjecucion.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// The escapes of a "string" value of a desktop entry.
QString EscaparValor(const QString& valor) {
    QString r;
    r.reserve(valor.size());
    for (const QChar c : valor) {
        switch (c.unicode()) {
            case '\\':
                r += QLatin1String("\\\\");
                break;
            case '\n':
                r += QLatin1String("\\n");
                break;
            case '\t':
                r += QLatin1String("\\t");
                break;
            case '\r':
                r += QLatin1String("\\r");
                break;
            default:
                r += c;
        }
    }
    // A leading blank would be lost by readers that trim values.
    if (r.startsWith(QLatin1Char(' '))) r.replace(0, 1, QLatin1String("\\s"));
    return r;
}

}  // namespace

QString ComandoExec(const QString& programa) {
    // Inside double quotes the format reserves ", `, $ and \ (escaped with a backslash); a literal
    // percent sign is written twice, since %f, %u ... are field codes.
    QString dentro;
    for (const QChar c : programa) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            dentro += QLatin1Char('\\');
        dentro += c;
    }
    dentro.replace(QLatin1String("%"), QLatin1String("%%"));
    return QLatin1Char('"') + dentro + QLatin1Char('"');
}

QString IconoPrograma(const QString& carpetaPrograma, const QString& nombre) {
    const QDir dir(carpetaPrograma);
    for (const char* ext : {".svg", ".png", ".xpm"}) {
        const QString archivo = dir.filePath(nombre + QLatin1String(ext));
        if (QFileInfo(archivo).isFile()) return QFileInfo(archivo).absoluteFilePath();
    }
    return QStringLiteral("application-x-executable");
}

QString EscribirAccesoDirecto(const QString& carpeta, const QString& nombre, const QString& programa, const QString& icono) {
    if (carpeta.trimmed().isEmpty() || !QDir().mkpath(carpeta))
        throw ErrorEjecucion(76, QStringLiteral("Path not found: ") + carpeta);
    const QString ruta = QDir(carpeta).filePath(nombre + QStringLiteral(".desktop"));
    const QString carpetaProg = QFileInfo(programa).absolutePath();

    QString texto;
    texto += QLatin1String("[Desktop Entry]\n");
    texto += QLatin1String("Type=Application\n");
    texto += QLatin1String("Version=1.0\n");
    texto += QLatin1String("Name=") + EscaparValor(nombre) + QLatin1Char('\n');
    texto += QLatin1String("Comment=Definición de Layout\n");
    texto += QLatin1String("Exec=") + EscaparValor(ComandoExec(programa)) + QLatin1Char('\n');
    texto += QLatin1String("Path=") + EscaparValor(carpetaProg) + QLatin1Char('\n');
    texto += QLatin1String("Icon=") + EscaparValor(icono) + QLatin1Char('\n');
    texto += QLatin1String("Terminal=false\n");
    texto += QLatin1String("Categories=Office;\n");

    QSaveFile f(ruta);
    if (!f.open(QIODevice::WriteOnly))
        throw ErrorEjecucion(errnum::PathFileAccess, QStringLiteral("Path/File access error: ") + ruta);
    f.write(texto.toUtf8());
    if (!f.commit()) throw ErrorEjecucion(errnum::PathFileAccess, QStringLiteral("Path/File access error: ") + ruta);
    QFile::setPermissions(ruta, QFile::permissions(ruta) | QFileDevice::ExeOwner | QFileDevice::ExeUser | QFileDevice::ExeGroup |
                                    QFileDevice::ExeOther);
    return ruta;
}
