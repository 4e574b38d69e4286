// The sky-box texture: which scene direction each texel of the 4 by 2 cell atlas shows. The
// mapping follows the sky box exactly as it is drawn (cell positions, quad half-sizes and face
// turns), so every texel holds what lies in its direction from the box's centre and the faces
// join without a seam.
#pragma once

#include "tools/datagen/environment.h"
#include "tools/datagen/image.h"

namespace datagen {

// Scene direction (not normalised) shown at texture coordinates (s, t), s and t in 0..1, t = 0 at
// the bottom of the picture. The upper half holds the walls left, front, right, back; the lower
// half the floor and the ceiling; its two unused cells continue the floor and the ceiling.
Vec3 SkyAtlasDirection(double s, double t);

// Angle in radians that one texel of a width by height atlas covers at (s, t).
double SkyAtlasFootprint(double s, double t, int32_t width, int32_t height);

// The whole atlas sampled from the environment.
Image RenderSkyAtlas(const Environment& env, int32_t width, int32_t height);

}  // namespace datagen
