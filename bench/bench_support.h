#pragma once
// What the benchmark programs share: a clock, the median, the committed
// private memory of a process and the main window of a korvane process.

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace bench {

// Seconds on the performance counter.
inline double Now() {
  static const LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The private memory committed in the process, counted region by region:
// Wine reports no private bytes through GetProcessMemoryInfo.
inline double CommittedKiB(HANDLE process) {
  double bytes = 0;
  MEMORY_BASIC_INFORMATION region;
  for (const char* at = nullptr;
       VirtualQueryEx(process, at, &region, sizeof region) == sizeof region;
       at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
      bytes += static_cast<double>(region.RegionSize);
  }
  return bytes / 1024.0;
}

// The main window (class TForm1) of the process, or null; with onlyShown,
// only once it is visible.
inline HWND FindMainWindow(DWORD processId, bool onlyShown) {
  struct Search {
    DWORD process;
    bool onlyShown;
    HWND window;
  } search{processId, onlyShown, nullptr};
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto* search = reinterpret_cast<Search*>(context);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (process != search->process || std::wstring(name) != L"TForm1" ||
            (search->onlyShown && !IsWindowVisible(window)))
          return TRUE;
        search->window = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.window;
}

}  // namespace bench
