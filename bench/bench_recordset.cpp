// Reading a large layout through the database client against reading it with the bare SQLite API.
//
// Both walks read every field of every row of "SELECT * FROM MA_POSICIONES" on a demo database
// holding 100,000 generated positions besides the demo rows: (a) opens a client-side record set
// through Conexion / Recordset and reads each field's value; (b) steps a prepared statement and reads
// each column with sqlite3_column_*. The program's target: (a) takes at most 2.5 times (b). The last
// line prints the ratio measured in this run, in CPU time (steady when the machine is shared) and
// in wall-clock time. SoloAbrir shows how much of (a) is opening the record set.
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
#include <map>
#include <string>

namespace {

constexpr int kPosiciones = 100000;
QString archivo;

bool PrepararBase(QTemporaryDir& tmp) {
    archivo = banco::CrearBase(tmp.path(), {{QStringLiteral("9"), kPosiciones}});
    return !archivo.isEmpty();
}

void Recordset(benchmark::State& state) {
    driver::Conexion cn;
    cn.Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =%1;").arg(archivo));
    long filas = 0;
    for (auto _ : state) {
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
    }
    state.counters["filas"] = static_cast<double>(filas);
}

void SqliteDirecto(benchmark::State& state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(archivo).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    long filas = 0;
    for (auto _ : state) {
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
    }
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
BENCHMARK(SoloAbrir)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(Recordset)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(SqliteDirecto)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Keeps the times per iteration of each benchmark to compare them at the end.
class Registro : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Iteration && r.iterations > 0) {
                cpu[r.run_name.function_name] = r.GetAdjustedCPUTime();
                real[r.run_name.function_name] = r.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> cpu, real;
};

double Razon(const std::map<std::string, double>& t) {
    const auto a = t.find("Recordset"), b = t.find("SqliteDirecto");
    return a != t.end() && b != t.end() && b->second > 0 ? a->second / b->second : 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    if (!tmp.isValid() || !PrepararBase(tmp)) return 1;
    benchmark::Initialize(&argc, argv);
    Registro registro;
    benchmark::RunSpecifiedBenchmarks(&registro);
    const double cpu = Razon(registro.cpu), real = Razon(registro.real);
    if (cpu > 0) {
        std::printf("ratio Recordset / SqliteDirecto = %.2f CPU time, %.2f wall-clock (target <= 2.5)\n", cpu, real);
    }
    benchmark::Shutdown();
    return 0;
}
