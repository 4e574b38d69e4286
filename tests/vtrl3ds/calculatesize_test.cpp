// CalculateSize: mesh boxes over the vertices faces use; the model box always holds the origin.
#include <gtest/gtest.h>

#include "build_model.h"

namespace {

TEST(CalculateSize, model_box_contains_the_origin_mesh_box_does_not) {
    TGLAll3dsMesh model;
    TGL3dsMesh* m = addMesh(model, {{5, 5, 5}, {6, 6, 6}, {5, 6, 5}}, {0, 1, 2});
    model.CalculateSize();
    EXPECT_POINT(m->FMinimum, 5, 5, 5);
    EXPECT_POINT(m->FMaximum, 6, 6, 6);
    EXPECT_POINT(model.FMinimum, 0, 0, 0);
    EXPECT_POINT(model.FMaximum, 6, 6, 6);
}

TEST(CalculateSize, unused_vertex_and_vertex_beyond_the_list_do_not_widen_the_box) {
    TGLAll3dsMesh model;
    TGL3dsMesh* m = addMesh(model, {{-1, -2, -3}, {1, 2, 3}, {0, 0, 0}, {100, 100, 100}}, {0, 1, 2, 0, 1, 9});
    model.CalculateSize();
    EXPECT_POINT(m->FMinimum, -1, -2, -3);
    EXPECT_POINT(m->FMaximum, 1, 2, 3);
}

TEST(CalculateSize, boxes_of_several_meshes_merge) {
    TGLAll3dsMesh model;
    addMesh(model, {{-4, 1, 1}, {-3, 2, 2}, {-3, 1, 2}}, {0, 1, 2});
    addMesh(model, {{1, 1, 7}, {2, 3, 8}, {1, 3, 8}}, {0, 1, 2});
    addMesh(model, {{50, 50, 50}}, {});  // no faces: no box
    model.CalculateSize();
    EXPECT_POINT(model.FMinimum, -4, 0, 0);
    EXPECT_POINT(model.FMaximum, 2, 3, 8);
}

}  // namespace
