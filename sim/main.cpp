// zemblor simulator: stands in for the handheld loader tool and acts on a
// simulated handheld whose state is kept in a folder.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "command_line.h"
#include "device.h"
#include "operations.h"
#include "win_host.h"

namespace {

using zsim::Narrow;

constexpr DWORD kLockTimeoutMs = 60000;

std::wstring Environment(const wchar_t* name) {
  DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
  if (n == 0) return {};
  std::wstring value(n, L'\0');
  n = GetEnvironmentVariableW(name, value.data(), n);
  value.resize(n);
  return value;
}

std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::wstring StateFolder() {
  std::wstring folder = Environment(L"ZEMBLOR_SIM_STATE");
  if (folder.empty()) return ProgramFolder() + L"handheld";
  // korvane's scripts change the current folder; a relative state folder is
  // taken from the program's folder so that every command finds the same one.
  bool absolute =
      folder[0] == L'\\' || folder[0] == L'/' || (folder.size() > 1 && folder[1] == L':');
  if (!absolute) folder = ProgramFolder() + folder;
  while (folder.size() > 1 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  return folder;
}

bool Disconnected(const std::wstring& folder) {
  std::wstring flag = Environment(L"ZEMBLOR_SIM_DISCONNECTED");
  if (!flag.empty() && flag != L"0") return true;
  return GetFileAttributesW((folder + L"\\disconnected").c_str()) != INVALID_FILE_ATTRIBUTES;
}

int Fail(const std::string& text) {
  zsim::PrintLines({text});
  return zsim::kExitFailed;
}

int RunCommand(const zsim::Command& command) {
  std::wstring folder = StateFolder();
  if (Disconnected(folder)) {
    zsim::PrintLines(
        {"No handheld connected (zemblor simulator: the simulated handheld is "
         "disconnected)."});
    return zsim::kExitDisconnected;
  }
  std::string shown_folder = Narrow(folder);
  if (DWORD error = zsim::CreateFolders(folder)) {
    return Fail("Cannot use the state folder " + shown_folder + ": " + zsim::SystemMessage(error));
  }
  DWORD error = 0;
  zsim::StateLock lock(folder, kLockTimeoutMs, &error);
  if (error != 0) {
    return Fail("The simulated handheld is busy or its lock cannot be taken (" +
                zsim::SystemMessage(error) + ")");
  }

  zsim::WindowsHost host;
  std::wstring state_path = folder + L"\\state.dat";
  zsim::Device device;
  bool seeded = false;
  std::vector<std::uint8_t> bytes;
  std::string why;
  switch (host.ReadFile(Narrow(state_path), UINT64_MAX, &bytes, &why)) {
    case zsim::FileStatus::kOk:
      if (!zsim::ParseDevice(bytes, &device, &why)) {
        return Fail("The state of the simulated handheld in " + shown_folder + " is damaged (" +
                    why + "); delete the folder to start afresh.");
      }
      break;
    case zsim::FileStatus::kNotFound:
      device = zsim::SeedDevice(host.LocalNow());
      seeded = true;
      break;
    default:
      return Fail("Cannot read the state of the simulated handheld in " + shown_folder + " (" +
                  why + ")");
  }

  zsim::Outcome outcome = zsim::Run(command, device, host);
  if (outcome.changed || seeded) {
    if (DWORD code = zsim::ReplaceFile(state_path, zsim::SerializeDevice(device))) {
      return Fail("The simulated handheld was left unchanged: its state cannot be stored (" +
                  zsim::SystemMessage(code) + ")");
    }
  }
  zsim::PrintLines(outcome.lines);
  return outcome.exit_code;
}

}  // namespace

// The arguments are split here from the raw command line, which also tells
// which of them stood in quotes.
int wmain(int, wchar_t**) {
  std::vector<zsim::Word> args = zsim::SplitArguments(Narrow(GetCommandLineW()));
  std::string error;
  std::optional<zsim::Command> command = zsim::ParseCommand(args, &error);
  std::vector<std::string> usage = zsim::UsageLines();
  if (!command) {
    usage.insert(usage.begin(), {"zemblor: " + error, ""});
    zsim::PrintLines(usage);
    return zsim::kExitUsage;
  }
  if (command->verb == zsim::Verb::kHelp) {
    zsim::PrintLines(usage);
    return 0;
  }
  return RunCommand(*command);
}
