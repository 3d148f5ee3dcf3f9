#pragma once

#include "services/ErrorEjecucion.h"

#include <QString>

// The Oracle dialect of the program's SQL. The program writes every statement in the SQL Server
// dialect; when the shared connection is an Oracle one, each statement is rewritten just before it
// is sent. The rewriting is purely textual (a fixed sequence of search-and-replace steps), so it is
// kept here as plain functions of text that the database object wraps.
namespace dialecto {

// True when texto contains buscar, ignoring letter case (the way every search of the database
// layer compares SQL text).
bool ContieneTexto(const QString& texto, const QString& buscar);

// Every occurrence of buscar, ignoring letter case, replaced by reemplazo written as given; left to
// right, replaced text is not scanned again.
QString ReemplazarTodo(const QString& texto, const QString& buscar, const QString& reemplazo);

// Every occurrence of buscar removed, ignoring letter case.
QString QuitarTodo(const QString& texto, const QString& buscar);

// The text of a date literal when the quoted content is one: day/month/year as the rest of the
// program writes dates. Accepted forms: d/m/yy, d/m/yyyy (one or two digits for day and month),
// d-m-yyyy and yyyy-m-d (ISO order). Two-digit years 00-29 are 2000-2029, 30-99 are 1930-1999.
// Blanks, times and impossible days (31/02/2024) make the content not a date. Returns the date
// as "dd/mm/yyyy", or an empty text when the content is not a date.
QString FechaLiteral(const QString& contenido);

// The statement translated to the Oracle dialect when cadenaConexion (the connection string of the
// database object) names Oracle, otherwise the statement unchanged. Two failures are not handled
// here and reach the caller as ErrorEjecucion number 5: a TOP whose row count is the last word of
// the text (nothing after the number) and an odd number of single quotes.
QString ORACLE_Dicc(const QString& valor, const QString& cadenaConexion);

}  // namespace dialecto
