// The symbol library and its definition file.
//
// A symbol is a list of definition elements (objects/defelements.h) in symbol
// units with four sizes for four map-scale bands, a nominal extent and a
// bounding shape. Graphic symbol objects point at the symbols of a library;
// the styled canvases draw them through DrawTransformed with a matrix that
// scales, turns and places them.
//
// Symbol file, little-endian; reals are 6-byte reals (foundation/storage/real48.h):
//
// | Offset | Size   | Field                                                  |
// |--------|--------|--------------------------------------------------------|
// | 0      | 2      | magic, unsigned 16-bit, 0x2310                         |
// | 2      | 2      | N, number of symbol headers, unsigned 16-bit           |
// | 4      | 2      | E, file offset of the element table, unsigned 16-bit   |
// | 6      | 49 * N | symbol headers                                         |
// | E      | 32 * M | element records, M = (file size - E) div 32; a         |
// |        |        | trailing remainder is ignored                          |
//
// Symbol header (49 bytes):
//
// | Offset | Size | Field                                                     |
// |--------|------|-----------------------------------------------------------|
// | 0      | 13   | name: length byte and up to 12 characters (code page 1250)|
// | 13     | 6    | size below 1:750; negative: a device-resolution symbol    |
// | 19     | 6    | size from 1:750; device symbol: 1.0 asks for a halo       |
// | 25     | 6    | size from 1:1500                                          |
// | 31     | 6    | size from 1:3500                                          |
// | 37     | 6    | extent: nominal radius in symbol units                    |
// | 43     | 4    | first element, signed 32-bit, 1-based                     |
// | 47     | 2    | element count, signed 16-bit                              |
//
// Element records: objects/defelements.h. In a symbol, types 0 to 2 are
// elements, 8 declares the bounding rectangle (Left X1, Top Y1, Right X2,
// Bottom Y2), 9 a round bound (centre X1, Y1, radius R); others are skipped.
//
// Invariants the loader keeps (a file that breaks them is refused with
// "Błędny plik definicji symboli", keeping the symbols loaded before):
//  1. The 6-byte file header and all N headers lie inside the file; E lies
//     inside it.
//  2. Every symbol names at least one record, and all of them lie among the
//     M records of the element table.
//  3. A name (upper-cased) occurs once in the library; a later header of the
//     same name is dropped.
//  4. The sizes, the extent and every real of the element and bound records
//     a symbol uses are finite and within kMaxDefinitionValue
//     (objects/defelements.h).
//
// Threads: a library is built and changed on the GUI thread; drawing threads
// only read its symbols. A library owns its symbols and the library it
// retired (Previous); a symbol owns its elements.
#pragma once

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "drawing/drawparams.h"
#include "foundation/containers/objlist.h"
#include "foundation/geometry/realgeom.h"
#include "objects/defelements.h"
#include "objects/saverecord.h"

namespace platform {
class TStrings;
}
class TParametryConf;
class TRealCanvas;

inline constexpr std::uint16_t kSymbolFileMagic = 0x2310;
inline constexpr std::size_t kDefinitionFileHeaderSize = 6;
inline constexpr std::size_t kSymbolHeaderSize = 49;

// Offsets inside a symbol header.
inline constexpr std::size_t kSymHdrName = 0;
inline constexpr std::size_t kSymHdrNameMax = 12;
inline constexpr std::size_t kSymHdrSizes = 13;
inline constexpr std::size_t kSymHdrExtent = 37;
inline constexpr std::size_t kSymHdrFirst = 43;
inline constexpr std::size_t kSymHdrCount = 47;

// Scale-band thresholds of symbol sizes and line-style variants.
inline constexpr double kScaleBand1 = 750.0;
inline constexpr double kScaleBand2 = 1500.0;
inline constexpr double kScaleBand3 = 3500.0;

// A definition file read whole and checked against the outer layout that the
// symbol and line-style files share: the 6-byte header (magic, record count
// N, element table offset E), N records of RecordSize bytes from offset 6,
// and the element records from E to the end (a trailing remainder is
// ignored). Records and elements are given by 0-based index, unchecked.
struct TDefinitionFile {
  std::vector<std::uint8_t> Bytes;
  std::size_t RecordSize = 0;
  std::uint16_t RecordCount = 0;
  std::size_t ElementOffset = 0;
  std::int64_t ElementCount = 0;

  const std::uint8_t* Record(std::size_t I) const;
  const std::uint8_t* Element(std::int64_t I) const;
};
// Raises EWindowsIOError MissingMessage + FileName when the file cannot be
// opened or measured, ETvError BadMessage when it cannot be read whole, has
// another magic or breaks the layout (records or E outside the file).
TDefinitionFile ReadDefinitionFile(const std::string& FileName, std::uint16_t Magic,
                                   std::size_t RecordSize, const char* MissingMessage,
                                   const char* BadMessage);

// The library loaders show their file errors through this box and go on with
// what they loaded. Unset (the default): the application's standard error
// box. Tests capture the messages; GUI thread only.
using TLibraryErrorBox = std::function<void(const std::string& Message)>;
void SetLibraryErrorBox(TLibraryErrorBox Box);
void ShowLibraryError(const std::exception& Error);

// The owning list of definition elements (TEGraphObj descendants) of a symbol,
// a line-style section or a generator. It has no fields of its own. It is a
// TObject too, so that owning lists hold it and canvases take it as one.
class TSymbolImp : public TObjList, public TObject {
public:
  TSymbolImp() = default;
  TSymbolImp(const TSymbolImp&) = delete;
  TSymbolImp& operator=(const TSymbolImp&) = delete;
  ~TSymbolImp() override;

  TEGraphObj* Element(std::int32_t Index) const { return ItemAs<TEGraphObj>(Index); }

  // A new element of a record: type 0 a TLLinia (a line that bends onto
  // circles), 1 a TSLuk, 2 a TSOkrag; other types give null. Symbols build
  // their elements themselves (type 0 there is a plain TSLinia).
  virtual std::unique_ptr<TEGraphObj> CreateElementFromRecord(const TElementRecord& Rec) const;
  // A new list of the same class with clones of all elements; subclasses
  // copy their own fields too.
  virtual std::unique_ptr<TSymbolImp> Clone() const;
  // An empty operation kept for subclasses; nothing calls it yet.
  virtual void Hook();
  // Draws every element, in list order, through M (scale, turn, place).
  virtual void DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const;
  // Draws every element moved by D.
  virtual void DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const;
  // Asks every element's HitDistance with the same arguments: D ends as the
  // least distance reported (1.7e308 when none); true when any answered.
  virtual bool HitDistance(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params,
                           double& D) const;

  // Appends CreateElementFromRecord of Rec; a record that gives no element
  // is skipped. True when an element was added.
  bool AddElementFromRecord(const TElementRecord& Rec);
  // The Count records from the 0-based index First, with Origin subtracted
  // from both points, each through AddElementFromRecord. A range outside
  // Recs raises ETvError "Błędny zakres elementów definicji" and adds
  // nothing.
  void AddElementRecords(std::span<const TElementRecord> Recs, std::int32_t First,
                         const TRealPoint& Origin, std::int32_t Count);

protected:
  // Appends clones of Source's elements.
  void CloneElementsFrom(const TSymbolImp& Source);
};

// Transform (M) of every element of a list of TEGraphObj.
void TransformGraphObjList(TObjList& List, const TAffineMatrix& M);

// BoundsKind of a symbol.
enum class TSymbolBoundsKind : std::uint8_t {
  Rectangle = 0,  // given by a type-8 record
  Round = 1,      // given by a type-9 record: Bounds holds centre X, Y and radius
  Computed = 2,   // the union of the elements' bounds
};

// One symbol header as stored.
struct TSymbolHeader {
  std::string Name;  // UTF-8, as stored (not upper-cased)
  std::array<double, 4> Sizes{};
  double Extent = 0.0;
  std::int32_t First = 0;  // 1-based
  std::int16_t Count = 0;
};
// Reads the 49 bytes of a header at Bytes. A length byte above 12 takes 12.
TSymbolHeader ReadSymbolHeader(const std::uint8_t* Bytes);

// A symbol of the library. Built by the loader; read by any drawing thread.
class TSymbol : public TSymbolImp, public ISymbolScaleSize {
public:
  TSymbol() = default;
  // The symbol of Header over the element table Elements (CreateFromRecord):
  // sizes, extent, its elements and its bounds. A symbol whose records lie
  // outside Elements or that has none raises ETvError "Błędny plik
  // definicji symboli".
  TSymbol(const TSymbolHeader& Header, std::span<const TElementRecord> Elements);

  std::array<double, 4> Sizes{};
  double Extent = 0.0;
  TSymbolBoundsKind BoundsKind = TSymbolBoundsKind::Computed;
  TRealRect Bounds;

  // Also sizes, extent, bounds kind and bounds.
  std::unique_ptr<TSymbolImp> Clone() const override;
  // Whether one unit of the symbol is a millimetre on the device rather than
  // a world unit; false here, true for TDPISymbol.
  virtual bool IsDeviceSymbol() const;

  // The first size below 1:750, the second below 1:1500, the third below
  // 1:3500, else the fourth.
  double SizeForScale(double Denominator) const override;
  // Relative to the insertion point, in symbol units: for a round bound the
  // square about its centre, else Bounds.
  TRealRect GetBounds() const;
  // One TExportSymbolObj per element: the save record of a copy scaled by the
  // size for 1:ScaleDenominator. The caller owns the list.
  std::unique_ptr<TObjList> GetScaledElements(std::int32_t ScaleDenominator) const;

protected:
  void CopySymbolFields(const TSymbol& Source);
};

// A symbol of fixed device size: one unit is one millimetre on the output
// device, whatever the map scale. Its sizes are all 1.
class TDPISymbol : public TSymbol {
public:
  TDPISymbol() = default;
  // As TSymbol; then Halo := (the second size = 1.0) and all sizes := 1.
  TDPISymbol(const TSymbolHeader& Header, std::span<const TElementRecord> Elements);

  bool Halo = false;

  std::unique_ptr<TSymbolImp> Clone() const override;
  // Draws through Canvas's device canvas (TRealCanvas::CreateDeviceCanvas)
  // at the device point of M's translation, with M's translation taken out; with Halo first thick (width 3) in the
  // contrast colour, then normally.
  void DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const override;
  // The same at D with no offset.
  void DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const override;
  // P and Tol (symbol-relative world vectors) are taken to millimetres on
  // the device through Params' window dimensions and dots per millimetre;
  // a distance found is multiplied by the mean dots per millimetre. False
  // without Params, window dimensions or dots per millimetre.
  bool HitDistance(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params,
                   double& D) const override;
  bool IsDeviceSymbol() const override;
};

// The save record of one transformed element copy, for the DXF export.
class TExportSymbolObj : public TObject {
public:
  explicit TExportSymbolObj(const ObjectSaveRecord& Rec) : Rec(Rec) {}
  ObjectSaveRecord Rec;
};

// A symbol library: the symbols by upper-cased name (code page order), and
// the libraries it retired and the active catalogue's library it hands
// lookups to.
class TSymbolManagerImp : public TObject {
public:
  TSymbolManagerImp() = default;
  TSymbolManagerImp(const TSymbolManagerImp&) = delete;
  TSymbolManagerImp& operator=(const TSymbolManagerImp&) = delete;
  // Frees the symbols, then Previous.
  ~TSymbolManagerImp() override;

  struct TEntry {
    std::string Name;  // upper-cased
    std::unique_ptr<TSymbol> Symbol;
  };
  // Sorted by name.
  std::vector<TEntry> Symbols;
  // The retired library this one keeps alive; owned.
  std::unique_ptr<TSymbolManagerImp> Previous;
  // The active catalogue's library; not owned, null when none.
  TSymbolManagerImp* CatalogueLibrary = nullptr;

  // Change notification of the library settings. Base: nothing.
  virtual void SettingsChanged(TParametryConf* Sender);

  // Clears CatalogueLibrary when it is Library; a catalogue calls it before
  // it frees its library.
  void ForgetCurrent(const TSymbolManagerImp* Library);
  // Adds Symbol under the upper-cased Name unless the name is there (then
  // Symbol is freed); true when added.
  bool AddSymbol(std::string_view Name, std::unique_ptr<TSymbol> Symbol);
  // This library's own symbol of that name (any letter case), or null.
  TSymbol* FindOwn(std::string_view Name) const;
};

// The program-wide library (SymbolManager) and the catalogue libraries
// (CreateFromFile). Lookups go to the catalogue library alone while "Z baz"
// is on and one is set.
class TSymbolManager : public TSymbolManagerImp {
public:
  // The program-wide library: Previous is the retired one (may be null), whose
  // catalogue library it takes over; it subscribes to the library settings
  // and loads the file of "SymbolDefs".
  explicit TSymbolManager(std::unique_ptr<TSymbolManagerImp> Previous);
  ~TSymbolManager() override;

  // A catalogue library of FileName, without the settings subscription.
  static std::unique_ptr<TSymbolManager> CreateFromFile(const std::string& FileName);

  // Retires the program-wide library: SymbolManager builds a new one on its
  // next use, which owns this one.
  void SettingsChanged(TParametryConf* Sender) override;

  // Reads FileName's symbols. File errors are shown through the library
  // error box; the symbols read before the error stay.
  void LoadFromFile(const std::string& FileName);

  // Null when absent.
  TSymbol* FindByName(std::string_view Name) const;
  TSymbol* GetSymbolByName(std::string_view Name) const { return FindByName(Name); }
  // The stored name of Symbol; empty when the library does not hold it.
  std::string GetSymbolName(const TSymbol* Symbol) const;
  // Replaces Strings' contents with (name, symbol) in name order.
  void FillStrings(platform::TStrings& Strings) const;
  // The active catalogue's library (null clears it).
  void SetCatalogueLibrary(TSymbolManagerImp* Library);

private:
  TSymbolManager() = default;
  // The library that answers lookups now.
  const TSymbolManagerImp& Answering() const;
  void Unsubscribe();
  bool subscribed_ = false;
};

// The symbol file of the settings, in the program folder when it has no
// folder of its own.
std::string SymbolDefsFileName();
// The program-wide library, built on first use.
TSymbolManager& SymbolManager();
// Frees the program-wide library and any retired one (program end).
void ReleaseSymbolManager();
// A catalogue library about to be freed: the program-wide library and a
// retired one forget it when it is their catalogue library. Builds nothing
// when there is no program-wide library yet.
void ForgetCatalogueLibrary(const TSymbolManagerImp* Library);
