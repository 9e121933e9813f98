// Data sources that would have the driver manager or the SQLite ODBC driver load a library of
// their own (as the driver, or with LoadExt) or
// create the database file they name, from every place a data source comes from: the caller's
// connection string, a catalog entry, an ODBC data source of odbc.ini. Through tavprint and
// through a member called by name, the call fails with an error that names the key, the library
// leaves no mark (it leaves one from its constructor whenever anything loads it) and no database
// file appears.
#include <gtest/gtest.h>

#include <fstream>

#include "com_error_of.h"
#include "odbc_driver.h"
#include "platform/com/activation.h"
#include "platform/com/dispatch.h"
#include "platform/oleaut/com_error.h"
#include "tavprint_fixture.h"

namespace {

namespace fs = std::filesystem;
using tavtest::Outcome;

class DataSourceFaultsTest : public tavtest::TavprintTest {
 protected:
  void SetUp() override {
    std::ofstream(Present()).flush();  // an empty database: a driver would open it, then load
    std::ofstream(dir_ / "catalog.toml")
        << "[sources.hostile]\nconnection = \"" << Hostile() << "\"\n"
        << "[sources.missing]\nconnection = \"" << Driver() << ";Database=" << Missing().string()
        << "\"\n";
    std::ofstream(dir_ / "odbc.ini")
        << "[tav_hostile]\nDriver=" << tavtest::SqliteOdbcDriver().string()
        << "\nDatabase=" << Present().string() << "\nLoadExt=" << kMarkerLibrary << "\n"
        << "[tav_missing]\nDriver=" << tavtest::SqliteOdbcDriver().string()
        << "\nDatabase=" << Missing().string() << "\n"
        << "[tav_driver]\nDriver=" << kMarkerLibrary << "\nDatabase=" << Present().string() << "\n";
    std::ofstream(dir_ / "driver.dsn") << "[ODBC]\nDRIVER=" << kMarkerLibrary << "\n";
  }

  static std::string Driver() { return "Driver=" + tavtest::SqliteOdbcDriver().string(); }
  fs::path Present() const { return dir_ / "present.db"; }
  fs::path Missing() const { return dir_ / "missing.db"; }
  fs::path Marker() const { return dir_ / "marker.txt"; }
  std::string Hostile() const {
    return Driver() + ";Database=" + Present().string() + ";LoadExt=" + kMarkerLibrary;
  }
  // What the processes that may load the library need to find it and the data sources.
  std::string Environment() const {
    return "TAV_TEST_MARKER='" + Marker().string() + "' ODBCINI='" + (dir_ / "odbc.ini").string() +
           "'";
  }

  // The data source through tavprint sql, and through clsGetData.GetSysValue in this process.
  std::pair<std::string, std::string> Errors(const std::string& dsn) {
    const Outcome run = Tavprint("sql \"" + dsn + "\" \"SELECT 1 AS x\"", Environment());
    EXPECT_EQ(run.status, 1) << run.out;
    tavtest::ScopedEnv catalog("TAV_CATALOG", (dir_ / "catalog.toml").string());
    tavtest::ScopedEnv registry("TAV_REGISTRY_FILE", registry_.string());
    tavtest::ScopedEnv marker("TAV_TEST_MARKER", Marker().string());
    tavtest::ScopedEnv odbc_ini("ODBCINI", (dir_ / "odbc.ini").string());
    com::RegisterServer(TAV_SERVER_LIBRARY);
    const oleaut::ComError error = tavtest::ErrorOf([&] {
      com::As<com::Dispatch>(com::CreateByProgID(u"TAVMPrintExport.clsGetData"))
          ->Call(u"GetSysValue", oleaut::FromUtf8(dsn), u"IC", u"IndustryVersion");
    });
    return {run.err, error.what()};
  }

  static constexpr const char* kMarkerLibrary = TAV_MARKER_LIBRARY;
};

TEST_F(DataSourceFaultsTest, TheMarkerLibraryLeavesItsMarkWhenLoaded) {
  const Outcome run =
      Shell("sqlite3 :memory: '.load " + std::string(kMarkerLibrary) + "'", Environment());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(tavtest::ReadText(Marker()), "loaded\n");
}

TEST_F(DataSourceFaultsTest, ALibraryNamedByADataSourceIsNeverLoaded) {
  struct Case {
    std::string dsn;
    std::string error;
  };
  const Case cases[] = {
      {Hostile(), "The connection string has the key 'LoadExt', which is refused"},
      // The driver does not honour braces: a key inside a braced value is a key to it.
      {Driver() + ";Database=" + Present().string() + ";Description={x;loadext=" + kMarkerLibrary +
           ";}",
       "The connection string has the key 'loadext', which is refused"},
      {"hostile", "The connection string has the key 'LoadExt', which is refused"},
      {"DSN=tav_hostile", "The ODBC data source 'tav_hostile' (odbc.ini) sets the key 'LoadExt'"},
      // The driver manager loads whatever library it is given as the driver.
      {"Driver=" + std::string(kMarkerLibrary) + ";Database=" + Present().string(),
       "The connection string names the ODBC driver '" + std::string(kMarkerLibrary) +
           "', which is not installed"},
      {"DSN=tav_driver", "The ODBC data source 'tav_driver' (odbc.ini) names the ODBC driver"},
      {"FILEDSN=" + (dir_ / "driver.dsn").string(),
       "The file data source '" + (dir_ / "driver.dsn").string() + "' names the ODBC driver"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dsn);
    const auto [from_tavprint, from_member] = Errors(c.dsn);
    EXPECT_NE(from_tavprint.find(c.error), std::string::npos) << from_tavprint;
    EXPECT_NE(from_member.find(c.error), std::string::npos) << from_member;
    EXPECT_FALSE(fs::exists(Marker()));
  }
}

TEST_F(DataSourceFaultsTest, AMissingDatabaseFileIsNotCreatedThroughTheDriver) {
  for (const std::string& dsn : {Driver() + ";Database=" + Missing().string() + ";NoCreat=0",
                                 std::string("missing"), std::string("DSN=tav_missing")}) {
    SCOPED_TRACE(dsn);
    const auto [from_tavprint, from_member] = Errors(dsn);
    const std::string says = "the SQLite database file '" + Missing().string() + "' does not exist";
    EXPECT_NE(from_tavprint.find(says), std::string::npos) << from_tavprint;
    EXPECT_NE(from_member.find(says), std::string::npos) << from_member;
    EXPECT_FALSE(fs::exists(Missing()));
  }
}

}  // namespace
