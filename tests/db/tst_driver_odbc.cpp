#include "db/driver/CadenaConexion.h"
#include "db/driver/Conexion.h"
#include "db/driver/MotorOdbc.h"
#include "db/driver/Recordset.h"
#include "db/driver/Tipos.h"
#include "services/ErrorEjecucion.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

using driver::Errores;
using driver::Motor;
using driver::ParametrosConexion;
using driver::ResultadoMotor;
namespace tipo = driver::tipo;

namespace {

// The number of the ErrorEjecucion that accion raises (0 when it raises none).
long NumeroError(const std::function<void()>& accion) {
    try {
        accion();
    } catch (const ErrorEjecucion& e) {
        return e.Number;
    }
    return 0;
}

int Columna(const ResultadoMotor& r, const QString& nombre) {
    for (int i = 0; i < r.campos.size(); ++i)
        if (r.campos.at(i).Name.compare(nombre, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QVariant Valor(const ResultadoMotor& r, int fila, const QString& nombre) {
    const int c = Columna(r, nombre);
    if (c < 0 || fila >= r.filas.size()) return QStringLiteral("<no existe %1>").arg(nombre);
    return r.filas.at(fila).at(c);
}

// The parameters the connection's parser makes of a string.
ParametrosConexion OdbcDirecto(const QString& cadena) {
    ParametrosConexion p = driver::AnalizarCadena(cadena);
    p.tipo = ParametrosConexion::Tipo::Odbc;
    return p;
}

}  // namespace

// The ODBC back end for real, through unixODBC: SQLite files through the SQLite ODBC driver, and
// FreeTDS for what a SQL Server connection does when the server cannot be reached.
class TstDriverOdbc : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<Motor> motor_;
    Errores errores_;

    QString Cadena(const QString& archivo = QStringLiteral("prueba.db")) const {
        return QStringLiteral("DRIVER=SQLite3;Database=%1;").arg(dir_.filePath(archivo));
    }
    ResultadoMotor Sql(const QString& texto) { return motor_->Ejecutar(texto, 5, errores_); }

private slots:
    void initTestCase() {
        // a user DSN of this test alone, named without a word about SQLite: the driver's answer tells
        QFile ini(dir_.filePath(QStringLiteral("odbc.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[MP_PRUEBA_ODBC]\nDriver=SQLite3\nDatabase=%1\n")
                      .arg(dir_.filePath(QStringLiteral("prueba.db")))
                      .toUtf8());
        ini.close();
        qputenv("ODBCINI", ini.fileName().toLocal8Bit());
    }

    void init() {
        QVERIFY(dir_.isValid());
        QFile::remove(dir_.filePath(QStringLiteral("prueba.db")));
        errores_.Clear();
        motor_ = driver::CrearMotorOdbc();
        motor_->Abrir(OdbcDirecto(Cadena()), errores_);
        QVERIFY(motor_->Abierto());
        Sql(QStringLiteral(
            "CREATE TABLE MA_POSICIONES (CODIGO varchar(20) NOT NULL PRIMARY KEY, DESCRIPCION varchar(50) NULL,\n"
            "  NOMBRE nvarchar(30) NULL, SIGLA char(3) NULL, NIVEL int NULL, ORDEN smallint NULL, TOTAL bigint NULL,\n"
            "  ACTIVO bit NULL, PRECIO money NULL, CANTIDAD decimal(10,2) NULL, PESO float NULL, FACTOR real NULL,\n"
            "  FECHA datetime NULL, DIA date NULL, NOTAS text NULL)\n"
            "CREATE TABLE TA_DEPOSITOS (ID integer PRIMARY KEY, NOMBRE varchar(40) NOT NULL)\n"
            "CREATE TABLE TA_UBICACION (DEPOSITO int NOT NULL REFERENCES TA_DEPOSITOS(ID), POSICION varchar(20) NOT NULL,\n"
            "  PRIMARY KEY (DEPOSITO, POSICION))\n"
            "CREATE VIEW V_POSICIONES AS SELECT CODIGO, DESCRIPCION FROM MA_POSICIONES"));
        QVERIFY(errores_.Vacia());
    }

    void cleanup() { motor_.reset(); }

    void abrirYCerrar() {
        motor_->Cerrar();
        QVERIFY(!motor_->Abierto());
        QCOMPARE(NumeroError([&] { Sql(QStringLiteral("SELECT 1")); }), errnum::ConnectionInvalid);
        QVERIFY(!errores_.Vacia());

        // the file keeps what the first connection created
        motor_->Abrir(OdbcDirecto(Cadena()), errores_);
        QVERIFY(motor_->Abierto());
        const auto r = Sql(QStringLiteral("SELECT COUNT(*) AS N FROM MA_POSICIONES"));
        QVERIFY(r.tieneFilas);
        QCOMPARE(Valor(r, 0, QStringLiteral("N")).toInt(), 0);
        motor_->Cerrar();
        motor_->Cerrar();  // closing twice is harmless to the back end
        QVERIFY(!motor_->Abierto());
    }

    void columnasConTiposTamanosYValores() {
        Sql(QStringLiteral(
            "INSERT INTO MA_POSICIONES (CODIGO, DESCRIPCION, NOMBRE, SIGLA, NIVEL, ORDEN, TOTAL, ACTIVO, PRECIO, CANTIDAD,"
            " PESO, FACTOR, FECHA, DIA, NOTAS) VALUES ('A1', 'Pasillo ñandú €', N'Łódź 東京', 'ABC', 3, 2, 9999999999, 1,"
            " 12.5, 3.25, 1.5, 2.5, '2024-03-25 14:05:09', '2024-03-25', 'largo')"));
        const auto r = Sql(QStringLiteral("SELECT * FROM MA_POSICIONES"));
        QVERIFY(r.tieneFilas);
        QCOMPARE(r.filas.size(), 1);

        struct Esperado {
            const char* nombre;
            int tipo;
            int tamano;
        };
        const Esperado esperados[] = {
            {"CODIGO", tipo::adVarChar, 20},    {"DESCRIPCION", tipo::adVarChar, 50}, {"NOMBRE", tipo::adVarWChar, 30},
            {"SIGLA", tipo::adChar, 3},         {"NIVEL", tipo::adInteger, 4},        {"ORDEN", tipo::adSmallInt, 2},
            {"TOTAL", tipo::adBigInt, 8},       {"ACTIVO", tipo::adBoolean, 2},       {"PRECIO", tipo::adCurrency, 8},
            {"CANTIDAD", tipo::adNumeric, 19},  {"PESO", tipo::adDouble, 8},          {"FACTOR", tipo::adDouble, 8},
            {"FECHA", tipo::adDBTimeStamp, 16}, {"DIA", tipo::adDBDate, 6},           {"NOTAS", tipo::adLongVarChar, 2147483647},
        };
        for (const auto& e : esperados) {
            const int c = Columna(r, QLatin1String(e.nombre));
            QVERIFY2(c >= 0, e.nombre);
            QVERIFY2(r.campos.at(c).Type == e.tipo,
                     qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(e.nombre)).arg(r.campos.at(c).Type)));
            QVERIFY2(r.campos.at(c).DefinedSize == e.tamano,
                     qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(e.nombre)).arg(r.campos.at(c).DefinedSize)));
            QCOMPARE(r.campos.at(c).TablaBase.toUpper(), QStringLiteral("MA_POSICIONES"));
            QCOMPARE(r.campos.at(c).ColumnaBase.toUpper(), QString::fromLatin1(e.nombre));
        }
        QCOMPARE(r.campos.at(Columna(r, QStringLiteral("CANTIDAD"))).Precision, 10);

        QCOMPARE(Valor(r, 0, QStringLiteral("DESCRIPCION")), QVariant(QStringLiteral("Pasillo ñandú €")));
        QCOMPARE(Valor(r, 0, QStringLiteral("NOMBRE")), QVariant(QStringLiteral("Łódź 東京")));
        QCOMPARE(Valor(r, 0, QStringLiteral("NIVEL")).typeId(), QMetaType::Int);
        QCOMPARE(Valor(r, 0, QStringLiteral("NIVEL")).toInt(), 3);
        QCOMPARE(Valor(r, 0, QStringLiteral("TOTAL")).toLongLong(), 9999999999LL);
        QCOMPARE(Valor(r, 0, QStringLiteral("ACTIVO")), QVariant(true));
        QCOMPARE(Valor(r, 0, QStringLiteral("PRECIO")).toDouble(), 12.5);
        QCOMPARE(Valor(r, 0, QStringLiteral("CANTIDAD")).toDouble(), 3.25);
        QCOMPARE(Valor(r, 0, QStringLiteral("FACTOR")).toDouble(), 2.5);
        QCOMPARE(Valor(r, 0, QStringLiteral("FECHA")), QVariant(QDateTime(QDate(2024, 3, 25), QTime(14, 5, 9))));
        QCOMPARE(Valor(r, 0, QStringLiteral("DIA")), QVariant(QDateTime(QDate(2024, 3, 25), QTime(0, 0))));

        // expressions have no declaration: their types come from the driver
        const auto e = Sql(QStringLiteral("SELECT COUNT(*) AS N, MAX(DESCRIPCION) AS D FROM MA_POSICIONES"));
        QCOMPARE(e.campos.at(0).Type, tipo::adInteger);
        QCOMPARE(Valor(e, 0, QStringLiteral("N")), QVariant(1));
        QVERIFY(driver::tipo::adVarChar == e.campos.at(1).Type || driver::tipo::adLongVarChar == e.campos.at(1).Type);
        QCOMPARE(Valor(e, 0, QStringLiteral("D")), QVariant(QStringLiteral("Pasillo ñandú €")));
    }

    void nuloEsDistintoDeVacio() {
        Sql(
            QStringLiteral("INSERT INTO MA_POSICIONES (CODIGO, DESCRIPCION, NIVEL) VALUES ('N', NULL, NULL)\n"
                           "INSERT INTO MA_POSICIONES (CODIGO, DESCRIPCION, NIVEL) VALUES ('V', '', 0)"));
        const auto r = Sql(QStringLiteral("SELECT CODIGO, DESCRIPCION, NIVEL, FECHA FROM MA_POSICIONES ORDER BY CODIGO"));
        QCOMPARE(r.filas.size(), 2);
        QVERIFY(Valor(r, 0, QStringLiteral("DESCRIPCION")).isNull());
        QVERIFY(Valor(r, 0, QStringLiteral("NIVEL")).isNull());
        QVERIFY(Valor(r, 0, QStringLiteral("FECHA")).isNull());
        QVERIFY(!Valor(r, 1, QStringLiteral("DESCRIPCION")).isNull());
        QCOMPARE(Valor(r, 1, QStringLiteral("DESCRIPCION")), QVariant(QStringLiteral("")));
        QCOMPARE(Valor(r, 1, QStringLiteral("NIVEL")), QVariant(0));
    }

    void guionesEnElDialectoDelPrograma() {
        // line breaks separate statements; the rows affected add up; the last result with columns is kept
        auto r =
            Sql(QStringLiteral("INSERT INTO MA_POSICIONES (CODIGO, DESCRIPCION, NIVEL) VALUES ('1', 'uno  ', 1)\n"
                               "INSERT INTO MA_POSICIONES (CODIGO, DESCRIPCION, NIVEL) VALUES ('2', NULL, 2)\n"
                               "UPDATE dbo.MA_POSICIONES SET NIVEL = NIVEL + 10"));
        QVERIFY(!r.tieneFilas);
        QCOMPARE(r.afectadas, 4L);

        r =
            Sql(QStringLiteral("SELECT TOP 1 CODIGO, LEN(DESCRIPCION) AS L, ISNULL(DESCRIPCION, 'x') AS D "
                               "FROM MA_POSICIONES WITH (NOLOCK) ORDER BY CODIGO DESC"));
        QCOMPARE(r.filas.size(), 1);
        QCOMPARE(Valor(r, 0, QStringLiteral("CODIGO")), QVariant(QStringLiteral("2")));
        QCOMPARE(Valor(r, 0, QStringLiteral("D")), QVariant(QStringLiteral("x")));
        r = Sql(QStringLiteral("SELECT LEN(DESCRIPCION) AS L FROM [MA_POSICIONES] WHERE CODIGO = '1'"));
        QCOMPARE(Valor(r, 0, QStringLiteral("L")).toInt(), 3);

        // an UPDATE that touches nothing is no failure
        r = Sql(QStringLiteral("UPDATE MA_POSICIONES SET NIVEL = 0 WHERE CODIGO = 'no existe'"));
        QCOMPARE(r.afectadas, 0L);
        QVERIFY(errores_.Vacia());

        // a SELECT alone changes nothing: -1, as ADO counts it
        QCOMPARE(Sql(QStringLiteral("SELECT CODIGO FROM MA_POSICIONES")).afectadas, -1L);

        // USE names the file's own database or fails as a missing one
        r = Sql(QStringLiteral("USE prueba\nSELECT COUNT(*) AS N FROM MA_POSICIONES"));
        QCOMPARE(Valor(r, 0, QStringLiteral("N")), QVariant(2));
        QCOMPARE(NumeroError([&] { Sql(QStringLiteral("USE OTRA_BASE")); }), errnum::E_FAIL);
        QCOMPARE(errores_.Item(0).NativeError, driver::nativo::BaseInexistente);
    }

    void parametros() {
        const QDateTime fecha(QDate(2024, 1, 2), QTime(3, 4, 5));
        QCOMPARE(
            motor_->EjecutarConParametros(
                QStringLiteral("INSERT INTO MA_POSICIONES (CODIGO, DESCRIPCION, NOMBRE, NIVEL, ACTIVO, PESO, FECHA, DIA, TOTAL)"
                               " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                {QStringLiteral("P1"), QStringLiteral("pañol ü"), QVariant(), 7, false, 0.25, fecha, QDate(2023, 12, 31),
                 QVariant(qlonglong(1) << 40)},
                errores_),
            1L);
        const auto r = Sql(QStringLiteral("SELECT * FROM MA_POSICIONES WHERE CODIGO = 'P1'"));
        QCOMPARE(r.filas.size(), 1);
        QCOMPARE(Valor(r, 0, QStringLiteral("DESCRIPCION")), QVariant(QStringLiteral("pañol ü")));
        QVERIFY(Valor(r, 0, QStringLiteral("NOMBRE")).isNull());
        QCOMPARE(Valor(r, 0, QStringLiteral("NIVEL")), QVariant(7));
        QCOMPARE(Valor(r, 0, QStringLiteral("ACTIVO")), QVariant(false));
        QCOMPARE(Valor(r, 0, QStringLiteral("PESO")).toDouble(), 0.25);
        QCOMPARE(Valor(r, 0, QStringLiteral("FECHA")), QVariant(fecha));
        QCOMPARE(Valor(r, 0, QStringLiteral("DIA")), QVariant(QDateTime(QDate(2023, 12, 31), QTime(0, 0))));
        QCOMPARE(Valor(r, 0, QStringLiteral("TOTAL")).toLongLong(), qlonglong(1) << 40);

        // "" stays "" and a long text is not cut
        const QString largo = QString(20000, QChar(0x00F1));
        QCOMPARE(
            motor_->EjecutarConParametros(QStringLiteral("UPDATE MA_POSICIONES SET DESCRIPCION = ?, NOTAS = ? WHERE CODIGO = ?"),
                                          {QStringLiteral(""), largo, QStringLiteral("P1")}, errores_),
            1L);
        const auto c = motor_->ConsultarConParametros(
            QStringLiteral("SELECT DESCRIPCION, NOTAS FROM MA_POSICIONES WHERE CODIGO = ?"), {QStringLiteral("P1")}, errores_);
        QCOMPARE(c.filas.size(), 1);
        QCOMPARE(Valor(c, 0, QStringLiteral("DESCRIPCION")), QVariant(QStringLiteral("")));
        QCOMPARE(Valor(c, 0, QStringLiteral("NOTAS")).toString(), largo);

        QCOMPARE(motor_->EjecutarConParametros(QStringLiteral("DELETE FROM MA_POSICIONES WHERE CODIGO = ?"),
                                               {QStringLiteral("otro")}, errores_),
                 0L);
        QVERIFY(errores_.Vacia());
    }

    void transacciones() {
        auto cuenta = [&] {
            return Valor(Sql(QStringLiteral("SELECT COUNT(*) AS N FROM TA_DEPOSITOS")), 0, QStringLiteral("N")).toInt();
        };

        motor_->Comenzar(errores_);
        Sql(QStringLiteral("INSERT INTO TA_DEPOSITOS (ID, NOMBRE) VALUES (1, 'deshecho')"));
        QCOMPARE(cuenta(), 1);
        motor_->Deshacer(errores_);
        QCOMPARE(cuenta(), 0);

        motor_->Comenzar(errores_);
        Sql(QStringLiteral("INSERT INTO TA_DEPOSITOS (ID, NOMBRE) VALUES (2, 'confirmado')"));
        motor_->Confirmar(errores_);
        // a second connection sees only what was committed
        auto otro = driver::CrearMotorOdbc();
        Errores e2;
        otro->Abrir(OdbcDirecto(Cadena()), e2);
        QCOMPARE(Valor(otro->Ejecutar(QStringLiteral("SELECT NOMBRE FROM TA_DEPOSITOS"), 5, e2), 0, QStringLiteral("NOMBRE")),
                 QVariant(QStringLiteral("confirmado")));
        otro->Cerrar();

        // nested: only the outermost commit ends it, and a rollback undoes every level
        motor_->Comenzar(errores_);
        motor_->Comenzar(errores_);
        Sql(QStringLiteral("INSERT INTO TA_DEPOSITOS (ID, NOMBRE) VALUES (3, 'anidado')"));
        motor_->Confirmar(errores_);
        motor_->Deshacer(errores_);
        QCOMPARE(cuenta(), 1);

        // the same from the text of a script
        Sql(QStringLiteral("BEGIN TRANSACTION\nINSERT INTO TA_DEPOSITOS (ID, NOMBRE) VALUES (4, 'guion')\nROLLBACK TRANSACTION"));
        QCOMPARE(cuenta(), 1);
        Sql(QStringLiteral("BEGIN TRANSACTION\nINSERT INTO TA_DEPOSITOS (ID, NOMBRE) VALUES (5, 'guion')\nCOMMIT TRANSACTION"));
        QCOMPARE(cuenta(), 2);
        QVERIFY(errores_.Vacia());

        // committing with nothing open is SQL Server's 3902
        QCOMPARE(NumeroError([&] { motor_->Confirmar(errores_); }), errnum::E_FAIL);
        QCOMPARE(errores_.Count(), 1);
        QCOMPARE(errores_.Item(0).NativeError, driver::nativo::CommitSinTransaccion);
        errores_.Clear();
        QCOMPARE(NumeroError([&] { motor_->Deshacer(errores_); }), errnum::E_FAIL);
        QCOMPARE(errores_.Item(0).NativeError, driver::nativo::RollbackSinTransaccion);
    }

    void esquema() {
        Sql(QStringLiteral("CREATE TABLE MAXPOSICIONES (X int)"));  // "_" of a pattern would match it
        auto r = motor_->Esquema(driver::adSchemaTables, {}, errores_);
        QVERIFY(r.campos.size() >= 4);
        QCOMPARE(r.campos.at(0).Name, QStringLiteral("TABLE_CATALOG"));
        QCOMPARE(r.campos.at(1).Name, QStringLiteral("TABLE_SCHEMA"));
        QCOMPARE(r.campos.at(2).Name, QStringLiteral("TABLE_NAME"));
        QCOMPARE(r.campos.at(3).Name, QStringLiteral("TABLE_TYPE"));
        QMap<QString, QString> tablas;
        for (const auto& f : r.filas) tablas.insert(f.at(2).toString().toUpper(), f.at(3).toString());
        QCOMPARE(tablas.value(QStringLiteral("MA_POSICIONES")), QStringLiteral("TABLE"));
        QCOMPARE(tablas.value(QStringLiteral("TA_UBICACION")), QStringLiteral("TABLE"));
        QCOMPARE(tablas.value(QStringLiteral("V_POSICIONES")), QStringLiteral("VIEW"));

        r = motor_->Esquema(driver::adSchemaTables, {QString(), QString(), QStringLiteral("ma_posiciones")}, errores_);
        QCOMPARE(r.filas.size(), 1);
        QCOMPARE(r.filas.at(0).at(2).toString(), QStringLiteral("MA_POSICIONES"));

        r = motor_->Esquema(driver::adSchemaColumns, {QString(), QString(), QStringLiteral("MA_POSICIONES")}, errores_);
        QCOMPARE(r.filas.size(), 15);
        const int nombre = Columna(r, QStringLiteral("COLUMN_NAME"));
        const int tipoDato = Columna(r, QStringLiteral("DATA_TYPE"));
        const int largo = Columna(r, QStringLiteral("CHARACTER_MAXIMUM_LENGTH"));
        QVERIFY(nombre >= 0 && tipoDato >= 0 && largo >= 0);
        QMap<QString, QPair<int, QVariant>> columnas;
        for (const auto& f : r.filas) columnas.insert(f.at(nombre).toString(), {f.at(tipoDato).toInt(), f.at(largo)});
        // the schema reports storage types: varchar is 129, nvarchar 130
        QCOMPARE(columnas.value(QStringLiteral("DESCRIPCION")).first, tipo::adChar);
        QCOMPARE(columnas.value(QStringLiteral("DESCRIPCION")).second, QVariant(50));
        QCOMPARE(columnas.value(QStringLiteral("NOMBRE")).first, tipo::adWChar);
        QCOMPARE(columnas.value(QStringLiteral("SIGLA")).second, QVariant(3));
        QCOMPARE(columnas.value(QStringLiteral("NIVEL")).first, tipo::adInteger);
        QVERIFY(columnas.value(QStringLiteral("NIVEL")).second.isNull());
        QCOMPARE(columnas.value(QStringLiteral("PRECIO")).first, tipo::adCurrency);
        QCOMPARE(columnas.value(QStringLiteral("FECHA")).first, tipo::adDBTimeStamp);

        r = motor_->Esquema(driver::adSchemaColumns,
                            {QString(), QString(), QStringLiteral("MA_POSICIONES"), QStringLiteral("nivel")}, errores_);
        QCOMPARE(r.filas.size(), 1);
        QCOMPARE(r.filas.at(0).at(nombre).toString(), QStringLiteral("NIVEL"));

        QCOMPARE(motor_->ClavePrimaria(QStringLiteral("TA_UBICACION"), errores_),
                 QStringList({QStringLiteral("DEPOSITO"), QStringLiteral("POSICION")}));
        QCOMPARE(motor_->ClavePrimaria(QStringLiteral("dbo.MA_POSICIONES"), errores_), QStringList{QStringLiteral("CODIGO")});
        QVERIFY(errores_.Vacia());

        QCOMPARE(NumeroError([&] { motor_->Esquema(12345, {}, errores_); }), errnum::E_FAIL);
        QCOMPARE(errores_.Item(0).SQLState, QStringLiteral("HYC00"));
    }

    void ultimoIdentificador() {
        Sql(QStringLiteral("INSERT INTO TA_DEPOSITOS (NOMBRE) VALUES ('a')\nINSERT INTO TA_DEPOSITOS (NOMBRE) VALUES ('b')"));
        const auto r = Sql(QStringLiteral("SELECT MAX(ID) AS M FROM TA_DEPOSITOS"));
        QCOMPARE(motor_->UltimoIdentificador(), Valor(r, 0, QStringLiteral("M")).toLongLong());
        QVERIFY(motor_->UltimoIdentificador() >= 2);
    }

    // The failures the program reacts to carry SQL Server's native numbers.
    void fallosConNumerosNativos_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<long>("nativoEsperado");
        QTest::addColumn<QString>("estado");
        QTest::addColumn<int>("cuantos");
        QTest::newRow("clave duplicada") << QStringLiteral("INSERT INTO MA_POSICIONES (CODIGO) VALUES ('D')") << 2627L
                                         << QStringLiteral("23000") << 2;
        QTest::newRow("referencia") << QStringLiteral("INSERT INTO TA_UBICACION (DEPOSITO, POSICION) VALUES (99, 'X')") << 547L
                                    << QStringLiteral("23000") << 2;
        QTest::newRow("nulo") << QStringLiteral("INSERT INTO TA_DEPOSITOS (ID, NOMBRE) VALUES (7, NULL)") << 515L
                              << QStringLiteral("23000") << 2;
        QTest::newRow("tabla inexistente") << QStringLiteral("SELECT * FROM NO_EXISTE") << 208L << QStringLiteral("42S02") << 1;
        QTest::newRow("columna inexistente")
            << QStringLiteral("SELECT NO_EXISTE FROM MA_POSICIONES") << 207L << QStringLiteral("42S22") << 1;
        QTest::newRow("sintaxis") << QStringLiteral("SELEC 1") << 102L << QStringLiteral("42000") << 1;
    }

    void fallosConNumerosNativos() {
        QFETCH(QString, sql);
        QFETCH(long, nativoEsperado);
        QFETCH(QString, estado);
        QFETCH(int, cuantos);
        Sql(QStringLiteral("INSERT INTO MA_POSICIONES (CODIGO) VALUES ('D')"));
        QVERIFY(errores_.Vacia());
        try {
            Sql(sql);
            QFAIL("no error raised");
        } catch (const ErrorEjecucion& e) {
            QCOMPARE(e.Number, errnum::E_FAIL);
            QCOMPARE(errores_.Count(), cuantos);
            QCOMPARE(errores_.Item(0).NativeError, nativoEsperado);
            QCOMPARE(errores_.Item(0).SQLState, estado);
            QCOMPARE(errores_.Item(0).Number, errnum::E_FAIL);
            QCOMPARE(e.Description, errores_.Item(0).Description);
            QVERIFY(!e.Description.isEmpty());
            if (cuantos == 2) QCOMPARE(errores_.Item(1).NativeError, driver::nativo::SentenciaTerminada);
        }
        // the connection goes on working after a failed statement
        QCOMPARE(Sql(QStringLiteral("SELECT COUNT(*) AS N FROM MA_POSICIONES")).filas.size(), 1);
    }

    // The connection of the client over this back end, with the strings the program passes through.
    void atravesDeLaConexion_data() {
        QTest::addColumn<QString>("cadena");
        QTest::newRow("DRIVER=") << Cadena();
        QTest::newRow("DSN=") << QStringLiteral("DSN=MP_PRUEBA_ODBC;");
    }

    void atravesDeLaConexion() {
        QFETCH(QString, cadena);
        motor_->Cerrar();
        driver::Conexion cn;
        cn.Open(cadena);
        QCOMPARE(cn.State(), driver::adStateOpen);

        long afectadas = 0;
        cn.Execute(QStringLiteral("INSERT INTO MA_POSICIONES (CODIGO, DESCRIPCION, ACTIVO) VALUES ('C1', 'año', 1)\n"
                                  "INSERT INTO MA_POSICIONES (CODIGO, DESCRIPCION) VALUES ('C2', NULL)"),
                   &afectadas);
        QCOMPARE(afectadas, 2L);
        auto rs = cn.Execute(
            QStringLiteral("SELECT TOP 5 CODIGO, DESCRIPCION, ACTIVO FROM dbo.MA_POSICIONES WITH (NOLOCK) ORDER BY CODIGO"));
        QCOMPARE(rs->State(), driver::adStateOpen);
        QCOMPARE(rs->RecordCount(), 2L);
        QCOMPARE(rs->Fields(QStringLiteral("descripcion")).Type, tipo::adVarChar);
        QCOMPARE(rs->Fields(QStringLiteral("descripcion")).DefinedSize, 50);
        QCOMPARE(rs->Valor(QStringLiteral("DESCRIPCION")), QVariant(QStringLiteral("año")));
        QCOMPARE(rs->Valor(QStringLiteral("ACTIVO")), QVariant(true));
        rs->MoveNext();
        QVERIFY(rs->Valor(QStringLiteral("DESCRIPCION")).isNull());

        cn.BeginTrans();
        cn.Execute(QStringLiteral("DELETE FROM MA_POSICIONES"));
        cn.RollbackTrans();
        QCOMPARE(cn.Execute(QStringLiteral("SELECT CODIGO FROM MA_POSICIONES"))->RecordCount(), 2L);

        auto esquema = cn.OpenSchema(driver::adSchemaTables, {QString(), QString(), QStringLiteral("TA_DEPOSITOS")});
        QCOMPARE(esquema->RecordCount(), 1L);
        QCOMPARE(esquema->Valor(QStringLiteral("TABLE_NAME")).toString(), QStringLiteral("TA_DEPOSITOS"));

        // a failure leaves its provider errors in the connection's list
        QCOMPARE(NumeroError([&] { cn.Execute(QStringLiteral("INSERT INTO MA_POSICIONES (CODIGO) VALUES ('C1')")); }),
                 errnum::E_FAIL);
        QVERIFY(cn.Errors().Count() >= 1);
        QCOMPARE(cn.Errors().Item(0).NativeError, driver::nativo::ClaveDuplicada);
        QCOMPARE(NumeroError([&] { cn.Execute(QStringLiteral("SELECT * FROM NO_EXISTE WITH (NOLOCK)")); }), errnum::E_FAIL);
        QCOMPARE(cn.Errors().Item(0).NativeError, driver::nativo::ObjetoInexistente);
        cn.Close();
        QCOMPARE(cn.State(), driver::adStateClosed);
    }

    void servidorInalcanzableAtravesDeLaConexion() {
        driver::Conexion cn;
        QCOMPARE(
            NumeroError([&] {
                cn.Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=127.0.0.1:1;Database =STOCK;UId=sa;Pwd=x;Connect Timeout=2;"));
            }),
            errnum::E_FAIL);
        QCOMPARE(cn.State(), driver::adStateClosed);
        QVERIFY(cn.Errors().Count() >= 1);
        QCOMPARE(cn.Errors().Item(0).NativeError, driver::nativo::ConexionPerdida);
    }

    void dsnInexistenteDaUnErrorClaro() {
        auto m = driver::CrearMotorOdbc();
        Errores e;
        try {
            m->Abrir(OdbcDirecto(QStringLiteral("DSN=MP_NO_EXISTE_DSN;")), e);
            QFAIL("opened a DSN that does not exist");
        } catch (const ErrorEjecucion& x) {
            QCOMPARE(x.Number, errnum::E_FAIL);
            QVERIFY2(x.Description.contains(QLatin1String("Data source name not found")), qPrintable(x.Description));
        }
        QVERIFY(!m->Abierto());
        QVERIFY(e.Count() >= 1);
        QCOMPARE(e.Item(0).SQLState, QStringLiteral("IM002"));
    }

    void cadenaFreeTds_data() {
        QTest::addColumn<QString>("cadena");
        QTest::addColumn<QString>("esperada");
        const QString fin = QStringLiteral("TDS_Version=7.4;ClientCharset=UTF-8;");
        QTest::newRow("host,puerto") << QStringLiteral("PROVIDER=SQLOLEDB;Server=srv01,1500;Database =STOCK;UId=sa;Pwd=clave;")
                                     << QStringLiteral(
                                            "DRIVER={FreeTDS};SERVER=srv01;PORT=1500;DATABASE=STOCK;UID=sa;PWD=clave;") +
                                            fin;
        QTest::newRow("host:puerto") << QStringLiteral("PROVIDER=SQLOLEDB;Server=10.0.0.5:1433;Database =DB;UId=u;Pwd=p;")
                                     << QStringLiteral("DRIVER={FreeTDS};SERVER=10.0.0.5;PORT=1433;DATABASE=DB;UID=u;PWD=p;") +
                                            fin;
        QTest::newRow("instancia") << QStringLiteral("PROVIDER=SQLOLEDB;Server=SRV\\SQLEXPRESS;Database =DB;UId=u;Pwd=p;")
                                   << QStringLiteral("DRIVER={FreeTDS};SERVER=SRV\\SQLEXPRESS;DATABASE=DB;UID=u;PWD=p;") + fin;
        QTest::newRow("instancia y puerto") << QStringLiteral("PROVIDER=SQLOLEDB;Server=SRV\\INST:2000;Database =DB;UId=u;Pwd=p;")
                                            << QStringLiteral("DRIVER={FreeTDS};SERVER=SRV;PORT=2000;DATABASE=DB;UID=u;PWD=p;") +
                                                   fin;
        QTest::newRow("sin puerto") << QStringLiteral("provider=sqloledb;server=srv;database=DB;uid=u;pwd=;")
                                    << QStringLiteral("DRIVER={FreeTDS};SERVER=srv;PORT=1433;DATABASE=DB;UID=u;PWD=;") + fin;
        QTest::newRow("clave con punto y coma")
            << QStringLiteral("PROVIDER=SQLOLEDB;Server=srv;Database =DB;UId=u;Pwd={a;b}}c};")
            << QStringLiteral("DRIVER={FreeTDS};SERVER=srv;PORT=1433;DATABASE=DB;UID=u;PWD={a;b}}c};") + fin;
        QTest::newRow("local") << QStringLiteral("PROVIDER=SQLOLEDB;Server=(local);Database =DB;User Id=u;Password=p;")
                               << QStringLiteral("DRIVER={FreeTDS};SERVER=127.0.0.1;PORT=1433;DATABASE=DB;UID=u;PWD=p;") + fin;
    }

    void cadenaFreeTds() {
        QFETCH(QString, cadena);
        QFETCH(QString, esperada);
        QCOMPARE(driver::CadenaFreeTds(cadena), esperada);
    }

    void oracle() {
        QCOMPARE(driver::CadenaOracle(QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=PROD;User Id=ana;Password=x;"),
                                      QStringLiteral("Oracle 21 ODBC driver")),
                 QStringLiteral("DRIVER={Oracle 21 ODBC driver};DBQ=PROD;UID=ana;PWD=x;"));
        if (!driver::ControladorOracle().isEmpty()) QSKIP("an Oracle ODBC driver is installed here");
        const QString cadena = QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=PROD;User Id=ana;Password=x;");
        // the attributes the connection's router builds from the program's string
        {
            const ParametrosConexion p = OdbcDirecto(cadena);
            auto m = driver::CrearMotorOdbc();
            Errores e;
            try {
                m->Abrir(p, e);
                QFAIL("opened Oracle without a driver");
            } catch (const ErrorEjecucion& x) {
                QCOMPARE(x.Number, errnum::E_FAIL);
                QVERIFY2(x.Description.contains(QLatin1String("controlador ODBC de Oracle")), qPrintable(x.Description));
            }
            QCOMPARE(e.Count(), 1);
            QVERIFY(!m->Abierto());
        }
    }

    // A SQL Server that does not answer is a lost connection to the program (native 11), and the
    // attempt is bounded by the string's connection time-out.
    void servidorInalcanzableEsConexionPerdida() {
        const QString cadena =
            QStringLiteral("PROVIDER=SQLOLEDB;Server=127.0.0.1,1;Database =STOCK;UId=sa;Pwd=x;Connect Timeout=2;");
        {
            const ParametrosConexion p = OdbcDirecto(cadena);
            auto m = driver::CrearMotorOdbc();
            Errores e;
            QElapsedTimer reloj;
            reloj.start();
            QCOMPARE(NumeroError([&] { m->Abrir(p, e); }), errnum::E_FAIL);
            QVERIFY2(reloj.elapsed() < 15000, qPrintable(QString::number(reloj.elapsed())));
            QVERIFY(!m->Abierto());
            QVERIFY(e.Count() >= 1);
            QCOMPARE(e.Item(0).NativeError, driver::nativo::ConexionPerdida);
            for (int i = 0; i < e.Count(); ++i) {
                QVERIFY(e.Item(i).SQLState.startsWith(QLatin1String("08")));
                QCOMPARE(e.Item(i).NativeError, driver::nativo::ConexionPerdida);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TstDriverOdbc)
#include "tst_driver_odbc.moc"
