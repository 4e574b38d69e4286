// Model classes: material defaults, lookups by name and index, what a reload keeps, and the GL
// objects the destructors delete (read back from a real GL context).
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "support/gl_test.h"
#include "vtrl3ds/errors.h"
#include "vtrl3ds/model.h"
#include "build_model.h"
#include "support/files3ds.h"

namespace {

TEST(Material, new_material_is_opaque_with_zero_colours_and_scales) {
    TGL3dsMaterial m(nullptr);
    EXPECT_EQ(m.FTransparency, 1.0f);
    EXPECT_EQ(m.FDifR + m.FDifG + m.FDifB + m.FAmbR + m.FAmbG + m.FAmbB + m.FSpcR + m.FSpcG + m.FSpcB, 0.0f);
    EXPECT_EQ(m.FUs, 0.0f);
    EXPECT_EQ(m.FVs, 0.0f);
    EXPECT_FALSE(m.FHasTextureMap || m.FIsAmbient || m.FIsDiffuse || m.FIsSpecular || m.FTwoSided);
    EXPECT_EQ(m.FTexId, 0);
}

TEST(MaterialLookup, name_matches_ignoring_ascii_case_and_first_wins) {
    TGLAll3dsMesh model;
    addMaterial(model, "Steel");
    addMaterial(model, "Red Plastic");
    addMaterial(model, "red plastic");
    EXPECT_EQ(model.GetMaterialIDByName("STEEL"), 0);
    EXPECT_EQ(model.GetMaterialIDByName("RED PLASTIC"), 1);
    EXPECT_EQ(model.GetMaterialIDByName("Red Plasti"), -1);
    // Only ASCII letters fold: a Windows-1252 accented letter must match exactly.
    addMaterial(model, "\xe9t\xe9");
    EXPECT_EQ(model.GetMaterialIDByName("\xc9T\xc9"), -1);
    EXPECT_EQ(model.GetMaterialIDByName("\xe9T\xe9"), 3);
}

TEST(MaterialLookup, no_materials_gives_minus_one) {
    TGLAll3dsMesh model;
    EXPECT_EQ(model.GetMaterialIDByName(""), -1);
    EXPECT_EQ(model.GetMaterialIDByName("x"), -1);
}

TEST(MaterialLookup, index_outside_the_array_raises_range_error) {
    TGLAll3dsMesh model;
    TGL3dsMaterial* m = addMaterial(model, "a");
    EXPECT_EQ(model.GetMaterial(0), m);
    EXPECT_THROW(model.GetMaterial(1), ERangeError);
    EXPECT_THROW(model.GetMaterial(-1), ERangeError);
}

TEST(Model, reload_empties_arrays_but_keeps_earlier_objects_owned) {
    TGLAll3dsMesh model;
    loadBytes(model, sampleFile());
    ASSERT_EQ(model.FMesh.size(), 3u);
    ASSERT_EQ(model.FMaterial.size(), 2u);
    loadBytes(model, file3ds([](ChunkWriter& w) { material(w, "Only"); }));
    EXPECT_EQ(model.FMesh.size(), 0u);
    EXPECT_EQ(model.FNumMeshes, 0);
    EXPECT_TRUE(model.FRenderOrder.empty());
    ASSERT_EQ(model.FMaterial.size(), 1u);
    EXPECT_EQ(model.FMaterial[0]->FName, "Only");
    EXPECT_EQ(model.Components().size(), 6u);
}

using ModelGL = GLTest<>;

TEST_F(ModelGL, destroying_a_model_deletes_its_display_list_only_when_set) {
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glEndList();
    auto* keep = new TGLAll3dsMesh;  // FDisplayList 0: the list above is not its own
    delete keep;
    EXPECT_TRUE(glIsList(list));
    auto* owner = new TGLAll3dsMesh;
    owner->FDisplayList = static_cast<int32_t>(list);
    delete owner;
    EXPECT_FALSE(glIsList(list));
}

TEST_F(ModelGL, mesh_destructor_leaves_its_display_list) {
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glEndList();
    auto* model = new TGLAll3dsMesh;
    (new TGL3dsMesh(model))->FDisplayList = static_cast<int32_t>(list);
    delete model;
    EXPECT_TRUE(glIsList(list));
}

TEST_F(ModelGL, material_deletes_its_texture_only_with_a_texture_map) {
    GLuint tex[2];
    glGenTextures(2, tex);
    for (GLuint t : tex) glBindTexture(GL_TEXTURE_2D, t);  // a bound name becomes a texture
    auto* model = new TGLAll3dsMesh;
    auto* plain = new TGL3dsMaterial(model);
    plain->FTexId = static_cast<int32_t>(tex[0]);
    auto* mapped = new TGL3dsMaterial(model);
    mapped->FTexId = static_cast<int32_t>(tex[1]);
    mapped->FHasTextureMap = true;
    delete model;
    EXPECT_TRUE(glIsTexture(tex[0]));
    EXPECT_FALSE(glIsTexture(tex[1]));
}

}  // namespace
