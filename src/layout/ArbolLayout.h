#pragma once

#include <QAbstractItemModel>
#include <QAnyStringView>
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
// 100,000 positions, so nodes live in one vector (no object per node), their texts in one shared
// buffer (no string per node), and a hash table from code to node gives the single-node updates
// after a save without searching. A rebuild reuses the memory of the previous one.
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

    // Empties the tree (no root); its memory is kept for the next build.
    void Limpiar();

    // A full rebuild, in three calls: Comenzar (the reset starts; the root is added), one
    // AgregarFila per position in code order, Terminar (the reset ends). Each row is hung under
    // its longest existing prefix (the root when none), found in the same ordered pass: in code
    // order every prefix of a code that exists is still on the path from the previous row.
    void Comenzar(qsizetype filasPrevistas, const QString& textoRaiz);
    // Returns the new node. Raises ErrorEjecucion 35602 when the key already exists. The texts may
    // come as UTF-8 straight from the rows read (codes are mostly ASCII, converted in place).
    int AgregarFila(QAnyStringView codigo, QAnyStringView descripcion, int imagen);
    // The code's length in characters.
    qsizetype LargoCodigo(int nodo) const { return nodos_[static_cast<size_t>(nodo)].largoCodigo; }
    void Terminar();

    // Adds one node as the last child of the node with the key relativa (a model insertion, no
    // reset). Raises 35602 when the key exists and 35601 when relativa does not.
    QModelIndex AgregarNodo(const QString& relativa, const QString& codigo, const QString& texto, int imagen);
    // Replaces the text of a node (the old text's room is reused at the next rebuild).
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
    // The code is the first largoCodigo characters of the node's text (code + " - " + description),
    // which is largoTexto characters of textos_ from texto on.
    struct Nodo {
        std::vector<int> hijos;
        quint32 texto = 0;
        qint32 largoTexto = 0;
        int padre = -1;
        int fila = 0;
        qint32 largoCodigo = 0;
        qint16 imagen = 0;
    };
    // Open addressing over node numbers; each slot keeps its code's hash so that probing and
    // growing never read the texts of other codes.
    struct Ranura {
        qint32 nodo = -1;
        quint32 hash = 0;
    };

    // Codes are compared without regard to case: the hash folds case as well.
    static quint32 Hash(QStringView codigo);
    QStringView Codigo(int nodo) const {
        const Nodo& n = nodos_[static_cast<size_t>(nodo)];
        return QStringView(textos_.data() + n.texto, n.largoCodigo);
    }
    QStringView TextoDe(int nodo) const {
        const Nodo& n = nodos_[static_cast<size_t>(nodo)];
        return QStringView(textos_.data() + n.texto, n.largoTexto);
    }
    int NodoDe(const QModelIndex& indice) const;
    int Buscar(QStringView codigo, quint32 hash) const;
    void Registrar(int nodo, quint32 hash);
    void PrepararTabla(size_t nodos);
    // Appends a text to textos_, converting it to UTF-16 when it comes in another encoding.
    void Anexar(QAnyStringView texto);
    // Adds a node whose text was just appended to textos_ from inicio on.
    int Insertar(int padre, size_t inicio, qsizetype largoCodigo, int imagen, quint32 hash);

    std::vector<Nodo> nodos_;
    std::vector<char16_t> textos_;
    std::vector<Ranura> tabla_;  // a power of two in size, at most half full
    size_t ocupadas_ = 0;
    std::vector<int> camino_;  // the path of the previous row during a rebuild
    // During a rebuild, the children each node has so far: the child lists are filled once, at
    // the end, each with its exact size (growing 25,000 lists one child at a time costs more than
    // the rest of the build).
    std::vector<int> cuentas_;
    bool construyendo_ = false;
    const ImagenesLayout* imagenes_ = nullptr;
    int largoMaximo_ = 0;
};
