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
// to the closing one and may hold commas and doubled quotes (what a file written with quoting
// looks like).
QStringList CamposLinea(const QString& linea) {
    QStringList campos;
    const qsizetype n = linea.size();
    qsizetype i = 0;
    for (;;) {
        while (i < n && (linea[i] == QLatin1Char(' ') || linea[i] == QLatin1Char('\t'))) ++i;
        QString valor;
        if (i < n && linea[i] == QLatin1Char('"')) {
            // Inside quotes a doubled quote stands for one.
            qsizetype j = i + 1;
            bool cerrado = false;
            while (j < n) {
                if (linea[j] == QLatin1Char('"')) {
                    if (j + 1 < n && linea[j + 1] == QLatin1Char('"')) {
                        valor += QLatin1Char('"');
                        j += 2;
                        continue;
                    }
                    cerrado = true;
                    break;
                }
                valor += linea[j++];
            }
            if (!cerrado) {
                i = n;
            } else {
                const qsizetype coma = linea.indexOf(QLatin1Char(','), j + 1);
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

// A field as written: in quotes, with its own quotes doubled, when it holds a comma or a quote, so
// that the reader gets it back whole; any other field as it is, as the suite's files hold them.
QString CampoEscrito(const QString& valor) {
    const QString v = valor.trimmed();
    if (!v.contains(QLatin1Char(',')) && !v.contains(QLatin1Char('"'))) return v;
    return QLatin1Char('"') + QString(v).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
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
    for (const QByteArray& cruda : cp1252::LineasCrudas(contenido)) {
        const QString linea = cp1252::DecodificarTexto(cruda);
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

    QByteArray registro = cp1252::CodificarLinea(LineaRegistro(clave, baseDatos, usuario, password, servidor)) + "\r\n";
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
