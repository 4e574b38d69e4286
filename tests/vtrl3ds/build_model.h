// Builds models in memory for the pass and renderer tests: meshes from stored vertices and
// corner indices, materials with a transparency, and a point comparison.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vtrl3ds/model.h"

// A mesh owned by the model, appended to FMesh, FRenderOrder and counted in FNumMeshes.
inline TGL3dsMesh* addMesh(TGLAll3dsMesh& model, const std::vector<T3dpoint>& vertices,
                           const std::vector<uint16_t>& indices, const std::vector<uint16_t>& matIDs = {}) {
    auto* m = new TGL3dsMesh(&model);
    m->FVertex = vertices;
    m->FNumVertex = static_cast<int32_t>(vertices.size());
    m->FIndices = indices;
    m->FNumIndices = static_cast<int32_t>(indices.size());
    m->FMatID = matIDs;
    model.FRenderOrder.push_back(static_cast<int32_t>(model.FMesh.size()));
    model.FMesh.push_back(m);
    model.FNumMeshes = static_cast<int32_t>(model.FMesh.size());
    return m;
}

inline TGL3dsMaterial* addMaterial(TGLAll3dsMesh& model, const std::string& name, float transparency = 1.0f) {
    auto* m = new TGL3dsMaterial(&model);
    m->FName = name;
    m->FTransparency = transparency;
    model.FMaterial.push_back(m);
    model.FNumMaterials = static_cast<int32_t>(model.FMaterial.size());
    return m;
}

#define EXPECT_POINT(p, x, y, z)     \
    do {                             \
        EXPECT_FLOAT_EQ((p).X, (x)); \
        EXPECT_FLOAT_EQ((p).Y, (y)); \
        EXPECT_FLOAT_EQ((p).Z, (z)); \
    } while (0)
