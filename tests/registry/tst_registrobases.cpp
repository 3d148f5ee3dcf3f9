// BASES.TXT as files written by hand and by older programs leave it: the reader's tolerance, and
// what appending a record does to the bytes already there.
#include "PlataformaGuion.h"
#include "registry/RegistroBases.h"
#include "services/CodePage.h"
#include "services/FuncionesComunes.h"

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray Leer(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<no se pudo leer>");
}

void Escribir(const QString& ruta, const QByteArray& bytes) {
    QFile f(ruta);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QStringList Claves(const QList<RegistroConexion>& registros) {
    QStringList r;
    for (const auto& x : registros) r << x.clave;
    return r;
}

}  // namespace

class TstRegistroBases : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<GuionInstalado> guion_;

    QString Ruta() const { return dir_.filePath(QStringLiteral("BASES.TXT")); }

private slots:
    void init() {
        guion_ = std::make_unique<GuionInstalado>();
        (*guion_)->carpeta = dir_.path();
        QFile::remove(Ruta());
    }
    void cleanup() { guion_.reset(); }

    void rutaEnLaCarpetaDelPrograma() { QCOMPARE(RutaRegistroBases(), dir_.path() + QStringLiteral("/BASES.TXT")); }

    void claveSinPuertoEnMayusculas_data() {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("servidor");
        QTest::addColumn<QString>("clave");
        QTest::newRow("puerto") << "db"
                                << "SRV01:1500"
                                << "DB / SRV01";
        QTest::newRow("blancos") << "  empresa "
                                 << " srv01:1500 "
                                 << "EMPRESA / SRV01";
        QTest::newRow("instancia") << "Db"
                                   << "srv\\inst"
                                   << "DB / SRV\\INST";
        QTest::newRow("dos veces dos puntos") << "db"
                                              << "a:b:c"
                                              << "DB / A";
    }
    void claveSinPuertoEnMayusculas() {
        QFETCH(QString, base);
        QFETCH(QString, servidor);
        QFETCH(QString, clave);
        QCOMPARE(ClaveConexion(base, servidor), clave);
    }

    // Every kind of line end, blank lines, short and long lines, quoting and both encodings in one
    // file: each line is one record and no well-formed record is lost or shifted.
    void lectorTolerante() {
        QByteArray bytes;
        bytes += "UNO / S1,uno,uno,~AB,s1\r\n";     // CR LF
        bytes += "\r\n\n";                          // blank lines
        bytes += "DOS / S2,dos,dos,~CD,s2:1500\r";  // CR alone
        bytes += "CORTA,solo\n";                    // fewer than five fields
        bytes += "  TRES / S3 , tres ,tres,~EF, s3 \n";
        bytes += "CUATRO / S4,cuatro,cuatro,~01,host,1433\n";  // more than five: the surplus stays with the server
        bytes += "\"CINCO, S5\",cinco,cinco,~02,s5\n";         // quoted field holding a comma
        bytes += cp1252::Codificar(QStringLiteral("AÑO / S6,año,año,~03,s6")) + "\r\n";  // not UTF-8
        bytes += QStringLiteral("ÜBER / S7,über,über,~04,s7").toUtf8() + "\n";           // UTF-8
        bytes += "ULTIMA / S8,ultima,ultima,~05,s8";                                     // no final line end

        const auto r = AnalizarRegistroBases(bytes);
        QCOMPARE(Claves(r), (QStringList{"UNO / S1", "DOS / S2", "CORTA", "TRES / S3", "CUATRO / S4", "CINCO, S5",
                                         QStringLiteral("AÑO / S6"), QStringLiteral("ÜBER / S7"), "ULTIMA / S8"}));
        QCOMPARE(r[1].servidor, QStringLiteral("s2:1500"));
        QCOMPARE(r[2].baseDatos, QStringLiteral("solo"));
        QCOMPARE(r[2].usuario, QString());
        QCOMPARE(r[2].servidor, QString());
        QCOMPARE(r[3].baseDatos, QStringLiteral("tres"));
        QCOMPARE(r[3].servidor, QStringLiteral("s3"));
        QCOMPARE(r[4].servidor, QStringLiteral("host,1433"));
        QCOMPARE(r[5].baseDatos, QStringLiteral("cinco"));
        QCOMPARE(r[6].baseDatos, QStringLiteral("año"));
        QCOMPARE(r[7].usuario, QStringLiteral("über"));
        QCOMPARE(r[8].password, QStringLiteral("~05"));
        QCOMPARE(r[8].servidor, QStringLiteral("s8"));
    }

    void archivoAusenteNoEsError() { QVERIFY(LeerRegistroBases(Ruta()).isEmpty()); }

    void archivoIlegibleEsError75() {
        QVERIFY(QDir(dir_.path()).mkdir(QStringLiteral("BASES.TXT")));
        long numero = 0;
        try {
            LeerRegistroBases(Ruta());
        } catch (const ErrorEjecucion& e) {
            numero = e.Number;
        }
        QVERIFY(QDir(dir_.path()).rmdir(QStringLiteral("BASES.TXT")));
        QCOMPARE(numero, 75L);
    }

    void primerRegistroCreaElArchivo() {
        AgregaConexion(QStringLiteral(" DEMO / SQLITE "), QStringLiteral(" demo "), QStringLiteral("demo"),
                       QStringLiteral("demo"), QStringLiteral(" sqlite "));
        const QByteArray bytes = Leer(Ruta());
        const QByteArray codificada = FuncionesComunes::instancia().Codificar(QStringLiteral("demo")).toLatin1();
        QCOMPARE(bytes, "DEMO / SQLITE,demo,demo," + codificada + ",sqlite\r\n");
        QVERIFY(!codificada.contains("demo"));
        const auto r = LeerRegistroBases(Ruta());
        QCOMPARE(r.size(), 1);
        QCOMPARE(FuncionesComunes::instancia().Decodificar(r[0].password), QStringLiteral("demo"));
    }

    // What precedes the new record: a lone CR only when the last line has no line end.
    void finDeLineaAntesDelRegistro_data() {
        QTest::addColumn<QByteArray>("previo");
        QTest::addColumn<QByteArray>("separador");
        QTest::newRow("sin fin de linea") << QByteArray("A / B,a,a,~01,b") << QByteArray("\r");
        QTest::newRow("CR LF") << QByteArray("A / B,a,a,~01,b\r\n") << QByteArray();
        QTest::newRow("LF solo") << QByteArray("A / B,a,a,~01,b\n") << QByteArray();
        QTest::newRow("CR solo") << QByteArray("A / B,a,a,~01,b\r") << QByteArray();
        QTest::newRow("blancos al final") << QByteArray("A / B,a,a,~01,b\r\n   ") << QByteArray();
        QTest::newRow("vacio") << QByteArray() << QByteArray();
    }
    void finDeLineaAntesDelRegistro() {
        QFETCH(QByteArray, previo);
        QFETCH(QByteArray, separador);
        Escribir(Ruta(), previo);
        AgregaConexion(QStringLiteral("N / S"), QStringLiteral("n"), QStringLiteral("n"), QStringLiteral("n"),
                       QStringLiteral("s"));
        const QByteArray linea = LineaRegistro(QStringLiteral("N / S"), QStringLiteral("n"), QStringLiteral("n"),
                                               QStringLiteral("n"), QStringLiteral("s"))
                                     .toLatin1();
        QCOMPARE(Leer(Ruta()), previo + separador + linea + "\r\n");
        QCOMPARE(Claves(LeerRegistroBases(Ruta())).last(), QStringLiteral("N / S"));
        if (!previo.trimmed().isEmpty()) QCOMPARE(Claves(LeerRegistroBases(Ruta())).first(), QStringLiteral("A / B"));
    }

    // The bytes already in the file stay exactly as they were, whatever their encoding, and a
    // name the file's code page cannot hold is still read back.
    void nadaSePierdeYCadaCodificacionVuelve() {
        const QByteArray previo = cp1252::Codificar(QStringLiteral("AÑO / S,año,año,~01,s")) + "\n\nBASURA\r";
        Escribir(Ruta(), previo);
        AgregaConexion(QStringLiteral("MÜNCHEN / S"), QStringLiteral("münchen"), QStringLiteral("münchen"), QStringLiteral("x"),
                       QStringLiteral("s"));
        AgregaConexion(QStringLiteral("北京 / S"), QStringLiteral("北京"), QStringLiteral("北京"), QStringLiteral("x"),
                       QStringLiteral("s"));
        const QByteArray bytes = Leer(Ruta());
        QVERIFY(bytes.startsWith(previo));
        // The suite's own code page where it suffices, so its older programs read the name too.
        QVERIFY(bytes.contains(cp1252::Codificar(QStringLiteral("MÜNCHEN / S,münchen"))));
        const auto r = LeerRegistroBases(Ruta());
        QCOMPARE(Claves(r),
                 (QStringList{QStringLiteral("AÑO / S"), "BASURA", QStringLiteral("MÜNCHEN / S"), QStringLiteral("北京 / S")}));
        QCOMPARE(r[3].baseDatos, QStringLiteral("北京"));
    }

    // Every field reads back as it was written, quotes and commas included, and the records
    // already in the file keep their bytes.
    void comillasYComasVuelvenTalCual() {
        const QByteArray previo("A / B,a,a,~01,b\r\n\"C,D / S\",c,c,~01,s\r\n");
        Escribir(Ruta(), previo);
        const QStringList raros{QStringLiteral("x\"y,z"), QStringLiteral("\"entre comillas\""), QStringLiteral("\"\""),
                                QStringLiteral("a\"\"b")};
        for (const QString& v : raros) AgregaConexion(v + QStringLiteral(" / S"), v, v, QStringLiteral("p"), QStringLiteral("s"));
        QVERIFY(Leer(Ruta()).startsWith(previo));
        const auto r = LeerRegistroBases(Ruta());
        QCOMPARE(r.size(), 2 + raros.size());
        QCOMPARE(r[1].clave, QStringLiteral("C,D / S"));
        for (int i = 0; i < raros.size(); ++i) {
            QCOMPARE(r[2 + i].baseDatos, raros[i]);
            QCOMPARE(r[2 + i].usuario, raros[i]);
            QCOMPARE(r[2 + i].servidor, QStringLiteral("s"));
        }
    }

    // A name holding a comma is quoted so that it does not split the record.
    void comaEnUnCampo() {
        AgregaConexion(QStringLiteral("A,B / S"), QStringLiteral("a,b"), QStringLiteral("a,b"), QStringLiteral("a,b"),
                       QStringLiteral("s"));
        const auto r = LeerRegistroBases(Ruta());
        QCOMPARE(r.size(), 1);
        QCOMPARE(r[0].clave, QStringLiteral("A,B / S"));
        QCOMPARE(r[0].baseDatos, QStringLiteral("a,b"));
        QCOMPARE(r[0].servidor, QStringLiteral("s"));
        QCOMPARE(FuncionesComunes::instancia().Decodificar(r[0].password), QStringLiteral("a,b"));
    }

    // A registry that cannot be written raises 75 and keeps its bytes; no temporary file is left.
    void fallaSinTocarElArchivo() {
        if (geteuid() == 0) {
            // Root writes read-only files, so as root (as on CI) this case runs again as an
            // unprivileged user.
            const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
            if (setpriv.isEmpty()) QSKIP("running as root without setpriv to run this case as an unprivileged user");
            QProcess p;
            p.setProcessChannelMode(QProcess::MergedChannels);
            p.start(setpriv, {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups"),
                              QCoreApplication::applicationFilePath(), QStringLiteral("fallaSinTocarElArchivo")});
            QVERIFY(p.waitForFinished(120000));
            const QString salida = QString::fromUtf8(p.readAll());
            QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0, qPrintable(salida));
            QVERIFY2(salida.contains(QStringLiteral("PASS   : TstRegistroBases::fallaSinTocarElArchivo()")), qPrintable(salida));
            return;
        }
        const QByteArray previo("A / B,a,a,~01,b\r\n");
        Escribir(Ruta(), previo);
        QFile::setPermissions(Ruta(), QFileDevice::ReadOwner | QFileDevice::ReadUser);
        if (QFileInfo(Ruta()).isWritable()) {
            QFile::setPermissions(Ruta(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            QSKIP("running with rights that ignore a read-only file");
        }
        long numero = 0;
        try {
            AgregaConexion(QStringLiteral("N / S"), QStringLiteral("n"), QStringLiteral("n"), QStringLiteral("n"),
                           QStringLiteral("s"));
        } catch (const ErrorEjecucion& e) {
            numero = e.Number;
        }
        QFile::setPermissions(Ruta(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(numero, 75L);
        QCOMPARE(Leer(Ruta()), previo);
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), QStringList{"BASES.TXT"});
    }
};

QTEST_GUILESS_MAIN(TstRegistroBases)
#include "tst_registrobases.moc"
