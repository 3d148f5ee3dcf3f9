#pragma once

#include "diagrama/PaletaDiagrama.h"
#include "diagrama/PintorDiagrama.h"

#include <QGraphicsItem>
#include <QGraphicsView>
#include <functional>

class QGraphicsScene;

namespace diagrama {

// The whole drawing as one scene item: it paints only the part the view exposes, at the detail
// of the view's zoom, so a warehouse of 100,000 positions is one item and not 100,000.
class ItemDiagrama : public QGraphicsItem {
public:
    ItemDiagrama(const GeometriaDiagrama& geometria, const PintorDiagrama& pintor, const PaletaDiagrama& paleta);
    QRectF boundingRect() const override { return limites_; }
    void paint(QPainter* p, const QStyleOptionGraphicsItem* opcion, QWidget* widget) override;
    // The layout was read again: a new size, new pictures.
    void Renovar();

private:
    const GeometriaDiagrama& g_;
    const PintorDiagrama& pintor_;
    const PaletaDiagrama& paleta_;
    QRectF limites_;
};

// The drawing's view: the wheel zooms where the pointer is, a drag with the left or middle button
// moves the drawing, a click picks the position under the pointer; from the keyboard the arrows
// and the page keys move, "+" and "-" zoom, "0" (or "*") fits the whole drawing. The pointer's
// position is told as it moves; the picked position and the one under the pointer are framed.
class VistaDiagrama : public QGraphicsView {
    Q_OBJECT
public:
    static constexpr double kPaso = 1.25;  // one zoom step

    VistaDiagrama(const GeometriaDiagrama& geometria, const PintorDiagrama& pintor, QWidget* padre = nullptr);
    ~VistaDiagrama() override;

    const PaletaDiagrama& Paleta() const { return paleta_; }
    // The layout changed (read again): the scene takes its new size; the view keeps its zoom and
    // centre unless ajustar.
    void Renovar(bool ajustar);
    // The whole drawing in the window; the view keeps fitting it when resized until the operator
    // zooms or moves.
    void Ajustar();
    void Acercar(double factor);
    double Escala() const;
    void FijarEscala(double escala);
    // The zoom that fits the whole drawing.
    double EscalaAjuste() const;
    // The part of the drawing on screen.
    QRectF ZonaVisible() const;
    // Centres a node, zooming in until it can be read when it is smaller than that.
    void Centrar(int nodo);

    int Seleccionado() const { return seleccionado_; }
    void Seleccionar(int nodo);
    int BajoPuntero() const { return bajo_; }
    // What the tool tip says of a node.
    void FijarTextoNodo(std::function<QString(int)> f) { textoNodo_ = std::move(f); }

signals:
    void NodoElegido(int nodo);
    void NodoBajoPuntero(int nodo);
    void EscalaCambiada(double escala);

protected:
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool viewportEvent(QEvent* e) override;
    void drawForeground(QPainter* p, const QRectF& zona) override;
    bool event(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void AplicarEscala(double escala, const QPointF& anclaVista);
    void Marcar(int& nodo, int nuevo);
    void Mover(double dx, double dy);
    double EscalaMaxima() const;
    double EscalaMinima() const;

    const GeometriaDiagrama& g_;
    PaletaDiagrama paleta_;
    QGraphicsScene* escena_ = nullptr;
    ItemDiagrama* item_ = nullptr;
    std::function<QString(int)> textoNodo_;
    int seleccionado_ = -1;
    int bajo_ = -1;
    bool ajustado_ = true;
    QPoint presion_;
    Qt::MouseButton boton_ = Qt::NoButton;
    bool arrastrando_ = false;
};

}  // namespace diagrama
