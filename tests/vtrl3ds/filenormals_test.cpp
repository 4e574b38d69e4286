// Normals of the formats that carry their own: one triangle's winding and face normal for each
// kind of normal list a file may hold, real MilkShape files, and a closed box written in all three
// formats rendered under one light with the front end's culling (GL readback).
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>

#include "box_files.h"
#include "build_model.h"
#include "support/gl_test.h"
#include "support/temp_dir.h"
#include "vtrl3ds/stream.h"
#include "vtrl3ds/vector.h"

namespace {

float dot(const T3dpoint& a, const T3dpoint& b) {
    return a.X * b.X + a.Y * b.Y + a.Z * b.Z;
}

void loadText(TGLAll3dsMesh& model, const std::string& text) {
    TMemoryStream stream(text.data(), text.size());
    model.LoadMSAFromStream(stream);
}

// One triangle (0,0,0), (1,0,0), (0,1,0), counter-clockwise seen from +Z, with the given normal
// list and the corners' normal indices.
std::string triangleText(const std::string& normals, const std::string& normalIndices) {
    return "Meshes: 1\n\"M\" 0 -1\n3\n0 0 0 0 0 0 -1\n0 1 0 0 0 0 -1\n0 0 1 0 0 0 -1\n" + normals +
           "1\n0 0 1 2 " + normalIndices + " 1\n\n";
}

TEST(FileNormals, winding_and_face_normal_follow_the_files_own_normals_where_usable) {
    const T3dpoint tilted = Normalize({0, 1.2f, 2.6f});  // two corners (0, .6, .8), one computed (0, 0, 1)
    const struct {
        const char* name;
        std::string normals, indices;
        std::vector<uint16_t> corners;
        T3dpoint face;
    } cases[] = {
        {"outward normals", "1\n0 0 1\n", "0 0 0", {0, 2, 1}, {0, 0, 1}},
        {"zero normals: counter-clockwise taken", "1\n0 0 0\n", "0 0 0", {0, 2, 1}, {0, 0, 1}},
        {"normals saying clockwise", "1\n0 0 -1\n", "0 0 0", {0, 1, 2}, {0, 0, -1}},
        {"a normal behind its face", "2\n0 .6 .8\n0 0 -1\n", "0 0 1", {0, 2, 1}, tilted},
        {"a normal index beyond the list", "1\n0 .6 .8\n", "0 0 7", {0, 2, 1}, tilted},
    };
    for (const auto& c : cases) {
        TGLAll3dsMesh model;
        loadText(model, triangleText(c.normals, c.indices));
        const TGL3dsMesh& m = *model.FMesh[0];
        EXPECT_EQ(m.FIndices, c.corners) << c.name;
        ASSERT_EQ(m.FaceNormal.size(), 1u) << c.name;
        EXPECT_NEAR(dot(m.FaceNormal[0], c.face), 1, 1e-6) << c.name;
        for (const T3dpoint& n : m.FVNormal) EXPECT_GT(dot(n, n), 0.5f) << c.name << ": unusable normal kept";
    }
    // The index beyond the list is kept as the file has it; nothing reads it.
    TGLAll3dsMesh model;
    loadText(model, triangleText("1\n0 .6 .8\n", "0 0 7"));
    EXPECT_EQ(model.FMesh[0]->FNormalIndices, (std::vector<uint16_t>{0, 7, 0}));
}

// A mesh whose corners all name a vertex and a normal of the file is taken four faces at a time;
// one more face whose normals lie beyond the list (a point: it votes for no winding and changes
// no normal) sends it face by face. Both must agree bit for bit, on usable normals, on zero, tiny,
// huge and backward ones (which later faces then see replaced), and whichever winding wins.
TEST(FileNormals, four_faces_at_a_time_and_face_by_face_agree_bit_for_bit) {
    const char* usable[] = {"0 0 1", "0.6 0.8 0", "-0.3 0.2 0.9", "0 -1 0"};
    const char* awkward[] = {"0 0 0", "1e-7 0 0", "3e38 3e38 0", "0 0 -1", "-0 0.5 0.5", "0 0 1"};
    const struct {
        const char* name;
        const char* const* normals;
        size_t count;
    } rows[] = {{"usable normals", usable, 4}, {"awkward normals", awkward, 6}};
    for (const auto& row : rows) {
        uint32_t seed = 3;
        const auto next = [&seed](uint32_t n) { return ((seed = seed * 1664525u + 1013904223u) >> 8) % n; };
        std::string text = "Meshes: 1\n\"M\" 0 -1\n24\n";
        for (int v = 0; v < 24; ++v)
            text += "0 " + std::to_string(next(9)) + " " + std::to_string(next(7)) + " " +
                    std::to_string(next(5)) + " 0 0 -1\n";
        text += std::to_string(row.count) + "\n";
        for (size_t n = 0; n < row.count; ++n) text += std::string(row.normals[n]) + "\n";
        std::string faces;
        for (int f = 0; f < 23; ++f) {
            faces += "0";
            for (int c = 0; c < 3; ++c) faces += " " + std::to_string(next(24));
            for (int c = 0; c < 3; ++c) faces += " " + std::to_string(next(static_cast<uint32_t>(row.count)));
            faces += " 1\n";
        }
        TGLAll3dsMesh laned, single;
        loadText(laned, text + "23\n" + faces);
        loadText(single, text + "24\n" + faces + "0 0 0 0 9 9 9 1\n");
        const TGL3dsMesh &a = *laned.FMesh[0], &b = *single.FMesh[0];
        SCOPED_TRACE(row.name);
        EXPECT_TRUE(std::equal(a.FIndices.begin(), a.FIndices.end(), b.FIndices.begin()));
        EXPECT_EQ(
            std::memcmp(a.FaceNormal.data(), b.FaceNormal.data(), a.FaceNormal.size() * sizeof(T3dpoint)), 0);
        ASSERT_EQ(a.FVNormal.size(), b.FVNormal.size());
        EXPECT_EQ(std::memcmp(a.FVNormal.data(), b.FVNormal.data(), a.FVNormal.size() * sizeof(T3dpoint)), 0);
    }
}

// Real files, read without their skeletons so that positions stay as the file has them: every face
// normal is a unit vector on the side from which its corners run clockwise, and that is the side
// the file's own normals point to on nearly every face.
TEST(FileNormals, real_milkshape_files_face_where_their_own_normals_point) {
    const std::string repo = std::string(VTRL_TESTDATA_DIR) + "/real/ms3d_ascii/";
    const std::string shared = std::string(VTRL_SOURCE_DIR) + "/../shared/testdata/real/ms3d_ascii/";
    const struct {
        std::string path;
        size_t faces, agreeing;
    } files[] = {{repo + "orbital_note.txt", 128, 128},
                 {shared + "gasstation1.txt", 168, 168},
                 {shared + "male1_soldier.txt", 620, 620},
                 {shared + "seagull.txt", 169, 163}};
    for (const auto& f : files) {
        if (!std::filesystem::exists(f.path)) continue;  // the shared copies are not part of the tree
        TGLAll3dsMesh model;
        TFileStream stream(f.path);
        model.LoadMSAFromStream(stream);
        size_t faces = 0, agreeing = 0;
        for (const TGL3dsMesh* m : model.FMesh)
            for (size_t k = 0; k + 2 < m->FIndices.size(); k += 3) {
                const T3dpoint w =
                    CalcNormalVector(m->FVertex[m->FIndices[k]], m->FVertex[m->FIndices[k + 1]],
                                     m->FVertex[m->FIndices[k + 2]]);
                if (dot(w, w) == 0) continue;
                ++faces;
                const T3dpoint& n = m->FaceNormal[k / 3];
                EXPECT_GT(dot(n, w), 0) << f.path;
                EXPECT_NEAR(dot(n, n), 1, 1e-5) << f.path;
                T3dpoint own{0, 0, 0};
                for (size_t c = 0; c < 3; ++c) {
                    const T3dpoint& o = m->FVNormal[m->FNormalIndices[k + c]];
                    own = {own.X + o.X, own.Y + o.Y, own.Z + o.Z};
                }
                agreeing += dot(own, w) > 0;
            }
        EXPECT_EQ(faces, f.faces) << f.path;
        EXPECT_EQ(agreeing, f.agreeing) << f.path;
    }
}

// The box through the front end, seen along -Z with a directional light: the front side's mean
// grey is what its outward normal gives (half the white diffuse times the cosine, no ambient).
class BoxNormalsGL : public GLTest<200, 200> {
  protected:
    TempDir dir;

    double frontGrey(const std::string& path, const char* picture) {
        TGL3dsModel front;
        front.LoadModel3DS(1.0f, path);
        EXPECT_NE(front.Scene, nullptr);
        startBoxView();
        const GLfloat light[4] = {0.48f, 0.6f, 0.64f, 0}, white[4] = {1, 1, 1, 1}, none[4] = {0, 0, 0, 1};
        glLightfv(GL_LIGHT0, GL_POSITION, light);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
        glLightfv(GL_LIGHT0, GL_AMBIENT, none);
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glEnable(GL_COLOR_MATERIAL);
        glEnable(GL_DEPTH_TEST);
        front.PutModel3DS();
        const std::vector<uint8_t> pixels = ReadPixelsTopDown(gl.width, gl.height);
        WritePPM((std::string(VTRL_BINARY_DIR) + "/" + picture).c_str(), pixels, gl.width, gl.height);
        double sum = 0;
        size_t n = 0;
        for (int y = 60; y < 140; ++y)  // inside the front side, which covers 50..150
            for (int x = 60; x < 140; ++x, ++n) sum += pixels[4 * (static_cast<size_t>(y) * 200 + x)];
        delete front.Scene;
        return sum / static_cast<double>(n);
    }
};

TEST_F(BoxNormalsGL, box_in_every_format_is_lit_from_outside_alike) {
    const double expected = 255 * 0.5 * 0.64;
    EXPECT_NEAR(frontGrey(dir.write("box.3ds", box3ds()), "box_3ds.ppm"), expected, 2);
    const std::string text = boxMilkShape();
    EXPECT_NEAR(frontGrey(dir.write("box.txt", {text.begin(), text.end()}), "box_txt.ppm"), expected, 2);
    EXPECT_NEAR(frontGrey(dir.write("box.bin", boxBin()), "box_bin.ppm"), expected, 2);
}

}  // namespace
