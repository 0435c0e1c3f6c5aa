// The settings file <app>ini\set.ini, read and written one key at a time and
// never cached, the settings tab's handlers and the folder browsers.

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <vector>

#include "Unit1.h"
#include "korvane/error.h"
#include "korvane/text.h"
#include "kwin/text.h"

namespace korvane {

namespace {

// Longest value read, with its terminating zero.
constexpr DWORD kValueBuffer = 2048;

// While it lives, the thread's other visible top-level windows (the call
// viewer) are disabled; a modal dialog disables its owner itself.
class OtherWindowsDisabled {
 public:
  explicit OtherWindowsDisabled(HWND main) : main_(main) {
    EnumThreadWindows(GetCurrentThreadId(), Disable, reinterpret_cast<LPARAM>(this));
  }
  OtherWindowsDisabled(const OtherWindowsDisabled&) = delete;
  OtherWindowsDisabled& operator=(const OtherWindowsDisabled&) = delete;
  ~OtherWindowsDisabled() {
    for (HWND window : disabled_) EnableWindow(window, TRUE);
  }

 private:
  static BOOL CALLBACK Disable(HWND window, LPARAM context) {
    auto* self = reinterpret_cast<OtherWindowsDisabled*>(context);
    if (window != self->main_ && IsWindowVisible(window) && IsWindowEnabled(window)) {
      EnableWindow(window, FALSE);
      self->disabled_.push_back(window);
    }
    return TRUE;
  }

  HWND main_;
  std::vector<HWND> disabled_;
};

// While it lives, the system shows no error box of its own for a drive that
// is not ready (an empty card reader); the folder browser just shows it empty.
class QuietDrives {
 public:
  QuietDrives() : previous_(GetErrorMode()) { SetErrorMode(previous_ | SEM_FAILCRITICALERRORS); }
  QuietDrives(const QuietDrives&) = delete;
  QuietDrives& operator=(const QuietDrives&) = delete;
  ~QuietDrives() { SetErrorMode(previous_); }

 private:
  UINT previous_;
};

int CALLBACK SelectStartFolder(HWND dialog, UINT message, LPARAM, LPARAM startFolder) {
  // A folder that does not exist selects nothing.
  if (message == BFFM_INITIALIZED) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, startFolder);
  return 0;
}

}  // namespace

std::string TForm1::SettingsFile() const { return app_ + "ini\\set.ini"; }

std::string TForm1::ReadSetting(const std::string& section, const std::string& key) const {
  std::wstring value(kValueBuffer, L'\0');
  value.resize(GetPrivateProfileStringW(kwin::Widen(section).c_str(), kwin::Widen(key).c_str(),
                                        L"0", value.data(), kValueBuffer,
                                        kwin::Widen(SettingsFile()).c_str()));
  return kwin::Narrow(value);
}

void TForm1::WriteSetting(const std::string& section, const std::string& key,
                          const std::string& value) const {
  if (!WritePrivateProfileStringW(kwin::Widen(section).c_str(), kwin::Widen(key).c_str(),
                                  kwin::Widen(value).c_str(), kwin::Widen(SettingsFile()).c_str()))
    throw Error("Unable to write to " + SettingsFile());
}

std::string TForm1::ReadPathSetting(const std::string& key) const {
  return ReadSetting("path", key);
}

void TForm1::WritePathSetting(const std::string& key, const std::string& value) const {
  WriteSetting("path", key, value);
}

void TForm1::ReadSettingsAtStart() {
  std::string associated = ReadSetting("guanlian", "gl");
  std::string hideSystemModules = ReadSetting("duqucod", "dq");
  std::string codFolder = ReadPathSetting("p2");
  std::string screenshotFolder = ReadPathSetting("p3");
  Edit7.SetText(codFolder);
  Edit8.SetText(screenshotFolder);
  CheckBox6.SetChecked(associated == "1");
  CheckBox7.SetChecked(hideSystemModules == "1");
}

void TForm1::Button20Click() { WriteSetting("duqucod", "dq", CheckBox7.Checked() ? "1" : "0"); }

void TForm1::Button21Click() {
  // Only the screenshot folder loses one trailing backslash; C:\ becomes C:.
  std::string screenshotFolder = Strip(Edit8.Text());
  if (!screenshotFolder.empty() && screenshotFolder.back() == '\\') {
    screenshotFolder.pop_back();
    Edit8.SetText(screenshotFolder);
  }
  WritePathSetting("p2", Strip(Edit7.Text()));
  WritePathSetting("p3", Strip(Edit8.Text()));
}

void TForm1::Button22Click() {
  if (auto folder = BrowsePlainFolder("COD保存路径")) Edit7.SetText(*folder);
}

void TForm1::Button23Click() {
  if (auto folder = BrowsePlainFolder("BMP截图保存路径")) Edit8.SetText(*folder);
}

std::optional<std::string> TForm1::BrowseForFolder(const std::string& title) {
  OtherWindowsDisabled modal(Handle);
  return FolderBrowser(title, BrowseStartFolder);
}

std::optional<std::string> TForm1::BrowsePlainFolder(const std::string& title) {
  OtherWindowsDisabled modal(Handle);
  QuietDrives quiet;
  return FolderBrowser(title, {});
}

std::optional<std::string> TForm1::ShowFolderBrowser(HWND owner, const std::string& title,
                                                     const std::string& startFolder) {
  wchar_t displayName[MAX_PATH] = {};
  std::wstring wideTitle = kwin::Widen(title);
  std::wstring start = kwin::Widen(startFolder);
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pszDisplayName = displayName;
  info.lpszTitle = wideTitle.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  if (!start.empty()) {
    info.lpfn = SelectStartFolder;
    info.lParam = reinterpret_cast<LPARAM>(start.c_str());
  }
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (!chosen) return std::nullopt;
  // A drive root keeps its backslash (C:\), any other folder has none.
  wchar_t path[MAX_PATH] = {};
  BOOL isFolder = SHGetPathFromIDListW(chosen, path);
  CoTaskMemFree(chosen);
  if (!isFolder) return std::nullopt;
  return kwin::Narrow(path);
}

}  // namespace korvane
