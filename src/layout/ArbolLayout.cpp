#include "layout/ArbolLayout.h"

#include "services/ErrorEjecucion.h"

#include <QPainter>
#include <QPixmap>

// ------------------------------------------------------------------------------------- images

QString ImagenesLayout::Etiqueta(int indice) const {
    return indice >= 1 && indice <= imagenes_.size() ? imagenes_[indice - 1].etiqueta : QString();
}

QIcon ImagenesLayout::Icono(int indice) const { return indice >= 1 && indice <= imagenes_.size() ? imagenes_[indice - 1].icono : QIcon(); }

int ImagenesLayout::IndiceImagen(const QString& nombre) const {
    const QString buscado = nombre.trimmed();
    for (int i = 0; i < imagenes_.size(); ++i)
        if (imagenes_[i].etiqueta.trimmed().compare(buscado, Qt::CaseInsensitive) == 0) return i + 1;
    return 0;
}

QIcon ImagenesLayout::DibujarIcono(const QString& nombre) {
    QPixmap p(16, 16);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing, true);
    const QString n = nombre.trimmed().toUpper();
    if (n == QLatin1String("NAVE")) {
        // A warehouse building: walls and a pitched roof.
        g.setPen(QColor(0x5a, 0x3d, 0x1e));
        g.setBrush(QColor(0xc8, 0x8a, 0x4a));
        g.drawRect(2, 7, 12, 8);
        g.setBrush(QColor(0x9b, 0x2d, 0x20));
        const QPointF techo[] = {{1, 8}, {8, 2}, {15, 8}};
        g.drawPolygon(techo, 3);
        g.setBrush(QColor(0x40, 0x40, 0x40));
        g.drawRect(6, 10, 4, 5);
    } else if (n == QLatin1String("CALLE")) {
        // An aisle: two racks with the floor between them.
        g.setPen(Qt::NoPen);
        g.setBrush(QColor(0x2f, 0x6f, 0xb3));
        g.drawRect(1, 1, 4, 14);
        g.drawRect(11, 1, 4, 14);
        g.setBrush(QColor(0xf2, 0xc9, 0x4c));
        for (int y = 2; y < 15; y += 4) g.drawRect(7, y, 2, 2);
    } else if (n == QLatin1String("POSICION")) {
        // A rack bay: an upright frame with shelves.
        g.setPen(QPen(QColor(0x2f, 0x7d, 0x32), 1.5));
        g.setBrush(Qt::NoBrush);
        g.drawRect(QRectF(2.5, 1.5, 11, 13));
        g.drawLine(QPointF(2.5, 6), QPointF(13.5, 6));
        g.drawLine(QPointF(2.5, 10.5), QPointF(13.5, 10.5));
    } else if (n == QLatin1String("NIVEL")) {
        // One shelf level holding a box.
        g.setPen(Qt::NoPen);
        g.setBrush(QColor(0xd9, 0x8c, 0x1f));
        g.drawRect(4, 4, 8, 7);
        g.setBrush(QColor(0x55, 0x55, 0x55));
        g.drawRect(1, 12, 14, 3);
    }
    g.end();
    return QIcon(p);
}

// ------------------------------------------------------------------------------------- model

ModeloArbolLayout::ModeloArbolLayout(QObject* padre) : QAbstractItemModel(padre) {}

void ModeloArbolLayout::Limpiar() {
    beginResetModel();
    nodos_.clear();
    nodos_.shrink_to_fit();
    porCodigo_.clear();
    porCodigo_.squeeze();
    endResetModel();
}

int ModeloArbolLayout::Insertar(int padre, const QString& codigo, const QString& texto, int imagen, size_t hash) {
    Nodo n;
    n.texto = texto;
    n.padre = padre;
    n.largoCodigo = static_cast<qint16>(codigo.size());
    n.imagen = static_cast<qint16>(imagen);
    const int id = static_cast<int>(nodos_.size());
    if (padre >= 0) {
        if (construyendo_) {
            n.fila = cuentas_[static_cast<size_t>(padre)]++;
        } else {
            n.fila = static_cast<int>(nodos_[padre].hijos.size());
            nodos_[padre].hijos.push_back(id);
        }
    }
    nodos_.push_back(std::move(n));
    if (construyendo_) cuentas_.push_back(0);
    porCodigo_.insert(ClaveCodigo(Codigo(id), hash), id);
    return id;
}

void ModeloArbolLayout::Comenzar(qsizetype filasPrevistas, const QString& textoRaiz) {
    beginResetModel();
    nodos_.clear();
    porCodigo_.clear();
    // Room for the positions saved after the build as well: the node added after a save must not
    // be the one that moves every node of a large tree to a bigger vector or rehashes every code.
    const qsizetype capacidad = filasPrevistas + 1 + filasPrevistas / 8 + 64;
    nodos_.reserve(static_cast<size_t>(capacidad));
    porCodigo_.reserve(capacidad);
    construyendo_ = true;
    cuentas_.clear();
    cuentas_.reserve(static_cast<size_t>(filasPrevistas) + 1);
    camino_.assign(1, Insertar(-1, QString(), textoRaiz, 0, ClaveCodigo::Hash(QStringView())));
}

void ModeloArbolLayout::AgregarFila(const QString& codigo, const QString& descripcion, int imagen) {
    const ClaveCodigo clave(codigo);
    if (porCodigo_.contains(clave))
        throw ErrorEjecucion(35602, QStringLiteral("Key is not unique in collection"), QStringLiteral("TreeView1"));
    while (camino_.size() > 1) {
        const QStringView anterior = Codigo(camino_.back());
        if (anterior.size() < codigo.size() && QStringView(codigo).startsWith(anterior, Qt::CaseInsensitive)) break;
        camino_.pop_back();
    }
    QString texto;
    texto.reserve(codigo.size() + 3 + descripcion.size());
    texto.append(codigo).append(QLatin1String(" - ")).append(descripcion);
    camino_.push_back(Insertar(camino_.back(), codigo, texto, imagen, clave.hash));
}

void ModeloArbolLayout::Terminar() {
    if (construyendo_) {
        construyendo_ = false;
        for (size_t i = 0; i < nodos_.size(); ++i)
            if (cuentas_[i] > 0) nodos_[i].hijos.reserve(static_cast<size_t>(cuentas_[i]));
        // In code order every child comes after its parent and after its elder siblings.
        for (size_t i = 1; i < nodos_.size(); ++i) nodos_[static_cast<size_t>(nodos_[i].padre)].hijos.push_back(static_cast<int>(i));
        cuentas_.clear();
        cuentas_.shrink_to_fit();
    }
    camino_.clear();
    camino_.shrink_to_fit();
    endResetModel();
}

QModelIndex ModeloArbolLayout::AgregarNodo(const QString& relativa, const QString& codigo, const QString& texto, int imagen) {
    const QModelIndex rel = IndiceDeClave(relativa);
    if (!rel.isValid()) throw ErrorEjecucion(35601, QStringLiteral("Element not found"), QStringLiteral("TreeView1"));
    const ClaveCodigo clave(codigo);
    if (porCodigo_.contains(clave))
        throw ErrorEjecucion(35602, QStringLiteral("Key is not unique in collection"), QStringLiteral("TreeView1"));
    const int padre = NodoDe(rel);
    // A code longer than the levels allowed when the tree was built (the levels changed since):
    // its parent may now have children after all.
    if (largoMaximo_ > 0 && codigo.size() > largoMaximo_) largoMaximo_ = static_cast<int>(codigo.size());
    if (largoMaximo_ > 0 && nodos_[padre].largoCodigo >= largoMaximo_) largoMaximo_ = nodos_[padre].largoCodigo + 1;
    const int fila = static_cast<int>(nodos_[padre].hijos.size());
    beginInsertRows(rel, fila, fila);
    // The text must start with the code: the hash key is a view into it.
    const QString t = texto.startsWith(codigo) ? texto : codigo + QStringLiteral(" - ") + texto;
    const int id = Insertar(padre, codigo, t, imagen, clave.hash);
    endInsertRows();
    return createIndex(nodos_[id].fila, 0, quintptr(id));
}

void ModeloArbolLayout::CambiarTexto(const QModelIndex& indice, const QString& texto) {
    const int id = NodoDe(indice);
    if (id < 0) return;
    Nodo& n = nodos_[id];
    const QString codigo = Codigo(id).toString();
    if (texto.startsWith(codigo)) {
        porCodigo_.remove(ClaveCodigo{codigo});
        n.texto = texto;
        porCodigo_.insert(ClaveCodigo{Codigo(id)}, id);
    } else {
        // A text that does not start with the code keeps the code in front, so the key survives.
        porCodigo_.remove(ClaveCodigo{codigo});
        n.texto = codigo + texto;
        n.largoCodigo = static_cast<qint16>(codigo.size());
        porCodigo_.insert(ClaveCodigo{Codigo(id)}, id);
    }
    emit dataChanged(indice, indice, {Qt::DisplayRole});
}

QModelIndex ModeloArbolLayout::IndiceDeClave(const QString& clave) const {
    if (nodos_.empty() || !clave.startsWith(QLatin1Char('A'))) return QModelIndex();
    const auto it = porCodigo_.constFind(ClaveCodigo{QStringView(clave).mid(1)});
    if (it == porCodigo_.constEnd()) return QModelIndex();
    return createIndex(nodos_[*it].fila, 0, quintptr(*it));
}

int ModeloArbolLayout::NodoPrefijoMasLargo(const QString& codigo) const {
    if (nodos_.empty()) return -1;
    for (qsizetype l = codigo.size() - 1; l > 0; --l) {
        const auto it = porCodigo_.constFind(ClaveCodigo{QStringView(codigo).left(l)});
        if (it != porCodigo_.constEnd()) return *it;
    }
    return 0;
}

int ModeloArbolLayout::NodoDe(const QModelIndex& indice) const {
    if (!indice.isValid() || indice.model() != this) return -1;
    const auto id = static_cast<qsizetype>(indice.internalId());
    return id >= 0 && id < static_cast<qsizetype>(nodos_.size()) ? static_cast<int>(id) : -1;
}

QString ModeloArbolLayout::Clave(const QModelIndex& indice) const {
    const int id = NodoDe(indice);
    return id < 0 ? QString() : QStringLiteral("A") + Codigo(id).toString();
}

QString ModeloArbolLayout::Texto(const QModelIndex& indice) const {
    const int id = NodoDe(indice);
    return id < 0 ? QString() : nodos_[id].texto;
}

int ModeloArbolLayout::Imagen(const QModelIndex& indice) const {
    const int id = NodoDe(indice);
    return id < 0 ? 0 : nodos_[id].imagen;
}

QModelIndex ModeloArbolLayout::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column != 0 || nodos_.empty()) return QModelIndex();
    if (!parent.isValid()) return row == 0 ? createIndex(0, 0, quintptr(0)) : QModelIndex();
    const int p = NodoDe(parent);
    if (p < 0 || row >= static_cast<int>(nodos_[p].hijos.size())) return QModelIndex();
    return createIndex(row, 0, quintptr(nodos_[p].hijos[row]));
}

QModelIndex ModeloArbolLayout::parent(const QModelIndex& child) const {
    const int id = NodoDe(child);
    if (id < 0) return QModelIndex();
    const int p = nodos_[id].padre;
    if (p < 0) return QModelIndex();
    return createIndex(nodos_[p].fila, 0, quintptr(p));
}

int ModeloArbolLayout::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return nodos_.empty() ? 0 : 1;
    if (parent.column() != 0) return 0;
    const int id = NodoDe(parent);
    return id < 0 ? 0 : static_cast<int>(nodos_[id].hijos.size());
}

int ModeloArbolLayout::columnCount(const QModelIndex&) const { return 1; }

QVariant ModeloArbolLayout::data(const QModelIndex& index, int role) const {
    const int id = NodoDe(index);
    if (id < 0) return QVariant();
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return nodos_[id].texto;
        case Qt::DecorationRole:
            if (imagenes_ && nodos_[id].imagen > 0) return imagenes_->Icono(nodos_[id].imagen);
            return QVariant();
        default:
            return QVariant();
    }
}

Qt::ItemFlags ModeloArbolLayout::flags(const QModelIndex& index) const {
    // Node labels are never editable: the tree mirrors the table, the editor changes it.
    const int id = NodoDe(index);
    if (id < 0) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (largoMaximo_ > 0 && id > 0 && nodos_[id].largoCodigo >= largoMaximo_ && nodos_[id].hijos.empty()) f |= Qt::ItemNeverHasChildren;
    return f;
}
