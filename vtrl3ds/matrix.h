// clsMatrix: the model library's 4x4 single-precision matrix, column-major like OpenGL's, holding
// rigid transforms (a rotation block and a translation). An array argument shorter than an
// operation needs raises ERangeError; nothing else reports failure.
#pragma once

#include <span>

// A 4x4 matrix; the element in row r and column k is m_matrix[4 * k + r]. The upper-left 3x3
// block is the rotation, indices 12..14 the translation; the bottom row is taken as (0, 0, 0, 1).
class clsMatrix {
  public:
    // A new matrix is the identity.
    clsMatrix() { LoadIdentity(); }

    // The identity: 1 at indices 0, 5, 10 and 15, 0 elsewhere.
    void LoadIdentity();
    // Copies Matrix[0..15] into the matrix in index order.
    void SetMatrixValues(std::span<const float> Matrix);
    // Copies the matrix into Matrix[0..15].
    void GetMatrix(std::span<float> Matrix) const;
    // This := this x Matrix (Matrix applied first, then this); Matrix may be this object.
    void PostMultiply(const clsMatrix& Matrix);
    // Indices 12, 13, 14 := Translation[0..2]; everything else unchanged.
    void SetTranslation(std::span<const float> Translation);
    // The rotation block := Rz(Angles[2]) Ry(Angles[1]) Rx(Angles[0]), radians; everything else unchanged.
    void SetRotationRadians(std::span<const float> Angles);
    // pVect := (rotation block) transposed x pVect: the inverse of a pure rotation.
    void InverseRotateVect(std::span<float> pVect) const;
    // pVect := pVect - translation.
    void InverseTranslateVect(std::span<float> pVect) const;

    float m_matrix[16];
};
