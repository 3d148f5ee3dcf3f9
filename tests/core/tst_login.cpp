#include "DialogoGuion.h"
#include "SesionPrueba.h"
#include "core/Login.h"
#include "db/DB_Dll.h"
#include "services/FuncionesComunes.h"
#include "services/Sesion.h"

#include <QtTest>

// Application users, the three tries in the connection window and the access record.
class TstLogin : public QObject {
    Q_OBJECT

private slots:
    void usuarioIgualALaBaseSinLeerTabla() {
        SesionPrueba s;
        s.Sql(QStringLiteral("DROP TABLE TA_USUARIOS"));  // proves that nothing is read
        QVERIFY(ValidaUsuario(QStringLiteral("demo"), QStringLiteral("cualquiera")));
        QCOMPARE(sesion().gUsuarioSistema, QStringLiteral("demo"));
    }

    void claveSinMayusculasYUsuarioAunqueFalle() {
        SesionPrueba s;
        QVERIFY(ValidaUsuario(QStringLiteral("DEMO2"), QStringLiteral("x")) == false);
        s.Sql(QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE, SISTEMA, Password) VALUES ('PEDRO','ORBE','") +
              FuncionesComunes::instancia().Codificar(QStringLiteral("Secreta")) + QStringLiteral("')"));
        QVERIFY(ValidaUsuario(QStringLiteral("PEDRO"), QStringLiteral("SECRETA")));
        sesion().gUsuarioSistema.clear();
        QVERIFY(!ValidaUsuario(QStringLiteral("PEDRO"), QStringLiteral("otra")));
        QCOMPARE(sesion().gUsuarioSistema, QStringLiteral("PEDRO"));  // set even with a wrong password
        // A typed quote never breaks the query: quotes are removed from values, as everywhere.
        QVERIFY(ValidaUsuario(QStringLiteral("PE'DRO"), QStringLiteral("SECRETA")));
        QVERIFY(s.guion().Cajas().isEmpty());
    }

    void tresIntentosFallidosTerminan() {
        SesionPrueba s(true, QStringLiteral("EMPRESA"));
        DialogoGuion d;
        for (int i = 0; i < 3; ++i)
            d.Encolar({true, s.base().Nombre(), QStringLiteral("SQLITE"), QStringLiteral("DEMO"), QStringLiteral("mala")});
        s.guion().ResponderMsgBox(vb::OK, QStringLiteral("El usuario o clave en la base de datos es incorrecto!"));
        for (int i = 0; i < 3; ++i) s.guion().ResponderMsgBox(vb::OK, QStringLiteral("Usuario o Clave incorrecta"));
        s.guion().ResponderMsgBox(vb::OK, QStringLiteral("Demasiados intentos para iniciar sesión!"));
        QString base, servidor;
        bool termino = false;
        try {
            ReintentoLogin(base, servidor);
        } catch (const ProgramaTerminado&) {
            termino = true;
        }
        QVERIFY(termino);
        QCOMPARE(d.VecesMostrado(), 3);
        const auto cajas = s.guion().Cajas();
        QCOMPARE(cajas.last().texto,
                 QStringLiteral("Demasiados intentos para iniciar sesión!\r\nComuniquese con el administrador de sistemas"));
        QCOMPARE(cajas.last().titulo, QStringLiteral("Atencion!"));
        QCOMPARE(cajas.at(1).titulo, QStringLiteral("Atencion"));
        QCOMPARE(cajas.at(1).estilo, 64);
        QCOMPARE(s.Contar(QStringLiteral("V_MV_CPTEACCIONES WHERE SYSTEMUSER = 'Intento de inicio de sesion fallido'")), 3);
    }

    void cancelarLaVentanaTerminaEnseguida() {
        SesionPrueba s(true, QStringLiteral("EMPRESA"));
        DialogoGuion d;
        d.Encolar({true, s.base().Nombre(), QStringLiteral("SQLITE"), QStringLiteral("DEMO"), QStringLiteral("mala")});
        DialogoGuion::Respuesta cancelar;
        cancelar.aceptar = false;
        d.Encolar(cancelar);
        s.guion().ResponderMsgBox(vb::OK);
        s.guion().ResponderMsgBox(vb::OK, QStringLiteral("Usuario o Clave incorrecta"));
        QString base, servidor;
        QVERIFY_THROWS_EXCEPTION(ProgramaTerminado, ReintentoLogin(base, servidor));
        QCOMPARE(d.VecesMostrado(), 2);
    }

    void otraBaseEscritaPideReabrirConLoEscrito() {
        SesionPrueba s(true, QStringLiteral("EMPRESA"));
        DialogoGuion d;
        d.Encolar({true, QStringLiteral("OTRA"), QStringLiteral("SRV2"), QStringLiteral("DEMO"), QStringLiteral("demo")});
        s.guion().ResponderMsgBox(vb::OK);
        QString base, servidor;
        QCOMPARE(ReintentoLogin(base, servidor), ResultadoLogin::Reabrir);
        QCOMPARE(base, QStringLiteral("OTRA"));
        QCOMPARE(servidor, QStringLiteral("SRV2"));
    }

    void cadaSesionSellaSuPropiaFila() {
        SesionPrueba s;
        sesion().gUsuarioSistema = QStringLiteral("DEMO");
        RegistraIngreso(QString());
        const qint32 primera = sesion().gIdControlAcceso;
        QVERIFY(primera > 0);
        QCOMPARE(
            s.Sql(QStringLiteral(
                      "SELECT Maquina || '|' || Usuario || '|' || Formulario || '|' || Tarea FROM Control_Acceso WHERE id = ") +
                  QString::number(primera)),
            QStringLiteral("PC7|DEMO|MA_POSICIONES|") +
                s.Sql(QStringLiteral("SELECT upper(m.Nombre) FROM TA_MENU m JOIN TA_TAREAS t ON t.TAREA = m.Clave "
                                     "WHERE t.USUARIO = 'DEMO' AND m.Proceso LIKE '%MA_POSICIONES%'")));
        // A second workstation's session, started later.
        sesion().gUsuarioSistema = QStringLiteral("OPERADOR");
        RegistraIngreso(QString());
        const qint32 segunda = sesion().gIdControlAcceso;
        QVERIFY(segunda != primera);
        RegistraEgreso();
        QVERIFY(s.Sql(QStringLiteral("SELECT EGRESO FROM Control_Acceso WHERE id = ") + QString::number(primera)).isEmpty());
        QVERIFY(!s.Sql(QStringLiteral("SELECT EGRESO FROM Control_Acceso WHERE id = ") + QString::number(segunda)).isEmpty());
        sesion().gIdControlAcceso = primera;
        RegistraEgreso();
        QVERIFY(!s.Sql(QStringLiteral("SELECT EGRESO FROM Control_Acceso WHERE id = ") + QString::number(primera)).isEmpty());
        QVERIFY(s.guion().Cajas().isEmpty());
    }

    void tareaVaciaSalvoSupervisorOLoginDeLaBase() {
        SesionPrueba s;
        sesion().gUsuarioSistema = QStringLiteral("SIN_TAREAS");
        gBaseDatos().gUsuario = QStringLiteral("otro");
        RegistraIngreso(QString());
        QCOMPARE(s.Sql(QStringLiteral("SELECT ifnull(Tarea,'') FROM Control_Acceso WHERE id = ") +
                       QString::number(sesion().gIdControlAcceso)),
                 QString());
        gBaseDatos().gUsuario = gBaseDatos().gDBName;  // the database-named login
        RegistraIngreso(QString());
        QCOMPARE(
            s.Sql(QStringLiteral("SELECT Tarea FROM Control_Acceso WHERE id = ") + QString::number(sesion().gIdControlAcceso)),
            QStringLiteral("MA_POSICIONES"));
    }

    void apostrofoQuitadoDelNombre() {
        SesionPrueba s;
        sesion().gUsuarioSistema = QStringLiteral("O'NEIL");
        RegistraIngreso(QString());
        QCOMPARE(sesion().gUsuarioSistema, QStringLiteral("ONEIL"));
        QCOMPARE(s.Sql(QStringLiteral("SELECT NombreUsuario FROM Control_Acceso WHERE id = ") +
                       QString::number(sesion().gIdControlAcceso)),
                 QStringLiteral("ONEIL"));
    }
};

QTEST_MAIN(TstLogin)
#include "tst_login.moc"
