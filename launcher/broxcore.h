// Decisions of the brox launcher: which tool to run, where its archives and
// the JDK are, the Java runtime's argument vector and its response file.
// Nothing here starts a process or includes a Windows header; the
// surroundings come through Host.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace brox {

// Paths are texts of at most this many characters, the terminating zero
// included; a longer one is never used, and never shortened into another.
inline constexpr std::size_t path_limit = 260;
// Characters the class path may hold.
inline constexpr std::size_t class_path_limit = 519;

inline constexpr char compiler_class[] = "net.qor.tools.compiler.Compiler";

// What the launcher sees of the machine. Paths and values are UTF-8.
class Host {
 public:
  virtual ~Host() = default;
  // True for an existing file (not a folder).
  virtual bool file_exists(const std::string& path) const = 0;
  virtual bool folder_exists(const std::string& path) const = 0;
  // Unset is nullopt; an empty value is set.
  virtual std::optional<std::string> get_env(const std::string& name) const = 0;
  virtual void unset_env(const std::string& name) = 0;
  // The current folder as a full path.
  virtual std::string current_folder() const = 0;
};

struct ToolChoice {
  std::string main_class;
  bool debugger = false;
  // Leading entries of the launcher's arguments not passed on (1 to 3).
  std::size_t consumed = 1;
};

// `args` are the launcher's own arguments, its path first.
ToolChoice choose_tool(const std::vector<std::string>& args);

// Full path of `name` in the current folder or on PATH, or empty.
std::string find_on_path(const Host& host, const std::string& name);

// Quoted paths with backslashes only.
std::string find_brox_jar(const Host& host, const std::string& launcher);
std::string find_tools_jar(const Host& host);
// The quoted folder handed to the compiler as -exepath=, or empty.
std::string find_tool_dir(const Host& host, const std::string& launcher);

std::string make_class_path(const std::string& brox_jar, const std::string& tools_jar);

// The command starting the Java runtime, or the line to print when the
// debugger's environment is missing (then `command` is empty).
struct RuntimeCommand {
  std::string command;
  std::string error;
};
RuntimeCommand runtime_command(const Host& host, bool debugger);

struct Plan {
  ToolChoice tool;
  std::string class_path;
  std::string tool_dir_arg;
  std::string runtime_command;
};

// Runs the discovery steps in their order; an environment error leaves the
// line to print in `error`.
struct PlanResult {
  Plan plan;
  std::string error;
};
PlanResult make_plan(const Host& host, const std::vector<std::string>& args);

std::vector<std::string> split_words(const std::string& text);

// The runtime's argument vector; entries from `first` on are the tool's.
struct Command {
  std::vector<std::string> argv;
  std::size_t first = 0;
};

// Also removes CLASSPATH from the environment the runtime will inherit.
Command build_command(Host& host, const Plan& plan, const std::vector<std::string>& args);

bool needs_response_file(const Command& command, bool debugger);

// The tool's arguments, one per line, each ended by CR LF.
std::string response_file_text(const Command& command);

// What creating a response file under a name gave.
enum class Creation { created, exists, failed };

// Picks brox_2, brox_3, ... in the temporary folder and has `create` make
// the file exclusively; returns the name of the file made, or empty when no
// name fits, none is free, or creation failed otherwise.
std::string create_response_file(const Host& host,
                                 const std::function<Creation(const std::string&)>& create);

// The vector with the tool's arguments replaced by "@" + `file`, wrapped in
// double quotes when it holds a space.
Command use_response_file(const Command& command, const std::string& file);

// The child's command line: the entries joined by single spaces.
std::string command_line(const Command& command);

// The program a vector's first entry names, as the runtime is started:
// the current folder, then PATH; without an extension .com, .exe, .bat and
// .cmd are tried. Empty when nothing is found.
std::string resolve_program(const Host& host, const std::string& name);

// The launcher's exit code for a run result (-1: the runtime did not start).
int exit_code(int result);

}  // namespace brox
