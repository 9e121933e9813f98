#include "run_command.h"

#include <cstdio>

namespace tavtest {

CommandRun RunCommand(const std::string& command_line) {
  CommandRun run;
  FILE* pipe = popen(command_line.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  while (const std::size_t got = fread(buffer, 1, sizeof buffer, pipe))
    run.out.append(buffer, got);
  run.wait_status = pclose(pipe);
  return run;
}

}  // namespace tavtest
