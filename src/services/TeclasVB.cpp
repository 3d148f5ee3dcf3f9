#include "services/TeclasVB.h"

namespace teclas {

int CodigoVB(int k) {
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return F1 + (k - Qt::Key_F1);
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return k;  // VB codes of letters are the upper-case ASCII codes
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return k;
    switch (k) {
        case Qt::Key_Backspace:
            return Retroceso;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return Tab;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return Enter;
        case Qt::Key_Escape:
            return Escape;
        case Qt::Key_Space:
            return Espacio;
        case Qt::Key_PageUp:
            return RePag;
        case Qt::Key_PageDown:
            return AvPag;
        case Qt::Key_End:
            return Fin;
        case Qt::Key_Home:
            return Inicio;
        case Qt::Key_Left:
            return Izquierda;
        case Qt::Key_Up:
            return Arriba;
        case Qt::Key_Right:
            return Derecha;
        case Qt::Key_Down:
            return Abajo;
        case Qt::Key_Insert:
            return Insertar;
        case Qt::Key_Delete:
            return Suprimir;
        case Qt::Key_Shift:
            return 16;
        case Qt::Key_Control:
            return 17;
        case Qt::Key_Alt:
            return 18;
        default:
            return 0;
    }
}

int ShiftVB(Qt::KeyboardModifiers m) {
    int s = 0;
    if (m & Qt::ShiftModifier) s |= ShiftMask;
    if (m & Qt::ControlModifier) s |= CtrlMask;
    if (m & Qt::AltModifier) s |= AltMask;
    return s;
}

}  // namespace teclas
