// The web page's module: the model library's loaders behind a few C functions the page calls.
// One model at a time, read from the module's own in-memory files (memfiles.cpp); the page reads
// its description (the inspector's JSON) and the triangles and bones of the current frame from
// the arrays here.
// A frame poses the skeleton being played, or places a 3DS file's meshes by its keyframer. A 3DS
// model is shaded by its smoothing groups, as vtrl3ds-view and the glTF export shade it.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "describe.h"
#include "vtrl3ds/host.h"
#include "vtrl3ds/keyframer.h"
#include "vtrl3ds/normals.h"
#include "vtrl3ds/private/materialruns.h"

using namespace vtrl3ds_internal;

namespace {

std::unique_ptr<TGLAll3dsMesh> gModel;
std::string gText;                          // the last JSON handed out
std::vector<float> gPositions, gNormals, gMaps;  // per corner, in drawing order
std::vector<int32_t> gRuns;                 // first corner, corner count, material (-1: none)
std::vector<float> gBones;                  // parent joint and joint, per bone with a parent
TKeyframer gKeyframer;                      // a 3DS file's keyframer (empty for other files)
float gKfFrame = 0;                         // the keyframer frame shown
std::vector<T3dpoint> gPosed;               // a placed mesh's vertices
std::vector<std::vector<T3dpoint>> gSmooth;  // a 3DS model's corner normals per mesh, once drawn

// The keyframer plays when its segment spans frames and some track changes over time.
bool keyframerPlays() {
    const auto moves = [](const TKfNode& n) {
        return n.Position.Keys.size() > 1 || n.Rotation.Keys.size() > 1 || n.Scale.Keys.size() > 1 || !n.Hide.Keys.empty();
    };
    return gKeyframer.SegmentEnd > gKeyframer.SegmentStart &&
           std::any_of(gKeyframer.Nodes.begin(), gKeyframer.Nodes.end(), moves);
}

void addCorner(const T3dpoint& p, const T3dpoint& n, const TGLMap& m) {
    gPositions.insert(gPositions.end(), {p.X, p.Y, p.Z});
    gNormals.insert(gNormals.end(), {n.X, n.Y, n.Z});
    gMaps.insert(gMaps.end(), {m.tu, m.tv});
}

// A point moved by M, as PoseVertices moves a mesh's vertices.
T3dpoint placedPoint(const TKfMatrix& M, const T3dpoint& v) {
    return {M[0] * v.X + M[4] * v.Y + M[8] * v.Z + M[12], M[1] * v.X + M[5] * v.Y + M[9] * v.Z + M[13],
            M[2] * v.X + M[6] * v.Y + M[10] * v.Z + M[14]};
}

// A normal moved by the linear part of M: its cofactor matrix (right for any scale or mirror).
T3dpoint placedNormal(const TKfMatrix& M, const T3dpoint& n) {
    const T3dpoint c0{M[0], M[1], M[2]}, c1{M[4], M[5], M[6]}, c2{M[8], M[9], M[10]};
    auto cross = [](const T3dpoint& a, const T3dpoint& b) {
        return T3dpoint{a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
    };
    const T3dpoint a = cross(c1, c2), b = cross(c2, c0), c = cross(c0, c1);
    const T3dpoint r{n.X * a.X + n.Y * b.X + n.Z * c.X, n.X * a.Y + n.Y * b.Y + n.Z * c.Y, n.X * a.Z + n.Y * b.Z + n.Z * c.Z};
    const float length = std::sqrt(r.X * r.X + r.Y * r.Y + r.Z * r.Z);
    return length > 0 && std::isfinite(length) ? T3dpoint{r.X / length, r.Y / length, r.Z / length} : n;
}

// The normals mesh `index` of a 3DS model has at its corners (SmoothingGroupNormals, made once per
// open file); null for other models, whose meshes are drawn with their face normals.
const std::vector<T3dpoint>* smoothNormals(const TGL3dsMesh& mesh, size_t index) {
    if (gModel->FType != Mesh3DS || index >= gSmooth.size()) return nullptr;
    if (gSmooth[index].empty()) gSmooth[index] = SmoothingGroupNormals(mesh);
    return &gSmooth[index];
}

// The triangles of mesh `index` as the viewer draws them: loaded vertices with their normals (a
// 3DS model's by smoothing groups, else the face's), the posed vertices with their normals when
// skinned, or the vertices and normals moved by a keyframer placement. Corners are reversed to
// run counter-clockwise.
void addMesh(const TGL3dsMesh& mesh, size_t index, const TKfMatrix* placement = nullptr) {
    const bool skinned = !mesh.FSkinVertex.empty() && !placement;
    if (placement) PoseVertices(mesh, *placement, gPosed);
    const size_t vertices =
        skinned ? std::min({vertexCount(mesh), mesh.FSkinVertex.size(), mesh.FSkinNormal.size()}) : vertexCount(mesh);
    const std::vector<T3dpoint>* smooth = skinned ? nullptr : smoothNormals(mesh, index);
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
                const T3dpoint n = smooth && f + k < smooth->size() ? (*smooth)[f + k] : face;
                if (skinned)
                    addCorner(mesh.FSkinVertex[v], mesh.FSkinNormal[v], map);
                else if (placement)
                    addCorner(gPosed[v], placedNormal(*placement, n), map);
                else
                    addCorner(mesh.FVertex[v], n, map);
            }
        });
    close();
}

const float* joint(const TGL3dsBone& bone) {
    return &bone.FAnimMatrix.m_matrix[12];
}

// The meshes at the keyframer frame: each placement not hidden, and meshes no node places as
// they were loaded.
void collectPlaced() {
    std::vector<bool> placed(meshCount(*gModel));
    for (const TKfPlacement& p : PlaceMeshes(gKeyframer, *gModel, gKfFrame)) {
        const TGL3dsMesh* mesh = gModel->FMesh[static_cast<size_t>(p.Mesh)];
        placed[static_cast<size_t>(p.Mesh)] = true;
        if (mesh && !p.Hidden) addMesh(*mesh, static_cast<size_t>(p.Mesh), &p.Matrix);
    }
    for (size_t i = 0; i < placed.size(); ++i)
        if (!placed[i] && gModel->FMesh[i]) addMesh(*gModel->FMesh[i], i);
}

void collectFrame() {
    gPositions.clear(), gNormals.clear(), gMaps.clear(), gRuns.clear(), gBones.clear();
    const size_t n = std::min(meshCount(*gModel), gModel->FRenderOrder.size());
    if (keyframerPlays())
        collectPlaced();
    else
        for (size_t i = 0; i < n; ++i)
            if (const TGL3dsMesh* mesh = meshInRenderOrder(*gModel, i))
                addMesh(*mesh, static_cast<size_t>(gModel->FRenderOrder[i]));
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

// The corners of every placed mesh's box over the keyframer's segment (about 50 frames of it).
template <class Add>
void addPlacedBoxes(const TGLAll3dsMesh& model, Add add) {
    const int64_t first = gKeyframer.SegmentStart, last = gKeyframer.SegmentEnd;
    const int64_t step = std::max<int64_t>((last - first) / 50, 1);
    for (int64_t f = first; f < last + step; f += step)
        for (const TKfPlacement& p : PlaceMeshes(gKeyframer, model, static_cast<float>(std::min(f, last)))) {
            const TGL3dsMesh* mesh = model.FMesh[static_cast<size_t>(p.Mesh)];
            if (!mesh || mesh->FNumIndices < 3 || mesh->FVertex.empty()) continue;
            const T3dpoint lo = mesh->FMinimum, hi = mesh->FMaximum;
            for (int c = 0; c < 8; ++c) {
                const T3dpoint corner = placedPoint(p.Matrix, {c & 1 ? hi.X : lo.X, c & 2 ? hi.Y : lo.Y, c & 4 ? hi.Z : lo.Z});
                add(&corner.X);
            }
        }
}

// The box the camera frames: the meshes' boxes (placed over the keyframer's segment when it
// plays), or for a motion every joint at every frame.
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
    const bool placed = !motion && keyframerPlays();
    for (size_t i = 0; !motion && !placed && i < meshCount(model); ++i) {
        const TGL3dsMesh* mesh = model.FMesh[i];
        if (!mesh || mesh->FNumIndices < 3 || mesh->FVertex.empty()) continue;
        add(&mesh->FMinimum.X), add(&mesh->FMaximum.X);
    }
    if (placed) addPlacedBoxes(model, add);
    if (lo.X > hi.X) return nullptr;
    return {{"min", {lo.X, lo.Y, lo.Z}}, {"max", {hi.X, hi.Y, hi.Z}}};
}

const char* hand(const ModelJson& json) {
    gText = json.dump();
    return gText.c_str();
}

}  // namespace

extern "C" {

// Loads Path (one of the module's in-memory files, vw_put); "" when it loaded, else the reason.
EMSCRIPTEN_KEEPALIVE const char* vw_open(const char* Path) {
    gModel = std::make_unique<TGLAll3dsMesh>(nullptr);
    try {
        LoadModelOrMotion(*gModel, Path);
        gKeyframer = ReadKeyframerOf(*gModel);
        gKfFrame = static_cast<float>(gKeyframer.SegmentStart);
        gSmooth.assign(meshCount(*gModel), {});
        gText.clear();
    } catch (const std::exception& e) {
        gModel.reset();
        gKeyframer = {};
        gSmooth.clear();
        gText = Cp1252ToUtf8(e.what());
    }
    return gText.c_str();
}

// The open model as the page needs it: the inspector's description, texture files, the framed
// box and the playback figures: the first and last frame played (a skeleton's 1 .. its frame
// count, a keyframer's segment; 0 and 0 for a still model) and the frame rate (a 3DS file stores
// none: 30 per second).
EMSCRIPTEN_KEEPALIVE const char* vw_describe() {
    if (!gModel) return hand(nullptr);
    const bool motion = IsMotionFile(gModel->FName);
    TGLSkeleton* skeleton = CurrentSkeleton(*gModel);
    const bool plays = skeleton && skeleton->FNumBones > 0;
    const float rate = plays && skeleton->FFrameRate > 0 && std::isfinite(skeleton->FFrameRate) ? skeleton->FFrameRate : 30;
    const bool placed = !plays && keyframerPlays();
    return hand({{"description", DescribeModel(*gModel, gModel->FName, gKeyframer)},
                 {"textures", textureFiles(*gModel)},
                 {"motion", motion},
                 {"mirrored", gModel->FType == Mesh3DS},
                 {"first_frame", plays ? 1 : placed ? gKeyframer.SegmentStart : 0},
                 {"last_frame", plays ? std::max(skeleton->FNumFrames, 0) : placed ? gKeyframer.SegmentEnd : 0},
                 {"frame_rate", rate},
                 {"box", framedBox(*gModel, motion && plays ? skeleton : nullptr)}});
}

// Poses the model at Frame (a skeleton's from 1, a keyframer's within its segment) and gathers
// its triangles and bones; returns the corners.
EMSCRIPTEN_KEEPALIVE int vw_frame(float Frame) {
    if (!gModel) return 0;
    if (TGLSkeleton* skeleton = CurrentSkeleton(*gModel); skeleton && skeleton->FNumBones > 0)
        gModel->AdvanceAnimation(std::clamp(Frame, 1.0f, static_cast<float>(std::max(skeleton->FNumFrames, 1))));
    else if (keyframerPlays())
        gKfFrame = std::clamp(Frame, static_cast<float>(gKeyframer.SegmentStart), static_cast<float>(gKeyframer.SegmentEnd));
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
