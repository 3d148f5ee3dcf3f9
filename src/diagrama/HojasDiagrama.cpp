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

PlanHojas PlanificarHojas(const QRectF& zona, Papel papel, bool varias) {
    PlanHojas plan;
    plan.papel = papel;
    plan.tamano = TamanoPapel(papel);
    plan.contenido =
        QRectF(PlanHojas::kMargen, PlanHojas::kMargen + PlanHojas::kEncabezado, plan.tamano.width() - 2 * PlanHojas::kMargen,
               plan.tamano.height() - 2 * PlanHojas::kMargen - PlanHojas::kEncabezado - PlanHojas::kPie);
    if (zona.width() <= 0 || zona.height() <= 0) return plan;
    const double ajuste = std::min(plan.contenido.width() / zona.width(), plan.contenido.height() / zona.height());
    if (!varias) {
        plan.mmPorUnidad = ajuste;
    } else {
        // Readable, and larger when the whole zone fits one sheet even so (up to twice).
        plan.mmPorUnidad = ajuste >= PlanHojas::kMmLegible ? std::min(ajuste, 2 * PlanHojas::kMmLegible) : PlanHojas::kMmLegible;
    }
    const double anchoHoja = plan.contenido.width() / plan.mmPorUnidad;
    const double altoHoja = plan.contenido.height() / plan.mmPorUnidad;
    // A little tolerance, so a zone that fits to the rounding does not spill onto a sheet of its own.
    plan.columnas = std::max(1, static_cast<int>(std::ceil(zona.width() / anchoHoja - 1e-6)));
    plan.filas = std::max(1, static_cast<int>(std::ceil(zona.height() / altoHoja - 1e-6)));
    if (plan.Demasiadas()) return plan;
    for (int f = 0; f < plan.filas; ++f)
        for (int c = 0; c < plan.columnas; ++c) {
            const QRectF z(zona.x() + c * anchoHoja, zona.y() + f * altoHoja, anchoHoja, altoHoja);
            plan.hojas.push_back({z.intersected(zona), f, c});
        }
    return plan;
}

}  // namespace diagrama
