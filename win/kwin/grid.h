#pragma once
// A grid of text cells, some holding a check box: a window class of its own,
// driven by the private messages below, telling its parent what the user did
// through WM_NOTIFY.
//
// Cells are addressed by column and row, from 0. The first rows and columns
// may be fixed: drawn as headers, never current, never toggled or edited.
// One body cell is the current cell. A left click on a body cell makes it
// current and toggles its check box; Space toggles the current cell's box.
// With editing on, typing, F2 or a double-click opens an editor on the
// current cell (unless it holds a check box); Enter or leaving the cell
// keeps the text typed, Escape drops it.
//
// Sizes are given at 96 dots per inch and drawn at the grid's dots per inch
// (GRM_SETDPI). The grid draws with the font of WM_SETFONT, which it does not
// own. It paints only the cells in view, so its cost does not grow with the
// number of rows.

#include <windows.h>

namespace kwin {

inline constexpr wchar_t kGridClass[] = L"KorvaneGrid";

// Registers the window class once per process. Throws korvane::Error.
void RegisterGridClass();

// Rows and columns beyond this many are not kept.
inline constexpr int kGridMaxLines = 1000000;

struct GridCell {
  int col;
  int row;
};

// What GRM_GETCELLTEXT fills in.
struct GridText {
  GridCell cell;
  wchar_t* buffer;  // at most size - 1 characters and a terminating zero
  int size;
};

// Messages. Counts and sizes travel in wParam; cells as a GridCell* in wParam.
// Cells outside the counts may be set: they are kept, and shown once the
// counts grow to take them in; shrinking a count drops what lies beyond it.
// Changes to the counts, fixed lines and sizes end an edit without keeping it.
inline constexpr UINT GRM_SETCOLCOUNT = WM_USER + 1;
inline constexpr UINT GRM_GETCOLCOUNT = WM_USER + 2;
inline constexpr UINT GRM_SETROWCOUNT = WM_USER + 3;
inline constexpr UINT GRM_GETROWCOUNT = WM_USER + 4;
// Fixed lines: at most the count; the rest are body lines.
inline constexpr UINT GRM_SETFIXEDCOLS = WM_USER + 5;
inline constexpr UINT GRM_GETFIXEDCOLS = WM_USER + 6;
inline constexpr UINT GRM_SETFIXEDROWS = WM_USER + 7;
inline constexpr UINT GRM_GETFIXEDROWS = WM_USER + 8;
// wParam column, lParam width.
inline constexpr UINT GRM_SETCOLWIDTH = WM_USER + 9;
// wParam height, of every row.
inline constexpr UINT GRM_SETROWHEIGHT = WM_USER + 10;
inline constexpr UINT GRM_SETDPI = WM_USER + 11;
// wParam TRUE: cells can be edited in place.
inline constexpr UINT GRM_SETEDITING = WM_USER + 12;
// Empties every cell and removes every check box; the counts stay.
inline constexpr UINT GRM_CLEARALL = WM_USER + 13;
// lParam const wchar_t*, the new text.
inline constexpr UINT GRM_SETCELLTEXT = WM_USER + 14;
// lParam GridText*; returns the length of the whole text.
inline constexpr UINT GRM_GETCELLTEXT = WM_USER + 15;
// lParam the state (TRUE checked): puts a check box into the cell.
inline constexpr UINT GRM_ADDCHECKBOX = WM_USER + 16;
// lParam the state: sets the cell's check box; FALSE when it has none.
inline constexpr UINT GRM_SETCHECKBOX = WM_USER + 17;
// Returns the state of the cell's check box, or kGridNoCheckBox.
inline constexpr UINT GRM_GETCHECKBOX = WM_USER + 18;
inline constexpr LRESULT kGridNoCheckBox = -1;
// lParam GridCell*, filled with the current cell.
inline constexpr UINT GRM_GETCURRENT = WM_USER + 19;
// lParam RECT*, filled with the cell's place in the client area; FALSE when
// no part of the cell is in view.
inline constexpr UINT GRM_GETCELLRECT = WM_USER + 20;

// Notifications (WM_NOTIFY to the parent).
// The left button went down on a cell, fixed or not; the grid has made it
// current and toggled its check box before. GridCellNotify.
inline constexpr UINT GRN_CLICKCELL = 0U - 3000U;
// A mouse button went up over the grid (or anywhere while the grid held the
// mouse). GridMouseNotify.
inline constexpr UINT GRN_MOUSEUP = 0U - 3001U;

struct GridCellNotify {
  NMHDR header;
  GridCell cell;
};

enum class GridButton { kLeft, kRight, kMiddle };

struct GridMouseNotify {
  NMHDR header;
  GridButton button;
  UINT keys;  // MK_SHIFT, MK_CONTROL and the buttons still held
  POINT point;
};

}  // namespace kwin
