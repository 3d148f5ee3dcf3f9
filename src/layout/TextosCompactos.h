#pragma once

#include <QAnyStringView>
#include <QStringView>
#include <vector>

// The texts of many rows kept in one UTF-16 buffer, without a string per row, and their codes
// hashed the way the database compares them. The layout tree and the layout diagram keep a
// warehouse's 100,000 positions so.
namespace textos {

// Appends a text to the buffer as UTF-16. UTF-8 straight from a record set is converted in place:
// all ASCII (codes almost always are) byte for character, anything else through a string.
void Anexar(std::vector<char16_t>& destino, QAnyStringView texto);

// A hash of a code that ignores letter case, as codes are compared.
quint32 HashCodigo(QStringView codigo);

}  // namespace textos
