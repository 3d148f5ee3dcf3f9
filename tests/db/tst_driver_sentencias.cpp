#include "PlataformaGuion.h"
#include "db/driver/Conexion.h"
#include "db/driver/ExtensionesSqlite.h"
#include "db/driver/Recordset.h"
#include "demo/BaseDemo.h"
#include "services/ErrorEjecucion.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace driver;

// The statement texts the program sends, exactly as it writes them, run on the demo database through
// the embedded back end: each must run and give what SQL Server would give.
class TstDriverSentencias : public QObject {
    Q_OBJECT

    QTemporaryDir tmp_;
    std::unique_ptr<GuionInstalado> guion_;
    Conexion cn_;

    std::unique_ptr<Recordset> Abrir(const QString& sql, int cursor = adOpenForwardOnly, int bloqueo = adLockReadOnly) {
        auto rs = std::make_unique<Recordset>();
        rs->Open(sql, &cn_, cursor, bloqueo);
        return rs;
    }
    QStringList Columna(const QString& sql, int campo = 0) {
        QStringList l;
        for (auto rs = Abrir(sql); !rs->EOF_(); rs->MoveNext()) l << rs->Fields(campo).Value.toString();
        return l;
    }
    QVariant Uno(const QString& sql) {
        auto rs = Abrir(sql);
        return rs->EOF_() ? QVariant() : rs->Fields(0).Value;
    }
    static bool Ordenada(const QStringList& l) {
        for (int i = 1; i < l.size(); ++i) {
            if (sqlite::CompararTexto(l.at(i - 1), l.at(i)) > 0) return false;
        }
        return true;
    }

private slots:
    void initTestCase() {
        guion_ = std::make_unique<GuionInstalado>();
        (*guion_)->carpeta = tmp_.path();
        QString error;
        QVERIFY2(demo::CrearBaseDemo(tmp_.path(), QStringLiteral("DEMO"), &error, false, QStringLiteral(MP_DATA_DIR)),
                 qPrintable(error));
        cn_.Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =DEMO;UId=DEMO;Pwd=DEMO;"));
        cn_.SetCommandTimeout(30);
    }
    void cleanupTestCase() {
        cn_.Close();
        guion_.reset();
    }

    void elArbolYLasPosiciones() {
        const QStringList codigos = Columna(
            QStringLiteral("SELECT IdPosicion,Descripcion FROM MA_POSICiones where iddeposito='   1' ORDER BY IdPosicion"));
        QVERIFY(codigos.size() > 10);
        QVERIFY(Ordenada(codigos));
        QCOMPARE(codigos.size(), Uno(QStringLiteral("SELECT count(*) FROM MA_POSICIONES WHERE IdDeposito = '   1'")).toInt());

        auto rs = Abrir(QStringLiteral("select * from ma_posiciones where iddeposito='   1'and idposicion='") + codigos.first() +
                            QLatin1Char('\''),
                        adOpenDynamic, adLockOptimistic);
        QCOMPARE(rs->RecordCount(), 1L);
        QCOMPARE(rs->Fields(QStringLiteral("idposicion")).DefinedSize, 25);
        QCOMPARE(rs->Fields(QStringLiteral("Titulo")).Type, 11);
        QCOMPARE(rs->Fields(QStringLiteral("CAPACIDAD")).Type, 131);

        const QString padre = codigos.first();
        const int hijos =
            Uno(QStringLiteral("SELECT count(*) FROM MA_POSICIONES WHERE IdDeposito = '   1' AND IdPosicion LIKE '%1_%'")
                    .arg(padre))
                .toInt();
        QVERIFY(hijos > 0);
        QCOMPARE(Columna(QStringLiteral(
                             "SELECT * FROM MA_POSICIONES WHERE iddeposito='   1' AND SUBSTRING(LTRIM(RTRIM(IDPOSICION)),1,%1) = "
                             "'%2' AND LEN(RTRIM(LTRIM(IDPOSICION))) > %1")
                             .arg(padre.size())
                             .arg(padre))
                     .size(),
                 hijos);
        QCOMPARE(
            Columna(QStringLiteral("SELECT * FROM MA_POSICIONES WHERE iddeposito='   1' and RTRIM(LTRIM(IDPOSICION)) = '%1  '")
                        .arg(padre))
                .size(),
            1);
        // A heading carries no reservation; the query that looks for one runs and finds none.
        QCOMPARE(Columna(QStringLiteral(
                             "SELECT * FROM MA_POSICiones WHERE RTRIM(LTRIM(IDPOSICION)) = '%1' AND (NOT IDARTICULO IS NULL "
                             "OR NOT IdTipo IS NULL  OR NOT IDFAMILIA IS NULL OR NOT IDRUBRO IS NULL)")
                             .arg(padre))
                     .size(),
                 0);

        const QString mayor =
            Uno(QStringLiteral("SELECT MAX(IdPosicion) AS MAYOR FROM MA_POSICIONES WHERE IdDeposito = '   1'")).toString();
        QCOMPARE(mayor, codigos.last());
        const QString menor =
            Uno(QStringLiteral("SELECT MIN(IdPosicion) AS MENOR FROM MA_POSICIONES  with(nolock)  WHERE IdDeposito = '   1'"))
                .toString();
        QCOMPARE(menor, codigos.first());
    }

    void lasBusquedasDeCodigos() {
        auto rs = Abrir(QStringLiteral("SELECT TOP 1  * FROM V_TA_Unidad with(nolock)  WHERE LTRIM(RTRIM(idunidad)) ='un'"));
        QCOMPARE(rs->RecordCount(), 1L);
        QCOMPARE(rs->Valor(QStringLiteral("IdUnidad")).toString(), QStringLiteral("UN"));
        QCOMPARE(Columna(QStringLiteral("SELECT * FROM V_TA_DEPOSITO with(nolock)   WHERE IdDeposito ='   1'")).size(), 1);
        QCOMPARE(Columna(QStringLiteral("SELECT TOP 1 * FROM V_MA_ARTICULOS with(nolock)  WHERE IdArticulo = 100001")).size(), 1);
        QCOMPARE(
            Columna(
                QStringLiteral(
                    "SELECT TOP 1 * FROM V_TA_DEPOSITO with(nolock)  WHERE IdDeposito = '   1' AND Descripcion LIKE 'deposito%'"))
                .size(),
            1);

        const QStringList depositos =
            Columna(QStringLiteral("SELECT IDDEPOSITO, DESCRIPCION FROM V_TA_DEPOSITO order by descripcion"), 1);
        QCOMPARE(depositos.size(), 3);
        QVERIFY(Ordenada(depositos));
        auto probe = Abrir(QStringLiteral("select top 1 * from V_TA_DEPOSITO"));
        QCOMPARE(probe->RecordCount(), 1L);
        QCOMPARE(probe->Fields(QStringLiteral("IdDeposito")).DefinedSize, 4);

        // The greatest article code not starting with "0", and the condition left empty by mistake.
        QVERIFY(!Uno(QStringLiteral(
                         "SELECT MAX(IdArticulo) AS MAYOR FROM V_MA_ARTICULOS WHERE  substring(ltrim(idarticulo),1,1)<>'0'"))
                     .toString()
                     .isEmpty());
        QVERIFY_THROWS_EXCEPTION(ErrorEjecucion,
                                 Abrir(QStringLiteral("SELECT MAX(IdArticulo) AS MAYOR FROM V_MA_ARTICULOS WHERE ")));
        QCOMPARE(cn_.Errors().Item(0).NativeError, 102L);
        cn_.Errors().Clear();
    }

    void lasFamiliasConSuPariente() {
        // The tree lookup's query, after the database layer removed its "@Admin_" marker.
        auto rs = Abrir(QStringLiteral(
            "SELECT     TOP 100 PERCENT IdFamilia, Descripcion, (SELECT     TOP 1 idfamilia FROM v_ta_familias a   Where "
            "a.IdFamilia < "
            "b.IdFamilia And (Len(LTrim(RTrim(a.IdFamilia))) < Len(LTrim(RTrim(b.IdFamilia))))  ORDER BY idfamilia DESC) AS "
            "[relative] FROM dbo.V_TA_FAMILIAS b Where IdFamilia<>'' ORDER BY IdFamilia"));
        QStringList codigos;
        QMap<QString, QVariant> pariente;
        for (; !rs->EOF_(); rs->MoveNext()) {
            codigos << rs->Valor(QStringLiteral("IdFamilia")).toString();
            pariente.insert(codigos.last(), rs->Valor(QStringLiteral("RELATIVE")));
        }
        QVERIFY(codigos.size() > 10);
        QVERIFY(Ordenada(codigos));
        for (const QString& c : codigos) {
            QString esperado;
            for (const QString& a : codigos) {
                if (a < c && a.trimmed().size() < c.trimmed().size() && a > esperado) esperado = a;
            }
            if (esperado.isEmpty()) {
                QVERIFY2(pariente.value(c).isNull(), qPrintable(c));
            } else {
                QCOMPARE(pariente.value(c).toString(), esperado);
            }
        }
        QVERIFY(pariente.value(QStringLiteral("01")).isNull());
        QCOMPARE(pariente.value(QStringLiteral("010201")).toString(), QStringLiteral("0102"));
    }

    void laFechaDelServidorYElAcceso() {
        auto rs = Abrir(QStringLiteral("select  getDate() as fecha"));
        QCOMPARE(rs->Fields(QStringLiteral("fecha")).Type, 135);
        QVERIFY(qAbs(rs->Valor(QStringLiteral("fecha")).toDateTime().secsTo(QDateTime::currentDateTime())) < 5);

        QCOMPARE(Columna(QStringLiteral("Select * from ta_usuarios  with(nolock)  where Nombre = 'demo'"), 3), QStringList{"1"});
        const QStringList tareas = Columna(QStringLiteral("SELECT TA_TAREAS.USUARIO, TA_MENU.Proceso, TA_MENU.Clave , "
                                                          "TA_MENU.Nombre  FROM TA_TAREAS  with(nolock) INNER JOIN TA_MENU "
                                                          "ON TA_TAREAS.TAREA = TA_MENU.Clave  WHERE (TA_TAREAS.USUARIO = 'DEMO "
                                                          "') AND (TA_MENU.Proceso LIKE '%MA_POSICIONES%')"),
                                           2);
        QCOMPARE(tareas, QStringList{"0101"});

        auto acceso = Abrir(QStringLiteral("Select TOP 1 * from Control_Acceso  with(nolock) "));
        QVERIFY(acceso->RecordCount() <= 1);
        QVERIFY(acceso->TieneCampo(QStringLiteral("EGRESO")));
        long n = 0;
        cn_.Execute(
            QStringLiteral("BEGIN TRANSACTION \r\r\rINSERT INTO Control_Acceso (Maquina,Usuario,Formulario,Tarea,Ingreso) VALUES "
                           "('PC7','DEMO','MA_POSICIONES','Definicion de Layout','25/03/24 14:05')\r"),
            &n);
        QCOMPARE(n, 1L);
        cn_.Execute(QStringLiteral("COMMIT TRANSACTION"));
        const qint64 id = cn_.UltimoIdentificador();
        cn_.Execute(
            QStringLiteral("UPDATE CONTROL_ACCESO  SET EGRESO = '25/03/24 18:30' WHERE EGRESO IS NULL AND  ID = %1").arg(id), &n);
        QCOMPARE(n, 1L);
        QCOMPARE(Uno(QStringLiteral("SELECT EGRESO FROM Control_Acceso WHERE id = %1").arg(id)).toString(),
                 QStringLiteral("25/03/24 18:30"));

        cn_.Execute(
            QStringLiteral("INSERT INTO V_MV_FALTANTES (FechaHora,IdArticulo,Descripcion,Usuario) values('25/03/2024 14:05:09',"
                           "'100001                   ','Harina 000','DEMO')"));
        QCOMPARE(Uno(QStringLiteral("SELECT FechaHora FROM V_MV_FALTANTES")),
                 QVariant(QDateTime(QDate(2024, 3, 25), QTime(14, 5, 9))));
    }

    void elBuscadorDeArticulos() {
        const QStringList lista =
            Columna(QStringLiteral("SELECT TOP 1000 DESCRIPCION,IDARTICULO FROM VT_MA_ARTICULOS  with(nolock)  WHERE SUSPENDIDO "
                                   "= 0 ORDER BY DESCRIPCION"));
        const int activos = Uno(QStringLiteral("SELECT count(*) FROM MA_ARTICULOS WHERE SUSPENDIDO = 0")).toInt();
        QCOMPARE(lista.size(), qMin(activos, 1000));
        QVERIFY(lista.size() <
                Uno(QStringLiteral("SELECT count(*) FROM MA_ARTICULOS")).toInt());  // the demo has suspended articles
        QVERIFY(Ordenada(lista));
        QCOMPARE(Columna(QStringLiteral(
                     "SELECT TOP 5 DESCRIPCION FROM VT_MA_ARTICULOS  with(nolock)  WHERE SUSPENDIDO = 0 ORDER BY DESCRIPCION")),
                 lista.mid(0, 5));
        // F5 in a search box: the condition joined before the ORDER BY.
        const QStringList harinas =
            Columna(QStringLiteral("SELECT TOP 1000 DESCRIPCION,IDARTICULO FROM VT_MA_ARTICULOS  with(nolock)  WHERE SUSPENDIDO "
                                   "= 0 and DESCRIPCION like '%HARINA%' "
                                   "ORDER BY DESCRIPCION"));
        QVERIFY(!harinas.isEmpty());
        for (const QString& h : harinas) QVERIFY(h.contains(QStringLiteral("harina"), Qt::CaseInsensitive));
    }

    void guardarYBorrarPosiciones() {
        long n = 0;
        const QString insertar = QStringLiteral(
            "INSERT INTO MA_Posiciones "
            "(IdPosicion,Descripcion,CAPACIDAD,IDUNIDAD,IdRubro,IdTipo,IdArticulo,Idfamilia,OrdenIngreso,"
            "HABILITADO,RESERVADO,COMPLETA,Picking,Titulo,Iddeposito) VALUES ('99','Calle "
            "nueva',999999,'UN',Null,Null,Null,Null,Null,1,0,"
            "0,0,1,'   1')");
        cn_.Execute(QStringLiteral("BEGIN TRANSACTION \r\r\r") + insertar + QStringLiteral("\r"), &n);
        cn_.Execute(QStringLiteral("COMMIT TRANSACTION"));
        QCOMPARE(n, 1L);
        cn_.Execute(
            QStringLiteral("UPDATE MA_Posiciones SET IdPosicion = '99',Descripcion = 'Calle 99',CAPACIDAD = 50,IDUNIDAD = 'KG',"
                           "IdRubro = Null,IdTipo = Null,IdArticulo = Null,Idfamilia = Null,OrdenIngreso = 3,HABILITADO = 1,"
                           "RESERVADO = 0,COMPLETA = 0,Picking = 1,Titulo = 0,Iddeposito = '   1'  Where IDDEPOSITO = '   1' AND "
                           "IDPOSICION='99'"),
            &n);
        QCOMPARE(n, 1L);
        auto rs = Abrir(QStringLiteral("select * from ma_posiciones where iddeposito='   1'and idposicion='99'"));
        QCOMPARE(rs->Valor(QStringLiteral("Descripcion")).toString(), QStringLiteral("Calle 99"));
        QCOMPARE(rs->Valor(QStringLiteral("Picking")), QVariant(true));
        QCOMPARE(rs->Valor(QStringLiteral("Capacidad")).toDouble(), 50.0);

        // The same key again: the duplicate the editor reports.
        QVERIFY_THROWS_EXCEPTION(ErrorEjecucion,
                                 cn_.Execute(QStringLiteral("BEGIN TRANSACTION \r\r\r") + insertar + QStringLiteral("\r")));
        QCOMPARE(cn_.Errors().Item(0).NativeError, 2627L);
        cn_.Errors().Clear();
        cn_.Execute(QStringLiteral("ROLLBACK TRANSACTION"));

        // Deleting "01" of a warehouse takes its whole subtree and nothing of other warehouses.
        const int otros = Uno(QStringLiteral("SELECT count(*) FROM MA_POSICIONES WHERE IdDeposito <> '   1'")).toInt();
        const int subarbol =
            Uno(QStringLiteral("SELECT count(*) FROM MA_POSICIONES WHERE IdDeposito = '   1' AND substr(IdPosicion,1,2) = '01'"))
                .toInt();
        QVERIFY(subarbol > 1);
        cn_.Execute(QStringLiteral("DELETE FROM MA_POSICIONES WHERE   IDDEPOSITO = '   1' AND IDPOSICION like '01%'"), &n);
        QCOMPARE(n, static_cast<long>(subarbol));
        QCOMPARE(Uno(QStringLiteral("SELECT count(*) FROM MA_POSICIONES WHERE IdDeposito <> '   1'")).toInt(), otros);
    }

    void laConfiguracionYLosErroresSeEscribenPorRecordset() {
        QCOMPARE(
            Columna(QStringLiteral("SELECT VALOR, valoraux FROM ta_configuracion with(nolock)  WHERE CLAVE = 'layout_nivel1'")),
            QStringList{"2"});
        // GrabaCfg: a missing key is added, an existing one changed, and deleted on request.
        for (const QString& valor : {QStringLiteral("uno"), QStringLiteral("dos")}) {
            auto rs = Abrir(QStringLiteral("SELECT * FROM ta_configuracion with(nolock)  WHERE CLAVE = 'Prueba_Driver'"),
                            adOpenDynamic, adLockOptimistic);
            if (rs->EOF_()) rs->AddNew();
            rs->Asignar(QStringLiteral("Grupo"), QStringLiteral("DATOS"));
            rs->Asignar(QStringLiteral("Clave"), QStringLiteral("PRUEBA_DRIVER"));
            rs->Asignar(QStringLiteral("Valor"), valor);
            rs->Asignar(QStringLiteral("PoliticaNegocio"), QStringLiteral("False"));
            rs->Update();
            rs->Close();
        }
        QCOMPARE(Columna(QStringLiteral("SELECT VALOR FROM TA_CONFIGURACION WHERE CLAVE = 'prueba_driver'")), QStringList{"dos"});
        auto rs = Abrir(QStringLiteral("SELECT * FROM ta_configuracion with(nolock)  WHERE CLAVE = 'PRUEBA_DRIVER'"),
                        adOpenDynamic, adLockOptimistic);
        rs->Delete();
        rs->Asignar(QStringLiteral("Valor"), QStringLiteral("sin efecto"));
        rs->Update();
        rs->Close();
        QVERIFY(Columna(QStringLiteral("SELECT VALOR FROM TA_CONFIGURACION WHERE CLAVE = 'prueba_driver'")).isEmpty());

        auto aux = Abrir(QStringLiteral("select  top 1 * from AUX_ERR  with(nolock) "), adOpenDynamic, adLockOptimistic);
        const int antes = Uno(QStringLiteral("SELECT count(*) FROM AUX_ERR")).toInt();
        aux->AddNew();
        aux->Asignar(QStringLiteral("Proceso"), QStringLiteral("MA_POSICIONES"));
        aux->Asignar(QStringLiteral("fecha"), QStringLiteral("25/03/24 14:05"));
        aux->Asignar(QStringLiteral("Error"), 2627);
        aux->Asignar(QStringLiteral("Descripcion"), QStringLiteral("Violation of PRIMARY KEY constraint"));
        aux->Asignar(QStringLiteral("Sql"), QStringLiteral("BEGIN TRANSACTION \r\r\rINSERT INTO ...\r"));
        aux->Asignar(QStringLiteral("PC"), QStringLiteral("PC7"));
        aux->Asignar(QStringLiteral("Usuario"), QStringLiteral("DEMO"));
        aux->Update();
        aux->Close();
        QCOMPARE(Uno(QStringLiteral("SELECT count(*) FROM AUX_ERR")).toInt(), antes + 1);
    }

    void agregarUnaColumnaAlVuelo() {
        const QString alter = QStringLiteral(
            "ALTER TABLE dbo.MA_POSICIONES ADD PICKING2 bit Not Null  CONSTRAINT DF_MA_POSICIONES_PICKING2 DEFAULT (0)");
        cn_.Execute(alter);
        auto columnas =
            cn_.OpenSchema(adSchemaColumns, {QStringLiteral("DEMO"), QString(), QStringLiteral("MA_POSICIONES"), QString()});
        bool hay = false;
        for (; !columnas->EOF_(); columnas->MoveNext())
            hay = hay || columnas->Valor(QStringLiteral("COLUMN_NAME"))
                                 .toString()
                                 .compare(QStringLiteral("picking2"), Qt::CaseInsensitive) == 0;
        QVERIFY(hay);
        auto rs = Abrir(QStringLiteral("SELECT TOP 1 * FROM MA_POSICIONES"));
        QCOMPARE(rs->Fields(QStringLiteral("PICKING2")).Type, 11);
        QCOMPARE(rs->Valor(QStringLiteral("PICKING2")), QVariant(false));
        cn_.Execute(QStringLiteral("ALTER TABLE dbo.MA_POSICIONES ADD OBS varchar(30) Null "));
        QVERIFY_THROWS_EXCEPTION(ErrorEjecucion, cn_.Execute(alter));  // it is there already
        cn_.Errors().Clear();
        auto tablas = cn_.OpenSchema(adSchemaTables);
        QStringList nombres;
        for (; !tablas->EOF_(); tablas->MoveNext()) nombres << tablas->Valor(QStringLiteral("TABLE_NAME")).toString().toUpper();
        QVERIFY(nombres.contains(QStringLiteral("TA_USUARIOS")));
        QVERIFY(nombres.contains(QStringLiteral("V_TA_FAMILIAS")));
    }
};

QTEST_GUILESS_MAIN(TstDriverSentencias)
#include "tst_driver_sentencias.moc"
