#include "services/PlataformaQt.h"

#include "services/ErrorEjecucion.h"

#include <pwd.h>
#include <signal.h>
#include <sys/types.h>
#include <unistd.h>
#include <QApplication>
#include <QCalendarWidget>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QSysInfo>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

struct BotonVB {
    int respuesta;
    QMessageBox::ButtonRole rol;
};

std::vector<BotonVB> BotonesDeEstilo(int estilo) {
    switch (estilo & 7) {
        case vb::OKCancel:
            return {{vb::OK, QMessageBox::AcceptRole}, {vb::Cancel, QMessageBox::RejectRole}};
        case vb::AbortRetryIgnore:
            return {{vb::Abort, QMessageBox::RejectRole},
                    {vb::Retry, QMessageBox::AcceptRole},
                    {vb::Ignore, QMessageBox::ActionRole}};
        case vb::YesNoCancel:
            return {{vb::Yes, QMessageBox::YesRole}, {vb::No, QMessageBox::NoRole}, {vb::Cancel, QMessageBox::RejectRole}};
        case vb::YesNo:
            return {{vb::Yes, QMessageBox::YesRole}, {vb::No, QMessageBox::NoRole}};
        case vb::RetryCancel:
            return {{vb::Retry, QMessageBox::AcceptRole}, {vb::Cancel, QMessageBox::RejectRole}};
        default:
            return {{vb::OK, QMessageBox::AcceptRole}};
    }
}

// Ends the local event loop of MostrarModal when the window is really hidden or destroyed. A hide
// event alone is not enough: a minimised window receives one and is still open, and a close the
// window refuses (its closeEvent ignores it) leaves it on screen.
class EsperaOculta : public QObject {
public:
    EsperaOculta(QWidget* ventana, QEventLoop& bucle) : ventana_(ventana), bucle_(bucle) {}
    bool eventFilter(QObject* obj, QEvent* ev) override {
        if (obj == ventana_ && ev->type() == QEvent::Hide && !ventana_->isVisible()) bucle_.quit();
        return QObject::eventFilter(obj, ev);
    }

private:
    QWidget* ventana_;
    QEventLoop& bucle_;
};

}  // namespace

QString PlataformaQt::TextoBoton(int respuesta) {
    switch (respuesta) {
        case vb::OK:
            return QStringLiteral("Aceptar");
        case vb::Cancel:
            return QStringLiteral("Cancelar");
        case vb::Abort:
            return QStringLiteral("Anular");
        case vb::Retry:
            return QStringLiteral("Reintentar");
        case vb::Ignore:
            return QStringLiteral("Omitir");
        case vb::Yes:
            return QStringLiteral("Sí");
        case vb::No:
            return QStringLiteral("No");
    }
    return QString();
}

int PlataformaQt::MsgBox(const QString& texto, int estilo, const QString& titulo) {
    QMessageBox caja(QApplication::activeWindow());
    caja.setWindowTitle(titulo.isEmpty() ? TituloAplicacion() : titulo);
    // The suite's texts use CR, CR LF and LF as line breaks; a message box wants LF.
    QString t = texto;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    caja.setText(t);
    switch (estilo & 0x70) {
        case vb::Critical:
            caja.setIcon(QMessageBox::Critical);
            break;
        case vb::Question:
            caja.setIcon(QMessageBox::Question);
            break;
        case vb::Exclamation:
            caja.setIcon(QMessageBox::Warning);
            break;
        case vb::Information:
            caja.setIcon(QMessageBox::Information);
            break;
        default:
            caja.setIcon(QMessageBox::NoIcon);
            break;
    }
    const auto botones = BotonesDeEstilo(estilo);
    std::vector<QPushButton*> creados;
    for (const auto& b : botones) creados.push_back(caja.addButton(TextoBoton(b.respuesta), b.rol));
    std::size_t porDefecto = 0;
    if (estilo & vb::DefaultButton3)
        porDefecto = 2;
    else if (estilo & vb::DefaultButton2)
        porDefecto = 1;
    if (porDefecto >= creados.size()) porDefecto = 0;  // a default the box does not have: the first button
    caja.setDefaultButton(creados[porDefecto]);
    // Escape answers Cancel (or No, or the only button), as it does in the suite's boxes.
    int respuestaEscape = botones.front().respuesta;
    for (std::size_t i = 0; i < botones.size(); ++i) {
        if (botones[i].respuesta == vb::Cancel || (botones.size() == 1) ||
            (botones[i].respuesta == vb::No && (estilo & 7) == vb::YesNo) || (botones[i].respuesta == vb::Abort)) {
            caja.setEscapeButton(creados[i]);
            respuestaEscape = botones[i].respuesta;
        }
    }
    caja.exec();
    for (std::size_t i = 0; i < creados.size(); ++i)
        if (caja.clickedButton() == creados[i]) return botones[i].respuesta;
    // Closed without a button: the answer Escape would have given, always one of the box's own.
    return respuestaEscape;
}

std::optional<QString> PlataformaQt::InputBox(const QString& mensaje, const QString& titulo, const QString& defecto) {
    QInputDialog d(QApplication::activeWindow());
    d.setWindowTitle(titulo.isEmpty() ? TituloAplicacion() : titulo);
    d.setLabelText(mensaje);
    d.setTextValue(defecto);
    d.setOkButtonText(QStringLiteral("Aceptar"));
    d.setCancelButtonText(QStringLiteral("Cancelar"));
    if (d.exec() != QDialog::Accepted) return std::nullopt;
    return d.textValue();
}

QString PlataformaQt::ElegirArchivo(const QString& titulo, const QString& filtro) {
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), titulo, QString(), filtro);
}

QString PlataformaQt::ElegirArchivoGuardar(const QString& titulo, const QString& filtro, const QString& sugerido) {
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), titulo, sugerido, filtro);
}

std::optional<QDate> PlataformaQt::ElegirFecha(const QDate& inicial) {
    QDialog d(QApplication::activeWindow());
    d.setWindowTitle(QStringLiteral("Elegir fecha"));
    auto* cal = new QCalendarWidget(&d);
    cal->setSelectedDate(inicial.isValid() ? inicial : QDate::currentDate());
    auto* bb = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &d);
    bb->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Aceptar"));
    bb->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    QObject::connect(bb, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(bb, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    QObject::connect(cal, &QCalendarWidget::activated, &d, &QDialog::accept);
    auto* l = new QVBoxLayout(&d);
    l->addWidget(cal);
    l->addWidget(bb);
    if (d.exec() != QDialog::Accepted) return std::nullopt;
    return cal->selectedDate();
}

void PlataformaQt::MostrarModal(QWidget* ventana) {
    if (!ventana) return;
    const VueltaDelFoco vuelta;
    if (auto* dialogo = qobject_cast<QDialog*>(ventana)) {
        dialogo->exec();
        return;
    }
    QPointer<QWidget> guarda(ventana);
    const Qt::WindowModality anterior = ventana->windowModality();
    ventana->setWindowModality(Qt::ApplicationModal);
    QEventLoop bucle;
    EsperaOculta espera(ventana, bucle);
    ventana->installEventFilter(&espera);
    // A window destroyed while shown (deleted by its owner) also ends the wait.
    const auto conexion = QObject::connect(ventana, &QObject::destroyed, &bucle, &QEventLoop::quit);
    ventana->show();
    if (ventana->isVisible()) bucle.exec();
    QObject::disconnect(conexion);
    if (guarda) {
        guarda->removeEventFilter(&espera);
        // The same window may later be shown as an ordinary one; modality only changes while hidden.
        if (!guarda->isVisible()) guarda->setWindowModality(anterior);
    }
}

void PlataformaQt::ProcesarEventos() {
    QCoreApplication::processEvents();
}

QString PlataformaQt::CarpetaPrograma() const {
    if (!carpeta_.isEmpty()) return carpeta_;
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
}

QString PlataformaQt::NombreEjecutable() const {
    if (!ejecutable_.isEmpty()) return ejecutable_;
    if (!QCoreApplication::instance()) return kNombrePrograma;
    const QString n = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return n.isEmpty() ? kNombrePrograma : n;
}

QString PlataformaQt::NombreEquipo() const {
    return QSysInfo::machineHostName();
}

QString PlataformaQt::UsuarioEquipo() const {
    QString u = qEnvironmentVariable("USER");
    if (u.isEmpty()) {
        if (const passwd* pw = getpwuid(geteuid())) u = QString::fromLocal8Bit(pw->pw_name);
    }
    return u;
}

QDateTime PlataformaQt::Ahora() const {
    return QDateTime::currentDateTime();
}

QString PlataformaQt::Entorno(const QString& variable) const {
    return qEnvironmentVariable(variable.toLocal8Bit().constData());
}

QString PlataformaQt::CarpetaTemporal() const {
    return QDir::tempPath();
}

QString PlataformaQt::CarpetaEscritorio() const {
    const QString xdg = qEnvironmentVariable("XDG_DESKTOP_DIR");
    if (!xdg.isEmpty()) return xdg;
    const QString s = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    return s.isEmpty() ? QDir::homePath() + QStringLiteral("/Desktop") : s;
}

qint64 PlataformaQt::IniciarPrograma(const QString& programa, const QStringList& argumentos, int) {
    qint64 pid = 0;
    if (!QProcess::startDetached(programa, argumentos, CarpetaPrograma(), &pid)) return 0;
    return pid;
}

// A detached program is not this process's child (it is reaped by the system), so whether its
// process still exists is whether it still runs. A process id the system has given to another
// program since only delays the answer until that one ends too.
bool PlataformaQt::ProgramaEnCurso(qint64 pid) const {
    if (pid <= 0) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

bool PlataformaQt::AbrirDocumento(const QString& enlace, int) {
    QString e = enlace;
    e.remove(QLatin1Char('"'));
    return QDesktopServices::openUrl(QUrl::fromUserInput(e, CarpetaPrograma()));
}

void PlataformaQt::Terminar(int codigo) {
    std::fflush(nullptr);
    std::_Exit(codigo);
}
