#pragma once

#include <QStringList>

// The program's own row readers (those main() installs), with every statement that reaches them
// recorded, so a test can tell what the print and export services asked the database, or prove
// that they asked nothing. Installed while alive.
class LectorEspia {
public:
    LectorEspia();
    ~LectorEspia();
    LectorEspia(const LectorEspia&) = delete;
    LectorEspia& operator=(const LectorEspia&) = delete;

    QStringList sentencias;
};
