#pragma once

#include "services/Progreso.h"

#include <QString>
#include <functional>

// The suite's spreadsheet exporter: the rows of a table written as a real .xlsx workbook.
//
// The workbook is written with libxlsxwriter in constant-memory mode (each row goes to disk as
// soon as it is written): one sheet named after the title, a bold, frozen header row with an
// autofilter, numbers and flags as numbers, dates as dates, NULL as empty cells and the columns
// as wide as their contents. It is written under a temporary name beside the destination and
// renamed at the end, so a cancelled or failed export never leaves a half-written file.
class ExportaPlanilla {
public:
    static ExportaPlanilla& instancia();

    // The export's progress: `inicio` before the rows are read, `avance` every kFilasPorAviso rows
    // written with the rows written so far and the total.
    using Progreso = ::Progreso;
    // Installs the progress hooks; returns the previous ones.
    Progreso EstablecerProgreso(Progreso p);

    // Asks for the destination (default name from the title), writes the workbook and opens it
    // with the desktop's default handler. Problems are told in a message box; a cancel in the
    // save dialog or in the progress banner writes nothing. The connection text and the last
    // text are accepted for the suite's callers: the rows come through the program's shared
    // database object, row by row (RecorrerFilas).
    void Exportar(const QString& Tabla, const QString& Conexion, const QString& Titulo, const QString& Texto);

    enum class Resultado { Escrito, Cancelado, Error };
    // The same export to a given file, without the save dialog, the opening and the message
    // boxes: for unattended exports, benchmarks and tests. On error, the reason in *error.
    Resultado ExportarA(const QString& Tabla, const QString& Titulo, const QString& destino, QString* error);

    // Rows between two calls of the progress hook.
    static constexpr int kFilasPorAviso = 500;

private:
    Progreso progreso_;
};
