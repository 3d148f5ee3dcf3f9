#include "lookup/ModelosConsulta.h"

#include <QFont>
#include <algorithm>
#include <numeric>

// ---- ModeloLista ----

void ModeloLista::Reiniciar(const QStringList& encabezados, QVector<Fila> filas) {
    beginResetModel();
    encabezados_ = encabezados;
    filas_ = std::move(filas);
    endResetModel();
}

void ModeloLista::AgregarFila(Fila f) {
    const int n = FilaCount();
    beginInsertRows(QModelIndex(), n, n);
    filas_.append(std::move(f));
    endInsertRows();
}

void ModeloLista::SetCasillas(bool si) {
    if (si == casillas_) return;
    casillas_ = si;
    if (!filas_.isEmpty()) emit dataChanged(index(0, 0), index(FilaCount() - 1, 0), {Qt::CheckStateRole});
}

QString ModeloLista::Texto(int fila, int columna) const {
    if (fila < 0 || fila >= FilaCount()) return QString();
    const auto& c = filas_.at(fila).celdas;
    return columna >= 0 && columna < c.size() ? c.at(columna) : QString();
}

void ModeloLista::SetTexto(int fila, int columna, const QString& texto) {
    if (fila < 0 || fila >= FilaCount() || columna < 0 || columna >= columnCount()) return;
    auto& c = filas_[fila].celdas;
    if (c.size() <= columna) c.resize(columna + 1);
    c[columna] = texto;
    emit dataChanged(index(fila, columna), index(fila, columna), {Qt::DisplayRole});
}

void ModeloLista::SetMarca(int fila, Qt::CheckState m) {
    if (fila < 0 || fila >= FilaCount() || filas_[fila].marca == m) return;
    filas_[fila].marca = m;
    emit dataChanged(index(fila, 0), index(fila, 0), {Qt::CheckStateRole});
}

int ModeloLista::Buscar(int columna, const QString& texto) const {
    const QString t = texto.trimmed();
    for (int i = 0; i < FilaCount(); ++i) {
        const auto& c = filas_.at(i).celdas;
        if (columna >= c.size()) continue;
        const QString& v = c.at(columna);
        // Cells are stored trimmed already; a leading blank left by the data is skipped here.
        int k = 0;
        while (k < v.size() && v.at(k).isSpace()) ++k;
        if (QStringView(v).mid(k).startsWith(t, Qt::CaseInsensitive)) return i;
    }
    return -1;
}

int ModeloLista::rowCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : FilaCount();
}
int ModeloLista::columnCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : static_cast<int>(encabezados_.size());
}

QVariant ModeloLista::data(const QModelIndex& i, int rol) const {
    if (!checkIndex(i, CheckIndexOption::IndexIsValid)) return QVariant();
    const Fila& f = filas_.at(i.row());
    switch (rol) {
        case Qt::DisplayRole:
            return i.column() < f.celdas.size() ? f.celdas.at(i.column()) : QString();
        case Qt::CheckStateRole:
            if (casillas_ && i.column() == 0) return static_cast<int>(f.marca);
            return QVariant();
        case Qt::ForegroundRole:
            return f.color.isValid() ? QVariant(f.color) : QVariant();
        case Qt::FontRole:
            if (f.negrita) {
                QFont fuente;
                fuente.setBold(true);
                fuente.setPointSize(10);
                return fuente;
            }
            return QVariant();
        default:
            return QVariant();
    }
}

bool ModeloLista::setData(const QModelIndex& i, const QVariant& v, int rol) {
    if (!checkIndex(i, CheckIndexOption::IndexIsValid) || rol != Qt::CheckStateRole || !casillas_ || i.column() != 0)
        return false;
    filas_[i.row()].marca = static_cast<Qt::CheckState>(v.toInt()) == Qt::Checked ? Qt::Checked : Qt::Unchecked;
    emit dataChanged(i, i, {Qt::CheckStateRole});
    return true;
}

QVariant ModeloLista::headerData(int seccion, Qt::Orientation o, int rol) const {
    if (o == Qt::Horizontal && rol == Qt::DisplayRole && seccion >= 0 && seccion < encabezados_.size())
        return encabezados_.at(seccion);
    return QAbstractTableModel::headerData(seccion, o, rol);
}

Qt::ItemFlags ModeloLista::flags(const QModelIndex& i) const {
    if (!checkIndex(i, CheckIndexOption::IndexIsValid)) return Qt::NoItemFlags;
    // Rows are for picking: never edited in place.
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (casillas_ && i.column() == 0) f |= Qt::ItemIsUserCheckable;
    return f;
}

void ModeloLista::sort(int columna, Qt::SortOrder orden) {
    if (columna < 0 || columna >= columnCount()) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    QVector<int> perm(FilaCount());
    std::iota(perm.begin(), perm.end(), 0);
    auto celda = [&](int r) -> const QString& {
        static const QString vacio;
        const auto& c = filas_.at(r).celdas;
        return columna < c.size() ? c.at(columna) : vacio;
    };
    std::stable_sort(perm.begin(), perm.end(), [&](int a, int b) {
        const int c = QString::compare(celda(a), celda(b), Qt::CaseInsensitive);
        return orden == Qt::AscendingOrder ? c < 0 : c > 0;
    });
    QVector<Fila> nuevas;
    nuevas.reserve(perm.size());
    QVector<int> destino(perm.size());
    for (int k = 0; k < perm.size(); ++k) {
        nuevas.append(std::move(filas_[perm[k]]));
        destino[perm[k]] = k;
    }
    filas_ = std::move(nuevas);
    const QModelIndexList antes = persistentIndexList();
    QModelIndexList despues;
    despues.reserve(antes.size());
    for (const QModelIndex& i : antes) despues.append(index(destino.at(i.row()), i.column()));
    changePersistentIndexList(antes, despues);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// ---- ModeloArbol ----

void ModeloArbol::Comenzar() {
    beginResetModel();
    construyendo_ = true;
    nodos_.clear();
    indice_.clear();
}

int ModeloArbol::Agregar(int padre, const QString& clave, const QString& texto) {
    Nodo n;
    n.clave = clave;
    n.texto = texto;
    n.padre = padre;
    const int id = static_cast<int>(nodos_.size());
    if (padre >= 0) {
        n.fila = static_cast<int>(nodos_[padre].hijos.size());
        nodos_[padre].hijos.append(id);
    } else {
        n.fila = 0;
    }
    nodos_.append(std::move(n));
    indice_.insert(clave.toUpper(), id);
    return id;
}

void ModeloArbol::Terminar() {
    if (!construyendo_) return;
    construyendo_ = false;
    endResetModel();
}

void ModeloArbol::SetCasillas(bool si) {
    if (si == casillas_) return;
    beginResetModel();
    casillas_ = si;
    endResetModel();
}

int ModeloArbol::PadrePorPrefijo(const QString& clave) const {
    const QString k = clave.toUpper();
    for (int largo = static_cast<int>(k.size()) - 1; largo >= 1; --largo) {
        const auto it = indice_.constFind(k.left(largo));
        if (it != indice_.constEnd()) return it.value();
    }
    return -1;
}

QModelIndex ModeloArbol::IndiceDe(int n) const {
    if (construyendo_ || n < 0 || n >= NodoCount()) return QModelIndex();
    return createIndex(nodos_.at(n).fila, 0, static_cast<quintptr>(n));
}

void ModeloArbol::Marcar(int n, Qt::CheckState m) {
    if (n < 0 || n >= NodoCount()) return;
    struct Pendiente {
        int nodo, nivel;
    };
    QVector<Pendiente> pila{{n, 0}};
    while (!pila.isEmpty()) {
        const Pendiente p = pila.takeLast();
        if (nodos_[p.nodo].marca != m) {
            nodos_[p.nodo].marca = m;
            const QModelIndex i = IndiceDe(p.nodo);
            if (i.isValid()) emit dataChanged(i, i, {Qt::CheckStateRole});
        }
        if (p.nivel < kNivelesMarcados)
            for (const int h : nodos_.at(p.nodo).hijos) pila.append({h, p.nivel + 1});
    }
}

QModelIndex ModeloArbol::index(int fila, int columna, const QModelIndex& padre) const {
    if (construyendo_ || columna != 0 || fila < 0) return QModelIndex();
    if (!padre.isValid()) {
        // Only the root hangs at the top.
        if (fila != 0 || nodos_.isEmpty()) return QModelIndex();
        return createIndex(0, 0, quintptr(0));
    }
    const int p = NodoDe(padre);
    if (p < 0 || p >= NodoCount() || fila >= nodos_.at(p).hijos.size()) return QModelIndex();
    return createIndex(fila, 0, static_cast<quintptr>(nodos_.at(p).hijos.at(fila)));
}

QModelIndex ModeloArbol::parent(const QModelIndex& i) const {
    const int n = NodoDe(i);
    if (n < 0 || n >= NodoCount()) return QModelIndex();
    const int p = nodos_.at(n).padre;
    return p < 0 ? QModelIndex() : createIndex(nodos_.at(p).fila, 0, static_cast<quintptr>(p));
}

int ModeloArbol::rowCount(const QModelIndex& padre) const {
    if (construyendo_) return 0;
    if (!padre.isValid()) return nodos_.isEmpty() ? 0 : 1;
    if (padre.column() != 0) return 0;
    const int n = NodoDe(padre);
    return n >= 0 && n < NodoCount() ? static_cast<int>(nodos_.at(n).hijos.size()) : 0;
}

int ModeloArbol::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant ModeloArbol::data(const QModelIndex& i, int rol) const {
    if (!checkIndex(i, CheckIndexOption::IndexIsValid)) return QVariant();
    const Nodo& n = nodos_.at(NodoDe(i));
    if (rol == Qt::DisplayRole) return n.texto;
    if (rol == Qt::CheckStateRole && casillas_) return static_cast<int>(n.marca);
    return QVariant();
}

bool ModeloArbol::setData(const QModelIndex& i, const QVariant& v, int rol) {
    if (!checkIndex(i, CheckIndexOption::IndexIsValid) || rol != Qt::CheckStateRole || !casillas_) return false;
    Marcar(NodoDe(i), static_cast<Qt::CheckState>(v.toInt()) == Qt::Checked ? Qt::Checked : Qt::Unchecked);
    return true;
}

Qt::ItemFlags ModeloArbol::flags(const QModelIndex& i) const {
    if (!checkIndex(i, CheckIndexOption::IndexIsValid)) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (casillas_) f |= Qt::ItemIsUserCheckable;
    return f;
}
