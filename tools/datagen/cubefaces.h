// The cube-map faces: which scene direction each texel of each face shows, and which file feeds
// which face. The cube map is looked up with reflection vectors that CubeMapBegin turns by the
// view's rotation and a half turn about x, so lookup direction (x, y, z) sees scene direction
// (x, -y, -z); the Y files are placed crosswise and rows go up unflipped, bottom row first.
#pragma once

#include <array>

#include "tools/datagen/environment.h"
#include "tools/datagen/image.h"

namespace datagen {

// The GL cube faces in target order (GL_TEXTURE_CUBE_MAP_POSITIVE_X first).
enum class CubeFace { PositiveX, NegativeX, PositiveY, NegativeY, PositiveZ, NegativeZ };

struct CubeFaceFile {
    const char* name;
    CubeFace face;  // the GL face the cube-map loader puts this file on
};
// The six files in the loader's argument order (+X, -X, +Y, -Y, +Z, -Z file names).
extern const std::array<CubeFaceFile, 6> cubeFaceFiles;

// Lookup direction (not normalised) that GL maps to texel coordinates (s, t) of a face; t = 0 is
// the face image's first row.
Vec3 CubeLookupDirection(CubeFace face, double s, double t);
// Scene direction whose colour a lookup direction must show: the half turn about x undone.
Vec3 SceneDirectionOfLookup(Vec3 lookup);

// One face of size by size texels sampled from the environment, rows in upload order.
Image RenderCubeFace(const Environment& env, CubeFace face, int32_t size);

}  // namespace datagen
