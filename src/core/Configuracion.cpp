#include "core/Configuracion.h"

#include "core/MostrarError.h"
#include "db/DB_Dll.h"
#include "services/FuncionesComunes.h"
#include "services/Pasos.h"
#include "services/Sesion.h"

#include <QDateTime>
#include <cstdlib>

namespace {

// A key as it is stored (trimmed; the suite writes it in upper case and compares without regard to
// case), inside a literal: a quote in it is doubled, so it is looked up as it was written.
QString LiteralClave(const QString& clave) {
    return clave.trimmed().replace(QLatin1Char('\''), QStringLiteral("''"));
}

QString LeerCfg(DB_Dll& base, const QString& tabla, const QString& Clave, QString& ValorAux, const QString& rutina,
                bool comprobarAbierta) {
    if (comprobarAbierta && !base.gOpenFlag) return QString();
    QString resultado;
    driver::Recordset rs;
    bool salir = false;
    const auto r = pasos::Pasos(
        rutina,
        [&](const ErrorEjecucion& e, const QString& rut) {
            const int respuesta = MostrarError(e, 18, rut);
            if (respuesta == pasos::Ignorar) return pasos::Ignorar;
            salir = true;
            return 0;
        },
        [&] {
            QString s = QStringLiteral("SELECT VALOR, valoraux FROM ") + tabla +
                        QStringLiteral(" with(nolock)  WHERE CLAVE = '") + LiteralClave(Clave) + QStringLiteral("'");
            const QString k = Clave.trimmed().toUpper();
            if (k == QLatin1String("[FECHA HASTA]") || k == QLatin1String("[FECHA DESDE]")) s = s.toUpper();
            base.AbrirRecordset(s, rs, nullptr, driver::adOpenForwardOnly, driver::adLockReadOnly, -1, true);
        },
        [&] {
            auto& fc = FuncionesComunes::instancia();
            if (rs.State() == driver::adStateClosed || (rs.BOF() && rs.EOF_())) {
                resultado = QStringLiteral(" ");
                ValorAux.clear();
            } else {
                resultado = fc.TextoCampo(rs.Fields(QStringLiteral("VALOR")).Value);
                ValorAux = fc.TextoCampo(rs.Fields(QStringLiteral("ValorAux")).Value);
            }
        },
        [&] { base.CierraRecordset(rs); },
        [&] {
            if (Clave.trimmed().compare(QStringLiteral("THEME"), Qt::CaseInsensitive) == 0 && resultado.trimmed().isEmpty())
                resultado = QStringLiteral("1");
        });
    if (r == pasos::Resultado::Abandonado || salir) {
        try {
            base.CierraRecordset(rs);
        } catch (const ErrorEjecucion&) {
        }
        return QString();
    }
    return resultado;
}

void EscribirCfg(DB_Dll& base, const QString& tabla, const QString& Clave, const QVariant& Valor, const QString& ValorAux,
                 bool PoliticaNegocio, const QString& Grupo, bool Recortar, bool Borrar, const QString& rutina) {
    driver::Recordset rs;
    bool borrado = false;
    pasos::Pasos(
        rutina, ReportarMostrarError,
        [&] {
            QString s = QStringLiteral("SELECT * FROM ") + tabla + QStringLiteral(" with(nolock)  WHERE CLAVE = '") +
                        LiteralClave(Clave) + QStringLiteral("'");
            base.AbrirRecordset(s, rs, nullptr, driver::adOpenDynamic, driver::adLockOptimistic, -1, true);
        },
        [&] {
            if (rs.State() == driver::adStateClosed)
                throw ErrorEjecucion(3704, QStringLiteral("Operation is not allowed when the object is closed."));
            if (rs.BOF() && rs.EOF_())
                rs.AddNew();
            else if (Borrar) {
                rs.Delete();
                borrado = true;
            }
        },
        [&] {
            if (borrado) return;
            auto valor = [&](const QString& v) { return Recortar ? v.trimmed() : v; };
            rs.Asignar(QStringLiteral("Grupo"), Grupo);
            rs.Asignar(QStringLiteral("Clave"), Clave.trimmed().toUpper());
            rs.Asignar(QStringLiteral("Valor"), valor(Valor.toString()));
            rs.Asignar(QStringLiteral("PoliticaNegocio"), PoliticaNegocio ? QStringLiteral("True") : QStringLiteral("False"));
            if (!ValorAux.isEmpty()) rs.Asignar(QStringLiteral("ValorAux"), valor(ValorAux));
        },
        [&] {
            if (!borrado) rs.Update();
        },
        [&] { base.CierraRecordset(rs); });
}

}  // namespace

DB_Dll& gBaseEstadisticas() {
    static DB_Dll estadisticas;
    return estadisticas;
}

QMap<QString, QVariant>& gConfiguracion() {
    static QMap<QString, QVariant> m;
    return m;
}

QString Cfg(const QString& Clave, QString& ValorAux) {
    auto& s = sesion();
    if (!gBaseDatos().gOpenFlag) return QString();
    if (s.gTablaConfiguracion.trimmed().isEmpty()) s.gTablaConfiguracion = QStringLiteral("TA_CONFIGURACION");
    return LeerCfg(gBaseDatos(), s.gTablaConfiguracion, Clave, ValorAux, QStringLiteral("Cfg"), true);
}

QString Cfg(const QString& Clave) {
    QString aux;
    return Cfg(Clave, aux);
}

QString CfgTV(const QString& Clave, QString& ValorAux) {
    return LeerCfg(gBaseEstadisticas(), QStringLiteral("TA_CONFIGURACION"), Clave, ValorAux, QStringLiteral("CfgTV"), false);
}

void GrabaCfg(const QString& Clave, const QVariant& Valor, const QString& ValorAux, bool PoliticaNegocio, const QString& Grupo,
              bool Recortar, bool Borrar) {
    auto& s = sesion();
    if (s.gTablaConfiguracion.trimmed().isEmpty()) s.gTablaConfiguracion = QStringLiteral("TA_CONFIGURACION");
    EscribirCfg(gBaseDatos(), s.gTablaConfiguracion, Clave, Valor, ValorAux, PoliticaNegocio, Grupo, Recortar, Borrar,
                QStringLiteral("GrabaDfg"));
}

void GrabaCfgTV(const QString& Clave, const QVariant& Valor, const QString& ValorAux, bool PoliticaNegocio, const QString& Grupo,
                bool Recortar) {
    EscribirCfg(gBaseEstadisticas(), QStringLiteral("TA_CONFIGURACION"), Clave, Valor, ValorAux, PoliticaNegocio, Grupo, Recortar,
                false, QStringLiteral("GrabaCfgTV"));
}

void CargaConfiguracion(const QString& Carpeta) {
    auto& s = sesion();
    auto& fc = FuncionesComunes::instancia();
    auto& m = gConfiguracion();
    auto si = [](const QString& v) { return v.compare(QStringLiteral("SI"), Qt::CaseInsensitive) == 0; };

    pasos::Silenciosos([&] {
        std::srand(static_cast<unsigned>(QDateTime::currentMSecsSinceEpoch()));
        s.gTablaConfiguracion = QStringLiteral("ta_configuracion");
    });

    static const char* const clavesSi[] = {"MostrarStockenConsultas",
                                           "EXIGECLAVECONSULTALIKEARTICULOS",
                                           "UsaConsultaLike",
                                           "SS_CONFIDENCIALIDAD",
                                           "UsaMultilesMonedas",
                                           "UsaFacturaProforma",
                                           "USACCOSTO",
                                           "USA_STK_STOCK_UDKG",
                                           "RazonSocialPorUneg",
                                           "VALIDACODIGOBARRA",
                                           "SS_BloqueoActivo",
                                           "UTILIZARFECHADIA",
                                           "AsignacionAutomaticaDeLoteING",
                                           "AsignacionAutomaticaDeLoteINGOP"};
    for (const char* c : clavesSi) {
        const QString clave = QString::fromLatin1(c);
        pasos::Silenciosos([&] {
            QString v = Cfg(clave);
            if (clave == QLatin1String("RazonSocialPorUneg") || clave == QLatin1String("VALIDACODIGOBARRA")) v = v.trimmed();
            m[clave] = si(v);
        });
    }
    pasos::Silenciosos([&] {
        m[QStringLiteral("ModuloOrdenDeTrabajo")] = Cfg(QStringLiteral("ModuloOrdenDeTrabajo")).trimmed() != QLatin1String("NO");
    });
    static const char* const clavesNoVacias[] = {"V_ModificaCPrecio",  "C_ModificaCPrecio",    "MADERERA",
                                                 "PideClave_StockNeg", "PideClave_MarkUpBase", "PideClave_LimiteCredito"};
    for (const char* c : clavesNoVacias) {
        const QString clave = QString::fromLatin1(c);
        pasos::Silenciosos([&] {
            const QString v = Cfg(clave).trimmed();
            m[clave] = !(v.isEmpty() || v == QLatin1String("NO"));
        });
    }
    static const char* const clavesTexto[] = {"TituloClientes",
                                              "TituloProveedores",
                                              "UNIDADDEMEDIDA_M3",
                                              "UNIDADDEMEDIDA_BL",
                                              "UNIDADDEMEDIDA_KG",
                                              "MAD_TIRAS",
                                              "MAD_P2",
                                              "MAD_ML",
                                              "MAD_M2",
                                              "MAD_HOJAS",
                                              "MAD_ML_P2",
                                              "MAD_M2_P2",
                                              "MAD_ML_M2",
                                              "CuentaCtroDist"};
    for (const char* c : clavesTexto) {
        const QString clave = QString::fromLatin1(c);
        pasos::Silenciosos([&] { m[clave] = Cfg(clave).trimmed(); });
    }
    pasos::Silenciosos([&] { m[QStringLiteral("CantidadDecimales")] = Cfg(QStringLiteral("CantidadDecimales")); });
    pasos::Silenciosos([&] { m[QStringLiteral("PERIODO")] = fc.ValorEntero(Cfg(QStringLiteral("PERIODO"))); });
    pasos::Silenciosos([&] { m[QStringLiteral("MaxDto")] = fc.ValorNumerico(Cfg(QStringLiteral("MaxDto"))); });
    pasos::Silenciosos([&] { m[QStringLiteral("MaxDtoProforma")] = fc.ValorNumerico(Cfg(QStringLiteral("MaxDtoProforma"))); });
    pasos::Silenciosos([&] {
        long fondo = static_cast<long>(fc.ValorNumerico(Cfg(QStringLiteral("CFondo"))));
        if (fondo == 0) fondo = 16776960;
        s.gColorFondo = fondo;
    });
    pasos::Silenciosos([&] { s.gColorLetra = static_cast<long>(fc.ValorNumerico(Cfg(QStringLiteral("CLetra")))); });
    s.gConfidencialidad = m.value(QStringLiteral("SS_CONFIDENCIALIDAD")).toBool();
    s.gUtilizarFechaDia = m.value(QStringLiteral("UTILIZARFECHADIA")).toBool();

    driver::Recordset rs;
    pasos::Silenciosos(
        [&] {
            QString q = QStringLiteral("Select * from ta_usuarios  with(nolock)  where Nombre = '") +
                        QString(s.gUsuarioSistema).remove(QLatin1Char('\'')) + QStringLiteral("'");
            gBaseDatos().AbrirRecordset(q, rs, nullptr, driver::adOpenForwardOnly, driver::adLockReadOnly, -1, true);
        },
        [&] {
            if (rs.State() == driver::adStateClosed || (rs.BOF() && rs.EOF_())) return;
            s.gUnidadNegocio = fc.TextoCampo(rs.Fields(QStringLiteral("UNegocio")).Value);
        },
        [&] {
            if (rs.State() == driver::adStateClosed || (rs.BOF() && rs.EOF_())) return;
            if (m.value(QStringLiteral("UsaFacturaProforma")).toBool())
                m[QStringLiteral("verproforma")] = fc.TextoCampo(rs.Fields(QStringLiteral("verproforma")).Value);
        },
        [&] {
            if (rs.State() == driver::adStateClosed || (rs.BOF() && rs.EOF_())) return;
            m[QStringLiteral("clasepusa")] =
                fc.TextoCampo(rs.Fields(QStringLiteral("clasepusa")).Value).trimmed().remove(QLatin1Char(','));
        },
        [&] { gBaseDatos().CierraRecordset(rs); });
    if (s.gUnidadNegocio.isEmpty()) s.gUnidadNegocio = QStringLiteral("   1");

    m[QStringLiteral("ArchivoTareas")] = Carpeta + QStringLiteral("TVDOCTareas.tvx");
    pasos::Silenciosos([&] { m[QStringLiteral("CONDIVAEMPRESA")] = fc.ValorEntero(Cfg(QStringLiteral("CONDIVAEMPRESA"))); });
    pasos::Silenciosos([&] {
        DatosDeEmpresa d;
        DatosEmpresa(s.gUnidadNegocio, d);
        int c = fc.ValorEntero(d.CondicionIva);
        s.gCondicionIva = c == 0 ? 1 : c;
    });
    pasos::Silenciosos([&] {
        QString top = Cfg(QStringLiteral("Top_Default"));
        if (top.trimmed().isEmpty()) top = QStringLiteral("1000");
        m[QStringLiteral("Top_Default")] = top;
    });
}

void DatosEmpresa(const QString& UnidadNegocio, DatosDeEmpresa& d) {
    auto& fc = FuncionesComunes::instancia();
    driver::Recordset rs;
    pasos::Silenciosos(
        [&] {
            if (UnidadNegocio.isEmpty()) return;
            const QString un = fc.FormatoLongitud(UnidadNegocio, 4);
            if (!gBaseDatos().ExisteEnTabla(QStringLiteral("v_ta_unidadNegocio"), un, QStringLiteral("codigo"), &rs, 8, QString(),
                                            true))
                return;
            d.RazonSocial = fc.TextoCampo(rs.Fields(QStringLiteral("razon_social")).Value);
            d.Cuit = fc.TextoCampo(rs.Fields(QStringLiteral("Cuit")).Value);
            const QString u = UnidadNegocio.trimmed();
            if (!d.Cuit.isEmpty()) {
                d.InicioActividades = Cfg(QStringLiteral("INICIO_ACTIVIDADES_UN_") + u).trimmed();
                d.IngresosBrutos = Cfg(QStringLiteral("INGRESOS_BRUTOS_UN_") + u).trimmed();
                d.CondicionIva = Cfg(QStringLiteral("CONDICIONIVA_UN_") + u).trimmed();
                d.Domicilio = Cfg(QStringLiteral("DOMICILIO_UN_") + u).trimmed();
            } else {
                d.InicioActividades.clear();
                d.IngresosBrutos.clear();
                d.CondicionIva.clear();
                d.Domicilio.clear();
                d.RazonSocial.clear();
            }
            d.PuntoVenta = fc.TextoCampo(rs.Fields(QStringLiteral("PDV")).Value).trimmed();
        },
        [&] { gBaseDatos().CierraRecordset(rs); },
        [&] {
            if (d.RazonSocial.trimmed().isEmpty()) d.RazonSocial = Cfg(QStringLiteral("NOMBRE"));
        },
        [&] {
            if (d.Cuit.trimmed().isEmpty()) d.Cuit = Cfg(QStringLiteral("cuit"));
        },
        [&] {
            if (d.CondicionIva.trimmed().isEmpty()) d.CondicionIva = Cfg(QStringLiteral("CONDIVAEMPRESA"));
        },
        [&] {
            if (d.InicioActividades.trimmed().isEmpty()) d.InicioActividades = Cfg(QStringLiteral("INICIOACTIVIDADES")).trimmed();
        },
        [&] {
            if (d.IngresosBrutos.trimmed().isEmpty()) d.IngresosBrutos = Cfg(QStringLiteral("NROINGRESOSBRUTOS")).trimmed();
        },
        [&] {
            if (d.Domicilio.trimmed().isEmpty())
                d.Domicilio = Cfg(QStringLiteral("CALLE")) + QStringLiteral(" ") + Cfg(QStringLiteral("NUMERO")) +
                              QStringLiteral("  ") + Cfg(QStringLiteral("PISO")) + QStringLiteral(" ") +
                              Cfg(QStringLiteral("Departamento"));
        });
}
