#include "asistente/FrmAsistente.h"

#include "asistente/LectorPlanilla.h"
#include "asistente/Rangos.h"
#include "core/Dll_Display.h"
#include "core/Inicio.h"
#include "core/Login.h"
#include "db/DB_Dll.h"
#include "layout/Def_QConsulta.h"
#include "layout/FrmMa_Posic.h"
#include "layout/QDL_RTLocator.h"
#include "layout/SelectorDeposito.h"
#include "lookup/Lib_ClsCons3.h"
#include "services/FuncionesComunes.h"
#include "services/Pasos.h"
#include "services/Plataforma.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QSaveFile>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

using namespace asistente;

namespace {

const QString kTitulo = QStringLiteral("Asistente de Layout");
const QString kAviso = QStringLiteral("Aviso al operador...");
const QString kRaiz = QStringLiteral("Definición de LayOut");

FuncionesComunes& FC() {
    return FuncionesComunes::instancia();
}

QString Miles(qint64 n) {
    return QLocale(QLocale::Spanish).toString(n);
}

// A long job shows its progress in the banner at most every tenth of a second: painting the banner
// and handling the events for every statement of a job took longer than the statements did.
class Espaciado {
public:
    // `enseguida`: the first call is true at once; otherwise it waits the interval too (for a
    // banner that was just painted).
    explicit Espaciado(bool enseguida = true) {
        if (!enseguida) reloj_.start();
    }
    // True when the interval has passed since it was last true.
    bool Toca() {
        if (reloj_.isValid() && reloj_.elapsed() < kIntervaloMs) return false;
        reloj_.start();
        return true;
    }

private:
    static constexpr qint64 kIntervaloMs = 100;
    QElapsedTimer reloj_;
};

// A count with its noun, singular for one: "1 titulo", "2.000 titulos".
QString Cuenta(qint64 n, const char* singular, const char* plural) {
    return Miles(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? singular : plural);
}

// The reservation kinds of the selector, with their column and lookup table.
struct TipoReserva {
    const char* texto;
    int columna;
    const char* tabla;
    const char* clave;
};
const TipoReserva kTiposReserva[] = {
    {"Sin reserva", -1, "", ""},
    {"Rubro", IdRubro, "V_ta_rubros", "IdRubro"},
    {"Marca", IdTipo, "V_ta_tipoarticulo", "IdTipo"},
    {"Familia", IdFamilia, "V_ta_familias", "IdFamilia"},
    {"Articulo", IdArticulo, "V_ma_articulos", "IdArticulo"},
};

// Marks the window busy while a job works, whatever way the work ends.
struct Ocupado {
    bool& o;
    explicit Ocupado(bool& x) : o(x) { o = true; }
    ~Ocupado() { o = false; }
};

}  // namespace

// ------------------------------------------------------------------------------------- models

void ModeloVistaPrevia::Marcar(int nodo, Estado estado) {
    if (nodo < 0) return;
    if (static_cast<size_t>(nodo) >= marcas_.size()) marcas_.resize(static_cast<size_t>(nodo) + 1, Estado::SinCambios);
    marcas_[static_cast<size_t>(nodo)] = estado;
}

Estado ModeloVistaPrevia::Marca(const QModelIndex& indice) const {
    const auto id = static_cast<size_t>(indice.internalId());
    return indice.isValid() && indice.model() == this && id < marcas_.size() ? marcas_[id] : Estado::SinCambios;
}

QVariant ModeloVistaPrevia::data(const QModelIndex& index, int role) const {
    const Estado e = Marca(index);
    if (e == Estado::SinCambios || (role != Qt::DisplayRole && role != Qt::FontRole && role != Qt::ForegroundRole))
        return ModeloArbolLayout::data(index, role);
    switch (role) {
        case Qt::DisplayRole:
            return ModeloArbolLayout::data(index, role).toString() +
                   (e == Estado::Nueva ? QStringLiteral("   (nueva)") : QStringLiteral("   (cambia)"));
        case Qt::FontRole: {
            QFont f;
            if (e == Estado::Nueva)
                f.setBold(true);
            else
                f.setItalic(true);
            return f;
        }
        default:
            return QApplication::palette().color(e == Estado::Nueva ? QPalette::Link : QPalette::LinkVisited);
    }
}

void ModeloRechazos::Cargar(const PlanAsistente* plan) {
    beginResetModel();
    plan_ = plan;
    filas_.clear();
    if (plan)
        for (int i = 0; i < plan->Entradas().size(); ++i)
            if (plan->Entradas()[i].estado == Estado::Rechazada) filas_ << i;
    endResetModel();
}

int ModeloRechazos::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(filas_.size());
}

int ModeloRechazos::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant ModeloRechazos::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.model() != this || !plan_ || index.row() >= filas_.size()) return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    const Entrada& e = plan_->Entradas()[filas_[index.row()]];
    switch (index.column()) {
        case 0:
            return e.linea > 0 ? QVariant(e.linea) : QVariant(QString());
        case 1:
            return e.codigo.left(60);
        default:
            return e.motivo;
    }
}

QVariant ModeloRechazos::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case 0:
            return QStringLiteral("Linea");
        case 1:
            return QStringLiteral("Codigo");
        case 2:
            return QStringLiteral("Motivo del rechazo");
        default:
            return {};
    }
}

ProgresoEscritura ProgresoEnCartel() {
    ProgresoEscritura p;
    p.inicio = [](qint64 total) {
        gDisplay().CartelInicio(kTitulo, true);
        bool cancelado = false;
        gDisplay().CartelMostrar(cancelado, QStringLiteral("Grabando posiciones en MA_POSICIONES"),
                                 QStringLiteral("0 de %1").arg(Miles(total)), QString());
    };
    p.avance = [espaciado = Espaciado()](qint64 hechas, qint64 total) mutable {
        // The last one always: a cancel pressed since the banner was shown is seen before the commit.
        if (hechas < total && !espaciado.Toca()) return true;
        bool cancelado = false;
        gDisplay().CartelMostrar(cancelado, QVariant(), QStringLiteral("%1 de %2").arg(Miles(hechas), Miles(total)));
        return !cancelado;
    };
    p.fin = [] { gDisplay().CartelCerrar(); };
    return p;
}

// ------------------------------------------------------------------------------------- window

FrmAsistente::FrmAsistente(bool iniciarAplicacion, QWidget* padre) : QWidget(padre) {
    setObjectName(QStringLiteral("FrmAsistente"));
    ConstruirVentana();
    Form_Load(iniciarAplicacion);
}

FrmAsistente::~FrmAsistente() = default;

void FrmAsistente::ConstruirVentana() {
    setWindowTitle(kTitulo);
    resize(980, 680);
    setMinimumSize(760, 620);

    CmbDeposito = NuevoSelectorDeposito(this, 32);
    auto* lblDeposito = new QLabel(QStringLiteral("&Deposito"), this);
    lblDeposito->setBuddy(CmbDeposito);

    // ---- by ranges
    auto* rangos = new QWidget;
    auto* grillaRangos = new QGridLayout;
    SpnNiveles = new QSpinBox;
    SpnNiveles->setObjectName(QStringLiteral("SpnNiveles"));
    auto* lblNiveles = new QLabel(QStringLiteral("&Niveles a crear"));
    lblNiveles->setBuddy(SpnNiveles);
    auto* filaNiveles = new QHBoxLayout;
    filaNiveles->addWidget(lblNiveles);
    filaNiveles->addWidget(SpnNiveles);
    filaNiveles->addStretch(1);
    const char* const cabeceras[] = {"Nivel", "Desde", "Hasta", "Paso", "Codigos", "Titulo", "Descripcion"};
    for (int c = 0; c < 7; ++c) {
        auto* l = new QLabel(QString::fromLatin1(cabeceras[c]));
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        grillaRangos->addWidget(l, 0, c);
    }
    for (int k = 1; k <= 4; ++k) {
        FilaNivel f;
        f.nombre = new QLabel;
        f.desde = new QLineEdit;
        f.desde->setObjectName(QStringLiteral("TxtDesde_%1").arg(k));
        f.hasta = new QLineEdit;
        f.hasta->setObjectName(QStringLiteral("TxtHasta_%1").arg(k));
        f.paso = new QSpinBox;
        f.paso->setObjectName(QStringLiteral("SpnPaso_%1").arg(k));
        f.paso->setRange(1, 9999);
        f.tipo = new QComboBox;
        f.tipo->setObjectName(QStringLiteral("CmbTipo_%1").arg(k));
        f.tipo->addItems({QStringLiteral("Números"), QStringLiteral("Letras")});
        f.titulo = new QCheckBox(QStringLiteral("Titulo"));
        f.titulo->setObjectName(QStringLiteral("ChkTitulo_%1").arg(k));
        f.titulo->setToolTip(QStringLiteral("Es Titulo, No puede Recibir movimientos"));
        f.plantilla = new QLineEdit;
        f.plantilla->setObjectName(QStringLiteral("TxtPlantilla_%1").arg(k));
        f.plantilla->setToolTip(
            QStringLiteral("{titulo}: titulo del nivel; {codigo}: codigo del nivel; {numero}: el codigo sin "
                           "ceros a la izquierda; {posicion}: el codigo completo"));
        for (QWidget* w : {static_cast<QWidget*>(f.desde), static_cast<QWidget*>(f.hasta)}) w->setMaximumWidth(90);
        grillaRangos->addWidget(f.nombre, k, 0);
        grillaRangos->addWidget(f.desde, k, 1);
        grillaRangos->addWidget(f.hasta, k, 2);
        grillaRangos->addWidget(f.paso, k, 3);
        grillaRangos->addWidget(f.tipo, k, 4);
        grillaRangos->addWidget(f.titulo, k, 5);
        grillaRangos->addWidget(f.plantilla, k, 6);
        Niveles << f;
    }
    grillaRangos->setColumnStretch(6, 1);

    auto* valores = new QGroupBox(QStringLiteral("Valores de las posiciones que reciben movimientos"));
    auto* grillaValores = new QGridLayout(valores);
    auto etiqueta = [](const QString& texto, QWidget* campo) {
        auto* l = new QLabel(texto);
        l->setBuddy(campo);
        return l;
    };
    TxtCapacidad = new QLineEdit;
    TxtCapacidad->setObjectName(QStringLiteral("TxtCapacidad"));
    TxtCapacidad->setToolTip(QStringLiteral("Vacia o 0: sin limite (999999)"));
    TxtUnidad = new QLineEdit;
    TxtUnidad->setObjectName(QStringLiteral("TxtUnidad"));
    TxtUnidad->setContextMenuPolicy(Qt::NoContextMenu);
    TxtUnidad->setToolTip(QStringLiteral("Clic derecho o F3: consultar V_ta_unidad"));
    LblUnidad = new QLabel(QStringLiteral("..."));
    LblUnidad->setObjectName(QStringLiteral("LblUnidad"));
    TxtOrdenIngreso = new QLineEdit;
    TxtOrdenIngreso->setObjectName(QStringLiteral("TxtOrdenIngreso"));
    ChkHabilitado = new QCheckBox(QStringLiteral("&Habilitado"));
    ChkHabilitado->setObjectName(QStringLiteral("ChkHabilitado"));
    ChkHabilitado->setChecked(true);
    ChkReservado = new QCheckBox(QStringLiteral("Re&servado"));
    ChkReservado->setObjectName(QStringLiteral("ChkReservado"));
    ChkCompleta = new QCheckBox(QStringLiteral("Co&mpleta"));
    ChkCompleta->setObjectName(QStringLiteral("ChkCompleta"));
    ChkPicking = new QCheckBox(QStringLiteral("Pic&king"));
    ChkPicking->setObjectName(QStringLiteral("ChkPicking"));
    CmbReserva = new QComboBox;
    CmbReserva->setObjectName(QStringLiteral("CmbReserva"));
    for (const TipoReserva& t : kTiposReserva) CmbReserva->addItem(QString::fromLatin1(t.texto));
    TxtReserva = new QLineEdit;
    TxtReserva->setObjectName(QStringLiteral("TxtReserva"));
    TxtReserva->setContextMenuPolicy(Qt::NoContextMenu);
    TxtReserva->setToolTip(QStringLiteral("Clic derecho o F3: consultar los codigos de la reserva elegida"));
    TxtReserva->setEnabled(false);
    LblReserva = new QLabel(QStringLiteral("..."));
    LblReserva->setObjectName(QStringLiteral("LblReserva"));
    for (QLabel* l : {LblUnidad, LblReserva}) {
        l->setMinimumWidth(180);
        l->setFrameShape(QFrame::StyledPanel);
        l->setFrameShadow(QFrame::Sunken);
    }
    grillaValores->addWidget(etiqueta(QStringLiteral("Capac&idad"), TxtCapacidad), 0, 0);
    grillaValores->addWidget(TxtCapacidad, 0, 1);
    grillaValores->addWidget(etiqueta(QStringLiteral("&Unidad Stock"), TxtUnidad), 1, 0);
    grillaValores->addWidget(TxtUnidad, 1, 1);
    grillaValores->addWidget(LblUnidad, 1, 2);
    grillaValores->addWidget(etiqueta(QStringLiteral("&Orden Ingreso"), TxtOrdenIngreso), 2, 0);
    grillaValores->addWidget(TxtOrdenIngreso, 2, 1);
    grillaValores->addWidget(etiqueta(QStringLiteral("Reserv&a"), CmbReserva), 3, 0);
    auto* filaReserva = new QHBoxLayout;
    filaReserva->addWidget(CmbReserva);
    filaReserva->addWidget(TxtReserva);
    grillaValores->addLayout(filaReserva, 3, 1);
    grillaValores->addWidget(LblReserva, 3, 2);
    auto* marcas = new QHBoxLayout;
    for (QCheckBox* c : {ChkHabilitado, ChkReservado, ChkCompleta, ChkPicking}) marcas->addWidget(c);
    marcas->addStretch(1);
    grillaValores->addLayout(marcas, 4, 0, 1, 3);
    grillaValores->setColumnStretch(2, 1);

    auto* cajaRangos = new QVBoxLayout(rangos);
    cajaRangos->addLayout(filaNiveles);
    cajaRangos->addLayout(grillaRangos);
    cajaRangos->addWidget(valores);
    cajaRangos->addStretch(1);

    // ---- from a workbook
    auto* planilla = new QWidget;
    TxtArchivo = new QLineEdit;
    TxtArchivo->setObjectName(QStringLiteral("TxtArchivo"));
    CmdExaminar = new QPushButton(QStringLiteral("E&xaminar..."));
    CmdExaminar->setObjectName(QStringLiteral("CmdExaminar"));
    auto* filaArchivo = new QHBoxLayout;
    filaArchivo->addWidget(etiqueta(QStringLiteral("Planil&la o CSV"), TxtArchivo));
    filaArchivo->addWidget(TxtArchivo, 1);
    filaArchivo->addWidget(CmdExaminar);
    QStringList columnas;
    for (int c = 0; c < kColumnas; ++c) columnas << NombreColumna(c);
    auto* ayuda = new QLabel(
        QStringLiteral("Un libro .xlsx como el que escribe \"Planilla\" en Definicion de Layout, o un archivo CSV (UTF-8 o "
                       "Windows-1252, separado por \",\" o \";\"). La primera fila nombra las columnas: %1. Solo IdPosicion es "
                       "obligatoria; las filas de otro deposito se rechazan. Un Nivel Superior que falta se agrega como titulo.")
            .arg(columnas.join(QStringLiteral(", "))));
    ayuda->setWordWrap(true);
    auto* cajaPlanilla = new QVBoxLayout(planilla);
    cajaPlanilla->addLayout(filaArchivo);
    cajaPlanilla->addWidget(ayuda);
    cajaPlanilla->addStretch(1);

    Paginas = new QTabWidget(this);
    Paginas->setObjectName(QStringLiteral("Paginas"));
    Paginas->addTab(rangos, QStringLiteral("Por ran&gos"));
    Paginas->addTab(planilla, QStringLiteral("Desde &planilla"));

    ChkActualizar = new QCheckBox(QStringLiteral("Actualizar las posiciones &existentes"), this);
    ChkActualizar->setObjectName(QStringLiteral("ChkActualizar"));
    CmdVistaPrevia = new QPushButton(QStringLiteral("&Vista previa"), this);
    CmdVistaPrevia->setObjectName(QStringLiteral("CmdVistaPrevia"));
    CmdCrear = new QPushButton(QStringLiteral("&Crear"), this);
    CmdCrear->setObjectName(QStringLiteral("CmdCrear"));
    CmdCrear->setEnabled(false);
    CmdGuardarRechazos = new QPushButton(QStringLiteral("Guardar recha&zos..."), this);
    CmdGuardarRechazos->setObjectName(QStringLiteral("CmdGuardarRechazos"));
    CmdGuardarRechazos->setEnabled(false);
    CmdCerrar = new QPushButton(QStringLiteral("Ce&rrar"), this);
    CmdCerrar->setObjectName(QStringLiteral("CmdCerrar"));
    CmdCerrar->setToolTip(QStringLiteral("Esc"));

    LblResumen = new QLabel(QStringLiteral("Complete los rangos o elija una planilla y pulse Vista previa."), this);
    LblResumen->setObjectName(QStringLiteral("LblResumen"));
    LblResumen->setWordWrap(true);
    TreeView1 = new QTreeView(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setAccessibleName(QStringLiteral("Vista previa del layout"));
    TreeView1->setUniformRowHeights(true);
    TreeView1->setHeaderHidden(true);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setIconSize(QSize(16, 16));
    ModeloArbol = new ModeloVistaPrevia(this);
    ModeloArbol->SetImagenes(&ImageList1);
    TreeView1->setModel(ModeloArbol);
    GrdRechazos = new QTableView(this);
    GrdRechazos->setObjectName(QStringLiteral("GrdRechazos"));
    Rechazos = new ModeloRechazos(this);
    GrdRechazos->setModel(Rechazos);
    GrdRechazos->setSelectionBehavior(QAbstractItemView::SelectRows);
    GrdRechazos->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GrdRechazos->verticalHeader()->hide();
    GrdRechazos->verticalHeader()->setDefaultSectionSize(GrdRechazos->fontMetrics().height() + 6);
    GrdRechazos->horizontalHeader()->setStretchLastSection(true);
    GrdRechazos->setWordWrap(false);
    auto* divisor = new QSplitter(Qt::Horizontal, this);
    divisor->addWidget(TreeView1);
    divisor->addWidget(GrdRechazos);
    divisor->setStretchFactor(0, 1);
    divisor->setStretchFactor(1, 1);
    divisor->setChildrenCollapsible(false);

    auto* cabecera = new QHBoxLayout;
    cabecera->addWidget(lblDeposito);
    cabecera->addWidget(CmbDeposito, 1);
    cabecera->addStretch(1);
    auto* botones = new QHBoxLayout;
    botones->addWidget(ChkActualizar);
    botones->addStretch(1);
    for (QPushButton* b : {CmdVistaPrevia, CmdCrear, CmdGuardarRechazos, CmdCerrar}) botones->addWidget(b);
    auto* raiz = new QVBoxLayout(this);
    raiz->addLayout(cabecera);
    raiz->addWidget(Paginas);
    raiz->addLayout(botones);
    raiz->addWidget(LblResumen);
    raiz->addWidget(divisor, 1);

    // The tab order follows the window from top to bottom.
    QList<QWidget*> orden{CmbDeposito, Paginas, SpnNiveles};
    for (const FilaNivel& f : std::as_const(Niveles)) orden << f.desde << f.hasta << f.paso << f.tipo << f.titulo << f.plantilla;
    orden << TxtCapacidad << TxtUnidad << TxtOrdenIngreso << CmbReserva << TxtReserva << ChkHabilitado << ChkReservado
          << ChkCompleta << ChkPicking << TxtArchivo << CmdExaminar << ChkActualizar << CmdVistaPrevia << CmdCrear
          << CmdGuardarRechazos << CmdCerrar << TreeView1 << GrdRechazos;
    for (int i = 1; i < orden.size(); ++i) setTabOrder(orden[i - 1], orden[i]);

    connect(SpnNiveles, &QSpinBox::valueChanged, this, [this](int n) { NivelesACrear(n); });
    connect(CmbReserva, &QComboBox::currentIndexChanged, this, [this](int i) {
        TxtReserva->setEnabled(i > 0);
        TxtReserva->clear();
        LblReserva->setText(QStringLiteral("..."));
    });
    connect(CmdExaminar, &QPushButton::clicked, this, [this] { Examinar(); });
    connect(CmdVistaPrevia, &QPushButton::clicked, this, [this] { VistaPrevia(); });
    connect(CmdCrear, &QPushButton::clicked, this, [this] { Crear(); });
    connect(CmdGuardarRechazos, &QPushButton::clicked, this, [this] { GuardarRechazos(); });
    connect(CmdCerrar, &QPushButton::clicked, this, [this] { close(); });
    connect(TxtUnidad, &QLineEdit::editingFinished, this,
            [this] { VerDescripcion(TxtUnidad, LblUnidad, QStringLiteral("V_ta_unidad"), QStringLiteral("IdUnidad")); });
    connect(TxtReserva, &QLineEdit::editingFinished, this, [this] {
        const TipoReserva& t = kTiposReserva[std::max(0, CmbReserva->currentIndex())];
        VerDescripcion(TxtReserva, LblReserva, QString::fromLatin1(t.tabla), QString::fromLatin1(t.clave));
    });
    // Whatever the operator changes, the preview shown no longer tells what "Crear" would do.
    for (QLineEdit* e : findChildren<QLineEdit*>()) connect(e, &QLineEdit::textChanged, this, [this] { Invalidar(); });
    for (QSpinBox* e : findChildren<QSpinBox*>()) connect(e, &QSpinBox::valueChanged, this, [this] { Invalidar(); });
    for (QComboBox* e : findChildren<QComboBox*>()) connect(e, &QComboBox::currentIndexChanged, this, [this] { Invalidar(); });
    for (QCheckBox* e : findChildren<QCheckBox*>()) connect(e, &QCheckBox::toggled, this, [this] { Invalidar(); });
    connect(Paginas, &QTabWidget::currentChanged, this, [this] { Invalidar(); });
    for (QLineEdit* e : {TxtUnidad, TxtReserva}) e->installEventFilter(this);
    installEventFilter(this);
}

// ------------------------------------------------------------------------------------- start-up

void FrmAsistente::Form_Load(bool iniciarAplicacion) {
    const auto reportero = pasos::AlArrancar([](const ErrorEjecucion& e, const QString& rutina) { FC().ErrorRutina(e, rutina); });
    pasos::Pasos(
        QStringLiteral("Form_Load"), reportero,
        [&] {
            if (!iniciarAplicacion) return;
            QString cadena;
            IniciarAplicacion(false, QString(), cadena, 3);
        },
        [&] { AplicaEstiloVentana(this); }, [&] { FC().PrepararVentana(this); },
        [&] {
            ImageList1.Limpiar();
            for (const char* n : {"CALLE", "POSICION", "NIVEL", "NAVE"})
                ImageList1.Agregar(QString::fromLatin1(n), ImagenesLayout::DibujarIcono(QString::fromLatin1(n)));
        },
        [&] { ActualizarNivelesLayout(); }, [&] { ArmarNiveles(); }, [&] { CargarDepositos(CmbDeposito); },
        [&] {
            if (CmbDeposito->count() > 0) {
                CmbDeposito->setCurrentIndex(0);
                return;
            }
            for (QPushButton* b : {CmdVistaPrevia, CmdCrear}) b->setEnabled(false);
            plataforma().MsgBox(FrmMa_Posic::MensajeSinDepositos(), vb::Exclamation, kAviso);
        },
        [&] { FC().Restablecer(0); });
    setWindowTitle(kTitulo);
    if (!Niveles.isEmpty() && Niveles[0].desde->isEnabled()) Niveles[0].desde->setFocus(Qt::OtherFocusReason);
}

QString FrmAsistente::Deposito() const {
    return DepositoElegido(CmbDeposito);
}

void FrmAsistente::ArmarNiveles() {
    const NivelesLayout& n = gNiveles();
    int configurados = 0;
    for (int k = 1; k <= 4 && n.LongitudNivel[k] > 0; ++k) configurados = k;
    for (int k = 1; k <= 4; ++k) {
        FilaNivel& f = Niveles[k - 1];
        const int largo = n.LongitudNivel[k];
        const bool hay = k <= configurados;
        for (QWidget* w : {static_cast<QWidget*>(f.nombre), static_cast<QWidget*>(f.desde), static_cast<QWidget*>(f.hasta),
                           static_cast<QWidget*>(f.paso), static_cast<QWidget*>(f.tipo), static_cast<QWidget*>(f.titulo),
                           static_cast<QWidget*>(f.plantilla)})
            w->setVisible(hay);
        if (!hay) continue;
        const QString titulo =
            n.TituloNivel[k].trimmed().isEmpty() ? QStringLiteral("Nivel %1").arg(k) : n.TituloNivel[k].trimmed();
        f.nombre->setText(QStringLiteral("%1 (%2)").arg(titulo).arg(largo));
        f.desde->setMaxLength(largo);
        f.hasta->setMaxLength(largo);
        f.desde->setText(QString(largo - 1, QLatin1Char('0')) + QLatin1Char('1'));
        f.desde->setToolTip(QStringLiteral("%1 caracter(es)").arg(largo));
        f.hasta->setToolTip(f.desde->toolTip());
        // Letters only make sense for one or two characters (A..Z, AA..ZZ).
        f.tipo->setEnabled(largo <= 2);
        f.tipo->setCurrentIndex(0);
        f.plantilla->setText(PlantillaPorDefecto(k, configurados));
    }
    SpnNiveles->setRange(configurados > 0 ? 1 : 0, configurados);
    SpnNiveles->setValue(configurados);
    NivelesACrear(configurados);
}

void FrmAsistente::NivelesACrear(int cantidad) {
    for (int k = 1; k <= Niveles.size(); ++k) {
        FilaNivel& f = Niveles[k - 1];
        const bool usado = k <= cantidad;
        for (QWidget* w : {static_cast<QWidget*>(f.desde), static_cast<QWidget*>(f.hasta), static_cast<QWidget*>(f.paso),
                           static_cast<QWidget*>(f.titulo), static_cast<QWidget*>(f.plantilla)})
            w->setEnabled(usado);
        f.tipo->setEnabled(usado && gNiveles().LongitudNivel[k] <= 2);
        // Every level but the last groups positions, as the suite's layouts do.
        f.titulo->setChecked(k < cantidad);
        f.plantilla->setText(PlantillaPorDefecto(k, cantidad));
    }
}

// ------------------------------------------------------------------------------------- preview

void FrmAsistente::Avisar(const QString& texto, int estilo, QWidget* foco) {
    plataforma().MsgBox(texto, estilo, kAviso);
    if (foco) {
        foco->setFocus(Qt::OtherFocusReason);
        if (auto* e = qobject_cast<QLineEdit*>(foco)) e->selectAll();
    }
}

void FrmAsistente::SoltarPlan() {
    if (plan_) libre_ = std::move(plan_);
}

void FrmAsistente::Invalidar() {
    if (ocupado_ || !plan_) return;
    SoltarPlan();
    ModeloArbol->LimpiarMarcas();
    ModeloArbol->Limpiar();
    Rechazos->Cargar(nullptr);
    CmdCrear->setEnabled(false);
    CmdGuardarRechazos->setEnabled(false);
    LblResumen->setText(QStringLiteral("Los datos cambiaron: pulse Vista previa para ver lo que se va a crear."));
}

QString FrmAsistente::TablaReserva() const {
    return QString::fromLatin1(kTiposReserva[std::max(0, CmbReserva->currentIndex())].tabla);
}

void FrmAsistente::VerDescripcion(QLineEdit* campo, QLabel* etiqueta, const QString& tabla, const QString& clave) {
    const QString codigo = campo->text().trimmed();
    if (codigo.isEmpty() || tabla.isEmpty()) {
        etiqueta->setText(QStringLiteral("..."));
        return;
    }
    const QString d = codigo.contains(QLatin1Char('\''))
                          ? QString()
                          : FC().TextoCampo(gBaseDatos().DatosTabla(tabla, codigo, QStringLiteral("Descripcion"), clave, 8,
                                                                    QString(), true, false));
    etiqueta->setText(d.isEmpty() ? QStringLiteral("Codigo Inexistente, Tabla ") + tabla : d);
}

bool FrmAsistente::ValoresValidos() {
    // The values the storable positions get, checked once with the editor's rules before any
    // position is made with them.
    FilaPosicion f;
    f.Poner(Capacidad, TxtCapacidad->text());
    f.Poner(IdUnidad, TxtUnidad->text());
    f.Poner(OrdenIngreso, TxtOrdenIngreso->text());
    const TipoReserva& t = kTiposReserva[std::max(0, CmbReserva->currentIndex())];
    if (t.columna >= 0) {
        if (TxtReserva->text().trimmed().isEmpty()) {
            Avisar(
                QStringLiteral(" Complete el codigo de %1 de la reserva, o elija Sin reserva.").arg(QString::fromLatin1(t.texto)),
                vb::Critical, TxtReserva);
            return false;
        }
        f.Poner(t.columna, TxtReserva->text());
    }
    const QString motivo = plan_->RevisarDetalle(f);
    if (motivo.isEmpty()) return true;
    QWidget* foco = TxtCapacidad;
    if (motivo.contains(QLatin1String("Unidad"))) foco = TxtUnidad;
    if (motivo.contains(QLatin1String("Numerico")) || motivo.contains(QLatin1String("Orden"))) foco = TxtOrdenIngreso;
    if (t.columna >= 0 && motivo.contains(NombreColumna(t.columna))) foco = TxtReserva;
    Avisar(QLatin1Char(' ') + motivo, vb::Critical, foco);
    return false;
}

void FrmAsistente::Reactivar() {
    // The banner took the desktop's activation with it when it closed: the window gets it back,
    // with the focus where the operator left it.
    plataforma().ProcesarEventos();
    if (isVisible() && !isActiveWindow()) activateWindow();
}

bool FrmAsistente::VistaPrevia() {
    if (ocupado_) return false;
    struct AlTerminar {
        FrmAsistente* w;
        ~AlTerminar() { w->Reactivar(); }
    } alTerminar{this};
    if (CmbDeposito->count() == 0) {
        Avisar(FrmMa_Posic::MensajeSinDepositos(), vb::Exclamation);
        return false;
    }
    const Ocupado ocupado(ocupado_);
    SoltarPlan();
    ModeloArbol->LimpiarMarcas();
    ModeloArbol->Limpiar();
    Rechazos->Cargar(nullptr);
    CmdCrear->setEnabled(false);
    CmdGuardarRechazos->setEnabled(false);

    ActualizarNivelesLayout();
    auto plan = libre_ ? std::move(libre_) : std::make_unique<PlanAsistente>();
    QString error;
    if (!plan->Preparar(Deposito(), &error)) {
        Avisar(error, vb::Critical);
        return false;
    }
    plan_ = std::move(plan);
    bool cancelado = false;
    if (Paginas->currentIndex() == 0) {
        if (!ValoresValidos()) {
            SoltarPlan();
            return false;
        }
        QVector<RangoNivel> rangos;
        for (int k = 1; k <= SpnNiveles->value(); ++k) {
            const FilaNivel& f = Niveles[k - 1];
            rangos << RangoNivel{f.desde->text(),       f.hasta->text(),    f.paso->value(), f.tipo->currentIndex() == 1,
                                 f.titulo->isChecked(), f.plantilla->text()};
        }
        ValoresImputables v;
        v.capacidad = TxtCapacidad->text();
        v.unidad = TxtUnidad->text().trimmed();
        v.ordenIngreso = TxtOrdenIngreso->text();
        v.habilitado = ChkHabilitado->isChecked();
        v.reservado = ChkReservado->isChecked();
        v.completa = ChkCompleta->isChecked();
        v.picking = ChkPicking->isChecked();
        v.columnaReserva = kTiposReserva[std::max(0, CmbReserva->currentIndex())].columna;
        v.reserva = TxtReserva->text().trimmed();
        // Each position is checked as it is made: 100,000 of them are never held twice.
        qint64 hechas = 0;
        {
            const VueltaDelFoco vuelta;
            std::function<bool(qint64)> avance;  // set with the banner, once the ranges passed
            error = RecorrerRangos(
                gNiveles(), rangos, v, kMaximoPosiciones, plan_->TamanoColumna(Descripcion),
                [&](qint64 total) {
                    avance = MostrarRevision(total);
                    plan_->Comenzar(ChkActualizar->isChecked(), total);
                },
                [&](FilaPosicion& f) {
                    plan_->Agregar(f);
                    if (++hechas % kFilasPorAvance == 0 && !avance(hechas)) cancelado = true;
                    return !cancelado;
                });
            if (avance) gDisplay().CartelCerrar();
        }
        if (!error.isEmpty()) {
            SoltarPlan();
            Avisar(error, vb::Exclamation, Niveles[0].desde);
            return false;
        }
        if (!cancelado) plan_->Terminar();
        return Revisado(!cancelado);
    }

    // From a workbook or a CSV file: read whole, then checked.
    const QString ruta = TxtArchivo->text().trimmed();
    if (ruta.isEmpty()) {
        SoltarPlan();
        Avisar(QStringLiteral(" Elija la planilla o el archivo CSV con las posiciones."), vb::Exclamation, TxtArchivo);
        return false;
    }
    TablaLeida t;
    {
        // The banner comes and goes: the focus comes back where it was.
        const VueltaDelFoco vuelta;
        gDisplay().CartelInicio(kTitulo, true);
        gDisplay().CartelMostrar(cancelado, QStringLiteral("Leyendo %1").arg(QFileInfo(ruta).fileName()), QString(), QString());
        t = LeerPlanilla(ruta, kMaximoPosiciones, [espaciado = Espaciado()](qint64 n) mutable {
            if (!espaciado.Toca()) return true;
            bool c = false;
            gDisplay().CartelMostrar(c, QVariant(), QStringLiteral("%1 filas leidas").arg(Miles(n)));
            return !c;
        });
        gDisplay().CartelCerrar();
    }
    if (!t.error.isEmpty()) {
        SoltarPlan();
        if (t.error != TextoLecturaCancelada()) Avisar(t.error, vb::Critical, TxtArchivo);
        return false;
    }

    bool completo = false;
    {
        const VueltaDelFoco vuelta;
        completo = plan_->Armar(t.filas, ChkActualizar->isChecked(), MostrarRevision(t.filas.size()));
        gDisplay().CartelCerrar();
    }
    return Revisado(completo);
}

std::function<bool(qint64)> FrmAsistente::MostrarRevision(qint64 total) {
    gDisplay().CartelInicio(kTitulo, true);
    bool cancelado = false;
    gDisplay().CartelMostrar(cancelado, QStringLiteral("Revisando %1 posiciones").arg(Miles(total)), QString(), QString());
    // The banner was just painted: a job shorter than the interval paints it no more, and a
    // cancel pressed meanwhile is seen at once.
    return [total, espaciado = Espaciado(false)](qint64 n) mutable {
        if (gDisplay().Cancelado()) return false;
        if (!espaciado.Toca()) return true;
        bool c = false;
        gDisplay().CartelMostrar(c, QVariant(), QStringLiteral("%1 de %2").arg(Miles(n), Miles(total)));
        return !c;
    };
}

bool FrmAsistente::Revisado(bool completo) {
    if (!completo) {
        SoltarPlan();
        LblResumen->setText(QStringLiteral("Vista previa cancelada."));
        return false;
    }
    MostrarPlan();
    return true;
}

void FrmAsistente::MostrarPlan() {
    const PlanAsistente& p = *plan_;
    // The result: what the warehouse has and what the job adds, in code order.
    struct Nodo {
        QStringView codigo;
        QStringView descripcion;
        Estado estado;
    };
    std::vector<Nodo> nodos;
    nodos.reserve(static_cast<size_t>(p.Existentes().size() + p.Entradas().size()));
    QHash<QString, Estado> cambios;
    for (const Entrada& e : p.Entradas())
        if (e.estado == Estado::Cambiada && p.Actualizar()) cambios.insert(e.codigo.toUpper(), e.estado);
    for (const Existente& x : p.Existentes()) {
        const Estado e =
            cambios.isEmpty() ? Estado::SinCambios : cambios.value(x.valor[IdPosicion].toUpper(), Estado::SinCambios);
        const QString& d = x.valor[Descripcion];
        nodos.push_back({x.codigo, d == QLatin1String("Null") ? QStringView() : QStringView(d), e});
    }
    const size_t existentes = nodos.size();
    for (const Entrada& e : p.Entradas())
        if (e.estado == Estado::Nueva) {
            const QString& d = e.Valor(Descripcion);
            nodos.push_back({e.codigo, d == QLatin1String("Null") ? QStringView() : QStringView(d), Estado::Nueva});
        }
    auto antes = [](const Nodo& a, const Nodo& b) { return AntesSinCaso(a.codigo, b.codigo); };
    if (!std::is_sorted(nodos.begin() + static_cast<std::ptrdiff_t>(existentes), nodos.end(), antes))
        std::sort(nodos.begin() + static_cast<std::ptrdiff_t>(existentes), nodos.end(), antes);
    if (existentes > 0 && existentes < nodos.size())
        std::inplace_merge(nodos.begin(), nodos.begin() + static_cast<std::ptrdiff_t>(existentes), nodos.end(), antes);

    const NivelesLayout& n = gNiveles();
    const int icono[5] = {0, ImageList1.IndiceImagen(QStringLiteral("Nave")), ImageList1.IndiceImagen(QStringLiteral("Calle")),
                          ImageList1.IndiceImagen(QStringLiteral("Posicion")), ImageList1.IndiceImagen(QStringLiteral("Nivel"))};
    ModeloArbol->LimpiarMarcas();
    if (nodos.empty()) {
        ModeloArbol->Limpiar();
    } else {
        ModeloArbol->SetLargoMaximo(n.FinNivel[4]);
        ModeloArbol->Comenzar(static_cast<qsizetype>(nodos.size()), kRaiz);
        int imagen = 0, primera = -1;
        for (const Nodo& x : nodos) {
            for (int k = 1; k <= 4; ++k)
                if (x.codigo.size() == n.FinNivel[k]) {
                    imagen = icono[k];
                    break;
                }
            const int nodo = ModeloArbol->AgregarFila(x.codigo, x.descripcion, imagen);
            if (x.estado != Estado::SinCambios) {
                ModeloArbol->Marcar(nodo, x.estado);
                if (primera < 0) primera = static_cast<int>(&x - nodos.data());
            }
        }
        ModeloArbol->Terminar();
        TreeView1->expandAll();
        // The first position the job adds or changes is the one to see.
        if (primera >= 0) {
            const QModelIndex i =
                ModeloArbol->IndiceDeClave(QStringLiteral("A") + nodos[static_cast<size_t>(primera)].codigo.toString());
            TreeView1->setCurrentIndex(i);
            TreeView1->scrollTo(i, QAbstractItemView::PositionAtTop);
        }
    }
    Rechazos->Cargar(plan_.get());
    GrdRechazos->resizeColumnToContents(0);
    GrdRechazos->resizeColumnToContents(1);

    const int nuevas = p.Cantidad(Estado::Nueva), iguales = p.Cantidad(Estado::SinCambios),
              cambiadas = p.Cantidad(Estado::Cambiada), rechazadas = p.Cantidad(Estado::Rechazada);
    QString texto = QStringLiteral("Nuevas: %1").arg(Miles(nuevas));
    if (p.PadresCreados() > 0)
        texto += QStringLiteral(" (%1)").arg(Cuenta(p.PadresCreados(), "titulo que faltaba", "titulos que faltaban"));
    texto +=
        QStringLiteral(" · Ya existen sin cambios: %1 · Existen con otros valores: %2 (%3) · Rechazadas: %4")
            .arg(Miles(iguales), Miles(cambiadas),
                 p.Actualizar() ? QStringLiteral("se actualizan") : QStringLiteral("se dejan como estan"), Miles(rechazadas));
    LblResumen->setText(texto);
    CmdCrear->setEnabled(nuevas + (p.Actualizar() ? cambiadas : 0) > 0);
    CmdGuardarRechazos->setEnabled(rechazadas > 0);
}

// ------------------------------------------------------------------------------------- writing

void FrmAsistente::Crear() {
    if (!plan_ || ocupado_) return;
    const PlanAsistente& p = *plan_;
    const int aEscribir = p.Cantidad(Estado::Nueva) + (p.Actualizar() ? p.Cantidad(Estado::Cambiada) : 0);
    if (aEscribir == 0) {
        Avisar(QStringLiteral(" No hay posiciones para crear ni actualizar."), vb::Information);
        return;
    }
    if (p.Cantidad(Estado::Rechazada) > 0 &&
        plataforma().MsgBox(
            QStringLiteral("%1 (vea la lista).\r\n%2")
                .arg(p.Cantidad(Estado::Rechazada) == 1
                         ? QStringLiteral("Se rechazo 1 fila")
                         : QStringLiteral("Se rechazaron %1 filas").arg(Miles(p.Cantidad(Estado::Rechazada))),
                     aEscribir == 1 ? QStringLiteral("Crear igualmente la posicion que paso?")
                                    : QStringLiteral("Crear igualmente las %1 posiciones que pasaron?").arg(Miles(aEscribir))),
            vb::YesNo + vb::Question + vb::DefaultButton2, kTitulo) != vb::Yes)
        return;
    ResultadoEscritura r;
    {
        const Ocupado ocupado(ocupado_);
        // Nothing else may be pressed while the job runs; the operator goes on where he was.
        const VueltaDelFoco vuelta;
        setEnabled(false);
        r = EscribirPlan(p, ProgresoEnCartel());
        setEnabled(true);
    }
    Reactivar();
    switch (r.estado) {
        case ResultadoEscritura::Estado::Escrito: {
            QString texto = QStringLiteral("%1: %2 %3")
                                .arg(DescripcionDeposito(CmbDeposito),
                                     r.insertadas == 1 ? QStringLiteral("se creo") : QStringLiteral("se crearon"),
                                     Cuenta(r.insertadas, "posicion", "posiciones"));
            if (r.actualizadas > 0)
                texto += (r.actualizadas == 1 ? QStringLiteral(" y se actualizo ") : QStringLiteral(" y se actualizaron ")) +
                         Miles(r.actualizadas);
            texto += QLatin1Char('.');
            if (const int rechazadas = p.Cantidad(Estado::Rechazada); rechazadas > 0)
                texto += QStringLiteral("\r\n%1 no se %2.")
                             .arg(Cuenta(rechazadas, "fila rechazada", "filas rechazadas"),
                                  rechazadas == 1 ? QStringLiteral("grabo") : QStringLiteral("grabaron"));
            plataforma().MsgBox(texto, vb::Information, kTitulo);
            // What was written is now the warehouse's: a new preview shows it as existing.
            const bool rechazos = p.Cantidad(Estado::Rechazada) > 0;
            CmdCrear->setEnabled(false);
            CmdGuardarRechazos->setEnabled(rechazos);
            LblResumen->setText(texto);
            break;
        }
        case ResultadoEscritura::Estado::Cancelado:
            Avisar(QStringLiteral(" Grabacion cancelada: no se grabo ninguna posicion."), vb::Exclamation);
            break;
        case ResultadoEscritura::Estado::Error:
            plataforma().MsgBox(r.mensaje, vb::Critical, QStringLiteral("Aviso al Operador!"));
            break;
        case ResultadoEscritura::Estado::Nada:
            break;
    }
}

void FrmAsistente::GuardarRechazos() {
    if (!plan_ || plan_->Cantidad(Estado::Rechazada) == 0) return;
    QString destino = plataforma().ElegirArchivoGuardar(QStringLiteral("Guardar filas rechazadas"),
                                                        QStringLiteral("Archivo CSV (*.csv)"), QStringLiteral("rechazos.csv"));
    if (destino.isEmpty()) return;
    if (QFileInfo(destino).suffix().isEmpty()) destino += QStringLiteral(".csv");
    QSaveFile f(destino);
    // UTF-8 with its mark, so that a spreadsheet shows the accents.
    const QByteArray texto = QByteArray("\xEF\xBB\xBF") + plan_->TextoRechazos().toUtf8();
    if (!f.open(QIODevice::WriteOnly) || f.write(texto) != texto.size() || !f.commit())
        Avisar(QStringLiteral(" No se pudo guardar \"%1\": %2").arg(QFileInfo(destino).fileName(), f.errorString()),
               vb::Critical);
}

void FrmAsistente::Examinar() {
    const QString ruta =
        plataforma().ElegirArchivo(QStringLiteral("Elegir la planilla de posiciones"),
                                   QStringLiteral("Planillas y CSV (*.xlsx *.csv *.txt);;Todos los archivos (*)"));
    if (ruta.isEmpty()) return;
    TxtArchivo->setText(ruta);
    TxtArchivo->setFocus(Qt::OtherFocusReason);
}

void FrmAsistente::ConsultarUnidad() {
    QString tabla = QStringLiteral("V_ta_unidad"), descripcion, clave, extra, condicion;
    DefinirConsulta(tabla, descripcion, clave, extra, true, condicion);
    TxtUnidad->setText(clave.trimmed());
    VerDescripcion(TxtUnidad, LblUnidad, QStringLiteral("V_ta_unidad"), QStringLiteral("IdUnidad"));
    TxtUnidad->setFocus(Qt::OtherFocusReason);
}

void FrmAsistente::ConsultarReserva() {
    const TipoReserva& t = kTiposReserva[std::max(0, CmbReserva->currentIndex())];
    if (t.columna < 0) return;
    QString elegido;
    if (t.columna == IdFamilia) {
        // Families are a tree, looked up as the editor looks them up.
        auto& consulta = Lib_ClsCons3::instancia();
        consulta.CampoDevuelto = QStringLiteral("IDFAMILIA");
        consulta.ConsultaSearch(QStringLiteral("SELECT IDFAMILIA, DESCRIPCION FROM V_TA_FAMILIAS"), true);
        elegido = FC().TextoCampo(consulta.ValorDevuelto);
    } else {
        QString tabla = QString::fromLatin1(t.tabla), descripcion, clave, extra, condicion;
        DefinirConsulta(tabla, descripcion, clave, extra, true, condicion);
        elegido = clave;
    }
    TxtReserva->setText(elegido.trimmed());
    VerDescripcion(TxtReserva, LblReserva, QString::fromLatin1(t.tabla), QString::fromLatin1(t.clave));
    TxtReserva->setFocus(Qt::OtherFocusReason);
}

// ------------------------------------------------------------------------------------- events

bool FrmAsistente::eventFilter(QObject* objeto, QEvent* evento) {
    const bool unidad = objeto == TxtUnidad, reserva = objeto == TxtReserva;
    if (evento->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(evento);
        if (objeto == this && k->key() == Qt::Key_Escape && k->modifiers() == Qt::NoModifier) {
            close();
            return true;
        }
        if ((unidad || reserva) && k->key() == Qt::Key_F3) {
            unidad ? ConsultarUnidad() : ConsultarReserva();
            return true;
        }
    }
    if ((unidad || reserva) && evento->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(evento)->button() == Qt::RightButton) {
        unidad ? ConsultarUnidad() : ConsultarReserva();
        return true;
    }
    return QWidget::eventFilter(objeto, evento);
}

void FrmAsistente::Form_Unload() {
    descargando_ = true;
    pasos::Silenciosos([&] { RegistraEgreso(); }, [&] { FC().Restablecer(0); }, [&] { hide(); });
    plataforma().Terminar(0);
}

void FrmAsistente::closeEvent(QCloseEvent* evento) {
    if (descargando_ || ocupado_) {
        // While a job runs, the banner's cancel is the way out.
        if (ocupado_)
            evento->ignore();
        else
            evento->accept();
        return;
    }
    Form_Unload();
}
