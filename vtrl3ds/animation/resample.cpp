// Resampling a motion table to another frame rate over the same time span: the turn of a joint
// with one rotation channel per axis by slerp, every other channel linearly; frames that fall on
// an old frame are copied. Raises ERangeError for a rate that is not a positive number.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "vtrl3ds/errors.h"
#include "vtrl3ds/motion.h"
#include "vtrl3ds/private/rotation.h"

using namespace vtrl3ds_internal;

namespace {

// The axes of a joint's rotation channels when it has exactly one per axis, and which columns.
struct Turn {
    bool slerped = false;
    int order[3] = {0, 1, 2};
    size_t column[3] = {0, 0, 0};  // relative to the joint's first column
};

Turn turnOf(const std::vector<int>& kinds) {
    Turn t;
    int n = 0;
    bool seen[3] = {false, false, false};
    for (size_t c = 0; c < kinds.size(); ++c) {
        if (kinds[c] < 3) continue;
        const int axis = kinds[c] - 3;
        if (n == 3 || seen[axis]) return {};
        seen[axis] = true;
        t.order[n] = axis, t.column[n] = c, ++n;
    }
    t.slerped = n == 3;
    return t;
}

void blendRow(const float* a, const float* b, double w, size_t width, float* out) {
    for (size_t c = 0; c < width; ++c) out[c] = static_cast<float>(a[c] + (double(b[c]) - a[c]) * w);
}

}  // namespace

TMotion Resample(const TMotion& Motion, double Fps) {
    Motion.Check("Resample");
    if (!(Fps > 0) || !std::isfinite(Fps))
        throw ERangeError("Resample: " + std::to_string(Fps) + " frames a second");
    const double step = (1 / Fps) / Motion.FFrameTime;  // old frames per new frame
    const double span = Motion.FNumFrames == 0 ? -1 : double(Motion.FNumFrames - 1);
    // Frame times read from files are floats: a rate that nearly divides the span counts as dividing it.
    constexpr double slack = 1e-6;
    const double frames = std::floor(span / step + slack) + 1;
    if (frames > 2147483647.0)
        throw ERangeError("Resample: " + std::to_string(Fps) +
                          " frames a second gives more than 2^31 frames");
    const size_t joints = Motion.FJoints.size(), width = Motion.ChannelCount();
    const std::vector<size_t> first = Motion.FirstColumns();
    std::vector<std::vector<int>> kinds(joints);
    std::vector<Turn> turns(joints);
    for (size_t j = 0; j < joints; ++j) {
        for (const std::string& c : Motion.FChannels[j]) kinds[j].push_back(channelKind(c));
        turns[j] = turnOf(kinds[j]);
    }
    TMotion out = Motion;
    out.FFrameTime = 1 / Fps;
    out.FNumFrames = static_cast<size_t>(std::max(frames, 0.0));
    out.FValues.assign(out.FNumFrames * width, 0.0f);
    for (size_t f = 0; f < out.FNumFrames; ++f) {
        double at = f * step;
        if (std::abs(at - std::round(at)) < slack) at = std::round(at);
        const size_t f0 = std::min(static_cast<size_t>(at), Motion.FNumFrames - 1);
        const size_t f1 = std::min(f0 + 1, Motion.FNumFrames - 1);
        const double w = at - double(f0);
        const float* a = Motion.FValues.data() + f0 * width;
        const float* b = Motion.FValues.data() + f1 * width;
        float* dst = out.FValues.data() + f * width;
        if (w == 0 || f0 == f1) {
            std::copy(a, a + width, dst);
            continue;
        }
        blendRow(a, b, w, width, dst);
        for (size_t j = 0; j < joints; ++j) {
            if (!turns[j].slerped) continue;
            const size_t n = kinds[j].size();
            const Quat q = slerp(quatOf(channelTurn(kinds[j].data(), a + first[j], n)),
                                 quatOf(channelTurn(kinds[j].data(), b + first[j], n)), w);
            double angles[3];
            eulerOf(matrixOf(q), turns[j].order, angles);
            for (int k = 0; k < 3; ++k)
                dst[first[j] + turns[j].column[k]] = static_cast<float>(angles[k] / degree);
        }
    }
    return out;
}
