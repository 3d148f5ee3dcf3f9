#include "lookup/Lib_ClsCons3.h"

#include "core/Configuracion.h"
#include "core/Inicio.h"
#include "core/MascaraConsulta.h"
#include "core/SentenciasSQL.h"
#include "db/DB_Dll.h"
#include "lookup/Lib_FrmCons3.h"
#include "lookup/Lib_FrmCons3Tree.h"
#include "services/CodePage.h"
#include "services/Conversiones.h"
#include "services/FuncionesComunes.h"
#include "services/Plataforma.h"

#include <QFile>
#include <QGuiApplication>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>

namespace {

QString CfgTexto(const QString& clave) {
    return Cfg(clave).trimmed();
}

QVariant Nivel(const QString& clave) {
    const QString v = CfgTexto(clave);
    return v.isEmpty() ? QVariant(0) : QVariant(v);
}

bool Contiene(const QString& texto, const QString& buscado) {
    return texto.contains(buscado, Qt::CaseInsensitive);
}

// A record of consultas.tvx is trusted only when it ends where a record ends and its table field
// holds text: a short or shifted file must not lend garbage to a statement.
bool RegistroSano(const QByteArray& bytes) {
    if (bytes.size() != MascaraConsulta::kLargo || bytes.mid(1200, 2) != QByteArrayLiteral("\r\n")) return false;
    for (int i = 100; i < 200; ++i) {
        const auto c = static_cast<unsigned char>(bytes.at(i));
        if (c != 0 && c < 32) return false;
    }
    return true;
}

}  // namespace

Lib_ClsCons3& Lib_ClsCons3::instancia() {
    static Lib_ClsCons3 m;
    return m;
}

Lib_ClsCons3::Lib_ClsCons3() {
    Valores = QStringList();
    Cantidades = QVariantList();
    const auto& a = gAjustesConsultas();
    gConnString = a.gConnString;
    gUsarMascarasConsultas = a.gUsarMascarasConsultas;
    gRutaMascaraConsultas = a.gRutaMascaraConsultas;
    MuestraStock = CfgTexto(QStringLiteral("MostrarStockenConsultas"));
    StkNivel1 = Nivel(QStringLiteral("Stk_Nivel1"));
    StkNivel2 = Nivel(QStringLiteral("Stk_Nivel2"));
    StkNivel3 = Nivel(QStringLiteral("Stk_Nivel3"));
    StkNivel4 = Nivel(QStringLiteral("Stk_Nivel4"));
    UsaConsultaLike = CfgTexto(QStringLiteral("UsaConsultaLike")).compare(QStringLiteral("SI"), Qt::CaseInsensitive) == 0;
}

Lib_ClsCons3::~Lib_ClsCons3() = default;

int Lib_ClsCons3::TopeConsulta() {
    const QString v = CfgTexto(QStringLiteral("TopConsArt"));
    bool ok = false;
    const double n = v.toDouble(&ok);
    const int tope = ok && n >= 1 && n < 2147483647.0 ? static_cast<int>(n) : 0;
    return tope == 0 ? 1000 : tope;
}

std::optional<QString> Lib_ClsCons3::DesdeMascara(const QString& Sql, QString& CampoBusqueda, const QString& Where, int tope,
                                                  bool& encontrada) {
    encontrada = false;
    QFile f(gRutaMascaraConsultas);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    const QString buscada = Sql.trimmed();
    MascaraConsulta m;
    for (;;) {
        const QByteArray bytes = f.read(MascaraConsulta::kLargo);
        if (bytes.size() < MascaraConsulta::kLargo) break;  // end of file, or a truncated last record
        if (!RegistroSano(bytes) || !MascaraConsulta::Leer(bytes, m)) continue;
        if (m.Tabla.trimmed().compare(buscada, Qt::CaseInsensitive) == 0) {
            encontrada = true;
            break;
        }
    }
    f.close();
    if (!encontrada) return std::nullopt;

    QString tabla = m.Tabla.trimmed();
    QString columnas = QString(m.Campos).replace(QLatin1Char('|'), QLatin1Char(',')).trimmed();
    if (columnas.startsWith(QLatin1Char(','))) columnas.remove(0, 1);
    if (columnas.endsWith(QLatin1Char(','))) columnas.chop(1);
    if (columnas.isEmpty()) columnas = QStringLiteral("*");
    if (CampoBusqueda.isEmpty()) {
        if (!columnas.contains(QLatin1Char(','))) {
            plataforma().MsgBox(QStringLiteral("Debe configurar la consulta para esta tabla"), vb::Information,
                                QStringLiteral("Aviso al operador"));
            return std::nullopt;
        }
        CampoBusqueda = columnas.left(columnas.indexOf(QLatin1Char(',')));
    }
    QString filtro = m.Filtro.trimmed();
    if (filtro.isEmpty() && !Where.trimmed().isEmpty()) filtro = Where;
    QString condicion;
    if (tabla.compare(QStringLiteral("VT_PROVEEDORES"), Qt::CaseInsensitive) == 0 ||
        tabla.compare(QStringLiteral("VT_CLIENTES"), Qt::CaseInsensitive) == 0) {
        condicion = QStringLiteral("Dada_De_Baja = 0");
    } else if (tabla.compare(QStringLiteral("V_MA_ARTICULOS"), Qt::CaseInsensitive) == 0) {
        tabla = QStringLiteral("VT_MA_ARTICULOS");
        condicion = QStringLiteral("SUSPENDIDO = 0");
    }
    if (filtro.isEmpty()) filtro = condicion;
    const QString donde = filtro.trimmed().isEmpty() ? QString() : QStringLiteral(" WHERE ");
    if (!CampoBusqueda.isEmpty())
        return QStringLiteral("SELECT TOP ") + QString::number(tope) + QStringLiteral(" ") + columnas + QStringLiteral(" FROM ") +
               tabla + QStringLiteral("  with(nolock) ") + donde + filtro + QStringLiteral(" ORDER BY ") + CampoBusqueda;
    return QStringLiteral("SELECT TOP ") + QString::number(tope) + QStringLiteral(" ") + columnas + QStringLiteral(" FROM ") +
           tabla + QStringLiteral(" with(nolock) ") + donde + filtro;
}

QString Lib_ClsCons3::ArmaConsultaGenerica(const QString& Sql, QString& CampoBusqueda, const QString& Where,
                                           const QString& SentenciaOpcional, int tope) {
    if (!SentenciaOpcional.isEmpty()) return SentenciaOpcional;
    const QString tabla = Sql.trimmed();
    QString columnas;
    if (tabla.compare(QStringLiteral("V_TA_Unidad"), Qt::CaseInsensitive) == 0) {
        columnas = QStringLiteral("Descripcion,IdUnidad,");
        CampoBusqueda = QStringLiteral("IdUnidad");
    } else if (tabla.compare(QStringLiteral("V_TA_DEPOSITO"), Qt::CaseInsensitive) == 0) {
        columnas = QStringLiteral("Descripcion,Unidad,IdDeposito,");
        CampoBusqueda = QStringLiteral("IdDeposito");
    } else if (tabla.compare(QStringLiteral("V_TA_STATUS"), Qt::CaseInsensitive) == 0) {
        columnas = QStringLiteral("Descripcion,Tipo,CodigoEstado,");
        CampoBusqueda = QStringLiteral("CodigoEstado");
    } else {
        const bool conId = tabla.compare(QStringLiteral("v_mv_mutuales"), Qt::CaseInsensitive) == 0 ||
                           tabla.compare(QStringLiteral("V_MV_TROPA_STOCK"), Qt::CaseInsensitive) == 0;
        driver::Recordset rs;
        auto& db = gBaseDatos();
        QString prueba = QStringLiteral("select top 1 * from ") + Sql;
        db.AbrirRecordset(prueba, rs);
        if (rs.State() != driver::adStateClosed) {
            for (int i = 0; i < rs.FieldCount(); ++i) {
                const QString nombre = rs.Fields(i).Name;
                const QString n = nombre.toUpper();
                if (n == QLatin1String("ID") || n == QLatin1String("FECHAHORA_MODIFICACION") ||
                    n == QLatin1String("FECHAHORA_GRABACION")) {
                    if (conId) {
                        columnas.prepend(nombre + QLatin1Char(','));
                        CampoBusqueda = nombre;
                    }
                } else if (n == QLatin1String("DESCRIPCION") || n == QLatin1String("NOMBRE") || n == QLatin1String("DETALLE")) {
                    columnas.prepend(nombre + QLatin1Char(','));
                    CampoBusqueda = nombre;
                } else if (columnas.isEmpty()) {
                    columnas = nombre + QLatin1Char(',');
                    CampoBusqueda = nombre;
                } else {
                    columnas.prepend(nombre + QLatin1Char(','));
                }
            }
            db.CierraRecordset(rs);
        }
    }
    if (columnas.isEmpty())
        columnas = QStringLiteral(" * ");
    else
        columnas.chop(1);
    const QString filtro = QStringLiteral(" ") + Where;
    return QStringLiteral("SELECT TOP ") + QString::number(tope) + QStringLiteral(" ") + columnas + QStringLiteral(" FROM ") +
           Sql + (filtro.trimmed().isEmpty() ? QString() : QStringLiteral(" WHERE ")) + filtro + QStringLiteral(" ORDER BY ") +
           CampoBusqueda;
}

std::optional<QString> Lib_ClsCons3::ArmarSentencia(const QString& Sql, QString& CampoBusqueda, QString& Where,
                                                    const QString& SentenciaOpcional) {
    if (Where.trimmed().size() > 1 && !Where.trimmed().startsWith(QLatin1Char('(')))
        Where = QStringLiteral(" (") + Where + QStringLiteral(") ");
    const int tope = TopeConsulta();
    if (Contiene(Sql, QStringLiteral("SELECT"))) {
        QString s = Sql;
        s.replace(QStringLiteral("V_MA_ARTICULOS"), QStringLiteral("VT_MA_ARTICULOS"), Qt::CaseInsensitive);
        if (!Where.trimmed().isEmpty()) {
            if (!Contiene(Where, QStringLiteral("WHERE"))) Where = QStringLiteral(" WHERE ") + Where;
            s += Where;
        }
        return s;
    }
    if (!gUsarMascarasConsultas) return ArmaConsultaGenerica(Sql, CampoBusqueda, Where, SentenciaOpcional, tope);
    if (!ExisteArchivo(gRutaMascaraConsultas)) return Sql;
    bool encontrada = false;
    auto s = DesdeMascara(Sql, CampoBusqueda, Where, tope, encontrada);
    if (encontrada) return s;  // nothing when the entry asks to be configured first
    return ArmaConsultaGenerica(Sql, CampoBusqueda, Where, SentenciaOpcional, tope);
}

void Lib_ClsCons3::ConsultaSearch(const QString& Sql, QStringList* CmpsDevueltos, const QString& Clave, QString& CampoBusqueda,
                                  QString& Where, const QString& SentenciaOpcional, bool TreeView,
                                  const QString& ValoresDefault) {
    const auto sentencia = ArmarSentencia(Sql, CampoBusqueda, Where, SentenciaOpcional);
    if (!sentencia) return;
    UltimaSentencia = *sentencia;
    if (gConnString.isEmpty()) gConnString = gBaseDatos().gConnString;

    if (TreeView) {
        arbol_ = std::make_unique<Lib_FrmCons3Tree>();
        arbol_->Sql = *sentencia;
        arbol_->CampoDevuelto = CampoDevuelto;
        arbol_->CheckBoxes = Checks;
        Valores.reset();
        plataforma().MostrarModal(arbol_.get());
        ValorDevuelto = arbol_->ValorDevuelto;
        Valores = arbol_->Valores;
        Checks = false;
    } else {
        lista_ = std::make_unique<Lib_FrmCons3>();
        auto& w = *lista_;
        w.StkNivel1 = StkNivel1;
        w.StkNivel2 = StkNivel2;
        w.StkNivel3 = StkNivel3;
        w.StkNivel4 = StkNivel4;
        w.MuestraStock = MuestraStock;
        w.CfgUsaConsultaLIKE = UsaConsultaLike;
        w.OrdenarPorLwv = !Contiene(*sentencia, QStringLiteral("ORDER BY"));
        w.FiltroInicial = Clave;
        w.CampoBusqueda = CampoBusqueda;
        w.Sql = *sentencia;
        w.gConnString = gConnString;
        w.CampoDevuelto = CampoDevuelto;
        w.CheckBoxes = Checks;
        w.UsaCantidades = UsaCantidades;
        w.ValoresDefault = ValoresDefault;
        Valores.reset();
        Cantidades.reset();
        w.CmpsDevueltos = CmpsDevueltos;
        if (Checks) {
            w.Cargar();
            for (int r = 0; r < w.modelo()->FilaCount(); ++r) w.modelo()->SetMarca(r, Qt::Unchecked);
        }
        plataforma().MostrarModal(&w);
        Checks = false;
        Valores = w.Valores;
        Cantidades = w.Cantidades;
        ValorDevuelto = w.ValorDevuelto;
        w.CampoDevuelto.clear();
    }

    CampoDevuelto.clear();
    if (CmpsDevueltos) CmpsDevueltos->clear();
    if (lista_) {
        lista_->Valores.reset();
        lista_->Cantidades.reset();
        lista_->Descargar();
    }
    lista_.reset();
    arbol_.reset();
}

void Lib_ClsCons3::ConsultaSearch(const QString& Sql, bool TreeView) {
    QString campo, where;
    ConsultaSearch(Sql, nullptr, QString(), campo, where, QString(), TreeView, QString());
}

QString Lib_ClsCons3::Opciones(const QString& Titulo, const QStringList& textos, const QVector<bool>& marcas, bool casillas,
                               int largoMaximo) {
    lista_ = std::make_unique<Lib_FrmCons3>();
    auto& w = *lista_;
    w.Cargar();
    w.setWindowTitle(Titulo);
    w.CmdNueva->hide();
    w.Sql.clear();
    w.gConnString.clear();
    w.CampoDevuelto = Titulo;
    w.CheckBoxes = casillas;
    // A list of one element shows no rows: only lists with more than one option are filled.
    const bool llenar = textos.size() > 1;
    QScreen* s = QGuiApplication::primaryScreen();
    const double pantalla = s ? conv::Twips(s->availableGeometry().width()) : 1e9;
    const double ancho = std::min(120.0 * std::max<int>(static_cast<int>(Titulo.size()), largoMaximo), pantalla);
    w.PrepararOpciones(Titulo, llenar ? textos : QStringList(), llenar ? marcas : QVector<bool>(), ancho);
    plataforma().MostrarModal(&w);
    const QString r = w.ValorDevuelto;
    Valores = w.Valores;
    lista_.reset();
    return r;
}

QString Lib_ClsCons3::MenuOpciones(const QString& Titulo, const QStringList& opciones) {
    int largo = 0;
    for (const QString& o : opciones) largo = std::max<int>(largo, static_cast<int>(o.size()));
    return Opciones(Titulo, opciones, {}, false, largo);
}

void Lib_ClsCons3::CheckOpciones(const QString& Titulo, const QStringList& opciones) {
    QStringList textos;
    QVector<bool> marcas;
    int largo = 0;
    for (const QString& o : opciones) {
        textos.append(o.mid(1));
        marcas.append(o.startsWith(QLatin1Char('1')));
        largo = std::max<int>(largo, static_cast<int>(o.size()));
    }
    Opciones(Titulo, textos, marcas, true, largo);
}

QString Lib_ClsCons3::ConsultaDesdeArchivo(const QString& Titulo, const QString& QueArchivo, const QString&) {
    if (!ExisteArchivo(QueArchivo)) {
        plataforma().MsgBox(
            QStringLiteral("No existe el archivo ") + QueArchivo + QStringLiteral(" que desea consultar consulta "), vb::OKOnly,
            QString());
        return QString();
    }
    QFile f(QueArchivo);
    QStringList lineas;
    if (f.open(QIODevice::ReadOnly)) {
        lineas = cp1252::DecodificarTexto(f.readAll()).split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
        if (!lineas.isEmpty() && lineas.last().isEmpty()) lineas.removeLast();
    }
    int largo = 0;
    for (const QString& l : lineas) largo = std::max<int>(largo, static_cast<int>(l.size()));
    return Opciones(Titulo, lineas, {}, false, largo);
}
