// The program itself: built beside the editor, where the editor's "Diagrama" button looks for it,
// it starts from the command line the button gives it and logs its own entry.
#include "BaseTemporal.h"
#include "core/ParametrosInicio.h"

#include <sqlite3.h>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

class TstProgramaDiagrama : public QObject {
    Q_OBJECT

    static QString Formularios(const QString& archivo) {
        sqlite3* db = nullptr;
        QString r;
        if (sqlite3_open_v2(archivo.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            sqlite3_stmt* st = nullptr;
            if (sqlite3_prepare_v2(db, "SELECT group_concat(Formulario) FROM Control_Acceso", -1, &st, nullptr) == SQLITE_OK &&
                sqlite3_step(st) == SQLITE_ROW && sqlite3_column_type(st, 0) != SQLITE_NULL)
                r = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
            sqlite3_finalize(st);
        }
        sqlite3_close(db);
        return r;
    }

private slots:
    void arrancaDesdeLaCarpetaDelEditor() {
        BaseTemporal base;
        QVERIFY2(base.Valida(), qPrintable(base.Error()));
        const QString carpeta = QFileInfo(QStringLiteral(MP_EDITOR)).absolutePath() + QLatin1Char('/');
        const QString comando = inicio::ComandoMenuExes(
            QStringLiteral("shell:v_zormap_Diagrama"), carpeta,
            inicio::CadenaMenuExes(QStringLiteral("SQLITE"), QStringLiteral("DEMO"), QStringLiteral("DEMO"),
                                   QStringLiteral("demo"), QString(), QStringLiteral("1")));
        const int blanco = static_cast<int>(comando.indexOf(QLatin1Char(' ')));
        const QString programa = comando.left(blanco);
        QVERIFY2(QFileInfo(programa).isExecutable(), qPrintable(programa));

        QProcess p;
        QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
        entorno.insert(QStringLiteral("MA_POSICIONES_CARPETA"), base.Carpeta());
        entorno.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        entorno.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        p.setProcessEnvironment(entorno);
        p.start(programa, {comando.mid(blanco + 1)});
        QVERIFY(p.waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(Formularios(base.Archivo()), QStringLiteral("V_ZORMAP_DIAGRAMA"), 120000);
        QCOMPARE(p.state(), QProcess::Running);
        p.kill();
        p.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TstProgramaDiagrama)
#include "tst_programadiagrama.moc"
