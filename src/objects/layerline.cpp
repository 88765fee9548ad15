#include "objects/layerline.h"

#include <cmath>

#include "drawing/realcanvas.h"
#include "objects/activepoints.h"
#include "objects/edittoolsi.h"
#include "objects/layerobji.h"
#include "objects/styledlines.h"

namespace {

std::string Coord(double V) { return CursorFormat().FormatCoord(V); }

// Labels "<Prefix>X" (0), "Y" (2), "Z" (3) and the values of P at 1, 2, 3.
void PointRow(IGrObjInfo& Info, int Row, const char* XLabel, const TPointRec& P) {
  Info.SetLabel(Row, 0, XLabel);
  Info.SetValue(Row, 1, Coord(P.X));
  Info.SetLabel(Row, 2, "Y");
  Info.SetValue(Row, 2, Coord(P.Y));
  Info.SetLabel(Row, 3, "Z");
  Info.SetValue(Row, 3, Coord(P.Z));
}

std::unique_ptr<TActivePoints> FilledPoints(const TEGraphObj& Obj, TDrawParamsImp& Params) {
  auto points = std::make_unique<TActivePoints>(Params.Dims());
  Obj.GetSnapPoints(*points, &Params);
  return points;
}

}  // namespace

// Lines.

std::unique_ptr<TEGraphObj> TLinia::ToExtendedClass() const { return ConvertToClass<TLiniaSpecjalna>(); }

TEditToolPtr TLinia::EditKrzyz(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                               std::int32_t Colour) {
  return RequireObjectEditors("TLinia.EditKrzyz")
      .MakeEditTool(TEditToolKind::Line, *this, Sublayer, Index, Canvas, Colour, false);
}

std::unique_ptr<TActivePoints> TLinia::CreateActivePoints(TDrawParamsImp& Params) const {
  return FilledPoints(*this, Params);
}

void TLinia::GetSnapPoints(IActivePoints& Points, const TDrawParamsImp*) const {
  Points.SetPoint(0, XY(P1));
  Points.SetPoint(1, XY(P2));
  Points.SetCount(2);
}

void TLinia::FillInfo(IGrObjInfo& Info) const {
  TEGraphObj::FillInfo(Info);
  Info.SetValue(0, 2, "Linia");
  Info.SetLabel(8, 0, "Współrzędne punktów końcowych linii");
  PointRow(Info, 9, "P1 X", P1);
  PointRow(Info, 10, "P2 X", P2);
}

bool TDefSpecLinia::Edit(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas, std::int32_t EraseColour) {
  const TLiniaSpecjalna prototype;
  return EditWithClass(Sublayer, Index, Canvas, EraseColour, prototype);
}

void TDefSpecLinia::Draw(TRealCanvas& Canvas) const {
  ApplyColor(Canvas);
  Canvas.StyledLineCurrent(P1.X, P1.Y, P2.X, P2.Y);
}

void TDefSpecLinia::DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const {
  const TRealPoint a = AffineTransformPoint(M, XY(P1));
  const TRealPoint b = AffineTransformPoint(M, XY(P2));
  Canvas.StyledLineCurrent(a.X, a.Y, b.X, b.Y);
}

void TDefSpecLinia::DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const {
  Canvas.StyledLineCurrent(P1.X + D.X, P1.Y + D.Y, P2.X + D.X, P2.Y + D.Y);
}

std::uint16_t TDefSpecLinia::GetCapabilities() const {
  return static_cast<std::uint16_t>(TLinia::GetCapabilities() | 0x0007);
}

// Circles.

std::unique_ptr<TEGraphObj> TOkrag::ToExtendedClass() const { return ConvertToClass<TOkragSpecjalny>(); }

TEditToolPtr TOkrag::EditKrzyz(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                               std::int32_t Colour) {
  return RequireObjectEditors("TOkrag.EditKrzyz")
      .MakeEditTool(TEditToolKind::Circle, *this, Sublayer, Index, Canvas, Colour, false);
}

std::unique_ptr<TActivePoints> TOkrag::CreateActivePoints(TDrawParamsImp& Params) const {
  return FilledPoints(*this, Params);
}

void TOkrag::GetSnapPoints(IActivePoints& Points, const TDrawParamsImp*) const {
  Points.SetPoint(0, XY(Centre));
  Points.SetPoint(1, TRealPoint{Centre.X, Centre.Y - Radius});
  Points.SetPoint(2, TRealPoint{Centre.X, Centre.Y + Radius});
  Points.SetPoint(3, TRealPoint{Centre.X + Radius, Centre.Y});
  Points.SetCount(4);
}

void TOkrag::FillInfo(IGrObjInfo& Info) const {
  TEGraphObj::FillInfo(Info);
  Info.SetValue(0, 2, "Okrąg");
  Info.SetLabel(8, 0, "Współrzędne środka okręgu");
  PointRow(Info, 9, "X", Centre);
  Info.SetLabel(10, 0, "Promień");
  Info.SetValue(10, 1, Coord(Radius));
}

bool TDefSpecOkrag::Edit(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas, std::int32_t EraseColour) {
  const TOkragSpecjalny prototype;
  return EditWithClass(Sublayer, Index, Canvas, EraseColour, prototype);
}

void TDefSpecOkrag::Draw(TRealCanvas& Canvas) const {
  ApplyColor(Canvas);
  Canvas.StyledCircleCurrent(XY(Centre), Radius);
}

void TDefSpecOkrag::DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const {
  Canvas.StyledCircleCurrent(AffineTransformPoint(M, XY(Centre)), Radius * M.s);
}

void TDefSpecOkrag::DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const {
  Canvas.DrawCircle(TRealPoint{Centre.X + D.X, Centre.Y + D.Y}, Radius);
}

std::uint16_t TDefSpecOkrag::GetCapabilities() const {
  return static_cast<std::uint16_t>(TOkrag::GetCapabilities() | 0x0007);
}

// Arcs.

std::unique_ptr<TEGraphObj> TLuk::ToExtendedClass() const { return ConvertToClass<TLukSpecjalny>(); }

TEditToolPtr TLuk::EditKrzyz(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                             std::int32_t Colour) {
  return RequireObjectEditors("TLuk.EditKrzyz")
      .MakeEditTool(TEditToolKind::Arc, *this, Sublayer, Index, Canvas, Colour, false);
}

std::unique_ptr<TActivePoints> TLuk::CreateActivePoints(TDrawParamsImp& Params) const {
  return FilledPoints(*this, Params);
}

void TLuk::GetSnapPoints(IActivePoints& Points, const TDrawParamsImp*) const {
  const double dx = P2.X - P1.X;
  const double dy = P2.Y - P1.Y;
  const double len = Hypot(dx, dy);
  TRealPoint middle = XY(P1);
  if (len > 0.0) {
    const TRealPoint c = GetCentre();
    const double r = std::fabs(Radius);
    middle = TRealPoint{c.X - r * dy / len, c.Y + r * dx / len};
  }
  Points.SetPoint(0, XY(P1));
  Points.SetPoint(1, middle);
  Points.SetPoint(2, XY(P2));
  Points.SetCount(3);
}

void TLuk::FillInfo(IGrObjInfo& Info) const {
  TEGraphObj::FillInfo(Info);
  Info.SetValue(0, 2, "Łuk");
  Info.SetLabel(8, 0, "Współrzędne punktów końcowych łuku");
  PointRow(Info, 9, "P1 X", P1);
  PointRow(Info, 10, "P2 X", P2);
  const TRealPoint c = GetCentre();
  Info.SetLabel(11, 0, "Współrzędne środka łuku");
  Info.SetLabel(12, 0, "X");
  Info.SetValue(12, 1, Coord(c.X));
  Info.SetLabel(12, 2, "Y");
  Info.SetValue(12, 2, Coord(c.Y));
  Info.SetLabel(13, 0, "Promień");
  Info.SetValue(13, 1, Coord(std::fabs(Radius)));
}

bool TDefSpecLuk::Edit(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas, std::int32_t EraseColour) {
  const TLukSpecjalny prototype;
  return EditWithClass(Sublayer, Index, Canvas, EraseColour, prototype);
}

void TDefSpecLuk::Draw(TRealCanvas& Canvas) const {
  ApplyColor(Canvas);
  Canvas.StyledArcCurrent(TRealEnds{XY(P1), XY(P2)}, GetCentre(), Radius);
}

void TDefSpecLuk::DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const {
  Canvas.StyledArcCurrent(TRealEnds{AffineTransformPoint(M, XY(P1)), AffineTransformPoint(M, XY(P2))},
                          AffineTransformPoint(M, GetCentre()), Radius * M.s);
}

void TDefSpecLuk::DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const {
  const TRealPoint c = GetCentre();
  Canvas.StyledArcCurrent(TRealEnds{TRealPoint{P1.X + D.X, P1.Y + D.Y}, TRealPoint{P2.X + D.X, P2.Y + D.Y}},
                          TRealPoint{c.X + D.X, c.Y + D.Y}, Radius);
}

std::uint16_t TDefSpecLuk::GetCapabilities() const {
  return static_cast<std::uint16_t>(TLuk::GetCapabilities() | 0x0007);
}
