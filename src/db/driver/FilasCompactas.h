#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace driver {

// The rows of a large result kept compact: nine bytes per value (an 8-byte payload and a kind), in
// blocks of 65,536 values that are filled once and never moved; texts as UTF-8 in one shared buffer (a
// text equal to the one above it in its column is stored once); a QVariant is made only when a
// value is read. A record set of 100,000 positions then costs a few dozen allocations instead of
// one per row and per text, which was most of the time of reading it.
class FilasCompactas {
public:
    enum class Clase : std::uint8_t { Nulo, Entero, Doble, Logico, Texto, Fecha, Binario, Otro };
    struct Celda {
        union {
            std::int64_t entero;  // Entero, Logico; Fecha: milliseconds from the start of Julian day 0; Otro: index in otros
            double doble;
            struct {
                std::uint32_t desde;
                std::uint32_t largo;
            } texto;  // Texto, Binario: bytes in `bytes`
        };
        Clase clase;

        Celda() : entero(0), clase(Clase::Nulo) {}
    };

    explicit FilasCompactas(int columnas = 0) : columnas_(columnas) {}
    ~FilasCompactas();
    FilasCompactas(const FilasCompactas&) = delete;
    FilasCompactas& operator=(const FilasCompactas&) = delete;

    int Columnas() const { return columnas_; }
    qsizetype Filas() const { return columnas_ ? static_cast<qsizetype>(celdas_ / static_cast<size_t>(columnas_)) : 0; }

    // Appends the next value (rows are filled column after column, row after row).
    void Agregar(const Celda& c) {
        if ((celdas_ & (kCeldasPorBloque - 1)) == 0) NuevoBloque();
        Bloque& b = bloques_.back();
        const size_t k = celdas_ & (kCeldasPorBloque - 1);
        b.datos[k] = c.entero;
        b.clases[k] = c.clase;
        ++celdas_;
    }
    Celda At(qsizetype fila, int columna) const {
        const size_t n = static_cast<size_t>(fila) * columnas_ + columna;
        const Bloque& b = bloques_[n / kCeldasPorBloque];
        const size_t k = n & (kCeldasPorBloque - 1);
        Celda c;
        c.entero = b.datos[k];
        c.clase = b.clases[k];
        return c;
    }
    void Fijar(qsizetype fila, int columna, const Celda& c) {
        const size_t n = static_cast<size_t>(fila) * columnas_ + columna;
        Bloque& b = bloques_[n / kCeldasPorBloque];
        const size_t k = n & (kCeldasPorBloque - 1);
        b.datos[k] = c.entero;
        b.clases[k] = c.clase;
    }

    // Texts and binaries.
    std::string bytes;
    const char* Bytes(const Celda& c) const { return bytes.data() + c.texto.desde; }
    QString Texto(const Celda& c) const { return QString::fromUtf8(Bytes(c), static_cast<qsizetype>(c.texto.largo)); }
    // Values of any other kind.
    QVector<QVariant> otros;

    QVariant Valor(const Celda& c) const;
    QVariant Valor(qsizetype fila, int columna) const { return Valor(At(fila, columna)); }
    // Every row as a vector of values.
    QVector<QVector<QVariant>> Materializar() const;

    static std::int64_t CodigoFecha(const QDateTime& f);
    static QDateTime Fecha(std::int64_t codigo);

private:
    // Values are numbered row after row across the blocks; a row may continue in the next block.
    static constexpr size_t kCeldasPorBloque = size_t{1} << 16;
    void NuevoBloque();

    struct Bloque {
        std::unique_ptr<std::int64_t[]> datos;
        std::unique_ptr<Clase[]> clases;
    };
    // Blocks of results already closed are kept (a bounded number of them) for the next large
    // result: the program reads its big tables again and again, and fresh memory costs a page fault
    // per page on first touch, as much as the rest of the reading.
    struct Reserva;
    static Reserva& reserva();
    int columnas_;
    size_t celdas_ = 0;
    std::vector<Bloque> bloques_;
};

}  // namespace driver
