// The simulator's logic without Windows: the COD container, the command
// lines, the listing layout that korvane parses, and the device commands on a
// host of files kept in memory.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "civil_time.h"
#include "codfile.h"
#include "command_line.h"
#include "device.h"
#include "home_screen.h"
#include "operations.h"
#include "report.h"

namespace zsim {
namespace {

std::vector<std::uint8_t> Cod(const std::string& name, cod::Kind kind = cod::Kind::kApplication,
                              size_t payload = 100, const std::string& version = "1.0") {
  cod::Module m{name, version, "Test Vendor", kind, std::vector<std::uint8_t>(payload, 0x5A)};
  std::vector<std::uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(cod::Encode(m, &bytes, &error)) << error;
  return bytes;
}

TEST(CodFile, RoundTripsEveryField) {
  cod::Module m{"天气_app",
                "2.0.1 beta",
                "Sunfield Software",
                cod::Kind::kApplication,
                {0, 1, 2, 255, '\n', 0}};
  std::vector<std::uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(cod::Encode(m, &bytes, &error)) << error;
  EXPECT_EQ(bytes.size(), cod::kHeaderSize + m.name.size() + 10 + 17 + 6);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "ZCOD");
  cod::Module back;
  ASSERT_TRUE(cod::Decode(bytes, &back, &error)) << error;
  EXPECT_EQ(back.name, m.name);
  EXPECT_EQ(back.version, m.version);
  EXPECT_EQ(back.vendor, m.vendor);
  EXPECT_EQ(back.kind, m.kind);
  EXPECT_EQ(back.payload, m.payload);
}

TEST(CodFile, RefusesWhatIsNotAModule) {
  std::vector<std::uint8_t> good = Cod("mod");
  auto changed = [&good](size_t at, std::uint8_t value) {
    std::vector<std::uint8_t> b = good;
    b[at] = value;
    return b;
  };
  std::vector<std::uint8_t> trailing = good;
  trailing.push_back(0);
  std::vector<std::uint8_t> cut(good.begin(), good.end() - 1);
  const std::vector<std::pair<std::vector<std::uint8_t>, std::string>> cases = {
      {{}, "signature"},
      {{'M', 'Z', 0x90, 0}, "signature"},
      {changed(0, 'X'), "signature"},
      {{'Z', 'C', 'O', 'D', 1, 0}, "cut short"},
      {changed(4, 2), "version 2"},
      {changed(6, 7), "kind"},
      {changed(14, ' '), "name"},  // a blank in the name
      {changed(7, 0), "length"},   // name length 0: the lengths no longer add up
      {trailing, "length"},
      {cut, "length"},
  };
  for (const auto& [bytes, reason] : cases) {
    cod::Module m;
    std::string error;
    EXPECT_FALSE(cod::Decode(bytes, &m, &error));
    EXPECT_NE(error.find(reason), std::string::npos) << error;
  }
}

TEST(CodFile, ModuleNamesAreOneWordAndAFileName) {
  for (const char* good : {"a", "net_qor_api", "my.app", "天气"}) {
    EXPECT_TRUE(cod::IsValidModuleName(good)) << good;
  }
  for (const char* bad : {"", "a b", "a\tb", "a\\b", "a/b", "c:x", "a*", "a?", "\"a\"", "a|b",
                          "\xC3\x28", std::string(128, 'x').c_str()}) {
    EXPECT_FALSE(cod::IsValidModuleName(bad)) << bad;
  }
}

TEST(CommandLine, SplitsByTheUsualWindowsRules) {
  const std::vector<std::pair<std::string, std::vector<Word>>> cases = {
      {"C:\\app\\zemblor -u dir", {{"-u", false}, {"dir", false}}},
      {"\"C:\\my app\\zemblor.exe\" -u load \"C:\\a b\\x.cod\"",
       {{"-u", false}, {"load", false}, {"C:\\a b\\x.cod", true}}},
      {"z -usb erase  a.cod\t b.cod ", {{"-usb"}, {"erase"}, {"a.cod"}, {"b.cod"}}},
      {"z a\\\\b \\\"q\\\" \"x\\\\\" \"\"", {{"a\\\\b"}, {"\"q\""}, {"x\\", true}, {"", true}}},
      {"z \"say \"\"hi\"\"\" c\"d e\"f", {{"say \"hi\"", true}, {"cd ef", true}}},
      {"z", {}},
  };
  for (const auto& [line, words] : cases) EXPECT_EQ(SplitArguments(line), words) << line;
}

std::vector<Word> Words(std::initializer_list<const char*> texts) {
  std::vector<Word> words;
  for (const char* t : texts) words.push_back({t, false});
  return words;
}

TEST(CommandLine, ParsesEveryCommandKorvaneWrites) {
  struct Case {
    std::string line;
    Verb verb;
    std::vector<std::string> items;
    bool force = false;
  };
  const std::vector<Case> cases = {
      {"C:\\app\\zemblor -u dir", Verb::kDir, {}},
      {"C:\\app\\zemblor -u deviceinfo", Verb::kDeviceInfo, {}},
      {"C:\\app\\zemblor -u eventlog", Verb::kEventLog, {}},
      {"C:\\app\\zemblor -usb settime", Verb::kSetTime, {}},
      {"C:\\app\\zemblor -u info -d net_qor_api.cod", Verb::kInfo, {"net_qor_api"}},
      {"C:\\app\\zemblor -u save a.cod b.COD", Verb::kSave, {"a", "b"}},
      {"C:\\app\\zemblor -u save", Verb::kSave, {}},
      {"C:\\app\\zemblor -usb erase -f a.cod b.cod", Verb::kErase, {"a", "b"}, true},
      {"C:\\app\\zemblor -usb erase  a.cod b.cod", Verb::kErase, {"a", "b"}},
      {"C:\\app\\zemblor -u load D:\\apps\\a.cod D:\\apps\\my.app.cod",
       Verb::kLoad,
       {"D:\\apps\\a.cod", "D:\\apps\\my.app.cod"}},
      // Paths with blanks, unquoted as in the install script and quoted.
      {"C:\\app\\zemblor -u load D:\\my apps\\a b.cod D:\\x.cod",
       Verb::kLoad,
       {"D:\\my apps\\a b.cod", "D:\\x.cod"}},
      {"C:\\app\\zemblor.exe -u load \"D:\\my apps\\a.cod\"", Verb::kLoad, {"D:\\my apps\\a.cod"}},
      {"C:\\app\\zemblor -u load \"D:\\a b\\readme.txt\" D:\\x.cod",
       Verb::kLoad,
       {"D:\\a b\\readme.txt", "D:\\x.cod"}},
      {"C:\\app\\zemblor -u load D:\\dir D:\\x.cod D:\\rest",
       Verb::kLoad,
       {"D:\\dir D:\\x.cod", "D:\\rest"}},
      {"C:\\app\\zemblor -u screenshot D:\\my shots\\\\20070908143005.bmp",
       Verb::kScreenshot,
       {"D:\\my shots\\\\20070908143005.bmp"}},
  };
  for (const Case& c : cases) {
    std::string error;
    std::optional<Command> command = ParseCommand(SplitArguments(c.line), &error);
    ASSERT_TRUE(command) << c.line << ": " << error;
    EXPECT_EQ(command->verb, c.verb) << c.line;
    EXPECT_EQ(command->items, c.items) << c.line;
    EXPECT_EQ(command->force, c.force) << c.line;
  }
}

TEST(CommandLine, ReadsTheOptionsOfWipeAndRadio) {
  std::string error;
  EXPECT_EQ(ParseCommand(Words({"-u", "wipe"}), &error)->wipe, WipeScope::kEverything);
  EXPECT_EQ(ParseCommand(Words({"-u", "wipe", "-a"}), &error)->wipe, WipeScope::kApplications);
  EXPECT_EQ(ParseCommand(Words({"-u", "wipe", "-f"}), &error)->wipe, WipeScope::kFileSystem);
  EXPECT_TRUE(ParseCommand(Words({"-usb", "radio", "on"}), &error)->radio_on);
  EXPECT_FALSE(ParseCommand(Words({"-usb", "radio", "off"}), &error)->radio_on);
  EXPECT_EQ(ParseCommand(Words({"-h"}), &error)->verb, Verb::kHelp);
}

TEST(CommandLine, RefusesWhatItDoesNotKnow) {
  for (auto words :
       {Words({}), Words({"dir"}), Words({"-u"}), Words({"-u", "format"}),
        Words({"-u", "dir", "extra"}), Words({"-u", "info", "a.cod"}),
        Words({"-u", "wipe", "-a", "-f"}), Words({"-u", "wipe", "-x"}), Words({"-usb", "radio"}),
        Words({"-usb", "radio", "maybe"}), Words({"-u", "screenshot"})}) {
    std::string error;
    EXPECT_FALSE(ParseCommand(words, &error));
    EXPECT_FALSE(error.empty());
  }
}

// Files in memory; folders that exist are listed, "" is the current one.
class FakeHost : public Host {
 public:
  std::int64_t LocalNow() override { return now; }
  FileStatus ReadFile(const std::string& path, std::uint64_t limit,
                      std::vector<std::uint8_t>* bytes, std::string*) override {
    auto it = files.find(path);
    if (it == files.end()) return FileStatus::kNotFound;
    if (it->second.size() > limit) return FileStatus::kTooLarge;
    *bytes = it->second;
    return FileStatus::kOk;
  }
  FileStatus WriteFile(const std::string& path, std::span<const std::uint8_t> bytes,
                       std::string*) override {
    size_t cut = path.find_last_of('\\');
    if (!folders.contains(cut == std::string::npos ? "" : path.substr(0, cut))) {
      return FileStatus::kNoFolder;
    }
    files[path].assign(bytes.begin(), bytes.end());
    return FileStatus::kOk;
  }

  std::int64_t now = ToSeconds({2024, 3, 1, 12, 0, 0});
  std::map<std::string, std::vector<std::uint8_t>> files;
  std::set<std::string> folders = {""};
};

Outcome RunLine(const std::string& args, Device& d, Host& host) {
  std::string error;
  std::optional<Command> c = ParseCommand(SplitArguments("zemblor " + args), &error);
  EXPECT_TRUE(c) << args << ": " << error;
  return c ? Run(*c, d, host) : Outcome{};
}

std::vector<std::string> Names(const Device& d) {
  std::vector<std::string> names;
  for (const DeviceModule& m : d.modules) names.push_back(m.name);
  return names;
}

bool Has(const Device& d, const std::string& name) {
  return FindModule(const_cast<Device&>(d), name) != nullptr;
}

// The listing read the way korvane reads it: lines 3 to n - 2 are modules,
// the name running to the first blank; the last line's count runs to its
// first blank, the capacity from two past the ";" to the next blank.
struct ParsedListing {
  std::vector<std::string> names;
  std::string count;
  std::string capacity;
};

ParsedListing ParseLikeKorvane(const std::vector<std::string>& lines) {
  ParsedListing p;
  for (size_t i = 2; i + 2 < lines.size(); ++i) {
    p.names.push_back(lines[i].substr(0, lines[i].find(' ')));
  }
  const std::string& last = lines.back();
  p.count = last.substr(0, last.find(' '));
  size_t start = last.find(';') + 2;
  p.capacity = last.substr(start, last.find(' ', start) - start);
  return p;
}

TEST(Listing, HasTheLayoutKorvaneParses) {
  FakeHost host;
  Device d = SeedDevice(host.now);
  host.files["天气 模块.cod"] = Cod("天气_app");
  ASSERT_EQ(RunLine("-u load \"天气 模块.cod\"", d, host).exit_code, 0);
  std::vector<std::string> lines = ListingLines(d);
  ASSERT_EQ(lines.size(), d.modules.size() + 4);
  ParsedListing p = ParseLikeKorvane(lines);
  EXPECT_EQ(p.names, Names(d));
  EXPECT_EQ(p.count, std::to_string(d.modules.size()));
  EXPECT_EQ(p.capacity, std::to_string(FreeBytes(d)));
  for (const std::string& line : lines) EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);

  d.modules.clear();
  lines = ListingLines(d);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(ParseLikeKorvane(lines).count, "0");
}

TEST(Seed, IsABelievableDeviceAndTheSameEveryTime) {
  Device a = SeedDevice(ToSeconds({2024, 1, 1, 0, 0, 0}));
  Device b = SeedDevice(ToSeconds({2030, 6, 1, 8, 0, 0}));
  EXPECT_EQ(ListingLines(a), ListingLines(b));
  EXPECT_EQ(EventLogLines(a), EventLogLines(b));
  EXPECT_EQ(a.modules.size(), 30u);
  size_t system = 0, apps = 0;
  for (const DeviceModule& m : a.modules) {
    system += IsSystemModule(m.name);
    apps += !IsSystemModule(m.name) && m.kind == cod::Kind::kApplication;
  }
  EXPECT_GE(system, 10u);
  EXPECT_GE(apps, 3u);
  EXPECT_GE(a.events.size(), 24u);
  EXPECT_GT(FreeBytes(a), 0u);
  // The clock starts at the same date whenever the device is seeded.
  EXPECT_EQ(FormatTime(ToSeconds({2024, 1, 1, 0, 0, 0}) + a.clock_offset), "2009-06-12 09:41:00");
  EXPECT_EQ(FormatTime(ToSeconds({2030, 6, 1, 8, 0, 0}) + b.clock_offset), "2009-06-12 09:41:00");
}

TEST(State, RoundTripsAndRefusesDamage) {
  FakeHost host;
  Device d = SeedDevice(host.now);
  RunLine("-usb radio off", d, host);
  std::vector<std::uint8_t> bytes = SerializeDevice(d);
  Device back;
  std::string error;
  ASSERT_TRUE(ParseDevice(bytes, &back, &error)) << error;
  EXPECT_EQ(SerializeDevice(back), bytes);
  EXPECT_FALSE(back.radio_on);

  for (size_t cut : {size_t{0}, size_t{10}, bytes.size() / 2, bytes.size() - 1}) {
    std::vector<std::uint8_t> damaged(bytes.begin(), bytes.begin() + cut);
    EXPECT_FALSE(ParseDevice(damaged, &back, &error)) << cut;
  }
  std::vector<std::uint8_t> twice = bytes;
  std::string extra = "model Another\n";
  twice.insert(twice.begin() + 20, extra.begin(), extra.end());
  EXPECT_FALSE(ParseDevice(twice, &back, &error));
}

TEST(Commands, SavedModulesLoadBackByteForByte) {
  FakeHost host;
  Device d = SeedDevice(host.now);
  std::vector<std::uint8_t> original = FindModule(d, "pocketmaps")->file;
  Outcome saved = RunLine("-u save pocketmaps.cod net_qor_api.cod", d, host);
  EXPECT_EQ(saved.exit_code, 0);
  EXPECT_FALSE(saved.changed);
  ASSERT_TRUE(host.files.contains("pocketmaps.cod"));
  EXPECT_EQ(host.files["pocketmaps.cod"], original);

  RunLine("-usb erase pocketmaps.cod", d, host);
  ASSERT_FALSE(Has(d, "pocketmaps"));
  Outcome loaded = RunLine("-u load pocketmaps.cod", d, host);
  EXPECT_EQ(loaded.exit_code, 0);
  EXPECT_TRUE(loaded.changed);
  EXPECT_EQ(FindModule(d, "pocketmaps")->file, original);
  EXPECT_EQ(Names(d), Names(SeedDevice(host.now)));
}

TEST(Commands, EraseRefusesSystemModulesWithoutForce) {
  struct Case {
    std::string args;
    std::vector<std::string> gone;
    std::vector<std::string> kept;
    int exit_code;
  };
  const std::vector<Case> cases = {
      {"-usb erase  chess_lite.cod net_qor_api.cod nosuch.cod stock_ticker.cod",
       {"chess_lite", "stock_ticker"},
       {"net_qor_api"},
       kExitFailed},
      {"-usb erase -f chess_lite.cod net_qor_api.cod dynamic_loader.cod",
       {"chess_lite", "net_qor_api", "dynamic_loader"},
       {},
       0},
      {"-usb erase CHESS_LITE.cod", {"chess_lite"}, {}, 0},
      {"-usb erase -f nosuch.cod", {}, {}, kExitFailed},
      {"-usb erase -f", {}, {}, kExitFailed},
  };
  for (const Case& c : cases) {
    FakeHost host;
    Device d = SeedDevice(host.now);
    Outcome out = RunLine(c.args, d, host);
    EXPECT_EQ(out.exit_code, c.exit_code) << c.args;
    EXPECT_EQ(d.modules.size(), 30 - c.gone.size()) << c.args;
    for (const std::string& name : c.gone) EXPECT_FALSE(Has(d, name)) << c.args << " " << name;
    for (const std::string& name : c.kept) EXPECT_TRUE(Has(d, name)) << c.args << " " << name;
    std::string text;
    for (const std::string& line : out.lines) text += line + "\n";
    if (c.args.find("nosuch") != std::string::npos) {
      EXPECT_NE(text.find("nosuch: no such module"), std::string::npos) << text;
    }
    if (!c.kept.empty()) {
      EXPECT_NE(text.find("system module"), std::string::npos) << text;
    }
  }
}

TEST(Commands, LoadSkipsWhatCannotBeInstalled) {
  FakeHost host;
  Device d = SeedDevice(host.now);
  d.capacity = UsedBytes(d) + 1000;  // room for small modules only
  host.files["C:\\in\\small.cod"] = Cod("small", cod::Kind::kApplication, 100);
  host.files["C:\\in\\big.cod"] = Cod("big", cod::Kind::kApplication, 5000);
  host.files["C:\\in\\text.cod"] = {'h', 'e', 'l', 'l', 'o'};
  host.files["C:\\in\\huge.cod"] = std::vector<std::uint8_t>(d.capacity + 1, 0);
  host.files["C:\\in\\newer.cod"] = Cod("chess_lite", cod::Kind::kApplication, 27500, "1.0.0");
  Outcome out = RunLine(
      "-u load C:\\in\\small.cod C:\\in\\missing.cod C:\\in\\text.cod C:\\in\\big.cod "
      "C:\\in\\huge.cod C:\\in\\newer.cod",
      d, host);
  EXPECT_EQ(out.exit_code, kExitFailed);
  EXPECT_TRUE(Has(d, "small"));
  EXPECT_FALSE(Has(d, "big"));
  // Replacing a module may use the room its old version takes.
  EXPECT_EQ(FindModule(d, "chess_lite")->version, "1.0.0");
  ASSERT_EQ(out.lines.size(), 7u);
  EXPECT_NE(out.lines[1].find("file not found"), std::string::npos);
  EXPECT_NE(out.lines[2].find("not a module"), std::string::npos);
  EXPECT_NE(out.lines[3].find("free"), std::string::npos);
  EXPECT_NE(out.lines[4].find("capacity"), std::string::npos);
  EXPECT_NE(out.lines[5].find("Replaced module chess_lite 0.9.7 by"), std::string::npos);
  EXPECT_EQ(out.lines[6], "2 of 6 modules loaded.");
  EXPECT_LE(UsedBytes(d), d.capacity);
}

TEST(Commands, WipeRemovesWhatItsOptionSays) {
  struct Case {
    std::string args;
    size_t modules;
    size_t files;
  };
  const std::vector<Case> cases = {
      {"-u wipe", 20, 0},
      {"-u wipe -a", 20, 14},
      {"-u wipe -f", 30, 0},
  };
  for (const Case& c : cases) {
    FakeHost host;
    Device d = SeedDevice(host.now);
    Outcome out = RunLine(c.args, d, host);
    EXPECT_EQ(out.exit_code, 0) << c.args;
    EXPECT_TRUE(out.changed) << c.args;
    EXPECT_EQ(d.modules.size(), c.modules) << c.args;
    EXPECT_EQ(d.files.size(), c.files) << c.args;
    if (c.modules == 20) {
      for (const DeviceModule& m : d.modules) EXPECT_TRUE(IsSystemModule(m.name)) << m.name;
    }
  }
}

TEST(Commands, RadioAndClockAreRememberedAndLogged) {
  FakeHost host;
  Device d = SeedDevice(host.now);
  size_t events = d.events.size();
  EXPECT_TRUE(RunLine("-usb radio off", d, host).changed);
  EXPECT_FALSE(d.radio_on);
  EXPECT_FALSE(RunLine("-usb radio off", d, host).changed);
  EXPECT_TRUE(RunLine("-usb radio on", d, host).changed);
  EXPECT_EQ(d.events.size(), events + 2);

  host.now = ToSeconds({2024, 3, 1, 12, 34, 56});
  Outcome out = RunLine("-usb settime", d, host);
  EXPECT_EQ(d.clock_offset, 0);
  EXPECT_NE(out.lines[0].find("2024-03-01 12:34:56"), std::string::npos) << out.lines[0];
  std::vector<std::string> info = DeviceInfoLines(d, host.now + d.clock_offset);
  EXPECT_NE(std::find(info.begin(), info.end(), "Clock:             2024-03-01 12:34:56"),
            info.end());
}

TEST(Commands, InfoShowsOneModuleOrSaysItIsMissing) {
  FakeHost host;
  Device d = SeedDevice(host.now);
  Outcome found = RunLine("-u info -d im_chat.cod", d, host);
  EXPECT_EQ(found.exit_code, 0);
  EXPECT_EQ(found.lines[0], "Module:     im_chat");
  EXPECT_EQ(found.lines[1], "Version:    5.0.1");
  Outcome missing = RunLine("-u info -d gone.cod", d, host);
  EXPECT_EQ(missing.exit_code, kExitFailed);
  EXPECT_NE(missing.lines[0].find("not found"), std::string::npos);
}

std::uint32_t U32(const std::vector<std::uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
         (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

TEST(Commands, ScreenshotWritesABitmapOrSaysTheFolderIsMissing) {
  FakeHost host;
  host.folders.insert("D:\\shots");
  Device d = SeedDevice(host.now);
  Outcome out = RunLine("-u screenshot D:\\shots\\20240301120000.bmp", d, host);
  EXPECT_EQ(out.exit_code, 0);
  const std::vector<std::uint8_t>& bmp = host.files["D:\\shots\\20240301120000.bmp"];
  ASSERT_EQ(bmp.size(), 54u + 320 * 240 * 3);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(U32(bmp, 2), bmp.size());
  EXPECT_EQ(U32(bmp, 18), 320u);
  EXPECT_EQ(U32(bmp, 22), 240u);
  EXPECT_EQ(bmp[28], 24);
  // The same device at the same time gives the same picture.
  EXPECT_EQ(HomeScreenBitmap(d, host.now + d.clock_offset), bmp);

  Outcome missing = RunLine("-u screenshot D:\\none\\x.bmp", d, host);
  EXPECT_EQ(missing.exit_code, kExitFailed);
  EXPECT_NE(missing.lines[0].find("does not exist"), std::string::npos);
  EXPECT_FALSE(host.files.contains("D:\\none\\x.bmp"));
}

TEST(CivilTime, CountsDaysAcrossLeapYearsAndBeforeTheEpoch) {
  for (CivilTime t : {CivilTime{1970, 1, 1, 0, 0, 0}, CivilTime{2000, 2, 29, 23, 59, 59},
                      CivilTime{1969, 12, 31, 23, 59, 59}, CivilTime{2100, 3, 1, 0, 0, 0}}) {
    CivilTime back = FromSeconds(ToSeconds(t));
    EXPECT_EQ(std::tie(back.year, back.month, back.day, back.hour, back.minute, back.second),
              std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second));
  }
  EXPECT_EQ(ToSeconds({2009, 6, 12, 9, 41, 0}), 1244799660);
  EXPECT_EQ(FormatTime(-1), "1969-12-31 23:59:59");
}

}  // namespace
}  // namespace zsim
