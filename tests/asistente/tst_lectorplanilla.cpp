#include "asistente/LectorPlanilla.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <xlsxwriter.h>

using namespace asistente;

// Reading workbooks and CSV files: what a line holds, and a clear message naming the file and the
// line for every kind of file that cannot be read.
class TstLectorPlanilla : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    QString Ruta(const char* nombre) const { return dir_.filePath(QString::fromLatin1(nombre)); }
    QString Escribir(const char* nombre, const QByteArray& bytes) const {
        QFile f(Ruta(nombre));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    }
    // A workbook as libxlsxwriter writes it; in constant-memory mode its texts are inline, otherwise shared.
    QString Libro(const char* nombre, bool memoriaConstante, const std::function<void(lxw_worksheet*)>& llenar) const {
        lxw_workbook_options o{};
        o.constant_memory = memoriaConstante ? LXW_TRUE : LXW_FALSE;
        const QByteArray ruta = Ruta(nombre).toUtf8();
        lxw_workbook* wb = workbook_new_opt(ruta.constData(), &o);
        workbook_add_worksheet(wb, "Otra");
        lxw_worksheet* ws = workbook_add_worksheet(wb, "LayOut");
        llenar(ws);
        workbook_close(wb);
        return Ruta(nombre);
    }

private slots:
    void libroConTextosNumerosYMarcas() {
        for (const bool constante : {false, true}) {
            const QString ruta = Libro(constante ? "constante.xlsx" : "compartido.xlsx", constante, [](lxw_worksheet* ws) {
                const char* cab[] = {"IdPosicion", "descripcion", "CAPACIDAD", "Habilitado"};
                for (int c = 0; c < 4; ++c) worksheet_write_string(ws, 2, c, cab[c], nullptr);  // rows 1-2 empty
                worksheet_write_string(ws, 3, 0, "0101", nullptr);
                worksheet_write_string(ws, 3, 1, "Estantería \"A\" 50%_[x]", nullptr);
                worksheet_write_number(ws, 3, 2, 12.5, nullptr);
                worksheet_write_boolean(ws, 3, 3, 1, nullptr);
                worksheet_write_number(ws, 5, 0, 102, nullptr);  // a code typed as a number; row 5 empty
                worksheet_write_number(ws, 5, 2, 1e6, nullptr);
                worksheet_write_string(ws, 5, 5, "de mas", nullptr);
            });
            const TablaLeida t = LeerPlanilla(ruta, 100);
            QVERIFY2(t.error.isEmpty(), qPrintable(t.error));
            QCOMPARE(t.columnas, QVector<int>({IdPosicion, Descripcion, Capacidad, Habilitado}));
            QCOMPARE(t.filas.size(), 2);
            const FilaPosicion& a = t.filas[0];
            QCOMPARE(a.linea, 4);
            QCOMPARE(a.Valor(IdPosicion), QStringLiteral("0101"));
            QCOMPARE(a.Valor(Descripcion), QStringLiteral("Estantería \"A\" 50%_[x]"));
            QCOMPARE(a.Valor(Capacidad), QStringLiteral("12.5"));
            QCOMPARE(a.Valor(Habilitado), QStringLiteral("1"));
            QVERIFY(a.Tiene(Capacidad) && !a.Tiene(Titulo));
            QVERIFY(a.problema.isEmpty());
            const FilaPosicion& b = t.filas[1];
            QCOMPARE(b.linea, 6);
            QCOMPARE(b.Valor(IdPosicion), QStringLiteral("102"));
            QCOMPARE(b.Valor(Capacidad), QStringLiteral("1000000"));
            QCOMPARE(b.problema, QStringLiteral("tiene un valor en la columna 6, fuera de las 4 columnas del encabezado"));
        }
    }

    void csvDeUnaPlanillaEspanola() {
        // Windows-1252, ";" between fields, quotes doubled, a quoted line break, CR LF lines.
        const QByteArray texto =
            "IdPosicion;Descripcion;Capacidad\r\n"
            "01;\"Cami\xf3n; \"\"grande\"\"\";12,5\r\n"
            "\r\n"
            "02;\"dos\r\nlineas\";\r\n"
            "03;tres\r\n";
        TablaLeida t = LeerPlanilla(Escribir("espanol.csv", texto), 100);
        QVERIFY2(t.error.isEmpty(), qPrintable(t.error));
        QCOMPARE(t.filas.size(), 3);
        QCOMPARE(t.filas[0].Valor(Descripcion), QStringLiteral("Camión; \"grande\""));
        QCOMPARE(t.filas[0].Valor(Capacidad), QStringLiteral("12,5"));
        QCOMPARE(t.filas[1].linea, 4);
        QCOMPARE(t.filas[1].Valor(Descripcion), QStringLiteral("dos\r\nlineas"));
        QCOMPARE(t.filas[2].linea, 6);
        QCOMPARE(t.filas[2].Valor(Capacidad), QString());  // a short line: the missing cells are empty
        // UTF-8 with its mark and "," between fields.
        t = LeerPlanilla(Escribir("utf8.csv", "\xEF\xBB\xBFidposicion,DESCRIPCION\n01,Cami\xC3\xB3n\n"), 100);
        QVERIFY2(t.error.isEmpty(), qPrintable(t.error));
        QCOMPARE(t.filas[0].Valor(Descripcion), QStringLiteral("Camión"));
    }

    void archivosQueNoSePuedenLeer_data() {
        QTest::addColumn<QByteArray>("contenido");
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QString>("mensaje");
        QTest::newRow("texto con nombre de libro")
            << QByteArray("hola") << "texto.xlsx"
            << "El archivo \"texto.xlsx\" no es un libro de Excel (.xlsx): no es un archivo zip.";
        QTest::newRow("libro viejo")
            << QByteArray::fromHex("D0CF11E0A1B11AE1000000") << "viejo.xls"
            << "El archivo \"viejo.xls\" es un libro de Excel antiguo (.xls): guardelo como .xlsx o como CSV.";
        QTest::newRow("sin IdPosicion") << QByteArray("Descripcion;Capacidad\n") << "a.csv"
                                        << "El archivo \"a.csv\", linea 1: falta la columna IdPosicion en el encabezado.";
        QTest::newRow("columna desconocida")
            << QByteArray("\n\nIdPosicion;Capacidd\n01;1\n") << "b.csv"
            << "El archivo \"b.csv\", linea 3: la columna \"Capacidd\" no es de MA_POSICIONES. "
               "Columnas admitidas: IdPosicion, Descripcion, CAPACIDAD, IDUNIDAD, IdRubro, IdTipo, "
               "IdArticulo, Idfamilia, OrdenIngreso, HABILITADO, RESERVADO, COMPLETA, Picking, "
               "Titulo, Iddeposito.";
        QTest::newRow("columna repetida")
            << QByteArray("IdPosicion;idposicion\n") << "c.csv"
            << "El archivo \"c.csv\", linea 1: la columna \"idposicion\" esta dos veces en el encabezado.";
        QTest::newRow("comilla sin cerrar")
            << QByteArray("IdPosicion;Descripcion\n01;uno\n02;\"dos\n03;tres\n") << "d.csv"
            << "El archivo \"d.csv\", linea 3: una comilla abre un texto que no se cierra hasta el final "
               "del archivo.";
        QTest::newRow("vacio") << QByteArray("\r\n;;\r\n") << "e.csv"
                               << "El archivo \"e.csv\" no tiene filas: falta el encabezado con las columnas (IdPosicion ...).";
    }
    void archivosQueNoSePuedenLeer() {
        QFETCH(QByteArray, contenido);
        QFETCH(QString, nombre);
        QFETCH(QString, mensaje);
        const TablaLeida t = LeerPlanilla(Escribir(nombre.toLatin1().constData(), contenido), 100);
        QCOMPARE(t.error, mensaje);
    }

    void celdasConNulYDiezMilCaracteres() {
        QByteArray texto = "IdPosicion;Descripcion\n01;a";
        texto.append('\0');
        texto += "b\n02;" + QByteArray(40000, 'x') + "\n";
        const TablaLeida t = LeerPlanilla(Escribir("raro.csv", texto), 100);
        QVERIFY2(t.error.isEmpty(), qPrintable(t.error));
        QCOMPARE(t.filas[0].Valor(Descripcion), QString::fromLatin1("a\0b", 3));
        QVERIFY(t.filas[0].problema.isEmpty());  // the checks refuse it, naming the column
        QCOMPARE(t.filas[1].problema, QStringLiteral("la celda 2 tiene mas de 32.767 caracteres"));
    }

    void libroDanado() {
        const QString bueno = Libro("bueno.xlsx", false, [](lxw_worksheet* ws) {
            worksheet_write_string(ws, 0, 0, "IdPosicion", nullptr);
            for (int r = 1; r < 3000; ++r) worksheet_write_string(ws, r, 0, QByteArray::number(r).constData(), nullptr);
        });
        QFile f(bueno);
        f.open(QIODevice::ReadOnly);
        QByteArray bytes = f.readAll();
        // Cut in the middle: the archive's directory is gone.
        TablaLeida t = LeerPlanilla(Escribir("cortado.xlsx", bytes.left(bytes.size() / 2)), 10000);
        QVERIFY2(
            t.error.startsWith(QStringLiteral("El archivo \"cortado.xlsx\" no es un libro de Excel (.xlsx), o esta dañado: ")),
            qPrintable(t.error));
        // The directory intact but a member's compressed bytes overwritten.
        const int sheet = static_cast<int>(bytes.indexOf("xl/worksheets/sheet2.xml"));
        QVERIFY(sheet > 0);
        for (int i = sheet + 60; i < sheet + 400 && i < bytes.size(); ++i) bytes[i] = static_cast<char>(bytes[i] ^ 0x5a);
        t = LeerPlanilla(Escribir("roto.xlsx", bytes), 10000);
        QVERIFY2(t.error.startsWith(QStringLiteral("El archivo \"roto.xlsx\"")), qPrintable(t.error));
        QVERIFY(t.filas.size() < 2999);
    }

    void hojaDeUnMillonDeFilas() {
        // Every row of a sheet filled: the reading stops at the job's limit, naming the line.
        const QString ruta = Libro("millon.xlsx", true, [](lxw_worksheet* ws) {
            worksheet_write_string(ws, 0, 0, "IdPosicion", nullptr);
            for (lxw_row_t r = 1; r < LXW_ROW_MAX; ++r) worksheet_write_number(ws, r, 0, r, nullptr);
        });
        const TablaLeida t = LeerPlanilla(ruta, 250000);
        QCOMPARE(t.error,
                 QStringLiteral("El archivo \"millon.xlsx\", linea 250002: el archivo tiene mas de 250.000 filas de posiciones, "
                                "el maximo de una vez. Divida el archivo en partes."));
    }
};

QTEST_GUILESS_MAIN(TstLectorPlanilla)
#include "tst_lectorplanilla.moc"
