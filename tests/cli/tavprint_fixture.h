// tavprint run as a user runs it: a shell command line in a temporary folder of its own (its
// registry, catalog and demo data source there), with its exit status, output and errors.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "run_command.h"
#include "temp_dir.h"

namespace tavtest {

struct Outcome {
  int status = -1;  // the exit status; 128 + its number when a signal ended tavprint
  std::string out;
  std::string err;
};

class TavprintTest : public ::testing::Test {
 protected:
  // `args` and `env` (NAME='value' assignments that override the folder's) are shell words.
  Outcome Tavprint(const std::string& args, const std::string& env = "") {
    return Shell("'" + std::string(TAV_TAVPRINT) + "' " + args, env);
  }

  // Runs a shell command line in which $TAVPRINT names tavprint.
  Outcome Shell(const std::string& command_line, const std::string& env = "") {
    const std::filesystem::path err = dir_ / "stderr.txt";
    const std::string command = "cd '" + dir_.Path().string() + "' && TAV_REGISTRY_FILE='" +
                                registry_.string() + "' TAV_DATA_DIR='" + (dir_ / "data").string() +
                                "' TAV_CATALOG='" + (dir_ / "catalog.toml").string() +
                                "' TAVPRINT='" + std::string(TAV_TAVPRINT) + "' " + env +
                                " sh -c '" + Escaped(command_line) + "' 2>'" + err.string() + "'";
    const CommandRun ran = RunCommand(command);
    Outcome run;
    run.out = ran.out;
    run.status = WIFEXITED(ran.wait_status) ? WEXITSTATUS(ran.wait_status) : -1;
    run.err = ReadText(err);
    return run;
  }

  // What a command line must do: exit with `status` (kFails: with any failure) and say `text` on
  // its output (status 0) or on its errors; `env` as Tavprint takes it.
  static constexpr int kFails = -2;
  struct Said {
    std::string args;
    int status;
    std::string text;
    std::string env = "";
  };
  void ExpectSaid(const std::vector<Said>& cases) {
    for (const Said& c : cases) {
      SCOPED_TRACE(c.args);
      const Outcome run = Tavprint(c.args, c.env);
      if (c.status == kFails) {
        EXPECT_NE(run.status, 0);
      } else {
        EXPECT_EQ(run.status, c.status) << run.err;
      }
      EXPECT_THAT(c.status == 0 ? run.out : run.err, testing::HasSubstr(c.text));
    }
  }

  TempDir dir_;
  std::filesystem::path registry_ = dir_ / "registry.json";

 private:
  // The command line as one single-quoted shell word.
  static std::string Escaped(const std::string& text) {
    return std::regex_replace(text, std::regex("'"), "'\\''");
  }
};

}  // namespace tavtest
