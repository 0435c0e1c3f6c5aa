#pragma once
// Local calendar time as a count of seconds since 1970-01-01 00:00:00 of the
// same calendar, without time zones: the handheld's clock and its log use it.

#include <cstdint>
#include <string>

namespace zsim {

struct CivilTime {
  int year = 1970;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

std::int64_t ToSeconds(const CivilTime& t);
CivilTime FromSeconds(std::int64_t seconds);

// "YYYY-MM-DD hh:mm:ss"
std::string FormatTime(std::int64_t seconds);

}  // namespace zsim
