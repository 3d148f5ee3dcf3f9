#include "services/UtilKit.h"

#include "services/TeclasVB.h"

#include <QAction>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QStyle>
#include <QToolButton>

namespace {
struct Definicion {
    const char* clave;
    const char* texto;
    int bandera;
    QStyle::StandardPixmap icono;
    int tecla;  // VB key code of its shortcut, 0 when none
};
const Definicion kBotones[] = {
    {"NUEVO", "&Nuevo", 10, QStyle::SP_FileIcon, teclas::F1 + 1},            // F2
    {"GRABAR", "&Grabar", 11, QStyle::SP_DialogSaveButton, teclas::F1 + 9},  // F10
    {"CANCELAR", "C&ancelar", 12, QStyle::SP_DialogCancelButton, teclas::Escape},
    {"CONSULTAR", "C&onsultar", 14, QStyle::SP_FileDialogContentsView, teclas::F1 + 2},  // F3
    {"PLANILLA", "&Planilla", 15, QStyle::SP_FileDialogDetailedView, teclas::F1 + 5},    // F6
    {"REPORTE", "&Reporte", 15, QStyle::SP_FileDialogListView, teclas::F1 + 6},          // F7
    {"BORRAR", "&Borrar", 16, QStyle::SP_TrashIcon, teclas::F1 + 7},                     // F8
    {"CERRAR", "&Cerrar", 17, QStyle::SP_DialogCloseButton, 0},
};
QKeySequence Secuencia(int t) {
    if (t == teclas::Escape) return QKeySequence(Qt::Key_Escape);
    if (t >= teclas::F1 && t <= teclas::F12) return QKeySequence(static_cast<int>(Qt::Key_F1) + (t - teclas::F1));
    return QKeySequence();
}
QString NombreTecla(int t) {
    if (t == teclas::Escape) return QStringLiteral("Esc");
    if (t >= teclas::F1 && t <= teclas::F12) return QStringLiteral("F%1").arg(t - teclas::F1 + 1);
    return QString();
}
}  // namespace

UtilKit::UtilKit(QWidget* padre) : QWidget(padre) {
    setObjectName(QStringLiteral("UtilKit1"));
    auto* fila = new QHBoxLayout(this);
    fila->setContentsMargins(2, 2, 2, 2);
    fila->setSpacing(2);
    for (const auto& d : kBotones) {
        auto* b = new QToolButton(this);
        const QString clave = QString::fromLatin1(d.clave);
        b->setObjectName(QStringLiteral("UtilKit_") + clave);
        b->setText(QString::fromUtf8(d.texto));
        b->setIcon(style()->standardIcon(d.icono));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);  // the toolbar never takes the focus from the fields
        const QString atajo = NombreTecla(d.tecla);
        b->setToolTip(atajo.isEmpty() ? b->text().remove(QLatin1Char('&'))
                                      : b->text().remove(QLatin1Char('&')) + QStringLiteral(" (") + atajo + QLatin1Char(')'));
        b->setMinimumWidth(64);
        connect(b, &QToolButton::clicked, this, [this, clave] { emit Click(clave); });
        botones_.insert(clave, b);
        // The button's key works wherever the focus is in the toolbar's window, and only while the
        // button is enabled.
        if (const QKeySequence secuencia = Secuencia(d.tecla); !secuencia.isEmpty()) {
            auto* accion = new QAction(b->text().remove(QLatin1Char('&')), this);
            accion->setShortcut(secuencia);
            accion->setShortcutContext(Qt::WindowShortcut);
            connect(accion, &QAction::triggered, this, [this, clave] { emit Click(clave); });
            addAction(accion);
            acciones_.insert(clave, accion);
        }
        banderas_.insert(d.bandera, true);
        fila->addWidget(b);
    }
    fila->addStretch(1);
}

QStringList UtilKit::Claves() {
    QStringList r;
    for (const auto& d : kBotones) r << QString::fromLatin1(d.clave);
    return r;
}

QString UtilKit::Atajo(const QString& clave) {
    for (const auto& d : kBotones)
        if (clave == QLatin1String(d.clave)) return NombreTecla(d.tecla);
    return QString();
}

void UtilKit::SetHabilitado(int bandera, bool valor) {
    banderas_[bandera] = valor;
    for (const auto& d : kBotones)
        if (d.bandera == bandera) {
            const QString clave = QString::fromLatin1(d.clave);
            botones_.value(clave)->setEnabled(valor);
            if (QAction* a = acciones_.value(clave)) a->setEnabled(valor);
        }
}

bool UtilKit::Habilitado(int bandera) const {
    return banderas_.value(bandera, false);
}

void UtilKit::Pulsar(const QString& clave) {
    QToolButton* b = botones_.value(clave.toUpper());
    if (b && b->isEnabled()) emit Click(clave.toUpper());
}

bool UtilKit::Tecla(int codigoTecla, int shift) {
    if (shift != 0) return false;
    for (const auto& d : kBotones) {
        if (d.tecla != 0 && d.tecla == codigoTecla) {
            const QString clave = QString::fromLatin1(d.clave);
            QToolButton* b = botones_.value(clave);
            if (!b || !b->isEnabled()) return false;
            emit Click(clave);
            return true;
        }
    }
    return false;
}

void UtilKit::SetStyleBar(double v) {
    estilo_ = v;
    for (QToolButton* b : std::as_const(botones_)) b->setAutoRaise(v != 0);
}
