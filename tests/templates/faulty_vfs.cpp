#include "faulty_vfs.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <list>
#include <mutex>
#include <stdexcept>

namespace templates_test {

namespace {

sqlite3_vfs* g_real = nullptr;
sqlite3_vfs g_faulty{};
// A kind of file of the system's VFS (it has one for database files, one for journals): its
// methods with the counted operations replaced, first, so that a file's methods lead to them.
struct FileKind {
  sqlite3_io_methods faulty;
  const sqlite3_io_methods* real;
};
std::mutex g_kinds_mutex;
std::list<FileKind> g_kinds;
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

const sqlite3_io_methods& Real(sqlite3_file* f) {
  return *reinterpret_cast<const FileKind*>(f->pMethods)->real;
}

int Write(sqlite3_file* f, const void* p, int n, sqlite3_int64 at) {
  if (const int rc = Inject(SQLITE_IOERR_WRITE)) return rc;
  return Real(f).xWrite(f, p, n, at);
}
int Truncate(sqlite3_file* f, sqlite3_int64 size) {
  if (const int rc = Inject(SQLITE_IOERR_TRUNCATE)) return rc;
  return Real(f).xTruncate(f, size);
}
// Counted, but not carried out: the tests need no durability across a power cut, and a sync
// per checkpoint would make them wait on the disk.
int Sync(sqlite3_file*, int) {
  return Inject(SQLITE_IOERR_FSYNC);
}

// The system's VFS opens the file; its methods are then the system's but for the three above.
int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* out_flags) {
  const int rc = g_real->xOpen(g_real, name, file, flags, out_flags);
  if (file->pMethods == nullptr) return rc;
  const std::lock_guard lock(g_kinds_mutex);
  auto kind = std::find_if(g_kinds.begin(), g_kinds.end(),
                           [&](const FileKind& k) { return k.real == file->pMethods; });
  if (kind == g_kinds.end()) {
    kind = g_kinds.insert(g_kinds.end(), {*file->pMethods, file->pMethods});
    kind->faulty.xWrite = Write;
    kind->faulty.xTruncate = Truncate;
    kind->faulty.xSync = Sync;
  }
  file->pMethods = &kind->faulty;
  return rc;
}

}  // namespace

FaultyVfs::FaultyVfs() {
  g_real = sqlite3_vfs_find(nullptr);
  if (g_real == nullptr) throw std::runtime_error("no default SQLite VFS");
  // The system's VFS in all but its name and how it opens files.
  g_faulty = *g_real;
  g_faulty.pNext = nullptr;
  g_faulty.zName = "faulty";
  g_faulty.xOpen = Open;
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
