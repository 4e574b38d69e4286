// glTF export: smoothing-group normals, 3DS placement (pivot back, master scale, Z-up turned to
// Y-up, counter-clockwise faces), 3DS keyframer scenes, materials, texture maps and the files
// written. Outside readers
// (validator, three.js, a browser) judge the real files in tests/gltf.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>
#include <tuple>

#include "build_model.h"
#include "keyframer_files.h"
#include "support/temp_dir.h"
#include "vtrl3ds/errors.h"
#include "vtrl3ds/gltf.h"
#include "vtrl3ds/keyframer.h"
#include "vtrl3ds/normals.h"
#include "vtrl3ds/stream.h"
#include "vtrl3ds/private/gltfbuild.h"
#include "vtrl3ds/private/keyframing.h"
#include "vtrl3ds/vector.h"
#include "support/files3ds.h"

namespace {

using V3 = std::array<float, 3>;

V3 cross(const V3& a, const V3& b, const V3& c) {
    const V3 u{b[0] - a[0], b[1] - a[1], b[2] - a[2]}, v{c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    return {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
}

// Warnings the export printed, collected.
struct Collect {
    std::vector<std::string> lines;
    TGltfOptions options() {
        TGltfOptions o;
        o.Warn = [this](const std::string& l) { lines.push_back(l); };
        return o;
    }
};

// A roof: two triangles meeting at a ridge along X at a right angle, sharing vertices 0 and 1.
TGLAll3dsMesh* roof(TGLAll3dsMesh& model, uint32_t groupA, uint32_t groupB) {
    TGL3dsMesh* m = addMesh(model, {{0, 0, 0}, {1, 0, 0}, {0, -1, 1}, {0, -1, -1}}, {0, 1, 2, 1, 0, 3});
    m->FSmoothingGroup = {groupA, groupB};
    return &model;
}

// Every node's world matrix with the animated nodes at key k of their channels.
std::vector<TKfMatrix> worldAt(const TGltfScene& s, size_t k) {
    std::vector<TKfLocalPose> local(s.Nodes.size());
    for (size_t i = 0; i < s.Nodes.size(); ++i) {
        const TGltfNode& n = s.Nodes[i];
        local[i] = {{n.Translation[0], n.Translation[1], n.Translation[2]},
                    n.Rotation,
                    {n.Scale[0], n.Scale[1], n.Scale[2]},
                    false};
    }
    for (const TGltfChannel& c : s.Animations.at(0).Channels) {
        TKfLocalPose& l = local[size_t(c.Node)];
        const float* v = c.Values.data() + k * (c.Path == TGltfChannel::TPath::Rotation ? 4 : 3);
        if (c.Path == TGltfChannel::TPath::Rotation)
            l.Rotation = {v[0], v[1], v[2], v[3]};
        else
            (c.Path == TGltfChannel::TPath::Scale ? l.Scale : l.Translation) = {v[0], v[1], v[2]};
    }
    std::vector<TKfMatrix> world(s.Nodes.size());
    std::function<void(int32_t, const TKfMatrix&)> walk = [&](int32_t i, const TKfMatrix& parent) {
        world[size_t(i)] =
            vtrl3ds_internal::kfMultiply(parent, vtrl3ds_internal::kfCompose(local[size_t(i)]));
        for (int32_t c : s.Nodes[size_t(i)].Children) walk(c, world[size_t(i)]);
    };
    for (int32_t r : s.Roots) walk(r, vtrl3ds_internal::kfCompose({}));
    return world;
}

// The largest distance from a point of a to the nearest of b.
float farthestNearest(const std::vector<V3>& a, const std::vector<V3>& b) {
    float worst = 0;
    for (const V3& p : a) {
        float best = INFINITY;
        for (const V3& q : b) best = std::min(best, std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]));
        worst = std::max(worst, best);
    }
    return worst;
}

V3 moved(const TKfMatrix& m, const V3& p) {
    return {m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12], m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13],
            m[2] * p[0] + m[6] * p[1] + m[10] * p[2] + m[14]};
}

}  // namespace

// A 3DS keyframer scene exported: each mesh node's world matrix moves its mesh onto the vertices
// the library poses (turned to Y-up, times the scale asked) at the segment's frames, keyed at
// frame / fps: every track with TCB, a deep chain, instances sharing one mesh, a mirrored mesh.
TEST(GltfExport, keyframer_meshes_land_where_the_library_poses_them) {
    const struct {
        const char* name;
        std::vector<NodeSpec> nodes;
        bool mirrored;
    } rows[] = {{"every_track", everyTrack(0), false},
                {"looping", everyTrack(3), false},
                {"deep_chain", deepChain(), false},
                {"instances", instances(), false},
                {"mirrored", instances(), true}};
    TempDir dir;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TGLAll3dsMesh model;
        model.Load3DSFromFile(dir.write(std::string(row.name) + ".3ds",
                                        keyframedScene({"Box"}, row.nodes, turnedFrame(row.mirrored))));
        TGltfOptions o;
        o.Scale = 2;
        o.FramesPerSecond = 10;
        const TGltfScene s = BuildGltfScene(model, o);
        ASSERT_EQ(s.Meshes.size(), 1u);
        ASSERT_EQ(s.Animations.size(), 1u);
        EXPECT_FLOAT_EQ(s.Animations[0].Channels[0].Times.at(37), 3.7f);
        const TKeyframer kf = ReadKeyframerOf(model);
        for (int frame : {0, 37, 100}) {
            std::vector<V3> theirs, ours;
            std::vector<T3dpoint> v;
            const std::vector<TKfPlacement> placements = PlaceMeshes(kf, model, float(frame));
            for (const TKfPlacement& p : placements) {
                PoseVertices(*model.FMesh[size_t(p.Mesh)], p.Matrix, v);
                for (uint16_t i : model.FMesh[size_t(p.Mesh)]->FIndices)  // the corners of its triangles
                    theirs.push_back({2 * v[i].X, 2 * v[i].Y, -2 * v[i].Z});
            }
            const std::vector<TKfMatrix> world = worldAt(s, size_t(frame));
            size_t placed = 0;
            for (size_t n = 0; n < s.Nodes.size(); ++n)
                if (s.Nodes[n].Mesh >= 0 && ++placed)
                    for (const V3& p : s.Meshes[size_t(s.Nodes[n].Mesh)].Positions)
                        ours.push_back(moved(world[n], p));
            EXPECT_EQ(placed, placements.size());
            EXPECT_LE(std::max(farthestNearest(ours, theirs), farthestNearest(theirs, ours)), 1e-3f) << frame;
        }
    }
}

// A segment of two billion frames keeps a bounded number of keys (the fuzz target checks that
// they stay finite and increasing); one that ends before it starts has none.
TEST(GltfExport, keyframer_segments_beyond_reason_stay_bounded) {
    TGLAll3dsMesh model;
    const std::vector<uint8_t> bytes = keyframedScene({"Box"}, everyTrack(0));
    loadBytes(model, bytes);
    TMemoryStream stream(bytes.data(), bytes.size());
    TKeyframer kf = ReadKeyframerFromStream(stream);
    for (const auto& [end, keys] : {std::pair{0x7FFFFFFF, ((1u << 20) / 3) * 3}, std::pair{-5, 0u}}) {
        kf.SegmentEnd = end;
        size_t total = 0;
        for (const TGltfAnimation& a : BuildGltfScene(model, kf, {}).Animations)
            for (const TGltfChannel& c : a.Channels) total += c.Times.size();
        EXPECT_EQ(total, keys) << end;
    }
}

// Faces sharing a group bit share one normal at their common corners; group 0 or no common bit
// keeps each face's own.
TEST(SmoothingGroupNormals, shared_bits_smooth_and_group_zero_stays_flat) {
    struct Row {
        uint32_t a, b;
        bool smooth;
    } rows[] = {{1, 1, true}, {3, 2, true}, {1, 2, false}, {0, 0, false}, {1, 0, false}};
    for (const Row& r : rows) {
        TGLAll3dsMesh model;
        roof(model, r.a, r.b);
        const std::vector<T3dpoint> n = SmoothingGroupNormals(*model.FMesh[0]);
        ASSERT_EQ(n.size(), 6u);
        const T3dpoint faceA = CalcNormalVector(model.FMesh[0]->FVertex[0], model.FMesh[0]->FVertex[1],
                                                model.FMesh[0]->FVertex[2]);
        const bool same =
            std::abs(n[0].X - n[4].X) + std::abs(n[0].Y - n[4].Y) + std::abs(n[0].Z - n[4].Z) < 1e-6f;
        EXPECT_EQ(same, r.smooth) << r.a << " " << r.b;
        if (!r.smooth) EXPECT_POINT(n[0], faceA.X, faceA.Y, faceA.Z);
        EXPECT_POINT(n[2], faceA.X, faceA.Y, faceA.Z);  // a corner no other face touches
        EXPECT_NEAR(std::hypot(n[0].X, n[0].Y, n[0].Z), 1.0f, 1e-6f);
    }
}

// A fan of two thin faces and one wide face around vertex 0: the wide face's angle weighs more.
TEST(SmoothingGroupNormals, weights_are_corner_angles) {
    TGLAll3dsMesh model;
    TGL3dsMesh* m = addMesh(model, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {0, 1, 2, 0, 3, 1});
    m->FSmoothingGroup = {1, 1};
    const std::vector<T3dpoint> n = SmoothingGroupNormals(*m);
    // Both corners at vertex 0 are right angles: equal weights, the bisector of the two normals.
    EXPECT_NEAR(std::abs(n[0].Y), std::abs(n[0].Z), 1e-6f);
    EXPECT_NEAR(n[0].X, 0.0f, 1e-6f);
}

// Two faces meet at vertex 0 along the X axis, one flat in XY with angle a there, one flat in XZ
// with angle b: the smooth normal there weighs their normals a to b. Two faces of their own make
// a four that the four-lane walk takes; a fifth face naming a missing vertex sends the same mesh
// face by face, which must give the same bits.
TEST(SmoothingGroupNormals, corner_angles_weigh_alike_four_at_a_time_and_face_by_face) {
    const float rows[][2] = {{30, 120}, {90, 10}, {150, 45}, {1, 179}};
    for (const auto& r : rows) {
        const float a = r[0] * 3.14159265f / 180, b = r[1] * 3.14159265f / 180;
        TGLAll3dsMesh model;
        TGL3dsMesh* m = addMesh(model,
                                {{0, 0, 0},
                                 {1, 0, 0},
                                 {std::cos(a), std::sin(a), 0},
                                 {std::cos(b), 0, std::sin(b)},
                                 {5, 5, 5},
                                 {6, 5, 5},
                                 {5, 6, 5}},
                                {0, 1, 2, 0, 3, 1, 4, 5, 6, 4, 6, 5});
        m->FSmoothingGroup = {1, 1, 2, 2};
        const std::vector<T3dpoint> four = SmoothingGroupNormals(*m);
        EXPECT_NEAR(std::abs(four[0].Z) / std::abs(four[0].Y), a / b, 2e-5f * a / b) << r[0] << " " << r[1];
        m->FIndices.insert(m->FIndices.end(), {0, 1, 7});
        m->FNumIndices += 3;
        m->FSmoothingGroup.push_back(1);
        const std::vector<T3dpoint> single = SmoothingGroupNormals(*m);
        EXPECT_EQ(std::memcmp(four.data(), single.data(), four.size() * sizeof(T3dpoint)), 0)
            << r[0] << " " << r[1];
    }
}

// A vertex whose faces all have the same groups is summed face by face, one whose faces differ
// (3 beside 1) from the faces around it: where the same faces count, the two agree bit for bit,
// a face naming the vertex twice (weighed twice by its first corner there) included.
TEST(SmoothingGroupNormals, same_and_different_groups_sum_alike) {
    TGLAll3dsMesh model;
    TGL3dsMesh* m =
        addMesh(model, {{0, 0, 0}, {1, 0.2f, 0}, {0, 1, 0.3f}, {0.1f, 0, 1}}, {0, 1, 2, 0, 3, 1, 0, 0, 2});
    m->FSmoothingGroup = {1, 1, 1};
    const std::vector<T3dpoint> same = SmoothingGroupNormals(*m);
    m->FSmoothingGroup = {3, 1, 1};
    const std::vector<T3dpoint> different = SmoothingGroupNormals(*m);
    ASSERT_EQ(same.size(), 9u);
    EXPECT_EQ(std::memcmp(same.data(), different.data(), 9 * sizeof(T3dpoint)), 0);
    EXPECT_EQ(std::memcmp(&same[0], &same[3], sizeof(T3dpoint)), 0) << "vertex 0 has one normal";
}

// A 3DS triangle stored (0,0,0), (2,0,0), (0,3,0) with Z up comes out at (x, z, -y),
// counter-clockwise seen from its normal, which points up.
// A mapped grid of n by n cells at height z, its rows in two smoothing-group bands with one flat
// row between.
void gridMesh(TGLAll3dsMesh& model, int n, float z) {
    std::vector<T3dpoint> points;
    std::vector<uint16_t> corners;
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) points.push_back({float(i), float(j), z + 0.01f * float((i * j) % 7)});
    TGL3dsMesh* m = addMesh(model, points, {});
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const auto at = [&](int di, int dj) { return uint16_t((j + dj) * (n + 1) + i + di); };
            m->FIndices.insert(m->FIndices.end(),
                               {at(0, 0), at(1, 0), at(1, 1), at(0, 0), at(1, 1), at(0, 1)});
            const uint32_t groups = j == n / 3 ? 0u : j < n / 2 ? 1u : 2u;
            m->FSmoothingGroup.insert(m->FSmoothingGroup.end(), {groups, groups});
        }
    m->FNumIndices = int32_t(m->FIndices.size());
    for (const T3dpoint& p : points) m->FMapping.push_back({p.X / float(n), p.Y / float(n)});
}

// A random mesh of `faces` triangles over 14 vertices, some naming a vertex twice, with groups
// drawn from a few values (0 among them) for all faces but the last three.
TGL3dsMesh* randomMesh(TGLAll3dsMesh& model, uint32_t seed, size_t faces) {
    uint32_t state = seed;
    const auto next = [&] { return (state = state * 1664525u + 1013904223u) >> 8; };
    std::vector<T3dpoint> points;
    for (int i = 0; i < 14; ++i)
        points.push_back(
            {float(next() % 1000) / 250, float(next() % 1000) / 250, float(next() % 1000) / 250});
    std::vector<uint16_t> corners;
    for (size_t f = 0; f < 3 * faces; ++f) corners.push_back(uint16_t(next() % 14));
    TGL3dsMesh* m = addMesh(model, points, corners);
    const uint32_t groups[] = {0, 1, 1, 2, 3, 4, 6, 0x80000000u};
    for (size_t f = 0; f + 3 < faces; ++f) m->FSmoothingGroup.push_back(groups[next() % 8]);
    return m;
}

// The corner normal as defined, in double precision: group 0 the face's normal; else the sum over
// the faces sharing a group bit, each once per corner naming the vertex, weighted by the angle at
// the first of those corners, normalised.
T3dpoint referenceNormal(const TGL3dsMesh& m, size_t f, size_t k) {
    const auto groupsOf = [&](size_t g) { return g < m.FSmoothingGroup.size() ? m.FSmoothingGroup[g] : 0u; };
    const auto at = [&](size_t g, size_t c) { return m.FVertex[m.FIndices[3 * g + c]]; };
    if (groupsOf(f) == 0) return CalcNormalVector(at(f, 0), at(f, 1), at(f, 2));
    const uint16_t v = m.FIndices[3 * f + k];
    double sum[3] = {0, 0, 0};
    for (size_t g = 0; g < m.FIndices.size() / 3; ++g) {
        if ((groupsOf(g) & groupsOf(f)) == 0) continue;
        const T3dpoint n = CalcNormalVector(at(g, 0), at(g, 1), at(g, 2));
        for (size_t c = 0; c < 3; ++c) {
            if (m.FIndices[3 * g + c] != v) continue;
            size_t first = 0;
            while (m.FIndices[3 * g + first] != v) ++first;
            const T3dpoint p = at(g, first), q = at(g, (first + 1) % 3), r = at(g, (first + 2) % 3);
            const double u[3] = {q.X - p.X, q.Y - p.Y, q.Z - p.Z}, w[3] = {r.X - p.X, r.Y - p.Y, r.Z - p.Z};
            const double cx = u[1] * w[2] - u[2] * w[1], cy = u[2] * w[0] - u[0] * w[2],
                         cz = u[0] * w[1] - u[1] * w[0];
            const double angle =
                std::atan2(std::sqrt(cx * cx + cy * cy + cz * cz), u[0] * w[0] + u[1] * w[1] + u[2] * w[2]);
            sum[0] += angle * n.X, sum[1] += angle * n.Y, sum[2] += angle * n.Z;
        }
    }
    const double l = std::sqrt(sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2]);
    return l > 0 ? T3dpoint{float(sum[0] / l), float(sum[1] / l), float(sum[2] / l)} : T3dpoint{0, 0, 0};
}

// Random meshes (four faces at a time and face by face, groups shared, disjoint and mixed at one
// vertex, vertices named twice, faces past the groups' end) against the definition; each mesh's
// glTF vertices then carry those normals corner by corner, one vertex per vertex and normal.
TEST(SmoothingGroupNormals, random_meshes_follow_the_definition_and_the_export_splits_by_them) {
    for (const auto& [seed, faces] :
         std::vector<std::pair<uint32_t, size_t>>{{1, 9}, {2, 23}, {3, 40}, {4, 61}}) {
        TGLAll3dsMesh model;
        model.FType = Mesh3DS;
        const TGL3dsMesh& m = *randomMesh(model, seed, faces);
        const std::vector<T3dpoint> normals = SmoothingGroupNormals(m);
        std::set<std::tuple<uint16_t, uint32_t, uint32_t, uint32_t>> pairs;  // vertex and normal's bits
        for (size_t c = 0; c < normals.size(); ++c) {
            const T3dpoint r = referenceNormal(m, c / 3, c % 3);
            EXPECT_NEAR(normals[c].X, r.X, 2e-5f) << seed << " corner " << c;
            EXPECT_NEAR(normals[c].Y, r.Y, 2e-5f) << seed << " corner " << c;
            EXPECT_NEAR(normals[c].Z, r.Z, 2e-5f) << seed << " corner " << c;
            uint32_t bits[3];
            std::memcpy(bits, &normals[c], sizeof bits);
            pairs.insert({m.FIndices[c], bits[0], bits[1], bits[2]});
        }
        const TGltfScene s = BuildGltfScene(model, {});
        ASSERT_EQ(s.Meshes.size(), 1u);
        const TGltfMesh& out = s.Meshes[0];
        const std::vector<uint32_t>& i = out.Primitives.at(0).Indices;
        ASSERT_EQ(i.size(), normals.size());
        std::set<uint32_t> used(i.begin(), i.end());
        EXPECT_EQ(used.size(), out.Positions.size()) << seed;
        for (size_t c = 0; c < i.size(); ++c) {
            const T3dpoint& n = normals[c];
            const bool zero = n.X == 0 && n.Y == 0 && n.Z == 0;  // a face without area: (0, 1, 0)
            const V3 expected = zero ? V3{0, 1, 0} : V3{n.X, n.Y, -n.Z};
            EXPECT_EQ(out.Normals[i[c]], expected) << seed << " corner " << c;
        }
        EXPECT_EQ(out.Positions.size(), pairs.size()) << seed << ": one vertex per vertex and normal";
    }
}

// A model large enough has its meshes made side by side on every core; each comes out as it does
// made alone, on one thread.
TEST(GltfExport, meshes_made_side_by_side_equal_meshes_made_alone) {
    TGLAll3dsMesh both;
    both.FType = Mesh3DS;
    gridMesh(both, 80, 0), gridMesh(both, 80, 1);  // 25,600 triangles
    const TGltfScene s = BuildGltfScene(both, {});
    ASSERT_EQ(s.Meshes.size(), 2u);
    for (size_t m = 0; m < 2; ++m) {
        TGLAll3dsMesh one;
        one.FType = Mesh3DS;
        gridMesh(one, 80, float(m));
        const TGltfScene alone = BuildGltfScene(one, {});
        ASSERT_EQ(alone.Meshes.size(), 1u);
        EXPECT_EQ(alone.Meshes[0].Positions, s.Meshes[m].Positions) << m;
        EXPECT_EQ(alone.Meshes[0].Normals, s.Meshes[m].Normals) << m;
        EXPECT_EQ(alone.Meshes[0].Primitives[0].Indices, s.Meshes[m].Primitives[0].Indices) << m;
        EXPECT_GT(alone.Meshes[0].Positions.size(), 81u * 81u) << "the flat row and the bands split vertices";
    }
}

// WriteGltf makes its scene only to write it (16-bit indices, the vertices in one array, each
// mesh's box taken on its core): its .glb and .gltf hold the bytes the scene description gives.
// Rows: bands of groups over two meshes made side by side, flat faces past 65,535 vertices (32-bit
// indices after all), a box whose faces touch -0 and +0, a model without groups and with material
// ids beyond its materials.
TEST(GltfExport, written_files_hold_the_scene_descriptions_bytes) {
    const std::vector<std::pair<const char*, std::function<void(TGLAll3dsMesh&)>>> rows = {
        {"bands", [](TGLAll3dsMesh& m) { m.FType = Mesh3DS, gridMesh(m, 80, 0), gridMesh(m, 80, 1); }},
        {"flat past 16 bits",
         [](TGLAll3dsMesh& m) {
             m.FType = Mesh3DS;
             std::vector<T3dpoint> points;
             std::vector<uint16_t> corners;
             for (uint16_t i = 0; i < 60000; ++i)
                 points.push_back({float(i % 300), float(i / 300), float(i % 7)});
             for (uint16_t i = 0; i + 301 < 60000; i += 2)
                 corners.insert(corners.end(), {i, uint16_t(i + 1), uint16_t(i + 301)});
             addMesh(m, points, corners)->FSmoothingGroup.assign(corners.size() / 3, 0);
         }},
        {"signed zeros",
         [](TGLAll3dsMesh& m) {
             m.FType = Mesh3DS;
             addMesh(m, {{-0.0f, 0, 0}, {0, -0.0f, 1}, {1, 0, -0.0f}, {0, 1, 0}}, {0, 1, 2, 0, 2, 3, 0, 3, 1})
                 ->FSmoothingGroup = {1, 2, 3};
         }},
        {"no groups",
         [](TGLAll3dsMesh& m) {
             addMaterial(m, "one");
             addMesh(m, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {0, 1, 2, 1, 3, 2, 2, 3, 0}, {0, 7, 0});
         }},
    };
    for (const auto& [name, make] : rows) {
        TempDir dir;
        TGLAll3dsMesh model;
        make(model);
        TGltfOptions quiet;
        quiet.Warn = [](const std::string&) {};
        const TGltfScene scene = BuildGltfScene(model, quiet);
        if (std::string(name) == "flat past 16 bits") {
            ASSERT_GT(scene.Meshes.at(0).Positions.size(), 65535u);
        }
        WriteGltf(model, dir.file("a.glb"), quiet);
        EXPECT_EQ(ReadFileBytes(dir.file("a.glb")), GltfSceneToGlb(scene)) << name;
        WriteGltf(model, dir.file("b.gltf"), quiet);
        WriteGltfScene(scene, dir.file("c.gltf"));
        EXPECT_EQ(ReadFileBytes(dir.file("b.bin")), ReadFileBytes(dir.file("c.bin"))) << name;
    }
}

TEST(GltfExport, places_3ds_vertices_turned_to_y_up) {
    TGLAll3dsMesh model;
    loadBytes(model, file3ds([](ChunkWriter& w) {
                  triMesh(w, "tri", {{0, 0, 0}, {2, 0, 0}, {0, 3, 0}}, {{0, 1, 2}});
              }));
    model.FType = Mesh3DS;
    const TGltfScene s = BuildGltfScene(model, {});
    ASSERT_EQ(s.Meshes.size(), 1u);
    const TGltfMesh& m = s.Meshes[0];
    ASSERT_EQ(m.Primitives.size(), 1u);
    const std::vector<uint32_t>& i = m.Primitives[0].Indices;
    const V3 a = m.Positions[i[0]], b = m.Positions[i[1]], c = m.Positions[i[2]];
    EXPECT_EQ(b, (V3{2, 0, 0}));
    EXPECT_EQ(c, (V3{0, 0, -3}));
    const V3 n = cross(a, b, c);
    EXPECT_GT(n[1], 0);  // counter-clockwise seen from above
    EXPECT_NEAR(m.Normals[i[0]][1], 1.0f, 1e-6f);
}

// The pivot the library subtracted for its drawing comes back, times the master scale.
TEST(GltfExport, adds_the_pivot_back) {
    TGLAll3dsMesh model;
    model.FType = Mesh3DS;
    model.FMasterScale = 0.5f;
    TGL3dsMesh* m = addMesh(model, {{1, 1, 1}, {2, 1, 1}, {1, 2, 1}}, {0, 1, 2});
    m->FPivot = {2, 4, 6};
    const TGltfScene s = BuildGltfScene(model, {});
    const std::vector<uint32_t>& i = s.Meshes[0].Primitives[0].Indices;
    EXPECT_EQ(s.Meshes[0].Positions[i[0]], (V3{2, 3, -4}));
}

// One glTF mesh per library mesh, one primitive per material used; faces naming no material get
// the neutral grey default; colours, opacity, shininess and two-sidedness carry over.
TEST(GltfExport, materials_by_primitive) {
    TGLAll3dsMesh model;
    TGL3dsMaterial* red = addMaterial(model,
                                      "r\xe9"
                                      "d",
                                      0.5f);
    red->FDifR = 1, red->FShininess = 0.25f, red->FTwoSided = true;
    addMesh(model, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2, 0, 2, 1, 1, 0, 2}, {0, 7, 0});
    const TGltfScene s = BuildGltfScene(model, {});
    ASSERT_EQ(s.Meshes[0].Primitives.size(), 2u);
    EXPECT_EQ(s.Meshes[0].Primitives[0].Indices.size(), 6u);
    ASSERT_EQ(s.Materials.size(), 2u);
    EXPECT_EQ(s.Materials[0].Name,
              "r\xc3\xa9"
              "d");
    EXPECT_EQ(s.Materials[0].BaseColor, (std::array<float, 4>{1, 0, 0, 0.5f}));
    EXPECT_FLOAT_EQ(s.Materials[0].Roughness, 0.75f);
    EXPECT_TRUE(s.Materials[0].DoubleSided);
    EXPECT_EQ(s.Materials[1].BaseColor, (std::array<float, 4>{0.7f, 0.7f, 0.7f, 1}));
}

// Faces gather into one primitive per material in order of first use, runs read eight ids at a
// time: runs ending inside and at the end of eights, ids naming no material (the default one),
// fewer ids than faces (the rest naming none).
TEST(GltfExport, material_runs_gather_by_material) {
    const std::vector<std::pair<size_t, std::vector<uint16_t>>> rows = {
        {20, {0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {17, {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2}},
        {33,
         {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 9, 9, 9, 9, 9, 9, 9, 9, 9}},
        {8, {1, 1, 1, 1, 1, 1, 1, 1}},
    };
    for (const auto& [faces, ids] : rows) {
        TGLAll3dsMesh model;
        for (const char* name : {"a", "b", "c"}) addMaterial(model, name);
        std::vector<uint16_t> corners;
        for (size_t f = 0; f < faces; ++f) corners.insert(corners.end(), {0, 1, 2});
        addMesh(model, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, corners, ids);
        std::vector<std::pair<size_t, size_t>> expected;  // material key, faces
        for (size_t f = 0; f < faces; ++f) {
            const size_t key = f < ids.size() && ids[f] < 3 ? ids[f] : SIZE_MAX;
            auto it =
                std::find_if(expected.begin(), expected.end(), [&](const auto& e) { return e.first == key; });
            if (it == expected.end()) it = expected.insert(expected.end(), {key, 0});
            ++it->second;
        }
        const TGltfScene s = BuildGltfScene(model, {});
        ASSERT_EQ(s.Meshes.at(0).Primitives.size(), expected.size()) << faces;
        for (size_t p = 0; p < expected.size(); ++p)
            EXPECT_EQ(s.Meshes[0].Primitives[p].Indices.size(), 3 * expected[p].second) << faces << " " << p;
    }
}

// The accessor's min and max: each component widened point by point in order as std::min and
// std::max do, so that of -0 and +0 the first met stays.
TEST(GltfExport, position_box_keeps_the_first_of_equal_zeros) {
    uint32_t state = 7;
    const float values[] = {0.0f, -0.0f, 1.5f, -2.0f};
    for (size_t count = 0; count < 12; ++count)
        for (int round = 0; round < 200; ++round) {
            std::vector<float> p(3 * count);
            for (float& v : p) v = values[(state = state * 1664525u + 1013904223u) >> 30];
            float lo[3] = {INFINITY, INFINITY, INFINITY}, hi[3] = {-INFINITY, -INFINITY, -INFINITY};
            float wantLo[3] = {INFINITY, INFINITY, INFINITY}, wantHi[3] = {-INFINITY, -INFINITY, -INFINITY};
            vtrl3ds_internal::positionBox(p.data(), count, lo, hi);
            for (size_t i = 0; i < count; ++i)
                for (size_t k = 0; k < 3; ++k)
                    wantLo[k] = std::min(wantLo[k], p[3 * i + k]),
                    wantHi[k] = std::max(wantHi[k], p[3 * i + k]);
            ASSERT_EQ(std::memcmp(lo, wantLo, sizeof lo), 0) << count;
            ASSERT_EQ(std::memcmp(hi, wantHi, sizeof hi), 0) << count;
        }
}

// Texture maps: a PNG beside the model goes in byte for byte, found whatever the case of its
// name; a missing map or one the reader refuses warns once per map and leaves the material plain.
TEST(GltfExport, texture_maps_found_kept_or_warned_once) {
    TempDir dir;
    const std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 1, 2, 3};
    dir.write("Skin.PNG", png);
    dir.write("paint.tga", {0, 0, 2});
    TGLAll3dsMesh model;
    model.FName = dir.file("m.3ds");
    const char* maps[] = {".\\skin.png", "gone.jpg", "paint.tga", "GONE.JPG"};
    std::vector<uint16_t> ids;
    for (int k = 0; k < 4; ++k) {
        TGL3dsMaterial* m = addMaterial(model, "m" + std::to_string(k));
        m->FHasTextureMap = true, m->FFileName = maps[k];
        ids.push_back(static_cast<uint16_t>(k));
    }
    addMesh(model, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, std::vector<uint16_t>(12, 0), ids)->FMapping.resize(3);
    for (int k = 0; k < 4; ++k) model.FMesh[0]->FIndices = {0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2};
    Collect warnings;
    const TGltfScene s = BuildGltfScene(model, warnings.options());
    ASSERT_EQ(s.Images.size(), 1u);
    EXPECT_EQ(s.Images[0].Bytes, png);
    EXPECT_EQ(s.ImageNames[0], "Skin.png");
    EXPECT_EQ(s.Materials[0].Image, 0);
    EXPECT_EQ(s.Materials[1].Image, -1);
    EXPECT_EQ(warnings.lines.size(), 3u);  // gone.jpg, paint.tga, GONE.JPG: three map names
    EXPECT_EQ(s.Meshes[0].TexCoords.size(), s.Meshes[0].Positions.size());
}

// Files: a .glb whose chunks add up, a .gltf with its .bin beside it, nothing left behind when the
// folder cannot be written.
TEST(GltfExport, writes_whole_files_or_none) {
    TempDir dir;
    TGLAll3dsMesh model;
    addMesh(model, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
    WriteGltf(model, dir.file("a.glb"));
    const auto glb = std::filesystem::file_size(dir.file("a.glb"));
    EXPECT_EQ(glb % 4, 0u);
    EXPECT_EQ(glb, GltfSceneToGlb(BuildGltfScene(model, {})).size());
    WriteGltf(model, dir.file("b.GLTF"));
    EXPECT_TRUE(std::filesystem::exists(dir.file("b.bin")));
    EXPECT_THROW(WriteGltf(model, dir.file("a.glb/c.glb")), EStreamError);
    EXPECT_THROW(WriteGltf(model, dir.file("none/c.gltf")), EStreamError);
    size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path)) ++files;
    EXPECT_EQ(files, 3u);
}
