#pragma once

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Data changes are written as SQL text: a caller collects the columns of one row as field/value
// pairs (AgregaCampo), turns them into an INSERT or UPDATE appended to a statement list
// (ArmaSentencia), and runs the whole list as one transaction (GActualizarDatoScript).

// One pending field: its name and its value, already an SQL literal or the word "Null".
using CampoPendiente = QPair<QString, QString>;
using ListaCampos = QList<CampoPendiente>;

// The pending field list shared by every caller in turn.
ListaCampos& gCampos();
// The access record's statement list.
QStringList& gSentencias();

// Adds one field. Every "'" is removed from Valor (the caller's variable too). A value "NULL" in
// any letter case becomes the unquoted word Null; anything else the literal SQLValue gives.
void AgregaCampo(const QString& Campo, QString& Valor, const QString& Tipo, bool Nuevo);
inline void AgregaCampo(const QString& Campo, const QString& Valor, const QString& Tipo, bool Nuevo) {
    QString v = Valor;
    AgregaCampo(Campo, v, Tipo, Nuevo);
}
// Builds an INSERT (or an UPDATE with Where) from the field list and appends it, followed by an
// empty entry, to the statement list. Unless Conservar, the field list is emptied afterwards.
void ArmaSentencia(ListaCampos& campos, QStringList& sentencias, const QString& Tabla, bool EsUpdate, QString& Where,
                   bool Conservar);
// Appends "(names) VALUES (values)" to Texto; with Borrar the field list is emptied.
void ArmaInsert(QString& Texto, ListaCampos& campos, bool Borrar);

// Runs the statement list as one transaction. Fallo, ErrorNativo, Script and Mensajes receive the
// outcome; a duplicate key (2627) or reference (547) error is handed to the caller in its own
// words when asked to.
void GActualizarDatoScript(const QStringList& sentencias, bool& Fallo, long& ErrorNativo, bool AvisarDuplicado,
                           bool AvisarReferencia, QString& Script, QString& Mensajes, bool MostrarMensaje);

// The row-limit rewrite for Oracle connections.
QString AdaptaSQLPlataforma(const QString& texto);

QDateTime FechaServidor();
// Format texts of the suite (Visual Basic format syntax) and their application to a date.
inline QString FmtFechaHora() {
    return QStringLiteral("dd/mm/yy hh:mm");
}
inline QString FmtFecha() {
    return QStringLiteral("dd/mm/yy");
}
inline QString FmtHora() {
    return QStringLiteral("hh:mm");
}
QString Formatear(const QDateTime& momento, const QString& formatoVB);

bool ExisteArchivo(const QString& ruta);
void AbrirEnlace(const QString& Enlace, bool Minimizado);

// Appends the suite's default entries to the lookup definition file at ruta.
void ArmaConsultasDefault(const QString& ruta);
