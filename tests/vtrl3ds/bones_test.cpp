// Bones and skeletons: lookup by name, absolute matrices chained from parents (resolved by name,
// or given by the loader), skinning of bound vertices into bone space and its refusals, the
// file-type dispatch of LoadFromFile, and ownership of bones by their skeleton.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "build_model.h"
#include "load_checks.h"
#include "support/temp_dir.h"
#include "vtrl3ds/errors.h"
#include "vtrl3ds/skeleton.h"

namespace {

constexpr float halfPi = 1.57079632679489662f;

TGL3dsBone* addBone(TGLSkeleton& s, const std::string& name, const std::string& parent = "",
                    T3dpoint translate = {0, 0, 0}, T3dpoint rotate = {0, 0, 0}) {
    auto* b = new TGL3dsBone(&s);
    b->FName = name;
    b->FParentName = parent;
    b->FTranslate = translate;
    b->FRotate = rotate;
    s.FBone.push_back(b);
    s.FNumBones = static_cast<int32_t>(s.FBone.size());
    return b;
}

void initAll(TGLSkeleton& s) {
    for (TGL3dsBone* b : s.FBone) b->Init();
}

// A model owning one skeleton, the current one for skinning.
TGLSkeleton* addSkeleton(TGLAll3dsMesh& model) {
    auto* s = new TGLSkeleton(&model);
    model.FSkeleton.push_back(s);
    model.FNumSkeletons = static_cast<int32_t>(model.FSkeleton.size());
    return s;
}

TEST(BoneLookup, name_matches_ignoring_ascii_case_and_first_wins) {
    TGLSkeleton s(nullptr);
    EXPECT_EQ(s.GetBoneByName(""), nullptr);
    TGL3dsBone* arm = addBone(s, "LeftArm");
    TGL3dsBone* first = addBone(s, "Spine");
    addBone(s, "SPINE");
    EXPECT_EQ(s.GetBoneByName("leftarm"), arm);
    EXPECT_EQ(s.GetBoneByName("spine"), first);
    EXPECT_EQ(s.GetBoneByName("LeftAr"), nullptr);
    // Bones past FNumBones are not searched.
    s.FNumBones = 1;
    EXPECT_EQ(s.GetBoneByName("Spine"), nullptr);
}

TEST(BoneMatrix, child_chains_its_translation_to_its_parent) {
    TGLSkeleton s(nullptr);
    TGL3dsBone* root = addBone(s, "Root", "", {1, 2, 3});
    TGL3dsBone* child = addBone(s, "Child", "root", {0, 1, 0});
    initAll(s);
    EXPECT_EQ(root->FParent, nullptr);
    EXPECT_EQ(child->FParent, root);
    EXPECT_POINT(TranslationOf(*root), 1, 2, 3);
    EXPECT_POINT(TranslationOf(*child), 1, 3, 3);
    for (int i : {0, 5, 10}) EXPECT_EQ(child->FMatrix->m_matrix[i], 1.0f);
}

TEST(BoneMatrix, parent_rotation_turns_the_child_offset) {
    TGLSkeleton s(nullptr);
    addBone(s, "Root", "", {5, 0, 0}, {0, 0, halfPi});
    TGL3dsBone* child = addBone(s, "Child", "Root", {1, 0, 0});
    initAll(s);
    const T3dpoint t = TranslationOf(*child);
    EXPECT_NEAR(t.X, 5, 1e-6);
    EXPECT_NEAR(t.Y, 1, 1e-6);
    EXPECT_NEAR(t.Z, 0, 1e-6);
}

TEST(BoneMatrix, unknown_parent_name_or_no_skeleton_owner_makes_a_root) {
    TGLSkeleton s(nullptr);
    addBone(s, "Root", "", {1, 1, 1});
    TGL3dsBone* orphan = addBone(s, "Orphan", "Nobody", {0, 2, 0});
    initAll(s);
    EXPECT_EQ(orphan->FParent, nullptr);
    EXPECT_POINT(TranslationOf(*orphan), 0, 2, 0);
    TGL3dsBone loose(nullptr);
    loose.FParentName = "Root";
    loose.FTranslate = {0, 0, 4};
    loose.Init();
    EXPECT_EQ(loose.FParent, nullptr);
    EXPECT_POINT(TranslationOf(loose), 0, 0, 4);
}

TEST(BoneMatrix, parent_given_by_the_loader_wins_over_a_duplicate_name) {
    TGLSkeleton s(nullptr);
    addBone(s, "Hand", "", {1, 0, 0});
    TGL3dsBone* second = addBone(s, "Hand", "", {10, 0, 0});
    TGL3dsBone* finger = addBone(s, "Finger", "Hand", {0, 1, 0});
    initAll(s);
    finger->Init();
    EXPECT_POINT(TranslationOf(*finger), 1, 1, 0);  // by name: the first Hand
    finger->InitWithParent(second);
    EXPECT_EQ(finger->FParent, second);
    EXPECT_POINT(TranslationOf(*finger), 10, 1, 0);
}

TEST(Skin, bound_vertices_move_into_bone_space_and_unbound_stay) {
    TGLAll3dsMesh model;
    TGLSkeleton* s = addSkeleton(model);
    addBone(*s, "Root", "", {1, 2, 3});
    addBone(*s, "Turned", "Root", {0, 1, 0}, {0, 0, halfPi});
    initAll(*s);
    TGL3dsMesh* mesh = addMesh(model, {{1, 2, 3}, {1, 3, 3}, {7, 8, 9}, {1, 4, 3}}, {0, 1, 2});
    mesh->FBoneID = {0, 1, -1, 1};
    model.InitSkin();
    EXPECT_POINT(mesh->FVertex[0], 0, 0, 0);
    EXPECT_POINT(mesh->FVertex[1], 0, 0, 0);
    EXPECT_POINT(mesh->FVertex[2], 7, 8, 9);
    // One unit further along model Y is one unit along the turned bone's own X axis.
    EXPECT_NEAR(mesh->FVertex[3].X, 1, 1e-6);
    EXPECT_NEAR(mesh->FVertex[3].Y, 0, 1e-6);
    EXPECT_NEAR(mesh->FVertex[3].Z, 0, 1e-6);
}

TEST(Skin, meshes_without_triangles_or_bone_indices_are_left_alone) {
    TGLAll3dsMesh model;
    TGLSkeleton* s = addSkeleton(model);
    addBone(*s, "Root", "", {1, 1, 1});
    initAll(*s);
    TGL3dsMesh* points = addMesh(model, {{5, 5, 5}}, {});
    points->FBoneID = {0};
    TGL3dsMesh* plain = addMesh(model, {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}}, {0, 1, 2});
    TGL3dsMesh* partial = addMesh(model, {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}}, {0, 1, 2});
    partial->FBoneID = {0};
    model.InitSkin();
    EXPECT_POINT(points->FVertex[0], 5, 5, 5);
    EXPECT_POINT(plain->FVertex[0], 1, 1, 1);
    EXPECT_POINT(partial->FVertex[0], 0, 0, 0);
    EXPECT_POINT(partial->FVertex[1], 2, 2, 2);
}

TEST(Skin, bad_bone_index_or_skeleton_raises_range_error_before_moving_anything) {
    TGLAll3dsMesh model;
    TGL3dsMesh* mesh = addMesh(model, {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}}, {0, 1, 2});
    mesh->FBoneID = {0, 0, 1};
    EXPECT_THROW(model.InitSkin(), ERangeError);  // no skeleton at all
    TGLSkeleton* s = addSkeleton(model);
    addBone(*s, "Root", "", {1, 1, 1});
    initAll(*s);
    try {
        model.InitSkin();
        FAIL() << "bone 1 of a one-bone skeleton was accepted";
    } catch (const ERangeError& e) {
        EXPECT_STREQ(e.what(), "InitSkin: vertex 2 of mesh 0 names bone 1 of a skeleton with 1 bones");
    }
    EXPECT_POINT(mesh->FVertex[0], 1, 1, 1);
    model.FCurrentGLSkeleton = 1;
    mesh->FBoneID = {0, 0, 0};
    EXPECT_THROW(model.InitSkin(), ERangeError);
    EXPECT_POINT(mesh->FVertex[0], 1, 1, 1);
}

TEST(SkeletonFile, extension_is_tested_ignoring_case_and_others_load_nothing) {
    TempDir dir;
    const std::string text = "HIERARCHY\nROOT Hips\n{\nOFFSET 1 2 3\nCHANNELS 0\n}\n";
    const std::string upper = dir.file("walk.BVH");
    std::ofstream(upper) << text;
    TGLAll3dsMesh model;
    TGLSkeleton* s = addSkeleton(model);
    s->LoadFromFile(upper);
    EXPECT_EQ(s->FName, upper);
    EXPECT_EQ(model.FType, Mesh3DSBVH);
    ASSERT_EQ(s->FNumBones, 1);
    EXPECT_POINT(TranslationOf(*s->FBone[0]), 1, 2, 3);
    const std::string other = dir.file("walk.dat");
    std::ofstream(other) << text;
    TGLSkeleton t(nullptr);
    t.LoadFromFile(other);
    EXPECT_EQ(t.FName, other);
    EXPECT_EQ(t.FNumBones, 0);
    EXPECT_THROW(t.LoadFromFile(dir.file("missing.bvh")), EStreamError);
    // MilkShape text goes to its own reader, whatever the case of ".txt".
    const std::string milkshape = dir.file("rig.TXT");
    std::ofstream(milkshape) << "Frames: 30\nBones: 1\n\"Root\"\n\"\"\n0 4 5 6 0 0 0\n0\n0\n\n";
    TGLAll3dsMesh rigModel;
    TGLSkeleton* rig = addSkeleton(rigModel);
    rig->LoadFromFile(milkshape);
    EXPECT_EQ(rigModel.FType, MeshMSA);
    EXPECT_EQ(rig->FNumFrames, 30);
    ASSERT_EQ(rig->FNumBones, 1);
    EXPECT_POINT(TranslationOf(*rig->FBone[0]), 4, 5, 6);
}

}  // namespace
