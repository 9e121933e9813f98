// Fuzzes the Jet reader with damaged files. Each input is a whole .mdb file (start from files
// the writer makes: set TAV_JET_FUZZ_SEEDS=DIR to have them written there first); libFuzzer cuts
// and flips it. The file is opened, and every table, the catalog included, is read with
// SELECT *: any outcome but a ComError (a crash, a leak, mdbtools calling exit) is a finding.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/ado/jet/mdb_file.h"
#include "platform/ado/jet/query.h"
#include "platform/ado/jet/statement.h"
#include "platform/ado/jet/writer.h"
#include "platform/oleaut/com_error.h"

namespace {

void WriteSeeds(const std::filesystem::path& folder) {
  using ado::jet::JetColumnType;
  std::filesystem::create_directories(folder);
  for (const auto version : {ado::jet::JetVersion::kJet4, ado::jet::JetVersion::kJet3}) {
    ado::jet::JetDatabaseSpec spec;
    spec.version = version;
    spec.created = oleaut::Date(45000.5);
    ado::jet::JetTableSpec table;
    table.name = u"T_RepNotePrintSql";
    table.columns = {{u"ftrantypeid", JetColumnType::kLong},
                     {u"FRepSql", JetColumnType::kMemo},
                     {u"FMaskFld", JetColumnType::kText, 255},
                     {u"FNeedLog", JetColumnType::kYesNo},
                     {u"FDate", JetColumnType::kDateTime}};
    table.rows = {{21, std::u16string(5000, u's'), u"FNote,FQty", true, oleaut::Date(45000.0)},
                  {1, u"short", oleaut::kNull, false, oleaut::kNull},
                  {2, std::u16string(100, u'm'), u"", oleaut::kNull, oleaut::Date(1.5)}};
    spec.tables.push_back(table);
    const bool jet4 = version == ado::jet::JetVersion::kJet4;
    ado::jet::WriteJetDatabase(folder / (jet4 ? "jet4.mdb" : "jet3.mdb"), spec,
                               ado::jet::ExistingFile::kReplace);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* seeds = std::getenv("TAV_JET_FUZZ_SEEDS")) WriteSeeds(seeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int fd = ::memfd_create("jet-fuzz", MFD_CLOEXEC);
  if (fd < 0) return 0;
  struct Close {
    int fd;
    ~Close() { ::close(fd); }
  } close_fd{fd};
  if (::write(fd, data, size) != static_cast<ssize_t>(size)) return 0;
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  try {
    ado::jet::MdbFile file(path, u"fuzz.mdb");
    std::vector<std::u16string> tables = file.TableNames();
    tables.emplace_back(u"MSysObjects");
    for (const std::u16string& table : tables) {
      try {
        ado::jet::RunSelect(file, ado::jet::ParseJetSelect(u"SELECT * FROM [" + table + u"]"));
      } catch (const oleaut::ComError&) {
      }
    }
  } catch (const oleaut::ComError&) {
  }
  return 0;
}
