// The main window's creation and destruction, in this process and as the
// program itself.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "AppFixture.h"
#include "kwin/text.h"

namespace korvane::testing {
namespace {

const std::vector<std::string> kTabCaptions = {"COD文件管理  ", "其他功能  ", "HX截图  ",
                                               "java2cod  ",    "设置 ",      " 关于 "};

class Form : public AppFixture {};
INSTANTIATE_TEST_SUITE_P(AppFolder, Form, ::testing::Values("korvane"));

TEST_P(Form, CreationReadsTheBufferSizeAndShowsTheFirstOfSixTabs) {
  EXPECT_EQ(form->StatusBufferSize, 2400);
  EXPECT_FALSE(form->RangePending);
  HWND tabs = form->PageControl1.Handle;
  ASSERT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 6);
  for (int i = 0; i < 6; ++i) {
    wchar_t text[64] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    SendMessageW(tabs, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(kwin::Narrow(text), kTabCaptions[static_cast<size_t>(i)]);
  }
  EXPECT_EQ(form->PageControl1.ActivePage(), 0);
  EXPECT_TRUE(GetWindowLongW(form->TabSheet1.Handle, GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(GetWindowLongW(form->TabSheet2.Handle, GWL_STYLE) & WS_VISIBLE);
  EXPECT_EQ(form->Title(), "korvane_app_test");
}

TEST_P(Form, DestructionDeletesTheListingAndScreenshotOutputsOnly) {
  for (const char* name :
       {"dir.txt", "ss.txt", "bmp.txt", "jar.txt", "devicelog.txt", "jarcod.txt"})
    WriteBytes(app + name, "x");
  form.reset();
  for (const char* gone : {"dir.txt", "ss.txt", "bmp.txt", "jar.txt"})
    EXPECT_FALSE(Exists(app + gone)) << gone;
  for (const char* kept : {"devicelog.txt", "jarcod.txt"}) EXPECT_TRUE(Exists(app + kept)) << kept;
}

TEST_P(Form, ErrorBoxAddsTheFullStopAndNamesTheProgram) {
  form->ShowErrorBox("Cannot create D:\\shots");
  form->ShowErrorBox("ends with a dot.");
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].text, "Cannot create D:\\shots.");
  EXPECT_EQ(asked[1].text, "ends with a dot.");
  EXPECT_EQ(asked[0].caption, "korvane_app_test");
  EXPECT_EQ(asked[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
}

struct FoundWindow {
  DWORD process;
  HWND window;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM context) {
  auto* found = reinterpret_cast<FoundWindow*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  // Shown only once all its controls exist.
  if (process != found->process || std::wstring(name) != L"TForm1" || !IsWindowVisible(window))
    return TRUE;
  found->window = window;
  return FALSE;
}

BOOL CALLBACK CollectSheets(HWND window, LPARAM context) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  if (std::wstring(name) == L"TTabSheet") {
    wchar_t caption[64] = {};
    GetWindowTextW(window, caption, 64);
    reinterpret_cast<std::vector<std::string>*>(context)->push_back(kwin::Narrow(caption));
  }
  return TRUE;
}

TEST_P(Form, ProgramOpensItsSixTabsAndCleansUpWhenClosed) {
  std::string exe = app + "korvane.exe";
  ASSERT_TRUE(CopyFileW(kwin::Widen(TestProgramFolder() + "korvane.exe").c_str(),
                        kwin::Widen(exe).c_str(), FALSE));
  for (const char* name : {"dir.txt", "bmp.txt", "devicelog.txt"}) WriteBytes(app + name, "x");

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring commandLine = L"\"" + kwin::Widen(exe) + L"\"";
  ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &process));
  FoundWindow found{process.dwProcessId, nullptr};
  for (int i = 0; i < 300 && !found.window; ++i) {
    Sleep(50);
    EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&found));
  }
  ASSERT_NE(found.window, nullptr) << "no main window appeared";
  wchar_t caption[32] = {};
  GetWindowTextW(found.window, caption, 32);
  EXPECT_EQ(std::wstring(caption), L"Korvane");
  std::vector<std::string> sheets;
  EnumChildWindows(found.window, CollectSheets, reinterpret_cast<LPARAM>(&sheets));
  EXPECT_EQ(sheets, kTabCaptions);

  PostMessageW(found.window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  EXPECT_FALSE(Exists(app + "dir.txt"));
  EXPECT_FALSE(Exists(app + "bmp.txt"));
  EXPECT_TRUE(Exists(app + "devicelog.txt"));
}

}  // namespace
}  // namespace korvane::testing
