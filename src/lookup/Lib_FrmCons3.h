#pragma once

#include "lookup/AnchosConsulta.h"
#include "lookup/ModelosConsulta.h"

#include <QDialog>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <optional>

class QComboBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QTreeView;
class QFrame;
namespace driver {
class Recordset;
}

// The list lookup window: runs its statement, builds one column and one search box per result
// column, fills the list, narrows it by typing, re-queries with F5, and hands back the accepted
// row (or the checked rows). Without a statement it serves the engine's option lists.
class Lib_FrmCons3 : public QDialog {
    Q_OBJECT
public:
    explicit Lib_FrmCons3(QWidget* padre = nullptr);
    ~Lib_FrmCons3() override;

    // ---- inputs ----
    QString Sql;
    QString gConnString;
    QString CampoDevuelto;
    QStringList* CmpsDevueltos = nullptr;
    bool CheckBoxes = false;
    bool UsaCantidades = false;
    QString ValoresDefault;
    QString FiltroInicial;
    QString CampoBusqueda;
    bool OrdenarPorLwv = false;
    bool CfgUsaConsultaLIKE = false;
    QString MuestraStock;
    QVariant StkNivel1, StkNivel2, StkNivel3, StkNivel4;
    bool GrabarCfg = false;
    bool UsarUDBC = false;

    // ---- results ----
    QString ValorDevuelto;
    std::optional<QStringList> Valores;
    std::optional<QVariantList> Cantidades;

    // ---- internal values, readable for diagnosis ----
    QString SqlInicial, SqlBase, OrdenConsulta, TablaConsulta;
    bool EsArticulos = false;
    int IndiceBusqueda = 0;

    // Loading (first show, F5, "&Nueva Busqueda"); true once it ran.
    void Cargar();
    bool Cargada() const { return cargada_; }
    // 1-based index of the first column whose header equals Columna (trimmed, ignoring case); 0.
    int IndiceColumna(const QString& Columna) const;
    // 1-based index of the first row whose column Clave (0 = row text) starts with QueValor; 0.
    int Busqueda(int Clave, const QString& QueValor) const;
    // The engine's option lists: one column headed Titulo, rows of texts (checked per flag).
    void PrepararOpciones(const QString& Titulo, const QStringList& textos, const QVector<bool>& marcas, double anchoTwips);
    // Unloading: saves the widths when GrabarCfg, empties the list.
    void Descargar();

    // ---- controls ----
    ModeloLista* modelo() const { return modelo_; }
    QTreeView* ListView1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton *CmdNuevo = nullptr, *CmdAceptar = nullptr, *CmdCancelar = nullptr, *CmdNueva = nullptr, *CmdTodos = nullptr;
    QWidget* picFields = nullptr;
    QScrollBar* HScroll1 = nullptr;
    QFrame* Frame1 = nullptr;
    QComboBox* CmbSearch(int i) const { return i >= 0 && i < cajas_.size() ? cajas_.at(i) : nullptr; }
    int CajasCount() const { return static_cast<int>(cajas_.size()); }

    // Column widths in twips and in characters of "X" (as Encolumnar computed them).
    double AnchoColumna(int i) const { return i >= 0 && i < anchos_.size() ? anchos_.at(i) : 0; }
    int CaracteresColumna(int i) const { return i >= 0 && i < caracteres_.size() ? caracteres_.at(i) : 0; }
    QVector<double> AnchosColumnas() const { return anchos_; }
    void SetAnchoColumna(int i, double twips);
    // Where the window keeps its saved column widths.
    static QString ArchivoAnchos();

public slots:
    void CmdAceptar_Click();
    void CmdCancelar_Click();
    void CmdNueva_Click();
    void CmdTodos_Click();
    void CmdNuevo_Click();

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void reject() override;

private:
    void Encolumnar(driver::Recordset& rs);
    void Leer(driver::Recordset& rs);
    void LeerAnchos();
    void CalcularAncho();
    void AplicarDisposicion();
    anchos::Medidas MedidasControles() const;
    // The narrowest window in which the bottom buttons stand apart, in twips.
    double AnchoMinimo() const;
    void FijarTamanoMinimo();
    QComboBox* CrearCaja(int i);
    void CajaCambiada(int i, const QString& texto);
    bool TeclaCaja(int i, int codigo, int shift);
    bool TeclaLista(int codigo, int shift, const QString& texto);
    void BusquedaF5(int i);
    void Faltante();
    void Cantidad(int modo);
    int FilaSeleccionada() const;
    QString ValorFila(int fila, const QString& columna) const;
    void Seleccionar(int fila);

    ModeloLista* modelo_ = nullptr;
    QVector<QComboBox*> cajas_;
    QVector<double> anchos_;
    QVector<int> caracteres_;
    Qt::SortOrder orden_ = Qt::AscendingOrder;
    bool cargada_ = false;
    bool cargando_ = false;
};
