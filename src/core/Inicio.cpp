#include "core/Inicio.h"

#include "core/Configuracion.h"
#include "core/Dll_Display.h"
#include "core/Login.h"
#include "core/MostrarError.h"
#include "core/ParametrosInicio.h"
#include "core/SentenciasSQL.h"
#include "db/DB_Dll.h"
#include "services/CarpetaPrograma.h"
#include "services/FuncionesComunes.h"
#include "services/FuncionesIni.h"
#include "services/FuncionesSistema.h"
#include "services/Pasos.h"
#include "services/Plataforma.h"
#include "services/Sesion.h"

#include <QFileInfo>
#include <QIcon>
#include <QWidget>

namespace {

const QString kArchivoIni = QStringLiteral("QM210ax.INI");

std::function<void(const QString&)>& avisoCarpeta() {
    static std::function<void(const QString&)> f;
    return f;
}

// The statistics connection and the command time-out.
void ConectaEstadisticas() {
    auto& s = sesion();
    auto& e = gBaseEstadisticas();
    pasos::Silenciosos([&] { s.gTimeOut = 90; },
                       [&] {
                           if (e.gOpenFlag || e.gCnn().State() != driver::adStateClosed) e.gCnn().Close();
                       },
                       [&] {
                           e.gProveedor = gBaseDatos().gProveedor.isEmpty() ? DB_Dll::pSQLOLEDB() : gBaseDatos().gProveedor;
                           e.gServidor = gBaseDatos().gServidor;
                           e.gDBName = QStringLiteral("TV_ESTADISTICAS");
                           e.gUsuario = QStringLiteral("TV_ESTADISTICAS");
                           e.gUserPassWord = QStringLiteral("QR_PLANIFICADOS");
                           e.OpenServerADODB(false, 3, QString(), true, false);
                       },
                       [&] {
                           if (e.gOpenFlag) e.gCnn().SetDefaultDatabase(QStringLiteral("TV_ESTADISTICAS"));
                       },
                       [&] {
                           QString aux;
                           s.gTimeOut = FuncionesComunes::instancia().ValorEntero(CfgTV(QStringLiteral("TimeOut"), aux));
                       },
                       [&] {
                           if (s.gTimeOut == 0)
                               GrabaCfgTV(QStringLiteral("TimeOut"), 0, QString(), false, QStringLiteral("BaseDeDatos"), true);
                       },
                       [&] {
                           if (s.gTimeOut == 0) s.gTimeOut = 90;
                       });
}

}  // namespace

AjustesConsultas& gAjustesConsultas() {
    static AjustesConsultas a;
    return a;
}

void EstablecerAvisoCarpetaInforme(std::function<void(const QString&)> aviso) {
    avisoCarpeta() = std::move(aviso);
}

void IniciarAplicacion(bool LeerIni, const QString& Parametros, QString& CadenaConexion, long Cursor) {
    auto& s = sesion();
    auto& fc = FuncionesComunes::instancia();
    auto& fs = FuncionesSistema::instancia();
    auto& db = gBaseDatos();
    QString parametros, carpeta, servidor, baseDatos, usuario;
    bool reabrir = false;

    // A run-time error 5 is skipped; any other ends the program without a message.
    auto reportero = [](const ErrorEjecucion& e, const QString&) -> int {
        gDisplay().CartelCerrar();
        if (e.Number == errnum::InvalidProcedureCall) return pasos::Ignorar;
        plataforma().Terminar(1);
        return 0;  // not reached: Terminar does not return
    };

    // Steps 11 to 19, which the login retry may run again with the values typed in its window.
    auto conectarYEntrar = [&]() {
        pasos::Pasos(
            QStringLiteral("IniciarAplicacion"), reportero,
            [&] {
                db.gDBName = baseDatos;
                db.gUsuario = baseDatos;
                db.gUserPassWord = baseDatos;
                db.gServidor = inicio::NombreServidor(servidor);
            },
            [&] {
                db.OpenServerADODB(servidor.trimmed().isEmpty() || usuario.trimmed().isEmpty(), Cursor, CadenaConexion, true,
                                   true);
            },
            [&] {
                if (!db.gOpenFlag) {
                    gDisplay().CartelCerrar();
                    plataforma().Terminar(1);
                }
            },
            [&] {
                ConectaEstadisticas();
                db.gCnn().SetCommandTimeout(s.gTimeOut);
                db.gCnn().SetIsolationLevel(driver::adXactReadUncommitted);
            });
    };

    auto configurarYValidar = [&]() -> bool {
        bool reintentar = false;
        pasos::Pasos(
            QStringLiteral("IniciarAplicacion"), reportero,
            [&] {
                if (db.gDBName.isEmpty()) return;
                s.gCadenaODBC = QStringLiteral("DSN=") + db.gDBName + QStringLiteral("; UID=") + db.gUsuario +
                                QStringLiteral("; PWD=") + db.gUserPassWord;
                if (avisoCarpeta()) avisoCarpeta()(carpeta);
                db.gCnn().SetDefaultDatabase(db.gDBName);
                auto& a = gAjustesConsultas();
                a.gConnString = db.gConnString;
                a.gUsarMascarasConsultas = true;
                a.gRutaMascaraConsultas = carpeta + QStringLiteral("consultas.tvx");
                if (!QFileInfo::exists(a.gRutaMascaraConsultas)) ArmaConsultasDefault(a.gRutaMascaraConsultas);
                db.gCnn().SetDefaultDatabase(db.gDBName);
                if (!db.gDBName.isEmpty()) CargaConfiguracion(carpeta);
            },
            [&] {
                if (s.gClaveUsuario != QLatin1String("* *")) return;
                driver::Recordset rs;
                QString q = QStringLiteral("Select * from ta_usuarios  with(nolock)  where Nombre = '") +
                            QString(usuario).remove(QLatin1Char('\'')) + QStringLiteral("'");
                db.AbrirRecordset(q, rs, nullptr, driver::adOpenForwardOnly, driver::adLockReadOnly, -1, true);
                if (rs.State() != driver::adStateClosed && !(rs.BOF() && rs.EOF_()))
                    s.gClaveUsuario = fc.Decodificar(fc.TextoCampo(rs.Fields(QStringLiteral("Password")).Value));
                db.CierraRecordset(rs);
            },
            [&] {
                if (ValidaUsuario(s.gUsuarioSistema, s.gClaveUsuario)) return;
                QString nuevaBase, nuevoServidor;
                if (ReintentoLogin(nuevaBase, nuevoServidor) == ResultadoLogin::Reabrir) {
                    // The operator asked for another database or server: open that one, keeping
                    // what was typed in the window.
                    baseDatos = nuevaBase;
                    servidor = nuevoServidor;
                    usuario = nuevaBase;
                    reintentar = true;
                }
            });
        return reintentar;
    };

    pasos::Pasos(
        QStringLiteral("IniciarAplicacion"), reportero,
        [&] {
            gDisplay().CartelInicio(QStringLiteral("Conectando Base de Datos"), false);
            bool c = false;
            gDisplay().CartelMostrar(c, QStringLiteral("Iniciando Aplicacion"), plataforma().NombreEjecutable(),
                                     QStringLiteral("Espere por favor"));
        },
        [&] { carpeta = fc.CarpetaPrograma(); },  // the help file of the suite has no place here
        [&] {
            s.gColorLetra = 0;
            s.gColorFondo = 16777215;
        },
        [&] { parametros = Parametros.isEmpty() ? plataforma().LineaComando() : Parametros; },
        [&] {
            if (!parametros.trimmed().isEmpty() || !LeerIni) return;
            const QString seccion = inicio::SeccionBaseDatos(fs.NombreEquipo(), fs.UsuarioEquipo());
            auto& ini = FuncionesIni::instancia();
            QString srv = ini.Leer(kArchivoIni, seccion, QStringLiteral("Servidor"), QString());
            QString base = ini.Leer(kArchivoIni, seccion, QStringLiteral("DbName"), QString());
            QString usu = fc.Decodificar(
                ini.Leer(kArchivoIni, seccion, QStringLiteral("Usuario"), fc.Codificar(QStringLiteral("Tolvane"))));
            QString cla = fc.Decodificar(
                ini.Leer(kArchivoIni, seccion, QStringLiteral("UserPassWord"), fc.Codificar(QStringLiteral("quenral"))));
            for (QString* v : {&srv, &base, &usu, &cla}) v->remove(QLatin1Char('|'));
            parametros = QStringLiteral("@server=") + srv + QStringLiteral("; @dbname= ") + base +
                         QStringLiteral("; @usuario= ") + usu + QStringLiteral("; @Password= ") + cla +
                         QStringLiteral("; @ParametroAdicional=; @Caja=1;orbe@");
        },
        [&] { s.gPuestoTrabajo = inicio::PuestoTrabajo(fs.NombreEquipo(), fs.UsuarioEquipo()); },
        [&] {
            s.gBarrasPlanas = fc.ValorNumerico(FuncionesIni::instancia().Leer(
                kArchivoIni, s.gPuestoTrabajo, QStringLiteral("FlatToolbars"), QStringLiteral("1")));
        },
        [&]() -> bool {
            if (db.gOpenFlag) {
                // A second call: the session is already connected; configuration, login and the
                // access record run again.
                baseDatos = db.gDBName;
                servidor = db.gServidor;
                usuario = db.gUsuario;
                return true;
            }
            auto item = [&](const char* nombre) { return inicio::ExtraerItem(parametros, QString::fromLatin1(nombre)); };
            s.gParametroAdicional = item("@ParametroAdicional").value_or(s.gParametroAdicional);
            s.gMenu = item("@Menu").value_or(s.gMenu);
            servidor = item("@Server").value_or(QString());
            baseDatos = item("@DbName").value_or(QString());
            usuario = item("@Usuario").value_or(QString());
            const auto logeado = item("@UsuarioLogeado");
            s.gUsuarioSistema = (logeado && !logeado->trimmed().isEmpty()) ? *logeado : usuario.trimmed();
            if (const auto clave = item("@Password"))
                s.gClaveUsuario = clave->compare(baseDatos, Qt::CaseInsensitive) == 0 ? QStringLiteral("* *") : *clave;
            // "1" only when the item is absent; a last item without its ";" has no value.
            const bool hayCaja = parametros.contains(QStringLiteral("@Caja"), Qt::CaseInsensitive);
            s.gCaja = item("@Caja").value_or(hayCaja ? QString() : QStringLiteral("1"));
            if (servidor.startsWith(QLatin1Char('#'))) {
                servidor = servidor.mid(1);
                if (CadenaConexion.isEmpty())
                    CadenaConexion = QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=") + baseDatos +
                                     QStringLiteral(";User Id=") + usuario + QStringLiteral(";Password=") +
                                     item("@Password").value_or(QString()) + QStringLiteral(";");
            }
            reabrir = true;
            return true;
        });

    if (reabrir) conectarYEntrar();
    while (configurarYValidar()) {
        CadenaConexion.clear();
        db.gOpenFlag = false;
        conectarYEntrar();
    }
    pasos::Pasos(
        QStringLiteral("IniciarAplicacion"), reportero, [&] { RegistraIngreso(QString()); }, [&] { gDisplay().CartelCerrar(); });
}

void AplicaEstiloVentana(QWidget* Ventana) {
    if (!Ventana) return;
    pasos::Silenciosos(
        [&] {
            QIcon icono = QIcon::fromTheme(QStringLiteral("ICONTOLVANE"));
            if (icono.isNull()) icono = QIcon(FuncionesComunes::instancia().CarpetaPrograma() + QStringLiteral("tolvane.ico"));
            if (icono.isNull()) icono = QIcon(QStringLiteral(":/iconos/programa.svg"));
            if (!icono.isNull()) Ventana->setWindowIcon(icono);
        },
        [&]() -> bool { return QString::fromLatin1(Ventana->metaObject()->className()).toUpper() != QLatin1String("FRMMDI"); },
        [&] { FuncionesSistema::instancia().TratarVentana(Ventana); },
        [&] {
            for (const char* nombre : {"UtilKit1", "TBarRep1", "Util0011"})
                if (QObject* c = Ventana->findChild<QObject*>(QString::fromLatin1(nombre)))
                    c->setProperty("StyleBar", sesion().gBarrasPlanas);
        },
        [&] { plataforma().ProcesarEventos(); });
}

void MenuExes(const QString& Programa, QString& ParametroAdicional, qint64& IdProceso) {
    auto& s = sesion();
    QString comando;
    IdProceso = 0;
    pasos::Pasos(
        QStringLiteral("MenuExes"), ReportarMostrarError,
        [&] {
            const int blanco = ParametroAdicional.indexOf(QLatin1Char(' '));
            if (blanco >= 0) ParametroAdicional = ParametroAdicional.mid(blanco + 1);
        },
        [&] {
            const QString params = inicio::CadenaMenuExes(gBaseDatos().gServidor, gBaseDatos().gDBName, s.gUsuarioSistema,
                                                          s.gClaveUsuario, ParametroAdicional, s.gCaja);
            comando = inicio::ComandoMenuExes(Programa, FuncionesComunes::instancia().CarpetaPrograma(), params);
            // An installed program keeps its files in a per-user folder and its companions beside
            // its executable: a companion missing from the program folder is looked for there.
            const auto programaDe = [](const QString& c) { return c.left(c.indexOf(QLatin1Char(' '))); };
            if (!QFileInfo::exists(programaDe(comando))) {
                const QString otro = inicio::ComandoMenuExes(
                    Programa, FuncionesComunes::instancia().RutaCarpeta(LugaresDelEquipo().ejecutables), params);
                if (QFileInfo::exists(programaDe(otro))) comando = otro;
            }
        },
        [&] {
            // The first blank-separated word is the program; the rest, the parameter string, is
            // its command line.
            const int blanco = comando.indexOf(QLatin1Char(' '));
            const QString programa = blanco < 0 ? comando : comando.left(blanco);
            const QString resto = blanco < 0 ? QString() : comando.mid(blanco + 1);
            const QFileInfo fi(programa);
            if (!fi.exists()) throw ErrorEjecucion(errnum::FileNotFound, QStringLiteral("File not found: ") + programa);
            IdProceso = plataforma().IniciarPrograma(programa, resto.isEmpty() ? QStringList() : QStringList{resto}, 1);
        },
        [&] {
            if (IdProceso == 0)
                plataforma().MsgBox(QStringLiteral("Opcion no Implementada!") + QStringLiteral("\r") +
                                        QStringLiteral("Comuniquese con su proveedor de sistemas"),
                                    vb::Critical, QStringLiteral("Atención"));
        });
}
