// Internal to the settings files (ini files, the registry): what tells one
// state of a file on disk from another, splitting its text into lines, and
// replacing its whole content without ever leaving it truncated. Any
// thread; nothing is kept.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Size, modification time and inode of a regular file; all zero (exists
// false) when there is none at the path.
struct FileStamp {
  bool exists = false;
  std::int64_t size = 0;
  std::int64_t modifiedNs = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileStamp&) const = default;
};

FileStamp StampOf(const std::string& path);

// The lines of a text, split at '\n' and each without a '\r' before it; a
// final '\n' ends the last line and starts none. The views point into text.
std::vector<std::string_view> SplitLines(std::string_view text);

// Writes bytes to a new temporary file (named from tempPrefix) in the folder
// of path and renames it over path; permissions, when given, go to the new
// file first. False with the platform error in code on failure; the
// temporary file is then removed and the old file stays as it was.
bool ReplaceFileContent(const std::string& path, std::string_view bytes,
                        std::string_view tempPrefix, std::optional<std::uint32_t> permissions,
                        std::uint32_t& code);

}  // namespace platform
