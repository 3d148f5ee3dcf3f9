#pragma once

#include <QString>

// Application users are checked against TA_USUARIOS, apart from the database login.
bool ValidaUsuario(const QString& Usuario, const QString& Clave);

enum class ResultadoLogin { Aceptado, Reabrir };
// The three tries in the connection window after a rejected login. Ends the program when the
// window is cancelled or after three rejections. Reabrir: the operator typed another database or
// server (returned in baseDatos / servidor), which must be opened.
ResultadoLogin ReintentoLogin(QString& baseDatos, QString& servidor);

// The access record: one Control_Acceso row per session, its exit time stamped at the end.
void RegistraIngreso(const QString& Programa);
void RegistraEgreso();
