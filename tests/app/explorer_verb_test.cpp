// The Explorer verb on COD files: what 确定 of the settings tab installs and
// removes under HKEY_CLASSES_ROOT, redirected to a key of the test's own, the
// status pane's line and the "gl" setting; and what a refused write leaves.

#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "AppFixture.h"
#include "kwin/text.h"

namespace korvane::testing {
namespace {

const char kMissing[] = "<missing>";
const char kVerbKey[] = "codfiles\\shell\\传送到HX(&S)";
const char kCommandKey[] = "codfiles\\shell\\传送到HX(&S)\\command";
const char kInstalled[] = "鼠标右键快速传送通道建立完成！";
const char kRemoved[] = "鼠标右键快速传送通道已取消！";

// Every key below key, each as its path followed by its values, written
// "path | name = data" (name @ for the default value; data only for REG_SZ).
void Dump(HKEY key, const std::string& path, std::vector<std::string>& out) {
  std::wstring name(16384, L'\0');
  std::vector<BYTE> data(65536);
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = static_cast<DWORD>(name.size());
    DWORD dataSize = static_cast<DWORD>(data.size());
    DWORD type = 0;
    if (RegEnumValueW(key, i, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize) !=
        ERROR_SUCCESS)
      break;
    std::string line = path + " | " + (nameSize ? kwin::Narrow(name.substr(0, nameSize)) : "@");
    if (type == REG_SZ)
      line += " = " + kwin::Narrow(reinterpret_cast<const wchar_t*>(data.data()));
    else
      line += " : type " + std::to_string(type);
    out.push_back(line);
  }
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = static_cast<DWORD>(name.size());
    if (RegEnumKeyExW(key, i, name.data(), &nameSize, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    std::wstring sub = name.substr(0, nameSize);
    std::string subPath = (path.empty() ? "" : path + "\\") + kwin::Narrow(sub);
    out.push_back(subPath);
    HKEY child = nullptr;
    if (RegOpenKeyExW(key, sub.c_str(), 0, KEY_READ, &child) != ERROR_SUCCESS) {
      out.push_back(subPath + " | <unreadable>");
      continue;
    }
    Dump(child, subPath, out);
    RegCloseKey(child);
  }
}

class ExplorerVerb : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(CreateDirectoryW(kwin::Widen(app + "ini").c_str(), nullptr));
    classesPath_ = L"Software\\korvane-verb-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                   std::to_wstring(GetTickCount64());
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, classesPath_.c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &classes_, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, classes_), ERROR_SUCCESS);
  }

  void TearDown() override {
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    if (readOnly_) RegCloseKey(readOnly_);
    if (classes_) {
      Unguard();
      RegCloseKey(classes_);
      RegDeleteTreeW(HKEY_CURRENT_USER, classesPath_.c_str());
    }
    AppFixture::TearDown();
  }

  // The classes key as it stands, sorted.
  std::vector<std::string> Tree() const {
    std::vector<std::string> tree;
    Dump(classes_, "", tree);
    std::sort(tree.begin(), tree.end());
    return tree;
  }

  // Creates the key below the classes key and sets the value (name empty:
  // the default value).
  void Put(const std::string& path, const std::string& name, const std::string& data) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(classes_, kwin::Widen(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << path;
    std::wstring value = kwin::Widen(data);
    EXPECT_EQ(RegSetValueExW(key, name.empty() ? nullptr : kwin::Widen(name).c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }

  // Gives the key below the classes key the security descriptor of the SDDL
  // text.
  bool Guard(const std::string& path, const wchar_t* sddl) const {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                              nullptr))
      return false;
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyExW(classes_, kwin::Widen(path).c_str(), 0, WRITE_DAC, &key);
    if (status == ERROR_SUCCESS) {
      status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
      RegCloseKey(key);
    }
    LocalFree(descriptor);
    return status == ERROR_SUCCESS;
  }

  // From now on the key may be read, not written: everyone may read it, set
  // its security and delete it, nothing else.
  void MakeReadOnly(const std::string& path) {
    ASSERT_TRUE(Guard(path, L"D:P(A;;KRWDSD;;;WD)")) << path;
    guarded_.push_back(path);
  }

  // The keys made read-only may be written again.
  void Unguard() {
    for (const std::string& path : guarded_) EXPECT_TRUE(Guard(path, L"D:(A;;KA;;;WD)")) << path;
    guarded_.clear();
  }

  // HKEY_CLASSES_ROOT becomes the classes key opened for reading only.
  void RedirectReadOnly() {
    if (readOnly_) RegCloseKey(std::exchange(readOnly_, nullptr));
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, classesPath_.c_str(), 0, KEY_READ, &readOnly_),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, readOnly_), ERROR_SUCCESS);
  }

  void Clear() {
    ASSERT_EQ(RegDeleteTreeW(classes_, nullptr), ERROR_SUCCESS);
    DeleteFileW(kwin::Widen(Ini()).c_str());
  }

  std::string Ini() const { return app + "ini\\set.ini"; }

  std::string StoredGl() const {
    wchar_t value[64] = {};
    GetPrivateProfileStringW(L"guanlian", L"gl", kwin::Widen(kMissing).c_str(), value, 64,
                             kwin::Widen(Ini()).c_str());
    return kwin::Narrow(value);
  }

  void Press(bool checked) {
    form->CheckBox6.SetChecked(checked);
    SendMessageW(form->Button19.Handle, BM_CLICK, 0, 0);
  }

  // The command the verb starts, for this test's application folder: the
  // program path is quoted only when it holds a blank.
  std::string Command() const {
    if (app.find(' ') == std::string::npos) return app + "zemblor.exe -u load \"%1\"";
    return "\"" + app + "zemblor.exe\" -u load \"%1\"";
  }

  // The keys and values of an installed verb and of a removed one.
  std::vector<std::string> Installed() const {
    return {".cod",
            ".cod | @ = codfiles",
            "codfiles",
            "codfiles\\shell",
            kVerbKey,
            kCommandKey,
            std::string(kCommandKey) + " | @ = " + Command()};
  }
  static std::vector<std::string> Removed() {
    return {".cod", ".cod | @ = codfiles", "codfiles", "codfiles\\shell"};
  }

  HKEY classes_ = nullptr;

 private:
  std::wstring classesPath_;
  HKEY readOnly_ = nullptr;
  std::vector<std::string> guarded_;
};

// Without a blank in the folder the command is exactly the plain one; with
// one the program path is quoted.
INSTANTIATE_TEST_SUITE_P(AppFolders, ExplorerVerb, ::testing::Values("korvane", "工具 100%"));

// A value in place before the test's presses.
struct Before {
  std::string path, name, data;
};

std::vector<std::string> Sorted(std::vector<std::string> lines) {
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::vector<std::string> Plus(std::vector<std::string> lines,
                              const std::vector<std::string>& more) {
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

TEST_P(ExplorerVerb, PressesInstallAndRemoveTheVerbAndRememberIt) {
  struct Case {
    const char* what;
    std::vector<Before> before;
    std::vector<bool> presses;  // CheckBox6 at each press of 确定
    std::vector<std::string> tree;
    const char* line;
    const char* gl;
  };
  const std::vector<std::string> installed = Installed();
  const std::vector<std::string> removed = Removed();
  const std::string openCommand = "codfiles\\shell\\open\\command";
  const Case cases[] = {
      {"install", {}, {true}, installed, kInstalled, "1"},
      {"install twice", {}, {true, true}, installed, kInstalled, "1"},
      {"remove after install", {}, {true, false}, removed, kRemoved, "0"},
      {"remove with nothing installed", {}, {false}, removed, kRemoved, "0"},
      {"install again after removal", {}, {true, false, true}, installed, kInstalled, "1"},
      {".cod of another type",
       {{".cod", "", "txtfile"}, {".cod", "Content Type", "text/plain"}},
       {true},
       Plus(installed, {".cod | Content Type = text/plain"}),
       kInstalled,
       "1"},
      {"command of a folder the program has left",
       {{kCommandKey, "", "D:\\old\\zemblor.exe -u load \"%1\""}},
       {true},
       installed,
       kInstalled,
       "1"},
      {"removal keeps other verbs of the type",
       {{openCommand, "", "notepad.exe \"%1\""}},
       {true, false},
       Plus(removed,
            {"codfiles\\shell\\open", openCommand, openCommand + " | @ = notepad.exe \"%1\""}),
       kRemoved,
       "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Clear();
    for (const Before& b : c.before) Put(b.path, b.name, b.data);
    form->RichEdit1.Clear();
    form->RichEdit1.AppendLine("earlier output");
    for (bool checked : c.presses) Press(checked);
    EXPECT_EQ(Tree(), Sorted(c.tree));
    EXPECT_EQ(form->RichEdit1.Lines(), std::vector<std::string>{c.line});
    EXPECT_EQ(StoredGl(), c.gl);
    EXPECT_EQ(form->CheckBox6.Checked(), c.presses.back());
  }
  EXPECT_TRUE(asked.empty());
}

// Wine lets a handle opened for reading create keys below it, which Windows
// refuses; so the keys that must stay as they are also refuse writing in
// their own security, which both honour.
TEST_P(ExplorerVerb, RefusedKeyEndsThePressLeavingPaneAndSettingAlone) {
  struct Case {
    const char* what;
    std::vector<Before> before;
    const char* readOnlyKey;
    bool checked;
    const char* error;
    std::vector<std::string> tree;  // after the press
  };
  const std::vector<Before> other = {{".cod", "", "txtfile"}};
  const std::vector<Before> installed = {{".cod", "", "codfiles"}, {kCommandKey, "", Command()}};
  const std::vector<Before> moved = {{".cod", "", "txtfile"},
                                     {kCommandKey, "", "D:\\old\\zemblor.exe -u load \"%1\""}};
  const std::string oldCommand = std::string(kCommandKey) + " | @ = " + moved[1].data;
  const Case cases[] = {
      {"install over a .cod of another type",
       other,
       ".cod",
       true,
       "Failed to create key .cod.",
       {".cod", ".cod | @ = txtfile"}},
      {"removal over a .cod of another type",
       other,
       ".cod",
       false,
       "Failed to create key .cod.",
       {".cod", ".cod | @ = txtfile"}},
      // The verb key stays when the removal fails.
      {"removal of an installed verb", installed, ".cod", false, "Failed to create key .cod.",
       Installed()},
      // What was written before the refused key stays written.
      {"install with a refused command key", moved, kCommandKey, true,
       "Failed to create key codfiles\\shell\\传送到HX(&S)\\command.",
       Plus(Removed(), {kVerbKey, kCommandKey, oldCommand})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RegOverridePredefKey(HKEY_CLASSES_ROOT, classes_);
    Unguard();
    Clear();
    for (const Before& b : c.before) Put(b.path, b.name, b.data);
    MakeReadOnly(c.readOnlyKey);
    RedirectReadOnly();
    WritePrivateProfileStringW(L"guanlian", L"gl", L"7", kwin::Widen(Ini()).c_str());
    form->RichEdit1.Clear();
    form->RichEdit1.AppendLine("earlier output");
    asked.clear();

    Press(c.checked);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, c.error);
    EXPECT_EQ(asked[0].caption, form->Title());
    EXPECT_EQ(asked[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(Tree(), Sorted(c.tree));
    EXPECT_EQ(form->RichEdit1.Lines(), std::vector<std::string>{"earlier output"});
    EXPECT_EQ(StoredGl(), "7");
  }
}

}  // namespace
}  // namespace korvane::testing
