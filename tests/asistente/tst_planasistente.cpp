#include "SesionPrueba.h"
#include "asistente/EscritorAsistente.h"
#include "asistente/LectorPlanilla.h"
#include "asistente/PlanAsistente.h"
#include "asistente/Rangos.h"
#include "core/LectorBase.h"
#include "db/DB_Dll.h"
#include "layout/QDL_RTLocator.h"
#include "services/ExportaPlanilla.h"
#include "services/LectorFilas.h"

#include <QFile>
#include <QtTest>

using namespace asistente;
Q_DECLARE_METATYPE(asistente::FilaPosicion)

// The checks and the writing of a job on the demo database (levels 2, 2, 2; warehouse "   1" with
// 8 aisles of 12 positions of 4 levels).
class TstPlanAsistente : public QObject {
    Q_OBJECT

    static FilaPosicion Fila(int linea, std::initializer_list<std::pair<int, const char*>> valores) {
        FilaPosicion f;
        f.linea = linea;
        for (const auto& [c, v] : valores) f.Poner(c, QString::fromUtf8(v));
        return f;
    }
    static PlanAsistente Armado(const QVector<FilaPosicion>& filas, bool actualizar = false, const char* deposito = "   1") {
        ActualizarNivelesLayout();
        PlanAsistente p;
        QString error;
        if (!p.Preparar(QString::fromLatin1(deposito), &error)) qWarning("%s", qPrintable(error));
        p.Armar(filas, actualizar);
        return p;
    }
    static const Entrada* Buscar(const PlanAsistente& p, const QString& codigo) {
        for (const Entrada& e : p.Entradas())
            if (e.codigo == codigo) return &e;
        return nullptr;
    }
    // The whole table as text, to see that nothing changed.
    static QString Tabla(SesionPrueba& s) {
        return s.Sql(QStringLiteral(
            "SELECT group_concat(IdDeposito||'|'||IdPosicion||'|'||ifnull(Descripcion,'~')||'|'||ifnull(Capacidad,'~')"
            "||'|'||ifnull(IdUnidad,'~')||'|'||ifnull(IdArticulo,'~')||'|'||ifnull(Habilitado,'~')||'|'||Titulo, ';') "
            "FROM (SELECT * FROM MA_POSICIONES ORDER BY IdDeposito, IdPosicion)"));
    }

private slots:
    void cadaReglaDelEditorRechazaSuFila_data() {
        QTest::addColumn<FilaPosicion>("fila");
        QTest::addColumn<QString>("motivo");
        QTest::newRow("largo") << Fila(2, {{IdPosicion, "0101011"}})
                               << "Codigo Incorrecto, Supera Longitud permitida! (7 caracteres, el maximo es 6)";
        QTest::newRow("digitos") << Fila(2, {{IdPosicion, "011"}})
                                 << "Cantidad de Digitos Incorrecto! (3 caracteres; los niveles tienen 2, 4, 6)";
        QTest::newRow("vacio") << Fila(2, {{IdPosicion, "  "}, {Descripcion, "x"}}) << "Debe informar el Codigo!";
        QTest::newRow("comilla") << Fila(2, {{IdPosicion, "0'"}}) << "Codigo Incorrecto, no puede contener comillas!";
        QTest::newRow("unidad") << Fila(2, {{IdPosicion, "09"}, {IdUnidad, "ZZ"}})
                                << "Codigo de Unidad Inexistente! (IDUNIDAD \"ZZ\")";
        QTest::newRow("rubro") << Fila(2, {{IdPosicion, "09"}, {IdRubro, "NO"}})
                               << "Codigo de Rubro Inexistente! (IdRubro \"NO\")";
        QTest::newRow("marca") << Fila(2, {{IdPosicion, "09"}, {IdTipo, "NO"}})
                               << "Marca de Articulo Inexistente! (IdTipo \"NO\")";
        QTest::newRow("familia") << Fila(2, {{IdPosicion, "09"}, {IdFamilia, "99"}}) << "Familia Inexistente! (Idfamilia \"99\")";
        QTest::newRow("articulo") << Fila(2, {{IdPosicion, "09"}, {IdArticulo, "1'0"}})
                                  << "Codigo de Articulo Inexistente! (IdArticulo \"1'0\")";
        QTest::newRow("dos reservas")
            << Fila(2, {{IdPosicion, "09"}, {IdRubro, "ALM"}, {IdFamilia, "01"}})
            << "tiene mas de una reserva: Complete una de las 4 opciones (Rubro, Marca, Familia, Articulo)";
        QTest::newRow("capacidad negativa") << Fila(2, {{IdPosicion, "09"}, {Capacidad, "-1"}})
                                            << "La capacidad debe ser Mayor o igual a 0";
        QTest::newRow("capacidad texto") << Fila(2, {{IdPosicion, "09"}, {Capacidad, "abc"}})
                                         << "la Capacidad no es un numero: \"abc\"";
        QTest::newRow("orden") << Fila(2, {{IdPosicion, "09"}, {OrdenIngreso, "1a"}})
                               << "Debe Ingresar un valor Numerico (Orden Ingreso: \"1a\")";
        QTest::newRow("orden decimal") << Fila(2, {{IdPosicion, "09"}, {OrdenIngreso, "1,5"}})
                                       << "el Orden Ingreso debe ser un numero entero: \"1,5\"";
        QTest::newRow("marca mala") << Fila(2, {{IdPosicion, "09"}, {Picking, "quizas"}}) << "Picking debe ser 0 o 1: \"quizas\"";
        QTest::newRow("descripcion larga") << Fila(2, {{IdPosicion, "09"},
                                                       {Descripcion, "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"}})
                                           << "la Descripcion tiene 51 caracteres; la columna admite 50";
        QTest::newRow("NUL") << Fila(2, {{IdPosicion, "09"}, {Descripcion, "a\tb"}})
                             << "la columna Descripcion tiene caracteres de control (NUL, saltos de linea, tabuladores)";
        QTest::newRow("otro deposito") << Fila(2, {{IdPosicion, "09"}, {IdDeposito, "2"}})
                                       << "es del deposito \"2\", no del deposito elegido \"1\"";
        QTest::newRow("del lector") << [] {
            FilaPosicion f = Fila(2, {{IdPosicion, "09"}});
            f.problema = QStringLiteral("la celda de la columna 3 tiene un error (#N/A)");
            return f;
        }() << "la celda de la columna 3 tiene un error (#N/A)";
    }
    void cadaReglaDelEditorRechazaSuFila() {
        QFETCH(FilaPosicion, fila);
        QFETCH(QString, motivo);
        SesionPrueba s;
        const PlanAsistente p =
            Armado({fila, Fila(3, {{IdPosicion, "10"}, {IdUnidad, "un"}, {Capacidad, "12,5"}, {OrdenIngreso, "7"}})});
        QCOMPARE(p.Entradas()[0].estado, Estado::Rechazada);
        QCOMPARE(p.Entradas()[0].motivo, motivo);
        QCOMPARE(p.Entradas()[1].estado, Estado::Nueva);
        QCOMPARE(p.Cantidad(Estado::Rechazada), 1);
        QVERIFY(p.TextoRechazos().contains(QStringLiteral("\r\n2;")));
    }

    // Rows that repeat the values of a row that passed are still checked on what they change; codes
    // outside ASCII are one code without regard to case; their texts are written as given.
    void filasQueRepitenValoresYCodigosFueraDeAscii() {
        SesionPrueba s;
        const PlanAsistente p = Armado(
            {Fila(2, {{IdPosicion, "09"}, {IdUnidad, "UN"}, {Capacidad, "5"}}),
             Fila(3, {{IdPosicion, "10"}, {IdUnidad, "UN"}, {Capacidad, "-5"}}),
             Fila(4, {{IdPosicion, "11"}, {IdUnidad, "UN"}, {Capacidad, "5"}, {Descripcion, std::string(60, 'x').c_str()}}),
             Fila(5, {{IdPosicion, "12"}, {IdUnidad, "ZZ"}, {Capacidad, "5"}}),
             Fila(6, {{IdPosicion, "ñ1"}, {IdUnidad, "UN"}, {Capacidad, "5"}, {Descripcion, "Cámara 🧊 fría"}}),
             Fila(7, {{IdPosicion, "Ñ1"}, {IdUnidad, "UN"}, {Capacidad, "5"}})});
        QStringList estados;
        for (const Entrada& e : p.Entradas()) estados << (e.estado == Estado::Nueva ? QStringLiteral("nueva") : e.motivo);
        QCOMPARE(estados, QStringList({QStringLiteral("nueva"), QStringLiteral("La capacidad debe ser Mayor o igual a 0"),
                                       QStringLiteral("la Descripcion tiene 60 caracteres; la columna admite 50"),
                                       QStringLiteral("Codigo de Unidad Inexistente! (IDUNIDAD \"ZZ\")"), QStringLiteral("nueva"),
                                       QStringLiteral("el codigo Ñ1 ya esta en la linea 6")}));
        QCOMPARE(EscribirPlan(p).estado, ResultadoEscritura::Estado::Escrito);
        QCOMPARE(s.Sql(QStringLiteral("SELECT Descripcion FROM MA_POSICIONES WHERE IdDeposito = '   1' AND IdPosicion = 'ñ1'")),
                 QStringLiteral("Cámara 🧊 fría"));
    }

    void padresDelArchivoDeLaBaseOAgregadosComoTitulo() {
        SesionPrueba s;
        // 0102 becomes a storable position reserved to an article: nothing may hang from it.
        s.Sql(QStringLiteral(
            "UPDATE MA_POSICIONES SET Titulo = 0, IdArticulo = '100001' WHERE IdDeposito = '   1' AND IdPosicion = '0102'"));
        const PlanAsistente p = Armado({
            Fila(2, {{IdPosicion, "010299"}}),                                                  // parent reserved
            Fila(3, {{IdPosicion, "500101"}, {Titulo, "0"}}),                                   // 50 and 5001 added as headings
            Fila(4, {{IdPosicion, "500102"}, {Titulo, "0"}}), Fila(5, {{IdPosicion, "6001"}}),  // parent in the file, after it
            Fila(6, {{IdPosicion, "60"}, {Descripcion, "Seis"}}),
            Fila(7, {{IdPosicion, "70"}, {Capacidad, "x"}}),  // refused: takes 7001 and 700101 with it
            Fila(8, {{IdPosicion, "7001"}}), Fila(9, {{IdPosicion, "700101"}}), Fila(10, {{IdPosicion, "60"}}),  // given twice
        });
        QCOMPARE(Buscar(p, "010299")->motivo,
                 QStringLiteral("El Nivel Superior Recibe movimientos, no se pueden agregar niveles (0102)"));
        QCOMPARE(p.PadresCreados(), 2);
        QVERIFY(Buscar(p, "50")->padreCreado && Buscar(p, "5001")->padreCreado);
        QCOMPARE(Buscar(p, "5001")->Valor(Descripcion), QStringLiteral("Posicion 01"));
        QCOMPARE(Buscar(p, "5001")->Valor(Titulo), QStringLiteral("1"));
        QCOMPARE(Buscar(p, "6001")->estado, Estado::Nueva);
        QCOMPARE(Buscar(p, "6001")->Valor(Titulo), QStringLiteral("1"));  // no Titulo column: every level but the last
        QCOMPARE(Buscar(p, "500101")->Valor(Titulo), QStringLiteral("0"));
        QCOMPARE(Buscar(p, "7001")->motivo,
                 QStringLiteral("No existe un Nivel Superior para Agrupar esta Posicion: 70 (linea 7) fue rechazado"));
        QCOMPARE(Buscar(p, "700101")->motivo,
                 QStringLiteral("No existe un Nivel Superior para Agrupar esta Posicion: 7001 (linea 8) fue rechazado"));
        QCOMPARE(p.Entradas()[8].motivo, QStringLiteral("el codigo 60 ya esta en la linea 6"));
        QCOMPARE(p.Cantidad(Estado::Nueva), 6);
        QCOMPARE(p.Cantidad(Estado::Rechazada), 5);
    }

    // Rows share their other values, and the plan its answers about a parent: a copy changed keeps
    // the original, the second child of a parent that receives movements is refused as the first,
    // and a new position after an update with the same values still gets the table's defaults.
    void loCompartidoNoSeMezcla() {
        FilaPosicion a = Fila(2, {{IdPosicion, "01"}, {Capacidad, "5"}});
        FilaPosicion b = a;
        b.Poner(Capacidad, QStringLiteral("6"));
        QCOMPARE(a.Valor(Capacidad), QStringLiteral("5"));
        QVERIFY(!a.MismoResto(b));

        SesionPrueba s;
        s.Sql(QStringLiteral(
            "UPDATE MA_POSICIONES SET Titulo = 0, IdArticulo = '100001' WHERE IdDeposito = '   1' AND IdPosicion = '0102'"));
        const PlanAsistente p = Armado(
            {Fila(2, {{IdPosicion, "010101"}, {Capacidad, "7777"}}), Fila(3, {{IdPosicion, "010199"}, {Capacidad, "7777"}}),
             Fila(4, {{IdPosicion, "010298"}, {Capacidad, "7777"}}), Fila(5, {{IdPosicion, "010299"}, {Capacidad, "7777"}}),
             Fila(6, {{IdPosicion, "010398"}, {Capacidad, "7777"}})},
            true);
        const QString recibe = QStringLiteral("El Nivel Superior Recibe movimientos, no se pueden agregar niveles (0102)");
        QCOMPARE(Buscar(p, "010298")->motivo, recibe);
        QCOMPARE(Buscar(p, "010299")->motivo, recibe);
        QCOMPARE(Buscar(p, "010398")->estado, Estado::Nueva);
        const Entrada* cambiada = Buscar(p, "010101");
        QCOMPARE(cambiada->estado, Estado::Cambiada);
        QCOMPARE(cambiada->columnas, (1u << IdPosicion) | (1u << Capacidad) | (1u << IdDeposito));
        const Entrada* nueva = Buscar(p, "010199");
        QCOMPARE(nueva->Valor(Habilitado), QStringLiteral("1"));
        QCOMPARE(nueva->Valor(Titulo), QStringLiteral("0"));
        QCOMPARE(nueva->Valor(IdUnidad), QStringLiteral("Null"));
        QCOMPARE(nueva->Valor(Capacidad), QStringLiteral("7777"));
    }

    // A code is one code whatever its case, whether the rows come in code order or not.
    void mayusculasYMinusculasSonUnCodigo() {
        SesionPrueba s;
        const PlanAsistente enOrden = Armado({Fila(2, {{IdPosicion, "QB"}}), Fila(3, {{IdPosicion, "qb01"}})});
        QCOMPARE(enOrden.PadresCreados(), 0);
        QCOMPARE(Buscar(enOrden, "qb01")->estado, Estado::Nueva);
        const PlanAsistente desordenadas =
            Armado({Fila(2, {{IdPosicion, "qb01"}}), Fila(3, {{IdPosicion, "QB"}}), Fila(4, {{IdPosicion, "qB"}})});
        QCOMPARE(desordenadas.PadresCreados(), 0);
        QCOMPARE(desordenadas.Entradas()[2].motivo, QStringLiteral("el codigo qB ya esta en la linea 3"));
    }

    void laPlanillaDelEditorVuelveSinCambiar() {
        SesionPrueba s;
        InstalarLectorFilas();
        const QString archivo = s.base().Carpeta() + QStringLiteral("/LayOut.xlsx");
        QString error;
        QCOMPARE(
            ExportaPlanilla::instancia().ExportarA(QStringLiteral("MA_Posiciones"), QStringLiteral("LayOut"), archivo, &error),
            ExportaPlanilla::Resultado::Escrito);
        EstablecerLectorFilas({});
        EstablecerRecorridoFilas({});
        const QString antes = Tabla(s);
        const TablaLeida t = LeerPlanilla(archivo, kMaximoPosiciones);
        QVERIFY2(t.error.isEmpty(), qPrintable(t.error));
        QCOMPARE(t.columnas.size(), int(kColumnas));
        for (const char* deposito : {"   1", "   2"}) {
            const PlanAsistente p = Armado(t.filas, true, deposito);
            const int propias = s.Contar(QStringLiteral("MA_POSICIONES WHERE IdDeposito = '%1'").arg(QLatin1String(deposito)));
            QCOMPARE(p.Cantidad(Estado::SinCambios), propias);
            QCOMPARE(p.Cantidad(Estado::Nueva) + p.Cantidad(Estado::Cambiada), 0);
            QCOMPARE(p.Cantidad(Estado::Rechazada), s.Contar(QStringLiteral("MA_POSICIONES")) - propias);
            QCOMPARE(EscribirPlan(p).estado, ResultadoEscritura::Estado::Nada);
        }
        QCOMPARE(Tabla(s), antes);
    }

    void escribeLosValoresComoElEditor() {
        SesionPrueba s;
        ValoresImputables v;
        v.unidad = QStringLiteral("cj");
        v.capacidad = QStringLiteral("0");
        v.ordenIngreso = QStringLiteral("3");
        v.picking = true;
        v.columnaReserva = IdFamilia;
        v.reserva = QStringLiteral("0101");
        ActualizarNivelesLayout();
        QVector<RangoNivel> r{{"20", "21", 1, false, true, "{titulo} {codigo}"},
                              {"01", "02", 1, false, true, "Rack '%_[x]' {codigo}"},
                              {"01", "01", 1, false, false, "{titulo} {numero}"}};
        const ResultadoRangos rangos = ExpandirRangos(gNiveles(), r, v, 1000, 50);
        QVERIFY2(rangos.error.isEmpty(), qPrintable(rangos.error));
        const PlanAsistente p = Armado(rangos.filas);
        QCOMPARE(p.Cantidad(Estado::Nueva), 10);
        const ResultadoEscritura w = EscribirPlan(p);
        QCOMPARE(w.estado, ResultadoEscritura::Estado::Escrito);
        QCOMPARE(w.insertadas, 10);
        auto fila = [&](const char* codigo) {
            return s.Sql(
                QStringLiteral(
                    "SELECT Descripcion||'|'||Capacidad||'|'||ifnull(IdUnidad,'N')||'|'||ifnull(IdFamilia,'N')||'|'||"
                    "ifnull(IdArticulo,'N')||'|'||ifnull(OrdenIngreso,'N')||'|'||Habilitado||Reservado||Completa||Picking||"
                    "Titulo||'|'||typeof(Capacidad) FROM MA_POSICIONES WHERE IdDeposito = '   1' AND IdPosicion = '%1'")
                    .arg(QLatin1String(codigo)));
        };
        // Quotes never written, wildcards kept; 0 capacity stored as no limit; text codes as typed.
        QCOMPARE(fila("2002"), QStringLiteral("Rack %_[x] 02|999999|N|N|N|0|10001|integer"));
        QCOMPARE(fila("200201"), QStringLiteral("Nivel 1|999999|cj|0101|N|3|10010|integer"));
        QCOMPARE(s.Contar(QStringLiteral("MA_POSICIONES WHERE IdDeposito = '   1' AND IdPosicion LIKE '2%'")), 10);
    }

    void actualizaSoloLoQueElArchivoDa() {
        SesionPrueba s;
        const QString capacidad =
            s.Sql(QStringLiteral("SELECT Capacidad FROM MA_POSICIONES WHERE IdDeposito='   1' AND IdPosicion='010101'"));
        const QVector<FilaPosicion> filas{Fila(2, {{IdPosicion, "010101"}, {Descripcion, "Nueva descripcion"}}),
                                          Fila(3, {{IdPosicion, "010102"}, {Descripcion, "Nivel 2"}})};
        PlanAsistente sin = Armado(filas, false);
        QCOMPARE(Buscar(sin, "010101")->estado, Estado::Cambiada);
        QCOMPARE(Buscar(sin, "010101")->motivo, QStringLiteral("cambia Descripcion"));
        QCOMPARE(Buscar(sin, "010102")->estado, Estado::SinCambios);
        QCOMPARE(EscribirPlan(sin).estado, ResultadoEscritura::Estado::Nada);
        const PlanAsistente con = Armado(filas, true);
        const ResultadoEscritura w = EscribirPlan(con);
        QCOMPARE(w.estado, ResultadoEscritura::Estado::Escrito);
        QCOMPARE(w.actualizadas, 1);
        QCOMPARE(s.Sql(QStringLiteral(
                     "SELECT Descripcion||'|'||Capacidad FROM MA_POSICIONES WHERE IdDeposito='   1' AND IdPosicion='010101'")),
                 QStringLiteral("Nueva descripcion|") + capacidad);
    }

    void cancelarOUnErrorNoDejanNadaEscrito() {
        SesionPrueba s;
        QVector<FilaPosicion> filas;
        for (int i = 0; i < 250; ++i) {
            FilaPosicion f;
            f.linea = i + 2;
            f.Poner(IdPosicion, QStringLiteral("%1%2").arg(40 + i / 100).arg(i % 100, 2, 10, QLatin1Char('0')));
            filas << f;
        }
        const int antes = s.Contar(QStringLiteral("MA_POSICIONES"));
        const int auditorias = s.Contar(QStringLiteral("AUX_ERR"));
        PlanAsistente p = Armado(filas);
        QCOMPARE(p.Cantidad(Estado::Nueva), 253);  // 40, 41, 42 added as headings
        ProgresoEscritura progreso;
        int avisos = 0;
        progreso.avance = [&](qint64 hechas, qint64 total) {
            ++avisos;
            return !(hechas >= kFilasPorInsercion && total == 253 && avisos == 2);
        };
        QCOMPARE(EscribirPlan(p, progreso).estado, ResultadoEscritura::Estado::Cancelado);
        QCOMPARE(s.Contar(QStringLiteral("MA_POSICIONES")), antes);

        // Someone else writes one of the job's codes meanwhile: the third insert fails.
        s.Sql(QStringLiteral("INSERT INTO MA_POSICIONES (IdPosicion, IdDeposito, Titulo) VALUES ('4240', '   1', 1)"));
        const ResultadoEscritura w = EscribirPlan(p);
        QCOMPARE(w.estado, ResultadoEscritura::Estado::Error);
        QVERIFY2(w.mensaje.startsWith(QStringLiteral("2627 : ")), qPrintable(w.mensaje));
        QCOMPARE(s.Contar(QStringLiteral("MA_POSICIONES")), antes + 1);
        QCOMPARE(s.Contar(QStringLiteral("AUX_ERR")), auditorias + 1);
        QVERIFY(s.Sql(QStringLiteral("SELECT Sql FROM AUX_ERR ORDER BY rowid DESC LIMIT 1")).contains(QStringLiteral("4240")));
        QCOMPARE(s.Sql(QStringLiteral("SELECT Error FROM AUX_ERR ORDER BY rowid DESC LIMIT 1")), QStringLiteral("2627"));
        QVERIFY(gBaseDatos().gCnn().Errors().Vacia());
    }
};

QTEST_GUILESS_MAIN(TstPlanAsistente)
#include "tst_planasistente.moc"
