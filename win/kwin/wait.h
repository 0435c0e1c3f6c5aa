#pragma once
// Waiting on the GUI thread for an outside program: the thread's windows go
// on painting themselves and messages sent to them are handled, but nothing
// else runs; input, timer and posted messages stay queued for the message
// loop.

#include <windows.h>

#include <cstddef>
#include <span>

namespace kwin {

// Shows the busy cursor while it lives.
class BusyCursor {
 public:
  BusyCursor();
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
  ~BusyCursor();

 private:
  HCURSOR previous_;
};

// Paints the windows that need it and handles the messages sent to the
// thread's windows, without waiting.
void PaintPending();

// Waits until one of the handles (at most 63) is signalled and returns its
// index, painting meanwhile, with the busy cursor.
std::size_t WaitKeepingPainted(std::span<const HANDLE> handles);

}  // namespace kwin
