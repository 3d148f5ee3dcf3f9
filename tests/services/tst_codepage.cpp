#include "services/CodePage.h"

#include <QtTest>

// The single-byte code page of the suite's files, and the choice between it and UTF-8 for a file.
class TstCodePage : public QObject {
    Q_OBJECT

private slots:
    void cadaByteVuelveIgual() {
        QByteArray todos;
        for (int b = 0; b < 256; ++b) todos += static_cast<char>(b);
        const QString texto = cp1252::Decodificar(todos);
        QCOMPARE(texto.size(), 256);  // one character per byte
        QCOMPARE(cp1252::Codificar(texto), todos);
        // No two bytes read as the same character.
        QSet<QChar> distintos(texto.cbegin(), texto.cend());
        QCOMPARE(distintos.size(), 256);
    }

    void caracteresDeLaPaginaOccidental_data() {
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("unicode");
        QTest::newRow("letter") << 0x41 << 0x41;
        QTest::newRow("euro") << 0x80 << 0x20AC;
        QTest::newRow("low quote") << 0x82 << 0x201A;
        QTest::newRow("ellipsis") << 0x85 << 0x2026;
        QTest::newRow("S caron") << 0x8A << 0x0160;
        QTest::newRow("left double quote") << 0x93 << 0x201C;
        QTest::newRow("en dash") << 0x96 << 0x2013;
        QTest::newRow("trade mark") << 0x99 << 0x2122;
        QTest::newRow("Y diaeresis") << 0x9F << 0x0178;
        QTest::newRow("no-break space") << 0xA0 << 0xA0;
        QTest::newRow("degree") << 0xB0 << 0xB0;
        QTest::newRow("A acute") << 0xC1 << 0xC1;
        QTest::newRow("enie") << 0xF1 << 0xF1;
        QTest::newRow("y diaeresis") << 0xFF << 0xFF;
    }
    void caracteresDeLaPaginaOccidental() {
        QFETCH(int, byte);
        QFETCH(int, unicode);
        const QByteArray b(1, static_cast<char>(byte));
        QCOMPARE(cp1252::Decodificar(b), QString(QChar(static_cast<char16_t>(unicode))));
        QCOMPARE(cp1252::Codificar(QString(QChar(static_cast<char16_t>(unicode)))), b);
    }

    void loQueNoCabeEsInterrogacion_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QByteArray>("esperado");
        QTest::newRow("Polish l") << QStringLiteral("ł") << QByteArray("?");
        QTest::newRow("Chinese") << QStringLiteral("a中b") << QByteArray("a?b");
        QTest::newRow("Greek") << QStringLiteral("Ω") << QByteArray("?");
        QTest::newRow("emoji is one character") << QStringLiteral("x\U0001F600y") << QByteArray("x?y");
        // U+0080 is a control character, and byte 0x80 already holds the euro sign.
        QTest::newRow("C1 control at a used byte") << QString(QChar(0x80)) << QByteArray("?");
        QTest::newRow("mixed") << QStringLiteral("Año 2024 – ½ €") << QByteArray("A\xF1o 2024 \x96 \xBD \x80");
    }
    void loQueNoCabeEsInterrogacion() {
        QFETCH(QString, texto);
        QFETCH(QByteArray, esperado);
        QCOMPARE(cp1252::Codificar(texto), esperado);
    }

    void textoUtf8OPaginaOccidental_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("esperado");
        QTest::newRow("ASCII") << QByteArray("[Sec]\r\nk=v") << QStringLiteral("[Sec]\r\nk=v");
        QTest::newRow("UTF-8") << QByteArray("a\xC3\xB1o") << QStringLiteral("año");
        QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF[Secci\xC3\xB3n]") << QStringLiteral("[Sección]");
        QTest::newRow("single-byte") << QByteArray("a\xF1o") << QStringLiteral("año");
        // A byte that could start a UTF-8 sequence, at the very end of the file.
        QTest::newRow("single-byte ending in a lead byte") << QByteArray("Pe\xF1") << QStringLiteral("Peñ");
        QTest::newRow("single-byte that is mostly valid UTF-8") << QByteArray("\xC3\xB1 y \xF1") << QStringLiteral("Ã± y ñ");
        QTest::newRow("empty") << QByteArray() << QString();
    }
    void textoUtf8OPaginaOccidental() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, esperado);
        QCOMPARE(cp1252::DecodificarTexto(bytes), esperado);
    }
};

QTEST_GUILESS_MAIN(TstCodePage)
#include "tst_codepage.moc"
