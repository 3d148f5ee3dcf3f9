#include "layout/ArbolLayout.h"
#include "services/ErrorEjecucion.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTreeView>
#include <QtTest>

// The layout tree's own item model, without a window.
class TstArbolLayout : public QObject {
    Q_OBJECT

    static void Construir(ModeloArbolLayout& m, const QStringList& codigos) {
        m.Comenzar(codigos.size(), QStringLiteral("Definición de LayOut"));
        for (const QString& c : codigos) m.AgregarFila(c, QStringLiteral("d") + c, 1);
        m.Terminar();
    }
    static QString Padre(const ModeloArbolLayout& m, const QString& clave) { return m.Clave(m.IndiceDeClave(clave).parent()); }

private slots:
    void cadaNodoCuelgaDeSuPrefijoExistenteMasLargo() {
        ModeloArbolLayout m;
        QAbstractItemModelTester t(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
        // 0201 without 02, and a malformed 3-character code under 01.
        Construir(m, {QStringLiteral("01"), QStringLiteral("0101"), QStringLiteral("010101"), QStringLiteral("010102"),
                      QStringLiteral("011"), QStringLiteral("0201"), QStringLiteral("03"), QStringLiteral("0301")});
        QCOMPARE(m.rowCount(), 1);
        QCOMPARE(m.Texto(m.index(0, 0)), QStringLiteral("Definición de LayOut"));
        QCOMPARE(m.Clave(m.index(0, 0)), QStringLiteral("A"));
        QCOMPARE(Padre(m, QStringLiteral("A01")), QStringLiteral("A"));
        QCOMPARE(Padre(m, QStringLiteral("A010102")), QStringLiteral("A0101"));
        QCOMPARE(Padre(m, QStringLiteral("A011")), QStringLiteral("A01"));
        QCOMPARE(Padre(m, QStringLiteral("A0201")), QStringLiteral("A"));  // not the sibling of 0101
        QCOMPARE(Padre(m, QStringLiteral("A0301")), QStringLiteral("A03"));
        QCOMPARE(m.rowCount(m.index(0, 0)), 3);
        QCOMPARE(m.Texto(m.IndiceDeClave(QStringLiteral("A0101"))), QStringLiteral("0101 - d0101"));
        QCOMPARE(m.IndiceDeClave(QStringLiteral("a0101")), QModelIndex());  // keys start with "A"
        QCOMPARE(m.IndiceDeClave(QStringLiteral("A0101")).row(), 0);
        QCOMPARE(m.IndiceDeClave(QStringLiteral("A011")).row(), 1);
        QVERIFY(!(m.flags(m.IndiceDeClave(QStringLiteral("A01"))) & Qt::ItemIsEditable));
    }

    void clavesSinDistinguirMayusculasYDuplicadas() {
        ModeloArbolLayout m;
        QAbstractItemModelTester t(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
        m.Comenzar(3, QStringLiteral("r"));
        m.AgregarFila(QStringLiteral("A1"), QString(), 0);
        m.AgregarFila(QStringLiteral("a101"), QString(), 0);
        try {
            m.AgregarFila(QStringLiteral("a1"), QString(), 0);
            QFAIL("una clave repetida debe fallar");
        } catch (const ErrorEjecucion& e) {
            QCOMPARE(e.Number, 35602L);
        }
        m.Terminar();
        QCOMPARE(Padre(m, QStringLiteral("Aa101")), QStringLiteral("AA1"));
        QCOMPARE(m.Texto(m.IndiceDeClave(QStringLiteral("Aa1"))), QStringLiteral("A1 - "));
        QCOMPARE(m.CantidadNodos(), 3);
    }

    void agregarYRenombrarUnNodoSinReconstruir() {
        ModeloArbolLayout m;
        QAbstractItemModelTester t(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
        Construir(m,
                  {QStringLiteral("1"), QStringLiteral("11"), QStringLiteral("111"), QStringLiteral("12"), QStringLiteral("2")});
        QSignalSpy reinicios(&m, &QAbstractItemModel::modelReset);
        QSignalSpy insertadas(&m, &QAbstractItemModel::rowsInserted);
        const QPersistentModelIndex a11(m.IndiceDeClave(QStringLiteral("A11")));

        const QModelIndex nuevo = m.AgregarNodo(QStringLiteral("A11"), QStringLiteral("112"), QStringLiteral("112 - Nuevo"), 2);
        QCOMPARE(nuevo.parent(), QModelIndex(a11));
        QCOMPARE(nuevo.row(), 1);
        QCOMPARE(m.Imagen(nuevo), 2);
        QCOMPARE(insertadas.size(), 1);
        QCOMPARE(reinicios.size(), 0);

        try {
            m.AgregarNodo(QStringLiteral("A11"), QStringLiteral("112"), QStringLiteral("112 - Otra vez"), 2);
            QFAIL("clave existente");
        } catch (const ErrorEjecucion& e) {
            QCOMPARE(e.Number, 35602L);
        }
        try {
            m.AgregarNodo(QStringLiteral("A9"), QStringLiteral("91"), QStringLiteral("91 - x"), 2);
            QFAIL("padre inexistente");
        } catch (const ErrorEjecucion& e) {
            QCOMPARE(e.Number, 35601L);
        }
        QCOMPARE(m.NodoPrefijoMasLargo(QStringLiteral("1129")), m.IndiceDeClave(QStringLiteral("A112")).internalId());
        QCOMPARE(m.NodoPrefijoMasLargo(QStringLiteral("91")), 0);

        QSignalSpy cambios(&m, &QAbstractItemModel::dataChanged);
        m.CambiarTexto(m.IndiceDeClave(QStringLiteral("A112")), QStringLiteral("112 - Renombrado"));
        QCOMPARE(cambios.size(), 1);
        QCOMPARE(m.Texto(m.IndiceDeClave(QStringLiteral("A112"))), QStringLiteral("112 - Renombrado"));
        QVERIFY(a11.isValid());
        QCOMPARE(reinicios.size(), 0);

        m.Limpiar();
        QCOMPARE(m.rowCount(), 0);
        QVERIFY(!m.IndiceDeClave(QStringLiteral("A")).isValid());
    }

    // Nodes with a code as long as the levels allow can have no children, and the view is told so;
    // a longer code added later (the levels grew meanwhile) still shows under its parent.
    void losNodosDelUltimoNivelNoTienenHijos() {
        ModeloArbolLayout m;
        QAbstractItemModelTester t(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
        m.SetLargoMaximo(3);
        Construir(m, {QStringLiteral("1"), QStringLiteral("11"), QStringLiteral("111"), QStringLiteral("12")});
        auto nunca = [&](const QString& clave) { return m.flags(m.IndiceDeClave(clave)).testFlag(Qt::ItemNeverHasChildren); };
        QVERIFY(nunca(QStringLiteral("A111")));
        QVERIFY(!nunca(QStringLiteral("A12")));  // shorter: a level may still come under it
        QVERIFY(!nunca(QStringLiteral("A1")));
        QVERIFY(!nunca(QStringLiteral("A")));

        QTreeView vista;
        vista.setModel(&m);
        vista.expandAll();
        const QModelIndex n = m.AgregarNodo(QStringLiteral("A111"), QStringLiteral("1111"), QStringLiteral("1111 - x"), 1);
        QVERIFY(!nunca(QStringLiteral("A111")));
        QVERIFY(nunca(QStringLiteral("A1111")));
        QCOMPARE(m.rowCount(m.IndiceDeClave(QStringLiteral("A111"))), 1);
        vista.expand(n.parent());
        QVERIFY(vista.isExpanded(n.parent()));
        QVERIFY(vista.visualRect(n).isValid());
    }

    // Texts may come as UTF-8 from the rows read or as strings from the program; keys match across
    // both without regard to case, and every node keeps its own text.
    void textosEnUtf8YEnUtf16() {
        ModeloArbolLayout m;
        QAbstractItemModelTester t(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
        m.Comenzar(4, QStringLiteral("r"));
        const int nave = m.AgregarFila(QUtf8StringView("Ñ1"), QUtf8StringView("Nave señalada"), 4);
        m.AgregarFila(QUtf8StringView("ñ101"), QUtf8StringView("Calle"), 1);
        m.AgregarFila(QStringLiteral("Ñ102"), QString(), 1);
        try {
            m.AgregarFila(QUtf8StringView("ñ1"), QUtf8StringView("repetida"), 0);
            QFAIL("una clave repetida debe fallar");
        } catch (const ErrorEjecucion& e) {
            QCOMPARE(e.Number, 35602L);
        }
        m.AgregarFila(QLatin1StringView("N2"), QLatin1StringView("Latin"), 2);
        m.Terminar();
        QCOMPARE(m.LargoCodigo(nave), 2);
        QCOMPARE(m.Imagen(m.IndiceDeClave(QStringLiteral("AÑ1"))), 4);
        QCOMPARE(m.Texto(m.IndiceDeClave(QStringLiteral("AÑ1"))), QStringLiteral("Ñ1 - Nave señalada"));
        QCOMPARE(Padre(m, QStringLiteral("AÑ101")), QStringLiteral("AÑ1"));
        QCOMPARE(Padre(m, QStringLiteral("Añ102")), QStringLiteral("AÑ1"));
        QCOMPARE(m.Texto(m.IndiceDeClave(QStringLiteral("AÑ102"))), QStringLiteral("Ñ102 - "));
        QCOMPARE(m.Texto(m.IndiceDeClave(QStringLiteral("An2"))), QStringLiteral("N2 - Latin"));
        QCOMPARE(m.CantidadNodos(), 5);
        // A new text for a node: the key stays as stored (the code typed in other case is the same
        // code), the text follows.
        const QModelIndex calle = m.IndiceDeClave(QStringLiteral("AÑ101"));
        m.CambiarTexto(calle, QStringLiteral("Ñ101 - Calle nueva"));
        QCOMPARE(m.Texto(m.IndiceDeClave(QStringLiteral("AÑ101"))), QStringLiteral("ñ101 - Calle nueva"));
        m.CambiarTexto(calle, QStringLiteral(" sin codigo"));
        QCOMPARE(m.data(calle).toString(), QStringLiteral("ñ101 sin codigo"));
        QCOMPARE(m.IndiceDeClave(QStringLiteral("AÑ101")), calle);
    }

    // Far more nodes added after a build than it made room for: the node vector and the code table
    // grow, and every key still finds its node.
    void nodosAgregadosMasAllaDeLoPrevisto() {
        ModeloArbolLayout m;
        QAbstractItemModelTester t(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
        Construir(m, {QStringLiteral("01")});
        for (int i = 0; i < 3000; ++i) {
            const QString codigo = QStringLiteral("01%1").arg(i, 4, 10, QLatin1Char('0'));
            m.AgregarNodo(QStringLiteral("A01"), codigo, codigo + QStringLiteral(" - n"), 1);
        }
        QCOMPARE(m.CantidadNodos(), 3002);
        QCOMPARE(m.rowCount(m.IndiceDeClave(QStringLiteral("A01"))), 3000);
        for (int i = 0; i < 3000; i += 7) {
            const QString clave = QStringLiteral("A01%1").arg(i, 4, 10, QLatin1Char('0'));
            const QModelIndex n = m.IndiceDeClave(clave);
            QCOMPARE(m.Clave(n), clave);
            QCOMPARE(n.row(), i);
            QCOMPARE(m.Texto(n), clave.mid(1) + QStringLiteral(" - n"));
        }
        QVERIFY(!m.IndiceDeClave(QStringLiteral("A013000")).isValid());
        QCOMPARE(m.NodoPrefijoMasLargo(QStringLiteral("0102999")), m.IndiceDeClave(QStringLiteral("A010299")).internalId());
    }

    void imagenesPorNombreSinDistinguirMayusculas() {
        ImagenesLayout l;
        for (const char* n : {"CALLE", "POSICION", "NIVEL", "NAVE"})
            l.Agregar(QString::fromLatin1(n), ImagenesLayout::DibujarIcono(QString::fromLatin1(n)));
        QCOMPARE(l.IndiceImagen(QStringLiteral("Nave")), 4);
        QCOMPARE(l.IndiceImagen(QStringLiteral(" posicion ")), 2);
        QCOMPARE(l.IndiceImagen(QStringLiteral("Estante")), 0);
        QCOMPARE(l.Icono(1).pixmap(16, 16).size(), QSize(16, 16));
        QVERIFY(l.Icono(1).pixmap(16, 16).toImage() != l.Icono(2).pixmap(16, 16).toImage());
        QVERIFY(l.Icono(0).isNull());
        // On a screen of two device pixels per pixel the tree gets a picture drawn with 32 pixels,
        // the same picture as the 16-pixel one, not that one enlarged.
        const QPixmap denso = l.Icono(3).pixmap(QSize(16, 16), 2.0);
        QCOMPARE(denso.size(), QSize(32, 32));
        QCOMPARE(denso.devicePixelRatio(), 2.0);
        QCOMPARE(denso.toImage().scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixelColor(8, 7).rgb(),
                 l.Icono(3).pixmap(16, 16).toImage().pixelColor(8, 7).rgb());
    }
};

QTEST_MAIN(TstArbolLayout)
#include "tst_arbollayout.moc"
