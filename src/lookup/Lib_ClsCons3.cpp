#include "lookup/Lib_ClsCons3.h"

#include "services/ErrorEjecucion.h"

Lib_ClsCons3& Lib_ClsCons3::instancia() {
    static Lib_ClsCons3 m;
    return m;
}

void Lib_ClsCons3::ConsultaSearch(const QString& Sql, QStringList*, const QString&, QString&, QString&, const QString&, bool,
                                  const QString&) {
    throw ErrorEjecucion(errnum::InvalidProcedureCall, QStringLiteral("Consulta no disponible: ") + Sql);
}

void Lib_ClsCons3::ConsultaSearch(const QString& Sql, bool TreeView) {
    QString campo, where;
    ConsultaSearch(Sql, nullptr, QString(), campo, where, QString(), TreeView, QString());
}

QString Lib_ClsCons3::MenuOpciones(const QString&, const QStringList&) { return QString(); }
void Lib_ClsCons3::CheckOpciones(const QString&, const QStringList&) {}
QString Lib_ClsCons3::ConsultaDesdeArchivo(const QString&, const QString&, const QString&) { return QString(); }
