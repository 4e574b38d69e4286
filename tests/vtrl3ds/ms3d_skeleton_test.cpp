// The MilkShape 3D ASCII skeleton loader on texts built here: bone blocks (names, parents, rest
// pose, keys and their rounded times), the frame headers and the walk past other sections, bone
// matrices after loading; the model loader reading the skeleton from the same file and binding
// its vertices; and hostile text (every cut, huge counts, bad times, non-numbers) refused with the
// file and line named.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "build_model.h"
#include "load_checks.h"
#include "support/temp_dir.h"
#include "vtrl3ds/errors.h"
#include "vtrl3ds/matrix.h"
#include "vtrl3ds/skeleton.h"
#include "vtrl3ds/stream.h"

namespace {

// A root bone at (1, 2, 3) with two keys of each kind, and a child one unit above it, no keys.
const std::string twoBones =
    "Bones: 2\n"
    "\"root\"\n"
    "\"\"\n"
    "8 1.0 2.0 3.0 0.0 0.0 0.0\n"
    "2\n"
    "2.5 0.5 0.0 0.0\n"
    "3.5 1.0 0.0 0.0\n"
    "2\n"
    "1.0 0.0 0.0 0.0\n"
    "30.0 0.0 0.0 1.570796\n"
    "\"child\"\n"
    "\"ROOT\"\n"
    "8 0.0 1.0 0.0 0.0 0.0 0.0\n"
    "0\n"
    "0\n";

// A model file: one mesh whose first vertex lies at the child's model-space position (1, 3, 3),
// bound to it; the second unbound. Bones follow, then the comment counts.
std::string modelWithBones() {
    return "// MilkShape 3D ASCII\n\nFrames: 30\nFrame: 1\n\nMeshes: 1\n\"Body\" 0 -1\n2\n"
           "0 1.0 3.0 3.0 0.0 0.0 1\n"
           "0 5.0 5.0 5.0 0.0 0.0 -1\n"
           "1\n0 0 1\n1\n0 0 1 1 0 0 0 1\n\nMaterials: 0\n\n" +
           twoBones + "GroupComments: 0\nMaterialComments: 0\nBoneComments: 0\nModelComment: 0\n";
}

// A skeleton owned by a model, as the model loader makes it.
struct Owned {
    TGLAll3dsMesh model;
    TGLSkeleton* skeleton = new TGLSkeleton(&model);
};

void loadText(TGLSkeleton& skeleton, const std::string& text) {
    TMemoryStream stream(text.data(), text.size());
    skeleton.LoadMSAFromStream(stream);
}

template <class E = EModelError>
std::string loadError(TGLSkeleton& skeleton, const std::string& text) {
    return ErrorOf<E>([&] { loadText(skeleton, text); });
}

// ---- Bone blocks -------------------------------------------------------------------------------

TEST(MS3DSkeleton, bone_block_fills_names_pose_and_keys) {
    Owned o;
    loadText(*o.skeleton, "Frames: 30\n" + twoBones + "\n");
    ASSERT_EQ(o.skeleton->FNumBones, 2);
    ASSERT_EQ(o.skeleton->FBone.size(), 2u);
    const TGL3dsBone& root = *o.skeleton->FBone[0];
    EXPECT_EQ(root.FName, "root");
    EXPECT_EQ(root.FParentName, "");
    EXPECT_POINT(root.FTranslate, 1, 2, 3);
    EXPECT_POINT(root.FRotate, 0, 0, 0);
    ASSERT_EQ(root.FNumTranslateFrames, 2);
    EXPECT_POINT(root.FTranslateFrame[1].Value, 1, 0, 0);
    EXPECT_POINT(root.FTranslateFrame[1].BVH_Value, 0, 0, 0);
    ASSERT_EQ(root.FNumRotateFrames, 2);
    EXPECT_EQ(root.FRotateFrame[1].Time, 30);
    EXPECT_POINT(root.FRotateFrame[1].Value, 0, 0, 1.570796f);
    const TGL3dsBone& child = *o.skeleton->FBone[1];
    EXPECT_EQ(child.FParentName, "ROOT");
    EXPECT_EQ(child.FNumTranslateFrames, 0);
    EXPECT_TRUE(child.FTranslateFrame.empty());
    EXPECT_TRUE(child.FRotateFrame.empty());
    EXPECT_EQ(o.skeleton->Components().size(), 2u);
}

TEST(MS3DSkeleton, key_times_round_to_the_nearest_integer_halves_to_even) {
    Owned o;
    std::string text = "Bones: 1\n\"b\"\n\"\"\n0 0 0 0 0 0 0\n7\n";
    for (const char* t : {"2.5", "3.5", "-2.5", "0.735294", "4.5000001", "-0.4", "2147483647.4"})
        text += std::string(t) + " 0 0 0\n";
    loadText(*o.skeleton, text + "0\n\n");
    std::vector<int32_t> times;
    for (const TKeyFrame& k : o.skeleton->FBone[0]->FTranslateFrame) times.push_back(k.Time);
    EXPECT_EQ(times, (std::vector<int32_t>{2, 4, -2, 1, 5, 0, 2147483647}));
}

TEST(MS3DSkeleton, bones_get_their_matrices_after_the_walk_parents_found_by_name) {
    Owned o;
    // A later bone of the same name is not the parent: the first one is.
    std::string text = twoBones + "\"Root\"\n\"\"\n0 9 9 9 0 0 0\n0\n0\n\n";
    text.replace(text.find("Bones: 2"), 8, "Bones: 3");
    loadText(*o.skeleton, text);
    const TGL3dsBone& root = *o.skeleton->FBone[0];
    const TGL3dsBone& child = *o.skeleton->FBone[1];
    EXPECT_EQ(root.FParent, nullptr);
    EXPECT_EQ(child.FParent, &root);  // "ROOT" names "root": the lookup ignores case
    EXPECT_POINT(TranslationOf(root), 1, 2, 3);
    EXPECT_POINT(TranslationOf(child), 1, 3, 3);
}

// ---- The walk ----------------------------------------------------------------------------------

TEST(MS3DSkeleton, frame_headers_and_other_sections_pass_by) {
    Owned o;
    const std::string text = modelWithBones();
    loadText(*o.skeleton, text);
    EXPECT_EQ(o.skeleton->FNumFrames, 30);
    EXPECT_EQ(o.skeleton->FCurrentFrame, 1);
    EXPECT_EQ(o.skeleton->FNumBones, 2);
    // Frames but no bones; a header on the last line is not seen.
    Owned framesOnly;
    loadText(*framesOnly.skeleton, "Frames: -7\nFrame: 2147483647\n\n");
    EXPECT_EQ(framesOnly.skeleton->FNumFrames, -7);
    EXPECT_EQ(framesOnly.skeleton->FCurrentFrame, 2147483647);
    EXPECT_TRUE(framesOnly.skeleton->FBone.empty());
    Owned last;
    loadText(*last.skeleton, "Frame: 3\nFrames: 9");
    EXPECT_EQ(last.skeleton->FCurrentFrame, 3);
    EXPECT_EQ(last.skeleton->FNumFrames, 0);
    Owned zero;
    loadText(*zero.skeleton, "Bones: 0\n\n");
    EXPECT_EQ(zero.skeleton->FNumBones, 0);
    EXPECT_TRUE(zero.skeleton->Components().empty());
}

// ---- Through the model -------------------------------------------------------------------------

TEST(MS3DSkeleton, model_file_reads_its_skeleton_and_binds_its_vertices) {
    TempDir dir;
    const std::string text = modelWithBones();
    const std::string path = dir.write("rig.txt", std::vector<uint8_t>(text.begin(), text.end()));
    TGLAll3dsMesh model;
    model.LoadFromFile(path);
    EXPECT_EQ(model.FType, MeshMSA);
    EXPECT_TRUE(model.FLoadSkeleton);
    ASSERT_EQ(model.FNumSkeletons, 1);
    ASSERT_EQ(model.FSkeleton.size(), 1u);
    const TGLSkeleton& skeleton = *model.FSkeleton[0];
    EXPECT_EQ(skeleton.FName, path);
    EXPECT_EQ(skeleton.FNumBones, 2);
    // The vertex at the child's position moves to the child's origin; the unbound one stays.
    EXPECT_POINT(model.FMesh[0]->FVertex[0], 0, 0, 0);
    EXPECT_POINT(model.FMesh[0]->FVertex[1], 5, 5, 5);
    // Called directly, the skeleton comes from the named file, whatever FName holds.
    TGLAll3dsMesh direct;
    direct.FName = "elsewhere.3ds";
    direct.LoadMSAFromFile(path);
    ASSERT_EQ(direct.FNumSkeletons, 1);
    EXPECT_EQ(direct.FSkeleton[0]->FNumBones, 2);
    EXPECT_POINT(direct.FMesh[0]->FVertex[0], 0, 0, 0);
}

TEST(MS3DSkeleton, bones_zero_loads_no_skeleton_and_moves_nothing) {
    TempDir dir;
    std::string text = modelWithBones();
    text.replace(text.find("Bones: 2"), 8, "Bones: 0");
    text = text.substr(0, text.find("\"root\"")) + "\n";
    const std::string path = dir.write("still.txt", std::vector<uint8_t>(text.begin(), text.end()));
    TGLAll3dsMesh model;
    model.LoadFromFile(path);
    EXPECT_FALSE(model.FLoadSkeleton);
    EXPECT_EQ(model.FNumSkeletons, 0);
    EXPECT_POINT(model.FMesh[0]->FVertex[0], 1, 3, 3);
}

// ---- Hostile text ------------------------------------------------------------------------------

TEST(MS3DSkeletonHostile, every_cut_loads_or_fails_cleanly) {
    const std::string full = "Frames: 30\n" + twoBones + "\n";
    size_t failures = 0;
    for (size_t n = 0; n < full.size(); ++n) {
        Owned o;
        const std::string error = loadError(*o.skeleton, full.substr(0, n));
        if (!error.empty()) {
            ++failures;
            EXPECT_EQ(error.rfind("TGLSkeleton.LoadMSAFromStream: stream:", 0), 0u) << error;
        }
        EXPECT_EQ(static_cast<size_t>(o.skeleton->FNumBones), o.skeleton->FBone.size());
    }
    EXPECT_GT(failures, full.size() / 2);
}

TEST(MS3DSkeletonHostile, bad_counts_times_and_fields_name_the_line) {
    struct Case {
        std::string text;
        const char* message;
    };
    const std::string bone = "Bones: 1\n\"b\"\n\"\"\n0 0 0 0 0 0 0\n";
    const Case indexCases[] = {
        {"Bones: 60000\n\"b\"\n", "stream:1: 60000 bones cannot fit in the 4 bytes that follow"},
        {bone + "2000000000\n0 0 0 0\n", "stream:5: 2000000000 position keys of bone 'b' cannot fit"},
        {bone + "1\n1 2 3 4\n", "stream:6: the text ends before the rotation key count of bone 'b'"},
        {bone + "1\n1 2 3\n0\n\n", "stream:6: position key 1 of 1 of bone 'b' has 3 fields, 4 expected"},
        {"Bones: 1\n\"b\"\n\"\"\n0 0 0 0 0 0\n0\n0\n\n",
         "stream:4: the rest pose line of bone 'b' has 6 fields"},
    };
    for (const Case& c : indexCases) {
        Owned o;
        const std::string error = loadError<EIndexError>(*o.skeleton, c.text);
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
    const Case rangeCases[] = {
        {"Bones: 70000\n\n", "stream:1: 70000 bones exceed the 65536 a skeleton holds"},
        {"Bones: -1\n\n", "stream:1: negative bone count -1"},
        {bone + "-1\n0\n\n", "stream:5: the position key count of bone 'b' is negative: -1"},
        {bone + "1\n3e9 0 0 0\n0\n\n",
         "stream:6: position key 1 of 1 of bone 'b': time '3e9' is outside the 32-bit range"},
        {bone + "0\n1\n-2147483648.6 0 0 0\n\n", "time '-2147483648.6' is outside the 32-bit range"},
        {bone + "0\n1\n0 0 1e39 0\n\n",
         "field 2 of rotation key 1 of 1 of bone 'b' is beyond the single-precision range"},
    };
    for (const Case& c : rangeCases) {
        Owned o;
        const std::string error = loadError<ERangeError>(*o.skeleton, c.text);
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
    const Case convertCases[] = {
        {"Frames: many\n\n", "stream:1: the value of the 'Frames: ' header is not a 32-bit integer: 'many'"},
        {"Frame: 99999999999\n\n", "the value of the 'Frame: ' header is not a 32-bit integer"},
        {bone + "1\nnow 0 0 0\n0\n\n",
         "stream:6: field 0 of position key 1 of 1 of bone 'b' is not a real number: 'now'"},
        {bone + "x\n", "stream:5: the position key count of bone 'b' is not a 32-bit integer: 'x'"},
    };
    for (const Case& c : convertCases) {
        Owned o;
        const std::string error = loadError<EConvertError>(*o.skeleton, c.text);
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

TEST(MS3DSkeletonHostile, a_failed_walk_initialises_no_bone_and_keeps_what_was_made) {
    Owned o;
    EXPECT_NE(
        loadError(*o.skeleton, twoBones.substr(0, twoBones.find("\"child\"")) + "\"child\"\n\"root\"\nbad\n"),
        "");
    ASSERT_EQ(o.skeleton->FNumBones, 2);
    EXPECT_EQ(o.skeleton->FBone[1]->FName, "child");
    // The root was made but not initialised: its matrix is still the identity.
    EXPECT_POINT(TranslationOf(*o.skeleton->FBone[0]), 0, 0, 0);
    EXPECT_EQ(o.skeleton->FBone[1]->FParent, nullptr);
}

TEST(MS3DSkeletonHostile, unknown_parents_become_roots_and_file_errors_name_file_and_line) {
    Owned o;
    loadText(*o.skeleton, "Bones: 1\n\"b\"\n\"nobody\"\n0 4 5 6 0 0 0\n0\n0\n\n");
    EXPECT_EQ(o.skeleton->FBone[0]->FParent, nullptr);
    EXPECT_POINT(TranslationOf(*o.skeleton->FBone[0]), 4, 5, 6);

    TempDir dir;
    std::string text = modelWithBones();
    text.replace(text.find("30.0 0.0 0.0 1.570796"), 21, "30.0 0.0 0.0 one");
    const std::string path = dir.write("rig.txt", std::vector<uint8_t>(text.begin(), text.end()));
    TGLAll3dsMesh model;
    try {
        model.LoadFromFile(path);
        FAIL() << "loaded";
    } catch (const EConvertError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "TGLSkeleton.LoadMSAFromStream: " + path +
                      ":27: field 3 of rotation key 2 of 2 of bone 'root' is not a real "
                      "number: 'one'");
    }
    // The meshes stay loaded and unmoved; the skeleton stays owned with what it read.
    EXPECT_POINT(model.FMesh[0]->FVertex[0], 1, 3, 3);
    ASSERT_EQ(model.FNumSkeletons, 1);
    EXPECT_EQ(model.FSkeleton[0]->FNumBones, 1);
}

}  // namespace
