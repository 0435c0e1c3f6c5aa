#include "korvane/text.h"

namespace korvane {

namespace {

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::string Strip(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlankOrControl(text[begin])) ++begin;
  while (end > begin && IsBlankOrControl(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}

std::string ExtractBaseName(std::string_view path) {
  size_t cut = path.find_last_of("\\:");
  std::string_view name = cut == std::string_view::npos ? path : path.substr(cut + 1);
  size_t dot = name.rfind('.');
  return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

std::string ErrorBoxText(std::string_view text) {
  std::string shown(text);
  // Bytes of a multi-byte UTF-8 character are all above ".", as the
  // characters they encode are.
  if (!shown.empty() && static_cast<unsigned char>(shown.back()) > '.') shown += '.';
  return shown;
}

}  // namespace korvane
