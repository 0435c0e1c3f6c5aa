#pragma once
// The main window: every control of its six tabs, its state, its handlers.
// The frame (Unit1.cpp) creates the window and routes events; the handlers of
// each tab live in a file of their own.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Controls.h"
#include "RichEdit.h"
#include "StringGrid.h"
#include "korvane/run_outcome.h"

namespace korvane {

class TForm1 {
 public:
  // Shows a message box and returns the button pressed (IDOK, IDCANCEL).
  using MessageBoxFn =
      std::function<int(const std::string& text, const std::string& caption, UINT flags)>;

  // appFolder ends with a backslash; an empty one means the folder of the
  // running program.
  explicit TForm1(std::string appFolder = {});
  ~TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // Creates the window and all controls, then runs FormCreate.
  void Create();
  void Show(int showCommand) const;

  HWND Handle = nullptr;
  // Every message box goes through here, so that tests can answer them.
  MessageBoxFn Ask;
  // The platform's folder browser, modal over the main window, with
  // startFolder selected when it is not empty: the folder chosen, or nothing
  // when cancelled. Tests replace it.
  std::function<std::optional<std::string>(const std::string& title,
                                           const std::string& startFolder)>
      FolderBrowser = [this](const std::string& title, const std::string& startFolder) {
        return ShowFolderBrowser(Handle, title, startFolder);
      };
  // The names of the USB hubs in the order listed; WMI's unless replaced.
  std::function<std::vector<std::string>()> UsbHubNames = &TForm1::QueryUsbHubNames;

  const std::string& AppFolder() const { return app_; }
  const std::string& Title() const { return title_; }

  // ---- controls, named as in the window's layout ----
  TPageControl PageControl1;
  TTabSheet TabSheet1, TabSheet2, TabSheet3, TabSheet6, TabSheet4, TabSheet5;
  TRichEdit RichEdit1;
  TLabel Label1, Label2;

  // TabSheet1: module management
  TAdvStringGrid advstringgrid1;
  TGroupBox GroupBox5, GroupBox6;
  TButton Button7, Button10, Button9, Button8, Button11;
  TCheckBox CheckBox3;
  TLabel Label20, Label21;

  // TabSheet2: other device functions
  TGroupBox GroupBox7, GroupBox3, GroupBox4, GroupBox2, GroupBox1, GroupBox10;
  TButton Button12, Button5, Button6, Button13, Button4, Button3;
  TCheckBox CheckBox1, CheckBox2;
  TLabel Label3;
  TButton Button16, Button17, Button18;

  // TabSheet3: screenshots
  TPanel Panel1;
  TImage Image1;
  TButton Button1;
  TLabel Label5, Label6, Label7;

  // TabSheet6: build tools
  TGroupBox GroupBox9, GroupBox8;
  TButton Button14, Button15, Button2;
  TCheckBox CheckBox4, CheckBox5;
  TLabel Label19, Label14, Label15, Label16, Label17, Label18;
  TEdit Edit6, Edit2, Edit3, Edit4, Edit5;

  // TabSheet4: settings
  TGroupBox GroupBox11, GroupBox12, GroupBox13, GroupBox14;
  TLabel Label4, Label23, Label24;
  TEdit Edit1, Edit7, Edit8;
  TCheckBox CheckBox6, CheckBox7;
  TButton Button19, Button20, Button22, Button23, Button21;

  // TabSheet5: about
  TLabel Label8, Label9, Label10, Label22, Label11, Label12, Label13;
  TImage Image2;

  // ---- state ----
  int StatusBufferSize = 0;
  std::string BrowseStartFolder;
  bool RangePending = false;
  int RangeAnchorRow = 0;
  bool RangeState = false;
  int RangeEndRow = 0;
  std::string InstallFolder;
  std::string JarFileName;
  std::string CodFileName;

  // ---- handlers ----
  void FormCreate();
  void FormDestroy();
  void Timer1Timer();
  // TabSheet1
  void Button7Click();
  void advstringgrid1ClickCell(int ARow, int ACol);
  void advstringgrid1MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  // TabSheet2
  void Button12Click();
  void Button5Click();
  void Button6Click();
  void Button13Click();
  void Button4Click();
  void Button3Click();
  void CheckBox1Click();
  void CheckBox2Click();
  // TabSheet4
  void Button19Click();
  void Button20Click();
  void Button21Click();
  void Button22Click();
  void Button23Click();

  // ---- settings, Explorer verb, USB hubs ----
  // The value of key in section "path" of the settings file, "0" when
  // missing.
  std::string ReadPathSetting(const std::string& key) const;
  // Fails with "Unable to write to <settings file>".
  void WritePathSetting(const std::string& key, const std::string& value) const;
  // The folder browser with BrowseStartFolder selected.
  std::optional<std::string> BrowseForFolder(const std::string& title);
  // Writes, under HKEY_CLASSES_ROOT, extension := fileType, and the verb's
  // command: command, a blank and "%1" in double quotes.
  void RegisterFileVerb(const std::string& extension, const std::string& fileType,
                        const std::string& verb, const std::string& command) const;
  // Asks WMI for the names of all USB hubs.
  static std::vector<std::string> QueryUsbHubNames();

  // ---- the module grid ----
  // What Button7Click does after the tool's run: shows <app> + "dir.txt" in
  // the status pane, then parses it into the grid and the two labels.
  void ShowModuleListing();
  // The selection: the names of the body rows whose column-0 check box is
  // checked, top to bottom, without leading and trailing blanks.
  std::vector<std::string> SelectedNames() const;

  // ---- the command runner ----
  // Runs a program hidden and appends what it printed to the status pane.
  void RunCaptured(const std::string& commandLine);
  // Runs a program in a console of its own (show state 0 hidden, 5 shown).
  RunOutcome RunAndWait(const std::string& commandLine, int showState);
  // Composes nothing: saves the pane, which holds exactly the script, as
  // <app> + base + ".rtf" and as the batch file <app> + base + ".bat".
  void SaveScript(const std::string& base);
  // Appends a completion line, followed by a failure line when the program
  // could not start or failed.
  void AppendCompletion(const std::string& line, const RunOutcome& outcome);

  // <app> + "zemblor", written as a command line needs it.
  std::string Zemblor() const;

  // Runs one handler; an error it raises ends it and shows the error box.
  void Dispatch(void (TForm1::*handler)());
  void Dispatch(const std::function<void()>& handler);
  void ShowErrorBox(const std::string& text);

 private:
  struct Placed;
  static LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  void LayoutControls();
  void CreateFonts();
  void ShowPage(int index) const;
  void OnCommand(int id, int code);
  // Runs Timer1Timer; see the definition for which failures are shown.
  void DispatchTick();
  std::string SettingsFile() const;
  std::string ReadSetting(const std::string& section, const std::string& key) const;
  void WriteSetting(const std::string& section, const std::string& key,
                    const std::string& value) const;
  void ReadSettingsAtStart();
  // The folder browser with no start folder, quiet about drives not ready.
  std::optional<std::string> BrowsePlainFolder(const std::string& title);
  static std::optional<std::string> ShowFolderBrowser(HWND owner, const std::string& title,
                                                      const std::string& startFolder);
  int Scale(int pixels) const;

  std::string app_;
  std::string title_;
  UINT dpi_ = 96;
  HFONT font_ = nullptr;
  HFONT titleFont_ = nullptr;
  HFONT gridFont_ = nullptr;
  HBRUSH faceBrush_ = nullptr;
  HBITMAP aboutPicture_ = nullptr;
  std::vector<Placed> placed_;
  bool tickBusy_ = false;     // a tick is running or showing its error
  bool tickFailing_ = false;  // the last tick failed and its error was shown
};

}  // namespace korvane
