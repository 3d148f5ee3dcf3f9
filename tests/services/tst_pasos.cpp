#include "PlataformaGuion.h"
#include "core/MostrarError.h"
#include "services/Pasos.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The retry / ignore / leave convention, and MostrarError as the operator sees it and as the log
// records it.
class TstPasos : public QObject {
    Q_OBJECT

private slots:
    void reintentarRepiteElPasoFallido() {
        int intentos = 0, despues = 0;
        QStringList rutinas;
        auto r = pasos::Pasos(
            QStringLiteral("Rutina"),
            [&](const ErrorEjecucion&, const QString& rutina) {
                rutinas << rutina;
                return pasos::Reintentar;
            },
            [&] {
                if (++intentos < 3) throw ErrorEjecucion(13, QStringLiteral("Type mismatch"));
            },
            [&] { ++despues; });
        QCOMPARE(r, pasos::Resultado::Completo);
        QCOMPARE(intentos, 3);
        QCOMPARE(despues, 1);
        QCOMPARE(rutinas, QStringList({QStringLiteral("Rutina"), QStringLiteral("Rutina")}));
    }

    void ignorarSigueConElPasoSiguienteYOtraRespuestaSale() {
        QStringList hechos;
        auto fallar = [](const QString&) { throw ErrorEjecucion(5, QStringLiteral("x")); };
        auto r = pasos::Pasos(
            QStringLiteral("R"), [](const ErrorEjecucion&, const QString&) { return pasos::Ignorar; }, [&] { fallar(QString()); },
            [&] { hechos << QStringLiteral("2"); });
        QCOMPARE(r, pasos::Resultado::Completo);
        QCOMPARE(hechos, QStringList{QStringLiteral("2")});

        hechos.clear();
        r = pasos::Pasos(
            QStringLiteral("R"), [](const ErrorEjecucion&, const QString&) { return vb::Abort; },
            [&] { hechos << QStringLiteral("1"); }, [&] { fallar(QString()); }, [&] { hechos << QStringLiteral("3"); });
        QCOMPARE(r, pasos::Resultado::Abandonado);
        QCOMPARE(hechos, QStringList{QStringLiteral("1")});
    }

    void unPasoQueDevuelveFalseTerminaNormalmente() {
        int tercero = 0;
        auto r = pasos::Silenciosos([] {}, [] { return false; }, [&] { ++tercero; });
        QCOMPARE(r, pasos::Resultado::Completo);
        QCOMPARE(tercero, 0);
    }

    void lasExcepcionesEstandarLleganAlOperadorComoErrores() {
        long numero = 0;
        pasos::Pasos(
            QStringLiteral("R"),
            [&](const ErrorEjecucion& e, const QString&) {
                numero = e.Number;
                return pasos::Ignorar;
            },
            [] { throw std::runtime_error("boom"); });
        QCOMPARE(numero, 51L);
    }

    void mostrarErrorConRutinaEsExactoEnCajaTituloYLog() {
        GuionInstalado g;
        QTemporaryDir tmp;
        g->entorno[QStringLiteral("temp")] = QStringLiteral("x");
        g->entorno[QStringLiteral("tmp")] = QStringLiteral("  ") + tmp.path() + QStringLiteral("  ");
        g->ahora = QDateTime(QDate(2024, 3, 25), QTime(14, 5, 9));
        g->ResponderMsgBox(vb::Ignore);
        const int r = MostrarError(ErrorEjecucion(13, QStringLiteral("Type mismatch "), QStringLiteral("MA_POSICIONES")), 18,
                                   QStringLiteral("Cfg"));
        QCOMPARE(r, 5);
        QCOMPARE(g->UltimaCaja().texto, QStringLiteral("Ha ocurrido el Siguiente Error (13) Type mismatch"));
        QCOMPARE(g->UltimaCaja().titulo, QStringLiteral("MA_POSICIONES - Cfg Aviso al operador!!! - 2 "));
        QCOMPARE(g->UltimaCaja().estilo, 18);
        QFile log(tmp.filePath(QStringLiteral("TVERR.LOG")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(log.readAll()),
                 QStringLiteral("03-25-2024 14:05:09 Rutina: - Cfg Mensaje Ha ocurrido el Siguiente Error (13) Type mismatch "
                                "Respondió : Ignorar\r\n"));
    }

    void mostrarErrorSinRutinaYConEstiloCero() {
        GuionInstalado g;
        QTemporaryDir tmp;
        g->temporal = tmp.path();  // "temp" unset: the fallback folder
        g->ahora = QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5));
        g->ResponderMsgBox(vb::OK);
        QCOMPARE(MostrarError(ErrorEjecucion(7, QStringLiteral("Out of memory"), QStringLiteral("SRC")), 0), 1);
        QCOMPARE(g->UltimaCaja().titulo, QStringLiteral("SRC Aviso al operador!!! - 2 "));
        QFile log(tmp.filePath(QStringLiteral("TVERR.LOG")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(log.readAll()),
                 QStringLiteral(
                     "01-02-2024 03:04:05 Rutina:  Mensaje Ha ocurrido el Siguiente Error (7) Out of memory Respondió : \r\n"));
    }

    void errorCeroNoMuestraNadaNiEscribeLinea() {
        GuionInstalado g;
        QTemporaryDir tmp;
        g->temporal = tmp.path();
        QCOMPARE(MostrarError(ErrorEjecucion(0, QString()), 18, QStringLiteral("X")), 0);
        QVERIFY(g->Cajas().isEmpty());
        QFile log(tmp.filePath(QStringLiteral("TVERR.LOG")));
        // The log is opened before the number is looked at, so it exists, but holds no line.
        QVERIFY(log.exists());
        QCOMPARE(log.size(), 0);
    }

    void unaCarpetaDeLogInservibleNoCuestaLaRespuesta() {
        GuionInstalado g;
        g->entorno[QStringLiteral("TEMP")] = QStringLiteral("1");
        g->entorno[QStringLiteral("TMP")] = QStringLiteral("/proc/no/such/folder");
        g->ResponderMsgBox(vb::Retry);
        QCOMPARE(MostrarError(ErrorEjecucion(53, QStringLiteral("File not found"))), 4);
    }
};

QTEST_GUILESS_MAIN(TstPasos)
#include "tst_pasos.moc"
