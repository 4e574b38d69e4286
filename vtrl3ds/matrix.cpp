// The matrix operations of clsMatrix (see matrix.h). Sums and products are formed in double and
// rounded once to single, like arithmetic in a wider register; an array argument with fewer
// entries than an operation reads raises ERangeError naming the operation.
#include "vtrl3ds/matrix.h"

#include <cmath>
#include <string>

#include "vtrl3ds/errors.h"

namespace {

void needEntries(const char* routine, size_t have, size_t need) {
    if (have < need)
        throw ERangeError(std::string("clsMatrix.") + routine + ": array of " + std::to_string(have) +
                          " entries, needs " + std::to_string(need));
}

float single(double v) {
    return static_cast<float>(v);
}

}  // namespace

void clsMatrix::LoadIdentity() {
    for (float& e : m_matrix) e = 0;
    m_matrix[0] = m_matrix[5] = m_matrix[10] = m_matrix[15] = 1;
}

void clsMatrix::SetMatrixValues(std::span<const float> Matrix) {
    needEntries("SetMatrixValues", Matrix.size(), 16);
    for (size_t i = 0; i < 16; ++i) m_matrix[i] = Matrix[i];
}

void clsMatrix::GetMatrix(std::span<float> Matrix) const {
    needEntries("GetMatrix", Matrix.size(), 16);
    for (size_t i = 0; i < 16; ++i) Matrix[i] = m_matrix[i];
}

// The bottom rows of both factors are taken as (0, 0, 0, 1), so only the rotation blocks and
// translations are read. The product is complete before it is stored, so Matrix may be this.
void clsMatrix::PostMultiply(const clsMatrix& Matrix) {
    const float* a = m_matrix;
    const float* b = Matrix.m_matrix;
    float n[16];
    for (int k = 0; k < 3; ++k) {
        for (int r = 0; r < 3; ++r)
            n[4 * k + r] = single(double(a[r]) * b[4 * k] + double(a[4 + r]) * b[4 * k + 1] +
                                  double(a[8 + r]) * b[4 * k + 2]);
        n[4 * k + 3] = 0;
    }
    for (int r = 0; r < 3; ++r)
        n[12 + r] =
            single(double(a[r]) * b[12] + double(a[4 + r]) * b[13] + double(a[8 + r]) * b[14] + a[12 + r]);
    n[15] = 1;
    SetMatrixValues(n);
}

void clsMatrix::SetTranslation(std::span<const float> Translation) {
    needEntries("SetTranslation", Translation.size(), 3);
    m_matrix[12] = Translation[0];
    m_matrix[13] = Translation[1];
    m_matrix[14] = Translation[2];
}

// Rz(yaw) Ry(pitch) Rx(roll) for column vectors: a vector turns about X by Angles[0], then about
// Y by Angles[1], then about Z by Angles[2]. Each sine, cosine and partial product is a single.
void clsMatrix::SetRotationRadians(std::span<const float> Angles) {
    needEntries("SetRotationRadians", Angles.size(), 3);
    const float cr = single(std::cos(double(Angles[0]))), sr = single(std::sin(double(Angles[0])));
    const float cp = single(std::cos(double(Angles[1]))), sp = single(std::sin(double(Angles[1])));
    const float cy = single(std::cos(double(Angles[2]))), sy = single(std::sin(double(Angles[2])));
    const float srsp = single(double(sp) * sr), crsp = single(double(sp) * cr);
    m_matrix[0] = single(double(cy) * cp);
    m_matrix[1] = single(double(sy) * cp);
    m_matrix[2] = sp == 0 ? 0.0f : -sp;  // never -0
    m_matrix[4] = single(double(cy) * srsp - double(sy) * cr);
    m_matrix[5] = single(double(sy) * srsp + double(cy) * cr);
    m_matrix[6] = single(double(cp) * sr);
    m_matrix[8] = single(double(cy) * crsp + double(sy) * sr);
    m_matrix[9] = single(double(sy) * crsp - double(cy) * sr);
    m_matrix[10] = single(double(cp) * cr);
}

void clsMatrix::InverseRotateVect(std::span<float> pVect) const {
    needEntries("InverseRotateVect", pVect.size(), 3);
    const double x = pVect[0], y = pVect[1], z = pVect[2];
    const float* m = m_matrix;
    pVect[0] = single(x * m[0] + y * m[1] + z * m[2]);
    pVect[1] = single(x * m[4] + y * m[5] + z * m[6]);
    pVect[2] = single(x * m[8] + y * m[9] + z * m[10]);
}

void clsMatrix::InverseTranslateVect(std::span<float> pVect) const {
    needEntries("InverseTranslateVect", pVect.size(), 3);
    for (size_t i = 0; i < 3; ++i) pVect[i] -= m_matrix[12 + i];
}
