#include "db/DialogoConexion.h"

namespace {
FabricaDialogoConexion& fabrica() {
    static FabricaDialogoConexion f;
    return f;
}
}  // namespace

FabricaDialogoConexion EstablecerDialogoConexion(FabricaDialogoConexion nueva) {
    auto anterior = std::move(fabrica());
    fabrica() = std::move(nueva);
    return anterior;
}

std::unique_ptr<DialogoConexion> CrearDialogoConexion() {
    return fabrica() ? fabrica()() : nullptr;
}
