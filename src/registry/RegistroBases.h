#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// BASES.TXT, the registry of known connections kept in the program's folder: one record per line,
// five comma-separated fields (key, database, user, encoded password, server). The file is also
// written by hand and by the suite's older programs, so the reader is forgiving: CR LF, CR alone
// and LF alone all end a line; blank lines are skipped; a line with fewer than five fields gets
// empty ones, a line with more keeps the surplus (commas included) in the server field, which is
// where "HOST,PORT" belongs; a field in double quotes may hold commas; each line is read as UTF-8
// when it is valid UTF-8 and otherwise in the suite's single-byte code page (Windows-1252).
struct RegistroConexion {
    QString clave;  // "DB / SERVER"
    QString baseDatos;
    QString usuario;
    QString password;  // stored form (FuncionesComunes::Codificar)
    QString servidor;  // with ":" and port when one was typed
};

// The registry path: the program's folder with its trailing separator + "BASES.TXT".
QString RutaRegistroBases();

// The key of a connection: upper-case trimmed database + " / " + upper-case trimmed server, the
// latter cut before its first ":" (the port is not part of the key).
QString ClaveConexion(const QString& baseDatos, const QString& servidor);

// The records of the file's bytes, in file order.
QList<RegistroConexion> AnalizarRegistroBases(const QByteArray& contenido);
// The records of the file at ruta; an empty list when it does not exist. A file that exists but
// cannot be read raises ErrorEjecucion 75.
QList<RegistroConexion> LeerRegistroBases(const QString& ruta);

// One record line in the file's form (fields trimmed; the password given in clear is stored
// encoded), without line end.
QString LineaRegistro(const QString& clave, const QString& baseDatos, const QString& usuario, const QString& password,
                      const QString& servidor);

// Appends one record to the registry file, creating it when absent. When the file does not end
// with a line end, a lone CR goes first so the record starts a line of its own. The file is
// replaced as a whole through a temporary file, so an interrupted write leaves either the old file
// or the new one, never a cut one. Raises ErrorEjecucion 75 when the file cannot be read or written.
void AgregaConexion(const QString& clave, const QString& baseDatos, const QString& usuario, const QString& password,
                    const QString& servidor);
