#pragma once

#include "BaseTemporal.h"
#include "PlataformaGuion.h"

#include <memory>

class DB_Dll;
class QObject;

// Presses the cancel button of the program's progress banner as soon as the banner shows (a timer
// owned by `dueno`, so that it runs inside the work the banner stands for).
void CancelarElCartel(QObject* dueno);

// Everything a test of the program's upper layers starts from: a fresh demo database in a
// temporary program folder, the scripted platform pointing at that folder, fresh session values
// and a fresh shared database object, connected as the program connects
// ("Server=SQLITE;Database =DEMO", the database name as login and password).
class SesionPrueba {
public:
    explicit SesionPrueba(bool conectar = true, const QString& nombre = QStringLiteral("DEMO"));
    ~SesionPrueba();

    PlataformaGuion& guion() { return *guion_; }
    BaseTemporal& base() { return base_; }
    // Runs a statement directly on the database file (bypassing the program), for setting up and
    // checking rows; returns the first column of the first row of a query ("" when none).
    QString Sql(const QString& sentencia) const;
    int Contar(const QString& desde) const;  // SELECT COUNT(*) FROM <desde>

private:
    BaseTemporal base_;
    GuionInstalado guion_;
    std::unique_ptr<DB_Dll> anterior_;
};
