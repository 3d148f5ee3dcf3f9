#include "core/Auditoria.h"

#include "core/SentenciasSQL.h"
#include "db/DB_Dll.h"
#include "services/FuncionesComunes.h"
#include "services/FuncionesSistema.h"
#include "services/Pasos.h"
#include "services/Plataforma.h"
#include "services/Sesion.h"

void GrabaAccionComprobante(const QString& TC, const QString& IdComprobante, QString& IdComplemento, bool Alta, bool Modificacion,
                            bool, const QString& Texto, const QString& Cuenta, bool EsError) {
    auto& fc = FuncionesComunes::instancia();
    QString sentencia;
    pasos::Silenciosos(
        [&] {
            if (IdComplemento.isEmpty()) IdComplemento = QStringLiteral("0");
        },
        [&] {
            auto q = [](const QString& v) { return DB_Dll::SQLValue(QString(v).remove(QLatin1Char('\'')), QStringLiteral("'")); };
            const QString tipo = EsError        ? QStringLiteral("ER")
                                 : Alta         ? QStringLiteral("A")
                                 : Modificacion ? QStringLiteral("M")
                                                : QStringLiteral("B");
            auto& c = gCampos();
            c = ListaCampos(11);
            c[0] = {QStringLiteral("TC"), q(fc.FormatoLongitud(TC.trimmed(), 4))};
            c[1] = {QStringLiteral("IdComprobante"), q(IdComprobante)};
            c[2] = {QStringLiteral("IdComplemento"), IdComplemento};
            c[3] = {QStringLiteral("Tipo_accion"), q(tipo)};
            c[4] = {QStringLiteral("FECHAHORA"), q(FechaServidor().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))};
            c[5] = {QStringLiteral("Usuario"), q(sesion().gUsuarioSistema)};
            c[6] = {QStringLiteral("PC"), q(FuncionesSistema::instancia().NombreEquipo())};
            c[7] = {QStringLiteral("SYSTEMUSER"), q(fc.LimitarTexto(Texto, 255).trimmed())};
            c[8] = {QStringLiteral("Proceso"),
                    q(fc.LimitarTexto(
                        plataforma().NombreEjecutable().trimmed() + QStringLiteral(" ") + sesion().gParametroAdicional, 255))};
            c[9] = {QStringLiteral("ProcesoLote"), q(fc.LimitarTexto(QString(), 25).trimmed())};
            c[10] = {QStringLiteral("Cuenta"), q(fc.LimitarTexto(Cuenta.trimmed(), 15).trimmed())};
        },
        [&] {
            sentencia = QStringLiteral(" INSERT INTO V_MV_CPTEACCIONES ");
            ArmaInsert(sentencia, gCampos(), true);
        },
        [&] {
            long n = 0;
            gBaseDatos().EjecutaConsultaSQL(sentencia, n, nullptr);
        });
}

void GrabaErrorProceso(const QString& Sql, QString& Proceso, long ErrorNativo, const QString& Descripcion) {
    auto& fc = FuncionesComunes::instancia();
    driver::Recordset rs;
    // A text longer than its column would make the database refuse the whole row, and the trail of
    // the failure would be lost; the texts are cut to what the column holds instead.
    auto ajustado = [&](const QString& campo, const QString& texto) {
        const int tamano = rs.Fields(campo).DefinedSize;
        return tamano > 0 && tamano < texto.size() ? fc.LimitarTexto(texto, tamano) : texto;
    };
    pasos::Silenciosos(
        [&] {
            if (Proceso.isEmpty()) Proceso = plataforma().NombreEjecutable();
        },
        [&] {
            QString s = QStringLiteral("select  top 1 * from AUX_ERR  with(nolock) ");
            gBaseDatos().AbrirRecordset(s, rs, nullptr, driver::adOpenDynamic, driver::adLockOptimistic, -1, true);
        },
        [&] { rs.AddNew(); }, [&] { rs.Asignar(QStringLiteral("Proceso"), ajustado(QStringLiteral("Proceso"), Proceso)); },
        [&] { rs.Asignar(QStringLiteral("fecha"), Formatear(plataforma().Ahora(), FmtFechaHora())); },
        [&] { rs.Asignar(QStringLiteral("Error"), static_cast<qint32>(ErrorNativo)); },
        [&] {
            rs.Asignar(QStringLiteral("Descripcion"), ajustado(QStringLiteral("Descripcion"), fc.LimitarTexto(Descripcion, 250)));
        },
        [&] { rs.Asignar(QStringLiteral("Sql"), Sql); },
        [&] { rs.Asignar(QStringLiteral("PC"), ajustado(QStringLiteral("PC"), FuncionesSistema::instancia().NombreEquipo())); },
        [&] { rs.Asignar(QStringLiteral("Usuario"), ajustado(QStringLiteral("Usuario"), sesion().gUsuarioSistema)); },
        [&] { rs.Update(); }, [&] { gBaseDatos().CierraRecordset(rs); });
}
