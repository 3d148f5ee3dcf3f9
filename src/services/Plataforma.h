#pragma once

#include <QDate>
#include <QDateTime>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QWidget;

// Everything the program asks of the desktop goes through this one object, so that tests can
// replace it with a scripted one. Message-box styles and answers use the Visual Basic numbers the
// whole suite speaks: buttons 0 OK, 1 OK/Cancel, 2 Abort/Retry/Ignore, 3 Yes/No/Cancel, 4 Yes/No,
// 5 Retry/Cancel; icons 16 critical, 32 question, 48 exclamation, 64 information; default button
// 256 second, 512 third; answers 1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No.
namespace vb {
constexpr int OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7;
constexpr int OKOnly = 0, OKCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5;
constexpr int Critical = 16, Question = 32, Exclamation = 48, Information = 64;
constexpr int DefaultButton2 = 256, DefaultButton3 = 512;
}  // namespace vb

// Thrown by Plataforma::Terminar in tests (the real platform ends the process). It deliberately
// does not derive from std::exception, so no error handler of the program can swallow it.
struct ProgramaTerminado {
    int codigo = 0;
};

class Plataforma {
public:
    virtual ~Plataforma() = default;

    // A modal message box; an empty title means the application's default title.
    virtual int MsgBox(const QString& texto, int estilo = 0, const QString& titulo = QString()) = 0;
    // An input box; std::nullopt when the operator cancelled.
    virtual std::optional<QString> InputBox(const QString& mensaje, const QString& titulo, const QString& defecto) = 0;
    // A file-open choice; empty when nothing was chosen.
    virtual QString ElegirArchivo(const QString& titulo, const QString& filtro) = 0;
    // A file-save choice; empty when the operator cancelled.
    virtual QString ElegirArchivoGuardar(const QString& titulo, const QString& filtro, const QString& sugerido) = 0;
    virtual std::optional<QDate> ElegirFecha(const QDate& inicial) = 0;
    // Shows a window modally and returns when it is hidden (or closed).
    virtual void MostrarModal(QWidget* ventana) = 0;
    // Lets pending window events run.
    virtual void ProcesarEventos() = 0;

    // The process command line: the program's arguments joined by blanks.
    virtual QString LineaComando() const = 0;
    virtual QString CarpetaPrograma() const = 0;   // without a trailing separator
    virtual QString NombreEjecutable() const = 0;  // without folder and extension
    virtual QString NombreEquipo() const = 0;
    virtual QString UsuarioEquipo() const = 0;
    virtual QDateTime Ahora() const = 0;
    virtual QString Entorno(const QString& variable) const = 0;
    virtual QString CarpetaTemporal() const = 0;  // per-user temporary folder
    virtual QString CarpetaEscritorio() const = 0;

    // Starts another program without waiting for it; returns its process id, 0 when nothing started.
    virtual qint64 IniciarPrograma(const QString& programa, const QStringList& argumentos, int estiloVentana) = 0;
    // Whether a program IniciarPrograma started (its process id) is still running.
    virtual bool ProgramaEnCurso(qint64 pid) const = 0;
    // Opens a document or address with the desktop's default handler.
    virtual bool AbrirDocumento(const QString& enlace, int estiloVentana) = 0;

    // Ends the program at once.
    [[noreturn]] virtual void Terminar(int codigo) = 0;

    // Default title of message boxes ("the application's title").
    virtual QString TituloAplicacion() const { return NombreEjecutable(); }
};

// The program's platform. Until one is installed, the desktop (Qt) platform is created.
Plataforma& plataforma();
// Installs a platform (tests install their scripted one); returns the previous one.
std::unique_ptr<Plataforma> EstablecerPlataforma(std::unique_ptr<Plataforma> nueva);

// While alive, remembers the active window and its focused widget; when destroyed (a modal window
// has just closed) gives both back, as a desktop does when a dialog is dismissed, so the operator
// goes on typing where he was. Nothing happens when either is gone meanwhile.
class VueltaDelFoco {
public:
    VueltaDelFoco();
    ~VueltaDelFoco();
    VueltaDelFoco(const VueltaDelFoco&) = delete;
    VueltaDelFoco& operator=(const VueltaDelFoco&) = delete;

private:
    QPointer<QWidget> ventana_;
    QPointer<QWidget> foco_;
};
