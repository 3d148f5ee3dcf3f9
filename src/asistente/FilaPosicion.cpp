#include "asistente/FilaPosicion.h"

namespace asistente {

namespace {
const char* const kNombres[kColumnas] = {"IdPosicion", "Descripcion", "CAPACIDAD", "IDUNIDAD",     "IdRubro",
                                         "IdTipo",     "IdArticulo",  "Idfamilia", "OrdenIngreso", "HABILITADO",
                                         "RESERVADO",  "COMPLETA",    "Picking",   "Titulo",       "Iddeposito"};
}  // namespace

QString NombreColumna(int columna) {
    return columna >= 0 && columna < kColumnas ? QString::fromLatin1(kNombres[columna]) : QString();
}

int ColumnaDeNombre(const QString& nombre) {
    const QString t = nombre.trimmed();
    for (int c = 0; c < kColumnas; ++c)
        if (t.compare(QLatin1String(kNombres[c]), Qt::CaseInsensitive) == 0) return c;
    return -1;
}

}  // namespace asistente
