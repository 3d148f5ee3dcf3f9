#pragma once

#include <QAbstractItemView>
#include <QHash>
#include <utility>
#include <vector>

// A tree view whose work per change does not grow with the tree.
//
// QTreeView keeps one flat array with an entry per shown row and finds rows in it by linear search:
// with a warehouse of 100,000 positions, all of them expanded as the layout tree shows them, one
// node added after a save re-lays out or shifts that whole array. This view keeps, instead, for each
// expanded node the number of rows shown beneath it and the list of its expanded children. A row's
// place is then found by walking from the node to the top, and the node at a given place by walking
// down, touching only expanded nodes on the way; adding, expanding or collapsing a node updates its
// ancestors' counts and nothing else.
//
// The model must give each node an internalId of its own, kept while the node exists (the layout
// tree's model numbers its nodes): expanded states are kept by that number, since persistent
// indexes would make every insertion walk all of them. One column, rows of one height, the root
// level decorated with expand signs, items never edited in place.
class VistaArbol : public QAbstractItemView {
    Q_OBJECT
public:
    explicit VistaArbol(QWidget* padre = nullptr);

    bool isExpanded(const QModelIndex& indice) const;
    void setExpanded(const QModelIndex& indice, bool expandido);
    void expand(const QModelIndex& indice) { setExpanded(indice, true); }
    void collapse(const QModelIndex& indice) { setExpanded(indice, false); }
    // Every node that has children, in one pass over the model.
    void expandAll();
    void collapseAll();

    int indentation() const { return sangria_; }
    void setIndentation(int pixeles);
    // The height of every row (from the delegate's size of the first row).
    int rowHeight() const;
    // Rows shown, every level counted.
    int visibleRowCount() const { return raiz_.visibles; }

    void setModel(QAbstractItemModel* modelo) override;
    QRect visualRect(const QModelIndex& indice) const override;
    void scrollTo(const QModelIndex& indice, ScrollHint pista = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& punto) const override;
    void reset() override;

signals:
    void expanded(const QModelIndex& indice);
    void collapsed(const QModelIndex& indice);

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
    void keyPressEvent(QKeyEvent* evento) override;
    void changeEvent(QEvent* evento) override;

protected slots:
    void rowsInserted(const QModelIndex& padre, int primera, int ultima) override;
    void rowsAboutToBeRemoved(const QModelIndex& padre, int primera, int ultima) override;

private:
    // An expanded node: the rows shown beneath it, and its expanded children as (row, id) in row
    // order. A node's expanded children are listed only while the node itself is expanded.
    struct Rama {
        int visibles = 0;
        std::vector<std::pair<int, quintptr>> abiertos;
    };

    Rama* RamaDe(const QModelIndex& indice);
    const Rama* RamaDe(const QModelIndex& indice) const;
    // Adds delta to the count of the node and of each ancestor, up to the first one collapsed.
    void Propagar(QModelIndex desde, int delta);
    // The shown rows above the node inside its parent's branch, -1 when the parent is collapsed.
    int DesplazamientoEnPadre(const QModelIndex& indice) const;
    // The 0-based shown row of a node, -1 when hidden under a collapsed ancestor.
    int FilaVisible(const QModelIndex& indice) const;
    QModelIndex IndiceEnFila(int fila) const;
    // The shown node after / before this one, invalid past the ends.
    QModelIndex Siguiente(const QModelIndex& indice) const;
    QModelIndex Anterior(const QModelIndex& indice) const;
    QModelIndex UltimoVisibleBajo(QModelIndex indice) const;
    int Profundidad(QModelIndex indice) const;
    bool TieneHijos(const QModelIndex& indice) const;
    bool EsAncestro(const QModelIndex& ancestro, QModelIndex indice) const;
    // The rectangle of the expand sign of the node shown at that row and depth.
    QRect RectSigno(int fila, int profundidad) const;
    // The node whose expand sign is under the point, invalid when none.
    QModelIndex SignoEn(const QPoint& punto) const;
    // Forgets the expanded states of a node and of everything beneath it.
    void Olvidar(const QModelIndex& indice);
    // Rebuilds every count and list from the model, keeping the expanded states of the nodes that
    // still exist (all nodes with children when todo).
    void Recalcular(bool expandirTodo);
    int Visitar(const QModelIndex& indice, bool expandirTodo, QHash<quintptr, Rama>& nuevas);
    void Cambio();

    QHash<quintptr, Rama> ramas_;
    Rama raiz_;
    int sangria_ = 20;
    mutable int alto_ = 0;
    int ancho_ = 0;  // the widest row painted so far: the horizontal scroll range
    bool signoPulsado_ = false;
    std::vector<QMetaObject::Connection> conexiones_;
};
