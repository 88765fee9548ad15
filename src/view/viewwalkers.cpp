#include "view/viewwalkers.h"

#include <algorithm>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "controls/smallwnd.h"
#include "foundation/geometry/clip.h"
#include "foundation/threads/cancel.h"
#include "layers/tree/layertree.h"
#include "layers/tree/sublayer.h"
#include "objects/linestylelib.h"
#include "objects/styledlines.h"
#include "objects/symbol.h"
#include "objects/symbollib.h"
#include "objects/texts.h"
#include "platform/files/codepage.h"
#include "platform/files/registry.h"
#include "platform/gui/application.h"
#include "platform/gui/forms.h"
#include "view/tvview.h"

namespace {

// Sets a flag for a scope and gives back the old value afterwards, also
// when the walk ends with an exception.
class TFlagScope {
 public:
  TFlagScope(bool& Flag, bool Value) : flag_(Flag), old_(Flag) { Flag = Value; }
  ~TFlagScope() { flag_ = old_; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

 private:
  bool& flag_;
  bool old_;
};

std::vector<std::string> SplitPattern(const std::string& Pattern) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t cut = Pattern.find('\\', start);
    parts.push_back(Pattern.substr(start, cut == std::string::npos ? std::string::npos : cut - start));
    if (cut == std::string::npos) break;
    start = cut + 1;
  }
  return parts;
}

std::unique_ptr<platform::TRegistry> OpenRegistry(const std::string& File) {
  return File.empty() ? std::make_unique<platform::TRegistry>() : std::make_unique<platform::TRegistry>(File);
}

}  // namespace

void TViewTreeActions::QueueRedraw(TWarstwaOgolna* Node) { View.QueueRedraw(Node); }
void TViewTreeActions::SetActivePodwarstwa(TWarstwaOgolna* Node) { View.SetActivePodwarstwa(Node); }

std::uint32_t MenuKindMask(int Kind) {
  switch (Kind) {
    case 0:
      return 0xFFF03;
    case 1:
      return kMaskLine;
    case 2:
      return kMaskText;
    case 3:
    case 4:
    case 5:
      return 0x3F00;
    case 6:
      return 0x40000;
    case 7:
      return 0x20000;
    case 8:
      return 0x1C000;
    default:
      return 0;
  }
}

bool MatchPathComponent(std::string_view Component, std::string_view Ident) {
  const std::size_t star = Component.find('*');
  std::size_t n = star == std::string_view::npos ? Component.size() : star;
  n = std::min(n, Ident.size());
  if (star == std::string_view::npos && Component.size() != Ident.size()) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (Component[i] != '?' && Component[i] != Ident[i]) return false;
  return true;
}

// --- Menu actions ---

TVMenuAction::TVMenuAction(std::uint32_t TypeMask, const std::string& Path, bool FullRedraw, TTreeActionViewI* View,
                           TCancel* Cancel)
    : TUpdateWarstwa(0), TypeMask(TypeMask), View(View), FullRedraw(FullRedraw), Cancel(Cancel) {
  Pattern = !Path.empty() && Path.front() == '\\' ? "*" + Path : "*\\" + Path;
  components_ = SplitPattern(Pattern);
  Depth = static_cast<int>(components_.size()) - 1;
}

bool TVMenuAction::Cancelled() const { return Cancel != nullptr && Cancel->Canceled(); }

bool TVMenuAction::IsTarget(TWarstwaOgolna& Node) { return !Node.IsGroup() || Node.Name == kRasterGroupName; }

void TVMenuAction::HandleMatched(TWarstwaOgolna& Node) {
  if (!IsTarget(Node)) {
    Node.Walk(*this);
    return;
  }
  switch (Apply(Node)) {
    case kMenuRedrawNode:
      if (!FullRedraw && View != nullptr) View->QueueRedraw(&Node);
      break;
    case kMenuRedrawAll:
      FullRedraw = true;
      break;
    default:
      break;
  }
}

void TVMenuAction::Update(TWarstwaOgolna& Node) {
  if (Cancelled()) return;
  if ((Node.GetTypeMask() & TypeMask) == 0) return;
  if (Matched) {
    HandleMatched(Node);
    return;
  }
  if (Level > Depth || !MatchPathComponent(components_[Level], platform::UpperCase(Node.GetIdent()))) return;
  ++Level;
  Matched = Level > Depth;
  if (Matched) {
    HandleMatched(Node);
    Matched = false;
  } else {
    Node.Walk(*this);
  }
  --Level;
}

int TVMCheckFlag::Apply(TWarstwaOgolna& Node) {
  if (Check(Node)) {
    Found = true;
    RaiseAbortUpdate();
  }
  return 0;
}

bool TVMCheckBrudna::Check(TWarstwaOgolna& Node) {
  auto* sublayer = dynamic_cast<TPodwarstwa*>(&Node);
  return sublayer != nullptr && sublayer->IsChanged();
}

int TVMSave::Apply(TWarstwaOgolna& Node) {
  if (dynamic_cast<TPodwarstwa*>(&Node) != nullptr) Node.Save();
  return kMenuNothing;
}

int TVMAUsun::Apply(TWarstwaOgolna& Node) {
  if (Node.IsEmpty()) return kMenuNothing;
  Node.Unload();
  return kMenuRedrawAll;
}

int TVMALoadAll::Apply(TWarstwaOgolna& Node) {
  Node.Load(nullptr, Cancel);
  return kMenuRedrawNode;
}

int TVMALoadRect::Apply(TWarstwaOgolna& Node) {
  Node.LoadInWindow(Rect, Cancel);
  return kMenuRedrawNode;
}

int TVMAVisible::Apply(TWarstwaOgolna& Node) {
  const bool was = Node.IsVisible();
  Node.SetVisible(Visible);
  if (!Visible && Node.IsActive() && View != nullptr) View->SetActivePodwarstwa(nullptr);
  if (was == Visible) return kMenuNothing;
  return Visible ? kMenuRedrawNode : kMenuRedrawAll;
}

int TFindWarstwaPath::Apply(TWarstwaOgolna& Node) {
  FoundNode = &Node;
  RaiseAbortUpdate();
}

// --- Activity-menu finder ---

TFindSetActWarstwa::TFindSetActWarstwa(std::uint32_t TypeMask, const std::string& CatalogueName,
                                       const std::string& LayerName, int Number, TTreeActionViewI* View)
    : TUpdateWarstwa(0),
      TypeMask(TypeMask),
      LayerName(platform::UpperCase(LayerName)),
      CatalogueName(platform::UpperCase(CatalogueName)),
      Number(Number),
      View(View) {}

void TFindSetActWarstwa::Update(TWarstwaOgolna& Node) {
  if ((Node.GetTypeMask() & TypeMask) == 0) {
    Node.Walk(*this);
    return;
  }
  if (InLayer) {
    if (Node.GetNumber() == Number) {
      if (View != nullptr) View->SetActivePodwarstwa(&Node);
      Number = -1;
      RaiseAbortUpdate();
    }
    return;
  }
  if (InCatalogue) {
    if (platform::UpperCase(Node.Name) == LayerName) {
      TFlagScope in(InLayer, dynamic_cast<TWarstwa*>(&Node) != nullptr);
      Node.Walk(*this);
    } else {
      Node.Walk(*this);
    }
    return;
  }
  if (platform::UpperCase(Node.Name) == CatalogueName) {
    TFlagScope in(InCatalogue, dynamic_cast<TKatalogWarstw*>(&Node) != nullptr);
    Node.Walk(*this);
  } else {
    Node.Walk(*this);
  }
}

// --- Save question ---

void TQuerySave::WalkSublayers(TWarstwaOgolna& Layer) {
  try {
    Layer.Walk(*this);
  } catch (const EAbortUpdate&) {
  }
}

void TQuerySave::Update(TWarstwaOgolna& Node) {
  auto* sublayer = dynamic_cast<TPodwarstwa*>(&Node);
  if (Mode != 0 && sublayer != nullptr) {
    if (Mode == 1 && sublayer->IsChanged()) {
      Mode = 3;
      RaiseAbortUpdate();
    }
    if (Mode == 2 && sublayer->IsChanged()) sublayer->Save();
    return;
  }
  auto* layer = dynamic_cast<TWarstwa*>(&Node);
  if (layer == nullptr) {
    Node.Walk(*this);
    return;
  }
  if (YesToAll) {
    Mode = 2;
    WalkSublayers(*layer);
    Mode = 0;
    return;
  }
  Mode = 1;
  WalkSublayers(*layer);
  if (Mode == 3) {
    auto query = platform::MakeForm<TYesNoAll>();
    query->SetMessage("Warstwa " + layer->Name + " została zmieniona. Zachować?");
    const int answer = query->ShowModal();
    const bool all = query->GetAll();
    query.reset();
    if (answer == platform::mrYes) {
      YesToAll = all;
      Mode = 2;
      WalkSublayers(*layer);
    } else if (answer == platform::mrNo) {
      if (all) {
        Mode = 0;
        RaiseAbortUpdate();
      }
    } else {
      Cancelled = true;
      Mode = 0;
      RaiseAbortUpdate();
    }
  }
  Mode = 0;
}

// --- Layer order in the registry ---

std::string LayerOrderKeyName(const TWarstwaOgolna& Node) {
  if (auto* layer = dynamic_cast<const TWarstwa*>(&Node)) return (layer->Kind == 1 ? "l-" : "t-") + Node.Name;
  return Node.Name;
}

TSaveWarstwyOrder::TSaveWarstwyOrder(const std::string& RegistryFile)
    : TUpdateWarstwa(0), registry_(OpenRegistry(RegistryFile)) {
  platform::TRegistry& reg = *registry_;
  if (reg.OpenKey(kLayerOrderKey, true)) return;
  if (reg.OpenKey("\\Software\\Varnox\\", true) && reg.OpenKey("Tolvika Demo\\", true) &&
      reg.OpenKey("Porządek warstw", true))
    return;
  throw platform::ERegistryException(std::string("Nie można utworzyć klucza rejestru ") + kLayerOrderKey);
}

TSaveWarstwyOrder::~TSaveWarstwyOrder() = default;

void TSaveWarstwyOrder::Update(TWarstwaOgolna& Node) {
  platform::TRegistry& reg = *registry_;
  const std::string back = std::string(1, '\\').append(reg.CurrentPath());
  const bool inner = Node.IsGroup() && dynamic_cast<TWarstwa*>(&Node) == nullptr;
  if ((inner || Node.OrderKey != kOrderNone) && reg.OpenSubKey(LayerOrderKeyName(Node), true)) {
    reg.WriteInteger(kLayerOrderValue, Node.OrderKey);
    if (inner) Node.Walk(*this);
  }
  if (!reg.OpenKey(back, false))
    throw platform::ERegistryException("Klucz rejestru " + back + " zniknął podczas zapisu");
}

TLoadWarstwyOrder::TLoadWarstwyOrder(const std::string& RegistryFile)
    : TUpdateWarstwa(0), registry_(OpenRegistry(RegistryFile)) {
  NoKey = !registry_->OpenKey(kLayerOrderKey, false);
}

TLoadWarstwyOrder::~TLoadWarstwyOrder() = default;

void TLoadWarstwyOrder::Update(TWarstwaOgolna& Node) {
  if (NoKey) RaiseAbortUpdate();
  auto* group = dynamic_cast<TGrupaWarstw*>(&Node);
  if (group == nullptr) return;
  platform::TRegistry& reg = *registry_;
  const std::string back = std::string(1, '\\').append(reg.CurrentPath());
  if (!reg.OpenSubKey(LayerOrderKeyName(Node), false)) return;
  // A value of another type (a hand-edited registry) leaves the node's key.
  if (reg.ValueExists(kLayerOrderValue)) {
    try {
      Node.OrderKey = reg.ReadInteger(kLayerOrderValue);
    } catch (const platform::ERegistryException&) {
    }
  }
  if (dynamic_cast<TWarstwa*>(&Node) == nullptr) {
    Node.Walk(*this);
    group->SortChildren();
  }
  reg.OpenKey(back, false);
}

// --- Texts in a clip ---

TSearchTextInClip::TSearchTextInClip(const TClip* Clip, std::vector<std::string>* Texts)
    : TDoSearch(TRealPoint{}, TRealPoint{}), Clip(Clip), Texts(Texts) {}

void TSearchTextInClip::Search(TWarstwaOgolna& Node, TSearchHit& Hit) {
  if ((Node.GetTypeMask() & kMaskText) == 0) {
    Hit.Sublayer = nullptr;
    return;
  }
  Node.SearchMatching(*this, Hit);
}

bool TSearchTextInClip::Accept(TEGraphObj* Obj) {
  auto* text = dynamic_cast<TNapis*>(Obj);
  if (text != nullptr && Clip != nullptr && Texts != nullptr && Clip->ContainsPoint(text->Position))
    Texts->push_back(text->Text);
  return false;
}

bool TRangeSearchTextInClip::Check(TWarstwaOgolna& Node) {
  if (Node.Name == CatalogueName) {
    TFlagScope in(InRange, true);
    return TSearchTextInClip::Check(Node);
  }
  if (InRange) {
    // The layer's own number: a layer answers GetNumber with no number.
    if (LayerNumber >= 0 && Node.GetLayerNumber() != LayerNumber) return false;
    return TSearchTextInClip::Check(Node);
  }
  if (Node.IsGroup()) return TSearchTextInClip::Check(Node);
  return false;
}

// --- Search indexes ---

void TInvalidateIntIndexes::VisitLeaf(TWarstwaOgolna& Node) {
  if (auto* sublayer = dynamic_cast<TPodwarstwa*>(&Node)) sublayer->ResetSearchCache();
}

// --- Presets ---

namespace {

TGeneratorLookup& GeneratorLookup() {
  static TGeneratorLookup lookup;
  return lookup;
}

bool Given(std::uint32_t Flags, TActivityParam P) { return (Flags & ActivityBit(P)) != 0; }

constexpr double kDegree = std::numbers::pi / 180.0;

}  // namespace

void SetGeneratorLookup(TGeneratorLookup Lookup) { GeneratorLookup() = std::move(Lookup); }

void FillLinePresets(TLinePresets& P, std::uint32_t Flags, const TActivityRecord& Item) {
  P.Flags = Flags;
  P.Scale = Item.Skala;
  P.LineNumber = Item.TypLinii;
  P.Width = Item.Grubosc < 3 ? Item.Grubosc : 0;
  P.LineStyle = nullptr;
  P.Generator = nullptr;
  if (Given(Flags, apNazwaLinii)) {
    const TLine* style = LineManager().GetLineByName(Item.NazwaLinii);
    if (style == nullptr) throw EWarstwaError("Menu aktywności: Błędna nazwa linii specjalnej");
    P.LineStyle = style;
    P.LineNumber = style->Number;
  } else if (Given(Flags, apTypLinii) && Item.TypLinii != 0) {
    const TLine* style = LineManager().GetLine(Item.TypLinii);
    if (style == nullptr) throw EWarstwaError("Menu aktywności: Błędny numer linii specjalnej");
    P.LineStyle = style;
  }
  if (Given(Flags, apGenerator) && GeneratorLookup())
    P.Generator = GeneratorLookup()(Item.Generator, Given(Flags, apOdstep), Item.Odstep);
}

void ApplyLinePresets(const TLinePresets& P, TEGraphObj* Obj) {
  auto* line = dynamic_cast<TLiniowyObj*>(Obj);
  TSpecStyle* style = line != nullptr ? line->GetSpecParams() : nullptr;
  if (style == nullptr) return;
  if (Given(P.Flags, apTypLinii) || Given(P.Flags, apNazwaLinii)) style->LineDef = P.LineStyle;
  if (Given(P.Flags, apGrubosc)) style->Thickness = P.Width;
  if (Given(P.Flags, apSkala)) style->Multiplier = P.Scale;
}

void FillTextPresets(TTextPresets& P, std::uint32_t Flags, const TActivityRecord& Item) {
  P.Flags = Flags;
  P.Height = Item.Wysokosc;
  P.Angle = Item.Kat;
  P.Underline = Item.Podkreslenie ? 1 : 0;
  P.Leader = Item.Odnosnik ? 1 : 0;
  P.Justification = Item.Justyfikacja;
  if (Given(Flags, apSymbol)) {
    P.Symbol = SymbolManager().GetSymbolByName(Item.Symbol);
    P.Text = Item.Symbol;
  } else {
    P.Text = Item.Tekst;
    P.Symbol = nullptr;
  }
}

void ApplyTextPresets(const TTextPresets& P, TEGraphObj* Obj) {
  if (auto* symbol = dynamic_cast<TWysKatSymbol*>(Obj)) {
    if (Given(P.Flags, apWysokosc)) symbol->Height = P.Height;
    if (Given(P.Flags, apKat)) symbol->Angle = static_cast<float>(P.Angle * kDegree);
    if (Given(P.Flags, apSymbol)) {
      symbol->Text = P.Text;
      symbol->Symbol = const_cast<TSymbol*>(P.Symbol);
    }
    return;
  }
  auto* text = dynamic_cast<TNapis*>(Obj);
  if (text == nullptr) return;
  // Each field only on the classes that hold it.
  if (auto* high = dynamic_cast<TWysNapis*>(text)) {
    if (Given(P.Flags, apWysokosc)) high->Height = P.Height;
    if (Given(P.Flags, apPodkreslenie)) high->SetUnderline(P.Underline != 0);
    if (Given(P.Flags, apJustyfikacja)) high->SetJustyfikacja(P.Justification);
  }
  if (auto* angled = dynamic_cast<TWysKatNapis*>(text); angled != nullptr && Given(P.Flags, apKat))
    angled->Angle = static_cast<float>(P.Angle * kDegree);
  if (auto* leader = dynamic_cast<TWysKatOdnNapisW*>(text); leader != nullptr && Given(P.Flags, apOdnosnik))
    leader->NoReference = P.Leader != 0 ? 0 : 1;
  if (Given(P.Flags, apTekst)) text->Text = P.Text;
}

// --- The external pointer's icon ---

bool UpdateExternalIcon(TExternalIcon& R, int Icon) {
  if (Icon == R.Icon) return false;
  R.Icon = Icon;
  if (Icon != platform::crDefault) {
    const platform::TCursorHotSpot hot = platform::CursorHotSpot(Icon);
    R.X = hot.x;
    R.Y = hot.y;
  }
  return true;
}

// --- The view's calls ---

void TTvView::SaveLayerOrder() {
  // The root of a view without a base is empty and unnamed: nothing to keep.
  if (!root_ || baseHandle_ == nullptr) return;
  TSaveWarstwyOrder(LayerOrderRegistry).Execute(*root_);
}

void TTvView::LoadLayerOrder() {
  if (!root_ || baseHandle_ == nullptr) return;
  TLoadWarstwyOrder(LayerOrderRegistry).Execute(*root_);
}

void TTvView::InvalidateLayerIndexes() {
  if (root_) TInvalidateIntIndexes(0xFFF03).Execute(*root_);
}
