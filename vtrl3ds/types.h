// The model library's value records (points, texture coordinates, colours, animation keys) and
// its model-type constants. Plain data: nothing here reports failure.
#pragma once

#include <cstdint>

// A position, direction or normal.
struct T3dpoint {
    float X, Y, Z;
};

// Texture coordinates of one vertex.
struct TGLMap {
    float tu, tv;
};

// An RGBA colour, components 0..1.
struct TGLColor {
    float Red, Green, Blue, Alpha;
};

// One animation key.
struct TKeyFrame {
    int32_t Time;
    T3dpoint Value;
    T3dpoint BVH_Value;
};

static_assert(sizeof(T3dpoint) == 12 && sizeof(TGLMap) == 8, "records are read straight from files");

// Model types stored in TGLAll3dsMesh::FType by the file loaders (bit values, never combined).
constexpr int32_t Mesh3DS = 1;
constexpr int32_t Mesh3DSA = 2;
constexpr int32_t Mesh3DSBVH = 4;
constexpr int32_t MeshMSA = 8;
constexpr int32_t MeshMS3D = 16;
constexpr int32_t MeshBIN = 64;
