// The list lookup window driven offscreen: columns, typed search, F5, list keys, quantities,
// stock colours, the shortage report, accept and sorting.
#include "SesionPrueba.h"
#include "db/DB_Dll.h"
#include "lookup/Lib_FrmCons3.h"
#include "services/Conversiones.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QFile>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>
#include <QtTest>

class TstLibFrmCons3 : public QObject {
    Q_OBJECT

    // A window on the statement, loaded and shown as the engine shows it.
    static std::unique_ptr<Lib_FrmCons3> Ventana(const QString& sql, bool mostrar = true) {
        auto w = std::make_unique<Lib_FrmCons3>();
        w->Sql = sql;
        new QAbstractItemModelTester(w->modelo(), QAbstractItemModelTester::FailureReportingMode::QtTest, w.get());
        if (mostrar) {
            w->show();
            w->activateWindow();
            QCoreApplication::processEvents();
        } else {
            w->Cargar();
        }
        return w;
    }
    static int Seleccionada(Lib_FrmCons3& w) {
        const auto s = w.ListView1->selectionModel()->selectedRows();
        return s.isEmpty() ? -1 : s.first().row();
    }
    static QLineEdit* Caja(Lib_FrmCons3& w, int i) { return w.CmbSearch(i)->lineEdit(); }

    void Articulos(SesionPrueba& s) {
        s.Sql(QStringLiteral("DELETE FROM MA_ARTICULOS"));
        s.Sql(
            QStringLiteral("INSERT INTO MA_ARTICULOS (IdArticulo, Descripcion, PUNTOPEDIDO, Stock, SUSPENDIDO) VALUES "
                           "('A1', 'Tornillo fino', 0, 5, 0), ('A2', 'Tuerca', 10, 20, 0), ('A3', 'Arandela', 10, 5, 0),"
                           "('A4', 'Perno', 10, 10.00, 0), ('A5', 'Clavo', 0, 0, 0), ('A6', 'Fleje O''Hara', -1, 3, 0)"));
    }

private slots:
    // Nothing is cut or covered: every code of the unit table and every header fits its column,
    // and each button lies inside the window, clear of the list and of its scroll bar, at the
    // default size and after resizing.
    void nadaQuedaCortadoNiTapado() {
        SesionPrueba s;
        auto w = Ventana(QStringLiteral("select DESCRIPCION,IDunidad from V_ta_unidad "));
        const QFontMetrics filas(w->ListView1->font()), cabecera(w->ListView1->header()->font());
        QCOMPARE(w->modelo()->rowCount(), s.Contar(QStringLiteral("V_TA_UNIDAD")));
        for (int c = 0; c < 2; ++c) {
            const int ancho = w->ListView1->header()->sectionSize(c);
            QVERIFY2(cabecera.horizontalAdvance(w->ListView1->model()->headerData(c, Qt::Horizontal).toString()) < ancho,
                     qPrintable(QString::number(c)));
            for (int f = 0; f < w->modelo()->rowCount(); ++f) {
                const QString texto = w->modelo()->index(f, c).data().toString();
                QVERIFY2(filas.horizontalAdvance(texto) + 6 <= ancho, qPrintable(texto));
            }
        }
        auto enVentana = [&w](QWidget* c) { return QRect(c->mapTo(w.get(), QPoint(0, 0)), c->size()); };
        for (const QSize tamano : {QSize(), QSize(300, 250), QSize(1100, 700)}) {
            if (tamano.isValid()) w->resize(tamano);
            QCoreApplication::processEvents();
            const QRect lista = enVentana(w->ListView1), barra = enVentana(w->HScroll1);
            for (QPushButton* b : w->findChildren<QPushButton*>()) {
                if (!b->isVisible()) continue;
                const QRect r = enVentana(b);
                QVERIFY2(w->rect().contains(r), qPrintable(b->text()));
                QVERIFY2(!r.intersects(lista) && !r.intersects(barra), qPrintable(b->text()));
                QVERIFY2(r.width() >= b->sizeHint().width(), qPrintable(b->text()));
                for (QPushButton* otro : w->findChildren<QPushButton*>())
                    if (otro != b && otro->isVisible())
                        QVERIFY2(!r.intersects(enVentana(otro)), qPrintable(b->text() + otro->text()));
            }
            QVERIFY(!barra.intersects(lista));
        }
    }

    void anchosDeColumnaPorTamanoDeCampo() {
        SesionPrueba s;
        s.Sql(
            QStringLiteral("CREATE TABLE T_ANCHOS (NOMBRE varchar(40), IMPORTE money, CANT decimal(10,2), NOTAS varchar(100))"));
        s.Sql(QStringLiteral("INSERT INTO T_ANCHOS VALUES ('uno', 1.5, 2, 'x')"));
        for (const bool diez : {false, true}) {
            auto w = std::make_unique<Lib_FrmCons3>();
            w->Sql = QStringLiteral("SELECT NOMBRE, IMPORTE, CANT, NOTAS FROM T_ANCHOS");
            if (diez) w->ValoresDefault = QStringLiteral("@10");
            w->Cargar();
            const QVector<int> esperado = diez ? QVector<int>{50, 22, 22, 70} : QVector<int>{40, 12, 12, 60};
            // Measured in the rows' own (bold) font: the characters of the rule always fit.
            const QFontMetrics fm(w->ListView1->font());
            QVERIFY(w->ListView1->font().bold());
            for (int i = 0; i < 4; ++i) {
                QCOMPARE(w->CaracteresColumna(i), esperado.at(i));
                QVERIFY(w->AnchoColumna(i) > conv::Twips(fm.horizontalAdvance(QString(esperado.at(i), QLatin1Char('X')))));
                QCOMPARE(w->ListView1->header()->sectionSize(i), conv::Pixeles(w->AnchoColumna(i)));
            }
            // One search box per column, each tagged with its field.
            QCOMPARE(w->CajasCount(), 4);
            QCOMPARE(w->CmbSearch(3)->property("Tag").toString(), QStringLiteral("NOTAS"));
            QCOMPARE(w->CmbSearch(3)->objectName(), QStringLiteral("CmbSearch_3"));
            QCOMPARE(w->TablaConsulta, QStringLiteral("T_ANCHOS"));
        }
    }

    void encabezadosDePrecios() {
        SesionPrueba s;
        s.Sql(QStringLiteral(
            "INSERT OR REPLACE INTO TA_CONFIGURACION (Grupo, Clave, Valor) VALUES ('G', 'NOM_PCLASE2', 'Mayorista')"));
        auto w = Ventana(QStringLiteral("SELECT IdArticulo, PRECIO2 FROM V_MA_ARTICULOS"), false);
        QCOMPARE(w->modelo()->Encabezados(), (QStringList{QStringLiteral("IdArticulo"), QStringLiteral("Mayorista")}));
        // No price names and no "@10" on other views.
        auto v = std::make_unique<Lib_FrmCons3>();
        v->Sql = QStringLiteral("SELECT IdArticulo, PRECIO2 FROM VT_MA_ARTICULOS");
        v->ValoresDefault = QStringLiteral("@10");
        v->Cargar();
        QCOMPARE(v->modelo()->Encabezados().at(1), QStringLiteral("PRECIO2"));
        QCOMPARE(v->CaracteresColumna(1), 22);
    }

    void busquedaEscritaSinConsulta() {
        SesionPrueba s;
        Articulos(s);
        auto w = Ventana(QStringLiteral("SELECT Descripcion, IdArticulo FROM VT_MA_ARTICULOS ORDER BY IdArticulo"));
        QCOMPARE(w->modelo()->FilaCount(), 6);
        QTest::keyClicks(Caja(*w, 0), QStringLiteral("TU"));
        QCOMPARE(w->modelo()->Texto(Seleccionada(*w), 0), QStringLiteral("Tuerca"));
        // No match: the selection stays.
        QTest::keyClicks(Caja(*w, 0), QStringLiteral("zz"));
        QCOMPARE(w->modelo()->Texto(Seleccionada(*w), 0), QStringLiteral("Tuerca"));
        // Box 1 searches the second column.
        QTest::keyClicks(Caja(*w, 1), QStringLiteral("a3"));
        QCOMPARE(w->modelo()->Texto(Seleccionada(*w), 0), QStringLiteral("Arandela"));
        QCOMPARE(w->Busqueda(1, QStringLiteral("a5")), 5);
        QCOMPARE(w->Busqueda(0, QStringLiteral("nada")), 0);
        QCOMPARE(w->IndiceColumna(QStringLiteral(" idarticulo ")), 2);
        QCOMPARE(w->IndiceColumna(QStringLiteral("otra")), 0);
    }

    void tecladoPrimero() {
        SesionPrueba s;
        Articulos(s);
        auto w = Ventana(QStringLiteral("SELECT Descripcion, IdArticulo FROM VT_MA_ARTICULOS ORDER BY IdArticulo"));
        QTRY_VERIFY(QApplication::focusWidget() == w->CmbSearch(0) || QApplication::focusWidget() == Caja(*w, 0));
        QTest::keyClick(Caja(*w, 0), Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->ListView1));
        // Typing on the list goes on in the search box.
        QTest::keyClick(w->ListView1, Qt::Key_P, Qt::NoModifier);
        QCOMPARE(w->CmbSearch(0)->currentText(), QStringLiteral("p"));
        QCOMPARE(w->modelo()->Texto(Seleccionada(*w), 0), QStringLiteral("Perno"));
        QTest::keyClick(Caja(*w, 0), Qt::Key_Down);
        QTest::keyClick(w->ListView1, Qt::Key_Backspace);
        QCOMPARE(w->CmbSearch(0)->currentText(), QString());
        w->CampoDevuelto = QStringLiteral("IdArticulo");
        QTest::keyClicks(Caja(*w, 0), QStringLiteral("cla"));
        QTest::keyClick(Caja(*w, 0), Qt::Key_Return);
        QVERIFY(!w->isVisible());
        QCOMPARE(w->ValorDevuelto, QStringLiteral("A5"));
    }

    void f5SinLike() {
        SesionPrueba s;
        Articulos(s);
        auto w = Ventana(
            QStringLiteral("SELECT Descripcion, IdArticulo FROM VT_MA_ARTICULOS WHERE SUSPENDIDO = 0 ORDER BY Descripcion"));
        QTest::keyClicks(Caja(*w, 0), QStringLiteral("t*o"));
        QTest::keyClick(Caja(*w, 0), Qt::Key_F5);
        QCOMPARE(w->Sql, QStringLiteral(" SELECT Descripcion, IdArticulo FROM VT_MA_ARTICULOS WHERE SUSPENDIDO = 0  and "
                                        "Descripcion like 't%o%' ORDER BY Descripcion"));
        QCOMPARE(w->modelo()->FilaCount(), 1);
        QCOMPARE(w->modelo()->Texto(0, 0), QStringLiteral("Tornillo fino"));
        QCOMPARE(w->CmbSearch(0)->currentText(), QString());
        // Conditions accumulate until "&Nueva Busqueda".
        QTest::keyClicks(Caja(*w, 1), QStringLiteral("A"));
        QTest::keyClick(Caja(*w, 1), Qt::Key_F5);
        QCOMPARE(w->Sql, QStringLiteral(" SELECT Descripcion, IdArticulo FROM VT_MA_ARTICULOS WHERE SUSPENDIDO = 0  and "
                                        "Descripcion like 't%o%'  and IdArticulo like 'A%' ORDER BY Descripcion"));
        QTest::mouseClick(w->CmdNueva, Qt::LeftButton);
        QCOMPARE(w->Sql, w->SqlInicial);
        QCOMPARE(w->modelo()->FilaCount(), 6);
    }

    void f5ConLike() {
        SesionPrueba s;
        Articulos(s);
        auto w = std::make_unique<Lib_FrmCons3>();
        w->CfgUsaConsultaLIKE = true;
        w->Sql = QStringLiteral("select IdArticulo, Descripcion from V_MA_ARTICULOS");
        w->show();
        QCoreApplication::processEvents();
        QTest::keyClicks(Caja(*w, 1), QStringLiteral("tor fi"));
        QTest::keyClick(Caja(*w, 1), Qt::Key_F5);
        QCOMPARE(w->Sql,
                 QStringLiteral(
                     " select IdArticulo, Descripcion from V_MA_ARTICULOS where v_ma_articulos.Descripcion like '%tor%fi%' "));
        QCOMPARE(w->modelo()->FilaCount(), 1);
    }

    // What an earlier search wrote inside its literal is never taken for a clause: a search for
    // "order by" followed by one that reads like SQL finds rows, it runs nothing else.
    void f5NuncaSacaLoEscritoDeSuLiteral() {
        SesionPrueba s;
        const int posiciones = s.Contar(QStringLiteral("MA_POSICIONES"));
        auto w = Ventana(QStringLiteral("select DESCRIPCION,IDunidad from V_ta_unidad "));
        QTest::keyClicks(Caja(*w, 0), QStringLiteral("order by"));
        QTest::keyClick(Caja(*w, 0), Qt::Key_F5);
        QTest::keyClicks(Caja(*w, 0), QStringLiteral(" OR 1=1; DELETE FROM MA_POSICIONES; --"));
        QTest::keyClick(Caja(*w, 0), Qt::Key_F5);
        QCOMPARE(w->Sql, QStringLiteral(" select DESCRIPCION,IDunidad from V_ta_unidad  where DESCRIPCION like 'order by%'  and "
                                        "DESCRIPCION like ' OR 1=1; DELETE FROM MA_POSICIONES; --%' "));
        QCOMPARE(w->modelo()->FilaCount(), 0);
        QCOMPARE(s.Contar(QStringLiteral("MA_POSICIONES")), posiciones);
        QCOMPARE(s.guion().Cajas().size(), 0);
    }

    void f5ConComillaNoRompeLaSentencia() {
        SesionPrueba s;
        Articulos(s);
        auto w = Ventana(QStringLiteral("SELECT Descripcion, IdArticulo FROM VT_MA_ARTICULOS ORDER BY Descripcion"));
        QTest::keyClicks(Caja(*w, 0), QStringLiteral("Fleje O'Ha' OR ''='"));
        QTest::keyClick(Caja(*w, 0), Qt::Key_F5);
        QCOMPARE(w->Sql, QStringLiteral(" SELECT Descripcion, IdArticulo FROM VT_MA_ARTICULOS  where Descripcion like 'Fleje OHa "
                                        "OR =%' ORDER BY Descripcion"));
        QCOMPARE(w->modelo()->FilaCount(), 0);
        QCOMPARE(s.guion().Cajas().size(), 0);
    }

    void teclasDeCantidad() {
        SesionPrueba s;
        Articulos(s);
        auto w = std::make_unique<Lib_FrmCons3>();
        w->CheckBoxes = true;
        w->UsaCantidades = true;
        w->Sql = QStringLiteral("SELECT IdArticulo, '1' AS [**Cantidad**] FROM VT_MA_ARTICULOS ORDER BY IdArticulo");
        new QAbstractItemModelTester(w->modelo(), QAbstractItemModelTester::FailureReportingMode::QtTest, w.get());
        w->show();
        QCoreApplication::processEvents();
        w->ListView1->setCurrentIndex(w->modelo()->index(0, 0));
        QTest::keyClick(w->ListView1, Qt::Key_Delete);
        QCOMPARE(w->modelo()->Texto(0, 1), QStringLiteral("0.00"));
        QCOMPARE(w->modelo()->FilaEn(0).marca, Qt::Unchecked);
        QTest::keyClick(w->ListView1, Qt::Key_Insert);
        QCOMPARE(w->modelo()->Texto(0, 1), QStringLiteral("1.0"));
        QCOMPARE(w->modelo()->FilaEn(0).marca, Qt::Checked);
        QTest::keyClick(w->ListView1, Qt::Key_Insert);
        QCOMPARE(w->modelo()->Texto(0, 1), QStringLiteral("2.0"));
        // Quantity entry cancelled: 0.00 and checked.
        w->ListView1->setCurrentIndex(w->modelo()->index(1, 0));
        s.guion().ResponderInputBox(std::nullopt);
        QTest::keyClick(w->ListView1, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(s.guion().UltimaCaja().texto, QStringLiteral("Ingrese la Cantidad del Articulo..."));
        QCOMPARE(s.guion().UltimaCaja().titulo, QStringLiteral("Carga de Datos"));
        QCOMPARE(w->modelo()->Texto(1, 1), QStringLiteral("0.00"));
        QCOMPARE(w->modelo()->FilaEn(1).marca, Qt::Checked);
        s.guion().ResponderInputBox(QStringLiteral("12.5"));
        QTest::keyClick(w->ListView1, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(w->modelo()->Texto(1, 1), QStringLiteral("12.50"));
        // Accept in check mode returns the checked rows.
        w->CampoDevuelto.clear();
        QTest::keyClick(w->ListView1, Qt::Key_Return);
        QCOMPARE(*w->Valores, (QStringList{QStringLiteral("A1"), QStringLiteral("A2")}));
    }

    void cantidadSinColumnaSeInforma() {
        SesionPrueba s;
        Articulos(s);
        auto w = std::make_unique<Lib_FrmCons3>();
        w->UsaCantidades = true;
        w->Sql = QStringLiteral("SELECT IdArticulo FROM VT_MA_ARTICULOS");
        w->show();
        QCoreApplication::processEvents();
        w->ListView1->setCurrentIndex(w->modelo()->index(0, 0));
        s.guion().ResponderMsgBox(vb::Abort);
        QTest::keyClick(w->ListView1, Qt::Key_Insert);
        QVERIFY(s.guion().UltimaCaja().titulo.contains(QStringLiteral("ListView1_KeyDown")));
    }

    void coloresDeStock() {
        SesionPrueba s;
        Articulos(s);
        auto w = std::make_unique<Lib_FrmCons3>();
        w->MuestraStock = QStringLiteral("SI");
        w->StkNivel1 = 0x0000FF;
        w->StkNivel2 = QStringLiteral("65280");
        w->StkNivel3 = 0xFF0000;
        w->StkNivel4 = 0x808080;
        w->Sql = QStringLiteral("SELECT IdArticulo, Descripcion, PUNTOPEDIDO, Stock FROM VT_MA_ARTICULOS ORDER BY IdArticulo");
        w->Cargar();
        const QList<QColor> esperado{conv::ColorVB(0x0000FF), conv::ColorVB(65280),    conv::ColorVB(0xFF0000),
                                     conv::ColorVB(0x808080), conv::ColorVB(0x808080), conv::ColorVB(0x808080)};
        for (int r = 0; r < 6; ++r) {
            QCOMPARE(w->modelo()->data(w->modelo()->index(r, 1), Qt::ForegroundRole).value<QColor>(), esperado.at(r));
            QVERIFY(w->modelo()->data(w->modelo()->index(r, 1), Qt::FontRole).value<QFont>().bold());
        }
        // Without the stock columns the rows keep the list's colour.
        auto v = std::make_unique<Lib_FrmCons3>();
        v->MuestraStock = QStringLiteral("SI");
        v->Sql = QStringLiteral("SELECT IdArticulo, Descripcion FROM VT_MA_ARTICULOS");
        v->Cargar();
        QVERIFY(!v->modelo()->data(v->modelo()->index(0, 1), Qt::ForegroundRole).isValid());
        // Black is no colour: the row takes the theme's text colour, readable on a dark palette too.
        auto n = std::make_unique<Lib_FrmCons3>();
        n->MuestraStock = QStringLiteral("SI");
        n->StkNivel1 = n->StkNivel2 = n->StkNivel3 = n->StkNivel4 = 0;
        n->Sql = w->Sql;
        n->Cargar();
        QVERIFY(!n->modelo()->data(n->modelo()->index(0, 1), Qt::ForegroundRole).isValid());
        QVERIFY(n->modelo()->data(n->modelo()->index(0, 1), Qt::FontRole).value<QFont>().bold());
        // The search boxes are named by the column they search.
        QCOMPARE(n->CmbSearch(1)->accessibleName(), QStringLiteral("Buscar por Descripcion"));
    }

    void faltanteDeStock() {
        SesionPrueba s;
        Articulos(s);
        s.Sql(QStringLiteral("DELETE FROM V_MV_FALTANTES"));
        auto w = Ventana(QStringLiteral("SELECT Descripcion, IdArticulo FROM VT_MA_ARTICULOS ORDER BY IdArticulo"));
        w->ListView1->setCurrentIndex(w->modelo()->index(5, 0));
        s.guion().ResponderMsgBox(vb::Yes,
                                  QStringLiteral("Desea informar el articulo A6 Fleje O'Hara\ncomo un faltante de stock?"));
        QTest::keyClick(w->ListView1, Qt::Key_F12);
        QCOMPARE(s.guion().UltimaCaja().titulo, QStringLiteral("Atención!"));
        QCOMPARE(s.guion().UltimaCaja().estilo, vb::YesNo + vb::Question);
        QCOMPARE(s.Contar(QStringLiteral("V_MV_FALTANTES")), 1);
        QCOMPARE(s.Sql(QStringLiteral("SELECT trim(IdArticulo) || '|' || Descripcion || '|' || Usuario FROM V_MV_FALTANTES")),
                 QStringLiteral("A6|Fleje OHara|") + gBaseDatos().gUsuario);
        // Answered No: nothing is written.
        s.guion().ResponderMsgBox(vb::No);
        QTest::keyClick(Caja(*w, 0), Qt::Key_F12);
        QCOMPARE(s.Contar(QStringLiteral("V_MV_FALTANTES")), 1);
        // Not an article list: F12 does nothing (an unexpected box would fail the test).
        auto r = Ventana(QStringLiteral("SELECT Descripcion, IdRubro FROM V_TA_Rubros"));
        r->ListView1->setCurrentIndex(r->modelo()->index(0, 0));
        QTest::keyClick(r->ListView1, Qt::Key_F12);
        QCOMPARE(s.Contar(QStringLiteral("V_MV_FALTANTES")), 1);
    }

    void aceptarSinMarcas() {
        SesionPrueba s;
        auto w = std::make_unique<Lib_FrmCons3>();
        w->CheckBoxes = true;
        w->Sql = QStringLiteral("SELECT Descripcion, IdRubro FROM V_TA_Rubros");
        w->show();
        QCoreApplication::processEvents();
        QTest::mouseClick(w->CmdAceptar, Qt::LeftButton);
        QVERIFY(w->Valores.has_value());
        QVERIFY(w->Valores->isEmpty());
        QCOMPARE(w->ValorDevuelto, QString());
        QCOMPARE(w->CampoDevuelto, QStringLiteral("Descripcion"));
    }

    void ordenPorEncabezado() {
        SesionPrueba s;
        Articulos(s);
        auto w = Ventana(QStringLiteral("SELECT IdArticulo, Descripcion FROM VT_MA_ARTICULOS ORDER BY IdArticulo"));
        w->ListView1->setCurrentIndex(w->modelo()->index(1, 0));  // A2
        const int x = w->ListView1->header()->sectionViewportPosition(1) + 5;
        QTest::mouseClick(w->ListView1->header()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, 5));
        QCOMPARE(w->modelo()->Texto(0, 1), QStringLiteral("Tuerca"));  // descending first
        QCOMPARE(w->modelo()->Texto(w->ListView1->currentIndex().row(), 0), QStringLiteral("A2"));
        QTest::mouseClick(w->ListView1->header()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, 5));
        QCOMPARE(w->modelo()->Texto(0, 1), QStringLiteral("Arandela"));
        // OrdenarPorLwv sorts by the first column once loaded.
        auto v = std::make_unique<Lib_FrmCons3>();
        v->OrdenarPorLwv = true;
        v->Sql = QStringLiteral("SELECT Descripcion FROM VT_MA_ARTICULOS ORDER BY IdArticulo");
        v->Cargar();
        QCOMPARE(v->modelo()->Texto(0, 0), QStringLiteral("Arandela"));
    }

    void anchosGuardadosYDanados() {
        SesionPrueba s;
        const QString ruta = Lib_FrmCons3::ArchivoAnchos();
        auto escribir = [&](const QByteArray& b) {
            QFile f(ruta);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(b);
        };
        escribir("\"VT_MA_ARTICULOS\",\"1500|2500|\"\r\n");
        auto w = Ventana(QStringLiteral("SELECT IdArticulo, Descripcion FROM Stk_ma_articulos"), false);
        QCOMPARE(w->AnchosColumnas(), (QVector<double>{1500, 2500}));
        QCOMPARE(w->CmbSearch(1)->width(), conv::Pixeles(2450));
        QCOMPARE(w->CmbSearch(1)->x(), conv::Pixeles(1500));
        // A short line leaves the computed widths and nothing is rewritten.
        escribir("\"VT_MA_ARTICULOS\",\"1500|\"\r\n");
        auto v = Ventana(QStringLiteral("SELECT IdArticulo, Descripcion FROM Stk_ma_articulos"), false);
        QCOMPARE(v->CaracteresColumna(0), 25);
        QVERIFY(v->AnchoColumna(1) >
                conv::Twips(QFontMetrics(v->ListView1->font()).horizontalAdvance(QString(60, QLatin1Char('X')))));
        v->Descargar();
        QFile f(ruta);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("\"VT_MA_ARTICULOS\",\"1500|\"\r\n"));
        f.close();
        // With GrabarCfg the window's widths replace its line.
        v->GrabarCfg = true;
        v->SetAnchoColumna(0, 900);
        v->SetAnchoColumna(1, 1800);
        v->Descargar();
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("\"VT_MA_ARTICULOS\",\"900|1800|\"\r\n"));
    }
};

QTEST_MAIN(TstLibFrmCons3)
#include "tst_lib_frmcons3.moc"
