#include "layout/PosicionesLayout.h"

#include "core/Auditoria.h"
#include "core/SentenciasSQL.h"
#include "db/DB_Dll.h"
#include "layout/QDL_RTLocator.h"
#include "layout/ValoresPosicion.h"
#include "services/FuncionesComunes.h"
#include "services/Pasos.h"

namespace {

bool Igual(const QString& a, const char* b) {
    return a.trimmed().compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

bool SinFilas(const driver::Recordset& rs) {
    return rs.State() == driver::adStateClosed || (rs.BOF() && rs.EOF_());
}

// The length of a text as QString::size() gives it (UTF-16 code units), without converting it.
qsizetype LargoUtf16(QAnyStringView texto) {
    return texto.visit([](auto v) -> qsizetype {
        if constexpr (std::is_same_v<std::decay_t<decltype(v)>, QUtf8StringView>) {
            qsizetype n = 0;
            for (const auto c : v) {
                const auto b = static_cast<unsigned char>(c);
                if ((b & 0xC0) != 0x80) ++n;  // not a continuation byte: a new character
                if ((b & 0xF8) == 0xF0) ++n;  // four bytes: a character beyond the BMP, two units
            }
            return n;
        } else {
            return v.size();  // UTF-16 and Latin-1: one unit per element
        }
    });
}

// The related-code fields: table and key column of each, the message of a missing code, and the
// reservation fields a valid code empties (a position is reserved to one thing at a time).
struct Relacion {
    const char* campo;
    const char* tabla;
    const char* clave;
    const char* mensaje;
    const char* vaciar[3];
};
const Relacion kRelaciones[] = {
    {"IdUnidad", "V_TA_Unidad", "idunidad", " Codigo de Unidad Inexistente!", {nullptr, nullptr, nullptr}},
    {"IdRubro", "V_TA_Rubros", "IdRubro", " Codigo de Rubro Inexistente!", {"IdTipo", "IdFamilia", "IdArticulo"}},
    {"IdTipo", "V_TA_TipoArticulo", "IdTipo", " Marca de Articulo Inexistente!", {"IdRubro", "IdFamilia", "IdArticulo"}},
    {"IdFamilia", "V_TA_Familias", "IdFamilia", " Familia Inexistente!", {"IdRubro", "IdTipo", "IdArticulo"}},
    {"IdArticulo", "V_MA_Articulos", "IdArticulo", " Codigo de Articulo Inexistente!", {"IdRubro", "IdTipo", "IdFamilia"}},
};

const Relacion* RelacionDe(const QString& dato) {
    for (const Relacion& r : kRelaciones)
        if (Igual(dato, r.campo)) return &r;
    return nullptr;
}

}  // namespace

PosicionesLayout::PosicionesLayout(const QString& deposito)
    : deposito_(FuncionesComunes::instancia().FormatoLongitud(deposito.trimmed(), 4)) {}

void PosicionesLayout::AbrirEstructura(const QString& tabla, driver::Recordset& rs) {
    gBaseDatos().AbrirRecordset(QStringLiteral("SELECT TOP 1 * FROM ") + tabla, rs, driver::adOpenDynamic,
                                driver::adLockOptimistic);
}

void PosicionesLayout::AbrirPosicion(const QString& codigo, driver::Recordset& rs) const {
    gBaseDatos().AbrirRecordset(QStringLiteral("select * from ma_posiciones where iddeposito='") + TextoSql(deposito_) +
                                    QStringLiteral("'and idposicion='") + TextoSql(codigo) + QStringLiteral("'"),
                                rs, driver::adOpenDynamic, driver::adLockOptimistic);
}

QString PosicionesLayout::ErrorDeLongitud(const QString& codigo) {
    if (codigo.size() > gNiveles().LongitudTotal) return QStringLiteral(" Codigo Incorrecto, Supera Longitud permitida!");
    if (!LongitudValida(codigo)) return QStringLiteral(" Cantidad de Digitos Incorrecto!");
    // Quotes are removed from every value written, so such a code could never be stored as typed.
    if (codigo.contains(QLatin1Char('\''))) return QStringLiteral(" Codigo Incorrecto, no puede contener comillas!");
    return QString();
}

QString PosicionesLayout::ErrorDelNivelSuperior(const QString& valor) const {
    if (valor.size() == gNiveles().LongitudNivel[1]) return QString();
    QString codigo = valor, marca;
    if (!ExisteNivelSuperior(codigo, deposito_, marca))
        return QStringLiteral("No existe un Nivel Superior para Agrupar esta Posicion");
    if (marca.compare(QStringLiteral("Imputable"), Qt::CaseInsensitive) != 0) return QString();
    // A storable parent that carries a reservation already receives movements in this warehouse;
    // the same code in another warehouse is another position.
    const QString padre = gNiveles().CodigoPadre(valor).trimmed();
    driver::Recordset rs;
    gBaseDatos().AbrirRecordset(
        QStringLiteral("SELECT * FROM MA_POSICiones WHERE RTRIM(LTRIM(IDPOSICION)) = '") + TextoSql(padre) +
            QStringLiteral("' AND iddeposito='") + TextoSql(deposito_) +
            QStringLiteral(
                "' AND (NOT IDARTICULO IS NULL OR NOT IdTipo IS NULL  OR NOT IDFAMILIA IS NULL OR NOT IDRUBRO IS NULL)"),
        rs, driver::adOpenForwardOnly, driver::adLockReadOnly);
    const bool reservado = !SinFilas(rs);
    gBaseDatos().CierraRecordset(rs);
    return reservado ? QStringLiteral("El Nivel Superior Recibe movimientos, no se pueden agregar niveles") : QString();
}

bool PosicionesLayout::SinNivelInferior(const QString& valor) const {
    QString codigo = valor;
    return !ExisteNivelInferior(codigo, deposito_);
}

QString PosicionesLayout::ErrorDeCodigoRelacionado(const QString& dato, const QString& valor, bool titulo) {
    const Relacion* r = RelacionDe(dato);
    if (!r || valor.isEmpty()) return QString();
    if (titulo && Igual(dato, "IdUnidad")) return QString();  // a heading holds no stock
    // The suite never stores a quote, so a code holding one cannot exist.
    const bool existe = !valor.contains(QLatin1Char('\'')) &&
                        gBaseDatos().ExisteEnTabla(QString::fromLatin1(r->tabla), valor, QString::fromLatin1(r->clave), nullptr,
                                                   8, QString(), true);
    return existe ? QString() : QString::fromLatin1(r->mensaje);
}

QStringList PosicionesLayout::ReservasQueExcluye(const QString& dato) {
    QStringList campos;
    if (const Relacion* r = RelacionDe(dato))
        for (const char* v : r->vaciar)
            if (v) campos << QString::fromLatin1(v);
    return campos;
}

QString PosicionesLayout::ErrorDeCapacidad(const QString& valor) {
    return FuncionesComunes::instancia().Val(valor) < 0 ? QStringLiteral(" La capacidad debe ser Mayor o igual a 0") : QString();
}

QString PosicionesLayout::ErrorDeOrdenIngreso(const QString& valor) {
    if (valor.isEmpty() || FuncionesComunes::instancia().EsNumerico(valor)) return QString();
    return QStringLiteral(" Debe Ingresar un valor Numerico");
}

QString PosicionesLayout::Descripcion(const QString& tabla, const QString& valor, const QString& columna, const QString& clave) {
    // A code holding a quote cannot be stored by the suite: it has no description.
    if (valor.contains(QLatin1Char('\''))) return QString();
    return FuncionesComunes::instancia().TextoCampo(
        gBaseDatos().DatosTabla(tabla, valor, columna, clave, 8, QString(), true, false));
}

qsizetype PosicionesLayout::RecorrerArbol(
    const std::function<void(qsizetype cantidad)>& comenzar,
    const std::function<bool(QAnyStringView codigo, QAnyStringView descripcion, int nivel)>& fila) const {
    driver::Recordset rs;
    gBaseDatos().AbrirRecordset(QStringLiteral("SELECT IdPosicion,Descripcion FROM MA_POSICiones where iddeposito='") +
                                    TextoSql(deposito_) + QStringLiteral("' ORDER BY IdPosicion"),
                                rs, driver::adOpenDynamic, driver::adLockReadOnly);
    if (SinFilas(rs)) {
        if (rs.State() != driver::adStateClosed) gBaseDatos().CierraRecordset(rs);
        return 0;
    }
    // Every row came over in the one query and is held by the record set: the pass below reads it
    // there, without copying the whole result out first.
    rs.MoveFirst();
    rs.MoveLast();
    rs.MoveFirst();
    const qsizetype cantidad = rs.RecordCount();
    comenzar(cantidad);
    const NivelesLayout& n = gNiveles();
    const bool conDescripcion = rs.FieldCount() > 1;
    auto texto = [&rs](int campo, QString& copia) -> QAnyStringView {
        QUtf8StringView crudo;
        if (rs.TextoUtf8(campo, crudo)) return crudo;
        copia = rs.Fields(campo).Value.toString();
        return copia;
    };
    for (qsizetype i = 0; i < cantidad && !rs.EOF_(); ++i, rs.MoveNext()) {
        QString copiaCodigo, copiaDescripcion;
        const QAnyStringView codigo = texto(0, copiaCodigo);
        const QAnyStringView descripcion = conDescripcion ? texto(1, copiaDescripcion) : QAnyStringView();
        const qsizetype l = LargoUtf16(codigo);
        int nivel = 0;
        for (int k = 1; k <= 4 && nivel == 0; ++k)
            if (l == n.FinNivel[k]) nivel = k;
        if (!fila(codigo, descripcion, nivel)) break;
    }
    gBaseDatos().CierraRecordset(rs);
    return cantidad;
}

FirmaPosiciones PosicionesLayout::Firma(const QString& columnas) const {
    const QString sql = QStringLiteral("SELECT COUNT(*) AS N, CHECKSUM_AGG(BINARY_CHECKSUM(") + columnas +
                        QStringLiteral(")) AS H FROM MA_POSICIONES  with(nolock)  WHERE IdDeposito = '") + TextoSql(deposito_) +
                        QStringLiteral("'");
    driver::Recordset rs;
    FirmaPosiciones f;
    pasos::Silenciosos([&] { gBaseDatos().AbrirRecordset(sql, rs, driver::adOpenForwardOnly, driver::adLockReadOnly); },
                       [&] {
                           if (SinFilas(rs)) return;
                           f.contenido = rs.Fields(1).Value.toLongLong();
                           f.filas = rs.Fields(0).Value.toLongLong();
                       },
                       [&] {
                           if (rs.State() != driver::adStateClosed) gBaseDatos().CierraRecordset(rs);
                       });
    return f;
}

int PosicionesLayout::NivelAlAgregar(qsizetype l, qsizetype& propios) {
    const NivelesLayout& n = gNiveles();
    if (l <= n.FinNivel[1]) {
        propios = l;
        return 1;
    }
    for (int k = 2; k <= 4; ++k)
        if (l <= n.FinNivel[k]) {
            propios = std::min<qsizetype>(l - n.FinNivel[k - 1], n.LongitudNivel[k]);
            return k;
        }
    propios = 0;
    return 0;
}

QString PosicionesLayout::ValorDeCampo(const driver::Recordset& estructura, const QString& dato, const QString& texto,
                                       const QString& codigo) const {
    if (Igual(dato, "IDDEPOSITO")) return deposito_;
    if (Igual(dato, "idposicion")) return codigo;
    const driver::Campo& columna = estructura.Fields(dato);
    return ValorColumnaPosicion(dato, columna.Type, columna.DefinedSize, texto);
}

QString PosicionesLayout::Sentencia(const QString& tabla, const QString& codigo, bool existe, bool nuevo) const {
    QStringList sentencias;
    if (existe) {
        QString donde = QStringLiteral(" Where IDDEPOSITO = '") + TextoSql(deposito_) + QStringLiteral("' AND IDPOSICION='") +
                        TextoSql(codigo) + QStringLiteral("'");
        ArmaSentencia(gCampos(), sentencias, tabla, true, donde, false);
    } else if (nuevo) {
        QString donde;
        ArmaSentencia(gCampos(), sentencias, tabla, false, donde, false);
    } else {
        gCampos().clear();
    }
    QString script;
    for (const QString& s : std::as_const(sentencias))
        if (!s.trimmed().isEmpty()) script += QLatin1Char('\r') + s;
    return script;
}

QString PosicionesLayout::Ejecutar(const QString& script) const {
    if (script.trimmed().isEmpty()) return QString();  // nothing to write
    auto& errores = gBaseDatos().gCnn().Errors();
    errores.Clear();
    try {
        QString texto = script;
        long n = 0;
        gBaseDatos().EjecutaConsultaSQL(texto, n, nullptr);
    } catch (const ErrorEjecucion&) {
        // What the database said is in the error list, read below.
    }
    if (errores.Count() == 0) return QString();
    const QString descripcion = errores.Item(0).Description;
    // A database another workstation holds, or one opened read-only, cannot take the audit row
    // either: trying would only wait again.
    const long nativo = errores.Item(0).NativeError;
    if (nativo != driver::nativo::TiempoAgotado && nativo != driver::nativo::BaseSoloLectura) {
        QString proceso = QStringLiteral("MA_POSICIONES.EXE - ACTUALIZARDATOS (ERROR:") + descripcion + QStringLiteral(")");
        GrabaErrorProceso(script, proceso, 0, QString());
    }
    errores.Clear();
    return descripcion;
}

QString PosicionesLayout::Borrar(const QString& codigo) const {
    // The position and exactly the codes that begin with it: wildcards in the code stand for
    // themselves.
    QString sql = QStringLiteral("DELETE FROM MA_POSICIONES WHERE   IDDEPOSITO = '") + TextoSql(deposito_) +
                  QStringLiteral("' AND IDPOSICION like '") + PatronLike(codigo) + QStringLiteral("%' ESCAPE '!'");
    auto& errores = gBaseDatos().gCnn().Errors();
    errores.Clear();
    long n = 0;
    gBaseDatos().EjecutaConsultaSQL(sql, n, nullptr);
    return errores.Count() > 0 ? errores.Item(0).Description : QString();
}

QString PosicionesLayout::FormulaEtiquetas() const {
    return QStringLiteral("{MA_POSICIONES.TITULO}=FALSE and {MA_POSICIONES.iddeposito}=") +
           DB_Dll::SQLValue(deposito_, QStringLiteral("'"));
}
