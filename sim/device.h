#pragma once
// The simulated handheld: its identity, capacity, radio and clock, the
// modules it holds, the files of its file system and its event log; how a
// new one is seeded, and how the state is kept as bytes.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "codfile.h"

namespace zsim {

struct DeviceModule {
  std::string name;
  std::string version;
  std::string vendor;
  cod::Kind kind = cod::Kind::kLibrary;
  std::int64_t installed = 0;      // device clock, see civil_time.h
  std::vector<std::uint8_t> file;  // the module's COD container, as loaded
};

// A file of the handheld's file system (pictures, music, documents): only its
// path and size are kept.
struct DeviceFile {
  std::string path;
  std::uint64_t size = 0;
};

struct Event {
  std::int64_t time = 0;  // device clock
  char severity = 'I';    // I information, W warning, E error
  std::string source;     // one word
  std::string text;
};

struct Device {
  std::string model;
  std::string pin;
  std::string platform_version;
  std::string software_version;
  std::uint64_t capacity = 0;
  bool radio_on = true;
  std::int64_t clock_offset = 0;      // device clock minus the computer's local clock
  std::vector<DeviceModule> modules;  // ordered by name, see FindModule
  std::vector<DeviceFile> files;
  std::vector<Event> events;  // oldest first
};

// Module names on the platform's own prefixes are system modules.
bool IsSystemModule(std::string_view name);

std::uint64_t UsedBytes(const Device& d);
std::uint64_t FreeBytes(const Device& d);

// The module of that name (ASCII letters compare without case), or nullptr.
DeviceModule* FindModule(Device& d, std::string_view name);

// Puts the module in its place by name, replacing one of the same name.
void InstallModule(Device& d, DeviceModule m);

// Appends an event, dropping the oldest past kMaxEvents.
inline constexpr std::size_t kMaxEvents = 500;
void AddEvent(Device& d, std::int64_t time, char severity, std::string source, std::string text);

// The device a first use finds, with its clock started at a fixed date when
// the computer's local clock reads host_now.
Device SeedDevice(std::int64_t host_now);

std::vector<std::uint8_t> SerializeDevice(const Device& d);
bool ParseDevice(std::span<const std::uint8_t> bytes, Device* out, std::string* error);

}  // namespace zsim
