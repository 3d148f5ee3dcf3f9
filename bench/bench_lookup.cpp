// The list lookup window on 10,000 rows against reading the same rows with the bare SQLite API.
//
// (a) Carga: a fresh list window runs its statement, builds its columns and fills its model, as a
//     lookup does before the operator sees it (closing the window afterwards is not timed); (b) LecturaSqlite: the same statement
//     stepped with sqlite3_step, every column read as text; (c) Tecla: one typed-search keystroke whose text only the last row
//     matches, so the search walks every row. Targets: (a) at most 4 times (b); (c) well under (b). The last lines print the
//     ratios measured in this run.
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

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr int kFilas = 10000;
QString archivo;
const char* const kSentencia =
    "SELECT IdPosicion, Descripcion, Capacidad, IdArticulo, IdFamilia FROM MA_POSICIONES WHERE IdDeposito = '   9' ORDER BY "
    "IdPosicion";

bool PrepararBase(QTemporaryDir& tmp) {
    archivo = banco::CrearBase(tmp.path(), {{QStringLiteral("9"), kFilas}});
    if (archivo.isEmpty()) return false;
    EstablecerPlataforma(std::make_unique<banco::PlataformaMuda>(tmp.path()));
    return banco::Conectar(QStringLiteral("BENCH"));
}

void LecturaSqlite(benchmark::State& state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(archivo).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    long filas = 0;
    for (auto _ : state) {
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
    }
    sqlite3_close(db);
    state.counters["filas"] = static_cast<double>(filas);
}

void Carga(benchmark::State& state) {
    long filas = 0;
    for (auto _ : state) {
        auto w = std::make_unique<Lib_FrmCons3>();
        w->Sql = QString::fromLatin1(kSentencia);
        w->Cargar();
        filas = w->modelo()->FilaCount();
        benchmark::DoNotOptimize(filas);
        // Closing the window is not part of loading it.
        state.PauseTiming();
        w.reset();
        state.ResumeTiming();
    }
    state.counters["filas"] = static_cast<double>(filas);
    if (filas != kFilas) state.SkipWithError("the list did not hold every row");
}

void Tecla(benchmark::State& state) {
    Lib_FrmCons3 w;
    w.Sql = QString::fromLatin1(kSentencia);
    w.Cargar();
    const int ultima = w.modelo()->FilaCount() - 1;
    const QString codigo = w.modelo()->Texto(ultima, 0);
    // Two texts that only the last row matches, so every keystroke changes the text and walks all rows.
    const QString textos[2] = {codigo, codigo + QLatin1Char(' ')};
    int k = 0;
    for (auto _ : state) {
        w.CmbSearch(0)->setEditText(textos[k ^= 1]);
        benchmark::DoNotOptimize(w.ListView1);
    }
    if (w.Busqueda(0, codigo) != ultima + 1) state.SkipWithError("the search did not land on the last row");
}

BENCHMARK(LecturaSqlite)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(Carga)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(Tecla)->Unit(benchmark::kMillisecond)->MinTime(1.0);

class Registro : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && r.iterations > 0) tiempos[r.run_name.function_name] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> tiempos;
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    if (!tmp.isValid() || !PrepararBase(tmp)) return 1;
    benchmark::Initialize(&argc, argv);
    Registro registro;
    benchmark::RunSpecifiedBenchmarks(&registro);
    const auto base = registro.tiempos.find("LecturaSqlite");
    if (base != registro.tiempos.end() && base->second > 0) {
        if (const auto a = registro.tiempos.find("Carga"); a != registro.tiempos.end())
            std::printf("ratio Carga / LecturaSqlite = %.2f (target <= 4)\n", a->second / base->second);
        if (const auto c = registro.tiempos.find("Tecla"); c != registro.tiempos.end())
            std::printf("ratio Tecla / LecturaSqlite = %.3f (target well under 1)\n", c->second / base->second);
    }
    benchmark::Shutdown();
    return 0;
}
