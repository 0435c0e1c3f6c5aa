// How the main window starts outside programs: the captured run, the
// run-and-wait and the script steps.

#include "Files.h"
#include "Unit1.h"
#include "korvane/command_line.h"
#include "korvane/run_report.h"
#include "kwin/process.h"
#include "kwin/text.h"

namespace korvane {

std::string TForm1::Zemblor() const { return QuoteArg(app_ + "zemblor"); }

void TForm1::RunCaptured(const std::string& commandLine) {
  kwin::CapturedRun run =
      kwin::RunCapturedProcess(commandLine, static_cast<size_t>(StatusBufferSize));
  if (!run.outcome.started) {
    RichEdit1.AppendLine(FailureLine(run.outcome));
    return;
  }
  RichEdit1.AppendLines(SplitCapturedLines(kwin::FromCodePage(run.output, CP_OEMCP)));
}

RunOutcome TForm1::RunAndWait(const std::string& commandLine, int showState) {
  return kwin::RunAndWaitProcess(commandLine, showState);
}

void TForm1::SaveScript(const std::string& base) {
  RichEdit1.SaveToFile(app_ + base + ".rtf");
  RichEdit1.PlainText = true;
  try {
    RichEdit1.SaveToFile(app_ + base + ".bat");
  } catch (...) {
    RichEdit1.PlainText = false;
    throw;
  }
  RichEdit1.PlainText = false;
}

void TForm1::AppendCompletion(const std::string& line, const RunOutcome& outcome) {
  RichEdit1.AppendLine(line);
  std::string failure = FailureLine(outcome);
  if (!failure.empty()) RichEdit1.AppendLine(failure);
}

}  // namespace korvane
