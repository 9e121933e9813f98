// A SQLite VFS that makes the file operations of the database fail on demand, in the manner of
// SQLite's own I/O error tests: it passes everything to the system's VFS, and once armed counts
// the writes, syncs and truncations and fails the Nth (and, when persistent, every one after).
// Syncs are counted but never reach the disk.
#pragma once

namespace templates_test {

class FaultyVfs {
 public:
  // Becomes the default VFS while it lives; connections opened meanwhile must be closed first.
  FaultyVfs();
  FaultyVfs(const FaultyVfs&) = delete;
  FaultyVfs& operator=(const FaultyVfs&) = delete;
  ~FaultyVfs();

  // From now on the `nth` write, sync or truncation fails; with `persistent`, so does every one
  // after it.
  static void Arm(int nth, bool persistent);
  // Stops failing; returns how many operations were counted while armed.
  static int Disarm();
  // Whether an operation failed since the last Arm.
  static bool Fired();
};

}  // namespace templates_test
