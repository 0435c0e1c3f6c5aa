#pragma once
// Reading the module listing that "zemblor -u dir" prints. All texts are
// UTF-8.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// The lines of a text as a text file is read: cut at CR, LF or CR LF; a line
// break at the very end starts no further line.
std::vector<std::string_view> TextLines(std::string_view text);

// Whether a module name (as cut from its listing line) is that of a system
// module: it begins with "net_qor_" or "dynamic_", in this case.
bool IsSystemModuleName(std::string_view name);

struct ModuleListing {
  // The module names kept, in the listing's order, each as cut from its line:
  // up to and including the line's first blank (empty without a blank).
  std::vector<std::string> names;
  // From the totals line: its first word with the blank after it, and the word
  // that starts two characters after its first ";" (after its first character
  // when it has none) with the blank after it. Either is empty when no blank
  // follows it.
  std::string count;
  std::string capacity;
};

// A listing of n lines: two heading lines, the module lines 3 to n - 2, a
// closing line and the totals line n. With hideSystemModules the module
// lines of system modules give no name. A text without any line has no
// totals line: nullopt.
std::optional<ModuleListing> ParseModuleListing(std::string_view text, bool hideSystemModules);

}  // namespace korvane
