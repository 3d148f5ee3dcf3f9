#include "app/Programa.h"
#include "diagrama/FrmDiagrama.h"

// "Diagrama de Layout": the selected warehouse drawn as it stands, searchable and printable. Started
// by the editor's "Diagrama" button with the session's parameter string, or by hand with one;
// without one, the connection window asks for the connection values.
int main(int argc, char** argv) {
    return EjecutarPrograma(argc, argv, QStringLiteral("v_zormap_Diagrama"),
                            [] { return std::make_unique<diagrama::FrmDiagrama>(true); });
}
