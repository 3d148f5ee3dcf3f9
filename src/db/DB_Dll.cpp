#include "db/DB_Dll.h"

#include "db/Dialecto.h"
#include "db/DialogoConexion.h"
#include "db/Guion.h"
#include "db/Literales.h"
#include "db/Sinonimos.h"
#include "services/FuncionesComunes.h"
#include "services/InformeErrores.h"
#include "services/Pasos.h"
#include "services/Plataforma.h"
#include "services/Sesion.h"

#include <QRegularExpression>
#include <QSet>
#include <functional>
#include <vector>

using driver::Recordset;

namespace {

const QString CR = QStringLiteral("\r");
const QString CRLF = QStringLiteral("\r\n");

bool Contiene(const QString& texto, const QString& buscado) {
    return texto.contains(buscado, Qt::CaseInsensitive);
}

// A failure of the link to the database, the only kind the connection is re-opened for: a busy or
// read-only database, a missing table or a refused statement are answered by the database itself.
bool ConexionPerdida(const driver::Errores& errores) {
    if (errores.Vacia()) return false;
    const driver::ErrorProveedor& p = errores.Item(0);
    return p.NativeError == driver::nativo::ConexionPerdida || p.SQLState.startsWith(QLatin1String("08"));
}

// The schema faults (a missing table or view, a missing column): the same one would otherwise be
// reported by every statement that meets it, dozens of times in one start-up.
bool FaltaEnElEsquema(const driver::Errores& errores) {
    if (errores.Vacia()) return false;
    const long n = errores.Item(0).NativeError;
    return n == driver::nativo::ObjetoInexistente || n == driver::nativo::ColumnaInexistente;
}

std::unique_ptr<DB_Dll>& instanciaPrincipal() {
    static std::unique_ptr<DB_Dll> p;
    return p;
}

}  // namespace

DB_Dll& gBaseDatos() {
    auto& p = instanciaPrincipal();
    if (!p) p = std::make_unique<DB_Dll>();
    return *p;
}

DB_Dll& gBaseDatosRemota() {
    static DB_Dll remota;
    return remota;
}

std::unique_ptr<DB_Dll> EstablecerBaseDatos(std::unique_ptr<DB_Dll> nueva) {
    auto anterior = std::move(instanciaPrincipal());
    instanciaPrincipal() = std::move(nueva);
    return anterior;
}

DB_Dll::DB_Dll() = default;
DB_Dll::~DB_Dll() = default;

driver::Conexion& DB_Dll::gCnn() {
    if (!cnn_) cnn_ = std::make_unique<driver::Conexion>();
    return *cnn_;
}

bool DB_Dll::EsOracle() const {
    return cnn_ && Contiene(cnn_->ConnectionString(), QStringLiteral("ORACLE"));
}

// ---------------------------------------------------------------- connection management

QString DB_Dll::CadenaSqlServer() const {
    return QStringLiteral("PROVIDER=") + pSQLOLEDB() + QStringLiteral(";") + QStringLiteral("Server=") + gServidor +
           QStringLiteral(";") + QStringLiteral("Database =") + gDBName + QStringLiteral(";") + QStringLiteral("UId=") +
           gUsuario + QStringLiteral(";") + QStringLiteral("Pwd=") + gUserPassWord + QStringLiteral(";") + gExtended;
}

QString DB_Dll::CadenaOracle() const {
    return QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=") + gDBName + QStringLiteral(";User Id=") + gUsuario +
           QStringLiteral(";Password=") + gUserPassWord + QStringLiteral(";");
}

void DB_Dll::DialogoParametros() {
    auto dlg = CrearDialogoConexion();
    if (!dlg) {
        // No window to ask with (a program without the connection window): the open cannot go on.
        gOpenFlag = false;
        return;
    }
    dlg->Cargar(gDBName, gServidor, sesion().gUsuarioSistema, gUsuarioClave, 0);
    if (dlg->Mostrar()) {
        gOpenFlag = true;
        gDBName = dlg->BaseDatos();
        gServidor = dlg->Servidor();
        // The suite's database login is the database name, with the database name as password; the
        // user and password boxes hold the application user, which the window keeps itself.
        gUsuario = dlg->BaseDatos();
        gUserPassWord = dlg->BaseDatos();
        if (dlg->Plataforma() > 0) {
            gProveedor = QStringLiteral("OraOLEDB.Oracle.1");
            if (!gServidor.contains(QLatin1Char('#'))) gServidor = QLatin1Char('#') + gServidor;
        } else {
            gProveedor = pSQLOLEDB();
        }
    } else {
        gOpenFlag = false;
    }
}

void DB_Dll::OpenServerADODB(bool PideParametrosSQL, long lCursor, const QString& ConnString, bool ValidaAdmin,
                             bool MuestraError) {
    auto armar = [this] {
        return gServidor.contains(QLatin1Char('#'), Qt::CaseInsensitive) ? CadenaOracle() : CadenaSqlServer();
    };
    bool abandonar = false;
    bool reintento3705 = false;
    std::vector<pasos::Paso> lista{
        pasos::paso([&] {
            gOpenFlag = true;
            if (gProveedor.isEmpty()) gProveedor = pSQLOLEDB();
        }),
        pasos::paso([&] { gConnString = ConnString.trimmed().isEmpty() ? armar() : ConnString; }),
        pasos::paso([&]() -> bool {
            if (!PideParametrosSQL) return true;
            DialogoParametros();
            if (!gOpenFlag) {
                abandonar = true;
                return false;
            }
            gConnString = armar();
            return true;
        }),
        pasos::paso([&] {
            gCnn().SetCursorLocation(static_cast<int>(lCursor));
            gCnn().Open(gConnString, QString(), QString(), -1);
        }),
        pasos::paso([&]() -> bool {
            if (ValidaAdmin) return true;
            gEsAdmin = true;
            return false;
        }),
        pasos::paso([&] {
            if (gDBName.trimmed().isEmpty()) return;
            gCnn().SetDefaultDatabase(gDBName);
            if (!ExisteTablaDB(QStringLiteral("TA_USUARIOS"))) return;
            if (!MuestraError) {
                gEsAdmin = true;
                return;
            }
            const QVariant v = DatosTabla(QStringLiteral("ta_usuarios"), sesion().gUsuarioSistema,
                                          QStringLiteral("Administrador"), QStringLiteral("nombre"), 8, QString(), true, false);
            gEsAdmin = FuncionesComunes::instancia().Val(v.toString()) == 1.0;
        }),
    };

    pasos::Ejecutar(
        QStringLiteral("OpenServerADODB"),
        [&](const ErrorEjecucion& e, const QString&) -> int {
            auto& errores = gCnn().Errors();
            if (!MuestraError || errores.Vacia()) {
                if (e.Number == errnum::ObjectOpen && !reintento3705) {
                    reintento3705 = true;
                    try {
                        gCnn().Close();
                    } catch (const ErrorEjecucion&) {
                    }
                    return pasos::Reintentar;
                }
                // A failed open is never reported as open, whether or not the provider said why.
                gOpenFlag = false;
                if (MuestraError) plataforma().MsgBox(e.Description, vb::OKOnly, QString());
                return 0;
            }
            const driver::ErrorProveedor p = errores.Item(0);
            const QString texto =
                QStringLiteral(" Estado de Sql: ") + p.SQLState + CR + QStringLiteral("Numero de Error: ") +
                QString::number(p.Number) + CR + QStringLiteral("Descripcion: ") + p.Description + CR +
                QStringLiteral("Codigo Nativo: ") + QString::number(p.NativeError) + CR + CRLF +
                QStringLiteral("Nombre de Proceso: ") + plataforma().NombreEjecutable() + CR + CRLF + CRLF +
                QStringLiteral("1. Verifique el Usuario, contraseña y base de datos") + CRLF +
                QStringLiteral(
                    "2. Verifique el nombre del servidor, quizas necesite agregarle el nombre de la instancia, por ejemplo : ") +
                gServidor + QStringLiteral("\\ORBEKIT") + CRLF +
                QStringLiteral("3. Verifique si el inicio de sesion para el usuario ") + gUsuario + QStringLiteral(" existe") +
                CRLF + CRLF + CRLF + QStringLiteral(" - Desea Intentarlo Nuevamente??? ");
            const int r =
                plataforma().MsgBox(texto, vb::YesNo + vb::Critical, QStringLiteral(" Error de Conexion a Base de Datos"));
            if (r == vb::Yes) {
                errores.Clear();
                DialogoParametros();
                if (!gOpenFlag) return 0;  // cancelled: the open ends without a message
                gConnString = armar();
                return pasos::Reintentar;
            }
            gOpenFlag = false;
            return 0;
        },
        lista);
    if (abandonar) gOpenFlag = false;
}

void DB_Dll::OpenLocalADODB(const QString& ConnString, const QString& CadenaID, const QString& CadenaPWD) {
    QString fragmentoClave;
    int clavesRechazadas = 0;
    for (;;) {
        if (gDBName.trimmed().isEmpty()) {
            const QString elegido = plataforma().ElegirArchivo(QStringLiteral("Buscar Base de Datos"),
                                                               QStringLiteral("Base de Datos de Microsoft Access |*.MDB"));
            if (elegido.isEmpty()) {
                gOpenFlag = false;
                return;
            }
            gDBName = elegido;
        }
        const QString cadena = ConnString.isEmpty()
                                   ? QStringLiteral("PROVIDER=") + gProveedor + QStringLiteral(";") +
                                         QStringLiteral("Data Source =") + gDBName + QStringLiteral(";") + CadenaID +
                                         QStringLiteral("=") + gUsuario + QStringLiteral(";") + CadenaPWD + QStringLiteral("=") +
                                         gUserPassWord + QStringLiteral(";") + gExtended
                                   : ConnString;
        try {
            gCnn().Errors().Clear();
            gCnn().Open(cadena + fragmentoClave, QString(), QString(), -1);
            gConnString = cadena + fragmentoClave;
            gOpenFlag = true;
            return;
        } catch (const ErrorEjecucion& e) {
            const auto& errores = gCnn().Errors();
            QString estado = errores.Vacia() ? QString() : errores.Item(0).SQLState;
            // The embedded back end reports a file it cannot open as SQL Server's "cannot open
            // database"; it is the local file's "not found" for this purpose.
            if (!errores.Vacia() && errores.Item(0).NativeError == 4060) estado = QStringLiteral("3024");
            if (estado == QLatin1String("3024") || estado == QLatin1String("3051") || estado == QLatin1String("3044")) {
                gDBName.clear();
                continue;
            }
            if (estado == QLatin1String("3031")) {
                if (gIgnoraPassWord.value_or(false)) {
                    // The stored password is refused again: stop after a few tries instead of looping.
                    if (++clavesRechazadas > 3) {
                        gOpenFlag = false;
                        plataforma().MsgBox(QStringLiteral("La base de datos rechazó la contraseña guardada."), vb::Critical,
                                            QString());
                        return;
                    }
                    fragmentoClave = QStringLiteral("Jet OLEDB:Database Password=") + gUserPassWord + QStringLiteral(";");
                } else {
                    const auto r = plataforma().InputBox(QStringLiteral("ingrese el password:"),
                                                         QStringLiteral("Password Access"), QString());
                    if (!r) {
                        gOpenFlag = false;
                        return;
                    }
                    fragmentoClave = QStringLiteral(" Jet OLEDB:Database Password=") + *r + QStringLiteral(";");
                }
                continue;
            }
            const long numero = errores.Vacia() ? e.Number : errores.Item(0).Number;
            const QString descripcion = errores.Vacia() ? e.Description : errores.Item(0).Description;
            plataforma().MsgBox(QString::number(numero) + QStringLiteral("  ") + descripcion, vb::Critical, QString());
            gOpenFlag = false;
            return;
        }
    }
}

void DB_Dll::ReintentaConectar() {
    std::vector<pasos::Paso> lista{
        pasos::paso([&] { gOpenFlag = false; }),
        pasos::paso([&] { gCnn().SetCommandTimeout(90); }),
        pasos::paso([&] { gCnn().Close(); }),
        pasos::paso([&] { gCnn().Open(gCnn().ConnectionString(), gUsuario, gUserPassWord, -1); }),
        pasos::paso([&] { gOpenFlag = true; }),
    };
    pasos::Ejecutar(
        QStringLiteral("ReintentaConectar"),
        [&](const ErrorEjecucion& e, const QString&) -> int {
            if (e.Number == errnum::ObjectClosed) return pasos::Ignorar;
            gOpenFlag = false;
            if (e.Number == errnum::E_FAIL) return 0;
            return TratamientoErrores(e, 18, QStringLiteral("AbrirRecordset"));
        },
        lista);
}

// ---------------------------------------------------------------- statements and record sets

QString DB_Dll::PrepararTexto(const QString& texto) const {
    return sinonimos::PrepararSentencia(texto, gEsAdmin, sesion().gConfidencialidad, plataforma().NombreEjecutable());
}

bool DB_Dll::RecuperaConexion(Variante variante, int& cuenta) {
    // The step is repeated on a connection opened afresh: the errors of the lost connection and of
    // the failed re-opens are history by then, and callers judge the repeated step by the list.
    // On a give-up they stay, for the caller to see why.
    auto repetir = [this] {
        gCnn().Errors().Clear();
        return true;
    };
    ReintentaConectar();
    if (gOpenFlag) {
        ++cuenta;
        return cuenta < 3 && repetir();
    }
    for (;;) {
        ReintentaConectar();
        if (variante == Variante::A) {
            if (gOpenFlag) {
                ++cuenta;
                return cuenta < 3 && repetir();
            }
        } else {
            if (gOpenFlag) return repetir();
            ++cuenta;
            if (cuenta < 3) continue;
        }
        const QString texto = CRLF + CRLF + CRLF + QStringLiteral("Se perdio la conexion con la base de datos ") +
                              gBaseDatos().gDBName + CRLF + QStringLiteral(" Servidor ") + gBaseDatos().gServidor + CRLF + CRLF +
                              QStringLiteral("Elija SI para reintentar conectarse") + CRLF +
                              QStringLiteral("Elija NO para cerrar la aplicacion") + CRLF + CRLF + CRLF;
        if (plataforma().MsgBox(texto, vb::YesNo + vb::Critical, QStringLiteral("AVISO AL OPERADOR")) != vb::Yes)
            plataforma().Terminar(0);
    }
}

namespace {
// A failure the provider did not describe (a closed connection, a text that could not be prepared)
// must still be visible to callers, which judge success by the error list.
void AnotarError(driver::Errores& errores, const ErrorEjecucion& e) {
    if (!errores.Vacia()) return;
    driver::ErrorProveedor p;
    p.SQLState = QStringLiteral("HY000");
    p.Number = e.Number;
    p.Description = e.Description;
    p.Source = e.Source;
    errores.Agregar(p);
}
}  // namespace

void DB_Dll::EjecutaConsultaSQL(const QString& SentenciaSQL) {
    QString s = SentenciaSQL;
    long n = 0;
    EjecutaConsultaSQL(s, n, nullptr);
}

void DB_Dll::EjecutaConsultaSQL(QString& SentenciaSQL, long& RecordsAffected, std::unique_ptr<Recordset>* Lrcs) {
    EjecutarSentencias(SentenciaSQL, RecordsAffected, Lrcs, false);
}

void DB_Dll::EjecutaConsultaRSQL(QString& SentenciaSQL, long& RecordsAffected, std::unique_ptr<Recordset>* Lrcs) {
    EjecutarSentencias(SentenciaSQL, RecordsAffected, Lrcs, true);
}

// The one body of both: the statement prepared, run (as a script on Oracle), and a truncation
// warning alone cleared; the two differ in the error list they read and in what they report.
void DB_Dll::EjecutarSentencias(QString& SentenciaSQL, long& RecordsAffected, std::unique_ptr<Recordset>* Lrcs, bool remota) {
    auto errores = [&]() -> driver::Errores& { return remota ? gBaseDatosRemota().gCnn().Errors() : gCnn().Errors(); };
    const bool transaccion = Contiene(SentenciaSQL, QStringLiteral("TRANS"));
    auto soloTruncamiento = [&] {
        return !errores().Vacia() && !transaccion && errores().Item(0).NativeError == driver::nativo::Truncamiento;
    };
    int cuenta = 0;
    bool terminado = false;
    std::vector<pasos::Paso> lista{
        pasos::paso([&] { SentenciaSQL = PrepararTexto(SentenciaSQL); }),
        pasos::paso([&] {
            if (!EsOracle()) return;
            EjecutaScript(SentenciaSQL, RecordsAffected);
            terminado = true;
        }),
        pasos::paso([&] {
            if (terminado) return;
            long afectadas = 0;
            UltimaSentencia = SentenciaSQL;
            auto rs = gCnn().Execute(SentenciaSQL, &afectadas, -1);
            RecordsAffected = afectadas;
            if (Lrcs) *Lrcs = std::move(rs);
        }),
        pasos::paso([&] {
            if ((errores().Count() == 1 || errores().Count() == 2) && soloTruncamiento()) errores().Clear();
        }),
    };
    pasos::Ejecutar(
        remota ? QStringLiteral("EjecutaConsultaRSQL") : QStringLiteral("EjecutaConsultaSQL"),
        [&](const ErrorEjecucion& e, const QString&) -> int {
            if (soloTruncamiento()) {
                errores().Clear();
                return 0;
            }
            if (remota) {
                const bool filtrado = e.Number == errnum::E_FAIL || e.Number == errnum::DB_E_INTEGRITYVIOLATION ||
                                      e.Number == errnum::DB_E_NOTABLE || e.Number == errnum::DB_E_ERRORSINCOMMAND || transaccion;
                if (!filtrado) plataforma().MsgBox(e.Description, vb::Critical, QStringLiteral("Aviso al operador!!!"));
                return 0;
            }
            // A link lost inside an open transaction takes the transaction with it: repeating the
            // statement on a fresh connection would run it alone, outside what the caller began.
            if (!transaccion && !errores().Vacia() && errores().Item(0).NativeError == driver::nativo::ConexionPerdida &&
                !gCnn().EnTransaccion())
                return RecuperaConexion(Variante::B, cuenta) ? pasos::Reintentar : 0;
            AnotarError(errores(), e);
            return 0;
        },
        lista);
}

void DB_Dll::EjecutaConParametros(const QString& SentenciaSQL, const QVector<QVariant>& Valores, long& RecordsAffected) {
    RecordsAffected = 0;
    // A bulk writer sends the same text again and again: it is prepared once.
    const QString clave = SentenciaSQL + QChar(0) + (gEsAdmin ? QLatin1Char('A') : QLatin1Char('-')) +
                          (sesion().gConfidencialidad ? QLatin1Char('C') : QLatin1Char('-'));
    if (clave != ultimaConParametros_) {
        ultimaConParametros_ = clave;
        preparadaConParametros_ = PrepararTexto(SentenciaSQL);
    }
    const QString& texto = preparadaConParametros_;
    UltimaSentencia = texto;
    try {
        RecordsAffected = gCnn().EjecutarConParametros(texto, Valores);
    } catch (const ErrorEjecucion& e) {
        AnotarError(gCnn().Errors(), e);
    }
}

void DB_Dll::AbrirRecordset(const QString& SentenciaSQL, Recordset& Lrcs, int CursorType, int LockType) {
    QString s = SentenciaSQL;
    AbrirRecordset(s, Lrcs, nullptr, CursorType, LockType, -1, true);
}

void DB_Dll::AbrirRecordset(QString& SentenciaSQL, Recordset& Lrcs, driver::Conexion* Conexionactiva, int CursorType,
                            int LockType, long Options, bool ConvOracle) {
    int cuenta = 2;
    std::vector<pasos::Paso> lista{
        pasos::paso([&] { CierraRecordset(Lrcs); }),
        pasos::paso([&] { SentenciaSQL = SS_TSinonimos(SentenciaSQL); }),
        pasos::paso([&] {
            driver::Conexion* c = Conexionactiva ? Conexionactiva : &gCnn();
            const int pos = gCnn().ConnectionString().indexOf(QStringLiteral("ORACLE"), 0, Qt::CaseInsensitive);
            UltimaSentencia = pos > 0 && ConvOracle ? ORACLE_Dicc(SentenciaSQL) : SentenciaSQL;
            Lrcs.Open(UltimaSentencia, c, CursorType, LockType, Options);
        }),
        pasos::paso([&] { plataforma().ProcesarEventos(); }),
    };
    pasos::Ejecutar(
        QStringLiteral("AbrirRecordset"),
        [&](const ErrorEjecucion& e, const QString&) -> int {
            if ((e.Number == errnum::E_FAIL || e.Number == errnum::ConnectionInvalid) && ConexionPerdida(gCnn().Errors())) {
                if (RecuperaConexion(Variante::B, cuenta)) return pasos::Reintentar;
            }
            return TratamientoErrores(e, 18, QStringLiteral("AbrirRecordset"));
        },
        lista);
}

void DB_Dll::CierraRecordset(Recordset& LrcsTemp) {
    for (;;) {
        if (LrcsTemp.State() == driver::adStateClosed) return;
        try {
            LrcsTemp.Close();
            return;
        } catch (const ErrorEjecucion& e) {
            if (e.Number == errnum::OperationNotAllowed) {
                LrcsTemp.CancelUpdate();
                if (LrcsTemp.State() != driver::adStateClosed) LrcsTemp.Close();  // errors here reach the caller
                return;
            }
            if (TratamientoErrores(e, 18, QStringLiteral("CierraRecordset")) == pasos::Reintentar) continue;
            return;
        }
    }
}

// ---------------------------------------------------------------- dialect, scripts, synonyms

QString DB_Dll::ORACLE_Dicc(const QString& Valor) const {
    return dialecto::ORACLE_Dicc(Valor, gConnString);
}

QString DB_Dll::SS_TSinonimos(const QString& SQL) const {
    return sinonimos::SS_TSinonimos(SQL, gEsAdmin, sesion().gConfidencialidad, plataforma().NombreEjecutable());
}

QString DB_Dll::DepuraSentencia(QString& Sentencia) const {
    return guion::DepuraSentencia(Sentencia);
}

// ---------------------------------------------------------------- literals

bool DB_Dll::adodate(const QVariant& q) {
    return literales::adodate(q);
}
QString DB_Dll::ADOComilla(const QVariant& q) {
    return literales::ADOComilla(q);
}
bool DB_Dll::ADOText(const QVariant& q) {
    return literales::ADOText(q);
}
bool DB_Dll::ADONumeric(const QVariant& q) {
    return literales::ADONumeric(q);
}
bool DB_Dll::ADOCurrency(const QVariant& q) {
    return literales::ADOCurrency(q);
}
bool DB_Dll::ADOBoolean(const QVariant& q) {
    return literales::ADOBoolean(q);
}
QString DB_Dll::SQLValue(const QVariant& v, const QString& t) {
    return literales::SQLValue(v, t);
}
QString DB_Dll::SQLValue2(const QVariant& v, const QString& t) {
    return literales::SQLValue2(v, t);
}

// ---------------------------------------------------------------- schema helpers

// True when the schema rowset holds a row whose column `columna` names `buscado` (without regard
// to case or surrounding blanks).
bool DB_Dll::EnElEsquema(int tipoEsquema, const QStringList& restricciones, const QString& columna, const QString& buscado) {
    bool resultado = false;
    std::unique_ptr<Recordset> rs;
    std::vector<pasos::Paso> lista{
        pasos::paso([&] { rs = gCnn().OpenSchema(tipoEsquema, restricciones); }),
        pasos::paso([&]() -> bool {
            if (!rs || rs->State() == driver::adStateClosed || (rs->BOF() && rs->EOF_())) return false;
            for (rs->MoveFirst(); !rs->EOF_(); rs->MoveNext()) {
                if (rs->Fields(columna).Value.toString().trimmed().compare(buscado.trimmed(), Qt::CaseInsensitive) == 0) {
                    resultado = true;
                    return false;
                }
            }
            return true;
        }),
    };
    pasos::Ejecutar(
        QStringLiteral("VerificaCampos"),
        [&](const ErrorEjecucion& e, const QString& rutina) { return TratamientoErrores(e, 18, rutina); }, lista);
    return resultado;
}

bool DB_Dll::ExisteTablaDB(const QString& Tabla) {
    return EnElEsquema(driver::adSchemaTables, {}, QStringLiteral("TABLE_NAME"), Tabla);
}

bool DB_Dll::ExisteCampoDB(const QString& Tabla, const QString& Campo) {
    if (Contiene(gProveedor, QStringLiteral("ORACLE"))) return true;
    return EnElEsquema(driver::adSchemaColumns, {gDBName, QString(), Tabla, QString()}, QStringLiteral("COLUMN_NAME"), Campo);
}

void DB_Dll::AddField(const QString& Tabla, const QString& Campo, const QString& Tipo, bool PermiteNulos,
                      const QVariant& ValorDefault) {
    std::vector<pasos::Paso> lista{pasos::paso([&] {
        QString s = QStringLiteral("ALTER TABLE dbo.") + Tabla + QStringLiteral(" ADD ") + Campo + QStringLiteral(" ") + Tipo +
                    (PermiteNulos ? QStringLiteral(" Null ") : QStringLiteral(" Not Null "));
        if (ValorDefault.isValid())
            s += QStringLiteral(" CONSTRAINT DF_") + Tabla.trimmed() + QStringLiteral("_") + Campo.trimmed() +
                 QStringLiteral(" DEFAULT (") + ValorDefault.toString() + QStringLiteral(")");
        long n = 0;
        EjecutaConsultaSQL(s, n, nullptr);
    })};
    pasos::Ejecutar(
        QStringLiteral("errAddField"),
        [&](const ErrorEjecucion& e, const QString& rutina) { return TratamientoErrores(e, 18, rutina); }, lista);
}

bool DB_Dll::VerCampoDB(const QString& Tabla, const QString& Campo, bool Agregar, const QString& Tipo, bool PermiteNulos,
                        const QVariant& ValorDefault) {
    if (ExisteTablaDB(Tabla) && !ExisteCampoDB(Tabla, Campo) && Agregar) AddField(Tabla, Campo, Tipo, PermiteNulos, ValorDefault);
    return true;
}

// ---------------------------------------------------------------- error treatment

bool DB_Dll::YaInformado() {
    const auto& errores = gCnn().Errors();
    if (!FaltaEnElEsquema(errores)) return false;
    const QString clave = errores.Item(0).Description;
    if (informados_.contains(clave)) return true;
    informados_.insert(clave);
    return false;
}

int DB_Dll::TratamientoErrores(const ErrorEjecucion& CodErr, int Botones, const QString& Rutina) {
    // A table or column missing from the database is said once; the statements that meet it again
    // give up quietly.
    if (YaInformado()) return vb::Abort;
    informe::Opciones o;
    o.sufijoTitulo = QStringLiteral(" Aviso al operador!!! - 5 ");
    o.rutaLog = gLogErr.isEmpty() ? FuncionesComunes::instancia().CarpetaPrograma() + QStringLiteral("TVERR.LOG") : gLogErr;
    o.abrirAntes = false;  // an error 0 neither shows a box nor creates the file
    return informe::Informar(CodErr, Botones, Rutina, o);
}

// ---------------------------------------------------------------- existence checks and single values

namespace {

int CodigoTipo(const QVariant& t) {
    if (t.typeId() == QMetaType::QString) {
        const QString s = t.toString().trimmed();
        if (s == QLatin1String("'")) return 8;
        bool ok = false;
        const int n = s.toInt(&ok);
        return ok ? n : -1;
    }
    bool ok = false;
    const int n = t.toInt(&ok);
    return ok ? n : -1;
}

// Text values are quoted literals; the suite removes single quotes from values so that a typed
// quote can neither break nor change the statement.
// A value compared with a column that is not text goes into the statement as it is; it must be
// what the column holds (a number, a date, true or false), never a piece of SQL.
bool ValorAdmitido(int tipo, const QString& valor) {
    static const QRegularExpression numero(QStringLiteral(R"(^[+-]?(\d+([.,]\d*)?|[.,]\d+)([eE][+-]?\d+)?$)"));
    static const QRegularExpression fecha(
        QStringLiteral(R"(^'?\d{1,4}[-/.]\d{1,2}[-/.]\d{1,4}([ T]\d{1,2}:\d{2}(:\d{2}(\.\d+)?)?)?'?$)"));
    const QString v = valor.trimmed();
    if (tipo == 7) return fecha.match(v).hasMatch();
    return numero.match(v).hasMatch() || fecha.match(v).hasMatch() ||
           v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
           v.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 ||
           v.compare(QLatin1String("null"), Qt::CaseInsensitive) == 0;
}

QString MensajeValorRechazado(const QString& valor, const QString& campo) {
    return QStringLiteral("El valor \"%1\" no es un número ni una fecha para %2: no se consultó la base de datos.")
        .arg(valor.left(60), campo.trimmed());
}

QString SinComillas(const QString& v) {
    QString r = v;
    r.remove(QLatin1Char('\''));
    return r;
}

}  // namespace

bool DB_Dll::ExisteEnTablaComun(bool simple, const QString& T, const QString& V, const QString& C, Recordset* Lrcs,
                                const QVariant& Tipodato, const QString& Condicion, bool SoloLectura) {
    QString texto;
    if (Condicion.isEmpty()) {
        const int tipo = CodigoTipo(Tipodato);
        if (tipo != 8 && tipo != 3 && tipo != 4 && tipo != 5 && !ValorAdmitido(tipo, V)) {
            plataforma().MsgBox(MensajeValorRechazado(V, C), vb::Critical, QStringLiteral("Aviso al Operador"));
            return false;
        }
        const QString desde = simple ? QStringLiteral("SELECT * FROM ") + T + QStringLiteral(" with(nolock)   WHERE ")
                                     : QStringLiteral("SELECT TOP 1 * FROM ") + T + QStringLiteral(" with(nolock)  WHERE ");
        if (tipo == 8) {
            texto = simple ? desde + C + QStringLiteral(" ='") + SinComillas(V) + QStringLiteral("'")
                           : QStringLiteral("SELECT TOP 1  * FROM ") + T + QStringLiteral(" with(nolock)  WHERE LTRIM(RTRIM(") +
                                 C + QStringLiteral(")) ='") + SinComillas(V.trimmed()) + QStringLiteral("'");
        } else if (tipo == 7) {
            texto = desde + C + QStringLiteral(" = ") + V.trimmed() + QStringLiteral(" ");
        } else if (tipo == 3 || tipo == 5 || tipo == 4) {
            texto = desde + C + QStringLiteral(" = ") + literales::TextoNumero(V);
        } else {
            texto = desde + C + QStringLiteral(" = ") + V;
        }
    } else {
        texto = simple ? QStringLiteral("SELECT * FROM ") + T + QStringLiteral(" with(nolock)  ")
                       : QStringLiteral("SELECT TOP 1 * FROM ") + T + QStringLiteral(" with(nolock) ");
        texto += Contiene(Condicion, QStringLiteral(" WHERE ")) ? QStringLiteral(" ") : QStringLiteral(" WHERE ");
        texto += Condicion;
    }
    if (!simple) texto = SS_TSinonimos(texto);

    bool resultado = false;
    int cuenta = 0;
    std::vector<pasos::Paso> lista;
    if (Lrcs) {
        lista = {
            pasos::paso([&] {
                if (Lrcs->State() != driver::adStateClosed) Lrcs->Close();
            }),
            pasos::paso([&] {
                const int cursor = SoloLectura ? driver::adOpenForwardOnly : Lrcs->CursorType();
                const int bloqueo = SoloLectura ? driver::adLockReadOnly : Lrcs->LockType();
                UltimaSentencia = texto;
                Lrcs->Open(texto, &gCnn(), cursor, bloqueo, -1);
                resultado = !Lrcs->BOF();
            }),
        };
    } else {
        lista = {pasos::paso([&] {
            UltimaSentencia = simple ? texto : ORACLE_Dicc(texto);
            Recordset rs;
            rs.Open(UltimaSentencia, &gCnn(), driver::adOpenForwardOnly, driver::adLockReadOnly, -1);
            resultado = !(rs.BOF() && rs.EOF_());
            rs.Close();
        })};
    }
    pasos::Ejecutar(
        QStringLiteral("ExisteEnTablaComun"),
        [&](const ErrorEjecucion& e, const QString&) -> int { return ResponderFalloConsulta(e, Variante::A, cuenta); }, lista);
    return resultado;
}

// What the lookups do with a failure: a lost link is re-opened (and the step repeated); anything
// else goes to the operator once (Abort/Retry/Ignore), a schema fault only the first time.
int DB_Dll::ResponderFalloConsulta(const ErrorEjecucion& e, Variante variante, int& cuenta) {
    const auto& errores = gCnn().Errors();
    if (!errores.Vacia() && errores.Item(0).NativeError == driver::nativo::ConexionPerdida && RecuperaConexion(variante, cuenta))
        return pasos::Reintentar;
    if (YaInformado()) return 0;
    const int r = plataforma().MsgBox(e.Description, vb::AbortRetryIgnore + vb::Critical, QStringLiteral("Aviso al Operador"));
    if (r == vb::Retry) return pasos::Reintentar;
    if (r == vb::Ignore) return pasos::Ignorar;
    return 0;
}

bool DB_Dll::ExisteEnTabla(const QString& Tabla, const QString& ValorBuscado, const QString& Campo, Recordset* Lrcs,
                           const QVariant& Tipodato, const QString& Condicion, bool SoloLectura) {
    return ExisteEnTablaComun(false, Tabla, ValorBuscado, Campo, Lrcs, Tipodato, Condicion, SoloLectura);
}

bool DB_Dll::ExisteEnTablaST(const QString& Tabla, const QString& ValorBuscado, const QString& Campo, Recordset* Lrcs,
                             const QVariant& Tipodato, const QString& Condicion, bool SoloLectura) {
    return ExisteEnTablaComun(true, Tabla, ValorBuscado, Campo, Lrcs, Tipodato, Condicion, SoloLectura);
}

QVariant DB_Dll::DatosTabla(const QString& T, const QString& V, const QString& CampoDevuelto, const QString& C,
                            const QVariant& Tipodato, const QString& Condicion, bool UsaTrim, bool IgnoraError) {
    const int tipo = CodigoTipo(Tipodato);
    if (tipo != 8 && tipo != 3 && tipo != 4 && tipo != 5 && !ValorAdmitido(tipo, V)) {
        if (!IgnoraError) plataforma().MsgBox(MensajeValorRechazado(V, C), vb::Critical, QStringLiteral("Aviso al Operador"));
        return IgnoraError ? QVariant(QString()) : QVariant();
    }
    const QString sufijo = Condicion.trimmed().isEmpty() ? QString() : QStringLiteral(" AND ") + Condicion;
    const QString inicio = QStringLiteral("SELECT TOP 1 * FROM ") + T + QStringLiteral(" with(nolock)  WHERE ");
    QString texto;
    if (tipo == 8 && UsaTrim)
        texto = inicio + QStringLiteral("LTRIM(RTRIM(") + C + QStringLiteral(")) ='") + SinComillas(V.trimmed()) +
                QStringLiteral("' ") + sufijo;
    else if (tipo == 8)
        texto = inicio + C + QStringLiteral(" ='") + SinComillas(V) + QStringLiteral("' ") + sufijo;
    else if (tipo == 7)
        texto = inicio + C + QStringLiteral(" = #") + V.trimmed() + QStringLiteral("# ") + sufijo;
    else if (tipo == 3 || tipo == 5 || tipo == 4)
        texto = inicio + C + QStringLiteral(" = ") + literales::TextoNumero(V) + sufijo;
    else
        texto = inicio + C + QStringLiteral(" = ") + V + sufijo;

    QVariant resultado;
    int cuenta = 0;
    Recordset rs;
    std::vector<pasos::Paso> lista{
        pasos::paso([&] { AbrirRecordset(texto, rs, &gCnn(), driver::adOpenForwardOnly, driver::adLockReadOnly, -1, true); }),
        pasos::paso([&]() -> bool { return gOpenFlag; }),
        pasos::paso([&]() -> bool {
            // A record set left closed means the open failed (AbrirRecordset has already reported
            // it): the result stays empty, so that callers can tell it from a missing row; with
            // errors ignored it is the empty text every failure gives.
            if (rs.State() == driver::adStateClosed) {
                if (IgnoraError) resultado = QString();
                return false;
            }
            if (rs.BOF() && rs.EOF_())
                resultado = QString();
            else
                resultado = FuncionesComunes::instancia().TextoCampo(rs.Fields(CampoDevuelto).Value);
            return true;
        }),
        pasos::paso([&] { CierraRecordset(rs); }),
    };
    pasos::Ejecutar(
        QStringLiteral("DatosTabla"),
        [&](const ErrorEjecucion& e, const QString&) -> int {
            if (IgnoraError) {
                resultado = QString();
                return 0;
            }
            return ResponderFalloConsulta(e, Variante::B, cuenta);
        },
        lista);
    return resultado;
}

QVariant DB_Dll::BuscaMaximo(const QString& QueTabla, const QString& QueCampo, const QVariant& Tipo, QString* Condicion) {
    QString condicionPropia;  // used when the caller passed no condition
    for (;;) {
        QString texto = QStringLiteral("SELECT MAX(") + QueCampo + QStringLiteral(") AS MAYOR FROM ") + QueTabla;
        if (Condicion) texto += QStringLiteral(" WHERE ") + Condicion->trimmed();
        Recordset rs;
        UltimaSentencia = texto;
        rs.Open(texto, &gCnn(), driver::adOpenForwardOnly, driver::adLockReadOnly, -1);
        if (rs.BOF() && rs.EOF_()) return QVariant();
        const QString mayor = FuncionesComunes::instancia().TextoCampo(rs.Fields(QStringLiteral("MAYOR")).Value);
        if (QueTabla.compare(QStringLiteral("V_MA_ARTICULOS"), Qt::CaseInsensitive) == 0 &&
            mayor.trimmed().startsWith(QLatin1Char('0'))) {
            // Article codes starting with "0" are never proposed as the greatest code.
            QString* c = Condicion ? Condicion : &condicionPropia;
            if (c->trimmed().isEmpty())
                *c = QStringLiteral(" substring(ltrim(idarticulo),1,1)<>'0'");
            else
                *c += QStringLiteral(" and substring(ltrim(idarticulo),1,1)<>'0'");
            Condicion = c;
            rs.Close();
            continue;
        }
        rs.Close();
        if (CodigoTipo(Tipo) == 7) return mayor;
        return FuncionesComunes::instancia().Val(mayor);
    }
}

QVariant DB_Dll::BuscaMinimo(const QString& QueTabla, const QString& QueCampo, const QVariant&, const QString* Condicion) {
    QString texto = QStringLiteral("SELECT MIN(") + QueCampo + QStringLiteral(") AS MENOR FROM ") + QueTabla +
                    QStringLiteral("  with(nolock) ");
    if (Condicion) texto += QStringLiteral(" WHERE ") + Condicion->trimmed();
    Recordset rs;
    UltimaSentencia = texto;
    rs.Open(texto, &gCnn(), driver::adOpenForwardOnly, driver::adLockReadOnly, -1);
    if (rs.BOF() && rs.EOF_()) return QVariant();
    const QVariant r =
        FuncionesComunes::instancia().Val(FuncionesComunes::instancia().TextoCampo(rs.Fields(QStringLiteral("MENOR")).Value));
    rs.Close();
    return r;
}

QVariant DB_Dll::BuscaUltimoCodigo(const QString& QueTabla, const QString& QueCampo, const QVariant&, const QString& Condicion) {
    QString texto = QStringLiteral("SELECT MAX(") + QueCampo + QStringLiteral(") AS MAYOR FROM ") + QueTabla;
    if (!Condicion.trimmed().isEmpty()) texto += QStringLiteral(" WHERE ") + Condicion;
    Recordset rs;
    UltimaSentencia = texto;
    rs.Open(texto, &gCnn(), driver::adOpenForwardOnly, driver::adLockReadOnly, -1);
    if (rs.BOF() && rs.EOF_()) return QVariant();
    const QVariant r =
        FuncionesComunes::instancia().Val(FuncionesComunes::instancia().TextoCampo(rs.Fields(QStringLiteral("MAYOR")).Value));
    rs.Close();
    return r;
}

// ---------------------------------------------------------------- Oracle scripts

void DB_Dll::EjecutaScript(QString& script, long& afectadas) {
    // The first failing statement stops the script: its error reaches the calling method, and the
    // statements already run stay run.
    script = guion::NormalizarGuion(script);
    while (const auto paso = guion::SiguientePaso(script, gConnString)) {
        if (paso->accion) {
            switch (paso->accion->tipo) {
                case guion::AccionGuion::Tipo::IniciarTransaccion:
                    gCnn().BeginTrans();
                    break;
                case guion::AccionGuion::Tipo::ConfirmarTransaccion:
                    gCnn().CommitTrans();
                    break;
                case guion::AccionGuion::Tipo::DeshacerTransaccion:
                    gCnn().RollbackTrans();
                    break;
                case guion::AccionGuion::Tipo::Ejecutar: {
                    long n = 0;
                    UltimaSentencia = paso->accion->sentencia;
                    gCnn().Execute(paso->accion->sentencia, &n, -1);
                    afectadas += n;
                    break;
                }
            }
        }
        script = paso->resto;
    }
    auto& errores = gCnn().Errors();
    if (errores.Count() == 1 && errores.Item(0).Number == 265929) errores.Clear();
}
