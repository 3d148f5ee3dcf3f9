#include "db/Guion.h"
#include "services/ErrorEjecucion.h"

#include <QtTest>

using namespace guion;

namespace {

const QString kOracle = QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=XE;User Id=u;Password=p;");
const QString kCrLf = QStringLiteral("\r\n");

// The actions in a form QCOMPARE can show: BEGIN, COMMIT, ROLLBACK or EXEC and the text sent.
QStringList Acciones(const QList<AccionGuion>& acciones) {
    QStringList r;
    for (const AccionGuion& a : acciones) {
        switch (a.tipo) {
            case AccionGuion::Tipo::IniciarTransaccion:
                r << QStringLiteral("BEGIN");
                break;
            case AccionGuion::Tipo::ConfirmarTransaccion:
                r << QStringLiteral("COMMIT");
                break;
            case AccionGuion::Tipo::DeshacerTransaccion:
                r << QStringLiteral("ROLLBACK");
                break;
            case AccionGuion::Tipo::Ejecutar:
                r << QStringLiteral("EXEC ") + a.sentencia;
                break;
        }
    }
    return r;
}

QStringList Dividir(QString& script) {
    return Acciones(DividirGuion(script, kOracle));
}

}  // namespace

// SQL Server scripts cut into the statements and transaction calls of an Oracle connection.
class TstGuion : public QObject {
    Q_OBJECT

private slots:
    void normalizacion_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("normalizado");
        QTest::newRow("NOCOUNT") << QStringLiteral("SET NOCOUNT ON\r\nINSERT INTO A VALUES (1)\r\nset nocount off")
                                 << QStringLiteral(" \nINSERT INTO A VALUES (1) \n");
        QTest::newRow("lineas GO") << QStringLiteral("INSERT INTO A VALUES (1)\r\nGO\r\nINSERT INTO B VALUES (2)\r\nGO\r\n")
                                   << QStringLiteral("INSERT INTO A VALUES (1) INSERT INTO B VALUES (2) ");
        QTest::newRow("GO entre blancos") << QStringLiteral("SELECT 1 go SELECT 2") << QStringLiteral("SELECT 1 SELECT 2");
        QTest::newRow("GO al empezar una linea") << QStringLiteral("INSERT INTO A VALUES (1)\r\nGO INSERT INTO B VALUES (2)")
                                                 << QStringLiteral("INSERT INTO A VALUES (1) INSERT INTO B VALUES (2)");
        // A final GO without a line end after it is not a separator; its line end stays a line feed.
        QTest::newRow("GO al final") << QStringLiteral("INSERT INTO A VALUES (1)\r\nGO")
                                     << QStringLiteral("INSERT INTO A VALUES (1) \nGO");
        QTest::newRow("retornos") << QStringLiteral("A\r\nB\rC\nD") << QStringLiteral("A \nB C\nD");
        QTest::newRow("transacciones")
            << QStringLiteral(
                   "BEGIN TRANSACTION x begin trans y COMMIT TRANSACTION commit trans ROLLBACK TRANSACTION Rollback Trans")
            << QStringLiteral("SET TRANSACTION x SET TRANSACTION y COMMIT COMMIT ROLLBACK ROLLBACK");
        QTest::newRow("sin nada que cambiar") << QStringLiteral("SELECT * FROM T") << QStringLiteral("SELECT * FROM T");
    }
    void normalizacion() {
        QFETCH(QString, script);
        QFETCH(QString, normalizado);
        QCOMPARE(NormalizarGuion(script), normalizado);
    }

    void depuracion() {
        QString s = QStringLiteral("SET NOCOUNT ON");
        QCOMPARE(DepuraSentencia(s), QString());
        QCOMPARE(s, QString());
        s = QStringLiteral("if not exists (select 1 from dual)");
        QCOMPARE(DepuraSentencia(s), QString());
        QCOMPARE(s, QString());
        s = QStringLiteral("IF EXISTS (SELECT 1 FROM DUAL)");
        QCOMPARE(DepuraSentencia(s), QStringLiteral("IF EXISTS (SELECT 1 FROM DUAL)"));
        QCOMPARE(s, QStringLiteral("IF EXISTS (SELECT 1 FROM DUAL)"));
    }

    void transaccionEnUnaLinea() {
        QString script = QStringLiteral("BEGIN TRANSACTION INSERT INTO A VALUES (1) COMMIT TRANSACTION");
        QCOMPARE(Dividir(script), QStringList({QStringLiteral("BEGIN"), QStringLiteral("EXEC INSERT INTO A VALUES (1)"),
                                               QStringLiteral("COMMIT")}));
        QCOMPARE(script, QString());

        script = QStringLiteral("begin transaction delete from a where x = 1 rollback transaction");
        QCOMPARE(Dividir(script), QStringList({QStringLiteral("BEGIN"), QStringLiteral("EXEC delete from a where x = 1"),
                                               QStringLiteral("ROLLBACK")}));
    }

    // Only blanks are trimmed from a statement: on separate lines the transaction commands keep
    // their line feed and go to the database as statements instead of connection calls.
    void transaccionEnVariasLineas() {
        QString script = QStringLiteral("BEGIN TRANSACTION\r\nINSERT INTO A VALUES (1)\r\nCOMMIT TRANSACTION\r\n");
        QCOMPARE(Dividir(script),
                 QStringList({QStringLiteral("EXEC SET TRANSACTION \n"), QStringLiteral("EXEC INSERT INTO A VALUES (1) \n"),
                              QStringLiteral("EXEC COMMIT \n")}));
    }

    void separadoresGo() {
        QString script = QStringLiteral("INSERT INTO A VALUES (1)") + kCrLf + QStringLiteral("GO") + kCrLf +
                         QStringLiteral("UPDATE A SET X = 2 WHERE Y = 1") + kCrLf + QStringLiteral("GO") + kCrLf;
        QCOMPARE(Dividir(script), QStringList({QStringLiteral("EXEC INSERT INTO A VALUES (1)"),
                                               QStringLiteral("EXEC UPDATE A SET X = 2 WHERE Y = 1")}));
        QCOMPARE(script, QString());
    }

    void ifNotExistsSeDescartaYElCreateSeEjecuta() {
        QString script =
            QStringLiteral("IF NOT EXISTS (SELECT * FROM USER_TABLES WHERE TABLE_NAME = 'T')\r\nCREATE TABLE T (ID INT)");
        QCOMPARE(Dividir(script), QStringList{QStringLiteral("EXEC CREATE TABLE T (ID INT)")});
    }

    void nocountDesapareceAntesDeDividir() {
        // Left in place, the setting would make the insert's statement be dropped.
        QString script = QStringLiteral("INSERT INTO A VALUES (1) SET NOCOUNT ON");
        QCOMPARE(Dividir(script), QStringList{QStringLiteral("EXEC INSERT INTO A VALUES (1)")});
    }

    void sinPalabraClaveNoSeEjecutaNada() {
        QString script = QStringLiteral("SELECT * FROM T\r\n");
        QCOMPARE(Dividir(script), QStringList());
        QCOMPARE(script, QStringLiteral("SELECT * FROM T \n"));
    }

    void palabrasClaveDentroDeOtras() {
        QString script = QStringLiteral("SET TRANSACTION ISOLATION LEVEL READ COMMITTED");
        QCOMPARE(Dividir(script),
                 QStringList({QStringLiteral("EXEC SET TRANSACTION ISOLATION LEVEL READ"), QStringLiteral("EXEC COMMITTED")}));
        script = QStringLiteral("INSERT INTO T (ID, LAST_UPDATE , X) VALUES (1, 2, 3)");
        QCOMPARE(Dividir(script), QStringList({QStringLiteral("EXEC INSERT INTO T (ID, LAST_"),
                                               QStringLiteral("EXEC UPDATE , X) VALUES (1, 2, 3)")}));
    }

    void cortesEnCadaPalabraClave() {
        QString script = QStringLiteral(
            "DROP TABLE A CREATE TABLE A (X INT) GRANT SELECT ON A TO PUBLIC ALTER TABLE A ADD Y INT "
            "IF EXISTS (SELECT 1 FROM DUAL) DELETE FROM A");
        QCOMPARE(Dividir(script),
                 QStringList({QStringLiteral("EXEC DROP TABLE A"), QStringLiteral("EXEC CREATE TABLE A (X INT)"),
                              QStringLiteral("EXEC GRANT SELECT ON A TO PUBLIC"), QStringLiteral("EXEC ALTER TABLE A ADD Y INT"),
                              QStringLiteral("EXEC IF EXISTS (SELECT 1 FROM DUAL)"), QStringLiteral("EXEC DELETE FROM A")}));
    }

    void loQueNoEmpiezaConPalabraClave() {
        // Text before the first keyword belongs to no statement; a query stays with the statement before it.
        QString script = QStringLiteral("SELECT 1 FROM DUAL INSERT INTO A SELECT * FROM B WHERE C = ''");
        QCOMPARE(Dividir(script), QStringList{QStringLiteral("EXEC INSERT INTO A SELECT * FROM B WHERE C  IS NULL ")});
        QCOMPARE(script, QString());
    }

    void cadaSentenciaSeTraduce() {
        QString script = QStringLiteral("UPDATE T SET F = '05/03/2024' WHERE ISNULL(A,0) = 1\r\nGO\r\nDELETE FROM [Mi Tabla] ");
        QCOMPARE(Dividir(script),
                 QStringList({QStringLiteral("EXEC UPDATE T SET F = TO_DATE('05/03/2024','DD/MM/YYYY') WHERE NVL(A,0) = 1"),
                              QStringLiteral("EXEC DELETE FROM \"Mi Tabla\"")}));
    }

    // A failing translation stops the script at its statement: what ran before stays done and
    // the script still holds the failed statement and the rest.
    void unaTraduccionQueFallaDetieneElGuion() {
        QString script = NormalizarGuion(QStringLiteral("INSERT INTO A VALUES (1) INSERT INTO B VALUES ('x) DELETE FROM C"));
        auto paso = SiguientePaso(script, kOracle);
        QVERIFY(paso.has_value());
        QVERIFY(paso->accion.has_value());
        QCOMPARE(Acciones({*paso->accion}), QStringList{QStringLiteral("EXEC INSERT INTO A VALUES (1)")});
        script = paso->resto;
        QCOMPARE(script, QStringLiteral("INSERT INTO B VALUES ('x) DELETE FROM C"));
        long numero = 0;
        try {
            SiguientePaso(script, kOracle);
        } catch (const ErrorEjecucion& e) {
            numero = e.Number;
        }
        QCOMPARE(numero, 5L);

        script = QStringLiteral("INSERT INTO A VALUES (1) INSERT INTO B VALUES ('x) DELETE FROM C");
        numero = 0;
        try {
            DividirGuion(script, kOracle);
        } catch (const ErrorEjecucion& e) {
            numero = e.Number;
        }
        QCOMPARE(numero, 5L);
        QCOMPARE(script, QStringLiteral("INSERT INTO B VALUES ('x) DELETE FROM C"));
    }

    void unaSentenciaDescartadaNoDaAccion() {
        const auto paso = SiguientePaso(QStringLiteral("IF NOT EXISTS (SELECT 1 FROM DUAL) COMMIT"), kOracle);
        QVERIFY(paso.has_value());
        QVERIFY(!paso->accion.has_value());
        QCOMPARE(paso->resto, QStringLiteral("COMMIT"));
        QVERIFY(!SiguientePaso(QStringLiteral("SELECT 1 FROM DUAL"), kOracle).has_value());
    }
};

QTEST_GUILESS_MAIN(TstGuion)
#include "tst_guion.moc"
