#pragma once

#include <QPointer>
#include <QVariant>
#include <QWidget>
#include <array>

class QLabel;
class QPushButton;
class QTimer;

// The progress banner: a small, semi-transparent, borderless window in the middle of the screen
// with a title, three lines, an animation and, when allowed, a cancel button. Cancellation is kept
// in the button's caption, "Abortado" once pressed.
class Lbf_CtrlDisplay : public QWidget {
    Q_OBJECT
public:
    explicit Lbf_CtrlDisplay(QWidget* padre = nullptr);

    std::array<QLabel*, 3> LblCtrol{};
    QPushButton* CmdDisplayCancelar = nullptr;
    QLabel* Image1 = nullptr;
    QTimer* Timer1 = nullptr;

    int Cuadro() const { return cuadro_; }  // the frame shown, 1..12
    void Tick();                            // one timer tick

protected:
    void showEvent(QShowEvent* e) override;
    // Watches the program's windows: while a modal one (a message box, the connection window, a
    // lookup) waits for the operator, the banner steps out of its way.
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void MostrarCuadro(int n);
    void SeguirModales();
    bool ocultoPorModal_ = false;
    int contador_ = 0;  // 0..12
    int cuadro_ = 1;
};

// The caller's handle on the banner; one per program.
class Dll_Display {
public:
    ~Dll_Display();
    void CartelInicio(const QString& Titulo, bool PermiteCancelar);
    // Updates the given lines (an invalid QVariant leaves a line alone; a null one shows "") and
    // reports whether the operator pressed the cancel button.
    void CartelMostrar(bool& Cancelado, const QVariant& Linea1 = QVariant(), const QVariant& Linea2 = QVariant(),
                       const QVariant& Linea3 = QVariant());
    void CartelCerrar();
    // Whether the operator pressed the banner's cancel button, without repainting it: for a job
    // that updates the banner only now and then but should stop as soon as it can.
    bool Cancelado() const;
    // Keeps the banner above every other window (or not).
    void SetSiempreVisible(bool valor);

    Lbf_CtrlDisplay* Ventana() const { return ventana_.data(); }

private:
    QPointer<Lbf_CtrlDisplay> ventana_;
};

// The program's banner object.
Dll_Display& gDisplay();

// Shows the spreadsheet export's progress in the program's banner, with a cancel button.
void InstalarProgresoExportacion();
// The same for printing labels and saving them as a PDF, sheet by sheet.
void InstalarProgresoEtiquetas();

// While the database waits for a lock another workstation holds, a banner of its own says so after
// a moment, with a cancel button that stops waiting; it is modal, so the window repaints but takes no
// other command until the wait is over.
void InstalarEsperaOcupada();
