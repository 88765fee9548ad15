// The special lines, circles and arcs: layer objects with a line style of
// their own (TSpecStyle: the style of the line-style library, a multiplier of
// its lengths and a thickness), stored in the spare fields of the save
// record:
//   byte 3 bits 3-4  thickness (other bits kept),
//   word 60          the style's number (written only while LineDef is set),
//   word 62          the multiplier in thousandths (rounded half to even).
// A multiplier outside 0 to 65.535 cannot be stored; the record reports the
// cut (ObjectSaveRecord::Truncated) and MultiplierFits lets a dialog refuse it.
//
// Edit runs the style dialog of the registered editors (objects/edittoolsi.h)
// and, on OK, redraws the object in its new style and puts it back into its
// sublayer.
//
// LineDef points into the program's line-style library, which outlives the
// objects; drawing threads only read it. Threads and ownership as TEGraphObj.
#pragma once

#include <cstdint>

#include "objects/layerline.h"
#include "objects/saverecord.h"

class TLine;
class TBlockE;

struct TSpecStyle {
  // nullptr: the default style.
  const TLine* LineDef = nullptr;
  // 0: the canvas keeps its factor.
  float Multiplier = 0.0f;
  // 0 default, 1 thin, 2 thick.
  std::uint8_t Thickness = 0;

  void InitStyle(const TLine* Def, double Mult, std::uint8_t Thick);
  // The style number looked up in the program's line-style library (nullptr
  // when it has none), the multiplier word times 0.001, bits 3-4 of byte 3.
  void InitStyleFromRecord(const ObjectSaveRecord& Rec);
  void InitStyleCopy(const TSpecStyle& Source) { *this = Source; }
  // The canvas's style source (also nullptr), its LineStyleFactor when the
  // multiplier is not 0, and the pen width of index Thickness. Nothing is
  // undone afterwards.
  void ApplyStyle(TRealCanvas& Canvas) const;
  // Thickness, style number (only with LineDef) and multiplier; Truncated
  // when the multiplier did not fit.
  TStoreResult SaveStyle(ObjectSaveRecord& Rec) const;
  // "Typ linii", "Nr", "Grubość" and "Mnożnik" in rows Row and Row + 1.
  void FillStyleInfo(IGrObjInfo& Info, int Row) const;
  // Mask bits 0x1 style by name, 0x2 thickness, 0x4 multiplier; 1 when any
  // of the three bits was set, else 0.
  int ReadBlockStyle(std::uint16_t Mask, const TBlockE& Dialog);
  bool SameStyle(const TSpecStyle& Other) const;
  // The thickness name shown in the information window.
  static const char* ThicknessName(std::uint8_t T);
  // Whether the multiplier fits the stored field.
  bool MultiplierFits() const { return ObjectSaveRecord::MultiplierFits(Multiplier); }
};

// The modal style edit of a special object Obj with the style S (its own):
// the dialog gets S and the sublayer's style; unless it ends with OK nothing
// changes and the result is false. On OK: Obj is drawn in EraseColour as its
// sublayer draws it (erasing its picture), takes the dialog's style, is
// drawn again in its sublayer's colours, is marked changed and goes back
// into Sublayer (ReplaceAtIndex at Index, or its entry refreshed for a
// negative Index); true.
bool EditSpecStyle(TLiniowyObj& Obj, TSpecStyle& S, IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                   std::int32_t EraseColour);

class TLiniaSpecjalna : public TDefSpecLinia {
 public:
  TLiniaSpecjalna() = default;
  TLiniaSpecjalna(const TRealPoint& A, const TRealPoint& B, const TLine* LineDef, double Multiplier);
  explicit TLiniaSpecjalna(const ObjectSaveRecord& Rec);

  TSpecStyle Style;

  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TLiniaSpecjalna>(); }
  // The style dialog; see EditSpecStyle.
  bool Edit(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas, std::int32_t EraseColour) override;
  std::unique_ptr<TEGraphObj> ToExtendedClass() const override { return Clone(); }
  std::unique_ptr<TEGraphObj> ExtendedCopyOrNil() const override { return nullptr; }
  void Draw(TRealCanvas& Canvas) const override;
  void DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const override;
  void DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const override;
  void SaveToRecord(ObjectSaveRecord& Rec) const override;
  // The line's rows, then the style at row 11.
  void FillInfo(IGrObjInfo& Info) const override;
  int ApplyParams(std::uint16_t Mask, const TBlockE& Dialog) override;
  bool SameGeometry(const TEGraphObj& Other) const override;
  TSpecStyle* GetSpecParams() override { return &Style; }
  void CopyFieldsFrom(const TEGraphObj& Source) override;
};

class TOkragSpecjalny : public TDefSpecOkrag {
 public:
  TOkragSpecjalny() = default;
  TOkragSpecjalny(const TPointRec& C, double R) : TDefSpecOkrag(C, R) {}
  explicit TOkragSpecjalny(const ObjectSaveRecord& Rec);

  TSpecStyle Style;

  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TOkragSpecjalny>(); }
  // The style dialog; see EditSpecStyle.
  bool Edit(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas, std::int32_t EraseColour) override;
  std::unique_ptr<TEGraphObj> ToExtendedClass() const override { return Clone(); }
  std::unique_ptr<TEGraphObj> ExtendedCopyOrNil() const override { return nullptr; }
  void Draw(TRealCanvas& Canvas) const override;
  void DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const override;
  void DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const override;
  void SaveToRecord(ObjectSaveRecord& Rec) const override;
  // The circle's rows, then the style at row 11.
  void FillInfo(IGrObjInfo& Info) const override;
  int ApplyParams(std::uint16_t Mask, const TBlockE& Dialog) override;
  bool SameGeometry(const TEGraphObj& Other) const override;
  TSpecStyle* GetSpecParams() override { return &Style; }
  void CopyFieldsFrom(const TEGraphObj& Source) override;
};

class TLukSpecjalny : public TDefSpecLuk {
 public:
  TLukSpecjalny() = default;
  TLukSpecjalny(const TPointRec& A, const TPointRec& B, double R) : TDefSpecLuk(A, B, R) {}
  explicit TLukSpecjalny(const ObjectSaveRecord& Rec);

  TSpecStyle Style;

  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TLukSpecjalny>(); }
  // The style dialog; see EditSpecStyle.
  bool Edit(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas, std::int32_t EraseColour) override;
  std::unique_ptr<TEGraphObj> ToExtendedClass() const override { return Clone(); }
  std::unique_ptr<TEGraphObj> ExtendedCopyOrNil() const override { return nullptr; }
  void Draw(TRealCanvas& Canvas) const override;
  void DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const override;
  void DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const override;
  void SaveToRecord(ObjectSaveRecord& Rec) const override;
  // The arc's rows, then the style at row 14.
  void FillInfo(IGrObjInfo& Info) const override;
  int ApplyParams(std::uint16_t Mask, const TBlockE& Dialog) override;
  bool SameGeometry(const TEGraphObj& Other) const override;
  TSpecStyle* GetSpecParams() override { return &Style; }
  void CopyFieldsFrom(const TEGraphObj& Source) override;
};
