#include "diagrama/GeometriaDiagrama.h"

#include <algorithm>
#include <cmath>

namespace diagrama {

void GeometriaDiagrama::Calcular(const LayoutDeposito& layout) {
    layout_ = &layout;
    columnas_.clear();
    calles_.clear();
    lineas_.clear();
    racks_.clear();
    lineaDeRack_.clear();
    rackDeNodo_.clear();
    calleDeNodo_.clear();
    avisos_ = static_cast<int>(layout.Avisos().size());

    // Each aisle on its own first, from (0, 0); Colocar puts it in its column.
    for (const int a : layout.Calles()) {
        Calle c;
        c.nodo = a;
        c.primeraLinea = static_cast<int>(lineas_.size());
        double y = kCabecera;
        const int primerRack = static_cast<int>(racks_.size());
        auto agregarRack = [&](int nodo, bool propio) {
            Rack r;
            r.nodo = nodo;
            r.propio = propio;
            if (!propio) {
                r.celdas = layout.CantidadHijos(nodo);
                for (int j = 0; j < r.celdas; ++j) r.columnas = std::max(r.columnas, layout.CantidadHijos(layout.Hijo(nodo, j)));
            }
            rackDeNodo_.insert(nodo, static_cast<int>(racks_.size()));
            racks_.push_back(r);
        };
        if (layout.CantidadHijos(a) == 0) {
            agregarRack(a, true);
        } else {
            for (int i = 0; i < layout.CantidadHijos(a); ++i) {
                const int r = layout.Hijo(a, i);
                agregarRack(r, layout.CantidadHijos(r) == 0);
            }
        }
        const int cantidad = static_cast<int>(racks_.size()) - primerRack;
        // An aisle of thousands of racks would be a strip no screen or sheet can show: its lines
        // get longer, as many racks as bring the aisle itself near the drawing's shape.
        int celdas = 1;
        double anchos = 0;
        for (int r = primerRack; r < primerRack + cantidad; ++r) {
            celdas = std::max(celdas, racks_[static_cast<size_t>(r)].celdas);
            anchos += racks_[static_cast<size_t>(r)].ancho() + kSeparacion;
        }
        const double altoLinea = celdas * kAltoCelda + kRotulo + kEntreLineas;
        const double largo = std::sqrt(kProporcion * cantidad * altoLinea / std::max(1.0, anchos / std::max(1, cantidad)));
        const int maximo = std::max(kRacksPorLinea, static_cast<int>(std::ceil(largo)));
        // Lines of about the same length: 54 racks make two lines of 27, not 40 and 14.
        const int lineas = (cantidad + maximo - 1) / maximo;
        const int porLinea = (cantidad + lineas - 1) / lineas;
        // The band's heading says what it is: it gets room for it.
        double anchoCalle = layout.ClaseNodo(a) == Clase::Banda ? 2 * kAnchoMinimo : kAnchoMinimo;
        for (int desde = primerRack; desde < primerRack + cantidad; desde += porLinea) {
            Linea l;
            l.calle = static_cast<int>(calles_.size());
            l.primerRack = desde;
            l.racks = std::min(porLinea, primerRack + cantidad - desde);
            l.y = y;
            double x = 0;
            for (int r = desde; r < desde + l.racks; ++r) {
                racks_[r].x = x;
                x += racks_[r].ancho() + kSeparacion;
                l.celdas = std::max(l.celdas, racks_[r].celdas);
                lineaDeRack_.push_back(static_cast<int>(lineas_.size()));
            }
            l.ancho = x - kSeparacion;
            anchoCalle = std::max(anchoCalle, l.ancho);
            y += l.alto() + kRotulo + kEntreLineas;
            lineas_.push_back(l);
            ++c.lineas;
        }
        c.cabecera = QRectF(0, 0, anchoCalle, kCabecera);
        c.marco = QRectF(0, 0, anchoCalle, y - kEntreLineas);
        calleDeNodo_.insert(a, static_cast<int>(calles_.size()));
        calles_.push_back(c);
    }
    Colocar(kMargen + avisos_ * kAviso + (avisos_ > 0 ? kEntreCalles / 2 : 0));
}

void GeometriaDiagrama::Colocar(double arriba) {
    const int n = static_cast<int>(calles_.size());
    // Where each aisle starts a new column with k columns: a column is closed when the next aisle
    // would take it more than half that aisle past an even share of the height.
    auto repartir = [&](int k, std::vector<int>* cortes) {
        double total = 0;
        for (const Calle& c : calles_) total += c.marco.height() + kEntreCalles;
        const double objetivo = total / k;
        double alto = 0, ancho = 0, actual = 0, anchoColumna = 0;
        if (cortes) cortes->assign(1, 0);
        for (int i = 0; i < n; ++i) {
            const double h = calles_[static_cast<size_t>(i)].marco.height() + kEntreCalles;
            if (actual > 0 && actual + h / 2 > objetivo) {
                ancho += anchoColumna + kEntreColumnas;
                alto = std::max(alto, actual);
                actual = anchoColumna = 0;
                if (cortes) cortes->push_back(i);
            }
            actual += h;
            anchoColumna = std::max(anchoColumna, calles_[static_cast<size_t>(i)].marco.width());
        }
        ancho += anchoColumna;
        alto = std::max(alto, actual);
        if (cortes) cortes->push_back(n);
        return alto > 0 ? ancho / alto : kProporcion;
    };
    // More columns make the drawing wider: the fewest that reach the shape, or one less.
    int k = 1;
    if (n > 1 && repartir(1, nullptr) < kProporcion) {
        int bajo = 1, alto = n;
        while (bajo < alto) {
            const int medio = bajo + (alto - bajo) / 2;
            if (repartir(medio, nullptr) >= kProporcion)
                alto = medio;
            else
                bajo = medio + 1;
        }
        k = bajo;
        if (k > 1 &&
            std::abs(std::log(repartir(k - 1, nullptr) / kProporcion)) < std::abs(std::log(repartir(k, nullptr) / kProporcion)))
            --k;
    }
    std::vector<int> cortes;
    repartir(k, &cortes);

    double x = kMargen, abajo = arriba;
    for (size_t j = 0; j + 1 < cortes.size(); ++j) {
        Columna col;
        col.x = x;
        col.primeraCalle = cortes[j];
        col.finCalle = cortes[j + 1];
        col.primeraLinea = col.primeraCalle < n ? calles_[static_cast<size_t>(col.primeraCalle)].primeraLinea : 0;
        col.finLinea =
            col.finCalle < n ? calles_[static_cast<size_t>(col.finCalle)].primeraLinea : static_cast<int>(lineas_.size());
        double y = arriba;
        for (int i = col.primeraCalle; i < col.finCalle; ++i) {
            Calle& c = calles_[static_cast<size_t>(i)];
            col.ancho = std::max(col.ancho, c.marco.width());
            const QPointF d(x, y);
            c.cabecera.translate(d);
            c.marco.translate(d);
            for (int l = c.primeraLinea; l < c.primeraLinea + c.lineas; ++l) {
                Linea& linea = lineas_[static_cast<size_t>(l)];
                linea.x += x;
                linea.y += y;
                for (int r = linea.primerRack; r < linea.primerRack + linea.racks; ++r) racks_[static_cast<size_t>(r)].x += x;
            }
            y += c.marco.height() + kEntreCalles;
        }
        abajo = std::max(abajo, y);
        columnas_.push_back(col);
        x += col.ancho + kEntreColumnas;
    }
    double ancho = columnas_.empty() ? 0 : x - kEntreColumnas - kMargen;
    // Wide enough for the notices to be read beside a small layout.
    if (avisos_ > 0) ancho = std::max(ancho, kAnchoAvisos);
    limites_ = QRectF(0, 0, ancho + 2 * kMargen, (n > 0 ? abajo - kEntreCalles : arriba) + kMargen);
}

std::vector<double> GeometriaDiagrama::Cortes() const {
    std::vector<double> r;
    for (const Calle& c : calles_) {
        r.push_back(c.marco.top() - kEntreCalles / 2);
        for (int l = c.primeraLinea + 1; l < c.primeraLinea + c.lineas; ++l)
            r.push_back(lineas_[static_cast<size_t>(l)].y - kEntreLineas / 2);
    }
    std::sort(r.begin(), r.end());
    return r;
}

QRectF GeometriaDiagrama::RectAviso(int i) const {
    return QRectF(kMargen, kMargen + i * kAviso, limites_.width() - 2 * kMargen, kAviso);
}

std::vector<int> GeometriaDiagrama::LineasEn(const QRectF& zona) const {
    std::vector<int> r;
    for (const Columna& col : columnas_) {
        if (col.x >= zona.right() || col.x + col.ancho + kSeparacion / 2 <= zona.left()) continue;
        const auto inicio = lineas_.begin() + col.primeraLinea, fin = lineas_.begin() + col.finLinea;
        auto desde = std::partition_point(inicio, fin, [&](const Linea& l) { return l.Piso() + kRotulo <= zona.top(); });
        for (auto l = desde; l != fin && l->y < zona.bottom(); ++l) r.push_back(static_cast<int>(l - lineas_.begin()));
    }
    return r;
}

std::pair<int, int> GeometriaDiagrama::RacksEn(int linea, double x0, double x1) const {
    const Linea& l = lineas_[static_cast<size_t>(linea)];
    const auto inicio = racks_.begin() + l.primerRack, fin = inicio + l.racks;
    // A rack's code may be a little wider than the rack: half a gap each side counts.
    auto desde = std::partition_point(inicio, fin, [x0](const Rack& r) { return r.x + r.ancho() + kSeparacion / 2 <= x0; });
    auto hasta = std::partition_point(desde, fin, [x1](const Rack& r) { return r.x - kSeparacion / 2 < x1; });
    return {static_cast<int>(desde - racks_.begin()), static_cast<int>(hasta - racks_.begin())};
}

std::vector<int> GeometriaDiagrama::CallesEn(const QRectF& zona) const {
    std::vector<int> r;
    for (const Columna& col : columnas_) {
        if (col.x >= zona.right() || col.x + col.ancho <= zona.left()) continue;
        const auto inicio = calles_.begin() + col.primeraCalle, fin = calles_.begin() + col.finCalle;
        auto desde = std::partition_point(inicio, fin, [&](const Calle& c) { return c.marco.bottom() <= zona.top(); });
        for (auto c = desde; c != fin && c->marco.top() < zona.bottom(); ++c) r.push_back(static_cast<int>(c - calles_.begin()));
    }
    return r;
}

int GeometriaDiagrama::LineaDeRack(int rack) const {
    return lineaDeRack_[static_cast<size_t>(rack)];
}

QRectF GeometriaDiagrama::RectCelda(int rack, int j) const {
    const Rack& r = racks_[static_cast<size_t>(rack)];
    const Linea& l = lineas_[static_cast<size_t>(LineaDeRack(rack))];
    return QRectF(r.x, l.Piso() - (j + 1) * kAltoCelda, r.ancho(), kAltoCelda);
}

QRectF GeometriaDiagrama::RectSubdivision(int rack, int j, int k, int cantidad) const {
    const QRectF c = RectCelda(rack, j);
    const double w = c.width() / std::max(1, cantidad);
    return QRectF(c.x() + k * w, c.y(), w, c.height());
}

QRectF GeometriaDiagrama::RectRack(int rack) const {
    const Rack& r = racks_[static_cast<size_t>(rack)];
    const Linea& l = lineas_[static_cast<size_t>(LineaDeRack(rack))];
    return QRectF(r.x, l.Piso() - r.celdas * kAltoCelda, r.ancho(), r.celdas * kAltoCelda);
}

QRectF GeometriaDiagrama::RectRotulo(int rack) const {
    const Rack& r = racks_[static_cast<size_t>(rack)];
    const Linea& l = lineas_[static_cast<size_t>(LineaDeRack(rack))];
    return QRectF(r.x - kSeparacion / 2, l.Piso(), r.ancho() + kSeparacion, kRotulo);
}

int GeometriaDiagrama::NodoEn(const QPointF& p) const {
    if (!layout_) return -1;
    const QRectF punto(p, QSizeF(1e-9, 1e-9));
    for (const int l : LineasEn(punto)) {
        const auto [r0, r1] = RacksEn(l, p.x(), p.x() + 1e-9);
        for (int r = r0; r < r1; ++r) {
            const Rack& rack = racks_[static_cast<size_t>(r)];
            const QRectF celdas = RectRack(r);
            if (celdas.contains(p)) {
                if (rack.propio) return rack.nodo;
                const int j =
                    std::clamp(static_cast<int>(std::floor((celdas.bottom() - p.y()) / kAltoCelda)), 0, rack.celdas - 1);
                const int celda = layout_->Hijo(rack.nodo, j);
                const int n = layout_->CantidadHijos(celda);
                if (n == 0) return celda;
                const int k = std::clamp(static_cast<int>(std::floor((p.x() - rack.x) / (rack.ancho() / n))), 0, n - 1);
                return layout_->Hijo(celda, k);
            }
            if (RectRotulo(r).contains(p)) return rack.nodo;
        }
    }
    for (const int c : CallesEn(punto))
        if (calles_[static_cast<size_t>(c)].cabecera.contains(p)) return calles_[static_cast<size_t>(c)].nodo;
    return -1;
}

QRectF GeometriaDiagrama::RectNodo(int nodo) const {
    if (!layout_ || nodo < 0 || nodo >= layout_->Cantidad()) return QRectF();
    if (const auto c = calleDeNodo_.constFind(nodo); c != calleDeNodo_.constEnd()) return calles_[static_cast<size_t>(*c)].marco;
    if (const auto r = rackDeNodo_.constFind(nodo); r != rackDeNodo_.constEnd()) return RectRack(*r).united(RectRotulo(*r));
    const int padre = layout_->Padre(nodo);
    if (padre < 0) return QRectF();
    if (const auto r = rackDeNodo_.constFind(padre); r != rackDeNodo_.constEnd()) return RectCelda(*r, layout_->Fila(nodo));
    const int abuelo = layout_->Padre(padre);
    if (const auto r = rackDeNodo_.constFind(abuelo); abuelo >= 0 && r != rackDeNodo_.constEnd())
        return RectSubdivision(*r, layout_->Fila(padre), layout_->Fila(nodo), layout_->CantidadHijos(padre));
    return QRectF();
}

}  // namespace diagrama
