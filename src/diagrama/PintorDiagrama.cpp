#include "diagrama/PintorDiagrama.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPaintEngine>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace diagrama {

namespace {

using G = GeometriaDiagrama;

// Fonts in drawing units: the painter's transform scales them with everything else.
constexpr int kLetraCelda = 10;
constexpr int kLetraRotulo = 11;
constexpr int kLetraCabecera = 20;
constexpr int kLetraAviso = 16;
// A description is drawn from its first characters only: a cell holds a few words at most.
constexpr qsizetype kLargoDibujado = 120;
// The hatching's strip in a cell whose texts are drawn.
constexpr double kFranjaTrama = 10;

QFont Letra(int unidades, bool negrita) {
    QFont f;
    f.setPixelSize(unidades);
    f.setBold(negrita);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

// The hatching of a state as a texture: Qt's pattern in the state's strong tone over nothing, so
// it can be laid over the fill at a size fixed on the screen (or on paper) whatever the zoom.
QImage TexturaTrama(Estado e, const PaletaDiagrama& paleta) {
    QImage img(8, 8, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter q(&img);
    q.fillRect(img.rect(), QBrush(paleta.Trama(e), PaletaDiagrama::Patron(e)));
    return img;
}

// The part of a line inside a rectangle (Liang-Barsky); false when none is.
bool Recortar(QLineF& l, const QRectF& r) {
    double t0 = 0, t1 = 1;
    const double dx = l.dx(), dy = l.dy();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {l.x1() - r.left(), r.right() - l.x1(), l.y1() - r.top(), r.bottom() - l.y1()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    l = QLineF(l.pointAt(t0), l.pointAt(t1));
    return true;
}

// The same hatching drawn as lines, every `paso` drawing units: for an SVG drawing, whose
// generator writes a texture brush as its plain colour and keeps no clip, so every line is cut to
// the rectangle here.
void RayarConLineas(QPainter& p, const QRectF& r, Estado e, const PaletaDiagrama& paleta, double paso) {
    const Qt::BrushStyle patron = PaletaDiagrama::Patron(e);
    if (patron == Qt::NoBrush || r.isEmpty() || paso <= 0) return;
    p.save();
    p.setPen(QPen(paleta.Trama(e), paso / 8));
    const bool horizontal = patron == Qt::HorPattern || patron == Qt::CrossPattern;
    const bool vertical = patron == Qt::CrossPattern;
    const bool diagonal = patron == Qt::BDiagPattern || patron == Qt::DiagCrossPattern;
    const bool contraria = patron == Qt::DiagCrossPattern;
    QVector<QLineF> lineas;
    if (horizontal)
        for (double y = r.top() + paso / 2; y < r.bottom(); y += paso) lineas.append(QLineF(r.left(), y, r.right(), y));
    if (vertical)
        for (double x = r.left() + paso / 2; x < r.right(); x += paso) lineas.append(QLineF(x, r.top(), x, r.bottom()));
    const double alto = r.height();
    for (double d = -alto; (diagonal || contraria) && d < r.width(); d += paso) {
        QLineF a(r.left() + d, r.bottom(), r.left() + d + alto, r.top()),
            b(r.left() + d, r.top(), r.left() + d + alto, r.bottom());
        if (diagonal && Recortar(a, r)) lineas.append(a);
        if (contraria && Recortar(b, r)) lineas.append(b);
    }
    p.drawLines(lineas);
    p.restore();
}

bool EsVectorial(const QPainter& p) {
    return p.paintEngine() && p.paintEngine()->type() == QPaintEngine::SVG;
}

// Values of the line pictures: the state of the most urgent position under each pixel.
enum Pixel : uchar { PixelVacio, PixelTitulo, PixelLibre, PixelPicking, PixelReservado, PixelCompleta, PixelBloqueado };

uchar PixelDe(Estado e) {
    switch (e) {
        case Estado::Titulo:
            return PixelTitulo;
        case Estado::Libre:
            return PixelLibre;
        case Estado::Picking:
            return PixelPicking;
        case Estado::Reservado:
            return PixelReservado;
        case Estado::Completa:
            return PixelCompleta;
        case Estado::Bloqueado:
            return PixelBloqueado;
    }
    return PixelVacio;
}

QList<QRgb> TablaColores(const PaletaDiagrama& paleta) {
    QList<QRgb> t(7, qRgba(0, 0, 0, 0));
    const Estado orden[] = {Estado::Titulo,    Estado::Libre,    Estado::Picking,
                            Estado::Reservado, Estado::Completa, Estado::Bloqueado};
    for (int i = 0; i < 6; ++i) t[i + 1] = paleta.Bloque(orden[i]).rgba();
    return t;
}

}  // namespace

struct PintorDiagrama::Contexto {
    QPainter& p;
    QRectF zona;
    double escala;
    const PaletaDiagrama& paleta;
    const LayoutDeposito& layout;
    double px;  // one screen pixel, in drawing units
    QFont celda = Letra(kLetraCelda, false), marca = Letra(kLetraCelda, true), rotulo = Letra(kLetraRotulo, false),
          cabecera = Letra(kLetraCabecera, true), aviso = Letra(kLetraAviso, true);
    QFontMetricsF mCelda{celda}, mMarca{marca}, mRotulo{rotulo}, mCabecera{cabecera}, mAviso{aviso};
    QBrush tramas[kEstados];
    bool vectorial = false;        // an SVG drawing: hatching as lines
    QVector<QRectF> marcos;        // frames of racks and aisles, drawn together at the end
    QVector<QRectF> marcosCeldas;  // the lighter frames of the cells
    QVector<QRectF> fuera;         // frames of what lies outside the levels

    Contexto(QPainter& pintor, const QRectF& z, double e, const PaletaDiagrama& pal, const LayoutDeposito& l)
        : p(pintor), zona(z), escala(e), paleta(pal), layout(l), px(1.0 / e), vectorial(EsVectorial(pintor)) {
        for (int i = 0; i < kEstados; ++i) {
            const auto estado = static_cast<Estado>(i);
            if (PaletaDiagrama::Patron(estado) == Qt::NoBrush) continue;
            tramas[i] = QBrush(TexturaTrama(estado, pal));
            tramas[i].setTransform(QTransform::fromScale(px, px));
        }
    }

    void Rayar(const QRectF& r, Estado e) {
        const QBrush& trama = tramas[static_cast<int>(e)];
        if (trama.style() == Qt::NoBrush) return;
        if (vectorial)
            RayarConLineas(p, r, e, paleta, 8 * px);
        else
            p.fillRect(r, trama);
    }
};

bool PintorDiagrama::Pintar(QPainter& p, const QRectF& zona, double escala, const PaletaDiagrama& paleta,
                            const std::function<bool()>& seguir) const {
    const LayoutDeposito* layout = g_.Layout();
    if (!layout || escala <= 0) return true;
    p.save();
    Contexto c(p, zona, escala, paleta, *layout);

    // The notices above the aisles.
    const QStringList& avisos = layout->Avisos();
    for (int i = 0; i < avisos.size(); ++i) {
        const QRectF r = g_.RectAviso(i);
        if (!r.intersects(zona)) continue;
        // Too small to be read, a notice is left out: the window shows them above the drawing.
        if (kLetraAviso * escala < 6) break;
        p.setFont(c.aviso);
        p.setPen(paleta.Aviso());
        p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, c.mAviso.elidedText(avisos[i], Qt::ElideRight, r.width()));
    }

    for (const int i : g_.CallesEn(zona)) PintarCalle(c, i);
    bool completo = true;
    for (const int l : g_.LineasEn(zona)) {
        PintarLinea(c, l);
        if (seguir && !seguir()) {
            completo = false;
            break;
        }
    }

    QPen pen(paleta.LineaTenue(), c.px);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRects(c.marcosCeldas);
    pen.setColor(paleta.Linea());
    p.setPen(pen);
    p.drawRects(c.marcos);
    QPen aviso(paleta.Aviso(), 2 * c.px, Qt::DashLine);
    p.setPen(aviso);
    p.drawRects(c.fuera);
    p.restore();
    return completo;
}

void PintorDiagrama::PintarCalle(Contexto& c, int i) const {
    const G::Calle& calle = g_.Calles()[static_cast<size_t>(i)];
    const LayoutDeposito& l = c.layout;
    const bool banda = l.ClaseNodo(calle.nodo) == Clase::Banda;
    if (banda)
        c.fuera.append(calle.marco.adjusted(-G::kMargen / 3, 0, G::kMargen / 3, 0));
    else
        c.marcos.append(calle.marco.adjusted(-G::kMargen / 3, 0, G::kMargen / 3, 0));
    const QRectF h = calle.cabecera;
    if (!h.intersects(c.zona)) return;
    const Estado e = l.EstadoNodo(calle.nodo);
    if (e == Estado::Titulo || banda) {
        c.p.fillRect(h, c.paleta.Cabecera());
    } else {
        c.p.fillRect(h, c.paleta.Relleno(e));
        c.Rayar(h, e);
    }
    if (kLetraCabecera * c.escala < 6) return;
    QString texto;
    if (banda) {
        texto = QStringLiteral("⚠ ") + l.Descripcion(calle.nodo).toString() +
                QStringLiteral(" · %1 posición(es)").arg(l.CantidadFuera());
    } else {
        texto = l.TituloRol(1) + QLatin1Char(' ') + l.Codigo(calle.nodo).toString();
        const QStringView d = l.Descripcion(calle.nodo).left(kLargoDibujado).trimmed();
        if (!d.isEmpty()) texto += QStringLiteral(" · ") + d.toString();
        const QString letras = PaletaDiagrama::Letras(l.Marcas(calle.nodo));
        if (!letras.isEmpty()) texto += QStringLiteral("  [") + letras + QLatin1Char(']');
    }
    c.p.setFont(c.cabecera);
    c.p.setPen(banda ? c.paleta.Aviso() : c.paleta.Texto());
    const QRectF t = h.adjusted(8, 0, -8, 0);
    c.p.drawText(t, Qt::AlignLeft | Qt::AlignVCenter, c.mCabecera.elidedText(texto, Qt::ElideRight, t.width()));
}

void PintorDiagrama::PintarLinea(Contexto& c, int l) const {
    const G::Linea& linea = g_.Lineas()[static_cast<size_t>(l)];
    const LayoutDeposito& lay = c.layout;
    if (c.escala < kEscalaBloques) {
        const QRectF area(linea.x, linea.y, linea.ancho, linea.alto());
        if (area.intersects(c.zona)) c.p.drawImage(area, Vista(l, c.paleta));
        return;
    }
    const auto [r0, r1] = g_.RacksEn(l, c.zona.left(), c.zona.right());
    for (int r = r0; r < r1; ++r) {
        const G::Rack& rack = g_.Racks()[static_cast<size_t>(r)];
        const QRectF celdas = g_.RectRack(r);
        const Clase clase = lay.ClaseNodo(rack.nodo);
        if (celdas.intersects(c.zona)) {
            const double h = G::kAltoCelda;
            const int j0 = std::max(0, static_cast<int>(std::floor((linea.Piso() - c.zona.bottom()) / h)));
            const int j1 = std::min(rack.celdas - 1, static_cast<int>(std::floor((linea.Piso() - c.zona.top()) / h)));
            for (int j = j0; j <= j1; ++j) {
                const int nodo = rack.propio ? rack.nodo : lay.Hijo(rack.nodo, j);
                const QRectF rc = g_.RectCelda(r, j);
                const int n = rack.propio ? 0 : lay.CantidadHijos(nodo);
                if (n == 0) {
                    PintarCelda(c, rc, nodo);
                    continue;
                }
                const double w = rc.width() / n;
                const int k0 = std::clamp(static_cast<int>(std::floor((c.zona.left() - rc.x()) / w)), 0, n - 1);
                const int k1 = std::clamp(static_cast<int>(std::floor((c.zona.right() - rc.x()) / w)), 0, n - 1);
                for (int k = k0; k <= k1; ++k) PintarCelda(c, QRectF(rc.x() + k * w, rc.y(), w, rc.height()), lay.Hijo(nodo, k));
                // The divided cell itself: its frame around its subdivisions.
                c.marcos.append(rc);
            }
            if (!rack.propio) {
                if (clase == Clase::Ausente || clase == Clase::SinNivelSuperior)
                    c.fuera.append(celdas.adjusted(-3 * c.px, -3 * c.px, 3 * c.px, 0));
                else if (c.escala >= kEscalaTramas)
                    c.marcos.append(celdas);
            }
        }
        const QRectF rotulo = g_.RectRotulo(r);
        if (c.escala * kLetraRotulo < 5.5 || !rotulo.intersects(c.zona)) continue;
        QString texto = lay.Codigo(rack.nodo).toString();
        if (clase == Clase::Ausente)
            texto = texto.isEmpty() ? QStringLiteral("sin nivel") : texto + QStringLiteral(" (no existe)");
        const Estado e = lay.EstadoNodo(rack.nodo);
        if (!rack.propio && e != Estado::Titulo) {
            // A storable rack holding cells: its state shows under its code.
            c.p.fillRect(rotulo.adjusted(G::kSeparacion / 2, 2 * c.px, -G::kSeparacion / 2, 0), c.paleta.Relleno(e));
            texto += QStringLiteral(" [") + PaletaDiagrama::Letras(lay.Marcas(rack.nodo)) + QLatin1Char(']');
        }
        c.p.setFont(c.rotulo);
        c.p.setPen(clase == Clase::Normal ? c.paleta.Texto() : c.paleta.Aviso());
        c.p.drawText(rotulo, Qt::AlignHCenter | Qt::AlignTop, c.mRotulo.elidedText(texto, Qt::ElideMiddle, rotulo.width()));
    }
}

void PintorDiagrama::PintarCelda(Contexto& c, const QRectF& r, int nodo) const {
    const Estado e = c.layout.EstadoNodo(nodo);
    // A gap of one pixel between neighbours, so blocks stay apart at any zoom.
    const double d = std::min(c.px, r.width() / 8);
    const QRectF rr = r.adjusted(d, d, -d, -d);
    if (e != Estado::Titulo) {
        if (c.escala >= kEscalaTramas) {
            c.p.fillRect(rr, c.paleta.Relleno(e));
            // Once the texts are drawn, the hatching keeps to a strip on the left, clear of them.
            c.Rayar(c.escala >= kEscalaTexto ? QRectF(rr.x(), rr.y(), std::min(rr.width() / 4, kFranjaTrama), rr.height()) : rr,
                    e);
        } else {
            // Too small for the hatching: the stronger tone the line pictures use.
            c.p.fillRect(rr, c.paleta.Bloque(e));
        }
    }
    if (c.escala >= kEscalaTramas) c.marcosCeldas.append(rr);
    if (c.escala >= kEscalaTexto && rr.width() * c.escala >= 14) PintarTextos(c, rr, nodo);
}

void PintorDiagrama::PintarTextos(Contexto& c, const QRectF& r, int nodo) const {
    const LayoutDeposito& l = c.layout;
    const double margen = 3;
    const Estado e = l.EstadoNodo(nodo);
    const bool franja = PaletaDiagrama::Patron(e) != Qt::NoBrush;
    const QRectF t = r.adjusted(margen + (franja ? std::min(r.width() / 4, kFranjaTrama) : 0), 1, -margen, -1);
    const QString letras = PaletaDiagrama::Letras(l.Marcas(nodo));
    double anchoLetras = 0;
    if (!letras.isEmpty()) {
        anchoLetras = c.mMarca.horizontalAdvance(letras) + 2;
        if (anchoLetras < t.width() / 2) {
            c.p.setFont(c.marca);
            c.p.setPen(c.paleta.Trama(e));
            c.p.drawText(t, Qt::AlignRight | Qt::AlignTop, letras);
        } else {
            anchoLetras = 0;
        }
    }
    c.p.setFont(c.celda);
    c.p.setPen(e == Estado::Titulo ? c.paleta.TextoTenue() : c.paleta.Texto());
    const QString codigo = l.Codigo(nodo).toString();
    c.p.drawText(QRectF(t.x(), t.y(), t.width() - anchoLetras, t.height()), Qt::AlignLeft | Qt::AlignTop,
                 c.mCelda.elidedText(codigo, Qt::ElideMiddle, t.width() - anchoLetras));
    if (c.escala < kEscalaSegundaLinea) return;
    const QString capacidad = e == Estado::Titulo ? QString() : TextoCapacidad(l, nodo);
    if (!capacidad.isEmpty())
        c.p.drawText(t, Qt::AlignLeft | Qt::AlignBottom, c.mCelda.elidedText(capacidad, Qt::ElideRight, t.width()));
    if (c.escala < kEscalaDescripcion) return;
    const QString descripcion = l.Descripcion(nodo).left(kLargoDibujado).trimmed().toString();
    if (descripcion.isEmpty()) return;
    c.p.setPen(c.paleta.TextoTenue());
    c.p.drawText(t, Qt::AlignLeft | Qt::AlignVCenter, c.mCelda.elidedText(descripcion, Qt::ElideRight, t.width()));
}

QString PintorDiagrama::TextoCapacidad(const LayoutDeposito& layout, int nodo) {
    QString r;
    if (layout.TieneCapacidad(nodo)) {
        const double v = layout.Capacidad(nodo);
        if (v >= 999999)
            r = QStringLiteral("∞");
        else {
            QLocale es(QLocale::Spanish, QLocale::Argentina);
            es.setNumberOptions(QLocale::OmitGroupSeparator);
            r = es.toString(v, 'f', QLocale::FloatingPointShortest);
        }
    }
    const QString u = layout.Unidad(nodo);
    if (!u.isEmpty()) r += (r.isEmpty() ? QString() : QStringLiteral(" ")) + u;
    return r;
}

const QImage& PintorDiagrama::Vista(int l, const PaletaDiagrama& paleta) const {
    if (vistas_.size() != g_.Lineas().size()) vistas_.assign(g_.Lineas().size(), QImage());
    QImage& img = vistas_[static_cast<size_t>(l)];
    const QList<QRgb> colores = TablaColores(paleta);
    if (!img.isNull()) {
        if (img.colorTable() != colores) img.setColorTable(colores);
        return img;
    }
    const G::Linea& linea = g_.Lineas()[static_cast<size_t>(l)];
    const LayoutDeposito& lay = *g_.Layout();
    // A pixel per quarter column (so the gaps between racks show) and one per cell, within a size
    // any painter takes; a taller or wider line shares pixels among positions.
    const int w = std::clamp(static_cast<int>(std::ceil(linea.ancho / G::kSeparacion)), 1, 4096);
    const int h = std::clamp(linea.celdas, 1, 2048);
    img = QImage(w, h, QImage::Format_Indexed8);
    img.setColorTable(colores);
    img.fill(0);
    const double fx = w / linea.ancho, fy = h / linea.alto();
    auto marcar = [&](const QRectF& r, uchar v) {
        const int x0 = std::clamp(static_cast<int>(std::floor((r.left() - linea.x) * fx)), 0, w - 1);
        const int x1 = std::clamp(static_cast<int>(std::floor((r.right() - linea.x) * fx)), x0 + 1, w);
        const int y0 = std::clamp(static_cast<int>(std::floor((r.top() - linea.y) * fy)), 0, h - 1);
        const int y1 = std::clamp(static_cast<int>(std::floor((r.bottom() - linea.y) * fy)), y0 + 1, h);
        for (int y = y0; y < y1; ++y) {
            uchar* fila = img.scanLine(y);
            for (int x = x0; x < x1; ++x) fila[x] = std::max(fila[x], v);
        }
    };
    for (int r = linea.primerRack; r < linea.primerRack + linea.racks; ++r) {
        const G::Rack& rack = g_.Racks()[static_cast<size_t>(r)];
        for (int j = 0; j < rack.celdas; ++j) {
            const int nodo = rack.propio ? rack.nodo : lay.Hijo(rack.nodo, j);
            const int n = rack.propio ? 0 : lay.CantidadHijos(nodo);
            const QRectF rc = g_.RectCelda(r, j);
            if (n == 0) {
                marcar(rc, PixelDe(lay.EstadoNodo(nodo)));
                continue;
            }
            for (int k = 0; k < n; ++k)
                marcar(QRectF(rc.x() + k * rc.width() / n, rc.y(), rc.width() / n, rc.height()),
                       PixelDe(lay.EstadoNodo(lay.Hijo(nodo, k))));
        }
    }
    return img;
}

void PintorDiagrama::PintarMuestra(QPainter& p, const QRectF& r, Estado e, const PaletaDiagrama& paleta) {
    p.save();
    if (e != Estado::Titulo) {
        p.fillRect(r, paleta.Relleno(e));
        if (EsVectorial(p))
            RayarConLineas(p, r, e, paleta, 8);
        else if (PaletaDiagrama::Patron(e) != Qt::NoBrush)
            p.fillRect(r, QBrush(TexturaTrama(e, paleta)));
    }
    p.setPen(QPen(paleta.Linea(), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
    const QString letra = PaletaDiagrama::Letra(e);
    if (!letra.isEmpty()) {
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(std::max(6, static_cast<int>(r.height() * 0.7)));
        p.setFont(f);
        p.setPen(paleta.Trama(e));
        p.drawText(r, Qt::AlignCenter, letra);
    }
    p.restore();
}

void PintorDiagrama::PintarMuestraFuera(QPainter& p, const QRectF& r, const PaletaDiagrama& paleta) {
    p.save();
    p.setPen(QPen(paleta.Aviso(), 2, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(1, 1, -1, -1));
    p.restore();
}

void PintorDiagrama::PintarLeyenda(QPainter& p, const QRectF& r, const PaletaDiagrama& paleta, const LayoutDeposito* layout) {
    p.save();
    QFont f = p.font();
    f.setPixelSize(std::max(6, static_cast<int>(r.height() * 0.42)));
    f.setBold(false);
    p.setFont(f);
    const QFontMetricsF m(f);
    const double lado = r.height() * 0.62;
    double x = r.left();
    const double y = r.center().y();
    auto texto = [&](const QString& t) {
        p.setPen(paleta.Texto());
        const double w = m.horizontalAdvance(t);
        p.drawText(QRectF(x, r.top(), w + 1, r.height()), Qt::AlignLeft | Qt::AlignVCenter, t);
        x += w + lado;
    };
    const Estado orden[] = {Estado::Libre,    Estado::Picking,   Estado::Reservado,
                            Estado::Completa, Estado::Bloqueado, Estado::Titulo};
    for (const Estado e : orden) {
        PintarMuestra(p, QRectF(x, y - lado / 2, lado * 1.4, lado), e, paleta);
        x += lado * 1.4 + lado / 3;
        const QString letra = PaletaDiagrama::Letra(e);
        texto(NombreEstado(e) + (letra.isEmpty() ? QString() : QStringLiteral(" (") + letra + QLatin1Char(')')));
    }
    if (layout && layout->Banda() >= 0) {
        PintarMuestraFuera(p, QRectF(x, y - lado / 2, lado * 1.4, lado), paleta);
        x += lado * 1.4 + lado / 3;
        texto(QStringLiteral("Fuera de los niveles"));
    }
    if (layout) {
        p.setPen(paleta.TextoTenue());
        const QString t = QStringLiteral("Filas: %1 · a lo largo: %2 · apiladas: %3")
                              .arg(layout->PluralRol(1), layout->PluralRol(2), layout->PluralRol(3)) +
                          (layout->CantidadConRol(4) > 0 ? QStringLiteral(" · divisiones: ") + layout->PluralRol(4) : QString());
        const double resto = r.right() - x;
        if (resto > lado)
            p.drawText(QRectF(x, r.top(), resto, r.height()), Qt::AlignLeft | Qt::AlignVCenter,
                       m.elidedText(t, Qt::ElideRight, resto));
    }
    p.restore();
}

}  // namespace diagrama
