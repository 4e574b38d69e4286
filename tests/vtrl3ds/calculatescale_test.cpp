// CalculateScale: vertex coordinates times FMasterScale, after the pivot.
#include <gtest/gtest.h>

#include "build_model.h"

namespace {

TEST(CalculateScale, pivot_then_scale_gives_the_documented_vertex) {
    TGLAll3dsMesh model;
    TGL3dsMesh* m = addMesh(model, {{11, 12, 13}}, {});
    m->FPivot = {1, 2, 3};
    model.FMasterScale = 0.1f;
    model.MoveToPivot();
    model.CalculateScale();
    EXPECT_POINT(m->FVertex[0], 1.0f, 1.0f, 1.0f);
    // The pivot itself is not scaled.
    EXPECT_POINT(m->FPivot, 1, 2, 3);
}

TEST(CalculateScale, mesh_without_vertices_is_passed_over) {
    TGLAll3dsMesh model;
    TGL3dsMesh* m = addMesh(model, {{2, 4, 6}}, {});
    m->FNumVertex = 0;
    model.FMasterScale = 3;
    model.CalculateScale();
    EXPECT_POINT(m->FVertex[0], 2, 4, 6);
}

}  // namespace
