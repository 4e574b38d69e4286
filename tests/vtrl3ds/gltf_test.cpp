// glTF export: smoothing-group normals, 3DS placement (pivot back, master scale, Z-up turned to
// Y-up, counter-clockwise faces), materials, texture maps and the files written. Outside readers
// (validator, three.js, a browser) judge the real files in tests/gltf.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "build_model.h"
#include "support/temp_dir.h"
#include "vtrl3ds/errors.h"
#include "vtrl3ds/gltf.h"
#include "vtrl3ds/normals.h"
#include "vtrl3ds/vector.h"
#include "support/files3ds.h"

namespace {

using V3 = std::array<float, 3>;

V3 cross(const V3& a, const V3& b, const V3& c) {
    const V3 u{b[0] - a[0], b[1] - a[1], b[2] - a[2]}, v{c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    return {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
}

// Warnings the export printed, collected.
struct Collect {
    std::vector<std::string> lines;
    TGltfOptions options() {
        TGltfOptions o;
        o.Warn = [this](const std::string& l) { lines.push_back(l); };
        return o;
    }
};

// A roof: two triangles meeting at a ridge along X at a right angle, sharing vertices 0 and 1.
TGLAll3dsMesh* roof(TGLAll3dsMesh& model, uint32_t groupA, uint32_t groupB) {
    TGL3dsMesh* m = addMesh(model, {{0, 0, 0}, {1, 0, 0}, {0, -1, 1}, {0, -1, -1}}, {0, 1, 2, 1, 0, 3});
    m->FSmoothingGroup = {groupA, groupB};
    return &model;
}

}  // namespace

// Faces sharing a group bit share one normal at their common corners; group 0 or no common bit
// keeps each face's own.
TEST(SmoothingGroupNormals, shared_bits_smooth_and_group_zero_stays_flat) {
    struct Row {
        uint32_t a, b;
        bool smooth;
    } rows[] = {{1, 1, true}, {3, 2, true}, {1, 2, false}, {0, 0, false}, {1, 0, false}};
    for (const Row& r : rows) {
        TGLAll3dsMesh model;
        roof(model, r.a, r.b);
        const std::vector<T3dpoint> n = SmoothingGroupNormals(*model.FMesh[0]);
        ASSERT_EQ(n.size(), 6u);
        const T3dpoint faceA = CalcNormalVector(model.FMesh[0]->FVertex[0], model.FMesh[0]->FVertex[1],
                                                model.FMesh[0]->FVertex[2]);
        const bool same =
            std::abs(n[0].X - n[4].X) + std::abs(n[0].Y - n[4].Y) + std::abs(n[0].Z - n[4].Z) < 1e-6f;
        EXPECT_EQ(same, r.smooth) << r.a << " " << r.b;
        if (!r.smooth) EXPECT_POINT(n[0], faceA.X, faceA.Y, faceA.Z);
        EXPECT_POINT(n[2], faceA.X, faceA.Y, faceA.Z);  // a corner no other face touches
        EXPECT_NEAR(std::hypot(n[0].X, n[0].Y, n[0].Z), 1.0f, 1e-6f);
    }
}

// A fan of two thin faces and one wide face around vertex 0: the wide face's angle weighs more.
TEST(SmoothingGroupNormals, weights_are_corner_angles) {
    TGLAll3dsMesh model;
    TGL3dsMesh* m = addMesh(model, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {0, 1, 2, 0, 3, 1});
    m->FSmoothingGroup = {1, 1};
    const std::vector<T3dpoint> n = SmoothingGroupNormals(*m);
    // Both corners at vertex 0 are right angles: equal weights, the bisector of the two normals.
    EXPECT_NEAR(std::abs(n[0].Y), std::abs(n[0].Z), 1e-6f);
    EXPECT_NEAR(n[0].X, 0.0f, 1e-6f);
}

// A vertex whose faces all have the same groups is summed face by face, one whose faces differ
// (3 beside 1) from the faces around it: where the same faces count, the two agree bit for bit,
// a face naming the vertex twice (weighed twice by its first corner there) included.
TEST(SmoothingGroupNormals, same_and_different_groups_sum_alike) {
    TGLAll3dsMesh model;
    TGL3dsMesh* m =
        addMesh(model, {{0, 0, 0}, {1, 0.2f, 0}, {0, 1, 0.3f}, {0.1f, 0, 1}}, {0, 1, 2, 0, 3, 1, 0, 0, 2});
    m->FSmoothingGroup = {1, 1, 1};
    const std::vector<T3dpoint> same = SmoothingGroupNormals(*m);
    m->FSmoothingGroup = {3, 1, 1};
    const std::vector<T3dpoint> different = SmoothingGroupNormals(*m);
    ASSERT_EQ(same.size(), 9u);
    EXPECT_EQ(std::memcmp(same.data(), different.data(), 9 * sizeof(T3dpoint)), 0);
    EXPECT_EQ(std::memcmp(&same[0], &same[3], sizeof(T3dpoint)), 0) << "vertex 0 has one normal";
}

// A 3DS triangle stored (0,0,0), (2,0,0), (0,3,0) with Z up comes out at (x, z, -y),
// counter-clockwise seen from its normal, which points up.
TEST(GltfExport, places_3ds_vertices_turned_to_y_up) {
    TGLAll3dsMesh model;
    loadBytes(model, file3ds([](ChunkWriter& w) {
                  triMesh(w, "tri", {{0, 0, 0}, {2, 0, 0}, {0, 3, 0}}, {{0, 1, 2}});
              }));
    model.FType = Mesh3DS;
    const TGltfScene s = BuildGltfScene(model, {});
    ASSERT_EQ(s.Meshes.size(), 1u);
    const TGltfMesh& m = s.Meshes[0];
    ASSERT_EQ(m.Primitives.size(), 1u);
    const std::vector<uint32_t>& i = m.Primitives[0].Indices;
    const V3 a = m.Positions[i[0]], b = m.Positions[i[1]], c = m.Positions[i[2]];
    EXPECT_EQ(b, (V3{2, 0, 0}));
    EXPECT_EQ(c, (V3{0, 0, -3}));
    const V3 n = cross(a, b, c);
    EXPECT_GT(n[1], 0);  // counter-clockwise seen from above
    EXPECT_NEAR(m.Normals[i[0]][1], 1.0f, 1e-6f);
}

// The pivot the library subtracted for its drawing comes back, times the master scale.
TEST(GltfExport, adds_the_pivot_back) {
    TGLAll3dsMesh model;
    model.FType = Mesh3DS;
    model.FMasterScale = 0.5f;
    TGL3dsMesh* m = addMesh(model, {{1, 1, 1}, {2, 1, 1}, {1, 2, 1}}, {0, 1, 2});
    m->FPivot = {2, 4, 6};
    const TGltfScene s = BuildGltfScene(model, {});
    const std::vector<uint32_t>& i = s.Meshes[0].Primitives[0].Indices;
    EXPECT_EQ(s.Meshes[0].Positions[i[0]], (V3{2, 3, -4}));
}

// One glTF mesh per library mesh, one primitive per material used; faces naming no material get
// the neutral grey default; colours, opacity, shininess and two-sidedness carry over.
TEST(GltfExport, materials_by_primitive) {
    TGLAll3dsMesh model;
    TGL3dsMaterial* red = addMaterial(model,
                                      "r\xe9"
                                      "d",
                                      0.5f);
    red->FDifR = 1, red->FShininess = 0.25f, red->FTwoSided = true;
    addMesh(model, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2, 0, 2, 1, 1, 0, 2}, {0, 7, 0});
    const TGltfScene s = BuildGltfScene(model, {});
    ASSERT_EQ(s.Meshes[0].Primitives.size(), 2u);
    EXPECT_EQ(s.Meshes[0].Primitives[0].Indices.size(), 6u);
    ASSERT_EQ(s.Materials.size(), 2u);
    EXPECT_EQ(s.Materials[0].Name,
              "r\xc3\xa9"
              "d");
    EXPECT_EQ(s.Materials[0].BaseColor, (std::array<float, 4>{1, 0, 0, 0.5f}));
    EXPECT_FLOAT_EQ(s.Materials[0].Roughness, 0.75f);
    EXPECT_TRUE(s.Materials[0].DoubleSided);
    EXPECT_EQ(s.Materials[1].BaseColor, (std::array<float, 4>{0.7f, 0.7f, 0.7f, 1}));
}

// Texture maps: a PNG beside the model goes in byte for byte, found whatever the case of its
// name; a missing map or one the reader refuses warns once per map and leaves the material plain.
TEST(GltfExport, texture_maps_found_kept_or_warned_once) {
    TempDir dir;
    const std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 1, 2, 3};
    dir.write("Skin.PNG", png);
    dir.write("paint.tga", {0, 0, 2});
    TGLAll3dsMesh model;
    model.FName = dir.file("m.3ds");
    const char* maps[] = {".\\skin.png", "gone.jpg", "paint.tga", "GONE.JPG"};
    std::vector<uint16_t> ids;
    for (int k = 0; k < 4; ++k) {
        TGL3dsMaterial* m = addMaterial(model, "m" + std::to_string(k));
        m->FHasTextureMap = true, m->FFileName = maps[k];
        ids.push_back(static_cast<uint16_t>(k));
    }
    addMesh(model, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, std::vector<uint16_t>(12, 0), ids)->FMapping.resize(3);
    for (int k = 0; k < 4; ++k) model.FMesh[0]->FIndices = {0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2};
    Collect warnings;
    const TGltfScene s = BuildGltfScene(model, warnings.options());
    ASSERT_EQ(s.Images.size(), 1u);
    EXPECT_EQ(s.Images[0].Bytes, png);
    EXPECT_EQ(s.ImageNames[0], "Skin.png");
    EXPECT_EQ(s.Materials[0].Image, 0);
    EXPECT_EQ(s.Materials[1].Image, -1);
    EXPECT_EQ(warnings.lines.size(), 3u);  // gone.jpg, paint.tga, GONE.JPG: three map names
    EXPECT_EQ(s.Meshes[0].TexCoords.size(), s.Meshes[0].Positions.size());
}

// Files: a .glb whose chunks add up, a .gltf with its .bin beside it, nothing left behind when the
// folder cannot be written.
TEST(GltfExport, writes_whole_files_or_none) {
    TempDir dir;
    TGLAll3dsMesh model;
    addMesh(model, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
    WriteGltf(model, dir.file("a.glb"));
    const auto glb = std::filesystem::file_size(dir.file("a.glb"));
    EXPECT_EQ(glb % 4, 0u);
    EXPECT_EQ(glb, GltfSceneToGlb(BuildGltfScene(model, {})).size());
    WriteGltf(model, dir.file("b.GLTF"));
    EXPECT_TRUE(std::filesystem::exists(dir.file("b.bin")));
    EXPECT_THROW(WriteGltf(model, dir.file("a.glb/c.glb")), EStreamError);
    EXPECT_THROW(WriteGltf(model, dir.file("none/c.gltf")), EStreamError);
    size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path)) ++files;
    EXPECT_EQ(files, 3u);
}
