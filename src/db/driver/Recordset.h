#pragma once

#include "services/FuenteCampos.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>

namespace driver {

class Conexion;
struct ResultadoMotor;

// One column of a record set.
struct Campo {
    QString Name;
    int Type = 0;         // ADO DataTypeEnum number, from the declared column type
    int DefinedSize = 0;  // characters for text columns
    int Precision = 0;
    int NumericScale = 0;
    QVariant Value;  // the current row's value; a null QVariant is NULL, distinct from ""
    // Where the column comes from, for updates through the record set.
    QString TablaBase;
    QString ColumnaBase;
};

// A client-side record set: every row is held in memory once it is opened. Fields are found by
// index or by name without regard to case. AddNew / Update / Delete / CancelUpdate work on a
// record set opened on a single-table SELECT (not read-only: 3251 otherwise); updates are
// optimistic: an update or delete that finds its row changed or gone since it was read fails with
// E_FAIL and the provider error "Row cannot be located for updating. ...". The row is located by the
// table's primary key (plus the original values of the changed columns), or by the original values
// of the other columns when the record set lacks the key.
//
// Editing follows ADO: assigning a field (Asignar, or Fields(...).Value = v) starts an edit of the
// current row; Update writes it; moving to another row or AddNew writes a pending edit first;
// CancelUpdate drops it; Close refuses with 3219 while it is pending. After Delete the current row
// is gone: its fields read as NULL, assignments and Update have no effect, and the next MoveNext
// lands on the row that followed it.
class Recordset : public FuenteCampos {
public:
    Recordset();
    ~Recordset() override;

    // Opens the record set on a statement (or a bare table name) over the connection.
    void Open(const QString& fuente, Conexion* conexion, int cursor = 0, int bloqueo = 1, long opciones = -1);
    void Close();  // raises 3704 when already closed; 3219 while an edit is pending (AddNew / changed fields)
    int State() const;
    bool BOF() const;
    bool EOF_() const;  // EOF is a macro of <cstdio>
    void MoveFirst();
    void MoveNext();
    void MovePrevious();
    void MoveLast();
    long RecordCount() const;  // -1 when closed
    long AbsolutePosition() const;
    // All rows from the current one on, as [field][row]; moves to EOF.
    QVector<QVector<QVariant>> GetRows();

    int CursorType() const { return cursor_; }
    int LockType() const { return bloqueo_; }
    QString Source() const { return fuente_; }

    int FieldCount() const;
    // A field with its value in the current row (Value is NULL when there is no current row: at BOF,
    // at EOF or after Delete; Valor raises 3021 there instead). Raise 3265 when out of range / not found.
    Campo& Fields(int indice);
    Campo& Fields(const QString& nombre);
    const Campo& Fields(int indice) const;
    // The text of a field of the current row as the record set holds it, in UTF-8, without making
    // a value: for one pass over every row of a large result. False when the field does not hold a
    // text there (NULL, a number, a date), when the row is being added or was deleted, when the
    // field was already read or assigned on this row, or when the back end handed over its rows in
    // another form: the caller then reads Fields(indice).Value.
    bool TextoUtf8(int indice, QUtf8StringView& texto) const;
    const Campo& Fields(const QString& nombre) const;
    int IndiceCampo(const QString& nombre) const;  // -1 when not found

    // Value of a field of the current row (raises 3021 at BOF/EOF).
    QVariant Valor(const QString& nombre) const;
    void Asignar(const QString& nombre, const QVariant& valor);  // during an edit
    void AddNew();
    void Update();
    void Delete();
    void CancelUpdate();
    bool EditandoFila() const;

    // FuenteCampos
    bool TieneCampo(const QString& nombre) const override;
    QVariant ValorCampo(const QString& nombre) const override;
    int TamanoCampo(const QString& nombre) const override;

    // Used by the back ends and by Conexion::Execute to hand over a finished result.
    struct Datos;
    void CargarResultado(Conexion* conexion, const QString& fuente, QList<Campo> campos, QVector<QVector<QVariant>> filas,
                         int cursor, int bloqueo);
    // The same with a back end's whole result (its rows may come in compact form).
    void CargarResultado(Conexion* conexion, const QString& fuente, ResultadoMotor&& resultado, int cursor, int bloqueo);

private:
    void ExigirAbierto() const;
    void AntesDeMover();
    void ExigirEditable() const;
    Conexion& ConexionViva() const;
    std::unique_ptr<Datos> d_;
    QString fuente_;
    int cursor_ = 0;
    int bloqueo_ = 1;
};

}  // namespace driver
