// Mesh and material rendering on a real GL context: Apply's state read back with glGet, the
// triangles drawn read back through GL feedback (positions and colours), the display-list paths,
// and the front end's culling bracket.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>

#include "build_model.h"
#include "support/gl_test.h"
#include "vtrl3ds/vector.h"
#include "support/temp_dir.h"
#include "support/files3ds.h"

namespace {

std::array<float, 4> currentColour() {
    std::array<float, 4> c{};
    glGetFloatv(GL_CURRENT_COLOR, c.data());
    return c;
}

// One triangle returned by feedback: window x, y and colour of each corner.
struct FedTriangle {
    float x[3], y[3];
    std::array<float, 4> colour[3];
};

// Draws in feedback mode and returns the triangles; other primitives are counted in `other`.
std::vector<FedTriangle> feedback(const std::function<void()>& draw, size_t* other = nullptr) {
    std::vector<FedTriangle> out;
    for (const FedPrimitive& p : FeedbackOf(draw)) {
        if (p.token != GL_POLYGON_TOKEN || p.vertices.size() != 3) {
            if (other) ++*other;
            continue;
        }
        FedTriangle t{};
        for (size_t c = 0; c < 3; ++c)
            t.x[c] = p.vertices[c].x, t.y[c] = p.vertices[c].y, t.colour[c] = p.vertices[c].colour;
        out.push_back(t);
    }
    return out;
}

void expectColour(const std::array<float, 4>& c, float r, float g, float b, float a) {
    EXPECT_NEAR(c[0], r, 1e-3);
    EXPECT_NEAR(c[1], g, 1e-3);
    EXPECT_NEAR(c[2], b, 1e-3);
    EXPECT_NEAR(c[3], a, 1e-3);
}

// Restores the library switch when a test ends.
struct IgnoreMaterialsGuard {
    ~IgnoreMaterialsGuard() { IgnoreMaterials = false; }
};

using RenderGL = GLTest<>;

TEST_F(RenderGL, see_through_material_blends_and_next_opaque_one_stops) {
    TGL3dsMaterial glass(nullptr), wall(nullptr);
    glass.FTransparency = 0.5f;
    glass.Apply();
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(GLInteger(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(GLInteger(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_NEAR(currentColour()[3], 0.5f, 1e-6);
    wall.Apply();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_NEAR(currentColour()[3], 1.0f, 1e-6);
}

TEST_F(RenderGL, two_sided_material_disables_culling_one_sided_enables_it) {
    TGL3dsMaterial twoSided(nullptr), oneSided(nullptr);
    twoSided.FTwoSided = true;
    glEnable(GL_CULL_FACE);
    twoSided.Apply();
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    oneSided.Apply();
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
}

TEST_F(RenderGL, current_colour_is_half_the_diffuse_or_half_the_ambient_last_met) {
    TGL3dsMaterial m(nullptr);
    m.FDifR = 1, m.FDifG = 0.5f, m.FDifB = 0;
    m.FAmbR = 0.2f, m.FAmbG = 0.4f, m.FAmbB = 0.6f;
    m.FTransparency = 0.75f;
    m.Apply();
    expectColour(currentColour(), 0.5f, 0.25f, 0, 0.75f);
    m.FIsAmbient = true;
    m.Apply();
    expectColour(currentColour(), 0.1f, 0.2f, 0.3f, 0.75f);
}

TEST_F(RenderGL, texture_map_enables_2d_texturing_which_stays_on) {
    TGL3dsMaterial textured(nullptr), plain(nullptr);
    textured.FHasTextureMap = true;
    glDisable(GL_TEXTURE_2D);
    plain.Apply();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    textured.Apply();
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    plain.Apply();
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(RenderGL, ignore_materials_leaves_colour_blend_texture_and_culling) {
    IgnoreMaterialsGuard guard;
    TGLAll3dsMesh model;
    TGL3dsMaterial* m = addMaterial(model, "glass", 0.25f);
    m->FHasTextureMap = true;
    m->FTwoSided = true;
    m->FDifR = 1;
    addMesh(model, {{0, 0, 0}, {0.5f, 0, 0}, {0, 0.5f, 0}}, {0, 1, 2}, {0});
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_CULL_FACE);
    IgnoreMaterials = true;
    m->Apply();
    model.Render();
    expectColour(currentColour(), 0.1f, 0.2f, 0.3f, 0.4f);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
}

// Two materials, one mesh alternating between them, and a face without a material index.
TEST_F(RenderGL, each_triangle_is_drawn_with_its_material_colour) {
    TGLAll3dsMesh model;
    addMaterial(model, "unused");
    addMaterial(model, "red")->FDifR = 1;
    addMaterial(model, "green")->FDifG = 1;
    const std::vector<T3dpoint> v = {{0, 0, 0}, {0.5f, 0, 0}, {0, 0.5f, 0}};
    TGL3dsMesh* mesh = addMesh(model, v, {0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2}, {1, 2, 1});
    glColor4f(0, 0, 1, 1);
    const std::vector<FedTriangle> t = feedback([&] { mesh->Render(); });
    ASSERT_EQ(t.size(), 4u);
    expectColour(t[0].colour[0], 0.5f, 0, 0, 1);
    expectColour(t[1].colour[0], 0, 0.5f, 0, 1);
    expectColour(t[2].colour[2], 0.5f, 0, 0, 1);
    // The fourth face has no material index: it keeps the state in force.
    expectColour(t[3].colour[1], 0.5f, 0, 0, 1);
}

TEST_F(RenderGL, faces_naming_missing_vertices_or_materials_are_passed_over_safely) {
    TGLAll3dsMesh model;
    addMaterial(model, "red")->FDifR = 1;
    TGL3dsMesh* mesh = addMesh(model, {{0, 0, 0}, {0.5f, 0, 0}, {0, 0.5f, 0}},
                               {0, 1, 2, 0, 1, 9, 0, 1, 2, 0, 1}, {0xFFFF, 0, 0});
    mesh->FNumIndices = 11;  // the last two corners make no triangle
    mesh->FMapping.clear();  // no texture coordinates at all
    glColor4f(0, 0, 1, 1);
    const std::vector<FedTriangle> t = feedback([&] { mesh->Render(); });
    ASSERT_EQ(t.size(), 2u);
    expectColour(t[0].colour[0], 0, 0, 1, 1);  // material 0xFFFF names none: state in force
    expectColour(t[1].colour[0], 0.5f, 0, 0, 1);
}

TEST_F(RenderGL, meshes_are_drawn_in_render_order) {
    TGLAll3dsMesh model;
    addMesh(model, {{-0.5f, 0, 0}, {-0.4f, 0, 0}, {-0.5f, 0.1f, 0}}, {0, 1, 2});
    addMesh(model, {{0.5f, 0, 0}, {0.6f, 0, 0}, {0.5f, 0.1f, 0}}, {0, 1, 2});
    model.FRenderOrder = {1, 0};
    const std::vector<FedTriangle> t = feedback([&] { model.Render(); });
    ASSERT_EQ(t.size(), 2u);
    EXPECT_NEAR(t[0].x[0], 600, 0.5);
    EXPECT_NEAR(t[1].x[0], 200, 0.5);
}

TEST_F(RenderGL, model_with_a_display_list_draws_only_the_list) {
    TGLAll3dsMesh model;
    addMesh(model, {{0, 0, 0}, {0.5f, 0, 0}, {0, 0.5f, 0}}, {0, 1, 2});
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBegin(GL_POINTS);
    glVertex3f(0, 0, 0);
    glEnd();
    glEndList();
    model.FDisplayList = static_cast<int32_t>(list);
    size_t points = 0;
    const std::vector<FedTriangle> t = feedback([&] { model.Render(); }, &points);
    EXPECT_TRUE(t.empty());
    EXPECT_EQ(points, 1u);
    model.FDisplayList = 0;
    glDeleteLists(list, 1);
}

TEST_F(RenderGL, face_without_a_face_normal_is_lit_as_with_the_computed_one) {
    TGLAll3dsMesh model;
    TGL3dsMesh* mesh = addMesh(model, {{0, 0, 0}, {0.5f, 0, 0}, {0.2f, 0.5f, 0.4f}}, {0, 1, 2});
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    glColor4f(1, 1, 1, 1);
    model.CalcVNormals();
    const std::vector<FedTriangle> withNormal = feedback([&] { model.Render(); });
    mesh->FaceNormal.clear();
    const std::vector<FedTriangle> computed = feedback([&] { model.Render(); });
    mesh->FaceNormal = {{0, 0, 1}};
    const std::vector<FedTriangle> flipped = feedback([&] { model.Render(); });
    glDisable(GL_LIGHTING);
    ASSERT_EQ(withNormal.size(), 1u);
    ASSERT_EQ(computed.size(), 1u);
    ASSERT_EQ(flipped.size(), 1u);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(computed[0].colour[0][c], withNormal[0].colour[0][c], 1e-5);
    EXPECT_GT(std::abs(flipped[0].colour[0][0] - withNormal[0].colour[0][0]), 0.1f);
}

class FrontEndGL : public RenderGL {
  protected:
    TempDir dir;
};

TEST_F(FrontEndGL, missing_file_leaves_no_scene_and_still_sets_the_culled_face_back) {
    TGL3dsModel front;
    front.LoadModel3DS(0.1f, dir.file("absent.3ds"));
    EXPECT_EQ(front.Scene, nullptr);
    EXPECT_EQ(front.FileName, dir.file("absent.3ds"));
    glCullFace(GL_FRONT_AND_BACK);
    const std::vector<FedTriangle> t = feedback([&] { front.PutModel3DS(); });
    EXPECT_TRUE(t.empty());
    EXPECT_EQ(GLInteger(GL_CULL_FACE_MODE), GL_BACK);
}

TEST_F(FrontEndGL, scene_is_scaled_and_drawn_with_front_faces_culled) {
    // Stored after the Y/Z exchange as (x, y, 0): one triangle counter-clockwise on screen, one clockwise.
    const std::vector<uint8_t> bytes = file3ds([](ChunkWriter& w) {
        material(w, "Solid", [&] { colour24(w, MAT_DIFFUSE, 255, 255, 255); });
        triMesh(w, "M", {{0, 0, 0}, {5, 0, 0}, {0, 0, 5}, {0, 0, -5}, {-5, 0, 0}}, {{0, 1, 2}, {0, 3, 4}},
                {{"Solid", {0, 1}}});
    });
    const std::string path = dir.write("scene.3ds", bytes);
    TGL3dsModel front;
    front.LoadModel3DS(0.1f, path);
    ASSERT_NE(front.Scene, nullptr);
    EXPECT_POINT(front.Scene->FMesh[0]->FVertex[1], 0.5f, 0, 0);
    const std::vector<FedTriangle> t = feedback([&] { front.PutModel3DS(); });
    EXPECT_EQ(GLInteger(GL_CULL_FACE_MODE), GL_BACK);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    // Only the clockwise triangle (0,0), (0,-0.5), (-0.5,0) survives front-face culling.
    ASSERT_EQ(t.size(), 1u);
    EXPECT_NEAR(t[0].y[1], 300 - 150, 0.5);
    std::filesystem::remove(path);
    EXPECT_TRUE(feedback([&] { front.PutModel3DS(); }).empty());  // the file is asked for each call
    delete front.Scene;
}

TEST_F(FrontEndGL, scale_zero_loads_at_scale_one) {
    const std::vector<uint8_t> bytes = file3ds([](ChunkWriter& w) { triMesh(w, "M", {{1, 2, 3}}, {}); });
    const std::string path = dir.write("one.3ds", bytes);
    TGL3dsModel front;
    front.LoadModel3DS(0, path);
    ASSERT_NE(front.Scene, nullptr);
    EXPECT_EQ(front.Scene->FMasterScale, 1.0f);
    EXPECT_POINT(front.Scene->FMesh[0]->FVertex[0], 1, 3, 2);
    delete front.Scene;
}

TEST_F(FrontEndGL, second_load_destroys_the_first_scene) {
    struct Probe : TComponent {
        bool* destroyed;
        Probe(TComponent* owner, bool* flag) : TComponent(owner), destroyed(flag) {}
        ~Probe() override { *destroyed = true; }
    };
    const std::string path = dir.write("one.3ds", file3ds([](ChunkWriter& w) {
                                           triMesh(w, "M", {{1, 2, 3}}, {});
                                       }));
    TGL3dsModel front;
    front.LoadModel3DS(1, path);
    bool destroyed = false;
    new Probe(front.Scene, &destroyed);
    front.LoadModel3DS(2, path);
    EXPECT_TRUE(destroyed);
    ASSERT_NE(front.Scene, nullptr);
    EXPECT_POINT(front.Scene->FMesh[0]->FVertex[0], 2, 6, 4);
    delete front.Scene;
}

}  // namespace
