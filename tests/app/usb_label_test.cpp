// The USB label: the hub names WMI lists, once a second, and how ticks that
// fail are reported.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AppFixture.h"
#include "korvane/error.h"

namespace korvane::testing {
namespace {

const UINT_PTR kTimer1 = 1;  // the id of the main window's timer

class UsbLabel : public AppFixture {
 protected:
  void Tick() const { SendMessageW(form->Handle, WM_TIMER, kTimer1, 0); }

  // Runs the thread's message loop until done() or the time is up.
  template <typename Done>
  void Pump(DWORD milliseconds, Done done) const {
    ULONGLONG end = GetTickCount64() + milliseconds;
    while (!done() && GetTickCount64() < end) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
  }
};

INSTANTIATE_TEST_SUITE_P(AppFolder, UsbLabel, ::testing::Values("korvane"));

TEST_P(UsbLabel, WmiIsAskedWithoutErrorAndTheLabelShowsTheLastHub) {
  EXPECT_EQ(form->Label1.Text(), "");  // empty at start
  std::vector<std::string> names;
  ASSERT_NO_THROW(names = TForm1::QueryUsbHubNames());
  form->Label1.SetText("之前");
  Tick();
  EXPECT_TRUE(asked.empty()) << asked[0].text;
  EXPECT_EQ(form->Label1.Text(), names.empty() ? "之前" : names.back());
  EXPECT_NO_THROW(form->Timer1Timer());
}

TEST_P(UsbLabel, LabelEndsWithTheLastNameListedAndKeepsItWhenNoneIs) {
  struct Case {
    std::vector<std::string> names;
    const char* shown;  // the label held "之前" before the tick
  };
  const Case cases[] = {
      {{"USB Root Hub", "通用 USB 集线器", "Generic USB Hub"}, "Generic USB Hub"},
      {{"USB Root Hub"}, "USB Root Hub"},
      {{"A", ""}, ""},
      {{}, "之前"},
  };
  int calls = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    form->UsbHubNames = [&] {
      ++calls;
      return c.names;
    };
    form->Label1.SetText("之前");
    calls = 0;
    Tick();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(form->Label1.Text(), c.shown);
  }
  EXPECT_TRUE(asked.empty());
}

TEST_P(UsbLabel, FailingTicksShowTheirErrorOnceUntilOneSucceeds) {
  // Each tick in turn: fails (true) or lists one hub; the boxes shown so far.
  struct Step {
    bool fails;
    size_t boxes;
  };
  const Step steps[] = {{true, 1}, {true, 1},  {true, 1},  {false, 1}, {true, 2},
                        {true, 2}, {false, 2}, {false, 2}, {true, 3}};
  bool failing = false;
  form->UsbHubNames = [&]() -> std::vector<std::string> {
    if (failing) throw Error("WMI refused the query");
    return {"USB Root Hub"};
  };
  form->Label1.SetText("之前");
  std::string shown = "之前";
  for (size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE(i);
    failing = steps[i].fails;
    Tick();
    if (!failing) shown = "USB Root Hub";
    EXPECT_EQ(form->Label1.Text(), shown);
    EXPECT_EQ(asked.size(), steps[i].boxes);
  }
  for (const AskedBox& box : asked) {
    EXPECT_EQ(box.text, "WMI refused the query.");
    EXPECT_EQ(box.caption, form->Title());
    EXPECT_EQ(box.flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
  }
}

TEST_P(UsbLabel, TickWhileTheErrorBoxIsOpenDoesNothing) {
  int calls = 0;
  form->UsbHubNames = [&]() -> std::vector<std::string> {
    ++calls;
    throw Error("WMI refused the query");
  };
  // The box keeps the message loop running, so ticks arrive while it shows.
  form->Ask = [&](const std::string& text, const std::string& caption, UINT flags) {
    asked.push_back({text, caption, flags});
    Tick();
    Tick();
    return IDOK;
  };
  Tick();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(asked.size(), 1u);
  Tick();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(asked.size(), 1u);
}

TEST_P(UsbLabel, TimerTicksOnceASecond) {
  int calls = 0;
  form->UsbHubNames = [&]() -> std::vector<std::string> {
    ++calls;
    throw Error("WMI refused the query");
  };
  ULONGLONG begin = GetTickCount64();
  Pump(6000, [&] { return calls >= 3; });
  ULONGLONG elapsed = GetTickCount64() - begin;
  EXPECT_EQ(calls, 3);
  EXPECT_GE(elapsed, 2500u);
  EXPECT_EQ(asked.size(), 1u);
}

}  // namespace
}  // namespace korvane::testing
