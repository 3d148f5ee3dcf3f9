#pragma once

#include <QString>
#include <functional>

// How a long job of the services shows its progress and hears a cancel: the program installs its
// progress banner as these hooks (the services cannot reach it). `inicio` is called once with the
// title before the work starts, `avance` now and then with what is done and the total, and returns
// false when the operator cancelled; `fin` once at the end, whatever the outcome. Hooks left empty
// show nothing.
struct Progreso {
    std::function<void(const QString& titulo)> inicio;
    std::function<bool(qint64 hechas, qint64 total)> avance;
    std::function<void()> fin;
};
