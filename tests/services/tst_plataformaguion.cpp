#include "PlataformaGuion.h"
#include "services/FuncionesSistema.h"

#include <sys/resource.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QWidget>
#include <QtTest>
#include <cstdio>

// The scripted platform every other test relies on: answers given in order, boxes recorded word
// for word, and an unexpected box that ends the test program instead of hanging it.
class TstPlataformaGuion : public QObject {
    Q_OBJECT

private slots:
    void respuestasEnOrdenYCajasRegistradas() {
        GuionInstalado g;
        g->ResponderMsgBox(vb::Yes);
        g->ResponderMsgBox(vb::Cancel, QStringLiteral("Inexistente"));
        QCOMPARE(g->Pendientes(), 2);
        QCOMPARE(plataforma().MsgBox(QStringLiteral("¿Desea borrar la posición?"), 36, QStringLiteral("Borrar")), vb::Yes);
        QCOMPARE(plataforma().MsgBox(QStringLiteral(" Codigo de Unidad Inexistente!"), 48), vb::Cancel);
        QCOMPARE(g->Pendientes(), 0);
        QCOMPARE(g->Cajas().size(), 2);
        QCOMPARE(g->Cajas()[0].texto, QStringLiteral("¿Desea borrar la posición?"));
        QCOMPARE(g->Cajas()[0].estilo, 36);
        QCOMPARE(g->Cajas()[0].titulo, QStringLiteral("Borrar"));
        QCOMPARE(g->UltimaCaja().texto, QStringLiteral(" Codigo de Unidad Inexistente!"));
        QCOMPARE(g->UltimaCaja().estilo, 48);
        QCOMPARE(g->UltimaCaja().titulo, QString());
        g->LimpiarCajas();
        QVERIFY(g->Cajas().isEmpty());
    }

    void entradasArchivosFechasYVentanas() {
        GuionInstalado g;
        g->ResponderInputBox(QStringLiteral("12"));
        g->ResponderInputBox(std::nullopt);
        QCOMPARE(plataforma().InputBox(QStringLiteral("Cantidad"), QStringLiteral("Faltante"), QString()), QStringLiteral("12"));
        QVERIFY(!plataforma().InputBox(QStringLiteral("Cantidad"), QStringLiteral("Faltante"), QString()).has_value());
        QCOMPARE(g->UltimaCaja().texto, QStringLiteral("Cantidad"));
        QCOMPARE(g->UltimaCaja().titulo, QStringLiteral("Faltante"));

        g->ResponderArchivo(QStringLiteral("/tmp/a.xlsx"));
        QCOMPARE(plataforma().ElegirArchivoGuardar(QStringLiteral("Guardar"), QStringLiteral("*.xlsx"), QString()),
                 QStringLiteral("/tmp/a.xlsx"));
        g->ResponderFecha(QDate(2024, 2, 29));
        QCOMPARE(plataforma().ElegirFecha(QDate()), std::optional<QDate>(QDate(2024, 2, 29)));

        QWidget ventana;
        bool visibleAlActuar = false;
        g->AlMostrarModal([&](QWidget* w) {
            visibleAlActuar = w == &ventana && w->isVisible();
            w->hide();
        });
        plataforma().MostrarModal(&ventana);
        QVERIFY(visibleAlActuar);
        QCOMPARE(g->Pendientes(), 0);
    }

    void estacionSimuladaYArranques() {
        GuionInstalado g;
        g->equipo = QStringLiteral("PC7");
        g->usuario = QStringLiteral("ana");
        g->temporal = QStringLiteral("/var/tmp/suite");
        g->ahora = QDateTime(QDate(2024, 3, 25), QTime(8, 30));
        // The system service object answers with the workstation the test describes.
        const FuncionesSistema& fs = FuncionesSistema::instancia();
        QCOMPARE(fs.NombreEquipo(), QStringLiteral("PC7"));
        QCOMPARE(fs.UsuarioEquipo(), QStringLiteral("ana"));
        QCOMPARE(fs.CarpetaAlternativa(), QStringLiteral("/var/tmp/suite"));
        QCOMPARE(plataforma().Ahora(), QDateTime(QDate(2024, 3, 25), QTime(8, 30)));
        QVERIFY(fs.AbrirDocumento(QStringLiteral("https://example.org/ayuda"), 1));
        QCOMPARE(g->Documentos(), QStringList{QStringLiteral("https://example.org/ayuda")});

        QCOMPARE(plataforma().IniciarPrograma(QStringLiteral("/opt/suite/v_zormap_asistente"), {QStringLiteral("@Caja=1;")}, 1),
                 qint64(4242));
        g->pidArranque = 0;
        QCOMPARE(plataforma().IniciarPrograma(QStringLiteral("no_existe"), {}, 1), qint64(0));
        QCOMPARE(g->Arranques().size(), 2);
        QCOMPARE(g->Arranques()[0].programa, QStringLiteral("/opt/suite/v_zormap_asistente"));
        QCOMPARE(g->Arranques()[0].argumentos, QStringList{QStringLiteral("@Caja=1;")});

        g->procesarEventosReales = false;
        plataforma().ProcesarEventos();
        plataforma().ProcesarEventos();
        QCOMPARE(g->VecesProcesarEventos(), 2);
    }

    void tratarVentanaDaTituloSoloSiNoTiene() {
        GuionInstalado g;
        g->ejecutable = QStringLiteral("MA_POSICIONES");
        QWidget sin, con;
        con.setWindowTitle(QStringLiteral("Definición de Layout"));
        FuncionesSistema::instancia().TratarVentana(&sin);
        FuncionesSistema::instancia().TratarVentana(&con);
        QCOMPARE(sin.windowTitle(), QStringLiteral("MA_POSICIONES"));
        QCOMPARE(con.windowTitle(), QStringLiteral("Definición de Layout"));
    }

    void terminarNoSaleDelProgramaDePrueba() {
        GuionInstalado g;
        try {
            plataforma().Terminar(3);
            QFAIL("Terminar returned");
        } catch (const ProgramaTerminado& t) {
            QCOMPARE(t.codigo, 3);
        }
    }

    void laPlataformaAnteriorVuelveAlTerminarElGuion() {
        Plataforma* antes = &plataforma();
        {
            GuionInstalado g;
            QCOMPARE(&plataforma(), static_cast<Plataforma*>(&*g));
            {
                GuionInstalado h;
                QCOMPARE(&plataforma(), static_cast<Plataforma*>(&*h));
            }
            QCOMPARE(&plataforma(), static_cast<Plataforma*>(&*g));
        }
        QCOMPARE(&plataforma(), antes);
    }

    void loInesperadoTerminaElProgramaEnSeguida_data() {
        QTest::addColumn<QString>("modo");
        QTest::addColumn<QString>("aviso");
        QTest::newRow("box nobody expected") << "caja"
                                             << "Codigo de Deposito Inexistente!";
        QTest::newRow("box with other words") << "texto"
                                              << "¿Grabar los cambios?";
        QTest::newRow("input box") << "entrada"
                                   << "Ingrese la cantidad";
        QTest::newRow("modal window") << "modal"
                                      << "Lib_FrmCons3";
        QTest::newRow("modal window left open") << "abierta"
                                                << "left open by the test: Lib_FrmCons3";
    }
    void loInesperadoTerminaElProgramaEnSeguida() {
        QFETCH(QString, modo);
        QFETCH(QString, aviso);
        QProcess hijo;
        QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
        entorno.insert(QStringLiteral("MP_GUION_HIJO"), modo);
        entorno.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        hijo.setProcessEnvironment(entorno);
        // The child ends by abort(): no core file for an expected crash.
        hijo.setChildProcessModifier([] {
            const rlimit sinCore{0, 0};
            setrlimit(RLIMIT_CORE, &sinCore);
        });
        QElapsedTimer reloj;
        reloj.start();
        hijo.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(hijo.waitForStarted(10000));
        const bool termino = hijo.waitForFinished(60000);
        if (!termino) hijo.kill();
        QVERIFY2(termino, "the unexpected box hung the program");
        QVERIFY2(reloj.elapsed() < 30000, qPrintable(QString::number(reloj.elapsed())));
        QVERIFY(hijo.exitStatus() == QProcess::CrashExit || hijo.exitCode() != 0);
        const QString err = QString::fromUtf8(hijo.readAllStandardError());
        const QString out = QString::fromUtf8(hijo.readAllStandardOutput());
        QVERIFY2(err.contains(aviso), qPrintable(err));
        QVERIFY2(!out.contains(QStringLiteral("answered")), qPrintable(out));
    }
};

namespace {
// What a test program does when it meets what nobody scripted; it must never get past it.
int Hijo(const QString& modo) {
    GuionInstalado g;
    int respuesta = 0;
    if (modo == QLatin1String("caja")) {
        respuesta = plataforma().MsgBox(QStringLiteral("Codigo de Deposito Inexistente!"), 48, QStringLiteral("Atención"));
    } else if (modo == QLatin1String("texto")) {
        g->ResponderMsgBox(vb::Yes, QStringLiteral("Borrar"));
        respuesta = plataforma().MsgBox(QStringLiteral("¿Grabar los cambios?"), 36, QString());
    } else if (modo == QLatin1String("entrada")) {
        respuesta = plataforma().InputBox(QStringLiteral("Ingrese la cantidad"), QString(), QString()).has_value() ? 1 : 2;
    } else {
        QWidget ventana;
        ventana.setObjectName(QStringLiteral("Lib_FrmCons3"));
        if (modo == QLatin1String("abierta")) g->AlMostrarModal([](QWidget*) {});
        plataforma().MostrarModal(&ventana);
        respuesta = 1;
    }
    std::printf("answered %d\n", respuesta);
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString modo = qEnvironmentVariable("MP_GUION_HIJO");
    if (!modo.isEmpty()) return Hijo(modo);
    TstPlataformaGuion t;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&t, argc, argv);
}

#include "tst_plataformaguion.moc"
