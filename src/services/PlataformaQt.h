#pragma once

#include "services/Plataforma.h"

#include <QCoreApplication>

// The desktop platform: Qt message boxes with Spanish button texts, the real clock, processes and
// folders of the running program.
class PlataformaQt : public Plataforma {
public:
    int MsgBox(const QString& texto, int estilo, const QString& titulo) override;
    std::optional<QString> InputBox(const QString& mensaje, const QString& titulo, const QString& defecto) override;
    QString ElegirArchivo(const QString& titulo, const QString& filtro) override;
    QString ElegirArchivoGuardar(const QString& titulo, const QString& filtro, const QString& sugerido) override;
    std::optional<QDate> ElegirFecha(const QDate& inicial) override;
    void MostrarModal(QWidget* ventana) override;
    void ProcesarEventos() override;

    QString LineaComando() const override {
        return QCoreApplication::instance() ? QCoreApplication::arguments().mid(1).join(QLatin1Char(' ')) : QString();
    }
    QString CarpetaPrograma() const override;
    QString NombreEjecutable() const override;
    QString NombreEquipo() const override;
    QString UsuarioEquipo() const override;
    QDateTime Ahora() const override;
    QString Entorno(const QString& variable) const override;
    QString CarpetaTemporal() const override;
    QString CarpetaEscritorio() const override;

    qint64 IniciarPrograma(const QString& programa, const QStringList& argumentos, int estiloVentana) override;
    bool ProgramaEnCurso(qint64 pid) const override;
    bool AbrirDocumento(const QString& enlace, int estiloVentana) override;
    [[noreturn]] void Terminar(int codigo) override;

    // Overrides used by tests and by the start-up scripts (a program folder other than the binary's).
    void FijarCarpetaPrograma(const QString& carpeta) { carpeta_ = carpeta; }
    void FijarNombreEjecutable(const QString& nombre) { ejecutable_ = nombre; }

    // Translates a message-box style into buttons, icon and default button; shared with tests.
    static QString TextoBoton(int respuesta);

private:
    QString carpeta_;
    QString ejecutable_;
};
