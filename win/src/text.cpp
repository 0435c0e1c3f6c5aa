#include "kwin/text.h"

#include <windows.h>

#include <climits>

#include "korvane/error.h"
#include "korvane/run_report.h"

namespace kwin {

namespace {

int CheckedSize(std::size_t size) {
  if (size > INT_MAX) throw korvane::Error("文本过长，无法转换");
  return static_cast<int>(size);
}

std::wstring ToWide(std::string_view bytes, UINT codePage) {
  if (bytes.empty()) return {};
  int size = CheckedSize(bytes.size());
  int n = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), n);
  return wide;
}

std::string FromWide(std::wstring_view wide, UINT codePage) {
  if (wide.empty()) return {};
  int size = CheckedSize(wide.size());
  int n = WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), size, bytes.data(), n, nullptr, nullptr);
  return bytes;
}

}  // namespace

std::wstring Widen(std::string_view utf8) { return ToWide(utf8, CP_UTF8); }

std::string Narrow(std::wstring_view wide) { return FromWide(wide, CP_UTF8); }

std::string FromCodePage(std::string_view bytes, unsigned codePage) {
  return Narrow(ToWide(bytes, codePage));
}

std::string ToCodePage(std::string_view utf8, unsigned codePage) {
  return FromWide(Widen(utf8), codePage);
}

std::string SystemErrorText(unsigned long error) {
  wchar_t* buffer = nullptr;
  DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text = n == 0 ? std::string() : korvane::TrimSystemReason(Narrow({buffer, n}));
  LocalFree(buffer);
  return text.empty() ? korvane::UnknownSystemErrorText(error) : text;
}

}  // namespace kwin
