#include "korvane/run_report.h"

#include <cstdio>

namespace korvane {

std::string FailureLine(const RunOutcome& outcome) {
  if (!outcome.started) {
    if (outcome.startError.empty()) return "命令无法启动";
    return "命令无法启动：" + outcome.startError;
  }
  if (outcome.exitCode == 0) return "";
  std::string line = "命令执行失败，退出代码 " + std::to_string(outcome.exitCode);
  if (outcome.exitCode > 0xFFFF) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(outcome.exitCode));
    line += "（";
    line += hex;
    line += "）";
  }
  return line;
}

std::string CommandTooLongText(std::size_t length, std::size_t limit) {
  return "命令行过长，无法执行：共 " + std::to_string(length) + " 个字符，最多允许 " +
         std::to_string(limit) + " 个";
}

std::string TrimSystemReason(std::string_view text) {
  constexpr std::string_view kIdeographicFullStop = "。";
  for (;;) {
    if (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                          text.back() == '\n' || text.back() == '.')) {
      text.remove_suffix(1);
    } else if (text.ends_with(kIdeographicFullStop)) {
      text.remove_suffix(kIdeographicFullStop.size());
    } else {
      return std::string(text);
    }
  }
}

std::string UnknownSystemErrorText(unsigned long code) {
  return "系统错误 " + std::to_string(code);
}

}  // namespace korvane
