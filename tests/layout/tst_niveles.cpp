// The layout levels: how a position code splits into levels, read from the suite configuration
// (group "DATOS") of a copy of the demo database.
#include "SesionPrueba.h"
#include "core/Configuracion.h"
#include "layout/QDL_RTLocator.h"

#include <QtTest>

class TstNiveles : public QObject {
    Q_OBJECT

    // The keys that get a default when empty, with that default.
    static QList<QPair<QString, QString>> ClavesConDefecto() {
        return {{QStringLiteral("LAYOUT_NIVEL1"), QStringLiteral("1")},
                {QStringLiteral("LAYOUT_NIVEL2"), QStringLiteral("1")},
                {QStringLiteral("LAYOUT_NIVEL3"), QStringLiteral("1")},
                {QStringLiteral("LAYOUT_NIVEL4"), QStringLiteral("0")},
                {QStringLiteral("TIT_LAYOUT_NIVEL_1"), QStringLiteral("CALLE")},
                {QStringLiteral("TIT_LAYOUT_NIVEL_2"), QStringLiteral("POSICION")},
                {QStringLiteral("TIT_LAYOUT_NIVEL_3"), QStringLiteral("NIVEL")},
                {QStringLiteral("TIT_LAYOUT_NIVEL_4"), QString()}};
    }
    static void Poner(SesionPrueba& s, const QString& clave, const QString& valor) {
        Quitar(s, clave);
        s.Sql(
            QStringLiteral("INSERT INTO TA_CONFIGURACION (Grupo, Clave, Valor) VALUES ('DATOS', '%1', '%2')").arg(clave, valor));
    }
    static void Quitar(SesionPrueba& s, const QString& clave) {
        s.Sql(QStringLiteral("DELETE FROM TA_CONFIGURACION WHERE Clave = '%1'").arg(clave));
    }
    static QString Guardado(SesionPrueba& s, const QString& clave, const char* columna = "Valor") {
        return s.Sql(QStringLiteral("SELECT %1 FROM TA_CONFIGURACION WHERE Clave = '%2'").arg(QLatin1String(columna), clave));
    }
    static void Longitudes(SesionPrueba& s, const QStringList& valores) {
        for (int i = 0; i < 4; ++i) Poner(s, QStringLiteral("LAYOUT_NIVEL%1").arg(i + 1), valores.at(i));
    }
    // Loads the levels from a clean slate, so nothing left by an earlier test can pass for them.
    static const NivelesLayout& Cargar() {
        gNiveles() = NivelesLayout{};
        ActualizarNivelesLayout();
        return gNiveles();
    }
    static QList<int> Fines(const NivelesLayout& n) { return {n.FinNivel[1], n.FinNivel[2], n.FinNivel[3], n.FinNivel[4]}; }
    static QList<int> Largos(const NivelesLayout& n) {
        return {n.LongitudNivel[1], n.LongitudNivel[2], n.LongitudNivel[3], n.LongitudNivel[4]};
    }

private slots:
    void nivelesDelDemoSinEscribirNada() {
        SesionPrueba s;
        // Every write to the configuration is counted: reading the layout (at every tree build)
        // must not write, not even the empty fourth title over itself.
        s.Sql(QStringLiteral("CREATE TABLE ESCRITURAS (n int)"));
        for (const char* evento : {"INSERT", "UPDATE", "DELETE"})
            s.Sql(QStringLiteral(
                      "CREATE TRIGGER cuenta_%1 AFTER %1 ON TA_CONFIGURACION BEGIN INSERT INTO ESCRITURAS VALUES (1); END")
                      .arg(QLatin1String(evento)));
        const int filas = s.Contar(QStringLiteral("TA_CONFIGURACION"));
        Cargar();
        const auto& n = Cargar();
        QCOMPARE(s.Contar(QStringLiteral("ESCRITURAS")), 0);
        QCOMPARE(Largos(n), (QList<int>{2, 2, 2, 0}));
        QCOMPARE(n.LongitudTotal, 6);
        QCOMPARE(Fines(n), (QList<int>{2, 4, 6, 6}));
        QCOMPARE(n.TituloNivel[1], QStringLiteral("Calle"));
        QCOMPARE(n.TituloNivel[2], QStringLiteral("Posicion"));
        QCOMPARE(n.TituloNivel[3], QStringLiteral("Nivel"));
        QCOMPARE(n.TituloNivel[4], QString());
        QCOMPARE(n.ArticuloNivel[1], QStringLiteral("La Calle"));
        QCOMPARE(n.ArticuloNivel[2], QStringLiteral("La Posicion"));
        QCOMPARE(n.ArticuloNivel[3], QStringLiteral("El Nivel"));
        QCOMPARE(n.PluralNivel[1], QStringLiteral("Calles"));
        QCOMPARE(n.PluralNivel[2], QStringLiteral("Posiciones"));
        QCOMPARE(n.PluralNivel[3], QStringLiteral("Niveles"));
        // Every key was configured: nothing added, nothing changed.
        QCOMPARE(s.Contar(QStringLiteral("TA_CONFIGURACION")), filas);
        QCOMPARE(Guardado(s, QStringLiteral("LAYOUT_NIVEL1")), QStringLiteral("2"));
        QCOMPARE(Guardado(s, QStringLiteral("TIT_LAYOUT_NIVEL_1")), QStringLiteral("CALLE"));

        // The level of a code is decided by its trimmed length; the empty fourth level shares its
        // end with the third, and the third wins.
        QCOMPARE(n.Nivel(QStringLiteral("01")), 1);
        QCOMPARE(n.Nivel(QStringLiteral("0103")), 2);
        QCOMPARE(n.Nivel(QStringLiteral("010302")), 3);
        QCOMPARE(n.Nivel(QStringLiteral(" 0103 ")), 2);
        QCOMPARE(n.Nivel(QStringLiteral("010")), 0);
        QCOMPARE(n.Nivel(QStringLiteral("01030201")), 0);
        QVERIFY(LongitudValida(QStringLiteral("010302")));
        QVERIFY(!LongitudValida(QStringLiteral("0")));
        QCOMPARE(n.CodigoPadre(QStringLiteral("010302")), QStringLiteral("0103"));
        QCOMPARE(n.CodigoPadre(QStringLiteral("0103")), QStringLiteral("01"));
        QCOMPARE(n.CodigoPadre(QStringLiteral("01")), QString());
    }

    // Keys that hold nothing (missing, empty or blanks only) get their default in the group
    // "DATOS", once; articles and plurals never get one.
    void defectosSeEscribenUnaSolaVez() {
        SesionPrueba s;
        for (const auto& [clave, defecto] : ClavesConDefecto()) Quitar(s, clave);
        Poner(s, QStringLiteral("LAYOUT_NIVEL2"), QStringLiteral("  "));
        Poner(s, QStringLiteral("TIT_LAYOUT_NIVEL_3"), QString());
        for (int i = 1; i <= 4; ++i) {
            Quitar(s, QStringLiteral("ARTICULO_LAYOUT_NIVEL_%1").arg(i));
            Quitar(s, QStringLiteral("PLURAL_LAYOUT_NIVEL_%1").arg(i));
        }
        const int filas = s.Contar(QStringLiteral("TA_CONFIGURACION"));

        const auto& n = Cargar();
        for (const auto& [clave, defecto] : ClavesConDefecto()) {
            QCOMPARE(s.Contar(QStringLiteral("TA_CONFIGURACION WHERE Clave = '%1'").arg(clave)), 1);
            QCOMPARE(Guardado(s, clave), defecto);
            QCOMPARE(Guardado(s, clave, "Grupo"), QStringLiteral("DATOS"));
            QCOMPARE(Cfg(clave), defecto);  // "" for the fourth title: present, not missing (" ")
        }
        QCOMPARE(s.Contar(QStringLiteral("TA_CONFIGURACION")), filas + 6);
        QCOMPARE(s.Contar(QStringLiteral("TA_CONFIGURACION WHERE Clave LIKE 'ARTICULO_LAYOUT%' OR Clave LIKE 'PLURAL_LAYOUT%'")),
                 0);
        QCOMPARE(Largos(n), (QList<int>{1, 1, 1, 0}));
        QCOMPARE(n.LongitudTotal, 3);
        QCOMPARE(Fines(n), (QList<int>{1, 2, 3, 3}));
        QCOMPARE(n.Nivel(QStringLiteral("123")), 3);
        QCOMPARE(n.TituloNivel[1], QStringLiteral("Calle"));
        QCOMPARE(n.TituloNivel[2], QStringLiteral("Posicion"));
        QCOMPARE(n.TituloNivel[3], QStringLiteral("Nivel"));
        QCOMPARE(n.TituloNivel[4], QString());

        // Stored values are kept as they are, and every load reads them again.
        s.Sql(QStringLiteral("UPDATE TA_CONFIGURACION SET Valor = '3' WHERE Clave = 'LAYOUT_NIVEL1'"));
        s.Sql(QStringLiteral("UPDATE TA_CONFIGURACION SET Valor = 'pasillo' WHERE Clave = 'TIT_LAYOUT_NIVEL_1'"));
        const auto& otra = Cargar();
        QCOMPARE(s.Contar(QStringLiteral("TA_CONFIGURACION")), filas + 6);
        QCOMPARE(Guardado(s, QStringLiteral("LAYOUT_NIVEL1")), QStringLiteral("3"));
        QCOMPARE(Guardado(s, QStringLiteral("TIT_LAYOUT_NIVEL_1")), QStringLiteral("pasillo"));
        QCOMPARE(Largos(otra), (QList<int>{3, 1, 1, 0}));
        QCOMPARE(otra.LongitudTotal, 5);
        QCOMPARE(Fines(otra), (QList<int>{3, 4, 5, 5}));
        QCOMPARE(otra.TituloNivel[1], QStringLiteral("Pasillo"));
    }

    // A length is the leading number of its text, rounded with halves to the even neighbour;
    // text without a leading number counts 0. A value of blanks only is empty: it gets "1".
    void longitudPorSuNumeroInicial_data() {
        QTest::addColumn<QString>("valor");
        QTest::addColumn<int>("largo");
        QTest::addColumn<QString>("guardado");
        QTest::newRow("2.5") << QStringLiteral("2.5") << 2 << QStringLiteral("2.5");
        QTest::newRow("3.5") << QStringLiteral("3.5") << 4 << QStringLiteral("3.5");
        QTest::newRow("2.51") << QStringLiteral("2.51") << 3 << QStringLiteral("2.51");
        QTest::newRow("3abc") << QStringLiteral("3abc") << 3 << QStringLiteral("3abc");
        QTest::newRow("abc") << QStringLiteral("abc") << 0 << QStringLiteral("abc");
        QTest::newRow("blanks around") << QStringLiteral(" 4 ") << 4 << QStringLiteral(" 4 ");
        QTest::newRow("25") << QStringLiteral("25") << 25 << QStringLiteral("25");
        QTest::newRow("blanks only") << QStringLiteral("   ") << 1 << QStringLiteral("1");
    }
    void longitudPorSuNumeroInicial() {
        QFETCH(QString, valor);
        QFETCH(int, largo);
        QFETCH(QString, guardado);
        SesionPrueba s;
        Longitudes(s, {QStringLiteral("2"), valor, QStringLiteral("2"), QStringLiteral("0")});
        const auto& n = Cargar();
        QCOMPARE(n.LongitudNivel[2], largo);
        QCOMPARE(n.LongitudTotal, 4 + largo);
        QCOMPARE(Fines(n), (QList<int>{2, 2 + largo, 4 + largo, 4 + largo}));
        QCOMPARE(Guardado(s, QStringLiteral("LAYOUT_NIVEL2")), guardado);
        QCOMPARE(LongitudDeTexto(guardado), largo);
    }

    // Titles and plurals in proper case; an article joins its title with one blank. Keys that are
    // not configured read as one blank, and so they count.
    void titulosArticulosYPlurales() {
        SesionPrueba s;
        Poner(s, QStringLiteral("TIT_LAYOUT_NIVEL_1"), QStringLiteral("pasillo central"));
        Poner(s, QStringLiteral("ARTICULO_LAYOUT_NIVEL_1"), QStringLiteral("el"));
        Poner(s, QStringLiteral("PLURAL_LAYOUT_NIVEL_1"), QStringLiteral("PASILLOS CENTRALES"));
        Poner(s, QStringLiteral("TIT_LAYOUT_NIVEL_2"), QStringLiteral("ÁREA de CARGA"));
        Poner(s, QStringLiteral("ARTICULO_LAYOUT_NIVEL_2"), QStringLiteral("EL"));
        Poner(s, QStringLiteral("PLURAL_LAYOUT_NIVEL_2"), QStringLiteral("áreas de carga"));
        Poner(s, QStringLiteral("ARTICULO_LAYOUT_NIVEL_3"), QStringLiteral("el"));  // title "NIVEL" from the demo
        Quitar(s, QStringLiteral("PLURAL_LAYOUT_NIVEL_3"));
        // Written by hand with blanks around: only an all-blank title is replaced.
        Poner(s, QStringLiteral("TIT_LAYOUT_NIVEL_4"), QStringLiteral(" estante "));
        Quitar(s, QStringLiteral("ARTICULO_LAYOUT_NIVEL_4"));
        Quitar(s, QStringLiteral("PLURAL_LAYOUT_NIVEL_4"));

        const auto& n = Cargar();
        QCOMPARE(n.TituloNivel[1], QStringLiteral("Pasillo Central"));
        QCOMPARE(n.ArticuloNivel[1], QStringLiteral("El Pasillo Central"));
        QCOMPARE(n.PluralNivel[1], QStringLiteral("Pasillos Centrales"));
        QCOMPARE(n.TituloNivel[2], QStringLiteral("Área De Carga"));
        QCOMPARE(n.ArticuloNivel[2], QStringLiteral("El Área De Carga"));
        QCOMPARE(n.PluralNivel[2], QStringLiteral("Áreas De Carga"));
        QCOMPARE(n.TituloNivel[3], QStringLiteral("Nivel"));
        QCOMPARE(n.ArticuloNivel[3], QStringLiteral("El Nivel"));
        QCOMPARE(n.PluralNivel[3], QStringLiteral(" "));
        QCOMPARE(n.TituloNivel[4], QStringLiteral(" Estante "));
        QCOMPARE(n.ArticuloNivel[4], QStringLiteral("   Estante "));
        QCOMPARE(n.PluralNivel[4], QStringLiteral(" "));
        // Titles are only read: the configured texts stay as they were typed.
        QCOMPARE(Guardado(s, QStringLiteral("TIT_LAYOUT_NIVEL_1")), QStringLiteral("pasillo central"));
    }

    // With lengths 2, 2, 3, 0 the codes of 2, 4 and 7 characters are the valid ones, and each
    // one's parent is its first characters up to the end of the level above.
    void codigosConNivelesDeDistintoLargo() {
        SesionPrueba s;
        Longitudes(s, {QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("0")});
        const auto& n = Cargar();
        QCOMPARE(n.LongitudTotal, 7);
        QCOMPARE(Fines(n), (QList<int>{2, 4, 7, 7}));
        const QString codigos[] = {QStringLiteral("A"),       QStringLiteral("AB"),      QStringLiteral("ABC"),
                                   QStringLiteral("ABCD"),    QStringLiteral("ABCDE"),   QStringLiteral("ABCDEF"),
                                   QStringLiteral("ABCDEFG"), QStringLiteral("ABCDEFGH")};
        const int niveles[] = {0, 1, 0, 2, 0, 0, 3, 0};
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(n.Nivel(codigos[i]), niveles[i]);
            QCOMPARE(LongitudValida(codigos[i]), niveles[i] != 0);
        }
        QCOMPARE(n.CodigoPadre(QStringLiteral("ABCDEFG")), QStringLiteral("ABCD"));
        QCOMPARE(n.CodigoPadre(QStringLiteral("ABCD")), QStringLiteral("AB"));
        QCOMPARE(n.CodigoPadre(QStringLiteral("AB")), QString());
        QCOMPARE(n.CodigoPadre(QStringLiteral("ABCDEF")), QString());
    }
};

QTEST_GUILESS_MAIN(TstNiveles)
#include "tst_niveles.moc"
