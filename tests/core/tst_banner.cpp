#include "PlataformaGuion.h"
#include "core/Dll_Display.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

// The progress banner as a caller drives it.
class TstBanner : public QObject {
    Q_OBJECT

private slots:
    void soloLasLineasDadasCambian() {
        GuionInstalado g;
        Dll_Display d;
        d.CartelInicio(QStringLiteral("Conectando Base de Datos"), false);
        QVERIFY(d.Ventana());
        QCOMPARE(d.Ventana()->windowTitle(), QStringLiteral("Conectando Base de Datos"));
        QVERIFY(!d.Ventana()->CmdDisplayCancelar->isVisible());
        QVERIFY(d.Ventana()->windowOpacity() > 0.78 && d.Ventana()->windowOpacity() < 0.79);
        bool cancelado = true;
        d.CartelMostrar(cancelado, QStringLiteral("uno"), QStringLiteral("dos"), QStringLiteral("tres"));
        QVERIFY(!cancelado);
        d.CartelMostrar(cancelado, QVariant(), QStringLiteral("medio"));
        QCOMPARE(d.Ventana()->LblCtrol[0]->text(), QStringLiteral("uno"));
        QCOMPARE(d.Ventana()->LblCtrol[1]->text(), QStringLiteral("medio"));
        QCOMPARE(d.Ventana()->LblCtrol[2]->text(), QStringLiteral("tres"));
        QVERIFY(g->VecesProcesarEventos() >= 2);
        d.CartelCerrar();
        QVERIFY(!d.Ventana());
    }

    void cancelarQuedaRecordadoHastaCerrar() {
        GuionInstalado g;
        Dll_Display d;
        d.CartelInicio(QStringLiteral("Exportando"), true);
        QVERIFY(d.Ventana()->CmdDisplayCancelar->isVisible());
        QCOMPARE(d.Ventana()->CmdDisplayCancelar->text(), QStringLiteral("&Cancelar"));
        QTest::mouseClick(d.Ventana()->CmdDisplayCancelar, Qt::LeftButton);
        bool cancelado = false;
        d.CartelMostrar(cancelado);
        QVERIFY(cancelado);
        d.CartelMostrar(cancelado, QStringLiteral("sigue"));
        QVERIFY(cancelado);
        d.CartelCerrar();
        d.CartelInicio(QStringLiteral("Otra vez"), true);
        d.CartelMostrar(cancelado);
        QVERIFY(!cancelado);  // a fresh window after closing
        d.CartelCerrar();
    }

    void laAnimacionVuelveAlPrimerCuadroTrasDoce() {
        Lbf_CtrlDisplay v;
        QList<int> vistos;
        for (int i = 0; i < 13; ++i) {
            v.Tick();
            vistos << v.Cuadro();
        }
        QCOMPARE(vistos.mid(0, 12), (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
        QCOMPARE(vistos.last(), 1);
    }

    void cerrarSinAbrirNoHaceNada() {
        Dll_Display d;
        d.CartelCerrar();
        QVERIFY(!d.Ventana());
        bool c = true;
        d.CartelMostrar(c, QStringLiteral("x"));
        QVERIFY(!c);
    }
};

QTEST_MAIN(TstBanner)
#include "tst_banner.moc"
