#pragma once

#include "db/driver/Errores.h"
#include "db/driver/Recordset.h"

#include <QList>
#include <QString>
#include <QStringView>
#include <QVariant>
#include <QVector>

// What an SQLite database says in SQL Server's terms, the same through either back end that can
// reach one (the embedded one and ODBC with the SQLite driver): the ADO type and size of a column
// from its declared SQL Server type, the SQL Server errors of a SQLite failure, and the layout of
// the schema rowsets. The program reads types, sizes and native error numbers, so one database file
// must read the same whichever way it is opened.
namespace driver::vocabulario {

// How a stored value is read back for a column of the type.
enum class Conversion { Texto, Entero, Logico, Doble, Fecha, Binario, PorValor };

struct TipoColumna {
    int tipo = -1;  // the ADO DataTypeEnum number; -1 for a declaration that names no known type
    int tamano = 0;
    int precision = 0;
    int escala = 0;
    Conversion conversion = Conversion::PorValor;
    // The size comes with the type's name itself (sysname is 128 characters, text is long), not
    // from a length a declaration gives: a driver that reports the name without the length cannot
    // change it.
    bool tamanoDelNombre = false;
    bool Reconocido() const { return tipo >= 0; }
};

constexpr int kTextoLargo = 2147483647;

// The type of a column declared with a SQL Server (or common SQL) type name, "varchar(50)",
// "money", "decimal(18,2)", "nvarchar(max)"...
TipoColumna TipoDeclarado(QStringView declarado);

bool EsTexto(int tipoAdo);
bool EsBinario(int tipoAdo);
bool EsNumericoExacto(int tipoAdo);
// The type number the column schema rowset reports: the storage type (varchar is DBTYPE_STR 129
// there, nvarchar DBTYPE_WSTR 130, varbinary DBTYPE_BYTES 128).
int TipoEsquema(int tipoAdo);

// True for the statements that change rows (their affected-row count is what the caller gets).
bool EsModificacion(const QString& sql);

ErrorProveedor Proveedor(const QString& estado, long nativo, const QString& descripcion, const QString& origen);

// The provider errors of a SQLite failure in SQL Server's terms (state, native number, text), from
// SQLite's result code (extended or primary; 0 when only the text is known, as an ODBC driver may
// report it) and its message. esperaMs tells how long a busy database was waited for (-1: the
// operator stopped waiting). A failure while opening the file is "cannot open database" (4060); the
// same after opening is a lost link (11), as when the share holding the file went away.
QList<ErrorProveedor> ErroresSqlite(int codigo, const QString& mensaje, int esperaMs, bool abriendo, const QString& origen);

// A database that is one file has one name: true when nombre is it (the catalog name of the string,
// or the file's name with or without its folder and extension).
bool EsNombreDeLaBase(const QString& nombre, const QString& nombreBase, const QString& archivo);
ErrorProveedor BaseInexistente(const QString& nombre, const QString& origen);

// The columns of the schema rowsets (adSchemaTables, adSchemaColumns), as ADO's provider gives them.
QList<Campo> CamposEsquema(int tipoEsquema);
// One row of the columns rowset for a column of an SQLite table, typed from its declaration.
QVector<QVariant> FilaColumna(const QVariant& catalogo, const QVariant& esquema, const QString& tabla, const QString& columna,
                              int ordinal, const QVariant& defecto, bool admiteNulos, const TipoColumna& t);

}  // namespace driver::vocabulario
