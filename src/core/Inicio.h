#pragma once

#include <QString>
#include <functional>

class QWidget;

// The start-up every program of the suite runs from its first window: session values from the
// parameter string (or QM210ax.INI), the shared and statistics connections, the lookup settings,
// the session configuration, the login and the access record. When it cannot reach that state it
// ends the program.
void IniciarAplicacion(bool LeerIni, const QString& Parametros, QString& CadenaConexion, long Cursor);
// The suite icon and toolbar style for a window; every error is ignored.
void AplicaEstiloVentana(QWidget* Ventana);
// Starts another program of the suite with the session's parameter string.
void MenuExes(const QString& Programa, QString& ParametroAdicional, qint64& IdProceso);

// Settings the start-up hands to the lookup engine (which reads them when it is created).
struct AjustesConsultas {
    QString gConnString;
    bool gUsarMascarasConsultas = false;
    QString gRutaMascaraConsultas;
};
AjustesConsultas& gAjustesConsultas();

// Called with the program folder once the connection is open (the label printer takes it).
void EstablecerAvisoCarpetaInforme(std::function<void(const QString&)> aviso);
