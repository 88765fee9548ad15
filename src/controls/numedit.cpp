#include "controls/numedit.h"

#include <cstdio>

#include "foundation/errors.h"
#include "foundation/text/numtext.h"
#include "platform/files/codepage.h"
#include "platform/gui/dialogs.h"

namespace {

int CharCount(const std::string& s) {
  int n = 0;
  for (std::size_t i = 0; i < s.size(); ++n) i += platform::Utf8CharLength(s, i);
  return n;
}

// The refusal: the message, the last good text back, the caret at the end.
template <class Edit>
void Refuse(Edit& edit, const std::string& message, const std::string& lastGood, bool& restoring) {
  platform::MessageBox(message, "", platform::MB_OK | platform::MB_ICONERROR);
  restoring = true;
  edit.SetText(lastGood);
  restoring = false;
  edit.SetSelection(CharCount(lastGood), 0);
}

}  // namespace

std::string CompleteIntegerText(const std::string& text, std::int32_t min) {
  if (text.empty()) return std::to_string(min);
  if (text == "-") return "-0";
  return text;
}

std::string CompleteFloatText(const std::string& text) {
  if (text.empty()) return "0";
  std::string s = text;
  if (s[0] == '-' && (s.size() == 1 || s[1] == '.')) s.insert(s.begin() + 1, '0');
  if (s[0] == '.') s.insert(s.begin(), '0');
  if (s.back() == '.') s += '0';
  return s;
}

// --- TIntegerEdit ---

TIntegerEdit::TIntegerEdit() {
  lastGood_ = Text();
  TCustomEdit::OnChange = [this](platform::TComponent&) { CheckText(); };
}

void TIntegerEdit::CheckText() {
  if (restoring_) return;
  const std::string check = CompleteIntegerText(Text(), min_);
  std::int32_t value = 0;
  if (!TryStrToInt(check, value)) {
    Refuse(*this, "Niepoprawna wartość", lastGood_, restoring_);
    return;
  }
  if (min_ != max_ && (value > max_ || value < min_)) {
    Refuse(*this, "Wartość spoza przedziału " + std::to_string(min_) + " - " + std::to_string(max_),
           lastGood_, restoring_);
    return;
  }
  lastGood_ = check;
  if (OnChange) OnChange(*this);
}

std::int32_t TIntegerEdit::Value() const {
  const std::string text = Text().empty() ? std::to_string(min_) : Text();
  std::int32_t value = 0;
  if (!TryStrToInt(text, value)) throw EConvertError("Błąd konwersji: " + text);
  return value;
}

void TIntegerEdit::SetValue(std::int32_t v) { SetText(std::to_string(v)); }

// --- TFloatEdit ---

TFloatEdit::TFloatEdit() {
  lastGood_ = Text();
  TCustomEdit::OnChange = [this](platform::TComponent&) { CheckText(); };
}

void TFloatEdit::CheckText() {
  if (restoring_) return;
  const std::string check = CompleteFloatText(Text());
  double value = 0;
  if (!TryStrToReal(check, value)) {
    Refuse(*this, "Niepoprawna wartość", lastGood_, restoring_);
    return;
  }
  if (min_ != max_ && (value > max_ || value < min_)) {
    Refuse(*this, "Wartość spoza przedziału " + RealToStr(min_, 2) + " - " + RealToStr(max_, 2),
           lastGood_, restoring_);
    return;
  }
  lastGood_ = check;
  if (OnChange) OnChange(*this);
}

double TFloatEdit::Value() const {
  const std::string text = Text().empty() ? std::string("0") : Text();
  return StrToReal(text);
}

void TFloatEdit::SetValue(double v) {
  SetText(precision_ >= 0 ? RealToStr(v, precision_) : RealToTextSignificant(v));
}

void TFloatEdit::SetPrecision(std::int32_t p) {
  precision_ = p;
  SetValue(Value());
}

// --- TPrevEdit ---

void TPrevEdit::KeyDown(std::uint16_t& key, platform::TShiftState shift) {
  const int caret = SelStart() + SelLength();
  const bool right = key == platform::VK_RIGHT;
  TEdit::KeyDown(key, shift);
  if (!right) return;
  const std::string text = Text();
  const int length = CharCount(text);
  if (caret != length || SelLength() != 0 || caret >= CharCount(PrevText)) return;
  // The character of the previous value after the typed ones.
  std::size_t at = 0;
  for (int i = 0; i < caret; ++i) at += platform::Utf8CharLength(PrevText, at);
  const std::string next = PrevText.substr(at, platform::Utf8CharLength(PrevText, at));
  SetText(text + next);
  SetSelection(length + 1, 0);
}

void TPrevEdit::DoEnter() {
  TEdit::DoEnter();
  SetSelection(CharCount(Text()), 0);
}
