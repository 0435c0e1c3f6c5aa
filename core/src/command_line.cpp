#include "korvane/command_line.h"

#include <algorithm>

#include "korvane/error.h"
#include "korvane/run_report.h"

namespace korvane {

namespace {

bool NeedsQuotes(char c) {
  auto u = static_cast<unsigned char>(c);
  if (u <= ' ' || u == 0x7F) return true;
  return std::string_view("&|<>^(),;=%!").find(c) != std::string_view::npos;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view end) {
  return text.size() >= end.size() &&
         EqualsIgnoringCase(text.substr(text.size() - end.size()), end);
}

// The program part of a command line: up to the closing quote when it starts
// with one, else up to the first blank or tab.
std::string_view FirstWord(std::string_view line) {
  if (!line.empty() && line.front() == '"') {
    std::string_view rest = line.substr(1);
    return rest.substr(0, rest.find('"'));
  }
  return line.substr(0, line.find_first_of(" \t"));
}

// UTF-16 units of a UTF-8 text: one per character, two for those beyond
// U+FFFF (four-byte sequences).
std::size_t Utf16Length(std::string_view utf8) {
  std::size_t units = 0;
  for (char c : utf8) {
    auto u = static_cast<unsigned char>(c);
    if ((u & 0xC0) != 0x80) ++units;
    if (u >= 0xF0) ++units;
  }
  return units;
}

}  // namespace

std::string QuoteArg(std::string_view arg) {
  if (std::none_of(arg.begin(), arg.end(), NeedsQuotes)) return std::string(arg);
  std::size_t trailing = arg.size() - (arg.find_last_not_of('\\') + 1);
  std::string quoted = "\"";
  quoted += arg;
  quoted.append(trailing, '\\');
  quoted += '"';
  return quoted;
}

std::string CmdSlashC(std::string_view line) {
  std::string command = "cmd.exe /c ";
  if (line.find('"') == std::string_view::npos) return command += line;
  command += '"';
  command += line;
  command += '"';
  return command;
}

std::string BatchLine(std::string_view line) {
  std::string result;
  result.reserve(line.size());
  for (char c : line) {
    result += c;
    if (c == '%') result += c;
  }
  return result;
}

std::vector<std::string> SplitCapturedLines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    std::size_t lf = text.find('\n');
    lines.emplace_back(text.substr(0, lf));
    text = lf == std::string_view::npos ? std::string_view() : text.substr(lf + 1);
  }
  return lines;
}

bool NamesBatchScript(std::string_view path) {
  return EndsWithIgnoringCase(path, ".bat") || EndsWithIgnoringCase(path, ".cmd");
}

std::size_t CommandLineLimit(std::string_view line) {
  std::string_view program = FirstWord(line);
  std::size_t cut = program.find_last_of("\\/:");
  if (cut != std::string_view::npos) program.remove_prefix(cut + 1);
  bool interpreter = EqualsIgnoringCase(program, "cmd") || EqualsIgnoringCase(program, "cmd.exe");
  return interpreter ? 8191 : 32766;
}

void CheckCommandLineLength(std::string_view line) {
  std::size_t length = Utf16Length(line);
  std::size_t limit = CommandLineLimit(line);
  if (length > limit) throw Error(CommandTooLongText(length, limit));
}

}  // namespace korvane
