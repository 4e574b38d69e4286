// World positions of a motion table's joints at every frame, into one frames x joints x 3 array.
// Transforms are chained in double precision from the roots down; a table whose parts disagree
// raises ERangeError (TMotion::Check).
#include <vector>

#include "vtrl3ds/motion.h"
#include "vtrl3ds/private/rotation.h"

using namespace vtrl3ds_internal;

namespace {

struct Placed {
    Mat3 r;
    double t[3];
};

// The world transform of joint j at one frame, its parent's already placed.
Placed place(const TMotion& m, size_t j, const int* kinds, const float* row,
             const std::vector<Placed>& world) {
    const T3dpoint& o = m.FOffsets[j];
    double t[3] = {o.X, o.Y, o.Z};
    Mat3 r;
    for (size_t c = 0; c < m.FChannels[j].size(); ++c) {
        if (kinds[c] >= 3)
            turnAbout(r, kinds[c] - 3, row[c] * degree);
        else if (kinds[c] >= 0)
            t[kinds[c]] = row[c];
    }
    if (m.FParents[j] < 0) return {r, {t[0], t[1], t[2]}};
    const Placed& p = world[static_cast<size_t>(m.FParents[j])];
    Placed w{p.r * r, {}};
    for (int i = 0; i < 3; ++i)
        w.t[i] = p.t[i] + p.r.m[i][0] * t[0] + p.r.m[i][1] * t[1] + p.r.m[i][2] * t[2];
    return w;
}

}  // namespace

std::vector<float> WorldPositions(const TMotion& Motion) {
    Motion.Check("WorldPositions");
    const size_t joints = Motion.FJoints.size(), width = Motion.ChannelCount();
    const std::vector<size_t> first = Motion.FirstColumns();
    std::vector<int> kinds(width);
    for (size_t j = 0; j < joints; ++j)
        for (size_t c = 0; c < Motion.FChannels[j].size(); ++c)
            kinds[first[j] + c] = channelKind(Motion.FChannels[j][c]);
    std::vector<float> out(Motion.FNumFrames * joints * 3);
    std::vector<Placed> world(joints);
    for (size_t f = 0; f < Motion.FNumFrames; ++f) {
        const float* row = Motion.FValues.data() + f * width;
        float* dst = out.data() + f * joints * 3;
        for (size_t j = 0; j < joints; ++j) {
            world[j] = place(Motion, j, kinds.data() + first[j], row + first[j], world);
            for (int i = 0; i < 3; ++i)
                dst[j * 3 + static_cast<size_t>(i)] = static_cast<float>(world[j].t[i]);
        }
    }
    return out;
}
