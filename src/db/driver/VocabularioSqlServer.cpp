#include "db/driver/VocabularioSqlServer.h"

#include "db/driver/Tipos.h"
#include "services/ErrorEjecucion.h"

#include <sqlite3.h>
#include <QFileInfo>
#include <QRegularExpression>

namespace driver::vocabulario {

TipoColumna TipoDeclarado(QStringView declarado) {
    TipoColumna t;
    const QString d = declarado.toString().trimmed().toLower();
    if (d.isEmpty()) return t;
    static const QRegularExpression forma(QStringLiteral(R"(^([a-z_ ]*[a-z_])\s*(?:\(\s*(max|\d+)\s*(?:,\s*(\d+)\s*)?\))?)"));
    const auto m = forma.match(d);
    const QString base = m.hasMatch() ? m.captured(1).simplified() : d;
    const bool maximo = m.captured(2) == QLatin1String("max");
    const bool conA1 = !m.captured(2).isEmpty() && !maximo;
    const int a1 = m.captured(2).toInt();
    const bool conA2 = !m.captured(3).isEmpty();
    const int a2 = m.captured(3).toInt();
    auto es = [&](std::initializer_list<const char*> nombres) {
        for (const char* n : nombres)
            if (base == QLatin1String(n)) return true;
        return false;
    };
    auto fijo = [&](int tipoAdo, int tamano, int precision, int escala, Conversion c) {
        t.tipo = tipoAdo;
        t.tamano = tamano;
        t.precision = precision;
        t.escala = escala;
        t.conversion = c;
    };
    // A character or binary type: its length in the declaration (1 without one); (max) is the long
    // type of the family, as large as the family holds.
    auto conLargo = [&](int tipoAdo, int tipoLargo, int tamanoLargo, int porDefecto, Conversion c) {
        fijo(maximo ? tipoLargo : tipoAdo, maximo ? tamanoLargo : (conA1 && a1 > 0 ? a1 : porDefecto), 0, 0, c);
    };
    using namespace tipo;
    if (es({"varchar", "character varying", "varchar2"}))
        conLargo(adVarChar, adLongVarChar, kTextoLargo, 1, Conversion::Texto);
    else if (es({"nvarchar", "national varchar", "national character varying", "nvarchar2"}))
        conLargo(adVarWChar, adLongVarWChar, 1073741823, 1, Conversion::Texto);
    else if (es({"sysname"})) {
        fijo(adVarWChar, 128, 0, 0, Conversion::Texto);
        t.tamanoDelNombre = true;
    } else if (es({"char", "character"}))
        conLargo(adChar, adLongVarChar, kTextoLargo, 1, Conversion::Texto);
    else if (es({"nchar", "national char", "national character"}))
        conLargo(adWChar, adLongVarWChar, 1073741823, 1, Conversion::Texto);
    else if (es({"text", "clob"}))
        fijo(adLongVarChar, kTextoLargo, 0, 0, Conversion::Texto);
    else if (es({"ntext"}))
        fijo(adLongVarWChar, 1073741823, 0, 0, Conversion::Texto);
    else if (es({"uniqueidentifier"}))
        fijo(adGUID, 16, 0, 0, Conversion::Texto);
    else if (es({"int", "integer"}))
        fijo(adInteger, 4, 10, 0, Conversion::Entero);
    else if (es({"smallint"}))
        fijo(adSmallInt, 2, 5, 0, Conversion::Entero);
    else if (es({"tinyint"}))
        fijo(adUnsignedTinyInt, 1, 3, 0, Conversion::Entero);
    else if (es({"bigint"}))
        fijo(adBigInt, 8, 19, 0, Conversion::Entero);
    else if (es({"bit", "boolean", "bool"}))
        fijo(adBoolean, 2, 0, 0, Conversion::Logico);
    else if (es({"money"}))
        fijo(adCurrency, 8, 19, 4, Conversion::Doble);
    else if (es({"smallmoney"}))
        fijo(adCurrency, 4, 10, 4, Conversion::Doble);
    else if (es({"decimal", "numeric", "dec"}))
        fijo(adNumeric, 19, conA1 && a1 > 0 ? a1 : 18, conA2 ? a2 : 0, Conversion::Doble);
    else if (es({"float", "real", "double", "double precision"}))
        fijo(adDouble, 8, 15, 0, Conversion::Doble);  // SQLite keeps every real in 8 bytes
    else if (es({"datetime", "smalldatetime", "datetime2", "timestamp", "datetimeoffset"}))
        fijo(adDBTimeStamp, 16, 23, 3, Conversion::Fecha);
    else if (es({"date"}))
        fijo(adDBDate, 6, 10, 0, Conversion::Fecha);
    else if (es({"time"}))
        fijo(adDBTime, 6, 8, 0, Conversion::Texto);
    else if (es({"binary"}))
        conLargo(adBinary, adLongVarBinary, kTextoLargo, 1, Conversion::Binario);
    else if (es({"varbinary"}))
        conLargo(adVarBinary, adLongVarBinary, kTextoLargo, 1, Conversion::Binario);
    else if (es({"image", "blob"}))
        fijo(adLongVarBinary, kTextoLargo, 0, 0, Conversion::Binario);
    if (t.Reconocido() && (maximo || (!EsTexto(t.tipo) && !EsBinario(t.tipo)) || t.tamano >= 1073741823))
        t.tamanoDelNombre = true;
    return t;
}

bool EsTexto(int t) {
    using namespace tipo;
    return t == adChar || t == adVarChar || t == adLongVarChar || t == adWChar || t == adVarWChar || t == adLongVarWChar ||
           t == adBSTR;
}

bool EsBinario(int t) {
    return t == tipo::adBinary || t == tipo::adVarBinary || t == tipo::adLongVarBinary;
}

bool EsNumericoExacto(int t) {
    return t == tipo::adNumeric || t == tipo::adDecimal || t == tipo::adCurrency;
}

int TipoEsquema(int t) {
    using namespace tipo;
    switch (t) {
        case adVarChar:
        case adLongVarChar:
        case adChar:
            return adChar;
        case adVarWChar:
        case adLongVarWChar:
        case adWChar:
            return adWChar;
        case adVarBinary:
        case adLongVarBinary:
            return adBinary;
        default:
            return t;
    }
}

bool EsModificacion(const QString& sql) {
    const QString t = sql.trimmed();
    for (const char* p : {"INSERT", "UPDATE", "DELETE", "REPLACE"})
        if (t.startsWith(QLatin1String(p), Qt::CaseInsensitive)) return true;
    return false;
}

ErrorProveedor Proveedor(const QString& estado, long nativo, const QString& descripcion, const QString& origen) {
    ErrorProveedor e;
    e.SQLState = estado;
    e.Number = errnum::E_FAIL;
    e.Description = descripcion;
    e.NativeError = nativo;
    e.Source = origen;
    return e;
}

namespace {

QString Despues(const QString& mensaje, const QString& marca) {
    const qsizetype p = mensaje.indexOf(marca, 0, Qt::CaseInsensitive);
    return p < 0 ? QString() : mensaje.mid(p + marca.size()).trimmed();
}

QString TablaDeRestriccion(const QString& mensaje) {
    // "UNIQUE constraint failed: T.a, T.b" -> T
    const QString resto = Despues(mensaje, QStringLiteral("failed:"));
    const qsizetype punto = resto.indexOf(QLatin1Char('.'));
    return punto < 0 ? resto : resto.left(punto);
}

// The class of a failure known only by its text (what an ODBC driver reports), as a result code.
int CodigoDelTexto(const QString& m) {
    auto tiene = [&](const char* s) { return m.contains(QLatin1String(s), Qt::CaseInsensitive); };
    if (tiene("UNIQUE constraint failed") || tiene("PRIMARY KEY must be unique") || tiene("is not unique") ||
        tiene("are not unique"))
        return SQLITE_CONSTRAINT_UNIQUE;
    if (tiene("NOT NULL constraint failed") || tiene("may not be NULL")) return SQLITE_CONSTRAINT_NOTNULL;
    if (tiene("FOREIGN KEY constraint failed")) return SQLITE_CONSTRAINT_FOREIGNKEY;
    if (tiene("CHECK constraint failed")) return SQLITE_CONSTRAINT_CHECK;
    if (tiene("would be truncated")) return SQLITE_CONSTRAINT_TRIGGER;
    if (tiene("database is locked") || tiene("database is busy")) return SQLITE_BUSY;
    if (tiene("database table is locked")) return SQLITE_LOCKED;
    if (tiene("disk I/O error")) return SQLITE_IOERR;
    if (tiene("readonly database")) return SQLITE_READONLY;
    if (tiene("database or disk is full")) return SQLITE_FULL;
    if (tiene("unable to open database")) return SQLITE_CANTOPEN;
    if (tiene("file is not a database") || tiene("file is encrypted")) return SQLITE_NOTADB;
    if (tiene("malformed")) return SQLITE_CORRUPT;
    if (tiene("interrupted")) return SQLITE_INTERRUPT;
    return SQLITE_ERROR;
}

}  // namespace

QList<ErrorProveedor> ErroresSqlite(int codigo, const QString& mensaje, int esperaMs, bool abriendo, const QString& origen) {
    QList<ErrorProveedor> l;
    auto agregar = [&](const char* estado, long nativo, const QString& descripcion) {
        l << Proveedor(QString::fromLatin1(estado), nativo, descripcion, origen);
    };
    // A driver that reports only SQLite's generic code (or none) leaves the class to the text.
    const int rc =
        (codigo & 0xff) == 0 || codigo == SQLITE_ERROR || codigo == SQLITE_CONSTRAINT ? CodigoDelTexto(mensaje) : codigo;
    bool terminada = false;
    switch (rc & 0xff) {
        case SQLITE_CONSTRAINT:
            terminada = true;
            if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY || rc == SQLITE_CONSTRAINT_ROWID) {
                agregar(
                    "23000", nativo::ClaveDuplicada,
                    QStringLiteral("Violation of PRIMARY KEY constraint. Cannot insert duplicate key in object 'dbo.%1'. (%2)")
                        .arg(TablaDeRestriccion(mensaje), mensaje));
            } else if (rc == SQLITE_CONSTRAINT_NOTNULL) {
                const QString columna = Despues(mensaje, QStringLiteral("failed:"));
                const qsizetype punto = columna.indexOf(QLatin1Char('.'));
                agregar("23000", nativo::NoAdmiteNulos,
                        QStringLiteral("Cannot insert the value NULL into column '%1', table '%2'; column does not allow nulls.")
                            .arg(punto < 0 ? columna : columna.mid(punto + 1), punto < 0 ? QString() : columna.left(punto)));
            } else if (mensaje.contains(QLatin1String("would be truncated"))) {
                agregar("22001", nativo::Truncamiento, QStringLiteral("String or binary data would be truncated."));
            } else if (rc == SQLITE_CONSTRAINT_TRIGGER) {
                agregar("42000", nativo::ErrorUsuario, mensaje);
            } else if (rc == SQLITE_CONSTRAINT_CHECK) {
                agregar("23000", nativo::Referencia,
                        QStringLiteral("The statement conflicted with the CHECK constraint \"%1\".")
                            .arg(Despues(mensaje, QStringLiteral("failed:"))));
            } else {
                agregar("23000", nativo::Referencia,
                        QStringLiteral("The statement conflicted with the REFERENCE constraint. (%1)").arg(mensaje));
            }
            break;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            // Another workstation holds the file: not a lost connection, and nothing was done.
            agregar("HYT00", nativo::TiempoAgotado,
                    esperaMs < 0
                        ? QStringLiteral("La base de datos está ocupada por otro puesto; se dejó de esperar y no se hizo "
                                         "nada. Puede volver a intentarlo. (%1)")
                              .arg(mensaje)
                        : QStringLiteral("La base de datos está ocupada por otro puesto: siguió bloqueada los %1 segundos "
                                         "de espera y no se hizo nada. Puede volver a intentarlo. (%2)")
                              .arg(esperaMs / 1000)
                              .arg(mensaje));
            break;
        case SQLITE_INTERRUPT:
            agregar("HY008", nativo::TiempoAgotado, QStringLiteral("Operation cancelled. (%1)").arg(mensaje));
            break;
        case SQLITE_IOERR:
        case SQLITE_CANTOPEN:
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
        case SQLITE_PROTOCOL:
        case SQLITE_NOLFS:
            if (abriendo)
                agregar("42000", nativo::NoSePuedeAbrirBase,
                        QStringLiteral("Cannot open database requested by the login. The login failed. (%1)").arg(mensaje));
            else
                agregar("08S01", nativo::ConexionPerdida,
                        QStringLiteral("General network error. Check your network documentation. (%1)").arg(mensaje));
            break;
        case SQLITE_FULL:
            agregar("42000", nativo::SinEspacio,
                    QStringLiteral("Could not allocate space in the database: the disk is full. (%1)").arg(mensaje));
            break;
        case SQLITE_READONLY:
            agregar("25000", nativo::BaseSoloLectura,
                    QStringLiteral("La base de datos es de solo lectura: no se grabó nada. (%1)").arg(mensaje));
            break;
        case SQLITE_TOOBIG:
            terminada = true;
            agregar("22001", nativo::Truncamiento, QStringLiteral("String or binary data would be truncated."));
            break;
        case SQLITE_MISMATCH:
            agregar("22018", 245, QStringLiteral("Conversion failed. (%1)").arg(mensaje));
            break;
        case SQLITE_NOMEM:
            agregar("HY001", 701, QStringLiteral("There is insufficient system memory to run this query."));
            break;
        case SQLITE_AUTH:
        case SQLITE_PERM:
            agregar("42000", 229, QStringLiteral("The permission was denied. (%1)").arg(mensaje));
            break;
        default: {
            QString nombre;
            if (!(nombre = Despues(mensaje, QStringLiteral("no such table:"))).isEmpty() ||
                !(nombre = Despues(mensaje, QStringLiteral("no such view:"))).isEmpty()) {
                agregar("42S02", nativo::ObjetoInexistente, QStringLiteral("Invalid object name '%1'.").arg(nombre));
            } else if (!(nombre = Despues(mensaje, QStringLiteral("no such column:"))).isEmpty()) {
                agregar("42S22", nativo::ColumnaInexistente, QStringLiteral("Invalid column name '%1'.").arg(nombre));
            } else if (!(nombre = Despues(mensaje, QStringLiteral("no such function:"))).isEmpty()) {
                agregar("42000", nativo::FuncionDesconocida,
                        QStringLiteral("'%1' is not a recognized built-in function name.").arg(nombre));
            } else if (mensaje.contains(QLatin1String("syntax error")) || mensaje.contains(QLatin1String("incomplete input")) ||
                       mensaje.contains(QLatin1String("unrecognized token"))) {
                static const QRegularExpression cerca(QStringLiteral("near \"(.*)\":"));
                const auto m = cerca.match(mensaje);
                agregar("42000", nativo::Sintaxis,
                        m.hasMatch() ? QStringLiteral("Incorrect syntax near '%1'.").arg(m.captured(1))
                                     : QStringLiteral("Incorrect syntax near the end of the statement. (%1)").arg(mensaje));
            } else if (!(nombre = Despues(mensaje, QStringLiteral("duplicate column name:"))).isEmpty()) {
                agregar("42S21", 2705,
                        QStringLiteral("Column names in each table must be unique. Column name '%1' is specified more than once.")
                            .arg(nombre));
            } else if (mensaje.startsWith(QLatin1String("table ")) && mensaje.endsWith(QLatin1String("already exists"))) {
                agregar("42S01", 2714,
                        QStringLiteral("There is already an object named %1 in the database.")
                            .arg(mensaje.mid(6, mensaje.size() - 6 - 15)));
            } else {
                agregar("42000", 0, mensaje);
            }
        }
    }
    if (terminada) agregar("01000", nativo::SentenciaTerminada, QStringLiteral("The statement has been terminated."));
    return l;
}

bool EsNombreDeLaBase(const QString& nombre, const QString& nombreBase, const QString& archivo) {
    const QString n = nombre.trimmed();
    const QFileInfo fi(archivo);
    for (const QString& propio : {nombreBase, fi.completeBaseName(), fi.fileName(), archivo, fi.absoluteFilePath()})
        if (!propio.isEmpty() && propio.compare(n, Qt::CaseInsensitive) == 0) return true;
    return false;
}

ErrorProveedor BaseInexistente(const QString& nombre, const QString& origen) {
    return Proveedor(
        QStringLiteral("42000"), nativo::BaseInexistente,
        QStringLiteral("Database '%1' does not exist. Make sure that the name is entered correctly.").arg(nombre.trimmed()),
        origen);
}

QList<Campo> CamposEsquema(int tipoEsquema) {
    auto campo = [](const char* nombre, int tipoAdo, int tamano) {
        Campo c;
        c.Name = QLatin1String(nombre);
        c.Type = tipoAdo;
        c.DefinedSize = tamano;
        return c;
    };
    using namespace tipo;
    QList<Campo> c{campo("TABLE_CATALOG", adVarWChar, 128), campo("TABLE_SCHEMA", adVarWChar, 128),
                   campo("TABLE_NAME", adVarWChar, 128)};
    if (tipoEsquema == adSchemaTables) return c << campo("TABLE_TYPE", adVarWChar, 32) << campo("DESCRIPTION", adVarWChar, 255);
    return c << campo("COLUMN_NAME", adVarWChar, 128) << campo("ORDINAL_POSITION", adInteger, 4)
             << campo("COLUMN_HASDEFAULT", adBoolean, 2) << campo("COLUMN_DEFAULT", adVarWChar, 255)
             << campo("IS_NULLABLE", adBoolean, 2) << campo("DATA_TYPE", adSmallInt, 2)
             << campo("CHARACTER_MAXIMUM_LENGTH", adInteger, 4) << campo("NUMERIC_PRECISION", adSmallInt, 2)
             << campo("NUMERIC_SCALE", adSmallInt, 2);
}

QVector<QVariant> FilaColumna(const QVariant& catalogo, const QVariant& esquema, const QString& tabla, const QString& columna,
                              int ordinal, const QVariant& defecto, bool admiteNulos, const TipoColumna& t) {
    using namespace tipo;
    const bool conLargo = EsTexto(t.tipo) || EsBinario(t.tipo);
    const bool numerico = !conLargo && t.tipo != adBoolean && t.tipo != adGUID && t.tipo != adDBDate && t.tipo != adDBTime &&
                          t.tipo != adDBTimeStamp;
    return {catalogo,
            esquema,
            tabla,
            columna,
            ordinal,
            !defecto.isNull(),
            defecto,
            admiteNulos,
            TipoEsquema(t.tipo),
            conLargo ? QVariant(t.tamano) : QVariant(),
            numerico ? QVariant(t.precision) : QVariant(),
            EsNumericoExacto(t.tipo) ? QVariant(t.escala) : QVariant()};
}

}  // namespace driver::vocabulario
