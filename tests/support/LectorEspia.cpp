#include "LectorEspia.h"

#include "core/LectorBase.h"

LectorEspia::LectorEspia() {
    EstablecerLectorFilas([this](const QString& sql) {
        sentencias << sql;
        return LeerFilasDeLaBase(sql);
    });
    EstablecerRecorridoFilas([this](const QString& sql, const Cabecera& cabecera, const FilaLeida& fila) {
        sentencias << sql;
        return RecorrerFilasDeLaBase(sql, cabecera, fila);
    });
}

LectorEspia::~LectorEspia() {
    EstablecerLectorFilas({});
    EstablecerRecorridoFilas({});
}
