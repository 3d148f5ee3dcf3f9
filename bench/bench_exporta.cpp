// The spreadsheet export of N positions (100,000 unless --posiciones=N) against the same cells
// written with bare libxlsxwriter calls, in the same run (target: at most 1.3 times), and the peak
// memory of each, measured in a child process of its own so one does not hide the other.
//
//   QT_QPA_PLATFORM=offscreen ./bench_exporta [--posiciones=N] [--benchmark_...]
//
// Both sides read the rows from the same SQLite file: the export through the program's shared
// database object, the row reader and the progress banner it installs at start-up (the banner is
// shown and updated as the operator sees it), the bare side with sqlite3_step straight into the
// worksheet.

#include "Banco.h"
#include "core/Dll_Display.h"
#include "core/LectorBase.h"
#include "services/ExportaPlanilla.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int posiciones = 100000;
long avisosEnPantalla = 0;

struct Datos {
    QTemporaryDir dir;
    QString base;
    QString error;
};

// One demo database whose MA_POSICIONES holds exactly the generated layout.
Datos& datos() {
    static Datos* d = [] {
        auto* d = new Datos;
        d->base = banco::CrearBase(d->dir.path(), {{QStringLiteral("9"), posiciones}}, true);
        if (d->base.isEmpty()) d->error = QStringLiteral("see above");
        return d;
    }();
    return *d;
}

// ADO type numbers from the declared column types, as the embedded back end reports them.
int TipoAdo(const char* declarado) {
    const QByteArray t = QByteArray(declarado ? declarado : "").toLower();
    if (t.startsWith("varchar") || t.startsWith("nvarchar") || t.startsWith("char")) return 200;
    if (t.startsWith("int")) return 3;
    if (t.startsWith("bit")) return 11;
    if (t.startsWith("money")) return 6;
    if (t.startsWith("decimal") || t.startsWith("numeric")) return 131;
    if (t.startsWith("datetime")) return 135;
    return 200;
}

// The program's own way to the rows: the shared database object on the embedded back end, with
// the row reader and the export's progress banner the program's start-up installs.
bool Conectado() {
    if (gBaseDatos().gOpenFlag) return true;
    if (!banco::Conectar(datos().base)) return false;
    InstalarLectorFilas();
    InstalarProgresoExportacion();
    // The program's hooks, counting the updates that found the banner on screen: a run without
    // them would measure less than the operator waits for.
    const ExportaPlanilla::Progreso programa = ExportaPlanilla::instancia().EstablecerProgreso({});
    ExportaPlanilla::Progreso contado = programa;
    contado.avance = [programa](qint64 hechas, qint64 total) {
        const bool seguir = programa.avance(hechas, total);
        if (const auto* v = gDisplay().Ventana(); v && v->isVisible()) ++avisosEnPantalla;
        return seguir;
    };
    ExportaPlanilla::instancia().EstablecerProgreso(std::move(contado));
    return true;
}

bool Exportar(const QString& destino) {
    if (!Conectado()) return false;
    QString error;
    return ExportaPlanilla::instancia().ExportarA(QStringLiteral("MA_POSICIONES"), QStringLiteral("LayOut"), destino, &error) ==
           ExportaPlanilla::Resultado::Escrito;
}

// The same cells with nothing around them: bold header, numbers for numeric columns, texts,
// NULL skipped; constant-memory mode.
bool Directo(const QString& destino) {
    sqlite3* db = nullptr;
    sqlite3_stmt* st = nullptr;
    sqlite3_open_v2(datos().base.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (sqlite3_prepare_v2(db, "SELECT * FROM MA_POSICIONES", -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    lxw_workbook_options o{};
    o.constant_memory = LXW_TRUE;
    const QByteArray archivo = QFile::encodeName(destino);
    lxw_workbook* wb = workbook_new_opt(archivo.constData(), &o);
    lxw_worksheet* ws = workbook_add_worksheet(wb, "LayOut");
    lxw_format* negrita = workbook_add_format(wb);
    format_set_bold(negrita);
    const int n = sqlite3_column_count(st);
    std::vector<bool> numerica(n);
    for (int c = 0; c < n; ++c) {
        worksheet_write_string(ws, 0, c, sqlite3_column_name(st, c), negrita);
        const int t = TipoAdo(sqlite3_column_decltype(st, c));
        numerica[c] = t != 200 && t != 135;
    }
    lxw_row_t fila = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        ++fila;
        for (int c = 0; c < n; ++c) {
            if (sqlite3_column_type(st, c) == SQLITE_NULL) continue;
            if (numerica[c])
                worksheet_write_number(ws, fila, c, sqlite3_column_double(st, c), nullptr);
            else
                worksheet_write_string(ws, fila, c, reinterpret_cast<const char*>(sqlite3_column_text(st, c)), nullptr);
        }
    }
    worksheet_freeze_panes(ws, 1, 0);
    worksheet_autofilter(ws, 0, 0, fila, n - 1);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return workbook_close(wb) == LXW_NO_ERROR;
}

void BM_Exportar(benchmark::State& state) {
    if (datos().base.isEmpty()) return state.SkipWithError(qPrintable(datos().error));
    const QString destino = QDir(datos().dir.path()).filePath(QStringLiteral("exportar.xlsx"));
    for (auto _ : state)
        if (!Exportar(destino)) return state.SkipWithError("export failed");
    state.SetItemsProcessed(state.iterations() * posiciones);
}

void BM_LibxlsxwriterDirecto(benchmark::State& state) {
    if (datos().base.isEmpty()) return state.SkipWithError(qPrintable(datos().error));
    const QString destino = QDir(datos().dir.path()).filePath(QStringLiteral("directo.xlsx"));
    for (auto _ : state)
        if (!Directo(destino)) return state.SkipWithError("bare write failed");
    state.SetItemsProcessed(state.iterations() * posiciones);
}

// Peak resident memory (MB) of one run in a child process of its own; -1 when it failed.
double PicoMemoria(bool (*correr)(const QString&), const QString& destino) {
    int tubo[2];
    if (pipe(tubo) != 0) return -1;
    const pid_t hijo = fork();
    if (hijo == 0) {
        close(tubo[0]);
        double mb = -1;
        if (correr(destino)) {
            rusage u{};
            getrusage(RUSAGE_SELF, &u);
            mb = u.ru_maxrss / 1024.0;
        }
        if (write(tubo[1], &mb, sizeof mb) != sizeof mb) _exit(1);
        _exit(0);
    }
    close(tubo[1]);
    double mb = -1;
    if (hijo < 0 || read(tubo[0], &mb, sizeof mb) != sizeof mb) mb = -1;
    close(tubo[0]);
    if (hijo > 0) waitpid(hijo, nullptr, 0);
    return mb;
}

}  // namespace

int main(int argc, char** argv) {
    posiciones = banco::Arranque(argc, argv, posiciones);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (datos().base.isEmpty()) {
        std::fprintf(stderr, "demo database: %s\n", qPrintable(datos().error));
        return 1;
    }
    // Peak memory first, each side in a child process of its own that opens its own connection
    // (a database connection must not cross a fork).
    const double mExp = PicoMemoria(Exportar, QDir(datos().dir.path()).filePath(QStringLiteral("m1.xlsx")));
    const double mDir = PicoMemoria(Directo, QDir(datos().dir.path()).filePath(QStringLiteral("m2.xlsx")));

    benchmark::RegisterBenchmark("BM_LibxlsxwriterDirecto", BM_LibxlsxwriterDirecto)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("BM_Exportar", BM_Exportar)->Unit(benchmark::kMillisecond)->Iterations(3);
    banco::Informe informe;
    benchmark::RunSpecifiedBenchmarks(&informe);
    std::printf("\n");
    informe.Razon(
        qPrintable(QStringLiteral("Exportar %1 posiciones con el cartel de avance contra libxlsxwriter solo").arg(posiciones)),
        "BM_Exportar", "BM_LibxlsxwriterDirecto", "objetivo <= 1.3");
    std::printf("Avisos del cartel en pantalla: %ld\n", avisosEnPantalla);
    // The export holds the table once, in the client-side record set; libxlsxwriter itself stays
    // flat in constant-memory mode.
    std::printf("Pico de memoria (ru_maxrss, cada uno en su proceso): Exportar %.1f MB, libxlsxwriter solo %.1f MB\n", mExp,
                mDir);
    benchmark::Shutdown();
    return 0;
}
