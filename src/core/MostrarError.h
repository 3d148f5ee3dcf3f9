#pragma once

#include "services/ErrorEjecucion.h"
#include "services/Pasos.h"

#include <QString>

// The one place where a run-time error of the program ends up: a message box with the error,
// and one line appended to TVERR.LOG in the temporary folder. Returns the operator's answer
// (1 OK ... 7 No), 0 when the error number is 0.
int MostrarError(const ErrorEjecucion& error, int botones = 18, const QString& rutina = QString());

// MostrarError as the reporter of the step runner.
int ReportarMostrarError(const ErrorEjecucion& error, const QString& rutina);
