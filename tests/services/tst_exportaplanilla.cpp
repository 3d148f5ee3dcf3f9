#include "LectorEspia.h"
#include "PlataformaGuion.h"
#include "SesionPrueba.h"
#include "db/DB_Dll.h"
#include "services/ExportaPlanilla.h"
#include "services/LectorFilas.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <QtTest>

#include <sqlite3.h>

namespace {

// Installs progress hooks for one test and restores the program's afterwards.
struct ProgresoInstalado {
    ExportaPlanilla::Progreso anterior;
    explicit ProgresoInstalado(ExportaPlanilla::Progreso p)
        : anterior(ExportaPlanilla::instancia().EstablecerProgreso(std::move(p))) {}
    ~ProgresoInstalado() { ExportaPlanilla::instancia().EstablecerProgreso(std::move(anterior)); }
};

QString Ejecutar(const QString& programa, const QStringList& argumentos, int* codigo) {
    QProcess p;
    p.start(programa, argumentos);
    p.waitForFinished(120000);
    *codigo = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput());
}

// A table as SQLite itself holds it: header and rows, NULL as an invalid QVariant, numbers as
// numbers and texts as texts.
struct Tabla {
    QStringList columnas;
    QList<QVariantList> filas;
};

Tabla LeerDirecto(const QString& archivo, const QString& sql) {
    Tabla t;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(archivo.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return t;
    }
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK) {
        for (int c = 0; c < sqlite3_column_count(st); ++c) t.columnas << QString::fromUtf8(sqlite3_column_name(st, c));
        while (sqlite3_step(st) == SQLITE_ROW) {
            QVariantList fila;
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                switch (sqlite3_column_type(st, c)) {
                    case SQLITE_NULL:
                        fila << QVariant();
                        break;
                    case SQLITE_INTEGER:
                    case SQLITE_FLOAT:
                        fila << sqlite3_column_double(st, c);
                        break;
                    default:
                        fila << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
                }
            }
            t.filas << fila;
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return t;
}

// The sheet's cells by their own XML: the type attribute of every cell ("" for a number), the
// frozen pane, the autofilter and the column widths.
struct Hoja {
    QHash<QString, QString> tipos;  // "B7" -> t attribute
    QString panel, filtro;
    QMap<int, double> anchos;  // 0-based column -> width
};

Hoja LeerXml(const QString& xlsx) {
    Hoja h;
    int rc = -1;
    const QString xml =
        Ejecutar(QStringLiteral("unzip"), {QStringLiteral("-p"), xlsx, QStringLiteral("xl/worksheets/sheet1.xml")}, &rc);
    QXmlStreamReader r(xml);
    while (!r.atEnd()) {
        if (r.readNext() != QXmlStreamReader::StartElement) continue;
        const auto a = r.attributes();
        if (r.name() == QLatin1String("c"))
            h.tipos.insert(a.value(QLatin1String("r")).toString(), a.value(QLatin1String("t")).toString());
        else if (r.name() == QLatin1String("pane"))
            h.panel =
                a.value(QLatin1String("state")).toString() + QLatin1Char(' ') + a.value(QLatin1String("topLeftCell")).toString();
        else if (r.name() == QLatin1String("autoFilter"))
            h.filtro = a.value(QLatin1String("ref")).toString();
        else if (r.name() == QLatin1String("col"))
            for (int c = a.value(QLatin1String("min")).toInt(); c <= a.value(QLatin1String("max")).toInt(); ++c)
                h.anchos.insert(c - 1, a.value(QLatin1String("width")).toDouble());
    }
    return h;
}

QString Letra(int columna) {
    QString r;
    for (int c = columna + 1; c > 0; c = (c - 1) / 26) r.prepend(QChar(u'A' + (c - 1) % 26));
    return r;
}

QStringList Archivos(const QString& carpeta) {
    return QDir(carpeta).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

}  // namespace

// The table written as a workbook, checked by an independent reader.
class TstExportaPlanilla : public QObject {
    Q_OBJECT

    ExportaPlanilla& ep = ExportaPlanilla::instancia();

private slots:
    void libroDeMaPosicionesTieneLasMismasFilasValoresYTipos() {
        for (const char* p : {"xlsx2csv", "unzip"})
            if (QStandardPaths::findExecutable(QLatin1String(p)).isEmpty()) QSKIP("xlsx2csv or unzip are not installed");
        SesionPrueba s;
        LectorEspia lector;
        // NULL flags, and a text that needs quoting and UTF-8.
        s.Sql(
            QStringLiteral("INSERT INTO MA_POSICIONES (IdPosicion, Descripcion, Capacidad, Habilitado, Reservado, Completa, "
                           "Picking, Titulo, IdDeposito) "
                           "VALUES ('0909', 'Cámara, frío \"A\"', 12.75, NULL, NULL, NULL, 1, NULL, '   3')"));
        const QString carpeta = s.base().Carpeta();
        const QString destino = QDir(carpeta).filePath(QStringLiteral("LayOut.xlsx"));
        // The save dialog's answer lacks the extension: the workbook gets it.
        s.guion().ResponderArchivo(QDir(carpeta).filePath(QStringLiteral("LayOut")));
        ep.Exportar(QStringLiteral("MA_Posiciones"), QStringLiteral("Provider=SQLOLEDB;Server=SQLITE;Database =DEMO"),
                    QStringLiteral("LayOut"), QString());
        QVERIFY(s.guion().Cajas().isEmpty());
        QCOMPARE(s.guion().Documentos(), QStringList{destino});
        QVERIFY(QFile::exists(destino));

        const Tabla esperada = LeerDirecto(s.base().Archivo(), QStringLiteral("SELECT * FROM MA_POSICIONES"));
        QCOMPARE(esperada.filas.size(), s.Contar(QStringLiteral("MA_POSICIONES")));
        const int ncol = static_cast<int>(esperada.columnas.size());

        // Values, through xlsx2csv on the sheet named after the title.
        int rc = -1;
        const QString csv =
            Ejecutar(QStringLiteral("xlsx2csv"),
                     {QStringLiteral("-d"), QStringLiteral("tab"), QStringLiteral("-n"), QStringLiteral("LayOut"), destino}, &rc);
        QCOMPARE(rc, 0);
        QStringList lineas = csv.split(QLatin1Char('\n'));
        while (!lineas.isEmpty() && lineas.last().isEmpty()) lineas.removeLast();
        QCOMPARE(lineas.size(), esperada.filas.size() + 1);
        QCOMPARE(lineas[0].split(QLatin1Char('\t')), esperada.columnas);
        auto limpiar = [](QString v) {  // CSV quoting of the one text that needs it
            if (v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"')))
                v = v.mid(1, v.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
            return v;
        };
        QMap<QString, QStringList> leidas;  // warehouse + code -> cells
        for (int i = 1; i < lineas.size(); ++i) {
            QStringList celdas = lineas[i].split(QLatin1Char('\t'));
            for (QString& c : celdas) c = limpiar(c);
            QCOMPARE(celdas.size(), ncol);
            leidas.insert(celdas[ncol - 1] + QLatin1Char('|') + celdas[0], celdas);
        }
        QCOMPARE(leidas.size(), esperada.filas.size());
        for (const QVariantList& fila : esperada.filas) {
            const QString clave = fila[ncol - 1].toString() + QLatin1Char('|') + fila[0].toString();
            QVERIFY2(leidas.contains(clave), qPrintable(clave));
            const QStringList& celdas = leidas[clave];
            for (int c = 0; c < ncol; ++c) {
                const QVariant& v = fila[c];
                if (!v.isValid())
                    QVERIFY2(celdas[c].isEmpty(), qPrintable(clave + QLatin1Char(' ') + esperada.columnas[c]));
                else if (v.typeId() == QMetaType::Double) {
                    bool ok = false;
                    QCOMPARE(celdas[c].toDouble(&ok), v.toDouble());
                    QVERIFY(ok);
                } else
                    QCOMPARE(celdas[c], v.toString());
            }
        }

        // Types, from the sheet itself: numbers and flags are numeric cells, codes stay texts
        // (with their leading zeros and blanks), NULL leaves no cell at all.
        const Hoja h = LeerXml(destino);
        for (int f = 0; f < esperada.filas.size(); ++f)
            for (int c = 0; c < ncol; ++c) {
                const QString ref = Letra(c) + QString::number(f + 2);
                const QVariant& v = esperada.filas[f][c];
                if (!v.isValid())
                    QVERIFY2(!h.tipos.contains(ref), qPrintable(ref));
                else if (v.typeId() == QMetaType::Double)
                    QVERIFY2(h.tipos.value(ref, QStringLiteral("?")).isEmpty(), qPrintable(ref));
                else
                    QVERIFY2(h.tipos.value(ref) == QLatin1String("inlineStr") || h.tipos.value(ref) == QLatin1String("s"),
                             qPrintable(ref));
            }
        // The header is frozen above the data, filtered, and each column as wide as its widest text.
        QCOMPARE(h.panel, QStringLiteral("frozen A2"));
        QCOMPARE(h.filtro, QStringLiteral("A1:%1%2").arg(Letra(ncol - 1)).arg(esperada.filas.size() + 1));
        for (int c = 0; c < ncol; ++c) {
            qsizetype mas = esperada.columnas[c].size();
            for (const QVariantList& fila : esperada.filas) mas = std::max(mas, fila[c].toString().size());
            QVERIFY2(h.anchos.value(c) >= mas && h.anchos.value(c) <= mas + 8, qPrintable(esperada.columnas[c]));
        }
        // Nothing left beside it but the databases and the workbook.
        QVERIFY(Archivos(carpeta).filter(QStringLiteral(".tmp")).isEmpty());
    }

    void cancelarElDialogoNoEscribeNada() {
        SesionPrueba s;
        LectorEspia lector;
        const QStringList antes = Archivos(s.base().Carpeta());
        s.guion().ResponderArchivo(QString());
        ep.Exportar(QStringLiteral("MA_Posiciones"), QString(), QStringLiteral("LayOut"), QString());
        QCOMPARE(Archivos(s.base().Carpeta()), antes);
        QVERIFY(lector.sentencias.isEmpty());
        QVERIFY(s.guion().Documentos().isEmpty());
        QVERIFY(s.guion().Cajas().isEmpty());
    }

    // The banner hears of every few hundred rows; a cancel there leaves neither the workbook nor
    // its temporary file, and an older file of that name is left as it was.
    void cancelarEnElCartelNoDejaArchivoAMedias() {
        SesionPrueba s;
        LectorEspia lector;
        const QString destino = QDir(s.base().Carpeta()).filePath(QStringLiteral("LayOut.xlsx"));
        {
            QFile viejo(destino);
            QVERIFY(viejo.open(QIODevice::WriteOnly));
            viejo.write("planilla anterior");
        }
        const QStringList antes = Archivos(s.base().Carpeta());
        QStringList llamadas;
        ProgresoInstalado progreso({[&](const QString& titulo) { llamadas << QStringLiteral("inicio ") + titulo; },
                                    [&](qint64 hechas, qint64 total) {
                                        llamadas << QStringLiteral("%1/%2").arg(hechas).arg(total);
                                        return hechas < ExportaPlanilla::kFilasPorAviso;  // cancel at the first notice
                                    },
                                    [&] { llamadas << QStringLiteral("fin"); }});
        s.guion().ResponderArchivo(destino);
        ep.Exportar(QStringLiteral("MA_Posiciones"), QString(), QStringLiteral("LayOut"), QString());
        const int total = s.Contar(QStringLiteral("MA_POSICIONES"));
        QVERIFY(total > ExportaPlanilla::kFilasPorAviso);
        QCOMPARE(llamadas,
                 QStringList({QStringLiteral("inicio LayOut"),
                              QStringLiteral("%1/%2").arg(ExportaPlanilla::kFilasPorAviso).arg(total), QStringLiteral("fin")}));
        QCOMPARE(Archivos(s.base().Carpeta()), antes);
        QFile viejo(destino);
        QVERIFY(viejo.open(QIODevice::ReadOnly));
        QCOMPARE(viejo.readAll(), QByteArray("planilla anterior"));
        QVERIFY(s.guion().Documentos().isEmpty());
        QVERIFY(s.guion().Cajas().isEmpty());
    }

    void sinCancelarElCartelLlegaAlTotalYSeReemplazaElArchivo() {
        SesionPrueba s;
        LectorEspia lector;
        const QString destino = QDir(s.base().Carpeta()).filePath(QStringLiteral("LayOut.xlsx"));
        {
            QFile viejo(destino);
            QVERIFY(viejo.open(QIODevice::WriteOnly));
            viejo.write("planilla anterior");
        }
        QList<qint64> avisos;
        int fines = 0;
        ProgresoInstalado progreso({{},
                                    [&](qint64 hechas, qint64) {
                                        avisos << hechas;
                                        return true;
                                    },
                                    [&] { ++fines; }});
        s.guion().ResponderArchivo(destino);
        ep.Exportar(QStringLiteral("MA_Posiciones"), QString(), QStringLiteral("LayOut"), QString());
        const qint64 total = s.Contar(QStringLiteral("MA_POSICIONES"));
        QCOMPARE(avisos, QList<qint64>({ExportaPlanilla::kFilasPorAviso, total}));
        QCOMPARE(fines, 1);
        QCOMPARE(s.guion().Documentos(), QStringList{destino});
        QFile nuevo(destino);
        QVERIFY(nuevo.open(QIODevice::ReadOnly));
        QVERIFY(nuevo.read(2) == "PK");  // a zip package, not the old text
    }

    void nombreDeTablaQueNoEsUnNombreSeRechazaSinConsultar() {
        SesionPrueba s;
        LectorEspia lector;
        const QString destino = QDir(s.base().Carpeta()).filePath(QStringLiteral("x.xlsx"));
        const int antes = s.Contar(QStringLiteral("MA_POSICIONES"));
        s.guion().ResponderArchivo(destino);
        s.guion().ResponderMsgBox(vb::OK, QStringLiteral("no es un nombre de tabla"));
        ep.Exportar(QStringLiteral("MA_Posiciones; DELETE FROM MA_POSICIONES"), QString(), QStringLiteral("LayOut"), QString());
        QCOMPARE(s.guion().Pendientes(), 0);
        QVERIFY(lector.sentencias.isEmpty());
        QVERIFY(!QFile::exists(destino));
        QCOMPARE(s.Contar(QStringLiteral("MA_POSICIONES")), antes);
    }

    // Dates are dates, titles Excel refuses as sheet names are made acceptable.
    void fechasComoFechasYTituloSaneado() {
        if (QStandardPaths::findExecutable(QStringLiteral("xlsx2csv")).isEmpty()) QSKIP("xlsx2csv is not installed");
        QTemporaryDir carpeta;
        EstablecerLectorFilas([](const QString&) {
            ResultadoLectura r;
            r.columnas = {QStringLiteral("Fecha"), QStringLiteral("Importe"), QStringLiteral("Activo")};
            r.tipos = {135, 6, 11};
            r.filas = {{QDateTime(QDate(2024, 2, 29), QTime(13, 45, 10)), QStringLiteral("1234.5"), true},
                       {QDateTime(QDate(1999, 12, 31), QTime(0, 0)), 0.25, QStringLiteral("False")}};
            return r;
        });
        const QString destino = QDir(carpeta.path()).filePath(QStringLiteral("f.xlsx"));
        QString error;
        QCOMPARE(ep.ExportarA(QStringLiteral("Movimientos"), QStringLiteral("Caja: [enero]/febrero?"), destino, &error),
                 ExportaPlanilla::Resultado::Escrito);
        EstablecerLectorFilas({});
        int rc = -1;
        const QString csv = Ejecutar(QStringLiteral("xlsx2csv"),
                                     {QStringLiteral("-n"), QStringLiteral("Caja_ _enero__febrero_"), QStringLiteral("-f"),
                                      QStringLiteral("%Y-%m-%d %H:%M:%S"), destino},
                                     &rc);
        QCOMPARE(rc, 0);
        QCOMPARE(csv.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 QStringList({QStringLiteral("Fecha,Importe,Activo"), QStringLiteral("2024-02-29 13:45:10,1234.5,1"),
                              QStringLiteral("1999-12-31 00:00:00,0.25,0")}));
    }
};

QTEST_MAIN(TstExportaPlanilla)
#include "tst_exportaplanilla.moc"
