// zemblor.exe run as korvane and Explorer run it: its own state folder per
// test, folders with blanks and Chinese names, output in code page 936.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "codfile.h"

namespace {

constexpr DWORD kTimeoutMs = 60000;

std::wstring Widen(const std::string& utf8) {
  std::wstring wide(utf8.size(), L'\0');
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                              static_cast<int>(wide.size()));
  wide.resize(n);
  return wide;
}

std::string Convert(UINT from, UINT to, const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  int n = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                              static_cast<int>(wide.size()));
  std::string out(n * 4, '\0');
  int m = WideCharToMultiByte(to, 0, wide.data(), n, out.data(), static_cast<int>(out.size()),
                              nullptr, nullptr);
  out.resize(m);
  return out;
}

std::string ReadAll(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes(GetFileSize(file, nullptr), '\0');
  DWORD n = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  CloseHandle(file);
  return bytes;
}

void WriteAll(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD n = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  CloseHandle(file);
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring path = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

std::vector<std::uint8_t> ModuleFile(const std::string& name) {
  cod::Module m{name, "1.0", "Test Vendor", cod::Kind::kApplication,
                std::vector<std::uint8_t>(300 + name.size(), static_cast<std::uint8_t>(name[0]))};
  std::vector<std::uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(cod::Encode(m, &bytes, &error)) << error;
  return bytes;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

struct Result {
  DWORD exit_code = 0;
  std::string output;  // UTF-8, converted from the OEM code page
};

class ZemblorExe : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t buffer[MAX_PATH];
    GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    std::wstring exe = buffer;
    exe_ = exe.substr(0, exe.find_last_of(L'\\') + 1) + Widen(ZEMBLOR_EXE_FROM_TEST);
    std::replace(exe_.begin(), exe_.end(), L'/', L'\\');
    ASSERT_TRUE(Exists(exe_)) << ZEMBLOR_EXE_FROM_TEST;

    static int serial = 0;
    GetTempPathW(MAX_PATH, buffer);
    root_ = std::wstring(buffer) + L"zemblor 测试 " + std::to_wstring(GetCurrentProcessId()) +
            L"-" + std::to_wstring(++serial);
    ASSERT_TRUE(CreateDirectoryW(root_.c_str(), nullptr));
    state_ = root_ + L"\\状态 state";
    SetEnvironmentVariableW(L"ZEMBLOR_SIM_STATE", state_.c_str());
    SetEnvironmentVariableW(L"ZEMBLOR_SIM_DISCONNECTED", nullptr);
  }

  void TearDown() override { RemoveTree(root_); }

  std::wstring Folder(const std::wstring& name) {
    std::wstring path = root_ + L"\\" + name;
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
  }

  // Starts a command line; its output goes to a file of its own.
  struct Started {
    PROCESS_INFORMATION process{};
    std::wstring output;
  };

  Started Start(const std::wstring& command_line, const std::wstring& folder) {
    static int serial = 0;
    Started s;
    s.output = root_ + L"\\out-" + std::to_wstring(++serial) + L".txt";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileW(s.output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(out, INVALID_HANDLE_VALUE);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out;
    si.hStdError = out;
    std::wstring line = command_line;
    EXPECT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                               folder.empty() ? nullptr : folder.c_str(), &si, &s.process))
        << GetLastError();
    CloseHandle(out);
    return s;
  }

  Result Finish(const Started& s) {
    Result r;
    if (WaitForSingleObject(s.process.hProcess, kTimeoutMs) != WAIT_OBJECT_0) {
      TerminateProcess(s.process.hProcess, 99);
      ADD_FAILURE() << "zemblor did not end in time";
    }
    GetExitCodeProcess(s.process.hProcess, &r.exit_code);
    CloseHandle(s.process.hProcess);
    CloseHandle(s.process.hThread);
    r.output = Convert(CP_OEMCP, CP_UTF8, ReadAll(s.output));
    return r;
  }

  // zemblor with the arguments, as korvane writes them: the program's path
  // unquoted, then a blank and the arguments.
  Result Run(const std::wstring& args, const std::wstring& folder = L"") {
    return Finish(Start(exe_ + L" " + args, folder));
  }

  std::wstring exe_;
  std::wstring root_;
  std::wstring state_;
};

TEST_F(ZemblorExe, ListsModulesThroughCmdInTheLayoutKorvaneParses) {
  std::wstring in = Folder(L"安装 目录");
  WriteAll(in + L"\\天气 模块.cod", ModuleFile("天气_app"));
  // As the Explorer verb loads a file: the path in double quotes.
  Result load = Run(L"-u load \"" + in + L"\\天气 模块.cod\"");
  EXPECT_EQ(load.exit_code, 0u) << load.output;
  EXPECT_NE(load.output.find("Loaded module 天气_app 1.0"), std::string::npos) << load.output;

  std::wstring listing = root_ + L"\\dir.txt";
  Result cmd = Finish(Start(L"cmd.exe /c " + exe_ + L" -u dir >\"" + listing + L"\"", L""));
  EXPECT_EQ(cmd.exit_code, 0u);
  // The listing file is read in the ANSI code page, as korvane reads it.
  std::vector<std::string> lines = Lines(Convert(CP_ACP, CP_UTF8, ReadAll(listing)));
  ASSERT_EQ(lines.size(), 31u + 4);
  std::vector<std::string> names;
  for (size_t i = 2; i + 2 < lines.size(); ++i)
    names.push_back(lines[i].substr(0, lines[i].find(' ')));
  EXPECT_NE(std::find(names.begin(), names.end(), "天气_app"), names.end());
  EXPECT_NE(std::find(names.begin(), names.end(), "net_qor_api"), names.end());
  EXPECT_NE(std::find(names.begin(), names.end(), "dynamic_loader"), names.end());
  const std::string& totals = lines.back();
  EXPECT_EQ(totals.substr(0, totals.find(' ') + 1), "31 ");
  size_t capacity = totals.find(';') + 2;
  std::string free_bytes = totals.substr(capacity, totals.find(' ', capacity) - capacity);
  EXPECT_GT(std::stoll(free_bytes), 0) << totals;

  Result info = Run(L"-u info -d 天气_app.cod");
  EXPECT_EQ(info.exit_code, 0u);
  EXPECT_NE(info.output.find("Module:     天气_app\r\n"), std::string::npos) << info.output;
}

TEST_F(ZemblorExe, SavedModulesLoadBackByteForByteFromFoldersWithBlanks) {
  std::wstring first = Folder(L"保存 一");
  Result save = Run(L"-u save pocketmaps.cod chess_lite.cod", first);
  EXPECT_EQ(save.exit_code, 0u) << save.output;
  std::string pocketmaps = ReadAll(first + L"\\pocketmaps.cod");
  std::string chess = ReadAll(first + L"\\chess_lite.cod");
  ASSERT_EQ(pocketmaps.substr(0, 4), "ZCOD");
  ASSERT_EQ(chess.substr(0, 4), "ZCOD");

  EXPECT_EQ(Run(L"-usb erase -f pocketmaps.cod chess_lite.cod").exit_code, 0u);
  EXPECT_EQ(Run(L"-u info -d pocketmaps.cod").exit_code, 1u);
  // As the install script writes it: the paths unquoted, blanks and all.
  Result load = Run(L"-u load " + first + L"\\pocketmaps.cod " + first + L"\\chess_lite.cod");
  EXPECT_EQ(load.exit_code, 0u) << load.output;

  std::wstring second = Folder(L"保存 二");
  EXPECT_EQ(Run(L"-u save pocketmaps.cod chess_lite.cod", second).exit_code, 0u);
  EXPECT_EQ(ReadAll(second + L"\\pocketmaps.cod"), pocketmaps);
  EXPECT_EQ(ReadAll(second + L"\\chess_lite.cod"), chess);
}

TEST_F(ZemblorExe, EraseWithoutForceKeepsSystemModulesAndReportsUnknownNames) {
  Result erase = Run(L"-usb erase  net_qor_api.cod nosuch.cod tally_notes.cod");
  EXPECT_EQ(erase.exit_code, 1u);
  EXPECT_NE(erase.output.find("net_qor_api is a system module"), std::string::npos);
  EXPECT_NE(erase.output.find("nosuch: no such module"), std::string::npos);
  EXPECT_EQ(Run(L"-u info -d net_qor_api.cod").exit_code, 0u);
  EXPECT_EQ(Run(L"-u info -d tally_notes.cod").exit_code, 1u);
}

TEST_F(ZemblorExe, WipeVariantsRemoveApplicationsFilesOrBoth) {
  auto files_line = [this] {
    std::string info = Run(L"-u deviceinfo").output;
    size_t at = info.find("File system:");
    return info.substr(at, info.find("\r\n", at) - at);
  };
  EXPECT_EQ(Run(L"-u wipe -f").exit_code, 0u);
  EXPECT_EQ(files_line(), "File system:       0 files, 0 bytes");
  EXPECT_EQ(Run(L"-u info -d chess_lite.cod").exit_code, 0u);
  EXPECT_EQ(Run(L"-u wipe -a").exit_code, 0u);
  EXPECT_EQ(Run(L"-u info -d chess_lite.cod").exit_code, 1u);
  EXPECT_EQ(Run(L"-u info -d net_qor_os.cod").exit_code, 0u);
  EXPECT_EQ(Run(L"-u wipe").exit_code, 0u);
  EXPECT_NE(Run(L"-u dir").output.find("\r\n20 modules, "), std::string::npos);
}

TEST_F(ZemblorExe, DisconnectedHandheldFailsEveryCommand) {
  SetEnvironmentVariableW(L"ZEMBLOR_SIM_DISCONNECTED", L"1");
  for (const wchar_t* args : {L"-u dir", L"-u load x.cod", L"-usb settime", L"-u wipe"}) {
    Result r = Run(args);
    EXPECT_EQ(r.exit_code, 3u) << args;
    EXPECT_NE(r.output.find("No handheld connected"), std::string::npos) << r.output;
  }
  EXPECT_FALSE(Exists(state_));

  SetEnvironmentVariableW(L"ZEMBLOR_SIM_DISCONNECTED", L"0");
  EXPECT_EQ(Run(L"-u dir").exit_code, 0u);
  WriteAll(state_ + L"\\disconnected", {});
  EXPECT_EQ(Run(L"-u deviceinfo").exit_code, 3u);
  DeleteFileW((state_ + L"\\disconnected").c_str());
  EXPECT_EQ(Run(L"-u deviceinfo").exit_code, 0u);
}

TEST_F(ZemblorExe, ScreenshotIsA24BitBitmapOrAClearFailure) {
  std::wstring shots = Folder(L"截图 shots");
  std::wstring picture = shots + L"\\20240301120000.bmp";
  Result r = Run(L"-u screenshot " + picture);
  EXPECT_EQ(r.exit_code, 0u) << r.output;
  HANDLE image = LoadImageW(nullptr, picture.c_str(), IMAGE_BITMAP, 0, 0,
                            LR_LOADFROMFILE | LR_CREATEDIBSECTION);
  ASSERT_NE(image, nullptr);
  DIBSECTION dib{};
  ASSERT_EQ(GetObjectW(image, sizeof dib, &dib), static_cast<int>(sizeof dib));
  EXPECT_EQ(dib.dsBm.bmWidth, 320);
  EXPECT_EQ(dib.dsBm.bmHeight, 240);
  EXPECT_EQ(dib.dsBm.bmBitsPixel, 24);
  DeleteObject(image);

  std::wstring missing = root_ + L"\\没有\\x.bmp";
  Result failed = Run(L"-u screenshot " + missing);
  EXPECT_EQ(failed.exit_code, 1u);
  EXPECT_NE(failed.output.find("does not exist"), std::string::npos) << failed.output;
  EXPECT_FALSE(Exists(missing));
}

TEST_F(ZemblorExe, CommandsRunAtTheSameTimeLoseNothing) {
  ASSERT_EQ(Run(L"-u dir").exit_code, 0u);  // seeds the state
  std::wstring in = Folder(L"并发 in");
  std::vector<Started> started;
  std::vector<std::string> loaded;
  for (int i = 0; i < 8; ++i) {
    loaded.push_back(std::string(1, static_cast<char>('a' + i)) + "_module");
    std::wstring file = in + L"\\" + Widen(loaded.back()) + L".cod";
    WriteAll(file, ModuleFile(loaded.back()));
    started.push_back(Start(exe_ + L" -u load \"" + file + L"\"", L""));
    if (i % 2 == 0) {
      const wchar_t* erased[] = {L"tally_notes", L"chess_lite", L"stock_ticker", L"im_chat"};
      started.push_back(Start(exe_ + L" -usb erase " + erased[i / 2] + L".cod", L""));
    }
    started.push_back(Start(exe_ + L" -u dir", L""));
  }
  for (const Started& s : started) {
    Result r = Finish(s);
    EXPECT_EQ(r.exit_code, 0u) << r.output;
  }
  Result dir = Run(L"-u dir");
  EXPECT_NE(dir.output.find("\r\n34 modules, "), std::string::npos) << dir.output;
  for (const std::string& name : loaded) {
    EXPECT_NE(dir.output.find("\r\n" + name + " "), std::string::npos) << name;
  }
  for (const char* name : {"tally_notes", "chess_lite", "stock_ticker", "im_chat "}) {
    EXPECT_EQ(dir.output.find(std::string("\r\n") + name), std::string::npos) << name;
  }
}

TEST_F(ZemblorExe, DamagedStateIsReportedAndLeftAlone) {
  CreateDirectoryW(state_.c_str(), nullptr);
  WriteAll(state_ + L"\\state.dat", {'j', 'u', 'n', 'k'});
  Result r = Run(L"-usb radio off");
  EXPECT_EQ(r.exit_code, 1u);
  EXPECT_NE(r.output.find("damaged"), std::string::npos) << r.output;
  EXPECT_EQ(ReadAll(state_ + L"\\state.dat"), "junk");
}

TEST_F(ZemblorExe, UnknownCommandLinesPrintUsageAndFail) {
  for (const wchar_t* args : {L"", L"-u format", L"-u wipe -a -f", L"load x.cod"}) {
    Result r = Run(args);
    EXPECT_EQ(r.exit_code, 2u) << args;
    EXPECT_NE(r.output.find("usage: zemblor"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("SIMULATED handheld"), std::string::npos);
  }
  EXPECT_EQ(Run(L"-h").exit_code, 0u);
  EXPECT_FALSE(Exists(state_));
}

}  // namespace
