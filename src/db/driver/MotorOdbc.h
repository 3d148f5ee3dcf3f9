#pragma once

#include "db/driver/Motor.h"

#include <QString>
#include <memory>

namespace driver {

// The ODBC back end (unixODBC): SQL Server through FreeTDS, Oracle through the configured driver, or
// any source named by DSN= / DRIVER=. Conexion creates it for every connection string that does not
// name an embedded SQLite file.
//
// It connects with ParametrosConexion::cadenaOdbc as AnalizarCadena made it (CadenaConexion.h), or
// fails with fallaOdbc when that says why it could not be made.
// A login waits as long as the string's "Connect Timeout=n" says (15 seconds when it says nothing).
// Every failure puts all the driver's diagnostic records in the error list; a broken link (SQL state
// class 08) is native 11 there, which starts the program's lost-connection recovery.
// When the data source turns out to be SQLite, the program's SQL Server text is translated and its
// failures are mapped onto SQL Server's native numbers, as the embedded back end does.
std::unique_ptr<Motor> CrearMotorOdbc();

}  // namespace driver
