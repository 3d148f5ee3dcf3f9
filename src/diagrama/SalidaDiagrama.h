#pragma once

#include "diagrama/HojasDiagrama.h"
#include "diagrama/PintorDiagrama.h"

#include <QString>
#include <functional>

class QPagedPaintDevice;

namespace diagrama {

// The drawing put on paper or into a file: sheets on a printer or a PDF, a PNG picture, an SVG
// drawing. Files are written beside their name and renamed at the end, so a cancelled or failed
// run leaves no file (and an older file of that name untouched).
class SalidaDiagrama {
public:
    enum class Fin { Hecho, Cancelado, Fallo };
    // Asked with (work done, work in all); false stops.
    using Avance = std::function<bool(int hecho, int total)>;

    static constexpr int kLadoMaximoPng = 16384;
    static constexpr double kPixelesMaximoPng = 40e6;

    // titulo heads every sheet ("Diagrama de Layout - Deposito Central"); the date is added.
    SalidaDiagrama(const GeometriaDiagrama& geometria, const PintorDiagrama& pintor, const QString& titulo)
        : g_(geometria), pintor_(pintor), titulo_(titulo) {}

    // The sheets of the plan on a printer or a PDF writer whose page layout the caller has set to
    // the plan's paper (landscape, no margins).
    Fin Hojas(QPagedPaintDevice& destino, const PlanHojas& plan, const Avance& avance) const;
    Fin Pdf(const QString& archivo, const PlanHojas& plan, const Avance& avance, QString* error) const;
    // The zone at escala pixels per drawing unit (see EscalaPng), with the legend below it.
    Fin Png(const QString& archivo, const QRectF& zona, double escala, const Avance& avance, QString* error) const;
    // The zone with every detail, as a vector drawing, with the legend below it.
    Fin Svg(const QString& archivo, const QRectF& zona, const Avance& avance, QString* error) const;

    // The scale a picture of the zone can have: the one asked for, or less when the picture would
    // pass kLadoMaximoPng on a side or kPixelesMaximoPng in all.
    static double EscalaPng(const QRectF& zona, double preferida);
    // The page layout a printer or PDF writer needs for the plan.
    static void PrepararPagina(QPagedPaintDevice& destino, const PlanHojas& plan);

private:
    // Draws the zone and the legend below it in a picture or drawing of the given size.
    bool PintarZona(QPainter& p, const QRectF& zona, double escalaDispositivo, double escalaDetalle, const Avance& avance) const;
    static bool Publicar(const QString& temporal, const QString& archivo, QString* error);

    const GeometriaDiagrama& g_;
    const PintorDiagrama& pintor_;
    QString titulo_;
};

}  // namespace diagrama
