#pragma once

#include "services/Plataforma.h"

#include <QDir>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

// The scripted platform of the tests. A test queues the answers it expects to give; every box
// shown is recorded with its text, style and title so its exact words can be asserted; a box, an
// input box or a modal window that nobody expected stops the test program at once with the box's
// text instead of hanging it.
class PlataformaGuion : public Plataforma {
public:
    struct Caja {
        QString texto;
        int estilo = 0;
        QString titulo;
    };
    struct Arranque {
        QString programa;
        QStringList argumentos;
        int estilo = 0;
    };

    // Answers for the next message boxes, in order. A text, when given, must be contained in the
    // box's text, otherwise the test fails at once.
    void ResponderMsgBox(int respuesta, const QString& contiene = QString());
    void ResponderInputBox(std::optional<QString> respuesta);
    void ResponderArchivo(const QString& ruta);
    void ResponderFecha(std::optional<QDate> fecha);
    // What to do with the next modal window: the function acts on it (types, clicks) and must
    // leave it hidden.
    void AlMostrarModal(std::function<void(QWidget*)> accion);

    const QList<Caja>& Cajas() const { return cajas_; }
    Caja UltimaCaja() const { return cajas_.isEmpty() ? Caja{} : cajas_.last(); }
    void LimpiarCajas() { cajas_.clear(); }
    int Pendientes() const;  // queued answers not yet used
    const QList<Arranque>& Arranques() const { return arranques_; }
    const QStringList& Documentos() const { return documentos_; }
    int VecesProcesarEventos() const { return procesarEventos_; }

    // Settings of the simulated workstation.
    QString carpeta = QDir::tempPath();
    QString lineaComando;
    QString ejecutable = QStringLiteral("MA_POSICIONES");
    QString equipo = QStringLiteral("PC7");
    QString usuario = QStringLiteral("ana");
    QDateTime ahora;  // invalid: the real clock
    QMap<QString, QString> entorno;
    QString temporal = QDir::tempPath();
    QString escritorio;
    qint64 pidArranque = 4242;      // 0 simulates a program that cannot be started
    QSet<qint64> programasEnCurso;  // the started programs still running; a test ends one by removing it
    bool procesarEventosReales = true;

    int MsgBox(const QString& texto, int estilo, const QString& titulo) override;
    std::optional<QString> InputBox(const QString& mensaje, const QString& titulo, const QString& defecto) override;
    QString ElegirArchivo(const QString& titulo, const QString& filtro) override;
    QString ElegirArchivoGuardar(const QString& titulo, const QString& filtro, const QString& sugerido) override;
    std::optional<QDate> ElegirFecha(const QDate& inicial) override;
    void MostrarModal(QWidget* ventana) override;
    void ProcesarEventos() override;
    QString LineaComando() const override { return lineaComando; }
    QString CarpetaPrograma() const override { return carpeta; }
    QString NombreEjecutable() const override { return ejecutable; }
    QString NombreEquipo() const override { return equipo; }
    QString UsuarioEquipo() const override { return usuario; }
    QDateTime Ahora() const override { return ahora.isValid() ? ahora : QDateTime::currentDateTime(); }
    QString Entorno(const QString& variable) const override { return entorno.value(variable); }
    QString CarpetaTemporal() const override { return temporal; }
    QString CarpetaEscritorio() const override { return escritorio; }
    qint64 IniciarPrograma(const QString& programa, const QStringList& argumentos, int estilo) override;
    bool ProgramaEnCurso(qint64 pid) const override { return programasEnCurso.contains(pid); }
    bool AbrirDocumento(const QString& enlace, int estilo) override;
    [[noreturn]] void Terminar(int codigo) override;

private:
    struct RespuestaCaja {
        int respuesta;
        QString contiene;
    };
    std::deque<RespuestaCaja> respuestas_;
    std::deque<std::optional<QString>> entradas_;
    std::deque<QString> archivos_;
    std::deque<std::optional<QDate>> fechas_;
    std::deque<std::function<void(QWidget*)>> modales_;
    QList<Caja> cajas_;
    QList<Arranque> arranques_;
    QStringList documentos_;
    int procesarEventos_ = 0;
};

// Installs a fresh scripted platform for the lifetime of the object and restores the previous one.
class GuionInstalado {
public:
    GuionInstalado();
    ~GuionInstalado();
    PlataformaGuion& operator*() { return *p_; }
    PlataformaGuion* operator->() { return p_; }

private:
    PlataformaGuion* p_;
    std::unique_ptr<Plataforma> anterior_;
};
