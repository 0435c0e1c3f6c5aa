#include "StringGrid.h"

#include "kwin/grid.h"
#include "kwin/text.h"

namespace korvane {

namespace {

LRESULT Send(HWND grid, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendMessageW(grid, message, wParam, lParam);
}

WPARAM At(const kwin::GridCell& cell) { return reinterpret_cast<WPARAM>(&cell); }

}  // namespace

void TAdvStringGrid::ClearAll() const { Send(Handle, kwin::GRM_CLEARALL); }

void TAdvStringGrid::SetColCount(int count) const {
  Send(Handle, kwin::GRM_SETCOLCOUNT, static_cast<WPARAM>(count));
}

int TAdvStringGrid::RowCount() const {
  return static_cast<int>(Send(Handle, kwin::GRM_GETROWCOUNT));
}

void TAdvStringGrid::SetRowCount(int count) const {
  Send(Handle, kwin::GRM_SETROWCOUNT, static_cast<WPARAM>(count));
}

int TAdvStringGrid::FixedCols() const {
  return static_cast<int>(Send(Handle, kwin::GRM_GETFIXEDCOLS));
}

void TAdvStringGrid::SetFixedCols(int count) const {
  Send(Handle, kwin::GRM_SETFIXEDCOLS, static_cast<WPARAM>(count));
}

void TAdvStringGrid::SetFixedRows(int count) const {
  Send(Handle, kwin::GRM_SETFIXEDROWS, static_cast<WPARAM>(count));
}

void TAdvStringGrid::SetColWidth(int col, int width) const {
  Send(Handle, kwin::GRM_SETCOLWIDTH, static_cast<WPARAM>(col), width);
}

void TAdvStringGrid::SetDefaultRowHeight(int height) const {
  Send(Handle, kwin::GRM_SETROWHEIGHT, static_cast<WPARAM>(height));
}

void TAdvStringGrid::SetDpi(UINT dpi) const { Send(Handle, kwin::GRM_SETDPI, dpi); }

void TAdvStringGrid::SetEditing(bool on) const { Send(Handle, kwin::GRM_SETEDITING, on); }

std::string TAdvStringGrid::Cells(int col, int row) const {
  kwin::GridText request{{col, row}, nullptr, 0};
  auto length = Send(Handle, kwin::GRM_GETCELLTEXT, 0, reinterpret_cast<LPARAM>(&request));
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  request.buffer = text.data();
  request.size = static_cast<int>(text.size());
  Send(Handle, kwin::GRM_GETCELLTEXT, 0, reinterpret_cast<LPARAM>(&request));
  text.resize(static_cast<size_t>(length));
  return kwin::Narrow(text);
}

void TAdvStringGrid::SetCell(int col, int row, const std::string& text) const {
  kwin::GridCell cell{col, row};
  Send(Handle, kwin::GRM_SETCELLTEXT, At(cell),
       reinterpret_cast<LPARAM>(kwin::Widen(text).c_str()));
}

void TAdvStringGrid::AddCheckBox(int col, int row, bool state) const {
  kwin::GridCell cell{col, row};
  Send(Handle, kwin::GRM_ADDCHECKBOX, At(cell), state);
}

std::optional<bool> TAdvStringGrid::GetCheckBoxState(int col, int row) const {
  kwin::GridCell cell{col, row};
  LRESULT state = Send(Handle, kwin::GRM_GETCHECKBOX, At(cell));
  if (state == kwin::kGridNoCheckBox) return std::nullopt;
  return state != 0;
}

void TAdvStringGrid::SetCheckBoxState(int col, int row, bool state) const {
  kwin::GridCell cell{col, row};
  Send(Handle, kwin::GRM_SETCHECKBOX, At(cell), state);
}

int TAdvStringGrid::Row() const {
  kwin::GridCell cell{};
  Send(Handle, kwin::GRM_GETCURRENT, 0, reinterpret_cast<LPARAM>(&cell));
  return cell.row;
}

void TAdvStringGrid::Notify(const NMHDR& header) const {
  if (header.code == kwin::GRN_CLICKCELL) {
    const auto& click = reinterpret_cast<const kwin::GridCellNotify&>(header);
    if (OnClickCell) OnClickCell(click.cell.row, click.cell.col);
  } else if (header.code == kwin::GRN_MOUSEUP) {
    const auto& up = reinterpret_cast<const kwin::GridMouseNotify&>(header);
    TMouseButton button = up.button == kwin::GridButton::kLeft    ? TMouseButton::mbLeft
                          : up.button == kwin::GridButton::kRight ? TMouseButton::mbRight
                                                                  : TMouseButton::mbMiddle;
    if (OnMouseUp) OnMouseUp(button, up.keys, up.point.x, up.point.y);
  }
}

}  // namespace korvane
