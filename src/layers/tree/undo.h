// Undo and redo of the changes that commands make to the objects of
// sublayers. A command makes an operation from the objects as they are, adds
// it to its view's TUndoManager and then changes the sublayer itself; the
// manager changes nothing on Add. Undo and redo replay the operations on the
// sublayers (TPodwarstwa::InsertObject, DeleteObject, ReplaceObject).
//
// Operations hold the objects of their before- and after-states through the
// owner bits of the object header: MarkUndoRef(true) (bit 29) for a
// before-state, MarkUndoRef(false) (bit 28) for an after-state. A freed
// operation lets go of its objects and frees those no owner holds any more;
// while the manager's Add runs (CurrentUndoManager set) a mark that another
// operation of the manager still holds in the same role is kept.
//
// Kinds: one change of one sublayer (TUndoOperationItem, named
// TUndoOperation), an object moved to another sublayer
// (TUndoChangeWarstwaOperation), and named groups (TBlockUndoOperation; with
// a block's reference points TBlockUndo; a block moved to another layer
// TBlockUndoOperationMove). A group is undone from its last member to its
// first and redone from its first to its last, so a group that changed one
// object more than once (A to A' to A'') replays each step over the state the
// step left.
//
// Failures: only the layer model's own error (EWarstwaError) is taken care
// of by the manager: the history on the failing side is thrown away, so the
// list and the sublayers never disagree again, and the user sees no message.
// Any other error leaves Undo and Redo with Position counting exactly the
// operations that are done, and passes on.
//
// Threads: GUI thread only; the manager takes no lock of its own (commands
// wait for the view's redraw thread before they change a sublayer).
// Ownership: the manager owns its operations, a group its members; an
// operation holds its objects through their owner bits and does not own its
// sublayers or its block.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "foundation/containers/objlist.h"
#include "foundation/geometry/realgeom.h"

class TBlock;
class TEGraphObj;
class TPodwarstwa;
class TUndoChangeWarstwaOperation;

// Kinds of an operation.
inline constexpr std::uint8_t kUndoDelete = 0;
inline constexpr std::uint8_t kUndoAdd = 1;
inline constexpr std::uint8_t kUndoModify = 2;  // also every group
inline constexpr std::uint8_t kUndoMove = 3;    // to another sublayer

// Flags of RefersTo.
inline constexpr std::uint8_t kUndoRefBefore = 1;  // a before-state of the operation
inline constexpr std::uint8_t kUndoRefAfter = 2;   // an after-state of the operation

// Menu captions: the word alone when there is nothing to name.
inline constexpr const char* kUndoCaption = "Cofnij";
inline constexpr const char* kRedoCaption = "Ponów";

// What the undo needs of the view's block manager and its blocks. The view
// installs it; without one, nothing is done for blocks.
class TUndoBlockManagerI {
 public:
  virtual ~TUndoBlockManagerI() = default;
  // Flag true: every block member that is Op's after-state object becomes
  // its before-state object with the source sublayer; false: every member
  // that is the before-state becomes the after-state with the target
  // sublayer. A replaced object that no owner holds any more is freed.
  virtual void RemoveObjectFromBlocks(TUndoChangeWarstwaOperation& Op, bool Flag) = 0;
  virtual TRealPoint GetRefPoint1(const TBlock& Block) const = 0;
  virtual TRealPoint GetRefPoint2(const TBlock& Block) const = 0;
  // Set the reference points and repaint the block's marks.
  virtual void SetRefPoint1(TBlock& Block, const TRealPoint& P) = 0;
  virtual void SetRefPoint2(TBlock& Block, const TRealPoint& P) = 0;
};

// The program's block manager for undo, or none (GUI thread; not owned).
TUndoBlockManagerI* UndoBlockManager();
void SetUndoBlockManager(TUndoBlockManagerI* Manager);

// Sets the default-colour bit and clears the highlight and the colour mode
// of an object's colour word, so a state kept for undo comes back plain.
void ResetUndoDisplayState(TEGraphObj& Obj);

// The abstract operation.
class TUndoOperationImp : public TObject {
 public:
  explicit TUndoOperationImp(std::uint8_t Kind) : Kind(Kind) {}
  TUndoOperationImp(const TUndoOperationImp&) = delete;
  TUndoOperationImp& operator=(const TUndoOperationImp&) = delete;

  const std::uint8_t Kind;

  // Base: an empty text.
  virtual std::string GetName() const { return {}; }
  virtual void Undo() = 0;
  virtual void Redo() = 0;
  // kUndoRefBefore and/or kUndoRefAfter when this operation holds Obj in
  // that role; never fails.
  virtual std::uint8_t RefersTo(const TEGraphObj* Obj) const = 0;
  // Something at P is being freed; base: nothing. Never fails.
  virtual void ForgetObject(const void* P) {}
};

// One change of one sublayer.
class TUndoOperationItem : public TUndoOperationImp {
 public:
  // kUndoDelete: Before is the deleted object, no After; kUndoAdd: no
  // Before, After is the added object; kUndoModify: both. Marks the objects
  // and resets Before's display state. A kind whose object is missing, or
  // no sublayer, raises EInternalError before anything is marked.
  TUndoOperationItem(std::uint8_t Kind, TEGraphObj* Before, TEGraphObj* After, TPodwarstwa* Sublayer);
  // Lets go of OldObject and then NewObject, freeing what nobody holds.
  ~TUndoOperationItem() override;

  void Undo() override;
  void Redo() override;
  std::uint8_t RefersTo(const TEGraphObj* Obj) const override;

  TEGraphObj* OldObject() const { return old_; }
  TEGraphObj* NewObject() const { return new_; }
  TPodwarstwa* Sublayer() const { return sublayer_; }
  // OldObject's identifier when the operation was made (0 without one).
  std::uint32_t OldIdent() const { return oldIdent_; }

 protected:
  // An item whose sublayer is known only later (objects made before the
  // sublayer that takes them is chosen): the objects are checked and marked
  // as above; SetSublayer must come before the first Undo or Redo, which
  // otherwise raise EInternalError.
  struct TSublayerLater {};
  TUndoOperationItem(std::uint8_t Kind, TEGraphObj* Before, TEGraphObj* After, TSublayerLater);
  void SetSublayer(TPodwarstwa* Sublayer) { sublayer_ = Sublayer; }
  // EInternalError when a kind that replays on a sublayer has none.
  void CheckSublayerGiven() const;

  TEGraphObj* old_ = nullptr;
  TEGraphObj* new_ = nullptr;
  TPodwarstwa* sublayer_ = nullptr;  // not owned
  std::uint32_t oldIdent_ = 0;
};

// One change with the name the menus show.
class TUndoOperation : public TUndoOperationItem {
 public:
  TUndoOperation(std::uint8_t Kind, TEGraphObj* Before, TEGraphObj* After, TPodwarstwa* Sublayer,
                 std::string Name);

  const std::string Name;
  std::string GetName() const override { return Name; }
};

// An object moved from one sublayer (Sublayer(), holding OldObject) to
// another (TargetSublayer(), holding NewObject). Kind kUndoMove.
class TUndoChangeWarstwaOperation : public TUndoOperation {
 public:
  // Both objects and both sublayers are needed (EInternalError otherwise,
  // before anything is marked).
  TUndoChangeWarstwaOperation(TEGraphObj* Before, TEGraphObj* After, TPodwarstwa* Source, TPodwarstwa* Target,
                              std::string Name);

  // Blocks back to OldObject; OldObject into the source; NewObject out of
  // the target.
  void Undo() override;
  // Blocks on to NewObject; OldObject out of the source; NewObject into the
  // target.
  void Redo() override;

  TPodwarstwa* TargetSublayer() const { return target_; }

 private:
  TPodwarstwa* target_ = nullptr;  // not owned
};

// A named group of operations, owning its members. Undo runs the members
// from the last to the first, Redo from the first to the last. When a member
// fails with an error other than EWarstwaError, the members this call
// already replayed are put back, so the group stays whole on its side.
class TBlockUndoOperation : public TUndoOperationImp {
 public:
  explicit TBlockUndoOperation(std::string Name);

  const std::string Name;

  // Appends a member in the order in which the command made the changes
  // (EInternalError for none).
  void Add(std::unique_ptr<TUndoOperationImp> Op);
  std::int32_t Count() const { return members_.Count(); }
  TUndoOperationImp* Member(std::int32_t Index) const { return members_.ItemAs<TUndoOperationImp>(Index); }

  std::string GetName() const override { return Name; }
  void Undo() override;
  void Redo() override;
  // The OR over the members.
  std::uint8_t RefersTo(const TEGraphObj* Obj) const override;

 private:
  TObjList members_;
};

// A group that also changed a block's two reference points.
class TBlockUndo : public TBlockUndoOperation {
 public:
  TBlockUndo(std::string Name, TBlock* Block, const TRealPoint& Before1, const TRealPoint& Before2,
             const TRealPoint& After1, const TRealPoint& After2);

  // The block's current reference points become the after-points (nothing
  // without the block or a block manager).
  void TakeFinalPoints();

  // The group, then the block's reference point 1 and point 2 set to the
  // before-points (Undo) or the after-points (Redo) while the block is known.
  void Undo() override;
  void Redo() override;
  // Forgets the block when P is the block.
  void ForgetObject(const void* P) override;

  TBlock* Block() const { return block_; }
  TRealPoint Before1, Before2, After1, After2;

 private:
  void SetPoints(const TRealPoint& P1, const TRealPoint& P2);
  TBlock* block_;  // not owned
};

// The group made by moving a block to another layer; its members are moves
// to another sublayer.
class TBlockUndoOperationMove : public TBlockUndoOperation {
 public:
  using TBlockUndoOperation::TBlockUndoOperation;
  // Every block holding a member's before-state object holds its after-state
  // with the target sublayer instead. The command calls it once, after all
  // members were added.
  void ApplyToBlocks();
};

// The undo list of one map view.
class TUndoManager : private TObjList {
 public:
  TUndoManager() = default;
  // Frees every operation, and with them every object only undo still held.
  ~TUndoManager() override = default;

  // Takes Op (EInternalError for none), drops the undone operations after
  // Position and makes Op the next to undo. Changes no sublayer; Locked does
  // not stop it.
  void Add(std::unique_ptr<TUndoOperationImp> Op);
  // Up to N steps back or forward (1 from the menu). N <= 0 only posts the
  // notice.
  void Undo(std::int32_t N);
  void Redo(std::int32_t N);
  bool CanUndo() const { return !locked_ && position_ > 0; }
  bool CanRedo() const { return !locked_ && position_ < Count(); }
  // The names of the next operation to undo and to redo, empty when none.
  std::string GetUndoName() const;
  std::string GetRedoName() const;
  // "Cofnij <name>" and "Ponów <name>", the word alone without a name.
  std::string UndoCaption() const;
  std::string RedoCaption() const;
  // A tool in the middle of a change locks the manager; a change posts the
  // notice.
  void SetLocked(bool B);
  bool Locked() const { return locked_; }
  // The OR of every operation's RefersTo.
  std::uint8_t RefersTo(const TEGraphObj* Obj) const;
  // ForgetObject (P) of every operation, in list order.
  void ForEachHook(const void* P);

  using TObjList::Count;
  TUndoOperationImp* Operation(std::int32_t Index) const { return ItemAs<TUndoOperationImp>(Index); }
  // The number of done operations: Operation (Position - 1) is the next to
  // undo, Operation (Position) the next to redo.
  std::int32_t Position() const { return position_; }

  // Called with each operation undone or redone; empty unless a tool sets
  // them.
  std::function<void(TUndoOperationImp&)> OnUndo;
  std::function<void(TUndoOperationImp&)> OnRedo;

 private:
  std::int32_t position_ = 0;
  bool locked_ = false;
};

// The manager whose Add is running, else none.
TUndoManager* CurrentUndoManager();
