#include "services/FuncionesComunes.h"

#include "services/InformeErrores.h"
#include "services/Plataforma.h"

#include <QApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QWidget>
#include <cmath>

FuncionesComunes& FuncionesComunes::instancia() {
    static FuncionesComunes f;
    return f;
}

QString FuncionesComunes::LimitarTexto(const QString& texto, int n) const { return n <= 0 ? QString() : texto.left(n); }

double FuncionesComunes::ValorNumerico(const QString& texto) const {
    const QString t = texto.trimmed();
    int i = 0;
    QString numero;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) numero += t[i++];
    int ultimoSeparador = -1;
    QString cuerpo;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c.isDigit()) cuerpo += c;
        else if (c == QLatin1Char(',') || c == QLatin1Char('.')) {
            cuerpo += c;
            ultimoSeparador = cuerpo.size() - 1;
        } else break;
    }
    if (cuerpo.isEmpty()) return 0.0;
    QString limpio;
    for (int k = 0; k < cuerpo.size(); ++k) {
        if (cuerpo[k].isDigit()) limpio += cuerpo[k];
        else if (k == ultimoSeparador) limpio += QLatin1Char('.');
    }
    bool ok = false;
    double v = (numero + limpio).toDouble(&ok);
    if (!ok) return 0.0;
    return std::round(v * 10000.0) / 10000.0;
}

int FuncionesComunes::ValorEntero(const QString& texto) const {
    const double v = ValorNumerico(texto);
    return static_cast<int>(std::nearbyint(v));
}

QString FuncionesComunes::TextoCampo(const QVariant& valor) const {
    if (!valor.isValid() || valor.isNull()) return QString();
    switch (valor.typeId()) {
    case QMetaType::Bool: return valor.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = valor.toDouble();
        if (d == std::floor(d) && std::fabs(d) < 1e15) return QString::number(static_cast<qint64>(d));
        return QString::number(d, 'g', 15);
    }
    case QMetaType::QDateTime: {
        const QDateTime dt = valor.toDateTime();
        if (dt.time() == QTime(0, 0)) return dt.toString(QStringLiteral("dd/MM/yyyy"));
        return dt.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    }
    case QMetaType::QDate: return valor.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    default: return valor.toString();
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

void FuncionesComunes::SustituirTexto(const QString& texto, const QString& buscar, const QString& reemplazo, QString& resultado) const {
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
        if (!c.isDigit()) soloDigitos = false;
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
    for (int i = 0; i < r.size(); ++i) r[i] = static_cast<char>(r[i] ^ kClave[i % kClave.size()] ^ static_cast<char>((i * 37) & 0xFF));
    return r;
}
}  // namespace

QString FuncionesComunes::Codificar(const QString& texto) const {
    if (texto.isEmpty()) return QString();
    return QLatin1Char('~') + QString::fromLatin1(Mezclar(texto.toUtf8()).toHex().toUpper());
}

QString FuncionesComunes::Decodificar(const QString& texto) const {
    if (!texto.startsWith(QLatin1Char('~'))) return texto;  // stored in clear by hand: used as it is
    const QString hex = texto.mid(1);
    if (hex.size() % 2 != 0) return texto;
    for (const QChar c : hex)
        if (!QStringLiteral("0123456789abcdefABCDEF").contains(c)) return texto;
    return QString::fromUtf8(Mezclar(QByteArray::fromHex(hex.toLatin1())));
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

QString FuncionesComunes::AjustarTexto(const QVariant& valor) const { return TextoCampo(valor).trimmed(); }

QString FuncionesComunes::CarpetaPrograma() const { return RutaCarpeta(plataforma().CarpetaPrograma()); }

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
        if (t[i].isDigit()) ++digitos;
        else if (t[i] == QLatin1Char(',') || t[i] == QLatin1Char('.')) ++separadores;
        else return false;
    }
    return digitos > 0 && separadores <= 1;
}

double FuncionesComunes::Val(const QString& texto) const {
    QString t;
    for (const QChar c : texto)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t')) t += c;
    int i = 0;
    QString n;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) n += t[i++];
    bool punto = false, digito = false;
    for (; i < t.size(); ++i) {
        if (t[i].isDigit() && t[i].unicode() < 128) {
            n += t[i];
            digito = true;
        } else if (t[i] == QLatin1Char('.') && !punto) {
            n += t[i];
            punto = true;
        } else break;
    }
    if (!digito) return 0.0;
    return n.toDouble();
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
