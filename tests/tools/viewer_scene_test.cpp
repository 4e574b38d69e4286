// The viewer's routines on a real GL context: its command line, its keys and playback, the
// retained drawing of a static model, and texture maps drawn (and switched off) from TGA, BMP and
// PNG files.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include "support/gl_test.h"
#include "viewer.h"
#include "vitrail/input.h"
#include "vitrail/window.h"
#include "vtrl3ds/normals.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const std::string kReal = std::string(VTRL_TESTDATA_DIR) + "/real/";

class ViewerScene : public GLTest<160, 120> {
  protected:
    TempDir dir;
    void SetUpGL() override {
        Width = 160, Height = 120;
        std::fill(std::begin(SetKey), std::end(SetKey), 0);
    }
    void TearDown() override { ViewScene = TViewerScene{}; }
    // Loads the file, lets `change` alter the model before its buffers are made, and prepares it.
    void open(const std::string& file, const std::function<void(TGLAll3dsMesh&)>& change = {}) {
        LoadViewerScene(file);
        if (change) change(*ViewScene.Model);
        ViewState = TViewerState{};
        ResetViewerCamera(30, 20);
        PrepareViewerScene();
    }
    // Presses and releases a key between frames, as the window procedure would.
    void press(int32_t key, double now) {
        SetKey[key] = -1;
        ViewerKeyboard(now);
        SetKey[key] = 0;
        ViewerKeyboard(now);
    }
    // Mean colour of the middle eighth of the picture.
    std::array<double, 3> centreColour() {
        DrawViewerFrame();
        const std::vector<uint8_t> px = ReadPixelsTopDown(160, 120);
        std::array<double, 3> sum{};
        int n = 0;
        for (int y = 45; y < 75; ++y)
            for (int x = 60; x < 100; ++x, ++n)
                for (int c = 0; c < 3; ++c) sum[c] += px[(static_cast<size_t>(y) * 160 + x) * 4 + c];
        for (double& s : sum) s /= n;
        return sum;
    }
};

}  // namespace

TEST(ViewerCommandLine, reads_every_option_and_keeps_the_defaults) {
    const char* full[] = {"v",     "--size", "640x480", "m.bvh", "--frame", "2.5",
                          "--png", "o.png",  "--yaw",   "-10",   "--pitch", "5"};
    TViewerOptions o;
    std::string error;
    ASSERT_TRUE(ParseViewerCommandLine(12, full, o, error)) << error;
    EXPECT_EQ(o.File, "m.bvh");
    EXPECT_EQ(o.Png, "o.png");
    EXPECT_EQ(o.Width, 640);
    EXPECT_EQ(o.Height, 480);
    EXPECT_EQ(o.Frame, 2.5f);
    EXPECT_EQ(o.Yaw, -10.0f);
    EXPECT_EQ(o.Pitch, 5.0f);
    const char* bare[] = {"v", "m.3ds"};
    ASSERT_TRUE(ParseViewerCommandLine(2, bare, o, error));
    EXPECT_EQ(o.Png, "");
    EXPECT_EQ(o.Width, 1024);
    EXPECT_EQ(o.Height, 768);
    EXPECT_EQ(o.Frame, 1.0f);
}

TEST_F(ViewerScene, keys_step_play_and_pause_at_the_files_frame_rate) {
    open(kReal + "bvh/pybvh_test2_yxz.bvh");  // 61 frames at 120 a second
    ASSERT_EQ(ViewScene.NumFrames, 61);
    EXPECT_NEAR(ViewScene.FrameRate, 120.0f, 0.01);  // Frame Time: 0.008333
    press(VK_RIGHT, 0);
    press(VK_RIGHT, 0);
    EXPECT_EQ(ViewState.Frame, 3.0f);
    press(VK_LEFT, 0);
    EXPECT_EQ(ViewState.Frame, 2.0f);
    press(VK_SPACE, 10.0);
    ViewerKeyboard(10.25);  // a quarter of a second: 30 frames on
    EXPECT_NEAR(ViewState.Frame, 32.0f, 0.01);
    ViewerKeyboard(10.5);  // past the last frame playback starts again at the first
    EXPECT_NEAR(ViewState.Frame, 2.0f, 0.01);
    press(VK_SPACE, 10.5);
    ViewerKeyboard(20.0);
    EXPECT_NEAR(ViewState.Frame, 2.0f, 0.01);
    press(VK_HOME, 20.0);
    EXPECT_EQ(ViewState.Frame, 1.0f);
    EXPECT_EQ(ViewerCaption("dir/pybvh_test2_yxz.bvh").rfind("pybvh_test2_yxz.bvh - 0 triangles - ", 0), 0u);
    EXPECT_NE(ViewerCaption("x").find(" - frame 1 of 61"), std::string::npos);
    press('B', 0), press('W', 0), press('T', 0);
    EXPECT_TRUE(ViewState.ShowBones);
    EXPECT_TRUE(ViewState.Wireframe);
    EXPECT_FALSE(ViewState.ShowTextures);
}

TEST_F(ViewerScene, a_static_model_is_drawn_from_buffer_objects_made_before_the_first_frame) {
    open(kReal + "3ds/test1.3ds");
    ASSERT_TRUE(ViewScene.Buffers);
    const auto isBuffer = reinterpret_cast<GLboolean (*)(GLuint)>(wglGetProcAddress("glIsBuffer"));
    ASSERT_TRUE(isBuffer);
    size_t runs = 0;
    for (const TViewerMeshBuffers& m : ViewScene.Buffers->Meshes) {
        if (m.Runs.empty()) continue;
        EXPECT_TRUE(isBuffer(m.VertexBuffer));
        EXPECT_TRUE(isBuffer(m.IndexBuffer));
        runs += m.Runs.size();
    }
    EXPECT_GT(runs, 0u);
    EXPECT_EQ(ViewScene.Model->FDisplayList, 0);
    const auto before = centreColour();
    // Emptying the meshes changes nothing drawn: the frame draws what the buffers hold.
    for (TGL3dsMesh* m : ViewScene.Model->FMesh) m->FVertex.assign(m->FVertex.size(), T3dpoint{0, 0, 0});
    const auto after = centreColour();
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(before[c], after[c], 0.5);
}

// Flat shading from each triangle's last corner (a vertex of its own) must give the picture the
// library's own drawing with face normals gives. The library draws every face flat, so the files'
// smoothing groups are cleared: each face then has its face normal in the buffers too.
TEST_F(ViewerScene, buffer_drawing_matches_the_librarys_drawing_pixel_for_pixel) {
    for (const char* file :
         {"3ds/test1.3ds", "3ds/cube_lib3ds.3ds", "3ds/cubes_with_alpha.3ds", "3ds/indochine.3ds"}) {
        SCOPED_TRACE(file);
        open(kReal + file, [](TGLAll3dsMesh& model) {
            for (TGL3dsMesh* m : model.FMesh)
                std::fill(m->FSmoothingGroup.begin(), m->FSmoothingGroup.end(), 0u);
        });
        ASSERT_TRUE(ViewScene.Buffers);
        DrawViewerFrame();
        const std::vector<uint8_t> buffered = ReadPixelsTopDown(160, 120);
        const auto buffers = std::move(ViewScene.Buffers);
        DrawViewerFrame();
        const std::vector<uint8_t> library = ReadPixelsTopDown(160, 120);
        size_t differing = 0, model = 0;
        for (size_t i = 0; i < library.size(); ++i) differing += buffered[i] != library[i];
        for (size_t i = 0; i < library.size(); i += 4) model += library[i] != library[0];
        EXPECT_EQ(differing, 0u);
        EXPECT_GT(model, 500u) << "the model covers part of the picture";
    }
}

// What a mesh's buffers hold, read back from GL: per corner, its position and normal, and the
// number of vertices.
std::vector<std::array<T3dpoint, 2>> bufferCorners(const TViewerMeshBuffers& m, size_t& vertexCount) {
    const std::vector<uint8_t> vertices = BufferBytes(m.VertexBuffer), indices = BufferBytes(m.IndexBuffer);
    vertexCount = vertices.size() / 32;  // position, normal and mapping: 8 floats
    const size_t width = m.IndexType == GL_UNSIGNED_SHORT ? 2 : 4;
    std::vector<std::array<T3dpoint, 2>> out;
    for (size_t k = 0; k + width <= indices.size(); k += width) {
        uint32_t i = 0;
        std::memcpy(&i, &indices[k], width);
        std::array<T3dpoint, 2> corner{};
        if (i < vertexCount) std::memcpy(corner.data(), &vertices[size_t(i) * 32], sizeof corner);
        out.push_back(corner);
    }
    return out;
}

// Every corner of a 3DS mesh is drawn with the normal its smoothing groups give (the glTF export's
// SmoothingGroupNormals), flat faces (group 0) among smooth ones, each vertex once per normal.
TEST_F(ViewerScene, a_3ds_mesh_is_drawn_with_its_smoothing_group_normals) {
    open(kReal + "3ds/test1.3ds", [](TGLAll3dsMesh& model) {
        for (TGL3dsMesh* m : model.FMesh)
            for (size_t f = 0; f < m->FSmoothingGroup.size(); ++f)
                m->FSmoothingGroup[f] = f % 3 == 0 ? 0 : 1u << (f % 2);
    });
    ASSERT_TRUE(ViewScene.Buffers);
    size_t checked = 0;
    for (size_t i = 0; i < ViewScene.Model->FMesh.size(); ++i) {
        const TGL3dsMesh& mesh = *ViewScene.Model->FMesh[i];
        const TViewerMeshBuffers& drawn = ViewScene.Buffers->Meshes[i];
        if (drawn.Runs.empty()) continue;
        EXPECT_TRUE(drawn.Smooth);
        const std::vector<T3dpoint> expected = SmoothingGroupNormals(mesh);
        size_t vertexCount = 0;
        const auto corners = bufferCorners(drawn, vertexCount);
        ASSERT_EQ(corners.size(), size_t(mesh.FNumIndices));
        std::set<std::array<uint32_t, 4>> pairs;  // vertex and the normal's bits
        for (size_t k = 0; k < corners.size(); ++k, ++checked) {
            const T3dpoint &p = mesh.FVertex[mesh.FIndices[k]], &n = expected[k];
            EXPECT_EQ(std::memcmp(&corners[k][0], &p, sizeof p), 0) << "corner " << k;
            EXPECT_EQ(std::memcmp(&corners[k][1], &n, sizeof n), 0) << "corner " << k;
            std::array<uint32_t, 4> pair{mesh.FIndices[k]};
            std::memcpy(&pair[1], &n, sizeof n);
            pairs.insert(pair);
        }
        EXPECT_EQ(vertexCount, pairs.size()) << "one vertex per distinct (vertex, normal)";
    }
    EXPECT_GT(checked, 30u);
}

// cube_lib3ds.3ds names "cube.tga" for its textured material; the same name with the .bmp and
// .png extensions (the same length) is patched in for the other decoders.
TEST_F(ViewerScene, texture_maps_from_tga_bmp_and_png_files_show_and_t_turns_them_off) {
    std::ifstream in(kReal + "3ds/cube_lib3ds.3ds", std::ios::binary);
    std::vector<uint8_t> model((std::istreambuf_iterator<char>(in)), {});
    const std::string name = "cube.tga";
    const auto at = std::search(model.begin(), model.end(), name.begin(), name.end());
    ASSERT_NE(at, model.end());
    // A pure green 2 x 2 image in each format.
    const uint8_t tga[] = {0, 0,  2, 0, 0,   0, 0, 0,   0, 0, 0,   0, 2, 0,   2,
                           0, 24, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0};
    const uint8_t bmp[] = {'B', 'M', 70, 0, 0,   0, 0, 0, 0, 0,   54, 0, 0,   0, 40, 0, 0,  0,
                           2,   0,   0,  0, 2,   0, 0, 0, 1, 0,   24, 0, 0,   0, 0,  0, 16, 0,
                           0,   0,   0,  0, 0,   0, 0, 0, 0, 0,   0,  0, 0,   0, 0,  0, 0,  0,
                           0,   255, 0,  0, 255, 0, 0, 0, 0, 255, 0,  0, 255, 0, 0,  0};
    for (const std::string ext : {"tga", "bmp", "png"}) {
        SCOPED_TRACE(ext);
        std::copy(ext.begin(), ext.end(), at + 5);
        const std::string file = dir.write("cube_" + ext + ".3ds", model);
        if (ext == "tga") dir.write("cube.tga", std::vector<uint8_t>(std::begin(tga), std::end(tga)));
        if (ext == "bmp") dir.write("cube.bmp", std::vector<uint8_t>(std::begin(bmp), std::end(bmp)));
        const uint8_t green[12] = {0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0};
        if (ext == "png") {
            ASSERT_TRUE(stbi_write_png(dir.file("cube.png").c_str(), 2, 2, 3, green, 6));
        }
        open(file);
        const auto textured = centreColour();
        EXPECT_GT(textured[1], textured[0] + 40) << "no green texture";
        ViewState.ShowTextures = false;
        const auto plain = centreColour();
        EXPECT_GT(plain[0], textured[0] + 40) << "T left the texture on";  // grey again
    }
}

// A 3DS file whose keyframer moves a box: its segment plays at 30 frames a second, the caption
// names the file's frame and the picture changes; a still keyframer with instances places some
// meshes more than once, each drawn from the buffer objects made once for its mesh.
TEST_F(ViewerScene, a_3ds_keyframer_plays_its_segment_and_places_every_instance) {
    open(kReal + "3ds/CameraRollAnimWithChildObject.3ds");  // Box02 moves over frames 0..120
    ASSERT_TRUE(ViewerKeyframed());
    EXPECT_EQ(ViewScene.NumFrames, 301);
    EXPECT_EQ(ViewScene.FrameRate, 30.0f);
    DrawViewerFrame();
    const std::vector<uint8_t> first = ReadPixelsTopDown(160, 120);
    SetViewerFrame(121);
    EXPECT_NE(ViewerCaption("x").find(" - frame 120 of 0..300"), std::string::npos) << ViewerCaption("x");
    DrawViewerFrame();
    const std::vector<uint8_t> later = ReadPixelsTopDown(160, 120);
    size_t changed = 0;
    for (size_t i = 0; i < first.size(); i += 4) changed += first[i] != later[i];
    EXPECT_GT(changed, 50u);
    open(kReal + "3ds/indochine.3ds");
    ASSERT_TRUE(ViewerKeyframed());
    EXPECT_LE(ViewScene.NumFrames, 1);
    std::set<int32_t> meshes;
    for (const TKfPlacement& p : ViewScene.Placements) meshes.insert(p.Mesh);
    EXPECT_LT(meshes.size(), ViewScene.Placements.size());
    ASSERT_TRUE(ViewScene.Buffers);
    for (const TKfPlacement& p : ViewScene.Placements) {
        if (ViewScene.Model->FMesh[size_t(p.Mesh)]->FNumIndices > 0) {
            EXPECT_FALSE(ViewScene.Buffers->Meshes[size_t(p.Mesh)].Runs.empty()) << p.Mesh;
        }
    }
}
