// Hashed value noise and its fractal sums (see noise.h). Lattice values come from an integer
// hash of the cell corner, blended with a quintic fade so that the field has no visible creases.
#include "tools/datagen/noise.h"

#include <cmath>

#include "tools/datagen/vecmath.h"

namespace datagen {
namespace {

uint32_t mixBits(uint32_t h) {
    h ^= h >> 16;
    h *= 0x7feb352dU;
    h ^= h >> 15;
    h *= 0x846ca68bU;
    h ^= h >> 16;
    return h;
}

double lattice(int32_t x, int32_t y, int32_t z, uint32_t seed) {
    uint32_t h = mixBits(seed ^ 0x9e3779b9U);
    h = mixBits(h ^ static_cast<uint32_t>(x));
    h = mixBits(h ^ static_cast<uint32_t>(y));
    h = mixBits(h ^ static_cast<uint32_t>(z));
    return static_cast<double>(h >> 8) / static_cast<double>(1U << 24);
}

double fade(double t) {
    return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}
double lerp(double a, double b, double t) {
    return a + (b - a) * t;
}

}  // namespace

double ValueNoise3(double x, double y, double z, uint32_t seed) {
    const double fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    const auto ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy), iz = static_cast<int32_t>(fz);
    const double tx = fade(x - fx), ty = fade(y - fy), tz = fade(z - fz);
    double plane[2];
    for (int k = 0; k < 2; ++k) {
        const double a = lerp(lattice(ix, iy, iz + k, seed), lattice(ix + 1, iy, iz + k, seed), tx);
        const double b = lerp(lattice(ix, iy + 1, iz + k, seed), lattice(ix + 1, iy + 1, iz + k, seed), tx);
        plane[k] = lerp(a, b, ty);
    }
    return lerp(plane[0], plane[1], tz);
}

double ValueNoise2(double x, double y, uint32_t seed) {
    const double fx = std::floor(x), fy = std::floor(y);
    const auto ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
    const double tx = fade(x - fx), ty = fade(y - fy);
    const double a = lerp(lattice(ix, iy, 0, seed), lattice(ix + 1, iy, 0, seed), tx);
    const double b = lerp(lattice(ix, iy + 1, 0, seed), lattice(ix + 1, iy + 1, 0, seed), tx);
    return lerp(a, b, ty);
}

double Fbm2(double x, double y, int octaves, uint32_t seed, double footprint) {
    double sum = 0, weight = 0.5, total = 0, frequency = 1;
    for (int i = 0; i < octaves; ++i) {
        // Full detail while a wavelength spans four footprints, none below two.
        const double keep = footprint > 0 ? smoothstep(2.0, 4.0, 1.0 / (frequency * footprint)) : 1.0;
        const double n = ValueNoise2(x * frequency, y * frequency, seed + static_cast<uint32_t>(i) * 131U);
        sum += weight * (keep * n + (1.0 - keep) * 0.5);
        total += weight;
        weight *= 0.5;
        frequency *= 2.0;
    }
    return sum / total;
}

double Fbm3(double x, double y, double z, int octaves, uint32_t seed) {
    double sum = 0, weight = 0.5, total = 0, frequency = 1;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * ValueNoise3(x * frequency, y * frequency, z * frequency,
                                    seed + static_cast<uint32_t>(i) * 131U);
        total += weight;
        weight *= 0.5;
        frequency *= 2.0;
    }
    return sum / total;
}

double HashUnit(uint32_t key, uint32_t seed) {
    return lattice(static_cast<int32_t>(key), 0, 0, seed);
}

}  // namespace datagen
