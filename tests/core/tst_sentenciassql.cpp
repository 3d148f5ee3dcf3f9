#include "SesionPrueba.h"
#include "core/MascaraConsulta.h"
#include "core/SentenciasSQL.h"
#include "db/DB_Dll.h"

#include <QFile>
#include <QtTest>

// Rows written as SQL text, statement lists run as one transaction, and the small helpers around.
class TstSentenciasSQL : public QObject {
    Q_OBJECT

private slots:
    void insertDeDosCamposYEntradaVacia() {
        AgregaCampo(QStringLiteral("Usuario"), QStringLiteral("JUAN"), QStringLiteral("'"), true);
        AgregaCampo(QStringLiteral("Tarea"), QStringLiteral("ALTA"), QStringLiteral("'"), false);
        QStringList lista;
        QString where;
        ArmaSentencia(gCampos(), lista, QStringLiteral("Control_Acceso"), false, where, false);
        QCOMPARE(lista,
                 (QStringList{QStringLiteral("INSERT INTO Control_Acceso (Usuario,Tarea) VALUES ('JUAN','ALTA')"), QString()}));
        QCOMPARE(gCampos().size(), 1);  // emptied to one blank slot
        QVERIFY(gCampos().first().first.isEmpty());
    }

    void updateAgregaWhereSoloCuandoFalta() {
        AgregaCampo(QStringLiteral("Descripcion"), QStringLiteral("x"), QStringLiteral("'"), true);
        QStringList lista;
        QString where = QStringLiteral("IDDEPOSITO = '1'");
        ArmaSentencia(gCampos(), lista, QStringLiteral("T"), true, where, true);
        QCOMPARE(where, QStringLiteral(" WHERE IDDEPOSITO = '1'"));
        QCOMPARE(lista.first(), QStringLiteral("UPDATE T SET Descripcion = 'x'  WHERE IDDEPOSITO = '1'"));
        QString conWhere = QStringLiteral("where A = 1");
        ArmaSentencia(gCampos(), lista, QStringLiteral("T"), true, conWhere, false);
        QCOMPARE(conWhere, QStringLiteral("where A = 1"));
        QCOMPARE(lista.at(2), QStringLiteral("UPDATE T SET Descripcion = 'x' where A = 1"));
    }

    void nullYApostrofos() {
        QString v = QStringLiteral("nUlL");
        AgregaCampo(QStringLiteral("A"), v, QStringLiteral("'"), true);
        QString d = QStringLiteral("O'Brien's");
        AgregaCampo(QStringLiteral("B"), d, QStringLiteral("'"), false);
        QCOMPARE(d, QStringLiteral("OBriens"));  // the caller's variable loses them too
        QString texto = QStringLiteral(" INSERT INTO X ");
        ArmaInsert(texto, gCampos(), true);
        QCOMPARE(texto, QStringLiteral(" INSERT INTO X (A,B) VALUES (Null,'OBriens')"));
        QVERIFY(gCampos().isEmpty());
    }

    void listaVaciaNoEjecutaNada() {
        SesionPrueba s;
        bool fallo = true;
        long nativo = -1;
        QString script = QStringLiteral("sin tocar"), mensajes;
        GActualizarDatoScript({QString(), QStringLiteral("  "), QString()}, fallo, nativo, false, false, script, mensajes, true);
        QVERIFY(!fallo);
        QCOMPARE(script, QStringLiteral("sin tocar"));
    }

    void unSegundoFalloDeshaceElPrimero() {
        SesionPrueba s;
        const int antes = s.Contar(QStringLiteral("TA_CONFIGURACION"));
        QStringList lista{QStringLiteral("INSERT INTO TA_CONFIGURACION (Grupo,Clave,Valor) VALUES ('T','PRUEBA_1','1')"),
                          QString(), QStringLiteral("INSERT INTO TABLA_QUE_NO_EXISTE (A) VALUES (1)"), QString()};
        bool fallo = false;
        long nativo = 0;
        QString script, mensajes;
        s.guion().ResponderMsgBox(vb::OK, QStringLiteral("208 : "));
        GActualizarDatoScript(lista, fallo, nativo, false, false, script, mensajes, true);
        QVERIFY(fallo);
        QCOMPARE(nativo, 208L);
        QCOMPARE(s.guion().UltimaCaja().titulo, QStringLiteral("Aviso al Operador!"));
        QCOMPARE(s.guion().UltimaCaja().estilo, 16);
        QVERIFY(script.startsWith(QStringLiteral("BEGIN TRANSACTION \r\r\rINSERT INTO TA_CONFIGURACION")));
        QVERIFY(script.endsWith(QStringLiteral("VALUES (1)\r")));
        QCOMPARE(s.Contar(QStringLiteral("TA_CONFIGURACION")), antes);  // the first insert was rolled back
        QCOMPARE(s.Contar(QStringLiteral("AUX_ERR")), 1);               // one process-error record
        QCOMPARE(s.Sql(QStringLiteral("SELECT Error FROM AUX_ERR")), QStringLiteral("208"));
        QCOMPARE(s.Sql(QStringLiteral("SELECT Proceso FROM AUX_ERR")), QStringLiteral("MA_POSICIONES"));
        QVERIFY(gBaseDatos().gCnn().Errors().Vacia());
        // The connection is usable again and the next script commits.
        lista[2] = QStringLiteral("INSERT INTO TA_CONFIGURACION (Grupo,Clave,Valor) VALUES ('T','PRUEBA_2','2')");
        GActualizarDatoScript(lista, fallo, nativo, false, false, script, mensajes, true);
        QVERIFY(!fallo);
        QCOMPARE(nativo, 0L);
        QCOMPARE(s.Contar(QStringLiteral("TA_CONFIGURACION")), antes + 2);
    }

    void duplicadoAvisadoAlLlamadorSinCaja() {
        SesionPrueba s;
        const QString clave = s.Sql(QStringLiteral("SELECT Clave FROM TA_CONFIGURACION LIMIT 1"));
        QStringList lista{
            QStringLiteral("INSERT INTO TA_CONFIGURACION (Grupo,Clave,Valor) VALUES ('T','") + clave + QStringLiteral("','1')"),
            QString()};
        bool fallo = false;
        long nativo = 0;
        QString script, mensajes;
        GActualizarDatoScript(lista, fallo, nativo, true, false, script, mensajes, true);
        QVERIFY(fallo);
        QCOMPARE(nativo, 2627L);
        QVERIFY(!mensajes.isEmpty());
        QVERIFY(!mensajes.contains(QStringLiteral("2627 : ")));  // the description alone
        QVERIFY(s.guion().Cajas().isEmpty());
    }

    void filaLimitadaEnOracle() {
        SesionPrueba s(false);
        const QString t = QStringLiteral("Select TOP 1 * from Control_Acceso  with(nolock) ");
        QCOMPARE(AdaptaSQLPlataforma(t), t);
        gBaseDatos().gConnString = QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=X;");
        QCOMPARE(AdaptaSQLPlataforma(t), QStringLiteral("Select ") + QStringLiteral(" * ") +
                                             QStringLiteral(" from Control_Acceso  with(nolock) ") +
                                             QStringLiteral(" WHERE ROWNUM <= ") + QStringLiteral(" 1 "));
        QCOMPARE(AdaptaSQLPlataforma(QStringLiteral("len")), QStringLiteral("LENGTH"));
    }

    void formatosYArchivos() {
        const QDateTime m(QDate(2024, 3, 5), QTime(7, 9, 30));
        QCOMPARE(Formatear(m, FmtFechaHora()), QStringLiteral("05/03/24 07:09"));
        QCOMPARE(Formatear(m, FmtFecha()) + QLatin1Char(' ') + Formatear(m, FmtHora()), QStringLiteral("05/03/24 07:09"));
        QTemporaryDir dir;
        const QString ruta = dir.filePath(QStringLiteral("con blanco.txt"));
        QVERIFY(!ExisteArchivo(QLatin1Char('"') + ruta + QLatin1Char('"')));
        QFile f(ruta);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(ExisteArchivo(QLatin1Char('"') + ruta + QLatin1Char('"')));
    }

    void enlaceConBlancosVaEntreComillas() {
        GuionInstalado g;
        AbrirEnlace(QStringLiteral("http://ejemplo/a b"), true);
        AbrirEnlace(QStringLiteral("http://ejemplo/ab"), true);
        QCOMPARE(g->Documentos(), (QStringList{QStringLiteral("\"http://ejemplo/a b\""), QStringLiteral("http://ejemplo/ab")}));
    }

    void catalogoDeConsultasPorDefecto() {
        QTemporaryDir dir;
        const QString ruta = dir.filePath(QStringLiteral("consultas.tvx"));
        ArmaConsultasDefault(ruta);
        QFile f(ruta);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray datos = f.readAll();
        QCOMPARE(datos.size(), 11 * 1202);
        MascaraConsulta m;
        QVERIFY(MascaraConsulta::Leer(datos.mid(0, 1202), m));
        QCOMPARE(m.Titulo, QStringLiteral("ARTICULOS"));
        QCOMPARE(m.Tabla, QStringLiteral("V_MA_ARTICULOS"));
        QCOMPARE(m.Campos, QStringLiteral("|DESCRIPCION|IDARTICULO|"));
        QVERIFY(m.Filtro.isEmpty());
        QCOMPARE(datos.mid(1200, 2), QByteArray("\r\n"));
        QVERIFY(MascaraConsulta::Leer(datos.mid(10 * 1202, 1202), m));
        QCOMPARE(m.Tabla, QStringLiteral("V_TA_DEPOSITO"));
        QCOMPARE(m.Campos, QStringLiteral("|Descripcion|IdDeposito|"));
        f.close();
        // A damaged tail (a partial record) is overwritten by the next append, not left between records.
        QVERIFY(f.open(QIODevice::Append));
        f.write("basura");
        f.close();
        ArmaConsultasDefault(ruta);
        QFile g(ruta);
        QVERIFY(g.open(QIODevice::ReadOnly));
        QCOMPARE(g.size(), 22 * 1202);
    }

    void fechaDelServidor() {
        SesionPrueba s;
        const QDateTime antes = QDateTime::currentDateTime().addSecs(-2);
        const QDateTime f = FechaServidor();
        QVERIFY2(f.isValid() && f >= antes && f <= QDateTime::currentDateTime().addSecs(2), qPrintable(f.toString()));
        QCOMPARE(f.time().msec(), 0);
    }
};

QTEST_MAIN(TstSentenciasSQL)
#include "tst_sentenciassql.moc"
