// The launcher's decisions, against a machine made of a few files, folders
// and variables.
#include "broxcore.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using ::testing::ElementsAreArray;

using Env = std::map<std::string, std::string>;
using Names = std::set<std::string>;
using Words = std::vector<std::string>;

class FakeHost final : public brox::Host {
 public:
  FakeHost(Names files = {}, Env env = {}, Names folders = {}, std::string cwd = "C:\\work")
      : files_(std::move(files)),
        folders_(std::move(folders)),
        env_(std::move(env)),
        cwd_(std::move(cwd)) {}

  bool file_exists(const std::string& path) const override { return files_.count(path) > 0; }
  bool folder_exists(const std::string& path) const override { return folders_.count(path) > 0; }
  std::optional<std::string> get_env(const std::string& name) const override {
    auto it = env_.find(name);
    return it == env_.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  void unset_env(const std::string& name) override { env_.erase(name); }
  std::string current_folder() const override { return cwd_; }

 private:
  Names files_;
  Names folders_;
  Env env_;
  std::string cwd_;
};

constexpr char compiler[] = "net.qor.tools.compiler.Compiler";

// A folder path of exactly `length` characters.
std::string folder_of_length(std::size_t length) {
  std::string folder = "C:\\";
  while (folder.size() < length) folder += 'd';
  return folder;
}

struct ToolCase {
  Words args;
  std::string main_class;
  bool debugger;
  std::size_t consumed;
};

TEST(ChooseTool, PicksTheToolAndWhatIsConsumed) {
  const ToolCase cases[] = {
      {{}, compiler, false, 1},
      {{"import=C:\\a.jar", "x"}, compiler, false, 1},
      {{"DumpCodFile"}, "net.qor.tools.dumpcodfile.DumpCodfile", false, 2},
      {{"-dumpcodfile", "a.cod"}, "net.qor.tools.dumpcodfile.DumpCodfile", false, 2},
      {{"--dumpcodfile"}, compiler, false, 1},
      {{"DUMPPERSISTABLE"}, "net.qor.tools.dumppersistable.DumpPersistable", false, 2},
      {{"dumpsigner"}, "net.qor.tools.dumpsigner.DumpSigner", false, 2},
      {{"dumpclassfile"}, "net.qor.tools.dumpclassfile.DumpClassfile", false, 2},
      {{"dumpdebug"}, "net.qor.tools.dumpdebug.DumpDebug", false, 2},
      {{"dumpdepend"}, "net.qor.tools.dumpdepend.DumpDepend", false, 2},
      {{"-EviscerateClass"}, "net.qor.tools.eviscerateclass.EviscerateClass", false, 2},
      {{"dumpmethodrefs"}, "net.qor.tools.dumpmethodrefs.DumpMethodRefs", false, 2},
      {{"-JSWAT", "dumpdebug", "x"}, "net.qor.tools.dumpdebug.DumpDebug", true, 3},
      {{"-jswat", "import=C:\\a.jar"}, compiler, true, 2},
      {{"-jswat"}, compiler, true, 2},
      {{"jswat", "dumpdebug"}, compiler, false, 1},
      {{"dumpdebug", "-jswat"}, "net.qor.tools.dumpdebug.DumpDebug", false, 2},
  };
  for (const ToolCase& c : cases) {
    Words args{"C:\\tools\\api\\brox"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    SCOPED_TRACE(::testing::PrintToString(args));
    brox::ToolChoice choice = brox::choose_tool(args);
    EXPECT_EQ(choice.main_class, c.main_class);
    EXPECT_EQ(choice.debugger, c.debugger);
    EXPECT_EQ(choice.consumed, c.consumed);
  }
}

struct LookupCase {
  const char* what;
  Names files;
  Env env;
  std::string expected;
  Names folders = {};
  std::string cwd = "C:\\work";
};

TEST(FindOnPath, CurrentFolderThenPathEntries) {
  const std::string long_entry = folder_of_length(250);  // + "\javac.exe" = 260 characters
  const std::string longest_entry = folder_of_length(249);
  const LookupCase cases[] = {
      {"current folder first",
       {"C:\\work\\javac.exe", "C:\\a\\javac.exe"},
       {{"PATH", "C:\\a"}},
       "C:\\work\\javac.exe"},
      {"current folder at a drive's root", {"C:\\javac.exe"}, {}, "C:\\javac.exe", {}, "C:\\"},
      {"first entry that has it",
       {"C:\\b\\javac.exe", "C:\\c\\javac.exe"},
       {{"PATH", ";;C:\\a;C:\\b\\;C:\\c;"}},
       "C:\\b\\javac.exe"},
      {"entry ending in a slash",
       {"C:/jdk/bin/javac.exe"},
       {{"PATH", "C:/jdk/bin/"}},
       "C:/jdk/bin/javac.exe"},
      {"entry ending in a colon", {"D:javac.exe"}, {{"PATH", "D:"}}, "D:javac.exe"},
      {"no PATH", {"C:\\a\\javac.exe"}, {}, ""},
      {"a folder of that name is no file", {}, {{"PATH", "C:\\a"}}, "", {"C:\\a\\javac.exe"}},
      {"candidate of 260 characters skipped",
       {long_entry + "\\javac.exe", "C:\\b\\javac.exe"},
       {{"PATH", long_entry + ";C:\\b"}},
       "C:\\b\\javac.exe"},
      {"candidate of 259 characters taken",
       {longest_entry + "\\javac.exe"},
       {{"PATH", longest_entry}},
       longest_entry + "\\javac.exe"},
      {"current folder too long for the name",
       {long_entry + "\\javac.exe", "C:\\b\\javac.exe"},
       {{"PATH", "C:\\b"}},
       "C:\\b\\javac.exe",
       {},
       long_entry},
  };
  for (const LookupCase& c : cases) {
    SCOPED_TRACE(c.what);
    FakeHost host(c.files, c.env, c.folders, c.cwd);
    EXPECT_EQ(brox::find_on_path(host, "javac.exe"), c.expected);
  }
}

struct DiscoveryCase {
  const char* what;
  std::string launcher;
  Names files;
  std::string path;
  std::string class_path;
  std::string tool_dir_arg;
};

TEST(MakePlan, FindsClassPathAndToolFolder) {
  const std::string jdk = "\"C:\\jdk\\lib\\tools.jar\"";
  const std::string deep = folder_of_length(250);
  const DiscoveryCase cases[] = {
      {"launcher with a folder",
       "C:\\tools\\api\\brox",
       {"C:\\jdk\\bin\\javac.exe"},
       "C:\\jdk\\bin",
       "\"C:\\tools\\api\\brox.jar\"\\;\"C:\\jdk\\lib\\tools.jar\"",
       "-exepath=\"C:\\tools\\api\""},
      {"forward slashes",
       "C:/tools/api/brox",
       {"C:/jdk/bin\\javac.exe"},
       "C:/jdk/bin",
       "\"C:\\tools\\api\\brox.jar\"\\;" + jdk,
       "-exepath=\"C:\\tools\\api\""},
      {"a backslash wins over a later slash",
       "C:\\tools\\api/brox",
       {},
       "",
       "\"C:\\tools\\brox.jar\"\\;\"tools.jar\"",
       "-exepath=\"C:\\tools\""},
      {"started through PATH",
       "brox",
       {"C:\\x y\\api\\brox.exe", "C:\\pell\\bin\\preverify.exe", "C:\\jdk\\bin\\javac.exe"},
       "C:\\x y\\api;C:\\jdk\\bin;C:\\pell\\bin",
       "\"C:\\x y\\api\\brox.jar\"\\;" + jdk,
       "-exepath=\"C:\\pell\\bin\""},
      {"nothing found", "brox", {}, "C:\\a", "\"brox.jar\"\\;\"tools.jar\"", ""},
      {"javac.exe at a drive's root",
       "C:\\t\\brox",
       {"C:\\javac.exe"},
       "C:\\",
       "\"C:\\t\\brox.jar\"\\;\"tools.jar\"",
       "-exepath=\"C:\\t\""},
      {"launcher path of 260 characters is not used",
       deep + "x\\brox.exe",
       {"C:\\api\\brox.exe", "C:\\api\\preverify.exe"},
       "C:\\api",
       "\"C:\\api\\brox.jar\"\\;\"tools.jar\"",
       "-exepath=\"C:\\api\""},
      {"quoted archive would not fit",
       deep + "\\b",
       {},
       "",
       "\"brox.jar\"\\;\"tools.jar\"",
       "-exepath=\"" + deep + "\""},
      {"quoted tool folder would not fit",
       folder_of_length(258) + "\\",
       {},
       "",
       "\"brox.jar\"\\;\"tools.jar\"",
       ""},
  };
  for (const DiscoveryCase& c : cases) {
    SCOPED_TRACE(c.what);
    FakeHost host(c.files, c.path.empty() ? Env{} : Env{{"PATH", c.path}});
    brox::PlanResult result = brox::make_plan(host, {c.launcher, "import=a.jar"});
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.plan.class_path, c.class_path);
    EXPECT_EQ(result.plan.tool_dir_arg, c.tool_dir_arg);
  }
}

TEST(MakeClassPath, TwoLongestArchivesKeepBothWholeOrTheJdkGivesWay) {
  const std::string longest = '"' + folder_of_length(257) + '"';  // 259 characters
  const std::string shorter = '"' + folder_of_length(256) + '"';
  EXPECT_EQ(brox::make_class_path(longest, shorter), longest + "\\;" + shorter);
  EXPECT_EQ(brox::make_class_path(longest, longest), longest + "\\;\"tools.jar\"");
}

struct RuntimeCase {
  const char* what;
  bool debugger;
  Env env;
  std::string command;
  std::string error;
};

TEST(RuntimeCommand, DefaultVmOrDebuggerAndItsErrors) {
  const Env debug_env{{"JAVA_HOME", "C:\\jdk"}, {"QOR_PELL_DIR", "C:/pell"}};
  const RuntimeCase cases[] = {
      {"default", false, {}, "java.exe -Xmx256m", ""},
      {"BROX_VM",
       false,
       {{"BROX_VM", "C:\\jdk\\bin\\java.exe -Xmx512m"}},
       "C:\\jdk\\bin\\java.exe -Xmx512m",
       ""},
      {"empty BROX_VM counts as set", false, {{"BROX_VM", ""}}, "", ""},
      {"debugger ignores BROX_VM",
       true,
       {{"JAVA_HOME", "C:\\jdk"}, {"QOR_PELL_DIR", "C:/pell"}, {"BROX_VM", "x.exe"}},
       "java.exe -Xmx256m -Djava.ext.dirs=C:\\jdk\\lib -jar C:\\pell\\tools\\jswat\\jswat.jar "
       "load -Xmx256m",
       ""},
      {"no JAVA_HOME",
       true,
       {{"QOR_PELL_DIR", "C:\\pell"}},
       "",
       "JAVA_HOME environment variable not defined"},
      {"neither: JAVA_HOME is reported",
       true,
       {},
       "",
       "JAVA_HOME environment variable not defined"},
      {"no QOR_PELL_DIR",
       true,
       {{"JAVA_HOME", ""}},
       "",
       "QOR_PELL_DIR environment variable not defined"},
  };
  for (const RuntimeCase& c : cases) {
    SCOPED_TRACE(c.what);
    FakeHost host({}, c.env);
    brox::RuntimeCommand runtime = brox::runtime_command(host, c.debugger);
    EXPECT_EQ(runtime.command, c.command);
    EXPECT_EQ(runtime.error, c.error);
  }
}

TEST(MakePlan, EnvironmentErrorComesBackWithTheLine) {
  FakeHost host;
  brox::PlanResult result = brox::make_plan(host, {"brox", "-jswat", "dumpdebug", "x"});
  EXPECT_EQ(result.error, "JAVA_HOME environment variable not defined");
}

TEST(SplitWords, CutsAtEverySpaceOnly) {
  const std::pair<std::string, Words> cases[] = {
      {"", {""}},
      {"java.exe", {"java.exe"}},
      {"java.exe -Xmx256m", {"java.exe", "-Xmx256m"}},
      {"a  b", {"a", "", "b"}},
      {" a ", {"", "a", ""}},
      {"a\tb", {"a\tb"}},
      {"\"C:\\My Files\\j.exe\" -x", {"\"C:\\My", "Files\\j.exe\"", "-x"}},
  };
  for (const auto& [text, words] : cases) {
    SCOPED_TRACE(text);
    EXPECT_THAT(brox::split_words(text), ElementsAreArray(words));
  }
}

struct CommandCase {
  const char* what;
  std::string runtime;
  Words args;  // after the launcher's path
  Env env;
  Words tool_part;  // the vector from the main class on
};

TEST(BuildCommand, AssemblesTheRuntimesArguments) {
  const std::string cp = "\"C:\\tools\\api\\brox.jar\"\\;\"C:\\jdk\\lib\\tools.jar\"";
  const std::string exepath = "-exepath=\"C:\\tools\\api\"";
  const Words jar_to_cod{"import=C:\\tools\\api\\net_qor_api.jar", "codename=D:\\dev\\Game",
                         "-midlet", "jad=D:\\dev\\Game.jad", "D:\\dev\\Game.jar"};
  auto with = [](Words front, const Words& back) {
    front.insert(front.end(), back.begin(), back.end());
    return front;
  };
  const CommandCase cases[] = {
      {"JAR to COD", "java.exe -Xmx256m", jar_to_cod, {}, with({compiler, exepath}, jar_to_cod)},
      {"another runtime gets -noloadtool",
       "C:\\jdk\\bin\\java.exe -Xmx512m",
       jar_to_cod,
       {},
       with({compiler, exepath, "-noloadtool"}, jar_to_cod)},
      {"runtime name compared with its case",
       "JAVA.EXE",
       {},
       {},
       {compiler, exepath, "-noloadtool"}},
      {"debugger",
       "java.exe -Xmx256m",
       {"-jswat", "a"},
       {{"BROX_OPTIONS", "-q  -w"}},
       {compiler, "-q", "", "-w", exepath, "-noloadtool", "a"}},
      {"dump tool gets neither options nor tool folder",
       "x.exe",
       {"dumpcodfile", "a.cod"},
       {{"BROX_OPTIONS", "-q"}},
       {"net.qor.tools.dumpcodfile.DumpCodfile", "a.cod"}},
      {"arguments with a space are wrapped, nothing else changes",
       "java.exe",
       {"C:\\My Files\\a.jar", "a\tb", "say \"hi\"", "\"q\""},
       {},
       {compiler, exepath, "\"C:\\My Files\\a.jar\"", "a\tb", "\"say \"hi\"\"", "\"q\""}},
  };
  for (const CommandCase& c : cases) {
    SCOPED_TRACE(c.what);
    Env env = c.env;
    env["CLASSPATH"] = "C:\\elsewhere";
    FakeHost host({}, env);
    Words args = with({"C:\\tools\\api\\brox"}, c.args);
    brox::Plan plan{brox::choose_tool(args), cp, exepath, c.runtime};
    brox::Command command = brox::build_command(host, plan, args);
    Words expected = with(brox::split_words(c.runtime), {"-classpath", cp});
    expected = with(expected, c.tool_part);
    EXPECT_THAT(command.argv, ElementsAreArray(expected));
    EXPECT_EQ(command.first, brox::split_words(c.runtime).size() + 3);
    EXPECT_EQ(host.get_env("CLASSPATH"), std::nullopt);
  }
}

brox::Command command_with(const std::string& program, std::size_t tool_args) {
  brox::Command command{{program, "-classpath", "cp", "Main"}, 4};
  for (std::size_t i = 0; i < tool_args; ++i) command.argv.push_back("arg" + std::to_string(i));
  return command;
}

TEST(NeedsResponseFile, DebuggerOrTenArgumentsForAnotherRuntime) {
  EXPECT_FALSE(brox::needs_response_file(command_with("java.exe", 40), false));
  EXPECT_FALSE(brox::needs_response_file(command_with("javaw.exe", 9), false));
  EXPECT_TRUE(brox::needs_response_file(command_with("javaw.exe", 10), false));
  EXPECT_TRUE(brox::needs_response_file(command_with("Java.exe", 10), false));
  EXPECT_TRUE(brox::needs_response_file(command_with("java.exe", 0), true));
}

TEST(ResponseFile, HoldsTheToolArgumentsAndReplacesThem) {
  brox::Command command{{"j.exe", "-classpath", "cp", "Main", "-noloadtool", "\"C:\\My F\\a.jar\""},
                        4};
  EXPECT_EQ(brox::response_file_text(command), "-noloadtool\r\n\"C:\\My F\\a.jar\"\r\n");
  EXPECT_EQ(brox::response_file_text(command_with("j.exe", 0)), "");
  brox::Command used = brox::use_response_file(command, "C:\\t\\brox_2");
  EXPECT_EQ(brox::command_line(used), "j.exe -classpath cp Main @C:\\t\\brox_2");
  EXPECT_EQ(used.first, 4u);
  EXPECT_EQ(brox::command_line(brox::use_response_file(command, "C:\\my tmp\\brox_2")),
            "j.exe -classpath cp Main \"@C:\\my tmp\\brox_2\"");
}

TEST(CommandLine, JoinsWithSingleSpacesAddingNoQuotes) {
  brox::Command command{{"java.exe", "", "-classpath", "\"a b\"\\;\"c\"", "M"}, 5};
  EXPECT_EQ(brox::command_line(command), "java.exe  -classpath \"a b\"\\;\"c\" M");
}

struct NameCase {
  const char* what;
  Env env;
  Names folders;
  Names taken;               // names that exist already
  Names raced;               // names someone else creates first
  brox::Creation otherwise;  // what creating any other name gives
  std::string expected;
  Words tried;
};

TEST(CreateResponseFile, ChoosesAFreeNameAndCreatesItExclusively) {
  const auto made = brox::Creation::created;
  const std::string deep = folder_of_length(252);  // + "\brox_2" = 259 characters
  const NameCase cases[] = {
      {"TMP",
       {{"TMP", "C:\\tmp"}},
       {"C:\\tmp", "\\"},
       {},
       {},
       made,
       "C:\\tmp\\brox_2",
       {"C:\\tmp\\brox_2"}},
      {"TMP with its backslash",
       {{"TMP", "C:\\tmp\\"}},
       {"C:\\tmp\\"},
       {},
       {},
       made,
       "C:\\tmp\\brox_2",
       {"C:\\tmp\\brox_2"}},
      {"TMP with a slash",
       {{"TMP", "C:/tmp/"}},
       {"C:/tmp/"},
       {},
       {},
       made,
       "C:/tmp/brox_2",
       {"C:/tmp/brox_2"}},
      {"quoted TMP",
       {{"TMP", "\"C:\\my tmp\""}},
       {"C:\\my tmp"},
       {},
       {},
       made,
       "C:\\my tmp\\brox_2",
       {"C:\\my tmp\\brox_2"}},
      {"no TMP: the drive's root", {}, {"\\"}, {}, {}, made, "\\brox_2", {"\\brox_2"}},
      {"TMP missing, no root: current folder",
       {{"TMP", "C:\\gone"}},
       {},
       {},
       {},
       made,
       ".\\brox_2",
       {".\\brox_2"}},
      {"existing file and folder are passed over",
       {{"TMP", "C:\\t"}},
       {"C:\\t", "C:\\t\\brox_3"},
       {"C:\\t\\brox_2"},
       {},
       made,
       "C:\\t\\brox_4",
       {"C:\\t\\brox_4"}},
      {"a name taken in the meantime",
       {{"TMP", "C:\\t"}},
       {"C:\\t"},
       {},
       {"C:\\t\\brox_2"},
       made,
       "C:\\t\\brox_3",
       {"C:\\t\\brox_2", "C:\\t\\brox_3"}},
      {"creation fails",
       {{"TMP", "C:\\t"}},
       {"C:\\t"},
       {},
       {},
       brox::Creation::failed,
       "",
       {"C:\\t\\brox_2"}},
      {"name of 259 characters",
       {{"TMP", deep}},
       {deep},
       {},
       {},
       made,
       deep + "\\brox_2",
       {deep + "\\brox_2"}},
      {"name of 260 characters", {{"TMP", deep + "x"}}, {deep + "x"}, {}, {}, made, "", {}},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.what);
    FakeHost host(c.taken, c.env, c.folders);
    Words tried;
    std::string name = brox::create_response_file(host, [&](const std::string& candidate) {
      tried.push_back(candidate);
      return c.raced.count(candidate) ? brox::Creation::exists : c.otherwise;
    });
    EXPECT_EQ(name, c.expected);
    EXPECT_THAT(tried, ElementsAreArray(c.tried));
  }
}

TEST(CreateResponseFile, GivesUpAfterAllNumbers) {
  FakeHost host({}, {{"TMP", "C:\\t"}}, {"C:\\t"});
  Words tried;
  std::string name = brox::create_response_file(host, [&](const std::string& candidate) {
    tried.push_back(candidate);
    return brox::Creation::exists;
  });
  EXPECT_EQ(name, "");
  ASSERT_EQ(tried.size(), 32767u);
  EXPECT_EQ(tried.back(), "C:\\t\\brox_32768");
}

struct ProgramCase {
  const char* what;
  std::string name;
  Names files;
  std::string expected;
};

TEST(ResolveProgram, CurrentFolderThenPathWithExtensions) {
  const ProgramCase cases[] = {
      {"current folder",
       "java.exe",
       {"C:\\work\\java.exe", "C:\\a\\java.exe"},
       "C:\\work\\java.exe"},
      {"on PATH", "java.exe", {"C:\\b\\java.exe"}, "C:\\b\\java.exe"},
      {"extensions in order", "java", {"C:\\a\\java.exe", "C:\\a\\java.com"}, "C:\\a\\java.com"},
      {"folders before extensions",
       "java",
       {"C:\\work\\java.cmd", "C:\\a\\java.com"},
       "C:\\work\\java.cmd"},
      {"an extension is not added to", "java.exe", {"C:\\a\\java.exe.exe"}, ""},
      {"a name with a folder is not searched", "jdk\\java.exe", {"C:\\a\\jdk\\java.exe"}, ""},
      {"a name with a folder as given",
       "C:\\jdk\\bin\\java",
       {"C:\\jdk\\bin\\java.exe"},
       "C:\\jdk\\bin\\java.exe"},
      {"empty", "", {"C:\\work\\.exe"}, ""},
  };
  for (const ProgramCase& c : cases) {
    SCOPED_TRACE(c.what);
    FakeHost host(c.files, {{"PATH", "C:\\a;;C:\\b"}});
    EXPECT_EQ(brox::resolve_program(host, c.name), c.expected);
  }
}

TEST(ExitCode, StartFailureBecomesOneEverythingElsePasses) {
  EXPECT_EQ(brox::exit_code(-1), 1);
  for (int code : {0, 3, 255, 70000, static_cast<int>(0xC0000005u)}) {
    EXPECT_EQ(brox::exit_code(code), code);
  }
}

}  // namespace
