// The web page's module: the model library's loaders behind a few C functions the page calls.
// One model at a time, read from Emscripten's in-memory files; the page reads its description
// (the inspector's JSON) and the triangles and bones of the current frame from the arrays here.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "describe.h"
#include "vtrl3ds/host.h"
#include "vtrl3ds/private/materialruns.h"

using namespace vtrl3ds_internal;

namespace {

std::unique_ptr<TGLAll3dsMesh> gModel;
std::string gText;                          // the last JSON handed out
std::vector<float> gPositions, gNormals, gMaps;  // per corner, in drawing order
std::vector<int32_t> gRuns;                 // first corner, corner count, material (-1: none)
std::vector<float> gBones;                  // parent joint and joint, per bone with a parent

void addCorner(const T3dpoint& p, const T3dpoint& n, const TGLMap& m) {
    gPositions.insert(gPositions.end(), {p.X, p.Y, p.Z});
    gNormals.insert(gNormals.end(), {n.X, n.Y, n.Z});
    gMaps.insert(gMaps.end(), {m.tu, m.tv});
}

// The triangles of a mesh as the renderer draws them: loaded vertices with face normals, or the
// posed vertices with their normals when skinned. Corners are reversed to run counter-clockwise.
void addMesh(const TGL3dsMesh& mesh) {
    const bool skinned = !mesh.FSkinVertex.empty();
    const size_t vertices =
        skinned ? std::min({vertexCount(mesh), mesh.FSkinVertex.size(), mesh.FSkinNormal.size()}) : vertexCount(mesh);
    auto close = [] {
        if (!gRuns.empty()) gRuns[gRuns.size() - 2] = static_cast<int32_t>(gPositions.size() / 3) - gRuns[gRuns.size() - 3];
    };
    auto open = [&](int32_t material) {
        close();
        gRuns.insert(gRuns.end(), {static_cast<int32_t>(gPositions.size() / 3), 0, material});
    };
    open(-1);
    walkMaterialRuns(
        mesh, vertices, [&](size_t id) { open(static_cast<int32_t>(id)); },
        [&](size_t f) {
            const T3dpoint face = drawnFaceNormal(mesh, f);
            for (size_t k : {0, 2, 1}) {
                const uint16_t v = mesh.FIndices[f + k];
                const TGLMap map = v < mesh.FMapping.size() ? mesh.FMapping[v] : TGLMap{0, 0};
                if (skinned)
                    addCorner(mesh.FSkinVertex[v], mesh.FSkinNormal[v], map);
                else
                    addCorner(mesh.FVertex[v], face, map);
            }
        });
    close();
}

const float* joint(const TGL3dsBone& bone) {
    return &bone.FAnimMatrix.m_matrix[12];
}

void collectFrame() {
    gPositions.clear(), gNormals.clear(), gMaps.clear(), gRuns.clear(), gBones.clear();
    const size_t n = std::min(meshCount(*gModel), gModel->FRenderOrder.size());
    for (size_t i = 0; i < n; ++i)
        if (const TGL3dsMesh* mesh = meshInRenderOrder(*gModel, i)) addMesh(*mesh);
    if (const TGLSkeleton* skeleton = CurrentSkeleton(*gModel))
        for (const TGL3dsBone* bone : skeleton->FBone)
            if (bone && bone->FParent) {
                gBones.insert(gBones.end(), joint(*bone->FParent), joint(*bone->FParent) + 3);
                gBones.insert(gBones.end(), joint(*bone), joint(*bone) + 3);
            }
}

// Texture map files resolved beside the model, one per material ("" for none).
ModelJson textureFiles(const TGLAll3dsMesh& model) {
    ModelJson files = ModelJson::array();
    for (const TGL3dsMaterial* m : model.FMaterial)
        files.push_back(m && m->FHasTextureMap ? ResolveTextureFile(model.FName, m->FFileName) : "");
    return files;
}

// The box the camera frames: the meshes' boxes, or for a motion every joint at every frame.
ModelJson framedBox(TGLAll3dsMesh& model, TGLSkeleton* motion) {
    T3dpoint lo{INFINITY, INFINITY, INFINITY}, hi{-INFINITY, -INFINITY, -INFINITY};
    auto add = [&](const float* p) {
        if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) return;
        lo = {std::min(lo.X, p[0]), std::min(lo.Y, p[1]), std::min(lo.Z, p[2])};
        hi = {std::max(hi.X, p[0]), std::max(hi.Y, p[1]), std::max(hi.Z, p[2])};
    };
    const int32_t frames = motion ? std::max(motion->FNumFrames, 1) : 0;
    for (int32_t f = 1; f <= frames; f += std::max(frames / 200, 1)) {
        motion->AdvanceAnimation(static_cast<float>(f));
        for (const TGL3dsBone* bone : motion->FBone)
            if (bone) add(joint(*bone));
    }
    for (size_t i = 0; !motion && i < meshCount(model); ++i) {
        const TGL3dsMesh* mesh = model.FMesh[i];
        if (!mesh || mesh->FNumIndices < 3 || mesh->FVertex.empty()) continue;
        add(&mesh->FMinimum.X), add(&mesh->FMaximum.X);
    }
    if (lo.X > hi.X) return nullptr;
    return {{"min", {lo.X, lo.Y, lo.Z}}, {"max", {hi.X, hi.Y, hi.Z}}};
}

const char* hand(const ModelJson& json) {
    gText = json.dump();
    return gText.c_str();
}

}  // namespace

extern "C" {

// Loads Path (a file of the in-memory file system); "" when it loaded, else the reason.
EMSCRIPTEN_KEEPALIVE const char* vw_open(const char* Path) {
    gModel = std::make_unique<TGLAll3dsMesh>(nullptr);
    try {
        LoadModelOrMotion(*gModel, Path);
        gText.clear();
    } catch (const std::exception& e) {
        gModel.reset();
        gText = Cp1252ToUtf8(e.what());
    }
    return gText.c_str();
}

// The open model as the page needs it: the inspector's description, texture files, the framed
// box and the playback figures.
EMSCRIPTEN_KEEPALIVE const char* vw_describe() {
    if (!gModel) return hand(nullptr);
    const bool motion = IsMotionFile(gModel->FName);
    TGLSkeleton* skeleton = CurrentSkeleton(*gModel);
    const bool plays = skeleton && skeleton->FNumBones > 0;
    const float rate = plays && skeleton->FFrameRate > 0 && std::isfinite(skeleton->FFrameRate) ? skeleton->FFrameRate : 30;
    return hand({{"description", DescribeModel(*gModel, gModel->FName)},
                 {"textures", textureFiles(*gModel)},
                 {"motion", motion},
                 {"mirrored", gModel->FType == Mesh3DS},
                 {"frames", plays ? std::max(skeleton->FNumFrames, 0) : 0},
                 {"frame_rate", rate},
                 {"box", framedBox(*gModel, motion && plays ? skeleton : nullptr)}});
}

// Poses the model at Frame (1-based) and gathers its triangles and bones; returns the corners.
EMSCRIPTEN_KEEPALIVE int vw_frame(float Frame) {
    if (!gModel) return 0;
    if (TGLSkeleton* skeleton = CurrentSkeleton(*gModel); skeleton && skeleton->FNumBones > 0)
        gModel->AdvanceAnimation(std::clamp(Frame, 1.0f, static_cast<float>(std::max(skeleton->FNumFrames, 1))));
    collectFrame();
    return static_cast<int>(gPositions.size() / 3);
}

EMSCRIPTEN_KEEPALIVE const float* vw_positions() { return gPositions.data(); }
EMSCRIPTEN_KEEPALIVE const float* vw_normals() { return gNormals.data(); }
EMSCRIPTEN_KEEPALIVE const float* vw_maps() { return gMaps.data(); }
EMSCRIPTEN_KEEPALIVE const int32_t* vw_runs() { return gRuns.data(); }
EMSCRIPTEN_KEEPALIVE int vw_run_count() { return static_cast<int>(gRuns.size() / 3); }
EMSCRIPTEN_KEEPALIVE const float* vw_bones() { return gBones.data(); }
EMSCRIPTEN_KEEPALIVE int vw_bone_count() { return static_cast<int>(gBones.size() / 6); }

}  // extern "C"
