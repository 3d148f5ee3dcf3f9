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
    QString error;  // empty when the query ran
};
using LectorFilas = std::function<ResultadoLectura(const QString& sql)>;

void EstablecerLectorFilas(LectorFilas lector);
// Runs a query through the installed reader (an error result when none is installed).
ResultadoLectura LeerFilas(const QString& sql);

// The same rows handed over one at a time, for long tables whose rows need not be held twice:
// `cabecera` is called once with the columns, their types and the number of rows, and may
// refuse (false) before any row is read; `fila` is called for each row until it returns false.
struct CabeceraLectura {
    QStringList columnas;
    QVector<int> tipos;
    qint64 total = 0;
};
using Cabecera = std::function<bool(const CabeceraLectura&)>;
using FilaLeida = std::function<bool(const QVariantList&)>;
// Returns the error text; empty when the query ran (also when a callback stopped it).
using RecorridoFilas = std::function<QString(const QString& sql, const Cabecera& cabecera, const FilaLeida& fila)>;

void EstablecerRecorridoFilas(RecorridoFilas recorrido);
// Runs a query through the installed row-by-row reader; without one, through LeerFilas.
QString RecorrerFilas(const QString& sql, const Cabecera& cabecera, const FilaLeida& fila);
