#include "platform/files/paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdlib>
#include <vector>

#include "platform/files/codepage.h"

namespace platform {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// The entry of folder whose name equals name case-insensitively; the first in
// ordinal order when several do, so that the choice does not depend on the
// order the folder lists them. Empty when none does.
std::string FindCaseInsensitive(const std::string& folder, const std::string& name) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return {};
  std::string found;
  while (const dirent* entry = ::readdir(dir)) {
    std::string_view candidate(entry->d_name);
    if (candidate == "." || candidate == "..") continue;
    if (!SameText(candidate, name)) continue;
    if (found.empty() || CompareOrdinal(candidate, found) < 0) found = candidate;
  }
  ::closedir(dir);
  return found;
}

}  // namespace

std::string NormalizeSeparators(std::string_view path) {
  std::string result(path);
  for (char& c : result)
    if (c == '\\') c = '/';
  return result;
}

std::string ResolvePath(std::string_view path) {
  std::string normalized = NormalizeSeparators(path);
  bool absolute = !normalized.empty() && normalized.front() == '/';

  std::vector<std::string> components;
  std::size_t start = 0;
  while (start <= normalized.size()) {
    std::size_t end = normalized.find('/', start);
    if (end == std::string::npos) end = normalized.size();
    if (end > start) components.emplace_back(normalized.substr(start, end - start));
    start = end + 1;
  }

  std::string result = absolute ? "/" : "";
  auto append = [&result](const std::string& component) {
    if (!result.empty() && result.back() != '/') result += '/';
    result += component;
  };

  std::string joined = result;
  for (const std::string& component : components) {
    if (!joined.empty() && joined.back() != '/') joined += '/';
    joined += component;
  }
  if (joined.empty() || Exists(joined)) return joined;

  bool lookingUp = true;
  for (const std::string& component : components) {
    if (!lookingUp || component == "." || component == "..") {
      append(component);
      continue;
    }
    std::string folder = result;
    append(component);
    if (Exists(result)) continue;
    std::string match = FindCaseInsensitive(folder, component);
    if (match.empty()) {
      lookingUp = false;
      continue;
    }
    result.resize(result.size() - component.size());
    result += match;
  }
  return result;
}

std::string JoinPath(std::string_view a, std::string_view b) {
  if (a.empty() || (!b.empty() && IsSeparator(b.front()))) return std::string(b);
  std::string result(a);
  if (!IsSeparator(result.back())) result += '/';
  result += b;
  return result;
}

std::string ExtractFileName(std::string_view path) {
  std::size_t pos = path.find_last_of("/\\");
  return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

std::string ExtractFileDir(std::string_view path) {
  std::size_t pos = path.find_last_of("/\\");
  if (pos == std::string_view::npos) return {};
  if (pos == 0) return std::string(path.substr(0, 1));
  return std::string(path.substr(0, pos));
}

std::string ExtractFileExt(std::string_view path) {
  std::string name = ExtractFileName(path);
  std::size_t dot = name.rfind('.');
  if (dot == std::string::npos) return {};
  return name.substr(dot);
}

std::string TempFolder() {
  const char* dir = std::getenv("TMPDIR");
  if (dir != nullptr && *dir != '\0') return dir;
  return "/tmp";
}

}  // namespace platform
