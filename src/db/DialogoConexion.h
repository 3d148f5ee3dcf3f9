#pragma once

#include <QString>
#include <functional>
#include <memory>

// What the database object needs of the connection window ("Control de Acceso") when it asks the
// operator for the connection values. The window lives in an upper layer, which installs a
// factory at start-up; tests install a scripted double.
class DialogoConexion {
public:
    virtual ~DialogoConexion() = default;
    // Loads the window and fills its boxes; plataforma is the list index (0 "SQL Server", 1 "ORACLE").
    virtual void Cargar(const QString& baseDatos, const QString& servidor, const QString& usuario, const QString& clave,
                        int plataforma) = 0;
    // Shows it modally; true when the operator accepted ("Conectar").
    virtual bool Mostrar() = 0;
    virtual QString BaseDatos() const = 0;
    virtual QString Servidor() const = 0;
    virtual QString Usuario() const = 0;
    virtual QString Clave() const = 0;
    virtual int Plataforma() const = 0;
};

using FabricaDialogoConexion = std::function<std::unique_ptr<DialogoConexion>()>;

// Installs the factory of the connection window; returns the previous one.
FabricaDialogoConexion EstablecerDialogoConexion(FabricaDialogoConexion fabrica);
// A fresh connection window, or nullptr when none is installed.
std::unique_ptr<DialogoConexion> CrearDialogoConexion();
