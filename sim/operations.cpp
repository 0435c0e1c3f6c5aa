#include "operations.h"

#include <algorithm>

#include "civil_time.h"
#include "home_screen.h"
#include "report.h"

namespace zsim {

namespace {

constexpr const char* kLogSource = "zemblor";

std::string Bytes(std::uint64_t n) { return std::to_string(n) + " bytes"; }

std::string ReadProblem(FileStatus status, const std::string& error) {
  switch (status) {
    case FileStatus::kNotFound:
      return "file not found";
    case FileStatus::kNoFolder:
      return "folder not found";
    case FileStatus::kTooLarge:
      return "larger than the handheld's whole capacity";
    default:
      return "cannot be read (" + error + ")";
  }
}

void Summary(Outcome* out, size_t done, size_t asked, const char* verb) {
  out->lines.push_back(std::to_string(done) + " of " + std::to_string(asked) + " modules " + verb +
                       ".");
  if (done < asked) out->exit_code = kExitFailed;
}

Outcome NothingNamed(const char* what) {
  return {{std::string("Nothing to ") + what + ": no module named."}, kExitFailed, false};
}

Outcome Load(const Command& c, Device& d, Host& host) {
  if (c.items.empty()) return NothingNamed("load");
  Outcome out;
  size_t loaded = 0;
  for (const std::string& path : c.items) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    FileStatus status = host.ReadFile(path, d.capacity, &bytes, &error);
    if (status != FileStatus::kOk) {
      out.lines.push_back(path + ": " + ReadProblem(status, error) + ", skipped");
      continue;
    }
    cod::Module header;
    if (!cod::Decode(bytes, &header, &error)) {
      out.lines.push_back(path + ": " + error + ", skipped");
      continue;
    }
    DeviceModule* old = FindModule(d, header.name);
    std::uint64_t available = FreeBytes(d) + (old != nullptr ? old->file.size() : 0);
    if (bytes.size() > available) {
      out.lines.push_back(path + ": module " + header.name + " needs " + Bytes(bytes.size()) +
                          ", only " + Bytes(available) + " free, skipped");
      continue;
    }
    std::string what = "Loaded module " + header.name + " " + header.version;
    if (old != nullptr)
      what = "Replaced module " + old->name + " " + old->version + " by " + header.name + " " +
             header.version;
    std::int64_t now = host.LocalNow() + d.clock_offset;
    AddEvent(d, now, 'I', kLogSource, "Module " + header.name + " " + header.version + " loaded");
    InstallModule(d,
                  {header.name, header.version, header.vendor, header.kind, now, std::move(bytes)});
    out.lines.push_back(what + " (" + Bytes(FindModule(d, header.name)->file.size()) + ") from " +
                        path);
    ++loaded;
  }
  Summary(&out, loaded, c.items.size(), "loaded");
  out.changed = loaded > 0;
  return out;
}

Outcome Erase(const Command& c, Device& d, Host& host) {
  if (c.items.empty()) return NothingNamed("erase");
  Outcome out;
  size_t erased = 0;
  for (const std::string& name : c.items) {
    DeviceModule* m = FindModule(d, name);
    if (m == nullptr) {
      out.lines.push_back(name + ": no such module on the handheld");
    } else if (IsSystemModule(m->name) && !c.force) {
      out.lines.push_back(m->name + " is a system module, not erased (use -f to force)");
    } else {
      std::string erased_name = m->name;
      d.modules.erase(d.modules.begin() + (m - d.modules.data()));
      AddEvent(d, host.LocalNow() + d.clock_offset, 'I', kLogSource,
               "Module " + erased_name + " erased");
      out.lines.push_back("Erased " + erased_name);
      ++erased;
    }
  }
  Summary(&out, erased, c.items.size(), "erased");
  out.changed = erased > 0;
  return out;
}

Outcome Save(const Command& c, Device& d, Host& host) {
  if (c.items.empty()) return NothingNamed("save");
  Outcome out;
  size_t saved = 0;
  for (const std::string& name : c.items) {
    const DeviceModule* m = FindModule(d, name);
    if (m == nullptr) {
      out.lines.push_back(name + ": no such module on the handheld");
      continue;
    }
    std::string file = m->name + ".cod";
    std::string error;
    if (host.WriteFile(file, m->file, &error) != FileStatus::kOk) {
      out.lines.push_back(file + ": cannot be written (" + error + ")");
      continue;
    }
    out.lines.push_back("Saved " + file + " (" + Bytes(m->file.size()) + ")");
    ++saved;
  }
  Summary(&out, saved, c.items.size(), "saved");
  return out;
}

Outcome Info(const Command& c, Device& d) {
  Outcome out;
  for (const std::string& name : c.items) {
    if (!out.lines.empty()) out.lines.push_back("");
    const DeviceModule* m = FindModule(d, name);
    if (m == nullptr) {
      out.lines.push_back("Module " + name + " not found on the handheld.");
      out.exit_code = kExitFailed;
      continue;
    }
    std::vector<std::string> details = ModuleDetailLines(*m);
    out.lines.insert(out.lines.end(), details.begin(), details.end());
  }
  return out;
}

Outcome Wipe(const Command& c, Device& d, Host& host) {
  size_t modules = 0;
  size_t files = 0;
  if (c.wipe != WipeScope::kFileSystem) {
    auto user = std::stable_partition(d.modules.begin(), d.modules.end(),
                                      [](const DeviceModule& m) { return IsSystemModule(m.name); });
    modules = d.modules.end() - user;
    d.modules.erase(user, d.modules.end());
  }
  if (c.wipe != WipeScope::kApplications) {
    files = d.files.size();
    d.files.clear();
  }
  std::string what = std::to_string(modules) + " modules and " + std::to_string(files) +
                     " files erased; " + std::to_string(d.modules.size()) + " modules and " +
                     std::to_string(d.files.size()) + " files kept";
  const char* scope = c.wipe == WipeScope::kEverything     ? "Wiped the handheld"
                      : c.wipe == WipeScope::kApplications ? "Wiped the applications"
                                                           : "Wiped the file system";
  AddEvent(d, host.LocalNow() + d.clock_offset, 'W', kLogSource, scope + std::string(": ") + what);
  return {{scope + std::string(": ") + what + "."}, 0, true};
}

Outcome Radio(const Command& c, Device& d, Host& host) {
  const char* state = c.radio_on ? "on" : "off";
  if (d.radio_on == c.radio_on) return {{std::string("Radio is already ") + state + "."}, 0, false};
  d.radio_on = c.radio_on;
  AddEvent(d, host.LocalNow() + d.clock_offset, 'I', "net_qor_radio_gsm",
           std::string("Radio ") + state);
  return {{std::string("Radio switched ") + state + "."}, 0, true};
}

Outcome SetTime(Device& d, Host& host) {
  std::int64_t host_now = host.LocalNow();
  std::string before = FormatTime(host_now + d.clock_offset);
  d.clock_offset = 0;
  AddEvent(d, host_now, 'I', kLogSource, "Clock set from the computer, was " + before);
  return {{"Device clock set to " + FormatTime(host_now) + " (from this computer; it read " +
           before + ")."},
          0,
          true};
}

Outcome Screenshot(const Command& c, Device& d, Host& host) {
  const std::string& path = c.items.front();
  std::vector<std::uint8_t> bitmap = HomeScreenBitmap(d, host.LocalNow() + d.clock_offset);
  std::string error;
  switch (host.WriteFile(path, bitmap, &error)) {
    case FileStatus::kOk:
      return {{"Screenshot saved to " + path + " (" + std::to_string(kScreenWidth) + "x" +
               std::to_string(kScreenHeight) + ", 24-bit bitmap, " + Bytes(bitmap.size()) + ")."},
              0,
              false};
    case FileStatus::kNoFolder:
      return {
          {"Screenshot not saved: the folder of " + path + " does not exist."}, kExitFailed, false};
    default:
      return {{"Screenshot not saved: " + path + " cannot be written (" + error + ")."},
              kExitFailed,
              false};
  }
}

Outcome Lines(std::vector<std::string> lines) { return {std::move(lines), 0, false}; }

}  // namespace

Outcome Run(const Command& c, Device& d, Host& host) {
  switch (c.verb) {
    case Verb::kDir:
      return Lines(ListingLines(d));
    case Verb::kInfo:
      return Info(c, d);
    case Verb::kSave:
      return Save(c, d, host);
    case Verb::kErase:
      return Erase(c, d, host);
    case Verb::kLoad:
      return Load(c, d, host);
    case Verb::kWipe:
      return Wipe(c, d, host);
    case Verb::kScreenshot:
      return Screenshot(c, d, host);
    case Verb::kEventLog:
      return Lines(EventLogLines(d));
    case Verb::kDeviceInfo:
      return Lines(DeviceInfoLines(d, host.LocalNow() + d.clock_offset));
    case Verb::kRadio:
      return Radio(c, d, host);
    case Verb::kSetTime:
      return SetTime(d, host);
    case Verb::kHelp:
      break;
  }
  return {UsageLines(), 0, false};
}

}  // namespace zsim
