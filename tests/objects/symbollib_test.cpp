#include "objects/symbollib.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "drawing/canvascfg.h"
#include "drawing/realcanvas.h"
#include "drawing/windowdim.h"
#include "foundation/errors.h"
#include "foundation/storage/real48.h"
#include "foundation/settings/settings.h"
#include "objects/libcfg.h"
#include "platform/files/codepage.h"
#include "platform/gui/controls_strings.h"
#include "platform/paint/gdiimage.h"
#include "platform/files/inifile.h"
#include "platform/files/paths.h"
#include "platform/files/system.h"
#include "common/scratch_folder.h"

namespace {

// One header of a hand-made symbol file.
struct HeaderFields {
  std::string Name;  // UTF-8
  std::array<double, 4> Sizes{1, 2, 3, 4};
  double Extent = 5;
  std::int32_t First = 1;
  std::int16_t Count = 1;
};

void PutU16(std::string& Bytes, std::uint16_t V) {
  Bytes.push_back(static_cast<char>(V & 0xFF));
  Bytes.push_back(static_cast<char>(V >> 8));
}

void PutReal(std::string& Bytes, double V) {
  const TReal48Bytes r = DoubleToReal48(V);
  Bytes.append(reinterpret_cast<const char*>(r.data()), r.size());
}

std::string ElementBytes(const TElementRecord& R) {
  std::string bytes(1, '\0');
  PutReal(bytes, R.X1);
  PutReal(bytes, R.Y1);
  PutReal(bytes, R.X2);
  PutReal(bytes, R.Y2);
  PutReal(bytes, R.R);
  bytes.push_back(static_cast<char>(R.Type));
  return bytes;
}

// A symbol file byte by byte: magic, N, E (just after the headers unless
// given), the headers, then the element records.
std::string SymbolFile(const std::vector<HeaderFields>& Symbols,
                       const std::vector<TElementRecord>& Elements,
                       std::optional<std::uint16_t> E = std::nullopt,
                       std::uint16_t Magic = kSymbolFileMagic) {
  std::string bytes;
  PutU16(bytes, Magic);
  PutU16(bytes, static_cast<std::uint16_t>(Symbols.size()));
  PutU16(bytes, E.value_or(static_cast<std::uint16_t>(6 + 49 * Symbols.size())));
  for (const HeaderFields& s : Symbols) {
    std::string name = platform::Utf8ToCp1250(s.Name);
    std::string field(13, '\0');
    field[0] = static_cast<char>(name.size());
    field.replace(1, name.size(), name);
    bytes += field;
    for (double size : s.Sizes) PutReal(bytes, size);
    PutReal(bytes, s.Extent);
    const auto first = static_cast<std::uint32_t>(s.First);
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((first >> (8 * i)) & 0xFF));
    PutU16(bytes, static_cast<std::uint16_t>(s.Count));
  }
  for (const TElementRecord& r : Elements) bytes += ElementBytes(r);
  return bytes;
}

TElementRecord Line(double X1, double Y1, double X2, double Y2) {
  return TElementRecord{X1, Y1, X2, Y2, 0, kElemLine};
}
TElementRecord Arc(double X1, double Y1, double X2, double Y2, double R) {
  return TElementRecord{X1, Y1, X2, Y2, R, kElemArc};
}
TElementRecord Circle(double X, double Y, double R) { return TElementRecord{X, Y, 0, 0, R, kElemCircle}; }
TElementRecord Other(std::uint8_t Type, double X1 = 0, double Y1 = 0, double X2 = 0, double Y2 = 0,
                     double R = 0) {
  return TElementRecord{X1, Y1, X2, Y2, R, Type};
}

struct Drawn {
  double X1, Y1, X2, Y2;
  std::int32_t Width;
  std::uint32_t Colour;
};

// Records the world segments it draws with the pen's width and colour; thick
// emulation keeps circles and arcs in segments.
class TRecordingCanvas : public TRealCanvas {
public:
  TRecordingCanvas(platform::TCanvas* C, TWindowDim* Dims, TNullCanvasCfg* Cfg)
      : TRealCanvas(C, Dims, Cfg) {
    SetThickEmulation(true);
  }
  void Line(double X1, double Y1, double X2, double Y2) override {
    Lines.push_back({X1, Y1, X2, Y2, Pen->Width(), Pen->Color()});
  }
  std::vector<Drawn> Lines;
};

class SymbolLibTest : public ::testing::Test {
protected:
  void SetUp() override {
    dims.SetDeviceSize(100, 100);
    SetLibraryErrorBox([this](const std::string& Message) { messages.push_back(Message); });
  }
  void TearDown() override {
    ReleaseSymbolManager();
    SetLibraryErrorBox(nullptr);
    FreeGlobalnaKonfiguracja();
  }

  std::string Put(const std::string& Name, const std::string& Bytes) { return folder.Put(Name, Bytes); }
  std::unique_ptr<TSymbolManager> Load(const std::string& Bytes) {
    return TSymbolManager::CreateFromFile(Put("nk1.sym", Bytes));
  }
  // The global configuration on a settings file naming SymbolFile.
  void UseSettings(const std::string& SymbolFile) {
    Put("tolvika.ini", "[Files]\r\nSymbolDefs=" + SymbolFile + "\r\n");
    SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(folder / "tolvika.ini"));
  }
  std::vector<std::string> Names(const TSymbolManagerImp& M) {
    std::vector<std::string> names;
    for (const auto& entry : M.Symbols) names.push_back(entry.Name);
    return names;
  }

  ScratchFolder folder;
  std::vector<std::string> messages;
  platform::TBitmap bitmap{8, 8};
  TWindowDim dims;
  TNullCanvasCfg cfg;
};

TEST_F(SymbolLibTest, LoadsSymbolsWithTheirElementsSizesAndBounds) {
  const auto lib = Load(SymbolFile(
      {
          {"kolo", {0.5, 1, 1.5, 2}, 3, 1, 4},
          {"Prost", {1, 1, 1, 1}, 2, 5, 3},
          {"okr", {1, 1, 1, 1}, 1, 8, 2},
      },
      {
          Line(0, 0, 1, 2), Arc(0, 0, 0, 2, 1), Circle(1, 1, 0.5), Other(5),  // kolo
          Line(-1, -2, 3, 4), Other(8, -1, -2, 3, 4), Other(8, -5, -6, 7, 8),  // Prost
          Circle(0, 0, 1), Other(9, 0.5, -0.5, 0, 0, 2),                       // okr
      }));
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(Names(*lib), (std::vector<std::string>{"KOLO", "OKR", "PROST"}));

  TSymbol* kolo = lib->FindByName("kolo");
  ASSERT_NE(kolo, nullptr);
  EXPECT_FALSE(kolo->IsDeviceSymbol());
  EXPECT_EQ(kolo->Sizes, (std::array<double, 4>{0.5, 1, 1.5, 2}));
  EXPECT_EQ(kolo->Extent, 3);
  ASSERT_EQ(kolo->Count(), 3);  // type 5 skipped
  EXPECT_EQ(typeid(*kolo->Element(0)), typeid(TSLinia));
  EXPECT_EQ(typeid(*kolo->Element(1)), typeid(TSLuk));
  EXPECT_EQ(typeid(*kolo->Element(2)), typeid(TSOkrag));
  EXPECT_EQ(kolo->BoundsKind, TSymbolBoundsKind::Computed);
  TRealRect expected = UnionRealRect(kolo->Element(0)->GetBounds(), kolo->Element(1)->GetBounds());
  expected = UnionRealRect(expected, kolo->Element(2)->GetBounds());
  EXPECT_EQ(kolo->GetBounds(), expected);
  EXPECT_EQ(kolo->GetBounds().Right, 1.5);

  // The last rectangle record counts.
  TSymbol* prost = lib->FindByName("PROST");
  ASSERT_NE(prost, nullptr);
  EXPECT_EQ(prost->Count(), 1);
  EXPECT_EQ(prost->BoundsKind, TSymbolBoundsKind::Rectangle);
  EXPECT_EQ(prost->GetBounds(), (TRealRect{-5, -6, 7, 8}));

  TSymbol* okr = lib->FindByName("Okr");
  ASSERT_NE(okr, nullptr);
  EXPECT_EQ(okr->BoundsKind, TSymbolBoundsKind::Round);
  EXPECT_EQ(okr->GetBounds(), (TRealRect{-1.5, -2.5, 2.5, 1.5}));
}

TEST_F(SymbolLibTest, EmptyLibraryAndIgnoredTail) {
  auto lib = Load(SymbolFile({}, {}));
  EXPECT_TRUE(messages.empty());
  EXPECT_TRUE(lib->Symbols.empty());

  // A remainder of less than one record after the table is not read.
  lib = Load(SymbolFile({{"A", {1, 1, 1, 1}, 1, 1, 1}}, {Line(0, 0, 1, 1)}) + std::string(31, 'x'));
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(Names(*lib), std::vector<std::string>{"A"});
}

TEST_F(SymbolLibTest, DeviceSymbolTakesHaloFromTheSecondSize) {
  const auto lib = Load(SymbolFile({{"H", {-1, 1, 5, 6}, 2, 1, 1}, {"N", {-2, 0.5, 5, 6}, 2, 1, 1}},
                                   {Circle(0, 0, 1)}));
  auto* halo = dynamic_cast<TDPISymbol*>(lib->FindByName("H"));
  auto* plain = dynamic_cast<TDPISymbol*>(lib->FindByName("N"));
  ASSERT_NE(halo, nullptr);
  ASSERT_NE(plain, nullptr);
  EXPECT_TRUE(halo->IsDeviceSymbol());
  EXPECT_TRUE(halo->Halo);
  EXPECT_FALSE(plain->Halo);
  EXPECT_EQ(halo->Sizes, (std::array<double, 4>{1, 1, 1, 1}));
  EXPECT_EQ(halo->SizeForScale(5000), 1);
}

TEST_F(SymbolLibTest, FileErrorsAreShownAndLeaveTheLibraryEmpty) {
  const std::string good = SymbolFile({{"A"}}, {Line(0, 0, 1, 1)});
  struct Case {
    const char* what;
    std::string bytes;
    const char* message;
  };
  const Case cases[] = {
      {"wrong magic", SymbolFile({{"A"}}, {Line(0, 0, 1, 1)}, std::nullopt, 0x2311),
       "Błędny plik definicji symboli"},
      {"shorter than its header", good.substr(0, 5), "Błędny plik definicji symboli"},
      {"empty", "", "Błędny plik definicji symboli"},
      {"headers cut short", good.substr(0, 6 + 48), "Błędny plik definicji symboli"},
      {"element table beyond the end", SymbolFile({{"A"}}, {Line(0, 0, 1, 1)}, 200),
       "Błędny plik definicji symboli"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    messages.clear();
    const auto lib = Load(c.bytes);
    EXPECT_EQ(messages, std::vector<std::string>{c.message});
    EXPECT_TRUE(lib->Symbols.empty());
  }

  messages.clear();
  const std::string missing = folder / "brak.sym";
  const auto lib = TSymbolManager::CreateFromFile(missing);
  EXPECT_EQ(messages, std::vector<std::string>{"Brak pliku z symbolami:" + missing});
  EXPECT_TRUE(lib->Symbols.empty());
}

// First element and count come from the file: a range outside the element
// table (or no record at all) is refused with the file's error message, the
// records are never read, and the symbols loaded before it stay.
TEST_F(SymbolLibTest, ElementRangeOutsideTheTableIsRefusedKeepingEarlierSymbols) {
  struct Case {
    const char* what;
    std::int32_t first;
    std::int16_t count;
  };
  const Case cases[] = {
      {"first 0", 0, 1},
      {"first negative", -5, 1},
      {"first beyond the table", 3, 1},
      {"count reaching past the end", 2, 2},
      {"huge first", 0x7FFFFFFF, 1},
      {"negative count", 1, -1},
      {"no records", 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    messages.clear();
    const auto lib = Load(SymbolFile({{"A", {1, 1, 1, 1}, 1, 1, 1},
                                      {"B", {1, 1, 1, 1}, 1, c.first, c.count},
                                      {"C", {1, 1, 1, 1}, 1, 2, 1}},
                                     {Line(0, 0, 1, 1), Circle(0, 0, 1)}));
    EXPECT_EQ(messages, std::vector<std::string>{"Błędny plik definicji symboli"});
    EXPECT_EQ(Names(*lib), std::vector<std::string>{"A"});
  }
}

// Values far beyond any real symbol would overflow device coordinates or
// make drawing step without end; they refuse their symbol as a bad file.
TEST_F(SymbolLibTest, FarAwayElementsAndAbsurdSizesAreRefused) {
  struct Case {
    const char* what;
    std::array<double, 4> sizes;
    double extent;
    TElementRecord element;
  };
  const std::array<double, 4> device{-1, 1, 1, 1};
  const Case cases[] = {
      {"device symbol line 1e30 mm away", device, 1, Line(0, 0, 1e30, 0)},
      {"device symbol circle of radius 1e20", device, 1, Circle(0, 0, 1e20)},
      {"arc centre far away", {1, 1, 1, 1}, 1, Arc(-1e12, 0, 1, 0, 5)},
      {"bounds far away", {1, 1, 1, 1}, 1, Other(kElemBoundsRect, 0, 0, 1e25, 1)},
      {"round bound of radius 1e30", {1, 1, 1, 1}, 1, Other(kElemBoundsRound, 0, 0, 0, 0, 1e30)},
      {"size 1e30", {1, 1e30, 1, 1}, 1, Line(0, 0, 1, 1)},
      {"extent 1e30", {1, 1, 1, 1}, 1e30, Line(0, 0, 1, 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    messages.clear();
    const auto lib = Load(SymbolFile({{"A", {1, 1, 1, 1}, 1, 1, 1},
                                      {"B", c.sizes, c.extent, 2, 1},
                                      {"C", {1, 1, 1, 1}, 1, 1, 1}},
                                     {Line(0, 0, 1, 1), c.element}));
    EXPECT_EQ(messages, std::vector<std::string>{"Błędny plik definicji symboli"});
    EXPECT_EQ(Names(*lib), std::vector<std::string>{"A"});
  }
  // The largest values allowed still load; skipped record types are not read.
  messages.clear();
  const auto lib = Load(SymbolFile({{"D", {-1, 1, 1, 1}, kMaxDefinitionValue, 1, 2}},
                                   {Line(0, 0, kMaxDefinitionValue, -kMaxDefinitionValue),
                                    Other(4, 1e30, 1e30)}));
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(Names(*lib), std::vector<std::string>{"D"});
}

TEST_F(SymbolLibTest, SymbolWithOnlySkippedRecordsIsRefused) {
  const auto lib = Load(SymbolFile({{"A"}, {"B", {1, 1, 1, 1}, 1, 2, 1}}, {Line(0, 0, 1, 1), Other(4)}));
  EXPECT_EQ(messages, std::vector<std::string>{"Błędny plik definicji symboli"});
  EXPECT_EQ(Names(*lib), std::vector<std::string>{"A"});
}

TEST_F(SymbolLibTest, NamesIgnoreLetterCaseAndTheFirstOfTwoStays) {
  const auto lib = Load(SymbolFile({{"żuraw", {1, 1, 1, 1}, 7, 1, 1},
                                    {"ŻURAW", {1, 1, 1, 1}, 8, 1, 1},
                                    {"Pkt", {1, 1, 1, 1}, 9, 1, 1}},
                                   {Line(0, 0, 1, 1)}));
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(Names(*lib), (std::vector<std::string>{"PKT", "ŻURAW"}));
  for (const char* name : {"żuraw", "ŻURAW", "Żuraw"}) {
    TSymbol* s = lib->FindByName(name);
    ASSERT_NE(s, nullptr) << name;
    EXPECT_EQ(s->Extent, 7);
    EXPECT_EQ(lib->GetSymbolName(s), "ŻURAW");
  }
  EXPECT_EQ(lib->FindByName("PKT2"), nullptr);
  TSymbol stranger;
  EXPECT_EQ(lib->GetSymbolName(&stranger), "");
}

TEST_F(SymbolLibTest, SizeFollowsTheScaleBands) {
  TSymbol s;
  s.Sizes = {1, 2, 3, 4};
  const std::pair<double, double> cases[] = {{1, 1},      {749.9, 1},   {750, 2}, {1499, 2},
                                             {1500, 3},   {3499.99, 3}, {3500, 4}, {100000, 4}};
  for (auto [denominator, size] : cases) EXPECT_EQ(s.SizeForScale(denominator), size) << denominator;
}

TEST_F(SymbolLibTest, ComputedBoundsOfAFlatSymbolGetAMinimalSide) {
  const auto lib = Load(SymbolFile({{"V", {1, 1, 1, 1}, 1, 1, 1}, {"H", {1, 1, 1, 1}, 1, 2, 1}},
                                   {Line(2, 1, 2, 5), Line(1, 3, 4, 3)}));
  EXPECT_EQ(lib->FindByName("V")->GetBounds(), (TRealRect{2, 1, 2.01, 5}));
  EXPECT_EQ(lib->FindByName("H")->GetBounds(), (TRealRect{1, 3, 4, 3.01}));
}

TEST_F(SymbolLibTest, HitDistanceIsTheLeastOfTheElements) {
  TSymbol s;
  s.Add(std::make_unique<TSLinia>(Line(0, 0, 10, 0)));
  s.Add(std::make_unique<TSLinia>(Line(0, 2, 10, 2)));
  double d = 0;
  EXPECT_TRUE(s.HitDistance(TRealPoint{5, 1.5}, TRealPoint{2, 2}, nullptr, d));
  EXPECT_DOUBLE_EQ(d, 0.5);
  EXPECT_TRUE(s.HitDistance(TRealPoint{5, -0.25}, TRealPoint{1, 1}, nullptr, d));
  EXPECT_DOUBLE_EQ(d, 0.25);
  EXPECT_FALSE(s.HitDistance(TRealPoint{50, 50}, TRealPoint{1, 1}, nullptr, d));
  EXPECT_EQ(d, 1.7e308);
}

TEST_F(SymbolLibTest, DrawTransformedDrawsEveryElementThroughTheMatrix) {
  TRecordingCanvas canvas(&bitmap.Canvas(), &dims, &cfg);
  TSymbol s;
  s.Add(std::make_unique<TSLinia>(Line(0, 0, 1, 0)));
  s.Add(std::make_unique<TSLinia>(Line(0, 0, 0, 1)));
  // Size 2, turned a quarter, placed at (10, 20).
  TAffineMatrix m;
  m.a = 0, m.b = -2, m.c = 10;
  m.d = 2, m.e = 0, m.f = 20;
  m.s = 2;
  s.DrawTransformed(canvas, m);
  ASSERT_EQ(canvas.Lines.size(), 2u);
  EXPECT_EQ(canvas.Lines[0].X2, 10);
  EXPECT_EQ(canvas.Lines[0].Y2, 22);
  EXPECT_EQ(canvas.Lines[1].X2, 8);
  EXPECT_EQ(canvas.Lines[1].Y2, 20);
  canvas.Lines.clear();
  s.DrawMoved(canvas, TRealPoint{5, 6});
  ASSERT_EQ(canvas.Lines.size(), 2u);
  EXPECT_EQ(canvas.Lines[0].X2, 6);
  EXPECT_EQ(canvas.Lines[0].Y2, 6);
  EXPECT_EQ(s.Element(0)->GetEndPoint(), (TRealPoint{1, 0}));
  // The canvases take a symbol as a plain object.
  TObject* asObject = &s;
  EXPECT_EQ(dynamic_cast<TSymbol*>(asObject), &s);
}

TEST_F(SymbolLibTest, CloneCopiesElementsAndFields) {
  const auto lib = Load(SymbolFile({{"A", {1, 2, 3, 4}, 9, 1, 2}, {"D", {-1, 1, 1, 1}, 2, 1, 2}},
                                   {Line(0, 0, 1, 2), Other(9, 1, 1, 0, 0, 3)}));
  const TSymbol* a = lib->FindByName("A");
  const std::unique_ptr<TSymbolImp> clone = a->Clone();
  auto* copy = dynamic_cast<TSymbol*>(clone.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(typeid(*copy), typeid(TSymbol));
  EXPECT_EQ(copy->Sizes, a->Sizes);
  EXPECT_EQ(copy->Extent, 9);
  EXPECT_EQ(copy->BoundsKind, TSymbolBoundsKind::Round);
  EXPECT_EQ(copy->GetBounds(), a->GetBounds());
  ASSERT_EQ(copy->Count(), 1);
  EXPECT_NE(copy->Element(0), a->Element(0));
  EXPECT_TRUE(copy->Element(0)->SameGeometry(*a->Element(0)));

  const std::unique_ptr<TSymbolImp> dclone = lib->FindByName("D")->Clone();
  auto* dcopy = dynamic_cast<TDPISymbol*>(dclone.get());
  ASSERT_NE(dcopy, nullptr);
  EXPECT_TRUE(dcopy->Halo);
}

TEST_F(SymbolLibTest, ScaledElementsUseTheBandOfTheExportScale) {
  TSymbol s;
  s.Sizes = {1, 2, 3, 4};
  s.Add(std::make_unique<TSLinia>(Line(1, 2, 3, 4)));
  s.Add(std::make_unique<TSOkrag>(Circle(1, -1, 0.5)));
  const std::unique_ptr<TObjList> list = s.GetScaledElements(2000);
  ASSERT_EQ(list->Count(), 2);
  const ObjectSaveRecord& line = list->ItemAs<TExportSymbolObj>(0)->Rec;
  EXPECT_EQ(line.GetByte(3), 0);
  EXPECT_EQ(line.GetDouble(12), 3);
  EXPECT_EQ(line.GetDouble(20), 6);
  EXPECT_EQ(line.GetDouble(28), 9);
  EXPECT_EQ(line.GetDouble(36), 12);
  const ObjectSaveRecord& circle = list->ItemAs<TExportSymbolObj>(1)->Rec;
  EXPECT_EQ(circle.GetByte(3), 2);
  EXPECT_EQ(circle.GetDouble(12), 3);
  EXPECT_EQ(circle.GetDouble(20), -3);
  EXPECT_EQ(circle.GetDouble(44), 1.5);
  // The symbol's own elements are not changed.
  EXPECT_EQ(s.Element(0)->GetEndPoint(), (TRealPoint{3, 4}));
}

TEST_F(SymbolLibTest, AddElementRecordsMovesToTheOriginAndChecksTheRange) {
  const std::vector<TElementRecord> recs = {Line(5, 5, 6, 7), Other(7), Circle(5, 6, 1),
                                            Arc(7, 5, 5, 5, 1)};
  TSymbolImp list;
  list.AddElementRecords(recs, 0, TRealPoint{5, 5}, 4);
  ASSERT_EQ(list.Count(), 3);  // type 7 gives no element
  EXPECT_EQ(typeid(*list.Element(0)), typeid(TLLinia));
  EXPECT_EQ(typeid(*list.Element(1)), typeid(TSOkrag));
  EXPECT_EQ(typeid(*list.Element(2)), typeid(TSLuk));
  EXPECT_EQ(list.Element(0)->GetEndPoint(), (TRealPoint{1, 2}));
  EXPECT_EQ(list.Element(1)->GetStartPoint(), (TRealPoint{0, 1}));
  EXPECT_EQ(list.Element(2)->GetStartPoint(), (TRealPoint{2, 0}));

  for (auto [first, count] : {std::pair{-1, 1}, {3, 2}, {4, 1}, {0, -1}}) {
    TSymbolImp other;
    EXPECT_THROW(other.AddElementRecords(recs, first, TRealPoint{}, count), ETvError)
        << first << " " << count;
    EXPECT_EQ(other.Count(), 0);
  }
}

// A device canvas maker that hands out recording canvases and remembers where.
struct DeviceCanvases {
  TRecordingCanvas* Last = nullptr;
  std::vector<TRealPoint> Origins;
  std::vector<Drawn> Lines;  // of every device canvas made so far, once freed
};

class TDeviceRecordingCanvas : public TRecordingCanvas {
public:
  TDeviceRecordingCanvas(TRealCanvas& Source, DeviceCanvases& Log)
      : TRecordingCanvas(Source.Canvas, Source.Dims(), Source.Cfg()), log_(Log) {
    Pen->SetColor(Source.Pen->Color());
  }
  ~TDeviceRecordingCanvas() override { log_.Lines.insert(log_.Lines.end(), Lines.begin(), Lines.end()); }

private:
  DeviceCanvases& log_;
};

// A recording canvas whose device canvases record into Log.
class TDeviceMakingCanvas : public TRecordingCanvas {
public:
  TDeviceMakingCanvas(platform::TCanvas* C, TWindowDim* Dims, TNullCanvasCfg* Cfg,
                      DeviceCanvases& Log)
      : TRecordingCanvas(C, Dims, Cfg), log_(Log) {}
  std::unique_ptr<TRealCanvas> CreateDeviceCanvas(const TRealPoint& P) override {
    log_.Origins.push_back(P);
    return std::make_unique<TDeviceRecordingCanvas>(*this, log_);
  }

private:
  DeviceCanvases& log_;
};

TEST_F(SymbolLibTest, DeviceSymbolWithHaloDrawsThickInContrastThenThin) {
  DeviceCanvases log;
  TDeviceMakingCanvas canvas(&bitmap.Canvas(), &dims, &cfg, log);
  canvas.Pen->SetColor(0x000000F0);  // red above 128: black contrast

  TDPISymbol s;
  s.Halo = true;
  s.Add(std::make_unique<TSLinia>(Line(0, 0, 1, 0)));
  TAffineMatrix m;
  m.a = m.e = m.s = 1;
  m.c = 30, m.f = 40;
  s.DrawTransformed(canvas, m);

  EXPECT_TRUE(canvas.Lines.empty());
  ASSERT_EQ(log.Origins.size(), 1u);
  EXPECT_EQ(log.Origins[0], (TRealPoint{30, 40}));
  ASSERT_EQ(log.Lines.size(), 2u);
  EXPECT_EQ(log.Lines[0].Width, 3);
  EXPECT_EQ(log.Lines[0].Colour, 0x00000000u);
  EXPECT_EQ(log.Lines[1].Width, 1);
  EXPECT_EQ(log.Lines[1].Colour, 0x000000F0u);
  // Drawn about the device point, the translation taken out.
  EXPECT_EQ(log.Lines[1].X1, 0);
  EXPECT_EQ(log.Lines[1].X2, 1);

  log.Lines.clear();
  s.Halo = false;
  s.DrawMoved(canvas, TRealPoint{7, 8});
  EXPECT_EQ(log.Origins.back(), (TRealPoint{7, 8}));
  ASSERT_EQ(log.Lines.size(), 1u);
  EXPECT_EQ(log.Lines[0].X1, 0);
}

TEST_F(SymbolLibTest, DeviceSymbolWithoutADeviceCanvasRaises) {
  TRecordingCanvas canvas(&bitmap.Canvas(), &dims, &cfg);
  TDPISymbol s;
  s.Add(std::make_unique<TSLinia>(Line(0, 0, 1, 0)));
  EXPECT_THROW(s.DrawTransformed(canvas, TAffineMatrix{}), ENotImplemented);
}

TEST_F(SymbolLibTest, DeviceSymbolHitTestWorksInMillimetres) {
  cfg.DpmX = 4;  // along world X (the device's vertical axis)
  cfg.DpmY = 2;
  TDrawParamsImp params(&cfg, &dims);
  TDPISymbol s;
  s.Add(std::make_unique<TSLinia>(Line(-1, 0, 1, 0)));  // 2 mm along X
  double d = 0;
  // 4 world units (4 pixels) along X are 1 mm: on the element.
  EXPECT_TRUE(s.HitDistance(TRealPoint{4, 0}, TRealPoint{8, 4}, &params, d));
  EXPECT_DOUBLE_EQ(d, 0);
  // 4 pixels along Y are 2 mm off it: 2 mm at a mean of 3 dots a millimetre.
  EXPECT_TRUE(s.HitDistance(TRealPoint{0, 4}, TRealPoint{8, 6}, &params, d));
  EXPECT_DOUBLE_EQ(d, 6);
  EXPECT_FALSE(s.HitDistance(TRealPoint{0, 40}, TRealPoint{8, 6}, &params, d));
  EXPECT_FALSE(s.HitDistance(TRealPoint{0, 0}, TRealPoint{8, 6}, nullptr, d));
  cfg.DpmY = 0;  // display settings not known yet
  TDrawParamsImp unknown(&cfg, &dims);
  EXPECT_FALSE(s.HitDistance(TRealPoint{0, 0}, TRealPoint{8, 6}, &unknown, d));
}

TEST_F(SymbolLibTest, ProgramLibraryIsBuiltOnFirstUseAndRetiredByAChangedFileName) {
  const std::string first = Put("pierwszy.sym", SymbolFile({{"A", {1, 1, 1, 1}, 1}}, {Line(0, 0, 1, 1)}));
  const std::string second = Put("drugi.sym", SymbolFile({{"B", {1, 1, 1, 1}, 2}}, {Line(0, 0, 1, 1)}));
  UseSettings(first);
  TSymbolManager& lib = SymbolManager();
  EXPECT_EQ(&SymbolManager(), &lib);
  TSymbol* a = lib.FindByName("a");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(SymbolLineManagerCfg().SubscriptionCount(), 1);

  // A changed name in the settings retires the library; the next use reads
  // the new file into a library that keeps the old one alive.
  SymbolLineManagerCfg().SymbolDefs = second;
  SymbolLineManagerCfg().NotifyChanged();
  EXPECT_EQ(SymbolLineManagerCfg().SubscriptionCount(), 0);
  TSymbolManager& next = SymbolManager();
  EXPECT_NE(next.FindByName("B"), nullptr);
  EXPECT_EQ(next.FindByName("A"), nullptr);
  ASSERT_NE(next.Previous, nullptr);
  EXPECT_EQ(next.Previous->FindOwn("A"), a);
  EXPECT_EQ(a->Extent, 1);
  EXPECT_EQ(SymbolLineManagerCfg().SubscriptionCount(), 1);
  EXPECT_TRUE(messages.empty());
}

TEST_F(SymbolLibTest, ProgramLibraryNameWithoutFolderIsInTheProgramFolder) {
  UseSettings("nk1.sym");
  EXPECT_EQ(SymbolDefsFileName(), platform::JoinPath(platform::ProgramFolder(), "nk1.sym"));
  SymbolLineManagerCfg().SymbolDefs = folder / "x.sym";
  EXPECT_EQ(SymbolDefsFileName(), folder / "x.sym");
}

TEST_F(SymbolLibTest, CatalogueLibraryAnswersWhileFromBasesIsOn) {
  const std::string own = Put("nk1.sym", SymbolFile({{"WSPOLNY"}, {"PROGRAMOWY"}}, {Line(0, 0, 1, 1)}));
  UseSettings(own);
  const auto catalogue = TSymbolManager::CreateFromFile(
      Put("baza.sym", SymbolFile({{"wspolny"}, {"z_bazy"}}, {Circle(0, 0, 1)})));
  TSymbolManager& lib = SymbolManager();
  lib.SetCatalogueLibrary(catalogue.get());

  EXPECT_EQ(lib.FindByName("PROGRAMOWY"), nullptr);
  TSymbol* shared = lib.GetSymbolByName("Wspolny");
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(shared, catalogue->FindOwn("WSPOLNY"));
  EXPECT_EQ(lib.GetSymbolName(shared), "WSPOLNY");
  EXPECT_EQ(lib.GetSymbolName(lib.FindOwn("WSPOLNY")), "");
  platform::TStrings strings;
  strings.Add("stare");
  lib.FillStrings(strings);
  EXPECT_EQ(strings.ToVector(), (std::vector<std::string>{"WSPOLNY", "Z_BAZY"}));
  EXPECT_EQ(strings.Objects(1), catalogue->FindOwn("Z_BAZY"));

  SymbolLineManagerCfg().FromBases = false;
  EXPECT_NE(lib.FindByName("PROGRAMOWY"), nullptr);
  lib.FillStrings(strings);
  EXPECT_EQ(strings.ToVector(), (std::vector<std::string>{"PROGRAMOWY", "WSPOLNY"}));

  // A retired library hands its catalogue library on to the new one.
  SymbolLineManagerCfg().FromBases = true;
  SymbolLineManagerCfg().NotifyChanged();
  TSymbolManager& next = SymbolManager();
  EXPECT_EQ(next.CatalogueLibrary, catalogue.get());
  EXPECT_EQ(next.Previous->CatalogueLibrary, nullptr);
  next.ForgetCurrent(lib.Previous.get());
  EXPECT_EQ(next.CatalogueLibrary, catalogue.get());
  next.ForgetCurrent(catalogue.get());
  EXPECT_EQ(next.CatalogueLibrary, nullptr);
  EXPECT_NE(next.FindByName("PROGRAMOWY"), nullptr);
}

}  // namespace
