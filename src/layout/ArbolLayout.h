#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QString>
#include <QStringView>
#include <vector>

// The image list of the layout tree: 16 x 16 pictures, each tagged with its name.
class ImagenesLayout {
public:
    void Limpiar() { imagenes_.clear(); }
    void Agregar(const QString& etiqueta, const QIcon& icono) { imagenes_.append({etiqueta, icono}); }
    int Cantidad() const { return static_cast<int>(imagenes_.size()); }
    QString Etiqueta(int indice) const;  // 1-based
    QIcon Icono(int indice) const;       // 1-based; a null icon outside the list
    // The 1-based index of the first image whose trimmed tag equals the trimmed name without regard
    // to case; 0 when none matches.
    int IndiceImagen(const QString& nombre) const;

    // The four level pictures, drawn (no picture files to ship): "CALLE", "POSICION", "NIVEL", "NAVE".
    static QIcon DibujarIcono(const QString& nombre);

private:
    struct Imagen {
        QString etiqueta;
        QIcon icono;
    };
    QList<Imagen> imagenes_;
};

// The layout tree as an item model: one root and one node per position. A warehouse can hold
// 100,000 positions, so nodes live in one vector (no object per node) and a hash from code to node
// gives the single-node updates after a save without searching.
//
// Keys are those of the suite's tree: "A" + the code exactly as stored; the root's key is "A".
// Keys are compared without regard to case, as the database compares codes.
class ModeloArbolLayout : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit ModeloArbolLayout(QObject* padre = nullptr);

    void SetImagenes(const ImagenesLayout* imagenes) { imagenes_ = imagenes; }
    // The length of the longest code the levels allow (0: unknown). A node with a code that long
    // can have no children, which the view is told: it then keeps no expanded state for it, and a
    // tree of 100,000 positions is mostly such nodes. A longer code added later raises the limit.
    void SetLargoMaximo(int largo) { largoMaximo_ = largo; }

    // Empties the tree (no root).
    void Limpiar();

    // A full rebuild, in three calls: Comenzar (the reset starts; the root is added), one
    // AgregarFila per position in code order, Terminar (the reset ends). Each row is hung under
    // its longest existing prefix (the root when none), found in the same ordered pass: in code
    // order every prefix of a code that exists is still on the path from the previous row.
    void Comenzar(qsizetype filasPrevistas, const QString& textoRaiz);
    // Raises ErrorEjecucion 35602 when the key already exists.
    void AgregarFila(const QString& codigo, const QString& descripcion, int imagen);
    void Terminar();

    // Adds one node as the last child of the node with the key relativa (a model insertion, no
    // reset). Raises 35602 when the key exists and 35601 when relativa does not.
    QModelIndex AgregarNodo(const QString& relativa, const QString& codigo, const QString& texto, int imagen);
    // Replaces the text of a node.
    void CambiarTexto(const QModelIndex& indice, const QString& texto);

    // The node of a key ("A" + code), invalid when none.
    QModelIndex IndiceDeClave(const QString& clave) const;
    // The key of a node ("A" for the root).
    QString Clave(const QModelIndex& indice) const;
    QString Texto(const QModelIndex& indice) const;
    int Imagen(const QModelIndex& indice) const;
    // Nodes including the root.
    int CantidadNodos() const { return static_cast<int>(nodos_.size()); }
    // The node of the longest existing proper prefix of the code (0, the root, when none); -1 when
    // the tree has no root.
    int NodoPrefijoMasLargo(const QString& codigo) const;

    // QAbstractItemModel
    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    // The code is the first largoCodigo characters of the text (code + " - " + description), so
    // it is stored once; the hash keys are views into those texts.
    struct Nodo {
        QString texto;
        std::vector<int> hijos;
        int padre = -1;
        int fila = 0;
        qint16 largoCodigo = 0;
        qint16 imagen = 0;
    };
    // A code as a hash key, its hash worked out once (a lookup before an insertion needs it twice).
    struct ClaveCodigo {
        QStringView codigo;
        size_t hash;
        ClaveCodigo(QStringView c) : codigo(c), hash(Hash(c)) {}
        ClaveCodigo(QStringView c, size_t h) : codigo(c), hash(h) {}
        static size_t Hash(QStringView c) {
            size_t h = 1469598103934665603ull;
            for (const QChar ch : c) h = (h ^ ch.toCaseFolded().unicode()) * 1099511628211ull;
            return h;
        }
        friend bool operator==(const ClaveCodigo& a, const ClaveCodigo& b) {
            return a.codigo.compare(b.codigo, Qt::CaseInsensitive) == 0;
        }
        friend size_t qHash(const ClaveCodigo& c, size_t semilla) { return c.hash ^ semilla; }
    };

    QStringView Codigo(int nodo) const { return QStringView(nodos_[nodo].texto).left(nodos_[nodo].largoCodigo); }
    int NodoDe(const QModelIndex& indice) const;
    // Adds a node; its hash key is a view into its text (which starts with the code).
    int Insertar(int padre, const QString& codigo, const QString& texto, int imagen, size_t hash);

    std::vector<Nodo> nodos_;
    QHash<ClaveCodigo, int> porCodigo_;
    std::vector<int> camino_;  // the path of the previous row during a rebuild
    // During a rebuild, the children each node has so far: the child lists are filled once, at
    // the end, each with its exact size (growing 25,000 lists one child at a time costs more than
    // the rest of the build).
    std::vector<int> cuentas_;
    bool construyendo_ = false;
    const ImagenesLayout* imagenes_ = nullptr;
    int largoMaximo_ = 0;
};
