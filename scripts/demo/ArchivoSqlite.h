#pragma once

#include <sqlite3.h>
#include <QList>
#include <QString>
#include <QVariant>
#include <cstddef>

// A database file reached with the bare SQLite API, beside the program's own client: the demo
// builder writes with it, tests set up and read back rows with it, benchmarks prepare their files.
// The program's SQL Server functions are registered on it, so statements and views that use them
// behave as in the program.
namespace demo {

class ArchivoSqlite {
public:
    // Opens the file for reading and writing (creating it when crear); Valido() tells, Error() why.
    explicit ArchivoSqlite(const QString& archivo, bool crear = false);
    ~ArchivoSqlite();
    ArchivoSqlite(const ArchivoSqlite&) = delete;
    ArchivoSqlite& operator=(const ArchivoSqlite&) = delete;

    bool Valido() const { return db_ != nullptr; }
    QString Error() const { return error_; }
    sqlite3* db() const { return db_; }

    // Runs a script of statements; false with the reason in Error().
    bool Ejecutar(const QString& sql);
    // The rows of one query with "?" placeholders bound in order (NULL is an invalid QVariant);
    // an empty list with the reason in Error() when it fails.
    QList<QVariantList> Filas(const QString& sql, const QVariantList& parametros = {});
    // The first column of the first row; an invalid QVariant when there is none.
    QVariant Valor(const QString& sql, const QVariantList& parametros = {});
    bool ExisteTabla(const QString& nombre);

private:
    friend class Sentencia;
    void AnotarError();

    sqlite3* db_ = nullptr;
    QString error_;
};

// One prepared statement, run again and again with new values bound by their C++ type, without a
// QVariant per value: a generator's hundred thousand rows stay fast. Ejecutar answers SQLITE_ROW,
// SQLITE_DONE, or the failure's code (with the reason in the file's Error()).
class Sentencia {
public:
    Sentencia(ArchivoSqlite& archivo, const QString& sql);
    ~Sentencia();
    Sentencia(const Sentencia&) = delete;
    Sentencia& operator=(const Sentencia&) = delete;

    bool Valida() const { return st_ != nullptr; }

    template <typename... T>
    int Ejecutar(const T&... valores) {
        if (!st_) return SQLITE_MISUSE;
        sqlite3_reset(st_);
        int i = 0;
        int rc = SQLITE_OK;
        ((rc = rc == SQLITE_OK ? Vincular(++i, valores) : rc), ...);
        if (rc == SQLITE_OK) rc = sqlite3_step(st_);
        sqlite3_clear_bindings(st_);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) Anotar();
        return rc;
    }
    QVariant Columna(int i) const;

private:
    void Anotar();
    int Vincular(int i, std::nullptr_t) { return sqlite3_bind_null(st_, i); }
    int Vincular(int i, int v) { return sqlite3_bind_int(st_, i, v); }
    int Vincular(int i, qint64 v) { return sqlite3_bind_int64(st_, i, v); }
    int Vincular(int i, double v) { return sqlite3_bind_double(st_, i, v); }
    // Texts given as bytes are bound without a copy: the values outlive the step, which runs
    // inside Ejecutar, and are unbound afterwards. A null QByteArray or pointer binds NULL.
    int Vincular(int i, const QByteArray& v) {
        return v.isNull() ? sqlite3_bind_null(st_, i)
                          : sqlite3_bind_text(st_, i, v.constData(), static_cast<int>(v.size()), SQLITE_STATIC);
    }
    int Vincular(int i, const char* v) { return v ? sqlite3_bind_text(st_, i, v, -1, SQLITE_STATIC) : sqlite3_bind_null(st_, i); }
    int Vincular(int i, const QString& v);
    int Vincular(int i, const QVariant& v);

    ArchivoSqlite& archivo_;
    sqlite3_stmt* st_ = nullptr;
};

}  // namespace demo
