#include "layout/ArbolLayout.h"

#include "layout/TextosCompactos.h"
#include "services/ErrorEjecucion.h"

#include <QPainter>
#include <QPixmap>

// ------------------------------------------------------------------------------------- images

QString ImagenesLayout::Etiqueta(int indice) const {
    return indice >= 1 && indice <= imagenes_.size() ? imagenes_[indice - 1].etiqueta : QString();
}

QIcon ImagenesLayout::Icono(int indice) const {
    return indice >= 1 && indice <= imagenes_.size() ? imagenes_[indice - 1].icono : QIcon();
}

int ImagenesLayout::IndiceImagen(const QString& nombre) const {
    const QString buscado = nombre.trimmed();
    for (int i = 0; i < imagenes_.size(); ++i)
        if (imagenes_[i].etiqueta.trimmed().compare(buscado, Qt::CaseInsensitive) == 0) return i + 1;
    return 0;
}

namespace {

// One level picture in a 16 x 16 frame; the painter may be scaled for a denser screen.
void PintarIcono(QPainter& g, const QString& n) {
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
}

}  // namespace

QIcon ImagenesLayout::DibujarIcono(const QString& nombre) {
    const QString n = nombre.trimmed().toUpper();
    // Drawn for screens of one and two device pixels per pixel: at a scale of 2 the tree shows the
    // 32-pixel picture instead of an enlarged, blurred 16-pixel one.
    QIcon icono;
    for (const int escala : {1, 2}) {
        QPixmap p(16 * escala, 16 * escala);
        p.setDevicePixelRatio(escala);
        p.fill(Qt::transparent);
        QPainter g(&p);
        g.setRenderHint(QPainter::Antialiasing, true);
        PintarIcono(g, n);
        g.end();
        icono.addPixmap(p);
    }
    return icono;
}

// ------------------------------------------------------------------------------------- model

ModeloArbolLayout::ModeloArbolLayout(QObject* padre) : QAbstractItemModel(padre) {}

quint32 ModeloArbolLayout::Hash(QStringView codigo) {
    return textos::HashCodigo(codigo);
}

int ModeloArbolLayout::Buscar(QStringView codigo, quint32 hash) const {
    if (tabla_.empty()) return -1;
    const size_t mascara = tabla_.size() - 1;
    for (size_t i = hash & mascara;; i = (i + 1) & mascara) {
        const Ranura& r = tabla_[i];
        if (r.nodo < 0) return -1;
        if (r.hash == hash && Codigo(r.nodo).compare(codigo, Qt::CaseInsensitive) == 0) return r.nodo;
    }
}

void ModeloArbolLayout::Registrar(int nodo, quint32 hash) {
    if ((ocupadas_ + 1) * 2 > tabla_.size()) {
        std::vector<Ranura> vieja;
        vieja.swap(tabla_);
        PrepararTabla(ocupadas_ + 1);
        for (const Ranura& r : vieja)
            if (r.nodo >= 0) Registrar(r.nodo, r.hash);
    }
    const size_t mascara = tabla_.size() - 1;
    size_t i = hash & mascara;
    while (tabla_[i].nodo >= 0) i = (i + 1) & mascara;
    tabla_[i] = Ranura{nodo, hash};
    ++ocupadas_;
}

void ModeloArbolLayout::PrepararTabla(size_t nodos) {
    size_t tamano = 64;
    while (tamano < nodos * 2) tamano *= 2;
    tabla_.assign(tamano, Ranura());
    ocupadas_ = 0;
}

void ModeloArbolLayout::Anexar(QAnyStringView texto) {
    textos::Anexar(textos_, texto);
}

void ModeloArbolLayout::Limpiar() {
    beginResetModel();
    // The vectors keep their memory, as a rebuild does: a tree emptied while its next version is
    // worked out (the wizard's preview) is built again over pages already mapped.
    nodos_.clear();
    textos_.clear();
    tabla_.clear();
    ocupadas_ = 0;
    endResetModel();
}

int ModeloArbolLayout::Insertar(int padre, size_t inicio, qsizetype largoCodigo, int imagen, quint32 hash) {
    Nodo n;
    n.texto = static_cast<quint32>(inicio);
    n.largoTexto = static_cast<qint32>(textos_.size() - inicio);
    n.padre = padre;
    n.largoCodigo = static_cast<qint32>(largoCodigo);
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
    Registrar(id, hash);
    return id;
}

void ModeloArbolLayout::Comenzar(qsizetype filasPrevistas, const QString& textoRaiz) {
    beginResetModel();
    // The vectors keep their memory: the next build of a large warehouse writes over pages already
    // mapped instead of faulting in fresh ones.
    nodos_.clear();
    textos_.clear();
    // Room for the positions saved after the build as well: the node added after a save must not
    // be the one that moves every node of a large tree to a bigger vector or rehashes every code.
    const size_t capacidad = static_cast<size_t>(filasPrevistas + 1 + filasPrevistas / 8 + 64);
    nodos_.reserve(capacidad);
    textos_.reserve(capacidad * 24);
    PrepararTabla(capacidad);
    construyendo_ = true;
    cuentas_.clear();
    cuentas_.reserve(static_cast<size_t>(filasPrevistas) + 1);
    Anexar(textoRaiz);
    camino_.assign(1, Insertar(-1, 0, 0, 0, Hash(QStringView())));
}

int ModeloArbolLayout::AgregarFila(QAnyStringView codigoFila, QAnyStringView descripcion, int imagen) {
    const size_t inicio = textos_.size();
    Anexar(codigoFila);
    const qsizetype largo = static_cast<qsizetype>(textos_.size() - inicio);
    const QStringView codigo(textos_.data() + inicio, largo);
    const quint32 hash = Hash(codigo);
    if (Buscar(codigo, hash) >= 0) {
        textos_.resize(inicio);
        throw ErrorEjecucion(35602, QStringLiteral("Key is not unique in collection"), QStringLiteral("TreeView1"));
    }
    while (camino_.size() > 1) {
        const QStringView anterior = Codigo(camino_.back());
        if (anterior.size() < codigo.size() && codigo.startsWith(anterior, Qt::CaseInsensitive)) break;
        camino_.pop_back();
    }
    Anexar(u" - ");
    Anexar(descripcion);
    const int id = Insertar(camino_.back(), inicio, largo, imagen, hash);
    camino_.push_back(id);
    return id;
}

void ModeloArbolLayout::Terminar() {
    if (construyendo_) {
        construyendo_ = false;
        for (size_t i = 0; i < nodos_.size(); ++i)
            if (cuentas_[i] > 0) nodos_[i].hijos.reserve(static_cast<size_t>(cuentas_[i]));
        // In code order every child comes after its parent and after its elder siblings.
        for (size_t i = 1; i < nodos_.size(); ++i)
            nodos_[static_cast<size_t>(nodos_[i].padre)].hijos.push_back(static_cast<int>(i));
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
    const quint32 hash = Hash(codigo);
    if (Buscar(codigo, hash) >= 0)
        throw ErrorEjecucion(35602, QStringLiteral("Key is not unique in collection"), QStringLiteral("TreeView1"));
    const int padre = NodoDe(rel);
    // A code longer than the levels allowed when the tree was built (the levels changed since):
    // its parent may now have children after all.
    if (largoMaximo_ > 0 && codigo.size() > largoMaximo_) largoMaximo_ = static_cast<int>(codigo.size());
    if (largoMaximo_ > 0 && nodos_[padre].largoCodigo >= largoMaximo_) largoMaximo_ = nodos_[padre].largoCodigo + 1;
    const int fila = static_cast<int>(nodos_[padre].hijos.size());
    beginInsertRows(rel, fila, fila);
    // The text starts with the code: the code is read from it.
    const size_t inicio = textos_.size();
    if (!texto.startsWith(codigo)) {
        Anexar(codigo);
        Anexar(u" - ");
    }
    Anexar(texto);
    const int id = Insertar(padre, inicio, codigo.size(), imagen, hash);
    endInsertRows();
    return createIndex(nodos_[id].fila, 0, quintptr(id));
}

void ModeloArbolLayout::CambiarTexto(const QModelIndex& indice, const QString& texto) {
    const int id = NodoDe(indice);
    if (id < 0) return;
    // The new text goes to the end of the buffer, always behind the code as the node has it: a
    // text that starts with the code written in other case keeps the stored one, and a text that
    // does not start with the code gets it in front, so the key survives.
    const size_t inicio = textos_.size();
    const qsizetype largoCodigo = nodos_[id].largoCodigo;
    const QString codigo = Codigo(id).toString();
    Anexar(codigo);
    Anexar(texto.startsWith(codigo, Qt::CaseInsensitive) ? QStringView(texto).mid(largoCodigo) : QStringView(texto));
    Nodo& n = nodos_[id];
    n.texto = static_cast<quint32>(inicio);
    n.largoTexto = static_cast<qint32>(textos_.size() - inicio);
    n.largoCodigo = static_cast<qint32>(largoCodigo);
    emit dataChanged(indice, indice, {Qt::DisplayRole});
}

QModelIndex ModeloArbolLayout::IndiceDeClave(const QString& clave) const {
    if (nodos_.empty() || !clave.startsWith(QLatin1Char('A'))) return QModelIndex();
    const QStringView codigo = QStringView(clave).mid(1);
    const int id = Buscar(codigo, Hash(codigo));
    if (id < 0) return QModelIndex();
    return createIndex(nodos_[id].fila, 0, quintptr(id));
}

int ModeloArbolLayout::NodoPrefijoMasLargo(const QString& codigo) const {
    if (nodos_.empty()) return -1;
    for (qsizetype l = codigo.size() - 1; l > 0; --l) {
        const QStringView prefijo = QStringView(codigo).left(l);
        const int id = Buscar(prefijo, Hash(prefijo));
        if (id >= 0) return id;
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
    return id < 0 ? QString() : QStringLiteral("A").append(Codigo(id));
}

QString ModeloArbolLayout::Texto(const QModelIndex& indice) const {
    const int id = NodoDe(indice);
    return id < 0 ? QString() : TextoDe(id).toString();
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

int ModeloArbolLayout::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant ModeloArbolLayout::data(const QModelIndex& index, int role) const {
    const int id = NodoDe(index);
    if (id < 0) return QVariant();
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return TextoDe(id).toString();
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
    if (largoMaximo_ > 0 && id > 0 && nodos_[id].largoCodigo >= largoMaximo_ && nodos_[id].hijos.empty())
        f |= Qt::ItemNeverHasChildren;
    return f;
}
