#pragma once
// The geometry of a grid along one direction: its columns, or its rows.

#include <map>

namespace korvane {

// Lines (columns or rows) of a default size, some of them with a size of
// their own. Sizes are given at 96 dots per inch and measured in device
// pixels at the axis's dots per inch; each line is followed by a grid line
// one pixel wide.
class GridAxis {
 public:
  GridAxis(int count, int defaultSize) : count_(count) { SetDefaultSize(defaultSize); }

  int Count() const { return count_; }
  // Sizes of the lines at or past the new count are forgotten.
  void SetCount(int count);
  // Negative sizes count as 0.
  void SetDefaultSize(int size) { default_ = size < 0 ? 0 : size; }
  void SetSize(int index, int size);
  void SetDpi(unsigned dpi) { dpi_ = dpi; }

  // The line's size in pixels, without its grid line.
  int Size(int index) const;
  // Where the line starts: the sizes and grid lines of the lines before it.
  // Offset(Count()) is the length of the whole axis.
  int Offset(int index) const;
  // The line that covers the offset (at least 0); Count() past the end.
  int IndexAt(int offset) const;

 private:
  int Scaled(int size) const;

  int count_;
  int default_;
  unsigned dpi_ = 96;
  std::map<int, int> sizes_;  // index -> size at 96 dots per inch
};

}  // namespace korvane
