#pragma once

#include <QList>
#include <QString>

namespace driver {

// One provider error, as ADO's Error object describes it.
struct ErrorProveedor {
    QString SQLState;     // five-character SQL state ("23000", "08S01", "42S02" ...)
    long Number = 0;      // the ADO/OLE DB number (E_FAIL -2147467259 for most provider errors)
    QString Description;  // the provider's message
    long NativeError = 0; // SQL Server's native number: 2627 duplicate key, 547 reference, 208 ...
    QString Source;
};

// The connection's error list. Provider errors stay in it until Clear, so callers can inspect them
// after a statement that failed.
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
constexpr long ConexionPerdida = 11;     // general network error (SQL state 08S01)
constexpr long Sintaxis = 102;
constexpr long ObjetoInexistente = 208;  // invalid object name
constexpr long Referencia = 547;         // reference (foreign key / check) constraint
constexpr long ClaveDuplicada = 2627;    // primary key / unique constraint violation
constexpr long NoSePuedeAbrirBase = 4060;  // cannot open database requested by the login
constexpr long Truncamiento = 8152;      // string or binary data would be truncated
constexpr long TiempoAgotado = -2;       // command time-out / database busy
}  // namespace nativo

}  // namespace driver
