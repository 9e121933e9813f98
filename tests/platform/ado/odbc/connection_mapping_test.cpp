// How ADO's SQL Server forms and ODBC strings become the driver manager's connection string:
// table-driven, with the refusals (Windows authentication, unbalanced quotes and braces, unknown
// keys) and the password kept out of every description and message.
#include "platform/ado/odbc/connection_mapping.h"

#include <gtest/gtest.h>

#include "com_error_of.h"
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
      {"Provider=MSDASQL;DSN=finance;User ID=u;Password=p;Connect Timeout=7",
       "DSN=finance;UID=u;PWD=p", 7},
      {"Driver={SQLite3};Database=/srv/a b.db", "Driver=SQLite3;Database=/srv/a b.db", 15},
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
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const oleaut::ComError error = tavtest::ErrorOf([&] { Map(c.text); });
    const std::string message = error.what();
    EXPECT_NE(message.find(c.error), std::string::npos) << message;
    EXPECT_EQ(message.find("hush"), std::string::npos) << message;
  }
}

TEST(ConnectionMappingTest, RedactionHidesEverySecretValue) {
  EXPECT_EQ(oleaut::ToUtf8(ado::RedactedConnectionString(
                u"Driver={FreeTDS};Server=h;PWD={p;}}x};Password=y;UID=u")),
            "Driver=FreeTDS;Server=h;PWD=***;Password=***;UID=u");
  EXPECT_EQ(oleaut::ToUtf8(ado::RedactedConnectionString(u"Server=h;PWD={unclosed")), "Server=...");
}

}  // namespace
