// The texts of text sublayers, a chain in which each class adds one property:
//   TNapis           - anchor and text, drawn in the parameters' font;
//   TNapisT          - the common base of every text (symbols derive from
//                      TNapis, not from it);
//   TWysNapis        - height (0: the parameters' size) and flags
//                      (justification 1..9, underline 0x10, overline 0x40);
//   TWysKatNapis     - rotation angle; the frontal-measure label helpers;
//   TWysKatOdnNapis  - reference point, kept as an offset from the anchor;
//   TWysKatOdnNapisW - a switch that turns the reference off: the widest text
//                      class, through which every text is edited.
// Fractions (objects/fraction.h) continue the chain.
//
// Stored layouts: the save record keeps 47 code-page characters of the text;
// the layer file keeps 39 for a text with a reference point. FitsStoredLayout
// tells whether the object's text fits, so that dialogs and tools can refuse
// longer input; SaveToRecord cuts a longer text and the record reports the
// cut (ObjectSaveRecord::Truncated).
//
// Operations that take drawing parameters work on a private copy of them (the
// caller's parameters are never changed); Draw prepares the canvas itself and
// leaves it so.
//
// Editing: every text is edited as a TWysKatOdnNapisW. The other classes'
// Edit and EditKrzyz work on a temporary converted copy (a text that had no
// reference point gets one a unit along +Y from the anchor, a referenced one
// keeps its reference shown), found by its own list index: an accepted
// dialog or a completed modification puts the copy in place of the text; an
// unaccepted copy is freed (by Edit, or by the edit tool that owns it). The
// dialogs and tools come from the registered editors (objects/edittoolsi.h).
//
// Threads and ownership as TEGraphObj: the text string belongs to the object;
// outlines, auxiliary lines and measured strokes returned belong to the caller.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "drawing/drawparams.h"
#include "drawing/strokefont.h"
#include "objects/linear.h"

class TDefSpecLinia;

// A working copy of Params that an object may prepare freely: of the rotated
// view's class when Params is one, default parameters when Params is nullptr.
std::unique_ptr<TSimpleDrawParams> CopyDrawParams(const TDrawParamsImp* Params);

// The number of characters of a UTF-8 text.
std::size_t TextLength(const std::string& Text);

// The box of a placed text: corner C and edges U (along the baseline) and V.
struct TTextBox {
  TRealPoint C;
  TRealPoint U;
  TRealPoint V;
};

class TNapis : public TLinTextObj {
 public:
  TNapis() = default;
  TNapis(const TRealPoint& Position, const std::string& Text);
  // The base part, the anchor and the text.
  explicit TNapis(const ObjectSaveRecord& Rec);

  TRealPoint Position;
  std::string Text;

  // The measured text in font units (the caller owns it).
  virtual std::unique_ptr<TVectorChar> MeasureText(const TDrawParamsImp& Params) const;
  // Whether the text fits the stored layouts of its class.
  virtual bool FitsStoredLayout() const;

  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TNapis>(); }
  // The text dialog on a temporary TWysKatOdnNapisW copy; Index is not used.
  bool Edit(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas, std::int32_t EraseColour) override;
  // The text edit tool on a temporary TWysKatOdnNapisW copy, which the tool
  // owns; Index is not used.
  TEditToolPtr EditKrzyz(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                         std::int32_t Colour) override;
  TRealPoint GetStartPoint() const override { return Position; }
  // A TWysKatOdnNapisW with this text's fields.
  std::unique_ptr<TEGraphObj> ToExtendedClass() const override;
  void Draw(TRealCanvas& Canvas) const override;
  void Transform(const TAffineMatrix& M) override;
  void Move(const TRealPoint& D) override;
  // The square of half side 2 per character about the anchor.
  TRealRect GetBounds() const override;
  // The square of half side n x the parameters' size.
  TRealRect GetBoundsFor(const TDrawParamsImp* Params) const override;
  bool IsNear(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params) const override;
  // The stroke test (quick rejection first, touching the box is outside).
  bool HitDistance(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params,
                   double& D) const override;
  double DistanceTo(const TRealPoint& P, const TDrawParamsImp* Params) const override;
  void ProjectPoint(const TRealPoint& P, const TDrawParamsImp* Params, TPointRec& Q) const override;
  void DrawMarker(TRealCanvas& Canvas) const override;
  std::string GetText() const override { return Text; }
  // The base part, kind 2, anchor and text (cut to 47 characters, reported).
  void SaveToRecord(ObjectSaveRecord& Rec) const override;
  // A TNapisActivePoints filled by GetSnapPoints.
  std::unique_ptr<TActivePoints> CreateActivePoints(TDrawParamsImp& Params) const override;
  void FillInfo(IGrObjInfo& Info) const override;
  // The text box as a TTextBounds.
  std::unique_ptr<TClipBounds> CreateOutline(const TDrawParamsImp* Params) const override;
  std::uint16_t GetCapabilities() const override;
  bool SameGeometry(const TEGraphObj& Other) const override;
  void CopyFieldsFrom(const TEGraphObj& Source) override;

  // The box of the placed text with prepared parameters (TTextBox).
  TTextBox ComputeTextBox(TSimpleDrawParams& Params) const;

 protected:
  // The information rows every plain text shares: the base rows, the kind,
  // the text under its label, the position and the default height and angle.
  void FillTextInfo(IGrObjInfo& Info, const char* Kind, const char* TextLabel) const;
  // Sets the justification, underline, overline and size of the parameters.
  // SizeZeroToo: also a height of 0 becomes the size.
  virtual void PrepareParams(TDrawParamsImp& Params, bool SizeZeroToo) const;
  // The rotation of the baseline (radians).
  virtual float TextAngle() const { return 0.0f; }
  // The quick rejection box is (n + 1) x s on both axes (angled texts);
  // otherwise s along X and (n + 1) x s along Y.
  virtual bool SquareRejection() const { return false; }
  // The number of characters used for bounds and rejection.
  virtual std::size_t BoundsLength() const { return TextLength(Text); }
  // The strokes the hit test runs over.
  virtual std::unique_ptr<TVectorChar> BuildStrokes(const TDrawParamsImp& Params) const;
  // The text part of the hit test with prepared parameters; T receives the
  // placement when the strokes were built.
  bool TextPartHit(TSimpleDrawParams& Params, const TRealPoint& P, const TRealPoint& Tol, double& D,
                   bool& Placed, TAffineMatrix& T) const;
};

class TNapisT : public TNapis {
 public:
  using TNapis::TNapis;
  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TNapisT>(); }
};

class TWysNapis : public TNapisT {
 public:
  TWysNapis() = default;
  // Justification is the whole flags byte; then the underline bit is set or
  // cleared.
  TWysNapis(const TRealPoint& Position, const std::string& Text, double Height,
            std::uint8_t Justification, bool Underline);
  // Height, and the flags with 0x20 and 0x80 cleared and a justification
  // outside 1..9 made 7.
  explicit TWysNapis(const ObjectSaveRecord& Rec);

  float Height = 0.0f;
  std::uint8_t Flags = 0;

  void SetJustyfikacja(std::uint8_t J) { Flags = static_cast<std::uint8_t>((Flags & 0xF0) | (J & 0x0F)); }
  std::uint8_t GetJustyfikacja() const { return Flags & 0x0F; }
  void SetUnderline(bool B) { Flags = static_cast<std::uint8_t>(B ? Flags | 0x10 : Flags & ~0x10); }
  bool IsUnderline() const { return (Flags & 0x10) != 0; }
  void SetOverline(bool B) { Flags = static_cast<std::uint8_t>(B ? Flags | 0x40 : Flags & ~0x40); }
  bool IsOverline() const { return (Flags & 0x40) != 0; }

  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TWysNapis>(); }
  void Draw(TRealCanvas& Canvas) const override;
  // The square of half side n x Height.
  TRealRect GetBounds() const override;
  // The size set to Height (0 included): n x size.
  TRealRect GetBoundsFor(const TDrawParamsImp* Params) const override;
  bool IsSimpleDraw() const override { return false; }
  void SaveToRecord(ObjectSaveRecord& Rec) const override;
  void FillInfo(IGrObjInfo& Info) const override;
  // The underline in the fourth entry when the underline bit is set.
  void GetAuxLines(const TDrawParamsImp* Params, TAuxLines& Lines) const override;
  bool SameGeometry(const TEGraphObj& Other) const override;
  void CopyFieldsFrom(const TEGraphObj& Source) override;

 protected:
  void PrepareParams(TDrawParamsImp& Params, bool SizeZeroToo) const override;
  // The underline of the measured text placed by T.
  std::unique_ptr<TDefSpecLinia> UnderlineLine(const TVectorChar& Measure, const TAffineMatrix& T) const;
};

class TWysKatNapis : public TWysNapis {
 public:
  TWysKatNapis() = default;
  TWysKatNapis(const TRealPoint& Position, const std::string& Text, double Height,
               std::uint8_t Justification, bool Underline, float Angle);
  explicit TWysKatNapis(const ObjectSaveRecord& Rec);

  float Angle = 0.0f;

  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TWysKatNapis>(); }
  void Draw(TRealCanvas& Canvas) const override;
  // The anchor through M; the angle through TransformAngle, made positive.
  void Transform(const TAffineMatrix& M) override;
  void SaveToRecord(ObjectSaveRecord& Rec) const override;
  void FillInfo(IGrObjInfo& Info) const override;
  bool SameGeometry(const TEGraphObj& Other) const override;
  void CopyFieldsFrom(const TEGraphObj& Source) override;

  // Lays a measured distance along a segment as a label (Height already
  // set). Flags bit 0 below, bit 1 on, otherwise above the segment; bit 4
  // underline; bit 3 the text between two "-".
  void SetCzolowka(const TRealPoint& Pos, const TRealPoint& Direction, double Distance, std::uint8_t CzFlags);
  // 1 for justification 1..3, 2 for 4..6, else 4; OR 0x10 underlined; OR 8
  // when the text starts and ends with "-".
  std::uint8_t GetCzolowkaFlags() const;

 protected:
  float TextAngle() const override { return Angle; }
  bool SquareRejection() const override { return true; }
};

class TWysKatOdnNapis : public TWysKatNapis {
 public:
  TWysKatOdnNapis() = default;
  TWysKatOdnNapis(const TRealPoint& Position, const std::string& Text, double Height,
                  std::uint8_t Justification, bool Underline, float Angle, const TRealPoint& RefPoint);
  explicit TWysKatOdnNapis(const ObjectSaveRecord& Rec);

  TSingleVector RefOffset;

  TRealPoint GetRefPoint() const { return TRealPoint{Position.X + RefOffset.X, Position.Y + RefOffset.Y}; }
  void SetRefPoint(const TRealPoint& P) {
    RefOffset = TSingleVector{static_cast<float>(P.X - Position.X), static_cast<float>(P.Y - Position.Y)};
  }
  // Whether the reference point is shown (always for this class).
  virtual bool HasReference() const { return true; }
  // The reference line from the attach point of the measured text placed by
  // T to the reference point.
  std::unique_ptr<TDefSpecLinia> MakeReferenceLine(const TVectorChar& Measure, const TAffineMatrix& T,
                                                   const TDrawParamsImp& Params) const;

  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TWysKatOdnNapis>(); }
  bool FitsStoredLayout() const override;
  void Draw(TRealCanvas& Canvas) const override;
  // The text square joined with the rectangle of anchor and reference point.
  TRealRect GetBoundsFor(const TDrawParamsImp* Params) const override;
  // The text strokes, and always the reference line.
  bool HitDistance(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params,
                   double& D) const override;
  void SaveToRecord(ObjectSaveRecord& Rec) const override;
  void FillInfo(IGrObjInfo& Info) const override;
  void GetAuxLines(const TDrawParamsImp* Params, TAuxLines& Lines) const override;
  void CopyFieldsFrom(const TEGraphObj& Source) override;
};

class TWysKatOdnNapisW : public TWysKatOdnNapis {
 public:
  // NoReference 1.
  TWysKatOdnNapisW() = default;
  using TWysKatOdnNapis::TWysKatOdnNapis;
  // As the referenced text; NoReference from the kind (even kinds: none).
  explicit TWysKatOdnNapisW(const ObjectSaveRecord& Rec);

  std::uint8_t NoReference = 1;

  bool HasReference() const override { return NoReference == 0; }

  // The edit tool of this text's kind (TEditToolKind::Text here), made by
  // the registered editors, working on this object. With OwnSelf the tool
  // owns this object from the call on, also when the call raises.
  virtual TEditToolPtr CreateEditTool(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                                      std::int32_t Colour, bool OwnSelf);

  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TWysKatOdnNapisW>(); }
  // The text dialog: on OK the old picture is erased, justification, angle,
  // height, text, reference switch and underline are taken over, the text
  // is redrawn, marked changed and goes back into Sublayer (ReplaceAtIndex
  // at Index, or its entry refreshed for a negative Index).
  bool Edit(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas, std::int32_t EraseColour) override;
  // CreateEditTool, the tool not owning this text.
  TEditToolPtr EditKrzyz(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                         std::int32_t Colour) override;
  std::unique_ptr<TEGraphObj> ToExtendedClass() const override { return Clone(); }
  std::unique_ptr<TEGraphObj> ExtendedCopyOrNil() const override { return nullptr; }
  void Draw(TRealCanvas& Canvas) const override;
  TRealRect GetBoundsFor(const TDrawParamsImp* Params) const override;
  bool HitDistance(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params,
                   double& D) const override;
  // Kind 2 or 3 by NoReference; the offset is written either way.
  void SaveToRecord(ObjectSaveRecord& Rec) const override;
  // The box corners, the midpoints of the short edges and (with a
  // reference) the reference point: 6 or 7 points.
  void GetSnapPoints(IActivePoints& Points, const TDrawParamsImp* Params) const override;
  void FillInfo(IGrObjInfo& Info) const override;
  void GetAuxLines(const TDrawParamsImp* Params, TAuxLines& Lines) const override;
  // Mask bits 0x20 justification, 0x10 angle, 0x08 height, 0x200 text,
  // 0x100 reference, 0x80 underline; marked changed when any.
  int ApplyParams(std::uint16_t Mask, const TBlockE& Dialog) override;
  void CopyFieldsFrom(const TEGraphObj& Source) override;
  bool FitsStoredLayout() const override;

 protected:
  // The text fields of ApplyParams; true when any was copied.
  bool ApplyTextParams(std::uint16_t Mask, const TBlockE& Dialog);
  // The text dialog of Edit; with Denominator the fraction dialog, which
  // also edits *Denominator.
  bool RunTextDialog(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas, std::int32_t EraseColour,
                     std::string* Denominator);
};
