/* A library that leaves a mark when anything loads it: its constructor appends a line to the file
 * TAV_TEST_MARKER names. Tests name it where a hostile data source would have a driver load a
 * library of its own, and check that no mark appears. It is also a SQLite extension that does
 * nothing, so that a loader that asks for its entry point finds one. */
#include <stdio.h>
#include <stdlib.h>

__attribute__((constructor)) static void LeaveMark(void) {
  const char* path = getenv("TAV_TEST_MARKER");
  if (path == NULL || *path == '\0') return;
  FILE* file = fopen(path, "a");
  if (file == NULL) return;
  fputs("loaded\n", file);
  fclose(file);
}

__attribute__((visibility("default"))) int sqlite3_extension_init(void* db, char** error,
                                                                  const void* api) {
  (void)db;
  (void)error;
  (void)api;
  return 0;
}
