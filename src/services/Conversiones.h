#pragma once

#include <QColor>

// The suite stores colours as Visual Basic long values in blue-green-red order (0x00BBGGRR) and
// lengths in twips. These are the only places where they become Qt colours and pixels.
namespace conv {

inline QColor ColorVB(long valor) {
    const auto v = static_cast<unsigned long>(valor) & 0xFFFFFFul;
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF));
}

inline long ValorVB(const QColor& c) {
    return static_cast<long>(c.red()) | (static_cast<long>(c.green()) << 8) | (static_cast<long>(c.blue()) << 16);
}

constexpr int kTwipsPorPixel = 15;  // at 96 dots per inch

constexpr int Pixeles(double twips) {
    return static_cast<int>(twips / kTwipsPorPixel + (twips >= 0 ? 0.5 : -0.5));
}
constexpr double Twips(int pixeles) {
    return static_cast<double>(pixeles) * kTwipsPorPixel;
}

}  // namespace conv
