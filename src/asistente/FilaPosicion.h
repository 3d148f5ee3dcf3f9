#pragma once

#include <QString>
#include <array>

// One position as the wizard receives it, before any check: the texts of its columns as the
// operator typed them (ranges) or as a file holds them (workbook, CSV), with the line they came
// from.
namespace asistente {

// The columns of MA_POSICIONES, in the order the editor's save writes them.
enum Columna {
    IdPosicion,
    Descripcion,
    Capacidad,
    IdUnidad,
    IdRubro,
    IdTipo,
    IdArticulo,
    IdFamilia,
    OrdenIngreso,
    Habilitado,
    Reservado,
    Completa,
    Picking,
    Titulo,
    IdDeposito,
    kColumnas
};

// The column's name as the editor's statements write it ("IdPosicion", "CAPACIDAD" ...); an empty
// text for no column. Made once: the checks of every row use it.
const QString& NombreColumna(int columna);
// The column a header names, without regard to case or surrounding blanks; -1 for none.
int ColumnaDeNombre(const QString& nombre);
// The four flags of a position and its heading mark.
inline bool EsMarca(int columna) {
    return columna >= Habilitado && columna <= Titulo;
}

struct FilaPosicion {
    int linea = 0;                         // line of the file (0: made by the ranges)
    std::array<QString, kColumnas> valor;  // texts as given
    quint32 presentes = 0;                 // bit per column the source gave
    QString problema;                      // what the reader already found wrong with the line

    bool Tiene(int columna) const { return presentes & (1u << columna); }
    void Poner(int columna, const QString& texto) {
        valor[static_cast<size_t>(columna)] = texto;
        presentes |= 1u << columna;
    }
    const QString& Valor(int columna) const { return valor[static_cast<size_t>(columna)]; }
};

}  // namespace asistente
