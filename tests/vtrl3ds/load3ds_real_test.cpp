// Real 3DS files from other tools load, and their mesh, vertex and face counts equal what an
// independent 3DS library reported for the same files (counted once, written in here).
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "vtrl3ds/errors.h"
#include "vtrl3ds/model.h"

namespace {

std::string realFile(const std::string& name) {
    return std::string(VTRL_TESTDATA_DIR) + "/real/3ds/" + name;
}

// Counts from the independent reader: triangle meshes, lights and cameras (each a mesh here),
// materials, and vertices and faces summed over the triangle meshes.
struct Expected {
    const char* file;
    int32_t meshes, lights, cameras, materials;
    size_t vertices, faces;
};

const Expected expected[] = {
    {"CameraRollAnimWithChildObject.3ds", 2, 0, 1, 0, 52, 24},
    {"allemagne.3ds", 237, 196, 0, 35, 19608, 15119},
    {"cube_lib3ds.3ds", 1, 0, 1, 3, 8, 12},
    {"cubes_with_alpha.3ds", 5, 0, 0, 5, 130, 60},
    {"indochine.3ds", 97, 0, 2, 21, 12402, 11093},
    {"test1.3ds", 9, 0, 0, 3, 288, 108},
};

TEST(Load3DSReal, counts_equal_the_independent_reader) {
    for (const Expected& e : expected) {
        TGLAll3dsMesh model;
        ASSERT_NO_THROW(model.LoadFromFile(realFile(e.file))) << e.file;
        EXPECT_EQ(model.FNumMeshes, e.meshes + e.lights + e.cameras) << e.file;
        EXPECT_EQ(model.FMesh.size(), static_cast<size_t>(model.FNumMeshes)) << e.file;
        EXPECT_EQ(model.FNumMaterials, e.materials) << e.file;
        size_t vertices = 0, faces = 0;
        for (const TGL3dsMesh* m : model.FMesh) {
            vertices += static_cast<size_t>(m->FNumVertex);
            faces += static_cast<size_t>(m->FNumIndices / 3);
        }
        EXPECT_EQ(vertices, e.vertices) << e.file;
        EXPECT_EQ(faces, e.faces) << e.file;
    }
}

// Per-mesh counts of the small files, keyed by name: (vertices, faces).
TEST(Load3DSReal, per_mesh_counts_of_the_small_files) {
    const std::map<std::string, std::map<std::string, std::pair<int32_t, int32_t>>> perMesh = {
        {"CameraRollAnimWithChildObject.3ds", {{"Box01", {26, 12}}, {"Box02", {26, 12}}}},
        {"cube_lib3ds.3ds", {{"cube", {8, 12}}}},
        {"cubes_with_alpha.3ds",
         {{"Quader01", {26, 12}},
          {"Quader02", {26, 12}},
          {"Quader03", {26, 12}},
          {"Quader04", {26, 12}},
          {"Quader05", {26, 12}}}},
    };
    for (const auto& [file, meshes] : perMesh) {
        TGLAll3dsMesh model;
        model.LoadFromFile(realFile(file));
        for (const auto& [name, counts] : meshes) {
            const TGL3dsMesh* found = nullptr;
            for (const TGL3dsMesh* m : model.FMesh)
                if (m->FName == name) found = m;
            ASSERT_NE(found, nullptr) << file << " " << name;
            EXPECT_EQ(found->FNumVertex, counts.first) << file << " " << name;
            EXPECT_EQ(found->FNumIndices / 3, counts.second) << file << " " << name;
        }
    }
}

TEST(Load3DSReal, materials_read_as_the_independent_reader_saw_them) {
    TGLAll3dsMesh model;
    model.LoadFromFile(realFile("cubes_with_alpha.3ds"));
    const int32_t t = model.GetMaterialIDByName("Transparent");
    ASSERT_GE(t, 0);
    EXPECT_NEAR(model.FMaterial[t]->FTransparency, 0.83f, 1e-6);
    EXPECT_NEAR(model.FMaterial[t]->FDifR, 0.6980f, 1e-4);
    EXPECT_EQ(model.FMaterial[model.GetMaterialIDByName("01 - Default")]->FFileName, "BERETTA_.JPG");

    TGLAll3dsMesh cube;
    cube.LoadFromFile(realFile("cube_lib3ds.3ds"));
    const TGL3dsMaterial* tex = cube.FMaterial[cube.GetMaterialIDByName("c_tex")];
    EXPECT_EQ(tex->FFileName, "cube.tga");
    EXPECT_TRUE(tex->FHasTextureMap);
    EXPECT_FLOAT_EQ(cube.FMaterial[cube.GetMaterialIDByName("c_blue")]->FDifB, 1.0f);
}

TEST(Load3DSReal, every_face_of_the_real_files_names_a_vertex_of_its_mesh) {
    for (const Expected& e : expected) {
        TGLAll3dsMesh model;
        model.LoadFromFile(realFile(e.file));
        for (const TGL3dsMesh* m : model.FMesh)
            for (uint16_t v : m->FIndices) ASSERT_LT(v, m->FNumVertex) << e.file << " " << m->FName;
    }
}

TEST(Load3DSReal, empty_file_loads_an_empty_model) {
    TGLAll3dsMesh model;
    EXPECT_NO_THROW(model.LoadFromFile(realFile("malformed/empty.3ds")));
    EXPECT_EQ(model.FNumMeshes, 0);
    EXPECT_EQ(model.FType, Mesh3DS);
}

}  // namespace
