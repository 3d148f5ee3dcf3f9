#include "app/Programa.h"
#include "asistente/FrmAsistente.h"

// "Asistente de Layout": a whole warehouse laid out in one step, by ranges or from a workbook. The
// command line is the suite's parameter string, as the editor's "A&sistente" passes it.
int main(int argc, char** argv) {
    return EjecutarPrograma(argc, argv, QStringLiteral("v_zormap_asistente"),
                            [] { return std::make_unique<FrmAsistente>(true); });
}
