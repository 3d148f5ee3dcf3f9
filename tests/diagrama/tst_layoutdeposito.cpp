#include "Armado.h"
#include "diagrama/GeometriaDiagrama.h"

#include <QtTest>

using namespace diagrama;

// The warehouse read into aisles, racks and cells: parents by the level rule, what does not fit
// the levels, states, search and the sums compared with the database's.
class TstLayoutDeposito : public QObject {
    Q_OBJECT

    static QStringList Codigos(const LayoutDeposito& l, int n) {
        QStringList r;
        for (int i = 0; i < l.CantidadHijos(n); ++i) r << l.Codigo(l.Hijo(n, i)).toString();
        return r;
    }
    static QStringList CodigosCalles(const LayoutDeposito& l) {
        QStringList r;
        for (const int c : l.Calles()) r << l.Codigo(c).toString();
        return r;
    }

private slots:
    void rolesPorLaReglaDeNiveles_data() {
        QTest::addColumn<QList<int>>("largos");
        QTest::addColumn<QStringList>("codigos");
        QTest::addColumn<QStringList>("calles");
        QTest::addColumn<QString>("padre");  // of the last code
        QTest::addColumn<int>("rol");        // of the last code
        QTest::newRow("2,2,2") << QList<int>{2, 2, 2, 0} << QStringList{"01", "0101", "010101", "02"} << QStringList{"01", "02"}
                               << QString() << 1;
        QTest::newRow("celda") << QList<int>{2, 2, 2, 0} << QStringList{"01", "0101", "010101"} << QStringList{"01"}
                               << QStringLiteral("0101") << 3;
        // A level of length 0 is skipped: the first level with characters gives the aisles.
        QTest::newRow("primero en 0") << QList<int>{0, 2, 2, 0} << QStringList{"01", "0101"} << QStringList{"01"}
                                      << QStringLiteral("01") << 2;
        QTest::newRow("segundo en 0") << QList<int>{2, 0, 2, 0} << QStringList{"01", "0101"} << QStringList{"01"}
                                      << QStringLiteral("01") << 2;
        QTest::newRow("cuarto nivel") << QList<int>{1, 1, 1, 1} << QStringList{"1", "11", "111", "1111"} << QStringList{"1"}
                                      << QStringLiteral("111") << 4;
    }
    void rolesPorLaReglaDeNiveles() {
        QFETCH(QList<int>, largos);
        QFETCH(QStringList, codigos);
        QFETCH(QStringList, calles);
        QFETCH(QString, padre);
        QFETCH(int, rol);
        LayoutDeposito l;
        armado::Llenar(l, armado::Niveles({largos[0], largos[1], largos[2], largos[3]}), codigos);
        QCOMPARE(CodigosCalles(l), calles);
        const int ultimo = l.Buscar(codigos.last());
        QCOMPARE(l.Padre(ultimo) < 0 ? QString() : l.Codigo(l.Padre(ultimo)).toString(), padre);
        QCOMPARE(l.Rol(ultimo), rol);
        QCOMPARE(l.Banda(), -1);
        QVERIFY(l.Avisos().isEmpty());
    }

    void loQueNoEntraVaALaBanda() {
        LayoutDeposito l;
        // 010101 waits for 0101, 0201 for 02 (a rack without its aisle), 0101010 fits no level.
        armado::Llenar(l, armado::Niveles({2, 2, 2, 0}), {"01", "010101", "010102", "0201", "020101", "0101010"});
        QCOMPARE(CodigosCalles(l), (QStringList{"01", ""}));
        const int banda = l.Banda();
        QCOMPARE(l.Calles().back(), banda);
        QCOMPARE(l.ClaseNodo(banda), Clase::Banda);
        // In order of first appearance: the stand-in for 0101, the rack 0201, the irregular group.
        QCOMPARE(Codigos(l, banda), (QStringList{"0101", "0201", ""}));
        const int ausente = l.Hijo(banda, 0);
        QCOMPARE(l.ClaseNodo(ausente), Clase::Ausente);
        QVERIFY(!l.EsPosicion(ausente));
        QCOMPARE(Codigos(l, ausente), (QStringList{"010101", "010102"}));
        QCOMPARE(Codigos(l, l.Buscar(u"0201")), QStringList{"020101"});
        QCOMPARE(l.ClaseNodo(l.Buscar(u"020101")), Clase::Normal);
        QCOMPARE(Codigos(l, l.Hijo(banda, 2)), QStringList{"0101010"});

        const int huerfana = l.Buscar(u"010101");
        QCOMPARE(l.ClaseNodo(huerfana), Clase::SinNivelSuperior);
        QCOMPARE(l.PadreFaltante(huerfana), QStringLiteral("0101"));
        QCOMPARE(l.PrefijoExistente(huerfana), QStringLiteral("01"));  // where the editor's tree hangs it
        QCOMPARE(l.PrefijoExistente(l.Buscar(u"0201")), QString());
        QCOMPARE(l.ClaseNodo(l.Buscar(u"0101010")), Clase::Irregular);
        QCOMPARE(l.CantidadFuera(), 5);
        QCOMPARE(l.Rol(l.Buscar(u"020101")), 3);
        QVERIFY(l.Avisos().join(QLatin1Char('\n')).contains(QStringLiteral("1 posición(es) con un código que no corresponde")));
        QVERIFY(l.Avisos().join(QLatin1Char('\n')).contains(QStringLiteral("3 posición(es) sin nivel superior")));
    }

    void nivelesSinConfigurarOVacio() {
        LayoutDeposito l;
        armado::Llenar(l, armado::Niveles({0, 0, 0, 0}), {"01", "0101"});
        QCOMPARE(l.CantidadFuera(), 2);
        QVERIFY(l.Avisos().first().startsWith(QStringLiteral("Los niveles del layout no están configurados")));
        LayoutDeposito vacio;
        armado::Llenar(vacio, armado::Niveles({2, 2, 2, 0}), {});
        QVERIFY(vacio.Vacio());
        QCOMPARE(vacio.Avisos(), QStringList{QStringLiteral("El depósito no tiene posiciones.")});
        GeometriaDiagrama g;
        g.Calcular(vacio);
        QVERIFY(g.Limites().height() > 0);  // room for the notice, nothing else
        QCOMPARE(g.NodoEn(g.Limites().center()), -1);
    }

    void codigosRecortadosYRepetidos() {
        LayoutDeposito l;
        armado::Llenar(l, armado::Niveles({2, 2, 2, 0}), {" 01 ", "a1", "A1", "   "});
        QCOMPARE(l.Codigo(0), u"01");
        QCOMPARE(l.Buscar(u" 01"), 0);
        QCOMPARE(l.Buscar(u"A1"), 1);  // letter case ignored, as the database compares codes
        QCOMPARE(l.ClaseNodo(2), Clase::Irregular);
        QCOMPARE(l.ClaseNodo(3), Clase::Irregular);
    }

    void estadoDelMasUrgente() {
        QCOMPARE(EstadoDe(0), Estado::Libre);
        QCOMPARE(EstadoDe(MarcaPicking), Estado::Picking);
        QCOMPARE(EstadoDe(MarcaConReserva | MarcaPicking), Estado::Reservado);
        QCOMPARE(EstadoDe(MarcaReservado | MarcaCompleta), Estado::Completa);
        QCOMPARE(EstadoDe(MarcaCompleta | MarcaBloqueado), Estado::Bloqueado);
        QCOMPARE(EstadoDe(MarcaBloqueado | MarcaTitulo), Estado::Titulo);
    }

    void coincidenciasDeLaMejorALaPeor() {
        LayoutDeposito l;
        const NivelesLayout n = armado::Niveles({2, 2, 2, 0});
        l.Comenzar(n);
        const QString larga(10000, QLatin1Char('x'));
        l.Agregar(u"0101", u"Pasillo de O'Brien", 1, u"UN", 0);
        l.Agregar(u"01", u"Calle", 1, u"UN", 0);
        l.Agregar(u"02", QString(larga + QStringLiteral("fin")), 1, u"UN", 0);
        l.Agregar(u"1001", u"contiene 01", 1, u"UN", 0);
        l.Terminar();
        auto codigos = [&](const QString& t) {
            QStringList r;
            for (const int i : l.Coincidencias(t)) r << l.Codigo(i).toString();
            return r;
        };
        // The code itself, then codes beginning with it, codes holding it, descriptions.
        QCOMPARE(codigos(QStringLiteral(" 01 ")), (QStringList{"01", "0101", "1001"}));
        QCOMPARE(codigos(QStringLiteral("o'brien")), QStringList{"0101"});
        QCOMPARE(codigos(QStringLiteral("XFIN")), QStringList{"02"});  // 10,000 characters kept whole
        QCOMPARE(l.Descripcion(l.Buscar(u"02")).size(), 10003);
        QVERIFY(codigos(QString()).isEmpty());
        QVERIFY(codigos(QStringLiteral("zz")).isEmpty());
    }

    // A million positions in one aisle, as racks along it and as cells stacked in one rack: built,
    // found and placed without walking them more than once each.
    void unMillonEnUnaCalle_data() {
        QTest::addColumn<bool>("apiladas");
        QTest::newRow("racks") << false;
        QTest::newRow("celdas") << true;
    }
    void unMillonEnUnaCalle() {
        QFETCH(bool, apiladas);
        constexpr int kMillon = 1000000;
        LayoutDeposito l;
        l.Comenzar(apiladas ? armado::Niveles({2, 2, 6, 0}) : armado::Niveles({2, 6, 0, 0}), kMillon + 2);
        l.Agregar(u"01", u"Calle", 0, u"", MarcaTitulo);
        if (apiladas) l.Agregar(u"0101", u"Rack", 0, u"", MarcaTitulo);
        const QString prefijo = apiladas ? QStringLiteral("0101") : QStringLiteral("01");
        for (int i = 0; i < kMillon; ++i)
            l.Agregar(prefijo + QString::number(i).rightJustified(6, QLatin1Char('0')), u"", 10, u"UN", 0);
        l.Terminar();
        QCOMPARE(l.CantidadPosiciones(), kMillon + (apiladas ? 2 : 1));
        GeometriaDiagrama g;
        g.Calcular(l);
        const int ultima = l.Buscar(QString(prefijo + QStringLiteral("999999")));
        QVERIFY(ultima >= 0);
        const QRectF r = g.RectNodo(ultima);
        QVERIFY(!r.isEmpty());
        QCOMPARE(g.NodoEn(r.center()), ultima);
        QVERIFY(g.LineasEn(QRectF(r.center(), QSizeF(1, 1))).size() == 1);
        // Not a strip a million racks long: the drawing keeps a shape a window can show.
        const double forma = g.Limites().width() / g.Limites().height();
        if (!apiladas) QVERIFY2(forma > 0.5 && forma < 3, qPrintable(QString::number(forma)));
    }
};

QTEST_GUILESS_MAIN(TstLayoutDeposito)
#include "tst_layoutdeposito.moc"
