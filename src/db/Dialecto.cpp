#include "db/Dialecto.h"

#include "services/FuncionesComunes.h"

#include <QDate>
#include <QRegularExpression>

namespace dialecto {

namespace {

// The suite trims blanks only: a line feed left in a statement is part of it.
QString QuitarBlancos(const QString& texto) {
    qsizetype i = 0, f = texto.size();
    while (i < f && texto[i] == QLatin1Char(' ')) ++i;
    while (f > i && texto[f - 1] == QLatin1Char(' ')) --f;
    return texto.mid(i, f - i);
}

ErrorEjecucion LlamadaInvalida() {
    return ErrorEjecucion(errnum::InvalidProcedureCall, QStringLiteral("Invalid procedure call or argument"));
}

// Step 1: "SELECT TOP n ..." has no Oracle form; the row count becomes a ROWNUM condition, put
// before the GROUP BY / ORDER BY tail. The split point is the first "top" anywhere in the text,
// so statements are written without "top" inside names before the keyword.
QString LimiteFilas(const QString& texto) {
    if (!ContieneTexto(texto, QStringLiteral("top "))) return texto;
    const qsizetype t = texto.indexOf(QLatin1String("top"), 0, Qt::CaseInsensitive);
    const QString antes = texto.left(t);
    const QString resto = QuitarBlancos(texto.mid(t + 3));
    const qsizetype blanco = resto.indexOf(QLatin1Char(' '));
    // A row count with nothing after it leaves no statement to limit: the caller gets the error.
    if (blanco < 0) throw LlamadaInvalida();
    const QString filas = resto.left(blanco);
    QString cuerpo = resto.mid(blanco + 1);

    QString agrupar, ordenar;
    qsizetype p = texto.indexOf(QLatin1String(" GROUP BY "), 0, Qt::CaseInsensitive);
    if (p >= 0) {
        agrupar = texto.mid(p);
    } else {
        p = texto.indexOf(QLatin1String("ORDER BY "), 0, Qt::CaseInsensitive);
        if (p >= 0) ordenar = texto.mid(p);
    }
    const QString g = QuitarBlancos(agrupar), o = QuitarBlancos(ordenar);
    if (!g.isEmpty()) cuerpo = ReemplazarTodo(cuerpo, g, QStringLiteral(" "));
    if (!o.isEmpty()) cuerpo = ReemplazarTodo(cuerpo, o, QStringLiteral(" "));

    const QString clausula = (ContieneTexto(texto, QStringLiteral(" WHERE ")) ? QStringLiteral(" AND ROWNUM <= ")
                                                                              : QStringLiteral(" WHERE ROWNUM <= ")) +
                             filas;
    const QString b = QStringLiteral(" ");
    return antes + b + cuerpo + b + clausula + b + agrupar + b + ordenar;
}

// Step 4: quoted dates become TO_DATE in day/month/year. The quotes are paired on the text as it
// was before this step, and every occurrence of a found literal is converted at once; a literal
// that was already inside TO_DATE is thus converted twice, which the final loop undoes.
QString FechasOracle(const QString& texto) {
    QString r = texto;
    const QChar comilla = QLatin1Char('\'');
    qsizetype i = texto.indexOf(comilla);
    while (i >= 0) {
        const qsizetype j = texto.indexOf(comilla, i + 1);
        // An unpaired quote: the text is not a statement the translation can handle.
        if (j < 0) throw LlamadaInvalida();
        const QString contenido = texto.mid(i + 1, j - i - 1);
        const QString fecha = FechaLiteral(contenido);
        if (!fecha.isEmpty())
            r = ReemplazarTodo(r, comilla + contenido + comilla,
                               QStringLiteral("TO_DATE('") + fecha + QStringLiteral("','DD/MM/YYYY')"));
        i = texto.indexOf(comilla, j + 1);
    }
    while (ContieneTexto(r, QStringLiteral("TO_DATE(TO_DATE("))) {
        r = ReemplazarTodo(r, QStringLiteral("TO_DATE(TO_DATE("), QStringLiteral("TO_DATE("));
        r = ReemplazarTodo(r, QStringLiteral("'DD/MM/YYYY'),'DD/MM/YYYY')"), QStringLiteral("'DD/MM/YYYY')"));
    }
    return r;
}

// Step 7: Oracle stores the empty text as NULL, so a comparison with '' after WHERE must become
// IS NULL. What comes before the WHERE (an UPDATE's SET list, for instance) keeps its ''.
QString ComparacionesVacias(const QString& texto) {
    const qsizetype p = texto.indexOf(QLatin1String("WHERE "), 0, Qt::CaseInsensitive);
    if (p < 0) return texto;
    QString despues = texto.mid(p);
    despues = ReemplazarTodo(despues, QStringLiteral("= ''"), QStringLiteral(" IS NULL "));
    despues = ReemplazarTodo(despues, QStringLiteral("=''"), QStringLiteral(" IS NULL "));
    return texto.left(p) + despues;
}

// Step 8: the style 103 of a CONVERT to text (already TO_CHAR here) is Oracle's 'DD/MM/YYYY'. Only
// a 103 whose innermost open parenthesis is that TO_CHAR( is a style; codes such as 1103 stay.
QString EstiloFecha(const QString& texto) {
    QString r = texto;
    const QLatin1String estilo("103");
    qsizetype i = r.indexOf(estilo);
    while (i >= 0) {
        const qsizetype p = r.lastIndexOf(QLatin1Char('('), i);
        if (p >= 7 && r.mid(p - 7, 8).compare(QLatin1String("TO_CHAR("), Qt::CaseInsensitive) == 0)
            r = r.left(i) + QStringLiteral("'DD/MM/YYYY'") + r.mid(i + 3);
        i = r.indexOf(estilo, i + 3);
    }
    return r;
}

}  // namespace

bool ContieneTexto(const QString& texto, const QString& buscar) {
    return texto.contains(buscar, Qt::CaseInsensitive);
}

QString ReemplazarTodo(const QString& texto, const QString& buscar, const QString& reemplazo) {
    if (buscar.isEmpty()) return texto;
    QString r = texto;
    r.replace(buscar, reemplazo, Qt::CaseInsensitive);
    return r;
}

QString QuitarTodo(const QString& texto, const QString& buscar) {
    return ReemplazarTodo(texto, buscar, QString());
}

QString FechaLiteral(const QString& contenido) {
    static const QRegularExpression dmaBarra(QStringLiteral("^([0-9]{1,2})/([0-9]{1,2})/([0-9]{2}|[0-9]{4})$"));
    static const QRegularExpression dmaGuion(QStringLiteral("^([0-9]{1,2})-([0-9]{1,2})-([0-9]{4})$"));
    static const QRegularExpression iso(QStringLiteral("^([0-9]{4})-([0-9]{1,2})-([0-9]{1,2})$"));
    int d = 0, m = 0, a = 0;
    QRegularExpressionMatch c;
    if ((c = dmaBarra.match(contenido)).hasMatch() || (c = dmaGuion.match(contenido)).hasMatch()) {
        d = c.captured(1).toInt();
        m = c.captured(2).toInt();
        a = c.captured(3).toInt();
        if (c.captured(3).size() == 2) a += a < 30 ? 2000 : 1900;
    } else if ((c = iso.match(contenido)).hasMatch()) {
        a = c.captured(1).toInt();
        m = c.captured(2).toInt();
        d = c.captured(3).toInt();
    } else {
        return QString();
    }
    const QDate f(a, m, d);
    if (!f.isValid()) return QString();
    return f.toString(QStringLiteral("dd/MM/yyyy"));
}

QString ORACLE_Dicc(const QString& valor, const QString& cadenaConexion) {
    if (!ContieneTexto(cadenaConexion, QStringLiteral("ORACLE"))) return valor;
    // A single word is a function name handed over on its own (lookup columns): only LEN differs.
    if (FuncionesComunes::instancia().CantidadPalabras(valor) < 2) {
        if (valor.toUpper() == QLatin1String("LEN")) return QStringLiteral("LENGTH");
        return valor;
    }

    QString t = LimiteFilas(valor);

    for (const char* len : {" LEN(", " LEN (", " LEN  (", " LEN   (", " LEN    ("})
        t = ReemplazarTodo(t, QString::fromLatin1(len), QStringLiteral(" LENGTH("));

    t = ReemplazarTodo(t, QStringLiteral("["), QStringLiteral("\""));
    t = ReemplazarTodo(t, QStringLiteral("]"), QStringLiteral("\""));

    t = FechasOracle(t);

    t = ReemplazarTodo(t, QStringLiteral("Charindex"), QStringLiteral("InStr"));

    t = ReemplazarTodo(t, QStringLiteral("CONVERT(NVARCHAR,"), QStringLiteral("TO_CHAR("));
    t = ReemplazarTodo(t, QStringLiteral("CONVERT(INT,"), QStringLiteral("TO_NUMBER("));

    t = ComparacionesVacias(t);

    t = EstiloFecha(t);

    t = ReemplazarTodo(t, QStringLiteral("SUBSTRING("), QStringLiteral("SUBSTR("));
    t = ReemplazarTodo(t, QStringLiteral("ISNULL("), QStringLiteral("NVL("));
    return t;
}

}  // namespace dialecto
