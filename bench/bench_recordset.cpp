// Reading a large layout through the database client against reading it with the bare SQLite API.
//
// Both walks read every field of every row of "SELECT * FROM MA_POSICIONES" on a demo database
// holding N generated positions (100,000 unless --posiciones=N) besides the demo rows: (a) opens a client-side record set
// through Conexion / Recordset and reads each field's value; (b) steps a prepared statement and reads
// each column with sqlite3_column_*. The program's target: (a) takes at most 2.5 times (b). The last
// lines print the ratio measured in this run, in wall-clock and CPU time (steady when the machine is
// shared), and the first walk of each in the process beside the warm ones (the first pays for
// fresh memory). SoloAbrir shows how much of (a) is opening the record set.
//
//   ./bench_recordset [--posiciones=N]
#include "Banco.h"
#include "db/driver/Conexion.h"
#include "db/driver/Recordset.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <string>

namespace {

int posiciones = 100000;
// The first walk of each side in the process, timed once before the warm runs.
banco::Medida primerRecordset, primeraLectura;
QString archivo;

bool PrepararBase(QTemporaryDir& tmp) {
    archivo = banco::CrearBase(tmp.path(), {{QStringLiteral("9"), posiciones}});
    return !archivo.isEmpty();
}

void Recordset(benchmark::State& state) {
    driver::Conexion cn;
    cn.Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =%1;").arg(archivo));
    long filas = 0;
    auto recorrer = [&] {
        driver::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM MA_POSICIONES"), &cn, driver::adOpenForwardOnly, driver::adLockReadOnly);
        const int campos = rs.FieldCount();
        filas = 0;
        qsizetype total = 0;
        for (; !rs.EOF_(); rs.MoveNext()) {
            for (int i = 0; i < campos; ++i) {
                const QVariant& v = rs.Fields(i).Value;
                if (!v.isNull()) ++total;
                benchmark::DoNotOptimize(v);
            }
            ++filas;
        }
        benchmark::DoNotOptimize(total);
        rs.Close();
    };
    const banco::Medida primera = banco::Medir(recorrer);
    if (primerRecordset.real == 0) primerRecordset = primera;
    for (auto _ : state) recorrer();
    state.counters["filas"] = static_cast<double>(filas);
}

void SqliteDirecto(benchmark::State& state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(archivo).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    long filas = 0;
    auto leer = [&] {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT * FROM MA_POSICIONES", -1, &st, nullptr);
        const int campos = sqlite3_column_count(st);
        filas = 0;
        qsizetype total = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int i = 0; i < campos; ++i) {
                switch (sqlite3_column_type(st, i)) {
                    case SQLITE_INTEGER:
                        benchmark::DoNotOptimize(sqlite3_column_int64(st, i));
                        ++total;
                        break;
                    case SQLITE_FLOAT:
                        benchmark::DoNotOptimize(sqlite3_column_double(st, i));
                        ++total;
                        break;
                    case SQLITE_TEXT:
                        benchmark::DoNotOptimize(sqlite3_column_text(st, i));
                        benchmark::DoNotOptimize(sqlite3_column_bytes(st, i));
                        ++total;
                        break;
                    case SQLITE_BLOB:
                        benchmark::DoNotOptimize(sqlite3_column_blob(st, i));
                        ++total;
                        break;
                    default:
                        break;
                }
            }
            ++filas;
        }
        benchmark::DoNotOptimize(total);
        sqlite3_finalize(st);
    };
    const banco::Medida primera = banco::Medir(leer);
    if (primeraLectura.real == 0) primeraLectura = primera;
    for (auto _ : state) leer();
    sqlite3_close(db);
    state.counters["filas"] = static_cast<double>(filas);
}

// Opening alone: every row read and kept, no field looked at.
void SoloAbrir(benchmark::State& state) {
    driver::Conexion cn;
    cn.Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =%1;").arg(archivo));
    for (auto _ : state) {
        driver::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM MA_POSICIONES"), &cn, driver::adOpenForwardOnly, driver::adLockReadOnly);
        benchmark::DoNotOptimize(rs.RecordCount());
    }
}
}  // namespace

int main(int argc, char** argv) {
    posiciones = banco::Posiciones(argc, argv, posiciones);
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    if (!tmp.isValid() || !PrepararBase(tmp)) return 1;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    // The bare walk runs first, so that neither side's first walk finds the file in memory the
    // other did not.
    benchmark::RegisterBenchmark("SqliteDirecto", SqliteDirecto)->Unit(benchmark::kMillisecond)->MinTime(2.0);
    benchmark::RegisterBenchmark("Recordset", Recordset)->Unit(benchmark::kMillisecond)->MinTime(2.0);
    benchmark::RegisterBenchmark("SoloAbrir", SoloAbrir)->Unit(benchmark::kMillisecond)->MinTime(2.0);
    banco::Informe informe;
    benchmark::RunSpecifiedBenchmarks(&informe);
    std::printf("\n");
    informe.Razon(qPrintable(QStringLiteral("Recordset de %1 posiciones recorrido contra SQLite solo").arg(posiciones)),
                  "Recordset", "SqliteDirecto", "objetivo <= 2.5");
    banco::Informe::Imprimir("  el primer recorrido del proceso", primerRecordset, primeraLectura, "sin objetivo");
    benchmark::Shutdown();
    return 0;
}
