#pragma once

#include <QGroupBox>
#include <QList>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace diagrama {

class LayoutDeposito;

// The picked position as the editor shows it, read-only: the same fields bound to the same
// columns (txtfields_0 ... with their "DataField" and lookup table "Tag"), the flags, and the
// description of each related code beside it. The row is read from the database when a position
// is picked, so it is what is stored now. Above the fields: where the position sits in the
// levels, and why it is drawn apart when it is.
class DetallePosicion : public QGroupBox {
    Q_OBJECT
public:
    explicit DetallePosicion(QWidget* padre = nullptr);

    QLabel* LblUbicacion = nullptr;
    QLabel* LblNota = nullptr;
    QList<QLineEdit*> txtfields;
    QList<QCheckBox*> ChkFields;
    QList<QLabel*> LblDesc;

    // Shows a node of the layout (-1: nothing picked).
    void Mostrar(const LayoutDeposito& layout, int nodo, const QString& deposito);
    void Limpiar();

private:
    void VerRelacion();
    // Reading a row lets pending window events run: a position picked meanwhile is shown, and the
    // earlier reading, when it comes back, must not fill the fields over it.
    quint64 lectura_ = 0;
};

}  // namespace diagrama
