#pragma once

#include <QString>

// The trail of what happened at the workstations: one row per action on a document (also failed
// logins) and one row per failed database script. Both ignore their own errors: an audit row that
// cannot be written never stops the operation that wanted it.
void GrabaAccionComprobante(const QString& TC, const QString& IdComprobante, QString& IdComplemento, bool Alta, bool Modificacion,
                            bool NoUsado, const QString& Texto, const QString& Cuenta, bool EsError);
void GrabaErrorProceso(const QString& Sql, QString& Proceso, long ErrorNativo, const QString& Descripcion);
