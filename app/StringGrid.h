#pragma once
// A string grid with check boxes: a thin wrapper over the grid control of
// kwin/grid.h. Columns and rows count from 0, column first; texts are UTF-8.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "Controls.h"

namespace korvane {

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
// The keys and buttons held: MK_SHIFT, MK_CONTROL, MK_LBUTTON, ...
using TShiftState = UINT;

class TAdvStringGrid : public TControl {
 public:
  // The left button went down on a cell, fixed or not, after the grid has
  // made it the current cell and toggled its check box.
  std::function<void(int ARow, int ACol)> OnClickCell;
  // A mouse button went up over the grid; X, Y in its client area.
  std::function<void(TMouseButton Button, TShiftState Shift, int X, int Y)> OnMouseUp;

  // Empties every cell, fixed ones included, and removes every check box;
  // the counts stay.
  void ClearAll() const;
  void SetColCount(int count) const;
  int RowCount() const;
  void SetRowCount(int count) const;
  int FixedCols() const;
  void SetFixedCols(int count) const;
  void SetFixedRows(int count) const;
  // Sizes at 96 dots per inch, drawn at the grid's (SetDpi).
  void SetColWidth(int col, int width) const;
  void SetDefaultRowHeight(int height) const;
  void SetDpi(UINT dpi) const;
  // Cells can be edited in place.
  void SetEditing(bool on) const;

  std::string Cells(int col, int row) const;
  void SetCell(int col, int row, const std::string& text) const;
  void AddCheckBox(int col, int row, bool state) const;
  // Whether the cell is checked; nothing when it holds no check box.
  std::optional<bool> GetCheckBoxState(int col, int row) const;
  // Sets and redraws the cell's check box; a cell without one is left alone.
  void SetCheckBoxState(int col, int row, bool state) const;
  // The row of the current cell.
  int Row() const;

  // Raises the event a notification of the grid stands for.
  void Notify(const NMHDR& header) const;
};

}  // namespace korvane
