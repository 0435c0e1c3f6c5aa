// The module grid of the tab "COD文件管理": reading the listing, a module's
// details and check-box ranges, driven by the button and by mouse and
// keyboard messages to the grid; against the recording double and against
// the simulated handheld.

#include <gtest/gtest.h>

#include <algorithm>

#include "AppFixture.h"
#include "kwin/grid.h"
#include "korvane/listing.h"
#include "korvane/text.h"
#include "kwin/text.h"

namespace korvane::testing {
namespace {

const char kTotals[] = "57 modules, 9000 bytes; 1048576 bytes free";

// Heading lines, the closing line and a totals line around the module lines.
std::vector<std::string> ListingLines(const std::vector<std::string>& modules,
                                      const std::string& totals = kTotals) {
  std::vector<std::string> lines = {"Modules on the handheld", "Name        Version"};
  lines.insert(lines.end(), modules.begin(), modules.end());
  lines.push_back("-----------");
  lines.push_back(totals);
  return lines;
}

std::string Listing(const std::vector<std::string>& modules, const std::string& totals = kTotals) {
  std::string text;
  for (const std::string& line : ListingLines(modules, totals)) text += line + "\r\n";
  return text;
}

std::vector<std::string> Modules(int count) {
  std::vector<std::string> modules;
  for (int i = 1; i <= count; ++i) modules.push_back("m" + std::to_string(i) + " 1.0 app");
  return modules;
}

class ModuleTab : public AppFixture {
 protected:
  std::string Tool() const {
    std::string tool = app + "zemblor";
    return tool.find_first_of(" &%") == std::string::npos ? tool : "\"" + tool + "\"";
  }
  const TAdvStringGrid& Grid() const { return form->advstringgrid1; }

  // Reads the module list as the user does: a click on "从手机读取".
  void Read(const std::string& listing) {
    SetOutput(kwin::ToCodePage(listing, 936));
    SendMessageW(form->Button7.Handle, BM_CLICK, 0, 0);
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (int row = 1; row < Grid().RowCount(); ++row) names.push_back(Grid().Cells(1, row));
    return names;
  }
  // Per body row: -1 without a check box, else 0 or 1.
  std::vector<int> Boxes() const {
    std::vector<int> boxes;
    for (int row = 1; row < Grid().RowCount(); ++row) {
      std::optional<bool> state = Grid().GetCheckBoxState(0, row);
      boxes.push_back(state ? *state : -1);
    }
    return boxes;
  }
  std::vector<int> CheckedRows() const {
    std::vector<int> rows;
    std::vector<int> boxes = Boxes();
    for (size_t i = 0; i < boxes.size(); ++i)
      if (boxes[i] == 1) rows.push_back(static_cast<int>(i) + 1);
    return rows;
  }

  LPARAM Centre(int col, int row) const {
    kwin::GridCell cell{col, row};
    RECT r{};
    EXPECT_TRUE(SendMessageW(Grid().Handle, kwin::GRM_GETCELLRECT, reinterpret_cast<WPARAM>(&cell),
                             reinterpret_cast<LPARAM>(&r)));
    return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  // A click as the mouse makes it, Shift held or not.
  void Click(int col, int row, bool shift = false) const {
    UINT keys = shift ? MK_SHIFT : 0;
    SendMessageW(Grid().Handle, WM_LBUTTONDOWN, MK_LBUTTON | keys, Centre(col, row));
    SendMessageW(Grid().Handle, WM_LBUTTONUP, keys, Centre(col, row));
  }
  // Types over a cell's text through the grid's editor.
  void TypeOver(int col, int row, const std::wstring& text) const {
    Click(col, row);
    for (wchar_t c : text) SendMessageW(Grid().Handle, WM_CHAR, c, 0);
    HWND editor = FindWindowExW(Grid().Handle, nullptr, L"EDIT", nullptr);
    ASSERT_NE(editor, nullptr);
    SendMessageW(editor, WM_KEYDOWN, VK_RETURN, 1);
  }
};

INSTANTIATE_TEST_SUITE_P(AppFolders, ModuleTab,
                         ::testing::Values("korvane", "Program Files & Co", "工具 100%"));

TEST_P(ModuleTab, ReadFillsOneRowPerModuleLineAndSumsUpTheTotals) {
  const std::vector<std::string> modules = {"net_qor_api 4.2 system", "mail 1.0 app",
                                            "dynamic_x 1.0", "游戏 2.0 app", "Net_qor_api 1.0"};
  struct Case {
    bool hide;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {false, {"net_qor_api ", "mail ", "dynamic_x ", "游戏 ", "Net_qor_api "}},
      {true, {"mail ", "游戏 ", "Net_qor_api "}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hide);
    form->CheckBox7.SetChecked(c.hide);
    Read(Listing(modules));
    ASSERT_TRUE(asked.empty()) << asked[0].text;
    EXPECT_EQ(Names(), c.names);
    EXPECT_EQ(Grid().Cells(0, 0), " ");
    EXPECT_EQ(Grid().Cells(1, 0), "模块");
    EXPECT_EQ(Boxes(), std::vector<int>(c.names.size(), 0));
    EXPECT_EQ(Grid().FixedCols(), 0);
    EXPECT_EQ(form->Label20.Text(), "模块:57 ");  // the tool's count, not the rows'
    EXPECT_EQ(form->Label21.Text(), "容量:1048576 bytes");
    // The listing stays in the pane as the tool wrote it, and in the folder.
    EXPECT_EQ(form->RichEdit1.Lines(), ListingLines(modules));
  }
  auto runs = Runs();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].commandLine.rfind(Tool() + " -u dir", 0), 0u) << runs[0].commandLine;
  EXPECT_EQ(ReadBytes(app + "dir.txt"), kwin::ToCodePage(Listing(modules), 936));
}

// What does not depend on the application folder's name.
class ModuleGrid : public ModuleTab {};
INSTANTIATE_TEST_SUITE_P(AppFolder, ModuleGrid, ::testing::Values("korvane"));

TEST_P(ModuleGrid, ListingsWithoutModulesKeepTheRowCountWithEmptyUncheckedRows) {
  // At start: 17 rows, the box column fixed.
  EXPECT_EQ(Grid().RowCount(), 17);
  EXPECT_EQ(Grid().FixedCols(), 1);
  Read("h\r\nh\r\nnot a module\r\n4 modules; 77 bytes\r\n");  // four lines
  EXPECT_EQ(Names(), std::vector<std::string>(16, ""));
  EXPECT_EQ(Boxes(), std::vector<int>(16, 0));
  EXPECT_EQ(Grid().FixedCols(), 0);
  EXPECT_EQ(form->Label20.Text(), "模块:4 ");
  EXPECT_EQ(form->Label21.Text(), "容量:77 bytes");

  Read(Listing(Modules(5)));
  Click(0, 2);
  Read(Listing(Modules(3)));  // fewer modules: the grid shrinks, all unchecked again
  EXPECT_EQ(Names(), (std::vector<std::string>{"m1 ", "m2 ", "m3 "}));
  EXPECT_EQ(Boxes(), (std::vector<int>{0, 0, 0}));
  Read("one line only 5 x; 6 y");
  EXPECT_EQ(Names(), (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(Boxes(), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(form->Label20.Text(), "模块:one ");
  EXPECT_TRUE(asked.empty());
}

TEST_P(ModuleTab, EmptyListingEndsInTheErrorBoxWithTheGridClearedAndLabelsKept) {
  Read(Listing(Modules(3)));
  Read("");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_NE(asked[0].text.find(app + "dir.txt"), std::string::npos) << asked[0].text;
  EXPECT_EQ(asked[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
  EXPECT_EQ(Grid().Cells(1, 0), "模块");
  EXPECT_EQ(Names(), (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(Boxes(), (std::vector<int>{-1, -1, -1}));
  EXPECT_EQ(Grid().FixedCols(), 1);
  EXPECT_EQ(form->Label20.Text(), "模块:57 ");
}

TEST_P(ModuleTab, ListingThatCannotBeOpenedLeavesGridAndLabelsAsTheyWere) {
  Read(Listing(Modules(2)));
  // A folder in the way: the interpreter cannot write the listing.
  ASSERT_TRUE(DeleteFileW(kwin::Widen(app + "dir.txt").c_str()));
  ASSERT_TRUE(CreateDirectoryW(kwin::Widen(app + "dir.txt").c_str(), nullptr));
  Read(Listing(Modules(4)));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].text.rfind("Cannot open file \"" + app + "dir.txt\". ", 0), 0u)
      << asked[0].text;
  EXPECT_EQ(Names(), (std::vector<std::string>{"m1 ", "m2 "}));
  EXPECT_EQ(Boxes(), (std::vector<int>{0, 0}));
}

TEST_P(ModuleTab, ClickOnANameShowsThatModulesDetailsAndTogglesNothing) {
  Read(Listing({"net_qor_api 4.2 system", "mail 1.0", "x 1", "y 1", "z 1"}));
  SetOutput("Module:     net_qor_api\r\nVersion:    4.2\r\n");
  Click(1, 1);
  EXPECT_EQ(form->RichEdit1.Lines(),
            (std::vector<std::string>{"Module:     net_qor_api", "Version:    4.2"}));
  Click(0, 2);  // a box: toggled, nothing run
  TypeOver(1, 3, L"  my game ");
  Click(1, 3);
  TypeOver(1, 4, L" ");
  Click(1, 4);
  // The listing, then a run for each click on a name, typing's included.
  auto runs = Runs();
  ASSERT_EQ(runs.size(), 6u);
  EXPECT_EQ(runs[1].commandLine, Tool() + " -u info -d net_qor_api.cod");
  EXPECT_EQ(runs[1].show, SW_HIDE);
  EXPECT_EQ(runs[3].commandLine, Tool() + " -u info -d \"my game.cod\"");
  EXPECT_EQ(runs[5].commandLine, Tool() + " -u info -d .cod");
  EXPECT_EQ(Boxes(), (std::vector<int>{0, 1, 0, 0, 0}));
}

TEST_P(ModuleGrid, ShiftClickPairsSetEveryBoxBetweenToTheAnchorsState) {
  struct Step {
    int col, row;
    bool shift;
  };
  struct Case {
    const char* label;
    std::vector<int> checkedBefore;
    std::vector<Step> clicks;
    std::vector<int> checked;
  };
  const Case cases[] = {
      {"box of row 2, then the name of row 6", {}, {{0, 2, true}, {1, 6, true}}, {2, 3, 4, 5, 6}},
      {"box of row 2, then row 1", {}, {{0, 2, true}, {1, 1, true}}, {1, 2}},
      {"clicks without Shift between",
       {},
       {{0, 2, true}, {0, 8, false}, {1, 4, true}},
       {2, 3, 4, 8}},
      {"an unchecked anchor clears", {2, 3, 4, 5}, {{1, 6, true}, {0, 3, true}}, {2}},
      {"a checked box unchecked by the anchor click",
       {1, 2, 3, 4, 5, 6},
       {{0, 6, true}, {1, 2, true}},
       {1}},
      {"the same row twice sets nothing", {}, {{1, 4, true}, {1, 4, true}}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Read(Listing(Modules(9)));
    for (int row : c.checkedBefore) form->advstringgrid1.SetCheckBoxState(0, row, true);
    for (const Step& step : c.clicks) Click(step.col, step.row, step.shift);
    EXPECT_EQ(CheckedRows(), c.checked);
    EXPECT_FALSE(form->RangePending);
  }
  // After the pair on one row, the next Shift-click starts a new range.
  Click(0, 7, true);
  EXPECT_TRUE(form->RangePending);
  EXPECT_EQ(form->RangeAnchorRow, 7);
  EXPECT_TRUE(form->RangeState);
}

TEST_P(ModuleGrid, ARangeSpansANewListing) {
  Read(Listing(Modules(9)));
  Click(0, 2, true);
  Read(Listing(Modules(6)));
  Click(1, 5, true);
  EXPECT_EQ(CheckedRows(), (std::vector<int>{2, 3, 4, 5}));
  // Rows the new listing does not have are left alone.
  Click(0, 3, true);  // unchecks row 3: the anchor's state is now unchecked
  Read(Listing(Modules(2)));
  Click(1, 1, true);
  EXPECT_EQ(Boxes(), (std::vector<int>{0, 0}));
  EXPECT_TRUE(asked.empty());
}

TEST_P(ModuleGrid, SelectionIsTheCheckedRowsNamesTopToBottom) {
  Read(Listing(Modules(4)));
  Click(0, 3);
  Click(0, 1);
  TypeOver(1, 3, L" typed name  ");
  EXPECT_EQ(form->SelectedNames(), (std::vector<std::string>{"m1", "typed name"}));
  Click(0, 1);
  Click(0, 3);
  EXPECT_TRUE(form->SelectedNames().empty());
}

// korvane against the simulated handheld: its listing must fill the grid by
// korvane's own reading of the layout.
class SimulatedHandheld : public ModuleTab {
 protected:
  void SetUp() override {
    ModuleTab::SetUp();
    ASSERT_TRUE(CopyFileW(kwin::Widen(TestProgramFolder() + "zemblor.exe").c_str(),
                          kwin::Widen(app + "zemblor.exe").c_str(), FALSE));
    std::string root = app.substr(0, app.find_last_of('\\', app.size() - 2) + 1);
    SetEnvironmentVariableW(L"ZEMBLOR_SIM_STATE", kwin::Widen(root + "handheld").c_str());
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"ZEMBLOR_SIM_STATE", nullptr);
    ModuleTab::TearDown();
  }
};

INSTANTIATE_TEST_SUITE_P(AppFolders, SimulatedHandheld,
                         ::testing::Values("korvane", "Program Files & Co"));

TEST_P(SimulatedHandheld, ItsListingFillsTheGridAndItsDetailsFollowAClick) {
  form->CheckBox7.SetChecked(false);
  SendMessageW(form->Button7.Handle, BM_CLICK, 0, 0);
  ASSERT_TRUE(asked.empty()) << asked[0].text;
  std::vector<std::string> names = Names();
  ASSERT_EQ(names.size(), 30u);
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    ASSERT_GE(name.size(), 2u);
    EXPECT_EQ(name.find(' '), name.size() - 1);  // one word and its closing blank
  }
  EXPECT_EQ(std::count_if(names.begin(), names.end(),
                          [](const std::string& n) { return IsSystemModuleName(n); }),
            20);
  EXPECT_EQ(form->Label20.Text(), "模块:30 ");
  std::string capacity = form->Label21.Text();
  EXPECT_EQ(capacity.rfind("容量:", 0), 0u) << capacity;
  EXPECT_TRUE(capacity.ends_with(" bytes")) << capacity;
  EXPECT_GT(std::stoll(capacity.substr(std::string("容量:").size())), 0);

  form->CheckBox7.SetChecked(true);
  SendMessageW(form->Button7.Handle, BM_CLICK, 0, 0);
  names = Names();
  ASSERT_EQ(names.size(), 10u);
  EXPECT_TRUE(std::none_of(names.begin(), names.end(),
                           [](const std::string& n) { return IsSystemModuleName(n); }));

  Click(1, 1);
  std::vector<std::string> details = form->RichEdit1.Lines();
  ASSERT_FALSE(details.empty());
  EXPECT_EQ(details[0], "Module:     " + Strip(names[0]));
}

}  // namespace
}  // namespace korvane::testing
