#include "diagrama/DialogoSalida.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace diagrama {

DialogoSalida::DialogoSalida(const QRectF& todo, const QRectF& visible, std::vector<double> cortes, QWidget* padre)
    : QDialog(padre), todo_(todo), visible_(visible), cortes_(std::move(cortes)) {
    setObjectName(QStringLiteral("DialogoSalida"));
    setWindowTitle(QStringLiteral("Imprimir o exportar el diagrama"));

    auto* que = new QGroupBox(QStringLiteral("Qué"), this);
    OptTodo = new QRadioButton(QStringLiteral("&Todo el depósito"), que);
    OptVisible = new QRadioButton(QStringLiteral("Parte &visible"), que);
    OptTodo->setChecked(true);
    auto* lq = new QVBoxLayout(que);
    lq->addWidget(OptTodo);
    lq->addWidget(OptVisible);

    auto* hojas = new QGroupBox(QStringLiteral("Hojas"), this);
    OptUnaHoja = new QRadioButton(QStringLiteral("&Una hoja"), hojas);
    OptVariasHojas = new QRadioButton(QStringLiteral("Va&rias hojas, de tamaño legible"), hojas);
    OptUnaHoja->setChecked(true);
    auto* lh = new QVBoxLayout(hojas);
    lh->addWidget(OptUnaHoja);
    lh->addWidget(OptVariasHojas);

    CboPapel = new QComboBox(this);
    CboPapel->setObjectName(QStringLiteral("CboPapel"));
    CboPapel->addItem(NombrePapel(Papel::A4));
    CboPapel->addItem(NombrePapel(Papel::A3));
    CboDestino = new QComboBox(this);
    CboDestino->setObjectName(QStringLiteral("CboDestino"));
    CboDestino->addItems(
        {QStringLiteral("Impresora"), QStringLiteral("Archivo PDF"), QStringLiteral("Imagen PNG"), QStringLiteral("Dibujo SVG")});
    auto* lblPapel = new QLabel(QStringLiteral("&Papel"), this);
    lblPapel->setBuddy(CboPapel);
    auto* lblDestino = new QLabel(QStringLiteral("&Destino"), this);
    lblDestino->setBuddy(CboDestino);
    auto* forma = new QFormLayout;
    forma->addRow(lblDestino, CboDestino);
    forma->addRow(lblPapel, CboPapel);

    LblHojas = new QLabel(this);
    LblHojas->setObjectName(QStringLiteral("LblHojas"));
    LblHojas->setWordWrap(true);

    auto* botones = new QDialogButtonBox(this);
    auto* aceptar = botones->addButton(QStringLiteral("&Aceptar"), QDialogButtonBox::AcceptRole);
    botones->addButton(QStringLiteral("&Cancelar"), QDialogButtonBox::RejectRole);
    aceptar->setDefault(true);
    connect(botones, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(botones, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* raiz = new QVBoxLayout(this);
    raiz->addLayout(forma);
    raiz->addWidget(que);
    raiz->addWidget(hojas);
    raiz->addWidget(LblHojas);
    raiz->addWidget(botones);

    for (QRadioButton* b : {OptTodo, OptVisible, OptUnaHoja, OptVariasHojas})
        connect(b, &QRadioButton::toggled, this, [this] { Contar(); });
    connect(CboPapel, &QComboBox::currentIndexChanged, this, [this] { Contar(); });
    connect(CboDestino, &QComboBox::currentIndexChanged, this, [this] { Contar(); });
    setTabOrder(CboDestino, CboPapel);
    setTabOrder(CboPapel, OptTodo);
    setTabOrder(OptTodo, OptUnaHoja);
    CboDestino->setFocus();
    Contar();
}

DialogoSalida::Opciones DialogoSalida::Elegidas() const {
    Opciones o;
    o.todo = !OptVisible->isChecked();
    o.varias = OptVariasHojas->isChecked();
    o.papel = CboPapel->currentIndex() == 1 ? Papel::A3 : Papel::A4;
    o.destino = static_cast<Destino>(std::max(0, CboDestino->currentIndex()));
    return o;
}

void DialogoSalida::Contar() {
    const Opciones o = Elegidas();
    // Pictures have no sheets.
    const bool paginas = o.destino == Destino::Impresora || o.destino == Destino::Pdf;
    OptUnaHoja->setEnabled(paginas);
    OptVariasHojas->setEnabled(paginas);
    CboPapel->setEnabled(paginas);
    if (!paginas) {
        LblHojas->setText(QStringLiteral("Una imagen de la zona elegida, con la leyenda al pie."));
        return;
    }
    const PlanHojas plan = PlanificarHojas(o.todo ? todo_ : visible_, o.papel, o.varias, cortes_);
    LblHojas->setText(plan.Demasiadas()
                          ? QStringLiteral("Serían %1 hojas, más de las %2 que se imprimen de una vez: elija una hoja o la "
                                           "parte visible.")
                                .arg(plan.Cantidad())
                                .arg(PlanHojas::kMaximoHojas)
                      : plan.Cantidad() == 1 ? QStringLiteral("Una hoja %1.").arg(NombrePapel(o.papel))
                                             : QStringLiteral("%1 hojas %2 (%3 filas de %4).")
                                                   .arg(plan.Cantidad())
                                                   .arg(NombrePapel(o.papel))
                                                   .arg(plan.filas)
                                                   .arg(plan.columnas));
}

}  // namespace diagrama
