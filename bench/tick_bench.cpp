// What the USB label's tick costs, and what korvane takes while it idles.
//   tick_bench [ticks]
//     a main window over a temporary application folder; each tick asks WMI
//     for the USB hubs as the timer does (TForm1::Timer1Timer). Prints the
//     median and worst time of a tick, and the handles, private bytes and
//     GDI and USER objects of the process before and after the ticks, so
//     that whatever a tick leaves behind shows. The first tick, which loads
//     WMI, is timed apart and made before the first count.
//   tick_bench --idle PATH\korvane.exe [seconds]
//     starts korvane.exe, lets it settle for 2 s, then reports the processor
//     time it takes while idle with its timer running, as a percentage of
//     one core, and its handles and objects at the start and end. The
//     handle table is counted in the own process only. (--spin is the
//     check of the process times that it makes.)
#include <windows.h>
#include <objbase.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Unit1.h"
#include "bench_support.h"
#include "kwin/text.h"

namespace {

using bench::Now;

const UINT_PTR kTimer1 = 1;  // the id of the main window's timer

// Wine answers GetProcessHandleCount, GetGuiResources and the private bytes
// of GetProcessMemoryInfo with 0; the counts that also hold there are the
// handles found in the own handle table, the committed private memory and
// the windows.
struct Counts {
  DWORD handles = 0, tableHandles = 0;
  double privateKiB = 0, committedKiB = 0;
  DWORD gdi = 0, user = 0, windows = 0;
};

// The handles open in this process, found by asking each possible value.
DWORD TableHandles() {
  DWORD count = 0, flags = 0;
  for (UINT_PTR value = 4; value < (1u << 18); value += 4)
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  return count;
}

struct WindowCount {
  DWORD process;
  DWORD windows;
};

BOOL CALLBACK CountChild(HWND, LPARAM context) {
  ++reinterpret_cast<WindowCount*>(context)->windows;
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM context) {
  auto* count = reinterpret_cast<WindowCount*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == count->process) {
    ++count->windows;
    EnumChildWindows(window, CountChild, context);  // all descendants
  }
  return TRUE;
}

// The process's top-level windows and all their descendants.
DWORD Windows(DWORD processId) {
  WindowCount count{processId, 0};
  EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&count));
  return count.windows;
}

Counts Count(HANDLE process) {
  Counts counts;
  GetProcessHandleCount(process, &counts.handles);
  if (process == GetCurrentProcess()) counts.tableHandles = TableHandles();
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
  counts.privateKiB = static_cast<double>(memory.PrivateUsage) / 1024.0;
  counts.committedKiB = bench::CommittedKiB(process);
  counts.gdi = GetGuiResources(process, GR_GDIOBJECTS);
  counts.user = GetGuiResources(process, GR_USEROBJECTS);
  counts.windows = Windows(GetProcessId(process));
  return counts;
}

void PrintCounts(const char* when, const Counts& counts) {
  std::printf(
      "%-7s handles %4lu (table %4lu)  private %7.0f KiB (committed %7.0f KiB)  GDI %4lu  USER "
      "%4lu  windows %3lu\n",
      when, counts.handles, counts.tableHandles, counts.privateKiB, counts.committedKiB, counts.gdi,
      counts.user, counts.windows);
}

long Change(DWORD before, DWORD after) {
  return static_cast<long>(after) - static_cast<long>(before);
}

void PrintChange(const Counts& before, const Counts& after) {
  std::printf(
      "change  handles %+ld (table %+ld)  private %+.0f KiB (committed %+.0f KiB)  GDI %+ld  USER "
      "%+ld  windows %+ld\n",
      Change(before.handles, after.handles), Change(before.tableHandles, after.tableHandles),
      after.privateKiB - before.privateKiB, after.committedKiB - before.committedKiB,
      Change(before.gdi, after.gdi), Change(before.user, after.user),
      Change(before.windows, after.windows));
}

void DispatchPending() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

int Ticks(int ticks) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::string app =
      kwin::Narrow(temp) + "tick-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryW(kwin::Widen(app).c_str(), nullptr);
  int failures = 0;
  std::string failure;
  {
    korvane::TForm1 form(app);
    form.Create();
    form.Show(SW_SHOWNOACTIVATE);
    // Only the ticks made here run.
    KillTimer(form.Handle, kTimer1);
    DispatchPending();
    auto tick = [&] {
      double begin = Now();
      try {
        form.Timer1Timer();
      } catch (const std::exception& error) {
        ++failures;
        failure = error.what();
      }
      double ms = (Now() - begin) * 1000;
      DispatchPending();  // the label's repaint
      return ms;
    };
    PrintCounts("window", Count(GetCurrentProcess()));
    double first = tick();
    Counts before = Count(GetCurrentProcess());
    std::vector<double> times;
    for (int i = 0; i < ticks; ++i) times.push_back(tick());
    Counts after = Count(GetCurrentProcess());
    std::sort(times.begin(), times.end());
    std::printf("first tick %.2f ms; %d ticks: median %.2f ms, best %.2f ms, worst %.2f ms\n",
                first, ticks, times[times.size() / 2], times.front(), times.back());
    std::printf("hubs listed: %zu; label: \"%s\" (UTF-8)\n",
                korvane::TForm1::QueryUsbHubNames().size(), form.Label1.Text().c_str());
    PrintCounts("before", before);
    PrintCounts("after", after);
    PrintChange(before, after);
  }
  RemoveDirectoryW(kwin::Widen(app).c_str());
  CoUninitialize();
  if (failures) {
    std::fprintf(stderr, "%d ticks failed, the last with: %s\n", failures, failure.c_str());
    return 1;
  }
  return 0;
}

double Seconds(const FILETIME& time) {
  ULARGE_INTEGER value;
  value.LowPart = time.dwLowDateTime;
  value.HighPart = time.dwHighDateTime;
  return static_cast<double>(value.QuadPart) / 1e7;
}

// Processor time of the process so far, user and kernel.
double ProcessorSeconds(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return Seconds(kernel) + Seconds(user);
}

// The processor time charged to a copy of this program that spins for
// 300 ms: whether the times of another process can be trusted (Wine reads
// them from the system, which may not keep them).
double SpinCharge() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --spin";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return 0;
  WaitForSingleObject(process.hProcess, INFINITE);
  double charged = ProcessorSeconds(process.hProcess);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return charged;
}

int Idle(const std::wstring& program, int seconds) {
  std::wstring folder = program.substr(0, program.find_last_of(L'\\') + 1);
  std::wstring commandLine = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNOACTIVATE;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &process)) {
    std::fprintf(stderr, "cannot start korvane.exe (%lu)\n", GetLastError());
    return 1;
  }
  WaitForInputIdle(process.hProcess, 10000);
  Sleep(2000);
  HWND window = bench::FindMainWindow(process.dwProcessId, false);
  Counts start = Count(process.hProcess);
  double wallBegin = Now();
  double cpuBegin = ProcessorSeconds(process.hProcess);
  double worst = 0;  // the busiest second
  double last = cpuBegin;
  for (int i = 0; i < seconds; ++i) {
    Sleep(1000);
    double cpu = ProcessorSeconds(process.hProcess);
    worst = std::max(worst, cpu - last);
    last = cpu;
  }
  double wall = Now() - wallBegin;
  double cpu = ProcessorSeconds(process.hProcess) - cpuBegin;
  Counts end = Count(process.hProcess);
  std::printf(
      "korvane idle over %.1f s: %.3f s of processor time, %.3f%% of one core"
      " (busiest second %.1f%%)\n",
      wall, cpu, 100.0 * cpu / wall, 100.0 * worst);
  double charged = SpinCharge();
  if (charged < 0.1)
    std::printf(
        "not to be trusted here: 300 ms of spinning were charged %.0f ms; measure korvane from "
        "outside, as the difference of two runs of different length\n",
        charged * 1000);
  PrintCounts("start", start);
  PrintCounts("end", end);
  PrintChange(start, end);
  if (window) PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
    TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (!window) {
    std::fprintf(stderr, "korvane's main window was not found\n");
    return 1;
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  try {
    if (argc > 1 && std::wstring(argv[1]) == L"--spin") {
      for (double end = Now() + 0.3; Now() < end;) {
      }
      return 0;
    }
    if (argc > 2 && std::wstring(argv[1]) == L"--idle")
      return Idle(argv[2], argc > 3 ? std::max(1, _wtoi(argv[3])) : 30);
    return Ticks(argc > 1 ? std::max(1, _wtoi(argv[1])) : 600);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
