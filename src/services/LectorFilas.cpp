#include "services/LectorFilas.h"

namespace {
LectorFilas& lector() {
    static LectorFilas l;
    return l;
}
RecorridoFilas& recorrido() {
    static RecorridoFilas r;
    return r;
}
}  // namespace

void EstablecerLectorFilas(LectorFilas l) {
    lector() = std::move(l);
}

ResultadoLectura LeerFilas(const QString& sql) {
    if (!lector()) {
        ResultadoLectura r;
        r.error = QStringLiteral("No hay conexión con la base de datos.");
        return r;
    }
    return lector()(sql);
}

void EstablecerRecorridoFilas(RecorridoFilas r) {
    recorrido() = std::move(r);
}

QString RecorrerFilas(const QString& sql, const Cabecera& cabecera, const FilaLeida& fila) {
    if (recorrido()) return recorrido()(sql, cabecera, fila);
    const ResultadoLectura r = LeerFilas(sql);
    if (!r.error.isEmpty()) return r.error;
    if (!cabecera({r.columnas, r.tipos, r.filas.size()})) return {};
    for (const QVariantList& f : r.filas)
        if (!fila(f)) break;
    return {};
}
