#include "registry/DialogoAcceso.h"

#include "registry/frmAcceso.h"
#include "services/Plataforma.h"

#include <QComboBox>
#include <QLineEdit>

DialogoAcceso::DialogoAcceso() = default;
DialogoAcceso::~DialogoAcceso() = default;

frmAcceso& DialogoAcceso::Ventana() {
    if (!ventana_) ventana_ = std::make_unique<frmAcceso>();
    return *ventana_;
}

void DialogoAcceso::Cargar(const QString& baseDatos, const QString& servidor, const QString& usuario, const QString& clave,
                           int plataforma) {
    // A fresh load each time, as the callers unload the window after reading it.
    ventana_ = std::make_unique<frmAcceso>();
    frmAcceso& v = *ventana_;
    v.TxtDbName->setText(baseDatos);
    v.TxtServidor->setText(servidor);
    v.TxtUserId->setText(usuario);
    v.TxtUserPassword->setText(clave);
    v.CboPlataformaDB->setCurrentIndex(plataforma > 0 && plataforma < v.CboPlataformaDB->count() ? plataforma : 0);
}

bool DialogoAcceso::Mostrar() {
    frmAcceso& v = Ventana();
    plataforma().MostrarModal(&v);
    return v.Aceptar();
}

QString DialogoAcceso::BaseDatos() const {
    return ventana_ ? ventana_->TxtDbName->text() : QString();
}
QString DialogoAcceso::Servidor() const {
    return ventana_ ? ventana_->TxtServidor->text() : QString();
}
QString DialogoAcceso::Usuario() const {
    return ventana_ ? ventana_->TxtUserId->text() : QString();
}
QString DialogoAcceso::Clave() const {
    return ventana_ ? ventana_->TxtUserPassword->text() : QString();
}
int DialogoAcceso::Plataforma() const {
    return ventana_ ? ventana_->CboPlataformaDB->currentIndex() : 0;
}

void InstalarDialogoConexion() {
    EstablecerDialogoConexion([] { return std::make_unique<DialogoAcceso>(); });
}
