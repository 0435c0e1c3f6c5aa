#pragma once
// How one run of an outside program ended.

#include <cstdint>
#include <string>

namespace korvane {

struct RunOutcome {
  bool started = false;
  std::uint32_t exitCode = 0;  // valid when started
  std::string startError;      // the system's reason when not started (UTF-8)
};

}  // namespace korvane
