// The conversion of one layer file of the previous format (oldformat.h) into
// a new file of the current format (layerformat.h) in one sequential pass:
// the layer descriptor and the sublayer headers are rebuilt, every record is
// written in its old order (record numbers stay), a deleted old record
// becomes a free record of the new file's free list (runs of neighbours
// marked in their first record), and every converted record is stamped as
// made by user 65535 ("Konwerter") at the moment of the conversion. The new
// file has no spatial index.
//
// A file that is not a readable old layer file is refused before anything
// is written; a conversion that fails or is cancelled later deletes the
// file it was writing. An existing destination is never overwritten. A
// source that ends inside a record is converted up to its last whole record
// and the torn one is named in the result.
//
// One thread (the conversion worker) uses a converter; it owns its two file
// handles. The progress object belongs to the caller.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "foundation/threads/cancelcheck.h"
#include "platform/files/files.h"

// The source is not a layer file of the previous format.
class EWarstwaFormat : public EInOutError {
public:
  explicit EWarstwaFormat(std::string message) : EInOutError(std::move(message)) {}
};

inline constexpr const char* kBadLayerFormat = "Błędny format warstwy";
// The user number that stamps converted records.
inline constexpr std::uint16_t kConverterUser = 65535;

// What a conversion reports while it works and how it is cancelled
// (CheckCanceled raises ECanceled).
class IConversionProgress : public ICancelCheck {
public:
  // Bytes of the source in all, and read so far.
  virtual void SetMax(std::int32_t max) = 0;
  virtual void SetPosition(std::int32_t position) = 0;
};

struct TConversionResult {
  std::int64_t Records = 0;  // old records read, live and deleted
  std::int64_t Deleted = 0;  // of them deleted (free records now)
  // Texts stored shorter than the old file held them: texts with a
  // reference point above 18 characters, symbol names above 25.
  std::int32_t CutTexts = 0;
  // A source that ends inside a record: the number of that torn record and
  // the bytes of it the file holds (0 when the file ends with a whole
  // record). The whole records before it are converted.
  std::int64_t TornRecord = 0;
  std::int64_t TornBytes = 0;
};

class TKonwersjaWarstwy {
public:
  // Opens the source (EWindowsIOError "Brak pliku:<path>" when it cannot),
  // reads and checks its first sublayer header and its size (EWarstwaFormat
  // when it is no old layer file), and creates the destination, which must
  // not exist (EWindowsIOError). Checks the cancel first.
  TKonwersjaWarstwy(const std::string& source, const std::string& destination,
                    IConversionProgress& progress);
  // Closes both files; a destination not finished by Run is deleted.
  ~TKonwersjaWarstwy();
  TKonwersjaWarstwy(const TKonwersjaWarstwy&) = delete;
  TKonwersjaWarstwy& operator=(const TKonwersjaWarstwy&) = delete;

  // The whole conversion. Write failures raise EInOutError, a cancel
  // ECanceled; the destination is then deleted when the converter goes.
  TConversionResult Run();

private:
  void Write(const void* data, std::size_t size);
  void Patch(std::int64_t offset, const void* data, std::size_t size);
  void Flush();
  [[noreturn]] void RaiseWrite();
  void WriteSlot(const std::uint8_t* old);
  void ConvertRecord(const std::uint8_t* r);
  void LineRecord(const std::uint8_t* r, std::uint8_t* f);
  void TextRecord(const std::uint8_t* r, std::uint8_t* f);
  void FreeRecord(std::uint8_t* f);
  void Finish();

  IConversionProgress& progress_;
  std::string sourcePath_;
  std::string destPath_;
  platform::File source_;
  platform::File dest_;
  bool created_ = false;
  bool finished_ = false;
  std::int64_t sourceSize_ = 0;
  std::vector<std::uint8_t> slot0_;
  bool text_ = false;
  int highest_ = 0;
  std::int64_t oldSize_ = 0;  // old record size
  std::int64_t newSize_ = 0;  // new record size
  std::uint32_t stamp_ = 0;

  std::vector<std::uint8_t> pending_;  // bytes not yet written, from pendingAt_
  std::int64_t pendingAt_ = 0;
  std::int64_t pos_ = 0;               // where the next byte goes

  TConversionResult result_;
  std::int64_t inPacket_ = 4097;
  int packets_ = 0;
  std::int64_t packetAt_ = 0;
  std::int32_t live_[10] = {};
  std::int64_t firstFree_ = 0, lastFree_ = 0, runStart_ = 0;
};

// Converts source into destination (see TKonwersjaWarstwy).
TConversionResult ConvertLayerFile(const std::string& source, const std::string& destination,
                                   IConversionProgress& progress);
