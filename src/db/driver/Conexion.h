#pragma once

#include "db/driver/Errores.h"
#include "db/driver/Tipos.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>

namespace driver {

class Motor;
class Recordset;
struct ResultadoMotor;

// The one database connection of an ADO-like client. The connection string decides the back end:
//   PROVIDER=SQLOLEDB;Server=SQLITE;Database =NAME;...  -> embedded SQLite file NAME (NAME.db in the
//                                                          program folder when NAME has no folder or
//                                                          extension)
//   PROVIDER=SQLOLEDB;Server=HOST[\INST][:PORT];Database =DB;UId=..;Pwd=..;  -> ODBC (FreeTDS)
//   Provider=OraOLEDB.Oracle.1;Data Source=..;User Id=..;Password=..;      -> ODBC, Oracle driver
//   PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =FILE;...                  -> FILE opened as SQLite
//   DSN=... or DRIVER=...                                                   -> ODBC unchanged
//
// Failures raise ErrorEjecucion with the ADO number the program reacts to (E_FAIL for provider
// errors, 3704 closed, 3705 already open, 3709 invalid connection ...). A provider failure first
// replaces the contents of Errors() with its errors, which stay there until Errors().Clear() or the
// next failure; the client's own errors (3704, 3705, 3709 ...) leave the list alone, as in ADO.
class Conexion {
public:
    Conexion();
    ~Conexion();
    Conexion(const Conexion&) = delete;
    Conexion& operator=(const Conexion&) = delete;

    void Open(const QString& cadena = QString(), const QString& usuario = QString(), const QString& clave = QString(),
              long opciones = -1);
    void Close();       // raises 3704 when already closed
    int State() const;  // adStateClosed / adStateOpen
    QString ConnectionString() const;
    void SetConnectionString(const QString& cadena);

    int CursorLocation() const { return cursorLocation_; }
    void SetCursorLocation(int c) { cursorLocation_ = c; }
    int CommandTimeout() const { return commandTimeout_; }
    void SetCommandTimeout(int segundos);  // also how long a busy database is waited for
    QString DefaultDatabase() const;
    void SetDefaultDatabase(const QString& nombre);
    int IsolationLevel() const { return isolationLevel_; }
    void SetIsolationLevel(int nivel) { isolationLevel_ = nivel; }

    // Runs a text of one or more statements (separated by ";" or line breaks, SQL Server dialect)
    // and returns the record set of the last statement that produced rows (closed when none),
    // forward-only and read-only. afectadas receives the rows inserted, changed or deleted by the
    // text's INSERT / UPDATE / DELETE statements together, -1 when it had none. The first statement
    // that fails stops the text; the statements before it stay done (inside an open transaction,
    // until the caller commits or rolls back).
    std::unique_ptr<Recordset> Execute(const QString& texto, long* afectadas = nullptr, long opciones = -1);

    // Runs one statement with "?" placeholders bound to the values, in the back end's own SQL (no
    // dialect translation); returns the rows it changed. Failures as for Execute.
    long EjecutarConParametros(const QString& sql, const QVector<QVariant>& parametros);

    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();

    // adSchemaTables: columns TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE (tables and views).
    // adSchemaColumns: TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME, DATA_TYPE,
    // CHARACTER_MAXIMUM_LENGTH. restricciones = catalog, schema, table, column (empty = any).
    std::unique_ptr<Recordset> OpenSchema(int tipo, const QStringList& restricciones = QStringList());

    Errores& Errors() { return errores_; }
    const Errores& Errors() const { return errores_; }

    // True when the database is open for reading only (false when closed or when the back end
    // cannot tell).
    bool SoloLectura() const;
    // True while a transaction begun with BeginTrans (or a script's BEGIN TRANSACTION) is open.
    bool EnTransaccion() const;

    // The identity of the last row inserted through this connection (0 when none).
    qint64 UltimoIdentificador();

    // The back end, for the record sets of this connection (null while closed).
    Motor* motor() const { return motor_.get(); }

private:
    // Runs a call of the back end: 3709 when closed; on a failure the provider errors it reported
    // replace the error list and the error goes on to the caller.
    void Proteger(const std::function<void(Motor&, Errores&)>& llamada);
    // With unaSentencia (a record set's query), a text of more than one statement is refused.
    ResultadoMotor EjecutarTexto(const QString& texto, bool unaSentencia = false);

    std::unique_ptr<Motor> motor_;
    // Alive as long as the connection: record sets hold a weak reference to know whether the
    // connection they came from still exists.
    std::shared_ptr<int> vida_ = std::make_shared<int>(0);
    Errores errores_;
    QString cadena_;
    QString baseDefecto_;
    int cursorLocation_ = adUseClient;
    int commandTimeout_ = 30;
    int isolationLevel_ = 4096;
    friend class Recordset;
};

}  // namespace driver
