#include "RichEdit.h"

#include <richedit.h>

#include <algorithm>

#include "korvane/error.h"
#include "Files.h"
#include "kwin/text.h"

namespace korvane {

namespace {

// A line ending in CR (as a captured program prints it) is shown without it:
// inside the control a CR starts a new paragraph.
std::wstring PaneLine(const std::string& line) {
  std::wstring wide = kwin::Widen(line);
  if (!wide.empty() && wide.back() == L'\r') wide.pop_back();
  return wide;
}

bool IsRichText(const std::string& bytes) { return bytes.rfind("{\\rtf", 0) == 0; }

DWORD CALLBACK ReadFromString(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got) {
  auto* source = reinterpret_cast<std::string_view*>(cookie);
  size_t n = std::min(source->size(), static_cast<size_t>(wanted));
  std::copy_n(source->data(), n, buffer);
  source->remove_prefix(n);
  *got = static_cast<LONG>(n);
  return 0;
}

DWORD CALLBACK WriteToString(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* written) {
  reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(buffer),
                                                 static_cast<size_t>(count));
  *written = count;
  return 0;
}

// While it lives, the control records no undo steps. Text put in by the
// program is not the user's typing to take back, and recording it makes a
// large insertion many times slower. The default limit returns afterwards.
class UndoSuspended {
 public:
  explicit UndoSuspended(HWND control) : control_(control) {
    SendMessageW(control_, EM_SETUNDOLIMIT, 0, 0);
  }
  UndoSuspended(const UndoSuspended&) = delete;
  UndoSuspended& operator=(const UndoSuspended&) = delete;
  ~UndoSuspended() { SendMessageW(control_, EM_SETUNDOLIMIT, kDefaultUndoLimit, 0); }

 private:
  static constexpr WPARAM kDefaultUndoLimit = 100;
  HWND control_;
};

}  // namespace

void TRichEdit::Clear() const { SetWindowTextW(Handle, L""); }

void TRichEdit::AppendText(const std::wstring& text) const {
  LRESULT end = GetWindowTextLengthW(Handle);
  std::wstring insert = end > 0 ? L"\r" + text : text;
  UndoSuspended noUndo(Handle);
  SendMessageW(Handle, EM_SETSEL, end, end);
  SendMessageW(Handle, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(insert.c_str()));
}

void TRichEdit::AppendLine(const std::string& line) const { AppendText(PaneLine(line)); }

void TRichEdit::AppendLines(const std::vector<std::string>& lines) const {
  if (lines.empty()) return;
  std::wstring text;
  for (const std::string& line : lines) {
    if (!text.empty() || &line != &lines.front()) text += L'\r';
    text += PaneLine(line);
  }
  SendMessageW(Handle, WM_SETREDRAW, FALSE, 0);
  AppendText(text);
  SendMessageW(Handle, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(Handle, nullptr, TRUE);
}

std::vector<std::string> TRichEdit::Lines() const {
  GETTEXTLENGTHEX lengthOf{GTL_NUMCHARS | GTL_PRECISE, 1200};
  auto length = SendMessageW(Handle, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthOf), 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  GETTEXTEX get{};
  get.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  get.flags = GT_DEFAULT;
  get.codepage = 1200;
  auto copied = SendMessageW(Handle, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                             reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(copied));
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  size_t start = 0;
  for (;;) {
    size_t cr = text.find(L'\r', start);
    lines.push_back(kwin::Narrow(std::wstring_view(text).substr(start, cr - start)));
    if (cr == std::wstring::npos) break;
    start = cr + 1;
  }
  // The control keeps a final paragraph mark of its own after the last line.
  if (lines.size() > 1 && lines.back().empty() && text.back() == L'\r') lines.pop_back();
  return lines;
}

void TRichEdit::LoadFromFile(const std::string& path) const {
  std::string bytes = ReadFileOrThrow(path);
  UndoSuspended noUndo(Handle);
  if (IsRichText(bytes)) {
    std::string_view source(bytes);
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, ReadFromString};
    SendMessageW(Handle, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  } else {
    SetWindowTextW(Handle, kwin::Widen(kwin::FromCodePage(bytes, CP_ACP)).c_str());
  }
}

void TRichEdit::SaveToFile(const std::string& path) const {
  std::string bytes;
  if (PlainText) {
    for (const std::string& line : Lines()) bytes += kwin::ToCodePage(line, CP_ACP) + "\r\n";
  } else {
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&bytes), 0, WriteToString};
    SendMessageW(Handle, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  }
  WriteFileOrThrow(path, bytes);
}

}  // namespace korvane
