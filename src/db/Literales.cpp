#include "db/Literales.h"

#include "services/FuncionesComunes.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>
#include <initializer_list>
#include <optional>

namespace literales {

namespace {

bool EsNulo(const QVariant& v) {
    return !v.isValid() || v.isNull();
}

// The type code a variant holds: an integral number, or a text that is one. Booleans, fractions
// and any other text are no type code.
std::optional<qlonglong> Codigo(const QVariant& q) {
    if (EsNulo(q)) return std::nullopt;
    switch (q.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::SChar:
        case QMetaType::UChar:
            return q.toLongLong();
        case QMetaType::Double:
        case QMetaType::Float: {
            const double d = q.toDouble();
            if (!std::isfinite(d) || d != std::floor(d) || std::fabs(d) > 1e15) return std::nullopt;
            return static_cast<qlonglong>(d);
        }
        case QMetaType::QString:
        case QMetaType::QByteArray: {
            static const QRegularExpression entero(QStringLiteral("^-?[0-9]{1,15}$"));
            const QString t = q.toString().trimmed();
            if (!entero.match(t).hasMatch()) return std::nullopt;
            return t.toLongLong();
        }
        default:
            return std::nullopt;
    }
}

bool EsUno(const QVariant& q, std::initializer_list<int> codigos) {
    const auto c = Codigo(q);
    if (!c) return false;
    for (int k : codigos)
        if (*c == k) return true;
    return false;
}

// A number in its shortest decimal form with a point, never in exponent form (it goes into SQL).
QString TextoDecimal(double d) {
    if (d == 0.0 || !std::isfinite(d)) return QStringLiteral("0");
    return QString::number(d, 'f', QLocale::FloatingPointShortest);
}

}  // namespace

bool adodate(const QVariant& Qtype) {
    return EsUno(Qtype, {7, 64, 133, 134, 135, 137});
}

QString ADOComilla(const QVariant& Qtype) {
    return adodate(Qtype) || ADOText(Qtype) ? QStringLiteral("'") : QString();
}

bool ADOText(const QVariant& Qtype) {
    return EsUno(Qtype, {8, 129, 130, 200, 201, 202, 203});
}

bool ADONumeric(const QVariant& Qtype) {
    return EsUno(Qtype, {2, 3, 4, 5, 14, 16, 17, 18, 19, 20, 21, 131});
}

bool ADOCurrency(const QVariant& Qtype) {
    return EsUno(Qtype, {6});
}

bool ADOBoolean(const QVariant& Qtype) {
    return EsUno(Qtype, {11});
}

QString SQLValue(const QVariant& Valor, const QString& Tipo) {
    const FuncionesComunes& fc = FuncionesComunes::instancia();
    const bool numero = Tipo == QLatin1String("@");
    QString cuerpo;
    bool nulo = EsNulo(Valor);
    if (numero) {
        // The value may come as a number or as the operator's text ("12,5"): both read the same.
        const double n = fc.ValorNumerico(nulo ? QStringLiteral("0") : fc.TextoCampo(Valor));
        cuerpo = fc.ReemplazarTexto(TextoDecimal(n), QStringLiteral(","), QStringLiteral("."));
        nulo = false;
    } else if (!nulo) {
        cuerpo = fc.TextoCampo(Valor);
    }
    if (nulo) return QStringLiteral("NULL");
    if (Tipo == QLatin1String("'")) return QLatin1Char('\'') + cuerpo + QLatin1Char('\'');
    return cuerpo;
}

QString SQLValue2(const QVariant& Valor, const QString& Tipo) {
    return SQLValue(Valor, Tipo);
}

QString stSTF(QString& rsName, bool rnPart) {
    const qsizetype puntos = rsName.count(QLatin1Char('.'));
    if (puntos == 0) return rsName;
    if (puntos == 1) {
        const qsizetype p = rsName.indexOf(QLatin1Char('.'));
        return rnPart ? rsName.mid(p + 1) : rsName.left(p);
    }
    return StripOwner(rsName);
}

QString AddBrackets(const QString& rObjName) {
    if (rObjName.contains(QLatin1Char(' ')) && !rObjName.startsWith(QLatin1Char('[')))
        return QLatin1Char('[') + rObjName + QLatin1Char(']');
    return rObjName;
}

QString StripConnect(const QString& rsTblName) {
    const qsizetype p = rsTblName.indexOf(QLatin1String("->"));
    if (p < 0) return rsTblName;
    // "->" at the very start leaves no character to drop: the neutral empty text.
    if (p == 0) return QString();
    return rsTblName.left(p - 1);
}

QString StripBrackets(const QString& rsObjName) {
    if (!rsObjName.startsWith(QLatin1Char('['))) return rsObjName;
    if (rsObjName.size() < 2) return QString();
    return rsObjName.mid(1, rsObjName.size() - 2);
}

QString StripOwner(QString& rsTblName) {
    const qsizetype p = rsTblName.indexOf(QLatin1Char('.'));
    if (p < 0) return rsTblName;
    rsTblName = rsTblName.mid(p + 1);
    return rsTblName;
}

QString StripFileName(const QString& rsFileName) {
    const qsizetype p = rsFileName.lastIndexOf(QLatin1Char('\\'));
    if (p < 0) return QString();
    return rsFileName.left(p);
}

QString TextoNumero(const QString& v) {
    return TextoDecimal(FuncionesComunes::instancia().Val(v));
}

}  // namespace literales
