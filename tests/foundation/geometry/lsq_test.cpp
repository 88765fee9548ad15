#include "foundation/geometry/lsq.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/errors.h"
#include "foundation/geometry/planegeom.h"

namespace {

TRealMatrix MakeMatrix(std::int32_t Rows, std::int32_t Cols, std::vector<long double> Values) {
  TRealMatrix m;
  MatrixCreate(m, Rows, Cols);
  m.Data = std::move(Values);
  return m;
}

TRealVector MakeVector(std::vector<long double> Values) {
  TRealVector v;
  VectorCreate(v, static_cast<std::int32_t>(Values.size()));
  v.Data = std::move(Values);
  return v;
}

// The design matrix of a line fit y = a*x + b: rows (x, 1).
TRealMatrix LineDesign(const std::vector<long double>& Xs) {
  TRealMatrix a;
  MatrixCreate(a, static_cast<std::int32_t>(Xs.size()), 2);
  for (std::size_t r = 0; r < Xs.size(); ++r) {
    const long double row[] = {Xs[r], 1};
    MatrixSetRow(a, static_cast<std::int32_t>(r), row, 1);
  }
  return a;
}

}  // namespace

TEST(Lsq, PseudoInverseOfASquareMatrixIsItsInverse) {
  TRealMatrix r;
  PseudoInverse(MakeMatrix(2, 2, {2, 0, 0, 4}), r);
  ASSERT_EQ(r.Rows, 2);
  ASSERT_EQ(r.Cols, 2);
  EXPECT_EQ(r.Data, (std::vector<long double>{0.5L, 0, 0, 0.25L}));
}

TEST(Lsq, LeastSquaresLineFits) {
  TRealVector x;
  LeastSquares(LineDesign({0, 1, 2}), MakeVector({1, 3, 5}), x);
  ASSERT_EQ(x.N, 2);
  EXPECT_NEAR(static_cast<double>(VectorGet(x, 0)), 2.0, 1e-15);
  EXPECT_NEAR(static_cast<double>(VectorGet(x, 1)), 1.0, 1e-15);

  LeastSquares(LineDesign({0, 1, 2}), MakeVector({0, 1, 1}), x);
  EXPECT_NEAR(static_cast<double>(VectorGet(x, 0)), 0.5, 1e-15);
  EXPECT_NEAR(static_cast<double>(VectorGet(x, 1)), 1.0 / 6, 1e-15);
}

TEST(Lsq, AffineFitOnMapCoordinatesKeepsItsPrecision) {
  // X' = 1.0001*X - 0.0002*Y + 12.5 for a sheet of 2 km some 500 km from the
  // origin.
  const long double xs[] = {550000, 552000, 550000, 552000, 551000};
  const long double ys[] = {740000, 740000, 742000, 742000, 741000};
  TRealMatrix a;
  MatrixCreate(a, 5, 3);
  TRealVector b;
  VectorCreate(b, 5);
  for (int i = 0; i < 5; ++i) {
    const long double row[] = {xs[i], ys[i], 1};
    MatrixSetRow(a, i, row, 2);
    VectorSet(b, i, 1.0001L * xs[i] - 0.0002L * ys[i] + 12.5L);
  }
  TRealVector x;
  LeastSquares(a, b, x);
  EXPECT_NEAR(static_cast<double>(x.Data[0]), 1.0001, 1e-10);
  EXPECT_NEAR(static_cast<double>(x.Data[1]), -0.0002, 1e-10);
  EXPECT_NEAR(static_cast<double>(x.Data[2]), 12.5, 1e-4);
}

TEST(Lsq, DecompPivotsOnTheLargerScaledCandidate) {
  TMatrixLU lu;
  MatrixAssign(lu, MakeMatrix(2, 2, {1, 2, 3, 4}));
  lu.Decomp();
  ASSERT_EQ(lu.Index.N, 2);
  EXPECT_EQ(lu.Index.Data[0], 1);
  EXPECT_EQ(lu.Index.Data[1], 1);
  // Row (3, 4) first: L = (1, 0 / 1/3, 1), U = (3, 4 / 0, 2/3).
  EXPECT_EQ(lu.At(0, 0), 3);
  EXPECT_EQ(lu.At(0, 1), 4);
  EXPECT_NEAR(static_cast<double>(lu.At(1, 0)), 1.0 / 3, 1e-18);
  EXPECT_NEAR(static_cast<double>(lu.At(1, 1)), 2.0 / 3, 1e-18);

  TRealVector b = MakeVector({5, 11});  // solution (1, 2)
  BackSubstitute(lu, b);
  EXPECT_NEAR(static_cast<double>(b.Data[0]), 1.0, 1e-18);
  EXPECT_NEAR(static_cast<double>(b.Data[1]), 2.0, 1e-18);
}

TEST(Lsq, ZeroRowRaisesBigZero) {
  TMatrixLU lu;
  MatrixAssign(lu, MakeMatrix(2, 2, {1, 2, 0, 0}));
  try {
    lu.Decomp();
    FAIL() << "nothing raised";
  } catch (const EInternalError& e) {
    EXPECT_STREQ(e.what(), "TMatrixLU.Decomp: big=0");
  }
  TRealMatrix r = MakeMatrix(1, 1, {7});
  EXPECT_THROW(PseudoInverse(MakeMatrix(3, 2, {1, 0, 2, 0, 3, 0}), r), EInternalError);
  EXPECT_EQ(r.Data, (std::vector<long double>{7}));  // untouched
}

TEST(Lsq, SingularMatrixRaisesGeometryErrorInsteadOfDividingByZero) {
  // No zero row, yet singular: the pivots run out in the middle or at the end.
  const TRealMatrix singular[] = {
      MakeMatrix(2, 2, {1, 2, 2, 4}),
      MakeMatrix(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9}),
      MakeMatrix(3, 3, {1, 1, 0, 1, 1, 0, 0, 0, 1}),
  };
  for (const TRealMatrix& m : singular) {
    TMatrixLU lu;
    MatrixAssign(lu, m);
    EXPECT_THROW(lu.Decomp(), EGeometryError);
  }
  // A fit whose points all have one X cannot give a slope.
  TRealVector x = MakeVector({9, 9});
  EXPECT_THROW(LeastSquares(LineDesign({3, 3, 3}), MakeVector({1, 2, 3}), x), EGeometryError);
  EXPECT_EQ(x.Data, (std::vector<long double>{9, 9}));
}

TEST(Lsq, BackSubstituteOfAZeroPivotRaises) {
  // A decomposition made by hand with a zero at the end of its diagonal.
  TMatrixLU lu;
  MatrixAssign(lu, MakeMatrix(2, 2, {1, 1, 1, 0}));
  IndexVectorCreate(lu.Index, 2);
  lu.Index.Data = {0, 1};
  TRealVector b = MakeVector({1, 1});
  EXPECT_THROW(BackSubstitute(lu, b), EGeometryError);
}

TEST(Lsq, SetRowClearsTheRestOfTheRow) {
  TRealMatrix m;
  MatrixCreate(m, 2, 4);
  m.Data.assign(8, 9);
  const long double values[] = {1, 2, 3, 4};
  MatrixSetRow(m, 1, values, 1);
  EXPECT_EQ(m.Data, (std::vector<long double>{9, 9, 9, 9, 1, 2, 0, 0}));
  MatrixSetRow(m, 0, values, 3);
  EXPECT_EQ(m.Data, (std::vector<long double>{1, 2, 3, 4, 1, 2, 0, 0}));
}

TEST(Lsq, TransposeSquareAndOblong) {
  TRealMatrix m = MakeMatrix(2, 3, {1, 2, 3, 4, 5, 6});
  MatrixTranspose(m);
  ASSERT_EQ(m.Rows, 3);
  ASSERT_EQ(m.Cols, 2);
  EXPECT_EQ(m.Data, (std::vector<long double>{1, 4, 2, 5, 3, 6}));
  TRealMatrix s = MakeMatrix(2, 2, {1, 2, 3, 4});
  MatrixTranspose(s);
  EXPECT_EQ(s.Data, (std::vector<long double>{1, 3, 2, 4}));
}

TEST(Lsq, MultiplyAndColumns) {
  TRealMatrix a = MakeMatrix(2, 3, {1, 2, 3, 4, 5, 6});
  TRealMatrix b = MakeMatrix(3, 1, {1, 0, -1});
  TRealMatrix c = MakeMatrix(1, 1, {99});
  MatrixMultiply(a, b, c);
  EXPECT_EQ(c.Rows, 2);
  EXPECT_EQ(c.Cols, 1);
  EXPECT_EQ(c.Data, (std::vector<long double>{-2, -2}));

  TRealMatrix sq = MakeMatrix(2, 2, {1, 1, 0, 1});
  MatrixMultiply(sq, sq, sq);  // the result may be an operand
  EXPECT_EQ(sq.Data, (std::vector<long double>{1, 2, 0, 1}));

  TRealVector r;
  MatrixVectorMultiply(a, MakeVector({1, 1, 1}), r);
  EXPECT_EQ(r.Data, (std::vector<long double>{6, 15}));

  TRealVector column;
  MatrixGetColumn(a, 2, column);
  EXPECT_EQ(column.Data, (std::vector<long double>{3, 6}));
  MatrixSetColumn(a, 0, MakeVector({7, 8}));
  EXPECT_EQ(a.Data, (std::vector<long double>{7, 2, 3, 8, 5, 6}));
}

TEST(Lsq, SetSizeKeepsFlatPositions) {
  TRealVector v = MakeVector({1, 2, 3});
  VectorSetSize(v, 2);
  EXPECT_EQ(v.Data, (std::vector<long double>{1, 2}));
  TRealMatrix m = MakeMatrix(2, 2, {1, 2, 3, 4});
  MatrixSetSize(m, 1, 3);
  EXPECT_EQ(m.Data, (std::vector<long double>{1, 2, 3}));
  MatrixFree(m);
  EXPECT_EQ(m.Rows, 0);
  EXPECT_TRUE(m.Data.empty());
}

TEST(Lsq, MismatchedSizesRaiseInsteadOfOverrunning) {
  TRealMatrix a = MakeMatrix(2, 3, {1, 2, 3, 4, 5, 6});
  TRealMatrix c;
  TRealVector v = MakeVector({1, 2});
  EXPECT_THROW(MatrixMultiply(a, a, c), EInternalError);
  EXPECT_THROW(MatrixVectorMultiply(a, v, v), EInternalError);
  EXPECT_THROW(MatrixSetColumn(a, 0, MakeVector({1})), EInternalError);
  EXPECT_THROW(MatrixSetColumn(a, 3, v), EInternalError);
  EXPECT_THROW(MatrixSetElement(a, 2, 0, 1), EInternalError);
  EXPECT_THROW(VectorGet(v, 2), EInternalError);
  EXPECT_THROW(VectorSet(v, -1, 0), EInternalError);
  const long double row[] = {1, 2};
  EXPECT_THROW(MatrixSetRow(a, 0, row, 2), EInternalError);
  TMatrixLU lu;
  MatrixAssign(lu, a);
  EXPECT_THROW(lu.Decomp(), EInternalError);  // not square
  EXPECT_THROW(LeastSquares(LineDesign({0, 1, 2}), v, v), EInternalError);
}
