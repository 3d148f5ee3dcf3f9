#include "services/CodePage.h"

#include <QStringDecoder>

namespace {
// 0x80..0x9F of Windows-1252; 0 marks the five undefined positions (kept as C1 controls).
constexpr char16_t kAltos[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                                 0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
}  // namespace

namespace cp1252 {

QString Decodificar(const QByteArray& bytes) {
    QString r;
    r.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x80 && b < 0xA0 && kAltos[b - 0x80] != 0)
            r += QChar(kAltos[b - 0x80]);
        else
            r += QChar(static_cast<char16_t>(b));
    }
    return r;
}

QByteArray Codificar(const QString& texto) {
    QByteArray r;
    r.reserve(texto.size());
    for (qsizetype i = 0; i < texto.size(); ++i) {
        const char16_t u = texto[i].unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            r += static_cast<char>(u);
            continue;
        }
        if (u >= 0x80 && u < 0xA0 && kAltos[u - 0x80] == 0) {  // an undefined position read back from a file
            r += static_cast<char>(u);
            continue;
        }
        char b = '?';
        for (int k = 0; k < 32; ++k)
            if (kAltos[k] == u) b = static_cast<char>(0x80 + k);
        // A character outside the basic plane (an emoji) is one character: one '?', not two.
        if (QChar::isHighSurrogate(u) && i + 1 < texto.size() && texto[i + 1].isLowSurrogate()) ++i;
        r += b;
    }
    return r;
}

QString DecodificarTexto(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = utf8.decode(bytes);
    if (!utf8.hasError()) {
        if (s.startsWith(QChar(0xFEFF))) s.remove(0, 1);
        return s;
    }
    return Decodificar(bytes);
}

QByteArray CodificarLinea(const QString& linea) {
    const QByteArray cp = Codificar(linea);
    if (DecodificarTexto(cp) == linea) return cp;
    return linea.toUtf8();
}

QList<QByteArray> LineasCrudas(const QByteArray& bytes) {
    QList<QByteArray> lineas;
    const qsizetype n = bytes.size();
    qsizetype inicio = 0;
    while (inicio < n) {
        qsizetype fin = inicio;
        while (fin < n && bytes[fin] != '\r' && bytes[fin] != '\n') ++fin;
        lineas.append(bytes.mid(inicio, fin - inicio));
        inicio = fin + ((fin + 1 < n && bytes[fin] == '\r' && bytes[fin + 1] == '\n') ? 2 : 1);
    }
    return lineas;
}

}  // namespace cp1252
