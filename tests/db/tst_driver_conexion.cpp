#include "BaseSqlite.h"
#include "PlataformaGuion.h"
#include "db/driver/CadenaConexion.h"
#include "db/driver/Conexion.h"
#include "db/driver/ExtensionesSqlite.h"
#include "db/driver/Recordset.h"
#include "services/ErrorEjecucion.h"

#include <sqlite3.h>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace driver;

namespace {

QString CadenaSqlite(const QString& base) {
    return QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =%1;UId=DEMO;Pwd=DEMO;").arg(base);
}

const char* kEsquema =
    "CREATE TABLE MA_POSICIONES (IdPosicion varchar(25) COLLATE NOCASE NOT NULL, Descripcion varchar(50) COLLATE NOCASE,"
    " IdDeposito varchar(4) COLLATE NOCASE NOT NULL, Capacidad decimal(18,2), PRIMARY KEY (IdDeposito, IdPosicion));"
    "CREATE TABLE Control_Acceso (id INTEGER PRIMARY KEY AUTOINCREMENT, Usuario varchar(50) COLLATE NOCASE);"
    "CREATE VIEW V_TA_DEPOSITO AS SELECT DISTINCT IdDeposito FROM MA_POSICIONES;";

}  // namespace

// Connection strings, the choice of back end, opening and closing, and what the connection offers
// besides statements: schema lists, the default database and the error list.
class TstDriverConexion : public QObject {
    Q_OBJECT

private slots:
    void lasCadenasEligenElMotor_data() {
        QTest::addColumn<QString>("cadena");
        QTest::addColumn<bool>("sqlite");
        QTest::addColumn<QString>("archivo");  // relative: inside the program folder
        QTest::addColumn<QString>("base");
        QTest::addColumn<QStringList>("enOdbc");  // pieces the ODBC string must contain

        QTest::newRow("servidor SQLITE") << "PROVIDER=SQLOLEDB;Server=SQLITE;Database =DEMO;UId=DEMO;Pwd=DEMO;" << true
                                         << "DEMO.db"
                                         << "DEMO" << QStringList();
        QTest::newRow("sqlite en minusculas y con blancos")
            << "provider=sqloledb; server = sqlite ;DATABASE=TV_ESTADISTICAS" << true << "TV_ESTADISTICAS.db"
            << "TV_ESTADISTICAS" << QStringList();
        QTest::newRow("sqlite con ruta") << "PROVIDER=SQLOLEDB;Server=SQLITE;Database =/var/lib/mp/empresa.sqlite;" << true
                                         << "/var/lib/mp/empresa.sqlite"
                                         << "/var/lib/mp/empresa.sqlite" << QStringList();
        QTest::newRow("sqlite con extension sin carpeta")
            << "PROVIDER=SQLOLEDB;Server=SQLITE;Database =copia.db3;" << true << "copia.db3"
            << "copia.db3" << QStringList();
        QTest::newRow("jet 4.0") << "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =base.mdb;User ID=Admin;Password=;" << true
                                 << "base.mdb"
                                 << "base.mdb" << QStringList();
        QTest::newRow("jet 3.51 con carpeta de windows")
            << "PROVIDER=Microsoft.Jet.OLEDB.3.51;Data Source =C:\\datos\\base.mdb;" << true << "C:/datos/base.mdb"
            << "C:\\datos\\base.mdb" << QStringList();
        QTest::newRow("sql server con instancia")
            << "PROVIDER=SQLOLEDB;Server=SRV\\ORBEKIT;Database =EMPRESA;UId=sa;Pwd=;" << false << QString() << "EMPRESA"
            << QStringList{"DRIVER={FreeTDS}", "SERVER=SRV\\ORBEKIT;", "DATABASE=EMPRESA;", "UID=sa;", "PWD=;"};
        QTest::newRow("sql server con puerto") << "PROVIDER=SQLOLEDB;Server=db.local:1433;Database =E;UId=u;Pwd=p;" << false
                                               << QString() << "E" << QStringList{"SERVER=db.local;", "PORT=1433;"};
        QTest::newRow("oracle") << "Provider=OraOLEDB.Oracle.1;Data Source=ORCL;User Id=ventas;Password=x;" << false << QString()
                                << "ORCL" << QStringList{"DBQ=ORCL;", "UID=ventas;", "PWD=x;"};
        QTest::newRow("dsn sin cambios") << "DSN=Empresa;UID=u;PWD=p" << false << QString() << QString()
                                         << QStringList{"DSN=Empresa;UID=u;PWD=p"};
    }
    void lasCadenasEligenElMotor() {
        QFETCH(QString, cadena);
        QFETCH(bool, sqlite);
        QFETCH(QString, archivo);
        QFETCH(QString, base);
        QFETCH(QStringList, enOdbc);
        GuionInstalado g;
        g->carpeta = QStringLiteral("/opt/suite");
        const ParametrosConexion p = AnalizarCadena(cadena);
        QCOMPARE(p.tipo == ParametrosConexion::Tipo::SQLite, sqlite);
        QCOMPARE(p.baseDatos, base);
        if (sqlite) {
            QCOMPARE(p.archivo, archivo.startsWith(QLatin1Char('/')) || archivo.contains(QLatin1Char(':'))
                                    ? archivo
                                    : QStringLiteral("/opt/suite/") + archivo);
            QVERIFY(p.dialectoSqlServer);
        }
        for (const QString& pieza : enOdbc) QVERIFY2(p.cadenaOdbc.contains(pieza), qPrintable(p.cadenaOdbc));
    }

    void lasClavesNoDistinguenMayusculasNiBlancos() {
        const auto c =
            ClavesCadena(QStringLiteral("Database =X; uid = y ;PWD='a;b';Extended Properties=\"p=1;q\";DRIVER={SQL;x}"));
        QCOMPARE(c.value(QStringLiteral("database")), QStringLiteral("X"));
        QCOMPARE(c.value(QStringLiteral("uid")), QStringLiteral("y"));
        QCOMPARE(c.value(QStringLiteral("pwd")), QStringLiteral("a;b"));
        QCOMPARE(c.value(QStringLiteral("extended properties")), QStringLiteral("p=1;q"));
        QCOMPARE(c.value(QStringLiteral("driver")), QStringLiteral("{SQL;x}"));

        // The user and password given to Open win over those of the string, as in ADO.
        const auto p = AnalizarCadena(QStringLiteral("PROVIDER=SQLOLEDB;Server=H;Database =D;UId=a;Pwd=b;"),
                                      QStringLiteral("otro"), QStringLiteral("clave"));
        QCOMPARE(p.usuario, QStringLiteral("otro"));
        QVERIFY(p.cadenaOdbc.contains(QStringLiteral("PWD=clave;")));
        QCOMPARE(AnalizarCadena(QStringLiteral("DRIVER={SQLite3};Database=/x.db")).dialectoSqlServer, true);
        QCOMPARE(AnalizarCadena(QStringLiteral("DSN=Empresa")).dialectoSqlServer, false);
    }

    void unaBaseInexistenteNoSeAbreNiSeCrea() {
        QTemporaryDir tmp;
        GuionInstalado g;
        g->carpeta = tmp.path();
        Conexion cn;
        try {
            cn.Open(CadenaSqlite(QStringLiteral("NOEXISTE")));
            QFAIL("the connection opened a database that does not exist");
        } catch (const ErrorEjecucion& e) {
            QCOMPARE(e.Number, errnum::E_FAIL);
            QVERIFY2(e.Description.startsWith(
                         QStringLiteral("Cannot open database \"NOEXISTE\" requested by the login. The login failed.")),
                     qPrintable(e.Description));
        }
        QCOMPARE(cn.State(), adStateClosed);
        QCOMPARE(cn.Errors().Count(), 1);
        QCOMPARE(cn.Errors().Item(0).NativeError, 4060L);
        QCOMPARE(cn.Errors().Item(0).SQLState, QStringLiteral("42000"));
        QCOMPARE(cn.Errors().Item(0).Number, errnum::E_FAIL);
        QVERIFY(!QFile::exists(tmp.filePath(QStringLiteral("NOEXISTE.db"))));
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files), QStringList());

        // A file that is not a database fails the same way.
        QFile basura(tmp.filePath(QStringLiteral("BASURA.db")));
        QVERIFY(basura.open(QIODevice::WriteOnly));
        basura.write(QByteArray(4096, 'x'));
        basura.close();
        QVERIFY_THROWS_EXCEPTION(ErrorEjecucion, cn.Open(CadenaSqlite(QStringLiteral("BASURA"))));
        QCOMPARE(cn.Errors().Item(0).NativeError, 4060L);
    }

    void abrirCerrarYOperarConLaConexionCerrada() {
        QTemporaryDir tmp;
        GuionInstalado g;
        g->carpeta = tmp.path();
        QVERIFY(CrearBaseSqlite(tmp.filePath(QStringLiteral("DEMO.db")), kEsquema));
        Conexion cn;
        auto numero = [](auto&& f) -> long {
            try {
                f();
            } catch (const ErrorEjecucion& e) {
                return e.Number;
            }
            return 0;
        };
        QCOMPARE(numero([&] { cn.Close(); }), errnum::ObjectClosed);
        QCOMPARE(numero([&] { cn.Execute(QStringLiteral("SELECT 1")); }), errnum::ConnectionInvalid);
        QCOMPARE(numero([&] { cn.BeginTrans(); }), errnum::ConnectionInvalid);

        cn.SetConnectionString(CadenaSqlite(QStringLiteral("DEMO")));
        cn.Open();  // the connection's own string
        QCOMPARE(cn.State(), adStateOpen);
        QCOMPARE(cn.DefaultDatabase(), QStringLiteral("DEMO"));
        QCOMPARE(cn.ConnectionString(), CadenaSqlite(QStringLiteral("DEMO")));
        QCOMPARE(numero([&] { cn.Open(CadenaSqlite(QStringLiteral("DEMO"))); }), errnum::ObjectOpen);
        QVERIFY(cn.Errors().Vacia());  // the client's own errors are not provider errors

        cn.SetDefaultDatabase(QStringLiteral("demo"));
        QCOMPARE(numero([&] { cn.SetDefaultDatabase(QStringLiteral("OTRA")); }), errnum::E_FAIL);
        QCOMPARE(cn.Errors().Item(0).NativeError, 911L);

        cn.Close();
        QCOMPARE(cn.State(), adStateClosed);
        QCOMPARE(numero([&] { cn.Execute(QStringLiteral("SELECT 1")); }), errnum::ConnectionInvalid);
        cn.Open(CadenaSqlite(QStringLiteral("DEMO")));  // a closed connection opens again
        QCOMPARE(cn.State(), adStateOpen);
    }

    void ejecutarDevuelveFilasAfectadasEIdentidad() {
        QTemporaryDir tmp;
        const QString ruta = tmp.filePath(QStringLiteral("e.db"));
        QVERIFY(CrearBaseSqlite(ruta, kEsquema));
        Conexion cn;
        cn.Open(CadenaSqlite(ruta));
        long n = 0;
        auto rs = cn.Execute(QStringLiteral("INSERT INTO MA_POSICIONES (IdPosicion, IdDeposito) VALUES ('1','   1')\r"
                                            "INSERT INTO MA_POSICIONES (IdPosicion, IdDeposito) VALUES ('2','   1')\r"
                                            "INSERT INTO MA_POSICIONES (IdPosicion, IdDeposito) VALUES ('3','   2')"),
                             &n);
        QCOMPARE(n, 3L);
        QCOMPARE(rs->State(), adStateClosed);  // nothing to read
        cn.Execute(QStringLiteral("UPDATE MA_POSICIONES SET Descripcion = 'x' WHERE IdDeposito = '   1'"), &n);
        QCOMPARE(n, 2L);
        rs = cn.Execute(QStringLiteral("SELECT count(*) AS n FROM MA_POSICIONES"), &n);
        QCOMPARE(n, -1L);
        QCOMPARE(rs->State(), adStateOpen);
        QCOMPARE(rs->Fields(0).Value.toInt(), 3);
        QCOMPARE(rs->LockType(), adLockReadOnly);

        cn.Execute(QStringLiteral("INSERT INTO Control_Acceso (Usuario) VALUES ('ana')"));
        cn.Execute(QStringLiteral("INSERT INTO Control_Acceso (Usuario) VALUES ('juan')"));
        QCOMPARE(cn.UltimoIdentificador(), qint64(2));
    }

    void laListaDeErroresGuardaLaUltimaFalla() {
        QTemporaryDir tmp;
        const QString ruta = tmp.filePath(QStringLiteral("e.db"));
        QVERIFY(CrearBaseSqlite(ruta, kEsquema));
        Conexion cn;
        cn.Open(CadenaSqlite(ruta));
        QVERIFY_THROWS_EXCEPTION(ErrorEjecucion, cn.Execute(QStringLiteral("SELECT * FROM NO_HAY")));
        QCOMPARE(cn.Errors().Count(), 1);
        QCOMPARE(cn.Errors().Item(0).NativeError, 208L);
        cn.Execute(QStringLiteral("SELECT 1"));  // a success leaves the errors for the caller to read
        QCOMPARE(cn.Errors().Item(0).NativeError, 208L);
        QVERIFY_THROWS_EXCEPTION(ErrorEjecucion, cn.Execute(QStringLiteral("SELEC 1")));
        QCOMPARE(cn.Errors().Count(), 1);  // the new failure replaced the old one
        QCOMPARE(cn.Errors().Item(0).NativeError, 102L);
        cn.Errors().Clear();
        QCOMPARE(cn.Errors().Count(), 0);
    }

    void elEsquemaListaTablasVistasYColumnas() {
        QTemporaryDir tmp;
        const QString ruta = tmp.filePath(QStringLiteral("EMPRESA.db"));
        QVERIFY(CrearBaseSqlite(ruta, kEsquema));
        Conexion cn;
        cn.Open(CadenaSqlite(ruta));

        auto tablas = cn.OpenSchema(adSchemaTables);
        QMap<QString, QString> tipos;
        for (; !tablas->EOF_(); tablas->MoveNext())
            tipos.insert(tablas->Valor(QStringLiteral("TABLE_NAME")).toString(),
                         tablas->Valor(QStringLiteral("table_type")).toString());
        QCOMPARE(tipos.value(QStringLiteral("MA_POSICIONES")), QStringLiteral("TABLE"));
        QCOMPARE(tipos.value(QStringLiteral("V_TA_DEPOSITO")), QStringLiteral("VIEW"));
        QVERIFY(tipos.contains(QStringLiteral("Control_Acceso")));

        auto una = cn.OpenSchema(adSchemaTables, {QString(), QString(), QStringLiteral("ma_posiciones"), QString()});
        QCOMPARE(una->RecordCount(), 1L);
        QCOMPARE(una->Valor(QStringLiteral("TABLE_CATALOG")).toString(), QStringLiteral("EMPRESA"));

        auto columnas =
            cn.OpenSchema(adSchemaColumns, {QStringLiteral("EMPRESA"), QString(), QStringLiteral("MA_POSICIONES"), QString()});
        QStringList nombres;
        for (; !columnas->EOF_(); columnas->MoveNext()) {
            nombres << columnas->Valor(QStringLiteral("COLUMN_NAME")).toString();
            if (nombres.last() == QLatin1String("IdPosicion")) {
                QCOMPARE(columnas->Valor(QStringLiteral("DATA_TYPE")).toInt(), 129);  // DBTYPE_STR, as the schema rowset says
                QCOMPARE(columnas->Valor(QStringLiteral("CHARACTER_MAXIMUM_LENGTH")).toInt(), 25);
                QCOMPARE(columnas->Valor(QStringLiteral("IS_NULLABLE")).toBool(), false);
            }
            if (nombres.last() == QLatin1String("Capacidad")) {
                QCOMPARE(columnas->Valor(QStringLiteral("DATA_TYPE")).toInt(), 131);
                QCOMPARE(columnas->Valor(QStringLiteral("NUMERIC_PRECISION")).toInt(), 18);
                QCOMPARE(columnas->Valor(QStringLiteral("NUMERIC_SCALE")).toInt(), 2);
            }
        }
        QCOMPARE(nombres, (QStringList{"IdPosicion", "Descripcion", "IdDeposito", "Capacidad"}));
        auto vista =
            cn.OpenSchema(adSchemaColumns, {QString(), QString(), QStringLiteral("v_ta_deposito"), QStringLiteral("iddeposito")});
        QCOMPARE(vista->RecordCount(), 1L);
        auto ninguna = cn.OpenSchema(adSchemaColumns, {QString(), QString(), QStringLiteral("NO_HAY"), QString()});
        QVERIFY(ninguna->EOF_());
    }
};

QTEST_GUILESS_MAIN(TstDriverConexion)
#include "tst_driver_conexion.moc"
