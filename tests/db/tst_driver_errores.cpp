#include "BaseSqlite.h"
#include "VfsFallos.h"
#include "db/driver/Conexion.h"
#include "db/driver/EsperaOcupada.h"
#include "db/driver/ExtensionesSqlite.h"
#include "db/driver/Recordset.h"
#include "services/ErrorEjecucion.h"

#include <sqlite3.h>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace driver;

namespace {

const char* kEsquema =
    "CREATE TABLE TA_DEPOSITO (IdDeposito varchar(4) COLLATE NOCASE NOT NULL PRIMARY KEY, Descripcion varchar(10) COLLATE "
    "NOCASE);"
    "CREATE TABLE MA_POSICIONES (IdPosicion varchar(25) COLLATE NOCASE NOT NULL, IdDeposito varchar(4) COLLATE NOCASE NOT NULL"
    " REFERENCES TA_DEPOSITO (IdDeposito), Capacidad int CHECK (Capacidad >= 0), PRIMARY KEY (IdDeposito, IdPosicion));"
    "INSERT INTO TA_DEPOSITO VALUES ('   1', 'Central');"
    "INSERT INTO MA_POSICIONES VALUES ('01', '   1', 5);";

QString Cadena(const QString& ruta) {
    return QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =%1;").arg(ruta);
}

int Contar(Conexion& cn, const QString& tabla) {
    auto rs = cn.Execute(QStringLiteral("SELECT count(*) FROM ") + tabla);
    return rs->Fields(0).Value.toInt();
}

// Runs the text and returns the error it raised (Number 0 when none).
ErrorEjecucion Fallo(Conexion& cn, const QString& sql) {
    try {
        cn.Execute(sql);
    } catch (const ErrorEjecucion& e) {
        return e;
    }
    return ErrorEjecucion();
}

}  // namespace

// How the embedded back end fails: SQL Server's native numbers and states, transactions of the
// program's scripts, a busy database and a database whose share went away.
class TstDriverErrores : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { fallos::Instalar(); }
    void cleanup() { fallos::Restablecer(); }

    void losErroresLlevanElNumeroNativoDeSqlServer_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<long>("nativo");
        QTest::addColumn<QString>("estado");
        QTest::addColumn<int>("cuantos");
        QTest::newRow("clave duplicada") << "INSERT INTO MA_POSICIONES VALUES ('01 ', '   1', 1)" << 2627L << "23000" << 2;
        QTest::newRow("clave duplicada sin mayusculas")
            << "INSERT INTO TA_DEPOSITO VALUES ('   1', 'x')" << 2627L << "23000" << 2;
        QTest::newRow("referencia") << "INSERT INTO MA_POSICIONES VALUES ('02', '   9', 1)" << 547L << "23000" << 2;
        QTest::newRow("borrar referenciado") << "DELETE FROM TA_DEPOSITO" << 547L << "23000" << 2;
        QTest::newRow("check") << "UPDATE MA_POSICIONES SET Capacidad = -1" << 547L << "23000" << 2;
        QTest::newRow("nulo") << "INSERT INTO MA_POSICIONES (IdPosicion) VALUES ('03')" << 515L << "23000" << 2;
        QTest::newRow("texto largo") << "UPDATE TA_DEPOSITO SET Descripcion = 'Central y anexo'" << 8152L << "22001" << 2;
        QTest::newRow("tabla inexistente") << "SELECT * FROM V_TA_NADA with(nolock)" << 208L << "42S02" << 1;
        QTest::newRow("columna inexistente") << "SELECT Nada FROM TA_DEPOSITO" << 207L << "42S22" << 1;
        QTest::newRow("sintaxis") << "SELECT * FROM TA_DEPOSITO WHERE" << 102L << "42000" << 1;
        QTest::newRow("sintaxis cerca de") << "SELEC * FROM TA_DEPOSITO" << 102L << "42000" << 1;
        QTest::newRow("commit sin transaccion") << "COMMIT TRANSACTION" << 3902L << "25000" << 1;
        QTest::newRow("rollback sin transaccion") << "ROLLBACK TRANSACTION" << 3903L << "25000" << 1;
    }
    void losErroresLlevanElNumeroNativoDeSqlServer() {
        QFETCH(QString, sql);
        QFETCH(long, nativo);
        QFETCH(QString, estado);
        QFETCH(int, cuantos);
        QTemporaryDir tmp;
        const QString ruta = tmp.filePath(QStringLiteral("e.db"));
        QVERIFY(CrearBaseSqlite(ruta, kEsquema));
        Conexion cn;
        cn.Open(Cadena(ruta));
        const ErrorEjecucion e = Fallo(cn, sql);
        QCOMPARE(e.Number, errnum::E_FAIL);
        QCOMPARE(cn.Errors().Count(), cuantos);
        const ErrorProveedor& p = cn.Errors().Item(0);
        QCOMPARE(p.NativeError, nativo);
        QCOMPARE(p.SQLState, estado);
        QCOMPARE(p.Number, errnum::E_FAIL);
        QCOMPARE(e.Description, p.Description);
        if (cuantos == 2) {
            // Like SQL Server, a refused change is followed by "The statement has been terminated."
            QCOMPARE(cn.Errors().Item(1).NativeError, 3621L);
            QCOMPARE(cn.Errors().Item(1).Description, QStringLiteral("The statement has been terminated."));
        }
        // Nothing of the refused statement stayed.
        QCOMPARE(Contar(cn, QStringLiteral("MA_POSICIONES")), 1);
        QCOMPARE(Contar(cn, QStringLiteral("TA_DEPOSITO WHERE Descripcion = 'Central'")), 1);
    }

    void unGuionFallidoSeDeshaceConRollback() {
        QTemporaryDir tmp;
        const QString ruta = tmp.filePath(QStringLiteral("e.db"));
        QVERIFY(CrearBaseSqlite(ruta, kEsquema));
        Conexion cn;
        cn.Open(Cadena(ruta));
        // The script of the statement builders: "BEGIN TRANSACTION " CR CR, each statement after a CR.
        const QString guion = QStringLiteral(
            "BEGIN TRANSACTION \r\r\rINSERT INTO MA_POSICIONES VALUES ('02', '   1', 1)"
            "\rINSERT INTO MA_POSICIONES VALUES ('01', '   1', 1)\r");
        QCOMPARE(Fallo(cn, guion).Number, errnum::E_FAIL);
        QCOMPARE(cn.Errors().Item(0).NativeError, 2627L);
        cn.Errors().Clear();
        cn.Execute(QStringLiteral("ROLLBACK TRANSACTION"));
        QCOMPARE(Contar(cn, QStringLiteral("MA_POSICIONES")), 1);

        // The same script without the failing statement commits.
        cn.Execute(
            QStringLiteral("BEGIN TRANSACTION \r\r\rINSERT INTO MA_POSICIONES VALUES ('02', '   1', 1)"
                           "\rUPDATE MA_POSICIONES SET Capacidad = 7 WHERE IdPosicion = '01'\r"));
        cn.Execute(QStringLiteral("COMMIT TRANSACTION"));
        Conexion otra;
        otra.Open(Cadena(ruta));
        QCOMPARE(Contar(otra, QStringLiteral("MA_POSICIONES WHERE Capacidad IN (1, 7)")), 2);

        // Without a transaction a failing statement stops the text; what ran before it stays.
        QCOMPARE(Fallo(cn, QStringLiteral("INSERT INTO MA_POSICIONES VALUES ('03', '   1', 1)\r"
                                          "INSERT INTO MA_POSICIONES VALUES ('03', '   1', 1)\r"
                                          "INSERT INTO MA_POSICIONES VALUES ('04', '   1', 1)"))
                     .Number,
                 errnum::E_FAIL);
        QCOMPARE(Contar(otra, QStringLiteral("MA_POSICIONES")), 3);
    }

    void lasTransaccionesSeAnidanComoEnSqlServer() {
        QTemporaryDir tmp;
        const QString ruta = tmp.filePath(QStringLiteral("e.db"));
        QVERIFY(CrearBaseSqlite(ruta, kEsquema));
        Conexion cn, otra;
        cn.Open(Cadena(ruta));
        otra.Open(Cadena(ruta));
        cn.BeginTrans();
        cn.Execute(QStringLiteral("BEGIN TRANSACTION\rINSERT INTO MA_POSICIONES VALUES ('02', '   1', 1)\rCOMMIT TRANSACTION"));
        // The inner COMMIT only closed the inner level: nobody else sees the row yet.
        QCOMPARE(Contar(otra, QStringLiteral("MA_POSICIONES")), 1);
        QCOMPARE(Contar(cn, QStringLiteral("MA_POSICIONES")), 2);
        cn.RollbackTrans();
        QCOMPARE(Contar(cn, QStringLiteral("MA_POSICIONES")), 1);
        QVERIFY_THROWS_EXCEPTION(ErrorEjecucion, cn.CommitTrans());
        QCOMPARE(cn.Errors().Item(0).NativeError, 3902L);

        cn.BeginTrans();
        cn.Execute(QStringLiteral("INSERT INTO MA_POSICIONES VALUES ('02', '   1', 1)"));
        cn.CommitTrans();
        QCOMPARE(Contar(otra, QStringLiteral("MA_POSICIONES")), 2);

        // Closing with a transaction open undoes it.
        cn.BeginTrans();
        cn.Execute(QStringLiteral("DELETE FROM MA_POSICIONES"));
        cn.Close();
        QCOMPARE(Contar(otra, QStringLiteral("MA_POSICIONES")), 2);
    }

    void unaBaseOcupadaEsperaElTiempoLimiteYFalla() {
        QTemporaryDir tmp;
        const QString ruta = tmp.filePath(QStringLiteral("e.db"));
        QVERIFY(CrearBaseSqlite(ruta, kEsquema));
        Conexion cn;
        cn.Open(Cadena(ruta));
        // Another process holds the database.
        sqlite3* bloqueo = nullptr;
        QCOMPARE(sqlite3_open_v2(QFile::encodeName(ruta).constData(), &bloqueo, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        QCOMPARE(sqlite3_exec(bloqueo, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        cn.SetCommandTimeout(1);
        QElapsedTimer reloj;
        reloj.start();
        const ErrorEjecucion e = Fallo(cn, QStringLiteral("SELECT * FROM MA_POSICIONES"));
        const qint64 ms = reloj.elapsed();
        QCOMPARE(e.Number, errnum::E_FAIL);
        QVERIFY2(ms >= 900 && ms < 10000, qPrintable(QString::number(ms)));
        QCOMPARE(cn.Errors().Item(0).NativeError, -2L);
        QCOMPARE(cn.Errors().Item(0).SQLState, QStringLiteral("HYT00"));
        QVERIFY(cn.Errors().Item(0).Description.startsWith(QStringLiteral("La base de datos está ocupada por otro puesto")));

        // Opening it meanwhile is busy too, not a refused login; a program that stops waiting
        // stops at once.
        struct Rendirse : EsperaOcupada {
            int veces = 0;
            bool Seguir(int, int) override { return ++veces < 3; }
            void Terminar() override {}
        };
        auto rendirse = std::make_shared<Rendirse>();
        EstablecerEsperaOcupada(rendirse);
        auto quitar = qScopeGuard([] { EstablecerEsperaOcupada(nullptr); });
        Conexion otra;
        reloj.restart();
        try {
            otra.Open(Cadena(ruta));
            QFAIL("a database held by another process opened");
        } catch (const ErrorEjecucion&) {
            QCOMPARE(otra.Errors().Item(0).NativeError, -2L);
            QVERIFY(otra.Errors().Item(0).Description.contains(QStringLiteral("se dejó de esperar")));
        }
        QCOMPARE(rendirse->veces, 3);
        QVERIFY2(reloj.elapsed() < 5000, qPrintable(QString::number(reloj.elapsed())));

        sqlite3_exec(bloqueo, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(bloqueo);
        QCOMPARE(Contar(cn, QStringLiteral("MA_POSICIONES")), 1);  // free again: works at once
    }

    void unaLecturaFallidaEsUnaConexionPerdida() {
        QTemporaryDir tmp;
        const QString ruta = tmp.filePath(QStringLiteral("e.db"));
        QVERIFY(CrearBaseSqlite(ruta, kEsquema));
        Conexion cn;
        cn.Open(Cadena(ruta));
        fallos::SoloArchivo(ruta);
        fallos::FallarLecturas(1);
        QCOMPARE(Fallo(cn, QStringLiteral("SELECT * FROM MA_POSICIONES")).Number, errnum::E_FAIL);
        QCOMPARE(fallos::LecturasFallidas(), 1);
        QCOMPARE(cn.Errors().Item(0).NativeError, 11L);
        QCOMPARE(cn.Errors().Item(0).SQLState, QStringLiteral("08S01"));
        // One failed read does not break the connection for good.
        QCOMPARE(Contar(cn, QStringLiteral("MA_POSICIONES")), 1);

        fallos::FallarEscrituras(1);
        QCOMPARE(Fallo(cn, QStringLiteral("INSERT INTO MA_POSICIONES VALUES ('02', '   1', 1)")).Number, errnum::E_FAIL);
        QCOMPARE(cn.Errors().Item(0).NativeError, 11L);
        QCOMPARE(fallos::EscriturasFallidas(), 1);
        QCOMPARE(Contar(cn, QStringLiteral("MA_POSICIONES")), 1);
    }

    void unRecursoCompartidoQueSeFueYVuelve() {
        QTemporaryDir tmp;
        const QString ruta = tmp.filePath(QStringLiteral("e.db"));
        const QString otraRuta = tmp.filePath(QStringLiteral("otra.db"));
        QVERIFY(CrearBaseSqlite(ruta, kEsquema));
        QVERIFY(CrearBaseSqlite(otraRuta, kEsquema));
        Conexion cn, otra;
        cn.Open(Cadena(ruta));
        otra.Open(Cadena(otraRuta));
        fallos::SoloArchivo(ruta);
        fallos::Desconectar();
        QCOMPARE(Fallo(cn, QStringLiteral("SELECT * FROM MA_POSICIONES")).Number, errnum::E_FAIL);
        QCOMPARE(cn.Errors().Item(0).NativeError, 11L);
        QCOMPARE(Contar(otra, QStringLiteral("MA_POSICIONES")), 1);  // other files are not affected
        // Re-opening fails while the share is away ...
        cn.Close();
        QVERIFY_THROWS_EXCEPTION(ErrorEjecucion, cn.Open(Cadena(ruta)));
        QCOMPARE(cn.State(), adStateClosed);
        QVERIFY(fallos::AperturasFallidas() >= 1);
        // ... and works once it is back.
        fallos::Reconectar();
        cn.Open(Cadena(ruta));
        QCOMPARE(Contar(cn, QStringLiteral("MA_POSICIONES")), 1);
    }
};

QTEST_GUILESS_MAIN(TstDriverErrores)
#include "tst_driver_errores.moc"
