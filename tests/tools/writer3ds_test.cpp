// The generator's 3DS writer: the chunk tree it writes (every length exactly covering its
// children, in the nesting the model library walks) and the scenes it refuses. What the values
// inside mean is checked by loading the generated crystal through the model library.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/datagen/writer3ds.h"

using datagen::Encode3ds;
using datagen::Mesh3ds;
using datagen::Scene3ds;

namespace {

struct Chunk {
    uint16_t id = 0;
    size_t body = 0, end = 0;  // body starts after the 6-byte header
    std::vector<Chunk> kids;
};

uint16_t u16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}
uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
    return u16(b, at) | static_cast<uint32_t>(u16(b, at + 2)) << 16;
}
std::string str(const std::vector<uint8_t>& b, size_t at) {
    return reinterpret_cast<const char*>(&b[at]);
}

// Bytes before the sub-chunks of a chunk: a name, the face records, or nothing for a pure
// container; npos for a chunk that holds no sub-chunks at all.
size_t prefix(const std::vector<uint8_t>& b, const Chunk& c) {
    switch (c.id) {
        case 0x4D4D:
        case 0x3D3D:
        case 0xAFFF:
        case 0xA010:
        case 0xA020:
        case 0xA030:
        case 0xA040:
        case 0xA050:
        case 0x4100:
        case 0xB000:
        case 0xB002:
            return 0;
        case 0x4000:
            return str(b, c.body).size() + 1;
        case 0x4120:
            return 2 + 8u * u16(b, c.body);
        default:
            return std::string::npos;
    }
}

// Reads the chunks in [at, end); fails the test when one reaches past end or they leave a gap.
std::vector<Chunk> walk(const std::vector<uint8_t>& b, size_t at, size_t end) {
    std::vector<Chunk> out;
    while (at < end) {
        EXPECT_LE(at + 6, end) << "chunk header cut at " << at;
        if (at + 6 > end) break;
        Chunk c{u16(b, at), at + 6, at + u32(b, at + 2), {}};
        EXPECT_LE(c.end, end) << "chunk " << std::hex << c.id << " runs past its parent";
        if (c.end > end) break;
        if (const size_t p = prefix(b, c); p != std::string::npos) c.kids = walk(b, c.body + p, c.end);
        out.push_back(std::move(c));
        at = out.back().end;
    }
    return out;
}

std::vector<uint16_t> ids(const std::vector<Chunk>& chunks) {
    std::vector<uint16_t> v;
    for (const Chunk& c : chunks) v.push_back(c.id);
    return v;
}

// One material and one mesh of two triangles.
Scene3ds smallScene() {
    Scene3ds s;
    s.materials = {{"Vetro", {10, 20, 30}, {255, 128, 0}, {1, 2, 3}, 50, 25, true},
                   {"Pietra", {}, {}, {}, 0, 0, false}};
    Mesh3ds m;
    m.name = "Lastra";
    m.vertices = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {1, 1, 1}};
    m.mapping = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    m.faces = {{0, 1, 2, 1, 0x11}, {0, 2, 3, 0, 0x22}};
    m.pivot = {0.5, 1.5, 2.5};
    s.meshes = {m};
    return s;
}

}  // namespace

TEST(Writer3ds, chunk_tree_nests_with_exact_lengths) {
    const std::vector<uint8_t> b = Encode3ds(smallScene());
    const std::vector<Chunk> top = walk(b, 0, b.size());
    ASSERT_EQ(ids(top), std::vector<uint16_t>{0x4D4D});
    EXPECT_EQ(top[0].end, b.size());
    const Chunk& main = top[0];
    ASSERT_EQ(ids(main.kids), (std::vector<uint16_t>{0x0002, 0x3D3D, 0xB000}));
    const Chunk& editor = main.kids[1];
    ASSERT_EQ(ids(editor.kids), (std::vector<uint16_t>{0x3D3E, 0xAFFF, 0xAFFF, 0x0100, 0x4000}));
    EXPECT_EQ(ids(editor.kids[1].kids),
              (std::vector<uint16_t>{0xA000, 0xA010, 0xA020, 0xA030, 0xA040, 0xA050, 0xA081}));
    EXPECT_EQ(ids(editor.kids[2].kids),
              (std::vector<uint16_t>{0xA000, 0xA010, 0xA020, 0xA030, 0xA040, 0xA050}));
    const Chunk& trimesh = editor.kids[4].kids.at(0);
    ASSERT_EQ(ids(trimesh.kids), (std::vector<uint16_t>{0x4110, 0x4140, 0x4160, 0x4120}));
    EXPECT_EQ(ids(trimesh.kids[3].kids), (std::vector<uint16_t>{0x4130, 0x4130, 0x4150}));
    const Chunk& keyframer = main.kids[2];
    ASSERT_EQ(ids(keyframer.kids), (std::vector<uint16_t>{0xB00A, 0xB008, 0xB009, 0xB002}));
    EXPECT_EQ(ids(keyframer.kids[3].kids), (std::vector<uint16_t>{0xB030, 0xB010, 0xB013}));
}

TEST(Writer3ds, refuses_scenes_the_format_cannot_hold) {
    const auto refused = [](const std::function<void(Scene3ds&)>& spoil, const std::string& message) {
        Scene3ds s = smallScene();
        spoil(s);
        try {
            Encode3ds(s);
            ADD_FAILURE() << "accepted: " << message;
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
    };
    refused([](Scene3ds& s) { s.meshes[0].faces[0].c = 4; }, "face corner beyond its 4 vertices");
    refused([](Scene3ds& s) { s.meshes[0].faces[1].material = 2; }, "names material 2");
    refused([](Scene3ds& s) { s.meshes[0].mapping.pop_back(); }, "3 mapping coordinates for 4 vertices");
    refused([](Scene3ds& s) { s.meshes[0].vertices.resize(65536); }, "more than 65535");
    refused([](Scene3ds& s) { s.materials[1].name = "VETRO"; }, "two materials share a name");
    refused([](Scene3ds& s) { s.materials[0].transparencyPercent = 101; }, "percentage above 100");
    refused([](Scene3ds& s) { s.meshes[0].name.clear(); }, "object name is empty");
}
