// The crystal cluster (see crystal.h): a noise-displaced, flattened geodesic sphere as the rock,
// and hand-placed crystals growing out of it. Every face runs counter-clockwise seen from
// outside, as 3DS files expect.
#include "tools/datagen/crystal.h"

#include <cmath>
#include <map>
#include <utility>

#include "tools/datagen/noise.h"

namespace datagen {
namespace {

enum MaterialIndex : uint16_t { rockMaterial, quartzMaterial, amethystMaterial };
constexpr int sideSteps = 2, lengthSteps = 6, pointSteps = 3;  // facet subdivision
constexpr double rockRadius = 46.0, rockHeight = 26.0, rockFloor = -14.0;
constexpr double pivotOffset = 25.0;  // the cluster is modelled with its centre at (0, 25, 25)
constexpr uint32_t seedRock = 71;

// Azimuth and tilt from the vertical (degrees), radius, length above the rock, roll (degrees).
struct Placement {
    double azimuth, tilt, radius, length, roll;
    uint16_t material;
};
constexpr Placement placements[] = {
    {0, 0, 13, 85, 10, quartzMaterial},     {40, 28, 9, 62, 25, amethystMaterial},
    {110, 35, 8, 55, 5, quartzMaterial},    {170, 25, 10, 70, 40, amethystMaterial},
    {230, 38, 7, 48, 15, quartzMaterial},   {290, 30, 9, 60, 35, quartzMaterial},
    {335, 45, 6, 40, 0, amethystMaterial},  {75, 55, 5.5, 34, 20, quartzMaterial},
    {200, 58, 6, 36, 50, amethystMaterial}, {260, 62, 5, 30, 10, amethystMaterial},
    {15, 60, 5, 32, 30, quartzMaterial},
};

uint16_t addVertex(Mesh3ds& mesh, Vec3 p, Vec2 uv) {
    mesh.vertices.push_back(p);
    mesh.mapping.push_back(uv);
    return static_cast<uint16_t>(mesh.vertices.size() - 1);
}

void addFace(Mesh3ds& mesh, uint16_t a, uint16_t b, uint16_t c, uint16_t material, uint32_t group) {
    mesh.faces.push_back({a, b, c, material, group});
}

// A flat quad p00, p10, p11, p01 (counter-clockwise from outside) as a grid of triangles.
void addQuadFacet(Mesh3ds& mesh, const Vec3 (&p)[4], Vec2 uv0, Vec2 uv1, uint16_t material, uint32_t group) {
    const auto first = static_cast<uint16_t>(mesh.vertices.size());
    for (int j = 0; j <= lengthSteps; ++j)
        for (int i = 0; i <= sideSteps; ++i) {
            const double a = static_cast<double>(i) / sideSteps, b = static_cast<double>(j) / lengthSteps;
            const Vec3 q = (p[0] * (1 - a) + p[1] * a) * (1 - b) + (p[3] * (1 - a) + p[2] * a) * b;
            addVertex(mesh, q, {uv0.u + (uv1.u - uv0.u) * a, uv0.v + (uv1.v - uv0.v) * b});
        }
    const auto at = [&](int i, int j) { return static_cast<uint16_t>(first + j * (sideSteps + 1) + i); };
    for (int j = 0; j < lengthSteps; ++j)
        for (int i = 0; i < sideSteps; ++i) {
            addFace(mesh, at(i, j), at(i + 1, j), at(i + 1, j + 1), material, group);
            addFace(mesh, at(i, j), at(i + 1, j + 1), at(i, j + 1), material, group);
        }
}

// A flat triangle p0, p1, p2 (counter-clockwise from outside) split into pointSteps² triangles.
void addTriangleFacet(Mesh3ds& mesh, const Vec3 (&p)[3], Vec2 uv0, double uvWidth, uint16_t material,
                      uint32_t group) {
    std::map<std::pair<int, int>, uint16_t> index;
    for (int j = 0; j <= pointSteps; ++j)
        for (int i = 0; i + j <= pointSteps; ++i) {
            const double a = static_cast<double>(i) / pointSteps, b = static_cast<double>(j) / pointSteps;
            const Vec3 q = p[0] + (p[1] - p[0]) * a + (p[2] - p[0]) * b;
            index[{i, j}] = addVertex(mesh, q, {uv0.u + uvWidth * (a + b / 2), uv0.v + uvWidth * b});
        }
    for (int j = 0; j < pointSteps; ++j)
        for (int i = 0; i + j < pointSteps; ++i) {
            addFace(mesh, index[{i, j}], index[{i + 1, j}], index[{i, j + 1}], material, group);
            if (i + j + 1 < pointSteps)
                addFace(mesh, index[{i + 1, j}], index[{i + 1, j + 1}], index[{i, j + 1}], material, group);
        }
}

Vec3 directionOf(double azimuth, double tilt) {
    const double a = radians(azimuth), t = radians(tilt);
    return {std::sin(t) * std::cos(a), std::sin(t) * std::sin(a), std::cos(t)};
}

// Radius factor of the rock along a unit direction: a lumpy sphere.
double rockBump(Vec3 d) {
    return 0.82 + 0.36 * Fbm3(d.x * 1.7 + 3.0, d.y * 1.7, d.z * 1.7, 4, seedRock);
}

Vec3 rockPoint(Vec3 d) {
    const double k = rockBump(d);
    return {d.x * rockRadius * k, d.y * rockRadius * k, std::max(d.z * rockHeight * k, rockFloor)};
}

}  // namespace

void AppendCrystal(Mesh3ds& mesh, const CrystalSpec& c) {
    const Vec3 ref = std::fabs(c.axis.z) < 0.9 ? Vec3{0, 0, 1} : Vec3{1, 0, 0};
    const Vec3 u = normalized(cross(c.axis, ref)), v = cross(c.axis, u);
    Vec3 bottom[6], top[6];
    for (int k = 0; k < 6; ++k) {
        const double angle = c.roll + k * pi / 3;
        const Vec3 rim = (u * std::cos(angle) + v * std::sin(angle)) * c.radius;
        bottom[k] = c.base + rim;
        top[k] = c.base + c.axis * c.length + rim;
    }
    const Vec3 apex = c.base + c.axis * (c.length + 1.7 * c.radius);
    const double around = 2 * pi * c.radius;  // mapping: one unit per circumference
    for (int k = 0; k < 6; ++k) {
        const int n = (k + 1) % 6;
        const Vec3 side[4] = {bottom[k], bottom[n], top[n], top[k]};
        addQuadFacet(mesh, side, {k / 6.0, 0}, {(k + 1) / 6.0, c.length / around}, c.material, 1U << k);
        const Vec3 point[3] = {top[k], top[n], apex};
        addTriangleFacet(mesh, point, {k / 6.0, c.length / around}, 1 / 6.0, c.material, 1U << (6 + k));
    }
    const uint16_t centre = addVertex(mesh, c.base, {0.5, 0.5});
    uint16_t rim[6];
    for (int k = 0; k < 6; ++k)
        rim[k] =
            addVertex(mesh, bottom[k], {0.5 + 0.5 * std::cos(k * pi / 3), 0.5 + 0.5 * std::sin(k * pi / 3)});
    for (int k = 0; k < 6; ++k) addFace(mesh, centre, rim[(k + 1) % 6], rim[k], c.material, 1U << 12);
}

namespace {

struct Triangle {
    int a, b, c;
};

// Unit geodesic sphere: an icosahedron whose faces are split in four, `levels` times.
void geodesicSphere(int levels, std::vector<Vec3>& points, std::vector<Triangle>& faces) {
    const double t = (1.0 + std::sqrt(5.0)) / 2.0;
    points = {{-1, t, 0},  {1, t, 0},  {-1, -t, 0}, {1, -t, 0}, {0, -1, t},  {0, 1, t},
              {0, -1, -t}, {0, 1, -t}, {t, 0, -1},  {t, 0, 1},  {-t, 0, -1}, {-t, 0, 1}};
    for (Vec3& p : points) p = normalized(p);
    faces = {{0, 11, 5},  {0, 5, 1},  {0, 1, 7},  {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
             {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
             {3, 8, 9},   {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
    for (int level = 0; level < levels; ++level) {
        std::map<std::pair<int, int>, int> middle;
        const auto midpoint = [&](int a, int b) {
            const auto key = std::minmax(a, b);
            auto [it, added] = middle.try_emplace(key, static_cast<int>(points.size()));
            if (added) points.push_back(normalized(points[a] + points[b]));
            return it->second;
        };
        std::vector<Triangle> split;
        for (const Triangle& f : faces) {
            const int ab = midpoint(f.a, f.b), bc = midpoint(f.b, f.c), ca = midpoint(f.c, f.a);
            split.insert(split.end(), {{f.a, ab, ca}, {f.b, bc, ab}, {f.c, ca, bc}, {ab, bc, ca}});
        }
        faces = std::move(split);
    }
}

Mesh3ds buildRock() {
    std::vector<Vec3> unit;
    std::vector<Triangle> faces;
    geodesicSphere(3, unit, faces);
    Mesh3ds rock{"Roccia", {}, {}, {}, {}};
    for (const Vec3& d : unit)
        addVertex(rock, rockPoint(d), {0.5 + std::atan2(d.y, d.x) / (2 * pi), 0.5 + d.z / 2});
    for (const Triangle& f : faces) {
        // The sphere is convex around its centre: turn any face that looks inwards.
        const bool outward = dot(cross(unit[f.b] - unit[f.a], unit[f.c] - unit[f.a]), unit[f.a]) > 0;
        const auto a = static_cast<uint16_t>(f.a), b = static_cast<uint16_t>(f.b),
                   c = static_cast<uint16_t>(f.c);
        if (outward)
            addFace(rock, a, b, c, rockMaterial, 1);
        else
            addFace(rock, a, c, b, rockMaterial, 1);
    }
    return rock;
}

Mesh3ds buildCrystals() {
    Mesh3ds crystals{"Cristalli", {}, {}, {}, {}};
    for (const Placement& p : placements) {
        const Vec3 axis = directionOf(p.azimuth, p.tilt);
        // Rooted well inside the rock so that no edge of the bottom shows.
        const double buried = 1.2 * p.radius + 4.0;
        const Vec3 surface = rockPoint(directionOf(p.azimuth, 0.9 * p.tilt));
        AppendCrystal(crystals, {surface - axis * buried, axis, p.radius, p.length + buried, radians(p.roll),
                                 p.material});
    }
    return crystals;
}

// Moves every vertex so that the middle of the cluster's bounding box lands on `centre`.
void centreOn(std::vector<Mesh3ds>& meshes, Vec3 centre) {
    Vec3 lo{1e30, 1e30, 1e30}, hi{-1e30, -1e30, -1e30};
    for (const Mesh3ds& m : meshes)
        for (const Vec3& p : m.vertices) {
            lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
            hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
        }
    const Vec3 shift = centre - (lo + hi) * 0.5;
    for (Mesh3ds& m : meshes)
        for (Vec3& p : m.vertices) p = p + shift;
}

}  // namespace

Scene3ds BuildCrystalScene() {
    Scene3ds scene;
    scene.materials = {
        {"Roccia", {90, 72, 62}, {215, 188, 165}, {60, 60, 60}, 10, 0, false},
        {"Quarzo", {180, 200, 220}, {235, 245, 255}, {255, 255, 255}, 80, 45, false},
        {"Ametista", {120, 60, 160}, {210, 150, 255}, {255, 230, 255}, 80, 30, false},
    };
    scene.meshes = {buildRock(), buildCrystals()};
    // The pivot's y and z are equal, so it names the same point whether or not a reader
    // exchanges y and z before applying it.
    const Vec3 pivot{0, pivotOffset, pivotOffset};
    centreOn(scene.meshes, pivot);
    for (Mesh3ds& m : scene.meshes) m.pivot = pivot;
    return scene;
}

}  // namespace datagen
