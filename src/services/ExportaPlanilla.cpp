#include "services/ExportaPlanilla.h"

#include "services/LectorFilas.h"
#include "services/Plataforma.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <xlsxwriter.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <vector>

namespace {

// How a column is written, from its ADO type number.
enum class Clase { Texto, Numero, Marca, Fecha };

Clase ClaseDe(int tipo) {
    switch (tipo) {
        case 2:    // adSmallInt
        case 3:    // adInteger
        case 4:    // adSingle
        case 5:    // adDouble
        case 6:    // adCurrency
        case 14:   // adDecimal
        case 16:   // adTinyInt
        case 17:   // adUnsignedTinyInt
        case 18:   // adUnsignedSmallInt
        case 19:   // adUnsignedInt
        case 20:   // adBigInt
        case 21:   // adUnsignedBigInt
        case 131:  // adNumeric
        case 139:  // adVarNumeric
            return Clase::Numero;
        case 11:  // adBoolean
            return Clase::Marca;
        case 7:    // adDate
        case 133:  // adDBDate
        case 134:  // adDBTime
        case 135:  // adDBTimeStamp
            return Clase::Fecha;
        default:
            return Clase::Texto;
    }
}

// Excel's limits: 31 characters and no []:*?/\ in a sheet name; 32,767 characters in a cell;
// 1,048,576 rows in a sheet.
QString NombreHoja(const QString& titulo) {
    QString r = titulo;
    static const QRegularExpression prohibidos(QStringLiteral("[\\[\\]:*?/\\\\]"));
    r.replace(prohibidos, QStringLiteral("_"));
    r = r.trimmed();
    while (r.startsWith(QLatin1Char('\''))) r.remove(0, 1);
    while (r.endsWith(QLatin1Char('\''))) r.chop(1);
    r = r.left(31);
    return r.isEmpty() ? QStringLiteral("Hoja1") : r;
}

QString NombreArchivo(const QString& titulo) {
    QString r = titulo.trimmed();
    static const QRegularExpression prohibidos(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]"));
    r.replace(prohibidos, QStringLiteral("_"));
    return (r.isEmpty() ? QStringLiteral("Planilla") : r) + QStringLiteral(".xlsx");
}

constexpr int kMaxTextoCelda = 32767;
constexpr qint64 kMaxFilas = 1048576;

bool EsTablaValida(const QString& tabla) {
    static const QRegularExpression re(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*(\\.[A-Za-z_][A-Za-z0-9_]*){0,2}$"));
    return re.match(tabla).hasMatch();
}

// A number from whatever the reader hands over: a number, a flag, or its text.
bool ComoNumero(const QVariant& v, double* n) {
    switch (v.typeId()) {
        case QMetaType::Bool:
            *n = v.toBool() ? 1 : 0;
            return true;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Double:
        case QMetaType::Float:
            *n = v.toDouble();
            return std::isfinite(*n);
        default:
            break;
    }
    const QString t = v.toString().trimmed();
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
        *n = 1;
        return true;
    }
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
        *n = 0;
        return true;
    }
    bool ok = false;
    *n = t.toDouble(&ok);
    return ok && std::isfinite(*n);
}

bool ComoFecha(const QVariant& v, QDateTime* f) {
    if (v.typeId() == QMetaType::QDateTime)
        *f = v.toDateTime();
    else if (v.typeId() == QMetaType::QDate)
        *f = v.toDate().startOfDay();
    else {
        const QString t = v.toString().trimmed();
        *f = QDateTime::fromString(t, Qt::ISODateWithMs);
        if (!f->isValid()) *f = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!f->isValid()) *f = QDate::fromString(t, Qt::ISODate).startOfDay();
    }
    return f->isValid() && f->date().year() >= 1900 && f->date().year() <= 9999;
}

// Characters shown by a number in Excel's General format (at most 11 significant digits).
int AnchoNumero(double n) {
    return static_cast<int>(QString::number(n, 'g', 11).size());
}

// Closes the banner however the export ends.
struct FinProgreso {
    const std::function<void()>& fin;
    ~FinProgreso() {
        if (fin) fin();
    }
};

// Frees a workbook that was not written (cancelled or failed before closing): no file is created.
struct LibroAbierto {
    lxw_workbook* libro = nullptr;
    ~LibroAbierto() {
        if (libro) lxw_workbook_free(libro);
    }
};

QString TextoError(lxw_error e) {
    return QString::fromUtf8(lxw_strerror(e));
}

}  // namespace

ExportaPlanilla& ExportaPlanilla::instancia() {
    static ExportaPlanilla e;
    return e;
}

ExportaPlanilla::Progreso ExportaPlanilla::EstablecerProgreso(Progreso p) {
    std::swap(p, progreso_);
    return p;
}

void ExportaPlanilla::Exportar(const QString& Tabla, const QString&, const QString& Titulo, const QString&) {
    const QString sugerido = plataforma().CarpetaEscritorio().isEmpty()
                                 ? NombreArchivo(Titulo)
                                 : QDir(plataforma().CarpetaEscritorio()).filePath(NombreArchivo(Titulo));
    QString destino = plataforma().ElegirArchivoGuardar(QStringLiteral("Exportar a planilla"),
                                                        QStringLiteral("Libro de Excel (*.xlsx)"), sugerido);
    if (destino.isEmpty()) return;
    if (!destino.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive)) destino += QStringLiteral(".xlsx");

    QString error;
    switch (ExportarA(Tabla, Titulo, destino, &error)) {
        case Resultado::Escrito:
            plataforma().AbrirDocumento(destino, 1);
            break;
        case Resultado::Cancelado:
            break;
        case Resultado::Error:
            plataforma().MsgBox(error, vb::Critical, QString());
            break;
    }
}

ExportaPlanilla::Resultado ExportaPlanilla::ExportarA(const QString& Tabla, const QString& Titulo, const QString& destino,
                                                      QString* error) {
    auto fallo = [&](const QString& texto) {
        if (error) *error = texto;
        return Resultado::Error;
    };
    if (!EsTablaValida(Tabla)) return fallo(QStringLiteral("No se puede exportar \"%1\": no es un nombre de tabla.").arg(Tabla));

    if (progreso_.inicio) progreso_.inicio(Titulo);
    FinProgreso cierre{progreso_.fin};

    // Written beside the destination (same file system, so the final rename is atomic) under a
    // hidden name nobody else uses.
    static std::atomic<int> serie{0};
    const QFileInfo info(destino);
    const QString temporal = info.absoluteDir().filePath(
        QStringLiteral(".%1.%2-%3.tmp").arg(info.fileName()).arg(QCoreApplication::applicationPid()).arg(++serie));
    const QByteArray temporal8 = QFile::encodeName(temporal);

    // The rows come one at a time and go to the sheet at once: neither the reader nor the
    // workbook (constant-memory mode) holds the table.
    LibroAbierto libro;
    lxw_worksheet* ws = nullptr;
    lxw_format* formatoFecha = nullptr;
    lxw_format* formatoFechaHora = nullptr;
    std::vector<Clase> clases;
    // Widths in characters, fitted as the cells go by: in constant-memory mode the rows are gone
    // once written, and column widths may still be set until the workbook is closed.
    std::vector<int> anchos;
    int ncol = 0;
    qint64 total = 0, escritas = 0;
    QString problema;
    bool cancelado = false;
    lxw_error e = LXW_NO_ERROR;
    QByteArray utf8;

    auto cabecera = [&](const CabeceraLectura& c) {
        total = c.total;
        ncol = static_cast<int>(c.columnas.size());
        if (total + 1 > kMaxFilas) {
            problema = QStringLiteral("La tabla %1 tiene %2 filas: una hoja de cálculo admite %3.")
                           .arg(Tabla)
                           .arg(total)
                           .arg(kMaxFilas - 1);
            return false;
        }
        if (ncol == 0) {
            problema = QStringLiteral("La tabla %1 no tiene columnas.").arg(Tabla);
            return false;
        }
        clases.resize(ncol);
        for (int k = 0; k < ncol; ++k) clases[k] = ClaseDe(c.tipos.value(k));

        lxw_workbook_options opciones{};
        opciones.constant_memory = LXW_TRUE;
        libro.libro = workbook_new_opt(temporal8.constData(), &opciones);
        if (!libro.libro) {
            problema = QStringLiteral("No se pudo crear la planilla \"%1\".").arg(QDir::toNativeSeparators(destino));
            return false;
        }
        const QByteArray hoja8 = NombreHoja(Titulo).toUtf8();
        ws = workbook_add_worksheet(libro.libro, hoja8.constData());
        if (!ws) {
            problema = QStringLiteral("No se pudo crear la hoja \"%1\".").arg(QString::fromUtf8(hoja8));
            return false;
        }
        lxw_format* negrita = workbook_add_format(libro.libro);
        format_set_bold(negrita);
        formatoFecha = workbook_add_format(libro.libro);
        format_set_num_format(formatoFecha, "dd/mm/yyyy");
        formatoFechaHora = workbook_add_format(libro.libro);
        format_set_num_format(formatoFechaHora, "dd/mm/yyyy hh:mm:ss");

        anchos.assign(ncol, 0);
        for (int k = 0; k < ncol && !e; ++k) {
            const QByteArray t = c.columnas[k].toUtf8();
            e = worksheet_write_string(ws, 0, static_cast<lxw_col_t>(k), t.constData(), negrita);
            // Bold text plus the autofilter's drop-down button.
            anchos[k] = static_cast<int>(std::ceil(c.columnas[k].size() * 1.1)) + 3;
        }
        return !e;
    };

    auto fila = [&](const QVariantList& valores) {
        // A table that grew between the count and the reading still fits the sheet or stops here.
        if (escritas + 2 > kMaxFilas) {
            problema = QStringLiteral("La tabla %1 tiene más filas de las que admite una hoja de cálculo (%2).")
                           .arg(Tabla)
                           .arg(kMaxFilas - 1);
            return false;
        }
        const lxw_row_t r = static_cast<lxw_row_t>(++escritas);
        for (int c = 0; c < ncol && !e && c < valores.size(); ++c) {
            const QVariant& v = valores[c];
            if (v.isNull()) continue;  // NULL: an empty cell
            const lxw_col_t col = static_cast<lxw_col_t>(c);
            double n = 0;
            QDateTime fh;
            if ((clases[c] == Clase::Numero || clases[c] == Clase::Marca) && ComoNumero(v, &n)) {
                e = worksheet_write_number(ws, r, col, n, nullptr);
                anchos[c] = std::max(anchos[c], AnchoNumero(n));
            } else if (clases[c] == Clase::Fecha && ComoFecha(v, &fh)) {
                const QDate d = fh.date();
                const QTime h = fh.time();
                lxw_datetime dt{d.year(), d.month(), d.day(), h.hour(), h.minute(), h.second() + h.msec() / 1000.0};
                const bool soloFecha = h == QTime(0, 0);
                e = worksheet_write_datetime(ws, r, col, &dt, soloFecha ? formatoFecha : formatoFechaHora);
                anchos[c] = std::max(anchos[c], soloFecha ? 10 : 19);
            } else {
                const QString t = v.toString();
                const QStringView vista = QStringView(t).left(kMaxTextoCelda);
                utf8 = vista.toUtf8();
                e = worksheet_write_string(ws, r, col, utf8.constData(), nullptr);
                anchos[c] = std::max(anchos[c], static_cast<int>(vista.size()));
            }
        }
        if (e) return false;
        if (escritas % kFilasPorAviso == 0 && progreso_.avance && !progreso_.avance(escritas, std::max(total, escritas))) {
            cancelado = true;
            return false;
        }
        return true;
    };

    const QString leido = RecorrerFilas(QStringLiteral("SELECT * FROM ") + Tabla, cabecera, fila);
    if (!leido.isEmpty()) return fallo(QStringLiteral("No se pudieron leer las filas de %1: %2").arg(Tabla, leido));
    if (cancelado) return Resultado::Cancelado;
    if (!problema.isEmpty()) return fallo(problema);
    if (!ws && !e) return fallo(QStringLiteral("No se pudieron leer las filas de %1.").arg(Tabla));
    if (!e && progreso_.avance && !progreso_.avance(escritas, escritas)) return Resultado::Cancelado;

    for (int c = 0; c < ncol && !e; ++c)
        e = worksheet_set_column(ws, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), std::clamp(anchos[c] + 1, 6, 80),
                                 nullptr);
    worksheet_freeze_panes(ws, 1, 0);
    if (!e) e = worksheet_autofilter(ws, 0, 0, static_cast<lxw_row_t>(escritas), static_cast<lxw_col_t>(ncol - 1));
    if (e)
        return fallo(
            QStringLiteral("No se pudo escribir la planilla \"%1\": %2").arg(QDir::toNativeSeparators(destino), TextoError(e)));

    lxw_workbook* wb = libro.libro;
    libro.libro = nullptr;  // workbook_close frees it, whatever it returns
    e = workbook_close(wb);
    if (e) {
        QFile::remove(temporal);
        return fallo(
            QStringLiteral("No se pudo escribir la planilla \"%1\": %2").arg(QDir::toNativeSeparators(destino), TextoError(e)));
    }
    // rename(2) replaces an existing destination in one step: the operator already agreed to
    // overwrite it in the save dialog, and there is never a moment without a whole file.
    std::error_code ec;
    std::filesystem::rename(temporal8.constData(), QFile::encodeName(destino).constData(), ec);
    if (ec) {
        QFile::remove(temporal);
        return fallo(QStringLiteral("No se pudo guardar la planilla \"%1\": %2")
                         .arg(QDir::toNativeSeparators(destino), QString::fromLocal8Bit(ec.message().c_str())));
    }
    return Resultado::Escrito;
}
