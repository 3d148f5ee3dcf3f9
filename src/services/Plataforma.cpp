#include "services/Plataforma.h"

#include "services/PlataformaQt.h"

#include <QApplication>
#include <QWidget>

namespace {
std::unique_ptr<Plataforma>& instancia() {
    static std::unique_ptr<Plataforma> p;
    return p;
}
}  // namespace

Plataforma& plataforma() {
    auto& p = instancia();
    if (!p) p = std::make_unique<PlataformaQt>();
    return *p;
}

std::unique_ptr<Plataforma> EstablecerPlataforma(std::unique_ptr<Plataforma> nueva) {
    auto anterior = std::move(instancia());
    instancia() = std::move(nueva);
    return anterior;
}

VueltaDelFoco::VueltaDelFoco() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    ventana_ = QApplication::activeWindow();
    foco_ = QApplication::focusWidget();
}

VueltaDelFoco::~VueltaDelFoco() {
    if (!ventana_ || !ventana_->isVisible()) return;
    ventana_->activateWindow();
    if (foco_ && foco_->window() == ventana_ && foco_->isVisible() && foco_->isEnabled()) foco_->setFocus(Qt::OtherFocusReason);
}
