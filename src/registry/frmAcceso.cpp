#include "registry/frmAcceso.h"

#include "core/MostrarError.h"
#include "core/SentenciasSQL.h"
#include "db/DB_Dll.h"
#include "registry/AccesoDirecto.h"
#include "registry/RegistroBases.h"
#include "services/FuncionesComunes.h"
#include "services/Pasos.h"
#include "services/Plataforma.h"
#include "services/Sesion.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kHintUsuario = QStringLiteral("Ingrese el usuario");
const QString kHintBase = QStringLiteral("ingrese el nombre de la base de datos");
const QString kHintServidor = QStringLiteral("ingrese el nombre del servidor e instancia");

// The hint colour of the suite: the value 2, red 2, green 0, blue 0 (nearly black).
const QColor kColorHint(2, 0, 0);

bool EsEnter(const QKeyEvent* e) {
    return e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
}

// The number as the suite prints it in messages: a blank in front of a positive number.
QString NumeroConSigno(long n) {
    return n >= 0 ? QLatin1Char(' ') + QString::number(n) : QString::number(n);
}

// Errors a registration leaves behind without a word: the connection already closed, and the
// service-control answers of a server that is already running or cannot be reached that way.
bool ErrorOmitido(long numero) {
    return numero == errnum::ObjectClosed || numero == -2147023840 || numero == 1056 || numero == 440 || numero == 20480;
}

}  // namespace

frmAcceso::frmAcceso(QWidget* parent) : QWidget(parent, Qt::Dialog) {
    ConstruirControles();
    // The load: the registry first (which selects and shows the first registered connection),
    // then the hints in whatever was left empty.
    llenarlist();
    MensajeInicial(TxtUserId);
    MensajeInicial(TxtUserPassword);
    MensajeInicial(TxtDbName);
    MensajeInicial(TxtDbName);
    MensajeInicial(TxtServidor);
    TxtUserId->setFocus();
    Centrar();
}

frmAcceso::~frmAcceso() = default;

QString frmAcceso::DireccionWeb() {
    return QStringLiteral("https://soporte.suite-gestion.example");
}

void frmAcceso::ConstruirControles() {
    setObjectName(QStringLiteral("frmAcceso"));
    setWindowTitle(QStringLiteral("Control de Acceso"));
    setWindowModality(Qt::ApplicationModal);

    lblTitulo = new QLabel(QStringLiteral("Control de Acceso"), this);
    lblTitulo->setObjectName(QStringLiteral("lblTitulo"));
    QFont grande = lblTitulo->font();
    grande.setPointSizeF(grande.pointSizeF() * 1.5);
    grande.setBold(true);
    lblTitulo->setFont(grande);

    auto* lblBases = new QLabel(QStringLiteral("Conexiones registradas"), this);
    lstBases = new QListWidget(this);
    lstBases->setObjectName(QStringLiteral("lstBases"));
    lstBases->setMinimumWidth(220);
    lblBases->setBuddy(lstBases);

    fraAutenticacion = new QGroupBox(QStringLiteral("AUTENTICACION"), this);
    fraAutenticacion->setObjectName(QStringLiteral("fraAutenticacion"));

    auto caja = [this](const char* nombre, const QString& ayuda) {
        auto* t = new QLineEdit(fraAutenticacion);
        t->setObjectName(QLatin1String(nombre));
        t->setToolTip(ayuda);
        t->installEventFilter(this);
        return t;
    };
    TxtUserId = caja("TxtUserId", QStringLiteral("Ingrese el nombre de usuario"));
    TxtUserPassword = caja("TxtUserPassword", QStringLiteral("Ingrese la contraseña"));
    TxtUserPassword->setEchoMode(QLineEdit::Password);
    TxtDbName = caja("TxtDbName", QStringLiteral("ingrese el nombre de la base de datos"));
    TxtServidor = caja("TxtServidor", QStringLiteral("ingrese el nombre del servidor e instancia"));
    TxtPuerto = caja("TxtPuerto", QStringLiteral("Ingrese el Puerto "));
    TxtPuerto->setText(QStringLiteral("1433"));
    TxtPuerto->setMaximumWidth(80);

    CboPlataformaDB = new QComboBox(fraAutenticacion);
    CboPlataformaDB->setObjectName(QStringLiteral("CboPlataformaDB"));
    CboPlataformaDB->addItems({QStringLiteral("SQL Server"), QStringLiteral("ORACLE")});
    CboPlataformaDB->setCurrentIndex(0);

    auto* grid = new QGridLayout(fraAutenticacion);
    auto fila = [&](int r, const QString& texto, QWidget* control, int columnas = 3) {
        auto* l = new QLabel(texto, fraAutenticacion);
        l->setBuddy(control);
        grid->addWidget(l, r, 0);
        grid->addWidget(control, r, 1, 1, columnas);
    };
    fila(0, QStringLiteral("Usuario"), TxtUserId);
    fila(1, QStringLiteral("Contraseña"), TxtUserPassword);
    fila(2, QStringLiteral("Base de datos"), TxtDbName);
    fila(3, QStringLiteral("Servidor"), TxtServidor, 1);
    auto* lblPuerto = new QLabel(QStringLiteral("Puerto"), fraAutenticacion);
    lblPuerto->setBuddy(TxtPuerto);
    grid->addWidget(lblPuerto, 3, 2);
    grid->addWidget(TxtPuerto, 3, 3);
    fila(4, QStringLiteral("Plataforma"), CboPlataformaDB);
    grid->setColumnStretch(1, 1);

    auto boton = [this](const char* nombre, const QString& texto) {
        auto* b = new QPushButton(texto, this);
        b->setObjectName(QLatin1String(nombre));
        b->installEventFilter(this);
        return b;
    };
    bcAceptar = boton("bcAceptar", QStringLiteral("Conectar"));
    bcCancelar = boton("bcCancelar", QStringLiteral("Cancelar"));
    CmdRegistrar = boton("CmdRegistrar", QStringLiteral("Registrar"));
    CmdLineaComando = boton("CmdLineaComando", QStringLiteral("Crear Acceso Directo"));
    bcAceptar->setDefault(true);

    Label8 = new QLabel(DireccionWeb(), this);
    Label8->setObjectName(QStringLiteral("Label8"));
    Label8->setToolTip(DireccionWeb());
    Label8->setCursor(Qt::PointingHandCursor);
    // The theme's link colour: readable on a light and on a dark palette.
    Label8->setStyleSheet(QStringLiteral("color: palette(link); text-decoration: underline;"));
    Label8->installEventFilter(this);
    auto* lblMarca = new QLabel(QStringLiteral("Sistemas de Gestión"), this);
    lblMarca->setObjectName(QStringLiteral("lblMarca"));

    auto* izquierda = new QVBoxLayout;
    izquierda->addWidget(lblBases);
    izquierda->addWidget(lstBases, 1);
    izquierda->addWidget(CmdRegistrar);
    izquierda->addWidget(CmdLineaComando);

    auto* derecha = new QVBoxLayout;
    derecha->addWidget(fraAutenticacion);
    derecha->addStretch(1);
    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(bcAceptar);
    botones->addWidget(bcCancelar);
    derecha->addLayout(botones);

    auto* centro = new QHBoxLayout;
    centro->addLayout(izquierda);
    centro->addLayout(derecha, 1);

    auto* pie = new QHBoxLayout;
    pie->addWidget(lblMarca);
    pie->addStretch(1);
    pie->addWidget(Label8);

    auto* principal = new QVBoxLayout(this);
    principal->addWidget(lblTitulo);
    principal->addLayout(centro, 1);
    principal->addLayout(pie);

    lstBases->installEventFilter(this);
    connect(lstBases, &QListWidget::currentRowChanged, this, [this](int fila) {
        if (fila >= 0) AsignarDatosBase();
    });
    connect(lstBases, &QListWidget::itemClicked, this, [this] { AsignarDatosBase(); });
    connect(lstBases, &QListWidget::itemDoubleClicked, this, [this] {
        AsignarDatosBase();
        // Choosing a connection empties the user and password, so a connection straight away
        // would always be refused: the operator types them first.
        if (TxtUserId->text().trimmed().isEmpty()) {
            TxtUserId->setFocus(Qt::OtherFocusReason);
            return;
        }
        bcAceptar_Click();
    });
    for (QLineEdit* t : {TxtDbName, TxtServidor, TxtUserPassword})
        connect(t, &QLineEdit::textChanged, this, [this, t] { MensajeInicial(t); });
    connect(bcAceptar, &QPushButton::clicked, this, &frmAcceso::bcAceptar_Click);
    connect(bcCancelar, &QPushButton::clicked, this, &frmAcceso::bcCancelar_Click);
    connect(CmdRegistrar, &QPushButton::clicked, this, &frmAcceso::CmdRegistrar_Click);
    connect(CmdLineaComando, &QPushButton::clicked, this, &frmAcceso::CmdLineaComando_Click);

    // The keyboard path of the operator: user, password, database, server, "Conectar"; the rest after.
    QWidget* orden[] = {TxtUserId, TxtUserPassword, TxtDbName,    TxtServidor,     bcAceptar, bcCancelar,
                        TxtPuerto, CboPlataformaDB, CmdRegistrar, CmdLineaComando, lstBases};
    for (std::size_t i = 0; i + 1 < std::size(orden); ++i) setTabOrder(orden[i], orden[i + 1]);

    resize(sizeHint().expandedTo(QSize(620, 360)));
}

void frmAcceso::Centrar() {
    QScreen* pantalla = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!pantalla) return;
    QRect marco = frameGeometry();
    marco.moveCenter(pantalla->availableGeometry().center());
    move(marco.topLeft());
}

QString frmAcceso::Sugerencia(const QLineEdit* caja) const {
    if (caja == TxtUserId) return kHintUsuario;
    if (caja == TxtDbName) return kHintBase;
    if (caja == TxtServidor) return kHintServidor;
    return QString();
}

void frmAcceso::MensajeInicial(QLineEdit* caja) {
    // Guarded: putting the hint in changes the text, which calls this again.
    if (!caja || enMensaje_) return;
    const QString hint = Sugerencia(caja);
    if (!caja->text().trimmed().isEmpty() && caja->text() != hint) return;
    enMensaje_ = true;
    if (caja->text() != hint) caja->setText(hint);
    QPalette paleta = caja->palette();
    // The suite's nearly black hint, unless the theme is dark: then the theme's own hint colour.
    const bool oscura = QApplication::palette(caja).color(QPalette::Base).lightnessF() < 0.5;
    paleta.setColor(QPalette::Text, oscura ? QApplication::palette(caja).color(QPalette::PlaceholderText) : kColorHint);
    caja->setPalette(paleta);
    // Selected, so that the first key the operator types replaces the hint.
    caja->setSelection(0, static_cast<int>(hint.size()));
    caja->update();
    enMensaje_ = false;
}

void frmAcceso::llenarlist() {
    const QString ruta = RutaRegistroBases();
    if (!ExisteArchivo(ruta)) return;
    QList<RegistroConexion> registros;
    pasos::Pasos(
        QStringLiteral("FormLoad"), ReportarMostrarError, [&] { lstBases->clear(); },
        [&] { registros = LeerRegistroBases(ruta); },
        [&] {
            for (const RegistroConexion& r : registros)
                if (!r.clave.trimmed().isEmpty()) lstBases->addItem(r.clave);
        },
        [&] {
            // Selecting the first entry fills the boxes, as a click on it would.
            if (lstBases->count() > 0) lstBases->setCurrentRow(0);
        });
}

void frmAcceso::DatosBase(const QString& clave) {
    try {
        const QString ruta = RutaRegistroBases();
        if (!ExisteArchivo(ruta)) return;
        const QString buscada = clave.trimmed();
        const QList<RegistroConexion> registros = LeerRegistroBases(ruta);
        for (const RegistroConexion& r : registros) {
            if (r.clave.trimmed() != buscada) continue;  // exact: letter case counts
            servidor_ = r.servidor;
            baseDatos_ = r.baseDatos;
            usuario_ = r.usuario;
            clave_ = FuncionesComunes::instancia().Decodificar(r.password);
            return;
        }
    } catch (const ErrorEjecucion& e) {
        MostrarError(e, 18, QStringLiteral("DatosBase"));
    }
}

void frmAcceso::AsignarDatosBase() {
    const QListWidgetItem* item = lstBases->currentItem();
    DatosBase(item ? item->text().trimmed() : QString());
    const qsizetype dosPuntos = servidor_.indexOf(QLatin1Char(':'));
    if (dosPuntos >= 0) {
        puerto_ = servidor_.mid(dosPuntos + 1);
        servidor_ = servidor_.left(dosPuntos).trimmed().toUpper();
    }
    TxtServidor->setText(servidor_);
    TxtUserId->setText(QString());
    TxtUserPassword->setText(QString());
    TxtDbName->setText(baseDatos_);
    TxtPuerto->setText(puerto_.toString());
}

bool frmAcceso::ExisteBaseDeDatos(const QString& servidor, const QString& baseDatos, const QString& usuario,
                                  const QString& password, const QString& proveedor) {
    DB_Dll& db = gBaseDatos();
    bool resultado = true;
    auto intentar = [&](const auto& paso) {
        try {
            paso();
            return true;
        } catch (const ErrorEjecucion&) {
        } catch (const std::exception&) {
        }
        resultado = false;
        return false;
    };
    if (db.gOpenFlag) intentar([&] { db.gCnn().Close(); });
    const QString cadena = QStringLiteral("PROVIDER=") + proveedor + QStringLiteral(";") + QStringLiteral("Server=") + servidor +
                           QStringLiteral(";") + QStringLiteral("Database =") + baseDatos + QStringLiteral(";") +
                           QStringLiteral("UId=") + usuario + QStringLiteral(";") + QStringLiteral("Pwd=") + password +
                           QStringLiteral(";");
    const bool abrio = intentar([&] { db.gCnn().Open(cadena, QString(), QString(), -1); });
    // Whatever happened before, a connection this test opened does not stay open.
    if (abrio) intentar([&] { db.gCnn().Close(); });
    return resultado;
}

void frmAcceso::RegistrarBases() {
    if (!ExisteArchivo(RutaRegistroBases())) CmdRegistrar_Click();
}

void frmAcceso::bcAceptar_Click() {
    const QString clave = ClaveConexion(TxtDbName->text(), TxtServidor->text());
    servidor_.clear();
    DatosBase(clave);
    sesion().gUsuarioSistema = TxtUserId->text();
    sesion().gClaveUsuario = TxtUserPassword->text();
    aceptar_ = true;
    // The first accepted connection starts the registry.
    RegistrarBases();
    hide();
}

void frmAcceso::bcCancelar_Click() {
    aceptar_ = false;
    hide();
}

void frmAcceso::CmdRegistrar_Click() {
    DB_Dll& db = gBaseDatos();
    auto& fc = FuncionesComunes::instancia();
    const QString clave = ClaveConexion(TxtDbName->text(), TxtServidor->text());
    bool existe = false;
    // After an unexpected error the registration goes on with the companion program.
    bool saltar = false;
    const auto reportero = [&](const ErrorEjecucion& e, const QString&) -> int {
        if (!ErrorOmitido(e.Number)) {
            plataforma().MsgBox(QStringLiteral("SQL Server start failed.  ") + QLatin1Char('\r') +
                                    QStringLiteral("SQL-DMO error:  ") + NumeroConSigno(e.Number) + QLatin1Char(' ') +
                                    e.Description,
                                vb::OKOnly, QString());
            saltar = true;
        }
        return pasos::Ignorar;
    };
    auto agregar = [&] { AgregaConexion(clave, TxtDbName->text(), TxtDbName->text(), TxtDbName->text(), TxtServidor->text()); };

    pasos::Pasos(
        QStringLiteral("CmdRegistrar_Click"), reportero,
        [&]() -> bool {
            servidor_.clear();
            DatosBase(clave);
            if (servidor_.trimmed().isEmpty()) return true;
            plataforma().MsgBox(QStringLiteral("La conexion que intenta registrar ya existe "), vb::Information,
                                QStringLiteral("Atencion"));
            return false;
        },
        [&] {
            if (saltar) return;
            // The port only shows in the window; it goes into no record and no connection string.
            const double puerto = fc.ValorNumerico(TxtPuerto->text());
            puerto_ = puerto == 0 ? 1433.0 : puerto;
        },
        [&] {
            if (saltar) return;
            TxtServidor->setText(TxtServidor->text().trimmed());
            TxtUserId->setText(TxtUserId->text().trimmed());
            TxtUserPassword->setText(TxtUserPassword->text().trimmed());
            TxtDbName->setText(TxtDbName->text().trimmed());
        },
        [&] {
            if (saltar) return;
            const QString base = TxtDbName->text().toUpper();
            existe = ExisteBaseDeDatos(TxtServidor->text(), base, base, base, QStringLiteral("SQLOLEDB"));
        },
        [&] {
            if (!saltar && existe) agregar();
        },
        [&] {
            if (!saltar && !existe && db.gOpenFlag) db.gCnn().Close();
        },
        [&] {
            if (saltar || existe) return;
            db.gServidor = TxtServidor->text();
            db.gUsuario = TxtUserId->text();
            db.gUserPassWord = TxtUserPassword->text();
            db.gDBName = TxtDbName->text();
        },
        [&] {
            if (!saltar && !existe) db.OpenServerADODB(false, 3, QString(), true, true);
        },
        [&]() -> bool {
            if (saltar || existe) return true;
            if (db.gOpenFlag) {
                agregar();
                return true;
            }
            plataforma().MsgBox(QStringLiteral("NO SE PUDO CONECTAR AL SERVIDOR ") + TxtServidor->text() +
                                    QStringLiteral(" VERIFIQUE EL NOMBRE DE USUARIO Y PASSWORD INGRESADO"),
                                vb::Information, QStringLiteral("AVISO AL OPERADOR"));
            return false;
        },
        [&] {
            // The suite's companion program, when this installation has it: started, not waited for.
            const QString programa = fc.RutaCarpeta(plataforma().CarpetaPrograma()) + QStringLiteral("ODBC");
            if (!ExisteArchivo(programa)) return;
            plataforma().IniciarPrograma(
                programa,
                {QStringLiteral("Server=") + TxtServidor->text() + QStringLiteral(";DB=") + db.gDBName + QStringLiteral(";")}, 6);
        },
        [&] { db.gCnn().Close(); }, [&] { llenarlist(); });
}

void frmAcceso::CmdLineaComando_Click() {
    QString ruta;
    pasos::Pasos(
        QStringLiteral("Click"), ReportarMostrarError,
        [&] {
            Plataforma& p = plataforma();
            const QString nombre = p.NombreEjecutable().trimmed();
            const QString carpeta = p.CarpetaPrograma();
            ruta = EscribirAccesoDirecto(p.CarpetaEscritorio(), nombre, QDir(carpeta).absoluteFilePath(nombre),
                                         IconoPrograma(carpeta, nombre));
        },
        [&] {
            if (!ruta.isEmpty())
                plataforma().MsgBox(QStringLiteral("Se creó el acceso directo:") + QStringLiteral("\r\n") + ruta, vb::Information,
                                    QStringLiteral("Crear Acceso Directo"));
        });
}

void frmAcceso::Label8_Click() {
    AbrirEnlace(DireccionWeb(), true);
}

bool frmAcceso::eventFilter(QObject* objeto, QEvent* evento) {
    if (evento->type() == QEvent::KeyPress) {
        auto* tecla = static_cast<QKeyEvent*>(evento);
        if (EsEnter(tecla) && tecla->modifiers() == Qt::NoModifier) {
            // Enter walks the operator through the boxes to "Conectar".
            QWidget* siguiente = nullptr;
            if (objeto == TxtUserId)
                siguiente = TxtUserPassword;
            else if (objeto == TxtUserPassword)
                siguiente = TxtDbName;
            else if (objeto == TxtDbName)
                siguiente = TxtServidor;
            else if (objeto == TxtServidor)
                siguiente = bcAceptar;
            if (siguiente) {
                siguiente->setFocus(Qt::OtherFocusReason);
                return true;
            }
            if (auto* b = qobject_cast<QPushButton*>(objeto)) {
                b->click();
                return true;
            }
            if (objeto == lstBases && lstBases->currentItem()) {
                AsignarDatosBase();
                bcAceptar_Click();
                return true;
            }
        }
    } else if (evento->type() == QEvent::FocusIn) {
        auto* caja = qobject_cast<QLineEdit*>(objeto);
        if (caja == TxtUserId) MensajeInicial(TxtUserId);
        if (caja && !Sugerencia(caja).isEmpty()) {
            if (caja->text() == Sugerencia(caja)) caja->selectAll();
            // A click places the cursor after the focus arrives; select the hint again once it has.
            if (static_cast<QFocusEvent*>(evento)->reason() == Qt::MouseFocusReason)
                QTimer::singleShot(0, caja, [this, caja] {
                    if (caja->text() == Sugerencia(caja)) caja->selectAll();
                });
        }
    } else if (evento->type() == QEvent::MouseButtonRelease && objeto == Label8) {
        if (static_cast<QMouseEvent*>(evento)->button() == Qt::LeftButton) Label8_Click();
        return true;
    }
    return QWidget::eventFilter(objeto, evento);
}

void frmAcceso::keyPressEvent(QKeyEvent* evento) {
    if (evento->key() == Qt::Key_Escape) {
        bcCancelar_Click();
        return;
    }
    QWidget::keyPressEvent(evento);
}

void frmAcceso::closeEvent(QCloseEvent* evento) {
    // Closed from the title bar: as "Cancelar".
    aceptar_ = false;
    evento->accept();
}
