#include "app/Programa.h"
#include "layout/FrmMa_Posic.h"

// "Definición de Layout": the warehouse-layout editor. The command line is the suite's parameter
// string (@server=...; @dbname=...; @usuario=...; @Password=...;); without one, the connection
// window asks for the connection values.
int main(int argc, char** argv) {
    return EjecutarPrograma(argc, argv, QStringLiteral("MA_POSICIONES"), [] { return std::make_unique<FrmMa_Posic>(true); });
}
