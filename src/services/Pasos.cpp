#include "services/Pasos.h"

#include "services/Plataforma.h"

namespace pasos {

int Silencioso(const ErrorEjecucion&, const QString&) {
    return Ignorar;
}

Reportero AlArrancar(std::function<void(const ErrorEjecucion&, const QString& rutina)> mostrar) {
    return [mostrar = std::move(mostrar)](const ErrorEjecucion& e, const QString& rutina) -> int {
        if (e.Number == errnum::InvalidProcedureCall) return Ignorar;
        mostrar(e, rutina);
        plataforma().Terminar(1);
        return 0;
    };
}

Resultado Ejecutar(const QString& rutina, const Reportero& reportero, const std::vector<Paso>& lista) {
    for (std::size_t i = 0; i < lista.size();) {
        int respuesta = 0;
        try {
            if (!lista[i]()) return Resultado::Completo;
            ++i;
            continue;
        } catch (const ErrorEjecucion& e) {
            respuesta = reportero ? reportero(e, rutina) : 0;
        } catch (const std::exception& e) {
            // A failure of the standard library (allocation, conversion) is treated as the run-time
            // error it would have been in the suite, so the operator still decides what happens.
            respuesta = reportero ? reportero(ErrorEjecucion(51, QString::fromLocal8Bit(e.what())), rutina) : 0;
        }
        if (respuesta == Reintentar) continue;
        if (respuesta != Ignorar) return Resultado::Abandonado;
        ++i;
    }
    return Resultado::Completo;
}

Resultado EjecutarSilencioso(const std::vector<Paso>& lista) {
    return Ejecutar(QString(), Silencioso, lista);
}

}  // namespace pasos
