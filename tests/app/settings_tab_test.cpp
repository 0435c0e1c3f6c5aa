// The settings file and the settings tab: what the buttons write, what the
// next start shows, the write error and the folder browsers.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <optional>

#include "AppFixture.h"
#include "korvane/error.h"
#include "kwin/text.h"

namespace korvane::testing {
namespace {

const char kMissing[] = "<missing>";

class SettingsTab : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    ASSERT_TRUE(CreateDirectoryW(kwin::Widen(app + "ini").c_str(), nullptr));
  }

  std::string Ini() const { return app + "ini\\set.ini"; }

  // A value as the file holds it, read past korvane.
  std::string Stored(const char* section, const char* key) const {
    wchar_t value[2048] = {};
    GetPrivateProfileStringW(kwin::Widen(section).c_str(), kwin::Widen(key).c_str(),
                             kwin::Widen(kMissing).c_str(), value, 2048,
                             kwin::Widen(Ini()).c_str());
    return kwin::Narrow(value);
  }

  // The main window as the program's next start creates it.
  void Restart() {
    form.reset();
    form = std::make_unique<TForm1>(app);
    form->Ask = [this](const std::string& text, const std::string& caption, UINT flags) {
      asked.push_back({text, caption, flags});
      return answer;
    };
    form->Create();
  }

  static void Click(const TControl& control) { SendMessageW(control.Handle, BM_CLICK, 0, 0); }
};

INSTANTIATE_TEST_SUITE_P(AppFolders, SettingsTab, ::testing::Values("korvane", "工具 100%"));

TEST_P(SettingsTab, SavedFoldersAreWrittenStrippedAndShownAtTheNextStart) {
  struct Case {
    const char *edit7, *edit8;      // typed
    const char *shown7, *shown8;    // shown after saving
    const char *stored7, *stored8;  // p2, p3; also shown at the next start
  };
  const Case cases[] = {
      {"D:\\cod\\", "D:\\shots\\", "D:\\cod\\", "D:\\shots", "D:\\cod\\", "D:\\shots"},
      {"D:\\cod", "C:\\", "D:\\cod", "C:", "D:\\cod", "C:"},
      {"D:\\cod", "D:\\shots\\\\", "D:\\cod", "D:\\shots\\", "D:\\cod", "D:\\shots\\"},
      {"  D:\\cod  ", " D:\\shots\\\t", "  D:\\cod  ", "D:\\shots", "D:\\cod", "D:\\shots"},
      {" D:\\cod", " D:\\shots ", " D:\\cod", " D:\\shots ", "D:\\cod", "D:\\shots"},
      {"E:\\模块 文件\\", "D:\\截图\\", "E:\\模块 文件\\", "D:\\截图", "E:\\模块 文件\\",
       "D:\\截图"},
      {"", "", "", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.edit7) + " | " + c.edit8);
    form->Edit7.SetText(c.edit7);
    form->Edit8.SetText(c.edit8);
    Click(form->Button21);
    EXPECT_EQ(form->Edit7.Text(), c.shown7);
    EXPECT_EQ(form->Edit8.Text(), c.shown8);
    EXPECT_EQ(Stored("path", "p2"), c.stored7);
    EXPECT_EQ(Stored("path", "p3"), c.stored8);
    // A plain INI file in the ANSI code page.
    std::string bytes = ReadBytes(Ini());
    EXPECT_NE(bytes.find(kwin::ToCodePage(std::string("p2=") + c.stored7 + "\r\n", 936)),
              std::string::npos)
        << bytes;
    Restart();
    EXPECT_EQ(form->Edit7.Text(), c.stored7);
    EXPECT_EQ(form->Edit8.Text(), c.stored8);
    EXPECT_FALSE(form->CheckBox6.Checked());
    EXPECT_FALSE(form->CheckBox7.Checked());
  }
  EXPECT_TRUE(asked.empty());
}

TEST_P(SettingsTab, StartUpReadsTheFourSettingsOnly1CountingAsYes) {
  struct Case {
    const char* file;  // UTF-8, written in code page 936; null: no file
    const char *edit7, *edit8;
    bool checkBox6, checkBox7;
  };
  const Case cases[] = {
      {nullptr, "0", "0", false, false},
      {"", "0", "0", false, false},
      {"[guanlian]\r\ngl=1\r\n[duqucod]\r\ndq=1\r\n[path]\r\np2=D:\\cod\r\np3=\r\n", "D:\\cod", "",
       true, true},
      {"[guanlian]\r\ngl=yes\r\n[duqucod]\r\ndq=01\r\n[path]\r\np1=D:\\in\r\n", "0", "0", false,
       false},
      {"[guanlian]\r\ngl = 1 \r\n[duqucod]\r\ndq=0\r\n", "0", "0", true, false},
      {"[path]\r\np2=D:\\模块\r\np3=  E:\\截图 100%  \r\n", "D:\\模块", "E:\\截图 100%", false,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file ? c.file : "no file");
    DeleteFileW(kwin::Widen(Ini()).c_str());
    if (c.file) WriteBytes(Ini(), kwin::ToCodePage(c.file, 936));
    Restart();
    EXPECT_EQ(form->Edit7.Text(), c.edit7);
    EXPECT_EQ(form->Edit8.Text(), c.edit8);
    EXPECT_EQ(form->CheckBox6.Checked(), c.checkBox6);
    EXPECT_EQ(form->CheckBox7.Checked(), c.checkBox7);
  }
}

TEST_P(SettingsTab, HidingSystemModulesIsKeptOnlyWhenConfirmed) {
  ASSERT_FALSE(form->CheckBox7.Checked());
  Click(form->CheckBox7);
  Click(form->Button20);
  EXPECT_EQ(Stored("duqucod", "dq"), "1");
  Click(form->CheckBox7);  // not confirmed
  ASSERT_FALSE(form->CheckBox7.Checked());
  Restart();
  EXPECT_TRUE(form->CheckBox7.Checked());
  Click(form->CheckBox7);
  Click(form->Button20);
  EXPECT_EQ(Stored("duqucod", "dq"), "0");
  Restart();
  EXPECT_FALSE(form->CheckBox7.Checked());
}

TEST_P(SettingsTab, PathSettingsOfOtherCommands) {
  EXPECT_EQ(form->ReadPathSetting("p1"), "0");
  form->WritePathSetting("p1", "D:\\安装 包");
  EXPECT_EQ(form->ReadPathSetting("p1"), "D:\\安装 包");
  EXPECT_EQ(Stored("path", "p1"), "D:\\安装 包");
  form->WritePathSetting("p1", "");
  EXPECT_EQ(form->ReadPathSetting("p1"), "");
}

TEST_P(SettingsTab, WithoutTheIniFolderEverySaveFailsAndNothingIsLeftPending) {
  ASSERT_TRUE(RemoveDirectoryW(kwin::Widen(app + "ini").c_str()));
  const std::string error = "Unable to write to " + app + "ini\\set.ini.";
  form->Edit7.SetText("D:\\cod");
  form->Edit8.SetText("D:\\shots\\");
  Click(form->Button21);
  EXPECT_EQ(form->Edit8.Text(), "D:\\shots");  // done before the first write
  Click(form->Button20);
  EXPECT_THROW(form->WritePathSetting("p1", "x"), Error);
  ASSERT_EQ(asked.size(), 2u);
  for (const AskedBox& box : asked) {
    EXPECT_EQ(box.text, error);
    EXPECT_EQ(box.flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
  }
  EXPECT_FALSE(Exists(app + "ini"));
  // The failed values are not written later along with another one.
  ASSERT_TRUE(CreateDirectoryW(kwin::Widen(app + "ini").c_str(), nullptr));
  Click(form->Button20);
  EXPECT_EQ(Stored("duqucod", "dq"), "0");
  EXPECT_EQ(Stored("path", "p2"), kMissing);
  EXPECT_EQ(Stored("path", "p3"), kMissing);
  EXPECT_EQ(Stored("path", "p1"), kMissing);
}

// A visible top-level window of the thread besides the main one, as the
// call viewer. Made visible by its style alone: a window really shown takes
// Wine seconds to take down again.
struct OtherWindow {
  OtherWindow() {
    SetWindowLongW(handle, GWL_STYLE, GetWindowLongW(handle, GWL_STYLE) | WS_VISIBLE);
  }
  ~OtherWindow() { DestroyWindow(handle); }
  HWND handle = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                nullptr, nullptr);
};

TEST_P(SettingsTab, FolderBrowsersFillTheirFieldOnlyWhenConfirmed) {
  struct Seen {
    std::string title, startFolder;
    bool quietDrives, otherEnabled;
  };
  OtherWindow other;
  std::vector<Seen> seen;
  std::optional<std::string> choice;
  form->FolderBrowser = [&](const std::string& title, const std::string& startFolder) {
    seen.push_back({title, startFolder, (GetErrorMode() & SEM_FAILCRITICALERRORS) != 0,
                    IsWindowEnabled(other.handle) != FALSE});
    return choice;
  };
  form->BrowseStartFolder = "D:\\last";  // not for these two
  const UINT errorMode = GetErrorMode();
  struct Case {
    const TButton& button;
    const TEdit& edit;
    const char* title;
  };
  const Case cases[] = {{form->Button22, form->Edit7, "COD保存路径"},
                        {form->Button23, form->Edit8, "BMP截图保存路径"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    c.edit.SetText("D:\\old");
    seen.clear();
    choice = std::nullopt;
    Click(c.button);
    EXPECT_EQ(c.edit.Text(), "D:\\old");
    choice = "E:\\新 文件夹";
    Click(c.button);
    EXPECT_EQ(c.edit.Text(), "E:\\新 文件夹");
    ASSERT_EQ(seen.size(), 2u);
    for (const Seen& s : seen) {
      EXPECT_EQ(s.title, c.title);
      EXPECT_EQ(s.startFolder, "");
      EXPECT_TRUE(s.quietDrives);
      EXPECT_FALSE(s.otherEnabled);
    }
    EXPECT_EQ(GetErrorMode(), errorMode);
    EXPECT_TRUE(IsWindowEnabled(other.handle));
  }
  EXPECT_EQ(Stored("path", "p2"), kMissing);  // nothing saved until 保存
  EXPECT_TRUE(asked.empty());
}

TEST_P(SettingsTab, BrowseForFolderOpensAtTheStartFolder) {
  OtherWindow other;
  std::vector<std::string> startFolders;
  std::optional<std::string> choice = "E:\\cod";
  form->FolderBrowser = [&](const std::string& title, const std::string& startFolder) {
    EXPECT_EQ(title, "选择");
    EXPECT_FALSE(IsWindowEnabled(other.handle));
    startFolders.push_back(startFolder);
    return choice;
  };
  form->BrowseStartFolder = "D:\\上次 100%";
  EXPECT_EQ(form->BrowseForFolder("选择"), "E:\\cod");
  choice = std::nullopt;
  EXPECT_EQ(form->BrowseForFolder("选择"), std::nullopt);
  EXPECT_EQ(startFolders, (std::vector<std::string>(2, "D:\\上次 100%")));
  EXPECT_TRUE(IsWindowEnabled(other.handle));
}

// Presses a button of the folder browser when it becomes active, that is
// when it has opened; meanwhile nothing else runs on the thread.
class BrowserPresser {
 public:
  explicit BrowserPresser(int button) {
    button_ = button;
    hook_ = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
  }
  ~BrowserPresser() { UnhookWindowsHookEx(hook_); }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    HWND window = reinterpret_cast<HWND>(wParam);
    wchar_t name[16] = {};
    if (code == HCBT_ACTIVATE && GetClassNameW(window, name, 16) && std::wstring(name) == L"#32770")
      PostMessageW(window, WM_COMMAND, button_, 0);
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static inline int button_ = IDCANCEL;
  HHOOK hook_;
};

// Reads a folder's listing, so that its access time, which Linux sets at the
// first reading after a change, stays put while the browser reads it again.
void ListOnce(const std::string& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(kwin::Widen(folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

TEST_P(SettingsTab, PlatformBrowserSelectsTheStartFolderAndCancels) {
  // Wine's browser matches the start folder against the tree's items with
  // their times, access time included; under the Temp folder, which other
  // programs keep changing, the times move while the browser opens.
  std::string parent = "C:\\korvane-browse-" + std::to_string(GetCurrentProcessId());
  if (!CreateDirectoryW(kwin::Widen(parent).c_str(), nullptr)) GTEST_SKIP() << "C:\\ is read-only";
  form->BrowseStartFolder = parent + "\\" + GetParam();
  ASSERT_TRUE(CreateDirectoryW(kwin::Widen(form->BrowseStartFolder).c_str(), nullptr));
  for (const std::string& folder : {parent, form->BrowseStartFolder}) ListOnce(folder);
  {
    BrowserPresser ok(IDOK);
    EXPECT_EQ(form->BrowseForFolder("选择"), form->BrowseStartFolder);
  }
  {
    BrowserPresser cancel(IDCANCEL);
    form->Edit7.SetText("D:\\old");
    Click(form->Button22);
    EXPECT_EQ(form->Edit7.Text(), "D:\\old");
  }
  EXPECT_TRUE(IsWindowEnabled(form->Handle));
  RemoveDirectoryW(kwin::Widen(form->BrowseStartFolder).c_str());
  RemoveDirectoryW(kwin::Widen(parent).c_str());
}

}  // namespace
}  // namespace korvane::testing
