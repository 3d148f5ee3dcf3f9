// The tree lookup window: families by their "relative", statement trees by key prefix, typed
// search, F5, branch checking and accept.
#include "SesionPrueba.h"
#include "lookup/Lib_FrmCons3Tree.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>

class TstLibFrmCons3Tree : public QObject {
    Q_OBJECT

    static std::unique_ptr<Lib_FrmCons3Tree> Ventana(const QString& sql, const QString& campo = QString(),
                                                     bool casillas = false) {
        auto w = std::make_unique<Lib_FrmCons3Tree>();
        w->Sql = sql;
        w->CampoDevuelto = campo;
        w->CheckBoxes = casillas;
        new QAbstractItemModelTester(w->modelo(), QAbstractItemModelTester::FailureReportingMode::QtTest, w.get());
        w->show();
        QCoreApplication::processEvents();
        return w;
    }
    // The code of a node's parent ("" for the root's children).
    static QString PadreDe(const Lib_FrmCons3Tree& w, const QString& codigo) {
        const int n = w.modelo()->Buscar(QStringLiteral("A") + codigo);
        if (n < 0) return QStringLiteral("<no existe>");
        const int p = w.modelo()->NodoEn(n).padre;
        return p < 0 ? QStringLiteral("<raiz>") : w.modelo()->NodoEn(p).clave.mid(1);
    }
    static void Familias(SesionPrueba& s, const QStringList& codigos) {
        s.Sql(QStringLiteral("DELETE FROM TA_FAMILIAS"));
        for (const QString& c : codigos)
            s.Sql(QStringLiteral("INSERT INTO TA_FAMILIAS (IdFamilia, Descripcion) VALUES ('%1', 'Familia %1')").arg(c));
    }

private slots:
    // Every button shows its whole caption inside the window.
    void botonesEnterosDentroDeLaVentana() {
        SesionPrueba s;
        auto w = Ventana(QStringLiteral("select IdFamilia, Descripcion from V_TA_FAMILIAS"), QStringLiteral("IDFAMILIA"));
        w->show();
        QCoreApplication::processEvents();
        for (QPushButton* b : w->findChildren<QPushButton*>()) {
            const QRect r(b->mapTo(w.get(), QPoint(0, 0)), b->size());
            QVERIFY2(w->rect().contains(r) && r.width() >= b->sizeHint().width(), qPrintable(b->text()));
        }
        w->hide();
    }

    void arbolDeFamilias() {
        SesionPrueba s;
        Familias(s, {QStringLiteral("01"), QStringLiteral("0101"), QStringLiteral("010101"), QStringLiteral("02"),
                     QStringLiteral("0201"), QStringLiteral("0301")});
        auto w = Ventana(QStringLiteral("select IdFamilia, Descripcion from V_TA_FAMILIAS"), QStringLiteral("IDFAMILIA"));
        QCOMPARE(w->modelo()->NodoCount(), 7);
        QCOMPARE(w->modelo()->NodoEn(0).texto, QStringLiteral("Consulta..."));
        QCOMPARE(PadreDe(*w, QStringLiteral("01")), QString());
        QCOMPARE(PadreDe(*w, QStringLiteral("02")), QString());
        QCOMPARE(PadreDe(*w, QStringLiteral("0101")), QStringLiteral("01"));
        QCOMPARE(PadreDe(*w, QStringLiteral("010101")), QStringLiteral("0101"));
        QCOMPARE(PadreDe(*w, QStringLiteral("0201")), QStringLiteral("02"));
        // No 03: the greatest shorter code smaller than it.
        QCOMPARE(PadreDe(*w, QStringLiteral("0301")), QStringLiteral("02"));
        QCOMPARE(w->modelo()->NodoEn(w->modelo()->Buscar(QStringLiteral("A0201"))).texto, QStringLiteral("0201 - Familia 0201"));
        QVERIFY(w->TreeV->isExpanded(w->modelo()->IndiceDe(0)));
        // F5 rebuilds the whole families tree: its builder puts back the fixed statement.
        QTest::keyClicks(w->CmbSearch(0)->lineEdit(), QStringLiteral("0201"));
        QTest::keyClick(w->CmbSearch(0)->lineEdit(), Qt::Key_F5);
        QCOMPARE(w->Sql, Lib_FrmCons3Tree::SentenciaFamilias());
        QCOMPARE(w->modelo()->NodoCount(), 7);
    }

    void arbolPorPrefijo() {
        SesionPrueba s;
        s.Sql(QStringLiteral("CREATE TABLE T_ARBOL (CODIGO varchar(10), DESCRIPCION varchar(40))"));
        s.Sql(QStringLiteral(
            "INSERT INTO T_ARBOL VALUES ('1', 'Activo'), ('11', 'Caja'), ('2', 'Pasivo'), ('21', 'Deudas'), ('211', 'Bancos')"));
        auto w = Ventana(QStringLiteral("SELECT CODIGO, DESCRIPCION FROM T_ARBOL ORDER BY CODIGO"));
        QCOMPARE(PadreDe(*w, QStringLiteral("1")), QString());
        QCOMPARE(PadreDe(*w, QStringLiteral("2")), QString());
        QCOMPARE(PadreDe(*w, QStringLiteral("11")), QStringLiteral("1"));
        QCOMPARE(PadreDe(*w, QStringLiteral("21")), QStringLiteral("2"));
        QCOMPARE(PadreDe(*w, QStringLiteral("211")), QStringLiteral("21"));
        // Typing finds a node by code or by description, in any case.
        QTest::keyClicks(w->CmbSearch(0)->lineEdit(), QStringLiteral("DEU"));
        QCOMPARE(w->modelo()->NodoEn(w->NodoSeleccionado()).clave, QStringLiteral("A21"));
        w->CmbSearch(0)->setEditText(QString());
        QTest::keyClicks(w->CmbSearch(0)->lineEdit(), QStringLiteral("11"));
        QCOMPARE(w->modelo()->NodoEn(w->NodoSeleccionado()).clave, QStringLiteral("A11"));
        // F5 narrows by description, the ORDER BY kept at the end.
        w->CmbSearch(0)->setEditText(QStringLiteral("siv"));
        QTest::keyClick(w->CmbSearch(0)->lineEdit(), Qt::Key_F5);
        QCOMPARE(w->Sql,
                 QStringLiteral("SELECT CODIGO, DESCRIPCION FROM T_ARBOL  where Descripcion like '%siv%' ORDER BY CODIGO"));
        QCOMPARE(w->modelo()->NodoCount(), 2);  // root and "Pasivo"
        // A quote typed does not break the statement.
        w->CmbSearch(0)->setEditText(QStringLiteral("o'r"));
        QTest::keyClick(w->CmbSearch(0)->lineEdit(), Qt::Key_F5);
        QVERIFY(w->Sql.contains(QStringLiteral("and Descripcion like '%or%' ORDER BY CODIGO")));
        QCOMPARE(s.guion().Cajas().size(), 0);
        // "&Nueva Busqueda" rebuilds from the current statement.
        QTest::mouseClick(w->CmdNueva, Qt::LeftButton);
        QCOMPARE(w->modelo()->NodoCount(), 1);
    }

    void marcarSeisNiveles() {
        SesionPrueba s;
        s.Sql(QStringLiteral("CREATE TABLE T_NIVELES (CODIGO varchar(10), DESCRIPCION varchar(40))"));
        QString codigo;
        for (int i = 1; i <= 9; ++i) {
            codigo += QString::number(i);
            s.Sql(QStringLiteral("INSERT INTO T_NIVELES VALUES ('%1', 'Nivel %2')").arg(codigo).arg(i));
        }
        auto w =
            Ventana(QStringLiteral("SELECT CODIGO, DESCRIPCION FROM T_NIVELES ORDER BY CODIGO"), QStringLiteral("CODIGO"), true);
        QCOMPARE(w->modelo()->NodoCount(), 10);
        const QModelIndex primero = w->modelo()->IndiceDe(w->modelo()->Buscar(QStringLiteral("A1")));
        QVERIFY(w->modelo()->setData(primero, Qt::Checked, Qt::CheckStateRole));
        // "1" has eight levels below it: six of them follow.
        for (int n = 1; n <= 9; ++n) QCOMPARE(w->modelo()->NodoEn(n).marca, n <= 7 ? Qt::Checked : Qt::Unchecked);
        QTest::mouseClick(w->CmdAceptar, Qt::LeftButton);
        QCOMPARE(*w->Valores,
                 (QStringList{QStringLiteral("1"), QStringLiteral("12"), QStringLiteral("123"), QStringLiteral("1234"),
                              QStringLiteral("12345"), QStringLiteral("123456"), QStringLiteral("1234567")}));
    }

    void aceptarCodigoDeCuentas() {
        SesionPrueba s;
        s.Sql(QStringLiteral("INSERT OR REPLACE INTO MA_CUENTAS (CODIGO, DESCRIPCION) VALUES ('9.9.9', 'Solo en cuentas')"));
        s.Sql(QStringLiteral("DELETE FROM TA_CCOSTO WHERE CODIGO = '9.9.9'"));
        auto w = Ventana(QStringLiteral("SELECT CODIGO, DESCRIPCION FROM MA_CUENTAS WHERE CODIGO = '9.9.9'"),
                         QStringLiteral("CODIGO"));
        w->TreeV->setCurrentIndex(w->modelo()->IndiceDe(1));
        QTest::keyClick(w->CmbSearch(0)->lineEdit(), Qt::Key_Return);
        QVERIFY(!w->isVisible());
        QCOMPARE(w->ValorDevuelto, QStringLiteral("9.9.9"));
        // A code that no longer exists gives an empty value.
        auto v = Ventana(QStringLiteral("SELECT CODIGO, DESCRIPCION FROM MA_CUENTAS WHERE CODIGO = '9.9.9'"),
                         QStringLiteral("CODIGO"));
        s.Sql(QStringLiteral("DELETE FROM MA_CUENTAS WHERE CODIGO = '9.9.9'"));
        v->ValorDevuelto = QStringLiteral("antes");
        v->TreeV->setCurrentIndex(v->modelo()->IndiceDe(1));
        QTest::mouseClick(v->CmdAceptar, Qt::LeftButton);
        QCOMPARE(v->ValorDevuelto, QString());
    }

    void cancelar() {
        SesionPrueba s;
        auto w = Ventana(QStringLiteral("select IdFamilia, Descripcion from V_TA_FAMILIAS"), QStringLiteral("IDFAMILIA"));
        w->ValorDevuelto = QStringLiteral("x");
        QTest::keyClick(w->CmbSearch(0)->lineEdit(), Qt::Key_Escape);
        QVERIFY(!w->isVisible());
        QCOMPARE(w->ValorDevuelto, QString());
        QVERIFY(!w->Valores.has_value());
    }
};

QTEST_MAIN(TstLibFrmCons3Tree)
#include "tst_lib_frmcons3tree.moc"
