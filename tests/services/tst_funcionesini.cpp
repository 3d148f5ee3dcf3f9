#include "PlataformaGuion.h"
#include "services/FuncionesIni.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The initialisation-file reader as the start-up reads QM210ax.INI: the file in the program
// folder, sections named after the workstation, values written by hand on Windows.
class TstFuncionesIni : public QObject {
    Q_OBJECT

    FuncionesIni& ini = FuncionesIni::instancia();

    static void Escribir(const QString& ruta, const QByteArray& bytes) {
        QFile f(ruta);
        QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(ruta));
        f.write(bytes);
    }

    static QByteArray Ejemplo(const QByteArray& fin) {
        QByteArray t =
            "; written by the setup program\n"
            "clave=fuera de seccion\n"
            "[General]\n"
            "Servidor=GENERAL\n"
            "[PC7|ANABaseDeDatos]\n"
            "  Servidor  =  SRV01  \n"
            "DbName=VENTAS\n"
            ";Usuario=comentado\n"
            "Usuario=~1F2E\n"
            "UserPassWord=\n"
            "Conexion=DSN=ventas;UID=x\n"
            "Comillas=\"  con blancos  \"\n"
            "Simples='uno'\n"
            "Abierta=\"sin cerrar\n"
            "DbName=SEGUNDO\n"
            "\n"
            "[pc7|ana]\n"
            "FlatToolbars=0\n"
            "[General]\n"
            "Servidor=REPETIDA\n";
        t.replace("\n", fin);
        return t;
    }

private slots:
    void lineas_data() {
        QTest::addColumn<QByteArray>("fin");
        QTest::newRow("CR LF") << QByteArray("\r\n");
        QTest::newRow("LF") << QByteArray("\n");
        QTest::newRow("CR only") << QByteArray("\r");
    }
    void lineas() {
        QFETCH(QByteArray, fin);
        GuionInstalado g;
        QTemporaryDir tmp;
        g->carpeta = tmp.path();
        Escribir(tmp.filePath(QStringLiteral("QM210ax.INI")), Ejemplo(fin));
        const QString f = QStringLiteral("QM210ax.INI");
        const QString s = QStringLiteral("PC7|ANABaseDeDatos");
        const QString d = QStringLiteral("<def>");

        // Sections and keys without regard to case; blanks around names and values dropped.
        QCOMPARE(ini.Leer(f, s, QStringLiteral("Servidor"), d), QStringLiteral("SRV01"));
        QCOMPARE(ini.Leer(f, QStringLiteral("pc7|anabasededatos"), QStringLiteral("SERVIDOR"), d), QStringLiteral("SRV01"));
        QCOMPARE(ini.Leer(f, QStringLiteral(" PC7|ANABaseDeDatos "), QStringLiteral(" dbname "), d), QStringLiteral("VENTAS"));
        // A section that only begins like another one is another section.
        QCOMPARE(ini.Leer(f, QStringLiteral("PC7|ANA"), QStringLiteral("FlatToolbars"), d), QStringLiteral("0"));
        QCOMPARE(ini.Leer(f, QStringLiteral("PC7|ANA"), QStringLiteral("DbName"), d), d);
        QCOMPARE(ini.Leer(f, s, QStringLiteral("FlatToolbars"), d), d);
        // The first occurrence wins, of a key and of a section.
        QCOMPARE(ini.Leer(f, s, QStringLiteral("DbName"), d), QStringLiteral("VENTAS"));
        QCOMPARE(ini.Leer(f, QStringLiteral("General"), QStringLiteral("Servidor"), d), QStringLiteral("GENERAL"));
        // Comments and keys outside any section are not values.
        QCOMPARE(ini.Leer(f, s, QStringLiteral("Usuario"), d), QStringLiteral("~1F2E"));
        QCOMPARE(ini.Leer(f, s, QStringLiteral(";Usuario"), d), d);
        QCOMPARE(ini.Leer(f, QString(), QStringLiteral("clave"), d), d);
        // An empty value is a value, not the default; a value may hold "=" and ";".
        QCOMPARE(ini.Leer(f, s, QStringLiteral("UserPassWord"), d), QString());
        QCOMPARE(ini.Leer(f, s, QStringLiteral("Conexion"), d), QStringLiteral("DSN=ventas;UID=x"));
        // Enclosing quotes are dropped, the blanks inside them kept; a lone quote stays.
        QCOMPARE(ini.Leer(f, s, QStringLiteral("Comillas"), d), QStringLiteral("  con blancos  "));
        QCOMPARE(ini.Leer(f, s, QStringLiteral("Simples"), d), QStringLiteral("uno"));
        QCOMPARE(ini.Leer(f, s, QStringLiteral("Abierta"), d), QStringLiteral("\"sin cerrar"));
        // Missing key, missing section.
        QCOMPARE(ini.Leer(f, s, QStringLiteral("NoExiste"), d), d);
        QCOMPARE(ini.Leer(f, QStringLiteral("PC8|LUISBaseDeDatos"), QStringLiteral("Servidor"), d), d);
    }

    void archivoAusenteDaElValorPorDefecto() {
        GuionInstalado g;
        QTemporaryDir tmp;
        g->carpeta = tmp.path();
        QCOMPARE(ini.Leer(QStringLiteral("QM210ax.INI"), QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("1")),
                 QStringLiteral("1"));
        QVERIFY(ini.Ubicar(QStringLiteral("QM210ax.INI")).isEmpty());
        QCOMPARE(ini.Leer(QString(), QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("x")), QStringLiteral("x"));
        // A folder with the file's name is no file.
        QVERIFY(QDir(tmp.path()).mkdir(QStringLiteral("QM210ax.INI")));
        QCOMPARE(ini.Leer(QStringLiteral("QM210ax.INI"), QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("2")),
                 QStringLiteral("2"));
    }

    void archivoEnLaCarpetaDelProgramaConOtrasMayusculas() {
        GuionInstalado g;
        QTemporaryDir tmp;
        QTemporaryDir otra;
        g->carpeta = tmp.path();
        Escribir(tmp.filePath(QStringLiteral("qm210AX.ini")), "[S]\r\nK=programa\r\n");
        // The working folder is not where the file is looked for.
        Escribir(otra.filePath(QStringLiteral("QM210ax.INI")), "[S]\r\nK=otra\r\n");
        const QString actual = QDir::currentPath();
        QDir::setCurrent(otra.path());
        const QString v = ini.Leer(QStringLiteral("QM210ax.INI"), QStringLiteral("S"), QStringLiteral("K"), QString());
        const QString ruta = ini.Ubicar(QStringLiteral("QM210ax.INI"));
        QDir::setCurrent(actual);
        QCOMPARE(v, QStringLiteral("programa"));
        QCOMPARE(QFileInfo(ruta).canonicalFilePath(), QFileInfo(tmp.filePath(QStringLiteral("qm210AX.ini"))).canonicalFilePath());
    }

    void rutaAbsolutaYRelativa() {
        GuionInstalado g;
        QTemporaryDir tmp;
        QTemporaryDir otra;
        g->carpeta = tmp.path();
        Escribir(otra.filePath(QStringLiteral("Suite.ini")), "[S]\nK=absoluta\n");
        QCOMPARE(ini.Leer(otra.filePath(QStringLiteral("SUITE.INI")), QStringLiteral("S"), QStringLiteral("K"), QString()),
                 QStringLiteral("absoluta"));
        QVERIFY(QDir(tmp.path()).mkdir(QStringLiteral("conf")));
        Escribir(tmp.filePath(QStringLiteral("conf/Suite.ini")), "[S]\nK=relativa\n");
        QCOMPARE(ini.Leer(QStringLiteral("conf/Suite.ini"), QStringLiteral("S"), QStringLiteral("K"), QString()),
                 QStringLiteral("relativa"));
    }

    void archivoDeWindowsEnPaginaOccidental() {
        GuionInstalado g;
        QTemporaryDir tmp;
        g->carpeta = tmp.path();
        Escribir(tmp.filePath(QStringLiteral("QM210ax.INI")),
                 "[PC7|MU\xD1OZBaseDeDatos]\r\nUsuario=Pe\xF1"
                 "a\r\nDbName=Almac\xE9n\r\n");
        const QString s = QStringLiteral("PC7|MUÑOZBaseDeDatos");
        QCOMPARE(ini.Leer(QStringLiteral("QM210ax.INI"), s, QStringLiteral("Usuario"), QString()), QStringLiteral("Peña"));
        QCOMPARE(ini.Leer(QStringLiteral("QM210ax.INI"), s, QStringLiteral("DbName"), QString()), QStringLiteral("Almacén"));
        // Letter case of non-ASCII section names is ignored too.
        QCOMPARE(
            ini.Leer(QStringLiteral("QM210ax.INI"), QStringLiteral("pc7|muñozbasededatos"), QStringLiteral("USUARIO"), QString()),
            QStringLiteral("Peña"));
    }

    void archivoUtf8ConMarcaInicial() {
        GuionInstalado g;
        QTemporaryDir tmp;
        g->carpeta = tmp.path();
        // The mark must not hide the first section header.
        Escribir(tmp.filePath(QStringLiteral("QM210ax.INI")), "\xEF\xBB\xBF[Dep\xC3\xB3sito]\nNombre=Se\xC3\xB1orial\n");
        QCOMPARE(ini.Leer(QStringLiteral("QM210ax.INI"), QStringLiteral("Depósito"), QStringLiteral("Nombre"), QString()),
                 QStringLiteral("Señorial"));
    }
};

QTEST_GUILESS_MAIN(TstFuncionesIni)
#include "tst_funcionesini.moc"
