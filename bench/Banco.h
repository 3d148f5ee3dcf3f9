#pragma once
// What the benchmarks share: a demo database with generated layouts, the program's shared
// database object connected to it, a desktop that answers nothing, the size of the large
// warehouse from the command line, and one report that prints every target as two ratios of the
// same run, wall time and CPU time (the machine is shared: CPU ratios are what stay stable).

#include "db/DB_Dll.h"
#include "demo/BaseDemo.h"
#include "services/Plataforma.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <time.h>
#include <QCoreApplication>
#include <QDir>
#include <QList>
#include <QPair>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace banco {

// BENCH.db in the folder: the demo database plus one generated layout per (warehouse, positions)
// pair; with soloLayouts, the demo's own positions are removed first, so MA_POSICIONES holds
// exactly the generated layouts. Returns the file, empty after printing why it failed.
inline QString CrearBase(const QString& carpeta, const QList<QPair<QString, int>>& layouts, bool soloLayouts = false) {
    QString error;
    if (!demo::CrearBaseDemo(carpeta, QStringLiteral("BENCH"), &error, true, QStringLiteral(MP_DATA_DIR))) {
        std::fprintf(stderr, "demo database: %s\n", qPrintable(error));
        return {};
    }
    const QString archivo = QDir(carpeta).filePath(QStringLiteral("BENCH.db"));
    if (soloLayouts) {
        sqlite3* db = nullptr;
        const bool ok = sqlite3_open(archivo.toUtf8().constData(), &db) == SQLITE_OK &&
                        sqlite3_exec(db, "DELETE FROM MA_POSICIONES", nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_close(db);
        if (!ok) {
            std::fprintf(stderr, "could not empty MA_POSICIONES of %s\n", qPrintable(archivo));
            return {};
        }
    }
    // Two-character levels number at most 99 x (1 + 99 + 99 x 99) positions in a warehouse; one of
    // a million gets three-character positions, as a site of that size configures its levels.
    int mayor = 0;
    for (const auto& l : layouts) mayor = qMax(mayor, l.second);
    if (mayor > 900000) {
        sqlite3* db = nullptr;
        const bool ok = sqlite3_open(archivo.toUtf8().constData(), &db) == SQLITE_OK &&
                        sqlite3_exec(db, "UPDATE TA_CONFIGURACION SET Valor = '3' WHERE Clave = 'LAYOUT_NIVEL2'", nullptr,
                                     nullptr, nullptr) == SQLITE_OK;
        sqlite3_close(db);
        if (!ok) {
            std::fprintf(stderr, "could not widen the levels of %s\n", qPrintable(archivo));
            return {};
        }
    }
    for (const auto& l : layouts)
        if (!demo::GenerarLayout(archivo, l.first, l.second, &error)) {
            std::fprintf(stderr, "layout: %s\n", qPrintable(error));
            return {};
        }
    return archivo;
}

// Connects the program's shared database object to the embedded file as the program does.
inline bool Conectar(const QString& base) {
    auto& db = gBaseDatos();
    db.gServidor = QStringLiteral("SQLITE");
    db.gDBName = base;
    db.gUsuario = QStringLiteral("BENCH");
    db.gUserPassWord = QStringLiteral("BENCH");
    db.OpenServerADODB(false, 3, QString(), false, false);
    if (!db.gOpenFlag) std::fprintf(stderr, "could not connect to %s\n", qPrintable(base));
    return db.gOpenFlag;
}

// A desktop that answers nothing: a benchmark must never wait for an operator, and a box it
// meets is a fault of the run, printed.
class PlataformaMuda : public Plataforma {
public:
    explicit PlataformaMuda(QString carpeta) : carpeta_(std::move(carpeta)) {}
    int MsgBox(const QString& t, int, const QString&) override {
        std::fprintf(stderr, "unexpected box: %s\n", qPrintable(t));
        ++cajas;
        return vb::Cancel;
    }
    std::optional<QString> InputBox(const QString&, const QString&, const QString&) override { return std::nullopt; }
    QString ElegirArchivo(const QString&, const QString&) override { return {}; }
    QString ElegirArchivoGuardar(const QString&, const QString&, const QString&) override { return {}; }
    std::optional<QDate> ElegirFecha(const QDate&) override { return std::nullopt; }
    void MostrarModal(QWidget*) override {}
    void ProcesarEventos() override { QCoreApplication::processEvents(); }
    QString LineaComando() const override { return {}; }
    QString CarpetaPrograma() const override { return carpeta_; }
    QString NombreEjecutable() const override { return QStringLiteral("MA_POSICIONES"); }
    QString NombreEquipo() const override { return QStringLiteral("BENCH"); }
    QString UsuarioEquipo() const override { return QStringLiteral("bench"); }
    QDateTime Ahora() const override { return QDateTime::currentDateTime(); }
    QString Entorno(const QString& v) const override { return qEnvironmentVariable(qPrintable(v)); }
    QString CarpetaTemporal() const override { return carpeta_; }
    QString CarpetaEscritorio() const override { return carpeta_; }
    qint64 IniciarPrograma(const QString&, const QStringList&, int) override { return 0; }
    bool ProgramaEnCurso(qint64) const override { return false; }
    bool AbrirDocumento(const QString&, int) override { return false; }
    [[noreturn]] void Terminar(int codigo) override { std::exit(codigo); }
    int cajas = 0;

private:
    QString carpeta_;
};

// What a benchmark of a window keeps for the whole run: its folder and database, the desktop that
// answers nothing (installed as the program's), and the window, which the benchmark makes.
template <class Ventana>
struct EntornoVentana {
    QTemporaryDir carpeta;
    QString archivo;
    PlataformaMuda* plataforma = nullptr;
    std::unique_ptr<Ventana> ventana;

    bool Preparar(const QList<QPair<QString, int>>& layouts) {
        auto p = std::make_unique<PlataformaMuda>(carpeta.path());
        plataforma = p.get();
        EstablecerPlataforma(std::move(p));
        archivo = CrearBase(carpeta.path(), layouts);
        return !archivo.isEmpty() && Conectar(archivo);
    }
};

// The positions of the large warehouse: --posiciones=N on the command line, taken out before
// Google Benchmark reads the rest; the default otherwise.
inline int Posiciones(int& argc, char** argv, int defecto) {
    int n = defecto;
    int j = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--posiciones=", 0) == 0) {
            char* fin = nullptr;
            const long v = std::strtol(a.c_str() + 13, &fin, 10);
            if (!fin || *fin || v < 1 || v > 10000000) {
                std::fprintf(stderr, "--posiciones wants a number of positions from 1 to 10000000, not '%s'\n", a.c_str() + 13);
                std::exit(2);
            }
            n = static_cast<int>(v);
            continue;
        }
        argv[j++] = argv[i];
    }
    argc = j;
    argv[argc] = nullptr;
    return n;
}

// The start of every benchmark's main, before its application object: the offscreen platform
// unless QT_QPA_PLATFORM names another, and the positions of the large warehouse (Posiciones).
inline int Arranque(int& argc, char** argv, int defecto) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return Posiciones(argc, argv, defecto);
}

// Wall and CPU time of one piece of work, in microseconds.
struct Medida {
    double real = 0, cpu = 0;
};

inline double Segundos(clockid_t reloj) {
    timespec t{};
    clock_gettime(reloj, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Times one call, as for the first time something runs in the process.
template <typename F>
Medida Medir(F&& f) {
    const double r0 = Segundos(CLOCK_MONOTONIC), c0 = Segundos(CLOCK_PROCESS_CPUTIME_ID);
    f();
    return {(Segundos(CLOCK_MONOTONIC) - r0) * 1e6, (Segundos(CLOCK_PROCESS_CPUTIME_ID) - c0) * 1e6};
}

// Prints as usual and keeps each run's wall and CPU time per iteration, by name ("BM_X" or
// "BM_X/arg"), so that the targets can be printed as ratios at the end.
class Informe : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.error_occurred || r.iterations == 0) continue;
            std::string nombre = r.run_name.function_name;
            if (!r.run_name.args.empty()) nombre += "/" + r.run_name.args;
            const double aMicro = 1e6 / benchmark::GetTimeUnitMultiplier(r.time_unit);
            tiempos_[nombre] = {r.GetAdjustedRealTime() * aMicro, r.GetAdjustedCPUTime() * aMicro};
        }
    }

    // Zero when the run did not take place (filtered out, or failed).
    Medida Tiempo(const std::string& nombre) const {
        const auto it = tiempos_.find(nombre);
        return it == tiempos_.end() ? Medida{} : it->second;
    }

    // "texto: a ms / b ms; wall ratio x, CPU ratio y (objetivo)"; nothing when either side is missing.
    void Razon(const char* texto, const std::string& a, const std::string& b, const char* objetivo) const {
        Imprimir(texto, Tiempo(a), Tiempo(b), objetivo);
    }

    static void Imprimir(const char* texto, const Medida& a, const Medida& b, const char* objetivo) {
        if (a.real <= 0 || b.real <= 0 || b.cpu <= 0) return;
        std::printf("%s: %.3f ms / %.3f ms; razon %.2f en tiempo de reloj, %.2f en tiempo de CPU (%s)\n", texto, a.real / 1e3,
                    b.real / 1e3, a.real / b.real, a.cpu / b.cpu, objetivo);
    }

private:
    std::map<std::string, Medida> tiempos_;
};

}  // namespace banco
