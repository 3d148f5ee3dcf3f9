#include "layout/Def_QConsulta.h"

#include "lookup/Lib_ClsCons3.h"

#include <QStringList>

namespace {

bool Igual(const QString& a, const char* b) {
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

bool EnLista(const QString& t, const QStringList& lista) {
    for (const QString& x : lista)
        if (t.compare(x, Qt::CaseInsensitive) == 0) return true;
    return false;
}

// "ID" + the text after the first occurrence of prefijo, less a final "S" (any case).
QString ClaveDerivada(const QString& tabla, const QString& prefijo, bool quitarS = true) {
    const int p = tabla.indexOf(prefijo, 0, Qt::CaseInsensitive);
    QString resto = p < 0 ? tabla : tabla.mid(p + prefijo.size());
    if (quitarS && resto.endsWith(QLatin1Char('S'), Qt::CaseInsensitive)) resto.chop(1);
    return QStringLiteral("ID") + resto;
}

const QStringList kGrupoV = {
    QStringLiteral("@admin_V_TA_Familias"), QStringLiteral("V_TA_Cajas"),      QStringLiteral("V_TA_Bancos"),
    QStringLiteral("V_TA_MotivoVta"),       QStringLiteral("V_TA_MotivoCpra"), QStringLiteral("V_TA_Deposito"),
    QStringLiteral("V_TA_Tecnicos"),        QStringLiteral("V_TA_Tareas"),     QStringLiteral("V_TA_Unidad"),
    QStringLiteral("V_TA_TipoArticulo"),    QStringLiteral("V_TA_Rubros"),     QStringLiteral("V_TA_MotivoStock"),
    QStringLiteral("V_TA_CPRA_VTA"),        QStringLiteral("V_TA_CATEGORIA"),  QStringLiteral("V_TA_DESTINO"),
    QStringLiteral("V_TA_ORIGEN")};
const QStringList kGrupoP = {
    QStringLiteral("P_TA_NIVELESTUDIO"),   QStringLiteral("P_TA_CONOCIMIENTOS"),  QStringLiteral("P_TA_Categorizacion"),
    QStringLiteral("P_TA_CentroMedico"),   QStringLiteral("P_TA_FormasDePago"),   QStringLiteral("P_MA_Empresas"),
    QStringLiteral("P_TA_ZONARESIDENCIA"), QStringLiteral("P_TA_ObraSocial"),     QStringLiteral("P_TA_MotivoEgreso"),
    QStringLiteral("P_TA_Grupos"),         QStringLiteral("P_TA_EstadoBusqueda"), QStringLiteral("P_TA_Areas"),
    QStringLiteral("P_TA_IDIOMAS"),        QStringLiteral("P_TA_TITULOs"),        QStringLiteral("P_TA_ESTADOPOSTULANTE"),
    QStringLiteral("P_TA_Parentesco"),     QStringLiteral("P_TA_EstadoCivil")};
const QStringList kGrupoT = {QStringLiteral("TA_Categoria"), QStringLiteral("TA_Deposito"), QStringLiteral("TA_MotivoStock"),
                             QStringLiteral("TA_TipoArticulo"), QStringLiteral("TA_Rubros")};

void Catalogo(const QString& t, QString& d, QString& k, QString& x) {
    auto fijar = [&](const QString& dd, const QString& kk, const QString& xx) {
        d = dd;
        k = kk;
        x = xx;
    };
    if (Igual(t, "V_TA_Cpte")) return fijar(QStringLiteral("Descripcion"), QStringLiteral("Codigo"), QString());
    if (Igual(t, "V_TA_PERCEPCION")) return fijar(QStringLiteral("DESCRIPCION"), QStringLiteral("IDPERCEPCION"), QString());
    if (Igual(t, "V_TA_RETENCIONES")) return fijar(QStringLiteral("DESCRIPCION"), QStringLiteral("IDRETENCION"), QString());
    if (Igual(t, "V_ta_PoliticaPrecios")) return fijar(QStringLiteral("Descripcion"), QStringLiteral("codigo"), QString());
    if (EnLista(t, kGrupoV)) {
        const QString desc = Igual(t, "V_TA_Tecnicos") ? QStringLiteral("NOMBRE") : QStringLiteral("DESCRIPCION");
        QString clave;
        if (Igual(t, "V_TA_CPRA_VTA"))
            clave = QStringLiteral("IDCOND_CPRA_VTA");
        else if (Igual(t, "V_TA_TipoArticulo"))
            clave = QStringLiteral("IDTIPO");
        else if (Igual(t, "V_TA_Cajas"))
            clave = QStringLiteral("IDCajas");
        else
            clave = ClaveDerivada(t, QStringLiteral("V_TA_"));
        return fijar(desc, clave, QString());
    }
    if (EnLista(t, kGrupoP)) {
        const QString desc = Igual(t, "P_MA_Empresas") ? QStringLiteral("NombreEmpresa") : QStringLiteral("Descripcion");
        QString resto = t.mid(5);
        if (!Igual(t, "P_TA_Areas") && resto.endsWith(QLatin1Char('S'), Qt::CaseInsensitive)) resto.chop(1);
        return fijar(desc, QStringLiteral("ID") + resto, QString());
    }
    if (Igual(t, "P_SINDICATOS")) return fijar(QStringLiteral("Descripcion"), QStringLiteral("IdSindicato"), QString());
    if (Igual(t, "P_TA_Funciones")) return fijar(QStringLiteral("DESCRIPCION"), QStringLiteral("ID") + t.mid(5), QString());
    if (EnLista(t, kGrupoT)) {
        const QString clave = Igual(t, "TA_TipoArticulo") ? QStringLiteral("IDTIPO") : ClaveDerivada(t, QStringLiteral("TA_"));
        return fijar(QStringLiteral("DESCRIPCION"), clave, QString());
    }
    if (Igual(t, "P_MA_Clientes")) return fijar(QStringLiteral("RAZON_SOCIAL"), QStringLiteral("IDCLIENTE"), QString());
    if (Igual(t, "TA_Cpte")) return fijar(QStringLiteral("DESCRIPCION"), QStringLiteral("CODIGO"), QStringLiteral("DESCRIPCION"));
    if (Igual(t, "V_MA_ARTICULOS"))
        return fijar(QStringLiteral("DESCRIPCION"), ClaveDerivada(t, QStringLiteral("V_MA_")), QStringLiteral("DESCRIPCION"));
    if (Igual(t, "V_MV_COTIZAR"))
        return fijar(QStringLiteral("COT_OBSERVACIONES"), QStringLiteral("IDARTICULO"), QStringLiteral("COT_OBSERVACIONES"));
    if (Igual(t, "MA_ARTICULOS"))
        return fijar(QStringLiteral("DESCRIPCION"), ClaveDerivada(t, QStringLiteral("MA_")), QStringLiteral("DESCRIPCION"));
    if (Igual(t, "MA_MODELOS")) return fijar(QStringLiteral("NOMBRE"), QStringLiteral("NOMBRE"), QStringLiteral("NOMBRE"));
    if (Igual(t, "MA_CHOFERES")) return fijar(QStringLiteral("APELLIDO"), QStringLiteral("CODIGO"), QStringLiteral("NOMBRES"));
    if (Igual(t, "MA_DESTINATARIOS")) return fijar(QStringLiteral("NOMBRE"), QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"));
    if (Igual(t, "MA_VEHICULOS")) return fijar(QStringLiteral("PATENTE"), QStringLiteral("PATENTE"), QStringLiteral("MODELO"));
    if (Igual(t, "MV_EJERCICIOS"))
        return fijar(QStringLiteral("DESCRIPCION"), QStringLiteral("PERIODO"), QStringLiteral("DESCRIPCION"));
    if (Igual(t, "TA_USUARIOS")) return fijar(QStringLiteral("NOMBRE"), QStringLiteral("NOMBRE"), QString());
    if (Igual(t, "ta_unidad")) return fijar(QStringLiteral("Descripcion"), QStringLiteral("IdUnidad"), QString());
    if (t.startsWith(QStringLiteral("TA_"), Qt::CaseInsensitive))
        return fijar(QStringLiteral("DESCRIPCION"), QStringLiteral("CODIGO"), QStringLiteral("DESCRIPCION"));
    if (t.startsWith(QStringLiteral("MA_"), Qt::CaseInsensitive)) {
        const QString seis = t.left(6).toUpper();
        if (seis == QLatin1String("MA_PRO") || seis == QLatin1String("MA_VEN") || seis == QLatin1String("MA_TRA") ||
            seis == QLatin1String("MA_CON") || seis == QLatin1String("MA_AGE"))
            return fijar(QStringLiteral("Razon_Social"), QStringLiteral("Codigo"), QStringLiteral("Razon_Social"));
        if (seis == QLatin1String("MA_CLI"))
            return fijar(QStringLiteral("Razon_Social"), QStringLiteral("Codigo"), QStringLiteral("Codigo_sucursal"));
        if (seis == QLatin1String("MA_POS")) {
            d = QStringLiteral("Descripcion");
            k = QStringLiteral("IdPosicion");
            return;  // the extra column stays as the caller passed it
        }
        return fijar(QStringLiteral("Descripcion"), QStringLiteral("Codigo"), QStringLiteral("Descripcion"));
    }
    if (t.startsWith(QStringLiteral("[MA"), Qt::CaseInsensitive)) {
        if (t.left(6).toUpper() == QLatin1String("[MA_CA"))
            return fijar(QStringLiteral("nombre"), QStringLiteral("Codigo"), QStringLiteral("nombre"));
        return;
    }
    if (t.startsWith(QStringLiteral("MV_"), Qt::CaseInsensitive)) {
        if (t.left(6).toUpper() == QLatin1String("MV_PRO"))
            return fijar(QStringLiteral("ASUNTO"), QStringLiteral("ID"), QStringLiteral("ASUNTO"));
        return;
    }
}

}  // namespace

void DefinirConsulta(QString& tabla, QString& descripcion, QString& clave, QString& extra, bool ejecutar, QString& condicion) {
    Catalogo(tabla, descripcion, clave, extra);
    if (!ejecutar) return;
    const QString desc = descripcion.trimmed().isEmpty() ? QStringLiteral(" * ") : descripcion;
    auto& motor = Lib_ClsCons3::instancia();
    motor.CampoDevuelto = clave;
    const QString sql = QStringLiteral("select ") + desc + QStringLiteral(",") + clave + QStringLiteral(" from ") + tabla +
                        QStringLiteral(" ") + condicion;
    motor.ConsultaSearch(sql, false);
    const QString v = motor.ValorDevuelto.toString();
    clave = v.isEmpty() ? QString() : v;
}
