// brox: starts the platform's compiler, or one of its dump tools, in a Java
// runtime and ends with the tool's exit code.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "broxcore.h"

namespace {

std::wstring widen(const std::string& text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string narrow(const std::wstring& wide) {
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string text(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                      nullptr, nullptr);
  return text;
}

// The tool reads its response file in the ANSI code page; a text that code
// page cannot hold has no ANSI form.
std::optional<std::string> to_ansi(const std::string& text) {
  std::wstring wide = widen(text);
  if (wide.empty()) return std::string();
  BOOL lost = FALSE;
  int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                              static_cast<int>(wide.size()), nullptr, 0, nullptr, &lost);
  if (n <= 0 || lost) return std::nullopt;
  std::string ansi(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                      ansi.data(), n, nullptr, nullptr);
  return ansi;
}

class WindowsHost final : public brox::Host {
 public:
  bool file_exists(const std::string& path) const override {
    DWORD attributes = GetFileAttributesW(widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  bool folder_exists(const std::string& path) const override {
    DWORD attributes = GetFileAttributesW(widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  std::optional<std::string> get_env(const std::string& name) const override {
    std::wstring wide_name = widen(name);
    std::wstring value(64, L'\0');
    for (;;) {
      SetLastError(ERROR_SUCCESS);
      DWORD n = GetEnvironmentVariableW(wide_name.c_str(), value.data(),
                                        static_cast<DWORD>(value.size()));
      if (n == 0) {
        if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
        return std::string();
      }
      if (n < value.size()) {
        value.resize(n);
        return narrow(value);
      }
      value.resize(n);
    }
  }

  void unset_env(const std::string& name) override {
    SetEnvironmentVariableW(widen(name).c_str(), nullptr);
  }

  std::string current_folder() const override {
    DWORD n = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(n, L'\0');
    n = GetCurrentDirectoryW(n, folder.data());
    folder.resize(n);
    return narrow(folder);
  }
};

brox::Creation write_new_file(const std::string& name, const std::string& bytes) {
  std::wstring wide_name = widen(name);
  HANDLE file = CreateFileW(wide_name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? brox::Creation::exists
                                                                       : brox::Creation::failed;
  }
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
  ok = CloseHandle(file) && ok;
  if (ok) return brox::Creation::created;
  DeleteFileW(wide_name.c_str());
  return brox::Creation::failed;
}

// The child's exit code, or -1 when it could not be started.
int start_and_wait(const brox::Host& host, const brox::Command& command) {
  std::string program = brox::resolve_program(host, command.argv.front());
  if (program.empty()) return -1;
  std::wstring line = widen(brox::command_line(command));
  std::vector<wchar_t> writable(line.begin(), line.end());
  writable.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION child{};
  if (!CreateProcessW(widen(program).c_str(), writable.data(), nullptr, nullptr, TRUE, 0, nullptr,
                      nullptr, &startup, &child)) {
    return -1;
  }
  CloseHandle(child.hThread);
  WaitForSingleObject(child.hProcess, INFINITE);
  DWORD code = 0;
  BOOL known = GetExitCodeProcess(child.hProcess, &code);
  CloseHandle(child.hProcess);
  return known ? static_cast<int>(code) : -1;
}

int run_tool(const brox::Host& host, brox::Command command, bool debugger) {
  std::string response;
  if (brox::needs_response_file(command, debugger)) {
    if (std::optional<std::string> bytes = to_ansi(brox::response_file_text(command))) {
      response = brox::create_response_file(
          host, [&](const std::string& name) { return write_new_file(name, *bytes); });
      if (!response.empty()) command = brox::use_response_file(command, response);
    }
  }
  int result = start_and_wait(host, command);
  if (!response.empty()) DeleteFileW(widen(response).c_str());
  return result;
}

void print_line(const std::string& text) {
  std::string line = text + "\r\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written,
            nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.push_back(narrow(argv[i]));
  WindowsHost host;
  brox::PlanResult plan = brox::make_plan(host, args);
  if (!plan.error.empty()) {
    print_line(plan.error);
    return 1;
  }
  brox::Command command = brox::build_command(host, plan.plan, args);
  return brox::exit_code(run_tool(host, std::move(command), plan.plan.tool.debugger));
}
