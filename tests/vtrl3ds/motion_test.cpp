// Motion tables against the skeleton playback they must agree with: world positions of a BVH table
// and of a MilkShape skeleton sampled into a table equal the bones' posed matrices, and the sampled
// table survives BVH text unchanged. (Round trips, rewrites, resampling and hostile files are
// checked through the Python module, tests/python.)
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "vtrl3ds/model.h"
#include "vtrl3ds/motion.h"
#include "vtrl3ds/skeleton.h"

namespace {

// Every joint of Table at frame index F sits where bone Order[j] of the posed skeleton sits.
void expectPosedBones(const TMotion& table, TGLSkeleton& skeleton,
                      const std::vector<const TGL3dsBone*>& order) {
    const std::vector<float> world = WorldPositions(table);
    const size_t joints = table.FJoints.size();
    float lo = 1e30f, hi = -1e30f;
    for (size_t i = 1; i < world.size(); i += 3) lo = std::min(lo, world[i]), hi = std::max(hi, world[i]);
    const float tolerance = 1e-4f * std::max(hi - lo, 1.0f);
    for (const size_t f : {size_t{0}, table.FNumFrames / 2, table.FNumFrames - 1}) {
        skeleton.AdvanceAnimation(static_cast<float>(f + 1));
        for (size_t j = 0; j < joints; ++j) {
            const float* m = order[j]->FAnimMatrix.m_matrix;
            const float* p = &world[(f * joints + j) * 3];
            EXPECT_NEAR(p[0], m[12], tolerance) << table.FJoints[j] << " frame " << f;
            EXPECT_NEAR(p[1], m[13], tolerance) << table.FJoints[j] << " frame " << f;
            EXPECT_NEAR(p[2], m[14], tolerance) << table.FJoints[j] << " frame " << f;
        }
    }
}

TEST(MotionTable, bvh_table_world_positions_equal_the_posed_skeleton) {
    const std::string path = VTRL_TESTDATA_DIR "/real/bvh/pybvh_test3_mixed_orders.bvh";
    TGLAll3dsMesh model;
    auto* skeleton = new TGLSkeleton(&model);
    skeleton->LoadFromFile(path);
    const TMotion table = LoadMotion(path);
    ASSERT_EQ(table.FJoints.size(), skeleton->FBone.size());
    EXPECT_EQ(table.FNumFrames, static_cast<size_t>(skeleton->FNumFrames));
    expectPosedBones(table, *skeleton, {skeleton->FBone.begin(), skeleton->FBone.end()});
}

TEST(MotionTable, milkshape_skeleton_sampled_as_bvh_keeps_every_bone_in_place) {
    const std::string path = VTRL_SOURCE_DIR "/../shared/testdata/real/ms3d_ascii/male1_soldier.txt";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "the shared copy is not part of the tree";
    TGLAll3dsMesh model;
    model.LoadFromFile(path);
    ASSERT_EQ(model.FSkeleton.size(), 1u);
    TGLSkeleton& skeleton = *model.FSkeleton[0];
    const TMotion table = MotionFromSkeleton(skeleton);
    EXPECT_EQ(table.FNumFrames, 30u);
    EXPECT_NEAR(table.FFrameTime, 1.0 / skeleton.FFrameRate, 1e-7);  // the rate is a single
    std::vector<const TGL3dsBone*> order;
    for (const std::string& name : table.FJoints) order.push_back(skeleton.GetBoneByName(name));
    expectPosedBones(table, skeleton, order);
    const TMotion again = MotionFromText(MotionToText(table), "written");
    EXPECT_EQ(again.FJoints, table.FJoints);
    EXPECT_EQ(again.FParents, table.FParents);
    EXPECT_EQ(again.FValues, table.FValues);
}

}  // namespace
