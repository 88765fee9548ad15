#include "foundation/errors.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/files/files.h"

namespace {

TEST(ErrorsTest, NotImplementedNamesTheOperation) {
  ENotImplemented e("TEGraphObj.EditKrzyz");
  EXPECT_STREQ(e.what(), "TEGraphObj.EditKrzyz not implemented yet");
  EXPECT_NE(dynamic_cast<const EInternalError*>(&e), nullptr);
}

TEST(ErrorsTest, CodeSelectsTheFixedMessage) {
  const std::vector<std::pair<int, std::string>> table = {
      {0, "Próba uaktywnienia warstwy tylko do odczytu"},
      {1, "Brak aktywnej warstwy"},
      {2, "Menu aktywności: Błędna nazwa linii specjalnej"},
      {3, "Menu aktywności: Błędny numer linii specjalnej"},
      {4, "Usuwanie z warstwy tylko do odczytu"},
      {5, "Invalid \"where\""},
      {6, "Poprzednia linia ma zerową długość"},
      {7, "Linia bazowa: Błąd w obliczeniach"},
  };
  for (const auto& [code, text] : table) {
    ETolvikaError e(code);
    EXPECT_EQ(e.Message(), text) << code;
    EXPECT_EQ(e.Code, code);
  }
  ETvError tv(1);
  EXPECT_STREQ(tv.what(), "Brak aktywnej warstwy");
  EXPECT_EQ(tv.Code, 1);
  EWarstwaError w(TolvikaErrorCode::InvalidWhere);
  EXPECT_EQ(w.Message(), "Invalid \"where\"");
  EXPECT_EQ(w.Code, 5);
}

TEST(ErrorsTest, MessageConstructorLeavesCodeZero) {
  EGrEditError e("Błąd podczas obliczania łuku");
  EXPECT_EQ(e.Message(), "Błąd podczas obliczania łuku");
  EXPECT_EQ(e.Code, 0);
  EDriverError d(FormatMessage("Zła nazwa drivera: %s", "abc.so"));
  EXPECT_EQ(d.Message(), "Zła nazwa drivera: abc.so");
}

// A code beyond the table must not read past it.
TEST(ErrorsTest, OutOfRangeCodeGivesNumberedMessageNotGarbage) {
  ETvError e(8);
  EXPECT_EQ(e.Message(), "Błąd nr 8");
  EXPECT_EQ(ETolvikaError::CodeMessage(-1), "Błąd nr -1");
}

TEST(ErrorsTest, WindowsIOErrorKeepsMessageAndCode) {
  EWindowsIOError plain("Brak pliku z symbolami: /x/nk1.sym");
  EXPECT_EQ(plain.Message(), "Brak pliku z symbolami: /x/nk1.sym");
  EXPECT_EQ(plain.ErrorCode, 0);
  EWindowsIOError coded("Brak pliku: /x/a.txt", platform::kErrorFileNotFound);
  EXPECT_EQ(coded.Message(), "Brak pliku: /x/a.txt (" +
                                 platform::ErrorText(platform::kErrorFileNotFound) + ")");
  EXPECT_EQ(coded.ErrorCode, 2);
  EXPECT_NE(dynamic_cast<const EInOutError*>(&coded), nullptr);
}

template <class Caught>
bool Catches(const std::function<void()>& raise) {
  try {
    raise();
  } catch (const Caught&) {
    return true;
  } catch (...) {
    return false;
  }
  return false;
}

TEST(ErrorsTest, HandlersCatchTheirKindOnly) {
  const std::vector<std::function<void()>> family = {
      [] { throw ETvError(1); },          [] { throw EWarstwaError(4); },
      [] { throw EPrintError("p"); },     [] { throw EFormatkaError("Błąd formatki: x"); },
      [] { throw EBeginDocError("Zaduży obszar"); }, [] { throw EGrEditError("g"); },
      [] { throw EBlockError("Przenoszenie bloku"); }, [] { throw EDrawError("d"); },
      [] { throw EDriverError("r"); },
  };
  for (const auto& raise : family) EXPECT_TRUE(Catches<ETolvikaError>(raise));
  EXPECT_TRUE(Catches<EPrintError>([] { throw EFormatkaError("f"); }));

  EXPECT_FALSE(Catches<ETolvikaError>([] { throw EInternalError("Macierz nieodwracalna"); }));
  EXPECT_FALSE(Catches<ETolvikaError>([] { throw ECanceled(); }));
  EXPECT_FALSE(Catches<ETolvikaError>([] { throw EWindowsIOError("Brak pliku: a"); }));

  EXPECT_TRUE(Catches<ECanceled>([] { throw EAbortDraw(); }));
  EXPECT_FALSE(Catches<EAbortDraw>([] { throw ECanceled(); }));
  EXPECT_TRUE(Catches<std::exception>([] { throw EDriverError("r"); }));
}

TEST(ErrorsTest, OnlyAbortsAreSilent) {
  EXPECT_TRUE(IsSilentError(ECanceled()));
  EXPECT_TRUE(IsSilentError(EAbortDraw()));
  EXPECT_TRUE(IsSilentError(EAbort()));
  EXPECT_STREQ(ECanceled().what(), "");
  EXPECT_FALSE(IsSilentError(ETvError(1)));
  EXPECT_FALSE(IsSilentError(EInternalError("x")));
  EXPECT_FALSE(IsSilentError(std::runtime_error("x")));
}

}  // namespace
