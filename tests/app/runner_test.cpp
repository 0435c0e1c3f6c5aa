// The captured run as the status pane shows it, and the limits of command
// lines.

#include <gtest/gtest.h>

#include "AppFixture.h"
#include "Files.h"

namespace korvane::testing {
namespace {

class Runner : public AppFixture {};
INSTANTIATE_TEST_SUITE_P(AppFolder, Runner, ::testing::Values("korvane"));

TEST_P(Runner, CapturedOutputIsSplitIntoPaneLines) {
  struct Case {
    const char* label;
    std::string output;
    std::vector<std::string> lines;
  };
  const std::string chunk(2400, 'x');
  const Case cases[] = {
      {"CR LF ends", "a\r\nb\r\n", {"a", "b"}},
      {"LF only", "a\nb\n", {"a", "b"}},
      {"last line without LF", "a\r\nlast", {"a", "last"}},
      {"no LF at all", "alone", {"alone"}},
      {"nothing", "", {}},
      {"exactly one read", chunk, {chunk}},
      // 中 is D6 D0 in code page 936; its two bytes fall into two reads.
      {"character across reads",
       std::string(2399, 'y') + "\xD6\xD0\r\n",
       {std::string(2399, 'y') + "中"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    SetOutput(c.output);
    form->Dispatch(&TForm1::Button12Click);
    EXPECT_EQ(form->RichEdit1.Lines(), c.lines);
  }
}

TEST_P(Runner, ProgramThatCannotStartLeavesOneLineSayingSo) {
  DeleteFileQuietly(app + "zemblor.exe");
  form->Dispatch(&TForm1::Button12Click);
  auto lines = form->RichEdit1.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_FALSE(lines[0].empty());
  EXPECT_TRUE(asked.empty());
}

TEST_P(Runner, LongCommandLinesRunUpToThePlatformLimit) {
  std::string name(2000, 'm');
  form->RunCaptured(form->Zemblor() + " -u info -d " + name + ".cod");
  auto runs = Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].commandLine, form->Zemblor() + " -u info -d " + name + ".cod");

  std::string tooLong(40000, 'm');
  try {
    form->RunCaptured(form->Zemblor() + " -u info -d " + tooLong + ".cod");
    FAIL() << "a command line beyond the limit ran";
  } catch (const std::exception& error) {
    EXPECT_NE(std::string(error.what()).find("32766"), std::string::npos) << error.what();
  }
  EXPECT_EQ(Runs().size(), 1u);
}

}  // namespace
}  // namespace korvane::testing
