#include "layout/SelectorDeposito.h"

#include "db/DB_Dll.h"
#include "services/FuncionesComunes.h"

#include <QComboBox>
#include <QSignalBlocker>

QComboBox* NuevoSelectorDeposito(QWidget* padre, int caracteres) {
    auto* selector = new QComboBox(padre);
    selector->setObjectName(QStringLiteral("CmbDeposito"));
    selector->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    selector->setMinimumContentsLength(caracteres);
    return selector;
}

void CargarDepositos(QComboBox* selector) {
    auto& fc = FuncionesComunes::instancia();
    driver::Recordset rs;
    gBaseDatos().AbrirRecordset(QStringLiteral("SELECT IDDEPOSITO, DESCRIPCION FROM V_TA_DEPOSITO order by descripcion"), rs,
                                driver::adOpenForwardOnly, driver::adLockReadOnly);
    const QSignalBlocker bloqueo(selector);
    selector->clear();
    if (rs.State() != driver::adStateClosed) {
        const QString blancos(100, QLatin1Char(' '));
        while (!rs.EOF_()) {
            selector->addItem(fc.TextoCampo(rs.Fields(QStringLiteral("Descripcion")).Value) + blancos +
                              fc.TextoCampo(rs.Fields(QStringLiteral("IdDeposito")).Value));
            rs.MoveNext();
        }
        gBaseDatos().CierraRecordset(rs);
    }
    selector->setCurrentIndex(-1);
}

QString DepositoElegido(const QComboBox* selector) {
    return selector->currentText().right(4);
}

QString DescripcionDeposito(const QComboBox* selector) {
    const QString texto = selector->currentText();
    return texto.left(std::max<qsizetype>(0, texto.size() - 4)).trimmed();
}
