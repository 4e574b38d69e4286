// The procedural surroundings (see environment.h): a sky gradient with sun and glow, a few
// clouds, a far hazy range and a near range of rocky hills on the horizon, and sandy ground
// with rock patches below, fading into haze towards the horizon.
#include "tools/datagen/environment.h"

#include <cmath>

#include "tools/datagen/noise.h"

namespace datagen {
namespace {

constexpr int profileSteps = 8192;
constexpr double sunAzimuth = 30.0, sunElevation = 16.0, sunRadius = 0.028;  // degrees, radians
constexpr uint32_t seedNear = 11, seedFar = 23, seedCloud = 37, seedRock = 41, seedGround = 53;

constexpr Rgb zenith{0.13, 0.32, 0.72}, horizon{0.70, 0.80, 0.90}, sunGlow{1.0, 0.82, 0.55};
constexpr Rgb haze{0.78, 0.79, 0.80}, farRock{0.47, 0.53, 0.66};
constexpr Rgb rockLight{0.66, 0.50, 0.37}, rockDark{0.36, 0.29, 0.26};
constexpr Rgb sand{0.82, 0.70, 0.52}, redEarth{0.68, 0.47, 0.34}, stone_{0.55, 0.50, 0.46};

double azimuthOf(Vec3 d) {
    return std::atan2(d.x, -d.z);
}

// Fractal noise on a circle of the given radius, so the profile closes on itself after a turn.
double ringNoise(double azimuth, double radius, int octaves, uint32_t seed) {
    return Fbm2(radius * std::cos(azimuth), radius * std::sin(azimuth), octaves, seed);
}

// Ridged variant: sharp crests where the noise crosses its middle.
double ringRidges(double azimuth, double radius, uint32_t seed) {
    const double n = 1.0 - std::fabs(2.0 * ringNoise(azimuth, radius, 5, seed) - 1.0);
    return n * n;
}

double sampleProfile(const std::vector<double>& profile, double azimuth) {
    double f = azimuth / (2.0 * pi);
    f = (f - std::floor(f)) * profileSteps;
    const auto i = static_cast<int>(f) % profileSteps;
    const double t = f - std::floor(f);
    return profile[i] * (1.0 - t) + profile[(i + 1) % profileSteps] * t;
}

}  // namespace

Environment::Environment() : near_(profileSteps), far_(profileSteps) {
    for (int i = 0; i < profileSteps; ++i) {
        const double a = 2.0 * pi * i / profileSteps;
        const double crest = ringRidges(a, 3.0, seedNear);
        const double swell = ringNoise(a, 1.2, 3, seedNear + 1);
        const double rough = ringNoise(a, 40.0, 4, seedNear + 2);
        near_[i] =
            radians(0.6 + 8.5 * crest * smoothstep(0.3, 0.7, swell) + 2.0 * swell + 1.2 * rough * crest);
        far_[i] = radians(2.5 + 8.0 * ringNoise(a, 2.0, 6, seedFar));
    }
}

Vec3 Environment::SunDirection() {
    const double az = radians(sunAzimuth), el = radians(sunElevation);
    return {std::sin(az) * std::cos(el), std::sin(el), -std::cos(az) * std::cos(el)};
}

double Environment::NearRidge(double azimuth) const {
    return sampleProfile(near_, azimuth);
}
double Environment::FarRidge(double azimuth) const {
    return sampleProfile(far_, azimuth);
}

Rgb Environment::Colour(Vec3 dir, double footprint) const {
    const Vec3 d = normalized(dir);
    const double el = std::asin(std::clamp(d.y, -1.0, 1.0));
    const double az = azimuthOf(d);
    const double nearTop = NearRidge(az), farTop = FarRidge(az);
    // Each layer covers what lies behind it; coverage is filtered over one footprint.
    const auto coverage = [&](double top) { return smoothstep(-0.5, 0.5, (top - el) / footprint); };
    Rgb c = sky(d, el, footprint);
    c = mix(c, farHills(az, el), coverage(farTop));
    c = mix(c, nearHills(az, el, footprint), coverage(nearTop));
    return mix(c, ground(d, footprint), coverage(0.0));
}

Rgb Environment::sky(Vec3 d, double elevation, double footprint) const {
    const double e = std::max(elevation, 0.0);
    Rgb c = mix(zenith, horizon, std::pow(1.0 - e / (pi / 2), 4.0));
    const double angle = std::acos(std::clamp(dot(d, SunDirection()), -1.0, 1.0));
    c = c + sunGlow * (0.30 * std::exp(-angle / 0.30) + 0.35 * std::exp(-angle / 0.06));
    c = clouds(d, c, footprint);
    const double disc = smoothstep(-0.5, 0.5, (sunRadius - angle) / footprint);
    return mix(c, Rgb{1.0, 0.98, 0.90}, disc);
}

Rgb Environment::clouds(Vec3 d, Rgb behind, double footprint) const {
    if (d.y <= 0.0) return behind;
    // Clouds lie on a flat layer overhead; far parts of it crowd towards the horizon and thin out.
    const double k = 1.0 / (d.y + 0.04);
    const double n = Fbm2(d.x * k * 1.3 + 7.0, d.z * k * 1.3, 6, seedCloud, footprint * k * k * 1.3);
    const double density = smoothstep(0.50, 0.78, n) * smoothstep(0.02, 0.25, d.y);
    const double lit = 0.5 + 0.5 * dot(normalized({d.x, 0.0, d.z}), SunDirection());
    const Rgb body = mix(Rgb{0.78, 0.80, 0.86}, Rgb{1.0, 0.98, 0.95}, 0.45 + 0.35 * lit - 0.5 * (n - 0.6));
    return mix(behind, body, 0.9 * density);
}

Rgb Environment::farHills(double azimuth, double elevation) const {
    const double n = Fbm2(azimuth * 60.0, elevation * 90.0, 4, seedRock + 7);
    const double height = clamp01(elevation / std::max(FarRidge(azimuth), 1e-6));
    return mix(haze, farRock * (0.9 + 0.2 * n), 0.35 + 0.35 * height);
}

Rgb Environment::nearHills(double azimuth, double elevation, double footprint) const {
    // Light comes from the sun's side: slopes that face it are bright, the others in shade.
    const double step = radians(0.4);
    const double top = NearRidge(azimuth);
    const double slope = (NearRidge(azimuth + step) - NearRidge(azimuth - step)) / (2.0 * step);
    const double sunSide = std::sin(radians(sunAzimuth) - azimuth) >= 0 ? 1.0 : -1.0;
    const double below = clamp01((top - elevation) / std::max(top, 1e-6));  // 0 at the crest, 1 at the foot
    // Rock: blotchy weathering, dark cracks where a ridged noise peaks, faint layers.
    const double weather = Fbm2(azimuth * 120.0, elevation * 120.0, 5, seedRock, footprint * 120.0);
    const double crackNoise = Fbm2(azimuth * 45.0, elevation * 70.0, 4, seedRock + 1, footprint * 70.0);
    const double crack = std::pow(1.0 - std::fabs(2.0 * crackNoise - 1.0), 8.0);
    const double facing = std::clamp(-slope * sunSide * 1.5 + (weather - 0.5) * 1.2, -1.0, 1.0);
    Rgb rock = mix(rockDark, rockLight, clamp01(0.5 + 0.5 * facing));
    rock = rock * (0.85 + 0.25 * (1.0 - below)) * (0.8 + 0.4 * weather) * (1.0 - 0.45 * crack);
    rock = rock * (0.94 + 0.06 * std::sin(elevation * 380.0 + weather * 3.0));
    const double foot = smoothstep(0.0, radians(1.5), elevation);
    return mix(haze, rock, 0.45 + 0.5 * foot);
}

Rgb Environment::ground(Vec3 d, double footprint) const {
    if (d.y >= 0.0) return haze;
    // The ground is a plane one unit below the eye; dist is how far along it the ray lands.
    const double dist = 1.0 / -d.y;
    const double px = d.x * dist, pz = d.z * dist, spread = footprint * dist * dist;
    const auto field = [&](double x, double z, double scale, int octaves, uint32_t seed) {
        return Fbm2(x * scale, z * scale, octaves, seed, spread * scale);
    };
    const double patches = field(px, pz, 0.08, 5, seedGround);
    const double ripples = std::sin(px * 2.2 + pz * 0.7 + field(px, pz, 0.5, 3, seedGround + 3) * 9.0);
    const double grain = field(px, pz, 8.0, 4, seedGround + 2);
    Rgb c = mix(sand, redEarth, smoothstep(0.45, 0.65, patches));
    c = c * (1.0 + 0.06 * ripples * (1.0 - smoothstep(0.3, 1.0, spread * 2.2)));
    c = c * (0.90 + 0.20 * grain);
    // Scattered stones, lit from the sun's side and casting a short shadow away from it. They
    // are too small to show far away and fade out with the footprint.
    const Vec3 sun = SunDirection();
    const double sx = sun.x / std::hypot(sun.x, sun.z) * 0.05, sz = sun.z / std::hypot(sun.x, sun.z) * 0.05;
    const auto stoneAt = [&](double x, double z) {
        return smoothstep(0.73, 0.77, field(x, z, 3.0, 3, seedGround + 1));
    };
    const double stone = stoneAt(px, pz), lit = stoneAt(px + sx, pz + sz);
    const double visible = 1.0 - smoothstep(0.2, 0.6, spread * 3.0);
    c = c * (1.0 - 0.35 * visible * smoothstep(0.0, 0.5, stoneAt(px + 2 * sx, pz + 2 * sz) - stone));
    const Rgb rock = stone_ * (0.65 + 0.5 * grain) * (0.75 + 0.45 * (stone - lit + 0.5));
    c = mix(c, rock, stone * visible);
    return mix(c, haze, 1.0 - std::exp(-dist / 140.0));
}

}  // namespace datagen
