#include "Files.h"

#include <windows.h>

#include "korvane/error.h"
#include "kwin/handle.h"
#include "kwin/text.h"

namespace korvane {

namespace {

std::string FullPath(const std::string& path) {
  std::wstring wide = kwin::Widen(path);
  DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  full.resize(GetFullPathNameW(wide.c_str(), size, full.data(), nullptr));
  return kwin::Narrow(full);
}

[[noreturn]] void FailOn(const char* what, const std::string& path, DWORD error) {
  throw Error(std::string(what) + " \"" + FullPath(path) + "\". " + kwin::SystemErrorText(error));
}

}  // namespace

std::string ReadFileOrThrow(const std::string& path) {
  kwin::Handle file(CreateFileW(kwin::Widen(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) FailOn("Cannot open file", path, GetLastError());
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
    bytes.append(buffer, got);
  return bytes;
}

void WriteFileOrThrow(const std::string& path, const std::string& bytes) {
  kwin::Handle file(CreateFileW(kwin::Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) FailOn("Cannot create file", path, GetLastError());
  DWORD written = 0;
  if (!bytes.empty() &&
      (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
       written != bytes.size()))
    FailOn("Cannot create file", path, GetLastError());
}

void DeleteFileQuietly(const std::string& path) { DeleteFileW(kwin::Widen(path).c_str()); }

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesW(kwin::Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace korvane
