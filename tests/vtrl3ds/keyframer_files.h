// Keyframer sections written with the tests' 3DS chunk writer: tracks with their spline
// parameters, nodes, and the small generated scenes the keyframer and glTF tests and lib3ds read.
#pragma once

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "support/files3ds.h"

// One key as written: frame, tension, continuity, bias, ease to, ease from, up to four values.
struct KeySpec {
    int32_t frame;
    float tcb[5];
    std::vector<float> values;
};

inline void track(ChunkWriter& w, uint16_t id, uint16_t flags, const std::vector<KeySpec>& keys) {
    w.chunk(id, [&] {
        w.u16(flags).u32(0).u32(0).u32(static_cast<uint32_t>(keys.size()));
        for (const KeySpec& k : keys) {
            uint16_t used = 0;
            for (int b = 0; b < 5; ++b)
                if (k.tcb[b] != 0) used = static_cast<uint16_t>(used | (1u << b));
            w.u32(static_cast<uint32_t>(k.frame)).u16(used);
            for (int b = 0; b < 5; ++b)
                if (used & (1u << b)) w.f32(k.tcb[b]);
            for (float v : k.values) w.f32(v);
        }
    });
}

struct NodeSpec {
    uint16_t id;
    std::string name;
    uint16_t parent = 0xFFFF;
    std::string instance{};
    T3dpoint pivot{0, 0, 0};
    std::vector<KeySpec> pos{}, rot{}, scl{}, hide{};
    uint16_t flags = 0;  // track flags of every track
};

inline void node(ChunkWriter& w, const NodeSpec& n, uint16_t tag = KEYF_OBJDES) {
    w.chunk(tag, [&] {
        w.chunk(KEYF_NODE_ID, [&] { w.u16(n.id); });
        w.chunk(KEYF_OBJHIERARCH, [&] { w.str(n.name).u16(0).u16(0).u16(n.parent); });
        if (!n.instance.empty()) w.chunk(KEYF_OBJINSTANCE, [&] { w.str(n.instance); });
        w.chunk(KEYF_OBJPIVOT, [&] { w.f32(n.pivot.X).f32(n.pivot.Y).f32(n.pivot.Z); });
        if (!n.pos.empty()) track(w, KEYF_POSTRACK, n.flags, n.pos);
        if (!n.rot.empty()) track(w, KEYF_ROTTRACK, n.flags, n.rot);
        if (!n.scl.empty()) track(w, KEYF_SCLTRACK, n.flags, n.scl);
        if (!n.hide.empty()) track(w, KEYF_HIDETRACK, n.flags, n.hide);
    });
}

// A mesh with a local frame: a unit box's eight corners moved by the frame, as 3DS stores them.
inline void framedBox(ChunkWriter& w, const std::string& name, const float frame[12]) {
    std::vector<T3dpoint> v;
    for (int i = 0; i < 8; ++i) {
        const float x = float(i & 1), y = float((i >> 1) & 1), z = float((i >> 2) & 1);
        v.push_back({frame[0] * x + frame[3] * y + frame[6] * z + frame[9],
                     frame[1] * x + frame[4] * y + frame[7] * z + frame[10],
                     frame[2] * x + frame[5] * y + frame[8] * z + frame[11]});
    }
    w.chunk(EDIT_OBJECT, [&] {
        w.str(name);
        w.chunk(OBJ_TRIMESH, [&] {
            w.chunk(TRI_VERTEXL, [&] {
                w.u16(8);
                for (const T3dpoint& p : v) w.f32(p.X).f32(p.Y).f32(p.Z);
            });
            w.chunk(TRI_FACEL1, [&] { w.u16(2).u16(0).u16(1).u16(2).u16(0).u16(4).u16(5).u16(6).u16(0); });
            w.chunk(TRI_MATRIX, [&] {
                for (int i = 0; i < 12; ++i) w.f32(frame[i]);
            });
        });
    });
}

// A box's local frame turned about Z by half a radian and moved; mirrored in its X axis when asked.
inline std::array<float, 12> turnedFrame(bool mirrored = false) {
    const float c = std::cos(0.5f), s = std::sin(0.5f), x = mirrored ? -1.0f : 1.0f;
    return {x * c, x * s, 0, -s, c, 0, 0, 0, 1, 3, -2, 1};
}

// A scene: the boxes named in `meshes` (each with the local frame given) and a keyframer holding
// `nodes` over the segment 0..100.
inline std::vector<uint8_t> keyframedScene(const std::vector<std::string>& meshes,
                                           const std::vector<NodeSpec>& nodes,
                                           const std::array<float, 12>& frame = turnedFrame()) {
    ChunkWriter w;
    w.chunk(MAIN3DS, [&] {
        w.chunk(VERS3DS, [&] { w.u32(3); });
        w.chunk(EDIT3DS, [&] {
            for (const std::string& m : meshes) framedBox(w, m, frame.data());
        });
        w.chunk(KEYF3DS, [&] {
            w.chunk(KEYF_SEGMENT, [&] { w.u32(0).u32(100); });
            w.chunk(KEYF_CURTIME, [&] { w.u32(5); });
            for (const NodeSpec& n : nodes) node(w, n);
        });
    });
    return w.data;
}

// A box moved, turned, scaled and hidden over the segment with tension, continuity and bias.
inline std::vector<NodeSpec> everyTrack(uint16_t flags) {
    NodeSpec box{0, "Box", 0xFFFF, "", {0.5f, 0.25f, -0.5f}};
    box.flags = flags;
    box.pos = {{0, {}, {0, 0, 0}},
               {30, {0.5f, 0, 0, 0, 0}, {4, 1, 0}},
               {60, {0, 0.5f, 0.3f, 0, 0}, {2, 5, 1}},
               {100, {-0.3f, 0, -0.4f, 0, 0}, {0, 0, 3}}};
    box.rot = {{0, {}, {0.3f, 0, 0, 1}},
               {40, {0, 0, 0.6f, 0, 0}, {1.2f, 0, 1, 0}},
               {70, {0.2f, -0.4f, 0, 0, 0}, {0.9f, 1, 1, 0}},
               {100, {}, {2.0f, 0, 0, 1}}};
    box.scl = {{0, {}, {1, 1, 1}}, {50, {0, 0, 0.7f, 0, 0}, {2, 1, 0.5f}}, {100, {}, {1, 3, 1}}};
    box.hide = {{20, {}, {}}, {80, {}, {}}};
    return {box};
}

// Twelve dummies in a chain, written children first, each turning; the box hangs from the last.
inline std::vector<NodeSpec> deepChain() {
    std::vector<NodeSpec> nodes;
    for (uint16_t i = 12; i-- > 0;) {
        NodeSpec d{i, "$$$DUMMY", static_cast<uint16_t>(i ? i - 1 : 0xFFFF), "Joint" + std::to_string(i)};
        d.pos = {{0, {}, {1, 0, 0}}, {100, {}, {1, 0.5f, 0}}};
        d.rot = {{0, {}, {0.1f, 0, 0, 1}}, {100, {}, {0.2f * float(i % 3), 1, 0, 0}}};
        nodes.push_back(d);
    }
    nodes.insert(nodes.begin(), NodeSpec{12, "Box", 11, "", {0, 0, 1}, {{0, {}, {0, 0, 0}}}});
    return nodes;
}

// One box placed three times, once under a moving dummy.
inline std::vector<NodeSpec> instances() {
    NodeSpec dummy{0, "$$$DUMMY", 0xFFFF, "Carrier", {}, {{0, {}, {0, 0, 0}}, {100, {}, {10, 0, 0}}}};
    NodeSpec a{1, "Box", 0xFFFF, "A", {}, {{0, {}, {-5, 0, 0}}}};
    NodeSpec b{2, "Box", 0xFFFF, "B", {}, {{0, {}, {5, 0, 0}}}, {{0, {}, {1.0f, 0, 0, 1}}}};
    NodeSpec c{3, "Box", 0, "C", {1, 1, 1}, {{0, {}, {0, 5, 0}}}, {}, {{0, {}, {2, 2, 2}}}};
    return {dummy, a, b, c};
}
