// Shared by the tests of the stored files (record files, index files): a
// file's bytes in memory with little-endian fields in them, and a fixture
// giving each test its own scratch folder and the record layer's globals in
// their initial state. Test thread only.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "foundation/storage/btree.h"
#include "foundation/storage/bytes.h"
#include "foundation/storage/recordfile.h"
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

inline void PatchI32(Bytes& bytes, std::size_t offset, std::int32_t value) {
  PutI32(bytes.data() + offset, value);
}

inline std::int32_t I32At(const Bytes& bytes, std::size_t offset) { return GetI32(bytes.data() + offset); }

// Every item of an index in order through NextKey, as "key/rec"; stops at
// the first error word.
inline std::vector<std::string> ScanIndex(TIndexFile& ix) {
  std::vector<std::string> items;
  ix.PathDepth = 0;
  std::int32_t rec = 0;
  std::string key;
  for (NextKey(ix, rec, key); DBOk; NextKey(ix, rec, key))
    items.push_back(key + "/" + std::to_string(rec));
  return items;
}

class StoreFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DBMultiUser = false;
    DBErrorCode = 0;
    DBOk = true;
  }
  void TearDown() override {
    DBMultiUser = false;
    DBWaitCursor = nullptr;
  }
  std::string PathOf(const std::string& name) const { return scratch_ / name; }

  ScratchFolder scratch_;
};
