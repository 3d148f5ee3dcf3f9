#pragma once

#include "db/driver/Motor.h"

#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace driver {

// The embedded back end: one SQLite database file. It runs the program's SQL Server text through the
// dialect translator (DialectoSqlite.h), keeps SQL Server's transaction nesting (BEGIN TRANSACTION
// inside an open transaction only counts a level; ROLLBACK undoes everything), maps SQLite's failures
// onto the native SQL Server numbers the program reacts to, and types result columns from the
// declared SQL Server types of the schema.
//
// Error mapping (NativeError / SQLState): duplicate key 2627 / 23000; foreign key or CHECK 547 / 23000;
// NOT NULL 515 / 23000; text longer than its varchar(n) 8152 / 22001 (these four followed by 3621 "The
// statement has been terminated."); missing table 208 / 42S02; missing column 207 / 42S22; unknown
// function 195 / 42000; syntax 102 / 42000; I/O failures after opening (the share went away) 11 /
// 08S01; busy database -2 / HYT00 after waiting the command time-out (or when the operator stopped
// waiting), never taken for a lost connection; read-only database 3906 / 25000; a database that
// cannot be opened 4060 / 42000.
class MotorSqlite : public Motor {
public:
    MotorSqlite();
    ~MotorSqlite() override;

    void Abrir(const ParametrosConexion& p, Errores& errores) override;
    void Cerrar() override;
    bool Abierto() const override { return db_ != nullptr; }
    ResultadoMotor Ejecutar(const QString& texto, int timeoutSegundos, Errores& errores) override;
    long EjecutarConParametros(const QString& sql, const QVector<QVariant>& parametros, Errores& errores) override;
    ResultadoMotor ConsultarConParametros(const QString& sql, const QVector<QVariant>& parametros, Errores& errores) override;
    void Comenzar(Errores& errores) override;
    void Confirmar(Errores& errores) override;
    void Deshacer(Errores& errores) override;
    ResultadoMotor Esquema(int tipo, const QStringList& restricciones, Errores& errores) override;
    qint64 UltimoIdentificador() override;
    void FijarBaseDefecto(const QString& nombre, Errores& errores) override;
    QStringList ClavePrimaria(const QString& tabla, Errores& errores) override;
    bool TieneRowid() const override { return true; }
    bool SoloLectura() const override;
    bool EnTransaccion() const override { return nivel_ > 0; }

    // The open connection, for tests that look underneath.
    sqlite3* Conexion() const { return db_; }
    // SQL Server's @@TRANCOUNT.
    int NivelTransaccion() const { return nivel_; }

private:
    [[noreturn]] void Fallar(int rc, Errores& errores) const;
    sqlite3_stmt* Preparar(const QString& sql, Errores& errores) const;
    void Exec(const char* sql, Errores& errores);
    void FijarEspera(int segundos);
    void CrearControlesLongitud();
    // SQLite's busy handler: waits in slices, asking the program's EsperaOcupada between them.
    static int AlEstarOcupada(void* motor, int veces);

    sqlite3* db_ = nullptr;
    QString archivo_;
    QString nombreBase_;
    int nivel_ = 0;
    int esperaMs_ = -1;
    qint64 inicioEspera_ = 0;  // when the current wait began (ms since the epoch)
    bool esperaCancelada_ = false;
    // The last statement EjecutarConParametros prepared, kept for the next run of the same text.
    sqlite3_stmt* repetida_ = nullptr;
    QString textoRepetida_;
    std::vector<char> textos_;  // the texts bound to it, in UTF-8
};

}  // namespace driver
