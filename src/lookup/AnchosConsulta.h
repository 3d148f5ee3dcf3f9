#pragma once

#include <QString>
#include <QVector>
#include <optional>

// Column widths and sizing of the list lookup window. Everything here works in twips, the unit
// the suite stores widths in (CONSULTASLEN.TVX); the window converts to pixels only when it places
// its controls, so the figures can be checked exactly without a screen.
namespace anchos {

// What CalcularAncho derives from the column widths.
struct Calculo {
    QVector<double> izquierdas;   // left edge of each column (and of the search box above it)
    QVector<double> anchosCajas;  // search box widths: column width − 50
    double total = 0;             // sum of the column widths
    double anchoLista = 0;        // total + 360
    double anchoPic = 0;          // total rounded + 360
    double anchoBarra = 0;        // total
    int maximoBarra = 0;          // 32700 at most: the bar's value is a 16-bit number
    double anchoVentana = 0;
};
Calculo CalcularAncho(const QVector<double>& columnas, double anchoPantalla);

// Placement of the controls for a window size (the resize rules). Across, the suite's rules; down,
// the bands are stacked at the heights the controls really take (title band, search boxes and list,
// scroll bar, button frame), so that no control covers another whatever the style's sizes.
struct Medidas {
    double altoTitulo = 0, altoCaja = 0, altoFrame = 0, altoBarra = 0;
    double anchoAceptar = 0, anchoCancelar = 0, anchoNueva = 0, anchoNuevo = 0;
    bool nuevaVisible = true;
};
struct Disposicion {
    double picAncho = 0, picAlto = 0;  // picFields: from the title band down to the scroll bar
    double listaAncho = 0, listaAlto = 0;
    double frameTop = 0, frameAncho = 0;
    double barraTop = 0, barraAncho = 0;  // barraTop from the window's top
    double aceptarLeft = 0, aceptarAncho = 0;
    double cancelarLeft = 0, cancelarAncho = 0;
    double nuevaLeft = 0;
    double labelAncho = 0;
};
// altoVentana is the window's inside height.
Disposicion Redimensionar(double anchoVentana, double altoVentana, const Medidas& m);

// "Stk_ma_articulos" shares the line of "VT_MA_ARTICULOS".
QString TablaAnchos(const QString& tabla);

// The saved widths of a table's list, or nothing when the file is missing, the table has no line,
// or its line is damaged (fewer widths than columns, a width that is not a plausible number): a
// damaged line is never applied half-way, the computed widths stay.
std::optional<QVector<double>> LeerAnchos(const QString& archivo, const QString& tabla, int columnas);

// Rewrites the file through "<name>.AUX" and a rename: every well-formed line of another table is
// copied byte for byte, the table's own line is replaced and goes to the end (in the suite's code
// page when it holds the name, otherwise UTF-8). Lines that cannot be read as two quoted fields are
// dropped instead of being copied. False with the reason on failure.
bool GrabarAnchos(const QString& archivo, const QString& tabla, const QVector<double>& anchos, QString* error);

}  // namespace anchos
