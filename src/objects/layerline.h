// The lines, circles and arcs of line sublayers:
//   TLinia, TOkrag, TLuk                    - drawn plainly in the current pen;
//   TDefSpecLinia, TDefSpecOkrag, TDefSpecLuk - drawn in the line style the
//     canvas holds at the moment (their sublayer's style while the sublayer
//     draws), with no style of their own.
// They add handles and snap points, the rows of the information window and
// the conversion to the special classes (objects/styledlines.h), which carry a
// style of their own.
//
// Editing: the edit tool of each family (EditKrzyz) comes from the
// registered editors (objects/edittoolsi.h); the style-following classes'
// modal Edit converts the object to its special class and runs the style
// dialog there (EditWithClass).
//
// Threads and ownership as TEGraphObj (objects/grobj.h).
#pragma once

#include <memory>

#include "objects/circle.h"
#include "objects/linear.h"

class TLinia : public TNELinia {
 public:
  TLinia() = default;
  TLinia(const TRealPoint& A, const TRealPoint& B) : TNELinia(A, B) {}
  explicit TLinia(const ObjectSaveRecord& Rec) : TNELinia(Rec) {}

  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TLinia>(); }
  // The line edit tool of the registered editors, working on this object.
  TEditToolPtr EditKrzyz(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                         std::int32_t Colour) override;
  // A TLiniaSpecjalna with this line's geometry and the default style.
  std::unique_ptr<TEGraphObj> ToExtendedClass() const override;
  // A TActivePoints on the window dimensions of Params, with P1 and P2.
  std::unique_ptr<TActivePoints> CreateActivePoints(TDrawParamsImp& Params) const override;
  // P1, P2.
  void GetSnapPoints(IActivePoints& Points, const TDrawParamsImp* Params) const override;
  // The base rows, "Linia" and the two ends (rows 8 to 10).
  void FillInfo(IGrObjInfo& Info) const override;
};

class TDefSpecLinia : public TLinia {
 public:
  using TLinia::TLinia;
  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TDefSpecLinia>(); }
  // EditWithClass with TLiniaSpecjalna: the style dialog on a converted copy.
  bool Edit(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas, std::int32_t EraseColour) override;
  // ApplyColor, then the canvas's StyledLineCurrent.
  void Draw(TRealCanvas& Canvas) const override;
  void DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const override;
  void DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const override;
  // The base word with 0x0007.
  std::uint16_t GetCapabilities() const override;
};

class TOkrag : public TNEOkrag {
 public:
  TOkrag() = default;
  TOkrag(const TPointRec& C, double R) : TNEOkrag(C, R) {}
  explicit TOkrag(const ObjectSaveRecord& Rec) : TNEOkrag(Rec) {}

  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TOkrag>(); }
  // The circle edit tool of the registered editors, working on this object.
  TEditToolPtr EditKrzyz(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                         std::int32_t Colour) override;
  std::unique_ptr<TEGraphObj> ToExtendedClass() const override;
  std::unique_ptr<TActivePoints> CreateActivePoints(TDrawParamsImp& Params) const override;
  // The centre, (C.X, C.Y - R), (C.X, C.Y + R), (C.X + R, C.Y): four
  // points, (C.X - R, C.Y) is not among them.
  void GetSnapPoints(IActivePoints& Points, const TDrawParamsImp* Params) const override;
  void FillInfo(IGrObjInfo& Info) const override;
};

class TDefSpecOkrag : public TOkrag {
 public:
  using TOkrag::TOkrag;
  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TDefSpecOkrag>(); }
  // EditWithClass with TOkragSpecjalny: the style dialog on a converted copy.
  bool Edit(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas, std::int32_t EraseColour) override;
  void Draw(TRealCanvas& Canvas) const override;
  void DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const override;
  // A plain circle moved by D.
  void DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const override;
  std::uint16_t GetCapabilities() const override;
};

class TLuk : public TNELuk {
 public:
  TLuk() = default;
  TLuk(const TPointRec& A, const TPointRec& B, double R) : TNELuk(A, B, R) {}
  explicit TLuk(const ObjectSaveRecord& Rec) : TNELuk(Rec) {}

  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TLuk>(); }
  // The arc edit tool of the registered editors, working on this object.
  TEditToolPtr EditKrzyz(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                         std::int32_t Colour) override;
  std::unique_ptr<TEGraphObj> ToExtendedClass() const override;
  std::unique_ptr<TActivePoints> CreateActivePoints(TDrawParamsImp& Params) const override;
  // P1, the middle of the arc, P2. A degenerate chord gives P1 as middle.
  void GetSnapPoints(IActivePoints& Points, const TDrawParamsImp* Params) const override;
  void FillInfo(IGrObjInfo& Info) const override;
};

class TDefSpecLuk : public TLuk {
 public:
  using TLuk::TLuk;
  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TDefSpecLuk>(); }
  // EditWithClass with TLukSpecjalny: the style dialog on a converted copy.
  bool Edit(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas, std::int32_t EraseColour) override;
  void Draw(TRealCanvas& Canvas) const override;
  void DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const override;
  void DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const override;
  std::uint16_t GetCapabilities() const override;
};
