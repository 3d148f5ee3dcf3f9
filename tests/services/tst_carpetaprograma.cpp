// Which folder the programs keep their files in: the variable, the executable's folder, or a
// per-user folder completed from the files an installation ships.
#include "services/CarpetaPrograma.h"

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TstCarpetaPrograma : public QObject {
    Q_OBJECT

    static void Escribir(const QString& archivo, const QByteArray& texto) {
        QVERIFY(QDir().mkpath(QFileInfo(archivo).absolutePath()));
        QFile f(archivo);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(texto);
    }
    static QByteArray Leer(const QString& archivo) {
        QFile f(archivo);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<no existe>");
    }

    // An installation under <raiz>/usr: bin/ and share/ma-posiciones with a label layout and the
    // SQL below it; the user's folder under <raiz>/home.
    static LugaresPrograma Instalacion(const QTemporaryDir& raiz) {
        LugaresPrograma l;
        l.ejecutables = raiz.filePath(QStringLiteral("usr/bin"));
        l.compartida = raiz.filePath(QStringLiteral("usr/share/ma-posiciones"));
        l.usuario = raiz.filePath(QStringLiteral("home/.local/share/ma-posiciones"));
        QDir().mkpath(l.ejecutables);
        Escribir(l.compartida + QStringLiteral("/ETIQUETA_POSIC01.rpt"), "enviado");
        Escribir(l.compartida + QStringLiteral("/sql/schema.sql"), "CREATE TABLE t(x);");
        return l;
    }

private slots:
    void laVariableReemplazaATodas() {
        QTemporaryDir raiz;
        LugaresPrograma l = Instalacion(raiz);
        l.variable = raiz.filePath(QStringLiteral("otra"));
        QCOMPARE(DecidirCarpetaPrograma(l), l.variable);
        QVERIFY(!QFileInfo::exists(l.usuario));
    }

    void unaCarpetaDeEjecutablesQueSePuedeEscribirSeQueda() {
        QTemporaryDir raiz;
        LugaresPrograma l;
        l.ejecutables = raiz.filePath(QStringLiteral("build/src/app"));
        l.compartida = raiz.filePath(QStringLiteral("build/src/share/ma-posiciones"));  // not there
        l.usuario = raiz.filePath(QStringLiteral("home/ma-posiciones"));
        QVERIFY(QDir().mkpath(l.ejecutables));
        QCOMPARE(DecidirCarpetaPrograma(l), l.ejecutables);
        QVERIFY(!QFileInfo::exists(l.usuario));
    }

    // Installed, the executables' folder is never the program folder, even where it can be
    // written (root, an installation in the user's home): the user's folder is created and gets
    // the shipped files it lacks, never the ones it has.
    void instaladoUsaLaCarpetaDelUsuarioYSoloAgregaLoQueFalta() {
        QTemporaryDir raiz;
        const LugaresPrograma l = Instalacion(raiz);
        QCOMPARE(DecidirCarpetaPrograma(l), l.usuario);
        QCOMPARE(Leer(l.usuario + QStringLiteral("/ETIQUETA_POSIC01.rpt")), QByteArray("enviado"));
        QVERIFY(QFileInfo(l.usuario + QStringLiteral("/ETIQUETA_POSIC01.rpt")).isWritable());
        QVERIFY(!QFileInfo::exists(l.usuario + QStringLiteral("/sql")));
        QCOMPARE(QDir(l.ejecutables).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());

        Escribir(l.usuario + QStringLiteral("/ETIQUETA_POSIC01.rpt"), "del sitio");
        Escribir(l.compartida + QStringLiteral("/OTRA.rpt"), "nueva");
        QCOMPARE(DecidirCarpetaPrograma(l), l.usuario);
        QCOMPARE(Leer(l.usuario + QStringLiteral("/ETIQUETA_POSIC01.rpt")), QByteArray("del sitio"));
        QCOMPARE(Leer(l.usuario + QStringLiteral("/OTRA.rpt")), QByteArray("nueva"));
    }

    void unaCarpetaDeEjecutablesDeSoloLecturaPasaAlUsuario() {
        if (geteuid() == 0) QSKIP("root escribe en cualquier carpeta");
        QTemporaryDir raiz;
        LugaresPrograma l;
        l.ejecutables = raiz.filePath(QStringLiteral("opt/bin"));
        l.usuario = raiz.filePath(QStringLiteral("home/ma-posiciones"));
        QVERIFY(QDir().mkpath(l.ejecutables));
        QVERIFY(QFile::setPermissions(l.ejecutables, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        QCOMPARE(DecidirCarpetaPrograma(l), l.usuario);
        QVERIFY(QFileInfo(l.usuario).isDir());
        QFile::setPermissions(l.ejecutables, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
};

QTEST_GUILESS_MAIN(TstCarpetaPrograma)
#include "tst_carpetaprograma.moc"
