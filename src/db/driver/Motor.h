#pragma once

#include "db/driver/Errores.h"
#include "db/driver/Recordset.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace driver {

// What a back end returns for one statement text: the columns and rows of the last statement that
// produced rows (tieneFilas false when none did) and the rows affected.
struct ResultadoMotor {
    bool tieneFilas = false;
    QList<Campo> campos;  // Value unused here
    QVector<QVector<QVariant>> filas;
    long afectadas = 0;
};

// Connection values parsed from a connection string, for the back end chosen by Conexion.
struct ParametrosConexion {
    enum class Tipo { SQLite, Odbc } tipo = Tipo::SQLite;
    QString archivo;        // SQLite: the database file
    QString cadenaOdbc;     // ODBC: the connection string handed to SQLDriverConnect
    bool dialectoSqlServer = true;  // the program's SQL Server text must be translated (SQLite, or ODBC on SQLite)
    QString baseDatos;      // the database name of the string
};

// A back end of the client. Every failure appends provider errors to the Errores list it is given
// and raises ErrorEjecucion (E_FAIL, or the ADO number of the case).
class Motor {
public:
    virtual ~Motor() = default;
    virtual void Abrir(const ParametrosConexion& p, Errores& errores) = 0;
    virtual void Cerrar() = 0;
    virtual bool Abierto() const = 0;
    // Runs one or more statements; timeoutSegundos bounds waiting for a busy database.
    virtual ResultadoMotor Ejecutar(const QString& texto, int timeoutSegundos, Errores& errores) = 0;
    // Runs one statement with "?" placeholders bound to the values (no dialect translation: the
    // record set writes plain SQL for its AddNew / Update / Delete); returns the rows affected.
    virtual long EjecutarConParametros(const QString& sql, const QVector<QVariant>& parametros, Errores& errores) = 0;
    virtual void Comenzar(Errores& errores) = 0;
    virtual void Confirmar(Errores& errores) = 0;
    virtual void Deshacer(Errores& errores) = 0;
    virtual ResultadoMotor Esquema(int tipo, const QStringList& restricciones, Errores& errores) = 0;
    virtual qint64 UltimoIdentificador() = 0;
    virtual void FijarBaseDefecto(const QString& nombre, Errores& errores) { Q_UNUSED(nombre); Q_UNUSED(errores); }
};

}  // namespace driver
