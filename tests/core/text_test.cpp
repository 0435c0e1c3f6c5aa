#include "korvane/text.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

struct BaseNameCase {
  const char* path;
  const char* base;
};

TEST(ExtractBaseName, CutsFolderAndLastExtension) {
  const BaseNameCase cases[] = {
      {R"(C:\work\my.app.cod)", "my.app"},
      {R"(C:\a.b\readme)", "readme"},
      {"x.", "x"},
      {"C:game.jar", "game"},
      {"plain", "plain"},
      {R"(D:\游戏\贪吃蛇.cod)", "贪吃蛇"},
      {R"(C:\dir\)", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(ExtractBaseName(c.path), c.base);
  }
}

TEST(Strip, RemovesBlanksAndControlsAtBothEnds) {
  EXPECT_EQ(Strip(" \t C:\\My Files \r\n"), "C:\\My Files");
  EXPECT_EQ(Strip("   "), "");
  EXPECT_EQ(Strip("中文 "), "中文");
}

TEST(ErrorBoxText, AddsFullStopOnlyAfterCharactersSortingAfterIt) {
  EXPECT_EQ(ErrorBoxText("Cannot create D:\\shots"), "Cannot create D:\\shots.");
  EXPECT_EQ(ErrorBoxText("done."), "done.");
  EXPECT_EQ(ErrorBoxText("what?"), "what?.");
  EXPECT_EQ(ErrorBoxText("(x)"), "(x)");  // ")" sorts before "."
  EXPECT_EQ(ErrorBoxText("a-"), "a-");    // so does "-"
  EXPECT_EQ(ErrorBoxText("文件不存在"), "文件不存在.");
  EXPECT_EQ(ErrorBoxText(""), "");
}

}  // namespace
}  // namespace korvane
