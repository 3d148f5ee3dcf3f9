#pragma once

#include <QString>
#include <QVariant>

// A row whose columns can be read by name (a record set of the database layer implements it),
// so that form services can fill controls without knowing the database.
class FuenteCampos {
public:
    virtual ~FuenteCampos() = default;
    // True when the row has a column of that name (names compared without regard to case).
    virtual bool TieneCampo(const QString& nombre) const = 0;
    // The column's value; a null QVariant for NULL.
    virtual QVariant ValorCampo(const QString& nombre) const = 0;
    // The column's defined size in characters (text columns), 0 when unknown.
    virtual int TamanoCampo(const QString& nombre) const {
        Q_UNUSED(nombre);
        return 0;
    }
};
