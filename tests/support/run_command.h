// Running a shell command line from a test, as a user would type it.
#pragma once

#include <string>

namespace tavtest {

struct CommandRun {
  int wait_status = -1;  // as pclose gives it (WIFEXITED, WEXITSTATUS); -1 when it did not start
  std::string out;       // all it wrote to its standard output
};

CommandRun RunCommand(const std::string& command_line);

}  // namespace tavtest
