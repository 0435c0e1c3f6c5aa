#pragma once
// What korvane says about how a run of an outside program went. Every such
// text lives here. All texts are UTF-8.

#include <cstddef>
#include <string>
#include <string_view>

#include "korvane/run_outcome.h"

namespace korvane {

// "" when the program started and ended with exit code 0; otherwise one line
// saying that it failed with its exit code (codes above 0xFFFF also in hex)
// or could not be started, with the system's reason.
std::string FailureLine(const RunOutcome& outcome);

// The text of the error raised for a command line of `length` characters
// when at most `limit` are possible.
std::string CommandTooLongText(std::size_t length, std::size_t limit);

// The platform's text for a failure as korvane shows it: without trailing
// blanks, line breaks and full stops ("." and "。").
std::string TrimSystemReason(std::string_view text);

// The text for a failure code the platform has no text for.
std::string UnknownSystemErrorText(unsigned long code);

}  // namespace korvane
