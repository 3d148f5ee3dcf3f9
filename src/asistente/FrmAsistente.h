#pragma once

#include "asistente/EscritorAsistente.h"
#include "asistente/PlanAsistente.h"
#include "layout/ArbolLayout.h"

#include <QAbstractTableModel>
#include <QVector>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableView;
class QTreeView;

// The layout tree of a job's result: the editor's model and icons, with the new positions and the
// ones whose values change shown apart (bold and italic, in the palette's link colours, and a word
// after the text).
class ModeloVistaPrevia : public ModeloArbolLayout {
    Q_OBJECT
public:
    using ModeloArbolLayout::ModeloArbolLayout;
    void LimpiarMarcas() { marcas_.clear(); }
    void Marcar(int nodo, asistente::Estado estado);
    asistente::Estado Marca(const QModelIndex& indice) const;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    // By node number; SinCambios for the positions the job leaves alone.
    std::vector<asistente::Estado> marcas_;
};

// The refused rows of a job: line, code and reason.
class ModeloRechazos : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void Cargar(const asistente::PlanAsistente* plan);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const asistente::PlanAsistente* plan_ = nullptr;
    QVector<int> filas_;  // entries of the plan
};

// "Asistente de Layout": lays out a whole warehouse in one step, by ranges per level or from a
// workbook, shows what the job will do and writes it when the operator says "Crear".
class FrmAsistente : public QWidget {
    Q_OBJECT
public:
    // With iniciarAplicacion false the suite's start-up is skipped and the window loads over the
    // connection that is already open.
    explicit FrmAsistente(bool iniciarAplicacion = true, QWidget* padre = nullptr);
    ~FrmAsistente() override;

    // One row of the ranges: the range of one configured level.
    struct FilaNivel {
        QLabel* nombre = nullptr;
        QLineEdit* desde = nullptr;
        QLineEdit* hasta = nullptr;
        QSpinBox* paso = nullptr;
        QComboBox* tipo = nullptr;  // "Números" / "Letras"
        QCheckBox* titulo = nullptr;
        QLineEdit* plantilla = nullptr;
    };

    // ---- controls ----
    QComboBox* CmbDeposito = nullptr;
    QTabWidget* Paginas = nullptr;
    QSpinBox* SpnNiveles = nullptr;
    QVector<FilaNivel> Niveles;
    QLineEdit* TxtCapacidad = nullptr;
    QLineEdit* TxtUnidad = nullptr;
    QLabel* LblUnidad = nullptr;
    QLineEdit* TxtOrdenIngreso = nullptr;
    QCheckBox* ChkHabilitado = nullptr;
    QCheckBox* ChkReservado = nullptr;
    QCheckBox* ChkCompleta = nullptr;
    QCheckBox* ChkPicking = nullptr;
    QComboBox* CmbReserva = nullptr;
    QLineEdit* TxtReserva = nullptr;
    QLabel* LblReserva = nullptr;
    QLineEdit* TxtArchivo = nullptr;
    QPushButton* CmdExaminar = nullptr;
    QCheckBox* ChkActualizar = nullptr;
    QPushButton* CmdVistaPrevia = nullptr;
    QPushButton* CmdCrear = nullptr;
    QPushButton* CmdGuardarRechazos = nullptr;
    QPushButton* CmdCerrar = nullptr;
    QLabel* LblResumen = nullptr;
    QTreeView* TreeView1 = nullptr;
    ModeloVistaPrevia* ModeloArbol = nullptr;
    QTableView* GrdRechazos = nullptr;
    ModeloRechazos* Rechazos = nullptr;
    ImagenesLayout ImageList1;

    // ---- commands ----
    void Form_Load(bool iniciarAplicacion);
    void Form_Unload();
    // Works out the job and shows it; false when something had to be told first.
    bool VistaPrevia();
    // Shows the job worked out last: the tree of its result, the refused rows and the summary.
    void MostrarPlan();
    void Crear();
    void GuardarRechazos();
    void Examinar();
    // The lookup of the unit or of the reservation code, as the editor's fields have it.
    void ConsultarUnidad();
    void ConsultarReserva();

    // The job shown, null before a preview or once it was written.
    const asistente::PlanAsistente* Plan() const { return plan_.get(); }
    QString Deposito() const;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;

private:
    void ConstruirVentana();
    void ArmarNiveles();
    void NivelesACrear(int n);
    void Invalidar();
    void Reactivar();
    void VerDescripcion(QLineEdit* campo, QLabel* etiqueta, const QString& tabla, const QString& clave);
    QString TablaReserva() const;
    bool ValoresValidos();
    void Avisar(const QString& texto, int estilo, QWidget* foco = nullptr);

    // Shows the banner of the checks of `total` rows and returns the hook that keeps it up to date
    // (false when the operator cancelled); then the end of the checks, shown or cancelled.
    std::function<bool(qint64)> MostrarRevision(qint64 total);
    bool Revisado(bool completo);

    // The job shown no more; the next preview works in it. The rows of a large job take tens of
    // megabytes, and memory the system hands out afresh costs more to touch than to fill.
    void SoltarPlan();

    std::unique_ptr<asistente::PlanAsistente> plan_;
    std::unique_ptr<asistente::PlanAsistente> libre_;
    bool descargando_ = false;
    bool ocupado_ = false;
};

// The progress of a long writing in the program's banner, with its cancel button.
asistente::ProgresoEscritura ProgresoEnCartel();
