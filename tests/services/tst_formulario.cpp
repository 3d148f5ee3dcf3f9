#include "services/FuenteCampos.h"
#include "services/FuncionesComunes.h"
#include "services/FuncionesFormulario.h"
#include "services/TeclasVB.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWidget>
#include <QtTest>

namespace {

// A row read by column name, as a record set of the database layer offers it.
class FilaFalsa : public FuenteCampos {
public:
    FilaFalsa& Con(const QString& nombre, const QVariant& valor, int tamano = 0) {
        valores_.insert(nombre.toLower(), valor);
        tamanos_.insert(nombre.toLower(), tamano);
        return *this;
    }
    bool TieneCampo(const QString& nombre) const override { return valores_.contains(nombre.toLower()); }
    QVariant ValorCampo(const QString& nombre) const override { return valores_.value(nombre.toLower()); }
    int TamanoCampo(const QString& nombre) const override { return tamanos_.value(nombre.toLower()); }

private:
    QMap<QString, QVariant> valores_;
    QMap<QString, int> tamanos_;
};

template <class W>
W* Control(QWidget* padre, const QString& nombre, const QString& columna) {
    auto* w = new W(padre);
    w->setObjectName(nombre);
    if (!columna.isNull()) w->setProperty("DataField", columna);
    padre->layout()->addWidget(w);
    return w;
}

}  // namespace

// The form services as the position window uses them: its text-box array bound to the columns of
// MA_POSICIONES, its check boxes, its keyboard handling.
class TstFormulario : public QObject {
    Q_OBJECT

    FuncionesFormulario& ff = FuncionesFormulario::instancia();

private slots:
    void llenarCamposMuestraLaColumnaDeCadaCaja() {
        QWidget w;
        new QVBoxLayout(&w);
        auto* codigo = Control<QLineEdit>(&w, QStringLiteral("txtfields_0"), QStringLiteral("IdPosicion"));
        auto* descripcion = Control<QLineEdit>(&w, QStringLiteral("txtfields_1"), QStringLiteral(" DESCRIPCION "));
        auto* capacidad = Control<QLineEdit>(&w, QStringLiteral("txtfields_2"), QStringLiteral("Capacidad"));
        auto* nota = Control<QLineEdit>(&w, QStringLiteral("txtfields_3"), QStringLiteral("Nota"));
        auto* alta = Control<QLineEdit>(&w, QStringLiteral("txtfields_4"), QStringLiteral("FechaAlta"));
        auto* ausente = Control<QLineEdit>(&w, QStringLiteral("txtfields_5"), QStringLiteral("NoExiste"));
        auto* libre = Control<QLineEdit>(&w, QStringLiteral("txtBuscar"), QString());
        nota->setText(QStringLiteral("anterior"));
        ausente->setText(QStringLiteral("queda"));
        libre->setText(QStringLiteral("queda también"));

        FilaFalsa fila;
        fila.Con(QStringLiteral("idposicion"), QStringLiteral("01-02   "))
            .Con(QStringLiteral("Descripcion"), QStringLiteral("Pasillo central"))
            .Con(QStringLiteral("CAPACIDAD"), 12.5)
            .Con(QStringLiteral("Nota"), QVariant())
            .Con(QStringLiteral("FechaAlta"), QDate(2024, 3, 25));
        ff.LlenarCampos({codigo, descripcion, capacidad, nota, alta, ausente, libre, nullptr}, fila);

        QCOMPARE(codigo->text(), QStringLiteral("01-02"));
        QCOMPARE(descripcion->text(), QStringLiteral("Pasillo central"));
        QCOMPARE(FuncionesComunes::instancia().ValorNumerico(capacidad->text()), 12.5);
        QCOMPARE(nota->text(), QString());  // NULL empties the box
        QCOMPARE(alta->text(), QStringLiteral("25/03/2024"));
        QCOMPARE(ausente->text(), QStringLiteral("queda"));
        QCOMPARE(libre->text(), QStringLiteral("queda también"));
    }

    void limpiarCamposConYSinModo1() {
        QWidget w;
        new QVBoxLayout(&w);
        auto* codigo = Control<QLineEdit>(&w, QStringLiteral("txtfields_0"), QStringLiteral("IdPosicion"));
        codigo->setProperty("EsClave", true);
        auto* descripcion = Control<QLineEdit>(&w, QStringLiteral("txtfields_1"), QStringLiteral("Descripcion"));
        auto* titulo = Control<QCheckBox>(&w, QStringLiteral("chkfields_0"), QStringLiteral("Titulo"));
        auto* deposito = Control<QComboBox>(&w, QStringLiteral("cboDeposito"), QString());
        deposito->setEditable(true);
        auto* panel = new QWidget(&w);  // fields inside a frame of the window are fields too
        new QVBoxLayout(panel);
        w.layout()->addWidget(panel);
        auto* unidad = Control<QLineEdit>(panel, QStringLiteral("txtfields_2"), QStringLiteral("IdUnidad"));

        auto rellenar = [&] {
            codigo->setText(QStringLiteral("01-02"));
            descripcion->setText(QStringLiteral("Nivel 2"));
            unidad->setText(QStringLiteral("UN"));
            titulo->setChecked(true);
            deposito->setEditText(QStringLiteral("   1"));
        };

        rellenar();
        ff.LimpiarCampos(&w, 1);
        QCOMPARE(codigo->text(), QStringLiteral("01-02"));
        QCOMPARE(descripcion->text(), QString());
        QCOMPARE(unidad->text(), QString());
        QVERIFY(!titulo->isChecked());
        QCOMPARE(deposito->currentText(), QStringLiteral("   1"));  // the warehouse selector is no field

        rellenar();
        ff.LimpiarCampos(&w);
        QCOMPARE(codigo->text(), QString());
        QCOMPARE(descripcion->text(), QString());
        QCOMPARE(unidad->text(), QString());
        QVERIFY(!titulo->isChecked());
        QCOMPARE(deposito->currentText(), QStringLiteral("   1"));

        ff.LimpiarCampos(nullptr);  // nothing to do, and no crash
    }

    void indiceCampoSinDistinguirMayusculas() {
        QWidget w;
        new QVBoxLayout(&w);
        QList<QLineEdit*> textos{Control<QLineEdit>(&w, QStringLiteral("t0"), QStringLiteral("IdPosicion")),
                                 Control<QLineEdit>(&w, QStringLiteral("t1"), QString()),
                                 Control<QLineEdit>(&w, QStringLiteral("t2"), QStringLiteral("descripcion")),
                                 Control<QLineEdit>(&w, QStringLiteral("t3"), QStringLiteral("IdUnidad "))};
        QCOMPARE(ff.IndiceCampo(QStringLiteral("IDPOSICION"), textos), 0);
        QCOMPARE(ff.IndiceCampo(QStringLiteral("Descripcion"), textos), 2);
        QCOMPARE(ff.IndiceCampo(QStringLiteral("idunidad"), textos), 3);
        QCOMPARE(ff.IndiceCampo(QStringLiteral("Capacidad"), textos), -1);
        QCOMPARE(ff.IndiceCampo(QString(), textos), -1);  // the unbound box is not "the column without name"
        QCOMPARE(ff.IndiceCampo(QStringLiteral("IdPosicion"), QList<QLineEdit*>{}), -1);

        QList<QCheckBox*> checks{Control<QCheckBox>(&w, QStringLiteral("c0"), QStringLiteral("Reservada")),
                                 Control<QCheckBox>(&w, QStringLiteral("c1"), QStringLiteral("Titulo"))};
        QCOMPARE(ff.IndiceCampo(QStringLiteral("TITULO"), checks), 1);
        QCOMPARE(ff.IndiceCampo(QStringLiteral("Almacenable"), checks), -1);
    }

    void teclasDeAvance() {
        QVERIFY(ff.EsTeclaAvance(teclas::Enter));
        QVERIFY(ff.EsTeclaAvance(teclas::Tab));
        for (int k : {teclas::Escape, teclas::Abajo, teclas::Arriba, teclas::F1, int('A'), teclas::Espacio, 0})
            QVERIFY2(!ff.EsTeclaAvance(k), qPrintable(QString::number(k)));
    }

    void filtrarTeclaNoTocaEscapeNiLoQueSeEscribe() {
        QLineEdit campo;
        QChar escape(teclas::Escape);
        QVERIFY(ff.FiltrarTecla(&campo, escape));
        QCOMPARE(escape.unicode(), char16_t(teclas::Escape));
        for (const QChar c : QStringLiteral("aZ09-. ñÁ")) {
            QChar copia = c;
            QVERIFY2(ff.FiltrarTecla(&campo, copia), qPrintable(QString(c)));
            QCOMPARE(copia, c);
        }
    }

    void avanzarFocoSaltaLoInhabilitadoYOculto() {
        QWidget w;
        new QVBoxLayout(&w);
        auto* primero = Control<QLineEdit>(&w, QStringLiteral("t0"), QStringLiteral("IdPosicion"));
        Control<QLabel>(&w, QStringLiteral("lbl"), QString());
        auto* inhabilitado = Control<QLineEdit>(&w, QStringLiteral("t1"), QStringLiteral("Descripcion"));
        inhabilitado->setEnabled(false);
        auto* oculto = Control<QLineEdit>(&w, QStringLiteral("t2"), QStringLiteral("Capacidad"));
        oculto->hide();
        auto* tercero = Control<QLineEdit>(&w, QStringLiteral("t3"), QStringLiteral("IdUnidad"));
        auto* cantidad = Control<QSpinBox>(&w, QStringLiteral("spn"), QString());
        auto* deposito = Control<QComboBox>(&w, QStringLiteral("cbo"), QString());
        deposito->setEditable(true);
        auto* ultimo = Control<QLineEdit>(&w, QStringLiteral("t4"), QStringLiteral("Nota"));
        QWidget otraVentana;  // another window's fields are never reached
        auto* ajeno = new QLineEdit(&otraVentana);
        otraVentana.show();

        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        primero->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), primero);

        // The widget that ends up with the focus (a spin box gives it to its inner editor).
        auto dueno = [](QWidget* con) {
            for (QWidget* f = QApplication::focusWidget(); f; f = f->parentWidget())
                if (f == con) return true;
            return false;
        };
        ff.AvanzarFoco(teclas::Enter);
        QCOMPARE(QApplication::focusWidget(), tercero);
        ff.AvanzarFoco(teclas::Enter);
        QVERIFY(dueno(cantidad));
        ff.AvanzarFoco(teclas::Tab);
        QVERIFY2(dueno(deposito), qPrintable(QApplication::focusWidget()->objectName()));
        ff.AvanzarFoco(teclas::Enter);
        QCOMPARE(QApplication::focusWidget(), ultimo);
        ff.AvanzarFoco(teclas::Enter);  // after the last field, round to the first
        QCOMPARE(QApplication::focusWidget(), primero);
        QVERIFY(!ajeno->hasFocus());
    }

    void prepararCamposLimitaLoQueSeEscribe() {
        QWidget w;
        new QVBoxLayout(&w);
        auto* codigo = Control<QLineEdit>(&w, QStringLiteral("t0"), QStringLiteral("IdPosicion"));
        auto* descripcion = Control<QLineEdit>(&w, QStringLiteral("t1"), QStringLiteral("descripcion"));
        auto* corto = Control<QLineEdit>(&w, QStringLiteral("t2"), QStringLiteral("IdUnidad"));
        corto->setMaxLength(3);
        auto* numero = Control<QLineEdit>(&w, QStringLiteral("t3"), QStringLiteral("Capacidad"));
        auto* ausente = Control<QLineEdit>(&w, QStringLiteral("t4"), QStringLiteral("NoExiste"));
        const int sinLimite = QLineEdit().maxLength();

        FilaFalsa estructura;
        estructura.Con(QStringLiteral("IDPOSICION"), QVariant(), 20)
            .Con(QStringLiteral("Descripcion"), QVariant(), 50)
            .Con(QStringLiteral("IdUnidad"), QVariant(), 10)
            .Con(QStringLiteral("Capacidad"), QVariant(), 0);
        const QList<QLineEdit*> campos{codigo, descripcion, corto, numero, ausente};
        ff.PrepararCampos(campos, QStringLiteral("MA_POSICIONES"), QStringLiteral("cadena"), &estructura);
        QCOMPARE(codigo->maxLength(), 20);
        QCOMPARE(descripcion->maxLength(), 50);
        QCOMPARE(corto->maxLength(), 3);  // a smaller limit of the window stays
        QCOMPARE(numero->maxLength(), sinLimite);
        QCOMPARE(ausente->maxLength(), sinLimite);

        // What the limit means for the operator: typing stops at the column's size.
        codigo->setFocus();
        QTest::keyClicks(codigo, QString(30, QLatin1Char('9')));
        QCOMPARE(codigo->text().size(), 20);

        // Without the table's structure nothing is limited.
        QLineEdit suelto;
        suelto.setProperty("DataField", QStringLiteral("IdPosicion"));
        ff.PrepararCampos({&suelto}, QStringLiteral("MA_POSICIONES"), QStringLiteral("cadena"));
        QCOMPARE(suelto.maxLength(), sinLimite);
    }

    void restablecerDevuelveElPunteroNormal() {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
        FuncionesComunes::instancia().Restablecer();
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void prepararVentanaLaCentra() {
        QWidget w;
        auto* l = new QVBoxLayout(&w);
        for (int i = 0; i < 5; ++i) l->addWidget(new QLineEdit(&w));
        w.resize(10, 10);
        FuncionesComunes::instancia().PrepararVentana(&w);
        QVERIFY(w.width() >= w.sizeHint().width());
        QVERIFY(w.height() >= w.sizeHint().height());
        const QRect pantalla = (w.screen() ? w.screen() : QGuiApplication::primaryScreen())->availableGeometry();
        const QPoint centro = w.geometry().center();
        QVERIFY(qAbs(centro.x() - pantalla.center().x()) <= 1);
        QVERIFY(qAbs(centro.y() - pantalla.center().y()) <= 1);
    }
};

QTEST_MAIN(TstFormulario)
#include "tst_formulario.moc"
