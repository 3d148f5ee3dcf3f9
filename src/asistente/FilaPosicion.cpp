#include "asistente/FilaPosicion.h"

namespace asistente {

namespace {
const char* const kNombres[kColumnas] = {"IdPosicion", "Descripcion", "CAPACIDAD", "IDUNIDAD",     "IdRubro",
                                         "IdTipo",     "IdArticulo",  "Idfamilia", "OrdenIngreso", "HABILITADO",
                                         "RESERVADO",  "COMPLETA",    "Picking",   "Titulo",       "Iddeposito"};
}  // namespace

const QString& NombreColumna(int columna) {
    static const auto nombres = [] {
        std::array<QString, kColumnas + 1> r;
        for (int c = 0; c < kColumnas; ++c) r[static_cast<size_t>(c)] = QString::fromLatin1(kNombres[c]);
        return r;
    }();
    return nombres[static_cast<size_t>(columna >= 0 && columna < kColumnas ? columna : kColumnas)];
}

bool FilaPosicion::MismoResto(const FilaPosicion& otra) const {
    if ((presentes & kMascaraResto) != (otra.presentes & kMascaraResto)) return false;
    if (resto_ == otra.resto_) return true;
    for (int c = 0; c < kColumnas; ++c)
        if (c != IdPosicion && c != Descripcion && Valor(c) != otra.Valor(c)) return false;
    return true;
}

int ColumnaDeNombre(const QString& nombre) {
    const QString t = nombre.trimmed();
    for (int c = 0; c < kColumnas; ++c)
        if (t.compare(QLatin1String(kNombres[c]), Qt::CaseInsensitive) == 0) return c;
    return -1;
}

}  // namespace asistente
