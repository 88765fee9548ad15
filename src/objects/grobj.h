// TEGraphObj, the abstract base of every graphic object: lines, circles, arcs,
// texts, fractions, symbols, points and the elements of symbol, line-style and
// generator definitions.
//
// Every object carries three 32-bit header words (bit layouts below):
//   IndexWord  - record index in the layer file, the four owner bits, Changed;
//   ColourWord - display colour and colour state, never stored;
//   IdentWord  - survey-document identifier (OperatId) and the Archived bit.
//
// Ownership: an object is owned through its owner bits (sublayer list, block,
// undo entries), not through a smart pointer. Each owner sets its bit when it
// takes the object, clears it when it lets go and then calls FreeGraphObj,
// which deletes only an object that no owner claims. An object nobody ever
// claimed (a tool's working copy, a clone) is freed by whoever made it.
//
// Threads: objects hold no locks. The view's redraw threads call Draw and the
// other const operations while the GUI thread may edit a sublayer; the
// sublayer's lock guards its list. The drawing variants work on clones.
//
// Deriving: each class keeps its parent's virtual operations and appends its
// own after them. A class with fields of its own overrides CopyFieldsFrom
// (copy) and SaveToRecord / a record constructor (storage, objects/saverecord.h).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "foundation/containers/object.h"
#include "foundation/geometry/realgeom.h"
#include "foundation/geometry/topology.h"
#include "objects/edittoolsi.h"

class TRealCanvas;
class TDrawParamsImp;
class TRealPointsList;
class TClipBounds;
class TActivePoints;
class TKrzyz;
class TBlock;
class TBlockE;
class IPodwarstwa;
class IScaleCorrection;
class ObjectSaveRecord;

// IndexWord.
inline constexpr std::uint32_t kIndexMask = 0x07FFFFFF;     // bits 0-26: record index, 0 = never stored
inline constexpr std::uint32_t kIndexInBlock = 0x08000000;  // member of at least one block
inline constexpr std::uint32_t kIndexUndoAfter = 0x10000000;   // an undo operation holds it as its after-state
inline constexpr std::uint32_t kIndexUndoBefore = 0x20000000;  // an undo operation holds it as its before-state
inline constexpr std::uint32_t kIndexInList = 0x40000000;   // a sublayer's list holds it
inline constexpr std::uint32_t kIndexChanged = 0x80000000;  // differs from its stored record
inline constexpr std::uint32_t kIndexOwnerBits = 0x78000000;

// ColourWord.
inline constexpr std::uint32_t kColourRgb = 0x00FFFFFF;           // 0x00BBGGRR
inline constexpr std::uint32_t kColourDefault = 0x01000000;       // drawn in the sublayer's colour
inline constexpr std::uint32_t kColourModeMask = 0x06000000;      // 0 normal, 3 special, 1-2 pen untouched
inline constexpr std::uint32_t kColourModeSpecial = 0x06000000;   // the canvas's special colour
inline constexpr std::uint32_t kColourHighlightMask = 0x18000000; // highlight 1-3, 0 none
inline constexpr int kColourHighlightShift = 27;
inline constexpr std::uint32_t kColourNewObject = 0x01000000;     // every new, loaded or copied object

// IdentWord.
inline constexpr std::uint32_t kIdentOperatMask = 0x7FFFFFFF;  // survey document, 0 = none
inline constexpr std::uint32_t kIdentArchived = 0x80000000;    // read from the layer file's archive

// Capability words of GetCapabilities (bits as in viewi.h kBlock...).
inline constexpr std::uint16_t kCapsBase = 0x0800;
inline constexpr std::uint16_t kCapsLinear = 0x0807;
inline constexpr std::uint16_t kCapsText = 0x0BB8;
inline constexpr std::uint16_t kCapsSymbol = 0x0BF8;
inline constexpr std::uint16_t kCapsFraction = 0x0FB8;

// Kinds of ObjectValue.
enum class TObjectValueKind : std::uint8_t { Number = 1, Text = 2, SymbolName = 3 };

// The value of an object for lists and exports (GetValue).
struct ObjectValue {
  TObjectValueKind Kind = TObjectValueKind::Number;
  double Number = 0.0;
  std::string Text;
};

// The handle set of an object being edited, as the objects fill and test it.
// The handle overlay of the view implements it.
class IActivePoints {
 public:
  static constexpr int kMaxPoints = 8;
  virtual ~IActivePoints() = default;
  // Entry I (0..7) := P; Count grows to I + 1 when smaller.
  virtual void SetPoint(int I, const TRealPoint& P) = 0;
  virtual void SetCount(int N) = 0;
  // 0 nothing hit, 1 inside the outline of a text or symbol, I + 2 handle I.
  virtual int HitTest(const TRealPoint& P) const = 0;
};

// The object information window, written by cell (row, column).
class IGrObjInfo {
 public:
  virtual ~IGrObjInfo() = default;
  virtual void SetLabel(int Row, int Col, const std::string& Text) = 0;
  virtual void SetValue(int Row, int Col, const std::string& Text) = 0;
};

class TEGraphObj;
// Reference and underline lines of a text (GetAuxLines); empty entries when none.
using TAuxLines = std::array<std::unique_ptr<TEGraphObj>, 4>;

class TEGraphObj : public TObject, public ITopologySource {
 public:
  // Create: Index 0, Changed set, unowned, ColourWord 0x01000000, IdentWord 0.
  TEGraphObj();
  // The base part of a record (objects/saverecord.h): its index (27 bits),
  // Changed clear, unowned, ColourWord 0x01000000, OperatId without bit 31,
  // Archived from the record's archive flag.
  explicit TEGraphObj(const ObjectSaveRecord& Rec);
  ~TEGraphObj() override;
  TEGraphObj(const TEGraphObj&) = delete;
  TEGraphObj& operator=(const TEGraphObj&) = delete;

  std::uint32_t IndexWord;
  std::uint32_t ColourWord;
  std::uint32_t IdentWord;

  // Virtual operations, in their fixed order.

  // Sets the canvas pen from the colour word: special colour, highlight or
  // RGB with the default-colour bit.
  virtual void ApplyColor(TRealCanvas& Canvas) const;
  // Base: (0, 0).
  virtual TRealPoint GetStartPoint() const;
  // Base: GetStartPoint.
  virtual TRealPoint GetEndPoint() const;
  // Base: GetStartPoint with Z 0.
  virtual TPointRec GetStartPoint3() const;
  // Base: GetStartPoint3.
  virtual TPointRec GetEndPoint3() const;
  // 1 start, 2 end, any other N (0, 0).
  virtual TRealPoint GetPointN(int N) const;
  virtual TPointRec GetPointN3(int N) const;
  // Virtual constructor: an empty object of this class.
  virtual std::unique_ptr<TEGraphObj> CreateNew() const = 0;
  // Virtual constructor: a new object of this class carrying Source's
  // copyable fields (Index 0, Changed, unowned, default colour, Source's
  // OperatId). Base: CreateNew, then CopyFieldsFrom (Source).
  virtual std::unique_ptr<TEGraphObj> CreateCopy(const TEGraphObj& Source) const;
  // Base: Clone. Families with a richer editable class return a converted copy.
  virtual std::unique_ptr<TEGraphObj> ToExtendedClass() const;
  // Base: ToExtendedClass; the extended classes return nullptr.
  virtual std::unique_ptr<TEGraphObj> ExtendedCopyOrNil() const;
  virtual void Draw(TRealCanvas& Canvas) const = 0;
  // Draws a transformed clone; the object itself does not change.
  virtual void DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const;
  virtual void Transform(const TAffineMatrix& M) = 0;
  // Draws a clone moved by D.
  virtual void DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const;
  virtual void Move(const TRealPoint& D) = 0;
  // Draws a clone whose point N is transformed.
  virtual void DrawPointTransformed(TRealCanvas& Canvas, int N, const TAffineMatrix& M) const;
  // Base: Transform (M), the whole object.
  virtual void TransformPoint(int N, const TAffineMatrix& M);
  virtual TRealRect GetBounds() const = 0;
  // Base: GetBounds; texts depend on the parameters.
  virtual TRealRect GetBoundsFor(const TDrawParamsImp* Params) const;
  // Base: true (the sublayer restores its canvas state before the object draws).
  virtual bool IsSimpleDraw() const;
  // Abstract: raises ENotImplemented.
  virtual void BendAroundCircle(double R, double A0);
  // Tol: half width (X) and half height (Y) of the box around P. Base: false.
  virtual bool IsNear(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params) const;
  // IsNear; when true D := DistanceTo, else D untouched.
  virtual bool HitDistance(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params,
                           double& D) const;
  // Base: 1e100, never the nearest.
  virtual double DistanceTo(const TRealPoint& P, const TDrawParamsImp* Params) const;
  // Base: Q unchanged.
  virtual void ProjectPoint(const TRealPoint& P, const TDrawParamsImp* Params, TPointRec& Q) const;
  // DistanceTo when IsNear, else -1.
  virtual double DistanceIfNear(const TRealPoint& P, const TRealPoint& Tol) const;
  // Base: ProjectPoint (P, nullptr, Q).
  virtual void NearestPoint(const TRealPoint& P, TPointRec& Q) const;
  // EndPointIndex of the point NearestPoint gives.
  virtual int NearestEndIndex(const TRealPoint& P) const;
  // Base: nothing.
  virtual void DrawMarker(TRealCanvas& Canvas) const;
  // Base: 0.
  virtual double GetLength() const;
  // Base: "".
  virtual std::string GetText() const;
  // Text when there is one (Kind Text), else the length (Kind Number).
  virtual ObjectValue GetValue() const;
  // D reduced by Corr's scale correction at the midpoint of the start and end
  // points; D itself when Corr is nullptr.
  virtual double GetCorrectedLength(const IScaleCorrection* Corr, double D) const;
  // Base: Far := GetStartPoint, nothing added to List.
  virtual void AppendPathPoints(const TRealPoint& From, TRealPointsList& List, TRealPoint& Far) const;
  // Base: -1.
  virtual double RayDistanceY(const TRealPoint& P) const;
  // 1 when P is the start point, 2 the end point, else 0.
  virtual int EndPointIndex(const TRealPoint& P) const;
  // Base: 0.
  virtual double GetDirectionAt(int N) const;
  // Base: false.
  virtual bool IsZeroLength() const;
  // Base: 0.
  virtual double GetAreaTerm(bool Dir, const TRealPoint& Origin) const;
  // Clears Rec and writes the index and identifier; classes add their fields.
  virtual void SaveToRecord(ObjectSaveRecord& Rec) const;
  // True for this object itself, or when this object is unowned and its
  // IndexWord equals Other's in all 32 bits.
  virtual bool IsSameObject(const TEGraphObj* Other) const;
  // Base: false. Editable classes show their parameter dialog.
  virtual bool Edit(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas, std::int32_t EraseColour);
  // Base: nothing (sheet-frame texts find their next field placeholder).
  virtual void NextField(std::string& Field);
  // Base: nothing (sheet-frame texts put a value in place of a field).
  virtual void ReplaceField(const std::string& Field, const std::string& Value);
  // Base: Points.HitTest (P).
  virtual int HitActivePoint(const TRealPoint& P, const IActivePoints& Points,
                             const TDrawParamsImp* Params) const;
  // Raises ENotImplemented "TEGraphObj.EditKrzyz"; editable classes return
  // their edit tool.
  virtual TEditToolPtr EditKrzyz(IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                                 std::int32_t Colour);
  // Abstract: raises ENotImplemented.
  virtual std::unique_ptr<TActivePoints> CreateActivePoints(TDrawParamsImp& Params) const;
  // Base: nothing (no handle points).
  virtual void GetSnapPoints(IActivePoints& Points, const TDrawParamsImp* Params) const;
  // The archive rows: "Z archiwum" and "Usunął", or "Modyfikował".
  virtual void FillInfo(IGrObjInfo& Info) const;
  // Abstract: raises ENotImplemented. The caller owns the outline.
  virtual std::unique_ptr<TClipBounds> CreateOutline(const TDrawParamsImp* Params) const;
  // Base: Clone; generated elements return a copy of their plain class.
  virtual std::unique_ptr<TEGraphObj> CreateBaseCopy() const;
  // Base: false.
  virtual bool IsStraightLine() const;
  // Base: false.
  virtual bool IsLinearObj() const;
  // Abstract: raises ENotImplemented (definition elements only).
  virtual bool GetDashInterval(float& A, float& B) const;
  // Base: all four empty.
  virtual void GetAuxLines(const TDrawParamsImp* Params, TAuxLines& Lines) const;
  // Base: 0x0800.
  virtual std::uint16_t GetCapabilities() const;
  // Abstract: raises ENotImplemented.
  virtual int ApplyParams(std::uint16_t Mask, const TBlockE& Dialog);
  // Base: false.
  virtual bool HasDPISymbol() const;
  // Base: true; each class adds its own fields.
  virtual bool SameGeometry(const TEGraphObj& Other) const;
  // Base: Segs[0] empty (no segment).
  void CreateTopologySegments(TTopologySegments& Segs, double Ext) override;

  // Copies the copyable fields of the class that overrides it from Source.
  // Each class first calls its parent's, then copies its own fields when
  // Source is of its class (dynamic_cast) and leaves them alone otherwise, so
  // that converting to a richer class keeps what CreateNew gave the extra
  // fields. The base copies the OperatId and keeps the Archived bit.
  virtual void CopyFieldsFrom(const TEGraphObj& Source);

  // Operations that are not virtual.

  std::uint32_t GetIndex() const { return IndexWord & kIndexMask; }
  // Keeps bits 27-31.
  void SetIndex(std::uint32_t I);
  // Index := I, owner bits kept, Changed cleared.
  void SetIndexUnchanged(std::uint32_t I);
  // Index := I, owner bits kept, Changed set.
  void SetIndexChanged(std::uint32_t I);
  bool IsChanged() const { return (IndexWord & kIndexChanged) != 0; }
  void MarkChanged() { IndexWord |= kIndexChanged; }
  void MarkInList() { IndexWord |= kIndexInList; }
  // Accepts nullptr.
  static void UnmarkInList(TEGraphObj* Obj);
  void MarkInBlock() { IndexWord |= kIndexInBlock; }
  // Clears InBlock unless the block manager reports Obj as a member of a
  // block other than Block; nullptr or no block manager: nothing.
  static void UnmarkInBlock(TEGraphObj* Obj, const TBlock* Block);
  // UndoBefore when BeforeState, else UndoAfter.
  void MarkUndoRef(bool BeforeState);
  // Accepts nullptr.
  static void UnmarkUndoRef(TEGraphObj* Obj, bool BeforeState);
  bool IsUnowned() const { return (IndexWord & kIndexOwnerBits) == 0; }

  // RGB := C's low 24 bits, DefaultColour cleared, bits 25-31 kept.
  void SetKolor(std::uint32_t C);
  bool HasDefaultColor() const { return (ColourWord & kColourDefault) != 0; }
  void SetDefaultColor(bool B);
  // The Highlight field in place: 0, 0x08000000, 0x10000000 or 0x18000000.
  std::uint32_t GetHighlightIndex() const { return ColourWord & kColourHighlightMask; }
  void SetHighlightIndex(std::uint32_t V);
  // The ColourMode field in place (V masked with 0x06000000).
  void SetColorMode(std::uint32_t V);

  std::uint32_t GetIdent() const { return IdentWord & kIdentOperatMask; }
  // Keeps Archived.
  void SetIdent(std::uint32_t I);
  bool IsArchived() const { return (IdentWord & kIdentArchived) != 0; }

  // CreateCopy (*this).
  std::unique_ptr<TEGraphObj> Clone() const;
  // A new object of Prototype's class carrying what this object's class
  // copies; the extra fields of the target keep what CreateNew gave them.
  std::unique_ptr<TEGraphObj> ConvertToClass(const TEGraphObj& Prototype) const;
  template <class T>
  std::unique_ptr<T> ConvertToClass() const {
    auto n = std::make_unique<T>();
    static_cast<TEGraphObj&>(*n).CopyFieldsFrom(*this);
    return n;
  }
  // Copies Source's copyable fields, keeping this object's IndexWord (index,
  // owner and change bits) and ColourWord; the Archived bit stays too.
  void Assign(const TEGraphObj& Source);
  // PrepareCanvas of the sublayer; when Colour is not -1 the pen takes Colour
  // and the canvas state is saved; then Draw.
  void DrawWithLayer(IPodwarstwa& Sublayer, TRealCanvas& Canvas, std::int32_t Colour) const;
};

// Deletes Obj when it is not nullptr and unowned; otherwise nothing.
void FreeGraphObj(TEGraphObj* Obj);

// Bends a point given as (offset X from a circle of radius R, arc length Y
// along it) around that circle, relative to its centre.
void PolarWrapPoint(TRealPoint& P, double R, double A0);

// Azimuth of (dX, dY) in [0, 2*pi), from the X axis towards the Y axis; a zero
// vector gives 3*pi/2. The canvas's Azimuth.
double VectorAzimuth(double dX, double dY);
