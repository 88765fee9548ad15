// How the graphic objects reach their edit tools and modal edit dialogs.
// The tools and dialogs stand above the map view (src/objtools), the objects
// below it: the objects declare what they need here, and the tool library
// registers its implementation at start-up (RegisterObjectEditors). Without
// it the editing operations raise ENotImplemented.
//
// IEditToolSite is what an edit tool tells the object it edits: the list
// index it came from (-1: the object is already listed, -2: the object has
// been put back) and the sublayer that holds it.
//
// GUI thread only. The registry does not own the editors.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class IPodwarstwa;
class TKrzyz;
class TLine;
class TLinTextObj;
class TRealCanvas;

// An edit tool as the objects hand it on. The tool's class stands above the
// objects (the map view's cursor tools), so the owner carries the function
// that frees it: the editors that make a tool fill it in (EditToolOwner,
// view/krzyz.h), and the objects only pass the owner on, never needing the
// tool's class. An owner holding a tool without that function would leak it;
// only the view's EditToolOwner makes owners that hold one.
struct TEditToolDeleter {
  void (*Free)(TKrzyz* Tool) = nullptr;
  void operator()(TKrzyz* Tool) const {
    if (Free != nullptr) Free(Tool);
  }
};
using TEditToolPtr = std::unique_ptr<TKrzyz, TEditToolDeleter>;

class IEditToolSite {
 public:
  virtual ~IEditToolSite() = default;
  virtual int EditIndex() const = 0;
  virtual void SetEditIndex(int Index) = 0;
  virtual IPodwarstwa* EditSublayer() const = 0;
};

// The edit-tool classes, one per kind of edited object.
enum class TEditToolKind : std::uint8_t { Line, Arc, Circle, Point, Text, Fraction, Symbol };

// The fields of the line-style dialog, in and out.
struct TLineStyleEditValues {
  std::uint8_t Thickness = 0;
  const TLine* LineDef = nullptr;  // nullptr: the sublayer's style
  float Multiplier = 0.0f;
  // What "domyślny" shows: the sublayer's style and thickness.
  const TLine* SublayerLineDef = nullptr;
  bool SublayerThick = false;
};

// The fields of the text and fraction dialogs, in and out.
struct TTextEditValues {
  float Height = 0.0f;
  float Angle = 0.0f;  // radians
  std::string Text;    // the numerator of a fraction
  std::string Denominator;
  std::uint8_t Justification = 7;
  bool Reference = false;
  bool Underline = false;
  bool HeightAllowed = true;
  bool AngleAllowed = true;
  bool JustificationAllowed = true;
};

// The fields of the symbol dialog, in and out.
struct TSymbolEditValues {
  float Height = 0.0f;
  float Angle = 0.0f;  // radians
  std::string Name;
  bool HeightAllowed = true;
  bool AngleAllowed = true;
};

class IObjectEditors {
 public:
  virtual ~IObjectEditors() = default;
  // Makes the edit tool of Kind for Obj, ready to run: OnPoint puts Obj back
  // into Sublayer (ReinsertAtIndex), the edit index is Index, the drawing
  // parameters are the canvas's prepared by the sublayer, Obj is the
  // template with its handles, the sublayer's options are applied, and Obj
  // is drawn in Colour while the tool drags it. With OwnObject the tool
  // frees Obj when it is destroyed unless a completed modification put Obj
  // into the sublayer; it owns Obj from the call on, also when it raises.
  virtual TEditToolPtr MakeEditTool(TEditToolKind Kind, TLinTextObj& Obj,
                                    IPodwarstwa* Sublayer, int Index,
                                    TRealCanvas& Canvas, std::int32_t Colour,
                                    bool OwnObject) = 0;
  // The modal edit dialogs: true on OK, with V holding the accepted fields.
  // The line-style dialog shows what "domyślny" stands for in Sublayer (may
  // be nullptr).
  virtual bool EditLineStyle(TLineStyleEditValues& V, IPodwarstwa* Sublayer) = 0;
  virtual bool EditText(bool Fraction, TTextEditValues& V) = 0;
  virtual bool EditSymbol(TSymbolEditValues& V) = 0;
};

// The registered editors, or nullptr.
IObjectEditors* ObjectEditors();
void SetObjectEditors(IObjectEditors* Editors);
// The registered editors; without them raises ENotImplemented (Operation).
IObjectEditors& RequireObjectEditors(const char* Operation);
