#pragma once

#include <QString>

// The layout levels: how a position code splits into up to four hierarchical levels, read from
// the suite's configuration (group "DATOS"), and the code rules that depend on them.
struct NivelesLayout {
    int LongitudNivel[5] = {0, 0, 0, 0, 0};  // index 1..4
    int LongitudTotal = 0;
    int FinNivel[5] = {0, 0, 0, 0, 0};  // index 1..4
    QString TituloNivel[5];
    QString ArticuloNivel[5];
    QString PluralNivel[5];

    // The level (1..4) of a code by its trimmed length, 0 when its length is no level end.
    int Nivel(const QString& codigo) const;
    // The same for a code already trimmed, by its length.
    int NivelDeLargo(qsizetype largo) const;
    // The parent code by the level rule (untrimmed length compared with the ends 2, 3, 4 in order);
    // empty for a level-1 code or a malformed one.
    QString CodigoPadre(const QString& codigo) const;
    // Computes the ends from the lengths.
    void CalcularFines();
};

// The program's level values.
NivelesLayout& gNiveles();

// Reads the configuration (writing defaults where empty) into the level values, except the ends.
void CargarNivelesLayout();
// CargarNivelesLayout, then the end positions.
void ActualizarNivelesLayout();

// True when the trimmed code's length is one of the level ends.
bool LongitudValida(const QString& codigo);
// The leading-number rule of the level lengths: "2.5" -> 2, "3abc" -> 3, "abc" -> 0 (halves to even).
int LongitudDeTexto(const QString& valor);

// A text written inside an SQL literal between single quotes: every quote doubled, so whatever the
// operator typed is compared as typed and can never end the literal.
QString TextoSql(const QString& texto);
// The same for the pattern of a LIKE with ESCAPE '!': the wildcards %, _ and [ (and the escape
// character itself) stand for themselves.
QString PatronLike(const QString& texto);

// True when the parent position of the code (by the level rule) exists in the warehouse; marca is
// then "Imputable" when that parent is not a heading, otherwise empty. Errors go to the common
// error dialog ("ExisteNivelInferior"); after abort the answer is false.
bool ExisteNivelSuperior(QString& codigo, const QString& deposito, QString& marca);
// True when the warehouse holds a position whose code is longer than the code and begins with it.
// The code (the caller's variable) is first cleaned of "-".
bool ExisteNivelInferior(QString& codigo, const QString& deposito);
