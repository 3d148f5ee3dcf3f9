#pragma once

#include <QMap>
#include <QString>
#include <QWidget>

class QAction;
class QToolButton;

// The suite's command toolbar: keyed buttons, one click signal carrying the key, enable flags
// numbered 10 to 17, and the buttons' keys (F2, F10, Esc ...) as shortcuts of the toolbar's window,
// so they work wherever the focus is there; the key method runs a key a window hands it.
//   10 "NUEVO"  11 "GRABAR"  12 "CANCELAR"  14 "CONSULTAR"  15 "PLANILLA" and "REPORTE"
//   16 "BORRAR" 17 "CERRAR"
class UtilKit : public QWidget {
    Q_OBJECT
    Q_PROPERTY(double StyleBar READ StyleBar WRITE SetStyleBar)
public:
    explicit UtilKit(QWidget* padre = nullptr);

    void SetHabilitado(int bandera, bool valor);
    bool Habilitado(int bandera) const;
    // A key the window received (VB key code and shift state); true when it ran a command.
    bool Tecla(int codigoTecla, int shift);
    // Runs a command as a click on its button would (nothing when the button is disabled).
    void Pulsar(const QString& clave);
    QToolButton* Boton(const QString& clave) const { return botones_.value(clave); }
    // The keys of the buttons, in order.
    static QStringList Claves();
    // The shortcut shown for a key ("F2" ...).
    static QString Atajo(const QString& clave);

    double StyleBar() const { return estilo_; }
    void SetStyleBar(double v);

signals:
    void Click(const QString& clave);

private:
    QMap<QString, QToolButton*> botones_;
    QMap<QString, QAction*> acciones_;
    QMap<int, bool> banderas_;
    double estilo_ = 1;
};
