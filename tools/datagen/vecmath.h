// Small value types of the data generator: a 3-vector, a 2-vector and a linear RGB colour, with
// the handful of operations the environment and the model builder need. Header only.
#pragma once

#include <algorithm>
#include <cmath>

namespace datagen {

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

struct Vec2 {
    double u = 0, v = 0;
};

// Colour components 0..1 (values above 1 are clipped when written).
struct Rgb {
    double r = 0, g = 0, b = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 a, double k) {
    return {a.x * k, a.y * k, a.z * k};
}
inline double dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(Vec3 a) {
    return std::sqrt(dot(a, a));
}
inline Vec3 normalized(Vec3 a) {
    const double l = length(a);
    return l > 0 ? a * (1.0 / l) : a;
}

inline Rgb operator+(Rgb a, Rgb b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Rgb operator*(Rgb a, double k) {
    return {a.r * k, a.g * k, a.b * k};
}
inline Rgb operator*(Rgb a, Rgb b) {
    return {a.r * b.r, a.g * b.g, a.b * b.b};
}
inline Rgb mix(Rgb a, Rgb b, double t) {
    return a * (1.0 - t) + b * t;
}

inline double clamp01(double x) {
    return std::clamp(x, 0.0, 1.0);
}
inline double smoothstep(double e0, double e1, double x) {
    const double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0 - 2.0 * t);
}

constexpr double pi = 3.14159265358979323846;
inline double radians(double degrees) {
    return degrees * pi / 180.0;
}

}  // namespace datagen
