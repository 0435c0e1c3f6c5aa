#include "korvane/listing.h"

namespace korvane {

namespace {

// The text up to and including its first blank; empty when it has none.
std::string FirstWord(std::string_view text) {
  size_t blank = text.find(' ');
  return blank == std::string_view::npos ? std::string() : std::string(text.substr(0, blank + 1));
}

// The text without its first character (all the bytes of a UTF-8 sequence).
std::string_view AfterFirstCharacter(std::string_view text) {
  size_t next = text.empty() ? 0 : 1;
  while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) ++next;
  return text.substr(next);
}

std::string Capacity(std::string_view totals) {
  size_t semicolon = totals.find(';');
  std::string_view rest =
      semicolon == std::string_view::npos ? totals : totals.substr(semicolon + 1);
  return FirstWord(AfterFirstCharacter(rest));
}

}  // namespace

std::vector<std::string_view> TextLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    size_t end = text.find_first_of("\r\n");
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    size_t next = end + 1;
    if (text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
    text.remove_prefix(next);
  }
  return lines;
}

bool IsSystemModuleName(std::string_view name) {
  return name.starts_with("net_qor_") || name.starts_with("dynamic_");
}

std::optional<ModuleListing> ParseModuleListing(std::string_view text, bool hideSystemModules) {
  std::vector<std::string_view> lines = TextLines(text);
  if (lines.empty()) return std::nullopt;
  ModuleListing listing;
  for (size_t i = 2; i + 2 < lines.size(); ++i) {
    std::string name = FirstWord(lines[i]);
    if (hideSystemModules && IsSystemModuleName(name)) continue;
    listing.names.push_back(std::move(name));
  }
  listing.count = FirstWord(lines.back());
  listing.capacity = Capacity(lines.back());
  return listing;
}

}  // namespace korvane
