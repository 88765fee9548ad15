#include "objtools/gentool.h"

#include <utility>

#include "drawing/canvascfg.h"
#include "drawing/pen.h"
#include "foundation/errors.h"
#include "foundation/text/numtext.h"
#include "objects/linear.h"
#include "objects/styledcanvas.h"
#include "objtools/genlibrary.h"
#include "platform/gui/application.h"
#include "platform/gui/controls_std.h"
#include "view/krzyzconf.h"

using namespace platform;

// --- TGeneratorKrzyz -------------------------------------------------------

TGeneratorKrzyz::TGeneratorKrzyz(std::uint32_t Status, TKrzyzPointEvent OnPoint, std::string Hint)
    : TLatchKrzyz(Status, std::move(OnPoint), std::move(Hint)) {}

void TGeneratorKrzyz::DrawCursor() {
  if (Count < 1 || generator_ == nullptr || Canvas == nullptr) return;
  // A batch of its own, in the pen the marker leaves: hiding draws exactly
  // what showing drew.
  Canvas->FlushLines();
  Canvas->Pen->SetStyle(0);
  Canvas->Pen->SetWidth(1);
  generator_->DrawTransformed(*Canvas, M);
  Canvas->FlushLines();
}

void TGeneratorKrzyz::DrawMarker() {
  if (Canvas == nullptr) return;
  Canvas->FlushLines();
  Canvas->Pen->SetStyle(0);
  Canvas->Pen->SetWidth(1);
  ShowHide(CurrentEntry());
  Canvas->FlushLines();
}

std::int32_t TGeneratorKrzyz::Move(const TRealPoint& Point) {
  if (Count == 0) Count = 1;
  const std::int32_t r = TLatchKrzyz::Move(Point);
  Recompute();
  return r;
}

void TGeneratorKrzyz::SetViewCursor() {
  if (View != nullptr) View->SetCursor(crNone);
}

std::int32_t TGeneratorKrzyz::Backspace() {
  if (Count <= 1) return 0;
  HideAll();
  if (Count >= 4) {
    // Entries 0 to 2 hold P2, P3 and the pointer: P1 comes back.
    Entries[1] = Entries[0];
    Entries[0] = FirstPoint;
  } else {
    DropLastPoint();
  }
  --Count;
  if (generator_ != nullptr) generator_->NewShape();
  Recompute();
  ShowAll();
  return Count;
}

void TGeneratorKrzyz::Attach() {
  TLatchKrzyz::Attach();
  const TNullCanvasCfg* cfg = Canvas != nullptr ? Canvas->Cfg() : nullptr;
  Ctx.Scale = cfg != nullptr ? cfg->Skala : 0;
  Ctx.Active = 1;
  if (generator_ != nullptr) generator_->AdoptDefaultSpacing(Ctx);
}

bool TGeneratorKrzyz::AddPoint(const TLatchEntry& Entry) {
  HideAll();
  // A point typed before the pointer ever moved is the shape's first.
  if (Count == 0) Count = 1;
  CurrentEntry() = Entry;
  const bool computed = Recompute();
  if (generator_ == nullptr || !computed) {
    Flags |= kPointRefused;
    ShowAll();
    return false;
  }
  Flags &= static_cast<std::uint8_t>(~kPointRefused);
  if (generator_->GetPointCount() <= Count) {
    generator_->AdoptDefaultSpacing(Ctx);
    Count = 0;
    return true;
  }
  ShowAll();
  return false;
}

void TGeneratorKrzyz::NextPoint() {
  if ((Flags & kPointRefused) != 0) return;
  HideAll();
  FirstPoint = Entries[0];
  TLatchKrzyz::NextPoint();
  ++Count;
  if (generator_ != nullptr) generator_->NewShape();
  ShowAll();
}

std::unique_ptr<TLatchDialog> TGeneratorKrzyz::CreateDialog() { return MakeForm<TGeneratorDialog>(); }

bool TGeneratorKrzyz::Recompute() {
  if (generator_ == nullptr) return false;
  // The generator leaves M alone when it stops; a copy keeps it so whatever
  // a generator does.
  TAffineMatrix m = M;
  const TRealPoint current = XY(CurrentEntry());
  try {
    switch (Count) {
      case 0:
        return true;
      case 1:
        generator_->ComputeTransform(current, current, nullptr, m, nullptr);
        break;
      case 2: {
        TLatchEntry previous;
        GetPrevEntry(previous);
        generator_->ComputeTransform(XY(previous), current, nullptr, m, nullptr);
        break;
      }
      case 3: {
        const TRealPoint p3 = XY(Entries[2]);
        generator_->ComputeTransform(XY(Entries[0]), XY(Entries[1]), &p3, m, nullptr);
        break;
      }
      default: {
        const TRealPoint p3 = XY(Entries[1]);
        const TRealPoint p4 = XY(Entries[2]);
        generator_->ComputeTransform(XY(FirstPoint), XY(Entries[0]), &p3, m, &p4);
        break;
      }
    }
  } catch (const EAbort&) {
    // The user refused the shape: the previous one stays.
    return false;
  }
  M = m;
  return true;
}

void TGeneratorKrzyz::SetGenerator(TGeneratorImp* G) {
  if (G == generator_) return;
  const double spacing = generator_ != nullptr ? generator_->GetSpacing(Ctx) : 0.0;
  HideAll();
  generator_ = G;
  if (G != nullptr) {
    // An answer given to this generator in another shape does not hold here.
    G->NewShape();
    G->SetSpacing(Ctx, spacing);
  }
  Recompute();
  ShowAll();
}

bool TGeneratorKrzyz::HasSpacing() const { return generator_ != nullptr && generator_->HasSpacing(); }

double TGeneratorKrzyz::GetSpacing() { return generator_ != nullptr ? generator_->GetSpacing(Ctx) : 0.0; }

void TGeneratorKrzyz::SetSpacing(double D) {
  if (generator_ == nullptr) return;
  HideAll();
  generator_->SetSpacing(Ctx, D);
  Recompute();
  ShowAll();
}

std::unique_ptr<TGeneratedObjList> TGeneratorKrzyz::CreateObjects(std::uint32_t OperatId) const {
  if (generator_ == nullptr) return nullptr;
  return generator_->CreateObjects(M, OperatId);
}

// --- TGeneratorDialog ------------------------------------------------------

namespace {

// Runs Fn with Form out of the top layer and puts it back afterwards: a
// change of the generator or the spacing may ask the line-count question,
// whose box must not lie under the window.
template <class F>
void OutOfTopLayer(TForm& Form, F&& Fn) {
  struct Back {
    TForm& form;
    bool topMost;
    ~Back() { form.SetTopMost(topMost); }
  } back{Form, Form.TopMost()};
  Form.SetTopMost(false);
  Fn();
}

}  // namespace

TGeneratorDialog::TGeneratorDialog() {
  SetName("GeneratorDialog");
  SetCaption("Generator");

  // The generator's row goes above the snapping window's controls.
  constexpr int kRow = 29;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    c->SetBounds(c->Left(), c->Top() + kRow, c->Width(), c->Height());
  }
  SetClientHeight(ClientHeight() + kRow);

  generator_ = Create<TComboBox>(this, "Generator");
  generator_->SetBounds(4, 4, 118, 21);
  generator_->SetStyle(TComboBoxStyle::DropDown);
  generator_->SetHint("Generator");
  generator_->SetShowHint(true);
  generator_->OnChange = [this](TComponent&) { GeneratorChange(); };

  cl_ = Create<TLabel>(this, "CL");
  cl_->SetBounds(126, 8, 44, 14);
  cl_->SetCaption("Odstęp:");

  ce_ = Create<TEdit>(this, "CE");
  ce_->SetBounds(172, 4, 36, 21);
  ce_->SetMaxLength(4);
  ce_->SetText("0");
  cl_->SetFocusControl(ce_);
  ce_->OnKeyPress = [this](TComponent&, char32_t& Key) { EditKeyPress(Key); };
  ce_->OnChange = [this](TComponent&) { CEChange(); };

  bitBtn1_ = Create<TBitBtn>(this, "BitBtn1");
  bitBtn1_->SetBounds(212, 4, 40, 21);
  bitBtn1_->SetCaption("Zeruj");
  bitBtn1_->OnClick = [this](TComponent&) { ce_->SetText("0"); };

  // Enter in the combo box and the spacing goes on to the next control, as
  // in the coordinate fields.
  for (TWinControl* c : {static_cast<TWinControl*>(generator_), static_cast<TWinControl*>(ce_)}) {
    c->OnKeyDown = [this](TComponent&, std::uint16_t& Key, TShiftState) {
      if (Key != VK_RETURN) return;
      Key = 0;
      FocusNextControl();
    };
  }

  OnCreate = [this](TComponent&) { FormCreate(); };
}

TGeneratorKrzyz* TGeneratorDialog::GeneratorTool() const { return dynamic_cast<TGeneratorKrzyz*>(tool_); }

void TGeneratorDialog::FormCreate() { GeneratorManager().FillStrings(generator_->Items()); }

void TGeneratorDialog::DoShow() {
  ShowSpacing();
  EnableSpacing();
  if (TGeneratorKrzyz* tool = GeneratorTool(); tool != nullptr && tool->Generator() != nullptr)
    generator_->SetText(tool->Generator()->Name);
  TLatchDialog::DoShow();
}

void TGeneratorDialog::GeneratorChange() {
  TGeneratorKrzyz* tool = GeneratorTool();
  if (tool == nullptr) return;
  OutOfTopLayer(*this, [&] { tool->SetGenerator(GeneratorManager().FindByName(generator_->Text())); });
  // The spacing the new generator took (the one carried over, or its own
  // default for 0) is the one shown.
  ShowSpacing();
  EnableSpacing();
}

void TGeneratorDialog::CEChange() {
  if (showingSpacing_) return;
  TGeneratorKrzyz* tool = GeneratorTool();
  double value = 0.0;
  if (tool == nullptr || !TryStrToReal(ce_->Text(), value)) return;
  OutOfTopLayer(*this, [&] { tool->SetSpacing(value); });
}

void TGeneratorDialog::ShowSpacing() {
  TGeneratorKrzyz* tool = GeneratorTool();
  const double spacing = tool != nullptr ? tool->GetSpacing() : 0.0;
  showingSpacing_ = true;
  ce_->SetText(KrzyzConf().FormatCoord(spacing));
  showingSpacing_ = false;
}

void TGeneratorDialog::EnableSpacing() {
  TGeneratorKrzyz* tool = GeneratorTool();
  const bool spacing = tool != nullptr && tool->HasSpacing();
  ce_->SetEnabled(spacing);
  bitBtn1_->SetEnabled(spacing);
}
