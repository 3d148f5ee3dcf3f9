#pragma once

#include "services/ErrorEjecucion.h"

#include <QDate>
#include <QString>
#include <QVariant>

class QWidget;

// The suite's common service object: small text, number, folder and window services. One instance
// for the whole run, created on first use.
class FuncionesComunes {
public:
    static FuncionesComunes& instancia();

    // The text cut to at most n characters (UTF-16 units), never in the middle of a character.
    QString LimitarTexto(const QString& texto, int n) const;
    // The number a text holds, at currency precision (four decimals). The decimal separator may be
    // a comma (the suite's regional form) or a point; when both appear, the last one is the decimal
    // separator and the other groups thousands. Only the leading number counts: "12abc" is 12,
    // "abc" and the empty text are 0.
    double ValorNumerico(const QString& texto) const;
    // The integer a text holds (rounded half to even, as the suite's integer conversion does).
    int ValorEntero(const QString& texto) const;
    // A field value as text; NULL gives "".
    QString TextoCampo(const QVariant& valor) const;
    // The number of blank-separated words.
    int CantidadPalabras(const QString& texto) const;
    // The text without any occurrence of the character(s).
    QString QuitarCaracter(const QString& texto, const QString& caracter) const;
    // Every occurrence of buscar replaced by reemplazo (exact letter case).
    QString ReemplazarTexto(const QString& texto, const QString& buscar, const QString& reemplazo) const;
    void SustituirTexto(const QString& texto, const QString& buscar, const QString& reemplazo, QString& resultado) const;
    // The date the operator picks; false (and the variable unchanged) when cancelled.
    bool ElegirFecha(QDate& fecha) const;
    // The suite's common look for a window.
    void PrepararVentana(QWidget* ventana, bool opcion = false) const;
    // Restores the screen's normal state (the default mouse pointer).
    void Restablecer(int modo = 0) const;
    // A text in the fixed width of stored codes: longer texts are cut to n characters, a shorter
    // all-digit text is right-aligned with leading blanks ("1", 4 -> "   1"), any other text is kept
    // trimmed.
    QString FormatoLongitud(const QString& texto, int n) const;
    // The common error dialog: shows the error and the routine, logs it, and answers 4 retry,
    // 5 ignore or anything else for abort.
    int ErrorRutina(const ErrorEjecucion& error, const QString& rutina) const;
    // Stored form of a user name or password, and back: Decodificar(Codificar(x)) == x.
    QString Codificar(const QString& texto) const;
    QString Decodificar(const QString& texto) const;
    // The folder with a trailing separator.
    QString RutaCarpeta(const QString& carpeta) const;
    // A fixed-length field read from a file: NUL and padding removed, then trimmed.
    QString LimpiarCampoFijo(const QString& campo) const;
    // A value fitted for display: its text, trimmed.
    QString AjustarTexto(const QVariant& valor) const;
    // The program folder with a trailing separator.
    QString CarpetaPrograma() const;
    // Convert with the platform's rules (a number when the text is one, otherwise the text).
    QVariant ConvertirValor(const QString& texto) const;
    // True when the text is a number the platform accepts (VB IsNumeric): optional blanks and
    // sign, digits with at most one decimal separator.
    bool EsNumerico(const QString& texto) const;
    // The leading-number reading of the suite (VB Val): blanks skipped, a point as decimal
    // separator, 0 when the text does not start with a number.
    double Val(const QString& texto) const;
    // A text with its words capitalised (proper case).
    QString NombrePropio(const QString& texto) const;
};
