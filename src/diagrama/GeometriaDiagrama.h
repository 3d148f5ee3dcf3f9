#pragma once

#include "diagrama/LayoutDeposito.h"

#include <QHash>
#include <QRectF>
#include <utility>
#include <vector>

namespace diagrama {

// Where everything of a layout is drawn, in the drawing's own units (a cell is kAnchoColumna by
// kAltoCelda). From the top: one line per notice of the layout, then the aisles one below the
// other, each its heading and then its racks from left to right, on several lines of about the
// same length when it has more than kRacksPorLinea racks (longer lines for an aisle of thousands); the cells of a rack are
// stacked from the floor up in code order, a cell's subdivisions side by side inside it, a rack's code below it. A rack is as
// wide as its most divided cell needs. A rack without cells is drawn as one cell (itself), an aisle without racks as one rack.
//
// A warehouse of many aisles would be a thin strip far taller than any screen or sheet: its aisles
// then continue in further columns, side by side like a newspaper's, as many as bring the whole
// drawing closest to the shape of a landscape sheet.
//
// Nothing is kept per cell: a cell's place follows from its rack and its row among the rack's
// cells, so the geometry of 100,000 positions is a few thousand racks and lines.
class GeometriaDiagrama {
public:
    static constexpr double kAnchoColumna = 96;
    static constexpr double kAltoCelda = 34;
    static constexpr double kSeparacion = 24;  // between racks: a quarter of a column
    static constexpr double kCabecera = 36;    // an aisle's heading
    static constexpr double kRotulo = 20;      // the rack codes below a line
    static constexpr double kEntreLineas = 10;
    static constexpr double kEntreCalles = 26;
    static constexpr double kAviso = 30;  // one notice line
    static constexpr double kMargen = 24;
    static constexpr double kEntreColumnas = 3 * kAnchoColumna;
    static constexpr int kRacksPorLinea = 40;
    static constexpr double kProporcion = 1.4;                 // width over height the columns aim at
    static constexpr double kAnchoMinimo = 4 * kAnchoColumna;  // an aisle's heading at least
    static constexpr double kAnchoAvisos = 12 * kAnchoColumna;

    struct Calle {
        int nodo = -1;
        int primeraLinea = 0;
        int lineas = 0;
        QRectF cabecera;  // the heading
        QRectF marco;     // heading, lines and rack codes
    };
    struct Linea {
        int calle = 0;
        int primerRack = 0;
        int racks = 0;
        int celdas = 1;  // the tallest rack's cells
        double x = 0;    // left of the first rack
        double y = 0;    // top of the cells
        double ancho = 0;
        double alto() const { return celdas * kAltoCelda; }
        double Piso() const { return y + alto(); }
    };
    struct Rack {
        int nodo = -1;  // the rack, or the aisle drawn as its own rack
        double x = 0;
        int columnas = 1;
        int celdas = 1;       // cells stacked (1 when the rack is its own cell)
        bool propio = false;  // the node has no cells: it is the one cell
        double ancho() const { return columnas * kAnchoColumna; }
    };

    void Calcular(const LayoutDeposito& layout);

    const LayoutDeposito* Layout() const { return layout_; }
    QRectF Limites() const { return limites_; }
    const std::vector<Calle>& Calles() const { return calles_; }
    const std::vector<Linea>& Lineas() const { return lineas_; }
    const std::vector<Rack>& Racks() const { return racks_; }
    int CantidadColumnas() const { return static_cast<int>(columnas_.size()); }
    // Where the notices are written (one line each).
    QRectF RectAviso(int i) const;

    // The lines whose cells or rack codes cross the zone, in order.
    std::vector<int> LineasEn(const QRectF& zona) const;
    // The racks of a line that cross [x0, x1), as a half-open range of rack numbers.
    std::pair<int, int> RacksEn(int linea, double x0, double x1) const;
    // The aisles whose frame crosses the zone, in order.
    std::vector<int> CallesEn(const QRectF& zona) const;

    // The rectangle of a cell (row j of a rack, from the floor up), of one of its subdivisions,
    // of a rack's cells, of a rack's code.
    QRectF RectCelda(int rack, int j) const;
    QRectF RectSubdivision(int rack, int j, int k, int cantidad) const;
    QRectF RectRack(int rack) const;
    QRectF RectRotulo(int rack) const;
    int LineaDeRack(int rack) const;

    // Where a sheet had best end: between aisles and between the lines of an aisle, in order.
    std::vector<double> Cortes() const;

    // The node drawn at a point (the smallest: a subdivision before its cell, a cell before its
    // rack), -1 over nothing.
    int NodoEn(const QPointF& punto) const;
    // Where a node is drawn: its cell, its rack with the code below, its aisle with its heading.
    // Empty for a node the drawing does not show.
    QRectF RectNodo(int nodo) const;

private:
    // A column of aisles: its left edge and width, its aisles and their lines.
    struct Columna {
        double x = 0, ancho = 0;
        int primeraCalle = 0, finCalle = 0;
        int primeraLinea = 0, finLinea = 0;
    };
    void Colocar(double arriba);

    const LayoutDeposito* layout_ = nullptr;
    std::vector<Columna> columnas_;
    std::vector<Calle> calles_;
    std::vector<Linea> lineas_;
    std::vector<Rack> racks_;
    std::vector<int> lineaDeRack_;
    QHash<int, int> rackDeNodo_;   // rack node (or aisle drawn as a rack) -> rack number
    QHash<int, int> calleDeNodo_;  // aisle node -> aisle number
    int avisos_ = 0;
    QRectF limites_;
};

}  // namespace diagrama
