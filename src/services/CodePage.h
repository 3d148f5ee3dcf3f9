#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The suite's files (consultas.tvx, BASES.TXT, QM210ax.INI) were written on Windows in its
// single-byte Western code page, Windows-1252. These convert exactly, one byte per character.
namespace cp1252 {
QString Decodificar(const QByteArray& bytes);
// Characters the code page cannot hold become '?'.
QByteArray Codificar(const QString& texto);
// A text file of the suite: UTF-8 when it is valid UTF-8, otherwise Windows-1252.
QString DecodificarTexto(const QByteArray& bytes);
// A line to add to such a file: in the code page when it holds the text exactly (so the suite's
// older programs read it), otherwise in UTF-8, which the readers recognise line by line.
QByteArray CodificarLinea(const QString& linea);
// The lines of such a file as they are, without their line ends (CR LF, CR or LF); blank lines
// are kept.
QList<QByteArray> LineasCrudas(const QByteArray& bytes);
}  // namespace cp1252
