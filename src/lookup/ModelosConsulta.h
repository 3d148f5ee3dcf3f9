#pragma once

#include <QAbstractItemModel>
#include <QColor>
#include <QHash>
#include <QStringList>
#include <QVector>

// The rows of the list lookup window: a table of texts with an optional check box in the first
// column and a colour and bold face per row (the stock colouring). A plain vector behind a
// QAbstractTableModel: 10,000 rows load in one reset.
class ModeloLista : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Fila {
        QVector<QString> celdas;
        Qt::CheckState marca = Qt::Unchecked;
        QColor color;  // invalid: the list's colour
        bool negrita = false;
    };

    explicit ModeloLista(QObject* padre = nullptr) : QAbstractTableModel(padre) {}

    void Reiniciar(const QStringList& encabezados, QVector<Fila> filas);
    void Limpiar() { Reiniciar({}, {}); }
    void AgregarFila(Fila f);
    void SetCasillas(bool si);
    bool Casillas() const { return casillas_; }

    int FilaCount() const { return static_cast<int>(filas_.size()); }
    const Fila& FilaEn(int fila) const { return filas_.at(fila); }
    QString Texto(int fila, int columna) const;
    void SetTexto(int fila, int columna, const QString& texto);
    void SetMarca(int fila, Qt::CheckState m);
    const QStringList& Encabezados() const { return encabezados_; }
    // The first row (from 0) whose column starts with the text, both trimmed, ignoring case; −1.
    int Buscar(int columna, const QString& texto) const;

    int rowCount(const QModelIndex& padre = QModelIndex()) const override;
    int columnCount(const QModelIndex& padre = QModelIndex()) const override;
    QVariant data(const QModelIndex& i, int rol) const override;
    bool setData(const QModelIndex& i, const QVariant& v, int rol) override;
    QVariant headerData(int seccion, Qt::Orientation o, int rol) const override;
    Qt::ItemFlags flags(const QModelIndex& i) const override;
    void sort(int columna, Qt::SortOrder orden) override;

private:
    QStringList encabezados_;
    QVector<Fila> filas_;
    bool casillas_ = false;
};

// The nodes of the tree lookup window, in the order they were added, each with its key
// ("A" + code), text, parent and children; keys are also kept in a hash (without regard to case)
// so that a parent is found without scanning.
class ModeloArbol : public QAbstractItemModel {
    Q_OBJECT
public:
    struct Nodo {
        QString clave;
        QString texto;
        int padre = -1;
        int fila = 0;  // position among its parent's children
        QVector<int> hijos;
        Qt::CheckState marca = Qt::Unchecked;
    };
    static constexpr int kNivelesMarcados = 6;

    explicit ModeloArbol(QObject* padre = nullptr) : QAbstractItemModel(padre) {}

    // Bulk building: Comenzar empties the tree, Agregar adds without signals, Terminar publishes.
    void Comenzar();
    int Agregar(int padre, const QString& clave, const QString& texto);
    void Terminar();
    void SetCasillas(bool si);
    bool Casillas() const { return casillas_; }

    int NodoCount() const { return static_cast<int>(nodos_.size()); }
    const Nodo& NodoEn(int n) const { return nodos_.at(n); }
    int Buscar(const QString& clave) const { return indice_.value(clave.toUpper(), -1); }
    // The node whose key is the longest prefix of clave (the root "A" at least), −1 without root.
    int PadrePorPrefijo(const QString& clave) const;
    QModelIndex IndiceDe(int n) const;
    int NodoDe(const QModelIndex& i) const { return i.isValid() ? static_cast<int>(i.internalId()) : -1; }
    // Sets a node's mark and that of its descendants down to kNivelesMarcados levels below it.
    void Marcar(int n, Qt::CheckState m);

    QModelIndex index(int fila, int columna, const QModelIndex& padre = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& i) const override;
    int rowCount(const QModelIndex& padre = QModelIndex()) const override;
    int columnCount(const QModelIndex& padre = QModelIndex()) const override;
    QVariant data(const QModelIndex& i, int rol) const override;
    bool setData(const QModelIndex& i, const QVariant& v, int rol) override;
    Qt::ItemFlags flags(const QModelIndex& i) const override;

private:
    QVector<Nodo> nodos_;
    QHash<QString, int> indice_;
    bool casillas_ = false;
    bool construyendo_ = false;
};
