// A small program for the runner's tests. Its arguments are steps, done in
// order:
//   out HEX      write the bytes to standard output
//   err HEX      write the bytes to standard error
//   lines N      write N numbered lines of 60 bytes (CR LF included)
//   cmdlen       write the length of its command line in characters
//   sleep MS     sleep
//   spawn ...    start itself with the remaining steps, sharing its handles,
//                and end without waiting for it
//   pad TEXT     nothing (makes the command line long)
//   exit CODE    end with that exit code (decimal or 0x hex)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <string_view>

namespace {

void Write(DWORD which, std::string_view bytes) {
  HANDLE h = GetStdHandle(which);
  while (!bytes.empty()) {
    DWORD n = 0;
    DWORD ask = bytes.size() < 4096 ? static_cast<DWORD>(bytes.size()) : 4096;
    if (!WriteFile(h, bytes.data(), ask, &n, nullptr)) ExitProcess(90);
    bytes.remove_prefix(n);
  }
}

std::string FromHex(const wchar_t* hex) {
  std::string bytes;
  for (size_t i = 0; hex[i] && hex[i + 1]; i += 2) {
    wchar_t pair[3] = {hex[i], hex[i + 1], 0};
    bytes += static_cast<char>(std::wcstoul(pair, nullptr, 16));
  }
  return bytes;
}

std::string Lines(unsigned long count) {
  std::string text;
  text.reserve(count * 60);
  char line[64];
  for (unsigned long i = 1; i <= count; ++i) {
    std::snprintf(line, sizeof line, "line %08lu %-44s\r\n", i, "of the runner's test output");
    text += line;
  }
  return text;
}

void Spawn(wchar_t** rest, int count) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring line = L"\"" + std::wstring(self) + L"\"";
  for (int i = 0; i < count; ++i) line += L" " + std::wstring(rest[i]);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &info)) {
    ExitProcess(91);
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  for (int i = 1; i < argc; ++i) {
    std::wstring_view step = argv[i];
    const wchar_t* value = i + 1 < argc ? argv[i + 1] : L"";
    if (step == L"out") {
      Write(STD_OUTPUT_HANDLE, FromHex(value));
      ++i;
    } else if (step == L"err") {
      Write(STD_ERROR_HANDLE, FromHex(value));
      ++i;
    } else if (step == L"lines") {
      Write(STD_OUTPUT_HANDLE, Lines(std::wcstoul(value, nullptr, 10)));
      ++i;
    } else if (step == L"cmdlen") {
      Write(STD_OUTPUT_HANDLE, std::to_string(std::wcslen(GetCommandLineW())));
    } else if (step == L"sleep") {
      Sleep(std::wcstoul(value, nullptr, 10));
      ++i;
    } else if (step == L"spawn") {
      Spawn(argv + i + 1, argc - i - 1);
      return 0;
    } else if (step == L"pad") {
      ++i;
    } else if (step == L"exit") {
      ExitProcess(std::wcstoul(value, nullptr, 0));
    } else {
      return 99;
    }
  }
  return 0;
}
