#pragma once

#include "services/LectorFilas.h"

// The row readers of the printing and export services: queries run through the shared database
// object, with its synonyms, dialect and error treatment. The first returns every row at once,
// the second hands them over one at a time from where the record set holds them.
ResultadoLectura LeerFilasDeLaBase(const QString& sql);
QString RecorrerFilasDeLaBase(const QString& sql, const Cabecera& cabecera, const FilaLeida& fila);

// Installs both for the services (done once by main()).
void InstalarLectorFilas();
