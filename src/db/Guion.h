#pragma once

#include <QList>
#include <QString>
#include <optional>

// Scripts on Oracle. The program's scripts are written for SQL Server: several statements in one
// text, batch separators ("GO"), transaction commands and connection settings that the Oracle
// provider does not take in one command. On Oracle a script is normalised, cut into statements at
// known leading keywords, and its transaction commands become connection calls. These are the
// text parts of that runner; the database object performs the actions.
namespace guion {

// What the runner does for one statement of a script.
struct AccionGuion {
    enum class Tipo {
        IniciarTransaccion,    // BeginTrans
        ConfirmarTransaccion,  // CommitTrans
        DeshacerTransaccion,   // RollbackTrans
        Ejecutar               // Execute(sentencia)
    };
    Tipo tipo = Tipo::Ejecutar;
    // The statement as found (transactions) or as it is sent, translated to Oracle (Ejecutar).
    QString sentencia;

    bool operator==(const AccionGuion&) const = default;
};

// One turn of the runner over a normalised script: the action of its first statement (none when
// the statement is dropped) and the script from the next statement on.
struct PasoGuion {
    std::optional<AccionGuion> accion;
    QString resto;
};

// The keywords a statement starts with, in the order they are looked for.
const QStringList& PalabrasClave();

// The script with its batch separators, NOCOUNT settings and line ends turned into blanks and its
// transaction commands in the one spelling the splitter knows ("SET TRANSACTION", "COMMIT",
// "ROLLBACK"). Carriage returns become blanks; line feeds stay.
QString NormalizarGuion(const QString& script);

// The statement, or an empty text (the statement emptied too) when it only makes sense on SQL
// Server: a NOCOUNT setting or an IF NOT EXISTS test.
QString DepuraSentencia(QString& sentencia);

// The first statement of a normalised script and what remains after it; nothing when no keyword
// occurs. Text before the first keyword is not part of any statement. The statement is translated
// with the Oracle dialect for cadenaConexion, so the translation's errors (ErrorEjecucion) come
// from here, before the action runs; a caller that keeps the script until the action succeeded
// leaves it, on any failure, starting at the failed statement.
std::optional<PasoGuion> SiguientePaso(const QString& script, const QString& cadenaConexion);

// Every action of the script, in order. The script is normalised and consumed: it ends empty when
// a keyword was found, and holds the normalised text when none occurs.
QList<AccionGuion> DividirGuion(QString& script, const QString& cadenaConexion);

}  // namespace guion
