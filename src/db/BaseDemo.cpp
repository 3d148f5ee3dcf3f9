#include "db/BaseDemo.h"

#include "services/FuncionesComunes.h"

#include <sqlite3.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QVariant>
#include <cstddef>
#include <initializer_list>
#include <limits>

namespace demo {

namespace {

// A failure while building; caught at the two entry points and turned into their error text.
struct Fallo {
    QString texto;
};

class Base {
public:
    Base(const QString& archivo, int modo) {
        if (sqlite3_open_v2(QFile::encodeName(archivo).constData(), &db_, modo, nullptr) != SQLITE_OK) {
            const QString motivo = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("sin memoria");
            sqlite3_close(db_);
            db_ = nullptr;
            throw Fallo{QStringLiteral("No se pudo abrir %1: %2").arg(archivo, motivo)};
        }
        sqlite3_busy_timeout(db_, 5000);
    }
    ~Base() { sqlite3_close(db_); }
    Base(const Base&) = delete;
    Base& operator=(const Base&) = delete;

    sqlite3* db() const { return db_; }
    QString UltimoError() const { return QString::fromUtf8(sqlite3_errmsg(db_)); }

    void Ejecutar(const QString& sql) {
        char* mensaje = nullptr;
        if (sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &mensaje) != SQLITE_OK) {
            const QString texto = mensaje ? QString::fromUtf8(mensaje) : UltimoError();
            sqlite3_free(mensaje);
            throw Fallo{texto};
        }
    }

    // The first column of the first row, or a null value when there is no row.
    QVariant Valor(const QString& sql, const QString& parametro = QString());

    bool ExisteTabla(const QString& nombre) {
        return Valor(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE"), nombre)
            .isValid();
    }

private:
    sqlite3* db_ = nullptr;
};

// One prepared statement, run again and again with new values.
class Sentencia {
public:
    Sentencia(Base& base, const QString& sql) : base_(base) {
        if (sqlite3_prepare_v2(base.db(), sql.toUtf8().constData(), -1, &st_, nullptr) != SQLITE_OK)
            throw Fallo{base.UltimoError() + QStringLiteral(" (") + sql + QLatin1Char(')')};
    }
    ~Sentencia() { sqlite3_finalize(st_); }
    Sentencia(const Sentencia&) = delete;
    Sentencia& operator=(const Sentencia&) = delete;

    // Binds the values in order and runs the statement: SQLITE_ROW when it produced a row, else
    // SQLITE_DONE. Values bind by their C++ type, without a QVariant per value, which keeps the
    // generator's hundred thousand rows fast.
    template <typename... T>
    int Ejecutar(const T&... valores) {
        sqlite3_reset(st_);
        int i = 0;
        (Vincular(++i, valores), ...);
        const int r = sqlite3_step(st_);
        sqlite3_clear_bindings(st_);
        if (r != SQLITE_ROW && r != SQLITE_DONE) throw Fallo{base_.UltimoError()};
        return r;
    }
    QVariant Columna(int i) const {
        switch (sqlite3_column_type(st_, i)) {
            case SQLITE_NULL:
                return QVariant();
            case SQLITE_INTEGER:
                return QVariant(static_cast<qint64>(sqlite3_column_int64(st_, i)));
            case SQLITE_FLOAT:
                return QVariant(sqlite3_column_double(st_, i));
            default:
                return QVariant(
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st_, i)), sqlite3_column_bytes(st_, i)));
        }
    }

private:
    void Comprobar(int r) {
        if (r != SQLITE_OK) throw Fallo{base_.UltimoError()};
    }
    void Vincular(int i, std::nullptr_t) { Comprobar(sqlite3_bind_null(st_, i)); }
    void Vincular(int i, int v) { Comprobar(sqlite3_bind_int(st_, i, v)); }
    void Vincular(int i, qint64 v) { Comprobar(sqlite3_bind_int64(st_, i, v)); }
    void Vincular(int i, double v) { Comprobar(sqlite3_bind_double(st_, i, v)); }
    // Texts given as bytes are bound without a copy (SQLITE_STATIC): the caller's values outlive the
    // step, which runs inside Ejecutar, and Ejecutar unbinds them afterwards. A null QByteArray or
    // pointer binds NULL; an empty one the empty text.
    void Vincular(int i, const QByteArray& v) {
        Comprobar(v.isNull() ? sqlite3_bind_null(st_, i)
                             : sqlite3_bind_text(st_, i, v.constData(), static_cast<int>(v.size()), SQLITE_STATIC));
    }
    void Vincular(int i, const char* v) {
        Comprobar(v ? sqlite3_bind_text(st_, i, v, -1, SQLITE_STATIC) : sqlite3_bind_null(st_, i));
    }
    // A QString is converted here, so its bytes are copied.
    void Vincular(int i, const QString& v) {
        if (v.isNull()) return Vincular(i, nullptr);
        const QByteArray texto = v.toUtf8();
        Comprobar(sqlite3_bind_text(st_, i, texto.constData(), static_cast<int>(texto.size()), SQLITE_TRANSIENT));
    }

    Base& base_;
    sqlite3_stmt* st_ = nullptr;
};

QVariant Base::Valor(const QString& sql, const QString& parametro) {
    Sentencia s(*this, sql);
    const int r = parametro.isNull() ? s.Ejecutar() : s.Ejecutar(parametro);
    return r == SQLITE_ROW ? s.Columna(0) : QVariant();
}

// One BEGIN ... COMMIT; rolled back when left by an exception.
class Transaccion {
public:
    explicit Transaccion(Base& base) : base_(base) { base_.Ejecutar(QStringLiteral("BEGIN IMMEDIATE")); }
    ~Transaccion() {
        if (!confirmada_) sqlite3_exec(base_.db(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
    void Confirmar() {
        base_.Ejecutar(QStringLiteral("COMMIT"));
        confirmada_ = true;
    }

private:
    Base& base_;
    bool confirmada_ = false;
};

QString S(const char* texto) {
    return QString::fromUtf8(texto);
}

// --- Layouts -------------------------------------------------------------------------------------

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

// Codes the storable positions may be reserved to; empty lists mean no reservations.
struct Reservas {
    QList<QByteArray> articulos, familias, rubros, tipos;
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
// positions are headings; levels are storable, some of them reserved to exactly one article,
// family, category or type. Returns the rows inserted.
qint64 InsertarLayout(Base& base, const Forma& f, qint64 limite, const Reservas& r) {
    Sentencia ins(base,
                  QStringLiteral("INSERT INTO MA_POSICIONES (IdPosicion, Descripcion, Capacidad, IdUnidad, IdRubro, IdTipo, "
                                 "IdArticulo, IdFamilia, OrdenIngreso, Habilitado, Reservado, Completa, Picking, Titulo, "
                                 "IdDeposito) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    const Miembros calles(f.calles, f.ancho[0], "Calle", true);
    const Miembros posiciones(f.posiciones, f.ancho[1], "Posicion", true);
    const Miembros niveles(f.niveles, f.ancho[2], "Nivel", false);
    const QByteArray deposito = f.deposito.toUtf8(), unidad = f.unidad.toUtf8();
    auto titulo = [&](const QByteArray& codigo, const QByteArray& descripcion) {
        ins.Ejecutar(codigo, descripcion, kCapacidadSinLimite, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 1, 0, 0, 0,
                     1, deposito);
    };
    auto elegir = [](const QList<QByteArray>& lista, qint64 k) {
        return lista.isEmpty() ? QByteArray() : lista[static_cast<int>(k % lista.size())];
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
                // A handful of reservations spread over the layout, one kind at a time.
                QByteArray rubro, tipo, articulo, familia;
                switch (k % 53) {
                    case 1:
                        articulo = elegir(r.articulos, k / 53);
                        break;
                    case 14:
                        familia = elegir(r.familias, k / 53);
                        break;
                    case 27:
                        rubro = elegir(r.rubros, k / 53);
                        break;
                    case 40:
                        tipo = elegir(r.tipos, k / 53);
                        break;
                    default:
                        break;
                }
                const bool reservado = !(rubro.isNull() && tipo.isNull() && articulo.isNull() && familia.isNull());
                ins.Ejecutar(posicion + niveles.codigos[l], niveles.descripciones[l], f.capacidad, unidad, rubro, tipo, articulo,
                             familia, k,
                             k % 23 == 0 ? 0 : 1,  // a few blocked positions
                             reservado ? 1 : 0,
                             k % 7 == 0 ? 1 : 0,  // a few full ones
                             l == 0 ? 1 : 0,      // picking from the lowest level
                             0, deposito);
                ++n;
            }
        }
    }
    return n;
}

// --- Demo rows -----------------------------------------------------------------------------------

struct Codigo {
    const char* codigo;
    const char* descripcion;
};

const Codigo kUnidades[] = {{"UN", "Unidad"}, {"KG", "Kilogramo"}, {"CJ", "Caja"},  {"LT", "Litro"},
                            {"PK", "Pack"},   {"BLS", "Bolsa"},    {"MT", "Metro"}, {"PAL", "Pallet"}};

const Codigo kRubros[] = {{"ALM", "Almacen"},    {"BEB", "Bebidas"},    {"LIM", "Limpieza"},
                          {"PER", "Perfumeria"}, {"FER", "Ferreteria"}, {"FRE", "Frescos"}};

// Article types, shown as "Marca" by the layout window.
const Codigo kMarcas[] = {{"PAMP", "La Pampeana"}, {"ANDE", "Los Andes"}, {"LITO", "Litoral"},
                          {"CUMB", "Cumbre"},      {"SURE", "Sureña"},    {"DELV", "Del Valle"}};

const Codigo kFamilias[] = {
    {"01", "Alimentos"},
    {"0101", "Almacen seco"},
    {"010101", "Harinas"},
    {"010102", "Fideos y pastas"},
    {"010103", "Arroz y legumbres"},
    {"0102", "Conservas"},
    {"010201", "Pescados"},
    {"010202", "Tomates y vegetales"},
    {"0103", "Aceites y aderezos"},
    {"02", "Bebidas"},
    {"0201", "Gaseosas"},
    {"0202", "Aguas"},
    {"0203", "Jugos"},
    {"0204", "Vinos"},
    {"03", "Limpieza"},
    {"0301", "Detergentes"},
    {"0302", "Lavandinas"},
    {"0303", "Papeles"},
    {"04", "Perfumeria"},
    {"0401", "Higiene personal"},
    {"0402", "Cuidado del cabello"},
    {"05", "Ferreteria"},
    {"0501", "Tornilleria"},
    {"0502", "Herramientas"},
};

// One line of products: each name in each presentation, made by three brands.
struct Linea {
    const char* familia;
    const char* rubro;
    const char* unidad;
    double precio;  // of the first presentation
    const char* nombres[3];
    const char* presentaciones[2];
};

const Linea kLineas[] = {
    {"010101", "ALM", "UN", 950, {"Harina de trigo 000", "Harina de trigo 0000", "Harina leudante"}, {"1 kg", "5 kg"}},
    {"010102", "ALM", "UN", 1200, {"Fideos spaghetti", "Fideos tirabuzon", "Fideos mostachol"}, {"500 g", "1 kg"}},
    {"010103", "ALM", "UN", 1400, {"Arroz largo fino", "Lentejas", nullptr}, {"1 kg", "5 kg"}},
    {"010201", "ALM", "UN", 2300, {"Atun al natural", "Caballa en aceite", nullptr}, {"170 g", "x 6 latas"}},
    {"010202", "ALM", "UN", 800, {"Tomate perita", "Arvejas", "Choclo cremoso"}, {"400 g", "x 12 latas"}},
    {"0103", "ALM", "UN", 2600, {"Aceite de girasol", "Aceite de oliva", "Mayonesa"}, {"900 ml", "1,5 l"}},
    {"0201", "BEB", "PK", 1900, {"Gaseosa cola", "Gaseosa lima limon", "Agua tonica"}, {"1,5 l x 6", "2,25 l x 6"}},
    {"0202", "BEB", "PK", 1100, {"Agua mineral sin gas", "Agua mineral con gas", nullptr}, {"500 ml x 12", "2 l x 6"}},
    {"0203", "BEB", "PK", 1500, {"Jugo de naranja", "Jugo multifruta", nullptr}, {"1 l x 6", "200 ml x 18"}},
    {"0204", "BEB", "CJ", 6500, {"Vino tinto malbec", "Vino blanco torrontes", "Vino rosado"}, {"750 ml x 6", "1,125 l x 6"}},
    {"0301", "LIM", "UN", 1300, {"Detergente limon", "Detergente concentrado", nullptr}, {"500 ml", "5 l"}},
    {"0302", "LIM", "LT", 700, {"Lavandina", "Lavandina en gel", nullptr}, {"1 l", "4 l"}},
    {"0303", "LIM", "PK", 2100, {"Papel higienico", "Rollo de cocina", "Servilletas"}, {"x 4", "x 12"}},
    {"0401", "PER", "UN", 900, {"Jabon de tocador", "Pasta dental", "Desodorante"}, {"x 1", "x 3"}},
    {"0402", "PER", "UN", 2400, {"Shampoo", "Acondicionador", nullptr}, {"400 ml", "930 ml"}},
    {"0501", "FER", "KG", 3200, {"Tornillo autoperforante", "Tarugo plastico", "Clavo punta paris"}, {"x 100", "x 1000"}},
    {"0502", "FER", "UN", 7800, {"Destornillador", "Pinza universal", "Martillo"}, {"chico", "grande"}},
};

// The warehouses and their layouts: aisles, positions per aisle, levels per position.
struct DepositoDemo {
    const char* codigo;
    const char* descripcion;
    const char* unidadNegocio;
    int calles, posiciones, niveles;
    const char* unidad;
    double capacidad;
};

const DepositoDemo kDepositos[] = {
    {"   1", "Deposito Central", "   1", 8, 12, 4, "CJ", 120},
    {"   2", "Deposito Norte", "   2", 6, 10, 3, "UN", 500},
    {"   3", "Deposito de Transito", "   1", 4, 8, 5, "KG", 1000},
};

// Colours are the suite's blue-green-red numbers (0x00BBGGRR).
struct Configuracion {
    const char* grupo;
    const char* clave;
    const char* valor;
};

const Configuracion kConfiguracion[] = {
    // Layout levels: aisle "01", position "0103", level "010302".
    {"DATOS", "LAYOUT_NIVEL1", "2"},
    {"DATOS", "LAYOUT_NIVEL2", "2"},
    {"DATOS", "LAYOUT_NIVEL3", "2"},
    {"DATOS", "LAYOUT_NIVEL4", "0"},
    {"DATOS", "TIT_LAYOUT_NIVEL_1", "CALLE"},
    {"DATOS", "TIT_LAYOUT_NIVEL_2", "POSICION"},
    {"DATOS", "TIT_LAYOUT_NIVEL_3", "NIVEL"},
    {"DATOS", "TIT_LAYOUT_NIVEL_4", ""},
    {"DATOS", "ARTICULO_LAYOUT_NIVEL_1", "LA"},
    {"DATOS", "ARTICULO_LAYOUT_NIVEL_2", "LA"},
    {"DATOS", "ARTICULO_LAYOUT_NIVEL_3", "EL"},
    {"DATOS", "PLURAL_LAYOUT_NIVEL_1", "CALLES"},
    {"DATOS", "PLURAL_LAYOUT_NIVEL_2", "POSICIONES"},
    {"DATOS", "PLURAL_LAYOUT_NIVEL_3", "NIVELES"},
    // Window colours: light yellow background, dark blue text.
    {"VISUAL", "CFONDO", "12648447"},
    {"VISUAL", "CLETRA", "8388608"},
    {"VISUAL", "THEME", "1"},
    // Lookups: article rows coloured by stock level (green without reorder point, blue above it,
    // red below it, grey otherwise).
    {"CONSULTAS", "MOSTRARSTOCKENCONSULTAS", "SI"},
    {"CONSULTAS", "STK_NIVEL1", "32768"},
    {"CONSULTAS", "STK_NIVEL2", "16711680"},
    {"CONSULTAS", "STK_NIVEL3", "255"},
    {"CONSULTAS", "STK_NIVEL4", "8421504"},
    {"CONSULTAS", "USACONSULTALIKE", "SI"},
    {"CONSULTAS", "EXIGECLAVECONSULTALIKEARTICULOS", "NO"},
    {"CONSULTAS", "TOPCONSART", "1000"},
    {"CONSULTAS", "TOP_DEFAULT", "1000"},
    {"CONSULTAS", "NOM_PCLASE1", "Lista"},
    {"CONSULTAS", "NOM_PCLASE2", "Mayorista"},
    {"CONSULTAS", "NOM_PCLASE3", "Tarjeta"},
    // Security and session.
    {"SEGURIDAD", "SS_CONFIDENCIALIDAD", "NO"},
    {"SEGURIDAD", "SS_BLOQUEOACTIVO", "NO"},
    {"BaseDeDatos", "TIMEOUT", "90"},
    {"GENERAL", "CANTIDADDECIMALES", "2"},
    {"GENERAL", "UTILIZARFECHADIA", "NO"},
    {"GENERAL", "USAFACTURAPROFORMA", "NO"},
    {"GENERAL", "MODULOORDENDETRABAJO", "NO"},
    {"GENERAL", "USACCOSTO", "NO"},
    {"GENERAL", "PERIODO", "2024"},
    {"GENERAL", "TITULOCLIENTES", "Clientes"},
    {"GENERAL", "TITULOPROVEEDORES", "Proveedores"},
    // Company identity, and that of business unit 1.
    {"EMPRESA", "NOMBRE", "Distribuidora del Litoral S.A."},
    {"EMPRESA", "CUIT", "30-71234567-8"},
    {"EMPRESA", "CONDIVAEMPRESA", "1"},
    {"EMPRESA", "INICIOACTIVIDADES", "01/03/2005"},
    {"EMPRESA", "NROINGRESOSBRUTOS", "901-123456-7"},
    {"EMPRESA", "CALLE", "Av. San Martin"},
    {"EMPRESA", "NUMERO", "1450"},
    {"EMPRESA", "PISO", ""},
    {"EMPRESA", "DEPARTAMENTO", ""},
    {"EMPRESA", "INICIO_ACTIVIDADES_UN_1", "01/03/2005"},
    {"EMPRESA", "INGRESOS_BRUTOS_UN_1", "901-123456-7"},
    {"EMPRESA", "CONDICIONIVA_UN_1", "1"},
    {"EMPRESA", "DOMICILIO_UN_1", "Av. San Martin 1450, Santa Fe"},
};

// Inserts fixed rows of two to six texts (nullptr for NULL), each bound in order.
void InsertarFilas(Base& base, const QString& sql, std::initializer_list<std::initializer_list<const char*>> filas) {
    Sentencia ins(base, sql);
    for (const auto& fila : filas) {
        const char* const* v = fila.begin();
        switch (fila.size()) {
            case 2:
                ins.Ejecutar(v[0], v[1]);
                break;
            case 3:
                ins.Ejecutar(v[0], v[1], v[2]);
                break;
            case 4:
                ins.Ejecutar(v[0], v[1], v[2], v[3]);
                break;
            case 5:
                ins.Ejecutar(v[0], v[1], v[2], v[3], v[4]);
                break;
            case 6:
                ins.Ejecutar(v[0], v[1], v[2], v[3], v[4], v[5]);
                break;
            default:
                throw Fallo{QStringLiteral("fila de %1 columnas no prevista").arg(fila.size())};
        }
    }
}

void InsertarCodigos(Base& base, const QString& tabla, const QString& columnas, const Codigo* codigos, int cantidad) {
    Sentencia ins(base, QStringLiteral("INSERT INTO %1 (%2) VALUES (?, ?)").arg(tabla, columnas));
    for (int i = 0; i < cantidad; ++i) ins.Ejecutar(S(codigos[i].codigo), S(codigos[i].descripcion));
}

double Redondear(double v) {
    return qRound64(v * 100.0) / 100.0;
}

// Articles: each line's names, presentations and three brands (rotating through the six). Stock
// and reorder point cycle through the cases the lookup list colours differently: no reorder point
// with stock, above it, below it, equal to it, and neither.
Reservas InsertarArticulos(Base& base) {
    Sentencia ins(base, QStringLiteral("INSERT INTO MA_ARTICULOS (IdArticulo, Descripcion, IdRubro, IdTipo, IdFamilia, "
                                       "IdUnidad, PUNTOPEDIDO, Stock, SUSPENDIDO, PRECIO1, PRECIO2, PRECIO3) "
                                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    constexpr int kCantidadMarcas = sizeof(kMarcas) / sizeof(kMarcas[0]);
    Reservas r;
    int n = 0;
    int indiceLinea = 0;
    for (const Linea& linea : kLineas) {
        for (const char* nombre : linea.nombres) {
            if (!nombre) continue;
            for (int pr = 0; pr < 2; ++pr) {
                for (int m = 0; m < 3; ++m) {
                    const int marca = (indiceLinea + m) % kCantidadMarcas;
                    const QString codigo = QString::number(100001 + n);
                    const QString descripcion =
                        QStringLiteral("%1 %2 %3").arg(S(nombre), S(kMarcas[marca].descripcion), S(linea.presentaciones[pr]));
                    double puntoPedido = 0, stock = 0;
                    switch (n % 5) {
                        case 0:
                            stock = 10 + (n * 7) % 90;
                            break;
                        case 1:
                            puntoPedido = 20 + n % 30;
                            stock = puntoPedido + 5 + n % 40;
                            break;
                        case 2:
                            puntoPedido = 20 + n % 30;
                            stock = n % 15;
                            break;
                        case 3:
                            puntoPedido = 20 + n % 30;
                            stock = puntoPedido;
                            break;
                        default:
                            break;  // neither stock nor reorder point
                    }
                    const double precio = Redondear(linea.precio * (pr == 0 ? 1.0 : 4.5) * (1.0 + 0.05 * marca));
                    ins.Ejecutar(codigo, descripcion, S(linea.rubro), S(kMarcas[marca].codigo), S(linea.familia), S(linea.unidad),
                                 puntoPedido, stock, n % 41 == 7 ? 1 : 0, precio, Redondear(precio * 0.9),
                                 Redondear(precio * 1.15));
                    if (n % 9 == 4) r.articulos << codigo.toUtf8();
                    ++n;
                }
            }
        }
        ++indiceLinea;
    }
    for (const Codigo& f : kFamilias)
        if (qstrlen(f.codigo) == 6) r.familias << f.codigo;
    for (const Linea& linea : kLineas)
        if (!r.rubros.contains(linea.rubro)) r.rubros << linea.rubro;
    for (const Codigo& m : kMarcas) r.tipos << m.codigo;
    return r;
}

void InsertarDemo(Base& base) {
    InsertarCodigos(base, QStringLiteral("TA_UNIDAD"), QStringLiteral("IdUnidad, Descripcion"), kUnidades,
                    sizeof(kUnidades) / sizeof(kUnidades[0]));
    InsertarCodigos(base, QStringLiteral("TA_RUBROS"), QStringLiteral("IdRubro, Descripcion"), kRubros,
                    sizeof(kRubros) / sizeof(kRubros[0]));
    InsertarCodigos(base, QStringLiteral("TA_TIPOARTICULO"), QStringLiteral("IdTipo, Descripcion"), kMarcas,
                    sizeof(kMarcas) / sizeof(kMarcas[0]));
    InsertarCodigos(base, QStringLiteral("TA_FAMILIAS"), QStringLiteral("IdFamilia, Descripcion"), kFamilias,
                    sizeof(kFamilias) / sizeof(kFamilias[0]));
    const Reservas reservas = InsertarArticulos(base);

    {
        Sentencia ins(base, QStringLiteral("INSERT INTO TA_CONFIGURACION (Grupo, Clave, Valor, ValorAux, PoliticaNegocio) "
                                           "VALUES (?, ?, ?, '', '0')"));
        for (const Configuracion& c : kConfiguracion) ins.Ejecutar(S(c.grupo), S(c.clave), S(c.valor));
    }

    InsertarFilas(base,
                  QStringLiteral("INSERT INTO TA_UNIDADNEGOCIO (Codigo, Descripcion, razon_social, Cuit, PDV) "
                                 "VALUES (?, ?, ?, ?, ?)"),
                  {{"   1", "Casa Central", "Distribuidora del Litoral S.A.", "30-71234567-8", "0001"},
                   {"   2", "Sucursal Norte", "Distribuidora del Litoral S.A.", "30-71234567-8", "0002"}});

    {
        const auto& fc = FuncionesComunes::instancia();
        Sentencia ins(base, QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE, SISTEMA, Password, Administrador, UNegocio, "
                                           "verproforma, clasepusa) VALUES (?, ?, ?, ?, ?, 0, ?)"));
        ins.Ejecutar(QStringLiteral("DEMO"), QStringLiteral("ORBE"), fc.Codificar(QStringLiteral("demo")), QStringLiteral("1"),
                     QStringLiteral("   1"), QStringLiteral("1,2,3"));
        ins.Ejecutar(QStringLiteral("OPERADOR"), QStringLiteral("ORBE"), fc.Codificar(QStringLiteral("1234")),
                     QStringLiteral("0"), QStringLiteral("   2"), QStringLiteral("1"));
    }
    InsertarFilas(base, QStringLiteral("INSERT INTO TA_MENU (Clave, Proceso, Nombre) VALUES (?, ?, ?)"),
                  {{"0101", "MA_POSICIONES", "Definicion de Layout"},
                   {"0102", "V_ZORMAP_ASISTENTE", "Asistente de Layout"},
                   {"0103", "V_ZORMAP_DIAGRAMA", "Diagrama de Layout"},
                   {"0201", "V_MA_ARTICULOS", "Articulos"},
                   {"0202", "V_TA_TABLAS", "Tablas Generales"}});
    InsertarFilas(base, QStringLiteral("INSERT INTO TA_TAREAS (USUARIO, TAREA) VALUES (?, ?)"),
                  {{"DEMO", "0101"},
                   {"DEMO", "0102"},
                   {"DEMO", "0103"},
                   {"DEMO", "0201"},
                   {"DEMO", "0202"},
                   {"OPERADOR", "0101"},
                   {"OPERADOR", "0201"}});

    {
        Sentencia ins(base, QStringLiteral("INSERT INTO TA_DEPOSITO (IdDeposito, Descripcion, Unidad) VALUES (?, ?, ?)"));
        for (const DepositoDemo& d : kDepositos) ins.Ejecutar(S(d.codigo), S(d.descripcion), S(d.unidadNegocio));
    }
    for (const DepositoDemo& d : kDepositos) {
        Forma f;
        f.deposito = S(d.codigo);
        f.calles = d.calles;
        f.posiciones = d.posiciones;
        f.niveles = d.niveles;
        f.unidad = S(d.unidad);
        f.capacidad = d.capacidad;
        InsertarLayout(base, f, std::numeric_limits<qint64>::max(), reservas);
    }

    InsertarFilas(base, QStringLiteral("INSERT INTO TA_STATUS (CodigoEstado, Descripcion, Tipo) VALUES (?, ?, ?)"),
                  {{"A", "Activo", "GENERAL"}, {"B", "Bloqueado", "GENERAL"}, {"P", "Pendiente", "PEDIDOS"}});
    InsertarFilas(base, QStringLiteral("INSERT INTO TA_CAJAS (IDCajas, DESCRIPCION) VALUES (?, ?)"),
                  {{"   1", "Caja Principal"}, {"   2", "Caja Sucursal Norte"}});
    InsertarFilas(base, QStringLiteral("INSERT INTO TA_VENDEDORES (IdVendedor, NOMBRE) VALUES (?, ?)"),
                  {{"   1", "Martin Gomez"}, {"   2", "Laura Fernandez"}, {"   3", "Diego Acosta"}});
    InsertarFilas(base, QStringLiteral("INSERT INTO TA_TECNICOS (IdTecnico, NOMBRE) VALUES (?, ?)"),
                  {{"   1", "Jorge Ruiz"}, {"   2", "Ana Torres"}});
    InsertarFilas(base, QStringLiteral("INSERT INTO TA_TAREAS_OT (IdTarea, Descripcion) VALUES (?, ?)"),
                  {{"   1", "Mantenimiento preventivo"}, {"   2", "Reparacion"}, {"   3", "Inventario"}});
    InsertarFilas(base, QStringLiteral("INSERT INTO MA_MANTENIMIENTOS (CODIGO, DESCRIPCION) VALUES (?, ?)"),
                  {{"M001", "Autoelevador 1 - service 500 hs"}, {"M002", "Camara de frio - limpieza"}});
    InsertarFilas(base,
                  QStringLiteral("INSERT INTO MA_CLIENTES (CODIGO, RAZON_SOCIAL, CONTACTO, Dada_De_Baja) "
                                 "VALUES (?, ?, ?, ?)"),
                  {{"000001", "Supermercado El Sol S.R.L.", "Carlos Perez", "0"},
                   {"000002", "Autoservicio La Esquina", "Marta Diaz", "0"},
                   {"000003", "Almacen Don Jose", "Jose Romero", "0"},
                   {"000004", "Kiosco Centro", "Lucia Sosa", "1"},
                   {"000005", "Mayorista del Norte S.A.", "Raul Medina", "0"}});
    InsertarFilas(base,
                  QStringLiteral("INSERT INTO MA_PROVEEDORES (CODIGO, RAZON_SOCIAL, CONTACTO, Dada_De_Baja) "
                                 "VALUES (?, ?, ?, ?)"),
                  {{"000001", "Molinos del Sur S.A.", "Pablo Herrera", "0"},
                   {"000002", "Bodegas Cuyanas S.A.", "Elena Castro", "0"},
                   {"000003", "Quimica Litoral S.R.L.", "Hugo Vera", "0"},
                   {"000004", "Bulonera Rosario", "Nora Rios", "1"}});
    InsertarFilas(base,
                  QStringLiteral("INSERT INTO MA_CONTACTOS (Codigo, Razon_Social, Nombre_y_Apellido, Domicilio, "
                                 "Localidad, Telefono) VALUES (?, ?, ?, ?, ?, ?)"),
                  {{"0001", "Supermercado El Sol S.R.L.", "Carlos Perez", "Belgrano 230", "Santa Fe", "342-4551234"},
                   {"0002", "Molinos del Sur S.A.", "Pablo Herrera", "Ruta 11 km 450", "Rosario", "341-4667788"},
                   {"0003", "Transportes Parana", "Silvia Luna", "Av. Freyre 2100", "Santa Fe", "342-4009900"}});
    InsertarFilas(base, QStringLiteral("INSERT INTO MA_CUENTAS (CODIGO, DESCRIPCION) VALUES (?, ?)"),
                  {{"1", "Activo"},
                   {"11", "Activo corriente"},
                   {"1101", "Caja y bancos"},
                   {"110101", "Caja"},
                   {"110102", "Banco cuenta corriente"},
                   {"1102", "Creditos por ventas"},
                   {"110201", "Deudores por ventas"},
                   {"1103", "Bienes de cambio"},
                   {"110301", "Mercaderias"},
                   {"2", "Pasivo"},
                   {"21", "Pasivo corriente"},
                   {"2101", "Proveedores"},
                   {"4", "Ingresos"},
                   {"41", "Ventas"},
                   {"5", "Egresos"},
                   {"51", "Costo de mercaderias vendidas"},
                   {"52", "Gastos de deposito"}});
    InsertarFilas(base, QStringLiteral("INSERT INTO TA_CCOSTO (CODIGO, DESCRIPCION) VALUES (?, ?)"),
                  {{"01", "Administracion"},
                   {"02", "Logistica"},
                   {"0201", "Deposito Central"},
                   {"0202", "Deposito Norte"},
                   {"0203", "Deposito de Transito"},
                   {"03", "Comercial"}});
    {
        Sentencia ins(base, QStringLiteral("INSERT INTO MV_ASIENTOS (IdAsiento, Renglon, Fecha, Cuenta, Debe, Haber, Detalle) "
                                           "VALUES (?, ?, ?, ?, ?, ?, ?)"));
        ins.Ejecutar(1, 1, QStringLiteral("2024-03-01 00:00:00"), QStringLiteral("110301"), 150000.0, 0.0,
                     QStringLiteral("Compra de mercaderias"));
        ins.Ejecutar(1, 2, QStringLiteral("2024-03-01 00:00:00"), QStringLiteral("2101"), 0.0, 150000.0,
                     QStringLiteral("Compra de mercaderias"));
        ins.Ejecutar(2, 1, QStringLiteral("2024-03-02 00:00:00"), QStringLiteral("110101"), 82000.0, 0.0,
                     QStringLiteral("Ventas del dia"));
        ins.Ejecutar(2, 2, QStringLiteral("2024-03-02 00:00:00"), QStringLiteral("41"), 0.0, 82000.0,
                     QStringLiteral("Ventas del dia"));
    }
    {
        Sentencia ins(base, QStringLiteral("INSERT INTO AC_CUENTASDIARIO (Fecha, Cuenta, Debe, Haber) VALUES (?, ?, ?, ?)"));
        ins.Ejecutar(QStringLiteral("2024-03-01 00:00:00"), QStringLiteral("110301"), 150000.0, 0.0);
        ins.Ejecutar(QStringLiteral("2024-03-02 00:00:00"), QStringLiteral("41"), 0.0, 82000.0);
        Sentencia insCc(base, QStringLiteral("INSERT INTO AC_CUENTASDIARIO_CCOSTO (Fecha, Cuenta, CCosto, Debe, Haber) "
                                             "VALUES (?, ?, ?, ?, ?)"));
        insCc.Ejecutar(QStringLiteral("2024-03-01 00:00:00"), QStringLiteral("52"), QStringLiteral("0201"), 12000.0, 0.0);
        insCc.Ejecutar(QStringLiteral("2024-03-01 00:00:00"), QStringLiteral("52"), QStringLiteral("0202"), 8000.0, 0.0);
    }
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
                    << programa.filePath(QStringLiteral("../share/ma_posiciones/") + archivo);
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
        const QString esquema = TextoSql(QStringLiteral("schema.sql"), carpetaDatos, &motivo);
        if (esquema.isEmpty()) throw Fallo{motivo};
        const QString esquemaEstadisticas = TextoSql(QStringLiteral("estadisticas.sql"), carpetaDatos, &motivo);
        if (esquemaEstadisticas.isEmpty()) throw Fallo{motivo};

        Borrar(parcial);
        {
            Base b(parcial, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
            // The file only becomes the database once complete, so nothing needs to survive a crash.
            b.Ejecutar(QStringLiteral("PRAGMA synchronous = OFF; PRAGMA journal_mode = MEMORY"));
            Transaccion t(b);
            b.Ejecutar(esquema);
            InsertarDemo(b);
            t.Confirmar();
        }
        if (QFileInfo::exists(archivo)) Borrar(archivo);
        if (!QFile::rename(parcial, archivo)) throw Fallo{QStringLiteral("No se pudo reemplazar %1").arg(archivo)};

        Base e(estadisticas, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        e.Ejecutar(esquemaEstadisticas);
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

        Base b(archivoDb, SQLITE_OPEN_READWRITE);
        if (!b.ExisteTabla(QStringLiteral("MA_POSICIONES")))
            throw Fallo{QStringLiteral("La base %1 no tiene la tabla MA_POSICIONES").arg(archivoDb)};
        if (b.Valor(QStringLiteral("SELECT COUNT(*) FROM MA_POSICIONES WHERE IdDeposito = ?"), codigo).toLongLong() > 0)
            throw Fallo{QStringLiteral("El deposito '%1' ya tiene posiciones").arg(codigo)};

        Forma f;
        f.deposito = codigo;
        f.unidad = QStringLiteral("UN");
        f.capacidad = 100;
        // Codes follow the configured level lengths, so the editor accepts them.
        if (b.ExisteTabla(QStringLiteral("TA_CONFIGURACION"))) {
            for (int i = 0; i < 3; ++i) {
                const QVariant v = b.Valor(QStringLiteral("SELECT Valor FROM TA_CONFIGURACION WHERE Clave = ?"),
                                           QStringLiteral("LAYOUT_NIVEL") + QString::number(i + 1));
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
            !b.Valor(QStringLiteral("SELECT 1 FROM TA_DEPOSITO WHERE IdDeposito = ?"), codigo).isValid()) {
            Sentencia ins(b, QStringLiteral("INSERT INTO TA_DEPOSITO (IdDeposito, Descripcion, Unidad) VALUES (?, ?, ?)"));
            ins.Ejecutar(codigo, QStringLiteral("Deposito ") + codigo.trimmed(), QStringLiteral("   1"));
        }
        const qint64 hechas = InsertarLayout(b, f, cantidad, Reservas{});
        if (hechas != cantidad) throw Fallo{QStringLiteral("Se generaron %1 posiciones de %2").arg(hechas).arg(cantidad)};
        t.Confirmar();
        return true;
    } catch (const Fallo& f) {
        if (error) *error = f.texto;
        return false;
    }
}

}  // namespace demo
