// The kinds of search that the map view and its tools run over the layer
// tree: the nearest object of the chosen node kinds (with or without one
// object left out, of one object class, within one named layer), the
// nearest object of a numbered layer with the path of layers it lies in, the
// nearest point of an object, the object whose field contains a point, and
// every object near a point (for intersections). Each is a TDoSearch that
// chooses which node search every sublayer runs (Search), which nodes are
// entered (Check) and which graphic objects may become the hit (Accept).
// The caller creates a search, runs Check on the root of the view's tree and
// reads Hit (or the list of a list search).
//
// Threads: GUI thread only; a search object is used by one walk at a time.
// The sublayers hold their object list's lock while they offer objects to
// Accept, so the view's redraw thread may keep drawing meanwhile.
//
// Ownership: a search does not own its omitted or reference object, nor the
// nodes it records in its path. The hit follows the TDoSearch rules (the
// caller clears it). A list search owns the copies it made of unowned
// objects and frees them when it goes; the listed objects of sublayers stay
// their sublayers' and must outlive the list.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "foundation/errors.h"
#include "layers/tree/layernode.h"

class TBlockUndoOperation;
class TKatalogWarstw;
class TPodwarstwa;
class TWarstwa;

// Ends a list search that has listed more objects than it can handle. A
// silent abort: the caller catches it and goes on with the objects listed
// so far.
class ESearchListExceed : public EAbort {
 public:
  ESearchListExceed() = default;
};

// A class reference: true for an object of the class or of a descendant.
using TObjectClass = std::function<bool(const TEGraphObj&)>;

template <class T>
TObjectClass ObjectClass() {
  // Every object is a TEGraphObj: there the cast would only compare a
  // reference's address with null.
  if constexpr (std::is_base_of_v<T, TEGraphObj>) {
    return [](const TEGraphObj&) { return true; };
  } else {
    return [](const TEGraphObj& Obj) { return dynamic_cast<const T*>(&Obj) != nullptr; };
  }
}

// The nearest object (node Search) among the nodes whose type mask shares a
// bit with SearchMask; a node without a common bit is skipped with all
// that lies below it.
class TSubSetSearch : public TDoSearch {
 public:
  TSubSetSearch(const TRealPoint& Point, const TRealPoint& Tolerance, std::uint32_t SearchMask);

  std::uint32_t SearchMask;

  // The type filter, then the base check.
  bool Check(TWarstwaOgolna& Node) override;
};

// TSubSetSearch that never takes OmittedObject (the object being edited).
class TSubSetSearchOm : public TSubSetSearch {
 public:
  TSubSetSearchOm(const TRealPoint& Point, const TRealPoint& Tolerance, std::uint32_t SearchMask,
                  const TEGraphObj* OmittedObject);

  const TEGraphObj* OmittedObject;  // not owned; none omits nothing

  bool Accept(TEGraphObj* Obj) override;
};

// TSubSetSearch by the node SearchField: the object whose field reaches the
// point nearest along the search ray, over every object of a sublayer.
class TFieldSubSetSearch : public TSubSetSearch {
 public:
  using TSubSetSearch::TSubSetSearch;

  void Search(TWarstwaOgolna& Node, TSearchHit& Hit) override;
};

// Lists every object near the point (node SearchNear) in the sublayers
// that take part in intersection searches (mask kListSearchMask). Nothing
// becomes the hit. Once more than kMaxListed objects are listed the walk
// ends with ESearchListExceed; the object that overflowed stays listed.
class TListSubSetSearch : public TSubSetSearch {
 public:
  static constexpr std::uint32_t kListSearchMask = 0xD342;
  static constexpr std::size_t kMaxListed = 128;

  TListSubSetSearch(const TRealPoint& Point, const TRealPoint& Tolerance);
  // Frees the listed objects that nothing owns (the copies).
  ~TListSubSetSearch() override;

  // The objects near the point in walk order. An unowned object (made on
  // the fly by a layer without an object list, and freed by it right after
  // the call) is listed as a copy. (It hides TDoSearch::Found(): a list
  // search never has a hit.)
  std::vector<TEGraphObj*> Found;

  void Search(TWarstwaOgolna& Node, TSearchHit& Hit) override;
  // Lists Obj and answers false; raises ESearchListExceed past kMaxListed.
  bool Accept(TEGraphObj* Obj) override;
};

// TListSubSetSearch that never lists OmittedObject.
class TListSubSetSearchOm : public TListSubSetSearch {
 public:
  TListSubSetSearchOm(const TRealPoint& Point, const TRealPoint& Tolerance, const TEGraphObj* OmittedObject);

  const TEGraphObj* OmittedObject;  // not owned

  bool Accept(TEGraphObj* Obj) override;
};

// TSubSetSearch that takes only objects of ObjectClass (an empty class
// reference takes nothing).
class TTypSubSetSearch : public TSubSetSearch {
 public:
  TTypSubSetSearch(const TRealPoint& Point, const TRealPoint& Tolerance, std::uint32_t SearchMask,
                   TObjectClass ObjectClass);

  TObjectClass ObjectClass;

  bool Accept(TEGraphObj* Obj) override;
};

// TTypSubSetSearch within the subtree of the node named StartName (exact,
// case-sensitive); with Number 0 or more only the sublayers of that number
// in it, with a negative Number all of them. Groups above the named node are
// entered to find it; other leaves are skipped.
class TRangeTypSubSetSearch : public TTypSubSetSearch {
 public:
  TRangeTypSubSetSearch(const TRealPoint& Point, const TRealPoint& Tolerance, std::uint32_t SearchMask,
                        TObjectClass ObjectClass, std::string StartName, std::int32_t Number);

  std::string StartName;
  std::int32_t Number;
  bool InRange = false;  // inside the named subtree during the walk

  bool Check(TWarstwaOgolna& Node) override;
};

// The nearest object in the numbered layers (layers with a database
// number): only nodes at or above a numbered layer are entered, and inside
// such a layer every sublayer.
class TObiektSearch : public TDoSearch {
 public:
  using TDoSearch::TDoSearch;

  bool InLayer = false;  // inside a numbered layer during the walk

  bool Check(TWarstwaOgolna& Node) override;
};

// Where the walk of an object search is: the catalogue, layer and sublayer
// entered last and the object being offered. After the walk it describes
// the last node entered, not necessarily the hit's (Hit.Sublayer tells that).
struct TObiektPath {
  TKatalogWarstw* Catalogue = nullptr;
  std::int32_t LayerNumber = 0;
  std::int32_t SublayerNumber = 0;
  std::uint32_t Index = 0;  // record number of the object offered
  TWarstwa* Layer = nullptr;
};

// TObiektSearch that records the path of the nodes it enters.
class TJObiektSearch : public TObiektSearch {
 public:
  using TObiektSearch::TObiektSearch;

  TObiektPath ObiektPath;

  // Records a catalogue, a layer (with its number) or a sublayer's number,
  // then the object search's check.
  bool Check(TWarstwaOgolna& Node) override;
};

// TJObiektSearch that asks OnCheck whether an object may become the hit,
// with the path filled up to the object's record number. Without a
// callback every object is taken.
class TCheckObiektSearch : public TJObiektSearch {
 public:
  using TCheckCallback = std::function<bool(const TObiektPath&)>;

  TCheckObiektSearch(const TRealPoint& Point, const TRealPoint& Tolerance, TCheckCallback OnCheck);

  TCheckCallback OnCheck;

  bool Accept(TEGraphObj* Obj) override;
};

// TCheckObiektSearch by the node SearchField.
class TFieldObiektSearch : public TCheckObiektSearch {
 public:
  using TCheckObiektSearch::TCheckObiektSearch;

  void Search(TWarstwaOgolna& Node, TSearchHit& Hit) override;
};

// The object with the nearest point (node SearchPoint) over every shown node.
class TPSearch : public TDoSearch {
 public:
  using TDoSearch::TDoSearch;

  void Search(TWarstwaOgolna& Node, TSearchHit& Hit) override;
};

// TSubSetSearch by the node SearchPoint.
class TPSubSetSearch : public TSubSetSearch {
 public:
  using TSubSetSearch::TSubSetSearch;

  void Search(TWarstwaOgolna& Node, TSearchHit& Hit) override;
};

// TPSubSetSearch that never takes OmittedObject.
class TPSubSetSearchOm : public TPSubSetSearch {
 public:
  TPSubSetSearchOm(const TRealPoint& Point, const TRealPoint& Tolerance, std::uint32_t SearchMask,
                   const TEGraphObj* OmittedObject);

  const TEGraphObj* OmittedObject;  // not owned

  bool Accept(TEGraphObj* Obj) override;
};

// TPSubSetSearch for another object with the same geometry as the reference
// (given in the omitted-object place; the reference itself is never taken).
class TPSubSetSearchTheSame : public TPSubSetSearchOm {
 public:
  using TPSubSetSearchOm::TPSubSetSearchOm;

  bool Accept(TEGraphObj* Obj) override;
};

// Deletes every object that meets the search rectangle from the line and
// text sublayers it walks over, recording each deletion in Group (one
// delete operation per object, in the order of deletion) and stamping the
// deleted object with Stamp. Nothing ever becomes the hit, so the walk goes
// on over every node. Objects of a numbered layer are deleted only when
// ElementIsFree (catalogue, layer number, list index) allows it; read-only
// sublayers are left alone. A cancel (ECanceled from Cancel) and any error
// of a deletion end the walk; the deletions made until then stay in Group,
// which the caller records for undo in every case.
class TDeleteObjsInWindow : public TSubSetSearch {
 public:
  using TElementIsFree = std::function<bool(TKatalogWarstw* Catalogue, std::int32_t LayerNumber,
                                            std::int32_t Index)>;

  // Group receives the deletions (not owned, required); without
  // ElementIsFree every object may go.
  TDeleteObjsInWindow(const TRealPoint& Point, const TRealPoint& Tolerance, TBlockUndoOperation* Group,
                      std::uint32_t Stamp, TElementIsFree ElementIsFree);

  std::vector<TEGraphObj*> Collected;  // the current sublayer's objects in the window
  TElementIsFree ElementIsFree;
  TKatalogWarstw* Catalogue = nullptr;  // the last catalogue entered (not owned)
  std::uint32_t Stamp;
  TBlockUndoOperation* Group;  // not owned
  std::int32_t LayerNumber = 0;
  std::int32_t Deleted = 0;  // objects deleted so far

  // Collects the node's objects in the window and deletes them (see above).
  bool Check(TWarstwaOgolna& Node) override;
  // Every object of the node is offered (the window test is Accept's).
  void Search(TWarstwaOgolna& Node, TSearchHit& Hit) override;
  // Collects Obj when it meets the window; never takes it as the hit.
  bool Accept(TEGraphObj* Obj) override;

 private:
  void DeleteCollected(TPodwarstwa& Sublayer);
};
