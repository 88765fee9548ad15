// Single-line edits that check numbers as they are typed (TIntegerEdit,
// TFloatEdit) and an edit that offers the characters of a previous value to
// the Right-arrow key (TPrevEdit).
//
// The number edits check the text at every change: a text that is not a
// number, or lies outside [Min, Max] when Min and Max differ, is refused with
// a message, the last good text comes back and the caret goes to the end;
// OnChange fires only for an accepted text. The edits take the edit's own
// change notification for the check, so their OnChange is their own field.
//
// GUI thread only. The edit belongs to its parent control, as every control.
#pragma once

#include <cstdint>
#include <string>

#include "platform/gui/controls_std.h"

class TIntegerEdit : public platform::TEdit {
 public:
  TIntegerEdit();

  std::int32_t Min() const { return min_; }
  void SetMin(std::int32_t v) { min_ = v; }
  std::int32_t Max() const { return max_; }
  void SetMax(std::int32_t v) { max_ = v; }

  // The text, or Min when it is empty; EConvertError when it is no integer.
  std::int32_t Value() const;
  void SetValue(std::int32_t v);

  // The text kept for the next refusal.
  const std::string& LastGoodText() const { return lastGood_; }

  // Fires for every accepted text.
  platform::TNotifyEvent OnChange;

 private:
  void CheckText();

  std::string lastGood_;
  std::int32_t min_ = 0;
  std::int32_t max_ = 0;
  bool restoring_ = false;
};

class TFloatEdit : public platform::TEdit {
 public:
  TFloatEdit();

  double Min() const { return min_; }
  void SetMin(double v) { min_ = v; }
  double Max() const { return max_; }
  void SetMax(double v) { max_ = v; }
  // Decimals of the text Value := writes; negative: up to 15 significant
  // digits. Setting it formats the shown text again.
  std::int32_t Precision() const { return precision_; }
  void SetPrecision(std::int32_t p);

  // The text, or 0 when it is empty; EConvertError "Błąd konwersji: " and
  // the text when it is no number.
  double Value() const;
  void SetValue(double v);

  const std::string& LastGoodText() const { return lastGood_; }

  platform::TNotifyEvent OnChange;

 private:
  void CheckText();

  std::string lastGood_;
  double min_ = 0;
  double max_ = 0;
  std::int32_t precision_ = 6;
  bool restoring_ = false;
};

class TPrevEdit : public platform::TEdit {
 public:
  TPrevEdit() = default;

  // The previous value whose characters Right arrow offers.
  std::string PrevText;

 protected:
  void KeyDown(std::uint16_t& key, platform::TShiftState shift) override;
  void DoEnter() override;
};

// The completed texts the number edits check: an empty text is Min (integer)
// or "0" (real); a lone minus sign counts as zero ("-" -> "-0"); a real's
// leading point gets "0" in front and a trailing point "0" after it.
std::string CompleteIntegerText(const std::string& text, std::int32_t min);
std::string CompleteFloatText(const std::string& text);
