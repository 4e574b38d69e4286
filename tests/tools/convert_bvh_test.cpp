// vtrl3ds-convert writing BVH, run as users run it: a motion cut, resampled and given another
// rotation order keeps its poses, a MilkShape skeleton comes out as a motion, and wrong command
// lines (exit 2) or inputs that give no motion (exit 1, one line) leave no file behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/files3ds.h"
#include "support/run_tool.h"
#include "vtrl3ds/motion.h"

namespace {

// Two joints, four frames a tenth of a second apart, the hips turning about Y.
const std::string walkBvh =
    "HIERARCHY\nROOT Hips\n{\n OFFSET 0 0 0\n CHANNELS 6 Xposition Yposition Zposition Yrotation "
    "Xrotation Zrotation\n JOINT Leg\n {\n  OFFSET 3 -1 0\n  CHANNELS 3 Xrotation Yrotation Zrotation\n"
    "  End Site\n  {\n   OFFSET 0 -8 0\n  }\n }\n}\nMOTION\nFrames: 4\nFrame Time: 0.1\n"
    "0 10 0 0 0 0 0 0 0\n1 10 0 30 0 0 10 0 0\n2 10 0 60 10 0 20 5 0\n3 10 0 90 20 0 30 10 0\n";

// Root at the origin, Arm one unit along X, no frames of its own.
const std::string armMs3d =
    "Meshes: 0\nMaterials: 0\nBones: 2\n\"Root\"\n\"\"\n0 0 0 0 0 0 0\n1\n1 0 0 0\n0\n"
    "\"Arm\"\n\"Root\"\n0 1 0 0 0 0 0\n0\n2\n1 0 0 0\n10 0 0 1.5\n\n";

class ConvertBvh : public ::testing::Test {
  protected:
    TempDir dir;

    ToolRun run(const std::string& args) {
        return RunTool(dir,
                       "cd '" + dir.path.string() + "' && '" + ToolPath("vtrl3ds-convert") + "' " + args);
    }
    void write(const std::string& name, const std::string& text) {
        dir.write(name, {text.begin(), text.end()});
    }
    // The joint's world position at a frame.
    static T3dpoint at(const TMotion& m, size_t frame, size_t joint) {
        const std::vector<float> p = WorldPositions(m);
        const size_t i = (frame * m.FJoints.size() + joint) * 3;
        return {p[i], p[i + 1], p[i + 2]};
    }
};

TEST_F(ConvertBvh, cut_resampled_and_reordered_motion_keeps_its_poses) {
    write("walk.bvh", walkBvh);
    const ToolRun r = run("walk.bvh -o out.bvh --frames 1:3 --fps 20 --order zxy");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const TMotion in = LoadMotion(dir.file("walk.bvh")), out = LoadMotion(dir.file("out.bvh"));
    ASSERT_EQ(out.FNumFrames, 3u);            // frames 1 and 2 of the input, and one between them
    EXPECT_NEAR(out.FFrameTime, 0.05, 1e-8);  // written as the float it is read as
    EXPECT_EQ(out.FChannels[1], (std::vector<std::string>{"Zrotation", "Xrotation", "Yrotation"}));
    for (const auto& [o, i] : {std::pair<size_t, size_t>{0, 1}, {2, 2}})
        for (size_t j = 0; j < 2; ++j) {
            const T3dpoint a = at(out, o, j), b = at(in, i, j);
            EXPECT_NEAR(a.X, b.X, 1e-4) << o << " " << j;
            EXPECT_NEAR(a.Y, b.Y, 1e-4) << o << " " << j;
            EXPECT_NEAR(a.Z, b.Z, 1e-4) << o << " " << j;
        }
}

TEST_F(ConvertBvh, milkshape_skeleton_becomes_a_motion) {
    write("arm.txt", armMs3d);
    const ToolRun r = run("arm.txt -o arm.bvh");
    ASSERT_EQ(r.status, 0) << r.err;
    const TMotion out = LoadMotion(dir.file("arm.bvh"));
    EXPECT_EQ(out.FJoints, (std::vector<std::string>{"Root", "Arm"}));
    EXPECT_EQ(out.FParents, (std::vector<int32_t>{-1, 0}));
    const T3dpoint arm = at(out, 0, 1);
    EXPECT_NEAR(arm.X, 1, 1e-5);
    EXPECT_NEAR(arm.Y, 0, 1e-5);
    EXPECT_NEAR(arm.Z, 0, 1e-5);
}

struct RefusedRow {
    const char* args;
    int status;
    const char* err;  // the start of the one line on standard error
};

TEST_F(ConvertBvh, refusals_leave_no_file) {
    write("walk.bvh", walkBvh);
    write("broken.bvh", "HIERARCHY\nROOT Hips\n{\n OFFSET 0 0\n");
    dir.write("box.3ds", sampleFile());
    const std::string usage = "vtrl3ds-convert: --order and --frames need a .bvh output";
    const RefusedRow rows[] = {
        {"walk.bvh -o out.glb --order ZXY", 2, usage.c_str()},
        {"walk.bvh -o out.gltf --order zxy", 2, usage.c_str()},
        {"walk.bvh -o folder/ --frames 0:2", 2, usage.c_str()},
        {"walk.bvh walk.bvh -o out.bvh", 2, "vtrl3ds-convert: a .bvh output takes one input"},
        {"walk.bvh walk.bvh -o out.glb", 2, "vtrl3ds-convert: several inputs need a folder as the output"},
        {"walk.bvh -o out.bvh --scale 2", 2,
         "vtrl3ds-convert: --scale, --no-textures and --gltf need a glTF"},
        {"walk.bvh -o out.bvh --order XXY", 2, "vtrl3ds-convert: --order needs"},
        {"walk.bvh -o out.bvh --order XYZW", 2, "vtrl3ds-convert: --order needs"},
        {"walk.bvh -o out.bvh --frames 3:1", 2, "vtrl3ds-convert: --frames needs"},
        {"walk.bvh -o out.bvh --frames 1-3", 2, "vtrl3ds-convert: --frames needs"},
        {"walk.bvh -o out.bvh --frames -1:3", 2, "vtrl3ds-convert: --frames needs"},
        {"walk.bvh -o out.bvh --fps 0", 2, "vtrl3ds-convert: --fps needs"},
        {"walk.bvh -o out.bvh --fps", 2, "vtrl3ds-convert: --fps needs"},
        {"box.3ds -o out.bvh", 1,
         "vtrl3ds-convert: box.3ds: LoadMotionOrSkeleton: 'box.3ds' has no skeleton"},
        {"broken.bvh -o out.bvh", 1, "vtrl3ds-convert: broken.bvh: "},
        {"walk.bvh -o out.bvh --frames 2:9", 1, "vtrl3ds-convert: walk.bvh: CutFrames: "},
        {"walk.bvh -o missing/out.bvh", 1,
         "vtrl3ds-convert: walk.bvh: SaveMotion: 'missing/out.bvh': cannot create"},
    };
    for (const RefusedRow& row : rows) {
        const ToolRun r = run(row.args);
        EXPECT_EQ(r.status, row.status) << row.args;
        EXPECT_EQ(r.err.rfind(row.err, 0), 0u) << row.args << ": " << r.err;
        if (row.status == 1) {
            EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << row.args << ": " << r.err;
        }
        size_t files = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path)) ++files;
        EXPECT_EQ(files, 5u) << row.args;  // the three inputs and the run's out and err
    }
}

}  // namespace
