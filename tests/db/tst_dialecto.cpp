#include "db/Dialecto.h"

#include <QtTest>

using dialecto::ORACLE_Dicc;

namespace {

const QString kOracle = QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=XE;User Id=u;Password=p;");

QString Oracle(const QString& sql) {
    return ORACLE_Dicc(sql, kOracle);
}

// The number of the error the translation raises; 0 when it raises none.
long ErrorDe(const QString& sql) {
    try {
        Oracle(sql);
    } catch (const ErrorEjecucion& e) {
        return e.Number;
    }
    return 0;
}

}  // namespace

// The SQL Server dialect of the program's statements, translated to Oracle text.
class TstDialecto : public QObject {
    Q_OBJECT

private slots:
    void soloSeTraduceEnOracle() {
        const QString sql = QStringLiteral("SELECT TOP 5 LEN(A), [B], ISNULL(C,0) FROM T WHERE D = '' AND E = '05/03/2024'");
        QCOMPARE(ORACLE_Dicc(sql, QStringLiteral("PROVIDER=SQLOLEDB;Server=SRV;Database =GESTION;UId=sa;Pwd=x;")), sql);
        QCOMPARE(ORACLE_Dicc(sql, QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =C:\\datos\\base.mdb;")), sql);
        QCOMPARE(ORACLE_Dicc(sql, QString()), sql);
        // Not even the failures of the translation happen elsewhere.
        QCOMPARE(ORACLE_Dicc(QStringLiteral("SELECT TOP 10"), QStringLiteral("PROVIDER=SQLOLEDB;")),
                 QStringLiteral("SELECT TOP 10"));
        // Any letter case of the provider name counts as Oracle.
        QCOMPARE(ORACLE_Dicc(QStringLiteral("SELECT ISNULL(A,0) FROM T"), QStringLiteral("provider=oraoledb.oracle.1")),
                 QStringLiteral("SELECT NVL(A,0) FROM T"));
    }

    void unaSolaPalabra() {
        QCOMPARE(Oracle(QStringLiteral("len")), QStringLiteral("LENGTH"));
        QCOMPARE(Oracle(QStringLiteral("Len")), QStringLiteral("LENGTH"));
        QCOMPARE(Oracle(QStringLiteral("LENGTH")), QStringLiteral("LENGTH"));
        // One word is never run through the steps.
        QCOMPARE(Oracle(QStringLiteral("[CODIGO]")), QStringLiteral("[CODIGO]"));
        QCOMPARE(Oracle(QStringLiteral("ISNULL(A,0)")), QStringLiteral("ISNULL(A,0)"));
        QCOMPARE(Oracle(QStringLiteral("  len  ")), QStringLiteral("  len  "));
        QCOMPARE(Oracle(QString()), QString());
    }

    void limiteDeFilas_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("oracle");
        QTest::newRow("WHERE y ORDER BY") << QStringLiteral("SELECT TOP 10 * FROM T WHERE A=1 ORDER BY B")
                                          << QStringLiteral("SELECT") + QStringLiteral("  ") +
                                                 QStringLiteral("* FROM T WHERE A=1") + QStringLiteral("    ") +
                                                 QStringLiteral("AND ROWNUM <= 10") + QStringLiteral("  ") +
                                                 QStringLiteral("ORDER BY B");
        QTest::newRow("sin WHERE") << QStringLiteral("SELECT TOP 5 CODIGO FROM T")
                                   << QStringLiteral("SELECT  CODIGO FROM T  WHERE ROWNUM <= 5  ");
        QTest::newRow("GROUP BY se lleva el ORDER BY")
            << QStringLiteral("SELECT TOP 3 A, COUNT(*) FROM T GROUP BY A ORDER BY A")
            << QStringLiteral("SELECT  A, COUNT(*) FROM T    WHERE ROWNUM <= 3  GROUP BY A ORDER BY A ");
        QTest::newRow("minusculas") << QStringLiteral("select top 2 * from t where x=1")
                                    << QStringLiteral("select  * from t where x=1  AND ROWNUM <= 2  ");
        // Only the first of the two blanks after the row count separates it from the rest.
        QTest::newRow("consulta de existencia")
            << QStringLiteral("SELECT TOP 1  * FROM MA_POSICIONES with(nolock)  WHERE LTRIM(RTRIM(IdPosicion)) ='A1'")
            << QStringLiteral(
                   "SELECT   * FROM MA_POSICIONES with(nolock)  WHERE LTRIM(RTRIM(IdPosicion)) ='A1'  AND ROWNUM <= 1  ");
        // The split point is the first "top" anywhere, here inside a column name.
        QTest::newRow("columna STOPX") << QStringLiteral("SELECT STOPX, A FROM T WHERE ID IN (SELECT TOP 1 ID FROM U)")
                                       << QStringLiteral(
                                              "SELECT S A FROM T WHERE ID IN (SELECT TOP 1 ID FROM U)  AND ROWNUM <= X,  ");
        QTest::newRow("top sin blanco detras")
            << QStringLiteral("SELECT TOPE, STOPX FROM T") << QStringLiteral("SELECT TOPE, STOPX FROM T");
    }
    void limiteDeFilas() {
        QFETCH(QString, sql);
        QFETCH(QString, oracle);
        QCOMPARE(Oracle(sql), oracle);
    }

    void topSinNadaDespuesDelNumeroFalla() {
        QCOMPARE(ErrorDe(QStringLiteral("SELECT TOP 10")), 5L);
        QCOMPARE(ErrorDe(QStringLiteral("SELECT * FROM T WHERE A IN (SELECT TOP 5")), 5L);
        // Trailing blanks are trimmed before the number is looked for.
        QCOMPARE(ErrorDe(QStringLiteral("SELECT TOP 10   ")), 5L);
        try {
            Oracle(QStringLiteral("SELECT TOP 10"));
            QFAIL("the translation did not fail");
        } catch (const ErrorEjecucion& e) {
            QCOMPARE(e.Description, QStringLiteral("Invalid procedure call or argument"));
        }
    }

    void funcionLen() {
        QCOMPARE(Oracle(QStringLiteral("SELECT LEN(A), LEN (B), len  (C), LEN   (D), LEN    (E), LEN     (F), (LEN(X)) FROM T")),
                 QStringLiteral("SELECT LENGTH(A), LENGTH(B), LENGTH(C), LENGTH(D), LENGTH(E), LEN     (F), (LEN(X)) FROM T"));
    }

    void corchetesComoComillasDobles() {
        QCOMPARE(Oracle(QStringLiteral("SELECT [Mi Columna] FROM [Mi Tabla]")),
                 QStringLiteral("SELECT \"Mi Columna\" FROM \"Mi Tabla\""));
    }

    void fechasLiterales_data() {
        QTest::addColumn<QString>("contenido");
        QTest::addColumn<QString>("fecha");
        QTest::newRow("dd/mm/yyyy") << QStringLiteral("05/03/2024") << QStringLiteral("05/03/2024");
        QTest::newRow("d/m/yyyy") << QStringLiteral("5/3/2024") << QStringLiteral("05/03/2024");
        QTest::newRow("dd/mm/yy") << QStringLiteral("05/03/24") << QStringLiteral("05/03/2024");
        QTest::newRow("yy 29") << QStringLiteral("1/1/29") << QStringLiteral("01/01/2029");
        QTest::newRow("yy 30") << QStringLiteral("1/1/30") << QStringLiteral("01/01/1930");
        QTest::newRow("d-m-yyyy") << QStringLiteral("5-3-2024") << QStringLiteral("05/03/2024");
        QTest::newRow("yyyy-mm-dd") << QStringLiteral("2024-03-05") << QStringLiteral("05/03/2024");
        QTest::newRow("bisiesto") << QStringLiteral("29/02/2024") << QStringLiteral("29/02/2024");
        QTest::newRow("no bisiesto") << QStringLiteral("29/02/2023") << QString();
        QTest::newRow("31 de febrero") << QStringLiteral("31/02/2024") << QString();
        QTest::newRow("mes 13") << QStringLiteral("01/13/2024") << QString();
        QTest::newRow("texto") << QStringLiteral("ABC") << QString();
        QTest::newRow("vacio") << QString() << QString();
        QTest::newRow("con blanco") << QStringLiteral(" 05/03/2024") << QString();
        QTest::newRow("con hora") << QStringLiteral("05/03/2024 10:00") << QString();
        QTest::newRow("d-m-yy") << QStringLiteral("5-3-24") << QString();
        QTest::newRow("separadores mezclados") << QStringLiteral("05/03-2024") << QString();
        QTest::newRow("codigo numerico") << QStringLiteral("1103") << QString();
    }
    void fechasLiterales() {
        QFETCH(QString, contenido);
        QFETCH(QString, fecha);
        QCOMPARE(dialecto::FechaLiteral(contenido), fecha);
        // No WHERE: an empty literal stays an empty literal.
        const QString sql = QStringLiteral("UPDATE T SET F = '") + contenido + QStringLiteral("', N = 1");
        const QString esperado =
            fecha.isEmpty() ? sql
                            : QStringLiteral("UPDATE T SET F = TO_DATE('") + fecha + QStringLiteral("','DD/MM/YYYY'), N = 1");
        QCOMPARE(Oracle(sql), esperado);
    }

    void fechasEnSentencias() {
        QCOMPARE(Oracle(QStringLiteral("SELECT * FROM T WHERE F = '05/03/2024' AND N = 'ABC'")),
                 QStringLiteral("SELECT * FROM T WHERE F = TO_DATE('05/03/2024','DD/MM/YYYY') AND N = 'ABC'"));
        // A literal already inside TO_DATE is left as it was.
        QCOMPARE(Oracle(QStringLiteral("UPDATE T SET F = TO_DATE('05/03/2024','DD/MM/YYYY') WHERE ID = 1")),
                 QStringLiteral("UPDATE T SET F = TO_DATE('05/03/2024','DD/MM/YYYY') WHERE ID = 1"));
        // The same literal twice: every occurrence is converted once.
        QCOMPARE(Oracle(QStringLiteral("SELECT * FROM T WHERE F1 = '01/02/2024' OR F2 = '01/02/2024'")),
                 QStringLiteral("SELECT * FROM T WHERE F1 = TO_DATE('01/02/2024','DD/MM/YYYY') OR F2 = "
                                "TO_DATE('01/02/2024','DD/MM/YYYY')"));
        QCOMPARE(Oracle(QStringLiteral("SELECT * FROM T WHERE F1 = '1/2/2024' OR F2 = '1/2/2024'")),
                 QStringLiteral("SELECT * FROM T WHERE F1 = TO_DATE('01/02/2024','DD/MM/YYYY') OR F2 = "
                                "TO_DATE('01/02/2024','DD/MM/YYYY')"));
        // Quotes are paired in order: the text between two literals is no literal.
        QCOMPARE(Oracle(QStringLiteral("SELECT 'A', '05/03/2024' FROM T")),
                 QStringLiteral("SELECT 'A', TO_DATE('05/03/2024','DD/MM/YYYY') FROM T"));
    }

    void comillasImparesFallan() {
        QCOMPARE(ErrorDe(QStringLiteral("SELECT * FROM T WHERE N = 'O''Brien")), 5L);
        QCOMPARE(ErrorDe(QStringLiteral("SELECT 'A', 'B FROM T")), 5L);
        QCOMPARE(ErrorDe(QStringLiteral("SELECT * FROM T WHERE N = 'O''Brien'")), 0L);
    }

    void charindexYConversiones() {
        QCOMPARE(Oracle(QStringLiteral("SELECT CHARINDEX('-', A) FROM T")), QStringLiteral("SELECT InStr('-', A) FROM T"));
        QCOMPARE(Oracle(QStringLiteral("SELECT CONVERT(NVARCHAR, FECHA, 103), CONVERT(INT, CODIGO) FROM T")),
                 QStringLiteral("SELECT TO_CHAR( FECHA, 'DD/MM/YYYY'), TO_NUMBER( CODIGO) FROM T"));
        QCOMPARE(Oracle(QStringLiteral("select convert(nvarchar, f1, 103), convert(nvarchar, f2, 103) from t")),
                 QStringLiteral("select TO_CHAR( f1, 'DD/MM/YYYY'), TO_CHAR( f2, 'DD/MM/YYYY') from t"));
    }

    void estilo103SoloDentroDeToChar() {
        QCOMPARE(Oracle(QStringLiteral("SELECT * FROM T WHERE CODIGO = 1103")),
                 QStringLiteral("SELECT * FROM T WHERE CODIGO = 1103"));
        // The innermost parenthesis decides: here it is the one of ISNULL (NVL afterwards).
        QCOMPARE(Oracle(QStringLiteral("SELECT CONVERT(NVARCHAR, ISNULL(F,0), 103) FROM T")),
                 QStringLiteral("SELECT TO_CHAR( NVL(F,0), 103) FROM T"));
        QCOMPARE(Oracle(QStringLiteral("(103 FROM T")), QStringLiteral("(103 FROM T"));
        QCOMPARE(Oracle(QStringLiteral("SELECT (103) FROM T")), QStringLiteral("SELECT (103) FROM T"));
    }

    void comparacionesConTextoVacio() {
        QCOMPARE(Oracle(QStringLiteral("SELECT * FROM T WHERE NOMBRE = ''")),
                 QStringLiteral("SELECT * FROM T WHERE NOMBRE") + QStringLiteral("  ") + QStringLiteral("IS NULL") +
                     QStringLiteral(" "));
        // Before the WHERE (the SET list) the empty text stays.
        QCOMPARE(Oracle(QStringLiteral("UPDATE T SET A = '' WHERE B='' AND C = ''")),
                 QStringLiteral("UPDATE T SET A = '' WHERE B IS NULL  AND C  IS NULL "));
        QCOMPARE(Oracle(QStringLiteral("UPDATE T SET A = ''")), QStringLiteral("UPDATE T SET A = ''"));
    }

    void substringEIsnull() {
        QCOMPARE(Oracle(QStringLiteral("SELECT SUBSTRING(A,1,2), isnull(B,0), substring(C,2,1) FROM T")),
                 QStringLiteral("SELECT SUBSTR(A,1,2), NVL(B,0), SUBSTR(C,2,1) FROM T"));
    }

    void loDemasPasaIntacto() {
        const QString sql =
            QStringLiteral("SELECT A.IdPosicion, getDate() FROM MA_POSICIONES A with(nolock)  WHERE A.IdDeposito = '0001'");
        QCOMPARE(Oracle(sql), sql);
    }
};

QTEST_GUILESS_MAIN(TstDialecto)
#include "tst_dialecto.moc"
