#include "foundation/geometry/lsq.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "foundation/errors.h"
#include "foundation/geometry/planegeom.h"

namespace {

[[noreturn]] void RaiseSize(const char* Operation) {
  throw EInternalError(std::string(Operation) + ": niezgodne wymiary");
}

void CheckIndex(bool Valid, const char* Operation) {
  if (!Valid) throw EInternalError(std::string(Operation) + ": indeks poza zakresem");
}

std::size_t Count(std::int32_t Rows, std::int32_t Cols) {
  if (Rows < 0 || Cols < 0) RaiseSize("MatrixCreate");
  return std::size_t(Rows) * std::size_t(Cols);
}

}  // namespace

void VectorInit(TRealVector& V) {
  V.Data.clear();
  V.Data.shrink_to_fit();
  V.N = 0;
}

void VectorCreate(TRealVector& V, std::int32_t N) {
  if (N < 0) RaiseSize("VectorCreate");
  V.Data.assign(std::size_t(N), 0.0L);
  V.N = N;
}

void VectorSetSize(TRealVector& V, std::int32_t N) {
  if (N < 0) RaiseSize("VectorSetSize");
  if (N == V.N) return;
  V.Data.resize(std::size_t(N), 0.0L);
  V.N = N;
}

void VectorFree(TRealVector& V) { VectorInit(V); }

void VectorSet(TRealVector& V, std::int32_t I, long double Value) {
  CheckIndex(I >= 0 && I < V.N, "VectorSet");
  V.Data[std::size_t(I)] = Value;
}

long double VectorGet(const TRealVector& V, std::int32_t I) {
  CheckIndex(I >= 0 && I < V.N, "VectorGet");
  return V.Data[std::size_t(I)];
}

void IndexVectorCreate(TIndexVector& V, std::int32_t N) {
  if (N < 0) RaiseSize("IndexVectorCreate");
  V.Data.assign(std::size_t(N), 0);
  V.N = N;
}

void MatrixInit(TRealMatrix& M) {
  M.Data.clear();
  M.Data.shrink_to_fit();
  M.Rows = 0;
  M.Cols = 0;
}

void MatrixCreate(TRealMatrix& M, std::int32_t Rows, std::int32_t Cols) {
  M.Data.assign(Count(Rows, Cols), 0.0L);
  M.Rows = Rows;
  M.Cols = Cols;
}

void MatrixSetSize(TRealMatrix& M, std::int32_t Rows, std::int32_t Cols) {
  if (Rows == M.Rows && Cols == M.Cols) return;
  M.Data.resize(Count(Rows, Cols), 0.0L);
  M.Rows = Rows;
  M.Cols = Cols;
}

void MatrixFree(TRealMatrix& M) { MatrixInit(M); }

void MatrixAssign(TRealMatrix& M, const TRealMatrix& Src) {
  M.Rows = Src.Rows;
  M.Cols = Src.Cols;
  M.Data = Src.Data;
}

void MatrixSetElement(TRealMatrix& M, std::int32_t R, std::int32_t C, long double Value) {
  CheckIndex(R >= 0 && R < M.Rows && C >= 0 && C < M.Cols, "MatrixSetElement");
  M.At(R, C) = Value;
}

void MatrixSetRow(TRealMatrix& M, std::int32_t R, std::span<const long double> Values,
                  std::int32_t Last) {
  CheckIndex(R >= 0 && R < M.Rows, "MatrixSetRow");
  if (Last >= 0 && std::size_t(Last) >= Values.size()) RaiseSize("MatrixSetRow");
  for (std::int32_t c = 0; c < M.Cols; ++c) M.At(R, c) = c <= Last ? Values[std::size_t(c)] : 0.0L;
}

void MatrixSetColumn(TRealMatrix& M, std::int32_t C, const TRealVector& V) {
  CheckIndex(C >= 0 && C < M.Cols, "MatrixSetColumn");
  if (V.N < M.Rows) RaiseSize("MatrixSetColumn");
  for (std::int32_t r = 0; r < M.Rows; ++r) M.At(r, C) = V.Data[std::size_t(r)];
}

void MatrixGetColumn(const TRealMatrix& M, std::int32_t C, TRealVector& V) {
  CheckIndex(C >= 0 && C < M.Cols, "MatrixGetColumn");
  VectorSetSize(V, M.Rows);
  for (std::int32_t r = 0; r < M.Rows; ++r) V.Data[std::size_t(r)] = M.At(r, C);
}

void MatrixTranspose(TRealMatrix& M) {
  if (M.Rows == M.Cols) {
    for (std::int32_t r = 0; r < M.Rows; ++r)
      for (std::int32_t c = r + 1; c < M.Cols; ++c) std::swap(M.At(r, c), M.At(c, r));
    return;
  }
  TRealMatrix t;
  MatrixCreate(t, M.Cols, M.Rows);
  for (std::int32_t r = 0; r < M.Rows; ++r)
    for (std::int32_t c = 0; c < M.Cols; ++c) t.At(c, r) = M.At(r, c);
  M = std::move(t);
}

void MatrixMultiply(const TRealMatrix& A, const TRealMatrix& B, TRealMatrix& C) {
  if (A.Cols != B.Rows) RaiseSize("MatrixMultiply");
  TRealMatrix product;  // C may be A or B
  MatrixCreate(product, A.Rows, B.Cols);
  for (std::int32_t r = 0; r < A.Rows; ++r)
    for (std::int32_t c = 0; c < B.Cols; ++c) {
      long double sum = 0;
      for (std::int32_t k = 0; k < A.Cols; ++k) sum += A.At(r, k) * B.At(k, c);
      product.At(r, c) = sum;
    }
  C = std::move(product);
}

void MatrixVectorMultiply(const TRealMatrix& M, const TRealVector& V, TRealVector& R) {
  if (V.N != M.Cols) RaiseSize("MatrixVectorMultiply");
  TRealVector result;  // R may be V
  VectorCreate(result, M.Rows);
  for (std::int32_t r = 0; r < M.Rows; ++r) {
    long double sum = 0;
    for (std::int32_t k = 0; k < M.Cols; ++k) sum += M.At(r, k) * V.Data[std::size_t(k)];
    result.Data[std::size_t(r)] = sum;
  }
  R = std::move(result);
}

void TMatrixLU::Decomp() {
  if (Rows != Cols) RaiseSize("TMatrixLU.Decomp");
  const std::int32_t n = Rows;
  // Implicit scaling: each row's pivot candidates are measured against the
  // row's largest element.
  std::vector<long double> scale(static_cast<std::size_t>(n));
  for (std::int32_t i = 0; i < n; ++i) {
    long double big = 0;
    for (std::int32_t j = 0; j < n; ++j) big = std::max(big, std::fabs(At(i, j)));
    if (big == 0) throw EInternalError("TMatrixLU.Decomp: big=0");
    scale[std::size_t(i)] = 1 / big;
  }
  IndexVectorCreate(Index, n);

  for (std::int32_t j = 0; j < n; ++j) {
    for (std::int32_t i = 0; i < j; ++i) {
      long double sum = At(i, j);
      for (std::int32_t k = 0; k < i; ++k) sum -= At(i, k) * At(k, j);
      At(i, j) = sum;
    }
    long double best = 0;
    std::int32_t pivot = j;
    for (std::int32_t i = j; i < n; ++i) {
      long double sum = At(i, j);
      for (std::int32_t k = 0; k < j; ++k) sum -= At(i, k) * At(k, j);
      At(i, j) = sum;
      const long double candidate = scale[std::size_t(i)] * std::fabs(sum);
      if (candidate > best) {
        best = candidate;
        pivot = i;
      }
    }
    if (pivot != j) {
      for (std::int32_t k = 0; k < n; ++k) std::swap(At(pivot, k), At(j, k));
      scale[std::size_t(pivot)] = scale[std::size_t(j)];
    }
    Index.Data[std::size_t(j)] = pivot;
    // A zero pivot: the matrix is singular and U cannot be divided by.
    if (At(j, j) == 0) throw EGeometryError("TMatrixLU.Decomp: macierz osobliwa");
    if (j < n - 1) {
      const long double inverse = 1 / At(j, j);
      for (std::int32_t i = j + 1; i < n; ++i) At(i, j) *= inverse;
    }
  }
}

void BackSubstitute(const TMatrixLU& LU, TRealVector& B) {
  const std::int32_t n = LU.Rows;
  if (LU.Cols != n || LU.Index.N != n || B.N != n) RaiseSize("BackSubstitute");
  auto& b = B.Data;
  std::int32_t first = -1;  // first row with a nonzero right-hand side
  for (std::int32_t i = 0; i < n; ++i) {
    const std::int32_t p = LU.Index.Data[std::size_t(i)];
    CheckIndex(p >= 0 && p < n, "BackSubstitute");
    long double sum = b[std::size_t(p)];
    b[std::size_t(p)] = b[std::size_t(i)];
    if (first >= 0) {
      for (std::int32_t j = first; j < i; ++j) sum -= LU.At(i, j) * b[std::size_t(j)];
    } else if (sum != 0) {
      first = i;
    }
    b[std::size_t(i)] = sum;
  }
  for (std::int32_t i = n - 1; i >= 0; --i) {
    long double sum = b[std::size_t(i)];
    for (std::int32_t j = i + 1; j < n; ++j) sum -= LU.At(i, j) * b[std::size_t(j)];
    if (LU.At(i, i) == 0) throw EGeometryError("BackSubstitute: macierz osobliwa");
    b[std::size_t(i)] = sum / LU.At(i, i);
  }
}

void SolveColumns(const TMatrixLU& LU, TRealMatrix& B) {
  if (B.Rows != LU.Rows) RaiseSize("SolveColumns");
  TRealVector column;
  for (std::int32_t c = 0; c < B.Cols; ++c) {
    MatrixGetColumn(B, c, column);
    BackSubstitute(LU, column);
    MatrixSetColumn(B, c, column);
  }
}

void PseudoInverse(const TRealMatrix& A, TRealMatrix& R) {
  TRealMatrix transposed;
  MatrixAssign(transposed, A);
  MatrixTranspose(transposed);
  TMatrixLU normal;
  MatrixMultiply(transposed, A, normal);
  normal.Decomp();
  SolveColumns(normal, transposed);
  R = std::move(transposed);
}

void LeastSquares(const TRealMatrix& A, const TRealVector& B, TRealVector& X) {
  if (B.N != A.Rows) RaiseSize("LeastSquares");
  TRealMatrix inverse;
  PseudoInverse(A, inverse);
  MatrixVectorMultiply(inverse, B, X);
}
