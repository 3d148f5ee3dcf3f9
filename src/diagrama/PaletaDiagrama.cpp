#include "diagrama/PaletaDiagrama.h"

namespace diagrama {

namespace {

QColor Mezcla(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(static_cast<float>(a.redF() * (1 - t) + b.redF() * t),
                            static_cast<float>(a.greenF() * (1 - t) + b.greenF() * t),
                            static_cast<float>(a.blueF() * (1 - t) + b.blueF() * t));
}

// Hue of each state (degrees), in the order of Estado; the heading has none.
constexpr int kTono[kEstados] = {120, 190, 275, 35, 0, -1};

}  // namespace

PaletaDiagrama::PaletaDiagrama(const QPalette& p) {
    fondo_ = p.color(QPalette::Active, QPalette::Base);
    texto_ = p.color(QPalette::Active, QPalette::Text);
    oscura_ = fondo_.lightnessF() < texto_.lightnessF();
    tenue_ = Mezcla(texto_, fondo_, 0.4);
    linea_ = Mezcla(texto_, fondo_, 0.35);
    lineaTenue_ = Mezcla(texto_, fondo_, 0.55);
    cabecera_ = Mezcla(fondo_, p.color(QPalette::Active, QPalette::Highlight), 0.18);
    seleccion_ = p.color(QPalette::Active, QPalette::Highlight);
    // Light fills with dark hatching on a light theme, dark fills with light hatching on a dark
    // one: the text, in the theme's own colour, stays readable on every fill.
    for (int i = 0; i < kEstados; ++i) {
        if (kTono[i] < 0) {
            relleno_[i] = fondo_;
            trama_[i] = linea_;
            bloque_[i] = Mezcla(fondo_, linea_, 0.5);
            continue;
        }
        const float h = static_cast<float>(kTono[i]) / 360.0f;
        relleno_[i] = oscura_ ? QColor::fromHslF(h, 0.45f, 0.24f) : QColor::fromHslF(h, 0.6f, 0.86f);
        trama_[i] = oscura_ ? QColor::fromHslF(h, 0.6f, 0.68f) : QColor::fromHslF(h, 0.65f, 0.33f);
        bloque_[i] = Mezcla(relleno_[i], trama_[i], i == static_cast<int>(Estado::Libre) ? 0.3 : 0.65);
    }
    aviso_ = oscura_ ? QColor::fromHslF(40 / 360.0f, 0.9f, 0.6f) : QColor::fromHslF(30 / 360.0f, 0.95f, 0.4f);
}

PaletaDiagrama PaletaDiagrama::Papel() {
    QPalette p;
    p.setColor(QPalette::Base, QColor(255, 255, 255));
    p.setColor(QPalette::Text, QColor(0, 0, 0));
    p.setColor(QPalette::Highlight, QColor(0x30, 0x60, 0xb0));
    return PaletaDiagrama(p);
}

Qt::BrushStyle PaletaDiagrama::Patron(Estado e) {
    switch (e) {
        case Estado::Picking:
            return Qt::HorPattern;
        case Estado::Reservado:
            return Qt::BDiagPattern;
        case Estado::Completa:
            return Qt::CrossPattern;
        case Estado::Bloqueado:
            return Qt::DiagCrossPattern;
        case Estado::Libre:
        case Estado::Titulo:
            break;
    }
    return Qt::NoBrush;
}

QString PaletaDiagrama::Letra(Estado e) {
    switch (e) {
        case Estado::Bloqueado:
            return QStringLiteral("B");
        case Estado::Completa:
            return QStringLiteral("C");
        case Estado::Reservado:
            return QStringLiteral("R");
        case Estado::Picking:
            return QStringLiteral("P");
        case Estado::Libre:
        case Estado::Titulo:
            break;
    }
    return QString();
}

QString PaletaDiagrama::Letras(quint8 m) {
    if (m & MarcaTitulo) return QString();
    QString r;
    if (m & MarcaBloqueado) r += QLatin1Char('B');
    if (m & MarcaCompleta) r += QLatin1Char('C');
    if (m & (MarcaReservado | MarcaConReserva)) r += QLatin1Char('R');
    if (m & MarcaPicking) r += QLatin1Char('P');
    return r;
}

}  // namespace diagrama
