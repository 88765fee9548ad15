// A map view with two lines for the snapping tools' tests.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "layers/tree/sublayer.h"
#include "objects/linestylelib.h"
#include "objects/saverecord.h"
#include "platform/gui/responder.h"
#include "view/latchdialog.h"
#include "view/small_map_fixture.h"

// The small map view (small_map_fixture.h) with two lines in a shown line
// sublayer "LINIE": A from (50, 20) to (50, 180) and B from (10, 100) to
// (90, 100), crossing at (50, 100).
class LatchMapTest : public SmallMapTest {
protected:
  void SetUp() override {
    SmallMapTest::SetUp();
    AddLayer<TPodwarstwaLiniowa>(1, "LINIE", [this](TPodwarstwaLiniowa& Lines) {
      sub = &Lines;
      sub->LineStyle = LineManager().GetLine(1);
      lineA = Add(50, 20, 50, 180);
      lineB = Add(10, 100, 90, 100);
    });
    ASSERT_NE(sub, nullptr);
  }

  TEGraphObj* Add(double X1, double Y1, double X2, double Y2) {
    auto obj = sub->CreateObjectFromRecord(LineRecord(X1, Y1, X2, Y2));
    TEGraphObj* raw = obj.get();
    sub->AddObject(obj.release());
    return raw;
  }

  // Makes Tool the view's current tool.
  template <class T>
  T& Install(std::unique_ptr<T> Tool) {
    T& t = *Tool;
    view->SetKrzyz(std::move(Tool));
    return t;
  }
  bool Click(TKrzyz& Tool, double X, double Y) {
    Tool.HandleMove(TRealPoint{X, Y});
    return Tool.HandleClick(TRealPoint{X, Y});
  }
  // The next snapping window ends with Result after Fill set its values.
  void Answer(int Result, std::function<void(TLatchDialog&)> Fill = {}) {
    responder->AnswerForm([Result, Fill](platform::TForm& form) {
      auto& d = dynamic_cast<TLatchDialog&>(form);
      if (Fill) Fill(d);
      form.SetModalResult(Result);
    });
  }
  static std::function<void(TLatchDialog&)> Values(std::uint8_t Mode, double A, double B, double Z = 0) {
    return [=](TLatchDialog& d) {
      d.SetInputMode(Mode);
      d.A = A;
      d.B = B;
      d.Z = Z;
    };
  }

  TPodwarstwaLiniowa* sub = nullptr;
  TEGraphObj* lineA = nullptr;
  TEGraphObj* lineB = nullptr;
};
