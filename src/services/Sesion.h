#pragma once

#include <QString>

// The session values every part of the program reads: set at start-up (parameter string,
// initialisation file, login, configuration) and kept until the program ends.
struct Sesion {
    QString gUsuarioSistema;   // logged-in user name
    QString gClaveUsuario;     // that user's password; "* *" means: take it from the user table
    QString gPuestoTrabajo;    // workstation key: COMPUTER|USER, at most 50 characters
    double gBarrasPlanas = 1;  // FlatToolbars
    QString gParametroAdicional;
    QString gMenu;
    QString gCaja = QStringLiteral("1");
    QString gCadenaODBC;
    long gColorFondo = 16777215;
    long gColorLetra = 0;
    int gTimeOut = 90;
    qint32 gIdControlAcceso = 0;

    // Configuration loaded once per start.
    QString gTablaConfiguracion;
    bool gConfidencialidad = false;  // SS_CONFIDENCIALIDAD
    bool gUtilizarFechaDia = false;  // UTILIZARFECHADIA
    QString gUnidadNegocio;
    int gCondicionIva = 1;
};

Sesion& sesion();
