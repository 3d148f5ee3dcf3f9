#pragma once

#include <QSharedData>
#include <QSharedDataPointer>
#include <QString>
#include <array>
#include <utility>

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

// A row's code and description are its own; the other columns are one set that rows may share.
// The ranges give every heading one set and every storable position another, so 100,000 rows hold
// two sets, and the checks of a set are made once for all the rows that share it.
class FilaPosicion {
public:
    int linea = 0;          // line of the file (0: made by the ranges)
    quint32 presentes = 0;  // bit per column the source gave
    QString problema;       // what the reader already found wrong with the line

    FilaPosicion() : resto_(new Resto) {}

    bool Tiene(int columna) const { return presentes & (1u << columna); }
    void Poner(int columna, QString texto) {
        if (columna == IdPosicion)
            codigo_ = std::move(texto);
        else if (columna == Descripcion)
            descripcion_ = std::move(texto);
        else
            resto_->valor[static_cast<size_t>(columna)] = std::move(texto);  // a shared set is copied first
        presentes |= 1u << columna;
    }
    const QString& Valor(int columna) const {
        if (columna == IdPosicion) return codigo_;
        if (columna == Descripcion) return descripcion_;
        return resto_->valor[static_cast<size_t>(columna)];
    }
    // Whether both rows give the same columns other than the code and the description, with the
    // same texts; a shared set is known to be the same without reading it.
    bool MismoResto(const FilaPosicion& otra) const;
    // Shares the other row's set when it holds the same texts: a file's rows mostly repeat them.
    void CompartirResto(const FilaPosicion& otra) {
        if (resto_ != otra.resto_ && MismoResto(otra)) resto_ = otra.resto_;
    }

private:
    static constexpr quint32 kMascaraResto = ~((1u << IdPosicion) | (1u << Descripcion));
    struct Resto : QSharedData {
        std::array<QString, kColumnas> valor;  // the code's and the description's slots stay empty
    };
    QString codigo_;
    QString descripcion_;
    QSharedDataPointer<Resto> resto_;
};

}  // namespace asistente
