#include "layout/FrmMa_Posic.h"

#include "core/Auditoria.h"
#include "core/Inicio.h"
#include "core/Login.h"
#include "core/SentenciasSQL.h"
#include "db/DB_Dll.h"
#include "layout/Def_QConsulta.h"
#include "layout/PosicionesLayout.h"
#include "layout/QDL_RTLocator.h"
#include "layout/SelectorDeposito.h"
#include "lookup/Lib_ClsCons3.h"
#include "services/ExportaPlanilla.h"
#include "services/FuncionesComunes.h"
#include "services/FuncionesFormulario.h"
#include "services/Pasos.h"
#include "services/Plataforma.h"
#include "services/Sesion.h"
#include "services/TeclasVB.h"
#include "services/TvPrint2.h"
#include "services/UtilKit.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

const QString kTitulo = QStringLiteral("Definición de Layout");
const QString kTituloAviso = QStringLiteral("Aviso al operador...");
const QString kRaiz = QStringLiteral("Definición de LayOut");
const QString CRLF = QStringLiteral("\r\n");

bool Igual(const QString& a, const char* b) {
    return a.trimmed().compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

FuncionesComunes& FC() {
    return FuncionesComunes::instancia();
}
FuncionesFormulario& FF() {
    return FuncionesFormulario::instancia();
}

bool SinFilas(const driver::Recordset& rs) {
    return rs.State() == driver::adStateClosed || (rs.BOF() && rs.EOF_());
}

}  // namespace

QString FrmMa_Posic::MensajeSinDepositos() {
    return QStringLiteral(" No hay Depositos definidos (V_TA_DEPOSITO)!") + CRLF +
           QStringLiteral(" Defina al menos un Deposito para poder cargar su Layout.");
}

int FrmMa_Posic::Reportar(const ErrorEjecucion& e, const QString& rutina) const {
    return FC().ErrorRutina(e, rutina);
}

// ------------------------------------------------------------------------------------- window

FrmMa_Posic::FrmMa_Posic(bool iniciarAplicacion, QWidget* padre) : QWidget(padre) {
    setObjectName(QStringLiteral("FrmMa_Posic"));
    ConstruirVentana();
    // The window's own fields and tree tell it their keys, focus and clicks; the toolbar's keys are
    // its window shortcuts.
    for (QLineEdit* t : std::as_const(txtfields)) t->installEventFilter(this);
    TreeView1->installEventFilter(this);
    Form_Load(iniciarAplicacion);
}

FrmMa_Posic::~FrmMa_Posic() {
    if (RsPosicion.State() != driver::adStateClosed) {
        try {
            RsPosicion.CancelUpdate();
            RsPosicion.Close();
        } catch (const ErrorEjecucion&) {
        }
    }
}

QLineEdit* FrmMa_Posic::NuevoCampo(int indice, const QString& columna, const QString& tabla, int largo) {
    auto* t = new QLineEdit(this);
    t->setObjectName(QStringLiteral("txtfields_%1").arg(indice));
    t->setProperty("DataField", columna);
    t->setProperty("Tag", tabla);
    if (largo > 0) t->setMaxLength(largo);
    // A right click opens the lookup of the field, not the editing menu.
    t->setContextMenuPolicy(Qt::NoContextMenu);
    if (!tabla.isEmpty()) t->setToolTip(QStringLiteral("Clic derecho o F3: consultar ") + tabla);
    return t;
}

void FrmMa_Posic::ConstruirVentana() {
    setWindowTitle(kTitulo);
    resize(1000, 650);

    UtilKit1 = new UtilKit(this);

    CmbDeposito = NuevoSelectorDeposito(this, 32);
    // Every Alt letter of the window is unique: D, E and S belong to the three buttons below.
    auto* lblDeposito = new QLabel(QStringLiteral("Depos&ito"), this);
    lblDeposito->setBuddy(CmbDeposito);

    // The stock view over the program's own model: with rows of one height it lays out the
    // 100,000 rows of a large warehouse in a few milliseconds.
    TreeView1 = new QTreeView(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setAccessibleName(QStringLiteral("Layout del depósito"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setUniformRowHeights(true);
    TreeView1->setAnimated(false);
    TreeView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    TreeView1->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    TreeView1->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    ModeloArbol = new ModeloArbolLayout(this);
    ModeloArbol->setObjectName(QStringLiteral("ModeloArbol"));
    ModeloArbol->SetImagenes(&ImageList1);
    TreeView1->setModel(ModeloArbol);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setIconSize(QSize(16, 16));
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(TreeView1, &QAbstractItemView::clicked, this, [this](const QModelIndex& i) { TreeView1_NodeClick(i); });

    // Detail: the text boxes bound to the columns of MA_POSICIONES.
    txtfields = {NuevoCampo(0, QStringLiteral("IdPosicion"), QString(), 25),
                 NuevoCampo(1, QStringLiteral("Descripcion"), QString(), 0),
                 NuevoCampo(2, QStringLiteral("CAPACIDAD"), QString(), 0),
                 NuevoCampo(3, QStringLiteral("IDUNIDAD"), QStringLiteral("V_ta_unidad"), 0),
                 NuevoCampo(4, QStringLiteral("IdRubro"), QStringLiteral("V_ta_rubros"), 0),
                 NuevoCampo(5, QStringLiteral("IdTipo"), QStringLiteral("V_ta_tipoarticulo"), 0),
                 NuevoCampo(6, QStringLiteral("IdArticulo"), QStringLiteral("V_ma_articulos"), 0),
                 NuevoCampo(7, QStringLiteral("Idfamilia"), QStringLiteral("V_ta_familias"), 15),
                 NuevoCampo(8, QStringLiteral("OrdenIngreso"), QString(), 0)};
    txtfields[0]->setProperty("EsClave", true);

    const char* const chks[][2] = {{"Habilitado", "HABILITADO"},
                                   {"Reservado", "RESERVADO"},
                                   {"Completa", "COMPLETA"},
                                   {"Picking", "Picking"},
                                   {"Titulo", "Titulo"}};
    for (int i = 0; i < 5; ++i) {
        auto* c = new QCheckBox(QString::fromLatin1(chks[i][0]), this);
        c->setObjectName(QStringLiteral("ChkFields_%1").arg(i));
        c->setProperty("DataField", QString::fromLatin1(chks[i][1]));
        connect(c, &QCheckBox::stateChanged, this, [this] { VerHabilitado(); });
        ChkFields << c;
    }
    ChkFields[4]->setToolTip(QStringLiteral("Es Titulo, No puede Recibir movimientos"));

    const char* const lbls[] = {"IdArticulo", "IdTipo", "IdRubro", "IdUnidad", "IdFamilia"};
    for (int i = 0; i < 5; ++i) {
        auto* l = new QLabel(QStringLiteral("..."), this);
        l->setObjectName(QStringLiteral("LblDesc_%1").arg(i));
        l->setProperty("DataField", QString::fromLatin1(lbls[i]));
        l->setProperty("Tag", QStringLiteral("Descripcion"));
        l->setMinimumWidth(180);
        l->setFrameShape(QFrame::StyledPanel);
        l->setFrameShadow(QFrame::Sunken);
        LblDesc << l;
    }

    auto etiqueta = [this](const QString& texto, QWidget* campo) {
        auto* l = new QLabel(texto, this);
        l->setBuddy(campo);
        return l;
    };

    auto* detalle = new QWidget(this);
    auto* grilla = new QGridLayout(detalle);
    grilla->setColumnStretch(2, 1);
    int f = 0;
    grilla->addWidget(etiqueta(QStringLiteral("Código"), txtfields[0]), f, 0);
    grilla->addWidget(txtfields[0], f++, 1);
    grilla->addWidget(etiqueta(QStringLiteral("Descripción"), txtfields[1]), f, 0);
    grilla->addWidget(txtfields[1], f++, 1, 1, 2);
    grilla->addWidget(etiqueta(QStringLiteral("Capacidad"), txtfields[2]), f, 0);
    grilla->addWidget(txtfields[2], f++, 1);
    grilla->addWidget(etiqueta(QStringLiteral("Unidad Stock"), txtfields[3]), f, 0);
    grilla->addWidget(txtfields[3], f, 1);
    grilla->addWidget(LblDesc[3], f++, 2);
    grilla->addWidget(etiqueta(QStringLiteral("Orden Ingreso"), txtfields[8]), f, 0);
    grilla->addWidget(txtfields[8], f++, 1);

    Frame2 = new QGroupBox(QStringLiteral("Reservado (Complete una de las 4 opciones)"), detalle);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    auto* reservas = new QGridLayout(Frame2);
    reservas->setColumnStretch(2, 1);
    // In the order of the tab stops: category, type, family, article.
    const int orden[][2] = {{4, 2}, {5, 1}, {7, 4}, {6, 0}};
    const char* const nombres[] = {"Rubro", "Marca", "Familia", "Articulo"};
    for (int k = 0; k < 4; ++k) {
        reservas->addWidget(etiqueta(QString::fromLatin1(nombres[k]), txtfields[orden[k][0]]), k, 0);
        reservas->addWidget(txtfields[orden[k][0]], k, 1);
        reservas->addWidget(LblDesc[orden[k][1]], k, 2);
    }
    grilla->addWidget(Frame2, f++, 0, 1, 3);

    auto* marcas = new QHBoxLayout;
    for (QCheckBox* c : std::as_const(ChkFields)) marcas->addWidget(c);
    marcas->addStretch(1);
    grilla->addLayout(marcas, f++, 0, 1, 3);
    grilla->setRowStretch(f++, 1);

    CmdEtiquetas = new QPushButton(QStringLiteral("&ETIQUETAS"), detalle);
    CmdEtiquetas->setObjectName(QStringLiteral("CmdEtiquetas"));
    CmdCallAsistente = new QPushButton(QStringLiteral("A&sistente"), detalle);
    CmdCallAsistente->setObjectName(QStringLiteral("CmdCallAsistente"));
    CmdCallDiagrama = new QPushButton(QStringLiteral("&Diagrama"), detalle);
    CmdCallDiagrama->setObjectName(QStringLiteral("CmdCallDiagrama"));
    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(CmdEtiquetas);
    botones->addWidget(CmdCallAsistente);
    botones->addWidget(CmdCallDiagrama);
    grilla->addLayout(botones, f++, 0, 1, 3);
    connect(CmdEtiquetas, &QPushButton::clicked, this, [this] { CmdEtiquetas_Click(); });
    connect(CmdCallAsistente, &QPushButton::clicked, this, [this] { CmdCallAsistente_Click(); });
    connect(CmdCallDiagrama, &QPushButton::clicked, this, [this] { CmdCallDiagrama_Click(); });

    Divisor = new QSplitter(Qt::Horizontal, this);
    Divisor->setObjectName(QStringLiteral("Divisor"));
    // The tree with a label of its own, so that Alt+L reaches it from anywhere.
    auto* panelArbol = new QWidget(this);
    auto* columnaArbol = new QVBoxLayout(panelArbol);
    columnaArbol->setContentsMargins(0, 0, 0, 0);
    auto* lblArbol = new QLabel(QStringLiteral("&Layout"), panelArbol);
    lblArbol->setBuddy(TreeView1);
    columnaArbol->addWidget(lblArbol);
    columnaArbol->addWidget(TreeView1, 1);
    // However narrow the window, the tree keeps room for a code and the start of its description.
    panelArbol->setMinimumWidth(TreeView1->fontMetrics().horizontalAdvance(QStringLiteral("010101 - Posicion 01")) +
                                3 * TreeView1->indentation() + TreeView1->iconSize().width());
    Divisor->addWidget(panelArbol);
    Divisor->addWidget(detalle);
    Divisor->setStretchFactor(0, 2);
    Divisor->setStretchFactor(1, 3);
    Divisor->setSizes({380, 620});
    Divisor->setChildrenCollapsible(false);

    auto* cabecera = new QHBoxLayout;
    cabecera->addWidget(lblDeposito);
    cabecera->addWidget(CmbDeposito, 1);
    cabecera->addStretch(1);

    auto* raiz = new QVBoxLayout(this);
    raiz->addWidget(UtilKit1);
    raiz->addLayout(cabecera);
    raiz->addWidget(Divisor, 1);

    // Tab order of the text boxes: 0, 1, 2, 3, 8, 4, 5, 7, 6; then the flags and the buttons.
    const int tab[] = {0, 1, 2, 3, 8, 4, 5, 7, 6};
    QWidget* anterior = CmbDeposito;
    for (int i : tab) {
        setTabOrder(anterior, txtfields[i]);
        anterior = txtfields[i];
    }
    for (QCheckBox* c : std::as_const(ChkFields)) {
        setTabOrder(anterior, c);
        anterior = c;
    }
    for (QWidget* b : {static_cast<QWidget*>(CmdEtiquetas), static_cast<QWidget*>(CmdCallAsistente),
                       static_cast<QWidget*>(CmdCallDiagrama), static_cast<QWidget*>(TreeView1)}) {
        setTabOrder(anterior, b);
        anterior = b;
    }

    connect(UtilKit1, &UtilKit::Click, this, [this](const QString& clave) { UtilKit1_Click(clave); });
    connect(CmbDeposito, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (i >= 0) CambiarDeposito();
    });
}

// ------------------------------------------------------------------------------------- start-up

void FrmMa_Posic::Form_Load(bool iniciarAplicacion) {
    const auto reportero = pasos::AlArrancar([this](const ErrorEjecucion& e, const QString& rutina) { Reportar(e, rutina); });
    bool hayDepositos = true;
    pasos::Pasos(
        QStringLiteral("Form_Load"), reportero,
        [&] {
            if (!iniciarAplicacion) return;
            QString cadena;
            IniciarAplicacion(false, QString(), cadena, 3);
        },
        [&] { AplicaEstiloVentana(this); }, [&] { FC().PrepararVentana(this); }, [&] { CargarIconosList(ImageList1); },
        [&] { ActualizarNivelesLayout(); }, [&] { CargarDepositos(); },
        [&] {
            hayDepositos = CmbDeposito->count() > 0;
            if (hayDepositos) {
                anotarFirma_ = true;
                CmbDeposito->setCurrentIndex(0);  // runs CambiarDeposito
                anotarFirma_ = false;
            } else {
                // Nothing to edit: say so instead of working on a warehouse that does not exist.
                ModeloArbol->Limpiar();
                plataforma().MsgBox(MensajeSinDepositos(), vb::Exclamation, kTituloAviso);
            }
        },
        [&] {
            if (!hayDepositos) return;
            // Built a moment ago: again only when the warehouse changed since (another workstation
            // saved) or the first build could not tell.
            if (firmaArbol_.Conocida() && PosicionesLayout(Deposito()).FirmaArbol() == firmaArbol_) return;
            ArmarTreeVAutomatico();
        },
        [&] { Inicializa(); }, [&] { VerRelacion(); }, [&] { FC().Restablecer(0); });
    EnfocarCodigo();
}

void FrmMa_Posic::CargarDepositos() {
    ::CargarDepositos(CmbDeposito);
}

QString FrmMa_Posic::Deposito() const {
    return DepositoElegido(CmbDeposito);
}

void FrmMa_Posic::CambiarDeposito() {
    CargarIconosList(ImageList1);
    ArmarTreeVAutomatico();
    setWindowTitle(kTitulo + QStringLiteral(" - ") + DescripcionDeposito(CmbDeposito));
}

void FrmMa_Posic::EnfocarCodigo() {
    if (!txtfields[0]->isEnabled()) return;
    txtfields[0]->setFocus(Qt::OtherFocusReason);
    txtfields[0]->selectAll();
}

void FrmMa_Posic::Inicializa() {
    pasos::Silenciosos(
        [&] {
            EsNuevo = false;
            Borrando = false;
            Existe = false;
            Tabla = QStringLiteral("MA_Posiciones");
            AbrirRecordset(Tabla);
        },
        [&] { FF().LimpiarCampos(this); }, [&] { FF().PrepararCampos(txtfields, Tabla, gBaseDatos().gConnString, &RsPosicion); },
        [&] { InicializaDetalle(); }, [&] { DetalleOn(false); }, [&] { ChkFields[3]->setChecked(false); },
        [&] {
            // Without a warehouse nothing can be typed or created.
            if (CmbDeposito->count() > 0) return;
            txtfields[0]->setEnabled(false);
            UtilKit1->SetHabilitado(10, false);
        });
}

void FrmMa_Posic::InicializaDetalle() {
    FF().LimpiarCampos(this, 1);
    // The labels follow the fields the window has just emptied.
    RefrescarDescripciones(false);
}

void FrmMa_Posic::DetalleOn(bool on) {
    for (QLineEdit* t : std::as_const(txtfields)) t->setEnabled(on);
    for (QCheckBox* c : std::as_const(ChkFields)) c->setEnabled(on);
    UtilKit1->SetHabilitado(10, !on);
    UtilKit1->SetHabilitado(11, on);
    UtilKit1->SetHabilitado(12, on);
    UtilKit1->SetHabilitado(15, true);
    UtilKit1->SetHabilitado(16, on);
    UtilKit1->SetHabilitado(17, !on);
    if (!on) txtfields[0]->setEnabled(true);
    TreeView1->setEnabled(true);
}

void FrmMa_Posic::AbrirRecordset(const QString& tabla) {
    PosicionesLayout::AbrirEstructura(tabla, RsPosicion);
}

void FrmMa_Posic::CargarRegistro() {
    pasos::Silenciosos([&] { Existe = true; }, [&] { FF().LlenarCampos(txtfields, RsPosicion); },
                       [&] {
                           for (QCheckBox* c : std::as_const(ChkFields)) {
                               const QString col = FuncionesFormulario::DataField(c).trimmed();
                               const QVariant v = RsPosicion.ValorCampo(col);
                               c->setChecked(!v.isNull() && v.toBool());
                           }
                       },
                       [&] { RefrescarDescripciones(false); });
}

// ------------------------------------------------------------------------------------- tree

void FrmMa_Posic::CargarIconosList(ImagenesLayout& lista) {
    pasos::Pasos(
        QStringLiteral("CargarIconosList"), [this](const ErrorEjecucion& e, const QString& r) { return Reportar(e, r); },
        [&] {
            lista.Limpiar();
            for (const char* n : {"CALLE", "POSICION", "NIVEL", "NAVE"})
                lista.Agregar(QString::fromLatin1(n), ImagenesLayout::DibujarIcono(QString::fromLatin1(n)));
        });
}

void FrmMa_Posic::ArmarTreeVAutomatico() {
    const PosicionesLayout posiciones(Deposito());
    auto reportero = [this](const ErrorEjecucion& e, const QString& r) { return Reportar(e, r); };
    // Taken before the rows are read: a save in between makes it differ from what comes later.
    const FirmaPosiciones firma = anotarFirma_ ? posiciones.FirmaArbol() : FirmaPosiciones{};
    firmaArbol_ = {};
    pasos::Pasos(QStringLiteral("ArmarTreeVAutomatico"), reportero, [&] {
        int icono[5] = {0, 0, 0, 0, 0};
        int imagen = 0;
        const qsizetype filas = posiciones.RecorrerArbol(
            [&](qsizetype cantidad) {
                ActualizarNivelesLayout();
                // The icon of each level end, looked up once for the whole pass.
                const char* nombres[] = {"", "Nave", "Calle", "Posicion", "Nivel"};
                for (int k = 1; k <= 4; ++k) icono[k] = ImageList1.IndiceImagen(QString::fromLatin1(nombres[k]));
                ModeloArbol->SetLargoMaximo(gNiveles().FinNivel[4]);
                ModeloArbol->Comenzar(cantidad, kRaiz);
            },
            [&](QAnyStringView codigo, QAnyStringView descripcion, int nivel) {
                // A code that ends no level keeps the picture of the row before it.
                if (nivel > 0) imagen = icono[nivel];
                for (;;) {
                    try {
                        ModeloArbol->AgregarFila(codigo, descripcion, imagen);
                        return true;
                    } catch (const ErrorEjecucion& e) {
                        const int r = Reportar(e, QStringLiteral("ArmarTreeVAutomatico"));
                        if (r == pasos::Reintentar) continue;
                        return r == pasos::Ignorar;
                    }
                }
            });
        if (filas == 0) {
            ModeloArbol->Limpiar();
        } else {
            ModeloArbol->Terminar();
            TreeView1->expandAll();
        }
        firmaArbol_ = firma;
    });
}

void FrmMa_Posic::ActualizaTreeV(const QString& codigoCampo, const QString& descripcion) {
    // The key is the code as stored: trimmed, as the save wrote it.
    const QString codigo = codigoCampo.trimmed();
    const qsizetype l = codigo.size();
    qsizetype s = 0;
    const char* const iconos[] = {nullptr, "Nave", "Calle", "Posicion", "Nivel"};
    const int nivel = PosicionesLayout::NivelAlAgregar(l, s);
    const int imagen = nivel == 0 ? 0 : ImageList1.IndiceImagen(QString::fromLatin1(iconos[nivel]));
    const QString texto = codigo + QStringLiteral(" - ") + descripcion;
    pasos::Pasos(
        QStringLiteral("ActualizaTreev"), [this](const ErrorEjecucion& e, const QString& r) { return Reportar(e, r); },
        [&] {
            auto agregar = [&](const QString& relativa) { return ModeloArbol->AgregarNodo(relativa, codigo, texto, imagen); };
            QModelIndex nuevo;
            try {
                nuevo = agregar(QStringLiteral("A") + codigo.left(l - s));
            } catch (const ErrorEjecucion& e) {
                if (e.Number == 35602) {
                    // Already in the tree: an existing position was saved; its text follows the description.
                    const QModelIndex existente = ModeloArbol->IndiceDeClave(QStringLiteral("A") + codigo);
                    ModeloArbol->CambiarTexto(existente, texto);
                    TreeView1->setCurrentIndex(existente);
                    return;
                }
                if (e.Number != 35601) throw;
                // The parent node is not in the tree (it changed since the last build): hang the node
                // under its longest prefix that is, as a full build would.
                const int padre = ModeloArbol->NodoPrefijoMasLargo(codigo);
                if (padre < 0) throw;
                QString relativa = QStringLiteral("A");
                for (qsizetype k = codigo.size() - 1; k > 0; --k)
                    if (ModeloArbol->IndiceDeClave(QStringLiteral("A") + codigo.left(k)).isValid()) {
                        relativa += codigo.left(k);
                        break;
                    }
                nuevo = agregar(relativa);
            }
            TreeView1->expand(nuevo);
            for (QModelIndex p = nuevo.parent(); p.isValid(); p = p.parent()) TreeView1->expand(p);
            TreeView1->setCurrentIndex(nuevo);
            TreeView1->scrollTo(nuevo);
        });
}

void FrmMa_Posic::TreeView1_NodeClick(const QModelIndex& nodo) {
    const QString codigo = ModeloArbol->Clave(nodo).trimmed().mid(1);
    pasos::Pasos(
        QStringLiteral("TreeView1_NodeClick"), [this](const ErrorEjecucion& e, const QString& r) { return Reportar(e, r); },
        [&] { PosicionesLayout(Deposito()).AbrirPosicion(codigo, RsPosicion); }, [&]() -> bool { return !SinFilas(RsPosicion); },
        [&] { CargarRegistro(); }, [&] { VerRelacion(); },
        [&] {
            const int i = FF().IndiceCampo(QStringLiteral("Idposicion"), txtfields);
            if (i < 0) return;
            txtfields[i]->setFocus(Qt::OtherFocusReason);
            CampoValida(i);
        });
}

// ------------------------------------------------------------------------------------- validation

void FrmMa_Posic::CampoValida(int indice) {
    ErrorValidacion = false;
    mensajePendiente_.clear();
    if (indice < 0 || indice >= txtfields.size()) return;
    QLineEdit* campo = txtfields[indice];
    const QString valor = campo->text().trimmed();
    const QString dato = FuncionesFormulario::DataField(campo).trimmed();
    const PosicionesLayout posiciones(Deposito());
    // A rule that does not hold stops the validation with its message.
    auto regla = [this](const QString& mensaje) {
        if (mensaje.isEmpty()) return true;
        mensajePendiente_ = mensaje;
        ErrorValidacion = true;
        return false;
    };
    std::vector<pasos::Paso> lista;

    if (Igual(dato, "IDPosicion")) {
        lista = {
            pasos::paso([&]() -> bool {
                if (Grabando) return false;
                return regla(valor.isEmpty() ? QStringLiteral(" Debe informar el Codigo!") : QString());
            }),
            pasos::paso([&] {
                posiciones.AbrirPosicion(valor, RsPosicion);
                if (!SinFilas(RsPosicion)) {
                    EsNuevo = false;
                    Existe = true;
                    CargarRegistro();
                } else {
                    EsNuevo = true;
                    Existe = false;
                    InicializaDetalle();
                }
            }),
            pasos::paso([&]() -> bool { return regla(PosicionesLayout::ErrorDeLongitud(valor)); }),
            pasos::paso([&]() -> bool { return regla(posiciones.ErrorDelNivelSuperior(valor)); }),
            pasos::paso([&] { DetalleOn(true); }),
            pasos::paso([&] {
                if (posiciones.SinNivelInferior(valor)) UtilKit1->SetHabilitado(16, true);
            }),
        };
    } else if (!PosicionesLayout::ReservasQueExcluye(dato).isEmpty() || Igual(dato, "IdUnidad")) {
        lista = {pasos::paso([&]() -> bool {
            if (valor.isEmpty()) return true;
            const int t = FF().IndiceCampo(QStringLiteral("titulo"), ChkFields);
            const bool titulo = t >= 0 && ChkFields[t]->checkState() != Qt::Unchecked;
            if (!regla(PosicionesLayout::ErrorDeCodigoRelacionado(dato, valor, titulo))) return false;
            for (const QString& otro : PosicionesLayout::ReservasQueExcluye(dato)) {
                const int j = FF().IndiceCampo(otro, txtfields);
                if (j >= 0) txtfields[j]->clear();
            }
            VerRelacion();
            return true;
        })};
    } else if (Igual(dato, "Capacidad")) {
        lista = {pasos::paso([&]() -> bool { return regla(PosicionesLayout::ErrorDeCapacidad(valor)); })};
    } else if (Igual(dato, "OrdenIngreso")) {
        lista = {pasos::paso([&]() -> bool { return regla(PosicionesLayout::ErrorDeOrdenIngreso(valor)); })};
    }

    const auto r = pasos::Ejecutar(
        QStringLiteral("CAMPO_VALIDA"), [this](const ErrorEjecucion& e, const QString& n) { return Reportar(e, n); }, lista);
    if (r == pasos::Resultado::Abandonado) {
        mensajePendiente_.clear();
        return;
    }
    if (ErrorValidacion) plataforma().MsgBox(mensajePendiente_, vb::Critical, kTituloAviso);
    mensajePendiente_.clear();
}

bool FrmMa_Posic::Datosvalidos() {
    ErrorValidacion = false;
    for (int i = 0; i < txtfields.size(); ++i) {
        CampoValida(i);
        if (ErrorValidacion) break;
    }
    return !ErrorValidacion;
}

void FrmMa_Posic::VerHabilitado() {
    if (ChkFields.size() < 5) return;
    ChkFields[0]->setText(ChkFields[0]->checkState() != Qt::Unchecked ? QStringLiteral("Habilitado")
                                                                      : QStringLiteral("Bloqueado"));
    ChkFields[4]->setToolTip(ChkFields[4]->isChecked() ? QStringLiteral("Es Titulo, No puede Recibir movimientos")
                                                       : QStringLiteral("No Es Titulo, Recibe movimientos"));
}

// ------------------------------------------------------------------------------------- related codes

void FrmMa_Posic::VerRelacion() {
    RefrescarDescripciones(true);
}

void FrmMa_Posic::RefrescarDescripciones(bool avisar) {
    for (QLabel* etiqueta : std::as_const(LblDesc)) {
        const QString datoEtiqueta = FuncionesFormulario::DataField(etiqueta).trimmed();
        for (QLineEdit* campo : std::as_const(txtfields)) {
            const QString dato = FuncionesFormulario::DataField(campo).trimmed();
            const QString tabla = FuncionesFormulario::Tag(campo).trimmed();
            if (dato.isEmpty() || tabla.isEmpty() || Igual(tabla, "FECHA") ||
                datoEtiqueta.compare(dato, Qt::CaseInsensitive) != 0)
                continue;
            const QString texto = campo->text().trimmed();
            if (texto.isEmpty()) {
                etiqueta->setText(QStringLiteral("..."));
                continue;
            }
            const QString descripcion =
                PosicionesLayout::Descripcion(tabla, texto, FuncionesFormulario::Tag(etiqueta), datoEtiqueta);
            etiqueta->setText(descripcion);
            if (descripcion.isEmpty() && avisar) {
                ErrorValidacion = true;
                plataforma().MsgBox(QStringLiteral("Codigo Inexistente, Tabla ") + FuncionesFormulario::Tag(campo),
                                    vb::Information, kTituloAviso);
                if (CampoActual >= 0 && CampoActual < txtfields.size())
                    txtfields[CampoActual]->setSelection(0, static_cast<int>(txtfields[CampoActual]->text().trimmed().size()));
            }
        }
    }
}

void FrmMa_Posic::ConsultarCampo() {
    if (CampoActual < 0 || CampoActual >= txtfields.size()) return;
    QLineEdit* campo = txtfields[CampoActual];
    const QString tabla = FuncionesFormulario::Tag(campo).trimmed();
    if (tabla.isEmpty()) return;
    QString elegido;
    if (Igual(tabla, "FECHA")) {
        QDate fecha = QDate::currentDate();
        if (FC().ElegirFecha(fecha)) elegido = fecha.toString(QStringLiteral("dd/MM/yyyy"));
    } else if (Igual(tabla, "v_ta_Familias")) {
        auto& consulta = Lib_ClsCons3::instancia();
        consulta.CampoDevuelto = QStringLiteral("IDFAMILIA");
        consulta.ConsultaSearch(PosicionesLayout::ConsultaFamilias(), true);
        const QString v = FC().TextoCampo(consulta.ValorDevuelto);
        elegido = v.isEmpty() ? QString() : v;
    } else {
        QString t = tabla, descripcion, clave, extra, condicion;
        DefinirConsulta(t, descripcion, clave, extra, true, condicion);
        elegido = clave;
    }
    // A cancelled lookup changes nothing: the field keeps the value the operator did not ask to
    // change, its description stays, and the focus stays where it was.
    if (elegido.trimmed().isEmpty()) return;
    campo->setText(elegido.trimmed());
    txtfields_KeyDown(CampoActual, teclas::Enter, 0);
}

// ------------------------------------------------------------------------------------- commands

void FrmMa_Posic::UtilKit1_Click(const QString& claveBoton) {
    const QString clave = claveBoton.toUpper();
    auto reportero = [this](const ErrorEjecucion& e, const QString& r) { return Reportar(e, r); };
    const QString rutina = QStringLiteral("UtilKit1_Click");
    if (clave == QLatin1String("NUEVO")) {
        pasos::Pasos(
            rutina, reportero, [&] { Inicializa(); },
            [&] {
                EsNuevo = true;
                Borrando = false;
                Existe = false;
            },
            [&] { EnfocarCodigo(); });
    } else if (clave == QLatin1String("BORRAR")) {
        pasos::Pasos(
            rutina, reportero,
            [&]() -> bool {
                return plataforma().MsgBox(QStringLiteral("Confirma la baja de este registro?"),
                                           vb::YesNo + vb::Exclamation + vb::DefaultButton2,
                                           QStringLiteral("Atención!")) == vb::Yes;
            },
            [&] {
                EsNuevo = false;
                Borrando = true;
                Existe = false;
            },
            [&] { ActualizarDatos(); },
            [&] {
                if (ErrorValidacion) return;
                Inicializa();
                EnfocarCodigo();
            },
            [&] { ArmarTreeVAutomatico(); });
    } else if (clave == QLatin1String("GRABAR")) {
        Grabando = true;
        pasos::Pasos(
            rutina, reportero, [&]() -> bool { return Datosvalidos(); }, [&] { ActualizarDatos(); },
            [&]() -> bool { return !ErrorValidacion; }, [&] { CargarIconosList(ImageList1); },
            [&] {
                if (ModeloArbol->CantidadNodos() > 0) {
                    const int ic = FF().IndiceCampo(QStringLiteral("IdPosicion"), txtfields);
                    const int id = FF().IndiceCampo(QStringLiteral("descripcion"), txtfields);
                    // The node shows what was stored: quotes are never written.
                    ActualizaTreeV(ic >= 0 ? txtfields[ic]->text() : QString(),
                                   id >= 0 ? txtfields[id]->text().remove(QLatin1Char('\'')).trimmed() : QString());
                } else {
                    ArmarTreeVAutomatico();
                }
            },
            [&] { Inicializa(); }, [&] { EnfocarCodigo(); });
        Grabando = false;
    } else if (clave == QLatin1String("PLANILLA")) {
        pasos::Pasos(rutina, reportero, [&] {
            ExportaPlanilla::instancia().Exportar(Tabla, gBaseDatos().gConnString, QStringLiteral("LayOut"), QString());
        });
    } else if (clave == QLatin1String("CONSULTAR")) {
        pasos::Pasos(rutina, reportero, [&] { ConsultarCampo(); });
    } else if (clave == QLatin1String("REPORTE")) {
        pasos::Pasos(rutina, reportero, [&] { CmdEtiquetas_Click(); });
    } else if (clave == QLatin1String("CERRAR")) {
        int cancelar = 0;
        Form_Unload(cancelar);
    } else if (clave == QLatin1String("CANCELAR")) {
        pasos::Pasos(
            rutina, reportero, [&] { Inicializa(); }, [&] { EnfocarCodigo(); });
        Grabando = false;
    }
}

void FrmMa_Posic::CmdEtiquetas_Click() {
    QStringList parametros{QString()};
    const QString formula = PosicionesLayout(Deposito()).FormulaEtiquetas();
    const QString reporte = FC().RutaCarpeta(plataforma().CarpetaPrograma()) + QStringLiteral("ETIQUETA_POSIC01.rpt");
    QString t1, t2, t3, t4;
    TvPrint2::instancia().ImprimirReporte(reporte, parametros, formula, sesion().gCadenaODBC, t1, t2, t3, t4, QVariant(),
                                          QString(), QString(), QString());
}

void FrmMa_Posic::CmdCallAsistente_Click() {
    QString adicional;
    qint64 id = 0;
    MenuExes(QStringLiteral("shell:v_zormap_asistente"), adicional, id);
    if (id) asistente_ = id;
}

// Back from the layout wizard: once it has ended, the tree of the selected warehouse is built
// again, so the positions it wrote are there, and the position in the detail stays in sight.
void FrmMa_Posic::changeEvent(QEvent* evento) {
    QWidget::changeEvent(evento);
    if (evento->type() != QEvent::ActivationChange || !isActiveWindow() || asistente_ == 0) return;
    if (plataforma().ProgramaEnCurso(asistente_)) return;
    asistente_ = 0;
    const int i = FF().IndiceCampo(QStringLiteral("Idposicion"), txtfields);
    const QString codigo = Existe && i >= 0 ? txtfields[i]->text().trimmed() : QString();
    ArmarTreeVAutomatico();
    if (codigo.isEmpty()) return;
    const QModelIndex nodo = ModeloArbol->IndiceDeClave(QStringLiteral("A") + codigo);
    if (!nodo.isValid()) return;
    TreeView1->setCurrentIndex(nodo);
    TreeView1->scrollTo(nodo);
}

void FrmMa_Posic::CmdCallDiagrama_Click() {
    QString adicional;
    qint64 id = 0;
    MenuExes(QStringLiteral("shell:v_zormap_Diagrama"), adicional, id);
}

void FrmMa_Posic::ActualizarDatos() {
    QString codigo, script;
    QLineEdit* enProceso = nullptr;
    const PosicionesLayout posiciones(Deposito());
    auto& errores = []() -> driver::Errores& { return gBaseDatos().gCnn().Errors(); }();

    auto reportero = [&](const ErrorEjecucion& e, const QString&) -> int {
        ErrorValidacion = true;
        FC().Restablecer(0);
        const QString texto = QStringLiteral("Verifique las siguientes opciones: ") + CRLF + CRLF +
                              QStringLiteral("1) Ha ingresado letras donde debe ingresar numeros") + CRLF + CRLF +
                              QStringLiteral("2) Debe ingresar una fecha y el formato es incorrecto") + CRLF + CRLF +
                              QStringLiteral("En el campo: ") + FuncionesFormulario::Tag(enProceso) + QStringLiteral("/") +
                              FuncionesFormulario::DataField(enProceso);
        if (e.Number == errnum::WrongType) {
            plataforma().MsgBox(texto, vb::Critical, QStringLiteral("Error en conversion de datos"));
            if (enProceso) enProceso->setFocus();
            return 0;
        }
        if (errores.Count() > 0 && errores.Item(0).NativeError == 1010) {
            plataforma().MsgBox(texto, vb::Critical, QStringLiteral("Error en conversion de datos "));
            try {
                RsPosicion.CancelUpdate();
            } catch (const ErrorEjecucion&) {
            }
            errores.Clear();
            if (enProceso) enProceso->setFocus();
            return 0;
        }
        return Reportar(e, QStringLiteral("Actualizar Datos"));
    };

    std::vector<pasos::Paso> lista;
    lista.push_back(pasos::paso([&] {
        const int i = FF().IndiceCampo(QStringLiteral("IDPOSICION"), txtfields);
        codigo = i >= 0 ? txtfields[i]->text().trimmed() : QString();
    }));

    if (Borrando) {
        lista.push_back(pasos::paso([&]() -> bool {
            // An empty code would take the whole warehouse.
            if (!codigo.isEmpty()) return true;
            ErrorValidacion = true;
            plataforma().MsgBox(QStringLiteral(" Debe informar el Codigo!"), vb::Critical, kTituloAviso);
            return false;
        }));
        lista.push_back(pasos::paso([&] {
            const QString error = posiciones.Borrar(codigo);
            if (!error.isEmpty()) plataforma().MsgBox(error, vb::OKOnly, QString());
        }));
        lista.push_back(pasos::paso([&]() -> bool {
            Inicializa();
            return false;
        }));
        pasos::Ejecutar(QStringLiteral("Actualizar Datos"), reportero, lista);
        return;
    }

    // One field at a time, so that a value of the wrong type names its field.
    for (int i = 0; i < txtfields.size(); ++i) {
        lista.push_back(pasos::paso([&, i] {
            QLineEdit* campo = txtfields[i];
            enProceso = campo;
            const QString dato = FuncionesFormulario::DataField(campo).trimmed();
            AgregaCampo(dato, posiciones.ValorDeCampo(RsPosicion, dato, campo->text(), codigo), QStringLiteral("'"), i == 0);
        }));
    }
    lista.push_back(pasos::paso([&] {
        enProceso = nullptr;
        for (QCheckBox* c : std::as_const(ChkFields)) {
            const QString dato = FuncionesFormulario::DataField(c).trimmed();
            if (dato.isEmpty()) continue;
            const int v = c->checkState() == Qt::Checked ? 1 : c->checkState() == Qt::PartiallyChecked ? 2 : 0;
            AgregaCampo(dato, QString::number(v), QStringLiteral("'"), false);
        }
    }));
    lista.push_back(
        pasos::paso([&] { AgregaCampo(QStringLiteral("Iddeposito"), posiciones.Deposito(), QStringLiteral("'"), false); }));
    lista.push_back(pasos::paso([&] { script = posiciones.Sentencia(Tabla, codigo, Existe, EsNuevo); }));
    lista.push_back(pasos::paso([&] {
        const QString error = posiciones.Ejecutar(script);
        if (error.isEmpty()) return;
        ErrorValidacion = true;
        plataforma().MsgBox(error, vb::Critical, QStringLiteral("Aviso al operador"));
    }));
    pasos::Ejecutar(QStringLiteral("Actualizar Datos"), reportero, lista);
}

// ------------------------------------------------------------------------------------- field events

void FrmMa_Posic::txtfields_GotFocus(int indice) {
    QLineEdit* campo = txtfields.value(indice);
    if (!campo) return;
    FF().ColorearCampo(campo, sesion().gColorFondo, sesion().gColorLetra);
    CampoActual = indice;
    ControlActual = campo;
    UtilKit1->SetHabilitado(14, !FuncionesFormulario::Tag(campo).trimmed().isEmpty());
    campo->setSelection(0, static_cast<int>(campo->text().trimmed().size()));
}

void FrmMa_Posic::txtfields_LostFocus(int indice) {
    QLineEdit* campo = txtfields.value(indice);
    if (!campo) return;
    FF().ColorearCampo(campo, 16777215);
}

bool FrmMa_Posic::txtfields_KeyDown(int indice, int codigoTecla, int shift) {
    QLineEdit* campo = txtfields.value(indice);
    if (!campo) return false;
    ControlActual = campo;
    bool consumida = false;
    if (FF().EsTeclaAvance(codigoTecla) && shift == 0) {
        consumida = true;
        CampoValida(indice);
        if (!ErrorValidacion) FF().AvanzarFoco(codigoTecla);
    }
    // The lookup flag follows the field that has the focus: after an advance that is the next
    // field, whose own focus handler has already set it.
    QLineEdit* conFoco = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (!txtfields.contains(conFoco)) conFoco = campo;
    UtilKit1->SetHabilitado(14, !FuncionesFormulario::Tag(conFoco).trimmed().isEmpty());
    return consumida;
}

bool FrmMa_Posic::txtfields_KeyPress(int indice, QChar& caracter) {
    if (caracter.unicode() == teclas::Escape) return true;
    return FF().FiltrarTecla(txtfields.value(indice), caracter);
}

void FrmMa_Posic::txtfields_MouseDown(int indice, int boton) {
    CampoActual = indice;
    if (boton == 2) ConsultarCampo();
}

bool FrmMa_Posic::Form_KeyDown(int codigoTecla, int shift) {
    return UtilKit1->Tecla(codigoTecla, shift);
}

void FrmMa_Posic::Form_Unload(int& cancelar) {
    cancelar = 0;
    descargando_ = true;
    pasos::Silenciosos([&] { RegistraEgreso(); }, [&] { FC().Restablecer(0); },
                       [&] {
                           if (RsPosicion.State() != driver::adStateClosed) gBaseDatos().CierraRecordset(RsPosicion);
                       },
                       [&] { hide(); });
    plataforma().Terminar(0);
}

void FrmMa_Posic::closeEvent(QCloseEvent* evento) {
    if (descargando_) {
        evento->accept();
        return;
    }
    int cancelar = 0;
    Form_Unload(cancelar);
    if (cancelar) evento->ignore();
}

bool FrmMa_Posic::eventFilter(QObject* objeto, QEvent* evento) {
    switch (evento->type()) {
        case QEvent::KeyPress: {
            auto* w = qobject_cast<QWidget*>(objeto);
            auto* k = static_cast<QKeyEvent*>(evento);
            const int codigo = teclas::CodigoVB(k);
            const int shift = teclas::ShiftVB(k->modifiers());
            const int i = txtfields.indexOf(qobject_cast<QLineEdit*>(w));
            if (i >= 0) {
                if (txtfields_KeyDown(i, codigo, shift)) return true;
                const QString texto = k->text();
                if (texto.size() == 1 && texto[0].isPrint()) {
                    QChar c = texto[0];
                    if (!txtfields_KeyPress(i, c)) return true;
                    if (c != texto[0]) {
                        txtfields[i]->insert(QString(c));
                        return true;
                    }
                }
                return false;
            }
            if (w == TreeView1 && (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)) {
                TreeView1_NodeClick(TreeView1->currentIndex());
                return true;
            }
            return false;
        }
        case QEvent::FocusIn:
        case QEvent::FocusOut: {
            // A tree reached from the keyboard shows where it stands: its first node becomes the
            // current one when none is. Not when a click brings the focus: making the first node
            // current would scroll the tree to it before the press lands, on another node.
            if (objeto == TreeView1 && evento->type() == QEvent::FocusIn &&
                static_cast<QFocusEvent*>(evento)->reason() != Qt::MouseFocusReason && !TreeView1->currentIndex().isValid() &&
                ModeloArbol->rowCount() > 0)
                TreeView1->setCurrentIndex(ModeloArbol->index(0, 0));
            const int i = txtfields.indexOf(qobject_cast<QLineEdit*>(objeto));
            if (i < 0) return false;
            if (evento->type() == QEvent::FocusIn)
                txtfields_GotFocus(i);
            else
                txtfields_LostFocus(i);
            return false;
        }
        case QEvent::MouseButtonPress: {
            const int i = txtfields.indexOf(qobject_cast<QLineEdit*>(objeto));
            if (i < 0) return false;
            const auto b = static_cast<QMouseEvent*>(evento)->button();
            const int boton = b == Qt::LeftButton ? 1 : b == Qt::RightButton ? 2 : b == Qt::MiddleButton ? 4 : 0;
            txtfields_MouseDown(i, boton);
            return boton == 2;
        }
        default:
            return false;
    }
}
