#include "foundation/storage/headerreader.h"

#include <gtest/gtest.h>

#include "foundation/errors.h"
#include "common/scratch_folder.h"

namespace {

class HeaderReader : public ::testing::Test {
 protected:
  // Writes the bytes as they stand (code page 1250) and returns the path.
  std::string Write(const std::string& bytes) const { return scratch_.Put("naglowek.txt", bytes); }

  template <typename F>
  static std::string ErrorOf(F f) {
    try {
      f();
    } catch (const Exception& e) {
      return e.Message();
    }
    return "(no error)";
  }

  ScratchFolder scratch_;
};

}  // namespace

TEST_F(HeaderReader, ReadsKeysAndValues) {
  const TTextHeaderReader r(Write(
      "Nazwa = Mapa zasadnicza \r\n\r\n   Skala=500\r\nX0 =  5512345.25\n"
      "opis=\xA3\xB9ka = 2\r\nSKALA=1000\r\npusty=\r\n**\r\nPo=koncu\r\n"));
  std::string v;
  ASSERT_TRUE(r.GetValue("nazwa", v));
  EXPECT_EQ(v, "Mapa zasadnicza");
  ASSERT_TRUE(r.GetValue("OPIS", v));
  EXPECT_EQ(v, "Łąka = 2");              // code page 1250 converted, first '=' splits
  ASSERT_TRUE(r.GetValue("pusty", v));
  EXPECT_EQ(v, "");
  EXPECT_FALSE(r.GetValue("Po", v));     // after "**"
  std::int32_t n = -1;
  ASSERT_TRUE(r.GetInt("skala", n));
  EXPECT_EQ(n, 500);                     // the first occurrence wins
  double x = 0;
  ASSERT_TRUE(r.GetReal("x0", x));
  EXPECT_DOUBLE_EQ(x, 5512345.25);
}

TEST_F(HeaderReader, MissingKeysLeaveOutputs) {
  const TTextHeaderReader r(Write("a=1\r\n"));
  std::int32_t n = 7;
  double x = 2.5;
  std::string v = "x";
  EXPECT_FALSE(r.GetInt("b", n));
  EXPECT_FALSE(r.GetReal("b", x));
  EXPECT_FALSE(r.GetValue("b", v));
  EXPECT_EQ(n, 7);
  EXPECT_EQ(x, 2.5);
  EXPECT_EQ(v, "x");
}

TEST_F(HeaderReader, EndMarksAndEmptyFiles) {
  std::string v;
  EXPECT_FALSE(TTextHeaderReader(Write("**\r\na=1\r\n")).GetValue("a", v));
  EXPECT_FALSE(TTextHeaderReader(Write("  ** koniec\r\na=1\r\n")).GetValue("a", v));
  EXPECT_FALSE(TTextHeaderReader(Write("")).GetValue("a", v));
  EXPECT_FALSE(TTextHeaderReader(Write(" \r\n\t\r\n")).GetValue("a", v));
  // A DOS end-of-text mark ends the file.
  const TTextHeaderReader dos(Write("a=1\r\n\x1A" "b\r\n"));
  EXPECT_TRUE(dos.GetValue("a", v));
  // A last line without a line end is read.
  EXPECT_TRUE(TTextHeaderReader(Write("a=1\r\nb=2")).GetValue("b", v));
  EXPECT_EQ(v, "2");
}

TEST_F(HeaderReader, LongValueIsCutTo300Characters) {
  const TTextHeaderReader r(Write("k=" + std::string(350, '\xB9') + "\r\n"));
  std::string v;
  ASSERT_TRUE(r.GetValue("k", v));
  std::string expected;
  for (int i = 0; i < 300; ++i) expected += "ą";
  EXPECT_EQ(v, expected);
}

TEST_F(HeaderReader, Errors) {
  const std::string missing = scratch_ / "brak.txt";
  EXPECT_EQ(ErrorOf([&] { TTextHeaderReader r(missing); }), "Nie można otworzyć pliku: " + missing);

  const std::string path = Write("a=1\r\nbez znaku r\xF3wno\x9C" "ci\r\n");
  EXPECT_EQ(ErrorOf([&] { TTextHeaderReader r(path); }),
            "Błąd w pliku: " + path + "\r\nLinia: bez znaku równości");

  const TTextHeaderReader r(Write("n=12a\r\nx=1,5\r\n"));
  std::int32_t n = 0;
  double x = 0;
  EXPECT_THROW(r.GetInt("n", n), EConvertError);
  EXPECT_EQ(ErrorOf([&] { r.GetInt("N", n); }), "Błąd konwersji: N");
  EXPECT_EQ(ErrorOf([&] { r.GetReal("x", x); }), "Błąd konwersji: 1,5");
}
