#pragma once

#include "services/FuenteCampos.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>

namespace driver {

class Conexion;

// One column of a record set.
struct Campo {
    QString Name;
    int Type = 0;          // ADO DataTypeEnum number, from the declared column type
    int DefinedSize = 0;   // characters for text columns
    int Precision = 0;
    int NumericScale = 0;
    QVariant Value;        // the current row's value; a null QVariant is NULL, distinct from ""
    // Where the column comes from, for updates through the record set.
    QString TablaBase;
    QString ColumnaBase;
};

// A client-side record set: every row is held in memory once it is opened. Fields are found by
// index or by name without regard to case. AddNew / Update / Delete / CancelUpdate work on a
// record set opened on a single-table SELECT; updates are optimistic: an update or delete that
// finds its row changed or gone since it was read fails with E_FAIL and a provider error.
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
    Campo& Fields(int indice);             // raises 3265 when out of range
    Campo& Fields(const QString& nombre);  // raises 3265 when not found
    const Campo& Fields(int indice) const;
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

private:
    std::unique_ptr<Datos> d_;
    QString fuente_;
    int cursor_ = 0;
    int bloqueo_ = 1;
};

}  // namespace driver
