// The generator's geometry: cube-map lookups as the GL makes them land on texels that show the
// scene direction being reflected, whatever the view's rotation; the environment has sky above,
// ground below, the sun ahead on the right; and every crystal facet faces outwards.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/datagen/crystal.h"
#include "tools/datagen/cubefaces.h"
#include "tools/datagen/environment.h"

using namespace datagen;

namespace {

// What glRotatef(angle, axis) does to a vector.
Vec3 rotate(Vec3 v, double degrees, Vec3 axis) {
    const Vec3 k = normalized(axis);
    const double c = std::cos(radians(degrees)), s = std::sin(radians(degrees));
    return v * c + cross(k, v) * s + k * (dot(k, v) * (1 - c));
}

struct FaceTexel {
    CubeFace face;
    double s, t;
};

// The GL's cube-map face selection: the largest component picks the face, the table gives sc, tc.
FaceTexel glCubeLookup(Vec3 r) {
    const double ax = std::fabs(r.x), ay = std::fabs(r.y), az = std::fabs(r.z);
    CubeFace face;
    double sc, tc, ma;
    if (ax >= ay && ax >= az) {
        face = r.x > 0 ? CubeFace::PositiveX : CubeFace::NegativeX;
        sc = r.x > 0 ? -r.z : r.z, tc = -r.y, ma = ax;
    } else if (ay >= az) {
        face = r.y > 0 ? CubeFace::PositiveY : CubeFace::NegativeY;
        sc = r.x, tc = r.y > 0 ? r.z : -r.z, ma = ay;
    } else {
        face = r.z > 0 ? CubeFace::PositiveZ : CubeFace::NegativeZ;
        sc = r.z > 0 ? r.x : -r.x, tc = -r.y, ma = az;
    }
    return {face, (sc / ma + 1) / 2, (tc / ma + 1) / 2};
}

void expectSameDirection(Vec3 a, Vec3 b, const char* what, double degrees = 1e-4) {
    EXPECT_GT(dot(normalized(a), normalized(b)), std::cos(radians(degrees))) << what;
}

}  // namespace

// The demo's path: a scene direction d, as a reflection vector in eye space under the view's
// rotation, turned by the texture matrix of CubeMapBegin, looked up by the GL. The texel hit must
// be one the generator filled with the colour of d.
TEST(CubeFaceMapping, reflections_find_their_scene_direction_under_any_view_rotation) {
    const double views[][2] = {{0, 0}, {30, 60}, {-20, 200}, {75, -45}, {180, 90}};
    for (const auto& [xRot, yRot] : views)
        for (double az = -170; az < 180; az += 37)
            for (double el = -80; el <= 80; el += 32) {
                const Vec3 d{std::sin(radians(az)) * std::cos(radians(el)), std::sin(radians(el)),
                             -std::cos(radians(az)) * std::cos(radians(el))};
                const Vec3 eye = rotate(rotate(d, yRot, {0, 1, 0}), xRot, {1, 0, 0});
                const Vec3 lookup = rotate(rotate(eye, -180 - xRot, {1, 0, 0}), yRot, {0, 1, 0});
                const FaceTexel hit = glCubeLookup(lookup);
                expectSameDirection(SceneDirectionOfLookup(CubeLookupDirection(hit.face, hit.s, hit.t)), d,
                                    "reflection");
            }
}

TEST(Environment, sky_above_ground_below_sun_ahead_on_the_right) {
    const Environment env;
    const Rgb up = env.Colour({0, 1, 0}, 0.003), down = env.Colour({0, -1, 0}, 0.003);
    EXPECT_GT(up.b, up.r + 0.3);
    EXPECT_GT(down.r, down.b + 0.1);
    const Vec3 sun = Environment::SunDirection();
    EXPECT_GT(sun.x, 0.3);   // right of the first view
    EXPECT_LT(sun.z, -0.7);  // ahead
    EXPECT_GT(std::asin(sun.y), env.NearRidge(std::atan2(sun.x, -sun.z)) + radians(5));
    const Rgb disc = env.Colour(sun, 0.003), beside = env.Colour(sun + Vec3{0, 0.2, 0}, 0.003);
    EXPECT_GT(disc.r + disc.g + disc.b, 2.8);
    EXPECT_LT(beside.r + beside.g + beside.b, 2.6);
}

TEST(Environment, hills_rise_on_the_horizon_and_close_the_circle) {
    const Environment env;
    double highest = 0, lowest = 1;
    for (double az = -pi; az < pi; az += 0.01) {
        highest = std::max(highest, env.NearRidge(az));
        lowest = std::min(lowest, env.NearRidge(az));
        EXPECT_GT(env.FarRidge(az), radians(1.0));
    }
    EXPECT_GT(highest, radians(8));
    EXPECT_LT(highest, radians(20));
    EXPECT_GE(lowest, 0.0);
    EXPECT_NEAR(env.NearRidge(-pi), env.NearRidge(pi), 1e-12);
    EXPECT_NEAR(env.FarRidge(-pi + 1e-9), env.FarRidge(pi - 1e-9), 1e-6);
}

TEST(Crystal, every_facet_of_a_crystal_faces_outwards) {
    Mesh3ds mesh;
    const Vec3 axis = normalized({0.3, -0.2, 1});
    AppendCrystal(mesh, {{5, 6, 7}, axis, 4, 20, 0.3, 1});
    ASSERT_EQ(mesh.faces.size(), 6u * (2 * 2 * 6 + 9) + 6);
    Vec3 centre;
    for (const Vec3& v : mesh.vertices) centre = centre + v * (1.0 / mesh.vertices.size());
    for (const Face3ds& f : mesh.faces) {
        const Vec3 a = mesh.vertices[f.a], b = mesh.vertices[f.b], c = mesh.vertices[f.c];
        const Vec3 middle = (a + b + c) * (1.0 / 3);
        EXPECT_GT(dot(cross(b - a, c - a), middle - centre), 0)
            << "face " << f.a << ", " << f.b << ", " << f.c;
    }
}
