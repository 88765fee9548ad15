#include "platform/files/textfile.h"

#include <sys/stat.h>

#include "platform/files/files.h"
#include "platform/files/paths.h"

namespace platform {

FileStamp StampOf(const std::string& path) {
  FileStamp stamp;
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
    stamp.exists = true;
    stamp.size = st.st_size;
    stamp.modifiedNs = std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
    stamp.inode = st.st_ino;
  }
  return stamp;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

bool ReplaceFileContent(const std::string& path, std::string_view bytes,
                        std::string_view tempPrefix, std::optional<std::uint32_t> permissions,
                        std::uint32_t& code) {
  std::string folder = ExtractFileDir(path);
  std::string temp;
  if (MakeTempFile(folder.empty() ? "." : folder, tempPrefix, temp) == 0) {
    code = LastError();
    return false;
  }
  File file;
  bool written = file.Open(temp, FileAccess::ReadWrite, FileShare::Exclusive) &&
                 file.WriteAt(0, bytes.data(), bytes.size()) ==
                     static_cast<std::int64_t>(bytes.size()) &&
                 file.Flush() && file.Close();
  if (written && permissions) ::chmod(temp.c_str(), static_cast<mode_t>(*permissions));
  if (!written || !RenameFile(temp, path)) {
    code = LastError();
    file.Close();
    DeleteFile(temp);
    return false;
  }
  return true;
}

}  // namespace platform
