#pragma once

#include <QString>

// Where the suite's programs keep their files (the embedded databases, consultas.tvx,
// CONSULTASLEN.TVX, BASES.TXT, TVERR.LOG, QM210ax.INI, the label layouts). Every program of this
// project and the demo builder ask this one place, so they all work on the same folder.
struct LugaresPrograma {
    QString variable;     // MA_POSICIONES_CARPETA: when set, the folder, whatever it is
    QString ejecutables;  // the folder of the running executable
    QString compartida;   // the read-only files an installation ships (<prefix>/share/ma-posiciones)
    QString usuario;      // the per-user folder
};

// The places of this machine: the variable, the executable's folder, the shipped folder beside it
// (../share/ma-posiciones of the executable's folder) and the per-user data folder of the desktop
// (~/.local/share/ma-posiciones): the AppDataLocation of one application, "ma-posiciones", since the
// three programs, which have names of their own, must share it.
LugaresPrograma LugaresDelEquipo();

// The program folder, without a trailing separator. The variable wins. Otherwise the executable's
// folder, as the suite's programs have it, when it can be written and is not an installed bin/
// folder (one with the shipped folder beside it: there only executables belong, whoever runs the
// program). Otherwise the per-user folder, created when missing and completed with the shipped
// files it lacks: a file already there is never replaced, so a label layout the site changed
// stays as it is.
QString DecidirCarpetaPrograma(const LugaresPrograma& lugares);
QString DecidirCarpetaPrograma();
