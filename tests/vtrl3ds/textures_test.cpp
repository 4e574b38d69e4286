// Texture maps: the lookup of a stored map name beside the model file, and a 3DS box drawn with
// its map through the toolkit's TGA loader installed as the host's loader (GL readback), or
// untextured with one warning when the map is missing.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "box_files.h"
#include "build_model.h"
#include "support/gl_test.h"
#include "support/temp_dir.h"
#include "vitrail/tga.h"

namespace {

namespace fs = std::filesystem;

TEST(TextureLookup, stored_path_then_bare_name_beside_the_model_ignoring_case) {
    TempDir dir;
    fs::create_directories(dir.path / "Maps");
    for (const char* f : {"checker.tga", "Maps/Wood.BMP", "gull.bmp"}) std::ofstream(dir.path / f) << "x";
    const std::string model = dir.file("box.3ds");
    const struct {
        const char* stored;
        std::string found;
    } cases[] = {
        {"CHECKER.TGA", dir.file("checker.tga")},
        {".\\gull.bmp", dir.file("gull.bmp")},
        {"maps\\wood.bmp", dir.file("Maps/Wood.BMP")},
        {"C:\\art\\Checker.Tga", dir.file("checker.tga")},  // the path leads nowhere: the bare name
        {"maps\\gull.bmp", dir.file("gull.bmp")},
        {"textures\\missing.tga", ""},
        {"maps", ""},  // a folder is no map
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ResolveTextureFile(model, c.stored), c.found) << c.stored;
}

// Materials naming maps that give no texture: one warning per map (names compared ignoring case),
// each tried once, then one summary line when materials outnumber the warnings.
TEST(TextureLookup, each_failing_map_is_tried_and_warned_about_once_with_a_summary) {
    TempDir dir;
    std::ofstream(dir.path / "wood.tga") << "x";
    TGLAll3dsMesh model;
    model.FName = dir.file("room.3ds");
    for (const char* map : {"WOOD.TGA", "wood.tga", "missing.tga", "Missing.TGA", "wood.tga"}) {
        TGL3dsMaterial* m = addMaterial(model, map);
        m->FFileName = map;
        m->FHasTextureMap = true;
    }
    int calls = 0;
    testing::internal::CaptureStderr();
    EXPECT_EQ(model.LoadTextures([&calls](const std::string&) { return ++calls, 0u; }), 0);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 3) << err;
    EXPECT_NE(err.find("'WOOD.TGA' of model '" + model.FName + "' could not be loaded from"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("'missing.tga' of model '" + model.FName + "' names no file"), std::string::npos)
        << err;
    EXPECT_NE(err.find("vtrl3ds: model '" + model.FName +
                       "': 2 texture maps could not be loaded; 5 materials are drawn untextured\n"),
              std::string::npos)
        << err;
}

// A 16 by 16 uncompressed TGA: two by two cells of red and blue.
std::vector<uint8_t> checkerTga() {
    std::vector<uint8_t> t = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16, 0, 16, 0, 24, 0};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool red = (x < 8) == (y < 8);
            t.insert(t.end(), {static_cast<uint8_t>(red ? 0 : 255), 0, static_cast<uint8_t>(red ? 255 : 0)});
        }
    return t;
}

class TextureMapsGL : public GLTest<200, 200> {
  protected:
    TempDir dir;

    // Loads the box naming `map` with the toolkit's TGA loader; returns what LoadTextures said.
    int32_t load(TGL3dsModel& front, const std::string& map) {
        front.LoadModel3DS(1.0f, dir.write("box.3ds", box3ds(map)));
        return front.Scene->LoadTextures([](const std::string& path) {
            GLName name = 0;
            TextureLoadTGAID(path.c_str(), name);
            return name;
        });
    }

    // The box's front side drawn unlit, seen along -Z; the picture's RGBA rows.
    std::vector<uint8_t> draw(TGL3dsModel& front, const char* picture) {
        startBoxView();
        front.PutModel3DS();
        std::vector<uint8_t> pixels = ReadPixelsTopDown(gl.width, gl.height);
        WritePPM((std::string(VTRL_BINARY_DIR) + "/" + picture).c_str(), pixels, gl.width, gl.height);
        return pixels;
    }
};

const uint8_t* at(const std::vector<uint8_t>& p, int x, int y) {
    return &p[4 * (static_cast<size_t>(y) * 200 + static_cast<size_t>(x))];
}

TEST_F(TextureMapsGL, box_naming_its_map_in_capitals_shows_the_checker) {
    dir.write("checker.tga", checkerTga());
    TGL3dsModel front;
    ASSERT_EQ(load(front, "CHECKER.TGA"), 1);
    const GLint texture = front.Scene->FMaterial[0]->FTexId;
    EXPECT_TRUE(glIsTexture(static_cast<GLuint>(texture)));
    const std::vector<uint8_t> p = draw(front, "box_checker.ppm");
    EXPECT_EQ(GLInteger(GL_TEXTURE_BINDING_2D), texture);
    // Quadrant centres of the front side (which covers 50..150): half-bright red and blue, the
    // diagonal ones alike.
    const uint8_t *a = at(p, 75, 75), *b = at(p, 125, 75), *c = at(p, 75, 125), *d = at(p, 125, 125);
    for (const uint8_t* q : {a, b, c, d}) EXPECT_NEAR(std::max(q[0], q[2]), 127, 3);
    EXPECT_EQ(a[0] > a[2], d[0] > d[2]);
    EXPECT_EQ(b[0] > b[2], c[0] > c[2]);
    EXPECT_NE(a[0] > a[2], b[0] > b[2]);
    delete front.Scene;
}

TEST_F(TextureMapsGL, missing_map_draws_untextured_with_one_warning) {
    TGL3dsModel front;
    testing::internal::CaptureStderr();
    EXPECT_EQ(load(front, "CHECKER.TGA"), 0);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("'CHECKER.TGA'"), std::string::npos) << err;
    EXPECT_NE(err.find(dir.file("box.3ds")), std::string::npos) << err;
    EXPECT_EQ(front.Scene->FMaterial[0]->FTexId, 0);
    // A texture left bound by the host does not show on the material.
    GLuint stray = 0;
    TextureLoadTGAID(dir.write("stray.tga", checkerTga()).c_str(), stray);
    const std::vector<uint8_t> p = draw(front, "box_missing_map.ppm");
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    for (int x : {75, 125})
        for (int y : {75, 125}) {
            const uint8_t* q = at(p, x, y);
            EXPECT_NEAR(q[0], 127, 2);
            EXPECT_NEAR(q[1], 127, 2);
            EXPECT_NEAR(q[2], 127, 2);
        }
    glDeleteTextures(1, &stray);
    // A file the loader refuses is named in the warning as well.
    const std::string map = dir.write("checker.tga", checkerTga());
    testing::internal::CaptureStderr();
    EXPECT_EQ(front.Scene->LoadTextures([](const std::string&) { return 0u; }), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("could not be loaded from '" + map + "'"),
              std::string::npos);
    // So is one the loader throws on, with the loader's reason; the model is not failed.
    testing::internal::CaptureStderr();
    EXPECT_EQ(front.Scene->LoadTextures(
                  [](const std::string&) -> uint32_t { throw std::runtime_error("bad header"); }),
              0);
    EXPECT_NE(
        testing::internal::GetCapturedStderr().find("could not be loaded from '" + map + "': bad header"),
        std::string::npos);
    delete front.Scene;
}

}  // namespace
