// The elements of generators (objtools/generators.h): the definition elements
// of objects/defelements.h that a generator builds from its definition or
// computes from the entered points. They draw and transform as their parents;
// what sets them apart is CreateBaseCopy, which turns an element into the
// layer object that is added to a line sublayer: a line, circle or arc drawn
// in the sublayer's style (TDefSpecLinia, TDefSpecOkrag, TDefSpecLuk).
//
// Created only by generators, which own them. Threads and ownership
// otherwise as TEGraphObj (objects/grobj.h).
#pragma once

#include <memory>

#include "objects/defelements.h"

// Straight generated element.
class TGLinia : public TLLinia {
 public:
  TGLinia() = default;
  explicit TGLinia(const TElementRecord& Rec) : TLLinia(Rec) {}
  // From A to B (Z 0).
  TGLinia(const TRealPoint& A, const TRealPoint& B);

  std::unique_ptr<TEGraphObj> CreateNew() const override;
  // A TDefSpecLinia with the element's ends and identifier.
  std::unique_ptr<TEGraphObj> CreateBaseCopy() const override;
};

// Generated circle.
class TGOkrag : public TSOkrag {
 public:
  TGOkrag() = default;
  explicit TGOkrag(const TElementRecord& Rec) : TSOkrag(Rec) {}

  std::unique_ptr<TEGraphObj> CreateNew() const override;
  // A TDefSpecOkrag with the element's centre, radius and identifier.
  std::unique_ptr<TEGraphObj> CreateBaseCopy() const override;
};

// Generated arc.
class TGLuk : public TSLuk {
 public:
  TGLuk() = default;
  explicit TGLuk(const TElementRecord& Rec) : TSLuk(Rec) {}

  std::unique_ptr<TEGraphObj> CreateNew() const override;
  // A TDefSpecLuk with the element's ends, signed radius and identifier.
  std::unique_ptr<TEGraphObj> CreateBaseCopy() const override;
};
