#pragma once

#include "db/driver/Conexion.h"
#include "db/driver/Recordset.h"
#include "services/ErrorEjecucion.h"

#include <QSet>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>

// The shared database access object: the one connection of the program and every statement,
// record set, existence check and single-value lookup that goes through it. Errors never reach the
// caller as exceptions (except where a method says so): callers read the outcome in gOpenFlag, in
// their record set and in the connection's error list.
class DB_Dll {
public:
    DB_Dll();
    ~DB_Dll();
    DB_Dll(const DB_Dll&) = delete;
    DB_Dll& operator=(const DB_Dll&) = delete;

    // ---- connection state (public fields, as every caller reads and writes them) ----
    QString gUsuarioClave;                // password put into the connection window
    bool gOpenFlag = false;               // the last open or re-open succeeded
    std::optional<bool> gIgnoraPassWord;  // a refused local-file password: true = use gUserPassWord
    QString gProveedor;                   // empty reads as "SQLOLEDB"
    QString gServidor;                    // "#" anywhere marks an Oracle server
    QString gDBName;
    QString gUsuario;
    bool gEsAdmin = false;
    QString gUserPassWord;
    QString gConnString;
    QString gExtended;

    // The text of the last statement this object sent to the database, as it was sent (markers
    // removed, synonyms and dialect applied), whether or not it succeeded. Kept for diagnosis: the
    // error reports of the callers and the tests read it.
    QString UltimaSentencia;

    // The connection, created on first use.
    driver::Conexion& gCnn();

    static QString pSQLOLEDB() { return QStringLiteral("SQLOLEDB"); }
    static QString pJETOLEDB40() { return QStringLiteral("Microsoft.Jet.OLEDB.4.0"); }
    static QString pJETOLEDB35() { return QStringLiteral("Microsoft.Jet.OLEDB.3.51"); }

    // ---- connection management ----
    void OpenServerADODB(bool PideParametrosSQL, long lCursor, const QString& ConnString, bool ValidaAdmin, bool MuestraError);
    void OpenLocalADODB(const QString& ConnString, const QString& CadenaID, const QString& CadenaPWD);
    void ReintentaConectar();
    // The connection strings built from the fields.
    QString CadenaSqlServer() const;
    QString CadenaOracle() const;

    // ---- statements and record sets ----
    void EjecutaConsultaSQL(QString& SentenciaSQL, long& RecordsAffected, std::unique_ptr<driver::Recordset>* Lrcs = nullptr);
    void EjecutaConsultaSQL(const QString& SentenciaSQL);  // convenience: no record set, count discarded
    // One statement in the back end's plain SQL with "?" placeholders bound to the values (no dialect
    // translation, so no SQL Server syntax in it): values never become SQL text. Like
    // EjecutaConsultaSQL, failures only fill the connection's error list. A lost connection is not
    // re-opened here: the statement is meant to run inside the caller's transaction, which a
    // connection opened afresh would no longer hold. The back end keeps the statement prepared
    // for the next call with the same text.
    void EjecutaConParametros(const QString& SentenciaSQL, const QVector<QVariant>& Valores, long& RecordsAffected);
    void EjecutaConsultaRSQL(QString& SentenciaSQL, long& RecordsAffected, std::unique_ptr<driver::Recordset>* Lrcs = nullptr);
    void AbrirRecordset(QString& SentenciaSQL, driver::Recordset& Lrcs, driver::Conexion* Conexionactiva = nullptr,
                        int CursorType = driver::adOpenForwardOnly, int LockType = driver::adLockReadOnly, long Options = -1,
                        bool ConvOracle = true);
    void AbrirRecordset(const QString& SentenciaSQL, driver::Recordset& Lrcs, int CursorType = driver::adOpenForwardOnly,
                        int LockType = driver::adLockReadOnly);
    void CierraRecordset(driver::Recordset& LrcsTemp);
    // Kept for the suite's callers; they do nothing.
    void QConsulta(const QString&, const QString&, const QString&, const QString& /*CmpDisplay*/, const QString& /*SQLWHERE*/,
                   const QString&) {}
    void QGridConsulta(const QString& /*Sentencia*/, const QString& /*CampoDevuelto1*/, const QString& /*gCnnString*/,
                       const QString& /*CampoDevuelto2*/, const QString& /*CampoDevuelto3*/) {}

    // ---- dialect, scripts, synonyms ----
    QString ORACLE_Dicc(const QString& Valor) const;
    QString SS_TSinonimos(const QString& SQL) const;
    QString DepuraSentencia(QString& Sentencia) const;

    // ---- literals and names ----
    static bool adodate(const QVariant& Qtype);
    static QString ADOComilla(const QVariant& Qtype);
    static bool ADOText(const QVariant& Qtype);
    static bool ADONumeric(const QVariant& Qtype);
    static bool ADOCurrency(const QVariant& Qtype);
    static bool ADOBoolean(const QVariant& Qtype);
    static QString SQLValue(const QVariant& Valor, const QString& Tipo);
    static QString SQLValue2(const QVariant& Valor, const QString& Tipo);

    // ---- schema helpers ----
    bool ExisteTablaDB(const QString& Tabla);
    bool ExisteCampoDB(const QString& Tabla, const QString& Campo);
    void AddField(const QString& Tabla, const QString& Campo, const QString& Tipo, bool PermiteNulos,
                  const QVariant& ValorDefault = QVariant());
    bool VerCampoDB(const QString& Tabla, const QString& Campo, bool Agregar, const QString& Tipo, bool PermiteNulos,
                    const QVariant& ValorDefault = QVariant());

    // ---- error treatment ----
    int TratamientoErrores(const ErrorEjecucion& CodErr, int Botones = 18, const QString& Rutina = QString());
    QString ArchivoErrores() const { return gLogErr; }
    void SetArchivoErrores(const QVariant& valor) { gLogErr = valor.toString(); }

    // ---- existence checks and single values ----
    bool ExisteEnTabla(const QString& Tabla, const QString& ValorBuscado, const QString& Campo, driver::Recordset* Lrcs = nullptr,
                       const QVariant& Tipodato = 8, const QString& Condicion = QString(), bool SoloLectura = true);
    bool ExisteEnTablaST(const QString& Tabla, const QString& ValorBuscado, const QString& Campo,
                         driver::Recordset* Lrcs = nullptr, const QVariant& Tipodato = 8, const QString& Condicion = QString(),
                         bool SoloLectura = true);
    // The text of column CampoDevuelto of the first matching row: "" when there is none, an
    // empty (invalid) QVariant after a failed open.
    QVariant DatosTabla(const QString& Tabla, const QString& ValorBuscado, const QString& CampoDevuelto, const QString& Campo,
                        const QVariant& Tipodato, const QString& Condicion, bool UsaTrim, bool IgnoraError);
    // These pass their errors to the caller (ErrorEjecucion). An empty QVariant when no row.
    QVariant BuscaMaximo(const QString& QueTabla, const QString& QueCampo, const QVariant& Tipo = QVariant(),
                         QString* Condicion = nullptr);
    QVariant BuscaMinimo(const QString& QueTabla, const QString& QueCampo, const QVariant& Tipo = QVariant(),
                         const QString* Condicion = nullptr);
    QVariant BuscaUltimoCodigo(const QString& QueTabla, const QString& QueCampo, const QVariant& Tipo, const QString& Condicion);

    // The text preparation of EjecutaConsultaSQL / EjecutaConsultaRSQL (markers and synonyms).
    QString PrepararTexto(const QString& texto) const;

private:
    enum class Variante { A, B };
    // Re-opens a lost connection; true when the failed step must be repeated.
    bool RecuperaConexion(Variante variante, int& cuenta);
    int ResponderFalloConsulta(const ErrorEjecucion& e, Variante variante, int& cuenta);
    void DialogoParametros();
    void EjecutaScript(QString& script, long& afectadas);
    bool EsOracle() const;
    void EjecutarSentencias(QString& SentenciaSQL, long& RecordsAffected, std::unique_ptr<driver::Recordset>* Lrcs, bool remota);
    bool EnElEsquema(int tipoEsquema, const QStringList& restricciones, const QString& columna, const QString& buscado);
    bool ExisteEnTablaComun(bool simple, const QString& Tabla, const QString& ValorBuscado, const QString& Campo,
                            driver::Recordset* Lrcs, const QVariant& Tipodato, const QString& Condicion, bool SoloLectura);

    // True when the connection's error is a schema fault (a missing table or column) already
    // reported in this run; the first time it is noted.
    bool YaInformado();

    std::unique_ptr<driver::Conexion> cnn_;
    QString gLogErr;
    QSet<QString> informados_;
    QString ultimaConParametros_, preparadaConParametros_;
};

// The program's shared database access object, created on first use and kept until the end.
DB_Dll& gBaseDatos();
// Replaces the shared object (tests start each case from a fresh one); returns the previous one.
std::unique_ptr<DB_Dll> EstablecerBaseDatos(std::unique_ptr<DB_Dll> nueva);
// A second object whose error list only EjecutaConsultaRSQL reads; nothing opens it.
DB_Dll& gBaseDatosRemota();
