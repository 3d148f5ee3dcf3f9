#include "app/Programa.h"
#include "diagrama/FrmDiagrama.h"

#include <QApplication>

// "Diagrama de Layout": the selected warehouse drawn as it stands, searchable and printable. Started
// by the editor's "Diagrama" button with the session's parameter string, or by hand with one;
// without one, the connection window asks for the connection values.
int main(int argc, char** argv) {
    return EjecutarPrograma(argc, argv, QStringLiteral("v_zormap_Diagrama"), [] {
        // The desktop shows the program's own name beside its windows, not the editor's.
        QApplication::setApplicationDisplayName(QStringLiteral("Diagrama de Layout"));
        return std::make_unique<diagrama::FrmDiagrama>(true);
    });
}
