#pragma once

#include "diagrama/LayoutDeposito.h"

#include <QString>
#include <functional>

namespace diagrama {

// How many positions the warehouse has and the checksum of their drawn values (see Firma): one
// query the database answers from its rows without sending them. Unknown after a failed query.
Firma FirmaDeposito(const QString& deposito);

// Reads every position of the warehouse into the layout, in one query, with the level values of
// the configuration as they are now (ActualizarNivelesLayout). avance is asked every few thousand
// rows with (rows done, total) and answers false to stop: the answer is then false. Errors go to
// the common error dialog ("LeerDeposito"); after abort the answer is false too. After false the
// layout holds part of the rows at most and must not be shown.
bool LeerDeposito(const QString& deposito, LayoutDeposito& layout,
                  const std::function<bool(qint64 hechas, qint64 total)>& avance = {});

// The statement both use: the rows of one warehouse in code order, the flags packed in one column.
QString SentenciaPosiciones(const QString& deposito);

}  // namespace diagrama
