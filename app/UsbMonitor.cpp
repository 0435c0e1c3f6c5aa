// The USB presence label: once a second the names of the USB hubs that WMI
// lists, through its scripting objects, each with new objects.

#include "Unit1.h"
#include "kwin/dispatch.h"

namespace korvane {

std::vector<std::string> TForm1::QueryUsbHubNames() {
  using kwin::Variant;
  kwin::Dispatch locator = kwin::Dispatch::Create("WbemScripting.SWbemLocator");
  // This computer's default namespace, as the user who runs korvane.
  kwin::Dispatch services =
      locator.Call("ConnectServer", {Variant("."), Variant(""), Variant(""), Variant("")}).Object();
  kwin::Dispatch hubs =
      services.Call("ExecQuery", {Variant("SELECT * FROM Win32_USBHub")}).Object();
  std::vector<std::string> names;
  hubs.ForEach([&names](const Variant& hub) { names.push_back(hub.Object().Get("Name").Text()); });
  return names;
}

// The label ends with the name listed last; with none listed it keeps its text.
void TForm1::Timer1Timer() {
  for (const std::string& name : UsbHubNames()) Label1.SetText(name);
}

}  // namespace korvane
