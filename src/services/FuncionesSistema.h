#pragma once

#include <QString>

class QWidget;

// The suite's system service object: questions about the workstation and hand-overs to the desktop.
class FuncionesSistema {
public:
    static FuncionesSistema& instancia();

    QString NombreEquipo() const;
    QString UsuarioEquipo() const;
    // A writable folder for when the environment names no temporary folder.
    QString CarpetaAlternativa() const;
    // The suite's common window treatment.
    void TratarVentana(QWidget* ventana) const;
    // Opens a link or document with the desktop's default handler; true when it was handed over.
    bool AbrirDocumento(const QString& enlace, int estiloVentana) const;
};
