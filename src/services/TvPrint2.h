#pragma once

#include "services/Progreso.h"

#include <QString>
#include <QStringList>
#include <QVariant>

// The suite's printing library: its report object prints a report file for the rows a selection
// formula picks.
//
// A report file is a small text file of this program's own (documented in data/ETIQUETA_POSIC01.rpt
// and the README): the table it reads and its order, the sheet (paper, grid of labels, margins)
// and the elements drawn on every label (texts with {COLUMN} placeholders, Code 128 or QR
// barcodes of a column, drawn by libzint). The rows come through the program's shared database
// object (LeerFilas), never through the connection text the caller passes.
//
// The selection formula is the report engine's syntax, restricted to a safe subset:
// {TABLE.COLUMN}, "=", "<>", TRUE, FALSE, quoted texts without quotes inside, and, or, not and
// parentheses. It is translated into an SQL condition on the report's table; anything else is
// refused with a message and nothing is read.
class TvPrint2 {
public:
    static TvPrint2& instancia();

    // The folder where report files given without a folder are looked for (the program folder
    // when empty).
    void SetCarpetaInformes(const QString& carpeta) { carpeta_ = carpeta; }
    QString CarpetaInformes() const { return carpeta_; }

    // How printing and saving show their progress (sheets done of how many) and hear a cancel:
    // the program installs its progress banner here. Returns the previous hooks.
    Progreso EstablecerProgreso(Progreso p);

    // Prints the report file for the rows the formula selects, after a preview in which the
    // operator picks a printer or saves a PDF. The preview shows the first sheet at once and reads
    // the rows a few sheets at a time, in the report's order, as they come into sight; printing
    // and saving stream the sheets behind the progress banner, and a cancel leaves no file. The parameter list, the connection
    // text and the remaining arguments are accepted for the suite's callers; this report engine needs none of them. Every problem
    // (report file, formula, database, no rows) is told in a message box.
    void ImprimirReporte(const QString& Reporte, const QStringList& Parametros, const QString& Formula, const QString& Conexion,
                         QString& Texto1, QString& Texto2, QString& Texto3, QString& Texto4, const QVariant& Omitido,
                         const QString& Texto5, const QString& Texto6, const QString& Texto7);

    // What a print run did.
    struct Resultado {
        bool impreso = false;  // output produced (a PDF written, or the preview shown)
        int etiquetas = 0;     // labels drawn
        int paginas = 0;       // sheets (or roll labels) drawn
        QString mensaje;       // the message shown when nothing was produced
    };

    // The same run, written straight to a PDF file without a preview (for unattended printing and
    // for tests). The file is written only when there is something to print.
    Resultado ImprimirPdf(const QString& Reporte, const QString& Formula, const QString& archivoPdf);

    // Translates a selection formula into an SQL condition on `tabla` ("" for an empty formula).
    // On refusal returns false with the reason, in the operator's words, in *error.
    static bool TraducirFormula(const QString& formula, const QString& tabla, QString* condicion, QString* error);

private:
    enum class Salida { Vista, Pdf };
    Resultado Imprimir(const QString& Reporte, const QString& Formula, Salida salida, const QString& archivoPdf);
    QString RutaInforme(const QString& Reporte) const;

    QString carpeta_;
    Progreso progreso_;
};
