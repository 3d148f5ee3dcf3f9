#pragma once

#include <QString>

// The suite-wide catalogue of code tables: for a table name, which columns are its description,
// its key and an extra column; with ejecutar, it also runs the list lookup and returns the chosen
// code in clave (empty when nothing was chosen).
void DefinirConsulta(QString& tabla, QString& descripcion, QString& clave, QString& extra, bool ejecutar, QString& condicion);
