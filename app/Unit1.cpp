// The main window's frame: the window class, the controls built from one
// layout table, DPI scaling and the routing of events to the handlers.

#include "Unit1.h"

#include <commctrl.h>
#include <richedit.h>

#include <utility>

#include "AboutPicture.h"
#include "Files.h"
#include "korvane/error.h"
#include "korvane/command_line.h"
#include "korvane/text.h"
#include "kwin/grid.h"
#include "kwin/text.h"

namespace korvane {

namespace {

const wchar_t kFormClass[] = L"TForm1";
const wchar_t kPageClass[] = L"TTabSheet";
constexpr UINT_PTR kTimer1 = 1;
constexpr int kFirstControlId = 100;

enum class Kind { Page, Tabs, Group, Panel, Button, Check, Label, Edit, Rich, Image, Grid };

// The running program's full path.
std::string ModulePath() {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return kwin::Narrow(path);
}

std::string ModuleFolder() {
  std::string path = ModulePath();
  return path.substr(0, path.find_last_of('\\') + 1);
}

UINT WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static auto getDpi = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  UINT dpi = 0;
  if (getDpi && window) dpi = getDpi(window);
  if (dpi == 0) {
    HDC screen = GetDC(nullptr);
    dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
  }
  // Odd values have been seen under emulation layers; keep a sane range.
  return dpi < 48 || dpi > 960 ? 96 : dpi;
}

HFONT MakeFont(const wchar_t* face, int height96, UINT dpi, BYTE charset) {
  LOGFONTW font{};
  font.lfHeight = MulDiv(height96, static_cast<int>(dpi), 96);
  font.lfCharSet = charset;
  font.lfQuality = DEFAULT_QUALITY;
  lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

void RegisterClasses() {
  static bool registered = false;
  if (registered) return;
  INITCOMMONCONTROLSEX common{sizeof common, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&common);
  kwin::RegisterGridClass();
  if (!LoadLibraryW(L"msftedit.dll")) throw Error("Cannot load the rich-text edit control");
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW form{};
  form.cbSize = sizeof form;
  form.lpfnWndProc = DefWindowProcW;
  form.hInstance = instance;
  form.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  form.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  form.lpszClassName = kFormClass;
  WNDCLASSEXW page = form;
  page.hIcon = nullptr;
  page.lpszClassName = kPageClass;
  if (!RegisterClassExW(&form) || !RegisterClassExW(&page))
    throw Error("Cannot register the window classes: " + kwin::SystemErrorText(GetLastError()));
  registered = true;
}

}  // namespace

// One control of the layout: where it goes at 96 dots per inch, and what it
// does when clicked.
struct TForm1::Placed {
  TControl* control;
  Kind kind;
  TControl* parent;  // a tab sheet, a group box or panel, or null for the form
  int x, y, width, height;
  const char* caption;
  void (TForm1::*click)() = nullptr;
  bool checked = false;
  HWND window = nullptr;  // the real parent window
  int left = 0, top = 0;  // relative to that window
};

TForm1::TForm1(std::string appFolder)
    : app_(appFolder.empty() ? ModuleFolder() : std::move(appFolder)) {
  std::string path = ModulePath();
  std::string name = path.substr(path.find_last_of('\\') + 1);
  title_ = name.substr(0, name.find('.'));
  for (size_t i = 1; i < title_.size(); ++i)
    if (title_[i] >= 'A' && title_[i] <= 'Z') title_[i] = static_cast<char>(title_[i] - 'A' + 'a');
  Ask = [this](const std::string& text, const std::string& caption, UINT flags) {
    return MessageBoxW(Handle, kwin::Widen(text).c_str(), kwin::Widen(caption).c_str(), flags);
  };
}

TForm1::~TForm1() {
  if (Handle) DestroyWindow(Handle);
  if (font_) DeleteObject(font_);
  if (titleFont_) DeleteObject(titleFont_);
  if (gridFont_) DeleteObject(gridFont_);
  if (faceBrush_) DeleteObject(faceBrush_);
  if (aboutPicture_) DeleteObject(aboutPicture_);
}

void TForm1::Create() {
  RegisterClasses();
  HINSTANCE instance = GetModuleHandleW(nullptr);
  faceBrush_ = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  dpi_ = WindowDpi(nullptr);
  Handle =
      CreateWindowExW(0, kFormClass, L"Korvane", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, Scale(269),
                      Scale(155), Scale(664), Scale(521), nullptr, nullptr, instance, nullptr);
  if (!Handle)
    throw Error("Cannot create the main window: " + kwin::SystemErrorText(GetLastError()));
  SetWindowLongPtrW(Handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(Handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FormProc));
  dpi_ = WindowDpi(Handle);
  CreateFonts();
  CreateControls();
  SetTimer(Handle, kTimer1, 1000, nullptr);
  FormCreate();
}

void TForm1::Show(int showCommand) const {
  ShowWindow(Handle, showCommand);
  UpdateWindow(Handle);
}

int TForm1::Scale(int pixels) const { return MulDiv(pixels, static_cast<int>(dpi_), 96); }

void TForm1::CreateFonts() {
  if (font_) DeleteObject(font_);
  if (titleFont_) DeleteObject(titleFont_);
  font_ = MakeFont(L"MS Sans Serif", -11, dpi_, DEFAULT_CHARSET);
  titleFont_ = MakeFont(L"MS Sans Serif", -21, dpi_, DEFAULT_CHARSET);
  if (gridFont_) DeleteObject(gridFont_);
  gridFont_ = MakeFont(L"Tahoma", -11, dpi_, DEFAULT_CHARSET);
}

void TForm1::CreateControls() {
  using K = Kind;
  // clang-format off
  placed_ = {
    {&PageControl1, K::Tabs, nullptr, 0, 0, 361, 489, ""},
    {&TabSheet1, K::Page, &PageControl1, 0, 0, 0, 0, "COD文件管理  "},
    {&TabSheet2, K::Page, &PageControl1, 0, 0, 0, 0, "其他功能  "},
    {&TabSheet3, K::Page, &PageControl1, 0, 0, 0, 0, "HX截图  "},
    {&TabSheet6, K::Page, &PageControl1, 0, 0, 0, 0, "java2cod  "},
    {&TabSheet4, K::Page, &PageControl1, 0, 0, 0, 0, "设置 "},
    {&TabSheet5, K::Page, &PageControl1, 0, 0, 0, 0, " 关于 "},
    {&RichEdit1, K::Rich, nullptr, 368, 8, 281, 449, ""},
    {&Label2, K::Label, nullptr, 368, 464, 57, 13, "USB状态:"},
    {&Label1, K::Label, nullptr, 432, 464, 209, 13, ""},

    {&advstringgrid1, K::Grid, &TabSheet1, 0, 0, 345, 345, ""},
    {&GroupBox5, K::Group, &TabSheet1, 0, 347, 345, 57, ""},
    {&Button7, K::Button, &GroupBox5, 8, 16, 85, 25, "从手机读取", &TForm1::Button7Click},
    {&Button10, K::Button, &GroupBox5, 102, 16, 85, 25, "保存选定"},
    {&Button9, K::Button, &GroupBox5, 200, 16, 85, 25, "删除选定"},
    {&CheckBox3, K::Check, &GroupBox5, 296, 22, 33, 17, "-f", nullptr, true},
    {&GroupBox6, K::Group, &TabSheet1, 0, 404, 193, 49, "安装"},
    {&Button8, K::Button, &GroupBox6, 8, 16, 81, 25, "安装COD"},
    {&Button11, K::Button, &GroupBox6, 104, 16, 81, 25, "安装选定"},
    {&Label20, K::Label, &TabSheet1, 208, 416, 137, 13, ""},
    {&Label21, K::Label, &TabSheet1, 208, 440, 137, 13, ""},

    {&GroupBox7, K::Group, &TabSheet2, 8, 8, 161, 57, "设备信息"},
    {&Button12, K::Button, &GroupBox7, 40, 16, 81, 25, "读取", &TForm1::Button12Click},
    {&GroupBox3, K::Group, &TabSheet2, 176, 8, 161, 57, "事件日志"},
    {&Button5, K::Button, &GroupBox3, 32, 16, 89, 25, "保存", &TForm1::Button5Click},
    {&GroupBox4, K::Group, &TabSheet2, 8, 72, 185, 65, "无线电 [ 开 | 关 ] "},
    {&Button6, K::Button, &GroupBox4, 16, 24, 73, 25, "开启信号", &TForm1::Button6Click},
    {&Button13, K::Button, &GroupBox4, 96, 24, 73, 25, "关闭信号", &TForm1::Button13Click},
    {&GroupBox2, K::Group, &TabSheet2, 200, 72, 145, 65, "同步时间"},
    {&Button4, K::Button, &GroupBox2, 24, 24, 89, 25, "同步", &TForm1::Button4Click},
    {&GroupBox1, K::Group, &TabSheet2, 8, 144, 337, 97, "擦除机器"},
    {&Button3, K::Button, &GroupBox1, 24, 24, 81, 49, "擦除", &TForm1::Button3Click},
    {&CheckBox1, K::Check, &GroupBox1, 136, 16, 161, 17, " -a    只擦除应用程序", &TForm1::CheckBox1Click},
    {&CheckBox2, K::Check, &GroupBox1, 136, 40, 145, 17, " -f     只擦除文件系统", &TForm1::CheckBox2Click},
    {&Label3, K::Label, &GroupBox1, 120, 72, 193, 17, "警告:此命令清空机器 慎重使用"},
    {&GroupBox10, K::Group, &TabSheet2, 8, 248, 337, 137, "COD文件资料"},
    {&Button16, K::Button, &GroupBox10, 16, 24, 129, 25, "载入COD文件"},
    {&Button17, K::Button, &GroupBox10, 16, 64, 129, 25, "查看signatures资料"},
    {&Button18, K::Button, &GroupBox10, 16, 104, 129, 25, "查看调用API"},

    {&Panel1, K::Panel, &TabSheet3, 0, 0, 350, 350, ""},
    {&Image1, K::Image, &Panel1, 8, 8, 337, 337, ""},
    {&Button1, K::Button, &TabSheet3, 8, 376, 81, 41, "…… 截图 ……"},
    {&Label5, K::Label, &TabSheet3, 112, 360, 225, 13, ""},
    {&Label6, K::Label, &TabSheet3, 112, 384, 225, 13, ""},
    {&Label7, K::Label, &TabSheet3, 112, 408, 225, 13, ""},

    {&GroupBox9, K::Group, &TabSheet6, 8, 8, 329, 169, "JAR2COD"},
    {&Button14, K::Button, &GroupBox9, 16, 24, 193, 25, "载入JAR文件"},
    {&CheckBox4, K::Check, &GroupBox9, 216, 32, 97, 17, "使用JAD文件", nullptr, true},
    {&Label19, K::Label, &GroupBox9, 16, 72, 113, 13, "COD名称（英文）:"},
    {&Edit6, K::Edit, &GroupBox9, 128, 66, 185, 21, ""},
    {&Button15, K::Button, &GroupBox9, 16, 104, 193, 25, "生成COD文件"},
    {&CheckBox5, K::Check, &GroupBox9, 216, 112, 97, 17, "生成ALX文件"},
    {&GroupBox8, K::Group, &TabSheet6, 8, 192, 337, 185, "ALX生成"},
    {&Label14, K::Label, &GroupBox8, 16, 22, 40, 13, "描述："},
    {&Edit2, K::Edit, &GroupBox8, 56, 16, 249, 21, "korvane alx maker"},
    {&Label15, K::Label, &GroupBox8, 16, 54, 40, 13, "版本："},
    {&Edit3, K::Edit, &GroupBox8, 56, 48, 249, 21, "1.0"},
    {&Label16, K::Label, &GroupBox8, 16, 86, 40, 13, "作者："},
    {&Edit4, K::Edit, &GroupBox8, 56, 80, 249, 21, "korvane"},
    {&Label17, K::Label, &GroupBox8, 16, 118, 40, 13, "版权："},
    {&Edit5, K::Edit, &GroupBox8, 56, 112, 249, 21, "Copyright (C) 2007  Korvane "},
    {&Label18, K::Label, &GroupBox8, 176, 152, 137, 13, "注意：使用英文填写"},
    {&Button2, K::Button, &GroupBox8, 24, 144, 81, 25, "载入生成"},

    {&GroupBox11, K::Group, &TabSheet4, 8, 16, 337, 65, ""},
    {&Label4, K::Label, &GroupBox11, 16, 24, 121, 13, "状态窗口缓冲大小："},
    {&Edit1, K::Edit, &GroupBox11, 136, 20, 65, 21, "2400"},
    {&GroupBox12, K::Group, &TabSheet4, 8, 96, 337, 81, "COD传送快通道"},
    {&CheckBox6, K::Check, &GroupBox12, 16, 35, 201, 17, "COD文件关联快速传送到HX", nullptr, true},
    {&Button19, K::Button, &GroupBox12, 224, 30, 75, 25, "确定", &TForm1::Button19Click},
    {&GroupBox13, K::Group, &TabSheet4, 8, 192, 337, 73, "从手机读取模块选项"},
    {&CheckBox7, K::Check, &GroupBox13, 16, 32, 169, 17, "读取时隐藏\"系统模块\"", nullptr, true},
    {&Button20, K::Button, &GroupBox13, 224, 24, 75, 25, "确定", &TForm1::Button20Click},
    {&GroupBox14, K::Group, &TabSheet4, 8, 280, 337, 137, "文件路径"},
    {&Label23, K::Label, &GroupBox14, 16, 32, 89, 13, "COD保存路径："},
    {&Edit7, K::Edit, &GroupBox14, 112, 26, 193, 21, "Edit7"},
    {&Button22, K::Button, &GroupBox14, 312, 24, 17, 25, "...", &TForm1::Button22Click},
    {&Label24, K::Label, &GroupBox14, 16, 64, 97, 13, "截图保存路径："},
    {&Edit8, K::Edit, &GroupBox14, 112, 59, 193, 21, "Edit8"},
    {&Button23, K::Button, &GroupBox14, 312, 56, 17, 25, "...", &TForm1::Button23Click},
    {&Button21, K::Button, &GroupBox14, 224, 96, 75, 25, "保存", &TForm1::Button21Click},

    {&Label8, K::Label, &TabSheet5, 128, 32, 121, 33, "Korvane"},
    {&Image2, K::Image, &TabSheet5, 72, 88, 217, 105, ""},
    {&Label9, K::Label, &TabSheet5, 64, 240, 209, 13, "版本：  0.5.0908  Beta"},
    {&Label10, K::Label, &TabSheet5, 64, 280, 241, 13, "作者：Korvane 开发组"},
    {&Label22, K::Label, &TabSheet5, 64, 312, 257, 13, "鸣谢：每一位试用并报告问题的 Harlix 用户"},
    {&Label11, K::Label, &TabSheet5, 64, 344, 225, 13, "联系：请在项目主页留言"},
    {&Label12, K::Label, &TabSheet5, 64, 376, 257, 13, ""},
    {&Label13, K::Label, &TabSheet5, 104, 400, 241, 13, "   "},
  };
  // clang-format on

  HINSTANCE instance = GetModuleHandleW(nullptr);
  int id = kFirstControlId;
  int pageIndex = 0;
  for (Placed& p : placed_) {
    // Controls in a group box or panel are siblings of it, offset by its
    // place, so that their notifications reach the tab sheet.
    p.left = p.x;
    p.top = p.y;
    const Placed* container = nullptr;
    for (const Placed& q : placed_)
      if (q.control == p.parent) container = &q;
    if (container && (container->kind == Kind::Group || container->kind == Kind::Panel)) {
      p.left += container->left;
      p.top += container->top;
      p.window = container->window;
    } else {
      p.window = p.parent ? p.parent->Handle : Handle;
    }

    const wchar_t* windowClass = L"STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    DWORD exStyle = 0;
    switch (p.kind) {
      case Kind::Tabs:
        windowClass = WC_TABCONTROLW;
        style |= WS_CLIPCHILDREN | WS_TABSTOP;
        break;
      case Kind::Page:
        windowClass = kPageClass;
        // Not clipping its children: group boxes leave their inside to the page.
        style = WS_CHILD;
        exStyle = WS_EX_CONTROLPARENT;
        break;
      case Kind::Group:
        windowClass = L"BUTTON";
        style |= BS_GROUPBOX;
        break;
      case Kind::Panel:
        style |= SS_ETCHEDFRAME;
        break;
      case Kind::Button:
        windowClass = L"BUTTON";
        style |= BS_PUSHBUTTON | BS_MULTILINE | WS_TABSTOP;
        break;
      case Kind::Check:
        windowClass = L"BUTTON";
        style |= BS_AUTOCHECKBOX | WS_TABSTOP;
        break;
      case Kind::Label:
        style |= SS_LEFT | SS_NOPREFIX;
        break;
      case Kind::Edit:
        windowClass = L"EDIT";
        style |= ES_AUTOHSCROLL | WS_TABSTOP;
        exStyle = WS_EX_CLIENTEDGE;
        break;
      case Kind::Rich:
        windowClass = MSFTEDIT_CLASS;
        style |=
            ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | ES_NOHIDESEL | WS_VSCROLL | WS_TABSTOP;
        exStyle = WS_EX_CLIENTEDGE;
        break;
      case Kind::Image:
        style |= SS_BITMAP | SS_CENTERIMAGE;
        break;
      case Kind::Grid:
        windowClass = kwin::kGridClass;
        style |= WS_TABSTOP;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    }
    HWND window =
        CreateWindowExW(exStyle, windowClass, kwin::Widen(p.caption).c_str(), style, 0, 0, 0, 0,
                        p.window, reinterpret_cast<HMENU>(INT_PTR{id}), instance, nullptr);
    if (!window)
      throw Error("Cannot create the control " + std::to_string(id) + ": " +
                  kwin::SystemErrorText(GetLastError()));
    ++id;
    p.control->Handle = window;
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    if (p.checked) static_cast<TCheckBox*>(p.control)->SetChecked(true);
    if (p.kind == Kind::Page) {
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PageProc));
      std::wstring caption = kwin::Widen(p.caption);
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = caption.data();
      SendMessageW(PageControl1.Handle, TCM_INSERTITEMW, pageIndex++,
                   reinterpret_cast<LPARAM>(&item));
    }
  }
  // Group boxes and panels lie beneath the controls they hold.
  for (const Placed& p : placed_)
    if (p.kind == Kind::Group || p.kind == Kind::Panel)
      SetWindowPos(p.control->Handle, HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  SendMessageW(Label8.Handle, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_), FALSE);
  // The module grid: a header row, the check-box column (fixed until the
  // first listing) and the name column.
  SendMessageW(advstringgrid1.Handle, WM_SETFONT, reinterpret_cast<WPARAM>(gridFont_), FALSE);
  advstringgrid1.SetDpi(dpi_);
  advstringgrid1.SetColCount(2);
  advstringgrid1.SetRowCount(17);
  advstringgrid1.SetFixedRows(1);
  advstringgrid1.SetFixedCols(1);
  advstringgrid1.SetColWidth(0, 20);
  advstringgrid1.SetColWidth(1, 301);
  advstringgrid1.SetDefaultRowHeight(20);
  advstringgrid1.SetEditing(true);
  advstringgrid1.OnClickCell = [this](int row, int col) { advstringgrid1ClickCell(row, col); };
  advstringgrid1.OnMouseUp = [this](TMouseButton button, TShiftState shift, int x, int y) {
    advstringgrid1MouseUp(button, shift, x, y);
  };
  SendMessageW(RichEdit1.Handle, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  SendMessageW(RichEdit1.Handle, EM_SETBKGNDCOLOR, 0, RGB(204, 203, 208));
  CHARFORMAT2W format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_FACE | CFM_CHARSET | CFM_SIZE;
  format.bCharSet = GB2312_CHARSET;
  format.yHeight = 8 * 20;  // 8 point, in twips
  lstrcpynW(format.szFaceName, L"MS Sans Serif", LF_FACESIZE);
  SendMessageW(RichEdit1.Handle, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
  SendMessageW(RichEdit1.Handle, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));

  aboutPicture_ = LoadAboutPicture();
  SendMessageW(Image2.Handle, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(aboutPicture_));

  LayoutControls();
  ShowPage(0);
}

void TForm1::LayoutControls() {
  RECT display{0, 0, Scale(361), Scale(489)};
  SendMessageW(PageControl1.Handle, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  for (const Placed& p : placed_) {
    if (p.kind == Kind::Page) {
      MoveWindow(p.control->Handle, display.left, display.top, display.right - display.left,
                 display.bottom - display.top, FALSE);
    } else {
      MoveWindow(p.control->Handle, Scale(p.left), Scale(p.top), Scale(p.width), Scale(p.height),
                 FALSE);
    }
  }
  InvalidateRect(Handle, nullptr, TRUE);
}

void TForm1::ShowPage(int index) const {
  const TTabSheet* pages[] = {&TabSheet1, &TabSheet2, &TabSheet3,
                              &TabSheet6, &TabSheet4, &TabSheet5};
  SendMessageW(PageControl1.Handle, TCM_SETCURSEL, index, 0);
  for (int i = 0; i < 6; ++i) pages[i]->SetVisible(i == index);
}

void TForm1::OnCommand(int id, int code) {
  size_t index = static_cast<size_t>(id - kFirstControlId);
  if (index >= placed_.size() || code != BN_CLICKED) return;
  if (auto click = placed_[index].click) Dispatch(click);
}

void TForm1::Dispatch(void (TForm1::*handler)()) {
  Dispatch([this, handler] { (this->*handler)(); });
}

void TForm1::Dispatch(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    ShowErrorBox(error.what());
  }
}

// A failing tick shows its error once; while the ticks go on failing, once a
// second, no further box comes, until one has succeeded. A tick that arrives
// while an earlier one runs or shows its error box does nothing, so that
// error boxes never stack up.
void TForm1::DispatchTick() {
  if (tickBusy_) return;
  tickBusy_ = true;
  try {
    Timer1Timer();
    tickFailing_ = false;
  } catch (const std::exception& error) {
    if (!std::exchange(tickFailing_, true)) ShowErrorBox(error.what());
  }
  tickBusy_ = false;
}

void TForm1::ShowErrorBox(const std::string& text) {
  Ask(ErrorBoxText(text), title_, MB_OK | MB_ICONERROR);
}

LRESULT CALLBACK TForm1::FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* form = reinterpret_cast<TForm1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!form) return DefWindowProcW(window, message, wParam, lParam);
  return form->HandleMessage(message, wParam, lParam);
}

// Tab sheets hand their controls' notifications to the main window.
LRESULT CALLBACK TForm1::PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return SendMessageW(GetAncestor(window, GA_ROOT), message, wParam, lParam);
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->hwndFrom == PageControl1.Handle && header->code == TCN_SELCHANGE)
        ShowPage(PageControl1.ActivePage());
      if (header->hwndFrom == advstringgrid1.Handle)
        Dispatch([this, header] { advstringgrid1.Notify(*header); });
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      if (reinterpret_cast<HWND>(lParam) == Label8.Handle) SetTextColor(dc, RGB(0, 0, 0));
      return reinterpret_cast<LRESULT>(faceBrush_);
    }
    case WM_TIMER:
      if (wParam == kTimer1) DispatchTick();
      return 0;
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wParam);
      CreateFonts();
      for (const Placed& p : placed_)
        SendMessageW(p.control->Handle, WM_SETFONT,
                     reinterpret_cast<WPARAM>(p.control == &Label8 ? titleFont_ : font_), FALSE);
      SendMessageW(advstringgrid1.Handle, WM_SETFONT, reinterpret_cast<WPARAM>(gridFont_), FALSE);
      advstringgrid1.SetDpi(dpi_);
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(Handle, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      LayoutControls();
      return 0;
    }
    case WM_DESTROY:
      KillTimer(Handle, kTimer1);
      FormDestroy();
      return 0;
    case WM_NCDESTROY: {
      HWND window = std::exchange(Handle, nullptr);
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      return DefWindowProcW(window, message, wParam, lParam);
    }
    default:
      return DefWindowProcW(Handle, message, wParam, lParam);
  }
}

void TForm1::FormCreate() {
  StatusBufferSize = std::stoi(Strip(Edit1.Text()));
  ReadSettingsAtStart();
  RangePending = false;
}

void TForm1::FormDestroy() {
  for (const char* name : {"dir.txt", "ss.txt", "bmp.txt", "jar.txt"})
    if (FileExists(app_ + name)) DeleteFileQuietly(app_ + name);
}

}  // namespace korvane
