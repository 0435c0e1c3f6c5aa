// The module grid of the tab "COD文件管理": the module list read from the
// handheld, a module's details, check-box ranges and the selection.

#include <algorithm>
#include <optional>

#include "Files.h"
#include "Unit1.h"
#include "korvane/command_line.h"
#include "korvane/error.h"
#include "korvane/listing.h"
#include "korvane/text.h"
#include "kwin/text.h"

namespace korvane {

void TForm1::Button7Click() {
  std::string listing = app_ + "dir.txt";
  if (FileExists(listing)) DeleteFileQuietly(listing);
  RichEdit1.Clear();
  RunAndWait(CmdSlashC(Zemblor() + " -u dir >" + QuoteArg(listing)), 0);
  ShowModuleListing();
}

void TForm1::ShowModuleListing() {
  std::string path = app_ + "dir.txt";
  RichEdit1.LoadFromFile(path);
  int shown = 0;
  advstringgrid1.ClearAll();
  advstringgrid1.SetFixedCols(1);
  advstringgrid1.SetCell(0, 0, " ");
  advstringgrid1.SetCell(1, 0, "模块");
  std::optional<ModuleListing> listing =
      ParseModuleListing(kwin::FromCodePage(ReadFileOrThrow(path), CP_ACP), CheckBox7.Checked());
  if (!listing) throw Error("The module listing \"" + path + "\" is empty: it has no totals line");
  for (const std::string& name : listing->names) {
    ++shown;
    advstringgrid1.SetCell(1, shown, name);
    advstringgrid1.SetRowCount(shown + 1);
  }
  Label20.SetText("模块:" + listing->count);
  Label21.SetText("容量:" + listing->capacity + "bytes");
  for (int row = 1; row < advstringgrid1.RowCount(); ++row)
    advstringgrid1.AddCheckBox(0, row, false);
  advstringgrid1.SetFixedCols(0);
}

void TForm1::advstringgrid1ClickCell(int ARow, int ACol) {
  if (ACol != 1) return;
  RichEdit1.Clear();
  std::string name = Strip(advstringgrid1.Cells(1, ARow));
  RunCaptured(Zemblor() + " -u info -d " + QuoteArg(name + ".cod"));
}

void TForm1::advstringgrid1MouseUp(TMouseButton Button, TShiftState Shift, int, int) {
  if (Button != TMouseButton::mbLeft || !(Shift & MK_SHIFT)) return;
  if (!RangePending) {
    RangeAnchorRow = advstringgrid1.Row();
    if (std::optional<bool> state = advstringgrid1.GetCheckBoxState(0, RangeAnchorRow))
      RangeState = *state;
    RangePending = true;
    return;
  }
  RangeEndRow = advstringgrid1.Row();
  if (RangeEndRow != RangeAnchorRow) {
    int last = std::max(RangeAnchorRow, RangeEndRow);
    for (int row = std::min(RangeAnchorRow, RangeEndRow); row <= last; ++row)
      advstringgrid1.SetCheckBoxState(0, row, RangeState);
  }
  RangePending = false;
}

std::vector<std::string> TForm1::SelectedNames() const {
  std::vector<std::string> names;
  for (int row = 1; row < advstringgrid1.RowCount(); ++row)
    if (advstringgrid1.GetCheckBoxState(0, row).value_or(false))
      names.push_back(Strip(advstringgrid1.Cells(1, row)));
  return names;
}

}  // namespace korvane
