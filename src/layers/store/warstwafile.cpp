#include "layers/store/warstwafile.h"

#include "foundation/errors.h"
#include "layers/store/dberrors.h"

TWarstwaFile::TWarstwaFile(std::string directory, std::string fileName, std::int64_t recordSize)
    : directory_(std::move(directory)), fileName_(std::move(fileName)), recSize_(recordSize) {
  if (!directory_.empty() && directory_.back() != '/' && directory_.back() != '\\')
    directory_ += '/';
}

TWarstwaFile::~TWarstwaFile() = default;

int TWarstwaFile::Open(std::uint8_t&) { return kDBNotImplemented; }
int TWarstwaFile::Close() { return kDBNotImplemented; }
int TWarstwaFile::SeekFirst(const TLayerRect&, ObjectSaveRecord&) { return kDBNotImplemented; }
int TWarstwaFile::ReadNext(ObjectSaveRecord&) { return kDBNotImplemented; }
int TWarstwaFile::ReadCurrent(ObjectSaveRecord&) { return kDBNotImplemented; }
int TWarstwaFile::ReadRecord(ObjectSaveRecord&) { return kDBNotImplemented; }
int TWarstwaFile::SeekRecord(TWarQuery*, ObjectSaveRecord&) { return kDBNotImplemented; }
int TWarstwaFile::ReadRecordAtSeek(ObjectSaveRecord&) { return kDBNotImplemented; }
int TWarstwaFile::ReadRecordAt(std::int64_t, ObjectSaveRecord&) { return kDBNotImplemented; }

void TWarstwaFile::ReadPodwarstwaHeader(TWarstwaHeader&, int) {
  throw ENotImplemented("TWarstwaFile.ReadPodwarstwaHeader");
}
void TWarstwaFile::WritePodwarstwaHeader(const TWarstwaHeader&, int) {
  throw ENotImplemented("TWarstwaFile.WritePodwarstwaHeader");
}
void TWarstwaFile::ReadWarstwaHeader(TMainWarstwaHeader&) {
  throw ENotImplemented("TWarstwaFile.ReadWarstwaHeader");
}
void TWarstwaFile::WriteWarstwaHeader(const TMainWarstwaHeader&) {
  throw ENotImplemented("TWarstwaFile.WriteWarstwaHeader");
}
std::int64_t TWarstwaFile::AddRecord(const ObjectSaveRecord&) {
  throw ENotImplemented("TWarstwaFile.AddRecord");
}
int TWarstwaFile::WriteRecord(std::int64_t, const ObjectSaveRecord&) {
  throw ENotImplemented("TWarstwaFile.WriteRecord");
}
void TWarstwaFile::MoveToArch(std::int64_t, std::uint32_t) {
  throw ENotImplemented("TWarstwaFile.MoveToArch");
}
void TWarstwaFile::FixHeader() { throw ENotImplemented("TWarstwaFile.FixHeader"); }
void TWarstwaFile::GetUserIDs(std::int64_t, TUserIDs&) {
  throw ENotImplemented("TWarstwaFile.GetUserIDs");
}
void TWarstwaFile::Statystyka(TDBStatystykaList&) {
  throw ENotImplemented("TWarstwaFile.Statystyka");
}
void TWarstwaFile::UpdateIndex(ICancelCheck*) { throw ENotImplemented("TWarstwaFile.UpdateIndex"); }
void TWarstwaFile::DeleteOldArch(std::uint32_t, ICancelCheck*) {
  throw ENotImplemented("TWarstwaFile.DeleteOldArch");
}
void TWarstwaFile::AddPodwarstwaHeaderSpace(int) {
  throw ENotImplemented("TWarstwaFile.AddPodwarstwaHeaderSpace");
}
void TWarstwaFile::MovePodwarstwa(int, int) { throw ENotImplemented("TWarstwaFile.MovePodwarstwa"); }
void TWarstwaFile::DeleteLastPodwarstwa() {
  throw ENotImplemented("TWarstwaFile.DeleteLastPodwarstwa");
}
void TWarstwaFile::CleanPodwarstwa(int) { throw ENotImplemented("TWarstwaFile.CleanPodwarstwa"); }
void TWarstwaFile::CleanWarstwa(const std::string&) {
  throw ENotImplemented("TWarstwaFile.CleanWarstwa");
}
void TWarstwaFile::TransformWarstwa(const TAffineMatrix&, const std::string&, ICancelCheck*) {
  throw ENotImplemented("TWarstwaFile.TransformWarstwa");
}
