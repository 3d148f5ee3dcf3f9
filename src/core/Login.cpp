#include "core/Login.h"

#include "core/Auditoria.h"
#include "core/SentenciasSQL.h"
#include "db/DB_Dll.h"
#include "db/DialogoConexion.h"
#include "services/FuncionesComunes.h"
#include "services/FuncionesSistema.h"
#include "services/Pasos.h"
#include "services/Plataforma.h"
#include "services/Sesion.h"

namespace {
const QString CRLF = QStringLiteral("\r\n");
QString SinComillas(QString v) {
    return v.remove(QLatin1Char('\''));
}
}  // namespace

bool ValidaUsuario(const QString& Usuario, const QString& Clave) {
    auto& s = sesion();
    if (Usuario.compare(gBaseDatos().gDBName, Qt::CaseInsensitive) == 0) {
        s.gUsuarioSistema = Usuario;
        return true;
    }
    const QString sistemas = plataforma().NombreEjecutable().toUpper() == QLatin1String("TORVAL")
                                 ? QStringLiteral("(SISTEMA = 'TORVAL')")
                                 : QStringLiteral("(SISTEMA = 'qm210ax' OR SISTEMA = 'ORBE')");
    QString q = QStringLiteral("SELECT * FROM TA_USUARIOS WHERE NOMBRE = '") + SinComillas(Usuario.trimmed()) +
                QStringLiteral("' AND ") + sistemas;
    driver::Recordset rs;
    bool resultado = false;
    pasos::Silenciosos(
        [&] { gBaseDatos().AbrirRecordset(q, rs, nullptr, driver::adOpenForwardOnly, driver::adLockReadOnly, -1, true); },
        [&] {
            if (rs.State() == driver::adStateClosed || (rs.BOF() && rs.EOF_())) return;
            s.gUsuarioSistema = Usuario;
            auto& fc = FuncionesComunes::instancia();
            const QString clave = fc.Decodificar(fc.TextoCampo(rs.Fields(QStringLiteral("Password")).Value));
            resultado = clave.compare(Clave, Qt::CaseInsensitive) == 0;
        },
        [&] { gBaseDatos().CierraRecordset(rs); });
    return resultado;
}

ResultadoLogin ReintentoLogin(QString& baseDatos, QString& servidor) {
    auto& s = sesion();
    auto& db = gBaseDatos();
    plataforma().MsgBox(
        QStringLiteral("El usuario o clave en la base de datos es incorrecto!") + CRLF + QStringLiteral("Intentelo nuevamente"),
        vb::Critical, QStringLiteral("Atencion!"));
    for (int intento = 1; intento <= 3; ++intento) {
        auto dlg = CrearDialogoConexion();
        if (!dlg) plataforma().Terminar(1);
        dlg->Cargar(db.gDBName, db.gServidor, s.gUsuarioSistema, s.gClaveUsuario, 0);
        if (!dlg->Mostrar()) plataforma().Terminar(1);
        if (!ValidaUsuario(s.gUsuarioSistema, s.gClaveUsuario)) {
            plataforma().MsgBox(QStringLiteral("Usuario o Clave incorrecta"), vb::Information, QStringLiteral("Atencion"));
            QString complemento = QStringLiteral("0");
            GrabaAccionComprobante(QString(), QString(), complemento, true, false, false,
                                   QStringLiteral("Intento de inicio de sesion fallido"), QString(), false);
            continue;
        }
        if (dlg->BaseDatos().compare(db.gDBName, Qt::CaseInsensitive) == 0 &&
            dlg->Servidor().compare(db.gServidor, Qt::CaseInsensitive) == 0)
            return ResultadoLogin::Aceptado;
        baseDatos = dlg->BaseDatos();
        servidor = dlg->Servidor();
        db.gDBName = baseDatos;
        db.gServidor = servidor;
        return ResultadoLogin::Reabrir;
    }
    plataforma().MsgBox(QStringLiteral("Demasiados intentos para iniciar sesión!") + CRLF +
                            QStringLiteral("Comuniquese con el administrador de sistemas"),
                        vb::Critical, QStringLiteral("Atencion!"));
    plataforma().Terminar(1);
    return ResultadoLogin::Aceptado;  // not reached: Terminar does not return
}

void RegistraIngreso(const QString& Programa) {
    auto& s = sesion();
    auto& db = gBaseDatos();
    auto& fc = FuncionesComunes::instancia();
    const QString ejecutable = plataforma().NombreEjecutable();
    QString programa, tarea, ingreso;
    driver::Recordset rsTarea;
    pasos::Silenciosos(
        [&] {
            programa = Programa.isEmpty() ? ejecutable : Programa;
            if (s.gUsuarioSistema.isEmpty()) s.gUsuarioSistema = db.gUsuario;
        },
        [&] {
            QString q = QStringLiteral("SELECT TA_TAREAS.USUARIO, TA_MENU.Proceso, TA_MENU.Clave , TA_MENU.Nombre ") +
                        QStringLiteral(" FROM TA_TAREAS  with(nolock) INNER JOIN TA_MENU ON TA_TAREAS.TAREA = TA_MENU.Clave ") +
                        QStringLiteral(" WHERE (TA_TAREAS.USUARIO = '") + SinComillas(s.gUsuarioSistema) +
                        QStringLiteral(" ') AND (TA_MENU.Proceso LIKE '%") + SinComillas(programa) + QStringLiteral("%')");
            db.AbrirRecordset(q, rsTarea, nullptr, driver::adOpenForwardOnly, driver::adLockReadOnly, -1, true);
        },
        [&] {
            if (rsTarea.State() != driver::adStateClosed && !(rsTarea.BOF() && rsTarea.EOF_())) {
                tarea = fc.TextoCampo(rsTarea.Fields(QStringLiteral("Nombre")).Value);
            } else if (db.gDBName.compare(db.gUsuario, Qt::CaseInsensitive) == 0 ||
                       db.gUsuario.compare(QStringLiteral("SUPERVISOR TOLVANE MC"), Qt::CaseInsensitive) == 0) {
                tarea = ejecutable;
            }
        },
        [&] { db.CierraRecordset(rsTarea); });
    if (ejecutable.toUpper() == QLatin1String("QM210AX")) return;
    // A database opened for reading only can be browsed but takes no access row; saying so at every
    // start would only stand between the operator and the layout.
    if (db.gCnn().State() != driver::adStateClosed && db.gCnn().SoloLectura()) return;

    bool fallo = false;
    long nativo = 0;
    QString script, mensajes;
    pasos::Silenciosos(
        [&] {
            gSentencias().clear();
            ingreso =
                Formatear(plataforma().Ahora(), FmtFecha()) + QStringLiteral(" ") + Formatear(plataforma().Ahora(), FmtHora());
            AgregaCampo(QStringLiteral("Maquina"), FuncionesSistema::instancia().NombreEquipo().trimmed().toUpper(),
                        QStringLiteral("'"), true);
            AgregaCampo(QStringLiteral("Usuario"), s.gUsuarioSistema.trimmed().toUpper(), QStringLiteral("'"), false);
            AgregaCampo(QStringLiteral("Formulario"), programa.trimmed().toUpper(), QStringLiteral("'"), false);
            AgregaCampo(QStringLiteral("Tarea"), tarea.trimmed().toUpper(), QStringLiteral("'"), false);
            AgregaCampo(QStringLiteral("Ingreso"), ingreso, QStringLiteral("'"), false);
            AgregaCampo(QStringLiteral("NombreUsuario"), s.gUsuarioSistema, QStringLiteral("'"), false);
        },
        [&] {
            QString where;
            ArmaSentencia(gCampos(), gSentencias(), QStringLiteral("Control_Acceso"), false, where, false);
            GActualizarDatoScript(gSentencias(), fallo, nativo, false, false, script, mensajes, true);
        },
        [&] {
            // The id of the row just inserted, not of whichever row a TOP 1 query happens to return:
            // RegistraEgreso must stamp this session's row and no other.
            if (fallo) return;
            qint64 id = db.gCnn().UltimoIdentificador();
            if (id == 0) {
                driver::Recordset rs;
                QString q = QStringLiteral("SELECT MAX(id) AS ID FROM Control_Acceso  with(nolock)  WHERE Maquina = '") +
                            SinComillas(FuncionesSistema::instancia().NombreEquipo().trimmed().toUpper()) +
                            QStringLiteral("' AND Ingreso = '") + ingreso + QStringLiteral("' AND EGRESO IS NULL");
                db.AbrirRecordset(q, rs, nullptr, driver::adOpenForwardOnly, driver::adLockReadOnly, -1, true);
                if (rs.State() != driver::adStateClosed && !(rs.BOF() && rs.EOF_())) id = rs.Fields(0).Value.toLongLong();
                db.CierraRecordset(rs);
            }
            s.gIdControlAcceso = static_cast<qint32>(id);
        });
}

void RegistraEgreso() {
    try {
        QString q = QStringLiteral("UPDATE CONTROL_ACCESO ") + QStringLiteral(" SET EGRESO = '") +
                    Formatear(plataforma().Ahora(), FmtFecha()) + QStringLiteral(" ") +
                    Formatear(plataforma().Ahora(), FmtHora()) + QStringLiteral("'") +
                    QStringLiteral(" WHERE EGRESO IS NULL AND ") + QStringLiteral(" ID = ") +
                    QString::number(sesion().gIdControlAcceso);
        long n = 0;
        gBaseDatos().EjecutaConsultaSQL(q, n, nullptr);
    } catch (const ErrorEjecucion& e) {
        plataforma().MsgBox(e.Description, vb::OKOnly, QString());
    }
}
