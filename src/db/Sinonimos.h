#pragma once

#include <QString>

// Confidential tables. For users who are not administrators the database offers restricted copies
// of some tables under "SS_" synonyms; statements are rewritten to name them. A table name written
// with the marker "@Admin_" in front asks for the real table; the marker never reaches the
// database.
namespace sinonimos {

// The statement with the confidential synonyms in place of the real tables, for a user who is not
// an administrator. Journal entries (MV_ASIENTOS) are rewritten only when the confidentiality flag
// of the configuration is set; the programs that must see every warehouse or every family are
// exempted from those synonyms. Only the names written after a blank or "(" and followed by a
// blank, or after a blank, "(" or "," and followed by "." are rewritten. Every "@Admin_" is
// removed in any case, administrators included.
QString SS_TSinonimos(const QString& sql, bool esAdmin, bool confidencialidad, const QString& programa);

// The text of a statement as EjecutaConsultaSQL sends it: markers removed; synonyms only for a
// script that drops and re-creates objects without deleting rows and without markers.
QString PrepararSentencia(const QString& texto, bool esAdmin, bool confidencialidad, const QString& programa);

}  // namespace sinonimos
