#pragma once
// The command lines the simulator understands, from the raw text of the
// process's command line to one command.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zsim {

// One argument as the usual Windows rules split it, and whether any part of
// it stood in double quotes.
struct Word {
  std::string text;
  bool quoted = false;
  bool operator==(const Word&) const = default;
};

// Splits a whole command line (UTF-8) by the rules of the Microsoft C
// runtime: the program name first (up to the next blank, or in quotes,
// without backslash rules), then the arguments with their quote and
// backslash rules. The program name is not returned.
std::vector<Word> SplitArguments(std::string_view command_line);

enum class Verb {
  kHelp,
  kDir,
  kInfo,
  kSave,
  kErase,
  kLoad,
  kWipe,
  kScreenshot,
  kEventLog,
  kDeviceInfo,
  kRadio,
  kSetTime,
};

enum class WipeScope { kEverything, kApplications, kFileSystem };

struct Command {
  Verb verb = Verb::kHelp;
  bool force = false;     // erase -f
  bool radio_on = false;  // radio on|off
  WipeScope wipe = WipeScope::kEverything;
  // Module names without ".cod" (info, save, erase), file paths (load) or the
  // picture path (screenshot).
  std::vector<std::string> items;
};

// The command of the arguments, or nothing with the reason in *error.
std::optional<Command> ParseCommand(const std::vector<Word>& args, std::string* error);

// The usage text, one line per element.
std::vector<std::string> UsageLines();

}  // namespace zsim
