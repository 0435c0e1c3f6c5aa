#pragma once
// The status pane: a rich-text edit control seen as a list of lines.

#include <string>
#include <vector>

#include "Controls.h"

namespace korvane {

class TRichEdit : public TControl {
 public:
  // Plain-text mode only matters when the content is saved.
  bool PlainText = false;

  void Clear() const;
  void AppendLine(const std::string& line) const;
  // Many lines at once, drawn once: for long outputs.
  void AppendLines(const std::vector<std::string>& lines) const;
  std::vector<std::string> Lines() const;

  // Replaces the content with a file: rich text read as such, any other file
  // as plain text in the ANSI code page.
  void LoadFromFile(const std::string& path) const;
  // Saves in the current mode, replacing the file: a rich-text document, or
  // the lines each ended by CR LF in the ANSI code page.
  void SaveToFile(const std::string& path) const;

 private:
  void AppendText(const std::wstring& text) const;
};

}  // namespace korvane
