#include "db/Sinonimos.h"

#include <QtTest>

using sinonimos::PrepararSentencia;
using sinonimos::SS_TSinonimos;

namespace {

const QString kPrograma = QStringLiteral("MA_POSICIONES");

// A user who is not an administrator, without the journal-entry confidentiality flag.
QString Usuario(const QString& sql, const QString& programa = kPrograma) {
    return SS_TSinonimos(sql, false, false, programa);
}

}  // namespace

// Confidential tables named by their "SS_" synonyms, and the "@Admin_" marker.
class TstSinonimos : public QObject {
    Q_OBJECT

private slots:
    void administrador() {
        QCOMPARE(SS_TSinonimos(QStringLiteral("SELECT * FROM @Admin_MA_CUENTAS WHERE A=1"), true, false, kPrograma),
                 QStringLiteral("SELECT * FROM MA_CUENTAS WHERE A=1"));
        QCOMPARE(SS_TSinonimos(QStringLiteral("SELECT * FROM MA_CUENTAS C JOIN V_TA_CAJAS K ON 1=1"), true, true, kPrograma),
                 QStringLiteral("SELECT * FROM MA_CUENTAS C JOIN V_TA_CAJAS K ON 1=1"));
        QCOMPARE(SS_TSinonimos(QStringLiteral("select * from @admin_v_ta_cajas where 1=1"), true, false, kPrograma),
                 QStringLiteral("select * from v_ta_cajas where 1=1"));
    }

    void usuarioComun() {
        QCOMPARE(Usuario(QStringLiteral("SELECT * FROM MA_CUENTAS WHERE A=1")),
                 QStringLiteral("SELECT * FROM SS_MA_CUENTAS WHERE A=1"));
        // The synonym is written as the pattern spells it, whatever the letter case of the input.
        QCOMPARE(Usuario(QStringLiteral("SELECT ma_cuentas.codigo FROM ma_cuentas WHERE 1=1")),
                 QStringLiteral("SELECT SS_MA_CUENTAS.codigo FROM SS_MA_CUENTAS WHERE 1=1"));
    }

    void nombresQueNoSeReconocen_data() {
        QTest::addColumn<QString>("sql");
        QTest::newRow("al final") << QStringLiteral("SELECT * FROM MA_CUENTAS");
        QTest::newRow("al principio") << QStringLiteral("MA_CUENTAS WHERE 1=1");
        QTest::newRow("salto de linea") << QStringLiteral("SELECT * FROM MA_CUENTAS\nWHERE 1=1");
        QTest::newRow("coma") << QStringLiteral("SELECT * FROM MA_CUENTAS, V_TA_CAJAS");
        QTest::newRow("parentesis") << QStringLiteral("SELECT * FROM (SELECT * FROM MA_CUENTAS) X WHERE 1=1");
        QTest::newRow("propietario") << QStringLiteral("SELECT * FROM dbo.MA_CUENTAS WHERE 1=1");
        QTest::newRow("nombre mas largo") << QStringLiteral("SELECT * FROM MA_CUENTAS_AUX WHERE 1=1");
        QTest::newRow("llaves de otra tabla") << QStringLiteral("{V_TA_CAJAS.IdCaja} = '1'");
    }
    void nombresQueNoSeReconocen() {
        QFETCH(QString, sql);
        QCOMPARE(Usuario(sql), sql);
    }

    // Every group knows its table in the same five places.
    void cincoLugaresPorGrupo_data() {
        QTest::addColumn<QString>("tabla");
        QTest::addColumn<QString>("sinonimo");
        QTest::newRow("1") << QStringLiteral("MA_CUENTAS") << QStringLiteral("SS_MA_CUENTAS");
        QTest::newRow("2") << QStringLiteral("V_TA_DEPOSITO") << QStringLiteral("SS_V_TA_DEPOSITO");
        QTest::newRow("3") << QStringLiteral("MV_ASIENTOS") << QStringLiteral("SS_MV_ASIENTOS");
        QTest::newRow("4") << QStringLiteral("V_TA_FAMILIAS") << QStringLiteral("SS_V_TA_FAMILIAS");
        QTest::newRow("5") << QStringLiteral("V_TA_CAJAS") << QStringLiteral("SS_V_TA_CAJAS");
        QTest::newRow("6") << QStringLiteral("AC_CUENTASDIARIO") << QStringLiteral("SS_AC_CUENTASDIARIO");
        QTest::newRow("7") << QStringLiteral("AC_CUENTASDIARIO_CCOSTO") << QStringLiteral("SS_AC_CUENTAS_DIARIO_CCOSTO");
    }
    void cincoLugaresPorGrupo() {
        QFETCH(QString, tabla);
        QFETCH(QString, sinonimo);
        const QString plantilla =
            QStringLiteral("SELECT %1.A,%1.B,(%1.C) FROM %1 JOIN (%1 X) ON 1=1 WHERE Z IN (SELECT 1 FROM %1)");
        QCOMPARE(SS_TSinonimos(plantilla.arg(tabla), false, true, kPrograma),
                 QStringLiteral("SELECT %1.A,%1.B,(%1.C) FROM %1 JOIN (%1 X) ON 1=1 WHERE Z IN (SELECT 1 FROM %2)")
                     .arg(sinonimo, tabla));
    }

    void formulasDeInformeConLlaves() {
        QCOMPARE(Usuario(QStringLiteral("{MA_CUENTAS.CODIGO} = 'A' AND {ma_cuentas.NIVEL} = 1")),
                 QStringLiteral("{SS_MA_CUENTAS.CODIGO} = 'A' AND {SS_MA_CUENTAS.NIVEL} = 1"));
    }

    void asientosSoloConConfidencialidad() {
        const QString sql = QStringLiteral("SELECT * FROM MV_ASIENTOS A JOIN MA_CUENTAS C ON A.X = C.X");
        QCOMPARE(SS_TSinonimos(sql, false, false, kPrograma), sql);
        QCOMPARE(SS_TSinonimos(sql, false, true, kPrograma),
                 QStringLiteral("SELECT * FROM SS_MV_ASIENTOS A JOIN SS_MA_CUENTAS C ON A.X = C.X"));
        // Without synonyms the markers still go.
        QCOMPARE(
            SS_TSinonimos(QStringLiteral("SELECT * FROM mv_asientos A JOIN @Admin_V_TA_CAJAS K ON 1=1"), false, false, kPrograma),
            QStringLiteral("SELECT * FROM mv_asientos A JOIN V_TA_CAJAS K ON 1=1"));
    }

    void marcaAdministradorEnCuentas() {
        QCOMPARE(
            Usuario(QStringLiteral("SELECT * FROM @Admin_MA_CUENTAS A JOIN MA_CUENTAS B ON A.ID = B.ID JOIN V_TA_CAJAS K ON "
                                   "K.ID = A.ID")),
            QStringLiteral("SELECT * FROM MA_CUENTAS A JOIN MA_CUENTAS B ON A.ID = B.ID JOIN SS_V_TA_CAJAS K ON K.ID = A.ID"));
        // A marker on any table withdraws the accounts synonym; the marked table keeps its name.
        QCOMPARE(
            Usuario(QStringLiteral("SELECT * FROM @admin_V_TA_CAJAS K JOIN MA_CUENTAS C ON 1=1 JOIN V_TA_DEPOSITO D ON 1=1")),
            QStringLiteral("SELECT * FROM V_TA_CAJAS K JOIN MA_CUENTAS C ON 1=1 JOIN SS_V_TA_DEPOSITO D ON 1=1"));
    }

    void programasExentos_data() {
        QTest::addColumn<QString>("programa");
        QTest::addColumn<QString>("enviado");
        const QString ambos =
            QStringLiteral("SELECT * FROM SS_V_TA_FAMILIAS F JOIN SS_V_TA_DEPOSITO D ON 1=1 JOIN SS_V_TA_CAJAS K ON 1=1");
        const QString familias =
            QStringLiteral("SELECT * FROM V_TA_FAMILIAS F JOIN SS_V_TA_DEPOSITO D ON 1=1 JOIN SS_V_TA_CAJAS K ON 1=1");
        const QString depositos =
            QStringLiteral("SELECT * FROM SS_V_TA_FAMILIAS F JOIN V_TA_DEPOSITO D ON 1=1 JOIN SS_V_TA_CAJAS K ON 1=1");
        QTest::newRow("este programa") << kPrograma << ambos;
        QTest::newRow("RAVEZEZ") << QStringLiteral("RAVEZEZ") << familias;
        QTest::newRow("ravezez") << QStringLiteral("ravezez") << familias;
        QTest::newRow("QDL") << QStringLiteral("Qdl") << familias;
        QTest::newRow("V_CONS_FICHA_ALMACEN") << QStringLiteral("v_cons_ficha_almacen") << depositos;
        QTest::newRow("RP_ALMACEN") << QStringLiteral("RP_ALMACEN") << depositos;
        QTest::newRow("nombre parecido") << QStringLiteral("RP_ALMACEN2") << ambos;
    }
    void programasExentos() {
        QFETCH(QString, programa);
        QFETCH(QString, enviado);
        QCOMPARE(Usuario(QStringLiteral("SELECT * FROM V_TA_FAMILIAS F JOIN V_TA_DEPOSITO D ON 1=1 JOIN V_TA_CAJAS K ON 1=1"),
                         programa),
                 enviado);
    }

    void preparacionDeSentencias_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("enviado");
        QTest::newRow("UPDATE con marca") << QStringLiteral("UPDATE @Admin_MA_CUENTAS SET A = 1 WHERE B = 2")
                                          << QStringLiteral("UPDATE MA_CUENTAS SET A = 1 WHERE B = 2");
        QTest::newRow("consulta sin sinonimos")
            << QStringLiteral("SELECT * FROM MA_CUENTAS WHERE A=1") << QStringLiteral("SELECT * FROM MA_CUENTAS WHERE A=1");
        QTest::newRow("solo CREATE") << QStringLiteral("CREATE TABLE @ADMIN_X (A INT)")
                                     << QStringLiteral("CREATE TABLE X (A INT)");
        QTest::newRow("DROP y CREATE") << QStringLiteral("DROP VIEW V_X CREATE VIEW V_X AS SELECT * FROM MA_CUENTAS WHERE A=1")
                                       << QStringLiteral(
                                              "DROP VIEW V_X CREATE VIEW V_X AS SELECT * FROM SS_MA_CUENTAS WHERE A=1");
        QTest::newRow("drop y create en minusculas")
            << QStringLiteral("drop view v create view v as select * from ma_cuentas where 1=1")
            << QStringLiteral("drop view v create view v as select * from SS_MA_CUENTAS where 1=1");
        QTest::newRow("DROP y CREATE con marca")
            << QStringLiteral("DROP VIEW V_X CREATE VIEW V_X AS SELECT * FROM MA_CUENTAS M JOIN @admin_V_TA_CAJAS K ON 1=1")
            << QStringLiteral("DROP VIEW V_X CREATE VIEW V_X AS SELECT * FROM MA_CUENTAS M JOIN V_TA_CAJAS K ON 1=1");
        QTest::newRow("DROP, CREATE y DELETE")
            << QStringLiteral(
                   "DROP TABLE T CREATE TABLE T (A INT) DELETE FROM MA_CUENTAS WHERE A=1 DELETE FROM @Admin_V_TA_CAJAS ")
            << QStringLiteral("DROP TABLE T CREATE TABLE T (A INT) DELETE FROM MA_CUENTAS WHERE A=1 DELETE FROM V_TA_CAJAS ");
        // The words are looked for anywhere, inside names too.
        QTest::newRow("palabras dentro de nombres") << QStringLiteral("SELECT DROPPED, CREATED FROM MA_CUENTAS WHERE 1=1")
                                                    << QStringLiteral("SELECT DROPPED, CREATED FROM SS_MA_CUENTAS WHERE 1=1");
    }
    void preparacionDeSentencias() {
        QFETCH(QString, sql);
        QFETCH(QString, enviado);
        QCOMPARE(PrepararSentencia(sql, false, false, kPrograma), enviado);
    }

    void preparacionParaAdministrador() {
        const QString sql = QStringLiteral("DROP VIEW V CREATE VIEW V AS SELECT * FROM MA_CUENTAS WHERE 1=1");
        QCOMPARE(PrepararSentencia(sql, true, false, kPrograma), sql);
        QCOMPARE(PrepararSentencia(QStringLiteral("DROP VIEW V CREATE VIEW V AS SELECT * FROM V_TA_DEPOSITO WHERE 1=1"), false,
                                   false, QStringLiteral("RP_ALMACEN")),
                 QStringLiteral("DROP VIEW V CREATE VIEW V AS SELECT * FROM V_TA_DEPOSITO WHERE 1=1"));
    }
};

QTEST_GUILESS_MAIN(TstSinonimos)
#include "tst_sinonimos.moc"
