#include "Armado.h"
#include "diagrama/GeometriaDiagrama.h"
#include "diagrama/HojasDiagrama.h"
#include "diagrama/PaletaDiagrama.h"
#include "diagrama/PintorDiagrama.h"

#include <QPaintEngine>
#include <QPainter>
#include <QtTest>
#include <cmath>

using namespace diagrama;

namespace {

// A paint device that draws nothing and counts what it is asked to draw.
class Registro : public QPaintDevice {
public:
    class Motor : public QPaintEngine {
    public:
        Motor() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override { ++imagenes; }
        void drawRects(const QRectF*, int n) override { rectangulos += n; }
        void drawRects(const QRect*, int n) override { rectangulos += n; }
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF&, const QTextItem& t) override { textos << t.text(); }
        Type type() const override { return User; }
        int imagenes = 0, rectangulos = 0;
        QStringList textos;
    };
    QPaintEngine* paintEngine() const override { return &motor; }
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
            case PdmWidth:
            case PdmHeight:
                return 100000;
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return 96;
            case PdmDepth:
                return 32;
            case PdmDevicePixelRatio:
            case PdmDevicePixelRatioScaled:
                return m == PdmDevicePixelRatio ? 1 : static_cast<int>(devicePixelRatioFScale());
            default:
                return 1;
        }
    }
    mutable Motor motor;
};

}  // namespace

// Where the drawing puts each position, how it is found again under the pointer, what a zone
// draws at each distance, and how a zone goes onto sheets.
class TstGeometriaDiagrama : public QObject {
    Q_OBJECT

private slots:
    void cadaNodoSeEncuentraDondeSeDibuja() {
        LayoutDeposito l;
        QStringList codigos = armado::Regular(3, 5, 3, 2);
        // An aisle without racks, a rack without cells, an orphan subdivision.
        codigos << QStringLiteral("07") << QStringLiteral("09") << QStringLiteral("0999") << QStringLiteral("08010101");
        armado::Llenar(l, armado::Niveles({2, 2, 2, 2}), codigos);
        GeometriaDiagrama g;
        g.Calcular(l);
        for (int n = 0; n < l.Cantidad(); ++n) {
            const QRectF r = g.RectNodo(n);
            QVERIFY2(!r.isEmpty(), qPrintable(l.Codigo(n).toString()));
            QVERIFY(g.Limites().contains(r));
            // An aisle is found by its heading, a rack by its code below it, the rest in the middle.
            QPointF donde = r.center();
            if (l.Rol(n) == 3 && l.CantidadHijos(n) > 0) {
                QCOMPARE(l.Padre(g.NodoEn(donde)), n);  // a divided cell shows its subdivisions
                continue;
            }
            if (l.Rol(n) == 1) donde = QPointF(r.left() + 4, r.top() + 4);
            if (l.Rol(n) == 2 && l.CantidadHijos(n) > 0) donde = QPointF(r.center().x(), r.bottom() - 2);
            QCOMPARE(g.NodoEn(donde), n);
        }
        // Cells stack from the floor up: the first cell is the lowest.
        QVERIFY(g.RectNodo(l.Buscar(u"010101")).top() > g.RectNodo(l.Buscar(u"010102")).top());
        // A cell's subdivisions sit side by side, in code order.
        QVERIFY(g.RectNodo(l.Buscar(u"01010101")).left() < g.RectNodo(l.Buscar(u"01010102")).left());
        QCOMPARE(g.NodoEn(QPointF(-5, -5)), -1);
    }

    void lineasParejasYColumnas() {
        LayoutDeposito l;
        armado::Llenar(l, armado::Niveles({2, 2, 2, 0}), armado::Regular(1, 54, 1));
        GeometriaDiagrama g;
        g.Calcular(l);
        QCOMPARE(g.Lineas().size(), size_t(2));
        QCOMPARE(g.Lineas()[0].racks, 27);
        QCOMPARE(g.CantidadColumnas(), 1);
        // Many aisles continue in further columns, aisles in order down each column.
        armado::Llenar(l, armado::Niveles({2, 2, 2, 0}), armado::Regular(60, 12, 4));
        g.Calcular(l);
        QVERIFY(g.CantidadColumnas() > 1);
        const double proporcion = g.Limites().width() / g.Limites().height();
        QVERIFY2(proporcion > 0.7 && proporcion < 2.8, qPrintable(QString::number(proporcion)));
        const auto& c = g.Calles();
        QCOMPARE(c[1].marco.left(), c[0].marco.left());
        QVERIFY(c[1].marco.top() > c[0].marco.top());
        QVERIFY(c.back().marco.left() > c[0].marco.right());
    }

    // Each distance draws only what crosses the zone, and texts only where they can be read.
    void nivelDeDetalleYSoloLoExpuesto() {
        LayoutDeposito l;
        armado::Llenar(l, armado::Niveles({2, 2, 2, 0}), armado::Regular(40, 40, 10));
        GeometriaDiagrama g;
        g.Calcular(l);
        const PintorDiagrama pintor(g);
        const PaletaDiagrama paleta = PaletaDiagrama::Papel();
        auto pintar = [&](const QRectF& zona, double escala) {
            auto d = std::make_unique<Registro>();
            QPainter p(d.get());
            p.scale(escala, escala);
            pintor.Pintar(p, zona, escala, paleta);
            p.end();
            return d;
        };
        // Far away: one picture per line of racks, no text.
        const auto lejos = pintar(g.Limites(), 0.02);
        QCOMPARE(lejos->motor.imagenes, static_cast<int>(g.Lineas().size()));
        QVERIFY(lejos->motor.textos.isEmpty());
        // Close: a screen's worth of one rack area: its codes, and nothing of far away.
        const QRectF celda = g.RectNodo(l.Buscar(u"050505"));
        const QRectF pantalla(celda.center() - QPointF(400, 300), QSizeF(800, 600));
        const auto cerca = pintar(pantalla, 1.0);
        QCOMPARE(cerca->motor.imagenes, 0);
        QVERIFY(cerca->motor.textos.contains(QStringLiteral("050505")));
        QVERIFY(cerca->motor.textos.contains(QStringLiteral("100 UN")));
        QVERIFY(!cerca->motor.textos.contains(QStringLiteral("404010")));
        QVERIFY2(cerca->motor.rectangulos < 1000, qPrintable(QString::number(cerca->motor.rectangulos)));
        // In between: blocks without texts.
        QVERIFY(pintar(pantalla, PintorDiagrama::kEscalaTexto / 2)->motor.textos.isEmpty());
    }

    // Dark or light, every state's fill keeps the theme's text readable on it, and states differ
    // by their hatching and letter, not by colour alone.
    void coloresLegiblesYEstadosSinColor() {
        auto luminancia = [](const QColor& c) {
            auto canal = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
            return 0.2126 * canal(c.redF()) + 0.7152 * canal(c.greenF()) + 0.0722 * canal(c.blueF());
        };
        auto contraste = [&](const QColor& a, const QColor& b) {
            const double x = luminancia(a), y = luminancia(b);
            return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
        };
        QPalette clara, oscura;
        clara.setColor(QPalette::Base, QColor(0xff, 0xff, 0xff));
        clara.setColor(QPalette::Text, QColor(0x10, 0x10, 0x10));
        oscura.setColor(QPalette::Base, QColor(0x20, 0x22, 0x25));
        oscura.setColor(QPalette::Text, QColor(0xe8, 0xe8, 0xe8));
        for (const QPalette& p : {clara, oscura}) {
            const PaletaDiagrama d(p);
            for (int e = 0; e < kEstados; ++e)
                QVERIFY2(
                    contraste(d.Texto(), d.Relleno(static_cast<Estado>(e))) >= 4.5,
                    qPrintable(
                        QStringLiteral("%1 en %2").arg(NombreEstado(static_cast<Estado>(e)), p.color(QPalette::Base).name())));
        }
        QVERIFY(PaletaDiagrama(oscura).Oscura());
        QVERIFY(PaletaDiagrama(oscura).Relleno(Estado::Libre).lightnessF() < 0.5);
        QSet<QString> vistos;
        for (int e = 0; e < kEstados; ++e) {
            const auto estado = static_cast<Estado>(e);
            vistos.insert(QString::number(PaletaDiagrama::Patron(estado)) + PaletaDiagrama::Letra(estado));
        }
        QCOMPARE(vistos.size(), kEstados - 1);  // free and heading: no hatching, no letter; one is a frame
        QCOMPARE(PaletaDiagrama::Letras(MarcaBloqueado | MarcaPicking | MarcaConReserva), QStringLiteral("BRP"));
    }

    void hojas() {
        const QRectF zona(0, 0, 6000, 2500);
        const PlanHojas una = PlanificarHojas(zona, Papel::A4, false);
        QCOMPARE(una.Cantidad(), 1);
        QCOMPARE(una.tamano, QSizeF(297, 210));
        QVERIFY(std::abs(zona.width() * una.mmPorUnidad - una.contenido.width()) < 1e-6);
        const PlanHojas varias = PlanificarHojas(zona, Papel::A3, true);
        QCOMPARE(varias.mmPorUnidad, PlanHojas::kMmLegible);
        QCOMPARE(varias.Cantidad(), static_cast<int>(varias.hojas.size()));
        QVERIFY(varias.Cantidad() > 1);
        // The sheets cover the zone exactly, without overlapping.
        double area = 0;
        QRectF todo;
        for (const auto& h : varias.hojas) {
            area += h.zona.width() * h.zona.height();
            todo = todo.united(h.zona);
        }
        QCOMPARE(todo, zona);
        QVERIFY(std::abs(area - zona.width() * zona.height()) < 1e-3);
        // What fits one sheet even at a readable size is enlarged, at most twice.
        QCOMPARE(PlanificarHojas(QRectF(0, 0, 100, 50), Papel::A4, true).mmPorUnidad, 2 * PlanHojas::kMmLegible);
        // A zone a little wider than a sheet: one column, a little smaller.
        const PlanHojas justa = PlanificarHojas(QRectF(0, 0, 1.1 * 277 / PlanHojas::kMmLegible, 100), Papel::A4, true);
        QCOMPARE(justa.columnas, 1);
        QVERIFY(justa.mmPorUnidad >= PlanHojas::kMmLegible * PlanHojas::kReduccionMaxima);
        // Rows of sheets end at a cut the drawing offers, when there is one in the lower half.
        const double alto = varias.contenido.height() / varias.mmPorUnidad;
        const PlanHojas cortada = PlanificarHojas(zona, Papel::A3, true, {alto * 0.3, alto * 0.8, alto * 1.2});
        QCOMPARE(cortada.hojas.front().zona.bottom(), alto * 0.8);
        QCOMPARE(cortada.hojas.back().zona.bottom(), zona.bottom());
        const PlanHojas enorme = PlanificarHojas(QRectF(0, 0, 1e6, 1e6), Papel::A4, true);
        QVERIFY(enorme.Demasiadas());
        QVERIFY(enorme.hojas.empty());
    }
};

QTEST_MAIN(TstGeometriaDiagrama)
#include "tst_geometriadiagrama.moc"
