// The demo's procedural surroundings, "rocks by day": one function from a direction in scene
// space (y up, the viewer's first view along -z, +x to its right) to a colour. The sky-box
// panorama and the six cube-map faces are both sampled from it, so reflections match the box.
#pragma once

#include <vector>

#include "tools/datagen/vecmath.h"

namespace datagen {

class Environment {
  public:
    Environment();  // builds the horizon profiles of the two hill ranges

    // Colour seen along dir (any length but 0). footprint is the angle in radians that one output
    // sample covers; edges and fine detail are filtered to it.
    Rgb Colour(Vec3 dir, double footprint) const;

    // Unit vector towards the sun: ahead and to the right of the first view, above the hills.
    static Vec3 SunDirection();
    // Elevation in radians of the top of the near (rocky) and far (hazy) ranges at an azimuth
    // (radians clockwise from -z seen from above, so +x is at +pi/2).
    double NearRidge(double azimuth) const;
    double FarRidge(double azimuth) const;

  private:
    Rgb sky(Vec3 d, double elevation, double footprint) const;
    Rgb clouds(Vec3 d, Rgb behind, double footprint) const;
    Rgb farHills(double azimuth, double elevation) const;
    Rgb nearHills(double azimuth, double elevation, double footprint) const;
    Rgb ground(Vec3 d, double footprint) const;

    std::vector<double> near_, far_;  // ridge elevation per azimuth step, one full turn
};

}  // namespace datagen
