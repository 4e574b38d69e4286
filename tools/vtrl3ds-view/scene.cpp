// The viewer's scene: loading a model or a BVH motion (as the skeleton of a new, empty model),
// counting what will be drawn, and the sphere the camera frames (a keyframed 3DS scene's as its
// nodes place it at the first frame). Load failures are the model
// library's errors (LoadModelOrMotion's), passed on unchanged.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "viewer.h"
#include "vtrl3ds/host.h"

TViewerScene ViewScene;
TViewerState ViewState;

namespace {

// The skeleton posed and shown: the model's current one, when it has bones.
TGLSkeleton* shownSkeleton(const TGLAll3dsMesh& model) {
    TGLSkeleton* skeleton = CurrentSkeleton(model);
    return skeleton && skeleton->FNumBones > 0 ? skeleton : nullptr;
}

// A box grown point by point; empty until the first point.
struct Box {
    T3dpoint lo{}, hi{};
    bool empty = true;
    void add(const T3dpoint& p) {
        if (!std::isfinite(p.X) || !std::isfinite(p.Y) || !std::isfinite(p.Z)) return;
        if (empty) lo = hi = p, empty = false;
        lo = {std::min(lo.X, p.X), std::min(lo.Y, p.Y), std::min(lo.Z, p.Z)};
        hi = {std::max(hi.X, p.X), std::max(hi.Y, p.Y), std::max(hi.Z, p.Z)};
    }
};

// The meshes' own boxes (of the vertices their faces use, as loaded: the bind pose).
void addMeshes(const TGLAll3dsMesh& model, Box& box) {
    const size_t meshes = std::min(model.FMesh.size(), static_cast<size_t>(std::max(model.FNumMeshes, 0)));
    for (size_t i = 0; i < meshes; ++i) {
        const TGL3dsMesh* mesh = model.FMesh[i];
        if (!mesh || mesh->FNumIndices < 3 || mesh->FVertex.empty()) continue;
        box.add(mesh->FMinimum);
        box.add(mesh->FMaximum);
    }
}

// Every joint of the skeleton at every frame, so that a motion stays in view as it moves.
void addJoints(TGLSkeleton& skeleton, Box& box) {
    const int32_t frames = std::max(skeleton.FNumFrames, 1);
    const int32_t step = std::max(frames / 200, 1);
    for (int32_t f = 1; f <= frames; f += step) {
        skeleton.AdvanceAnimation(static_cast<float>(f));
        for (const TGL3dsBone* bone : skeleton.FBone)
            if (bone)
                box.add({bone->FAnimMatrix.m_matrix[12], bone->FAnimMatrix.m_matrix[13],
                         bone->FAnimMatrix.m_matrix[14]});
    }
}

void frameScene(TViewerScene& scene) {
    Box box;
    T3dpoint lo, hi;
    if (scene.Motion && scene.Skeleton)
        addJoints(*scene.Skeleton, box);
    else if (ViewerPlacedBox(lo, hi))
        box.add(lo), box.add(hi);
    else
        addMeshes(*scene.Model, box);
    if (box.empty) return;
    scene.Minimum = box.lo, scene.Maximum = box.hi;
    scene.Centre = {(box.lo.X + box.hi.X) / 2, (box.lo.Y + box.hi.Y) / 2, (box.lo.Z + box.hi.Z) / 2};
    const float dx = box.hi.X - box.lo.X, dy = box.hi.Y - box.lo.Y, dz = box.hi.Z - box.lo.Z;
    const float r = std::sqrt(dx * dx + dy * dy + dz * dz) / 2;
    scene.Extended = r > 1e-6f && std::isfinite(r);
    scene.Radius = scene.Extended ? r : 1;
}

}  // namespace

void LoadViewerScene(const std::string& File) {
    ViewScene = TViewerScene{};
    ViewScene.Model = std::make_unique<TGLAll3dsMesh>(nullptr);
    TGLAll3dsMesh& model = *ViewScene.Model;
    LoadModelOrMotion(model, File);
    ViewScene.Motion = IsMotionFile(File);
    ViewScene.Skeleton = shownSkeleton(model);
    ViewScene.Triangles =
        ViewScene.Motion ? 0 : static_cast<int32_t>(std::min<size_t>(CountModel(model).Faces, INT32_MAX));
    if (ViewScene.Skeleton) {
        ViewScene.NumFrames = std::max(ViewScene.Skeleton->FNumFrames, 0);
        if (ViewScene.Skeleton->FFrameRate > 0 && std::isfinite(ViewScene.Skeleton->FFrameRate))
            ViewScene.FrameRate = ViewScene.Skeleton->FFrameRate;
    }
    if (!ViewScene.Motion) LoadViewerKeyframer(File);
    frameScene(ViewScene);
}

// Triangles whose corners all lie on one point show nothing.
bool ViewerSceneHasGeometry() {
    return ViewScene.Extended && (ViewScene.Motion ? ViewScene.Skeleton != nullptr : ViewScene.Triangles > 0);
}

void SetViewerFrame(float Frame) {
    const float last = static_cast<float>(std::max(ViewScene.NumFrames, 1));
    ViewState.Frame = std::clamp(Frame, 1.0f, last);
    // A motion's skeleton is the model's current one; the model poses it and re-skins what it binds.
    if (ViewScene.Skeleton) ViewScene.Model->AdvanceAnimation(ViewState.Frame);
    PoseViewerKeyframer(ViewState.Frame);
}

// What never moves is drawn from buffer objects made once, before the first frame; skinned meshes
// from their posed arrays.
void PrepareViewerScene() {
    if (!ViewScene.Motion) ViewScene.Model->LoadTextures(LoadViewerTexture);
    if (ViewScene.Triangles > 0) ViewScene.Buffers = BuildViewerBuffers(*ViewScene.Model);
    SetViewerFrame(ViewState.Frame);
}
