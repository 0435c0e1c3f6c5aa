// Late-bound automation against WMI's scripting objects, which every
// Windows (and Wine) has.

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "korvane/error.h"
#include "kwin/dispatch.h"

namespace kwin {
namespace {

class DispatchTest : public ::testing::Test {
 protected:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  void TearDown() override { CoUninitialize(); }

  static Dispatch Services() {
    return Dispatch::Create("WbemScripting.SWbemLocator")
        .Call("ConnectServer", {Variant("."), Variant(""), Variant(""), Variant("")})
        .Object();
  }
};

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const korvane::Error& error) {
    return error.what();
  }
  return "no error";
}

TEST_F(DispatchTest, CallsReadsAndWalksByName) {
  Dispatch systems =
      Services().Call("ExecQuery", {Variant("SELECT * FROM Win32_OperatingSystem")}).Object();
  std::vector<std::string> names;
  std::vector<std::string> counts;
  systems.ForEach([&](const Variant& system) {
    names.push_back(system.Object().Get("Name").Text());
    counts.push_back(system.Object().Get("OSLanguage").Text());  // a number, as text
  });
  ASSERT_EQ(names.size(), 1u);
  EXPECT_FALSE(names[0].empty());
  EXPECT_GT(std::stoi(counts[0]), 0) << counts[0];
  // Copies hold the same text; the arguments are passed in the order written.
  Variant text("多 字节 text");
  Variant copy = text;
  EXPECT_EQ(copy.Text(), "多 字节 text");
}

TEST_F(DispatchTest, FailuresNameWhatWasAskedAndTheHresult) {
  struct Case {
    std::function<void()> action;
    const char* start;
  };
  const Case cases[] = {
      {[] { Dispatch::Create("Korvane.NoSuchObject"); },
       "Cannot create Korvane.NoSuchObject (HRESULT 0x800401F3)"},
      {[] { Services().Call("NoSuchMethod"); }, "Unknown member NoSuchMethod (HRESULT 0x"},
      {[] { Services().Call("ExecQuery", {Variant("SELEC nothing")}); },
       "Call of ExecQuery failed (HRESULT 0x80041017)"},
      {[] { Variant().Object(); }, "Not an object: a value of type 0"},
      {[] { Services().Get("Security_").Text(); },
       "Cannot read a value of type 9 as text (HRESULT 0x"},
  };
  for (const Case& c : cases) {
    std::string text = ErrorOf(c.action);
    EXPECT_EQ(text.substr(0, std::string(c.start).size()), c.start) << text;
  }
}

TEST_F(DispatchTest, NothingIsLeftBehind) {
  auto query = [] {
    Services()
        .Call("ExecQuery", {Variant("SELECT * FROM Win32_OperatingSystem")})
        .Object()
        .ForEach([](const Variant& system) { system.Object().Get("Name").Text(); });
  };
  query();  // loads what WMI keeps loaded
  DWORD before = 0, after = 0;
  GetProcessHandleCount(GetCurrentProcess(), &before);
  for (int i = 0; i < 50; ++i) query();
  GetProcessHandleCount(GetCurrentProcess(), &after);
  EXPECT_LE(after, before + 2);
}

}  // namespace
}  // namespace kwin
