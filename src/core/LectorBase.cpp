#include "core/LectorBase.h"

#include "db/DB_Dll.h"
#include "services/LectorFilas.h"

#include <algorithm>

QString RecorrerFilasDeLaBase(const QString& sql, const Cabecera& cabecera, const FilaLeida& fila) {
    auto& db = gBaseDatos();
    driver::Recordset rs;
    QString texto = sql;
    db.gCnn().Errors().Clear();
    db.AbrirRecordset(texto, rs, nullptr, driver::adOpenForwardOnly, driver::adLockReadOnly, -1, true);
    if (rs.State() == driver::adStateClosed) {
        const auto& e = db.gCnn().Errors();
        return e.Vacia() ? QStringLiteral("No se pudo leer la tabla.") : e.Item(0).Description;
    }
    CabeceraLectura c;
    const int n = rs.FieldCount();
    for (int i = 0; i < n; ++i) {
        c.columnas << rs.Fields(i).Name;
        c.tipos << rs.Fields(i).Type;
    }
    c.total = std::max(0L, rs.RecordCount());
    if (cabecera(c) && c.total > 0) {
        rs.MoveFirst();
        QVariantList valores(n);
        for (; !rs.EOF_(); rs.MoveNext()) {
            for (int i = 0; i < n; ++i) valores[i] = rs.Fields(i).Value;
            if (!fila(valores)) break;
        }
    }
    db.CierraRecordset(rs);
    return QString();
}

ResultadoLectura LeerFilasDeLaBase(const QString& sql) {
    ResultadoLectura r;
    r.error = RecorrerFilasDeLaBase(
        sql,
        [&](const CabeceraLectura& c) {
            r.columnas = c.columnas;
            r.tipos = c.tipos;
            r.filas.reserve(c.total);
            return true;
        },
        [&](const QVariantList& fila) {
            r.filas << fila;
            return true;
        });
    return r;
}

void InstalarLectorFilas() {
    EstablecerLectorFilas(LeerFilasDeLaBase);
    EstablecerRecorridoFilas(RecorrerFilasDeLaBase);
}
