#include "device.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>

#include "civil_time.h"

namespace zsim {

namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Orders names by their ASCII-lower-cased bytes.
int CompareNames(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(AsciiLower(a[i]));
    unsigned char y = static_cast<unsigned char>(AsciiLower(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

struct SeedModule {
  const char* name;
  const char* version;
  const char* vendor;
  cod::Kind kind;
  std::uint32_t payload_size;
};

constexpr const char* kPlatformVendor = "Harlix Devices (simulated)";
constexpr const char* kSoftware = "4.6.1.114";
constexpr cod::Kind kLib = cod::Kind::kLibrary;
constexpr cod::Kind kApp = cod::Kind::kApplication;

constexpr SeedModule kSeedModules[] = {
    {"net_qor_os", kSoftware, kPlatformVendor, kLib, 118272},
    {"net_qor_api", kSoftware, kPlatformVendor, kLib, 96512},
    {"net_qor_crypto", kSoftware, kPlatformVendor, kLib, 48640},
    {"net_qor_ui", kSoftware, kPlatformVendor, kLib, 87040},
    {"net_qor_ui_theme_blue", kSoftware, kPlatformVendor, kLib, 61440},
    {"net_qor_fonts_cjk", kSoftware, kPlatformVendor, kLib, 121856},
    {"net_qor_input_pinyin", kSoftware, kPlatformVendor, kLib, 73728},
    {"net_qor_radio_gsm", "5.2.0.36", kPlatformVendor, kLib, 55296},
    {"net_qor_bluetooth", kSoftware, kPlatformVendor, kLib, 39936},
    {"net_qor_messaging", kSoftware, kPlatformVendor, kApp, 82944},
    {"net_qor_phone", kSoftware, kPlatformVendor, kApp, 64512},
    {"net_qor_browser", kSoftware, kPlatformVendor, kApp, 109568},
    {"net_qor_calendar", kSoftware, kPlatformVendor, kApp, 45056},
    {"net_qor_contacts", kSoftware, kPlatformVendor, kApp, 41984},
    {"net_qor_media", kSoftware, kPlatformVendor, kApp, 77824},
    {"net_qor_home", kSoftware, kPlatformVendor, kApp, 35840},
    {"dynamic_runtime", kSoftware, kPlatformVendor, kLib, 26624},
    {"dynamic_certs", kSoftware, kPlatformVendor, kLib, 18432},
    {"dynamic_locale_zh_cn", kSoftware, kPlatformVendor, kLib, 22528},
    {"dynamic_loader", kSoftware, kPlatformVendor, kLib, 14336},
    {"sunfield_weather", "2.1.0", "Sunfield Software", kApp, 31744},
    {"sunfield_common", "2.1.0", "Sunfield Software", kLib, 12800},
    {"pocketmaps", "3.0.2", "Pocket Atlas Ltd", kApp, 58368},
    {"pocketmaps_tiles", "3.0.2", "Pocket Atlas Ltd", kLib, 40960},
    {"tally_notes", "1.4", "Tally Labs", kApp, 19968},
    {"chess_lite", "0.9.7", "Quiet Pawn", kApp, 27136},
    {"im_chat", "5.0.1", "Lantern IM", kApp, 46592},
    {"im_chat_res", "5.0.1", "Lantern IM", kLib, 24576},
    {"libjson_me", "1.2.0", "Open Bits", kLib, 9728},
    {"stock_ticker", "1.0.3", "Marketline", kApp, 16384},
};

struct SeedFile {
  const char* path;
  std::uint64_t size;
};

constexpr SeedFile kSeedFiles[] = {
    {"/store/home/user/pictures/IMG00001-20090601-1214.jpg", 412311},
    {"/store/home/user/pictures/IMG00002-20090601-1215.jpg", 398740},
    {"/store/home/user/pictures/IMG00003-20090604-1830.jpg", 455102},
    {"/store/home/user/pictures/IMG00004-20090608-0712.jpg", 371986},
    {"/store/home/user/pictures/IMG00005-20090611-2044.jpg", 430577},
    {"/store/home/user/music/Evening Tide.mp3", 3874816},
    {"/store/home/user/music/Harbour Lights.mp3", 4112384},
    {"/store/home/user/ringtones/Chime.mid", 18211},
    {"/store/home/user/documents/shopping.txt", 412},
    {"/store/home/user/documents/meeting notes.txt", 2307},
    {"/store/home/user/voicenotes/VN-20090607-0930.amr", 52110},
    {"/store/appdata/sunfield_weather/cache.dat", 8192},
    {"/store/appdata/pocketmaps/tiles.idx", 262144},
    {"/store/appdata/im_chat/history.db", 131072},
};

struct SeedEvent {
  CivilTime time;
  char severity;
  const char* source;
  const char* text;
};

constexpr SeedEvent kSeedEvents[] = {
    {{2009, 6, 10, 7, 58, 12}, 'I', "net_qor_os", "System started, software 4.6.1.114"},
    {{2009, 6, 10, 7, 58, 14}, 'I', "net_qor_os", "Memory check passed, 31 modules verified"},
    {{2009, 6, 10, 7, 58, 20}, 'I', "net_qor_radio_gsm", "Radio on"},
    {{2009, 6, 10, 7, 58, 41}, 'I', "net_qor_radio_gsm", "Registered on network 460-00"},
    {{2009, 6, 10, 7, 59, 3}, 'I', "net_qor_messaging", "Mail service connected"},
    {{2009, 6, 10, 8, 15, 37}, 'I', "net_qor_messaging", "12 messages received"},
    {{2009, 6, 10, 9, 2, 5}, 'W', "net_qor_radio_gsm", "Signal lost"},
    {{2009, 6, 10, 9, 4, 48}, 'I', "net_qor_radio_gsm", "Registered on network 460-00"},
    {{2009, 6, 10, 12, 31, 9}, 'I', "net_qor_browser", "Browser cache cleared"},
    {{2009, 6, 10, 18, 44, 27}, 'I', "sunfield_weather", "Forecast updated"},
    {{2009, 6, 10, 22, 10, 0}, 'I', "net_qor_os", "Battery charging started"},
    {{2009, 6, 11, 0, 0, 0}, 'I', "net_qor_os", "Daily memory clean-up, 2 objects freed"},
    {{2009, 6, 11, 6, 30, 2}, 'I', "net_qor_os", "Battery full"},
    {{2009, 6, 11, 7, 12, 55}, 'I', "net_qor_calendar", "Reminder shown"},
    {{2009, 6, 11, 8, 3, 18}, 'I', "net_qor_messaging", "5 messages received"},
    {{2009, 6, 11, 9, 41, 33}, 'E', "im_chat", "Uncaught exception: connection reset"},
    {{2009, 6, 11, 9, 41, 34}, 'I', "im_chat", "Application restarted"},
    {{2009, 6, 11, 11, 20, 7}, 'I', "pocketmaps", "Map tiles updated"},
    {{2009, 6, 11, 13, 5, 50}, 'I', "net_qor_bluetooth", "Paired with headset"},
    {{2009, 6, 11, 13, 40, 12}, 'I', "net_qor_phone", "Call ended, 00:12:31"},
    {{2009, 6, 11, 15, 22, 45}, 'W', "net_qor_os", "Low memory: 3 applications closed"},
    {{2009, 6, 11, 17, 8, 19}, 'I', "sunfield_weather", "Forecast updated"},
    {{2009, 6, 11, 19, 55, 2}, 'I', "net_qor_media", "Playlist created"},
    {{2009, 6, 11, 21, 37, 40}, 'W', "net_qor_radio_gsm", "Signal lost"},
    {{2009, 6, 11, 21, 39, 1}, 'I', "net_qor_radio_gsm", "Registered on network 460-00"},
    {{2009, 6, 11, 23, 15, 28}, 'I', "net_qor_os", "Battery charging started"},
    {{2009, 6, 12, 0, 0, 0}, 'I', "net_qor_os", "Daily memory clean-up, 0 objects freed"},
    {{2009, 6, 12, 6, 45, 11}, 'I', "net_qor_os", "Battery full"},
    {{2009, 6, 12, 7, 30, 0}, 'I', "net_qor_calendar", "Reminder shown"},
    {{2009, 6, 12, 8, 1, 26}, 'I', "net_qor_messaging", "9 messages received"},
    {{2009, 6, 12, 8, 47, 3}, 'E', "chess_lite", "Uncaught exception: index out of range"},
    {{2009, 6, 12, 9, 10, 42}, 'I', "tally_notes", "Note saved"},
    {{2009, 6, 12, 9, 33, 17}, 'I', "net_qor_bluetooth", "Headset disconnected"},
    {{2009, 6, 12, 9, 40, 58}, 'I', "net_qor_os", "USB cable connected"},
};

constexpr CivilTime kSeedClock = {2009, 6, 12, 9, 41, 0};

// A fixed, module-specific filling for a seeded module's payload.
std::vector<std::uint8_t> SeedPayload(std::string_view name, std::uint32_t size) {
  std::uint64_t x = 1469598103934665603ull;  // FNV-1a of the name
  for (char c : name) x = (x ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  std::vector<std::uint8_t> bytes(size);
  for (std::uint8_t& b : bytes) {
    x ^= x >> 12;
    x ^= x << 25;
    x ^= x >> 27;
    b = static_cast<std::uint8_t>((x * 2685821657736338717ull) >> 56);
  }
  return bytes;
}

void PutLine(std::string* out, std::string_view key, std::string_view value) {
  out->append(key);
  *out += ' ';
  out->append(value);
  *out += '\n';
}

template <typename T>
bool ParseNumber(std::string_view text, T* value) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return ec == std::errc() && end == text.data() + text.size();
}

// Reads the state text line by line; a module's container follows its line.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::optional<std::string_view> Line() {
    if (pos_ >= bytes_.size()) return std::nullopt;
    const char* begin = reinterpret_cast<const char*>(bytes_.data()) + pos_;
    size_t left = bytes_.size() - pos_;
    const void* nl = std::memchr(begin, '\n', left);
    if (nl == nullptr) return std::nullopt;
    size_t n = static_cast<const char*>(nl) - begin;
    pos_ += n + 1;
    return std::string_view(begin, n);
  }

  bool Block(size_t n, std::span<const std::uint8_t>* block) {
    if (bytes_.size() - pos_ < n + 1 || bytes_[pos_ + n] != '\n') return false;
    *block = bytes_.subspan(pos_, n);
    pos_ += n + 1;
    return true;
  }

  bool AtEnd() const { return pos_ == bytes_.size(); }

 private:
  std::span<const std::uint8_t> bytes_;
  size_t pos_ = 0;
};

// Splits off the first blank-separated word of *rest.
std::string_view TakeWord(std::string_view* rest) {
  size_t blank = rest->find(' ');
  std::string_view word = rest->substr(0, blank);
  *rest = blank == std::string_view::npos ? std::string_view() : rest->substr(blank + 1);
  return word;
}

constexpr std::string_view kStateHeader = "zemblor-sim-state 1";

}  // namespace

bool IsSystemModule(std::string_view name) {
  return name.starts_with("net_qor_") || name.starts_with("dynamic_");
}

std::uint64_t UsedBytes(const Device& d) {
  std::uint64_t used = 0;
  for (const DeviceModule& m : d.modules) used += m.file.size();
  for (const DeviceFile& f : d.files) used += f.size;
  return used;
}

std::uint64_t FreeBytes(const Device& d) {
  std::uint64_t used = UsedBytes(d);
  return used >= d.capacity ? 0 : d.capacity - used;
}

DeviceModule* FindModule(Device& d, std::string_view name) {
  for (DeviceModule& m : d.modules) {
    if (CompareNames(m.name, name) == 0) return &m;
  }
  return nullptr;
}

void InstallModule(Device& d, DeviceModule m) {
  auto it = std::lower_bound(d.modules.begin(), d.modules.end(), m.name,
                             [](const DeviceModule& a, const std::string& name) {
                               return CompareNames(a.name, name) < 0;
                             });
  if (it != d.modules.end() && CompareNames(it->name, m.name) == 0) {
    *it = std::move(m);
  } else {
    d.modules.insert(it, std::move(m));
  }
}

void AddEvent(Device& d, std::int64_t time, char severity, std::string source, std::string text) {
  d.events.push_back({time, severity, std::move(source), std::move(text)});
  if (d.events.size() > kMaxEvents) {
    d.events.erase(d.events.begin(), d.events.end() - kMaxEvents);
  }
}

Device SeedDevice(std::int64_t host_now) {
  Device d;
  d.model = "HX-7130 Simulator";
  d.pin = "2100A7C4";
  d.platform_version = "5.2.0.36";
  d.software_version = kSoftware;
  d.capacity = 32 * 1024 * 1024;
  d.radio_on = true;
  d.clock_offset = ToSeconds(kSeedClock) - host_now;
  std::int64_t system_installed = ToSeconds({2009, 5, 20, 10, 0, 0});
  std::int64_t user_installed = ToSeconds({2009, 6, 2, 19, 30, 0});
  std::int64_t step = 0;
  for (const SeedModule& s : kSeedModules) {
    cod::Module m{s.name, s.version, s.vendor, s.kind, SeedPayload(s.name, s.payload_size)};
    DeviceModule dm{s.name, s.version, s.vendor, s.kind, 0, {}};
    std::string error;
    cod::Encode(m, &dm.file, &error);
    dm.installed = (IsSystemModule(s.name) ? system_installed : user_installed) + 37 * step++;
    InstallModule(d, std::move(dm));
  }
  for (const SeedFile& f : kSeedFiles) d.files.push_back({f.path, f.size});
  for (const SeedEvent& e : kSeedEvents) {
    AddEvent(d, ToSeconds(e.time), e.severity, e.source, e.text);
  }
  return d;
}

std::vector<std::uint8_t> SerializeDevice(const Device& d) {
  std::string out(kStateHeader);
  out += '\n';
  PutLine(&out, "model", d.model);
  PutLine(&out, "pin", d.pin);
  PutLine(&out, "platform", d.platform_version);
  PutLine(&out, "software", d.software_version);
  PutLine(&out, "capacity", std::to_string(d.capacity));
  PutLine(&out, "radio", d.radio_on ? "on" : "off");
  PutLine(&out, "clock-offset", std::to_string(d.clock_offset));
  for (const DeviceFile& f : d.files) PutLine(&out, "file", std::to_string(f.size) + " " + f.path);
  for (const Event& e : d.events) {
    PutLine(&out, "event",
            std::to_string(e.time) + " " + e.severity + " " + e.source + " " + e.text);
  }
  for (const DeviceModule& m : d.modules) {
    PutLine(&out, "module", std::to_string(m.installed) + " " + std::to_string(m.file.size()));
    out.append(reinterpret_cast<const char*>(m.file.data()), m.file.size());
    out += '\n';
  }
  out += "end\n";
  return {out.begin(), out.end()};
}

bool ParseDevice(std::span<const std::uint8_t> bytes, Device* out, std::string* error) {
  Reader r(bytes);
  auto fail = [&](const std::string& why) {
    *error = why;
    return false;
  };
  std::optional<std::string_view> line = r.Line();
  if (!line || *line != kStateHeader) return fail("not a state file of this simulator");
  Device d;
  // One bit per entry that must appear exactly once.
  unsigned seen = 0;
  auto once = [&seen](unsigned bit) {
    bool first = (seen & bit) == 0;
    seen |= bit;
    return first;
  };
  bool ended = false;
  while (!ended) {
    line = r.Line();
    if (!line) return fail("state file cut short");
    std::string_view rest = *line;
    std::string_view key = TakeWord(&rest);
    if (key == "end") {
      ended = true;
    } else if (key == "model" && once(1)) {
      d.model = rest;
    } else if (key == "pin" && once(2)) {
      d.pin = rest;
    } else if (key == "platform" && once(4)) {
      d.platform_version = rest;
    } else if (key == "software" && once(8)) {
      d.software_version = rest;
    } else if (key == "capacity" && once(16)) {
      if (!ParseNumber(rest, &d.capacity)) return fail("bad capacity");
    } else if (key == "radio" && once(32)) {
      if (rest != "on" && rest != "off") return fail("bad radio state");
      d.radio_on = rest == "on";
    } else if (key == "clock-offset" && once(64)) {
      if (!ParseNumber(rest, &d.clock_offset)) return fail("bad clock offset");
    } else if (key == "file") {
      DeviceFile f;
      if (!ParseNumber(TakeWord(&rest), &f.size) || rest.empty()) return fail("bad file entry");
      f.path = rest;
      d.files.push_back(std::move(f));
    } else if (key == "event") {
      Event e;
      std::string_view severity;
      if (!ParseNumber(TakeWord(&rest), &e.time) || (severity = TakeWord(&rest)).size() != 1) {
        return fail("bad event entry");
      }
      e.severity = severity[0];
      e.source = TakeWord(&rest);
      e.text = rest;
      d.events.push_back(std::move(e));
    } else if (key == "module") {
      DeviceModule m;
      size_t size = 0;
      std::span<const std::uint8_t> block;
      if (!ParseNumber(TakeWord(&rest), &m.installed) || !ParseNumber(rest, &size) ||
          !r.Block(size, &block)) {
        return fail("bad module entry");
      }
      cod::Module header;
      std::string why;
      if (!cod::Decode(block, &header, &why)) return fail("stored module damaged: " + why);
      m.name = header.name;
      m.version = header.version;
      m.vendor = header.vendor;
      m.kind = header.kind;
      m.file.assign(block.begin(), block.end());
      if (FindModule(d, m.name) != nullptr) return fail("module " + m.name + " stored twice");
      InstallModule(d, std::move(m));
    } else {
      return fail("unknown or repeated entry '" + std::string(key) + "'");
    }
  }
  if (seen != 127 || !r.AtEnd()) return fail("state file incomplete or with trailing data");
  *out = std::move(d);
  return true;
}

}  // namespace zsim
