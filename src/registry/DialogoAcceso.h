#pragma once

#include "db/DialogoConexion.h"

#include <memory>

class frmAcceso;

// The connection window as the database object and the login retry see it: each instance loads
// one frmAcceso, fills it, shows it through the platform's modal display and reads it back.
class DialogoAcceso : public DialogoConexion {
public:
    DialogoAcceso();
    ~DialogoAcceso() override;

    void Cargar(const QString& baseDatos, const QString& servidor, const QString& usuario, const QString& clave,
                int plataforma) override;
    bool Mostrar() override;
    QString BaseDatos() const override;
    QString Servidor() const override;
    QString Usuario() const override;
    QString Clave() const override;
    int Plataforma() const override;

    // The window, loaded on first use.
    frmAcceso& Ventana();

private:
    std::unique_ptr<frmAcceso> ventana_;
};

// Makes this window the program's connection window (called once at start-up).
void InstalarDialogoConexion();
