// Position labels on large warehouses: the preview's first sheet shown and painted, on a warehouse
// of 1,000 positions and on one of N (1,000,000 unless --posiciones=N), timed from the click's call
// to the painted sheet; the heap the preview holds at that moment and once it has walked to the last
// sheet, at both sizes; and a PDF of 10,000 labels (a warehouse of 11,800 positions) written by the
// program (behind no banner, as unattended printing does) against the same labels drawn with bare
// QPdfWriter and libzint, read back code by code with pdftoppm and zbarimg. Targets: first sheet at
// N at most 3 times at 1,000; memory at N at most 1.5 times at 1,000; the PDF at most 1.3 times the
// bare drawing.
//
//   QT_QPA_PLATFORM=offscreen ./bench_etiquetas [--posiciones=N]
#include "Banco.h"
#include "core/LectorBase.h"
#include "services/TvPrint2.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>
#include <zint.h>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

constexpr int kChico = 1000;
// Positions whose storable ones give a little over 10,000 labels.
constexpr int kPdf = 11800;
int grande = 1000000;
const QString kFormula = QStringLiteral("{MA_POSICIONES.TITULO}=FALSE and {MA_POSICIONES.iddeposito}=");

size_t Heap() {
    malloc_trim(0);
    return mallinfo2().uordblks;
}

// The desktop of the benchmark: a modal window is shown and painted, timed, measured and closed.
class PlataformaVista : public banco::PlataformaMuda {
public:
    using PlataformaMuda::PlataformaMuda;
    void MostrarModal(QWidget* w) override {
        w->show();
        w->repaint();
        if (auto* hojas = w->findChild<QAbstractScrollArea*>(QStringLiteral("HojasEtiquetas"))) hojas->viewport()->repaint();
        QApplication::processEvents();
        mostrada = banco::Segundos(CLOCK_MONOTONIC);
        heapAlMostrar = Heap();
        if (caminar) {
            // Until the preview has walked to the last sheet.
            auto* estado = w->findChild<QLabel*>(QStringLiteral("EstadoHojas"));
            while (estado && !estado->text().contains(QLatin1String("etiquetas"))) QApplication::processEvents();
            heapAlFinal = Heap();
            if (estado) estadoFinal = estado->text();
        }
        w->hide();
    }
    double mostrada = 0;
    size_t heapAlMostrar = 0, heapAlFinal = 0;
    bool caminar = false;
    QString estadoFinal;
};

struct Entorno {
    QTemporaryDir carpeta;
    QString archivo;
    PlataformaVista* plataforma = nullptr;
};

Entorno& entorno() {
    static Entorno e;
    return e;
}

bool Preparar() {
    auto& e = entorno();
    auto p = std::make_unique<PlataformaVista>(e.carpeta.path());
    e.plataforma = p.get();
    EstablecerPlataforma(std::move(p));
    e.archivo = banco::CrearBase(e.carpeta.path(),
                                 {{QStringLiteral("8"), kChico}, {QStringLiteral("7"), kPdf}, {QStringLiteral("9"), grande}});
    if (e.archivo.isEmpty() || !banco::Conectar(e.archivo)) return false;
    InstalarLectorFilas();
    return QFile::copy(QStringLiteral(MP_DATA_DIR "/ETIQUETA_POSIC01.rpt"),
                       e.carpeta.filePath(QStringLiteral("ETIQUETA_POSIC01.rpt")));
}

const char* Deposito(int64_t n) {
    return n == kChico ? "'   8'" : n == kPdf ? "'   7'" : "'   9'";
}

void Vista(int64_t n) {
    QString t1, t2, t3, t4;
    TvPrint2::instancia().ImprimirReporte(QStringLiteral("ETIQUETA_POSIC01.rpt"), {QString()},
                                          kFormula + QLatin1String(Deposito(n)), QString(), t1, t2, t3, t4, QVariant(), {}, {},
                                          {});
}

void BM_PrimeraHoja(benchmark::State& state) {
    auto& p = *entorno().plataforma;
    for (auto _ : state) {
        const double t0 = banco::Segundos(CLOCK_MONOTONIC);
        p.mostrada = 0;
        Vista(state.range(0));
        if (p.mostrada == 0) return state.SkipWithError("the preview was not shown");
        state.SetIterationTime(p.mostrada - t0);
    }
    if (p.cajas) state.SkipWithError("a message box was shown");
}

// The program's PDF of the labels of the warehouse of 10,000 positions.
void BM_PdfPrograma(benchmark::State& state) {
    const QString pdf = entorno().carpeta.filePath(QStringLiteral("programa.pdf"));
    for (auto _ : state) {
        const auto r = TvPrint2::instancia().ImprimirPdf(QStringLiteral("ETIQUETA_POSIC01.rpt"),
                                                         kFormula + QLatin1String(Deposito(kPdf)), pdf);
        if (!r.impreso) return state.SkipWithError("the PDF was not written");
        state.counters["etiquetas"] = r.etiquetas;
    }
}

// The same labels with nothing around them: rows stepped with sqlite3, three texts and a Code 128
// drawn from zint's vectors on A4 sheets of 3 x 8 labels of 70 x 37 mm.
void BM_PdfDirecto(benchmark::State& state) {
    const QString pdf = entorno().carpeta.filePath(QStringLiteral("directo.pdf"));
    for (auto _ : state) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(entorno().archivo.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(
            db,
            "SELECT IdPosicion, Descripcion, IdDeposito FROM MA_POSICIONES WHERE Titulo = 0 AND IdDeposito = '   7' "
            "ORDER BY IdPosicion",
            -1, &st, nullptr);
        QPdfWriter w(pdf);
        w.setResolution(600);
        w.setPageSize(QPageSize(QPageSize::A4));
        w.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter p(&w);
        const double k = w.resolution() / 25.4;
        QFont grande(QStringLiteral("DejaVu Sans"), 18, QFont::Bold), chica(QStringLiteral("DejaVu Sans"), 8),
            minima(QStringLiteral("DejaVu Sans"), 7);
        int n = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            if (n > 0 && n % 24 == 0) w.newPage();
            const int lugar = n++ % 24;
            const QPointF o((lugar % 3) * 70.0, (lugar / 3) * 37.0);
            const QString codigo = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))).trimmed();
            p.setFont(grande);
            p.drawText(QRectF((o.x() + 4) * k, (o.y() + 2.5) * k, 62 * k, 8 * k), Qt::AlignLeft | Qt::AlignVCenter, codigo);
            p.setFont(chica);
            p.drawText(QRectF((o.x() + 4) * k, (o.y() + 10.5) * k, 62 * k, 4.5 * k), Qt::AlignLeft | Qt::AlignVCenter,
                       QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1))));
            p.setFont(minima);
            p.drawText(QRectF((o.x() + 4) * k, (o.y() + 15) * k, 62 * k, 4 * k), Qt::AlignLeft | Qt::AlignVCenter,
                       QStringLiteral("Depósito ") +
                           QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 2))).trimmed());
            zint_symbol* s = ZBarcode_Create();
            s->symbology = BARCODE_CODE128;
            const QByteArray d = codigo.toUtf8();
            if (ZBarcode_Encode_and_Buffer_Vector(s, reinterpret_cast<const unsigned char*>(d.constData()),
                                                  static_cast<int>(d.size()), 0) < ZINT_ERROR) {
                const double m = std::min(0.5, 66.0 / (s->width + 20));
                const double x0 = o.x() + 2 + (66 - s->width * m) / 2;
                const double unidad = s->vector->width / s->width;
                for (auto* r = s->vector->rectangles; r; r = r->next)
                    if (r->colour != 8)
                        p.fillRect(QRectF((x0 + r->x / unidad * m) * k, (o.y() + 19.5) * k, r->width / unidad * m * k, 15 * k),
                                   Qt::black);
            }
            ZBarcode_Delete(s);
        }
        p.end();
        sqlite3_finalize(st);
        sqlite3_close(db);
        state.counters["etiquetas"] = n;
    }
}

// The codes of a PDF read back with pdftoppm and zbarimg, one per line.
QStringList CodigosLeidos(const QString& pdf) {
    QTemporaryDir imagenes;
    QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-gray"),
                                                   QStringLiteral("-png"), pdf, imagenes.filePath(QStringLiteral("h"))});
    QStringList archivos;
    for (const QString& f : QDir(imagenes.path()).entryList({QStringLiteral("*.png")}, QDir::Files))
        archivos << imagenes.filePath(f);
    QProcess z;
    z.start(QStringLiteral("zbarimg"), QStringList{QStringLiteral("-q"), QStringLiteral("--raw"), QStringLiteral("-Sdisable"),
                                                   QStringLiteral("-Scode128.enable")} +
                                           archivos);
    z.waitForFinished(-1);
    QStringList r = QString::fromUtf8(z.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    r.sort();
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    grande = banco::Arranque(argc, argv, grande);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (!Preparar()) return 1;
    benchmark::RegisterBenchmark("BM_PrimeraHoja", BM_PrimeraHoja)
        ->Arg(kChico)
        ->Arg(grande)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
    benchmark::RegisterBenchmark("BM_PdfDirecto", BM_PdfDirecto)->Unit(benchmark::kMillisecond)->Iterations(3);
    benchmark::RegisterBenchmark("BM_PdfPrograma", BM_PdfPrograma)->Unit(benchmark::kMillisecond)->Iterations(3);
    banco::Informe informe;
    benchmark::RunSpecifiedBenchmarks(&informe);

    std::printf("\n");
    const std::string g = std::to_string(grande), c = std::to_string(kChico);
    informe.Razon(qPrintable(QStringLiteral("Primera hoja de la vista previa, %1 posiciones contra %2").arg(grande).arg(kChico)),
                  "BM_PrimeraHoja/" + g, "BM_PrimeraHoja/" + c, "objetivo <= 3");
    informe.Razon(qPrintable(QStringLiteral("PDF de las etiquetas de %1 posiciones contra QPdfWriter y libzint solos").arg(kPdf)),
                  "BM_PdfPrograma", "BM_PdfDirecto", "objetivo <= 1.3");

    // The heap the preview holds, above what the process held before it opened.
    auto& p = *entorno().plataforma;
    p.caminar = true;
    double memoria[2][2] = {};
    for (int i = 0; i < 2; ++i) {
        // The editor has read the warehouse for its tree before the operator asks for its labels,
        // so the connection's page cache is as full as it gets: read it so here too, or the
        // cache's growth would be counted as the preview's.
        driver::Recordset rs;
        gBaseDatos().AbrirRecordset(QStringLiteral("SELECT COUNT(*), MAX(Descripcion), MAX(IdArticulo) FROM MA_POSICIONES"), rs,
                                    driver::adOpenForwardOnly, driver::adLockReadOnly);
        gBaseDatos().CierraRecordset(rs);
        const size_t antes = Heap();
        Vista(i == 0 ? kChico : grande);
        memoria[i][0] = static_cast<double>(p.heapAlMostrar) - static_cast<double>(antes);
        memoria[i][1] = static_cast<double>(p.heapAlFinal) - static_cast<double>(antes);
        std::printf(
            "Vista previa de %d posiciones: %.2f MB al mostrar la primera hoja, %.2f MB con todas las hojas conocidas (%s)\n",
            i == 0 ? kChico : grande, memoria[i][0] / 1e6, memoria[i][1] / 1e6, qPrintable(p.estadoFinal));
    }
    if (memoria[0][0] > 0)
        std::printf(
            "Memoria de la vista previa, %d contra %d posiciones: razon %.2f al mostrar, %.2f con todas las hojas (objetivo <= "
            "1.5)\n",
            grande, kChico, memoria[1][0] / memoria[0][0], memoria[1][1] / std::max(1.0, memoria[0][1]));

    if (QFile::exists(entorno().carpeta.filePath(QStringLiteral("programa.pdf"))) &&
        !QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty() &&
        !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty()) {
        const QStringList leidos = CodigosLeidos(entorno().carpeta.filePath(QStringLiteral("programa.pdf")));
        QStringList esperados;
        driver::Recordset rs;
        gBaseDatos().AbrirRecordset(
            QStringLiteral("SELECT IdPosicion FROM MA_POSICIONES WHERE Titulo = 0 AND IdDeposito = '   7' ORDER BY IdPosicion"),
            rs, driver::adOpenForwardOnly, driver::adLockReadOnly);
        for (; rs.State() != driver::adStateClosed && !rs.EOF_(); rs.MoveNext())
            esperados << rs.Fields(0).Value.toString().trimmed();
        esperados.sort();
        std::printf("zbarimg leyo %lld de %lld codigos del PDF del programa, %s\n", static_cast<long long>(leidos.size()),
                    static_cast<long long>(esperados.size()), leidos == esperados ? "todos iguales" : "CON DIFERENCIAS");
    }
    if (p.cajas) std::printf("Se mostraron %d cajas: la medida no vale\n", p.cajas);
    benchmark::Shutdown();
    return 0;
}
