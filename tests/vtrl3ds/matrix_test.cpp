// clsMatrix: rotation from three angles (direction, order, the +0 entry, what it leaves alone),
// products of rigid transforms (also with itself), the inverse translate-then-rotate round trip,
// and arrays too short for an operation.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "vtrl3ds/errors.h"
#include "vtrl3ds/matrix.h"

namespace {

constexpr float halfPi = 1.57079632679489662f;

struct P3 {
    float x, y, z;
};

// The matrix applied to the point (x, y, z, 1) as a column vector.
P3 apply(const clsMatrix& m, P3 p) {
    const float* e = m.m_matrix;
    return {e[0] * p.x + e[4] * p.y + e[8] * p.z + e[12], e[1] * p.x + e[5] * p.y + e[9] * p.z + e[13],
            e[2] * p.x + e[6] * p.y + e[10] * p.z + e[14]};
}

#define EXPECT_P3_NEAR(p, X, Y, Z)     \
    do {                               \
        EXPECT_NEAR((p).x, (X), 1e-6); \
        EXPECT_NEAR((p).y, (Y), 1e-6); \
        EXPECT_NEAR((p).z, (Z), 1e-6); \
    } while (0)

bool isIdentity(const clsMatrix& m) {
    for (int i = 0; i < 16; ++i)
        if (m.m_matrix[i] != ((i % 5 == 0) ? 1.0f : 0.0f)) return false;
    return true;
}

TEST(MatrixRotation, zero_angles_keep_identity_with_positive_zero) {
    clsMatrix m;
    const float zero[3] = {0, 0, 0}, negativeZero[3] = {0, -0.0f, 0};
    m.SetRotationRadians(zero);
    EXPECT_TRUE(isIdentity(m));
    EXPECT_FALSE(std::signbit(m.m_matrix[2]));
    // sin(-0) is -0, whose negation must still be stored as +0.
    m.SetRotationRadians(negativeZero);
    EXPECT_FALSE(std::signbit(m.m_matrix[2]));
}

TEST(MatrixRotation, each_angle_turns_right_handed_and_x_comes_first) {
    clsMatrix m;
    const float aboutZ[3] = {0, 0, halfPi}, aboutX[3] = {halfPi, 0, 0}, aboutY[3] = {0, halfPi, 0};
    m.SetRotationRadians(aboutZ);
    EXPECT_P3_NEAR(apply(m, {1, 0, 0}), 0, 1, 0);
    m.SetRotationRadians(aboutX);
    EXPECT_P3_NEAR(apply(m, {0, 1, 0}), 0, 0, 1);
    m.SetRotationRadians(aboutY);
    EXPECT_P3_NEAR(apply(m, {0, 0, 1}), 1, 0, 0);
    // All three: (1,0,0) is left by X, sent to (0,0,-1) by Y, then left by Z.
    const float all[3] = {halfPi, halfPi, halfPi};
    m.SetRotationRadians(all);
    EXPECT_P3_NEAR(apply(m, {1, 0, 0}), 0, 0, -1);
    EXPECT_P3_NEAR(apply(m, {0, 1, 0}), 0, 1, 0);
}

TEST(MatrixRotation, rotation_and_translation_leave_each_other_alone) {
    const float t[3] = {1, 2, 3}, a[3] = {0.3f, -0.7f, 1.1f};
    clsMatrix first, second;
    first.SetTranslation(t);
    first.SetRotationRadians(a);
    second.SetRotationRadians(a);
    second.SetTranslation(t);
    EXPECT_EQ(std::memcmp(first.m_matrix, second.m_matrix, sizeof first.m_matrix), 0);
    EXPECT_P3_NEAR(apply(first, {0, 0, 0}), 1, 2, 3);
    // The bottom row stays as it was, even when it is not (0, 0, 0, 1).
    float odd[16] = {};
    odd[3] = 5;
    odd[15] = 2;
    clsMatrix m;
    m.SetMatrixValues(odd);
    m.SetRotationRadians(a);
    EXPECT_EQ(m.m_matrix[3], 5.0f);
    EXPECT_EQ(m.m_matrix[15], 2.0f);
}

TEST(MatrixProduct, translations_add_and_rotation_stays_identity) {
    clsMatrix a, b;
    const float ta[3] = {1, 2, 3}, tb[3] = {4, 5, 6},
                translated[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 7, 9, 1};
    a.SetTranslation(ta);
    b.SetTranslation(tb);
    a.PostMultiply(b);
    EXPECT_EQ(std::memcmp(a.m_matrix, translated, sizeof translated), 0);
}

TEST(MatrixProduct, argument_is_applied_first_and_may_be_the_matrix_itself) {
    clsMatrix turn, shift;
    const float aboutZ[3] = {0, 0, halfPi}, t[3] = {1, 0, 0};
    turn.SetRotationRadians(aboutZ);
    shift.SetTranslation(t);
    turn.PostMultiply(shift);  // shift, then turn
    EXPECT_P3_NEAR(apply(turn, {0, 0, 0}), 0, 1, 0);
    // The bottom row of the result is (0, 0, 0, 1) whatever the factors held there.
    float junk[16] = {1, 0, 0, 9, 0, 1, 0, 9, 0, 0, 1, 9, 2, 3, 4, 9};
    clsMatrix m;
    m.SetMatrixValues(junk);
    m.PostMultiply(m);  // with itself: two shifts by (2, 3, 4)
    EXPECT_P3_NEAR(apply(m, {0, 0, 0}), 4, 6, 8);
    EXPECT_EQ(m.m_matrix[3], 0.0f);
    EXPECT_EQ(m.m_matrix[15], 1.0f);
}

TEST(MatrixInverse, translate_then_rotate_undoes_a_rigid_matrix) {
    clsMatrix m;
    const float a[3] = {0.4f, -1.2f, 2.5f}, t[3] = {-3, 0.5f, 12};
    m.SetRotationRadians(a);
    m.SetTranslation(t);
    const P3 image = apply(m, {1.5f, -2, 0.25f});
    float v[3] = {image.x, image.y, image.z};
    m.InverseTranslateVect(v);
    m.InverseRotateVect(v);
    EXPECT_NEAR(v[0], 1.5f, 1e-5);
    EXPECT_NEAR(v[1], -2.0f, 1e-5);
    EXPECT_NEAR(v[2], 0.25f, 1e-5);
}

TEST(MatrixArrays, too_short_arrays_raise_range_error_and_change_nothing) {
    clsMatrix m;
    std::vector<float> two = {1, 2}, fifteen(15, 3.0f);
    EXPECT_THROW(m.SetTranslation(two), ERangeError);
    EXPECT_THROW(m.SetRotationRadians(two), ERangeError);
    EXPECT_THROW(m.InverseRotateVect(two), ERangeError);
    EXPECT_THROW(m.InverseTranslateVect(two), ERangeError);
    EXPECT_THROW(m.SetMatrixValues(fifteen), ERangeError);
    EXPECT_THROW(m.GetMatrix(fifteen), ERangeError);
    EXPECT_TRUE(isIdentity(m));
    EXPECT_EQ(fifteen[0], 3.0f);
}

}  // namespace
