// Skeletal playback: skinned positions at the bind pose against the loaded ones on real MilkShape
// files, a hand-written two-bone MilkShape file posed between its keys against an independent
// axis-angle rotation, frame clamping and key holding, bone lookup by index.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"
#include "vtrl3ds/errors.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/private/loading.h"
#include "vtrl3ds/skeleton.h"
#include "vtrl3ds/stream.h"

namespace {

std::string writeText(const TempDir& dir, const std::string& name, const std::string& text) {
    return dir.write(name, std::vector<uint8_t>(text.begin(), text.end()));
}

const std::string realMilkShape = VTRL_SOURCE_DIR "/../shared/testdata/real/ms3d_ascii";

// The model loaded without its skeleton: the positions as the file gives them.
void loadWithoutSkeleton(TGLAll3dsMesh& model, const std::string& path) {
    TFileStream stream(path);
    model.LoadMSAFromStream(stream);
}

TEST(Pose, bind_pose_of_real_skinned_files_gives_the_loaded_positions) {
    if (!std::filesystem::is_directory(realMilkShape)) GTEST_SKIP() << realMilkShape << " is missing";
    int skinned = 0;
    for (const auto& entry : std::filesystem::directory_iterator(realMilkShape)) {
        TGLAll3dsMesh posed, plain;
        posed.LoadFromFile(entry.path().string());
        if (posed.FNumSkeletons == 0) continue;
        loadWithoutSkeleton(plain, entry.path().string());
        const T3dpoint& lo = plain.FMinimum;
        const T3dpoint& hi = plain.FMaximum;
        const float size = std::max({hi.X - lo.X, hi.Y - lo.Y, hi.Z - lo.Z});
        for (size_t m = 0; m < plain.FMesh.size(); ++m) {
            const TGL3dsMesh& p = *posed.FMesh[m];
            if (p.FSkinVertex.empty()) continue;
            ++skinned;
            ASSERT_EQ(p.FSkinVertex.size(), plain.FMesh[m]->FVertex.size());
            for (size_t v = 0; v < p.FSkinVertex.size(); ++v) {
                const T3dpoint a = p.FSkinVertex[v], b = plain.FMesh[m]->FVertex[v];
                ASSERT_NEAR(a.X, b.X, 1e-4 * size) << entry.path() << " mesh " << m << " vertex " << v;
                ASSERT_NEAR(a.Y, b.Y, 1e-4 * size) << entry.path() << " mesh " << m << " vertex " << v;
                ASSERT_NEAR(a.Z, b.Z, 1e-4 * size) << entry.path() << " mesh " << m << " vertex " << v;
            }
        }
    }
    EXPECT_GE(skinned, 2);  // the soldier's mesh and the seagull's
}

// Root at (1, 2, 3) turned a quarter about X at rest, keys at frames 1 (no turn) and 10 (a
// quarter about X and a quarter about Z); the child 10 above it, moved by position keys (0, 0, 0)
// at 1 and (0, 4, 0) at 10. One vertex bound to the child.
const std::string twoBoneFile =
    "// MilkShape 3D ASCII\n\nFrames: 30\nFrame: 1\n\nMeshes: 1\n\"Arm\" 0 -1\n3\n"
    "0 5.0 12.0 -1.0 0.0 0.0 1\n0 0.0 0.0 0.0 0.0 0.0 -1\n0 1.0 0.0 0.0 0.0 0.0 -1\n"
    "1\n0 0 1\n1\n0 0 1 2 0 0 0 1\n\nMaterials: 0\n\n"
    "Bones: 2\n\"root\"\n\"\"\n8 1.0 2.0 3.0 1.5707963 0.0 0.0\n0\n2\n"
    "1.0 0.0 0.0 0.0\n10.0 1.5707963 0.0 1.5707963\n"
    "\"child\"\n\"root\"\n8 0.0 10.0 0.0 0.0 0.0 0.0\n2\n1.0 0.0 0.0 0.0\n10.0 0.0 4.0 0.0\n0\n"
    "GroupComments: 0\nMaterialComments: 0\nBoneComments: 0\nModelComment: 0\n";

using M3 = std::array<std::array<double, 3>, 3>;  // row, column

T3dpoint turned(const M3& m, T3dpoint p) {
    const double v[3] = {p.X, p.Y, p.Z};
    double o[3] = {};
    for (size_t r = 0; r < 3; ++r) o[r] = m[r][0] * v[0] + m[r][1] * v[1] + m[r][2] * v[2];
    return {float(o[0]), float(o[1]), float(o[2])};
}

// The turn of Angle about the unit axis n (Rodrigues).
M3 aboutAxis(const double (&n)[3], double angle) {
    const double c = std::cos(angle), s = std::sin(angle), k = 1 - c;
    return {{{c + n[0] * n[0] * k, n[0] * n[1] * k - n[2] * s, n[0] * n[2] * k + n[1] * s},
             {n[1] * n[0] * k + n[2] * s, c + n[1] * n[1] * k, n[1] * n[2] * k - n[0] * s},
             {n[2] * n[0] * k - n[1] * s, n[2] * n[1] * k + n[0] * s, c + n[2] * n[2] * k}}};
}

// Where the child's vertex p is at fraction T of the way between the keys. The key (pi/2, 0,
// pi/2), a quarter about X then a quarter about Z, takes X to Y, Y to Z and Z to X: a third of a
// turn about (1, 1, 1), of which quaternion interpolation takes the fraction T. It acts in the
// root's rest frame (a quarter about X at (1, 2, 3)); the child's key moves the vertex 4T along
// that frame's Y.
T3dpoint expectedVertex(T3dpoint p, double t) {
    const double x[3] = {1, 0, 0}, diagonal[3] = {1 / std::sqrt(3.0), 1 / std::sqrt(3.0), 1 / std::sqrt(3.0)};
    const T3dpoint local = turned(aboutAxis(x, -M_PI / 2), {p.X - 1, p.Y - 2, p.Z - 3});
    const T3dpoint keyed =
        turned(aboutAxis(diagonal, t * 2 * M_PI / 3), {local.X, float(local.Y + 4 * t), local.Z});
    const T3dpoint moved = turned(aboutAxis(x, M_PI / 2), keyed);
    return {moved.X + 1, moved.Y + 2, moved.Z + 3};
}

void expectNear(T3dpoint a, T3dpoint b, const std::string& what) {
    EXPECT_NEAR(a.X, b.X, 1e-4) << what;
    EXPECT_NEAR(a.Y, b.Y, 1e-4) << what;
    EXPECT_NEAR(a.Z, b.Z, 1e-4) << what;
}

TEST(Pose, two_bone_milkshape_keys_turn_along_the_shortest_arc_and_hold_after_the_last) {
    TempDir dir;
    TGLAll3dsMesh model;
    model.LoadFromFile(writeText(dir, "arm.txt", twoBoneFile));
    TGL3dsMesh& mesh = *model.FMesh[0];
    const T3dpoint bindNormal = mesh.FSkinNormal[0];
    const struct {
        float frame;
        double t;
    } cases[] = {{1, 0}, {5.5f, 0.5}, {10, 1}, {20, 1}, {-3, 0}, {99, 1}};
    for (const auto& c : cases) {
        model.AdvanceAnimation(c.frame);
        const std::string what = "frame " + std::to_string(c.frame);
        expectNear(mesh.FSkinVertex[0], expectedVertex({5, 12, -1}, c.t), what);
        // The normal turns with the bone (the position key does not move it).
        const T3dpoint tip = expectedVertex(bindNormal, c.t), origin = expectedVertex({0, 0, 0}, c.t);
        expectNear(mesh.FSkinNormal[0], {tip.X - origin.X, tip.Y - origin.Y, tip.Z - origin.Z}, what);
        EXPECT_EQ(mesh.FSkinVertex[2].X, 1.0f);  // unbound vertices stay as loaded
        EXPECT_EQ(mesh.FSkinNormal[2].Z, bindNormal.Z);
    }
    EXPECT_EQ(model.FSkeleton[0]->FCurrentFrame, 30);
    model.AdvanceAnimation(5.5f);
    EXPECT_EQ(model.FSkeleton[0]->FCurrentFrame, 5);
    EXPECT_EQ(model.FSkeleton[0]->FFrameRate, 30.0f);
    // The bind pose itself is kept beside the animated matrix.
    EXPECT_FLOAT_EQ(model.FSkeleton[0]->GetBone(1)->FMatrix->m_matrix[14], 3 + 10);
}

// Skinning takes vertices four at a time once the arrays reach a 16-byte boundary, one at a time
// before and after, and stores past the cache for large models: for every vertex count up to 17
// and runs of bones that start and end anywhere, each posed position and normal must be the
// single-vertex result bit for bit (column times coordinate, Y and Z summed before X, the
// translation last).
TEST(Pose, skinning_four_vertices_at_a_time_gives_the_single_vertex_results) {
    const auto moved = [](const float* m, const T3dpoint& p, bool translate) {
        float r[3];
        for (int i = 0; i < 3; ++i) {
            r[i] = m[i] * p.X + (m[4 + i] * p.Y + m[8 + i] * p.Z);
            if (translate) r[i] += m[12 + i];
        }
        return T3dpoint{r[0], r[1], r[2]};
    };
    const int32_t runs[] = {1, 1, 1, 0, 0, -1, 1, 1, 1, 1, 0, 1, -1, 0, 0, 0, 1};
    for (bool pastCache : {false, true})
        for (size_t n = 1; n <= 17; ++n) {
            TGLAll3dsMesh model;
            auto* skeleton = new TGLSkeleton(&model);
            for (int b = 0; b < 2; ++b) {
                auto* bone = new TGL3dsBone(skeleton);
                for (int e = 0; e < 16; ++e)
                    bone->FAnimMatrix.m_matrix[e] = 0.1f * float(e + 1) * (b ? -1.3f : 0.7f);
                skeleton->FBone.push_back(bone);
            }
            skeleton->FNumBones = 2;
            auto* mesh = new TGL3dsMesh(&model);
            mesh->FNumVertex = static_cast<int32_t>(n);
            for (size_t v = 0; v < n; ++v) {
                mesh->FVertex.push_back({float(v) * 1.5f, 2.0f - float(v), 0.25f * float(v * v)});
                mesh->FSkinBoneNormal.push_back({0.3f, float(v) / 7.0f, -0.9f});
                mesh->FBoneID.push_back(runs[v]);
            }
            mesh->FSkinVertex.assign(n, T3dpoint{9, 9, 9});
            mesh->FSkinNormal.assign(n, T3dpoint{9, 9, 9});
            vtrl3ds_internal::skinMesh(*mesh, *skeleton, pastCache);
            for (size_t v = 0; v < n; ++v) {
                const int32_t b = runs[v];
                const T3dpoint p =
                    b < 0 ? mesh->FVertex[v]
                          : moved(skeleton->FBone[b]->FAnimMatrix.m_matrix, mesh->FVertex[v], true);
                const T3dpoint q =
                    b < 0 ? mesh->FSkinBoneNormal[v]
                          : moved(skeleton->FBone[b]->FAnimMatrix.m_matrix, mesh->FSkinBoneNormal[v], false);
                EXPECT_EQ(std::memcmp(&mesh->FSkinVertex[v], &p, sizeof p), 0)
                    << n << " " << v << " " << pastCache;
                EXPECT_EQ(std::memcmp(&mesh->FSkinNormal[v], &q, sizeof q), 0)
                    << n << " " << v << " " << pastCache;
            }
        }
}

TEST(Pose, bone_index_outside_the_skeleton_is_a_range_error) {
    TGLAll3dsMesh model;
    auto* skeleton = new TGLSkeleton(&model);
    auto* bone = new TGL3dsBone(skeleton);
    skeleton->FBone = {bone};
    skeleton->FNumBones = 1;
    EXPECT_EQ(skeleton->GetBone(0), bone);
    for (const int32_t index : {-1, 1, 1 << 30}) EXPECT_THROW(skeleton->GetBone(index), ERangeError) << index;
    skeleton->FNumBones = 2;  // a count beyond the list
    EXPECT_THROW(skeleton->GetBone(1), ERangeError);
}

TEST(Pose, hostile_keys_and_frames_pose_to_finite_matrices) {
    const float nan = std::nanf("");
    const struct {
        std::vector<TKeyFrame> keys;
        int32_t count;
        int32_t frames;
        float frame;
        int32_t current;
    } cases[] = {
        {{{5, {0, 0, 1}, {}}, {2, {1, 0, 0}, {}}, {3, {0, 1, 0}, {}}}, 3, 10, 4, 4},  // out of time order
        {{{2, {0, 0, 1}, {}}, {2, {1, 0, 0}, {}}}, 2, 10, 2, 2},                      // one time twice
        {{{1, {0, 0, 1}, {}}}, 1000, 10, 7, 7},                                       // count past the list
        {{{1, {0, 0, 1}, {}}}, -5, 10, 7, 7},                                         // negative count
        {{{1, {0, 0, 1}, {}}}, 1, 10, nan, 1},                                        // not a number
        {{{1, {0, 0, 1}, {}}}, 1, 0, 1e30f, 1},                                       // no frames
    };
    for (size_t c = 0; c < std::size(cases); ++c) {
        TGLAll3dsMesh model;
        auto* skeleton = new TGLSkeleton(&model);
        auto* bone = new TGL3dsBone(skeleton);
        skeleton->FBone = {bone};
        skeleton->FNumBones = 1;
        skeleton->FNumFrames = cases[c].frames;
        bone->FRotateFrame = bone->FTranslateFrame = cases[c].keys;
        bone->FNumRotateFrames = bone->FNumTranslateFrames = cases[c].count;
        skeleton->AdvanceAnimation(cases[c].frame);
        EXPECT_EQ(skeleton->FCurrentFrame, cases[c].current) << "case " << c;
        for (const float e : bone->FAnimMatrix.m_matrix) EXPECT_TRUE(std::isfinite(e)) << "case " << c;
    }
}

}  // namespace
