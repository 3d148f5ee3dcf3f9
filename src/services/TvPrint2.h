#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// The suite's printing library: its report object prints a report file for the rows a selection
// formula picks.
class TvPrint2 {
public:
    static TvPrint2& instancia();

    // The folder where report files are looked for (the program folder).
    void SetCarpetaInformes(const QString& carpeta) { carpeta_ = carpeta; }
    QString CarpetaInformes() const { return carpeta_; }

    // Prints the report file for the rows the formula selects, after a preview in which the
    // operator picks a printer or saves a PDF.
    void ImprimirReporte(const QString& Reporte, const QStringList& Parametros, const QString& Formula, const QString& Conexion,
                         QString& Texto1, QString& Texto2, QString& Texto3, QString& Texto4, const QVariant& Omitido,
                         const QString& Texto5, const QString& Texto6, const QString& Texto7);

private:
    QString carpeta_;
};
