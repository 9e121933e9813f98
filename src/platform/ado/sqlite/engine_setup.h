// The process-wide settings of the SQLite library, made once before the first database opens:
// the embedded provider and the SQLite ODBC driver share the one library in the process.
#pragma once

namespace ado::sqlite {

// Turns off the library's memory statistics, which no part of this program reads: kept, they
// take a process-wide lock around every allocation the engine makes, and the SQLite ODBC
// driver allocates several per value it hands out. Has no effect once the library runs (it
// then keeps the statistics it started with). Safe to call from any thread, any number of times.
void ConfigureEngineOnce();

}  // namespace ado::sqlite
