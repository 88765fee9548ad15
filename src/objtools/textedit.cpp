#include "objtools/textedit.h"

#include <numbers>
#include <utility>

#include "drawing/drawparams.h"
#include "foundation/errors.h"
#include "foundation/geometry/realgeom.h"
#include "foundation/settings/settings.h"
#include "objects/activepoints.h"
#include "objects/fraction.h"
#include "objects/styledcanvas.h"
#include "objects/symbol.h"
#include "objects/texts.h"
#include "view/tvview.h"

namespace {

constexpr double kPi = std::numbers::pi;

// Cursors of the handles (the program's own cursors); -1 while dragging.
constexpr std::int16_t kCursorMove = 1;
constexpr std::int16_t kCursorTurn = 2;
constexpr std::int16_t kCursorNoHandle = 3;
constexpr std::int16_t kCursorReference = 4;
constexpr std::int16_t kCursorDragging = -1;

// Handles of a text: inside the box and the four corners move it, the
// midpoints of the short edges turn it, the last one is the reference point.
constexpr int kTextLastMove = 5;
constexpr int kTextTurnAway = 6;  // the start edge: turned away from the pointer
constexpr int kTextTurn = 7;
constexpr int kTextReference = 8;
// Of a symbol: inside and the first two side midpoints move it, the other
// two turn it.
constexpr int kSymbolLastMove = 3;
constexpr int kSymbolTurnAway = 4;
constexpr int kSymbolTurn = 5;
// Inside the box: the pointer jumps to the anchor.
constexpr int kHandleInside = 1;

// The handle under the current entry; 0 without handles.
int HandleUnderPointer(const TEditGraphObjKrzyz& Tool) {
  const TEGraphObj* t = Tool.Template();
  if (t == nullptr || Tool.Handles == nullptr) return 0;
  const TLatchEntry& e = Tool.CurrentEntry();
  return t->HitActivePoint(TRealPoint{e.X, e.Y}, *Tool.Handles, Tool.Params.get());
}

// The angle of the direction Anchor -> P; turned half round for the handle
// at the start of the object, so that it points away from the pointer.
float HandleAngle(const TRealPoint& Anchor, const TRealPoint& P, bool AwayFromPointer) {
  double a = static_cast<double>(ClockwiseAngle(P.X - Anchor.X, P.Y - Anchor.Y));
  if (AwayFromPointer) {
    a += kPi;
    if (a > 2.0 * kPi) a -= 2.0 * kPi;
  }
  return static_cast<float>(a);
}

std::string EditHint(const TNewGraphObjKrzyz& Tool, const char* Object, const char* Part) {
  std::string hint = std::string("Modyfikacja ") + Object + ", " + Part;
  if (Tool.Stage >= 2) hint += ". " + Tool.GetLatchModeName();
  return hint;
}

}  // namespace

// --- TEditText ---------------------------------------------------------------

TEditText::TEditText(std::uint32_t Status, TKrzyzPointEvent OnPoint)
    : TEditNewText(Status, nullptr, nullptr, std::move(OnPoint)) {
  RestartStage = 1;
  Stage = 0;
}

TEditText::~TEditText() {
  if (cfgCanvas_ != nullptr) cfgCanvas_->RemoveCfgHandler(TConfNotify(this, &TEditText::CfgChanged));
}

void TEditText::SetTemplate(TEGraphObj* Object) { EditSetTemplate(Object); }

void TEditText::Attach() {
  EditAttach();
  TDefRealCanvas* canvas = MapView() != nullptr ? MapView()->GetCanvas() : Canvas;
  if (canvas != nullptr && cfgCanvas_ == nullptr) {
    canvas->AddCfgHandler(TConfNotify(this, &TEditText::CfgChanged));
    cfgCanvas_ = canvas;
  }
}

void TEditText::Detach() {
  if (cfgCanvas_ != nullptr) {
    cfgCanvas_->RemoveCfgHandler(TConfNotify(this, &TEditText::CfgChanged));
    cfgCanvas_ = nullptr;
  }
  EditDetach();
}

void TEditText::CfgChanged(TParametryConf*) { UpdateHandles(); }

bool TEditText::AddPoint(const TLatchEntry& Entry) { return EditAddPoint(Entry); }

std::int32_t TEditText::Backspace() { return EditBackspace(); }

bool TEditText::Click(const TRealPoint& Point) { return EditClick(Point); }

std::int32_t TEditText::RightClick(TRealPoint& Point, const TPoint& ScreenPoint) {
  return EditRightClick(Point, ScreenPoint);
}

std::int32_t TEditText::KeyDown(std::int32_t Key) { return EditKeyDown(Key); }

std::string TEditText::GetHint() {
  const char* part = "";
  if (Handle >= kHandleInside && Handle <= kTextLastMove)
    part = "Położenie";
  else if (Handle == kTextTurnAway || Handle == kTextTurn)
    part = "Obrót";
  else if (Handle == kTextReference)
    part = "Odnośnik";
  return EditHint(*this, "tekstu", part);
}

bool TEditText::CheckTemplate() {
  if (Stage >= 2) {
    Cursor = kCursorDragging;
    return true;
  }
  Handle = HandleUnderPointer(*this);
  if (Handle == 0)
    Cursor = kCursorNoHandle;
  else if (Handle <= kTextLastMove)
    Cursor = kCursorMove;
  else if (Handle <= kTextTurn)
    Cursor = kCursorTurn;
  else
    Cursor = kCursorReference;
  return Handle != 0;
}

void TEditText::UpdateTemplate() {
  // Hovering, the template is the object in the sublayer: only the working
  // copy of a drag changes.
  if (Stage < 2) return;
  TWysKatOdnNapisW* t = TextTemplate();
  if (t == nullptr) return;
  const TLatchEntry& e = CurrentEntry();
  const TRealPoint p{e.X, e.Y};
  if (Handle >= kHandleInside && Handle <= kTextLastMove) {
    // The reference point stays where it is on the map.
    t->RefOffset.X += static_cast<float>(t->Position.X - p.X);
    t->RefOffset.Y += static_cast<float>(t->Position.Y - p.Y);
    t->Position = p;
  } else if (Handle == kTextTurnAway || Handle == kTextTurn) {
    if (AngleAllowed) t->Angle = HandleAngle(t->Position, p, Handle == kTextTurnAway);
  } else if (Handle == kTextReference) {
    t->SetRefPoint(p);
  }
}

void TEditText::GetHandlePoint(TRealPoint& P) {
  const TWysKatOdnNapisW* t = TextTemplate();
  if (Handle == kHandleInside && t != nullptr)
    P = t->Position;
  else
    TEditNewText::GetHandlePoint(P);
}

void TEditText::SetText(const std::string& Text) {
  if (TWysKatOdnNapisW* t = TextTemplate()) Change([&] { t->Text = UnescapeBars(Text); });
}

// --- TEditLicznikMianownik -----------------------------------------------------

void TEditLicznikMianownik::SetText(const std::string& Text) {
  auto* f = dynamic_cast<TLicznikMianownik*>(template_);
  if (f == nullptr) return;
  const std::size_t bar = FindSingleBar(Text);
  Change([&] {
    if (bar == std::string::npos) {
      f->Text.clear();
      f->Denominator = UnescapeBars(FirstCharacters(Text, 255));
    } else {
      f->Text = UnescapeBars(Text.substr(0, bar));
      f->Denominator = UnescapeBars(FirstCharacters(Text.substr(bar), 255));
    }
  });
}

// --- TEditSymbol -------------------------------------------------------------

TEditSymbol::TEditSymbol(std::uint32_t Status, TKrzyzPointEvent OnPoint)
    : TEditNewSymbol(Status, nullptr, nullptr, std::move(OnPoint)) {
  RestartStage = 1;
  Stage = 0;
}

void TEditSymbol::SetTemplate(TEGraphObj* Object) { EditSetTemplate(Object); }

void TEditSymbol::Attach() { EditAttach(); }

void TEditSymbol::Detach() { EditDetach(); }

bool TEditSymbol::AddPoint(const TLatchEntry& Entry) { return EditAddPoint(Entry); }

std::int32_t TEditSymbol::Backspace() { return EditBackspace(); }

bool TEditSymbol::Click(const TRealPoint& Point) { return EditClick(Point); }

std::int32_t TEditSymbol::RightClick(TRealPoint& Point, const TPoint& ScreenPoint) {
  return EditRightClick(Point, ScreenPoint);
}

std::int32_t TEditSymbol::KeyDown(std::int32_t Key) { return EditKeyDown(Key); }

std::string TEditSymbol::GetHint() {
  const char* part = "";
  if (Handle >= kHandleInside && Handle <= kSymbolLastMove)
    part = "Położenie";
  else if (Handle == kSymbolTurnAway || Handle == kSymbolTurn)
    part = "Obrót";
  return EditHint(*this, "symbolu", part);
}

bool TEditSymbol::CheckTemplate() {
  if (Stage >= 2) {
    Cursor = kCursorDragging;
    return true;
  }
  Handle = HandleUnderPointer(*this);
  if (Handle == 0)
    Cursor = kCursorNoHandle;
  else if (Handle <= kSymbolLastMove)
    Cursor = kCursorMove;
  else
    Cursor = kCursorTurn;
  return Handle != 0;
}

void TEditSymbol::UpdateTemplate() {
  if (Stage < 2) return;
  TWysKatSymbol* s = SymbolTemplate();
  if (s == nullptr) return;
  const TLatchEntry& e = CurrentEntry();
  const TRealPoint p{e.X, e.Y};
  if (Handle >= kHandleInside && Handle <= kSymbolLastMove)
    s->Position = p;
  else if ((Handle == kSymbolTurnAway || Handle == kSymbolTurn) && AngleAllowed)
    s->Angle = HandleAngle(s->Position, p, Handle == kSymbolTurnAway);
}

void TEditSymbol::GetHandlePoint(TRealPoint& P) {
  const TWysKatSymbol* s = SymbolTemplate();
  if (Handle == kHandleInside && s != nullptr)
    P = s->Position;
  else
    TEditNewSymbol::GetHandlePoint(P);
}

// --- The factory's share -----------------------------------------------------

std::unique_ptr<TEditGraphObjKrzyz> MakeTextEditTool(TEditToolKind Kind, TKrzyzPointEvent OnPoint) {
  switch (Kind) {
    case TEditToolKind::Text:
      return std::make_unique<TEditText>(0, std::move(OnPoint));
    case TEditToolKind::Fraction:
      return std::make_unique<TEditLicznikMianownik>(0, std::move(OnPoint));
    case TEditToolKind::Symbol:
      return std::make_unique<TEditSymbol>(0, std::move(OnPoint));
    default:
      throw EInternalError("MakeTextEditTool: not a text, fraction or symbol");
  }
}
