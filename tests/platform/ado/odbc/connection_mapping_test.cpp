// How ADO's SQL Server forms and ODBC strings become the driver manager's connection string:
// table-driven, with the refusals (Windows authentication, unbalanced quotes and braces, unknown
// keys) and the password kept out of every description and message.
#include "platform/ado/odbc/connection_mapping.h"

#include <gtest/gtest.h>

#include <fstream>

#include "com_error_of.h"
#include "odbc_driver.h"
#include "platform/oleaut/text.h"
#include "temp_dir.h"

namespace {

using ado::odbc::MapConnectionString;

ado::odbc::OdbcTarget Map(const std::string& text) {
  return MapConnectionString(ado::ParseConnectionString(oleaut::FromUtf8(text)));
}

TEST(ConnectionMappingTest, SqlServerAndOdbcFormsBecomeDriverStrings) {
  tavtest::ScopedEnv driver("TAV_SQLSERVER_ODBC_DRIVER", "");
  struct Case {
    std::string ado;
    std::string odbc;
    int timeout;
  };
  const std::string tds = ";TDS_Version=7.4;ClientCharset=UTF-8";
  const Case cases[] = {
      {"Provider=SQLOLEDB;Data Source=db01,1433;Initial Catalog=Finance;User ID=tav;"
       "Password=secret",
       "Driver=FreeTDS;Server=db01;Port=1433;Database=Finance;UID=tav" + tds + ";PWD=secret;", 15},
      {"Provider=MSOLEDBSQL;Data Source=tcp:db01\\SQL2019;Initial Catalog=F;User ID=u;"
       "Password=p;Connect Timeout=3;Persist Security Info=False",
       "Driver=FreeTDS;Server=db01\\SQL2019;Database=F;UID=u" + tds + ";PWD=p;", 3},
      // FreeTDS takes a braced value to the first "};", "}}" as it stands.
      {"Provider=SQLOLEDB.1;Server=(local);Database=F;UID=u;PWD={a;b}}c}",
       "Driver=FreeTDS;Server=localhost;Database=F;UID=u" + tds + ";PWD={a;b}c};", 15},
      {"Provider=SQLNCLI11;Data Source=.;User ID=u;Password='x;y';Application Name=tav",
       "Driver=FreeTDS;APP=tav;Server=localhost;UID=u" + tds + ";PWD={x;y};", 15},
      {"Provider=MSOLEDBSQL19;Data Source=db01;User ID=u;Password= pass ;Encrypt=yes",
       "Driver=FreeTDS;Encryption=require;Server=db01;UID=u" + tds + ";PWD=pass;", 15},
      {"Provider=SQLOLEDB;Data Source=db01;User ID=u;Password=\" pa=ss \"",
       "Driver=FreeTDS;Server=db01;UID=u" + tds + ";PWD={ pa=ss };", 15},
      {"Driver={FreeTDS};Server=db01;UID=u;PWD={p;}}}",
       "Driver=FreeTDS;Server=db01;UID=u;PWD={p;}};", 15},
      // The SQLite driver is never to create a missing database file, whatever the string says.
      {"Provider=MSDASQL;DSN=finance;User ID=u;Password=p;Connect Timeout=7",
       "NoCreat=1;DSN=finance;UID=u;PWD=p", 7},
      {"Driver={SQLite3};Database=/srv/a b.db", "NoCreat=1;Driver=SQLite3;Database=/srv/a b.db",
       15},
      {"Driver=SQLite3;nocreat=0;Database=x.db", "NoCreat=1;Driver=SQLite3;Database=x.db", 15},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ado);
    const ado::odbc::OdbcTarget target = Map(c.ado);
    EXPECT_EQ(oleaut::ToUtf8(target.connection_string), c.odbc);
    EXPECT_EQ(target.login_timeout_seconds, c.timeout);
    for (const char* secret : {"secret", "PWD=p", "a;b", "x;y", "pass", "pa=ss"}) {
      EXPECT_EQ(oleaut::ToUtf8(target.description).find(secret), std::string::npos)
          << oleaut::ToUtf8(target.description);
    }
  }
}

TEST(ConnectionMappingTest, TheDriverForSqlServerCanBeNamedInTheEnvironment) {
  tavtest::ScopedEnv driver("TAV_SQLSERVER_ODBC_DRIVER", "/opt/tds/libtdsodbc.so");
  EXPECT_EQ(oleaut::ToUtf8(Map("Provider=SQLOLEDB;Data Source=h;User ID=u").connection_string),
            "Driver=/opt/tds/libtdsodbc.so;Server=h;UID=u;TDS_Version=7.4;ClientCharset=UTF-8;");
}

TEST(ConnectionMappingTest, BadFormsAreRefusedWithoutShowingThePassword) {
  struct Case {
    std::string text;
    std::string error;
  };
  const Case cases[] = {
      {"Provider=SQLOLEDB;Data Source=db01;Integrated Security=SSPI;Password=hush",
       "Windows authentication, which is not available"},
      {"Provider=MSOLEDBSQL;Data Source=db01;Trusted_Connection=yes", "Windows authentication"},
      {"Provider=SQLOLEDB;Data Source=db01,99999;User ID=u;Password=hush",
       "port '99999' of the data source is not a number"},
      {"Provider=SQLOLEDB;Data Source=np:\\\\db01\\pipe;User ID=u", "Named pipes"},
      {"Provider=SQLOLEDB;Initial Catalog=x;User ID=u;Password=hush", "names no Data Source"},
      {"Provider=SQLOLEDB;Data Source=db01;Password=hush", "names no User ID"},
      {"Provider=SQLOLEDB;Data Source=db01;User ID=u;Colour=blue",
       "does not know the connection "
       "string key 'Colour'"},
      {"Provider=SQLOLEDB;Data Source=db01;User ID=u;Connect Timeout=soon",
       "'soon' is not a number of seconds"},
      {"Provider=SQLOLEDB;Data Source=db01;User ID=u;Password={hush;Initial Catalog=x",
       "opens a brace that is not closed"},
      {"Provider=SQLOLEDB;Data Source=db01;User ID=u;Password=hu}sh", "closing brace that no"},
      {"Provider=SQLOLEDB;Data Source=db01;User ID=u;Password=\"hush", "not closed with its quote"},
      {"Provider=SQLOLEDB;Data Source=db01;User ID=u;Password={hush}x", "Unexpected text after"},
      {"Provider=SQLOLEDB;Data Source=db01;User ID=u;hush", "a part without '=' at character 46"},
      {"Provider=MSDASQL;User ID=u;Password=hush", "names neither a Driver nor a DSN"},
      {"Provider=SQLOLEDB;Data Source=db01;User ID=u;Password={hu}};sh}",
       "PWD of the connection string holds \"};\", which the FreeTDS driver cannot"},
      // A library loaded into the driver, or a file written where the string says, from a key
      // as it stands or hidden in a braced value, which the SQLite driver does not honour.
      {"Driver=SQLite3;Database=x.db;LoadExt=/tmp/e.so;PWD=hush",
       "The connection string has the key 'LoadExt', which is refused: it loads a library"},
      {"Driver=SQLite3;Database=x.db;PWD={hush; LOADEXT =/tmp/e.so}",
       "has the key 'LOADEXT', which is refused"},
      {"Driver=SQLite3;Database=x.db;Tracefile=/home/u/.profile;PWD=hush",
       "has the key 'Tracefile', which is refused: it makes the SQLite ODBC driver write"},
      {"Provider=MSDASQL;DSN=x;SAVEFILE=/tmp/x.dsn;Password=hush",
       "has the key 'SAVEFILE', which is refused: it makes the driver manager write"},
      // Only a registered driver is loaded: a library by path or by a name the dynamic linker
      // would look up is not.
      {"Driver=/tmp/e.so;Database=x.db;PWD=hush",
       "The connection string names the ODBC driver '/tmp/e.so', which is not installed: only a "
       "driver that odbcinst.ini registers is loaded"},
      {"Driver={libc.so.6};PWD=hush", "names the ODBC driver 'libc.so.6', which is not installed"},
      {"Driver=/usr/lib/../lib/x86_64-linux-gnu/libc.so.6;PWD=hush", "which is not installed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const oleaut::ComError error = tavtest::ErrorOf([&] { Map(c.text); });
    const std::string message = error.what();
    EXPECT_NE(message.find(c.error), std::string::npos) << message;
    EXPECT_EQ(message.find("hush"), std::string::npos) << message;
  }
}

// The SQLite driver takes every key the string leaves out from the data source it names, and the
// driver manager adds the keys of a file data source: a library or a file named there is refused
// as in the string itself.
TEST(ConnectionMappingTest, KeysOfTheNamedDataSourcesAreRefusedAsTheStringsOwn) {
  tavtest::TempDir dir;
  std::ofstream(dir / "odbc.ini") << "[tav_loads]\nDriver=SQLite3\nloadext=/tmp/e.so\n"
                                  << "[tav_traces]\nDriver=SQLite3\nTracefile=/tmp/t\n"
                                  << "[tav_plain]\nDriver=SQLite3\nDatabase=/srv/p.db\n"
                                  << "[tav_driver]\nDriver=/tmp/e.so\n";
  std::ofstream(dir / "loads.dsn") << "[ODBC]\nDriver=SQLite3\nLoadExt=/tmp/e.so\n";
  std::ofstream(dir / "names.dsn") << "[ODBC]\nDSN=tav_traces\n";
  tavtest::ScopedEnv ini("ODBCINI", (dir / "odbc.ini").string());
  struct Case {
    std::string text;
    std::string error;
  };
  const Case cases[] = {
      {"DSN=tav_loads", "The ODBC data source 'tav_loads' (odbc.ini) sets the key 'LoadExt'"},
      {"Provider=MSDASQL;DSN=tav_traces",
       "data source 'tav_traces' (odbc.ini) sets the key "
       "'Tracefile'"},
      {"FILEDSN=" + (dir / "loads.dsn").string(),
       "The file data source '" + (dir / "loads.dsn").string() + "' sets the key 'LoadExt'"},
      {"FILEDSN=" + (dir / "names.dsn").string(), "data source 'tav_traces' (odbc.ini) sets"},
      {"DSN=tav_driver",
       "The ODBC data source 'tav_driver' (odbc.ini) names the ODBC driver '/tmp/e.so', which is "
       "not installed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string message = tavtest::ErrorOf([&] { Map(c.text); }).what();
    EXPECT_NE(message.find(c.error), std::string::npos) << message;
  }
  EXPECT_EQ(oleaut::ToUtf8(Map("DSN=tav_plain").connection_string), "NoCreat=1;DSN=tav_plain");
}

TEST(ConnectionMappingTest, ARegisteredDriverIsTakenByItsNameOrItsLibrarysPath) {
  const std::string library = tavtest::SqliteOdbcDriver().string();
  const std::pair<std::string, std::string> cases[] = {
      {"sqlite3", "sqlite3"}, {"{SQLite3}", "SQLite3"}, {library, library}};
  for (const auto& [driver, mapped] : cases) {
    SCOPED_TRACE(driver);
    EXPECT_EQ(oleaut::ToUtf8(Map("Driver=" + driver + ";Database=x.db").connection_string),
              "NoCreat=1;Driver=" + mapped + ";Database=x.db");
  }
}

TEST(ConnectionMappingTest, RedactionHidesEverySecretValue) {
  EXPECT_EQ(oleaut::ToUtf8(ado::RedactedConnectionString(
                u"Driver={FreeTDS};Server=h;PWD={p;}}x};Password=y;UID=u")),
            "Driver=FreeTDS;Server=h;PWD=***;Password=***;UID=u");
  EXPECT_EQ(oleaut::ToUtf8(ado::RedactedConnectionString(u"Server=h;PWD={unclosed")), "Server=...");
}

}  // namespace
