#include "db/Guion.h"

#include "db/Dialecto.h"

namespace guion {

namespace {

using dialecto::ContieneTexto;
using dialecto::ReemplazarTodo;

// Only blanks are trimmed: a line feed left by the normalisation belongs to the statement.
QString QuitarBlancos(const QString& texto) {
    qsizetype i = 0, f = texto.size();
    while (i < f && texto[i] == QLatin1Char(' ')) ++i;
    while (f > i && texto[f - 1] == QLatin1Char(' ')) --f;
    return texto.mid(i, f - i);
}

// The smallest position at or after desde where any keyword occurs; -1 when none does.
qsizetype PrimeraClave(const QString& script, qsizetype desde) {
    qsizetype menor = -1;
    for (const QString& clave : PalabrasClave()) {
        const qsizetype p = script.indexOf(clave, desde, Qt::CaseInsensitive);
        if (p >= 0 && (menor < 0 || p < menor)) menor = p;
    }
    return menor;
}

bool Es(const QString& sentencia, const char* orden) {
    return sentencia.compare(QLatin1String(orden), Qt::CaseInsensitive) == 0;
}

}  // namespace

const QStringList& PalabrasClave() {
    static const QStringList claves{QStringLiteral("INSERT "),         QStringLiteral("DELETE "),  QStringLiteral("UPDATE "),
                                    QStringLiteral("CREATE "),         QStringLiteral("DROP "),    QStringLiteral("ALTER "),
                                    QStringLiteral("SET TRANSACTION"), QStringLiteral("COMMIT"),   QStringLiteral("ROLLBACK"),
                                    QStringLiteral("IF NOT EXIST"),    QStringLiteral("IF EXIST"), QStringLiteral("GRANT ")};
    return claves;
}

QString NormalizarGuion(const QString& script) {
    const QString crlf = QStringLiteral("\r\n");
    QString s = dialecto::QuitarTodo(script, QStringLiteral("SET NOCOUNT ON"));
    s = dialecto::QuitarTodo(s, QStringLiteral("SET NOCOUNT OFF"));
    s = ReemplazarTodo(s, QStringLiteral(" GO "), QStringLiteral(" "));
    // Applied twice like every runner of the suite does; the blank put in cannot start a new
    // separator, so the second pass is harmless.
    s = ReemplazarTodo(s, crlf + QStringLiteral("GO "), QStringLiteral(" "));
    s = ReemplazarTodo(s, crlf + QStringLiteral("GO "), QStringLiteral(" "));
    s = ReemplazarTodo(s, crlf + QStringLiteral("GO") + crlf, QStringLiteral(" "));
    s = ReemplazarTodo(s, QStringLiteral("\r"), QStringLiteral(" "));
    s = ReemplazarTodo(s, crlf, QStringLiteral(" "));
    // Longer spellings first, so that "BEGIN TRANSACTION" does not become "SET TRANSACTIONACTION".
    s = ReemplazarTodo(s, QStringLiteral("BEGIN TRANSACTION"), QStringLiteral("SET TRANSACTION"));
    s = ReemplazarTodo(s, QStringLiteral("BEGIN TRANS"), QStringLiteral("SET TRANSACTION"));
    s = ReemplazarTodo(s, QStringLiteral("COMMIT TRANSACTION"), QStringLiteral("COMMIT"));
    s = ReemplazarTodo(s, QStringLiteral("COMMIT TRANS"), QStringLiteral("COMMIT"));
    s = ReemplazarTodo(s, QStringLiteral("ROLLBACK TRANSACTION"), QStringLiteral("ROLLBACK"));
    s = ReemplazarTodo(s, QStringLiteral("ROLLBACK TRANS"), QStringLiteral("ROLLBACK"));
    return s;
}

QString DepuraSentencia(QString& sentencia) {
    if (ContieneTexto(sentencia, QStringLiteral("SET NOCOUNT")) || ContieneTexto(sentencia, QStringLiteral("IF NOT EXIST"))) {
        sentencia.clear();
        return QString();
    }
    return sentencia;
}

std::optional<PasoGuion> SiguientePaso(const QString& script, const QString& cadenaConexion) {
    const qsizetype inicio = PrimeraClave(script, 0);
    if (inicio < 0) return std::nullopt;
    const qsizetype fin = PrimeraClave(script, inicio + 1);

    PasoGuion paso;
    QString sentencia = QuitarBlancos(fin < 0 ? script.mid(inicio) : script.mid(inicio, fin - inicio));
    paso.resto = fin < 0 ? QString() : script.mid(fin);

    if (Es(sentencia, "SET TRANSACTION")) {
        paso.accion = AccionGuion{AccionGuion::Tipo::IniciarTransaccion, sentencia};
    } else if (Es(sentencia, "COMMIT")) {
        paso.accion = AccionGuion{AccionGuion::Tipo::ConfirmarTransaccion, sentencia};
    } else if (Es(sentencia, "ROLLBACK")) {
        paso.accion = AccionGuion{AccionGuion::Tipo::DeshacerTransaccion, sentencia};
    } else {
        QString oracle = dialecto::ORACLE_Dicc(sentencia, cadenaConexion);
        const QString depurada = DepuraSentencia(oracle);
        if (!QuitarBlancos(depurada).isEmpty()) paso.accion = AccionGuion{AccionGuion::Tipo::Ejecutar, depurada};
    }
    return paso;
}

QList<AccionGuion> DividirGuion(QString& script, const QString& cadenaConexion) {
    QList<AccionGuion> acciones;
    script = NormalizarGuion(script);
    while (auto paso = SiguientePaso(script, cadenaConexion)) {
        if (paso->accion) acciones << *paso->accion;
        script = paso->resto;
    }
    return acciones;
}

}  // namespace guion
