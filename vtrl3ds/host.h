// What a host program needs around the loaders: which files the library reads, one call that
// loads a model or a motion by its name, the skeleton being played and what a model holds.
// Loading failures are EModelError kinds (errors.h); the other routines report nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "vtrl3ds/model.h"
#include "vtrl3ds/motion.h"
#include "vtrl3ds/skeleton.h"

// The name ends in ".3ds", ".txt" or ".bin" (ignoring case): a model LoadFromFile reads.
bool IsModelFile(const std::string& FileName);
// The name ends in ".bvh" (ignoring case): a motion read as a skeleton.
bool IsMotionFile(const std::string& FileName);

// Loads FileName into Model: a model through LoadFromFile, a motion as the one skeleton of
// Model (FName set, FType Mesh3DSBVH). Raises EFileTypeError for a name no loader reads and for a
// file of which the loader kept nothing at all (no mesh, material or bone), and the loaders' own
// errors unchanged.
void LoadModelOrMotion(TGLAll3dsMesh& Model, const std::string& FileName);

// The motion FileName holds, as a table: a BVH file read as it is (LoadMotion), or the current
// skeleton of a model file sampled once a frame (MotionFromSkeleton). Raises the loaders' errors,
// and EFileTypeError naming the file when its model has no skeleton with bones.
TMotion LoadMotionOrSkeleton(const std::string& FileName);

// FSkeleton[FCurrentGLSkeleton], the skeleton posed and skinned with; null when that index names
// none.
TGLSkeleton* CurrentSkeleton(const TGLAll3dsMesh& Model);

// What a model holds, counted the way the inspector shows it.
struct TModelCounts {
    int32_t Meshes = 0;       // FNumMeshes: the meshes the passes and the renderer walk
    size_t NamedObjects = 0;  // FMesh entries, with meshes of no triangles
    int32_t Materials = 0;    // FNumMaterials
    size_t Vertices = 0;      // FNumVertex over every mesh
    size_t Faces = 0;         // triangles (FNumIndices / 3) over every mesh
    size_t Skeletons = 0;     // FSkeleton entries
    size_t Bones = 0;         // bones of the current skeleton
    int32_t Frames = 0;       // frames of the current skeleton's animation
};
TModelCounts CountModel(const TGLAll3dsMesh& Model);
