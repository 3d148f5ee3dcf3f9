#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

// What every program of this project does before and after its first window: the Qt application,
// Qt's own dialogs in Spanish, the desktop platform with the program folder and the executable
// name, the connection window, the row readers of the print and export services, the progress
// banner of long exports. The first window runs the suite's start-up from its load, as the editor
// does; the event loop runs until the program ends.
int EjecutarPrograma(int argc, char** argv, const QString& ejecutable, const std::function<std::unique_ptr<QWidget>()>& ventana);

// Everything above but the application, the window and the event loop (the application must
// exist); tests and EjecutarPrograma share it.
void PrepararPrograma(const QString& ejecutable);
