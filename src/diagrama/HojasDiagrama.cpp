#include "diagrama/HojasDiagrama.h"

#include <algorithm>
#include <cmath>

namespace diagrama {

QSizeF TamanoPapel(Papel papel) {
    return papel == Papel::A3 ? QSizeF(420, 297) : QSizeF(297, 210);
}

QString NombrePapel(Papel papel) {
    return papel == Papel::A3 ? QStringLiteral("A3 apaisado") : QStringLiteral("A4 apaisado");
}

PlanHojas PlanificarHojas(const QRectF& zona, Papel papel, bool varias, const std::vector<double>& cortes) {
    PlanHojas plan;
    plan.papel = papel;
    plan.tamano = TamanoPapel(papel);
    plan.contenido =
        QRectF(PlanHojas::kMargen, PlanHojas::kMargen + PlanHojas::kEncabezado, plan.tamano.width() - 2 * PlanHojas::kMargen,
               plan.tamano.height() - 2 * PlanHojas::kMargen - PlanHojas::kEncabezado - PlanHojas::kPie);
    if (zona.width() <= 0 || zona.height() <= 0) return plan;
    const double cw = plan.contenido.width(), ch = plan.contenido.height();
    const double ajuste = std::min(cw / zona.width(), ch / zona.height());
    if (!varias) {
        plan.mmPorUnidad = ajuste;
    } else if (ajuste >= PlanHojas::kMmLegible) {
        // The whole zone fits one sheet even at the readable size: larger, up to twice.
        plan.mmPorUnidad = std::min(ajuste, 2 * PlanHojas::kMmLegible);
    } else {
        // As few sheets as a somewhat smaller size needs, then as large as those sheets allow:
        // a zone a little wider than a sheet does not leave a second column nearly empty.
        const double minima = PlanHojas::kMmLegible * PlanHojas::kReduccionMaxima;
        const double c = std::ceil(zona.width() * minima / cw - 1e-9), f = std::ceil(zona.height() * minima / ch - 1e-9);
        plan.mmPorUnidad = std::min({PlanHojas::kMmLegible, c * cw / zona.width(), f * ch / zona.height()});
    }
    const double anchoHoja = cw / plan.mmPorUnidad;
    const double altoHoja = ch / plan.mmPorUnidad;
    // A little tolerance, so a zone that fits to the rounding does not spill onto a sheet of its own.
    plan.columnas = std::max(1, static_cast<int>(std::ceil(zona.width() / anchoHoja - 1e-6)));
    // Rows of sheets end, where they can, at a place the drawing offers (between aisles or lines)
    // in the lower half of the sheet, so an aisle is cut as seldom as possible.
    std::vector<double> filas{zona.top()};
    while (filas.back() + altoHoja < zona.bottom() - 1e-6) {
        const double desde = filas.back(), tope = desde + altoHoja;
        double corte = desde;
        for (const double y : cortes)
            if (y > desde + altoHoja / 2 && y <= tope) corte = std::max(corte, y);
        filas.push_back(corte > desde ? corte : tope);
        if (static_cast<int>(filas.size()) * plan.columnas > PlanHojas::kMaximoHojas + 1) break;
    }
    filas.push_back(zona.bottom());
    plan.filas = static_cast<int>(filas.size()) - 1;
    if (plan.Demasiadas()) return plan;
    for (int f = 0; f < plan.filas; ++f)
        for (int c = 0; c < plan.columnas; ++c) {
            const QRectF z(zona.x() + c * anchoHoja, filas[f], anchoHoja, filas[f + 1] - filas[f]);
            plan.hojas.push_back({z.intersected(zona), f, c});
        }
    return plan;
}

}  // namespace diagrama
