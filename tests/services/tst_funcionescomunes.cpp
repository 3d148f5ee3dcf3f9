#include "PlataformaGuion.h"
#include "services/CodePage.h"
#include "services/FuncionesComunes.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <limits>

// The common service object as its callers use it: stored codes, numbers typed by operators or
// read from configuration, field values shown as text, credentials kept in files and tables.
class TstFuncionesComunes : public QObject {
    Q_OBJECT

    FuncionesComunes& fc = FuncionesComunes::instancia();

private slots:
    void unaSolaInstancia() { QCOMPARE(&FuncionesComunes::instancia(), &fc); }

    void formatoLongitud_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("esperado");
        QTest::newRow("warehouse code") << "1" << 4 << "   1";
        QTest::newRow("already fixed") << "   1" << 4 << "   1";
        QTest::newRow("typed with blanks") << " 12 " << 4 << "  12";
        QTest::newRow("digits filling the width") << "1234" << 4 << "1234";
        QTest::newRow("longer is cut") << "12345" << 4 << "1234";
        QTest::newRow("longer text is cut") << "ABCDEFG" << 4 << "ABCD";
        QTest::newRow("letters kept as typed") << "AB" << 4 << "AB";
        QTest::newRow("letters trimmed") << "  AB " << 6 << "AB";
        QTest::newRow("mixed kept") << "1A" << 4 << "1A";
        QTest::newRow("negative is not a code") << "-1" << 4 << "-1";
        QTest::newRow("article code") << "ART-0001" << 25 << "ART-0001";
        QTest::newRow("empty") << "" << 4 << "";
        QTest::newRow("only blanks") << "   " << 4 << "";
    }
    void formatoLongitud() {
        QFETCH(QString, texto);
        QFETCH(int, n);
        QFETCH(QString, esperado);
        const QString r = fc.FormatoLongitud(texto, n);
        QCOMPARE(r, esperado);
        QVERIFY(r.size() <= n);  // a column value must fit its column
    }

    void valorNumerico_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<double>("esperado");
        QTest::newRow("comma") << "12,5" << 12.5;
        QTest::newRow("point") << "12.5" << 12.5;
        QTest::newRow("comma decimal, point groups") << "1.234,56" << 1234.56;
        QTest::newRow("point decimal, comma groups") << "1,234.56" << 1234.56;
        QTest::newRow("several points only group") << "1.234.567" << 1234567.0;
        QTest::newRow("several commas only group") << "1,234,567" << 1234567.0;
        QTest::newRow("groups and decimals") << "1.234.567,89" << 1234567.89;
        QTest::newRow("leading number") << "12abc" << 12.0;
        QTest::newRow("leading decimal number") << "12,5 kg" << 12.5;
        QTest::newRow("no number") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("blanks") << "   " << 0.0;
        QTest::newRow("only a sign") << "-" << 0.0;
        QTest::newRow("only a separator") << "," << 0.0;
        QTest::newRow("negative comma") << "-12,5" << -12.5;
        QTest::newRow("negative point") << "-0.25" << -0.25;
        QTest::newRow("plus sign") << "+3" << 3.0;
        QTest::newRow("surrounded by blanks") << "  7  " << 7.0;
        QTest::newRow("starts with separator") << ",5" << 0.5;
        QTest::newRow("currency precision") << "12,34567" << 12.3457;
        QTest::newRow("non-ASCII digits are no number") << QStringLiteral("\u0663") << 0.0;
    }
    void valorNumerico() {
        QFETCH(QString, texto);
        QFETCH(double, esperado);
        QCOMPARE(fc.ValorNumerico(texto), esperado);
    }

    void val_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<double>("esperado");
        QTest::newRow("decimal point") << "2.5" << 2.5;
        QTest::newRow("leading number") << "3abc" << 3.0;
        QTest::newRow("no number") << "abc" << 0.0;
        QTest::newRow("blanks inside are skipped") << " 1 2" << 12.0;
        QTest::newRow("tabs and line feeds are skipped") << "\t7\n8" << 78.0;
        QTest::newRow("comma is not a decimal separator") << "1,5" << 1.0;
        QTest::newRow("second point ends the number") << "1.2.3" << 1.2;
        QTest::newRow("negative") << "-4.5x" << -4.5;
        QTest::newRow("starts with point") << ".5" << 0.5;
        QTest::newRow("exponent") << "1E3" << 1000.0;
        QTest::newRow("D exponent") << "25d-1" << 2.5;
        QTest::newRow("letter without exponent digits") << "12E" << 12.0;
        QTest::newRow("level length from configuration") << "4 " << 4.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("only a sign") << "-" << 0.0;
    }
    void val() {
        QFETCH(QString, texto);
        QFETCH(double, esperado);
        QCOMPARE(fc.Val(texto), esperado);
    }

    void valorEntero_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<int>("esperado");
        QTest::newRow("integer") << "12" << 12;
        QTest::newRow("blanks") << " 90 " << 90;
        QTest::newRow("half goes to even (down)") << "2,5" << 2;
        QTest::newRow("half goes to even (up)") << "3,5" << 4;
        QTest::newRow("negative half") << "-2,5" << -2;
        QTest::newRow("just above half") << "2,50001" << 3;
        QTest::newRow("below half") << "7.49" << 7;
        QTest::newRow("no number") << "abc" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("too large") << "99999999999" << std::numeric_limits<int>::max();
        QTest::newRow("too small") << "-99999999999" << std::numeric_limits<int>::min();
    }
    void valorEntero() {
        QFETCH(QString, texto);
        QFETCH(int, esperado);
        QCOMPARE(fc.ValorEntero(texto), esperado);
    }

    void esNumerico_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<bool>("esperado");
        QTest::newRow("integer") << "12" << true;
        QTest::newRow("comma decimal") << "12,5" << true;
        QTest::newRow("negative point decimal") << "-3.5" << true;
        QTest::newRow("blanks around") << " 7 " << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("letters") << "abc" << false;
        QTest::newRow("trailing letters") << "12abc" << false;
        QTest::newRow("two separators") << "1.2.3" << false;
        QTest::newRow("sign only") << "-" << false;
        QTest::newRow("separator only") << "." << false;
    }
    void esNumerico() {
        QFETCH(QString, texto);
        QFETCH(bool, esperado);
        QCOMPARE(fc.EsNumerico(texto), esperado);
    }

    void convertirValorDaNumeroSoloParaNumeros() {
        const QVariant n = fc.ConvertirValor(QStringLiteral("12,5"));
        QCOMPARE(n.typeId(), QMetaType::Double);
        QCOMPARE(n.toDouble(), 12.5);
        const QVariant t = fc.ConvertirValor(QStringLiteral("A-01"));
        QCOMPARE(t.typeId(), QMetaType::QString);
        QCOMPARE(t.toString(), QStringLiteral("A-01"));
    }

    void textoCampo_data() {
        QTest::addColumn<QVariant>("valor");
        QTest::addColumn<QString>("esperado");
        QTest::newRow("invalid is NULL") << QVariant() << "";
        QTest::newRow("typed NULL") << QVariant(QMetaType::fromType<QString>()) << "";
        QTest::newRow("NULL number") << QVariant(QMetaType::fromType<int>()) << "";
        QTest::newRow("text kept with its blanks") << QVariant(QStringLiteral("A-01 ")) << "A-01 ";
        QTest::newRow("integer") << QVariant(42) << "42";
        QTest::newRow("negative 64-bit") << QVariant(qint64(-9000000000LL)) << "-9000000000";
        QTest::newRow("whole double") << QVariant(12.0) << "12";
        QTest::newRow("decimal double") << QVariant(12.5) << "12.5";
        QTest::newRow("float") << QVariant(0.1f) << "0.1";
        QTest::newRow("date") << QVariant(QDate(2024, 3, 25)) << "25/03/2024";
        QTest::newRow("date-time at midnight") << QVariant(QDateTime(QDate(2024, 3, 5), QTime(0, 0))) << "05/03/2024";
        QTest::newRow("date-time") << QVariant(QDateTime(QDate(2024, 3, 5), QTime(14, 5, 9))) << "05/03/2024 14:05:09";
        QTest::newRow("time") << QVariant(QTime(14, 5, 9)) << "14:05:09";
    }
    void textoCampo() {
        QFETCH(QVariant, valor);
        QFETCH(QString, esperado);
        QCOMPARE(fc.TextoCampo(valor), esperado);
    }

    void ajustarTextoRecorta() {
        QCOMPARE(fc.AjustarTexto(QVariant(QStringLiteral("  Pasillo  "))), QStringLiteral("Pasillo"));
        QCOMPARE(fc.AjustarTexto(QVariant()), QString());
    }

    void cantidadPalabras() {
        QCOMPARE(fc.CantidadPalabras(QString()), 0);
        QCOMPARE(fc.CantidadPalabras(QStringLiteral("   ")), 0);
        QCOMPARE(fc.CantidadPalabras(QStringLiteral("uno")), 1);
        QCOMPARE(fc.CantidadPalabras(QStringLiteral("  uno   dos tres ")), 3);
    }

    void quitarCaracter() {
        QCOMPARE(fc.QuitarCaracter(QStringLiteral("01-02-003"), QStringLiteral("-")), QStringLiteral("0102003"));
        QCOMPARE(fc.QuitarCaracter(QStringLiteral("PC7|ANA"), QStringLiteral("|")), QStringLiteral("PC7ANA"));
        QCOMPARE(fc.QuitarCaracter(QStringLiteral("aAa"), QStringLiteral("a")), QStringLiteral("A"));
        QCOMPARE(fc.QuitarCaracter(QStringLiteral("sin"), QStringLiteral("-")), QStringLiteral("sin"));
        QCOMPARE(fc.QuitarCaracter(QStringLiteral("abc"), QString()), QStringLiteral("abc"));
    }

    void reemplazarYSustituirTexto() {
        QCOMPARE(fc.ReemplazarTexto(QStringLiteral("a.b.c"), QStringLiteral("."), QStringLiteral(",")), QStringLiteral("a,b,c"));
        // Exact letter case: only the lower-case word is replaced.
        QCOMPARE(fc.ReemplazarTexto(QStringLiteral("Abc abc"), QStringLiteral("abc"), QStringLiteral("x")),
                 QStringLiteral("Abc x"));
        // A replacement containing what is searched is not searched again.
        QCOMPARE(fc.ReemplazarTexto(QStringLiteral("aa"), QStringLiteral("a"), QStringLiteral("aa")), QStringLiteral("aaaa"));
        QCOMPARE(fc.ReemplazarTexto(QStringLiteral("O'Higgins"), QStringLiteral("'"), QStringLiteral("''")),
                 QStringLiteral("O''Higgins"));
        QCOMPARE(fc.ReemplazarTexto(QStringLiteral("abc"), QString(), QStringLiteral("x")), QStringLiteral("abc"));

        const QString texto = QStringLiteral("uno, dos, tres");
        QString resultado = QStringLiteral("previo");
        fc.SustituirTexto(texto, QStringLiteral(", "), QStringLiteral("|"), resultado);
        QCOMPARE(resultado, QStringLiteral("uno|dos|tres"));
        QCOMPARE(texto, QStringLiteral("uno, dos, tres"));
    }

    void codificarIdaYVuelta_data() {
        QTest::addColumn<QString>("clara");
        QTest::newRow("default user") << "Tolvane";
        QTest::newRow("default password") << "quenral";
        QTest::newRow("empty") << "";
        QTest::newRow("accents") << QStringLiteral("José Pérez Ávila");
        QTest::newRow("enie") << QStringLiteral("ñ");
        QTest::newRow("emoji") << QStringLiteral("clave \U0001F600 segura");
        QTest::newRow("commas and quotes") << QStringLiteral("a,b,\"c\",'d'");
        QTest::newRow("line breaks") << QStringLiteral("uno\r\ndos\rtres\n");
        QTest::newRow("pipe and blanks") << QStringLiteral("  PC7|ANA  ");
        QTest::newRow("looks encoded") << QStringLiteral("~41");
        QTest::newRow("lone surrogate") << (QString(QChar(0xD800)) + QStringLiteral("x"));
    }
    void codificarIdaYVuelta() {
        QFETCH(QString, clara);
        const QString cifrada = fc.Codificar(clara);
        QCOMPARE(fc.Decodificar(cifrada), clara);
        // The stored form lives in comma-separated files, one record a line, and in single-byte files.
        QVERIFY(!cifrada.contains(QLatin1Char(',')));
        QVERIFY(!cifrada.contains(QLatin1Char('\r')));
        QVERIFY(!cifrada.contains(QLatin1Char('\n')));
        QVERIFY(!cifrada.contains(QLatin1Char('"')));
        QCOMPARE(cp1252::Decodificar(cp1252::Codificar(cifrada)), cifrada);
        if (!clara.trimmed().isEmpty()) {
            QVERIFY2(!cifrada.contains(clara.trimmed(), Qt::CaseInsensitive), qPrintable(cifrada));
            QVERIFY(cifrada != clara);
        }
    }

    void codificarNoMuestraPartesDelTexto() {
        // Every character is hidden, not only the word as a whole: no three letters in a row show.
        const QString clave = QStringLiteral("quenral");
        const QString cifrada = fc.Codificar(clave);
        for (int i = 0; i + 3 <= clave.size(); ++i)
            QVERIFY2(!cifrada.contains(clave.mid(i, 3), Qt::CaseInsensitive), qPrintable(cifrada));
        QVERIFY(fc.Codificar(QStringLiteral("Tolvane")) != fc.Codificar(QStringLiteral("tolvane")));
    }

    void decodificarTextoEnClaroLoDejaIgual() {
        // A value written in clear by hand into the initialisation file is used as it is.
        QCOMPARE(fc.Decodificar(QStringLiteral("Tolvane")), QStringLiteral("Tolvane"));
        QCOMPARE(fc.Decodificar(QStringLiteral("~xyz")), QStringLiteral("~xyz"));
    }

    void limitarTexto() {
        QCOMPARE(fc.LimitarTexto(QStringLiteral("abcdef"), 3), QStringLiteral("abc"));
        QCOMPARE(fc.LimitarTexto(QStringLiteral("ab"), 5).trimmed(), QStringLiteral("ab"));
        for (int limite : {255, 250, 25, 15}) {
            const QString largo(300, QLatin1Char('x'));
            const QString r = fc.LimitarTexto(largo, limite);
            QCOMPARE(r.size(), limite);
            QVERIFY(largo.startsWith(r));
        }
        QVERIFY(fc.LimitarTexto(QStringLiteral("abc"), 0).isEmpty());
    }

    void rutaCarpetaTerminaEnSeparador() {
        QCOMPARE(fc.RutaCarpeta(QStringLiteral("/opt/suite")), QStringLiteral("/opt/suite/"));
        QCOMPARE(fc.RutaCarpeta(QStringLiteral("/opt/suite/")), QStringLiteral("/opt/suite/"));
        QCOMPARE(fc.RutaCarpeta(QStringLiteral("/")), QStringLiteral("/"));
    }

    void carpetaProgramaEsLaDeLaPlataformaConSeparador() {
        GuionInstalado g;
        g->carpeta = QStringLiteral("/opt/suite");
        QCOMPARE(fc.CarpetaPrograma(), QStringLiteral("/opt/suite/"));
    }

    void limpiarCampoFijo_data() {
        QTest::addColumn<QString>("campo");
        QTest::addColumn<QString>("esperado");
        const QChar nul(0);
        QTest::newRow("NUL padding") << (QStringLiteral("MA_POSICIONES") + QString(5, nul)) << "MA_POSICIONES";
        QTest::newRow("blank padding") << QStringLiteral("V_TA_DEPOSITO          ") << "V_TA_DEPOSITO";
        QTest::newRow("NUL then blanks") << (QStringLiteral("TABLA") + nul + QStringLiteral("   ") + nul) << "TABLA";
        QTest::newRow("leading blanks") << QStringLiteral("   Codigo") << "Codigo";
        QTest::newRow("only NULs") << QString(8, nul) << "";
        QTest::newRow("inner blanks kept") << QStringLiteral("Codigo de Unidad  ") << "Codigo de Unidad";
        QTest::newRow("accents kept") << QStringLiteral("Descripción   ") << QStringLiteral("Descripción");
    }
    void limpiarCampoFijo() {
        QFETCH(QString, campo);
        QFETCH(QString, esperado);
        QCOMPARE(fc.LimpiarCampoFijo(campo), esperado);
    }

    void nombrePropio_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QString>("esperado");
        QTest::newRow("two words") << "pasillo central"
                                   << "Pasillo Central";
        QTest::newRow("upper case") << "NIVEL"
                                    << "Nivel";
        QTest::newRow("non-ASCII") << QStringLiteral("ÁREA norte") << QStringLiteral("Área Norte");
        QTest::newRow("enie") << QStringLiteral("ñandú ÑANDÚ") << QStringLiteral("Ñandú Ñandú");
        QTest::newRow("blanks kept") << "  dos  espacios "
                                     << "  Dos  Espacios ";
        QTest::newRow("digits start a word") << "3er nivel"
                                             << "3er Nivel";
        QTest::newRow("empty") << ""
                               << "";
    }
    void nombrePropio() {
        QFETCH(QString, texto);
        QFETCH(QString, esperado);
        QCOMPARE(fc.NombrePropio(texto), esperado);
    }

    void elegirFechaGuardaLaFechaElegida() {
        GuionInstalado g;
        QDate fecha(2024, 1, 15);
        g->ResponderFecha(QDate(2024, 5, 1));
        QVERIFY(fc.ElegirFecha(fecha));
        QCOMPARE(fecha, QDate(2024, 5, 1));
        g->ResponderFecha(std::nullopt);
        QVERIFY(!fc.ElegirFecha(fecha));
        QCOMPARE(fecha, QDate(2024, 5, 1));
    }

    void errorRutinaOfreceReintentarIgnorarYAnular() {
        GuionInstalado g;
        QTemporaryDir tmp;
        g->temporal = tmp.path();
        g->ahora = QDateTime(QDate(2024, 3, 25), QTime(9, 0, 0));
        g->ResponderMsgBox(vb::Retry, QStringLiteral("(53) File not found"));
        QCOMPARE(fc.ErrorRutina(ErrorEjecucion(53, QStringLiteral("File not found"), QStringLiteral("MA_POSICIONES")),
                                QStringLiteral("Existe")),
                 4);
        const auto caja = g->UltimaCaja();
        QCOMPARE(caja.estilo & 7, vb::AbortRetryIgnore);
        QVERIFY(caja.titulo.contains(QStringLiteral("Existe")));
        g->ResponderMsgBox(vb::Ignore);
        QCOMPARE(fc.ErrorRutina(ErrorEjecucion(13, QStringLiteral("Type mismatch")), QStringLiteral("R")), 5);
        g->ResponderMsgBox(vb::Abort);
        QCOMPARE(fc.ErrorRutina(ErrorEjecucion(13, QStringLiteral("Type mismatch")), QStringLiteral("R")), 3);
        QCOMPARE(g->Pendientes(), 0);
        QFile log(tmp.filePath(QStringLiteral("TVERR.LOG")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString lineas = QString::fromUtf8(log.readAll());
        QCOMPARE(lineas.count(QStringLiteral("\r\n")), 3);
        QVERIFY(lineas.contains(QStringLiteral("Existe")));
    }
};

QTEST_GUILESS_MAIN(TstFuncionesComunes)
#include "tst_funcionescomunes.moc"
