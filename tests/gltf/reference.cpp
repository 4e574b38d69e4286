// gltf_reference: what the model library itself says about a model or motion, as JSON for the
// three.js check: triangles, the posed bones' world positions (motions) and the skinned vertices
// (skinned models) at given frames. Usage: gltf_reference FILE FRAME...
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>

#include "vtrl3ds/host.h"

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
        }
        std::cout << out.dump() << "\n";
    } catch (const std::exception& e) {
        std::cerr << argv[1] << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
