// A recording stand-in for the loader tool. It appends to
// <its folder>\zemblor.record one line per run:
//   <command line> | <current folder> | <show state>
// then prints the bytes of the file named by ZEMBLOR_DOUBLE_OUTPUT (if set)
// and exits with the code in ZEMBLOR_DOUBLE_EXIT (default 0).
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

std::wstring Env(const wchar_t* name) {
  wchar_t value[32768];
  DWORD n = GetEnvironmentVariableW(name, value, 32768);
  return n > 0 && n < 32768 ? std::wstring(value, n) : std::wstring();
}

void Append(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::string Utf8(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

}  // namespace

int wmain() {
  wchar_t self[32768];
  DWORD n = GetModuleFileNameW(nullptr, self, 32768);
  std::wstring folder(self, n);
  folder.resize(folder.find_last_of(L'\\') + 1);
  wchar_t current[32768];
  GetCurrentDirectoryW(32768, current);
  STARTUPINFOW startup{};
  GetStartupInfoW(&startup);
  int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
  Append(folder + L"zemblor.record",
         Utf8(GetCommandLineW()) + " | " + Utf8(current) + " | " + std::to_string(show) + "\n");

  std::wstring output = Env(L"ZEMBLOR_DOUBLE_OUTPUT");
  if (!output.empty()) {
    HANDLE file = CreateFileW(output.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    char buffer[65536];
    DWORD got = 0;
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
      DWORD written = 0;
      WriteFile(out, buffer, got, &written, nullptr);
    }
    CloseHandle(file);
  }
  std::wstring code = Env(L"ZEMBLOR_DOUBLE_EXIT");
  return code.empty() ? 0 : std::wcstol(code.c_str(), nullptr, 10);
}
