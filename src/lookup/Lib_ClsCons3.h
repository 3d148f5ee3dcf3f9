#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

// The lookup engine: the one entry point through which the program asks the operator to pick a
// value — a code from a table, one option of a list, several options of a check-list, or a line
// of a text file. One instance for the whole run.
class Lib_ClsCons3 {
public:
    static Lib_ClsCons3& instancia();

    // Results.
    QVariant ValorDevuelto;                // the accepted row's CampoDevuelto value; "" after a cancel
    std::optional<QStringList> Valores;    // std::nullopt ("nothing") after a cancel
    std::optional<QVariantList> Cantidades;

    // Per-lookup settings (cleared when a lookup ends).
    QString CampoDevuelto;
    bool Checks = false;
    // Persistent settings.
    bool UsaCantidades = false;
    QString gConnString;
    QString gRutaMascaraConsultas;
    bool gUsarMascarasConsultas = false;
    QString MuestraStock;
    QVariant StkNivel1, StkNivel2, StkNivel3, StkNivel4;

    // Sql: a SELECT statement or a bare table name. CmpsDevueltos: columns whose values go to
    // Valores for the accepted row (may be null; emptied and set to null afterwards).
    // CampoBusqueda and Where are in/out.
    void ConsultaSearch(const QString& Sql, QStringList* CmpsDevueltos, const QString& Clave, QString& CampoBusqueda, QString& Where,
                        const QString& SentenciaOpcional, bool TreeView, const QString& ValoresDefault);
    // Convenience overload for callers that pass empty CampoBusqueda and Where.
    void ConsultaSearch(const QString& Sql, bool TreeView);

    QString MenuOpciones(const QString& Titulo, const QStringList& opciones);
    void CheckOpciones(const QString& Titulo, const QStringList& opciones);
    QString ConsultaDesdeArchivo(const QString& Titulo, const QString& QueArchivo, const QString& Separador = QString());
    void GrabaConsultaDefault() {}
};
