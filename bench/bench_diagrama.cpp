// The layout diagram of a large warehouse against the editor's tree of the same rows, in one run:
// the drawing read, built and shown against the tree built and shown; one screen of the drawing
// repainted while panning and zooming over all of it against one screen of the tree repainted
// while scrolling it; and the memory of each.
//
//   QT_QPA_PLATFORM=offscreen ./bench_diagrama [--posiciones=100000]
#include "Banco.h"
#include "core/Dll_Display.h"
#include "diagrama/FrmDiagrama.h"
#include "diagrama/GeometriaDiagrama.h"
#include "diagrama/LayoutDeposito.h"
#include "diagrama/LecturaDeposito.h"
#include "diagrama/PintorDiagrama.h"
#include "diagrama/VistaDiagrama.h"
#include "layout/ArbolLayout.h"
#include "layout/FrmMa_Posic.h"
#include "layout/QDL_RTLocator.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTreeView>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

int posiciones = 100000;

struct Entorno {
    QTemporaryDir carpeta;
    QString archivo;
    std::unique_ptr<FrmMa_Posic> editor;
    std::unique_ptr<diagrama::FrmDiagrama> diagrama;
};

Entorno& entorno() {
    static Entorno e;
    return e;
}

void Elegir(QComboBox* selector, const char* codigo) {
    const QSignalBlocker b(selector);
    selector->setCurrentIndex(selector->findText(QString::fromLatin1(codigo), Qt::MatchEndsWith));
}

bool Preparar() {
    auto& e = entorno();
    e.archivo = banco::CrearBase(e.carpeta.path(), {{QStringLiteral("9"), posiciones}});
    if (e.archivo.isEmpty()) return false;
    // Both windows open on the demo's first warehouse, a small one: the large one is built for
    // the first time in the timed runs.
    sqlite3* db = nullptr;
    sqlite3_open(e.archivo.toUtf8().constData(), &db);
    sqlite3_exec(db, "UPDATE TA_DEPOSITO SET Descripcion = 'Zona de reserva' WHERE IdDeposito = '   9'", nullptr, nullptr,
                 nullptr);
    sqlite3_close(db);
    if (!banco::Conectar(e.archivo)) return false;
    // As the program: the banner of long work is there.
    InstalarProgresoExportacion();
    e.editor = std::make_unique<FrmMa_Posic>(false);
    e.editor->show();
    e.diagrama = std::make_unique<diagrama::FrmDiagrama>(false);
    e.diagrama->show();
    QApplication::processEvents();
    Elegir(e.editor->CmbDeposito, "   9");
    Elegir(e.diagrama->CmbDeposito, "   9");
    return true;
}

// The first time each side is built in the process (fresh memory), timed once before the runs.
double primerArbol = 0, primerDiagrama = 0;

void ConstruirArbol() {
    auto& w = *entorno().editor;
    w.ArmarTreeVAutomatico();
    w.TreeView1->viewport()->repaint();
    QApplication::processEvents();
}

void ConstruirDiagrama() {
    auto& w = *entorno().diagrama;
    w.Actualizar(true);
    w.Vista->viewport()->repaint();
    QApplication::processEvents();
}

double Cronometrar(void (*f)()) {
    QElapsedTimer reloj;
    reloj.start();
    f();
    return static_cast<double>(reloj.nsecsElapsed()) / 1e3;
}

// Query -> every row in the tree's model -> the view laid out and painted.
void BM_ArbolCompleto(benchmark::State& state) {
    if (primerArbol == 0) primerArbol = Cronometrar(ConstruirArbol);
    for (auto _ : state) ConstruirArbol();
    state.counters["posiciones"] = entorno().editor->ModeloArbol->CantidadNodos() - 1;
}

// Query -> the layout, its geometry -> the drawing fitted and painted.
void BM_DiagramaCompleto(benchmark::State& state) {
    if (primerDiagrama == 0) primerDiagrama = Cronometrar(ConstruirDiagrama);
    for (auto _ : state) ConstruirDiagrama();
    state.counters["posiciones"] = entorno().diagrama->Layout().CantidadPosiciones();
}

// One screen of the tree: the view scrolled by a page and painted, again and again over the tree.
void BM_PantallaArbol(benchmark::State& state) {
    auto& w = *entorno().editor;
    ConstruirArbol();
    QScrollBar* barra = w.TreeView1->verticalScrollBar();
    int valor = 0;
    for (auto _ : state) {
        valor = (valor + barra->pageStep() * 37) % std::max(1, barra->maximum());
        barra->setValue(valor);
        w.TreeView1->viewport()->repaint();
    }
}

// One screen of the drawing: zoomed to each of several scales, from the whole warehouse to cells
// that show their descriptions, and moved to places spread over the whole drawing, each step
// painted in full.
void BM_PantallaDiagrama(benchmark::State& state) {
    auto& w = *entorno().diagrama;
    ConstruirDiagrama();
    auto& v = *w.Vista;
    const QRectF l = w.Geometria().Limites();
    const double ajuste = v.EscalaAjuste();
    const double escalas[] = {ajuste, ajuste * 3, 0.1, 0.15, 0.3, 0.6, 1.0, 1.6};
    struct Paso {
        double escala;
        QPointF centro;
    };
    std::vector<Paso> camino;
    for (const double e : escalas)
        for (int k = 0; k < 9; ++k) {
            // Places spread over the drawing (a fixed scramble of the nine cells of a 3 x 3 grid).
            const int i = (k * 4) % 9;
            camino.push_back({e, QPointF(l.left() + l.width() * (i % 3 + 0.5) / 3, l.top() + l.height() * (i / 3 + 0.5) / 3)});
        }
    size_t paso = 0;
    double peor = 0;
    for (auto _ : state) {
        const Paso& p = camino[paso++ % camino.size()];
        QElapsedTimer reloj;
        reloj.start();
        if (std::abs(v.Escala() - p.escala) > 1e-9) v.FijarEscala(p.escala);
        v.centerOn(p.centro);
        v.viewport()->repaint();
        peor = std::max(peor, static_cast<double>(reloj.nsecsElapsed()) / 1e3);
    }
    state.counters["peor_us"] = peor;
    state.counters["pasos"] = static_cast<double>(camino.size());
}

size_t MemoriaEnUso() {
    malloc_trim(0);
    return mallinfo2().uordblks;
}

// The memory each keeps of the same rows, read before the measure: the tree's model against the
// diagram's layout, geometry and line pictures (made by painting the whole drawing far away).
void MedirMemoria() {
    auto& e = entorno();
    e.editor->ModeloArbol->Limpiar();
    Elegir(e.diagrama->CmbDeposito, "   1");
    e.diagrama->Actualizar(true);
    driver::Recordset rs;
    gBaseDatos().AbrirRecordset(diagrama::SentenciaPosiciones(QStringLiteral("   9")), rs, driver::adOpenForwardOnly,
                                driver::adLockReadOnly);
    const auto filas = rs.GetRows();
    gBaseDatos().CierraRecordset(rs);
    const qsizetype n = filas[0].size();

    size_t antes = MemoriaEnUso();
    auto modelo = std::make_unique<ModeloArbolLayout>();
    modelo->Comenzar(n, QStringLiteral("Definición de LayOut"));
    for (qsizetype i = 0; i < n; ++i) modelo->AgregarFila(filas[0][i].toString(), filas[1][i].toString(), 1);
    modelo->Terminar();
    const double arbol = static_cast<double>(MemoriaEnUso() - antes) / static_cast<double>(n);
    modelo.reset();

    ActualizarNivelesLayout();
    antes = MemoriaEnUso();
    auto layout = std::make_unique<diagrama::LayoutDeposito>();
    layout->Comenzar(gNiveles(), n);
    for (qsizetype i = 0; i < n; ++i)
        layout->Agregar(filas[0][i].toString(), filas[1][i].toString(), filas[2][i].toDouble(), filas[3][i].toString(),
                        static_cast<quint8>(filas[4][i].toInt()));
    layout->Terminar();
    auto geometria = std::make_unique<diagrama::GeometriaDiagrama>();
    geometria->Calcular(*layout);
    auto pintor = std::make_unique<diagrama::PintorDiagrama>(*geometria);
    {
        QImage lienzo(800, 600, QImage::Format_ARGB32_Premultiplied);
        QPainter p(&lienzo);
        const QRectF l = geometria->Limites();
        const double s = std::min(800 / l.width(), 600 / l.height());
        p.scale(s, s);
        pintor->Pintar(p, l, s, diagrama::PaletaDiagrama::Papel());
    }
    const double dibujo = static_cast<double>(MemoriaEnUso() - antes) / static_cast<double>(n);
    std::printf("\nMemoria por posicion: arbol del editor %.1f bytes, diagrama %.1f bytes; razon %.2f (objetivo <= 2)\n", arbol,
                dibujo, dibujo / arbol);
}

// Keeps the run's times so the ratios can be printed at the end.
class Informe : public benchmark::ConsoleReporter {
public:
    struct Tiempo {
        double real = 0, cpu = 0;  // microseconds
    };
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            const double k = r.time_unit == benchmark::kMillisecond ? 1e3 : r.time_unit == benchmark::kNanosecond ? 1e-3 : 1.0;
            tiempos[r.run_name.function_name] = {r.GetAdjustedRealTime() * k, r.GetAdjustedCPUTime() * k};
        }
    }
    std::map<std::string, Tiempo> tiempos;
};

}  // namespace

BENCHMARK(BM_ArbolCompleto)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_DiagramaCompleto)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_PantallaArbol)->Unit(benchmark::kMicrosecond)->Iterations(144);
BENCHMARK(BM_PantallaDiagrama)->Unit(benchmark::kMicrosecond)->Iterations(144);

int main(int argc, char** argv) {
    posiciones = banco::Arranque(argc, argv, posiciones);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!Preparar()) return 1;
    Informe informe;
    benchmark::RunSpecifiedBenchmarks(&informe);
    auto t = [&](const char* nombre) { return informe.tiempos[nombre]; };
    auto razon = [](const char* que, Informe::Tiempo a, Informe::Tiempo b, double objetivo, const char* unidad, double k) {
        std::printf("%s: %.2f %s contra %.2f %s (CPU %.2f contra %.2f); razon %.2f, CPU %.2f (objetivo <= %g)\n", que, a.real / k,
                    unidad, b.real / k, unidad, a.cpu / k, b.cpu / k, a.real / b.real, a.cpu / b.cpu, objetivo);
    };
    std::printf("\n%d posiciones\n", posiciones);
    razon("Diagrama leido, armado y mostrado contra el arbol del editor", t("BM_DiagramaCompleto"), t("BM_ArbolCompleto"), 3,
          "ms", 1e3);
    std::printf("  la primera vez en el proceso: %.1f ms contra %.1f ms; razon %.2f\n", primerDiagrama / 1e3, primerArbol / 1e3,
                primerDiagrama / primerArbol);
    razon("Una pantalla del diagrama (acercando, alejando y moviendo) contra una del arbol", t("BM_PantallaDiagrama"),
          t("BM_PantallaArbol"), 10, "us", 1);
    MedirMemoria();
    entorno().diagrama.reset();
    entorno().editor.reset();
    benchmark::Shutdown();
    return 0;
}
