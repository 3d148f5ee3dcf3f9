#pragma once

#include <QList>
#include <QString>

namespace driver {

// One provider error, as ADO's Error object describes it.
struct ErrorProveedor {
    QString SQLState;      // five-character SQL state ("23000", "08S01", "42S02" ...)
    long Number = 0;       // the ADO/OLE DB number (E_FAIL -2147467259 for most provider errors)
    QString Description;   // the provider's message
    long NativeError = 0;  // SQL Server's native number: 2627 duplicate key, 547 reference, 208 ...
    QString Source;
};

// The connection's error list. Like ADO's, it holds the provider errors of the last operation that
// reported any: an operation that fails replaces the list with its own errors, a successful one leaves
// it as it was. The errors stay until Clear, so callers can inspect them after a statement that failed.
class Errores {
public:
    int Count() const { return static_cast<int>(lista_.size()); }
    const ErrorProveedor& Item(int i) const { return lista_.at(i); }
    void Clear() { lista_.clear(); }
    void Agregar(const ErrorProveedor& e) { lista_.append(e); }
    bool Vacia() const { return lista_.isEmpty(); }

private:
    QList<ErrorProveedor> lista_;
};

// Native error numbers of SQL Server that the program reacts to; every back end maps its own
// failures onto them.
namespace nativo {
constexpr long ConexionPerdida = 11;  // general network error (SQL state 08S01)
constexpr long Sintaxis = 102;
constexpr long AnidamientoExcesivo = 191;  // some part of the statement is nested too deeply
constexpr long FuncionDesconocida = 195;   // not a recognized built-in function name
constexpr long ColumnaInexistente = 207;   // invalid column name
constexpr long ObjetoInexistente = 208;    // invalid object name
constexpr long NoAdmiteNulos = 515;        // cannot insert the value NULL into a column
constexpr long Referencia = 547;           // reference (foreign key / check) constraint
constexpr long BaseInexistente = 911;      // database does not exist (changing the default database)
constexpr long SinEspacio = 1105;          // could not allocate space
constexpr long ClaveDuplicada = 2627;      // primary key / unique constraint violation
constexpr long SentenciaTerminada = 3621;  // "The statement has been terminated." after a constraint error
constexpr long CommitSinTransaccion = 3902;
constexpr long RollbackSinTransaccion = 3903;
constexpr long BaseSoloLectura = 3906;     // failed to update a read-only database
constexpr long NoSePuedeAbrirBase = 4060;  // cannot open database requested by the login
constexpr long Truncamiento = 8152;        // string or binary data would be truncated
constexpr long ErrorUsuario = 50000;       // an error raised by the database's own code (a trigger)
constexpr long TiempoAgotado = -2;         // command time-out / database busy
}  // namespace nativo

}  // namespace driver
