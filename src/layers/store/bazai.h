// What a layer file needs of the database it belongs to: the user number it
// stamps into new, changed and archived records, and the two rights it
// tests. The layer database implements it; tests give their own.
//
// Used by the thread that uses the layer file; the file does not own it.
#pragma once

#include <cstdint>

class ILayerBase {
public:
  virtual ~ILayerBase() = default;
  virtual std::uint16_t UserNumber() const = 0;
  // True when the user lacks the right to modify layers (0x10000).
  virtual bool IsReadOnly() const = 0;
  // True when the user has the right to export (0x40000).
  virtual bool CanExport() const = 0;
};

// Rights of the layer store, as the user manager knows them.
inline constexpr std::uint32_t kRightModifyLayers = 0x10000;
inline constexpr std::uint32_t kRightExport = 0x40000;

// The rights of a user looked up in the program's user manager; an unknown
// user passes every test.
class TUserLayerBase : public ILayerBase {
public:
  explicit TUserLayerBase(std::uint16_t user) : user_(user) {}
  std::uint16_t UserNumber() const override { return user_; }
  bool IsReadOnly() const override;
  bool CanExport() const override;

private:
  std::uint16_t user_;
};
