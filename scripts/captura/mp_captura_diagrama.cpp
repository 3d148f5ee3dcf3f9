// Saves a picture of the layout diagram as an operator sees it, for the README and for looking at
// it: the window opened on the demo database (logged in as the demo user), optionally on another
// warehouse, with a position found, at a zoom, in a dark palette.
//
//   MA_POSICIONES_CARPETA=<folder with DEMO.db> mp_captura_diagrama <picture.png>
//       [--deposito=CODE] [--buscar=TEXT] [--escala=X] [--oscuro]
#include "app/Programa.h"
#include "diagrama/FrmDiagrama.h"
#include "diagrama/VistaDiagrama.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstring>

namespace {

QPalette Oscura() {
    QPalette p;
    const QColor ventana(0x2b, 0x2d, 0x30), base(0x1e, 0x1f, 0x22), texto(0xe6, 0xe6, 0xe6), apagado(0x80, 0x80, 0x80);
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
    for (const auto rol : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, rol, apagado);
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "uso: MA_POSICIONES_CARPETA=<carpeta> mp_captura_diagrama <imagen.png> [--deposito=C] "
                     "[--buscar=T] [--escala=X] [--oscuro]\n");
        return 2;
    }
    const QString salida = QString::fromLocal8Bit(argv[1]);
    auto opcion = [&](const char* nombre) {
        const size_t n = std::strlen(nombre);
        for (int i = 2; i < argc; ++i)
            if (std::strncmp(argv[i], nombre, n) == 0 && argv[i][n] == '=') return QString::fromLocal8Bit(argv[i] + n + 1);
        return QString();
    };
    bool oscuro = false;
    for (int i = 2; i < argc; ++i) oscuro |= std::strcmp(argv[i], "--oscuro") == 0;
    const QString deposito = opcion("--deposito"), buscar = opcion("--buscar"), escala = opcion("--escala");

    // The program as it starts for an operator, with the demo parameter string as its command line.
    char parametros[] = "@server=SQLITE; @dbname=DEMO; @usuario=DEMO; @Password=demo; @Caja=1;";
    char* argumentos[] = {argv[0], parametros, nullptr};
    int cantidad = 2;
    QApplication app(cantidad, argumentos);
    PrepararPrograma(QStringLiteral("v_zormap_Diagrama"));
    if (oscuro) {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(Oscura());
    }

    diagrama::FrmDiagrama ventana(true);
    if (!ventana.isVisible()) ventana.show();
    int codigo = 1;
    QTimer::singleShot(300, &ventana, [&] {
        if (!deposito.isEmpty()) ventana.CmbDeposito->setCurrentIndex(ventana.CmbDeposito->findText(deposito, Qt::MatchEndsWith));
        if (!buscar.isEmpty()) QTest::keyClicks(ventana.TxtBuscar, buscar);
        if (!escala.isEmpty()) ventana.Vista->FijarEscala(escala.toDouble());
        if (!escala.isEmpty() && ventana.Vista->Seleccionado() >= 0)
            ventana.Vista->centerOn(ventana.Geometria().RectNodo(ventana.Vista->Seleccionado()).center());
        QTimer::singleShot(300, &ventana, [&] {
            codigo = ventana.grab().save(salida) ? 0 : 1;
            if (codigo) std::fprintf(stderr, "no se pudo guardar %s\n", qPrintable(salida));
            // The window's close would stamp the exit and end the program: the picture is all.
            std::fflush(nullptr);
            std::_Exit(codigo);
        });
    });
    app.exec();
    return codigo;
}
