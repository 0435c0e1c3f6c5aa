// The status pane's files: rich text, plain text in the ANSI code page, and
// the errors of files that cannot be opened or created.

#include <gtest/gtest.h>

#include "AppFixture.h"

namespace korvane::testing {
namespace {

class StatusPane : public AppFixture {};
INSTANTIATE_TEST_SUITE_P(AppFolder, StatusPane, ::testing::Values("状态 pane"));

TEST_P(StatusPane, PlainTextSaveWritesAnsiLinesEndedByCrLf) {
  form->RichEdit1.Clear();
  form->RichEdit1.AppendLine("中文");
  form->RichEdit1.AppendLine("");
  form->RichEdit1.AppendLine("b");
  form->RichEdit1.PlainText = true;
  form->RichEdit1.SaveToFile(app + "out.txt");
  EXPECT_EQ(ReadBytes(app + "out.txt"), "\xD6\xD0\xCE\xC4\r\n\r\nb\r\n");
}

TEST_P(StatusPane, RichTextSavesAndLoadsBackTheSameLines) {
  const std::vector<std::string> lines = {"保存完成！", "C:\\My Files\\a.cod", "{braces}"};
  for (const auto& line : lines) form->RichEdit1.AppendLine(line);
  form->RichEdit1.SaveToFile(app + "out.rtf");
  EXPECT_EQ(ReadBytes(app + "out.rtf").rfind("{\\rtf", 0), 0u);
  form->RichEdit1.Clear();
  form->RichEdit1.LoadFromFile(app + "out.rtf");
  EXPECT_EQ(form->RichEdit1.Lines(), lines);
}

TEST_P(StatusPane, OtherFilesLoadAsAnsiText) {
  WriteBytes(app + "dir.txt", "\xC4\xA3\xBF\xE9\r\nnet_qor_ui 1.0\r\n");
  form->RichEdit1.LoadFromFile(app + "dir.txt");
  EXPECT_EQ(form->RichEdit1.Lines(), (std::vector<std::string>{"模块", "net_qor_ui 1.0"}));
}

TEST_P(StatusPane, FileErrorsNameTheFullPathAndTheReason) {
  struct Case {
    const char* label;
    std::string expectedStart;
    void (*act)(TForm1&, const std::string&);
  };
  const std::string missing = app + "missing\\x.txt";
  const Case cases[] = {
      {"open", "Cannot open file \"" + missing + "\". ",
       [](TForm1& f, const std::string& path) { f.RichEdit1.LoadFromFile(path); }},
      {"create", "Cannot create file \"" + missing + "\". ",
       [](TForm1& f, const std::string& path) { f.RichEdit1.SaveToFile(path); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    try {
      c.act(*form, missing);
      FAIL() << "no error";
    } catch (const std::exception& error) {
      std::string text = error.what();
      EXPECT_EQ(text.rfind(c.expectedStart, 0), 0u) << text;
      EXPECT_GT(text.size(), c.expectedStart.size()) << "the reason is missing";
      EXPECT_NE(text.back(), '.');
      EXPECT_NE(text.back(), '\n');
    }
  }
}

}  // namespace
}  // namespace korvane::testing
