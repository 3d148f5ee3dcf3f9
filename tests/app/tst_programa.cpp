// What every program of the project sets up before its first window.
#include "app/Programa.h"
#include "services/Plataforma.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
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
};

QTEST_MAIN(TstPrograma)
#include "tst_programa.moc"
