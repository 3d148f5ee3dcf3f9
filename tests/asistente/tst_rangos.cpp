#include "asistente/Rangos.h"
#include "layout/QDL_RTLocator.h"

#include <QtTest>

using namespace asistente;

// The range expansion of the wizard: codes, order, headings, descriptions, and the messages that
// stop a range before anything is made.
class TstRangos : public QObject {
    Q_OBJECT

    static NivelesLayout Niveles(int a, int b, int c, int d = 0) {
        NivelesLayout n;
        const int l[] = {0, a, b, c, d};
        const char* t[] = {"", "Calle", "Posicion", "Nivel", ""};
        for (int k = 1; k <= 4; ++k) {
            n.LongitudNivel[k] = l[k];
            n.TituloNivel[k] = QString::fromLatin1(t[k]);
            n.LongitudTotal += l[k];
        }
        n.CalcularFines();
        return n;
    }
    static RangoNivel R(const char* desde, const char* hasta, bool titulo, int nivel, int ultimo, int paso = 1,
                        bool letras = false) {
        return {QString::fromLatin1(desde), QString::fromLatin1(hasta), paso, letras, titulo, PlantillaPorDefecto(nivel, ultimo)};
    }

private slots:
    void codigosEnOrdenConTitulosYDescripciones() {
        ValoresImputables v;
        v.unidad = QStringLiteral("UN");
        v.capacidad = QStringLiteral("12");
        v.columnaReserva = IdArticulo;
        v.reserva = QStringLiteral("100014");
        const auto r = ExpandirRangos(
            Niveles(2, 2, 1), {R("1", "2", true, 1, 3), R("01", "03", true, 2, 3, 2), R("1", "2", false, 3, 3)}, v, 1000, 50);
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        QStringList codigos, descripciones;
        for (const FilaPosicion& f : r.filas) {
            codigos << f.Valor(IdPosicion);
            descripciones << f.Valor(Descripcion);
        }
        QCOMPARE(codigos, QStringList({"01", "0101", "01011", "01012", "0103", "01031", "01032", "02", "0201", "02011", "02012",
                                       "0203", "02031", "02032"}));
        QCOMPARE(descripciones.mid(0, 3), QStringList({"Calle 01", "Posicion 01", "Nivel 1"}));
        const FilaPosicion& titulo = r.filas[0];
        const FilaPosicion& imputable = r.filas[2];
        QCOMPARE(titulo.Valor(Titulo), QStringLiteral("1"));
        QVERIFY(titulo.Valor(IdUnidad).isEmpty() && titulo.Valor(IdArticulo).isEmpty());
        QCOMPARE(imputable.Valor(Titulo), QStringLiteral("0"));
        QCOMPARE(imputable.Valor(IdUnidad), QStringLiteral("UN"));
        QCOMPARE(imputable.Valor(Capacidad), QStringLiteral("12"));
        QCOMPARE(imputable.Valor(IdArticulo), QStringLiteral("100014"));
        QCOMPARE(imputable.Valor(Habilitado), QStringLiteral("1"));
        for (const FilaPosicion& f : r.filas) QCOMPARE(f.presentes, (1u << kColumnas) - 1);
    }

    void letrasYPlantillas() {
        const auto r = ExpandirRangos(Niveles(1, 2, 0), {R("a", "b", true, 1, 2, 1, true), R("AY", "BA", false, 2, 2, 1, true)},
                                      {}, 100, 50);
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        QStringList codigos;
        for (const FilaPosicion& f : r.filas) codigos << f.Valor(IdPosicion);
        QCOMPARE(codigos, QStringList({"A", "AAY", "AAZ", "ABA", "B", "BAY", "BAZ", "BBA"}));
        QCOMPARE(Describir(QStringLiteral("Rack {codigo} de {posicion} {x} {NUMERO}"), QStringLiteral("T"), QStringLiteral("007"),
                           QStringLiteral("01007")),
                 QStringLiteral("Rack 007 de 01007 {x} 7"));
    }

    void rangosQueNoSePuedenHacer_data() {
        QTest::addColumn<QString>("desde");
        QTest::addColumn<QString>("hasta");
        QTest::addColumn<bool>("letras");
        QTest::addColumn<int>("paso");
        QTest::addColumn<QString>("mensaje");
        QTest::newRow("99 en un nivel de 1")
            << "1"
            << "99" << false << 1 << "El hasta del nivel Calle (99) no cabe en 1 caracter(es): el mayor posible es 9.";
        QTest::newRow("vacio") << "1"
                               << " " << false << 1 << "Complete el desde y el hasta del nivel Calle.";
        QTest::newRow("hasta antes") << "5"
                                     << "3" << false << 1 << "El hasta del nivel Calle (3) es anterior al desde (5).";
        QTest::newRow("no numero") << "1"
                                   << "x" << false << 1 << "El hasta del nivel Calle debe ser un numero: \"x\" no lo es.";
        QTest::newRow("letra mala") << "A"
                                    << "1" << true << 1
                                    << "El hasta del nivel Calle debe tener 1 letra(s) de la A a la Z: \"1\" no sirve.";
        QTest::newRow("paso") << "1"
                              << "3" << false << 0 << "El paso del nivel Calle debe ser 1 o mayor.";
    }
    void rangosQueNoSePuedenHacer() {
        QFETCH(QString, desde);
        QFETCH(QString, hasta);
        QFETCH(bool, letras);
        QFETCH(int, paso);
        QFETCH(QString, mensaje);
        const auto r =
            ExpandirRangos(Niveles(1, 1, 1), {RangoNivel{desde, hasta, paso, letras, false, QStringLiteral("x")}}, {}, 100, 50);
        QCOMPARE(r.error, mensaje);
        QVERIFY(r.filas.isEmpty());
    }

    void masDeLoPermitidoODescripcionLarga() {
        // 10 + 100 + 1000 positions: one more than allowed is refused before any is made.
        const QVector<RangoNivel> tres{R("0", "9", true, 1, 3), R("0", "9", true, 2, 3), R("0", "9", false, 3, 3)};
        QVERIFY(ExpandirRangos(Niveles(1, 1, 1), tres, {}, 1110, 50).error.isEmpty());
        const auto r = ExpandirRangos(Niveles(1, 1, 1), tres, {}, 1109, 50);
        QVERIFY(r.error.startsWith(QStringLiteral("Los rangos crearian mas de 1109 posiciones")));
        QVERIFY(r.filas.isEmpty());
        RangoNivel largo = R("1", "2", false, 1, 1);
        largo.plantilla = QString(48, QLatin1Char('x')) + QStringLiteral(" {codigo}");
        QVERIFY(ExpandirRangos(Niveles(1, 1, 1), {largo}, {}, 100, 50).error.contains(QStringLiteral("tiene 50 caracteres")) ==
                false);
        largo.plantilla = QString(49, QLatin1Char('x')) + QStringLiteral(" {codigo}");
        QCOMPARE(ExpandirRangos(Niveles(1, 1, 1), {largo}, {}, 100, 50).error,
                 QStringLiteral("La descripcion del nivel Calle (\"%1 2\") tiene 51 caracteres; la columna admite 50.")
                     .arg(QString(49, QLatin1Char('x'))));
    }
};

QTEST_GUILESS_MAIN(TstRangos)
#include "tst_rangos.moc"
