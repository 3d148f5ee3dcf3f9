#include "core/Dll_Display.h"

#include "db/driver/EsperaOcupada.h"
#include "services/ExportaPlanilla.h"
#include "services/Plataforma.h"
#include "services/TvPrint2.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QtMath>
#include <cmath>

namespace {

// One frame of the animation: twelve dots on a circle, the "current" one drawn darkest, so the
// twelve frames make a turning wheel. Drawn with the screen's device pixels, so that it stays sharp
// at a scale factor of 2.
QPixmap DibujarCuadro(int n, qreal escala) {
    QPixmap p(qCeil(32 * escala), qCeil(32 * escala));
    p.setDevicePixelRatio(escala);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 12; ++i) {
        const double a = (i * 30.0 - 90.0) * M_PI / 180.0;
        const int distancia = (n - 1 - i + 12) % 12;
        QColor c(40, 90, 160);
        c.setAlpha(255 - distancia * 18);
        g.setBrush(c);
        g.setPen(Qt::NoPen);
        g.drawEllipse(QPointF(16 + 11 * std::cos(a), 16 + 11 * std::sin(a)), 2.6, 2.6);
    }
    return p;
}

}  // namespace

Lbf_CtrlDisplay::Lbf_CtrlDisplay(QWidget* padre) : QWidget(padre, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("Lbf_CtrlDisplay"));
    setWindowTitle(QStringLiteral("Procesando Datos"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* principal = new QHBoxLayout(this);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(32, 32);
    principal->addWidget(Image1, 0, Qt::AlignTop);
    auto* columna = new QVBoxLayout;
    for (int i = 0; i < 3; ++i) {
        LblCtrol[i] = new QLabel(this);
        LblCtrol[i]->setObjectName(QStringLiteral("LblCtrol_%1").arg(i));
        LblCtrol[i]->setMinimumWidth(280);
        columna->addWidget(LblCtrol[i]);
    }
    CmdDisplayCancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    CmdDisplayCancelar->setObjectName(QStringLiteral("CmdDisplayCancelar"));
    columna->addWidget(CmdDisplayCancelar, 0, Qt::AlignRight);
    principal->addLayout(columna);
    connect(CmdDisplayCancelar, &QPushButton::clicked, this, [this] { CmdDisplayCancelar->setText(QStringLiteral("Abortado")); });
    Timer1 = new QTimer(this);
    Timer1->setInterval(100);  // about ten frames a second
    connect(Timer1, &QTimer::timeout, this, &Lbf_CtrlDisplay::Tick);
    setWindowOpacity(200.0 / 255.0);
    MostrarCuadro(1);
    setAutoFillBackground(true);
    qApp->installEventFilter(this);
}

namespace {
bool EsModal(const QObject* objeto) {
    if (!objeto->isWidgetType()) return false;
    const auto* w = static_cast<const QWidget*>(objeto);
    return w->isWindow() && w->windowModality() != Qt::NonModal;
}
}  // namespace

bool Lbf_CtrlDisplay::eventFilter(QObject* objeto, QEvent* evento) {
    // The banner stays on top of every window, so it would cover what the operator must read or
    // type; it hides while a modal window is shown and comes back when the last one closes.
    if (objeto != this && (evento->type() == QEvent::Show || evento->type() == QEvent::Hide) && EsModal(objeto)) {
        if (evento->type() == QEvent::Show)
            SeguirModales();
        else
            QTimer::singleShot(0, this, &Lbf_CtrlDisplay::SeguirModales);  // once the window is really gone
    }
    return QWidget::eventFilter(objeto, evento);
}

void Lbf_CtrlDisplay::SeguirModales() {
    bool hayModal = false;
    for (const QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible() && EsModal(w)) hayModal = true;
    if (hayModal && isVisible()) {
        ocultoPorModal_ = true;
        hide();
    } else if (!hayModal && ocultoPorModal_) {
        ocultoPorModal_ = false;
        show();
    }
}

void Lbf_CtrlDisplay::MostrarCuadro(int n) {
    cuadro_ = n;
    Image1->setPixmap(DibujarCuadro(n, Image1->devicePixelRatioF()));
}

void Lbf_CtrlDisplay::Tick() {
    ++contador_;
    MostrarCuadro(contador_);
    if (contador_ >= 12) contador_ = 0;
}

void Lbf_CtrlDisplay::showEvent(QShowEvent* e) {
    adjustSize();
    if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        const QRect r = s->geometry();
        move(r.left() + (r.width() - width()) / 2, r.top() + (r.height() - height()) / 2);
    }
    CmdDisplayCancelar->setText(CmdDisplayCancelar->text() == QLatin1String("Abortado") ? CmdDisplayCancelar->text()
                                                                                        : QStringLiteral("&Cancelar"));
    Timer1->start();
    QWidget::showEvent(e);
}

Dll_Display::~Dll_Display() {
    delete ventana_.data();
}

void Dll_Display::CartelInicio(const QString& Titulo, bool PermiteCancelar) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;  // no desktop: nothing to show
    if (!ventana_) ventana_ = new Lbf_CtrlDisplay;
    ventana_->setWindowTitle(Titulo);
    ventana_->CmdDisplayCancelar->setVisible(PermiteCancelar);
    ventana_->show();
}

void Dll_Display::CartelMostrar(bool& Cancelado, const QVariant& Linea1, const QVariant& Linea2, const QVariant& Linea3) {
    Cancelado = false;
    if (!ventana_) return;
    const QVariant lineas[3] = {Linea1, Linea2, Linea3};
    for (int i = 0; i < 3; ++i)
        if (lineas[i].isValid()) ventana_->LblCtrol[i]->setText(lineas[i].isNull() ? QString() : lineas[i].toString());
    ventana_->repaint();
    Cancelado = this->Cancelado();
    plataforma().ProcesarEventos();
}

bool Dll_Display::Cancelado() const {
    return ventana_ && ventana_->CmdDisplayCancelar->text() == QLatin1String("Abortado");
}

void Dll_Display::CartelCerrar() {
    if (!ventana_) return;
    ventana_->hide();
    delete ventana_.data();
    ventana_.clear();
}

void Dll_Display::SetSiempreVisible(bool valor) {
    if (!ventana_) return;
    ventana_->setWindowFlag(Qt::WindowStaysOnTopHint, valor);
}

Dll_Display& gDisplay() {
    static Dll_Display d;
    return d;
}

namespace {

// A long job of the services in the program's banner, with a cancel button. The banner is modal
// while it is up: the windows repaint, but take no other command until the job is over.
// `avance` is the line under the title ("%1 de %2 filas").
Progreso ProgresoEnCartel(const QString& cartel, const QString& primera, const QString& avance) {
    Progreso p;
    p.inicio = [cartel, primera](const QString& titulo) {
        gDisplay().CartelInicio(cartel, true);
        if (Lbf_CtrlDisplay* v = gDisplay().Ventana()) {
            v->hide();
            v->setWindowModality(Qt::ApplicationModal);
            v->show();
        }
        bool cancelado = false;
        gDisplay().CartelMostrar(cancelado, titulo, primera, QString());
    };
    p.avance = [avance](qint64 hechas, qint64 total) {
        bool cancelado = false;
        gDisplay().CartelMostrar(cancelado, QVariant(), avance.arg(hechas).arg(total));
        return !cancelado;
    };
    p.fin = [] { gDisplay().CartelCerrar(); };
    return p;
}

}  // namespace

void InstalarProgresoExportacion() {
    ExportaPlanilla::instancia().EstablecerProgreso(ProgresoEnCartel(
        QStringLiteral("Exportando a planilla"), QStringLiteral("Leyendo las filas..."), QStringLiteral("%1 de %2 filas")));
}

void InstalarProgresoEtiquetas() {
    TvPrint2::instancia().EstablecerProgreso(ProgresoEnCartel(
        QStringLiteral("Etiquetas"), QStringLiteral("Preparando las hojas..."), QStringLiteral("Hoja %1 de %2")));
}

namespace {

class EsperaConCartel : public driver::EsperaOcupada {
public:
    bool Seguir(int transcurridoMs, int limiteMs) override {
        // A lock held for a moment is not worth a window.
        if (transcurridoMs < kMostrarTrasMs) {
            // Repaint only: until the modal banner is up, a click or a key must not reach a window
            // whose statement is still waiting.
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            return true;
        }
        if (!cartel_.Ventana()) {
            cartel_.CartelInicio(QStringLiteral("Base de datos ocupada"), true);
            if (Lbf_CtrlDisplay* v = cartel_.Ventana()) {
                v->hide();
                v->setWindowModality(Qt::ApplicationModal);
                v->show();
            }
        }
        bool cancelado = false;
        cartel_.CartelMostrar(cancelado, QStringLiteral("La base de datos está ocupada por otro puesto"),
                              QStringLiteral("Esperando %1 de %2 segundos...").arg(transcurridoMs / 1000).arg(limiteMs / 1000),
                              QStringLiteral("Cancelar deja de esperar; lo escrito queda en la ventana"));
        return !cancelado;
    }
    void Terminar() override {
        if (cartel_.Ventana()) cartel_.CartelCerrar();
    }

private:
    static constexpr int kMostrarTrasMs = 400;
    Dll_Display cartel_;
};

}  // namespace

void InstalarEsperaOcupada() {
    driver::EstablecerEsperaOcupada(std::make_shared<EsperaConCartel>());
}
