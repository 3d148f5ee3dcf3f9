#include "PlataformaGuion.h"
#include "SesionPrueba.h"
#include "core/Dll_Display.h"
#include "core/LectorBase.h"
#include "services/ExportaPlanilla.h"
#include "services/LectorFilas.h"

#include <QDir>
#include <QTemporaryDir>

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

    // The spreadsheet export through the program's own reader shows its progress in the banner,
    // and the banner's cancel button stops it without leaving a file behind.
    void laExportacionMuestraSuAvanceYSeCancelaDesdeElCartel() {
        SesionPrueba s;
        InstalarLectorFilas();
        InstalarProgresoExportacion();
        // Wrap the installed hooks to see what the banner showed, and to press its button.
        ExportaPlanilla::Progreso instalado = ExportaPlanilla::instancia().EstablecerProgreso({});
        QStringList lineas;
        bool pulsar = false;
        ExportaPlanilla::Progreso espia = instalado;
        bool siempreVisible = true;
        espia.avance = [&](qint64 h, qint64 t) {
            siempreVisible = siempreVisible && gDisplay().Ventana() && gDisplay().Ventana()->isVisible();
            if (pulsar) QTest::mouseClick(gDisplay().Ventana()->CmdDisplayCancelar, Qt::LeftButton);
            const bool seguir = instalado.avance(h, t);
            lineas << gDisplay().Ventana()->LblCtrol[1]->text();
            return seguir;
        };
        ExportaPlanilla::instancia().EstablecerProgreso(espia);

        QTemporaryDir dir;
        const QString total = QString::number(s.Contar(QStringLiteral("MA_POSICIONES")));
        const QString entero = dir.filePath(QStringLiteral("LayOut.xlsx"));
        QString error;
        QCOMPARE(
            ExportaPlanilla::instancia().ExportarA(QStringLiteral("MA_POSICIONES"), QStringLiteral("LayOut"), entero, &error),
            ExportaPlanilla::Resultado::Escrito);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(QFileInfo(entero).size() > 0);
        QVERIFY(siempreVisible);
        QCOMPARE(lineas.first(), QStringLiteral("500 de %1 filas").arg(total));
        QCOMPARE(lineas.last(), QStringLiteral("%1 de %1 filas").arg(total));
        QVERIFY(!gDisplay().Ventana());  // closed at the end

        pulsar = true;
        lineas.clear();
        const QString cancelado = dir.filePath(QStringLiteral("Cancelado.xlsx"));
        QCOMPARE(
            ExportaPlanilla::instancia().ExportarA(QStringLiteral("MA_POSICIONES"), QStringLiteral("LayOut"), cancelado, &error),
            ExportaPlanilla::Resultado::Cancelado);
        QCOMPARE(lineas.size(), 1);
        QVERIFY(!QFile::exists(cancelado));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("LayOut.xlsx")});
        QVERIFY(!gDisplay().Ventana());

        ExportaPlanilla::instancia().EstablecerProgreso({});
        EstablecerLectorFilas({});
        EstablecerRecorridoFilas({});
    }
};

QTEST_MAIN(TstBanner)
#include "tst_banner.moc"
