// An object that can be handed out as an interface reference whose lifetime
// its owner controls: AddRef and Release count nothing and never free it.
// Descendants: the drawing-parameter implementation and the plug-in layer
// container. Any thread; the owner frees the object.
#pragma once

#include <array>
#include <cstdint>

#include "foundation/containers/object.h"

struct TGUID {
  std::uint32_t D1 = 0;
  std::uint16_t D2 = 0;
  std::uint16_t D3 = 0;
  std::array<std::uint8_t, 8> D4{};
  friend bool operator==(const TGUID&, const TGUID&) = default;
};

// The result of QueryInterface for an interface the object does not have.
inline constexpr std::int32_t kENoInterface = static_cast<std::int32_t>(0x80004002u);

// The three operations every interface starts with.
class IInterface {
public:
  virtual std::int32_t QueryInterface(const TGUID& iid, void** obj) = 0;
  virtual std::int32_t AddRef() = 0;
  virtual std::int32_t Release() = 0;

protected:
  ~IInterface() = default;
};

class TSimpleInterfacedObject : public TObject, public IInterface {
public:
  // kENoInterface for every identifier; *obj becomes nil.
  std::int32_t QueryInterface(const TGUID& iid, void** obj) override;
  // 0; nothing is counted.
  std::int32_t AddRef() override { return 0; }
  // 0; the object is never freed here.
  std::int32_t Release() override { return 0; }
};
