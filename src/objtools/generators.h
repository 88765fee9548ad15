// Generators: a few points entered on the map turned into a group of
// ordinary line-layer objects. A generator is a list of generated elements
// (objects/genelements.h) in its own local frame, y along the entered
// segment P1 -> P2 and x across it, and a transformation from that frame to
// the map that it computes from the points (ComputeTransform). The generator
// tool draws the elements through that transformation while the user points
// and finally asks for the objects (CreateObjects), one undo group the view
// adds to a line sublayer.
//
// Two families:
//   - drawings read from the generator definition file (objtools/
//     genlibrary.h), fitted between the points: TGenerator (stretched along
//     the segment), TGenerator2P (scaled evenly and turned), TGenerator3P
//     (stretched along and across, to a third point), TGenerator1P (placed at
//     one point), TGenerator2PNS (turned only); their elements never change;
//   - the built-in computed generators, which rebuild their elements at each
//     ComputeTransform from the points and a spacing: the embankments
//     "SKARPA_P", "SKARPA_U", "SKARPA_N" (four points: the top edge P1 -> P2
//     and the two ends of the bottom edge), the stairs "SCHODY" and the
//     terraces "TARAS1" and "TARAS2" (three points: the base P1 -> P2 and a
//     point giving the width).
//
// Spacing 0 means that the generator chooses it: the embankment computes
// one from the geometry and offers it back (AdoptDefaultSpacing); stairs and
// terraces take the stairs' default for the map scale of the context (0.001
// of the scale denominator below 1:750, 0.0007 of it from 1:750 on).
//
// The line-count question: a shape of more than 10000 lines (embankment
// hatching, stair treads) is computed only after the user says Yes to
// "Potwierdzenie" (No is the default). The answer holds for the shape: it is
// asked once until a point is added or removed (the presence of P3 or P4
// changes, the shape starts again with two equal points, or the tool calls
// NewShape) or the spacing changes. While the shape is refused,
// ComputeTransform raises the silent EAbort and changes neither the
// transformation nor the elements, so the previous shape stays.
//
// However large a confirmed shape, at most kMaxGeneratedLines lines are made:
// a spacing that would give more is widened to fit.
//
// Threads: GUI thread only (the tool computes and draws in XOR there).
// Ownership: a generator owns its elements; the library owns its generators
// (objtools/genlibrary.h). A TGeneratedObjList owns its items, and each item
// holds its object through the object's undo owner bit until a sublayer takes
// it too.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "foundation/geometry/realgeom.h"
#include "layers/tree/undo.h"
#include "objects/symbollib.h"

class TPodwarstwa;

// What the tool passes to the spacing operations: Active is 1 once the tool
// is attached to a view; Scale the map scale denominator of its display
// settings ("Skala").
struct GeneratorContext {
  std::uint8_t Active = 0;
  std::int32_t Scale = 0;
};

// More lines than this ask the line-count question.
inline constexpr double kLineCountQuestionLimit = 10000.0;
// No confirmed shape has more lines than this.
inline constexpr double kMaxGeneratedLines = 1.0e6;

inline constexpr char kLineCountCaption[] = "Potwierdzenie";
inline constexpr char kEmbankmentQuestion[] =
    "Generowana skarpa sklada się z więcej niż 10000 linii. Kontynuować?";
inline constexpr char kStairsQuestion[] =
    "Generowane schody skladają się z więcej niż 10000 linii. Kontynuować?";
inline constexpr char kInvalidElementType[] = "TGeneratorImp.LDInitObj: invalid type";

// One generated object added by the group: an add operation whose sublayer
// is given by TGeneratedObjList::AddToSublayer.
class TGeneratedObjItem : public TUndoOperationItem {
 public:
  // Holds Obj (not null) as the added object; no sublayer yet.
  explicit TGeneratedObjItem(TEGraphObj* Obj);

 private:
  friend class TGeneratedObjList;
};

// The undo group of one generated shape, named "Generator " + the
// generator's name.
class TGeneratedObjList : public TBlockUndoOperation {
 public:
  explicit TGeneratedObjList(const std::string& GeneratorName);

  TGeneratedObjItem* Item(std::int32_t Index) const { return static_cast<TGeneratedObjItem*>(Member(Index)); }
  // In list order: the item's sublayer := Sublayer, and Sublayer takes the
  // item's object (AddObject).
  void AddToSublayer(TPodwarstwa& Sublayer);
};

// The base of every generator: a named list of generated elements.
class TGeneratorImp : public TSymbolImp {
 public:
  explicit TGeneratorImp(std::string Name) : Name(std::move(Name)) {}

  std::string Name;

  // Type 0 a TGLinia, 1 a TGLuk, 2 a TGOkrag; any other type raises
  // EInternalError kInvalidElementType.
  std::unique_ptr<TEGraphObj> CreateElementFromRecord(const TElementRecord& Rec) const override;

  // 2 here; each class its own.
  virtual int GetPointCount() const;
  // M := the transformation from the generator's frame to the map for the
  // points P1, P2 and, when given (not null), P3 and P4.
  virtual void ComputeTransform(const TRealPoint& P1, const TRealPoint& P2, const TRealPoint* P3,
                                TAffineMatrix& M, const TRealPoint* P4) = 0;
  // A new group "Generator " + Name: for every element in list order its
  // CreateBaseCopy with OperatId as identifier, transformed by M.
  virtual std::unique_ptr<TGeneratedObjList> CreateObjects(const TAffineMatrix& M, std::uint32_t OperatId) const;
  // Base: 0, nothing, nothing, false.
  virtual double GetSpacing(const GeneratorContext& Ctx);
  virtual void SetSpacing(const GeneratorContext& Ctx, double D);
  virtual void AdoptDefaultSpacing(const GeneratorContext& Ctx);
  virtual bool HasSpacing() const;

  // A point was added or removed: the next shape of more than 10000 lines
  // asks again.
  void NewShape() { question_ = {}; }

 protected:
  // Whether a shape of this many lines may be computed: asks Text once for
  // the shape (P3Given, P4Given, Spacing); raises EAbort when refused now or
  // earlier for the same shape. Fewer lines than the limit: nothing.
  void ConfirmLineCount(double Lines, const char* Text, bool P3Given, bool P4Given, double Spacing);

 private:
  struct TQuestion {
    bool Asked = false;
    bool Accepted = false;
    bool P3Given = false;
    bool P4Given = false;
    double Spacing = 0.0;
  };
  TQuestion question_;
};

// A drawing stretched along the entered segment: Scale = 1 / the
// definition's base length (P2.Y - P1.Y of its header).
class TGenerator : public TGeneratorImp {
 public:
  TGenerator(std::string Name, double Scale) : TGeneratorImp(std::move(Name)), Scale(Scale) {}
  double Scale;
  void ComputeTransform(const TRealPoint& P1, const TRealPoint& P2, const TRealPoint* P3, TAffineMatrix& M,
                        const TRealPoint* P4) override;
};

// Scaled evenly and turned onto the segment.
class TGenerator2P : public TGenerator {
 public:
  using TGenerator::TGenerator;
  void ComputeTransform(const TRealPoint& P1, const TRealPoint& P2, const TRealPoint* P3, TAffineMatrix& M,
                        const TRealPoint* P4) override;
};

// Stretched along the segment and across it to the third point: Scale3 =
// 1 / the definition's width (P3.X - P1.X of its header).
class TGenerator3P : public TGenerator {
 public:
  TGenerator3P(std::string Name, double Scale, double Scale3) : TGenerator(std::move(Name), Scale), Scale3(Scale3) {}
  double Scale3;
  int GetPointCount() const override;
  // Without P3 as TGenerator.
  void ComputeTransform(const TRealPoint& P1, const TRealPoint& P2, const TRealPoint* P3, TAffineMatrix& M,
                        const TRealPoint* P4) override;
};

// Placed at one point, neither turned nor scaled.
class TGenerator1P : public TGeneratorImp {
 public:
  using TGeneratorImp::TGeneratorImp;
  int GetPointCount() const override;
  void ComputeTransform(const TRealPoint& P1, const TRealPoint& P2, const TRealPoint* P3, TAffineMatrix& M,
                        const TRealPoint* P4) override;
};

// Turned onto the segment, not scaled.
class TGenerator2PNS : public TGeneratorImp {
 public:
  using TGeneratorImp::TGeneratorImp;
  void ComputeTransform(const TRealPoint& P1, const TRealPoint& P2, const TRealPoint* P3, TAffineMatrix& M,
                        const TRealPoint* P4) override;
};

// Embankment hatching "SKARPA_P": lines across the slope from the top edge
// P1 -> P2, alternately long (to the bottom) and short (to the midline).
class TSkarpaGenerator : public TGeneratorImp {
 public:
  explicit TSkarpaGenerator(std::string Name = "SKARPA_P") : TGeneratorImp(std::move(Name)) {}

  double Spacing = 0.0;
  // The spacing of the last computation.
  double ComputedSpacing = 0.0;

  int GetPointCount() const override;
  void ComputeTransform(const TRealPoint& P1, const TRealPoint& P2, const TRealPoint* P3, TAffineMatrix& M,
                        const TRealPoint* P4) override;
  double GetSpacing(const GeneratorContext& Ctx) override;
  void SetSpacing(const GeneratorContext& Ctx, double D) override;
  // When Spacing is 0: Spacing := ComputedSpacing.
  void AdoptDefaultSpacing(const GeneratorContext& Ctx) override;
  bool HasSpacing() const override;

  // The edges, in local coordinates; nothing here.
  virtual void AddTopEdge(const TRealPoint& A, const TRealPoint& B);
  virtual void AddBottomEdge(const TRealPoint& C, const TRealPoint& D);
  virtual void AddSideEdge(const TRealPoint& P, const TRealPoint& Q);

 protected:
  // A special line A -> B in the style Name of the line-style library, or
  // of number Number when it has no such name (the default style when it
  // has neither); multiplier 1, default thickness.
  void AddStyledEdge(const TRealPoint& A, const TRealPoint& B, const char* Name, std::uint16_t Number);
};

// Reinforced embankment "SKARPA_U": the top edge in "WSG" (style 1 when
// absent), the bottom edge in "WSD" (2), the sides as plain lines.
class TSkarpaUmocniona : public TSkarpaGenerator {
 public:
  explicit TSkarpaUmocniona(std::string Name = "SKARPA_U") : TSkarpaGenerator(std::move(Name)) {}
  void AddTopEdge(const TRealPoint& A, const TRealPoint& B) override;
  void AddBottomEdge(const TRealPoint& C, const TRealPoint& D) override;
  void AddSideEdge(const TRealPoint& P, const TRealPoint& Q) override;
};

// Unreinforced embankment "SKARPA_N": the top edge in "WSQ" (style 2 when
// absent); the rest as the reinforced one.
class TSkarpaNieumocniona : public TSkarpaUmocniona {
 public:
  explicit TSkarpaNieumocniona(std::string Name = "SKARPA_N") : TSkarpaUmocniona(std::move(Name)) {}
  void AddTopEdge(const TRealPoint& A, const TRealPoint& B) override;
};

// Stairs "SCHODY": the two end lines across the base and the treads
// parallel to P1 -> P2, counted from the far side at the spacing; the base
// line itself is not made.
class TSchodyGenerator : public TGeneratorImp {
 public:
  explicit TSchodyGenerator(std::string Name = "SCHODY") : TGeneratorImp(std::move(Name)) {}

  double Spacing = 0.0;

  int GetPointCount() const override;
  void ComputeTransform(const TRealPoint& P1, const TRealPoint& P2, const TRealPoint* P3, TAffineMatrix& M,
                        const TRealPoint* P4) override;
  // Spacing 0 takes the default for Ctx.Scale first.
  double GetSpacing(const GeneratorContext& Ctx) override;
  // Spacing := D; 0 takes the default for Ctx.Scale.
  void SetSpacing(const GeneratorContext& Ctx, double D) override;
  // When Spacing is 0, the default for Ctx.Scale.
  void AdoptDefaultSpacing(const GeneratorContext& Ctx) override;
  bool HasSpacing() const override;
  // Spacing := Scale * 0.001 below 750, else Scale * 0.7 * 0.001.
  void SetDefaultSpacing(std::int32_t Scale);

 protected:
  // Steps shared with the terraces: M for the base P1 -> P2 (the degenerate
  // one when P1 = P2), the width W from P3 (1 without it; the frame turned
  // so that the shape lies on P3's side). False when nothing more is to be
  // made: P1 = P2 (M set) or Spacing 0 (M set).
  bool PrepareFrame(const TRealPoint& P1, const TRealPoint& P2, const TRealPoint* P3, TAffineMatrix& M,
                    double& L, double& W);
};

// Terrace "TARAS1": the rectangle of the base and the width, and the same
// rectangle inset by the spacing.
class TTarasGenerator : public TSchodyGenerator {
 public:
  explicit TTarasGenerator(std::string Name = "TARAS1") : TSchodyGenerator(std::move(Name)) {}
  void ComputeTransform(const TRealPoint& P1, const TRealPoint& P2, const TRealPoint* P3, TAffineMatrix& M,
                        const TRealPoint* P4) override;
  // The elements of a terrace of length L along the base and width W.
  virtual void BuildCell(double L, double W);
};

// Terrace "TARAS2", open along its base: three sides outside and three
// inside, the inner ones meeting the base line.
class TTaras2Generator : public TTarasGenerator {
 public:
  explicit TTaras2Generator(std::string Name = "TARAS2") : TTarasGenerator(std::move(Name)) {}
  void BuildCell(double L, double W) override;
};
