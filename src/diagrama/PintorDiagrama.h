#pragma once

#include "diagrama/GeometriaDiagrama.h"
#include "diagrama/PaletaDiagrama.h"

#include <QBrush>
#include <QFont>
#include <QImage>
#include <functional>
#include <vector>

class QPainter;

namespace diagrama {

// Draws a layout's drawing, or any part of it, on any painter: the screen, a printer, a PDF, a
// picture, an SVG file. Only what crosses the zone asked for is drawn, and the detail follows the
// scale (pixels of a 96 dpi screen per drawing unit, whatever the device): far away every line of
// racks is one small picture with a pixel per cell (made once, kept until the layout changes);
// closer, each cell is a coloured block with its state's hatching; texts appear once they can be
// read: codes, the state letters, capacity and unit, and the description when a cell is large.
class PintorDiagrama {
public:
    static constexpr double kEscalaBloques = 0.12;       // below it, each line is a picture
    static constexpr double kEscalaTramas = 0.2;         // from it, the hatching of the states
    static constexpr double kEscalaTexto = 0.55;         // from it, the codes of cells and racks
    static constexpr double kEscalaSegundaLinea = 0.65;  // from it, capacity and unit too
    static constexpr double kEscalaDescripcion = 1.3;

    explicit PintorDiagrama(const GeometriaDiagrama& geometria) : g_(geometria) {}

    // Draws the zone (in drawing units) on the painter, whose transform already maps the drawing
    // onto the device. seguir, when given, is asked after each line of racks and may answer false
    // to stop: the answer is then false.
    bool Pintar(QPainter& p, const QRectF& zona, double escala, const PaletaDiagrama& paleta,
                const std::function<bool()>& seguir = {}) const;
    // Forgets the pictures of the lines (the layout or its geometry changed).
    void Olvidar() const { vistas_.clear(); }

    // A legend's sample of a state, in the painter's own units (pixels on a screen).
    static void PintarMuestra(QPainter& p, const QRectF& r, Estado e, const PaletaDiagrama& paleta);
    // A legend's sample of what lies outside the levels.
    static void PintarMuestraFuera(QPainter& p, const QRectF& r, const PaletaDiagrama& paleta);

    // The legend in one row inside r, in the painter's own units: a sample and the name of each
    // state, the mark of what lies outside the levels when the layout has any, and what the rows,
    // columns and cells of the drawing are, in the configured titles.
    static void PintarLeyenda(QPainter& p, const QRectF& r, const PaletaDiagrama& paleta, const LayoutDeposito* layout);

    // The text of a position's capacity and unit as a cell shows it ("120 CJ", "∞ UN" for the
    // editor's "no limit" 999999); empty without either.
    static QString TextoCapacidad(const LayoutDeposito& layout, int nodo);

private:
    struct Contexto;
    void PintarLinea(Contexto& c, int linea) const;
    void PintarCelda(Contexto& c, const QRectF& r, int nodo) const;
    void PintarTextos(Contexto& c, const QRectF& r, int nodo) const;
    void PintarCalle(Contexto& c, int calle) const;
    const QImage& Vista(int linea, const PaletaDiagrama& paleta) const;

    const GeometriaDiagrama& g_;
    mutable std::vector<QImage> vistas_;
};

}  // namespace diagrama
