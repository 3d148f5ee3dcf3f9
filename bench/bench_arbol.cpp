// The layout tree of a large warehouse: building it from the query to a model shown in the view,
// against reading the same rows with the bare SQLite API; one node added after a save on trees of
// 1,000 and 100,000 positions, whole and in the model alone; and the model's own memory per
// position.
//
//   QT_QPA_PLATFORM=offscreen ./bench_arbol
#include "Banco.h"
#include "layout/ArbolLayout.h"
#include "layout/FrmMa_Posic.h"
#include "services/Plataforma.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTreeView>

#include <cstdio>
#include <map>
#include <memory>

namespace {

constexpr int kGrande = 100000;
constexpr int kChico = 1000;

struct Entorno {
    QTemporaryDir carpeta;
    QString archivo;
    std::unique_ptr<FrmMa_Posic> ventana;
};

Entorno& entorno() {
    static Entorno e;
    return e;
}

bool Preparar() {
    auto& e = entorno();
    e.archivo = banco::CrearBase(e.carpeta.path(), {{QStringLiteral("9"), kGrande}, {QStringLiteral("8"), kChico}});
    if (e.archivo.isEmpty() || !banco::Conectar(e.archivo)) return false;
    e.ventana = std::make_unique<FrmMa_Posic>(false);
    e.ventana->show();
    QApplication::processEvents();
    return true;
}

void ElegirDeposito(const char* codigo) {
    auto& w = *entorno().ventana;
    const int i = w.CmbDeposito->findText(QString::fromLatin1(codigo), Qt::MatchEndsWith);
    const QSignalBlocker b(w.CmbDeposito);
    w.CmbDeposito->setCurrentIndex(i);
}

// The first build of the large tree in the process and the first bare read, each timed once before
// the timed runs (which measure both sides warm, as an operator switching warehouses sees them).
double primeraConstruccion = 0, primeraLectura = 0;

// Query -> every row in the model -> the view laid out and painted.
void BM_ArbolCompleto(benchmark::State& state) {
    auto& w = *entorno().ventana;
    ElegirDeposito("   9");
    auto construir = [&] {
        w.ArmarTreeVAutomatico();
        w.TreeView1->viewport()->repaint();
        QApplication::processEvents();
    };
    QElapsedTimer reloj;
    reloj.start();
    construir();
    if (primeraConstruccion == 0) primeraConstruccion = static_cast<double>(reloj.nsecsElapsed()) / 1e3;
    for (auto _ : state) construir();
    state.counters["posiciones"] = w.ModeloArbol->CantidadNodos() - 1;
}

// The same rows, read with nothing but sqlite3_step.
void BM_SqliteCrudo(benchmark::State& state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(entorno().archivo.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    long filas = 0;
    auto leer = [&] {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT IdPosicion, Descripcion FROM MA_POSICIONES WHERE IdDeposito = '   9' ORDER BY IdPosicion",
                           -1, &st, nullptr);
        size_t bytes = 0;
        filas = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            bytes += static_cast<size_t>(sqlite3_column_bytes(st, 0)) + static_cast<size_t>(sqlite3_column_bytes(st, 1));
            benchmark::DoNotOptimize(sqlite3_column_text(st, 0));
            benchmark::DoNotOptimize(sqlite3_column_text(st, 1));
            ++filas;
        }
        benchmark::DoNotOptimize(bytes);
        sqlite3_finalize(st);
    };
    QElapsedTimer reloj;
    reloj.start();
    leer();
    if (primeraLectura == 0) primeraLectura = static_cast<double>(reloj.nsecsElapsed()) / 1e3;
    for (auto _ : state) leer();
    sqlite3_close(db);
    state.counters["posiciones"] = static_cast<double>(filas);
}

// One save's worth of tree work: a new position added under an existing one.
void BM_ActualizaTreeV(benchmark::State& state) {
    auto& w = *entorno().ventana;
    ElegirDeposito(state.range(0) == kGrande ? "   9" : "   8");
    w.ArmarTreeVAutomatico();
    QApplication::processEvents();
    int n = 0;
    for (auto _ : state) {
        // Codes no generated layout holds: "01" followed by a letter and a digit.
        const QString codigo = QStringLiteral("01") + QChar(u'A' + n / 10) + QChar(u'0' + n % 10);
        ++n;
        w.ActualizaTreeV(codigo, QStringLiteral("Nueva"));
    }
    state.counters["nodos"] = w.ModeloArbol->CantidadNodos();
    QApplication::processEvents();
}

// The model's part of the same work, without a view: what the program itself does per save.
void BM_AgregarNodoModelo(benchmark::State& state) {
    auto& w = *entorno().ventana;
    ElegirDeposito(state.range(0) == kGrande ? "   9" : "   8");
    w.ArmarTreeVAutomatico();
    QApplication::processEvents();
    // A model of its own, filled with the same rows, so no view takes part.
    ModeloArbolLayout modelo;
    const int nodos = w.ModeloArbol->CantidadNodos();
    modelo.Comenzar(nodos, QStringLiteral("Definición de LayOut"));
    std::vector<QModelIndex> pila{w.ModeloArbol->index(0, 0)};
    while (!pila.empty()) {
        const QModelIndex i = pila.back();
        pila.pop_back();
        for (int r = w.ModeloArbol->rowCount(i) - 1; r >= 0; --r) pila.push_back(w.ModeloArbol->index(r, 0, i));
        const QString clave = w.ModeloArbol->Clave(i);
        if (clave.size() > 1) modelo.AgregarFila(clave.mid(1), QStringLiteral("x"), 1);
    }
    modelo.Terminar();
    int n = 0;
    for (auto _ : state) {
        const QString codigo = QStringLiteral("01") + QChar(u'A' + n / 10) + QChar(u'0' + n % 10);
        ++n;
        benchmark::DoNotOptimize(modelo.AgregarNodo(QStringLiteral("A01"), codigo, codigo + QStringLiteral(" - Nueva"), 1));
    }
    state.counters["nodos"] = modelo.CantidadNodos();
}

size_t MemoriaEnUso() {
    malloc_trim(0);
    return mallinfo2().uordblks;
}

void MedirMemoria() {
    auto& w = *entorno().ventana;
    ElegirDeposito("   9");
    // The rows as the tree build receives them, fetched before the measure.
    driver::Recordset rs;
    gBaseDatos().AbrirRecordset(
        QStringLiteral("SELECT IdPosicion,Descripcion FROM MA_POSICiones where iddeposito='   9' ORDER BY IdPosicion"), rs,
        driver::adOpenDynamic, driver::adLockReadOnly);
    const auto filas = rs.GetRows();
    gBaseDatos().CierraRecordset(rs);
    w.ModeloArbol->Limpiar();
    auto modelo = std::make_unique<ModeloArbolLayout>();
    const size_t antes = MemoriaEnUso();
    modelo->Comenzar(filas[0].size(), QStringLiteral("Definición de LayOut"));
    for (qsizetype i = 0; i < filas[0].size(); ++i) modelo->AgregarFila(filas[0][i].toString(), filas[1][i].toString(), 1);
    modelo->Terminar();
    const size_t despues = MemoriaEnUso();
    const double porPosicion = static_cast<double>(despues - antes) / static_cast<double>(filas[0].size());
    std::printf("\nMemoria del modelo: %.1f bytes por posicion (%lld posiciones; objetivo < 300)\n", porPosicion,
                static_cast<long long>(filas[0].size()));
}

}  // namespace

BENCHMARK(BM_ArbolCompleto)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_SqliteCrudo)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_ActualizaTreeV)->Arg(kChico)->Arg(kGrande)->Unit(benchmark::kMicrosecond)->Iterations(200);
BENCHMARK(BM_AgregarNodoModelo)->Arg(kChico)->Arg(kGrande)->Unit(benchmark::kMicrosecond)->Iterations(200);

// Keeps the run's times so the ratios can be printed at the end.
class Informe : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            tiempos[r.benchmark_name()] = r.GetAdjustedRealTime() * (r.time_unit == benchmark::kMillisecond ? 1e3 : 1.0);
    }
    std::map<std::string, double> tiempos;  // microseconds
};

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!Preparar()) return 1;
    Informe informe;
    benchmark::RunSpecifiedBenchmarks(&informe);
    const auto& t = informe.tiempos;
    auto valor = [&](const char* n) {
        const auto it = t.find(n);
        return it == t.end() ? 0.0 : it->second;
    };
    const double arbol = valor("BM_ArbolCompleto/iterations:10"), crudo = valor("BM_SqliteCrudo/iterations:10");
    const double chico = valor("BM_ActualizaTreeV/1000/iterations:200"),
                 grande = valor("BM_ActualizaTreeV/100000/iterations:200");
    if (crudo > 0)
        std::printf("\nArbol de %d posiciones: %.1f ms; lectura SQLite: %.1f ms; razon %.2f (objetivo <= 3)\n", kGrande,
                    arbol / 1e3, crudo / 1e3, arbol / crudo);
    if (primeraLectura > 0)
        std::printf("  la primera vez en el proceso: %.1f ms contra %.1f ms; razon %.2f\n", primeraConstruccion / 1e3,
                    primeraLectura / 1e3, primeraConstruccion / primeraLectura);
    if (chico > 0)
        std::printf("ActualizaTreeV: %.1f us con 1.000, %.1f us con 100.000; razon %.2f (objetivo ~1)\n", chico, grande,
                    grande / chico);
    const double mChico = valor("BM_AgregarNodoModelo/1000/iterations:200"),
                 mGrande = valor("BM_AgregarNodoModelo/100000/iterations:200");
    if (mChico > 0)
        std::printf("  de ello, el modelo solo: %.2f us con 1.000, %.2f us con 100.000; razon %.2f\n", mChico, mGrande,
                    mGrande / mChico);
    MedirMemoria();
    entorno().ventana.reset();
    benchmark::Shutdown();
    return 0;
}
