// Rotation arithmetic shared by skeletal playback and the motion-table routines: what a BVH channel name
// means, 3x3 rotation matrices built channel by channel, Euler angles of a matrix in any axis order, and unit
// quaternions for slerp. Private to the model library; nothing here fails.
#pragma once

#include <algorithm>
#include <cmath>
#include <string_view>
#include <vector>

namespace vtrl3ds_internal {

inline constexpr double degree = 3.14159265358979323846 / 180.0;

// What a channel moves: a position axis (0..2), a rotation axis (3..5), or nothing known (-1).
inline int channelKind(std::string_view name) {
    static constexpr std::string_view names[] = {"xposition", "yposition", "zposition",
                                                 "xrotation", "yrotation", "zrotation"};
    for (int k = 0; k < 6; ++k) {
        const std::string_view n = names[k];
        bool same = name.size() == n.size();
        for (size_t i = 0; same && i < n.size(); ++i)
            same = (name[i] >= 'A' && name[i] <= 'Z' ? char(name[i] - 'A' + 'a') : name[i]) == n[i];
        if (same) return k;
    }
    return -1;
}

// A rotation matrix, m[row][column], acting on column vectors.
struct Mat3 {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
};

// R := R x (a turn of Radians about Axis): only the two columns the turn mixes change.
inline void turnAbout(Mat3& r, int axis, double radians) {
    const int j = (axis + 1) % 3, k = (axis + 2) % 3;
    const double c = std::cos(radians), s = std::sin(radians);
    for (int row = 0; row < 3; ++row) {
        const double a = r.m[row][j], b = r.m[row][k];
        r.m[row][j] = a * c + b * s;
        r.m[row][k] = b * c - a * s;
    }
}

inline Mat3 operator*(const Mat3& a, const Mat3& b) {
    Mat3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
    return r;
}

// Angles (radians) such that R = R_order[0](a[0]) R_order[1](a[1]) R_order[2](a[2]); at gimbal
// lock the last angle is 0 and the first takes the whole turn.
inline void eulerOf(const Mat3& r, const int (&order)[3], double (&a)[3]) {
    const int i = order[0], j = order[1], k = order[2];
    const double s = ((j - i + 3) % 3 == 1) ? 1.0 : -1.0;  // +1 for X Y Z, Y Z X, Z X Y
    const double sb = std::clamp(s * r.m[i][k], -1.0, 1.0);
    a[1] = std::asin(sb);
    if (std::abs(sb) < 1 - 1e-12) {
        a[0] = std::atan2(-s * r.m[j][k], r.m[k][k]);
        a[2] = std::atan2(-s * r.m[i][j], r.m[i][i]);
    } else {
        a[0] = std::atan2(s * r.m[k][j], r.m[j][j]);
        a[2] = 0;
    }
}

// The turn of a joint's rotation channels (Kinds from channelKind, Values in degrees) in their
// order, the first one outermost.
inline Mat3 channelTurn(const int* kinds, const float* values, size_t count) {
    Mat3 r;
    for (size_t c = 0; c < count; ++c)
        if (kinds[c] >= 3) turnAbout(r, kinds[c] - 3, values[c] * degree);
    return r;
}

struct Quat {
    double w = 1, x = 0, y = 0, z = 0;
};

inline Quat operator*(const Quat& a, const Quat& b) {
    return {a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z, a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x, a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
}

inline Quat quatOf(const Mat3& r) {
    const auto& m = r.m;
    Quat q;
    const double t = m[0][0] + m[1][1] + m[2][2];
    if (t > 0) {
        const double s = 2 * std::sqrt(1 + t);
        q = {s / 4, (m[2][1] - m[1][2]) / s, (m[0][2] - m[2][0]) / s, (m[1][0] - m[0][1]) / s};
    } else if (m[0][0] > m[1][1] && m[0][0] > m[2][2]) {
        const double s = 2 * std::sqrt(1 + m[0][0] - m[1][1] - m[2][2]);
        q = {(m[2][1] - m[1][2]) / s, s / 4, (m[0][1] + m[1][0]) / s, (m[0][2] + m[2][0]) / s};
    } else if (m[1][1] > m[2][2]) {
        const double s = 2 * std::sqrt(1 + m[1][1] - m[0][0] - m[2][2]);
        q = {(m[0][2] - m[2][0]) / s, (m[0][1] + m[1][0]) / s, s / 4, (m[1][2] + m[2][1]) / s};
    } else {
        const double s = 2 * std::sqrt(1 + m[2][2] - m[0][0] - m[1][1]);
        q = {(m[1][0] - m[0][1]) / s, (m[0][2] + m[2][0]) / s, (m[1][2] + m[2][1]) / s, s / 4};
    }
    return q;
}

inline Mat3 matrixOf(const Quat& q) {
    const double w = q.w, x = q.x, y = q.y, z = q.z;
    Mat3 r;
    r.m[0][0] = 1 - 2 * (y * y + z * z), r.m[0][1] = 2 * (x * y - w * z), r.m[0][2] = 2 * (x * z + w * y);
    r.m[1][0] = 2 * (x * y + w * z), r.m[1][1] = 1 - 2 * (x * x + z * z), r.m[1][2] = 2 * (y * z - w * x);
    r.m[2][0] = 2 * (x * z - w * y), r.m[2][1] = 2 * (y * z + w * x), r.m[2][2] = 1 - 2 * (x * x + y * y);
    return r;
}

// Shortest-arc spherical interpolation from A (T = 0) to B (T = 1), normalised.
inline Quat slerp(const Quat& a, Quat b, double t) {
    double d = a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z;
    if (d < 0) b = {-b.w, -b.x, -b.y, -b.z}, d = -d;
    double ka = 1 - t, kb = t;
    if (d < 0.9995) {
        const double angle = std::acos(d), s = std::sin(angle);
        ka = std::sin((1 - t) * angle) / s, kb = std::sin(t * angle) / s;
    }
    Quat q{ka * a.w + kb * b.w, ka * a.x + kb * b.x, ka * a.y + kb * b.y, ka * a.z + kb * b.z};
    const double n = std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
    return {q.w / n, q.x / n, q.y / n, q.z / n};
}

}  // namespace vtrl3ds_internal
