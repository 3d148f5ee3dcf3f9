#include "services/TvPrint2.h"

#include "services/LectorFilas.h"
#include "services/Plataforma.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QTextStream>

#include <zint.h>

#include <algorithm>
#include <cmath>
#include <memory>

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

struct Datos {
    QVector<QVariantList> filas;
    QHash<QString, int> indice;  // column name, lower case -> index
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

void DibujarTexto(QPainter& p, const Escala& k, const QRectF& caja, const Elemento& e, const QString& texto) {
    QFont fuente(QStringLiteral("DejaVu Sans"));
    fuente.setPointSizeF(e.puntos);
    fuente.setBold(e.negrita);
    const QRectF r = k(caja);
    // A long code is shrunk to fit rather than cut: the operator must be able to read it whole.
    // Other texts keep their size and are elided.
    QFontMetricsF m(fuente, p.device());
    QString mostrado = texto;
    const double ancho = m.horizontalAdvance(texto);
    if (ancho > r.width()) {
        if (e.negrita) {
            fuente.setPointSizeF(std::max(4.0, e.puntos * r.width() / ancho * 0.98));
            m = QFontMetricsF(fuente, p.device());
        }
        mostrado = m.elidedText(texto, Qt::ElideRight, r.width());
    }
    p.setFont(fuente);
    p.setPen(Qt::black);
    p.drawText(r, static_cast<int>(e.alineacion | Qt::AlignVCenter) | Qt::TextSingleLine, mostrado);
}

// Draws the symbol from zint's vector output, scaled into the box with its quiet zones kept free.
void DibujarBarras(QPainter& p, const Escala& k, const QRectF& caja, const Elemento& e, const QString& dato) {
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
        DibujarTexto(p, k, caja, aviso, QStringLiteral("(código no imprimible: %1)").arg(QString::fromLatin1(s->errtxt)));
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

// Draws every label, filling each sheet row by row. Returns the number of pages drawn.
int Pintar(QPagedPaintDevice& dispositivo, const Informe& inf, const Datos& d, QString* error) {
    QPainter p;
    if (!p.begin(&dispositivo)) {
        *error = QStringLiteral("no se pudo empezar a dibujar");
        return 0;
    }
    const Escala k{dispositivo.logicalDpiX() / 25.4, dispositivo.logicalDpiY() / 25.4};
    const int porHoja = inf.columnas * inf.filas;
    int paginas = 0;
    for (qsizetype n = 0; n < d.filas.size(); ++n) {
        const int lugar = static_cast<int>(n % porHoja);
        if (lugar == 0) {
            if (paginas > 0) dispositivo.newPage();
            ++paginas;
        }
        const QPointF origen(inf.margen.left() + (lugar % inf.columnas) * (inf.etiqueta.width() + inf.separacion.width()),
                             inf.margen.top() + (lugar / inf.columnas) * (inf.etiqueta.height() + inf.separacion.height()));
        if (inf.borde) {
            p.setPen(QPen(Qt::lightGray, 0));
            p.drawRect(k(QRectF(origen, inf.etiqueta)));
        }
        const QVariantList& fila = d.filas[n];
        for (const Elemento& e : inf.elementos) {
            const QRectF caja = e.caja.translated(origen);
            if (e.tipo == Elemento::Tipo::Texto)
                DibujarTexto(p, k, caja, e, Plantilla(d, fila, e.plantilla));
            else
                DibujarBarras(p, k, caja, e, Valor(d, fila, e.campo));
        }
    }
    p.end();
    return paginas;
}

QPageLayout Diseno(const Informe& inf) {
    const bool apaisado = inf.papel.width() > inf.papel.height();
    const QSizeF vertical = apaisado ? inf.papel.transposed() : inf.papel;
    return QPageLayout(QPageSize(vertical, QPageSize::Millimeter), apaisado ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

}  // namespace

TvPrint2& TvPrint2::instancia() {
    static TvPrint2 t;
    return t;
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

    const QString sql = QStringLiteral("SELECT * FROM ") + inf.tabla +
                        (condicion.isEmpty() ? QString() : QStringLiteral(" WHERE ") + condicion) + QStringLiteral(" ORDER BY ") +
                        inf.orden;
    ResultadoLectura leido = LeerFilas(sql);
    if (!leido.error.isEmpty())
        return avisar(
            QStringLiteral("No se pudieron leer los datos del informe \"%1\": %2").arg(QFileInfo(ruta).fileName(), leido.error),
            vb::Critical);

    Datos d;
    for (int i = 0; i < leido.columnas.size(); ++i) d.indice.insert(leido.columnas[i].toLower(), i);
    // A column the layout names but the table lacks is a fault of the report file, told as such
    // rather than printed as blank labels.
    for (const Elemento& e : inf.elementos) {
        const QStringList usados = e.tipo == Elemento::Tipo::Barras ? QStringList{e.campo} : Campos(e.plantilla, 0);
        for (const QString& c : usados)
            if (!d.indice.contains(c.toLower()))
                return avisar(QStringLiteral("El archivo de informe \"%1\" no es válido: la tabla %2 no tiene la columna %3.")
                                  .arg(QDir::toNativeSeparators(ruta), inf.tabla, c),
                              vb::Critical);
    }
    if (leido.filas.isEmpty())
        return avisar(QStringLiteral("No hay etiquetas para imprimir: ninguna posición cumple la selección."), vb::Information);
    d.filas = std::move(leido.filas);

    const QString titulo = inf.titulo.isEmpty() ? QFileInfo(ruta).completeBaseName() : inf.titulo;
    QString error;
    if (salida == Salida::Pdf) {
        // Written beside the destination and renamed at the end, so a failed run never leaves a
        // truncated PDF under the name the caller asked for.
        const QString temporal = archivoPdf + QStringLiteral(".part");
        {
            QPdfWriter pdf(temporal);
            pdf.setResolution(600);
            pdf.setTitle(titulo);
            pdf.setCreator(QStringLiteral("MA_POSICIONES"));
            pdf.setPageLayout(Diseno(inf));
            res.paginas = Pintar(pdf, inf, d, &error);
        }
        if (res.paginas == 0 || (QFile::exists(archivoPdf) && !QFile::remove(archivoPdf)) ||
            !QFile::rename(temporal, archivoPdf)) {
            QFile::remove(temporal);
            return avisar(
                QStringLiteral("No se pudo escribir el archivo \"%1\"%2.")
                    .arg(QDir::toNativeSeparators(archivoPdf), error.isEmpty() ? QString() : QStringLiteral(": ") + error),
                vb::Critical);
        }
    } else {
        QPrinter impresora(QPrinter::HighResolution);
        impresora.setFullPage(true);
        impresora.setDocName(titulo);
        if (!impresora.setPageLayout(Diseno(inf))) {
            impresora.setPageSize(Diseno(inf).pageSize());
            impresora.setPageOrientation(Diseno(inf).orientation());
        }
        QPrintPreviewDialog vista(&impresora);
        vista.setObjectName(QStringLiteral("VistaPreviaEtiquetas"));
        vista.setWindowTitle(titulo);
        QObject::connect(&vista, &QPrintPreviewDialog::paintRequested, &vista,
                         [&](QPrinter* destino) { res.paginas = Pintar(*destino, inf, d, &error); });
        plataforma().MostrarModal(&vista);
    }
    res.impreso = true;
    res.etiquetas = static_cast<int>(d.filas.size());
    return res;
}
