// MoveToPivot: every vertex minus its mesh's pivot, component by component.
#include <gtest/gtest.h>

#include "build_model.h"

namespace {

TEST(MoveToPivot, subtracts_the_pivot_component_by_component) {
    TGLAll3dsMesh model;
    TGL3dsMesh* m = addMesh(model, {{11, 12, 13}, {1, 2, 3}}, {});
    m->FPivot = {1, 2, 3};
    model.MoveToPivot();
    EXPECT_POINT(m->FVertex[0], 10, 10, 10);
    EXPECT_POINT(m->FVertex[1], 0, 0, 0);
}

TEST(MoveToPivot, runs_again_when_called_again_and_passes_over_meshes_beyond_the_count) {
    TGLAll3dsMesh model;
    TGL3dsMesh* a = addMesh(model, {{5, 5, 5}}, {});
    TGL3dsMesh* b = addMesh(model, {{5, 5, 5}}, {});
    a->FPivot = b->FPivot = {1, 0, 0};
    model.FNumMeshes = 1;
    model.MoveToPivot();
    model.MoveToPivot();
    EXPECT_POINT(a->FVertex[0], 3, 5, 5);
    EXPECT_POINT(b->FVertex[0], 5, 5, 5);
}

TEST(MoveToPivot, vertex_count_beyond_the_array_is_clamped) {
    TGLAll3dsMesh model;
    TGL3dsMesh* m = addMesh(model, {{1, 1, 1}}, {});
    m->FNumVertex = 1000;
    m->FPivot = {1, 1, 1};
    model.MoveToPivot();
    EXPECT_POINT(m->FVertex[0], 0, 0, 0);
}

}  // namespace
