// The process-wide settings of the SQLite library, made once before the first database opens:
// the embedded provider and the SQLite ODBC driver share the one library in the process.
#pragma once

namespace ado::sqlite {

// Sets the library up for how this program uses it, before it starts: no memory statistics,
// which no part of the program reads; kept, they take a process-wide lock around every
// allocation, and the SQLite ODBC driver allocates for each value it hands out.
// The threading mode stays the library's default (serialized): the component is loaded into
// host processes that may share their own SQLite connections between threads, and a library
// must not take that safety from them. Our own connections skip their lock already (they are
// opened with SQLITE_OPEN_NOMUTEX: a connection belongs to one thread at a time).
// Has no effect once the library runs (it keeps the settings it started with). Safe to call from
// any thread, any number of times.
void ConfigureEngineOnce();

}  // namespace ado::sqlite
