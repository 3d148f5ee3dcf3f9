#include "BaseTemporal.h"
#include "PlataformaGuion.h"
#include "db/DB_Dll.h"
#include "services/ErrorEjecucion.h"
#include "services/Sesion.h"

#include <sqlite3.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// One case: a fresh demo database opened by a fresh shared database object the way the program
// opens it, for a user who is not an administrator.
struct Caso {
    BaseTemporal base;
    GuionInstalado g;
    std::unique_ptr<DB_Dll> dbAnterior;

    Caso() {
        g->carpeta = base.Carpeta();
        g->temporal = base.Carpeta();
        g->ahora = QDateTime(QDate(2024, 3, 25), QTime(14, 5, 9));
        sesion() = Sesion();
        dbAnterior = EstablecerBaseDatos(std::make_unique<DB_Dll>());
        auto& db = gBaseDatos();
        db.gServidor = QStringLiteral("SQLITE");
        db.gDBName = base.Nombre();
        db.gUsuario = base.Nombre();
        db.gUserPassWord = base.Nombre();
        db.OpenServerADODB(false, 3, QString(), false, false);
        db.gEsAdmin = false;
        db.UltimaSentencia.clear();
    }
    ~Caso() {
        EstablecerBaseDatos(std::move(dbAnterior));
        sesion() = Sesion();
    }
    // The first column of the first row of a statement run on the file itself ("" when none).
    QString Valor(const QString& sentencia) const {
        sqlite3* db = nullptr;
        QString r;
        if (sqlite3_open_v2(QFile::encodeName(base.Archivo()).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
            sqlite3_stmt* st = nullptr;
            if (sqlite3_prepare_v2(db, sentencia.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
                r = QStringLiteral("<error: %1>").arg(QString::fromUtf8(sqlite3_errmsg(db)));
            else if (sqlite3_step(st) == SQLITE_ROW && sqlite3_column_count(st) > 0 && sqlite3_column_type(st, 0) != SQLITE_NULL)
                r = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
            sqlite3_finalize(st);
        }
        sqlite3_close(db);
        return r;
    }
    QString Log() const {
        QFile f(QDir(base.Carpeta()).filePath(QStringLiteral("TVERR.LOG")));
        if (!f.open(QIODevice::ReadOnly)) return QString();
        return QString::fromUtf8(f.readAll());
    }
    bool HayLog() const { return QFile::exists(QDir(base.Carpeta()).filePath(QStringLiteral("TVERR.LOG"))); }
};

QString PrimerError() {
    const auto& e = gBaseDatos().gCnn().Errors();
    return e.Vacia() ? QString() : e.Item(0).Description;
}

}  // namespace

// The schema helpers, the database object's error report, and the existence checks and single
// values: the exact query each sends, what it answers, and what reaches the caller.
class TstDbDllConsultas : public QObject {
    Q_OBJECT

private slots:
    // ---------------------------------------------------------------- schema helpers

    void existeTablaDB() {
        Caso c;
        auto& db = gBaseDatos();
        QVERIFY(db.ExisteTablaDB(QStringLiteral("ta_usuarios")));
        QVERIFY(db.ExisteTablaDB(QStringLiteral(" TA_USUARIOS  ")));
        QVERIFY(db.ExisteTablaDB(QStringLiteral("v_ta_deposito")));  // views count too
        QVERIFY(!db.ExisteTablaDB(QStringLiteral("TA_USUARIO")));
        QVERIFY(!db.ExisteTablaDB(QString()));
        QVERIFY(g(c).Cajas().isEmpty());
    }

    void existeCampoDB() {
        Caso c;
        auto& db = gBaseDatos();
        QVERIFY(db.ExisteCampoDB(QStringLiteral("MA_POSICIONES"), QStringLiteral(" idposicion ")));
        QVERIFY(db.ExisteCampoDB(QStringLiteral("ma_posiciones"), QStringLiteral("Picking")));
        QVERIFY(!db.ExisteCampoDB(QStringLiteral("MA_POSICIONES"), QStringLiteral("PICKING2")));
        QVERIFY(!db.ExisteCampoDB(QStringLiteral("NOEXISTE"), QStringLiteral("IdPosicion")));
        // On Oracle every column is taken to exist, without asking the database.
        db.gProveedor = QStringLiteral("OraOLEDB.Oracle.1");
        QVERIFY(db.ExisteCampoDB(QStringLiteral("NOEXISTE"), QStringLiteral("NADA")));
        QVERIFY(
            db.VerCampoDB(QStringLiteral("MA_POSICIONES"), QStringLiteral("PICKING2"), true, QStringLiteral("bit"), false, 0));
        QVERIFY(db.UltimaSentencia.isEmpty());
        QVERIFY(g(c).Cajas().isEmpty());
    }

    void verCampoEnTablaInexistente() {
        Caso c;
        auto& db = gBaseDatos();
        QVERIFY(db.VerCampoDB(QStringLiteral("NOEXISTE"), QStringLiteral("X"), true, QStringLiteral("int"), true));
        QVERIFY(db.UltimaSentencia.isEmpty());
        QVERIFY(!db.ExisteTablaDB(QStringLiteral("NOEXISTE")));
        QVERIFY(g(c).Cajas().isEmpty());
        // An existing column, or Agregar false, sends nothing either.
        QVERIFY(db.VerCampoDB(QStringLiteral("MA_POSICIONES"), QStringLiteral("Picking"), true, QStringLiteral("bit"), false, 0));
        QVERIFY(db.VerCampoDB(QStringLiteral("MA_POSICIONES"), QStringLiteral("NUEVA"), false, QStringLiteral("bit"), false, 0));
        QVERIFY(db.UltimaSentencia.isEmpty());
        QVERIFY(!db.ExisteCampoDB(QStringLiteral("MA_POSICIONES"), QStringLiteral("NUEVA")));
    }

    void agregarCampo_data() {
        QTest::addColumn<QString>("campo");
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<bool>("nulos");
        QTest::addColumn<QVariant>("defecto");
        QTest::addColumn<QString>("sentencia");
        QTest::addColumn<QString>("valorFilas");  // the new column in the existing rows

        QTest::newRow("sin nulos con valor por defecto")
            << "PICKING2"
            << "bit" << false << QVariant(0)
            << "ALTER TABLE dbo.MA_POSICIONES ADD PICKING2 bit Not Null  CONSTRAINT DF_MA_POSICIONES_PICKING2 DEFAULT (0)"
            << "0";
        QTest::newRow("con nulos sin valor por defecto")
            << "NOTA"
            << "varchar(20)" << true << QVariant() << "ALTER TABLE dbo.MA_POSICIONES ADD NOTA varchar(20) Null "
            << "";
        QTest::newRow("texto por defecto y nombre con blancos")
            << " ESTADO "
            << "varchar(10)" << true << QVariant(QStringLiteral("'A'"))
            << "ALTER TABLE dbo.MA_POSICIONES ADD  ESTADO  varchar(10) Null  CONSTRAINT DF_MA_POSICIONES_ESTADO DEFAULT ('A')"
            << "A";
    }
    void agregarCampo() {
        QFETCH(QString, campo);
        QFETCH(QString, tipo);
        QFETCH(bool, nulos);
        QFETCH(QVariant, defecto);
        QFETCH(QString, sentencia);
        QFETCH(QString, valorFilas);
        Caso c;
        auto& db = gBaseDatos();
        QVERIFY(db.VerCampoDB(QStringLiteral("MA_POSICIONES"), campo, true, tipo, nulos, defecto));
        QCOMPARE(db.UltimaSentencia, sentencia);
        QVERIFY2(db.gCnn().Errors().Vacia(), qPrintable(PrimerError()));
        QVERIFY(db.ExisteCampoDB(QStringLiteral("MA_POSICIONES"), campo));
        const QString columna = campo.trimmed();
        QCOMPARE(c.Valor(QStringLiteral("SELECT COUNT(*) FROM MA_POSICIONES WHERE CAST(IFNULL(%1, '') AS TEXT) = '%2'")
                             .arg(columna, valorFilas)),
                 c.Valor(QStringLiteral("SELECT COUNT(*) FROM MA_POSICIONES")));
        QVERIFY(c.Valor(QStringLiteral("SELECT COUNT(*) FROM MA_POSICIONES")).toInt() > 0);
        QVERIFY(g(c).Cajas().isEmpty());
    }

    // A statement that fails is handled where statements are run: the caller of AddField finds
    // the error in the list, and no box is shown.
    void agregarCampoExistente() {
        Caso c;
        auto& db = gBaseDatos();
        db.AddField(QStringLiteral("MA_POSICIONES"), QStringLiteral("Picking"), QStringLiteral("bit"), true);
        QCOMPARE(db.UltimaSentencia, QStringLiteral("ALTER TABLE dbo.MA_POSICIONES ADD Picking bit Null "));
        QVERIFY(!db.gCnn().Errors().Vacia());
        QVERIFY(g(c).Cajas().isEmpty());
    }

    // ---------------------------------------------------------------- error treatment

    void tratamientoDeErrores() {
        Caso c;
        auto& db = gBaseDatos();
        g(c).ResponderMsgBox(vb::Retry);
        const int r = db.TratamientoErrores(ErrorEjecucion(13, QStringLiteral("Type mismatch "), QStringLiteral("MA_POSICIONES")),
                                            18, QStringLiteral("CierraRecordset"));
        QCOMPARE(r, vb::Retry);
        QCOMPARE(g(c).Cajas().size(), 1);
        QCOMPARE(g(c).Cajas()[0].texto, QStringLiteral("Ha ocurrido el Siguiente Error (13) Type mismatch"));
        QCOMPARE(g(c).Cajas()[0].titulo, QStringLiteral("MA_POSICIONES - CierraRecordset Aviso al operador!!! - 5 "));
        QCOMPARE(g(c).Cajas()[0].estilo, 18);
        QCOMPARE(c.Log(),
                 QStringLiteral("03-25-2024 14:05:09 Rutina: - CierraRecordset Mensaje Ha ocurrido el Siguiente Error (13) "
                                "Type mismatch Respondió : Reintentar\r\n"));

        // Without a routine: no " - " in the title and two blanks in the line; default buttons.
        g(c).ResponderMsgBox(vb::OK);
        QCOMPARE(db.TratamientoErrores(ErrorEjecucion(53, QStringLiteral("File not found"), QStringLiteral("MA_POSICIONES"))),
                 vb::OK);
        QCOMPARE(g(c).Cajas()[1].titulo, QStringLiteral("MA_POSICIONES Aviso al operador!!! - 5 "));
        QCOMPARE(g(c).Cajas()[1].estilo, 18);
        QVERIFY(c.Log().endsWith(QStringLiteral(
            "03-25-2024 14:05:09 Rutina:  Mensaje Ha ocurrido el Siguiente Error (53) File not found Respondió : \r\n")));
    }

    void errorCeroNoDejaArchivo() {
        Caso c;
        auto& db = gBaseDatos();
        QCOMPARE(db.TratamientoErrores(ErrorEjecucion(0, QStringLiteral("nada"), QStringLiteral("X")), 18,
                                       QStringLiteral("AbrirRecordset")),
                 0);
        QVERIFY(g(c).Cajas().isEmpty());
        QVERIFY(!c.HayLog());
        QTemporaryDir otra;
        db.SetArchivoErrores(otra.filePath(QStringLiteral("errores.log")));
        QCOMPARE(db.TratamientoErrores(ErrorEjecucion(0, QString())), 0);
        QVERIFY(!QFile::exists(otra.filePath(QStringLiteral("errores.log"))));
    }

    void archivoDeErroresEnOtraCarpeta() {
        Caso c;
        auto& db = gBaseDatos();
        QTemporaryDir otra;
        const QString ruta = otra.filePath(QStringLiteral("errores.log"));
        db.SetArchivoErrores(ruta);
        QCOMPARE(db.ArchivoErrores(), ruta);
        g(c).ResponderMsgBox(vb::Ignore);
        QCOMPARE(db.TratamientoErrores(ErrorEjecucion(5, QStringLiteral("Invalid procedure call"), QStringLiteral("X")), 18,
                                       QStringLiteral("VerificaCampos")),
                 vb::Ignore);
        QFile f(ruta);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(f.readAll()),
                 QStringLiteral("03-25-2024 14:05:09 Rutina: - VerificaCampos Mensaje Ha ocurrido el Siguiente Error (5) Invalid "
                                "procedure call Respondió : Ignorar\r\n"));
        QVERIFY(!c.HayLog());
        // Any value is kept as text.
        db.SetArchivoErrores(123);
        QCOMPARE(db.ArchivoErrores(), QStringLiteral("123"));
    }

    // A real failure of the object, reported under the routine's name and logged next to the
    // program.
    void falloDeAbrirRecordsetSeInforma() {
        Caso c;
        auto& db = gBaseDatos();
        g(c).ResponderMsgBox(vb::Cancel, QStringLiteral("NOEXISTE"));
        driver::Recordset rs;
        QString s = QStringLiteral("SELECT * FROM NOEXISTE");
        db.AbrirRecordset(s, rs, nullptr, 0, 1, -1, true);
        QCOMPARE(rs.State(), driver::adStateClosed);
        QCOMPARE(g(c).Cajas().size(), 1);
        QVERIFY2(g(c).Cajas()[0].titulo.endsWith(QStringLiteral(" - AbrirRecordset Aviso al operador!!! - 5 ")),
                 qPrintable(g(c).Cajas()[0].titulo));
        QVERIFY(g(c).Cajas()[0].texto.startsWith(QStringLiteral("Ha ocurrido el Siguiente Error (-2147467259) ")));
        const QString log = c.Log();
        QVERIFY2(log.startsWith(QStringLiteral(
                     "03-25-2024 14:05:09 Rutina: - AbrirRecordset Mensaje Ha ocurrido el Siguiente Error (-2147467259) ")),
                 qPrintable(log));
        QVERIFY(log.endsWith(QStringLiteral(" Respondió : Cancelar\r\n")));
    }

    void falloDeExisteTablaDBSeInforma() {
        Caso c;
        auto& db = gBaseDatos();
        db.gCnn().Close();
        g(c).ResponderMsgBox(vb::Abort);
        QVERIFY(!db.ExisteTablaDB(QStringLiteral("TA_USUARIOS")));
        QCOMPARE(g(c).Cajas().size(), 1);
        QVERIFY(g(c).Cajas()[0].titulo.endsWith(QStringLiteral(" - VerificaCampos Aviso al operador!!! - 5 ")));
        QVERIFY(c.Log().contains(QStringLiteral("Rutina: - VerificaCampos Mensaje Ha ocurrido el Siguiente Error (3709) ")));
        QVERIFY(c.Log().endsWith(QStringLiteral("Respondió : Abortar\r\n")));
    }

    // ---------------------------------------------------------------- existence checks

    void existeEnTabla_data() {
        QTest::addColumn<bool>("simple");  // ExisteEnTablaST
        QTest::addColumn<QString>("valor");
        QTest::addColumn<QString>("campo");
        QTest::addColumn<QVariant>("tipo");
        QTest::addColumn<QString>("condicion");
        QTest::addColumn<QString>("enviada");
        QTest::addColumn<int>("resultado");  // 1 found, 0 not found, -1 the query fails (box answered Abort)

        const QString t = QStringLiteral("SELECT TOP 1 * FROM TA_USUARIOS with(nolock)  WHERE ");
        const QString st = QStringLiteral("SELECT * FROM TA_USUARIOS with(nolock)   WHERE ");
        QTest::newRow("texto recortado de ambos lados")
            << false << "  OPERADOR "
            << "NOMBRE" << QVariant(8) << ""
            << "SELECT TOP 1  * FROM TA_USUARIOS with(nolock)  WHERE LTRIM(RTRIM(NOMBRE)) ='OPERADOR'" << 1;
        QTest::newRow("texto con el tipo escrito")
            << false << "DEMO"
            << "NOMBRE" << QVariant(QStringLiteral("8")) << ""
            << "SELECT TOP 1  * FROM TA_USUARIOS with(nolock)  WHERE LTRIM(RTRIM(NOMBRE)) ='DEMO'" << 1;
        QTest::newRow("ST no recorta") << true << "  OPERADOR "
                                       << "NOMBRE" << QVariant(8) << "" << st + "NOMBRE ='  OPERADOR '" << 0;
        QTest::newRow("ST texto") << true << "OPERADOR"
                                  << "NOMBRE" << QVariant(8) << "" << st + "NOMBRE ='OPERADOR'" << 1;
        QTest::newRow("fecha") << false << " '2020-01-02' "
                               << "NOMBRE" << QVariant(7) << "" << t + "NOMBRE = '2020-01-02' " << 0;
        QTest::newRow("ST fecha") << true << " '2020-01-02' "
                                  << "NOMBRE" << QVariant(7) << "" << st + "NOMBRE = '2020-01-02' " << 0;
        QTest::newRow("numero 12abc") << false << "12abc"
                                      << "verproforma" << QVariant(3) << "" << t + "verproforma = 12" << 0;
        QTest::newRow("numero abc") << false << "abc"
                                    << "verproforma" << QVariant(3) << "" << t + "verproforma = 0" << 1;
        QTest::newRow("doble") << false << " 1.50"
                               << "verproforma" << QVariant(5) << "" << t + "verproforma = 1.5" << 0;
        QTest::newRow("simple como texto") << false << "0,9"
                                           << "verproforma" << QVariant(QStringLiteral("4")) << "" << t + "verproforma = 0" << 1;
        QTest::newRow("ST numero") << true << "12abc"
                                   << "verproforma" << QVariant(3) << "" << st + "verproforma = 12" << 0;
        QTest::newRow("otro tipo tal cual") << false << " 0"
                                            << "verproforma" << QVariant(11) << "" << t + "verproforma =  0" << 1;
        QTest::newRow("condicion sin WHERE") << false << "x"
                                             << "NOMBRE" << QVariant(8) << "NOMBRE = 'DEMO'"
                                             << "SELECT TOP 1 * FROM TA_USUARIOS with(nolock)  WHERE NOMBRE = 'DEMO'" << 1;
        QTest::newRow("condicion con WHERE y blanco delante")
            << false << "x"
            << "NOMBRE" << QVariant(8) << " where NOMBRE = 'DEMO'"
            << "SELECT TOP 1 * FROM TA_USUARIOS with(nolock)   where NOMBRE = 'DEMO'" << 1;
        QTest::newRow("condicion con WHERE sin blanco delante")
            << false << "x"
            << "NOMBRE" << QVariant(8) << "WHERE NOMBRE = 'DEMO'"
            << "SELECT TOP 1 * FROM TA_USUARIOS with(nolock)  WHERE WHERE NOMBRE = 'DEMO'" << -1;
        QTest::newRow("ST condicion") << true << "x"
                                      << "NOMBRE" << QVariant(8) << "NOMBRE = 'DEMO'"
                                      << "SELECT * FROM TA_USUARIOS with(nolock)   WHERE NOMBRE = 'DEMO'" << 1;
        QTest::newRow("ST condicion con WHERE") << true << "x"
                                                << "NOMBRE" << QVariant(8) << " WHERE NOMBRE = 'X'"
                                                << "SELECT * FROM TA_USUARIOS with(nolock)    WHERE NOMBRE = 'X'" << 0;
        // A quote typed in a value can neither break the statement nor change what it asks.
        QTest::newRow("comillas en el valor")
            << false << "x' OR '1'='1"
            << "NOMBRE" << QVariant(8) << ""
            << "SELECT TOP 1  * FROM TA_USUARIOS with(nolock)  WHERE LTRIM(RTRIM(NOMBRE)) ='x OR 1=1'" << 0;
        QTest::newRow("ST comillas en el valor") << true << "x' OR NOMBRE<>'"
                                                 << "NOMBRE" << QVariant(8) << "" << st + "NOMBRE ='x OR NOMBRE<>'" << 0;
        QTest::newRow("comilla suelta") << false << "DE'MO"
                                        << "NOMBRE" << QVariant(8) << ""
                                        << "SELECT TOP 1  * FROM TA_USUARIOS with(nolock)  WHERE LTRIM(RTRIM(NOMBRE)) ='DEMO'"
                                        << 1;
    }
    void existeEnTabla() {
        QFETCH(bool, simple);
        QFETCH(QString, valor);
        QFETCH(QString, campo);
        QFETCH(QVariant, tipo);
        QFETCH(QString, condicion);
        QFETCH(QString, enviada);
        QFETCH(int, resultado);
        Caso c;
        auto& db = gBaseDatos();
        if (resultado < 0) g(c).ResponderMsgBox(vb::Abort);
        const bool r = simple ? db.ExisteEnTablaST(QStringLiteral("TA_USUARIOS"), valor, campo, nullptr, tipo, condicion, true)
                              : db.ExisteEnTabla(QStringLiteral("TA_USUARIOS"), valor, campo, nullptr, tipo, condicion, true);
        QCOMPARE(db.UltimaSentencia, enviada);
        QCOMPARE(r, resultado > 0);
        if (resultado < 0) {
            QCOMPARE(g(c).Cajas().size(), 1);
            QCOMPARE(g(c).Cajas()[0].titulo, QStringLiteral("Aviso al Operador"));
            QCOMPARE(g(c).Cajas()[0].estilo, vb::AbortRetryIgnore + vb::Critical);
            QCOMPARE(g(c).Cajas()[0].texto, PrimerError());
        } else {
            QVERIFY2(g(c).Cajas().isEmpty(), qPrintable(g(c).UltimaCaja().texto));
        }
        QCOMPARE(c.Valor(QStringLiteral("SELECT COUNT(*) FROM TA_USUARIOS")), QStringLiteral("2"));
    }

    // A value for a date or other non-text column goes into the statement as it is written, so
    // one that is not a number or a date never reaches the database.
    void valorQueNoEsDelTipoNoLlegaALaBase() {
        Caso c;
        auto& db = gBaseDatos();
        db.UltimaSentencia.clear();
        for (const int tipo : {7, 11}) {
            g(c).ResponderMsgBox(vb::OK);
            QVERIFY(!db.ExisteEnTabla(QStringLiteral("TA_USUARIOS"), QStringLiteral("1 OR 1=1"), QStringLiteral("verproforma"),
                                      nullptr, tipo));
            QCOMPARE(g(c).UltimaCaja().texto,
                     QStringLiteral("El valor \"1 OR 1=1\" no es un número ni una fecha para verproforma: no se consultó la base "
                                    "de datos."));
            g(c).ResponderMsgBox(vb::OK);
            QVERIFY(db.DatosTabla(QStringLiteral("TA_USUARIOS"), QStringLiteral("0 OR 1=1"), QStringLiteral("NOMBRE"),
                                  QStringLiteral("verproforma"), tipo, QString(), false, false)
                        .toString()
                        .isEmpty());
        }
        QVERIFY(db.UltimaSentencia.isEmpty());
        QCOMPARE(c.Valor(QStringLiteral("SELECT COUNT(*) FROM TA_USUARIOS")), QStringLiteral("2"));
    }

    void existeEnTablaConSinonimosYRegistro() {
        Caso c;
        auto& db = gBaseDatos();
        QVERIFY(db.ExisteEnTabla(QStringLiteral("V_TA_DEPOSITO"), QStringLiteral("x"), QStringLiteral("IdDeposito"), nullptr, 8,
                                 QStringLiteral("1 = 1")));
        QCOMPARE(db.UltimaSentencia, QStringLiteral("SELECT TOP 1 * FROM SS_V_TA_DEPOSITO with(nolock)  WHERE 1 = 1"));
        QVERIFY(db.ExisteEnTablaST(QStringLiteral("V_TA_DEPOSITO"), QStringLiteral("x"), QStringLiteral("IdDeposito"), nullptr, 8,
                                   QStringLiteral("1 = 1")));
        QCOMPARE(db.UltimaSentencia, QStringLiteral("SELECT * FROM V_TA_DEPOSITO with(nolock)   WHERE 1 = 1"));

        // With a record set: left open on the found row.
        driver::Recordset rs;
        QVERIFY(db.ExisteEnTabla(QStringLiteral("TA_USUARIOS"), QStringLiteral("OPERADOR"), QStringLiteral("NOMBRE"), &rs));
        QCOMPARE(rs.State(), driver::adStateOpen);
        QCOMPARE(rs.Fields(QStringLiteral("unegocio")).Value.toString(), QStringLiteral("   2"));
        QCOMPARE(rs.LockType(), driver::adLockReadOnly);
        // Not read-only: the record set keeps its own cursor and lock; an already open one is
        // closed first.
        QString s = QStringLiteral("SELECT * FROM TA_TAREAS");
        db.AbrirRecordset(s, rs, nullptr, driver::adOpenKeyset, driver::adLockOptimistic, -1, true);
        QVERIFY(!db.ExisteEnTabla(QStringLiteral("TA_USUARIOS"), QStringLiteral("NADIE"), QStringLiteral("NOMBRE"), &rs, 8,
                                  QString(), false));
        QCOMPARE(rs.State(), driver::adStateOpen);
        QVERIFY(rs.EOF_());
        QCOMPARE(rs.CursorType(), driver::adOpenKeyset);
        QCOMPARE(rs.LockType(), driver::adLockOptimistic);
        QVERIFY(g(c).Cajas().isEmpty());
    }

    // ---------------------------------------------------------------- single values

    void datosTabla_data() {
        QTest::addColumn<QString>("valor");
        QTest::addColumn<QVariant>("tipo");
        QTest::addColumn<QString>("condicion");
        QTest::addColumn<bool>("usaTrim");
        QTest::addColumn<QString>("enviada");
        QTest::addColumn<QVariant>("resultado");

        const QString t = QStringLiteral("SELECT TOP 1 * FROM TA_USUARIOS with(nolock)  WHERE ");
        const QVariant dos(QStringLiteral("   2"));
        const QVariant nada(QString(""));
        QTest::newRow("texto recortado") << " OPERADOR  " << QVariant(8) << "" << true << t + "LTRIM(RTRIM(NOMBRE)) ='OPERADOR' "
                                         << dos;
        QTest::newRow("comilla como tipo") << " OPERADOR  " << QVariant(QStringLiteral("'")) << "" << true
                                           << t + "LTRIM(RTRIM(NOMBRE)) ='OPERADOR' " << dos;
        QTest::newRow("texto sin recortar con condicion")
            << "OPERADOR" << QVariant(8) << "SISTEMA = 'ORBE'" << false << t + "NOMBRE ='OPERADOR'  AND SISTEMA = 'ORBE'" << dos;
        QTest::newRow("condicion en blanco") << "OPERADOR" << QVariant(8) << "   " << false << t + "NOMBRE ='OPERADOR' " << dos;
        QTest::newRow("sin fila") << " OPERADOR" << QVariant(8) << "" << false << t + "NOMBRE =' OPERADOR' " << nada;
        QTest::newRow("numero") << "12abc" << QVariant(3) << "" << true << t + "verproforma = 12" << nada;
        QTest::newRow("numero con condicion")
            << "abc" << QVariant(5) << "NOMBRE = 'OPERADOR'" << true << t + "verproforma = 0 AND NOMBRE = 'OPERADOR'" << dos;
        QTest::newRow("otro tipo") << "0 " << QVariant(11) << "NOMBRE = 'OPERADOR'" << true
                                   << t + "verproforma = 0  AND NOMBRE = 'OPERADOR'" << dos;
        QTest::newRow("comillas en el valor")
            << "x' OR '1'='1" << QVariant(8) << "" << true << t + "LTRIM(RTRIM(NOMBRE)) ='x OR 1=1' " << nada;
    }
    void datosTabla() {
        QFETCH(QString, valor);
        QFETCH(QVariant, tipo);
        QFETCH(QString, condicion);
        QFETCH(bool, usaTrim);
        QFETCH(QString, enviada);
        QFETCH(QVariant, resultado);
        Caso c;
        auto& db = gBaseDatos();
        const QString campo = tipo.toString() == QLatin1String("8") || tipo.toString() == QLatin1String("'")
                                  ? QStringLiteral("NOMBRE")
                                  : QStringLiteral("verproforma");
        const QVariant r = db.DatosTabla(QStringLiteral("TA_USUARIOS"), valor, QStringLiteral("UNegocio"), campo, tipo, condicion,
                                         usaTrim, false);
        QCOMPARE(db.UltimaSentencia, enviada);
        QVERIFY(r.isValid());
        QCOMPARE(r.typeId(), QMetaType::QString);
        QCOMPARE(r, resultado);
        QVERIFY2(g(c).Cajas().isEmpty(), qPrintable(g(c).UltimaCaja().texto));
    }

    void datosTablaVaciaYConSinonimos() {
        Caso c;
        auto& db = gBaseDatos();
        const QVariant r = db.DatosTabla(QStringLiteral("AUX_ERR"), QStringLiteral("X"), QStringLiteral("Proceso"),
                                         QStringLiteral("Proceso"), 8, QString(), true, false);
        QVERIFY(r.isValid());
        QCOMPARE(r.toString(), QString(""));
        // A NULL column is an empty text too.
        QCOMPARE(db.DatosTabla(QStringLiteral("TA_USUARIOS"), QStringLiteral("OPERADOR"), QStringLiteral("clasepusa"),
                               QStringLiteral("NOMBRE"), 8, QString(), true, false)
                     .toString(),
                 QStringLiteral("1"));
        QCOMPARE(c.Valor(QStringLiteral("UPDATE TA_USUARIOS SET clasepusa = NULL")), QString());
        const QVariant nulo = db.DatosTabla(QStringLiteral("TA_USUARIOS"), QStringLiteral("OPERADOR"),
                                            QStringLiteral("clasepusa"), QStringLiteral("NOMBRE"), 8, QString(), true, false);
        QVERIFY(nulo.isValid());
        QCOMPARE(nulo.toString(), QString(""));
        // Opened through AbrirRecordset: confidential synonyms apply.
        QVERIFY(!db.DatosTabla(QStringLiteral("V_TA_DEPOSITO"), QStringLiteral("1"), QStringLiteral("Descripcion"),
                               QStringLiteral("IdDeposito"), 8, QString(), true, false)
                     .toString()
                     .isEmpty());
        QCOMPARE(db.UltimaSentencia,
                 QStringLiteral("SELECT TOP 1 * FROM SS_V_TA_DEPOSITO with(nolock)  WHERE LTRIM(RTRIM(IdDeposito)) ='1' "));
        QVERIFY(g(c).Cajas().isEmpty());
    }

    // After a failed open the result is empty, not an empty text; with errors ignored it is "".
    void datosTablaTrasUnaAperturaFallida() {
        Caso c;
        auto& db = gBaseDatos();
        g(c).ResponderMsgBox(vb::Cancel, QStringLiteral("Ha ocurrido el Siguiente Error"));
        const QVariant r = db.DatosTabla(QStringLiteral("NOEXISTE"), QStringLiteral("X"), QStringLiteral("A"),
                                         QStringLiteral("A"), 8, QString(), true, false);
        QVERIFY2(!r.isValid(), qPrintable(r.toString()));
        QCOMPARE(g(c).Cajas().size(), 1);

        // A date is written between # signs, which this database does not take.
        g(c).ResponderMsgBox(vb::Cancel, QStringLiteral("Ha ocurrido el Siguiente Error"));
        const QVariant f = db.DatosTabla(QStringLiteral("TA_USUARIOS"), QStringLiteral(" 2024-03-25 "), QStringLiteral("NOMBRE"),
                                         QStringLiteral("NOMBRE"), 7, QStringLiteral("1 = 1"), true, false);
        QCOMPARE(db.UltimaSentencia,
                 QStringLiteral("SELECT TOP 1 * FROM TA_USUARIOS with(nolock)  WHERE NOMBRE = #2024-03-25#  AND 1 = 1"));
        QVERIFY(!f.isValid());

        g(c).ResponderMsgBox(vb::Cancel, QStringLiteral("Ha ocurrido el Siguiente Error"));
        const QVariant i = db.DatosTabla(QStringLiteral("NOEXISTE"), QStringLiteral("X"), QStringLiteral("A"),
                                         QStringLiteral("A"), 8, QString(), true, true);
        QVERIFY(i.isValid());
        QCOMPARE(i.toString(), QString(""));

        // The object not connected: empty as well.
        db.gCnn().Close();
        db.gOpenFlag = false;
        g(c).ResponderMsgBox(vb::Cancel, QStringLiteral("Ha ocurrido el Siguiente Error"));
        QVERIFY(!db.DatosTabla(QStringLiteral("TA_USUARIOS"), QStringLiteral("DEMO"), QStringLiteral("NOMBRE"),
                               QStringLiteral("NOMBRE"), 8, QString(), true, false)
                     .isValid());
    }

    void buscaMaximoDeArticulos() {
        Caso c;
        auto& db = gBaseDatos();
        // Codes aligned to the right with blanks, the way the suite writes them, and codes with a
        // leading zero, which sort above them.
        QCOMPARE(c.Valor(QStringLiteral("DELETE FROM MA_ARTICULOS")), QString());
        QCOMPARE(c.Valor(QStringLiteral("INSERT INTO MA_ARTICULOS (IdArticulo, Descripcion) VALUES ('0999', 'a'), ('0500', 'b'), "
                                        "('  1234', 'c'), ('   999', 'd')")),
                 QString());
        QCOMPARE(db.BuscaMaximo(QStringLiteral("v_ma_articulos"), QStringLiteral("IdArticulo")).toDouble(), 1234.0);
        QCOMPARE(
            db.UltimaSentencia,
            QStringLiteral("SELECT MAX(IdArticulo) AS MAYOR FROM v_ma_articulos WHERE substring(ltrim(idarticulo),1,1)<>'0'"));

        QString condicion = QStringLiteral(" Descripcion <> 'c' ");
        QCOMPARE(db.BuscaMaximo(QStringLiteral("V_MA_ARTICULOS"), QStringLiteral("IdArticulo"), 3, &condicion).toDouble(), 999.0);
        QCOMPARE(condicion, QStringLiteral(" Descripcion <> 'c'  and substring(ltrim(idarticulo),1,1)<>'0'"));
        QCOMPARE(db.UltimaSentencia,
                 QStringLiteral("SELECT MAX(IdArticulo) AS MAYOR FROM V_MA_ARTICULOS WHERE Descripcion <> 'c'  and "
                                "substring(ltrim(idarticulo),1,1)<>'0'"));

        // Type 7: the text as it is.
        QCOMPARE(db.BuscaMaximo(QStringLiteral("V_MA_ARTICULOS"), QStringLiteral("IdArticulo"), 7),
                 QVariant(QStringLiteral("  1234")));
        // Other tables keep their greatest code.
        QCOMPARE(db.BuscaMaximo(QStringLiteral("MA_ARTICULOS"), QStringLiteral("IdArticulo")).toDouble(), 999.0);
        QCOMPARE(db.BuscaMaximo(QStringLiteral("MA_ARTICULOS"), QStringLiteral("IdArticulo"), 7),
                 QVariant(QStringLiteral("0999")));
        QVERIFY(g(c).Cajas().isEmpty());
    }

    void buscaMaximoConCondicionVaciaLlegaAlLlamador() {
        Caso c;
        auto& db = gBaseDatos();
        QString condicion;
        QVERIFY_THROWS_EXCEPTION(
            ErrorEjecucion, db.BuscaMaximo(QStringLiteral("MA_ARTICULOS"), QStringLiteral("IdArticulo"), QVariant(), &condicion));
        QCOMPARE(db.UltimaSentencia, QStringLiteral("SELECT MAX(IdArticulo) AS MAYOR FROM MA_ARTICULOS WHERE "));
        QVERIFY_THROWS_EXCEPTION(ErrorEjecucion, db.BuscaMinimo(QStringLiteral("NOEXISTE"), QStringLiteral("X")));
        QVERIFY_THROWS_EXCEPTION(ErrorEjecucion,
                                 db.BuscaUltimoCodigo(QStringLiteral("NOEXISTE"), QStringLiteral("X"), 3, QString()));
        QVERIFY(g(c).Cajas().isEmpty());
    }

    void buscaMinimoYUltimoCodigo() {
        Caso c;
        auto& db = gBaseDatos();
        QCOMPARE(db.BuscaMinimo(QStringLiteral("MA_ARTICULOS"), QStringLiteral("IdArticulo")).toDouble(), 100001.0);
        QCOMPARE(db.UltimaSentencia, QStringLiteral("SELECT MIN(IdArticulo) AS MENOR FROM MA_ARTICULOS  with(nolock) "));
        const QString mayorA = QStringLiteral("  IdArticulo > '100005' ");
        QCOMPARE(db.BuscaMinimo(QStringLiteral("MA_ARTICULOS"), QStringLiteral("IdArticulo"), 7, &mayorA).toDouble(), 100006.0);
        QCOMPARE(db.UltimaSentencia,
                 QStringLiteral("SELECT MIN(IdArticulo) AS MENOR FROM MA_ARTICULOS  with(nolock)  WHERE IdArticulo > '100005'"));

        const double ultimo = c.Valor(QStringLiteral("SELECT MAX(IdArticulo) FROM MA_ARTICULOS")).toDouble();
        QVERIFY(ultimo > 100001.0);
        QCOMPARE(db.BuscaUltimoCodigo(QStringLiteral("MA_ARTICULOS"), QStringLiteral("IdArticulo"), 7, QStringLiteral("  "))
                     .toDouble(),
                 ultimo);
        QCOMPARE(db.UltimaSentencia, QStringLiteral("SELECT MAX(IdArticulo) AS MAYOR FROM MA_ARTICULOS"));
        QCOMPARE(db.BuscaUltimoCodigo(QStringLiteral("MA_ARTICULOS"), QStringLiteral("IdArticulo"), 8,
                                      QStringLiteral(" IdArticulo < '100005'"))
                     .toDouble(),
                 100004.0);
        QCOMPARE(db.UltimaSentencia,
                 QStringLiteral("SELECT MAX(IdArticulo) AS MAYOR FROM MA_ARTICULOS WHERE  IdArticulo < '100005'"));
        // No row at all in the table: the greatest is NULL, read as 0.
        QCOMPARE(db.BuscaUltimoCodigo(QStringLiteral("AUX_ERR"), QStringLiteral("Error"), 3, QString()).toDouble(), 0.0);
        QVERIFY(g(c).Cajas().isEmpty());
    }

private:
    static PlataformaGuion& g(Caso& c) { return *c.g; }
};

QTEST_GUILESS_MAIN(TstDbDllConsultas)
#include "tst_dbdll_consultas.moc"
