#include "SesionPrueba.h"

#include "core/Configuracion.h"
#include "db/DB_Dll.h"
#include "services/Sesion.h"

#include <sqlite3.h>
#include <QtTest>

SesionPrueba::SesionPrueba(bool conectar, const QString& nombre) : base_(nombre) {
    guion_->carpeta = base_.Carpeta();
    guion_->temporal = base_.Carpeta();
    sesion() = Sesion();
    gConfiguracion().clear();
    anterior_ = EstablecerBaseDatos(std::make_unique<DB_Dll>());
    auto& e = gBaseEstadisticas();
    if (e.gCnn().State() != 0) e.gCnn().Close();
    e.gOpenFlag = false;
    if (!conectar) return;
    auto& db = gBaseDatos();
    db.gServidor = QStringLiteral("SQLITE");
    db.gDBName = base_.Nombre();
    db.gUsuario = base_.Nombre();
    db.gUserPassWord = base_.Nombre();
    db.OpenServerADODB(false, 3, QString(), false, false);
}

SesionPrueba::~SesionPrueba() {
    auto& e = gBaseEstadisticas();
    try {
        if (e.gCnn().State() != 0) e.gCnn().Close();
    } catch (...) {
    }
    e.gOpenFlag = false;
    EstablecerBaseDatos(std::move(anterior_));
    sesion() = Sesion();
}

QString SesionPrueba::Sql(const QString& sentencia) const {
    sqlite3* db = nullptr;
    QString r;
    if (sqlite3_open_v2(base_.Archivo().toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return QStringLiteral("<no se pudo abrir>");
    }
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sentencia.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK) {
        if (sqlite3_step(st) == SQLITE_ROW && sqlite3_column_count(st) > 0 && sqlite3_column_type(st, 0) != SQLITE_NULL)
            r = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    } else {
        r = QStringLiteral("<error: %1>").arg(QString::fromUtf8(sqlite3_errmsg(db)));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return r;
}

int SesionPrueba::Contar(const QString& desde) const {
    return Sql(QStringLiteral("SELECT COUNT(*) FROM ") + desde).toInt();
}
