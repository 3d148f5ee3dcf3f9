#include "layout/TextosCompactos.h"

#include <QString>
#include <algorithm>

namespace textos {

void Anexar(std::vector<char16_t>& destino, QAnyStringView texto) {
    texto.visit([&destino](auto v) {
        using Vista = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<Vista, QStringView>) {
            destino.insert(destino.end(), v.utf16(), v.utf16() + v.size());
        } else if constexpr (std::is_same_v<Vista, QLatin1StringView>) {
            for (const char c : v) destino.push_back(static_cast<unsigned char>(c));
        } else {
            const auto* p = reinterpret_cast<const unsigned char*>(v.data());
            const size_t n = static_cast<size_t>(v.size());
            unsigned char alto = 0;
            for (size_t k = 0; k < n; ++k) alto |= p[k];
            if (alto < 0x80) {
                // ASCII, byte for character.
                const size_t base = destino.size();
                destino.resize(base + n);
                std::copy(p, p + n, destino.begin() + static_cast<std::ptrdiff_t>(base));
            } else {
                const QString s = QString::fromUtf8(v.data(), v.size());
                destino.insert(destino.end(), s.utf16(), s.utf16() + s.size());
            }
        }
    });
}

quint32 HashCodigo(QStringView codigo) {
    quint32 h = 2166136261u;
    for (const QChar ch : codigo) {
        const char16_t c = ch.unicode();
        const char16_t plegado = c < 0x80 ? (c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c) : ch.toCaseFolded().unicode();
        h = (h ^ plegado) * 16777619u;
    }
    return h;
}

}  // namespace textos
