// Record filters of the query scan: the state of a layer on a date, or what
// others changed against one user's work, each optionally limited to a
// rectangle. A filter first sees the stored record (Accept), then, when that
// passed, the decoded record (AcceptElement). The layer kind is 0 for a text
// layer and 1 for a line layer.
//
// The caller owns a filter; a layer file keeps a pointer to it only while
// its query scan runs. Plain values; the thread of the scan.
#pragma once

#include <cstdint>

#include "layers/store/layerfile.h"

class TWarQuery {
public:
  virtual ~TWarQuery() = default;
  // Base: true.
  virtual bool Accept(const std::uint8_t* stored, int kind) const;
  // Base: true.
  virtual bool AcceptElement(const ObjectSaveRecord& element, int kind) const;
};

// The state on Date: an archived copy when Date lies strictly between its
// creation and its modification, a live record when Date is strictly later
// than its modification.
class TStanNaDzienQuery : public TWarQuery {
public:
  explicit TStanNaDzienQuery(std::uint32_t date) : Date(date) {}
  bool Accept(const std::uint8_t* stored, int kind) const override;
  std::uint32_t Date;
};

// Point 1 inside the rectangle, or in a line layer point 2 of a record that
// is not a circle; borders inside.
bool ElementInRect(const ObjectSaveRecord& element, int kind, const TLayerRect& rect);

class TStanNaDzienRectQuery : public TStanNaDzienQuery {
public:
  TStanNaDzienRectQuery(std::uint32_t date, const TLayerRect& rect)
      : TStanNaDzienQuery(date), Rect(rect) {}
  bool AcceptElement(const ObjectSaveRecord& element, int kind) const override;
  TLayerRect Rect;
};

// Against user User: an archived copy that User created, a live record that
// someone else modified last.
class TUserQuery : public TWarQuery {
public:
  explicit TUserQuery(std::uint32_t user) : User(user) {}
  bool Accept(const std::uint8_t* stored, int kind) const override;
  std::uint32_t User;
};

class TUserRectQuery : public TUserQuery {
public:
  TUserRectQuery(std::uint32_t user, const TLayerRect& rect) : TUserQuery(user), Rect(rect) {}
  bool AcceptElement(const ObjectSaveRecord& element, int kind) const override;
  TLayerRect Rect;
};
