#include "db/driver/DialectoSqlite.h"

#include <QSet>
#include <QVector>

namespace driver::dialecto {

namespace {

enum class Clase { Espacio, Comentario, Palabra, Numero, Cadena, Identificador, Simbolo };

struct Token {
    Clase clase;
    QString texto;
    bool saltoLinea = false;  // whitespace that holds a line break
    bool corchetes = false;   // identifier written as [name]
    int inicio = 0;           // where the token starts in the text it was read from

    bool Significativo() const { return clase != Clase::Espacio && clase != Clase::Comentario; }
    bool EsPalabra(const char* p) const {
        return clase == Clase::Palabra && texto.compare(QLatin1String(p), Qt::CaseInsensitive) == 0;
    }
    bool EsSimbolo(char c) const { return clase == Clase::Simbolo && texto.size() == 1 && texto.at(0) == QLatin1Char(c); }
    QString Mayusculas() const { return texto.toUpper(); }
};

using Tokens = QVector<Token>;

bool InicioPalabra(QChar c) {
    return c.isLetter() || c == QLatin1Char('_') || c == QLatin1Char('@') || c == QLatin1Char('#');
}
bool SiguePalabra(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('@') || c == QLatin1Char('#') ||
           c == QLatin1Char('$');
}

Tokens Tokenizar(const QString& s) {
    Tokens t;
    const int n = s.size();
    int i = 0;
    while (i < n) {
        const QChar c = s.at(i);
        const int inicio = i;
        if (c.isSpace()) {
            bool salto = false;
            while (i < n && s.at(i).isSpace()) {
                if (s.at(i) == QLatin1Char('\r') || s.at(i) == QLatin1Char('\n')) salto = true;
                ++i;
            }
            t.append({Clase::Espacio, s.mid(inicio, i - inicio), salto});
        } else if (c == QLatin1Char('-') && i + 1 < n && s.at(i + 1) == QLatin1Char('-')) {
            while (i < n && s.at(i) != QLatin1Char('\r') && s.at(i) != QLatin1Char('\n')) ++i;
            t.append({Clase::Comentario, s.mid(inicio, i - inicio)});
        } else if (c == QLatin1Char('/') && i + 1 < n && s.at(i + 1) == QLatin1Char('*')) {
            const int fin = s.indexOf(QLatin1String("*/"), i + 2);
            i = fin < 0 ? n : fin + 2;
            t.append({Clase::Comentario, s.mid(inicio, i - inicio)});
        } else if (c == QLatin1Char('\'')) {
            ++i;
            while (i < n) {
                if (s.at(i) == QLatin1Char('\'')) {
                    if (i + 1 < n && s.at(i + 1) == QLatin1Char('\'')) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            t.append({Clase::Cadena, s.mid(inicio, i - inicio)});
        } else if (c == QLatin1Char('"') || c == QLatin1Char('`')) {
            ++i;
            while (i < n) {
                if (s.at(i) == c) {
                    if (i + 1 < n && s.at(i + 1) == c) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            t.append({Clase::Identificador, s.mid(inicio, i - inicio)});
        } else if (c == QLatin1Char('[')) {
            // [name] -> "name" (a "]]" inside stands for one "]").
            QString nombre;
            ++i;
            while (i < n) {
                if (s.at(i) == QLatin1Char(']')) {
                    if (i + 1 < n && s.at(i + 1) == QLatin1Char(']')) {
                        nombre += QLatin1Char(']');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                nombre += s.at(i++);
            }
            nombre.replace(QLatin1Char('"'), QLatin1String("\"\""));
            Token tk{Clase::Identificador, QLatin1Char('"') + nombre + QLatin1Char('"')};
            tk.corchetes = true;
            t.append(tk);
        } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && s.at(i + 1).isDigit())) {
            while (i < n && (s.at(i).isDigit() || s.at(i) == QLatin1Char('.'))) ++i;
            if (i < n && (s.at(i) == QLatin1Char('e') || s.at(i) == QLatin1Char('E'))) {
                int j = i + 1;
                if (j < n && (s.at(j) == QLatin1Char('+') || s.at(j) == QLatin1Char('-'))) ++j;
                if (j < n && s.at(j).isDigit()) {
                    i = j;
                    while (i < n && s.at(i).isDigit()) ++i;
                }
            }
            t.append({Clase::Numero, s.mid(inicio, i - inicio)});
        } else if (InicioPalabra(c)) {
            while (i < n && SiguePalabra(s.at(i))) ++i;
            t.append({Clase::Palabra, s.mid(inicio, i - inicio)});
        } else {
            static const char* dobles[] = {"<>", "<=", ">=", "!=", "||", "==", "!<", "!>"};
            int largo = 1;
            if (i + 1 < n) {
                for (const char* d : dobles) {
                    if (s.at(i) == QLatin1Char(d[0]) && s.at(i + 1) == QLatin1Char(d[1])) largo = 2;
                }
            }
            t.append({Clase::Simbolo, s.mid(i, largo)});
            i += largo;
        }
        t.last().inicio = inicio;
    }
    return t;
}

// ---------------------------------------------------------------------------------------------
// Splitting a script into statements

const QSet<QString>& PalabrasInicio() {
    static const QSet<QString> p = {
        QStringLiteral("SELECT"), QStringLiteral("INSERT"),   QStringLiteral("UPDATE"),  QStringLiteral("DELETE"),
        QStringLiteral("CREATE"), QStringLiteral("DROP"),     QStringLiteral("ALTER"),   QStringLiteral("BEGIN"),
        QStringLiteral("COMMIT"), QStringLiteral("ROLLBACK"), QStringLiteral("SET"),     QStringLiteral("TRUNCATE"),
        QStringLiteral("USE"),    QStringLiteral("GO"),       QStringLiteral("EXEC"),    QStringLiteral("EXECUTE"),
        QStringLiteral("PRINT"),  QStringLiteral("DECLARE"),  QStringLiteral("REPLACE"), QStringLiteral("PRAGMA"),
        QStringLiteral("VACUUM"), QStringLiteral("ANALYZE"),  QStringLiteral("REINDEX"), QStringLiteral("SAVE"),
        QStringLiteral("GRANT"),  QStringLiteral("REVOKE"),
    };
    return p;
}

// Statement words that start a new statement even on the same line.
const QSet<QString>& PalabrasMismaLinea() {
    static const QSet<QString> p = {
        QStringLiteral("SELECT"), QStringLiteral("INSERT"),   QStringLiteral("UPDATE"),   QStringLiteral("DELETE"),
        QStringLiteral("CREATE"), QStringLiteral("DROP"),     QStringLiteral("ALTER"),    QStringLiteral("BEGIN"),
        QStringLiteral("COMMIT"), QStringLiteral("ROLLBACK"), QStringLiteral("TRUNCATE"), QStringLiteral("SET"),
    };
    return p;
}

// Words after which a statement cannot have ended.
const QSet<QString>& PalabrasContinuacion() {
    static const QSet<QString> p = {
        QStringLiteral("UNION"),   QStringLiteral("ALL"),     QStringLiteral("EXCEPT"),   QStringLiteral("INTERSECT"),
        QStringLiteral("AS"),      QStringLiteral("AND"),     QStringLiteral("OR"),       QStringLiteral("NOT"),
        QStringLiteral("IN"),      QStringLiteral("EXISTS"),  QStringLiteral("THEN"),     QStringLiteral("ELSE"),
        QStringLiteral("WHEN"),    QStringLiteral("WHERE"),   QStringLiteral("ON"),       QStringLiteral("BY"),
        QStringLiteral("FROM"),    QStringLiteral("JOIN"),    QStringLiteral("SET"),      QStringLiteral("VALUES"),
        QStringLiteral("INTO"),    QStringLiteral("SELECT"),  QStringLiteral("IS"),       QStringLiteral("LIKE"),
        QStringLiteral("BETWEEN"), QStringLiteral("CASE"),    QStringLiteral("DISTINCT"), QStringLiteral("TOP"),
        QStringLiteral("HAVING"),  QStringLiteral("INSTEAD"), QStringLiteral("OF"),       QStringLiteral("FOR"),
        QStringLiteral("TABLE"),   QStringLiteral("VIEW"),    QStringLiteral("ADD"),      QStringLiteral("WITH"),
    };
    return p;
}

struct Division {
    Tokens actual;
    QList<Tokens> sentencias;
    int profundidad = 0;
    // Significant words of the current statement, in upper case, at depth 0.
    QStringList palabras;
    int ultimo = -1;       // index in `actual` of the last significant token
    bool trigger = false;  // inside CREATE TRIGGER
    int bloques = 0;       // BEGIN / CASE ... END nesting inside a trigger
    bool cuerpo = false;   // the trigger's BEGIN was seen

    void Terminar() {
        if (ultimo >= 0) sentencias.append(actual);
        actual.clear();
        palabras.clear();
        ultimo = -1;
        profundidad = 0;
        trigger = false;
        bloques = 0;
        cuerpo = false;
    }

    bool TriggerAbierto() const { return trigger && !(cuerpo && bloques == 0); }

    bool PuedeTerminar() const {
        if (ultimo < 0 || profundidad > 0 || TriggerAbierto()) return false;
        if (palabras.value(0) == QLatin1String("SET")) return true;  // SET NOCOUNT ON and the like
        const Token& u = actual.at(ultimo);
        if (u.clase == Clase::Simbolo) return u.texto == QLatin1String(")") || u.texto == QLatin1String("*");
        if (u.clase == Clase::Palabra && PalabrasContinuacion().contains(u.Mayusculas())) return false;
        return true;
    }

    // A line break followed by the word `siguiente`: does a new statement start there?
    // Does a new statement start at the word `siguiente`? After a line break any statement word
    // may start one; within a line (SQL Server also runs "BEGIN TRANSACTION INSERT ... COMMIT
    // TRANSACTION" written on one line) only the words that cannot continue a statement do, and
    // not inside ALTER or CREATE, whose clauses use them (ALTER TABLE t DROP COLUMN c).
    bool EmpiezaSentencia(const QString& siguiente, bool mismaLinea) const {
        if (!PalabrasInicio().contains(siguiente)) return false;
        if (mismaLinea && !PalabrasMismaLinea().contains(siguiente)) return false;
        if (!PuedeTerminar()) return false;
        const QString primera = palabras.value(0);
        if (mismaLinea && (primera == QLatin1String("ALTER") || primera == QLatin1String("CREATE"))) return false;
        // WITH name AS (...) is only the head of the statement that follows it.
        if (primera == QLatin1String("WITH")) {
            bool cuerpo = false;
            for (const char* p : {"SELECT", "INSERT", "UPDATE", "DELETE"}) cuerpo = cuerpo || palabras.contains(QLatin1String(p));
            if (!cuerpo) return false;
        }
        if (siguiente == QLatin1String("SELECT") && primera == QLatin1String("INSERT") &&
            !palabras.contains(QStringLiteral("VALUES")) && !palabras.contains(QStringLiteral("SELECT")))
            return false;
        if (siguiente == QLatin1String("SET") && primera == QLatin1String("UPDATE") && !palabras.contains(QStringLiteral("SET")))
            return false;
        return true;
    }

    void Agregar(const Token& t) {
        actual.append(t);
        if (!t.Significativo()) return;
        if (t.EsSimbolo('(')) ++profundidad;
        if (t.EsSimbolo(')') && profundidad > 0) --profundidad;
        if (t.clase == Clase::Palabra) {
            const QString m = t.Mayusculas();
            if (profundidad == 0) palabras.append(m);
            if (palabras.size() <= 4 && m == QLatin1String("TRIGGER") && palabras.value(0) == QLatin1String("CREATE"))
                trigger = true;
            if (trigger) {
                if (m == QLatin1String("BEGIN")) {
                    cuerpo = true;
                    ++bloques;
                } else if (m == QLatin1String("CASE") && cuerpo) {
                    ++bloques;
                } else if (m == QLatin1String("END") && bloques > 0) {
                    --bloques;
                }
            }
        }
        ultimo = actual.size() - 1;
    }
};

QList<Tokens> Dividir(const Tokens& t) {
    Division d;
    for (int i = 0; i < t.size(); ++i) {
        const Token& tk = t.at(i);
        if (tk.EsSimbolo(';')) {
            if (d.TriggerAbierto()) {
                d.Agregar(tk);
                continue;
            }
            d.Terminar();
            continue;
        }
        if (tk.clase == Clase::Espacio && tk.saltoLinea) {
            int j = i + 1;
            while (j < t.size() && !t.at(j).Significativo()) ++j;
            if (j < t.size() && t.at(j).clase == Clase::Palabra && d.EmpiezaSentencia(t.at(j).Mayusculas(), false)) {
                d.Terminar();
                continue;
            }
        }
        if (tk.clase == Clase::Palabra && !d.TriggerAbierto()) {
            const QString m = tk.Mayusculas();
            bool empieza = d.EmpiezaSentencia(m, true);
            if (empieza && m == QLatin1String("BEGIN")) {  // only BEGIN TRAN[SACTION] on the same line
                int j = i + 1;
                while (j < t.size() && !t.at(j).Significativo()) ++j;
                empieza = j < t.size() && (t.at(j).EsPalabra("TRAN") || t.at(j).EsPalabra("TRANSACTION"));
            }
            if (empieza) d.Terminar();
        }
        d.Agregar(tk);
    }
    d.Terminar();
    return d.sentencias;
}

// ---------------------------------------------------------------------------------------------
// Translating one statement

const QSet<QString>& Sugerencias() {
    static const QSet<QString> p = {
        QStringLiteral("NOLOCK"),
        QStringLiteral("READUNCOMMITTED"),
        QStringLiteral("READCOMMITTED"),
        QStringLiteral("ROWLOCK"),
        QStringLiteral("UPDLOCK"),
        QStringLiteral("HOLDLOCK"),
        QStringLiteral("PAGLOCK"),
        QStringLiteral("TABLOCK"),
        QStringLiteral("TABLOCKX"),
        QStringLiteral("READPAST"),
        QStringLiteral("XLOCK"),
        QStringLiteral("NOWAIT"),
        QStringLiteral("REPEATABLEREAD"),
        QStringLiteral("SERIALIZABLE"),
        QStringLiteral("FASTFIRSTROW"),
        QStringLiteral("NOEXPAND"),
        QStringLiteral("READCOMMITTEDLOCK"),
    };
    return p;
}

// Text functions whose result gets the case-insensitive collation.
const QSet<QString>& FuncionesTexto() {
    static const QSet<QString> p = {
        QStringLiteral("LTRIM"),    QStringLiteral("RTRIM"),   QStringLiteral("TRIM"),   QStringLiteral("UPPER"),
        QStringLiteral("LOWER"),    QStringLiteral("REPLACE"), QStringLiteral("SUBSTR"), QStringLiteral("IFNULL"),
        QStringLiteral("COALESCE"), QStringLiteral("NULLIF"),  QStringLiteral("UCASE"),  QStringLiteral("LCASE"),
    };
    return p;
}

const QString kColacion = QStringLiteral(" COLLATE NOCASE");
const QString kAhora = QStringLiteral("datetime('now','localtime')");

class Traductor {
public:
    explicit Traductor(const Tokens& t) : t_(t), pareja_(t.size(), -1) {
        QVector<int> pila;
        for (int i = 0; i < t_.size(); ++i) {
            if (t_.at(i).EsSimbolo('(')) {
                // The translation follows the parentheses level by level; a text nested deeper than
                // SQLite itself accepts is refused before it could exhaust the stack.
                if (pila.size() >= kProfundidadMaxima)
                    throw TextoRechazado{QStringLiteral("Some part of your SQL statement is nested too deeply (more than %1 "
                                                        "levels of parentheses). Rewrite the query or break it up into smaller "
                                                        "queries.")
                                             .arg(kProfundidadMaxima)};
                pila.append(i);
            } else if (t_.at(i).EsSimbolo(')') && !pila.isEmpty()) {
                const int a = pila.takeLast();
                pareja_[a] = i;
                pareja_[i] = a;
            }
        }
    }

    QString Todo() { return Emitir(0, t_.size()); }
    QString Rango(int a, int b) { return Emitir(a, b); }

    int Siguiente(int i, int b) const {
        while (i < b && !t_.at(i).Significativo()) ++i;
        return i;
    }

    // Top-level comma positions of the range (a, b).
    QVector<int> Comas(int a, int b) const {
        QVector<int> comas;
        for (int i = a; i < b; ++i) {
            if (t_.at(i).EsSimbolo('(') && pareja_[i] > i) {
                i = pareja_[i];
                continue;
            }
            if (t_.at(i).EsSimbolo(',')) comas.append(i);
        }
        return comas;
    }

private:
    const Tokens& t_;
    QVector<int> pareja_;

    // The arguments of a call whose "(" is at abre.
    QStringList Argumentos(int abre) {
        QStringList args;
        const int cierra = pareja_[abre];
        int desde = abre + 1;
        for (int coma : Comas(abre + 1, cierra)) {
            args.append(Emitir(desde, coma).trimmed());
            desde = coma + 1;
        }
        args.append(Emitir(desde, cierra).trimmed());
        return args;
    }

    bool SoloSugerencias(int abre) const {
        const int cierra = pareja_[abre];
        if (cierra < 0) return false;
        bool alguna = false;
        for (int i = abre + 1; i < cierra; ++i) {
            const Token& tk = t_.at(i);
            if (!tk.Significativo() || tk.EsSimbolo(',')) continue;
            if (tk.EsSimbolo('(') && pareja_[i] > i) {  // INDEX(name)
                i = pareja_[i];
                continue;
            }
            if (tk.clase == Clase::Palabra && Sugerencias().contains(tk.Mayusculas())) {
                alguna = true;
                continue;
            }
            if (tk.EsPalabra("INDEX") || tk.EsSimbolo('=')) continue;
            return false;
        }
        return alguna;
    }

    // The call at `funcion` when it is LTRIM(RTRIM(c)) or RTRIM(LTRIM(c)) of a column c: returns the
    // index past it and sets `texto` to trim(c) with the text collation; -1 for any other call. The
    // embedded schema indexes the trimmed codes in exactly this form, so a code looked up as
    // SQL Server text is found through that index instead of by reading the whole table.
    int RecorteDeColumna(int funcion, int b, QString& texto) {
        const Token& f = t_.at(funcion);
        const bool izquierda = f.EsPalabra("LTRIM");
        if (!izquierda && !f.EsPalabra("RTRIM")) return -1;
        const int abre = Siguiente(funcion + 1, b);
        if (abre >= b || !t_.at(abre).EsSimbolo('(') || pareja_[abre] <= abre || pareja_[abre] >= b) return -1;
        const int cierra = pareja_[abre];
        const int g = Siguiente(abre + 1, cierra);
        if (g >= cierra || !t_.at(g).EsPalabra(izquierda ? "RTRIM" : "LTRIM")) return -1;
        const int abre2 = Siguiente(g + 1, cierra);
        if (abre2 >= cierra || !t_.at(abre2).EsSimbolo('(') || pareja_[abre2] <= abre2) return -1;
        const int cierra2 = pareja_[abre2];
        if (Siguiente(cierra2 + 1, cierra) != cierra) return -1;
        bool nombre = false;
        for (int k = abre2 + 1; k < cierra2; ++k) {
            const Token& tk = t_.at(k);
            if (!tk.Significativo() || tk.EsSimbolo('.')) continue;
            if (!EsNombre(tk)) return -1;
            nombre = true;
        }
        if (!nombre) return -1;
        texto = QStringLiteral("trim(") + Emitir(abre2 + 1, cierra2).trimmed() + QLatin1Char(')') + kColacion;
        return cierra + 1;
    }

    // SUBSTRING(<trimmed column>,1,n) = 'text' standing as a condition of its own (after WHERE, AND,
    // OR, NOT or "(" and before AND, OR, ")" or the end of a clause): the comparison is kept and
    // preceded by a range of the trimmed column that holds every code it can be true for, so the
    // index of trimmed codes finds the candidates. Returns the index past the literal and sets
    // `texto`; -1 when the text has another shape or a literal the range cannot bound.
    //
    // The bound: under the text collation (ExtensionesSqlite.cpp) a code whose first n characters
    // equal the text starts, letter for letter, with the text's ASCII letters folded to lower case,
    // and texts are ordered by those letters first; so it lies between the folded text and the folded
    // text with its last character raised by one. A text with characters outside printable ASCII is
    // left without a range: it still runs, reading the warehouse as before.
    int PrefijoRecortado(int a, int funcion, int b, QString& texto) {
        int antes = funcion - 1;
        while (antes >= a && !t_.at(antes).Significativo()) --antes;
        if (antes >= a) {
            const Token& tk = t_.at(antes);
            if (!tk.EsSimbolo('(') && !tk.EsPalabra("WHERE") && !tk.EsPalabra("AND") && !tk.EsPalabra("OR") &&
                !tk.EsPalabra("NOT"))
                return -1;
        }
        const int abre = Siguiente(funcion + 1, b);
        if (abre >= b || !t_.at(abre).EsSimbolo('(') || pareja_[abre] <= abre || pareja_[abre] >= b) return -1;
        const int cierra = pareja_[abre];
        const QVector<int> comas = Comas(abre + 1, cierra);
        if (comas.size() != 2) return -1;
        QString columna;
        const int primero = Siguiente(abre + 1, comas[0]);
        if (primero >= comas[0]) return -1;
        const int finRecorte = RecorteDeColumna(primero, comas[0], columna);
        if (finRecorte < 0 || Siguiente(finRecorte, comas[0]) != comas[0]) return -1;
        auto entero = [&](int desde, int hasta, bool uno) {
            const int k = Siguiente(desde, hasta);
            if (k >= hasta || t_.at(k).clase != Clase::Numero || Siguiente(k + 1, hasta) != hasta) return false;
            const QString& n = t_.at(k).texto;
            for (const QChar c : n)
                if (!c.isDigit()) return false;
            return !uno || n == QLatin1String("1");
        };
        if (!entero(comas[0] + 1, comas[1], true) || !entero(comas[1] + 1, cierra, false)) return -1;
        const int igual = Siguiente(cierra + 1, b);
        if (igual >= b || !t_.at(igual).EsSimbolo('=')) return -1;
        int literal = Siguiente(igual + 1, b);
        if (literal + 1 < b && t_.at(literal).EsPalabra("N") && t_.at(literal + 1).clase == Clase::Cadena) ++literal;
        if (literal >= b || t_.at(literal).clase != Clase::Cadena) return -1;
        const QString& cita = t_.at(literal).texto;
        if (cita.size() < 2 || !cita.endsWith(QLatin1Char('\''))) return -1;
        const int despues = Siguiente(literal + 1, b);
        if (despues < b) {
            const Token& tk = t_.at(despues);
            if (!tk.EsSimbolo(')') && !tk.EsSimbolo(';') && !tk.EsPalabra("AND") && !tk.EsPalabra("OR") &&
                !tk.EsPalabra("ORDER") && !tk.EsPalabra("GROUP") && !tk.EsPalabra("HAVING") && !tk.EsPalabra("UNION"))
                return -1;
        }
        QString valor = cita.mid(1, cita.size() - 2);
        valor.replace(QStringLiteral("''"), QStringLiteral("'"));
        while (valor.endsWith(QLatin1Char(' '))) valor.chop(1);
        if (valor.isEmpty()) return -1;
        for (QChar& c : valor) {
            if (c.unicode() < 0x20 || c.unicode() > 0x7e) return -1;
            if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) c = QChar(c.unicode() + 32);
        }
        QString hasta = valor;
        hasta.back() = QChar(hasta.back().unicode() + 1);
        auto cadena = [](QString s) {
            return QLatin1Char('\'') + s.replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
        };
        texto = QLatin1Char('(') + columna + QStringLiteral(" >= ") + cadena(valor) + QStringLiteral(" AND ") + columna +
                QStringLiteral(" < ") + cadena(hasta) + QStringLiteral(" AND substr(") + Emitir(abre + 1, cierra) +
                QLatin1Char(')') + kColacion + Emitir(cierra + 1, literal + 1) + QLatin1Char(')');
        return literal + 1;
    }

    static bool EsDbo(const Token& tk) {
        if (tk.clase == Clase::Palabra) return tk.texto.compare(QLatin1String("dbo"), Qt::CaseInsensitive) == 0;
        if (tk.clase == Clase::Identificador) return tk.texto.compare(QLatin1String("\"dbo\""), Qt::CaseInsensitive) == 0;
        return false;
    }

    static bool EsNombre(const Token& tk) { return tk.clase == Clase::Palabra || tk.clase == Clase::Identificador; }

    QString Texto(int a, int b) const {
        QString s;
        for (int i = a; i < b; ++i) s += t_.at(i).texto;
        return s;
    }

    // TOP n / TOP (n) [PERCENT] [WITH TIES] starting at the token `top`: returns the index after the
    // clause and sets `limite` (when not set yet) to the row count; -1 when the clause has no SQLite
    // form (a percentage below 100), which is then left for SQLite to refuse.
    int Top(int top, int b, QString& limite) {
        int k = Siguiente(top + 1, b);
        QString n;
        if (k < b && t_.at(k).EsSimbolo('(') && pareja_[k] > k && pareja_[k] < b) {
            n = QLatin1Char('(') + Emitir(k + 1, pareja_[k]).trimmed() + QLatin1Char(')');
            k = pareja_[k] + 1;
        } else if (k < b && t_.at(k).clase == Clase::Numero) {
            n = t_.at(k).texto;
            ++k;
        } else {
            return -1;
        }
        bool porcentaje = false;
        int p = Siguiente(k, b);
        if (p < b && t_.at(p).EsPalabra("PERCENT")) {
            porcentaje = true;
            k = p + 1;
            p = Siguiente(k, b);
        }
        if (p < b && t_.at(p).EsPalabra("WITH")) {
            const int q = Siguiente(p + 1, b);
            if (q < b && t_.at(q).EsPalabra("TIES")) k = q + 1;
        }
        if (porcentaje) {
            QString valor = n;
            valor.remove(QLatin1Char('(')).remove(QLatin1Char(')'));
            if (valor.trimmed().toDouble() < 100) return -1;
            return k;  // every row: no limit
        }
        if (limite.isEmpty()) limite = n;
        return k;
    }

    QString Emitir(int a, int b) {
        QString out;
        int finSignificativo = 0;  // length of out after its last significant text
        QString limite;            // LIMIT of a SELECT TOP at this level
        int i = a;
        auto agregar = [&](const QString& s, bool significativo = true) {
            out += s;
            if (significativo) finSignificativo = out.size();
        };
        // A token taken out must not join its neighbours into something else ('x'N'y' into one
        // literal holding a quote, / and * of db..* into a comment): a blank keeps them apart.
        auto separar = [&] {
            if (!out.isEmpty() && !out.back().isSpace()) agregar(QStringLiteral(" "), false);
        };
        while (i < b) {
            const Token& tk = t_.at(i);
            if (!tk.Significativo()) {
                agregar(tk.texto, false);
                ++i;
                continue;
            }
            // Owners: dbo.x, [dbo].x, db.dbo.x, db..x
            if (EsNombre(tk) && i + 1 < b && t_.at(i + 1).EsSimbolo('.')) {
                if (EsDbo(tk)) {
                    separar();
                    i += 2;
                    continue;
                }
                if (i + 3 < b && EsDbo(t_.at(i + 2)) && t_.at(i + 3).EsSimbolo('.')) {
                    separar();
                    i += 4;
                    continue;
                }
                if (i + 2 < b && t_.at(i + 2).EsSimbolo('.')) {
                    separar();
                    i += 3;
                    continue;
                }
            }
            if (tk.clase == Clase::Palabra) {
                const QString m = tk.Mayusculas();
                const int sig = Siguiente(i + 1, b);
                const bool llamada = sig < b && t_.at(sig).EsSimbolo('(') && pareja_[sig] > sig && pareja_[sig] < b;
                // N'text'
                if (m == QLatin1String("N") && i + 1 < b && t_.at(i + 1).clase == Clase::Cadena) {
                    separar();
                    ++i;
                    continue;
                }
                if (m == QLatin1String("SELECT")) {
                    agregar(tk.texto);
                    int j = i + 1;
                    int k = Siguiente(j, b);
                    while (k < b && (t_.at(k).EsPalabra("DISTINCT") || t_.at(k).EsPalabra("ALL"))) {
                        agregar(Texto(j, k + 1));
                        j = k + 1;
                        k = Siguiente(j, b);
                    }
                    const int fin = k < b && t_.at(k).EsPalabra("TOP") ? Top(k, b, limite) : -1;
                    if (fin >= 0) {
                        agregar(QStringLiteral(" "));
                        i = fin;
                    } else {
                        i = j;
                    }
                    continue;
                }
                if (m == QLatin1String("WITH") && sig < b && t_.at(sig).EsSimbolo('(') && SoloSugerencias(sig)) {
                    agregar(QStringLiteral(" "), false);
                    i = pareja_[sig] + 1;
                    continue;
                }
                if (llamada && SoloSugerencias(sig)) {  // FROM t (NOLOCK)
                    agregar(tk.texto);
                    agregar(QStringLiteral(" "), false);
                    i = pareja_[sig] + 1;
                    continue;
                }
                if (m == QLatin1String("CURRENT_TIMESTAMP")) {
                    agregar(kAhora);
                    ++i;
                    continue;
                }
                if (llamada) {
                    const int cierra = pareja_[sig];
                    QString recorte;
                    const int tras =
                        m == QLatin1String("SUBSTRING") ? PrefijoRecortado(a, i, b, recorte) : RecorteDeColumna(i, b, recorte);
                    if (tras >= 0) {
                        agregar(recorte);
                        i = tras;
                        continue;
                    }
                    if (m == QLatin1String("LEN")) {
                        agregar(QStringLiteral("length(rtrim(") + Emitir(sig + 1, cierra) + QStringLiteral("))"));
                        i = cierra + 1;
                        continue;
                    }
                    if (m == QLatin1String("GETDATE") || m == QLatin1String("SYSDATETIME")) {
                        agregar(kAhora);
                        i = cierra + 1;
                        continue;
                    }
                    if (m == QLatin1String("CHARINDEX")) {
                        const QStringList args = Argumentos(sig);
                        if (args.size() == 2) {
                            // CHARINDEX follows the collation: no regard to case.
                            agregar(QStringLiteral("instr(upper(%1),upper(%2))").arg(args.at(1), args.at(0)));
                        } else {
                            agregar(QStringLiteral("charindex(") + args.join(QLatin1Char(',')) + QLatin1Char(')'));
                        }
                        i = cierra + 1;
                        continue;
                    }
                    if (m == QLatin1String("LEFT") || m == QLatin1String("RIGHT")) {
                        const QStringList args = Argumentos(sig);
                        if (args.size() == 2) {
                            if (m == QLatin1String("LEFT")) {
                                agregar(QStringLiteral("substr(%1,1,%2)").arg(args.at(0), args.at(1)) + kColacion);
                            } else {
                                agregar(QStringLiteral("(CASE WHEN (%2)>0 THEN substr(%1,-(%2)) ELSE '' END)")
                                            .arg(args.at(0), args.at(1)) +
                                        kColacion);
                            }
                            i = cierra + 1;
                            continue;
                        }
                    }
                    if (m == QLatin1String("CONVERT")) {
                        const QStringList args = Argumentos(sig);
                        if (args.size() >= 2) {
                            agregar(QStringLiteral("CAST(%1 AS %2)").arg(args.at(1), args.at(0)));
                            i = cierra + 1;
                            continue;
                        }
                    }
                    QString nombre = tk.texto;
                    QString nombreM = m;
                    if (m == QLatin1String("ISNULL")) nombre = nombreM = QStringLiteral("ifnull");
                    if (m == QLatin1String("SUBSTRING")) nombre = nombreM = QStringLiteral("substr");
                    nombreM = nombreM.toUpper();
                    agregar(nombre + QLatin1Char('(') + Emitir(sig + 1, cierra) + QLatin1Char(')'));
                    if (FuncionesTexto().contains(nombreM)) agregar(kColacion);
                    i = cierra + 1;
                    continue;
                }
                agregar(tk.texto);
                ++i;
                continue;
            }
            if (tk.EsSimbolo('(')) {
                const int cierra = pareja_[i];
                if (cierra < 0 || cierra >= b) {
                    agregar(tk.texto);
                    ++i;
                    continue;
                }
                // The old hint form: FROM t (NOLOCK)
                if (SoloSugerencias(i)) {
                    agregar(QStringLiteral(" "), false);
                    i = cierra + 1;
                    continue;
                }
                agregar(QLatin1Char('(') + Emitir(i + 1, cierra) + QLatin1Char(')'));
                i = cierra + 1;
                continue;
            }
            agregar(tk.texto);
            ++i;
        }
        if (!limite.isEmpty()) out.insert(finSignificativo, QStringLiteral(" LIMIT ") + limite);
        return out;
    }
};

QString Texto(const Tokens& t, int a, int b) {
    QString s;
    for (int i = a; i < b; ++i) s += t.at(i).texto;
    return s;
}

void Recortar(Tokens& t) {
    while (!t.isEmpty() && !t.first().Significativo()) t.removeFirst();
    while (!t.isEmpty() && !t.last().Significativo()) t.removeLast();
}

// The significant tokens' indexes of a statement.
QVector<int> Significativos(const Tokens& t) {
    QVector<int> s;
    for (int i = 0; i < t.size(); ++i) {
        if (t.at(i).Significativo()) s.append(i);
    }
    return s;
}

void Clasificar(Tokens t, QList<Sentencia>& salida) {
    Recortar(t);
    if (t.isEmpty()) return;
    const QVector<int> sig = Significativos(t);
    auto palabra = [&](int k) {
        return k < sig.size() && t.at(sig.at(k)).clase == Clase::Palabra ? t.at(sig.at(k)).Mayusculas() : QString();
    };
    const QString original = Texto(t, 0, t.size());
    const QString p0 = palabra(0), p1 = palabra(1);
    const bool palabraTran = p1 == QLatin1String("TRAN") || p1 == QLatin1String("TRANSACTION");

    Sentencia s;
    s.original = original;
    if (p0 == QLatin1String("BEGIN") && (sig.size() == 1 || palabraTran || p1 == QLatin1String("DISTRIBUTED"))) {
        s.tipo = Sentencia::Tipo::Comenzar;
    } else if (p0 == QLatin1String("COMMIT")) {
        s.tipo = Sentencia::Tipo::Confirmar;
    } else if (p0 == QLatin1String("ROLLBACK")) {
        s.tipo = Sentencia::Tipo::Deshacer;
    } else if (p0 == QLatin1String("SET") || p0 == QLatin1String("GO") || p0 == QLatin1String("PRINT") ||
               (p0 == QLatin1String("SAVE") && palabraTran)) {
        s.tipo = Sentencia::Tipo::Omitir;
    } else if (p0 == QLatin1String("USE") && sig.size() >= 2) {
        s.tipo = Sentencia::Tipo::Usar;
        QString nombre = t.at(sig.at(1)).texto;
        if (nombre.startsWith(QLatin1Char('"'))) nombre = nombre.mid(1, nombre.size() - 2);
        s.texto = nombre;
    } else if (p0 == QLatin1String("TRUNCATE") && p1 == QLatin1String("TABLE")) {
        Traductor tr(t);
        s.texto = QStringLiteral("DELETE FROM ") + tr.Rango(sig.at(1) + 1, t.size()).trimmed();
    } else if (p0 == QLatin1String("ALTER") && p1 == QLatin1String("TABLE")) {
        // ALTER TABLE t ADD a ..., b ...: SQLite adds one column per statement.
        int kAdd = -1;
        for (int k = 2; k < sig.size(); ++k) {
            if (palabra(k) == QLatin1String("ADD")) {
                kAdd = k;
                break;
            }
        }
        Traductor tr(t);
        if (kAdd >= 0 && palabra(kAdd + 1) != QLatin1String("CONSTRAINT")) {
            const int add = sig.at(kAdd);
            const QVector<int> comas = tr.Comas(add + 1, t.size());
            if (!comas.isEmpty()) {
                const QString cabeza = tr.Rango(0, add + 1);
                int desde = add + 1;
                QVector<int> cortes = comas;
                cortes.append(t.size());
                for (int corte : cortes) {
                    Sentencia parte;
                    parte.original = original;
                    parte.texto = cabeza + QLatin1Char(' ') + tr.Rango(desde, corte).trimmed();
                    salida.append(parte);
                    desde = corte + 1;
                }
                return;
            }
        }
        s.texto = tr.Todo().trimmed();
    } else {
        Traductor tr(t);
        s.texto = tr.Todo().trimmed();
    }
    salida.append(s);
}

}  // namespace

QList<Sentencia> Traducir(const QString& guion) {
    QList<Sentencia> salida;
    for (const Tokens& t : Dividir(Tokenizar(guion))) Clasificar(t, salida);
    return salida;
}

int BuscarPalabras(const QString& texto, const QStringList& palabras) {
    if (palabras.isEmpty()) return -1;
    const Tokens t = Tokenizar(texto);
    for (int i = 0; i < t.size(); ++i) {
        if (t.at(i).clase != Clase::Palabra || t.at(i).texto.compare(palabras.first(), Qt::CaseInsensitive) != 0) continue;
        int j = i + 1;
        int k = 1;
        for (; k < palabras.size(); ++k, ++j) {
            while (j < t.size() && t.at(j).clase == Clase::Espacio) ++j;
            if (j >= t.size() || t.at(j).clase != Clase::Palabra ||
                t.at(j).texto.compare(palabras.at(k), Qt::CaseInsensitive) != 0)
                break;
        }
        if (k == palabras.size()) return t.at(i).inicio;
    }
    return -1;
}

int ContarSentencias(const QString& texto) {
    int n = 0;
    for (const Tokens& sentencia : Dividir(Tokenizar(texto))) {
        // Session settings and batch separators run nothing.
        const Token* primera = nullptr;
        for (const Token& tk : sentencia)
            if (tk.Significativo()) {
                primera = &tk;
                break;
            }
        if (primera && (primera->EsPalabra("SET") || primera->EsPalabra("GO") || primera->EsPalabra("PRINT"))) continue;
        ++n;
    }
    return n;
}

QString TraducirSentencia(const QString& sentencia) {
    Tokens t = Tokenizar(sentencia);
    Recortar(t);
    Traductor tr(t);
    return tr.Todo().trimmed();
}

}  // namespace driver::dialecto
