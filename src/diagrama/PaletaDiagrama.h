#pragma once

#include "diagrama/LayoutDeposito.h"

#include <QColor>
#include <QPalette>
#include <QString>

namespace diagrama {

// The colours of the drawing, taken from a palette so that a dark desktop theme gets a dark
// drawing with light texts. Each state has a fill, a hatch pattern drawn over it in a stronger
// tone of the same hue and a letter: an operator who does not see colours well tells the states
// apart by the pattern at any zoom and by the letter once texts are readable.
class PaletaDiagrama {
public:
    explicit PaletaDiagrama(const QPalette& paleta);
    // Dark text on white, whatever the screen's theme: what a sheet of paper wants.
    static PaletaDiagrama Papel();

    bool Oscura() const { return oscura_; }
    QColor Fondo() const { return fondo_; }
    QColor Texto() const { return texto_; }
    QColor TextoTenue() const { return tenue_; }
    QColor Linea() const { return linea_; }            // frames of headings, racks and aisles
    QColor LineaTenue() const { return lineaTenue_; }  // frames of cells
    QColor Cabecera() const { return cabecera_; }      // the band behind an aisle's heading
    QColor Seleccion() const { return seleccion_; }
    QColor Aviso() const { return aviso_; }  // what does not fit the levels

    QColor Relleno(Estado e) const { return relleno_[static_cast<int>(e)]; }
    QColor Trama(Estado e) const { return trama_[static_cast<int>(e)]; }
    // The colour of a cell too small to show its hatching: between its fill and its hatching.
    QColor Bloque(Estado e) const { return bloque_[static_cast<int>(e)]; }
    static Qt::BrushStyle Patron(Estado e);
    // "B" blocked, "C" full, "R" reserved, "P" picking; empty for the others.
    static QString Letra(Estado e);
    // The letters of every flag a position carries ("CP": full and picking), in the order above.
    static QString Letras(quint8 marcas);

private:
    bool oscura_ = false;
    QColor fondo_, texto_, tenue_, linea_, lineaTenue_, cabecera_, seleccion_, aviso_;
    QColor relleno_[kEstados], trama_[kEstados], bloque_[kEstados];
};

}  // namespace diagrama
