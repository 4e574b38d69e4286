// Evaluating the 3DS keyframer at a fractional frame (EvaluateKeyframer): Kochanek-Bartels
// (tension, continuity, bias) Hermite splines with ease for position and scale, rotations
// accumulated from angle-axis keys and interpolated by squad on the quaternion sphere, each node's
// own pose (EvaluateKfNode) multiplied onto its parents'. Reports nothing: tracks without keys
// give the rest value.
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "vtrl3ds/keyframer.h"
#include "vtrl3ds/private/keyframing.h"

namespace {

using Quat = std::array<float, 4>;  // X, Y, Z, W
constexpr double epsilon = 1e-8;

// ---- Quaternions ------------------------------------------------------------------------------

// The rotation by `angle` about `axis`; the file's angles turn the other way round.
Quat axisAngle(const float* axis, float angle) {
    const double l = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
    if (!(l >= epsilon)) return {0, 0, 0, 1};  // a zero (or broken) axis turns nothing
    const double omega = -0.5 * angle, s = std::sin(omega) / l;
    return {float(s) * axis[0], float(s) * axis[1], float(s) * axis[2], float(std::cos(omega))};
}

Quat mul(const Quat& a, const Quat& b) {
    return {a[3] * b[0] + a[0] * b[3] + a[1] * b[2] - a[2] * b[1],
            a[3] * b[1] + a[1] * b[3] + a[2] * b[0] - a[0] * b[2],
            a[3] * b[2] + a[2] * b[3] + a[0] * b[1] - a[1] * b[0],
            a[3] * b[3] - a[0] * b[0] - a[1] * b[1] - a[2] * b[2]};
}

float dot(const Quat& a, const Quat& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
}

Quat inverse(const Quat& c) {
    const double l = std::sqrt(dot(c, c));
    if (l < epsilon) return {0, 0, 0, 1};
    const double m = 1.0 / l;
    return {float(-c[0] * m), float(-c[1] * m), float(-c[2] * m), float(c[3] * m)};
}

Quat ln(const Quat& c) {
    const double s = std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
    const double t = std::fabs(s) < epsilon ? 0.0 : std::atan2(s, c[3]) / s;
    return {float(c[0] * t), float(c[1] * t), float(c[2] * t), 0};
}

Quat exp(const Quat& c) {
    const double om = std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
    const double s = std::fabs(om) < epsilon ? 1.0 : std::sin(om) / om;
    return {float(c[0] * s), float(c[1] * s), float(c[2] * s), float(std::cos(om))};
}

// ln(a^-1 b): the turn from a to b.
Quat lnDif(const Quat& a, const Quat& b) {
    return ln(mul(inverse(a), b));
}

Quat slerp(const Quat& a, const Quat& b, float t) {
    double l = dot(a, b);
    double sp, sq;
    Quat q = b;
    if (1.0 + l > epsilon) {
        if (std::fabs(l) > 1.0) l /= std::fabs(l);
        const double om = std::acos(l), sinom = std::sin(om);
        sp = std::fabs(sinom) > epsilon ? std::sin((1.0 - t) * om) / sinom : 1.0 - t;
        sq = std::fabs(sinom) > epsilon ? std::sin(t * om) / sinom : t;
    } else {
        // Opposite ends: through a quaternion at right angles to a.
        q = {-a[1], a[0], -a[3], a[2]};
        sp = std::sin((1.0 - t) * std::numbers::pi / 2);
        sq = std::sin(t * std::numbers::pi / 2);
    }
    return {float(sp * a[0] + sq * q[0]), float(sp * a[1] + sq * q[1]), float(sp * a[2] + sq * q[2]),
            float(sp * a[3] + sq * q[3])};
}

Quat squad(const Quat& a, const Quat& p, const Quat& q, const Quat& b, float t) {
    return slerp(slerp(a, b, t), slerp(p, q, t), 2 * t * (1 - t));
}

Quat keyQuat(const TKfKey& k) {
    return {k.Quat[0], k.Quat[1], k.Quat[2], k.Quat[3]};
}

// ---- Spline tangents ----------------------------------------------------------------------------

// The neighbours of key c for its tangents: previous and next key (-1 when none) and, across
// the ends of a track that runs its spline round, the keys standing in for c on the other side.
struct Neighbours {
    int p = -1, cp = -1, n = -1, cn = -1;
};

Neighbours neighbours(const TKfTrack& t, int c) {
    const int last = static_cast<int>(t.Keys.size()) - 1;
    const bool round = (t.Flags & 2) && last >= 1;
    Neighbours nb;
    nb.p = c > 0 ? c - 1 : round ? last - 1 : -1;
    nb.cp = c == 0 && round ? last : c;
    nb.n = c < last ? c + 1 : round ? 1 : -1;
    nb.cn = c == last && round ? 0 : c;
    return nb;
}

// Frames from key a to key b (in 64 bits: frames read from a file may lie far apart).
float gap(const TKfKey& a, const TKfKey& b) {
    return float(int64_t{b.Frame} - a.Frame);
}

// The Kochanek-Bartels factors of key c: incoming (ksm, ksp) and outgoing (kdm, kdp).
struct Factors {
    float ksm, ksp, kdm, kdp;
};

Factors tcb(const TKfTrack& t, int c, const Neighbours& nb) {
    const TKfKey& k = t.Keys[static_cast<size_t>(c)];
    float fp = 1, fn = 1;
    if (nb.p >= 0 && nb.n >= 0) {
        const float before = gap(t.Keys[size_t(nb.p)], t.Keys[size_t(nb.cp)]);
        const float after = gap(t.Keys[size_t(nb.cn)], t.Keys[size_t(nb.n)]);
        const float dt = 0.5f * (before + after);
        fp = before / dt;
        fn = after / dt;
        const float cc = std::fabs(k.Continuity);
        fp = fp + cc - cc * fp;
        fn = fn + cc - cc * fn;
    }
    const float cm = 1 - k.Continuity, tm = 0.5f * (1 - k.Tension), cp = 2 - cm;
    const float bm = 1 - k.Bias, bp = 2 - bm;
    return {tm * cm * bp * fp, tm * cp * bm * fp, tm * cp * bp * fn, tm * cm * bm * fn};
}

// Incoming (ds) and outgoing (dd) tangents of a position or scale key.
void vectorTangents(const TKfTrack& t, int c, float ds[3], float dd[3]) {
    const Neighbours nb = neighbours(t, c);
    const float* v = t.Keys[size_t(c)].Value;
    if (nb.p < 0 || nb.n < 0) {
        const int other = nb.p >= 0 ? nb.p : nb.n;
        for (int i = 0; i < 3; ++i) {
            const float d = other < 0   ? 0
                            : nb.p >= 0 ? v[i] - t.Keys[size_t(other)].Value[i]
                                        : t.Keys[size_t(other)].Value[i] - v[i];
            ds[i] = dd[i] = d;
        }
        return;
    }
    const Factors f = tcb(t, c, nb);
    for (int i = 0; i < 3; ++i) {
        const float np = v[i] - t.Keys[size_t(nb.p)].Value[i], nn = t.Keys[size_t(nb.n)].Value[i] - v[i];
        ds[i] = f.ksm * np + f.ksp * nn;
        dd[i] = f.kdm * np + f.kdp * nn;
    }
}

// The squad control quaternions of a rotation key: incoming (ds) and outgoing (dd).
void quatTangents(const TKfTrack& t, int c, Quat& ds, Quat& dd) {
    const Neighbours nb = neighbours(t, c);
    const Quat q = keyQuat(t.Keys[size_t(c)]);
    if (nb.p < 0 || nb.n < 0) {
        ds = dd = q;
        return;
    }
    // The log of the turn to a neighbour; a neighbour's full turn or more counts as none.
    auto towards = [&](int other, bool before) {
        const TKfKey& o = t.Keys[size_t(other)];
        if (o.Value[0] > 2 * std::numbers::pi - epsilon) return Quat{0, 0, 0, 0};
        Quat r = keyQuat(o);
        if (dot(r, q) < 0) r = {-r[0], -r[1], -r[2], -r[3]};
        return before ? lnDif(r, q) : lnDif(q, r);
    };
    const Quat qp = towards(nb.p, true), qn = towards(nb.n, false);
    const Factors f = tcb(t, c, nb);
    Quat qa, qb;
    for (int i = 0; i < 4; ++i) {
        qa[i] = 0.5f * (f.kdm * qp[i] + (f.kdp - 1) * qn[i]);
        qb[i] = 0.5f * ((1 - f.ksm) * qp[i] - f.ksp * qn[i]);
    }
    ds = mul(q, exp(qb));
    dd = mul(q, exp(qa));
}

// ---- Finding the segment -----------------------------------------------------------------------

// The key starting the stretch that holds `frame` and the place within it (0..1), eased when
// asked; -1 with the key whose value holds outright (before the first or after the last key).
struct Place {
    int key;
    int hold;
    float u;
};

// Ease in and out of a stretch: `from` slows leaving its start key, `to` arriving at its end key.
float ease(float u, float from, float to) {
    from = std::clamp(from, 0.0f, 1.0f);
    to = std::clamp(to, 0.0f, 1.0f);
    const float sum = from + to;
    if (sum <= 0) return u;
    if (sum > 1) from /= sum, to /= sum;
    const float a = 1 / (2 - from - to);
    if (u < from) return a / from * u * u;
    if (1 - to <= u) return 1 - a / to * (1 - u) * (1 - u);
    return (2 * u - from) * a;
}

Place locate(const TKfTrack& t, float frame, bool eased) {
    const auto& keys = t.Keys;
    const int last = static_cast<int>(keys.size()) - 1;
    if (last == 0 || !(frame > float(keys[0].Frame))) return {-1, 0, 0};
    if (frame >= float(keys[size_t(last)].Frame)) {
        if (!(t.Flags & 1)) return {-1, last, 0};
        const float first = float(keys[0].Frame), span = gap(keys[0], keys[size_t(last)]);
        frame = float(std::fmod(frame - first, span)) + first;
    }
    const auto next = std::upper_bound(keys.begin(), keys.end(), frame,
                                       [](float f, const TKfKey& k) { return f < float(k.Frame); });
    const int k = std::clamp(static_cast<int>(next - keys.begin()) - 1, 0, last - 1);
    const TKfKey &a = keys[size_t(k)], &b = keys[size_t(k) + 1];
    float u = (frame - float(a.Frame)) / gap(a, b);
    if (eased) u = ease(u, a.EaseFrom, b.EaseTo);
    return {k, 0, u};
}

// Hermite cubic between a and b with outgoing tangent p of a and incoming tangent q of b.
float cubic(float a, float p, float q, float b, float t) {
    const double t2 = double(t) * t, t3 = t2 * t;
    return float((2 * t3 - 3 * t2 + 1) * a + (-2 * t3 + 3 * t2) * b + (t3 - 2 * t2 + t) * p + (t3 - t2) * q);
}

// A position or scale track at `frame`; `rest` without keys.
T3dpoint vectorAt(const TKfTrack& t, float frame, bool eased, float rest) {
    if (t.Keys.empty()) return {rest, rest, rest};
    const Place at = locate(t, frame, eased);
    if (at.key < 0) {
        const float* v = t.Keys[size_t(at.hold)].Value;
        return {v[0], v[1], v[2]};
    }
    float ds0[3], dd0[3], ds1[3], dd1[3], r[3];
    vectorTangents(t, at.key, ds0, dd0);
    vectorTangents(t, at.key + 1, ds1, dd1);
    const float *a = t.Keys[size_t(at.key)].Value, *b = t.Keys[size_t(at.key) + 1].Value;
    for (int i = 0; i < 3; ++i) r[i] = cubic(a[i], dd0[i], ds1[i], b[i], at.u);
    return {r[0], r[1], r[2]};
}

Quat rotationAt(const TKfTrack& t, float frame, bool eased) {
    if (t.Keys.empty()) return {0, 0, 0, 1};
    const Place at = locate(t, frame, eased);
    if (at.key < 0) return keyQuat(t.Keys[size_t(at.hold)]);
    Quat ds0, dd0, ds1, dd1;
    quatTangents(t, at.key, ds0, dd0);
    quatTangents(t, at.key + 1, ds1, dd1);
    return squad(keyQuat(t.Keys[size_t(at.key)]), dd0, ds1, keyQuat(t.Keys[size_t(at.key) + 1]), at.u);
}

// Each hide key switches the node between shown and hidden; it starts shown.
bool hiddenAt(const TKfTrack& t, float frame) {
    size_t passed = 0;
    while (passed < t.Keys.size() && float(t.Keys[passed].Frame) <= frame) ++passed;
    return passed % 2 == 1;
}

// ---- Node matrices ---------------------------------------------------------------------------

// Translation x rotation x scale, column-major.
TKfMatrix trs(const T3dpoint& p, const Quat& q, const T3dpoint& s) {
    const float l = dot(q, q), f = std::fabs(l) < epsilon ? 1.0f : 2.0f / l;
    const float xs = q[0] * f, ys = q[1] * f, zs = q[2] * f;
    const float wx = q[3] * xs, wy = q[3] * ys, wz = q[3] * zs;
    const float xx = q[0] * xs, xy = q[0] * ys, xz = q[0] * zs;
    const float yy = q[1] * ys, yz = q[1] * zs, zz = q[2] * zs;
    return {(1 - (yy + zz)) * s.X,
            (xy + wz) * s.X,
            (xz - wy) * s.X,
            0,
            (xy - wz) * s.Y,
            (1 - (xx + zz)) * s.Y,
            (yz + wx) * s.Y,
            0,
            (xz + wy) * s.Z,
            (yz - wx) * s.Z,
            (1 - (xx + yy)) * s.Z,
            0,
            p.X,
            p.Y,
            p.Z,
            1};
}

// The quaternion scaled to unit length; the identity where it has none.
Quat normalised(const Quat& q) {
    const double l = std::sqrt(double(dot(q, q)));
    if (!(l >= epsilon) || !std::isfinite(l)) return {0, 0, 0, 1};
    return {float(q[0] / l), float(q[1] / l), float(q[2] / l), float(q[3] / l)};
}

}  // namespace

namespace vtrl3ds_internal {

void accumulateRotations(TKfTrack& rotation) {
    Quat q{0, 0, 0, 1};
    for (TKfKey& k : rotation.Keys) {
        q = mul(axisAngle(k.Value + 1, k.Value[0]), q);
        std::copy(q.begin(), q.end(), k.Quat);
    }
}

TKfMatrix kfCompose(const TKfLocalPose& pose) {
    return trs(pose.Translation, pose.Rotation, pose.Scale);
}

TKfMatrix kfMultiply(const TKfMatrix& a, const TKfMatrix& b) {
    TKfMatrix r{};
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) {
            float s = 0;
            for (int k = 0; k < 4; ++k) s += a[size_t(4 * k + row)] * b[size_t(4 * c + k)];
            r[size_t(4 * c + row)] = s;
        }
    return r;
}

}  // namespace vtrl3ds_internal

TKfLocalPose EvaluateKfNode(const TKfNode& Node, float Frame, bool Ease) {
    TKfLocalPose pose;
    pose.Translation = vectorAt(Node.Position, Frame, Ease, 0);
    pose.Hidden = hiddenAt(Node.Hide, Frame);
    if (Node.Type != TKfNodeType::Object) return pose;
    pose.Rotation = normalised(rotationAt(Node.Rotation, Frame, Ease));
    pose.Scale = vectorAt(Node.Scale, Frame, Ease, 1);
    return pose;
}

std::vector<TKfNodePose> EvaluateKeyframer(const TKeyframer& Keyframer, float Frame, bool Ease) {
    std::vector<TKfNodePose> poses(Keyframer.Nodes.size());
    for (int32_t i : Keyframer.Order) {
        const TKfNode& n = Keyframer.Nodes[size_t(i)];
        TKfNodePose& pose = poses[size_t(i)];
        const TKfLocalPose local = EvaluateKfNode(n, Frame, Ease);
        pose.World = vtrl3ds_internal::kfCompose(local);
        pose.Hidden = local.Hidden;
        if (n.Parent >= 0)
            pose.World = vtrl3ds_internal::kfMultiply(poses[size_t(n.Parent)].World, pose.World);
    }
    return poses;
}
