#include "foundation/containers/method.h"

#include <gtest/gtest.h>

#include "foundation/containers/interfacedobject.h"

namespace {

class Subscriber {
public:
  void Changed(int v) { last = v; }
  void Changing(int v) { last = -v; }
  void Peek(int v) const { peeked = v; }
  int last = 0;
  mutable int peeked = 0;
};

TEST(MethodTest, SameMethodComparesCodeAndObject) {
  Subscriber a, b;
  TMethod<int> aChanged(&a, &Subscriber::Changed);
  EXPECT_TRUE(SameMethod(aChanged, TMethod<int>(&a, &Subscriber::Changed)));
  EXPECT_FALSE(SameMethod(aChanged, TMethod<int>(&b, &Subscriber::Changed)));
  EXPECT_FALSE(SameMethod(aChanged, TMethod<int>(&a, &Subscriber::Changing)));
  EXPECT_FALSE(SameMethod(aChanged, TMethod<int>()));
  EXPECT_TRUE(SameMethod(TMethod<int>(), TMethod<int>()));

  aChanged(5);
  EXPECT_EQ(a.last, 5);
  const Subscriber& ca = a;
  TMethod<int> peek(&ca, &Subscriber::Peek);
  peek(3);
  EXPECT_EQ(a.peeked, 3);
  EXPECT_TRUE(static_cast<bool>(peek));
  EXPECT_FALSE(static_cast<bool>(TMethod<int>()));
}

TEST(SimpleInterfacedObjectTest, CountsNothingAndHasNoInterface) {
  TSimpleInterfacedObject object;
  IInterface& intf = object;
  void* obj = &object;
  EXPECT_EQ(intf.QueryInterface(TGUID{1, 2, 3, {}}, &obj), kENoInterface);
  EXPECT_EQ(obj, nullptr);
  EXPECT_EQ(intf.AddRef(), 0);
  EXPECT_EQ(intf.Release(), 0);
  EXPECT_EQ(intf.Release(), 0);  // still alive: the owner frees it
}

}  // namespace
