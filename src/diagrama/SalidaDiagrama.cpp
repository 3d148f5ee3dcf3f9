#include "diagrama/SalidaDiagrama.h"

#include "services/Plataforma.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>

namespace diagrama {

namespace {

constexpr double kAltoLeyenda = 34;  // below a picture or drawing, in its pixels

QString Fecha() {
    return plataforma().Ahora().toString(QStringLiteral("dd/MM/yyyy HH:mm"));
}

}  // namespace

void SalidaDiagrama::PrepararPagina(QPagedPaintDevice& destino, const PlanHojas& plan) {
    destino.setPageLayout(QPageLayout(QPageSize(plan.papel == Papel::A3 ? QPageSize::A3 : QPageSize::A4), QPageLayout::Landscape,
                                      QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
}

SalidaDiagrama::Fin SalidaDiagrama::Hojas(QPagedPaintDevice& destino, const PlanHojas& plan, const Avance& avance) const {
    if (plan.hojas.empty()) return Fin::Fallo;
    QPainter p;
    if (!p.begin(&destino)) return Fin::Fallo;
    const double k = destino.logicalDpiX() / 25.4;  // device pixels per millimetre
    const PaletaDiagrama papel = PaletaDiagrama::Papel();
    const int total = static_cast<int>(plan.hojas.size());
    const QString fecha = Fecha();
    auto mm = [k](const QRectF& r) { return QRectF(r.x() * k, r.y() * k, r.width() * k, r.height() * k); };
    for (int i = 0; i < total; ++i) {
        const PlanHojas::Hoja& hoja = plan.hojas[static_cast<size_t>(i)];
        if (i > 0) destino.newPage();
        if (avance && !avance(i, total)) {
            p.end();
            return Fin::Cancelado;
        }
        // The heading: title and date on the left, the sheet's place on the right.
        QFont f = p.font();
        f.setPixelSize(std::max(1, static_cast<int>(std::lround(3.6 * k))));
        p.setFont(f);
        p.setPen(papel.Texto());
        const QRectF encabezado =
            mm(QRectF(PlanHojas::kMargen, PlanHojas::kMargen, plan.contenido.width(), PlanHojas::kEncabezado - 2));
        p.drawText(encabezado, Qt::AlignLeft | Qt::AlignVCenter, titulo_ + QStringLiteral(" — ") + fecha);
        const QString lugar = total == 1 ? QStringLiteral("Hoja 1 de 1")
                                         : QStringLiteral("Hoja %1 de %2 (fila %3, columna %4)")
                                               .arg(i + 1)
                                               .arg(total)
                                               .arg(hoja.fila + 1)
                                               .arg(hoja.columna + 1);
        p.drawText(encabezado, Qt::AlignRight | Qt::AlignVCenter, lugar);

        const QRectF area = mm(plan.contenido);
        p.save();
        p.setClipRect(area);
        p.translate(area.topLeft());
        p.scale(plan.mmPorUnidad * k, plan.mmPorUnidad * k);
        p.translate(-hoja.zona.topLeft());
        const bool seguido =
            pintor_.Pintar(p, hoja.zona, plan.EscalaPantalla(), papel, [&] { return !avance || avance(i, total); });
        p.restore();
        if (!seguido) {
            p.end();
            return Fin::Cancelado;
        }
        p.setPen(QPen(papel.Linea(), 0.2 * k));
        p.drawRect(area);
        PintorDiagrama::PintarLeyenda(
            p,
            mm(QRectF(PlanHojas::kMargen, plan.tamano.height() - PlanHojas::kMargen - PlanHojas::kPie + 2, plan.contenido.width(),
                      PlanHojas::kPie - 3)),
            papel, g_.Layout());
    }
    p.end();
    if (avance) avance(total, total);
    return Fin::Hecho;
}

SalidaDiagrama::Fin SalidaDiagrama::Pdf(const QString& archivo, const PlanHojas& plan, const Avance& avance,
                                        QString* error) const {
    const QString temporal = archivo + QStringLiteral(".part");
    Fin fin;
    {
        QPdfWriter pdf(temporal);
        pdf.setResolution(600);
        pdf.setTitle(titulo_);
        pdf.setCreator(QStringLiteral("v_zormap_Diagrama"));
        PrepararPagina(pdf, plan);
        fin = Hojas(pdf, plan, avance);
    }
    if (fin != Fin::Hecho) {
        QFile::remove(temporal);
        if (fin == Fin::Fallo && error) *error = QStringLiteral("no se pudo dibujar en el archivo");
        return fin;
    }
    return Publicar(temporal, archivo, error) ? Fin::Hecho : Fin::Fallo;
}

double SalidaDiagrama::EscalaPng(const QRectF& zona, double preferida) {
    if (zona.width() <= 0 || zona.height() <= 0) return preferida;
    double s = std::min({preferida, kLadoMaximoPng / zona.width(), (kLadoMaximoPng - kAltoLeyenda) / zona.height()});
    s = std::min(s, std::sqrt(kPixelesMaximoPng / (zona.width() * zona.height())));
    return std::max(s, 1e-4);
}

bool SalidaDiagrama::PintarZona(QPainter& p, const QRectF& zona, double escalaDispositivo, double escalaDetalle,
                                const Avance& avance) const {
    const PaletaDiagrama papel = PaletaDiagrama::Papel();
    const QRectF area(0, 0, zona.width() * escalaDispositivo, zona.height() * escalaDispositivo);
    const int total = std::max(1, static_cast<int>(g_.LineasEn(zona).size()));
    int hechas = 0;
    p.save();
    p.setClipRect(area);
    p.scale(escalaDispositivo, escalaDispositivo);
    p.translate(-zona.topLeft());
    const bool seguido = pintor_.Pintar(p, zona, escalaDetalle, papel, [&] { return !avance || avance(++hechas, total); });
    p.restore();
    if (!seguido) return false;
    PintorDiagrama::PintarLeyenda(p, QRectF(8, area.bottom() + 4, std::max(area.width() - 16, 600.0), kAltoLeyenda - 8), papel,
                                  g_.Layout());
    return true;
}

SalidaDiagrama::Fin SalidaDiagrama::Png(const QString& archivo, const QRectF& zona, double escala, const Avance& avance,
                                        QString* error) const {
    const QSize tamano(std::max(600, static_cast<int>(std::ceil(zona.width() * escala))),
                       static_cast<int>(std::ceil(zona.height() * escala + kAltoLeyenda)));
    QImage img(tamano, QImage::Format_RGB32);
    if (img.isNull()) {
        if (error) *error = QStringLiteral("no hay memoria para una imagen de %1 x %2").arg(tamano.width()).arg(tamano.height());
        return Fin::Fallo;
    }
    img.fill(PaletaDiagrama::Papel().Fondo());
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::TextAntialiasing);
        if (!PintarZona(p, zona, escala, escala, avance)) return Fin::Cancelado;
    }
    const QString temporal = archivo + QStringLiteral(".part");
    if (!img.save(temporal, "PNG")) {
        QFile::remove(temporal);
        if (error) *error = QStringLiteral("no se pudo escribir la imagen");
        return Fin::Fallo;
    }
    return Publicar(temporal, archivo, error) ? Fin::Hecho : Fin::Fallo;
}

SalidaDiagrama::Fin SalidaDiagrama::Svg(const QString& archivo, const QRectF& zona, const Avance& avance, QString* error) const {
    const QString temporal = archivo + QStringLiteral(".part");
    bool seguido = false;
    {
        QSvgGenerator svg;
        svg.setFileName(temporal);
        const QSize tamano(std::max(600, static_cast<int>(std::ceil(zona.width()))),
                           static_cast<int>(std::ceil(zona.height() + kAltoLeyenda)));
        svg.setSize(tamano);
        svg.setViewBox(QRect(QPoint(0, 0), tamano));
        svg.setTitle(titulo_);
        svg.setDescription(titulo_ + QStringLiteral(" — ") + Fecha());
        QPainter p;
        if (!p.begin(&svg)) {
            if (error) *error = QStringLiteral("no se pudo escribir el dibujo");
            QFile::remove(temporal);
            return Fin::Fallo;
        }
        // A vector drawing is meant to be zoomed: every text is drawn.
        seguido = PintarZona(p, zona, 1.0, PintorDiagrama::kEscalaDescripcion, avance);
        p.end();
    }
    if (!seguido) {
        QFile::remove(temporal);
        return Fin::Cancelado;
    }
    return Publicar(temporal, archivo, error) ? Fin::Hecho : Fin::Fallo;
}

bool SalidaDiagrama::Publicar(const QString& temporal, const QString& archivo, QString* error) {
    if ((QFile::exists(archivo) && !QFile::remove(archivo)) || !QFile::rename(temporal, archivo)) {
        QFile::remove(temporal);
        if (error) *error = QStringLiteral("no se pudo reemplazar el archivo");
        return false;
    }
    return true;
}

}  // namespace diagrama
