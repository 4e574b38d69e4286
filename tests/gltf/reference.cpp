// gltf_reference: what the model library itself says about a model or motion, as JSON for the
// three.js check: triangles, the posed bones' world positions (motions), the skinned vertices
// (skinned models) and the vertices its 3DS keyframer places (in glTF's axes) at given frames.
// Usage: gltf_reference FILE FRAME...
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>

#include "vtrl3ds/host.h"
#include "vtrl3ds/keyframer.h"

namespace {

nlohmann::json point(const float* p) {
    return {p[0], p[1], p[2]};
}

// Every bone's joint and every skinned vertex at one frame.
nlohmann::json poseAt(TGLAll3dsMesh& model, TGLSkeleton& skeleton, float frame) {
    model.AdvanceAnimation(frame);
    nlohmann::json bones = nlohmann::json::array(), skinned = nlohmann::json::array();
    for (const TGL3dsBone* bone : skeleton.FBone) bones.push_back(point(bone->FAnimMatrix.m_matrix + 12));
    for (const TGL3dsMesh* mesh : model.FMesh)
        for (const T3dpoint& p : mesh->FSkinVertex) skinned.push_back({p.X, p.Y, p.Z});
    return {{"frame", frame}, {"time", (frame - 1) / skeleton.FFrameRate}, {"bones", bones}, {"skinned", skinned}};
}

// Every corner of a triangle the keyframer places at `frame`, Z negated as the export turns it.
nlohmann::json placedAt(const TGLAll3dsMesh& model, const TKeyframer& kf, int32_t frame) {
    nlohmann::json placed = nlohmann::json::array();
    std::vector<T3dpoint> v;
    for (const TKfPlacement& p : PlaceMeshes(kf, model, float(frame))) {
        PoseVertices(*model.FMesh[size_t(p.Mesh)], p.Matrix, v);
        for (uint16_t i : model.FMesh[size_t(p.Mesh)]->FIndices)
            if (i < v.size()) placed.push_back({v[i].X, v[i].Y, -v[i].Z});
    }
    return {{"frame", frame}, {"time", (frame - kf.SegmentStart) / 30.0}, {"placed", placed}};
}

// The keyframer's segment, its poses at the frames asked and the triangles it draws (a mesh once
// per placement, meshes no node places once).
void addKeyframer(nlohmann::json& out, const TGLAll3dsMesh& model, char** frames, int count) {
    const TKeyframer kf = ReadKeyframerOf(model);
    const std::vector<TKfPlacement> placements = PlaceMeshes(kf, model, float(kf.SegmentStart));
    if (placements.empty()) return;
    std::vector<bool> placed(model.FMesh.size(), false);
    size_t triangles = out["triangles"];
    for (const TKfPlacement& p : placements) {
        const size_t faces = size_t(std::max(model.FMesh[size_t(p.Mesh)]->FNumIndices, 0)) / 3;
        triangles += faces - (placed[size_t(p.Mesh)] ? 0 : faces);
        placed[size_t(p.Mesh)] = true;
    }
    out["triangles"] = triangles;
    out["segment"] = {kf.SegmentStart, kf.SegmentEnd};
    int32_t first = kf.SegmentEnd, last = kf.SegmentStart;  // the keys of tracks that move, in the segment
    for (const TKfNode& n : kf.Nodes)
        for (const TKfTrack* t : {&n.Position, &n.Rotation, &n.Scale})
            if (t->Keys.size() > 1)
                first = std::min(first, t->Keys.front().Frame), last = std::max(last, t->Keys.back().Frame);
    out["moving"] = {std::max(first, kf.SegmentStart), std::min(std::max(first, last), kf.SegmentEnd)};
    for (int i = 0; i < count; ++i) out["poses"].push_back(placedAt(model, kf, std::stoi(frames[i])));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    try {
        TGLAll3dsMesh model;
        LoadModelOrMotion(model, argv[1]);
        nlohmann::json out{{"triangles", CountModel(model).Faces}, {"poses", nlohmann::json::array()}};
        out["box"] = {point(&model.FMinimum.X), point(&model.FMaximum.X)};
        if (TGLSkeleton* skeleton = CurrentSkeleton(model)) {
            out["frames"] = skeleton->FNumFrames;
            for (int i = 2; i < argc; ++i) out["poses"].push_back(poseAt(model, *skeleton, std::stof(argv[i])));
        } else {
            addKeyframer(out, model, argv + 2, argc - 2);
        }
        std::cout << out.dump() << "\n";
    } catch (const std::exception& e) {
        std::cerr << argv[1] << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
