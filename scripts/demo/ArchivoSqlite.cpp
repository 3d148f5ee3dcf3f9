#include "demo/ArchivoSqlite.h"

#include "db/driver/ExtensionesSqlite.h"

#include <QFile>

namespace demo {

ArchivoSqlite::ArchivoSqlite(const QString& archivo, bool crear) {
    const int modo = SQLITE_OPEN_READWRITE | (crear ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(QFile::encodeName(archivo).constData(), &db_, modo, nullptr) != SQLITE_OK) {
        error_ = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("sin memoria");
        sqlite3_close(db_);
        db_ = nullptr;
        return;
    }
    sqlite3_busy_timeout(db_, 5000);
    driver::sqlite::RegistrarExtensiones(db_);
}

ArchivoSqlite::~ArchivoSqlite() {
    sqlite3_close(db_);
}

bool ArchivoSqlite::Ejecutar(const QString& sql) {
    if (!db_) return false;
    char* mensaje = nullptr;
    if (sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &mensaje) == SQLITE_OK) return true;
    error_ = mensaje ? QString::fromUtf8(mensaje) : QString::fromUtf8(sqlite3_errmsg(db_));
    sqlite3_free(mensaje);
    return false;
}

QList<QVariantList> ArchivoSqlite::Filas(const QString& sql, const QVariantList& parametros) {
    QList<QVariantList> filas;
    if (!db_) return filas;
    sqlite3_stmt* st = nullptr;
    const QByteArray texto = sql.toUtf8();
    if (sqlite3_prepare_v2(db_, texto.constData(), static_cast<int>(texto.size()), &st, nullptr) != SQLITE_OK) {
        error_ = QString::fromUtf8(sqlite3_errmsg(db_));
        return filas;
    }
    for (int i = 0; i < parametros.size(); ++i) {
        const QVariant& v = parametros.at(i);
        if (v.isNull()) {
            sqlite3_bind_null(st, i + 1);
        } else {
            const QByteArray b = v.toString().toUtf8();
            sqlite3_bind_text(st, i + 1, b.constData(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
        }
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        QVariantList fila;
        for (int c = 0; c < sqlite3_column_count(st); ++c) {
            switch (sqlite3_column_type(st, c)) {
                case SQLITE_NULL:
                    fila << QVariant();
                    break;
                case SQLITE_INTEGER:
                    fila << QVariant(static_cast<qint64>(sqlite3_column_int64(st, c)));
                    break;
                case SQLITE_FLOAT:
                    fila << QVariant(sqlite3_column_double(st, c));
                    break;
                default:
                    fila << QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)),
                                                       sqlite3_column_bytes(st, c)));
            }
        }
        filas << fila;
    }
    if (rc != SQLITE_DONE) error_ = QString::fromUtf8(sqlite3_errmsg(db_));
    sqlite3_finalize(st);
    return filas;
}

QVariant ArchivoSqlite::Valor(const QString& sql, const QVariantList& parametros) {
    const auto filas = Filas(sql, parametros);
    return filas.isEmpty() || filas.first().isEmpty() ? QVariant() : filas.first().first();
}

void ArchivoSqlite::AnotarError() {
    if (db_) error_ = QString::fromUtf8(sqlite3_errmsg(db_));
}

bool ArchivoSqlite::ExisteTabla(const QString& nombre) {
    return Valor(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE"), {nombre})
        .isValid();
}

Sentencia::Sentencia(ArchivoSqlite& archivo, const QString& sql) : archivo_(archivo) {
    if (!archivo.db()) return;
    const QByteArray texto = sql.toUtf8();
    if (sqlite3_prepare_v2(archivo.db(), texto.constData(), static_cast<int>(texto.size()), &st_, nullptr) != SQLITE_OK) {
        Anotar();
        sqlite3_finalize(st_);
        st_ = nullptr;
    }
}

Sentencia::~Sentencia() {
    sqlite3_finalize(st_);
}

void Sentencia::Anotar() {
    archivo_.AnotarError();
}

QVariant Sentencia::Columna(int i) const {
    switch (sqlite3_column_type(st_, i)) {
        case SQLITE_NULL:
            return QVariant();
        case SQLITE_INTEGER:
            return QVariant(static_cast<qint64>(sqlite3_column_int64(st_, i)));
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(st_, i));
        default:
            return QVariant(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st_, i)), sqlite3_column_bytes(st_, i)));
    }
}

int Sentencia::Vincular(int i, const QString& v) {
    if (v.isNull()) return sqlite3_bind_null(st_, i);
    const QByteArray texto = v.toUtf8();
    return sqlite3_bind_text(st_, i, texto.constData(), static_cast<int>(texto.size()), SQLITE_TRANSIENT);
}

int Sentencia::Vincular(int i, const QVariant& v) {
    if (v.isNull()) return sqlite3_bind_null(st_, i);
    switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
            return sqlite3_bind_int64(st_, i, v.toLongLong());
        case QMetaType::Double:
            return sqlite3_bind_double(st_, i, v.toDouble());
        default:
            return Vincular(i, v.toString());
    }
}

}  // namespace demo
