#include "SesionPrueba.h"

#include "core/Configuracion.h"
#include "core/Dll_Display.h"
#include "db/DB_Dll.h"
#include "services/Sesion.h"

#include "demo/ArchivoSqlite.h"

#include <QPushButton>
#include <QTimer>
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
    demo::ArchivoSqlite archivo(base_.Archivo());
    if (!archivo.Valido()) return QStringLiteral("<no se pudo abrir>");
    const auto filas = archivo.Filas(sentencia);
    if (filas.isEmpty() && !archivo.Error().isEmpty()) return QStringLiteral("<error: %1>").arg(archivo.Error());
    return filas.isEmpty() || filas.first().isEmpty() ? QString() : filas.first().first().toString();
}

int SesionPrueba::Contar(const QString& desde) const {
    return Sql(QStringLiteral("SELECT COUNT(*) FROM ") + desde).toInt();
}

void CancelarElCartel(QObject* dueno) {
    auto* t = new QTimer(dueno);
    QObject::connect(t, &QTimer::timeout, t, [t] {
        if (Lbf_CtrlDisplay* v = gDisplay().Ventana()) {
            v->CmdDisplayCancelar->click();
            t->stop();
        }
    });
    t->start(0);
}
