#include "app/Programa.h"

#include "core/Dll_Display.h"
#include "core/Inicio.h"
#include "core/LectorBase.h"
#include "registry/DialogoAcceso.h"
#include "services/PlataformaQt.h"
#include "services/TvPrint2.h"

#include <QApplication>

int EjecutarPrograma(int argc, char** argv, const QString& ejecutable, const std::function<std::unique_ptr<QWidget>()>& ventana) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(ejecutable);
    QApplication::setApplicationDisplayName(QStringLiteral("Definición de Layout"));

    auto plataformaQt = std::make_unique<PlataformaQt>();
    // Where the program looks for its databases, lookup definitions and report files; by default
    // the folder of the executable, as the suite's programs do.
    const QString carpeta = qEnvironmentVariable("MA_POSICIONES_CARPETA");
    if (!carpeta.isEmpty()) plataformaQt->FijarCarpetaPrograma(carpeta);
    plataformaQt->FijarNombreEjecutable(ejecutable);
    EstablecerPlataforma(std::move(plataformaQt));

    InstalarDialogoConexion();
    InstalarLectorFilas();
    InstalarProgresoExportacion();
    EstablecerAvisoCarpetaInforme([](const QString& c) { TvPrint2::instancia().SetCarpetaInformes(c); });

    std::unique_ptr<QWidget> principal = ventana();
    if (!principal->isVisible()) principal->show();
    return app.exec();
}
