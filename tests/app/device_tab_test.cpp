// The device commands of the tab "其他功能", run against a recording double
// in application folders with plain and awkward names.

#include <gtest/gtest.h>

#include "AppFixture.h"
#include "Files.h"
#include "kwin/text.h"

namespace korvane::testing {
namespace {

class DeviceTab : public AppFixture {
 protected:
  // <app> + "zemblor" as the command line writes it: quoted only when the
  // folder's name needs it.
  std::string Tool() const {
    std::string tool = app + "zemblor";
    return tool.find_first_of(" &%") == std::string::npos ? tool : "\"" + tool + "\"";
  }
};

INSTANTIATE_TEST_SUITE_P(AppFolders, DeviceTab,
                         ::testing::Values("korvane", "Program Files & Co", "工具 100%"));

TEST_P(DeviceTab, CapturedCommandsShowExactlyWhatTheToolPrinted) {
  struct Case {
    void (TForm1::*handler)();
    const char* arguments;
  };
  const Case cases[] = {
      {&TForm1::Button12Click, " -u deviceinfo"},
      {&TForm1::Button6Click, " -usb radio on"},
      {&TForm1::Button13Click, " -usb radio off"},
      {&TForm1::Button4Click, " -usb settime"},
  };
  SetOutput("Model 8800\r\nPIN 2100000A\r\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    form->RichEdit1.AppendLine("left over");
    DeleteFileQuietly(app + "zemblor.record");
    form->Dispatch(c.handler);
    EXPECT_EQ(form->RichEdit1.Lines(), (std::vector<std::string>{"Model 8800", "PIN 2100000A"}));
    auto runs = Runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].commandLine, Tool() + c.arguments);
    EXPECT_EQ(runs[0].show, SW_HIDE);
  }
  EXPECT_TRUE(asked.empty());
}

TEST_P(DeviceTab, EventLogIsSavedAndItsPathReported) {
  for (const char* log : {"first log\r\n", "second\r\n"}) {
    SetOutput(log);
    form->Dispatch(&TForm1::Button5Click);
    EXPECT_EQ(ReadBytes(app + "devicelog.txt"), log);  // replaced, not appended
    EXPECT_EQ(form->RichEdit1.Lines(),
              (std::vector<std::string>{"路径:" + app + "devicelog.txt", "保存完成！"}));
  }
  auto runs = Runs();
  ASSERT_EQ(runs.size(), 2u);
  // The interpreter hands the program its own part of the line.
  EXPECT_EQ(runs[0].commandLine.substr(0, Tool().size() + 12), Tool() + " -u eventlog");
}

TEST_P(DeviceTab, EventLogFailureIsReportedAfterTheCompletionLine) {
  SetExitCode(3);
  form->Dispatch(&TForm1::Button5Click);
  auto lines = form->RichEdit1.Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], "保存完成！");
  EXPECT_NE(lines[2].find('3'), std::string::npos) << lines[2];
}

TEST_P(DeviceTab, WipeCancelledWritesAndRunsNothing) {
  answer = IDCANCEL;
  form->RichEdit1.AppendLine("old");
  form->Dispatch(&TForm1::Button3Click);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].text, "要WIPE(清空)吗？");
  EXPECT_EQ(asked[0].caption, "警告");
  EXPECT_EQ(asked[0].flags, static_cast<UINT>(MB_OKCANCEL));
  EXPECT_TRUE(form->RichEdit1.Lines().empty());
  EXPECT_FALSE(Exists(app + "tempaw.rtf"));
  EXPECT_FALSE(Exists(app + "tempaw.bat"));
  EXPECT_TRUE(Runs().empty());
}

TEST_P(DeviceTab, WipeRunsItsScriptWithTheChosenOptionAndCleansUp) {
  struct Case {
    bool applications, fileSystem;  // clicked in this order
    const char* arguments;
  };
  const Case cases[] = {
      {false, false, " -u wipe"},
      {true, false, " -u wipe -a"},
      {false, true, " -u wipe -f"},
      {true, true, " -u wipe -f"},  // the second click unchecks the first box
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    form->CheckBox1.SetChecked(false);
    form->CheckBox2.SetChecked(false);
    // Clicks as the user makes them, through the controls themselves.
    if (c.applications) SendMessageW(form->CheckBox1.Handle, BM_CLICK, 0, 0);
    if (c.fileSystem) SendMessageW(form->CheckBox2.Handle, BM_CLICK, 0, 0);
    EXPECT_FALSE(form->CheckBox1.Checked() && form->CheckBox2.Checked());
    DeleteFileQuietly(app + "zemblor.record");
    form->Dispatch(&TForm1::Button3Click);
    std::string line = Tool() + c.arguments;
    std::string scriptLine = line;
    for (size_t at = 0; (at = scriptLine.find('%', at)) != std::string::npos; at += 2)
      scriptLine.insert(at, "%");
    EXPECT_EQ(form->RichEdit1.Lines(),
              (std::vector<std::string>{"WIPE...", scriptLine, "WIPE完成"}));
    auto runs = Runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].commandLine, line);
    EXPECT_FALSE(Exists(app + "tempaw.rtf"));
    EXPECT_FALSE(Exists(app + "tempaw.bat"));
  }
}

TEST_P(DeviceTab, UnwritableScriptEndsTheWipeThroughTheErrorBox) {
  // A folder in the way of the script's rich-text copy.
  ASSERT_TRUE(CreateDirectoryW(kwin::Widen(app + "tempaw.rtf").c_str(), nullptr));
  form->Dispatch(&TForm1::Button3Click);
  ASSERT_EQ(asked.size(), 2u);  // the question, then the error
  EXPECT_EQ(asked[1].text.rfind("Cannot create file \"" + app + "tempaw.rtf\". ", 0), 0u)
      << asked[1].text;
  EXPECT_EQ(asked[1].caption, form->Title());
  EXPECT_EQ(asked[1].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
  EXPECT_TRUE(Runs().empty());
  EXPECT_FALSE(Exists(app + "tempaw.bat"));
}

}  // namespace
}  // namespace korvane::testing
