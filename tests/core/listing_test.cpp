#include "korvane/listing.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

using Names = std::vector<std::string>;

TEST(TextLines, CutsAtEveryKindOfLineBreakButNotAfterTheLast) {
  struct Case {
    const char* text;
    std::vector<std::string_view> lines;
  };
  const Case cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"a\n\r\nb\r\r", {"a", "", "b", ""}},
      {"\r\n", {""}},
      {"\n\r", {"", ""}},  // LF then a lone CR: two breaks
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
    EXPECT_EQ(TextLines(c.text), c.lines);
  }
}

struct ListingCase {
  const char* label;
  std::string text;
  bool hide;
  Names names;
  const char* count;
  const char* capacity;
};

// Heading lines, the closing line and a totals line around module lines.
std::string Listing(const std::vector<std::string>& modules,
                    const std::string& totals = "57 modules, 900 bytes; 1048576 bytes free") {
  std::string text = "Modules on the handheld\r\nName    Version\r\n";
  for (const std::string& m : modules) text += m + "\r\n";
  return text + "-------\r\n" + totals + "\r\n";
}

TEST(ParseModuleListing, TakesLinesThreeToNMinusTwoAndTheTotalsOfTheLast) {
  const std::vector<std::string> mixed = {"net_qor_api 4.2 system", "dynamic_x 1.0",
                                          "Net_qor_api 1.0", "net_qo 2.0"};
  const ListingCase cases[] = {
      {"one line", "57 x; 9 y", false, {}, "57 ", "9 "},
      {"two lines", "a 1\r\n5 m; 6 b", false, {}, "5 ", "6 "},
      {"four lines", "h\r\nh\r\nnot a module\r\n7 m; 8 b\r\n", false, {}, "7 ", "8 "},
      {"five lines", Listing({"mail 1.0 app"}), false, {"mail "}, "57 ", "1048576 "},
      {"many lines",
       Listing({"a 1", "bb 2", "c", " lead"}),
       false,
       {"a ", "bb ", "", " "},
       "57 ",
       "1048576 "},
      {"hide off keeps system modules",
       Listing(mixed),
       false,
       {"net_qor_api ", "dynamic_x ", "Net_qor_api ", "net_qo "},
       "57 ",
       "1048576 "},
      {"hide on drops exact prefixes only",
       Listing(mixed),
       true,
       {"Net_qor_api ", "net_qo "},
       "57 ",
       "1048576 "},
      {"line breaks LF only", "h\nh\nx 1\n-\n3 m; 4 b\n", false, {"x "}, "3 ", "4 "},
      {"totals without ';' start at its second character",
       Listing({}, "57 modules 1048576"),
       false,
       {},
       "57 ",
       "7 "},
      {"second character, not byte", Listing({}, "模块 12 bytes"), false, {}, "模块 ", "块 "},
      {"totals without blank", Listing({}, "total;7"), false, {}, "", ""},
      {"capacity without blank after it", Listing({}, "3 m; 1048576"), false, {}, "3 ", ""},
      {"empty totals line", Listing({"a 1"}, ""), false, {"a "}, "", ""},
  };
  for (const ListingCase& c : cases) {
    SCOPED_TRACE(c.label);
    std::optional<ModuleListing> listing = ParseModuleListing(c.text, c.hide);
    ASSERT_TRUE(listing.has_value());
    EXPECT_EQ(listing->names, c.names);
    EXPECT_EQ(listing->count, c.count);
    EXPECT_EQ(listing->capacity, c.capacity);
  }
}

TEST(ParseModuleListing, AnEmptyListingHasNoTotals) {
  EXPECT_FALSE(ParseModuleListing("", false).has_value());
  EXPECT_TRUE(ParseModuleListing("\r\n", false).has_value());  // one empty line
}

}  // namespace
}  // namespace korvane
