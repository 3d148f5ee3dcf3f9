#include "core/Dll_Display.h"
#include "core/Inicio.h"
#include "core/LectorBase.h"
#include "layout/FrmMa_Posic.h"
#include "registry/DialogoAcceso.h"
#include "services/PlataformaQt.h"
#include "services/TvPrint2.h"

#include <QApplication>

// "Definición de Layout": the warehouse-layout editor. The command line is the suite's parameter
// string (@server=...; @dbname=...; @usuario=...; @Password=...;); without one, the connection
// window asks for the connection values.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("MA_POSICIONES"));
    QApplication::setApplicationDisplayName(QStringLiteral("Definición de Layout"));

    auto plataformaQt = std::make_unique<PlataformaQt>();
    // Where the program looks for its databases, lookup definitions and report files; by default
    // the folder of the executable, as the suite's programs do.
    const QString carpeta = qEnvironmentVariable("MA_POSICIONES_CARPETA");
    if (!carpeta.isEmpty()) plataformaQt->FijarCarpetaPrograma(carpeta);
    plataformaQt->FijarNombreEjecutable(QStringLiteral("MA_POSICIONES"));
    EstablecerPlataforma(std::move(plataformaQt));

    InstalarDialogoConexion();
    InstalarLectorFilas();
    InstalarProgresoExportacion();
    EstablecerAvisoCarpetaInforme([](const QString& c) { TvPrint2::instancia().SetCarpetaInformes(c); });

    FrmMa_Posic ventana(true);
    if (!ventana.isVisible()) ventana.show();
    return app.exec();
}
