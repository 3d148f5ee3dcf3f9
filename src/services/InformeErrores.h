#pragma once

#include "services/ErrorEjecucion.h"

#include <QDateTime>
#include <QString>

// The error report shared by the program's three reporters (MostrarError, the database object's
// TratamientoErrores and ErrorRutina of the common service object): one message box and one line
// appended to the error log TVERR.LOG. They differ only in the title suffix, in where the log is
// and in whether the log is opened before the box is shown.
namespace informe {

struct Opciones {
    QString sufijoTitulo;    // " Aviso al operador!!! - 2 " or " Aviso al operador!!! - 5 "
    QString rutaLog;         // full path of the log file
    bool abrirAntes = true;  // open (and so create) the log before looking at the error number
};

constexpr int EstiloPorDefecto = 18;  // Abort/Retry/Ignore with the critical icon

QString TextoMensaje(const ErrorEjecucion& e);
QString Titulo(const ErrorEjecucion& e, const QString& rutina, const QString& sufijo);
QString PalabraRespuesta(int respuesta);
QString LineaLog(const QDateTime& momento, const QString& rutina, const QString& mensaje, int respuesta);

// Shows the box and appends the log line; returns the answer, 0 when the error number is 0.
// Nothing inside fails: a log that cannot be written costs the line, never the answer.
int Informar(const ErrorEjecucion& e, int botones, const QString& rutina, const Opciones& opciones);

// The log folder of the common error report: the "tmp" folder when "temp" is set, otherwise the
// fallback folder; always with a trailing separator.
QString CarpetaLogTemporal();

}  // namespace informe
