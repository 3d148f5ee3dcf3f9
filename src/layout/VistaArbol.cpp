#include "layout/VistaArbol.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOption>
#include <QTimer>

#include <algorithm>

namespace {

QModelIndex Columna0(const QModelIndex& i) {
    return i.isValid() && i.column() != 0 ? i.sibling(i.row(), 0) : i;
}

}  // namespace

VistaArbol::VistaArbol(QWidget* padre) : QTreeView(padre) {
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setAnimated(false);
    setSelectionBehavior(SelectRows);
    setEditTriggers(NoEditTriggers);
    setVerticalScrollMode(ScrollPerPixel);
    setHorizontalScrollMode(ScrollPerPixel);
    connect(this, &QTreeView::expanded, this, &VistaArbol::AlDesplegar);
    connect(this, &QTreeView::collapsed, this, &VistaArbol::AlPlegar);
    connect(this, &QAbstractItemView::iconSizeChanged, this, [this] {
        alto_ = 0;
        Cambio();
    });
    QAccessible::installActivationObserver(this);
}

VistaArbol::~VistaArbol() {
    QAccessible::removeActivationObserver(this);
}

void VistaArbol::accessibilityActiveChanged(bool activa) {
    lector_ = activa;
    // A screen reader came: QTreeView lays out its list for it. It went: the list is dropped at the
    // next geometry update.
    if (activa)
        scheduleDelayedItemsLayout();
    else
        updateGeometries();
}

// ------------------------------------------------------------------------------ state of the branches

VistaArbol::Rama* VistaArbol::RamaDe(const QModelIndex& indice) {
    if (!indice.isValid()) return &raiz_;
    const auto it = ramas_.find(indice.internalId());
    return it == ramas_.end() ? nullptr : &*it;
}

const VistaArbol::Rama* VistaArbol::RamaDe(const QModelIndex& indice) const {
    if (!indice.isValid()) return &raiz_;
    const auto it = ramas_.constFind(indice.internalId());
    return it == ramas_.constEnd() ? nullptr : &*it;
}

bool VistaArbol::isExpanded(const QModelIndex& indice) const {
    return indice.isValid() && indice.model() == model() && ramas_.contains(Columna0(indice).internalId());
}

void VistaArbol::Propagar(QModelIndex desde, int delta) {
    int hijo = -1;  // the row of the child the count came up through
    for (;;) {
        Rama* r = RamaDe(desde);
        if (!r) return;
        r->visibles += delta;
        if (hijo >= 0) {
            const auto e = std::lower_bound(r->abiertos.begin(), r->abiertos.end(), hijo,
                                            [](const Abierto& a, int fila) { return a.fila < fila; });
            if (e != r->abiertos.end() && e->fila == hijo) e->visibles += delta;
        }
        if (!desde.isValid()) return;
        hijo = desde.row();
        desde = desde.parent();
    }
}

void VistaArbol::AlDesplegar(const QModelIndex& nodo) {
    const QModelIndex x = Columna0(nodo);
    if (callado_ || !x.isValid() || x.model() != model()) return;
    const quintptr id = x.internalId();
    if (ramas_.contains(id)) return;
    Rama r;
    const int n = model()->rowCount(x);
    r.visibles = n;
    // Children expanded before this node was collapsed show again with their branches.
    if (!ramas_.isEmpty())
        for (int fila = 0; fila < n; ++fila) {
            const quintptr hijo = model()->index(fila, 0, x).internalId();
            const auto it = ramas_.constFind(hijo);
            if (it == ramas_.constEnd()) continue;
            r.abiertos.push_back({fila, it->visibles, hijo});
            r.visibles += it->visibles;
        }
    const int v = r.visibles;
    ramas_.insert(id, std::move(r));
    const QModelIndex padre = x.parent();
    if (Rama* rp = RamaDe(padre)) {
        const auto pos = std::lower_bound(rp->abiertos.begin(), rp->abiertos.end(), x.row(),
                                          [](const Abierto& a, int fila) { return a.fila < fila; });
        rp->abiertos.insert(pos, {x.row(), v, id});
        Propagar(padre, v);
    }
    Cambio();
}

void VistaArbol::AlPlegar(const QModelIndex& nodo) {
    const QModelIndex x = Columna0(nodo);
    if (callado_ || !x.isValid() || x.model() != model()) return;
    const auto it = ramas_.find(x.internalId());
    if (it == ramas_.end()) return;
    const int v = it->visibles;
    ramas_.erase(it);
    const QModelIndex padre = x.parent();
    if (Rama* rp = RamaDe(padre)) {
        rp->abiertos.erase(
            std::remove_if(rp->abiertos.begin(), rp->abiertos.end(), [&](const Abierto& e) { return e.fila == x.row(); }),
            rp->abiertos.end());
        Propagar(padre, -v);
    }
    // The current node may now be hidden: the collapsed node takes its place.
    if (selectionModel() && EsAncestro(x, currentIndex())) selectionModel()->setCurrentIndex(x, QItemSelectionModel::NoUpdate);
    Cambio();
}

int VistaArbol::Visitar(const QModelIndex& x, QHash<quintptr, Rama>& nuevas, const Abre& abre) {
    const int n = model()->rowCount(x);
    const bool abierto = !x.isValid() || abre(x, n);
    Rama r;
    r.visibles = n;
    for (int fila = 0; fila < n; ++fila) {
        const QModelIndex hijo = model()->index(fila, 0, x);
        // Collapsed nodes are walked too: the branches expanded beneath them keep their state.
        const int v = Visitar(hijo, nuevas, abre);
        if (v < 0) continue;
        r.abiertos.push_back({fila, v, hijo.internalId()});
        r.visibles += v;
    }
    if (!abierto) return -1;
    const int v = r.visibles;
    if (x.isValid())
        nuevas.insert(x.internalId(), std::move(r));
    else
        raiz_ = std::move(r);
    return v;
}

void VistaArbol::Recalcular(const Abre& abre) {
    QHash<quintptr, Rama> nuevas;
    if (model())
        Visitar(QModelIndex(), nuevas,
                abre ? abre : Abre([this](const QModelIndex& x, int) { return QTreeView::isExpanded(x); }));
    else
        raiz_ = Rama();
    ramas_ = std::move(nuevas);
    Cambio();
}

void VistaArbol::expandAll() {
    if (!model()) return;
    callado_ = true;
    if (lector_) {
        // QTreeView keeps its list for the screen reader; its own expandAll() lays it out once.
        QTreeView::expandAll();
        callado_ = false;
        Recalcular();
        return;
    }
    // One walk: QTreeView expands every node that has children (its isExpanded() must agree) and the
    // counts are worked out on the way back up, instead of one node at a time. A node without
    // children that was expanded before stays so.
    Recalcular([this](const QModelIndex& x, int hijos) {
        if (hijos == 0) return ramas_.contains(x.internalId());
        QTreeView::expand(x);
        return true;
    });
    callado_ = false;
}

void VistaArbol::collapseAll() {
    callado_ = true;
    QTreeView::collapseAll();
    callado_ = false;
    ramas_.clear();
    raiz_ = Rama();
    raiz_.visibles = model() ? model()->rowCount() : 0;
    if (selectionModel()) {
        QModelIndex arriba = currentIndex();
        while (arriba.parent().isValid()) arriba = arriba.parent();
        if (arriba != currentIndex()) selectionModel()->setCurrentIndex(arriba, QItemSelectionModel::NoUpdate);
    }
    Cambio();
}

void VistaArbol::Olvidar(const QModelIndex& indice) {
    if (ramas_.isEmpty()) return;
    std::vector<QModelIndex> pila{indice};
    while (!pila.empty()) {
        const QModelIndex x = pila.back();
        pila.pop_back();
        ramas_.remove(x.internalId());
        for (int fila = model()->rowCount(x) - 1; fila >= 0; --fila) pila.push_back(model()->index(fila, 0, x));
    }
}

void VistaArbol::rowsInserted(const QModelIndex& padre, int primera, int ultima) {
    if (padre.column() <= 0) {
        const int k = ultima - primera + 1;
        if (Rama* r = RamaDe(padre)) {
            for (auto& e : r->abiertos)
                if (e.fila >= primera) e.fila += k;
            Propagar(padre, k);
        }
        if (!padre.isValid() && primera == 0) alto_ = 0;
    }
    // Not QTreeView's, which lays out its flat list again, unless a screen reader reads that list.
    if (lector_)
        QTreeView::rowsInserted(padre, primera, ultima);
    else
        QAbstractItemView::rowsInserted(padre, primera, ultima);
    Cambio();
}

void VistaArbol::rowsAboutToBeRemoved(const QModelIndex& padre, int primera, int ultima) {
    // The base class moves the current node off the rows first, while they still count.
    if (lector_)
        QTreeView::rowsAboutToBeRemoved(padre, primera, ultima);
    else
        QAbstractItemView::rowsAboutToBeRemoved(padre, primera, ultima);
    if (padre.column() > 0) return;
    const int k = ultima - primera + 1;
    int quitadas = k;
    for (int fila = primera; fila <= ultima; ++fila) {
        const QModelIndex hijo = model()->index(fila, 0, padre);
        if (const Rama* r = RamaDe(hijo)) quitadas += r->visibles;
        Olvidar(hijo);
    }
    if (Rama* r = RamaDe(padre)) {
        auto& a = r->abiertos;
        a.erase(std::remove_if(a.begin(), a.end(), [&](const Abierto& e) { return e.fila >= primera && e.fila <= ultima; }),
                a.end());
        for (auto& e : a)
            if (e.fila > ultima) e.fila -= k;
        Propagar(padre, -quitadas);
    }
}

void VistaArbol::setModel(QAbstractItemModel* modelo) {
    for (const auto& c : conexiones_) disconnect(c);
    conexiones_.clear();
    QTreeView::setModel(modelo);
    if (modelo) {
        // Rows moved or reordered: the counts are rebuilt from the expanded states, which followed
        // the rows.
        conexiones_.push_back(connect(modelo, &QAbstractItemModel::layoutChanged, this, [this] { Recalcular(); }));
        conexiones_.push_back(connect(modelo, &QAbstractItemModel::rowsMoved, this, [this] { Recalcular(); }));
        // The counts change before the rows go; the view is laid out again once the model agrees.
        conexiones_.push_back(connect(modelo, &QAbstractItemModel::rowsRemoved, this, [this] { Cambio(); }));
    }
}

void VistaArbol::reset() {
    QTreeView::reset();
    ramas_.clear();
    raiz_ = Rama();
    raiz_.visibles = model() ? model()->rowCount() : 0;
    alto_ = 0;
    ancho_ = 0;
    Cambio();
}

void VistaArbol::doItemsLayout() {
    // QTreeView would lay out its flat list of rows here; this view has nothing to lay out, unless
    // a screen reader reads that list.
    if (lector_)
        QTreeView::doItemsLayout();
    else
        QAbstractItemView::doItemsLayout();
}

void VistaArbol::ComprobarListaPlana() {
    if (!model() || model()->rowCount() == 0 || lector_) return;
    // QTreeView's rowHeight() finds a node only in its flat list, which this view never builds.
    if (QTreeView::rowHeight(model()->index(0, 0)) == 0) return;
    Recalcular();
    // Its rowsRemoved slot empties the list and asks for a layout, which here lays out nothing.
    QTreeView::rowsRemoved(QModelIndex(), 0, -1);
}

void VistaArbol::dataChanged(const QModelIndex& desde, const QModelIndex& hasta, const QList<int>& roles) {
    if (lector_)
        QTreeView::dataChanged(desde, hasta, roles);
    else
        QAbstractItemView::dataChanged(desde, hasta, roles);
}

void VistaArbol::Cambio() {
    // Only the scroll ranges: the expanded signals arrive in the middle of QTreeView's own
    // layouts, where its flat list must not be looked at.
    ActualizarBarras();
    viewport()->update();
}

// ------------------------------------------------------------------------------ rows and places

int VistaArbol::DesplazamientoEnPadre(const QModelIndex& indice) const {
    const Rama* r = RamaDe(indice.parent());
    if (!r) return -1;
    int desplazamiento = indice.row();
    for (const Abierto& e : r->abiertos) {
        if (e.fila >= indice.row()) break;
        desplazamiento += e.visibles;
    }
    return desplazamiento;
}

int VistaArbol::FilaVisible(const QModelIndex& nodo) const {
    QModelIndex x = Columna0(nodo);
    if (!x.isValid() || x.model() != model()) return -1;
    int fila = 0;
    while (x.isValid()) {
        const int d = DesplazamientoEnPadre(x);
        if (d < 0) return -1;
        const QModelIndex padre = x.parent();
        fila += d + (padre.isValid() ? 1 : 0);
        x = padre;
    }
    return fila;
}

QModelIndex VistaArbol::IndiceEnFila(int fila) const {
    if (!model() || fila < 0 || fila >= raiz_.visibles) return QModelIndex();
    QModelIndex padre;
    const Rama* r = &raiz_;
    int f = fila;
    for (;;) {
        int antes = 0;  // rows shown under the expanded children passed so far
        bool bajar = false;
        for (const Abierto& e : r->abiertos) {
            const int inicio = e.fila + antes;
            if (f < inicio) break;
            if (f == inicio) return model()->index(e.fila, 0, padre);
            const int v = e.visibles;
            const auto it = v > 0 ? ramas_.constFind(e.id) : ramas_.constEnd();
            if (f <= inicio + v && it != ramas_.constEnd()) {
                padre = model()->index(e.fila, 0, padre);
                r = &*it;
                f -= inicio + 1;
                bajar = true;
                break;
            }
            antes += v;
        }
        if (!bajar) return model()->index(f - antes, 0, padre);
    }
}

QModelIndex VistaArbol::indexBelow(const QModelIndex& nodo) const {
    const QModelIndex indice = Columna0(nodo);
    if (!indice.isValid() || indice.model() != model()) return QModelIndex();
    if (isExpanded(indice) && model()->rowCount(indice) > 0) return model()->index(0, 0, indice);
    for (QModelIndex x = indice; x.isValid(); x = x.parent())
        if (x.row() + 1 < model()->rowCount(x.parent())) return x.sibling(x.row() + 1, 0);
    return QModelIndex();
}

QModelIndex VistaArbol::UltimoVisibleBajo(QModelIndex indice) const {
    while (indice.isValid() && isExpanded(indice)) {
        const int n = model()->rowCount(indice);
        if (n == 0) break;
        indice = model()->index(n - 1, 0, indice);
    }
    return indice;
}

QModelIndex VistaArbol::indexAbove(const QModelIndex& nodo) const {
    const QModelIndex indice = Columna0(nodo);
    if (!indice.isValid() || indice.model() != model()) return QModelIndex();
    if (indice.row() > 0) return UltimoVisibleBajo(indice.sibling(indice.row() - 1, 0));
    return indice.parent();
}

int VistaArbol::Profundidad(QModelIndex indice) const {
    int p = 0;
    while ((indice = indice.parent()).isValid()) ++p;
    return p;
}

bool VistaArbol::TieneHijos(const QModelIndex& indice) const {
    return model() && model()->hasChildren(indice);
}

bool VistaArbol::EsAncestro(const QModelIndex& ancestro, QModelIndex indice) const {
    indice = Columna0(indice);
    while ((indice = indice.parent()).isValid())
        if (indice == ancestro) return true;
    return false;
}

int VistaArbol::AltoFila() const {
    if (alto_ <= 0) {
        int alto = 0;
        if (model() && model()->rowCount() > 0) {
            const QModelIndex primero = model()->index(0, 0);
            QStyleOptionViewItem opcion;
            initViewItemOption(&opcion);
            if (QAbstractItemDelegate* d = itemDelegateForIndex(primero)) alto = d->sizeHint(opcion, primero).height();
        }
        alto_ = std::max({alto, fontMetrics().height() + 2, iconSize().height() + 2});
    }
    return alto_;
}

int VistaArbol::Sangria(int profundidad) const {
    return (profundidad + (rootIsDecorated() ? 1 : 0)) * indentation();
}

QModelIndex VistaArbol::SignoEn(const QPoint& punto) const {
    const int y = punto.y() + verticalOffset();
    if (y < 0 || !itemsExpandable()) return QModelIndex();
    const QModelIndex i = IndiceEnFila(y / AltoFila());
    if (!i.isValid() || !TieneHijos(i)) return QModelIndex();
    // The sign is the indentation column just left of the node's text.
    const int derecha = Sangria(Profundidad(i)) - horizontalOffset();
    if (derecha - indentation() < -horizontalOffset()) return QModelIndex();  // a top level without decoration
    return punto.x() >= derecha - indentation() && punto.x() < derecha ? i : QModelIndex();
}

QRect VistaArbol::visualRect(const QModelIndex& nodo) const {
    const QModelIndex x = Columna0(nodo);
    const int fila = FilaVisible(x);
    if (fila < 0) return QRect();
    QStyleOptionViewItem opcion;
    initViewItemOption(&opcion);
    const int ancho = itemDelegateForIndex(x)->sizeHint(opcion, x).width();
    const int izquierda = Sangria(Profundidad(x)) - horizontalOffset();
    return QRect(izquierda, fila * AltoFila() - verticalOffset(), std::max(ancho, viewport()->width() - izquierda), AltoFila());
}

QModelIndex VistaArbol::indexAt(const QPoint& punto) const {
    const int y = punto.y() + verticalOffset();
    if (!model() || y < 0) return QModelIndex();
    return IndiceEnFila(y / AltoFila());
}

bool VistaArbol::isIndexHidden(const QModelIndex& indice) const {
    return FilaVisible(indice) < 0;
}

int VistaArbol::horizontalOffset() const {
    return horizontalScrollBar()->value();
}

int VistaArbol::verticalOffset() const {
    return verticalScrollBar()->value();
}

void VistaArbol::scrollTo(const QModelIndex& nodo, ScrollHint pista) {
    const QModelIndex x = Columna0(nodo);
    if (!x.isValid() || x.model() != model()) return;
    // A node hidden in a collapsed branch is shown: its ancestors are expanded.
    for (QModelIndex p = x.parent(); p.isValid(); p = p.parent())
        if (!isExpanded(p)) expand(p);
    const int fila = FilaVisible(x);
    if (fila < 0) return;
    const int alto = AltoFila(), y = fila * alto, arriba = verticalOffset(), visible = viewport()->height();
    int nuevo = arriba;
    switch (pista) {
        case EnsureVisible:
            if (y < arriba)
                nuevo = y;
            else if (y + alto > arriba + visible)
                nuevo = y + alto - visible;
            break;
        case PositionAtTop:
            nuevo = y;
            break;
        case PositionAtBottom:
            nuevo = y + alto - visible;
            break;
        case PositionAtCenter:
            nuevo = y - (visible - alto) / 2;
            break;
    }
    verticalScrollBar()->setValue(nuevo);
    // The start of the node's text in sight, with its expand sign when there is room.
    const int izquierda = std::max(0, Sangria(Profundidad(x)) - indentation()), ancho = viewport()->width();
    if (izquierda < horizontalOffset() || izquierda + 2 * indentation() > horizontalOffset() + ancho)
        horizontalScrollBar()->setValue(std::max(0, izquierda));
}

QModelIndex VistaArbol::moveCursor(CursorAction accion, Qt::KeyboardModifiers) {
    const QModelIndex actual = Columna0(currentIndex());
    const int total = raiz_.visibles;
    if (!model() || total == 0) return QModelIndex();
    if (!actual.isValid()) return IndiceEnFila(accion == MoveEnd ? total - 1 : 0);
    const int pagina = std::max(1, viewport()->height() / AltoFila() - 1);
    auto o = [&](const QModelIndex& i) { return i.isValid() ? i : actual; };
    switch (accion) {
        case MoveUp:
        case MovePrevious:
            return o(indexAbove(actual));
        case MoveDown:
        case MoveNext:
            return o(indexBelow(actual));
        case MovePageUp:
            return o(IndiceEnFila(std::max(0, FilaVisible(actual) - pagina)));
        case MovePageDown:
            return o(IndiceEnFila(std::min(total - 1, FilaVisible(actual) + pagina)));
        case MoveHome:
            return IndiceEnFila(0);
        case MoveEnd:
            return IndiceEnFila(total - 1);
        case MoveLeft:
            if (isExpanded(actual) && TieneHijos(actual)) {
                collapse(actual);
                return actual;
            }
            return o(actual.parent());
        case MoveRight:
            if (!TieneHijos(actual)) return actual;
            if (!isExpanded(actual)) {
                expand(actual);
                return actual;
            }
            return o(model()->index(0, 0, actual));
    }
    return actual;
}

void VistaArbol::keyboardSearch(const QString& texto) {
    const int total = raiz_.visibles;
    if (!model() || total == 0) return;
    // Letters typed in quick succession search together; a pause starts a new search, from the
    // node after the current one.
    const bool nueva =
        texto.isEmpty() || !ultimaTecla_.isValid() || ultimaTecla_.elapsed() > QApplication::keyboardInputInterval();
    ultimaTecla_.start();
    busqueda_ = nueva ? texto : busqueda_ + texto;
    if (busqueda_.isEmpty()) return;
    QModelIndex i = Columna0(currentIndex());
    if (!i.isValid() || FilaVisible(i) < 0)
        i = IndiceEnFila(0);
    else if (nueva)
        i = indexBelow(i);
    for (int k = 0; k < total; ++k) {
        if (!i.isValid()) i = IndiceEnFila(0);
        if (model()->data(i).toString().startsWith(busqueda_, Qt::CaseInsensitive)) {
            setCurrentIndex(i);
            return;
        }
        i = indexBelow(i);
    }
}

void VistaArbol::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags orden) {
    if (!selectionModel()) return;
    const QRect r = rect.normalized();
    const int alto = AltoFila();
    const int primera = std::max(0, (r.top() + verticalOffset()) / alto);
    const int ultima = std::min(raiz_.visibles - 1, (r.bottom() + verticalOffset()) / alto);
    QItemSelection seleccion;
    QModelIndex i = IndiceEnFila(primera);
    for (int f = primera; f <= ultima && i.isValid(); ++f, i = indexBelow(i)) seleccion.select(i, i);
    selectionModel()->select(seleccion, orden);
}

QRegion VistaArbol::visualRegionForSelection(const QItemSelection& seleccion) const {
    QRegion region;
    for (const QItemSelectionRange& rango : seleccion) {
        if (!rango.isValid()) continue;
        // The siblings of a range are not adjacent rows when some are expanded: the band from the
        // first to the last covers them all.
        const QRect a = visualRect(rango.topLeft()), b = visualRect(rango.bottomRight());
        if (a.isValid() || b.isValid()) {
            const QRect u = a.united(b);
            region += QRect(0, u.top(), viewport()->width(), u.height());
        }
    }
    return region;
}

void VistaArbol::updateGeometries() {
    if (!comprobando_) {
        comprobando_ = true;
        ComprobarListaPlana();
        comprobando_ = false;
    }
    ActualizarBarras();
    // Not QTreeView's: it places the header, which this view hides.
    QAbstractItemView::updateGeometries();
}

void VistaArbol::ActualizarBarras() {
    const int alto = AltoFila();
    const qint64 total = qint64(raiz_.visibles) * alto;
    QScrollBar* v = verticalScrollBar();
    v->setSingleStep(alto);
    v->setPageStep(std::max(alto, viewport()->height()));
    v->setRange(0, static_cast<int>(std::clamp<qint64>(total - viewport()->height(), 0, INT_MAX)));
    QScrollBar* h = horizontalScrollBar();
    h->setSingleStep(std::max(1, indentation()));
    h->setPageStep(std::max(1, viewport()->width()));
    h->setRange(0, std::max(0, ancho_ - viewport()->width()));
}

void VistaArbol::scrollContentsBy(int dx, int dy) {
    viewport()->scroll(dx, dy);
}

// ------------------------------------------------------------------------------ painting and input

void VistaArbol::paintEvent(QPaintEvent* evento) {
    if (!model()) return;
    QPainter g(viewport());
    const QRect zona = evento->rect();
    const int alto = AltoFila(), arriba = verticalOffset(), izquierda = horizontalOffset();
    int fila = std::max(0, (zona.top() + arriba) / alto);
    const int ultima = (zona.bottom() + arriba) / alto;
    QStyleOptionViewItem base;
    initViewItemOption(&base);
    const QModelIndex actual = currentIndex();
    const bool conFoco = hasFocus();
    const bool ventanaActiva = isActiveWindow();
    int anchoMaximo = ancho_;
    QStyleOption rama;
    rama.initFrom(this);
    for (QModelIndex i = IndiceEnFila(fila); i.isValid() && fila <= ultima; ++fila, i = indexBelow(i)) {
        const int profundidad = Profundidad(i);
        const int y = fila * alto - arriba;
        // The branch lines: the node's own column with its expand sign, then a line for every
        // ancestor that still has siblings below.
        const int sangria = indentation();
        rama.rect = QRect(Sangria(profundidad) - sangria - izquierda, y, sangria, alto);
        rama.state = QStyle::State_Item | (ventanaActiva ? QStyle::State_Active : QStyle::State_None) | QStyle::State_Enabled;
        if (i.row() + 1 < model()->rowCount(i.parent())) rama.state |= QStyle::State_Sibling;
        if (TieneHijos(i)) rama.state |= QStyle::State_Children;
        if (isExpanded(i)) rama.state |= QStyle::State_Open;
        style()->drawPrimitive(QStyle::PE_IndicatorBranch, &rama, &g, this);
        QModelIndex a = i.parent();
        for (int nivel = profundidad - 1; nivel >= 0; --nivel, a = a.parent()) {
            rama.rect.moveLeft(Sangria(nivel) - sangria - izquierda);
            rama.state = QStyle::State_Enabled;
            if (a.row() + 1 < model()->rowCount(a.parent())) {
                rama.state |= QStyle::State_Sibling;
                style()->drawPrimitive(QStyle::PE_IndicatorBranch, &rama, &g, this);
            }
        }
        QStyleOptionViewItem opcion = base;
        QAbstractItemDelegate* delegado = itemDelegateForIndex(i);
        const int ancho = delegado->sizeHint(opcion, i).width();
        const int x = Sangria(profundidad);
        anchoMaximo = std::max(anchoMaximo, x + ancho);
        opcion.rect = QRect(x - izquierda, y, std::max(ancho, viewport()->width() - x + izquierda), alto);
        if (selectionModel() && selectionModel()->isSelected(i)) opcion.state |= QStyle::State_Selected;
        if (conFoco && i == actual) opcion.state |= QStyle::State_HasFocus;
        if (!(model()->flags(i) & Qt::ItemIsEnabled)) opcion.state &= ~QStyle::State_Enabled;
        delegado->paint(&g, opcion, i);
    }
    if (anchoMaximo != ancho_) {
        // Rows wider than any painted before widen the horizontal range, outside the paint.
        ancho_ = anchoMaximo;
        QTimer::singleShot(0, this, [this] { ActualizarBarras(); });
    }
}

void VistaArbol::mousePressEvent(QMouseEvent* evento) {
    const QModelIndex signo = evento->button() == Qt::LeftButton ? SignoEn(evento->position().toPoint()) : QModelIndex();
    signoPulsado_ = signo.isValid();
    if (signoPulsado_) {
        // The expand sign folds or unfolds; it does not select.
        setExpanded(signo, !isExpanded(signo));
        evento->accept();
        return;
    }
    QAbstractItemView::mousePressEvent(evento);
}

void VistaArbol::mouseReleaseEvent(QMouseEvent* evento) {
    if (signoPulsado_) {
        signoPulsado_ = false;
        evento->accept();
        return;
    }
    QAbstractItemView::mouseReleaseEvent(evento);
}

void VistaArbol::mouseMoveEvent(QMouseEvent* evento) {
    QAbstractItemView::mouseMoveEvent(evento);
}

void VistaArbol::mouseDoubleClickEvent(QMouseEvent* evento) {
    const QModelIndex signo = evento->button() == Qt::LeftButton ? SignoEn(evento->position().toPoint()) : QModelIndex();
    if (signo.isValid()) {
        mousePressEvent(evento);
        return;
    }
    const QPersistentModelIndex nodo = indexAt(evento->position().toPoint());
    QAbstractItemView::mouseDoubleClickEvent(evento);
    if (evento->button() == Qt::LeftButton && expandsOnDoubleClick() && itemsExpandable() && nodo.isValid() && TieneHijos(nodo))
        setExpanded(nodo, !isExpanded(nodo));
}

void VistaArbol::keyPressEvent(QKeyEvent* evento) {
    const QModelIndex actual = Columna0(currentIndex());
    // "+", "-" and "*" wherever the keyboard has them: on the keypad or with Shift.
    if (actual.isValid() && !(evento->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        switch (evento->key()) {
            case Qt::Key_Plus:
                expand(actual);
                evento->accept();
                return;
            case Qt::Key_Minus:
                collapse(actual);
                evento->accept();
                return;
            case Qt::Key_Asterisk:
                // The node and every branch beneath it.
                expandRecursively(actual);
                evento->accept();
                return;
            default:
                break;
        }
    }
    QAbstractItemView::keyPressEvent(evento);
}

void VistaArbol::changeEvent(QEvent* evento) {
    if (evento->type() == QEvent::FontChange || evento->type() == QEvent::StyleChange) {
        alto_ = 0;
        ancho_ = 0;
        Cambio();
    }
    QTreeView::changeEvent(evento);
}
