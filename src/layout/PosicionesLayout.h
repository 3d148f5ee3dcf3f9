#pragma once

#include "db/driver/Recordset.h"

#include <QAnyStringView>
#include <QList>
#include <QString>
#include <functional>

// What the database holds of a warehouse, as the database sums it up without sending its rows: how
// many positions, and one checksum of some of their columns. Taken before the rows are read and
// again later, a difference means the warehouse changed, a text replaced by another of the same
// length included.
struct FirmaPosiciones {
    qint64 filas = -1;  // -1: unknown (the database could not say)
    qint64 contenido = 0;

    bool Conocida() const { return filas >= 0; }
    bool operator==(const FirmaPosiciones& o) const = default;
};

// The positions of one warehouse in MA_POSICIONES: every statement the layout window sends and the
// rules it decides by (a code and its parent, the related codes, the tree's rows, saving and
// deleting). It needs no window, so it is tested without one; the window keeps its controls and
// events and asks here. Messages are the operator's exact texts; an empty message means the rule
// holds.
class PosicionesLayout {
public:
    // The warehouse code as the selector gives it (the last 4 characters of its entry).
    explicit PosicionesLayout(const QString& deposito);

    // The warehouse in the form stored in V_TA_DEPOSITO ("   1").
    QString Deposito() const { return deposito_; }

    // ---- record sets the window keeps ----
    // The first row of the table, whose fields give the columns' types and sizes to the save.
    static void AbrirEstructura(const QString& tabla, driver::Recordset& rs);
    // The row of a position (closed or empty when there is none), open for editing.
    void AbrirPosicion(const QString& codigo, driver::Recordset& rs) const;

    // ---- code rules ----
    // Length and form of a code: longer than the levels allow, a length that is no level end, a
    // quote (which the suite never stores).
    static QString ErrorDeLongitud(const QString& codigo);
    // The parent the code needs: missing, or storable and reserved (it already receives movements).
    QString ErrorDelNivelSuperior(const QString& codigo) const;
    // True when no position of the warehouse lies beneath the code (it may be deleted alone).
    bool SinNivelInferior(const QString& codigo) const;
    // The unit or reservation code of a detail field (its data field and trimmed text): missing
    // from its table. A heading needs no unit.
    static QString ErrorDeCodigoRelacionado(const QString& dato, const QString& valor, bool titulo);
    // The reservation fields a valid code of this one empties (one reservation at a time).
    static QStringList ReservasQueExcluye(const QString& dato);
    static QString ErrorDeCapacidad(const QString& valor);
    static QString ErrorDeOrdenIngreso(const QString& valor);
    // The statement of the families' tree lookup.
    static QString ConsultaFamilias() { return QStringLiteral("SELECT IDFAMILIA, DESCRIPCION FROM V_TA_FAMILIAS"); }
    // The description a label shows for a code of a table ("" when the code is in no row).
    static QString Descripcion(const QString& tabla, const QString& valor, const QString& columna, const QString& clave);

    // ---- tree ----
    // Every position of the warehouse in code order, for a rebuild of the tree: comenzar gets the
    // number of rows before the first (the levels may be read again there), then fila each row as
    // the record set holds its texts (UTF-8 when it can, without a string per row) with the level
    // its code's length ends (1 to 4, 0 for none); fila answers false to stop. Returns the number
    // of rows, 0 (and neither is called) for a warehouse without positions.
    qsizetype RecorrerArbol(const std::function<void(qsizetype cantidad)>& comenzar,
                            const std::function<bool(QAnyStringView codigo, QAnyStringView descripcion, int nivel)>& fila) const;
    // The warehouse's signature over `columnas` (a list of expressions on MA_POSICIONES), with
    // SQL Server's CHECKSUM_AGG and BINARY_CHECKSUM, which the embedded back end has too. Errors
    // give an unknown signature, never a box: it only decides whether to read again.
    FirmaPosiciones Firma(const QString& columnas) const;
    // The signature of what the tree shows: codes and descriptions.
    FirmaPosiciones FirmaArbol() const { return Firma(QStringLiteral("IdPosicion, Descripcion")); }
    // The level (1 to 4) a code of that length is shown at when it is added after a save, and how
    // many of its last characters are its own (the rest is its parent's code).
    static int NivelAlAgregar(qsizetype largo, qsizetype& propios);

    // ---- saving and deleting ----
    // The value a detail field is written with (typed by its column in the table's structure); the
    // warehouse and the code come as this object and the caller give them.
    QString ValorDeCampo(const driver::Recordset& estructura, const QString& dato, const QString& texto,
                         const QString& codigo) const;
    // The INSERT (nuevo) or UPDATE (existe) of the pending field list, as one script; empty when
    // neither (and the list is emptied).
    QString Sentencia(const QString& tabla, const QString& codigo, bool existe, bool nuevo) const;
    // Runs a save's script; on a database error the audit row is written (unless the database cannot
    // take one: busy or read-only) and the first error's description is returned.
    QString Ejecutar(const QString& script) const;
    // Deletes the position and its whole subtree (exactly the codes that begin with it); returns the
    // first error's description, "" on success.
    QString Borrar(const QString& codigo) const;

    // ---- labels ----
    // The selection formula of the warehouse's labels: its storable positions.
    QString FormulaEtiquetas() const;

private:
    QString deposito_;
};
