#pragma once

#include <QString>

class QComboBox;

// The warehouse selector every window of the layout programs shows: one entry per row of
// V_TA_DEPOSITO in the order of their descriptions, each the description, 100 blanks and the code,
// so that the code is always the last 4 characters of the entry's text. No entry is selected
// afterwards; the selector's signals are blocked while it is filled.
void CargarDepositos(QComboBox* selector);
// The code of the selected warehouse: the last 4 characters of the selector's text.
QString DepositoElegido(const QComboBox* selector);
// The description of the selected warehouse, without the blanks and the code.
QString DescripcionDeposito(const QComboBox* selector);
