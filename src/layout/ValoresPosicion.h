#pragma once

#include <QString>

// The value one detail field of a position is written with, chosen by the type of its column in
// MA_POSICIONES (an ADO DataTypeEnum number and its defined size), as the text handed to
// AgregaCampo; "Null" stands for no value.
//
// Text columns keep what was typed: trimmed and cut to the column's size, never padded, so that a
// family "0101" or an article "100014" still joins its code table. Dates are written as
// yyyy-MM-dd, numbers with a point and no grouping; a capacity of 0 (or none) stands for no limit
// and is written 999999.
QString ValorColumnaPosicion(const QString& dato, int tipo, int tamano, const QString& texto);
