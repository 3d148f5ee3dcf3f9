#include "services/FuncionesFormulario.h"

#include "services/Conversiones.h"
#include "services/FuncionesComunes.h"
#include "services/TeclasVB.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>

FuncionesFormulario& FuncionesFormulario::instancia() {
    static FuncionesFormulario f;
    return f;
}

QString FuncionesFormulario::DataField(const QObject* control) {
    return control ? control->property("DataField").toString() : QString();
}

QString FuncionesFormulario::Tag(const QObject* control) {
    return control ? control->property("Tag").toString() : QString();
}

void FuncionesFormulario::LlenarCampos(const QList<QLineEdit*>& campos, const FuenteCampos& fila) const {
    for (QLineEdit* c : campos) {
        if (!c) continue;
        const QString columna = DataField(c).trimmed();
        if (columna.isEmpty() || !fila.TieneCampo(columna)) continue;
        c->setText(FuncionesComunes::instancia().TextoCampo(fila.ValorCampo(columna)).trimmed());
    }
}

void FuncionesFormulario::PrepararCampos(const QList<QLineEdit*>& campos, const QString&, const QString&,
                                         const FuenteCampos* estructura) const {
    for (QLineEdit* c : campos) {
        if (!c) continue;
        c->setProperty("Tabla", QVariant());
        if (!estructura) continue;
        const QString columna = DataField(c).trimmed();
        if (columna.isEmpty() || !estructura->TieneCampo(columna)) continue;
        const int tam = estructura->TamanoCampo(columna);
        if (tam > 0 && tam < c->maxLength()) c->setMaxLength(tam);
    }
}

void FuncionesFormulario::LimpiarCampos(QWidget* ventana, int modo) const {
    if (!ventana) return;
    const auto textos = ventana->findChildren<QLineEdit*>();
    for (QLineEdit* t : textos) {
        if (!DataField(t).isEmpty() || t->property("Limpiar").toBool()) {
            if (modo == 1 && t->property("EsClave").toBool()) continue;
            t->clear();
        }
    }
    const auto checks = ventana->findChildren<QCheckBox*>();
    for (QCheckBox* c : checks)
        if (!DataField(c).isEmpty()) c->setChecked(false);
}

void FuncionesFormulario::ColorearCampo(QWidget* campo, long fondo, long letra) const {
    if (!campo) return;
    const QPalette escritorio = QApplication::palette(campo);
    const bool blanco = (fondo & 0xFFFFFF) == 0xFFFFFF;
    const QColor base = blanco ? escritorio.color(QPalette::Active, QPalette::Base) : conv::ColorVB(fondo);
    QColor texto;
    if (letra >= 0 && !(blanco && (letra & 0xFFFFFF) == 0))
        texto = conv::ColorVB(letra);
    else if (blanco)
        texto = escritorio.color(QPalette::Active, QPalette::Text);
    else
        texto = base.lightnessF() > 0.5 ? QColor(Qt::black) : QColor(Qt::white);
    QPalette p = campo->palette();
    for (const auto grupo : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(grupo, QPalette::Base, base);
        p.setColor(grupo, QPalette::Text, texto);
    }
    for (const auto rol : {QPalette::Base, QPalette::Text})
        p.setColor(QPalette::Disabled, rol, escritorio.color(QPalette::Disabled, rol));
    campo->setPalette(p);
}

bool FuncionesFormulario::EsTeclaAvance(int codigoTecla) const {
    return codigoTecla == teclas::Enter || codigoTecla == teclas::Tab;
}

void FuncionesFormulario::AvanzarFoco(int) const {
    QWidget* actual = QApplication::focusWidget();
    if (!actual) return;
    QWidget* const ventana = actual->window();
    // Compound controls (spin boxes, editable combo boxes) hold inner widgets that hand the focus
    // back to their owner through a focus proxy; those are skipped, or the focus would never leave
    // the compound control. The rules are those of Qt's own Tab handling.
    for (QWidget* w = actual->nextInFocusChain(); w && w != actual; w = w->nextInFocusChain()) {
        QWidget* destino = w;
        while (destino->focusProxy()) destino = destino->focusProxy();
        if (destino == actual || (destino != w && destino->isAncestorOf(w))) continue;
        if (w->window() != ventana || !w->isVisibleTo(ventana) || !w->isEnabled() || !destino->isEnabled()) continue;
        if (!(destino->focusPolicy() & Qt::TabFocus)) continue;
        w->setFocus(Qt::TabFocusReason);
        return;
    }
}

bool FuncionesFormulario::FiltrarTecla(QLineEdit*, QChar& caracter) const {
    if (caracter.unicode() == teclas::Escape) return true;
    // Single quotes are removed from every value before it is written; refusing them while typing
    // shows the operator what will be stored instead of losing the character silently later.
    if (caracter == QLatin1Char('\'')) return false;
    return true;
}

namespace {
// Controls without a column (labels of the array, spare boxes) never match, not even an empty name.
template <class Control>
int Indice(const QString& columna, const QList<Control*>& campos) {
    const QString buscada = columna.trimmed();
    if (buscada.isEmpty()) return -1;
    for (int i = 0; i < campos.size(); ++i)
        if (FuncionesFormulario::DataField(campos[i]).trimmed().compare(buscada, Qt::CaseInsensitive) == 0) return i;
    return -1;
}
}  // namespace

int FuncionesFormulario::IndiceCampo(const QString& columna, const QList<QLineEdit*>& campos) const {
    return Indice(columna, campos);
}

int FuncionesFormulario::IndiceCampo(const QString& columna, const QList<QCheckBox*>& campos) const {
    return Indice(columna, campos);
}
