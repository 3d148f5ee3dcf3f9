#pragma once

#include "db/driver/DialectoSqlite.h"
#include "db/driver/Errores.h"
#include "db/driver/FilasCompactas.h"
#include "db/driver/Recordset.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>

namespace driver {

// What a back end returns for one statement text: the columns and rows of the last statement that
// produced rows (tieneFilas false when none did) and the rows affected.
struct ResultadoMotor {
    bool tieneFilas = false;
    QList<Campo> campos;  // Value unused here
    QVector<QVector<QVariant>> filas;
    // A back end may hand large results over in compact form instead of filas (then empty).
    std::shared_ptr<FilasCompactas> compactas;
    long afectadas = 0;
};

// Connection values parsed from a connection string, for the back end chosen by Conexion
// (driver::AnalizarCadena in CadenaConexion.h does the parsing and the routing).
struct ParametrosConexion {
    enum class Tipo { SQLite, Odbc } tipo = Tipo::SQLite;
    // Which form the string had: the SQL Server provider (server text SQLITE or a real server), the
    // Oracle provider, a Jet file, or a plain ODBC string (DSN= / DRIVER=).
    enum class Origen { SqlServer, Oracle, Jet, Odbc } origen = Origen::SqlServer;
    QString archivo;                // SQLite: the database file
    QString cadenaOdbc;             // ODBC: the connection string handed to SQLDriverConnect (the original string
                                    // for DSN= / DRIVER=; built from the fields for the provider forms)
    QString fallaOdbc;              // ODBC: why no driver string could be built (no driver installed)
    bool dialectoSqlServer = true;  // the program's SQL Server text must be translated (SQLite, or ODBC on SQLite)
    QString baseDatos;              // the database name of the string
    QString proveedor;              // PROVIDER= as written
    QString servidor;               // Server= / Data Source= of a server string (HOST[\INST][:PORT])
    QString usuario;                // UId= / User Id= (or the user given to Open)
    QString clave;                  // Pwd= / Password= (or the password given to Open)
    QMap<QString, QString> claves;  // every key of the string, in lower case without blanks around it
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
    virtual void FijarBaseDefecto(const QString& nombre, Errores& errores) {
        Q_UNUSED(nombre);
        Q_UNUSED(errores);
    }

    // Runs one query with "?" placeholders (no dialect translation) and returns its rows; the record
    // set reads back a row it has just inserted with it, to see defaults and identities. A back end
    // that cannot answers no rows, and the record set keeps the values it wrote.
    virtual ResultadoMotor ConsultarConParametros(const QString& sql, const QVector<QVariant>& parametros, Errores& errores) {
        Q_UNUSED(sql);
        Q_UNUSED(parametros);
        Q_UNUSED(errores);
        return {};
    }
    // True when the database was opened for reading only (a write-protected file); a back end that
    // cannot tell says false, and a write then fails as the database answers it.
    virtual bool SoloLectura() const { return false; }
    // True while a transaction begun on this connection is open.
    virtual bool EnTransaccion() const = 0;
    // True when every table row has SQLite's rowid, which locates a row just inserted
    // (UltimoIdentificador) and a row among equal ones.
    virtual bool TieneRowid() const { return false; }
    // The primary-key columns of a table, in key order (empty when unknown or none). The record set
    // locates the rows it updates or deletes by them.
    virtual QStringList ClavePrimaria(const QString& tabla, Errores& errores) {
        Q_UNUSED(tabla);
        Q_UNUSED(errores);
        return {};
    }

protected:
    // Carries out a translated statement that is not SQL for the back end (transaction control,
    // USE, session settings); false for an SQL statement, which the caller runs itself.
    bool EjecutarControl(const dialecto::Sentencia& s, Errores& errores) {
        switch (s.tipo) {
            case dialecto::Sentencia::Tipo::Comenzar:
                Comenzar(errores);
                return true;
            case dialecto::Sentencia::Tipo::Confirmar:
                Confirmar(errores);
                return true;
            case dialecto::Sentencia::Tipo::Deshacer:
                Deshacer(errores);
                return true;
            case dialecto::Sentencia::Tipo::Usar:
                FijarBaseDefecto(s.texto, errores);
                return true;
            case dialecto::Sentencia::Tipo::Omitir:
                return true;
            case dialecto::Sentencia::Tipo::Sql:
                return false;
        }
        return false;
    }
};

}  // namespace driver
