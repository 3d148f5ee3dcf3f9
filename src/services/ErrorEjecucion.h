#pragma once

#include <QString>
#include <exception>
#include <string>

// A run-time error as the suite's programs know it: a number, a description and the source that
// raised it. Every failure that an error handler of the program may answer with retry / ignore /
// leave travels as this exception; nothing else is caught by the step runner.
struct ErrorEjecucion : std::exception {
    long Number = 0;
    QString Description;
    QString Source;

    ErrorEjecucion() = default;
    ErrorEjecucion(long numero, QString descripcion, QString origen = {});

    const char* what() const noexcept override;

private:
    mutable std::string what_;
};

// The project name, which is the source of every error raised inside the program.
inline const QString kProyecto = QStringLiteral("MA_POSICIONES");
// The name of the executable, under which the suite knows this program.
inline const QString kNombrePrograma = QStringLiteral("MA_POSICIONES");

// Error numbers the program reacts to. Provider errors keep the signed 32-bit value under which
// the suite's programs see them (0x80004005 is -2147467259).
namespace errnum {
constexpr long InvalidProcedureCall = 5;  // invalid procedure call or argument
constexpr long TypeMismatch = 13;
constexpr long FileNotFound = 53;
constexpr long PathFileAccess = 75;
constexpr long ObjectRequired = 424;
constexpr long OperationNotAllowed = 3219;             // adErrIllegalOperation (pending edit while closing)
constexpr long WrongType = 3421;                       // adErrDataConversion
constexpr long ObjectClosed = 3704;                    // adErrObjectClosed
constexpr long ObjectOpen = 3705;                      // adErrObjectOpen
constexpr long ConnectionInvalid = 3709;               // adErrInvalidConnection
constexpr long E_FAIL = -2147467259;                   // 0x80004005
constexpr long DB_E_ERRORSINCOMMAND = -2147217900;     // 0x80040E14
constexpr long DB_E_INTEGRITYVIOLATION = -2147217873;  // 0x80040E2F
constexpr long DB_E_NOTABLE = -2147217865;             // 0x80040E37
constexpr long TreeKeyNotUnique = 35602;               // a tree node with that key already exists
constexpr long TreeNodeNotFound = 35601;
}  // namespace errnum
