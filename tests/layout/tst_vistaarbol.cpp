#include "layout/ArbolLayout.h"
#include "layout/VistaArbol.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QStyledItemDelegate>
#include <QtTest>

#include <functional>
#include <vector>

namespace {

// A tree model that can insert, remove and move nodes, and gives a removed node's number to the next
// node it creates: the view must forget what it knew of removed nodes.
class ModeloNodos : public QAbstractItemModel {
public:
    ModeloNodos() { nodos_.emplace_back(); }

    QModelIndex Indice(int id) const {
        if (id <= 0) return QModelIndex();
        const int p = nodos_[id].padre;
        const auto& h = nodos_[p].hijos;
        return createIndex(static_cast<int>(std::find(h.begin(), h.end(), id) - h.begin()), 0, quintptr(id));
    }
    int Id(const QModelIndex& i) const { return i.isValid() ? static_cast<int>(i.internalId()) : 0; }
    int Hijos(int id) const { return static_cast<int>(nodos_[id].hijos.size()); }

    int Nuevo(int padre, int fila) {
        int id;
        if (!libres_.empty()) {
            id = libres_.back();
            libres_.pop_back();
        } else {
            id = static_cast<int>(nodos_.size());
            nodos_.emplace_back();
        }
        beginInsertRows(Indice(padre), fila, fila);
        nodos_[id] = Nodo{padre, {}, QStringLiteral("nodo %1").arg(id)};
        nodos_[padre].hijos.insert(nodos_[padre].hijos.begin() + fila, id);
        endInsertRows();
        return id;
    }
    void Quitar(int id) {
        const QModelIndex i = Indice(id);
        const int p = nodos_[id].padre;
        beginRemoveRows(i.parent(), i.row(), i.row());
        auto& h = nodos_[p].hijos;
        h.erase(h.begin() + i.row());
        std::function<void(int)> liberar = [&](int n) {
            for (int c : nodos_[n].hijos) liberar(c);
            nodos_[n].hijos.clear();
            nodos_[n].padre = -1;
            libres_.push_back(n);
        };
        liberar(id);
        endRemoveRows();
    }
    // Moves a node to the end of another parent's children.
    bool Mover(int id, int destino) {
        const QModelIndex i = Indice(id);
        const int fin = Hijos(destino);
        if (!beginMoveRows(i.parent(), i.row(), i.row(), Indice(destino), fin)) return false;
        auto& h = nodos_[nodos_[id].padre].hijos;
        h.erase(h.begin() + i.row());
        nodos_[destino].hijos.push_back(id);
        nodos_[id].padre = destino;
        endMoveRows();
        return true;
    }
    std::vector<int> Vivos() const {
        std::vector<int> v;
        std::function<void(int)> r = [&](int n) {
            for (int c : nodos_[n].hijos) {
                v.push_back(c);
                r(c);
            }
        };
        r(0);
        return v;
    }
    bool EsDescendiente(int id, int de) const {
        for (int p = nodos_[id].padre; p > 0; p = nodos_[p].padre)
            if (p == de) return true;
        return false;
    }

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override {
        const int p = Id(parent);
        if (column != 0 || row < 0 || row >= Hijos(p)) return QModelIndex();
        return createIndex(row, 0, quintptr(nodos_[p].hijos[row]));
    }
    QModelIndex parent(const QModelIndex& child) const override {
        return child.isValid() ? Indice(nodos_[Id(child)].padre) : QModelIndex();
    }
    int rowCount(const QModelIndex& parent = QModelIndex()) const override { return parent.column() > 0 ? 0 : Hijos(Id(parent)); }
    int columnCount(const QModelIndex& = QModelIndex()) const override { return 1; }
    QVariant data(const QModelIndex& i, int role) const override {
        return i.isValid() && role == Qt::DisplayRole ? QVariant(nodos_[Id(i)].texto) : QVariant();
    }

private:
    struct Nodo {
        int padre = -1;
        std::vector<int> hijos;
        QString texto;
    };
    std::vector<Nodo> nodos_;
    std::vector<int> libres_;
};

// Records the nodes the view asks it to paint.
class DelegadoEspia : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* g, const QStyleOptionViewItem& o, const QModelIndex& i) const override {
        pintados.append(i);
        QStyledItemDelegate::paint(g, o, i);
    }
    mutable QList<QPersistentModelIndex> pintados;
};

// The rows a tree view must show: every node whose ancestors are all expanded, in depth-first order.
QList<QModelIndex> FilasEsperadas(const QAbstractItemModel& m, const VistaArbol& v, const QModelIndex& padre = QModelIndex()) {
    QList<QModelIndex> filas;
    for (int r = 0; r < m.rowCount(padre); ++r) {
        const QModelIndex c = m.index(r, 0, padre);
        filas.append(c);
        if (v.isExpanded(c)) filas += FilasEsperadas(m, v, c);
    }
    return filas;
}

QStringList Codigos(int naves, int calles, int posiciones) {
    QStringList c;
    for (int n = 1; n <= naves; ++n) {
        const QString nave = QString::asprintf("%02d", n);
        c << nave;
        for (int k = 1; k <= calles; ++k) {
            const QString calle = nave + QString::asprintf("%02d", k);
            c << calle;
            for (int p = 1; p <= posiciones; ++p) c << calle + QString::asprintf("%03d", p);
        }
    }
    return c;
}

void Construir(ModeloArbolLayout& m, const QStringList& codigos) {
    m.Comenzar(codigos.size(), QStringLiteral("Definición de LayOut"));
    for (const QString& c : codigos) m.AgregarFila(c, QStringLiteral("Posicion ") + c, 1);
    m.Terminar();
}

}  // namespace

// The tree view of the layout: rows, places and input, offscreen.
class TstVistaArbol : public QObject {
    Q_OBJECT

    // Every shown node is at its row, every hidden one has no place, and the scroll range covers
    // exactly the shown rows.
    static void VerificarFilas(const QAbstractItemModel& m, VistaArbol& v, const QSet<int>* abiertos = nullptr) {
        const QList<QModelIndex> filas = FilasEsperadas(m, v);
        QCOMPARE(v.FilasVisibles(), filas.size());
        const int h = v.AltoFila();
        v.verticalScrollBar()->setValue(0);
        for (int r = 0; r < filas.size(); ++r) {
            const QRect rect = v.visualRect(filas[r]);
            if (rect.top() + v.verticalScrollBar()->value() != r * h)
                QFAIL(qPrintable(QStringLiteral("fila %1: %2 en y=%3").arg(r).arg(filas[r].data().toString()).arg(rect.top())));
            if (rect.bottom() < v.viewport()->height())
                QCOMPARE(v.indexAt(QPoint(v.viewport()->width() - 2, rect.center().y())), filas[r]);
        }
        QCOMPARE(v.verticalScrollBar()->maximum(), std::max(0, static_cast<int>(filas.size()) * h - v.viewport()->height()));
        QCOMPARE(v.indexAt(QPoint(5, static_cast<int>(filas.size()) * h + 1)), QModelIndex());
        // Hidden nodes: every child of a collapsed or hidden node.
        const QSet<QModelIndex> vistos(filas.begin(), filas.end());
        std::function<void(const QModelIndex&)> ocultos = [&](const QModelIndex& p) {
            for (int r = 0; r < m.rowCount(p); ++r) {
                const QModelIndex c = m.index(r, 0, p);
                if (abiertos) QCOMPARE(v.isExpanded(c), abiertos->contains(static_cast<int>(c.internalId())));
                if (!vistos.contains(c)) {
                    QVERIFY(!v.visualRect(c).isValid());
                }
                ocultos(c);
            }
        };
        ocultos(QModelIndex());
    }

    static void Mostrar(VistaArbol& v, QSize tamano) {
        v.resize(tamano);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
    }

private slots:
    // A long run of random changes (expanding, collapsing, inserting, removing and moving nodes,
    // expanding and collapsing everything) with the rows checked against the tree after each one.
    void lasFilasSiguenAlArbolEnCadaCambio() {
        ModeloNodos m;
        QAbstractItemModelTester t(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
        VistaArbol v;
        v.setModel(&m);
        Mostrar(v, QSize(300, 400));
        QSet<int> abiertos;
        QRandomGenerator azar(20261209);
        for (int i = 0; i < 40; ++i) {
            const auto vivos = m.Vivos();
            m.Nuevo(vivos.empty() || i < 4 ? 0 : vivos[azar.bounded(static_cast<int>(vivos.size()))], 0);
        }
        for (int paso = 0; paso < 400; ++paso) {
            const auto vivos = m.Vivos();
            const int alguno = vivos.empty() ? 0 : vivos[azar.bounded(static_cast<int>(vivos.size()))];
            const int accion = azar.bounded(100);
            if (accion < 30 && alguno) {
                v.expand(m.Indice(alguno));
                abiertos.insert(alguno);
            } else if (accion < 45 && alguno) {
                v.collapse(m.Indice(alguno));
                abiertos.remove(alguno);
            } else if (accion < 75 || vivos.size() < 10) {
                const int padre = azar.bounded(4) == 0 ? 0 : alguno;
                m.Nuevo(padre, azar.bounded(m.Hijos(padre) + 1));
            } else if (accion < 90 && alguno) {
                // The node goes with everything beneath it; their numbers are reused later.
                for (int n : m.Vivos())
                    if (n == alguno || m.EsDescendiente(n, alguno)) abiertos.remove(n);
                m.Quitar(alguno);
            } else if (accion < 96 && alguno) {
                const int destino = vivos[azar.bounded(static_cast<int>(vivos.size()))];
                if (destino != alguno && !m.EsDescendiente(destino, alguno)) m.Mover(alguno, destino);
            } else if (accion < 98) {
                // Nodes without children expanded before stay so.
                v.expandAll();
                for (int n : m.Vivos())
                    if (m.Hijos(n) > 0) abiertos.insert(n);
            } else {
                v.collapseAll();
                abiertos.clear();
            }
            VerificarFilas(m, v, &abiertos);
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("despues del paso %1 (accion %2)").arg(paso).arg(accion)));
        }
    }

    // The view is a QTreeView: code that holds it as one (the suite's scripts, tests kept outside)
    // expands, collapses and asks through QTreeView's own functions, and the rows follow.
    void usadaComoQTreeView() {
        ModeloArbolLayout m;
        Construir(m, Codigos(3, 4, 5));
        VistaArbol v;
        v.setModel(&m);
        Mostrar(v, QSize(300, 400));
        QTreeView* t = qobject_cast<QTreeView*>(&v);
        QVERIFY(t);
        const QModelIndex raiz = m.index(0, 0), nave = m.IndiceDeClave(QStringLiteral("A02")),
                          calle = m.IndiceDeClave(QStringLiteral("A0203"));
        t->expand(raiz);
        t->setExpanded(nave, true);
        QVERIFY(t->isExpanded(nave));
        QCOMPARE(v.FilasVisibles(), 1 + 3 + 4);
        VerificarFilas(m, v);
        t->expandAll();
        QCOMPARE(v.FilasVisibles(), 1 + 3 + 12 + 60);
        QVERIFY(t->isExpanded(calle));
        VerificarFilas(m, v);
        t->collapse(calle);
        QVERIFY(!v.isExpanded(calle));
        QCOMPARE(v.FilasVisibles(), 1 + 3 + 12 + 60 - 5);
        t->collapseAll();
        QCOMPARE(v.FilasVisibles(), 1);
        QVERIFY(!t->isExpanded(raiz));
        t->expandToDepth(1);
        QCOMPARE(v.FilasVisibles(), 1 + 3 + 12);
        QVERIFY(t->isExpanded(nave));
        QVERIFY(!t->isExpanded(calle));
        VerificarFilas(m, v);
        t->expandRecursively(nave);
        QCOMPARE(v.FilasVisibles(), 1 + 3 + 12 + 20);
        VerificarFilas(m, v);
        // After QTreeView laid out its own list, nodes added later still take their rows.
        const QModelIndex nuevo =
            m.AgregarNodo(QStringLiteral("A0203"), QStringLiteral("0203999"), QStringLiteral("0203999 - n"), 1);
        QCOMPARE(v.FilasVisibles(), 1 + 3 + 12 + 21);
        QVERIFY(v.visualRect(nuevo).isValid());
        VerificarFilas(m, v);
    }

    // With a screen reader running, QTreeView's accessibility reads the rows the view shows, and
    // follows a node added after a save; when it goes, the view goes back to its own bookkeeping.
    void lectorDePantallaLeeLasFilas() {
        ModeloArbolLayout m;
        Construir(m, Codigos(2, 3, 4));
        VistaArbol v;
        v.setModel(&m);
        Mostrar(v, QSize(300, 400));
        v.expandAll();
        QAccessible::setActive(true);
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&v);
        QVERIFY(a);
        QVERIFY(a->tableInterface());
        QTRY_COMPARE(a->tableInterface()->rowCount(), v.FilasVisibles());
        const QList<QModelIndex> filas = FilasEsperadas(m, v);
        for (int r : {0, 1, 5, static_cast<int>(filas.size()) - 1}) {
            QAccessibleInterface* celda = a->tableInterface()->cellAt(r, 0);
            QVERIFY(celda);
            QCOMPARE(celda->text(QAccessible::Name), m.Texto(filas.at(r)));
        }
        m.AgregarNodo(QStringLiteral("A0102"), QStringLiteral("0102999"), QStringLiteral("0102999 - n"), 1);
        QTRY_COMPARE(a->tableInterface()->rowCount(), v.FilasVisibles());
        v.collapse(m.IndiceDeClave(QStringLiteral("A01")));
        QTRY_COMPARE(a->tableInterface()->rowCount(), v.FilasVisibles());
        VerificarFilas(m, v);
        QAccessible::setActive(false);
        QTRY_COMPARE(a->tableInterface()->rowCount(), 0);
        v.expandAll();
        VerificarFilas(m, v);
    }

    // Typing a code goes to the next shown node whose text starts with it.
    void escribirBuscaEntreLosNodosVisibles() {
        ModeloArbolLayout m;
        Construir(m, Codigos(3, 3, 3));
        VistaArbol v;
        v.setModel(&m);
        Mostrar(v, QSize(300, 300));
        v.expandAll();
        v.setFocus();
        QTest::keyClick(&v, Qt::Key_Home);
        QTest::keyClicks(&v, QStringLiteral("0202"));
        QCOMPARE(m.Clave(v.currentIndex()), QStringLiteral("A0202"));
        QTest::keyClicks(&v, QStringLiteral("00"));
        QCOMPARE(m.Clave(v.currentIndex()), QStringLiteral("A0202001"));
        // Nodes under a collapsed branch are not found: typing 0303 stops at the folded aisle 03,
        // the last shown node that starts with what was typed on the way.
        v.collapse(m.IndiceDeClave(QStringLiteral("A03")));
        QTest::qWait(QApplication::keyboardInputInterval() + 50);
        QTest::keyClicks(&v, QStringLiteral("0303"));
        QCOMPARE(m.Clave(v.currentIndex()), QStringLiteral("A03"));
    }

    void expandirYPlegarAvisanYRespetanLasHojas() {
        ModeloArbolLayout m;
        m.SetLargoMaximo(7);
        Construir(m, Codigos(2, 2, 2));
        VistaArbol v;
        v.setModel(&m);
        QSignalSpy desplegados(&v, &VistaArbol::expanded), plegados(&v, &VistaArbol::collapsed);
        const QModelIndex raiz = m.index(0, 0), nave = m.IndiceDeClave(QStringLiteral("A01")),
                          hoja = m.IndiceDeClave(QStringLiteral("A0101001"));
        QCOMPARE(v.FilasVisibles(), 1);
        v.expand(raiz);
        v.expand(raiz);  // already expanded: no second signal
        QCOMPARE(desplegados.count(), 1);
        QCOMPARE(desplegados.at(0).at(0).value<QModelIndex>(), raiz);
        QCOMPARE(v.FilasVisibles(), 3);
        // A node of the last level can have no children: it is never expanded.
        v.expand(hoja);
        QVERIFY(!v.isExpanded(hoja));
        QCOMPARE(desplegados.count(), 1);
        v.expandAll();
        QCOMPARE(v.FilasVisibles(), 1 + 2 + 4 + 8);
        // Collapsing a branch keeps the state beneath it for when it opens again.
        v.collapse(nave);
        QCOMPARE(plegados.count(), 1);
        QCOMPARE(v.FilasVisibles(), 1 + 2 + 4 + 8 - 6);
        QVERIFY(v.isExpanded(m.IndiceDeClave(QStringLiteral("A0101"))));
        v.expand(nave);
        QCOMPARE(v.FilasVisibles(), 15);
        VerificarFilas(m, v);
    }

    // A node added under expanded branches of a large tree takes its row, and the rows below move
    // down by one.
    void unNodoAgregadoTomaSuFila() {
        ModeloArbolLayout m;
        Construir(m, Codigos(3, 20, 30));
        VistaArbol v;
        v.setModel(&m);
        Mostrar(v, QSize(300, 300));
        v.expandAll();
        const int total = v.FilasVisibles();
        const QModelIndex siguiente = m.IndiceDeClave(QStringLiteral("A02"));
        const int antes = v.visualRect(siguiente).top();
        const QModelIndex nuevo =
            m.AgregarNodo(QStringLiteral("A0120"), QStringLiteral("0120999"), QStringLiteral("0120999 - x"), 1);
        QCOMPARE(v.FilasVisibles(), total + 1);
        QCOMPARE(v.visualRect(nuevo).top(), antes);
        QCOMPARE(v.visualRect(siguiente).top(), antes + v.AltoFila());
        // Under a collapsed branch nothing moves.
        v.collapse(m.IndiceDeClave(QStringLiteral("A0301")));
        const int plegado = v.FilasVisibles();
        const QModelIndex oculto =
            m.AgregarNodo(QStringLiteral("A0301"), QStringLiteral("0301999"), QStringLiteral("0301999 - y"), 1);
        QCOMPARE(v.FilasVisibles(), plegado);
        QVERIFY(!v.visualRect(oculto).isValid());
        VerificarFilas(m, v);
    }

    // Only the rows in sight are painted, wherever the view is scrolled to in a large tree.
    void pintaSoloLasFilasALaVista() {
        ModeloArbolLayout m;
        Construir(m, Codigos(10, 40, 50));
        VistaArbol v;
        auto* espia = new DelegadoEspia(&v);
        v.setItemDelegate(espia);
        v.setModel(&m);
        Mostrar(v, QSize(320, 240));
        v.expandAll();
        const QModelIndex destino = m.IndiceDeClave(QStringLiteral("A0731045"));
        v.scrollTo(destino, QAbstractItemView::PositionAtTop);
        QCOMPARE(v.visualRect(destino).top(), 0);
        espia->pintados.clear();
        v.viewport()->repaint();
        const int enVista = (v.viewport()->height() + v.AltoFila() - 1) / v.AltoFila();
        QCOMPARE(espia->pintados.size(), enVista);
        // The node and the rows that follow it: the rest of its aisle, the next aisle and its first
        // positions.
        const QList<QModelIndex> filas = FilasEsperadas(m, v);
        const qsizetype desde = filas.indexOf(destino);
        for (int k = 0; k < enVista; ++k) QCOMPARE(QModelIndex(espia->pintados.at(k)), filas.at(desde + k));
        QVERIFY(espia->pintados.contains(m.IndiceDeClave(QStringLiteral("A0732"))));
    }

    void scrollToMuestraElNodoDesplegandoSusAncestros() {
        ModeloArbolLayout m;
        Construir(m, Codigos(5, 10, 10));
        VistaArbol v;
        v.setModel(&m);
        Mostrar(v, QSize(300, 200));
        const QModelIndex n = m.IndiceDeClave(QStringLiteral("A0408007"));
        QVERIFY(!v.visualRect(n).isValid());
        v.scrollTo(n);
        QVERIFY(v.isExpanded(m.IndiceDeClave(QStringLiteral("A0408"))));
        QVERIFY(v.isExpanded(m.IndiceDeClave(QStringLiteral("A04"))));
        QVERIFY(v.isExpanded(m.index(0, 0)));
        QVERIFY(v.viewport()->rect().contains(v.visualRect(n).topLeft()));
        QVERIFY(v.visualRect(n).bottom() < v.viewport()->height());
        v.scrollTo(m.index(0, 0));
        QCOMPARE(v.verticalScrollBar()->value(), 0);
        v.scrollTo(n, QAbstractItemView::PositionAtCenter);
        QVERIFY(qAbs(v.visualRect(n).center().y() - v.viewport()->height() / 2) <= v.AltoFila());
    }

    void tecladoRecorrePliegaYDespliega() {
        ModeloArbolLayout m;
        Construir(m, Codigos(3, 3, 3));
        VistaArbol v;
        v.setModel(&m);
        Mostrar(v, QSize(300, 300));
        v.expandAll();
        v.setFocus();
        auto actual = [&] { return m.Clave(v.currentIndex()); };
        QTest::keyClick(&v, Qt::Key_Home);
        QCOMPARE(actual(), QStringLiteral("A"));
        QTest::keyClick(&v, Qt::Key_Down);
        QTest::keyClick(&v, Qt::Key_Down);
        QCOMPARE(actual(), QStringLiteral("A0101"));
        QTest::keyClick(&v, Qt::Key_Down);
        QCOMPARE(actual(), QStringLiteral("A0101001"));
        QTest::keyClick(&v, Qt::Key_Up);
        QTest::keyClick(&v, Qt::Key_Up);
        QCOMPARE(actual(), QStringLiteral("A01"));
        // Left folds an expanded node, then goes to its parent; Right unfolds, then goes down.
        QTest::keyClick(&v, Qt::Key_Left);
        QCOMPARE(actual(), QStringLiteral("A01"));
        QVERIFY(!v.isExpanded(v.currentIndex()));
        QTest::keyClick(&v, Qt::Key_Down);
        QCOMPARE(actual(), QStringLiteral("A02"));
        QTest::keyClick(&v, Qt::Key_Up);
        QTest::keyClick(&v, Qt::Key_Right);
        QVERIFY(v.isExpanded(v.currentIndex()));
        QTest::keyClick(&v, Qt::Key_Right);
        QCOMPARE(actual(), QStringLiteral("A0101"));
        QTest::keyClick(&v, Qt::Key_Left);
        QTest::keyClick(&v, Qt::Key_Left);
        QCOMPARE(actual(), QStringLiteral("A01"));
        QTest::keyClick(&v, Qt::Key_End);
        QCOMPARE(actual(), QStringLiteral("A0303003"));
        // A whole page up and down.
        const int pagina = v.viewport()->height() / v.AltoFila() - 1;
        QTest::keyClick(&v, Qt::Key_PageUp);
        QCOMPARE(v.visualRect(v.currentIndex()).top() + v.verticalScrollBar()->value(),
                 (v.FilasVisibles() - 1 - pagina) * v.AltoFila());
        QTest::keyClick(&v, Qt::Key_PageDown);
        QCOMPARE(actual(), QStringLiteral("A0303003"));
        // "-", "+" and "*" on the keypad.
        QTest::keyClick(&v, Qt::Key_Home);
        QTest::keyClick(&v, Qt::Key_Minus, Qt::KeypadModifier);
        QCOMPARE(v.FilasVisibles(), 1);
        v.collapseAll();
        QTest::keyClick(&v, Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(v.FilasVisibles(), 4);
        v.collapseAll();
        QTest::keyClick(&v, Qt::Key_Asterisk, Qt::KeypadModifier);
        QCOMPARE(v.FilasVisibles(), 1 + 3 + 9 + 27);
        // Folding a branch that holds the current node makes the folded node current.
        v.setCurrentIndex(m.IndiceDeClave(QStringLiteral("A0202002")));
        v.collapse(m.IndiceDeClave(QStringLiteral("A02")));
        QCOMPARE(actual(), QStringLiteral("A02"));
        VerificarFilas(m, v);
    }

    void ratonSignoTextoYDobleClic() {
        ModeloArbolLayout m;
        Construir(m, Codigos(2, 2, 2));
        VistaArbol v;
        v.setModel(&m);
        Mostrar(v, QSize(300, 300));
        v.expand(m.index(0, 0));
        QSignalSpy clics(&v, &QAbstractItemView::clicked), dobles(&v, &QAbstractItemView::doubleClicked);
        const QModelIndex nave = m.IndiceDeClave(QStringLiteral("A01"));
        const QRect r = v.visualRect(nave);
        // The expand sign is the indentation column just left of the text.
        const QPoint signo(r.left() - v.indentation() / 2, r.center().y());
        QTest::mouseClick(v.viewport(), Qt::LeftButton, {}, signo);
        QVERIFY(v.isExpanded(nave));
        QCOMPARE(clics.count(), 0);
        QVERIFY(!v.selectionModel()->isSelected(nave));
        QTest::mouseClick(v.viewport(), Qt::LeftButton, {}, signo);
        QVERIFY(!v.isExpanded(nave));
        // A click on the text selects the node and reports it.
        QTest::mouseClick(v.viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(clics.count(), 1);
        QCOMPARE(clics.at(0).at(0).value<QModelIndex>(), nave);
        QCOMPARE(v.currentIndex(), nave);
        QVERIFY(v.selectionModel()->isSelected(nave));
        QTest::mouseDClick(v.viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(dobles.count(), 1);
        QVERIFY(v.isExpanded(nave));
        // Below the last row: no node.
        const QPoint vacio(10, v.FilasVisibles() * v.AltoFila() + 5);
        QCOMPARE(v.indexAt(vacio), QModelIndex());
        const qsizetype antes = clics.count();
        QTest::mouseClick(v.viewport(), Qt::LeftButton, {}, vacio);
        QCOMPARE(clics.count(), antes);
    }

    // Painting a row wider than the view gives the view a horizontal range to reach it.
    void filasAnchasDanDesplazamientoHorizontal() {
        ModeloArbolLayout m;
        m.Comenzar(2, QStringLiteral("raiz"));
        m.AgregarFila(QStringLiteral("01"), QString(200, QLatin1Char('W')), 1);
        m.Terminar();
        VistaArbol v;
        v.setModel(&m);
        Mostrar(v, QSize(200, 200));
        v.expandAll();
        v.viewport()->repaint();
        QTRY_VERIFY(v.horizontalScrollBar()->maximum() > 0);
        const QModelIndex hoja = m.IndiceDeClave(QStringLiteral("A01"));
        QVERIFY(v.visualRect(hoja).width() > v.viewport()->width());
    }
};

QTEST_MAIN(TstVistaArbol)
#include "tst_vistaarbol.moc"
