#include "kwin/process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "korvane/command_line.h"
#include "korvane/error.h"
#include "korvane/run_report.h"
#include "kwin/text.h"

namespace kwin {
namespace {

constexpr std::size_t kChunk = 2400;

std::string TestFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::string self = Narrow({path, n});
  return self.substr(0, self.find_last_of('\\') + 1);
}

// The command line that starts print_child.exe with the given steps.
std::string Child(const std::string& steps) {
  return korvane::QuoteArg(TestFolder() + "print_child.exe") + " " + steps;
}

std::string Hex(std::string_view bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (char c : bytes) {
    hex += digits[static_cast<unsigned char>(c) >> 4];
    hex += digits[static_cast<unsigned char>(c) & 15];
  }
  return hex;
}

CapturedRun Capture(const std::string& steps) { return RunCapturedProcess(Child(steps), kChunk); }

TEST(RunCapturedProcess, DeliversWhatWasPrintedSplitIntoLines) {
  struct Case {
    std::string printed;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"a\r\nb\r\n", {"a\r", "b\r"}},
      {"last line without LF", {"last line without LF"}},
      {std::string(2398, 'x') + "\r\n", {std::string(2398, 'x') + "\r"}},
      {std::string(4800, 'y'), {std::string(4800, 'y')}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.printed.substr(0, 20));
    CapturedRun run = Capture("out " + Hex(c.printed));
    EXPECT_TRUE(run.outcome.started);
    EXPECT_EQ(run.output, c.printed);
    EXPECT_EQ(korvane::SplitCapturedLines(run.output), c.lines);
  }
  CapturedRun silent = Capture("exit 0");
  EXPECT_TRUE(silent.outcome.started);
  EXPECT_EQ(silent.output, "");
}

TEST(RunCapturedProcess, TakesStandardErrorInTheOrderPrinted) {
  CapturedRun run =
      Capture("out " + Hex("out 1\n") + " err " + Hex("err\n") + " out " + Hex("out 2\n"));
  EXPECT_EQ(run.output, "out 1\nerr\nout 2\n");
}

TEST(RunCapturedProcess, ChildPrintingMegabytesNeverBlocks) {
  CapturedRun run = Capture("lines 100000");
  ASSERT_EQ(run.output.size(), 100000u * 60);
  std::vector<std::string> lines = korvane::SplitCapturedLines(run.output);
  ASSERT_EQ(lines.size(), 100000u);
  EXPECT_EQ(lines.front().substr(0, 14), "line 00000001 ");
  EXPECT_EQ(lines.back().substr(0, 14), "line 00100000 ");
}

TEST(RunCapturedProcess, DoubleByteCharacterAcrossAReadBoundaryStaysWhole) {
  // 保 is B1 A3 in code page 936; its first byte ends the first 2400-byte read.
  std::string printed = std::string(kChunk - 1, 'a') + "\xB1\xA3\r\n";
  CapturedRun run = Capture("out " + Hex(printed));
  EXPECT_EQ(run.output, printed);
  EXPECT_EQ(FromCodePage(run.output, CP_OEMCP), std::string(kChunk - 1, 'a') + "保\r\n");
}

TEST(RunCapturedProcess, DoesNotWaitForAProgramTheChildLeftRunning) {
  ULONGLONG begin = GetTickCount64();
  CapturedRun run = Capture("out " + Hex("now\n") + " spawn sleep 4000 out " + Hex("late\n"));
  EXPECT_LT(GetTickCount64() - begin, 3000u);
  EXPECT_TRUE(run.outcome.started);
  EXPECT_EQ(run.output, "now\n");
}

TEST(RunCapturedProcess, StartsLongCommandLinesUnchanged) {
  std::string line = Child("cmdlen pad " + std::string(20000, 'p'));
  CapturedRun run = RunCapturedProcess(line, kChunk);
  EXPECT_EQ(run.output, std::to_string(Widen(line).size()));
}

// Both runs report exit codes and start failures the same way.
const std::function<korvane::RunOutcome(const std::string&)> kRuns[] = {
    [](const std::string& line) { return RunCapturedProcess(line, kChunk).outcome; },
    [](const std::string& line) { return RunAndWaitProcess(line, SW_HIDE); },
};

TEST(Runs, PassExitCodesThrough) {
  for (const auto& run : kRuns) {
    for (std::uint32_t code : {0u, 3u, 0xC0000005u}) {
      SCOPED_TRACE(code);
      korvane::RunOutcome outcome = run(Child("exit " + std::to_string(code)));
      EXPECT_TRUE(outcome.started);
      EXPECT_EQ(outcome.exitCode, code);
    }
  }
}

TEST(Runs, ReportAMissingProgramAsNotStartedWithTheReason) {
  for (const auto& run : kRuns) {
    korvane::RunOutcome outcome = run(R"(C:\nowhere\zemblor -u deviceinfo)");
    EXPECT_FALSE(outcome.started);
    EXPECT_FALSE(outcome.startError.empty());
    EXPECT_EQ(korvane::FailureLine(outcome), "命令无法启动：" + outcome.startError);
  }
}

TEST(Runs, RefuseCommandLinesTooLongToStart) {
  for (const auto& run : kRuns) {
    EXPECT_THROW(run(Child("pad " + std::string(32767, 'p'))), korvane::Error);
    EXPECT_THROW(run("cmd.exe /c " + Child("pad " + std::string(8200, 'p'))), korvane::Error);
  }
  // The limits are the platform's, not the 512 characters of a fixed buffer.
  EXPECT_EQ(RunAndWaitProcess(Child("pad " + std::string(9000, 'p') + " exit 7"), SW_HIDE).exitCode,
            7u);
}

class ScriptFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = TestFolder() + "korvane 脚本 & 测试 " + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(Widen(folder_).c_str(), nullptr)) << folder_;
  }
  void TearDown() override {
    for (const char* name : {"\\run.bat", "\\ran.txt"}) DeleteFileW(Widen(folder_ + name).c_str());
    RemoveDirectoryW(Widen(folder_).c_str());
  }

  // Writes the script's lines as a batch file in the ANSI code page.
  std::string WriteScript(const std::vector<std::string>& lines) {
    std::string path = folder_ + "\\run.bat";
    std::ofstream file(Widen(path).c_str(), std::ios::binary);
    for (const auto& line : lines) file << ToCodePage(korvane::BatchLine(line), CP_ACP) << "\r\n";
    return path;
  }

  std::string folder_;
};

TEST_F(ScriptFolder, RunAndWaitRunsAScriptInAFolderWithBlanksAndAmpersand) {
  std::string ran = folder_ + "\\ran.txt";
  std::string script = WriteScript({
      "@echo off",
      Child("out " + Hex("ok")) + " >" + korvane::QuoteArg(ran),
      Child("exit 7"),
  });
  for (const std::string& line : {script, korvane::QuoteArg(script)}) {
    SCOPED_TRACE(line);
    DeleteFileW(Widen(ran).c_str());
    korvane::RunOutcome outcome = RunAndWaitProcess(line, SW_HIDE);
    EXPECT_TRUE(outcome.started) << outcome.startError;
    EXPECT_EQ(outcome.exitCode, 7u);  // the script's last program's
    std::ifstream file(Widen(ran).c_str(), std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "ok");
  }
}

// A window that counts what reaches it.
struct Counts {
  std::atomic<int> paint{0}, timer{0}, posted{0}, sent{0};
  HCURSOR cursorWhilePainting = nullptr;
};
Counts counts;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(window, &ps);
      EndPaint(window, &ps);
      ++counts.paint;
      counts.cursorWhilePainting = GetCursor();
      return 0;
    }
    case WM_TIMER:
      ++counts.timer;
      return 0;
    case WM_APP:
      ++counts.posted;
      return 0;
    case WM_APP + 1:
      ++counts.sent;
      return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

void PumpFor(DWORD ms) {
  ULONGLONG end = GetTickCount64() + ms;
  MSG msg;
  while (GetTickCount64() < end) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(10);
  }
}

TEST(Runs, WaitRepaintsButTakesNoTimerPostedOrInputMessage) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = CountingProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"KorvaneRunWaitTest";
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"wait", WS_OVERLAPPEDWINDOW, 10, 10,
                                200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_SHOWNOACTIVATE);

  for (const auto& run : kRuns) {
    PumpFor(200);
    counts.paint = counts.timer = counts.posted = counts.sent = 0;
    counts.cursorWhilePainting = nullptr;
    HCURSOR before = GetCursor();
    SetTimer(window, 1, 1, nullptr);
    PostMessageW(window, WM_APP, 0, 0);
    InvalidateRect(window, nullptr, TRUE);
    Sleep(20);  // the timer is due before the run starts
    std::thread sender([window] {
      Sleep(100);
      DWORD_PTR result;
      SendMessageTimeoutW(window, WM_APP + 1, 0, 0, SMTO_BLOCK, 5000, &result);
    });

    korvane::RunOutcome outcome = run(Child("sleep 400"));
    sender.join();
    EXPECT_TRUE(outcome.started);
    EXPECT_GE(counts.paint, 1);
    EXPECT_EQ(counts.cursorWhilePainting, LoadCursorW(nullptr, IDC_WAIT));
    EXPECT_EQ(counts.sent, 1);
    EXPECT_EQ(counts.timer, 0);
    EXPECT_EQ(counts.posted, 0);
    EXPECT_EQ(GetCursor(), before);

    PumpFor(100);  // what the wait left queued comes now
    EXPECT_GE(counts.timer, 1);
    EXPECT_EQ(counts.posted, 1);
    KillTimer(window, 1);
  }
  DestroyWindow(window);
}

}  // namespace
}  // namespace kwin
