#include "kwin/wait.h"

#include "korvane/error.h"
#include "kwin/text.h"

namespace kwin {

BusyCursor::BusyCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}

BusyCursor::~BusyCursor() { SetCursor(previous_); }

void PaintPending() {
  // PeekMessage also delivers the messages sent to the thread's windows.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageW(&msg);
}

std::size_t WaitKeepingPainted(std::span<const HANDLE> handles) {
  BusyCursor busy;
  auto count = static_cast<DWORD>(handles.size());
  for (;;) {
    PaintPending();
    DWORD r = MsgWaitForMultipleObjectsEx(count, handles.data(), INFINITE,
                                          QS_PAINT | QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
    if (r == WAIT_FAILED) throw korvane::Error(SystemErrorText(GetLastError()));
    if (r < WAIT_OBJECT_0 + count) return r - WAIT_OBJECT_0;
  }
}

}  // namespace kwin
