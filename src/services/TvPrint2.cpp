#include "services/TvPrint2.h"

#include "services/LectorFilas.h"
#include "services/Plataforma.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QTextStream>
#include <QTimer>
#include <QVBoxLayout>

#include <zint.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>
#include <memory>
#include <tuple>

namespace {

// ------------------------------------------------------------------------------ the report file

struct Elemento {
    enum class Tipo { Texto, Barras };
    Tipo tipo = Tipo::Texto;
    QRectF caja;  // mm, from the label's top-left corner
    double puntos = 10;
    bool negrita = false;
    Qt::Alignment alineacion = Qt::AlignLeft;
    QString plantilla;   // texts: "{Column}" replaced by the trimmed value
    int simbologia = 0;  // barcodes: zint symbology
    QString campo;       // barcodes: the column encoded
};

struct Informe {
    QString archivo;
    QString titulo;
    QString tabla;
    QString orden;
    QSizeF papel;  // mm, already turned to the chosen orientation
    int columnas = 1, filas = 1;
    QMarginsF margen;   // mm: left, top, right, bottom
    QSizeF etiqueta;    // mm
    QSizeF separacion;  // mm between labels: horizontal, vertical
    bool borde = false;
    QVector<Elemento> elementos;
};

const QRegularExpression& Identificador() {
    static const QRegularExpression re(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return re;
}

bool EsIdentificador(const QString& s) {
    return Identificador().match(s).hasMatch();
}

// A problem in the report file, with the line it was found on (0: the file as a whole).
struct FalloInforme {
    int linea = 0;
    QString problema;
};

// Splits an element line into words; a word may be a quoted text (kept with its quotes stripped
// and marked) that runs to the next double quote.
struct Palabra {
    QString texto;
    bool entreComillas = false;
};

QVector<Palabra> Palabras(const QString& linea, int numero) {
    QVector<Palabra> r;
    qsizetype i = 0;
    const qsizetype n = linea.size();
    while (i < n) {
        if (linea[i].isSpace()) {
            ++i;
            continue;
        }
        if (linea[i] == QLatin1Char('"')) {
            const qsizetype fin = linea.indexOf(QLatin1Char('"'), i + 1);
            if (fin < 0) throw FalloInforme{numero, QStringLiteral("falta cerrar las comillas")};
            r.append({linea.mid(i + 1, fin - i - 1), true});
            i = fin + 1;
            continue;
        }
        qsizetype j = i;
        while (j < n && !linea[j].isSpace()) ++j;
        r.append({linea.mid(i, j - i), false});
        i = j;
    }
    return r;
}

double Medida(const QString& texto, int linea, const QString& que, bool admiteCero = false) {
    bool ok = false;
    const double v = QString(texto).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < 0 || (!admiteCero && v == 0) || v > 2000)
        throw FalloInforme{linea, QStringLiteral("%1 no es una medida válida: \"%2\"").arg(que, texto)};
    return v;
}

int Entero(const QString& texto, int linea, const QString& que) {
    bool ok = false;
    const int v = texto.toInt(&ok);
    if (!ok || v < 1 || v > 100)
        throw FalloInforme{linea, QStringLiteral("%1 debe ser un número entre 1 y 100: \"%2\"").arg(que, texto)};
    return v;
}

// "70 x 37", "70x37" or "70 37".
QSizeF Tamano(const QString& texto, int linea, const QString& que, bool admiteCero = false) {
    const QStringList partes = QString(texto)
                                   .replace(QLatin1Char('x'), QLatin1Char(' '))
                                   .replace(QLatin1Char('X'), QLatin1Char(' '))
                                   .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (partes.size() != 2)
        throw FalloInforme{linea, QStringLiteral("%1 debe ser ANCHO x ALTO en milímetros: \"%2\"").arg(que, texto)};
    return {Medida(partes[0], linea, que, admiteCero), Medida(partes[1], linea, que, admiteCero)};
}

QStringList Campos(const QString& plantilla, int linea) {
    QStringList r;
    static const QRegularExpression re(QStringLiteral("\\{([^}]*)\\}"));
    for (auto it = re.globalMatch(plantilla); it.hasNext();) {
        const QString c = it.next().captured(1);
        if (!EsIdentificador(c)) throw FalloInforme{linea, QStringLiteral("\"{%1}\" no es un nombre de columna").arg(c)};
        r << c;
    }
    return r;
}

Elemento LeerElemento(const QString& linea, int numero) {
    const QVector<Palabra> p = Palabras(linea, numero);
    Elemento e;
    const QString clase = p.value(0).texto.toLower();
    auto caja = [&] {
        e.caja =
            QRectF(Medida(p[1].texto, numero, QStringLiteral("X"), true), Medida(p[2].texto, numero, QStringLiteral("Y"), true),
                   Medida(p[3].texto, numero, QStringLiteral("ANCHO")), Medida(p[4].texto, numero, QStringLiteral("ALTO")));
    };
    if (clase == QLatin1String("texto")) {
        if (p.size() != 9 || !p[8].entreComillas)
            throw FalloInforme{numero,
                               QStringLiteral("se esperaba: texto X Y ANCHO ALTO PUNTOS ESTILO ALINEACION \"plantilla\"")};
        e.tipo = Elemento::Tipo::Texto;
        caja();
        e.puntos = Medida(p[5].texto, numero, QStringLiteral("PUNTOS"));
        const QString estilo = p[6].texto.toLower();
        if (estilo != QLatin1String("normal") && estilo != QLatin1String("negrita"))
            throw FalloInforme{numero, QStringLiteral("el estilo debe ser normal o negrita: \"%1\"").arg(p[6].texto)};
        e.negrita = estilo == QLatin1String("negrita");
        const QString al = p[7].texto.toLower();
        if (al == QLatin1String("izquierda"))
            e.alineacion = Qt::AlignLeft;
        else if (al == QLatin1String("centro"))
            e.alineacion = Qt::AlignHCenter;
        else if (al == QLatin1String("derecha"))
            e.alineacion = Qt::AlignRight;
        else
            throw FalloInforme{numero,
                               QStringLiteral("la alineación debe ser izquierda, centro o derecha: \"%1\"").arg(p[7].texto)};
        e.plantilla = p[8].texto;
        Campos(e.plantilla, numero);
    } else if (clase == QLatin1String("barras")) {
        if (p.size() != 7 || p[5].entreComillas || p[6].entreComillas)
            throw FalloInforme{numero, QStringLiteral("se esperaba: barras X Y ANCHO ALTO TIPO COLUMNA")};
        e.tipo = Elemento::Tipo::Barras;
        caja();
        const QString tipo = p[5].texto.toLower();
        if (tipo == QLatin1String("code128"))
            e.simbologia = BARCODE_CODE128;
        else if (tipo == QLatin1String("qr"))
            e.simbologia = BARCODE_QRCODE;
        else
            throw FalloInforme{numero, QStringLiteral("el tipo de código debe ser code128 o qr: \"%1\"").arg(p[5].texto)};
        if (!EsIdentificador(p[6].texto))
            throw FalloInforme{numero, QStringLiteral("\"%1\" no es un nombre de columna").arg(p[6].texto)};
        e.campo = p[6].texto;
    } else {
        throw FalloInforme{numero,
                           QStringLiteral("elemento desconocido \"%1\" (se esperaba texto o barras)").arg(p.value(0).texto)};
    }
    return e;
}

// Reads and checks a report file; every problem is thrown with its line.
Informe LeerInforme(const QString& ruta) {
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) throw FalloInforme{0, f.errorString()};
    QTextStream in(&f);
    in.setEncoding(QStringConverter::Utf8);

    Informe inf;
    inf.archivo = ruta;
    QString seccion;
    QHash<QString, int> vistas;  // "seccion.clave" -> line
    QString papel = QStringLiteral("A4"), orientacion = QStringLiteral("vertical");
    int lineaPapel = 0;
    QSizeF etiqueta;
    int numero = 0;
    while (!in.atEnd()) {
        const QString linea = in.readLine().trimmed();
        ++numero;
        if (linea.isEmpty() || linea.startsWith(QLatin1Char('#'))) continue;
        if (linea.startsWith(QLatin1Char('['))) {
            if (!linea.endsWith(QLatin1Char(']')))
                throw FalloInforme{numero, QStringLiteral("falta cerrar el corchete de la sección")};
            seccion = linea.mid(1, linea.size() - 2).trimmed().toLower();
            if (seccion != QLatin1String("informe") && seccion != QLatin1String("hoja") && seccion != QLatin1String("etiqueta"))
                throw FalloInforme{numero, QStringLiteral("sección desconocida \"%1\"").arg(seccion)};
            if (vistas.contains(seccion))
                throw FalloInforme{numero, QStringLiteral("la sección [%1] está repetida").arg(seccion)};
            vistas.insert(seccion, numero);
            continue;
        }
        if (seccion.isEmpty()) throw FalloInforme{numero, QStringLiteral("texto fuera de toda sección")};
        if (seccion == QLatin1String("etiqueta")) {
            inf.elementos.append(LeerElemento(linea, numero));
            continue;
        }
        const qsizetype igual = linea.indexOf(QLatin1Char('='));
        if (igual <= 0) throw FalloInforme{numero, QStringLiteral("se esperaba clave = valor")};
        const QString clave = linea.left(igual).trimmed().toLower();
        const QString valor = linea.mid(igual + 1).trimmed();
        const QString id = seccion + QLatin1Char('.') + clave;
        if (vistas.contains(id)) throw FalloInforme{numero, QStringLiteral("la clave \"%1\" está repetida").arg(clave)};
        vistas.insert(id, numero);
        if (id == QLatin1String("informe.titulo")) {
            inf.titulo = valor;
        } else if (id == QLatin1String("informe.tabla") || id == QLatin1String("informe.orden")) {
            if (!EsIdentificador(valor)) throw FalloInforme{numero, QStringLiteral("\"%1\" no es un nombre válido").arg(valor)};
            (clave == QLatin1String("tabla") ? inf.tabla : inf.orden) = valor;
        } else if (id == QLatin1String("hoja.papel")) {
            papel = valor;
            lineaPapel = numero;
        } else if (id == QLatin1String("hoja.orientacion")) {
            orientacion = valor.toLower();
            if (orientacion != QLatin1String("vertical") && orientacion != QLatin1String("horizontal"))
                throw FalloInforme{numero, QStringLiteral("la orientación debe ser vertical u horizontal: \"%1\"").arg(valor)};
        } else if (id == QLatin1String("hoja.columnas")) {
            inf.columnas = Entero(valor, numero, QStringLiteral("columnas"));
        } else if (id == QLatin1String("hoja.filas")) {
            inf.filas = Entero(valor, numero, QStringLiteral("filas"));
        } else if (id == QLatin1String("hoja.margen")) {
            const QStringList m = valor.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (m.size() != 4)
                throw FalloInforme{numero, QStringLiteral("el margen lleva cuatro medidas: superior derecho inferior izquierdo")};
            inf.margen = QMarginsF(
                Medida(m[3], numero, QStringLiteral("margen"), true), Medida(m[0], numero, QStringLiteral("margen"), true),
                Medida(m[1], numero, QStringLiteral("margen"), true), Medida(m[2], numero, QStringLiteral("margen"), true));
        } else if (id == QLatin1String("hoja.etiqueta")) {
            etiqueta = Tamano(valor, numero, QStringLiteral("etiqueta"));
        } else if (id == QLatin1String("hoja.separacion")) {
            inf.separacion = Tamano(valor, numero, QStringLiteral("separacion"), true);
        } else if (id == QLatin1String("hoja.borde")) {
            const QString b = valor.toLower();
            if (b != QLatin1String("si") && b != QLatin1String("no"))
                throw FalloInforme{numero, QStringLiteral("borde debe ser si o no: \"%1\"").arg(valor)};
            inf.borde = b == QLatin1String("si");
        } else {
            throw FalloInforme{numero, QStringLiteral("clave desconocida \"%1\" en la sección [%2]").arg(clave, seccion)};
        }
    }
    for (const char* s : {"informe", "hoja", "etiqueta"})
        if (!vistas.contains(QLatin1String(s)))
            throw FalloInforme{0, QStringLiteral("falta la sección [%1]").arg(QLatin1String(s))};
    if (inf.tabla.isEmpty()) throw FalloInforme{vistas.value(QStringLiteral("informe")), QStringLiteral("falta la clave tabla")};
    if (inf.orden.isEmpty()) throw FalloInforme{vistas.value(QStringLiteral("informe")), QStringLiteral("falta la clave orden")};
    if (!etiqueta.isValid() || etiqueta.isEmpty())
        throw FalloInforme{vistas.value(QStringLiteral("hoja")), QStringLiteral("falta la clave etiqueta")};
    if (inf.elementos.isEmpty())
        throw FalloInforme{vistas.value(QStringLiteral("etiqueta")), QStringLiteral("la etiqueta no tiene ningún elemento")};
    inf.etiqueta = etiqueta;

    if (papel.compare(QLatin1String("A4"), Qt::CaseInsensitive) == 0)
        inf.papel = QSizeF(210, 297);
    else if (papel.compare(QLatin1String("Carta"), Qt::CaseInsensitive) == 0)
        inf.papel = QSizeF(215.9, 279.4);
    else
        inf.papel = Tamano(papel, lineaPapel, QStringLiteral("papel"));
    const bool apaisado = orientacion == QLatin1String("horizontal");
    if (apaisado != (inf.papel.width() > inf.papel.height())) inf.papel.transpose();

    // Everything must fit: a grid wider than the sheet would silently cut labels in half.
    constexpr double tolerancia = 0.01;
    const double ancho =
        inf.margen.left() + inf.margen.right() + inf.columnas * etiqueta.width() + (inf.columnas - 1) * inf.separacion.width();
    const double alto =
        inf.margen.top() + inf.margen.bottom() + inf.filas * etiqueta.height() + (inf.filas - 1) * inf.separacion.height();
    if (ancho > inf.papel.width() + tolerancia || alto > inf.papel.height() + tolerancia)
        throw FalloInforme{vistas.value(QStringLiteral("hoja")),
                           QStringLiteral("%1 x %2 etiquetas de %3 x %4 mm no caben en una hoja de %5 x %6 mm")
                               .arg(inf.columnas)
                               .arg(inf.filas)
                               .arg(etiqueta.width())
                               .arg(etiqueta.height())
                               .arg(inf.papel.width())
                               .arg(inf.papel.height())};
    const QRectF dentro(QPointF(0, 0), etiqueta);
    for (const Elemento& e : inf.elementos)
        if (!dentro.adjusted(-tolerancia, -tolerancia, tolerancia, tolerancia).contains(e.caja))
            throw FalloInforme{
                vistas.value(QStringLiteral("etiqueta")),
                QStringLiteral("un elemento sale de la etiqueta de %1 x %2 mm").arg(etiqueta.width()).arg(etiqueta.height())};
    return inf;
}

// ------------------------------------------------------------------------- the selection formula

struct FormulaRechazada {
    QString motivo;
};

// Recursive descent over the safe subset of the report engine's formula syntax:
//   o     := y ("or" y)*
//   y     := no ("and" no)*
//   no    := "not" no | "(" o ")" | valor ("=" | "<>") valor
//   valor := {TABLE.COLUMN} | 'text' | "text" | TRUE | FALSE
// Only the tokens of this grammar are recognised; every other character or word is refused
// before anything is built, so nothing from the formula reaches the database except column
// names that are plain identifiers and texts that hold no quotes.
class Traductor {
public:
    Traductor(const QString& formula, const QString& tabla) : f_(formula), tabla_(tabla) { Leer(); }

    QString Traducir() {
        if (tokens_.isEmpty()) return QString();
        QString r = O(0);
        if (pos_ < tokens_.size()) Rechazar(QStringLiteral("sobra \"%1\"").arg(tokens_[pos_].texto), tokens_[pos_].columna);
        return r;
    }

private:
    enum class T { Campo, Texto, Verdadero, Falso, Igual, Distinto, Abre, Cierra, Y, O, No };
    struct Token {
        T tipo;
        QString texto;  // the column, the text's contents, or the token as written
        qsizetype columna;
    };

    [[noreturn]] static void Rechazar(const QString& motivo, qsizetype columna) {
        throw FormulaRechazada{QStringLiteral("%1 (carácter %2)").arg(motivo).arg(columna + 1)};
    }

    void Leer() {
        const qsizetype n = f_.size();
        qsizetype i = 0;
        while (i < n) {
            const QChar c = f_[i];
            if (c.isSpace()) {
                ++i;
            } else if (c == QLatin1Char('{')) {
                const qsizetype fin = f_.indexOf(QLatin1Char('}'), i + 1);
                if (fin < 0) Rechazar(QStringLiteral("falta cerrar la llave"), i);
                const QString nombre = f_.mid(i + 1, fin - i - 1);
                const qsizetype punto = nombre.indexOf(QLatin1Char('.'));
                const QString tabla = punto < 0 ? QString() : nombre.left(punto);
                const QString columna = punto < 0 ? QString() : nombre.mid(punto + 1);
                if (!EsIdentificador(tabla) || !EsIdentificador(columna))
                    Rechazar(QStringLiteral("\"{%1}\" no es un campo {TABLA.COLUMNA}").arg(nombre), i);
                if (tabla.compare(tabla_, Qt::CaseInsensitive) != 0)
                    Rechazar(QStringLiteral("el campo {%1} no es de la tabla %2 del informe").arg(nombre, tabla_), i);
                tokens_.append({T::Campo, columna, i});
                i = fin + 1;
            } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
                const qsizetype fin = f_.indexOf(c, i + 1);
                if (fin < 0) Rechazar(QStringLiteral("falta cerrar las comillas"), i);
                const QString texto = f_.mid(i + 1, fin - i - 1);
                // A doubled quote is how the engine writes a quote inside a text; a quote of the
                // other kind is a quote all the same. Neither is ever needed for a code, and
                // refusing them keeps every literal trivially safe.
                if (fin + 1 < n && f_[fin + 1] == c)
                    Rechazar(QStringLiteral("un texto entre comillas no puede contener comillas"), i);
                for (const QChar t : texto) {
                    if (t == QLatin1Char('\'') || t == QLatin1Char('"'))
                        Rechazar(QStringLiteral("un texto entre comillas no puede contener comillas"), i);
                    if (t.category() == QChar::Other_Control)
                        Rechazar(QStringLiteral("un texto entre comillas no puede contener caracteres de control"), i);
                }
                tokens_.append({T::Texto, texto, i});
                i = fin + 1;
            } else if (c == QLatin1Char('=')) {
                tokens_.append({T::Igual, QStringLiteral("="), i++});
            } else if (c == QLatin1Char('<') && i + 1 < n && f_[i + 1] == QLatin1Char('>')) {
                tokens_.append({T::Distinto, QStringLiteral("<>"), i});
                i += 2;
            } else if (c == QLatin1Char('(')) {
                tokens_.append({T::Abre, QStringLiteral("("), i++});
            } else if (c == QLatin1Char(')')) {
                tokens_.append({T::Cierra, QStringLiteral(")"), i++});
            } else if (c.isLetter()) {
                qsizetype j = i;
                while (j < n && (f_[j].isLetterOrNumber() || f_[j] == QLatin1Char('_'))) ++j;
                const QString palabra = f_.mid(i, j - i);
                const QString p = palabra.toLower();
                T tipo;
                if (p == QLatin1String("true"))
                    tipo = T::Verdadero;
                else if (p == QLatin1String("false"))
                    tipo = T::Falso;
                else if (p == QLatin1String("and"))
                    tipo = T::Y;
                else if (p == QLatin1String("or"))
                    tipo = T::O;
                else if (p == QLatin1String("not"))
                    tipo = T::No;
                else
                    Rechazar(QStringLiteral("\"%1\" no está permitido").arg(palabra), i);
                tokens_.append({tipo, palabra, i});
                i = j;
            } else {
                Rechazar(QStringLiteral("\"%1\" no está permitido").arg(c), i);
            }
        }
    }

    const Token* Actual() const { return pos_ < tokens_.size() ? &tokens_[pos_] : nullptr; }
    qsizetype ColumnaActual() const { return pos_ < tokens_.size() ? tokens_[pos_].columna : f_.size(); }

    // Nesting is bounded so a hostile formula cannot exhaust the stack.
    static constexpr int kProfundidadMaxima = 64;
    void Profundidad(int p) const {
        if (p > kProfundidadMaxima) Rechazar(QStringLiteral("la fórmula está anidada demasiado"), ColumnaActual());
    }

    QString O(int p) {
        Profundidad(p);
        QString r = Y(p);
        while (Actual() && Actual()->tipo == T::O) {
            ++pos_;
            r += QStringLiteral(" OR ") + Y(p);
        }
        return r;
    }

    QString Y(int p) {
        QString r = No(p);
        while (Actual() && Actual()->tipo == T::Y) {
            ++pos_;
            r += QStringLiteral(" AND ") + No(p);
        }
        return r;
    }

    QString No(int p) {
        Profundidad(p);
        const Token* t = Actual();
        if (!t) Rechazar(QStringLiteral("la fórmula termina antes de tiempo"), f_.size());
        if (t->tipo == T::No) {
            ++pos_;
            return QStringLiteral("NOT ") + No(p + 1);
        }
        if (t->tipo == T::Abre) {
            ++pos_;
            QString r = O(p + 1);
            if (!Actual() || Actual()->tipo != T::Cierra) Rechazar(QStringLiteral("falta cerrar el paréntesis"), ColumnaActual());
            ++pos_;
            return QLatin1Char('(') + r + QLatin1Char(')');
        }
        const QString izquierda = Valor();
        const Token* op = Actual();
        if (!op || (op->tipo != T::Igual && op->tipo != T::Distinto))
            Rechazar(QStringLiteral("se esperaba = o <>"), ColumnaActual());
        ++pos_;
        const QString derecha = Valor();
        return QLatin1Char('(') + izquierda + (op->tipo == T::Igual ? QStringLiteral(" = ") : QStringLiteral(" <> ")) + derecha +
               QLatin1Char(')');
    }

    QString Valor() {
        const Token* t = Actual();
        if (!t) Rechazar(QStringLiteral("la fórmula termina antes de tiempo"), f_.size());
        ++pos_;
        switch (t->tipo) {
            case T::Campo:
                return t->texto;
            case T::Texto: {
                // The text holds no quotes (refused when read); doubling stays as a second guard.
                QString v = t->texto;
                v.replace(QLatin1Char('\''), QStringLiteral("''"));
                return QLatin1Char('\'') + v + QLatin1Char('\'');
            }
            case T::Verdadero:
                return QStringLiteral("1");
            case T::Falso:
                return QStringLiteral("0");
            default:
                Rechazar(QStringLiteral("se esperaba un campo, un texto, TRUE o FALSE en lugar de \"%1\"").arg(t->texto),
                         t->columna);
        }
    }

    QString f_, tabla_;
    QVector<Token> tokens_;
    qsizetype pos_ = 0;
};

// ------------------------------------------------------------------------------------ drawing

// The columns of the rows read, by name in lower case.
struct Datos {
    QHash<QString, int> indice;
};

QString Valor(const Datos& d, const QVariantList& fila, const QString& columna) {
    const int i = d.indice.value(columna.toLower(), -1);
    if (i < 0 || i >= fila.size()) return QString();
    const QVariant& v = fila[i];
    return v.isNull() ? QString() : v.toString().trimmed();
}

QString Plantilla(const Datos& d, const QVariantList& fila, const QString& plantilla) {
    static const QRegularExpression re(QStringLiteral("\\{([A-Za-z_][A-Za-z0-9_]*)\\}"));
    QString r;
    qsizetype desde = 0;
    for (auto it = re.globalMatch(plantilla); it.hasNext();) {
        const auto m = it.next();
        r += plantilla.mid(desde, m.capturedStart() - desde) + Valor(d, fila, m.captured(1));
        desde = m.capturedEnd();
    }
    return r + plantilla.mid(desde);
}

// Millimetres to device units.
struct Escala {
    double kx, ky;
    QRectF operator()(const QRectF& mm) const { return {mm.x() * kx, mm.y() * ky, mm.width() * kx, mm.height() * ky}; }
};

// The label fonts and their metrics for a device's resolution, made once per drawing: thousands
// of labels draw the same few texts.
struct FuenteMedida {
    QFont fuente;
    QFontMetricsF medida;
};

class Fuentes {
public:
    const FuenteMedida& De(double puntos, bool negrita, QPaintDevice* d) {
        const auto clave = std::make_tuple(puntos, negrita, d->logicalDpiX(), d->logicalDpiY());
        if (const auto it = hechas_.find(clave); it != hechas_.end()) return it->second;
        if (hechas_.size() > 64) hechas_.clear();
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPointSizeF(puntos);
        f.setBold(negrita);
        return hechas_.emplace(clave, FuenteMedida{f, QFontMetricsF(f, d)}).first->second;
    }

private:
    std::map<std::tuple<double, bool, int, int>, FuenteMedida> hechas_;
};

void DibujarTexto(QPainter& p, Fuentes& fuentes, const Escala& k, const QRectF& caja, const Elemento& e, const QString& texto) {
    const FuenteMedida* f = &fuentes.De(e.puntos, e.negrita, p.device());
    const QRectF r = k(caja);
    // A long code is shrunk to fit rather than cut: the operator must be able to read it whole.
    // Other texts keep their size and are elided.
    QString mostrado = texto;
    const double ancho = f->medida.horizontalAdvance(texto);
    if (ancho > r.width()) {
        if (e.negrita) f = &fuentes.De(std::max(4.0, e.puntos * r.width() / ancho * 0.98), true, p.device());
        mostrado = f->medida.elidedText(texto, Qt::ElideRight, r.width());
    }
    p.setFont(f->fuente);
    p.setPen(Qt::black);
    p.drawText(r, static_cast<int>(e.alineacion | Qt::AlignVCenter) | Qt::TextSingleLine, mostrado);
}

// Draws the symbol from zint's vector output, scaled into the box with its quiet zones kept free.
void DibujarBarras(QPainter& p, Fuentes& fuentes, const Escala& k, const QRectF& caja, const Elemento& e, const QString& dato) {
    if (dato.isEmpty()) return;
    std::unique_ptr<zint_symbol, void (*)(zint_symbol*)> s(ZBarcode_Create(), ZBarcode_Delete);
    if (!s) return;
    s->symbology = e.simbologia;
    s->input_mode = UNICODE_MODE;
    s->show_hrt = 0;
    const QByteArray utf8 = dato.toUtf8();
    const int rc = ZBarcode_Encode_and_Buffer_Vector(s.get(), reinterpret_cast<const unsigned char*>(utf8.constData()),
                                                     static_cast<int>(utf8.size()), 0);
    if (rc >= ZINT_ERROR || !s->vector || !s->vector->rectangles || s->width <= 0) {
        Elemento aviso;
        aviso.puntos = 6;
        DibujarTexto(p, fuentes, k, caja, aviso,
                     QStringLiteral("(código no imprimible: %1)").arg(QString::fromLatin1(s->errtxt)));
        return;
    }
    double x0 = 1e30, x1 = -1e30, y0 = 1e30, y1 = -1e30;
    for (auto* r = s->vector->rectangles; r; r = r->next) {
        x0 = std::min<double>(x0, r->x);
        x1 = std::max<double>(x1, r->x + r->width);
        y0 = std::min<double>(y0, r->y);
        y1 = std::max<double>(y1, r->y + r->height);
    }
    if (x1 <= x0 || y1 <= y0) return;
    const bool matriz = e.simbologia == BARCODE_QRCODE;
    const int modulos = s->width;
    const double unidad = (x1 - x0) / modulos;  // vector units per module
    // Code 128 wants 10 modules of quiet zone each side; wide modules scan best, but past half a
    // millimetre nothing is gained. QR wants 4 modules around and square modules.
    double m, ancho, alto;
    if (matriz) {
        m = std::min(caja.width(), caja.height()) / (modulos + 8);
        ancho = alto = modulos * m;
    } else {
        m = std::min(0.5, caja.width() / (modulos + 20));
        ancho = modulos * m;
        alto = caja.height();
    }
    const double ox = caja.x() + (caja.width() - ancho) / 2;
    const double oy = caja.y() + (caja.height() - alto) / 2;
    const double fy = matriz ? m / unidad : alto / (y1 - y0);
    for (auto* r = s->vector->rectangles; r; r = r->next) {
        if (r->colour == 8) continue;  // white
        const QRectF mm(ox + (r->x - x0) / unidad * m, oy + (r->y - y0) * fy, r->width / unidad * m, r->height * fy);
        p.fillRect(k(mm), Qt::black);
    }
}

// ---------------------------------------------------------------------------- sheet by sheet
//
// Labels are read a few sheets at a time, in the report's order, never the whole selection: a
// sheet starts at the first row whose order column is at least a key (the order column of its
// first label), after skipping the rows of that same key that earlier sheets already hold. The
// keys of the sheets come from the rows read, and a walk over the order column alone learns those
// further on. A key that cannot be written back as a literal (NULL, a binary value, a text with a
// NUL) starts its sheet from the first row, skipping every row before it.

// The key as an SQL literal; "" when it cannot be one.
QString LiteralDeClave(const QVariant& v) {
    if (!v.isValid() || v.isNull()) return {};
    switch (v.metaType().id()) {
        case QMetaType::Bool:
            return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            return v.toString();
        case QMetaType::Double:
        case QMetaType::Float: {
            const double d = v.toDouble();
            return std::isfinite(d) ? QString::number(d, 'g', 17) : QString();
        }
        case QMetaType::QDate:
            return QLatin1Char('\'') + v.toDate().toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('\'');
        case QMetaType::QDateTime:
            return QLatin1Char('\'') + v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) + QLatin1Char('\'');
        case QMetaType::QString: {
            const QString t = v.toString();
            if (t.contains(QChar(0))) return {};
            return QLatin1Char('\'') + QString(t).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
        }
        default:
            return {};
    }
}

class HojasEtiquetas {
public:
    HojasEtiquetas(const Informe& inf, const QString& condicion)
        : inf_(inf), condicion_(condicion), porHoja_(std::max(1, inf.columnas * inf.filas)) {
        anclas_[0] = {};
    }

    qsizetype PorHoja() const { return porHoja_; }
    const Datos& Columnas() const { return datos_; }
    // Sheets whose first row is known.
    qint64 HojasConocidas() const { return conocidas_; }
    bool Completa() const { return total_ >= 0; }
    // Labels and sheets: -1 until the end of the selection has been seen.
    qint64 Total() const { return total_; }
    qint64 Hojas() const { return total_ < 0 ? -1 : (total_ + porHoja_ - 1) / porHoja_; }

    // The rows of sheet p (p < HojasConocidas()); read with the few sheets after it, which are
    // kept for the next calls. Null, with the reason in *error, when the database failed.
    const QVector<QVariantList>* Hoja(qint64 p, QString* error) {
        if (const auto it = cache_.constFind(p); it != cache_.constEnd()) return &*it;
        if (p >= HojasConocidas()) return nullptr;
        if (cache_.size() > 4 * kHojasPorLectura) cache_.clear();
        // From the nearest sheet before it whose start is kept: its keys first, then its rows.
        const qint64 q = std::prev(anclas_.upper_bound(p))->first;
        if (q < p && !Leer(q, p - q, true, error)) return nullptr;
        const bool leida = Leer(p, kHojasPorLectura, false, error);
        Podar(p);
        if (!leida) return nullptr;
        const auto it = cache_.constFind(p);
        return it == cache_.constEnd() ? nullptr : &*it;
    }

    // Learns the keys of up to `hojas` further sheets from the order column alone; false with the
    // reason when the database failed.
    bool Avanzar(qint64 hojas, QString* error) {
        if (Completa()) return true;
        const bool leida = Leer(HojasConocidas() - 1, hojas + 1, true, error);
        Podar(ultimaPedida_);
        return leida;
    }

    // The columns and the first sheet; false with the reason when the database failed.
    // The table's columns from one of its rows; a layout naming a column the table lacks stops
    // here (ColumnaFaltante); then the sheets read only the columns the labels print.
    bool Empezar(QString* error) {
        const ResultadoLectura r = LeerFilas(QStringLiteral("SELECT TOP 1 * FROM ") + inf_.tabla);
        if (!r.error.isEmpty()) {
            *error = r.error;
            return false;
        }
        if (r.filas.isEmpty()) {
            total_ = 0;
            return true;
        }
        QHash<QString, QString> existentes;
        for (const QString& c : r.columnas) existentes.insert(c.toLower(), c);
        QStringList usadas{inf_.orden};
        for (const Elemento& e : inf_.elementos)
            usadas += e.tipo == Elemento::Tipo::Barras ? QStringList{e.campo} : Campos(e.plantilla, 0);
        QStringList lista;
        QSet<QString> vistas;
        for (const QString& c : std::as_const(usadas)) {
            const QString nombre = existentes.value(c.toLower());
            if (nombre.isEmpty()) {
                faltante_ = c;
                return true;
            }
            if (!vistas.contains(c.toLower())) lista << nombre;
            vistas.insert(c.toLower());
        }
        columnas_ = lista.join(QLatin1Char(','));
        return Hoja(0, error) != nullptr || Completa();
    }

    // A column the layout names but the table lacks ("" when none).
    QString ColumnaFaltante() const { return faltante_; }

private:
    static constexpr qint64 kHojasPorLectura = 8;
    // Sheets whose start is kept for good: one in kCada, besides those near the last one asked for
    // and the last one known, so that the keys held do not grow with the selection.
    static constexpr qint64 kCada = 32;

    struct Ancla {
        QVariant clave;
        QString literal;    // "": counted from the first row
        qint64 saltar = 0;  // rows from there on that belong to earlier sheets
    };

    QString Sentencia(const Ancla& a, qint64 filas, bool soloClave) const {
        QString donde = condicion_;
        if (!a.literal.isEmpty()) {
            const QString desde = inf_.orden + QStringLiteral(" >= ") + a.literal;
            donde = donde.isEmpty() ? desde : QLatin1Char('(') + donde + QStringLiteral(") AND ") + desde;
        }
        return QStringLiteral("SELECT TOP %1 ").arg(a.saltar + filas) + (soloClave ? inf_.orden : columnas_) +
               QStringLiteral(" FROM ") + inf_.tabla + (donde.isEmpty() ? QString() : QStringLiteral(" WHERE ") + donde) +
               QStringLiteral(" ORDER BY ") + inf_.orden;
    }

    // Reads `hojas` sheets from sheet p: their rows (unless soloClave) and the keys of the sheets
    // that follow each of them.
    bool Leer(qint64 p, qint64 hojas, bool soloClave, QString* error) {
        if (!soloClave) ultimaPedida_ = p;
        const Ancla ancla = anclas_.at(p);
        const qint64 pedidas = hojas * porHoja_;
        // One row more than the sheets hold: the first of the next sheet, whose key starts it.
        ResultadoLectura r = LeerFilas(Sentencia(ancla, pedidas + 1, soloClave));
        if (!r.error.isEmpty()) {
            *error = r.error;
            return false;
        }
        if (datos_.indice.isEmpty() && !soloClave)
            for (int i = 0; i < r.columnas.size(); ++i) datos_.indice.insert(r.columnas[i].toLower(), i);
        const int columnaClave = soloClave ? 0 : datos_.indice.value(inf_.orden.toLower(), -1);
        const qsizetype desde = std::min<qsizetype>(ancla.saltar, r.filas.size());
        const qsizetype leidas = r.filas.size() - desde;
        const qsizetype usadas = std::min<qsizetype>(leidas, pedidas);
        auto clave = [&](qsizetype i) { return columnaClave < 0 ? QVariant() : r.filas[desde + i].value(columnaClave); };
        for (qsizetype i = 0; i < usadas; i += porHoja_) {
            const qint64 hoja = p + i / porHoja_;
            if (!soloClave) cache_.insert(hoja, r.filas.mid(desde + i, std::min<qsizetype>(porHoja_, usadas - i)));
            // The next sheet begins with row i + porHoja_, when there is one.
            const qsizetype primera = i + porHoja_;
            if (primera >= leidas || anclas_.count(hoja + 1)) continue;
            const QVariant k = clave(primera);
            Ancla a;
            a.clave = k;
            a.literal = LiteralDeClave(k);
            if (a.literal.isEmpty()) {
                a.saltar = (hoja + 1) * porHoja_;
            } else {
                qsizetype j = primera;
                while (j > 0 && clave(j - 1) == k) --j;
                a.saltar = primera - j;
                if (j == 0 && ancla.clave == k && !ancla.literal.isEmpty()) a.saltar += ancla.saltar;
            }
            anclas_[hoja + 1] = a;
            conocidas_ = std::max(conocidas_, hoja + 2);
        }
        if (leidas <= pedidas) total_ = p * porHoja_ + leidas;
        return true;
    }

    const Informe& inf_;
    QString condicion_;
    qsizetype porHoja_;
    void Podar(qint64 centro) {
        for (auto it = anclas_.begin(); it != anclas_.end();) {
            const qint64 h = it->first;
            if (h % kCada == 0 || std::abs(h - centro) <= kCada || h == conocidas_ - 1)
                ++it;
            else
                it = anclas_.erase(it);
        }
    }

    QString columnas_ = QStringLiteral("*");
    QString faltante_;
    std::map<qint64, Ancla> anclas_;
    qint64 conocidas_ = 1;
    qint64 ultimaPedida_ = 0;
    QHash<qint64, QVector<QVariantList>> cache_;
    Datos datos_;
    qint64 total_ = -1;
};

// Draws one sheet's labels; the painter's unit is the millimetre times k.
void PintarHoja(QPainter& p, Fuentes& fuentes, const Escala& k, const Informe& inf, const Datos& d,
                const QVector<QVariantList>& filas) {
    for (qsizetype n = 0; n < filas.size(); ++n) {
        const int lugar = static_cast<int>(n);
        const QPointF origen(inf.margen.left() + (lugar % inf.columnas) * (inf.etiqueta.width() + inf.separacion.width()),
                             inf.margen.top() + (lugar / inf.columnas) * (inf.etiqueta.height() + inf.separacion.height()));
        if (inf.borde) {
            p.setPen(QPen(Qt::lightGray, 0));
            p.drawRect(k(QRectF(origen, inf.etiqueta)));
        }
        const QVariantList& fila = filas[n];
        for (const Elemento& e : inf.elementos) {
            const QRectF caja = e.caja.translated(origen);
            if (e.tipo == Elemento::Tipo::Texto)
                DibujarTexto(p, fuentes, k, caja, e, Plantilla(d, fila, e.plantilla));
            else
                DibujarBarras(p, fuentes, k, caja, e, Valor(d, fila, e.campo));
        }
    }
}

// Every sheet, one after the other, to a printer or a PDF, reporting each sheet to `avance`
// (false: stop). Returns the sheets drawn; -1 when stopped; sets *error on a failure.
qint64 PintarTodo(QPagedPaintDevice& dispositivo, const Informe& inf, HojasEtiquetas& hojas, qint64 totalHojas,
                  const std::function<bool(qint64, qint64)>& avance, QString* error) {
    QPainter p;
    if (!p.begin(&dispositivo)) {
        *error = QStringLiteral("no se pudo empezar a dibujar");
        return 0;
    }
    const Escala k{dispositivo.logicalDpiX() / 25.4, dispositivo.logicalDpiY() / 25.4};
    Fuentes fuentes;
    qint64 hoja = 0;
    for (;; ++hoja) {
        if (hoja >= hojas.HojasConocidas()) break;
        const QVector<QVariantList>* filas = hojas.Hoja(hoja, error);
        if (!filas) {
            if (!error->isEmpty()) {
                p.end();
                return 0;
            }
            break;
        }
        if (filas->isEmpty()) break;
        if (avance && !avance(hoja + 1, std::max(totalHojas, hoja + 1))) {
            p.end();
            return -1;
        }
        if (hoja > 0) dispositivo.newPage();
        PintarHoja(p, fuentes, k, inf, hojas.Columnas(), *filas);
    }
    p.end();
    return hoja;
}

QPageLayout Diseno(const Informe& inf) {
    const bool apaisado = inf.papel.width() > inf.papel.height();
    const QSizeF vertical = apaisado ? inf.papel.transposed() : inf.papel;
    return QPageLayout(QPageSize(vertical, QPageSize::Millimeter), apaisado ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

// ------------------------------------------------------------------------------------ preview

// The sheets stacked one under the other, each drawn only while it is in sight.
class LienzoHojas : public QAbstractScrollArea {
public:
    LienzoHojas(const Informe& inf, HojasEtiquetas& hojas, QWidget* padre)
        : QAbstractScrollArea(padre), inf_(inf), hojas_(hojas) {
        setObjectName(QStringLiteral("HojasEtiquetas"));
        setAccessibleName(QStringLiteral("Hojas de etiquetas"));
        setFocusPolicy(Qt::StrongFocus);
        viewport()->setBackgroundRole(QPalette::Dark);
        viewport()->setAutoFillBackground(true);
        verticalScrollBar()->setSingleStep(40);
    }

    double Zoom() const { return zoom_; }
    void SetZoom(double z) {
        const double centro = alto() > 0 ? (verticalScrollBar()->value() + viewport()->height() / 2.0) / alto() : 0;
        zoom_ = std::clamp(z, 0.25, 4.0);
        Actualizar();
        verticalScrollBar()->setValue(static_cast<int>(centro * alto() - viewport()->height() / 2.0));
    }
    // The sheet at the top of the view.
    qint64 HojaVisible() const { return std::min<qint64>(verticalScrollBar()->value() / pasoHoja(), Mostradas() - 1); }
    qint64 Mostradas() const { return hojas_.Completa() ? hojas_.Hojas() : hojas_.HojasConocidas(); }
    void IrAHoja(qint64 h) {
        verticalScrollBar()->setValue(static_cast<int>(std::clamp<qint64>(h, 0, Mostradas()) * pasoHoja()));
    }
    // The scroll range after more sheets became known.
    void Actualizar() {
        const QSize s = tamanoHoja();
        verticalScrollBar()->setPageStep(viewport()->height());
        verticalScrollBar()->setRange(0, std::max(0, static_cast<int>(alto()) - viewport()->height()));
        horizontalScrollBar()->setPageStep(viewport()->width());
        horizontalScrollBar()->setRange(0, std::max(0, s.width() + 2 * kMargen - viewport()->width()));
        viewport()->update();
    }
    QString error;

protected:
    void resizeEvent(QResizeEvent* e) override {
        QAbstractScrollArea::resizeEvent(e);
        Actualizar();
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Home) return IrAHoja(0);
        if (e->key() == Qt::Key_End) return IrAHoja(Mostradas() - 1);
        QAbstractScrollArea::keyPressEvent(e);
    }
    void paintEvent(QPaintEvent*) override {
        QPainter p(viewport());
        const QSize s = tamanoHoja();
        const int x = std::max(kMargen, (viewport()->width() - s.width()) / 2) - horizontalScrollBar()->value();
        const qint64 arriba = verticalScrollBar()->value();
        const qint64 primera = arriba / pasoHoja();
        const qint64 escala = 96;  // the sheets' drawing is in points of a 96 dpi screen, scaled by the zoom
        const Escala k{escala / 25.4, escala / 25.4};
        for (qint64 h = primera; h < Mostradas() && h * pasoHoja() - arriba < viewport()->height(); ++h) {
            const QRect hoja(x, static_cast<int>(h * pasoHoja() - arriba) + kMargen, s.width(), s.height());
            p.fillRect(hoja.translated(3, 3), palette().color(QPalette::Shadow));
            p.fillRect(hoja, Qt::white);
            const QVector<QVariantList>* filas = h < hojas_.HojasConocidas() ? hojas_.Hoja(h, &error) : nullptr;
            p.save();
            p.setClipRect(hoja);
            p.translate(hoja.topLeft());
            p.scale(zoom_ * logicalDpiX() / escala, zoom_ * logicalDpiY() / escala);
            if (filas) {
                PintarHoja(p, fuentes_, k, inf_, hojas_.Columnas(), *filas);
            } else {
                p.setPen(Qt::darkGray);
                p.drawText(QRectF(QPointF(0, 0), k(QRectF(QPointF(0, 0), inf_.papel)).size()), Qt::AlignCenter,
                           error.isEmpty() ? QStringLiteral("Preparando la hoja %1…").arg(h + 1) : error);
            }
            p.restore();
        }
    }

private:
    static constexpr int kMargen = 16;
    QSize tamanoHoja() const {
        return QSize(static_cast<int>(inf_.papel.width() / 25.4 * logicalDpiX() * zoom_),
                     static_cast<int>(inf_.papel.height() / 25.4 * logicalDpiY() * zoom_));
    }
    qint64 pasoHoja() const { return std::max(1, tamanoHoja().height() + kMargen); }
    qint64 alto() const { return Mostradas() * pasoHoja() + kMargen; }

    const Informe& inf_;
    HojasEtiquetas& hojas_;
    Fuentes fuentes_;
    double zoom_ = 1.0;
};

// The labels' own preview: the first sheet at once, the others drawn as they come into sight,
// the rest of the selection walked in short slices while the window stays responsive; printing
// and saving a PDF stream the sheets behind the progress banner.
class VistaEtiquetas : public QDialog {
public:
    // `imprimir` prints to the printer it is given, its dialog over this window; `guardarPdf` asks
    // for a file and writes it.
    VistaEtiquetas(const Informe& inf, HojasEtiquetas& hojas, const QString& titulo,
                   std::function<void(QPrinter&, QWidget* sobre)> imprimir, std::function<void()> guardarPdf)
        : hojas_(hojas), imprimir_(std::move(imprimir)), guardarPdf_(std::move(guardarPdf)) {
        setObjectName(QStringLiteral("VistaPreviaEtiquetas"));
        setWindowTitle(titulo);
        lienzo = new LienzoHojas(inf, hojas, this);
        auto* bImprimir = new QPushButton(QStringLiteral("&Imprimir..."), this);
        bImprimir->setObjectName(QStringLiteral("Imprimir"));
        auto* bPdf = new QPushButton(QStringLiteral("Guardar &PDF..."), this);
        bPdf->setObjectName(QStringLiteral("GuardarPdf"));
        auto* bAmpliar = new QPushButton(QStringLiteral("A&mpliar"), this);
        auto* bReducir = new QPushButton(QStringLiteral("Re&ducir"), this);
        auto* bCerrar = new QPushButton(QStringLiteral("&Cerrar"), this);
        estado = new QLabel(this);
        estado->setObjectName(QStringLiteral("EstadoHojas"));
        auto* botones = new QHBoxLayout;
        for (QPushButton* b : {bImprimir, bPdf, bAmpliar, bReducir}) {
            b->setAutoDefault(false);
            botones->addWidget(b);
        }
        botones->addStretch();
        botones->addWidget(estado);
        botones->addStretch();
        botones->addWidget(bCerrar);
        auto* caja = new QVBoxLayout(this);
        caja->addLayout(botones);
        caja->addWidget(lienzo, 1);
        connect(bImprimir, &QPushButton::clicked, this, [this] { Imprimir(); });
        connect(bPdf, &QPushButton::clicked, this, [this] { GuardarPdf(); });
        connect(bAmpliar, &QPushButton::clicked, this, [this] { lienzo->SetZoom(lienzo->Zoom() * 1.25); });
        connect(bReducir, &QPushButton::clicked, this, [this] { lienzo->SetZoom(lienzo->Zoom() / 1.25); });
        connect(bCerrar, &QPushButton::clicked, this, &QDialog::reject);
        auto atajo = [this](QKeySequence k, auto f) {
            auto* a = new QAction(this);
            a->setShortcut(k);
            connect(a, &QAction::triggered, this, f);
            addAction(a);
        };
        atajo(QKeySequence::Print, [this] { Imprimir(); });
        atajo(QKeySequence::Save, [this] { GuardarPdf(); });
        atajo(QKeySequence::ZoomIn, [this] { lienzo->SetZoom(lienzo->Zoom() * 1.25); });
        atajo(QKeySequence::ZoomOut, [this] { lienzo->SetZoom(lienzo->Zoom() / 1.25); });
        connect(lienzo->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { MostrarEstado(); });
        // The rest of the selection, a slice at a time while nothing else waits.
        recorrido_.setInterval(0);
        connect(&recorrido_, &QTimer::timeout, this, [this] {
            QString error;
            if (!hojas_.Avanzar(kHojasPorPaso, &error)) lienzo->error = error;
            if (hojas_.Completa() || !error.isEmpty()) recorrido_.stop();
            lienzo->Actualizar();
            MostrarEstado();
        });
        if (!hojas_.Completa()) recorrido_.start();
        const QRect pantalla = screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768);
        resize(std::min(900, pantalla.width() * 9 / 10), pantalla.height() * 9 / 10);
        setMinimumSize(480, 360);
        lienzo->setFocus();
        MostrarEstado();
    }

    void Imprimir() {
        QPrinter impresora(QPrinter::HighResolution);
        imprimir_(impresora, this);
    }
    void GuardarPdf() { guardarPdf_(); }

    LienzoHojas* lienzo;
    QLabel* estado;

private:
    static constexpr qint64 kHojasPorPaso = 200;
    void MostrarEstado() {
        const qint64 visible = lienzo->HojaVisible() + 1;
        estado->setText(hojas_.Completa()
                            ? QStringLiteral("Hoja %1 de %2 (%3 etiquetas)").arg(visible).arg(hojas_.Hojas()).arg(hojas_.Total())
                            : QStringLiteral("Hoja %1 de %2 o más…").arg(visible).arg(hojas_.HojasConocidas()));
    }

    HojasEtiquetas& hojas_;
    std::function<void(QPrinter&, QWidget*)> imprimir_;
    std::function<void()> guardarPdf_;
    QTimer recorrido_;
};

}  // namespace

TvPrint2& TvPrint2::instancia() {
    static TvPrint2 t;
    return t;
}

Progreso TvPrint2::EstablecerProgreso(Progreso p) {
    std::swap(p, progreso_);
    return p;
}

bool TvPrint2::TraducirFormula(const QString& formula, const QString& tabla, QString* condicion, QString* error) {
    try {
        const QString c = Traductor(formula, tabla).Traducir();
        if (condicion) *condicion = c;
        return true;
    } catch (const FormulaRechazada& f) {
        if (error) *error = f.motivo;
        return false;
    }
}

QString TvPrint2::RutaInforme(const QString& Reporte) const {
    if (QFileInfo(Reporte).isAbsolute()) return Reporte;
    const QString carpeta = carpeta_.isEmpty() ? plataforma().CarpetaPrograma() : carpeta_;
    return QDir(carpeta).filePath(Reporte);
}

void TvPrint2::ImprimirReporte(const QString& Reporte, const QStringList&, const QString& Formula, const QString&, QString&,
                               QString&, QString&, QString&, const QVariant&, const QString&, const QString&, const QString&) {
    Imprimir(Reporte, Formula, Salida::Vista, QString());
}

TvPrint2::Resultado TvPrint2::ImprimirPdf(const QString& Reporte, const QString& Formula, const QString& archivoPdf) {
    return Imprimir(Reporte, Formula, Salida::Pdf, archivoPdf);
}

TvPrint2::Resultado TvPrint2::Imprimir(const QString& Reporte, const QString& Formula, Salida salida, const QString& archivoPdf) {
    Resultado res;
    auto avisar = [&](const QString& texto, int estilo) {
        res.mensaje = texto;
        plataforma().MsgBox(texto, estilo, QString());
        return res;
    };

    const QString ruta = RutaInforme(Reporte);
    if (!QFileInfo::exists(ruta))
        return avisar(QStringLiteral("No se encuentra el archivo de informe \"%1\".").arg(QDir::toNativeSeparators(ruta)),
                      vb::Critical);
    Informe inf;
    try {
        inf = LeerInforme(ruta);
    } catch (const FalloInforme& f) {
        const QString donde = f.linea > 0 ? QStringLiteral("línea %1: ").arg(f.linea) : QString();
        return avisar(QStringLiteral("El archivo de informe \"%1\" no es válido: %2%3.")
                          .arg(QDir::toNativeSeparators(ruta), donde, f.problema),
                      vb::Critical);
    }

    QString condicion, motivo;
    if (!TraducirFormula(Formula, inf.tabla, &condicion, &motivo))
        return avisar(QStringLiteral("La fórmula de selección no es válida: %1. No se imprimió nada.").arg(motivo), vb::Critical);

    HojasEtiquetas hojas(inf, condicion);
    QString error;
    auto errorDeLectura = [&](const QString& e) {
        return avisar(QStringLiteral("No se pudieron leer los datos del informe \"%1\": %2").arg(QFileInfo(ruta).fileName(), e),
                      vb::Critical);
    };
    if (!hojas.Empezar(&error)) return errorDeLectura(error);
    // A column the layout names but the table lacks is a fault of the report file, told as such
    // rather than printed as blank labels.
    if (const QString falta = hojas.ColumnaFaltante(); !falta.isEmpty())
        return avisar(QStringLiteral("El archivo de informe \"%1\" no es válido: la tabla %2 no tiene la columna %3.")
                          .arg(QDir::toNativeSeparators(ruta), inf.tabla, falta),
                      vb::Critical);
    if (hojas.Completa() && hojas.Total() == 0)
        return avisar(QStringLiteral("No hay etiquetas para imprimir: ninguna posición cumple la selección."), vb::Information);

    const QString titulo = inf.titulo.isEmpty() ? QFileInfo(ruta).completeBaseName() : inf.titulo;

    // Every sheet to a printer or a PDF, behind the progress banner; false when cancelled or failed
    // (the failure already told).
    auto volcar = [&](QPagedPaintDevice& destino, const QString& nombre) -> qint64 {
        // How many sheets: counted by the database, so the banner can say "of how many".
        ResultadoLectura cuenta = LeerFilas(QStringLiteral("SELECT COUNT(*) FROM ") + inf.tabla +
                                            (condicion.isEmpty() ? QString() : QStringLiteral(" WHERE ") + condicion));
        const qint64 total = cuenta.error.isEmpty() && !cuenta.filas.isEmpty() ? cuenta.filas[0].value(0).toLongLong() : 0;
        const qint64 totalHojas = (total + hojas.PorHoja() - 1) / hojas.PorHoja();
        if (progreso_.inicio) progreso_.inicio(nombre);
        const qint64 r = PintarTodo(destino, inf, hojas, totalHojas, progreso_.avance, &error);
        if (progreso_.fin) progreso_.fin();
        return r;
    };
    auto escribirPdf = [&](const QString& archivo) -> bool {
        // Written beside the destination and renamed at the end, so a failed or cancelled run
        // never leaves a PDF, whole or cut, under the name asked for.
        const QString temporal = archivo + QStringLiteral(".part");
        qint64 paginas = 0;
        {
            QPdfWriter pdf(temporal);
            pdf.setResolution(600);
            pdf.setTitle(titulo);
            pdf.setCreator(QStringLiteral("MA_POSICIONES"));
            pdf.setPageLayout(Diseno(inf));
            paginas = volcar(pdf, QStringLiteral("Guardando %1").arg(QFileInfo(archivo).fileName()));
        }
        if (paginas < 0) {
            QFile::remove(temporal);
            return false;
        }
        if (paginas == 0 || (QFile::exists(archivo) && !QFile::remove(archivo)) || !QFile::rename(temporal, archivo)) {
            QFile::remove(temporal);
            avisar(QStringLiteral("No se pudo escribir el archivo \"%1\"%2.")
                       .arg(QDir::toNativeSeparators(archivo), error.isEmpty() ? QString() : QStringLiteral(": ") + error),
                   vb::Critical);
            return false;
        }
        res.paginas = static_cast<int>(paginas);
        res.etiquetas = static_cast<int>(std::min<qint64>(hojas.Total() >= 0 ? hojas.Total() : 0, INT_MAX));
        return true;
    };

    if (salida == Salida::Pdf) {
        if (!escribirPdf(archivoPdf)) return res;
        res.impreso = true;
        return res;
    }

    auto imprimir = [&](QPrinter& impresora, QWidget* sobre) {
        impresora.setFullPage(true);
        impresora.setDocName(titulo);
        if (!impresora.setPageLayout(Diseno(inf))) {
            impresora.setPageSize(Diseno(inf).pageSize());
            impresora.setPageOrientation(Diseno(inf).orientation());
        }
        QPrintDialog dialogo(&impresora, sobre);
        dialogo.setObjectName(QStringLiteral("ImprimirEtiquetas"));
        plataforma().MostrarModal(&dialogo);
        if (dialogo.result() != QDialog::Accepted) return;
        const qint64 paginas = volcar(impresora, QStringLiteral("Imprimiendo %1").arg(titulo));
        if (paginas < 0) {
            impresora.abort();
        } else if (paginas == 0) {
            avisar(QStringLiteral("No se pudo imprimir%1.").arg(error.isEmpty() ? QString() : QStringLiteral(": ") + error),
                   vb::Critical);
        } else {
            res.paginas = static_cast<int>(paginas);
        }
    };
    auto guardarPdf = [&] {
        const QString archivo = plataforma().ElegirArchivoGuardar(
            QStringLiteral("Guardar las etiquetas"), QStringLiteral("Documentos PDF (*.pdf)"), titulo + QStringLiteral(".pdf"));
        if (!archivo.isEmpty()) escribirPdf(archivo);
    };
    VistaEtiquetas vista(inf, hojas, titulo, imprimir, guardarPdf);
    plataforma().MostrarModal(&vista);
    res.impreso = true;
    res.etiquetas = static_cast<int>(std::min<qint64>(hojas.Total() >= 0 ? hojas.Total() : 0, INT_MAX));
    if (res.paginas == 0) res.paginas = static_cast<int>(std::min<qint64>(vista.lienzo->Mostradas(), INT_MAX));
    return res;
}
