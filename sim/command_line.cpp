#include "command_line.h"

namespace zsim {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

bool EndsWithCod(std::string_view text) {
  return text.size() >= 4 && SameWord(text.substr(text.size() - 4), ".cod");
}

std::string WithoutCod(const std::string& text) {
  return EndsWithCod(text) ? text.substr(0, text.size() - 4) : text;
}

// Paths of a load list. A path in quotes stands alone; words without quotes
// are joined with one blank until the joined text ends in ".cod", so a path
// with blanks that was written without quotes still arrives whole.
std::vector<std::string> LoadPaths(const std::vector<Word>& words) {
  std::vector<std::string> paths;
  std::string pending;
  for (const Word& w : words) {
    if (w.quoted) {
      if (!pending.empty()) paths.push_back(std::move(pending));
      pending.clear();
      paths.push_back(w.text);
      continue;
    }
    pending = pending.empty() ? w.text : pending + " " + w.text;
    if (EndsWithCod(pending)) {
      paths.push_back(std::move(pending));
      pending.clear();
    }
  }
  if (!pending.empty()) paths.push_back(std::move(pending));
  return paths;
}

std::vector<std::string> ModuleNames(const std::vector<Word>& words) {
  std::vector<std::string> names;
  for (const Word& w : words) names.push_back(WithoutCod(w.text));
  return names;
}

}  // namespace

std::vector<Word> SplitArguments(std::string_view line) {
  size_t i = 0;
  if (i < line.size() && line[i] == '"') {
    size_t close = line.find('"', 1);
    i = close == std::string_view::npos ? line.size() : close + 1;
  }
  while (i < line.size() && !IsBlank(line[i])) ++i;

  std::vector<Word> words;
  for (;;) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) break;
    Word w;
    bool in_quotes = false;
    while (i < line.size() && (in_quotes || !IsBlank(line[i]))) {
      size_t backslashes = 0;
      while (i < line.size() && line[i] == '\\') {
        ++backslashes;
        ++i;
      }
      if (i < line.size() && line[i] == '"') {
        w.text.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          w.text += '"';
        } else if (in_quotes && i + 1 < line.size() && line[i + 1] == '"') {
          w.text += '"';  // "" inside quotes is one quote
          ++i;
        } else {
          in_quotes = !in_quotes;
          w.quoted = true;
        }
        ++i;
      } else {
        w.text.append(backslashes, '\\');
        if (i < line.size() && (in_quotes || !IsBlank(line[i]))) w.text += line[i++];
      }
    }
    words.push_back(std::move(w));
  }
  return words;
}

std::optional<Command> ParseCommand(const std::vector<Word>& args, std::string* error) {
  Command c;
  if (args.size() == 1 &&
      (SameWord(args[0].text, "-h") || SameWord(args[0].text, "--help") || args[0].text == "/?")) {
    return c;
  }
  if (args.empty()) {
    *error = "no command given";
    return std::nullopt;
  }
  if (!SameWord(args[0].text, "-u") && !SameWord(args[0].text, "-usb")) {
    *error = "the command must start with -u or -usb";
    return std::nullopt;
  }
  if (args.size() < 2) {
    *error = "no command word after " + args[0].text;
    return std::nullopt;
  }
  const std::string& word = args[1].text;
  std::vector<Word> rest(args.begin() + 2, args.end());

  struct Simple {
    const char* word;
    Verb verb;
  };
  for (Simple s : {Simple{"dir", Verb::kDir}, Simple{"eventlog", Verb::kEventLog},
                   Simple{"deviceinfo", Verb::kDeviceInfo}, Simple{"settime", Verb::kSetTime}}) {
    if (!SameWord(word, s.word)) continue;
    if (!rest.empty()) {
      *error = std::string(s.word) + " takes no arguments";
      return std::nullopt;
    }
    c.verb = s.verb;
    return c;
  }

  if (SameWord(word, "info")) {
    if (rest.size() < 2 || !SameWord(rest[0].text, "-d")) {
      *error = "info needs -d and a module name";
      return std::nullopt;
    }
    c.verb = Verb::kInfo;
    c.items = ModuleNames({rest.begin() + 1, rest.end()});
    return c;
  }
  if (SameWord(word, "save")) {
    c.verb = Verb::kSave;
    c.items = ModuleNames(rest);
    return c;
  }
  if (SameWord(word, "erase")) {
    c.verb = Verb::kErase;
    if (!rest.empty() && SameWord(rest[0].text, "-f")) {
      c.force = true;
      rest.erase(rest.begin());
    }
    c.items = ModuleNames(rest);
    return c;
  }
  if (SameWord(word, "load")) {
    c.verb = Verb::kLoad;
    c.items = LoadPaths(rest);
    return c;
  }
  if (SameWord(word, "wipe")) {
    c.verb = Verb::kWipe;
    if (rest.size() == 1 && SameWord(rest[0].text, "-a")) {
      c.wipe = WipeScope::kApplications;
    } else if (rest.size() == 1 && SameWord(rest[0].text, "-f")) {
      c.wipe = WipeScope::kFileSystem;
    } else if (!rest.empty()) {
      *error = "wipe takes at most one of -a and -f";
      return std::nullopt;
    }
    return c;
  }
  if (SameWord(word, "screenshot")) {
    if (rest.empty()) {
      *error = "screenshot needs the path of the picture";
      return std::nullopt;
    }
    c.verb = Verb::kScreenshot;
    std::string path;
    for (const Word& w : rest) path += (path.empty() ? "" : " ") + w.text;
    c.items.push_back(path);
    return c;
  }
  if (SameWord(word, "radio")) {
    if (rest.size() != 1 || (!SameWord(rest[0].text, "on") && !SameWord(rest[0].text, "off"))) {
      *error = "radio needs on or off";
      return std::nullopt;
    }
    c.verb = Verb::kRadio;
    c.radio_on = SameWord(rest[0].text, "on");
    return c;
  }
  *error = "unknown command word '" + word + "'";
  return std::nullopt;
}

std::vector<std::string> UsageLines() {
  return {
      "zemblor simulator - stands in for the handheld loader tool. It acts on a",
      "SIMULATED handheld whose state is kept in a folder; no real device is used.",
      "",
      "usage: zemblor -u|-usb COMMAND",
      "  dir                      list the modules on the handheld",
      "  info -d NAME.cod         show the details of a module",
      "  save NAME.cod ...        write modules as NAME.cod into the current folder",
      "  erase [-f] NAME.cod ...  erase modules; -f also erases system modules",
      "  load FILE.cod ...        install module files",
      "  wipe                     erase all but the system modules, and the file system",
      "  wipe -a                  erase all but the system modules (applications only)",
      "  wipe -f                  erase the files of the file system only",
      "  screenshot FILE.bmp      write a picture of the home screen",
      "  eventlog                 print the event log",
      "  deviceinfo               print the device information",
      "  radio on|off             switch the radio on or off",
      "  settime                  set the device clock from this computer's clock",
      "",
      "State folder: the folder named by ZEMBLOR_SIM_STATE, else \"handheld\" beside",
      "the program. Not connected: ZEMBLOR_SIM_DISCONNECTED set (not 0), or a file",
      "named \"disconnected\" in the state folder.",
      "Exit codes: 0 done, 1 failed, 2 bad command line, 3 no handheld connected.",
  };
}

}  // namespace zsim
