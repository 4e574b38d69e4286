// The binary model format through a test-side writer: the record layout and its odd corners
// (a seventh corner, empty face lists, short map names, a normal count that disagrees), hostile
// input (every truncation, huge and negative counts, indices outside 16 bits), a round trip of a
// 3DS-loaded model, the file dispatch and the inspector reporting a .bin file.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "build_model.h"
#include "support/run_tool.h"
#include "support/temp_dir.h"
#include "vtrl3ds/errors.h"
#include "support/files3ds.h"

namespace {

// ---- A writer of the format ------------------------------------------------------------------

// Little-endian fields after the signature.
struct BinWriter {
    std::vector<uint8_t> data;

    BinWriter() { text("qzv"); }

    BinWriter& i32(int32_t v) {
        for (int i = 0; i < 4; ++i) data.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
        return *this;
    }
    BinWriter& f32(float f) { return i32(std::bit_cast<int32_t>(f)); }
    BinWriter& text(const std::string& s) {
        data.insert(data.end(), s.begin(), s.end());
        return *this;
    }
    BinWriter& name(const std::string& s) { return i32(static_cast<int32_t>(s.size())).text(s); }
    // A map name: its length and text, or a length of 0 alone when there is none.
    BinWriter& mapName(const std::string& s) { return s.size() > 1 ? name(s) : i32(0); }
};

struct Vertex {
    float x, y, z, tu, tv;
    int32_t bone;
};

struct MeshRecord {
    std::string name;
    int32_t material = 0;
    std::vector<Vertex> vertices;
    std::vector<std::array<int32_t, 2>> corners;  // vertex index, normal index
    std::vector<int32_t> faceMaterials;
};

struct MaterialRecord {
    std::string name;
    float amb[3], dif[3], opacity, spc[3];
    std::string texture, bump;
    float strength;
};

// A mesh record; vertex v gets the normal (v, 0, 1). The normal count is the vertex count unless given.
void writeMesh(BinWriter& w, const MeshRecord& m, std::optional<int32_t> normalCount = {}) {
    w.name(m.name).i32(m.material).i32(static_cast<int32_t>(m.vertices.size()));
    for (const Vertex& v : m.vertices) w.f32(v.x).f32(v.y).f32(v.z).f32(v.tu).f32(v.tv).i32(v.bone);
    w.i32(normalCount.value_or(static_cast<int32_t>(m.vertices.size())));
    for (size_t v = 0; v < m.vertices.size(); ++v) w.f32(static_cast<float>(v)).f32(0).f32(1);
    w.i32(static_cast<int32_t>(m.corners.size()));
    for (const auto& c : m.corners) w.i32(c[0]).i32(c[1]);
    for (int32_t id : m.faceMaterials) w.i32(id);
}

void writeMaterial(BinWriter& w, const MaterialRecord& m) {
    w.name(m.name).f32(m.amb[0]).f32(m.amb[1]).f32(m.amb[2]).f32(m.dif[0]).f32(m.dif[1]).f32(m.dif[2]);
    w.f32(m.opacity).f32(m.spc[0]).f32(m.spc[1]).f32(m.spc[2]);
    w.mapName(m.texture).mapName(m.bump).f32(m.strength);
}

std::vector<uint8_t> binFile(const std::vector<MeshRecord>& meshes,
                             const std::vector<MaterialRecord>& materials) {
    BinWriter w;
    w.i32(static_cast<int32_t>(meshes.size()));
    for (const MeshRecord& m : meshes) writeMesh(w, m);
    w.i32(static_cast<int32_t>(materials.size()));
    for (const MaterialRecord& m : materials) writeMaterial(w, m);
    return w.data;
}

// Two meshes (the second with a seventh corner and a disagreeing normal count) and two materials
// (the second see-through with both maps).
std::vector<MeshRecord> sampleMeshes() {
    return {{"Box",
             3,
             {{0, 0, 0, 0, 0, -1}, {2, 0, 0, 1, 0, -1}, {2, 2, 0, 1, 1, -1}, {0, 2, 0, 0, 1, -1}},
             {{0, 0}, {1, 1}, {2, 2}, {0, 0}, {2, 2}, {3, 3}},
             {0, 0}},
            {"Pane",
             0,
             {{0, 0, 5, 0.5f, 0.25f, 2}, {-1, 0, 5, 0, 0, 7}, {0, -3, 5, 0, 0, -1}},
             {{0, 2}, {1, 1}, {2, 0}, {2, 0}, {1, 1}, {0, 2}, {1, 1}},
             {1, 0}}};
}
std::vector<MaterialRecord> sampleMaterials() {
    return {{"Red", {0.1f, 0, 0}, {1, 0, 0}, 1, {1, 1, 1}, "", "", 0},
            {"Glass",
             {0, 0.1f, 0},
             {0.2f, 0.4f, 0.6f},
             0.5f,
             {0.9f, 0.9f, 0.9f},
             "GLASS.TGA",
             "BUMP.TGA",
             0.25f}};
}
// The sample file; the normal count of "Pane" says 0.
std::vector<uint8_t> sampleBin() {
    BinWriter w;
    w.i32(2);
    writeMesh(w, sampleMeshes()[0]);
    writeMesh(w, sampleMeshes()[1], 0);
    w.i32(2);
    for (const MaterialRecord& m : sampleMaterials()) writeMaterial(w, m);
    return w.data;
}

// The model's meshes and materials as a writer of the format stores them.
std::vector<uint8_t> binOf(const TGLAll3dsMesh& model) {
    BinWriter w;
    w.i32(model.FNumMeshes);
    for (int32_t i = 0; i < model.FNumMeshes; ++i) {
        const TGL3dsMesh& m = *model.FMesh[static_cast<size_t>(i)];
        w.name(m.FName).i32(m.FMatID.empty() ? 0 : m.FMatID[0]).i32(m.FNumVertex);
        for (int32_t v = 0; v < m.FNumVertex; ++v) {
            const T3dpoint& p = m.FVertex[static_cast<size_t>(v)];
            const TGLMap& t = m.FMapping[static_cast<size_t>(v)];
            w.f32(p.X).f32(p.Y).f32(p.Z).f32(t.tu).f32(t.tv).i32(m.FBoneID[static_cast<size_t>(v)]);
        }
        w.i32(m.FNumVertex);
        for (const T3dpoint& n : m.FVNormal) w.f32(n.X).f32(n.Y).f32(n.Z);
        w.i32(m.FNumIndices);
        for (int32_t k = 0; k < m.FNumIndices; ++k)
            w.i32(m.FIndices[static_cast<size_t>(k)]).i32(m.FNormalIndices[static_cast<size_t>(k)]);
        for (int32_t f = 0; f < m.FNumIndices / 3; ++f) w.i32(m.FMatID[static_cast<size_t>(f)]);
    }
    w.i32(model.FNumMaterials);
    for (const TGL3dsMaterial* m : model.FMaterial)
        writeMaterial(w, {m->FName,
                          {m->FAmbR, m->FAmbG, m->FAmbB},
                          {m->FDifR, m->FDifG, m->FDifB},
                          m->FTransparency,
                          {m->FSpcR, m->FSpcG, m->FSpcB},
                          m->FHasTextureMap ? m->FFileName : "",
                          m->FHasBumpMap ? m->FBumpMapFileName : "",
                          m->FBumpMapStrength});
    return w.data;
}

// Loads bytes through a memory stream; returns "" or the error's kind and text.
std::string loadError(TGLAll3dsMesh& model, const std::vector<uint8_t>& bytes) {
    TMemoryStream stream(bytes.data(), bytes.size());
    try {
        model.LoadBinFromStream(stream);
    } catch (const ERangeError& e) {
        return std::string("range: ") + e.what();
    } catch (const EStreamError& e) {
        return std::string("stream: ") + e.what();
    }
    return "";
}

template <class T>
bool sameBits(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

// ---- The layout --------------------------------------------------------------------------------

TEST(BinaryFormat, sample_fills_every_field_as_stored) {
    TGLAll3dsMesh model;
    model.FMasterScale = 0.1f;  // not applied by this loader
    ASSERT_EQ(loadError(model, sampleBin()), "");
    ASSERT_EQ(model.FNumMeshes, 2);
    const TGL3dsMesh& box = *model.FMesh[0];
    EXPECT_EQ(box.FName, "Box");
    EXPECT_EQ(box.FNumVertex, 4);
    EXPECT_POINT(box.FVertex[2], 2, 2, 0);  // no axis exchange, no scale
    EXPECT_FLOAT_EQ(box.FMapping[3].tv, 1);
    // Counter-clockwise in the file, stored clockwise as the library draws them.
    EXPECT_EQ(box.FIndices, (std::vector<uint16_t>{0, 2, 1, 0, 3, 2}));
    EXPECT_EQ(box.FMatID, (std::vector<uint16_t>{0, 0}));  // the face table replaced index 3
    const TGL3dsMesh& pane = *model.FMesh[1];
    EXPECT_EQ(pane.FBoneID, (std::vector<int32_t>{2, 7, -1}));
    EXPECT_FLOAT_EQ(pane.FMapping[0].tu, 0.5f);
    // The normal count said 0: three normals were read all the same.
    ASSERT_EQ(pane.FVNormal.size(), 3u);
    EXPECT_POINT(pane.FVNormal[2], 2, 0, 1);
    // Seven corners: the seventh belongs to no face, two face material indices follow it.
    EXPECT_EQ(pane.FNumIndices, 7);
    EXPECT_EQ(pane.FIndices, (std::vector<uint16_t>{0, 2, 1, 2, 0, 1, 1}));
    EXPECT_EQ(pane.FNormalIndices, (std::vector<uint16_t>{2, 0, 1, 0, 2, 1, 1}));
    EXPECT_EQ(pane.FMatID, (std::vector<uint16_t>{1, 0}));
    EXPECT_EQ(pane.FaceNormal.size(), 2u);
    // Not derived by this loader: pivots, ids.
    EXPECT_EQ(pane.FId, 0);
    EXPECT_EQ(model.FMasterScale, 0.1f);

    ASSERT_EQ(model.FNumMaterials, 2);
    const TGL3dsMaterial& glass = *model.FMaterial[1];
    EXPECT_EQ(glass.FName, "Glass");
    EXPECT_FLOAT_EQ(glass.FAmbG, 0.1f);
    EXPECT_FLOAT_EQ(glass.FDifB, 0.6f);
    EXPECT_FLOAT_EQ(glass.FTransparency, 0.5f);
    EXPECT_FLOAT_EQ(glass.FSpcR, 0.9f);
    EXPECT_TRUE(glass.FHasTextureMap && glass.FHasBumpMap);
    EXPECT_EQ(glass.FFileName, "GLASS.TGA");
    EXPECT_EQ(glass.FBumpMapFileName, "BUMP.TGA");
    EXPECT_FLOAT_EQ(glass.FBumpMapStrength, 0.25f);
    EXPECT_FALSE(model.FMaterial[0]->FHasTextureMap || model.FMaterial[0]->FHasBumpMap);
}

TEST(BinaryFormat, post_processing_takes_boxes_and_moves_see_through_meshes_last) {
    TGLAll3dsMesh model;
    ASSERT_EQ(loadError(model, sampleBin()), "");
    EXPECT_POINT(model.FMesh[1]->FMinimum, -1, -3, 5);
    EXPECT_POINT(model.FMesh[1]->FMaximum, 0, 0, 5);
    EXPECT_POINT(model.FMinimum, -1, -3, 0);
    EXPECT_POINT(model.FMaximum, 2, 2, 5);
    // "Pane" has a face of the see-through "Glass": drawn after "Box", wherever it is stored.
    EXPECT_EQ(model.FRenderOrder, (std::vector<int32_t>{0, 1}));
    std::vector<MeshRecord> swapped = sampleMeshes();
    std::swap(swapped[0], swapped[1]);
    ASSERT_EQ(loadError(model, binFile(swapped, sampleMaterials())), "");
    EXPECT_EQ(model.FRenderOrder, (std::vector<int32_t>{1, 0}));
}

TEST(BinaryFormat, fewer_than_three_corners_leave_no_face_material) {
    for (int corners : {0, 1, 2}) {
        MeshRecord m{"M", 5, {{0, 0, 0, 0, 0, -1}}, {}, {}};
        m.corners.assign(static_cast<size_t>(corners), {0, 0});
        TGLAll3dsMesh model;
        ASSERT_EQ(loadError(model, binFile({m}, {})), "") << corners;
        EXPECT_TRUE(model.FMesh[0]->FMatID.empty()) << corners;
        EXPECT_EQ(model.FMesh[0]->FNumIndices, corners);
    }
}

TEST(BinaryFormat, map_name_length_one_or_zero_means_no_map_and_no_name_bytes) {
    for (int32_t length : {0, 1}) {
        BinWriter w;
        w.i32(0).i32(1).name("M");
        for (int i = 0; i < 10; ++i) w.f32(0.5f);
        w.i32(length).name("bump.tga").f32(3);
        TGLAll3dsMesh model;
        ASSERT_EQ(loadError(model, w.data), "") << length;
        const TGL3dsMaterial& m = *model.FMaterial[0];
        EXPECT_FALSE(m.FHasTextureMap);
        EXPECT_EQ(m.FFileName, "");
        EXPECT_TRUE(m.FHasBumpMap);
        EXPECT_EQ(m.FBumpMapFileName, "bump.tga");
        EXPECT_FLOAT_EQ(m.FBumpMapStrength, 3);
    }
}

TEST(BinaryFormat, empty_model_replaces_an_earlier_load_whose_objects_stay_owned) {
    TGLAll3dsMesh model;
    ASSERT_EQ(loadError(model, sampleBin()), "");
    const size_t owned = model.Components().size();
    model.FVersion = 3;
    ASSERT_EQ(loadError(model, BinWriter().i32(0).i32(0).data), "");
    EXPECT_EQ(model.FNumMeshes, 0);
    EXPECT_EQ(model.FNumMaterials, 0);
    EXPECT_TRUE(model.FMesh.empty() && model.FMaterial.empty() && model.FRenderOrder.empty());
    EXPECT_POINT(model.FMaximum, 0, 0, 0);
    EXPECT_EQ(model.Components().size(), owned);
    EXPECT_EQ(model.FVersion, 3);
}

TEST(BinaryFormat, other_signature_or_fewer_than_three_bytes_change_nothing) {
    TGLAll3dsMesh model;
    ASSERT_EQ(loadError(model, sampleBin()), "");
    const std::vector<TGL3dsMesh*> meshes = model.FMesh;
    std::vector<uint8_t> other = sampleBin();
    other[2] = 'w';
    for (const std::vector<uint8_t>& bytes :
         {other, std::vector<uint8_t>{'q', 'z'}, std::vector<uint8_t>{}}) {
        EXPECT_EQ(loadError(model, bytes), "");
        EXPECT_EQ(model.FMesh, meshes);
        EXPECT_EQ(model.FNumMeshes, 2);
        EXPECT_EQ(model.FNumMaterials, 2);
    }
}

TEST(BinaryFormat, stream_is_read_from_its_first_byte_whatever_its_position) {
    const std::vector<uint8_t> bytes = sampleBin();
    TMemoryStream stream(bytes.data(), bytes.size());
    stream.Seek(20);
    TGLAll3dsMesh model;
    model.LoadBinFromStream(stream);
    EXPECT_EQ(model.FNumMeshes, 2);
    EXPECT_EQ(stream.Position(), static_cast<int64_t>(bytes.size()));
}

// ---- Hostile input -----------------------------------------------------------------------------

TEST(BinaryHostile, every_truncation_fails_cleanly_keeping_whole_records) {
    const std::vector<uint8_t> full = sampleBin();
    const size_t meshesEnd = full.size() - binFile({}, sampleMaterials()).size() + 3 + 4;
    TGLAll3dsMesh complete;
    ASSERT_EQ(loadError(complete, full), "");
    size_t lastMeshes = 0;
    for (size_t n = 0; n < full.size(); ++n) {
        TGLAll3dsMesh model;
        const std::string error = loadError(model, std::vector<uint8_t>(full.begin(), full.begin() + n));
        // Every byte of the format is needed: a cut below the signature loads nothing, any other fails.
        EXPECT_EQ(error.empty(), n < 3) << n << ": " << error;
        if (n >= 3) {
            EXPECT_NE(error.find(": LoadBinFromStream: "), std::string::npos) << error;
        }
        EXPECT_EQ(model.FMesh.size(), static_cast<size_t>(model.FNumMeshes));
        EXPECT_EQ(model.FRenderOrder.size(), model.FMesh.size());
        EXPECT_EQ(model.FMaterial.size(), static_cast<size_t>(model.FNumMaterials));
        EXPECT_GE(model.FMesh.size(), lastMeshes) << n;
        lastMeshes = model.FMesh.size();
        for (const TGL3dsMesh* m : model.FMesh) {
            EXPECT_TRUE(m->FVertex.size() == static_cast<size_t>(m->FNumVertex) &&
                        m->FMapping.size() == m->FVertex.size() && m->FVNormal.size() == m->FVertex.size() &&
                        m->FIndices.size() == static_cast<size_t>(m->FNumIndices))
                << n;
        }
        if (n >= meshesEnd) {
            ASSERT_EQ(model.FMesh.size(), 2u) << n;
            EXPECT_EQ(model.FMesh[1]->FMatID, complete.FMesh[1]->FMatID) << n;
        }
    }
}

TEST(BinaryHostile, cut_field_and_oversized_count_name_record_offset_and_sizes) {
    std::vector<uint8_t> cut = sampleBin();
    cut.resize(cut.size() - 2);
    TGLAll3dsMesh model;
    EXPECT_EQ(loadError(model, cut),
              "stream: LoadBinFromStream: material 1 'Glass': bump map strength needs 4 "
              "bytes at offset " +
                  std::to_string(cut.size() - 2) + " but the data ends at offset " +
                  std::to_string(cut.size()));
    ASSERT_EQ(model.FNumMaterials, 2);  // what was read stays
    EXPECT_EQ(model.FMaterial[1]->FBumpMapFileName, "BUMP.TGA");

    BinWriter w;
    w.i32(1).name("Box").i32(0).i32(4).i32(0).text(std::string(26, 'x'));
    EXPECT_EQ(
        loadError(model, w.data),
        "range: LoadBinFromStream: mesh 0 'Box': vertex count 4 at offset 18 needs 148 more bytes but 30 "
        "are left");
    ASSERT_EQ(model.FNumMeshes, 1);
    EXPECT_EQ(model.FMesh[0]->FNumVertex, 0);
    EXPECT_TRUE(model.FMesh[0]->FVertex.empty());
}

// Each case replaces one field of a small valid file; all are refused with ERangeError.
TEST(BinaryHostile, huge_negative_or_zero_counts_and_lengths_are_refused_before_allocating) {
    auto mesh = [](int32_t nameLength, int32_t vertices, int32_t corners) {
        BinWriter w;
        w.i32(1).i32(nameLength).text("M").i32(0).i32(vertices);
        if (vertices == 1) w.f32(0).f32(0).f32(0).f32(0).f32(0).i32(-1).i32(1).f32(0).f32(0).f32(1);
        w.i32(corners).i32(0);
        return w.data;
    };
    auto material = [](int32_t count, int32_t nameLength, int32_t textureLength) {
        BinWriter w;
        w.i32(0).i32(count).i32(nameLength).text("M");
        for (int i = 0; i < 10; ++i) w.f32(0);
        w.i32(textureLength).i32(0).f32(0);
        return w.data;
    };
    const struct {
        std::vector<uint8_t> bytes;
        std::string message;
    } cases[] = {
        {BinWriter().i32(INT_MAX).i32(0).data,
         "mesh count 2147483647 at offset 3 needs 45097156587 more bytes"},
        {BinWriter().i32(-1).i32(0).data, "mesh count -1 at offset 3"},
        {mesh(0, 0, 0), "mesh 0: mesh name length 0 at offset 7"},
        {mesh(-5, 0, 0), "mesh 0: mesh name length -5 at offset 7"},
        {mesh(INT_MAX, 0, 0), "mesh 0: mesh name length 2147483647 at offset 7 needs 2147483647 more bytes"},
        {mesh(1, INT_MAX, 0),
         "mesh 0 'M': vertex count 2147483647 at offset 16 needs 77309411296 more bytes"},
        {mesh(1, -1, 0), "mesh 0 'M': vertex count -1 at offset 16"},
        {mesh(1, 1, INT_MAX),
         "index count 2147483647 at offset 60 needs 20043180704 more bytes but 4 are left"},
        {mesh(1, 1, -3), "mesh 0 'M': index count -3 at offset 60"},
        {material(INT_MAX, 1, 0), "material count 2147483647 at offset 7 needs 122406567879 more bytes"},
        {material(-2, 1, 0), "material count -2 at offset 7"},
        {material(1, 0, 0), "material 0: material name length 0 at offset 11"},
        {material(1, 1, INT_MAX), "material 0 'M': texture name length 2147483647 at offset 56 needs"},
        {material(1, 1, -1), "material 0 'M': texture name length -1 at offset 56"},
    };
    for (const auto& c : cases) {
        TGLAll3dsMesh model;
        const std::string error = loadError(model, c.bytes);
        EXPECT_EQ(error.find("range: LoadBinFromStream: "), 0u) << error;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        // Nothing was allocated for the refused count.
        for (const TGL3dsMesh* m : model.FMesh) EXPECT_TRUE(m->FVertex.size() <= 1 && m->FIndices.empty());
    }
}

TEST(BinaryHostile, indices_outside_sixteen_bits_are_refused_and_earlier_meshes_kept) {
    auto withSecondMesh = [](int32_t material, std::array<int32_t, 2> corner, int32_t face) {
        std::vector<MeshRecord> meshes = sampleMeshes();
        meshes.push_back({"Bad", material, {{0, 0, 0, 0, 0, -1}}, {{0, 0}, {0, 0}, corner}, {face}});
        return binFile(meshes, sampleMaterials());
    };
    const struct {
        std::vector<uint8_t> bytes;
        std::string message;
    } cases[] = {
        {withSecondMesh(65536, {0, 0}, 0), "mesh 2 'Bad': mesh material index 65536 at offset"},
        {withSecondMesh(0, {-1, 0}, 0), "mesh 2 'Bad': vertex index -1 at offset"},
        {withSecondMesh(0, {0, 70000}, 0), "mesh 2 'Bad': normal index 70000 at offset"},
        {withSecondMesh(0, {0, 0}, -1), "mesh 2 'Bad': face material index -1 at offset"},
    };
    for (const auto& c : cases) {
        TGLAll3dsMesh model;
        const std::string error = loadError(model, c.bytes);
        EXPECT_EQ(error.find("range: LoadBinFromStream: "), 0u) << error;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_NE(error.find(" is outside 0..65535"), std::string::npos) << error;
        ASSERT_EQ(model.FNumMeshes, 3);
        EXPECT_EQ(model.FMesh[1]->FNumIndices, 7);
        EXPECT_EQ(model.FMaterial.size(), 0u);  // the material section was never reached
    }
    // The exact offset of the first bad value: the third corner's vertex index.
    const std::vector<uint8_t> bytes = withSecondMesh(0, {65536, 0}, 0);
    const size_t at = bytes.size() - binFile({}, sampleMaterials()).size() + 7 - 4 - 8;
    TGLAll3dsMesh model;
    EXPECT_NE(
        loadError(model, bytes).find("vertex index 65536 at offset " + std::to_string(at) + " is outside"),
        std::string::npos);
}

TEST(BinaryHostile, in_range_indices_naming_nothing_are_kept_but_never_followed) {
    TGLAll3dsMesh model;
    ASSERT_EQ(loadError(model, binFile({{"M",
                                         0,
                                         {{1, 1, 1, 0, 0, -1}, {2, 2, 2, 0, 0, -1}, {3, 0, 1, 0, 0, -1}},
                                         {{0, 0}, {1, 1}, {2, 2}, {0, 0}, {1, 1}, {65535, 65535}},
                                         {9, 65535}},
                                        {"N", 0, {}, {}, {}}},
                                       {{"Glass", {}, {}, 0.5f, {}, "", "", 0}})),
              "");
    const TGL3dsMesh& m = *model.FMesh[0];
    EXPECT_EQ(m.FIndices[5], 65535);
    EXPECT_EQ(m.FMatID, (std::vector<uint16_t>{9, 65535}));
    // The vertex that exists nowhere does not widen the box; material 9 counts as opaque.
    EXPECT_POINT(m.FMinimum, 1, 0, 1);
    EXPECT_POINT(m.FMaximum, 3, 2, 2);
    EXPECT_EQ(model.FRenderOrder, (std::vector<int32_t>{0, 1}));
}

// ---- Round trip ---------------------------------------------------------------------------------

TEST(BinaryRoundTrip, model_loaded_from_3ds_comes_back_bit_for_bit) {
    TGLAll3dsMesh original;
    loadBytes(original, sampleFile());
    TGLAll3dsMesh copy;
    ASSERT_EQ(loadError(copy, binOf(original)), "");
    ASSERT_EQ(copy.FNumMeshes, original.FNumMeshes);
    for (size_t i = 0; i < copy.FMesh.size(); ++i) {
        const TGL3dsMesh &a = *original.FMesh[i], &b = *copy.FMesh[i];
        EXPECT_EQ(b.FName, a.FName);
        EXPECT_TRUE(sameBits(b.FVertex, a.FVertex) && sameBits(b.FMapping, a.FMapping) &&
                    sameBits(b.FVNormal, a.FVNormal))
            << a.FName;
        EXPECT_EQ(b.FBoneID, a.FBoneID);
        EXPECT_EQ(b.FIndices, a.FIndices);
        EXPECT_EQ(b.FNormalIndices, a.FNormalIndices);
        EXPECT_EQ(b.FMatID, a.FMatID);
        EXPECT_TRUE(sameBits(std::vector<T3dpoint>{b.FMinimum, b.FMaximum},
                             std::vector<T3dpoint>{a.FMinimum, a.FMaximum}));
    }
    EXPECT_EQ(copy.FRenderOrder, original.FRenderOrder);
    EXPECT_TRUE(sameBits(std::vector<T3dpoint>{copy.FMinimum, copy.FMaximum},
                         std::vector<T3dpoint>{original.FMinimum, original.FMaximum}));
    ASSERT_EQ(copy.FNumMaterials, original.FNumMaterials);
    for (size_t j = 0; j < copy.FMaterial.size(); ++j) {
        const TGL3dsMaterial &a = *original.FMaterial[j], &b = *copy.FMaterial[j];
        EXPECT_EQ(b.FName, a.FName);
        EXPECT_TRUE(std::memcmp(&b.FAmbR, &a.FAmbR, 3 * sizeof(float)) == 0 &&
                    std::memcmp(&b.FDifR, &a.FDifR, 3 * sizeof(float)) == 0 &&
                    std::memcmp(&b.FSpcR, &a.FSpcR, 3 * sizeof(float)) == 0);
        EXPECT_EQ(b.FTransparency, a.FTransparency);
        EXPECT_EQ(b.FHasTextureMap, a.FHasTextureMap);
        EXPECT_EQ(b.FFileName, a.FFileName);
        EXPECT_EQ(b.FBumpMapFileName, a.FBumpMapFileName);
        EXPECT_EQ(b.FBumpMapStrength, a.FBumpMapStrength);
    }
    // Its own normals tell the copy that its corners already run clockwise: the same face normals.
    for (size_t i = 0; i < copy.FMesh.size(); ++i) {
        const std::vector<T3dpoint>&a = original.FMesh[i]->FaceNormal, &b = copy.FMesh[i]->FaceNormal;
        ASSERT_EQ(b.size(), a.size());
        for (size_t f = 0; f < a.size(); ++f)
            EXPECT_TRUE(std::abs(a[f].X - b[f].X) + std::abs(a[f].Y - b[f].Y) + std::abs(a[f].Z - b[f].Z) <
                        1e-6f);
    }
}

// ---- Files: dispatch and inspector -----------------------------------------------------

TEST(BinaryFile, load_from_file_dispatches_bin_in_any_case_and_reports_a_missing_file) {
    TempDir dir;
    const std::string path = dir.write("model.BIN", sampleBin());
    TGLAll3dsMesh model;
    model.LoadFromFile(path);
    EXPECT_EQ(model.FType, MeshBIN);
    EXPECT_EQ(model.FName, path);
    EXPECT_EQ(model.FNumMeshes, 2);
    TGLAll3dsMesh missing;
    EXPECT_THROW(missing.LoadFromFile(dir.file("absent.bin")), EStreamError);
    EXPECT_EQ(missing.FType, MeshBIN);
}

TEST(BinaryFile, inspector_reports_a_bin_file_and_a_cut_one) {
    TempDir dir;
    auto run = [&](const std::string& file) {
        return RunTool(dir, "'" + ToolPath("vtrl3ds-info") + "' '" + file + "'");
    };
    const ToolRun r = run(dir.write("sample.bin", sampleBin()));
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["type"], "binary");
    EXPECT_EQ(j["counts"]["meshes"], 2);
    EXPECT_EQ(j["counts"]["materials"], 2);
    EXPECT_EQ(j["counts"]["vertices"], 7);
    EXPECT_EQ(j["counts"]["faces"], 4);
    EXPECT_EQ(j["meshes"][1]["face_material_ids"], nlohmann::json::parse("[0, 1]"));
    EXPECT_EQ(j["materials"][1]["texture_map"], "GLASS.TGA");
    EXPECT_EQ(j["bounding_box"]["min"], nlohmann::json::parse("[-1, -3, 0]"));

    std::vector<uint8_t> cut = sampleBin();
    cut.resize(60);
    const ToolRun cutRun = run(dir.write("cut.bin", cut));
    const std::string& err = cutRun.err;
    EXPECT_EQ(cutRun.status, 1);
    EXPECT_NE(err.find("cut.bin: LoadBinFromStream: mesh 0 'Box': vertex count 4 at offset 18 needs"),
              std::string::npos)
        << err;
}

}  // namespace
