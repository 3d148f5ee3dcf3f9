#pragma once

#include <QAccessible>
#include <QElapsedTimer>
#include <QHash>
#include <QTreeView>
#include <functional>
#include <utility>
#include <vector>

// A tree view whose work per change does not grow with the tree.
//
// QTreeView lays out one flat list with an entry per shown row and finds rows in it by linear
// search: with a warehouse of 100,000 positions, all of them expanded as the layout tree shows them,
// one node added after a save re-lays out or shifts that whole list. This view is still a QTreeView
// (expanding, collapsing, the expanded and collapsed signals and isExpanded() are QTreeView's own),
// but it never builds that list: it keeps, for each expanded node, the number of rows shown beneath
// it and the list of its expanded children. A row's place is found by walking from the node to the
// top, and the node at a given place by walking down, touching only expanded nodes on the way;
// adding, expanding or collapsing a node updates its ancestors' counts and nothing else.
//
// While a screen reader is running (accessibility active), QTreeView's accessibility reads that
// flat list, so the view then lets QTreeView keep it as it normally would, at QTreeView's cost.
//
// The model must give each node an internalId of its own, kept while the node exists (the layout
// tree's model numbers its nodes): the counts are kept by that number. One column, rows of one
// height, no hidden rows, items never edited in place. QTreeView functions that only work on its
// flat list (indexAbove(), indexBelow(), rowHeight(index), setRowHidden()) have equivalents here
// or are not used.
class VistaArbol : public QTreeView, private QAccessible::ActivationObserver {
    Q_OBJECT
public:
    explicit VistaArbol(QWidget* padre = nullptr);
    ~VistaArbol() override;

    // As QTreeView's, answered from this view's own table.
    bool isExpanded(const QModelIndex& indice) const;
    // The height of every row (from the delegate's size of the first row).
    int AltoFila() const;
    // Rows shown, every level counted.
    int FilasVisibles() const { return raiz_.visibles; }
    // The shown node below / above this one, invalid past the ends.
    QModelIndex indexBelow(const QModelIndex& indice) const;
    QModelIndex indexAbove(const QModelIndex& indice) const;

    void setModel(QAbstractItemModel* modelo) override;
    QRect visualRect(const QModelIndex& indice) const override;
    void scrollTo(const QModelIndex& indice, ScrollHint pista = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& punto) const override;
    void keyboardSearch(const QString& texto) override;
    void reset() override;
    void doItemsLayout() override;

public slots:
    // Every node that has children, in one pass over the model.
    void expandAll();
    void collapseAll();

protected:
    QModelIndex moveCursor(CursorAction accion, Qt::KeyboardModifiers modificadores) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex& indice) const override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags orden) override;
    QRegion visualRegionForSelection(const QItemSelection& seleccion) const override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;

    void paintEvent(QPaintEvent* evento) override;
    void mousePressEvent(QMouseEvent* evento) override;
    void mouseReleaseEvent(QMouseEvent* evento) override;
    void mouseDoubleClickEvent(QMouseEvent* evento) override;
    void mouseMoveEvent(QMouseEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;
    void changeEvent(QEvent* evento) override;

protected slots:
    void rowsInserted(const QModelIndex& padre, int primera, int ultima) override;
    void rowsAboutToBeRemoved(const QModelIndex& padre, int primera, int ultima) override;
    void dataChanged(const QModelIndex& desde, const QModelIndex& hasta, const QList<int>& roles = QList<int>()) override;

private:
    void accessibilityActiveChanged(bool activa) override;

    // An expanded child of an expanded node: its row, the rows shown beneath it (a copy of its
    // own count, kept in step, so that finding a place reads no other table entry) and its id.
    struct Abierto {
        int fila;
        int visibles;
        quintptr id;
    };
    // An expanded node: the rows shown beneath it, and its expanded children in row order. A
    // node's expanded children are listed only while the node itself is expanded.
    struct Rama {
        int visibles = 0;
        std::vector<Abierto> abiertos;
    };

    // QTreeView's expanded and collapsed signals keep the table in step.
    void AlDesplegar(const QModelIndex& indice);
    void AlPlegar(const QModelIndex& indice);
    Rama* RamaDe(const QModelIndex& indice);
    const Rama* RamaDe(const QModelIndex& indice) const;
    // Adds delta to the count of the node and of each ancestor, up to the first one collapsed.
    void Propagar(QModelIndex desde, int delta);
    // The shown rows above the node inside its parent's branch, -1 when the parent is collapsed.
    int DesplazamientoEnPadre(const QModelIndex& indice) const;
    // The 0-based shown row of a node, -1 when hidden under a collapsed ancestor.
    int FilaVisible(const QModelIndex& indice) const;
    QModelIndex IndiceEnFila(int fila) const;
    QModelIndex UltimoVisibleBajo(QModelIndex indice) const;
    int Profundidad(QModelIndex indice) const;
    // Where the text of a node at that depth starts, in the content's coordinates.
    int Sangria(int profundidad) const;
    bool TieneHijos(const QModelIndex& indice) const;
    bool EsAncestro(const QModelIndex& ancestro, QModelIndex indice) const;
    // The node whose expand sign is under the point, invalid when none.
    QModelIndex SignoEn(const QPoint& punto) const;
    // Forgets the counts of a node and of everything beneath it.
    void Olvidar(const QModelIndex& indice);
    // Whether a node is expanded, given the node and its number of children. A rebuild may also
    // change QTreeView's state on the way (expanding everything does).
    using Abre = std::function<bool(const QModelIndex&, int)>;
    // Rebuilds every count and list in one walk over the model, from QTreeView's expanded states
    // unless told otherwise.
    void Recalcular(const Abre& abre = Abre());
    int Visitar(const QModelIndex& indice, QHash<quintptr, Rama>& nuevas, const Abre& abre);
    // QTreeView's expandAll() or expandToDepth() reached through a QTreeView pointer lay out its
    // flat list and expand without telling: the table is rebuilt from QTreeView's states then.
    void ComprobarListaPlana();
    void ActualizarBarras();
    void Cambio();

    QHash<quintptr, Rama> ramas_;
    Rama raiz_;
    mutable int alto_ = 0;
    int ancho_ = 0;  // the widest row painted so far: the horizontal scroll range
    bool signoPulsado_ = false;
    bool callado_ = false;
    bool comprobando_ = false;
    // A screen reader is running: QTreeView keeps its flat list for it.
    bool lector_ = QAccessible::isActive();  // bulk changes: the signals do not update the table one by one
    std::vector<QMetaObject::Connection> conexiones_;
    QString busqueda_;
    QElapsedTimer ultimaTecla_;
};
