#pragma once
// Building the command lines and script lines korvane starts. All texts are
// UTF-8.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// The argument (a whole path or name) as it stands on a command line or in a
// script: enclosed in double quotes when it holds a blank or a character the
// command interpreter treats specially (tab & | < > ^ ( ) , ; = % ! or a
// control character), otherwise unchanged. Backslashes that end a quoted
// argument are doubled, so that the closing quote is not taken as escaped
// (C:\My Saves\ becomes "C:\My Saves\\"). File names cannot hold a double
// quote, so neither can the argument.
std::string QuoteArg(std::string_view arg);

// The line run by the command interpreter: "cmd.exe /c " + line. A line
// that holds a double quote is enclosed in one more pair, which cmd.exe
// strips again, so that its own quotes survive.
std::string CmdSlashC(std::string_view line);

// The line as it is written into a batch script: every "%" doubled, so that
// the script does not take it for a variable.
std::string BatchLine(std::string_view line);

// The lines of a captured output: the text is cut at each LF; each line is
// the part before it, unchanged (a CR before the LF stays at its end). A last
// line without a LF is kept too. An empty text has no lines.
std::vector<std::string> SplitCapturedLines(std::string_view text);

// Whether the path names a batch script (ends with ".bat" or ".cmd" in any
// case).
bool NamesBatchScript(std::string_view path);

// The most characters (UTF-16 units, without the terminating zero) the
// command line may have: 8191 when its program is the command interpreter
// (cmd or cmd.exe), which refuses longer lines, else 32766, the most a
// process can be started with.
std::size_t CommandLineLimit(std::string_view line);

// Throws Error naming the length and the limit when the line is longer than
// CommandLineLimit(line).
void CheckCommandLineLength(std::string_view line);

}  // namespace korvane
