#pragma once

#include "asistente/FilaPosicion.h"

#include <QString>
#include <QVector>
#include <functional>

struct NivelesLayout;

namespace asistente {

// The range of one level: its codes go from desde to hasta by paso, as digits zero-padded to the
// level's length or as letters (A..Z for a one-character level, AA..ZZ for a two-character one).
struct RangoNivel {
    QString desde;
    QString hasta;
    int paso = 1;
    bool letras = false;
    bool titulo = false;  // the level's positions are headings
    // The description of each position: {titulo} the level's title, {codigo} the level's part of
    // the code as written in it, {numero} the same without leading zeros, {posicion} the whole code.
    QString plantilla;
};

// What every storable position of the ranges gets, as the operator typed it.
struct ValoresImputables {
    QString capacidad;
    QString unidad;
    QString ordenIngreso;
    bool habilitado = true;
    bool reservado = false;
    bool completa = false;
    bool picking = false;
    int columnaReserva = -1;  // IdRubro, IdTipo, IdFamilia or IdArticulo; -1: no reservation
    QString reserva;
};

// The description template a level gets by default: "Calle 01", "Posicion 01" for the upper
// levels, "Nivel 1" for the last one, as the suite's layouts are described.
QString PlantillaPorDefecto(int nivel, int ultimo);
// The description of a code of the level from a template.
QString Describir(const QString& plantilla, const QString& titulo, const QString& segmento, const QString& codigo);

struct ResultadoRangos {
    QVector<FilaPosicion> filas;  // every code in code order, each parent before its children
    QString error;                // what is wrong with the ranges (nothing made then)
};

// Walks the positions of the ranges of levels 1 .. rangos.size() of the configured levels in code
// order, each parent before its children: every code of every level, headings with the heading
// values, the others with `valores`. `inicio` hears how many there are before the first; `fila`
// receives each (and may take it), false to stop. The ranges are checked before anything is made
// (see ExpandirRangos): the message when they are refused, empty otherwise.
QString RecorrerRangos(const NivelesLayout& niveles, const QVector<RangoNivel>& rangos, const ValoresImputables& valores,
                       qint64 maximo, int largoDescripcion, const std::function<void(qint64 total)>& inicio,
                       const std::function<bool(FilaPosicion& fila)>& fila);

// Expands the ranges of levels 1 .. rangos.size() of the configured levels into positions: every
// code of every level, headings with the heading values, the others with `valores`. No more than
// `maximo` positions are made; more, an empty range, a hasta before its desde, a value the level
// cannot hold or a description longer than `largoDescripcion` are refused with a message before
// anything is made.
ResultadoRangos ExpandirRangos(const NivelesLayout& niveles, const QVector<RangoNivel>& rangos, const ValoresImputables& valores,
                               qint64 maximo, int largoDescripcion);

}  // namespace asistente
