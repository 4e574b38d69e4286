// CalcVNormals: face normals, vertex normals from the last face using the vertex, normal indices
// equal to the vertex indices; faces naming a vertex beyond the list are never followed.
#include <gtest/gtest.h>

#include "build_model.h"

namespace {

TEST(CalcVNormals, one_triangle_gives_minus_z_to_face_and_vertices) {
    TGLAll3dsMesh model;
    TGL3dsMesh* m = addMesh(model, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
    model.CalcVNormals();
    ASSERT_EQ(m->FaceNormal.size(), 1u);
    EXPECT_POINT(m->FaceNormal[0], 0, 0, -1);
    ASSERT_EQ(m->FVNormal.size(), 3u);
    for (const T3dpoint& n : m->FVNormal) EXPECT_POINT(n, 0, 0, -1);
    EXPECT_EQ(m->FNormalIndices, (std::vector<uint16_t>{0, 1, 2}));
}

TEST(CalcVNormals, shared_vertex_takes_the_normal_of_the_last_face) {
    TGLAll3dsMesh model;
    // Face 0 in the XY plane (normal -Z), face 1 in the XZ plane through vertex 0 (normal +Y).
    TGL3dsMesh* m = addMesh(model, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {0, 1, 2, 0, 1, 3});
    model.CalcVNormals();
    EXPECT_POINT(m->FaceNormal[0], 0, 0, -1);
    EXPECT_POINT(m->FaceNormal[1], 0, 1, 0);
    EXPECT_POINT(m->FVNormal[0], 0, 1, 0);
    EXPECT_POINT(m->FVNormal[1], 0, 1, 0);
    EXPECT_POINT(m->FVNormal[2], 0, 0, -1);
    EXPECT_POINT(m->FVNormal[3], 0, 1, 0);
}

TEST(CalcVNormals, degenerate_triangle_has_zero_normal) {
    TGLAll3dsMesh model;
    TGL3dsMesh* m = addMesh(model, {{2, 2, 2}}, {0, 0, 0});
    model.CalcVNormals();
    EXPECT_POINT(m->FaceNormal[0], 0, 0, 0);
    EXPECT_POINT(m->FVNormal[0], 0, 0, 0);
}

TEST(CalcVNormals, face_beyond_the_vertex_list_keeps_zero_normal_and_writes_no_vertex_normal) {
    TGLAll3dsMesh model;
    TGL3dsMesh* m = addMesh(model, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2, 0, 1, 40000});
    model.CalcVNormals();
    ASSERT_EQ(m->FaceNormal.size(), 2u);
    EXPECT_POINT(m->FaceNormal[1], 0, 0, 0);
    EXPECT_POINT(m->FVNormal[0], 0, 0, -1);
    EXPECT_EQ(m->FVNormal.size(), 3u);
    EXPECT_EQ(m->FNormalIndices[5], 40000);
}

TEST(CalcVNormals, mesh_without_faces_is_untouched) {
    TGLAll3dsMesh model;
    TGL3dsMesh* m = addMesh(model, {{0, 0, 0}}, {});
    model.CalcVNormals();
    EXPECT_TRUE(m->FVNormal.empty());
    EXPECT_TRUE(m->FaceNormal.empty());
}

}  // namespace
