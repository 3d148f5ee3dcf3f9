// The catalogue of code tables behind the lookups: which description, key and extra columns a
// table name gives, and the list lookup it runs, on a copy of the demo database.
#include "SesionPrueba.h"
#include "layout/Def_QConsulta.h"
#include "lookup/Lib_ClsCons3.h"
#include "lookup/Lib_FrmCons3.h"
#include "lookup/ModelosConsulta.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>

namespace {

// What a caller has in its column variables before the call: rows that leave a column unchanged
// must hand these back.
const QString kDescAntes = QStringLiteral("desc previa");
const QString kClaveAntes = QStringLiteral("clave previa");
const QString kExtraAntes = QStringLiteral("extra previa");

}  // namespace

class TstDefQConsulta : public QObject {
    Q_OBJECT

private slots:
    // Every row of the catalogue, in its order of precedence, with names in other letter cases.
    void catalogoSinEjecutar_data() {
        QTest::addColumn<QString>("tabla");
        QTest::addColumn<QString>("descripcion");
        QTest::addColumn<QString>("clave");
        QTest::addColumn<QString>("extra");
        auto fila = [](const char* nombre, const char* tabla, const QString& d, const QString& k, const QString& x) {
            QTest::newRow(nombre) << QString::fromUtf8(tabla) << d << k << x;
        };
        const QString vacio;
        fila("1 V_TA_Cpte", "V_TA_Cpte", QStringLiteral("Descripcion"), QStringLiteral("Codigo"), vacio);
        fila("1 any case", "v_ta_CPTE", QStringLiteral("Descripcion"), QStringLiteral("Codigo"), vacio);
        fila("2 V_TA_PERCEPCION", "V_TA_PERCEPCION", QStringLiteral("DESCRIPCION"), QStringLiteral("IDPERCEPCION"), vacio);
        fila("3 V_TA_RETENCIONES", "V_TA_RETENCIONES", QStringLiteral("DESCRIPCION"), QStringLiteral("IDRETENCION"), vacio);
        fila("4 V_ta_PoliticaPrecios", "V_ta_PoliticaPrecios", QStringLiteral("Descripcion"), QStringLiteral("codigo"), vacio);
        // Group V: the key keeps the letter case of the name; a final S goes in any case.
        fila("5 V_ta_rubros", "V_ta_rubros", QStringLiteral("DESCRIPCION"), QStringLiteral("IDrubro"), vacio);
        fila("5 V_ta_unidad", "V_ta_unidad", QStringLiteral("DESCRIPCION"), QStringLiteral("IDunidad"), vacio);
        fila("5 @admin_V_TA_Familias", "@admin_V_TA_Familias", QStringLiteral("DESCRIPCION"), QStringLiteral("IDFamilia"), vacio);
        fila("5 V_TA_Bancos", "V_TA_Bancos", QStringLiteral("DESCRIPCION"), QStringLiteral("IDBanco"), vacio);
        fila("5 V_TA_Deposito", "V_TA_Deposito", QStringLiteral("DESCRIPCION"), QStringLiteral("IDDeposito"), vacio);
        fila("5 V_TA_ORIGEN", "V_TA_ORIGEN", QStringLiteral("DESCRIPCION"), QStringLiteral("IDORIGEN"), vacio);
        fila("5 V_TA_Tecnicos", "V_TA_Tecnicos", QStringLiteral("NOMBRE"), QStringLiteral("IDTecnico"), vacio);
        fila("5 V_TA_CPRA_VTA", "V_TA_CPRA_VTA", QStringLiteral("DESCRIPCION"), QStringLiteral("IDCOND_CPRA_VTA"), vacio);
        fila("5 V_ta_tipoarticulo", "V_ta_tipoarticulo", QStringLiteral("DESCRIPCION"), QStringLiteral("IDTIPO"), vacio);
        fila("5 V_TA_Cajas", "V_TA_Cajas", QStringLiteral("DESCRIPCION"), QStringLiteral("IDCajas"), vacio);
        // Group P: the key is the name from its 6th character on.
        fila("6 P_TA_Grupos", "P_TA_Grupos", QStringLiteral("Descripcion"), QStringLiteral("IDGrupo"), vacio);
        fila("6 P_TA_Areas", "P_TA_Areas", QStringLiteral("Descripcion"), QStringLiteral("IDAreas"), vacio);
        fila("6 P_TA_TITULOs", "P_TA_TITULOs", QStringLiteral("Descripcion"), QStringLiteral("IDTITULO"), vacio);
        fila("6 P_TA_ObraSocial", "P_TA_ObraSocial", QStringLiteral("Descripcion"), QStringLiteral("IDObraSocial"), vacio);
        fila("6 P_MA_Empresas", "P_MA_Empresas", QStringLiteral("NombreEmpresa"), QStringLiteral("IDEmpresa"), vacio);
        fila("7 P_SINDICATOS", "P_SINDICATOS", QStringLiteral("Descripcion"), QStringLiteral("IdSindicato"), vacio);
        fila("8 P_TA_Funciones", "P_TA_Funciones", QStringLiteral("DESCRIPCION"), QStringLiteral("IDFunciones"), vacio);
        // Group T: the key follows the first "TA_".
        fila("9 TA_Rubros", "TA_Rubros", QStringLiteral("DESCRIPCION"), QStringLiteral("IDRubro"), vacio);
        fila("9 ta_deposito", "ta_deposito", QStringLiteral("DESCRIPCION"), QStringLiteral("IDdeposito"), vacio);
        fila("9 TA_Categoria", "TA_Categoria", QStringLiteral("DESCRIPCION"), QStringLiteral("IDCategoria"), vacio);
        fila("9 TA_TipoArticulo", "TA_TipoArticulo", QStringLiteral("DESCRIPCION"), QStringLiteral("IDTIPO"), vacio);
        fila("10 P_MA_Clientes", "P_MA_Clientes", QStringLiteral("RAZON_SOCIAL"), QStringLiteral("IDCLIENTE"), vacio);
        fila("11 TA_Cpte", "TA_Cpte", QStringLiteral("DESCRIPCION"), QStringLiteral("CODIGO"), QStringLiteral("DESCRIPCION"));
        fila("12 V_MA_ARTICULOS", "V_MA_ARTICULOS", QStringLiteral("DESCRIPCION"), QStringLiteral("IDARTICULO"),
             QStringLiteral("DESCRIPCION"));
        fila("12 V_ma_articulos", "V_ma_articulos", QStringLiteral("DESCRIPCION"), QStringLiteral("IDarticulo"),
             QStringLiteral("DESCRIPCION"));
        fila("13 V_MV_COTIZAR", "V_MV_COTIZAR", QStringLiteral("COT_OBSERVACIONES"), QStringLiteral("IDARTICULO"),
             QStringLiteral("COT_OBSERVACIONES"));
        fila("14 MA_ARTICULOS", "MA_ARTICULOS", QStringLiteral("DESCRIPCION"), QStringLiteral("IDARTICULO"),
             QStringLiteral("DESCRIPCION"));
        fila("15 MA_MODELOS", "MA_MODELOS", QStringLiteral("NOMBRE"), QStringLiteral("NOMBRE"), QStringLiteral("NOMBRE"));
        fila("16 MA_CHOFERES", "MA_CHOFERES", QStringLiteral("APELLIDO"), QStringLiteral("CODIGO"), QStringLiteral("NOMBRES"));
        fila("17 MA_DESTINATARIOS", "MA_DESTINATARIOS", QStringLiteral("NOMBRE"), QStringLiteral("CODIGO"),
             QStringLiteral("NOMBRE"));
        fila("18 MA_VEHICULOS", "MA_VEHICULOS", QStringLiteral("PATENTE"), QStringLiteral("PATENTE"), QStringLiteral("MODELO"));
        fila("19 MV_EJERCICIOS", "MV_EJERCICIOS", QStringLiteral("DESCRIPCION"), QStringLiteral("PERIODO"),
             QStringLiteral("DESCRIPCION"));
        fila("20 TA_USUARIOS", "TA_USUARIOS", QStringLiteral("NOMBRE"), QStringLiteral("NOMBRE"), vacio);
        fila("21 ta_unidad", "ta_unidad", QStringLiteral("Descripcion"), QStringLiteral("IdUnidad"), vacio);
        fila("22 TA_Otros", "TA_Otros", QStringLiteral("DESCRIPCION"), QStringLiteral("CODIGO"), QStringLiteral("DESCRIPCION"));
        fila("22 Ta_Familias", "Ta_Familias", QStringLiteral("DESCRIPCION"), QStringLiteral("CODIGO"),
             QStringLiteral("DESCRIPCION"));
        fila("23 MA_PROVEEDORES", "MA_PROVEEDORES", QStringLiteral("Razon_Social"), QStringLiteral("Codigo"),
             QStringLiteral("Razon_Social"));
        fila("23 ma_vendedores", "ma_vendedores", QStringLiteral("Razon_Social"), QStringLiteral("Codigo"),
             QStringLiteral("Razon_Social"));
        fila("23 MA_TRANSPORTES", "MA_TRANSPORTES", QStringLiteral("Razon_Social"), QStringLiteral("Codigo"),
             QStringLiteral("Razon_Social"));
        fila("23 MA_CONTACTOS", "MA_CONTACTOS", QStringLiteral("Razon_Social"), QStringLiteral("Codigo"),
             QStringLiteral("Razon_Social"));
        fila("23 MA_AGENTES", "MA_AGENTES", QStringLiteral("Razon_Social"), QStringLiteral("Codigo"),
             QStringLiteral("Razon_Social"));
        fila("23a MA_CLIENTES", "MA_CLIENTES", QStringLiteral("Razon_Social"), QStringLiteral("Codigo"),
             QStringLiteral("Codigo_sucursal"));
        fila("23b MA_POSICIONES", "MA_POSICIONES", QStringLiteral("Descripcion"), QStringLiteral("IdPosicion"), kExtraAntes);
        fila("23c MA_CUENTAS", "MA_CUENTAS", QStringLiteral("Descripcion"), QStringLiteral("Codigo"),
             QStringLiteral("Descripcion"));
        fila("24 [MA_CAMIONES]", "[MA_CAMIONES]", QStringLiteral("nombre"), QStringLiteral("Codigo"), QStringLiteral("nombre"));
        fila("24 other [MA", "[MA_OTRA]", kDescAntes, kClaveAntes, kExtraAntes);
        fila("25 MV_PROYECTOS", "MV_PROYECTOS", QStringLiteral("ASUNTO"), QStringLiteral("ID"), QStringLiteral("ASUNTO"));
        fila("25 other MV_", "MV_ASIENTOS", kDescAntes, kClaveAntes, kExtraAntes);
        // Not in the catalogue: V_TA_Familias is no member of group V (only its @admin_ form is).
        fila("26 V_TA_Familias", "V_TA_Familias", kDescAntes, kClaveAntes, kExtraAntes);
        fila("26 MA_ without a prefix", "MA", kDescAntes, kClaveAntes, kExtraAntes);
        fila("26 empty", "", kDescAntes, kClaveAntes, kExtraAntes);
    }
    void catalogoSinEjecutar() {
        QFETCH(QString, tabla);
        QFETCH(QString, descripcion);
        QFETCH(QString, clave);
        QFETCH(QString, extra);
        SesionPrueba s;  // any lookup window would be unexpected, and stop the test
        QString t = tabla, d = kDescAntes, k = kClaveAntes, x = kExtraAntes, condicion = QStringLiteral("WHERE 1 = 1");
        DefinirConsulta(t, d, k, x, false, condicion);
        QCOMPARE(d, descripcion);
        QCOMPARE(k, clave);
        QCOMPARE(x, extra);
        QCOMPARE(t, tabla);
        QCOMPARE(condicion, QStringLiteral("WHERE 1 = 1"));
    }

    // One table of each group run as the window runs it: the exact statement, the list headed by
    // its two columns, and the code of the accepted row returned in the key argument.
    void grupoEjecutaSuConsulta_data() {
        QTest::addColumn<QString>("tabla");
        QTest::addColumn<QString>("sentencia");
        QTest::addColumn<QStringList>("columnas");  // description, key
        QTest::addColumn<QString>("tablaReal");     // where the rows live, to check the returned code
        QTest::addColumn<QString>("columnaClave");
        QTest::newRow("group V") << QStringLiteral("V_ta_rubros")
                                 << QStringLiteral("select DESCRIPCION,IDrubro from V_ta_rubros ")
                                 << QStringList{QStringLiteral("DESCRIPCION"), QStringLiteral("IDrubro")}
                                 << QStringLiteral("TA_RUBROS") << QStringLiteral("IdRubro");
        QTest::newRow("group V, unit field")
            << QStringLiteral("V_ta_unidad") << QStringLiteral("select DESCRIPCION,IDunidad from V_ta_unidad ")
            << QStringList{QStringLiteral("DESCRIPCION"), QStringLiteral("IDunidad")} << QStringLiteral("TA_UNIDAD")
            << QStringLiteral("IdUnidad");
        QTest::newRow("group V, fixed key") << QStringLiteral("V_ta_tipoarticulo")
                                            << QStringLiteral("select DESCRIPCION,IDTIPO from V_ta_tipoarticulo ")
                                            << QStringList{QStringLiteral("DESCRIPCION"), QStringLiteral("IDTIPO")}
                                            << QStringLiteral("TA_TIPOARTICULO") << QStringLiteral("IdTipo");
        QTest::newRow("group P") << QStringLiteral("P_TA_Grupos")
                                 << QStringLiteral("select Descripcion,IDGrupo from P_TA_Grupos ")
                                 << QStringList{QStringLiteral("Descripcion"), QStringLiteral("IDGrupo")}
                                 << QStringLiteral("P_TA_Grupos") << QStringLiteral("IdGrupo");
        QTest::newRow("group T") << QStringLiteral("TA_Rubros") << QStringLiteral("select DESCRIPCION,IDRubro from TA_Rubros ")
                                 << QStringList{QStringLiteral("DESCRIPCION"), QStringLiteral("IDRubro")}
                                 << QStringLiteral("TA_RUBROS") << QStringLiteral("IdRubro");
    }
    void grupoEjecutaSuConsulta() {
        QFETCH(QString, tabla);
        QFETCH(QString, sentencia);
        QFETCH(QStringList, columnas);
        QFETCH(QString, tablaReal);
        QFETCH(QString, columnaClave);
        SesionPrueba s;
        s.Sql(QStringLiteral("CREATE TABLE P_TA_Grupos (IdGrupo varchar(10), Descripcion varchar(50))"));
        s.Sql(QStringLiteral("INSERT INTO P_TA_Grupos VALUES ('G1', 'Operarios'), ('G2', 'Supervisores'), ('G3', 'Choferes')"));
        const int filas = s.Contar(tablaReal);
        QVERIFY(filas >= 2);

        // The operator accepts the second row of the list.
        QString titulo, devuelto, encabezadoClave, descripcionElegida, claveElegida;
        QStringList encabezados;
        int mostradas = -1;
        s.guion().AlMostrarModal([&](QWidget* v) {
            auto* f = qobject_cast<Lib_FrmCons3*>(v);
            QVERIFY(f);
            titulo = f->windowTitle();
            devuelto = f->CampoDevuelto;
            encabezados = f->modelo()->Encabezados();
            mostradas = f->modelo()->FilaCount();
            const int columnaDeClave = f->IndiceColumna(f->CampoDevuelto) - 1;
            QVERIFY(columnaDeClave >= 0);
            descripcionElegida = f->modelo()->Texto(1, 0);
            claveElegida = f->modelo()->Texto(1, columnaDeClave);
            f->ListView1->setFocus();
            f->ListView1->setCurrentIndex(f->modelo()->index(1, 0));
            QTest::keyClick(f->ListView1, Qt::Key_Return);
        });
        QString t = tabla, d, k, x, condicion;
        DefinirConsulta(t, d, k, x, true, condicion);
        QCOMPARE(s.guion().Pendientes(), 0);
        QVERIFY(s.guion().Cajas().isEmpty());

        QCOMPARE(Lib_ClsCons3::instancia().UltimaSentencia, sentencia);
        QCOMPARE(titulo, QStringLiteral("Consulta..."));
        QCOMPARE(devuelto, columnas.at(1));
        // Headed by the two columns in the statement's order; the embedded database names a
        // column by its declared name, so only the letter case may differ from the statement.
        QCOMPARE(encabezados.size(), 2);
        for (int i = 0; i < 2; ++i)
            QVERIFY2(encabezados.at(i).compare(columnas.at(i), Qt::CaseInsensitive) == 0, qPrintable(encabezados.join(u',')));
        QCOMPARE(mostradas, filas);
        // The key argument comes back holding the accepted code: the one whose description the
        // operator saw on that row.
        QVERIFY(!k.isEmpty());
        QCOMPARE(k, claveElegida);
        QCOMPARE(s.Sql(QStringLiteral("SELECT Descripcion FROM %1 WHERE %2 = '%3'").arg(tablaReal, columnaClave, k)),
                 descripcionElegida);
        // The other columns stay as the catalogue set them.
        QCOMPARE(t, tabla);
        QCOMPARE(x, QString());
    }

    // A table the catalogue does not know looks up with the caller's own columns; without a
    // description every column is listed. The condition closes the statement; a cancel empties
    // the key argument.
    void tablaSinCatalogoUsaLasColumnasDelLlamador() {
        SesionPrueba s;
        const QString condicion = QStringLiteral("WHERE IdFamilia LIKE '01%'");
        const int filas = s.Contar(QStringLiteral("TA_FAMILIAS ") + condicion);
        QVERIFY(filas > 0);
        QVERIFY(filas < s.Contar(QStringLiteral("TA_FAMILIAS")));
        int mostradas = -1;
        QStringList encabezados;
        s.guion().AlMostrarModal([&](QWidget* v) {
            auto* f = qobject_cast<Lib_FrmCons3*>(v);
            QVERIFY(f);
            mostradas = f->modelo()->FilaCount();
            encabezados = f->modelo()->Encabezados();
            QTest::mouseClick(f->CmdCancelar, Qt::LeftButton);
        });
        QString t = QStringLiteral("V_TA_Familias"), d, k = QStringLiteral("IDFAMILIA"), x = kExtraAntes, c = condicion;
        DefinirConsulta(t, d, k, x, true, c);
        QCOMPARE(Lib_ClsCons3::instancia().UltimaSentencia,
                 QStringLiteral("select  * ,IDFAMILIA from V_TA_Familias WHERE IdFamilia LIKE '01%'"));
        QCOMPARE(mostradas, filas);
        QCOMPARE(encabezados.size(), 3);  // the view's two columns, then the key again
        QCOMPARE(encabezados.last().toUpper(), QStringLiteral("IDFAMILIA"));
        QCOMPARE(k, QString());
        QCOMPARE(x, kExtraAntes);
        QCOMPARE(s.guion().Pendientes(), 0);
        QVERIFY(s.guion().Cajas().isEmpty());
    }
};

QTEST_MAIN(TstDefQConsulta)
#include "tst_def_qconsulta.moc"
