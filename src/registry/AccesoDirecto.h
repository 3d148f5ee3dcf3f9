#pragma once

#include <QString>

// The program's desktop launcher: a freedesktop ".desktop" entry, the Linux desktops' own form of
// a shortcut, written as <carpeta>/<nombre>.desktop and made executable (desktops only start
// launchers that are). The entry starts programa in its own folder, with icono (an absolute
// file or a theme icon name). Returns the path written. Raises ErrorEjecucion 76 when the folder
// cannot be made and 75 when the file cannot be written.
QString EscribirAccesoDirecto(const QString& carpeta, const QString& nombre, const QString& programa, const QString& icono);

// The Exec value that runs one program without arguments, quoted and escaped as the Desktop Entry
// format requires (before the general string escapes of the file, which the writer applies).
QString ComandoExec(const QString& programa);

// The icon of the program: an image named after the executable in its folder when there is one,
// otherwise the desktop's generic application icon.
QString IconoPrograma(const QString& carpetaPrograma, const QString& nombre);
