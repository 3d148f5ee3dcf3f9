#include "core/LectorBase.h"

#include "db/DB_Dll.h"
#include "services/LectorFilas.h"

#include <algorithm>

void InstalarLectorFilas() {
    EstablecerLectorFilas([](const QString& sql) {
        ResultadoLectura r;
        auto& db = gBaseDatos();
        driver::Recordset rs;
        QString texto = sql;
        db.gCnn().Errors().Clear();
        db.AbrirRecordset(texto, rs, nullptr, driver::adOpenForwardOnly, driver::adLockReadOnly, -1, true);
        if (rs.State() == driver::adStateClosed) {
            const auto& e = db.gCnn().Errors();
            r.error = e.Vacia() ? QStringLiteral("No se pudo leer la tabla.") : e.Item(0).Description;
            return r;
        }
        for (int i = 0; i < rs.FieldCount(); ++i) {
            r.columnas << rs.Fields(i).Name;
            r.tipos << rs.Fields(i).Type;
        }
        if (!(rs.BOF() && rs.EOF_())) {
            rs.MoveFirst();
            const auto columnas = rs.GetRows();  // [field][row]
            const int filas = columnas.isEmpty() ? 0 : static_cast<int>(columnas.first().size());
            r.filas.reserve(filas);
            for (int f = 0; f < filas; ++f) {
                QVariantList fila;
                fila.reserve(columnas.size());
                for (const auto& c : columnas) fila << c.at(f);
                r.filas << fila;
            }
        }
        db.CierraRecordset(rs);
        return r;
    });
    // Row by row: each row is handed over from where the record set holds it, never copied out
    // as a whole table.
    EstablecerRecorridoFilas([](const QString& sql, const Cabecera& cabecera, const FilaLeida& fila) -> QString {
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
    });
}
