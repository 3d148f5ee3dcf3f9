#pragma once

#include "db/driver/Motor.h"

#include <QString>
#include <memory>

namespace driver {

// The ODBC back end (unixODBC): SQL Server through FreeTDS, Oracle through the configured driver, or
// any source named by DSN= / DRIVER=. Conexion creates it for every connection string that does not
// name an embedded SQLite file.
//
// ParametrosConexion::cadenaOdbc may still be one of the program's own forms; it is turned into
// driver attributes here as well:
//   DSN=... / DRIVER=...                               -> passed to the driver manager unchanged
//   PROVIDER=SQLOLEDB;Server=HOST...;Database =DB;...  -> FreeTDS attributes (CadenaFreeTds)
//   Provider=OraOLEDB.Oracle.1;Data Source=..;...      -> the registered Oracle ODBC driver, or a clear
//                                                         error when none is installed
// A login waits as long as the string's "Connect Timeout=n" says (15 seconds when it says nothing).
// Every failure puts all the driver's diagnostic records in the error list; a broken link (SQL state
// class 08) is native 11 there, which starts the program's lost-connection recovery.
// When the data source turns out to be SQLite, the program's SQL Server text is translated and its
// failures are mapped onto SQL Server's native numbers, as the embedded back end does.
std::unique_ptr<Motor> CrearMotorOdbc();

// The FreeTDS attributes for a SQL Server connection string of the program
// (PROVIDER=SQLOLEDB;Server=HOST[\INST][:PORT] or HOST,PORT;Database =DB;UId=..;Pwd=..;):
//   DRIVER={FreeTDS};SERVER=HOST;PORT=PORT;DATABASE=DB;UID=..;PWD=..;TDS_Version=7.4;ClientCharset=UTF-8;
// A named instance without a port becomes SERVER=HOST\INST (FreeTDS asks the server's browser for
// the port); with neither the port is 1433. Values holding ';', '{' or '}' are braced.
QString CadenaFreeTds(const QString& cadenaSqlServer);

// The ODBC attributes for an Oracle connection string of the program
// (Provider=OraOLEDB.Oracle.1;Data Source=..;User Id=..;Password=..;) through the given driver:
//   DRIVER={driver};DBQ=..;UID=..;PWD=..;
QString CadenaOracle(const QString& cadenaOracle, const QString& controlador);

// The first registered ODBC driver whose name contains "Oracle" (empty when none is installed).
QString ControladorOracle();

}  // namespace driver
