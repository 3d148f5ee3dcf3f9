#pragma once

#include <QString>

class QComboBox;
class QWidget;

// A new, empty selector: its entries carry the code after 100 blanks, so it is sized by the
// descriptions (`caracteres` of them), never by its entries.
QComboBox* NuevoSelectorDeposito(QWidget* padre, int caracteres);

// The warehouse selector every window of the layout programs shows: one entry per row of
// V_TA_DEPOSITO in the order of their descriptions, each the description, 100 blanks and the code,
// so that the code is always the last 4 characters of the entry's text. No entry is selected
// afterwards; the selector's signals are blocked while it is filled.
void CargarDepositos(QComboBox* selector);
// The code of the selected warehouse: the last 4 characters of the selector's text.
QString DepositoElegido(const QComboBox* selector);
// The description of the selected warehouse, without the blanks and the code.
QString DescripcionDeposito(const QComboBox* selector);
