#include "korvane/run_report.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(FailureLine, IsEmptyOnlyForAStartedProgramThatEndedWithZero) {
  struct Case {
    RunOutcome outcome;
    const char* line;
  };
  const Case cases[] = {
      {{true, 0, ""}, ""},
      {{true, 3, ""}, "命令执行失败，退出代码 3"},
      {{true, 0xFFFF, ""}, "命令执行失败，退出代码 65535"},
      {{true, 0xC0000005, ""}, "命令执行失败，退出代码 3221225477（0xC0000005）"},
      {{true, 0x10000, ""}, "命令执行失败，退出代码 65536（0x00010000）"},
      {{false, 0, "系统找不到指定的文件"}, "命令无法启动：系统找不到指定的文件"},
      {{false, 0, ""}, "命令无法启动"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(FailureLine(c.outcome), c.line);
  }
}

TEST(TrimSystemReason, DropsTrailingBlanksLineBreaksAndFullStops) {
  EXPECT_EQ(TrimSystemReason("系统找不到指定的文件。\r\n"), "系统找不到指定的文件");
  EXPECT_EQ(TrimSystemReason("Access is denied. \r\n"), "Access is denied");
  EXPECT_EQ(TrimSystemReason("a.b..\t"), "a.b");
  EXPECT_EQ(TrimSystemReason("。\r\n."), "");
  EXPECT_EQ(TrimSystemReason("The file exists"), "The file exists");
}

}  // namespace
}  // namespace korvane
