#include "db/Literales.h"

#include <QDate>
#include <QtTest>

using namespace literales;

// Column type classifiers, SQL literals of values and the pieces of object and file names.
class TstLiterales : public QObject {
    Q_OBJECT

private slots:
    void clasificadoresDeTipo_data() {
        QTest::addColumn<QVariant>("tipo");
        QTest::addColumn<QString>("clase");  // fecha, texto, numero, moneda, logico or nada
        for (int c : {7, 64, 133, 134, 135, 137}) QTest::addRow("%d", c) << QVariant(c) << QStringLiteral("fecha");
        for (int c : {8, 129, 130, 200, 201, 202, 203}) QTest::addRow("%d", c) << QVariant(c) << QStringLiteral("texto");
        for (int c : {2, 3, 4, 5, 14, 16, 17, 18, 19, 20, 21, 131})
            QTest::addRow("%d", c) << QVariant(c) << QStringLiteral("numero");
        QTest::newRow("6") << QVariant(6) << QStringLiteral("moneda");
        QTest::newRow("11") << QVariant(11) << QStringLiteral("logico");
        for (int c : {0, 1, 9, 10, 12, 13, 15, 22, 72, 128, 132, 136, 204, 205})
            QTest::addRow("%d", c) << QVariant(c) << QStringLiteral("nada");
        // The code may come as its decimal text or as another kind of number.
        QTest::newRow("texto 135") << QVariant(QStringLiteral("135")) << QStringLiteral("fecha");
        QTest::newRow("texto 201") << QVariant(QStringLiteral("201")) << QStringLiteral("texto");
        QTest::newRow("texto 6") << QVariant(QStringLiteral("6")) << QStringLiteral("moneda");
        QTest::newRow("long long 131") << QVariant(qlonglong(131)) << QStringLiteral("numero");
        QTest::newRow("double 11") << QVariant(11.0) << QStringLiteral("logico");
        QTest::newRow("double 7.5") << QVariant(7.5) << QStringLiteral("nada");
        QTest::newRow("texto abc") << QVariant(QStringLiteral("abc")) << QStringLiteral("nada");
        QTest::newRow("texto vacio") << QVariant(QString()) << QStringLiteral("nada");
        QTest::newRow("texto 7x") << QVariant(QStringLiteral("7x")) << QStringLiteral("nada");
        QTest::newRow("verdadero") << QVariant(true) << QStringLiteral("nada");
        QTest::newRow("nulo") << QVariant() << QStringLiteral("nada");
        QTest::newRow("nulo entero") << QVariant(QMetaType::fromType<int>()) << QStringLiteral("nada");
    }
    void clasificadoresDeTipo() {
        QFETCH(QVariant, tipo);
        QFETCH(QString, clase);
        QCOMPARE(adodate(tipo), clase == QLatin1String("fecha"));
        QCOMPARE(ADOText(tipo), clase == QLatin1String("texto"));
        QCOMPARE(ADONumeric(tipo), clase == QLatin1String("numero"));
        QCOMPARE(ADOCurrency(tipo), clase == QLatin1String("moneda"));
        QCOMPARE(ADOBoolean(tipo), clase == QLatin1String("logico"));
        const bool comilla = clase == QLatin1String("fecha") || clase == QLatin1String("texto");
        QCOMPARE(ADOComilla(tipo), comilla ? QStringLiteral("'") : QString());
    }

    void valoresSql_data() {
        QTest::addColumn<QVariant>("valor");
        QTest::addColumn<QString>("clase");
        QTest::addColumn<QString>("literal");
        QTest::newRow("numero 12.5") << QVariant(12.5) << QStringLiteral("@") << QStringLiteral("12.5");
        QTest::newRow("texto 12,5") << QVariant(QStringLiteral("12,5")) << QStringLiteral("@") << QStringLiteral("12.5");
        QTest::newRow("miles y decimales") << QVariant(QStringLiteral("1.234,56")) << QStringLiteral("@")
                                           << QStringLiteral("1234.56");
        QTest::newRow("entero") << QVariant(12) << QStringLiteral("@") << QStringLiteral("12");
        QTest::newRow("negativo") << QVariant(QStringLiteral("-3,25")) << QStringLiteral("@") << QStringLiteral("-3.25");
        QTest::newRow("millones") << QVariant(1234567.8901) << QStringLiteral("@") << QStringLiteral("1234567.8901");
        QTest::newRow("texto no numerico") << QVariant(QStringLiteral("abc")) << QStringLiteral("@") << QStringLiteral("0");
        QTest::newRow("texto vacio como numero") << QVariant(QString()) << QStringLiteral("@") << QStringLiteral("0");
        QTest::newRow("nulo como numero") << QVariant() << QStringLiteral("@") << QStringLiteral("0");
        QTest::newRow("nulo tipado como numero")
            << QVariant(QMetaType::fromType<double>()) << QStringLiteral("@") << QStringLiteral("0");
        QTest::newRow("texto") << QVariant(QStringLiteral("ABC")) << QStringLiteral("'") << QStringLiteral("'ABC'");
        QTest::newRow("texto vacio") << QVariant(QString()) << QStringLiteral("'") << QStringLiteral("''");
        QTest::newRow("comilla sin duplicar")
            << QVariant(QStringLiteral("O'Brien")) << QStringLiteral("'") << QStringLiteral("'O'Brien'");
        QTest::newRow("fecha") << QVariant(QDate(2024, 3, 5)) << QStringLiteral("'") << QStringLiteral("'05/03/2024'");
        QTest::newRow("numero entre comillas") << QVariant(7) << QStringLiteral("'") << QStringLiteral("'7'");
        QTest::newRow("nulo entre comillas") << QVariant() << QStringLiteral("'") << QStringLiteral("NULL");
        QTest::newRow("nulo tipado entre comillas")
            << QVariant(QMetaType::fromType<QString>()) << QStringLiteral("'") << QStringLiteral("NULL");
        QTest::newRow("crudo") << QVariant(7) << QStringLiteral("x") << QStringLiteral("7");
        QTest::newRow("crudo sin clase") << QVariant(QStringLiteral("getDate()")) << QString() << QStringLiteral("getDate()");
        QTest::newRow("crudo con coma") << QVariant(QStringLiteral("12,5")) << QStringLiteral("#") << QStringLiteral("12,5");
        QTest::newRow("nulo crudo") << QVariant() << QString() << QStringLiteral("NULL");
    }
    void valoresSql() {
        QFETCH(QVariant, valor);
        QFETCH(QString, clase);
        QFETCH(QString, literal);
        QCOMPARE(SQLValue(valor, clase), literal);
        QCOMPARE(SQLValue2(valor, clase), literal);
    }

    void partesDeNombres() {
        QString n = QStringLiteral("dbo.TABLA");
        QCOMPARE(stSTF(n, true), QStringLiteral("TABLA"));
        QCOMPARE(stSTF(n, false), QStringLiteral("dbo"));
        QCOMPARE(n, QStringLiteral("dbo.TABLA"));
        n = QStringLiteral("srv.dbo.TABLA");
        QCOMPARE(stSTF(n, false), QStringLiteral("dbo.TABLA"));
        QCOMPARE(n, QStringLiteral("dbo.TABLA"));
        n = QStringLiteral("srv.dbo.TABLA");
        QCOMPARE(stSTF(n, true), QStringLiteral("dbo.TABLA"));
        n = QStringLiteral("TABLA");
        QCOMPARE(stSTF(n, true), QStringLiteral("TABLA"));
        QCOMPARE(stSTF(n, false), QStringLiteral("TABLA"));

        n = QStringLiteral("dbo.MA_CUENTAS");
        QCOMPARE(StripOwner(n), QStringLiteral("MA_CUENTAS"));
        QCOMPARE(n, QStringLiteral("MA_CUENTAS"));
        QCOMPARE(StripOwner(n), QStringLiteral("MA_CUENTAS"));
        n = QStringLiteral("a.b.c");
        QCOMPARE(StripOwner(n), QStringLiteral("b.c"));
        QCOMPARE(n, QStringLiteral("b.c"));
    }

    void corchetes() {
        QCOMPARE(AddBrackets(QStringLiteral("Mi Tabla")), QStringLiteral("[Mi Tabla]"));
        QCOMPARE(AddBrackets(QStringLiteral("[Mi Tabla]")), QStringLiteral("[Mi Tabla]"));
        QCOMPARE(AddBrackets(QStringLiteral("Tabla")), QStringLiteral("Tabla"));
        QCOMPARE(AddBrackets(QString()), QString());

        QCOMPARE(StripBrackets(QStringLiteral("[Tabla]")), QStringLiteral("Tabla"));
        QCOMPARE(StripBrackets(QStringLiteral("[Mi Tabla]")), QStringLiteral("Mi Tabla"));
        QCOMPARE(StripBrackets(QStringLiteral("[")), QString());
        QCOMPARE(StripBrackets(QStringLiteral("[]")), QString());
        QCOMPARE(StripBrackets(QStringLiteral("Tabla]")), QStringLiteral("Tabla]"));
        QCOMPARE(StripBrackets(QStringLiteral("Tabla")), QStringLiteral("Tabla"));
    }

    void sufijoDeConexion() {
        QCOMPARE(StripConnect(QStringLiteral("CLIENTES ->EMPRESA")), QStringLiteral("CLIENTES"));
        QCOMPARE(StripConnect(QStringLiteral("CLIENTES->EMPRESA")), QStringLiteral("CLIENTE"));
        QCOMPARE(StripConnect(QStringLiteral("CLIENTES")), QStringLiteral("CLIENTES"));
        QCOMPARE(StripConnect(QStringLiteral("A->B")), QString());
        QCOMPARE(StripConnect(QStringLiteral("->EMPRESA")), QString());
    }

    void carpetaDeUnArchivo() {
        QCOMPARE(StripFileName(QStringLiteral("C:\\datos\\base.mdb")), QStringLiteral("C:\\datos"));
        QCOMPARE(StripFileName(QStringLiteral("C:\\a\\b\\c.txt")), QStringLiteral("C:\\a\\b"));
        QCOMPARE(StripFileName(QStringLiteral("base.mdb")), QString());
        QCOMPARE(StripFileName(QStringLiteral("/home/datos/base.db")), QString());
        QCOMPARE(StripFileName(QString()), QString());
    }

    void textoDeNumero_data() {
        QTest::addColumn<QString>("valor");
        QTest::addColumn<QString>("texto");
        QTest::newRow("coma") << QStringLiteral("12,5") << QStringLiteral("12");
        QTest::newRow("ceros a la derecha") << QStringLiteral("1.50") << QStringLiteral("1.5");
        QTest::newRow("letras") << QStringLiteral("abc") << QStringLiteral("0");
        QTest::newRow("numero y letras") << QStringLiteral("12abc") << QStringLiteral("12");
        QTest::newRow("vacio") << QString() << QStringLiteral("0");
        QTest::newRow("blancos delante") << QStringLiteral("   42") << QStringLiteral("42");
        QTest::newRow("blancos dentro") << QStringLiteral("1 000") << QStringLiteral("1000");
        QTest::newRow("negativo") << QStringLiteral("-3.25") << QStringLiteral("-3.25");
        QTest::newRow("menos cero") << QStringLiteral("-0") << QStringLiteral("0");
        QTest::newRow("ceros delante") << QStringLiteral("007") << QStringLiteral("7");
        QTest::newRow("decimal puro") << QStringLiteral(".25") << QStringLiteral("0.25");
        QTest::newRow("grande") << QStringLiteral("123456789012") << QStringLiteral("123456789012");
    }
    void textoDeNumero() {
        QFETCH(QString, valor);
        QFETCH(QString, texto);
        QCOMPARE(TextoNumero(valor), texto);
    }
};

QTEST_GUILESS_MAIN(TstLiterales)
#include "tst_literales.moc"
