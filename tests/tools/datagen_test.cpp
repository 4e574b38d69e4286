// The generator's files as the demo meets them: the same eight files on every run, the sky
// texture through the TGA loader, the faces through the cube-map loader (placed crosswise, texel
// for texel), and the crystal through the model library with its materials, groups and pivots.
#include "tools/datagen/datagen.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include <unistd.h>

#include "support/gl_context.h"
#include "tools/datagen/cubefaces.h"
#include "tools/datagen/skyatlas.h"
#include "vitrail/cubemap.h"
#include "vitrail/platform/platform_test.h"
#include "vitrail/tga.h"
#include "vtrl3ds/model.h"

namespace fs = std::filesystem;
using datagen::cubeFaceSize;
using datagen::Environment;

namespace {

// The folder the build wrote the files into, where the demo runs.
fs::path dataDir() {
    return fs::path(VTRL_BINARY_DIR) / "data";
}
std::string dataFile(const char* name) {
    return (dataDir() / name).string();
}

std::vector<uint8_t> readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes(fs::exists(path) ? fs::file_size(path) : 0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

const Environment& environment() {
    static const Environment env;
    return env;
}

struct FreeImage {
    void operator()(uint8_t* p) const { std::free(p); }
};

}  // namespace

TEST(DemoData, every_run_writes_the_same_eight_files_the_build_left_for_the_demo) {
    const fs::path fresh = fs::path(testing::TempDir()) / ("datagen-fresh-" + std::to_string(getpid()));
    fs::remove_all(fresh);
    const std::vector<fs::path> written = datagen::WriteDemoData(fresh);
    std::vector<std::string> names;
    for (const fs::path& p : written) names.push_back(p.filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"sky_rocksday6.tga", "positive_x.bmp", "negative_x.bmp",
                                               "positive_y.bmp", "negative_y.bmp", "positive_z.bmp",
                                               "negative_z.bmp", "cristallo1.3ds"}));
    for (const fs::path& p : written) {
        const std::vector<uint8_t> now = readBytes(p);
        EXPECT_GT(now.size(), 1000u) << p;
        EXPECT_TRUE(now == readBytes(dataDir() / p.filename()))
            << p.filename() << " differs from the build's copy";
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(fresh), fs::directory_iterator()), 8)
        << "no temporary files left";
    fs::remove_all(fresh);
}

TEST(DemoData, unwritable_folder_is_reported_with_its_name) {
    const fs::path blocker = fs::path(testing::TempDir()) / ("datagen-blocker-" + std::to_string(getpid()));
    std::ofstream(blocker) << "a file, not a folder";
    try {
        datagen::WriteDemoData(blocker / "data");
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find(blocker.filename().string() + "/data"), std::string::npos)
            << e.what();
    }
    fs::remove(blocker);
}

TEST(DemoData, sky_texture_decodes_through_LoadTGA_into_the_rendered_atlas) {
    UseHeadlessPlatform();
    TGATexture texture{};
    ASSERT_TRUE(LoadTGA(texture, dataFile(datagen::skyBoxFile).c_str()));
    const std::unique_ptr<uint8_t, FreeImage> owned(texture.ImageData);
    EXPECT_EQ(texture.Width, 2048u);
    EXPECT_EQ(texture.Height, 1024u);
    EXPECT_EQ(texture.Bpp, 24u);
    EXPECT_EQ(texture.Typ, static_cast<uint32_t>(GL_RGB));
    EXPECT_TRUE(PlatformTestShownMessageBoxes().empty());
    const datagen::Image atlas = datagen::RenderSkyAtlas(environment(), 2048, 1024);
    EXPECT_EQ(std::memcmp(texture.ImageData, atlas.rgb.data(), atlas.rgb.size()), 0);
    PlatformTestReset();
}

TEST(DemoData, cube_faces_load_crosswise_into_a_complete_cube_map_texel_for_texel) {
    GLTestContext gl(16, 16);
    ASSERT_TRUE(gl.ok());
    std::string files[6];
    for (size_t i = 0; i < 6; ++i) {
        files[i] = dataFile(datagen::cubeFaceFiles[i].name);
        EXPECT_EQ(GetBMPDepth(files[i].c_str()), 24) << files[i];
    }
    TGLCubeMap cube{};
    GenCubeMapTex(files[0].c_str(), files[1].c_str(), files[2].c_str(), files[3].c_str(), files[4].c_str(),
                  files[5].c_str(), cube);
    ASSERT_NE(cube.Tex[0], 0u);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int face = 0; face < 6; ++face) {
        const GLenum target = GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(face);
        GLint size = 0;
        glGetTexLevelParameteriv(target, 0, GL_TEXTURE_WIDTH, &size);
        ASSERT_EQ(size, cubeFaceSize) << "face " << face;
        std::vector<uint8_t> texels(static_cast<size_t>(size) * static_cast<size_t>(size) * 3);
        glGetTexImage(target, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
        const datagen::Image want =
            RenderCubeFace(environment(), static_cast<datagen::CubeFace>(face), cubeFaceSize);
        EXPECT_TRUE(texels == want.rgb) << "face " << face << " holds another picture";
    }
}

TEST(DemoData, crystal_loads_with_its_materials_groups_mapping_and_pivots) {
    TGL3dsModel model;
    model.LoadModel3DS(0.1f, dataFile(datagen::modelFile));
    const std::unique_ptr<TGLAll3dsMesh> scene(model.Scene);
    ASSERT_NE(model.Scene, nullptr);
    const TGLAll3dsMesh& s = *model.Scene;
    ASSERT_EQ(s.FNumMeshes, 2);
    ASSERT_EQ(s.FNumMaterials, 3);
    EXPECT_EQ(s.FVersion, 3);
    EXPECT_EQ(s.FMaterial[0]->FName, "Roccia");
    EXPECT_FLOAT_EQ(s.FMaterial[0]->FTransparency, 1.0f);
    EXPECT_FLOAT_EQ(s.FMaterial[1]->FTransparency, 0.55f);
    EXPECT_FLOAT_EQ(s.FMaterial[2]->FTransparency, 0.70f);
    EXPECT_FLOAT_EQ(s.FMaterial[1]->FDifB, 1.0f);
    EXPECT_EQ(s.FRenderOrder, (std::vector<int32_t>{0, 1}));  // see-through crystals drawn last
    int32_t faces = 0;
    for (const TGL3dsMesh* m : s.FMesh) {
        faces += m->FNumIndices / 3;
        EXPECT_EQ(m->FMatID.size(), static_cast<size_t>(m->FNumIndices / 3)) << m->FName;
        EXPECT_EQ(m->FSmoothingGroup.size(), static_cast<size_t>(m->FNumIndices / 3)) << m->FName;
        EXPECT_EQ(m->FMapping.size(), static_cast<size_t>(m->FNumVertex)) << m->FName;
        EXPECT_FLOAT_EQ(m->FPivot.X, 0.0f);
        EXPECT_FLOAT_EQ(m->FPivot.Y, 25.0f);
        EXPECT_FLOAT_EQ(m->FPivot.Z, 25.0f);
    }
    EXPECT_EQ(s.FMesh[0]->FName, "Roccia");
    EXPECT_EQ(s.FMesh[1]->FName, "Cristalli");
    EXPECT_EQ(s.FMesh[0]->FMatName, (std::vector<std::string>{"Roccia"}));
    EXPECT_EQ(s.FMesh[1]->FMatName, (std::vector<std::string>{"Quarzo", "Ametista"}));
    EXPECT_GT(faces, 2000);
    EXPECT_LT(faces, 6000);
}

// At the demo's scale the cluster stands upright round the origin, about as large as the
// sphere of radius 8, and every face of the rock looks away from the rock's middle.
TEST(DemoData, crystal_is_centred_upright_and_sphere_sized_at_scale_one_tenth) {
    TGL3dsModel model;
    model.LoadModel3DS(0.1f, dataFile(datagen::modelFile));
    const std::unique_ptr<TGLAll3dsMesh> scene(model.Scene);
    ASSERT_NE(model.Scene, nullptr);
    const TGLAll3dsMesh& s = *model.Scene;
    const T3dpoint lo = s.FMinimum, hi = s.FMaximum;
    for (float c : {lo.X + hi.X, lo.Y + hi.Y, lo.Z + hi.Z}) EXPECT_NEAR(c / 2, 0.0f, 0.5f);
    EXPECT_GT(hi.Y - lo.Y, 12.0f);
    EXPECT_LT(hi.Y - lo.Y, 18.0f);
    EXPECT_GT(hi.X - lo.X, 11.0f);
    EXPECT_LT(hi.X - lo.X, 19.0f);
    const TGL3dsMesh& rock = *s.FMesh[0];
    T3dpoint mid{};
    for (const T3dpoint& v : rock.FVertex)
        mid = {mid.X + v.X / rock.FNumVertex, mid.Y + v.Y / rock.FNumVertex, mid.Z + v.Z / rock.FNumVertex};
    EXPECT_LT(mid.Y, lo.Y + 0.4f * (hi.Y - lo.Y)) << "the rock sits low, the crystals rise above it";
    for (int32_t f = 0; f < rock.FNumIndices / 3; ++f) {
        const T3dpoint& a = rock.FVertex[rock.FIndices[3 * f]];
        const T3dpoint& n = rock.FaceNormal[f];
        EXPECT_GT(n.X * (a.X - mid.X) + n.Y * (a.Y - mid.Y) + n.Z * (a.Z - mid.Z), 0.0f) << "rock face " << f;
    }
}
