#pragma once

#include "layout/PosicionesLayout.h"
#include "layout/QDL_RTLocator.h"

#include <QAnyStringView>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cmath>
#include <vector>

namespace diagrama {

// The flags of a position as the editor stores them, packed in one byte. Bloqueado is the editor's
// "Habilitado" unchecked (a NULL reads as unchecked there too); ConReserva: one of the four
// reservation columns holds a code.
enum Marca : quint8 {
    MarcaBloqueado = 1,
    MarcaReservado = 2,
    MarcaCompleta = 4,
    MarcaPicking = 8,
    MarcaTitulo = 16,
    MarcaConReserva = 32,
};

// What a position is drawn as: one state per position, the most urgent of its flags. A heading
// (Titulo) groups lower levels and takes no stock, so it is a frame whatever its other flags say.
enum class Estado : quint8 { Libre, Picking, Reservado, Completa, Bloqueado, Titulo };
constexpr int kEstados = 6;
Estado EstadoDe(quint8 marcas);
// The state's name as the legend and the detail show it.
QString NombreEstado(Estado e);

// The warehouse's signature over every drawn value (code, description, capacity, unit, flags),
// taken just before the rows are read and again when the window comes back to the front.
using Firma = FirmaPosiciones;

// Why a node is where it is in the drawing.
enum class Clase : quint8 {
    Normal,            // under its parent by the level rule (or a first-level position)
    SinNivelSuperior,  // its parent by the level rule does not exist
    Irregular,         // its code fits no configured level (or repeats another code)
    Ausente,           // not a position: stands for a missing parent in the band
    Banda,             // not a position: the band that holds everything outside the levels
};

// A warehouse's layout as the diagram draws it: every row of MA_POSICIONES of one warehouse, with
// its parent by the level rule and its role in the drawing: 1 an aisle (a row of the drawing), 2 a
// rack along it, 3 a cell stacked in the rack, 4 a subdivision of the cell. A configured level of
// length 0 is skipped, so the first level that has characters gives the aisles.
//
// Positions whose parent is missing and codes that fit no level go to one band after the aisles,
// a node of its own (Clase::Banda): an orphan that would be a rack hangs there directly; lower
// orphans are grouped by their missing parent under a node that stands for it (Clase::Ausente);
// irregular codes are grouped under one such node.
//
// A warehouse can hold 100,000 positions: nodes live in one vector, their texts in one buffer, and
// an open-addressing table over node numbers finds a code without a string per row.
class LayoutDeposito {
public:
    // The levels are copied: the layout keeps the configuration it was read with.
    void Comenzar(const NivelesLayout& niveles, qsizetype filasPrevistas = 0);
    // One row, in any order. Codes are trimmed (the editor compares them trimmed); texts may come
    // as UTF-8 straight from the record set. capacidad is NaN for NULL.
    void Agregar(QAnyStringView codigo, QAnyStringView descripcion, double capacidad, QAnyStringView unidad, quint8 marcas);
    // Parents, roles, the band and the child lists.
    void Terminar();

    int Cantidad() const { return static_cast<int>(nodos_.size()); }  // nodes, the band's included
    int CantidadPosiciones() const { return posiciones_; }            // rows read
    bool Vacio() const { return posiciones_ == 0; }

    QStringView Codigo(int n) const { return Texto(n, 0); }
    QStringView Descripcion(int n) const { return Texto(n, 1); }
    QString Unidad(int n) const { return unidades_[nodos_[n].unidad]; }
    double Capacidad(int n) const { return nodos_[n].capacidad; }
    bool TieneCapacidad(int n) const { return !std::isnan(nodos_[n].capacidad); }
    quint8 Marcas(int n) const { return nodos_[n].marcas; }
    Estado EstadoNodo(int n) const { return EstadoDe(nodos_[n].marcas); }
    Clase ClaseNodo(int n) const { return nodos_[n].clase; }
    bool EsPosicion(int n) const { return nodos_[n].clase != Clase::Ausente && nodos_[n].clase != Clase::Banda; }
    int Padre(int n) const { return nodos_[n].padre; }
    int Rol(int n) const { return nodos_[n].rol; }      // 1 aisle .. 4 subdivision
    int Nivel(int n) const { return nodos_[n].nivel; }  // configured level 1..4; 0 irregular or not a position
    int Fila(int n) const { return nodos_[n].fila; }    // place among its parent's children
    int CantidadHijos(int n) const { return nodos_[n].cantidadHijos; }
    int Hijo(int n, int i) const { return hijos_[static_cast<size_t>(nodos_[n].primerHijo + i)]; }

    // The aisles in code order, the band last when there is one.
    const std::vector<int>& Calles() const { return calles_; }
    int Banda() const { return banda_; }  // -1 when everything fits the levels
    int CantidadConRol(int rol) const { return rol >= 1 && rol <= 4 ? porRol_[rol] : 0; }
    int CantidadFuera() const { return fuera_; }  // positions in the band

    // The position with that code (trimmed, letter case ignored), -1 when none.
    int Buscar(QStringView codigo) const;
    // Every position whose code or description holds the text (letter case ignored), best first: the
    // code itself, codes that begin with it, codes that hold it, then descriptions.
    std::vector<int> Coincidencias(const QString& texto) const;
    // Where the editor's tree shows a position: its longest existing proper prefix ("" for the root).
    QString PrefijoExistente(int n) const;
    // The code of the missing parent a position waits for (by the level rule), "" when none.
    QString PadreFaltante(int n) const;

    const NivelesLayout& Niveles() const { return niveles_; }
    // The configured title of a level, in proper case; "Nivel n" when the configuration has none.
    QString TituloNivel(int nivel) const;
    // The title of the level a drawing role comes from (the aisles' title for role 1 ...).
    QString TituloRol(int rol) const;
    // The plural of that title when configured, otherwise the title.
    QString PluralRol(int rol) const;

    // What the drawing says above the aisles: the levels that cannot place anything, the
    // positions outside them, an empty warehouse. Made once, by Terminar.
    const QStringList& Avisos() const { return avisos_; }

private:
    struct Nodo {
        quint32 texto = 0;  // code, then description, in textos_
        qint32 largoCodigo = 0;
        qint32 largoDescripcion = 0;
        qint32 padre = -1;
        qint32 primerHijo = 0;
        qint32 cantidadHijos = 0;
        qint32 fila = 0;
        double capacidad = 0;
        quint32 unidad = 0;
        quint8 marcas = 0;
        quint8 rol = 0;
        quint8 nivel = 0;
        Clase clase = Clase::Normal;
    };

    QStringView Texto(int n, int parte) const {
        const Nodo& x = nodos_[static_cast<size_t>(n)];
        const char16_t* base = textos_.data() + x.texto;
        return parte == 0 ? QStringView(base, x.largoCodigo) : QStringView(base + x.largoCodigo, x.largoDescripcion);
    }
    // Appends a text to textos_; returns its length as the database's LEN counts it.
    void Anexar(QAnyStringView texto);
    // Takes the blanks off both ends of the text appended to textos_ from inicio on.
    void Recortar(size_t inicio);
    static quint32 Hash(QStringView codigo);
    int BuscarHash(QStringView codigo, quint32 hash) const;
    void Registrar(int nodo, quint32 hash);
    int NodoVirtual(Clase clase, const QString& codigo, const QString& descripcion);
    // The depth in the drawing a configured level gives (levels of length 0 or less count none).
    int RolDeNivel(int nivel) const;
    QStringList ArmarAvisos() const;
    // The length of the parent's code by the level rule, 0 for a first-level code.
    int LargoPadre(int nivel, int largo) const;

    NivelesLayout niveles_;
    std::vector<Nodo> nodos_;
    std::vector<char16_t> textos_;
    std::vector<qint32> tabla_;  // node numbers, -1 empty; a power of two in size, at most half full
    size_t ocupadas_ = 0;
    std::vector<int> hijos_;
    std::vector<int> calles_;
    QStringList unidades_;
    QHash<QString, quint32> indiceUnidad_;
    QByteArray ultimaUnidad_;  // units repeat from row to row: the last one is looked up once
    quint32 indiceUltimaUnidad_ = 0;
    int posiciones_ = 0;
    int banda_ = -1;
    int fuera_ = 0;
    int porRol_[5] = {0, 0, 0, 0, 0};
    QStringList avisos_;
};

}  // namespace diagrama
