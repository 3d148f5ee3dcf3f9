// Opening a position: a real mouse click on a node of the layout tree, the window loading the
// position and checking its code (its parent and the codes under it), and the window repainted,
// on a warehouse of 1,000 positions and on one of N (1,000,000 unless --posiciones=N). Target: a
// click on the large warehouse at most 10 times one on the small one.
//
//   QT_QPA_PLATFORM=offscreen ./bench_clic [--posiciones=N]
#include "Banco.h"
#include "layout/ArbolLayout.h"
#include "layout/FrmMa_Posic.h"
#include "services/FuncionesFormulario.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <cstdio>
#include <memory>

namespace {

constexpr int kChico = 1000;
int grande = 1000000;

banco::EntornoVentana<FrmMa_Posic>& entorno() {
    static banco::EntornoVentana<FrmMa_Posic> e;
    return e;
}

bool Preparar() {
    auto& e = entorno();
    if (!e.Preparar({{QStringLiteral("8"), kChico}, {QStringLiteral("9"), grande}})) return false;
    e.ventana = std::make_unique<FrmMa_Posic>(false);
    e.ventana->resize(1100, 720);
    e.ventana->show();
    QApplication::processEvents();
    return true;
}

// The warehouse chosen as the operator chooses it, its tree built, and two positions of its last
// aisle in sight: its first rack (with a parent and positions under it) and that rack's first level.
std::pair<QModelIndex, QModelIndex> Abrir(const char* deposito) {
    auto& w = *entorno().ventana;
    w.CmbDeposito->setCurrentIndex(w.CmbDeposito->findText(QString::fromLatin1(deposito), Qt::MatchEndsWith));
    w.ArmarTreeVAutomatico();
    const QModelIndex raiz = w.ModeloArbol->index(0, 0);
    const QModelIndex calle = w.ModeloArbol->index(w.ModeloArbol->rowCount(raiz) - 1, 0, raiz);
    w.TreeView1->expand(raiz);
    w.TreeView1->expand(calle);
    const QModelIndex a = w.ModeloArbol->index(0, 0, calle), b = w.ModeloArbol->index(0, 0, a);
    QApplication::processEvents();
    w.TreeView1->scrollTo(a, QAbstractItemView::PositionAtTop);
    QApplication::processEvents();
    return {a, b};
}

void BM_Clic(benchmark::State& state) {
    auto& w = *entorno().ventana;
    const auto [a, b] = Abrir(state.range(0) == kChico ? "   8" : "   9");
    QLineEdit* codigo =
        w.txtfields.value(FuncionesFormulario::instancia().IndiceCampo(QStringLiteral("IdPosicion"), w.txtfields));
    const QString esperado[2] = {w.ModeloArbol->Clave(a).mid(1).trimmed(), w.ModeloArbol->Clave(b).mid(1).trimmed()};
    int k = 0;
    for (auto _ : state) {
        const QModelIndex nodo = k ? b : a;
        QTest::mouseClick(w.TreeView1->viewport(), Qt::LeftButton, {}, w.TreeView1->visualRect(nodo).center());
        w.repaint();
        if (!codigo || codigo->text().trimmed() != esperado[k]) {
            state.SkipWithError("the click did not open the position");
            break;
        }
        k ^= 1;
    }
    state.counters["posiciones"] = w.ModeloArbol->CantidadNodos() - 1;
    if (entorno().plataforma->cajas) state.SkipWithError("a message box was shown");
}

}  // namespace

int main(int argc, char** argv) {
    grande = banco::Arranque(argc, argv, grande);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (!Preparar()) return 1;
    benchmark::RegisterBenchmark("BM_Clic", BM_Clic)->Arg(kChico)->Arg(grande)->Unit(benchmark::kMillisecond)->MinTime(1.0);
    banco::Informe informe;
    benchmark::RunSpecifiedBenchmarks(&informe);
    std::printf("\n");
    const std::string g = "BM_Clic/" + std::to_string(grande);
    informe.Razon(qPrintable(QStringLiteral("Un clic con %1 posiciones contra uno con %2").arg(grande).arg(kChico)), g,
                  "BM_Clic/" + std::to_string(kChico), "objetivo <= 10");
    entorno().ventana.reset();
    benchmark::Shutdown();
    return 0;
}
