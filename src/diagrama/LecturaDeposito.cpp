#include "diagrama/LecturaDeposito.h"

#include "db/DB_Dll.h"
#include "layout/QDL_RTLocator.h"
#include "services/FuncionesComunes.h"
#include "services/Pasos.h"

#include <cmath>

namespace diagrama {

namespace {

// The flags packed by the database, so that a row carries two numbers instead of seven values.
// A flag counts as set only when it holds true, as the editor's check boxes read it.
const char* const kMarcas =
    "(CASE WHEN Habilitado = 1 THEN 0 ELSE 1 END) + (CASE WHEN Reservado = 1 THEN 2 ELSE 0 END) + "
    "(CASE WHEN Completa = 1 THEN 4 ELSE 0 END) + (CASE WHEN Picking = 1 THEN 8 ELSE 0 END) + "
    "(CASE WHEN Titulo = 1 THEN 16 ELSE 0 END) + "
    "(CASE WHEN IdRubro IS NULL AND IdTipo IS NULL AND IdArticulo IS NULL AND IdFamilia IS NULL THEN 0 ELSE 32 END)";

bool SinFilas(const driver::Recordset& rs) {
    return rs.State() == driver::adStateClosed || (rs.BOF() && rs.EOF_());
}

int Reportar(const ErrorEjecucion& e, const QString& rutina) {
    return FuncionesComunes::instancia().ErrorRutina(e, rutina);
}

}  // namespace

QString SentenciaPosiciones(const QString& deposito) {
    return QStringLiteral("SELECT IdPosicion, Descripcion, Capacidad, IdUnidad, ") + QLatin1String(kMarcas) +
           QStringLiteral(" AS Marcas FROM MA_POSICIONES  with(nolock)  WHERE IdDeposito = '") + TextoSql(deposito) +
           QStringLiteral("' ORDER BY IdPosicion");
}

Firma FirmaDeposito(const QString& deposito) {
    return PosicionesLayout(deposito).Firma(QStringLiteral("IdPosicion, Descripcion, Capacidad, IdUnidad, ") +
                                            QLatin1String(kMarcas));
}

bool LeerDeposito(const QString& deposito, LayoutDeposito& layout, const std::function<bool(qint64, qint64)>& avance) {
    driver::Recordset rs;
    bool completo = false;
    qint64 total = 0;
    const auto r = pasos::Pasos(
        QStringLiteral("LeerDeposito"), Reportar,
        [&] {
            gBaseDatos().AbrirRecordset(SentenciaPosiciones(deposito), rs, driver::adOpenForwardOnly, driver::adLockReadOnly);
        },
        [&] { ActualizarNivelesLayout(); },
        [&]() -> bool {
            if (rs.State() == driver::adStateClosed) return false;  // the database layer has told why
            total = SinFilas(rs) ? 0 : rs.RecordCount();
            layout.Comenzar(gNiveles(), total);
            // A text is taken as the record set holds it (UTF-8) when it can be, without a string
            // made for it.
            auto texto = [&rs](int campo, QString& copia) -> QAnyStringView {
                QUtf8StringView crudo;
                if (rs.TextoUtf8(campo, crudo)) return crudo;
                const QVariant v = rs.Fields(campo).Value;
                copia = v.isNull() ? QString() : v.toString();
                return copia;
            };
            qint64 hechas = 0;
            for (; !rs.EOF_(); rs.MoveNext()) {
                QString c0, c1, c3;
                const QAnyStringView codigo = texto(0, c0), descripcion = texto(1, c1), unidad = texto(3, c3);
                const QVariant capacidad = rs.Fields(2).Value;
                const int marcas = rs.Fields(4).Value.toInt();
                layout.Agregar(codigo, descripcion, capacidad.isNull() ? std::nan("") : capacidad.toDouble(), unidad,
                               static_cast<quint8>(marcas & 0x3F));
                if ((++hechas & 8191) == 0 && avance && !avance(hechas, total)) return false;
            }
            layout.Terminar();
            completo = true;
            return true;
        },
        [&] {
            if (rs.State() != driver::adStateClosed) gBaseDatos().CierraRecordset(rs);
        });
    if (!completo && rs.State() != driver::adStateClosed) gBaseDatos().CierraRecordset(rs);
    return r == pasos::Resultado::Completo && completo;
}

}  // namespace diagrama
