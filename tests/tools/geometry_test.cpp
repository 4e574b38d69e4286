// The generator's geometry: cube-map lookups as the GL makes them land on texels that show the
// scene direction being reflected, whatever the view's rotation; the sky-box atlas places its
// cells as the box draws them and joins them without a jump; the environment has sky above,
// ground below, the sun ahead on the right; and every crystal facet faces outwards.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "tools/datagen/crystal.h"
#include "tools/datagen/cubefaces.h"
#include "tools/datagen/skyatlas.h"

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

TEST(CubeFaceMapping, face_texels_invert_the_gl_face_selection) {
    for (int f = 0; f < 6; ++f)
        for (double s : {0.1, 0.5, 0.8})
            for (double t : {0.2, 0.5, 0.9}) {
                const FaceTexel hit = glCubeLookup(CubeLookupDirection(static_cast<CubeFace>(f), s, t));
                EXPECT_EQ(hit.face, static_cast<CubeFace>(f));
                EXPECT_NEAR(hit.s, s, 1e-12);
                EXPECT_NEAR(hit.t, t, 1e-12);
            }
}

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
                expectSameDirection(SceneDirectionOfLookup(CubeLookupDirection(hit.face, hit.s, hit.t)), d, "reflection");
            }
}

TEST(CubeFaceMapping, y_files_go_crosswise_and_the_others_to_their_namesakes) {
    std::map<std::string, CubeFace> placed;
    for (const CubeFaceFile& f : cubeFaceFiles) placed[f.name] = f.face;
    EXPECT_EQ(placed.at("positive_x.bmp"), CubeFace::PositiveX);
    EXPECT_EQ(placed.at("negative_x.bmp"), CubeFace::NegativeX);
    EXPECT_EQ(placed.at("positive_y.bmp"), CubeFace::NegativeY);
    EXPECT_EQ(placed.at("negative_y.bmp"), CubeFace::PositiveY);
    EXPECT_EQ(placed.at("positive_z.bmp"), CubeFace::PositiveZ);
    EXPECT_EQ(placed.at("negative_z.bmp"), CubeFace::NegativeZ);
    // After the half turn the file named for +Y holds the sky and the one for -Y the ground.
    expectSameDirection(SceneDirectionOfLookup(CubeLookupDirection(CubeFace::NegativeY, 0.5, 0.5)), {0, 1, 0}, "up");
}

TEST(SkyAtlasMapping, cells_hold_left_front_right_back_above_floor_and_ceiling_below) {
    // Cell centres; the box's fractional cell positions move them by a fraction of a degree.
    expectSameDirection(SkyAtlasDirection(0.125, 0.75), {-1, 0, 0}, "left wall", 0.5);
    expectSameDirection(SkyAtlasDirection(0.375, 0.75), {0, 0, -1}, "front wall", 0.5);
    expectSameDirection(SkyAtlasDirection(0.625, 0.75), {1, 0, 0}, "right wall", 0.5);
    expectSameDirection(SkyAtlasDirection(0.875, 0.75), {0, 0, 1}, "back wall", 0.5);
    expectSameDirection(SkyAtlasDirection(0.125, 0.25), {0, -1, 0}, "floor", 0.5);
    expectSameDirection(SkyAtlasDirection(0.375, 0.25), {0, 1, 0}, "ceiling", 0.5);
    // Upright walls: picture up is scene up; the floor's top edge meets the front wall.
    EXPECT_GT(normalized(SkyAtlasDirection(0.375, 0.95)).y, 0.5);
    EXPECT_LT(normalized(SkyAtlasDirection(0.125, 0.45)).z, -0.5);
}

// Where one wall's cell ends and the next one's begins, both sides show the box's shared
// vertical edge (|x| = |z|), in the right order round the panorama.
TEST(SkyAtlasMapping, neighbouring_walls_meet_on_the_box_edges) {
    const Vec3 corners[4] = {{1, 0, -1}, {1, 0, 1}, {-1, 0, 1}, {-1, 0, -1}};  // front|right ... left|front
    for (int k = 0; k < 4; ++k) {
        const double s = std::fmod((1.998 + k) / 4, 1.0);
        for (double t : {0.55, 0.75, 0.95}) {
            const Vec3 before = SkyAtlasDirection(s - 1e-9, t), after = SkyAtlasDirection(s + 1e-9, t);
            EXPECT_NEAR(std::fabs(before.x), std::fabs(before.z), 1e-6);
            EXPECT_NEAR(std::fabs(after.x), std::fabs(after.z), 1e-6);
            expectSameDirection({before.x, 0, before.z}, corners[k], "edge, before", 1e-4);
            expectSameDirection({after.x, 0, after.z}, corners[k], "edge, after", 1e-4);
            EXPECT_NEAR(before.y, after.y, 0.003) << "heights differ only by the cells' offsets";
        }
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
        EXPECT_GT(dot(cross(b - a, c - a), middle - centre), 0) << "face " << f.a << ", " << f.b << ", " << f.c;
    }
}

TEST(Crystal, cluster_has_a_few_thousand_faces_in_an_opaque_rock_and_see_through_crystals) {
    const Scene3ds scene = BuildCrystalScene();
    ASSERT_EQ(scene.meshes.size(), 2u);
    size_t faces = 0;
    for (const Mesh3ds& m : scene.meshes) {
        faces += m.faces.size();
        EXPECT_EQ(m.mapping.size(), m.vertices.size());
    }
    EXPECT_GT(faces, 2000u);
    EXPECT_LT(faces, 6000u);
    for (const Face3ds& f : scene.meshes[0].faces) EXPECT_EQ(scene.materials[f.material].transparencyPercent, 0);
    for (const Face3ds& f : scene.meshes[1].faces) EXPECT_GT(scene.materials[f.material].transparencyPercent, 0);
}
