// What the captured run costs compared with the plainest way of reading a
// child's output. The child is this program itself, started as
//   runner_bench --child N
// which prints N lines of 60 bytes through a 4 KiB buffer, as a C program
// printing to a pipe does. Each run is timed from the start of the child
// until all of its output is collected (and, for the captured run, split
// into lines):
//   captured  kwin::RunCapturedProcess, 2400-byte reads, then the lines
//   plain     an anonymous pipe (CreatePipe) drained by a blocking
//             ReadFile loop of 2400-byte reads
//   pane      korvane's own captured run (TForm1::RunCaptured) until every
//             line is in the status pane of a shown main window, painted
// The row of 0 lines is what starting and ending the child costs.
// Usage: runner_bench [runs [lines...]]   (default 5 runs of 0, 100000 and
// 200000 lines; the median shows)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Unit1.h"
#include "bench_support.h"
#include "korvane/command_line.h"
#include "kwin/handle.h"
#include "kwin/process.h"
#include "kwin/text.h"

namespace {

using bench::Median;
using bench::Now;

constexpr DWORD kChunk = 2400;

int PrintLines(unsigned long count) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  std::string buffer;
  char line[64];
  auto flush = [&] {
    DWORD n = 0;
    if (!buffer.empty() &&
        !WriteFile(out, buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr)) {
      ExitProcess(2);
    }
    buffer.clear();
  };
  for (unsigned long i = 1; i <= count; ++i) {
    std::snprintf(line, sizeof line, "line %08lu %-44s\r\n", i, "of the runner benchmark");
    if (buffer.size() + 60 > 4096) flush();
    buffer += line;
  }
  flush();
  return 0;
}

// Milliseconds for one captured run; the output must have all lines.
double TimeCaptured(const std::string& commandLine, unsigned long lines) {
  double begin = Now();
  kwin::CapturedRun run = kwin::RunCapturedProcess(commandLine, kChunk);
  std::vector<std::string> split = korvane::SplitCapturedLines(run.output);
  double ms = (Now() - begin) * 1000;
  if (split.size() != lines) {
    std::fprintf(stderr, "captured run got %zu lines, not %lu\n", split.size(), lines);
    std::exit(1);
  }
  return ms;
}

// Milliseconds for one plain run; the output must have all bytes.
double TimePlain(const std::string& commandLine, unsigned long lines) {
  double begin = Now();
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) std::exit(1);
  kwin::Handle read(readEnd);
  kwin::Handle write(writeEnd);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION info{};
  std::wstring line = kwin::Widen(commandLine);
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr,
                      nullptr, &startup, &info)) {
    std::exit(1);
  }
  kwin::Handle process(info.hProcess);
  CloseHandle(info.hThread);
  write.reset();
  std::string output;
  char buffer[kChunk];
  DWORD n = 0;
  while (ReadFile(readEnd, buffer, kChunk, &n, nullptr) && n > 0) output.append(buffer, n);
  WaitForSingleObject(info.hProcess, INFINITE);
  double ms = (Now() - begin) * 1000;
  if (output.size() != lines * 60) {
    std::fprintf(stderr, "plain run got %zu bytes, not %lu\n", output.size(), lines * 60);
    std::exit(1);
  }
  return ms;
}

// Milliseconds until the lines are in the status pane and painted.
double TimePane(korvane::TForm1& form, const std::string& commandLine, unsigned long lines) {
  form.RichEdit1.Clear();
  double begin = Now();
  form.RunCaptured(commandLine);
  UpdateWindow(form.Handle);
  double ms = (Now() - begin) * 1000;
  size_t shown = form.RichEdit1.Lines().size();
  if (shown != lines) {
    std::fprintf(stderr, "the pane got %zu lines, not %lu\n", shown, lines);
    std::exit(1);
  }
  return ms;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wstring(argv[1]) == L"--child") {
    return PrintLines(std::wcstoul(argv[2], nullptr, 10));
  }
  int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
  std::vector<unsigned long> sizes;
  for (int i = 2; i < argc; ++i) sizes.push_back(std::wcstoul(argv[i], nullptr, 10));
  if (sizes.empty()) sizes = {0, 100000, 200000};
  wchar_t self[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::string program = korvane::QuoteArg(kwin::Narrow({self, length}));

  korvane::TForm1 form;
  form.Create();
  form.Show(SW_SHOWNOACTIVATE);

  std::printf("%9s %10s %14s %11s %7s %9s %7s\n", "lines", "bytes", "captured ms", "plain ms",
              "ratio", "pane ms", "ratio");
  for (unsigned long lines : sizes) {
    std::string commandLine = program + " --child " + std::to_string(lines);
    TimeCaptured(commandLine, lines);  // warm-up
    TimePlain(commandLine, lines);
    TimePane(form, commandLine, lines);
    std::vector<double> captured;
    std::vector<double> plain;
    std::vector<double> pane;
    for (int i = 0; i < runs; ++i) {
      captured.push_back(TimeCaptured(commandLine, lines));
      plain.push_back(TimePlain(commandLine, lines));
      pane.push_back(TimePane(form, commandLine, lines));
    }
    double c = Median(captured);
    double p = Median(plain);
    double w = Median(pane);
    std::printf("%9lu %10lu %14.1f %11.1f %7.2f %9.1f %7.2f\n", lines, lines * 60, c, p, c / p, w,
                w / p);
  }
  return 0;
}
