#pragma once

#include <QString>
#include <optional>

// The suite's parameter string: items "@Name=value" separated by ";", read at start-up and written
// when another program of the suite is started.
namespace inicio {

// The value of item @Name: the first occurrence anywhere, ignoring case (so "@Usuario" also finds
// the start of "@UsuarioLogeado"), up to the next ";", with every "=" removed and trimmed.
// std::nullopt when the item is absent or no ";" follows it (the target then keeps its value).
std::optional<QString> ExtraerItem(const QString& parametros, const QString& nombre);

// A server text cleaned of protocol and port: after the first "/", before the first ":".
QString NombreServidor(const QString& texto);

// The parameter string handed to another program of the suite.
QString CadenaMenuExes(const QString& servidor, const QString& baseDatos, const QString& usuario, const QString& clave,
                       const QString& parametroAdicional, const QString& caja);

// The command line MenuExes starts for a program name ("shell:NAME", a path, or a bare name).
QString ComandoMenuExes(const QString& programa, const QString& carpetaPrograma, const QString& parametros);

// The workstation key: COMPUTER|USER in upper case, cut to 50 characters when longer.
QString PuestoTrabajo(const QString& equipo, const QString& usuario);

// The section of QM210ax.INI that holds the database values: COMPUTERUSERBaseDeDatos with "|".
QString SeccionBaseDatos(const QString& equipo, const QString& usuario);

}  // namespace inicio
