#pragma once

#include "services/FuenteCampos.h"

#include <QList>
#include <QString>

class QCheckBox;
class QLineEdit;
class QWidget;

// Binds a window's control arrays to the columns of a table. Each control carries its column in
// the dynamic property "DataField" and, for lookup fields, the lookup table in "Tag"; the code
// field of a window carries "EsClave" = true.
class FuncionesFormulario {
public:
    static FuncionesFormulario& instancia();

    // Each text box shows the value of the column named by its data field.
    void LlenarCampos(const QList<QLineEdit*>& campos, const FuenteCampos& fila) const;
    // Prepares the boxes for editing the table: a text column's defined size limits what can be
    // typed (unless the box already has a smaller limit).
    void PrepararCampos(const QList<QLineEdit*>& campos, const QString& tabla, const QString& conexion,
                        const FuenteCampos* estructura = nullptr) const;
    // Empties the window's text boxes and check boxes; with modo 1 the code field keeps its text.
    void LimpiarCampos(QWidget* ventana, int modo = 0) const;
    // True for the keys that confirm a field and move on: Enter and Tab.
    bool EsTeclaAvance(int codigoTecla) const;
    // Moves the focus on from the current field, in the window's tab order.
    void AvanzarFoco(int codigoTecla) const;
    // May change or drop a typed character to suit the field; false when the character is dropped.
    // Escape is never changed or dropped.
    bool FiltrarTecla(QLineEdit* campo, QChar& caracter) const;
    // Index of the control bound to the column (names compared without regard to case); -1 if none.
    int IndiceCampo(const QString& columna, const QList<QLineEdit*>& campos) const;
    int IndiceCampo(const QString& columna, const QList<QCheckBox*>& campos) const;

    // Paints a text box with the suite's field colours (Visual Basic values; letra -1: none given).
    // They apply while the box is enabled: a disabled box keeps the desktop's disabled look. White
    // stands for the desktop's own base colour (with its text colour when black is asked for), so a
    // dark theme keeps readable text; a colour without a text colour gets black or white text,
    // whichever reads on it.
    void ColorearCampo(QWidget* campo, long fondo, long letra = -1) const;

    static QString DataField(const QObject* control);
    static QString Tag(const QObject* control);
};
