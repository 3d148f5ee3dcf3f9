#include "LectorEspia.h"
#include "PlataformaGuion.h"
#include "SesionPrueba.h"
#include "db/DB_Dll.h"
#include "services/ErrorEjecucion.h"
#include "services/LectorFilas.h"
#include "services/TvPrint2.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

namespace {

const QString kFormulaLayout = QStringLiteral("{MA_POSICIONES.TITULO}=FALSE and {MA_POSICIONES.iddeposito}=");

QString Ejecutar(const QString& programa, const QStringList& argumentos, int* codigo = nullptr) {
    QProcess p;
    p.start(programa, argumentos);
    p.waitForFinished(120000);
    if (codigo) *codigo = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The Code 128 symbols printed on each page of a PDF, read back as an operator's scanner would
// see them: each page rasterised by pdftoppm and decoded by zbarimg.
QList<QStringList> CodigosPorPagina(const QString& pdf, const QString& carpeta) {
    QList<QStringList> paginas;
    int rc = -1;
    Ejecutar(QStringLiteral("pdftoppm"),
             {QStringLiteral("-r"), QStringLiteral("200"), QStringLiteral("-gray"), QStringLiteral("-png"), pdf,
              QDir(carpeta).filePath(QStringLiteral("pag"))},
             &rc);
    if (rc != 0) return paginas;
    QStringList imagenes = QDir(carpeta).entryList({QStringLiteral("pag*.png")}, QDir::Files, QDir::Name);
    for (const QString& img : imagenes) {
        const QString salida =
            Ejecutar(QStringLiteral("zbarimg"), {QStringLiteral("-q"), QStringLiteral("--raw"), QStringLiteral("-Sdisable"),
                                                 QStringLiteral("-Scode128.enable"), QDir(carpeta).filePath(img)});
        QStringList codigos = salida.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        codigos.sort();
        paginas << codigos;
    }
    return paginas;
}

QString Informe() {
    return QStringLiteral(MP_DATA_DIR "/ETIQUETA_POSIC01.rpt");
}

}  // namespace

// Position labels: the report file, the selection formula and the printed result as read back
// from the PDF.
class TstTvPrint2 : public QObject {
    Q_OBJECT

    TvPrint2& tv = TvPrint2::instancia();

    // Writes a report file built from the shipped one with some lines changed.
    static QString InformeCambiado(const QString& carpeta, const QString& nombre, const QList<QPair<QString, QString>>& cambios) {
        QFile f(Informe());
        if (!f.open(QIODevice::ReadOnly)) return {};
        QString texto = QString::fromUtf8(f.readAll());
        for (const auto& [de, a] : cambios) texto.replace(de, a);
        const QString ruta = QDir(carpeta).filePath(nombre);
        QFile o(ruta);
        if (!o.open(QIODevice::WriteOnly)) return {};
        o.write(texto.toUtf8());
        return ruta;
    }

private slots:
    void etiquetasDeUnDepositoSeLeenDeVueltaDelPdf() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty())
            QSKIP("pdftoppm or zbarimg are not installed");
        SesionPrueba s;
        LectorEspia lector;
        // A storable position of another warehouse with a code warehouse 3 lacks: it must not
        // leak into the labels.
        s.Sql(
            QStringLiteral("INSERT INTO MA_POSICIONES (IdPosicion, Descripcion, Picking, Titulo, IdDeposito) VALUES ('0101ZZ', "
                           "'Ajena', 0, 0, '   1')"));
        const QStringList esperados =
            s.Sql(QStringLiteral("SELECT group_concat(IdPosicion, ',') FROM (SELECT IdPosicion FROM MA_POSICIONES "
                                 "WHERE IdDeposito = '   3' AND Titulo = 0 ORDER BY IdPosicion)"))
                .split(QLatin1Char(','));
        QCOMPARE(esperados.size(), 160);

        const QString pdf = QDir(s.base().Carpeta()).filePath(QStringLiteral("etiquetas.pdf"));
        const auto r = tv.ImprimirPdf(Informe(), kFormulaLayout + QStringLiteral("'   3'"), pdf);
        QVERIFY2(r.impreso, qPrintable(r.mensaje));
        QCOMPARE(r.etiquetas, 160);
        QVERIFY(s.guion().Cajas().isEmpty());
        // Read a few sheets at a time, never the whole selection at once.
        for (const QString& q : std::as_const(lector.sentencias))
            QVERIFY2(q.startsWith(QLatin1String("SELECT TOP ")) || q.startsWith(QLatin1String("SELECT COUNT(*) ")),
                     qPrintable(q));

        QTemporaryDir imagenes;
        const QList<QStringList> paginas = CodigosPorPagina(pdf, imagenes.path());
        // A4 sheets of 3 x 8 labels, filled in code order: each sheet holds the next 24 codes.
        QCOMPARE(paginas.size(), 7);
        QCOMPARE(r.paginas, 7);
        for (int i = 0; i < paginas.size(); ++i) {
            QStringList hoja = esperados.mid(i * 24, 24);
            hoja.sort();
            QCOMPARE(paginas[i], hoja);
        }
    }

    void depositoConSoloTitulosNoImprimeYLoDice() {
        SesionPrueba s;
        LectorEspia lector;
        s.Sql(
            QStringLiteral("INSERT INTO MA_POSICIONES (IdPosicion, Descripcion, Picking, Titulo, IdDeposito) VALUES "
                           "('01', 'Calle 1', 0, 1, '   9'), ('0101', 'Posicion 01', 0, 1, '   9')"));
        const QString pdf = QDir(s.base().Carpeta()).filePath(QStringLiteral("vacio.pdf"));
        s.guion().ResponderMsgBox(vb::OK, QStringLiteral("No hay etiquetas para imprimir"));
        const auto r = tv.ImprimirPdf(Informe(), kFormulaLayout + QStringLiteral("'   9'"), pdf);
        QVERIFY(!r.impreso);
        QCOMPARE(r.etiquetas, 0);
        QCOMPARE(s.guion().Pendientes(), 0);
        QCOMPARE(s.guion().UltimaCaja().estilo, vb::Information);
        QVERIFY(!QFile::exists(pdf));
        QVERIFY(QDir(s.base().Carpeta()).entryList({QStringLiteral("vacio*")}).isEmpty());
    }

    void laVistaPreviaMuestraUnaHojaPorCadaVeinticuatroEtiquetas() {
        SesionPrueba s;
        LectorEspia lector;
        // As the position window calls it: the report by its folder, empty text variables.
        QVERIFY(QFile::copy(Informe(), QDir(s.base().Carpeta()).filePath(QStringLiteral("ETIQUETA_POSIC01.rpt"))));
        QString nombre, estado;
        s.guion().AlMostrarModal([&](QWidget* w) {
            nombre = w->objectName();
            w->show();
            auto* hojas = w->findChild<QLabel*>(QStringLiteral("EstadoHojas"));
            QVERIFY(hojas);
            // The rest of the selection is walked while the window shows the first sheet.
            QTRY_VERIFY(hojas->text().contains(QLatin1String("etiquetas")));
            estado = hojas->text();
            w->hide();
        });
        QString t1, t2, t3, t4;
        tv.ImprimirReporte(s.base().Carpeta() + QStringLiteral("/ETIQUETA_POSIC01.rpt"), QStringList{QString()},
                           kFormulaLayout + QStringLiteral("'   2'"), QStringLiteral("DSN=DEMO; UID=DEMO; PWD=DEMO"), t1, t2, t3,
                           t4, QVariant(), QString(), QString(), QString());
        QCOMPARE(nombre, QStringLiteral("VistaPreviaEtiquetas"));
        QCOMPARE(s.guion().Pendientes(), 0);
        QVERIFY(s.guion().Cajas().isEmpty());
        // Warehouse 2: 6 aisles x 10 positions x 3 storable levels = 180 labels, 8 sheets.
        QCOMPARE(estado, QStringLiteral("Hoja 1 de 8 (180 etiquetas)"));
    }

    // Sheets are read a few at a time from the key of their first label: with an order column
    // full of repeated values, every label is still printed exactly once.
    void hojasPorClaveRepetidaNoPierdenNiRepitenEtiquetas() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) QSKIP("pdftotext is not installed");
        SesionPrueba s;
        LectorEspia lector;
        const QString ruta =
            InformeCambiado(s.base().Carpeta(), QStringLiteral("REPETIDAS.rpt"),
                            {{QStringLiteral("orden = IdPosicion"), QStringLiteral("orden = Descripcion")},
                             {QStringLiteral("\"{IdPosicion}\""), QStringLiteral("\"{IdDeposito}|{IdPosicion}\"")}});
        const QString pdf = QDir(s.base().Carpeta()).filePath(QStringLiteral("repetidas.pdf"));
        const auto r = tv.ImprimirPdf(ruta, QStringLiteral("{MA_POSICIONES.TITULO}=FALSE"), pdf);
        QVERIFY2(r.impreso, qPrintable(r.mensaje));
        QStringList esperados =
            s.Sql(QStringLiteral(
                      "SELECT group_concat(trim(IdDeposito) || '|' || IdPosicion, ',') FROM MA_POSICIONES WHERE Titulo = 0"))
                .split(QLatin1Char(','));
        esperados.sort();
        QVERIFY(esperados.size() > 8 * 24 * 2);  // more than two reads of eight sheets
        QStringList impresos;
        for (const QString& l :
             Ejecutar(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")}).split(QLatin1Char('\n')))
            if (l.contains(QLatin1Char('|'))) impresos << l.trimmed();
        impresos.sort();
        QCOMPARE(impresos, esperados);
        QCOMPARE(r.etiquetas, esperados.size());
    }

    // A save cancelled at a sheet leaves no file, neither the PDF nor its part.
    void pdfCanceladoNoDejaArchivo() {
        SesionPrueba s;
        LectorEspia lector;
        int avisos = 0;
        Progreso cancela;
        cancela.avance = [&](qint64 hechas, qint64 total) {
            ++avisos;
            return !(hechas == 3 && total == 7);
        };
        const Progreso antes = tv.EstablecerProgreso(cancela);
        const QString pdf = QDir(s.base().Carpeta()).filePath(QStringLiteral("cancelado.pdf"));
        const auto r = tv.ImprimirPdf(Informe(), kFormulaLayout + QStringLiteral("'   3'"), pdf);
        tv.EstablecerProgreso(antes);
        QVERIFY(!r.impreso);
        QCOMPARE(avisos, 3);
        QVERIFY(QDir(s.base().Carpeta()).entryList({QStringLiteral("cancelado*")}).isEmpty());
        QVERIFY(s.guion().Cajas().isEmpty());
    }

    // Formulas inside the subset select exactly the rows the equivalent SQL selects.
    void formulasDelSubconjuntoSeleccionan_data() {
        QTest::addColumn<QString>("formula");
        QTest::addColumn<QString>("condicion");
        QTest::newRow("as the layout sends it")
            << kFormulaLayout + QStringLiteral("'   2'") << QStringLiteral("Titulo = 0 AND IdDeposito = '   2'");
        QTest::newRow("not, or, parentheses, double quotes")
            << QStringLiteral(
                   "not ({MA_POSICIONES.IdDeposito}=\"   1\" or {MA_POSICIONES.IdDeposito}='   2') and {ma_posiciones.titulo} <> "
                   "TRUE")
            << QStringLiteral("IdDeposito = '   3' AND Titulo = 0");
        QTest::newRow("precedence: and binds tighter than or")
            << QStringLiteral(
                   "{MA_POSICIONES.Picking}=TRUE AND {MA_POSICIONES.IdDeposito}='   2' OR {MA_POSICIONES.IdPosicion}='010101'")
            << QStringLiteral("(Picking = 1 AND IdDeposito = '   2') OR IdPosicion = '010101'");
        QTest::newRow("field against field")
            << QStringLiteral("{MA_POSICIONES.Titulo} = {MA_POSICIONES.Picking} and not {MA_POSICIONES.IdDeposito} <> '   3'")
            << QStringLiteral("Titulo = Picking AND IdDeposito = '   3'");
    }
    void formulasDelSubconjuntoSeleccionan() {
        QFETCH(QString, formula);
        QFETCH(QString, condicion);
        SesionPrueba s;
        LectorEspia lector;
        const int esperadas = s.Contar(QStringLiteral("MA_POSICIONES WHERE ") + condicion);
        QVERIFY(esperadas > 0);
        const QString pdf = QDir(s.base().Carpeta()).filePath(QStringLiteral("f.pdf"));
        const auto r = tv.ImprimirPdf(Informe(), formula, pdf);
        QVERIFY2(r.impreso, qPrintable(r.mensaje));
        QCOMPARE(r.etiquetas, esperadas);
        QVERIFY(QFile::exists(pdf));
    }

    // Anything outside the subset, and any text holding a quote, is refused before the database
    // is asked anything.
    void formulasFueraDelSubconjuntoSeRechazan_data() {
        QTest::addColumn<QString>("formula");
        QTest::newRow("doubled quote") << kFormulaLayout + QStringLiteral("'1'' or ''1''=''1'");
        QTest::newRow("quote inside double quotes")
            << kFormulaLayout + QStringLiteral("\"x' OR 1=1; DROP TABLE MA_POSICIONES; --\"");
        QTest::newRow("statement separator") << QStringLiteral("{MA_POSICIONES.Titulo}=FALSE; DELETE FROM MA_POSICIONES");
        QTest::newRow("comment") << QStringLiteral("{MA_POSICIONES.Titulo}=FALSE -- x");
        QTest::newRow("comparison operator") << QStringLiteral("{MA_POSICIONES.Capacidad} > '5'");
        QTest::newRow("like") << QStringLiteral("{MA_POSICIONES.IdDeposito} like '1%'");
        QTest::newRow("number") << QStringLiteral("{MA_POSICIONES.OrdenIngreso} = 5");
        QTest::newRow("function") << QStringLiteral("{MA_POSICIONES.IdDeposito} = ToText('1')");
        QTest::newRow("another table") << QStringLiteral("{TA_USUARIOS.Clave} = 'x'");
        QTest::newRow("column with a blank") << QStringLiteral("{MA_POSICIONES.Id Posicion} = 'x'");
        QTest::newRow("column with a bracket") << QStringLiteral("{MA_POSICIONES.[IdPosicion]} = 'x'");
        QTest::newRow("parameter field") << QStringLiteral("{?Deposito} = 'x'");
        QTest::newRow("unbalanced parenthesis") << QStringLiteral("({MA_POSICIONES.Titulo}=FALSE");
        QTest::newRow("dangling and") << QStringLiteral("{MA_POSICIONES.Titulo}=FALSE and");
        QTest::newRow("bare field") << QStringLiteral("{MA_POSICIONES.Titulo}");
        QTest::newRow("unterminated text") << kFormulaLayout + QStringLiteral("'   1");
        QTest::newRow("too deep") << QString(200, QLatin1Char('(')) + QStringLiteral("{MA_POSICIONES.Titulo}=FALSE") +
                                         QString(200, QLatin1Char(')'));
    }
    void formulasFueraDelSubconjuntoSeRechazan() {
        QFETCH(QString, formula);
        SesionPrueba s;
        LectorEspia lector;
        const int antes = s.Contar(QStringLiteral("MA_POSICIONES"));
        const QString pdf = QDir(s.base().Carpeta()).filePath(QStringLiteral("r.pdf"));
        s.guion().ResponderMsgBox(vb::OK, QStringLiteral("La fórmula de selección no es válida: "));
        const auto r = tv.ImprimirPdf(Informe(), formula, pdf);
        QVERIFY(!r.impreso);
        QCOMPARE(s.guion().Pendientes(), 0);
        QCOMPARE(s.guion().UltimaCaja().estilo, vb::Critical);
        QVERIFY2(lector.sentencias.isEmpty(), qPrintable(lector.sentencias.join(QLatin1Char('\n'))));
        QVERIFY(!QFile::exists(pdf));
        QCOMPARE(s.Contar(QStringLiteral("MA_POSICIONES")), antes);
    }

    void informeInexistenteLoNombra() {
        SesionPrueba s;
        LectorEspia lector;
        const QString ruta = QDir(s.base().Carpeta()).filePath(QStringLiteral("ETIQUETA_POSIC01.rpt"));
        s.guion().ResponderMsgBox(vb::OK, QStringLiteral("No se encuentra el archivo de informe \"%1\"").arg(ruta));
        QString t1, t2, t3, t4;
        tv.ImprimirReporte(ruta, {QString()}, kFormulaLayout + QStringLiteral("'   1'"), QString(), t1, t2, t3, t4, QVariant(),
                           {}, {}, {});
        QCOMPARE(s.guion().Pendientes(), 0);
        QVERIFY(lector.sentencias.isEmpty());
    }

    // A broken report file is named with the line and the problem, and nothing is printed.
    void informeMalFormadoDiceLineaYProblema_data() {
        // "%1" in the message is the line of the changed text in the shipped file, plus `salto`.
        QTest::addColumn<QString>("de");
        QTest::addColumn<QString>("a");
        QTest::addColumn<int>("salto");
        QTest::addColumn<QString>("mensaje");
        QTest::newRow("unknown key") << QStringLiteral("filas = 8") << QStringLiteral("filas = 8\nfila = 8") << 1
                                     << QStringLiteral("línea %1: clave desconocida \"fila\" en la sección [hoja]");
        QTest::newRow("grid larger than the sheet")
            << QStringLiteral("filas = 8") << QStringLiteral("filas = 9") << 0
            << QStringLiteral("3 x 9 etiquetas de 70 x 37 mm no caben en una hoja de 210 x 297 mm");
        QTest::newRow("element outside the label")
            << QStringLiteral("barras 2 19.5 66 15") << QStringLiteral("barras 2 19.5 66 25") << 0
            << QStringLiteral("un elemento sale de la etiqueta de 70 x 37 mm");
        QTest::newRow("unknown symbology") << QStringLiteral("code128 IdPosicion") << QStringLiteral("ean13 IdPosicion") << 0
                                           << QStringLiteral("línea %1: el tipo de código debe ser code128 o qr: \"ean13\"");
        QTest::newRow("missing section") << QStringLiteral("[informe]") << QStringLiteral("# nada") << 1
                                         << QStringLiteral("línea %1: texto fuera de toda sección");
        QTest::newRow("unclosed quotes") << QStringLiteral("\"{Descripcion}\"") << QStringLiteral("\"{Descripcion}") << 0
                                         << QStringLiteral("línea %1: falta cerrar las comillas");
        QTest::newRow("column the table lacks") << QStringLiteral("{Descripcion}") << QStringLiteral("{Precio}") << 0
                                                << QStringLiteral("la tabla MA_POSICIONES no tiene la columna Precio");
        QTest::newRow("bad measure") << QStringLiteral("etiqueta = 70 x 37") << QStringLiteral("etiqueta = 70 x treinta") << 0
                                     << QStringLiteral("línea %1: etiqueta no es una medida válida: \"treinta\"");
    }
    void informeMalFormadoDiceLineaYProblema() {
        QFETCH(QString, de);
        QFETCH(QString, a);
        QFETCH(int, salto);
        QFETCH(QString, mensaje);
        if (mensaje.contains(QLatin1String("%1"))) {
            QFile f(Informe());
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QStringList lineas = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
            const auto it = std::find_if(lineas.begin(), lineas.end(),
                                         [&](const QString& l) { return !l.startsWith(QLatin1Char('#')) && l.contains(de); });
            QVERIFY(it != lineas.end());
            mensaje = mensaje.arg(static_cast<int>(it - lineas.begin()) + 1 + salto);
        }
        SesionPrueba s;
        LectorEspia lector;
        const QString ruta = InformeCambiado(s.base().Carpeta(), QStringLiteral("ROTO.rpt"), {{de, a}});
        QVERIFY(!ruta.isEmpty());
        const QString pdf = QDir(s.base().Carpeta()).filePath(QStringLiteral("roto.pdf"));
        s.guion().ResponderMsgBox(vb::OK, QStringLiteral("El archivo de informe \"%1\" no es válido: ").arg(ruta));
        const auto r = tv.ImprimirPdf(ruta, kFormulaLayout + QStringLiteral("'   1'"), pdf);
        QVERIFY(!r.impreso);
        QVERIFY2(r.mensaje.contains(mensaje), qPrintable(r.mensaje));
        QVERIFY(!QFile::exists(pdf));
    }

    // A roll of single labels with a QR code: one label per page, each page a readable symbol.
    void rolloDeEtiquetasConCodigoQr() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty())
            QSKIP("pdftoppm or zbarimg are not installed");
        SesionPrueba s;
        LectorEspia lector;
        const QString ruta = InformeCambiado(
            s.base().Carpeta(), QStringLiteral("ROLLO.rpt"),
            {{QStringLiteral("papel = A4"), QStringLiteral("papel = 100 x 50")},
             {QStringLiteral("orientacion = vertical"), QStringLiteral("orientacion = horizontal")},
             {QStringLiteral("columnas = 3"), QStringLiteral("columnas = 1")},
             {QStringLiteral("filas = 8"), QStringLiteral("filas = 1")},
             {QStringLiteral("etiqueta = 70 x 37"), QStringLiteral("etiqueta = 100 x 50")},
             {QStringLiteral("barras 2 19.5 66 15 code128 IdPosicion"), QStringLiteral("barras 70 5 28 28 qr IdPosicion")}});
        const QString pdf = QDir(s.base().Carpeta()).filePath(QStringLiteral("rollo.pdf"));
        const auto r = tv.ImprimirPdf(
            ruta,
            kFormulaLayout + QStringLiteral("'   2' and {MA_POSICIONES.IdPosicion} <> '010101' and "
                                            "({MA_POSICIONES.IdPosicion}='010102' or {MA_POSICIONES.IdPosicion}='060103')"),
            pdf);
        QVERIFY2(r.impreso, qPrintable(r.mensaje));
        QCOMPARE(r.paginas, 2);
        QTemporaryDir imagenes;
        int rc = -1;
        Ejecutar(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-gray"), QStringLiteral("-png"), pdf,
                  QDir(imagenes.path()).filePath(QStringLiteral("p"))},
                 &rc);
        QCOMPARE(rc, 0);
        QStringList leidos;
        for (const QString& img : QDir(imagenes.path()).entryList({QStringLiteral("p*.png")}, QDir::Files, QDir::Name))
            leidos << Ejecutar(QStringLiteral("zbarimg"),
                               {QStringLiteral("-q"), QStringLiteral("--raw"), QStringLiteral("-Sdisable"),
                                QStringLiteral("-Sqrcode.enable"), QDir(imagenes.path()).filePath(img)})
                          .trimmed();
        QCOMPARE(leidos, QStringList({QStringLiteral("010102"), QStringLiteral("060103")}));
    }
};

QTEST_MAIN(TstTvPrint2)
#include "tst_tvprint2.moc"
