// A tavprint command with its subcommands, as its Add...Commands function puts it on the command
// line. Parsing only records the choice; Run() carries it out afterwards, once the identity
// options are in force.
#pragma once

#include <ostream>

namespace tavprint {

class CommandGroup {
 public:
  CommandGroup() = default;
  CommandGroup(const CommandGroup&) = delete;
  CommandGroup& operator=(const CommandGroup&) = delete;
  virtual ~CommandGroup() = default;

  // Whether the command line named this command (or one of its subcommands).
  virtual bool Chosen() const = 0;
  virtual void Run(std::ostream& out) const = 0;
};

}  // namespace tavprint
