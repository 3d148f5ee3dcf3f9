#pragma once

#include "diagrama/DialogoSalida.h"
#include "diagrama/GeometriaDiagrama.h"
#include "diagrama/LayoutDeposito.h"
#include "diagrama/PintorDiagrama.h"
#include "services/ErrorEjecucion.h"

#include <QElapsedTimer>
#include <QString>
#include <QWidget>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QToolButton;

namespace diagrama {

class DetallePosicion;
class VistaDiagrama;

// The legend under the drawing, painted by the drawing's own legend routine.
class LeyendaDiagrama : public QWidget {
public:
    explicit LeyendaDiagrama(const LayoutDeposito& layout, QWidget* padre = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    const LayoutDeposito& layout_;
};

// "Diagrama de Layout": the selected warehouse drawn as it stands (aisles as rows, racks along
// them, cells stacked in the racks), with a search, the detail of the picked position, print and
// export. Started as every program of the suite (parameter string or connection window, login,
// its own access row), it ends the program when closed, stamping the exit time.
class FrmDiagrama : public QWidget {
    Q_OBJECT
public:
    // More positions than this are read behind the progress banner (with a cancel button).
    static constexpr qint64 kFilasConCartel = 20000;

    // With iniciarAplicacion false the suite's start-up is skipped and the window loads over the
    // connection already open.
    explicit FrmDiagrama(bool iniciarAplicacion = true, QWidget* padre = nullptr);
    ~FrmDiagrama() override;

    // ---- controls ----
    QComboBox* CmbDeposito = nullptr;
    QLineEdit* TxtBuscar = nullptr;
    QPushButton* CmdSiguiente = nullptr;
    QPushButton* CmdAnterior = nullptr;
    QToolButton* CmdAcercar = nullptr;
    QToolButton* CmdAlejar = nullptr;
    QPushButton* CmdAjustar = nullptr;
    QPushButton* CmdImprimir = nullptr;
    QPushButton* CmdActualizar = nullptr;
    QPushButton* CmdCerrar = nullptr;
    VistaDiagrama* Vista = nullptr;
    DetallePosicion* Detalle = nullptr;
    LeyendaDiagrama* Leyenda = nullptr;
    QLabel* LblFila = nullptr;    // the row under the pointer, or the picked one
    QLabel* LblEstado = nullptr;  // what the warehouse holds, the zoom
    QLabel* LblAvisos = nullptr;  // what the drawing says above its aisles, readable at any zoom
    QSplitter* Divisor = nullptr;

    // ---- start-up and shut-down ----
    void Form_Load(bool iniciarAplicacion);
    void Form_Unload();

    // ---- the warehouse ----
    void CargarDepositos();
    void CambiarDeposito();
    QString Deposito() const;
    // Reads the warehouse again (F5); the view keeps its zoom, centre and picked position unless
    // ajustar. False when the read was cancelled or failed: the drawing stays as it was.
    bool Actualizar(bool ajustar = false);
    // On activation: reads again when the database says the warehouse changed.
    void RevisarCambios();

    // ---- find and inspect ----
    // Finds the positions whose code or description holds the search text, and goes to the first.
    void Buscar();
    void Siguiente(int paso);
    // Picks a node: framed, centred, its detail shown. False when another pick started meanwhile.
    bool Elegir(int nodo, bool centrar);
    // The row of a node as the status line and the tool tip show it.
    QString TextoFila(int nodo) const;

    // ---- print and export ----
    void ImprimirExportar();
    // The same without the dialog, for each destination; true when the output was produced.
    bool Imprimir(const DialogoSalida::Opciones& opciones);

    const LayoutDeposito& Layout() const { return layout_; }
    const GeometriaDiagrama& Geometria() const { return geometria_; }

protected:
    void closeEvent(QCloseEvent* e) override;
    bool event(QEvent* e) override;

private:
    void ConstruirVentana();
    void MostrarEstado();
    int Reportar(const ErrorEjecucion& e, const QString& rutina) const;
    QString Titulo() const;

    LayoutDeposito layout_;
    GeometriaDiagrama geometria_;
    PintorDiagrama pintor_{geometria_};
    QString depositoLeido_;
    Firma firma_;
    std::vector<int> coincidencias_;
    int actual_ = -1;
    // Reading the database lets pending events run, so a search or a pick may start inside another:
    // the one started last wins, the earlier ones do not write over it when they come back.
    quint64 eleccion_ = 0;
    bool leyendo_ = false;
    bool fallo_ = false;  // the last look at the database failed
    bool descargando_ = false;
    QElapsedTimer ultimaRevision_;
};

}  // namespace diagrama
