// brox.exe itself, started as a caller starts it, with a recording stand-in
// for the Java runtime. Every folder of the fixture lives below a temporary
// folder of its own; the launcher's, the JDK's and the runtime's names hold
// blanks and Chinese characters.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAreArray;
using Words = std::vector<std::string>;
using Env = std::map<std::string, std::string>;

std::wstring widen(const std::string& text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string narrow(const std::wstring& wide) {
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string text(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                      nullptr, nullptr);
  return text;
}

std::string replace_all(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

std::string read_file(const std::string& path) {
  HANDLE file = CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
  CloseHandle(file);
  return bytes;
}

void write_file(const std::string& path, const std::string& bytes) {
  HANDLE file =
      CreateFileW(widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

Words folder_entries(const std::string& folder) {
  Words names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(widen(folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(narrow(name));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

void remove_tree(const std::string& folder) {
  for (const std::string& name : folder_entries(folder)) {
    std::string path = folder + "\\" + name;
    if (GetFileAttributesW(widen(path).c_str()) & FILE_ATTRIBUTE_DIRECTORY) {
      remove_tree(path);
    } else {
      DeleteFileW(widen(path).c_str());
    }
  }
  RemoveDirectoryW(widen(folder).c_str());
}

std::string own_folder() {
  wchar_t path[MAX_PATH];
  std::wstring own(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  return narrow(own.substr(0, own.rfind(L'\\')));
}

// What the stand-in wrote down; `ran` is false when it never started.
struct Record {
  bool ran = false;
  std::string module;
  std::string cmdline;
  Words args;
  bool classpath = false;
  std::string response;
  bool response_existed = false;
  Words lines;
  std::string rest;
};

Record parse_record(const std::string& text) {
  Record record;
  record.ran = !text.empty();
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    std::string line = text.substr(start, end - start);
    start = end == std::string::npos ? text.size() : end + 1;
    std::size_t space = line.find(' ');
    std::string key = line.substr(0, space);
    std::string value = space == std::string::npos ? "" : line.substr(space + 1);
    if (key == "module") record.module = value;
    if (key == "cmdline") record.cmdline = value;
    if (key == "arg") record.args.push_back(value);
    if (key == "classpath") record.classpath = value == "set";
    if (key == "response") {
      std::size_t last = value.rfind(' ');
      record.response = value.substr(0, last);
      record.response_existed = value.substr(last + 1) == "exists";
    }
    if (key == "line") record.lines.push_back(value);
    if (key == "rest") record.rest = value;
  }
  return record;
}

struct Outcome {
  DWORD exit_code = 0;
  std::string out;
  Record record;
};

// The variables the launcher reads, kept out of the inherited environment.
const char* const launcher_variables[] = {"PATH",
                                          "TMP",
                                          "BROX_VM",
                                          "BROX_OPTIONS",
                                          "JAVA_HOME",
                                          "CLASSPATH",
                                          "QOR_PELL_DIR",
                                          "BROX_DOUBLE_RECORD",
                                          "BROX_DOUBLE_EXIT",
                                          "BROX_DOUBLE_WAIT"};

struct NoCase {
  bool operator()(const std::string& a, const std::string& b) const {
    return _stricmp(a.c_str(), b.c_str()) < 0;
  }
};

class Brox : public ::testing::Test {
 protected:
  // A started launcher, its standard output on a pipe.
  struct Started {
    PROCESS_INFORMATION process{};
    HANDLE out = nullptr;
    std::string record_file;
  };

  static void SetUpTestSuite() {
    wchar_t temp[MAX_PATH];
    std::string base = narrow(std::wstring(temp, GetTempPathW(MAX_PATH, temp)));
    root_ = base + "brox_e2e_" + std::to_string(GetCurrentProcessId());
    // BROX_VM is cut at blanks, so the folder its runtime lives in has none.
    ASSERT_EQ(root_.find(' '), std::string::npos) << root_;
    remove_tree(root_);
    const std::string folders[] = {
        "",     "\\应用 目录", "\\应用 目录\\api", "\\J D K",    "\\J D K\\bin", "\\运行 时",
        "\\vm", "\\pell 工具", "\\pell 工具\\bin", "\\临时 tmp", "\\work"};
    for (const std::string& folder : folders) {
      ASSERT_TRUE(CreateDirectoryW(widen(root_ + folder).c_str(), nullptr))
          << root_ + folder << " " << GetLastError();
    }
    std::string built = own_folder();
    copy(built + "\\" BROX_EXE_FROM_TEST, expand("{app}\\brox.exe"));
    copy(built + "\\" JAVA_DOUBLE, expand("{rt}\\java.exe"));
    copy(built + "\\" JAVA_DOUBLE, expand("{vm}\\jvm.exe"));
    write_file(expand("{jdk}\\bin\\javac.exe"), "");
    write_file(expand("{pell}\\preverify.exe"), "");
  }

  static void TearDownTestSuite() { remove_tree(root_); }

  static void copy(const std::string& from, const std::string& to) {
    ASSERT_TRUE(CopyFileW(widen(from).c_str(), widen(to).c_str(), FALSE)) << from;
  }

  static std::string expand(std::string text) {
    const std::string app = root_ + "\\应用 目录\\api";
    text = replace_all(text, "{app/}", replace_all(app, "\\", "/"));
    text = replace_all(text, "{app}", app);
    text = replace_all(text, "{jdk}", root_ + "\\J D K");
    text = replace_all(text, "{rt}", root_ + "\\运行 时");
    text = replace_all(text, "{vm}", root_ + "\\vm");
    text = replace_all(text, "{pell}", root_ + "\\pell 工具\\bin");
    text = replace_all(text, "{tmp}", root_ + "\\临时 tmp");
    text = replace_all(text, "{work}", root_ + "\\work");
    return replace_all(text, "{root}", root_);
  }

  static std::string quoted_if_blank(const std::string& text) {
    return text.find(' ') == std::string::npos ? text : '"' + text + '"';
  }

  // The caller's environment without the launcher's variables, then a PATH
  // with the runtime and the JDK, TMP, a CLASSPATH for the launcher to
  // remove, and `env` on top.
  static std::wstring environment_block(const Env& env, const std::string& record_file) {
    std::map<std::string, std::string, NoCase> vars;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* entry = strings; *entry; entry += wcslen(entry) + 1) {
      std::string text = narrow(entry);
      std::size_t equals = text.find('=', 1);
      vars[text.substr(0, equals)] = text.substr(equals + 1);
    }
    FreeEnvironmentStringsW(strings);
    for (const char* name : launcher_variables) vars.erase(name);
    vars["PATH"] = expand("{rt};{jdk}\\bin");
    vars["TMP"] = expand("{tmp}");
    vars["CLASSPATH"] = "C:\\elsewhere\\x.jar";
    vars["BROX_DOUBLE_RECORD"] = record_file;
    for (const auto& [name, value] : env) vars[name] = expand(value);
    std::wstring block;
    for (const auto& [name, value] : vars) block += widen(name + "=" + value) + L'\0';
    return block + L'\0';
  }

  static Started start(const std::string& launcher, const Words& args, const Env& env,
                       const std::string& record_file) {
    Started started;
    started.record_file = record_file;
    DeleteFileW(widen(record_file).c_str());
    std::string line = quoted_if_blank(expand(launcher));
    for (const std::string& arg : args) {
      line += ' ';
      line += quoted_if_blank(expand(arg));
    }
    std::wstring command = widen(line);
    std::wstring block = environment_block(env, record_file);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE write_end = nullptr;
    CreatePipe(&started.out, &write_end, &inherit, 1 << 16);
    SetHandleInformation(started.out, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write_end;
    startup.hStdError = write_end;
    std::wstring program = widen(expand("{app}\\brox.exe"));
    std::wstring folder = widen(expand("{work}"));
    BOOL ok = CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE,
                             CREATE_UNICODE_ENVIRONMENT, block.data(), folder.c_str(), &startup,
                             &started.process);
    CloseHandle(write_end);
    EXPECT_TRUE(ok) << line;
    return started;
  }

  static Outcome finish(Started& started) {
    Outcome run;
    if (!started.process.hProcess) return run;
    DWORD waited = WaitForSingleObject(started.process.hProcess, 60000);
    if (waited != WAIT_OBJECT_0) {
      TerminateProcess(started.process.hProcess, 99);
      ADD_FAILURE() << "brox did not end within a minute";
    }
    GetExitCodeProcess(started.process.hProcess, &run.exit_code);
    CloseHandle(started.process.hProcess);
    CloseHandle(started.process.hThread);
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(started.out, buffer, sizeof buffer, &n, nullptr) && n > 0) {
      run.out.append(buffer, n);
    }
    CloseHandle(started.out);
    run.record = parse_record(read_file(started.record_file));
    return run;
  }

  static Outcome run(const std::string& launcher, const Words& args, const Env& env = {}) {
    Started started = start(launcher, args, env, expand("{root}\\record.txt"));
    Outcome result = finish(started);
    EXPECT_THAT(folder_entries(expand("{tmp}")), ::testing::IsEmpty()) << "left in TMP";
    return result;
  }

  static std::string root_;
};

std::string Brox::root_;

const std::string class_path = R"("{app}\brox.jar"\;"{jdk}\lib\tools.jar")";
const Words jar_to_cod{R"(import={app}\net_qor_api.jar)", R"(codename=D:\dev\Game)", "-midlet",
                       R"(jad=D:\dev\Game.jad)", R"(D:\dev\Game.jar)"};
const std::string jar_to_cod_line =
    R"("import={app}\net_qor_api.jar" codename=D:\dev\Game -midlet jad=D:\dev\Game.jad )"
    R"(D:\dev\Game.jar)";
const std::string debugger_vm =
    R"(java.exe -Xmx256m -Djava.ext.dirs=C:\jh\lib -jar C:\pell\tools\jswat\jswat.jar load )"
    R"(-Xmx256m)";
const Env debugger_env{{"JAVA_HOME", "C:\\jh"}, {"QOR_PELL_DIR", "C:/pell"}};
const Words ten{"dumpcodfile",          "1",       "2", "3", "4", "5", "6", "7", "8",
                R"(C:\My Files\a.jar)", "模块.cod"};

Env with(Env base, const Env& more) {
  for (const auto& [name, value] : more) base[name] = value;
  return base;
}

struct VectorCase {
  const char* what;
  std::string launcher;
  Words args;
  Env env;
  std::string module;             // the runtime program that ran
  std::string cmdline;            // the command line it received
  std::optional<Words> response;  // the lines of its response file, if it got one
};

TEST_F(Brox, HandsTheRuntimeItsCommandLine) {
  const VectorCase cases[] = {
      {"JAR to COD",
       R"({app}\brox)",
       jar_to_cod,
       {},
       R"({rt}\java.exe)",
       R"(java.exe -Xmx256m -classpath )" + class_path +
           R"( net.qor.tools.compiler.Compiler -exepath="{app}" )" + jar_to_cod_line,
       {}},
      {"BROX_VM with a path and an option",
       R"({app}\brox)",
       jar_to_cod,
       {{"BROX_VM", R"({vm}\jvm.exe -Xmx512m)"}},
       R"({vm}\jvm.exe)",
       R"({vm}\jvm.exe -Xmx512m -classpath )" + class_path +
           R"( net.qor.tools.compiler.Compiler -exepath="{app}" -noloadtool )" + jar_to_cod_line,
       {}},
      {"launcher path with forward slashes",
       "{app/}/brox",
       {"x"},
       {},
       R"({rt}\java.exe)",
       R"(java.exe -Xmx256m -classpath )" + class_path +
           R"( net.qor.tools.compiler.Compiler -exepath="{app}" x)",
       {}},
      {"launcher found through PATH",
       "brox",
       {"x"},
       {{"PATH", R"({rt};{app};{jdk}\bin;{pell})"}},
       R"({rt}\java.exe)",
       R"(java.exe -Xmx256m -classpath )" + class_path +
           R"( net.qor.tools.compiler.Compiler -exepath="{pell}" x)",
       {}},
      {"no javac.exe on PATH",
       R"({app}\brox)",
       {},
       {{"PATH", "{rt}"}},
       R"({rt}\java.exe)",
       R"(java.exe -Xmx256m -classpath "{app}\brox.jar"\;"tools.jar" )"
       R"(net.qor.tools.compiler.Compiler -exepath="{app}")",
       {}},
      {"debugger and a dump tool",
       R"({app}\brox)",
       {"-JSWAT", "dumpdebug", "x"},
       with(debugger_env, {{"BROX_VM", "nothing.exe"}}),
       R"({rt}\java.exe)",
       debugger_vm + " -classpath " + class_path + R"( net.qor.tools.dumpdebug.DumpDebug )" +
           R"("@{tmp}\brox_2")",
       Words{"x"}},
      {"debugger alone",
       R"({app}\brox)",
       {"-jswat"},
       debugger_env,
       R"({rt}\java.exe)",
       debugger_vm + " -classpath " + class_path + R"( net.qor.tools.compiler.Compiler )" +
           R"("@{tmp}\brox_2")",
       Words{R"(-exepath="{app}")", "-noloadtool"}},
      {"nine tool arguments for another runtime",
       R"({app}\brox)",
       {"dumpcodfile", "1", "2", "3", "4", "5", "6", "7", "8", "9"},
       {{"BROX_VM", R"({vm}\jvm.exe)"}},
       R"({vm}\jvm.exe)",
       R"({vm}\jvm.exe -classpath )" + class_path +
           " net.qor.tools.dumpcodfile.DumpCodfile 1 2 3 4 5 6 7 8 9",
       {}},
      {"ten tool arguments for another runtime",
       R"({app}\brox)",
       ten,
       {{"BROX_VM", R"({vm}\jvm.exe)"}},
       R"({vm}\jvm.exe)",
       R"({vm}\jvm.exe -classpath )" + class_path +
           R"( net.qor.tools.dumpcodfile.DumpCodfile "@{tmp}\brox_2")",
       Words{"1", "2", "3", "4", "5", "6", "7", "8", R"("C:\My Files\a.jar")", "模块.cod"}},
      {"arguments the ANSI code page cannot hold stay on the command line",
       R"({app}\brox)",
       {"dumpcodfile", "1", "2", "3", "4", "5", "6", "7", "8", "9", "模块😀.cod"},
       {{"BROX_VM", R"({vm}\jvm.exe)"}},
       R"({vm}\jvm.exe)",
       R"({vm}\jvm.exe -classpath )" + class_path +
           " net.qor.tools.dumpcodfile.DumpCodfile 1 2 3 4 5 6 7 8 9 模块😀.cod",
       {}},
  };
  for (const VectorCase& c : cases) {
    SCOPED_TRACE(c.what);
    Outcome result = run(c.launcher, c.args, c.env);
    ASSERT_TRUE(result.record.ran);
    EXPECT_EQ(result.exit_code, 0u);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.record.module, expand(c.module));
    EXPECT_EQ(result.record.cmdline, expand(c.cmdline));
    EXPECT_FALSE(result.record.classpath);
    if (c.response) {
      EXPECT_EQ(result.record.response, expand(R"({tmp}\brox_2)"));
      EXPECT_TRUE(result.record.response_existed);
      Words lines;
      for (const std::string& line : *c.response) lines.push_back(expand(line));
      EXPECT_THAT(result.record.lines, ElementsAreArray(lines));
      EXPECT_EQ(result.record.rest, "");
    } else {
      EXPECT_EQ(result.record.response, "");
    }
  }
}

TEST_F(Brox, QuotesKeepBlankFoldersWholeForTheRuntime) {
  Outcome result = run(R"({app}\brox)", jar_to_cod);
  const Words parsed{"java.exe",
                     "-Xmx256m",
                     "-classpath",
                     expand(R"({app}\brox.jar\;{jdk}\lib\tools.jar)"),
                     "net.qor.tools.compiler.Compiler",
                     expand(R"(-exepath={app})"),
                     expand(R"(import={app}\net_qor_api.jar)"),
                     R"(codename=D:\dev\Game)",
                     "-midlet",
                     R"(jad=D:\dev\Game.jad)",
                     R"(D:\dev\Game.jar)"};
  EXPECT_THAT(result.record.args, ElementsAreArray(parsed));
  Outcome debug = run(R"({app}\brox)", {"-jswat", "dumpdebug", "x"}, debugger_env);
  EXPECT_EQ(debug.record.args.back(), expand(R"(@{tmp}\brox_2)"));
}

struct FailureCase {
  const char* what;
  Words args;
  Env env;
  std::string out;
};

TEST_F(Brox, FailsWithOneWithoutStartingTheRuntime) {
  const FailureCase cases[] = {
      {"debugger without JAVA_HOME",
       {"-jswat", "dumpdebug", "x"},
       {{"QOR_PELL_DIR", "C:\\p"}},
       "JAVA_HOME environment variable not defined\r\n"},
      {"debugger without either", {"-jswat"}, {}, "JAVA_HOME environment variable not defined\r\n"},
      {"debugger without QOR_PELL_DIR",
       {"-jswat"},
       {{"JAVA_HOME", "C:\\jh"}},
       "QOR_PELL_DIR environment variable not defined\r\n"},
      {"no java.exe", {"x"}, {{"PATH", "{jdk}\\bin"}}, ""},
      {"empty BROX_VM", {"x"}, {{"BROX_VM", ""}}, ""},
      {"BROX_VM naming nothing, with a response file written",
       ten,
       {{"BROX_VM", "{vm}\\nothing.exe"}},
       ""},
      {"debugger runtime missing, with a response file written",
       {"-jswat"},
       with(debugger_env, {{"PATH", "{jdk}\\bin"}}),
       ""},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.what);
    Outcome result = run(R"({app}\brox)", c.args, c.env);
    EXPECT_EQ(result.exit_code, 1u);
    EXPECT_EQ(result.out, c.out);
    EXPECT_FALSE(result.record.ran);
  }
}

TEST_F(Brox, EndsWithTheToolsExitCode) {
  const std::pair<DWORD, DWORD> codes[] = {
      {0, 0}, {3, 3}, {255, 255}, {70000, 70000}, {0xC0000005, 0xC0000005}, {0xFFFFFFFF, 1}};
  for (const auto& [code, expected] : codes) {
    for (const Words& args : {Words{"x"}, Words{"-jswat", "x"}}) {
      SCOPED_TRACE(std::to_string(code) + (args.size() > 1 ? " under the debugger" : ""));
      Outcome result = run(R"({app}\brox)", args,
                           with(debugger_env, {{"BROX_DOUBLE_EXIT", std::to_string(code)}}));
      EXPECT_TRUE(result.record.ran);
      EXPECT_EQ(result.exit_code, expected);
    }
  }
}

TEST_F(Brox, LaunchersStartedTogetherEachGetTheirOwnResponseFile) {
  const std::string taken = expand(R"({tmp}\brox_2)");
  write_file(taken, "someone else's\r\n");
  // The runtimes hold on until all three have written down what they got, so
  // all three response files exist at the same time.
  const std::string event_name = "brox_e2e_release_" + std::to_string(GetCurrentProcessId());
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, widen(event_name).c_str());
  std::vector<Started> started;
  for (int i = 0; i < 3; ++i) {
    started.push_back(start(R"({app}\brox)", {"-jswat", "run" + std::to_string(i)},
                            with(debugger_env, {{"BROX_DOUBLE_WAIT", event_name}}),
                            expand("{root}\\record" + std::to_string(i) + ".txt")));
  }
  for (int waited = 0; waited < 600; ++waited) {
    bool all = true;
    for (const Started& s : started) all = all && !read_file(s.record_file).empty();
    if (all) break;
    Sleep(100);
  }
  SetEvent(release);
  Words names;
  for (std::size_t i = 0; i < started.size(); ++i) {
    Outcome result = finish(started[i]);
    SCOPED_TRACE(i);
    EXPECT_EQ(result.exit_code, 0u);
    EXPECT_THAT(result.record.lines,
                ElementsAreArray({expand(R"(-exepath="{app}")"), std::string("-noloadtool"),
                                  "run" + std::to_string(i)}));
    EXPECT_NE(result.record.response, taken);
    EXPECT_TRUE(result.record.response_existed);
    names.push_back(result.record.response);
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(std::unique(names.begin(), names.end()), names.end());
  EXPECT_EQ(read_file(taken), "someone else's\r\n");
  EXPECT_THAT(folder_entries(expand("{tmp}")), ElementsAreArray({std::string("brox_2")}));
  DeleteFileW(widen(taken).c_str());
  CloseHandle(release);
}

}  // namespace
