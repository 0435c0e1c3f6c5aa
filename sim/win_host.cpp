#include "win_host.h"

#include <algorithm>

#include "civil_time.h"

namespace zsim {

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::string ToCodePage(UINT code_page, std::wstring_view wide) {
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string text(n, '\0');
  WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                      nullptr, nullptr);
  return text;
}

}  // namespace

std::wstring Widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

std::string Narrow(std::wstring_view wide) { return ToCodePage(CP_UTF8, wide); }

std::string SystemMessage(DWORD code) {
  wchar_t* text = nullptr;
  DWORD flags =
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  DWORD n = FormatMessageW(flags, nullptr, code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                           reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (n == 0) {
    n = FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  }
  std::wstring message(text != nullptr ? text : L"", n);
  LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                              message.back() == L'.' || message.back() == L' ')) {
    message.pop_back();
  }
  return message.empty() ? "system error " + std::to_string(code) : Narrow(message);
}

void PrintLines(const std::vector<std::string>& lines) {
  std::wstring text;
  for (const std::string& line : lines) text += Widen(line) + L"\r\n";
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  DWORD written = 0;
  if (GetConsoleMode(out, &mode)) {
    WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  std::string bytes = ToCodePage(CP_OEMCP, text);
  ::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

DWORD ReplaceFile(const std::wstring& path, std::span<const std::uint8_t> bytes) {
  std::wstring temp = path + L".zemblor-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
  DWORD error = 0;
  {
    kwin::Handle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) ||
        written != bytes.size() || !FlushFileBuffers(file.get())) {
      error = GetLastError();
    }
  }
  if (error == 0 && !MoveFileExW(temp.c_str(), path.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = GetLastError();
  }
  if (error != 0) DeleteFileW(temp.c_str());
  return error;
}

DWORD CreateFolders(const std::wstring& path) {
  for (size_t i = 1; i < path.size(); ++i) {
    if (IsSeparator(path[i]) && !IsSeparator(path[i - 1])) {
      CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
    }
  }
  if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    return GetLastError();
  }
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : ERROR_DIRECTORY;
}

StateLock::StateLock(const std::wstring& folder, DWORD timeout_ms, DWORD* error) {
  std::wstring path = folder + L"\\lock";
  DWORD start = GetTickCount();
  for (;;) {
    file_.reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file_) {
      *error = 0;
      return;
    }
    *error = GetLastError();
    // Another command holds the lock.
    if (*error != ERROR_SHARING_VIOLATION || GetTickCount() - start > timeout_ms) return;
    Sleep(15);
  }
}

std::int64_t WindowsHost::LocalNow() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return ToSeconds({st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond});
}

FileStatus WindowsHost::ReadFile(const std::string& path, std::uint64_t limit,
                                 std::vector<std::uint8_t>* bytes, std::string* error) {
  kwin::Handle file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND) return FileStatus::kNotFound;
    if (code == ERROR_PATH_NOT_FOUND) return FileStatus::kNoFolder;
    *error = SystemMessage(code);
    return FileStatus::kFailed;
  }
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size)) {
    *error = SystemMessage(GetLastError());
    return FileStatus::kFailed;
  }
  if (static_cast<std::uint64_t>(size.QuadPart) > limit) return FileStatus::kTooLarge;
  bytes->resize(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < bytes->size()) {
    DWORD n = 0;
    DWORD want = static_cast<DWORD>(std::min<size_t>(bytes->size() - done, 1 << 20));
    if (!::ReadFile(file.get(), bytes->data() + done, want, &n, nullptr)) {
      *error = SystemMessage(GetLastError());
      return FileStatus::kFailed;
    }
    if (n == 0) {
      *error = "the file shrank while it was read";
      return FileStatus::kFailed;
    }
    done += n;
  }
  return FileStatus::kOk;
}

FileStatus WindowsHost::WriteFile(const std::string& path, std::span<const std::uint8_t> bytes,
                                  std::string* error) {
  DWORD code = ReplaceFile(Widen(path), bytes);
  if (code == 0) return FileStatus::kOk;
  if (code == ERROR_PATH_NOT_FOUND) return FileStatus::kNoFolder;
  *error = SystemMessage(code);
  return FileStatus::kFailed;
}

}  // namespace zsim
