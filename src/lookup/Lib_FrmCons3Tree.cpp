#include "lookup/Lib_FrmCons3Tree.h"

#include "core/MostrarError.h"
#include "db/DB_Dll.h"
#include "db/driver/DialectoSqlite.h"
#include "services/Conversiones.h"
#include "services/FuncionesComunes.h"
#include "services/Pasos.h"
#include "services/Plataforma.h"
#include "services/TeclasVB.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

Lib_FrmCons3Tree::Lib_FrmCons3Tree(QWidget* padre) : QDialog(padre) {
    setObjectName(QStringLiteral("Lib_FrmCons3Tree"));
    setWindowTitle(QStringLiteral("Consulta..."));
    modelo_ = new ModeloArbol(this);
    picFields = new QWidget(this);
    picFields->setObjectName(QStringLiteral("picFields"));
    caja_ = new QComboBox(picFields);
    caja_->setObjectName(QStringLiteral("CmbSearch_0"));
    caja_->setEditable(true);
    caja_->setInsertPolicy(QComboBox::NoInsert);
    caja_->setAccessibleName(QStringLiteral("Buscar"));
    caja_->setProperty("Tag", QStringLiteral("Descripcion"));
    caja_->installEventFilter(this);
    caja_->lineEdit()->installEventFilter(this);
    connect(caja_, &QComboBox::editTextChanged, this, &Lib_FrmCons3Tree::CajaCambiada);

    TreeV = new QTreeView(this);
    TreeV->setObjectName(QStringLiteral("TreeV"));
    TreeV->setModel(modelo_);
    TreeV->setHeaderHidden(true);
    TreeV->setAccessibleName(QStringLiteral("Resultado de la consulta"));
    TreeV->setUniformRowHeights(true);
    TreeV->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeV->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeV->installEventFilter(this);
    connect(TreeV, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex&) { CmdAceptar_Click(); });

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* botones = new QHBoxLayout(Frame1);
    botones->setContentsMargins(0, 0, 0, 0);
    auto boton = [&](const char* nombre, const QString& texto) {
        auto* b = new QPushButton(texto, Frame1);
        b->setObjectName(QLatin1String(nombre));
        b->setAutoDefault(false);
        b->installEventFilter(this);
        botones->addWidget(b);
        return b;
    };
    CmdAceptar = boton("CmdAceptar", QStringLiteral("&Aceptar"));
    CmdCancelar = boton("CmdCancelar", QStringLiteral("&Cancelar"));
    botones->addStretch(1);
    CmdNueva = boton("CmdNueva", QStringLiteral("&Nueva Busqueda"));
    connect(CmdAceptar, &QPushButton::clicked, this, &Lib_FrmCons3Tree::CmdAceptar_Click);
    connect(CmdCancelar, &QPushButton::clicked, this, &Lib_FrmCons3Tree::CmdCancelar_Click);
    connect(CmdNueva, &QPushButton::clicked, this, &Lib_FrmCons3Tree::CmdNueva_Click);

    // The search box above the tree and the buttons below it, each at the size its text needs.
    auto* busqueda = new QVBoxLayout(picFields);
    busqueda->setContentsMargins(0, 0, 0, 0);
    busqueda->addWidget(caja_);
    auto* columna = new QVBoxLayout(this);
    columna->addWidget(picFields);
    columna->addWidget(TreeV, 1);
    columna->addWidget(Frame1);
    resize(std::max(conv::Pixeles(4920), sizeHint().width()), conv::Pixeles(6100));
}

Lib_FrmCons3Tree::~Lib_FrmCons3Tree() = default;

void Lib_FrmCons3Tree::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!cargada_) Cargar();
    caja_->setFocus();
}

QString Lib_FrmCons3Tree::SentenciaFamilias() {
    return QStringLiteral("SELECT     TOP 100 PERCENT IdFamilia, Descripcion, ") +
           QStringLiteral("(SELECT     TOP 1 idfamilia FROM @Admin_v_ta_familias a  ") +
           QStringLiteral(
               " Where a.IdFamilia < b.IdFamilia And (Len(LTrim(RTrim(a.IdFamilia))) < Len(LTrim(RTrim(b.IdFamilia)))) ") +
           QStringLiteral(
               " ORDER BY idfamilia DESC) AS [relative] FROM dbo.V_TA_FAMILIAS b Where IdFamilia<>'' ORDER BY IdFamilia");
}

void Lib_FrmCons3Tree::Cargar() {
    cargada_ = true;
    pasos::Pasos(
        QStringLiteral("FORM_LOAD"), ReportarMostrarError,
        [&] {
            Valores = QStringList();
            modelo_->Comenzar();
            modelo_->Terminar();
            modelo_->SetCasillas(CheckBoxes);
        },
        [&] { Construir(); });
}

void Lib_FrmCons3Tree::Construir() {
    if (Sql.contains(QStringLiteral("v_ta_familias"), Qt::CaseInsensitive))
        ArmarTreeVFamilias();
    else
        ArmarTreeVAutomatico();
}

namespace {

// Reads the statement's rows (all at once) and adds one node per row, each failing row answered
// by the operator: retry it, skip it, or stop keeping the nodes built so far.
template <class Padre>
void Armar(ModeloArbol& m, const QString& rutina, QString sentencia, Padre padreDe) {
    auto& fc = FuncionesComunes::instancia();
    m.Comenzar();
    m.Agregar(-1, QStringLiteral("A"), QStringLiteral("Consulta..."));
    QVector<QVector<QVariant>> filas;
    driver::Recordset rs;
    const auto r = pasos::Pasos(
        rutina, ReportarMostrarError,
        [&] { gBaseDatos().AbrirRecordset(sentencia, rs, nullptr, driver::adOpenForwardOnly, driver::adLockReadOnly, -1, true); },
        [&] {
            if (rs.State() == driver::adStateClosed || (rs.BOF() && rs.EOF_())) return false;
            filas = rs.GetRows();
            return true;
        });
    if (rs.State() != driver::adStateClosed) gBaseDatos().CierraRecordset(rs);
    if (r == pasos::Resultado::Completo && filas.size() >= 2) {
        const int n = static_cast<int>(filas.first().size());
        for (int i = 0; i < n; ++i) {
            for (;;) {
                try {
                    const QString codigo = fc.TextoCampo(filas.at(0).at(i));
                    const QString clave = QStringLiteral("A") + codigo;
                    if (m.Buscar(clave) >= 0)
                        throw ErrorEjecucion(errnum::TreeKeyNotUnique, QStringLiteral("Key is not unique in collection"),
                                             kProyecto);
                    const int padre = padreDe(filas, i, clave);
                    m.Agregar(padre, clave, codigo + QStringLiteral(" - ") + fc.TextoCampo(filas.at(1).at(i)));
                    break;
                } catch (const ErrorEjecucion& e) {
                    const int respuesta = ReportarMostrarError(e, rutina);
                    if (respuesta == pasos::Reintentar) continue;
                    if (respuesta == pasos::Ignorar) break;
                    m.Terminar();
                    return;
                }
            }
        }
    }
    m.Terminar();
}

}  // namespace

void Lib_FrmCons3Tree::ArmarTreeVFamilias() {
    Sql = SentenciaFamilias();
    Armar(*modelo_, QStringLiteral("ArmarTreeVFamilias"), Sql,
          [this](const QVector<QVector<QVariant>>& filas, int i, const QString&) {
              if (filas.size() < 3 || filas.at(2).at(i).isNull()) return 0;
              const int p = modelo_->Buscar(QStringLiteral("A") + FuncionesComunes::instancia().TextoCampo(filas.at(2).at(i)));
              if (p < 0) throw ErrorEjecucion(errnum::TreeNodeNotFound, QStringLiteral("Element not found"), kProyecto);
              return p;
          });
    TreeV->expand(modelo_->IndiceDe(0));
}

void Lib_FrmCons3Tree::ArmarTreeVAutomatico() {
    Armar(*modelo_, QStringLiteral("ArmarTreeVAutomatico"), Sql,
          [this](const QVector<QVector<QVariant>>&, int, const QString& clave) { return modelo_->PadrePorPrefijo(clave); });
    TreeV->expand(modelo_->IndiceDe(0));
}

int Lib_FrmCons3Tree::NodoSeleccionado() const {
    const QModelIndexList s = TreeV->selectionModel()->selectedIndexes();
    return s.isEmpty() ? -1 : modelo_->NodoDe(s.first());
}

void Lib_FrmCons3Tree::Seleccionar(int nodo) {
    const QModelIndex i = modelo_->IndiceDe(nodo);
    if (!i.isValid()) return;
    TreeV->selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
    TreeV->scrollTo(i);
}

void Lib_FrmCons3Tree::CajaCambiada(const QString& texto) {
    const QString t = texto.trimmed();
    if (t.isEmpty()) return;
    // The root carries no code: the search runs over the nodes below it.
    for (int n = 1; n < modelo_->NodoCount(); ++n) {
        const QString& x = modelo_->NodoEn(n).texto;
        const int guion = x.indexOf(QLatin1Char('-'));
        const QString antes = (guion < 0 ? x : x.left(guion)).trimmed();
        const QString despues = guion < 0 ? QString() : x.mid(guion + 1).trimmed();
        if (antes.startsWith(t, Qt::CaseInsensitive) || despues.startsWith(t, Qt::CaseInsensitive)) {
            Seleccionar(n);
            return;
        }
    }
}

void Lib_FrmCons3Tree::BusquedaF5() {
    OrdenConsulta.clear();
    caja_->setProperty("Tag", QStringLiteral("Descripcion"));
    // As SQL words only, never inside the literal of an earlier search.
    const int orden = driver::dialecto::BuscarPalabras(Sql, {QStringLiteral("order"), QStringLiteral("by")});
    if (orden >= 0) {
        OrdenConsulta = Sql.mid(orden);
        SqlBase = Sql.left(orden);
    } else {
        SqlBase = Sql;
    }
    // Quotes typed in the box are removed: they must not end the literal.
    QString texto = caja_->currentText();
    texto.remove(QLatin1Char('\''));
    const QString union_ = driver::dialecto::BuscarPalabras(SqlBase, {QStringLiteral("where")}) >= 0 ? QStringLiteral(" and ")
                                                                                                     : QStringLiteral(" where ");
    const QString nueva = SqlBase + union_ + QStringLiteral("Descripcion") + QStringLiteral(" like '%") + texto +
                          QStringLiteral("%' ") + OrdenConsulta;
    caja_->setEditText(QString());
    SqlBase = nueva;
    Sql = nueva;
    Cargar();
}

bool Lib_FrmCons3Tree::eventFilter(QObject* objeto, QEvent* evento) {
    if (evento->type() == QEvent::FocusIn && (objeto == caja_ || objeto == caja_->lineEdit())) IndiceBusqueda = 0;
    if (evento->type() == QEvent::KeyPress) {
        const int codigo = teclas::CodigoVB(static_cast<QKeyEvent*>(evento));
        if (codigo == teclas::Escape) {
            CmdCancelar_Click();
            return true;
        }
        if (objeto == caja_ || objeto == caja_->lineEdit()) {
            switch (codigo) {
                case teclas::F5:
                    BusquedaF5();
                    return true;
                case teclas::Arriba:
                case teclas::Abajo:
                case teclas::RePag:
                case teclas::AvPag:
                    TreeV->setFocus();
                    return true;
                case teclas::Enter:
                    CmdAceptar_Click();
                    return true;
                default:
                    break;
            }
        } else if (objeto == TreeV && codigo == teclas::Enter) {
            CmdAceptar_Click();
            return true;
        }
    }
    return QDialog::eventFilter(objeto, evento);
}

void Lib_FrmCons3Tree::CmdAceptar_Click() {
    const QString campo = CampoDevuelto.trimmed().toUpper();
    auto& db = gBaseDatos();
    auto& fc = FuncionesComunes::instancia();
    // The row found by ExisteEnTabla in the first of the tables that has the code; "" when none.
    auto buscar = [&](const QStringList& tablas, const QString& codigo, QString& valor) {
        for (const QString& t : tablas) {
            driver::Recordset rs;
            if (db.ExisteEnTabla(t, codigo, campo, &rs)) {
                valor = fc.TextoCampo(rs.Fields(CampoDevuelto.trimmed()).Value);
                if (rs.State() != driver::adStateClosed) db.CierraRecordset(rs);
                return true;
            }
            if (rs.State() != driver::adStateClosed) db.CierraRecordset(rs);
        }
        return false;
    };
    pasos::Pasos(QStringLiteral("CmdAceptar_Click"), ReportarMostrarError, [&] {
        if (CheckBoxes) {
            Valores = QStringList();
            for (int n = 0; n < modelo_->NodoCount(); ++n) {
                const auto& nodo = modelo_->NodoEn(n);
                if (nodo.marca != Qt::Checked) continue;
                const QString codigo = nodo.clave.mid(1);
                if (campo == QLatin1String("IDFAMILIA") || campo == QLatin1String("CODIGO")) {
                    if (!codigo.trimmed().isEmpty()) Valores->append(codigo.trimmed());
                } else if (campo == QLatin1String("IDPOSICION")) {
                    QString v;
                    if (buscar({QStringLiteral("MA_POSICIONES")}, codigo, v)) Valores->append(v);
                }
            }
            return;
        }
        const int n = NodoSeleccionado();
        if (n < 0) return;
        const QString codigo = modelo_->NodoEn(n).clave.mid(1);
        QStringList tablas;
        if (campo == QLatin1String("IDFAMILIA"))
            tablas = {QStringLiteral("@admin_V_TA_FAMILIAS")};
        else if (campo == QLatin1String("IDPOSICION"))
            tablas = {QStringLiteral("MA_POSICIONES")};
        else if (campo == QLatin1String("CODIGO"))
            tablas = {QStringLiteral("TA_CCOSTO"), QStringLiteral("MA_CUENTAS")};
        else
            return;
        QString v;
        ValorDevuelto = buscar(tablas, codigo, v) ? v : QString();
    });
    hide();
}

void Lib_FrmCons3Tree::CmdCancelar_Click() {
    ValorDevuelto.clear();
    Valores.reset();
    hide();
}

void Lib_FrmCons3Tree::reject() {
    CmdCancelar_Click();
}

void Lib_FrmCons3Tree::CmdNueva_Click() {
    Construir();
}
