// Cube-face texel directions and rendering (see cubefaces.h). GL picks the face by the largest
// component of the lookup direction and the texel from the other two, by a fixed table per face;
// CubeLookupDirection is that table run backwards.
#include "tools/datagen/cubefaces.h"

namespace datagen {

const std::array<CubeFaceFile, 6> cubeFaceFiles = {{
    {"positive_x.bmp", CubeFace::PositiveX},
    {"negative_x.bmp", CubeFace::NegativeX},
    {"positive_y.bmp", CubeFace::NegativeY},
    {"negative_y.bmp", CubeFace::PositiveY},
    {"positive_z.bmp", CubeFace::PositiveZ},
    {"negative_z.bmp", CubeFace::NegativeZ},
}};

Vec3 CubeLookupDirection(CubeFace face, double s, double t) {
    const double sc = 2.0 * s - 1.0, tc = 2.0 * t - 1.0;
    switch (face) {
        case CubeFace::PositiveX:
            return {1.0, -tc, -sc};
        case CubeFace::NegativeX:
            return {-1.0, -tc, sc};
        case CubeFace::PositiveY:
            return {sc, 1.0, tc};
        case CubeFace::NegativeY:
            return {sc, -1.0, -tc};
        case CubeFace::PositiveZ:
            return {sc, -tc, 1.0};
        case CubeFace::NegativeZ:
            return {-sc, -tc, -1.0};
    }
    return {};
}

Vec3 SceneDirectionOfLookup(Vec3 lookup) {
    return {lookup.x, -lookup.y, -lookup.z};
}

Image RenderCubeFace(const Environment& env, CubeFace face, int32_t size) {
    Image img(size, size);
    FillImage(img, [&](int32_t x, int32_t row) {
        const Vec3 lookup = CubeLookupDirection(face, (x + 0.5) / size, (row + 0.5) / size);
        // One texel spans 2 / size on a face plane at distance 1, seen obliquely.
        const double footprint = (2.0 / size) / dot(lookup, lookup);
        return env.Colour(SceneDirectionOfLookup(lookup), footprint);
    });
    return img;
}

}  // namespace datagen
