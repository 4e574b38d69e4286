// BVH motion files: the hierarchy (bones, parents, offsets, channel layouts, end sites, braces,
// keyword case), the motion (key times and values, columns by channel name), the decimal
// separator, hostile input with the exact error and line, and real files checked against the
// joint, frame and rotation values an independent reader (assimp) gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "build_model.h"
#include "load_checks.h"
#include "vtrl3ds/errors.h"
#include "vtrl3ds/locale.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/skeleton.h"
#include "vtrl3ds/stream.h"

namespace {

using vtrl3ds_internal::textToInt;
using vtrl3ds_internal::textToReal;

constexpr double radiansPerDegree = 3.14159265358979323846 / 180.0;

// ---- a BVH writer for edge cases

// One joint of a hierarchy to write; an end site when `endSite` is set.
struct J {
    std::string name;
    std::string offset = "0 0 0";
    std::string channels = "CHANNELS 3 Zrotation Xrotation Yrotation";
    std::vector<J> children = {};
    bool endSite = false;
};

void writeJoint(std::string& s, const J& j, int depth) {
    const std::string tabs(static_cast<size_t>(depth), '\t');
    s += tabs + (j.endSite ? "End Site" : (depth == 0 ? "ROOT " : "JOINT ") + j.name) + "\n" + tabs + "{\n";
    s += tabs + "\tOFFSET " + j.offset + "\n";
    if (!j.endSite && !j.channels.empty()) s += tabs + "\t" + j.channels + "\n";
    for (const J& c : j.children) writeJoint(s, c, depth + 1);
    s += tabs + "}\n";
}

// HIERARCHY with the root, then MOTION with the frame count and the motion lines.
std::string bvh(const J& root, int frames = 0, const std::vector<std::string>& lines = {}) {
    std::string s = "HIERARCHY\n";
    writeJoint(s, root, 0);
    s += "MOTION\nFrames: " + std::to_string(frames) + "\nFrame Time: 0.033333\n";
    for (const std::string& l : lines) s += l + "\n";
    return s;
}

const std::string rootXyzZxy = "CHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation Yrotation";

// Loads text as the stream of a skeleton named t.bvh (the name errors give).
void load(TGLSkeleton& s, const std::string& text) {
    s.FName = "t.bvh";
    TMemoryStream stream(text.data(), text.size());
    s.LoadBVHFromStream(stream);
}

// The error text of a load, or "" when it went through.
template <typename E = EModelError>
std::string loadError(const std::string& text) {
    TGLSkeleton s(nullptr);
    return ErrorOf<E>([&] { load(s, text); });
}

// ---- hierarchy

TEST(BvhHierarchy, root_with_positions_and_zxy_rotation_gets_layout_10_and_six_columns) {
    TGLSkeleton s(nullptr);
    load(s, bvh({"Hips", "1 2 3", rootXyzZxy, {{"Spine", "0 5 0"}}}, 1, {"10 20 30 90 45 -30 1 2 3"}));
    ASSERT_EQ(s.FNumBones, 2);
    const TGL3dsBone& hips = *s.FBone[0];
    EXPECT_EQ(hips.FBVHChannelType, 10);
    EXPECT_POINT(hips.FTranslateFrame[0].BVH_Value, 10, 20, 30);
    EXPECT_POINT(hips.FTranslateFrame[0].Value, 10, 20, 30);
    // Columns 4..6 are Z, X and Y.
    EXPECT_POINT(hips.FRotateFrame[0].BVH_Value, 45, -30, 90);
    EXPECT_POINT(hips.FRotateFrame[0].Value, 45 * radiansPerDegree, -30 * radiansPerDegree,
                 90 * radiansPerDegree);
    const TGL3dsBone& spine = *s.FBone[1];
    EXPECT_EQ(spine.FBVHChannelType, 8);
    EXPECT_POINT(spine.FRotateFrame[0].BVH_Value, 2, 3, 1);
}

TEST(BvhHierarchy, every_listed_channel_order_gets_its_code) {
    const struct {
        const char* channels;
        int32_t code;
    } cases[] = {{"3 Xrotation Yrotation Zrotation", 4},
                 {"3 Zrotation Xrotation Yrotation", 8},
                 {"3 Yrotation Zrotation Xrotation", 16},
                 {"3 Zrotation Yrotation Xrotation", 32},
                 {"3 Xrotation Zrotation Yrotation", 64},
                 {"3 Yrotation Xrotation Zrotation", 128},
                 {"6 xposition yposition zposition xrotation yrotation zrotation", 6},
                 {"6 Xposition Yposition Zposition Yrotation Xrotation Zrotation", 130},
                 {"3 Xposition Yposition Zposition", 2},
                 {"2 Xrotation Yrotation", 0},
                 {"0", 0}};
    for (const auto& c : cases) {
        TGLSkeleton s(nullptr);
        load(s, bvh({"Hips", "0 0 0", std::string("CHANNELS ") + c.channels}));
        EXPECT_EQ(s.FBone[0]->FBVHChannelType, c.code) << c.channels;
    }
}

TEST(BvhHierarchy, parents_follow_the_nesting_and_offsets_chain_into_matrices) {
    const J root = {
        "Hips",
        "1 2 3",
        rootXyzZxy,
        {{"LeftUpLeg",
          "3 0 0",
          "CHANNELS 3 Zrotation Xrotation Yrotation",
          {{"LeftLeg", "0 -4 0", "CHANNELS 3 Zrotation Xrotation Yrotation", {{"", "9 9 9", "", {}, true}}}}},
         {"RightUpLeg", "-3 0 0"}}};
    TGLSkeleton s(nullptr);
    load(s, bvh(root));
    ASSERT_EQ(s.FNumBones, 4);  // the end site makes no bone
    const char* parents[] = {"", "Hips", "LeftUpLeg", "Hips"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(s.FBone[i]->FParentName, parents[i]) << i;
    EXPECT_EQ(s.FBone[3]->FParent, s.FBone[0]);
    // The end site's offset changes nothing on the bone before it.
    EXPECT_POINT(s.FBone[2]->FTranslate, 0, -4, 0);
    EXPECT_POINT(s.FBone[2]->FRotate, 0, 0, 0);
    EXPECT_POINT(TranslationOf(*s.FBone[2]), 4, -2, 3);
    EXPECT_POINT(TranslationOf(*s.FBone[3]), -2, 2, 3);
    EXPECT_EQ(s.FNumFrames, 0);
    EXPECT_TRUE(s.FBone[0]->FRotateFrame.empty());
}

TEST(BvhHierarchy, keywords_match_in_any_case_and_only_as_the_first_word) {
    const std::string text =
        "hierarchy\nroot Hips\n{\n  offset 0 0 0\n  channels 3 zrotation xrotation yrotation\n"
        "  JoInT RootJointEnd Site Offset Motion Frames\n  {\n    OFFSET 1 0 0\n    CHANNELS 3 Zrotation "
        "Xrotation Yrotation\n"
        "    end site\n    {\n      offset 0 1 0\n    }\n  }\n}\nmotion\nframes: 1\nframe time: 0.1\n1 2 3 4 "
        "5 6\n";
    TGLSkeleton s(nullptr);
    load(s, text);
    ASSERT_EQ(s.FNumBones, 2);
    EXPECT_EQ(s.FBone[1]->FName, "RootJointEnd Site Offset Motion Frames");
    EXPECT_EQ(s.FBone[1]->FParentName, "Hips");
    EXPECT_POINT(s.FBone[1]->FTranslate, 1, 0, 0);
    EXPECT_POINT(s.FBone[1]->FRotateFrame[0].BVH_Value, 5, 6, 4);
}

TEST(BvhHierarchy, braces_may_share_a_line_with_their_header_or_each_other) {
    const std::string text =
        "HIERARCHY\nROOT Hips {\nOFFSET 0 0 0\nCHANNELS 0\nJOINT A {\nOFFSET 0 1 0\nEnd Site {\nOFFSET 0 0 "
        "0\n} }\n"
        "JOINT B\n{\nOFFSET 0 2 0\n}}\n";
    TGLSkeleton s(nullptr);
    load(s, text);
    ASSERT_EQ(s.FNumBones, 3);
    EXPECT_EQ(s.FBone[1]->FName, "A");
    EXPECT_EQ(s.FBone[2]->FParentName, "Hips");
}

TEST(BvhHierarchy, duplicate_names_keep_the_parent_the_nesting_gives) {
    const J root = {"Hips", "0 0 0", "", {{"Hand", "1 0 0"}, {"Hand", "10 0 0", "", {{"Finger", "0 1 0"}}}}};
    TGLSkeleton s(nullptr);
    load(s, bvh(root));
    ASSERT_EQ(s.FNumBones, 4);
    EXPECT_EQ(s.FBone[3]->FParent, s.FBone[2]);
    EXPECT_POINT(TranslationOf(*s.FBone[3]), 10, 1, 0);
}

TEST(BvhHierarchy, deep_nesting_is_walked_without_recursion) {
    constexpr int depth = 60000;
    std::string text = "HIERARCHY\nROOT J\n{\nOFFSET 0 1 0\n";
    for (int i = 1; i < depth; ++i) text += "JOINT J\n{\nOFFSET 0 1 0\n";
    text += std::string(depth, '}') + "\n";
    TGLSkeleton s(nullptr);
    load(s, text);
    ASSERT_EQ(s.FNumBones, depth);
    EXPECT_POINT(TranslationOf(*s.FBone[depth - 1]), 0, depth, 0);
}

// ---- motion

TEST(BvhMotion, first_line_is_frame_1_and_current_frame_ends_at_0) {
    TGLSkeleton s(nullptr);
    load(s, bvh({"Hips", "0 0 0", "CHANNELS 3 Xrotation Yrotation Zrotation"}, 2, {"1 2 3", "4 5 6"}));
    EXPECT_EQ(s.FNumFrames, 2);
    EXPECT_EQ(s.FCurrentFrame, 0);
    const TGL3dsBone& b = *s.FBone[0];
    EXPECT_EQ(b.FNumRotateFrames, 2);
    EXPECT_EQ(b.FNumTranslateFrames, 2);
    ASSERT_EQ(b.FRotateFrame.size(), 2u);
    EXPECT_EQ(b.FRotateFrame[0].Time, 1);
    EXPECT_EQ(b.FRotateFrame[1].Time, 2);
    EXPECT_POINT(b.FRotateFrame[1].BVH_Value, 4, 5, 6);
    // No position channels: the position keys stay zero, time included.
    EXPECT_EQ(b.FTranslateFrame[1].Time, 0);
    EXPECT_POINT(b.FTranslateFrame[1].BVH_Value, 0, 0, 0);
}

TEST(BvhMotion, columns_follow_channel_names_in_any_order) {
    // Rotations before positions on the root, positions on a joint, a channel the loader does not
    // know: every column still lands on its own channel and the later joints keep their columns.
    const J root = {
        "Hips",
        "0 0 0",
        "CHANNELS 6 Zrotation Xrotation Yrotation Xposition Yposition Zposition",
        {{"Arm", "0 0 0", "CHANNELS 7 Xposition Yposition Zposition Xrotation Yrotation Zrotation Xscale"},
         {"Leg", "0 0 0", "CHANNELS 3 Yrotation Zrotation Xrotation"}}};
    TGLSkeleton s(nullptr);
    load(s, bvh(root, 1, {"1 2 3 4 5 6  7 8 9 10 11 12 99  13 14 15"}));
    EXPECT_EQ(s.FBone[0]->FBVHChannelType, 8);  // the code only names the rotation order here
    EXPECT_POINT(s.FBone[0]->FRotateFrame[0].BVH_Value, 2, 3, 1);
    EXPECT_POINT(s.FBone[0]->FTranslateFrame[0].BVH_Value, 4, 5, 6);
    EXPECT_EQ(s.FBone[0]->FTranslateFrame[0].Time, 1);
    EXPECT_POINT(s.FBone[1]->FTranslateFrame[0].Value, 7, 8, 9);
    EXPECT_POINT(s.FBone[1]->FRotateFrame[0].BVH_Value, 10, 11, 12);
    EXPECT_POINT(s.FBone[2]->FRotateFrame[0].BVH_Value, 15, 13, 14);
}

TEST(BvhMotion, line_ends_and_blank_lines_do_not_change_the_result) {
    const std::string lf = bvh({"Hips", "1 2 3", rootXyzZxy}, 2, {"1 2 3 4 5 6", "7 8 9 10 11 12"});
    std::string crlf, cr, padded;
    for (char c : lf) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        cr += c == '\n' ? '\r' : c;
        padded += c == '\n' ? std::string(" \t\n  \n") : std::string(1, c);
    }
    for (const std::string& text : {lf, crlf, cr, padded, lf.substr(0, lf.size() - 1)}) {
        TGLSkeleton s(nullptr);
        load(s, text);
        ASSERT_EQ(s.FNumBones, 1);
        EXPECT_POINT(s.FBone[0]->FTranslate, 1, 2, 3);
        EXPECT_POINT(s.FBone[0]->FRotateFrame[1].BVH_Value, 11, 12, 10);
    }
}

TEST(BvhMotion, owning_model_is_marked_as_bvh_and_a_reload_starts_empty) {
    TGLAll3dsMesh model;
    auto* s = new TGLSkeleton(&model);
    load(*s, bvh({"A", "0 0 0", "", {{"B"}}}));
    load(*s, bvh({"C"}, 1, {"1 2 3"}));
    EXPECT_EQ(model.FType, Mesh3DSBVH);
    ASSERT_EQ(s->FNumBones, 1);
    EXPECT_EQ(s->FBone[0]->FName, "C");
    EXPECT_EQ(s->Components().size(), 3u);  // the bones of the first load stay owned
}

// ---- decimal separator

TEST(BvhNumbers, comma_separator_reads_commas_as_decimals_not_field_breaks) {
    const std::string text =
        bvh({"Hips", "1,5 -2,25 3", "CHANNELS 3 Xrotation Yrotation Zrotation"}, 1, {"0,5 1e1 -,25"});
    {
        SeparatorScope comma(',');
        TGLSkeleton s(nullptr);
        load(s, text);
        EXPECT_POINT(s.FBone[0]->FTranslate, 1.5f, -2.25f, 3);
        EXPECT_POINT(s.FBone[0]->FRotateFrame[0].BVH_Value, 0.5f, 10, -0.25f);
        // Files written with the point still load under the comma.
        TGLSkeleton points(nullptr);
        load(points, bvh({"Hips", "1.5 0 0"}));
        EXPECT_POINT(points.FBone[0]->FTranslate, 1.5f, 0, 0);
        EXPECT_EQ(loadError(bvh({"Hips", "1;5 0 0"})),
                  "LoadBVHFromStream: t.bvh:4: '1;5' is not a number (decimal separator ',')");
    }
    SeparatorScope point('.');
    // With the point, the commas split fields: the offset has five.
    EXPECT_EQ(loadError(text), "LoadBVHFromStream: t.bvh:4: OFFSET needs 3 numbers, found 5");
}

TEST(BvhNumbers, locale_separator_comes_from_the_named_locale_or_the_point) {
    EXPECT_EQ(LocaleDecimalSeparator("C"), '.');
    EXPECT_EQ(LocaleDecimalSeparator("xx_NOWHERE.UTF-8"), '.');
    const char user = LocaleDecimalSeparator("");
    EXPECT_TRUE(user == '.' || user == ',') << user;
}

TEST(BvhNumbers, real_and_integer_text_forms) {
    float v = 0;
    const struct {
        const char* text;
        float value;
    } good[] = {{"+1.5", 1.5f}, {"-.5", -0.5f}, {"5.", 5}, {" 1e3 ", 1000}, {"2.5E-1", 0.25f}, {"1e-50", 0}};
    for (const auto& g : good) {
        EXPECT_TRUE(textToReal(g.text, '.', v)) << g.text;
        EXPECT_EQ(v, g.value) << g.text;
    }
    for (const char* bad :
         {"", "-", ".", "1.5x", "1e", "1e+", "inf", "nan", "0x10", "1,5", "1e39", "--1", "1 2"})
        EXPECT_FALSE(textToReal(bad, '.', v)) << bad;
    int32_t n = 0;
    EXPECT_TRUE(textToInt(" +7 ", n));
    EXPECT_EQ(n, 7);
    EXPECT_TRUE(textToInt("-2147483648", n));
    EXPECT_EQ(n, INT32_MIN);
    for (const char* bad : {"2147483648", "1.0", "", "+", "-", "7a", "+-7"})
        EXPECT_FALSE(textToInt(bad, n)) << bad;
}

TEST(BvhNumbers, short_decimals_round_exactly_like_a_full_conversion) {
    // Up to seven digits with the separator anywhere: the short path must give the bits of
    // std::from_chars, with the point and with the comma.
    uint64_t state = 12345;
    for (int n = 0; n < 200000; ++n) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        const uint32_t mantissa = uint32_t(state >> 33) % 10000000u;
        const int decimals = int((state >> 20) % 8);
        std::string text = std::to_string(mantissa);
        if (decimals > 0) {
            if (text.size() <= size_t(decimals)) text.insert(0, size_t(decimals) - text.size() + 1, '0');
            text.insert(text.end() - decimals, '.');
        }
        if (state & 1) text.insert(text.begin(), '-');
        float expected = 0, point = 0, comma = 0;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        ASSERT_TRUE(textToReal(text, '.', point)) << text;
        ASSERT_EQ(std::bit_cast<uint32_t>(point), std::bit_cast<uint32_t>(expected)) << text;
        std::replace(text.begin(), text.end(), '.', ',');
        ASSERT_TRUE(textToReal(text, ',', comma)) << text;
        ASSERT_EQ(std::bit_cast<uint32_t>(comma), std::bit_cast<uint32_t>(expected)) << text;
    }
}

// Longer plain decimals go through a double quotient, which rounds to the right single unless it
// lies on a midpoint between two singles (then the full conversion decides): random ones up to
// fifteen digits, and every integer, half and quarter around 2^24 and 2^25 where midpoints are.
TEST(BvhNumbers, plain_decimals_up_to_fifteen_digits_round_like_a_full_conversion) {
    const auto check = [](const std::string& text) {
        float expected = 0, plain = 0;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        ASSERT_TRUE(textToReal(text, '.', plain)) << text;
        ASSERT_EQ(std::bit_cast<uint32_t>(plain), std::bit_cast<uint32_t>(expected)) << text;
    };
    uint64_t state = 99;
    for (int n = 0; n < 100000; ++n) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        std::string text = std::to_string((state >> 14) % 1000000000000000ull);
        const size_t decimals = (state >> 4) % 16;
        if (decimals > 0 && decimals < text.size())
            text.insert(text.end() - static_cast<ptrdiff_t>(decimals), '.');
        check((state & 1) ? "-" + text : text);
    }
    for (uint32_t v = (1u << 24) - 64; v < (1u << 24) + 64; ++v)
        for (const std::string& text :
             {std::to_string(v), std::to_string(2 * v + 1), std::to_string(v) + ".5",
              std::to_string(v) + ".25", std::to_string(v) + ".75"})
            check(text);
    // What the plain form takes, and what it leaves to the full conversion (0).
    float v = 0;
    const struct {
        const char* text;
        size_t taken;
    } forms[] = {{".5", 2},
                 {"5.", 2},
                 {"-0", 2},
                 {"1.5x", 3},
                 {"12 3", 2},
                 {"+1", 0},
                 {"-", 0},
                 {".", 0},
                 {"1e5", 0},
                 {"2.5E1", 0},
                 {"1234567890123456", 0}};
    for (const auto& f : forms)
        EXPECT_EQ(vtrl3ds_internal::plainDecimal(f.text, f.text + std::strlen(f.text), '.', v), f.taken)
            << f.text;
}

// ---- hostile input

TEST(BvhHostile, malformed_text_fails_naming_file_line_and_fact) {
    const struct {
        const char* what;
        std::string text;
        std::string error;
    } cases[] = {
        {"missing opening brace", "HIERARCHY\nROOT Hips\nOFFSET 0 0 0\n",
         "t.bvh:3: expected opening brace after ROOT Hips"},
        {"missing closing brace", "ROOT Hips\n{\nJOINT A\n{\n}\n",
         "t.bvh:5: the text ends inside the block of ROOT Hips (missing closing brace)"},
        {"header at the end", "ROOT Hips\n{\n}\nROOT B\n",
         "t.bvh:4: the text ends after ROOT B before its opening brace"},
        {"motion inside a block", "ROOT Hips\n{\nMOTION\n",
         "t.bvh:3: motion section inside the block of ROOT Hips (missing closing brace)"},
        {"stray closing brace", "ROOT Hips\n{\n}\n}\n", "t.bvh:4: closing brace without an open block"},
        {"stray opening brace", "ROOT Hips\n{\n{\n",
         "t.bvh:3: opening brace without a ROOT, JOINT or End Site before it"},
        {"joint outside root", "JOINT A\n{\n}\n", "t.bvh:1: JOINT outside any ROOT block"},
        {"root inside root", "ROOT A\n{\nROOT B\n", "t.bvh:3: ROOT inside the block of ROOT A"},
        {"joint in end site", "ROOT A\n{\nEnd Site\n{\nJOINT B\n", "t.bvh:5: JOINT inside an End Site block"},
        {"nameless joint", "ROOT\n", "t.bvh:1: ROOT without a name"},
        {"offset before root", "HIERARCHY\nOFFSET 0 0 0\n", "t.bvh:2: OFFSET outside a ROOT or JOINT block"},
        {"short offset", "ROOT A\n{\nOFFSET 1 2\n", "t.bvh:3: OFFSET needs 3 numbers, found 2"},
        {"second offset", "ROOT A\n{\nOFFSET 1 2 3\nOFFSET 1 2 3\n",
         "t.bvh:4: second OFFSET in the block of ROOT A"},
        {"channel count too large", "ROOT A\n{\nCHANNELS 2000000000 Xrotation\n",
         "t.bvh:3: CHANNELS declares 2000000000 channels but names 1"},
        {"channel count not a number", "ROOT A\n{\nCHANNELS x Xrotation\n",
         "t.bvh:3: 'x' is not a channel count"},
        {"unknown line", "ROOT A\n{\nSCALE 1 2 3\n", "t.bvh:3: unexpected 'SCALE 1 2 3' in the hierarchy"},
        {"frames without colon", "ROOT A\n{\n}\nMOTION\nFrames 2\n", "t.bvh:5: Frames line without a colon"},
        {"frames not a number", "ROOT A\n{\n}\nMOTION\nFrames: two\n", "t.bvh:5: 'two' is not a frame count"},
        {"negative frames", "ROOT A\n{\n}\nMOTION\nFrames: -1\n", "t.bvh:5: negative frame count -1"},
        {"frames on the last line", "ROOT A\n{\nCHANNELS 1 Xrotation\n}\nFrames: 1",
         "t.bvh:5: Frames: 1 frames of 1 channels cannot fit in the 0 bytes that follow"},
        {"frames of no channels", "ROOT A\n{\n}\nMOTION\nFrames: 1000\nFrame Time: 0.1\n",
         "t.bvh:5: Frames: 1000 frames of no channels need a line end each, but only 16 bytes follow"},
        {"second frames", "ROOT A\n{\n}\nMOTION\nFrames: 0\nFrames: 0\n", "t.bvh:6: second Frames line"},
        {"data before frames", "ROOT A\n{\n}\nMOTION\n1 2 3\n",
         "t.bvh:5: motion data before the Frames line"},
        {"keyword in motion", "ROOT A\n{\n}\nMOTION\nFrames: 0\nJOINT B\n",
         "t.bvh:6: unexpected 'JOINT B' in the motion section"},
    };
    for (const auto& c : cases) EXPECT_EQ(loadError(c.text), "LoadBVHFromStream: " + c.error) << c.what;
}

TEST(BvhHostile, motion_lines_must_match_the_declared_frames_and_channels) {
    const J root = {"Hips", "0 0 0", "CHANNELS 3 Xrotation Yrotation Zrotation"};
    EXPECT_EQ(loadError<ERangeError>(bvh(root, 2, {"1 2 3", "1 2 3", "1 2 3"})),
              "LoadBVHFromStream: t.bvh:12: more motion lines than the 2 frames declared");
    EXPECT_EQ(loadError<EStreamError>(bvh(root, 3, {"1 2 3"})),
              "LoadBVHFromStream: t.bvh:10: motion data ends after 1 of 3 frames");
    EXPECT_EQ(loadError<EIndexError>(bvh(root, 1, {"1 2"})),
              "LoadBVHFromStream: t.bvh:10: a frame needs 3 numbers, found 2");
    EXPECT_EQ(loadError<ERangeError>(bvh(root, 1, {"1 2 3 4"})),
              "LoadBVHFromStream: t.bvh:10: more than the 3 numbers of a frame");
    EXPECT_EQ(loadError<EConvertError>(bvh(root, 1, {"1 2.2.2 3"})),
              "LoadBVHFromStream: t.bvh:10: '2.2.2' is not a number (decimal separator '.')");
}

TEST(BvhHostile, huge_frame_count_in_a_tiny_file_fails_before_allocating) {
    const J root = {"Hips", "0 0 0", "CHANNELS 3 Xrotation Yrotation Zrotation"};
    TGLSkeleton s(nullptr);
    try {
        load(s, bvh(root, 2000000000, {"1 2 3"}));
        FAIL() << "accepted";
    } catch (const ERangeError& e) {
        EXPECT_STREQ(
            e.what(),
            "LoadBVHFromStream: t.bvh:8: Frames: 2000000000 frames of 3 channels cannot fit in the 27 "
            "bytes that follow");
    }
    // What was built stays owned, uninitialised and without keys.
    ASSERT_EQ(s.FNumBones, 1);
    EXPECT_TRUE(s.FBone[0]->FRotateFrame.empty());
    EXPECT_EQ(s.FNumFrames, 0);
    // A count that fits: six bytes of "1 2 3\n" per frame.
    EXPECT_EQ(loadError(bvh(root, 2, {"1 2 3", "4 5 6"})), "");
    // Joints without channels take no bytes of a frame; their keys are held to an allowance
    // (64 MiB and 64 bytes per byte of text): 20,001 joints of 100 frames would need 112 MB.
    std::string channelless = "ROOT A\n{\nCHANNELS 1 Xrotation\n";
    for (int i = 0; i < 20000; ++i) channelless += "JOINT B\n{\n}\n";
    channelless += "}\nMOTION\nFrames: 100\n";
    for (int i = 0; i < 100; ++i) channelless += "1\n";
    EXPECT_NE(
        loadError<ERangeError>(channelless).find("Frames: 100 frames of 20001 joints need 112005600 bytes"),
        std::string::npos);
}

// Joints without channels cost the motion lines nothing: a root of three channels with 40 such
// joints and three frames of three numbers loads, every joint with its three keys.
TEST(BvhHostile, joints_without_channels_do_not_bound_the_frames) {
    J root = {"Hips", "0 0 0", "CHANNELS 3 Xrotation Yrotation Zrotation"};
    for (int i = 0; i < 40; ++i) root.children.push_back(J{"J" + std::to_string(i), "0 1 0", ""});
    TGLSkeleton s(nullptr);
    load(s, bvh(root, 3, {"1 2 3", "4 5 6", "7 8 9"}));
    ASSERT_EQ(s.FNumBones, 41);
    EXPECT_EQ(s.FBone[0]->FRotateFrame[2].BVH_Value.Z, 9.0f);
    for (const TGL3dsBone* bone : s.FBone) {
        EXPECT_EQ(bone->FNumRotateFrames, 3);
        EXPECT_EQ(bone->FRotateFrame.size(), 3u);
        EXPECT_EQ(bone->FTranslateFrame.size(), 3u);
    }
}

TEST(BvhHostile, joint_count_is_bounded) {
    std::string text = "ROOT R\n{\n";
    for (int i = 1; i < MaxSkeletonBones; ++i) text += "JOINT J\n{\n}\n";
    EXPECT_EQ(loadError(text + "}\n"), "");
    EXPECT_EQ(
        loadError<ERangeError>(text + "JOINT J\n"),
        "LoadBVHFromStream: t.bvh:" + std::to_string(3 * MaxSkeletonBones) + ": more than 65536 joints");
}

// ---- real files, against what assimp 5.2 reads from them (joints = its animation channels,
// end sites = its other nodes, frames = its keys per channel; rotations as its 3x3 matrices)

std::string realFile(const char* name) {
    return std::string(VTRL_TESTDATA_DIR) + "/real/bvh/" + name;
}

// The axis sequence of a rotation-order code, first channel first.
std::string axesOf(int32_t code) {
    switch (code & ~ChannelTypeTranslate) {
        case ChannelTypeRXYZ:
            return "XYZ";
        case ChannelTypeRZXY:
            return "ZXY";
        case ChannelTypeRYZX:
            return "YZX";
        case ChannelTypeRZYX:
            return "ZYX";
        case ChannelTypeRXZY:
            return "XZY";
        case ChannelTypeRYXZ:
            return "YXZ";
    }
    return "";
}

using M3 = std::array<std::array<double, 3>, 3>;

M3 axisRotation(char axis, double a) {
    const double c = std::cos(a), s = std::sin(a);
    if (axis == 'X') return {{{1, 0, 0}, {0, c, -s}, {0, s, c}}};
    if (axis == 'Y') return {{{c, 0, s}, {0, 1, 0}, {-s, 0, c}}};
    return {{{c, -s, 0}, {s, c, 0}, {0, 0, 1}}};
}

M3 times(const M3& a, const M3& b) {
    M3 r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) r[i][j] += a[i][k] * b[k][j];
    return r;
}

// The rotation of a key as the channels compose it: the first channel's axis outermost.
M3 keyRotation(const TGL3dsBone& b, size_t frame) {
    const T3dpoint& v = b.FRotateFrame[frame].Value;
    M3 m = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    for (char axis : axesOf(b.FBVHChannelType))
        m = times(m, axisRotation(axis, axis == 'X' ? v.X : axis == 'Y' ? v.Y : v.Z));
    return m;
}

void expectRotation(const TGLSkeleton& s, const char* joint, size_t frame, const M3& expected) {
    const TGL3dsBone* b = s.GetBoneByName(joint);
    ASSERT_NE(b, nullptr) << joint;
    const M3 m = keyRotation(*b, frame);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(m[i][j], expected[i][j], 2e-6) << joint << " " << i << j;
}

TEST(BvhReal, joints_frames_and_keys_match_an_independent_reader) {
    const struct {
        const char* file;
        int32_t joints, frames, endSites;
    } files[] = {{"cmu_12_01_walk.bvh", 31, 524, 7},
                 {"pybvh_test2_yxz.bvh", 23, 61, 5},
                 {"pybvh_test3_mixed_orders.bvh", 60, 100, 13},
                 {"rotation_first_root.bvh", 4, 4, 2}};
    for (const auto& f : files) {
        TGLSkeleton s(nullptr);
        s.LoadFromFile(realFile(f.file));
        EXPECT_EQ(s.FNumBones, f.joints) << f.file;
        EXPECT_EQ(s.FNumFrames, f.frames) << f.file;
        EXPECT_EQ(s.FBone.back()->FNumRotateFrames, f.frames) << f.file;
        EXPECT_EQ(s.FBone.back()->FRotateFrame.back().Time, f.frames) << f.file;
    }
}

TEST(BvhReal, mocap_walk_with_mixed_line_ends) {
    TGLSkeleton s(nullptr);
    s.LoadFromFile(realFile("cmu_12_01_walk.bvh"));
    EXPECT_EQ(s.FBone[0]->FBVHChannelType, 34);
    EXPECT_POINT(s.FBone[0]->FTranslateFrame[300].Value, 0.2992f, 16.0002f, 14.2815f);
    expectRotation(s, "Hips", 300,
                   {{{0.9954909, -0.0941527, 0.0115351},
                     {0.0937913, 0.9951796, 0.0286484},
                     {-0.0141768, -0.0274374, 0.9995230}}});
    // The last joint of the file: every column before it was counted right.
    expectRotation(s, "RThumb", 300,
                   {{{0.9555836, -0.2604034, -0.1380223},
                     {0.2256632, 0.9477089, -0.2256634},
                     {0.1895684, 0.1844937, 0.9643785}}});
    EXPECT_POINT(TranslationOf(*s.GetBoneByName("Spine")), -0.11002f, 1.82513f, -0.30878f);
}

TEST(BvhReal, per_joint_channel_orders) {
    TGLSkeleton s(nullptr);
    s.LoadFromFile(realFile("pybvh_test3_mixed_orders.bvh"));
    EXPECT_EQ(s.GetBoneByName("LeftForeArm")->FBVHChannelType, ChannelTypeRYZX);
    EXPECT_EQ(s.GetBoneByName("LeftHandThumb1")->FBVHChannelType, ChannelTypeRYXZ);
    EXPECT_EQ(s.GetBoneByName("LeftShoulder")->FBVHChannelType, ChannelTypeRZYX);
    expectRotation(s, "LeftForeArm", 50,
                   {{{0.9005966, -0.1743074, -0.3981742},
                     {0.0000000, 0.9160677, -0.4010238},
                     {0.4346559, 0.3611607, 0.8250074}}});
    expectRotation(s, "LeftHandThumb1", 50,
                   {{{0.9872500, 0.1147984, -0.1102665},
                     {-0.1591695, 0.7187922, -0.6767591},
                     {0.0015678, 0.6856815, 0.7279000}}});
    expectRotation(s, "LeftShoulder", 50,
                   {{{0.9478344, 0.1632510, 0.2737867},
                     {-0.1697363, 0.9854895, -0.0000009},
                     {-0.2698140, -0.0464707, 0.9617904}}});
    EXPECT_POINT(s.GetBoneByName("LeftHandThumb1")->FTranslate, 0.06496f, -0.29527f, 0.3753f);
}

TEST(BvhReal, root_listing_rotations_before_positions) {
    TGLSkeleton s(nullptr);
    s.LoadFromFile(realFile("rotation_first_root.bvh"));
    EXPECT_POINT(s.FBone[0]->FTranslateFrame[2].Value, 12, 52, -18);
    expectRotation(s, "Hips", 2,
                   {{{0.9902767, -0.1218508, 0.0671148},
                     {0.1203642, 0.9923950, 0.0257813},
                     {-0.0697459, -0.0174524, 0.9974121}}});
    expectRotation(s, "LeftLeg", 2,
                   {{{0.9726831, -0.1715103, 0.1564345},
                     {0.1933990, 0.9714431, -0.1374597},
                     {-0.1283914, 0.1639590, 0.9780762}}});
    EXPECT_POINT(TranslationOf(*s.GetBoneByName("LeftLeg")), 2, -8, 0);
}

}  // namespace
