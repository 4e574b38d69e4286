// The 3DS chunk walk on files built by the test writer: version, axis exchange and scale, colour
// kinds, transparency, maps, lights, keyframer pivots, material groups and the file dispatch.
#include <gtest/gtest.h>

#include "build_model.h"
#include "vtrl3ds/errors.h"
#include "support/temp_dir.h"
#include "support/files3ds.h"

namespace {

std::vector<uint8_t> versionOnly(uint32_t version) {
    ChunkWriter w;
    w.chunk(MAIN3DS, [&] { w.chunk(VERS3DS, [&] { w.u32(version); }); });
    return w.data;
}

TEST(Load3DS, version_only_file_gives_an_empty_model) {
    TGLAll3dsMesh model;
    loadBytes(model, versionOnly(3));
    EXPECT_EQ(model.FVersion, 3);
    EXPECT_EQ(model.FNumMeshes, 0);
    EXPECT_EQ(model.FNumMaterials, 0);
    EXPECT_TRUE(model.FMesh.empty());
    EXPECT_EQ(model.FMasterScale, 1.0f);
    loadBytes(model, versionOnly(2));
    EXPECT_EQ(model.FVersion, 2);
}

TEST(Load3DS, vertex_y_and_z_exchanged_then_scaled_by_the_callers_scale) {
    TGLAll3dsMesh model;
    model.FMasterScale = 0.1f;
    loadBytes(model, file3ds([](ChunkWriter& w) { triMesh(w, "M", {{1, 2, 3}}, {}); }));
    ASSERT_EQ(model.FMesh.size(), 1u);
    EXPECT_POINT(model.FMesh[0]->FVertex[0], 0.1f, 0.3f, 0.2f);
    EXPECT_EQ(model.FMesh[0]->FBoneID, (std::vector<int32_t>{-1}));
}

TEST(Load3DS, master_scale_chunk_does_not_override_the_start_scale) {
    TGLAll3dsMesh model;
    loadBytes(model, file3ds([](ChunkWriter& w) {
                  w.chunk(MASTER_SCALE, [&] { w.f32(2.0f); });
                  triMesh(w, "M", {{1, 2, 3}}, {});
              }));
    EXPECT_EQ(model.FMasterScale, 1.0f);
    EXPECT_POINT(model.FMesh[0]->FVertex[0], 1, 3, 2);
}

TEST(Load3DS, colours_go_to_the_kind_last_announced) {
    TGLAll3dsMesh model;
    loadBytes(model, file3ds([](ChunkWriter& w) {
                  material(w, "M", [&] {
                      colour24(w, MAT_AMBIENT, 51, 102, 153);
                      colour24(w, MAT_DIFFUSE, 255, 128, 0);
                      colourFloat(w, MAT_SPECULAR, 0.25f, 0.5f, 0.75f);
                  });
              }));
    ASSERT_EQ(model.FNumMaterials, 1);
    const TGL3dsMaterial& m = *model.FMaterial[0];
    EXPECT_FLOAT_EQ(m.FDifR, 1.0f);
    EXPECT_FLOAT_EQ(m.FDifG, 128 / 255.0f);
    EXPECT_FLOAT_EQ(m.FDifB, 0.0f);
    EXPECT_FLOAT_EQ(m.FAmbR, 0.2f);
    EXPECT_FLOAT_EQ(m.FAmbB, 0.6f);
    EXPECT_FLOAT_EQ(m.FSpcG, 0.5f);
    EXPECT_TRUE(m.FHasMaterial);
    // The specular chunk came last: only its flag stays set.
    EXPECT_TRUE(m.FIsSpecular);
    EXPECT_FALSE(m.FIsAmbient || m.FIsDiffuse);
}

TEST(Load3DS, transparency_percentage_gives_opacity) {
    TGLAll3dsMesh model;
    loadBytes(model, file3ds([](ChunkWriter& w) {
                  material(w, "Quarter", [&] { percent(w, MAT_TRANSPARENCY, 25); });
                  material(w, "None", [&] { percent(w, MAT_TRANSPARENCY, 0); });
                  material(w, "Float", [&] {
                      w.chunk(MAT_TRANSPARENCY, [&] { w.chunk(FLOAT_PERCENTAGE, [&] { w.f32(40.0f); }); });
                  });
              }));
    EXPECT_FLOAT_EQ(model.FMaterial[0]->FTransparency, 0.75f);
    EXPECT_FLOAT_EQ(model.FMaterial[1]->FTransparency, 1.0f);
    EXPECT_FLOAT_EQ(model.FMaterial[2]->FTransparency, 0.6f);
}

TEST(Load3DS, bump_strength_and_map_names_go_to_their_maps) {
    TGLAll3dsMesh model;
    loadBytes(model, file3ds([](ChunkWriter& w) {
                  material(w, "M", [&] {
                      w.chunk(MAT_BUMPMAP, [&] {
                          w.chunk(INT_PERCENTAGE, [&] { w.u16(100); });
                          w.chunk(MAT_MAPFILE, [&] { w.str("bump.tga"); });
                      });
                      w.chunk(MAT_TEXTURE, [&] {
                          w.chunk(INT_PERCENTAGE, [&] { w.u16(100); });
                          w.chunk(MAT_MAPFILE, [&] { w.str("wood.tga"); });
                          w.chunk(MAT_USCALE, [&] { w.f32(2); });
                          w.chunk(MAT_VSCALE, [&] { w.f32(3); });
                          w.chunk(MAT_UOFF, [&] { w.f32(0.5f); });
                          w.chunk(MAT_VOFF, [&] { w.f32(0.25f); });
                          w.chunk(MAT_TEXROT, [&] { w.f32(90); });
                      });
                  });
              }));
    const TGL3dsMaterial& m = *model.FMaterial[0];
    EXPECT_FLOAT_EQ(m.FBumpMapStrength, 0.01f);
    EXPECT_EQ(m.FBumpMapFileName, "bump.tga");
    EXPECT_TRUE(m.FHasBumpMap);
    EXPECT_EQ(m.FFileName, "wood.tga");
    EXPECT_TRUE(m.FHasTextureMap);
    EXPECT_EQ(m.FUs, 2.0f);
    EXPECT_EQ(m.FVs, 3.0f);
    EXPECT_EQ(m.FUOff, 0.5f);
    EXPECT_EQ(m.FVOff, 0.25f);
    EXPECT_EQ(m.FRot, 90.0f);
}

TEST(Load3DS, light_and_camera_count_as_meshes_without_geometry) {
    TGLAll3dsMesh model;
    loadBytes(model, sampleFile());
    EXPECT_EQ(model.FNumMeshes, 3);
    ASSERT_EQ(model.FMesh.size(), 3u);
    EXPECT_EQ(model.FMesh[2]->FName, "Lamp");
    EXPECT_EQ(model.FMesh[2]->FNumVertex, 0);
    EXPECT_EQ(model.FMesh[2]->FId, 3);
    EXPECT_EQ(model.FMesh[2]->FMatName, (std::vector<std::string>{""}));
}

TEST(Load3DS, keyframer_pivots_go_to_meshes_by_order) {
    ChunkWriter w;
    w.chunk(MAIN3DS, [&] {
        w.chunk(EDIT3DS, [&] {
            for (const char* name : {"A", "B", "C"}) triMesh(w, name, {{10, 20, 30}}, {});
        });
        w.chunk(KEYF3DS, [&] {
            // Names in the keyframer are not consulted.
            for (int k = 0; k < 3; ++k)
                w.chunk(KEYF_OBJDES, [&] {
                    w.chunk(KEYF_OBJHIERARCH, [&] { w.str("C").u16(0).u16(0).u16(0xFFFF); });
                    w.chunk(KEYF_OBJPIVOT, [&] { w.f32(static_cast<float>(k)).f32(1).f32(2); });
                });
        });
    });
    TGLAll3dsMesh model;
    loadBytes(model, w.data);
    for (int k = 0; k < 3; ++k) {
        EXPECT_POINT(model.FMesh[k]->FPivot, static_cast<float>(k), 1, 2);
        // Stored (10, 30, 20) minus the pivot in file order.
        EXPECT_POINT(model.FMesh[k]->FVertex[0], 10.0f - static_cast<float>(k), 29, 18);
    }
}

TEST(Load3DS, sample_file_fields_as_read_and_post_processed) {
    TGLAll3dsMesh model;
    loadBytes(model, sampleFile());
    ASSERT_EQ(model.FNumMaterials, 2);
    const TGL3dsMesh& pane = *model.FMesh[1];
    EXPECT_EQ(pane.FName, "Pane");
    EXPECT_EQ(pane.FMatName, (std::vector<std::string>{"glass"}));
    EXPECT_EQ(pane.FMatID, (std::vector<uint16_t>{1}));
    EXPECT_EQ(pane.FSmoothingGroup, (std::vector<uint32_t>{5}));
    ASSERT_EQ(pane.FMapping.size(), 3u);
    EXPECT_EQ(pane.FMapping[1].tu, 1.0f);
    EXPECT_POINT(pane.LocalAxis[1], 3, 4, 5);
    EXPECT_POINT(pane.FLocalCoords, 9, 10, 11);
    EXPECT_POINT(pane.FVertex[2], 0, 5, 1);  // (0, 2, 5) exchanged, minus pivot (0, 0, 1)
    EXPECT_EQ(pane.FaceNormal.size(), 1u);
    // The see-through pane is drawn after the box; the light stays in the last slot unexamined.
    EXPECT_EQ(model.FRenderOrder, (std::vector<int32_t>{0, 2, 1}));
    EXPECT_TRUE(model.FMaterial[1]->FTwoSided);
    EXPECT_FLOAT_EQ(model.FMaterial[1]->FTransparency, 0.5f);
    EXPECT_POINT(model.FMaximum, 2, 5, 1);
}

TEST(Load3DS, faces_named_in_no_group_keep_index_zero_and_groupless_mesh_has_no_ids) {
    TGLAll3dsMesh model;
    loadBytes(model, file3ds([](ChunkWriter& w) {
                  material(w, "A");
                  material(w, "B");
                  triMesh(w, "Grouped", unitTriangle(), {{0, 1, 2}, {0, 1, 2}, {0, 1, 2}}, {{"b", {2}}});
                  triMesh(w, "Plain", unitTriangle(), {{0, 1, 2}});
              }));
    EXPECT_EQ(model.FMesh[0]->FMatID, (std::vector<uint16_t>{0, 0, 1}));
    EXPECT_TRUE(model.FMesh[1]->FMatID.empty());
}

class Load3DSFile : public ::testing::Test {
  protected:
    TempDir dir;
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
        return dir.write(name, bytes);
    }
};

TEST_F(Load3DSFile, capitalised_extension_goes_to_the_3ds_loader) {
    TGLAll3dsMesh model;
    const std::string path = write("MODEL.3DS", versionOnly(3));
    model.LoadFromFile(path);
    EXPECT_EQ(model.FType, Mesh3DS);
    EXPECT_EQ(model.FVersion, 3);
    // Reading clears the name; the file's is kept once it ends.
    EXPECT_EQ(model.FName, path);
}

TEST_F(Load3DSFile, other_extensions_load_nothing_and_report_nothing) {
    TGLAll3dsMesh model;
    for (const char* name : {"model.obj", "3ds", "model.3ds.bak", "model.tx", "model.bin.gz"}) {
        const std::string path = write(name, versionOnly(3));
        EXPECT_NO_THROW(model.LoadFromFile(path));
        EXPECT_EQ(model.FType, 0);
        EXPECT_EQ(model.FVersion, 0);
        EXPECT_EQ(model.FName, path);
    }
}

TEST_F(Load3DSFile, missing_file_raises_stream_error_naming_it) {
    TGLAll3dsMesh model;
    const std::string path = dir.file("absent.3ds");
    try {
        model.LoadFromFile(path);
        FAIL() << "no exception";
    } catch (const EStreamError& e) {
        EXPECT_NE(std::string(e.what()).find("absent.3ds"), std::string::npos) << e.what();
    }
    EXPECT_EQ(model.FType, Mesh3DS);
    EXPECT_THROW(model.Load3DSFromFile(dir.path.string()), EStreamError);
}

}  // namespace
