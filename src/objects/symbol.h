// Symbols placed at a point of a text layer: TGrSymbol (the symbol of the
// library at the anchor, at the parameters' size, upright) and TWysKatSymbol
// (with a height and a rotation angle). The inherited Text holds the symbol's
// name, so a symbol the library lacks is still drawn (as its name), hit and
// saved unchanged. Stored as kind 4; the layer file keeps 25 characters of the
// name (FitsStoredLayout).
//
// Symbol points into the program's symbol library, which outlives the
// objects; drawing threads only read it. Threads and ownership as TEGraphObj.
//
// Editing: a TGrSymbol is edited through a temporary TWysKatSymbol copy, as
// texts are through their edit class (objects/texts.h); the symbol dialog and
// edit tool come from the registered editors (objects/edittoolsi.h).
#pragma once

#include "objects/texts.h"

class TSymbol;

class TGrSymbol : public TNapis {
 public:
  TGrSymbol() = default;
  // Text := the symbol's name in the program's library.
  TGrSymbol(const TRealPoint& Position, TSymbol* Symbol);
  // The anchor and name; Symbol looked up by name (nullptr when absent).
  explicit TGrSymbol(const ObjectSaveRecord& Rec);

  TSymbol* Symbol = nullptr;

  bool FitsStoredLayout() const override;

  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TGrSymbol>(); }
  // The symbol dialog on a temporary TWysKatSymbol copy; Index is not used.
  bool Edit(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas, std::int32_t EraseColour) override;
  // The symbol edit tool on a temporary TWysKatSymbol copy, which the tool
  // owns; Index is not used.
  TEditToolPtr EditKrzyz(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                         std::int32_t Colour) override;
  // A TWysKatSymbol.
  std::unique_ptr<TEGraphObj> ToExtendedClass() const override;
  void Draw(TRealCanvas& Canvas) const override;
  // The symbol's bounds moved to the anchor; without Symbol as a text.
  TRealRect GetBounds() const override;
  bool HitDistance(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params,
                   double& D) const override;
  ObjectValue GetValue() const override;
  void SaveToRecord(ObjectSaveRecord& Rec) const override;
  // A TSymbolActivePoints filled by GetSnapPoints.
  std::unique_ptr<TActivePoints> CreateActivePoints(TDrawParamsImp& Params) const override;
  void FillInfo(IGrObjInfo& Info) const override;
  // TSymbolCircleBounds for a round symbol, TTextBounds for a rectangle,
  // nullptr without Symbol or for bounds computed from the elements.
  std::unique_ptr<TClipBounds> CreateOutline(const TDrawParamsImp* Params) const override;
  std::uint16_t GetCapabilities() const override;
  bool HasDPISymbol() const override;
  void CopyFieldsFrom(const TEGraphObj& Source) override;

 protected:
  // The height that replaces the parameters' size (0: none).
  virtual float SymbolHeight() const { return 0.0f; }
  // The placement angle (before the upright option).
  virtual double SymbolAngle() const { return 0.0; }
  // The angle the symbol is drawn at with Params' upright option.
  double PlacedAngle(const TDrawParamsImp& Params) const;
  // The rotated hit test with angle A and size S.
  bool RotatedHit(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp& Params, double A,
                  double S, double& D) const;
  bool UnrotatedHit(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp& Params, double S,
                    double& D) const;
};

class TWysKatSymbol : public TGrSymbol {
 public:
  TWysKatSymbol() = default;
  TWysKatSymbol(const TRealPoint& Position, TSymbol* Symbol, double Height, float Angle);
  explicit TWysKatSymbol(const ObjectSaveRecord& Rec);

  float Height = 0.0f;
  float Angle = 0.0f;

  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TWysKatSymbol>(); }
  // The symbol dialog: on OK the old picture is erased, angle, height and
  // name are taken over and the symbol is looked up again by the name
  // (nullptr when the library lacks it); the symbol is redrawn, marked
  // changed and goes back into Sublayer (ReplaceAtIndex at Index, or its
  // entry refreshed for a negative Index).
  bool Edit(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas, std::int32_t EraseColour) override;
  // The symbol edit tool working on this object.
  TEditToolPtr EditKrzyz(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                         std::int32_t Colour) override;
  std::unique_ptr<TEGraphObj> ToExtendedClass() const override { return Clone(); }
  std::unique_ptr<TEGraphObj> ExtendedCopyOrNil() const override { return nullptr; }
  void Draw(TRealCanvas& Canvas) const override;
  void Transform(const TAffineMatrix& M) override;
  bool HitDistance(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params,
                   double& D) const override;
  void SaveToRecord(ObjectSaveRecord& Rec) const override;
  // Four handles (points 0 to 3) and the four box corners (4 to 7) in the
  // placement of the symbol; nothing without Symbol.
  void GetSnapPoints(IActivePoints& Points, const TDrawParamsImp* Params) const override;
  void FillInfo(IGrObjInfo& Info) const override;
  // 0x10 angle, 0x08 height, 0x40 the symbol by name.
  int ApplyParams(std::uint16_t Mask, const TBlockE& Dialog) override;
  bool SameGeometry(const TEGraphObj& Other) const override;
  void CopyFieldsFrom(const TEGraphObj& Source) override;

 protected:
  float SymbolHeight() const override { return Height; }
  double SymbolAngle() const override { return Angle; }
};
