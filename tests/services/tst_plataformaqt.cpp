#include "services/Conversiones.h"
#include "services/PlataformaQt.h"
#include "services/TeclasVB.h"

#include <signal.h>
#include <QAbstractButton>
#include <QCloseEvent>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QtTest>
#include <algorithm>
#include <functional>

namespace {

// What the operator saw in a message box.
struct Vista {
    QStringList botones;  // sorted: the visual order belongs to the desktop's button layout
    QString porDefecto;
    QString escape;
    QMessageBox::Icon icono = QMessageBox::NoIcon;
    QString titulo;
    QString texto;
};

// Waits in the box's own event loop for the modal box, records it and acts on it. The action must
// close the box; if it does not, or no box ever appears, the box is closed after a few seconds so
// that the test fails instead of hanging.
class Operador : public QObject {
public:
    explicit Operador(std::function<void(QMessageBox*)> accion) : accion_(std::move(accion)) {
        reloj_.start();
        connect(&sondeo_, &QTimer::timeout, this, [this] { Sondear(); });
        sondeo_.start(10);
    }
    bool visto = false;
    bool atascado = false;
    Vista vista;

private:
    void Sondear() {
        auto* caja = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (caja && caja->isVisible() && !visto) {
            visto = true;
            for (QAbstractButton* b : caja->buttons()) vista.botones << b->text();
            vista.botones.sort();
            vista.porDefecto = caja->defaultButton() ? caja->defaultButton()->text() : QString();
            vista.escape = caja->escapeButton() ? caja->escapeButton()->text() : QString();
            vista.icono = caja->icon();
            vista.titulo = caja->windowTitle();
            vista.texto = caja->text();
            accion_(caja);
            return;
        }
        if (reloj_.elapsed() > 5000) {
            sondeo_.stop();
            if (caja) {
                atascado = true;
                caja->done(0);
            }
        }
    }
    std::function<void(QMessageBox*)> accion_;
    QTimer sondeo_;
    QElapsedTimer reloj_;
};

std::function<void(QMessageBox*)> Pulsar(const QString& texto) {
    return [texto](QMessageBox* caja) {
        for (QAbstractButton* b : caja->buttons())
            if (b->text() == texto) {
                QTest::mouseClick(b, Qt::LeftButton);
                return;
            }
    };
}

QStringList Ordenada(QStringList l) {
    l.sort();
    return l;
}

}  // namespace

// The desktop platform as the operator meets it: the suite's message boxes in Spanish with their
// Visual Basic answers, modal windows, keys, colours and lengths converted at the seam.
class TstPlataformaQt : public QObject {
    Q_OBJECT

    PlataformaQt p;

private slots:
    // When a modal window closes, the window that opened it is active again with its focus where
    // it was, so the operator goes on typing in the same field.
    void laVentanaQueAbrioElModalRecuperaElFoco() {
        QWidget principal;
        auto* l = new QVBoxLayout(&principal);
        auto* primero = new QLineEdit;
        auto* segundo = new QLineEdit;
        l->addWidget(primero);
        l->addWidget(segundo);
        principal.show();
        principal.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&principal));
        segundo->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), segundo);
        {
            const VueltaDelFoco vuelta;
            QWidget modal;
            modal.show();
            modal.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&modal));
        }
        QTRY_COMPARE(QApplication::activeWindow(), &principal);
        QCOMPARE(QApplication::focusWidget(), segundo);

        // A window closed meanwhile is left alone.
        auto* efimera = new QWidget;
        efimera->show();
        efimera->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(efimera));
        {
            const VueltaDelFoco vuelta;
            delete efimera;
        }
        QCoreApplication::processEvents();
    }

    void initTestCase() { p.FijarNombreEjecutable(QStringLiteral("MA_POSICIONES")); }

    void botonesYRespuestas_data() {
        QTest::addColumn<int>("estilo");
        QTest::addColumn<QStringList>("botones");
        QTest::addColumn<QString>("pulsado");
        QTest::addColumn<int>("respuesta");
        const QStringList ok{QStringLiteral("Aceptar")};
        const QStringList okCancel{QStringLiteral("Aceptar"), QStringLiteral("Cancelar")};
        const QStringList ari{QStringLiteral("Anular"), QStringLiteral("Reintentar"), QStringLiteral("Omitir")};
        const QStringList ync{QStringLiteral("Sí"), QStringLiteral("No"), QStringLiteral("Cancelar")};
        const QStringList yn{QStringLiteral("Sí"), QStringLiteral("No")};
        const QStringList rc{QStringLiteral("Reintentar"), QStringLiteral("Cancelar")};
        QTest::newRow("0 OK") << 0 << ok << "Aceptar" << vb::OK;
        QTest::newRow("1 OK") << 1 << okCancel << "Aceptar" << vb::OK;
        QTest::newRow("1 Cancel") << 1 << okCancel << "Cancelar" << vb::Cancel;
        QTest::newRow("2 Abort") << 2 << ari << "Anular" << vb::Abort;
        QTest::newRow("2 Retry") << 2 << ari << "Reintentar" << vb::Retry;
        QTest::newRow("2 Ignore") << 2 << ari << "Omitir" << vb::Ignore;
        QTest::newRow("3 Yes") << 3 << ync << "Sí" << vb::Yes;
        QTest::newRow("3 No") << 3 << ync << "No" << vb::No;
        QTest::newRow("3 Cancel") << 3 << ync << "Cancelar" << vb::Cancel;
        QTest::newRow("4 Yes") << 4 << yn << "Sí" << vb::Yes;
        QTest::newRow("4 No") << 4 << yn << "No" << vb::No;
        QTest::newRow("5 Retry") << 5 << rc << "Reintentar" << vb::Retry;
        QTest::newRow("5 Cancel") << 5 << rc << "Cancelar" << vb::Cancel;
        QTest::newRow("18 error report, Retry") << 18 << ari << "Reintentar" << vb::Retry;
        QTest::newRow("36 question Yes/No") << 36 << yn << "No" << vb::No;
    }
    void botonesYRespuestas() {
        QFETCH(int, estilo);
        QFETCH(QStringList, botones);
        QFETCH(QString, pulsado);
        QFETCH(int, respuesta);
        Operador op(Pulsar(pulsado));
        const int r = p.MsgBox(QStringLiteral("¿Desea continuar?"), estilo, QStringLiteral("Atención"));
        QVERIFY(op.visto);
        QVERIFY(!op.atascado);
        QCOMPARE(op.vista.botones, Ordenada(botones));
        QCOMPARE(r, respuesta);
    }

    void iconoBotonPorDefectoYTitulo_data() {
        QTest::addColumn<int>("estilo");
        QTest::addColumn<int>("icono");
        QTest::addColumn<QString>("porDefecto");
        QTest::newRow("plain OK") << 0 << int(QMessageBox::NoIcon) << "Aceptar";
        QTest::newRow("critical") << 16 << int(QMessageBox::Critical) << "Aceptar";
        QTest::newRow("question, Yes first") << 36 << int(QMessageBox::Question) << "Sí";
        QTest::newRow("exclamation, No default") << 308 << int(QMessageBox::Warning) << "No";
        QTest::newRow("information") << 64 << int(QMessageBox::Information) << "Aceptar";
        QTest::newRow("second default, Retry/Cancel") << 5 + 256 << int(QMessageBox::NoIcon) << "Cancelar";
        QTest::newRow("third default, Yes/No/Cancel") << 3 + 512 + 32 << int(QMessageBox::Question) << "Cancelar";
        QTest::newRow("error report, Abort first") << 18 << int(QMessageBox::Critical) << "Anular";
        QTest::newRow("error report, Retry default") << 2 + 256 + 16 << int(QMessageBox::Critical) << "Reintentar";
        QTest::newRow("third default of two buttons") << 1 + 512 << int(QMessageBox::NoIcon) << "Aceptar";
    }
    void iconoBotonPorDefectoYTitulo() {
        QFETCH(int, estilo);
        QFETCH(int, icono);
        QFETCH(QString, porDefecto);
        // Enter presses the default button: what the operator gets by confirming without looking.
        Operador op([](QMessageBox* caja) { QTest::keyClick(caja, Qt::Key_Return); });
        const int r = p.MsgBox(QStringLiteral("Texto"), estilo, QStringLiteral("Título"));
        QVERIFY(op.visto);
        QVERIFY(!op.atascado);
        QCOMPARE(int(op.vista.icono), icono);
        QCOMPARE(op.vista.porDefecto, porDefecto);
        QCOMPARE(PlataformaQt::TextoBoton(r), porDefecto);
        QCOMPARE(op.vista.titulo, QStringLiteral("Título"));
    }

    void escapeResponde_data() {
        QTest::addColumn<int>("estilo");
        QTest::addColumn<int>("respuesta");
        QTest::newRow("OK only") << 0 << vb::OK;
        QTest::newRow("OK/Cancel") << 1 << vb::Cancel;
        QTest::newRow("Yes/No/Cancel") << 3 << vb::Cancel;
        QTest::newRow("Yes/No") << 4 << vb::No;
        QTest::newRow("Yes/No, No default") << 308 << vb::No;
        QTest::newRow("Retry/Cancel") << 5 << vb::Cancel;
    }
    void escapeResponde() {
        QFETCH(int, estilo);
        QFETCH(int, respuesta);
        Operador op([](QMessageBox* caja) { QTest::keyClick(caja, Qt::Key_Escape); });
        const int r = p.MsgBox(QStringLiteral("Texto"), estilo, QString());
        QVERIFY(op.visto);
        QVERIFY(!op.atascado);
        QCOMPARE(r, respuesta);
    }

    void cerrarLaCajaDaUnaRespuestaDeLaCaja() {
        // Closed by the window manager rather than by a button: still an answer the caller knows.
        Operador op([](QMessageBox* caja) { caja->close(); });
        const int r = p.MsgBox(QStringLiteral("Texto"), vb::YesNo, QString());
        QVERIFY(op.visto);
        QVERIFY2(r == vb::Yes || r == vb::No, qPrintable(QString::number(r)));
    }

    void tituloPorDefectoYSaltosDeLinea() {
        Operador op(Pulsar(QStringLiteral("Aceptar")));
        p.MsgBox(QStringLiteral("Opcion no Implementada!\rComuniquese con su proveedor de sistemas\r\nFin"), 16, QString());
        QVERIFY(op.visto);
        QCOMPARE(op.vista.titulo, QStringLiteral("MA_POSICIONES"));
        QCOMPARE(op.vista.texto, QStringLiteral("Opcion no Implementada!\nComuniquese con su proveedor de sistemas\nFin"));
    }

    void mostrarModalVuelveAlOcultarse() {
        QWidget ventana;
        ventana.setWindowTitle(QStringLiteral("Lista"));
        bool eraModal = false, eraVisible = false;
        QTimer::singleShot(50, &ventana, [&] {
            eraVisible = ventana.isVisible();
            eraModal = ventana.windowModality() == Qt::ApplicationModal && QApplication::activeModalWidget() == &ventana;
            ventana.hide();
        });
        QElapsedTimer reloj;
        reloj.start();
        p.MostrarModal(&ventana);
        QVERIFY(eraVisible);
        QVERIFY(eraModal);
        QVERIFY(!ventana.isVisible());
        QVERIFY(reloj.elapsed() < 5000);
        // Shown again later as an ordinary window, it is not modal any more.
        QCOMPARE(ventana.windowModality(), Qt::NonModal);
    }

    void mostrarModalSigueSiElCierreSeRechaza() {
        // A window that refuses to close (unsaved changes) is still open: the wait goes on.
        class Terca : public QWidget {
        public:
            bool permitir = false;
            int rechazos = 0;

        protected:
            void closeEvent(QCloseEvent* e) override {
                if (permitir) return QWidget::closeEvent(e);
                ++rechazos;
                e->ignore();
            }
        } ventana;
        bool visibleTrasRechazo = false;
        QTimer::singleShot(50, &ventana, [&] {
            ventana.close();
            QTimer::singleShot(50, &ventana, [&] {
                visibleTrasRechazo = ventana.isVisible();
                ventana.permitir = true;
                ventana.close();
            });
        });
        p.MostrarModal(&ventana);
        QCOMPARE(ventana.rechazos, 1);
        QVERIFY(visibleTrasRechazo);
        QVERIFY(!ventana.isVisible());
    }

    void mostrarModalDeUnaVentanaQueSeBorraAlCerrar() {
        auto* ventana = new QWidget;
        ventana->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<QWidget> guarda(ventana);
        QTimer::singleShot(50, ventana, [ventana] { ventana->close(); });
        p.MostrarModal(ventana);
        QTRY_VERIFY(guarda.isNull());

        auto* borrada = new QWidget;
        QTimer::singleShot(50, this, [borrada] { delete borrada; });
        p.MostrarModal(borrada);  // returns, and touches nothing of the deleted window
    }

    void mostrarModalDeUnDialogo() {
        QDialog d;
        QTimer::singleShot(50, &d, [&] { d.accept(); });
        p.MostrarModal(&d);
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(!d.isVisible());
    }

    void carpetaYNombreDelPrograma() {
        PlataformaQt q;
        QCOMPARE(q.CarpetaPrograma(), QCoreApplication::applicationDirPath());
        QCOMPARE(q.NombreEjecutable(), QStringLiteral("tst_plataformaqt"));
        QCOMPARE(q.TituloAplicacion(), QStringLiteral("tst_plataformaqt"));
        q.FijarCarpetaPrograma(QStringLiteral("/opt/suite"));
        QCOMPARE(q.CarpetaPrograma(), QStringLiteral("/opt/suite"));
        QVERIFY(!q.NombreEquipo().isEmpty());
        QVERIFY(!q.UsuarioEquipo().isEmpty());
    }

    // A started program is running until it ends, though it is not this process's child.
    void programaIniciadoEnCursoHastaQueTermina() {
        PlataformaQt q;
        const qint64 pid = q.IniciarPrograma(QStringLiteral("/bin/sleep"), {QStringLiteral("30")}, 1);
        QVERIFY(pid > 0);
        QVERIFY(q.ProgramaEnCurso(pid));
        QCOMPARE(::kill(static_cast<pid_t>(pid), SIGTERM), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!q.ProgramaEnCurso(pid), 5000);
        QVERIFY(!q.ProgramaEnCurso(0));
    }

    void codigosDeTeclaVB_data() {
        QTest::addColumn<int>("tecla");
        QTest::addColumn<int>("codigo");
        QTest::newRow("F1") << int(Qt::Key_F1) << 112;
        QTest::newRow("F2") << int(Qt::Key_F2) << 113;
        QTest::newRow("F5") << int(Qt::Key_F5) << 116;
        QTest::newRow("F10") << int(Qt::Key_F10) << 121;
        QTest::newRow("F12") << int(Qt::Key_F12) << 123;
        QTest::newRow("Return") << int(Qt::Key_Return) << 13;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << 13;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << 27;
        QTest::newRow("Tab") << int(Qt::Key_Tab) << 9;
        QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab) << 9;
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << 8;
        QTest::newRow("Delete") << int(Qt::Key_Delete) << 46;
        QTest::newRow("A") << int(Qt::Key_A) << 65;
        QTest::newRow("Z") << int(Qt::Key_Z) << 90;
        QTest::newRow("0") << int(Qt::Key_0) << 48;
        QTest::newRow("9") << int(Qt::Key_9) << 57;
        QTest::newRow("Left") << int(Qt::Key_Left) << 37;
        QTest::newRow("Up") << int(Qt::Key_Up) << 38;
        QTest::newRow("Right") << int(Qt::Key_Right) << 39;
        QTest::newRow("Down") << int(Qt::Key_Down) << 40;
        QTest::newRow("Page Up") << int(Qt::Key_PageUp) << 33;
        QTest::newRow("Page Down") << int(Qt::Key_PageDown) << 34;
        QTest::newRow("Home") << int(Qt::Key_Home) << 36;
        QTest::newRow("End") << int(Qt::Key_End) << 35;
        QTest::newRow("no VB code") << int(Qt::Key_VolumeUp) << 0;
    }
    void codigosDeTeclaVB() {
        QFETCH(int, tecla);
        QFETCH(int, codigo);
        QCOMPARE(teclas::CodigoVB(tecla), codigo);
        const QKeyEvent e(QEvent::KeyPress, tecla, Qt::NoModifier);
        QCOMPARE(teclas::CodigoVB(&e), codigo);
    }

    void estadoDeMayusculasVB() {
        QCOMPARE(teclas::ShiftVB(Qt::NoModifier), 0);
        QCOMPARE(teclas::ShiftVB(Qt::ShiftModifier), 1);
        QCOMPARE(teclas::ShiftVB(Qt::ControlModifier), 2);
        QCOMPARE(teclas::ShiftVB(Qt::AltModifier), 4);
        QCOMPARE(teclas::ShiftVB(Qt::ShiftModifier | Qt::ControlModifier | Qt::KeypadModifier), 3);
    }

    void coloresEnOrdenAzulVerdeRojo_data() {
        QTest::addColumn<qlonglong>("valor");
        QTest::addColumn<QColor>("color");
        QTest::newRow("black") << 0LL << QColor(0, 0, 0);
        QTest::newRow("white background") << 16777215LL << QColor(255, 255, 255);
        QTest::newRow("red is the low byte") << 255LL << QColor(255, 0, 0);
        QTest::newRow("green") << 65280LL << QColor(0, 255, 0);
        QTest::newRow("blue is the high byte") << 16711680LL << QColor(0, 0, 255);
        QTest::newRow("cyan 16776960") << 16776960LL << QColor(0, 255, 255);
        QTest::newRow("yellow 65535") << 65535LL << QColor(255, 255, 0);
        QTest::newRow("mixed 0x00336699") << 0x336699LL << QColor(0x99, 0x66, 0x33);
    }
    void coloresEnOrdenAzulVerdeRojo() {
        QFETCH(qlonglong, valor);
        QFETCH(QColor, color);
        QCOMPARE(conv::ColorVB(static_cast<long>(valor)), color);
        QCOMPARE(static_cast<qlonglong>(conv::ValorVB(color)), valor);
    }

    void twipsYPixeles() {
        QCOMPARE(conv::kTwipsPorPixel, 15);
        QCOMPARE(conv::Pixeles(15), 1);
        QCOMPARE(conv::Pixeles(1440), 96);  // one inch at 96 dpi
        QCOMPARE(conv::Pixeles(0), 0);
        QCOMPARE(conv::Pixeles(7), 0);
        QCOMPARE(conv::Pixeles(8), 1);  // to the nearest pixel
        QCOMPARE(conv::Pixeles(-8), -1);
        QCOMPARE(conv::Twips(96), 1440.0);
        QCOMPARE(conv::Twips(-2), -30.0);
        for (int px : {0, 1, 7, 100, 1024}) QCOMPARE(conv::Pixeles(conv::Twips(px)), px);
    }
};

QTEST_MAIN(TstPlataformaQt)
#include "tst_plataformaqt.moc"
