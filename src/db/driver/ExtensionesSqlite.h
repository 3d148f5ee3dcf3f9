#pragma once

#include <QString>

struct sqlite3;

// What an SQLite connection needs to answer the program's SQL Server text the way SQL Server does:
//  - the collation NOCASE replaced by one that ignores letter case with Unicode case folding and
//    ignores trailing blanks ('ab' = 'AB  '), keeps accents apart ('e' <> 'é') but sorts accented
//    letters among their base letters, the rules of SQL Server's default collation; every text
//    column of the schema is declared COLLATE NOCASE, so =, <, ORDER BY, GROUP BY, MIN/MAX and
//    unique keys follow it;
//  - like() / LIKE case-insensitive for all of Unicode, with SQL Server's [abc], [a-z] and [^a]
//    classes besides % and _, and trailing blanks of the tested text ignored;
//  - upper() and lower() for all of Unicode;
//  - len(), charindex(a, b[, start]), substring() and getdate() for text that reaches SQLite without
//    translation.
// Any program that creates or changes an embedded database outside the client (a generator, a data
// loader) must call it on its connection too, or the indexes on text columns are built in another
// order than the one the client reads them with.
namespace driver::sqlite {

// Returns an SQLite result code (SQLITE_OK on success).
int RegistrarExtensiones(sqlite3* db);

// The comparison of the NOCASE collation, for tests and for code that sorts the same way.
int CompararTexto(const QString& a, const QString& b);

// SQL Server's LIKE: true when texto matches patron (escape: the escape character, or a null QChar).
bool Como(const QString& texto, const QString& patron, QChar escape = QChar());

}  // namespace driver::sqlite
