// Saves a picture of the layout diagram as an operator sees it, for the README and for looking at
// it: the window opened on the demo database (logged in as the demo user), optionally on another
// warehouse, with a position found, at a zoom, in a dark palette.
//
//   MA_POSICIONES_CARPETA=<folder with DEMO.db> mp_captura_diagrama <picture.png>
//       [--deposito=CODE] [--buscar=TEXT] [--escala=X] [--oscuro]
#include "app/Programa.h"
#include "diagrama/FrmDiagrama.h"
#include "diagrama/VistaDiagrama.h"
#include "services/PlataformaQt.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>
#include <cstdio>

namespace {

// The desktop platform, started with the demo parameter string whatever the command line holds.
class PlataformaCaptura : public PlataformaQt {
public:
    QString LineaComando() const override {
        return QStringLiteral("@server=SQLITE; @dbname=DEMO; @usuario=DEMO; @Password=demo; @Caja=1;");
    }
};

QPalette Oscura() {
    QPalette p;
    const QColor ventana(0x2b, 0x2d, 0x30), base(0x1e, 0x1f, 0x22), texto(0xe6, 0xe6, 0xe6);
    p.setColor(QPalette::Window, ventana);
    p.setColor(QPalette::WindowText, texto);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, ventana);
    p.setColor(QPalette::Text, texto);
    p.setColor(QPalette::Button, ventana);
    p.setColor(QPalette::ButtonText, texto);
    p.setColor(QPalette::Highlight, QColor(0x3d, 0x7a, 0xd6));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::PlaceholderText, QColor(0x90, 0x90, 0x90));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr,
                     "uso: MA_POSICIONES_CARPETA=<carpeta> mp_captura_diagrama <imagen.png> [--deposito=C] "
                     "[--buscar=T] [--escala=X] [--oscuro]\n");
        return 2;
    }
    const QString salida = args.takeFirst();
    auto opcion = [&](const QString& nombre) {
        for (const QString& a : args)
            if (a.startsWith(nombre + QLatin1Char('='))) return a.mid(nombre.size() + 1);
        return QString();
    };
    PrepararPrograma(QStringLiteral("v_zormap_Diagrama"));
    auto p = std::make_unique<PlataformaCaptura>();
    const QString carpeta = qEnvironmentVariable("MA_POSICIONES_CARPETA");
    if (!carpeta.isEmpty()) p->FijarCarpetaPrograma(carpeta);
    p->FijarNombreEjecutable(QStringLiteral("v_zormap_Diagrama"));
    EstablecerPlataforma(std::move(p));
    if (args.contains(QStringLiteral("--oscuro"))) {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(Oscura());
    }

    diagrama::FrmDiagrama ventana(true);
    ventana.show();
    int codigo = 1;
    QTimer::singleShot(300, &ventana, [&] {
        const QString deposito = opcion(QStringLiteral("--deposito"));
        if (!deposito.isEmpty()) ventana.CmbDeposito->setCurrentIndex(ventana.CmbDeposito->findText(deposito, Qt::MatchEndsWith));
        const QString buscar = opcion(QStringLiteral("--buscar"));
        if (!buscar.isEmpty()) QTest::keyClicks(ventana.TxtBuscar, buscar);
        const QString escala = opcion(QStringLiteral("--escala"));
        if (!escala.isEmpty()) ventana.Vista->FijarEscala(escala.toDouble());
        if (!escala.isEmpty() && ventana.Vista->Seleccionado() >= 0)
            ventana.Vista->centerOn(ventana.Geometria().RectNodo(ventana.Vista->Seleccionado()).center());
        QTimer::singleShot(300, &ventana, [&] {
            codigo = ventana.grab().save(salida) ? 0 : 1;
            if (codigo) std::fprintf(stderr, "no se pudo guardar %s\n", qPrintable(salida));
            std::fflush(nullptr);
            std::_Exit(codigo);
        });
    });
    app.exec();
    return codigo;
}
