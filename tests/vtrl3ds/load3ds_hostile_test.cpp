// Hostile 3DS input: truncation at every offset, chunk lengths below a header, counts far beyond
// their chunk, chunks before the mesh or material they address, and face or vertex indices out of
// range. Each loads what it can or fails with the library's exception; nothing reads or writes
// outside an array (the sanitizer build runs these too).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "build_model.h"
#include "load_checks.h"
#include "vtrl3ds/errors.h"
#include "support/files3ds.h"
#include "support/rows.h"

namespace {

// Loads bytes; returns the error text, or "" when the load went through.
std::string loadError(TGLAll3dsMesh& model, const std::vector<uint8_t>& bytes) {
    return ErrorOf([&] { loadBytes(model, bytes); });
}

size_t totalVertices(const TGLAll3dsMesh& model) {
    size_t n = 0;
    for (const TGL3dsMesh* m : model.FMesh) n += m->FVertex.size();
    return n;
}

TEST(Load3DSHostile, every_truncation_of_a_valid_file_loads_or_fails_cleanly) {
    const std::vector<uint8_t> full = sampleFile();
    size_t failures = 0;
    for (size_t n = 0; n < full.size(); ++n) {
        TGLAll3dsMesh model;
        const std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<ptrdiff_t>(n));
        const std::string error = loadError(model, cut);
        if (!error.empty()) {
            ++failures;
            EXPECT_NE(error.find("Load3DSFromStream: "), std::string::npos) << error;
        }
        EXPECT_LE(totalVertices(model), 7u) << "at " << n;
        EXPECT_LE(static_cast<size_t>(model.FNumMeshes), model.FMesh.size());
    }
    // A cut inside a chunk the loader reads is reported; a cut inside a skipped one is not.
    EXPECT_GT(failures, full.size() / 2);
    TGLAll3dsMesh model;
    EXPECT_EQ(loadError(model, full), "");
}

TEST(Load3DSHostile, chunks_before_any_mesh_or_material_are_skipped) {
    const std::vector<uint8_t> bytes = file3ds([](ChunkWriter& w) {
        colour24(w, MAT_DIFFUSE, 1, 2, 3);
        percent(w, MAT_TRANSPARENCY, 50);
        w.chunk(MAT_TEXTURE, [&] { w.chunk(MAT_MAPFILE, [&] { w.str("x.tga"); }); });
        w.chunk(OBJ_TRIMESH, [&] { w.chunk(TRI_VERTEXL, [&] { w.u16(1).f32(1).f32(2).f32(3); }); });
        w.chunk(OBJ_LIGHT, [] {});
        w.chunk(TRI_SMOOTH, [&] { w.u32(1); });
        w.chunk(KEYF_OBJPIVOT, [&] { w.f32(1).f32(2).f32(3); });
        material(w, "M");
        triMesh(w, "T", unitTriangle(), {{0, 1, 2}});
    });
    TGLAll3dsMesh model;
    EXPECT_EQ(loadError(model, bytes), "");
    EXPECT_EQ(model.FNumMeshes, 1);
    EXPECT_EQ(model.FNumMaterials, 1);
    EXPECT_EQ(model.FMaterial[0]->FDifR, 0.0f);
    EXPECT_EQ(model.FMaterial[0]->FFileName, "");
    EXPECT_EQ(model.FMaterial[0]->FTransparency, 1.0f);
    EXPECT_EQ(model.FMesh[0]->FNumVertex, 3);
}

TEST(Load3DSHostile, second_geometry_chunk_in_one_object_is_not_counted_twice) {
    const std::vector<uint8_t> bytes = file3ds([](ChunkWriter& w) {
        w.chunk(EDIT_OBJECT, [&] {
            w.str("M");
            w.chunk(OBJ_TRIMESH, [] {});
            w.chunk(OBJ_CAMERA, [] {});
            w.chunk(OBJ_LIGHT, [] {});
        });
    });
    TGLAll3dsMesh model;
    EXPECT_EQ(loadError(model, bytes), "");
    EXPECT_EQ(model.FNumMeshes, 1);
}

TEST(Load3DSHostile, group_faces_beyond_the_list_and_unknown_material_stay_inside_matid) {
    TGLAll3dsMesh model;
    const std::vector<uint8_t> bytes = file3ds([](ChunkWriter& w) {
        material(w, "Known");
        triMesh(w, "M", unitTriangle(), {{0, 1, 2}, {0, 1, 2}}, {{"Known", {1, 2, 65535}}, {"Missing", {0}}});
    });
    EXPECT_EQ(loadError(model, bytes), "");
    // Face 0 names a material that does not exist: an index no material has.
    EXPECT_EQ(model.FMesh[0]->FMatID, (std::vector<uint16_t>{0xFFFF, 0}));
    EXPECT_EQ(model.FMesh[0]->FMatName, (std::vector<std::string>{"Known", "Missing"}));
    EXPECT_EQ(model.FRenderOrder, (std::vector<int32_t>{0}));
}

TEST(Load3DSHostile, material_groups_beyond_255_do_not_wrap) {
    std::vector<Group> groups;
    for (int i = 0; i < 300; ++i) groups.push_back({std::string(1, 'g').append(std::to_string(i)), {0}});
    TGLAll3dsMesh model;
    EXPECT_EQ(loadError(model, file3ds([&](ChunkWriter& w) {
                            triMesh(w, "M", unitTriangle(), {{0, 1, 2}}, groups);
                        })),
              "");
    ASSERT_EQ(model.FMesh[0]->FMatName.size(), 300u);
    EXPECT_EQ(model.FMesh[0]->FMatName[255], "g255");
    EXPECT_EQ(model.FMesh[0]->FMatName[299], "g299");
}

TEST(Load3DSHostile, vertex_index_beyond_the_list_is_kept_but_never_followed) {
    TGLAll3dsMesh model;
    const std::vector<uint8_t> bytes = file3ds([](ChunkWriter& w) {
        triMesh(w, "M", {{1, 1, 1}, {2, 1, 1}, {1, 2, 1}}, {{0, 1, 2}, {0, 1, 60000}, {7, 8, 9}});
        triMesh(w, "Empty", {}, {{0, 1, 2}});
    });
    EXPECT_EQ(loadError(model, bytes), "");
    const TGL3dsMesh& m = *model.FMesh[0];
    EXPECT_EQ(m.FIndices, (std::vector<uint16_t>{0, 1, 2, 0, 1, 60000, 7, 8, 9}));
    EXPECT_EQ(m.FaceNormal.size(), 3u);
    EXPECT_POINT(m.FaceNormal[1], 0, 0, 0);
    EXPECT_POINT(m.FMaximum, 2, 1, 2);
    EXPECT_EQ(model.FMesh[1]->FNumVertex, 0);
    EXPECT_POINT(model.FMesh[1]->FMinimum, 0, 0, 0);
}

// A hostile file and what loading it must give: the pieces the error text contains (none: the
// load goes through), and what the model holds afterwards.
struct Hostile3ds {
    std::string name;
    std::vector<uint8_t> bytes;
    std::vector<std::string> error;
    std::function<void(const TGLAll3dsMesh&)> holds = [](const TGLAll3dsMesh&) {};
};

// A main chunk holding the version, a skipped chunk of the given length, and a second version.
std::vector<uint8_t> skippedChunkOfLength(uint32_t length) {
    ChunkWriter w;
    w.chunk(MAIN3DS, [&] {
        w.chunk(VERS3DS, [&] { w.u32(3); });
        w.rawHeader(0x1234, length);
        w.chunk(VERS3DS, [&] { w.u32(9); });
    });
    return w.data;
}

// One mesh whose only geometry chunk `id` claims 65535 entries and holds six bytes.
std::vector<uint8_t> countBeyondTheChunk(uint16_t id) {
    return file3ds([&](ChunkWriter& w) {
        w.chunk(EDIT_OBJECT, [&] {
            w.str("M");
            w.chunk(OBJ_TRIMESH, [&] { w.chunk(id, [&] { w.u16(0xFFFF).u32(0); }); });
        });
    });
}

void versionIs3(const TGLAll3dsMesh& model) {
    EXPECT_EQ(model.FVersion, 3);
}
void geometryEmpty(const TGLAll3dsMesh& model) {
    EXPECT_TRUE(model.FMesh[0]->FVertex.empty() && model.FMesh[0]->FIndices.empty() &&
                model.FMesh[0]->FMapping.empty());
}

std::vector<Hostile3ds> hostile3dsRows() {
    std::vector<Hostile3ds> rows;
    // The vertex list ends 36 bytes after its count; keep only 20 of them. What was built
    // before the failure stays owned by the model.
    std::vector<uint8_t> cut = file3ds([](ChunkWriter& w) { triMesh(w, "M", unitTriangle(), {}); });
    cut.resize(6 + 10 + 6 + 6 + 2 + 6 + 6 + 2 + 20);
    rows.push_back({"cut_vertex_list_names_the_chunk_and_offsets",
                    cut,
                    {"vertex list in chunk 0x4110 at offset 36 needs 36 bytes at offset 44",
                     "the data ends at offset 64"},
                    [](const TGLAll3dsMesh& model) {
                        ASSERT_EQ(model.FMesh.size(), 1u);
                        EXPECT_EQ(model.FMesh[0]->FName, "M");
                        EXPECT_EQ(model.FMesh[0]->FNumVertex, 0);
                    }});
    // A chunk length below a header, or reaching past the end, ends the walk.
    for (uint32_t length : {0u, 1u, 5u})
        rows.push_back({"chunk_length_" + std::to_string(length) + "_ends_the_walk",
                        skippedChunkOfLength(length),
                        {},
                        versionIs3});
    rows.push_back({"skipped_chunk_reaching_past_the_end_ends_the_walk",
                    skippedChunkOfLength(0xFFFFFFFF),
                    {},
                    versionIs3});
    // Counts beyond their chunk fail before allocating.
    rows.push_back(
        {"vertex_count_beyond_the_chunk",
         countBeyondTheChunk(TRI_VERTEXL),
         {"vertex list in chunk 0x4110 at offset 36 needs 786420 bytes", "but the chunk ends at offset 48"},
         geometryEmpty});
    rows.push_back(
        {"face_count_beyond_the_chunk",
         countBeyondTheChunk(TRI_FACEL1),
         {"face list in chunk 0x4120 at offset 36 needs 524280 bytes", "but the chunk ends at offset 48"},
         geometryEmpty});
    rows.push_back({"mapping_count_beyond_the_chunk",
                    countBeyondTheChunk(TRI_MAPPINGCOORDS),
                    {"mapping coordinates in chunk 0x4140 at offset 36 needs 524280 bytes",
                     "but the chunk ends at offset 48"},
                    geometryEmpty});
    // The group's face count sits just before the end of the file: claim 60000 faces.
    std::vector<uint8_t> group = file3ds([](ChunkWriter& w) {
        triMesh(w, "M", unitTriangle(), {{0, 1, 2}}, {{"x", {}}});
    });
    group[group.size() - 2] = 0x60;
    group[group.size() - 1] = 0xEA;
    rows.push_back({"material_group_count_beyond_the_chunk",
                    group,
                    {"material group faces in chunk 0x4130"},
                    [](const TGLAll3dsMesh& model) { EXPECT_EQ(model.FMesh[0]->FMatID.size(), 0u); }});
    rows.push_back({"smoothing_count_beyond_the_chunk",
                    file3ds([](ChunkWriter& w) {
                        w.chunk(EDIT_OBJECT, [&] {
                            w.str("M");
                            w.chunk(OBJ_TRIMESH, [&] {
                                w.chunk(TRI_FACEL1, [&] {
                                    w.u16(2).u16(0).u16(0).u16(0).u16(0).u16(0).u16(0).u16(0).u16(0);
                                    w.chunk(TRI_SMOOTH, [&] { w.u32(1); });  // one value for two faces
                                });
                            });
                        });
                    }),
                    {"smoothing groups in chunk 0x4150"}});
    ChunkWriter unterminated;
    unterminated.chunk(MAIN3DS, [&] {
        unterminated.chunk(EDIT3DS, [&] {
            unterminated.chunk(
                MAT_MATRIAL, [&] { unterminated.chunk(MAT_MATNAME, [&] { unterminated.u8('a').u8('b'); }); });
        });
        unterminated.chunk(VERS3DS, [&] { unterminated.u32(3); });
    });
    rows.push_back({"names_without_terminator_inside_their_chunk_fail",
                    unterminated.data,
                    {"material name in chunk 0xA000 at offset 18"},
                    [](const TGLAll3dsMesh& model) { EXPECT_EQ(model.FVersion, 0); }});
    auto noMeshes = [](const TGLAll3dsMesh& model) { EXPECT_EQ(model.FNumMeshes, 0); };
    rows.push_back({"empty_stream_loads_nothing", {}, {}, noMeshes});
    rows.push_back({"short_tail_loads_nothing", {0x4D, 0x4D, 0x20}, {}, noMeshes});
    return rows;
}

class Load3DSHostileRows : public ::testing::TestWithParam<Hostile3ds> {};

TEST_P(Load3DSHostileRows, loads_or_fails_as_its_row_says) {
    const Hostile3ds& row = GetParam();
    TGLAll3dsMesh model;
    const std::string error = loadError(model, row.bytes);
    if (row.error.empty()) {
        EXPECT_EQ(error, "");
    }
    for (const std::string& piece : row.error) EXPECT_NE(error.find(piece), std::string::npos) << error;
    row.holds(model);
}

INSTANTIATE_TEST_SUITE_P(Rows, Load3DSHostileRows, ::testing::ValuesIn(hostile3dsRows()), RowName());

}  // namespace
