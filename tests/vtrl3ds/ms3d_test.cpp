// The MilkShape 3D ASCII model loader on texts built here: vertex, normal and triangle lines,
// mesh headers and the material pass, material blocks, the section walk (headers, last line,
// line breaks, either order), the decimal separator, post-processing and the file dispatch; then
// hostile text (every cut, huge counts, bad indices, non-numbers, short field lists, long lines)
// refused with the file and line named; and the two MIT-licensed real files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "build_model.h"
#include "load_checks.h"
#include "support/temp_dir.h"
#include "vtrl3ds/errors.h"
#include "vtrl3ds/locale.h"
#include "vtrl3ds/private/ms3dtext.h"
#include "vtrl3ds/stream.h"

namespace {

// ---- Text builders -----------------------------------------------------------------------------

std::string materialBlock(const std::string& name, const std::string& ambient = "0.2 0.2 0.2 1.0",
                          const std::string& diffuse = "0.8 0.8 0.8 1.0", const std::string& map = "\"\"",
                          const std::string& transparency = "1.0") {
    return "\"" + name + "\"\n" + ambient + "\n" + diffuse + "\n0 0 0 1\n" + "0.1 0.1 0.1 1.0\n32.0\n" +
           transparency + "\n" + map + "\n\"\"\n";
}

// One triangle mesh: vertices (1,2,3), (4,5,6), (7,8,9); normals up and down; faces 0 1 2 / 2 1 0.
std::string meshBlock(const std::string& header) {
    return header +
           "\n3\n"
           "0 1.0 2.0 3.0 0.25 0.75 -1\n"
           "0 4.0 5.0 6.0 0.5 0.5 -1\n"
           "0 7.0 8.0 9.0 1.0 0.0 -1\n"
           "2\n"
           "0.0 0.0 1.0\n"
           "0.0 0.0 -1.0\n"
           "2\n"
           "0 0 1 2 0 0 0 1\n"
           "1 2 1 0 1 1 1 1\n";
}

// A whole file: comment, frames, two meshes (materials 2 and -1), three materials, no bones.
std::string sampleText() {
    return "// MilkShape 3D ASCII\n\nFrames: 30\nFrame: 1\n\nMeshes: 2\n" + meshBlock("\"Body\" 0 2") +
           meshBlock("\"Plain\" 0 -1") + "\nMaterials: 3\n" + materialBlock("Steel") + materialBlock("Red") +
           materialBlock("Glass", "0 0.5 0 1", "0.8 0.8 0.8 0.5", "\".\\gull.bmp\"", "0.35") +
           "\nBones: 0\nGroupComments: 0\nMaterialComments: 0\nBoneComments: 0\nModelComment: 0\n";
}

void loadText(TGLAll3dsMesh& model, const std::string& text) {
    TMemoryStream stream(text.data(), text.size());
    model.LoadMSAFromStream(stream);
}

// Loads text; the error's text, or "" when the load went through.
template <class E = EModelError>
std::string loadError(TGLAll3dsMesh& model, const std::string& text) {
    return ErrorOf<E>([&] { loadText(model, text); });
}

// ---- Meshes ------------------------------------------------------------------------------------

TEST(MS3D, vertex_line_gives_position_flipped_v_and_bone) {
    TGLAll3dsMesh model;
    loadText(model, sampleText());
    ASSERT_EQ(model.FNumMeshes, 2);
    const TGL3dsMesh& m = *model.FMesh[0];
    EXPECT_EQ(m.FNumVertex, 3);
    EXPECT_POINT(m.FVertex[0], 1, 2, 3);
    EXPECT_FLOAT_EQ(m.FMapping[0].tu, 0.25f);
    EXPECT_FLOAT_EQ(m.FMapping[0].tv, 0.25f);
    EXPECT_FLOAT_EQ(m.FMapping[2].tv, 1.0f);
    EXPECT_EQ(m.FBoneID, (std::vector<int32_t>{-1, -1, -1}));
}

TEST(MS3D, normals_kept_and_triangles_stored_clockwise) {
    TGLAll3dsMesh model;
    loadText(model, sampleText());
    const TGL3dsMesh& m = *model.FMesh[0];
    ASSERT_EQ(m.FVNormal.size(), 2u);
    EXPECT_POINT(m.FVNormal[1], 0, 0, -1);
    EXPECT_EQ(m.FNumIndices, 6);
    EXPECT_EQ(m.FIndices, (std::vector<uint16_t>{0, 2, 1, 2, 0, 1}));
    EXPECT_EQ(m.FNormalIndices, (std::vector<uint16_t>{0, 0, 0, 1, 1, 1}));
    // The corners lie on one line: the faces take the file's own normals.
    ASSERT_EQ(m.FaceNormal.size(), 2u);
    EXPECT_POINT(m.FaceNormal[0], 0, 0, 1);
    EXPECT_POINT(m.FaceNormal[1], 0, 0, -1);
    EXPECT_TRUE(m.FSmoothingGroup.empty());
}

TEST(MS3D, mesh_header_name_and_material_resolved_after_the_walk) {
    TGLAll3dsMesh model;
    loadText(model, sampleText());
    const TGL3dsMesh& body = *model.FMesh[0];
    EXPECT_EQ(body.FName, "Body");
    EXPECT_EQ(body.FId, 1);
    EXPECT_EQ(body.FMatName, (std::vector<std::string>{"Glass"}));
    EXPECT_EQ(body.FMatID, (std::vector<uint16_t>{2, 2}));
    // No material: an empty name and the index no material has.
    EXPECT_EQ(model.FMesh[1]->FMatName, (std::vector<std::string>{""}));
    EXPECT_EQ(model.FMesh[1]->FMatID, (std::vector<uint16_t>{0xFFFF, 0xFFFF}));
    // Header fields split like any field list: a quoted name keeps its blanks; material 0 is named.
    TGLAll3dsMesh other;
    loadText(other, "Meshes: 2\n" + meshBlock("\"Left  Wing\" 1 0") + meshBlock("Tail\t0,1") +
                        "Materials: 2\n" + materialBlock("First") + materialBlock("Second"));
    EXPECT_EQ(other.FMesh[0]->FName, "Left  Wing");
    EXPECT_EQ(other.FMesh[0]->FMatName[0], "First");
    EXPECT_EQ(other.FMesh[1]->FName, "Tail");
    EXPECT_EQ(other.FMesh[1]->FMatName[0], "Second");
}

TEST(MS3D, empty_mesh_has_no_faces_and_no_material_entries) {
    TGLAll3dsMesh model;
    loadText(model, "Meshes: 1\n\"Empty\" 0 0\n0\n0\n0\nMaterials: 1\n" + materialBlock("M"));
    const TGL3dsMesh& m = *model.FMesh[0];
    EXPECT_EQ(m.FNumVertex, 0);
    EXPECT_EQ(m.FNumIndices, 0);
    EXPECT_TRUE(m.FMatID.empty());
    EXPECT_EQ(m.FMatName[0], "M");
}

// ---- Materials ---------------------------------------------------------------------------------

TEST(MS3D, material_colours_flags_transparency_and_maps) {
    TGLAll3dsMesh model;
    loadText(model, sampleText());
    ASSERT_EQ(model.FNumMaterials, 3);
    ASSERT_EQ(model.FMaterial.size(), 3u);
    const TGL3dsMaterial& glass = *model.FMaterial[2];
    EXPECT_EQ(glass.FName, "Glass");
    EXPECT_TRUE(glass.FIsAmbient);  // 0, 0.5, 0
    EXPECT_FLOAT_EQ(glass.FAmbG, 0.5f);
    EXPECT_TRUE(glass.FIsDiffuse);
    EXPECT_FLOAT_EQ(glass.FDifR, 0.8f);
    EXPECT_FLOAT_EQ(glass.FTransparency, 0.5f);      // the diffuse line's fourth value
    EXPECT_FLOAT_EQ(glass.FBumpMapStrength, 0.35f);  // the transparency line
    EXPECT_FALSE(glass.FIsSpecular);                 // 0, 0, 0
    EXPECT_EQ(glass.FFileName, ".\\gull.bmp");       // kept as written
    EXPECT_TRUE(glass.FHasTextureMap);
    EXPECT_FALSE(glass.FHasBumpMap);
    const TGL3dsMaterial& steel = *model.FMaterial[0];
    EXPECT_EQ(steel.FFileName, "");
    EXPECT_FALSE(steel.FHasTextureMap);
    EXPECT_FLOAT_EQ(steel.FTransparency, 1.0f);
}

TEST(MS3D, material_zero_colour_leaves_its_flag_false_and_names_keep_blanks) {
    TGLAll3dsMesh model;
    loadText(model, "Materials: 1\n" +
                        materialBlock("Brushed \"Steel\"", "0 0 0 1", "0 0 0.25 1", "\"maps/a b.tga\"") +
                        "\n");
    const TGL3dsMaterial& m = *model.FMaterial[0];
    EXPECT_EQ(m.FName, "Brushed Steel");
    EXPECT_FALSE(m.FIsAmbient);
    EXPECT_TRUE(m.FIsDiffuse);
    EXPECT_EQ(m.FFileName, "maps/a b.tga");
}

// ---- The walk ----------------------------------------------------------------------------------

TEST(MS3D, sections_in_either_order_and_meshes_zero_continues) {
    TGLAll3dsMesh model;
    loadText(model, "Materials: 3\n" + materialBlock("A") + materialBlock("B") + materialBlock("C") +
                        "Meshes: 1\n" + meshBlock("\"M\" 0 1") + "Bones: 0\n");
    EXPECT_EQ(model.FMesh[0]->FMatName[0], "B");
    TGLAll3dsMesh empty;
    loadText(empty, "Meshes: 0\nMaterials: 1\n" + materialBlock("A") + "\n");
    EXPECT_EQ(empty.FNumMeshes, 0);
    EXPECT_TRUE(empty.FMesh.empty());
    EXPECT_EQ(empty.FNumMaterials, 1);
}

TEST(MS3D, bones_header_sets_load_skeleton_unless_zero_or_on_the_last_line) {
    struct Case {
        const char* text;
        bool declared;
    };
    for (const Case& c : {Case{"Bones: 2\n\"root\"\n", true}, Case{"Bones: 0\nModelComment: 0\n", false},
                          Case{"Frames: 1\nBones: 3\n", false}, Case{"Frames: 1\nBones: 3", false}}) {
        TGLAll3dsMesh model;
        loadText(model, c.text);
        EXPECT_EQ(model.FLoadSkeleton, c.declared) << c.text;
    }
}

TEST(MS3D, headers_are_case_sensitive_need_their_blank_and_pass_blocks_by) {
    TGLAll3dsMesh model;
    // Not headers: skipped like comments. A name line that reads "Meshes: 5" inside a block is data.
    loadText(model,
             "meshes: 1\nMeshes:1\n// Meshes: 1\nMaterials: 1\nMeshes: 5\n0 0 0 1\n0 0 0 1\n0 0 0 1\n"
             "x\nx\n1\n\"\"\n\"\"\n\n");
    EXPECT_EQ(model.FNumMeshes, 0);
    EXPECT_EQ(model.FMaterial[0]->FName, "Meshes: 5");
}

// A stream that hands out at most `piece` bytes per read, so lines and CR LF pairs straddle reads.
class TrickleStream : public TMemoryStream {
  public:
    TrickleStream(const std::string& text, int64_t piece)
        : TMemoryStream(std::vector<uint8_t>(text.begin(), text.end())), FPiece(piece) {}
    int64_t Read(void* Buffer, int64_t Count) override {
        return TMemoryStream::Read(Buffer, std::min(Count, FPiece));
    }

  private:
    int64_t FPiece;
};

TEST(MS3D, cr_and_crlf_breaks_and_text_in_small_pieces_read_alike) {
    std::string crlf, cr;
    for (char c : sampleText()) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        cr += c == '\n' ? '\r' : c;
    }
    for (const std::string& text : {crlf, cr})
        for (int64_t piece : {1, 2, 7, 1 << 20}) {
            TGLAll3dsMesh model;
            TrickleStream stream(text, piece);
            model.LoadMSAFromStream(stream);
            ASSERT_EQ(model.FNumMeshes, 2) << piece;
            EXPECT_EQ(model.FMesh[1]->FIndices, (std::vector<uint16_t>{0, 2, 1, 2, 0, 1})) << piece;
            EXPECT_EQ(model.FMaterial[2]->FFileName, ".\\gull.bmp") << piece;
        }
}

TEST(MS3D, a_second_mesh_section_replaces_the_list) {
    TGLAll3dsMesh model;
    loadText(model, "Meshes: 1\n" + meshBlock("\"First\" 0 -1") + "Meshes: 1\n" +
                        meshBlock("\"Second\" 0 -1") + "\n");
    ASSERT_EQ(model.FNumMeshes, 1);
    EXPECT_EQ(model.FMesh[0]->FName, "Second");
    EXPECT_EQ(model.FRenderOrder, (std::vector<int32_t>{0}));
    EXPECT_EQ(model.Components().size(), 2u);  // the first stays owned
}

// ---- Decimal separator -------------------------------------------------------------------------

TEST(MS3D, comma_separator_reads_comma_numbers_and_still_points) {
    SeparatorScope comma(',');
    TGLAll3dsMesh model;
    // Whole-line numbers carry the comma; field lists split at commas, so their numbers are whole.
    loadText(model, "Materials: 1\n" + materialBlock("M", "0 0 0 1", "1 1 1 1", "\"\"", " 0,75 ") + "\n");
    EXPECT_FLOAT_EQ(model.FMaterial[0]->FBumpMapStrength, 0.75f);
    // A file written with the point loads under the comma too.
    TGLAll3dsMesh points;
    loadText(points, "Materials: 1\n" + materialBlock("M", "0 0 0 1", "1 1 1 1", "\"\"", "0.75") + "\n");
    EXPECT_FLOAT_EQ(points.FMaterial[0]->FBumpMapStrength, 0.75f);
    TGLAll3dsMesh neither;
    const std::string error = loadError<EConvertError>(
        neither, "Materials: 1\n" + materialBlock("M", "0 0 0 1", "1 1 1 1", "\"\"", "0;75") + "\n");
    EXPECT_NE(error.find("stream:8: the transparency line of material 'M' is not a real number (decimal "
                         "separator ','): '0;75'"),
              std::string::npos)
        << error;
    SeparatorScope point('.');
    TGLAll3dsMesh commas;
    EXPECT_NE(loadError<EConvertError>(
                  commas, "Materials: 1\n" + materialBlock("M", "0 0 0 1", "1 1 1 1", "\"\"", "0,75") + "\n"),
              "");
}

TEST(MS3D, number_conversion_rules) {
    using namespace vtrl3ds_internal;
    float f = 0;
    int32_t i = 0;
    EXPECT_EQ(parseFloat(" -1.5e2 ", '.', f), NumberStatus::ok);
    EXPECT_FLOAT_EQ(f, -150.0f);
    EXPECT_EQ(parseFloat("+2,25", ',', f), NumberStatus::ok);
    EXPECT_FLOAT_EQ(f, 2.25f);
    for (const char* bad : {"", ".", "1.2.3", "1e", "e5", "inf", "nan", "0x10", "1 2", "1,5"})
        EXPECT_EQ(parseFloat(bad, '.', f), NumberStatus::invalid) << bad;
    EXPECT_EQ(parseFloat("1.5", ',', f), NumberStatus::ok);  // the point is read under the comma too
    EXPECT_FLOAT_EQ(f, 1.5f);
    EXPECT_EQ(parseFloat("1e39", '.', f), NumberStatus::outOfRange);
    EXPECT_EQ(parseFloat("-1e400", '.', f), NumberStatus::outOfRange);
    EXPECT_EQ(parseFloat("1e-60", '.', f), NumberStatus::ok);
    EXPECT_EQ(f, 0.0f);
    EXPECT_EQ(parseInt32(" -12", i), NumberStatus::ok);
    EXPECT_EQ(i, -12);
    EXPECT_EQ(parseInt32("2147483647", i), NumberStatus::ok);
    EXPECT_EQ(parseInt32("2147483648", i), NumberStatus::outOfRange);
    for (const char* bad : {"", "-", "12 ", "1.0", "0x1F", "+-1"})
        EXPECT_EQ(parseInt32(bad, i), NumberStatus::invalid) << bad;
}

// ---- Post-processing and entry points ----------------------------------------------------------

TEST(MS3D, size_and_render_order_follow_the_load) {
    TGLAll3dsMesh model;
    loadText(model, sampleText());
    // The model box holds the origin; the see-through mesh (material Glass) is drawn last.
    EXPECT_POINT(model.FMinimum, 0, 0, 0);
    EXPECT_POINT(model.FMaximum, 7, 8, 9);
    EXPECT_POINT(model.FMesh[0]->FMinimum, 1, 2, 3);
    EXPECT_EQ(model.FRenderOrder, (std::vector<int32_t>{1, 0}));
    EXPECT_EQ(model.FType, 0);  // only the file entry sets the type
}

TEST(MS3D, load_from_file_dispatches_txt_in_any_case_and_restarts_lists) {
    TempDir dir;
    const std::string text = sampleText();
    const std::string path = dir.write("MODEL.TXT", std::vector<uint8_t>(text.begin(), text.end()));
    TGLAll3dsMesh model;
    model.LoadFromFile(path);
    EXPECT_EQ(model.FType, MeshMSA);
    EXPECT_EQ(model.FName, path);
    EXPECT_EQ(model.FNumMeshes, 2);
    EXPECT_FALSE(model.FLoadSkeleton);
    EXPECT_EQ(model.FNumSkeletons, 0);
    model.LoadFromFile(path);
    EXPECT_EQ(model.FMesh.size(), 2u);
    EXPECT_EQ(model.FMaterial.size(), 3u);
    EXPECT_EQ(model.Components().size(), 10u);  // both loads' meshes and materials stay owned
    EXPECT_THROW(model.LoadFromFile(dir.file("missing.txt")), EStreamError);
}

// ---- Hostile text ------------------------------------------------------------------------------

TEST(MS3DHostile, every_cut_of_a_valid_file_loads_or_fails_cleanly) {
    const std::string full = sampleText();
    size_t failures = 0;
    for (size_t n = 0; n < full.size(); ++n) {
        TGLAll3dsMesh model;
        const std::string error = loadError(model, full.substr(0, n));
        if (!error.empty()) {
            ++failures;
            EXPECT_EQ(error.rfind("LoadMSAFromStream: stream:", 0), 0u) << error;
        }
        // Lists hold only what was made, and counts never run ahead of them.
        EXPECT_EQ(static_cast<size_t>(model.FNumMeshes), model.FMesh.size());
        EXPECT_EQ(static_cast<size_t>(model.FNumMaterials), model.FMaterial.size());
        for (const TGL3dsMesh* m : model.FMesh) ASSERT_NE(m, nullptr);
    }
    EXPECT_GT(failures, full.size() / 2);
}

struct Refusal {
    const char* name;
    std::string text;
    const char* message;  // expected within the error text
};

template <class E>
void expectRefusals(const std::vector<Refusal>& cases) {
    for (const Refusal& c : cases) {
        TGLAll3dsMesh model;
        const std::string error = loadError<E>(model, c.text);
        EXPECT_NE(error.find(c.message), std::string::npos) << c.name << ": " << error;
    }
}

TEST(MS3DHostile, counts_beyond_the_text_are_refused_before_allocating) {
    expectRefusals<EIndexError>({
        {"meshes", "Meshes: 2000000000\n\"M\" 0 0\n",
         "stream:1: 2000000000 meshes cannot fit in the 8 bytes that follow (at least 12 each)"},
        {"vertices", "Meshes: 1\n\"M\" 0 0\n1000000000\n0 1 2 3 4 5 6\n",
         "stream:3: 1000000000 vertices of mesh 'M' cannot fit in the 14 bytes that follow"},
        {"normals", "Meshes: 1\n\"M\" 0 0\n0\n99999999\n", "stream:4: 99999999 normals of mesh 'M'"},
        {"triangles", "Meshes: 1\n\"M\" 0 0\n0\n0\n2147483647\n0 0 0 0 0 0 0\n",
         "2147483647 triangles of mesh 'M'"},
        {"materials", "Materials: 70000000\n\"A\"\n", "stream:1: 70000000 materials cannot fit"},
    });
}

TEST(MS3DHostile, text_ending_inside_a_block_names_what_is_missing) {
    expectRefusals<EIndexError>({
        {"vertex", "Meshes: 1\n\"M\" 0 0\n2\n0 1 2 3 4 5 6\n0 1 2 3 4 5 6\n",
         "stream:5: the text ends before the normal count of mesh 'M'"},
        {"material", "Materials: 1\n\"A\"\n0 0 0 1\n0 0 0 1\n0 0 0 1\n\n\n1.0\n\"\"\n",
         "stream:9: the text ends before the alpha map line of material 'A'"},
        {"mesh header", "Meshes: 1\n\n0\n0\n0\n0\n0\n", "stream:2: mesh 1 of 1 has 0 fields, 3 expected"},
    });
}

TEST(MS3DHostile, short_field_lists_and_non_numbers_name_the_field) {
    expectRefusals<EIndexError>({
        {"vertex fields", "Meshes: 1\n\"M\" 0 0\n1\n0 1 2 3 4 5\n0\n0\n",
         "stream:4: vertex 1 of 1 of mesh 'M' has 6 fields, 7 expected"},
        {"triangle fields", "Meshes: 1\n\"M\" 0 0\n1\n0 1 2 3 4 5 -1\n1\n0 0 1\n1\n10 0 0 0 0 0\n",
         "stream:8: triangle 1 of 1 of mesh 'M' has 6 fields, 7 expected"},
        {"colour fields", "Materials: 1\n\"A\"\n0                         0\n",
         "stream:3: the ambient colour line of material 'A' has 2 fields, 3 expected"},
    });
    expectRefusals<EConvertError>({
        {"real", "Meshes: 1\n\"M\" 0 0\n1\n0 1 two 3 4 5 -1\n0\n0\n",
         "stream:4: field 2 of vertex 1 of 1 of mesh 'M' is not a real number: 'two'"},
        {"bone", "Meshes: 1\n\"M\" 0 0\n1\n0 1 2 3 4 5 1.0\n0\n0\n",
         "field 6 of vertex 1 of 1 of mesh 'M' is not a 32-bit integer: '1.0'"},
        {"count", "Meshes: 1\n\"M\" 0 0\n3 \n",
         "stream:3: the vertex count of mesh 'M' is not a 32-bit integer: '3 '"},
        {"header", "Meshes: 2 \n\n",
         "stream:1: the value of the 'Meshes: ' header is not a 32-bit integer: '2 '"},
        {"blank line in a block", "Meshes: 1\n\"M\" 0 0\n\n0\n0\n0\n",
         "stream:3: the vertex count of mesh 'M' is not a 32-bit integer: ''"},
        {"material index", "Meshes: 1\n\"M\" 0 x\n0\n0\n0\n",
         "field 2 of mesh 1 of 1 is not a 32-bit integer: 'x'"},
    });
}

TEST(MS3DHostile, indices_and_values_out_of_range_are_refused) {
    const std::string oneVertex = "Meshes: 1\n\"M\" 0 0\n1\n0 1 2 3 4 5 -1\n1\n0 0 1\n1\n";
    expectRefusals<ERangeError>({
        {"vertex index", oneVertex + "0 0 0 1 0 0 0 1\n",
         "stream:8: triangle 1 of 1 of mesh 'M': vertex index 1 in field 3 is beyond the mesh's 1 vertex"},
        {"16 bits", oneVertex + "0 0 0 70000 0 0 0 1\n", "vertex index 70000 in field 3 is outside 0..65535"},
        {"negative index", oneVertex + "0 -1 0 0 0 0 0 1\n",
         "vertex index -1 in field 1 is outside 0..65535"},
        {"material", "Meshes: 1\n\"M\" 0 3\n0\n0\n0\nMaterials: 0\n\n",
         "stream:2: mesh 'M' uses material 3, but the file has 0 materials"},
        {"material below -1", "Meshes: 1\n\"M\" 0 -2\n0\n0\n0\n",
         "stream:2: mesh 'M': material index -2 outside -1..65534"},
        {"negative count", "Meshes: 1\n\"M\" 0 0\n-1\n",
         "stream:3: the vertex count of mesh 'M' is negative: -1"},
        {"negative meshes", "Meshes: -1\n\n", "stream:1: negative mesh count -1"},
        {"negative bones", "Bones: -3\n\n", "stream:1: negative bone count -3"},
        {"huge real", "Meshes: 1\n\"M\" 0 0\n1\n0 1e39 2 3 4 5 -1\n",
         "field 1 of vertex 1 of 1 of mesh 'M' is beyond the single-precision range"},
        {"bone index",
         "Meshes: 1\n\"M\" 0 -1\n2\n0 1 2 3 4 5 0\n0 1 2 3 4 5 2\n1\n0 0 1\n1\n0 0 1 1 0 0 0 1\nBones: 2\n\n",
         "stream:5: vertex 2 of mesh 'M' names bone 2, but the file has 2 bones"},
    });
}

TEST(MS3DHostile, very_long_lines_and_odd_bytes_between_blocks_are_skipped) {
    TGLAll3dsMesh model;
    const std::string longLine(1 << 20, 'x');
    loadText(model, longLine + "\n" + std::string("\0\x01\xff\n", 4) + "Meshes: 1\n" +
                        meshBlock("\"M\" 0 -1") + longLine);
    EXPECT_EQ(model.FNumMeshes, 1);
    // A long vertex line is split only as far as needed.
    TGLAll3dsMesh wide;
    std::string fields = "0 1 2 3 4 5 -1";
    for (int i = 0; i < 100000; ++i) fields += " 9";
    loadText(wide, "Meshes: 1\n\"M\" 0 -1\n1\n" + fields + "\n0\n0\n");
    EXPECT_POINT(wide.FMesh[0]->FVertex[0], 1, 2, 3);
    // A NUL inside a number does not convert.
    TGLAll3dsMesh nul;
    const char raw[] = "Meshes: 1\n\"M\" 0 -1\n1\n0 1\0 2 3 4 5 -1\n0\n0\n";
    EXPECT_NE(loadError<EConvertError>(nul, std::string(raw, sizeof raw - 1)).find("is not a real number"),
              std::string::npos);
}

TEST(MS3DHostile, what_was_built_before_a_failure_stays_listed) {
    TGLAll3dsMesh model;
    const std::string text =
        "Meshes: 3\n" + meshBlock("\"A\" 0 -1") + meshBlock("\"B\" 0 -1") + "\"C\" 0 -1\n1\n0 x\n";
    EXPECT_NE(loadError<EIndexError>(model, text), "");
    ASSERT_EQ(model.FNumMeshes, 3);
    EXPECT_EQ(model.FMesh[1]->FName, "B");
    EXPECT_EQ(model.FMesh[1]->FNumIndices, 6);
    EXPECT_EQ(model.FMesh[2]->FName, "C");
}

TEST(MS3DHostile, errors_from_a_file_name_the_file_and_line) {
    TempDir dir;
    const std::string text = "// MilkShape 3D ASCII\r\n\r\nMeshes: 1\r\n\"M\" 0 0\r\n1\r\n0 1 2 3 4 5\r\n";
    const std::string path = dir.write("model.txt", std::vector<uint8_t>(text.begin(), text.end()));
    TGLAll3dsMesh model;
    try {
        model.LoadFromFile(path);
        FAIL() << "loaded";
    } catch (const EIndexError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "LoadMSAFromStream: " + path + ":6: vertex 1 of 1 of mesh 'M' has 6 fields, 7 expected");
    }
}

// ---- Real files --------------------------------------------------------------------------------

std::string realFile(const std::string& name) {
    return std::string(VTRL_TESTDATA_DIR) + "/real/ms3d_ascii/" + name;
}

// No independent reader of this text format is at hand (assimp reads only the binary one): the
// counts were taken from the file by hand and checked with awk over its count lines.
TEST(MS3DReal, orbital_note_counts_and_values) {
    TGLAll3dsMesh model;
    model.LoadFromFile(realFile("orbital_note.txt"));
    ASSERT_EQ(model.FNumMeshes, 2);
    const TGL3dsMesh& scroll = *model.FMesh[0];
    EXPECT_EQ(scroll.FName, "scroll");
    EXPECT_EQ(scroll.FNumVertex, 17);
    EXPECT_EQ(scroll.FVNormal.size(), 1u);
    EXPECT_EQ(scroll.FNumIndices, 16 * 3);
    EXPECT_POINT(scroll.FVertex[0], 18.576029f, 12.295176f, 2.879607f);
    EXPECT_FLOAT_EQ(scroll.FMapping[0].tv, 1.0f - 0.233639f);
    EXPECT_EQ(scroll.FMatName[0], "scroll");
    const TGL3dsMesh& frame = *model.FMesh[1];
    EXPECT_EQ(frame.FName, "frame");
    EXPECT_EQ(frame.FNumVertex, 65);
    EXPECT_EQ(frame.FVNormal.size(), 65u);
    EXPECT_EQ(frame.FNumIndices, 112 * 3);
    EXPECT_POINT(frame.FVertex[0], 0, 0, 3.32119f);
    EXPECT_EQ(frame.FMatName[0], "frame");
    EXPECT_EQ(model.FNumMaterials, 2);
    EXPECT_FLOAT_EQ(model.FMaterial[0]->FDifR, 0.8f);
    EXPECT_FALSE(model.FMaterial[0]->FHasTextureMap);
    EXPECT_FALSE(model.FLoadSkeleton);
}

TEST(MS3DReal, headerless_materials_only_file) {
    TGLAll3dsMesh model;
    model.LoadFromFile(realFile("orbital_grey_materials_only.txt"));
    EXPECT_EQ(model.FNumMeshes, 0);
    ASSERT_EQ(model.FNumMaterials, 2);
    EXPECT_EQ(model.FMaterial[0]->FName, "scroll");
    EXPECT_EQ(model.FMaterial[0]->FFileName, "scroller.ini");
    EXPECT_TRUE(model.FMaterial[0]->FHasTextureMap);
    EXPECT_EQ(model.FMaterial[1]->FFileName, "_grey (no mipmaps).png");
    EXPECT_FLOAT_EQ(model.FMaterial[1]->FBumpMapStrength, 1.0f);
}

}  // namespace
