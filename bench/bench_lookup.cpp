// The list lookup window on N rows (10,000 unless --posiciones=N) against reading the same rows
// with the bare SQLite API.
//
// (a) Carga: a fresh list window shown as a lookup shows it: it runs its statement, builds its
//     columns, fills its model, lays itself out and paints (closing it afterwards is not timed);
// (b) LecturaSqlite: the same statement stepped with sqlite3_step, every column read as text;
// (c) Tecla: one typed-search keystroke whose text only the last row matches, so the search walks
//     every row, with the list repainted. Targets: (a) at most 4 times (b); (c) well under (b). The
//     last lines print the ratios of this run, wall and CPU time, and the first window of the
//     process beside the warm ones.
//
//   QT_QPA_PLATFORM=offscreen ./bench_lookup [--posiciones=N]
#include "Banco.h"
#include "lookup/Lib_FrmCons3.h"
#include "services/Plataforma.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeView>

#include <cstdio>
#include <memory>
#include <string>

namespace {

int filasEsperadas = 10000;
QString archivo;
const char* const kSentencia =
    "SELECT IdPosicion, Descripcion, Capacidad, IdArticulo, IdFamilia FROM MA_POSICIONES WHERE IdDeposito = '   9' ORDER BY "
    "IdPosicion";

bool PrepararBase(QTemporaryDir& tmp) {
    archivo = banco::CrearBase(tmp.path(), {{QStringLiteral("9"), filasEsperadas}});
    if (archivo.isEmpty()) return false;
    EstablecerPlataforma(std::make_unique<banco::PlataformaMuda>(tmp.path()));
    return banco::Conectar(QStringLiteral("BENCH"));
}

// The first window of the process and the first bare read, each timed once before the warm runs.
banco::Medida primeraVentana, primeraLectura;

void LecturaSqlite(benchmark::State& state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(archivo).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    long filas = 0;
    auto leer = [&] {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, kSentencia, -1, &st, nullptr);
        const int campos = sqlite3_column_count(st);
        filas = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int i = 0; i < campos; ++i) {
                benchmark::DoNotOptimize(sqlite3_column_text(st, i));
                benchmark::DoNotOptimize(sqlite3_column_bytes(st, i));
            }
            ++filas;
        }
        sqlite3_finalize(st);
    };
    const banco::Medida primera = banco::Medir(leer);
    if (primeraLectura.real == 0) primeraLectura = primera;
    for (auto _ : state) leer();
    sqlite3_close(db);
    state.counters["filas"] = static_cast<double>(filas);
}

// One window as the operator gets it: shown, laid out and painted with its rows.
long MostrarVentana(std::unique_ptr<Lib_FrmCons3>& w) {
    w = std::make_unique<Lib_FrmCons3>();
    w->Sql = QString::fromLatin1(kSentencia);
    w->show();
    w->repaint();
    QApplication::processEvents();
    return w->modelo()->FilaCount();
}

void Carga(benchmark::State& state) {
    long filas = 0;
    std::unique_ptr<Lib_FrmCons3> w;
    if (primeraVentana.real == 0) {
        // A lookup opens over the editor's window, which has already paid Qt's first-time costs
        // (fonts, style, the platform's buffers): a window with a list is shown first, as it is.
        QWidget editor;
        auto* lista = new QTreeView(&editor);
        lista->resize(400, 300);
        editor.show();
        editor.repaint();
        QApplication::processEvents();
        primeraVentana = banco::Medir([&] { filas = MostrarVentana(w); });
        w.reset();
    }
    for (auto _ : state) {
        filas = MostrarVentana(w);
        benchmark::DoNotOptimize(filas);
        // Closing the window is not part of showing it.
        state.PauseTiming();
        w.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["filas"] = static_cast<double>(filas);
    if (filas != filasEsperadas) state.SkipWithError("the list did not hold every row");
}

void Tecla(benchmark::State& state) {
    Lib_FrmCons3 w;
    w.Sql = QString::fromLatin1(kSentencia);
    w.show();
    QApplication::processEvents();
    const int ultima = w.modelo()->FilaCount() - 1;
    const QString codigo = w.modelo()->Texto(ultima, 0);
    // Two texts that only the last row matches, so every keystroke changes the text and walks all rows.
    const QString textos[2] = {codigo, codigo + QLatin1Char(' ')};
    int k = 0;
    for (auto _ : state) {
        w.CmbSearch(0)->setEditText(textos[k ^= 1]);
        w.ListView1->viewport()->repaint();
    }
    if (w.Busqueda(0, codigo) != ultima + 1) state.SkipWithError("the search did not land on the last row");
}

}  // namespace

int main(int argc, char** argv) {
    filasEsperadas = banco::Arranque(argc, argv, filasEsperadas);
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    if (!tmp.isValid() || !PrepararBase(tmp)) return 1;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RegisterBenchmark("LecturaSqlite", LecturaSqlite)->Unit(benchmark::kMillisecond)->MinTime(1.0);
    benchmark::RegisterBenchmark("Carga", Carga)->Unit(benchmark::kMillisecond)->MinTime(1.0);
    benchmark::RegisterBenchmark("Tecla", Tecla)->Unit(benchmark::kMillisecond)->MinTime(1.0);
    banco::Informe informe;
    benchmark::RunSpecifiedBenchmarks(&informe);
    std::printf("\n");
    informe.Razon(
        qPrintable(
            QStringLiteral("Ventana de consulta de %1 filas mostrada y pintada contra la lectura SQLite").arg(filasEsperadas)),
        "Carga", "LecturaSqlite", "objetivo <= 4");
    banco::Informe::Imprimir("  la primera ventana del proceso", primeraVentana, primeraLectura, "sin objetivo");
    informe.Razon("Una tecla de busqueda que recorre todas las filas, con la lista repintada, contra la lectura", "Tecla",
                  "LecturaSqlite", "objetivo muy por debajo de 1");
    benchmark::Shutdown();
    return 0;
}
