#include "BaseTemporal.h"
#include "demo/BaseDemo.h"
#include "services/FuncionesComunes.h"

#include <sqlite3.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Reads a database with the bare SQLite API, independent of the program's own client. A failing
// statement fails the running test.
class Lectura {
public:
    explicit Lectura(const QString& archivo) {
        if (sqlite3_open_v2(QFile::encodeName(archivo).constData(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            QTest::qFail(qPrintable(QStringLiteral("no abre ") + archivo), __FILE__, __LINE__);
    }
    ~Lectura() { sqlite3_close(db_); }
    Lectura(const Lectura&) = delete;
    Lectura& operator=(const Lectura&) = delete;

    sqlite3* db() const { return db_; }

    QList<QVariantList> Filas(const QString& sql) {
        QList<QVariantList> filas;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
            Fallar(sql);
            return filas;
        }
        int r;
        while ((r = sqlite3_step(st)) == SQLITE_ROW) {
            QVariantList fila;
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                switch (sqlite3_column_type(st, i)) {
                    case SQLITE_NULL:
                        fila << QVariant();
                        break;
                    case SQLITE_INTEGER:
                        fila << QVariant(static_cast<qint64>(sqlite3_column_int64(st, i)));
                        break;
                    case SQLITE_FLOAT:
                        fila << QVariant(sqlite3_column_double(st, i));
                        break;
                    default:
                        fila << QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i))));
                }
            }
            filas << fila;
        }
        if (r != SQLITE_DONE) Fallar(sql);
        sqlite3_finalize(st);
        return filas;
    }
    QVariant Valor(const QString& sql) {
        const auto f = Filas(sql);
        return f.isEmpty() ? QVariant() : f.first().value(0);
    }
    QStringList Columna(const QString& sql) {
        QStringList r;
        for (const auto& f : Filas(sql)) r << f.value(0).toString();
        return r;
    }
    void Ejecutar(const QString& sql) {
        if (sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK) Fallar(sql);
    }

private:
    void Fallar(const QString& sql) {
        QTest::qFail(qPrintable(QString::fromUtf8(sqlite3_errmsg(db_)) + QStringLiteral(" en: ") + sql), __FILE__, __LINE__);
    }
    sqlite3* db_ = nullptr;
};

QString Leer(const QString& archivo) {
    QFile f(archivo);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

qint64 Contar(Lectura& l, const QString& sql) {
    return l.Valor(sql).toLongLong();
}

}  // namespace

// The embedded demo database: what is in it, the shape of its layouts, how it is built, and the
// generator of large layouts.
class TstBaseDemo : public QObject {
    Q_OBJECT

    std::unique_ptr<BaseTemporal> base_;

private slots:
    void initTestCase() {
        base_ = std::make_unique<BaseTemporal>();
        QVERIFY2(base_->Valida(), qPrintable(base_->Error()));
    }

    // --- Building ---------------------------------------------------------------------------------

    void creaLaBaseYLaDeEstadisticasSinDejarRestos() {
        QVERIFY(QFileInfo(base_->Archivo()).isFile());
        QCOMPARE(QDir(base_->Carpeta()).entryList(QDir::Files),
                 (QStringList{QStringLiteral("DEMO.db"), QStringLiteral("TV_ESTADISTICAS.db")}));
        Lectura l(base_->Archivo());
        QCOMPARE(l.Valor(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        Lectura e(base_->ArchivoEstadisticas());
        QCOMPARE(e.Valor(QStringLiteral("SELECT Valor FROM TA_CONFIGURACION WHERE Clave = 'TimeOut'")).toString(),
                 QStringLiteral("90"));
    }

    void noReemplazaUnaBaseExistenteSalvoQueSeLePida() {
        QTemporaryDir dir;
        QString error;
        QVERIFY2(demo::CrearBaseDemo(dir.path(), QStringLiteral("EMPRESA"), &error, false, QStringLiteral(MP_DATA_DIR)),
                 qPrintable(error));
        const QString archivo = dir.filePath(QStringLiteral("EMPRESA.db"));
        {
            Lectura l(archivo);
            l.Ejecutar(QStringLiteral("INSERT INTO TA_UNIDAD (IdUnidad, Descripcion) VALUES ('ZZ', 'marca de la prueba')"));
            Lectura e(dir.filePath(QStringLiteral("TV_ESTADISTICAS.db")));
            e.Ejecutar(QStringLiteral("UPDATE TA_CONFIGURACION SET Valor = '45' WHERE Clave = 'TIMEOUT'"));
        }

        error.clear();
        QVERIFY(!demo::CrearBaseDemo(dir.path(), QStringLiteral("EMPRESA"), &error, false, QStringLiteral(MP_DATA_DIR)));
        QVERIFY2(error.contains(QStringLiteral("EMPRESA.db")), qPrintable(error));
        {
            Lectura l(archivo);
            QCOMPARE(Contar(l, QStringLiteral("SELECT COUNT(*) FROM TA_UNIDAD WHERE IdUnidad = 'ZZ'")), 1);
        }

        QVERIFY2(demo::CrearBaseDemo(dir.path(), QStringLiteral("EMPRESA.db"), &error, true, QStringLiteral(MP_DATA_DIR)),
                 qPrintable(error));
        Lectura l(archivo);
        QCOMPARE(Contar(l, QStringLiteral("SELECT COUNT(*) FROM TA_UNIDAD WHERE IdUnidad = 'ZZ'")), 0);
        QVERIFY(Contar(l, QStringLiteral("SELECT COUNT(*) FROM MA_POSICIONES")) > 0);
        // The statistics database is shared by every database of the folder: its settings stay.
        Lectura e(dir.filePath(QStringLiteral("TV_ESTADISTICAS.db")));
        QCOMPARE(e.Valor(QStringLiteral("SELECT Valor FROM TA_CONFIGURACION WHERE Clave = 'TIMEOUT'")).toString(),
                 QStringLiteral("45"));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("EMPRESA.db.db"))));
    }

    void sinSqlNiNombreNoCreaNada() {
        QTemporaryDir dir;
        QString error;
        QVERIFY(!demo::CrearBaseDemo(dir.path(), QStringLiteral("DEMO"), &error, false, dir.filePath(QStringLiteral("no_hay"))));
        QVERIFY2(error.contains(QStringLiteral("schema.sql")), qPrintable(error));
        QVERIFY(!demo::CrearBaseDemo(dir.path(), QStringLiteral("  "), &error, false, QStringLiteral(MP_DATA_DIR)));
        QVERIFY(!demo::CrearBaseDemo(dir.path(), QStringLiteral("tv_estadisticas"), &error, false, QStringLiteral(MP_DATA_DIR)));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
    }

    void elSqlVaIncrustadoEnElPrograma() {
        for (const QString& nombre : {QStringLiteral("schema.sql"), QStringLiteral("estadisticas.sql")}) {
            const QString incrustado = Leer(QStringLiteral(":/demo/") + nombre);
            QVERIFY2(!incrustado.isEmpty(), qPrintable(nombre + QStringLiteral(" no esta en los recursos")));
            QCOMPARE(incrustado, Leer(QDir(QStringLiteral(MP_DATA_DIR)).filePath(nombre)));
        }
        QTemporaryDir dir;
        QString error;
        QVERIFY2(demo::CrearBaseDemo(dir.path(), QStringLiteral("DEMO"), &error), qPrintable(error));
        Lectura l(dir.filePath(QStringLiteral("DEMO.db")));
        QVERIFY(Contar(l, QStringLiteral("SELECT COUNT(*) FROM MA_POSICIONES")) > 0);
    }

    // --- Schema -----------------------------------------------------------------------------------

    void cadaTablaYVistaExisteYSeLee_data() {
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QString>("tipo");
        const char* tablas[] = {"MA_POSICIONES",     "TA_CONFIGURACION",
                                "TA_USUARIOS",       "TA_TAREAS",
                                "TA_MENU",           "Control_Acceso",
                                "V_MV_CPTEACCIONES", "AUX_ERR",
                                "V_MV_FALTANTES",    "TA_CCOSTO",
                                "MA_CUENTAS",        "MV_ASIENTOS",
                                "AC_CUENTASDIARIO",  "AC_CUENTASDIARIO_CCOSTO",
                                "MA_CONTACTOS"};
        const char* vistas[] = {"V_TA_DEPOSITO",      "V_TA_Unidad",    "V_TA_Rubros",         "V_TA_TipoArticulo",
                                "V_TA_Familias",      "V_MA_ARTICULOS", "VT_MA_ARTICULOS",     "STK_MA_ARTICULOS",
                                "V_TA_UnidadNegocio", "VT_CLIENTES",    "VT_PROVEEDORES",      "V_TA_CAJAS",
                                "V_TA_VENDEDORES",    "V_TA_TECNICOS",  "V_MA_MANTENIMIENTOS", "V_TA_Tareas",
                                "V_TA_STATUS",        "SS_MA_CUENTAS",  "SS_V_TA_DEPOSITO",    "SS_MV_ASIENTOS",
                                "SS_V_TA_FAMILIAS",   "SS_V_TA_CAJAS",  "SS_AC_CUENTASDIARIO", "SS_AC_CUENTAS_DIARIO_CCOSTO"};
        for (const char* t : tablas) QTest::newRow(t) << QString::fromLatin1(t) << QStringLiteral("table");
        for (const char* v : vistas) QTest::newRow(v) << QString::fromLatin1(v) << QStringLiteral("view");
    }
    void cadaTablaYVistaExisteYSeLee() {
        QFETCH(QString, nombre);
        QFETCH(QString, tipo);
        Lectura l(base_->Archivo());
        // Names as the program writes them, in any letter case.
        QCOMPARE(
            l.Valor(QStringLiteral("SELECT type FROM sqlite_master WHERE name = '%1' COLLATE NOCASE").arg(nombre)).toString(),
            tipo);
        l.Filas(QStringLiteral("SELECT * FROM %1").arg(nombre.toLower()));
    }

    void losTextosSonNoCaseYLosTiposDeSqlServer() {
        Lectura l(base_->Archivo());
        const QRegularExpression tipoValido(
            QStringLiteral(
                "^(varchar\\(\\d+\\)|char\\(\\d+\\)|int|smallint|bit|money|decimal\\(\\d+,\\d+\\)|datetime|text|integer)$"),
            QRegularExpression::CaseInsensitiveOption);
        const QStringList tablas =
            l.Columna(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%'"));
        QVERIFY(tablas.size() >= 30);
        int columnas = 0;
        for (const QString& tabla : tablas) {
            for (const auto& c : l.Filas(QStringLiteral("PRAGMA table_info(%1)").arg(tabla))) {
                const QString columna = c.value(1).toString(), tipo = c.value(2).toString();
                const QString donde = tabla + QLatin1Char('.') + columna + QStringLiteral(" ") + tipo;
                QVERIFY2(tipoValido.match(tipo).hasMatch(), qPrintable(donde));
                const char* coleccion = nullptr;
                QCOMPARE(sqlite3_table_column_metadata(l.db(), nullptr, tabla.toUtf8().constData(), columna.toUtf8().constData(),
                                                       nullptr, &coleccion, nullptr, nullptr, nullptr),
                         SQLITE_OK);
                const bool esTexto = tipo.contains(QStringLiteral("char"), Qt::CaseInsensitive) ||
                                     tipo.compare(QStringLiteral("text"), Qt::CaseInsensitive) == 0;
                if (esTexto) QVERIFY2(QString::fromLatin1(coleccion) == QStringLiteral("NOCASE"), qPrintable(donde));
                ++columnas;
            }
        }
        QVERIFY(columnas > 100);
    }

    // The client takes a column's type and size from its declared type, also through a view.
    void lasVistasConservanElTipoDeclarado() {
        Lectura l(base_->Archivo());
        const QStringList vistas = l.Columna(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'view'"));
        QVERIFY(vistas.size() >= 20);
        for (const QString& vista : vistas) {
            sqlite3_stmt* st = nullptr;
            QCOMPARE(
                sqlite3_prepare_v2(l.db(), QStringLiteral("SELECT * FROM %1").arg(vista).toUtf8().constData(), -1, &st, nullptr),
                SQLITE_OK);
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                const QString donde = vista + QLatin1Char('.') + QString::fromUtf8(sqlite3_column_name(st, i));
                if (!sqlite3_column_decltype(st, i)) {
                    sqlite3_finalize(st);
                    QFAIL(qPrintable(donde + QStringLiteral(" sin tipo declarado")));
                }
            }
            sqlite3_finalize(st);
        }
    }

    void lasColumnasDePosicionesYArticulos() {
        Lectura l(base_->Archivo());
        auto columnas = [&](const QString& tabla) {
            QStringList r;
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(l.db(), QStringLiteral("SELECT * FROM %1").arg(tabla).toUtf8().constData(), -1, &st, nullptr);
            for (int i = 0; st && i < sqlite3_column_count(st); ++i)
                r << QStringLiteral("%1 %2").arg(QString::fromUtf8(sqlite3_column_name(st, i)),
                                                 QString::fromUtf8(sqlite3_column_decltype(st, i)).toLower());
            sqlite3_finalize(st);
            return r;
        };
        QCOMPARE(columnas(QStringLiteral("MA_POSICIONES")),
                 (QStringList{"IdPosicion varchar(25)", "Descripcion varchar(50)", "Capacidad decimal(18,2)",
                              "IdUnidad varchar(4)", "IdRubro varchar(4)", "IdTipo varchar(4)", "IdArticulo varchar(25)",
                              "IdFamilia varchar(15)", "OrdenIngreso int", "Habilitado bit", "Reservado bit", "Completa bit",
                              "Picking bit", "Titulo bit", "IdDeposito varchar(4)"}));
        for (const QString& vista :
             {QStringLiteral("V_MA_ARTICULOS"), QStringLiteral("VT_MA_ARTICULOS"), QStringLiteral("STK_MA_ARTICULOS")}) {
            const QStringList c = columnas(vista);
            for (const char* esperada :
                 {"IdArticulo varchar(25)", "Descripcion varchar(100)", "IdRubro varchar(4)", "IdTipo varchar(4)",
                  "IdFamilia varchar(15)", "IdUnidad varchar(4)", "PUNTOPEDIDO decimal(18,2)", "Stock decimal(18,2)",
                  "SUSPENDIDO bit", "PRECIO1 money", "PRECIO2 money", "PRECIO3 money"})
                QVERIFY2(c.contains(QString::fromLatin1(esperada)), qPrintable(vista + QStringLiteral(": ") + esperada));
        }
        QCOMPARE(columnas(QStringLiteral("V_TA_DEPOSITO")),
                 (QStringList{"IdDeposito varchar(4)", "Descripcion varchar(50)", "Unidad varchar(4)"}));
        QCOMPARE(l.Filas(QStringLiteral("PRAGMA table_info(Control_Acceso)")).value(0).mid(1, 2),
                 (QVariantList{QStringLiteral("id"), QStringLiteral("INTEGER")}));
    }

    // --- Demo rows --------------------------------------------------------------------------------

    void depositosConCodigoDeAnchoFijo() {
        Lectura l(base_->Archivo());
        QCOMPARE(l.Columna(QStringLiteral("SELECT IdDeposito FROM V_TA_DEPOSITO ORDER BY IdDeposito")),
                 (QStringList{QStringLiteral("   1"), QStringLiteral("   2"), QStringLiteral("   3")}));
        QCOMPARE(Contar(l, QStringLiteral("SELECT COUNT(*) FROM MA_POSICIONES WHERE IdDeposito NOT IN "
                                          "(SELECT IdDeposito FROM V_TA_DEPOSITO)")),
                 0);
        for (const auto& f : l.Filas(QStringLiteral("SELECT IdDeposito, COUNT(*) FROM MA_POSICIONES GROUP BY IdDeposito")))
            QVERIFY2(f.value(1).toInt() >= 150, qPrintable(f.value(0).toString()));
        QCOMPARE(Contar(l, QStringLiteral("SELECT COUNT(DISTINCT IdDeposito) FROM MA_POSICIONES")), 3);
        // The business unit of every warehouse exists.
        QCOMPARE(Contar(l, QStringLiteral("SELECT COUNT(*) FROM V_TA_DEPOSITO WHERE Unidad NOT IN "
                                          "(SELECT Codigo FROM V_TA_UnidadNegocio)")),
                 0);
    }

    void configuracionDeNivelesYDeSesion() {
        Lectura l(base_->Archivo());
        QMap<QString, QString> cfg, grupo;
        for (const auto& f : l.Filas(QStringLiteral("SELECT Clave, Valor, Grupo FROM TA_CONFIGURACION"))) {
            const QString clave = f.value(0).toString();
            // Stored as the program's own writes store keys: trimmed, upper case.
            QCOMPARE(clave, clave.trimmed().toUpper());
            cfg[clave] = f.value(1).toString();
            grupo[clave] = f.value(2).toString();
        }
        const QStringList longitudes{"2", "2", "2", "0"}, titulos{"CALLE", "POSICION", "NIVEL", ""};
        for (int n = 1; n <= 4; ++n) {
            const QString l1 = QStringLiteral("LAYOUT_NIVEL%1").arg(n), t1 = QStringLiteral("TIT_LAYOUT_NIVEL_%1").arg(n);
            QVERIFY2(cfg.contains(l1) && cfg.contains(t1), qPrintable(l1));
            QCOMPARE(cfg[l1], longitudes[n - 1]);
            QCOMPARE(cfg[t1], titulos[n - 1]);
            QCOMPARE(grupo[l1], QStringLiteral("DATOS"));
            QCOMPARE(grupo[t1], QStringLiteral("DATOS"));
        }
        QCOMPARE(cfg.value(QStringLiteral("MOSTRARSTOCKENCONSULTAS")), QStringLiteral("SI"));
        QCOMPARE(cfg.value(QStringLiteral("SS_CONFIDENCIALIDAD")), QStringLiteral("NO"));
        QVERIFY(cfg.contains(QStringLiteral("USACONSULTALIKE")));
        QSet<QString> colores;
        for (const QString& clave : {QStringLiteral("CFONDO"), QStringLiteral("CLETRA"), QStringLiteral("STK_NIVEL1"),
                                     QStringLiteral("STK_NIVEL2"), QStringLiteral("STK_NIVEL3"), QStringLiteral("STK_NIVEL4")}) {
            bool ok = false;
            const qint64 color = cfg.value(clave).toLongLong(&ok);
            QVERIFY2(ok && color >= 0 && color <= 0xFFFFFF, qPrintable(clave));
            colores << cfg.value(clave);
        }
        QCOMPARE(colores.size(), 6);
        for (const QString& clave : {QStringLiteral("TOPCONSART"), QStringLiteral("TIMEOUT")})
            QVERIFY2(cfg.value(clave).toInt() > 0, qPrintable(clave));
        QVERIFY(!cfg.value(QStringLiteral("NOMBRE")).isEmpty());
        QVERIFY(!cfg.value(QStringLiteral("CUIT")).isEmpty());
    }

    void posicionesTitulosImputablesYReservas() {
        Lectura l(base_->Archivo());
        const auto filas = l.Filas(QStringLiteral(
            "SELECT IdDeposito, IdPosicion, Descripcion, Titulo, Reservado, IdArticulo, IdFamilia, IdRubro, IdTipo, "
            "Capacidad, IdUnidad FROM MA_POSICIONES"));
        QSet<QString> codigos;
        for (const auto& f : filas) codigos << f.value(0).toString() + QLatin1Char('|') + f.value(1).toString();
        QMap<QString, QSet<int>> clasesPorDeposito;
        for (const auto& f : filas) {
            const QString deposito = f.value(0).toString(), codigo = f.value(1).toString();
            const QString donde = deposito + QLatin1Char('|') + codigo;
            QVERIFY2(codigo.size() == 2 || codigo.size() == 4 || codigo.size() == 6, qPrintable(donde));
            for (int largo = 2; largo < codigo.size(); largo += 2)
                QVERIFY2(codigos.contains(deposito + QLatin1Char('|') + codigo.left(largo)), qPrintable(donde));
            const bool titulo = f.value(3).toInt() == 1;
            QCOMPARE(titulo, codigo.size() < 6);
            const QString esperada = codigo.size() == 2   ? QStringLiteral("Calle ") + codigo
                                     : codigo.size() == 4 ? QStringLiteral("Posicion ") + codigo.mid(2)
                                                          : QStringLiteral("Nivel ") + QString::number(codigo.mid(4).toInt());
            QCOMPARE(f.value(2).toString(), esperada);

            int reservas = 0;
            for (int c = 5; c <= 8; ++c)
                if (!f.value(c).isNull()) {
                    ++reservas;
                    clasesPorDeposito[deposito] << c;
                }
            QVERIFY2(reservas <= 1, qPrintable(donde));
            QVERIFY2(reservas == 0 || !titulo, qPrintable(donde));
            QCOMPARE(f.value(4).toInt(), reservas);
            if (titulo) {
                QCOMPARE(f.value(9).toDouble(), 999999.0);
                QVERIFY(f.value(10).isNull());
            } else {
                QVERIFY(f.value(9).toDouble() > 0);
            }
        }
        // Every warehouse shows each kind of reservation.
        QCOMPARE(clasesPorDeposito.size(), 3);
        for (const auto& clases : clasesPorDeposito) QCOMPARE(clases.size(), 4);

        // Every code a position refers to exists in the table the editor checks it against.
        const char* referencias[][3] = {{"IdArticulo", "V_MA_ARTICULOS", "IdArticulo"},
                                        {"IdFamilia", "V_TA_Familias", "IdFamilia"},
                                        {"IdRubro", "V_TA_Rubros", "IdRubro"},
                                        {"IdTipo", "V_TA_TipoArticulo", "IdTipo"},
                                        {"IdUnidad", "V_TA_Unidad", "IdUnidad"}};
        for (const auto& r : referencias)
            QCOMPARE(Contar(l, QStringLiteral("SELECT COUNT(*) FROM MA_POSICIONES p WHERE p.%1 IS NOT NULL AND NOT EXISTS "
                                              "(SELECT 1 FROM %2 t WHERE t.%3 = p.%1)")
                                   .arg(QString::fromLatin1(r[0]), QString::fromLatin1(r[1]), QString::fromLatin1(r[2]))),
                     0);
    }

    void familiasJerarquicas() {
        Lectura l(base_->Archivo());
        const QStringList familias = l.Columna(QStringLiteral("SELECT IdFamilia FROM V_TA_Familias"));
        QVERIFY(familias.size() >= 10);
        int raices = 0, hojas = 0;
        for (const QString& f : familias) {
            QVERIFY2(f.size() == 2 || f.size() == 4 || f.size() == 6, qPrintable(f));
            if (f.size() == 2) ++raices;
            if (f.size() == 6) ++hojas;
            if (f.size() > 2) QVERIFY2(familias.contains(f.left(f.size() - 2)), qPrintable(f));
        }
        QVERIFY(raices >= 2);
        QVERIFY(hojas >= 2);
        QCOMPARE(l.Columna(QStringLiteral("SELECT IdFamilia FROM SS_V_TA_FAMILIAS ORDER BY 1")),
                 l.Columna(QStringLiteral("SELECT IdFamilia FROM V_TA_Familias ORDER BY 1")));
    }

    void articulosConStockYPuntoDePedido() {
        Lectura l(base_->Archivo());
        QVERIFY(Contar(l, QStringLiteral("SELECT COUNT(*) FROM V_MA_ARTICULOS")) >= 200);
        // The four colours of the lookup list, and a stock equal to its reorder point.
        const char* casos[] = {"PUNTOPEDIDO = 0 AND Stock > 0", "PUNTOPEDIDO > 0 AND Stock > PUNTOPEDIDO",
                               "PUNTOPEDIDO > 0 AND Stock < PUNTOPEDIDO", "PUNTOPEDIDO > 0 AND Stock = PUNTOPEDIDO",
                               "PUNTOPEDIDO = 0 AND Stock = 0"};
        for (const char* caso : casos)
            QVERIFY2(
                Contar(l, QStringLiteral("SELECT COUNT(*) FROM VT_MA_ARTICULOS WHERE %1").arg(QString::fromLatin1(caso))) >= 10,
                caso);
        const qint64 suspendidos = Contar(l, QStringLiteral("SELECT COUNT(*) FROM VT_MA_ARTICULOS WHERE SUSPENDIDO = 1"));
        QVERIFY(suspendidos > 0);
        QVERIFY(Contar(l, QStringLiteral("SELECT COUNT(*) FROM VT_MA_ARTICULOS WHERE SUSPENDIDO = 0")) > 10 * suspendidos);
        QCOMPARE(Contar(l, QStringLiteral("SELECT COUNT(*) FROM V_MA_ARTICULOS WHERE NOT (PRECIO1 > 0 AND PRECIO2 > 0 AND "
                                          "PRECIO3 > 0) OR Descripcion IS NULL OR Descripcion = ''")),
                 0);
        const char* referencias[][3] = {{"IdFamilia", "V_TA_Familias", "IdFamilia"},
                                        {"IdRubro", "V_TA_Rubros", "IdRubro"},
                                        {"IdTipo", "V_TA_TipoArticulo", "IdTipo"},
                                        {"IdUnidad", "V_TA_Unidad", "IdUnidad"}};
        for (const auto& r : referencias)
            QCOMPARE(Contar(l, QStringLiteral("SELECT COUNT(*) FROM V_MA_ARTICULOS a WHERE NOT EXISTS "
                                              "(SELECT 1 FROM %2 t WHERE t.%3 = a.%1)")
                                   .arg(QString::fromLatin1(r[0]), QString::fromLatin1(r[1]), QString::fromLatin1(r[2]))),
                     0);
    }

    void usuariosTareasYUnidadDeNegocio() {
        Lectura l(base_->Archivo());
        const auto& fc = FuncionesComunes::instancia();
        const auto demo =
            l.Filas(QStringLiteral("SELECT Password, SISTEMA, Administrador, UNegocio FROM TA_USUARIOS WHERE NOMBRE = 'DEMO'"));
        QCOMPARE(demo.size(), 1);
        QVERIFY(demo[0].value(0).toString() != QStringLiteral("demo"));  // not stored in clear
        QCOMPARE(fc.Decodificar(demo[0].value(0).toString()), QStringLiteral("demo"));
        QCOMPARE(demo[0].value(1).toString(), QStringLiteral("ORBE"));
        QCOMPARE(fc.ValorNumerico(demo[0].value(2).toString()), 1.0);
        QCOMPARE(demo[0].value(3).toString(), QStringLiteral("   1"));

        const auto operador =
            l.Filas(QStringLiteral("SELECT Password, SISTEMA, Administrador FROM TA_USUARIOS WHERE NOMBRE = 'OPERADOR'"));
        QCOMPARE(operador.size(), 1);
        QCOMPARE(fc.Decodificar(operador[0].value(0).toString()), QStringLiteral("1234"));
        QCOMPARE(operador[0].value(1).toString(), QStringLiteral("ORBE"));
        QVERIFY(fc.ValorNumerico(operador[0].value(2).toString()) != 1.0);

        // The menu task under which each user runs this program.
        const QString tarea = QStringLiteral(
            "SELECT TA_MENU.Nombre FROM TA_TAREAS INNER JOIN TA_MENU ON TA_TAREAS.TAREA = TA_MENU.Clave "
            "WHERE TA_TAREAS.USUARIO = '%1' AND TA_MENU.Proceso LIKE '%MA_POSICIONES%'");
        QCOMPARE(l.Columna(tarea.arg(QStringLiteral("DEMO"))), QStringList{QStringLiteral("Definicion de Layout")});
        QCOMPARE(l.Columna(tarea.arg(QStringLiteral("OPERADOR"))), QStringList{QStringLiteral("Definicion de Layout")});

        const auto unidad =
            l.Filas(QStringLiteral("SELECT razon_social, Cuit, PDV FROM V_TA_UnidadNegocio WHERE Codigo = '   1'"));
        QCOMPARE(unidad.size(), 1);
        for (const QVariant& v : unidad[0]) QVERIFY(!v.toString().trimmed().isEmpty());
        QCOMPARE(Contar(l, QStringLiteral("SELECT COUNT(*) FROM TA_USUARIOS WHERE UNegocio NOT IN "
                                          "(SELECT Codigo FROM V_TA_UnidadNegocio)")),
                 0);
    }

    // --- Generator --------------------------------------------------------------------------------

    void generadorDaLaCantidadPedidaConSusNivelesSuperiores_data() {
        QTest::addColumn<QString>("deposito");
        QTest::addColumn<int>("cantidad");
        QTest::newRow("una") << QStringLiteral("4") << 1;
        QTest::newRow("corta una posicion") << QStringLiteral("5") << 7;
        QTest::newRow("quinientas") << QStringLiteral("6") << 500;
        QTest::newRow("cien mil") << QStringLiteral("  77") << 100000;
    }
    void generadorDaLaCantidadPedidaConSusNivelesSuperiores() {
        QFETCH(QString, deposito);
        QFETCH(int, cantidad);
        BaseTemporal base;
        QVERIFY2(base.Valida(), qPrintable(base.Error()));
        QString error;
        QElapsedTimer reloj;
        reloj.start();
        QVERIFY2(demo::GenerarLayout(base.Archivo(), deposito, cantidad, &error), qPrintable(error));
        const qint64 ms = reloj.elapsed();
        // Generous for a loaded machine and a sanitizer build; a plain build takes a fraction.
        QVERIFY2(ms < 10000, qPrintable(QStringLiteral("%1 ms").arg(ms)));

        const QString codigo = deposito.trimmed().rightJustified(4, QLatin1Char(' '));
        Lectura l(base.Archivo());
        const QString en = QStringLiteral(" FROM MA_POSICIONES p WHERE p.IdDeposito = '%1'").arg(codigo);
        QCOMPARE(Contar(l, QStringLiteral("SELECT COUNT(*)") + en), qint64(cantidad));
        QCOMPARE(Contar(l, QStringLiteral("SELECT COUNT(*)") + en + QStringLiteral(" AND LENGTH(IdPosicion) NOT IN (2, 4, 6)")),
                 0);
        QCOMPARE(Contar(l, QStringLiteral("SELECT COUNT(*)") + en + QStringLiteral(" AND Titulo <> (LENGTH(IdPosicion) < 6)")),
                 0);
        for (int largo : {2, 4})
            QCOMPARE(
                Contar(l, QStringLiteral("SELECT COUNT(*)") + en +
                              QStringLiteral(" AND LENGTH(IdPosicion) > %1 AND NOT EXISTS (SELECT 1 FROM MA_POSICIONES q "
                                             "WHERE q.IdDeposito = p.IdDeposito AND q.IdPosicion = SUBSTR(p.IdPosicion, 1, %1))")
                                  .arg(largo)),
                0);
        if (cantidad >= 7) QVERIFY(Contar(l, QStringLiteral("SELECT COUNT(*)") + en + QStringLiteral(" AND Titulo = 0")) > 0);
        QCOMPARE(l.Columna(QStringLiteral("SELECT IdDeposito FROM V_TA_DEPOSITO WHERE IdDeposito = '%1'").arg(codigo)),
                 QStringList{codigo});
        // The demo warehouses are untouched.
        QCOMPARE(Contar(l, QStringLiteral("SELECT COUNT(DISTINCT IdDeposito) FROM MA_POSICIONES")), 4);
    }

    void generadorSigueLasLongitudesConfiguradas() {
        BaseTemporal base;
        QVERIFY2(base.Valida(), qPrintable(base.Error()));
        {
            Lectura l(base.Archivo());
            l.Ejecutar(
                QStringLiteral("UPDATE TA_CONFIGURACION SET Valor = CASE Clave WHEN 'LAYOUT_NIVEL1' THEN '1' "
                               "WHEN 'LAYOUT_NIVEL2' THEN '2' ELSE '3' END WHERE Clave IN ('LAYOUT_NIVEL1', "
                               "'LAYOUT_NIVEL2', 'LAYOUT_NIVEL3')"));
        }
        QString error;
        QVERIFY2(demo::GenerarLayout(base.Archivo(), QStringLiteral("8"), 3000, &error), qPrintable(error));
        Lectura l(base.Archivo());
        QCOMPARE(l.Columna(QStringLiteral("SELECT DISTINCT LENGTH(IdPosicion) FROM MA_POSICIONES WHERE IdDeposito = '   8' "
                                          "ORDER BY 1")),
                 (QStringList{QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("6")}));
        for (int largo : {1, 3})
            QCOMPARE(Contar(l, QStringLiteral("SELECT COUNT(*) FROM MA_POSICIONES p WHERE IdDeposito = '   8' AND "
                                              "LENGTH(IdPosicion) > %1 AND NOT EXISTS (SELECT 1 FROM MA_POSICIONES q WHERE "
                                              "q.IdDeposito = p.IdDeposito AND q.IdPosicion = SUBSTR(p.IdPosicion, 1, %1))")
                                   .arg(largo)),
                     0);

        // One-character levels number at most 9 + 81 + 729 codes.
        l.Ejecutar(QStringLiteral("UPDATE TA_CONFIGURACION SET Valor = '1' WHERE Clave LIKE 'LAYOUT_NIVEL_'"));
        QVERIFY(demo::GenerarLayout(base.Archivo(), QStringLiteral("9"), 819, &error));
        QVERIFY(!demo::GenerarLayout(base.Archivo(), QStringLiteral("10"), 820, &error));
        QVERIFY2(error.contains(QStringLiteral("820")), qPrintable(error));
        QCOMPARE(Contar(l, QStringLiteral("SELECT COUNT(*) FROM MA_POSICIONES WHERE IdDeposito = '  10'")), 0);
    }

    void generadorRechazaLoQueNoPuedeHacer() {
        QTemporaryDir dir;
        QString error;
        const QString inexistente = dir.filePath(QStringLiteral("NADA.db"));
        QVERIFY(!demo::GenerarLayout(inexistente, QStringLiteral("1"), 10, &error));
        QVERIFY(!QFileInfo::exists(inexistente));

        BaseTemporal base;
        QVERIFY2(base.Valida(), qPrintable(base.Error()));
        Lectura l(base.Archivo());
        const qint64 antes = Contar(l, QStringLiteral("SELECT COUNT(*) FROM MA_POSICIONES"));
        error.clear();
        QVERIFY(!demo::GenerarLayout(base.Archivo(), QStringLiteral("1"), 10, &error));  // already has a layout
        QVERIFY2(error.contains(QStringLiteral("'   1'")), qPrintable(error));
        QVERIFY(!demo::GenerarLayout(base.Archivo(), QStringLiteral("9"), 0, &error));
        QVERIFY(!demo::GenerarLayout(base.Archivo(), QStringLiteral("  "), 10, &error));
        QCOMPARE(Contar(l, QStringLiteral("SELECT COUNT(*) FROM MA_POSICIONES")), antes);
        QCOMPARE(Contar(l, QStringLiteral("SELECT COUNT(*) FROM V_TA_DEPOSITO")), 3);
    }

    // --- Other tools ------------------------------------------------------------------------------

    void elShellDeSqliteLeeLaBaseYElEsquema() {
        const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
        if (shell.isEmpty()) QSKIP("sqlite3 shell not installed");

        QProcess p;
        p.start(shell, {base_->Archivo(), QStringLiteral(".tables")});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        const QString tablas = QString::fromUtf8(p.readAllStandardOutput());
        for (const char* t : {"MA_POSICIONES", "V_TA_DEPOSITO", "SS_AC_CUENTAS_DIARIO_CCOSTO", "TA_CONFIGURACION"})
            QVERIFY2(tablas.contains(QString::fromLatin1(t)), t);

        p.start(shell, {base_->Archivo(), QStringLiteral("SELECT COUNT(*) FROM V_TA_DEPOSITO WHERE IdDeposito = '   2'")});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()).trimmed(), QStringLiteral("1"));

        // The schema file runs as it is in the shell.
        QTemporaryDir dir;
        p.setStandardInputFile(QDir(QStringLiteral(MP_DATA_DIR)).filePath(QStringLiteral("schema.sql")));
        p.start(shell, {dir.filePath(QStringLiteral("shell.db"))});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(QString::fromUtf8(p.readAllStandardError()), QString());
        QCOMPARE(p.exitCode(), 0);
        const QString objetos = QStringLiteral("SELECT type, name FROM sqlite_master ORDER BY name");
        Lectura desdeShell(dir.filePath(QStringLiteral("shell.db"))), demo(base_->Archivo());
        QCOMPARE(desdeShell.Filas(objetos), demo.Filas(objetos));
    }
};

QTEST_GUILESS_MAIN(TstBaseDemo)
#include "tst_basedemo.moc"
