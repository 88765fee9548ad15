// The catalogue files of a layer database: the layer-number list of
// "baza.cnf" and the symbol library key of "Katalog", both read from the
// same input. A list that reads must hold only keys of a kind letter and a
// name, upper-cased, and each of its items must read back the same from the
// line the list would be written as.
//
// Input: the file's bytes.
#include <cstdint>
#include <string>

#include "foundation/errors.h"
#include "fuzz_common.h"
#include "layers/store/layerdb.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::PutFile("baza.cnf", data, size);
  fuzz::PutFile("Katalog", data, size);
  const std::string directory = path.substr(0, path.size() - 8);

  (void)ReadKatalogSymbols(directory);

  TNrWarstwaList list;
  try {
    list = TNrWarstwaList::Read(path);
  } catch (const EConvertError&) {
    return 0;
  }
  for (const auto& [key, number] : list.Items()) {
    fuzz::Check(!key.empty() && (key[0] == 'L' || key[0] == 'T'),
                "a key without its kind letter: " + key);
    for (char c : key) fuzz::Check(c < 'a' || c > 'z', "a key not upper-cased: " + key);
    fuzz::Check(list.Number(key) == number, "a key does not find its number: " + key);
    TNrWarstwaList again;
    try {
      again.AddLine(std::to_string(number) + " " + key);
    } catch (const EConvertError&) {
      fuzz::Fail("an item does not read back from its line: " + key);
    }
    fuzz::Check(again.Count() == 1 && again.Number(key) == number,
                "an item reads back differently from its line: " + key);
  }
  return 0;
}
