// The process-wide settings of the SQLite library, made once before the first database opens:
// the embedded provider and the SQLite ODBC driver share the one library in the process.
#pragma once

namespace ado::sqlite {

// Sets the library up for how this program uses it, before it starts:
// - no memory statistics, which no part of the program reads: kept, they take a process-wide
//   lock around every allocation, and the SQLite ODBC driver allocates for each value it hands
//   out;
// - no lock per database connection (multi-thread mode): a connection belongs to one thread at a
//   time (the apartment model), as the embedded provider already declares when it opens one, and
//   the driver's connection otherwise took a lock twice for every value it read.
// Has no effect once the library runs (it keeps the settings it started with). Safe to call from
// any thread, any number of times.
void ConfigureEngineOnce();

}  // namespace ado::sqlite
