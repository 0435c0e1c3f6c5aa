// The least any launcher does: start "java.exe" from PATH with the command
// line it was given and end with its exit code. The floor brox is held to.
#include <windows.h>

#include <cwchar>
#include <string>

int main() {
  const wchar_t* line = GetCommandLineW();
  const wchar_t* args = wcschr(line, L' ');
  std::wstring command = std::wstring(L"java.exe") + (args ? args : L"");
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &child)) {
    return 1;
  }
  WaitForSingleObject(child.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(child.hProcess, &code);
  return static_cast<int>(code);
}
