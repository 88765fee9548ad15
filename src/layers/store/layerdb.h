// The catalogue files of a layer database: the layer-number list of a
// catalogue's "baza.cnf" and the symbol library named in its "Katalog".
//
// "baza.cnf" is a text file of one line per layer: a decimal layer number,
// a space, the kind letter (L line, T text), optional spaces and the layer
// name ("12 L ROADS" gives the key LROADS and the number 12). Both files are
// read as hostile data: a missing or unreadable file gives an empty result.
//
// Plain values; one thread uses a list at a time. The list owns its items.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

// The layer numbers of one catalogue, by key (kind letter + layer name),
// kept in ordinal key order; the first line of a key wins.
class TNrWarstwaList {
public:
  TNrWarstwaList() = default;

  // The list of the file at path. A missing or unreadable file gives an
  // empty list; a line whose number does not convert raises EConvertError
  // ("Błąd konwersji: " and the text), and nothing of the file is kept.
  static TNrWarstwaList Read(const std::string& path);

  // Adds one line of the file: trimmed and upper-cased (a to z); the number
  // is the text before the first space, the kind letter the first L or T
  // after it, the key that letter followed by the rest of the line without
  // its leading spaces. A blank line adds nothing; a line with no kind
  // letter is passed over (no layer has such a key); a number that does not
  // convert raises EConvertError.
  void AddLine(std::string_view line);

  // The number of key (for example "LROADS"), 0 when it is not listed.
  std::int32_t Number(std::string_view key) const;
  std::size_t Count() const { return items_.size(); }
  const std::map<std::string, std::int32_t, std::less<>>& Items() const { return items_; }

private:
  std::map<std::string, std::int32_t, std::less<>> items_;
};

// The key of a layer in "baza.cnf": "T" for text layers (kind 0), "L"
// otherwise, followed by the layer name.
std::string LayerNumberKey(int kind, std::string_view layerName);

// The value of key "Symbole" (letter case ignored, first line wins) in the
// file "Katalog" of the catalogue directory (ending in a separator); empty
// when the file does not open or has no such key.
std::string ReadKatalogSymbols(const std::string& directory);
