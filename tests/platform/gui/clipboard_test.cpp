#include "platform/gui/clipboard.h"

#include <gtest/gtest.h>

namespace {

using namespace platform;

TEST(ClipboardTest, HoldsTheLastTextPutOnIt) {
  for (const char* text : {"5000,25 -12.5", "zażółć\tgęślą\r\njaźń", ""}) {
    SetClipboardText(text);
    EXPECT_EQ(ClipboardText(), text);
  }
}

}  // namespace
