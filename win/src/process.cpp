#include "kwin/process.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

#include "korvane/command_line.h"
#include "kwin/handle.h"
#include "kwin/text.h"
#include "kwin/wait.h"

namespace kwin {

namespace {

// How often (ms) a captured run paints and looks for the child's end while
// it reads without waiting.
constexpr ULONGLONG kLookInterval = 50;

korvane::RunOutcome NotStarted() {
  korvane::RunOutcome outcome;
  outcome.startError = SystemErrorText(GetLastError());
  return outcome;
}

korvane::RunOutcome Ended(HANDLE process) {
  korvane::RunOutcome outcome;
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  outcome.started = true;
  outcome.exitCode = code;
  return outcome;
}

std::wstring WritableCommandLine(const std::string& commandLine) {
  korvane::CheckCommandLineLength(commandLine);
  return Widen(commandLine);
}

// The two ends of a pipe for a child's output: ours is opened for
// overlapped reads, so that it can be waited for together with the child;
// the child's is inheritable.
struct OutputPipe {
  Handle read;
  Handle write;
};

bool CreateOutputPipe(OutputPipe& pipe, DWORD bufferSize) {
  static std::atomic<unsigned> serial{0};
  std::wstring name = L"\\\\.\\pipe\\korvane-output-" + std::to_wstring(GetCurrentProcessId()) +
                      L"-" + std::to_wstring(++serial);
  pipe.read.reset(CreateNamedPipeW(
      name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0,
      bufferSize, 0, nullptr));
  if (!pipe.read) return false;
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  pipe.write.reset(CreateFileW(name.c_str(), GENERIC_WRITE, 0, &inheritable, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(pipe.write);
}

// Reads our end of the output pipe into a text, one overlapped read of a
// chunk at a time.
class PipeReader {
 public:
  enum class Read { kDone, kPending, kEnded };

  PipeReader(HANDLE pipe, std::size_t chunkSize, std::string& text)
      : pipe_(pipe), chunk_(static_cast<DWORD>(chunkSize)), text_(text) {
    overlapped_.hEvent = event_.get();
  }
  PipeReader(const PipeReader&) = delete;
  PipeReader& operator=(const PipeReader&) = delete;
  ~PipeReader() { Cancel(); }

  bool Valid() const { return static_cast<bool>(event_); }
  HANDLE Event() const { return event_.get(); }

  // Reads the next chunk. kDone: its bytes are in the text already;
  // kPending: Event() signals when it is done, then call TakePending;
  // kEnded: the pipe has ended.
  Read Next() {
    start_ = text_.size();
    text_.resize(start_ + chunk_);
    if (ReadFile(pipe_, text_.data() + start_, chunk_, nullptr, &overlapped_)) {
      return Finish(FALSE) ? Read::kDone : Read::kEnded;
    }
    if (GetLastError() == ERROR_IO_PENDING) {
      pending_ = true;
      return Read::kPending;
    }
    text_.resize(start_);
    return Read::kEnded;
  }

  // Takes the bytes of the pending read; false when the pipe has ended.
  bool TakePending() {
    pending_ = false;
    return Finish(TRUE);
  }

  // Takes what is left in the pipe without waiting for more.
  void Drain() {
    Cancel();
    DWORD available = 0;
    while (PeekNamedPipe(pipe_, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
      Read read = Next();
      if (read == Read::kEnded || (read == Read::kPending && !TakePending())) return;
    }
  }

 private:
  bool Finish(BOOL wait) {
    DWORD n = 0;
    BOOL ok = GetOverlappedResult(pipe_, &overlapped_, &n, wait);
    text_.resize(start_ + n);
    return ok;
  }

  // Ends a pending read; bytes it got before the cancel are kept.
  void Cancel() {
    if (!pending_) return;
    CancelIo(pipe_);
    TakePending();
  }

  HANDLE pipe_;
  DWORD chunk_;
  std::string& text_;
  Handle event_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  OVERLAPPED overlapped_{};
  std::size_t start_ = 0;
  bool pending_ = false;
};

// A script is run by the command interpreter, which splits an unquoted path
// at its blanks and special characters: a command line that is the path of
// an existing script is quoted as needed.
std::string ScriptAwareCommandLine(const std::string& commandLine) {
  if (!korvane::NamesBatchScript(commandLine)) return commandLine;
  DWORD attributes = GetFileAttributesW(Widen(commandLine).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return commandLine;
  }
  return korvane::QuoteArg(commandLine);
}

}  // namespace

CapturedRun RunCapturedProcess(const std::string& commandLine, std::size_t chunkSize) {
  std::wstring line = WritableCommandLine(commandLine);
  CapturedRun run;
  DWORD chunk = static_cast<DWORD>(std::clamp<std::size_t>(chunkSize, 1, MAXDWORD));
  OutputPipe pipe;
  if (!CreateOutputPipe(pipe, std::max<DWORD>(chunk, 65536))) {
    run.outcome = NotStarted();
    return run;
  }
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  Handle input(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  PipeReader reader(pipe.read.get(), chunk, run.output);
  if (!input || !reader.Valid()) {
    run.outcome = NotStarted();
    return run;
  }

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = input.get();
  startup.hStdOutput = pipe.write.get();
  startup.hStdError = pipe.write.get();
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr,
                      nullptr, &startup, &info)) {
    run.outcome = NotStarted();
    return run;
  }
  Handle process(info.hProcess);
  CloseHandle(info.hThread);
  // Only the child holds the write end now, so the pipe ends with it.
  pipe.write.reset();
  input.reset();

  // Reads that find data finish at once and need no wait; while they do,
  // the windows are painted now and then, and the child's end is looked for.
  BusyCursor busy;
  const HANDLE handles[] = {process.get(), reader.Event()};
  ULONGLONG lookAt = GetTickCount64() + kLookInterval;
  for (;;) {
    PipeReader::Read read = reader.Next();
    if (read == PipeReader::Read::kDone) {
      if (GetTickCount64() < lookAt) continue;
      PaintPending();
      if (WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) {
        reader.Drain();
        break;
      }
      lookAt = GetTickCount64() + kLookInterval;
      continue;
    }
    if (read == PipeReader::Read::kPending) {
      if (WaitKeepingPainted(handles) == 0) {
        reader.Drain();
        break;
      }
      if (reader.TakePending()) continue;
    }
    // The pipe has ended; the child may still run.
    WaitKeepingPainted({handles, 1});
    break;
  }
  run.outcome = Ended(process.get());
  return run;
}

korvane::RunOutcome RunAndWaitProcess(const std::string& commandLine, int showState) {
  std::wstring line = WritableCommandLine(ScriptAwareCommandLine(commandLine));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showState);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE,
                      CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                      &info)) {
    return NotStarted();
  }
  Handle process(info.hProcess);
  CloseHandle(info.hThread);
  const HANDLE handles[] = {process.get()};
  WaitKeepingPainted(handles);
  return Ended(process.get());
}

}  // namespace kwin
