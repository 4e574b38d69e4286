// The demo's model: a cluster of hexagonal quartz and amethyst crystals growing out of a rocky
// base, as a 3DS scene. Coordinates are z up, in file units; the demo loads it at scale 0.1.
#pragma once

#include "tools/datagen/writer3ds.h"

namespace datagen {

// One crystal: a hexagonal prism rising from base along axis, closed by a six-sided point.
struct CrystalSpec {
    Vec3 base;      // centre of the buried bottom face
    Vec3 axis;      // unit growth direction
    double radius;  // distance from the axis to the prism's edges
    double length;  // prism length; the point adds 1.7 radii
    double roll;    // turn of the hexagon about the axis, radians
    uint16_t material;
};

// Appends the crystal's faces to mesh: each flat facet split into a small grid of triangles with
// its own vertices, mapping coordinates and smoothing group (side facets, point facets, bottom).
void AppendCrystal(Mesh3ds& mesh, const CrystalSpec& spec);

// Materials "Roccia" (opaque), "Quarzo" and "Ametista" (see-through); meshes "Roccia" and
// "Cristalli". The cluster's centre lies at the pivot point of both meshes.
Scene3ds BuildCrystalScene();

}  // namespace datagen
