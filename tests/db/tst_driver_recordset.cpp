#include "BaseSqlite.h"
#include "db/driver/Conexion.h"
#include "db/driver/ExtensionesSqlite.h"
#include "db/driver/Recordset.h"
#include "services/ErrorEjecucion.h"

#include <sqlite3.h>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace driver;

namespace {

const char* kEsquema =
    "CREATE TABLE MA_POSICIONES (IdPosicion varchar(25) COLLATE NOCASE NOT NULL, Descripcion varchar(50) COLLATE NOCASE,"
    " Capacidad decimal(18,2), IdUnidad char(4) COLLATE NOCASE, OrdenIngreso int, Habilitado bit NOT NULL DEFAULT 1,"
    " IdDeposito varchar(4) COLLATE NOCASE NOT NULL, PRIMARY KEY (IdDeposito, IdPosicion));"
    "INSERT INTO MA_POSICIONES VALUES ('01', 'Calle 1', 999999, 'UN', 1, 1, '   1');"
    "INSERT INTO MA_POSICIONES VALUES ('0101', '', 10.5, NULL, NULL, 0, '   1');"
    "INSERT INTO MA_POSICIONES VALUES ('02', 'Calle 2', 20, 'KG', 2, 1, '   1');"
    "CREATE TABLE TIPOS (c varchar(30), nc nvarchar(12), ch char(3), t text, i int, si smallint, bi bigint, b bit, m money,"
    " d decimal(9,3), f float, r real, dt datetime, ii INTEGER);"
    "INSERT INTO TIPOS VALUES ('texto', 'ñandú', 'abc', 'largo', 7, 3, 5000000000, 1, 12.5, 3.25, 1.5, 2.5,"
    " '2024-03-25 14:05:09', 9);"
    "INSERT INTO TIPOS (dt) VALUES ('25/03/24 14:05');"
    // No key: rows are found by their values.
    "CREATE TABLE AUX_ERR (Proceso varchar(50) COLLATE NOCASE, Error int, Descripcion varchar(250) COLLATE NOCASE,"
    " fecha datetime DEFAULT '2000-01-01 00:00:00');"
    "INSERT INTO AUX_ERR VALUES ('P', 1, 'igual', NULL);"
    "INSERT INTO AUX_ERR VALUES ('P', 1, 'igual', NULL);";

class Base {
public:
    Base() {
        ruta = tmp.filePath(QStringLiteral("r.db"));
        if (!CrearBaseSqlite(ruta, kEsquema)) qFatal("no test database");
        cn.Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =%1;").arg(ruta));
    }
    std::unique_ptr<Recordset> Abrir(const QString& sql, int cursor = adOpenDynamic, int bloqueo = adLockOptimistic) {
        auto rs = std::make_unique<Recordset>();
        rs->Open(sql, &cn, cursor, bloqueo);
        return rs;
    }
    QVariant Uno(const QString& sql) {
        auto rs = cn.Execute(sql);
        return rs->EOF_() ? QVariant() : rs->Fields(0).Value;
    }
    QTemporaryDir tmp;
    QString ruta;
    Conexion cn;
};

long Numero(const std::function<void()>& f) {
    try {
        f();
    } catch (const ErrorEjecucion& e) {
        return e.Number;
    }
    return 0;
}

}  // namespace

// The client-side record set: moving through rows, reading fields, column types, and writing rows
// back through AddNew / Update / Delete with optimistic checks.
class TstDriverRecordset : public QObject {
    Q_OBJECT

private slots:
    // One database file reads the same through either back end: the same type and size for every
    // column, the same native error for every failure, the same schema rowset.
    void unArchivoSeLeeIgualPorAmbosMotores() {
        Base b;
        // Declarations only one of the two back ends used to know.
        b.cn.Execute(
            QStringLiteral("CREATE TABLE OTROS (a national varchar(12), b dec(7,2), c timestamp, d sysname, "
                           "e datetimeoffset, f bool)"));
        b.cn.Execute(QStringLiteral("INSERT INTO OTROS VALUES ('x', 1.5, '2024-01-02 03:04:05', 'dbo', NULL, 1)"));
        Conexion odbc;
        odbc.Open(QStringLiteral("DRIVER=SQLite3;Database=%1;").arg(b.ruta));
        auto tipos = [](Conexion& cn) {
            Recordset rs;
            rs.Open(QStringLiteral("SELECT * FROM TIPOS, OTROS"), &cn, adOpenForwardOnly, adLockReadOnly);
            QStringList l;
            for (int i = 0; i < rs.FieldCount(); ++i)
                l << QStringLiteral("%1 %2 %3").arg(rs.Fields(i).Name).arg(rs.Fields(i).Type).arg(rs.Fields(i).DefinedSize);
            return l;
        };
        QCOMPARE(tipos(odbc), tipos(b.cn));
        auto nativo = [](Conexion& cn, const QString& sql) {
            try {
                cn.Execute(sql);
            } catch (const ErrorEjecucion&) {
                return cn.Errors().Item(0).NativeError;
            }
            return -1L;
        };
        for (const QString& sql :
             {QStringLiteral("INSERT INTO MA_POSICIONES (IdPosicion, IdDeposito) VALUES ('01', '   1')"),
              QStringLiteral("INSERT INTO MA_POSICIONES (IdPosicion) VALUES ('09')"), QStringLiteral("SELECT * FROM NO_EXISTE"),
              QStringLiteral("SELECT NoExiste FROM TIPOS"), QStringLiteral("SELEC 1"), QStringLiteral("SELECT nofuncion(1)")})
            QCOMPARE(nativo(odbc, sql), nativo(b.cn, sql));
        auto esquema = [](Conexion& cn) {
            auto rs = cn.OpenSchema(adSchemaColumns);
            QStringList l;
            for (; !rs->EOF_(); rs->MoveNext())
                l << QStringLiteral("%1.%2 %3 %4 %5")
                         .arg(rs->Fields(QStringLiteral("TABLE_NAME")).Value.toString(),
                              rs->Fields(QStringLiteral("COLUMN_NAME")).Value.toString())
                         .arg(rs->Fields(QStringLiteral("DATA_TYPE")).Value.toInt())
                         .arg(rs->Fields(QStringLiteral("CHARACTER_MAXIMUM_LENGTH")).Value.toString())
                         .arg(rs->Fields(QStringLiteral("NUMERIC_SCALE")).Value.toString());
            l.sort();
            return l;
        };
        QCOMPARE(esquema(odbc), esquema(b.cn));
    }

    // A record set's text is one statement: a second one, with or without ";", is refused whole on
    // both back ends and nothing of it runs; scripts still run through Execute.
    void unaConsultaEsUnaSolaSentencia() {
        Base b;
        for (const QString& cadena : {QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =%1;").arg(b.ruta),
                                      QStringLiteral("DRIVER=SQLite3;Database=%1;").arg(b.ruta)}) {
            Conexion cn;
            cn.Open(cadena);
            for (const QString& texto :
                 {QStringLiteral("SELECT * FROM MA_POSICIONES; DELETE FROM MA_POSICIONES"),
                  QStringLiteral("SELECT * FROM MA_POSICIONES WHERE Descripcion like 'x' DELETE FROM MA_POSICIONES")}) {
                Recordset rs;
                QCOMPARE(Numero([&] { rs.Open(texto, &cn, adOpenForwardOnly, adLockReadOnly); }), errnum::E_FAIL);
                QCOMPARE(cn.Errors().Item(0).Description,
                         QStringLiteral("Una consulta debe ser una sola sentencia; el texto trae 2 y no se ejecutó ninguna."));
                QCOMPARE(b.Uno(QStringLiteral("SELECT COUNT(*) FROM MA_POSICIONES")).toInt(), 3);
            }
            Recordset rs;
            rs.Open(QStringLiteral("SELECT * FROM MA_POSICIONES WHERE Descripcion <> 'a; DELETE FROM MA_POSICIONES'"), &cn,
                    adOpenForwardOnly, adLockReadOnly);
            QVERIFY(!rs.EOF_());
        }
        b.cn.Execute(QStringLiteral("UPDATE MA_POSICIONES SET OrdenIngreso = 5; UPDATE MA_POSICIONES SET Capacidad = 1"));
        QCOMPARE(b.Uno(QStringLiteral("SELECT SUM(OrdenIngreso + Capacidad) FROM MA_POSICIONES")).toInt(), 18);
    }

    void navegaConBofEofYCuentaFilas() {
        Base b;
        auto rs = b.Abrir(QStringLiteral("SELECT IdPosicion FROM MA_POSICIONES ORDER BY IdPosicion"), adOpenForwardOnly,
                          adLockReadOnly);
        QCOMPARE(rs->State(), adStateOpen);
        QCOMPARE(rs->RecordCount(), 3L);
        QVERIFY(!rs->BOF() && !rs->EOF_());
        QStringList vistos;
        for (; !rs->EOF_(); rs->MoveNext()) vistos << rs->Fields(0).Value.toString();
        QCOMPARE(vistos, (QStringList{"01", "0101", "02"}));
        QCOMPARE(rs->AbsolutePosition(), -3L);
        QCOMPARE(Numero([&] { rs->MoveNext(); }), 3021L);
        QVERIFY(rs->Fields(0).Value.isNull());  // no current row: the field reads NULL
        QCOMPARE(Numero([&] { rs->Valor(QStringLiteral("IdPosicion")); }), 3021L);
        rs->MoveLast();
        QCOMPARE(rs->Fields(0).Value.toString(), QStringLiteral("02"));
        rs->MovePrevious();
        rs->MovePrevious();
        QCOMPARE(rs->AbsolutePosition(), 1L);
        rs->MovePrevious();
        QVERIFY(rs->BOF());
        QCOMPARE(Numero([&] { rs->MovePrevious(); }), 3021L);
        rs->MoveFirst();
        QCOMPARE(rs->Fields(0).Value.toString(), QStringLiteral("01"));

        auto vacio = b.Abrir(QStringLiteral("SELECT * FROM MA_POSICIONES WHERE 1 = 0"));
        QVERIFY(vacio->BOF() && vacio->EOF_());
        QCOMPARE(vacio->RecordCount(), 0L);
        QCOMPARE(vacio->FieldCount(), 7);  // the columns are known without rows
        QCOMPARE(vacio->Fields(QStringLiteral("descripcion")).DefinedSize, 50);

        rs->Close();
        QCOMPARE(rs->State(), adStateClosed);
        QCOMPARE(rs->RecordCount(), -1L);
        QCOMPARE(Numero([&] { rs->Close(); }), errnum::ObjectClosed);
        QCOMPARE(Numero([&] { rs->MoveNext(); }), errnum::ObjectClosed);
    }

    void getRowsEntregaCampoPorFilaDesdeLaActual() {
        Base b;
        auto rs = b.Abrir(QStringLiteral("SELECT IdPosicion, Capacidad FROM MA_POSICIONES ORDER BY IdPosicion"));
        rs->MoveNext();
        const auto filas = rs->GetRows();
        QCOMPARE(filas.size(), 2);  // two fields
        QCOMPARE(filas.at(0), (QVector<QVariant>{QStringLiteral("0101"), QStringLiteral("02")}));
        QCOMPARE(filas.at(1).at(0).toDouble(), 10.5);
        QVERIFY(rs->EOF_());
        QCOMPARE(Numero([&] { rs->GetRows(); }), 3021L);
    }

    void nuloNoEsTextoVacioYLosCamposSeBuscanSinMayusculas() {
        Base b;
        auto rs = b.Abrir(QStringLiteral("SELECT * FROM MA_POSICIONES WHERE IdPosicion = '0101'"));
        const QVariant vacio = rs->Valor(QStringLiteral("DESCRIPCION"));
        QVERIFY(!vacio.isNull());
        QCOMPARE(vacio.toString(), QString());
        QVERIFY(rs->Valor(QStringLiteral("idunidad")).isNull());
        QVERIFY(rs->Fields(QStringLiteral("OrdenIngreso")).Value.isNull());
        QCOMPARE(rs->IndiceCampo(QStringLiteral(" iddeposito ")), 6);
        QVERIFY(rs->TieneCampo(QStringLiteral("IDPOSICION")));
        QVERIFY(!rs->TieneCampo(QStringLiteral("NoExiste")));
        QCOMPARE(rs->TamanoCampo(QStringLiteral("idposicion")), 25);
        QCOMPARE(rs->ValorCampo(QStringLiteral("IdDeposito")).toString(), QStringLiteral("   1"));
        QCOMPARE(Numero([&] { rs->Fields(QStringLiteral("NoExiste")); }), 3265L);
        QCOMPARE(Numero([&] { rs->Fields(7); }), 3265L);
        QCOMPARE(Numero([&] { rs->Valor(QStringLiteral("NoExiste")); }), 3265L);

        // Field names as SQL Server gives them: as the select list writes them, without the
        // table or its quotes; a star gives the declared names; aliases as written.
        auto nombres =
            b.Abrir(QStringLiteral("SELECT DESCRIPCION, p.idposicion, [IdDeposito], p.[Habilitado], Capacidad AS CAP, "
                                   "ISNULL(IdUnidad, '') AS Unidad FROM MA_POSICIONES p WHERE IdPosicion = '0101'"));
        QStringList vistos;
        for (int i = 0; i < nombres->FieldCount(); ++i) vistos << nombres->Fields(i).Name;
        QCOMPARE(vistos, QStringList({QStringLiteral("DESCRIPCION"), QStringLiteral("idposicion"), QStringLiteral("IdDeposito"),
                                      QStringLiteral("Habilitado"), QStringLiteral("CAP"), QStringLiteral("Unidad")}));
        QCOMPARE(nombres->Fields(QStringLiteral("descripcion")).ColumnaBase, QStringLiteral("Descripcion"));
        QCOMPARE(rs->Fields(0).Name, QStringLiteral("IdPosicion"));
    }

    // The stored bytes of a text field, for passes over large results; anything else, and a field
    // already read or changed on the row, goes through Value.
    void textoUtf8SoloDeTextosGuardados() {
        Base b;
        auto rs = b.Abrir(QStringLiteral("SELECT nc, i, dt, c FROM TIPOS"), adOpenDynamic, adLockReadOnly);
        QUtf8StringView t;
        QVERIFY(rs->TextoUtf8(0, t));
        QCOMPARE(QString::fromUtf8(t.data(), t.size()), QStringLiteral("ñandú"));
        QVERIFY(!rs->TextoUtf8(1, t));  // a number
        QVERIFY(!rs->TextoUtf8(4, t));  // no such field
        QVERIFY(!rs->TextoUtf8(-1, t));
        rs->Fields(3).Value = QStringLiteral("cambiado");
        QVERIFY(!rs->TextoUtf8(3, t));
        QCOMPARE(rs->Fields(3).Value.toString(), QStringLiteral("cambiado"));
        rs->MoveNext();
        QVERIFY(!rs->TextoUtf8(0, t));  // NULL
        QVERIFY(rs->Fields(0).Value.isNull());
        rs->MoveNext();
        QVERIFY(rs->EOF_());
        QVERIFY(!rs->TextoUtf8(0, t));
    }

    void losTiposSalenDeLosTiposDeclarados() {
        Base b;
        auto rs = b.Abrir(QStringLiteral("SELECT * FROM TIPOS"));
        struct Esperado {
            const char* campo;
            int tipo;
            int tamano;
        };
        const Esperado esperados[] = {{"c", 200, 30},  {"nc", 202, 12}, {"ch", 129, 3}, {"t", 201, 2147483647},
                                      {"i", 3, 4},     {"si", 2, 2},    {"bi", 20, 8},  {"b", 11, 2},
                                      {"m", 6, 8},     {"d", 131, 19},  {"f", 5, 8},    {"r", 5, 8},
                                      {"dt", 135, 16}, {"ii", 3, 4}};
        for (const auto& e : esperados) {
            const Campo& c = rs->Fields(QString::fromLatin1(e.campo));
            QVERIFY2(c.Type == e.tipo, e.campo);
            QVERIFY2(c.DefinedSize == e.tamano, e.campo);
        }
        QCOMPARE(rs->Fields(QStringLiteral("d")).Precision, 9);
        QCOMPARE(rs->Fields(QStringLiteral("d")).NumericScale, 3);
        QCOMPARE(rs->Fields(QStringLiteral("c")).TablaBase, QStringLiteral("TIPOS"));

        QCOMPARE(rs->Valor(QStringLiteral("nc")).toString(), QStringLiteral("ñandú"));
        QCOMPARE(rs->Valor(QStringLiteral("i")).typeId(), QMetaType::Int);
        QCOMPARE(rs->Valor(QStringLiteral("bi")).toLongLong(), 5000000000LL);
        QCOMPARE(rs->Valor(QStringLiteral("b")), QVariant(true));
        QCOMPARE(rs->Valor(QStringLiteral("m")).toDouble(), 12.5);
        QCOMPARE(rs->Valor(QStringLiteral("d")).typeId(), QMetaType::Double);
        QCOMPARE(rs->Valor(QStringLiteral("dt")), QVariant(QDateTime(QDate(2024, 3, 25), QTime(14, 5, 9))));
        rs->MoveNext();
        // A date written in the suite's own text form reads back as a date too.
        QCOMPARE(rs->Valor(QStringLiteral("dt")), QVariant(QDateTime(QDate(2024, 3, 25), QTime(14, 5))));

        // Expressions have no declared type: their values decide.
        auto ex =
            b.Abrir(QStringLiteral("SELECT count(*) AS n, max(IdPosicion) AS mayor, 1.5 AS x, getDate() AS fecha, NULL AS nada"
                                   " FROM MA_POSICIONES"));
        QCOMPARE(ex->Fields(QStringLiteral("n")).Type, 3);
        QCOMPARE(ex->Fields(QStringLiteral("mayor")).Type, 200);
        QCOMPARE(ex->Fields(QStringLiteral("mayor")).DefinedSize, 255);
        QCOMPARE(ex->Valor(QStringLiteral("mayor")).toString(), QStringLiteral("02"));
        QCOMPARE(ex->Fields(QStringLiteral("x")).Type, 5);
        QCOMPARE(ex->Fields(QStringLiteral("fecha")).Type, 135);
        const QDateTime ahora = ex->Valor(QStringLiteral("fecha")).toDateTime();
        QVERIFY(qAbs(ahora.secsTo(QDateTime::currentDateTime())) < 5);
        QVERIFY(ex->Valor(QStringLiteral("nada")).isNull());
    }

    void agregaActualizaYBorraFilas() {
        Base b;
        auto rs = b.Abrir(QStringLiteral("SELECT * FROM MA_POSICIONES WHERE IdDeposito = '   1' ORDER BY IdPosicion"));
        rs->AddNew();
        QVERIFY(rs->EditandoFila());
        rs->Asignar(QStringLiteral("IdPosicion"), QStringLiteral("03"));
        rs->Asignar(QStringLiteral("IdDeposito"), QStringLiteral("   1"));
        rs->Fields(QStringLiteral("Descripcion")).Value = QStringLiteral("Calle 3");  // ADO's rs!Campo = valor
        rs->Update();
        QVERIFY(!rs->EditandoFila());
        QCOMPARE(rs->RecordCount(), 4L);
        QCOMPARE(rs->Valor(QStringLiteral("IdPosicion")).toString(), QStringLiteral("03"));
        QCOMPARE(rs->Valor(QStringLiteral("Habilitado")), QVariant(true));  // the table's default, read back
        QCOMPARE(b.Uno(QStringLiteral("SELECT Descripcion FROM MA_POSICIONES WHERE IdPosicion = '03'")).toString(),
                 QStringLiteral("Calle 3"));

        rs->MoveFirst();
        rs->Asignar(QStringLiteral("Descripcion"), QStringLiteral("Primera"));
        rs->Asignar(QStringLiteral("OrdenIngreso"), QVariant());
        rs->MoveNext();  // moving writes the pending change, as ADO does
        QCOMPARE(b.Uno(QStringLiteral("SELECT Descripcion FROM MA_POSICIONES WHERE IdPosicion = '01'")).toString(),
                 QStringLiteral("Primera"));
        QVERIFY(b.Uno(QStringLiteral("SELECT OrdenIngreso FROM MA_POSICIONES WHERE IdPosicion = '01'")).isNull());

        // Delete: the row goes, the next MoveNext reaches the row that followed it.
        QCOMPARE(rs->Valor(QStringLiteral("IdPosicion")).toString(), QStringLiteral("0101"));
        rs->Delete();
        QVERIFY(rs->Fields(QStringLiteral("IdPosicion")).Value.isNull());
        rs->Asignar(QStringLiteral("Descripcion"), QStringLiteral("sin efecto"));
        rs->Update();
        rs->MoveNext();
        QCOMPARE(rs->Valor(QStringLiteral("IdPosicion")).toString(), QStringLiteral("02"));
        QCOMPARE(rs->RecordCount(), 3L);
        QCOMPARE(b.Uno(QStringLiteral("SELECT count(*) FROM MA_POSICIONES")).toInt(), 3);
        QVERIFY(b.Uno(QStringLiteral("SELECT 1 FROM MA_POSICIONES WHERE IdPosicion = '0101'")).isNull());

        // A key refused by the database: the error of the provider, and the record set still editing.
        rs->AddNew();
        rs->Asignar(QStringLiteral("IdPosicion"), QStringLiteral("02"));
        rs->Asignar(QStringLiteral("IdDeposito"), QStringLiteral("   1"));
        QCOMPARE(Numero([&] { rs->Update(); }), errnum::E_FAIL);
        QCOMPARE(b.cn.Errors().Item(0).NativeError, 2627L);
        QVERIFY(rs->EditandoFila());
        rs->CancelUpdate();
        QCOMPARE(rs->Valor(QStringLiteral("IdPosicion")).toString(), QStringLiteral("02"));
    }

    void laActualizacionOptimistaNotaLosCambiosAjenos() {
        Base b;
        auto rs = b.Abrir(QStringLiteral("SELECT * FROM MA_POSICIONES WHERE IdPosicion = '01'"));
        b.cn.Execute(QStringLiteral("UPDATE MA_POSICIONES SET Descripcion = 'otro' WHERE IdPosicion = '01'"));
        rs->Asignar(QStringLiteral("Descripcion"), QStringLiteral("mio"));
        try {
            rs->Update();
            QFAIL("an update over a changed row went through");
        } catch (const ErrorEjecucion& e) {
            QCOMPARE(e.Number, errnum::E_FAIL);
            QVERIFY(e.Description.startsWith(QStringLiteral("Row cannot be located for updating")));
        }
        QVERIFY(b.cn.Errors().Item(0).Description.startsWith(QStringLiteral("Row cannot be located for updating")));
        QCOMPARE(b.Uno(QStringLiteral("SELECT Descripcion FROM MA_POSICIONES WHERE IdPosicion = '01'")).toString(),
                 QStringLiteral("otro"));
        rs->CancelUpdate();

        // A change to another column of the same row does not conflict.
        b.cn.Execute(QStringLiteral("UPDATE MA_POSICIONES SET Capacidad = 5 WHERE IdPosicion = '02'"));
        auto otro = b.Abrir(QStringLiteral("SELECT * FROM MA_POSICIONES WHERE IdPosicion = '02'"));
        b.cn.Execute(QStringLiteral("UPDATE MA_POSICIONES SET Capacidad = 6 WHERE IdPosicion = '02'"));
        otro->Asignar(QStringLiteral("Descripcion"), QStringLiteral("nueva"));
        otro->Update();
        QCOMPARE(b.Uno(QStringLiteral("SELECT Capacidad FROM MA_POSICIONES WHERE IdPosicion = '02'")).toDouble(), 6.0);

        // A row deleted meanwhile cannot be deleted again.
        b.cn.Execute(QStringLiteral("DELETE FROM MA_POSICIONES WHERE IdPosicion = '02'"));
        QCOMPARE(Numero([&] { otro->Delete(); }), errnum::E_FAIL);
        QVERIFY(b.cn.Errors().Item(0).Description.startsWith(QStringLiteral("Row cannot be located")));
    }

    void sinClaveLaFilaSeEncuentraPorSusValores() {
        Base b;
        auto rs = b.Abrir(QStringLiteral("select  top 1 * from AUX_ERR  with(nolock) "));
        QCOMPARE(rs->RecordCount(), 1L);
        rs->Asignar(QStringLiteral("Descripcion"), QStringLiteral("cambiada"));
        rs->Update();
        // Of two equal rows only one changed.
        QCOMPARE(b.Uno(QStringLiteral("SELECT count(*) FROM AUX_ERR WHERE Descripcion = 'igual'")).toInt(), 1);
        QCOMPARE(b.Uno(QStringLiteral("SELECT count(*) FROM AUX_ERR WHERE Descripcion = 'cambiada'")).toInt(), 1);

        rs->AddNew();
        rs->Asignar(QStringLiteral("Proceso"), QStringLiteral("MA_POSICIONES"));
        rs->Asignar(QStringLiteral("Error"), 2627);
        rs->Update();
        QCOMPARE(rs->Valor(QStringLiteral("fecha")), QVariant(QDateTime(QDate(2000, 1, 1), QTime(0, 0))));
        QCOMPARE(b.Uno(QStringLiteral("SELECT count(*) FROM AUX_ERR")).toInt(), 3);
        rs->Delete();
        QCOMPARE(b.Uno(QStringLiteral("SELECT count(*) FROM AUX_ERR")).toInt(), 2);
    }

    void cerrarConUnaEdicionPendienteNoSePuede() {
        Base b;
        auto rs = b.Abrir(QStringLiteral("SELECT * FROM MA_POSICIONES"));
        rs->Fields(QStringLiteral("Descripcion")).Value = QStringLiteral("pendiente");
        QVERIFY(rs->EditandoFila());
        QCOMPARE(Numero([&] { rs->Close(); }), errnum::OperationNotAllowed);
        QCOMPARE(rs->State(), adStateOpen);
        rs->CancelUpdate();
        QVERIFY(!rs->EditandoFila());
        QCOMPARE(rs->Valor(QStringLiteral("Descripcion")).toString(), QStringLiteral("Calle 1"));
        rs->Close();

        auto nuevo = b.Abrir(QStringLiteral("SELECT * FROM MA_POSICIONES"));
        nuevo->AddNew();
        QCOMPARE(Numero([&] { nuevo->Close(); }), errnum::OperationNotAllowed);
        nuevo->CancelUpdate();
        nuevo->Close();
        QCOMPARE(b.Uno(QStringLiteral("SELECT count(*) FROM MA_POSICIONES")).toInt(), 3);
    }

    void unRecordsetDeSoloLecturaNoSeModifica() {
        Base b;
        auto rs = b.Abrir(QStringLiteral("SELECT * FROM MA_POSICIONES"), adOpenForwardOnly, adLockReadOnly);
        QCOMPARE(Numero([&] { rs->AddNew(); }), 3251L);
        QCOMPARE(Numero([&] { rs->Asignar(QStringLiteral("Descripcion"), QStringLiteral("x")); }), 3251L);
        QCOMPARE(Numero([&] { rs->Delete(); }), 3251L);
        auto ex = b.cn.Execute(QStringLiteral("SELECT * FROM MA_POSICIONES"));
        QCOMPARE(Numero([&] { ex->AddNew(); }), 3251L);
        // A join has no single table to write to.
        auto junta = b.Abrir(QStringLiteral("SELECT a.IdPosicion, t.c FROM MA_POSICIONES a, TIPOS t"));
        junta->Asignar(QStringLiteral("c"), QStringLiteral("x"));
        QCOMPARE(Numero([&] { junta->Update(); }), errnum::E_FAIL);
        junta->CancelUpdate();
    }

    void unRecordsetSobreUnaConexionCerradaNoSeActualiza() {
        Base b;
        auto rs = b.Abrir(QStringLiteral("SELECT * FROM MA_POSICIONES"));
        b.cn.Close();
        QCOMPARE(rs->RecordCount(), 3L);  // the rows stay with the client
        rs->Asignar(QStringLiteral("Descripcion"), QStringLiteral("x"));
        QCOMPARE(Numero([&] { rs->Update(); }), errnum::ConnectionInvalid);
        rs->CancelUpdate();
        Recordset otro;
        QCOMPARE(Numero([&] { otro.Open(QStringLiteral("SELECT 1"), &b.cn); }), errnum::ConnectionInvalid);
        QCOMPARE(Numero([&] { otro.Open(QStringLiteral("SELECT 1"), nullptr); }), errnum::ConnectionInvalid);
    }

    void unNombreSoloAbreLaTablaYAbrirDosVecesFalla() {
        Base b;
        Recordset rs;
        rs.Open(QStringLiteral("MA_POSICIONES"), &b.cn, adOpenStatic, adLockReadOnly);
        QCOMPARE(rs.RecordCount(), 3L);
        QCOMPARE(rs.Source(), QStringLiteral("MA_POSICIONES"));
        QCOMPARE(Numero([&] { rs.Open(QStringLiteral("MA_POSICIONES"), &b.cn); }), errnum::ObjectOpen);
        // A statement without rows leaves the record set closed.
        Recordset cerrado;
        cerrado.Open(QStringLiteral("UPDATE MA_POSICIONES SET Capacidad = 1 WHERE 1 = 0"), &b.cn);
        QCOMPARE(cerrado.State(), adStateClosed);
    }
};

QTEST_GUILESS_MAIN(TstDriverRecordset)
#include "tst_driver_recordset.moc"
