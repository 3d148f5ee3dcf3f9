#include "BaseSqlite.h"
#include "db/driver/Conexion.h"
#include "db/driver/DialectoSqlite.h"
#include "db/driver/ExtensionesSqlite.h"
#include "db/driver/Recordset.h"
#include "services/ErrorEjecucion.h"

#include <sqlite3.h>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace driver;
using dialecto::Sentencia;

namespace {

QStringList Columna(Conexion& cn, const QString& sql) {
    QStringList l;
    auto rs = cn.Execute(sql);
    for (; !rs->EOF_(); rs->MoveNext()) l << rs->Fields(0).Value.toString();
    return l;
}

}  // namespace

// The SQL Server text of the program made into SQLite's, and SQL Server's rules for comparing text
// (case, trailing blanks, LIKE) kept by the embedded back end.
class TstDriverDialecto : public QObject {
    Q_OBJECT

private slots:
    void traduceLasFormasDeSqlServer_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("sqlite");
        QTest::newRow("top y nolock") << "SELECT TOP 1  * FROM V_TA_Unidad with(nolock)  WHERE idunidad ='UN'"
                                      << "SELECT   * FROM V_TA_Unidad    WHERE idunidad ='UN' LIMIT 1";
        QTest::newRow("top con varios blancos") << "select  top 1 * from AUX_ERR  with(nolock) "
                                                << "select  * from AUX_ERR LIMIT 1";
        QTest::newRow("top entre parentesis y distinct") << "SELECT DISTINCT TOP (5) a FROM t WITH (NOLOCK, INDEX(ix)) ORDER BY a"
                                                         << "SELECT DISTINCT  a FROM t   ORDER BY a LIMIT (5)";
        QTest::newRow("top 100 percent") << "SELECT     TOP 100 PERCENT IdFamilia FROM t"
                                         << "SELECT  IdFamilia FROM t";
        QTest::newRow("top en subconsulta") << "SELECT a, (SELECT TOP 1 x FROM u ORDER BY x DESC) AS [r] FROM dbo.t"
                                            << "SELECT a, (SELECT  x FROM u ORDER BY x DESC LIMIT 1) AS \"r\" FROM t";
        QTest::newRow("pista antigua") << "SELECT * FROM t (NOLOCK) WHERE a = 1"
                                       << "SELECT * FROM t  WHERE a = 1";
        QTest::newRow("len isnull substring charindex")
            << "SELECT LEN(a), ISNULL(b,''), SUBSTRING(c,1,2), CHARINDEX('x', d) FROM t"
            << "SELECT length(rtrim(a)), ifnull(b,'') COLLATE NOCASE, substr(c,1,2) COLLATE NOCASE, instr(upper(d),upper('x')) "
               "FROM t";
        QTest::newRow("trim anidado") << "WHERE LTRIM(RTRIM(x)) ='UN' OR RTRIM(LTRIM(dbo.t.y))= 'x'"
                                      << "WHERE trim(x) COLLATE NOCASE ='UN' OR trim(t.y) COLLATE NOCASE= 'x'";
        QTest::newRow("prefijo recortado")
            << "WHERE iddeposito='1' AND SUBSTRING(LTRIM(RTRIM(IDPOSICION)),1,3) = 'A0z' AND LEN(RTRIM(LTRIM(IDPOSICION))) > 3"
            << "WHERE iddeposito='1' AND (trim(IDPOSICION) COLLATE NOCASE >= 'a0z' AND trim(IDPOSICION) COLLATE NOCASE < 'a0{' "
               "AND substr(trim(IDPOSICION) COLLATE NOCASE,1,3) COLLATE NOCASE = 'A0z') AND length(rtrim(trim(IDPOSICION) "
               "COLLATE NOCASE)) > 3";
        QTest::newRow("prefijo dentro de una expresion")
            << "WHERE 'x' || SUBSTRING(LTRIM(RTRIM(c)),1,1) = 'xA'"
            << "WHERE 'x' || substr(trim(c) COLLATE NOCASE,1,1) COLLATE NOCASE = 'xA'";
        QTest::newRow("getdate") << "select  getDate() as fecha"
                                 << "select  datetime('now','localtime') as fecha";
        QTest::newRow("duenos") << "SELECT * FROM EMPRESA.dbo.A, [dbo].B, C..D"
                                << "SELECT * FROM A, B, D";
        QTest::newRow("cadena unicode y corchetes") << "SELECT [mi col] FROM t WHERE a = N'ñ'"
                                                    << "SELECT \"mi col\" FROM t WHERE a = 'ñ'";
        QTest::newRow("left right convert")
            << "SELECT LEFT(a,2), RIGHT(a,3), CONVERT(varchar(10), b, 103) FROM t LEFT JOIN u ON 1=1"
            << "SELECT substr(a,1,2) COLLATE NOCASE, (CASE WHEN (3)>0 THEN substr(a,-(3)) ELSE '' END) COLLATE NOCASE, CAST(b AS "
               "varchar(10)) FROM t LEFT JOIN u ON 1=1";
        QTest::newRow("alter table")
            << "ALTER TABLE dbo.MA_POSICIONES ADD PICKING2 bit Not Null  CONSTRAINT DF_MA_POSICIONES_PICKING2 DEFAULT (0)"
            << "ALTER TABLE MA_POSICIONES ADD PICKING2 bit Not Null  CONSTRAINT DF_MA_POSICIONES_PICKING2 DEFAULT(0)";
        QTest::newRow("comillas intactas") << "SELECT 'with(nolock) TOP 1 [x] dbo.y' FROM t"
                                           << "SELECT 'with(nolock) TOP 1 [x] dbo.y' FROM t";
    }
    void traduceLasFormasDeSqlServer() {
        QFETCH(QString, sql);
        QFETCH(QString, sqlite);
        QCOMPARE(dialecto::TraducirSentencia(sql), sqlite);
    }

    void divideGuionesPorSaltosDeLineaYPuntoYComa() {
        const auto l = dialecto::Traducir(QStringLiteral(
            "BEGIN TRANSACTION \r\rINSERT INTO A (x) VALUES ('1')\rUPDATE A SET x = 'b'\r\nWHERE x = 'a'\n"
            "INSERT INTO A (x)\nSELECT x FROM B\nUPDATE A\nSET x = 1\nDELETE FROM A WHERE x IN\n(SELECT x FROM B)\n"
            "SELECT 'a;\rb'; SELECT 2\rSET NOCOUNT ON\rCOMMIT TRANSACTION\r"));
        QStringList textos;
        QList<Sentencia::Tipo> tipos;
        for (const auto& s : l) {
            tipos << s.tipo;
            textos << s.texto;
        }
        QCOMPARE(tipos,
                 (QList<Sentencia::Tipo>{Sentencia::Tipo::Comenzar, Sentencia::Tipo::Sql, Sentencia::Tipo::Sql,
                                         Sentencia::Tipo::Sql, Sentencia::Tipo::Sql, Sentencia::Tipo::Sql, Sentencia::Tipo::Sql,
                                         Sentencia::Tipo::Sql, Sentencia::Tipo::Omitir, Sentencia::Tipo::Confirmar}));
        QCOMPARE(textos.at(1), QStringLiteral("INSERT INTO A(x) VALUES('1')"));
        QCOMPARE(textos.at(2), QStringLiteral("UPDATE A SET x = 'b'\r\nWHERE x = 'a'"));
        QCOMPARE(textos.at(3), QStringLiteral("INSERT INTO A(x)\nSELECT x FROM B"));
        QCOMPARE(textos.at(4), QStringLiteral("UPDATE A\nSET x = 1"));
        QCOMPARE(textos.at(5), QStringLiteral("DELETE FROM A WHERE x IN(SELECT x FROM B)"));
        QCOMPARE(textos.at(6), QStringLiteral("SELECT 'a;\rb'"));

        const auto t =
            dialecto::Traducir(QStringLiteral("CREATE TRIGGER tr AFTER INSERT ON A\nBEGIN\nUPDATE A SET x = CASE WHEN 1 THEN 2 "
                                              "END;\nDELETE FROM B;\nEND\nSELECT 1"));
        QCOMPARE(t.size(), 2);
        QVERIFY(t.at(0).texto.endsWith(QStringLiteral("END")));
        QCOMPARE(dialecto::Traducir(QStringLiteral("ROLLBACK TRAN")).first().tipo, Sentencia::Tipo::Deshacer);
        // On one line too, as SQL Server reads it.
        const auto linea = dialecto::Traducir(QStringLiteral(
            "BEGIN TRANSACTION INSERT INTO A VALUES (1) UPDATE A SET x = 2 WHERE x IN (SELECT 1) COMMIT TRANSACTION"));
        QCOMPARE(linea.size(), 4);
        QCOMPARE(linea.at(2).texto, QStringLiteral("UPDATE A SET x = 2 WHERE x IN(SELECT 1)"));
        QCOMPARE(linea.at(3).tipo, Sentencia::Tipo::Confirmar);
        for (const char* una : {"ALTER TABLE t DROP COLUMN c", "INSERT INTO t SELECT a FROM u UNION ALL SELECT b FROM v",
                                "WITH x AS (SELECT 1 AS a)\nSELECT a FROM x", "SELECT a FROM t WHERE b = 1 ORDER BY a DESC",
                                "CREATE VIEW v AS SELECT a FROM t", "SELECT REPLACE(a, 'x', 'y') FROM t"})
            QVERIFY2(dialecto::Traducir(QString::fromLatin1(una)).size() == 1, una);
        QCOMPARE(dialecto::Traducir(QStringLiteral("TRUNCATE TABLE dbo.X")).first().texto, QStringLiteral("DELETE FROM X"));
        const auto varias = dialecto::Traducir(QStringLiteral("ALTER TABLE t ADD a int, b varchar(10) NULL"));
        QCOMPARE(varias.size(), 2);
        QCOMPARE(varias.at(1).texto, QStringLiteral("ALTER TABLE t ADD b varchar(10) NULL"));
        QVERIFY(dialecto::Traducir(QStringLiteral("  \r\n -- nada\r")).isEmpty());
    }

    void comparaTextoComoSqlServer() {
        using sqlite::CompararTexto;
        QCOMPARE(CompararTexto(QStringLiteral("ab"), QStringLiteral("AB  ")), 0);
        QCOMPARE(CompararTexto(QStringLiteral("Ñandú"), QStringLiteral("ñANDÚ")), 0);
        QVERIFY(CompararTexto(QStringLiteral("ab"), QStringLiteral("ab c")) < 0);
        QVERIFY(CompararTexto(QStringLiteral("B"), QStringLiteral("a")) > 0);
        QVERIFY(CompararTexto(QStringLiteral("e"), QStringLiteral("é")) != 0);  // accents count
        QVERIFY(CompararTexto(QStringLiteral("é"), QStringLiteral("f")) < 0);   // accented letters among their base letters
        QVERIFY(CompararTexto(QStringLiteral("Ñandú"), QStringLiteral("nandu")) > 0);
        QVERIFY(CompararTexto(QStringLiteral("Ñandú"), QStringLiteral("nandz")) < 0);
        QVERIFY(CompararTexto(QStringLiteral("  1"), QStringLiteral("1")) != 0);  // leading blanks count
    }

    void likeComoSqlServer_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QString>("patron");
        QTest::addColumn<bool>("coincide");
        QTest::newRow("prefijo") << "0101"
                                 << "01%" << true;
        QTest::newRow("sin mayusculas") << "Martillo GRANDE"
                                        << "%grande%" << true;
        QTest::newRow("unicode") << "ÑANDÚ"
                                 << "ñand_" << true;
        QTest::newRow("guion bajo uno") << "ab"
                                        << "a_" << true;
        QTest::newRow("guion bajo falta") << "a"
                                          << "a_" << false;
        QTest::newRow("blancos finales del texto") << "abc   "
                                                   << "abc" << true;
        QTest::newRow("blancos finales del patron") << "abc"
                                                    << "abc " << false;
        QTest::newRow("clase") << "b1"
                               << "[abc]1" << true;
        QTest::newRow("rango") << "K9"
                               << "[j-l][0-9]" << true;
        QTest::newRow("negacion") << "a"
                                  << "[^a]" << false;
        QTest::newRow("negacion otra") << "d"
                                       << "[^abc]" << true;
        QTest::newRow("porcentaje literal") << "50%"
                                            << "50[%]" << true;
        QTest::newRow("vuelta atras") << "abcabd"
                                      << "%ab_" << true;
        QTest::newRow("varios porcentajes") << "x MA_POSICIONES y"
                                            << "%MA_POSICIONES%" << true;
        QTest::newRow("no") << "abc"
                            << "%d%" << false;
    }
    void likeComoSqlServer() {
        QFETCH(QString, texto);
        QFETCH(QString, patron);
        QFETCH(bool, coincide);
        QCOMPARE(sqlite::Como(texto, patron), coincide);
    }

    void laBaseComparaOrdenaYBuscaSinMayusculas() {
        QTemporaryDir tmp;
        const QString ruta = tmp.filePath(QStringLiteral("c.db"));
        QVERIFY(CrearBaseSqlite(
            ruta,
            "CREATE TABLE T (codigo varchar(10) COLLATE NOCASE PRIMARY KEY, nombre varchar(30) COLLATE NOCASE, n int);"
            "INSERT INTO T VALUES ('ab', 'Ñandú', 1), ('B', 'avión', 2), ('c  ', 'Zorro', 3), ('A', 'árbol', 4);"));
        Conexion cn;
        cn.Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =%1;").arg(ruta));
        QCOMPARE(Columna(cn, QStringLiteral("SELECT n FROM T WHERE codigo = 'AB  '")), QStringList{"1"});
        QCOMPARE(Columna(cn, QStringLiteral("SELECT n FROM T WHERE codigo = 'c'")), QStringList{"3"});
        QCOMPARE(Columna(cn, QStringLiteral("SELECT n FROM T WHERE nombre = 'ÑANDÚ'")), QStringList{"1"});
        QCOMPARE(Columna(cn, QStringLiteral("SELECT codigo FROM T ORDER BY codigo")), (QStringList{"A", "ab", "B", "c  "}));
        QCOMPARE(Columna(cn, QStringLiteral("SELECT nombre FROM T ORDER BY nombre")),
                 (QStringList{"árbol", "avión", "Ñandú", "Zorro"}));
        QCOMPARE(Columna(cn, QStringLiteral("SELECT MAX(codigo) AS MAYOR FROM T")), QStringList{"c  "});
        QCOMPARE(Columna(cn, QStringLiteral("SELECT n FROM T WHERE nombre LIKE '%AND%'")), QStringList{"1"});
        QCOMPARE(Columna(cn, QStringLiteral("SELECT n FROM T WHERE codigo LIKE '[a-b]%' ORDER BY n")),
                 (QStringList{"1", "2", "4"}));
        // Functions of a column compare like the column: the translation gives them its collation.
        QCOMPARE(Columna(cn, QStringLiteral("SELECT TOP 1  * FROM T with(nolock)  WHERE LTRIM(RTRIM(codigo)) ='C'")),
                 QStringList{"c  "});
        QCOMPARE(Columna(cn, QStringLiteral("SELECT n FROM T WHERE SUBSTRING(LTRIM(RTRIM(nombre)),1,2) = 'ÑA'")),
                 QStringList{"1"});
        QCOMPARE(Columna(cn, QStringLiteral("SELECT LEN(codigo) FROM T WHERE n = 3")), QStringList{"1"});
        QCOMPARE(Columna(cn, QStringLiteral("SELECT CHARINDEX('ND', nombre) FROM T WHERE n = 1")), QStringList{"3"});
        QCOMPARE(Columna(cn, QStringLiteral("SELECT ISNULL(NULL, 'x') + 0 FROM T WHERE n = 1")), QStringList{"0"});
        // A key that differs only in case or trailing blanks is the same key.
        try {
            cn.Execute(QStringLiteral("INSERT INTO T (codigo, n) VALUES ('AB ', 9)"));
            QFAIL("a duplicate key was accepted");
        } catch (const ErrorEjecucion&) {
            QCOMPARE(cn.Errors().Item(0).NativeError, 2627L);
        }
        QCOMPARE(Columna(cn, QStringLiteral("SELECT LEN('ab  ') + CHARINDEX('B', 'abc') * 10")), QStringList{"22"});
        // A checksum tells a text from another of its length and case, and a number from another;
        // 10 and 10.0 are one number; no rows give NULL.
        auto suma = [&](const char* donde) {
            return Columna(cn, QStringLiteral("SELECT CHECKSUM_AGG(BINARY_CHECKSUM(codigo, nombre, n)) FROM T ") +
                                   QLatin1String(donde))
                .value(0);
        };
        const QString todas = suma("");
        QVERIFY(!todas.isEmpty());
        QCOMPARE(Columna(cn, QStringLiteral("SELECT BINARY_CHECKSUM('Ab', 10) - BINARY_CHECKSUM('Ab', 10.0)")), QStringList{"0"});
        QVERIFY(Columna(cn, QStringLiteral("SELECT BINARY_CHECKSUM('Ab') - BINARY_CHECKSUM('AB')")) != QStringList{"0"});
        QVERIFY(Columna(cn, QStringLiteral("SELECT BINARY_CHECKSUM('a', 'b') - BINARY_CHECKSUM('ab', '')")) != QStringList{"0"});
        cn.Execute(QStringLiteral("UPDATE T SET n = n + 1 WHERE n = 1"));
        QVERIFY(suma("") != todas);
        QCOMPARE(suma("WHERE n < 0"), QString());
    }

    // The layout's lookups of trimmed codes go through the schema's index of trimmed codes and give
    // the rows the comparison itself gives, for codes with blanks around them, in other case, with
    // accents, with letters that fold to ASCII ones and with characters next to the range's bounds.
    void codigosRecortadosPorElIndice() {
        QTemporaryDir tmp;
        const QString ruta = tmp.filePath(QStringLiteral("r.db"));
        QFile esquema(QStringLiteral(MP_DATA_DIR "/schema.sql"));
        QVERIFY(esquema.open(QIODevice::ReadOnly));
        QVERIFY(CrearBaseSqlite(ruta, esquema.readAll().constData()));
        Conexion cn;
        cn.Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =%1;").arg(ruta));
        const QStringList codigos = {
            "A01", " A01",     "  a01  ", "A010",      " a01C ",   "A0",       "A02", "A0~", "A1",
            "A",   "a 1",      "A!",      "A'1",       "A&1",      "A(1",      "B01", "ssb", "\u00dfa",
            "S",   "\u212aA1", "KA2",     "A01\u00e9", "\u00c101", "\u00e901", "e01", "Az1",
        };
        for (const QString& c : codigos) {
            QString valor = c;
            cn.Execute(QStringLiteral("INSERT INTO MA_POSICIONES (IdPosicion, IdDeposito) VALUES ('%1', '   1')")
                           .arg(valor.replace(QLatin1Char('\''), QStringLiteral("''"))));
        }
        cn.Execute(QStringLiteral("INSERT INTO MA_POSICIONES (IdPosicion, IdDeposito) VALUES ('A01', '   2')"));
        // SQLite's plan of the translated text, read with the bare API beside the client.
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open_v2(ruta.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        QCOMPARE(sqlite::RegistrarExtensiones(db), SQLITE_OK);
        const auto cerrar = qScopeGuard([&] { sqlite3_close(db); });
        auto plan = [&](const QString& sql) {
            QString detalle;
            sqlite3_stmt* st = nullptr;
            const QByteArray texto = ("EXPLAIN QUERY PLAN " + dialecto::TraducirSentencia(sql)).toUtf8();
            if (sqlite3_prepare_v2(db, texto.constData(), -1, &st, nullptr) != SQLITE_OK)
                return QString::fromUtf8(sqlite3_errmsg(db));
            while (sqlite3_step(st) == SQLITE_ROW)
                detalle += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 3)));
            sqlite3_finalize(st);
            return detalle;
        };
        const QString base = QStringLiteral("SELECT * FROM MA_POSICIONES WHERE iddeposito='   1' AND ");
        const QString orden = QStringLiteral(" ORDER BY IdPosicion");
        // The same comparison written so the translation does not recognise it gives the reference.
        for (const QString& buscado : QStringList{"A01", " a01 ", "ka1", "\u00dfA", "A'1", "E01", "\u00c901"}) {
            const QString literal = QString(buscado).replace(QLatin1Char('\''), QStringLiteral("''"));
            const QString rapido = base + QStringLiteral("RTRIM(LTRIM(IDPOSICION)) = '%1'").arg(literal);
            QCOMPARE(Columna(cn, rapido + orden),
                     Columna(cn, base + QStringLiteral("RTRIM((LTRIM(IDPOSICION))) = '%1'").arg(literal) + orden));
            QVERIFY2(plan(rapido).contains(QStringLiteral("IX_MA_POSICIONES_RECORTADA")), qPrintable(plan(rapido)));
        }
        QCOMPARE(Columna(cn, base + QStringLiteral("RTRIM(LTRIM(IDPOSICION)) = 'a01'") + orden),
                 (QStringList{"  a01  ", " A01", "A01"}));
        const QList<QPair<int, QString>> prefijos = {
            {1, "a"}, {2, "A0"}, {3, "A01"}, {2, "a "}, {3, "A0 "},    {2, "A0~"}, {2, "A&"},      {2, "A'"},
            {1, "K"}, {2, "ss"}, {1, "s"},   {2, "aZ"}, {1, "\u00e9"}, {1, "E"},   {2, "\u00c10"},
        };
        for (const auto& [n, buscado] : prefijos) {
            const QString literal = QString(buscado).replace(QLatin1Char('\''), QStringLiteral("''"));
            const QString rapido =
                base + QStringLiteral("SUBSTRING(LTRIM(RTRIM(IDPOSICION)),1,%1) = '%2' AND LEN(RTRIM(LTRIM(IDPOSICION))) > %1")
                           .arg(n)
                           .arg(literal);
            const QString lento = base + QStringLiteral(
                                             "SUBSTRING(LTRIM((RTRIM(IDPOSICION))),1,%1) = '%2' AND "
                                             "LEN(RTRIM((LTRIM(IDPOSICION)))) > %1")
                                             .arg(n)
                                             .arg(literal);
            QCOMPARE(Columna(cn, rapido + orden), Columna(cn, lento + orden));
            const bool ascii = buscado.at(0).unicode() < 0x80;
            QCOMPARE(plan(rapido).contains(QStringLiteral("IX_MA_POSICIONES_RECORTADA (IdDeposito=? AND <expr>>? AND <expr><?)")),
                     ascii);
        }
        QCOMPARE(Columna(cn, base +
                                 QStringLiteral("SUBSTRING(LTRIM(RTRIM(IDPOSICION)),1,3) = 'a01' AND "
                                                "LEN(RTRIM(LTRIM(IDPOSICION))) > 3") +
                                 orden),
                 (QStringList{" a01C ", "A010", "A01\u00e9"}));
    }

    // Taking a token out never joins its neighbours into something else: two literals stay two, a
    // division and a star never become a comment.
    void quitarUnaPalabraNoUneLoQueLaRodea() {
        const QString literales = dialecto::TraducirSentencia(QStringLiteral("SELECT 'x'N'y'"));
        QVERIFY2(!literales.contains(QStringLiteral("''")), qPrintable(literales));
        const QString division = dialecto::TraducirSentencia(QStringLiteral("SELECT 4 /db..* FROM T WHERE a = ' */ -- '"));
        QVERIFY2(!division.contains(QStringLiteral("/*")), qPrintable(division));
        QVERIFY(division.contains(QStringLiteral("' */ -- '")));
    }

    // Nesting deeper than SQLite accepts is refused with a clear error, whatever the depth; what
    // SQLite runs still translates.
    void anidamientoExcesivoSeRechazaSinCaerse() {
        QTemporaryDir tmp;
        const QString ruta = tmp.filePath(QStringLiteral("n.db"));
        QVERIFY(CrearBaseSqlite(ruta, "CREATE TABLE T (a int);"));
        Conexion cn;
        cn.Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =%1;").arg(ruta));
        auto anidado = [](int n) {
            return QStringLiteral("SELECT ") + QString(n, QLatin1Char('(')) + QLatin1Char('1') + QString(n, QLatin1Char(')'));
        };
        QCOMPARE(Columna(cn, anidado(50)), QStringList{"1"});
        // At the limit the translation still runs (SQLite may then refuse the text itself).
        try {
            cn.Execute(anidado(dialecto::kProfundidadMaxima));
        } catch (const ErrorEjecucion&) {
            QVERIFY(cn.Errors().Item(0).NativeError != 191L);
        }
        for (const int n : {dialecto::kProfundidadMaxima + 1, 10000, 200000}) {
            try {
                cn.Execute(anidado(n));
                QFAIL("a text nested too deeply was run");
            } catch (const ErrorEjecucion& e) {
                QCOMPARE(e.Number, errnum::E_FAIL);
                QCOMPARE(cn.Errors().Item(0).NativeError, 191L);
                QVERIFY(cn.Errors().Item(0).Description.contains(QStringLiteral("nested too deeply")));
            }
        }
    }

    void lasFuncionesDeSqlServerExistenSinTraduccion() {
        // A bare connection with the extensions, as a tool outside the client would have.
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr), SQLITE_OK);
        QCOMPARE(sqlite::RegistrarExtensiones(db), SQLITE_OK);
        sqlite3_stmt* st = nullptr;
        QCOMPARE(
            sqlite3_prepare_v2(db,
                               "SELECT len('ab  '), charindex('B', 'abc'), charindex('b', 'abcb', 3), substring('abcdef', 0, 3),"
                               " upper('ñú'), 'Ab' LIKE 'a_', 'x' LIKE 'y', getdate()",
                               -1, &st, nullptr),
            SQLITE_OK);
        QCOMPARE(sqlite3_step(st), SQLITE_ROW);
        QCOMPARE(sqlite3_column_int(st, 0), 2);
        QCOMPARE(sqlite3_column_int(st, 1), 2);
        QCOMPARE(sqlite3_column_int(st, 2), 4);
        QCOMPARE(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 3))), QStringLiteral("ab"));
        QCOMPARE(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 4))), QStringLiteral("ÑÚ"));
        QCOMPARE(sqlite3_column_int(st, 5), 1);
        QCOMPARE(sqlite3_column_int(st, 6), 0);
        const QDateTime ahora = QDateTime::fromString(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 7))), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        QVERIFY(qAbs(ahora.secsTo(QDateTime::currentDateTime())) < 5);
        sqlite3_finalize(st);
        sqlite3_close(db);
    }
};

QTEST_GUILESS_MAIN(TstDriverDialecto)
#include "tst_driver_dialecto.moc"
