#pragma once

#include "asistente/FilaPosicion.h"

#include <QHash>
#include <QString>
#include <QVector>
#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <vector>

// What a job of the wizard will do, worked out before anything is written: every position it was
// given (by the ranges or by a file) checked with the editor's rules against the levels and the
// positions the warehouse already has, and classed as new, existing and unchanged, existing with
// other values, or refused with the exact reason; headings a file needs as parents but does not
// hold are added as new positions. The values are those the editor's save writes (ValoresPosicion.h).
namespace asistente {

enum class Estado : quint8 { Nueva, SinCambios, Cambiada, Rechazada };

// Codes as the database compares them: without regard to letter case.
bool IgualSinCaso(QStringView a, QStringView b);

// Code order without regard to case, as QStringView::compare orders them; codes are mostly ASCII,
// which is folded here without the general case tables. Agrees with IgualSinCaso. Inline: every
// row of a job is compared with the one before it.
inline bool AntesSinCaso(QStringView a, QStringView b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= 0x80 || y >= 0x80) return a.mid(i).compare(b.mid(i), Qt::CaseInsensitive) < 0;
        if (x >= u'A' && x <= u'Z') x += 32;
        if (y >= u'A' && y <= u'Z') y += 32;
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

// From code to row number. Rows mostly come in code order (the ranges make them so, the editor's
// export writes them so): while they do, the index is the list of its rows, searched by halves,
// and a code costs one comparison with the one before it. The first code out of order (or given
// twice) turns it into a table by open addressing, a slot per code with only the row and the
// code's hash, small enough for the processor's cache. The codes themselves are read from their
// rows through `codigoDe` (row -> its code).
class IndiceCodigos {
public:
    // Empties it, with room for this many codes.
    void Limpiar(size_t previstos = 0);
    // The row of the code; -1 for none.
    template <class CodigoDe>
    int Buscar(QStringView codigo, const CodigoDe& codigoDe) const {
        if (ocupadas_ == 0) return -1;
        if (enOrden_) {
            const auto i = std::lower_bound(filas_.begin(), filas_.end(), codigo,
                                            [&](int fila, QStringView c) { return AntesSinCaso(codigoDe(fila), c); });
            return i != filas_.end() && IgualSinCaso(codigoDe(*i), codigo) ? *i : -1;
        }
        const quint32 hash = Hash(codigo);
        const size_t mascara = tabla_.size() - 1;
        for (size_t i = hash & mascara;; i = (i + 1) & mascara) {
            const Ranura& r = tabla_[i];
            if (r.fila < 0) return -1;
            if (r.hash == hash && IgualSinCaso(codigoDe(r.fila), codigo)) return r.fila;
        }
    }
    // Indexes the code for the row unless it is there already: then returns that row, else -1.
    template <class CodigoDe>
    int Agregar(QStringView codigo, int fila, const CodigoDe& codigoDe) {
        if (enOrden_) {
            if (filas_.empty() || AntesSinCaso(codigoDe(filas_.back()), codigo)) {
                filas_.push_back(fila);
                ++ocupadas_;
                return -1;
            }
            AHash(codigoDe);
        }
        if (tabla_.empty() || (ocupadas_ + 1) * 2 > tabla_.size()) Crecer();
        const quint32 hash = Hash(codigo);
        const size_t mascara = tabla_.size() - 1;
        size_t i = hash & mascara;
        for (; tabla_[i].fila >= 0; i = (i + 1) & mascara) {
            const Ranura& r = tabla_[i];
            if (r.hash == hash && IgualSinCaso(codigoDe(r.fila), codigo)) return r.fila;
        }
        tabla_[i] = Ranura{fila, hash};
        ++ocupadas_;
        return -1;
    }

private:
    struct Ranura {
        qint32 fila = -1;
        quint32 hash = 0;
    };
    static quint32 Hash(QStringView codigo);
    void Crecer();
    void Tabla(size_t previstos);
    template <class CodigoDe>
    void AHash(const CodigoDe& codigoDe) {
        enOrden_ = false;
        Tabla(std::max(previstos_, filas_.size() + 1));
        const size_t mascara = tabla_.size() - 1;
        for (const int fila : filas_) {
            const quint32 hash = Hash(codigoDe(fila));
            size_t i = hash & mascara;
            while (tabla_[i].fila >= 0) i = (i + 1) & mascara;
            tabla_[i] = Ranura{fila, hash};
        }
        filas_.clear();
    }
    bool enOrden_ = true;
    size_t previstos_ = 0;
    std::vector<int> filas_;     // in order: the rows, in the order of their codes
    std::vector<Ranura> tabla_;  // out of order: a power of two in size, at most half full
    size_t ocupadas_ = 0;
};

// Each column's value as the save writes it ("Null": no value).
using ValoresColumnas = std::array<QString, kColumnas>;

struct Entrada {
    int linea = 0;
    QString codigo;  // trimmed
    Estado estado = Estado::Nueva;
    bool padreCreado = false;  // a heading added because a position of the file needed it
    QString motivo;            // refused: why; changed: which columns change
    quint32 columnas = 0;      // the columns to write (an UPDATE writes those the source gave)
    QString descripcion;       // as the save writes it
    // The values of the other columns, one set shared by every entry that writes the same: a job
    // of 100,000 positions mostly writes two.
    std::shared_ptr<const ValoresColumnas> resto;
    const QString& Valor(int c) const;
};

// A position the warehouse already holds.
struct Existente {
    QString codigo;  // as stored
    ValoresColumnas valor;
};

class PlanAsistente {
public:
    // Reads what the checks need from the database: the column types of MA_POSICIONES and the
    // positions of the warehouse. False with the reason when the database could not answer.
    bool Preparar(const QString& deposito, QString* error);
    // Checks the rows and builds the plan. With `actualizar`, existing positions whose values
    // differ are to be updated (and count as such for the checks of their children); otherwise
    // they are left as they are. Returns false when `avance` stopped it (every kFilasPorAvance rows).
    bool Armar(const QVector<FilaPosicion>& filas, bool actualizar, const std::function<bool(qint64)>& avance = {});
    // The same a row at a time, for rows made as they are checked (the ranges): Comenzar, then
    // Agregar for each row in the order of the file, then Terminar, which works out the parents
    // and the counts.
    void Comenzar(bool actualizar, qint64 previstas);
    void Agregar(const FilaPosicion& fila);
    void Terminar();

    QString Deposito() const { return deposito_; }
    bool Actualizar() const { return actualizar_; }
    const QVector<Entrada>& Entradas() const { return entradas_; }
    const QVector<Existente>& Existentes() const { return existentes_; }
    int Cantidad(Estado e) const { return cuentas_[static_cast<int>(e)]; }
    int PadresCreados() const { return padresCreados_; }
    // The ADO type and defined size of a column, as the save types its value.
    int TipoColumna(int c) const { return tipos_[static_cast<size_t>(c)]; }
    int TamanoColumna(int c) const { return tamanos_[static_cast<size_t>(c)]; }

    // The refused rows as a CSV text (";" between fields, a header line): line, code, reason.
    QString TextoRechazos() const;

    // The checks of a position's values other than its code (lengths, numbers, flags, the codes of
    // the related tables): the reason they are refused, empty when they pass. Needs Preparar.
    QString RevisarDetalle(const FilaPosicion& f);

    // The value a column's text is written with, as the save types it (quotes removed).
    QString ValorEscrito(int columna, const QString& texto) const;

private:
    // Where the indexes read the codes of their rows.
    auto CodigoEntrada() const {
        return [this](int fila) { return QStringView(entradas_[fila].codigo); };
    }
    auto CodigoExistente() const {
        return [this](int fila) { return QStringView(existentes_[fila].valor[IdPosicion]); };
    }
    QString Revisar(const FilaPosicion& f, const QString& codigo);
    bool ExisteCodigo(int columna, const QString& valor);
    void Valores(const FilaPosicion& f, bool nueva, Entrada& e);
    // The values a position keeps once the job is done, for the checks of its children.
    const ValoresColumnas* Efectivos(QStringView codigo) const;
    // `mismo`: the row's columns other than its code and description are those of the last row
    // that passed, and pass again without being read.
    QString RevisarDetalle(const FilaPosicion& f, bool mismo);

    QString deposito_;
    bool actualizar_ = false;
    std::array<int, kColumnas> tipos_{};
    std::array<int, kColumnas> tamanos_{};
    std::array<bool, kColumnas> esTexto_{};
    QVector<Existente> existentes_;
    IndiceCodigos indiceExistentes_;  // code -> existentes_
    QVector<Entrada> entradas_;
    IndiceCodigos indiceEntradas_;  // code -> its first entry in entradas_
    std::array<QHash<QString, bool>, kColumnas> existeCodigo_;
    int cuentas_[4] = {0, 0, 0, 0};
    int padresCreados_ = 0;
    // The last text of each column and its value: the rows of a job mostly repeat them.
    mutable std::array<QString, kColumnas> ultimoTexto_;
    mutable std::array<QString, kColumnas> ultimoValor_;
    mutable std::array<bool, kColumnas> hayUltimo_{};
    // The last row whose details passed the checks (its description aside).
    FilaPosicion ultimoDetalle_;
    bool hayDetalle_ = false;
    // The last set of values made for an entry, with what it was made from.
    std::shared_ptr<const ValoresColumnas> ultimoResto_;
    FilaPosicion restoDe_;
    bool restoNueva_ = false;
    bool restoTitulo_ = false;
};

// How often the checks hear whether to go on.
constexpr qint64 kFilasPorAvance = 2000;

// How many positions one job may hold at most.
constexpr qint64 kMaximoPosiciones = 250000;

}  // namespace asistente
