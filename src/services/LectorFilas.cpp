#include "services/LectorFilas.h"

namespace {
LectorFilas& lector() {
    static LectorFilas l;
    return l;
}
}  // namespace

void EstablecerLectorFilas(LectorFilas l) { lector() = std::move(l); }

ResultadoLectura LeerFilas(const QString& sql) {
    if (!lector()) {
        ResultadoLectura r;
        r.error = QStringLiteral("No hay conexión con la base de datos.");
        return r;
    }
    return lector()(sql);
}
