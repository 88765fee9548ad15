// Settings files in the ini format: "[Section]" lines and "key=value" lines.
// Section and key names compare case-insensitively (Polish letters included),
// the first matching section and the first matching key in it win, and values
// are returned as written, trimmed of the blanks around them. The file holds
// code page 1250; names and values are UTF-8 in memory. A carriage return
// inside a line (a damaged "\r\r\n" line end) is dropped on reading: the
// format cannot hold one, so every value read can be written back.
//
// Reads see the file as it is on disk (it is read again whenever it changed)
// while no change of this object is waiting; a missing or unreadable file
// reads as empty. Writes, EraseSection and DeleteKey change the object's own
// image of the file, which its reads then return; UpdateFile writes that
// image once (the whole new text goes to a temporary file in the same folder
// and is renamed over the old one, so a failed write never leaves a truncated
// file), and the destructor does the same for changes still waiting. A write
// of a name or value the format cannot hold throws EIniFileError at once and
// changes nothing; a failed UpdateFile throws EIniFileError, leaves the file as
// it was and keeps the changes waiting. Lines the format does not know
// (comments, lines without '=', lines before the first section) are kept.
//
// One thread uses an object at a time. The object owns only its image of the
// file. Not copyable (a copy would write the same changes twice).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/textfile.h"

namespace platform {

class EIniFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TIniFile {
 public:
  // fileName goes through ResolvePath when used.
  explicit TIniFile(std::string_view fileName);
  // Writes the changes still waiting; a failure there is not reported (call
  // UpdateFile first to learn it).
  ~TIniFile();
  TIniFile(const TIniFile&) = delete;
  TIniFile& operator=(const TIniFile&) = delete;

  const std::string& FileName() const { return fileName_; }

  std::string ReadString(std::string_view section, std::string_view ident,
                         std::string_view defaultValue) const;
  // Decimal, or hexadecimal after "$" or "0x"; a value that is not a whole
  // 32-bit number gives the default.
  std::int32_t ReadInteger(std::string_view section, std::string_view ident,
                           std::int32_t defaultValue) const;
  // Read as an integer: 0 is false, any other number true, anything else the
  // default.
  bool ReadBool(std::string_view section, std::string_view ident, bool defaultValue) const;

  void WriteString(std::string_view section, std::string_view ident, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view ident, std::int32_t value);
  // Writes "1" or "0".
  void WriteBool(std::string_view section, std::string_view ident, bool value);

  // Keys of a section in file order (each once, as first written).
  std::vector<std::string> ReadSection(std::string_view section) const;
  // Section names in file order (each once, as first written).
  std::vector<std::string> ReadSections() const;
  // "key=value" for every key of a section, in file order.
  std::vector<std::string> ReadSectionValues(std::string_view section) const;

  // Removes the section (every section of that name) with its keys.
  void EraseSection(std::string_view section);
  // Removes the key from the section; nothing happens when it is absent.
  void DeleteKey(std::string_view section, std::string_view ident);

  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view ident) const;

  // Writes the waiting changes to the file (nothing when none wait). Throws
  // EIniFileError when the file cannot be replaced; the changes then stay
  // waiting and the file keeps its old content.
  void UpdateFile();
  // Whether changes are waiting for UpdateFile.
  bool Modified() const { return modified_; }
  // How many times this object has replaced its file.
  std::uint32_t FileReplacements() const { return replacements_; }

 private:
  struct Line {
    enum class Kind { Other, Section, Key } kind = Kind::Other;
    std::string text;   // the whole line as read (UTF-8), without its line end
    std::string name;   // section name or key, trimmed
    std::string value;  // key's value, trimmed
  };

  void Load() const;
  // Index of the first section line of that name, or -1.
  long FindSection(std::string_view section) const;
  // End (exclusive) of the section whose header is at index.
  std::size_t SectionEnd(std::size_t header) const;
  // Index of the first key line of that name in the section, or -1.
  long FindKey(std::string_view section, std::string_view ident) const;
  void Save(const std::vector<Line>& lines);

  std::string fileName_;
  mutable std::vector<Line> lines_;
  mutable FileStamp stamp_;
  mutable bool loaded_ = false;
  mutable bool crlf_ = true;
  bool modified_ = false;
  std::uint32_t replacements_ = 0;
};

}  // namespace platform
