#include "lookup/Lib_FrmCons3.h"

#include "core/Configuracion.h"
#include "core/Inicio.h"
#include "core/MostrarError.h"
#include "db/DB_Dll.h"
#include "db/driver/DialectoSqlite.h"
#include "lookup/AnchosConsulta.h"
#include "services/Conversiones.h"
#include "services/FuncionesComunes.h"
#include "services/FuncionesFormulario.h"
#include "services/Pasos.h"
#include "services/Plataforma.h"
#include "services/TeclasVB.h"

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTreeView>

namespace {

// Heights of the fixed bands, in twips.
constexpr double kAltoTitulo = 300, kAltoCaja = 315, kAltoFrame = 600, kAltoBarra = 255;
constexpr double kAnchoBoton = 1200, kAnchoBotonNuevo = 900;
// Above and below the buttons inside their frame.
constexpr double kMargenFrame = 90;
// Rows read between two chances for the window to repaint during a long load.
constexpr int kFilasPorRespiro = 4000;

QRect Rect(double x, double y, double w, double h) {
    return QRect(conv::Pixeles(x), conv::Pixeles(y), std::max(0, conv::Pixeles(w)), std::max(0, conv::Pixeles(h)));
}

// An exact decimal read from a field value: sign, integer digits without leading zeros, fraction
// digits without trailing zeros. Reorder points and stock are compared this way, never as doubles.
struct Decimal {
    bool negativo = false;
    QString entero, fraccion;
};

std::optional<Decimal> LeerDecimal(const QVariant& v) {
    if (v.isNull() || !v.isValid()) return std::nullopt;
    QString t = v.typeId() == QMetaType::Double ? QString::number(v.toDouble(), 'f', 6) : v.toString().trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    Decimal d;
    int i = 0;
    if (i < t.size() && (t.at(i) == QLatin1Char('-') || t.at(i) == QLatin1Char('+'))) d.negativo = t.at(i++) == QLatin1Char('-');
    const int inicio = i;
    while (i < t.size() && t.at(i).isDigit()) d.entero += t.at(i++);
    if (i < t.size() && t.at(i) == QLatin1Char('.')) {
        ++i;
        while (i < t.size() && t.at(i).isDigit()) d.fraccion += t.at(i++);
    }
    if (i == inicio || i != t.size()) return std::nullopt;
    while (d.entero.startsWith(QLatin1Char('0'))) d.entero.remove(0, 1);
    while (d.fraccion.endsWith(QLatin1Char('0'))) d.fraccion.chop(1);
    if (d.entero.isEmpty() && d.fraccion.isEmpty()) d.negativo = false;
    return d;
}

int CompararMagnitud(const Decimal& a, const Decimal& b) {
    if (a.entero.size() != b.entero.size()) return a.entero.size() < b.entero.size() ? -1 : 1;
    if (const int c = a.entero.compare(b.entero)) return c < 0 ? -1 : 1;
    const int n = static_cast<int>(std::max(a.fraccion.size(), b.fraccion.size()));
    const QString fa = a.fraccion.leftJustified(n, QLatin1Char('0')), fb = b.fraccion.leftJustified(n, QLatin1Char('0'));
    const int c = fa.compare(fb);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int Comparar(const Decimal& a, const Decimal& b) {
    if (a.negativo != b.negativo) return a.negativo ? -1 : 1;
    const int c = CompararMagnitud(a, b);
    return a.negativo ? -c : c;
}

const Decimal kCero;

QString Numero(double v, int decimales) {
    return QString::number(v, 'f', decimales);
}

}  // namespace

Lib_FrmCons3::Lib_FrmCons3(QWidget* padre) : QDialog(padre) {
    setObjectName(QStringLiteral("Lib_FrmCons3"));
    setWindowTitle(QStringLiteral("Consulta..."));
    modelo_ = new ModeloLista(this);

    Label1 = new QLabel(QStringLiteral("CONSULTA"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    CmdNuevo = new QPushButton(QStringLiteral("N&uevo"), this);
    CmdNuevo->setObjectName(QStringLiteral("CmdNuevo"));
    CmdNuevo->setFocusPolicy(Qt::NoFocus);

    picFields = new QWidget(this);
    picFields->setObjectName(QStringLiteral("picFields"));
    ListView1 = new QTreeView(picFields);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setModel(modelo_);
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setItemsExpandable(false);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListView1->header()->setSectionsClickable(true);
    ListView1->header()->setStretchLastSection(false);
    ListView1->installEventFilter(this);
    CrearCaja(0);

    HScroll1 = new QScrollBar(Qt::Horizontal, this);
    HScroll1->setObjectName(QStringLiteral("HScroll1"));
    HScroll1->setFocusPolicy(Qt::NoFocus);
    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto boton = [&](const char* nombre, const QString& texto) {
        auto* b = new QPushButton(texto, Frame1);
        b->setObjectName(QLatin1String(nombre));
        b->setAutoDefault(false);
        b->installEventFilter(this);
        return b;
    };
    CmdAceptar = boton("CmdAceptar", QStringLiteral("&Aceptar"));
    CmdCancelar = boton("CmdCancelar", QStringLiteral("&Cancelar"));
    CmdNueva = boton("CmdNueva", QStringLiteral("&Nueva Busqueda"));
    CmdTodos = boton("CmdTodos", QStringLiteral("&Marcar"));

    connect(CmdAceptar, &QPushButton::clicked, this, &Lib_FrmCons3::CmdAceptar_Click);
    connect(CmdCancelar, &QPushButton::clicked, this, &Lib_FrmCons3::CmdCancelar_Click);
    connect(CmdNueva, &QPushButton::clicked, this, &Lib_FrmCons3::CmdNueva_Click);
    connect(CmdTodos, &QPushButton::clicked, this, &Lib_FrmCons3::CmdTodos_Click);
    connect(CmdNuevo, &QPushButton::clicked, this, &Lib_FrmCons3::CmdNuevo_Click);
    connect(ListView1, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex&) { CmdAceptar_Click(); });
    connect(ListView1->header(), &QHeaderView::sectionClicked, this, [this](int columna) {
        // One direction for the whole list, flipped by every click: the first click sorts descending.
        orden_ = orden_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
        modelo_->sort(columna, orden_);
    });
    // A column the operator drags keeps its new width (in twips) for GrabarAnchos.
    connect(ListView1->header(), &QHeaderView::sectionResized, this, [this](int i, int, int nuevo) {
        if (i < anchos_.size() && conv::Pixeles(anchos_.at(i)) != nuevo) anchos_[i] = conv::Twips(nuevo);
    });
    connect(HScroll1, &QScrollBar::valueChanged, this, [this](int v) { picFields->move(-conv::Pixeles(v), picFields->y()); });

    resize(conv::Pixeles(7000), conv::Pixeles(6000));
}

Lib_FrmCons3::~Lib_FrmCons3() = default;

QString Lib_FrmCons3::ArchivoAnchos() {
    return FuncionesComunes::instancia().CarpetaPrograma() + QStringLiteral("CONSULTASLEN.TVX");
}

QComboBox* Lib_FrmCons3::CrearCaja(int i) {
    if (i < cajas_.size()) return cajas_.at(i);
    auto* c = new QComboBox(picFields);
    c->setObjectName(QStringLiteral("CmbSearch_%1").arg(i));
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setAccessibleName(QStringLiteral("Buscar"));
    c->installEventFilter(this);
    c->lineEdit()->installEventFilter(this);
    c->lineEdit()->setProperty("indiceCaja", i);
    c->setProperty("indiceCaja", i);
    connect(c, &QComboBox::editTextChanged, this, [this, i](const QString& t) { CajaCambiada(i, t); });
    if (i > 0) QWidget::setTabOrder(cajas_.at(i - 1), c);
    c->show();
    cajas_.append(c);
    return c;
}

void Lib_FrmCons3::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!cargada_) Cargar();
    // Keyboard first: typing goes straight to the first search box.
    if (auto* c = CmbSearch(0)) c->setFocus();
}

void Lib_FrmCons3::Cargar() {
    auto& fc = FuncionesComunes::instancia();
    cargada_ = true;
    std::unique_ptr<DB_Dll> propia;
    driver::Recordset rs;
    pasos::Pasos(
        QStringLiteral("FORM_LOAD"), ReportarMostrarError,
        [&] {
            EsArticulos = Sql.contains(QStringLiteral("articulos"), Qt::CaseInsensitive);
            Valores = QStringList();
            Cantidades = QVariantList();
            modelo_->Limpiar();
            QFont f = ListView1->font();
            f.setBold(true);
            f.setPointSize(10);
            ListView1->setFont(f);
        },
        [&] {
            if (!Sql.isEmpty()) return true;
            fc.PrepararVentana(this, false);
            return false;
        },
        [&] {
            if (!Sql.startsWith(QLatin1Char(' '))) Sql.prepend(QLatin1Char(' '));
            const auto m =
                QRegularExpression(QStringLiteral("\\bfrom\\s+(\\S+)"), QRegularExpression::CaseInsensitiveOption).match(Sql);
            TablaConsulta = m.hasMatch() ? m.captured(1).trimmed() : QString();
            if (SqlInicial.isEmpty()) SqlInicial = Sql;
            SqlBase = Sql;
        },
        [&] {
            if (UsarUDBC) {
                // A second, separate connection with the same session values as the shared one.
                auto& g = gBaseDatos();
                propia = std::make_unique<DB_Dll>();
                propia->gProveedor = g.gProveedor;
                propia->gServidor = g.gServidor;
                propia->gDBName = g.gDBName;
                propia->gUsuario = g.gUsuario;
                propia->gUserPassWord = g.gUserPassWord;
                propia->gConnString = g.gConnString;
                propia->OpenServerADODB(false, 3, QString(), false, false);
                propia->AbrirRecordset(Sql, rs, nullptr, driver::adOpenForwardOnly, driver::adLockReadOnly, -1, true);
            } else {
                gBaseDatos().AbrirRecordset(Sql, rs, nullptr, driver::adOpenForwardOnly, driver::adLockReadOnly, -1, true);
            }
        },
        [&] {
            modelo_->SetCasillas(CheckBoxes);
            CmdTodos->setVisible(CheckBoxes);  // nothing to mark in a list without check boxes
            Encolumnar(rs);
            Leer(rs);
            if (OrdenarPorLwv) modelo_->sort(0, orden_);
            if (!FiltroInicial.trimmed().isEmpty()) CmbSearch(0)->setEditText(FiltroInicial);
        },
        [&] {
            if (rs.State() != driver::adStateClosed) gBaseDatos().CierraRecordset(rs);
        },
        [&] {
            LeerAnchos();
            CalcularAncho();
            fc.PrepararVentana(this, false);
        });
}

void Lib_FrmCons3::Encolumnar(driver::Recordset& rs) {
    const int n = rs.FieldCount();
    const bool precios = Sql.contains(QStringLiteral("V_MA_ARTICULOS"), Qt::CaseInsensitive) ||
                         Sql.contains(QStringLiteral("STK_MA_ARTICULOS"), Qt::CaseInsensitive);
    // Widths are measured in the font the rows are drawn in (bold, 10 points), plus the cell's own
    // margins; a column is never narrower than its header.
    const QFontMetrics fm(ListView1->font());
    const QFontMetrics fmCabecera(ListView1->header()->font());
    const int margen = 2 * (ListView1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, ListView1) + 1) + 4;
    QStringList encabezados;
    anchos_.clear();
    caracteres_.clear();
    try {
        for (int f = 0; f < n; ++f) {
            const driver::Campo& campo = rs.Fields(f);
            int x = campo.DefinedSize;
            if (campo.Type == 6 || campo.Type == 131) x = 12;
            QComboBox* caja = CrearCaja(f);  // an existing box is reused
            caja->setProperty("Tag", campo.Name);
            caja->setVisible(true);
            if (x > 60) x = 60;
            QString encabezado = campo.Name;
            if (precios) {
                const auto m = QRegularExpression(QStringLiteral("^PRECIO([1-8])$"), QRegularExpression::CaseInsensitiveOption)
                                   .match(campo.Name);
                if (m.hasMatch()) encabezado = Cfg(QStringLiteral("NOM_PCLASE") + m.captured(1)).trimmed();
            } else if (ValoresDefault == QLatin1String("@10")) {
                x += 10;
            }
            if (x < 0) x = 0;
            encabezados.append(encabezado);
            // A screen reader names the box by the column it searches.
            caja->setAccessibleName(QStringLiteral("Buscar por ") + encabezado);
            caracteres_.append(x);
            const int filas = fm.horizontalAdvance(QString(x, QLatin1Char('X')));
            const int cabecera = fmCabecera.horizontalAdvance(encabezado) + margen;
            anchos_.append(conv::Twips(std::max(filas + margen, cabecera)));
        }
    } catch (const ErrorEjecucion& e) {
        plataforma().MsgBox(e.Description);
    }
    modelo_->Reiniciar(encabezados, {});
    for (int i = 0; i < anchos_.size(); ++i) ListView1->header()->resizeSection(i, conv::Pixeles(anchos_.at(i)));
}

void Lib_FrmCons3::Leer(driver::Recordset& rs) {
    auto& fc = FuncionesComunes::instancia();
    const int n = std::min<int>(rs.FieldCount(), static_cast<int>(modelo_->Encabezados().size()));
    const int filas = static_cast<int>(std::max(0L, rs.RecordCount()));
    const int iPunto = EsArticulos ? rs.IndiceCampo(QStringLiteral("PUNTOPEDIDO")) : -1;
    const int iStock = EsArticulos ? rs.IndiceCampo(QStringLiteral("Stock")) : -1;
    const int iDevuelto = CheckBoxes ? rs.IndiceCampo(CampoDevuelto.trimmed()) : -1;
    const bool colorear = MuestraStock.trimmed().compare(QStringLiteral("SI"), Qt::CaseInsensitive) == 0 && EsArticulos;
    const QVariant* niveles[] = {&StkNivel1, &StkNivel2, &StkNivel3, &StkNivel4};

    // The rows are read where the record set holds them, one at a time: copying every column out
    // first (GetRows) would double the memory a long list needs while it loads.
    QVector<ModeloLista::Fila> lista;
    lista.reserve(filas);
    cargando_ = true;
    if (filas > 0) rs.MoveFirst();
    for (int r = 0; !rs.EOF_(); ++r, rs.MoveNext()) {
        ModeloLista::Fila fila;
        fila.celdas.resize(n);
        // Stock level of an article row: which of the four colours, or none.
        int nivel = -1;
        if (iPunto >= 0 && iStock >= 0) {
            const auto punto = LeerDecimal(rs.Fields(iPunto).Value);
            const auto stock = LeerDecimal(rs.Fields(iStock).Value);
            if (punto && stock) {
                const int cp = Comparar(*punto, kCero), cs = Comparar(*stock, kCero), c = Comparar(*stock, *punto);
                if (cp == 0 && cs > 0)
                    nivel = 0;
                else if (cp > 0 && c > 0)
                    nivel = 1;
                else if (cp > 0 && c < 0)
                    nivel = 2;
                else
                    nivel = 3;
            } else {
                nivel = 3;  // NULL counts as no stock and no reorder point
            }
        }
        if (n > 0) fila.celdas[0] = fc.TextoCampo(rs.Fields(0).Value).trimmed();
        if (iDevuelto >= 0) {
            const QString v = fc.TextoCampo(rs.Fields(iDevuelto).Value).trimmed();
            if (!v.isEmpty() && ValoresDefault.contains(v, Qt::CaseInsensitive)) fila.marca = Qt::Checked;
        }
        for (int i = 1; i < n; ++i) fila.celdas[i] = fc.AjustarTexto(rs.Fields(i).Value);
        if (colorear && nivel >= 0) {
            // Black is the suite's "no colour": the list's own text colour, readable on any theme.
            const long color = static_cast<long>(niveles[nivel]->toLongLong());
            if ((color & 0xFFFFFF) != 0) fila.color = conv::ColorVB(color);
            fila.negrita = true;
        }
        lista.append(std::move(fila));
        if ((r + 1) % kFilasPorRespiro == 0) plataforma().ProcesarEventos();
    }
    cargando_ = false;
    modelo_->Reiniciar(modelo_->Encabezados(), std::move(lista));
}

void Lib_FrmCons3::SetAnchoColumna(int i, double twips) {
    if (i < 0 || i >= anchos_.size()) return;
    anchos_[i] = twips;
    ListView1->header()->resizeSection(i, conv::Pixeles(twips));
}

void Lib_FrmCons3::LeerAnchos() {
    const auto guardados = anchos::LeerAnchos(ArchivoAnchos(), TablaConsulta, static_cast<int>(anchos_.size()));
    if (!guardados) return;
    for (int i = 0; i < guardados->size(); ++i) SetAnchoColumna(i, guardados->at(i));
}

void Lib_FrmCons3::CalcularAncho() {
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    const double pantalla = s ? conv::Twips(s->availableGeometry().width()) : 1e9;
    const anchos::Calculo c = anchos::CalcularAncho(anchos_, pantalla);
    for (int i = 0; i < anchos_.size() && i < cajas_.size(); ++i)
        cajas_.at(i)->setGeometry(Rect(c.izquierdas.at(i), 0, c.anchosCajas.at(i), MedidasControles().altoCaja));
    ListView1->resize(conv::Pixeles(c.anchoLista), ListView1->height());
    picFields->resize(conv::Pixeles(c.anchoPic), picFields->height());
    HScroll1->resize(conv::Pixeles(c.anchoBarra), HScroll1->height());
    HScroll1->setMaximum(c.maximoBarra);
    FijarTamanoMinimo();
    resize(conv::Pixeles(std::max(c.anchoVentana, AnchoMinimo())), height());
}

void Lib_FrmCons3::FijarTamanoMinimo() {
    // Never so small that the buttons run into one another or the list disappears.
    const anchos::Medidas m = MedidasControles();
    const int fila = ListView1->fontMetrics().height() + 4;
    setMinimumSize(conv::Pixeles(AnchoMinimo()), conv::Pixeles(m.altoTitulo + m.altoCaja + m.altoBarra + m.altoFrame) +
                                                     ListView1->header()->sizeHint().height() + 3 * fila);
}

void Lib_FrmCons3::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    AplicarDisposicion();
}

void Lib_FrmCons3::AplicarDisposicion() {
    const anchos::Medidas m = MedidasControles();
    const anchos::Disposicion d = anchos::Redimensionar(conv::Twips(width()), conv::Twips(height()), m);
    picFields->setGeometry(Rect(conv::Twips(picFields->x()), m.altoTitulo, d.picAncho, d.picAlto));
    ListView1->setGeometry(Rect(0, m.altoCaja, d.listaAncho, d.listaAlto));
    Frame1->setGeometry(Rect(0, d.frameTop, d.frameAncho, m.altoFrame));
    HScroll1->setGeometry(Rect(60, d.barraTop, d.barraAncho, m.altoBarra));
    const double altoBoton = conv::Twips(CmdAceptar->sizeHint().height());
    const double y = (m.altoFrame - altoBoton) / 2;
    CmdAceptar->setGeometry(Rect(d.aceptarLeft, y, d.aceptarAncho, altoBoton));
    CmdCancelar->setGeometry(Rect(d.cancelarLeft, y, d.cancelarAncho, altoBoton));
    CmdNueva->setGeometry(Rect(d.nuevaLeft, y, m.anchoNueva, altoBoton));
    CmdTodos->setGeometry(Rect(d.aceptarLeft + d.aceptarAncho + 100, y, m.anchoAceptar, altoBoton));
    Label1->setGeometry(Rect(0, 0, d.labelAncho, m.altoTitulo));
    CmdNuevo->setGeometry(Rect(d.labelAncho, 0, m.anchoNuevo, m.altoTitulo));
}

anchos::Medidas Lib_FrmCons3::MedidasControles() const {
    // What the controls need in the style and font in use, never less than the suite's sizes.
    // The bottom buttons share one width, so that the suite's rule for "Nueva Busqueda" (placed
    // by the width of "Cancelar") keeps it inside the window.
    anchos::Medidas m;
    double boton = kAnchoBoton;
    for (const QPushButton* b : {CmdAceptar, CmdCancelar, CmdNueva, CmdTodos})
        boton = std::max(boton, conv::Twips(b->sizeHint().width()));
    m.anchoAceptar = m.anchoCancelar = m.anchoNueva = boton;
    m.anchoNuevo = std::max(kAnchoBotonNuevo, conv::Twips(CmdNuevo->sizeHint().width()));
    m.altoTitulo = std::max(kAltoTitulo, conv::Twips(CmdNuevo->sizeHint().height()));
    m.altoCaja = std::max(kAltoCaja, conv::Twips(CmbSearch(0) ? CmbSearch(0)->sizeHint().height() : 0));
    m.altoFrame = std::max(kAltoFrame, conv::Twips(CmdAceptar->sizeHint().height()) + 2 * kMargenFrame);
    m.altoBarra = std::max(kAltoBarra, conv::Twips(HScroll1->sizeHint().height()));
    m.nuevaVisible = !CmdNueva->isHidden();
    return m;
}

double Lib_FrmCons3::AnchoMinimo() const {
    // Aceptar (and Marcar) on the left, Cancelar in the middle, Nueva Busqueda on the right, with
    // room between them.
    const anchos::Medidas m = MedidasControles();
    const bool marcar = !CmdTodos->isHidden();
    return (marcar ? 5 : 3) * m.anchoAceptar + (marcar ? 700 : 500);
}

int Lib_FrmCons3::IndiceColumna(const QString& Columna) const {
    const QString c = Columna.trimmed();
    const QStringList& h = modelo_->Encabezados();
    for (int i = 0; i < h.size(); ++i)
        if (h.at(i).trimmed().compare(c, Qt::CaseInsensitive) == 0) return i + 1;
    return 0;
}

int Lib_FrmCons3::Busqueda(int Clave, const QString& QueValor) const {
    return modelo_->Buscar(Clave, QueValor) + 1;
}

void Lib_FrmCons3::Seleccionar(int fila) {
    const QModelIndex i = modelo_->index(fila, 0);
    if (!i.isValid()) return;
    ListView1->selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ListView1->scrollTo(i);
}

int Lib_FrmCons3::FilaSeleccionada() const {
    const QModelIndexList s = ListView1->selectionModel()->selectedRows();
    return s.isEmpty() ? -1 : s.first().row();
}

QString Lib_FrmCons3::ValorFila(int fila, const QString& columna) const {
    const int k = IndiceColumna(columna);
    if (k == 0) throw ErrorEjecucion(9, QStringLiteral("Subscript out of range"), kProyecto);
    return modelo_->Texto(fila, k - 1);
}

void Lib_FrmCons3::CajaCambiada(int i, const QString& texto) {
    if (cargando_) return;
    const int r = Busqueda(i, texto.trimmed());
    if (r > 0) Seleccionar(r - 1);
}

bool Lib_FrmCons3::eventFilter(QObject* objeto, QEvent* evento) {
    const QVariant indice = objeto->property("indiceCaja");
    if (evento->type() == QEvent::FocusIn && indice.isValid()) {
        IndiceBusqueda = indice.toInt();
        if (auto* c = CmbSearch(IndiceBusqueda)) {
            FuncionesFormulario::instancia().ColorearCampo(c->lineEdit(), 0xFFFF00);
        }
    } else if (evento->type() == QEvent::FocusOut && indice.isValid()) {
        if (auto* c = CmbSearch(indice.toInt())) {
            FuncionesFormulario::instancia().ColorearCampo(c->lineEdit(), 0xFFFFFF);
        }
    } else if (evento->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(evento);
        const int codigo = teclas::CodigoVB(k);
        const int shift = teclas::ShiftVB(k->modifiers());
        if (cargando_) return true;
        // The window sees key presses before its controls: F12 anywhere.
        if (codigo == teclas::F12) {
            if (EsArticulos) Faltante();
            return true;
        }
        if (codigo == teclas::Escape) {
            CmdCancelar_Click();
            return true;
        }
        if (indice.isValid()) {
            // A key in a box: that box is the one being searched, whatever the focus said.
            if (objeto->isWidgetType() && qobject_cast<QLineEdit*>(objeto)) IndiceBusqueda = indice.toInt();
            return TeclaCaja(indice.toInt(), codigo, shift);
        }
        if (objeto == ListView1) return TeclaLista(codigo, shift, k->text());
    }
    return QDialog::eventFilter(objeto, evento);
}

bool Lib_FrmCons3::TeclaCaja(int i, int codigo, int) {
    switch (codigo) {
        case teclas::F5:
            BusquedaF5(i);
            return true;
        case teclas::Arriba:
        case teclas::Abajo:
        case teclas::RePag:
        case teclas::AvPag:
            ListView1->setFocus();
            if (FilaSeleccionada() < 0 && modelo_->FilaCount() > 0) Seleccionar(0);
            return true;
        case teclas::Enter:
            CmdAceptar_Click();
            return true;
        default:
            return false;
    }
}

bool Lib_FrmCons3::TeclaLista(int codigo, int shift, const QString& texto) {
    if (codigo == teclas::Espacio && CheckBoxes) return false;  // the list toggles the check itself
    bool consumida = false;
    pasos::Pasos(QStringLiteral("ListView1_KeyDown"), ReportarMostrarError, [&] {
        if (codigo == teclas::Enter) {
            consumida = true;
            CmdAceptar_Click();
        } else if (codigo == teclas::Insertar && UsaCantidades) {
            consumida = true;
            Cantidad(shift & teclas::ShiftMask ? 0 : 1);
        } else if (codigo == teclas::Suprimir && UsaCantidades && !(shift & teclas::ShiftMask)) {
            consumida = true;
            Cantidad(-1);
        } else if (codigo == teclas::Retroceso ||
                   (!texto.isEmpty() && texto.at(0).isPrint() && !(shift & (teclas::CtrlMask | teclas::AltMask)))) {
            // Typing in the list goes on in the search box: printable characters are appended,
            // Backspace takes the last one away.
            consumida = true;
            QComboBox* c = CmbSearch(IndiceBusqueda) ? CmbSearch(IndiceBusqueda) : CmbSearch(0);
            QString t = c->currentText();
            if (codigo == teclas::Retroceso)
                t.chop(1);
            else
                t += texto;
            c->setFocus();
            c->setEditText(t);
        }
    });
    return consumida;
}

void Lib_FrmCons3::BusquedaF5(int i) {
    QComboBox* caja = CmbSearch(i);
    if (!caja) return;
    const QString sentencia = SqlBase.isEmpty() ? Sql : SqlBase;
    OrdenConsulta.clear();
    QString base = sentencia;
    // The clauses are looked for as SQL words only: never inside the literal of an earlier search,
    // which holds whatever the operator typed.
    const int orden = driver::dialecto::BuscarPalabras(sentencia, {QStringLiteral("order"), QStringLiteral("by")});
    if (orden >= 0) {
        OrdenConsulta = sentencia.mid(orden);
        base = sentencia.left(orden);
    }
    const int grupo = driver::dialecto::BuscarPalabras(sentencia, {QStringLiteral("group"), QStringLiteral("by")});
    if (grupo >= 0) {
        if (!sentencia.mid(grupo).trimmed().isEmpty()) OrdenConsulta = sentencia.mid(grupo);
        base = sentencia.left(grupo);
    }
    QString prefijo;
    if (base.contains(QStringLiteral("stk_ma_articulos"), Qt::CaseInsensitive)) prefijo = QStringLiteral("stk_ma_articulos.");
    if (base.contains(QStringLiteral("v_ma_articulos"), Qt::CaseInsensitive)) prefijo = QStringLiteral("v_ma_articulos.");
    const QString union_ = driver::dialecto::BuscarPalabras(sentencia, {QStringLiteral("where")}) >= 0
                               ? QStringLiteral(" and ")
                               : QStringLiteral(" where ");
    const QString campo = caja->property("Tag").toString();
    // The typed text goes into a quoted literal: single quotes are removed, as the suite does with
    // every value, so a quote can neither break the statement nor change what it asks.
    QString texto = caja->currentText();
    texto.remove(QLatin1Char('\''));
    QString nueva;
    if (CfgUsaConsultaLIKE) {
        nueva = base + union_ + prefijo + campo + QStringLiteral(" like '%") +
                QString(texto).replace(QLatin1Char(' '), QLatin1Char('%')) + QStringLiteral("%' ") + OrdenConsulta;
    } else {
        texto.replace(QLatin1Char('*'), QLatin1Char('%'));
        caja->setEditText(texto);
        nueva = base + union_ + prefijo + campo + QStringLiteral(" like '") + texto + QStringLiteral("%' ") + OrdenConsulta;
    }
    cargando_ = true;
    caja->setEditText(QString());
    cargando_ = false;
    SqlBase = nueva;
    Sql = nueva;
    Cargar();
}

void Lib_FrmCons3::Faltante() {
    const int fila = FilaSeleccionada();
    if (fila < 0) return;
    QString codigo, descripcion;
    try {
        codigo = ValorFila(fila, QStringLiteral("idarticulo"));
        descripcion = ValorFila(fila, QStringLiteral("Descripcion"));
    } catch (const ErrorEjecucion& e) {
        MostrarError(e, 18, QStringLiteral("Form_KeyDown"));
        return;
    }
    const QString pregunta = QStringLiteral("Desea informar el articulo ") + codigo.trimmed() + QStringLiteral(" ") +
                             descripcion.trimmed() + QStringLiteral("\n") + QStringLiteral("como un faltante de stock?");
    if (plataforma().MsgBox(pregunta, vb::YesNo + vb::Question, QStringLiteral("Atención!")) != vb::Yes) return;
    auto& fc = FuncionesComunes::instancia();
    auto limpio = [](QString t) { return t.remove(QLatin1Char('\'')); };
    const QString ahora = plataforma().Ahora().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    gBaseDatos().EjecutaConsultaSQL(
        QStringLiteral("INSERT INTO V_MV_FALTANTES (FechaHora,IdArticulo,Descripcion,Usuario) values('") + ahora +
        QStringLiteral("','") + limpio(fc.LimitarTexto(codigo.trimmed(), 25)) + QStringLiteral("','") +
        limpio(descripcion.trimmed()) + QStringLiteral("','") + limpio(gBaseDatos().gUsuario) + QStringLiteral("')"));
}

void Lib_FrmCons3::Cantidad(int modo) {
    const int fila = FilaSeleccionada();
    if (fila < 0) return;
    const int k = IndiceColumna(QStringLiteral("**Cantidad**"));
    if (k == 0) throw ErrorEjecucion(9, QStringLiteral("Subscript out of range"), kProyecto);
    const int columna = k - 1;
    auto& fc = FuncionesComunes::instancia();
    const double actual = fc.ValorNumerico(modelo_->Texto(fila, columna));
    if (modo == 0) {
        const auto r = plataforma().InputBox(QStringLiteral("Ingrese la Cantidad del Articulo..."),
                                             QStringLiteral("Carga de Datos"), modelo_->Texto(fila, columna));
        const double v = r ? fc.ValorNumerico(*r) : 0;
        modelo_->SetTexto(fila, columna, Numero(v, 2));
        modelo_->SetMarca(fila, Qt::Checked);
    } else if (modo > 0) {
        modelo_->SetTexto(fila, columna, Numero(actual + 1, 1));
        modelo_->SetMarca(fila, Qt::Checked);
    } else {
        const double v = actual - 1;
        modelo_->SetTexto(fila, columna, Numero(v, 1));
        if (!(v > 0)) {
            modelo_->SetMarca(fila, Qt::Unchecked);
            modelo_->SetTexto(fila, columna, QStringLiteral("0.00"));
        }
    }
}

void Lib_FrmCons3::CmdAceptar_Click() {
    int fila = -1;
    pasos::Pasos(
        QStringLiteral("CmdAceptar_Click"), ReportarMostrarError,
        [&] {
            Valores = QStringList();
            if (CheckBoxes) {
                if (CampoDevuelto.isEmpty() && !modelo_->Encabezados().isEmpty()) CampoDevuelto = modelo_->Encabezados().first();
                const int k = IndiceColumna(CampoDevuelto);
                if (k == 0) return false;
                for (int r = 0; r < modelo_->FilaCount(); ++r)
                    if (modelo_->FilaEn(r).marca == Qt::Checked) Valores->append(modelo_->Texto(r, k - 1));
                return false;
            }
            fila = FilaSeleccionada();
            return true;
        },
        [&] {
            if (fila < 0) return;
            if (CmpsDevueltos)
                for (const QString& c : *CmpsDevueltos) Valores->append(ValorFila(fila, c));
            const int k = CampoDevuelto.trimmed().isEmpty() ? 0 : IndiceColumna(CampoDevuelto);
            if (k > 0)
                ValorDevuelto = modelo_->Texto(fila, k - 1);
            else
                ValorDevuelto = Valores->isEmpty() ? QString() : Valores->last();
        });
    hide();
}

void Lib_FrmCons3::CmdCancelar_Click() {
    ValorDevuelto.clear();
    Valores.reset();
    CmpsDevueltos = nullptr;
    hide();
}

void Lib_FrmCons3::reject() {
    CmdCancelar_Click();
}

void Lib_FrmCons3::CmdNueva_Click() {
    Sql = SqlInicial;
    Cargar();
    if (auto* c = CmbSearch(0)) c->setFocus();
}

void Lib_FrmCons3::CmdTodos_Click() {
    for (int r = 0; r < modelo_->FilaCount(); ++r)
        modelo_->SetMarca(r, modelo_->FilaEn(r).marca == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void Lib_FrmCons3::CmdNuevo_Click() {
    const QString t = TablaConsulta.trimmed().toUpper();
    QString programa = QStringLiteral("SHELL:V_TA_TABLAS"), parametro = TablaConsulta.trimmed();
    if (t == QLatin1String("VT_CLIENTES"))
        programa = QStringLiteral("SHELL:V_MA_CLIENTES"), parametro = QStringLiteral("1");
    else if (t == QLatin1String("VT_PROVEEDORES"))
        programa = QStringLiteral("SHELL:V_MA_CLIENTES"), parametro = QStringLiteral("0");
    else if (t == QLatin1String("V_TA_TECNICOS"))
        programa = QStringLiteral("SHELL:V_TA_Tecnicos"), parametro.clear();
    else if (t == QLatin1String("V_TA_VENDEDORES"))
        programa = QStringLiteral("SHELL:V_TA_VENDEDORES"), parametro.clear();
    else if (t == QLatin1String("V_MA_ARTICULOS") || t == QLatin1String("VT_MA_ARTICULOS"))
        programa = QStringLiteral("SHELL:V_MA_ARTICULOS"), parametro.clear();
    qint64 pid = 0;
    MenuExes(programa, parametro, pid);
}

void Lib_FrmCons3::PrepararOpciones(const QString& Titulo, const QStringList& textos, const QVector<bool>& marcas,
                                    double anchoTwips) {
    QVector<ModeloLista::Fila> filas;
    for (int i = 0; i < textos.size(); ++i) {
        ModeloLista::Fila f;
        f.celdas = {textos.at(i)};
        f.marca = i < marcas.size() && marcas.at(i) ? Qt::Checked : Qt::Unchecked;
        filas.append(std::move(f));
    }
    modelo_->SetCasillas(CheckBoxes);
    CmdTodos->setVisible(CheckBoxes);
    FijarTamanoMinimo();
    modelo_->Reiniciar({Titulo}, std::move(filas));
    resize(conv::Pixeles(std::max(anchoTwips, AnchoMinimo())), height());
    const double lista = conv::Twips(ListView1->width());
    anchos_ = {lista};
    caracteres_ = {0};
    ListView1->header()->resizeSection(0, ListView1->width());
    CmbSearch(0)->setGeometry(Rect(0, 0, lista, MedidasControles().altoCaja));
    CmbSearch(0)->setProperty("Tag", Titulo);
}

void Lib_FrmCons3::Descargar() {
    UsarUDBC = false;
    try {
        if (GrabarCfg && !TablaConsulta.isEmpty()) {
            QString error;
            if (!anchos::GrabarAnchos(ArchivoAnchos(), TablaConsulta, anchos_, &error))
                throw ErrorEjecucion(75, error, kProyecto);
        }
    } catch (const ErrorEjecucion& e) {
        plataforma().MsgBox(e.Description, vb::Critical, QStringLiteral("Aviso al Operador"));
    }
    modelo_->Limpiar();
}
