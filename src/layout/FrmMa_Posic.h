#pragma once

#include "db/driver/Recordset.h"
#include "layout/ArbolLayout.h"
#include "layout/PosicionesLayout.h"

#include <QList>
#include <QString>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTreeView;
class UtilKit;

// "Definición de Layout": the warehouse selector, the layout tree of the selected warehouse, the
// detail of one position of MA_POSICIONES and the command toolbar. The program's only working
// window; closing it ends the program.
//
// Controls carry the names the whole suite uses (txtfields_0 ..., ChkFields_0 ..., LblDesc_0 ...)
// and every text box its column ("DataField") and, for lookup fields, its lookup table ("Tag");
// the code relies on those properties, not on the indexes.
class FrmMa_Posic : public QWidget {
    Q_OBJECT
public:
    // With iniciarAplicacion false the start-up of the suite (command line, connection, login) is
    // skipped and the window loads over the connection that is already open.
    explicit FrmMa_Posic(bool iniciarAplicacion = true, QWidget* padre = nullptr);
    ~FrmMa_Posic() override;

    // ---- controls ----
    UtilKit* UtilKit1 = nullptr;
    QComboBox* CmbDeposito = nullptr;
    QTreeView* TreeView1 = nullptr;
    ModeloArbolLayout* ModeloArbol = nullptr;
    ImagenesLayout ImageList1;
    QList<QLineEdit*> txtfields;
    QList<QCheckBox*> ChkFields;
    QList<QLabel*> LblDesc;
    QGroupBox* Frame2 = nullptr;
    QPushButton* CmdEtiquetas = nullptr;
    QPushButton* CmdCallAsistente = nullptr;
    QPushButton* CmdCallDiagrama = nullptr;
    QSplitter* Divisor = nullptr;

    // ---- window state ----
    driver::Recordset RsPosicion;
    QString Tabla;
    bool EsNuevo = false;
    bool Existe = false;
    bool Borrando = false;
    bool Grabando = false;
    bool ErrorValidacion = false;
    int CampoActual = 0;
    QLineEdit* ControlActual = nullptr;

    // ---- start-up and shut-down ----
    void Form_Load(bool iniciarAplicacion);
    void Form_Unload(int& cancelar);
    // A key of the window handed to the toolbar (its own shortcuts already get the window's keys).
    bool Form_KeyDown(int codigoTecla, int shift);

    // ---- warehouse, idle state, detail ----
    void CargarDepositos();
    void CambiarDeposito();
    // The current warehouse code: the last 4 characters of the selector's text.
    QString Deposito() const;
    void Inicializa();
    void InicializaDetalle();
    void DetalleOn(bool on);
    void AbrirRecordset(const QString& tabla);
    void CargarRegistro();

    // ---- tree ----
    void CargarIconosList(ImagenesLayout& lista);
    int IndiceImagen(const ImagenesLayout& lista, const QString& nombre) const { return lista.IndiceImagen(nombre); }
    void ArmarTreeVAutomatico();
    void ActualizaTreeV(const QString& codigo, const QString& descripcion);
    void TreeView1_NodeClick(const QModelIndex& nodo);

    // ---- validation ----
    void CampoValida(int indice);
    bool Datosvalidos();
    void VerHabilitado();

    // ---- related codes ----
    void VerRelacion();
    void ConsultarCampo();

    // ---- commands ----
    void UtilKit1_Click(const QString& clave);
    void CmdEtiquetas_Click();
    void CmdCallAsistente_Click();
    void CmdCallDiagrama_Click();
    void ActualizarDatos();

    // ---- field events ----
    void txtfields_GotFocus(int indice);
    void txtfields_LostFocus(int indice);
    // True when the key was consumed (an advance key: the field was validated).
    bool txtfields_KeyDown(int indice, int codigoTecla, int shift);
    // False when the character is dropped; it may be changed.
    bool txtfields_KeyPress(int indice, QChar& caracter);
    void txtfields_MouseDown(int indice, int boton);

    // The message shown when there is no warehouse to edit.
    static QString MensajeSinDepositos();

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;
    void changeEvent(QEvent* evento) override;

private:
    void ConstruirVentana();
    QLineEdit* NuevoCampo(int indice, const QString& columna, const QString& tabla, int largo);
    void EnfocarCodigo();
    // Every description label from the text of its field ("..." when empty); with avisar, a code
    // missing from its table is reported as VerRelacion reports it.
    void RefrescarDescripciones(bool avisar);
    int Reportar(const class ErrorEjecucion& e, const QString& rutina) const;

    QString mensajePendiente_;
    bool descargando_ = false;
    qint64 asistente_ = 0;  // the layout wizard this window started, until its end has been seen
    // The start-up builds the tree twice (on choosing the first warehouse, then on its own); the
    // first build notes the warehouse's signature, so the second is left out when nothing changed.
    bool anotarFirma_ = false;
    FirmaPosiciones firmaArbol_;
};
