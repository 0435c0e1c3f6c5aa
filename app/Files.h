#pragma once
// Whole-file reads and writes with korvane's own error texts, and the
// quiet deletions of temporary files.

#include <string>

namespace korvane {

// Fails with: Cannot open file "<full path>". <system reason>
std::string ReadFileOrThrow(const std::string& path);
// Replaces the file. Fails with: Cannot create file "<full path>". <system reason>
void WriteFileOrThrow(const std::string& path, const std::string& bytes);
// A file that is missing, or cannot be deleted, is passed over in silence.
void DeleteFileQuietly(const std::string& path);
bool FileExists(const std::string& path);

}  // namespace korvane
