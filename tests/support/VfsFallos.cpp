#include "VfsFallos.h"

#include <sqlite3.h>
#include <QFileInfo>

#include <atomic>
#include <mutex>
#include <string>

namespace driver::fallos {

namespace {

sqlite3_vfs* real = nullptr;
sqlite3_vfs capa;
std::once_flag registrada;

std::atomic<int> lecturasArmadas{0}, escriturasArmadas{0};
std::atomic<int> lecturasFallidas{0}, escriturasFallidas{0}, aperturasFallidas{0};
std::atomic<bool> desconectado{false};
std::atomic<bool> soloLectura{false};

std::mutex mutexFiltro;
std::string filtroAbsoluto, filtroCanonico;

bool Afectado(const char* nombre) {
    std::lock_guard<std::mutex> l(mutexFiltro);
    if (filtroAbsoluto.empty()) return true;
    if (!nombre) return false;
    const std::string n(nombre);
    return n.rfind(filtroAbsoluto, 0) == 0 || (!filtroCanonico.empty() && n.rfind(filtroCanonico, 0) == 0);
}

// Takes one armed fault, if any.
bool Consumir(std::atomic<int>& armadas) {
    int v = armadas.load();
    while (v > 0) {
        if (armadas.compare_exchange_weak(v, v - 1)) return true;
    }
    return false;
}

// Our file: the methods pointer SQLite sees, then the real file of the wrapped VFS right after it.
struct Archivo {
    sqlite3_file base;
    const char* nombre;  // SQLite keeps it valid until the file is closed
    sqlite3_file* Real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
};

Archivo* A(sqlite3_file* f) {
    return reinterpret_cast<Archivo*>(f);
}
sqlite3_file* R(sqlite3_file* f) {
    return A(f)->Real();
}

// The filter is looked at on every call, so that it also applies to files opened before it was set.
bool Afectado(sqlite3_file* f) {
    return Afectado(A(f)->nombre);
}

bool FallaLectura(sqlite3_file* f) {
    if (!Afectado(f)) return false;
    if (desconectado.load() || Consumir(lecturasArmadas)) {
        ++lecturasFallidas;
        return true;
    }
    return false;
}

bool FallaEscritura(sqlite3_file* f) {
    if (!Afectado(f)) return false;
    if (desconectado.load() || Consumir(escriturasArmadas)) {
        ++escriturasFallidas;
        return true;
    }
    return false;
}

int Cerrar(sqlite3_file* f) {
    return R(f)->pMethods->xClose(R(f));
}
int Leer(sqlite3_file* f, void* b, int n, sqlite3_int64 o) {
    if (FallaLectura(f)) return SQLITE_IOERR_READ;
    return R(f)->pMethods->xRead(R(f), b, n, o);
}
int Escribir(sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
    if (FallaEscritura(f)) return SQLITE_IOERR_WRITE;
    return R(f)->pMethods->xWrite(R(f), b, n, o);
}
int Truncar(sqlite3_file* f, sqlite3_int64 t) {
    if (FallaEscritura(f)) return SQLITE_IOERR_TRUNCATE;
    return R(f)->pMethods->xTruncate(R(f), t);
}
int Sincronizar(sqlite3_file* f, int fl) {
    if (FallaEscritura(f)) return SQLITE_IOERR_FSYNC;
    return R(f)->pMethods->xSync(R(f), fl);
}
int Tamano(sqlite3_file* f, sqlite3_int64* t) {
    if (desconectado.load() && Afectado(f)) return SQLITE_IOERR_FSTAT;
    return R(f)->pMethods->xFileSize(R(f), t);
}
int Bloquear(sqlite3_file* f, int n) {
    if (desconectado.load() && Afectado(f)) return SQLITE_IOERR_LOCK;
    return R(f)->pMethods->xLock(R(f), n);
}
int Desbloquear(sqlite3_file* f, int n) {
    return R(f)->pMethods->xUnlock(R(f), n);
}
int Reservado(sqlite3_file* f, int* r) {
    if (desconectado.load() && Afectado(f)) return SQLITE_IOERR_CHECKRESERVEDLOCK;
    return R(f)->pMethods->xCheckReservedLock(R(f), r);
}
int Control(sqlite3_file* f, int op, void* a) {
    return R(f)->pMethods->xFileControl(R(f), op, a);
}
int Sector(sqlite3_file* f) {
    return R(f)->pMethods->xSectorSize(R(f));
}
int Caracteristicas(sqlite3_file* f) {
    return R(f)->pMethods->xDeviceCharacteristics(R(f));
}
int ShmMap(sqlite3_file* f, int i, int sz, int ex, void volatile** p) {
    if (desconectado.load() && Afectado(f)) return SQLITE_IOERR_SHMMAP;
    return R(f)->pMethods->xShmMap(R(f), i, sz, ex, p);
}
int ShmLock(sqlite3_file* f, int o, int n, int fl) {
    return R(f)->pMethods->xShmLock(R(f), o, n, fl);
}
void ShmBarrier(sqlite3_file* f) {
    R(f)->pMethods->xShmBarrier(R(f));
}
int ShmUnmap(sqlite3_file* f, int b) {
    return R(f)->pMethods->xShmUnmap(R(f), b);
}

// Version 2 at most: without xFetch SQLite never maps the file into memory, so every read of the
// database passes through xRead where it can fail.
const sqlite3_io_methods metodos1 = {1,        Cerrar,      Leer,      Escribir, Truncar, Sincronizar,     Tamano,
                                     Bloquear, Desbloquear, Reservado, Control,  Sector,  Caracteristicas, nullptr,
                                     nullptr,  nullptr,     nullptr,   nullptr,  nullptr};
const sqlite3_io_methods metodos2 = {2,        Cerrar,      Leer,      Escribir, Truncar, Sincronizar,     Tamano,
                                     Bloquear, Desbloquear, Reservado, Control,  Sector,  Caracteristicas, ShmMap,
                                     ShmLock,  ShmBarrier,  ShmUnmap,  nullptr,  nullptr};

int Abrir(sqlite3_vfs*, sqlite3_filename nombre, sqlite3_file* f, int flags, int* salida) {
    Archivo* a = A(f);
    a->base.pMethods = nullptr;
    a->nombre = nombre;
    if (desconectado.load() && Afectado(nombre)) {
        ++aperturasFallidas;
        return SQLITE_CANTOPEN;
    }
    sqlite3_file* r = a->Real();
    r->pMethods = nullptr;
    // A write-protected database file: opened for reading, as the operating system would.
    if (soloLectura.load() && (flags & SQLITE_OPEN_MAIN_DB) && Afectado(nombre)) {
        if (flags & SQLITE_OPEN_CREATE) return SQLITE_CANTOPEN;
        flags = (flags & ~SQLITE_OPEN_READWRITE) | SQLITE_OPEN_READONLY;
    }
    const int rc = real->xOpen(real, nombre, r, flags, salida);
    if (rc != SQLITE_OK) {
        if (r->pMethods) r->pMethods->xClose(r);
        return rc;
    }
    a->base.pMethods = r->pMethods->iVersion >= 2 ? &metodos2 : &metodos1;
    return SQLITE_OK;
}

int Borrar(sqlite3_vfs*, const char* n, int s) {
    return real->xDelete(real, n, s);
}
int Acceso(sqlite3_vfs*, const char* n, int fl, int* r) {
    return real->xAccess(real, n, fl, r);
}
int RutaCompleta(sqlite3_vfs*, const char* n, int m, char* s) {
    return real->xFullPathname(real, n, m, s);
}
void* DlAbrir(sqlite3_vfs*, const char* n) {
    return real->xDlOpen(real, n);
}
void DlError(sqlite3_vfs*, int n, char* m) {
    real->xDlError(real, n, m);
}
void (*DlSimbolo(sqlite3_vfs*, void* h, const char* s))(void) {
    return real->xDlSym(real, h, s);
}
void DlCerrar(sqlite3_vfs*, void* h) {
    real->xDlClose(real, h);
}
int Azar(sqlite3_vfs*, int n, char* s) {
    return real->xRandomness(real, n, s);
}
int Dormir(sqlite3_vfs*, int us) {
    return real->xSleep(real, us);
}
int Hora(sqlite3_vfs*, double* t) {
    return real->xCurrentTime(real, t);
}
int UltimoError(sqlite3_vfs*, int n, char* s) {
    return real->xGetLastError ? real->xGetLastError(real, n, s) : 0;
}
int Hora64(sqlite3_vfs*, sqlite3_int64* t) {
    return real->xCurrentTimeInt64(real, t);
}

}  // namespace

void Instalar() {
    std::call_once(registrada, [] {
        real = sqlite3_vfs_find(nullptr);
        capa = sqlite3_vfs{};
        capa.iVersion = 2;
        capa.szOsFile = static_cast<int>(sizeof(Archivo)) + real->szOsFile;
        capa.mxPathname = real->mxPathname;
        capa.zName = "mp_fallos";
        capa.xOpen = Abrir;
        capa.xDelete = Borrar;
        capa.xAccess = Acceso;
        capa.xFullPathname = RutaCompleta;
        capa.xDlOpen = DlAbrir;
        capa.xDlError = DlError;
        capa.xDlSym = DlSimbolo;
        capa.xDlClose = DlCerrar;
        capa.xRandomness = Azar;
        capa.xSleep = Dormir;
        capa.xCurrentTime = Hora;
        capa.xGetLastError = UltimoError;
        capa.xCurrentTimeInt64 = Hora64;
    });
    sqlite3_vfs_register(&capa, 1);
}

void Desinstalar() {
    if (real) sqlite3_vfs_register(real, 1);
}

void FallarLecturas(int n) {
    lecturasArmadas = n;
}
void FallarEscrituras(int n) {
    escriturasArmadas = n;
}
void Desconectar() {
    desconectado = true;
}
void Reconectar() {
    desconectado = false;
}
void ProtegerContraEscritura(bool si) {
    soloLectura = si;
}

void SoloArchivo(const QString& ruta) {
    std::lock_guard<std::mutex> l(mutexFiltro);
    if (ruta.isEmpty()) {
        filtroAbsoluto.clear();
        filtroCanonico.clear();
        return;
    }
    const QFileInfo fi(ruta);
    filtroAbsoluto = fi.absoluteFilePath().toStdString();
    filtroCanonico = fi.canonicalFilePath().toStdString();
}

void Restablecer() {
    lecturasArmadas = 0;
    escriturasArmadas = 0;
    desconectado = false;
    soloLectura = false;
    lecturasFallidas = 0;
    escriturasFallidas = 0;
    aperturasFallidas = 0;
    SoloArchivo(QString());
}

int LecturasFallidas() {
    return lecturasFallidas.load();
}
int EscriturasFallidas() {
    return escriturasFallidas.load();
}
int AperturasFallidas() {
    return aperturasFallidas.load();
}

}  // namespace driver::fallos
