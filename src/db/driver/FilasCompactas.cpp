#include "db/driver/FilasCompactas.h"

#include <QDateTime>
#include <limits>
#include <mutex>

namespace driver {

namespace {
constexpr std::int64_t kMsDia = 86400000;
}

std::int64_t FilasCompactas::CodigoFecha(const QDateTime& f) {
    return f.date().toJulianDay() * kMsDia + f.time().msecsSinceStartOfDay();
}

QDateTime FilasCompactas::Fecha(std::int64_t codigo) {
    return QDateTime(QDate::fromJulianDay(codigo / kMsDia), QTime::fromMSecsSinceStartOfDay(static_cast<int>(codigo % kMsDia)));
}

struct FilasCompactas::Reserva {
    static constexpr size_t kMaximo = 32;  // about 18 MB: a layout of 100,000 positions
    std::mutex mutex;
    std::vector<Bloque> libres;
};

FilasCompactas::Reserva& FilasCompactas::reserva() {
    static Reserva r;
    return r;
}

FilasCompactas::~FilasCompactas() {
    Reserva& r = reserva();
    std::lock_guard<std::mutex> l(r.mutex);
    for (Bloque& b : bloques_) {
        if (r.libres.size() >= Reserva::kMaximo) break;
        r.libres.push_back(std::move(b));
    }
}

void FilasCompactas::NuevoBloque() {
    {
        Reserva& r = reserva();
        std::lock_guard<std::mutex> l(r.mutex);
        if (!r.libres.empty()) {
            bloques_.push_back(std::move(r.libres.back()));
            r.libres.pop_back();
            return;
        }
    }
    Bloque b;
    // Left uninitialised: every value is written before it is read.
    b.datos.reset(new std::int64_t[kCeldasPorBloque]);
    b.clases.reset(new Clase[kCeldasPorBloque]);
    bloques_.push_back(std::move(b));
}

QVariant FilasCompactas::Valor(const Celda& c) const {
    switch (c.clase) {
        case Clase::Nulo:
            return QVariant();
        case Clase::Entero:
            if (c.entero >= std::numeric_limits<int>::min() && c.entero <= std::numeric_limits<int>::max())
                return QVariant(static_cast<int>(c.entero));
            return QVariant(static_cast<qlonglong>(c.entero));
        case Clase::Doble:
            return QVariant(c.doble);
        case Clase::Logico:
            return QVariant(c.entero != 0);
        case Clase::Texto:
            return QVariant(Texto(c));
        case Clase::Fecha:
            return QVariant(Fecha(c.entero));
        case Clase::Binario:
            return QVariant(QByteArray(Bytes(c), static_cast<qsizetype>(c.texto.largo)));
        case Clase::Otro:
            return otros.at(static_cast<qsizetype>(c.entero));
    }
    return QVariant();
}

QVector<QVector<QVariant>> FilasCompactas::Materializar() const {
    QVector<QVector<QVariant>> filas;
    const qsizetype n = Filas();
    filas.reserve(n);
    for (qsizetype f = 0; f < n; ++f) {
        QVector<QVariant> fila;
        fila.reserve(columnas_);
        for (int c = 0; c < columnas_; ++c) fila.append(Valor(f, c));
        filas.append(std::move(fila));
    }
    return filas;
}

}  // namespace driver
