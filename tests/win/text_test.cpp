#include "kwin/text.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace kwin {
namespace {

TEST(CodePages, ConvertChineseBothWays) {
  struct Case {
    const char* gbk;
    const char* utf8;
  };
  const Case cases[] = {
      {"\xB1\xA3\xB4\xE6\xCD\xEA\xB3\xC9\xA3\xA1", "保存完成！"},
      {"C:\\\xD3\xCE\xCF\xB7\\a.cod", "C:\\游戏\\a.cod"},
      {"plain\r\n", "plain\r\n"},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(FromCodePage(c.gbk, 936), c.utf8);
    EXPECT_EQ(FromCodePage(c.gbk, CP_OEMCP), c.utf8);
    EXPECT_EQ(ToCodePage(c.utf8, 936), c.gbk);
  }
}

TEST(CodePages, WidenAndNarrowKeepCharactersBeyondTheBasicPlane) {
  const std::string text = "中文 \xF0\x9F\x98\x80 x";
  std::wstring wide = Widen(text);
  EXPECT_EQ(wide, L"中文 \xD83D\xDE00 x");
  EXPECT_EQ(Narrow(wide), text);
  EXPECT_EQ(Widen(""), L"");
}

TEST(SystemErrorText, HasNoTrailingBreakOrFullStop) {
  for (DWORD error : {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_PATH_NOT_FOUND}) {
    std::string text = SystemErrorText(error);
    SCOPED_TRACE(text);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(std::string(" \r\n.").find(text.back()), std::string::npos);
    EXPECT_FALSE(text.ends_with("。"));
  }
  EXPECT_EQ(SystemErrorText(0x2000ABCD), "系统错误 536914893");
}

}  // namespace
}  // namespace kwin
