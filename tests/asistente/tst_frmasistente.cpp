#include "SesionPrueba.h"
#include "asistente/FrmAsistente.h"
#include "core/Login.h"
#include "db/DB_Dll.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QtTest>

using namespace asistente;

// The wizard's window driven as the operator drives it, on the demo database (levels 2, 2, 2;
// warehouse "   1" holds aisles 01..08).
class TstFrmAsistente : public QObject {
    Q_OBJECT

    std::unique_ptr<FrmAsistente> Abrir() {
        auto w = std::make_unique<FrmAsistente>(false);
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w.get())) qWarning("la ventana no quedo activa");
        return w;
    }
    static void Escribir(QLineEdit* campo, const QString& texto) {
        campo->setFocus();
        campo->selectAll();
        QTest::keyClick(campo, Qt::Key_Delete);
        QTest::keyClicks(campo, texto);
    }
    static void Rango(FrmAsistente& w, int nivel, const char* desde, const char* hasta) {
        Escribir(w.Niveles[nivel - 1].desde, QString::fromLatin1(desde));
        Escribir(w.Niveles[nivel - 1].hasta, QString::fromLatin1(hasta));
    }
    // An Alt letter, typed where the focus is; a button's letter clicks it a moment later, as on a
    // desktop.
    static void Atajo(Qt::Key tecla) {
        QWidget* foco = QApplication::focusWidget();
        QVERIFY(foco);
        QTest::keyClick(foco, tecla, Qt::AltModifier);
        QTest::qWait(300);
    }
    // Screenshots for whoever looks at the window (MP_CAPTURAS names a folder).
    static void Captura(QWidget& w, const char* nombre) {
        const QString carpeta = qEnvironmentVariable("MP_CAPTURAS");
        if (!carpeta.isEmpty()) w.grab().save(carpeta + QLatin1Char('/') + QString::fromLatin1(nombre));
    }

private slots:
    void porRangosDeLaVistaPreviaALaBase() {
        SesionPrueba s;
        auto w = Abrir();
        QCOMPARE(w->windowTitle(), QStringLiteral("Asistente de Layout"));
        QCOMPARE(w->Deposito(), QStringLiteral("   1"));
        QCOMPARE(w->Niveles[0].nombre->text(), QStringLiteral("Calle (2)"));
        QCOMPARE(w->SpnNiveles->value(), 3);
        QVERIFY(w->Niveles[0].titulo->isChecked() && w->Niveles[1].titulo->isChecked() && !w->Niveles[2].titulo->isChecked());
        QVERIFY(!w->Niveles[3].desde->isVisible());
        QCOMPARE(QApplication::focusWidget(), w->Niveles[0].desde);
        // Aisle 08 exists with its 12 positions; 09 does not.
        Rango(*w, 1, "08", "09");
        Rango(*w, 2, "11", "13");
        Rango(*w, 3, "01", "02");
        Escribir(w->TxtUnidad, QStringLiteral("CJ"));
        QTest::keyClick(w->TxtUnidad, Qt::Key_Tab);
        QCOMPARE(w->LblUnidad->text(), QStringLiteral("Caja"));
        Escribir(w->TxtCapacidad, QStringLiteral("40"));
        Atajo(Qt::Key_V);
        QVERIFY2(w->Plan(), qPrintable(w->LblResumen->text()));
        // 09, 0911..0913, 6 levels under them; 0813 and its 2 levels; 0811, 0812 and 4 levels exist.
        QCOMPARE(w->Plan()->Cantidad(Estado::Nueva), 1 + 3 + 6 + 1 + 2);
        QCOMPARE(w->Plan()->Cantidad(Estado::SinCambios) + w->Plan()->Cantidad(Estado::Cambiada), 7);
        QVERIFY(w->LblResumen->text().startsWith(QStringLiteral("Nuevas: 13 · ")));
        const QModelIndex nueva = w->ModeloArbol->IndiceDeClave(QStringLiteral("A091101"));
        QVERIFY(nueva.isValid());
        QCOMPARE(w->ModeloArbol->Marca(nueva), Estado::Nueva);
        QCOMPARE(nueva.data().toString(), QStringLiteral("091101 - Nivel 1   (nueva)"));
        QVERIFY(nueva.data(Qt::FontRole).value<QFont>().bold());
        QCOMPARE(w->ModeloArbol->Marca(w->ModeloArbol->IndiceDeClave(QStringLiteral("A0811"))), Estado::SinCambios);
        QCOMPARE(w->ModeloArbol->CantidadNodos(), 1 + s.Contar(QStringLiteral("MA_POSICIONES WHERE IdDeposito = '   1'")) + 13);
        Captura(*w, "asistente_rangos.png");
        if (!qEnvironmentVariableIsEmpty("MP_CAPTURAS")) {
            // The smallest size the window allows, and a dark desktop palette.
            const QSize antes = w->size();
            w->resize(w->minimumSize());
            QApplication::processEvents();
            Captura(*w, "asistente_chico.png");
            w->resize(antes);
            const QPalette claro = QApplication::palette();
            QPalette oscuro;
            oscuro.setColor(QPalette::Window, QColor(45, 45, 45));
            oscuro.setColor(QPalette::WindowText, QColor(220, 220, 220));
            oscuro.setColor(QPalette::Base, QColor(30, 30, 30));
            oscuro.setColor(QPalette::Text, QColor(220, 220, 220));
            oscuro.setColor(QPalette::Button, QColor(53, 53, 53));
            oscuro.setColor(QPalette::ButtonText, QColor(220, 220, 220));
            oscuro.setColor(QPalette::Link, QColor(120, 170, 255));
            oscuro.setColor(QPalette::LinkVisited, QColor(200, 150, 255));
            QApplication::setPalette(oscuro);
            QApplication::processEvents();
            Captura(*w, "asistente_oscuro.png");
            QApplication::setPalette(claro);
        }
        QAbstractItemModelTester probador(w->ModeloArbol, QAbstractItemModelTester::FailureReportingMode::QtTest);

        const int antes = s.Contar(QStringLiteral("MA_POSICIONES"));
        s.guion().ResponderMsgBox(vb::OK, QStringLiteral("se crearon 13 posiciones"));
        QTest::mouseClick(w->CmdCrear, Qt::LeftButton);
        QCOMPARE(s.guion().UltimaCaja().texto, QStringLiteral("Deposito Central: se crearon 13 posiciones."));
        QCOMPARE(s.guion().UltimaCaja().titulo, QStringLiteral("Asistente de Layout"));
        QCOMPARE(s.Contar(QStringLiteral("MA_POSICIONES")), antes + 13);
        QCOMPARE(s.Sql(QStringLiteral("SELECT Descripcion||'|'||Capacidad||'|'||IdUnidad||'|'||Titulo FROM MA_POSICIONES "
                                      "WHERE IdDeposito = '   1' AND IdPosicion = '091302'")),
                 QStringLiteral("Nivel 2|40|CJ|0"));
        QCOMPARE(s.Sql(QStringLiteral(
                     "SELECT Descripcion||'|'||Titulo FROM MA_POSICIONES WHERE IdDeposito = '   1' AND IdPosicion = '0913'")),
                 QStringLiteral("Posicion 13|1"));
        QVERIFY(!w->CmdCrear->isEnabled());
    }

    // The positions of the ranges are made and checked behind the banner; a cancel there leaves no
    // job to create.
    void cancelarLaVistaPreviaNoDejaTrabajo() {
        SesionPrueba s;
        auto w = Abrir();
        Rango(*w, 1, "11", "19");
        Rango(*w, 2, "01", "99");
        Rango(*w, 3, "01", "03");  // 9 + 891 + 2,673 positions: the banner hears of them
        Escribir(w->TxtUnidad, QStringLiteral("CJ"));
        CancelarElCartel(w.get());
        Atajo(Qt::Key_V);
        QCOMPARE(w->LblResumen->text(), QStringLiteral("Vista previa cancelada."));
        QVERIFY(!w->Plan() && !w->CmdCrear->isEnabled());
        QCOMPARE(w->ModeloArbol->CantidadNodos(), 0);
    }

    void losMensajesAntesDeLaVistaPrevia() {
        SesionPrueba s;
        auto w = Abrir();
        Rango(*w, 1, "05", "03");
        s.guion().ResponderMsgBox(vb::OK);
        QTest::mouseClick(w->CmdVistaPrevia, Qt::LeftButton);
        QCOMPARE(s.guion().UltimaCaja().texto, QStringLiteral("El hasta del nivel Calle (03) es anterior al desde (05)."));
        QCOMPARE(s.guion().UltimaCaja().titulo, QStringLiteral("Aviso al operador..."));
        QCOMPARE(w->ModeloArbol->CantidadNodos(), 0);
        Rango(*w, 1, "01", "01");
        Escribir(w->TxtUnidad, QStringLiteral("X'Y"));
        s.guion().ResponderMsgBox(vb::OK);
        QTest::mouseClick(w->CmdVistaPrevia, Qt::LeftButton);
        QCOMPARE(s.guion().UltimaCaja().texto, QStringLiteral(" Codigo de Unidad Inexistente! (IDUNIDAD \"X'Y\")"));
        QCOMPARE(s.guion().UltimaCaja().estilo, vb::Critical);
        QCOMPARE(QApplication::focusWidget(), w->TxtUnidad);
        QVERIFY(!w->Plan());
    }

    void desdeUnaPlanillaConFilasRechazadas() {
        SesionPrueba s;
        auto w = Abrir();
        const QString csv = s.base().Carpeta() + QStringLiteral("/nuevas.csv");
        QFile f(csv);
        f.open(QIODevice::WriteOnly);
        f.write(
            "IdPosicion;Descripcion;IDUNIDAD;Iddeposito\r\n"
            "0901;Posicion \"A\" 100%;;   1\r\n"
            "090101;Nivel_1 [x];UN;1\r\n"
            "090102;Nivel 2;NOEXISTE;1\r\n"
            "0801;Otra descripcion;;1\r\n"
            "090103;De otro;UN;2\r\n");
        f.close();
        Atajo(Qt::Key_P);
        QCOMPARE(w->Paginas->currentIndex(), 1);
        Escribir(w->TxtArchivo, csv);
        Atajo(Qt::Key_V);
        QVERIFY(w->Plan());
        QCOMPARE(w->Plan()->Cantidad(Estado::Nueva), 3);  // 09 added as a heading
        QCOMPARE(w->Plan()->Cantidad(Estado::Cambiada), 1);
        QCOMPARE(w->Plan()->Cantidad(Estado::Rechazada), 2);
        // One heading added: the count and its noun agree.
        QVERIFY2(w->LblResumen->text().startsWith(QStringLiteral("Nuevas: 3 (1 titulo que faltaba) · ")),
                 qPrintable(w->LblResumen->text()));
        QCOMPARE(w->Rechazos->rowCount(), 2);
        QCOMPARE(w->Rechazos->index(0, 0).data().toInt(), 4);
        QCOMPARE(w->Rechazos->index(0, 2).data().toString(),
                 QStringLiteral("Codigo de Unidad Inexistente! (IDUNIDAD \"NOEXISTE\")"));
        QCOMPARE(w->Rechazos->index(1, 2).data().toString(),
                 QStringLiteral("es del deposito \"2\", no del deposito elegido \"1\""));
        QAbstractItemModelTester probador(w->Rechazos, QAbstractItemModelTester::FailureReportingMode::QtTest);
        Captura(*w, "asistente_planilla.png");

        const QString rechazos = s.base().Carpeta() + QStringLiteral("/rechazos.csv");
        s.guion().ResponderArchivo(rechazos);
        Atajo(Qt::Key_Z);
        QFile r(rechazos);
        QVERIFY(r.open(QIODevice::ReadOnly));
        const QByteArray guardado = r.readAll();
        QVERIFY(guardado.startsWith("\xEF\xBB\xBF"));  // UTF-8 with its mark, for the spreadsheet
        QCOMPARE(QString::fromUtf8(guardado.mid(3)),
                 QStringLiteral("Linea;IdPosicion;Motivo\r\n"
                                "4;090102;\"Codigo de Unidad Inexistente! (IDUNIDAD \"\"NOEXISTE\"\")\"\r\n"
                                "6;090103;\"es del deposito \"\"2\"\", no del deposito elegido \"\"1\"\"\"\r\n"));

        s.guion().ResponderMsgBox(vb::Yes, QStringLiteral("Se rechazaron 2 filas"));
        s.guion().ResponderMsgBox(vb::OK, QStringLiteral("se crearon 3 posiciones"));
        Atajo(Qt::Key_C);
        QCOMPARE(s.Sql(QStringLiteral(
                     "SELECT Descripcion||'|'||Titulo FROM MA_POSICIONES WHERE IdDeposito='   1' AND IdPosicion='0901'")),
                 QStringLiteral("Posicion \"A\" 100%|1"));
        QCOMPARE(s.Sql(QStringLiteral("SELECT Descripcion||'|'||IdUnidad||'|'||Titulo FROM MA_POSICIONES WHERE IdDeposito='   1' "
                                      "AND IdPosicion='090101'")),
                 QStringLiteral("Nivel_1 [x]|UN|0"));
        QCOMPARE(s.Sql(QStringLiteral("SELECT Descripcion FROM MA_POSICIONES WHERE IdDeposito='   1' AND IdPosicion='09'")),
                 QStringLiteral("Calle 09"));
        // Not asked to update: the existing position keeps its description.
        QCOMPARE(s.Sql(QStringLiteral("SELECT Descripcion FROM MA_POSICIONES WHERE IdDeposito='   1' AND IdPosicion='0801'")),
                 QStringLiteral("Posicion 01"));
        QCOMPARE(s.Contar(QStringLiteral("MA_POSICIONES WHERE IdPosicion LIKE '09%'")), 3);
    }

    void teclasEntradaYSalida() {
        SesionPrueba s;
        s.guion().ejecutable = QStringLiteral("v_zormap_asistente");
        RegistraIngreso(QString());
        QCOMPARE(s.Sql(QStringLiteral("SELECT Formulario FROM Control_Acceso ORDER BY id DESC LIMIT 1")),
                 QStringLiteral("V_ZORMAP_ASISTENTE"));
        auto w = Abrir();
        // Every Alt letter of the window is used once.
        QMap<QChar, QString> letras;
        auto anotar = [&](const QString& texto) {
            const int i = texto.indexOf(QLatin1Char('&'));
            if (i < 0 || i + 1 >= texto.size()) return;
            const QChar c = texto[i + 1].toLower();
            QVERIFY2(!letras.contains(c), qPrintable(QStringLiteral("%1 y %2").arg(letras.value(c), texto)));
            letras.insert(c, texto);
        };
        for (QLabel* l : w->findChildren<QLabel*>()) anotar(l->text());
        for (QAbstractButton* b : w->findChildren<QAbstractButton*>()) anotar(b->text());
        for (int i = 0; i < w->Paginas->count(); ++i) anotar(w->Paginas->tabText(i));
        QVERIFY(letras.size() >= 15);
        // Tab goes from the first range on through the row of the level.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w->Niveles[0].hasta);
        QCOMPARE(s.Contar(QStringLiteral("Control_Acceso WHERE Egreso IS NULL")), 1);
        QVERIFY_THROWS_EXCEPTION(ProgramaTerminado, w->Form_Unload());
        QCOMPARE(s.Contar(QStringLiteral("Control_Acceso WHERE Egreso IS NULL")), 0);
    }
};

QTEST_MAIN(TstFrmAsistente)
#include "tst_frmasistente.moc"
