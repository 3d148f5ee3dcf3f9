#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <vector>

namespace diagrama {

enum class Papel { A4, A3 };

// How a zone of the drawing goes onto sheets of paper, always landscape: one sheet with the zone
// made to fit, or several at a size that can be read on the floor (a cell about 19 mm wide), cut
// into a grid of sheets read left to right, top to bottom. Each sheet has its heading above and
// the legend below the drawing.
struct PlanHojas {
    static constexpr double kMargen = 10;             // mm around the sheet
    static constexpr double kEncabezado = 9;          // mm for the heading
    static constexpr double kPie = 10;                // mm for the legend
    static constexpr double kMmLegible = 0.2;         // mm of paper per drawing unit on several sheets
    static constexpr double kReduccionMaxima = 0.75;  // how much smaller to save a row or column of sheets
    static constexpr int kMaximoHojas = 500;

    struct Hoja {
        QRectF zona;  // the part of the drawing, in drawing units
        int fila = 0;
        int columna = 0;
    };

    Papel papel = Papel::A4;
    QSizeF tamano;     // mm, landscape
    QRectF contenido;  // mm: where the drawing goes on each sheet
    double mmPorUnidad = 0;
    int filas = 0, columnas = 0;
    std::vector<Hoja> hojas;  // empty when there would be more than kMaximoHojas

    int Cantidad() const { return filas * columnas; }
    bool Demasiadas() const { return Cantidad() > kMaximoHojas; }
    // Pixels of a 96 dpi screen per drawing unit at the sheet's scale: the detail the painter draws.
    double EscalaPantalla() const { return mmPorUnidad * 96.0 / 25.4; }
};

QSizeF TamanoPapel(Papel papel);
QString NombrePapel(Papel papel);
// cortes: the heights (drawing units) where a row of sheets had best end, such as the gaps between
// aisles; without them rows are cut evenly.
PlanHojas PlanificarHojas(const QRectF& zona, Papel papel, bool varias, const std::vector<double>& cortes = {});

}  // namespace diagrama
