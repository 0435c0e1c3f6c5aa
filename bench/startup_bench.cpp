// Start-up cost of korvane.exe: time from CreateProcess until its main window
// is visible, and the working set once it is idle. Usage:
//   startup_bench PATH\korvane.exe [runs]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Search {
  DWORD process;
  HWND window;
};

BOOL CALLBACK FindVisibleForm(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (process == search->process && IsWindowVisible(window) && std::wstring(name) == L"TForm1") {
    search->window = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: startup_bench PATH\\korvane.exe [runs]\n");
    return 2;
  }
  std::wstring program = argv[1];
  int runs = argc > 2 ? _wtoi(argv[2]) : 10;
  std::wstring folder = program.substr(0, program.find_last_of(L'\\') + 1);
  std::wstring commandLine = L"\"" + program + L"\"";

  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> shownMs;
  SIZE_T workingSet = 0;
  for (int i = 0; i < runs; ++i) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    LARGE_INTEGER start, shown;
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process)) {
      std::fprintf(stderr, "cannot start korvane.exe (%lu)\n", GetLastError());
      return 1;
    }
    Search search{process.dwProcessId, nullptr};
    while (!search.window) {
      EnumWindows(FindVisibleForm, reinterpret_cast<LPARAM>(&search));
      if (!search.window) Sleep(1);
    }
    QueryPerformanceCounter(&shown);
    shownMs.push_back(1000.0 * static_cast<double>(shown.QuadPart - start.QuadPart) /
                      static_cast<double>(frequency.QuadPart));
    WaitForInputIdle(process.hProcess, 5000);
    Sleep(500);
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory);
    workingSet = std::max(workingSet, memory.WorkingSetSize);
    PostMessageW(search.window, WM_CLOSE, 0, 0);
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
