// clsMatrix: identity and element layout, rotation from three angles (direction, order, the +0
// entry, what it leaves alone), products of rigid transforms (also with itself), the inverse
// translate-then-rotate round trip, and arrays too short for an operation.
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

TEST(Matrix, new_matrix_is_identity_and_values_round_trip_in_index_order) {
    clsMatrix m;
    EXPECT_TRUE(isIdentity(m));
    float in[16], out[16] = {};
    for (int i = 0; i < 16; ++i) in[i] = static_cast<float>(i) + 0.5f;
    m.SetMatrixValues(in);
    m.GetMatrix(out);
    EXPECT_EQ(std::memcmp(in, out, sizeof in), 0);
    // Column-major: index 12..14 is the translation column.
    const float t[3] = {7, 8, 9};
    m.LoadIdentity();
    m.SetTranslation(t);
    EXPECT_P3_NEAR(apply(m, {1, 1, 1}), 8, 9, 10);
}

TEST(MatrixRotation, zero_angles_keep_identity_with_positive_zero) {
    clsMatrix m;
    const float zero[3] = {0, 0, 0};
    m.SetRotationRadians(zero);
    EXPECT_TRUE(isIdentity(m));
    EXPECT_FALSE(std::signbit(m.m_matrix[2]));
    // sin(-0) is -0, whose negation must still be stored as +0.
    const float negativeZero[3] = {0, -0.0f, 0};
    m.SetRotationRadians(negativeZero);
    EXPECT_FALSE(std::signbit(m.m_matrix[2]));
}

TEST(MatrixRotation, each_angle_turns_right_handed_about_its_axis) {
    clsMatrix m;
    const float aboutZ[3] = {0, 0, halfPi};
    m.SetRotationRadians(aboutZ);
    EXPECT_P3_NEAR(apply(m, {1, 0, 0}), 0, 1, 0);
    const float aboutX[3] = {halfPi, 0, 0};
    m.SetRotationRadians(aboutX);
    EXPECT_P3_NEAR(apply(m, {0, 1, 0}), 0, 0, 1);
    const float aboutY[3] = {0, halfPi, 0};
    m.SetRotationRadians(aboutY);
    EXPECT_P3_NEAR(apply(m, {0, 0, 1}), 1, 0, 0);
}

TEST(MatrixRotation, x_turn_comes_first_then_y_then_z) {
    // (0,1,0) about X by 90 -> (0,0,1); about Y by 90 -> (1,0,0); about Z by 90 -> (0,1,0).
    clsMatrix m;
    const float all[3] = {halfPi, halfPi, halfPi};
    m.SetRotationRadians(all);
    EXPECT_P3_NEAR(apply(m, {0, 1, 0}), 0, 1, 0);
    // (1,0,0): X leaves it, Y -> (0,0,-1), Z leaves it.
    EXPECT_P3_NEAR(apply(m, {1, 0, 0}), 0, 0, -1);
}

TEST(MatrixRotation, rotation_and_translation_leave_each_other_alone) {
    const float t[3] = {1, 2, 3}, a[3] = {0.3f, -0.7f, 1.1f};
    clsMatrix first, second;
    first.SetTranslation(t);
    first.SetRotationRadians(a);
    second.SetRotationRadians(a);
    second.SetTranslation(t);
    EXPECT_EQ(std::memcmp(first.m_matrix, second.m_matrix, sizeof first.m_matrix), 0);
    EXPECT_EQ(first.m_matrix[12], 1.0f);
    EXPECT_EQ(first.m_matrix[14], 3.0f);
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
    const float ta[3] = {1, 2, 3}, tb[3] = {4, 5, 6};
    a.SetTranslation(ta);
    b.SetTranslation(tb);
    a.PostMultiply(b);
    EXPECT_P3_NEAR(apply(a, {0, 0, 0}), 5, 7, 9);
    for (int i : {0, 5, 10}) EXPECT_EQ(a.m_matrix[i], 1.0f);
    for (int i : {1, 2, 4, 6, 8, 9}) EXPECT_EQ(a.m_matrix[i], 0.0f);
}

TEST(MatrixProduct, argument_is_applied_first_and_may_be_the_matrix_itself) {
    clsMatrix turn, shift;
    const float aboutZ[3] = {0, 0, halfPi}, t[3] = {1, 0, 0};
    turn.SetRotationRadians(aboutZ);
    shift.SetTranslation(t);
    clsMatrix turnAfterShift = turn;
    turnAfterShift.PostMultiply(shift);  // shift, then turn
    EXPECT_P3_NEAR(apply(turnAfterShift, {0, 0, 0}), 0, 1, 0);
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
    try {
        m.SetTranslation(two);
    } catch (const ERangeError& e) {
        EXPECT_STREQ(e.what(), "clsMatrix.SetTranslation: array of 2 entries, needs 3");
    }
}

}  // namespace
