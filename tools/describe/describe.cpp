// The inspector's JSON description of a model and its skeletons (see describe.h). Reads the model
// only; faces naming a vertex beyond their mesh's list are counted, never followed. Nothing here
// fails.
#include "describe.h"

#include <map>
#include <set>

#include "vtrl3ds/host.h"
#include "vtrl3ds/keyframer.h"
#include "vtrl3ds/skeleton.h"
#include "vtrl3ds/types.h"

using json = ModelJson;

namespace {

json point(const T3dpoint& p) {
    return json::array({p.X, p.Y, p.Z});
}

json box(const T3dpoint& minimum, const T3dpoint& maximum) {
    return json{{"min", point(minimum)}, {"max", point(maximum)}};
}

const char* typeName(int32_t type) {
    switch (type) {
        case Mesh3DS:
            return "3DS";
        case Mesh3DSA:
            return "3DS ASCII";
        case Mesh3DSBVH:
            return "BVH";
        case MeshMSA:
            return "MilkShape ASCII";
        case MeshMS3D:
            return "MilkShape";
        case MeshBIN:
            return "binary";
        default:
            return "none";
    }
}

// Faces (whole triangles of FIndices) that name a vertex beyond the mesh's vertex list.
size_t facesBeyondVertexList(const TGL3dsMesh& m) {
    const size_t vertices = std::min(static_cast<size_t>(std::max(m.FNumVertex, 0)), m.FVertex.size());
    const size_t corners = std::min(static_cast<size_t>(std::max(m.FNumIndices, 0)), m.FIndices.size());
    size_t bad = 0;
    for (size_t f = 0; f + 2 < corners; f += 3)
        if (m.FIndices[f] >= vertices || m.FIndices[f + 1] >= vertices || m.FIndices[f + 2] >= vertices)
            ++bad;
    return bad;
}

json describeMesh(const TGLAll3dsMesh& model, const TGL3dsMesh& m, size_t index) {
    json groups = json::array();
    for (const std::string& name : m.FMatName)
        groups.push_back({{"name", Cp1252ToUtf8(name)}, {"id", model.GetMaterialIDByName(name)}});
    // Face material indices in use; an index naming no material is shown as -1.
    std::set<int32_t> used;
    for (uint16_t id : m.FMatID) used.insert(id < model.FMaterial.size() ? id : -1);
    return {{"index", index},
            {"name", Cp1252ToUtf8(m.FName)},
            {"id", m.FId},
            {"vertices", m.FNumVertex},
            {"faces", m.FNumIndices / 3},
            {"faces_beyond_vertex_list", facesBeyondVertexList(m)},
            {"material_groups", groups},
            {"face_material_ids", used},
            {"bounding_box", box(m.FMinimum, m.FMaximum)},
            {"pivot", point(m.FPivot)}};
}

json describeMaterial(const TGL3dsMaterial& m, size_t index) {
    auto mapName = [](bool has, const std::string& name) {
        return has ? json(Cp1252ToUtf8(name)) : json(nullptr);
    };
    return {{"index", index},
            {"name", Cp1252ToUtf8(m.FName)},
            {"ambient", json::array({m.FAmbR, m.FAmbG, m.FAmbB})},
            {"diffuse", json::array({m.FDifR, m.FDifG, m.FDifB})},
            {"specular", json::array({m.FSpcR, m.FSpcG, m.FSpcB})},
            {"transparency", m.FTransparency},
            {"two_sided", m.FTwoSided},
            {"texture_map", mapName(m.FHasTextureMap, m.FFileName)},
            {"bump_map", mapName(m.FHasBumpMap, m.FBumpMapFileName)},
            {"bump_strength", m.FBumpMapStrength}};
}

// A bone: its name, its parent's name and index (null and -1 for a root) and its key counts.
json describeBone(const TGL3dsBone& b, const std::map<const TGL3dsBone*, size_t>& index) {
    const auto parent = b.FParent ? index.find(b.FParent) : index.end();
    return {{"name", Cp1252ToUtf8(b.FName)},
            {"parent", b.FParent ? json(Cp1252ToUtf8(b.FParent->FName)) : json(nullptr)},
            {"parent_index", parent != index.end() ? static_cast<int64_t>(parent->second) : -1},
            {"translate_keys", b.FNumTranslateFrames},
            {"rotate_keys", b.FNumRotateFrames}};
}

json describeSkeleton(const TGLSkeleton& s) {
    std::map<const TGL3dsBone*, size_t> index;
    for (size_t i = 0; i < s.FBone.size(); ++i) index[s.FBone[i]] = i;
    json bones = json::array();
    int64_t translateKeys = 0, rotateKeys = 0;
    for (const TGL3dsBone* b : s.FBone) {
        if (!b) continue;
        bones.push_back(describeBone(*b, index));
        translateKeys += b->FNumTranslateFrames;
        rotateKeys += b->FNumRotateFrames;
    }
    return {{"file", Cp1252ToUtf8(s.FName)},
            {"frames", s.FNumFrames},
            {"translate_keys", translateKeys},
            {"rotate_keys", rotateKeys},
            {"bones", bones}};
}

// A keyframer node: its number, names, parent's number (null for a root), kind, pivot and the
// key count of each track.
json describeNode(const TKeyframer& kf, const TKfNode& n) {
    return {{"id", n.Id},
            {"name", Cp1252ToUtf8(n.Name)},
            {"parent", n.Parent >= 0 ? json(kf.Nodes[size_t(n.Parent)].Id) : json(nullptr)},
            {"type", KfNodeTypeName(n)},
            {"instance", n.Instance.empty() ? json(nullptr) : json(Cp1252ToUtf8(n.Instance))},
            {"pivot", point(n.Pivot)},
            {"keys",
             {{"position", n.Position.Keys.size()},
              {"rotation", n.Rotation.Keys.size()},
              {"scale", n.Scale.Keys.size()},
              {"hide", n.Hide.Keys.size()}}}};
}

}  // namespace

json DescribeModel(const TGLAll3dsMesh& model, const std::string& fileName, const TKeyframer& keyframer) {
    json meshes = json::array(), materials = json::array();
    size_t beyond = 0;
    for (size_t i = 0; i < model.FMesh.size(); ++i) {
        const TGL3dsMesh& m = *model.FMesh[i];
        meshes.push_back(describeMesh(model, m, i));
        beyond += facesBeyondVertexList(m);
    }
    const TModelCounts counts = CountModel(model);
    for (size_t i = 0; i < model.FMaterial.size(); ++i)
        materials.push_back(describeMaterial(*model.FMaterial[i], i));
    json skeletons = json::array();
    for (const TGLSkeleton* s : model.FSkeleton)
        if (s) skeletons.push_back(describeSkeleton(*s));
    json nodes = json::array();
    for (const TKfNode& n : keyframer.Nodes) nodes.push_back(describeNode(keyframer, n));
    const json segment = keyframer.Empty() ? json(nullptr)
                                           : json{{"start", keyframer.SegmentStart},
                                                  {"end", keyframer.SegmentEnd},
                                                  {"current", keyframer.CurrentFrame}};
    return {{"file", Cp1252ToUtf8(fileName)},
            {"type", typeName(model.FType)},
            {"version", model.FVersion},
            {"scale", model.FMasterScale},
            {"counts",
             {{"meshes", counts.Meshes},
              {"named_objects", counts.NamedObjects},
              {"materials", counts.Materials},
              {"vertices", counts.Vertices},
              {"faces", counts.Faces},
              {"faces_beyond_vertex_list", beyond}}},
            {"bounding_box", box(model.FMinimum, model.FMaximum)},
            {"render_order", model.FRenderOrder},
            {"meshes", meshes},
            {"materials", materials},
            {"skeletons", skeletons},
            {"segment", segment},
            {"nodes", nodes}};
}
