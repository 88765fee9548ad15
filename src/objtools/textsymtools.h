// The tools that place new texts, fractions and symbols on a text sublayer.
//
// The new-text and new-symbol commands make the tool with a template object
// (a TWysKatOdnNapisW or TWysKatSymbol), let the sublayer set its options
// (ConfigureNewObjectTool: angles allowed, the remembered "at an angle"
// switch, height and justification free) and install it. The template
// follows the pointer in XOR from the start; each completed placement fires
// OnPoint, whose handler stores the template and gives the tool a new one.
//
// Points of a text: the anchor; with Angled the next point gives the
// direction; with the reference on the last point is the reference point.
// So one click (anchor), two (anchor and direction, or anchor and reference
// point) or three. A symbol takes the anchor and, with Angled, the direction.
//
// Typed text uses the bar as its control character: the first single bar
// (a pair "||" stands for one bar) that is neither the first nor the last
// character splits a fraction into numerator and denominator, and the
// template becomes a TLicznikMianownik; a leading single bar overlines a
// plain text; a trailing one is dropped.
//
// A text, fraction or symbol name the layer file cannot keep (or an empty
// one) is refused at the completing click with the sound signal; the tool
// keeps its points.
//
// The parameter window beside the tool (TNapisD, TSymbolD) changes the tool
// through ITextToolParams; every setter takes the template off the screen,
// changes it and shows it again.
//
// GUI thread only. The template belongs to the command; the text tool may
// replace it by an object of the other text class (fraction or plain text),
// freeing the one it replaces, so the command always reads Template().
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "objtools/edittool.h"
#include "objtools/objdialogs.h"

class TGrSymbol;
class TWysKatOdnNapisW;
class TWysKatSymbol;

// The first single bar of S (pairs "||" skipped); npos when none.
std::size_t FindSingleBar(const std::string& S);
// Every pair "||" becomes one bar, every single bar goes.
std::string UnescapeBars(const std::string& S);
// Every bar doubled.
std::string EscapeBars(const std::string& S);
// At most Count characters (UTF-8) of S.
std::string FirstCharacters(const std::string& S, std::size_t Count);

class TEditNewTextSymbol : public TEditGraphObjKrzyz, public ITextToolParams {
public:
  // Complete at the third point, restarting at and starting from the second
  // stage: the template follows the pointer at once.
  TEditNewTextSymbol(std::uint32_t Status, TEGraphObj* Template, TWarstwaOgolna* Sublayer,
                     TKrzyzPointEvent OnPoint);

  // With angles allowed and On different from Angled: one point more (On)
  // or less, and Angled := On. Otherwise nothing.
  void SetAngled(bool On) override;
  // Off: Angled off first.
  void SetAngleAllowed(bool On);

  // --- ITextToolParams ---
  bool IsAngled() const override { return Angled; }
  bool IsAngleAllowed() const override { return AngleAllowed; }
  bool IsHeightAllowed() const override { return HeightAllowed; }
  bool IsJustificationAllowed() const override { return JustificationAllowed; }

  // --- TNewObjectToolI: the text sublayer's options ---
  void SetCounting(bool On) override { SetAngleAllowed(On); }
  void SetPlaced(std::uint8_t State) override { SetAngled(State != 0); }
  void SetMayChangeHeight(bool On) override { HeightAllowed = On; }
  void SetMayChangeJustification(bool On) override { JustificationAllowed = On; }

  // The angle is given by an extra point ("Pod kątem"); the text command
  // stores it back into the sublayer.
  bool Angled = false;
  bool AngleAllowed = false;
  bool HeightAllowed = false;
  bool JustificationAllowed = false;

protected:
  // Fn changes the template with the tool figures off the screen.
  template <class Fn>
  void Change(Fn&& F) {
    HideAll();
    F();
    ShowAll();
  }
};

class TEditNewText : public TEditNewTextSymbol {
public:
  // The point count from the template's reference, as SetTemplate.
  TEditNewText(std::uint32_t Status, TEGraphObj* Template, TWarstwaOgolna* Sublayer, TKrzyzPointEvent OnPoint);

  // The text window (TNapisD).
  std::unique_ptr<TLatchDialog> CreateDialog() override;
  // The anchor, the angle and the reference point from the entered points.
  void UpdateTemplate() override;
  // Then the point count from the reference and Angled.
  void SetTemplate(TEGraphObj* Object) override;
  // A text that is not empty and that the layer file keeps (a fraction:
  // both parts).
  bool CompleteObject() override;

  // --- ITextToolParams ---
  float GetHeight() override;
  void SetHeight(float Height) override;
  float GetAngle() override;
  void SetAngle(float Angle) override;
  std::uint8_t GetJustification() override;
  void SetJustification(std::uint8_t Justification) override;
  bool GetUnderline() override;
  void SetUnderline(bool On) override;
  bool GetReference() override;
  // The point count follows: the reference point is one more click.
  void SetReference(bool On) override;
  // A fraction as escape(numerator) "|" escape(denominator); a plain text
  // escaped, after a "|" when overlined.
  std::string GetEditText() override;
  // The typed text, a fraction when it holds a single bar inside.
  void SetText(const std::string& Text) override;

  // The template as a text (nullptr when it is none).
  TWysKatOdnNapisW* TextTemplate() const;

protected:
  // 2, plus one with the reference, plus one with Angled.
  void UpdatePointCount();
  // Replaces the template by a copy of it as Made (the old one freed).
  void ReplaceTemplate(std::unique_ptr<TWysKatOdnNapisW> Made);
};

class TEditNewSymbol : public TEditNewTextSymbol {
public:
  // Complete at the second point (the third with Angled).
  TEditNewSymbol(std::uint32_t Status, TEGraphObj* Template, TWarstwaOgolna* Sublayer,
                 TKrzyzPointEvent OnPoint);

  // The sublayer's symbol context first, then the symbol window (TSymbolD).
  std::unique_ptr<TLatchDialog> CreateDialog() override;
  // The anchor and the angle from the entered points.
  void UpdateTemplate() override;
  // A name that is not empty and that the layer file keeps.
  bool CompleteObject() override;

  // --- ITextToolParams ---
  float GetHeight() override;
  void SetHeight(float Height) override;
  float GetAngle() override;
  void SetAngle(float Angle) override;
  std::string GetSymbolName() override;
  // Text := Name, the symbol of that name in the program's library (none
  // when it lacks one).
  void SetSymbolName(const std::string& Name) override;

  // The template as a symbol (nullptr when it is none).
  TWysKatSymbol* SymbolTemplate() const;
};
