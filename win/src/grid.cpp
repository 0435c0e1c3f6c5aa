#include "kwin/grid.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "korvane/error.h"
#include "korvane/grid_axis.h"
#include "kwin/text.h"

namespace kwin {

namespace {

constexpr COLORREF kGridLineColour = RGB(192, 192, 192);  // silver
constexpr int kCheckBoxSize = 15;
constexpr int kTextMargin = 2;
constexpr int kWheelLines = 3;

enum : signed char { kNoBox = -1, kUnchecked = 0, kChecked = 1 };

struct Cell {
  std::wstring text;
  signed char box = kNoBox;
};

LRESULT CALLBACK EditorProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR grid);

class Grid {
 public:
  explicit Grid(HWND window) : window_(window) {}

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  // Ends the edit in progress, keeping the text typed or not. The focus goes
  // back to the grid when the editor has it and refocus is set.
  void EndEdit(bool keep, bool refocus);
  HWND Window() const { return window_; }

 private:
  struct Lines {
    int first, last;  // [first, last)
  };

  bool IsBody(GridCell c) const {
    return c.col >= fixedCols_ && c.row >= fixedRows_ && c.col < cols_.Count() &&
           c.row < rows_.Count();
  }
  const Cell* Find(GridCell c) const;
  Cell* Find(GridCell c) { return const_cast<Cell*>(std::as_const(*this).Find(c)); }
  // The cell's storage, made when missing; null outside the lines kept.
  Cell* Make(GridCell c);
  bool HasBox(GridCell c) const {
    const Cell* cell = Find(c);
    return cell && cell->box != kNoBox;
  }

  int Scale(int pixels) const { return MulDiv(pixels, static_cast<int>(dpi_), 96); }
  int FixedWidth() const { return cols_.Offset(fixedCols_); }
  int FixedHeight() const { return rows_.Offset(fixedRows_); }
  RECT Client() const;
  int BodyWidth() const { return std::max(0, static_cast<int>(Client().right) - FixedWidth()); }
  int BodyHeight() const { return std::max(0, static_cast<int>(Client().bottom) - FixedHeight()); }
  // Where the cell lies in the client area, without its grid lines.
  RECT CellRect(GridCell c) const;
  bool InView(GridCell c, RECT* rect) const;
  std::optional<GridCell> CellAt(POINT point) const;
  static Lines VisibleLines(const korvane::GridAxis& axis, int fixed, int scroll, int extent);

  // Layout changes (counts, sizes, client size) bring the scroll bars up to
  // date when they are next needed, not at every change: filling a grid row
  // by row costs nothing on screen until it is painted.
  void Relayout();
  void EnsureLayout();
  void UpdateScrollBar(int bar);
  void Invalidate();
  void ScrollTo(int x, int y);
  void ScrollIntoView(GridCell c);
  void OnScroll(int bar, int code);

  void ClampCurrent();
  void MoveCurrent(GridCell to);
  void Toggle(GridCell c);

  void OnButtonDown(LPARAM lParam, bool doubleClick);
  void OnButtonUp(GridButton button, WPARAM keys, LPARAM lParam);
  void OnKeyDown(WPARAM key, LPARAM flags);
  void OnChar(WPARAM character);
  void Notify(NMHDR& header) const;

  // typed: the character that starts the edit and replaces the text, or 0
  // to edit the text as it is.
  void StartEdit(wchar_t typed);

  void Paint();
  void PaintCell(HDC dc, GridCell c, HBRUSH lineBrush) const;

  HWND window_;
  HWND editor_ = nullptr;
  korvane::GridAxis cols_{5, 64};
  korvane::GridAxis rows_{5, 24};
  int fixedCols_ = 1;
  int fixedRows_ = 1;
  std::vector<std::vector<Cell>> cells_;  // by row, then column
  GridCell current_{1, 1};
  int scrollX_ = 0;  // pixels of the body scrolled out to the left
  int scrollY_ = 0;  // and to the top
  UINT dpi_ = 96;
  HFONT font_ = nullptr;
  bool editable_ = false;
  bool editing_ = false;
  GridCell edited_{0, 0};
  bool layoutDirty_ = true;
  bool invalid_ = false;  // the whole client area waits for WM_PAINT
  bool spaceHeld_ = false;
};

const Cell* Grid::Find(GridCell c) const {
  if (c.row < 0 || c.col < 0 || static_cast<size_t>(c.row) >= cells_.size()) return nullptr;
  const std::vector<Cell>& row = cells_[static_cast<size_t>(c.row)];
  return static_cast<size_t>(c.col) < row.size() ? &row[static_cast<size_t>(c.col)] : nullptr;
}

Cell* Grid::Make(GridCell c) {
  if (c.row < 0 || c.col < 0 || c.row >= kGridMaxLines || c.col >= kGridMaxLines) return nullptr;
  auto row = static_cast<size_t>(c.row);
  auto col = static_cast<size_t>(c.col);
  if (row >= cells_.size()) cells_.resize(row + 1);
  if (col >= cells_[row].size()) cells_[row].resize(col + 1);
  return &cells_[row][col];
}

RECT Grid::Client() const {
  RECT client;
  GetClientRect(window_, &client);
  return client;
}

RECT Grid::CellRect(GridCell c) const {
  int x = cols_.Offset(c.col) - (c.col >= fixedCols_ ? scrollX_ : 0);
  int y = rows_.Offset(c.row) - (c.row >= fixedRows_ ? scrollY_ : 0);
  return {x, y, x + cols_.Size(c.col), y + rows_.Size(c.row)};
}

bool Grid::InView(GridCell c, RECT* rect) const {
  RECT client = Client();
  RECT area{c.col < fixedCols_ ? 0 : FixedWidth(), c.row < fixedRows_ ? 0 : FixedHeight(),
            client.right, client.bottom};
  *rect = CellRect(c);
  RECT shown;
  return IntersectRect(&shown, rect, &area) != FALSE;
}

std::optional<GridCell> Grid::CellAt(POINT point) const {
  auto index = [](const korvane::GridAxis& axis, int fixed, int scroll, int at) {
    int fixedExtent = axis.Offset(fixed);
    return at < 0 ? axis.Count() : axis.IndexAt(at < fixedExtent ? at : at + scroll);
  };
  GridCell c{index(cols_, fixedCols_, scrollX_, point.x),
             index(rows_, fixedRows_, scrollY_, point.y)};
  if (c.col >= cols_.Count() || c.row >= rows_.Count()) return std::nullopt;
  return c;
}

Grid::Lines Grid::VisibleLines(const korvane::GridAxis& axis, int fixed, int scroll, int extent) {
  int fixedExtent = axis.Offset(fixed);
  if (extent <= fixedExtent) return {fixed, fixed};
  int first = std::max(fixed, axis.IndexAt(fixedExtent + scroll));
  int last = std::min(axis.Count(), axis.IndexAt(extent - 1 + scroll) + 1);
  return {first, std::max(first, last)};
}

void Grid::Relayout() {
  layoutDirty_ = true;
  Invalidate();
}

void Grid::EnsureLayout() {
  // Showing or hiding one bar changes the room for the other.
  for (int pass = 0; layoutDirty_ && pass < 4; ++pass) {
    layoutDirty_ = false;
    UpdateScrollBar(SB_HORZ);
    UpdateScrollBar(SB_VERT);
  }
}

void Grid::UpdateScrollBar(int bar) {
  bool horizontal = bar == SB_HORZ;
  const korvane::GridAxis& axis = horizontal ? cols_ : rows_;
  int fixed = horizontal ? fixedCols_ : fixedRows_;
  int& scroll = horizontal ? scrollX_ : scrollY_;
  int view = horizontal ? BodyWidth() : BodyHeight();
  int content = axis.Offset(axis.Count()) - axis.Offset(fixed);
  scroll = std::clamp(scroll, 0, std::max(0, content - view));
  SCROLLINFO info{sizeof info,
                  SIF_RANGE | SIF_PAGE | SIF_POS,
                  0,
                  std::max(0, content - 1),
                  static_cast<UINT>(view),
                  scroll,
                  0};
  SetScrollInfo(window_, bar, &info, TRUE);
}

void Grid::Invalidate() {
  if (invalid_) return;
  invalid_ = true;
  InvalidateRect(window_, nullptr, FALSE);
}

void Grid::ScrollTo(int x, int y) {
  EnsureLayout();
  int maxX = std::max(0, cols_.Offset(cols_.Count()) - FixedWidth() - BodyWidth());
  int maxY = std::max(0, rows_.Offset(rows_.Count()) - FixedHeight() - BodyHeight());
  x = std::clamp(x, 0, maxX);
  y = std::clamp(y, 0, maxY);
  if (x == scrollX_ && y == scrollY_) return;
  EndEdit(true, true);
  scrollX_ = x;
  scrollY_ = y;
  SetScrollPos(window_, SB_HORZ, x, TRUE);
  SetScrollPos(window_, SB_VERT, y, TRUE);
  Invalidate();
}

void Grid::ScrollIntoView(GridCell c) {
  EnsureLayout();
  auto shown = [](const korvane::GridAxis& axis, int fixed, int index, int scroll, int view) {
    int start = axis.Offset(index) - axis.Offset(fixed);
    int end = axis.Offset(index + 1) - axis.Offset(fixed);
    if (start < scroll) return start;
    if (end > scroll + view) return std::min(start, end - view);
    return scroll;
  };
  ScrollTo(shown(cols_, fixedCols_, c.col, scrollX_, BodyWidth()),
           shown(rows_, fixedRows_, c.row, scrollY_, BodyHeight()));
}

void Grid::OnScroll(int bar, int code) {
  bool horizontal = bar == SB_HORZ;
  int position = horizontal ? scrollX_ : scrollY_;
  int line = horizontal ? cols_.Size(fixedCols_) + 1 : rows_.Size(fixedRows_) + 1;
  int page = std::max(line, horizontal ? BodyWidth() : BodyHeight());
  switch (code) {
    case SB_LINEUP:
      position -= line;
      break;
    case SB_LINEDOWN:
      position += line;
      break;
    case SB_PAGEUP:
      position -= page;
      break;
    case SB_PAGEDOWN:
      position += page;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      // The 32-bit position: the message itself carries only 16 bits.
      SCROLLINFO info{sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
      GetScrollInfo(window_, bar, &info);
      position = info.nTrackPos;
      break;
    }
    case SB_TOP:
      position = 0;
      break;
    case SB_BOTTOM:
      position = INT_MAX;
      break;
    default:
      return;
  }
  if (horizontal) {
    ScrollTo(position, scrollY_);
  } else {
    ScrollTo(scrollX_, position);
  }
}

void Grid::ClampCurrent() {
  current_.col = std::clamp(current_.col, fixedCols_, std::max(fixedCols_, cols_.Count() - 1));
  current_.row = std::clamp(current_.row, fixedRows_, std::max(fixedRows_, rows_.Count() - 1));
}

void Grid::MoveCurrent(GridCell to) {
  if (cols_.Count() <= fixedCols_ || rows_.Count() <= fixedRows_) return;
  GridCell before = current_;
  current_ = to;
  ClampCurrent();
  if (current_.col != before.col || current_.row != before.row) {
    EndEdit(true, true);
    Invalidate();
  }
  ScrollIntoView(current_);
}

void Grid::Toggle(GridCell c) {
  Cell* cell = Find(c);
  if (!cell || cell->box == kNoBox) return;
  cell->box = cell->box == kChecked ? kUnchecked : kChecked;
  Invalidate();
}

void Grid::Notify(NMHDR& header) const {
  header.hwndFrom = window_;
  header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(window_));
  SendMessageW(GetParent(window_), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

void Grid::OnButtonDown(LPARAM lParam, bool doubleClick) {
  EndEdit(true, true);
  SetFocus(window_);
  EnsureLayout();
  std::optional<GridCell> hit = CellAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
  if (hit) {
    if (IsBody(*hit)) {
      MoveCurrent(*hit);
      Toggle(*hit);
    }
    GridCellNotify note{{}, *hit};
    note.header.code = GRN_CLICKCELL;
    // The parent's handler may do anything, even destroy the grid.
    HWND window = window_;
    Notify(note.header);
    if (!IsWindow(window)) return;
    if (doubleClick && current_.col == hit->col && current_.row == hit->row) StartEdit(0);
  }
  SetCapture(window_);
}

void Grid::OnButtonUp(GridButton button, WPARAM keys, LPARAM lParam) {
  if (button == GridButton::kLeft && GetCapture() == window_) ReleaseCapture();
  GridMouseNotify note{
      {}, button, static_cast<UINT>(keys), {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}};
  note.header.code = GRN_MOUSEUP;
  Notify(note.header);
}

void Grid::OnKeyDown(WPARAM key, LPARAM flags) {
  EnsureLayout();
  bool control = GetKeyState(VK_CONTROL) < 0;
  GridCell to = current_;
  switch (key) {
    case VK_UP:
      --to.row;
      break;
    case VK_DOWN:
      ++to.row;
      break;
    case VK_LEFT:
      --to.col;
      break;
    case VK_RIGHT:
      ++to.col;
      break;
    case VK_PRIOR:
      to.row = std::min(current_.row - 1,
                        rows_.IndexAt(std::max(0, rows_.Offset(current_.row) - BodyHeight())));
      break;
    case VK_NEXT:
      to.row = std::max(current_.row + 1, rows_.IndexAt(rows_.Offset(current_.row) + BodyHeight()));
      break;
    case VK_HOME:
      (control ? to.row : to.col) = 0;
      break;
    case VK_END:
      (control ? to.row : to.col) = kGridMaxLines;
      break;
    case VK_F2:
      StartEdit(0);
      return;
    case VK_SPACE:
      // Held down, the key repeats: the box changes once per press.
      if (!(flags & (1 << 30))) Toggle(current_);
      return;
    default:
      return;
  }
  MoveCurrent(to);
}

void Grid::OnChar(WPARAM character) {
  if (editing_) {
    // Typed before the editor took the focus, such as the second half of a
    // surrogate pair.
    SendMessageW(editor_, WM_CHAR, character, 0);
  } else if (character >= L' ' && character != 0x7F) {
    StartEdit(static_cast<wchar_t>(character));
  }
}

void Grid::StartEdit(wchar_t typed) {
  if (!editable_ || editing_ || !IsBody(current_) || HasBox(current_)) return;
  if (!editor_) {
    editor_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | ES_LEFT | ES_AUTOHSCROLL, 0, 0, 0, 0,
                              window_, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!editor_) return;
    SetWindowSubclass(editor_, EditorProc, 0, reinterpret_cast<DWORD_PTR>(this));
  }
  ScrollIntoView(current_);
  std::wstring text;
  if (typed) {
    text.assign(1, typed);
  } else if (const Cell* cell = Find(current_)) {
    text = cell->text;
  }
  RECT r = CellRect(current_);
  SendMessageW(editor_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  SendMessageW(editor_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
               MAKELPARAM(Scale(kTextMargin) - 1, 0));
  MoveWindow(editor_, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
  SetWindowTextW(editor_, text.c_str());
  SendMessageW(editor_, EM_SETSEL, text.size(), text.size());
  edited_ = current_;
  editing_ = true;
  ShowWindow(editor_, SW_SHOW);
  SetFocus(editor_);
  Invalidate();
}

void Grid::EndEdit(bool keep, bool refocus) {
  if (!editing_) return;
  editing_ = false;
  if (keep) {
    int length = GetWindowTextLengthW(editor_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(editor_, text.data(), length + 1)));
    if (Cell* cell = Make(edited_)) cell->text = std::move(text);
  }
  if (refocus && GetFocus() == editor_) SetFocus(window_);
  ShowWindow(editor_, SW_HIDE);
  Invalidate();
}

LRESULT CALLBACK EditorProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR data) {
  auto* grid = reinterpret_cast<Grid*>(data);
  switch (message) {
    case WM_GETDLGCODE: {
      // Enter and Escape belong to the edit, not to the dialog around it.
      LRESULT code = DefSubclassProc(edit, message, wParam, lParam);
      const auto* msg = reinterpret_cast<const MSG*>(lParam);
      if (msg && msg->message == WM_KEYDOWN &&
          (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE))
        code |= DLGC_WANTMESSAGE;
      return code;
    }
    case WM_KEYDOWN:
      switch (wParam) {
        case VK_RETURN:
          grid->EndEdit(true, true);
          return 0;
        case VK_ESCAPE:
          grid->EndEdit(false, true);
          return 0;
        case VK_UP:
        case VK_DOWN:
          grid->EndEdit(true, true);
          SendMessageW(grid->Window(), WM_KEYDOWN, wParam, lParam);
          return 0;
        default:
          break;
      }
      break;
    case WM_CHAR:
      if (wParam == L'\r' || wParam == L'\x1b') return 0;  // no beep
      break;
    case WM_KILLFOCUS: {
      LRESULT result = DefSubclassProc(edit, message, wParam, lParam);
      grid->EndEdit(true, false);
      return result;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(edit, EditorProc, 0);
      break;
    default:
      break;
  }
  return DefSubclassProc(edit, message, wParam, lParam);
}

void Grid::PaintCell(HDC dc, GridCell c, HBRUSH lineBrush) const {
  RECT r = CellRect(c);
  RECT withLines{r.left, r.top, r.right + 1, r.bottom + 1};
  FillRect(dc, &withLines, lineBrush);
  bool fixed = !IsBody(c);
  bool current = !fixed && c.col == current_.col && c.row == current_.row;
  int background = fixed ? COLOR_BTNFACE : current ? COLOR_HIGHLIGHT : COLOR_WINDOW;
  FillRect(dc, &r, GetSysColorBrush(background));
  if (fixed) {
    RECT edge = r;
    DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
  }
  RECT text = r;
  text.left += Scale(kTextMargin);
  const Cell* cell = Find(c);
  if (cell && cell->box != kNoBox) {
    int size = Scale(kCheckBoxSize);
    RECT box{text.left, r.top + (r.bottom - r.top - size) / 2, 0, 0};
    box.right = box.left + size;
    box.bottom = box.top + size;
    DrawFrameControl(dc, &box, DFC_BUTTON,
                     DFCS_BUTTONCHECK | (cell->box == kChecked ? DFCS_CHECKED : 0));
    text.left = box.right + Scale(kTextMargin);
  }
  if (cell && !cell->text.empty()) {
    SetTextColor(dc, GetSysColor(fixed     ? COLOR_BTNTEXT
                                 : current ? COLOR_HIGHLIGHTTEXT
                                           : COLOR_WINDOWTEXT));
    DrawTextW(dc, cell->text.data(), static_cast<int>(cell->text.size()), &text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  if (current && GetFocus() == window_) DrawFocusRect(dc, &r);
}

void Grid::Paint() {
  EnsureLayout();
  invalid_ = false;
  PAINTSTRUCT ps;
  HDC target = BeginPaint(window_, &ps);
  RECT client = Client();
  // Drawn off screen first, so that nothing flickers.
  HDC dc = CreateCompatibleDC(target);
  HBITMAP bitmap =
      CreateCompatibleBitmap(target, std::max(1L, client.right), std::max(1L, client.bottom));
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  HGDIOBJ oldFont = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
  HBRUSH lineBrush = CreateSolidBrush(kGridLineColour);

  Lines bodyCols = VisibleLines(cols_, fixedCols_, scrollX_, client.right);
  Lines bodyRows = VisibleLines(rows_, fixedRows_, scrollY_, client.bottom);
  Lines fixedCols{0, std::min(fixedCols_, cols_.IndexAt(client.right - 1) + 1)};
  Lines fixedRows{0, std::min(fixedRows_, rows_.IndexAt(client.bottom - 1) + 1)};
  // The body first: the fixed lines are drawn over the cells scrolled
  // partly beneath them.
  for (const auto& [cols, rows] : {std::pair{bodyCols, bodyRows}, std::pair{fixedCols, bodyRows},
                                   std::pair{bodyCols, fixedRows}, std::pair{fixedCols, fixedRows}})
    for (int row = rows.first; row < rows.last; ++row)
      for (int col = cols.first; col < cols.last; ++col) PaintCell(dc, {col, row}, lineBrush);

  BitBlt(target, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
         ps.rcPaint.bottom - ps.rcPaint.top, dc, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
  DeleteObject(lineBrush);
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  EndPaint(window_, &ps);
}

LRESULT Grid::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  auto cellOf = [](WPARAM p) { return *reinterpret_cast<const GridCell*>(p); };
  auto count = [](WPARAM n) {
    return static_cast<int>(std::clamp<INT_PTR>(static_cast<INT_PTR>(n), 0, kGridMaxLines));
  };
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      Relayout();
      return 0;
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wParam);
      if (editor_) SendMessageW(editor_, WM_SETFONT, wParam, FALSE);
      Invalidate();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Invalidate();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      OnButtonDown(lParam, message == WM_LBUTTONDBLCLK);
      return 0;
    case WM_LBUTTONUP:
      OnButtonUp(GridButton::kLeft, wParam, lParam);
      return 0;
    case WM_RBUTTONUP:
      OnButtonUp(GridButton::kRight, wParam, lParam);
      return 0;
    case WM_MBUTTONUP:
      OnButtonUp(GridButton::kMiddle, wParam, lParam);
      return 0;
    case WM_KEYDOWN:
      OnKeyDown(wParam, lParam);
      return 0;
    case WM_CHAR:
      OnChar(wParam);
      return 0;
    case WM_VSCROLL:
    case WM_HSCROLL:
      OnScroll(message == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(wParam));
      return 0;
    case WM_MOUSEWHEEL: {
      int lines = GET_WHEEL_DELTA_WPARAM(wParam) * kWheelLines / WHEEL_DELTA;
      ScrollTo(scrollX_, scrollY_ - lines * (rows_.Size(fixedRows_) + 1));
      return 0;
    }

    case GRM_SETCOLCOUNT:
      EndEdit(false, true);
      cols_.SetCount(count(wParam));
      for (std::vector<Cell>& row : cells_)
        if (row.size() > static_cast<size_t>(cols_.Count()))
          row.resize(static_cast<size_t>(cols_.Count()));
      fixedCols_ = std::min(fixedCols_, cols_.Count());
      ClampCurrent();
      Relayout();
      return 0;
    case GRM_GETCOLCOUNT:
      return cols_.Count();
    case GRM_SETROWCOUNT:
      EndEdit(false, true);
      rows_.SetCount(count(wParam));
      if (cells_.size() > static_cast<size_t>(rows_.Count()))
        cells_.resize(static_cast<size_t>(rows_.Count()));
      fixedRows_ = std::min(fixedRows_, rows_.Count());
      ClampCurrent();
      Relayout();
      return 0;
    case GRM_GETROWCOUNT:
      return rows_.Count();
    case GRM_SETFIXEDCOLS:
      EndEdit(false, true);
      fixedCols_ = std::min(count(wParam), cols_.Count());
      ClampCurrent();
      Relayout();
      return 0;
    case GRM_GETFIXEDCOLS:
      return fixedCols_;
    case GRM_SETFIXEDROWS:
      EndEdit(false, true);
      fixedRows_ = std::min(count(wParam), rows_.Count());
      ClampCurrent();
      Relayout();
      return 0;
    case GRM_GETFIXEDROWS:
      return fixedRows_;
    case GRM_SETCOLWIDTH:
      EndEdit(false, true);
      cols_.SetSize(static_cast<int>(wParam), static_cast<int>(lParam));
      Relayout();
      return 0;
    case GRM_SETROWHEIGHT:
      EndEdit(false, true);
      rows_.SetDefaultSize(count(wParam));
      Relayout();
      return 0;
    case GRM_SETDPI:
      EndEdit(false, true);
      dpi_ = wParam ? static_cast<UINT>(wParam) : 96;
      cols_.SetDpi(dpi_);
      rows_.SetDpi(dpi_);
      Relayout();
      return 0;
    case GRM_SETEDITING:
      editable_ = wParam != FALSE;
      if (!editable_) EndEdit(false, true);
      return 0;
    case GRM_CLEARALL:
      EndEdit(false, true);
      cells_.clear();
      Invalidate();
      return 0;
    case GRM_SETCELLTEXT: {
      Cell* cell = Make(cellOf(wParam));
      if (!cell) return FALSE;
      cell->text = lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"";
      Invalidate();
      return TRUE;
    }
    case GRM_GETCELLTEXT: {
      auto* request = reinterpret_cast<GridText*>(lParam);
      const Cell* cell = Find(request->cell);
      std::wstring_view text = cell ? std::wstring_view(cell->text) : std::wstring_view();
      if (request->buffer && request->size > 0) {
        size_t n = std::min(text.size(), static_cast<size_t>(request->size - 1));
        std::copy_n(text.data(), n, request->buffer);
        request->buffer[n] = L'\0';
      }
      return static_cast<LRESULT>(text.size());
    }
    case GRM_ADDCHECKBOX: {
      Cell* cell = Make(cellOf(wParam));
      if (!cell) return FALSE;
      cell->box = lParam ? kChecked : kUnchecked;
      Invalidate();
      return TRUE;
    }
    case GRM_SETCHECKBOX: {
      Cell* cell = Find(cellOf(wParam));
      if (!cell || cell->box == kNoBox) return FALSE;
      cell->box = lParam ? kChecked : kUnchecked;
      Invalidate();
      return TRUE;
    }
    case GRM_GETCHECKBOX: {
      const Cell* cell = Find(cellOf(wParam));
      return cell && cell->box != kNoBox ? cell->box : kGridNoCheckBox;
    }
    case GRM_GETCURRENT:
      *reinterpret_cast<GridCell*>(lParam) = current_;
      return 0;
    case GRM_GETCELLRECT:
      EnsureLayout();
      return InView(cellOf(wParam), reinterpret_cast<RECT*>(lParam));

    case WM_DESTROY:
      editing_ = false;  // the editor goes with the grid; nothing is kept
      return 0;
    default:
      return DefWindowProcW(window_, message, wParam, lParam);
  }
}

LRESULT CALLBACK GridProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* grid = reinterpret_cast<Grid*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    grid = new Grid(window);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(grid));
    // The editor is a child: painting leaves it alone.
    SetWindowLongPtrW(window, GWL_STYLE, GetWindowLongPtrW(window, GWL_STYLE) | WS_CLIPCHILDREN);
  } else if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    delete grid;
    grid = nullptr;
  }
  return grid ? grid->Handle(message, wParam, lParam)
              : DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void RegisterGridClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXW grid{};
  grid.cbSize = sizeof grid;
  grid.style = CS_DBLCLKS;
  grid.lpfnWndProc = GridProc;
  grid.hInstance = GetModuleHandleW(nullptr);
  grid.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  grid.lpszClassName = kGridClass;
  if (!RegisterClassExW(&grid))
    throw korvane::Error("Cannot register the grid's window class: " +
                         SystemErrorText(GetLastError()));
  registered = true;
}

}  // namespace kwin
