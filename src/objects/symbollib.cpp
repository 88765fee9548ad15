#include "objects/symbollib.h"

#include <algorithm>
#include <utility>

#include "drawing/realcanvas.h"
#include "drawing/windowdim.h"
#include "foundation/containers/sortedsearch.h"
#include "foundation/errors.h"
#include "foundation/storage/bytes.h"
#include "foundation/storage/real48.h"
#include "objects/libcfg.h"
#include "platform/files/codepage.h"
#include "platform/files/files.h"
#include "platform/gui/application.h"
#include "platform/gui/controls_strings.h"

namespace {

constexpr char kMissingFileMessage[] = "Brak pliku z symbolami:";
constexpr char kBadFileMessage[] = "Błędny plik definicji symboli";
constexpr char kBadRangeMessage[] = "Błędny zakres elementów definicji";
constexpr double kNoDistance = 1.7e308;
// Width given to an empty side of computed bounds.
constexpr double kMinBoundsSide = 0.01;

TLibraryErrorBox& ErrorBox() {
  static TLibraryErrorBox box;
  return box;
}

// The records [First, First + Count) of a table of Size records, or false
// when that range is empty or reaches outside the table.
bool RangeInside(std::int64_t First, std::int64_t Count, std::size_t Size) {
  return First >= 0 && Count > 0 && First + Count <= static_cast<std::int64_t>(Size);
}

// Set when the program-wide library is freed at exit, when the settings group
// may already be gone: the libraries then leave it alone.
bool g_exiting = false;

// The program-wide library and the one retired by the last settings change.
struct TSymbolManagerHolder {
  ~TSymbolManagerHolder() { g_exiting = true; }
  std::unique_ptr<TSymbolManager> Current;
  std::unique_ptr<TSymbolManagerImp> Retired;
};

TSymbolManagerHolder& Holder() {
  static TSymbolManagerHolder holder;
  return holder;
}

// A symbol file checked against its outer layout, and its element table.
struct TSymbolFileImage {
  TDefinitionFile File;
  std::vector<TElementRecord> Elements;
};

TSymbolFileImage ReadSymbolFile(const std::string& FileName) {
  TSymbolFileImage image;
  image.File = ReadDefinitionFile(FileName, kSymbolFileMagic, kSymbolHeaderSize,
                                  kMissingFileMessage, kBadFileMessage);
  image.Elements.reserve(static_cast<std::size_t>(image.File.ElementCount));
  for (std::int64_t i = 0; i < image.File.ElementCount; ++i) {
    image.Elements.push_back(ReadElementRecord(image.File.Element(i)));
  }
  return image;
}

// Where Key is, or would go, in the sorted table of symbols; true when there.
template <class TEntries>
bool FindEntry(const TEntries& Symbols, const std::string& Key, std::int32_t& Index) {
  const auto compareAt = [&](std::int32_t I) {
    return platform::CompareOrdinal(Symbols[static_cast<std::size_t>(I)].Name, Key);
  };
  return SearchSorted(static_cast<std::int32_t>(Symbols.size()), compareAt, Index);
}

}  // namespace

const std::uint8_t* TDefinitionFile::Record(std::size_t I) const {
  return Bytes.data() + kDefinitionFileHeaderSize + I * RecordSize;
}

const std::uint8_t* TDefinitionFile::Element(std::int64_t I) const {
  return Bytes.data() + ElementOffset + static_cast<std::size_t>(I) * kElementRecordSize;
}

TDefinitionFile ReadDefinitionFile(const std::string& FileName, std::uint16_t Magic,
                                   std::size_t RecordSize, const char* MissingMessage,
                                   const char* BadMessage) {
  platform::File file;
  if (!file.Open(FileName, platform::FileAccess::Read, platform::FileShare::DenyNone)) {
    throw EWindowsIOError(MissingMessage + FileName);
  }
  const std::int64_t size = file.Size();
  if (size < 0) throw EWindowsIOError(MissingMessage + FileName);
  if (size < static_cast<std::int64_t>(kDefinitionFileHeaderSize)) throw ETvError(BadMessage);
  TDefinitionFile image;
  image.RecordSize = RecordSize;
  image.Bytes.resize(static_cast<std::size_t>(size));
  if (file.ReadAt(0, image.Bytes.data(), image.Bytes.size()) != size) {
    throw ETvError(BadMessage);
  }
  const std::uint8_t* head = image.Bytes.data();
  if (GetU16(head) != Magic) throw ETvError(BadMessage);
  image.RecordCount = GetU16(head + 2);
  image.ElementOffset = GetU16(head + 4);
  const std::size_t recordsEnd = kDefinitionFileHeaderSize + image.RecordCount * RecordSize;
  if (recordsEnd > image.Bytes.size() || image.ElementOffset > image.Bytes.size()) {
    throw ETvError(BadMessage);
  }
  const std::size_t tableBytes = image.Bytes.size() - image.ElementOffset;
  image.ElementCount = static_cast<std::int64_t>(tableBytes / kElementRecordSize);
  return image;
}

void SetLibraryErrorBox(TLibraryErrorBox Box) { ErrorBox() = std::move(Box); }

void ShowLibraryError(const std::exception& Error) {
  if (ErrorBox()) {
    ErrorBox()(Error.what());
    return;
  }
  platform::Application().ShowException(Error);
}

// TSymbolImp

TSymbolImp::~TSymbolImp() = default;

std::unique_ptr<TEGraphObj> TSymbolImp::CreateElementFromRecord(const TElementRecord& Rec) const {
  switch (Rec.Type) {
    case kElemLine:
      return std::make_unique<TLLinia>(Rec);
    case kElemArc:
      return std::make_unique<TSLuk>(Rec);
    case kElemCircle:
      return std::make_unique<TSOkrag>(Rec);
    default:
      return nullptr;
  }
}

std::unique_ptr<TSymbolImp> TSymbolImp::Clone() const {
  auto copy = std::make_unique<TSymbolImp>();
  copy->CloneElementsFrom(*this);
  return copy;
}

void TSymbolImp::Hook() {}

void TSymbolImp::DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const {
  for (std::int32_t i = 0; i < Count(); ++i) Element(i)->DrawTransformed(Canvas, M);
}

void TSymbolImp::DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const {
  for (std::int32_t i = 0; i < Count(); ++i) Element(i)->DrawMoved(Canvas, D);
}

bool TSymbolImp::HitDistance(const TRealPoint& P, const TRealPoint& Tol,
                             const TDrawParamsImp* Params, double& D) const {
  D = kNoDistance;
  bool hit = false;
  for (std::int32_t i = 0; i < Count(); ++i) {
    double d = kNoDistance;
    if (Element(i)->HitDistance(P, Tol, Params, d)) {
      hit = true;
      D = std::min(D, d);
    }
  }
  return hit;
}

bool TSymbolImp::AddElementFromRecord(const TElementRecord& Rec) {
  std::unique_ptr<TEGraphObj> element = CreateElementFromRecord(Rec);
  if (!element) return false;
  Add(std::move(element));
  return true;
}

void TSymbolImp::AddElementRecords(std::span<const TElementRecord> Recs, std::int32_t First,
                                   const TRealPoint& Origin, std::int32_t Count) {
  if (Count == 0) return;
  if (!RangeInside(First, Count, Recs.size())) throw ETvError(kBadRangeMessage);
  for (std::int32_t i = First; i < First + Count; ++i) {
    TElementRecord rec = Recs[static_cast<std::size_t>(i)];
    rec.X1 -= Origin.X;
    rec.X2 -= Origin.X;
    rec.Y1 -= Origin.Y;
    rec.Y2 -= Origin.Y;
    AddElementFromRecord(rec);
  }
}

void TSymbolImp::CloneElementsFrom(const TSymbolImp& Source) {
  for (std::int32_t i = 0; i < Source.Count(); ++i) Add(Source.Element(i)->Clone());
}

void TransformGraphObjList(TObjList& List, const TAffineMatrix& M) {
  for (std::int32_t i = 0; i < List.Count(); ++i) List.ItemAs<TEGraphObj>(i)->Transform(M);
}

// TSymbol

TSymbolHeader ReadSymbolHeader(const std::uint8_t* Bytes) {
  TSymbolHeader header;
  const std::size_t length = std::min<std::size_t>(Bytes[kSymHdrName], kSymHdrNameMax);
  header.Name = platform::Cp1250ToUtf8(
      std::string_view(reinterpret_cast<const char*>(Bytes + kSymHdrName + 1), length));
  for (std::size_t i = 0; i < header.Sizes.size(); ++i) {
    header.Sizes[i] = Real48ToDouble(Bytes + kSymHdrSizes + 6 * i);
  }
  header.Extent = Real48ToDouble(Bytes + kSymHdrExtent);
  header.First = GetI32(Bytes + kSymHdrFirst);
  header.Count = static_cast<std::int16_t>(GetU16(Bytes + kSymHdrCount));
  return header;
}

TSymbol::TSymbol(const TSymbolHeader& Header, std::span<const TElementRecord> Elements)
    : Sizes(Header.Sizes), Extent(Header.Extent) {
  const std::int64_t first = static_cast<std::int64_t>(Header.First) - 1;
  if (!RangeInside(first, Header.Count, Elements.size())) throw ETvError(kBadFileMessage);
  // Sizes and elements far out of range would make drawing step through
  // endless work or overflow device coordinates.
  if (!DefinitionValueInRange(Extent)) throw ETvError(kBadFileMessage);
  for (double size : Sizes)
    if (!DefinitionValueInRange(size)) throw ETvError(kBadFileMessage);
  bool declared = false;
  for (std::int64_t i = first; i < first + Header.Count; ++i) {
    const TElementRecord& rec = Elements[static_cast<std::size_t>(i)];
    const bool used = rec.Type == kElemLine || rec.Type == kElemArc || rec.Type == kElemCircle ||
                      rec.Type == kElemBoundsRect || rec.Type == kElemBoundsRound;
    if (used && !ElementRecordInRange(rec)) throw ETvError(kBadFileMessage);
    switch (rec.Type) {
      case kElemLine:
        Add(std::make_unique<TSLinia>(rec));
        break;
      case kElemArc:
        Add(std::make_unique<TSLuk>(rec));
        break;
      case kElemCircle:
        Add(std::make_unique<TSOkrag>(rec));
        break;
      case kElemBoundsRect:
        BoundsKind = TSymbolBoundsKind::Rectangle;
        Bounds = TRealRect{rec.X1, rec.Y1, rec.X2, rec.Y2};
        declared = true;
        break;
      case kElemBoundsRound:
        BoundsKind = TSymbolBoundsKind::Round;
        Bounds = TRealRect{rec.X1, rec.Y1, rec.R, 0.0};
        declared = true;
        break;
      default:
        break;
    }
  }
  if (declared) return;
  // Without elements there is nothing to compute the bounds from.
  if (Count() == 0) throw ETvError(kBadFileMessage);
  BoundsKind = TSymbolBoundsKind::Computed;
  Bounds = Element(0)->GetBounds();
  for (std::int32_t i = 1; i < Count(); ++i) Bounds = UnionRealRect(Bounds, Element(i)->GetBounds());
  if (Bounds.Right == Bounds.Left) Bounds.Right = Bounds.Left + kMinBoundsSide;
  if (Bounds.Bottom == Bounds.Top) Bounds.Bottom = Bounds.Top + kMinBoundsSide;
}

std::unique_ptr<TSymbolImp> TSymbol::Clone() const {
  auto copy = std::make_unique<TSymbol>();
  copy->CloneElementsFrom(*this);
  copy->CopySymbolFields(*this);
  return copy;
}

bool TSymbol::IsDeviceSymbol() const { return false; }

void TSymbol::CopySymbolFields(const TSymbol& Source) {
  Sizes = Source.Sizes;
  Extent = Source.Extent;
  BoundsKind = Source.BoundsKind;
  Bounds = Source.Bounds;
}

double TSymbol::SizeForScale(double Denominator) const {
  if (Denominator < kScaleBand1) return Sizes[0];
  if (Denominator < kScaleBand2) return Sizes[1];
  if (Denominator < kScaleBand3) return Sizes[2];
  return Sizes[3];
}

TRealRect TSymbol::GetBounds() const {
  if (BoundsKind == TSymbolBoundsKind::Round) {
    const double x = Bounds.Left, y = Bounds.Top, r = Bounds.Right;
    return TRealRect{x - r, y - r, x + r, y + r};
  }
  return Bounds;
}

std::unique_ptr<TObjList> TSymbol::GetScaledElements(std::int32_t ScaleDenominator) const {
  // The band of the export's own scale, as the map at that scale shows it.
  const double size = SizeForScale(ScaleDenominator);
  TAffineMatrix m;
  m.a = size;
  m.e = size;
  m.s = size;
  auto list = std::make_unique<TObjList>();
  for (std::int32_t i = 0; i < Count(); ++i) {
    std::unique_ptr<TEGraphObj> copy = Element(i)->Clone();
    copy->Transform(m);
    ObjectSaveRecord rec;
    copy->SaveToRecord(rec);
    list->Add(std::make_unique<TExportSymbolObj>(rec));
  }
  return list;
}

// TDPISymbol

TDPISymbol::TDPISymbol(const TSymbolHeader& Header, std::span<const TElementRecord> Elements)
    : TSymbol(Header, Elements) {
  Halo = Sizes[1] == 1.0;
  Sizes.fill(1.0);
}

std::unique_ptr<TSymbolImp> TDPISymbol::Clone() const {
  auto copy = std::make_unique<TDPISymbol>();
  copy->CloneElementsFrom(*this);
  copy->CopySymbolFields(*this);
  copy->Halo = Halo;
  return copy;
}

bool TDPISymbol::IsDeviceSymbol() const { return true; }

namespace {

// Draws through a device canvas at the device point of P: with a halo first
// thick in the contrast colour, then always normally. The pen gets its colour
// and width back also when drawing is aborted.
template <class DrawElements>
void DrawOnDevice(TRealCanvas& Canvas, const TRealPoint& P, bool Halo, DrawElements&& Draw) {
  std::unique_ptr<TRealCanvas> device = Canvas.CreateDeviceCanvas(P);
  if (Halo) {
    TPenI& pen = *device->Pen;
    const std::uint32_t colour = pen.Color();
    auto restore = [&] {
      pen.SetColor(colour);
      pen.SetWidth(1);
    };
    pen.SetContrastColor();
    pen.SetWidth(3);
    try {
      Draw(*device);
    } catch (...) {
      restore();
      throw;
    }
    restore();
  }
  Draw(*device);
}

}  // namespace

void TDPISymbol::DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const {
  TAffineMatrix local = M;
  local.c = 0.0;
  local.f = 0.0;
  DrawOnDevice(Canvas, TRealPoint{M.c, M.f}, Halo,
               [&](TRealCanvas& Device) { TSymbol::DrawTransformed(Device, local); });
}

void TDPISymbol::DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const {
  DrawOnDevice(Canvas, D, Halo,
               [&](TRealCanvas& Device) { TSymbol::DrawMoved(Device, TRealPoint{}); });
}

bool TDPISymbol::HitDistance(const TRealPoint& P, const TRealPoint& Tol,
                             const TDrawParamsImp* Params, double& D) const {
  if (!Params || !Params->Dims()) return false;
  const TWindowDim& dims = *Params->Dims();
  const std::array<double, 2> dpm = Params->GetDPM();
  if (!(dpm[0] > 0.0 && dpm[1] > 0.0)) return false;
  // Device vectors hold device x in X and device y in Y; the symbol's X runs
  // along the device's vertical axis.
  auto toMillimetres = [&](const TRealPoint& V) {
    const TRealPoint d = dims.WorldDeltaToDeviceReal(V);
    return TRealPoint{d.Y / dpm[0], d.X / dpm[1]};
  };
  if (!TSymbol::HitDistance(toMillimetres(P), toMillimetres(Tol), Params, D)) return false;
  D *= (dpm[0] + dpm[1]) / 2.0;
  return true;
}

// TSymbolManagerImp

TSymbolManagerImp::~TSymbolManagerImp() {
  Symbols.clear();
  Previous.reset();
}

void TSymbolManagerImp::SettingsChanged(TParametryConf*) {}

void TSymbolManagerImp::ForgetCurrent(const TSymbolManagerImp* Library) {
  if (CatalogueLibrary == Library) CatalogueLibrary = nullptr;
}

bool TSymbolManagerImp::AddSymbol(std::string_view Name, std::unique_ptr<TSymbol> Symbol) {
  std::string key = platform::UpperCase(Name);
  std::int32_t at = 0;
  if (FindEntry(Symbols, key, at)) return false;
  Symbols.insert(Symbols.begin() + at, TEntry{std::move(key), std::move(Symbol)});
  return true;
}

TSymbol* TSymbolManagerImp::FindOwn(std::string_view Name) const {
  std::int32_t at = 0;
  if (!FindEntry(Symbols, platform::UpperCase(Name), at)) return nullptr;
  return Symbols[static_cast<std::size_t>(at)].Symbol.get();
}

// TSymbolManager

TSymbolManager::TSymbolManager(std::unique_ptr<TSymbolManagerImp> Previous) {
  this->Previous = std::move(Previous);
  if (this->Previous) {
    CatalogueLibrary = this->Previous->CatalogueLibrary;
    this->Previous->CatalogueLibrary = nullptr;
  }
  const std::string fileName = SymbolDefsFileName();
  LoadFromFile(fileName);
  SymbolLineManagerCfg().AddChangeHandler(TConfNotify(this, &TSymbolManager::SettingsChanged));
  subscribed_ = true;
}

TSymbolManager::~TSymbolManager() { Unsubscribe(); }

std::unique_ptr<TSymbolManager> TSymbolManager::CreateFromFile(const std::string& FileName) {
  std::unique_ptr<TSymbolManager> manager(new TSymbolManager());
  manager->LoadFromFile(FileName);
  return manager;
}

void TSymbolManager::Unsubscribe() {
  if (!subscribed_ || g_exiting) return;
  subscribed_ = false;
  SymbolLineManagerCfg().RemoveChangeHandler(TConfNotify(this, &TSymbolManager::SettingsChanged));
}

void TSymbolManager::SettingsChanged(TParametryConf*) {
  TSymbolManagerHolder& holder = Holder();
  if (holder.Current.get() == this) holder.Retired = std::move(holder.Current);
  Unsubscribe();
}

void TSymbolManager::LoadFromFile(const std::string& FileName) {
  try {
    const TSymbolFileImage image = ReadSymbolFile(FileName);
    for (std::size_t i = 0; i < image.File.RecordCount; ++i) {
      const TSymbolHeader header = ReadSymbolHeader(image.File.Record(i));
      std::unique_ptr<TSymbol> symbol;
      if (header.Sizes[0] < 0.0) {
        symbol = std::make_unique<TDPISymbol>(header, image.Elements);
      } else {
        symbol = std::make_unique<TSymbol>(header, image.Elements);
      }
      AddSymbol(header.Name, std::move(symbol));
    }
  } catch (const EWindowsIOError& error) {
    ShowLibraryError(error);
  } catch (const ETvError& error) {
    ShowLibraryError(error);
  }
}

const TSymbolManagerImp& TSymbolManager::Answering() const {
  if (CatalogueLibrary && SymbolLineManagerCfg().FromBases) return *CatalogueLibrary;
  return *this;
}

TSymbol* TSymbolManager::FindByName(std::string_view Name) const { return Answering().FindOwn(Name); }

std::string TSymbolManager::GetSymbolName(const TSymbol* Symbol) const {
  for (const TEntry& entry : Answering().Symbols) {
    if (entry.Symbol.get() == Symbol) return entry.Name;
  }
  return {};
}

void TSymbolManager::FillStrings(platform::TStrings& Strings) const {
  Strings.Clear();
  for (const TEntry& entry : Answering().Symbols) Strings.Add(entry.Name, entry.Symbol.get());
}

void TSymbolManager::SetCatalogueLibrary(TSymbolManagerImp* Library) { CatalogueLibrary = Library; }

std::string SymbolDefsFileName() { return LibraryFilePath(SymbolLineManagerCfg().SymbolDefs); }

TSymbolManager& SymbolManager() {
  TSymbolManagerHolder& holder = Holder();
  if (!holder.Current) holder.Current = std::make_unique<TSymbolManager>(std::move(holder.Retired));
  return *holder.Current;
}

void ForgetCatalogueLibrary(const TSymbolManagerImp* Library) {
  TSymbolManagerHolder& holder = Holder();
  if (holder.Current) holder.Current->ForgetCurrent(Library);
  if (holder.Retired) holder.Retired->ForgetCurrent(Library);
}

void ReleaseSymbolManager() {
  TSymbolManagerHolder& holder = Holder();
  holder.Current.reset();
  holder.Retired.reset();
}
