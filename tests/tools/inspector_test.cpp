// The model inspector vtrl3ds-info, run as users run it: its JSON for a file built here, and its
// one-line error and exit status for files that do not load.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/files3ds.h"
#include "support/run_tool.h"
#include "vtrl3ds/keyframer_files.h"

namespace {

class Inspector : public ::testing::Test {
  protected:
    TempDir dir;

    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
        return dir.write(name, bytes);
    }
    ToolRun run(const std::string& file) { return runArgs("'" + file + "'"); }
    ToolRun runArgs(const std::string& args) {
        return RunTool(dir, "'" + ToolPath("vtrl3ds-info") + "' " + args);
    }
};

TEST_F(Inspector, prints_what_the_loader_saw_as_json) {
    const std::string path = write("sample.3ds", sampleFile());
    const ToolRun r = run(path);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["file"], path);
    EXPECT_EQ(j["type"], "3DS");
    EXPECT_EQ(j["version"], 3);
    EXPECT_EQ(j["scale"], 1.0);
    EXPECT_EQ(j["counts"]["meshes"], 3);
    EXPECT_EQ(j["counts"]["materials"], 2);
    EXPECT_EQ(j["counts"]["vertices"], 7);
    EXPECT_EQ(j["counts"]["faces"], 3);
    EXPECT_EQ(j["counts"]["faces_beyond_vertex_list"], 0);
    EXPECT_EQ(j["bounding_box"]["max"], nlohmann::json::parse("[2, 5, 1]"));
    EXPECT_EQ(j["render_order"], nlohmann::json::parse("[0, 2, 1]"));
    const nlohmann::json& pane = j["meshes"][1];
    EXPECT_EQ(pane["name"], "Pane");
    EXPECT_EQ(pane["vertices"], 3);
    EXPECT_EQ(pane["faces"], 1);
    EXPECT_EQ(pane["material_groups"], nlohmann::json::parse(R"([{"name": "glass", "id": 1}])"));
    EXPECT_EQ(pane["face_material_ids"], nlohmann::json::parse("[1]"));
    EXPECT_EQ(pane["pivot"], nlohmann::json::parse("[0, 0, 1]"));
    EXPECT_EQ(pane["bounding_box"]["min"], nlohmann::json::parse("[0, 5, -1]"));
    const nlohmann::json& glass = j["materials"][1];
    EXPECT_EQ(glass["name"], "Glass");
    EXPECT_EQ(glass["transparency"], 0.5);
    EXPECT_EQ(glass["two_sided"], true);
    EXPECT_EQ(glass["texture_map"], "GLASS.TGA");
    EXPECT_EQ(glass["bump_map"], "BUMP.TGA");
    EXPECT_EQ(j["materials"][0]["texture_map"], nullptr);
    EXPECT_EQ(j["materials"][0]["diffuse"], nlohmann::json::parse("[1, 0, 0]"));
}

TEST_F(Inspector, counts_faces_naming_vertices_beyond_the_list_and_converts_names) {
    const std::string path =
        write("bad.3ds", file3ds([](ChunkWriter& w) {
                  material(w, "Caf\xe9 \x80");
                  triMesh(w, "M", unitTriangle(), {{0, 1, 2}, {0, 1, 3}, {5, 5, 5}}, {{"Nowhere", {0}}});
              }));
    const ToolRun r = run(path);
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["counts"]["faces_beyond_vertex_list"], 2);
    EXPECT_EQ(j["meshes"][0]["faces_beyond_vertex_list"], 2);
    EXPECT_EQ(j["meshes"][0]["material_groups"][0]["id"], -1);
    EXPECT_EQ(j["meshes"][0]["face_material_ids"], nlohmann::json::parse("[-1, 0]"));
    EXPECT_EQ(j["materials"][0]["name"], "Caf\xc3\xa9 \xe2\x82\xac");
}

TEST_F(Inspector, broken_file_prints_one_line_naming_file_and_reason_and_exits_1) {
    std::vector<uint8_t> bytes = sampleFile();
    bytes.resize(bytes.size() / 2);
    const std::string path = write("cut.3ds", bytes);
    const ToolRun r = run(path);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.find("vtrl3ds-info: " + path + ": Load3DSFromStream: "), 0u) << r.err;
    EXPECT_NE(r.err.find("but the data ends at offset " + std::to_string(bytes.size())), std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1);
}

TEST_F(Inspector, missing_file_and_unknown_extension_fail_with_status_1) {
    ToolRun r = run(dir.file("absent.3ds"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot open: No such file or directory"), std::string::npos) << r.err;
    r = run(write("model.obj", sampleFile()));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("model.obj: unsupported file name extension"), std::string::npos) << r.err;
}

// A file of which nothing was recognised is an error, as in the viewer: one line, status 1, no JSON.
TEST_F(Inspector, files_with_nothing_recognised_fail_with_one_line) {
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
    } rows[] = {
        {"empty.3ds", {}},
        {"empty.bvh", {}},
        {"picture.3ds", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'}}};
    for (const auto& row : rows) {
        const std::string path = write(row.name, row.bytes);
        const ToolRun r = run(path);
        EXPECT_EQ(r.status, 1) << row.name;
        EXPECT_EQ(r.out, "") << row.name;
        EXPECT_EQ(r.err.rfind("vtrl3ds-info: " + path + ": ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find("nothing in it that the model library recognises"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }
}

TEST_F(Inspector, help_version_and_wrong_command_lines) {
    const struct {
        const char* args;
        int status;
        const char *out, *err;
    } rows[] = {
        {"--help", 0, "Usage: vtrl3ds-info MODEL_FILE\n", ""},
        {"-h", 0, "Usage: vtrl3ds-info MODEL_FILE\n", ""},
        {"--version", 0, "vtrl3ds-info (showroom) ", ""},
        {"", 2, "", "vtrl3ds-info: no file named\n"},
        {"a.3ds b.3ds", 2, "", "vtrl3ds-info: more than one file named\n"},
        {"--bogus", 2, "", "vtrl3ds-info: unknown option --bogus\n"},
    };
    for (const auto& row : rows) {
        const ToolRun r = runArgs(row.args);
        EXPECT_EQ(r.status, row.status) << row.args;
        EXPECT_EQ(r.out.rfind(row.out, 0), 0u) << row.args << ": " << r.out;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1), row.err) << row.args;
    }
}

TEST_F(Inspector, reports_the_skeletons_of_motion_and_milkshape_files) {
    const std::string bvh =
        "HIERARCHY\nROOT Hips\n{\n OFFSET 0 0 0\n CHANNELS 6 Xposition Yposition Zposition Zrotation "
        "Xrotation Yrotation\n JOINT Spine\n {\n  OFFSET 0 5 0\n  CHANNELS 3 Zrotation Xrotation Yrotation\n"
        "  End Site\n  {\n   OFFSET 0 5 0\n  }\n }\n}\nMOTION\nFrames: 2\nFrame Time: 0.04\n"
        "0 0 0 0 0 0 0 0 0\n1 0 0 0 0 0 0 0 9\n";
    const std::string ms3d =
        "Meshes: 0\nMaterials: 0\nBones: 2\n\"Root\"\n\"\"\n0 0 0 0 0 0 0\n1\n1 0 0 0\n0\n"
        "\"Arm\"\n\"Root\"\n0 1 0 0 0 0 0\n0\n2\n1 0 0 0\n10 0 0 1.5\n\n";
    const struct {
        const char* name;
        std::string text, type;
        int frames, translateKeys, rotateKeys;
    } files[] = {{"walk.BVH", bvh, "BVH", 2, 4, 4}, {"arm.txt", ms3d, "MilkShape ASCII", 0, 1, 2}};
    for (const auto& f : files) {
        const ToolRun r = run(write(f.name, {f.text.begin(), f.text.end()}));
        ASSERT_EQ(r.status, 0) << f.name << ": " << r.err;
        const nlohmann::json j = nlohmann::json::parse(r.out);
        EXPECT_EQ(j["type"], f.type) << f.name;
        ASSERT_EQ(j["skeletons"].size(), 1u) << f.name;
        const nlohmann::json& s = j["skeletons"][0];
        EXPECT_EQ(s["frames"], f.frames) << f.name;
        EXPECT_EQ(s["translate_keys"], f.translateKeys) << f.name;
        EXPECT_EQ(s["rotate_keys"], f.rotateKeys) << f.name;
        ASSERT_EQ(s["bones"].size(), 2u) << f.name;
        EXPECT_EQ(s["bones"][0]["parent"], nullptr) << f.name;
        EXPECT_EQ(s["bones"][1]["parent"], s["bones"][0]["name"]) << f.name;
        EXPECT_EQ(s["bones"][1]["parent_index"], 0) << f.name;
    }
    const ToolRun r = run(write("sample.3ds", sampleFile()));
    EXPECT_EQ(nlohmann::json::parse(r.out)["skeletons"], nlohmann::json::array());
}

}  // namespace

// A 3DS keyframer: the segment and one entry per node; a parent loop is cut with one warning.
TEST_F(Inspector, prints_the_keyframer_segment_and_nodes) {
    NodeSpec box{1, "Box", 0, "A", {1, 2, 3}, {{0, {}, {0, 0, 0}}, {10, {}, {1, 0, 0}}}};
    box.hide = {{5, {}, {}}};
    const ToolRun r =
        run(write("scene.3ds", keyframedScene({"Box"}, {NodeSpec{0, "$$$DUMMY", 1, "Holder"}, box})));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("parent loops cut, these nodes made roots: 1 \"Box.A\""), std::string::npos)
        << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["segment"], nlohmann::json::parse(R"({"start": 0, "end": 100, "current": 5})"));
    EXPECT_EQ(j["nodes"], nlohmann::json::parse(R"([
        {"id": 0, "name": "$$$DUMMY", "parent": 1, "type": "dummy", "instance": "Holder", "pivot": [0, 0, 0],
         "keys": {"position": 0, "rotation": 0, "scale": 0, "hide": 0}},
        {"id": 1, "name": "Box", "parent": null, "type": "object", "instance": "A", "pivot": [1, 2, 3],
         "keys": {"position": 2, "rotation": 0, "scale": 0, "hide": 1}}])"));
}
