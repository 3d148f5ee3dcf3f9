#include "db/driver/Conexion.h"

#include "db/driver/CadenaConexion.h"
#include "db/driver/EsperaOcupada.h"
#include "db/driver/Motor.h"
#include "db/driver/MotorOdbc.h"
#include "db/driver/MotorSqlite.h"
#include "db/driver/Recordset.h"
#include "services/ErrorEjecucion.h"

namespace driver {

namespace {

const QString kOrigen = QStringLiteral("ADODB.Connection");

[[noreturn]] void Ado(long numero) {
    switch (numero) {
        case errnum::ObjectClosed:
            throw ErrorEjecucion(numero, QStringLiteral("Operation is not allowed when the object is closed."), kOrigen);
        case errnum::ObjectOpen:
            throw ErrorEjecucion(numero, QStringLiteral("Operation is not allowed when the object is open."), kOrigen);
        default:
            throw ErrorEjecucion(errnum::ConnectionInvalid,
                                 QStringLiteral("The connection cannot be used to perform this operation. It is either closed or "
                                                "invalid in this context."),
                                 kOrigen);
    }
}

// A provider error of the client itself: the text is refused before the back end sees any of it.
[[noreturn]] void Rechazar(Errores& errores, const QString& estado, long nativo, const QString& descripcion) {
    ErrorProveedor p;
    p.SQLState = estado;
    p.Number = errnum::E_FAIL;
    p.NativeError = nativo;
    p.Description = descripcion;
    p.Source = QStringLiteral("Microsoft OLE DB Provider for SQL Server");
    errores.Clear();
    errores.Agregar(p);
    throw ErrorEjecucion(errnum::E_FAIL, descripcion, p.Source);
}

}  // namespace

namespace {
std::shared_ptr<EsperaOcupada>& espera() {
    static std::shared_ptr<EsperaOcupada> e;
    return e;
}
}  // namespace

void EstablecerEsperaOcupada(std::shared_ptr<EsperaOcupada> nueva) {
    espera() = std::move(nueva);
}

EsperaOcupada* esperaOcupada() {
    return espera().get();
}

Conexion::Conexion() = default;

Conexion::~Conexion() {
    if (motor_) motor_->Cerrar();
}

void Conexion::Proteger(const std::function<void(Motor&, Errores&)>& llamada) {
    if (!motor_ || !motor_->Abierto()) Ado(errnum::ConnectionInvalid);
    Errores propios;
    try {
        llamada(*motor_, propios);
    } catch (const dialecto::TextoRechazado& r) {
        Rechazar(errores_, QStringLiteral("42000"), nativo::AnidamientoExcesivo, r.motivo);
    } catch (...) {
        if (EsperaOcupada* espera = esperaOcupada()) espera->Terminar();
        if (!propios.Vacia()) errores_ = propios;
        throw;
    }
    if (EsperaOcupada* espera = esperaOcupada()) espera->Terminar();
    // Informational messages of a call that succeeded are kept like ADO keeps them.
    if (!propios.Vacia()) errores_ = propios;
}

void Conexion::Open(const QString& cadena, const QString& usuario, const QString& clave, long opciones) {
    Q_UNUSED(opciones);
    if (motor_) Ado(errnum::ObjectOpen);
    const QString texto = cadena.isEmpty() ? cadena_ : cadena;
    const ParametrosConexion p = AnalizarCadena(texto, usuario, clave);
    std::unique_ptr<Motor> motor =
        p.tipo == ParametrosConexion::Tipo::SQLite ? std::unique_ptr<Motor>(new MotorSqlite()) : CrearMotorOdbc();
    Errores propios;
    try {
        motor->Abrir(p, propios);
    } catch (...) {
        if (!propios.Vacia()) errores_ = propios;
        throw;
    }
    if (!propios.Vacia()) errores_ = propios;
    motor_ = std::move(motor);
    cadena_ = texto;
    baseDefecto_ = p.baseDatos;
}

void Conexion::Close() {
    if (!motor_) Ado(errnum::ObjectClosed);
    motor_->Cerrar();
    motor_.reset();
}

int Conexion::State() const {
    return motor_ ? adStateOpen : adStateClosed;
}

QString Conexion::ConnectionString() const {
    return cadena_;
}

void Conexion::SetConnectionString(const QString& cadena) {
    if (motor_) Ado(errnum::ObjectOpen);
    cadena_ = cadena;
}

void Conexion::SetCommandTimeout(int segundos) {
    commandTimeout_ = segundos < 0 ? 0 : segundos;
}

QString Conexion::DefaultDatabase() const {
    return baseDefecto_;
}

void Conexion::SetDefaultDatabase(const QString& nombre) {
    Proteger([&](Motor& m, Errores& e) { m.FijarBaseDefecto(nombre, e); });
    baseDefecto_ = nombre.trimmed();
}

ResultadoMotor Conexion::EjecutarTexto(const QString& texto, bool unaSentencia) {
    // A query is one statement: a text that holds a second one (typed into a search, read from a
    // file) is refused whole, so none of it runs.
    if (unaSentencia && motor_) {
        int n = 0;
        try {
            n = dialecto::ContarSentencias(texto);
        } catch (const dialecto::TextoRechazado& r) {
            Rechazar(errores_, QStringLiteral("42000"), nativo::AnidamientoExcesivo, r.motivo);
        }
        if (n > 1)
            Rechazar(
                errores_, QStringLiteral("42000"), nativo::Sintaxis,
                QStringLiteral("Una consulta debe ser una sola sentencia; el texto trae %1 y no se ejecutó ninguna.").arg(n));
    }
    ResultadoMotor r;
    Proteger([&](Motor& m, Errores& e) { r = m.Ejecutar(texto, commandTimeout_, e); });
    return r;
}

std::unique_ptr<Recordset> Conexion::Execute(const QString& texto, long* afectadas, long opciones) {
    Q_UNUSED(opciones);
    ResultadoMotor r = EjecutarTexto(texto);
    if (afectadas) *afectadas = r.afectadas;
    auto rs = std::make_unique<Recordset>();
    if (r.tieneFilas) rs->CargarResultado(this, texto, std::move(r), adOpenForwardOnly, adLockReadOnly);
    return rs;
}

long Conexion::EjecutarConParametros(const QString& sql, const QVector<QVariant>& parametros) {
    long n = 0;
    Proteger([&](Motor& m, Errores& e) { n = m.EjecutarConParametros(sql, parametros, e); });
    return n;
}

void Conexion::BeginTrans() {
    Proteger([](Motor& m, Errores& e) { m.Comenzar(e); });
}

void Conexion::CommitTrans() {
    Proteger([](Motor& m, Errores& e) { m.Confirmar(e); });
}

void Conexion::RollbackTrans() {
    Proteger([](Motor& m, Errores& e) { m.Deshacer(e); });
}

std::unique_ptr<Recordset> Conexion::OpenSchema(int tipo, const QStringList& restricciones) {
    ResultadoMotor r;
    Proteger([&](Motor& m, Errores& e) { r = m.Esquema(tipo, restricciones, e); });
    auto rs = std::make_unique<Recordset>();
    rs->CargarResultado(this, QString(), std::move(r.campos), std::move(r.filas), adOpenStatic, adLockReadOnly);
    return rs;
}

bool Conexion::EnTransaccion() const {
    return motor_ && motor_->EnTransaccion();
}

bool Conexion::SoloLectura() const {
    return motor_ && motor_->SoloLectura();
}

qint64 Conexion::UltimoIdentificador() {
    if (!motor_) Ado(errnum::ConnectionInvalid);
    return motor_->UltimoIdentificador();
}

}  // namespace driver
