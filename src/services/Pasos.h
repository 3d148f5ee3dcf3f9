#pragma once

#include "services/ErrorEjecucion.h"

#include <QString>
#include <functional>
#include <type_traits>
#include <utility>
#include <vector>

// The one mechanism behind every local error handler of the program.
//
// A procedure is written as a list of steps. When a step raises ErrorEjecucion, the reporter is
// asked with the routine name and the error, and its answer decides: 4 (retry) runs the failed
// step again, 5 (ignore) goes on with the next step, anything else leaves the procedure normally.
// A step may return bool: false ends the procedure normally after that step (an early return).
namespace pasos {

constexpr int Reintentar = 4;
constexpr int Ignorar = 5;

using Reportero = std::function<int(const ErrorEjecucion&, const QString& rutina)>;
using Paso = std::function<bool()>;

enum class Resultado {
    Completo,   // every step ran (or a step ended the procedure early)
    Abandonado  // the reporter answered neither retry nor ignore
};

Resultado Ejecutar(const QString& rutina, const Reportero& reportero, const std::vector<Paso>& lista);

// The "errors skipped step by step" variant: every failing step is ignored silently.
Resultado EjecutarSilencioso(const std::vector<Paso>& lista);

// A reporter that answers ignore without showing anything.
int Silencioso(const ErrorEjecucion&, const QString&);

// The reporter of a program's start-up, which cannot go on half-loaded: an invalid argument (5) is
// skipped; any other error is shown with `mostrar` and ends the program.
Reportero AlArrancar(std::function<void(const ErrorEjecucion&, const QString& rutina)> mostrar);

template <class F>
Paso paso(F&& f) {
    if constexpr (std::is_same_v<std::invoke_result_t<F>, bool>) {
        return Paso(std::forward<F>(f));
    } else {
        return [g = std::forward<F>(f)]() mutable {
            g();
            return true;
        };
    }
}

template <class... F>
Resultado Pasos(const QString& rutina, const Reportero& reportero, F&&... f) {
    return Ejecutar(rutina, reportero, std::vector<Paso>{paso(std::forward<F>(f))...});
}

template <class... F>
Resultado Silenciosos(F&&... f) {
    return EjecutarSilencioso(std::vector<Paso>{paso(std::forward<F>(f))...});
}

}  // namespace pasos
