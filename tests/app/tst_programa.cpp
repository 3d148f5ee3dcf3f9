// What every program of the project sets up before its first window.
#include "app/Programa.h"
#include "services/Plataforma.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QIcon>
#include <QPushButton>
#include <QtTest>

class TstPrograma : public QObject {
    Q_OBJECT

private slots:
    void titulosTalCualYDialogosDeQtEnCastellano() {
        PrepararPrograma(QStringLiteral("MA_POSICIONES"));
        QCOMPARE(plataforma().NombreEjecutable(), QStringLiteral("MA_POSICIONES"));
        // Qt appends a display name, when one is set, to every window title; none is set, so
        // each window and box shows exactly the title it is given.
        QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
        // Qt's own dialogs speak the program's language.
        QDialogButtonBox botones(QDialogButtonBox::Cancel | QDialogButtonBox::Save);
        QCOMPARE(botones.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')), QStringLiteral("Cancelar"));
        QCOMPARE(botones.button(QDialogButtonBox::Save)->text().remove(QLatin1Char('&')), QStringLiteral("Guardar"));
    }

    // The desktop finds the menu entry and the icon by this name; every window has the icon, drawn
    // sharp at any size (the SVG, not one small picture).
    void iconoYEntradaDeEscritorio() {
        PrepararPrograma(QStringLiteral("v_zormap_Diagrama"));
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("org.maposiciones.MaPosiciones"));
        const QIcon icono = QApplication::windowIcon();
        QVERIFY(!icono.isNull());
        QCOMPARE(icono.pixmap(QSize(256, 256)).size(), QSize(256, 256));
        QCOMPARE(icono.pixmap(QSize(16, 16), 2.0).size(), QSize(32, 32));
        QWidget ventana;
        QCOMPARE(ventana.windowIcon().cacheKey(), icono.cacheKey());
    }
};

QTEST_MAIN(TstPrograma)
#include "tst_programa.moc"
