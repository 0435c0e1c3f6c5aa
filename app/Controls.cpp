#include "Controls.h"

#include <commctrl.h>

#include "kwin/text.h"

namespace korvane {

std::string TControl::Text() const {
  int length = GetWindowTextLengthW(Handle);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(Handle, text.data(), length + 1)));
  return kwin::Narrow(text);
}

void TControl::SetText(const std::string& text) const {
  SetWindowTextW(Handle, kwin::Widen(text).c_str());
}

void TControl::SetVisible(bool visible) const { ShowWindow(Handle, visible ? SW_SHOW : SW_HIDE); }

bool TCheckBox::Checked() const { return SendMessageW(Handle, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TCheckBox::SetChecked(bool checked) const {
  SendMessageW(Handle, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int TPageControl::ActivePage() const {
  return static_cast<int>(SendMessageW(Handle, TCM_GETCURSEL, 0, 0));
}

}  // namespace korvane
