#pragma once
// The picture of the simulated handheld's home screen, as a 24-bit Windows
// bitmap file, drawn from the device's state and clock.

#include <cstdint>
#include <vector>

#include "device.h"

namespace zsim {

inline constexpr int kScreenWidth = 320;
inline constexpr int kScreenHeight = 240;

std::vector<std::uint8_t> HomeScreenBitmap(const Device& d, std::int64_t device_now);

}  // namespace zsim
