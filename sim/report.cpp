#include "report.h"

#include "civil_time.h"

namespace zsim {

namespace {

std::string Padded(std::string text, size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string RightAligned(const std::string& text, size_t width) {
  return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

}  // namespace

std::string ModuleType(const DeviceModule& m) {
  std::string type = IsSystemModule(m.name) ? "system " : "";
  return type + (m.kind == cod::Kind::kApplication ? "application" : "library");
}

std::vector<std::string> ListingLines(const Device& d) {
  constexpr size_t kNameWidth = 24;
  std::vector<std::string> lines;
  lines.push_back("Modules on the simulated handheld " + d.model + ", PIN " + d.pin);
  lines.push_back(Padded("Name", kNameWidth) + " " + Padded("Version", 12) +
                  RightAligned("Size", 8) + "  Type");
  std::uint64_t module_bytes = 0;
  for (const DeviceModule& m : d.modules) {
    module_bytes += m.file.size();
    // The name always ends at the first blank of its line.
    lines.push_back(Padded(m.name, kNameWidth) + " " + Padded(m.version, 12) +
                    RightAligned(std::to_string(m.file.size()), 8) + "  " + ModuleType(m));
  }
  lines.push_back(std::string(kNameWidth + 1 + 12 + 8 + 2 + 18, '-'));
  lines.push_back(std::to_string(d.modules.size()) + " modules, " + std::to_string(module_bytes) +
                  " bytes; " + std::to_string(FreeBytes(d)) + " bytes free of " +
                  std::to_string(d.capacity));
  return lines;
}

std::vector<std::string> ModuleDetailLines(const DeviceModule& m) {
  std::uint64_t payload =
      m.file.size() - cod::kHeaderSize - m.name.size() - m.version.size() - m.vendor.size();
  return {
      "Module:     " + m.name,
      "Version:    " + m.version,
      "Vendor:     " + m.vendor,
      "Type:       " + ModuleType(m),
      "Size:       " + std::to_string(m.file.size()) + " bytes (payload " +
          std::to_string(payload) + " bytes)",
      "Installed:  " + FormatTime(m.installed),
  };
}

std::vector<std::string> DeviceInfoLines(const Device& d, std::int64_t device_now) {
  size_t system = 0;
  size_t applications = 0;
  for (const DeviceModule& m : d.modules) {
    system += IsSystemModule(m.name);
    applications += m.kind == cod::Kind::kApplication;
  }
  std::uint64_t file_bytes = 0;
  for (const DeviceFile& f : d.files) file_bytes += f.size;
  return {
      "Device information (zemblor simulator: this is not a real handheld)",
      "Model:             " + d.model,
      "PIN:               " + d.pin,
      "Platform version:  " + d.platform_version,
      "Software version:  " + d.software_version,
      "Clock:             " + FormatTime(device_now),
      std::string("Radio:             ") + (d.radio_on ? "on" : "off"),
      "Capacity:          " + std::to_string(d.capacity) + " bytes, " +
          std::to_string(FreeBytes(d)) + " free",
      "Modules:           " + std::to_string(d.modules.size()) + " (" + std::to_string(system) +
          " system, " + std::to_string(applications) + " applications)",
      "File system:       " + std::to_string(d.files.size()) + " files, " +
          std::to_string(file_bytes) + " bytes",
  };
}

std::vector<std::string> EventLogLines(const Device& d) {
  std::vector<std::string> lines;
  lines.push_back("Event log of the simulated handheld " + d.model + ", PIN " + d.pin + ", " +
                  std::to_string(d.events.size()) + " entries, oldest first");
  for (const Event& e : d.events) {
    lines.push_back(FormatTime(e.time) + " " + e.severity + " " + e.source + ": " + e.text);
  }
  return lines;
}

}  // namespace zsim
