#include "BaseTemporal.h"
#include "PlataformaGuion.h"
#include "db/DB_Dll.h"
#include "db/DialogoConexion.h"
#include "services/ErrorEjecucion.h"
#include "services/Sesion.h"

#include <sqlite3.h>
#include <QDir>
#include <QFile>
#include <QtTest>
#include <deque>
#include <optional>

namespace {

const QString CR = QStringLiteral("\r");
const QString CRLF = QStringLiteral("\r\n");

// The scripted platform, also noting the file choices the program asks for.
class PlataformaPrueba : public PlataformaGuion {
public:
    struct Eleccion {
        QString titulo, filtro;
    };
    QList<Eleccion> elecciones;
    QString ElegirArchivo(const QString& titulo, const QString& filtro) override {
        elecciones.append({titulo, filtro});
        return PlataformaGuion::ElegirArchivo(titulo, filtro);
    }
};

// The connection window as the database object sees it, scripted: each showing takes the next
// queued answer (accept or cancel, with the values the operator leaves in the boxes; a value not
// given keeps what the window was loaded with). Every loading is recorded.
class VentanaGuion : public DialogoConexion {
public:
    struct Respuesta {
        bool aceptar = true;
        std::optional<QString> base, servidor;
        int plataforma = 0;
    };
    struct Carga {
        QString base, servidor, usuario, clave;
        int plataforma = -1;
    };
    static inline std::deque<Respuesta> respuestas;
    static inline QList<Carga> cargas;
    static inline int sinRespuesta = 0;

    void Cargar(const QString& b, const QString& s, const QString& u, const QString& c, int p) override {
        base_ = b;
        servidor_ = s;
        usuario_ = u;
        clave_ = c;
        plataforma_ = p;
        cargas.append({b, s, u, c, p});
    }
    bool Mostrar() override {
        if (respuestas.empty()) {
            ++sinRespuesta;
            return false;
        }
        const Respuesta r = respuestas.front();
        respuestas.pop_front();
        if (r.base) base_ = *r.base;
        if (r.servidor) servidor_ = *r.servidor;
        plataforma_ = r.plataforma;
        return r.aceptar;
    }
    QString BaseDatos() const override { return base_; }
    QString Servidor() const override { return servidor_; }
    QString Usuario() const override { return usuario_; }
    QString Clave() const override { return clave_; }
    int Plataforma() const override { return plataforma_; }

private:
    QString base_, servidor_, usuario_, clave_;
    int plataforma_ = 0;
};

// One case: a fresh demo database in a temporary program folder, the scripted platform and the
// scripted connection window installed, fresh session values and a fresh database object whose
// fields name the demo database the way the program names it.
struct Caso {
    BaseTemporal base;
    PlataformaPrueba* g = nullptr;
    std::unique_ptr<Plataforma> plataformaAnterior;
    std::unique_ptr<DB_Dll> dbAnterior;
    FabricaDialogoConexion dialogoAnterior;

    Caso() {
        auto p = std::make_unique<PlataformaPrueba>();
        g = p.get();
        g->carpeta = base.Carpeta();
        g->temporal = base.Carpeta();
        plataformaAnterior = EstablecerPlataforma(std::move(p));
        sesion() = Sesion();
        sesion().gUsuarioSistema = QStringLiteral("DEMO");
        dbAnterior = EstablecerBaseDatos(std::make_unique<DB_Dll>());
        VentanaGuion::respuestas.clear();
        VentanaGuion::cargas.clear();
        VentanaGuion::sinRespuesta = 0;
        dialogoAnterior = EstablecerDialogoConexion([] { return std::make_unique<VentanaGuion>(); });
        auto& db = gBaseDatos();
        db.gServidor = QStringLiteral("SQLITE");
        db.gDBName = base.Nombre();
        db.gUsuario = base.Nombre();
        db.gUserPassWord = base.Nombre();
    }
    ~Caso() {
        EstablecerDialogoConexion(std::move(dialogoAnterior));
        EstablecerBaseDatos(std::move(dbAnterior));
        EstablecerPlataforma(std::move(plataformaAnterior));
        sesion() = Sesion();
    }
    // Runs a statement on the database file itself, bypassing the program.
    void Sql(const QString& sentencia) const {
        sqlite3* db = nullptr;
        QVERIFY(sqlite3_open_v2(QFile::encodeName(base.Archivo()).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK);
        char* error = nullptr;
        const int rc = sqlite3_exec(db, sentencia.toUtf8().constData(), nullptr, nullptr, &error);
        const QString texto = QString::fromUtf8(error ? error : "");
        sqlite3_free(error);
        sqlite3_close(db);
        QVERIFY2(rc == SQLITE_OK, qPrintable(texto));
    }
    // The connection answers a query: it is really open on the demo database.
    static bool Responde() {
        return gBaseDatos().gCnn().State() == driver::adStateOpen && gBaseDatos().ExisteTablaDB(QStringLiteral("MA_POSICIONES"));
    }
};

// The connection error box, piece by piece, for the first provider error of the connection.
QString TextoErrorConexion(const driver::ErrorProveedor& e, const QString& servidor, const QString& usuario) {
    return QStringLiteral(" Estado de Sql: ") + e.SQLState + CR + QStringLiteral("Numero de Error: ") +
           QString::number(e.Number) + CR + QStringLiteral("Descripcion: ") + e.Description + CR +
           QStringLiteral("Codigo Nativo: ") + QString::number(e.NativeError) + CR + CRLF +
           QStringLiteral("Nombre de Proceso: MA_POSICIONES") + CR + CRLF + CRLF +
           QStringLiteral("1. Verifique el Usuario, contraseña y base de datos") + CRLF +
           QStringLiteral(
               "2. Verifique el nombre del servidor, quizas necesite agregarle el nombre de la instancia, por ejemplo : ") +
           servidor + QStringLiteral("\\ORBEKIT") + CRLF +
           QStringLiteral("3. Verifique si el inicio de sesion para el usuario ") + usuario + QStringLiteral(" existe") + CRLF +
           CRLF + CRLF + QStringLiteral(" - Desea Intentarlo Nuevamente??? ");
}

}  // namespace

// How the shared database object opens its connection: the connection strings it builds, the
// connection window, the administrator flag, the operator's choices after a failed open, the
// re-open used by the lost-connection recovery and the local database file.
class TstDbDllConexion : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        // Every window showing must have been scripted by the case.
        QCOMPARE(VentanaGuion::sinRespuesta, 0);
    }

    // The string is built from the fields before the window is shown; cancelling the window then
    // ends the open, which leaves the built string to look at without reaching any server.
    void cadenasDeServidor_data() {
        QTest::addColumn<QString>("servidor");
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("usuario");
        QTest::addColumn<QString>("clave");
        QTest::addColumn<QString>("extendido");
        QTest::addColumn<QString>("esperada");

        QTest::newRow("sql server con instancia") << "SRV\\ORBEKIT"
                                                  << "EMPRESA"
                                                  << "sa"
                                                  << ""
                                                  << ""
                                                  << "PROVIDER=SQLOLEDB;Server=SRV\\ORBEKIT;Database =EMPRESA;UId=sa;Pwd=;";
        QTest::newRow("sql server con texto extendido")
            << "SRV"
            << "EMPRESA"
            << "EMPRESA"
            << "EMPRESA"
            << "Connect Timeout=5;"
            << "PROVIDER=SQLOLEDB;Server=SRV;Database =EMPRESA;UId=EMPRESA;Pwd=EMPRESA;Connect Timeout=5;";
        QTest::newRow("oracle por el numeral, sin servidor ni extension")
            << "#SRV"
            << "ORCL"
            << "ventas"
            << "x"
            << "Connect Timeout=5;"
            << "Provider=OraOLEDB.Oracle.1;Data Source=ORCL;User Id=ventas;Password=x;";
        QTest::newRow("numeral en cualquier lugar") << "SRV#2"
                                                    << "ORCL"
                                                    << "v"
                                                    << ""
                                                    << ""
                                                    << "Provider=OraOLEDB.Oracle.1;Data Source=ORCL;User Id=v;Password=;";
    }
    void cadenasDeServidor() {
        QFETCH(QString, servidor);
        QFETCH(QString, base);
        QFETCH(QString, usuario);
        QFETCH(QString, clave);
        QFETCH(QString, extendido);
        QFETCH(QString, esperada);
        Caso c;
        auto& db = gBaseDatos();
        db.gServidor = servidor;
        db.gDBName = base;
        db.gUsuario = usuario;
        db.gUserPassWord = clave;
        db.gExtended = extendido;
        db.gUsuarioClave = QStringLiteral("secreta");
        VentanaGuion::respuestas.push_back({false, {}, {}, 0});

        db.OpenServerADODB(true, 3, QString(), true, true);

        QCOMPARE(db.gConnString, esperada);
        QCOMPARE(db.gProveedor, QStringLiteral("SQLOLEDB"));  // empty reads as SQL Server's provider
        QVERIFY(!db.gOpenFlag);
        QCOMPARE(db.gCnn().State(), driver::adStateClosed);
        QVERIFY(c.g->Cajas().isEmpty());  // cancelling says nothing
        // The window was loaded with the fields, the application user and the first platform.
        QCOMPARE(VentanaGuion::cargas.size(), 1);
        QCOMPARE(VentanaGuion::cargas[0].base, base);
        QCOMPARE(VentanaGuion::cargas[0].servidor, servidor);
        QCOMPARE(VentanaGuion::cargas[0].usuario, QStringLiteral("DEMO"));
        QCOMPARE(VentanaGuion::cargas[0].clave, QStringLiteral("secreta"));
        QCOMPARE(VentanaGuion::cargas[0].plataforma, 0);
    }

    void cadenaDadaSinDialogoSeUsaTalCual() {
        Caso c;
        auto& db = gBaseDatos();
        db.gDBName = QStringLiteral("OTRA");  // the given string wins over the fields
        const QString dada = QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =DEMO;UId=DEMO;Pwd=DEMO; ");
        db.OpenServerADODB(false, 3, dada, false, false);
        QVERIFY(db.gOpenFlag);
        QCOMPARE(db.gConnString, dada);
        QVERIFY(Caso::Responde());
        QCOMPARE(db.gCnn().CursorLocation(), 3);
    }

    // The window's values replace a given string: the suite's login is the database name, with the
    // database name as its password.
    void elDialogoReemplazaLaCadenaDada() {
        Caso c;
        auto& db = gBaseDatos();
        db.gDBName = QStringLiteral("VIEJA");
        db.gServidor = QStringLiteral("OTRO");
        db.gUsuario = QStringLiteral("sa");
        VentanaGuion::respuestas.push_back({true, QStringLiteral("DEMO"), QStringLiteral("SQLITE"), 0});

        db.OpenServerADODB(true, 3, QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =NOEXISTE;UId=x;Pwd=x;"), true,
                           false);

        QVERIFY(db.gOpenFlag);
        QCOMPARE(db.gConnString, QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =DEMO;UId=DEMO;Pwd=DEMO;"));
        QCOMPARE(db.gDBName, QStringLiteral("DEMO"));
        QCOMPARE(db.gServidor, QStringLiteral("SQLITE"));
        QCOMPARE(db.gUsuario, QStringLiteral("DEMO"));
        QCOMPARE(db.gUserPassWord, QStringLiteral("DEMO"));
        QCOMPARE(db.gProveedor, QStringLiteral("SQLOLEDB"));
        QVERIFY(Caso::Responde());
        QCOMPARE(VentanaGuion::cargas.size(), 1);
        QCOMPARE(VentanaGuion::cargas[0].base, QStringLiteral("VIEJA"));
        QCOMPARE(VentanaGuion::cargas[0].servidor, QStringLiteral("OTRO"));
        QVERIFY(c.g->Cajas().isEmpty());
    }

    void oracleElegidoEnElDialogo() {
        Caso c;
        auto& db = gBaseDatos();
        db.gServidor = QStringLiteral("ORA");
        db.gDBName = QStringLiteral("ORCL");
        VentanaGuion::respuestas.push_back({true, {}, {}, 1});
        // No Oracle server here: the open fails, silently since errors are not shown.
        db.OpenServerADODB(true, 3, QString(), true, false);
        QCOMPARE(db.gServidor, QStringLiteral("#ORA"));
        QCOMPARE(db.gProveedor, QStringLiteral("OraOLEDB.Oracle.1"));
        QCOMPARE(db.gConnString, QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=ORCL;User Id=ORCL;Password=ORCL;"));
        QVERIFY(!db.gOpenFlag);
        QVERIFY(c.g->Cajas().isEmpty());

        // Choosing Oracle again on a server already marked keeps a single mark.
        VentanaGuion::respuestas.push_back({true, {}, {}, 1});
        db.OpenServerADODB(true, 3, QString(), true, false);
        QCOMPARE(VentanaGuion::cargas.last().servidor, QStringLiteral("#ORA"));
        QCOMPARE(db.gServidor, QStringLiteral("#ORA"));

        // Back to SQL Server in the window: the provider follows.
        VentanaGuion::respuestas.push_back({true, QStringLiteral("DEMO"), QStringLiteral("SQLITE"), 0});
        db.OpenServerADODB(true, 3, QString(), true, false);
        QCOMPARE(db.gProveedor, QStringLiteral("SQLOLEDB"));
        QCOMPARE(db.gConnString, QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =DEMO;UId=DEMO;Pwd=DEMO;"));
        QVERIFY(db.gOpenFlag);
        QVERIFY(Caso::Responde());
        QVERIFY(c.g->Cajas().isEmpty());
    }

    void administrador_data() {
        QTest::addColumn<QVariant>("valor");  // invalid: the row is deleted
        QTest::addColumn<bool>("esAdmin");
        QTest::newRow("1") << QVariant(QStringLiteral("1")) << true;
        QTest::newRow("1.0") << QVariant(QStringLiteral("1.0")) << true;
        QTest::newRow(" 1 con blancos") << QVariant(QStringLiteral(" 1")) << true;
        QTest::newRow("-1") << QVariant(QStringLiteral("-1")) << false;
        QTest::newRow("S") << QVariant(QStringLiteral("S")) << false;
        QTest::newRow("0") << QVariant(QStringLiteral("0")) << false;
        QTest::newRow("vacio") << QVariant(QString()) << false;
        QTest::newRow("sin fila del usuario") << QVariant() << false;
    }
    void administrador() {
        QFETCH(QVariant, valor);
        QFETCH(bool, esAdmin);
        Caso c;
        if (!valor.isValid())
            c.Sql(QStringLiteral("DELETE FROM TA_USUARIOS WHERE NOMBRE = 'DEMO'"));
        else
            c.Sql(QStringLiteral("UPDATE TA_USUARIOS SET Administrador = '%1' WHERE NOMBRE = 'DEMO'").arg(valor.toString()));
        // The logged-in user's row is found with its name trimmed.
        c.Sql(QStringLiteral("UPDATE TA_USUARIOS SET NOMBRE = 'DEMO  ' WHERE NOMBRE = 'DEMO'"));
        auto& db = gBaseDatos();
        db.gEsAdmin = !esAdmin;
        db.OpenServerADODB(false, 3, QString(), true, true);
        QVERIFY(db.gOpenFlag);
        QCOMPARE(db.gEsAdmin, esAdmin);
        QVERIFY(c.g->Cajas().isEmpty());
    }

    void administradorSinLeerLaTabla() {
        Caso c;
        auto& db = gBaseDatos();
        sesion().gUsuarioSistema = QStringLiteral("OPERADOR");  // "0" in the table

        // Errors not shown: an administrator as soon as the user table exists.
        db.gEsAdmin = false;
        db.OpenServerADODB(false, 3, QString(), true, false);
        QVERIFY(db.gOpenFlag);
        QVERIFY(db.gEsAdmin);
        db.gCnn().Close();

        // No validation at all: an administrator.
        db.gEsAdmin = false;
        db.OpenServerADODB(false, 3, QString(), false, true);
        QVERIFY(db.gOpenFlag);
        QVERIFY(db.gEsAdmin);
        db.gCnn().Close();

        // Validated and shown: the table says no.
        db.OpenServerADODB(false, 3, QString(), true, true);
        QVERIFY(!db.gEsAdmin);
        QVERIFY(c.g->Cajas().isEmpty());
    }

    // Without a database name, or without the user table, the flag keeps its previous value.
    void administradorSinBaseOSinTabla_data() {
        QTest::addColumn<bool>("previo");
        QTest::newRow("antes administrador") << true;
        QTest::newRow("antes no") << false;
    }
    void administradorSinBaseOSinTabla() {
        QFETCH(bool, previo);
        Caso c;
        auto& db = gBaseDatos();
        sesion().gUsuarioSistema = QStringLiteral("OPERADOR");
        db.gDBName.clear();
        db.gEsAdmin = previo;
        db.OpenServerADODB(false, 3, c.base.CadenaConexion(), true, true);
        QVERIFY(db.gOpenFlag);
        QCOMPARE(db.gEsAdmin, previo);
        db.gCnn().Close();

        c.Sql(QStringLiteral("DROP TABLE TA_USUARIOS"));
        db.gDBName = c.base.Nombre();
        db.OpenServerADODB(false, 3, QString(), true, true);
        QVERIFY(db.gOpenFlag);
        QCOMPARE(db.gEsAdmin, previo);
        QVERIFY(c.g->Cajas().isEmpty());
    }

    void baseInexistenteNoSeReintenta() {
        Caso c;
        auto& db = gBaseDatos();
        db.gDBName = QStringLiteral("NOEXISTE");
        db.gUsuario = QStringLiteral("NOEXISTE");
        c.g->ResponderMsgBox(vb::No, QStringLiteral(" Estado de Sql: "));

        db.OpenServerADODB(false, 3, QString(), true, true);

        QVERIFY(!db.gOpenFlag);
        QCOMPARE(db.gCnn().State(), driver::adStateClosed);
        QCOMPARE(c.g->Cajas().size(), 1);
        const auto caja = c.g->Cajas()[0];
        QCOMPARE(caja.titulo, QStringLiteral(" Error de Conexion a Base de Datos"));
        QCOMPARE(caja.estilo, vb::YesNo + vb::Critical);
        // The box is built from the provider's first error, which stays in the list after No.
        QVERIFY(!db.gCnn().Errors().Vacia());
        const driver::ErrorProveedor e = db.gCnn().Errors().Item(0);
        QCOMPARE(e.SQLState, QStringLiteral("42000"));
        QCOMPARE(e.Number, errnum::E_FAIL);
        QCOMPARE(e.NativeError, 4060L);
        QVERIFY2(e.Description.contains(QStringLiteral("NOEXISTE")), qPrintable(e.Description));
        QCOMPARE(caja.texto, TextoErrorConexion(e, QStringLiteral("SQLITE"), QStringLiteral("NOEXISTE")));
        // A missing database is never created by trying to open it.
        QVERIFY(!QFile::exists(QDir(c.base.Carpeta()).filePath(QStringLiteral("NOEXISTE.db"))));
        QCOMPARE(QDir(c.base.Carpeta()).entryList({QStringLiteral("NOEXISTE*")}, QDir::Files).size(), 0);
        QVERIFY(VentanaGuion::cargas.isEmpty());
    }

    // Yes runs the connection window again, loaded with the current fields, as often as the
    // operator wants; the list of errors starts empty for every new try.
    void baseInexistenteSeReintentaConElDialogo() {
        Caso c;
        auto& db = gBaseDatos();
        db.gDBName = QStringLiteral("NOEXISTE");
        c.g->ResponderMsgBox(vb::Yes, QStringLiteral("Cannot open database \"NOEXISTE\""));
        VentanaGuion::respuestas.push_back({true, QStringLiteral("OTRA"), {}, 0});
        c.g->ResponderMsgBox(vb::Yes, QStringLiteral("Cannot open database \"OTRA\""));
        VentanaGuion::respuestas.push_back({true, QStringLiteral("DEMO"), {}, 0});

        db.OpenServerADODB(false, 3, QString(), true, true);

        QVERIFY(db.gOpenFlag);
        QVERIFY(Caso::Responde());
        QCOMPARE(db.gConnString, QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =DEMO;UId=DEMO;Pwd=DEMO;"));
        QCOMPARE(c.g->Cajas().size(), 2);
        // The second box names the user of the second try: the database name.
        QVERIFY(c.g->Cajas()[1].texto.contains(QStringLiteral("para el usuario OTRA existe")));
        QCOMPARE(VentanaGuion::cargas.size(), 2);
        QCOMPARE(VentanaGuion::cargas[0].base, QStringLiteral("NOEXISTE"));
        QCOMPARE(VentanaGuion::cargas[1].base, QStringLiteral("OTRA"));
        QCOMPARE(VentanaGuion::cargas[1].servidor, QStringLiteral("SQLITE"));
        QVERIFY(db.gCnn().Errors().Vacia());
        QVERIFY(db.gEsAdmin);  // DEMO is an administrator: the open went on to the user table
    }

    void reintentoCanceladoEnElDialogo() {
        Caso c;
        auto& db = gBaseDatos();
        db.gDBName = QStringLiteral("NOEXISTE");
        c.g->ResponderMsgBox(vb::Yes);
        VentanaGuion::respuestas.push_back({false, {}, {}, 0});
        db.OpenServerADODB(false, 3, QString(), true, true);
        QVERIFY(!db.gOpenFlag);
        QCOMPARE(c.g->Cajas().size(), 1);  // the cancel itself shows nothing
        QCOMPARE(db.gCnn().State(), driver::adStateClosed);
    }

    void baseInexistenteSinMostrarErrores() {
        Caso c;
        auto& db = gBaseDatos();
        db.gDBName = QStringLiteral("NOEXISTE");
        db.OpenServerADODB(false, 3, QString(), true, false);
        QVERIFY(!db.gOpenFlag);
        QVERIFY(c.g->Cajas().isEmpty());
        QCOMPARE(db.gConnString, QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =NOEXISTE;UId=DEMO;Pwd=DEMO;"));
    }

    // The second open of an open connection fails with 3705: the connection is closed and the
    // open tried once more, which succeeds.
    void abrirDosVecesSinCerrar_data() {
        QTest::addColumn<bool>("muestraError");
        QTest::newRow("sin mostrar errores") << false;
        QTest::newRow("mostrando errores") << true;
    }
    void abrirDosVecesSinCerrar() {
        QFETCH(bool, muestraError);
        Caso c;
        auto& db = gBaseDatos();
        db.OpenServerADODB(false, 3, QString(), false, muestraError);
        QVERIFY(db.gOpenFlag);
        db.gDBName = QStringLiteral("DEMO");
        db.OpenServerADODB(false, 3, QString(), false, muestraError);
        QVERIFY(db.gOpenFlag);
        QVERIFY(Caso::Responde());
        QVERIFY(c.g->Cajas().isEmpty());
    }

    void reintentaConectarSinHaberAbierto() {
        Caso c;
        auto& db = gBaseDatos();
        // Never opened: the close fails with 3704, which is skipped, and the open is tried with the
        // connection's own string.
        db.gCnn().SetConnectionString(c.base.CadenaConexion());
        db.ReintentaConectar();
        QVERIFY(db.gOpenFlag);
        QVERIFY(Caso::Responde());
        QCOMPARE(db.gCnn().CommandTimeout(), 90);
        QVERIFY(c.g->Cajas().isEmpty());
    }

    void reintentaConectarUsaLaCadenaDeLaConexion() {
        Caso c;
        auto& db = gBaseDatos();
        db.OpenServerADODB(false, 3, QString(), false, false);
        QVERIFY(db.gOpenFlag);
        // gConnString is not what the re-open uses.
        db.gConnString = QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =NOEXISTE;");
        db.ReintentaConectar();
        QVERIFY(db.gOpenFlag);
        QVERIFY(Caso::Responde());

        // The database gone: the provider failure ends the re-open silently, not open.
        QVERIFY(QFile::rename(c.base.Archivo(), c.base.Archivo() + QStringLiteral(".fuera")));
        db.ReintentaConectar();
        QVERIFY(!db.gOpenFlag);
        QCOMPARE(db.gCnn().State(), driver::adStateClosed);
        QVERIFY(c.g->Cajas().isEmpty());

        // Back again: the next re-open finds it (the close of a closed connection is skipped).
        QVERIFY(QFile::rename(c.base.Archivo() + QStringLiteral(".fuera"), c.base.Archivo()));
        db.ReintentaConectar();
        QVERIFY(db.gOpenFlag);
        QVERIFY(Caso::Responde());
    }

    void baseLocalInexistenteSeBuscaConElDialogoDeArchivos() {
        Caso c;
        auto& db = gBaseDatos();
        db.gProveedor = DB_Dll::pJETOLEDB40();
        db.gDBName = QDir(c.base.Carpeta()).filePath(QStringLiteral("NOEXISTE.mdb"));
        db.gUsuario = QStringLiteral("Admin");
        db.gUserPassWord.clear();
        c.g->ResponderArchivo(c.base.Archivo());

        db.OpenLocalADODB(QString(), QStringLiteral("User ID"), QStringLiteral("Password"));

        QCOMPARE(c.g->elecciones.size(), 1);
        QCOMPARE(c.g->elecciones[0].titulo, QStringLiteral("Buscar Base de Datos"));
        QCOMPARE(c.g->elecciones[0].filtro, QStringLiteral("Base de Datos de Microsoft Access |*.MDB"));
        QCOMPARE(db.gDBName, c.base.Archivo());
        QCOMPARE(db.gConnString, QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =") + c.base.Archivo() +
                                     QStringLiteral(";User ID=Admin;Password=;"));
        QVERIFY(Caso::Responde());
        QVERIFY(c.g->Cajas().isEmpty());
        QVERIFY(!QFile::exists(QDir(c.base.Carpeta()).filePath(QStringLiteral("NOEXISTE.mdb"))));
    }

    void baseLocalSinNombreYSinEleccion() {
        Caso c;
        auto& db = gBaseDatos();
        db.gProveedor = DB_Dll::pJETOLEDB40();
        db.gDBName = QStringLiteral("  ");
        db.gConnString = QStringLiteral("anterior");
        c.g->ResponderArchivo(QString());  // the operator closes the dialog without a choice
        db.OpenLocalADODB(QString(), QStringLiteral("User ID"), QStringLiteral("Password"));
        QCOMPARE(c.g->elecciones.size(), 1);
        QVERIFY(!db.gOpenFlag);
        QCOMPARE(db.gCnn().State(), driver::adStateClosed);
        QCOMPARE(db.gConnString, QStringLiteral("anterior"));
        QVERIFY(c.g->Cajas().isEmpty());
    }

    void baseLocalConCadenaDadaYOtroError() {
        Caso c;
        auto& db = gBaseDatos();
        const QString cadena =
            QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =") + c.base.Archivo() + QStringLiteral(";");
        db.gDBName = c.base.Archivo();
        db.OpenLocalADODB(cadena, QStringLiteral("User ID"), QStringLiteral("Password"));
        QCOMPARE(db.gConnString, cadena);
        QVERIFY(Caso::Responde());

        // Any other failure (here: the connection is already open) is shown with its number and
        // description; the string of the last open stays.
        c.g->ResponderMsgBox(vb::OK);
        db.OpenLocalADODB(cadena + QStringLiteral("X=1;"), QStringLiteral("User ID"), QStringLiteral("Password"));
        QCOMPARE(c.g->Cajas().size(), 1);
        QCOMPARE(c.g->Cajas()[0].texto, QStringLiteral("3705  Operation is not allowed when the object is open."));
        QCOMPARE(c.g->Cajas()[0].estilo, vb::Critical);
        QCOMPARE(c.g->Cajas()[0].titulo, QString());
        QCOMPARE(db.gConnString, cadena);
        QVERIFY(c.g->elecciones.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstDbDllConexion)
#include "tst_dbdll_conexion.moc"
