// The generator library: the generators of the definition file named in the
// library settings ("Generatory", default "k1g.gen", in the program folder
// when the name has no folder) and the six built-in generators "SKARPA_P",
// "SKARPA_U", "SKARPA_N", "SCHODY", "TARAS1", "TARAS2" (objtools/
// generators.h).
//
// Generator file, little-endian; reals are 6-byte reals (foundation/storage/real48.h):
//
// | Offset | Size   | Field                                                  |
// |--------|--------|--------------------------------------------------------|
// | 0      | 2      | magic, unsigned 16-bit, 0x42E6                         |
// | 2      | 2      | N, number of generator headers, unsigned 16-bit       |
// | 4      | 2      | E, file offset of the element table, unsigned 16-bit   |
// | 6      | 56 * N | generator headers                                      |
// | E      | 32 * M | element records (objects/defelements.h), M = (file     |
// |        |        | size - E) div 32; a trailing remainder is ignored      |
//
// Generator header (56 bytes):
//
// | Offset | Size | Field                                                     |
// |--------|------|-----------------------------------------------------------|
// | 0      | 13   | name: length byte and up to 12 characters (code page 1250)|
// | 13     | 4    | first element, signed 32-bit, 1-based                     |
// | 17     | 2    | element count, signed 16-bit                              |
// | 19     | 1    | type: 1 TGenerator, 2 TGenerator2P, 3 TGenerator3P,       |
// |        |      | 4 TGenerator1P, 5 TGenerator2PNS; others: no generator    |
// | 20     | 12   | P1 (X, Y): the definition's origin                        |
// | 32     | 12   | P2 (X, Y): end of the base, along +Y from P1              |
// | 44     | 12   | P3 (X, Y): the width point                                |
//
// Element types 0 line, 1 arc, 2 circle, their points taken relative to P1.
//
// The file is hostile input. What the loader does with a bad one:
//   - missing or unreadable: "Brak pliku z generatorami:" + the file name;
//   - another magic, or headers or E outside the file: "Błędny plik
//     definicji generatorów:" + the file name;
//   both shown once; the library then holds the built-in generators only.
//   - one generator whose element range lies outside the element table, whose
//     elements or points are out of range (objects/defelements.h), whose
//     element is of another type ("TGeneratorImp.LDInitObj: invalid type"),
//     or whose base length (TGenerator, TGenerator2P, TGenerator3P) or width
//     (TGenerator3P) is 0: that generator is skipped and the others kept; the
//     problems of one load are shown together in one message naming the
//     generators.
//   - more than kMaxGeneratorElements elements in all: the generators beyond
//     are skipped the same way.
// A name already in the library keeps its first generator.
//
// Threads: GUI thread only. The library owns its generators and the library
// it retired (Previous), so that a generator a running tool holds outlives a
// change of the settings.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "objects/symbollib.h"
#include "objtools/generators.h"

namespace platform {
class TStrings;
}

inline constexpr std::uint16_t kGeneratorFileMagic = 0x42E6;
inline constexpr std::size_t kGeneratorHeaderSize = 56;

// Offsets inside a generator header.
inline constexpr std::size_t kGenHdrName = 0;
inline constexpr std::size_t kGenHdrFirst = 13;
inline constexpr std::size_t kGenHdrCount = 17;
inline constexpr std::size_t kGenHdrType = 19;
inline constexpr std::size_t kGenHdrP1 = 20;
inline constexpr std::size_t kGenHdrP2 = 32;
inline constexpr std::size_t kGenHdrP3 = 44;

// Generator types of the header.
inline constexpr std::uint8_t kGenTypeStretched = 1;
inline constexpr std::uint8_t kGenType2P = 2;
inline constexpr std::uint8_t kGenType3P = 3;
inline constexpr std::uint8_t kGenType1P = 4;
inline constexpr std::uint8_t kGenType2PNS = 5;

// No load makes more elements than this in all.
inline constexpr std::int64_t kMaxGeneratorElements = 100000;

class TGeneratorManager : public TSymbolManagerImp {
 public:
  // The program-wide library: Previous is the retired one (may be null); it
  // subscribes to the library settings and loads the file of "Generatory".
  explicit TGeneratorManager(std::unique_ptr<TSymbolManagerImp> Previous);
  ~TGeneratorManager() override;

  // A library of FileName and the built-in generators, without the settings
  // subscription.
  static std::unique_ptr<TGeneratorManager> CreateFromFile(const std::string& FileName);

  struct TGeneratorEntry {
    std::string Name;  // upper-cased
    std::unique_ptr<TGeneratorImp> Generator;
  };
  // Sorted by name.
  std::vector<TGeneratorEntry> Generators;

  // Retires the program-wide library: GeneratorManager builds a new one on
  // its next use, which owns this one.
  void SettingsChanged(TParametryConf* Sender) override;

  // Null when absent; names compare upper-cased.
  TGeneratorImp* FindByName(std::string_view Name) const;
  // Replaces Strings' contents with (name, generator) in name order.
  void FillStrings(platform::TStrings& Strings) const;
  // Adds Generator under the upper-cased Name unless the name is there (then
  // Generator is freed); true when added.
  bool AddGenerator(std::string_view Name, std::unique_ptr<TGeneratorImp> Generator);

 private:
  TGeneratorManager() = default;
  // The generators of FileName (problems shown through the library error
  // box), then the built-in ones.
  void Load(const std::string& FileName);
  void LoadFile(const std::string& FileName);
  void AddBuiltIns();
  void Unsubscribe();
  bool subscribed_ = false;
};

// The generator file of the settings, in the program folder when it has no
// folder of its own.
std::string GeneratorFileName();
// The program-wide library, built on first use.
TGeneratorManager& GeneratorManager();
// Frees the program-wide library and any retired one (program end, tests).
void ReleaseGeneratorManager();

// Installs the activity-menu presets' generator lookup of the view
// (view/viewwalkers.h SetGeneratorLookup): the generator of the program-wide
// library of that name, given the item's spacing when it takes one. The
// program calls it once at start-up.
void RegisterGeneratorLookup();
