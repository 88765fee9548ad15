// The undo manager: operations replayed on real line sublayers, the owner
// bits that keep the before- and after-states alive, the redo tail, the
// history thrown away after a failed replay, the order of a group's members,
// moves between sublayers and blocks, the menu captions and the notices to the
// main window.
#include "layers/tree/undo.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "foundation/errors.h"
#include "layers/tree/layernode.h"
#include "layers/tree/objectlist.h"
#include "layers/tree/sublayer.h"
#include "layers/tree/treehost.h"
#include "objects/grobj.h"
#include "objects/layerline.h"
#include "platform/gui/messages.h"

namespace {

// The owner bits as the undo uses them.
constexpr std::uint32_t kBeforeBit = 1u << 29;
constexpr std::uint32_t kAfterBit = 1u << 28;

// A straight line that counts its instances (clones included).
class TCountedLine : public TDefSpecLinia {
 public:
  TCountedLine() { ++Alive; }
  explicit TCountedLine(double X) : TDefSpecLinia(TRealPoint{X, 0}, TRealPoint{X, 10}) { ++Alive; }
  ~TCountedLine() override { --Alive; }
  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TCountedLine>(); }
  static inline int Alive = 0;
};

// An operation that logs its replays and fails on request.
class TLogOp : public TUndoOperationImp {
 public:
  enum class TFail { None, Warstwa, Other };
  TLogOp(std::vector<std::string>& Log, std::string Id, std::string Name = {})
      : TUndoOperationImp(kUndoModify), log_(Log), id_(std::move(Id)), name_(std::move(Name)) {}
  ~TLogOp() override { log_.push_back("free " + id_); }
  TFail FailUndo = TFail::None;
  TFail FailRedo = TFail::None;

  std::string GetName() const override { return name_; }
  void Undo() override { Step("u", FailUndo); }
  void Redo() override { Step("r", FailRedo); }
  std::uint8_t RefersTo(const TEGraphObj*) const override { return 0; }

 private:
  void Step(const std::string& What, TFail Fail) {
    if (Fail == TFail::Warstwa) {
      log_.push_back(What + id_ + "!");
      throw EWarstwaError(5);
    }
    if (Fail == TFail::Other) {
      log_.push_back(What + id_ + "!");
      throw std::runtime_error("awaria");
    }
    log_.push_back(What + id_);
  }
  std::vector<std::string>& log_;
  std::string id_, name_;
};

// A block manager that records what the undo asked of it, with the state of
// the sublayers at the time of each call.
class TFakeBlocks : public TUndoBlockManagerI {
 public:
  struct TCall {
    TUndoChangeWarstwaOperation* Op;
    bool Flag;
    int OldInSource;  // index of the before-state in the source at the call
  };
  std::vector<TCall> Calls;
  std::vector<std::string> PointLog;
  TRealPoint P1{1, 1}, P2{2, 2};

  void RemoveObjectFromBlocks(TUndoChangeWarstwaOperation& Op, bool Flag) override {
    Calls.push_back({&Op, Flag, Op.Sublayer()->IndexOfObject(Op.OldObject())});
  }
  TRealPoint GetRefPoint1(const TBlock&) const override { return P1; }
  TRealPoint GetRefPoint2(const TBlock&) const override { return P2; }
  void SetRefPoint1(TBlock&, const TRealPoint& P) override {
    P1 = P;
    PointLog.push_back("1");
  }
  void SetRefPoint2(TBlock&, const TRealPoint& P) override {
    P2 = P;
    PointLog.push_back("2");
  }
};

// Two line sublayers without a file, a manager, and a main window that counts
// the undo notices. Commands record first and change the sublayer after, as
// the editing tools do.
class UndoWorld {
 public:
  UndoWorld() {
    TCountedLine::Alive = 0;
    // The object lists exist before the window listens: their own notice
    // (wParam 3) is not counted anyway, but this keeps the queue short.
    a.InsertObject(Stored(1000, 90));
    b.InsertObject(Stored(1000, 91));
    wnd_ = platform::RegisterWindow([this](std::uint32_t msg, std::uintptr_t w, std::intptr_t) {
      if (msg == kMsgMainFormNotify && w == kMainFormUndoChanged) ++notices_;
      return std::intptr_t{0};
    });
    SetMainFormWindow(wnd_);
  }
  ~UndoWorld() {
    SetMainFormWindow(0);
    platform::UnregisterWindow(wnd_);
    SetUndoBlockManager(nullptr);
  }

  // Undo notices delivered since the last call.
  int Notices() {
    platform::PumpPostedMessages();
    return std::exchange(notices_, 0);
  }

  // A stored line (record number N).
  static TCountedLine* Stored(std::uint32_t N, double X = 10) {
    auto* l = new TCountedLine(X);
    l->SetIndexUnchanged(N);
    return l;
  }
  // A new line (record number 0).
  static TCountedLine* Fresh(double X = 20) { return new TCountedLine(X); }

  TCountedLine* AddCmd(TPodwarstwa& S, double X = 20, const std::string& Name = "Dodanie") {
    TCountedLine* obj = Fresh(X);
    manager->Add(std::make_unique<TUndoOperation>(kUndoAdd, nullptr, obj, &S, Name));
    S.AddObject(obj);
    return obj;
  }
  void DeleteCmd(TPodwarstwa& S, TEGraphObj* Obj, const std::string& Name = "Usunięcie") {
    manager->Add(std::make_unique<TUndoOperation>(kUndoDelete, Obj, nullptr, &S, Name));
    S.DeleteObject(Obj);
  }
  TCountedLine* ModifyCmd(TPodwarstwa& S, TEGraphObj* Old, const std::string& Name = "Modyfikacja położenia") {
    TCountedLine* now = Fresh(77);
    manager->Add(std::make_unique<TUndoOperation>(kUndoModify, Old, now, &S, Name));
    S.ReplaceObject(Old, now);
    return now;
  }
  static bool Holds(const TPodwarstwa& S, const TEGraphObj* Obj) { return S.IndexOfObject(Obj) >= 0; }

  std::vector<std::string> log;  // of the TLogOp operations; outlives them
  TPodwarstwaLiniowa a{nullptr, nullptr, 1, nullptr};
  TPodwarstwaLiniowa b{nullptr, nullptr, 2, nullptr};
  std::unique_ptr<TUndoManager> manager = std::make_unique<TUndoManager>();

 private:
  platform::HWND wnd_ = 0;
  int notices_ = 0;
};

// --- The edge cases, one scenario a row ---------------------------------------

struct EdgeCase {
  const char* name;
  std::function<void(UndoWorld&)> run;
};

const EdgeCase kEdgeCases[] = {
    {"NewOperationAfterTwoUndosDropsTheRedoTail",
     [](UndoWorld& w) {
       w.AddCmd(w.a, 1, "Dodanie");
       TCountedLine* x2 = w.AddCmd(w.a, 2, "Dodanie numeru");
       TCountedLine* x3 = w.AddCmd(w.a, 3, "Kopiowanie");
       w.manager->Undo(2);
       EXPECT_FALSE(UndoWorld::Holds(w.a, x2));
       EXPECT_FALSE(UndoWorld::Holds(w.a, x3));
       EXPECT_EQ(w.manager->GetRedoName(), "Dodanie numeru");
       TCountedLine* x4 = UndoWorld::Fresh(4);
       const int alive = TCountedLine::Alive;
       w.manager->Add(std::make_unique<TUndoOperation>(kUndoAdd, nullptr, x4, &w.a, "Dodanie czołówki"));
       // Only undo held the two undone lines: both are freed with their
       // operations.
       EXPECT_EQ(TCountedLine::Alive, alive - 2);
       w.a.AddObject(x4);
       EXPECT_EQ(w.manager->Count(), 2);
       EXPECT_EQ(w.manager->Position(), 2);
       EXPECT_FALSE(w.manager->CanRedo());
       EXPECT_EQ(w.manager->GetRedoName(), "");
       EXPECT_EQ(w.manager->GetUndoName(), "Dodanie czołówki");
     }},
    {"UndoOfADeletePutsBackTheVeryInstance",
     [](UndoWorld& w) {
       TCountedLine* s = UndoWorld::Stored(5);
       w.a.InsertObject(s);
       w.DeleteCmd(w.a, s);
       ASSERT_FALSE(UndoWorld::Holds(w.a, s));
       w.manager->Undo(1);
       EXPECT_EQ(w.a.GetObjectAt(w.a.IndexOfObject(s)), s);
       EXPECT_EQ(w.a.Deleted()->Count(), 0);
       w.manager->Redo(1);
       EXPECT_FALSE(UndoWorld::Holds(w.a, s));
       ASSERT_EQ(w.a.Deleted()->Count(), 1);
       EXPECT_EQ(w.a.Deleted()->Get(0), s);
     }},
    {"ObjectHeldInBothRolesSurvivesEitherOperationFreedAlone",
     [](UndoWorld& w) {
       for (bool addFreedFirst : {true, false}) {
         SCOPED_TRACE(addFreedFirst ? "add freed first" : "modify freed first");
         TCountedLine* x = UndoWorld::Fresh();
         auto add = std::make_unique<TUndoOperation>(kUndoAdd, nullptr, x, &w.a, "Dodanie");
         w.a.AddObject(x);
         TCountedLine* y = UndoWorld::Fresh(30);
         auto modify = std::make_unique<TUndoOperation>(kUndoModify, x, y, &w.a, "Modyfikacja parametrów");
         w.a.ReplaceObject(x, y);
         EXPECT_EQ(x->IndexWord & kIndexOwnerBits, kBeforeBit | kAfterBit);
         const int alive = TCountedLine::Alive;
         (addFreedFirst ? add : modify).reset();
         EXPECT_EQ(TCountedLine::Alive, alive);
         EXPECT_EQ(x->IndexWord & kIndexOwnerBits, addFreedFirst ? kBeforeBit : kAfterBit);
         (addFreedFirst ? modify : add).reset();
         EXPECT_EQ(TCountedLine::Alive, alive - 1);
       }
     }},
    {"DroppedRedoTailKeepsTheMarkTheNewOperationHolds",
     [](UndoWorld& w) {
       TCountedLine* s = UndoWorld::Fresh();
       w.a.AddObject(s);
       w.DeleteCmd(w.a, s);
       w.manager->Undo(1);
       ASSERT_TRUE(UndoWorld::Holds(w.a, s));
       // The new operation holds s as its before-state too; dropping the
       // undone delete must not take that mark away.
       const int alive = TCountedLine::Alive;
       TCountedLine* s2 = w.ModifyCmd(w.a, s);
       EXPECT_EQ(w.manager->Count(), 1);
       ASSERT_EQ(TCountedLine::Alive, alive + 1);  // s2 made, s not freed
       EXPECT_NE(s->IndexWord & kBeforeBit, 0u);
       EXPECT_FALSE(UndoWorld::Holds(w.a, s));  // replaced, kept alive by undo
       w.manager->Undo(1);
       EXPECT_TRUE(UndoWorld::Holds(w.a, s));
       EXPECT_FALSE(UndoWorld::Holds(w.a, s2));
     }},
    {"OperationsDroppedByAddAreFreedWhileCurrentUndoManagerIsSet",
     [](UndoWorld& w) {
       struct TWatch : TLogOp {
         using TLogOp::TLogOp;
         TUndoManager** Seen = nullptr;
         ~TWatch() override { *Seen = CurrentUndoManager(); }
       };
       TUndoManager* seen = nullptr;
       auto watch = std::make_unique<TWatch>(w.log, "1");
       watch->Seen = &seen;
       w.manager->Add(std::move(watch));
       EXPECT_EQ(CurrentUndoManager(), nullptr);
       w.manager->Undo(1);
       w.manager->Add(std::make_unique<TLogOp>(w.log, "2"));
       EXPECT_EQ(seen, w.manager.get());
       EXPECT_EQ(CurrentUndoManager(), nullptr);
     }},
    {"UndoOfFiveWithPositionTwoUndoesTwoAndStops",
     [](UndoWorld& w) {
       TCountedLine* x1 = w.AddCmd(w.a, 1);
       TCountedLine* x2 = w.AddCmd(w.a, 2);
       w.Notices();
       w.manager->Undo(5);
       EXPECT_EQ(w.manager->Position(), 0);
       EXPECT_EQ(w.manager->Count(), 2);
       EXPECT_FALSE(UndoWorld::Holds(w.a, x1));
       EXPECT_FALSE(UndoWorld::Holds(w.a, x2));
       EXPECT_FALSE(w.manager->CanUndo());
       EXPECT_TRUE(w.manager->CanRedo());
       EXPECT_EQ(w.Notices(), 1);
     }},
    {"FailingRedoAtIndexThreeOfSixDropsItAndTheRest",
     [](UndoWorld& w) {
       w.AddCmd(w.a, 1);
       w.AddCmd(w.a, 2);
       w.AddCmd(w.a, 3);
       TCountedLine* s = UndoWorld::Stored(7);
       w.b.InsertObject(s);
       w.DeleteCmd(w.b, s);  // index 3
       w.AddCmd(w.a, 5);
       w.AddCmd(w.a, 6);
       w.manager->Undo(6);
       ASSERT_EQ(w.manager->Position(), 0);
       w.b.SetFlag(kNodeReadOnly);  // the delete cannot be redone
       w.Notices();
       w.manager->Redo(6);
       EXPECT_EQ(w.manager->Count(), 3);
       EXPECT_EQ(w.manager->Position(), 3);
       EXPECT_FALSE(w.manager->CanRedo());
       EXPECT_TRUE(w.manager->CanUndo());
       EXPECT_EQ(w.a.Objects()->Count(), 1 + 3);
       EXPECT_TRUE(UndoWorld::Holds(w.b, s));  // the sublayer still holds it
       EXPECT_EQ(s->IndexWord & (kBeforeBit | kAfterBit), 0u);
       EXPECT_EQ(w.Notices(), 1);
     }},
    {"FailingUndoDropsTheOperationAndEverythingBelow",
     [](UndoWorld& w) {
       std::vector<std::string>& log = w.log;
       for (const char* id : {"0", "1", "2", "3"}) w.manager->Add(std::make_unique<TLogOp>(log, id));
       static_cast<TLogOp*>(w.manager->Operation(1))->FailUndo = TLogOp::TFail::Warstwa;
       w.Notices();
       log.clear();
       w.manager->Undo(3);
       EXPECT_EQ(log, (std::vector<std::string>{"u3", "u2", "u1!", "free 1", "free 0"}));
       EXPECT_EQ(w.manager->Position(), 0);
       EXPECT_EQ(w.manager->Count(), 2);  // the undone ones stay to be redone
       EXPECT_TRUE(w.manager->CanRedo());
       EXPECT_EQ(w.Notices(), 1);
     }},
    {"LockedManagerAnswersNoAndLockingTwicePostsOnce",
     [](UndoWorld& w) {
       w.AddCmd(w.a, 1);
       w.AddCmd(w.a, 2);
       w.manager->Undo(1);
       w.Notices();
       w.manager->SetLocked(true);
       w.manager->SetLocked(true);
       EXPECT_EQ(w.Notices(), 1);
       EXPECT_FALSE(w.manager->CanUndo());
       EXPECT_FALSE(w.manager->CanRedo());
       w.AddCmd(w.a, 3);  // Add is not stopped by the lock
       EXPECT_EQ(w.manager->Count(), 2);
       w.Notices();
       w.manager->SetLocked(false);
       w.manager->SetLocked(false);
       EXPECT_EQ(w.Notices(), 1);
       EXPECT_TRUE(w.manager->CanUndo());
     }},
    {"NoStepsOnlyPostsTheNotice",
     [](UndoWorld& w) {
       w.AddCmd(w.a, 1);
       w.Notices();
       w.manager->Undo(0);
       w.manager->Redo(-1);
       EXPECT_EQ(w.manager->Position(), 1);
       EXPECT_EQ(w.Notices(), 2);
     }},
};

class UndoEdgeCases : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(UndoEdgeCases, Run) {
  UndoWorld w;
  GetParam().run(w);
}

INSTANTIATE_TEST_SUITE_P(Manager, UndoEdgeCases, ::testing::ValuesIn(kEdgeCases),
                         [](const ::testing::TestParamInfo<EdgeCase>& i) { return std::string(i.param.name); });

// --- Further behaviour ----------------------------------------------------------

class UndoTest : public ::testing::Test {
 protected:
  UndoWorld w;
  std::vector<std::string>& log = w.log;
};

TEST_F(UndoTest, MenuCaptionsNameTheNextOperationOrShowTheWordAlone) {
  EXPECT_EQ(w.manager->UndoCaption(), "Cofnij");
  EXPECT_EQ(w.manager->RedoCaption(), "Ponów");
  EXPECT_EQ(w.manager->GetUndoName(), "");
  w.AddCmd(w.a, 1, "Dodanie");
  auto group = std::make_unique<TBlockUndoOperation>("Usunięcie bloku");
  w.manager->Add(std::move(group));
  EXPECT_EQ(w.manager->UndoCaption(), "Cofnij Usunięcie bloku");
  EXPECT_EQ(w.manager->RedoCaption(), "Ponów");
  w.manager->Undo(1);
  EXPECT_EQ(w.manager->UndoCaption(), "Cofnij Dodanie");
  EXPECT_EQ(w.manager->RedoCaption(), "Ponów Usunięcie bloku");
  w.manager->Undo(1);
  EXPECT_EQ(w.manager->UndoCaption(), "Cofnij");
  EXPECT_EQ(w.manager->RedoCaption(), "Ponów Dodanie");
  // An operation without a name gives the word alone.
  TCountedLine* x = UndoWorld::Fresh();
  w.manager->Add(std::make_unique<TUndoOperationItem>(kUndoAdd, nullptr, x, &w.a));
  w.a.AddObject(x);
  EXPECT_EQ(w.manager->UndoCaption(), "Cofnij");
}

TEST_F(UndoTest, GroupUndoesItsMembersLastFirstAndRedoesThemFirstFirst) {
  auto group = std::make_unique<TBlockUndoOperation>("Modyfikacja bloku");
  for (const char* id : {"1", "2", "3"}) group->Add(std::make_unique<TLogOp>(log, id));
  w.manager->Add(std::move(group));
  w.manager->Undo(1);
  w.manager->Redo(1);
  EXPECT_EQ(log, (std::vector<std::string>{"u3", "u2", "u1", "r1", "r2", "r3"}));
}

TEST_F(UndoTest, GroupThatChangedOneObjectTwiceIsUndoneAndRedone) {
  // A node edit that moved one line twice: A -> A1 -> A2 in one group.
  TCountedLine* a0 = UndoWorld::Stored(3);
  w.a.InsertObject(a0);
  auto group = std::make_unique<TBlockUndoOperation>("Modyfikacja węzła");
  TCountedLine* a1 = UndoWorld::Fresh(31);
  group->Add(std::make_unique<TUndoOperationItem>(kUndoModify, a0, a1, &w.a));
  w.a.ReplaceObject(a0, a1);
  TCountedLine* a2 = UndoWorld::Fresh(32);
  group->Add(std::make_unique<TUndoOperationItem>(kUndoModify, a1, a2, &w.a));
  w.a.ReplaceObject(a1, a2);
  w.manager->Add(std::move(group));
  EXPECT_EQ(a1->IndexWord & kIndexOwnerBits, kBeforeBit | kAfterBit);

  w.manager->Undo(1);
  ASSERT_EQ(w.manager->Count(), 1);  // the history was kept (and a0 with it)
  EXPECT_EQ(w.manager->Position(), 0);
  ASSERT_TRUE(UndoWorld::Holds(w.a, a0));
  EXPECT_FALSE(UndoWorld::Holds(w.a, a1));
  EXPECT_FALSE(UndoWorld::Holds(w.a, a2));
  EXPECT_EQ(a0->GetIndex(), 3u);

  w.manager->Redo(1);
  EXPECT_EQ(w.manager->Position(), 1);
  EXPECT_TRUE(UndoWorld::Holds(w.a, a2));
  EXPECT_FALSE(UndoWorld::Holds(w.a, a0));
  EXPECT_EQ(a2->GetIndex(), 3u);

  w.manager->Undo(1);
  EXPECT_TRUE(UndoWorld::Holds(w.a, a0));
  const int alive = TCountedLine::Alive;
  w.manager.reset();  // a1 and a2 were held by undo alone
  EXPECT_EQ(TCountedLine::Alive, alive - 2);
}

TEST_F(UndoTest, AnotherErrorLeavesThePositionCountingWhatIsDoneAndPostsTheNotice) {
  for (const char* id : {"0", "1", "2"}) w.manager->Add(std::make_unique<TLogOp>(log, id));
  auto* op1 = static_cast<TLogOp*>(w.manager->Operation(1));
  auto* op2 = static_cast<TLogOp*>(w.manager->Operation(2));
  w.Notices();

  // Undo: op 2 is undone, op 1 fails: Position stays at 2, nothing dropped.
  op1->FailUndo = TLogOp::TFail::Other;
  EXPECT_THROW(w.manager->Undo(3), std::runtime_error);
  EXPECT_EQ(w.manager->Position(), 2);
  EXPECT_EQ(w.manager->Count(), 3);
  EXPECT_EQ(w.manager->GetUndoName(), op1->GetName());
  EXPECT_EQ(w.Notices(), 1);

  // Redo: op 2 fails and stays the next to redo.
  op1->FailUndo = TLogOp::TFail::None;
  op2->FailRedo = TLogOp::TFail::Other;
  EXPECT_THROW(w.manager->Redo(1), std::runtime_error);
  EXPECT_EQ(w.manager->Position(), 2);
  EXPECT_EQ(w.Notices(), 1);

  // A listener that fails after the replay: the operation is done.
  op2->FailRedo = TLogOp::TFail::None;
  w.manager->OnRedo = [](TUndoOperationImp&) { throw std::runtime_error("słuchacz"); };
  EXPECT_THROW(w.manager->Redo(1), std::runtime_error);
  EXPECT_EQ(w.manager->Position(), 3);
  w.manager->OnRedo = nullptr;
  w.manager->OnUndo = [](TUndoOperationImp&) { throw std::runtime_error("słuchacz"); };
  EXPECT_THROW(w.manager->Undo(1), std::runtime_error);
  EXPECT_EQ(w.manager->Position(), 2);
  EXPECT_EQ(w.Notices(), 2);
  EXPECT_EQ(w.manager->Count(), 3);
}

TEST_F(UndoTest, GroupFailingWithAnotherErrorPutsBackWhatItReplayed) {
  auto group = std::make_unique<TBlockUndoOperation>("Usuwanie");
  for (const char* id : {"1", "2", "3"}) group->Add(std::make_unique<TLogOp>(log, id));
  auto* m1 = static_cast<TLogOp*>(group->Member(0));
  auto* m2 = static_cast<TLogOp*>(group->Member(1));
  w.manager->Add(std::move(group));

  m2->FailUndo = TLogOp::TFail::Other;
  EXPECT_THROW(w.manager->Undo(1), std::runtime_error);
  EXPECT_EQ(log, (std::vector<std::string>{"u3", "u2!", "r3"}));
  EXPECT_EQ(w.manager->Position(), 1);

  m2->FailUndo = TLogOp::TFail::None;
  w.manager->Undo(1);
  log.clear();
  m2->FailRedo = TLogOp::TFail::Other;
  EXPECT_THROW(w.manager->Redo(1), std::runtime_error);
  EXPECT_EQ(log, (std::vector<std::string>{"r1", "r2!", "u1"}));
  EXPECT_EQ(w.manager->Position(), 0);

  // The layer model's error is left to the manager: no putting back, the
  // group and what follows it go.
  log.clear();
  m2->FailRedo = TLogOp::TFail::None;
  m1->FailRedo = TLogOp::TFail::Warstwa;
  w.manager->Redo(1);
  EXPECT_EQ(log, (std::vector<std::string>{"r1!", "free 3", "free 2", "free 1"}));
  EXPECT_EQ(w.manager->Count(), 0);
}

TEST_F(UndoTest, MoveToAnotherSublayerAndBack) {
  TFakeBlocks blocks;
  TCountedLine* x = UndoWorld::Stored(11);
  w.a.InsertObject(x);
  TCountedLine* moved = UndoWorld::Fresh(40);
  auto op = std::make_unique<TUndoChangeWarstwaOperation>(x, moved, &w.a, &w.b, "Przenoszenie");
  TUndoChangeWarstwaOperation* raw = op.get();
  EXPECT_EQ(raw->Kind, kUndoMove);
  EXPECT_EQ(raw->TargetSublayer(), &w.b);
  w.manager->Add(std::move(op));
  w.a.DeleteObject(x);
  w.b.InsertObject(moved);

  // Without a block manager nothing is asked of blocks.
  w.manager->Undo(1);
  EXPECT_TRUE(UndoWorld::Holds(w.a, x));
  EXPECT_FALSE(UndoWorld::Holds(w.b, moved));
  EXPECT_EQ(w.a.Deleted()->Count(), 0);

  SetUndoBlockManager(&blocks);
  w.manager->Redo(1);
  EXPECT_FALSE(UndoWorld::Holds(w.a, x));
  EXPECT_TRUE(UndoWorld::Holds(w.b, moved));
  w.manager->Undo(1);
  EXPECT_TRUE(UndoWorld::Holds(w.a, x));
  EXPECT_FALSE(UndoWorld::Holds(w.b, moved));

  // The blocks are asked first: on redo x is still in the source, on undo
  // not yet back.
  ASSERT_EQ(blocks.Calls.size(), 2u);
  EXPECT_EQ(blocks.Calls[0].Op, raw);
  EXPECT_FALSE(blocks.Calls[0].Flag);
  EXPECT_GE(blocks.Calls[0].OldInSource, 0);
  EXPECT_TRUE(blocks.Calls[1].Flag);
  EXPECT_EQ(blocks.Calls[1].OldInSource, -1);

  // The moved line lives only in undo now: freed with the manager.
  const int alive = TCountedLine::Alive;
  w.manager.reset();
  EXPECT_EQ(TCountedLine::Alive, alive - 1);
}

TEST_F(UndoTest, BlockMoveAppliesEveryMemberToTheBlocks) {
  TFakeBlocks blocks;
  auto group = std::make_unique<TBlockUndoOperationMove>("Przenoszenie bloku");
  std::vector<TUndoChangeWarstwaOperation*> members;
  for (double x : {1.0, 2.0}) {
    TCountedLine* from = UndoWorld::Stored(static_cast<std::uint32_t>(x), x);
    w.a.InsertObject(from);
    auto m = std::make_unique<TUndoChangeWarstwaOperation>(from, UndoWorld::Fresh(x), &w.a, &w.b, "Przenoszenie");
    members.push_back(m.get());
    group->Add(std::move(m));
  }
  group->ApplyToBlocks();  // no block manager: nothing
  SetUndoBlockManager(&blocks);
  group->ApplyToBlocks();
  ASSERT_EQ(blocks.Calls.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(blocks.Calls[i].Op, members[i]);
    EXPECT_FALSE(blocks.Calls[i].Flag);
  }
  EXPECT_EQ(group->Kind, kUndoModify);
  EXPECT_EQ(group->RefersTo(members[1]->NewObject()), kUndoRefAfter);
  EXPECT_EQ(group->RefersTo(members[0]->OldObject()), kUndoRefBefore);
}

TEST_F(UndoTest, BlockReferencePointsFollowUndoAndRedoUntilTheBlockIsForgotten) {
  TFakeBlocks blocks;
  SetUndoBlockManager(&blocks);
  std::max_align_t blockStorage{};
  auto* block = reinterpret_cast<TBlock*>(&blockStorage);  // never dereferenced by the undo
  auto op = std::make_unique<TBlockUndo>("Przenoszenie bloku", block, TRealPoint{1, 1}, TRealPoint{2, 2},
                                         TRealPoint{}, TRealPoint{});
  op->Add(std::make_unique<TLogOp>(log, "1"));
  TBlockUndo* raw = op.get();
  w.manager->Add(std::move(op));
  blocks.P1 = {11, 11};
  blocks.P2 = {12, 12};
  raw->TakeFinalPoints();
  EXPECT_EQ(raw->After1, (TRealPoint{11, 11}));
  EXPECT_EQ(raw->After2, (TRealPoint{12, 12}));

  w.manager->Undo(1);
  EXPECT_EQ(blocks.P1, (TRealPoint{1, 1}));
  EXPECT_EQ(blocks.P2, (TRealPoint{2, 2}));
  w.manager->Redo(1);
  EXPECT_EQ(blocks.P1, (TRealPoint{11, 11}));
  EXPECT_EQ(blocks.P2, (TRealPoint{12, 12}));
  EXPECT_EQ(blocks.PointLog, (std::vector<std::string>{"1", "2", "1", "2"}));
  EXPECT_EQ(log, (std::vector<std::string>{"u1", "r1"}));

  // The block is being freed: the view hands it to every operation.
  w.manager->ForEachHook(&log);  // another pointer: nothing
  EXPECT_EQ(raw->Block(), block);
  w.manager->ForEachHook(block);
  EXPECT_EQ(raw->Block(), nullptr);
  w.manager->Undo(1);
  EXPECT_EQ(blocks.PointLog.size(), 4u);
  EXPECT_EQ(log.back(), "u1");
}

TEST_F(UndoTest, MakingAnOperationMarksItsObjectsAndResetsTheBeforeStateDisplay) {
  TCountedLine* before = UndoWorld::Stored(4);
  TCountedLine* after = UndoWorld::Fresh();
  before->SetKolor(0x123456);
  before->SetHighlightIndex(0x10000000);
  before->SetColorMode(0x06000000);
  after->SetHighlightIndex(0x08000000);
  before->SetIdent(0x1234);
  w.a.InsertObject(before);
  {
    TUndoOperation op(kUndoModify, before, after, &w.a, "Modyfikacja parametrów");
    EXPECT_EQ(before->IndexWord & kIndexOwnerBits, kBeforeBit | kIndexInList);
    EXPECT_EQ(after->IndexWord & kIndexOwnerBits, kAfterBit);
    EXPECT_TRUE(before->HasDefaultColor());
    EXPECT_EQ(before->ColourWord & (kColourHighlightMask | kColourModeMask), 0u);
    EXPECT_EQ(before->ColourWord & kColourRgb, 0x123456u);
    EXPECT_EQ(after->GetHighlightIndex(), 0x08000000u);
    EXPECT_EQ(op.OldIdent(), 0x1234u);
    EXPECT_EQ(op.RefersTo(before), kUndoRefBefore);
    EXPECT_EQ(op.RefersTo(after), kUndoRefAfter);
    EXPECT_EQ(op.RefersTo(nullptr), 0);
  }
  // Freed on its own: the marks go; after was held by nobody else.
  EXPECT_EQ(before->IndexWord & kIndexOwnerBits, kIndexInList);
  EXPECT_EQ(TCountedLine::Alive, 3);  // the two lists' first lines and before
}

TEST_F(UndoTest, AnOperationMissingWhatItsKindNeedsIsRefusedBeforeAnyMark) {
  TCountedLine x(1);
  struct Row {
    std::uint8_t kind;
    bool before, after, sublayer;
  };
  for (const Row& r : {Row{kUndoDelete, false, false, true}, Row{kUndoAdd, true, false, true},
                       Row{kUndoModify, true, false, true}, Row{kUndoModify, false, true, true},
                       Row{kUndoModify, true, true, false}}) {
    SCOPED_TRACE(static_cast<int>(r.kind));
    EXPECT_THROW((void)TUndoOperationItem(r.kind, r.before ? &x : nullptr, r.after ? &x : nullptr,
                                    r.sublayer ? &w.a : nullptr),
                 EInternalError);
    EXPECT_EQ(x.IndexWord & kIndexOwnerBits, 0u);
  }
  EXPECT_THROW((void)TUndoChangeWarstwaOperation(&x, &x, &w.a, nullptr, "Przenoszenie"), EInternalError);
  EXPECT_EQ(x.IndexWord & kIndexOwnerBits, 0u);
  EXPECT_THROW(w.manager->Add(nullptr), EInternalError);
  EXPECT_THROW(TBlockUndoOperation("Usuwanie").Add(nullptr), EInternalError);
  // A kind without a replay does nothing.
  TUndoOperationItem other(7, nullptr, nullptr, nullptr);
  other.Undo();
  other.Redo();
}

TEST_F(UndoTest, EachChangeOfStatePostsOneNotice) {
  w.Notices();
  w.AddCmd(w.a, 1);
  EXPECT_EQ(w.Notices(), 1);
  w.AddCmd(w.a, 2);
  w.AddCmd(w.a, 3);
  EXPECT_EQ(w.Notices(), 2);
  w.manager->Undo(2);
  EXPECT_EQ(w.Notices(), 1);
  w.manager->Redo(1);
  EXPECT_EQ(w.Notices(), 1);
  w.manager->Redo(5);  // one step left
  EXPECT_EQ(w.Notices(), 1);
  EXPECT_EQ(w.manager->Position(), 3);
  // Without a main window nothing is posted and nothing fails.
  SetMainFormWindow(0);
  w.manager->Undo(1);
  EXPECT_EQ(w.Notices(), 0);
}

// ASan checks that nothing is left behind and nothing freed twice, whichever
// goes first: the sublayers or the manager.
TEST(UndoLifetime, FreeingTheManagerOrTheSublayersFirstLeavesNoLeakAndNoDoubleFree) {
  for (bool managerFirst : {true, false}) {
    SCOPED_TRACE(managerFirst ? "manager first" : "sublayers first");
    {
      auto w = std::make_unique<UndoWorld>();
      TCountedLine* s = UndoWorld::Stored(3);
      w->a.InsertObject(s);
      w->DeleteCmd(w->a, s);  // in the deleted list and in undo
      TCountedLine* t = UndoWorld::Stored(4);
      w->b.InsertObject(t);
      w->ModifyCmd(w->b, t);  // t in undo only
      w->AddCmd(w->a, 5);
      w->manager->Undo(1);  // the added line in undo only
      if (managerFirst) {
        w->manager.reset();
      } else {
        std::unique_ptr<TUndoManager> keep = std::move(w->manager);
        w.reset();
        EXPECT_GT(TCountedLine::Alive, 0);  // what undo holds outlives the sublayers
        keep.reset();
      }
    }
    EXPECT_EQ(TCountedLine::Alive, 0);
  }
}

}  // namespace
