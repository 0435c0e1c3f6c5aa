// korvane: manages a Harlix handheld through its loader tool.

#include <windows.h>
#include <objbase.h>

#include "Unit1.h"
#include "korvane/text.h"
#include "kwin/text.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  // The GUI thread is a single-threaded apartment: the USB watch uses COM.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  korvane::TForm1 Form1;
  try {
    Form1.Create();
  } catch (const std::exception& error) {
    MessageBoxW(nullptr, kwin::Widen(korvane::ErrorBoxText(error.what())).c_str(),
                kwin::Widen(Form1.Title()).c_str(), MB_OK | MB_ICONERROR);
    return 1;
  }
  Form1.Show(showCommand);
  MSG message;
  while (Form1.Handle && GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(Form1.Handle, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  CoUninitialize();
  return 0;
}
