// The two kinds of layer file: line objects (records of 74 bytes) and text
// objects (records of 94 bytes, laid out by text kind). Each converts
// between its stored record and the 122-byte object save record, knows
// which points the spatial index holds and how they are quantised, the
// point test of the rectangle scan, what a record adds to the statistics,
// and the parameter block of its sublayer headers. Byte tables in
// layerformat.h and docs/formats.md.
//
// Threads and ownership as TNewTextLinWarstwaFile.
#pragma once

#include <memory>
#include <string>

#include "layers/store/layerfile.h"

class TNewLinWarstwaFile : public TNewTextLinWarstwaFile {
public:
  TNewLinWarstwaFile(ILayerBase* base, std::string directory, std::string fileName)
      : TNewTextLinWarstwaFile(base, std::move(directory), std::move(fileName),
                               layerfmt::kLineRecordSize) {}
  // Writes a new line file (slots at least 10; above 250 refused) and
  // answers its closed object.
  static std::unique_ptr<TNewLinWarstwaFile> CreateNew(ILayerBase* base, const std::string& directory,
                                                       const TMainWarstwaHeader& h,
                                                       const std::string& fileName);
  int Kind() const override { return layerfmt::kKindLine; }

  bool EncodeRecord(const ObjectSaveRecord& rec, std::uint8_t* f) const override;
  void DecodeInto(const std::uint8_t* f, std::uint8_t* s) const override;
  std::uint32_t CellEntry(const std::uint8_t* f, const layerfmt::PacketHeader& p) const override;
  void SetArchiveIdent(std::uint8_t* f, std::uint32_t ident) const override;
  bool PointInRect(const std::uint8_t* f, const TLayerRect& r) const override;
  void SetQueryCells(const TLayerRect& r, const layerfmt::PacketHeader& p) override;
  bool EntryInQuery(std::uint32_t entry) const override;
  void FillCells(std::span<const std::uint8_t> records, std::span<std::uint32_t> cells,
                 const layerfmt::PacketHeader& p) const override;
  void AddToExtent(std::span<const std::uint8_t> records, layerfmt::PacketHeader& p,
                   TRealPoint& max) override;
  void FixHeader() override;
  void AddToStatistics(const std::uint8_t* f, TDBStatystyka& item) const override;
  void TransformRecord(std::uint8_t* f, const TAffineMatrix& m) const override;
  std::unique_ptr<TNewTextLinWarstwaFile> CreateSame(const std::string& directory,
                                                     const std::string& fileName) const override;

protected:
  void ReadParamBlock(TWarstwaHeader& h, int i) override;
  void WriteParamBlock(const TWarstwaHeader& h, int i) override;

private:
  const char* ShortReadMessage() const override { return "DBDll: Błąd (Adres: %d, Warstwa %s)"; }
  const char* FreeSlotMessage() const override { return "DBDll: Błąd 1 (Adres: %d, Warstwa %s)"; }
  std::uint8_t query_[4] = {};
};

class TNewTextWarstwaFile : public TNewTextLinWarstwaFile {
public:
  TNewTextWarstwaFile(ILayerBase* base, std::string directory, std::string fileName)
      : TNewTextLinWarstwaFile(base, std::move(directory), std::move(fileName),
                               layerfmt::kTextRecordSize) {}
  static std::unique_ptr<TNewTextWarstwaFile> CreateNew(ILayerBase* base, const std::string& directory,
                                                        const TMainWarstwaHeader& h,
                                                        const std::string& fileName);
  int Kind() const override { return layerfmt::kKindText; }

  // True when the text was longer than its kind's declared length (34, 18,
  // 47, 39, 25 for kinds 0 to 4) and was stored cut.
  bool EncodeRecord(const ObjectSaveRecord& rec, std::uint8_t* f) const override;
  void DecodeInto(const std::uint8_t* f, std::uint8_t* s) const override;
  std::uint32_t CellEntry(const std::uint8_t* f, const layerfmt::PacketHeader& p) const override;
  void SetArchiveIdent(std::uint8_t* f, std::uint32_t ident) const override;
  bool PointInRect(const std::uint8_t* f, const TLayerRect& r) const override;
  void SetQueryCells(const TLayerRect& r, const layerfmt::PacketHeader& p) override;
  bool EntryInQuery(std::uint32_t entry) const override;
  void FillCells(std::span<const std::uint8_t> records, std::span<std::uint32_t> cells,
                 const layerfmt::PacketHeader& p) const override;
  void AddToExtent(std::span<const std::uint8_t> records, layerfmt::PacketHeader& p,
                   TRealPoint& max) override;
  void FixHeader() override;
  void AddToStatistics(const std::uint8_t* f, TDBStatystyka& item) const override;
  void TransformRecord(std::uint8_t* f, const TAffineMatrix& m) const override;
  std::unique_ptr<TNewTextLinWarstwaFile> CreateSame(const std::string& directory,
                                                     const std::string& fileName) const override;

  // Declared text length and insertion point offset of a text kind (0-4);
  // 0 for kinds 5 to 7.
  static int TextLength(int kind);
  static int PointOffset(int kind);

protected:
  void ReadParamBlock(TWarstwaHeader& h, int i) override;
  void WriteParamBlock(const TWarstwaHeader& h, int i) override;

private:
  const char* ShortReadMessage() const override { return "DBDll: Błąd 2 (Adres: %d, Warstwa %s)"; }
  const char* FreeSlotMessage() const override { return "DBDll: Błąd 3 (Adres: %d, Warstwa %s)"; }
  std::uint16_t query_[4] = {};
};
