#include "core/MascaraConsulta.h"

#include "services/CodePage.h"
#include "services/FuncionesComunes.h"

namespace {
QByteArray Campo(const QString& texto, int largo) {
    QByteArray b = cp1252::Codificar(texto.trimmed()).left(largo);
    b.append(QByteArray(largo - b.size(), ' '));
    return b;
}
}  // namespace

QByteArray MascaraConsulta::Serializar() const {
    return Campo(Titulo, 100) + Campo(Tabla, 100) + Campo(Campos, 500) + Campo(Filtro, 500) + QByteArrayLiteral("\r\n");
}

bool MascaraConsulta::Leer(const QByteArray& bytes, MascaraConsulta& m) {
    if (bytes.size() < kLargo) return false;
    auto& fc = FuncionesComunes::instancia();
    m.Titulo = fc.LimpiarCampoFijo(cp1252::Decodificar(bytes.mid(0, 100)));
    m.Tabla = fc.LimpiarCampoFijo(cp1252::Decodificar(bytes.mid(100, 100)));
    m.Campos = fc.LimpiarCampoFijo(cp1252::Decodificar(bytes.mid(200, 500)));
    m.Filtro = fc.LimpiarCampoFijo(cp1252::Decodificar(bytes.mid(700, 500)));
    return true;
}
