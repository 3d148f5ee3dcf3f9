#pragma once

#include "lookup/ModelosConsulta.h"

#include <QDialog>
#include <QStringList>
#include <optional>

class QComboBox;
class QPushButton;
class QTreeView;
class QFrame;

// The tree lookup window: picks a code from a hierarchy (families, positions, cost centres,
// accounts) whose codes grow by levels. Shown by the engine when a lookup asks for a tree.
class Lib_FrmCons3Tree : public QDialog {
    Q_OBJECT
public:
    explicit Lib_FrmCons3Tree(QWidget* padre = nullptr);
    ~Lib_FrmCons3Tree() override;

    // inputs
    QString Sql;
    QString CampoDevuelto;  // "IDFAMILIA", "IDPOSICION" or "CODIGO"
    bool CheckBoxes = false;
    // results
    QString ValorDevuelto;
    std::optional<QStringList> Valores;

    QString SqlBase, OrdenConsulta;
    int IndiceBusqueda = 0;

    void Cargar();
    bool Cargada() const { return cargada_; }
    void ArmarTreeVFamilias();
    void ArmarTreeVAutomatico();
    // The statement the families tree is built from.
    static QString SentenciaFamilias();

    ModeloArbol* modelo() const { return modelo_; }
    QTreeView* TreeV = nullptr;
    QWidget* picFields = nullptr;
    QFrame* Frame1 = nullptr;
    QPushButton *CmdAceptar = nullptr, *CmdCancelar = nullptr, *CmdNueva = nullptr;
    QComboBox* CmbSearch(int i) const { return i == 0 ? caja_ : nullptr; }
    // The selected node (−1 when none).
    int NodoSeleccionado() const;

public slots:
    void CmdAceptar_Click();
    void CmdCancelar_Click();
    void CmdNueva_Click();

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void showEvent(QShowEvent* e) override;
    void reject() override;

private:
    void Construir();
    void CajaCambiada(const QString& texto);
    void BusquedaF5();
    void Seleccionar(int nodo);

    ModeloArbol* modelo_ = nullptr;
    QComboBox* caja_ = nullptr;
    bool cargada_ = false;
};
