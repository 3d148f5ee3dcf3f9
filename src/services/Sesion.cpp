#include "services/Sesion.h"

Sesion& sesion() {
    static Sesion s;
    return s;
}
