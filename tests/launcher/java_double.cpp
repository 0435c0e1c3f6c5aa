// Stands in for the Java runtime that brox starts. When BROX_DOUBLE_RECORD
// names a file, it writes there (UTF-8, one item a line):
//   module <its own path>
//   cmdline <the command line it received>
//   arg <each argument as the usual Windows rules parse it>
//   classpath set|unset
//   response <file> exists|missing     for an argument "@file"
//   line <text>                        each CR LF line of that file (ANSI)
//   rest <text>                        what follows the last CR LF, if any
// It then waits (a minute at most) for the named event BROX_DOUBLE_WAIT to be
// set, if given, and exits with the code in BROX_DOUBLE_EXIT (decimal or 0x
// hex; 0 when unset).
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

namespace {

std::wstring env(const wchar_t* name) {
  wchar_t value[32768];
  DWORD n = GetEnvironmentVariableW(name, value, 32768);
  return n > 0 && n < 32768 ? std::wstring(value, n) : std::wstring();
}

std::string utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string text(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                      nullptr, nullptr);
  return text;
}

std::wstring from_ansi(const std::string& bytes) {
  if (bytes.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
  return wide;
}

std::string read_file(const std::wstring& name) {
  HANDLE file =
      CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
  CloseHandle(file);
  return bytes;
}

void record_response(std::string& out, const std::wstring& name) {
  bool exists = GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES;
  out += "response " + utf8(name) + (exists ? " exists\n" : " missing\n");
  std::string text = utf8(from_ansi(read_file(name)));
  std::size_t start = 0;
  for (std::size_t end = text.find("\r\n"); end != std::string::npos;
       end = text.find("\r\n", start)) {
    out += "line " + text.substr(start, end - start) + "\n";
    start = end + 2;
  }
  if (start < text.size()) out += "rest " + text.substr(start) + "\n";
}

void record(const std::wstring& file) {
  std::string out;
  wchar_t module[32768];
  DWORD length = GetModuleFileNameW(nullptr, module, 32768);
  out += "module " + utf8(std::wstring(module, length)) + "\n";
  const wchar_t* line = GetCommandLineW();
  out += "cmdline " + utf8(line) + "\n";
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(line, &argc);
  for (int i = 0; i < argc; ++i) out += "arg " + utf8(argv[i]) + "\n";
  SetLastError(ERROR_SUCCESS);
  bool classpath = GetEnvironmentVariableW(L"CLASSPATH", nullptr, 0) > 0 ||
                   GetLastError() != ERROR_ENVVAR_NOT_FOUND;
  out += classpath ? "classpath set\n" : "classpath unset\n";
  for (int i = 0; i < argc; ++i) {
    if (argv[i][0] == L'@') record_response(out, argv[i] + 1);
  }
  LocalFree(argv);
  HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(handle, out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
  CloseHandle(handle);
}

}  // namespace

int main() {
  std::wstring file = env(L"BROX_DOUBLE_RECORD");
  if (!file.empty()) record(file);
  std::wstring wait = env(L"BROX_DOUBLE_WAIT");
  if (HANDLE event = wait.empty() ? nullptr : OpenEventW(SYNCHRONIZE, FALSE, wait.c_str())) {
    WaitForSingleObject(event, 60000);
    CloseHandle(event);
  }
  std::wstring code = env(L"BROX_DOUBLE_EXIT");
  ExitProcess(code.empty() ? 0 : static_cast<UINT>(std::wcstoul(code.c_str(), nullptr, 0)));
}
