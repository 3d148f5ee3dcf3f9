#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The program writes SQL Server text; SQLite speaks a close but different dialect. This translator
// turns one text of the program (a single statement or a script) into the statements SQLite runs,
// keeping what the caller sees unchanged. It is pure text work, so the SQLite back end and an ODBC
// source whose driver is SQLite use it alike.
namespace driver::dialecto {

struct Sentencia {
    enum class Tipo {
        Sql,        // texto is a SQLite statement
        Comenzar,   // BEGIN TRAN[SACTION] [name]
        Confirmar,  // COMMIT [TRAN[SACTION]|WORK] [name]
        Deshacer,   // ROLLBACK [TRAN[SACTION]|WORK] [name]
        Usar,       // USE name: texto holds the database name
        Omitir      // session settings (SET ...), GO, PRINT: nothing to run
    };
    Tipo tipo = Tipo::Sql;
    QString texto;     // the translated statement (Sql) or the database name (Usar)
    QString original;  // the statement as the program wrote it
};

// Splits a script into statements and translates each one.
//
// Statements end at a ";" and at a line break (CR, LF or CR LF) followed by a line that starts a new
// statement (SELECT, INSERT, UPDATE, DELETE, CREATE, DROP, ALTER, BEGIN, COMMIT, ROLLBACK, SET, ...),
// unless the text so far cannot end there: inside parentheses, after an operator, a comma or a word
// such as AND / UNION / AS, an INSERT still waiting for its VALUES or SELECT, an UPDATE waiting for
// its SET, or the body of a CREATE TRIGGER. Quotes, brackets and comments are respected.
//
// Translation: table hints WITH (NOLOCK ...) and (NOLOCK) are dropped; SELECT TOP n / TOP (n) becomes
// a LIMIT at the end of that SELECT (also in subqueries), TOP 100 PERCENT disappears; [name] becomes
// "name"; N'text' becomes 'text'; dbo. owners (and db.dbo. / db..) are dropped; LEN(x) becomes
// length(rtrim(x)); ISNULL( ifnull(; SUBSTRING( substr(; CHARINDEX(a,b) instr(upper(b),upper(a)); LEFT / RIGHT and
// CONVERT(type, x) their SQLite forms; getDate() and CURRENT_TIMESTAMP the local date and time;
// TRUNCATE TABLE a DELETE; ALTER TABLE t ADD a ..., b ... one ALTER per column. Text functions
// (LTRIM, RTRIM, SUBSTRING, UPPER, REPLACE, ISNULL ...) get COLLATE NOCASE, so that comparing their
// result is as case-insensitive as comparing the column itself, like on SQL Server.
//
// Trimmed codes: LTRIM(RTRIM(c)) and RTRIM(LTRIM(c)) of a column become trim(c) COLLATE NOCASE, the
// expression the embedded schema indexes, and SUBSTRING(<that>,1,n) = 'text' as a condition of its
// own is preceded by the range of trimmed codes it can hold; so the layout's lookups of a parent
// and of the codes under one read the rows they find, with the same result.
QList<Sentencia> Traducir(const QString& guion);

// The translation of one statement (no splitting); the text of a single Sql statement.
QString TraducirSentencia(const QString& sentencia);

// Both translations refuse a text they cannot translate safely (parentheses nested deeper than
// SQLite accepts) with this, before anything of it runs.
struct TextoRechazado {
    QString motivo;
};
constexpr int kProfundidadMaxima = 1000;

// Where the words (for example {"ORDER", "BY"}) first stand in the text as SQL words, separated by
// blanks only: never inside a quoted text, a quoted or bracketed name, or a comment. -1 when they
// do not.
int BuscarPalabras(const QString& texto, const QStringList& palabras);
// How many statements the text holds, split as Traducir splits it; session settings (SET ...), GO
// and PRINT are not counted.
int ContarSentencias(const QString& texto);

}  // namespace driver::dialecto
