// Drawing posed models on a real GL context, read back through GL feedback: a skinned mesh drawn
// at its posed positions with its material, bones drawn as lines following the pose, and the
// display list holding the static meshes as drawn immediately while skinned ones keep moving.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <vector>

#include "build_model.h"
#include "support/gl_test.h"
#include "vtrl3ds/skeleton.h"

namespace {

constexpr float halfPi = 1.57079632679489662f;

// One primitive returned by feedback: its token and the window x, y and colour of each vertex.
struct Fed {
    GLint token;
    std::vector<std::array<float, 2>> xy;
    std::vector<std::array<float, 4>> colour;
};

std::vector<Fed> feedback(const std::function<void()>& draw) {
    std::vector<Fed> out;
    for (const FedPrimitive& p : FeedbackOf(draw)) {
        Fed f{static_cast<GLint>(p.token), {}, {}};
        for (const FedVertex& v : p.vertices) f.xy.push_back({v.x, v.y}), f.colour.push_back(v.colour);
        out.push_back(f);
    }
    return out;
}

// Window position of a model point with identity matrices on the 800 x 600 test window.
std::array<float, 2> window(T3dpoint p) {
    return {(p.X + 1) * 400, (p.Y + 1) * 300};
}

void expectAt(const std::array<float, 2>& xy, T3dpoint p) {
    EXPECT_NEAR(xy[0], window(p)[0], 0.05);
    EXPECT_NEAR(xy[1], window(p)[1], 0.05);
}

// A root at the origin with a child 0.5 above it whose only rotation key turns it a quarter
// about Z at frame 3 (no turn at frame 1); a red triangle bound to the child, a static green one.
struct Arm {
    TGLAll3dsMesh model;
    TGLSkeleton* skeleton = new TGLSkeleton(&model);
    TGL3dsMesh* arm;
    TGL3dsMesh* base;
    Arm() {
        model.FSkeleton = {skeleton};
        model.FNumSkeletons = 1;
        skeleton->FNumFrames = 3;
        bone("root", "", {0, 0, 0});
        TGL3dsBone* child = bone("child", "root", {0, 0.5f, 0});
        child->FRotateFrame = {{1, {0, 0, 0}, {}}, {3, {0, 0, halfPi}, {}}};
        child->FNumRotateFrames = 2;
        addMaterial(model, "red")->FDifR = 1;
        addMaterial(model, "green")->FDifG = 1;
        arm = addMesh(model, {{0, 0.5f, 0}, {0.25f, 0.5f, 0}, {-0.25f, 0.75f, 0}}, {0, 1, 2}, {0});
        arm->FBoneID = {1, 1, -1};
        base = addMesh(model, {{-0.5f, -0.5f, 0}, {-0.25f, -0.5f, 0}, {-0.5f, -0.25f, 0}}, {0, 1, 2}, {1});
        model.InitSkin();
    }
    TGL3dsBone* bone(const char* name, const char* parent, T3dpoint at) {
        auto* b = new TGL3dsBone(skeleton);
        b->FName = name;
        b->FParentName = parent;
        b->FTranslate = at;
        skeleton->FBone.push_back(b);
        skeleton->FNumBones = static_cast<int32_t>(skeleton->FBone.size());
        b->Init();
        return b;
    }
};

using SkinnedRenderGL = GLTest<>;

TEST_F(SkinnedRenderGL, skinned_mesh_is_drawn_at_its_posed_positions_with_its_material) {
    Arm a;
    a.model.AdvanceAnimation(3);
    const std::vector<Fed> t = feedback([&] { a.arm->Render(); });
    ASSERT_EQ(t.size(), 1u);
    ASSERT_EQ(t[0].xy.size(), 3u);
    // The child's joint stays; a quarter turn takes +X along the bone to +Y; the unbound corner stays.
    expectAt(t[0].xy[0], {0, 0.5f, 0});
    expectAt(t[0].xy[1], {0, 0.75f, 0});
    expectAt(t[0].xy[2], {-0.25f, 0.75f, 0});
    EXPECT_NEAR(t[0].colour[0][0], 0.5, 1e-3);  // half the red diffuse colour
    EXPECT_NEAR(t[0].colour[0][1], 0, 1e-3);
}

TEST_F(SkinnedRenderGL, bones_are_lines_from_parent_joint_and_a_point_for_the_root) {
    Arm a;
    a.model.AdvanceAnimation(3);
    const std::vector<Fed> t = feedback([&] { a.model.RenderSkeleton(); });
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].token, GL_POINT_TOKEN);
    expectAt(t[0].xy[0], {0, 0, 0});
    ASSERT_TRUE(t[1].token == GL_LINE_TOKEN || t[1].token == GL_LINE_RESET_TOKEN);
    expectAt(t[1].xy[0], {0, 0, 0});
    expectAt(t[1].xy[1], {0, 0.5f, 0});
}

TEST_F(SkinnedRenderGL, display_list_keeps_static_meshes_as_drawn_and_skinned_ones_moving) {
    Arm a;
    const std::vector<Fed> immediate = feedback([&] { a.base->Render(); });
    a.model.CompileDisplayList();
    const GLuint first = static_cast<GLuint>(a.model.FDisplayList);
    ASSERT_TRUE(glIsList(first));
    a.base->FVertex[0] = {0.9f, 0.9f, 0};  // retained: the list keeps the triangle as compiled
    a.model.AdvanceAnimation(3);
    const std::vector<Fed> t = feedback([&] { a.model.Render(); });
    ASSERT_EQ(t.size(), 2u);
    // The list (the static green triangle) first, the same as drawn immediately.
    for (size_t c = 0; c < 3; ++c) {
        EXPECT_EQ(t[0].xy[c], immediate[0].xy[c]);
        EXPECT_EQ(t[0].colour[c], immediate[0].colour[c]);
    }
    expectAt(t[1].xy[1], {0, 0.75f, 0});  // the arm at frame 3
    a.model.CompileDisplayList();         // a new list replaces the old one, which is deleted
    if (static_cast<GLuint>(a.model.FDisplayList) != first) {
        EXPECT_FALSE(glIsList(first));
    }
}

}  // namespace
