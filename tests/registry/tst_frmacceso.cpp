// The connection window "Control de Acceso" driven as the operator drives it: keys and clicks on
// the real window, offscreen, against a demo database in a temporary program folder.
#include "SesionPrueba.h"
#include "core/Dll_Display.h"
#include "db/DB_Dll.h"
#include "db/DialogoConexion.h"
#include "db/driver/Conexion.h"
#include "registry/DialogoAcceso.h"
#include "registry/RegistroBases.h"
#include "registry/frmAcceso.h"
#include "services/FuncionesComunes.h"
#include "services/Sesion.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray Leer(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Escribir(const QString& ruta, const QByteArray& bytes) {
    QFile f(ruta);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray Enc(const QString& clara) {
    return FuncionesComunes::instancia().Codificar(clara).toLatin1();
}

QStringList Lista(const frmAcceso& w) {
    QStringList r;
    for (int i = 0; i < w.lstBases->count(); ++i) r << w.lstBases->item(i)->text();
    return r;
}

void ClickEntrada(frmAcceso& w, int fila, bool doble = false) {
    QListWidgetItem* item = w.lstBases->item(fila);
    QVERIFY(item);
    const QPoint p = w.lstBases->visualItemRect(item).center();
    if (doble) {
        QTest::mouseClick(w.lstBases->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseDClick(w.lstBases->viewport(), Qt::LeftButton, {}, p);
    } else {
        QTest::mouseClick(w.lstBases->viewport(), Qt::LeftButton, {}, p);
    }
}

// Replaces a box's text as the operator does: select everything, type over it.
void Teclear(QLineEdit* caja, const QString& texto) {
    caja->selectAll();
    QTest::keyClick(caja, Qt::Key_Backspace);
    caja->selectAll();
    if (!texto.isEmpty()) QTest::keyClicks(caja, texto);
}

QString Enfocado() {
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
}

}  // namespace

class TstFrmAcceso : public QObject {
    Q_OBJECT

    std::unique_ptr<SesionPrueba> s_;

    PlataformaGuion& g() { return s_->guion(); }
    QString Carpeta() const { return s_->base().Carpeta(); }
    QString Ruta() const { return QDir(Carpeta()).filePath(QStringLiteral("BASES.TXT")); }

    std::unique_ptr<frmAcceso> Abrir() {
        auto w = std::make_unique<frmAcceso>();
        w->show();
        if (!QTest::qWaitForWindowActive(w.get())) qWarning("the window did not become active");
        return w;
    }

    // Registers db / servidor with the given port box through the window's "Registrar".
    void Registrar(frmAcceso& w, const QString& db, const QString& servidor, const QString& puerto = QString()) {
        Teclear(w.TxtDbName, db);
        Teclear(w.TxtServidor, servidor);
        Teclear(w.TxtPuerto, puerto);
        QTest::mouseClick(w.CmdRegistrar, Qt::LeftButton);
    }

private slots:
    void init() {
        s_ = std::make_unique<SesionPrueba>();
        QVERIFY2(s_->base().Valida(), qPrintable(s_->base().Error()));
        QVERIFY(gBaseDatos().gOpenFlag);
    }
    void cleanup() {
        if (s_) QCOMPARE(g().Pendientes(), 0);
        s_.reset();
    }

    void controlesYTextos() {
        auto w = Abrir();
        QCOMPARE(w->windowTitle(), QStringLiteral("Control de Acceso"));
        QCOMPARE(w->lblTitulo->text(), QStringLiteral("Control de Acceso"));
        QCOMPARE(w->fraAutenticacion->title(), QStringLiteral("AUTENTICACION"));
        const struct {
            const char* nombre;
            const char* ayuda;
        } cajas[] = {{"TxtUserId", "Ingrese el nombre de usuario"},
                     {"TxtUserPassword", "Ingrese la contraseña"},
                     {"TxtDbName", "ingrese el nombre de la base de datos"},
                     {"TxtServidor", "ingrese el nombre del servidor e instancia"},
                     {"TxtPuerto", "Ingrese el Puerto "}};
        for (const auto& c : cajas) {
            auto* t = w->findChild<QLineEdit*>(QLatin1String(c.nombre));
            QVERIFY2(t, c.nombre);
            QCOMPARE(t->toolTip(), QString::fromUtf8(c.ayuda));
        }
        QCOMPARE(w->TxtUserPassword->echoMode(), QLineEdit::Password);
        QCOMPARE(w->TxtPuerto->text(), QStringLiteral("1433"));
        QCOMPARE(w->CboPlataformaDB->count(), 2);
        QCOMPARE(w->CboPlataformaDB->itemText(0), QStringLiteral("SQL Server"));
        QCOMPARE(w->CboPlataformaDB->itemText(1), QStringLiteral("ORACLE"));
        QCOMPARE(w->CboPlataformaDB->currentIndex(), 0);
        const QStringList etiquetas{"Conexiones registradas", "Usuario", "Contraseña", "Base de datos", "Servidor", "Plataforma"};
        QStringList vistas;
        for (auto* l : w->findChildren<QLabel*>()) vistas << l->text();
        for (const QString& e : etiquetas) QVERIFY2(vistas.contains(e), qPrintable(e));
        const struct {
            const char* nombre;
            const char* texto;
        } botones[] = {{"bcAceptar", "Conectar"},
                       {"bcCancelar", "Cancelar"},
                       {"CmdRegistrar", "Registrar"},
                       {"CmdLineaComando", "Crear Acceso Directo"}};
        for (const auto& b : botones) {
            auto* p = w->findChild<QPushButton*>(QLatin1String(b.nombre));
            QVERIFY2(p, b.nombre);
            QCOMPARE(p->text(), QString::fromUtf8(b.texto));
        }
        QVERIFY(w->findChild<QListWidget*>(QStringLiteral("lstBases")));
        QVERIFY(w->Label8->text().contains(frmAcceso::DireccionWeb()));

        // Centred, and of a size that holds its controls without being a full screen.
        const QRect pantalla = w->screen()->availableGeometry();
        QVERIFY(w->width() >= w->minimumSizeHint().width() && w->height() >= w->minimumSizeHint().height());
        QVERIFY(w->width() < pantalla.width() && w->height() < pantalla.height());
        QVERIFY((w->frameGeometry().center() - pantalla.center()).manhattanLength() <= 40);

        // The web address opens with the desktop's handler.
        QTest::mouseClick(w->Label8, Qt::LeftButton);
        QCOMPARE(g().Documentos(), QStringList{frmAcceso::DireccionWeb()});
        QTest::mouseClick(w->bcCancelar, Qt::LeftButton);
    }

    // Enter leads from the user to the password, the database, the server and "Conectar"; typing
    // replaces a hint; the first accepted connection creates the registry.
    void recorridoConTecladoYPrimerRegistro() {
        sesion().gUsuarioSistema = QStringLiteral("antes");
        auto w = Abrir();
        QCOMPARE(Enfocado(), QStringLiteral("TxtUserId"));
        QCOMPARE(w->TxtUserId->text(), QStringLiteral("Ingrese el usuario"));
        QCOMPARE(w->TxtUserId->selectedText(), QStringLiteral("Ingrese el usuario"));
        const QStringList pasos{"TxtUserPassword", "TxtDbName", "TxtServidor", "bcAceptar"};
        const QStringList textos{"ana", "secreta", "demo", "sqlite"};
        for (int i = 0; i < pasos.size(); ++i) {
            QTest::keyClicks(QApplication::focusWidget(), textos[i]);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCOMPARE(Enfocado(), pasos[i]);
        }
        QCOMPARE(w->TxtDbName->text(), QStringLiteral("demo"));
        QCOMPARE(w->TxtServidor->text(), QStringLiteral("sqlite"));
        QVERIFY(!QFile::exists(Ruta()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);

        QVERIFY(!w->isVisible());
        QVERIFY(w->Aceptar());
        QCOMPARE(sesion().gUsuarioSistema, QStringLiteral("ana"));
        QCOMPARE(sesion().gClaveUsuario, QStringLiteral("secreta"));
        QCOMPARE(Leer(Ruta()), "DEMO / SQLITE,demo,demo," + Enc(QStringLiteral("demo")) + ",sqlite\r\n");
        QCOMPARE(gBaseDatos().gCnn().State(), 0);
        QVERIFY(g().Arranques().isEmpty());  // no companion program in this folder
    }

    void ordenDeTabulacion() {
        auto w = Abrir();
        QCOMPARE(Enfocado(), QStringLiteral("TxtUserId"));
        const QStringList esperado{"TxtUserPassword", "TxtDbName",       "TxtServidor",  "bcAceptar",       "bcCancelar",
                                   "TxtPuerto",       "CboPlataformaDB", "CmdRegistrar", "CmdLineaComando", "lstBases"};
        QStringList visto;
        for (int i = 0; i < esperado.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visto << Enfocado();
        }
        QCOMPARE(visto, esperado);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!w->isVisible());
    }

    // A registered server with a port: the key leaves the port out, the record keeps it, and
    // selecting the entry splits it into the server and port boxes.
    void servidorConPuertoRegistrado() {
        Escribir(Ruta(), "OTRA / SQLITE,otra,otra," + Enc(QStringLiteral("otra")) + ",sqlite\r\nDB / SRV01,db,db," +
                             Enc(QStringLiteral("db")) + ",srv01:1500\r\n");
        auto w = Abrir();
        QCOMPARE(Lista(*w), (QStringList{"OTRA / SQLITE", "DB / SRV01"}));
        QCOMPARE(w->lstBases->currentRow(), 0);
        QCOMPARE(w->TxtDbName->text(), QStringLiteral("otra"));
        QCOMPARE(w->TxtServidor->text(), QStringLiteral("sqlite"));
        QCOMPARE(w->TxtPuerto->text(), QString());

        ClickEntrada(*w, 1);
        QCOMPARE(w->TxtDbName->text(), QStringLiteral("db"));
        QCOMPARE(w->TxtServidor->text(), QStringLiteral("SRV01"));
        QCOMPARE(w->TxtPuerto->text(), QStringLiteral("1500"));
        QCOMPARE(w->TxtUserPassword->text(), QString());

        // The arrow keys select too.
        QTest::keyClick(w->lstBases, Qt::Key_Up);
        QCOMPARE(w->TxtDbName->text(), QStringLiteral("otra"));

        // A double click selects; the user and password it empties are asked for before
        // "Conectar" (a connection without them is always refused).
        ClickEntrada(*w, 1, true);
        QVERIFY(w->isVisible());
        QCOMPARE(QApplication::focusWidget(), w->TxtUserId);
        QCOMPARE(w->TxtServidor->text(), QStringLiteral("SRV01"));
    }

    // The same through a real registration over ODBC: the SQLite ODBC driver stands in for the SQL
    // Server driver, so "SRV01:1500" reaches a database.
    void servidorConPuertoPorOdbc() {
        driver::Conexion prueba;
        QTemporaryDir cwd;
        const QString anterior = QDir::currentPath();
        QDir::setCurrent(cwd.path());
        qputenv("MP_ODBC_SQLSERVER", "SQLite3");
        auto restaurar = qScopeGuard([&] {
            qunsetenv("MP_ODBC_SQLSERVER");
            QDir::setCurrent(anterior);
        });
        try {
            prueba.Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=SRV01:1500;Database =DB;UId=DB;Pwd=DB;"));
            prueba.Close();
        } catch (const ErrorEjecucion& e) {
            QSKIP(qPrintable(QStringLiteral("no SQLite ODBC driver to stand in for the server: ") + e.Description));
        }
        auto w = Abrir();
        Registrar(*w, QStringLiteral("db"), QStringLiteral("SRV01:1500"), QStringLiteral("1500"));
        QCOMPARE(Leer(Ruta()), "DB / SRV01,db,db," + Enc(QStringLiteral("db")) + ",SRV01:1500\r\n");
        QCOMPARE(Lista(*w), QStringList{"DB / SRV01"});
        ClickEntrada(*w, 0);
        QCOMPARE(w->TxtServidor->text(), QStringLiteral("SRV01"));
        QCOMPARE(w->TxtPuerto->text(), QStringLiteral("1500"));
        QCOMPARE(gBaseDatos().gCnn().State(), 0);
        QTest::mouseClick(w->bcCancelar, Qt::LeftButton);
    }

    void duplicadoAunqueSoloCambieElPuerto_data() {
        QTest::addColumn<QString>("db");
        QTest::addColumn<QString>("servidor");
        QTest::newRow("otro puerto") << "db"
                                     << "srv01:2000";
        QTest::newRow("sin puerto") << "DB"
                                    << "SRV01";
        QTest::newRow("blancos") << " db "
                                 << " srv01:1500 ";
    }
    void duplicadoAunqueSoloCambieElPuerto() {
        QFETCH(QString, db);
        QFETCH(QString, servidor);
        const QByteArray previo = "DB / SRV01,db,db," + Enc(QStringLiteral("db")) + ",SRV01:1500\r\n";
        Escribir(Ruta(), previo);
        auto w = Abrir();
        g().ResponderMsgBox(vb::OK, QStringLiteral("ya existe"));
        Registrar(*w, db, servidor);
        QCOMPARE(g().UltimaCaja().texto, QStringLiteral("La conexion que intenta registrar ya existe "));
        QCOMPARE(g().UltimaCaja().estilo, vb::Information);
        QCOMPARE(g().UltimaCaja().titulo, QStringLiteral("Atencion"));
        QCOMPARE(Leer(Ruta()), previo);
        QVERIFY(gBaseDatos().gOpenFlag);  // nothing was tested or closed
        QCOMPARE(gBaseDatos().gCnn().State(), 1);
        QTest::mouseClick(w->bcCancelar, Qt::LeftButton);
    }

    // Keys are compared exactly: one that differs only in letter case is another connection.
    void claveSensibleAMayusculas() {
        Escribir(Ruta(), "Demo / Sqlite,demo,demo," + Enc(QStringLiteral("demo")) + ",sqlite\r\n");
        auto w = Abrir();
        Registrar(*w, QStringLiteral("demo"), QStringLiteral("sqlite"));
        QCOMPARE(g().Cajas().size(), 0);
        QCOMPARE(Lista(*w), (QStringList{"Demo / Sqlite", "DEMO / SQLITE"}));
        // The upper-case key is now there: registering it again is refused.
        g().ResponderMsgBox(vb::OK, QStringLiteral("ya existe"));
        Registrar(*w, QStringLiteral("Demo"), QStringLiteral("SQLite"));
        QTest::mouseClick(w->bcCancelar, Qt::LeftButton);
    }

    void registroTrasUltimaLineaSinFin() {
        const QByteArray previo = "A / B,a,a," + Enc(QStringLiteral("a")) + ",b";
        Escribir(Ruta(), previo);
        auto w = Abrir();
        Registrar(*w, QStringLiteral("demo"), QStringLiteral("sqlite"));
        QCOMPARE(Leer(Ruta()), previo + "\rDEMO / SQLITE,demo,demo," + Enc(QStringLiteral("demo")) + ",sqlite\r\n");
        QCOMPARE(Lista(*w), (QStringList{"A / B", "DEMO / SQLITE"}));
        ClickEntrada(*w, 1);
        QCOMPARE(w->TxtDbName->text(), QStringLiteral("demo"));
        QCOMPARE(w->TxtServidor->text(), QStringLiteral("sqlite"));
        QTest::mouseClick(w->bcCancelar, Qt::LeftButton);
    }

    // A hand-edited registry: every line end, blank lines, a short and a long line, bytes that are
    // not UTF-8. A registration afterwards keeps every record and adds its own.
    void registroMixtoYMalformado() {
        QByteArray previo;
        previo += "UNO / S1,uno,uno,~01,s1\r\n";
        previo += "DOS / S2,dos,dos,~02,s2\r";
        previo += "\n\n";
        previo += "MAL,solo\n";
        previo += "TRES / S3,tres,tres,~03,s3,sobra\r\n";
        previo += "A\xd1O / S4,a\xf1o,a\xf1o,~04,s4\n";  // Windows-1252
        previo += "CUATRO / S5,cuatro,cuatro,~05,s5";
        Escribir(Ruta(), previo);
        auto w = Abrir();
        QCOMPARE(Lista(*w).size(), 6);
        Registrar(*w, QStringLiteral("demo"), QStringLiteral("sqlite"));
        const QStringList esperado{"UNO / S1",    "DOS / S2",     "MAL", "TRES / S3", QStringLiteral("AÑO / S4"),
                                   "CUATRO / S5", "DEMO / SQLITE"};
        QCOMPARE(Lista(*w), esperado);
        QVERIFY(Leer(Ruta()).startsWith(previo));
        // The entry written in the old code page still selects its record.
        ClickEntrada(*w, 4);
        QCOMPARE(w->TxtDbName->text(), QStringLiteral("año"));
        QTest::mouseClick(w->bcCancelar, Qt::LeftButton);
    }

    void sugerencias() {
        Escribir(Ruta(), "DEMO / SQLITE,demo,demo," + Enc(QStringLiteral("demo")) + ",sqlite\r\n");
        sesion().gClaveUsuario = QStringLiteral("vieja");
        auto w = Abrir();
        // The password box never shows a hint: blanks alone are emptied.
        QCOMPARE(w->TxtUserPassword->text(), QString());
        QTest::keyClicks(w->TxtUserPassword, QStringLiteral("   "));
        QCOMPARE(w->TxtUserPassword->text(), QString());
        // Emptying a box with a hint brings the hint back, selected, so typing replaces it.
        Teclear(w->TxtDbName, QString());
        QCOMPARE(w->TxtDbName->text(), QStringLiteral("ingrese el nombre de la base de datos"));
        QCOMPARE(w->TxtDbName->selectedText(), w->TxtDbName->text());
        QCOMPARE(w->TxtDbName->palette().color(QPalette::Text), QColor(2, 0, 0));
        {
            // On a dark theme the nearly black hint would not be read: the theme's hint colour.
            const QPalette anterior = QApplication::palette();
            QPalette oscura = anterior;
            oscura.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
            oscura.setColor(QPalette::PlaceholderText, QColor(0x90, 0x90, 0x90));
            QApplication::setPalette(oscura);
            Teclear(w->TxtServidor, QString());
            QCOMPARE(w->TxtServidor->palette().color(QPalette::Text), QColor(0x90, 0x90, 0x90));
            QApplication::setPalette(anterior);
        }
        QTest::keyClicks(w->TxtDbName, QStringLiteral("demo"));
        QCOMPARE(w->TxtDbName->text(), QStringLiteral("demo"));
        Teclear(w->TxtServidor, QStringLiteral("   "));
        QCOMPARE(w->TxtServidor->text(), QStringLiteral("ingrese el nombre del servidor e instancia"));
        Teclear(w->TxtServidor, QStringLiteral("sqlite"));

        // The user box, left at its hint, passes the hint on as the user name.
        QCOMPARE(Enfocado(), QStringLiteral("TxtUserId"));
        QCOMPARE(w->TxtUserId->text(), QStringLiteral("Ingrese el usuario"));
        QTest::mouseClick(w->bcAceptar, Qt::LeftButton);
        QVERIFY(w->Aceptar());
        QCOMPARE(sesion().gUsuarioSistema, QStringLiteral("Ingrese el usuario"));
        QCOMPARE(sesion().gClaveUsuario, QString());
    }

    // The port box only shows; an empty, zero or unreadable port is 1433, and no record holds it.
    void puertoPorDefecto_data() {
        QTest::addColumn<QString>("puerto");
        QTest::addColumn<QString>("visto");
        QTest::newRow("vacio") << ""
                               << "1433";
        QTest::newRow("cero") << "0"
                              << "1433";
        QTest::newRow("texto") << "abc"
                               << "1433";
        QTest::newRow("dado") << "1500"
                              << "1500";
    }
    void puertoPorDefecto() {
        QFETCH(QString, puerto);
        QFETCH(QString, visto);
        auto w = Abrir();
        Registrar(*w, QStringLiteral("demo"), QStringLiteral("sqlite"), puerto);
        QCOMPARE(w->TxtPuerto->text(), visto);
        QCOMPARE(Leer(Ruta()), "DEMO / SQLITE,demo,demo," + Enc(QStringLiteral("demo")) + ",sqlite\r\n");
        QTest::mouseClick(w->bcCancelar, Qt::LeftButton);
    }

    void cancelar_data() {
        QTest::addColumn<int>("como");
        QTest::newRow("boton") << 0;
        QTest::newRow("escape") << 1;
        QTest::newRow("cerrar") << 2;
    }
    void cancelar() {
        QFETCH(int, como);
        sesion().gUsuarioSistema = QStringLiteral("orig");
        sesion().gClaveUsuario = QStringLiteral("clave");
        auto w = Abrir();
        QTest::keyClicks(w->TxtUserId, QStringLiteral("otro"));
        QTest::keyClicks(w->TxtUserPassword, QStringLiteral("otra"));
        if (como == 0)
            QTest::mouseClick(w->bcCancelar, Qt::LeftButton);
        else if (como == 1)
            QTest::keyClick(w->TxtUserPassword, Qt::Key_Escape);
        else
            w->close();
        QVERIFY(!w->isVisible());
        QVERIFY(!w->Aceptar());
        QCOMPARE(sesion().gUsuarioSistema, QStringLiteral("orig"));
        QCOMPARE(sesion().gClaveUsuario, QStringLiteral("clave"));
        QVERIFY(!QFile::exists(Ruta()));  // no registration either
    }

    // A database the quick test misses (it looks for the upper-case name; files here are case
    // sensitive) is reached through the shared object with the typed values, and registered.
    void registroPorElRespaldo() {
        s_.reset();
        s_ = std::make_unique<SesionPrueba>(true, QStringLiteral("demo"));
        QVERIFY(gBaseDatos().gOpenFlag);
        auto w = Abrir();
        Teclear(w->TxtUserId, QStringLiteral(" ana "));
        Teclear(w->TxtUserPassword, QStringLiteral("pw"));
        Registrar(*w, QStringLiteral("demo"), QStringLiteral("sqlite"));
        QCOMPARE(g().Cajas().size(), 0);
        QCOMPARE(Leer(Ruta()), "DEMO / SQLITE,demo,demo," + Enc(QStringLiteral("demo")) + ",sqlite\r\n");
        auto& db = gBaseDatos();
        QCOMPARE(db.gDBName, QStringLiteral("demo"));
        QCOMPARE(db.gServidor, QStringLiteral("sqlite"));
        QCOMPARE(db.gUsuario, QStringLiteral("ana"));
        QCOMPARE(db.gUserPassWord, QStringLiteral("pw"));
        QCOMPARE(db.gCnn().State(), 0);  // a registration ends with the connection closed
        QTest::mouseClick(w->bcCancelar, Qt::LeftButton);
    }

    void registroImposible() {
        auto w = Abrir();
        g().ResponderMsgBox(vb::No, QStringLiteral("Desea Intentarlo Nuevamente"));
        g().ResponderMsgBox(vb::OK, QStringLiteral("NO SE PUDO CONECTAR"));
        Registrar(*w, QStringLiteral("nada"), QStringLiteral("sqlite"));
        QCOMPARE(g().UltimaCaja().texto,
                 QStringLiteral("NO SE PUDO CONECTAR AL SERVIDOR sqlite VERIFIQUE EL NOMBRE DE USUARIO Y PASSWORD INGRESADO"));
        QCOMPARE(g().UltimaCaja().estilo, vb::Information);
        QCOMPARE(g().UltimaCaja().titulo, QStringLiteral("AVISO AL OPERADOR"));
        QVERIFY(!QFile::exists(Ruta()));
        QVERIFY(!gBaseDatos().gOpenFlag);
        QTest::mouseClick(w->bcCancelar, Qt::LeftButton);
    }

    // The companion program of the suite starts after a registration, not waited for.
    void programaCompanero() {
        Escribir(QDir(Carpeta()).filePath(QStringLiteral("ODBC")), "#!/bin/sh\n");
        auto w = Abrir();
        Registrar(*w, QStringLiteral("demo"), QStringLiteral("sqlite"));
        QCOMPARE(g().Arranques().size(), 1);
        QCOMPARE(g().Arranques()[0].programa, QDir(Carpeta()).filePath(QStringLiteral("ODBC")));
        QCOMPARE(g().Arranques()[0].argumentos, QStringList{"Server=sqlite;DB=DEMO;"});
        QCOMPARE(g().Arranques()[0].estilo, 6);
        QTest::mouseClick(w->bcCancelar, Qt::LeftButton);
    }

    // An unexpected failure (the registry cannot be written) is shown and the registration goes
    // on with the companion program; the shared connection still ends closed.
    void errorInesperadoSigueConElCompanero() {
        QVERIFY(QDir(Carpeta()).mkdir(QStringLiteral("BASES.TXT")));
        Escribir(QDir(Carpeta()).filePath(QStringLiteral("ODBC")), "#!/bin/sh\n");
        auto w = Abrir();
        g().ResponderMsgBox(vb::OK, QStringLiteral("SQL Server start failed.  \rSQL-DMO error:   75 "));
        Registrar(*w, QStringLiteral("demo"), QStringLiteral("sqlite"));
        QCOMPARE(g().UltimaCaja().estilo, vb::OKOnly);
        QCOMPARE(g().UltimaCaja().titulo, QString());
        QCOMPARE(g().Arranques().size(), 1);
        QCOMPARE(gBaseDatos().gCnn().State(), 0);
        QTest::mouseClick(w->bcCancelar, Qt::LeftButton);
    }

    void accesoDirecto() {
        QTemporaryDir raiz;
        const QString programa = raiz.filePath(QStringLiteral("Mis Programas 100%"));
        QVERIFY(QDir().mkpath(programa));
        Escribir(QDir(programa).filePath(QStringLiteral("MA_POSICIONES.png")), "png");
        g().carpeta = programa;
        g().escritorio = raiz.filePath(QStringLiteral("Escritorio"));
        auto w = Abrir();
        g().ResponderMsgBox(vb::OK, QStringLiteral("acceso directo"));
        QTest::mouseClick(w->CmdLineaComando, Qt::LeftButton);
        const QString archivo = QDir(g().escritorio).filePath(QStringLiteral("MA_POSICIONES.desktop"));
        QVERIFY(g().UltimaCaja().texto.contains(archivo));
        QVERIFY(QFileInfo(archivo).isFile());
        QVERIFY(QFileInfo(archivo).isExecutable());
        const QString texto = QString::fromUtf8(Leer(archivo));
        // The path is quoted (it holds a blank) and its percent sign doubled (field codes).
        const QString exec = QStringLiteral("\nExec=\"") + QString(programa).replace(QStringLiteral("%"), QStringLiteral("%%")) +
                             QStringLiteral("/MA_POSICIONES\"\n");
        QVERIFY2(texto.contains(exec), qPrintable(texto));
        QVERIFY(texto.contains(QStringLiteral("\nIcon=") + QDir(g().carpeta).filePath(QStringLiteral("MA_POSICIONES.png"))));

        const QString validador = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (validador.isEmpty()) QSKIP("desktop-file-validate is not installed");
        QProcess p;
        p.start(validador, {archivo});
        QVERIFY(p.waitForFinished(30000));
        const QString salida = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        QVERIFY2(p.exitCode() == 0 && !salida.contains(QStringLiteral("error:")), qPrintable(salida));
        QTest::mouseClick(w->bcCancelar, Qt::LeftButton);
    }

    void accesoDirectoImposible() {
        const QString archivo = QDir(Carpeta()).filePath(QStringLiteral("no-es-carpeta"));
        Escribir(archivo, "x");
        g().escritorio = archivo + QStringLiteral("/Escritorio");
        auto w = Abrir();
        g().ResponderMsgBox(vb::Abort, QStringLiteral("(76)"));
        QTest::mouseClick(w->CmdLineaComando, Qt::LeftButton);
        QVERIFY(g().UltimaCaja().titulo.contains(QStringLiteral(" - Click")));
        QTest::mouseClick(w->bcCancelar, Qt::LeftButton);
    }

    // The start-up banner stays on top of every window; while the connection window waits for the
    // operator it must not cover it, and it comes back when the window closes.
    void elCartelNoTapaLaVentanaDeConexion() {
        auto anterior = EstablecerDialogoConexion(nullptr);
        InstalarDialogoConexion();
        auto restaurar = qScopeGuard([&] {
            gDisplay().CartelCerrar();
            EstablecerDialogoConexion(std::move(anterior));
        });
        auto& db = gBaseDatos();
        db.gCnn().Close();
        db.gOpenFlag = false;
        gDisplay().CartelInicio(QStringLiteral("Conectando Base de Datos"), false);
        QVERIFY(gDisplay().Ventana()->isVisible());
        bool tapada = true;
        g().AlMostrarModal([&tapada](QWidget* v) {
            const QWidget* cartel = gDisplay().Ventana();
            tapada = cartel->isVisible() && cartel->frameGeometry().intersects(v->frameGeometry());
            QTest::mouseClick(qobject_cast<frmAcceso*>(v)->bcCancelar, Qt::LeftButton);
        });
        db.OpenServerADODB(true, 3, QString(), false, false);
        QVERIFY(!tapada);
        QTRY_VERIFY(gDisplay().Ventana()->isVisible());
    }

    // The window as the database object's parameter dialog: loaded with the object's values,
    // accepted, and the connection opened with what the operator left in it.
    void dialogoDeLaBaseDeDatos() {
        Escribir(Ruta(), "OTRA / SQLITE,otra,otra," + Enc(QStringLiteral("otra")) + ",sqlite\r\n");
        auto anterior = EstablecerDialogoConexion(nullptr);
        InstalarDialogoConexion();
        auto restaurar = qScopeGuard([&] { EstablecerDialogoConexion(std::move(anterior)); });
        auto& db = gBaseDatos();
        db.gCnn().Close();
        db.gOpenFlag = false;
        db.gDBName = QStringLiteral("DEMO");
        db.gServidor = QStringLiteral("SQLITE");
        db.gUsuarioClave = QStringLiteral("pw");
        sesion().gUsuarioSistema = QStringLiteral("ana");

        g().AlMostrarModal([](QWidget* v) {
            auto* w = qobject_cast<frmAcceso*>(v);
            QVERIFY(w);
            QCOMPARE(w->TxtDbName->text(), QStringLiteral("DEMO"));
            QCOMPARE(w->TxtServidor->text(), QStringLiteral("SQLITE"));
            QCOMPARE(w->TxtUserId->text(), QStringLiteral("ana"));
            QCOMPARE(w->TxtUserPassword->text(), QStringLiteral("pw"));
            QCOMPARE(w->CboPlataformaDB->currentIndex(), 0);
            Teclear(w->TxtUserId, QStringLiteral("luis"));
            QTest::mouseClick(w->bcAceptar, Qt::LeftButton);
        });
        db.OpenServerADODB(true, 3, QString(), false, false);
        QVERIFY(db.gOpenFlag);
        QCOMPARE(db.gCnn().State(), 1);
        QCOMPARE(db.gUsuario, QStringLiteral("DEMO"));
        QCOMPARE(sesion().gUsuarioSistema, QStringLiteral("luis"));

        // Cancelled: no connection and no message.
        db.gCnn().Close();
        g().AlMostrarModal([](QWidget* v) { QTest::mouseClick(qobject_cast<frmAcceso*>(v)->bcCancelar, Qt::LeftButton); });
        db.OpenServerADODB(true, 3, QString(), false, false);
        QVERIFY(!db.gOpenFlag);
        QCOMPARE(db.gCnn().State(), 0);
        QCOMPARE(g().Cajas().size(), 0);

        // ORACLE in the list makes an Oracle server of it.
        g().AlMostrarModal([](QWidget* v) {
            auto* w = qobject_cast<frmAcceso*>(v);
            w->CboPlataformaDB->setCurrentIndex(1);
            QTest::mouseClick(w->bcAceptar, Qt::LeftButton);
        });
        db.OpenServerADODB(true, 3, QString(), false, false);
        QCOMPARE(db.gServidor, QStringLiteral("#SQLITE"));
        QCOMPARE(db.gProveedor, QStringLiteral("OraOLEDB.Oracle.1"));
    }
};

QTEST_MAIN(TstFrmAcceso)
#include "tst_frmacceso.moc"
