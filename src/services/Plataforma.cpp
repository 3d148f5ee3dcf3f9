#include "services/Plataforma.h"

#include "services/PlataformaQt.h"

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
