// Texel-to-direction mapping of the sky-box atlas and its rendering (see skyatlas.h). The box is
// drawn with edge E around its centre: each face is a quad at distance E/2, turned into place,
// whose texture cell starts at (column px / 4, 1 - py / 2 - 1/2) and spans a quarter by a half.
#include "tools/datagen/skyatlas.h"

#include <cmath>

namespace datagen {
namespace {

enum Face { front, right, back, left, floorFace, ceiling };

// The sky box's faces as it draws them: cell position and the edge divisors of the half-sizes.
struct DrawnFace {
    double px, py, sxDivisor, syDivisor;
};
constexpr DrawnFace drawnFaces[6] = {
    {0.998, 0.0, 2.0, 1.99},    {1.998, 0.001, 2.0, 1.99},   {2.998, 0.0015, 2.0, 1.99},
    {3.998, 0.0015, 2.0, 1.99}, {0.0, 1.0015, 1.995, 1.988}, {1.0, 1.0015, 1.995, 2.0},
};
constexpr double edge = 1.0;  // directions do not depend on the box's size
constexpr double half = edge / 2.0;

// A point (x, y) of a face's quad, in the quad's own plane, carried to scene space.
Vec3 faceToScene(Face f, double x, double y) {
    switch (f) {
        case front:
            return {x, y, -half};
        case right:
            return {half, y, x};
        case back:
            return {-x, y, half};
        case left:
            return {-half, y, -x};
        case floorFace:
            return {x, -half, -y};
        case ceiling:
            return {x, half, y};
    }
    return {};
}

// The quad point drawn with texture (s, t), given how far across the face's cell s lies (0..1).
Vec3 cellToScene(Face f, double across, double t) {
    const DrawnFace& d = drawnFaces[f];
    const double sx = edge / d.sxDivisor, sy = edge / d.syDivisor;
    const double t0 = 0.5 - d.py / 2.0;
    return faceToScene(f, -sx + 2.0 * sx * across, -sy + 2.0 * sy * (t - t0) / 0.5);
}

}  // namespace

Vec3 SkyAtlasDirection(double s, double t) {
    if (t >= 0.5) {
        // The walls run one after another along s, each shifted by the same fraction of a cell,
        // the last one wrapping round to s = 0.
        double q = s * 4.0 - drawnFaces[front].px;
        q -= 4.0 * std::floor(q / 4.0);
        const int wall = std::min(static_cast<int>(q), 3);
        return cellToScene(static_cast<Face>(wall), q - wall, t);
    }
    const double column = s * 4.0;
    if (column < 1.0) return cellToScene(floorFace, column, t);
    if (column < 3.0) return cellToScene(ceiling, column - 1.0, t);
    return cellToScene(floorFace, column - 4.0, t);
}

double SkyAtlasFootprint(double s, double t, int32_t width, int32_t height) {
    const Vec3 p = SkyAtlasDirection(s, t);
    const double texel = std::max(4.0 * edge / width, 2.0 * edge / height);
    // A texel of length texel on a plane at distance half, seen obliquely from the centre.
    return texel * half / dot(p, p);
}

Image RenderSkyAtlas(const Environment& env, int32_t width, int32_t height) {
    Image img(width, height);
    FillImage(img, [&](int32_t x, int32_t row) {
        const double s = (x + 0.5) / width, t = (row + 0.5) / height;
        return env.Colour(SkyAtlasDirection(s, t), SkyAtlasFootprint(s, t, width, height));
    });
    return img;
}

}  // namespace datagen
