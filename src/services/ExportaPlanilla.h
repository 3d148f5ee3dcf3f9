#pragma once

#include <QString>

// The suite's spreadsheet exporter: the rows of a table written as a real .xlsx workbook.
class ExportaPlanilla {
public:
    static ExportaPlanilla& instancia();

    // Asks for the destination (default name from the title), writes the workbook and opens it
    // with the desktop's default handler.
    void Exportar(const QString& Tabla, const QString& Conexion, const QString& Titulo, const QString& Texto);
};
