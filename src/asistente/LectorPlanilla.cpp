#include "asistente/LectorPlanilla.h"

#include "services/CodePage.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QXmlStreamReader>

#include <zip.h>

#include <cmath>
#include <memory>

namespace asistente {

namespace {

// Excel's limit for the text of one cell.
constexpr int kMaxCelda = 32767;
// Lines between two calls of the progress hook.
constexpr int kLineasPorAviso = 2000;

QString Miles(qint64 n) {
    return QLocale(QLocale::Spanish).toString(n);
}

// Turns the lines of a file, one vector of cells each, into the table: the header first, then one
// position per line.
class Armador {
public:
    Armador(TablaLeida& t, qint64 maximo, const AvanceLectura& avance) : t_(t), maximo_(maximo), avance_(avance) {}

    QString EnLinea(int linea, const QString& texto) const {
        return QStringLiteral("El archivo \"%1\", linea %2: %3").arg(t_.archivo).arg(linea).arg(texto);
    }

    // One line of the file; false when the reading must stop (t_.error says why).
    bool Linea(int linea, QVector<QString>& celdas, const QString& problema = QString()) {
        bool vacia = true;
        for (const QString& c : celdas)
            if (!c.trimmed().isEmpty()) {
                vacia = false;
                break;
            }
        if (vacia && problema.isEmpty()) return true;
        if (!encabezado_) return Encabezado(linea, celdas);
        if (static_cast<qint64>(t_.filas.size()) >= maximo_) {
            t_.error = EnLinea(linea, QStringLiteral("el archivo tiene mas de %1 filas de posiciones, el maximo de una vez. "
                                                     "Divida el archivo en partes.")
                                          .arg(Miles(maximo_)));
            return false;
        }
        FilaPosicion f;
        f.linea = linea;
        f.problema = problema;
        const int n = static_cast<int>(t_.columnas.size());
        for (int i = 0; i < n; ++i) f.Poner(t_.columnas[i], i < celdas.size() ? celdas[i] : QString());
        for (int i = n; i < celdas.size() && f.problema.isEmpty(); ++i)
            if (!celdas[i].trimmed().isEmpty())
                f.problema =
                    QStringLiteral("tiene un valor en la columna %1, fuera de las %2 columnas del encabezado").arg(i + 1).arg(n);
        if (!t_.filas.isEmpty()) f.CompartirResto(t_.filas.back());
        t_.filas.push_back(std::move(f));
        if (avance_ && t_.filas.size() % kLineasPorAviso == 0 && !avance_(t_.filas.size())) {
            t_.error = TextoLecturaCancelada();
            return false;
        }
        return true;
    }

    // At the end of the file: a file without a header has no positions to offer.
    bool Terminar() {
        if (!t_.error.isEmpty()) return false;
        if (!encabezado_) {
            t_.error = QStringLiteral("El archivo \"%1\" no tiene filas: falta el encabezado con las columnas (IdPosicion ...).")
                           .arg(t_.archivo);
            return false;
        }
        return true;
    }

private:
    bool Encabezado(int linea, const QVector<QString>& celdas) {
        encabezado_ = true;
        quint32 vistas = 0;
        // Trailing empty cells are only the spreadsheet's habit of writing separators.
        int ultima = static_cast<int>(celdas.size()) - 1;
        while (ultima >= 0 && celdas[ultima].trimmed().isEmpty()) --ultima;
        for (int i = 0; i <= ultima; ++i) {
            const QString nombre = celdas[i].trimmed();
            const int c = ColumnaDeNombre(nombre);
            if (nombre.isEmpty()) {
                t_.error = EnLinea(linea, QStringLiteral("la columna %1 del encabezado no tiene nombre.").arg(i + 1));
                return false;
            }
            if (c < 0) {
                QStringList admitidas;
                for (int k = 0; k < kColumnas; ++k) admitidas << NombreColumna(k);
                t_.error = EnLinea(linea, QStringLiteral("la columna \"%1\" no es de MA_POSICIONES. Columnas admitidas: %2.")
                                              .arg(nombre.left(60), admitidas.join(QStringLiteral(", "))));
                return false;
            }
            if (vistas & (1u << c)) {
                t_.error = EnLinea(linea, QStringLiteral("la columna \"%1\" esta dos veces en el encabezado.").arg(nombre));
                return false;
            }
            vistas |= 1u << c;
            t_.columnas.push_back(c);
        }
        if (!(vistas & (1u << IdPosicion))) {
            t_.error = EnLinea(linea, QStringLiteral("falta la columna IdPosicion en el encabezado."));
            return false;
        }
        return true;
    }

    TablaLeida& t_;
    qint64 maximo_;
    const AvanceLectura& avance_;
    bool encabezado_ = false;
};

// ---------------------------------------------------------------------------------- workbook

QString ErrorZip(zip_error_t* e) {
    return QString::fromUtf8(zip_error_strerror(e));
}

struct CierreZip {
    zip_t* z = nullptr;
    ~CierreZip() {
        if (z) zip_discard(z);
    }
};

// One XML member of the archive, read a piece at a time: neither the archive nor the sheet is
// ever held whole.
class XmlDeZip {
public:
    XmlDeZip(zip_t* z, const QString& miembro) : miembro_(miembro) {
        archivo_ = zip_fopen(z, miembro.toUtf8().constData(), 0);
        if (!archivo_) error_ = ErrorZip(zip_get_error(z));
    }
    ~XmlDeZip() {
        if (archivo_) zip_fclose(archivo_);
    }
    bool Abierto() const { return archivo_ != nullptr; }
    QString Error() const { return error_; }
    QXmlStreamReader& xml() { return xml_; }

    // The next token; false at the end of the member or on an error (Error() says which).
    bool Siguiente() {
        for (;;) {
            const auto t = xml_.readNext();
            if (xml_.error() == QXmlStreamReader::PrematureEndOfDocumentError && !fin_) {
                if (!Llenar()) return false;
                continue;
            }
            if (xml_.hasError()) {
                error_ = QStringLiteral("%1, linea %2 del XML: %3").arg(miembro_).arg(xml_.lineNumber()).arg(xml_.errorString());
                return false;
            }
            return t != QXmlStreamReader::EndDocument && t != QXmlStreamReader::Invalid;
        }
    }

    // The text of the current element (its text nodes, nested ones included), at most `tope`
    // characters; *largo tells how long it really was.
    QString Texto(qsizetype tope, qsizetype* largo) {
        QString r;
        qsizetype n = 0;
        int profundidad = 1;
        while (profundidad > 0 && Siguiente()) {
            if (xml_.isStartElement()) {
                // Phonetic guides of East Asian text are not part of the cell's text.
                if (xml_.name() == QLatin1String("rPh")) {
                    Saltar();
                    continue;
                }
                ++profundidad;
            } else if (xml_.isEndElement()) {
                --profundidad;
            } else if (xml_.isCharacters()) {
                const QStringView t = xml_.text();
                n += t.size();
                if (r.size() < tope) r += t.left(tope - r.size());
            }
        }
        if (largo) *largo = n;
        return r;
    }

    void Saltar() {
        int profundidad = 1;
        while (profundidad > 0 && Siguiente()) {
            if (xml_.isStartElement()) ++profundidad;
            if (xml_.isEndElement()) --profundidad;
        }
    }

private:
    bool Llenar() {
        char bloque[1 << 16];
        const zip_int64_t n = zip_fread(archivo_, bloque, sizeof bloque);
        if (n < 0) {
            error_ = QStringLiteral("%1: %2").arg(miembro_, QString::fromUtf8(zip_file_strerror(archivo_)));
            return false;
        }
        if (n == 0) {
            fin_ = true;
            // Nothing more will come: let the reader say the document ended too early.
            xml_.addData(QByteArray());
            return true;
        }
        xml_.addData(QByteArray(bloque, static_cast<int>(n)));
        return true;
    }

    zip_file_t* archivo_ = nullptr;
    QString miembro_;
    QXmlStreamReader xml_;
    bool fin_ = false;
    QString error_;
};

// "B12" -> column 1 (0-based) and row 12; false for a reference that is not one.
bool LeerReferencia(QStringView r, int* columna, int* fila) {
    int c = 0, i = 0;
    while (i < r.size() && r[i].isLetter() && i < 3) {
        const char16_t u = r[i].toUpper().unicode();
        if (u < u'A' || u > u'Z') return false;
        c = c * 26 + (u - u'A' + 1);
        ++i;
    }
    if (i == 0 || i == r.size()) return false;
    bool ok = false;
    const int f = r.mid(i).toInt(&ok);
    if (!ok || f < 1) return false;
    *columna = c - 1;
    *fila = f;
    return true;
}

// A number cell as the text the operator sees: integers without decimals or exponent, others with
// as many digits as a spreadsheet shows (15 significant).
QString TextoNumero(const QString& v) {
    bool entero = !v.isEmpty();
    for (const QChar c : v) entero = entero && (c.isDigit() || c == QLatin1Char('-'));
    if (entero) return v;
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok || !std::isfinite(d)) return v;
    if (d == std::floor(d) && std::fabs(d) < 1e15) return QString::number(static_cast<qint64>(d));
    return QString::number(d, 'g', 15);
}

QString ResolverDestino(const QString& destino) {
    if (destino.startsWith(QLatin1Char('/'))) return destino.mid(1);
    QStringList partes = QStringLiteral("xl").split(QLatin1Char('/'));
    for (const QString& p : destino.split(QLatin1Char('/'))) {
        if (p == QLatin1String("..")) {
            if (!partes.isEmpty()) partes.removeLast();
        } else if (!p.isEmpty() && p != QLatin1String(".")) {
            partes << p;
        }
    }
    return partes.join(QLatin1Char('/'));
}

}  // namespace

QString TextoLecturaCancelada() {
    return QStringLiteral("Lectura cancelada por el operador.");
}

TablaLeida LeerXlsx(const QString& ruta, qint64 maximoFilas, const AvanceLectura& avance) {
    TablaLeida t;
    t.archivo = QFileInfo(ruta).fileName();
    auto danado = [&](const QString& detalle) {
        t.error = QStringLiteral("El archivo \"%1\" no se puede leer como libro de Excel: %2").arg(t.archivo, detalle);
        return t;
    };
    int codigo = 0;
    CierreZip zip;
    zip.z = zip_open(QFile::encodeName(ruta).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &codigo);
    if (!zip.z) {
        zip_error_t e;
        zip_error_init_with_code(&e, codigo);
        const QString detalle = ErrorZip(&e);
        zip_error_fini(&e);
        if (codigo == ZIP_ER_NOZIP)
            t.error =
                QStringLiteral("El archivo \"%1\" no es un libro de Excel (.xlsx), o esta dañado: %2").arg(t.archivo, detalle);
        else
            t.error = QStringLiteral("El archivo \"%1\" esta dañado o no se puede abrir: %2").arg(t.archivo, detalle);
        return t;
    }

    // The workbook names its sheets; their files are found through its relationships.
    QHash<QString, QString> destinos;
    {
        XmlDeZip rel(zip.z, QStringLiteral("xl/_rels/workbook.xml.rels"));
        if (!rel.Abierto()) return danado(QStringLiteral("falta xl/_rels/workbook.xml.rels (%1).").arg(rel.Error()));
        while (rel.Siguiente())
            if (rel.xml().isStartElement() && rel.xml().name() == QLatin1String("Relationship"))
                destinos.insert(rel.xml().attributes().value(QLatin1String("Id")).toString(),
                                rel.xml().attributes().value(QLatin1String("Target")).toString());
        if (!rel.Error().isEmpty()) return danado(rel.Error());
    }
    QString hoja;
    {
        XmlDeZip libro(zip.z, QStringLiteral("xl/workbook.xml"));
        if (!libro.Abierto()) return danado(QStringLiteral("falta xl/workbook.xml (%1).").arg(libro.Error()));
        QString primera;
        while (libro.Siguiente()) {
            if (!libro.xml().isStartElement() || libro.xml().name() != QLatin1String("sheet")) continue;
            const auto a = libro.xml().attributes();
            QString id;
            for (const auto& x : a)
                if (x.name() == QLatin1String("id")) id = x.value().toString();
            const QString destino = destinos.value(id);
            if (primera.isEmpty()) primera = destino;
            // The editor's export names its sheet "LayOut".
            if (a.value(QLatin1String("name")).compare(QLatin1String("LayOut"), Qt::CaseInsensitive) == 0 && hoja.isEmpty())
                hoja = destino;
        }
        if (!libro.Error().isEmpty()) return danado(libro.Error());
        if (hoja.isEmpty()) hoja = primera;
        if (hoja.isEmpty()) return danado(QStringLiteral("el libro no tiene hojas."));
    }
    hoja = ResolverDestino(hoja);

    QStringList compartidos;
    if (zip_name_locate(zip.z, "xl/sharedStrings.xml", 0) >= 0) {
        XmlDeZip textos(zip.z, QStringLiteral("xl/sharedStrings.xml"));
        if (!textos.Abierto()) return danado(textos.Error());
        while (textos.Siguiente())
            if (textos.xml().isStartElement() && textos.xml().name() == QLatin1String("si"))
                compartidos << textos.Texto(kMaxCelda + 1, nullptr);
        if (!textos.Error().isEmpty()) return danado(textos.Error());
    }

    XmlDeZip xml(zip.z, hoja);
    if (!xml.Abierto()) return danado(QStringLiteral("falta la hoja %1 (%2).").arg(hoja, xml.Error()));
    Armador armador(t, maximoFilas, avance);
    QVector<QString> celdas;
    int fila = 0;
    bool enDatos = false;
    while (xml.Siguiente()) {
        auto& x = xml.xml();
        if (!x.isStartElement()) continue;
        const QStringView nombre = x.name();
        if (nombre == QLatin1String("sheetData")) {
            enDatos = true;
            continue;
        }
        if (!enDatos || nombre != QLatin1String("row")) continue;
        const auto a = x.attributes();
        bool ok = false;
        const int r = a.value(QLatin1String("r")).toInt(&ok);
        fila = ok && r > fila ? r : fila + 1;
        celdas.clear();
        QString problema;
        int columna = -1;
        // The cells of the row, up to its end tag.
        while (xml.Siguiente() && !(x.isEndElement() && x.name() == QLatin1String("row"))) {
            if (!x.isStartElement() || x.name() != QLatin1String("c")) continue;
            const auto ac = x.attributes();
            int c = columna + 1, f = fila;
            if (ac.hasAttribute(QLatin1String("r")) && !LeerReferencia(ac.value(QLatin1String("r")), &c, &f)) {
                t.error = armador.EnLinea(fila, QStringLiteral("la referencia de celda \"%1\" no es valida.")
                                                    .arg(ac.value(QLatin1String("r")).toString().left(20)));
                return t;
            }
            if (c <= columna || c > 16383) {
                t.error = armador.EnLinea(fila, QStringLiteral("las celdas de la fila estan desordenadas o fuera de la hoja."));
                return t;
            }
            columna = c;
            const QString tipo = ac.value(QLatin1String("t")).toString();
            QString valor;
            qsizetype largo = 0;
            // The cell's value: <v> (number, shared string index, formula result) or <is> (inline text).
            while (xml.Siguiente() && !(x.isEndElement() && x.name() == QLatin1String("c"))) {
                if (!x.isStartElement()) continue;
                if (x.name() == QLatin1String("v") || x.name() == QLatin1String("is")) {
                    valor = xml.Texto(kMaxCelda + 1, &largo);
                } else {
                    xml.Saltar();  // formulas and the like: only their result counts
                }
            }
            if (tipo == QLatin1String("s")) {
                bool bien = false;
                const int i = valor.trimmed().toInt(&bien);
                if (!bien || i < 0 || i >= compartidos.size()) {
                    t.error =
                        armador.EnLinea(fila, QStringLiteral("la celda %1 apunta a un texto que el libro no tiene.").arg(c + 1));
                    return t;
                }
                valor = compartidos[i];
                largo = valor.size();
            } else if (tipo == QLatin1String("e")) {
                if (problema.isEmpty())
                    problema = QStringLiteral("la celda de la columna %1 tiene un error (%2)").arg(c + 1).arg(valor);
                valor.clear();
            } else if (tipo.isEmpty() || tipo == QLatin1String("n")) {
                valor = TextoNumero(valor.trimmed());
            }
            if (largo > kMaxCelda && problema.isEmpty())
                problema =
                    QStringLiteral("la celda de la columna %1 tiene mas de %2 caracteres").arg(c + 1).arg(Miles(kMaxCelda));
            if (celdas.size() <= c) celdas.resize(c + 1);
            celdas[c] = valor;
        }
        if (!xml.Error().isEmpty()) break;
        if (!armador.Linea(fila, celdas, problema)) return t;
    }
    if (!xml.Error().isEmpty()) return danado(xml.Error());
    armador.Terminar();
    return t;
}

// ---------------------------------------------------------------------------------- CSV

TablaLeida LeerCsv(const QString& ruta, qint64 maximoFilas, const AvanceLectura& avance) {
    TablaLeida t;
    t.archivo = QFileInfo(ruta).fileName();
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly)) {
        t.error = QStringLiteral("No se pudo abrir el archivo \"%1\": %2").arg(t.archivo, f.errorString());
        return t;
    }
    // A text file of positions is far smaller; anything bigger is not one.
    constexpr qint64 kMaxBytes = 512ll * 1024 * 1024;
    if (f.size() > kMaxBytes) {
        t.error = QStringLiteral("El archivo \"%1\" tiene %2 bytes: es demasiado grande para un archivo de posiciones.")
                      .arg(t.archivo, Miles(f.size()));
        return t;
    }
    QString texto = cp1252::DecodificarTexto(f.readAll());
    if (texto.startsWith(QChar(0xFEFF))) texto.remove(0, 1);

    // The separator is the one of "," and ";" that the header uses more (outside quotes).
    QChar separador = QLatin1Char(';');
    {
        int comas = 0, puntoYComa = 0;
        bool comillas = false;
        for (qsizetype i = 0; i < texto.size(); ++i) {
            const QChar c = texto[i];
            if (c == QLatin1Char('"')) comillas = !comillas;
            if (comillas) continue;
            if (c == QLatin1Char('\n') && (comas + puntoYComa) > 0) break;
            if (c == QLatin1Char(',')) ++comas;
            if (c == QLatin1Char(';')) ++puntoYComa;
        }
        if (comas > puntoYComa) separador = QLatin1Char(',');
    }

    Armador armador(t, maximoFilas, avance);
    QVector<QString> celdas;
    QString celda;
    QString problema;
    int linea = 1, inicio = 1, lineaComillas = 0;
    bool comillas = false, largo = false;
    auto cerrarCelda = [&] {
        if (celda.size() > kMaxCelda) {
            largo = true;
            celda.truncate(kMaxCelda + 1);
        }
        if (largo && problema.isEmpty())
            problema = QStringLiteral("la celda %1 tiene mas de %2 caracteres").arg(celdas.size() + 1).arg(Miles(kMaxCelda));
        celdas.push_back(celda);
        celda.clear();
        largo = false;
    };
    const qsizetype n = texto.size();
    for (qsizetype i = 0; i <= n; ++i) {
        const QChar c = i < n ? texto[i] : QChar(u'\n');
        if (comillas) {
            if (i == n) {
                t.error = armador.EnLinea(
                    lineaComillas, QStringLiteral("una comilla abre un texto que no se cierra hasta el final del archivo."));
                return t;
            }
            if (c == QLatin1Char('"')) {
                if (i + 1 < n && texto[i + 1] == QLatin1Char('"')) {
                    celda += c;
                    ++i;
                } else {
                    comillas = false;
                }
            } else {
                if (c == QLatin1Char('\n')) ++linea;
                if (celda.size() <= kMaxCelda)
                    celda += c;
                else
                    largo = true;
            }
            continue;
        }
        if (c == QLatin1Char('"') && celda.trimmed().isEmpty()) {
            celda.clear();
            comillas = true;
            lineaComillas = linea;
        } else if (c == separador) {
            cerrarCelda();
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r') && i + 1 < n && texto[i + 1] == QLatin1Char('\n')) ++i;
            cerrarCelda();
            if (!armador.Linea(inicio, celdas, problema)) return t;
            celdas.clear();
            problema.clear();
            ++linea;
            inicio = linea;
        } else {
            if (celda.size() <= kMaxCelda)
                celda += c;
            else
                largo = true;
        }
    }
    armador.Terminar();
    return t;
}

TablaLeida LeerPlanilla(const QString& ruta, qint64 maximoFilas, const AvanceLectura& avance) {
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly)) {
        TablaLeida t;
        t.archivo = QFileInfo(ruta).fileName();
        t.error = QStringLiteral("No se pudo abrir el archivo \"%1\": %2").arg(t.archivo, f.errorString());
        return t;
    }
    const QByteArray firma = f.read(8);
    f.close();
    // A zip archive: the workbook format. The old binary workbook (an OLE file) is neither.
    if (firma.startsWith("PK")) return LeerXlsx(ruta, maximoFilas, avance);
    if (firma.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1"))) {
        TablaLeida t;
        t.archivo = QFileInfo(ruta).fileName();
        t.error = QStringLiteral("El archivo \"%1\" es un libro de Excel antiguo (.xls): guardelo como .xlsx o como CSV.")
                      .arg(t.archivo);
        return t;
    }
    if (QFileInfo(ruta).suffix().compare(QLatin1String("xlsx"), Qt::CaseInsensitive) == 0) {
        TablaLeida t;
        t.archivo = QFileInfo(ruta).fileName();
        t.error = QStringLiteral("El archivo \"%1\" no es un libro de Excel (.xlsx): no es un archivo zip.").arg(t.archivo);
        return t;
    }
    return LeerCsv(ruta, maximoFilas, avance);
}

}  // namespace asistente
