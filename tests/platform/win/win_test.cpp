#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "platform/oleaut/clock.h"
#include "platform/win/event_log.h"
#include "platform/win/system_directory.h"
#include "temp_dir.h"

namespace win {
namespace {

using tavtest::ReadText;

TEST(EventLog, FileSinkWritesOneEscapedLinePerEvent) {
  tavtest::TempDir dir;
  const auto log = dir / "events.log";
  tavtest::ScopedEnv sink("TAV_EVENT_LOG_FILE", log.string());
  oleaut::ScopedFixedClock clock(oleaut::Date(45292.5));

  ReportEvent(EventType::Warning, u"TAVMPrintExport",
              u"当前单据（销售单）对应用户（张三）的套打模板数据不存在！");
  ReportEvent(EventType::Error, u"src\tx", u"line 1\r\nline 2 \\ end");
  EXPECT_EQ(ReadText(log),
            "2024-01-01 12:00:00.000\tWarning\tTAVMPrintExport\t"
            "当前单据（销售单）对应用户（张三）的套打模板数据不存在！\n"
            "2024-01-01 12:00:00.000\tError\tsrc\\tx\tline 1\\r\\nline 2 \\\\ end\n");
}

TEST(EventLog, UnwritableSinkNeverFailsTheCaller) {
  tavtest::TempDir dir;
  tavtest::ScopedEnv sink("TAV_EVENT_LOG_FILE", (dir / "missing" / "events.log").string());
  tavtest::ScopedEnv bad_clock("TAV_FIXED_NOW", "not a date");
  ScopedEventCapture capture;
  ReportEvent(EventType::Information, u"test", u"still captured");
  ASSERT_EQ(capture.Events().size(), 1U);
  EXPECT_EQ(capture.Events()[0].message, u"still captured");
}

TEST(EventLog, UnwritableSinkIsSaidOnceOnStandardError) {
  tavtest::TempDir dir;
  tavtest::ScopedEnv sink("TAV_EVENT_LOG_FILE", (dir / "missing" / "events.log").string());
  testing::internal::CaptureStderr();
  ReportEvent(EventType::Information, u"test", u"lost");
  ReportEvent(EventType::Information, u"test", u"lost again");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "warning: the application event log file is not written: Cannot write " +
                (dir / "missing" / "events.log").string() + ": No such file or directory\n");
}

TEST(EventLog, CaptureHoldsThisThreadsEventsInnermostFirst) {
  ScopedEventCapture outer;
  ReportEvent(EventType::Information, u"a", u"1");
  {
    ScopedEventCapture inner;
    ReportEvent(EventType::Error, u"b", u"2");
    std::thread([] { ReportEvent(EventType::Error, u"other", u"thread"); }).join();
    ASSERT_EQ(inner.Events().size(), 1U);
    EXPECT_EQ(inner.Events()[0].type, EventType::Error);
    EXPECT_EQ(inner.Events()[0].source, u"b");
  }
  ReportEvent(EventType::Information, u"c", u"3");
  ASSERT_EQ(outer.Events().size(), 2U);
  EXPECT_EQ(outer.Events()[1].message, u"3");
}

TEST(SystemDirectory, EnvironmentThenXdgThenHome) {
  {
    tavtest::ScopedEnv dir("TAV_SYSTEM_DIR", "/opt/tav/sys/");
    EXPECT_EQ(SystemDirectory(), "/opt/tav/sys");
  }
  tavtest::ScopedEnv no_dir("TAV_SYSTEM_DIR", "");
  tavtest::ScopedEnv home("HOME", "/home/tester");
  {
    tavtest::ScopedEnv xdg("XDG_DATA_HOME", "/data");
    EXPECT_EQ(SystemDirectory(), "/data/tav/system");
  }
  tavtest::ScopedEnv relative_xdg("XDG_DATA_HOME", "relative");
  EXPECT_EQ(SystemDirectory(), "/home/tester/.local/share/tav/system");
}

}  // namespace
}  // namespace win
