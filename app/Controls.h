#pragma once
// Thin, non-owning wrappers for the standard controls of the main window.
// Each holds the control's window; the window owns itself.

#include <windows.h>

#include <string>

namespace korvane {

class TControl {
 public:
  HWND Handle = nullptr;

  std::string Text() const;
  void SetText(const std::string& text) const;
  void SetVisible(bool visible) const;
};

class TLabel : public TControl {};
class TGroupBox : public TControl {};
class TPanel : public TControl {};
class TImage : public TControl {};
class TButton : public TControl {};
class TTabSheet : public TControl {};

class TEdit : public TControl {};

class TCheckBox : public TControl {
 public:
  bool Checked() const;
  void SetChecked(bool checked) const;
};

class TPageControl : public TControl {
 public:
  int ActivePage() const;
};

}  // namespace korvane
