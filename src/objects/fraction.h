// A fraction: a text drawn as a numerator over a denominator (parcel numbers
// such as 125 over 3). Its Text is the numerator; it adds the denominator.
// Stored as kind 0x12 (no reference) or 0x13 with the numerator, a character
// of code 0 and the denominator in the 47-character text field: a longer
// pair is cut (the record reports it) and FitsStoredLayout tells beforehand,
// counting numerator, separator and denominator together.
//
// Edited as it is (it derives from the text edit class): the fraction dialog
// and the fraction edit tool of the registered editors.
//
// Threads and ownership as TEGraphObj.
#pragma once

#include "objects/texts.h"

class TLicznikMianownik : public TWysKatOdnNapisW {
 public:
  TLicznikMianownik() = default;
  TLicznikMianownik(const TRealPoint& Position, const std::string& Numerator, const std::string& Denominator,
                    double Height, std::uint8_t Justification, bool Underline, float Angle);
  // The referenced-text part, then the text split at its first code-0
  // character; NoReference for kinds 0x10 and 0x12.
  explicit TLicznikMianownik(const ObjectSaveRecord& Rec);

  std::string Denominator;

  std::unique_ptr<TVectorChar> MeasureText(const TDrawParamsImp& Params) const override;
  bool FitsStoredLayout() const override;

  // The fraction edit tool (TEditToolKind::Fraction).
  TEditToolPtr CreateEditTool(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                              std::int32_t Colour, bool OwnSelf) override;

  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TLicznikMianownik>(); }
  // The fraction dialog: as the text dialog, also for the denominator.
  bool Edit(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas, std::int32_t EraseColour) override;
  std::unique_ptr<TEGraphObj> ToExtendedClass() const override { return Clone(); }
  std::unique_ptr<TEGraphObj> ExtendedCopyOrNil() const override { return nullptr; }
  void Draw(TRealCanvas& Canvas) const override;
  bool HitDistance(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params,
                   double& D) const override;
  // Text: numerator "|" denominator.
  ObjectValue GetValue() const override;
  void SaveToRecord(ObjectSaveRecord& Rec) const override;
  void FillInfo(IGrObjInfo& Info) const override;
  // The numerator and denominator as angled texts (entries 0 and 1), the
  // reference line (2) and the underline (3).
  void GetAuxLines(const TDrawParamsImp* Params, TAuxLines& Lines) const override;
  std::uint16_t GetCapabilities() const override;
  // The text fields, and 0x400 the denominator.
  int ApplyParams(std::uint16_t Mask, const TBlockE& Dialog) override;
  bool SameGeometry(const TEGraphObj& Other) const override;
  void CopyFieldsFrom(const TEGraphObj& Source) override;

 protected:
  std::unique_ptr<TVectorChar> BuildStrokes(const TDrawParamsImp& Params) const override;
};
