#pragma once
// Carries out one command on the simulated handheld.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "command_line.h"
#include "device.h"

namespace zsim {

enum class FileStatus { kOk, kNotFound, kNoFolder, kTooLarge, kFailed };

// What a command needs of the computer it runs on.
class Host {
 public:
  virtual ~Host() = default;
  // The computer's local clock, see civil_time.h.
  virtual std::int64_t LocalNow() = 0;
  // Reads a whole file of at most limit bytes; *error tells why on kFailed.
  virtual FileStatus ReadFile(const std::string& path, std::uint64_t limit,
                              std::vector<std::uint8_t>* bytes, std::string* error) = 0;
  // Writes a whole file, replacing one of that name; on failure no partial
  // file is left. *error tells why on kFailed.
  virtual FileStatus WriteFile(const std::string& path, std::span<const std::uint8_t> bytes,
                               std::string* error) = 0;
};

struct Outcome {
  std::vector<std::string> lines;  // what to print
  int exit_code = 0;               // 0 done, 1 failed (in part)
  bool changed = false;            // the device must be stored again
};

inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitDisconnected = 3;

// Runs a device command (not kHelp) on d.
Outcome Run(const Command& c, Device& d, Host& host);

}  // namespace zsim
