// Start-up: from the start of a fresh process to the editor's window shown on a warehouse of N
// positions (100,000 unless --posiciones=N), its tree built and the event loop idle, against the
// sqlite3 command line reading the same rows in a fresh process of its own. Both are timed from
// outside, from the fork to the end of the child: wall time, and the child's CPU time from wait4.
// The first run of each is printed beside the mean of the warm ones.
//
//   QT_QPA_PLATFORM=offscreen ./bench_inicio [--posiciones=N]
#include "Banco.h"
#include "app/Programa.h"
#include "layout/ArbolLayout.h"
#include "layout/FrmMa_Posic.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QApplication>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kCorridas = 5;

// The child: the editor started as an operator starts it, leaving at once (no close, no exit
// stamp) when its window is up and the event loop has nothing left to do. The exit code tells
// whether the tree held every position.
int Ventana(int argc, char** argv, long esperadas) {
    char parametros[] = "@server=SQLITE; @dbname=BENCH; @usuario=BENCH; @Password=BENCH; @Caja=1;";
    char* argumentos[] = {argv[0], parametros, nullptr};
    int cantidad = 2;
    (void)argc;
    QApplication app(cantidad, argumentos);
    PrepararPrograma(QStringLiteral("MA_POSICIONES"));
    FrmMa_Posic ventana(true);
    if (!ventana.isVisible()) ventana.show();
    QTimer::singleShot(0, &ventana, [&] {
        const long nodos = ventana.ModeloArbol->CantidadNodos() - 1;
        std::_Exit(nodos == esperadas ? 0 : 3);
    });
    return app.exec();
}

// One child process: wall and CPU time, or a zero measure when it failed.
banco::Medida Correr(const std::vector<std::string>& argumentos, const char* carpeta) {
    std::vector<char*> a;
    for (const auto& s : argumentos) a.push_back(const_cast<char*>(s.c_str()));
    a.push_back(nullptr);
    const double r0 = banco::Segundos(CLOCK_MONOTONIC);
    const pid_t hijo = fork();
    if (hijo == 0) {
        setenv("MA_POSICIONES_CARPETA", carpeta, 1);
        if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr)) _exit(4);
        execv(a[0], a.data());
        _exit(5);
    }
    int estado = 0;
    rusage uso{};
    if (hijo < 0 || wait4(hijo, &estado, 0, &uso) != hijo || !WIFEXITED(estado) || WEXITSTATUS(estado) != 0) {
        std::fprintf(stderr, "%s fallo (estado %d)\n", a[0], WIFEXITED(estado) ? WEXITSTATUS(estado) : -1);
        return {};
    }
    const double real = (banco::Segundos(CLOCK_MONOTONIC) - r0) * 1e6;
    const double cpu = (uso.ru_utime.tv_sec + uso.ru_stime.tv_sec) * 1e6 + uso.ru_utime.tv_usec + uso.ru_stime.tv_usec;
    return {real, cpu};
}

struct Serie {
    banco::Medida primera, tibia;
};

Serie Medir(const std::vector<std::string>& argumentos, const char* carpeta) {
    Serie s;
    s.primera = Correr(argumentos, carpeta);
    for (int i = 0; i < kCorridas; ++i) {
        const banco::Medida m = Correr(argumentos, carpeta);
        if (m.real <= 0) return {};
        s.tibia.real += m.real / kCorridas;
        s.tibia.cpu += m.cpu / kCorridas;
    }
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--ventana") return Ventana(argc, argv, std::atol(argv[2]));
    const int posiciones = banco::Arranque(argc, argv, 100000);
    QCoreApplication app(argc, argv);
    QTemporaryDir carpeta;
    // Only the generated warehouse has positions; it is the first of the selector ("Deposito 9").
    const QString base = banco::CrearBase(carpeta.path(), {{QStringLiteral("9"), posiciones}}, true);
    if (base.isEmpty()) return 1;
    const QString sqlite3 = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (sqlite3.isEmpty()) {
        std::fprintf(stderr, "falta la linea de comandos sqlite3 (paquete sqlite3)\n");
        return 1;
    }
    const std::string dir = carpeta.path().toStdString();
    const Serie programa =
        Medir({QCoreApplication::applicationFilePath().toStdString(), "--ventana", std::to_string(posiciones)}, dir.c_str());
    const Serie linea = Medir({sqlite3.toStdString(), "-readonly", base.toStdString(),
                               "SELECT IdPosicion, Descripcion FROM MA_POSICIONES WHERE IdDeposito = '   9' ORDER BY IdPosicion"},
                              dir.c_str());
    if (programa.tibia.real <= 0 || linea.tibia.real <= 0) return 1;
    const QString texto =
        QStringLiteral(
            "Inicio del editor hasta la ventana quieta, %1 posiciones, contra sqlite3 leyendo las mismas filas (media de %2)")
            .arg(posiciones)
            .arg(kCorridas);
    banco::Informe::Imprimir(qPrintable(texto), programa.tibia, linea.tibia, "sin objetivo fijo");
    banco::Informe::Imprimir("  la primera vez de cada uno", programa.primera, linea.primera, "sin objetivo");
    return 0;
}
