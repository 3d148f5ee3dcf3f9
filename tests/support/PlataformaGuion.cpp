#include "PlataformaGuion.h"

#include <QCoreApplication>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace {
[[noreturn]] void Fallar(const QString& que) {
    // Fail the whole test program at once: an unexpected box must never be answered by chance.
    std::fprintf(stderr, "FAIL! unexpected %s\n", qPrintable(que));
    std::fflush(stderr);
    std::abort();
}
}  // namespace

void PlataformaGuion::ResponderMsgBox(int respuesta, const QString& contiene) {
    respuestas_.push_back({respuesta, contiene});
}
void PlataformaGuion::ResponderInputBox(std::optional<QString> respuesta) {
    entradas_.push_back(std::move(respuesta));
}
void PlataformaGuion::ResponderArchivo(const QString& ruta) {
    archivos_.push_back(ruta);
}
void PlataformaGuion::ResponderFecha(std::optional<QDate> fecha) {
    fechas_.push_back(fecha);
}
void PlataformaGuion::AlMostrarModal(std::function<void(QWidget*)> accion) {
    modales_.push_back(std::move(accion));
}

int PlataformaGuion::Pendientes() const {
    return static_cast<int>(respuestas_.size() + entradas_.size() + archivos_.size() + fechas_.size() + modales_.size());
}

int PlataformaGuion::MsgBox(const QString& texto, int estilo, const QString& titulo) {
    cajas_.append({texto, estilo, titulo});
    if (respuestas_.empty())
        Fallar(QStringLiteral("message box: \"%1\" (style %2, title \"%3\")").arg(texto).arg(estilo).arg(titulo));
    const RespuestaCaja r = respuestas_.front();
    respuestas_.pop_front();
    if (!r.contiene.isEmpty() && !texto.contains(r.contiene))
        Fallar(QStringLiteral("message box: \"%1\" where one containing \"%2\" was expected").arg(texto, r.contiene));
    return r.respuesta;
}

std::optional<QString> PlataformaGuion::InputBox(const QString& mensaje, const QString& titulo, const QString&) {
    cajas_.append({mensaje, -1, titulo});
    if (entradas_.empty()) Fallar(QStringLiteral("input box: \"%1\" (title \"%2\")").arg(mensaje, titulo));
    auto r = entradas_.front();
    entradas_.pop_front();
    return r;
}

QString PlataformaGuion::ElegirArchivo(const QString& titulo, const QString&) {
    if (archivos_.empty()) Fallar(QStringLiteral("file choice: \"%1\"").arg(titulo));
    const QString r = archivos_.front();
    archivos_.pop_front();
    return r;
}

QString PlataformaGuion::ElegirArchivoGuardar(const QString& titulo, const QString& filtro, const QString&) {
    return ElegirArchivo(titulo, filtro);
}

std::optional<QDate> PlataformaGuion::ElegirFecha(const QDate&) {
    if (fechas_.empty()) Fallar(QStringLiteral("date choice"));
    auto r = fechas_.front();
    fechas_.pop_front();
    return r;
}

void PlataformaGuion::MostrarModal(QWidget* ventana) {
    if (modales_.empty())
        Fallar(QStringLiteral("modal window: %1 \"%2\"")
                   .arg(ventana ? ventana->objectName() : QString(), ventana ? ventana->windowTitle() : QString()));
    auto accion = std::move(modales_.front());
    modales_.pop_front();
    {
        // As on the desktop: the window that opened the modal one gets the focus back when it closes.
        const VueltaDelFoco vuelta;
        // Modal, as the desktop shows it, so that windows watching for modal ones (the banner)
        // see it as the operator would.
        const Qt::WindowModality modalidad = ventana ? ventana->windowModality() : Qt::NonModal;
        if (ventana) {
            ventana->setWindowModality(Qt::ApplicationModal);
            ventana->show();
            QCoreApplication::processEvents();
        }
        const QPointer<QWidget> guarda(ventana);
        accion(ventana);
        if (guarda && !guarda->isVisible()) guarda->setWindowModality(modalidad);
        if (guarda && guarda->isVisible())
            Fallar(QStringLiteral("modal window left open by the test: %1").arg(ventana->objectName()));
    }
    // The activation is an event, delivered before the operator can type anything.
    QCoreApplication::processEvents();
}

void PlataformaGuion::ProcesarEventos() {
    ++procesarEventos_;
    if (procesarEventosReales) QCoreApplication::processEvents();
}

qint64 PlataformaGuion::IniciarPrograma(const QString& programa, const QStringList& argumentos, int estilo) {
    arranques_.append({programa, argumentos, estilo});
    return pidArranque;
}

bool PlataformaGuion::AbrirDocumento(const QString& enlace, int) {
    documentos_.append(enlace);
    return true;
}

void PlataformaGuion::Terminar(int codigo) {
    throw ProgramaTerminado{codigo};
}

GuionInstalado::GuionInstalado() {
    auto p = std::make_unique<PlataformaGuion>();
    p_ = p.get();
    anterior_ = EstablecerPlataforma(std::move(p));
}

GuionInstalado::~GuionInstalado() {
    EstablecerPlataforma(std::move(anterior_));
}
