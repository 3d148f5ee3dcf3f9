#pragma once

#include <QMap>
#include <QString>
#include <QVariant>

class DB_Dll;

// The suite's settings: rows of the key/value table TA_CONFIGURACION shared by all its programs,
// and the copy of it in the statistics database.

// The value of a key (one blank " " when the key is missing, "" when the connection is closed);
// ValorAux receives the auxiliary value.
QString Cfg(const QString& Clave, QString& ValorAux);
QString Cfg(const QString& Clave);
QString CfgTV(const QString& Clave, QString& ValorAux);
// Writes (or, with Borrar, deletes) one row.
void GrabaCfg(const QString& Clave, const QVariant& Valor, const QString& ValorAux, bool PoliticaNegocio, const QString& Grupo,
              bool Recortar, bool Borrar);
void GrabaCfgTV(const QString& Clave, const QVariant& Valor, const QString& ValorAux, bool PoliticaNegocio, const QString& Grupo,
                bool Recortar);

// Loads the settings the suite keeps in session values, once per start.
void CargaConfiguracion(const QString& Carpeta);

struct DatosDeEmpresa {
    QString RazonSocial, Cuit, InicioActividades, IngresosBrutos, CondicionIva, PuntoVenta, Domicilio;
};
void DatosEmpresa(const QString& UnidadNegocio, DatosDeEmpresa& datos);

// Every key CargaConfiguracion read, with the session value its rule gave (kept for the suite's
// other programs; this program reads the named session values only).
QMap<QString, QVariant>& gConfiguracion();

// The statistics database object.
DB_Dll& gBaseEstadisticas();
