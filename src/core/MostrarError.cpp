#include "core/MostrarError.h"

#include "services/InformeErrores.h"

int MostrarError(const ErrorEjecucion& error, int botones, const QString& rutina) {
    informe::Opciones o;
    o.sufijoTitulo = QStringLiteral(" Aviso al operador!!! - 2 ");
    o.rutaLog = informe::CarpetaLogTemporal() + QStringLiteral("TVERR.LOG");
    o.abrirAntes = true;  // the log is created even for error 0, before the number is looked at
    return informe::Informar(error, botones, rutina, o);
}

int ReportarMostrarError(const ErrorEjecucion& error, const QString& rutina) {
    return MostrarError(error, 18, rutina);
}
