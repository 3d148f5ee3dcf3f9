#include "services/TvPrint2.h"

#include "services/ErrorEjecucion.h"

TvPrint2& TvPrint2::instancia() {
    static TvPrint2 t;
    return t;
}

void TvPrint2::ImprimirReporte(const QString& Reporte, const QStringList&, const QString&, const QString&, QString&, QString&, QString&,
                               QString&, const QVariant&, const QString&, const QString&, const QString&) {
    throw ErrorEjecucion(errnum::FileNotFound, QStringLiteral("La impresión de informes todavía no está disponible: ") + Reporte);
}
