#include "registry/RegistroBases.h"

#include "services/CodePage.h"
#include "services/ErrorEjecucion.h"
#include "services/FuncionesComunes.h"
#include "services/Plataforma.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

namespace {

constexpr long kErrorAcceso = errnum::PathFileAccess;

[[noreturn]] void FallarAcceso(const QString& ruta, const QString& detalle) {
    throw ErrorEjecucion(kErrorAcceso, QStringLiteral("Path/File access error: %1 (%2)").arg(ruta, detalle));
}

// The fields of one line. Unquoted fields are trimmed; a field that opens with a double quote runs
// to the closing one and may hold commas (what a file written with quoting looks like).
QStringList CamposLinea(const QString& linea) {
    QStringList campos;
    const qsizetype n = linea.size();
    qsizetype i = 0;
    for (;;) {
        while (i < n && (linea[i] == QLatin1Char(' ') || linea[i] == QLatin1Char('\t'))) ++i;
        QString valor;
        if (i < n && linea[i] == QLatin1Char('"')) {
            const qsizetype cierre = linea.indexOf(QLatin1Char('"'), i + 1);
            if (cierre < 0) {
                valor = linea.mid(i + 1);
                i = n;
            } else {
                valor = linea.mid(i + 1, cierre - i - 1);
                const qsizetype coma = linea.indexOf(QLatin1Char(','), cierre + 1);
                i = coma < 0 ? n : coma;
            }
        } else {
            const qsizetype coma = linea.indexOf(QLatin1Char(','), i);
            const qsizetype fin = coma < 0 ? n : coma;
            valor = linea.mid(i, fin - i).trimmed();
            i = fin;
        }
        campos << valor;
        if (i >= n) break;
        ++i;  // past the comma: a trailing comma still yields one (empty) field
    }
    return campos;
}

// A field as written: in quotes only when it holds a comma, so that the reader gets it back whole.
QString CampoEscrito(const QString& valor) {
    const QString v = valor.trimmed();
    if (v.contains(QLatin1Char(',')) && !v.contains(QLatin1Char('"'))) return QLatin1Char('"') + v + QLatin1Char('"');
    return v;
}

// A line in the code page of the suite's files when it fits there and reads back unchanged,
// otherwise in UTF-8 (which every reader of this file recognises line by line).
QByteArray BytesLinea(const QString& linea) {
    const QByteArray cp = cp1252::Codificar(linea);
    if (cp1252::DecodificarTexto(cp) == linea) return cp;
    return linea.toUtf8();
}

}  // namespace

QString RutaRegistroBases() {
    return FuncionesComunes::instancia().RutaCarpeta(plataforma().CarpetaPrograma()) + QStringLiteral("BASES.TXT");
}

QString ClaveConexion(const QString& baseDatos, const QString& servidor) {
    QString srv = servidor.trimmed().toUpper();
    const qsizetype dosPuntos = srv.indexOf(QLatin1Char(':'));
    if (dosPuntos >= 0) srv = srv.left(dosPuntos);
    return baseDatos.trimmed().toUpper() + QStringLiteral(" / ") + srv;
}

QList<RegistroConexion> AnalizarRegistroBases(const QByteArray& contenido) {
    QList<RegistroConexion> registros;
    const qsizetype n = contenido.size();
    qsizetype inicio = 0;
    while (inicio < n) {
        qsizetype fin = inicio;
        while (fin < n && contenido[fin] != '\r' && contenido[fin] != '\n') ++fin;
        const QString linea = cp1252::DecodificarTexto(contenido.mid(inicio, fin - inicio));
        // CR LF is one line end; CR or LF alone is one too.
        inicio = fin + ((fin + 1 < n && contenido[fin] == '\r' && contenido[fin + 1] == '\n') ? 2 : 1);
        if (linea.trimmed().isEmpty()) continue;
        QStringList campos = CamposLinea(linea);
        while (campos.size() < 5) campos << QString();
        RegistroConexion r;
        r.clave = campos[0];
        r.baseDatos = campos[1];
        r.usuario = campos[2];
        r.password = campos[3];
        r.servidor = campos.mid(4).join(QLatin1Char(','));
        registros << r;
    }
    return registros;
}

QList<RegistroConexion> LeerRegistroBases(const QString& ruta) {
    const QFileInfo info(ruta);
    if (!info.exists()) return {};
    QFile f(ruta);
    if (info.isDir() || !f.open(QIODevice::ReadOnly)) FallarAcceso(ruta, f.errorString());
    const QByteArray contenido = f.readAll();
    if (f.error() != QFileDevice::NoError) FallarAcceso(ruta, f.errorString());
    return AnalizarRegistroBases(contenido);
}

QString LineaRegistro(const QString& clave, const QString& baseDatos, const QString& usuario, const QString& password,
                      const QString& servidor) {
    const QString codificada = FuncionesComunes::instancia().Codificar(password);
    return QStringList{CampoEscrito(clave), CampoEscrito(baseDatos), CampoEscrito(usuario), CampoEscrito(codificada),
                       CampoEscrito(servidor)}
        .join(QLatin1Char(','));
}

void AgregaConexion(const QString& clave, const QString& baseDatos, const QString& usuario, const QString& password,
                    const QString& servidor) {
    const QString ruta = RutaRegistroBases();
    const QFileInfo info(ruta);
    QByteArray previo;
    if (info.exists()) {
        QFile f(ruta);
        if (info.isDir() || !f.open(QIODevice::ReadOnly)) FallarAcceso(ruta, f.errorString());
        previo = f.readAll();
        if (f.error() != QFileDevice::NoError) FallarAcceso(ruta, f.errorString());
        // A registry the operator made read-only stays as it is.
        if (!info.isWritable()) FallarAcceso(ruta, QStringLiteral("read-only"));
    }

    QByteArray registro = BytesLinea(LineaRegistro(clave, baseDatos, usuario, password, servidor)) + "\r\n";
    // What follows the last line end: text there means the file's last line has no line end, and
    // the new record must not be glued to it. Trailing blanks alone do not count.
    const qsizetype ultimoFin = std::max(previo.lastIndexOf('\r'), previo.lastIndexOf('\n'));
    if (!previo.mid(ultimoFin + 1).trimmed().isEmpty()) registro.prepend('\r');

    QSaveFile nuevo(ruta);
    if (nuevo.open(QIODevice::WriteOnly)) {
        nuevo.write(previo);
        nuevo.write(registro);
        if (!nuevo.commit()) FallarAcceso(ruta, nuevo.errorString());
        return;
    }
    // A folder where no temporary file may be created (but the file itself is writable): append
    // the whole record in one write, which never cuts what is already there.
    QFile f(ruta);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) FallarAcceso(ruta, f.errorString());
    if (f.write(registro) != registro.size() || !f.flush()) FallarAcceso(ruta, f.errorString());
}
