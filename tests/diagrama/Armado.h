#pragma once
// Layouts made in memory for the diagram's tests: levels as given, rows by code.

#include "diagrama/LayoutDeposito.h"

#include <QStringList>
#include <cmath>
#include <initializer_list>

namespace armado {

inline NivelesLayout Niveles(std::initializer_list<int> largos) {
    NivelesLayout n;
    int k = 1;
    for (const int l : largos) n.LongitudNivel[k++] = l;
    n.LongitudTotal = n.LongitudNivel[1] + n.LongitudNivel[2] + n.LongitudNivel[3] + n.LongitudNivel[4];
    n.CalcularFines();
    const char* const titulos[] = {"", "Calle", "Posicion", "Nivel", "Hueco"};
    for (int i = 1; i <= 4; ++i) n.TituloNivel[i] = QString::fromLatin1(titulos[i]);
    return n;
}

// Every code a free storable position, unless marcas says otherwise for all of them.
inline void Llenar(diagrama::LayoutDeposito& l, const NivelesLayout& n, const QStringList& codigos, quint8 marcas = 0) {
    l.Comenzar(n, codigos.size());
    for (const QString& c : codigos) l.Agregar(c, QStringLiteral("Descripcion ") + c, 100, QStringLiteral("UN"), marcas);
    l.Terminar();
}

// A regular layout: aisles x racks x cells with the levels 2, 2, 2 (and subdivisions with 2, 2, 2, 2).
inline QStringList Regular(int calles, int racks, int celdas, int subdivisiones = 0) {
    QStringList r;
    auto d = [](int i) { return QString::number(i).rightJustified(2, QLatin1Char('0')); };
    for (int c = 1; c <= calles; ++c) {
        r << d(c);
        for (int p = 1; p <= racks; ++p) {
            r << d(c) + d(p);
            for (int n = 1; n <= celdas; ++n) {
                r << d(c) + d(p) + d(n);
                for (int s = 1; s <= subdivisiones; ++s) r << d(c) + d(p) + d(n) + d(s);
            }
        }
    }
    return r;
}

}  // namespace armado
