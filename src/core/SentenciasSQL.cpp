#include "core/SentenciasSQL.h"

#include "core/Auditoria.h"
#include "core/Configuracion.h"
#include "core/MascaraConsulta.h"
#include "core/MostrarError.h"
#include "db/DB_Dll.h"
#include "services/FuncionesComunes.h"
#include "services/FuncionesSistema.h"
#include "services/Pasos.h"
#include "services/Plataforma.h"
#include "services/Sesion.h"

#include <QFile>

namespace {
const QString CR = QStringLiteral("\r");
const QString CRLF = QStringLiteral("\r\n");
}  // namespace

ListaCampos& gCampos() {
    static ListaCampos c{CampoPendiente()};
    return c;
}

QStringList& gSentencias() {
    static QStringList s;
    return s;
}

void AgregaCampo(const QString& Campo, QString& Valor, const QString& Tipo, bool Nuevo) {
    auto& campos = gCampos();
    if (Nuevo)
        campos = ListaCampos{CampoPendiente()};
    else
        campos.append(CampoPendiente());
    Valor.remove(QLatin1Char('\''));
    campos.last().first = Campo;
    campos.last().second =
        Valor.toUpper() == QLatin1String("NULL") ? QStringLiteral("Null") : DB_Dll::SQLValue(QVariant(Valor), Tipo);
}

void ArmaSentencia(ListaCampos& campos, QStringList& sentencias, const QString& Tabla, bool EsUpdate, QString& Where,
                   bool Conservar) {
    QString sentencia;
    if (EsUpdate) {
        QStringList asignaciones;
        for (const auto& c : campos) asignaciones << c.first + QStringLiteral(" = ") + c.second;
        if (!Where.contains(QStringLiteral("WHERE"), Qt::CaseInsensitive)) Where = QStringLiteral(" WHERE ") + Where;
        sentencia = QStringLiteral("UPDATE ") + Tabla + QStringLiteral(" SET ") + asignaciones.join(QLatin1Char(',')) +
                    QStringLiteral(" ") + Where;
    } else {
        QStringList nombres, valores;
        for (const auto& c : campos) {
            nombres << c.first;
            valores << c.second;
        }
        sentencia = QStringLiteral("INSERT INTO ") + Tabla + QStringLiteral(" ") + QStringLiteral("(") +
                    nombres.join(QLatin1Char(',')) + QStringLiteral(")") + QStringLiteral(" VALUES (") +
                    valores.join(QLatin1Char(',')) + QStringLiteral(")");
    }
    sentencias.append(sentencia);
    sentencias.append(QString());
    if (!Conservar) campos = ListaCampos{CampoPendiente()};
}

void ArmaInsert(QString& Texto, ListaCampos& campos, bool Borrar) {
    QStringList nombres, valores;
    for (const auto& c : campos) {
        nombres << c.first;
        valores << c.second;
    }
    Texto += QStringLiteral("(") + nombres.join(QLatin1Char(',')) + QStringLiteral(")") + QStringLiteral(" VALUES (") +
             valores.join(QLatin1Char(',')) + QStringLiteral(")");
    if (Borrar) campos.clear();
}

void GActualizarDatoScript(const QStringList& sentencias, bool& Fallo, long& ErrorNativo, bool AvisarDuplicado,
                           bool AvisarReferencia, QString& Script, QString& Mensajes, bool MostrarMensaje) {
    QString unido, texto;
    long numero = 0;
    pasos::Pasos(
        QStringLiteral("GActualizarDatoScript"), ReportarMostrarError,
        [&]() -> bool {
            Fallo = false;
            for (const QString& s : sentencias)
                if (!s.trimmed().isEmpty()) unido += CR + s;
            return !unido.isEmpty();
        },
        [&] { Script = QStringLiteral("BEGIN TRANSACTION ") + CR + CR + unido + CR; },
        [&] {
            QString s = Script;
            long n = 0;
            try {
                gBaseDatos().EjecutaConsultaSQL(s, n, nullptr);
            } catch (const ErrorEjecucion&) {
            }
        },
        [&] {
            auto& errores = gBaseDatos().gCnn().Errors();
            if (errores.Vacia()) return;
            Fallo = true;
            numero = errores.Item(0).NativeError;
            auto linea = [&](int i) {
                return QString::number(errores.Item(i).NativeError) + QStringLiteral(" : ") + errores.Item(i).Description + CRLF;
            };
            if (errores.Count() == 1)
                texto = linea(0);
            else
                for (int i = 0; i < errores.Count() - 1; ++i) texto += linea(i);
            Mensajes = texto;
            if ((AvisarDuplicado && numero == 2627) || (AvisarReferencia && numero == 547)) {
                Mensajes = errores.Item(0).Description;
                texto.clear();
            }
            errores.Clear();
        },
        [&] {
            if (Fallo) {
                try {
                    gBaseDatos().EjecutaConsultaSQL(QStringLiteral("ROLLBACK TRANSACTION"));
                } catch (const ErrorEjecucion&) {
                }
                gBaseDatos().gCnn().Errors().Clear();
                QString proceso = plataforma().NombreEjecutable();
                GrabaErrorProceso(Script, proceso, numero, texto);
                if (!texto.trimmed().isEmpty() && MostrarMensaje)
                    plataforma().MsgBox(texto, vb::Critical, QStringLiteral("Aviso al Operador!"));
            } else {
                gBaseDatos().EjecutaConsultaSQL(QStringLiteral("COMMIT TRANSACTION"));
            }
        },
        [&] { ErrorNativo = numero; });
}

QString AdaptaSQLPlataforma(const QString& texto) {
    if (!gBaseDatos().gConnString.contains(QStringLiteral("oracle"), Qt::CaseInsensitive)) return texto;
    const int palabras = FuncionesComunes::instancia().CantidadPalabras(texto);
    if (palabras < 2) return texto.toUpper() == QLatin1String("LEN") ? QStringLiteral("LENGTH") : texto;
    if (!texto.contains(QStringLiteral("top "), Qt::CaseInsensitive)) return texto;
    const int p = texto.indexOf(QStringLiteral("top"), 0, Qt::CaseInsensitive);
    const QString antes = texto.left(p);
    const QString despues = texto.mid(p + 3);
    const int asterisco = despues.indexOf(QLatin1Char('*'));
    const QString n = asterisco < 0 ? despues : despues.left(asterisco);
    const QString resto = asterisco < 0 ? QString() : despues.mid(asterisco + 1);
    return antes + QStringLiteral(" * ") + resto + QStringLiteral(" WHERE ROWNUM <= ") + n;
}

QString Formatear(const QDateTime& momento, const QString& formatoVB) {
    // Visual Basic's "mm" is minutes after "hh" and months elsewhere; the suite's formats only use
    // it in those two places.
    QString f = formatoVB;
    f.replace(QStringLiteral("hh:mm"), QStringLiteral("HH:\x01"));
    f.replace(QStringLiteral("mm"), QStringLiteral("MM"));
    f.replace(QChar(1), QStringLiteral("mm"));
    return momento.toString(f);
}

QDateTime FechaServidor() {
    QDateTime resultado = plataforma().Ahora();
    driver::Recordset rs;
    pasos::Silenciosos(
        [&] {
            QString s = QStringLiteral("select  getDate() as fecha");
            gBaseDatos().AbrirRecordset(s, rs, nullptr, driver::adOpenForwardOnly, driver::adLockReadOnly, -1, true);
        },
        [&] {
            if (rs.State() != driver::adStateClosed && !(rs.BOF() && rs.EOF_())) {
                const QVariant v = rs.Fields(QStringLiteral("fecha")).Value;
                QDateTime dt = v.toDateTime();
                if (!dt.isValid()) dt = QDateTime::fromString(v.toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
                // Written as dd/mm/yyyy hh:mm:ss and read back: whole seconds.
                resultado = QDateTime::fromString(dt.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")),
                                                  QStringLiteral("dd/MM/yyyy HH:mm:ss"));
                if (!resultado.isValid()) resultado = plataforma().Ahora();
            } else if (sesion().gUtilizarFechaDia) {
                QString aux;
                const QString f = Cfg(QStringLiteral("FECHAOPERHASTA"), aux).trimmed();
                const QDate d = QDate::fromString(f, QStringLiteral("dd/MM/yyyy"));
                if (d.isValid()) resultado = QDateTime(d, QTime(0, 0));
            }
        },
        [&] { gBaseDatos().CierraRecordset(rs); });
    return resultado;
}

bool ExisteArchivo(const QString& ruta) {
    QString r = ruta;
    r.remove(QLatin1Char('"'));
    QFile f(r);
    const bool ok = f.open(QIODevice::ReadOnly);
    f.close();
    return ok;
}

void AbrirEnlace(const QString& Enlace, bool Minimizado) {
    QString e = Enlace;
    if (!e.contains(QLatin1Char('"')) && e.contains(QLatin1Char(' '))) e = QLatin1Char('"') + e + QLatin1Char('"');
    FuncionesSistema::instancia().AbrirDocumento(e, Minimizado ? 6 : 0);
}

void ArmaConsultasDefault(const QString& ruta) {
    struct Entrada {
        const char* titulo;
        const char* tabla;
        const char* columnas;
    };
    static const Entrada entradas[] = {
        {"ARTICULOS", "V_MA_ARTICULOS", "|DESCRIPCION|IDARTICULO|"},
        {"CLIENTES", "VT_CLIENTES", "|RAZON_SOCIAL|CODIGO|CONTACTO|"},
        {"PROVEEDORES", "VT_PROVEEDORES", "|RAZON_SOCIAL|CODIGO|"},
        {"CONTACTOS", "MA_CONTACTOS", "|Nombre_y_Apellido|Domicilio|Localidad|Telefono|"},
        {"VENDEDORES", "V_TA_VENDEDORES", "|NOMBRE|IDVENDEDOR|"},
        {"TECNICOS", "V_TA_TECNICOS", "|NOMBRE|IDTECNICO|"},
        {"MANTENIMIENTOS", "V_MA_MANTENIMIENTOS", "|DESCRIPCION|CODIGO|"},
        {"CUENTAS", "MA_CUENTAS", "|DESCRIPCION|CODIGO|"},
        {"TAREAS", "V_TA_Tareas", "|Descripcion|IdTarea|"},
        {"UnidadNegocio", "V_TA_UnidadNegocio", "|Descripcion|Codigo|"},
        {"DEPOSITO", "V_TA_DEPOSITO", "|Descripcion|IdDeposito|"},
    };
    QFile f(ruta);
    if (!f.open(QIODevice::ReadWrite)) return;
    for (const auto& e : entradas) {
        MascaraConsulta m;
        m.Titulo = QString::fromLatin1(e.titulo);
        m.Tabla = QString::fromLatin1(e.tabla);
        m.Campos = QString::fromLatin1(e.columnas);
        const qint64 registro = f.size() / MascaraConsulta::kLargo + 1;
        f.seek((registro - 1) * MascaraConsulta::kLargo);
        f.write(m.Serializar());
    }
    f.close();
}
