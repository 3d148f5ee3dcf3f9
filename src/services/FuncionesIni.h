#pragma once

#include <QString>

// Reads initialisation files with the semantics of the suite's Windows programs: sections and
// keys found without regard to letter case, the first occurrence wins, blanks around names and
// values are dropped, a value enclosed in double quotes loses them, lines starting with ";" are
// comments. A relative file name is looked for in the program folder, also without regard to case.
class FuncionesIni {
public:
    static FuncionesIni& instancia();

    QString Leer(const QString& archivo, const QString& seccion, const QString& clave, const QString& defecto) const;
    // The full path of the file that would be read (empty when none exists).
    QString Ubicar(const QString& archivo) const;
};
