#pragma once

#include "diagrama/HojasDiagrama.h"

#include <QDialog>
#include <QRectF>
#include <vector>

class QComboBox;
class QLabel;
class QRadioButton;

namespace diagrama {

// "Imprimir o exportar": what (the whole warehouse or the part on screen), on how many sheets,
// which paper and where to (a printer, a PDF, a PNG picture, an SVG drawing). It tells, as the
// choices change, how many sheets that makes.
class DialogoSalida : public QDialog {
    Q_OBJECT
public:
    enum class Destino { Impresora, Pdf, Png, Svg };
    struct Opciones {
        bool todo = true;
        bool varias = false;
        Papel papel = Papel::A4;
        Destino destino = Destino::Impresora;
    };

    // cortes: where rows of sheets had best end (GeometriaDiagrama::Cortes).
    DialogoSalida(const QRectF& todo, const QRectF& visible, std::vector<double> cortes, QWidget* padre = nullptr);

    Opciones Elegidas() const;

    QRadioButton* OptTodo = nullptr;
    QRadioButton* OptVisible = nullptr;
    QRadioButton* OptUnaHoja = nullptr;
    QRadioButton* OptVariasHojas = nullptr;
    QComboBox* CboPapel = nullptr;
    QComboBox* CboDestino = nullptr;
    QLabel* LblHojas = nullptr;

private:
    void Contar();
    QRectF todo_, visible_;
    std::vector<double> cortes_;
};

}  // namespace diagrama
