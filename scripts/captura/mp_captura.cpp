// Saves a picture of the editor as an operator sees it, for the README: the window opened on the
// demo database (logged in as the demo user), a position picked in the tree.
//
//   MA_POSICIONES_CARPETA=<folder with DEMO.db> mp_captura <picture.png>
#include "core/Dll_Display.h"
#include "core/LectorBase.h"
#include "layout/FrmMa_Posic.h"
#include "registry/DialogoAcceso.h"
#include "services/PlataformaQt.h"

#include <QApplication>
#include <QTimer>
#include <QTreeView>
#include <cstdio>

namespace {

// The desktop platform, started with the demo parameter string whatever the command line holds.
class PlataformaCaptura : public PlataformaQt {
public:
    QString LineaComando() const override {
        return QStringLiteral("@server=SQLITE; @dbname=DEMO; @usuario=DEMO; @Password=demo; @Caja=1;");
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "uso: MA_POSICIONES_CARPETA=<carpeta> mp_captura <imagen.png>\n");
        return 2;
    }
    const QString salida = QString::fromLocal8Bit(argv[1]);
    auto p = std::make_unique<PlataformaCaptura>();
    const QString carpeta = qEnvironmentVariable("MA_POSICIONES_CARPETA");
    if (!carpeta.isEmpty()) p->FijarCarpetaPrograma(carpeta);
    p->FijarNombreEjecutable(QStringLiteral("MA_POSICIONES"));
    EstablecerPlataforma(std::move(p));
    InstalarDialogoConexion();
    InstalarLectorFilas();
    InstalarProgresoExportacion();

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
