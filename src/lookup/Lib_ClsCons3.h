#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>

class Lib_FrmCons3;
class Lib_FrmCons3Tree;

// The lookup engine: the one entry point through which the program asks the operator to pick a
// value — a code from a table, one option of a list, several options of a check-list, or a line
// of a text file. One instance for the whole run.
class Lib_ClsCons3 {
public:
    static Lib_ClsCons3& instancia();
    Lib_ClsCons3();
    ~Lib_ClsCons3();

    // Results.
    QVariant ValorDevuelto;              // the accepted row's CampoDevuelto value; "" after a cancel
    std::optional<QStringList> Valores;  // std::nullopt ("nothing") after a cancel
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
    bool UsaConsultaLike = false;

    // The statement the last lookup handed to its window (diagnosis and tests).
    QString UltimaSentencia;

    // Sql: a SELECT statement or a bare table name. CmpsDevueltos: columns whose values go to
    // Valores for the accepted row (may be null; emptied afterwards).
    // CampoBusqueda and Where are in/out.
    void ConsultaSearch(const QString& Sql, QStringList* CmpsDevueltos, const QString& Clave, QString& CampoBusqueda,
                        QString& Where, const QString& SentenciaOpcional, bool TreeView, const QString& ValoresDefault);
    // Convenience overload for callers that pass empty CampoBusqueda and Where.
    void ConsultaSearch(const QString& Sql, bool TreeView);

    QString MenuOpciones(const QString& Titulo, const QStringList& opciones);
    // Each option's first character is its initial state ("1" checked); the checked texts end in Valores.
    void CheckOpciones(const QString& Titulo, const QStringList& opciones);
    QString ConsultaDesdeArchivo(const QString& Titulo, const QString& QueArchivo, const QString& Separador = QString());
    void GrabaConsultaDefault() {}

    // The row limit of every statement the engine builds ("TopConsArt", 1000 when 0 or not a number).
    static int TopeConsulta();

private:
    // The statement for a request, or std::nullopt when the lookup must end here.
    std::optional<QString> ArmarSentencia(const QString& Sql, QString& CampoBusqueda, QString& Where,
                                          const QString& SentenciaOpcional);
    std::optional<QString> DesdeMascara(const QString& Sql, QString& CampoBusqueda, const QString& Where, int tope,
                                        bool& encontrada);
    QString ArmaConsultaGenerica(const QString& Sql, QString& CampoBusqueda, const QString& Where,
                                 const QString& SentenciaOpcional, int tope);
    QString Opciones(const QString& Titulo, const QStringList& textos, const QVector<bool>& marcas, bool casillas,
                     int largoMaximo);

    std::unique_ptr<Lib_FrmCons3> lista_;
    std::unique_ptr<Lib_FrmCons3Tree> arbol_;
};
