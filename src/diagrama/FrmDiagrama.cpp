#include "diagrama/FrmDiagrama.h"

#include "core/Dll_Display.h"
#include "core/Inicio.h"
#include "core/Login.h"
#include "diagrama/DetallePosicion.h"
#include "diagrama/LecturaDeposito.h"
#include "diagrama/SalidaDiagrama.h"
#include "diagrama/VistaDiagrama.h"
#include "layout/FrmMa_Posic.h"
#include "layout/QDL_RTLocator.h"
#include "layout/SelectorDeposito.h"
#include "services/FuncionesComunes.h"
#include "services/Pasos.h"
#include "services/Plataforma.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

namespace diagrama {

namespace {

const QString kTitulo = QStringLiteral("Diagrama de Layout");
const QString kTituloAviso = QStringLiteral("Aviso al operador...");
// After a failed look at the database (a lost connection says so in a box), the next look on
// activation waits this long: closing that box activates the window again.
constexpr qint64 kEsperaTrasFallo = 5000;

FuncionesComunes& FC() {
    return FuncionesComunes::instancia();
}

QString Recortado(QStringView texto, qsizetype largo) {
    const QStringView t = texto.trimmed();
    return t.size() <= largo ? t.toString() : t.left(largo).toString() + QStringLiteral("…");
}

}  // namespace

// ------------------------------------------------------------------------------------- legend

LeyendaDiagrama::LeyendaDiagrama(const LayoutDeposito& layout, QWidget* padre) : QWidget(padre), layout_(layout) {
    setObjectName(QStringLiteral("Leyenda"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize LeyendaDiagrama::sizeHint() const {
    return QSize(600, fontMetrics().height() * 2);
}

void LeyendaDiagrama::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    PintorDiagrama::PintarLeyenda(p, QRectF(rect()).adjusted(4, 2, -4, -2), PaletaDiagrama(palette()), &layout_);
}

// ------------------------------------------------------------------------------------- window

FrmDiagrama::FrmDiagrama(bool iniciarAplicacion, QWidget* padre) : QWidget(padre) {
    setObjectName(QStringLiteral("FrmDiagrama"));
    ConstruirVentana();
    Form_Load(iniciarAplicacion);
}

FrmDiagrama::~FrmDiagrama() = default;

int FrmDiagrama::Reportar(const ErrorEjecucion& e, const QString& rutina) const {
    return FC().ErrorRutina(e, rutina);
}

QString FrmDiagrama::Titulo() const {
    const QString d = DescripcionDeposito(CmbDeposito);
    return d.isEmpty() ? kTitulo : kTitulo + QStringLiteral(" - ") + d;
}

void FrmDiagrama::ConstruirVentana() {
    setWindowTitle(kTitulo);
    resize(1200, 780);

    CmbDeposito = NuevoSelectorDeposito(this, 24);
    auto* lblDeposito = new QLabel(QStringLiteral("&Deposito"), this);
    lblDeposito->setBuddy(CmbDeposito);

    TxtBuscar = new QLineEdit(this);
    TxtBuscar->setObjectName(QStringLiteral("TxtBuscar"));
    TxtBuscar->setPlaceholderText(QStringLiteral("Código o parte de la descripción"));
    TxtBuscar->setClearButtonEnabled(true);
    TxtBuscar->setMinimumWidth(220);
    TxtBuscar->setToolTip(QStringLiteral("Enter o F3: la siguiente; Mayús+F3: la anterior"));
    auto* lblBuscar = new QLabel(QStringLiteral("&Buscar"), this);
    lblBuscar->setBuddy(TxtBuscar);

    auto boton = [this](const char* nombre, const QString& texto, const QString& ayuda) {
        auto* b = new QPushButton(texto, this);
        b->setObjectName(QString::fromLatin1(nombre));
        b->setToolTip(ayuda);
        b->setAutoDefault(false);
        return b;
    };
    CmdSiguiente = boton("CmdSiguiente", QStringLiteral("&Siguiente"), QStringLiteral("La siguiente coincidencia (F3)"));
    CmdAnterior = boton("CmdAnterior", QStringLiteral("An&terior"), QStringLiteral("La coincidencia anterior (Mayús+F3)"));
    CmdAjustar = boton("CmdAjustar", QStringLiteral("A&justar"), QStringLiteral("Todo el depósito en la ventana (0, Ctrl+0)"));
    CmdImprimir = boton("CmdImprimir", QStringLiteral("&Imprimir o exportar..."),
                        QStringLiteral("A una impresora, un PDF, una imagen PNG o un dibujo SVG (Ctrl+P)"));
    CmdActualizar = boton("CmdActualizar", QStringLiteral("Actuali&zar"), QStringLiteral("Leer otra vez el depósito (F5)"));
    CmdCerrar = boton("CmdCerrar", QStringLiteral("&Cerrar"), QStringLiteral("Terminar el diagrama"));
    auto herramienta = [this](const char* nombre, const QString& texto, const QString& ayuda) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(nombre));
        b->setText(texto);
        b->setToolTip(ayuda);
        b->setAccessibleName(ayuda);
        b->setFocusPolicy(Qt::TabFocus);
        return b;
    };
    CmdAcercar = herramienta("CmdAcercar", QStringLiteral("+"), QStringLiteral("Acercar (+, Ctrl++)"));
    CmdAlejar = herramienta("CmdAlejar", QStringLiteral("−"), QStringLiteral("Alejar (-, Ctrl+-)"));

    Vista = new VistaDiagrama(geometria_, pintor_, this);
    Vista->setObjectName(QStringLiteral("Vista"));
    Vista->setMinimumSize(320, 240);
    Vista->FijarTextoNodo([this](int n) { return TextoFila(n); });

    Detalle = new DetallePosicion(this);
    auto* desplazable = new QScrollArea(this);
    desplazable->setObjectName(QStringLiteral("DesplazableDetalle"));
    desplazable->setWidget(Detalle);
    desplazable->setWidgetResizable(true);
    desplazable->setFrameShape(QFrame::NoFrame);
    desplazable->setFocusPolicy(Qt::NoFocus);
    desplazable->setMinimumWidth(300);

    Divisor = new QSplitter(Qt::Horizontal, this);
    Divisor->setObjectName(QStringLiteral("Divisor"));
    Divisor->addWidget(Vista);
    Divisor->addWidget(desplazable);
    Divisor->setStretchFactor(0, 3);
    Divisor->setStretchFactor(1, 1);
    Divisor->setSizes({860, 340});
    Divisor->setChildrenCollapsible(false);

    Leyenda = new LeyendaDiagrama(layout_, this);
    LblFila = new QLabel(this);
    LblFila->setObjectName(QStringLiteral("LblFila"));
    LblFila->setTextFormat(Qt::PlainText);
    LblFila->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    // Empty or not, the line keeps its height: the drawing above it does not jump.
    LblFila->setMinimumHeight(LblFila->fontMetrics().height() + 2);
    LblEstado = new QLabel(this);
    LblEstado->setObjectName(QStringLiteral("LblEstado"));
    LblEstado->setTextFormat(Qt::PlainText);
    LblEstado->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Configured titles can be long: the line is cut, the window does not grow.
    LblEstado->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    LblEstado->setMinimumHeight(LblEstado->fontMetrics().height() + 2);

    LblAvisos = new QLabel(this);
    LblAvisos->setObjectName(QStringLiteral("LblAvisos"));
    LblAvisos->setTextFormat(Qt::PlainText);
    LblAvisos->setWordWrap(true);
    LblAvisos->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    QFont negrita = LblAvisos->font();
    negrita.setBold(true);
    LblAvisos->setFont(negrita);
    LblAvisos->hide();

    auto* cabecera = new QHBoxLayout;
    cabecera->addWidget(lblDeposito);
    cabecera->addWidget(CmbDeposito, 1);
    cabecera->addSpacing(12);
    cabecera->addWidget(lblBuscar);
    cabecera->addWidget(TxtBuscar, 1);
    cabecera->addWidget(CmdSiguiente);
    cabecera->addWidget(CmdAnterior);
    cabecera->addSpacing(12);
    cabecera->addWidget(CmdAcercar);
    cabecera->addWidget(CmdAlejar);
    cabecera->addWidget(CmdAjustar);
    cabecera->addSpacing(12);
    cabecera->addWidget(CmdImprimir);
    cabecera->addWidget(CmdActualizar);
    cabecera->addWidget(CmdCerrar);
    auto* pie = new QHBoxLayout;
    pie->addWidget(LblFila, 3);
    pie->addWidget(LblEstado, 2);

    auto* raiz = new QVBoxLayout(this);
    raiz->addLayout(cabecera);
    raiz->addWidget(LblAvisos);
    raiz->addWidget(Divisor, 1);
    raiz->addWidget(Leyenda);
    raiz->addLayout(pie);

    // Tab order: the row of commands left to right, the drawing, the detail.
    QWidget* orden[] = {CmbDeposito, TxtBuscar,   CmdSiguiente,  CmdAnterior, CmdAcercar, CmdAlejar,
                        CmdAjustar,  CmdImprimir, CmdActualizar, CmdCerrar,   Vista,      Detalle->txtfields.first()};
    for (size_t i = 1; i < std::size(orden); ++i) setTabOrder(orden[i - 1], orden[i]);

    connect(CmbDeposito, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (i >= 0) CambiarDeposito();
    });
    connect(TxtBuscar, &QLineEdit::textEdited, this, [this] { Buscar(); });
    connect(TxtBuscar, &QLineEdit::returnPressed, this, [this] { Siguiente(1); });
    connect(CmdSiguiente, &QPushButton::clicked, this, [this] { Siguiente(1); });
    connect(CmdAnterior, &QPushButton::clicked, this, [this] { Siguiente(-1); });
    connect(CmdAcercar, &QToolButton::clicked, this, [this] { Vista->Acercar(VistaDiagrama::kPaso); });
    connect(CmdAlejar, &QToolButton::clicked, this, [this] { Vista->Acercar(1 / VistaDiagrama::kPaso); });
    connect(CmdAjustar, &QPushButton::clicked, this, [this] { Vista->Ajustar(); });
    connect(CmdImprimir, &QPushButton::clicked, this, [this] { ImprimirExportar(); });
    connect(CmdActualizar, &QPushButton::clicked, this, [this] { Actualizar(false); });
    connect(CmdCerrar, &QPushButton::clicked, this, [this] { close(); });
    connect(Vista, &VistaDiagrama::NodoElegido, this, [this](int n) { Elegir(n, false); });
    connect(Vista, &VistaDiagrama::NodoBajoPuntero, this,
            [this](int n) { LblFila->setText(TextoFila(n >= 0 ? n : Vista->Seleccionado())); });
    connect(Vista, &VistaDiagrama::EscalaCambiada, this, [this] { MostrarEstado(); });

    auto atajo = [this](const QKeySequence& k, auto&& f) {
        auto* s = new QShortcut(k, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, std::forward<decltype(f)>(f));
    };
    atajo(QKeySequence(Qt::Key_F5), [this] { Actualizar(false); });
    atajo(QKeySequence(Qt::Key_F3), [this] { Siguiente(1); });
    atajo(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { Siguiente(-1); });
    atajo(QKeySequence::Find, [this] {
        TxtBuscar->setFocus(Qt::ShortcutFocusReason);
        TxtBuscar->selectAll();
    });
    atajo(QKeySequence::Print, [this] { ImprimirExportar(); });
    atajo(QKeySequence::ZoomIn, [this] { Vista->Acercar(VistaDiagrama::kPaso); });
    atajo(QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { Vista->Acercar(VistaDiagrama::kPaso); });
    atajo(QKeySequence::ZoomOut, [this] { Vista->Acercar(1 / VistaDiagrama::kPaso); });
    atajo(QKeySequence(Qt::CTRL | Qt::Key_0), [this] { Vista->Ajustar(); });
}

// ------------------------------------------------------------------------------------- start-up

void FrmDiagrama::Form_Load(bool iniciarAplicacion) {
    const auto reportero = pasos::AlArrancar([this](const ErrorEjecucion& e, const QString& rutina) { Reportar(e, rutina); });
    pasos::Pasos(
        QStringLiteral("Form_Load"), reportero,
        [&] {
            if (!iniciarAplicacion) return;
            QString cadena;
            IniciarAplicacion(false, QString(), cadena, 3);
        },
        [&] { AplicaEstiloVentana(this); }, [&] { FC().PrepararVentana(this); }, [&] { ActualizarNivelesLayout(); },
        [&] { CargarDepositos(); },
        [&] {
            if (CmbDeposito->count() > 0) {
                CmbDeposito->setCurrentIndex(0);  // reads it
                return;
            }
            // Nothing to draw: say so, as the editor does.
            MostrarEstado();
            plataforma().MsgBox(FrmMa_Posic::MensajeSinDepositos(), vb::Exclamation, kTituloAviso);
        },
        [&] { FC().Restablecer(0); });
    TxtBuscar->setFocus(Qt::OtherFocusReason);
}

void FrmDiagrama::Form_Unload() {
    descargando_ = true;
    pasos::Silenciosos([&] { RegistraEgreso(); }, [&] { FC().Restablecer(0); }, [&] { hide(); });
    plataforma().Terminar(0);
}

void FrmDiagrama::closeEvent(QCloseEvent* e) {
    if (descargando_) {
        e->accept();
        return;
    }
    Form_Unload();
}

bool FrmDiagrama::event(QEvent* e) {
    // The editor may have saved positions meanwhile: when the window comes back to the front, the
    // database is asked whether the warehouse changed (after the activation is through).
    if (e->type() == QEvent::WindowActivate) QTimer::singleShot(0, this, [this] { RevisarCambios(); });
    return QWidget::event(e);
}

void FrmDiagrama::CargarDepositos() {
    ::CargarDepositos(CmbDeposito);
}

QString FrmDiagrama::Deposito() const {
    return DepositoElegido(CmbDeposito);
}

void FrmDiagrama::CambiarDeposito() {
    TxtBuscar->clear();
    Actualizar(true);
}

// ------------------------------------------------------------------------------------- reading

bool FrmDiagrama::Actualizar(bool ajustar) {
    if (leyendo_ || CmbDeposito->count() == 0) return false;
    leyendo_ = true;
    const QString deposito = Deposito();
    // Taken before the rows: a save that lands while they are read shows as a change next time.
    const Firma firma = FirmaDeposito(deposito);
    const qint64 cantidad = firma.filas;
    const bool cartel = cantidad >= kFilasConCartel;
    if (cartel) {
        gDisplay().CartelInicio(QStringLiteral("Leyendo el depósito"), true);
        bool c = false;
        gDisplay().CartelMostrar(c, DescripcionDeposito(CmbDeposito), QStringLiteral("%1 posiciones").arg(cantidad),
                                 QStringLiteral("Espere por favor"));
    }
    LayoutDeposito nuevo;
    const bool leido = LeerDeposito(deposito, nuevo, [&](qint64 hechas, qint64 total) {
        if (!cartel) return true;
        bool cancelado = false;
        gDisplay().CartelMostrar(cancelado, QVariant(), QStringLiteral("%1 de %2 posiciones").arg(hechas).arg(total));
        return !cancelado;
    });
    if (cartel) gDisplay().CartelCerrar();
    leyendo_ = false;
    ultimaRevision_.restart();
    if (!leido) {
        // The selector goes back to the warehouse the drawing still shows.
        if (!depositoLeido_.isEmpty()) {
            const QSignalBlocker b(CmbDeposito);
            CmbDeposito->setCurrentIndex(CmbDeposito->findText(depositoLeido_, Qt::MatchEndsWith));
        }
        LblEstado->setText(depositoLeido_.isEmpty() ? QStringLiteral("No se leyó el depósito.")
                                                    : QStringLiteral("No se leyó el depósito: se muestra la lectura anterior."));
        return false;
    }
    const bool mismo = deposito == depositoLeido_;
    const QString elegido = mismo && !ajustar && Vista->Seleccionado() >= 0 && layout_.EsPosicion(Vista->Seleccionado())
                                ? layout_.Codigo(Vista->Seleccionado()).toString()
                                : QString();
    layout_ = std::move(nuevo);
    geometria_.Calcular(layout_);
    depositoLeido_ = deposito;
    firma_ = firma;
    coincidencias_.clear();
    actual_ = -1;
    Vista->Renovar(ajustar || !mismo);
    const int n = elegido.isEmpty() ? -1 : layout_.Buscar(elegido);
    if (n >= 0)
        Elegir(n, false);
    else
        Elegir(-1, false);
    Leyenda->update();
    MostrarEstado();
    return true;
}

void FrmDiagrama::RevisarCambios() {
    if (leyendo_ || descargando_ || depositoLeido_.isEmpty() || depositoLeido_ != Deposito()) return;
    if (fallo_ && ultimaRevision_.isValid() && ultimaRevision_.elapsed() < kEsperaTrasFallo) return;
    leyendo_ = true;
    const Firma firma = FirmaDeposito(depositoLeido_);
    leyendo_ = false;
    ultimaRevision_.restart();
    fallo_ = !firma.Conocida();
    if (!fallo_ && !(firma == firma_)) Actualizar(false);
}

// ------------------------------------------------------------------------------------- status

QString FrmDiagrama::TextoFila(int n) const {
    if (n < 0 || n >= layout_.Cantidad()) return QString();
    const LayoutDeposito& l = layout_;
    if (!l.EsPosicion(n)) {
        const QString c = l.Codigo(n).toString();
        return (c.isEmpty() ? QString() : c + QStringLiteral(" · ")) + l.Descripcion(n).toString();
    }
    QStringList partes;
    partes << (l.Nivel(n) > 0 ? l.TituloNivel(l.Nivel(n)) + QLatin1Char(' ') : QString()) + l.Codigo(n).toString();
    const QString d = Recortado(l.Descripcion(n), 80);
    if (!d.isEmpty()) partes << d;
    const quint8 m = l.Marcas(n);
    QStringList estado;
    if (m & MarcaTitulo) {
        estado << NombreEstado(Estado::Titulo);
    } else {
        if (m & MarcaBloqueado) estado << NombreEstado(Estado::Bloqueado);
        if (m & MarcaCompleta) estado << NombreEstado(Estado::Completa);
        if (m & MarcaReservado) estado << NombreEstado(Estado::Reservado);
        if (m & MarcaConReserva) estado << QStringLiteral("con reserva");
        if (m & MarcaPicking) estado << NombreEstado(Estado::Picking);
        if (estado.isEmpty()) estado << NombreEstado(Estado::Libre);
    }
    partes << estado.join(QStringLiteral(", "));
    const QString capacidad = PintorDiagrama::TextoCapacidad(l, n);
    if (!capacidad.isEmpty() && !(m & MarcaTitulo)) partes << QStringLiteral("Capacidad ") + capacidad;
    if (l.ClaseNodo(n) == Clase::SinNivelSuperior)
        partes << QStringLiteral("sin nivel superior (falta %1)").arg(l.PadreFaltante(n));
    else if (l.ClaseNodo(n) == Clase::Irregular)
        partes << QStringLiteral("código fuera de los niveles");
    return partes.join(QStringLiteral(" · "));
}

void FrmDiagrama::MostrarEstado() {
    QString t;
    if (CmbDeposito->count() == 0) {
        t = QStringLiteral("No hay depósitos definidos.");
    } else if (layout_.Vacio()) {
        t = QStringLiteral("Sin posiciones");
    } else {
        QStringList cuentas;
        for (int rol = 1; rol <= 4; ++rol)
            if (layout_.CantidadConRol(rol) > 0)
                cuentas << QStringLiteral("%1 %2").arg(layout_.CantidadConRol(rol)).arg(layout_.PluralRol(rol));
        t = cuentas.join(QStringLiteral(", "));
        if (layout_.CantidadFuera() > 0) t += QStringLiteral(" · %1 fuera de los niveles").arg(layout_.CantidadFuera());
    }
    t += QStringLiteral(" · zoom %1 %").arg(std::lround(Vista->Escala() * 100));
    LblEstado->setText(t);
    const QStringList avisos = CmbDeposito->count() > 0 ? layout_.Avisos() : QStringList();
    LblAvisos->setText(avisos.isEmpty() ? QString() : QStringLiteral("⚠ ") + avisos.join(QLatin1Char(' ')));
    LblAvisos->setVisible(!avisos.isEmpty());
}

// ------------------------------------------------------------------------------------- find

void FrmDiagrama::Buscar() {
    const QString texto = TxtBuscar->text();
    coincidencias_ = layout_.Coincidencias(texto);
    actual_ = -1;
    if (!coincidencias_.empty()) {
        Siguiente(1);
        return;
    }
    LblFila->setText(texto.trimmed().isEmpty() ? TextoFila(Vista->Seleccionado())
                                               : QStringLiteral("No se encontró «%1» en el depósito.").arg(Recortado(texto, 40)));
}

void FrmDiagrama::Siguiente(int paso) {
    if (coincidencias_.empty()) {
        if (!TxtBuscar->text().trimmed().isEmpty()) Buscar();
        return;
    }
    const int n = static_cast<int>(coincidencias_.size());
    actual_ = ((actual_ < 0 && paso < 0 ? 0 : actual_) + paso % n + n) % n;
    const int nodo = coincidencias_[static_cast<size_t>(actual_)];
    const QString lugar = QStringLiteral("%1 de %2: ").arg(actual_ + 1).arg(n);
    if (Elegir(nodo, true)) LblFila->setText(lugar + TextoFila(nodo));
}

bool FrmDiagrama::Elegir(int nodo, bool centrar) {
    const quint64 esta = ++eleccion_;
    Vista->Seleccionar(nodo);
    if (centrar && nodo >= 0) Vista->Centrar(nodo);
    Detalle->Mostrar(layout_, nodo, depositoLeido_);
    if (esta != eleccion_) return false;
    LblFila->setText(TextoFila(nodo));
    return true;
}

// ------------------------------------------------------------------------------------- print

void FrmDiagrama::ImprimirExportar() {
    if (layout_.Vacio()) {
        plataforma().MsgBox(QStringLiteral("El depósito no tiene posiciones: no hay nada que imprimir."), vb::Information,
                            kTituloAviso);
        return;
    }
    DialogoSalida dialogo(geometria_.Limites(), Vista->ZonaVisible(), geometria_.Cortes(), this);
    plataforma().MostrarModal(&dialogo);
    if (dialogo.result() == QDialog::Accepted) Imprimir(dialogo.Elegidas());
}

bool FrmDiagrama::Imprimir(const DialogoSalida::Opciones& o) {
    using Destino = DialogoSalida::Destino;
    QRectF zona = o.todo ? geometria_.Limites() : Vista->ZonaVisible();
    if (zona.isEmpty()) zona = geometria_.Limites();
    const SalidaDiagrama salida(geometria_, pintor_, Titulo());
    const bool hojas = o.destino == Destino::Impresora || o.destino == Destino::Pdf;
    const PlanHojas plan = hojas ? PlanificarHojas(zona, o.papel, o.varias, geometria_.Cortes()) : PlanHojas();
    if (hojas && plan.Demasiadas()) {
        plataforma().MsgBox(QStringLiteral("Serían %1 hojas, más de las %2 que se imprimen de una vez.\r\n"
                                           "Elija una sola hoja o la parte visible.")
                                .arg(plan.Cantidad())
                                .arg(PlanHojas::kMaximoHojas),
                            vb::Exclamation, kTituloAviso);
        return false;
    }
    // The banner shows the work and takes the cancel.
    auto avance = [&](const QString& unidad) {
        return [unidad](int hecho, int total) {
            bool cancelado = false;
            gDisplay().CartelMostrar(cancelado, QVariant(),
                                     QStringLiteral("%1 %2 de %3").arg(unidad).arg(std::min(hecho + 1, total)).arg(total));
            return !cancelado;
        };
    };
    auto informar = [&](SalidaDiagrama::Fin fin, const QString& archivo, const QString& error) {
        if (fin == SalidaDiagrama::Fin::Hecho) {
            LblEstado->setText(QStringLiteral("Se guardó «%1».").arg(QFileInfo(archivo).fileName()));
            plataforma().AbrirDocumento(archivo, 1);
            return true;
        }
        if (fin == SalidaDiagrama::Fin::Cancelado)
            plataforma().MsgBox(QStringLiteral("Se canceló: no se guardó ningún archivo."), vb::Information, kTituloAviso);
        else
            plataforma().MsgBox(QStringLiteral("No se pudo guardar \"%1\": %2.").arg(QDir::toNativeSeparators(archivo), error),
                                vb::Critical, kTituloAviso);
        return false;
    };
    auto archivo = [&](const QString& titulo, const QString& filtro, const QString& extension) {
        QString a = plataforma().ElegirArchivoGuardar(
            titulo, filtro, QStringLiteral("Diagrama %1.%2").arg(DescripcionDeposito(CmbDeposito), extension));
        if (!a.isEmpty() && QFileInfo(a).suffix().compare(extension, Qt::CaseInsensitive) != 0) a += QLatin1Char('.') + extension;
        return a;
    };

    if (o.destino == Destino::Impresora) {
        QPrinter impresora(QPrinter::HighResolution);
        impresora.setFullPage(true);
        impresora.setDocName(Titulo());
        SalidaDiagrama::PrepararPagina(impresora, plan);
        QPrintPreviewDialog vista(&impresora, this);
        vista.setObjectName(QStringLiteral("VistaPreviaDiagrama"));
        vista.setWindowTitle(Titulo());
        connect(&vista, &QPrintPreviewDialog::paintRequested, &vista, [&](QPrinter* destino) {
            gDisplay().CartelInicio(QStringLiteral("Imprimiendo el diagrama"), true);
            const auto fin = salida.Hojas(*destino, plan, avance(QStringLiteral("Hoja")));
            gDisplay().CartelCerrar();
            // Nothing of a cancelled run goes to the printer.
            if (fin == SalidaDiagrama::Fin::Cancelado) destino->abort();
        });
        plataforma().MostrarModal(&vista);
        return true;
    }
    QString destino, error;
    SalidaDiagrama::Fin fin = SalidaDiagrama::Fin::Fallo;
    if (o.destino == Destino::Pdf) {
        destino = archivo(QStringLiteral("Guardar el diagrama en PDF"), QStringLiteral("Documentos PDF (*.pdf)"),
                          QStringLiteral("pdf"));
        if (destino.isEmpty()) return false;
        gDisplay().CartelInicio(QStringLiteral("Exportando el diagrama"), true);
        fin = salida.Pdf(destino, plan, avance(QStringLiteral("Hoja")), &error);
    } else if (o.destino == Destino::Png) {
        destino = archivo(QStringLiteral("Guardar el diagrama como imagen"), QStringLiteral("Imágenes PNG (*.png)"),
                          QStringLiteral("png"));
        if (destino.isEmpty()) return false;
        gDisplay().CartelInicio(QStringLiteral("Exportando el diagrama"), true);
        const double escala = SalidaDiagrama::EscalaPng(zona, o.todo ? 1.0 : std::max(1.0, Vista->Escala()));
        fin = salida.Png(destino, zona, escala, avance(QStringLiteral("Línea")), &error);
    } else {
        destino = archivo(QStringLiteral("Guardar el diagrama como dibujo"), QStringLiteral("Dibujos SVG (*.svg)"),
                          QStringLiteral("svg"));
        if (destino.isEmpty()) return false;
        gDisplay().CartelInicio(QStringLiteral("Exportando el diagrama"), true);
        fin = salida.Svg(destino, zona, avance(QStringLiteral("Línea")), &error);
    }
    gDisplay().CartelCerrar();
    return informar(fin, destino, error);
}

}  // namespace diagrama
