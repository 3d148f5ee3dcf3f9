#pragma once

#include "db/DialogoConexion.h"

#include <QString>
#include <deque>

// A scripted connection window: each time it is shown it takes the next queued answer, records
// what it was loaded with and, when accepting, copies the typed user and password into the
// session as the real window's "Conectar" does.
class DialogoGuion {
public:
    struct Respuesta {
        bool aceptar = true;
        QString baseDatos, servidor, usuario, clave;
        int plataforma = 0;
    };
    struct Carga {
        QString baseDatos, servidor, usuario, clave;
        int plataforma = 0;
    };

    DialogoGuion();   // installs itself as the connection window
    ~DialogoGuion();  // and removes itself

    void Encolar(const Respuesta& r) { respuestas_.push_back(r); }
    int VecesMostrado() const { return mostrado_; }
    const std::deque<Carga>& Cargas() const { return cargas_; }

private:
    friend class DialogoDoble;
    std::deque<Respuesta> respuestas_;
    std::deque<Carga> cargas_;
    int mostrado_ = 0;
    FabricaDialogoConexion anterior_;
};
