// Loads a model file (.3ds, MilkShape 3D ASCII .txt or .bin) with VTRL_3DS and prints what it
// holds: its meshes with their vertex and face counts, its materials and its bounding box.
// Usage: model-info FILE
#include <cstdio>
#include <exception>

#include <vtrl3ds/model.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: model-info FILE\n");
        return 2;
    }
    TGLAll3dsMesh model;
    try {
        model.LoadFromFile(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "model-info: %s\n", e.what());
        return 1;
    }
    std::printf("%s: %d meshes, %d materials\n", argv[1], model.FNumMeshes, model.FNumMaterials);
    for (int32_t i = 0; i < model.FNumMeshes; ++i) {
        const TGL3dsMesh& mesh = *model.FMesh[i];
        std::printf("mesh '%s': %d vertices, %d faces\n", mesh.FName.c_str(), mesh.FNumVertex,
                    mesh.FNumIndices / 3);
    }
    for (int32_t i = 0; i < model.FNumMaterials; ++i) {
        const TGL3dsMaterial& m = *model.FMaterial[i];
        std::printf("material '%s': diffuse %.3f %.3f %.3f, opacity %.3f, texture '%s'\n", m.FName.c_str(),
                    m.FDifR, m.FDifG, m.FDifB, m.FTransparency, m.FFileName.c_str());
    }
    const T3dpoint &lo = model.FMinimum, &hi = model.FMaximum;
    std::printf("box: (%g, %g, %g) to (%g, %g, %g)\n", lo.X, lo.Y, lo.Z, hi.X, hi.Y, hi.Z);
    return 0;
}
