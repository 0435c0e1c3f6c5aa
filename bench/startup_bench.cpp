// Start-up cost of korvane.exe: time from CreateProcess until its main window
// is visible, and the working set once it is idle. Usage:
//   startup_bench PATH\korvane.exe [runs]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: startup_bench PATH\\korvane.exe [runs]\n");
    return 2;
  }
  std::wstring program = argv[1];
  int runs = argc > 2 ? _wtoi(argv[2]) : 10;
  std::wstring folder = program.substr(0, program.find_last_of(L'\\') + 1);
  std::wstring commandLine = L"\"" + program + L"\"";

  std::vector<double> shownMs;
  SIZE_T workingSet = 0;
  for (int i = 0; i < runs; ++i) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    double start = bench::Now();
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process)) {
      std::fprintf(stderr, "cannot start korvane.exe (%lu)\n", GetLastError());
      return 1;
    }
    HWND window = nullptr;
    while (!(window = bench::FindMainWindow(process.dwProcessId, true))) Sleep(1);
    shownMs.push_back(1000.0 * (bench::Now() - start));
    WaitForInputIdle(process.hProcess, 5000);
    Sleep(500);
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory);
    workingSet = std::max(workingSet, memory.WorkingSetSize);
    PostMessageW(window, WM_CLOSE, 0, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  std::sort(shownMs.begin(), shownMs.end());
  std::printf(
      "korvane start to window shown: median %.1f ms, best %.1f ms, worst %.1f ms (%d runs)\n",
      shownMs[shownMs.size() / 2], shownMs.front(), shownMs.back(), runs);
  std::printf("working set after start: %.1f MiB\n",
              static_cast<double>(workingSet) / (1024.0 * 1024.0));
  return 0;
}
