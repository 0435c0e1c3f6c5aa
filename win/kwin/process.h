#pragma once
// Starting outside programs from the GUI thread and waiting for their end.
// Command lines are UTF-8 and are started as they are: their first word
// names the program.

#include <cstddef>
#include <string>

#include "korvane/run_outcome.h"

namespace kwin {

struct CapturedRun {
  korvane::RunOutcome outcome;
  std::string output;  // the bytes printed, as printed (OEM code page)
};

// Runs the command line with its window hidden, korvane's environment and
// current folder, standard output and standard error on one pipe and
// standard input on NUL, and returns what it printed once it has ended.
// The pipe is read in chunks of chunkSize bytes while the program runs, so
// the program never blocks on a full pipe. When the program has ended, what
// is left in the pipe is taken without waiting for the pipe to close: a
// program it started and left running (which may hold the pipe) is not
// waited for, and what that one prints later is not collected.
// Throws korvane::Error when the command line is too long to be started.
CapturedRun RunCapturedProcess(const std::string& commandLine, std::size_t chunkSize);

// Runs the command line in a console window of its own with the given show
// state (SW_HIDE, SW_SHOW, ...), inheriting no handles, and waits for its
// end. A command line that is the path of a batch script, quoted or not, runs
// that script; its exit code is that of the script's last command.
// Throws korvane::Error when the command line is too long to be started.
korvane::RunOutcome RunAndWaitProcess(const std::string& commandLine, int showState);

}  // namespace kwin
