#include "diagrama/DetallePosicion.h"

#include "db/DB_Dll.h"
#include "diagrama/LayoutDeposito.h"
#include "layout/PosicionesLayout.h"
#include "services/FuncionesComunes.h"
#include "services/FuncionesFormulario.h"
#include "services/Pasos.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace diagrama {

namespace {

struct Campo {
    const char* etiqueta;
    const char* columna;
    const char* tabla;  // the lookup table of a related code, as the editor's field carries it
};
// The editor's fields, in its tab order.
const Campo kCampos[] = {
    {"Código", "IdPosicion", ""},
    {"Descripción", "Descripcion", ""},
    {"Capacidad", "CAPACIDAD", ""},
    {"Unidad Stock", "IDUNIDAD", "V_ta_unidad"},
    {"Orden Ingreso", "OrdenIngreso", ""},
    {"Rubro", "IdRubro", "V_ta_rubros"},
    {"Marca", "IdTipo", "V_ta_tipoarticulo"},
    {"Familia", "Idfamilia", "V_ta_familias"},
    {"Articulo", "IdArticulo", "V_ma_articulos"},
};
const char* const kMarcas[][2] = {{"Habilitado", "HABILITADO"},
                                  {"Reservado", "RESERVADO"},
                                  {"Completa", "COMPLETA"},
                                  {"Picking", "Picking"},
                                  {"Titulo", "Titulo"}};

}  // namespace

DetallePosicion::DetallePosicion(QWidget* padre) : QGroupBox(QStringLiteral("Posición elegida"), padre) {
    setObjectName(QStringLiteral("DetallePosicion"));
    auto* g = new QGridLayout(this);
    g->setColumnStretch(2, 1);
    LblUbicacion = new QLabel(this);
    LblUbicacion->setObjectName(QStringLiteral("LblUbicacion"));
    LblUbicacion->setWordWrap(true);
    LblUbicacion->setTextFormat(Qt::PlainText);
    LblUbicacion->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    g->addWidget(LblUbicacion, 0, 0, 1, 3);
    LblNota = new QLabel(this);
    LblNota->setObjectName(QStringLiteral("LblNota"));
    LblNota->setWordWrap(true);
    LblNota->setTextFormat(Qt::PlainText);
    LblNota->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    g->addWidget(LblNota, 1, 0, 1, 3);
    int fila = 2;
    for (int i = 0; i < static_cast<int>(std::size(kCampos)); ++i) {
        const Campo& c = kCampos[i];
        auto* t = new QLineEdit(this);
        t->setObjectName(QStringLiteral("txtfields_%1").arg(i));
        t->setProperty("DataField", QString::fromLatin1(c.columna));
        t->setProperty("Tag", QString::fromLatin1(c.tabla));
        t->setReadOnly(true);
        auto* l = new QLabel(QString::fromUtf8(c.etiqueta), this);
        l->setBuddy(t);
        g->addWidget(l, fila, 0);
        const bool conDescripcion = *c.tabla != '\0';
        g->addWidget(t, fila, 1, 1, conDescripcion ? 1 : 2);
        if (conDescripcion) {
            auto* d = new QLabel(QStringLiteral("..."), this);
            d->setObjectName(QStringLiteral("LblDesc_%1").arg(LblDesc.size()));
            d->setProperty("DataField", QString::fromLatin1(c.columna));
            d->setProperty("Tag", QStringLiteral("Descripcion"));
            d->setTextFormat(Qt::PlainText);
            d->setMinimumWidth(120);
            // A long description is cut, not a reason for the panel to grow.
            d->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            d->setFrameShape(QFrame::StyledPanel);
            d->setFrameShadow(QFrame::Sunken);
            d->setTextInteractionFlags(Qt::TextSelectableByMouse);
            g->addWidget(d, fila, 2);
            LblDesc << d;
        }
        txtfields << t;
        ++fila;
    }
    auto* marcas = new QGridLayout;
    for (int i = 0; i < 5; ++i) {
        auto* c = new QCheckBox(QString::fromLatin1(kMarcas[i][0]), this);
        c->setObjectName(QStringLiteral("ChkFields_%1").arg(i));
        c->setProperty("DataField", QString::fromLatin1(kMarcas[i][1]));
        // Shown, never changed here: the editor is where positions change.
        c->setEnabled(false);
        marcas->addWidget(c, i / 3, i % 3);
        ChkFields << c;
    }
    g->addLayout(marcas, fila++, 0, 1, 3);
    g->setRowStretch(fila, 1);
    for (int i = 1; i < txtfields.size(); ++i) setTabOrder(txtfields[i - 1], txtfields[i]);
    Limpiar();
}

void DetallePosicion::Limpiar() {
    for (QLineEdit* t : std::as_const(txtfields)) t->clear();
    for (QCheckBox* c : std::as_const(ChkFields)) c->setChecked(false);
    for (QLabel* l : std::as_const(LblDesc)) l->setText(QStringLiteral("..."));
    ChkFields[0]->setText(QStringLiteral("Habilitado"));
    LblUbicacion->setText(QStringLiteral("Ninguna posición elegida: haga clic en el diagrama o busque un código."));
    LblNota->clear();
    LblNota->hide();
}

void DetallePosicion::Mostrar(const LayoutDeposito& layout, int nodo, const QString& deposito) {
    const quint64 esta = ++lectura_;
    Limpiar();
    if (nodo < 0 || nodo >= layout.Cantidad()) return;

    // Where it sits: each level above it, by its configured title.
    QStringList camino;
    for (int n = nodo; n >= 0; n = layout.Padre(n)) {
        if (!layout.EsPosicion(n)) continue;
        camino.prepend(layout.TituloNivel(layout.Nivel(n)) + QLatin1Char(' ') + layout.Codigo(n).toString());
        if (layout.Nivel(n) == 0) camino.first() = layout.Codigo(n).toString();
    }
    QString nota;
    const auto& niveles = layout.Niveles();
    const QString longitudes = QStringLiteral("%1, %2, %3, %4")
                                   .arg(niveles.LongitudNivel[1])
                                   .arg(niveles.LongitudNivel[2])
                                   .arg(niveles.LongitudNivel[3])
                                   .arg(niveles.LongitudNivel[4]);
    switch (layout.ClaseNodo(nodo)) {
        case Clase::Banda:
            LblUbicacion->setText(layout.Descripcion(nodo).toString());
            nota = QStringLiteral("%1 posición(es) que no tienen lugar en la estructura de niveles.").arg(layout.CantidadFuera());
            break;
        case Clase::Ausente:
            if (layout.Codigo(nodo).isEmpty()) {
                LblUbicacion->setText(layout.Descripcion(nodo).toString());
                nota = QStringLiteral("Sus códigos no tienen el largo de ningún nivel configurado (%1).").arg(longitudes);
            } else {
                LblUbicacion->setText(layout.Codigo(nodo).toString());
                nota = QStringLiteral("La posición %1 no existe: agrupa las que la tienen como nivel superior.")
                           .arg(layout.Codigo(nodo).toString());
            }
            break;
        case Clase::SinNivelSuperior: {
            const QString prefijo = layout.PrefijoExistente(nodo);
            nota = QStringLiteral("Sin nivel superior: no existe la posición %1. El árbol del editor la muestra bajo %2.")
                       .arg(layout.PadreFaltante(nodo), prefijo.isEmpty() ? QStringLiteral("la raíz") : prefijo);
            break;
        }
        case Clase::Irregular:
            nota = layout.Buscar(layout.Codigo(nodo)) != nodo
                       ? QStringLiteral("El código repite el de otra posición.")
                       : QStringLiteral("El código no tiene el largo de ningún nivel configurado (%1).").arg(longitudes);
            break;
        case Clase::Normal:
            break;
    }
    if (layout.EsPosicion(nodo)) LblUbicacion->setText(camino.join(QStringLiteral(" › ")));
    if (!layout.EsPosicion(nodo)) {
        LblNota->setText(QStringLiteral("⚠ ") + nota);
        LblNota->setVisible(!nota.isEmpty());
        return;
    }

    // The row as stored now, as the editor loads it.
    const QString codigo = layout.Codigo(nodo).toString();
    driver::Recordset rs;
    bool hayFila = false;
    pasos::Pasos(
        QStringLiteral("DetallePosicion"),
        [](const ErrorEjecucion& e, const QString& r) { return FuncionesComunes::instancia().ErrorRutina(e, r); },
        [&] { PosicionesLayout(deposito).AbrirPosicion(codigo, rs); },
        [&]() -> bool {
            hayFila = rs.State() != driver::adStateClosed && !(rs.BOF() && rs.EOF_());
            return hayFila && esta == lectura_;
        },
        [&] { FuncionesFormulario::instancia().LlenarCampos(txtfields, rs); },
        [&] {
            for (QCheckBox* c : std::as_const(ChkFields)) {
                const QVariant v = rs.ValorCampo(FuncionesFormulario::DataField(c));
                c->setChecked(!v.isNull() && v.toBool());
            }
            ChkFields[0]->setText(ChkFields[0]->isChecked() ? QStringLiteral("Habilitado") : QStringLiteral("Bloqueado"));
        },
        [&] { VerRelacion(); });
    if (rs.State() != driver::adStateClosed) gBaseDatos().CierraRecordset(rs);
    if (esta != lectura_) return;  // another position was picked meanwhile: it is shown
    if (!hayFila) {
        txtfields[0]->setText(codigo);
        txtfields[1]->setText(layout.Descripcion(nodo).toString());
        nota += (nota.isEmpty() ? QString() : QStringLiteral(" ")) +
                QStringLiteral("La posición ya no está en la base de datos: F5 vuelve a leer el depósito.");
    }
    LblNota->setText(nota.isEmpty() ? QString() : QStringLiteral("⚠ ") + nota);
    LblNota->setVisible(!nota.isEmpty());
    for (QLineEdit* t : std::as_const(txtfields)) t->setCursorPosition(0);
}

void DetallePosicion::VerRelacion() {
    for (QLabel* etiqueta : std::as_const(LblDesc)) {
        const QString columna = FuncionesFormulario::DataField(etiqueta);
        const int i = FuncionesFormulario::instancia().IndiceCampo(columna, txtfields);
        if (i < 0) continue;
        const QString tabla = FuncionesFormulario::Tag(txtfields[i]);
        const QString codigo = txtfields[i]->text().trimmed();
        if (codigo.isEmpty()) continue;  // stays "..."
        const QString descripcion = PosicionesLayout::Descripcion(tabla, codigo, FuncionesFormulario::Tag(etiqueta), columna);
        etiqueta->setText(descripcion.isEmpty() ? QStringLiteral("Codigo Inexistente, Tabla ") + tabla : descripcion);
    }
}

}  // namespace diagrama
