#include "layers/tree/layertree.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <functional>
#include <utility>

#include "drawing/realcanvas.h"
#include "foundation/threads/cancel.h"
#include "foundation/text/textutil.h"
#include "foundation/users/users.h"
#include "layers/store/dberrors.h"
#include "layers/store/layerapi.h"
#include "layers/store/layerenum.h"
#include "layers/dialogs/layerdlg.h"
#include "layers/store/layerquery.h"
#include "layers/tree/objectlist.h"
#include "layers/store/layerstats.h"
#include "layers/tree/sublayer.h"
#include "layers/tree/treehost.h"
#include "objects/saverecord.h"
#include "objects/symbollib.h"
#include "platform/files/codepage.h"
#include "platform/gui/controls_grids.h"
#include "platform/gui/controls_std.h"
#include "platform/files/files.h"

namespace {

constexpr std::uint32_t kTransformRight = 0x40000;
constexpr int kMaxSublayers = 250;
constexpr int kNewFileSlots = 10;
constexpr int kSlotsStep = 10;
constexpr std::uint32_t kNoSublayersColour = 0x808080;
// How many records a load reads between two looks at the cancel window.
constexpr int kCancelStride = 64;

bool TransformAllowed() { return UserManager().UserHasRight(LayerTreeHost().LoggedUser, kTransformRight); }

std::unique_ptr<TPodwarstwa> NewSublayer(bool line, TLayerStore* store, TWarstwaFile* handle, int number,
                                         TRealCanvas* canvas) {
  if (line) return std::make_unique<TPodwarstwaLiniowa>(store, handle, number, canvas);
  return std::make_unique<TPodwarstwaTextowa>(store, handle, number, canvas);
}

// A sublayer read from its stored header; the file is open.
std::unique_ptr<TPodwarstwa> SublayerFromHeader(bool line, TLayerStore* store, TWarstwaFile* handle, int number,
                                                TRealCanvas* canvas) {
  TWarstwaHeader header;
  if (line) return TPodwarstwaLiniowa::CreateFromHeader(header, store, handle, number, canvas);
  return TPodwarstwaTextowa::CreateFromHeader(header, store, handle, number, canvas);
}

// Raises Error again, of its own class and code, with Suffix after its message.
[[noreturn]] void RethrowWithSuffix(const std::string& suffix) {
  try {
    throw;
  } catch (const EDBWarstwaInvalidHIdx& e) {
    throw EDBWarstwaInvalidHIdx(e.Message() + suffix, e.Code);
  } catch (const EDBWarstwaExist& e) {
    throw EDBWarstwaExist(e.Message() + suffix, e.Code);
  } catch (const EDBWarstwaCreate& e) {
    throw EDBWarstwaCreate(e.Message() + suffix, e.Code);
  } catch (const EAccessError& e) {
    throw EAccessError(e.Message() + suffix, e.Code);
  } catch (const ENotOpen& e) {
    throw ENotOpen(e.Message() + suffix, e.Code);
  } catch (const EDBWarstwaError& e) {
    throw EDBWarstwaError(e.Message() + suffix, e.Code);
  }
}

// Closes the layer file on the way out of an error: the error being raised
// is the one the caller must see, so a failing close is not reported over it.
void CloseQuietly(TLayerStore& store, TWarstwaFile* handle) noexcept {
  try {
    DBInt::CloseWarstwa(store, handle);
  } catch (...) {
  }
}

// Runs Body on the open file and closes it in every case: a failed close
// after a successful Body is raised, after a failed Body the first error is.
template <class F>
void WithOpenFile(TLayerStore& store, TWarstwaFile* handle, F&& body) {
  try {
    body();
  } catch (...) {
    CloseQuietly(store, handle);
    throw;
  }
  DBInt::CloseWarstwa(store, handle);
}

// Looks at the cancel window every kCancelStride calls; true once the user
// cancelled. Only the GUI thread's window shows and is served here.
class TCancelPoll {
 public:
  explicit TCancelPoll(TCancel* cancel) : cancel_(cancel) {}
  bool Canceled() {
    if (cancel_ == nullptr) return false;
    if (cancel_->Canceled()) return true;
    if (++count_ < kCancelStride) return false;
    count_ = 0;
    try {
      cancel_->CheckCanceled();
    } catch (const ECanceled&) {
      return true;
    }
    return false;
  }

 private:
  TCancel* cancel_;
  int count_ = 0;
};

// What the layer header dialog asks of the layer it edits.
class TLayerLink : public TWarstwaLinkI {
 public:
  explicit TLayerLink(TWarstwa& layer) : layer_(layer) {}
  std::string LayerName() const override { return layer_.Name; }
  bool AddSublayer() override { return layer_.AddSublayer() != 0; }

 private:
  TWarstwa& layer_;
};

}  // namespace

// The cancel check the cached statistics keep: it forwards to the caller's
// cancel window only while the statistics are being read.
class TWarstwa::TStatisticsCancel : public ICancelCheck {
 public:
  ICancelCheck* Target = nullptr;
  void CheckCanceled() override {
    if (Target != nullptr) Target->CheckCanceled();
  }
};

// --- TWarstwa ----------------------------------------------------------------

TWarstwa::TWarstwa(TLayerStore* Store, TWarstwaFile* Handle, const std::string& Name)
    : TGrupaWarstw(NameFromText(Name)), statisticsCancel_(std::make_unique<TStatisticsCancel>()) {
  this->Store = Store;
  FileHandle = Handle;
}

TWarstwa::TWarstwa(TLayerStore* Store, TWarstwaFile* Handle, const TMainWarstwaHeader& Header,
                   const std::string& Name, TRealCanvas* ViewCanvas)
    : TWarstwa(Store, Handle, Name) {
  Description = Header.Description;
  Kind = static_cast<std::uint8_t>(Header.Kind & 3);
  AddChild(NewSublayer(Kind == 1, Store, Handle, 0, ViewCanvas));
  SetVisible(true);
}

std::unique_ptr<TWarstwa> TWarstwa::CreateFromHeader(TLayerStore* Store, const TAllWarstwaHeader& Entry,
                                                     TRealCanvas* ViewCanvas) {
  if (Store == nullptr || Entry.File == nullptr) throw EInternalError("TWarstwa.CreateFromHeader");
  std::unique_ptr<TWarstwa> layer(new TWarstwa(Store, Entry.File, Entry.Name));
  layer->Description = Entry.Description;
  layer->Kind = Entry.Kind;
  layer->LayerNumber = Entry.LayerNumber;

  std::uint8_t mode = kOpenWriteIfPossible;
  DBInt::OpenWarstwa2(*Store, Entry.File, mode);
  const bool readOnly = mode == kOpenRead;
  layer->fileReadOnly_ = readOnly;
  if (readOnly) layer->SetFlag(kNodeReadOnly);
  WithOpenFile(*Store, Entry.File, [&] {
    for (int n = 0; n <= Entry.Highest; ++n) {
      std::unique_ptr<TPodwarstwa> sublayer;
      try {
        sublayer = SublayerFromHeader(layer->Kind == 1, Store, Entry.File, n, ViewCanvas);
      } catch (const EDBWarstwaError&) {
        RethrowWithSuffix(" Warstwa:" + layer->Name + ", Podwarstwa:" + std::to_string(n));
      }
      if (readOnly) sublayer->SetFlag(kNodeReadOnly);
      layer->AddChild(std::move(sublayer));
    }
  });

  bool anyVisible = false;
  for (int i = 0; i < layer->GetCount(); ++i) anyVisible = anyVisible || layer->GetItem(i)->IsVisible();
  if (anyVisible) layer->TWarstwaImp::SetVisible(true);
  return layer;
}

TWarstwa::~TWarstwa() = default;

std::string TWarstwa::NameFromText(const std::string& Text) {
  if (Text.empty()) return "-";
  std::string name = Text;
  for (char& c : name)
    if (c == ' ') c = '_';
  return name;
}

TPodwarstwa* TWarstwa::Sublayer(int Index) const {
  return Index >= 0 && Index < GetCount() ? static_cast<TPodwarstwa*>(GetItem(Index)) : nullptr;
}

std::uint32_t TWarstwa::GetColor() const {
  const TPodwarstwa* first = Sublayer(0);
  return first != nullptr ? first->GetColor() : kNoSublayersColour;
}

void TWarstwa::ShowInfo(TLayerInfo& Panel) {
  if (TPodwarstwa* first = Sublayer(0)) first->ShowInfo(Panel);
  if (!Description.empty()) Panel.FullName = Description;
  Panel.EditEnabled = !IsReadOnly();
  Panel.I2c = "Ilość podwarstw";
  Panel.I2v = std::to_string(GetCount());
  Panel.TransformEnabled = TransformAllowed();
}

int TWarstwa::GetImageIndex() const {
  return (Kind == 1 ? 5 : 1) + 2 * (IsLoaded() ? 1 : 0) + (IsVisible() ? 1 : 0);
}

std::uint32_t TWarstwa::GetTypeMaskEx() {
  std::uint32_t mask;
  if (NodeState.GetFlag0()) {
    TPodwarstwa* first = Sublayer(0);
    mask = (first != nullptr ? first->GetTypeMaskEx() : 0) | kMaskTicked;
  } else {
    mask = TGrupaWarstw::GetTypeMaskEx();
  }
  return (mask & ~kMaskLevel) | kMaskLayer;
}

std::uint32_t TWarstwa::GetTypeMask() {
  TPodwarstwa* first = Sublayer(0);
  std::uint32_t mask = first != nullptr ? first->GetTypeMask() : 0;
  if (LayerNumber != 0) mask |= kMaskNumbered;
  return (mask & ~kMaskLevel) | kMaskLayer;
}

void TWarstwa::OpenAndSync(bool ReadOnly) {
  if (Store == nullptr || FileHandle == nullptr) throw EInternalError("TWarstwa.OpenAndSync");
  DBInt::OpenWarstwa(*Store, FileHandle, ReadOnly);
  try {
    TMainWarstwaHeader header;
    Store->ReadWarstwaHeader(FileHandle, header);
    TPodwarstwa* first = Sublayer(0);
    const bool line = first != nullptr ? dynamic_cast<TPodwarstwaLiniowa*>(first) != nullptr : Kind == 1;
    TRealCanvas* canvas = first != nullptr ? first->ViewCanvas : nullptr;
    for (int n = GetCount(); n <= header.Highest && n < kMaxSublayers; ++n) {
      std::unique_ptr<TPodwarstwa> sublayer = SublayerFromHeader(line, Store, FileHandle, n, canvas);
      // A sublayer joining a read-only or historical layer is so as well.
      sublayer->SetFlag(static_cast<std::uint16_t>(Flags() & (kNodeReadOnly | kNodeHistorical)));
      AddChild(std::move(sublayer));
    }
  } catch (...) {
    // The caller would otherwise go on with a closed file and fail later as
    // for a file never opened: close it and let the real error through.
    CloseQuietly(*Store, FileHandle);
    throw;
  }
}

void TWarstwa::AddRecordToSublayer(const ObjectSaveRecord& Rec) {
  // A record naming a sublayer the layer lacks goes to sublayer 0.
  TPodwarstwa* sublayer = Sublayer(Rec.GetSublayer());
  if (sublayer == nullptr) sublayer = Sublayer(0);
  if (sublayer == nullptr) throw EInternalError("TWarstwa.AddRecordToSublayer: warstwa bez podwarstw");
  sublayer->AddFromRecord(Rec);
}

void TWarstwa::MarkSublayersLoaded() {
  for (int i = 0; i < GetCount(); ++i) Sublayer(i)->MarkLoaded();
}

void TWarstwa::FinishLoad() {
  SetFlag(kNodeLoaded);
  RecalcExtentFromChildren();
  UpdateShownFlag();
  SetFlag(kNodeWalkDone);
  if (Owner != nullptr) Owner->ExtendExtent(*this);
}

void TWarstwa::Load(TWarQuery* Filter, TCancel* Cancel) {
  if (HasFlag(kNodeWalking) && HasFlag(kNodeWalkDone)) return;
  if (Cancel != nullptr) Cancel->SetMessage(Name);
  if (dynamic_cast<TStanNaDzienQuery*>(Filter) != nullptr) {
    SetFlag(kNodeHistorical | kNodeReadOnly);
    for (int i = 0; i < GetCount(); ++i) Sublayer(i)->SetFlag(kNodeHistorical | kNodeReadOnly);
  }
  SelectSymbols();
  std::int64_t expected = -1;
  ReadIntoSublayers(
      Cancel, true,
      [&](ObjectSaveRecord& rec, bool first) {
        if (Filter != nullptr)
          return first ? DBInt::SeekRecord(*Store, FileHandle, Filter, rec)
                       : DBInt::ReadRecordAtSeek(*Store, FileHandle, rec);
        if (first) {
          ReserveForWholeLoad();
          expected = StoredLiveRecords();
        }
        return first ? DBInt::ReadCurrent(*Store, FileHandle, rec) : DBInt::ReadRecord(*Store, FileHandle, rec);
      },
      &expected);
  FinishLoad();
}

void TWarstwa::ReserveForWholeLoad() {
  const std::int64_t recordSize = FileHandle->RecordSize();
  const std::int64_t fileSize = platform::FileSizeByName(FileHandle->Path());
  if (recordSize <= 0 || fileSize <= 0) return;
  std::int64_t room = fileSize / recordSize;
  for (int i = 0; i < GetCount() && room > 0; ++i) {
    TWarstwaHeader header;
    try {
      Store->ReadPodwarstwaHeader(FileHandle, i, header);
    } catch (const EDBError&) {
      continue;
    }
    if (header.Live <= 0) continue;
    const std::int64_t n = std::min<std::int64_t>(header.Live, room);
    room -= n;
    TPodwarstwa* sublayer = Sublayer(i);
    if (sublayer->Objects() == nullptr || sublayer->Objects()->Count() == 0)
      sublayer->ReserveObjects(static_cast<int>(n));
  }
}

void TWarstwa::LoadInWindow(const TRealRect& Window, TCancel* Cancel) {
  if (HasFlag(kNodeWalking) && HasFlag(kNodeWalkDone)) return;
  SetVisible(true);
  if (Cancel != nullptr) Cancel->SetMessage(Name);
  SelectSymbols();
  const TLayerRect rect{Window.Left, Window.Top, Window.Right, Window.Bottom};
  ReadIntoSublayers(Cancel, false, [&](ObjectSaveRecord& rec, bool first) {
    return first ? DBInt::SeekFirst(*Store, FileHandle, rect, rec) : DBInt::ReadNext(*Store, FileHandle, rec);
  });
  FinishLoad();
}

std::int64_t TWarstwa::StoredLiveRecords() {
  std::int64_t live = 0;
  for (int i = 0; i < GetCount(); ++i) {
    TWarstwaHeader header;
    try {
      Store->ReadPodwarstwaHeader(FileHandle, i, header);
    } catch (const EDBError&) {
      continue;
    }
    if (header.Live > 0) live += header.Live;
  }
  return live;
}

void TWarstwa::ReadIntoSublayers(TCancel* Cancel, bool MarkBeforeClose,
                                 const std::function<int(ObjectSaveRecord&, bool)>& Read,
                                 const std::int64_t* Expected) {
  OpenAndSync(IsReadOnly());
  SetFlag(kNodeFileOpen);
  loadDamage_.clear();
  // Records the layer cannot hold (a damaged file: coordinates that are no
  // number or far off the Earth, a kind without a class, a text longer than
  // its field) are passed over: one of them must neither end the reading nor
  // stretch the extent of the whole set.
  const bool line = Kind == 1;
  std::int64_t accepted = 0;
  std::int64_t damaged = 0;
  bool readError = false;
  bool canceled = false;
  const auto tell = [&] {
    damaged += FileHandle->DamagedRecords();
    std::string what;
    const auto add = [&what](const std::string& part) { what += (what.empty() ? "" : ", ") + part; };
    if (damaged > 0) add("pominięte uszkodzone rekordy: " + std::to_string(damaged));
    if (readError) add("odczyt przerwany błędem po " + std::to_string(accepted) + " obiektach");
    else if (!canceled && Expected != nullptr && *Expected > accepted + damaged)
      add("wczytane obiekty: " + std::to_string(accepted) + " z " + std::to_string(*Expected) +
          " zapisanych w nagłówkach podwarstw");
    if (what.empty()) return;
    loadDamage_ = "Plik " + ShownPath(FileHandle->Path()) + " (warstwa " + Name + "): " + what;
  };
  // What was read stays and is marked loaded, whether the reading ends, is
  // cancelled or fails; the file is closed in every case.
  try {
    try {
      TCancelPoll cancel(Cancel);
      ObjectSaveRecord rec;
      int rc = Read(rec, true);
      for (; rc == kDBOk && !(canceled = cancel.Canceled()); rc = Read(rec, false)) {
        if (!RecordFitsLayer(rec, line)) {
          ++damaged;
          continue;
        }
        AddRecordToSublayer(rec);
        ++accepted;
      }
      // A scan ends with kDBEnd; kDBNothing is a read error in the file.
      readError = rc == kDBNothing;
      tell();
    } catch (...) {
      if (MarkBeforeClose) MarkSublayersLoaded();
      throw;
    }
    if (MarkBeforeClose) MarkSublayersLoaded();
  } catch (...) {
    CloseQuietly(*Store, FileHandle);
    ClearFlag(kNodeFileOpen);
    if (!MarkBeforeClose) MarkSublayersLoaded();
    throw;
  }
  try {
    DBInt::CloseWarstwa(*Store, FileHandle);
  } catch (...) {
    ClearFlag(kNodeFileOpen);
    if (!MarkBeforeClose) MarkSublayersLoaded();
    throw;
  }
  ClearFlag(kNodeFileOpen);
  if (!MarkBeforeClose) MarkSublayersLoaded();
}

void TWarstwa::Unload() {
  TGrupaWarstw::Unload();
  // Dropping a historical state makes the layer writable again, but not a
  // layer whose file could only be opened read-only.
  if (fileReadOnly_) {
    SetFlag(kNodeReadOnly);
    for (int i = 0; i < GetCount(); ++i) Sublayer(i)->SetFlag(kNodeReadOnly);
  }
}

void TWarstwa::SearchNumbered(TDoSearch& S, TSearchHit& Hit) {
  if (LayerNumber == 0) {
    ClearSearchHit(Hit);
    return;
  }
  Search(S, Hit);
}

void TWarstwa::FindByRecordNumber(std::int32_t LayerNumber, std::uint32_t Record, TSearchHit& Hit) {
  if (LayerNumber != this->LayerNumber) {
    ClearSearchHit(Hit);
    return;
  }
  TGrupaWarstw::FindByRecordNumber(LayerNumber, Record, Hit);
}

void TWarstwa::FetchObject(std::int32_t LayerNumber, std::uint32_t Record, TSearchHit& Hit) {
  if (LayerNumber != this->LayerNumber) {
    ClearSearchHit(Hit);
    return;
  }
  TGrupaWarstw::FindByRecordNumber(LayerNumber, Record, Hit);
  if (Hit.Sublayer != nullptr) return;

  OpenAndSync(true);
  SetFlag(kNodeFileOpen);
  try {
    WithOpenFile(*Store, FileHandle, [&] {
      ObjectSaveRecord rec;
      if (DBInt::ReadRecordAt(*Store, FileHandle, Record, rec) != kDBOk) return;
      TPodwarstwa* sublayer = Sublayer(rec.GetSublayer());
      if (sublayer == nullptr) sublayer = Sublayer(0);
      if (sublayer == nullptr) return;
      // Nothing holds the object: the hit owns it until ClearSearchHit.
      std::unique_ptr<TEGraphObj> obj = sublayer->CreateObjectFromRecord(rec);
      if (obj == nullptr) return;
      Hit.Object = obj.release();
      Hit.Sublayer = sublayer;
      Hit.TypeMask = sublayer->GetTypeMask();
    });
  } catch (...) {
    ClearFlag(kNodeFileOpen);
    throw;
  }
  ClearFlag(kNodeFileOpen);
}

TWarstwaOgolna* TWarstwa::FindByNumber(std::int32_t LayerNumber) {
  return LayerNumber == this->LayerNumber ? this : nullptr;
}

void TWarstwa::GetObjectValue(std::int32_t LayerNumber, std::uint32_t Record, TObjectValueResult& Value) {
  Value.Found = false;
  if (LayerNumber != this->LayerNumber) return;
  for (int i = 0; i < GetCount(); ++i) {
    TSearchHit hit;
    Sublayer(i)->FindByRecordNumber(LayerNumber, Record, hit);
    if (hit.Object != nullptr) {
      Value.Value = hit.Object->GetValue();
      Value.Found = true;
      ClearSearchHit(hit);
      return;
    }
    ClearSearchHit(hit);
  }
  // Not loaded: the first sublayer reads the record from the file.
  if (TPodwarstwa* first = Sublayer(0)) first->GetObjectValue(LayerNumber, Record, Value);
}

int TWarstwa::EditHeader(int Mode) {
  if (IsReadOnly()) return 0;

  TMainWarstwaHeader header;
  OpenAndSync(true);
  WithOpenFile(*Store, FileHandle, [&] { Store->ReadWarstwaHeader(FileHandle, header); });

  TLayerLink link(*this);
  auto dialog = platform::MakeForm<TChangeWarstwaHeader>();
  dialog->Warstwa = &link;
  dialog->FullName->SetText(header.Description);
  dialog->Name->SetText(Name);
  dialog->NewPodw->SetEnabled(!IsReadOnly() && GetCount() < kMaxSublayers);

  switch (dialog->ShowModal()) {
    case platform::mrOk: {
      const std::string typed = dialog->Name->Text();
      if (typed != Name) {
        Store->RenameWarstwa(FileHandle, typed);
        Name = typed;
        if (platform::TTreeNode* item = GetTreeNode()) item->SetText(Name);
      }
      Description = dialog->FullName->Text();
      header.Description = Description;
      OpenAndSync(false);
      WithOpenFile(*Store, FileHandle, [&] {
        header.Highest = static_cast<std::uint8_t>(GetCount() - 1);
        Store->WriteWarstwaHeader(FileHandle, header);
      });
      DropStatistics();
      return 1;
    }
    case TChangeWarstwaHeader::kDeleteLayer: {
      if (IsActive()) throw EWarstwaError("Próba usunięcia aktywnej warstwy");
      if (Owner == nullptr) throw EInternalError("TWarstwa.EditHeader: Owner=nil");
      Store->DeleteWarstwa(FileHandle);
      // The file and its handle are gone; the node frees itself and from
      // here nothing of it may be touched. The view redraws everything.
      dialog.reset();
      TGrupaWarstw* owner = Owner;
      owner->RemoveChild(this).reset();
      owner->RecalcVisibility();
      owner->RecalcExtent();
      return kRedrawAll;
    }
    case TChangeWarstwaHeader::kDeleteLastSublayer: {
      TPodwarstwa* last = Sublayer(GetCount() - 1);
      if (last == nullptr) return 0;
      if (last->IsActive()) throw EWarstwaError("Próba usunięcia aktywnej podwarstwy");
      DBInt::OpenWarstwa(*Store, FileHandle, false);
      WithOpenFile(*Store, FileHandle, [&] { Store->DeleteLastPodwarstwa(FileHandle); });
      RemoveChild(last).reset();
      RecalcExtent();
      DropStatistics();
      return kRedrawNode;
    }
    default:
      return 0;
  }
}

void TWarstwa::UpdateIndex(TCancel* Cancel) { DBInt::UpdateIndex(*Store, FileHandle, Cancel); }

void TWarstwa::DeleteOldArch(std::uint32_t Date, TCancel* Cancel) {
  if (HasFlag(kNodeWalking) && HasFlag(kNodeWalkDone)) return;
  OpenAndSync(IsReadOnly());
  WithOpenFile(*Store, FileHandle, [&] {
    DBInt::DeleteOldArch(*Store, FileHandle, Date, Cancel);
    SetFlag(kNodeWalkDone);
  });
  DropStatistics();
}

std::string TWarstwa::GetPrefixedName() const { return (Kind == 1 ? "l-" : "t-") + Name; }

void TWarstwa::Describe(std::string& Out, std::uint8_t Option) {
  Out += "\n";
  Out += std::string("Warstwa ") + (Kind == 1 ? "liniowa : " : "tekstowa: ") + PadRight(Name, 12) + " " +
         Description + "\n";
  TGrupaWarstw::Describe(Out, Option);
}

void TWarstwa::Transform(const TAffineMatrix& M, const std::string& Target, TCancel* Cancel) {
  if (Target.empty()) throw EInternalError("TWarstwa.Transform");
  if (Cancel != nullptr) {
    Cancel->CheckCanceled();
    Cancel->SetMessage(Name);
  }
  const TAffineMatrix copy = M;
  DBInt::TransformWarstwa(*Store, FileHandle, copy, Target, Cancel);
}

void TWarstwa::BeginWalk() { ClearFlag(kNodeWalkDone); }

void TWarstwa::EndWalk() { ClearFlag(kNodeWalkDone); }

int TWarstwa::AddSublayer() {
  TPodwarstwa* first = Sublayer(0);
  const bool line = first != nullptr ? dynamic_cast<TPodwarstwaLiniowa*>(first) != nullptr : Kind == 1;
  std::unique_ptr<TPodwarstwa> sublayer =
      NewSublayer(line, Store, FileHandle, GetCount(), first != nullptr ? first->ViewCanvas : nullptr);
  // It reaches the file through the layer before it is a child.
  sublayer->Owner = this;
  int result;
  for (;;) {
    try {
      result = sublayer->EditHeader(0);
      break;
    } catch (const EDBWarstwaInvalidHIdx&) {
      // No free sublayer header slot: the file gets ten more and the
      // dialog runs again. A file at the slot limit raises from here.
      DBInt::AddPodwarstwaHeaderSpace(*Store, FileHandle, kSlotsStep);
    }
  }
  if (result == 0) return 0;
  sublayer->Owner = nullptr;
  AddChild(std::move(sublayer));
  DropStatistics();
  return result;
}

const TDBStatystyka* TWarstwa::GetFileStatistics(int Sublayer, TCancel* Cancel) {
  if (!statistics_) {
    auto list = std::make_unique<TDBStatystykaList>(*statisticsCancel_);
    statisticsCancel_->Target = Cancel;
    try {
      OpenAndSync(true);
      WithOpenFile(*Store, FileHandle, [&] { Store->Statystyka(FileHandle, *list); });
    } catch (...) {
      statisticsCancel_->Target = nullptr;
      throw;
    }
    statisticsCancel_->Target = nullptr;
    statistics_ = std::move(list);
  }
  if (Sublayer < 0 || Sublayer >= statistics_->Count()) return nullptr;
  return &statistics_->Item(Sublayer);
}

void TWarstwa::DropStatistics() { statistics_.reset(); }

bool TWarstwa::Clean(const std::string& Backup) {
  const bool shown = IsShown();
  Unload();
  DBInt::CleanWarstwa(*Store, FileHandle, Backup);
  DropStatistics();
  return shown;
}

void TWarstwa::RefreshNumber() {
  const std::int32_t number = Store->GetWarstwaNumber(FileHandle);
  LayerNumber = number > 0 && number <= 0xFFFF ? static_cast<std::uint16_t>(number) : 0;
}

// --- TKatalogWarstw ----------------------------------------------------------

TKatalogWarstw::TKatalogWarstw(TLayerStore* Store, const std::string& Name, const std::string* Catalogue,
                               const std::string& DatabaseId, const std::string& ObjectsConfig,
                               TRealCanvas* ViewCanvas)
    : TGrupaWarstw(Name),
      Catalogue(Catalogue),
      ViewCanvas(ViewCanvas),
      DatabaseId(DatabaseId),
      ObjectsConfig(ObjectsConfig) {
  this->Store = Store;
  SetFlag(kNodeLoaded | kNodeVisible);
  LoadSymbols();
}

TKatalogWarstw::~TKatalogWarstw() {
  if (symbols_) {
    // The program-wide library must not keep pointing at a freed library.
    ForgetCatalogueLibrary(symbols_.get());
    symbols_.reset();
  }
}

void TKatalogWarstw::LoadSymbols() {
  if (Store == nullptr || Catalogue == nullptr) return;
  std::string fileName;
  Store->OpenSymbols(Catalogue, fileName);
  if (fileName.empty()) return;
  std::unique_ptr<TSymbolManager> symbols = TSymbolManager::CreateFromFile(*Catalogue + fileName);
  if (symbols_) ForgetCatalogueLibrary(symbols_.get());
  symbols_ = std::move(symbols);
  SymbolFileName = fileName;
}

std::string TKatalogWarstw::GetDirectory() const { return Catalogue != nullptr ? *Catalogue : std::string(); }

void TKatalogWarstw::UpdateLayers() {
  if (Store != nullptr) Store->ReleaseNumberLists();
  for (int i = 0; i < GetCount(); ++i)
    if (auto* layer = dynamic_cast<TWarstwa*>(GetItem(i))) layer->RefreshNumber();
}

void TKatalogWarstw::Draw(TRealCanvas& Canvas) {
  Canvas.PrepareOcclusion(this);
  TGrupaWarstw::Draw(Canvas);
}

void TKatalogWarstw::ShowInfo(TLayerInfo& Panel) {
  Panel.FullName = Name;
  Panel.I1c = "Ilość warstw";
  Panel.I1v = std::to_string(GetCount());
  if (symbols_) {
    Panel.I2c = "Symbole";
    Panel.I2v = SymbolFileName;
  }
  Panel.EditEnabled = true;
  Panel.TransformEnabled = TransformAllowed();
}

int TKatalogWarstw::GetImageIndex() const { return 9; }

std::uint32_t TKatalogWarstw::GetTypeMask() { return TGrupaWarstw::GetTypeMask() | kMaskCatalogue; }

std::uint32_t TKatalogWarstw::GetTypeMaskEx() { return TGrupaWarstw::GetTypeMaskEx() | kMaskCatalogue; }

void TKatalogWarstw::CollectLayers(std::vector<TWarstwaOgolna*>& List) {
  if (Catalogue == nullptr) return;
  bool numbered = false;
  for (int i = 0; i < GetCount() && !numbered; ++i) {
    auto* layer = dynamic_cast<TWarstwa*>(GetItem(i));
    numbered = layer != nullptr && layer->LayerNumber != 0;
  }
  if (!numbered) return;
  for (TWarstwaOgolna* n : List)
    if (n == this) return;
  List.push_back(this);
}

int TKatalogWarstw::EditHeader(int Mode) {
  auto dialog = platform::MakeForm<TNewWarstwa>();
  dialog->DirName->SetCaption(Name);
  for (int i = 0; i < GetCount(); ++i) dialog->Name->Items().Add(GetItem(i)->Name);

  TMainWarstwaHeader header;
  switch (dialog->ShowModal()) {
    case TNewWarstwa::kLineLayer:
      header.Kind = 1;
      break;
    case TNewWarstwa::kTextLayer:
      header.Kind = 0;
      break;
    default:
      return kRedrawNone;
  }
  header.Description = dialog->DlugaNazwa->Text();
  header.Highest = 0;
  header.Slots = kNewFileSlots;
  const std::string name = platform::UpperCase(dialog->Name->Text());

  if (Store == nullptr) throw EInternalError("TKatalogWarstw.EditHeader");
  TWarstwaFile* handle = Store->CreateWarstwa(Catalogue, name, header);
  if (handle == nullptr) throw EInternalError("TKatalogWarstw.EditHeader: katalog poza otwartymi bazami");
  auto layer = std::make_unique<TWarstwa>(Store, handle, header, name, ViewCanvas);
  TWarstwa* added = layer.get();
  AddChild(std::move(layer));
  dialog.reset();
  // The first sublayer is set up at once; its dialog cannot be cancelled.
  added->GetItem(0)->EditHeader(1);
  return kRedrawNode;
}

void TKatalogWarstw::Describe(std::string& Out, std::uint8_t Option) {
  Out += "\nKatalog: " + Name + "\n";
  TGrupaWarstw::Describe(Out, Option);
}

void TKatalogWarstw::SelectSymbols() { SymbolManager().SetCatalogueLibrary(symbols_.get()); }

void TKatalogWarstw::Transform(const TAffineMatrix& M, const std::string& Target, TCancel* Cancel) {
  for (int i = 0; i < GetCount(); ++i) GetItem(i)->Transform(M, Target, Cancel);
}

void TKatalogWarstw::ChildActivated(bool B) {
  TGrupaWarstw::ChildActivated(B);
  if (B) SelectSymbols();
}

// --- TBazaWarstw -------------------------------------------------------------

TBazaWarstw::TBazaWarstw(const std::string& Name) : TGrupaWarstw(Name) { SetFlag(kNodeLoaded | kNodeVisible); }

int TBazaWarstw::GetImageIndex() const { return 10; }

platform::TTreeNode* TBazaWarstw::AddTreeNode(platform::TTreeView& Items, platform::TTreeNode* Parent) {
  platform::TTreeNode* item = TGrupaWarstw::AddTreeNode(Items, Parent);
  if (item != nullptr) item->Expand(false);
  return item;
}

bool TBazaWarstw::CanCollapse() { return false; }

// --- Building a view's tree --------------------------------------------------

std::unique_ptr<TBazaWarstw> BuildLayerTree(TLayerStore& Store, TBaza* Database, const std::string& Name,
                                            TRealCanvas* ViewCanvas) {
  auto root = std::make_unique<TBazaWarstw>(Name);
  TAllWarstwaHeader entry;
  for (int rc = DBInt::GetWarstwyList(Store, entry, Database); rc == kDBOk;
       rc = DBInt::GetWzorceList(Store, entry, Database)) {
    TKatalogWarstw* catalogue = nullptr;
    for (int i = 0; i < root->GetCount() && catalogue == nullptr; ++i) {
      auto* c = dynamic_cast<TKatalogWarstw*>(root->GetItem(i));
      if (c != nullptr && c->Name == entry.CatalogueName) catalogue = c;
    }
    if (catalogue == nullptr) {
      auto made = std::make_unique<TKatalogWarstw>(&Store, entry.CatalogueName, entry.Directory, entry.BaseId,
                                                   entry.ObjInterfKonf, ViewCanvas);
      catalogue = made.get();
      root->AddChild(std::move(made));
    }
    if (entry.File != nullptr) catalogue->AddChild(TWarstwa::CreateFromHeader(&Store, entry, ViewCanvas));
  }
  return root;
}
