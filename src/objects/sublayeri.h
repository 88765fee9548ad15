// What the graphic objects and their tools use of a sublayer of the layer
// tree: the list that owns its objects, the canvas preparation before an
// object draws, and the class choice when records are loaded. The layer model
// implements it; tests use a fake.
//
// GUI thread, except PrepareCanvas, which the view's redraw thread also calls
// under the sublayer's own lock. A listed object has its InList bit set and
// is freed by the list only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TEGraphObj;
class TRealCanvas;
class ObjectSaveRecord;

class IPodwarstwa {
 public:
  virtual ~IPodwarstwa() = default;

  // The sublayer's number within its layer (byte 2 of the save record).
  virtual int GetNumber() const = 0;
  // The layer's sublayer count: a stored sublayer number above it reads as 0.
  virtual int GetSublayerCount() const = 0;

  // Prepares Canvas so that an object drawn next looks as in this sublayer,
  // ending with the canvas's SaveCanvasState.
  virtual void PrepareCanvas(TRealCanvas& Canvas) = 0;

  // Appends a new object; the list owns it from then on.
  virtual void AddObject(TEGraphObj* Obj) = 0;
  // Index of Obj in the list (linear search); -1 when not listed.
  virtual int IndexOfObject(const TEGraphObj* Obj) const = 0;
  // Obj takes the place of the object at Index, with that object's
  // identifier and the changed bit set; the old object leaves the list and is
  // freed when nothing else owns it.
  virtual void ReplaceAtIndex(int Index, TEGraphObj* Obj) = 0;
  // Refreshes the list entry of an already listed Obj and marks the sublayer
  // changed; nullptr or an unlisted object only marks it changed.
  virtual void UpdateObject(TEGraphObj* Obj) = 0;

  // A new unowned object built from a record by the class choice of the
  // save record (CreateObjectFromRecord in objects/saverecord.h), or nullptr
  // for a kind without a class.
  virtual std::unique_ptr<TEGraphObj> CreateObjectFromRecord(const ObjectSaveRecord& Rec) = 0;
};
