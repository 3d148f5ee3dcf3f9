#include "db/Sinonimos.h"

#include "db/Dialecto.h"

namespace sinonimos {

namespace {

using dialecto::ContieneTexto;
using dialecto::ReemplazarTodo;

const QString kMarca = QStringLiteral("@Admin_");

// The five places where a table name is recognised: after a blank or "(" with a blank after it,
// and after a blank, "(" or "," with a column after it.
QString Grupo(QString texto, const QString& tabla, const QString& sinonimo) {
    const QString b = QStringLiteral(" "), a = QStringLiteral("("), p = QStringLiteral("."), c = QStringLiteral(",");
    texto = ReemplazarTodo(texto, b + tabla + b, b + sinonimo + b);
    texto = ReemplazarTodo(texto, a + tabla + b, a + sinonimo + b);
    texto = ReemplazarTodo(texto, b + tabla + p, b + sinonimo + p);
    texto = ReemplazarTodo(texto, a + tabla + p, a + sinonimo + p);
    texto = ReemplazarTodo(texto, c + tabla + p, c + sinonimo + p);
    return texto;
}

bool EsPrograma(const QString& programa, const char* nombre) {
    return programa.compare(QLatin1String(nombre), Qt::CaseInsensitive) == 0;
}

}  // namespace

QString SS_TSinonimos(const QString& sql, bool esAdmin, bool confidencialidad, const QString& programa) {
    QString t = sql;
    if (!esAdmin && (!ContieneTexto(t, QStringLiteral("MV_ASIENTOS")) || confidencialidad)) {
        t = Grupo(t, QStringLiteral("MA_CUENTAS"), QStringLiteral("SS_MA_CUENTAS"));
        // Report formulas name columns as {TABLE.COLUMN}.
        t = ReemplazarTodo(t, QStringLiteral("{MA_CUENTAS."), QStringLiteral("{SS_MA_CUENTAS."));
        // One marker anywhere means the statement was written for the real accounts table: the
        // accounts synonym is withdrawn from the whole statement.
        if (ContieneTexto(t, QStringLiteral("@admin_"))) {
            t = ReemplazarTodo(t, QStringLiteral("@Admin_MA_CUENTAS"), QStringLiteral("MA_CUENTAS"));
            t = ReemplazarTodo(t, QStringLiteral("SS_MA_CUENTAS"), QStringLiteral("MA_CUENTAS"));
        }
        if (!EsPrograma(programa, "V_CONS_FICHA_ALMACEN") && !EsPrograma(programa, "RP_ALMACEN"))
            t = Grupo(t, QStringLiteral("V_TA_DEPOSITO"), QStringLiteral("SS_V_TA_DEPOSITO"));
        t = Grupo(t, QStringLiteral("MV_ASIENTOS"), QStringLiteral("SS_MV_ASIENTOS"));
        if (!EsPrograma(programa, "RAVEZEZ") && !EsPrograma(programa, "QDL"))
            t = Grupo(t, QStringLiteral("V_TA_FAMILIAS"), QStringLiteral("SS_V_TA_FAMILIAS"));
        t = Grupo(t, QStringLiteral("V_TA_CAJAS"), QStringLiteral("SS_V_TA_CAJAS"));
        t = Grupo(t, QStringLiteral("AC_CUENTASDIARIO"), QStringLiteral("SS_AC_CUENTASDIARIO"));
        // The synonym of the cost-centre summary is spelled CUENTAS_DIARIO in the database.
        t = Grupo(t, QStringLiteral("AC_CUENTASDIARIO_CCOSTO"), QStringLiteral("SS_AC_CUENTAS_DIARIO_CCOSTO"));
    }
    return dialecto::QuitarTodo(t, kMarca);
}

QString PrepararSentencia(const QString& texto, bool esAdmin, bool confidencialidad, const QString& programa) {
    const bool crea = ContieneTexto(texto, QStringLiteral("CREATE"));
    const bool borra = ContieneTexto(texto, QStringLiteral("DROP"));
    const bool elimina = ContieneTexto(texto, QStringLiteral("DELETE"));
    // Scripts that drop and re-create views are the ones that name confidential tables in the
    // object they build; ordinary statements and row deletions act on the tables they name.
    if (crea && borra && !elimina && !ContieneTexto(texto, QStringLiteral("@ADMIN_")))
        return SS_TSinonimos(texto, esAdmin, confidencialidad, programa);
    return dialecto::QuitarTodo(texto, kMarca);
}

}  // namespace sinonimos
