#include "objtools/genlibrary.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <utility>

#include "drawing/canvascfg.h"
#include "foundation/containers/sortedsearch.h"
#include "foundation/errors.h"
#include "foundation/settings/settings.h"
#include "foundation/storage/bytes.h"
#include "foundation/storage/real48.h"
#include "objects/libcfg.h"
#include "platform/files/codepage.h"
#include "platform/gui/controls_strings.h"
#include "view/viewwalkers.h"

namespace {

constexpr char kMissingFileMessage[] = "Brak pliku z generatorami:";
constexpr char kBadFileMessage[] = "Błędny plik definicji generatorów:";
constexpr char kBadRangeMessage[] = "Błędny zakres elementów definicji generatora ";
constexpr char kBadValuesMessage[] = "Błędne współrzędne definicji generatora ";
constexpr char kZeroLengthMessage[] = "Zerowa długość bazy definicji generatora ";
constexpr char kZeroWidthMessage[] = "Zerowa szerokość definicji generatora ";
constexpr char kTooManyElementsMessage[] = "Zbyt wiele elementów definicji generatorów, pominięto generator ";
// At most this many problems are listed in the message of one load.
constexpr std::size_t kMaxListedProblems = 10;
// The scale the lookup uses when the display settings are not there.
constexpr std::int32_t kDefaultScale = 1000;

// Set when the program-wide library is freed at exit, when the settings group
// may already be gone: the libraries then leave it alone.
bool g_exiting = false;

struct TGeneratorManagerHolder {
  ~TGeneratorManagerHolder() { g_exiting = true; }
  std::unique_ptr<TGeneratorManager> Current;
  std::unique_ptr<TSymbolManagerImp> Retired;
};

TGeneratorManagerHolder& Holder() {
  static TGeneratorManagerHolder holder;
  return holder;
}

template <class TEntries>
bool FindEntry(const TEntries& Entries, const std::string& Key, std::int32_t& Index) {
  const auto compareAt = [&](std::int32_t I) {
    return platform::CompareOrdinal(Entries[static_cast<std::size_t>(I)].Name, Key);
  };
  return SearchSorted(static_cast<std::int32_t>(Entries.size()), compareAt, Index);
}

// One header as stored.
struct TGeneratorHeader {
  std::string Name;  // UTF-8, upper-cased
  std::int32_t First = 0;
  std::int16_t Count = 0;
  std::uint8_t Type = 0;
  TRealPoint P1, P2, P3;
};

TGeneratorHeader ReadGeneratorHeader(const std::uint8_t* Bytes) {
  TGeneratorHeader h;
  const std::size_t length = std::min<std::size_t>(Bytes[kGenHdrName], kSymHdrNameMax);
  h.Name = platform::UpperCase(platform::Cp1250ToUtf8(
      std::string_view(reinterpret_cast<const char*>(Bytes + kGenHdrName + 1), length)));
  h.First = GetI32(Bytes + kGenHdrFirst);
  h.Count = GetI16(Bytes + kGenHdrCount);
  h.Type = Bytes[kGenHdrType];
  const auto point = [&](std::size_t At) {
    return TRealPoint{Real48ToDouble(Bytes + At), Real48ToDouble(Bytes + At + 6)};
  };
  h.P1 = point(kGenHdrP1);
  h.P2 = point(kGenHdrP2);
  h.P3 = point(kGenHdrP3);
  return h;
}

// A base length or width too small to divide by: no real definition comes
// near it, and its scale would throw the drawing far off the map.
bool ZeroExtent(double V) { return !(std::fabs(V) >= 1e-9); }

// The generator of a header over the element table, or an empty pointer
// and Problem set when it is refused. Type 0 and types above 5 give neither.
std::unique_ptr<TGeneratorImp> MakeGenerator(const TGeneratorHeader& H, std::span<const TElementRecord> Elements,
                                             std::string& Problem) {
  if (H.Type < kGenTypeStretched || H.Type > kGenType2PNS) return nullptr;
  const std::int64_t first = static_cast<std::int64_t>(H.First) - 1;
  if (H.Count < 0 || first < 0 || first + H.Count > static_cast<std::int64_t>(Elements.size())) {
    Problem = kBadRangeMessage + H.Name;
    return nullptr;
  }
  const auto records = Elements.subspan(static_cast<std::size_t>(first), static_cast<std::size_t>(H.Count));
  for (const TElementRecord& rec : records) {
    if (rec.Type != kElemLine && rec.Type != kElemArc && rec.Type != kElemCircle) {
      Problem = kInvalidElementType;
      return nullptr;
    }
  }
  bool inRange = std::all_of(records.begin(), records.end(), ElementRecordInRange);
  for (const TRealPoint& p : {H.P1, H.P2, H.P3})
    inRange = inRange && DefinitionValueInRange(p.X) && DefinitionValueInRange(p.Y);
  if (!inRange) {
    Problem = kBadValuesMessage + H.Name;
    return nullptr;
  }
  const double length = H.P2.Y - H.P1.Y;
  const double width = H.P3.X - H.P1.X;
  const bool scaled = H.Type == kGenTypeStretched || H.Type == kGenType2P || H.Type == kGenType3P;
  if (scaled && ZeroExtent(length)) {
    Problem = kZeroLengthMessage + H.Name;
    return nullptr;
  }
  if (H.Type == kGenType3P && ZeroExtent(width)) {
    Problem = kZeroWidthMessage + H.Name;
    return nullptr;
  }
  std::unique_ptr<TGeneratorImp> g;
  switch (H.Type) {
    case kGenTypeStretched:
      g = std::make_unique<TGenerator>(H.Name, 1.0 / length);
      break;
    case kGenType2P:
      g = std::make_unique<TGenerator2P>(H.Name, 1.0 / length);
      break;
    case kGenType3P:
      g = std::make_unique<TGenerator3P>(H.Name, 1.0 / length, 1.0 / width);
      break;
    case kGenType1P:
      g = std::make_unique<TGenerator1P>(H.Name);
      break;
    default:
      g = std::make_unique<TGenerator2PNS>(H.Name);
      break;
  }
  g->AddElementRecords(Elements, static_cast<std::int32_t>(first), H.P1, H.Count);
  return g;
}

// The problems of one load as one message.
std::string JoinProblems(const std::vector<std::string>& Problems) {
  std::string text;
  for (std::size_t i = 0; i < Problems.size() && i < kMaxListedProblems; ++i) {
    if (!text.empty()) text += "\n";
    text += Problems[i];
  }
  if (Problems.size() > kMaxListedProblems)
    text += "\n(i jeszcze " + std::to_string(Problems.size() - kMaxListedProblems) + ")";
  return text;
}

GeneratorContext LookupContext() {
  GeneratorContext ctx;
  ctx.Scale = kDefaultScale;
  if (const auto* cfg = GlobalnaKonfiguracja().FindGroup<TCanvasCfg>()) ctx.Scale = cfg->Skala;
  return ctx;
}

}  // namespace

TGeneratorManager::TGeneratorManager(std::unique_ptr<TSymbolManagerImp> Previous) {
  this->Previous = std::move(Previous);
  Load(GeneratorFileName());
  SymbolLineManagerCfg().AddChangeHandler(TConfNotify(this, &TGeneratorManager::SettingsChanged));
  subscribed_ = true;
}

TGeneratorManager::~TGeneratorManager() {
  Unsubscribe();
  Generators.clear();
}

std::unique_ptr<TGeneratorManager> TGeneratorManager::CreateFromFile(const std::string& FileName) {
  std::unique_ptr<TGeneratorManager> manager(new TGeneratorManager());
  manager->Load(FileName);
  return manager;
}

void TGeneratorManager::Unsubscribe() {
  if (!subscribed_ || g_exiting) return;
  subscribed_ = false;
  SymbolLineManagerCfg().RemoveChangeHandler(TConfNotify(this, &TGeneratorManager::SettingsChanged));
}

void TGeneratorManager::SettingsChanged(TParametryConf*) {
  TGeneratorManagerHolder& holder = Holder();
  if (holder.Current.get() == this) holder.Retired = std::move(holder.Current);
  Unsubscribe();
}

void TGeneratorManager::Load(const std::string& FileName) {
  LoadFile(FileName);
  AddBuiltIns();
}

void TGeneratorManager::LoadFile(const std::string& FileName) {
  TDefinitionFile file;
  try {
    const std::string bad = kBadFileMessage + FileName;
    file = ReadDefinitionFile(FileName, kGeneratorFileMagic, kGeneratorHeaderSize, kMissingFileMessage,
                              bad.c_str());
  } catch (const EWindowsIOError& error) {
    ShowLibraryError(error);
    return;
  } catch (const ETvError& error) {
    ShowLibraryError(error);
    return;
  }
  std::vector<TElementRecord> elements;
  elements.reserve(static_cast<std::size_t>(file.ElementCount));
  for (std::int64_t i = 0; i < file.ElementCount; ++i) elements.push_back(ReadElementRecord(file.Element(i)));

  std::vector<std::string> problems;
  std::int64_t made = 0;
  for (std::size_t i = 0; i < file.RecordCount; ++i) {
    const TGeneratorHeader header = ReadGeneratorHeader(file.Record(i));
    if (header.Type < kGenTypeStretched || header.Type > kGenType2PNS) continue;
    if (FindByName(header.Name) != nullptr) continue;
    if (made + std::max<std::int64_t>(header.Count, 0) > kMaxGeneratorElements) {
      problems.push_back(kTooManyElementsMessage + header.Name);
      continue;
    }
    std::string problem;
    std::unique_ptr<TGeneratorImp> g = MakeGenerator(header, elements, problem);
    if (!g) {
      problems.push_back(std::move(problem));
      continue;
    }
    made += g->Count();
    AddGenerator(header.Name, std::move(g));
  }
  if (!problems.empty()) ShowLibraryError(ETvError(JoinProblems(problems)));
}

void TGeneratorManager::AddBuiltIns() {
  AddGenerator("SKARPA_P", std::make_unique<TSkarpaGenerator>());
  AddGenerator("SKARPA_U", std::make_unique<TSkarpaUmocniona>());
  AddGenerator("SKARPA_N", std::make_unique<TSkarpaNieumocniona>());
  AddGenerator("SCHODY", std::make_unique<TSchodyGenerator>());
  AddGenerator("TARAS1", std::make_unique<TTarasGenerator>());
  AddGenerator("TARAS2", std::make_unique<TTaras2Generator>());
}

bool TGeneratorManager::AddGenerator(std::string_view Name, std::unique_ptr<TGeneratorImp> Generator) {
  std::string key = platform::UpperCase(Name);
  std::int32_t at = 0;
  if (FindEntry(Generators, key, at)) return false;
  Generators.insert(Generators.begin() + at, TGeneratorEntry{std::move(key), std::move(Generator)});
  return true;
}

TGeneratorImp* TGeneratorManager::FindByName(std::string_view Name) const {
  std::int32_t at = 0;
  if (!FindEntry(Generators, platform::UpperCase(Name), at)) return nullptr;
  return Generators[static_cast<std::size_t>(at)].Generator.get();
}

void TGeneratorManager::FillStrings(platform::TStrings& Strings) const {
  Strings.Clear();
  for (const TGeneratorEntry& entry : Generators) Strings.Add(entry.Name, entry.Generator.get());
}

std::string GeneratorFileName() { return LibraryFilePath(SymbolLineManagerCfg().GeneratorFile); }

TGeneratorManager& GeneratorManager() {
  TGeneratorManagerHolder& holder = Holder();
  if (!holder.Current) holder.Current = std::make_unique<TGeneratorManager>(std::move(holder.Retired));
  return *holder.Current;
}

void ReleaseGeneratorManager() {
  TGeneratorManagerHolder& holder = Holder();
  holder.Current.reset();
  holder.Retired.reset();
}

void RegisterGeneratorLookup() {
  SetGeneratorLookup([](const std::string& Name, bool HasSpacing, float Spacing) -> TGeneratorImp* {
    TGeneratorImp* g = GeneratorManager().FindByName(Name);
    if (g != nullptr && HasSpacing && g->HasSpacing()) g->SetSpacing(LookupContext(), Spacing);
    return g;
  });
}
