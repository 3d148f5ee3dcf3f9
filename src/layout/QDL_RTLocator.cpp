#include "layout/QDL_RTLocator.h"

#include "core/Configuracion.h"
#include "db/DB_Dll.h"
#include "services/FuncionesComunes.h"
#include "services/Pasos.h"

#include <algorithm>
#include <cmath>

namespace {
const char* const kLongitudes[] = {"LAYOUT_NIVEL1", "LAYOUT_NIVEL2", "LAYOUT_NIVEL3", "LAYOUT_NIVEL4"};
const char* const kDefectoLongitud[] = {"1", "1", "1", "0"};
const char* const kTitulos[] = {"TIT_LAYOUT_NIVEL_1", "TIT_LAYOUT_NIVEL_2", "TIT_LAYOUT_NIVEL_3", "TIT_LAYOUT_NIVEL_4"};
const char* const kDefectoTitulo[] = {"CALLE", "POSICION", "NIVEL", ""};
}  // namespace

NivelesLayout& gNiveles() {
    static NivelesLayout n;
    return n;
}

int NivelesLayout::Nivel(const QString& codigo) const {
    return NivelDeLargo(QStringView(codigo).trimmed().size());
}

int NivelesLayout::NivelDeLargo(qsizetype largo) const {
    for (int k = 1; k <= 4; ++k)
        if (largo == FinNivel[k]) return k;
    return 0;
}

QString NivelesLayout::CodigoPadre(const QString& codigo) const {
    const int l = static_cast<int>(codigo.size());
    if (l == FinNivel[2]) return codigo.left(FinNivel[1]);
    if (l == FinNivel[3]) return codigo.left(FinNivel[2]);
    if (l == FinNivel[4]) return codigo.left(FinNivel[3]);
    return QString();
}

void NivelesLayout::CalcularFines() {
    FinNivel[1] = LongitudNivel[1];
    FinNivel[2] = FinNivel[1] + LongitudNivel[2];
    FinNivel[3] = FinNivel[2] + LongitudNivel[3];
    FinNivel[4] = FinNivel[3] + LongitudNivel[4];
}

int LongitudDeTexto(const QString& valor) {
    const double v = FuncionesComunes::instancia().Val(valor);
    // Lengths beyond any code are meaningless; keep sums far from overflowing.
    const double acotado = std::clamp(v, -1000.0, 1000.0);
    return static_cast<int>(std::nearbyint(acotado));
}

namespace {
// A level key's value, its default written first when the key is empty. Reading the layout never
// writes otherwise: an empty default (the fourth title) already stored as "" is not written again
// at every tree build, and on a database opened read-only the default is only used.
QString ValorConDefecto(const char* clave, const char* defecto) {
    const QString valor = Cfg(QString::fromLatin1(clave));
    if (!valor.trimmed().isEmpty()) return valor;
    if (valor.isEmpty() && !*defecto) return valor;  // the row is there, holding the default already
    if (gBaseDatos().gCnn().State() != driver::adStateClosed && gBaseDatos().gCnn().SoloLectura())
        return QString::fromLatin1(defecto);
    GrabaCfg(QString::fromLatin1(clave), QString::fromLatin1(defecto), QString(), false, QStringLiteral("DATOS"), true, false);
    return Cfg(QString::fromLatin1(clave));
}
}  // namespace

void CargarNivelesLayout() {
    auto& n = gNiveles();
    auto& fc = FuncionesComunes::instancia();
    QString longitudes[4], titulos[4];
    for (int i = 0; i < 4; ++i) longitudes[i] = ValorConDefecto(kLongitudes[i], kDefectoLongitud[i]);
    n.LongitudTotal = 0;
    for (int i = 0; i < 4; ++i) {
        n.LongitudNivel[i + 1] = LongitudDeTexto(longitudes[i]);
        n.LongitudTotal += n.LongitudNivel[i + 1];
    }
    for (int i = 0; i < 4; ++i) titulos[i] = ValorConDefecto(kTitulos[i], kDefectoTitulo[i]);
    // Titles, articles and plurals are the stored texts as read (a missing key reads as one blank),
    // only put in proper case.
    for (int i = 0; i < 4; ++i) n.TituloNivel[i + 1] = fc.NombrePropio(titulos[i]);
    for (int i = 1; i <= 4; ++i)
        n.ArticuloNivel[i] =
            fc.NombrePropio(Cfg(QStringLiteral("ARTICULO_LAYOUT_NIVEL_%1").arg(i)) + QStringLiteral(" ") + n.TituloNivel[i]);
    for (int i = 1; i <= 4; ++i) n.PluralNivel[i] = fc.NombrePropio(Cfg(QStringLiteral("PLURAL_LAYOUT_NIVEL_%1").arg(i)));
}

void ActualizarNivelesLayout() {
    CargarNivelesLayout();
    gNiveles().CalcularFines();
}

bool LongitudValida(const QString& codigo) {
    return gNiveles().Nivel(codigo) != 0;
}

QString TextoSql(const QString& texto) {
    QString r = texto;
    r.replace(QLatin1Char('\''), QStringLiteral("''"));
    return r;
}

QString PatronLike(const QString& texto) {
    QString r;
    r.reserve(texto.size() + 4);
    for (const QChar c : texto) {
        if (c == QLatin1Char('!') || c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('['))
            r += QLatin1Char('!');
        r += c;
    }
    return TextoSql(r);
}

namespace {
int ReportarError(const ErrorEjecucion& e, const QString& rutina) {
    return FuncionesComunes::instancia().ErrorRutina(e, rutina);
}
}  // namespace

bool ExisteNivelSuperior(QString& codigo, const QString& deposito, QString& marca) {
    bool resultado = false;
    driver::Recordset rs;
    QString padre;
    const auto r = pasos::Pasos(
        QStringLiteral("ExisteNivelInferior"), ReportarError, [&] { padre = gNiveles().CodigoPadre(codigo); },
        [&] {
            marca.clear();
            gBaseDatos().AbrirRecordset(QStringLiteral("SELECT * FROM MA_POSICIONES WHERE iddeposito='") + TextoSql(deposito) +
                                            QStringLiteral("' and RTRIM(LTRIM(IDPOSICION)) = '") + TextoSql(padre.trimmed()) +
                                            QStringLiteral("'"),
                                        rs, driver::adOpenForwardOnly, driver::adLockReadOnly);
        },
        [&] {
            if (rs.State() == driver::adStateClosed || (rs.BOF() && rs.EOF_())) {
                resultado = false;
                return;
            }
            resultado = true;
            const QVariant titulo = rs.Fields(QStringLiteral("Titulo")).Value;
            if (!titulo.isNull() && !titulo.toBool()) marca = QStringLiteral("Imputable");
        },
        [&] { gBaseDatos().CierraRecordset(rs); });
    return r == pasos::Resultado::Abandonado ? false : resultado;
}

bool ExisteNivelInferior(QString& codigo, const QString& deposito) {
    bool resultado = false;
    driver::Recordset rs;
    const auto r = pasos::Pasos(
        QStringLiteral("ExisteNivelInferior"), ReportarError,
        [&] { codigo = FuncionesComunes::instancia().QuitarCaracter(codigo, QStringLiteral("-")); },
        [&] {
            const QString n = QString::number(codigo.size());
            gBaseDatos().AbrirRecordset(QStringLiteral("SELECT * FROM MA_POSICIONES WHERE iddeposito='") + TextoSql(deposito) +
                                            QStringLiteral("' AND SUBSTRING(LTRIM(RTRIM(IDPOSICION)),1,") + n +
                                            QStringLiteral(") = '") + TextoSql(codigo) +
                                            QStringLiteral("' AND LEN(RTRIM(LTRIM(IDPOSICION))) > ") + n,
                                        rs, driver::adOpenForwardOnly, driver::adLockReadOnly);
        },
        [&] { resultado = rs.State() != driver::adStateClosed && !(rs.BOF() && rs.EOF_()); },
        [&] { gBaseDatos().CierraRecordset(rs); });
    return r == pasos::Resultado::Abandonado ? false : resultado;
}
