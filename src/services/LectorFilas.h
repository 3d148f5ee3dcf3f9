#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>

// How the services that print and export reach the database without depending on it: the
// program installs, at start-up, a reader that runs a query through its shared database object.
struct ResultadoLectura {
    QStringList columnas;
    QVector<int> tipos;  // ADO type number of each column
    QVector<QVariantList> filas;
    QString error;       // empty when the query ran
};
using LectorFilas = std::function<ResultadoLectura(const QString& sql)>;

void EstablecerLectorFilas(LectorFilas lector);
// Runs a query through the installed reader (an error result when none is installed).
ResultadoLectura LeerFilas(const QString& sql);
