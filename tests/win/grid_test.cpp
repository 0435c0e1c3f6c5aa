// The grid control driven by the messages a user's mouse and keyboard
// produce, in a hidden window that records what the grid tells it.

#include "kwin/grid.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kwin {
namespace {

const wchar_t kParentClass[] = L"GridTestParent";

class GridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterGridClass();
    static bool registered = false;
    if (!registered) {
      WNDCLASSW parent{};
      parent.lpfnWndProc = ParentProc;
      parent.hInstance = GetModuleHandleW(nullptr);
      parent.lpszClassName = kParentClass;
      ASSERT_TRUE(RegisterClassW(&parent));
      registered = true;
    }
    parent_ = CreateWindowExW(0, kParentClass, L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent_, nullptr);
    SetWindowLongPtrW(parent_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    grid = CreateWindowExW(0, kGridClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, parent_,
                           reinterpret_cast<HMENU>(INT_PTR{7}), GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(grid, nullptr);
    // The module grid's shape: a box column, a name column, a header row.
    Send(GRM_SETCOLCOUNT, 3);
    Send(GRM_SETROWCOUNT, 30);
    Send(GRM_SETFIXEDROWS, 1);
    Send(GRM_SETFIXEDCOLS, 0);
    Send(GRM_SETCOLWIDTH, 0, 20);
    Send(GRM_SETCOLWIDTH, 1, 120);
    Send(GRM_SETROWHEIGHT, 20);
    for (int row = 1; row < 30; ++row) {
      AddBox(0, row, false);
      SetText(1, row, L"m" + std::to_wstring(row));
    }
  }
  void TearDown() override { DestroyWindow(parent_); }

  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return SendMessageW(grid, message, wParam, lParam);
  }
  void SetText(int col, int row, const std::wstring& text) const {
    GridCell cell{col, row};
    Send(GRM_SETCELLTEXT, reinterpret_cast<WPARAM>(&cell), reinterpret_cast<LPARAM>(text.c_str()));
  }
  std::wstring Text(int col, int row) const {
    wchar_t buffer[256] = {};
    GridText request{{col, row}, buffer, 256};
    Send(GRM_GETCELLTEXT, 0, reinterpret_cast<LPARAM>(&request));
    return buffer;
  }
  void AddBox(int col, int row, bool state) const {
    GridCell cell{col, row};
    Send(GRM_ADDCHECKBOX, reinterpret_cast<WPARAM>(&cell), state);
  }
  LRESULT Box(int col, int row) const {
    GridCell cell{col, row};
    return Send(GRM_GETCHECKBOX, reinterpret_cast<WPARAM>(&cell));
  }
  GridCell Current() const {
    GridCell cell{};
    Send(GRM_GETCURRENT, 0, reinterpret_cast<LPARAM>(&cell));
    return cell;
  }
  std::string CurrentText() const {
    GridCell c = Current();
    return std::to_string(c.col) + "," + std::to_string(c.row);
  }
  bool InView(int col, int row, RECT* rect) const {
    GridCell cell{col, row};
    return Send(GRM_GETCELLRECT, reinterpret_cast<WPARAM>(&cell), reinterpret_cast<LPARAM>(rect));
  }
  LPARAM Centre(int col, int row) const {
    RECT r{};
    EXPECT_TRUE(InView(col, row, &r)) << col << "," << row;
    return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  void Click(int col, int row, UINT keys = 0) const {
    Send(WM_LBUTTONDOWN, MK_LBUTTON | keys, Centre(col, row));
    Send(WM_LBUTTONUP, keys, Centre(col, row));
  }
  void Key(UINT key, LPARAM flags = 1) const { Send(WM_KEYDOWN, key, flags); }
  void KeyWithControl(UINT key) const {
    BYTE keys[256] = {};
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    Key(key);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
  }
  HWND Editor() const { return FindWindowExW(grid, nullptr, L"EDIT", nullptr); }
  bool Editing() const {
    HWND editor = Editor();
    return editor && (GetWindowLongW(editor, GWL_STYLE) & WS_VISIBLE);
  }
  std::wstring EditorText() const {
    wchar_t text[256] = {};
    GetWindowTextW(Editor(), text, 256);
    return text;
  }

  HWND grid = nullptr;
  // What the parent heard, one line per notification.
  std::vector<std::string> events;

 private:
  static LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* test = reinterpret_cast<GridTest*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message != WM_NOTIFY || !test) return DefWindowProcW(window, message, wParam, lParam);
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    EXPECT_EQ(header->hwndFrom, test->grid);
    EXPECT_EQ(header->idFrom, 7u);
    if (header->code == GRN_CLICKCELL) {
      GridCell c = reinterpret_cast<const GridCellNotify*>(lParam)->cell;
      // What the handler of the event would find in the grid.
      test->events.push_back("click " + std::to_string(c.col) + "," + std::to_string(c.row) +
                             " box " + std::to_string(test->Box(c.col, c.row)) + " current " +
                             test->CurrentText());
    } else if (header->code == GRN_MOUSEUP) {
      const auto* up = reinterpret_cast<const GridMouseNotify*>(lParam);
      const char* button[] = {"left", "right", "middle"};
      test->events.push_back(std::string("up ") + button[static_cast<int>(up->button)] +
                             ((up->keys & MK_SHIFT) ? " shift" : ""));
    }
    return 0;
  }

  HWND parent_ = nullptr;
};

TEST_F(GridTest, ClickTogglesOnButtonDownThenReportsTheCellThenTheRelease) {
  Click(0, 2, MK_SHIFT);
  Click(1, 5);
  EXPECT_EQ(events, (std::vector<std::string>{"click 0,2 box 1 current 0,2", "up left shift",
                                              "click 1,5 box -1 current 1,5", "up left"}));
  EXPECT_EQ(Box(0, 2), 1);
  EXPECT_EQ(Box(0, 5), 0);  // a click on the name leaves the row's box alone
  Click(0, 2);
  EXPECT_EQ(Box(0, 2), 0);
}

TEST_F(GridTest, FixedCellsReportClicksButNeitherToggleNorBecomeCurrent) {
  AddBox(0, 0, false);  // a box in the header row
  Click(0, 0);
  Send(GRM_SETFIXEDCOLS, 1);
  Click(0, 4);  // a box in the fixed column
  EXPECT_EQ(Box(0, 0), 0);
  EXPECT_EQ(Box(0, 4), 0);
  EXPECT_EQ(events, (std::vector<std::string>{"click 0,0 box 0 current 1,1", "up left",
                                              "click 0,4 box 0 current 1,1", "up left"}));
  events.clear();
  // Below the last row: no cell, so no click; the release is still reported.
  Send(GRM_SETROWCOUNT, 3);
  Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 150));
  Send(WM_LBUTTONUP, 0, MAKELPARAM(30, 150));
  Send(WM_RBUTTONUP, MK_SHIFT, Centre(1, 2));
  EXPECT_EQ(events, (std::vector<std::string>{"up left", "up right shift"}));
}

TEST_F(GridTest, SpaceTogglesTheCurrentCellsBoxOncePerPress) {
  Click(1, 3);
  Key(VK_LEFT);
  EXPECT_EQ(CurrentText(), "0,3");
  Key(VK_SPACE);
  EXPECT_EQ(Box(0, 3), 1);
  Key(VK_SPACE, 1 | (1 << 30));  // the key held: a repeat
  EXPECT_EQ(Box(0, 3), 1);
  Key(VK_SPACE);
  EXPECT_EQ(Box(0, 3), 0);
  Key(VK_RIGHT);
  Key(VK_SPACE);  // no box here
  EXPECT_EQ(Box(1, 3), kGridNoCheckBox);
  EXPECT_EQ(Box(0, 3), 0);
}

TEST_F(GridTest, KeysMoveTheCurrentCellWithinTheBody) {
  struct Case {
    UINT key;
    bool control;
    const char* current;
  };
  // From 1,5; the view holds eight and a half rows of 21 pixels below the
  // header, the body has rows 1 to 29.
  const Case cases[] = {
      {VK_UP, false, "1,4"},    {VK_DOWN, false, "1,6"}, {VK_LEFT, false, "0,5"},
      {VK_RIGHT, false, "2,5"}, {VK_HOME, false, "0,5"}, {VK_END, false, "2,5"},
      {VK_HOME, true, "1,1"},   {VK_END, true, "1,29"},  {VK_NEXT, false, "1,13"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.current);
    Send(WM_VSCROLL, SB_TOP);
    Click(1, 5);
    if (c.control) {
      KeyWithControl(c.key);
    } else {
      Key(c.key);
    }
    EXPECT_EQ(CurrentText(), c.current);
  }
  Send(WM_VSCROLL, SB_TOP);
  Click(1, 2);
  Key(VK_UP);
  Key(VK_UP);  // not into the header row
  EXPECT_EQ(CurrentText(), "1,1");
  Key(VK_PRIOR);
  EXPECT_EQ(CurrentText(), "1,1");
}

TEST_F(GridTest, RowsOutOfViewScrollInWithTheCurrentCell) {
  // 29 body rows of 21 pixels do not fit into 200: a vertical bar, no other,
  // from the first time the grid is looked at.
  RECT r;
  EXPECT_FALSE(InView(1, 29, &r));
  EXPECT_TRUE(GetWindowLongW(grid, GWL_STYLE) & WS_VSCROLL);
  EXPECT_FALSE(GetWindowLongW(grid, GWL_STYLE) & WS_HSCROLL);
  Click(1, 1);
  KeyWithControl(VK_END);
  EXPECT_EQ(CurrentText(), "1,29");
  ASSERT_TRUE(InView(1, 29, &r));
  RECT client;
  GetClientRect(grid, &client);
  EXPECT_LE(r.bottom, client.bottom);
  EXPECT_FALSE(InView(1, 1, &r));
  EXPECT_TRUE(InView(1, 0, &r));  // the header row stays
  EXPECT_EQ(r.top, 0);
  SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, 0, 0};
  GetScrollInfo(grid, SB_VERT, &info);
  EXPECT_GT(info.nPos, 0);
  Send(WM_VSCROLL, SB_TOP);
  EXPECT_TRUE(InView(1, 1, &r));
  // Fewer rows: the bar goes.
  Send(GRM_SETROWCOUNT, 5);
  EXPECT_TRUE(InView(1, 4, &r));
  EXPECT_FALSE(GetWindowLongW(grid, GWL_STYLE) & WS_VSCROLL);
}

TEST_F(GridTest, EditingStartsByTypingF2OrDoubleClickAndEndsByEnterOrLeaving) {
  Send(GRM_SETEDITING, TRUE);
  Click(1, 3);
  Send(WM_CHAR, L'n');  // typing replaces the text
  ASSERT_TRUE(Editing());
  EXPECT_EQ(EditorText(), L"n");
  SendMessageW(Editor(), WM_CHAR, L'x', 0);
  SendMessageW(Editor(), WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_FALSE(Editing());
  EXPECT_EQ(Text(1, 3), L"nx");

  Key(VK_DOWN);
  Key(VK_F2);  // F2 edits the text as it is
  ASSERT_TRUE(Editing());
  EXPECT_EQ(EditorText(), L"m4");
  SendMessageW(Editor(), WM_CHAR, L'!', 0);
  SendMessageW(Editor(), WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_FALSE(Editing());
  EXPECT_EQ(Text(1, 4), L"m4");

  Send(WM_LBUTTONDBLCLK, MK_LBUTTON, Centre(1, 6));
  ASSERT_TRUE(Editing());
  EXPECT_EQ(EditorText(), L"m6");
  SendMessageW(Editor(), WM_CHAR, L'?', 0);
  Click(1, 8);  // leaving the cell keeps the text
  EXPECT_FALSE(Editing());
  EXPECT_EQ(Text(1, 6), L"m6?");
  EXPECT_EQ(CurrentText(), "1,8");
}

TEST_F(GridTest, NoEditorWithEditingOffInBoxCellsOrInFixedCells) {
  Click(1, 3);
  Key(VK_F2);
  Send(WM_CHAR, L'a');
  EXPECT_FALSE(Editing());
  Send(GRM_SETEDITING, TRUE);
  Click(0, 3);
  Key(VK_F2);
  Send(WM_CHAR, L'a');
  Send(WM_LBUTTONDBLCLK, MK_LBUTTON, Centre(1, 0));
  EXPECT_FALSE(Editing());
  EXPECT_EQ(Text(1, 3), L"m3");
  EXPECT_EQ(Text(1, 0), L"");
}

TEST_F(GridTest, ClearingKeepsTheCountsAndShrinkingDropsTheRowsCut) {
  // Cells beyond the rows are kept until the grid grows to show them.
  SetText(1, 40, L"later");
  EXPECT_EQ(Text(1, 40), L"later");
  Send(GRM_SETROWCOUNT, 41);
  EXPECT_EQ(Text(1, 40), L"later");
  Click(1, 1);
  KeyWithControl(VK_END);
  Send(GRM_SETROWCOUNT, 10);
  EXPECT_EQ(CurrentText(), "1,9");
  Send(GRM_SETROWCOUNT, 41);
  EXPECT_EQ(Text(1, 40), L"");
  EXPECT_EQ(Box(0, 12), kGridNoCheckBox);
  EXPECT_EQ(Text(1, 9), L"m9");

  Send(GRM_CLEARALL);
  EXPECT_EQ(Send(GRM_GETROWCOUNT), 41);
  EXPECT_EQ(Send(GRM_GETCOLCOUNT), 3);
  EXPECT_EQ(Send(GRM_GETFIXEDROWS), 1);
  EXPECT_EQ(Text(1, 9), L"");
  EXPECT_EQ(Box(0, 9), kGridNoCheckBox);
  GridCell none{0, 9};
  EXPECT_FALSE(Send(GRM_SETCHECKBOX, reinterpret_cast<WPARAM>(&none), TRUE));
  EXPECT_EQ(Box(0, 9), kGridNoCheckBox);
  // Fixed lines never outnumber the lines.
  Send(GRM_SETFIXEDCOLS, 5);
  EXPECT_EQ(Send(GRM_GETFIXEDCOLS), 3);
  Send(GRM_SETROWCOUNT, -1);
  EXPECT_EQ(Send(GRM_GETROWCOUNT), 0);
}

}  // namespace
}  // namespace kwin
