// BVH playback against an independent reading: joint world positions of real motion files at the
// first, a middle and the last frame, compared with the poses assimp's BVH importer gives (each
// joint's position and rotation keys composed down its node chain), and the frame rate.
#include <assimp/cimport.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/assimp_pose.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/skeleton.h"

namespace {

struct Case {
    const char* file;
    float frameRate;
};

class BvhPose : public ::testing::TestWithParam<Case> {};

TEST_P(BvhPose, joint_positions_agree_with_an_independent_reading_at_first_middle_and_last_frame) {
    const std::string path = std::string(VTRL_TESTDATA_DIR "/real/bvh/") + GetParam().file;
    const aiScene* scene = aiImportFile(path.c_str(), 0);
    ASSERT_TRUE(scene && scene->mNumAnimations == 1) << aiGetErrorString();
    TGLAll3dsMesh model;
    auto* skeleton = new TGLSkeleton(&model);
    skeleton->LoadFromFile(path);
    EXPECT_NEAR(skeleton->FFrameRate, GetParam().frameRate, 1e-2);
    float lo = 1e30f, hi = -1e30f;
    for (const TGL3dsBone* bone : skeleton->FBone)
        lo = std::min(lo, bone->FMatrix->m_matrix[13]), hi = std::max(hi, bone->FMatrix->m_matrix[13]);
    const float tolerance = 1e-3f * (hi - lo);
    const int32_t n = skeleton->FNumFrames;
    for (const int32_t frame : {1, (n + 1) / 2, n}) {
        skeleton->AdvanceAnimation(static_cast<float>(frame));
        for (const TGL3dsBone* bone : skeleton->FBone) {
            const aiNode* node = scene->mRootNode->FindNode(bone->FName.c_str());
            ASSERT_NE(node, nullptr) << bone->FName;
            const aiMatrix4x4 w =
                AssimpWorldAt(*scene->mAnimations[0], node, static_cast<unsigned>(frame - 1));
            const float* m = bone->FAnimMatrix.m_matrix;
            EXPECT_NEAR(m[12], w.a4, tolerance) << bone->FName << " frame " << frame;
            EXPECT_NEAR(m[13], w.b4, tolerance) << bone->FName << " frame " << frame;
            EXPECT_NEAR(m[14], w.c4, tolerance) << bone->FName << " frame " << frame;
        }
    }
    aiReleaseImport(scene);
}

INSTANTIATE_TEST_SUITE_P(RealFiles, BvhPose,
                         ::testing::Values(Case{"cmu_12_01_walk.bvh", 120.0f},
                                           Case{"pybvh_test3_mixed_orders.bvh", 120.0f},
                                           Case{"rotation_first_root.bvh", 25.0f}),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             std::string name = info.param.file;
                             name.resize(name.find('.'));
                             return name;
                         });

}  // namespace
