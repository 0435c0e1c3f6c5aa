#include "korvane/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "korvane/error.h"

namespace korvane {
namespace {

struct Case {
  const char* in;
  const char* out;
};

TEST(QuoteArg, QuotesOnlyWhatTheInterpreterWouldSplitOrInterpret) {
  const Case cases[] = {
      {R"(C:\K\zemblor)", R"(C:\K\zemblor)"},
      {R"(D:\游戏\贪吃蛇.cod)", R"(D:\游戏\贪吃蛇.cod)"},
      {R"(C:\K\-u@x.y-[1]_{2}+'#~`$)", R"(C:\K\-u@x.y-[1]_{2}+'#~`$)"},
      {R"(C:\Program Files\Korvane\zemblor)", R"("C:\Program Files\Korvane\zemblor")"},
      {R"(D:\游戏 存档\a.cod)", R"("D:\游戏 存档\a.cod")"},
      {"D:\\a\tb", "\"D:\\a\tb\""},
      {"D:\\a\x01z", "\"D:\\a\x01z\""},
      {"D:\\a\x7Fz", "\"D:\\a\x7Fz\""},
      {R"(C:\Tom&Jerry\zemblor)", R"("C:\Tom&Jerry\zemblor")"},
      {R"(C:\100%\x)", R"("C:\100%\x")"},
      {R"(C:\a|b)", R"("C:\a|b")"},
      {R"(C:\a<b>)", R"("C:\a<b>")"},
      {R"(C:\a^b)", R"("C:\a^b")"},
      {R"x(C:\(x86))x", R"x("C:\(x86)")x"},
      {R"(C:\a,b;c=d)", R"("C:\a,b;c=d")"},
      {R"(C:\wow!)", R"("C:\wow!")"},
      {R"(C:\My Saves\)", R"("C:\My Saves\\")"},
      {R"(C:\My Saves\\)", R"("C:\My Saves\\\\")"},
      {R"(C:\Saves\)", R"(C:\Saves\)"},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(QuoteArg(c.in), c.out);
  }
}

TEST(CmdSlashC, AddsOuterQuotesOnlyWhenTheLineHasQuotes) {
  const Case cases[] = {
      {R"(C:\K\zemblor -u dir >C:\K\dir.txt)", R"(cmd.exe /c C:\K\zemblor -u dir >C:\K\dir.txt)"},
      {R"("C:\Program Files\K\zemblor" -u dir >"C:\Program Files\K\dir.txt")",
       R"(cmd.exe /c ""C:\Program Files\K\zemblor" -u dir >"C:\Program Files\K\dir.txt"")"},
      {R"("C:\a b\x.bat")", R"(cmd.exe /c ""C:\a b\x.bat"")"},
      {"", "cmd.exe /c "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(CmdSlashC(c.in), c.out);
  }
}

TEST(BatchLine, DoublesEveryPercentSign) {
  const Case cases[] = {
      {R"(C:\K\zemblor -u save a.cod)", R"(C:\K\zemblor -u save a.cod)"},
      {R"(cd  "D:\100%\%TEMP%")", R"(cd  "D:\100%%\%%TEMP%%")"},
      {"%%", "%%%%"},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(BatchLine(c.in), c.out);
  }
}

TEST(SplitCapturedLines, CutsAtLineFeedsAndKeepsTheLastLine) {
  struct SplitCase {
    const char* text;
    std::vector<std::string> lines;
  };
  const SplitCase cases[] = {
      {"a\r\nb\r\n", {"a\r", "b\r"}},
      {"a\nb", {"a", "b"}},
      {"no line feed", {"no line feed"}},
      {"\n\n", {"", ""}},
      {"x\r", {"x\r"}},
      {"", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(SplitCapturedLines(c.text), c.lines);
  }
}

TEST(SplitCapturedLines, TakesOutputOfExactlyOneReadBuffer) {
  std::string line(2398, 'x');
  std::string text = line + "\r\n";  // 2400 bytes
  EXPECT_EQ(SplitCapturedLines(text), std::vector<std::string>{line + "\r"});
  text.back() = 'y';  // no line feed at all
  EXPECT_EQ(SplitCapturedLines(text), std::vector<std::string>{line + "\ry"});
}

TEST(NamesBatchScript, LooksAtTheExtensionInAnyCase) {
  EXPECT_TRUE(NamesBatchScript(R"(C:\K\tempb.bat)"));
  EXPECT_TRUE(NamesBatchScript(R"(C:\K\TEMPB.Cmd)"));
  EXPECT_FALSE(NamesBatchScript(R"(C:\K\zemblor)"));
  EXPECT_FALSE(NamesBatchScript(R"(C:\K\a.bat\zemblor.exe)"));
  EXPECT_FALSE(NamesBatchScript("bat"));
}

TEST(CommandLineLimit, IsTheInterpretersForCmdAndTheSystemsOtherwise) {
  struct LimitCase {
    const char* line;
    std::size_t limit;
  };
  const LimitCase cases[] = {
      {"cmd.exe /c dir", 8191},
      {"CMD /C dir", 8191},
      {R"(C:\Windows\system32\cmd.exe /c dir)", 8191},
      {R"("C:\Windows\system32\cmd.exe" /c dir)", 8191},
      {R"(C:\K\zemblor -u dir)", 32766},
      {R"(C:\K\mycmd.exe /c)", 32766},
      {R"("C:\cmd\zemblor" -u dir)", 32766},
      {"", 32766},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(CommandLineLimit(c.line), c.limit);
  }
}

TEST(CheckCommandLineLength, CountsUtf16UnitsAndThrowsOnlyAboveTheLimit) {
  const std::string cmd = "cmd.exe /c ";
  EXPECT_NO_THROW(CheckCommandLineLength(cmd + std::string(8191 - cmd.size(), 'x')));
  EXPECT_THROW(CheckCommandLineLength(cmd + std::string(8192 - cmd.size(), 'x')), Error);
  EXPECT_NO_THROW(CheckCommandLineLength(std::string(32766, 'x')));
  EXPECT_THROW(CheckCommandLineLength(std::string(32767, 'x')), Error);

  std::string chinese;  // 3 bytes, one unit each
  for (int i = 0; i < 32766; ++i) chinese += "中";
  EXPECT_NO_THROW(CheckCommandLineLength(chinese));
  std::string beyond;  // 4 bytes, two units each
  for (int i = 0; i < 16383; ++i) beyond += "\xF0\x9F\x98\x80";
  EXPECT_NO_THROW(CheckCommandLineLength(beyond));
  EXPECT_THROW(CheckCommandLineLength(beyond + "x"), Error);

  try {
    CheckCommandLineLength(cmd + std::string(9000, 'x'));
    FAIL() << "no error";
  } catch (const Error& e) {
    std::string text = e.what();
    EXPECT_NE(text.find("9011"), std::string::npos) << text;
    EXPECT_NE(text.find("8191"), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace korvane
