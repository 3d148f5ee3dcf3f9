#include "core/ParametrosInicio.h"

#include <QtTest>

// The parameter string the suite's programs hand each other, and the texts derived from it.
class TstParametrosInicio : public QObject {
    Q_OBJECT

private slots:
    void itemsConBlancosTrasElIgual() {
        const QString p = QStringLiteral("@server= SRV01; @dbname= VENTAS; @usuario= JUAN; @Password= secreta; @Caja= 3;");
        QCOMPARE(inicio::ExtraerItem(p, QStringLiteral("@Server")).value(), QStringLiteral("SRV01"));
        QCOMPARE(inicio::ExtraerItem(p, QStringLiteral("@DbName")).value(), QStringLiteral("VENTAS"));
        QCOMPARE(inicio::ExtraerItem(p, QStringLiteral("@Usuario")).value(), QStringLiteral("JUAN"));
        QCOMPARE(inicio::ExtraerItem(p, QStringLiteral("@Password")).value(), QStringLiteral("secreta"));
        QCOMPARE(inicio::ExtraerItem(p, QStringLiteral("@Caja")).value(), QStringLiteral("3"));
        QVERIFY(!inicio::ExtraerItem(p, QStringLiteral("@UsuarioLogeado")).has_value());
        QVERIFY(!inicio::ExtraerItem(p, QStringLiteral("@Menu")).has_value());
    }

    void ultimoItemSinPuntoYComaNoDaValor() {
        const QString p = QStringLiteral("@server=SRV; @Caja=3");
        QCOMPARE(inicio::ExtraerItem(p, QStringLiteral("@server")).value(), QStringLiteral("SRV"));
        QVERIFY(!inicio::ExtraerItem(p, QStringLiteral("@Caja")).has_value());
    }

    void laPrimeraAparicionGanaAunqueSeaElComienzoDeOtroNombre() {
        const QString p = QStringLiteral("@UsuarioLogeado = ANA; @server=X;");
        // "@Usuario" finds the start of "@UsuarioLogeado": the value runs from after "@Usuario".
        QCOMPARE(inicio::ExtraerItem(p, QStringLiteral("@Usuario")).value(), QStringLiteral("Logeado  ANA"));
        QCOMPARE(inicio::ExtraerItem(p, QStringLiteral("@usuariologeado")).value(), QStringLiteral("ANA"));
    }

    void nombreServidor() {
        QCOMPARE(inicio::NombreServidor(QStringLiteral("tcp:/SRV01:1433")), QStringLiteral("SRV01"));
        QCOMPARE(inicio::NombreServidor(QStringLiteral("SRV01\\INST")), QStringLiteral("SRV01\\INST"));
        QCOMPARE(inicio::NombreServidor(QStringLiteral("SRV01:1500")), QStringLiteral("SRV01"));
    }

    void comandosDeMenuExes() {
        const QString params = inicio::CadenaMenuExes(QStringLiteral("SRV"), QStringLiteral("DB"), QStringLiteral("JUAN"),
                                                      QStringLiteral("x"), QStringLiteral(""), QStringLiteral("1"));
        QCOMPARE(params, QStringLiteral(" ; @server=SRV; @dbname=DB; @usuario=JUAN; @Password=x; @ParametroAdicional=; orbe@ ; "
                                        "@UsuarioLogeado = JUAN; @Caja=1;"));
        QCOMPARE(inicio::ComandoMenuExes(QStringLiteral("shell:v_zormap_asistente"), QStringLiteral("/opt/suite/"), params),
                 QStringLiteral("/opt/suite/v_zormap_asistente") + params);
        QCOMPARE(inicio::ComandoMenuExes(QStringLiteral("shell:C:\\suite\\prog"), QStringLiteral("/opt/suite/"), params),
                 QStringLiteral("C:\\suite\\prog") + params);
        QCOMPARE(inicio::ComandoMenuExes(QStringLiteral("otro"), QStringLiteral("/opt/suite/"), params),
                 QStringLiteral("/opt/suite/otro") + params);
        // The string written is read back by the start-up of the started program.
        QCOMPARE(inicio::ExtraerItem(params, QStringLiteral("@Usuario")).value(), QStringLiteral("JUAN"));
        QCOMPARE(inicio::ExtraerItem(params, QStringLiteral("@UsuarioLogeado")).value(), QStringLiteral("JUAN"));
        QCOMPARE(inicio::ExtraerItem(params, QStringLiteral("@Caja")).value(), QStringLiteral("1"));
    }

    void puestoDeTrabajoYSeccion() {
        QCOMPARE(inicio::PuestoTrabajo(QStringLiteral("pc7"), QStringLiteral("ana")), QStringLiteral("PC7|ANA"));
        const QString largo = inicio::PuestoTrabajo(QString(40, QLatin1Char('e')), QString(20, QLatin1Char('u')));
        QCOMPARE(largo.size(), 50);
        QVERIFY(largo.startsWith(QString(40, QLatin1Char('E')) + QLatin1Char('|')));
        QCOMPARE(inicio::SeccionBaseDatos(QStringLiteral("PC7"), QStringLiteral("ana")), QStringLiteral("PC7|ANABaseDeDatos"));
        // The database section is not cut to 50 characters.
        QCOMPARE(inicio::SeccionBaseDatos(QString(60, QLatin1Char('e')), QStringLiteral("u")).size(), 60 + 1 + 1 + 11);
    }
};

QTEST_GUILESS_MAIN(TstParametrosInicio)
#include "tst_parametrosinicio.moc"
