// Real vectors, matrices and least squares: the numeric kernel behind the
// affine fit to point pairs, the digitizer calibration and the fitting of
// rasters. An overdetermined system (one row per fit point) is solved in the
// least-squares sense through the normal equations, with an LU decomposition
// with scaled partial pivoting (Crout). Every element is an 80-bit extended
// real so that fits on map coordinates of hundreds of kilometres keep their
// precision.
//
// Vectors and matrices are plain values owning their element storage; the
// operations that produce a result resize it first. Dimensions and indexes
// are checked: a mismatch raises EInternalError instead of running past the
// storage. A singular matrix raises EGeometryError from the decomposition.
// Any thread may use its own values; nothing is shared.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

struct TRealVector {
  std::vector<long double> Data;
  std::int32_t N = 0;
};

struct TIndexVector {
  std::vector<std::int32_t> Data;
  std::int32_t N = 0;
};

// Elements row after row: (R, C) at R * Cols + C.
struct TRealMatrix {
  std::int32_t Rows = 0;
  std::int32_t Cols = 0;
  std::vector<long double> Data;

  long double& At(std::int32_t R, std::int32_t C) { return Data[std::size_t(R) * Cols + C]; }
  long double At(std::int32_t R, std::int32_t C) const { return Data[std::size_t(R) * Cols + C]; }
};

// A square matrix decomposed in place by Decomp: below the diagonal the
// multipliers of L (unit diagonal not stored), on and above it U. Index holds
// the row exchanged with each row during the decomposition.
struct TMatrixLU : TRealMatrix {
  TIndexVector Index;

  // Raises EInternalError "TMatrixLU.Decomp: big=0" for a row of zeros and
  // EGeometryError for any other singular matrix (a zero pivot); the matrix
  // is then unusable.
  void Decomp();
};

// Vectors.
void VectorInit(TRealVector& V);
// New contents are 0.
void VectorCreate(TRealVector& V, std::int32_t N);
// Keeps the leading elements.
void VectorSetSize(TRealVector& V, std::int32_t N);
void VectorFree(TRealVector& V);
void VectorSet(TRealVector& V, std::int32_t I, long double Value);
long double VectorGet(const TRealVector& V, std::int32_t I);
void IndexVectorCreate(TIndexVector& V, std::int32_t N);

// Matrices.
void MatrixInit(TRealMatrix& M);
// New contents are 0.
void MatrixCreate(TRealMatrix& M, std::int32_t Rows, std::int32_t Cols);
// Elements keep their positions in the flat array, not their row and column.
void MatrixSetSize(TRealMatrix& M, std::int32_t Rows, std::int32_t Cols);
void MatrixFree(TRealMatrix& M);
void MatrixAssign(TRealMatrix& M, const TRealMatrix& Src);
void MatrixSetElement(TRealMatrix& M, std::int32_t R, std::int32_t C, long double Value);
// Row R := Values[0..Last] (at most Cols of them), the rest of the row 0.
void MatrixSetRow(TRealMatrix& M, std::int32_t R, std::span<const long double> Values,
                  std::int32_t Last);
// Column C := V (V has at least Rows elements).
void MatrixSetColumn(TRealMatrix& M, std::int32_t C, const TRealVector& V);
// V := column C, V resized to Rows.
void MatrixGetColumn(const TRealMatrix& M, std::int32_t C, TRealVector& V);
void MatrixTranspose(TRealMatrix& M);
// C := A * B (C may be A or B).
void MatrixMultiply(const TRealMatrix& A, const TRealMatrix& B, TRealMatrix& C);
// R := M * V.
void MatrixVectorMultiply(const TRealMatrix& M, const TRealVector& V, TRealVector& R);

// LU and least squares.
// Solves the decomposed system for the right-hand side B, in place.
void BackSubstitute(const TMatrixLU& LU, TRealVector& B);
// Solves for every column of B in place: B := LU^-1 * B.
void SolveColumns(const TMatrixLU& LU, TRealMatrix& B);
// R := (A^T * A)^-1 * A^T, the least-squares left inverse of A (Rows >= Cols).
// R is written only on success.
void PseudoInverse(const TRealMatrix& A, TRealMatrix& R);
// X := PseudoInverse(A) * B, the least-squares solution of A * X = B.
void LeastSquares(const TRealMatrix& A, const TRealVector& B, TRealVector& X);
