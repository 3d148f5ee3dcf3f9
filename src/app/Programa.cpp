#include "app/Programa.h"

#include "core/Dll_Display.h"
#include "core/Inicio.h"
#include "core/LectorBase.h"
#include "registry/DialogoAcceso.h"
#include "services/PlataformaQt.h"
#include "services/TvPrint2.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

void PrepararPrograma(const QString& ejecutable) {
    // No display name: Qt would append it to every title, and the suite's boxes and windows show
    // exactly the titles they are given.
    QApplication::setApplicationName(ejecutable);

    // The file, print and colour dialogs are Qt's own; a Spanish program shows them in Spanish.
    // Without the translation (its package missing) they stay in English.
    auto* traductor = new QTranslator(qApp);
    if (traductor->load(QStringLiteral("qtbase_es"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(traductor);
    else
        delete traductor;

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
    InstalarProgresoEtiquetas();
    InstalarEsperaOcupada();
    EstablecerAvisoCarpetaInforme([](const QString& c) { TvPrint2::instancia().SetCarpetaInformes(c); });
}

int EjecutarPrograma(int argc, char** argv, const QString& ejecutable, const std::function<std::unique_ptr<QWidget>()>& ventana) {
    QApplication app(argc, argv);
    PrepararPrograma(ejecutable);
    std::unique_ptr<QWidget> principal = ventana();
    if (!principal->isVisible()) principal->show();
    return app.exec();
}
