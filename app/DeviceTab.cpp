// The one-shot device commands of the tab "其他功能".

#include "Files.h"
#include "Unit1.h"
#include "korvane/command_line.h"

namespace korvane {

void TForm1::Button12Click() {
  RichEdit1.Clear();
  RunCaptured(Zemblor() + " -u deviceinfo");
}

void TForm1::Button5Click() {
  RichEdit1.Clear();
  std::string log = app_ + "devicelog.txt";
  RunOutcome outcome = RunAndWait(CmdSlashC(Zemblor() + " -u eventlog >" + QuoteArg(log)), 0);
  RichEdit1.AppendLine("路径:" + log);
  AppendCompletion("保存完成！", outcome);
}

void TForm1::Button6Click() {
  RichEdit1.Clear();
  RunCaptured(Zemblor() + " -usb radio on");
}

void TForm1::Button13Click() {
  RichEdit1.Clear();
  RunCaptured(Zemblor() + " -usb radio off");
}

void TForm1::Button4Click() {
  RichEdit1.Clear();
  RunCaptured(Zemblor() + " -usb settime");
}

void TForm1::Button3Click() {
  RichEdit1.Clear();
  if (Ask("要WIPE(清空)吗？", "警告", MB_OKCANCEL) != IDOK) return;
  std::string command = Zemblor() + " -u wipe";
  RichEdit1.AppendLine("WIPE...");
  if (CheckBox1.Checked()) command = Zemblor() + " -u wipe -a";
  if (CheckBox2.Checked()) command = Zemblor() + " -u wipe -f";
  RichEdit1.AppendLine(BatchLine(command));
  SaveScript("tempaw");
  DeleteFileQuietly(app_ + "tempaw.rtf");
  RunOutcome outcome = RunAndWait(QuoteArg(app_ + "tempaw.bat"), 5);
  DeleteFileQuietly(app_ + "tempaw.bat");
  AppendCompletion("WIPE完成", outcome);
}

void TForm1::CheckBox1Click() {
  if (CheckBox1.Checked()) CheckBox2.SetChecked(false);
}

void TForm1::CheckBox2Click() {
  if (CheckBox2.Checked()) CheckBox1.SetChecked(false);
}

}  // namespace korvane
