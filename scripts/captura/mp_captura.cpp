// Saves a picture of the editor as an operator sees it, for the README: the window opened on the
// demo database (logged in as the demo user), a position picked in the tree.
//
//   MA_POSICIONES_CARPETA=<folder with DEMO.db> mp_captura <picture.png>
#include "app/Programa.h"
#include "layout/FrmMa_Posic.h"

#include <QApplication>
#include <QTimer>
#include <QTreeView>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "uso: MA_POSICIONES_CARPETA=<carpeta> mp_captura <imagen.png>\n");
        return 2;
    }
    const QString salida = QString::fromLocal8Bit(argv[1]);
    // The program as it starts for an operator, with the demo parameter string as its command line.
    char parametros[] = "@server=SQLITE; @dbname=DEMO; @usuario=DEMO; @Password=demo; @Caja=1;";
    char* argumentos[] = {argv[0], parametros, nullptr};
    int cantidad = 2;
    QApplication app(cantidad, argumentos);
    PrepararPrograma(QStringLiteral("MA_POSICIONES"));

    FrmMa_Posic ventana(true);
    if (!ventana.isVisible()) ventana.show();
    int codigo = 1;
    QTimer::singleShot(500, &ventana, [&] {
        const QModelIndex nodo = ventana.ModeloArbol->IndiceDeClave(QStringLiteral("A010102"));
        if (nodo.isValid()) {
            ventana.TreeView1->setCurrentIndex(nodo);
            ventana.TreeView1->scrollTo(nodo);
            ventana.TreeView1_NodeClick(nodo);
        }
        QTimer::singleShot(300, &ventana, [&] {
            codigo = ventana.grab().save(salida) ? 0 : 1;
            if (codigo) std::fprintf(stderr, "no se pudo guardar %s\n", qPrintable(salida));
            app.quit();
        });
    });
    app.exec();
    return codigo;
}
