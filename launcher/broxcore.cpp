#include "broxcore.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace brox {

namespace {

struct ToolEntry {
  std::string_view word;
  std::string_view main_class;
};

constexpr std::array<ToolEntry, 8> dump_tools{{
    {"dumpcodfile", "net.qor.tools.dumpcodfile.DumpCodfile"},
    {"dumppersistable", "net.qor.tools.dumppersistable.DumpPersistable"},
    {"dumpsigner", "net.qor.tools.dumpsigner.DumpSigner"},
    {"dumpclassfile", "net.qor.tools.dumpclassfile.DumpClassfile"},
    {"dumpdebug", "net.qor.tools.dumpdebug.DumpDebug"},
    {"dumpdepend", "net.qor.tools.dumpdepend.DumpDepend"},
    {"eviscerateclass", "net.qor.tools.eviscerateclass.EviscerateClass"},
    {"dumpmethodrefs", "net.qor.tools.dumpmethodrefs.DumpMethodRefs"},
}};

constexpr char default_runtime[] = "java.exe -Xmx256m";
constexpr unsigned first_response_number = 2;
constexpr unsigned response_tries = 32767;
// Tool arguments from which another runtime gets them in a response file.
constexpr std::size_t response_file_threshold = 10;

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_word(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return lower(x) == lower(y); });
}

bool fits(const std::string& path) { return path.size() < path_limit; }

// The last backslash, or the last forward slash when there is no backslash.
std::size_t last_separator(const std::string& path) {
  std::size_t back = path.rfind('\\');
  return back != std::string::npos ? back : path.rfind('/');
}

bool ends_in_any(const std::string& text, std::string_view chars) {
  return !text.empty() && chars.find(text.back()) != std::string_view::npos;
}

std::string in_folder(const std::string& folder, const std::string& name) {
  return ends_in_any(folder, "/\\:") ? folder + name : folder + '\\' + name;
}

std::vector<std::string> path_entries(const Host& host) {
  std::vector<std::string> entries;
  std::optional<std::string> path = host.get_env("PATH");
  if (!path) return entries;
  std::size_t start = 0;
  while (start <= path->size()) {
    std::size_t end = std::min(path->find(';', start), path->size());
    if (end > start) entries.push_back(path->substr(start, end - start));
    start = end + 1;
  }
  return entries;
}

// `path` in double quotes with every "/" turned into "\", or `fallback`
// (a bare file name, or empty) treated the same way when the quoted path
// would not fit.
std::string quoted(const std::string& path, const std::string& fallback) {
  std::string text = '"' + path + '"';
  if (!fits(text)) {
    if (fallback.empty()) return {};
    text = '"' + fallback + '"';
  }
  std::replace(text.begin(), text.end(), '/', '\\');
  return text;
}

// The launcher path when it has a folder part and fits; otherwise the
// result of looking up `stand_in` on PATH.
std::string launcher_or_found(const Host& host, const std::string& launcher,
                              const std::string& stand_in) {
  if (fits(launcher) && last_separator(launcher) != std::string::npos) return launcher;
  return find_on_path(host, stand_in);
}

// TMP if it names a folder (as written, or without its double quotes),
// else the root of the current drive, else the current folder.
std::string response_folder(const Host& host) {
  if (std::optional<std::string> tmp = host.get_env("TMP")) {
    if (host.folder_exists(*tmp)) return *tmp;
    std::string unquoted = *tmp;
    unquoted.erase(std::remove(unquoted.begin(), unquoted.end(), '"'), unquoted.end());
    if (host.folder_exists(unquoted)) return unquoted;
  }
  return host.folder_exists("\\") ? std::string("\\") : std::string(".");
}

}  // namespace

ToolChoice choose_tool(const std::vector<std::string>& args) {
  ToolChoice choice{compiler_class, false, 1};
  std::size_t word = 1;
  if (args.size() > 1 && same_word(args[1], "-jswat")) {
    choice.debugger = true;
    choice.consumed = 2;
    word = 2;
  }
  if (word >= args.size()) return choice;
  std::string_view tool = args[word];
  if (!tool.empty() && tool.front() == '-') tool.remove_prefix(1);
  for (const ToolEntry& entry : dump_tools) {
    if (same_word(tool, entry.word)) {
      choice.main_class = entry.main_class;
      ++choice.consumed;
      break;
    }
  }
  return choice;
}

std::string find_on_path(const Host& host, const std::string& name) {
  std::string here = in_folder(host.current_folder(), name);
  if (fits(here) && host.file_exists(here)) return here;
  for (const std::string& entry : path_entries(host)) {
    std::string candidate = in_folder(entry, name);
    if (fits(candidate) && host.file_exists(candidate)) return candidate;
  }
  return {};
}

std::string find_brox_jar(const Host& host, const std::string& launcher) {
  std::string path = launcher_or_found(host, launcher, "brox.exe");
  std::size_t sep = last_separator(path);
  std::string folder = sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
  return quoted(folder + "brox.jar", "brox.jar");
}

std::string find_tools_jar(const Host& host) {
  std::string javac = find_on_path(host, "javac.exe");
  std::string jdk;
  std::size_t bin = last_separator(javac);
  if (bin != std::string::npos) {
    javac.resize(bin);
    std::size_t top = last_separator(javac);
    if (top != std::string::npos) jdk = javac.substr(0, top + 1) + "lib\\";
  }
  return quoted(jdk + "tools.jar", "tools.jar");
}

std::string find_tool_dir(const Host& host, const std::string& launcher) {
  std::string path = launcher_or_found(host, launcher, "preverify.exe");
  std::size_t sep = last_separator(path);
  if (sep == std::string::npos) return {};
  return quoted(path.substr(0, sep), {});
}

std::string make_class_path(const std::string& brox_jar, const std::string& tools_jar) {
  std::string path = brox_jar + "\\;" + tools_jar;
  // Only two paths at their longest come to one character more; the JDK's
  // entry then gives way to the bare name rather than cutting either.
  if (path.size() > class_path_limit) path = brox_jar + "\\;\"tools.jar\"";
  return path;
}

RuntimeCommand runtime_command(const Host& host, bool debugger) {
  if (!debugger) {
    std::optional<std::string> vm = host.get_env("BROX_VM");
    return {vm ? *vm : default_runtime, {}};
  }
  std::optional<std::string> java_home = host.get_env("JAVA_HOME");
  if (!java_home) return {{}, "JAVA_HOME environment variable not defined"};
  std::optional<std::string> pell = host.get_env("QOR_PELL_DIR");
  if (!pell) return {{}, "QOR_PELL_DIR environment variable not defined"};
  std::string command = "java.exe -Xmx256m -Djava.ext.dirs=" + *java_home + "/lib -jar " + *pell +
                        "/tools/jswat/jswat.jar load -Xmx256m";
  std::replace(command.begin(), command.end(), '/', '\\');
  return {command, {}};
}

PlanResult make_plan(const Host& host, const std::vector<std::string>& args) {
  const std::string launcher = args.empty() ? std::string() : args.front();
  PlanResult result;
  Plan& plan = result.plan;
  plan.tool = choose_tool(args);
  std::string brox_jar = find_brox_jar(host, launcher);
  plan.class_path = make_class_path(brox_jar, find_tools_jar(host));
  std::string tool_dir = find_tool_dir(host, launcher);
  if (!tool_dir.empty()) plan.tool_dir_arg = "-exepath=" + tool_dir;
  RuntimeCommand runtime = runtime_command(host, plan.tool.debugger);
  plan.runtime_command = runtime.command;
  result.error = runtime.error;
  return result;
}

std::vector<std::string> split_words(const std::string& text) {
  std::vector<std::string> words;
  std::size_t start = 0;
  for (std::size_t space = text.find(' '); space != std::string::npos;
       space = text.find(' ', start)) {
    words.push_back(text.substr(start, space - start));
    start = space + 1;
  }
  words.push_back(text.substr(start));
  return words;
}

Command build_command(Host& host, const Plan& plan, const std::vector<std::string>& args) {
  Command command;
  command.argv = split_words(plan.runtime_command);
  command.argv.push_back("-classpath");
  command.argv.push_back(plan.class_path);
  command.argv.push_back(plan.tool.main_class);
  command.first = command.argv.size();
  if (plan.tool.main_class == compiler_class) {
    if (std::optional<std::string> options = host.get_env("BROX_OPTIONS")) {
      for (std::string& word : split_words(*options)) command.argv.push_back(std::move(word));
    }
    if (!plan.tool_dir_arg.empty()) command.argv.push_back(plan.tool_dir_arg);
    if (plan.tool.debugger || command.argv.front() != "java.exe") {
      command.argv.push_back("-noloadtool");
    }
  }
  for (std::size_t i = plan.tool.consumed; i < args.size(); ++i) {
    const std::string& arg = args[i];
    command.argv.push_back(arg.find(' ') == std::string::npos ? arg : '"' + arg + '"');
  }
  host.unset_env("CLASSPATH");
  return command;
}

bool needs_response_file(const Command& command, bool debugger) {
  return debugger || (command.argv.front() != "java.exe" &&
                      command.argv.size() - command.first >= response_file_threshold);
}

std::string response_file_text(const Command& command) {
  std::string text;
  for (std::size_t i = command.first; i < command.argv.size(); ++i) {
    text += command.argv[i] + "\r\n";
  }
  return text;
}

std::string create_response_file(const Host& host,
                                 const std::function<Creation(const std::string&)>& create) {
  std::string folder = response_folder(host);
  if (!ends_in_any(folder, "\\/")) folder += '\\';
  for (unsigned n = first_response_number; n < first_response_number + response_tries; ++n) {
    std::string name = folder + "brox_" + std::to_string(n);
    if (!fits(name)) return {};
    if (host.file_exists(name) || host.folder_exists(name)) continue;
    switch (create(name)) {
      case Creation::created:
        return name;
      case Creation::exists:
        continue;
      case Creation::failed:
        return {};
    }
  }
  return {};
}

Command use_response_file(const Command& command, const std::string& file) {
  Command result = command;
  result.argv.resize(command.first);
  // A temporary folder with a blank in it (common in user profiles) must
  // not cut the argument in two.
  std::string arg = '@' + file;
  result.argv.push_back(arg.find(' ') == std::string::npos ? arg : '"' + arg + '"');
  return result;
}

std::string command_line(const Command& command) {
  std::string line;
  for (std::size_t i = 0; i < command.argv.size(); ++i) {
    if (i > 0) line += ' ';
    line += command.argv[i];
  }
  return line;
}

std::string resolve_program(const Host& host, const std::string& name) {
  if (name.empty()) return {};
  std::size_t folder_end = name.find_last_of("\\/:");
  std::size_t base = folder_end == std::string::npos ? 0 : folder_end + 1;
  std::vector<std::string> names;
  if (name.find('.', base) != std::string::npos) {
    names.push_back(name);
  } else {
    for (const char* ext : {".com", ".exe", ".bat", ".cmd"}) names.push_back(name + ext);
  }
  if (folder_end != std::string::npos) {
    for (const std::string& candidate : names) {
      if (host.file_exists(candidate)) return candidate;
    }
    return {};
  }
  std::vector<std::string> folders{host.current_folder()};
  std::vector<std::string> entries = path_entries(host);
  folders.insert(folders.end(), entries.begin(), entries.end());
  for (const std::string& folder : folders) {
    for (const std::string& candidate : names) {
      std::string path = in_folder(folder, candidate);
      if (host.file_exists(path)) return path;
    }
  }
  return {};
}

int exit_code(int result) { return result == -1 ? 1 : result; }

}  // namespace brox
