#pragma once

#include <QByteArray>
#include <QString>

// One record of the lookup definition file consultas.tvx: fixed 1202 bytes in the suite's
// single-byte code page — title (100), table (100), columns (500), filter (500), CR LF.
struct MascaraConsulta {
    static constexpr int kLargo = 1202;
    QString Titulo;
    QString Tabla;
    QString Campos;
    QString Filtro;

    QByteArray Serializar() const;
    // Reads one record; false when the bytes are not a whole record.
    static bool Leer(const QByteArray& bytes, MascaraConsulta& m);
};
