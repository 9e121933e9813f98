#include "faulty_vfs.h"

#include <sqlite3.h>

#include <atomic>
#include <stdexcept>

namespace templates_test {

namespace {

sqlite3_vfs* g_real = nullptr;
std::atomic<int> g_count{0};
std::atomic<int> g_fail_at{0};  // 0: not armed
std::atomic<bool> g_persistent{false};
std::atomic<bool> g_fired{false};

// SQLITE_OK, or `code` when this operation is the one (or one of those) to fail.
int Inject(int code) {
  const int fail_at = g_fail_at.load();
  if (fail_at == 0) return SQLITE_OK;
  const int n = ++g_count;
  if (n == fail_at || (g_persistent && n > fail_at)) {
    g_fired = true;
    return code;
  }
  return SQLITE_OK;
}

struct FaultyFile {
  sqlite3_file base;
  sqlite3_file* real;
};

sqlite3_file* Real(sqlite3_file* file) {
  return reinterpret_cast<FaultyFile*>(file)->real;
}

int Close(sqlite3_file* f) {
  return Real(f)->pMethods->xClose(Real(f));
}
int Read(sqlite3_file* f, void* p, int n, sqlite3_int64 at) {
  return Real(f)->pMethods->xRead(Real(f), p, n, at);
}
int Write(sqlite3_file* f, const void* p, int n, sqlite3_int64 at) {
  if (const int rc = Inject(SQLITE_IOERR_WRITE)) return rc;
  return Real(f)->pMethods->xWrite(Real(f), p, n, at);
}
int Truncate(sqlite3_file* f, sqlite3_int64 size) {
  if (const int rc = Inject(SQLITE_IOERR_TRUNCATE)) return rc;
  return Real(f)->pMethods->xTruncate(Real(f), size);
}
// Counted, but not carried out: the tests need no durability across a power cut, and a sync
// per checkpoint would make them wait on the disk.
int Sync(sqlite3_file*, int) {
  return Inject(SQLITE_IOERR_FSYNC);
}
int FileSize(sqlite3_file* f, sqlite3_int64* size) {
  return Real(f)->pMethods->xFileSize(Real(f), size);
}
int Lock(sqlite3_file* f, int level) {
  return Real(f)->pMethods->xLock(Real(f), level);
}
int Unlock(sqlite3_file* f, int level) {
  return Real(f)->pMethods->xUnlock(Real(f), level);
}
int CheckReservedLock(sqlite3_file* f, int* out) {
  return Real(f)->pMethods->xCheckReservedLock(Real(f), out);
}
int FileControl(sqlite3_file* f, int op, void* arg) {
  return Real(f)->pMethods->xFileControl(Real(f), op, arg);
}
int SectorSize(sqlite3_file* f) {
  return Real(f)->pMethods->xSectorSize(Real(f));
}
int DeviceCharacteristics(sqlite3_file* f) {
  return Real(f)->pMethods->xDeviceCharacteristics(Real(f));
}
int ShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out) {
  return Real(f)->pMethods->xShmMap(Real(f), region, size, extend, out);
}
int ShmLock(sqlite3_file* f, int offset, int n, int flags) {
  return Real(f)->pMethods->xShmLock(Real(f), offset, n, flags);
}
void ShmBarrier(sqlite3_file* f) {
  Real(f)->pMethods->xShmBarrier(Real(f));
}
int ShmUnmap(sqlite3_file* f, int remove) {
  return Real(f)->pMethods->xShmUnmap(Real(f), remove);
}
int Fetch(sqlite3_file* f, sqlite3_int64 at, int n, void** out) {
  return Real(f)->pMethods->xFetch(Real(f), at, n, out);
}
int Unfetch(sqlite3_file* f, sqlite3_int64 at, void* p) {
  return Real(f)->pMethods->xUnfetch(Real(f), at, p);
}

const sqlite3_io_methods kMethods = {
    3,
    Close,
    Read,
    Write,
    Truncate,
    Sync,
    FileSize,
    Lock,
    Unlock,
    CheckReservedLock,
    FileControl,
    SectorSize,
    DeviceCharacteristics,
    ShmMap,
    ShmLock,
    ShmBarrier,
    ShmUnmap,
    Fetch,
    Unfetch,
};

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* out_flags) {
  auto* faulty = reinterpret_cast<FaultyFile*>(file);
  faulty->real = reinterpret_cast<sqlite3_file*>(faulty + 1);
  const int rc = g_real->xOpen(g_real, name, faulty->real, flags, out_flags);
  faulty->base.pMethods = faulty->real->pMethods ? &kMethods : nullptr;
  return rc;
}
int Delete(sqlite3_vfs*, const char* name, int sync) {
  return g_real->xDelete(g_real, name, sync);
}
int Access(sqlite3_vfs*, const char* name, int flags, int* out) {
  return g_real->xAccess(g_real, name, flags, out);
}
int FullPathname(sqlite3_vfs*, const char* name, int n, char* out) {
  return g_real->xFullPathname(g_real, name, n, out);
}
void* DlOpen(sqlite3_vfs*, const char* name) {
  return g_real->xDlOpen(g_real, name);
}
void DlError(sqlite3_vfs*, int n, char* out) {
  g_real->xDlError(g_real, n, out);
}
void (*DlSym(sqlite3_vfs*, void* handle, const char* name))(void) {
  return g_real->xDlSym(g_real, handle, name);
}
void DlClose(sqlite3_vfs*, void* handle) {
  g_real->xDlClose(g_real, handle);
}
int Randomness(sqlite3_vfs*, int n, char* out) {
  return g_real->xRandomness(g_real, n, out);
}
int Sleep(sqlite3_vfs*, int microseconds) {
  return g_real->xSleep(g_real, microseconds);
}
int CurrentTime(sqlite3_vfs*, double* out) {
  return g_real->xCurrentTime(g_real, out);
}
int GetLastError(sqlite3_vfs*, int n, char* out) {
  return g_real->xGetLastError(g_real, n, out);
}
int CurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* out) {
  return g_real->xCurrentTimeInt64(g_real, out);
}

sqlite3_vfs g_faulty{};

}  // namespace

FaultyVfs::FaultyVfs() {
  g_real = sqlite3_vfs_find(nullptr);
  if (g_real == nullptr) throw std::runtime_error("no default SQLite VFS");
  g_faulty = sqlite3_vfs{2,
                         static_cast<int>(sizeof(FaultyFile)) + g_real->szOsFile,
                         g_real->mxPathname,
                         nullptr,
                         "faulty",
                         nullptr,
                         Open,
                         Delete,
                         Access,
                         FullPathname,
                         DlOpen,
                         DlError,
                         DlSym,
                         DlClose,
                         Randomness,
                         Sleep,
                         CurrentTime,
                         GetLastError,
                         CurrentTimeInt64,
                         nullptr,
                         nullptr,
                         nullptr};
  sqlite3_vfs_register(&g_faulty, /*makeDflt=*/1);
}

FaultyVfs::~FaultyVfs() {
  Disarm();
  sqlite3_vfs_unregister(&g_faulty);
  sqlite3_vfs_register(g_real, /*makeDflt=*/1);
}

void FaultyVfs::Arm(int nth, bool persistent) {
  g_count = 0;
  g_fired = false;
  g_persistent = persistent;
  g_fail_at = nth;
}

int FaultyVfs::Disarm() {
  g_fail_at = 0;
  return g_count.load();
}

bool FaultyVfs::Fired() {
  return g_fired.load();
}

}  // namespace templates_test
