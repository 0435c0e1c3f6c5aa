#pragma once
// The COD container of the simulated handheld: a small header naming the
// module, its version and vendor, then the payload. See COD-FORMAT.md.
// No Windows header here: writers and readers on any system link this.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cod {

inline constexpr char kMagic[4] = {'Z', 'C', 'O', 'D'};
inline constexpr std::uint16_t kFormatVersion = 1;
inline constexpr std::size_t kHeaderSize = 14;
inline constexpr std::size_t kMaxNameBytes = 127;

enum class Kind : std::uint8_t { kLibrary = 0, kApplication = 1 };

struct Module {
  std::string name;     // UTF-8, see IsValidModuleName
  std::string version;  // UTF-8, at most 255 bytes, no control characters
  std::string vendor;   // UTF-8, at most 255 bytes, no control characters
  Kind kind = Kind::kLibrary;
  std::vector<std::uint8_t> payload;
};

// A module name: 1 to 127 bytes of UTF-8 with no blank, no control character
// and none of \ / : * ? " < > |, so that it is also a file name.
bool IsValidModuleName(std::string_view name);

// Writes the container; false with a reason when a field breaks the rules.
bool Encode(const Module& module, std::vector<std::uint8_t>* out, std::string* error);

// Reads a whole container; false with a reason when the bytes are not one.
bool Decode(std::span<const std::uint8_t> bytes, Module* out, std::string* error);

}  // namespace cod
