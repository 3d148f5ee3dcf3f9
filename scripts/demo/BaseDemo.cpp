#include "demo/BaseDemo.h"

#include "demo/ArchivoSqlite.h"
#include "services/FuncionesComunes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QVariant>

namespace demo {

namespace {

// A failure while building; caught at the entry points and turned into their error text.
struct Fallo {
    QString texto;
};

void Exigir(ArchivoSqlite& base, bool ok) {
    if (!ok) throw Fallo{base.Error()};
}
void Exigir(ArchivoSqlite& base, int rc) {
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) throw Fallo{base.Error()};
}

// One BEGIN ... COMMIT; rolled back when left by an exception.
class Transaccion {
public:
    explicit Transaccion(ArchivoSqlite& base) : base_(base) { Exigir(base_, base_.Ejecutar(QStringLiteral("BEGIN IMMEDIATE"))); }
    ~Transaccion() {
        if (!confirmada_) base_.Ejecutar(QStringLiteral("ROLLBACK"));
    }
    void Confirmar() {
        Exigir(base_, base_.Ejecutar(QStringLiteral("COMMIT")));
        confirmada_ = true;
    }

private:
    ArchivoSqlite& base_;
    bool confirmada_ = false;
};

// The shape of a warehouse's layout: aisles, positions per aisle and levels per position, and the
// code length of each of the three levels.
struct Forma {
    QString deposito;
    int calles = 0;
    int posiciones = 0;
    int niveles = 0;
    int ancho[3] = {2, 2, 2};
    QString unidad;        // stock unit of the storable positions
    double capacidad = 0;  // capacity of the storable positions
};

// What the editor stores for a position without a capacity of its own.
constexpr double kCapacidadSinLimite = 999999;

// The codes ("01", "02" ...) and descriptions of the first n members of one level.
struct Miembros {
    QList<QByteArray> codigos, descripciones;
    Miembros(int n, int ancho, const char* titulo, bool descripcionConCeros) {
        for (int i = 1; i <= n; ++i) {
            codigos << QByteArray::number(i).rightJustified(ancho, '0');
            descripciones << QByteArray(titulo) + ' ' + (descripcionConCeros ? codigos.last() : QByteArray::number(i));
        }
    }
};

// Inserts the layout in depth-first order (every code after its parent) and stops after `limite`
// rows, so a shorter layout is a prefix of the full one and never lacks a parent. Aisles and
// positions are headings; levels are storable, a few of them blocked or full. Returns the rows
// inserted.
qint64 InsertarLayout(ArchivoSqlite& base, const Forma& f, qint64 limite) {
    Sentencia ins(base,
                  QStringLiteral("INSERT INTO MA_POSICIONES (IdPosicion, Descripcion, Capacidad, IdUnidad, IdRubro, IdTipo, "
                                 "IdArticulo, IdFamilia, OrdenIngreso, Habilitado, Reservado, Completa, Picking, Titulo, "
                                 "IdDeposito) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    if (!ins.Valida()) throw Fallo{base.Error()};
    const Miembros calles(f.calles, f.ancho[0], "Calle", true);
    const Miembros posiciones(f.posiciones, f.ancho[1], "Posicion", true);
    const Miembros niveles(f.niveles, f.ancho[2], "Nivel", false);
    const QByteArray deposito = f.deposito.toUtf8(), unidad = f.unidad.toUtf8();
    auto titulo = [&](const QByteArray& codigo, const QByteArray& descripcion) {
        Exigir(base, ins.Ejecutar(codigo, descripcion, kCapacidadSinLimite, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                  1, 0, 0, 0, 1, deposito));
    };
    qint64 n = 0, orden = 0;
    for (int c = 0; c < f.calles && n < limite; ++c) {
        titulo(calles.codigos[c], calles.descripciones[c]);
        ++n;
        for (int p = 0; p < f.posiciones && n < limite; ++p) {
            const QByteArray posicion = calles.codigos[c] + posiciones.codigos[p];
            titulo(posicion, posiciones.descripciones[p]);
            ++n;
            for (int l = 0; l < f.niveles && n < limite; ++l) {
                const qint64 k = ++orden;
                Exigir(base, ins.Ejecutar(posicion + niveles.codigos[l], niveles.descripciones[l], f.capacidad, unidad, nullptr,
                                          nullptr, nullptr, nullptr, k,
                                          k % 23 == 0 ? 0 : 1,  // a few blocked positions
                                          0,
                                          k % 7 == 0 ? 1 : 0,  // a few full ones
                                          l == 0 ? 1 : 0,      // picking from the lowest level
                                          0, deposito));
                ++n;
            }
        }
    }
    return n;
}

void Borrar(const QString& archivo) {
    for (const QString& sufijo : {QString(), QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(archivo + sufijo);
}

}  // namespace

QString TextoSql(const QString& archivo, const QString& carpetaDatos, QString* error) {
    QStringList lugares;
    if (!carpetaDatos.isEmpty()) {
        // A folder given by the caller is the only place looked at: a test that names the source
        // tree must not silently get another copy.
        lugares << QDir(carpetaDatos).filePath(archivo);
    } else {
        lugares << QStringLiteral(":/demo/") + archivo;
        if (QCoreApplication::instance()) {
            const QDir programa(QCoreApplication::applicationDirPath());
            lugares << programa.filePath(QStringLiteral("data/") + archivo)
                    << programa.filePath(QStringLiteral("../share/ma-posiciones/sql/") + archivo);
        }
    }
    for (const QString& lugar : lugares) {
        QFile f(lugar);
        if (f.open(QIODevice::ReadOnly)) return QString::fromUtf8(f.readAll());
    }
    if (error) *error = QStringLiteral("No se encuentra %1 (buscado en: %2)").arg(archivo, lugares.join(QStringLiteral(", ")));
    return QString();
}

bool CrearBaseDemo(const QString& carpeta, const QString& nombre, QString* error, bool reemplazar, const QString& carpetaDatos) {
    QString base = nombre.trimmed();
    if (base.endsWith(QStringLiteral(".db"), Qt::CaseInsensitive)) base.chop(3);
    const QString destino = carpeta.isEmpty() ? QStringLiteral(".") : carpeta;
    const QString archivo = QDir(destino).filePath(base + QStringLiteral(".db"));
    const QString estadisticas = QDir(destino).filePath(QStringLiteral("TV_ESTADISTICAS.db"));
    const QString parcial = archivo + QStringLiteral(".parcial");
    try {
        if (base.isEmpty()) throw Fallo{QStringLiteral("Falta el nombre de la base de datos")};
        if (base.compare(QStringLiteral("TV_ESTADISTICAS"), Qt::CaseInsensitive) == 0)
            throw Fallo{QStringLiteral("TV_ESTADISTICAS es el nombre de la base de estadisticas")};
        if (QFileInfo::exists(archivo) && !reemplazar) throw Fallo{QStringLiteral("Ya existe %1; no se reemplaza").arg(archivo)};
        if (!QDir().mkpath(destino)) throw Fallo{QStringLiteral("No se pudo crear la carpeta %1").arg(destino)};

        QString motivo;
        QStringList textos;
        for (const char* nombreSql : {"schema.sql", "demo.sql", "estadisticas.sql"}) {
            textos << TextoSql(QString::fromLatin1(nombreSql), carpetaDatos, &motivo);
            if (textos.last().isEmpty()) throw Fallo{motivo};
        }

        Borrar(parcial);
        {
            ArchivoSqlite b(parcial, true);
            if (!b.Valido()) throw Fallo{QStringLiteral("No se pudo crear %1: %2").arg(parcial, b.Error())};
            // The file only becomes the database once complete, so nothing needs to survive a crash.
            Exigir(b, b.Ejecutar(QStringLiteral("PRAGMA synchronous = OFF; PRAGMA journal_mode = MEMORY")));
            Transaccion t(b);
            Exigir(b, b.Ejecutar(textos[0]));
            Exigir(b, b.Ejecutar(textos[1]));
            t.Confirmar();
        }
        if (QFileInfo::exists(archivo)) Borrar(archivo);
        if (!QFile::rename(parcial, archivo)) throw Fallo{QStringLiteral("No se pudo reemplazar %1").arg(archivo)};

        ArchivoSqlite e(estadisticas, true);
        if (!e.Valido()) throw Fallo{QStringLiteral("No se pudo crear %1: %2").arg(estadisticas, e.Error())};
        Exigir(e, e.Ejecutar(textos[2]));
        return true;
    } catch (const Fallo& f) {
        Borrar(parcial);
        if (error) *error = f.texto;
        return false;
    }
}

bool GenerarLayout(const QString& archivoDb, const QString& deposito, int cantidad, QString* error) {
    try {
        const auto& fc = FuncionesComunes::instancia();
        const QString codigo = fc.FormatoLongitud(deposito, 4);
        if (codigo.trimmed().isEmpty()) throw Fallo{QStringLiteral("Falta el codigo de deposito")};
        if (cantidad < 1) throw Fallo{QStringLiteral("La cantidad de posiciones debe ser mayor que 0")};
        // Never create a database here: a wrong path must fail, not leave an empty file behind.
        if (!QFileInfo(archivoDb).isFile()) throw Fallo{QStringLiteral("No existe la base de datos %1").arg(archivoDb)};

        ArchivoSqlite b(archivoDb);
        if (!b.Valido()) throw Fallo{QStringLiteral("No se pudo abrir %1: %2").arg(archivoDb, b.Error())};
        if (!b.ExisteTabla(QStringLiteral("MA_POSICIONES")))
            throw Fallo{QStringLiteral("La base %1 no tiene la tabla MA_POSICIONES").arg(archivoDb)};
        if (b.Valor(QStringLiteral("SELECT COUNT(*) FROM MA_POSICIONES WHERE IdDeposito = ?"), {codigo}).toLongLong() > 0)
            throw Fallo{QStringLiteral("El deposito '%1' ya tiene posiciones").arg(codigo)};

        Forma f;
        f.deposito = codigo;
        f.unidad = QStringLiteral("UN");
        f.capacidad = 100;
        // Codes follow the configured level lengths, so the editor accepts them.
        if (b.ExisteTabla(QStringLiteral("TA_CONFIGURACION"))) {
            for (int i = 0; i < 3; ++i) {
                const QVariant v = b.Valor(QStringLiteral("SELECT Valor FROM TA_CONFIGURACION WHERE Clave = ?"),
                                           {QStringLiteral("LAYOUT_NIVEL") + QString::number(i + 1)});
                const int ancho = fc.ValorEntero(v.toString());
                if (ancho > 0) f.ancho[i] = ancho;
            }
        }
        // How many codes each level can number (1 .. 10^ancho - 1), bounded to keep the arithmetic small.
        qint64 tope[3];
        for (int i = 0; i < 3; ++i) {
            tope[i] = 1;
            for (int k = 0; k < f.ancho[i] && tope[i] <= 1000000; ++k) tope[i] *= 10;
            tope[i] = qMin<qint64>(tope[i] - 1, 1000000);
        }
        // Start from a plausible rack (10 positions of 4 levels) and grow it, keeping about three
        // positions per level, until the aisles the first level can number hold every position.
        qint64 posiciones = qMin<qint64>(10, tope[1]), niveles = qMin<qint64>(4, tope[2]);
        auto porCalle = [&] { return 1 + posiciones + posiciones * niveles; };
        while (tope[0] * porCalle() < cantidad) {
            if (posiciones < tope[1] && (posiciones <= 3 * niveles || niveles >= tope[2]))
                ++posiciones;
            else if (niveles < tope[2])
                ++niveles;
            else
                throw Fallo{QStringLiteral("Los niveles configurados (%1, %2, %3) no alcanzan para %4 posiciones")
                                .arg(f.ancho[0])
                                .arg(f.ancho[1])
                                .arg(f.ancho[2])
                                .arg(cantidad)};
        }
        f.calles = static_cast<int>(qMin<qint64>(tope[0], (cantidad + porCalle() - 1) / porCalle()));
        f.posiciones = static_cast<int>(posiciones);
        f.niveles = static_cast<int>(niveles);

        Transaccion t(b);
        if (b.ExisteTabla(QStringLiteral("TA_DEPOSITO")) &&
            !b.Valor(QStringLiteral("SELECT 1 FROM TA_DEPOSITO WHERE IdDeposito = ?"), {codigo}).isValid()) {
            Sentencia ins(b, QStringLiteral("INSERT INTO TA_DEPOSITO (IdDeposito, Descripcion, Unidad) VALUES (?, ?, ?)"));
            Exigir(b, ins.Ejecutar(codigo, QStringLiteral("Deposito ") + codigo.trimmed(), QStringLiteral("   1")));
        }
        const qint64 hechas = InsertarLayout(b, f, cantidad);
        if (hechas != cantidad) throw Fallo{QStringLiteral("Se generaron %1 posiciones de %2").arg(hechas).arg(cantidad)};
        t.Confirmar();
        return true;
    } catch (const Fallo& f) {
        if (error) *error = f.texto;
        return false;
    }
}

}  // namespace demo
