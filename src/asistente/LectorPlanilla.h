#pragma once

#include "asistente/FilaPosicion.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

// Reads the positions of a workbook (.xlsx, as the editor's "PLANILLA" export writes it) or of a
// CSV file (UTF-8 or Windows-1252, "," or ";" between fields, as a spreadsheet saves it).
//
// The first line that is not empty is the header: each cell names a column of MA_POSICIONES
// (IdPosicion is required, the others may be left out, none may appear twice or be unknown). Each
// following line that is not empty is one position; what is wrong with a single line (cells beyond
// the header, a formula error, a cell longer than a spreadsheet cell can be) goes into the line's
// `problema` for the checks to refuse it. What makes the whole file unreadable (not a workbook, a
// damaged archive or sheet, a bad header, more lines than `maximoFilas`) is the message of
// `error`, which names the file and, where there is one, the line.
namespace asistente {

struct TablaLeida {
    QString archivo;  // the file's name, as messages show it
    QVector<FilaPosicion> filas;
    QVector<int> columnas;  // the header's columns, in the file's order
    QString error;          // empty when the file was read
};

// Called now and then with the lines read so far; false stops the reading (error "cancelado").
using AvanceLectura = std::function<bool(qint64 lineas)>;

// Reads the file by its contents: a zip archive is read as a workbook, anything else as CSV.
TablaLeida LeerPlanilla(const QString& ruta, qint64 maximoFilas, const AvanceLectura& avance = {});
TablaLeida LeerXlsx(const QString& ruta, qint64 maximoFilas, const AvanceLectura& avance = {});
TablaLeida LeerCsv(const QString& ruta, qint64 maximoFilas, const AvanceLectura& avance = {});

// The text a reading stopped by the caller ends with.
QString TextoLecturaCancelada();

}  // namespace asistente
