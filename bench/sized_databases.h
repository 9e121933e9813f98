// A benchmark's databases of the component's empty schema, one per size, each filled once by the
// benchmark's own `fill` and kept for the rest of the run; the folder that holds them (some
// hundred MiB for the larger sizes) goes away when the program ends.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <system_error>
#include <utility>

#include "platform/tavglobal/database_files.h"

namespace bench {

class SizedDatabases {
 public:
  using Fill = std::function<void(const std::filesystem::path& path, std::int64_t size)>;

  // `program` names the folder (tav-<program>-bench-<pid>), `stem` the files (<stem>-<size>.db).
  SizedDatabases(const std::string& program, std::string stem, Fill fill)
      : folder_(std::filesystem::temp_directory_path() /
                ("tav-" + program + "-bench-" + std::to_string(getpid()))),
        stem_(std::move(stem)),
        fill_(std::move(fill)) {
    std::filesystem::create_directories(folder_);
  }
  ~SizedDatabases() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  SizedDatabases(const SizedDatabases&) = delete;
  SizedDatabases& operator=(const SizedDatabases&) = delete;

  const std::filesystem::path& Of(std::int64_t size) {
    if (auto found = made_.find(size); found != made_.end()) return found->second;
    auto path = folder_ / (stem_ + "-" + std::to_string(size) + ".db");
    std::filesystem::remove(path);
    tavglobal::CreateDatabase(path, /*with_demo_data=*/false);
    fill_(path, size);
    return made_.emplace(size, std::move(path)).first->second;
  }

 private:
  std::filesystem::path folder_;
  std::string stem_;
  Fill fill_;
  std::map<std::int64_t, std::filesystem::path> made_;
};

}  // namespace bench
