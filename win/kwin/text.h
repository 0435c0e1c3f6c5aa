#pragma once
// Text conversions at the Win32 boundary. korvane's own texts are UTF-8.

#include <string>
#include <string_view>

namespace kwin {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// Bytes in the given code page (CP_OEMCP, 936, ...) as UTF-8. The whole text
// is converted at once, so no double-byte character is split.
std::string FromCodePage(std::string_view bytes, unsigned codePage);

// UTF-8 text as bytes in the given code page.
std::string ToCodePage(std::string_view utf8, unsigned codePage);

// The system's text for an error code (GetLastError), without trailing
// blanks, line breaks and full stops.
std::string SystemErrorText(unsigned long error);

}  // namespace kwin
