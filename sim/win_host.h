#pragma once
// The simulator's side that needs Windows: text at the boundary, files, the
// state folder's lock and the atomic replacement of files.

#include <windows.h>

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "kwin/handle.h"
#include "operations.h"

namespace zsim {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// The system's text for an error code.
std::string SystemMessage(DWORD code);

// Prints lines to standard output, each ended by CR LF: UTF-16 to a console,
// otherwise bytes in the OEM code page.
void PrintLines(const std::vector<std::string>& lines);

// Writes the bytes to a new file beside path and moves it over path, so that
// path holds either its old or its new content. 0 or the error code.
DWORD ReplaceFile(const std::wstring& path, std::span<const std::uint8_t> bytes);

// Creates the folder and any missing parents; 0 or the error code.
DWORD CreateFolders(const std::wstring& path);

// The state folder's lock: a file opened without sharing, so that one
// command at a time reads and changes the state.
class StateLock {
 public:
  // Waits up to timeout_ms for the lock; 0 or the error code in *error.
  StateLock(const std::wstring& folder, DWORD timeout_ms, DWORD* error);

 private:
  kwin::Handle file_;
};

class WindowsHost : public Host {
 public:
  std::int64_t LocalNow() override;
  FileStatus ReadFile(const std::string& path, std::uint64_t limit,
                      std::vector<std::uint8_t>* bytes, std::string* error) override;
  FileStatus WriteFile(const std::string& path, std::span<const std::uint8_t> bytes,
                       std::string* error) override;
};

}  // namespace zsim
