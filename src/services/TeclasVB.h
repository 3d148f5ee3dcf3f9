#pragma once

#include <QKeyEvent>

// Keyboard handlers of the suite receive Visual Basic key codes; this converts Qt's keys once.
namespace teclas {

constexpr int Retroceso = 8, Tab = 9, Enter = 13, Escape = 27, Espacio = 32;
constexpr int RePag = 33, AvPag = 34, Fin = 35, Inicio = 36, Izquierda = 37, Arriba = 38, Derecha = 39, Abajo = 40;
constexpr int Insertar = 45, Suprimir = 46;
constexpr int F1 = 112, F5 = 116, F12 = 123;
constexpr int ShiftMask = 1, CtrlMask = 2, AltMask = 4;

// The VB key code of a Qt key, 0 when it has none.
int CodigoVB(int teclaQt);
// The VB shift state (1 shift, 2 ctrl, 4 alt) of Qt modifiers.
int ShiftVB(Qt::KeyboardModifiers m);
inline int CodigoVB(const QKeyEvent* e) {
    return CodigoVB(e->key());
}

}  // namespace teclas
