// Shared by the layer-file tests: a scratch folder per test, a database
// stand-in with a chosen user and rights, save records of lines and texts,
// and a file's bytes in memory. Test thread only.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "foundation/storage/bytes.h"
#include "layers/store/bazai.h"
#include "layers/store/layerfiles.h"
#include "layers/store/rawfields.h"
#include "common/scratch_folder.h"

using Bytes = std::vector<std::uint8_t>;

inline Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class TestBase : public ILayerBase {
public:
  std::uint16_t UserNumber() const override { return user; }
  bool IsReadOnly() const override { return readOnly; }
  bool CanExport() const override { return true; }
  std::uint16_t user = 7;
  bool readOnly = false;
};

inline ObjectSaveRecord LineRec(double x1, double y1, double x2, double y2, std::uint8_t kind = 0,
                                std::uint8_t sublayer = 0, double radius = 0) {
  ObjectSaveRecord r;
  r.SetKindByte(kind);
  r.SetSublayer(sublayer);
  r.SetDouble(kRecP1X, x1);
  r.SetDouble(kRecP1Y, y1);
  r.SetDouble(kRecP2X, x2);
  r.SetDouble(kRecP2Y, y2);
  r.SetDouble(kRecRadius, radius);
  r.SetIdentifier(1234);
  return r;
}

inline ObjectSaveRecord TextRec(double x, double y, const std::string& text, std::uint8_t kind = 2,
                                std::uint8_t sublayer = 0, std::uint8_t flags = 5) {
  ObjectSaveRecord r;
  r.SetKindByte(kind);
  r.SetSublayer(sublayer);
  r.SetDouble(kRecAnchorX, x);
  r.SetDouble(kRecAnchorY, y);
  r.SetByte(kRecText, static_cast<std::uint8_t>(text.size()));
  for (std::size_t i = 0; i < text.size() && i < 47; ++i)
    r.SetByte(kRecText + 1 + i, static_cast<std::uint8_t>(text[i]));
  r.SetSingle(kRecHeight, 2.5f);
  r.SetSingle(kRecAngle, 0.25f);
  r.SetByte(kRecTextFlags, flags);
  r.SetIdentifier(1234);
  return r;
}

inline std::string TextOf(const ObjectSaveRecord& r) {
  std::string s;
  for (int i = 0; i < r.GetByte(kRecText); ++i) s += static_cast<char>(r.GetByte(kRecText + 1 + i));
  return s;
}

class LayerTest : public ::testing::Test {
protected:
  void SetUp() override { SetDefaultLayerLockWait(nullptr); }
  std::string Dir() const { return scratch_.Path() + "/"; }
  std::string PathOf(const std::string& name) const { return scratch_ / name; }

  std::unique_ptr<TNewLinWarstwaFile> NewLine(const std::string& name = "linie-----.-l",
                                              int slots = 10) {
    TMainWarstwaHeader h;
    h.Kind = 1;
    h.Slots = static_cast<std::uint8_t>(slots);
    return TNewLinWarstwaFile::CreateNew(&base_, Dir(), h, name);
  }
  std::unique_ptr<TNewTextWarstwaFile> NewText(const std::string& name = "teksty----.-t") {
    TMainWarstwaHeader h;
    h.Kind = 0;
    h.Slots = 10;
    return TNewTextWarstwaFile::CreateNew(&base_, Dir(), h, name);
  }
  static void OpenRW(TNewTextLinWarstwaFile& f) {
    std::uint8_t mode = kOpenWrite;
    ASSERT_EQ(f.Open(mode), 0);
  }
  static void OpenR(TNewTextLinWarstwaFile& f) {
    std::uint8_t mode = kOpenRead;
    ASSERT_EQ(f.Open(mode), 0);
  }

  ScratchFolder scratch_;
  TestBase base_;
};
