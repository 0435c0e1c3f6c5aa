#include "AppFixture.h"

#include <objbase.h>
#include <shellapi.h>

#include "kwin/text.h"

namespace korvane::testing {

std::string TestProgramFolder() {
  wchar_t path[32768];
  DWORD n = GetModuleFileNameW(nullptr, path, 32768);
  std::string full = kwin::Narrow(std::wstring_view(path, n));
  return full.substr(0, full.find_last_of('\\') + 1);
}

std::string ReadBytes(const std::string& path) {
  HANDLE file = CreateFileW(kwin::Widen(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  std::string bytes;
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE file =
      CreateFileW(kwin::Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

bool Exists(const std::string& path) {
  return GetFileAttributesW(kwin::Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

void AppFixture::SetUp() {
  // As at the program's start: the USB label's ticks use COM.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  root_ = kwin::Narrow(temp) + "korvane-test-" + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(GetTickCount64()) + "\\";
  ASSERT_TRUE(CreateDirectoryW(kwin::Widen(root_).c_str(), nullptr));
  const char* name = GetParam();
  app = root_ + (name && *name ? name : "app") + "\\";
  ASSERT_TRUE(CreateDirectoryW(kwin::Widen(app).c_str(), nullptr)) << app;
  ASSERT_TRUE(CopyFileW(kwin::Widen(TestProgramFolder() + "zemblor_double.exe").c_str(),
                        kwin::Widen(app + "zemblor.exe").c_str(), FALSE));
  SetEnvironmentVariableW(L"ZEMBLOR_DOUBLE_OUTPUT", nullptr);
  SetEnvironmentVariableW(L"ZEMBLOR_DOUBLE_EXIT", nullptr);
  form = std::make_unique<TForm1>(app);
  form->Ask = [this](const std::string& text, const std::string& caption, UINT flags) {
    asked.push_back({text, caption, flags});
    return answer;
  };
  form->Create();
}

void AppFixture::TearDown() {
  form.reset();
  std::wstring from = kwin::Widen(root_.substr(0, root_.size() - 1));
  from.push_back(L'\0');  // the list of names ends with an empty one
  SHFILEOPSTRUCTW remove{};
  remove.wFunc = FO_DELETE;
  remove.pFrom = from.c_str();
  remove.fFlags = FOF_NO_UI;
  SHFileOperationW(&remove);
  CoUninitialize();
}

void AppFixture::SetOutput(const std::string& bytes) {
  std::string path = root_ + "output.bin";
  WriteBytes(path, bytes);
  SetEnvironmentVariableW(L"ZEMBLOR_DOUBLE_OUTPUT", kwin::Widen(path).c_str());
}

void AppFixture::SetExitCode(int code) {
  SetEnvironmentVariableW(L"ZEMBLOR_DOUBLE_EXIT", std::to_wstring(code).c_str());
}

std::vector<AppFixture::Run> AppFixture::Runs() const {
  std::vector<Run> runs;
  for (const std::string& line : SplitLines(ReadBytes(app + "zemblor.record"))) {
    size_t a = line.find(" | ");
    size_t b = line.rfind(" | ");
    runs.push_back(
        {line.substr(0, a), line.substr(a + 3, b - a - 3), std::stoi(line.substr(b + 3))});
  }
  return runs;
}

}  // namespace korvane::testing
