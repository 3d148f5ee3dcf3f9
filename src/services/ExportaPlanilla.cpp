#include "services/ExportaPlanilla.h"

#include "services/ErrorEjecucion.h"

ExportaPlanilla& ExportaPlanilla::instancia() {
    static ExportaPlanilla e;
    return e;
}

void ExportaPlanilla::Exportar(const QString& Tabla, const QString&, const QString&, const QString&) {
    throw ErrorEjecucion(errnum::FileNotFound, QStringLiteral("La exportación a planilla todavía no está disponible: ") + Tabla);
}
