#include "layout/ValoresPosicion.h"

#include "db/DB_Dll.h"
#include "services/FuncionesComunes.h"

#include <QDate>

namespace {

// A number as the database reads it back: a point as decimal separator, no grouping.
QString TextoNumero(double v) {
    return QString::number(v, 'g', 15);
}

}  // namespace

QString ValorColumnaPosicion(const QString& dato, int tipo, int tamano, const QString& texto) {
    auto& fc = FuncionesComunes::instancia();
    const QString limpio = texto.trimmed();
    if (DB_Dll::ADOText(tipo)) {
        if (limpio.isEmpty()) return QStringLiteral("Null");
        return tamano > 0 ? fc.LimitarTexto(limpio, tamano) : limpio;
    }
    if (DB_Dll::adodate(tipo)) {
        const QDate f = QDate::fromString(limpio, QStringLiteral("dd/MM/yyyy"));
        return f.isValid() ? f.toString(QStringLiteral("yyyy-MM-dd")) : QStringLiteral("Null");
    }
    if (DB_Dll::ADOCurrency(tipo)) return TextoNumero(fc.ValorNumerico(limpio));
    if (DB_Dll::ADONumeric(tipo)) {
        double v = fc.ValorNumerico(limpio);
        if (dato.trimmed().compare(QLatin1String("Capacidad"), Qt::CaseInsensitive) == 0 && v == 0) v = 999999;
        return TextoNumero(v);
    }
    return fc.TextoCampo(fc.ConvertirValor(texto));
}
