// Fakes for the editing operations of the layer objects: a sublayer that
// keeps its objects in a vector and counts what the objects ask of it, an
// edit tool's site (edit index and sublayer), and editors whose dialogs are
// answered by the test. The editors make no tools here (MakeEditTool raises):
// the tests of the edit tools derive from them above the view.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

#include "drawing/realcanvas.h"
#include "objects/edittoolsi.h"
#include "objects/grobj.h"
#include "objects/saverecord.h"
#include "objects/sublayeri.h"

// A sublayer's list as the layer model keeps it: a replaced object leaves
// the list and is freed unless something else owns it; the new one takes the
// old one's record index with the changed bit. Owns its objects.
class TFakeSublayer final : public IPodwarstwa {
 public:
  TFakeSublayer() = default;
  TFakeSublayer(const TFakeSublayer&) = delete;
  TFakeSublayer& operator=(const TFakeSublayer&) = delete;
  ~TFakeSublayer() override {
    for (TEGraphObj* o : Objects) {
      TEGraphObj::UnmarkInList(o);
      FreeGraphObj(o);
    }
  }

  int GetNumber() const override { return 1; }
  int GetSublayerCount() const override { return 1; }
  // The sublayer's colour into the pen, then the saved state.
  void PrepareCanvas(TRealCanvas& Canvas) override {
    ++Prepared;
    Canvas.Pen->SetColor(Colour);
    Canvas.SaveCanvasState();
  }
  void AddObject(TEGraphObj* Obj) override {
    Obj->MarkInList();
    Objects.push_back(Obj);
  }
  int IndexOfObject(const TEGraphObj* Obj) const override {
    for (std::size_t i = 0; i < Objects.size(); ++i)
      if (Objects[i] == Obj) return static_cast<int>(i);
    return -1;
  }
  void ReplaceAtIndex(int Index, TEGraphObj* Obj) override {
    ++Replaced;
    if (Index < 0 || Index >= static_cast<int>(Objects.size()) || Obj == nullptr)
      throw std::out_of_range("ReplaceAtIndex");
    TEGraphObj* old = Objects[static_cast<std::size_t>(Index)];
    if (old == Obj) {
      Obj->MarkChanged();
      return;
    }
    Obj->SetIndexChanged(old->GetIndex());
    Obj->MarkInList();
    Objects[static_cast<std::size_t>(Index)] = Obj;
    TEGraphObj::UnmarkInList(old);
    FreeGraphObj(old);
  }
  void UpdateObject(TEGraphObj*) override { ++Updated; }
  std::unique_ptr<TEGraphObj> CreateObjectFromRecord(const ObjectSaveRecord&) override { return nullptr; }

  // Lists Obj with the record index Index (unchanged); returns it.
  template <class T>
  T* Add(std::unique_ptr<T> Obj, std::uint32_t Index) {
    T* o = Obj.release();
    o->SetIndexUnchanged(Index);
    AddObject(o);
    return o;
  }
  TEGraphObj* At(int I) const { return Objects.at(static_cast<std::size_t>(I)); }
  // How often the list changed (ReplaceAtIndex and UpdateObject).
  int Changes() const { return Replaced + Updated; }

  std::vector<TEGraphObj*> Objects;
  std::uint32_t Colour = 0xFF0000;  // blue
  int Prepared = 0;
  int Replaced = 0;
  int Updated = 0;
};

class TFakeEditSite final : public IEditToolSite {
 public:
  TFakeEditSite(IPodwarstwa* Sublayer, int Index) : sublayer_(Sublayer), index_(Index) {}
  int EditIndex() const override { return index_; }
  void SetEditIndex(int Index) override { index_ = Index; }
  IPodwarstwa* EditSublayer() const override { return sublayer_; }

 private:
  IPodwarstwa* sublayer_;
  int index_;
};

// Dialogs answered by the test's functions (none set: cancelled); each call
// is counted. Registered for the life of the object.
class TFakeEditors : public IObjectEditors {
 public:
  TFakeEditors() { SetObjectEditors(this); }
  TFakeEditors(const TFakeEditors&) = delete;
  TFakeEditors& operator=(const TFakeEditors&) = delete;
  ~TFakeEditors() override { SetObjectEditors(nullptr); }

  TEditToolPtr MakeEditTool(TEditToolKind, TLinTextObj&, IPodwarstwa*, int, TRealCanvas&,
                            std::int32_t, bool) override {
    throw std::logic_error("no edit tools below the view");
  }
  bool EditLineStyle(TLineStyleEditValues& V, IPodwarstwa*) override {
    ++Dialogs;
    return OnLineStyle ? OnLineStyle(V) : false;
  }
  bool EditText(bool Fraction, TTextEditValues& V) override {
    ++Dialogs;
    return OnText ? OnText(Fraction, V) : false;
  }
  bool EditSymbol(TSymbolEditValues& V) override {
    ++Dialogs;
    return OnSymbol ? OnSymbol(V) : false;
  }

  std::function<bool(TLineStyleEditValues&)> OnLineStyle;
  std::function<bool(bool, TTextEditValues&)> OnText;
  std::function<bool(TSymbolEditValues&)> OnSymbol;
  int Dialogs = 0;
};
