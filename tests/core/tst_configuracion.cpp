#include "SesionPrueba.h"
#include "core/Auditoria.h"
#include "core/Configuracion.h"
#include "db/DB_Dll.h"
#include "services/Sesion.h"

#include <QtTest>

// The configuration table as the suite's programs share it, and the audit rows.
class TstConfiguracion : public QObject {
    Q_OBJECT

private slots:
    void claveFaltanteEsUnBlancoYTemaUno() {
        SesionPrueba s;
        QString aux = QStringLiteral("previo");
        QCOMPARE(Cfg(QStringLiteral("CLAVE_QUE_NO_EXISTE"), aux), QStringLiteral(" "));
        QCOMPARE(aux, QString());
        QCOMPARE(Cfg(QStringLiteral("THEME")), QStringLiteral("1"));
    }

    // A key with blanks around it or a quote is found again as it was stored: a second write
    // changes the row instead of adding one, and the value reads back.
    void claveConBlancosYComillaSeReescribe() {
        SesionPrueba s;
        for (const char* valor : {"uno", "dos"})
            GrabaCfg(QStringLiteral(" Rel'Comilla  "), QString::fromLatin1(valor), QString(), false, QStringLiteral("DATOS"),
                     true, false);
        QCOMPARE(s.Contar(QStringLiteral("TA_CONFIGURACION WHERE Clave = 'REL''COMILLA'")), 1);
        QCOMPARE(Cfg(QStringLiteral("rel'comilla")), QStringLiteral("dos"));
        QVERIFY(s.guion().Cajas().isEmpty());
    }

    // A missing table is said once per start-up, naming it, however many reads meet it.
    void tablaQueFaltaSeAvisaUnaVez() {
        SesionPrueba s;
        s.Sql(QStringLiteral("DROP TABLE TA_CONFIGURACION"));
        s.guion().ResponderMsgBox(vb::Abort, QStringLiteral("ta_configuracion"));
        CargaConfiguracion(s.base().Carpeta() + QLatin1Char('/'));
        for (int i = 0; i < 5; ++i) QCOMPARE(Cfg(QStringLiteral("LAYOUT_NIVEL1")), QStringLiteral(" "));
        QCOMPARE(s.guion().Cajas().size(), 1);
    }

    void conLaConexionCerradaNoSeConsulta() {
        SesionPrueba s(false);
        QString aux = QStringLiteral("intacto");
        QCOMPARE(Cfg(QStringLiteral("CFondo"), aux), QString());
        QCOMPARE(aux, QStringLiteral("intacto"));
    }

    void grabarRecortaCambiaYBorra() {
        SesionPrueba s;
        GrabaCfg(QStringLiteral("  nueva_clave "), QStringLiteral("  valor "), QStringLiteral(" aux "), false,
                 QStringLiteral("DATOS"), true, false);
        QCOMPARE(s.Sql(QStringLiteral("SELECT Clave FROM TA_CONFIGURACION WHERE Clave = 'NUEVA_CLAVE'")),
                 QStringLiteral("NUEVA_CLAVE"));
        QString aux;
        QCOMPARE(Cfg(QStringLiteral("nueva_clave"), aux), QStringLiteral("valor"));
        QCOMPARE(aux, QStringLiteral("aux"));
        const int filas = s.Contar(QStringLiteral("TA_CONFIGURACION"));
        GrabaCfg(QStringLiteral("NUEVA_CLAVE"), QStringLiteral("si"), QString(), false, QStringLiteral("DATOS"), true, false);
        QCOMPARE(s.Contar(QStringLiteral("TA_CONFIGURACION")), filas);  // the same row changed
        QCOMPARE(Cfg(QStringLiteral("NUEVA_CLAVE"), aux), QStringLiteral("si"));
        QCOMPARE(aux, QStringLiteral("aux"));  // an empty auxiliary value leaves the stored one
        GrabaCfg(QStringLiteral("NUEVA_CLAVE"), QString(), QString(), false, QStringLiteral("DATOS"), true, true);
        QCOMPARE(s.Contar(QStringLiteral("TA_CONFIGURACION")), filas - 1);
        QVERIFY(s.guion().Cajas().isEmpty());
    }

    void cargaDeLaSesion() {
        SesionPrueba s;
        s.Sql(QStringLiteral("UPDATE TA_CONFIGURACION SET Valor = 'si' WHERE Clave = 'SS_CONFIDENCIALIDAD'"));
        s.Sql(QStringLiteral("DELETE FROM TA_CONFIGURACION WHERE Clave = 'CFondo'"));
        s.Sql(QStringLiteral("DELETE FROM TA_CONFIGURACION WHERE Clave = 'CLetra'"));
        s.Sql(QStringLiteral("INSERT INTO TA_CONFIGURACION (Grupo, Clave, Valor) VALUES ('DATOS','CLetra','255')"));
        sesion().gUsuarioSistema = QStringLiteral("NADIE");  // a user without a business unit
        CargaConfiguracion(s.base().Carpeta() + QLatin1Char('/'));
        QVERIFY(sesion().gConfidencialidad);
        QCOMPARE(sesion().gColorFondo, 16776960L);
        QCOMPARE(sesion().gColorLetra, 255L);
        QCOMPARE(sesion().gUnidadNegocio, QStringLiteral("   1"));
        QCOMPARE(sesion().gTablaConfiguracion, QStringLiteral("ta_configuracion"));
        QVERIFY(sesion().gCondicionIva >= 1);
        QVERIFY(gConfiguracion().contains(QStringLiteral("MostrarStockenConsultas")));
        QVERIFY(!gConfiguracion().value(QStringLiteral("Top_Default")).toString().trimmed().isEmpty());
        QVERIFY(s.guion().Cajas().isEmpty());
    }

    void datosDeEmpresaConCaidaALaConfiguracionGeneral() {
        SesionPrueba s;
        DatosDeEmpresa d;
        DatosEmpresa(QStringLiteral("1"), d);  // fitted to "   1"
        QVERIFY2(!d.RazonSocial.trimmed().isEmpty(), "razon social");
        DatosDeEmpresa n;
        DatosEmpresa(QStringLiteral("9999"), n);  // unknown: company-wide values
        QCOMPARE(n.RazonSocial, Cfg(QStringLiteral("NOMBRE")));
        QVERIFY(n.Domicilio.contains(QStringLiteral("  ")));
    }

    void accionDeComprobanteYErrorDeProceso() {
        SesionPrueba s;
        sesion().gUsuarioSistema = QStringLiteral("JUAN");
        QString complemento;
        GrabaAccionComprobante(QString(), QString(), complemento, true, false, false,
                               QStringLiteral("Intento de inicio de sesion fallido"), QString(), false);
        QCOMPARE(complemento, QStringLiteral("0"));
        QCOMPARE(s.Contar(QStringLiteral("V_MV_CPTEACCIONES")), 1);
        QCOMPARE(s.Sql(QStringLiteral(
                     "SELECT Tipo_accion || '|' || IdComplemento || '|' || SYSTEMUSER || '|' || Usuario FROM V_MV_CPTEACCIONES")),
                 QStringLiteral("A|0|Intento de inicio de sesion fallido|JUAN"));
        QString proceso;
        GrabaErrorProceso(QStringLiteral("SELECT 1"), proceso, 547, QString(300, QLatin1Char('x')));
        QCOMPARE(proceso, QStringLiteral("MA_POSICIONES"));
        QCOMPARE(s.Sql(QStringLiteral("SELECT length(Descripcion) FROM AUX_ERR")), QStringLiteral("250"));
        QCOMPARE(s.Sql(QStringLiteral("SELECT Error || '|' || Sql || '|' || PC FROM AUX_ERR")),
                 QStringLiteral("547|SELECT 1|PC7"));
        QVERIFY(s.guion().Cajas().isEmpty());

        // A process text longer than its column is cut to it: the row is kept, not refused.
        s.Sql(QStringLiteral("DELETE FROM AUX_ERR"));
        proceso = QStringLiteral("P") + QString(400, QLatin1Char('y'));
        GrabaErrorProceso(QStringLiteral("SELECT 2"), proceso, 0, QStringLiteral("corto"));
        QCOMPARE(s.Contar(QStringLiteral("AUX_ERR")), 1);
        QCOMPARE(
            s.Sql(QStringLiteral("SELECT length(Proceso) || '|' || substr(Proceso, 1, 2) || '|' || Descripcion FROM AUX_ERR")),
            QStringLiteral("255|Py|corto"));
    }
};

QTEST_MAIN(TstConfiguracion)
#include "tst_configuracion.moc"
