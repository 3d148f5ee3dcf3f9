#pragma once

#include <memory>

namespace driver {

// While the embedded database waits for a lock another workstation holds (a long save, a backup),
// it waits in short slices and asks this, between slices, whether to go on; the program answers
// from its window, which repaints meanwhile and offers a cancel. Without one installed the wait
// simply runs its course.
class EsperaOcupada {
public:
    virtual ~EsperaOcupada() = default;
    // transcurridoMs of limiteMs have been waited; false stops waiting (the operator gave up), and
    // the statement then fails as a busy database.
    virtual bool Seguir(int transcurridoMs, int limiteMs) = 0;
    // Called after every call of the database: a wait, if there was one, is over.
    virtual void Terminar() = 0;
};

void EstablecerEsperaOcupada(std::shared_ptr<EsperaOcupada> espera);
EsperaOcupada* esperaOcupada();

}  // namespace driver
