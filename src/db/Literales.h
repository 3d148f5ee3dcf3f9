#pragma once

#include <QString>
#include <QVariant>

// The small text functions the statement builders use: classifiers of the ADO data type of a
// column, the SQL literal of a value, and the pieces of object and file names. None touches the
// database or raises an error: an internal failure gives false or an empty text.
namespace literales {

// The type code is given as a number or as its decimal text ("135" is 135); anything else matches
// no type.
bool adodate(const QVariant& Qtype);        // 7, 64, 133, 134, 135, 137
QString ADOComilla(const QVariant& Qtype);  // "'" for dates and texts, "" otherwise
bool ADOText(const QVariant& Qtype);        // 8, 129, 130, 200-203
bool ADONumeric(const QVariant& Qtype);     // the integer, floating and decimal types; not currency
bool ADOCurrency(const QVariant& Qtype);    // 6
bool ADOBoolean(const QVariant& Qtype);     // 11

// The SQL literal of a value. Kind "@" is a number (NULL is 0, the value read with the suite's
// number rule and written with a decimal point), "'" a quoted text, anything else the value as it
// is. NULL gives NULL without quotes. Quotes inside the value are not doubled.
QString SQLValue(const QVariant& Valor, const QString& Tipo);
QString SQLValue2(const QVariant& Valor, const QString& Tipo);

// One part of a dotted name: no dot, the name; one dot, the part after it (rnPart) or before it;
// more dots, the name without its first part, which also replaces rsName.
QString stSTF(QString& rsName, bool rnPart);
// The name in brackets when it holds a blank and has none yet.
QString AddBrackets(const QString& rObjName);
// The table name without its "->" connection suffix; the character before the marker goes too.
QString StripConnect(const QString& rsTblName);
// The name without its brackets (first and last character) when it starts with "[".
QString StripBrackets(const QString& rsObjName);
// The name after the first "." (the owner removed); rsTblName is replaced by it as well.
QString StripOwner(QString& rsTblName);
// The folder of a Windows file path: the text before its last backslash, "" without one.
QString StripFileName(const QString& rsFileName);

// The number text of a value as the lookups write it: the leading decimal number (blanks
// skipped, a point as decimal separator, 0 when there is none) in its shortest decimal form, no
// leading blank: "12,5" -> "12", "1.50" -> "1.5", "abc" -> "0".
QString TextoNumero(const QString& v);

}  // namespace literales
