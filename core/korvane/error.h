#pragma once
// The one kind of error a handler of korvane raises. Its text (UTF-8) is what
// the application's error box shows.

#include <stdexcept>
#include <string>

namespace korvane {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& text) : std::runtime_error(text) {}
};

}  // namespace korvane
