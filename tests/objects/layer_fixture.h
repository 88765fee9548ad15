// Shared fixture of the layer-object tests: the record classes registered,
// a one-glyph stroke font ("I": a stroke from (4, 0) to (4, 10), 8 wide, 10
// high), the libraries released afterwards, a recording information window
// and a fixed number format.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "defbytes.h"
#include "drawing/font_fixture.h"
#include "drawing/strokefont.h"
#include "foundation/settings/settings.h"
#include "objects/layerobji.h"
#include "objects/libcfg.h"
#include "objects/layerobjects.h"
#include "objects/linestylelib.h"
#include "objects/saverecord.h"
#include "objects/symbollib.h"
#include "common/scratch_folder.h"
#include "common/layer_classes.h"

// Coordinates with three decimals, angles in radians with two.
class TTestFormat final : public ICursorFormat {
 public:
  std::string FormatCoord(double V) const override {
    char b[64];
    std::snprintf(b, sizeof b, "%.3f", V);
    return b;
  }
  std::string FormatAngle(double R) const override {
    char b[64];
    std::snprintf(b, sizeof b, "%.2frad", R);
    return b;
  }
};

// Keeps the last label and value written to each cell.
class TRecordingInfo final : public IGrObjInfo {
 public:
  void SetLabel(int Row, int Col, const std::string& Text) override { Labels[{Row, Col}] = Text; }
  void SetValue(int Row, int Col, const std::string& Text) override { Values[{Row, Col}] = Text; }
  std::string Label(int Row, int Col) const {
    auto it = Labels.find({Row, Col});
    return it == Labels.end() ? "<none>" : it->second;
  }
  std::string Value(int Row, int Col) const {
    auto it = Values.find({Row, Col});
    return it == Values.end() ? "<none>" : it->second;
  }
  std::map<std::pair<int, int>, std::string> Labels;
  std::map<std::pair<int, int>, std::string> Values;
};

inline std::string OneGlyphFont() {
  FontSpec f;
  f.First = 'I';
  f.Glyphs = {{8, {{{4, 0}, {4, 10}}}}};
  return FontBytes(f);
}

class LayerObjectsFixture : public ::testing::Test {
 protected:
  LayerObjectsFixture() {
    SetLibraryErrorBox([](const std::string&) {});
    folder.Put("litt.ch1", OneGlyphFont());
    folder.Put("font.ch1", OneGlyphFont());
    FontManager().SetFolder(folder.Path());
    RegisterLayerObjectClasses();
    SetCursorFormat(&format);
  }
  ~LayerObjectsFixture() override {
    SetCursorFormat(nullptr);
    UnregisterLayerObjectClasses();
    FontManager().SetFolder("");
    ReleaseSymbolManager();
    ReleaseLineManager();
    SetLibraryErrorBox(nullptr);
    FreeGlobalnaKonfiguracja();
  }

  // The program's libraries read from the test's own files: the line styles
  // 20 "KRES" and 21 "CIAG" and the symbol "KRZ".
  void UseProgramLibraries() {
    SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(folder / "tolvika.ini"));
    SymbolLineManagerCfg().LineDefs = folder.Put("program.lin", defbytes::DashAndSolidStyles());
    SymbolLineManagerCfg().SymbolDefs = folder.Put("program.sym", defbytes::SymbolFile());
  }

  ScratchFolder folder;
  TTestFormat format;
};

// Record bytes written by hand: little-endian fields at their offsets.
class HandRecord {
 public:
  HandRecord& Byte(std::size_t Off, std::uint8_t V) {
    b[Off] = V;
    return *this;
  }
  HandRecord& Word(std::size_t Off, std::uint16_t V) {
    b[Off] = static_cast<std::uint8_t>(V & 0xFF);
    b[Off + 1] = static_cast<std::uint8_t>(V >> 8);
    return *this;
  }
  HandRecord& Double(std::size_t Off, double V) {
    std::memcpy(&b[Off], &V, 8);
    return *this;
  }
  HandRecord& Single(std::size_t Off, float V) {
    std::memcpy(&b[Off], &V, 4);
    return *this;
  }
  HandRecord& Text(std::size_t Off, const std::string& S) {
    b[Off] = static_cast<std::uint8_t>(S.size());
    std::memcpy(&b[Off + 1], S.data(), S.size());
    return *this;
  }
  ObjectSaveRecord Record() const { return ObjectSaveRecord::FromBytes(b); }
  std::array<std::uint8_t, ObjectSaveRecord::kSize> b{};
};
