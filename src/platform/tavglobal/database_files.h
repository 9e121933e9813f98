// Database files of the embedded engine: the demo data source and empty application databases.
//
// The demo database lives at DataDirectory()/demo.db. It is created with the application schema
// and the demo data the first time the name "demo" is bound, built under a name no other
// builder takes ("demo.db.building-<pid>-<n>", n counting the builds of the process) and put
// into place whole, so that processes and threads starting at once never see half a database;
// what a killed build left behind is removed by the next one. Creating, checking and recreating
// it is done by one thread of one process at a time (the lock file "demo.db.lock"). A database
// there that lacks tables of the schema (an empty file) is not trusted: it is given the demo
// content, in place. Recreating it replaces its content in place, so that processes using it
// meanwhile lose nothing they commit afterwards. A path may be a symbolic link to the database
// file.
#pragma once

#include <filesystem>
#include <string>

namespace tavglobal {

std::filesystem::path DemoDatabasePath();
// Creates the demo database when it does not exist yet, or lacks tables of the schema; returns
// its path. A file there that is no database raises.
std::filesystem::path EnsureDemoDatabase();
// Gives the demo database the content of a freshly seeded one, in place: waits (up to the busy
// timeout) for its writers, and every open connection sees the new content afterwards.
std::filesystem::path ResetDemoDatabase();

// Creates a new database at `path` with the application schema and, when asked, the demo data.
// An existing file is refused (ComError), never overwritten.
void CreateDatabase(const std::filesystem::path& path, bool with_demo_data);

// The connection string of the embedded provider for a database file.
std::u16string SqliteConnectionString(const std::filesystem::path& path);

}  // namespace tavglobal
