#include "asistente/EscritorAsistente.h"

#include "core/Auditoria.h"
#include "core/SentenciasSQL.h"
#include "db/DB_Dll.h"
#include "layout/QDL_RTLocator.h"

#include <QVector>

namespace asistente {

namespace {

const QString CR = QStringLiteral("\r");
constexpr int kActualizacionesPorGuion = 200;

// Closes the banner however the writing ends.
struct Fin {
    const std::function<void()>& fin;
    ~Fin() {
        if (fin) fin();
    }
};

// The connection's messages as the suite's script runner words them: "native : description".
QString Mensajes(const driver::Errores& errores, long* nativo) {
    QString r;
    *nativo = errores.Count() > 0 ? errores.Item(0).NativeError : 0;
    for (int i = 0; i < errores.Count(); ++i)
        r += QString::number(errores.Item(i).NativeError) + QStringLiteral(" : ") + errores.Item(i).Description +
             QStringLiteral("\r\n");
    return r;
}

}  // namespace

ResultadoEscritura EscribirPlan(const PlanAsistente& plan, const ProgresoEscritura& progreso) {
    ResultadoEscritura r;
    QVector<const Entrada*> nuevas, cambiadas;
    for (const Entrada& e : plan.Entradas()) {
        if (e.estado == Estado::Nueva) nuevas << &e;
        if (e.estado == Estado::Cambiada && plan.Actualizar()) cambiadas << &e;
    }
    const qint64 total = nuevas.size() + cambiadas.size();
    if (total == 0) return r;

    auto& db = gBaseDatos();
    auto& errores = db.gCnn().Errors();
    if (progreso.inicio) progreso.inicio(total);
    Fin cierre{progreso.fin};

    // The statement that failed, for the audit row.
    QString ultimo;
    auto fallo = [&]() -> ResultadoEscritura& {
        long nativo = 0;
        r.mensaje = Mensajes(errores, &nativo);
        errores.Clear();
        db.EjecutaConsultaSQL(QStringLiteral("ROLLBACK TRANSACTION"));
        errores.Clear();
        QString proceso;
        GrabaErrorProceso(ultimo, proceso, nativo, r.mensaje);
        r.estado = ResultadoEscritura::Estado::Error;
        r.insertadas = r.actualizadas = 0;
        return r;
    };
    qint64 hechas = 0;
    auto seguir = [&]() -> bool {
        if (!progreso.avance || progreso.avance(hechas, total)) return true;
        errores.Clear();
        db.EjecutaConsultaSQL(QStringLiteral("ROLLBACK TRANSACTION"));
        errores.Clear();
        r.estado = ResultadoEscritura::Estado::Cancelado;
        r.insertadas = r.actualizadas = 0;
        return false;
    };

    errores.Clear();
    ultimo = QStringLiteral("BEGIN TRANSACTION");
    db.EjecutaConsultaSQL(ultimo);
    if (!errores.Vacia()) return fallo();

    // Inserts: the editor's column list, many rows a statement; on Oracle, which has no rows
    // constructor, one row a statement.
    const bool oracle = db.gCnn().ConnectionString().contains(QLatin1String("oracle"), Qt::CaseInsensitive);
    const int porSentencia = oracle ? 1 : kFilasPorInsercion;
    QStringList nombres;
    for (int c = 0; c < kColumnas; ++c) nombres << NombreColumna(c);
    const QString fila = QLatin1Char('(') + QStringLiteral("?,").repeated(kColumnas - 1) + QStringLiteral("?)");
    auto sentencia = [&](int filas) {
        QString s = QStringLiteral("INSERT INTO MA_Posiciones (") + nombres.join(QLatin1Char(',')) + QStringLiteral(") VALUES ");
        for (int k = 0; k < filas; ++k) s += (k ? QStringLiteral(",") : QString()) + fila;
        return s;
    };
    const QString completa = sentencia(porSentencia);
    QVector<QVariant> valores;
    valores.reserve(porSentencia * kColumnas);
    for (qsizetype i = 0; i < nuevas.size(); i += porSentencia) {
        const int filas = static_cast<int>(std::min<qsizetype>(porSentencia, nuevas.size() - i));
        valores.clear();
        for (int k = 0; k < filas; ++k) {
            const Entrada& e = *nuevas[i + k];
            for (int c = 0; c < kColumnas; ++c) {
                const QString& v = e.Valor(c);
                // The length first: a million values go through here, hardly one of them "Null".
                if (v.size() == 4 && v.compare(QLatin1String("Null"), Qt::CaseInsensitive) == 0)
                    valores.emplaceBack();
                else
                    valores.emplaceBack(v);
            }
        }
        ultimo = filas == porSentencia ? completa : sentencia(filas);
        long n = 0;
        db.EjecutaConParametros(ultimo, valores, n);
        if (!errores.Vacia()) {
            QStringList v;
            for (const QVariant& x : std::as_const(valores)) v << (x.isNull() ? QStringLiteral("Null") : x.toString());
            ultimo += CR + QStringLiteral("-- ") + v.join(QLatin1Char(','));
            return fallo();
        }
        hechas += filas;
        r.insertadas += filas;
        if (!seguir()) return r;
    }

    // Updates: the editor's UPDATE of each position, for the columns the source gave.
    QStringList guion;
    auto correr = [&]() -> bool {
        QString texto;
        for (const QString& s : std::as_const(guion))
            if (!s.trimmed().isEmpty()) texto += CR + s;
        guion.clear();
        if (texto.isEmpty()) return true;
        ultimo = texto;
        long n = 0;
        db.EjecutaConsultaSQL(texto, n, nullptr);
        return errores.Vacia();
    };
    int enGuion = 0;
    for (const Entrada* e : std::as_const(cambiadas)) {
        bool primero = true;
        for (int c = 0; c < kColumnas; ++c) {
            if (!(e->columnas & (1u << c))) continue;
            AgregaCampo(NombreColumna(c), e->Valor(c), QStringLiteral("'"), primero);
            primero = false;
        }
        QString donde = QStringLiteral(" Where IDDEPOSITO = '") + TextoSql(plan.Deposito()) +
                        QStringLiteral("' AND IDPOSICION='") + TextoSql(e->codigo) + QStringLiteral("'");
        ArmaSentencia(gCampos(), guion, QStringLiteral("MA_Posiciones"), true, donde, false);
        if (++enGuion == kActualizacionesPorGuion) {
            if (!correr()) return fallo();
            hechas += enGuion;
            r.actualizadas += enGuion;
            enGuion = 0;
            if (!seguir()) return r;
        }
    }
    if (!correr()) return fallo();
    hechas += enGuion;
    r.actualizadas += enGuion;
    if (!seguir()) return r;

    ultimo = QStringLiteral("COMMIT TRANSACTION");
    db.EjecutaConsultaSQL(ultimo);
    if (!errores.Vacia()) return fallo();
    r.estado = ResultadoEscritura::Estado::Escrito;
    return r;
}

}  // namespace asistente
