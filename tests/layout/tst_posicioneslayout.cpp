// The rules and statements of a warehouse's positions, without a window: a QCoreApplication and
// a demo database (levels 2, 2, 2; warehouses "   1" .. "   3").
#include "SesionPrueba.h"
#include "core/SentenciasSQL.h"
#include "layout/PosicionesLayout.h"
#include "layout/QDL_RTLocator.h"

#include <QtTest>

class TstPosicionesLayout : public QObject {
    Q_OBJECT

private slots:
    // One message per rule of a code, in the operator's words; a reserved storable parent stops
    // its children only in its own warehouse.
    void reglasDelCodigo() {
        SesionPrueba s;
        ActualizarNivelesLayout();
        QCOMPARE(PosicionesLayout::ErrorDeLongitud(QStringLiteral("0101010")),
                 QStringLiteral(" Codigo Incorrecto, Supera Longitud permitida!"));
        QCOMPARE(PosicionesLayout::ErrorDeLongitud(QStringLiteral("010")), QStringLiteral(" Cantidad de Digitos Incorrecto!"));
        QCOMPARE(PosicionesLayout::ErrorDeLongitud(QStringLiteral("01'1")),
                 QStringLiteral(" Codigo Incorrecto, no puede contener comillas!"));
        QCOMPARE(PosicionesLayout::ErrorDeLongitud(QStringLiteral("0101")), QString());
        const PosicionesLayout uno(QStringLiteral("1")), dos(QStringLiteral("   2"));
        QCOMPARE(uno.Deposito(), QStringLiteral("   1"));
        QCOMPARE(uno.ErrorDelNivelSuperior(QStringLiteral("9901")),
                 QStringLiteral("No existe un Nivel Superior para Agrupar esta Posicion"));
        s.Sql(QStringLiteral(
            "UPDATE MA_POSICIONES SET Titulo = 0, IdFamilia = '0101' WHERE IdDeposito = '   1' AND IdPosicion = '0101'"));
        QCOMPARE(uno.ErrorDelNivelSuperior(QStringLiteral("010199")),
                 QStringLiteral("El Nivel Superior Recibe movimientos, no se pueden agregar niveles"));
        QCOMPARE(dos.ErrorDelNivelSuperior(QStringLiteral("010199")), QString());
        QCOMPARE(PosicionesLayout::ErrorDeCodigoRelacionado(QStringLiteral("IdUnidad"), QStringLiteral("ZZ"), false),
                 QStringLiteral(" Codigo de Unidad Inexistente!"));
        QCOMPARE(PosicionesLayout::ErrorDeCodigoRelacionado(QStringLiteral("IdUnidad"), QStringLiteral("ZZ"), true), QString());
        QCOMPARE(PosicionesLayout::ReservasQueExcluye(QStringLiteral("idfamilia")),
                 (QStringList{QStringLiteral("IdRubro"), QStringLiteral("IdTipo"), QStringLiteral("IdArticulo")}));
        QVERIFY(s.guion().Cajas().isEmpty());
    }

    // A delete takes exactly the codes that begin with the code, in its warehouse; a failed save
    // is audited and said in the database's words.
    void borrarYGrabar() {
        SesionPrueba s;
        const PosicionesLayout uno(QStringLiteral("   1"));
        s.Sql(QStringLiteral("INSERT INTO MA_POSICIONES (IdPosicion, IdDeposito) VALUES ('0_', '   1'), ('0_01', '   1')"));
        const int otros = s.Contar(QStringLiteral("MA_POSICIONES WHERE IdDeposito <> '   1'"));
        QCOMPARE(uno.Borrar(QStringLiteral("0_")), QString());
        QCOMPARE(s.Contar(QStringLiteral("MA_POSICIONES WHERE IdPosicion LIKE '0!_%' ESCAPE '!'")), 0);
        QVERIFY(s.Contar(QStringLiteral("MA_POSICIONES WHERE IdDeposito = '   1' AND IdPosicion LIKE '01%'")) > 0);
        QCOMPARE(s.Contar(QStringLiteral("MA_POSICIONES WHERE IdDeposito <> '   1'")), otros);

        AgregaCampo(QStringLiteral("IdPosicion"), QStringLiteral("01"), QStringLiteral("'"), true);
        AgregaCampo(QStringLiteral("IdDeposito"), uno.Deposito(), QStringLiteral("'"), false);
        const QString script = uno.Sentencia(QStringLiteral("MA_Posiciones"), QStringLiteral("01"), false, true);
        QVERIFY(script.startsWith(QLatin1Char('\r')));
        const int auditados = s.Contar(QStringLiteral("AUX_ERR"));
        QVERIFY(uno.Ejecutar(script).contains(QStringLiteral("PRIMARY KEY")));
        QCOMPARE(s.Contar(QStringLiteral("AUX_ERR")), auditados + 1);
        QCOMPARE(uno.Sentencia(QStringLiteral("MA_Posiciones"), QStringLiteral("01"), false, false), QString());
    }
};

QTEST_GUILESS_MAIN(TstPosicionesLayout)
#include "tst_posicioneslayout.moc"
