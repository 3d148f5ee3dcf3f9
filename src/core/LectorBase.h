#pragma once

// Installs the row reader of the printing and export services: queries run through the shared
// database object, with its synonyms, dialect and error treatment.
void InstalarLectorFilas();
