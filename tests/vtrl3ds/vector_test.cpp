// Vector routines: cross product, normalisation, difference and the library's triangle normal.
#include <gtest/gtest.h>

#include "vtrl3ds/vector.h"

namespace {

void expectPoint(const T3dpoint& p, float x, float y, float z) {
    EXPECT_FLOAT_EQ(p.X, x);
    EXPECT_FLOAT_EQ(p.Y, y);
    EXPECT_FLOAT_EQ(p.Z, z);
}

TEST(Vector, cross_of_x_and_y_is_z_and_of_parallel_vectors_zero) {
    expectPoint(VCross({1, 0, 0}, {0, 1, 0}), 0, 0, 1);
    expectPoint(VCross({0, 1, 0}, {1, 0, 0}), 0, 0, -1);
    expectPoint(VCross({2, 4, 6}, {1, 2, 3}), 0, 0, 0);
}

TEST(Vector, normalize_scales_to_unit_length_and_keeps_zero) {
    expectPoint(Normalize({3, 0, 4}), 0.6f, 0, 0.8f);
    expectPoint(Normalize({0, 0, 0}), 0, 0, 0);
    expectPoint(Normalize({0, -5, 0}), 0, -1, 0);
}

TEST(Vector, subtract_is_component_wise) {
    expectPoint(VectorSubtract({5, 7, 9}, {1, 2, 3}), 4, 5, 6);
}

TEST(Vector, triangle_normal_points_where_corners_run_clockwise) {
    // Counter-clockwise seen from +Z, so the normal points to -Z.
    expectPoint(CalcNormalVector({0, 0, 0}, {1, 0, 0}, {0, 1, 0}), 0, 0, -1);
    expectPoint(CalcNormalVector({0, 0, 0}, {0, 1, 0}, {1, 0, 0}), 0, 0, 1);
    expectPoint(CalcNormalVector({0, 0, 0}, {0, 0, 2}, {0, 3, 0}), 1, 0, 0);
}

TEST(Vector, degenerate_triangle_has_zero_normal) {
    expectPoint(CalcNormalVector({1, 2, 3}, {1, 2, 3}, {1, 2, 3}), 0, 0, 0);
    expectPoint(CalcNormalVector({0, 0, 0}, {1, 1, 1}, {2, 2, 2}), 0, 0, 0);
}

}  // namespace
