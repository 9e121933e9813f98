// Several threads calling at once, for tests of callers that must wait for each other.
#pragma once

#include <exception>
#include <functional>
#include <latch>
#include <string>
#include <thread>
#include <vector>

namespace tavtest {

// Runs `body(t)` for t = 0 .. count-1, each on a thread of its own and all started at the same
// moment, and returns what each one threw ("" for a thread that threw nothing).
inline std::vector<std::string> OnThreads(int count, const std::function<void(int)>& body) {
  std::vector<std::string> failures(static_cast<std::size_t>(count));
  std::latch start(count);
  std::vector<std::thread> threads;
  for (int t = 0; t < count; ++t) {
    threads.emplace_back([&, t] {
      start.arrive_and_wait();
      try {
        body(t);
      } catch (const std::exception& e) {
        failures[static_cast<std::size_t>(t)] = e.what();
      }
    });
  }
  for (std::thread& thread : threads)
    thread.join();
  return failures;
}

}  // namespace tavtest
