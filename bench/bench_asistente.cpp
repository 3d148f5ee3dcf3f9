// The layout wizard on a warehouse of N positions (100,000 unless --posiciones=N or MP_POSICIONES
// says otherwise):
//  - creating them by ranges, against the bare SQLite API inserting the same rows with one prepared
//    statement in one transaction (target: at most 2 times);
//  - importing a workbook of N rows (the editor's own export), against reading the same cells with
//    bare libzip and QXmlStreamReader plus the same bare inserts (target: at most 3 times);
//  - the preview of the ranges' positions in the wizard's window (expanded, checked, shown and
//    painted), against the editor's tree build of the same rows, read from a warehouse that holds
//    them (target: at most 2 times); beside it the part of it that shows the checked job: the
//    editor's tree model built from the plan and painted.
// Every side is timed warm over several runs in one process; the first run of each is reported
// beside it. The program's progress banner is installed, as in the program.
//
//   QT_QPA_PLATFORM=offscreen ./bench_asistente [--posiciones=N]
#include "Banco.h"
#include "asistente/EscritorAsistente.h"
#include "asistente/FrmAsistente.h"
#include "asistente/LectorPlanilla.h"
#include "asistente/PlanAsistente.h"
#include "asistente/Rangos.h"
#include "core/Dll_Display.h"
#include "core/LectorBase.h"
#include "db/driver/ExtensionesSqlite.h"
#include "layout/FrmMa_Posic.h"
#include "layout/QDL_RTLocator.h"
#include "services/ExportaPlanilla.h"
#include "services/LectorFilas.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <zip.h>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeView>
#include <QXmlStreamReader>

#include <cstdio>
#include <map>
#include <memory>

using namespace asistente;

namespace {

int gPosiciones = 0;

int Posiciones() {
    if (gPosiciones > 0) return gPosiciones;
    const int n = qEnvironmentVariableIntValue("MP_POSICIONES");
    return n > 0 ? n : 100000;
}

// The warehouse the jobs write into (emptied after each run), the one exported and imported, and
// the one that holds the rows of the ranges for the editor's tree.
const char* const kDestino = "   8";
const char* const kEditor = "   9";
const char* const kArbol = "  10";

struct Entorno {
    QTemporaryDir carpeta;
    QString archivo;
    QString libro;
    QVector<RangoNivel> rangos;
    std::unique_ptr<FrmAsistente> asistente;
    std::unique_ptr<FrmMa_Posic> editor;
    // The rows of the ranges job, as the bare side binds them.
    std::vector<std::array<QByteArray, kColumnas>> filas;
    std::map<std::string, double> primera;  // first run of each side, microseconds
};

Entorno& entorno() {
    static Entorno e;
    return e;
}

// Ranges for at least n positions (up to 2,000 more) on the demo's levels (2, 2, 2): 40 aisles of
// 50 positions.
QVector<RangoNivel> RangosPara(int n) {
    const int niveles = std::clamp((n - 40 - 2000 + 1999) / 2000, 1, 99);
    return {{QStringLiteral("01"), QStringLiteral("40"), 1, false, true, PlantillaPorDefecto(1, 3)},
            {QStringLiteral("01"), QStringLiteral("50"), 1, false, true, PlantillaPorDefecto(2, 3)},
            {QStringLiteral("01"), QString::number(niveles).rightJustified(2, QLatin1Char('0')), 1, false, false,
             PlantillaPorDefecto(3, 3)}};
}

ValoresImputables Valores() {
    ValoresImputables v;
    v.unidad = QStringLiteral("UN");
    v.capacidad = QStringLiteral("120");
    return v;
}

void Sql(const QString& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(entorno().archivo.toUtf8().constData(), &db);
    driver::sqlite::RegistrarExtensiones(db);
    sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

void Vaciar(const char* deposito) {
    Sql(QStringLiteral("DELETE FROM MA_POSICIONES WHERE IdDeposito = '%1'").arg(QLatin1String(deposito)));
}

void InsertarCrudo(const std::vector<std::array<QByteArray, kColumnas>>& filas);

bool Preparar() {
    auto& e = entorno();
    const int n = Posiciones();
    e.archivo = banco::CrearBase(e.carpeta.path(), {{QString::fromLatin1(kEditor).trimmed(), n}}, true);
    if (e.archivo.isEmpty()) return false;
    for (const char* d : {kDestino, kArbol})
        Sql(QStringLiteral("INSERT INTO TA_DEPOSITO (IdDeposito, Descripcion, Unidad) VALUES ('%1', 'Deposito nuevo', '   1')")
                .arg(QLatin1String(d)));
    if (!banco::Conectar(e.archivo)) return false;
    InstalarLectorFilas();
    InstalarProgresoExportacion();
    ActualizarNivelesLayout();
    e.rangos = RangosPara(n);
    // The editor's own export of the generated warehouse, imported into the other one.
    e.libro = e.carpeta.filePath(QStringLiteral("LayOut.xlsx"));
    QString error;
    if (ExportaPlanilla::instancia().ExportarA(QStringLiteral("MA_POSICIONES"), QStringLiteral("LayOut"), e.libro, &error) !=
        ExportaPlanilla::Resultado::Escrito) {
        std::fprintf(stderr, "export: %s\n", qPrintable(error));
        return false;
    }
    // The rows of the ranges job, for the bare side.
    const ResultadoRangos r = ExpandirRangos(gNiveles(), e.rangos, Valores(), kMaximoPosiciones, 50);
    PlanAsistente plan;
    plan.Preparar(QString::fromLatin1(kDestino), &error);
    plan.Armar(r.filas, false);
    for (const Entrada& x : plan.Entradas()) {
        std::array<QByteArray, kColumnas> f;
        for (int c = 0; c < kColumnas; ++c) f[c] = x.Valor(c) == QLatin1String("Null") ? QByteArray() : x.Valor(c).toUtf8();
        e.filas.push_back(std::move(f));
    }
    // The same rows in the editor's warehouse of the preview's comparison.
    auto arbol = e.filas;
    for (auto& f : arbol) f[IdDeposito] = QByteArray(kArbol);
    InsertarCrudo(arbol);
    e.asistente = std::make_unique<FrmAsistente>(false);
    e.asistente->show();
    e.editor = std::make_unique<FrmMa_Posic>(false);
    e.editor->show();
    QApplication::processEvents();
    return true;
}

// Times the first run apart, then the warm ones.
template <class F>
void Medir(benchmark::State& state, const char* nombre, F&& una, const char* vaciar) {
    auto& e = entorno();
    if (!e.primera.count(nombre)) {
        QElapsedTimer reloj;
        reloj.start();
        una();
        e.primera[nombre] = static_cast<double>(reloj.nsecsElapsed()) / 1e3;
        if (vaciar) Vaciar(vaciar);
    }
    for (auto _ : state) {
        una();
        if (vaciar) {
            state.PauseTiming();
            Vaciar(vaciar);
            state.ResumeTiming();
        }
    }
}

// Times a window's work as the operator sees it: its tree repainted and the events handled.
template <class Ventana, class F>
void MedirPintado(benchmark::State& state, const char* nombre, Ventana& w, F&& accion) {
    Medir(
        state, nombre,
        [&] {
            accion();
            w.TreeView1->viewport()->repaint();
            QApplication::processEvents();
        },
        nullptr);
    state.counters["posiciones"] = w.ModeloArbol->CantidadNodos() - 1;
}

// ---- the bare SQLite side: the same rows, one prepared statement, one transaction
void InsertarCrudo(const std::vector<std::array<QByteArray, kColumnas>>& filas) {
    sqlite3* db = nullptr;
    sqlite3_open(entorno().archivo.toUtf8().constData(), &db);
    // The program's collation, so that the key index is ordered as the program reads it.
    driver::sqlite::RegistrarExtensiones(db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO MA_POSICIONES (IdPosicion, Descripcion, Capacidad, IdUnidad, IdRubro, IdTipo, IdArticulo, "
                       "IdFamilia, OrdenIngreso, Habilitado, Reservado, Completa, Picking, Titulo, IdDeposito) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                       -1, &st, nullptr);
    for (const auto& f : filas) {
        for (int c = 0; c < kColumnas; ++c) {
            if (f[c].isNull())
                sqlite3_bind_null(st, c + 1);
            else
                sqlite3_bind_text(st, c + 1, f[c].constData(), static_cast<int>(f[c].size()), SQLITE_STATIC);
        }
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// ---- ranges
void BM_Rangos(benchmark::State& state) {
    qint64 escritas = 0;
    Medir(
        state, "rangos",
        [&] {
            // As the window does it: each position checked as it is made, then the job written.
            ActualizarNivelesLayout();
            PlanAsistente plan;
            QString error;
            plan.Preparar(QString::fromLatin1(kDestino), &error);
            RecorrerRangos(
                gNiveles(), entorno().rangos, Valores(), kMaximoPosiciones, 50,
                [&](qint64 total) { plan.Comenzar(false, total); },
                [&](FilaPosicion& f) {
                    plan.Agregar(f);
                    return true;
                });
            plan.Terminar();
            escritas = EscribirPlan(plan, ProgresoEnCartel()).insertadas;
        },
        kDestino);
    state.counters["posiciones"] = static_cast<double>(escritas);
}

void BM_RangosCrudo(benchmark::State& state) {
    Medir(
        state, "rangos crudo", [] { InsertarCrudo(entorno().filas); }, kDestino);
    state.counters["posiciones"] = static_cast<double>(entorno().filas.size());
}

// ---- workbook import
void BM_Planilla(benchmark::State& state) {
    qint64 escritas = 0;
    Medir(
        state, "planilla",
        [&] {
            ActualizarNivelesLayout();
            const TablaLeida t = LeerPlanilla(entorno().libro, kMaximoPosiciones);
            PlanAsistente plan;
            QString error;
            plan.Preparar(QString::fromLatin1(kEditor), &error);
            // The warehouse's positions are gone: every row of the workbook is new.
            plan.Armar(t.filas, false);
            escritas = EscribirPlan(plan, ProgresoEnCartel()).insertadas;
        },
        kEditor);
    state.counters["posiciones"] = static_cast<double>(escritas);
}

// The same cells with nothing but libzip and QXmlStreamReader, then the bare inserts.
void BM_PlanillaCruda(benchmark::State& state) {
    // From here on the editor's warehouse is where both sides import its own export.
    Vaciar(kEditor);
    size_t filas = 0;
    Medir(
        state, "planilla cruda",
        [&] {
            int err = 0;
            zip_t* z = zip_open(QFile::encodeName(entorno().libro).constData(), ZIP_RDONLY, &err);
            auto leer = [&](const char* miembro) {
                QByteArray b;
                zip_stat_t st;
                zip_stat(z, miembro, 0, &st);
                b.resize(static_cast<qsizetype>(st.size));
                zip_file_t* f = zip_fopen(z, miembro, 0);
                zip_fread(f, b.data(), st.size);
                zip_fclose(f);
                return b;
            };
            QStringList compartidos;
            if (zip_name_locate(z, "xl/sharedStrings.xml", 0) >= 0) {
                QXmlStreamReader x(leer("xl/sharedStrings.xml"));
                while (!x.atEnd())
                    if (x.readNext() == QXmlStreamReader::StartElement && x.name() == QLatin1String("t"))
                        compartidos << x.readElementText();
            }
            QXmlStreamReader x(leer("xl/worksheets/sheet1.xml"));
            std::vector<std::array<QByteArray, kColumnas>> datos;
            std::array<QByteArray, kColumnas> fila;
            int columna = 0;
            QString tipo;
            while (!x.atEnd()) {
                const auto t = x.readNext();
                if (t == QXmlStreamReader::StartElement) {
                    if (x.name() == QLatin1String("row")) {
                        fila = {};
                        columna = 0;
                    } else if (x.name() == QLatin1String("c")) {
                        const QStringView r = x.attributes().value(QLatin1String("r"));
                        columna = r.isEmpty() ? columna : r[0].unicode() - u'A';
                        tipo = x.attributes().value(QLatin1String("t")).toString();
                    } else if ((x.name() == QLatin1String("v") || x.name() == QLatin1String("t")) && columna < kColumnas) {
                        const QString v = x.readElementText();
                        fila[columna] = (tipo == QLatin1String("s") ? compartidos.value(v.toInt()) : v).toUtf8();
                    }
                } else if (t == QXmlStreamReader::EndElement && x.name() == QLatin1String("row")) {
                    datos.push_back(fila);
                }
            }
            zip_discard(z);
            if (!datos.empty()) datos.erase(datos.begin());  // the header
            filas = datos.size();
            InsertarCrudo(datos);
        },
        kEditor);
    state.counters["posiciones"] = static_cast<double>(filas);
}

// ---- preview against the editor's tree
void BM_VistaPrevia(benchmark::State& state) {
    auto& w = *entorno().asistente;
    w.Paginas->setCurrentIndex(0);
    for (int k = 0; k < 3; ++k) {
        w.Niveles[k].desde->setText(entorno().rangos[k].desde);
        w.Niveles[k].hasta->setText(entorno().rangos[k].hasta);
    }
    w.TxtUnidad->setText(QStringLiteral("UN"));
    w.CmbDeposito->setCurrentIndex(w.CmbDeposito->findText(QString::fromLatin1(kDestino), Qt::MatchEndsWith));
    MedirPintado(state, "vista previa", w, [&] { w.VistaPrevia(); });
}

// The job the preview above worked out, shown again: the tree of its result built from the plan
// and painted, the refused rows and the summary.
void BM_VistaPreviaMostrada(benchmark::State& state) {
    auto& w = *entorno().asistente;
    if (!w.Plan()) w.VistaPrevia();
    MedirPintado(state, "vista previa mostrada", w, [&] { w.MostrarPlan(); });
}

void BM_ArbolEditor(benchmark::State& state) {
    auto& w = *entorno().editor;
    {
        const QSignalBlocker b(w.CmbDeposito);
        w.CmbDeposito->setCurrentIndex(w.CmbDeposito->findText(QString::fromLatin1(kArbol), Qt::MatchEndsWith));
    }
    MedirPintado(state, "arbol del editor", w, [&] { w.ArmarTreeVAutomatico(); });
}

// Keeps the run's wall and CPU times for the ratios printed at the end.
class Informe : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            const std::string n = r.benchmark_name().substr(0, r.benchmark_name().find('/'));
            const double f = r.time_unit == benchmark::kMillisecond ? 1e3 : 1.0;
            real[n] = r.GetAdjustedRealTime() * f;
            cpu[n] = r.GetAdjustedCPUTime() * f;
        }
    }
    std::map<std::string, double> real, cpu;  // microseconds
};

}  // namespace

// The preview and the editor's tree come first: the import below empties the editor's warehouse.
BENCHMARK(BM_VistaPrevia)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_VistaPreviaMostrada)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ArbolEditor)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Rangos)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_RangosCrudo)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PlanillaCruda)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Planilla)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
    gPosiciones = banco::Arranque(argc, argv, 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!Preparar()) return 1;
    Informe informe;
    benchmark::RunSpecifiedBenchmarks(&informe);
    auto& e = entorno();
    auto razon = [&](const char* titulo, const char* a, const char* b, const char* pa, const char* pb, double objetivo) {
        const double ra = informe.real[a], rb = informe.real[b], ca = informe.cpu[a], cb = informe.cpu[b];
        if (rb <= 0 || cb <= 0) return;
        std::printf("\n%s: %.1f ms contra %.1f ms, razon %.2f (CPU %.1f contra %.1f ms, razon %.2f); objetivo <= %.0f\n", titulo,
                    ra / 1e3, rb / 1e3, ra / rb, ca / 1e3, cb / 1e3, ca / cb, objetivo);
        if (e.primera.count(pa) && e.primera.count(pb))
            std::printf("  la primera vez en el proceso: %.1f ms contra %.1f ms, razon %.2f\n", e.primera[pa] / 1e3,
                        e.primera[pb] / 1e3, e.primera[pa] / e.primera[pb]);
    };
    std::printf("\n%d posiciones (--posiciones); %zu de los rangos\n", Posiciones(), e.filas.size());
    razon("Rangos", "BM_Rangos", "BM_RangosCrudo", "rangos", "rangos crudo", 2);
    razon("Planilla", "BM_Planilla", "BM_PlanillaCruda", "planilla", "planilla cruda", 3);
    razon("Vista previa (rangos expandidos, revisados, mostrados y pintados)", "BM_VistaPrevia", "BM_ArbolEditor", "vista previa",
          "arbol del editor", 2);
    razon("  de ella, el plan revisado mostrado (el arbol del editor armado del plan y pintado)", "BM_VistaPreviaMostrada",
          "BM_ArbolEditor", "vista previa mostrada", "arbol del editor", 2);
    e.asistente.reset();
    e.editor.reset();
    benchmark::Shutdown();
    return 0;
}
