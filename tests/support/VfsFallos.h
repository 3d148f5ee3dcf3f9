#pragma once

#include <QString>

// A fault-injecting SQLite file layer for tests: it wraps SQLite's default VFS and, on request, makes
// reads or writes of the database files fail with SQLITE_IOERR after they were opened, or makes
// everything fail as when the network share holding the database went away. Installed, it becomes
// SQLite's default VFS, so every connection (the client's and the bare ones of a test) goes through
// it; with no faults armed it only passes calls on.
namespace driver::fallos {

// Registers the layer as the default VFS (once; later calls do nothing).
void Instalar();
// Puts the previous default VFS back (the layer stays registered under its own name, "mp_fallos").
void Desinstalar();

// The next n reads (xRead) fail with SQLITE_IOERR_READ.
void FallarLecturas(int n);
// The next n writes (xWrite, xTruncate, xSync) fail with SQLITE_IOERR_WRITE.
void FallarEscrituras(int n);
// The share is gone: every read and write fails, and so does opening a file, until Reconectar.
void Desconectar();
void Reconectar();
// Database files opened from now on are write-protected: SQLite opens them for reading only.
void ProtegerContraEscritura(bool si);
// Only files whose path is this one (or its journal / WAL / shared-memory files) are affected;
// empty: every file.
void SoloArchivo(const QString& ruta);
// Clears every armed fault, the file filter and the counters.
void Restablecer();

// How many reads / writes / opens were made to fail so far.
int LecturasFallidas();
int EscriturasFallidas();
int AperturasFallidas();

}  // namespace driver::fallos
