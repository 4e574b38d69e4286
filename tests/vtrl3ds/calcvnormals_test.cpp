// CalcVNormals: face normals, vertex normals from the last face using the vertex, normal indices
// equal to the vertex indices; faces naming a vertex beyond the list are never followed.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

#include "build_model.h"
#include "support/files3ds.h"

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

// ---- Four faces at a time ------------------------------------------------------------------------

// Meshes whose corners all name a vertex are walked four faces at a time (the 3DS load also takes
// their box in the same walk); one face naming no vertex sends the whole mesh through the
// face-by-face walk, which it leaves otherwise unchanged. Both walks must agree bit for bit on
// awkward values: zeros of both signs (the box keeps the sign of the first corner holding the
// zero), NaN in the first corner or later, infinities, degenerate faces, the last vertex in use
// and a face count that is not a multiple of four.
struct AwkwardMesh {
    const char* name;
    std::vector<T3dpoint> vertices;
    std::vector<Face> faces;
};

std::vector<AwkwardMesh> awkwardMeshes() {
    uint32_t seed = 7;
    const auto next = [&seed](uint32_t n) { return ((seed = seed * 1664525u + 1013904223u) >> 8) % n; };
    const auto faces = [&](size_t vertices, size_t count) {
        std::vector<Face> f{{0, static_cast<uint16_t>(vertices - 1), 1}};
        while (f.size() < count)
            f.push_back({static_cast<uint16_t>(next(static_cast<uint32_t>(vertices))),
                         static_cast<uint16_t>(next(static_cast<uint32_t>(vertices))),
                         static_cast<uint16_t>(next(static_cast<uint32_t>(vertices)))});
        return f;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const float picks[] = {0.0f, -0.0f, 1.0f, -1.0f, 2.5f, -3.25f};
    std::vector<AwkwardMesh> rows;
    std::vector<T3dpoint> plain, zeros;
    for (int i = 0; i < 40; ++i)
        plain.push_back({float(next(1000)) / 100 - 5, float(next(1000)) / 97, -float(next(300))});
    for (int i = 0; i < 30; ++i) zeros.push_back({picks[next(6)], picks[next(6)], picks[next(2)]});
    rows.push_back({"plain", plain, faces(plain.size(), 37)});
    rows.push_back({"signed zeros", zeros, faces(zeros.size(), 41)});
    for (T3dpoint& p : zeros)
        p = {picks[next(6)], picks[next(3)] == 0.0f ? 1.0f : picks[next(2)], -picks[next(2)]};
    zeros[0].Y = zeros[1].Y = zeros.back().Y = 1;  // the first face holds no zero in Y
    rows.push_back({"signed zeros met after the first face", zeros, faces(zeros.size(), 29)});
    std::vector<T3dpoint> nanFirst = plain, nanLater = plain, huge = plain;
    nanFirst[0].X = nan;
    nanLater[17].Y = nan, nanLater[5].Z = nan;
    huge[3] = {inf, -inf, 1e30f}, huge[9] = {-1e30f, 1e-30f, inf};
    rows.push_back({"NaN in the first corner", nanFirst, faces(plain.size(), 33)});
    rows.push_back({"NaN later", nanLater, faces(plain.size(), 36)});
    rows.push_back({"infinities", huge, faces(plain.size(), 4)});
    // Y's first zero (+0) is met at a second corner, Z's (-0) too; the first corners of later
    // faces hold the other zeros, which a walk keeping only its first stream would keep.
    std::vector<T3dpoint> late;
    for (int i = 0; i < 20; ++i) late.push_back({float(i), 1, -1});
    late[3] = {3, 0.0f, -0.0f}, late[4] = {4, -0.0f, 0.0f};
    rows.push_back({"zeros met first at a second corner",
                    late,
                    {{0, 1, 2}, {5, 3, 6}, {7, 8, 9}, {10, 11, 12}, {4, 13, 14}, {15, 16, 17}, {18, 19, 0}}});
    rows.push_back(
        {"degenerate faces", plain, {{0, 0, 0}, {1, 1, 2}, {3, 39, 3}, {5, 6, 7}, {7, 7, 7}, {8, 9, 8}}});
    return rows;
}

template <typename T>
bool sameBits(const std::vector<T>& a, const std::vector<T>& b, size_t count) {
    return a.size() >= count && b.size() >= count && std::memcmp(a.data(), b.data(), count * sizeof(T)) == 0;
}

bool sameBits(const T3dpoint& a, const T3dpoint& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void expectSameWalks(const TGL3dsMesh& laned, const TGL3dsMesh& single, size_t faces) {
    EXPECT_TRUE(sameBits(laned.FaceNormal, single.FaceNormal, faces));
    EXPECT_TRUE(sameBits(laned.FVNormal, single.FVNormal, laned.FVNormal.size()));
    EXPECT_TRUE(sameBits(laned.FNormalIndices, single.FNormalIndices, 3 * faces));
    EXPECT_TRUE(sameBits(laned.FMinimum, single.FMinimum));
    EXPECT_TRUE(sameBits(laned.FMaximum, single.FMaximum));
}

TEST(CalcVNormals, four_faces_at_a_time_and_face_by_face_agree_bit_for_bit) {
    for (const AwkwardMesh& row : awkwardMeshes()) {
        SCOPED_TRACE(row.name);
        std::vector<Face> checked = row.faces;
        const auto beyond = static_cast<uint16_t>(row.vertices.size());
        checked.push_back({beyond, beyond, beyond});
        // The passes on their own, twice (the second time over the arrays the first made).
        std::vector<uint16_t> corners, checkedCorners;
        for (const Face& f : row.faces) corners.insert(corners.end(), f.begin(), f.end());
        for (const Face& f : checked) checkedCorners.insert(checkedCorners.end(), f.begin(), f.end());
        TGLAll3dsMesh a, b;
        TGL3dsMesh* laned = addMesh(a, row.vertices, corners);
        TGL3dsMesh* single = addMesh(b, row.vertices, checkedCorners);
        for (int round = 0; round < 2; ++round) {
            a.CalcVNormals(), a.CalculateSize(), b.CalcVNormals(), b.CalculateSize();
            expectSameWalks(*laned, *single, row.faces.size());
        }
        EXPECT_TRUE(sameBits(single->FaceNormal.back(), T3dpoint{0, 0, 0}));
        // The 3DS load's tail, where the box is taken in the same walk as the normals.
        TGLAll3dsMesh c, d;
        loadBytes(c, file3ds([&](ChunkWriter& w) { triMesh(w, "m", row.vertices, row.faces); }));
        loadBytes(d, file3ds([&](ChunkWriter& w) { triMesh(w, "m", row.vertices, checked); }));
        ASSERT_EQ(c.FMesh.size(), 1u);
        expectSameWalks(*c.FMesh[0], *d.FMesh[0], row.faces.size());
    }
}

}  // namespace
