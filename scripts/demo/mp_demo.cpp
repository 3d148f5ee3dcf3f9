// mp_demo: builds the embedded demo database and generates large layouts.
//
//   mp_demo crear [CARPETA [NOMBRE]] [--reemplazar]   CARPETA/NOMBRE.db (DEMO by default) and
//                                                    CARPETA/TV_ESTADISTICAS.db; without CARPETA,
//                                                    the program folder the editor will use
//   mp_demo generar ARCHIVO.db DEPOSITO CANTIDAD      CANTIDAD positions for the warehouse DEPOSITO
#include "demo/BaseDemo.h"
#include "services/CarpetaPrograma.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStringList>
#include <QTextStream>

namespace {

int Uso(QTextStream& err) {
    err << "Uso:\n"
           "  mp_demo crear [CARPETA [NOMBRE]] [--reemplazar]\n"
           "      crea CARPETA/NOMBRE.db (NOMBRE: DEMO) con datos de demostracion y CARPETA/TV_ESTADISTICAS.db;\n"
           "      sin CARPETA, en la carpeta del programa\n"
           "  mp_demo generar ARCHIVO.db DEPOSITO CANTIDAD\n"
           "      agrega un layout de CANTIDAD posiciones al deposito DEPOSITO\n";
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    QStringList args = app.arguments().mid(1);
    const bool reemplazar = args.removeAll(QStringLiteral("--reemplazar")) > 0;
    if (args.isEmpty()) return Uso(err);

    const QString orden = args.takeFirst();
    QString error;
    if (orden == QLatin1String("crear") && args.size() <= 2) {
        // An installed editor keeps its databases in a per-user folder, not beside the executables.
        const QString carpeta = args.isEmpty() ? DecidirCarpetaPrograma() : args[0];
        const QString nombre = args.size() == 2 ? args[1] : QStringLiteral("DEMO");
        if (!demo::CrearBaseDemo(carpeta, nombre, &error, reemplazar)) {
            err << "mp_demo: " << error << "\n";
            return 1;
        }
        QString archivo = nombre;
        if (!archivo.endsWith(QStringLiteral(".db"), Qt::CaseInsensitive)) archivo += QStringLiteral(".db");
        out << QDir(carpeta).filePath(archivo) << "\n";
        return 0;
    }
    if (orden == QLatin1String("generar") && args.size() == 3 && !reemplazar) {
        bool ok = false;
        const int cantidad = args[2].toInt(&ok);
        if (!ok) return Uso(err);
        QElapsedTimer reloj;
        reloj.start();
        if (!demo::GenerarLayout(args[0], args[1], cantidad, &error)) {
            err << "mp_demo: " << error << "\n";
            return 1;
        }
        out << cantidad << " posiciones en " << reloj.elapsed() << " ms\n";
        return 0;
    }
    return Uso(err);
}
