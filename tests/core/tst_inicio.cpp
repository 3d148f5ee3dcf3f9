#include "DialogoGuion.h"
#include "SesionPrueba.h"
#include "core/Inicio.h"
#include "db/DB_Dll.h"
#include "services/Sesion.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QtTest>

// The start-up of the program from a parameter string, as the suite's programs start one another.
class TstInicio : public QObject {
    Q_OBJECT

private slots:
    void arranqueCompletoDesdeLaLineaDeParametros() {
        SesionPrueba s(false, QStringLiteral("EMPRESA"));
        QString cadena;
        IniciarAplicacion(false, QStringLiteral("@server= SQLITE; @dbname= EMPRESA; @usuario= DEMO; @Password= demo; @Caja= 3;"),
                          cadena, 3);
        auto& db = gBaseDatos();
        QVERIFY(db.gOpenFlag);
        QCOMPARE(db.gDBName, QStringLiteral("EMPRESA"));
        QCOMPARE(db.gUsuario, QStringLiteral("EMPRESA"));
        QCOMPARE(sesion().gUsuarioSistema, QStringLiteral("DEMO"));
        QCOMPARE(sesion().gCaja, QStringLiteral("3"));
        QCOMPARE(sesion().gParametroAdicional, QString());
        QCOMPARE(sesion().gPuestoTrabajo, QStringLiteral("PC7|ANA"));
        QCOMPARE(sesion().gCadenaODBC, QStringLiteral("DSN=EMPRESA; UID=EMPRESA; PWD=EMPRESA"));
        QVERIFY(sesion().gTimeOut > 0);
        QVERIFY(sesion().gIdControlAcceso > 0);
        QCOMPARE(s.Contar(QStringLiteral("Control_Acceso")), 1);
        QCOMPARE(s.Sql(QStringLiteral("SELECT Usuario || '|' || Formulario FROM Control_Acceso")),
                 QStringLiteral("DEMO|MA_POSICIONES"));
        QVERIFY(QFile::exists(s.base().Carpeta() + QStringLiteral("/consultas.tvx")));
        QCOMPARE(gAjustesConsultas().gRutaMascaraConsultas, s.base().Carpeta() + QStringLiteral("/consultas.tvx"));
        QVERIFY(gAjustesConsultas().gUsarMascarasConsultas);
        QVERIFY(s.guion().Cajas().isEmpty());
    }

    void claveIgualALaBaseSeTomaDeLaTablaDeUsuarios() {
        SesionPrueba s(false, QStringLiteral("EMPRESA"));
        QString cadena;
        IniciarAplicacion(false, QStringLiteral("@server=SQLITE; @dbname=EMPRESA; @usuario=DEMO; @Password=empresa;"), cadena, 3);
        QCOMPARE(sesion().gClaveUsuario, QStringLiteral("demo"));
        QCOMPARE(sesion().gCaja, QStringLiteral("1"));
        QVERIFY(sesion().gIdControlAcceso > 0);
    }

    // "1" is the register only when @Caja is absent: as the last item without its ";" it is empty.
    void cajaSinPuntoYComaFinalQuedaVacia() {
        SesionPrueba s(false, QStringLiteral("EMPRESA"));
        QString cadena;
        IniciarAplicacion(false, QStringLiteral("@server=SQLITE; @dbname=EMPRESA; @usuario=DEMO; @Password=empresa; @Caja=7"),
                          cadena, 3);
        QCOMPARE(sesion().gCaja, QString());
    }

    void claveMalaSeCorrigeEnLaVentana() {
        SesionPrueba s(false, QStringLiteral("EMPRESA"));
        DialogoGuion d;
        d.Encolar({true, QStringLiteral("EMPRESA"), QStringLiteral("SQLITE"), QStringLiteral("DEMO"), QStringLiteral("demo")});
        s.guion().ResponderMsgBox(vb::OK, QStringLiteral("El usuario o clave en la base de datos es incorrecto!"));
        QString cadena;
        IniciarAplicacion(false, QStringLiteral("@server=SQLITE; @dbname=EMPRESA; @usuario=DEMO; @Password=mala;"), cadena, 3);
        QCOMPARE(d.VecesMostrado(), 1);
        QCOMPARE(d.Cargas().front().usuario, QStringLiteral("DEMO"));
        QCOMPARE(sesion().gUsuarioSistema, QStringLiteral("DEMO"));
        QCOMPARE(s.Contar(QStringLiteral("Control_Acceso")), 1);
    }

    void baseInexistenteAvisaYTermina() {
        SesionPrueba s(false, QStringLiteral("EMPRESA"));
        s.guion().ResponderMsgBox(vb::No, QStringLiteral("Desea Intentarlo Nuevamente"));
        QString cadena;
        QVERIFY_THROWS_EXCEPTION(
            ProgramaTerminado,
            IniciarAplicacion(false, QStringLiteral("@server=SQLITE; @dbname=NOEXISTE; @usuario=DEMO; @Password=x;"), cadena, 3));
        QCOMPARE(s.guion().UltimaCaja().titulo, QStringLiteral(" Error de Conexion a Base de Datos"));
        QVERIFY(!QFile::exists(s.base().Carpeta() + QStringLiteral("/NOEXISTE.db")));
    }

    void sinParametrosSePidenLosDatosDeConexion() {
        SesionPrueba s(false, QStringLiteral("EMPRESA"));
        DialogoGuion d;
        d.Encolar({true, QStringLiteral("EMPRESA"), QStringLiteral("SQLITE"), QStringLiteral("DEMO"), QStringLiteral("demo")});
        QString cadena;
        IniciarAplicacion(false, QString(), cadena, 3);
        QCOMPARE(d.VecesMostrado(), 1);
        QVERIFY(gBaseDatos().gOpenFlag);
        QCOMPARE(gBaseDatos().gDBName, QStringLiteral("EMPRESA"));
    }

    void menuExesArrancaElProgramaDeLaCarpeta() {
        SesionPrueba s(false);
        sesion().gUsuarioSistema = QStringLiteral("JUAN");
        const QString prog = s.base().Carpeta() + QStringLiteral("/v_zormap_asistente");
        QFile f(prog);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n");
        f.close();
        QString adicional = QStringLiteral("primero segundo");
        qint64 pid = 0;
        MenuExes(QStringLiteral("shell:v_zormap_asistente"), adicional, pid);
        QCOMPARE(adicional, QStringLiteral("segundo"));
        QCOMPARE(pid, 4242);
        QCOMPARE(s.guion().Arranques().size(), 1);
        QCOMPARE(s.guion().Arranques().first().programa, prog);
        QVERIFY(s.guion().Arranques().first().argumentos.first().contains(QStringLiteral("@UsuarioLogeado = JUAN")));

        s.guion().pidArranque = 0;
        s.guion().ResponderMsgBox(vb::OK, QStringLiteral("Opcion no Implementada!"));
        MenuExes(QStringLiteral("shell:v_zormap_asistente"), adicional, pid);
        QCOMPARE(s.guion().UltimaCaja().titulo, QStringLiteral("Atención"));
        QCOMPARE(s.guion().UltimaCaja().texto,
                 QStringLiteral("Opcion no Implementada!\rComuniquese con su proveedor de sistemas"));
    }

    // Installed, the program folder is the user's and the companions sit beside the executable.
    void menuExesBuscaElProgramaJuntoAlEjecutable() {
        SesionPrueba s(false);
        const QString prog = QCoreApplication::applicationDirPath() + QStringLiteral("/v_zormap_asistente");
        QVERIFY(!QFileInfo::exists(prog));
        QFile f(prog);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        const auto borrar = qScopeGuard([&] { QFile::remove(prog); });
        QString adicional;
        qint64 pid = 0;
        MenuExes(QStringLiteral("shell:v_zormap_asistente"), adicional, pid);
        QCOMPARE(pid, 4242);
        QCOMPARE(s.guion().Arranques().first().programa, prog);
    }

    void menuExesSinElProgramaInformaElError() {
        SesionPrueba s(false);
        s.guion().ResponderMsgBox(vb::Abort, QStringLiteral("Ha ocurrido el Siguiente Error (53)"));
        QString adicional;
        qint64 pid = 99;
        MenuExes(QStringLiteral("shell:v_zormap_Diagrama"), adicional, pid);
        QCOMPARE(pid, 0);
        QCOMPARE(s.guion().UltimaCaja().titulo, QStringLiteral("MA_POSICIONES - MenuExes Aviso al operador!!! - 2 "));
        QVERIFY(s.guion().Arranques().isEmpty());
    }
};

QTEST_MAIN(TstInicio)
#include "tst_inicio.moc"
