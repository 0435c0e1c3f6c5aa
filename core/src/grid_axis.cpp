#include "korvane/grid_axis.h"

#include <cstdint>

namespace korvane {

void GridAxis::SetCount(int count) {
  count_ = count;
  sizes_.erase(sizes_.lower_bound(count), sizes_.end());
}

void GridAxis::SetSize(int index, int size) {
  if (index >= 0 && index < count_) sizes_[index] = size < 0 ? 0 : size;
}

int GridAxis::Scaled(int size) const {
  return static_cast<int>((std::int64_t{size} * dpi_ + 48) / 96);
}

int GridAxis::Size(int index) const {
  auto own = sizes_.find(index);
  return Scaled(own == sizes_.end() ? default_ : own->second);
}

int GridAxis::Offset(int index) const {
  int line = Scaled(default_) + 1;
  int offset = index * line;
  for (auto it = sizes_.begin(); it != sizes_.end() && it->first < index; ++it)
    offset += Scaled(it->second) + 1 - line;
  return offset;
}

int GridAxis::IndexAt(int offset) const {
  // The last line that starts at or before the offset.
  int low = 0;
  int high = count_;
  while (low < high) {
    int middle = low + (high - low + 1) / 2;
    if (Offset(middle) <= offset) {
      low = middle;
    } else {
      high = middle - 1;
    }
  }
  return low;
}

}  // namespace korvane
