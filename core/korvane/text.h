#pragma once
// Text rules used across korvane. All texts are UTF-8.

#include <string>
#include <string_view>

namespace korvane {

// The text without its leading and trailing blanks and control characters.
std::string Strip(std::string_view text);

// The file-name part of a path (after the last "\" or ":") without its
// extension (from its last "."): C:\work\my.app.cod gives my.app.
std::string ExtractBaseName(std::string_view path);

// The text the error box shows: "." is added when the text is not empty and
// its last character sorts after ".".
std::string ErrorBoxText(std::string_view text);

}  // namespace korvane
