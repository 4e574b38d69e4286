// Hostile 3DS input: truncation at every offset, chunk lengths below a header, counts far beyond
// their chunk, chunks before the mesh or material they address, and face or vertex indices out of
// range. Each loads what it can or fails with the library's exception; nothing reads or writes
// outside an array (the sanitizer build runs these too).
#include <gtest/gtest.h>

#include "build_model.h"
#include "vtrl3ds/errors.h"
#include "support/files3ds.h"

namespace {

// Loads bytes; returns the error text, or "" when the load went through.
std::string loadError(TGLAll3dsMesh& model, const std::vector<uint8_t>& bytes) {
    try {
        loadBytes(model, bytes);
    } catch (const EModelError& e) {
        return e.what();
    }
    return "";
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

TEST(Load3DSHostile, cut_vertex_list_names_the_chunk_and_offsets) {
    std::vector<uint8_t> bytes = file3ds([](ChunkWriter& w) { triMesh(w, "M", unitTriangle(), {}); });
    // The vertex list ends 36 bytes after its count; keep only 20 of them.
    const size_t countAt = 6 + 10 + 6 + 6 + 2 + 6 + 6;
    bytes.resize(countAt + 2 + 20);
    TGLAll3dsMesh model;
    const std::string error = loadError(model, bytes);
    EXPECT_NE(error.find("vertex list in chunk 0x4110 at offset 36 needs 36 bytes at offset 44"),
              std::string::npos)
        << error;
    EXPECT_NE(error.find("the data ends at offset 64"), std::string::npos) << error;
    // What was built before the failure stays owned by the model.
    ASSERT_EQ(model.FMesh.size(), 1u);
    EXPECT_EQ(model.FMesh[0]->FName, "M");
    EXPECT_EQ(model.FMesh[0]->FNumVertex, 0);
}

TEST(Load3DSHostile, chunk_length_below_six_ends_the_walk) {
    for (uint32_t length : {0u, 1u, 5u}) {
        ChunkWriter w;
        w.chunk(MAIN3DS, [&] {
            w.chunk(VERS3DS, [&] { w.u32(3); });
            w.rawHeader(0x1234, length);
            w.chunk(VERS3DS, [&] { w.u32(9); });
        });
        TGLAll3dsMesh model;
        EXPECT_EQ(loadError(model, w.data), "") << length;
        EXPECT_EQ(model.FVersion, 3) << length;
    }
}

TEST(Load3DSHostile, skipped_chunk_reaching_past_the_end_ends_the_walk) {
    ChunkWriter w;
    w.chunk(MAIN3DS, [&] {
        w.chunk(VERS3DS, [&] { w.u32(3); });
        w.rawHeader(0x1234, 0xFFFFFFFF);
        w.chunk(VERS3DS, [&] { w.u32(9); });
    });
    TGLAll3dsMesh model;
    EXPECT_EQ(loadError(model, w.data), "");
    EXPECT_EQ(model.FVersion, 3);
}

TEST(Load3DSHostile, counts_beyond_the_chunk_fail_before_allocating) {
    struct Case {
        const char* name;
        uint16_t id;
        const char* message;
    } cases[] = {
        {"vertices", TRI_VERTEXL, "vertex list in chunk 0x4110 at offset 36 needs 786420 bytes"},
        {"faces", TRI_FACEL1, "face list in chunk 0x4120 at offset 36 needs 524280 bytes"},
        {"mapping", TRI_MAPPINGCOORDS, "mapping coordinates in chunk 0x4140 at offset 36 needs 524280 bytes"},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> bytes = file3ds([&](ChunkWriter& w) {
            w.chunk(EDIT_OBJECT, [&] {
                w.str("M");
                w.chunk(OBJ_TRIMESH, [&] { w.chunk(c.id, [&] { w.u16(0xFFFF).u32(0); }); });
            });
        });
        TGLAll3dsMesh model;
        const std::string error = loadError(model, bytes);
        EXPECT_NE(error.find(c.message), std::string::npos) << c.name << ": " << error;
        EXPECT_NE(error.find("but the chunk ends at offset 48"), std::string::npos)
            << c.name << ": " << error;
        EXPECT_TRUE(model.FMesh[0]->FVertex.empty() && model.FMesh[0]->FIndices.empty() &&
                    model.FMesh[0]->FMapping.empty())
            << c.name;
    }
}

TEST(Load3DSHostile, material_group_and_smoothing_counts_beyond_the_chunk_fail) {
    const std::vector<uint8_t> group = file3ds([](ChunkWriter& w) {
        triMesh(w, "M", unitTriangle(), {{0, 1, 2}}, {{"x", {}}});
    });
    std::vector<uint8_t> hostile = group;
    // The group's face count sits just before the end of the file: claim 60000 faces.
    hostile[hostile.size() - 2] = 0x60;
    hostile[hostile.size() - 1] = 0xEA;
    TGLAll3dsMesh model;
    EXPECT_NE(loadError(model, hostile).find("material group faces in chunk 0x4130"), std::string::npos);
    EXPECT_EQ(model.FMesh[0]->FMatID.size(), 0u);

    const std::vector<uint8_t> smooth = file3ds([](ChunkWriter& w) {
        w.chunk(EDIT_OBJECT, [&] {
            w.str("M");
            w.chunk(OBJ_TRIMESH, [&] {
                w.chunk(TRI_FACEL1, [&] {
                    w.u16(2).u16(0).u16(0).u16(0).u16(0).u16(0).u16(0).u16(0).u16(0);
                    w.chunk(TRI_SMOOTH, [&] { w.u32(1); });  // one value for two faces
                });
            });
        });
    });
    EXPECT_NE(loadError(model, smooth).find("smoothing groups in chunk 0x4150"), std::string::npos);
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

TEST(Load3DSHostile, names_without_terminator_inside_their_chunk_fail) {
    ChunkWriter w;
    w.chunk(MAIN3DS, [&] {
        w.chunk(EDIT3DS,
                [&] { w.chunk(MAT_MATRIAL, [&] { w.chunk(MAT_MATNAME, [&] { w.u8('a').u8('b'); }); }); });
        w.chunk(VERS3DS, [&] { w.u32(3); });
    });
    TGLAll3dsMesh model;
    const std::string error = loadError(model, w.data);
    EXPECT_NE(error.find("material name in chunk 0xA000 at offset 18"), std::string::npos) << error;
    EXPECT_EQ(model.FVersion, 0);
}

TEST(Load3DSHostile, empty_stream_and_short_tail_load_nothing) {
    TGLAll3dsMesh model;
    EXPECT_EQ(loadError(model, {}), "");
    EXPECT_EQ(loadError(model, {0x4D, 0x4D, 0x20}), "");
    EXPECT_EQ(model.FNumMeshes, 0);
}

}  // namespace
