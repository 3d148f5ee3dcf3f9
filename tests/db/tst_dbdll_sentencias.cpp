#include "BaseTemporal.h"
#include "PlataformaGuion.h"
#include "VfsFallos.h"
#include "db/DB_Dll.h"
#include "services/ErrorEjecucion.h"
#include "services/Sesion.h"

#include <sqlite3.h>
#include <QFile>
#include <QtTest>
#include <functional>

namespace fallos = driver::fallos;

namespace {

const QString CRLF = QStringLiteral("\r\n");

// The scripted platform, with a hook that runs when a box is shown, before it is answered: the
// cases that take the database away bring it back from there.
class PlataformaPrueba : public PlataformaGuion {
public:
    std::function<void(const QString& titulo)> alMostrarCaja;
    int MsgBox(const QString& texto, int estilo, const QString& titulo) override {
        if (alMostrarCaja) alMostrarCaja(titulo);
        return PlataformaGuion::MsgBox(texto, estilo, titulo);
    }
};

// One case: a fresh demo database opened by a fresh shared database object the way the program
// opens it, for a user who is not an administrator; the fault layer watches only its file.
struct Caso {
    BaseTemporal base;
    PlataformaPrueba* g = nullptr;
    std::unique_ptr<Plataforma> plataformaAnterior;
    std::unique_ptr<DB_Dll> dbAnterior;

    Caso() {
        auto p = std::make_unique<PlataformaPrueba>();
        g = p.get();
        g->carpeta = base.Carpeta();
        g->temporal = base.Carpeta();
        plataformaAnterior = EstablecerPlataforma(std::move(p));
        sesion() = Sesion();
        sesion().gUsuarioSistema = QStringLiteral("OPERADOR");
        dbAnterior = EstablecerBaseDatos(std::make_unique<DB_Dll>());
        auto& db = gBaseDatos();
        db.gServidor = QStringLiteral("SQLITE");
        db.gDBName = base.Nombre();
        db.gUsuario = base.Nombre();
        db.gUserPassWord = base.Nombre();
        db.OpenServerADODB(false, 3, QString(), false, false);
        db.gEsAdmin = false;
        fallos::Restablecer();
        fallos::SoloArchivo(base.Archivo());
    }
    ~Caso() {
        fallos::Restablecer();
        EstablecerBaseDatos(std::move(dbAnterior));
        EstablecerPlataforma(std::move(plataformaAnterior));
        sesion() = Sesion();
    }
    // The first column of the first row of a query run on the file itself ("" when none).
    QString Valor(const QString& sentencia) const {
        sqlite3* db = nullptr;
        QString r;
        if (sqlite3_open_v2(QFile::encodeName(base.Archivo()).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
            sqlite3_stmt* st = nullptr;
            if (sqlite3_prepare_v2(db, sentencia.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
                r = QStringLiteral("<error: %1>").arg(QString::fromUtf8(sqlite3_errmsg(db)));
            else if (sqlite3_step(st) == SQLITE_ROW && sqlite3_column_type(st, 0) != SQLITE_NULL)
                r = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
            sqlite3_finalize(st);
        }
        sqlite3_close(db);
        return r;
    }
    int Contar(const QString& desde) const { return Valor(QStringLiteral("SELECT COUNT(*) FROM ") + desde).toInt(); }
    int Cajas(const QString& titulo) const {
        int n = 0;
        for (const auto& c : g->Cajas()) n += c.titulo == titulo ? 1 : 0;
        return n;
    }
};

const QString kAviso = QStringLiteral("AVISO AL OPERADOR");

QString TextoConexionPerdida() {
    return CRLF + CRLF + CRLF + QStringLiteral("Se perdio la conexion con la base de datos DEMO") + CRLF +
           QStringLiteral(" Servidor SQLITE") + CRLF + CRLF + QStringLiteral("Elija SI para reintentar conectarse") + CRLF +
           QStringLiteral("Elija NO para cerrar la aplicacion") + CRLF + CRLF + CRLF;
}

// Overwrites the first byte of the table's root page (its b-tree page type) in the file, so that
// every read of the table fails while the rest of the database stays readable.
bool DanarTabla(const Caso& c, const QString& tabla) {
    const int raiz = c.Valor(QStringLiteral("SELECT rootpage FROM sqlite_schema WHERE name = '%1'").arg(tabla)).toInt();
    const int pagina = c.Valor(QStringLiteral("PRAGMA page_size")).toInt();
    if (raiz < 2 || pagina < 512) return false;
    QFile f(c.base.Archivo());
    if (!f.open(QIODevice::ReadWrite) || !f.seek(qint64(raiz - 1) * pagina)) return false;
    return f.write("\x00", 1) == 1;
}

const QString kInsertAux = QStringLiteral("INSERT INTO AUX_ERR (Proceso, Error) VALUES ('PRUEBA', 1)");

}  // namespace

// Statements and record sets of the shared database object: how the text is prepared before it
// is sent, what the caller finds in its variables and in the connection's error list, closing
// record sets, and the recovery from a lost connection with the operator's question.
class TstDbDllSentencias : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // Before any connection is opened, so that every one goes through the fault layer.
        fallos::Instalar();
    }
    void cleanupTestCase() { fallos::Desinstalar(); }

    // ---------------------------------------------------------------- preparing the text

    void marcasDeAdministrador() {
        Caso c;
        auto& db = gBaseDatos();
        QString s = QStringLiteral(
            "UPDATE @Admin_MA_CUENTAS SET DESCRIPCION = 'CAJA CHICA' WHERE CODIGO = (SELECT MIN(CODIGO) FROM @ADMIN_ma_cuentas)");
        long n = 0;
        db.EjecutaConsultaSQL(s, n);
        QCOMPARE(s, QStringLiteral(
                        "UPDATE MA_CUENTAS SET DESCRIPCION = 'CAJA CHICA' WHERE CODIGO = (SELECT MIN(CODIGO) FROM ma_cuentas)"));
        QVERIFY2(db.gCnn().Errors().Vacia(),
                 qPrintable(db.gCnn().Errors().Vacia() ? QString() : db.gCnn().Errors().Item(0).Description));
        QCOMPARE(n, 1L);
        QCOMPARE(c.Valor(QStringLiteral("SELECT DESCRIPCION FROM MA_CUENTAS ORDER BY CODIGO LIMIT 1")),
                 QStringLiteral("CAJA CHICA"));
        // An ordinary statement is not given the synonyms of a user who is not an administrator.
        s = QStringLiteral("UPDATE MA_CUENTAS SET DESCRIPCION = DESCRIPCION WHERE 1 = 0");
        db.EjecutaConsultaSQL(s, n);
        QCOMPARE(s, QStringLiteral("UPDATE MA_CUENTAS SET DESCRIPCION = DESCRIPCION WHERE 1 = 0"));
        QVERIFY(c.g->Cajas().isEmpty());
    }

    // Scripts that drop and re-create objects are the ones given the confidential synonyms,
    // unless they carry a marker or delete rows.
    void guionesQueRecreanObjetos_data() {
        QTest::addColumn<QString>("guion");
        QTest::addColumn<QString>("enviado");
        QTest::addColumn<QString>("fuente");  // the table the re-created view reads

        QTest::newRow("con sinonimos")
            << "DROP VIEW V_PRUEBA\r\nCREATE VIEW V_PRUEBA AS SELECT IdDeposito FROM V_TA_DEPOSITO WHERE 1 = 1"
            << "DROP VIEW V_PRUEBA\r\nCREATE VIEW V_PRUEBA AS SELECT IdDeposito FROM SS_V_TA_DEPOSITO WHERE 1 = 1"
            << "SS_V_TA_DEPOSITO";
        QTest::newRow("con una marca solo se quitan las marcas")
            << "drop view V_PRUEBA\r\ncreate view V_PRUEBA AS SELECT IdDeposito FROM V_TA_DEPOSITO WHERE IdDeposito <> (SELECT "
               "'x' FROM @admin_MA_CUENTAS WHERE 1 = 0)"
            << "drop view V_PRUEBA\r\ncreate view V_PRUEBA AS SELECT IdDeposito FROM V_TA_DEPOSITO WHERE IdDeposito <> (SELECT "
               "'x' FROM MA_CUENTAS WHERE 1 = 0)"
            << "V_TA_DEPOSITO";
        QTest::newRow("con DELETE no hay sinonimos") << "DELETE FROM AUX_ERR WHERE 1 = 0\r\nDROP VIEW V_PRUEBA\r\nCREATE VIEW "
                                                        "V_PRUEBA AS SELECT IdDeposito FROM V_TA_DEPOSITO WHERE 1 = 1"
                                                     << "DELETE FROM AUX_ERR WHERE 1 = 0\r\nDROP VIEW V_PRUEBA\r\nCREATE VIEW "
                                                        "V_PRUEBA AS SELECT IdDeposito FROM V_TA_DEPOSITO WHERE 1 = 1"
                                                     << "V_TA_DEPOSITO";
    }
    void guionesQueRecreanObjetos() {
        QFETCH(QString, guion);
        QFETCH(QString, enviado);
        QFETCH(QString, fuente);
        Caso c;
        QCOMPARE(c.Valor(QStringLiteral("CREATE VIEW V_PRUEBA AS SELECT 1 AS x")), QString());
        QString s = guion;
        long n = 0;
        gBaseDatos().EjecutaConsultaSQL(s, n);
        QCOMPARE(s, enviado);
        QVERIFY2(gBaseDatos().gCnn().Errors().Vacia(),
                 qPrintable(gBaseDatos().gCnn().Errors().Vacia() ? QString() : gBaseDatos().gCnn().Errors().Item(0).Description));
        const QString definicion = c.Valor(QStringLiteral("SELECT sql FROM sqlite_schema WHERE name = 'V_PRUEBA'"));
        QVERIFY2(definicion.contains(QStringLiteral(" ") + fuente + QStringLiteral(" ")), qPrintable(definicion));
        if (fuente == QLatin1String("V_TA_DEPOSITO")) QVERIFY(!definicion.contains(QStringLiteral("SS_")));
        QVERIFY(c.g->Cajas().isEmpty());
    }

    void registroDevueltoYFilasAfectadas() {
        Caso c;
        auto& db = gBaseDatos();
        std::unique_ptr<driver::Recordset> rs;
        QString s = QStringLiteral("SELECT NOMBRE FROM TA_USUARIOS ORDER BY NOMBRE");
        long n = 0;
        db.EjecutaConsultaSQL(s, n, &rs);
        QVERIFY(rs);
        QCOMPARE(rs->State(), driver::adStateOpen);
        QVERIFY(!rs->EOF_());
        QCOMPARE(rs->Fields(QStringLiteral("nombre")).Value.toString(), QStringLiteral("DEMO"));

        s = QStringLiteral("UPDATE TA_USUARIOS SET UNegocio = UNegocio");
        db.EjecutaConsultaSQL(s, n);
        QCOMPARE(n, 2L);
    }

    // ---------------------------------------------------------------- the error list

    void claveDuplicadaQuedaParaElLlamador() {
        Caso c;
        auto& db = gBaseDatos();
        QString s = QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE, SISTEMA) VALUES ('DEMO', 'ORBE')");
        long n = 0;
        db.EjecutaConsultaSQL(s, n);
        QVERIFY(c.g->Cajas().isEmpty());
        QVERIFY(!db.gCnn().Errors().Vacia());
        QCOMPARE(db.gCnn().Errors().Item(0).NativeError, 2627L);
    }

    void avisoDeTruncamientoSolo() {
        Caso c;
        auto& db = gBaseDatos();
        QString s = QStringLiteral("INSERT INTO TA_TAREAS (USUARIO, TAREA) VALUES ('DEMO', '12345678901')");
        long n = 0;
        db.EjecutaConsultaSQL(s, n);
        QVERIFY(c.g->Cajas().isEmpty());
        QCOMPARE(db.gCnn().Errors().Count(), 0);
        QCOMPARE(c.Contar(QStringLiteral("TA_TAREAS WHERE TAREA = '12345678901'")), 0);

        // Inside a transaction the warning is the caller's to judge.
        s = QStringLiteral("BEGIN TRANSACTION\r\nINSERT INTO TA_TAREAS (USUARIO, TAREA) VALUES ('DEMO', '12345678901')");
        db.EjecutaConsultaSQL(s, n);
        QVERIFY(!db.gCnn().Errors().Vacia());
        QCOMPARE(db.gCnn().Errors().Item(0).NativeError, 8152L);
        db.EjecutaConsultaSQL(QStringLiteral("ROLLBACK TRANSACTION"));
        QVERIFY(c.g->Cajas().isEmpty());
    }

    // A failure the provider did not describe (the connection closed) still leaves an error in
    // the list, where the callers look for it; the twin method shows it instead.
    void conexionCerrada() {
        Caso c;
        auto& db = gBaseDatos();
        db.gCnn().Close();
        db.gCnn().Errors().Clear();
        QString s = kInsertAux;
        long n = 0;
        db.EjecutaConsultaSQL(s, n);
        QVERIFY(c.g->Cajas().isEmpty());
        QCOMPARE(db.gCnn().Errors().Count(), 1);
        QCOMPARE(db.gCnn().Errors().Item(0).Number, errnum::ConnectionInvalid);

        c.g->ResponderMsgBox(vb::OK);
        db.EjecutaConsultaRSQL(s, n);
        QCOMPARE(c.g->Cajas().size(), 1);
        QCOMPARE(c.g->Cajas()[0].titulo, QStringLiteral("Aviso al operador!!!"));
        QCOMPARE(c.g->Cajas()[0].estilo, vb::Critical);
        QVERIFY(c.g->Cajas()[0].texto.contains(QStringLiteral("closed or invalid")));
    }

    void variantePorErroresDelProveedorNoMuestraNada() {
        Caso c;
        auto& db = gBaseDatos();
        // A provider failure (E_FAIL) is among the numbers the twin method keeps quiet about.
        QString s = QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE, SISTEMA) VALUES ('DEMO', 'ORBE')");
        long n = 0;
        db.EjecutaConsultaRSQL(s, n);
        QVERIFY(c.g->Cajas().isEmpty());
        QCOMPARE(db.gCnn().Errors().Item(0).NativeError, 2627L);
    }

    // ---------------------------------------------------------------- record sets

    void abrirRecordsetConSinonimos() {
        Caso c;
        auto& db = gBaseDatos();
        driver::Recordset rs;
        QString s = QStringLiteral("SELECT * FROM V_TA_DEPOSITO WHERE 1 = 1");
        const int eventos = c.g->VecesProcesarEventos();
        db.AbrirRecordset(s, rs, nullptr, driver::adOpenKeyset, driver::adLockOptimistic, -1, true);
        QCOMPARE(s, QStringLiteral("SELECT * FROM SS_V_TA_DEPOSITO WHERE 1 = 1"));
        QCOMPARE(rs.State(), driver::adStateOpen);
        QVERIFY(!rs.EOF_());
        QCOMPARE(rs.CursorType(), driver::adOpenKeyset);
        QCOMPARE(rs.LockType(), driver::adLockOptimistic);
        QCOMPARE(c.g->VecesProcesarEventos(), eventos + 1);

        // An open record set is closed before it is opened again.
        s = QStringLiteral("SELECT NOMBRE FROM TA_USUARIOS WHERE NOMBRE = 'OPERADOR'");
        db.AbrirRecordset(s, rs, nullptr, driver::adOpenForwardOnly, driver::adLockReadOnly, -1, true);
        QCOMPARE(rs.State(), driver::adStateOpen);
        QCOMPARE(rs.Fields(0).Value.toString(), QStringLiteral("OPERADOR"));
        QVERIFY(c.g->Cajas().isEmpty());
    }

    void cerrarRecordsetNuncaAbierto() {
        Caso c;
        driver::Recordset rs;
        gBaseDatos().CierraRecordset(rs);
        QCOMPARE(rs.State(), driver::adStateClosed);
        QVERIFY(c.g->Cajas().isEmpty());
    }

    void cerrarRecordsetConAltaPendiente() {
        Caso c;
        auto& db = gBaseDatos();
        const int antes = c.Contar(QStringLiteral("TA_TAREAS"));
        driver::Recordset rs;
        QString s = QStringLiteral("SELECT USUARIO, TAREA FROM TA_TAREAS");
        db.AbrirRecordset(s, rs, nullptr, driver::adOpenKeyset, driver::adLockOptimistic, -1, true);
        QCOMPARE(rs.State(), driver::adStateOpen);
        rs.AddNew();
        rs.Fields(QStringLiteral("USUARIO")).Value = QStringLiteral("DEMO");
        rs.Fields(QStringLiteral("TAREA")).Value = QStringLiteral("NUEVA");
        // Closing refuses a pending edit (3219): it is cancelled and the record set closed.
        db.CierraRecordset(rs);
        QCOMPARE(rs.State(), driver::adStateClosed);
        QCOMPARE(c.Contar(QStringLiteral("TA_TAREAS")), antes);
        QVERIFY(c.g->Cajas().isEmpty());
    }

    // ---------------------------------------------------------------- lost connection

    // The next reads of the database fail: the statement and then each re-open take one. The
    // server is back when the faults are used up.
    void ejecutaConsultaServidorQueVuelve_data() {
        QTest::addColumn<int>("fallas");
        QTest::addColumn<int>("preguntas");
        QTest::newRow("vuelve al primer reintento") << 1 << 0;
        QTest::newRow("vuelve al segundo reintento") << 2 << 0;
        QTest::newRow("vuelve al cuarto, sin preguntar") << 4 << 0;
        QTest::newRow("tres reintentos fallidos del ciclo: se pregunta") << 5 << 1;
        QTest::newRow("y en cada falla siguiente") << 6 << 2;
    }
    void ejecutaConsultaServidorQueVuelve() {
        QFETCH(int, fallas);
        QFETCH(int, preguntas);
        Caso c;
        auto& db = gBaseDatos();
        for (int i = 0; i < preguntas; ++i) c.g->ResponderMsgBox(vb::Yes, QStringLiteral("Se perdio la conexion"));
        fallos::FallarLecturas(fallas);
        QString s = kInsertAux;
        long n = 0;
        db.EjecutaConsultaSQL(s, n);
        QCOMPARE(fallos::LecturasFallidas(), fallas);
        QCOMPARE(c.g->Cajas().size(), preguntas);
        for (const auto& caja : c.g->Cajas()) {
            QCOMPARE(caja.texto, TextoConexionPerdida());
            QCOMPARE(caja.titulo, kAviso);
            QCOMPARE(caja.estilo, vb::YesNo + vb::Critical);
        }
        QVERIFY(db.gOpenFlag);
        QCOMPARE(c.Contar(QStringLiteral("AUX_ERR WHERE Proceso = 'PRUEBA'")), 1);  // done once
        QCOMPARE(n, 1L);
        // The repeated statement succeeded: nothing is left in the list to look like a failure.
        QVERIFY2(db.gCnn().Errors().Vacia(),
                 qPrintable(db.gCnn().Errors().Vacia() ? QString() : db.gCnn().Errors().Item(0).Description));
    }

    // The server is gone: every re-open fails. The operator is asked after the first re-open and
    // three more of the loop, then at every failure; the server comes back during the second
    // question.
    void ejecutaConsultaServidorCaido() {
        Caso c;
        auto& db = gBaseDatos();
        QList<int> aperturasAlPreguntar;
        c.g->alMostrarCaja = [&](const QString&) {
            aperturasAlPreguntar << fallos::AperturasFallidas();
            if (aperturasAlPreguntar.size() == 2) fallos::Reconectar();
        };
        c.g->ResponderMsgBox(vb::Yes, QStringLiteral("Se perdio la conexion"));
        c.g->ResponderMsgBox(vb::Yes, QStringLiteral("Se perdio la conexion"));
        fallos::Desconectar();
        QString s = kInsertAux;
        long n = 0;
        db.EjecutaConsultaSQL(s, n);
        QCOMPARE(aperturasAlPreguntar, (QList<int>{4, 5}));
        QCOMPARE(c.Cajas(kAviso), 2);
        QVERIFY(db.gOpenFlag);
        QCOMPARE(c.Contar(QStringLiteral("AUX_ERR WHERE Proceso = 'PRUEBA'")), 1);
    }

    // Inside a transaction the caller began, a lost link is not re-opened to repeat the statement:
    // it would run alone on a new connection, outside the transaction. The failure stays in the
    // error list for the caller, which rolls back.
    void enUnaTransaccionNoSeRepiteSobreOtraConexion() {
        Caso c;
        auto& db = gBaseDatos();
        db.gCnn().BeginTrans();
        fallos::FallarLecturas(1);
        QString s = kInsertAux;
        long n = 0;
        db.EjecutaConsultaSQL(s, n);
        QCOMPARE(fallos::LecturasFallidas(), 1);
        QVERIFY(c.g->Cajas().isEmpty());
        QVERIFY(!db.gCnn().Errors().Vacia());
        QCOMPARE(db.gCnn().Errors().Item(0).NativeError, driver::nativo::ConexionPerdida);
        QVERIFY(db.gCnn().EnTransaccion());
        try {
            db.gCnn().RollbackTrans();  // the database may have ended the transaction itself
        } catch (const ErrorEjecucion&) {
        }
        QCOMPARE(c.Contar(QStringLiteral("AUX_ERR WHERE Proceso = 'PRUEBA'")), 0);
    }

    void respuestaNoTerminaElPrograma() {
        Caso c;
        auto& db = gBaseDatos();
        c.g->ResponderMsgBox(vb::No, QStringLiteral("Se perdio la conexion"));
        fallos::Desconectar();
        QString s = kInsertAux;
        long n = 0;
        QVERIFY_THROWS_EXCEPTION(ProgramaTerminado, db.EjecutaConsultaSQL(s, n));
        QCOMPARE(c.g->Cajas().size(), 1);
        QCOMPARE(fallos::AperturasFallidas(), 4);
        fallos::Reconectar();
        QCOMPARE(c.Contar(QStringLiteral("AUX_ERR WHERE Proceso = 'PRUEBA'")), 0);
    }

    void transaccionNuncaRecupera() {
        Caso c;
        auto& db = gBaseDatos();
        fallos::Desconectar();
        QString s = QStringLiteral("BEGIN TRANSACTION\r\n") + kInsertAux;
        long n = 0;
        db.EjecutaConsultaSQL(s, n);
        QCOMPARE(fallos::AperturasFallidas(), 0);  // no re-open was tried
        QVERIFY(c.g->Cajas().isEmpty());
        QVERIFY(!db.gCnn().Errors().Vacia());
        QCOMPARE(db.gCnn().Errors().Item(0).NativeError, 11L);
    }

    // AbrirRecordset starts its count at 2: after a first re-open that succeeds it gives up to
    // the error report, where the operator may retry.
    void abrirRecordsetConexionPerdida_data() {
        QTest::addColumn<int>("fallas");
        QTest::addColumn<int>("informes");   // error reports of AbrirRecordset, answered Retry
        QTest::addColumn<int>("preguntas");  // lost-connection questions, answered Yes
        QTest::newRow("vuelve al primer reintento: informe") << 1 << 1 << 0;
        QTest::newRow("vuelve al segundo reintento: se repite") << 2 << 0 << 0;
        QTest::newRow("dos reintentos fallidos: se pregunta") << 3 << 0 << 1;
    }
    void abrirRecordsetConexionPerdida() {
        QFETCH(int, fallas);
        QFETCH(int, informes);
        QFETCH(int, preguntas);
        Caso c;
        auto& db = gBaseDatos();
        for (int i = 0; i < informes; ++i) c.g->ResponderMsgBox(vb::Retry, QStringLiteral("Ha ocurrido el Siguiente Error"));
        for (int i = 0; i < preguntas; ++i) c.g->ResponderMsgBox(vb::Yes, QStringLiteral("Se perdio la conexion"));
        fallos::FallarLecturas(fallas);
        driver::Recordset rs;
        QString s = QStringLiteral("SELECT NOMBRE FROM TA_USUARIOS WHERE NOMBRE = 'DEMO'");
        db.AbrirRecordset(s, rs, nullptr, driver::adOpenForwardOnly, driver::adLockReadOnly, -1, true);
        QCOMPARE(fallos::LecturasFallidas(), fallas);
        QCOMPARE(c.Cajas(kAviso), preguntas);
        QCOMPARE(c.g->Cajas().size(), informes + preguntas);
        for (const auto& caja : c.g->Cajas())
            if (caja.titulo != kAviso)
                QVERIFY2(caja.titulo.endsWith(QStringLiteral(" - AbrirRecordset Aviso al operador!!! - 5 ")),
                         qPrintable(caja.titulo));
        QCOMPARE(rs.State(), driver::adStateOpen);
        QCOMPARE(rs.Fields(0).Value.toString(), QStringLiteral("DEMO"));
        QVERIFY(db.gOpenFlag);
    }

    void abrirRecordsetServidorCaido() {
        Caso c;
        auto& db = gBaseDatos();
        QList<int> aperturasAlPreguntar;
        c.g->alMostrarCaja = [&](const QString&) { aperturasAlPreguntar << fallos::AperturasFallidas(); };
        c.g->ResponderMsgBox(vb::Yes, QStringLiteral("Se perdio la conexion"));
        c.g->ResponderMsgBox(vb::No, QStringLiteral("Se perdio la conexion"));
        fallos::Desconectar();
        driver::Recordset rs;
        QString s = QStringLiteral("SELECT * FROM TA_USUARIOS");
        QVERIFY_THROWS_EXCEPTION(ProgramaTerminado, db.AbrirRecordset(s, rs, nullptr, 0, 1, -1, true));
        QCOMPARE(aperturasAlPreguntar, (QList<int>{2, 3}));
    }

    // ExisteEnTabla counts every successful re-open and asks at the first failure of the loop.
    void existeEnTablaConexionPerdida_data() {
        QTest::addColumn<int>("fallas");
        QTest::addColumn<int>("preguntas");
        QTest::newRow("vuelve al primer reintento") << 1 << 0;
        QTest::newRow("vuelve al segundo reintento") << 2 << 0;
        QTest::newRow("falla el primero del ciclo: se pregunta") << 3 << 1;
    }
    void existeEnTablaConexionPerdida() {
        QFETCH(int, fallas);
        QFETCH(int, preguntas);
        Caso c;
        auto& db = gBaseDatos();
        for (int i = 0; i < preguntas; ++i) c.g->ResponderMsgBox(vb::Yes, QStringLiteral("Se perdio la conexion"));
        fallos::FallarLecturas(fallas);
        QVERIFY(db.ExisteEnTabla(QStringLiteral("TA_USUARIOS"), QStringLiteral("DEMO"), QStringLiteral("NOMBRE")));
        QCOMPARE(fallos::LecturasFallidas(), fallas);
        QCOMPARE(c.g->Cajas().size(), preguntas);
        QCOMPARE(c.Cajas(kAviso), preguntas);
    }

    void existeEnTablaServidorCaido() {
        Caso c;
        auto& db = gBaseDatos();
        QList<int> aperturasAlPreguntar;
        c.g->alMostrarCaja = [&](const QString&) {
            aperturasAlPreguntar << fallos::AperturasFallidas();
            if (aperturasAlPreguntar.size() == 2) fallos::Reconectar();
        };
        c.g->ResponderMsgBox(vb::Yes, QStringLiteral("Se perdio la conexion"));
        c.g->ResponderMsgBox(vb::Yes, QStringLiteral("Se perdio la conexion"));
        fallos::Desconectar();
        QVERIFY(db.ExisteEnTabla(QStringLiteral("TA_USUARIOS"), QStringLiteral("DEMO"), QStringLiteral("NOMBRE")));
        QCOMPARE(aperturasAlPreguntar, (QList<int>{2, 3}));
        for (const auto& caja : c.g->Cajas()) QCOMPARE(caja.texto, TextoConexionPerdida());
    }

    // The connection comes back every time but the statement keeps failing with native 11 (a
    // damaged page of the table, which the provider reports as a network failure): after the
    // third successful re-open the methods give up to their own error handling.
    void conexionQueSiguePerdiendose() {
        Caso c;
        auto& db = gBaseDatos();
        QVERIFY(DanarTabla(c, QStringLiteral("TA_USUARIOS")));

        QString s = QStringLiteral("UPDATE TA_USUARIOS SET UNegocio = UNegocio");
        long n = 0;
        db.EjecutaConsultaSQL(s, n);
        QVERIFY(c.g->Cajas().isEmpty());  // silent: the error stays for the caller
        QVERIFY(db.gOpenFlag);
        QVERIFY(!db.gCnn().Errors().Vacia());
        QCOMPARE(db.gCnn().Errors().Item(0).NativeError, 11L);

        c.g->ResponderMsgBox(vb::Abort);
        QVERIFY(!db.ExisteEnTabla(QStringLiteral("TA_USUARIOS"), QStringLiteral("DEMO"), QStringLiteral("NOMBRE")));
        QCOMPARE(c.g->Cajas().size(), 1);
        QCOMPARE(c.g->Cajas()[0].titulo, QStringLiteral("Aviso al Operador"));
        QCOMPARE(c.g->Cajas()[0].estilo, vb::AbortRetryIgnore + vb::Critical);
        QVERIFY(c.g->Cajas()[0].texto.contains(QStringLiteral("General network error")));

        // AbrirRecordset (and DatosTabla through it) starts at 2: the first successful re-open
        // already gives up, to the error report.
        c.g->ResponderMsgBox(vb::Cancel, QStringLiteral("General network error"));
        QVERIFY(!db.DatosTabla(QStringLiteral("TA_USUARIOS"), QStringLiteral("DEMO"), QStringLiteral("NOMBRE"),
                               QStringLiteral("NOMBRE"), 8, QString(), true, false)
                     .isValid());
        QCOMPARE(c.g->Cajas().size(), 2);
        QVERIFY(c.g->Cajas()[1].titulo.endsWith(QStringLiteral(" - AbrirRecordset Aviso al operador!!! - 5 ")));
    }

    // DatosTabla opens its record set through AbrirRecordset, whose recovery (count 2) is the one
    // that meets a lost connection.
    void datosTablaConexionPerdida() {
        Caso c;
        auto& db = gBaseDatos();
        fallos::FallarLecturas(2);
        QCOMPARE(db.DatosTabla(QStringLiteral("TA_USUARIOS"), QStringLiteral("OPERADOR"), QStringLiteral("UNegocio"),
                               QStringLiteral("NOMBRE"), 8, QString(), true, false),
                 QVariant(QStringLiteral("   2")));
        QVERIFY(c.g->Cajas().isEmpty());

        fallos::Restablecer();
        fallos::SoloArchivo(c.base.Archivo());
        c.g->ResponderMsgBox(vb::Yes, QStringLiteral("Se perdio la conexion"));
        fallos::FallarLecturas(3);
        QCOMPARE(db.DatosTabla(QStringLiteral("TA_USUARIOS"), QStringLiteral("OPERADOR"), QStringLiteral("UNegocio"),
                               QStringLiteral("NOMBRE"), 8, QString(), true, true),
                 QVariant(QStringLiteral("   2")));
        QCOMPARE(c.Cajas(kAviso), 1);
        QCOMPARE(c.g->Cajas().size(), 1);
    }
};

QTEST_GUILESS_MAIN(TstDbDllSentencias)
#include "tst_dbdll_sentencias.moc"
