// The 3DS keyframer's node tree and its meshes: parents linked by id with loops cut (linkNodes),
// each mesh's own frame (meshToLocal), the placements of a loaded model's meshes by their nodes
// (PlaceMeshes) and the posed vertices (PoseVertices). Reports nothing but the warnings linkNodes
// adds to the keyframer.
#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "vtrl3ds/keyframer.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/private/checked.h"
#include "vtrl3ds/private/keyframing.h"
#include "vtrl3ds/vector.h"

using namespace vtrl3ds_internal;

namespace {

constexpr uint16_t noParent = 0xFFFF;

std::string nodeLabel(const TKeyframer& kf, int32_t i) {
    const TKfNode& n = kf.Nodes[size_t(i)];
    return std::to_string(n.Id) + " \"" + n.Name + (n.Instance.empty() ? "" : "." + n.Instance) + "\"";
}

// Cuts every parent loop where it closes (at the node whose parent is already on the walk);
// returns the nodes cut.
std::string cutLoops(TKeyframer& kf) {
    std::vector<uint8_t> state(kf.Nodes.size(), 0);  // 0 not seen, 1 on this walk, 2 done
    std::vector<int32_t> walk;
    std::string cut;
    for (size_t i = 0; i < kf.Nodes.size(); ++i) {
        walk.clear();
        int32_t j = static_cast<int32_t>(i);
        while (j >= 0 && state[size_t(j)] == 0) {
            state[size_t(j)] = 1;
            walk.push_back(j);
            j = kf.Nodes[size_t(j)].Parent;
        }
        if (j >= 0 && state[size_t(j)] == 1) {
            kf.Nodes[size_t(walk.back())].Parent = -1;
            cut += (cut.empty() ? "" : ", ") + nodeLabel(kf, walk.back());
        }
        for (int32_t w : walk) state[size_t(w)] = 2;
    }
    return cut;
}

// Order := the nodes by depth in the tree (stable), so that parents come first.
void orderByDepth(TKeyframer& kf) {
    std::vector<int32_t> depth(kf.Nodes.size(), -1), walk;
    for (size_t i = 0; i < kf.Nodes.size(); ++i) {
        walk.clear();
        int32_t j = static_cast<int32_t>(i);
        for (; j >= 0 && depth[size_t(j)] < 0; j = kf.Nodes[size_t(j)].Parent) walk.push_back(j);
        int32_t d = j >= 0 ? depth[size_t(j)] : -1;
        for (auto w = walk.rbegin(); w != walk.rend(); ++w) depth[size_t(*w)] = ++d;
    }
    kf.Order.resize(kf.Nodes.size());
    for (size_t i = 0; i < kf.Order.size(); ++i) kf.Order[i] = static_cast<int32_t>(i);
    std::stable_sort(kf.Order.begin(), kf.Order.end(),
                     [&](int32_t a, int32_t b) { return depth[size_t(a)] < depth[size_t(b)]; });
}

// Column-major affine helpers.
TKfMatrix diagonal(float x, float y, float z) {
    return {x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1};
}

TKfMatrix translation(float x, float y, float z) {
    TKfMatrix m = diagonal(1, 1, 1);
    m[12] = x, m[13] = y, m[14] = z;
    return m;
}

// The model's axes (Y and Z exchanged) from the file's, and back: the same matrix.
TKfMatrix exchangeYZ() {
    return {1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1};
}

// The inverse of the mesh's local frame (axes and origin as stored); the identity when the frame
// is flat or broken. A mirrored frame (negative determinant) holds its mesh mirrored in its local
// X: that mirror is undone here too, as the authoring program does.
TKfMatrix inverseMeshMatrix(const TGL3dsMesh& m) {
    const T3dpoint &x = m.LocalAxis[0], &y = m.LocalAxis[1], &z = m.LocalAxis[2], &o = m.FLocalCoords;
    // Rows of the inverse 3x3 block are the cofactor rows over the determinant.
    const T3dpoint r0 = VCross(y, z), r1 = VCross(z, x), r2 = VCross(x, y);
    const double det = double(x.X) * r0.X + double(x.Y) * r0.Y + double(x.Z) * r0.Z;
    if (!std::isfinite(det) || std::fabs(det) < 1e-12) return diagonal(1, 1, 1);
    const float k = float(1.0 / det);
    const T3dpoint r[3] = {det < 0 ? T3dpoint{-r0.X, -r0.Y, -r0.Z} : r0, r1, r2};
    TKfMatrix inv = diagonal(1, 1, 1);
    for (int row = 0; row < 3; ++row) {
        inv[size_t(row)] = r[row].X * k, inv[size_t(4 + row)] = r[row].Y * k,
        inv[size_t(8 + row)] = r[row].Z * k;
        inv[size_t(12 + row)] =
            -(inv[size_t(row)] * o.X + inv[size_t(4 + row)] * o.Y + inv[size_t(8 + row)] * o.Z);
    }
    return inv;
}

// Takes the model's loaded vertices back to the file's: the master scale undone, the pivot the
// loader subtracted added again, the axes exchanged back.
TKfMatrix loadedToFile(const TGL3dsMesh& m, float scale) {
    const TKfMatrix unscale = diagonal(1 / scale, 1 / scale, 1 / scale);
    const T3dpoint p = std::isfinite(m.FPivot.X + m.FPivot.Y + m.FPivot.Z) ? m.FPivot : T3dpoint{0, 0, 0};
    return kfMultiply(exchangeYZ(), kfMultiply(translation(p.X, p.Y, p.Z), unscale));
}

}  // namespace

namespace vtrl3ds_internal {

void linkNodes(TKeyframer& kf) {
    std::map<uint16_t, int32_t> byId;
    for (size_t i = 0; i < kf.Nodes.size(); ++i) byId.emplace(kf.Nodes[i].Id, static_cast<int32_t>(i));
    std::string missing;
    for (size_t i = 0; i < kf.Nodes.size(); ++i) {
        TKfNode& n = kf.Nodes[i];
        const auto found = byId.find(n.ParentId);
        n.Parent = n.ParentId == noParent || found == byId.end() ? -1 : found->second;
        if (n.ParentId != noParent && found == byId.end())
            missing += (missing.empty() ? "" : ", ") + nodeLabel(kf, static_cast<int32_t>(i));
    }
    const std::string cut = cutLoops(kf);
    if (!cut.empty())
        kf.Warnings.push_back("ReadKeyframer: parent loops cut, these nodes made roots: " + cut);
    if (!missing.empty())
        kf.Warnings.push_back("ReadKeyframer: parents naming no node, these nodes made roots: " + missing);
    orderByDepth(kf);
}

std::map<std::string, int32_t> meshesByName(const TGLAll3dsMesh& model) {
    std::map<std::string, int32_t> byName;
    for (size_t i = meshCount(model); i-- > 0;)
        if (model.FMesh[i]) byName[model.FMesh[i]->FName] = static_cast<int32_t>(i);
    return byName;
}

float masterScaleOf(const TGLAll3dsMesh& model) {
    return std::isfinite(model.FMasterScale) && model.FMasterScale != 0 ? model.FMasterScale : 1;
}

TKfMatrix meshToLocal(const TGL3dsMesh& mesh, float masterScale) {
    return kfMultiply(inverseMeshMatrix(mesh), loadedToFile(mesh, masterScale));
}

}  // namespace vtrl3ds_internal

std::vector<TKfPlacement> PlaceMeshes(const TKeyframer& Keyframer, const TGLAll3dsMesh& Model, float Frame,
                                      bool Ease) {
    const std::map<std::string, int32_t> meshByName = meshesByName(Model);
    const float scale = masterScaleOf(Model);
    const TKfMatrix fileToModel = kfMultiply(diagonal(scale, scale, scale), exchangeYZ());
    const std::vector<TKfNodePose> poses = EvaluateKeyframer(Keyframer, Frame, Ease);
    std::vector<TKfPlacement> placements;
    for (size_t i = 0; i < Keyframer.Nodes.size(); ++i) {
        const TKfNode& n = Keyframer.Nodes[i];
        const auto mesh = meshByName.find(n.Name);
        if (n.Type != TKfNodeType::Object || mesh == meshByName.end()) continue;
        TKfMatrix world = kfMultiply(poses[i].World, translation(-n.Pivot.X, -n.Pivot.Y, -n.Pivot.Z));
        world = kfMultiply(world, meshToLocal(*Model.FMesh[size_t(mesh->second)], scale));
        placements.push_back(
            {mesh->second, static_cast<int32_t>(i), kfMultiply(fileToModel, world), poses[i].Hidden});
    }
    return placements;
}

void PoseVertices(const TGL3dsMesh& Mesh, const TKfMatrix& M, std::vector<T3dpoint>& Out) {
    const size_t n = vertexCount(Mesh);
    Out.resize(n);
    const T3dpoint* in = Mesh.FVertex.data();
    for (size_t i = 0; i < n; ++i) {
        const T3dpoint v = in[i];
        Out[i] = {M[0] * v.X + M[4] * v.Y + M[8] * v.Z + M[12], M[1] * v.X + M[5] * v.Y + M[9] * v.Z + M[13],
                  M[2] * v.X + M[6] * v.Y + M[10] * v.Z + M[14]};
    }
}

std::string KfNodeTypeName(const TKfNode& Node) {
    switch (Node.Type) {
        case TKfNodeType::Ambient:
            return "ambient";
        case TKfNodeType::Object:
            return Node.IsDummy() ? "dummy" : "object";
        case TKfNodeType::Camera:
            return "camera";
        case TKfNodeType::CameraTarget:
            return "camera target";
        case TKfNodeType::Light:
            return "light";
        case TKfNodeType::Spotlight:
            return "spotlight";
        case TKfNodeType::LightTarget:
            return "light target";
    }
    return "object";
}
