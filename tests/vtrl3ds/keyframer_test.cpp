// The 3DS keyframer: every mesh's posed vertices equal lib3ds's evaluation of the same file (real
// files with a keyframer and generated scenes), ease moves time within a stretch, the reading of
// nodes, tracks and segment, and hostile keyframers read within bounds with their repairs named.
#include <gtest/gtest.h>
#include <lib3ds/file.h>
#include <lib3ds/matrix.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>
#include <lib3ds/vector.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>

#include "keyframer_files.h"
#include "support/temp_dir.h"
#include "vtrl3ds/keyframer.h"
#include "vtrl3ds/model.h"

namespace {

// Posed vertices in the file's axes and units, per node (id and name).
using Posed = std::map<std::string, std::vector<T3dpoint>>;

Posed oursAt(const TGLAll3dsMesh& model, const TKeyframer& kf, float frame, bool ease) {
    Posed out;
    std::vector<T3dpoint> v;
    for (const TKfPlacement& p : PlaceMeshes(kf, model, frame, ease)) {
        PoseVertices(*model.FMesh[size_t(p.Mesh)], p.Matrix, v);
        const TKfNode& n = kf.Nodes[size_t(p.Node)];
        for (T3dpoint& q : v)
            q = {q.X / model.FMasterScale, q.Z / model.FMasterScale, q.Y / model.FMasterScale};
        out[std::to_string(n.Id) + n.Name] = v;
    }
    return out;
}

void lib3dsNodes(Lib3dsFile* file, Lib3dsNode* first, Posed& out) {
    for (Lib3dsNode* n = first; n; n = n->next) {
        lib3dsNodes(file, n->childs, out);
        Lib3dsMesh* mesh = n->type == LIB3DS_OBJECT_NODE ? lib3ds_file_mesh_by_name(file, n->name) : nullptr;
        if (!mesh) continue;
        Lib3dsMatrix inv, m;
        lib3ds_matrix_copy(inv, mesh->matrix);
        lib3ds_matrix_inv(inv);
        lib3ds_matrix_copy(m, n->matrix);
        const float* pivot = n->data.object.pivot;
        lib3ds_matrix_translate_xyz(m, -pivot[0], -pivot[1], -pivot[2]);
        lib3ds_matrix_mult(m, inv);
        std::vector<T3dpoint>& v = out[std::to_string(n->node_id) + n->name];
        for (Lib3dsDword i = 0; i < mesh->points; ++i) {
            Lib3dsVector q;
            lib3ds_vector_transform(q, m, mesh->pointL[i].pos);
            v.push_back({q[0], q[1], q[2]});
        }
    }
}

Posed lib3dsAt(Lib3dsFile* file, float frame) {
    lib3ds_file_eval(file, frame);
    Posed out;
    lib3dsNodes(file, file->nodes, out);
    return out;
}

// The scene's size: the diagonal of its vertices' box at rest.
float sceneSize(const Posed& p) {
    float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
    for (const auto& [key, v] : p)
        for (const T3dpoint& q : v) {
            const float c[3] = {q.X, q.Y, q.Z};
            for (int i = 0; i < 3; ++i) lo[i] = std::min(lo[i], c[i]), hi[i] = std::max(hi[i], c[i]);
        }
    return std::hypot(hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]);
}

// The largest distance between our posed vertices and lib3ds's, over every node both place.
float worstGap(const Posed& ours, const Posed& theirs, size_t& compared) {
    float worst = 0;
    for (const auto& [key, v] : theirs) {
        const auto it = ours.find(key);
        EXPECT_NE(it, ours.end()) << "node " << key << " placed by lib3ds only";
        if (it == ours.end() || it->second.size() != v.size()) continue;
        for (size_t i = 0; i < v.size(); ++i)
            worst = std::max(worst, std::hypot(v[i].X - it->second[i].X, v[i].Y - it->second[i].Y,
                                               v[i].Z - it->second[i].Z));
        ++compared;
    }
    return worst;
}

// Compares both evaluations of one file at several frames of its segment (from the first frame
// every track has a key at, where lib3ds gives the first key's value rather than the last's).
void expectSameAsLib3ds(const std::string& path) {
    SCOPED_TRACE(path);
    TGLAll3dsMesh model;
    model.Load3DSFromFile(path);
    const TKeyframer kf = ReadKeyframer(path);
    Lib3dsFile* file = lib3ds_file_load(path.c_str());
    ASSERT_NE(file, nullptr);
    int32_t start = kf.SegmentStart;
    for (const TKfNode& n : kf.Nodes)
        for (const TKfTrack* t : {&n.Position, &n.Rotation, &n.Scale})
            if (!t->Keys.empty()) start = std::max(start, t->Keys.front().Frame);
    const float size = std::max(sceneSize(lib3dsAt(file, float(start))), 1e-3f);
    size_t compared = 0;
    for (float part : {0.0f, 0.13f, 0.5f, 0.77f, 1.0f}) {
        const float frame = float(start) + part * float(std::max(kf.SegmentEnd - start, 0));
        EXPECT_LE(worstGap(oursAt(model, kf, frame, false), lib3dsAt(file, frame), compared), 1e-4f * size)
            << "frame " << frame;
    }
    EXPECT_GT(compared, 0u);
    lib3ds_file_free(file);
}

std::vector<std::string> realFilesWithKeyframer() {
    std::vector<std::string> files;
    for (const std::string& dir : {std::string(VTRL_TESTDATA_DIR) + "/real/3ds",
                                   std::string(VTRL_SOURCE_DIR) + "/../shared/testdata/real/3ds"}) {
        if (!std::filesystem::is_directory(dir)) continue;
        for (const auto& e : std::filesystem::directory_iterator(dir))
            if (e.path().extension() == ".3ds" &&
                std::none_of(files.begin(), files.end(), [&](const std::string& f) {
                    return std::filesystem::path(f).filename() == e.path().filename();
                })) {
                const TKeyframer kf = ReadKeyframer(e.path().string());
                if (std::any_of(kf.Nodes.begin(), kf.Nodes.end(), [](const TKfNode& n) {
                        return n.Type == TKfNodeType::Object && !n.IsDummy();
                    }))
                    files.push_back(e.path().string());
            }
    }
    return files;
}

TEST(Keyframer, poses_equal_lib3ds_on_real_files) {
    const std::vector<std::string> files = realFilesWithKeyframer();
    EXPECT_GE(files.size(), 2u);
    for (const std::string& f : files) expectSameAsLib3ds(f);
}

TEST(Keyframer, poses_equal_lib3ds_on_generated_scenes) {
    const struct {
        const char* name;
        std::vector<NodeSpec> nodes;
    } rows[] = {
        {"every_track", everyTrack(0)},
        {"every_track_looping", everyTrack(3)},
        {"deep_chain", deepChain()},
        {"instances", instances()},
    };
    TempDir dir;
    for (const auto& row : rows)
        expectSameAsLib3ds(dir.write(std::string(row.name) + ".3ds", keyframedScene({"Box"}, row.nodes)));
}

// Ease from the first key and ease to the second (both 1, so each takes half the stretch) bend
// time: a quarter of the way along the stretch plays what an eighth plays without ease.
TEST(Keyframer, ease_moves_time_within_a_stretch) {
    NodeSpec box{0, "Box"};
    box.pos = {{0, {0, 0, 0, 0, 1}, {0, 0, 0}}, {40, {0, 0, 0, 1, 0}, {8, 4, 2}}};
    box.rot = {{0, {0, 0, 0, 0, 1}, {0, 0, 0, 1}}, {40, {0, 0, 0, 1, 0}, {1.5f, 0, 1, 0}}};
    TempDir dir;
    const std::string path = dir.write("ease.3ds", keyframedScene({"Box"}, {box}));
    TGLAll3dsMesh model;
    model.Load3DSFromFile(path);
    const TKeyframer kf = ReadKeyframer(path);
    const struct { float frame, plays; } rows[] = {{10, 5}, {20, 20}, {30, 35}, {0, 0}, {40, 40}};
    for (const auto& r : rows) {
        size_t compared = 0;
        EXPECT_LE(worstGap(oursAt(model, kf, r.frame, true), oursAt(model, kf, r.plays, false), compared),
                  1e-5f)
            << r.frame;
        EXPECT_EQ(compared, 1u);
    }
}

TEST(Keyframer, reads_nodes_tracks_and_segment) {
    std::vector<NodeSpec> nodes = instances();
    nodes[2].rot = {{7, {0.25f, -0.5f, 0.75f, 0.1f, 0.2f}, {1.0f, 0, 0, 1}}};
    ChunkWriter w;
    w.chunk(MAIN3DS, [&] {
        w.chunk(KEYF3DS, [&] {
            w.chunk(KEYF_SEGMENT, [&] { w.u32(10).u32(90); });
            w.chunk(KEYF_CURTIME, [&] { w.u32(33); });
            for (const NodeSpec& n : nodes) node(w, n);
            node(w, NodeSpec{9, "Camera01"}, KEYF_CAMERADES);
            node(w, NodeSpec{10, "Camera01", 9}, KEYF_TARGETDES);
        });
    });
    TMemoryStream s(w.data.data(), w.data.size());
    const TKeyframer kf = ReadKeyframerFromStream(s);
    EXPECT_EQ(kf.SegmentStart, 10);
    EXPECT_EQ(kf.SegmentEnd, 90);
    EXPECT_EQ(kf.CurrentFrame, 33);
    ASSERT_EQ(kf.Nodes.size(), 6u);
    EXPECT_TRUE(kf.Warnings.empty());
    EXPECT_EQ(KfNodeTypeName(kf.Nodes[0]), "dummy");
    EXPECT_EQ(kf.Nodes[0].Instance, "Carrier");
    EXPECT_EQ(kf.Nodes[3].Parent, 0);
    EXPECT_EQ(kf.Nodes[3].Pivot.Z, 1.0f);
    EXPECT_EQ(kf.Nodes[3].Scale.Keys.size(), 1u);
    const TKfKey& k = kf.Nodes[2].Rotation.Keys.at(0);
    EXPECT_EQ(k.Frame, 7);
    EXPECT_EQ(std::vector<float>({k.Tension, k.Continuity, k.Bias, k.EaseTo, k.EaseFrom}),
              std::vector<float>({0.25f, -0.5f, 0.75f, 0.1f, 0.2f}));
    EXPECT_EQ(KfNodeTypeName(kf.Nodes[4]), "camera");
    EXPECT_EQ(KfNodeTypeName(kf.Nodes[5]), "camera target");
    EXPECT_EQ(kf.Nodes[5].Parent, 4);
    EXPECT_EQ(kf.Order.back(), 5);
}

// Hostile keyframers: each reads without throwing, the meshes load as they do without it, and
// the repair is named in the warnings (`warning` empty: none expected).
TEST(Keyframer, hostile_keyframers_are_read_within_bounds) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    auto one = [](NodeSpec n) { return std::vector<NodeSpec>{n}; };
    const struct {
        const char* name;
        std::vector<NodeSpec> nodes;
        const char* warning;
    } rows[] = {
        {"parent_loop",
         {NodeSpec{0, "Box", 2}, NodeSpec{1, "$$$DUMMY", 0, "X"}, NodeSpec{2, "$$$DUMMY", 1, "Y"}},
         "parent loops cut, these nodes made roots: 1 \"$$$DUMMY.X\""},
        {"own_parent", one(NodeSpec{4, "Box", 4}), "parent loops cut, these nodes made roots: 4 \"Box\""},
        {"missing_parent", one(NodeSpec{0, "Box", 77}),
         "parents naming no node, these nodes made roots: 0 \"Box\""},
        {"keys_out_of_order",
         one(NodeSpec{
             0, "Box", 0xFFFF, "", {}, {{50, {}, {1, 0, 0}}, {10, {}, {2, 0, 0}}, {10, {}, {3, 0, 0}}}}),
         "tracks with keys out of frame order"},
        {"not_finite",
         one(NodeSpec{0, "Box", 0xFFFF, "", {nan, 0, 0}, {{0, {nan, inf, 0, 0, 0}, {inf, 0, nan}}}}),
         "values that are not finite numbers"},
        {"zero_axis",
         one(NodeSpec{0, "Box", 0xFFFF, "", {}, {}, {{0, {}, {1, 0, 0, 0}}, {9, {}, {2, 0, 0, 0}}}}), ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<uint8_t> bytes = keyframedScene({"Box"}, row.nodes);
        TMemoryStream s(bytes.data(), bytes.size());
        const TKeyframer kf = ReadKeyframerFromStream(s);
        std::string all;
        for (const std::string& line : kf.Warnings) all += line + "\n";
        if (*row.warning)
            EXPECT_NE(all.find(row.warning), std::string::npos) << all;
        else
            EXPECT_TRUE(all.empty()) << all;
        EXPECT_EQ(kf.Order.size(), kf.Nodes.size());
        TGLAll3dsMesh model;
        loadBytes(model, bytes);
        ASSERT_EQ(model.FNumMeshes, 1);
        for (const TKfPlacement& p : PlaceMeshes(kf, model, 5.5f))
            for (float f : p.Matrix) EXPECT_TRUE(std::isfinite(f));
    }
}

// A key count far beyond its chunk, a keyframer cut short, and the looping file the differential
// fuzzer found: read within bounds, the repair named, the meshes loaded as before.
TEST(Keyframer, oversized_cut_and_fuzzed_keyframers) {
    ChunkWriter huge;
    huge.chunk(MAIN3DS, [&] {
        huge.chunk(KEYF3DS, [&] {
            huge.chunk(KEYF_OBJDES, [&] {
                huge.chunk(KEYF_POSTRACK, [&] {
                    huge.u16(0).u32(0).u32(0).u32(0x7FFFFFFF).u32(1).u16(0).f32(1).f32(2).f32(3);
                });
            });
        });
    });
    std::vector<uint8_t> cut = keyframedScene({"Box"}, everyTrack(0));
    cut.resize(cut.size() - 7);
    const std::string fuzzed =
        std::string(VTRL_SOURCE_DIR) + "/../shared/testdata/fuzz/lib3ds_node_parent_loop.3ds";
    std::vector<uint8_t> found;
    if (std::filesystem::exists(fuzzed)) {
        std::ifstream in(fuzzed, std::ios::binary);
        found.assign(std::istreambuf_iterator<char>(in), {});
    }
    const struct {
        const char* name;
        const std::vector<uint8_t>& bytes;
        const char* warning;
    } rows[] = {
        {"huge_key_count", huge.data, "key counts larger than their track chunk"},
        {"cut", cut, "chunks cut short"},
        {"fuzzed_parent_loop", found, "parent loops cut"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.bytes.empty()) continue;
        TMemoryStream s(row.bytes.data(), row.bytes.size());
        const TKeyframer kf = ReadKeyframerFromStream(s);
        ASSERT_FALSE(kf.Warnings.empty());
        std::string all;
        for (const std::string& line : kf.Warnings) all += line + "\n";
        EXPECT_NE(all.find(row.warning), std::string::npos) << all;
        TGLAll3dsMesh model;
        EXPECT_NO_THROW(loadBytes(model, row.bytes));
        EXPECT_NO_THROW(PlaceMeshes(kf, model, 1.5f));
    }
    EXPECT_FALSE(found.empty()) << fuzzed;
}

}  // namespace
