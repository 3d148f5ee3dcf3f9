// Column widths of the list lookup window: the sizing arithmetic and the widths file.
#include "lookup/AnchosConsulta.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TstAnchosConsulta : public QObject {
    Q_OBJECT

    static void Escribir(const QString& ruta, const QByteArray& bytes) {
        QFile f(ruta);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    static QByteArray Leer(const QString& ruta) {
        QFile f(ruta);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<no existe>");
    }

private slots:
    void tresColumnasDanLasMedidasDelEjemplo() {
        const auto c = anchos::CalcularAncho({1000, 1500, 2000}, 6000);
        QCOMPARE(c.anchosCajas, (QVector<double>{950, 1450, 1950}));
        QCOMPARE(c.izquierdas, (QVector<double>{0, 1000, 2500}));
        QCOMPARE(c.total, 4500.0);
        QCOMPARE(c.anchoLista, 4860.0);
        QCOMPARE(c.anchoPic, 4860.0);
        QCOMPARE(c.anchoBarra, 4500.0);
        QCOMPARE(c.maximoBarra, 3204);
        QCOMPARE(c.anchoVentana, 5140.0);
        // The resize rules then fit picFields and the list to that window.
        anchos::Medidas m;
        m.altoTitulo = 300;
        m.altoCaja = 315;
        m.altoFrame = 600;
        m.altoBarra = 255;
        m.anchoAceptar = m.anchoCancelar = 1200;
        m.anchoNuevo = 900;
        const auto d = anchos::Redimensionar(c.anchoVentana, 6000, m);
        QCOMPARE(d.picAncho, 5020.0);
        QCOMPARE(d.listaAncho, 5000.0);
        // Down, the bands follow one another without overlapping: list, scroll bar, buttons.
        QCOMPARE(d.frameTop, 6000.0 - 600);
        QCOMPARE(d.barraTop, d.frameTop - 255);
        QCOMPARE(d.picAlto, d.barraTop - 300);
        QCOMPARE(d.listaAlto, d.picAlto - 315);
        QCOMPARE(d.cancelarLeft, (5140.0 - 1200) / 2);
        QCOMPARE(d.nuevaLeft, 5140.0 - 1350);
        QCOMPARE(d.labelAncho, 5000.0 - 900);
    }

    void ventanaYBarraEnLosLimites() {
        // The window fits the screen when the list (plus margins) reaches its width.
        QCOMPARE(anchos::CalcularAncho({1000, 1500, 2000}, 5221).anchoVentana, 5140.0);
        QCOMPARE(anchos::CalcularAncho({1000, 1500, 2000}, 5220).anchoVentana, 5220.0 - 480);
        // The bar's value is a 16-bit number.
        QCOMPARE(anchos::CalcularAncho({20000, 20000}, 100000).maximoBarra, 32700);
        QCOMPARE(anchos::CalcularAncho({32340}, 100000).maximoBarra, static_cast<int>(std::nearbyint((32700 + 480) * 0.6)));
    }

    void botonesSinNuevaBusqueda() {
        anchos::Medidas m;
        m.anchoAceptar = m.anchoCancelar = 1200;
        m.nuevaVisible = false;
        // Room for both buttons: Cancelar takes Nueva Busqueda's place.
        auto d = anchos::Redimensionar(5000, 5000, m);
        QCOMPARE(d.cancelarLeft, 5000.0 - 1350);
        QCOMPARE(d.cancelarAncho, 1200.0);
        // A narrow window halves the buttons.
        d = anchos::Redimensionar(2500, 5000, m);
        QCOMPARE(d.aceptarAncho, 600.0);
        QCOMPARE(d.cancelarAncho, 600.0);
        QCOMPARE(d.aceptarLeft, 100.0);
        QCOMPARE(d.cancelarLeft, 2500.0 - 750);
        QCOMPARE(d.nuevaLeft, d.cancelarLeft);
    }

    void lineaDeArticulosSirveAStk() {
        QTemporaryDir dir;
        const QString ruta = dir.filePath(QStringLiteral("CONSULTASLEN.TVX"));
        Escribir(ruta, "\"V_TA_RUBROS\",\"900|900|\"\r\n\"VT_MA_ARTICULOS\",\"1000|1500,5|2000|\"\r\n");
        const auto a = anchos::LeerAnchos(ruta, QStringLiteral("Stk_ma_articulos"), 3);
        QVERIFY(a.has_value());
        QCOMPARE(*a, (QVector<double>{1000, 1500.5, 2000}));
        QVERIFY(!anchos::LeerAnchos(ruta, QStringLiteral("V_TA_UNIDAD"), 2).has_value());
        QVERIFY(!anchos::LeerAnchos(dir.filePath(QStringLiteral("NOEXISTE.TVX")), QStringLiteral("V_TA_RUBROS"), 2).has_value());
    }

    void lineasDanadasNoSeAplican_data() {
        QTest::addColumn<QByteArray>("contenido");
        QTest::newRow("menos anchos que columnas") << QByteArray("\"V_TA_RUBROS\",\"900|\"\r\n");
        QTest::newRow("ancho que no es numero") << QByteArray("\"V_TA_RUBROS\",\"900|abc|\"\r\n");
        QTest::newRow("ancho cero") << QByteArray("\"V_TA_RUBROS\",\"900|0|\"\r\n");
        QTest::newRow("ancho absurdo") << QByteArray("\"V_TA_RUBROS\",\"900|99999999|\"\r\n");
        QTest::newRow("sin comillas") << QByteArray("V_TA_RUBROS,900|900|\r\n");
        QTest::newRow("basura binaria") << QByteArray("\x01\xff\x00\x07\"V_TA_RUBROS\xff", 17);
        QTest::newRow("archivo truncado") << QByteArray("\"V_TA_RUBROS\",\"900|9");
    }
    void lineasDanadasNoSeAplican() {
        QFETCH(QByteArray, contenido);
        QTemporaryDir dir;
        const QString ruta = dir.filePath(QStringLiteral("CONSULTASLEN.TVX"));
        Escribir(ruta, contenido);
        QVERIFY(!anchos::LeerAnchos(ruta, QStringLiteral("V_TA_RUBROS"), 2).has_value());
    }

    void grabarConservaLasOtrasTablas() {
        QTemporaryDir dir;
        const QString ruta = dir.filePath(QStringLiteral("CONSULTASLEN.TVX"));
        Escribir(ruta, "\"V_TA_RUBROS\",\"900|900|\"\r\n\"VT_MA_ARTICULOS\",\"1|2|\"\r\n\"V_TA_UNIDAD\",\"700|1400|\"\r\n");
        QString error;
        QVERIFY(anchos::GrabarAnchos(ruta, QStringLiteral("Stk_ma_articulos"), {1000, 1500, 2000}, &error));
        QCOMPARE(Leer(ruta), QByteArray("\"V_TA_RUBROS\",\"900|900|\"\r\n\"V_TA_UNIDAD\",\"700|1400|\"\r\n"
                                        "\"VT_MA_ARTICULOS\",\"1000|1500|2000|\"\r\n"));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("CONSULTASLEN.AUX"))));
        // What was written reads back.
        QCOMPARE(*anchos::LeerAnchos(ruta, QStringLiteral("VT_MA_ARTICULOS"), 3), (QVector<double>{1000, 1500, 2000}));
    }

    // The other tables' lines keep their bytes, whatever their encoding: a UTF-8 line stays UTF-8,
    // a Windows-1252 one stays so, and both are found again.
    void grabarCopiaLasOtrasLineasTalCual() {
        QTemporaryDir dir;
        const QString ruta = dir.filePath(QStringLiteral("CONSULTASLEN.TVX"));
        const QByteArray utf8 = QStringLiteral("\"V_TA_AÑO_中\",\"900|\"").toUtf8();
        const QByteArray cp = QByteArray("\"V_TA_A\xd1O\",\"700|\"");
        Escribir(ruta, utf8 + "\r\n" + cp + "\r\n");
        QVERIFY(anchos::GrabarAnchos(ruta, QStringLiteral("V_TA_RUBROS"), {800}, nullptr));
        QCOMPARE(Leer(ruta), utf8 + "\r\n" + cp + "\r\n\"V_TA_RUBROS\",\"800|\"\r\n");
        QCOMPARE(*anchos::LeerAnchos(ruta, QStringLiteral("V_TA_AÑO_中"), 1), QVector<double>{900});
        QCOMPARE(*anchos::LeerAnchos(ruta, QStringLiteral("V_TA_AÑO"), 1), QVector<double>{700});
    }

    void grabarNoCopiaBasura() {
        QTemporaryDir dir;
        const QString ruta = dir.filePath(QStringLiteral("CONSULTASLEN.TVX"));
        Escribir(ruta, QByteArray("\"V_TA_RUBROS\",\"900|900|\"\r\n\x01\x02garbage\xff\r\n\"V_TA_UNIDAD\",\"7"));
        QVERIFY(anchos::GrabarAnchos(ruta, QStringLiteral("V_TA_TIPOARTICULO"), {800}, nullptr));
        QCOMPARE(Leer(ruta), QByteArray("\"V_TA_RUBROS\",\"900|900|\"\r\n\"V_TA_TIPOARTICULO\",\"800|\"\r\n"));
    }

    void grabarSinArchivoLoCrea() {
        QTemporaryDir dir;
        const QString ruta = dir.filePath(QStringLiteral("CONSULTASLEN.TVX"));
        QVERIFY(anchos::GrabarAnchos(ruta, QStringLiteral("V_TA_RUBROS"), {900, 1800.5}, nullptr));
        QCOMPARE(Leer(ruta), QByteArray("\"V_TA_RUBROS\",\"900|1800.5|\"\r\n"));
    }
};

QTEST_MAIN(TstAnchosConsulta)
#include "tst_anchosconsulta.moc"
