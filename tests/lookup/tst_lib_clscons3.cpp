// The lookup engine: which statement a request becomes, and what comes back from the windows.
#include "SesionPrueba.h"
#include "core/MascaraConsulta.h"
#include "core/SentenciasSQL.h"
#include "lookup/Lib_ClsCons3.h"
#include "lookup/Lib_FrmCons3.h"
#include "lookup/Lib_FrmCons3Tree.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>

namespace {

Lib_FrmCons3* Lista(QWidget* w) {
    return qobject_cast<Lib_FrmCons3*>(w);
}

void Cancelar(QWidget* w) {
    QTest::keyClick(Lista(w)->CmbSearch(0)->lineEdit(), Qt::Key_Escape);
}

QByteArray Registro(const QString& titulo, const QString& tabla, const QString& campos, const QString& filtro = QString()) {
    MascaraConsulta m;
    m.Titulo = titulo;
    m.Tabla = tabla;
    m.Campos = campos;
    m.Filtro = filtro;
    return m.Serializar();
}

}  // namespace

class TstLibClsCons3 : public QObject {
    Q_OBJECT

    void PonerCfg(SesionPrueba& s, const QString& clave, const std::optional<QString>& valor) {
        s.Sql(QStringLiteral("DELETE FROM TA_CONFIGURACION WHERE Clave = '%1'").arg(clave));
        if (valor)
            s.Sql(QStringLiteral("INSERT INTO TA_CONFIGURACION (Grupo, Clave, Valor) VALUES ('CONSULTAS', '%1', '%2')")
                      .arg(clave, *valor));
    }
    QString Mascaras(SesionPrueba& s, const QByteArray& bytes) {
        const QString ruta = s.base().Carpeta() + QStringLiteral("/consultas.tvx");
        QFile f(ruta);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        return ruta;
    }
    // Runs one lookup whose window is cancelled at once; returns the statement it was given.
    QString Sentencia(Lib_ClsCons3& m, SesionPrueba& s, const QString& sql, QString& campo, QString& where,
                      const QString& opcional = QString()) {
        QString visto;
        s.guion().AlMostrarModal([&](QWidget* w) {
            visto = Lista(w)->Sql;
            Cancelar(w);
        });
        m.ConsultaSearch(sql, nullptr, QString(), campo, where, opcional, false, QString());
        // The window gets the statement as built (with a leading blank it puts in front itself).
        if (visto.trimmed() != m.UltimaSentencia.trimmed()) return QStringLiteral("<window got: ") + visto + QLatin1Char('>');
        return m.UltimaSentencia;
    }

private slots:
    void topeDeLasSentencias_data() {
        QTest::addColumn<std::optional<QString>>("valor");
        QTest::addColumn<QString>("comienzo");
        QTest::newRow("falta") << std::optional<QString>() << QStringLiteral("SELECT TOP 1000 ");
        QTest::newRow("vacio") << std::optional<QString>(QString()) << QStringLiteral("SELECT TOP 1000 ");
        QTest::newRow("cero") << std::optional<QString>(QStringLiteral("0")) << QStringLiteral("SELECT TOP 1000 ");
        QTest::newRow("no numerico") << std::optional<QString>(QStringLiteral("muchos")) << QStringLiteral("SELECT TOP 1000 ");
        QTest::newRow("250") << std::optional<QString>(QStringLiteral("250")) << QStringLiteral("SELECT TOP 250 ");
    }
    void topeDeLasSentencias() {
        QFETCH(std::optional<QString>, valor);
        QFETCH(QString, comienzo);
        SesionPrueba s;
        PonerCfg(s, QStringLiteral("TopConsArt"), valor);
        Lib_ClsCons3 m;
        QString campo, where;
        QVERIFY(Sentencia(m, s, QStringLiteral("V_TA_Rubros"), campo, where).startsWith(comienzo));
        // The definition-file route is limited the same way.
        m.gUsarMascarasConsultas = true;
        m.gRutaMascaraConsultas = Mascaras(
            s, Registro(QStringLiteral("RUBROS"), QStringLiteral("V_TA_Rubros"), QStringLiteral("|Descripcion|IdRubro|")));
        campo.clear();
        QVERIFY(Sentencia(m, s, QStringLiteral("V_TA_Rubros"), campo, where).startsWith(comienzo));
    }

    void articulosDesdeElArchivoDeDefiniciones() {
        SesionPrueba s;
        Lib_ClsCons3 m;
        m.gUsarMascarasConsultas = true;
        m.gRutaMascaraConsultas = s.base().Carpeta() + QStringLiteral("/consultas.tvx");
        ArmaConsultasDefault(m.gRutaMascaraConsultas);
        QString campo, where;
        int filas = -1;
        s.guion().AlMostrarModal([&](QWidget* w) {
            filas = Lista(w)->modelo()->rowCount();
            Cancelar(w);
        });
        m.ConsultaSearch(QStringLiteral("V_MA_ARTICULOS"), nullptr, QString(), campo, where, QString(), false, QString());
        QCOMPARE(m.UltimaSentencia, QStringLiteral("SELECT TOP 1000 DESCRIPCION,IDARTICULO FROM VT_MA_ARTICULOS  with(nolock)  "
                                                   "WHERE SUSPENDIDO = 0 ORDER BY DESCRIPCION"));
        QCOMPARE(campo, QStringLiteral("DESCRIPCION"));
        QCOMPARE(filas, std::min(1000, s.Contar(QStringLiteral("MA_ARTICULOS WHERE SUSPENDIDO = 0"))));
        QVERIFY(filas > 0);
    }

    void clientesConWhereNoLlevanLaBaja() {
        SesionPrueba s;
        Lib_ClsCons3 m;
        m.gUsarMascarasConsultas = true;
        m.gRutaMascaraConsultas = Mascaras(
            s, Registro(QStringLiteral("CLIENTES"), QStringLiteral("VT_CLIENTES"), QStringLiteral("|RAZON_SOCIAL|CODIGO|")) +
                   Registro(QStringLiteral("PROVEEDORES"), QStringLiteral("VT_PROVEEDORES"),
                            QStringLiteral("|RAZON_SOCIAL|CODIGO|")));
        QString campo, where = QStringLiteral("CODIGO > '0'");
        QCOMPARE(Sentencia(m, s, QStringLiteral("VT_CLIENTES"), campo, where),
                 QStringLiteral("SELECT TOP 1000 RAZON_SOCIAL,CODIGO FROM VT_CLIENTES  with(nolock)  WHERE  (CODIGO > '0')  "
                                "ORDER BY RAZON_SOCIAL"));
        QCOMPARE(where, QStringLiteral(" (CODIGO > '0') "));
        // Without a Where the supplier default applies; a given search column is kept.
        where.clear();
        campo = QStringLiteral("CODIGO");
        QCOMPARE(
            Sentencia(m, s, QStringLiteral(" vt_proveedores "), campo, where),
            QStringLiteral(
                "SELECT TOP 1000 RAZON_SOCIAL,CODIGO FROM VT_PROVEEDORES  with(nolock)  WHERE Dada_De_Baja = 0 ORDER BY CODIGO"));
    }

    void sentenciaPropiaDelLlamador() {
        SesionPrueba s;
        Lib_ClsCons3 m;
        QString campo, where = QStringLiteral("SUSPENDIDO = 0");
        QCOMPARE(Sentencia(m, s, QStringLiteral("select IdArticulo, Descripcion from V_MA_ARTICULOS"), campo, where),
                 QStringLiteral("select IdArticulo, Descripcion from VT_MA_ARTICULOS WHERE  (SUSPENDIDO = 0) "));
        // One character is not wrapped in parentheses.
        where = QStringLiteral("1");
        QCOMPARE(Sentencia(m, s, QStringLiteral("select IdRubro from V_TA_Rubros"), campo, where),
                 QStringLiteral("select IdRubro from V_TA_Rubros WHERE 1"));
    }

    void sentenciaGenericaPorColumnas() {
        SesionPrueba s;
        s.Sql(QStringLiteral("CREATE TABLE T_PRUEBA (ID int, CODIGO varchar(10), DESCRIPCION varchar(40), RUBRO varchar(4))"));
        s.Sql(
            QStringLiteral("CREATE TABLE v_mv_mutuales (ID int, CODIGO varchar(10), DESCRIPCION varchar(40), RUBRO varchar(4))"));
        Lib_ClsCons3 m;
        QString campo, where;
        QCOMPARE(Sentencia(m, s, QStringLiteral("T_PRUEBA"), campo, where),
                 QStringLiteral("SELECT TOP 1000 RUBRO,DESCRIPCION,CODIGO FROM T_PRUEBA  ORDER BY DESCRIPCION"));
        QCOMPARE(campo, QStringLiteral("DESCRIPCION"));
        campo.clear();
        QCOMPARE(Sentencia(m, s, QStringLiteral("v_mv_mutuales"), campo, where),
                 QStringLiteral("SELECT TOP 1000 RUBRO,DESCRIPCION,CODIGO,ID FROM v_mv_mutuales  ORDER BY DESCRIPCION"));
        QCOMPARE(campo, QStringLiteral("DESCRIPCION"));
        // Fixed column sets override the search column; the Where (or nothing) goes in after one blank.
        campo = QStringLiteral("Otra");
        where = QStringLiteral("Unidad = '1'");
        QCOMPARE(
            Sentencia(m, s, QStringLiteral("V_TA_DEPOSITO"), campo, where),
            QStringLiteral(
                "SELECT TOP 1000 Descripcion,Unidad,IdDeposito FROM V_TA_DEPOSITO WHERE   (Unidad = '1')  ORDER BY IdDeposito"));
        QCOMPARE(campo, QStringLiteral("IdDeposito"));
        // An optional statement is used unchanged.
        where.clear();
        QCOMPARE(Sentencia(m, s, QStringLiteral("T_PRUEBA"), campo, where, QStringLiteral("SELECT CODIGO FROM T_PRUEBA")),
                 QStringLiteral("SELECT CODIGO FROM T_PRUEBA"));
    }

    void entradaDeUnaColumnaPideConfigurar() {
        SesionPrueba s;
        Lib_ClsCons3 m;
        m.gUsarMascarasConsultas = true;
        m.gRutaMascaraConsultas =
            Mascaras(s, Registro(QStringLiteral("RUBROS"), QStringLiteral("V_TA_Rubros"), QStringLiteral("|IdRubro|")));
        m.ValorDevuelto = QStringLiteral("anterior");
        m.CampoDevuelto = QStringLiteral("IdRubro");
        s.guion().ResponderMsgBox(vb::OK, QStringLiteral("Debe configurar la consulta para esta tabla"));
        QString campo, where;
        m.ConsultaSearch(QStringLiteral("V_TA_Rubros"), nullptr, QString(), campo, where, QString(), false, QString());
        QCOMPARE(s.guion().UltimaCaja().estilo, 64);
        QCOMPARE(s.guion().UltimaCaja().titulo, QStringLiteral("Aviso al operador"));
        QCOMPARE(m.ValorDevuelto.toString(), QStringLiteral("anterior"));
        QCOMPARE(s.guion().Pendientes(), 0);
    }

    void archivoDeDefinicionesDanado_data() {
        QTest::addColumn<QByteArray>("contenido");
        const QByteArray bueno =
            Registro(QStringLiteral("RUBROS"), QStringLiteral("V_TA_Rubros"), QStringLiteral("|Descripcion|IdRubro|"));
        QTest::newRow("registro truncado") << bueno.left(700);
        QTest::newRow("basura") << QByteArray(3000, '\x07');
        QTest::newRow("registro corrido") << (QByteArray("xx") + bueno);
        QTest::newRow("vacio") << QByteArray();
    }
    void archivoDeDefinicionesDanado() {
        QFETCH(QByteArray, contenido);
        SesionPrueba s;
        Lib_ClsCons3 m;
        m.gUsarMascarasConsultas = true;
        m.gRutaMascaraConsultas = Mascaras(s, contenido);
        QString campo, where;
        QCOMPARE(Sentencia(m, s, QStringLiteral("V_TA_Rubros"), campo, where),
                 QStringLiteral("SELECT TOP 1000 Descripcion,IdRubro FROM V_TA_Rubros  ORDER BY Descripcion"));
        // Nothing is rewritten from the damaged file.
        QFile f(m.gRutaMascaraConsultas);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), contenido);
    }

    void archivoDeDefinicionesAusente() {
        SesionPrueba s;
        Lib_ClsCons3 m;
        m.gUsarMascarasConsultas = true;
        m.gRutaMascaraConsultas = s.base().Carpeta() + QStringLiteral("/no_existe.tvx");
        QString campo, where;
        s.guion().AlMostrarModal([&](QWidget* w) { Cancelar(w); });
        m.ConsultaSearch(QStringLiteral("select IdRubro from V_TA_Rubros"), nullptr, QString(), campo, where, QString(), false,
                         QString());
        QCOMPARE(m.UltimaSentencia, QStringLiteral("select IdRubro from V_TA_Rubros"));
    }

    void aceptarYCancelar() {
        SesionPrueba s;
        Lib_ClsCons3 m;
        QStringList devueltos{QStringLiteral("Descripcion"), QStringLiteral("IdRubro")};
        m.CampoDevuelto = QStringLiteral("IdRubro");
        const QString primero = s.Sql(QStringLiteral("SELECT IdRubro FROM TA_RUBROS ORDER BY Descripcion LIMIT 1"));
        const QString desc = s.Sql(QStringLiteral("SELECT Descripcion FROM TA_RUBROS ORDER BY Descripcion LIMIT 1"));
        s.guion().AlMostrarModal([&](QWidget* w) {
            auto* f = Lista(w);
            QCOMPARE(f->CampoDevuelto, QStringLiteral("IdRubro"));
            QTest::keyClick(f->CmbSearch(0)->lineEdit(), Qt::Key_Down);
            QTest::keyClick(f->ListView1, Qt::Key_Return);
        });
        QString campo, where;
        m.ConsultaSearch(QStringLiteral("select Descripcion, IdRubro from V_TA_Rubros"), &devueltos, QString(), campo, where,
                         QString(), false, QString());
        QCOMPARE(m.ValorDevuelto.toString(), primero);
        QVERIFY(m.Valores.has_value());
        QCOMPARE(*m.Valores, (QStringList{desc, primero}));
        QVERIFY(devueltos.isEmpty());
        QVERIFY(m.CampoDevuelto.isEmpty());

        m.CampoDevuelto = QStringLiteral("IdRubro");
        s.guion().AlMostrarModal([&](QWidget* w) { QTest::mouseClick(Lista(w)->CmdCancelar, Qt::LeftButton); });
        m.ConsultaSearch(QStringLiteral("select Descripcion, IdRubro from V_TA_Rubros"), false);
        QCOMPARE(m.ValorDevuelto.toString(), QString());
        QVERIFY(!m.Valores.has_value());
        QVERIFY(m.CampoDevuelto.isEmpty());
    }

    void marcasConValoresPorDefecto() {
        SesionPrueba s;
        Lib_ClsCons3 m;
        m.Checks = true;
        m.CampoDevuelto = QStringLiteral("IdRubro");
        const QString todos = s.Sql(QStringLiteral("SELECT group_concat(IdRubro, ',') FROM TA_RUBROS"));
        int marcadasAlAbrir = -1;
        s.guion().AlMostrarModal([&](QWidget* w) {
            auto* f = Lista(w);
            marcadasAlAbrir = 0;
            for (int r = 0; r < f->modelo()->FilaCount(); ++r) marcadasAlAbrir += f->modelo()->FilaEn(r).marca == Qt::Checked;
            // Space on the list toggles the current row's check.
            f->ListView1->setFocus();
            f->ListView1->setCurrentIndex(f->modelo()->index(1, 0));
            QTest::keyClick(f->ListView1, Qt::Key_Space);
            QTest::mouseClick(f->CmdAceptar, Qt::LeftButton);
        });
        QString campo, where;
        m.ConsultaSearch(QStringLiteral("select IdRubro, Descripcion from V_TA_Rubros ORDER BY IdRubro"), nullptr, QString(),
                         campo, where, QString(), false, todos);
        // The engine clears the marks the defaults set before the operator sees the list.
        QCOMPARE(marcadasAlAbrir, 0);
        QVERIFY(m.Valores.has_value());
        QCOMPARE(*m.Valores,
                 QStringList{s.Sql(QStringLiteral("SELECT IdRubro FROM TA_RUBROS ORDER BY IdRubro LIMIT 1 OFFSET 1"))});
        QCOMPARE(m.Checks, false);
    }

    void arbolDesdeElMotor() {
        SesionPrueba s;
        Lib_ClsCons3 m;
        m.CampoDevuelto = QStringLiteral("IDFAMILIA");
        s.guion().AlMostrarModal([&](QWidget* w) {
            auto* t = qobject_cast<Lib_FrmCons3Tree*>(w);
            QVERIFY(t);
            QVERIFY(t->modelo()->NodoCount() > 1);
            t->TreeV->setCurrentIndex(t->modelo()->IndiceDe(1));
            QTest::keyClick(t->TreeV, Qt::Key_Return);
        });
        m.ConsultaSearch(QStringLiteral("select IdFamilia, Descripcion from V_TA_FAMILIAS order by IdFamilia"), true);
        QCOMPARE(m.ValorDevuelto.toString(),
                 s.Sql(QStringLiteral("SELECT IdFamilia FROM TA_FAMILIAS ORDER BY IdFamilia LIMIT 1")));
        QVERIFY(m.CampoDevuelto.isEmpty());
    }

    void listasDeOpciones() {
        SesionPrueba s;
        Lib_ClsCons3 m;
        s.guion().AlMostrarModal([&](QWidget* w) {
            auto* f = Lista(w);
            QCOMPARE(f->windowTitle(), QStringLiteral("Elegir"));
            QVERIFY(f->CmdNueva->isHidden());
            QCOMPARE(f->modelo()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Elegir"));
            QTest::keyClick(f->CmbSearch(0)->lineEdit(), Qt::Key_Down);
            QTest::keyClick(f->ListView1, Qt::Key_Down);
            QTest::keyClick(f->ListView1, Qt::Key_Return);
        });
        QCOMPARE(m.MenuOpciones(QStringLiteral("Elegir"), {QStringLiteral("Uno"), QStringLiteral("Dos"), QStringLiteral("Tres")}),
                 QStringLiteral("Dos"));

        s.guion().AlMostrarModal([&](QWidget* w) {
            auto* f = Lista(w);
            QCOMPARE(f->modelo()->FilaCount(), 3);
            QTest::mouseClick(f->CmdTodos, Qt::LeftButton);  // inverts every mark
            QTest::mouseClick(f->CmdAceptar, Qt::LeftButton);
        });
        m.CheckOpciones(QStringLiteral("Marcar"), {QStringLiteral("1Uno"), QStringLiteral("0Dos"), QStringLiteral("1Tres")});
        QCOMPARE(*m.Valores, QStringList{QStringLiteral("Dos")});

        s.guion().AlMostrarModal([&](QWidget* w) {
            QCOMPARE(Lista(w)->modelo()->FilaCount(), 0);
            QTest::mouseClick(Lista(w)->CmdAceptar, Qt::LeftButton);
        });
        m.CheckOpciones(QStringLiteral("Marcar"), {QStringLiteral("1Uno")});
        QVERIFY(m.Valores->isEmpty());
    }

    void consultaDesdeArchivo() {
        SesionPrueba s;
        Lib_ClsCons3 m;
        const QString falta = s.base().Carpeta() + QStringLiteral("/nada.txt");
        s.guion().ResponderMsgBox(vb::OK);
        QCOMPARE(m.ConsultaDesdeArchivo(QStringLiteral("Archivo"), falta), QString());
        QCOMPARE(s.guion().UltimaCaja().texto,
                 QStringLiteral("No existe el archivo ") + falta + QStringLiteral(" que desea consultar consulta "));
        QCOMPARE(s.guion().UltimaCaja().estilo, 0);

        const QString ruta = s.base().Carpeta() + QStringLiteral("/lineas.txt");
        QFile f(ruta);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("primera linea\r\nsegunda linea\r\ntercera\r\n");
        f.close();
        s.guion().AlMostrarModal([&](QWidget* w) {
            auto* l = Lista(w);
            QCOMPARE(l->modelo()->FilaCount(), 3);
            QTest::keyClicks(l->CmbSearch(0)->lineEdit(), QStringLiteral("SEG"));
            QTest::keyClick(l->CmbSearch(0)->lineEdit(), Qt::Key_Return);
        });
        QCOMPARE(m.ConsultaDesdeArchivo(QStringLiteral("Archivo"), ruta), QStringLiteral("segunda linea"));
    }
};

QTEST_MAIN(TstLibClsCons3)
#include "tst_lib_clscons3.moc"
