#include "db/driver/ExtensionesSqlite.h"

#include <sqlite3.h>
#include <QDateTime>

#include <cstring>

namespace driver::sqlite {

namespace {

inline unsigned char PlegarAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

int Signo(int v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

// The letters of a text without accents and case: the first level of the comparison.
QString Primario(const QString& s) {
    const QString d = s.normalized(QString::NormalizationForm_D);
    QString r;
    r.reserve(d.size());
    for (QChar c : d) {
        const auto cat = c.category();
        if (cat == QChar::Mark_NonSpacing || cat == QChar::Mark_SpacingCombining || cat == QChar::Mark_Enclosing) continue;
        r += c;
    }
    return r.toCaseFolded();
}

// The collation. Trailing blanks do not count. Texts are ordered by their letters first, without
// regard to case or accents (so "árbol" sorts among the a's), and texts equal in that are ordered
// by their accents: accents count, case does not, as in SQL Server's default collation. ASCII is
// compared byte by byte with the letters folded to lower case; from the first non-ASCII byte on the
// rest of both texts is compared by the two levels above. Since an ASCII prefix is its own first
// level, both ways give one total order.
int CompararUtf8(int n1, const void* v1, int n2, const void* v2) {
    auto a = static_cast<const unsigned char*>(v1);
    auto b = static_cast<const unsigned char*>(v2);
    while (n1 > 0 && a[n1 - 1] == ' ') --n1;
    while (n2 > 0 && b[n2 - 1] == ' ') --n2;
    const int m = n1 < n2 ? n1 : n2;
    int i = 0;
    for (; i < m; ++i) {
        const unsigned char c1 = a[i], c2 = b[i];
        if ((c1 | c2) & 0x80) break;
        const unsigned char f1 = PlegarAscii(c1), f2 = PlegarAscii(c2);
        if (f1 != f2) return f1 < f2 ? -1 : 1;
    }
    if (i == m) {
        if (n1 == n2) return 0;
        // One text is a prefix of the other; a longer ASCII-only rest still compares after it.
        if (i == n1) return -1;
        return 1;
    }
    const QString r1 = QString::fromUtf8(reinterpret_cast<const char*>(a + i), n1 - i);
    const QString r2 = QString::fromUtf8(reinterpret_cast<const char*>(b + i), n2 - i);
    const int primero = Signo(Primario(r1).compare(Primario(r2)));
    if (primero) return primero;
    return Signo(r1.toCaseFolded().compare(r2.toCaseFolded()));
}

int Colacion(void*, int n1, const void* a, int n2, const void* b) {
    return CompararUtf8(n1, a, n2, b);
}

// --- LIKE ----------------------------------------------------------------------------------------

template <typename C>
struct Rasgos;

template <>
struct Rasgos<unsigned char> {
    static unsigned int Plegar(unsigned char c) { return PlegarAscii(c); }
};
template <>
struct Rasgos<QChar> {
    static unsigned int Plegar(QChar c) { return c.toCaseFolded().unicode(); }
};

inline unsigned int Codigo(unsigned char c) {
    return c;
}
inline unsigned int Codigo(QChar c) {
    return c.unicode();
}

// Does the element of the pattern at p[i] (a literal, _, an escaped character or a [class]) match
// the character ch? Sets largo to the element's length in the pattern.
template <typename C>
bool CoincideElemento(const C* p, int np, int i, C ch, unsigned int escape, int& largo) {
    const unsigned int c = Codigo(p[i]);
    const unsigned int f = Rasgos<C>::Plegar(ch);
    if (escape && c == escape && i + 1 < np) {
        largo = 2;
        return Rasgos<C>::Plegar(p[i + 1]) == f;
    }
    if (c == '_') {
        largo = 1;
        return true;
    }
    if (c == '[') {
        int j = i + 1;
        bool negar = false;
        if (j < np && Codigo(p[j]) == '^') {
            negar = true;
            ++j;
        }
        int cierre = j;
        // A "]" right after "[" or "[^" belongs to the class.
        if (cierre < np && Codigo(p[cierre]) == ']') ++cierre;
        while (cierre < np && Codigo(p[cierre]) != ']') ++cierre;
        if (cierre < np) {
            bool dentro = false;
            for (int k = j; k < cierre; ++k) {
                if (k + 2 < cierre && Codigo(p[k + 1]) == '-') {
                    const unsigned int desde = Rasgos<C>::Plegar(p[k]), hasta = Rasgos<C>::Plegar(p[k + 2]);
                    if (f >= desde && f <= hasta) dentro = true;
                    k += 2;
                } else if (Rasgos<C>::Plegar(p[k]) == f) {
                    dentro = true;
                }
            }
            largo = cierre - i + 1;
            return dentro != negar;
        }
        // No closing bracket: a literal "[".
    }
    largo = 1;
    return Rasgos<C>::Plegar(p[i]) == f;
}

template <typename C>
bool Coincide(const C* s, int ns, const C* p, int np, unsigned int escape) {
    while (ns > 0 && Codigo(s[ns - 1]) == ' ') --ns;  // trailing blanks of the text do not count
    int pi = 0, si = 0, estrellaP = -1, estrellaS = -1;
    while (si < ns) {
        if (pi < np) {
            if (Codigo(p[pi]) == '%' && !(escape && Codigo(p[pi]) == escape)) {
                while (pi < np && Codigo(p[pi]) == '%') ++pi;
                estrellaP = pi;
                estrellaS = si;
                continue;
            }
            int largo = 1;
            if (CoincideElemento(p, np, pi, s[si], escape, largo)) {
                pi += largo;
                ++si;
                continue;
            }
        }
        if (estrellaP >= 0) {
            pi = estrellaP;
            si = ++estrellaS;
            continue;
        }
        return false;
    }
    while (pi < np && Codigo(p[pi]) == '%') ++pi;
    return pi == np;
}

bool EsAscii(const unsigned char* s, int n) {
    for (int i = 0; i < n; ++i) {
        if (s[i] & 0x80) return false;
    }
    return true;
}

void FuncionLike(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    // X LIKE Y [ESCAPE Z] calls like(Y, X [, Z]).
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    auto patron = sqlite3_value_text(argv[0]);
    const int np = sqlite3_value_bytes(argv[0]);
    auto texto = sqlite3_value_text(argv[1]);
    const int ns = sqlite3_value_bytes(argv[1]);
    QString escape;
    if (argc == 3 && sqlite3_value_type(argv[2]) != SQLITE_NULL) {
        escape = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[2])), sqlite3_value_bytes(argv[2]));
        if (escape.size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
    }
    const unsigned int esc = escape.isEmpty() ? 0u : escape.at(0).unicode();
    bool r;
    if (EsAscii(patron, np) && EsAscii(texto, ns) && esc < 0x80) {
        r = Coincide(texto, ns, patron, np, esc);
    } else {
        const QString p = QString::fromUtf8(reinterpret_cast<const char*>(patron), np);
        const QString s = QString::fromUtf8(reinterpret_cast<const char*>(texto), ns);
        r = Coincide(s.constData(), static_cast<int>(s.size()), p.constData(), static_cast<int>(p.size()), esc);
    }
    sqlite3_result_int(ctx, r ? 1 : 0);
}

// --- SQL Server functions ------------------------------------------------------------------------

QString TextoDe(sqlite3_value* v) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)), sqlite3_value_bytes(v));
}

void ResultadoTexto(sqlite3_context* ctx, const QString& s) {
    const QByteArray u = s.toUtf8();
    sqlite3_result_text(ctx, u.constData(), static_cast<int>(u.size()), SQLITE_TRANSIENT);
}

void FuncionLen(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    QString s = TextoDe(argv[0]);
    int n = static_cast<int>(s.size());
    while (n > 0 && s.at(n - 1) == QLatin1Char(' ')) --n;
    sqlite3_result_int(ctx, n);
}

void FuncionCharindex(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString buscado = TextoDe(argv[0]);
    const QString texto = TextoDe(argv[1]);
    int desde = 0;
    if (argc == 3 && sqlite3_value_type(argv[2]) != SQLITE_NULL) desde = qMax(0, sqlite3_value_int(argv[2]) - 1);
    if (buscado.isEmpty()) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    const qsizetype p = texto.indexOf(buscado, desde, Qt::CaseInsensitive);
    sqlite3_result_int(ctx, p < 0 ? 0 : static_cast<int>(p) + 1);
}

void FuncionSubstring(sqlite3_context* ctx, int, sqlite3_value** argv) {
    for (int i = 0; i < 3; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            sqlite3_result_null(ctx);
            return;
        }
    }
    const QString s = TextoDe(argv[0]);
    // SQL Server counts a start below 1 as positions before the text.
    const qint64 inicio = sqlite3_value_int64(argv[1]);
    const qint64 largo = sqlite3_value_int64(argv[2]);
    if (largo < 0) {
        sqlite3_result_error(ctx, "Invalid length parameter passed to the substring function.", -1);
        return;
    }
    const qint64 fin = inicio + largo;  // exclusive, 1-based
    const qint64 desde = qMax<qint64>(inicio, 1);
    const qint64 hasta = qMin<qint64>(fin, s.size() + 1);
    ResultadoTexto(ctx, hasta > desde ? s.mid(desde - 1, hasta - desde) : QString());
}

// upper() and lower() for all of Unicode, as SQL Server's UPPER and LOWER.
void FuncionMayusculas(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    ResultadoTexto(ctx, TextoDe(argv[0]).toUpper());
}

void FuncionMinusculas(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    ResultadoTexto(ctx, TextoDe(argv[0]).toLower());
}

void FuncionGetdate(sqlite3_context* ctx, int, sqlite3_value**) {
    ResultadoTexto(ctx, QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

// BINARY_CHECKSUM(v1, v2, ...): a 32-bit number that changes when any of the values changes, case
// and trailing blanks included. It is not the number SQL Server gives; it is only ever compared with
// another taken from the same database, to tell whether rows changed.
void FuncionBinaryChecksum(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    quint32 h = 2166136261u;
    auto mezclar = [&h](const void* datos, size_t n) {
        const auto* p = static_cast<const unsigned char*>(datos);
        for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 16777619u;
    };
    for (int i = 0; i < argc; ++i) {
        const int tipo = sqlite3_value_type(argv[i]);
        // 10 and 10.0 are one number, whichever way the column stored it.
        const unsigned char marca = static_cast<unsigned char>(tipo == SQLITE_INTEGER ? SQLITE_FLOAT : tipo);
        mezclar(&marca, 1);
        if (tipo == SQLITE_INTEGER || tipo == SQLITE_FLOAT) {
            double v = sqlite3_value_double(argv[i]);
            if (v == 0) v = 0;  // -0.0 is 0
            mezclar(&v, sizeof v);
        } else if (tipo != SQLITE_NULL) {
            const void* datos = tipo == SQLITE_BLOB ? sqlite3_value_blob(argv[i]) : sqlite3_value_text(argv[i]);
            const int n = sqlite3_value_bytes(argv[i]);
            mezclar(&n, sizeof n);
            if (datos) mezclar(datos, static_cast<size_t>(n));
        }
    }
    sqlite3_result_int64(ctx, static_cast<qint32>(h));
}

// CHECKSUM_AGG(x): the checksums of a group folded into one, whatever order the rows come in; NULL
// for no rows, as SQL Server gives.
struct SumaChecksum {
    quint32 suma;
    bool alguna;
};
void PasoChecksumAgg(sqlite3_context* ctx, int, sqlite3_value** argv) {
    auto* s = static_cast<SumaChecksum*>(sqlite3_aggregate_context(ctx, sizeof(SumaChecksum)));
    if (!s || sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
    s->suma += static_cast<quint32>(sqlite3_value_int64(argv[0]));
    s->alguna = true;
}
void FinChecksumAgg(sqlite3_context* ctx) {
    auto* s = static_cast<SumaChecksum*>(sqlite3_aggregate_context(ctx, 0));
    if (!s || !s->alguna)
        sqlite3_result_null(ctx);
    else
        sqlite3_result_int64(ctx, static_cast<qint32>(s->suma));
}

}  // namespace

int CompararTexto(const QString& a, const QString& b) {
    const QByteArray ua = a.toUtf8(), ub = b.toUtf8();
    return CompararUtf8(static_cast<int>(ua.size()), ua.constData(), static_cast<int>(ub.size()), ub.constData());
}

bool Como(const QString& texto, const QString& patron, QChar escape) {
    return Coincide(texto.constData(), static_cast<int>(texto.size()), patron.constData(), static_cast<int>(patron.size()),
                    escape.unicode());
}

int RegistrarExtensiones(sqlite3* db) {
    int rc = sqlite3_create_collation_v2(db, "NOCASE", SQLITE_UTF8, nullptr, Colacion, nullptr);
    const int determinista = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "like", 2, determinista, nullptr, FuncionLike, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "like", 3, determinista, nullptr, FuncionLike, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "len", 1, determinista, nullptr, FuncionLen, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "charindex", 2, determinista, nullptr, FuncionCharindex, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "charindex", 3, determinista, nullptr, FuncionCharindex, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "substring", 3, determinista, nullptr, FuncionSubstring, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "upper", 1, determinista, nullptr, FuncionMayusculas, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "lower", 1, determinista, nullptr, FuncionMinusculas, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "getdate", 0, SQLITE_UTF8, nullptr, FuncionGetdate, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "binary_checksum", -1, determinista, nullptr, FuncionBinaryChecksum, nullptr, nullptr,
                                        nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "checksum_agg", 1, determinista, nullptr, nullptr, PasoChecksumAgg, FinChecksumAgg,
                                        nullptr);
    return rc;
}

}  // namespace driver::sqlite
