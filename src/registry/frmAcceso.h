#pragma once

#include <QString>
#include <QVariant>
#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// "Control de Acceso": the window through which a database connection is asked for (the login
// retry and the parameter dialog of the database object load it, fill its boxes, show it modally
// and read the boxes and Aceptar() back once it is hidden), and the keeper of BASES.TXT, the
// registry of known connections. It never opens the program's working connection: it only tests
// connections, and a registration leaves the shared connection closed.
//
// Creating the window is its load: it reads the registry afresh, selects the first registered
// connection (which fills the boxes) and puts the hints into the boxes left empty.
class frmAcceso : public QWidget {
    Q_OBJECT

public:
    explicit frmAcceso(QWidget* parent = nullptr);
    ~frmAcceso() override;

    // The controls, by the names the callers use (also their object names).
    QListWidget* lstBases = nullptr;
    QLineEdit* TxtUserId = nullptr;
    QLineEdit* TxtUserPassword = nullptr;
    QLineEdit* TxtDbName = nullptr;
    QLineEdit* TxtServidor = nullptr;
    QLineEdit* TxtPuerto = nullptr;
    QComboBox* CboPlataformaDB = nullptr;
    QPushButton* bcAceptar = nullptr;
    QPushButton* bcCancelar = nullptr;
    QPushButton* CmdRegistrar = nullptr;
    QPushButton* CmdLineaComando = nullptr;
    QLabel* Label8 = nullptr;
    QGroupBox* fraAutenticacion = nullptr;
    QLabel* lblTitulo = nullptr;

    // True when the operator left the window with "Conectar".
    bool Aceptar() const { return aceptar_; }

    // The suite's web address behind Label8.
    static QString DireccionWeb();

    void llenarlist();
    void DatosBase(const QString& clave);
    void AsignarDatosBase();
    void MensajeInicial(QLineEdit* caja);
    bool ExisteBaseDeDatos(const QString& servidor, const QString& baseDatos, const QString& usuario, const QString& password,
                           const QString& proveedor);
    void RegistrarBases();

    // The actions of the buttons and of Label8.
    void bcAceptar_Click();
    void bcCancelar_Click();
    void CmdRegistrar_Click();
    void CmdLineaComando_Click();
    void Label8_Click();

    // The hint a box shows while empty ("" for boxes without one).
    QString Sugerencia(const QLineEdit* caja) const;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;

private:
    void ConstruirControles();
    void Centrar();

    bool aceptar_ = false;
    // The last record found by DatosBase (password in clear).
    QString servidor_, baseDatos_, usuario_, clave_;
    // The port: a registered server's (text after ":") or the typed one of a registration; empty
    // until either happens.
    QVariant puerto_;
    bool enMensaje_ = false;
};
