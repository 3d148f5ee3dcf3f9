#include "services/FuncionesSistema.h"

#include "services/Plataforma.h"

#include <QWidget>

FuncionesSistema& FuncionesSistema::instancia() {
    static FuncionesSistema f;
    return f;
}

QString FuncionesSistema::NombreEquipo() const {
    return plataforma().NombreEquipo();
}

QString FuncionesSistema::UsuarioEquipo() const {
    return plataforma().UsuarioEquipo();
}

QString FuncionesSistema::CarpetaAlternativa() const {
    return plataforma().CarpetaTemporal();
}

void FuncionesSistema::TratarVentana(QWidget* ventana) const {
    if (!ventana) return;
    // Warehouse staff work with the keyboard all day: make sure every window can be reached and
    // left with it, and that its title tells which program it belongs to.
    ventana->setAttribute(Qt::WA_KeyCompression, false);
    if (ventana->windowTitle().isEmpty()) ventana->setWindowTitle(plataforma().TituloAplicacion());
}

bool FuncionesSistema::AbrirDocumento(const QString& enlace, int estiloVentana) const {
    return plataforma().AbrirDocumento(enlace, estiloVentana);
}
