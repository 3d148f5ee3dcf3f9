#include "services/ErrorEjecucion.h"

#include <utility>

ErrorEjecucion::ErrorEjecucion(long numero, QString descripcion, QString origen)
    : Number(numero), Description(std::move(descripcion)), Source(origen.isEmpty() ? kProyecto : std::move(origen)) {}

const char* ErrorEjecucion::what() const noexcept {
    what_ = QStringLiteral("%1 %2").arg(Number).arg(Description).toStdString();
    return what_.c_str();
}
