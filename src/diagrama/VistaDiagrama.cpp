#include "diagrama/VistaDiagrama.h"

#include <QApplication>
#include <QGraphicsScene>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionGraphicsItem>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace diagrama {

// ------------------------------------------------------------------------------------- item

ItemDiagrama::ItemDiagrama(const GeometriaDiagrama& geometria, const PintorDiagrama& pintor, const PaletaDiagrama& paleta)
    : g_(geometria), pintor_(pintor), paleta_(paleta), limites_(geometria.Limites()) {
    // The painter is given the exposed part only, not the whole drawing.
    setFlag(ItemUsesExtendedStyleOption, true);
}

void ItemDiagrama::paint(QPainter* p, const QStyleOptionGraphicsItem* opcion, QWidget*) {
    const double escala = QStyleOptionGraphicsItem::levelOfDetailFromTransform(p->worldTransform());
    pintor_.Pintar(*p, opcion->exposedRect, escala, paleta_);
}

void ItemDiagrama::Renovar() {
    prepareGeometryChange();
    limites_ = g_.Limites();
    pintor_.Olvidar();
    update();
}

// ------------------------------------------------------------------------------------- view

VistaDiagrama::VistaDiagrama(const GeometriaDiagrama& geometria, const PintorDiagrama& pintor, QWidget* padre)
    : QGraphicsView(padre), g_(geometria), paleta_(palette()) {
    escena_ = new QGraphicsScene(this);
    // One item: an index of items would only cost.
    escena_->setItemIndexMethod(QGraphicsScene::NoIndex);
    item_ = new ItemDiagrama(geometria, pintor, paleta_);
    escena_->addItem(item_);
    setScene(escena_);
    escena_->setSceneRect(geometria.Limites());
    setBackgroundBrush(paleta_.Fondo());
    setTransformationAnchor(QGraphicsView::NoAnchor);
    setResizeAnchor(QGraphicsView::AnchorViewCenter);
    setDragMode(QGraphicsView::NoDrag);
    setOptimizationFlags(QGraphicsView::DontSavePainterState | QGraphicsView::DontAdjustForAntialiasing);
    setViewportUpdateMode(QGraphicsView::MinimalViewportUpdate);
    setRenderHint(QPainter::TextAntialiasing, true);
    setFocusPolicy(Qt::StrongFocus);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(2);
    viewport()->setMouseTracking(true);
    setAccessibleName(QStringLiteral("Diagrama del depósito"));
}

VistaDiagrama::~VistaDiagrama() = default;

double VistaDiagrama::Escala() const {
    return transform().m11();
}

double VistaDiagrama::EscalaAjuste() const {
    const QRectF l = g_.Limites();
    const QSize v = viewport()->size();
    if (l.width() <= 0 || l.height() <= 0 || v.isEmpty()) return 1;
    return std::min((v.width() - 4) / l.width(), (v.height() - 4) / l.height());
}

double VistaDiagrama::EscalaMaxima() const {
    // Scroll bars count in int pixels: the drawing, zoomed, must stay within their range.
    const QRectF l = g_.Limites();
    const double lado = std::max({l.width(), l.height(), 1.0});
    return std::max(EscalaMinima(), std::min(6.0, 1.0e9 / lado));
}

double VistaDiagrama::EscalaMinima() const {
    return std::max(1e-6, std::min(EscalaAjuste() / 2, 0.5));
}

void VistaDiagrama::AplicarEscala(double escala, const QPointF& ancla) {
    escala = std::clamp(escala, EscalaMinima(), EscalaMaxima());
    const QPointF antes = mapToScene(ancla.toPoint());
    setTransform(QTransform::fromScale(escala, escala));
    const QPointF despues = mapToScene(ancla.toPoint());
    const QPointF d = (antes - despues) * escala;
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + static_cast<int>(std::lround(d.x())));
    verticalScrollBar()->setValue(verticalScrollBar()->value() + static_cast<int>(std::lround(d.y())));
    Q_EMIT EscalaCambiada(escala);
}

void VistaDiagrama::FijarEscala(double escala) {
    ajustado_ = false;
    AplicarEscala(escala, QPointF(viewport()->width() / 2.0, viewport()->height() / 2.0));
}

void VistaDiagrama::Ajustar() {
    FijarEscala(EscalaAjuste());
    centerOn(g_.Limites().center());
    ajustado_ = true;
}

void VistaDiagrama::Acercar(double factor) {
    FijarEscala(Escala() * factor);
}

QRectF VistaDiagrama::ZonaVisible() const {
    return mapToScene(viewport()->rect()).boundingRect().intersected(g_.Limites());
}

void VistaDiagrama::Renovar(bool ajustar) {
    seleccionado_ = bajo_ = -1;
    item_->Renovar();
    escena_->setSceneRect(g_.Limites());
    // Still fitted (the operator has not zoomed or moved since), it fits the new drawing.
    if (ajustar || ajustado_)
        Ajustar();
    else
        FijarEscala(Escala());
    viewport()->update();
}

void VistaDiagrama::Centrar(int nodo) {
    const QRectF r = g_.RectNodo(nodo);
    if (r.isEmpty()) return;
    // A cell or a rack is brought to where its code can be read; a larger node is only centred.
    const double legible = PintorDiagrama::kEscalaTexto * 1.6;
    ajustado_ = false;
    if (r.height() < 6 * GeometriaDiagrama::kAltoCelda && Escala() < legible) {
        setTransform(QTransform::fromScale(std::min(legible, EscalaMaxima()), std::min(legible, EscalaMaxima())));
        Q_EMIT EscalaCambiada(Escala());
    }
    centerOn(r.center());
}

void VistaDiagrama::Marcar(int& nodo, int nuevo) {
    if (nodo == nuevo) return;
    auto actualizar = [this](int n) {
        const QRectF r = g_.RectNodo(n);
        if (!r.isEmpty()) viewport()->update(mapFromScene(r).boundingRect().adjusted(-4, -4, 4, 4));
    };
    actualizar(nodo);
    nodo = nuevo;
    actualizar(nodo);
}

void VistaDiagrama::Seleccionar(int nodo) {
    Marcar(seleccionado_, nodo);
}

void VistaDiagrama::Mover(double dx, double dy) {
    ajustado_ = false;
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + static_cast<int>(dx));
    verticalScrollBar()->setValue(verticalScrollBar()->value() + static_cast<int>(dy));
}

void VistaDiagrama::wheelEvent(QWheelEvent* e) {
    const QPoint d = e->angleDelta();
    if (e->modifiers() & Qt::ShiftModifier) {
        Mover(-d.y(), 0);
    } else if (d.y() != 0) {
        ajustado_ = false;
        AplicarEscala(Escala() * std::pow(kPaso, d.y() / 120.0), e->position());
    }
    e->accept();
}

void VistaDiagrama::keyPressEvent(QKeyEvent* e) {
    const double paso = std::max(16.0, viewport()->width() / 8.0), pagina = viewport()->height() * 0.9;
    switch (e->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            Acercar(kPaso);
            break;
        case Qt::Key_Minus:
            Acercar(1 / kPaso);
            break;
        case Qt::Key_0:
        case Qt::Key_Asterisk:
            Ajustar();
            break;
        case Qt::Key_Left:
            Mover(-paso, 0);
            break;
        case Qt::Key_Right:
            Mover(paso, 0);
            break;
        case Qt::Key_Up:
            Mover(0, -paso);
            break;
        case Qt::Key_Down:
            Mover(0, paso);
            break;
        case Qt::Key_PageUp:
            Mover(0, -pagina);
            break;
        case Qt::Key_PageDown:
            Mover(0, pagina);
            break;
        case Qt::Key_Home:
            ajustado_ = false;
            verticalScrollBar()->setValue(verticalScrollBar()->minimum());
            horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
            break;
        case Qt::Key_End:
            ajustado_ = false;
            verticalScrollBar()->setValue(verticalScrollBar()->maximum());
            break;
        default:
            QGraphicsView::keyPressEvent(e);
            return;
    }
    e->accept();
}

void VistaDiagrama::mousePressEvent(QMouseEvent* e) {
    presion_ = e->position().toPoint();
    boton_ = e->button();
    arrastrando_ = false;
    if (boton_ == Qt::MiddleButton) viewport()->setCursor(Qt::ClosedHandCursor);
    setFocus(Qt::MouseFocusReason);
    e->accept();
}

void VistaDiagrama::mouseMoveEvent(QMouseEvent* e) {
    const QPoint aqui = e->position().toPoint();
    if (boton_ == Qt::LeftButton || boton_ == Qt::MiddleButton) {
        if (!arrastrando_ && (aqui - presion_).manhattanLength() >= QApplication::startDragDistance()) {
            arrastrando_ = true;
            viewport()->setCursor(Qt::ClosedHandCursor);
        }
        if (arrastrando_) {
            const QPoint d = aqui - presion_;
            presion_ = aqui;
            Mover(-d.x(), -d.y());
        }
        e->accept();
        return;
    }
    const int n = g_.NodoEn(mapToScene(aqui));
    if (n != bajo_) {
        Marcar(bajo_, n);
        Q_EMIT NodoBajoPuntero(n);
    }
    e->accept();
}

void VistaDiagrama::mouseReleaseEvent(QMouseEvent* e) {
    const bool clic = e->button() == Qt::LeftButton && boton_ == Qt::LeftButton && !arrastrando_;
    boton_ = Qt::NoButton;
    arrastrando_ = false;
    viewport()->unsetCursor();
    if (clic) {
        const int n = g_.NodoEn(mapToScene(e->position().toPoint()));
        Seleccionar(n);
        Q_EMIT NodoElegido(n);
    }
    e->accept();
}

void VistaDiagrama::leaveEvent(QEvent* e) {
    if (bajo_ >= 0) {
        Marcar(bajo_, -1);
        Q_EMIT NodoBajoPuntero(-1);
    }
    QGraphicsView::leaveEvent(e);
}

void VistaDiagrama::resizeEvent(QResizeEvent* e) {
    QGraphicsView::resizeEvent(e);
    if (ajustado_) Ajustar();
}

void VistaDiagrama::changeEvent(QEvent* e) {
    if (e->type() == QEvent::PaletteChange) {
        paleta_ = PaletaDiagrama(palette());
        setBackgroundBrush(paleta_.Fondo());
        viewport()->update();
    }
    QGraphicsView::changeEvent(e);
}

bool VistaDiagrama::viewportEvent(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* h = static_cast<QHelpEvent*>(e);
        const int n = g_.NodoEn(mapToScene(h->pos()));
        const QString texto = n >= 0 && textoNodo_ ? textoNodo_(n) : QString();
        if (texto.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(h->globalPos(), texto, viewport());
        return true;
    }
    return QGraphicsView::viewportEvent(e);
}

void VistaDiagrama::drawForeground(QPainter* p, const QRectF&) {
    p->save();
    p->setBrush(Qt::NoBrush);
    if (bajo_ >= 0 && bajo_ != seleccionado_) {
        QPen pen(paleta_.Seleccion(), 1.5, Qt::DashLine);
        pen.setCosmetic(true);
        p->setPen(pen);
        p->drawRect(g_.RectNodo(bajo_));
    }
    if (seleccionado_ >= 0) {
        QPen pen(paleta_.Seleccion(), 3);
        pen.setCosmetic(true);
        p->setPen(pen);
        p->drawRect(g_.RectNodo(seleccionado_));
    }
    p->restore();
}

bool VistaDiagrama::event(QEvent* e) {
    const bool r = QGraphicsView::event(e);
    if (e->type() == QEvent::Paint) {
        // The frame around the view (outside what scrolls) tells where the keys go.
        QPainter q(this);
        q.setPen(QPen(hasFocus() ? palette().color(QPalette::Highlight) : palette().color(QPalette::Mid), 2));
        q.setBrush(Qt::NoBrush);
        q.drawRect(QRectF(frameRect()).adjusted(1, 1, -1, -1));
    }
    return r;
}

void VistaDiagrama::focusInEvent(QFocusEvent* e) {
    QGraphicsView::focusInEvent(e);
    update();
}

void VistaDiagrama::focusOutEvent(QFocusEvent* e) {
    QGraphicsView::focusOutEvent(e);
    update();
}

}  // namespace diagrama
