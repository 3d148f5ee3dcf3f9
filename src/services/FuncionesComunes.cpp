#include "services/FuncionesComunes.h"

#include "services/InformeErrores.h"
#include "services/Plataforma.h"

#include <QApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

FuncionesComunes& FuncionesComunes::instancia() {
    static FuncionesComunes f;
    return f;
}

QString FuncionesComunes::LimitarTexto(const QString& texto, int n) const {
    if (n <= 0) return QString();
    QString r = texto.left(n);
    // A character beyond the first plane takes two units: never keep the first half of one (a
    // text box with a maximum length may already have cut it so).
    // (Read through a const view: the writable back() would copy a text shared with the caller.)
    if (!r.isEmpty() && std::as_const(r).back().isHighSurrogate()) r.chop(1);
    return r;
}

namespace {

bool DigitoAscii(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The leading number of a text as operators and the suite's files write it: optional sign, then
// digits with commas and points. When both separators appear the last one is the decimal separator
// and the other groups thousands; a separator that appears more than once can only group thousands
// ("1.234.567"). Only ASCII digits count, so that what is accepted here is what toDouble reads.
// False when the text does not start with a number.
bool NumeroInicial(const QString& texto, double& valor) {
    const QString t = texto.trimmed();
    int i = 0;
    QString signo;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) signo = t[i++];
    QString cuerpo;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (DigitoAscii(c) || c == QLatin1Char(',') || c == QLatin1Char('.'))
            cuerpo += c;
        else
            break;
    }
    int decimal = std::max(cuerpo.lastIndexOf(QLatin1Char(',')), cuerpo.lastIndexOf(QLatin1Char('.')));
    if (decimal >= 0 && cuerpo.count(cuerpo[decimal]) > 1) decimal = -1;
    QString limpio;
    bool digito = false;
    for (int k = 0; k < cuerpo.size(); ++k) {
        if (DigitoAscii(cuerpo[k])) {
            limpio += cuerpo[k];
            digito = true;
        } else if (k == decimal) {
            limpio += QLatin1Char('.');
        }
    }
    if (!digito) return false;
    bool ok = false;
    valor = (signo + limpio).toDouble(&ok);
    return ok;
}

}  // namespace

double FuncionesComunes::ValorNumerico(const QString& texto) const {
    double v = 0.0;
    if (!NumeroInicial(texto, v)) return 0.0;
    const double escalado = v * 10000.0;
    return std::isfinite(escalado) ? std::round(escalado) / 10000.0 : v;
}

int FuncionesComunes::ValorEntero(const QString& texto) const {
    // Rounded from the full value, not from the currency-precision one: "2,50001" is 3, not the
    // even neighbour of 2.5.
    double v = 0.0;
    if (!NumeroInicial(texto, v)) return 0;
    v = std::nearbyint(v);
    if (v >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (v <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

QString FuncionesComunes::TextoCampo(const QVariant& valor) const {
    if (!valor.isValid() || valor.isNull()) return QString();
    switch (valor.typeId()) {
        case QMetaType::Bool:
            return valor.toBool() ? QStringLiteral("1") : QStringLiteral("0");
        case QMetaType::Double:
        case QMetaType::Float: {
            const double d = valor.toDouble();
            if (d == std::floor(d) && std::fabs(d) < 1e15) return QString::number(static_cast<qint64>(d));
            // A single-precision value only holds about 7 significant digits; more would show the
            // binary rounding (0.1f is 0.100000001490116...).
            return QString::number(d, 'g', valor.typeId() == QMetaType::Float ? 7 : 15);
        }
        case QMetaType::QTime:
            return valor.toTime().toString(QStringLiteral("HH:mm:ss"));
        case QMetaType::QDateTime: {
            const QDateTime dt = valor.toDateTime();
            if (dt.time() == QTime(0, 0)) return dt.toString(QStringLiteral("dd/MM/yyyy"));
            return dt.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
        }
        case QMetaType::QDate:
            return valor.toDate().toString(QStringLiteral("dd/MM/yyyy"));
        default:
            return valor.toString();
    }
}

int FuncionesComunes::CantidadPalabras(const QString& texto) const {
    return static_cast<int>(texto.split(QLatin1Char(' '), Qt::SkipEmptyParts).size());
}

QString FuncionesComunes::QuitarCaracter(const QString& texto, const QString& caracter) const {
    if (caracter.isEmpty()) return texto;
    QString r = texto;
    r.remove(caracter, Qt::CaseSensitive);
    return r;
}

QString FuncionesComunes::ReemplazarTexto(const QString& texto, const QString& buscar, const QString& reemplazo) const {
    if (buscar.isEmpty()) return texto;
    QString r = texto;
    r.replace(buscar, reemplazo, Qt::CaseSensitive);
    return r;
}

void FuncionesComunes::SustituirTexto(const QString& texto, const QString& buscar, const QString& reemplazo,
                                      QString& resultado) const {
    resultado = ReemplazarTexto(texto, buscar, reemplazo);
}

bool FuncionesComunes::ElegirFecha(QDate& fecha) const {
    const auto elegida = plataforma().ElegirFecha(fecha);
    if (!elegida) return false;
    fecha = *elegida;
    return true;
}

void FuncionesComunes::PrepararVentana(QWidget* ventana, bool) const {
    if (!ventana) return;
    // Windows of the suite open centred on the screen they appear on, at least at their size hint.
    if (ventana->isWindow() && !ventana->isVisible()) {
        ventana->resize(ventana->size().expandedTo(ventana->sizeHint()));
        if (QScreen* s = ventana->screen() ? ventana->screen() : QGuiApplication::primaryScreen()) {
            const QRect r = s->availableGeometry();
            ventana->move(r.center() - QPoint(ventana->width() / 2, ventana->height() / 2));
        }
    }
}

void FuncionesComunes::Restablecer(int) const {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
}

QString FuncionesComunes::FormatoLongitud(const QString& texto, int n) const {
    if (n <= 0) return QString();
    if (texto.size() > n) return texto.left(n);
    const QString t = texto.trimmed();
    bool soloDigitos = !t.isEmpty();
    for (const QChar c : t)
        if (!DigitoAscii(c)) soloDigitos = false;
    if (soloDigitos) return t.rightJustified(n, QLatin1Char(' '));
    return t;
}

int FuncionesComunes::ErrorRutina(const ErrorEjecucion& error, const QString& rutina) const {
    informe::Opciones o;
    o.sufijoTitulo = QStringLiteral(" Aviso al operador!!! - 2 ");
    o.rutaLog = informe::CarpetaLogTemporal() + QStringLiteral("TVERR.LOG");
    o.abrirAntes = true;
    return informe::Informar(error, informe::EstiloPorDefecto, rutina, o);
}

namespace {
// The stored form is "~" followed by the hex digits of the UTF-8 bytes, each mixed with a rolling
// key. It keeps credentials out of sight in files and tables, survives comma-separated files and
// single-byte code pages, and is exactly reversible.
const QByteArray kClave = QByteArrayLiteral("OrbeKitTolvane2021");

QByteArray Mezclar(const QByteArray& datos) {
    QByteArray r = datos;
    for (int i = 0; i < r.size(); ++i)
        r[i] = static_cast<char>(r[i] ^ kClave[i % kClave.size()] ^ static_cast<char>((i * 37) & 0xFF));
    return r;
}
}  // namespace

QString FuncionesComunes::Codificar(const QString& texto) const {
    if (texto.isEmpty()) return QString();
    if (texto.isValidUtf16()) return QLatin1Char('~') + QString::fromLatin1(Mezclar(texto.toUtf8()).toHex().toUpper());
    // A lone surrogate half has no UTF-8 form: such a text keeps its UTF-16 units, under a second
    // mark, so that decoding still gives back exactly what was encoded.
    QByteArray unidades;
    unidades.reserve(texto.size() * 2);
    for (const QChar c : texto) {
        unidades += static_cast<char>(c.unicode() & 0xFF);
        unidades += static_cast<char>(c.unicode() >> 8);
    }
    return QStringLiteral("~~") + QString::fromLatin1(Mezclar(unidades).toHex().toUpper());
}

QString FuncionesComunes::Decodificar(const QString& texto) const {
    if (!texto.startsWith(QLatin1Char('~'))) return texto;  // stored in clear by hand: used as it is
    const bool utf16 = texto.startsWith(QStringLiteral("~~"));
    const QString hex = texto.mid(utf16 ? 2 : 1);
    if (hex.size() % (utf16 ? 4 : 2) != 0) return texto;
    for (const QChar c : hex)
        if (!QStringLiteral("0123456789abcdefABCDEF").contains(c)) return texto;
    const QByteArray bytes = Mezclar(QByteArray::fromHex(hex.toLatin1()));
    if (!utf16) return QString::fromUtf8(bytes);
    QString r;
    r.reserve(bytes.size() / 2);
    for (int i = 0; i + 1 < bytes.size(); i += 2)
        r += QChar(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return r;
}

QString FuncionesComunes::RutaCarpeta(const QString& carpeta) const {
    if (carpeta.isEmpty() || carpeta.endsWith(QLatin1Char('/'))) return carpeta;
    return carpeta + QLatin1Char('/');
}

QString FuncionesComunes::LimpiarCampoFijo(const QString& campo) const {
    QString r;
    r.reserve(campo.size());
    for (const QChar c : campo)
        if (c.unicode() != 0 && (c.unicode() >= 32 || c == QLatin1Char('\t'))) r += c;
    return r.trimmed();
}

QString FuncionesComunes::AjustarTexto(const QVariant& valor) const {
    return TextoCampo(valor).trimmed();
}

QString FuncionesComunes::CarpetaPrograma() const {
    return RutaCarpeta(plataforma().CarpetaPrograma());
}

QVariant FuncionesComunes::ConvertirValor(const QString& texto) const {
    if (EsNumerico(texto)) return ValorNumerico(texto);
    return texto;
}

bool FuncionesComunes::EsNumerico(const QString& texto) const {
    const QString t = texto.trimmed();
    if (t.isEmpty()) return false;
    int i = 0;
    if (t[0] == QLatin1Char('-') || t[0] == QLatin1Char('+')) ++i;
    int digitos = 0, separadores = 0;
    for (; i < t.size(); ++i) {
        if (DigitoAscii(t[i]))
            ++digitos;
        else if (t[i] == QLatin1Char(',') || t[i] == QLatin1Char('.'))
            ++separadores;
        else
            return false;
    }
    return digitos > 0 && separadores <= 1;
}

double FuncionesComunes::Val(const QString& texto) const {
    // Blanks, tabs and line feeds are skipped anywhere, so " 1 2" reads 12.
    QString t;
    for (const QChar c : texto)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n')) t += c;
    int i = 0;
    QString n;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) n += t[i++];
    bool punto = false, digito = false;
    for (; i < t.size(); ++i) {
        if (DigitoAscii(t[i])) {
            n += t[i];
            digito = true;
        } else if (t[i] == QLatin1Char('.') && !punto) {
            n += t[i];
            punto = true;
        } else
            break;
    }
    if (!digito) return 0.0;
    // An exponent (E or D, as the suite's numbers may be written) counts only when digits follow:
    // "1E3" is 1000, "12E" and "3Dx" stop before the letter.
    if (i < t.size() && QStringLiteral("eEdD").contains(t[i])) {
        int j = i + 1;
        QString exponente = QStringLiteral("e");
        if (j < t.size() && (t[j] == QLatin1Char('-') || t[j] == QLatin1Char('+'))) exponente += t[j++];
        const int inicio = j;
        while (j < t.size() && DigitoAscii(t[j])) exponente += t[j++];
        if (j > inicio) n += exponente;
    }
    bool ok = false;
    const double v = n.toDouble(&ok);
    return ok ? v : 0.0;
}

QString FuncionesComunes::NombrePropio(const QString& texto) const {
    QString r = texto.toLower();
    bool inicio = true;
    for (int i = 0; i < r.size(); ++i) {
        if (r[i].isLetter()) {
            if (inicio) r[i] = r[i].toUpper();
            inicio = false;
        } else if (r[i].isSpace()) {
            inicio = true;
        } else {
            inicio = false;
        }
    }
    return r;
}
