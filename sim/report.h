#pragma once
// What the simulator prints about the handheld, one line per element.

#include <cstdint>
#include <string>
#include <vector>

#include "device.h"

namespace zsim {

// The module listing: two heading lines, one line per module that starts with
// its name and a blank, a closing line, and the totals line
// "<count> modules, <used> bytes; <free> bytes free of <capacity>".
std::vector<std::string> ListingLines(const Device& d);

std::vector<std::string> ModuleDetailLines(const DeviceModule& m);

std::vector<std::string> DeviceInfoLines(const Device& d, std::int64_t device_now);

std::vector<std::string> EventLogLines(const Device& d);

// "system application", "library" and so on.
std::string ModuleType(const DeviceModule& m);

}  // namespace zsim
