#pragma once

#include "asistente/PlanAsistente.h"

#include <QString>
#include <functional>

// Writes a plan in one transaction of the shared database object: the new positions as inserts
// of many rows each with their values bound (they never become SQL text), the positions to update
// as the editor's UPDATE statements built with AgregaCampo / ArmaSentencia. A cancel from the
// progress hook, or any error of the database, rolls everything back; an error is also written to
// AUX_ERR, as a failed script of the suite is.
namespace asistente {

struct ProgresoEscritura {
    std::function<void(qint64 total)> inicio;
    // Rows written so far; false when the operator cancelled.
    std::function<bool(qint64 hechas, qint64 total)> avance;
    std::function<void()> fin;
};

struct ResultadoEscritura {
    enum class Estado { Escrito, Nada, Cancelado, Error } estado = Estado::Nada;
    qint64 insertadas = 0;
    qint64 actualizadas = 0;
    QString mensaje;  // the database's messages on an error
};

// Rows of one insert statement.
constexpr int kFilasPorInsercion = 100;

ResultadoEscritura EscribirPlan(const PlanAsistente& plan, const ProgresoEscritura& progreso = {});

}  // namespace asistente
