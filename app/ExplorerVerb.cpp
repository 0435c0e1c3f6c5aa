// The Explorer verb "传送到HX(&S)" on COD files, which loads the file onto the
// handheld with zemblor, installed and removed from the settings tab.

#include <windows.h>

#include "Unit1.h"
#include "korvane/error.h"
#include "kwin/text.h"

namespace korvane {

namespace {

const char kFileType[] = "codfiles";
const char kVerb[] = "传送到HX(&S)";

// Creates or opens the key under HKEY_CLASSES_ROOT and sets its default value.
void SetDefaultValue(const std::string& path, const std::string& data) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, kwin::Widen(path).c_str(), 0, nullptr,
                      REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    throw Error("Failed to create key " + path);
  std::wstring value = kwin::Widen(data);
  LSTATUS status =
      RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) throw Error("Failed to set data for ''");
}

}  // namespace

void TForm1::RegisterFileVerb(const std::string& extension, const std::string& fileType,
                              const std::string& verb, const std::string& command) const {
  std::string key = ".";
  for (char c : extension)
    if (c != '.') key.push_back(c);
  SetDefaultValue(key, fileType);
  SetDefaultValue(fileType + "\\shell\\" + verb + "\\command", command + " \"%1\"");
}

void TForm1::Button19Click() {
  // A program path with a blank is quoted: unquoted, Explorer would start
  // C:\Program.exe for C:\Program Files\Korvane\zemblor.exe.
  std::string program = app_ + "zemblor.exe";
  if (program.find(' ') != std::string::npos) program = "\"" + program + "\"";
  RegisterFileVerb(".cod", kFileType, kVerb, program + " -u load");
  if (CheckBox6.Checked()) {
    RichEdit1.Clear();
    RichEdit1.AppendLine("鼠标右键快速传送通道建立完成！");
    WriteSetting("guanlian", "gl", "1");
    return;
  }
  std::string verbKey = std::string(kFileType) + "\\shell\\" + kVerb;
  LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, kwin::Widen(verbKey).c_str());
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
    throw Error("Failed to delete key " + verbKey);
  RichEdit1.Clear();
  RichEdit1.AppendLine("鼠标右键快速传送通道已取消！");
  WriteSetting("guanlian", "gl", "0");
}

}  // namespace korvane
