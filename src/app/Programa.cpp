#include "app/Programa.h"

#include "app/Version.h"
#include "core/Dll_Display.h"
#include "core/Inicio.h"
#include "core/LectorBase.h"
#include "registry/DialogoAcceso.h"
#include "services/CarpetaPrograma.h"
#include "services/PlataformaQt.h"
#include "services/TvPrint2.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QLibraryInfo>
#include <QPointer>
#include <QTextStream>
#include <QTimer>
#include <QTranslator>

namespace {

// The file, print and colour dialogs are Qt's own; a Spanish program shows them in Spanish.
// Without the translation (its package missing) they stay in English.
void InstalarTraduccionQt() {
    auto* traductor = new QTranslator(QCoreApplication::instance());
    if (traductor->load(QStringLiteral("qtbase_es"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(traductor);
    else
        delete traductor;
}

// The command line of the suite's programs is their parameter string ("@server=...; ..."), which
// an option parser must never see: only a command line that is exactly one of the options below is
// answered here, before any window (and without a display).
bool EsOpcionDeTerminal(int argc, char** argv) {
    if (argc != 2) return false;
    const QByteArray a(argv[1]);
    return a == "--help" || a == "-h" || a == "--version" || a == "-v";
}

int ResponderTerminal(int argc, char** argv, const QString& ejecutable) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(ejecutable);
    QCoreApplication::setApplicationVersion(QStringLiteral(MA_POSICIONES_VERSION));
    InstalarTraduccionQt();
    QCommandLineParser p;
    p.setApplicationDescription(
        QStringLiteral("Programa del depósito: definición, asistente y diagrama del layout de posiciones.\n"
                       "Sin parámetros muestra la ventana \"Control de Acceso\"; la carpeta del programa es la\n"
                       "del ejecutable cuando se puede escribir, si no ~/.local/share/ma-posiciones\n"
                       "(la variable MA_POSICIONES_CARPETA la reemplaza)."));
    const QCommandLineOption ayuda({QStringLiteral("h"), QStringLiteral("help")},
                                   QStringLiteral("Muestra esta ayuda y termina."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Muestra la versión del programa y termina."));
    p.addOption(ayuda);
    p.addOption(version);
    p.addPositionalArgument(QStringLiteral("parametros"),
                            QStringLiteral("La cadena de parámetros de la suite, entre comillas: "
                                           "\"@server=SQLITE; @dbname=DEMO; @usuario=DEMO; @Password=demo;\""),
                            QStringLiteral("[parametros]"));
    p.process(app);
    QTextStream salida(stdout);
    if (p.isSet(version))
        salida << ejecutable << ' ' << MA_POSICIONES_VERSION << '\n';
    else
        salida << p.helpText();
    return 0;
}

}  // namespace

void PrepararPrograma(const QString& ejecutable) {
    // No display name: Qt would append it to every title, and the suite's boxes and windows show
    // exactly the titles they are given.
    QApplication::setApplicationName(ejecutable);
    QApplication::setApplicationVersion(QStringLiteral(MA_POSICIONES_VERSION));
    // The three programs are one application to the desktop: its menu entry, its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(MA_POSICIONES_ID_ESCRITORIO));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/iconos/programa.svg")));
    InstalarTraduccionQt();

    auto plataformaQt = std::make_unique<PlataformaQt>();
    // Where the program looks for its databases, lookup definitions and report files.
    plataformaQt->FijarCarpetaPrograma(DecidirCarpetaPrograma());
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
    if (EsOpcionDeTerminal(argc, argv)) return ResponderTerminal(argc, argv, ejecutable);
    QApplication app(argc, argv);
    PrepararPrograma(ejecutable);
    std::unique_ptr<QWidget> principal = ventana();
    if (!principal->isVisible()) principal->show();
    // MA_POSICIONES_CERRAR_MS=n closes the first window n ms after it is up, as its close box
    // would: an unattended start (the package check) sees the whole start and the whole end.
    bool numero = false;
    const int cerrar = qEnvironmentVariableIntValue("MA_POSICIONES_CERRAR_MS", &numero);
    if (numero && cerrar >= 0) {
        QPointer<QWidget> guarda(principal.get());
        QTimer::singleShot(cerrar, &app, [guarda] {
            if (guarda) guarda->close();
        });
    }
    return app.exec();
}
