#include "lookup/AnchosConsulta.h"

#include "services/CodePage.h"
#include "services/FuncionesComunes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace anchos {

namespace {

// The suite's whole-number rounding (half to even).
double Redondear(double v) {
    return std::nearbyint(v);
}

// Widths beyond this are not something an operator can have dragged: a sign of a damaged file.
constexpr double kAnchoMaximoCreible = 200000;

// One line of the file: two fields, each enclosed in double quotes, separated by a comma.
bool PartirLinea(const QString& linea, QString& tabla, QString& anchos) {
    const QString l = linea.trimmed();
    if (l.size() < 5 || !l.startsWith(QLatin1Char('"')) || !l.endsWith(QLatin1Char('"'))) return false;
    const int cierre = l.indexOf(QLatin1Char('"'), 1);
    if (cierre < 0 || cierre + 2 >= l.size() || l.at(cierre + 1) != QLatin1Char(',') || l.at(cierre + 2) != QLatin1Char('"'))
        return false;
    tabla = l.mid(1, cierre - 1);
    anchos = l.mid(cierre + 3, l.size() - cierre - 4);
    if (anchos.contains(QLatin1Char('"')) || tabla.trimmed().isEmpty()) return false;
    for (const QChar c : tabla)
        if (c.unicode() < 32) return false;
    return true;
}

// The file's lines as they are in it; each is read as UTF-8 when it is valid UTF-8 and otherwise
// in the suite's code page, so a line another program wrote in either reads right.
QList<QByteArray> LineasArchivo(const QString& archivo, bool* ok) {
    QFile f(archivo);
    if (!f.open(QIODevice::ReadOnly)) {
        if (ok) *ok = false;
        return {};
    }
    if (ok) *ok = true;
    return cp1252::LineasCrudas(f.readAll());
}

}  // namespace

Calculo CalcularAncho(const QVector<double>& columnas, double anchoPantalla) {
    Calculo c;
    double izquierda = 0;
    for (const double a : columnas) {
        c.izquierdas.append(izquierda);
        c.anchosCajas.append(a - 50);
        izquierda += a;
        c.total += a;
    }
    c.anchoLista = c.total + 360;
    c.anchoPic = Redondear(c.total) + 360;
    c.anchoBarra = c.total;
    c.maximoBarra = c.anchoPic > 32700 ? 32700 : static_cast<int>(Redondear((c.anchoPic + 480) * 0.6));
    c.anchoVentana = c.anchoLista + 360 >= anchoPantalla ? anchoPantalla - 480 : c.anchoLista + 280;
    return c;
}

Disposicion Redimensionar(double anchoVentana, double altoVentana, const Medidas& m) {
    Disposicion d;
    d.picAncho = anchoVentana - 120;
    d.listaAncho = d.picAncho - 20;
    d.frameAncho = anchoVentana;
    d.barraAncho = anchoVentana - 120;
    d.frameTop = std::max(0.0, altoVentana - m.altoFrame);
    d.barraTop = std::max(0.0, d.frameTop - m.altoBarra);
    d.picAlto = std::max(0.0, d.barraTop - m.altoTitulo);
    d.listaAlto = std::max(0.0, d.picAlto - m.altoCaja);
    d.aceptarLeft = 100;
    d.aceptarAncho = m.anchoAceptar;
    d.cancelarAncho = m.anchoCancelar;
    d.cancelarLeft = (d.frameAncho - m.anchoCancelar) / 2;
    d.nuevaLeft = d.frameAncho - (m.anchoCancelar + 150);
    if (!m.nuevaVisible) {
        if (m.anchoAceptar + m.anchoCancelar + 400 > d.frameAncho) {
            d.aceptarAncho = m.anchoAceptar / 2;
            d.cancelarAncho = d.aceptarAncho;
            d.cancelarLeft = d.frameAncho - (d.cancelarAncho + 150);
            d.nuevaLeft = d.cancelarLeft;
        } else {
            d.cancelarLeft = d.nuevaLeft;
        }
    }
    d.labelAncho = d.listaAncho - m.anchoNuevo;
    return d;
}

QString TablaAnchos(const QString& tabla) {
    if (tabla.trimmed().compare(QStringLiteral("Stk_ma_articulos"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("VT_MA_ARTICULOS");
    return tabla.trimmed();
}

std::optional<QVector<double>> LeerAnchos(const QString& archivo, const QString& tabla, int columnas) {
    if (!QFileInfo::exists(archivo)) return std::nullopt;
    bool ok = false;
    const QList<QByteArray> lineas = LineasArchivo(archivo, &ok);
    if (!ok) return std::nullopt;
    const QString buscada = TablaAnchos(tabla);
    auto& fc = FuncionesComunes::instancia();
    for (const QByteArray& cruda : lineas) {
        QString t, texto;
        if (!PartirLinea(cp1252::DecodificarTexto(cruda), t, texto) || t.trimmed().compare(buscada, Qt::CaseInsensitive) != 0)
            continue;
        // Every column must find its width before any is applied.
        QVector<double> r;
        for (int i = 0; i < columnas; ++i) {
            const int barra = texto.indexOf(QLatin1Char('|'));
            if (barra < 0) return std::nullopt;
            const QString pieza = texto.left(barra).trimmed();
            texto = texto.mid(barra + 1);
            if (pieza.isEmpty() || !(pieza.at(0).isDigit() || pieza.at(0) == QLatin1Char('.') || pieza.at(0) == QLatin1Char(',')))
                return std::nullopt;
            const double v = fc.ValorNumerico(pieza);
            if (!(v > 0) || v > kAnchoMaximoCreible) return std::nullopt;
            r.append(v);
        }
        return r;
    }
    return std::nullopt;
}

bool GrabarAnchos(const QString& archivo, const QString& tabla, const QVector<double>& anchos, QString* error) {
    const QString nombre = TablaAnchos(tabla);
    QFileInfo fi(archivo);
    const QString aux = fi.dir().filePath(fi.completeBaseName() + QStringLiteral(".AUX"));
    QByteArray bytes;
    if (fi.exists()) {
        bool ok = false;
        const QList<QByteArray> lineas = LineasArchivo(archivo, &ok);
        if (!ok) {
            if (error) *error = QStringLiteral("No se puede leer ") + archivo;
            return false;
        }
        // The other tables' lines go over byte for byte: re-encoding them could change what
        // another program finds there.
        for (const QByteArray& cruda : lineas) {
            QString t, texto;
            if (!PartirLinea(cp1252::DecodificarTexto(cruda), t, texto)) continue;
            if (t.trimmed().compare(nombre, Qt::CaseInsensitive) == 0) continue;
            bytes += cruda + QByteArrayLiteral("\r\n");
        }
    }
    QString propios;
    for (const double a : anchos) propios += QString::number(a, 'g', 15) + QLatin1Char('|');
    bytes += cp1252::CodificarLinea(QLatin1Char('"') + nombre + QStringLiteral("\",\"") + propios + QLatin1Char('"')) +
             QByteArrayLiteral("\r\n");

    QFile f(aux);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error) *error = f.errorString();
        return false;
    }
    if (f.write(bytes) != bytes.size()) {
        if (error) *error = f.errorString();
        f.close();
        QFile::remove(aux);
        return false;
    }
    f.close();
    if (fi.exists() && !QFile::remove(archivo)) {
        if (error) *error = QStringLiteral("No se puede reemplazar ") + archivo;
        return false;
    }
    if (!QFile::rename(aux, archivo)) {
        if (error) *error = QStringLiteral("No se puede renombrar ") + aux;
        return false;
    }
    return true;
}

}  // namespace anchos
