#pragma once

#include <QString>
#include <QTemporaryDir>

// A demo database (and its TV_ESTADISTICAS.db) built afresh in a temporary folder, removed with the
// object. Built from the SQL files of the source tree's data folder, so a test always sees the
// current schema. Point the scripted platform's program folder at Carpeta() to have the program
// find both databases by name:
//
//     BaseTemporal base;
//     QVERIFY2(base.Valida(), qPrintable(base.Error()));
//     guion->carpeta = base.Carpeta();
class BaseTemporal {
public:
    explicit BaseTemporal(const QString& nombre = QStringLiteral("DEMO"));
    BaseTemporal(const BaseTemporal&) = delete;
    BaseTemporal& operator=(const BaseTemporal&) = delete;

    bool Valida() const { return valida_; }
    QString Error() const { return error_; }
    QString Nombre() const { return nombre_; }
    QString Carpeta() const { return dir_.path(); }  // without a trailing separator
    QString Archivo() const;                         // Carpeta()/Nombre().db
    QString ArchivoEstadisticas() const;             // Carpeta()/TV_ESTADISTICAS.db
    // A connection string that names the file itself, for code that opens a connection directly.
    QString CadenaConexion() const;

private:
    QTemporaryDir dir_;
    QString nombre_;
    QString error_;
    bool valida_ = false;
};
