// vtrl3ds-view run as users run it, without a display: headless pictures of every real model and
// motion file (right size, not flat, the model in the middle, animated files moving between two
// frames), and the one-line failures and exit codes for files that do not load and wrong command
// lines.
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <array>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_tool.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

struct Picture {
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;
};

// The viewer's clear colour (0.17, 0.19, 0.23).
bool background(const uint8_t* p) {
    return std::abs(p[0] - 43) <= 6 && std::abs(p[1] - 48) <= 6 && std::abs(p[2] - 59) <= 6;
}

// Where the model's pixels lie: their count, the mean position and the box, in pixels.
struct Coverage {
    size_t pixels = 0;
    double cx = 0, cy = 0;
    int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
};

Coverage coverage(const Picture& pic) {
    Coverage c;
    for (int y = 0; y < pic.h; ++y)
        for (int x = 0; x < pic.w; ++x) {
            if (background(&pic.rgb[(static_cast<size_t>(y) * pic.w + x) * 3])) continue;
            ++c.pixels, c.cx += x, c.cy += y;
            c.x0 = std::min(c.x0, x), c.x1 = std::max(c.x1, x), c.y0 = std::min(c.y0, y),
            c.y1 = std::max(c.y1, y);
        }
    if (c.pixels) c.cx /= double(c.pixels), c.cy /= double(c.pixels);
    return c;
}

double meanDifference(const Picture& a, const Picture& b) {
    double sum = 0;
    for (size_t i = 0; i < a.rgb.size() && i < b.rgb.size(); ++i) sum += std::abs(a.rgb[i] - b.rgb[i]);
    return sum / double(std::max<size_t>(a.rgb.size(), 1));
}

class Viewer : public ::testing::Test {
  protected:
    TempDir dir;

    // Runs the viewer with no display at all, so that a window it tried to open would fail. In a
    // sanitizer build its leak check is off: SDL unloads the GL driver before the process ends, so
    // the driver's own leftovers can no longer be told apart from ours (the unit tests, which keep
    // the driver loaded, check the libraries for leaks).
    ToolRun run(const std::string& args) {
        return RunTool(dir,
                       "env -u DISPLAY -u SDL_VIDEODRIVER ASAN_OPTIONS=\"$ASAN_OPTIONS:detect_leaks=0\" '" +
                           ToolPath("vtrl3ds-view") + "' " + args);
    }
    Picture picture(const std::string& file, const std::string& options, const std::string& name) {
        const std::string out = dir.file(name);
        const ToolRun r = run("'" + file + "' --png '" + out + "' " + options);
        EXPECT_EQ(r.status, 0) << file << ": " << r.err;
        Picture pic;
        int n = 0;
        if (stbi_uc* px = stbi_load(out.c_str(), &pic.w, &pic.h, &n, 3)) {
            pic.rgb.assign(px, px + static_cast<size_t>(pic.w) * pic.h * 3);
            stbi_image_free(px);
        }
        return pic;
    }
};

// The real files: the shared collection beside the repository when it is there, else the copies
// kept in the tree.
std::vector<std::string> realFiles() {
    fs::path root = VTRL_REAL_FILES_DIR;
    if (!fs::is_directory(root)) root = fs::path(VTRL_TESTDATA_DIR) / "real";
    std::vector<std::string> files;
    for (const char* kind : {"3ds", "ms3d_ascii", "bvh"})
        for (const auto& e : fs::directory_iterator(root / kind))
            if (e.is_regular_file()) files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

// Files that load but hold nothing to draw: a MilkShape file with only a material section, and
// one whose every vertex lies at the origin.
bool holdsNoGeometry(const std::string& file) {
    const fs::path name = fs::path(file).filename();
    return name == "orbital_grey_materials_only.txt" || name == "flare.txt";
}

}  // namespace

TEST_F(Viewer, draws_every_real_file_centred_and_animated_files_move) {
    for (const std::string& file : realFiles()) {
        SCOPED_TRACE(file);
        const std::string ext = fs::path(file).extension().string();
        const Picture first = picture(file, "--size 320x240", "first.png");
        ASSERT_EQ(first.w, 320);
        ASSERT_EQ(first.h, 240);
        const Coverage c = coverage(first);
        if (holdsNoGeometry(file)) {
            EXPECT_EQ(c.pixels, 0u);
            continue;
        }
        EXPECT_GT(c.pixels, 200u) << "flat picture";
        EXPECT_NEAR(c.cx, 160, 320 * 0.2);
        EXPECT_NEAR(c.cy, 120, 240 * 0.2);
        // Framed to about two thirds of the view: neither a speck nor spilling over every edge.
        // A motion is framed over all its frames, so a walk leaves its figure small.
        EXPECT_GT(std::max(c.x1 - c.x0, c.y1 - c.y0), ext == ".bvh" ? 240 / 8 : 240 / 3);
        EXPECT_FALSE(c.x0 == 0 && c.x1 == 319 && c.y0 == 0 && c.y1 == 239);
        // The animated ones (male1_soldier.txt is skinned but has no keys).
        if (ext == ".bvh" || fs::path(file).filename() == "seagull.txt") {
            const Picture later = picture(file, "--size 320x240 --frame 20", "later.png");
            EXPECT_GT(meanDifference(first, later), 0.05) << "frames 1 and 20 look the same";
        }
    }
}

TEST_F(Viewer, size_and_view_options_change_the_picture) {
    const std::string file = std::string(VTRL_TESTDATA_DIR) + "/real/3ds/test1.3ds";
    const Picture front = picture(file, "--size 200x100", "front.png");
    const Picture turned = picture(file, "--size 200x100 --yaw 90 --pitch 30", "turned.png");
    EXPECT_EQ(front.w, 200);
    EXPECT_EQ(front.h, 100);
    EXPECT_GT(meanDifference(front, turned), 1.0);
}

TEST_F(Viewer, a_file_without_geometry_says_so_and_still_writes_its_picture) {
    const std::string file =
        std::string(VTRL_TESTDATA_DIR) + "/real/ms3d_ascii/orbital_grey_materials_only.txt";
    const ToolRun r = run("'" + file + "' --png '" + dir.file("empty.png") + "'");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err.rfind("vtrl3ds-view: " + file + ": no geometry to show\n", 0), 0u) << r.err;
    EXPECT_TRUE(fs::exists(dir.file("empty.png")));
}

TEST_F(Viewer, files_that_fail_print_one_line_naming_the_file_and_exit_1) {
    std::vector<std::string> files = {dir.file("missing.3ds"), dir.file("notes.obj"),
                                      std::string(VTRL_TESTDATA_DIR) + "/real/3ds/malformed/empty.3ds"};
    std::string garbage;
    for (uint32_t i = 0, x = 12345; i < 600; ++i)
        garbage += static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
    for (const char* ext : {".3ds", ".txt", ".bin", ".bvh"}) {
        files.push_back(dir.file(std::string("garbage") + ext));
        std::ofstream(files.back(), std::ios::binary) << garbage;
    }
    // Nothing recognised: an empty motion, and a PNG picture renamed as a model.
    files.push_back(dir.file("empty.bvh"));
    std::ofstream{files.back()};
    files.push_back(dir.file("picture.3ds"));
    std::ofstream(files.back(), std::ios::binary) << "\x89PNG\r\n\x1a\n" << garbage;
    // A motion with more lines than the frames it declares.
    files.push_back(dir.file("extra.bvh"));
    std::ofstream(files.back()) << "HIERARCHY\nROOT Hips\n{\n OFFSET 0 0 0\n CHANNELS 3 Xposition Yposition "
                                   "Zposition\n End Site\n {\n  OFFSET 0 1 0\n }\n}\nMOTION\nFrames: 1\n"
                                   "Frame Time: 0.1\n0 0 0\n1 1 1\n";
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        fs::remove(dir.file("never.png"));
        const ToolRun r = run("'" + file + "' --png '" + dir.file("never.png") + "'");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err.rfind("vtrl3ds-view: " + file + ": ", 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_FALSE(fs::exists(dir.file("never.png")));
    }
    // The same without --png: no window is opened (there is no display to open one on).
    EXPECT_EQ(run("'" + dir.file("missing.3ds") + "'").status, 1);
}

// A file that loads, with no display and no --png: one line naming the cause, no toolkit box.
TEST_F(Viewer, no_display_is_one_line_and_exit_1) {
    const std::string file = std::string(VTRL_TESTDATA_DIR) + "/real/3ds/test1.3ds";
    const ToolRun r = run("'" + file + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "vtrl3ds-view: " + file +
                         ": no display to open a window on (neither DISPLAY nor WAYLAND_DISPLAY is set)\n");
}

// Pictures judged by their pixels: a model with no material is grey and shaded, not white; a
// model and a motion far from the origin are centred; solid bones cover more than lines do.
TEST_F(Viewer, default_material_framing_and_solid_bones) {
    const std::string far = dir.file("far.txt"), walk = dir.file("far.bvh");
    // A cube of side 10 at (900, 900, 900), no material: six faces as two triangles each.
    std::ofstream cube(far);
    cube << "Meshes: 1\n\"cube\" 0 -1\n8\n";
    for (int v = 0; v < 8; ++v)
        cube << "0 " << 900 + 10 * (v >> 2) << ' ' << 900 + 10 * (v >> 1 & 1) << ' ' << 900 + 10 * (v & 1)
             << " 0 0 -1\n";
    cube << "1\n0 0 1\n12\n";
    const std::array<int, 4> quads[] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1},
                                        {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
    for (const auto& q : quads)
        cube << "0 " << q[0] << ' ' << q[1] << ' ' << q[2] << " 0 0 0 1\n0 " << q[0] << ' ' << q[2] << ' '
             << q[3] << " 0 0 0 1\n";
    cube << "Materials: 0\nBones: 0\n";
    cube.close();
    std::ofstream(walk)
        << "HIERARCHY\nROOT Hips\n{\n OFFSET -500 700 300\n CHANNELS 3 Xposition Yposition "
           "Zposition\n JOINT Leg\n {\n  OFFSET 0 -8 0\n  CHANNELS 3 Zrotation Xrotation Yrotation\n"
           "  End Site\n  {\n   OFFSET 0 -8 0\n  }\n }\n}\nMOTION\nFrames: 2\nFrame Time: 0.1\n"
           "0 0 0 0 0 0\n0 0 0 30 0 0\n";
    // Lit faces keep their shading: three faces in view, three greys, none near white.
    const Picture plain = picture(far, "--size 160x120", "far.png");
    std::map<int, int> greys;
    for (size_t i = 0; i < plain.rgb.size(); i += 3) {
        const uint8_t* p = &plain.rgb[i];
        if (background(p)) continue;
        EXPECT_EQ(std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]}), 0) << "not grey";
        EXPECT_LT(p[0], 250) << "saturated";
        ++greys[p[0]];
    }
    EXPECT_EQ(std::count_if(greys.begin(), greys.end(), [](auto& g) { return g.second > 100; }), 3);
    const struct {
        const std::string& file;
        const char* options;
    } centred[] = {{far, ""}, {walk, ""}, {walk, "--bones lines"}};
    size_t solid = 0;
    for (const auto& row : centred) {
        SCOPED_TRACE(row.options);
        const Coverage c = coverage(picture(row.file, std::string("--size 160x120 ") + row.options, "c.png"));
        EXPECT_NEAR((c.x0 + c.x1) / 2.0, 80, 160 * 0.1);
        EXPECT_NEAR((c.y0 + c.y1) / 2.0, 60, 120 * 0.1);
        if (row.file == walk && !*row.options) solid = c.pixels;
        if (*row.options) {
            EXPECT_GT(solid, c.pixels * 2) << "solid bones are no wider than lines";
        }
    }
}

TEST_F(Viewer, a_wrong_command_line_prints_the_usage_and_exits_2) {
    for (const char* args : {"", "a.3ds b.3ds", "a.3ds --png", "a.3ds --size 0x10", "a.3ds --size 10",
                             "a.3ds --frame 0", "a.3ds --frame two", "a.3ds --yaw 1e99", "a.3ds --zoom 2"}) {
        SCOPED_TRACE(args);
        const ToolRun r = run(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("Usage: vtrl3ds-view FILE"), std::string::npos) << r.err;
    }
}

// The first line of each answer, and where it goes.
TEST_F(Viewer, help_version_and_the_reason_for_a_refusal) {
    const struct {
        const char* args;
        int status;
        const char *out, *err;
    } rows[] = {
        {"--help", 0, "Usage: vtrl3ds-view FILE [OPTION]...\n", ""},
        {"a.3ds -h", 0, "Usage: vtrl3ds-view FILE [OPTION]...\n", ""},
        {"--version", 0, "vtrl3ds-view (showroom) ", ""},
        {"a.3ds --bogus", 2, "", "vtrl3ds-view: unknown option --bogus\n"},
        {"a.3ds --bogus 3", 2, "", "vtrl3ds-view: unknown option --bogus\n"},
        {"a.3ds -x", 2, "", "vtrl3ds-view: unknown option -x\n"},
        {"a.3ds --size 20000x10", 2, "",
         "vtrl3ds-view: bad value for --size: '20000x10' (WxH, each 1 to 16384)\n"},
        {"a.3ds --bones thick", 2, "", "vtrl3ds-view: bad value for --bones: 'thick' (solid or lines)\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args);
        const ToolRun r = run(row.args);
        EXPECT_EQ(r.status, row.status);
        EXPECT_EQ(r.out.rfind(row.out, 0), 0u) << r.out;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1), row.err);
    }
    EXPECT_NE(run("--help").out.find("each 1 to 16384"), std::string::npos);
}
