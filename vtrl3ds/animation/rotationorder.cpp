// Rewriting a motion table's rotation channels in another axis order: each rewritten joint's
// turn is rebuilt from its channels and taken apart again in the new order, so every joint stays
// where it was. Raises ERangeError for an order or joint that does not exist.
#include <algorithm>
#include <string>
#include <vector>

#include "vtrl3ds/errors.h"
#include "vtrl3ds/motion.h"
#include "vtrl3ds/private/rotation.h"

using namespace vtrl3ds_internal;

namespace {

// "XYZ", "zxy", ...: the axes 0..2 in order; ERangeError for anything else.
void parseOrder(const std::string& text, int (&order)[3]) {
    bool seen[3] = {false, false, false};
    bool ok = text.size() == 3;
    for (size_t i = 0; ok && i < 3; ++i) {
        const char c = static_cast<char>(text[i] | 0x20);
        ok = c >= 'x' && c <= 'z' && !seen[c - 'x'];
        if (ok) seen[c - 'x'] = true, order[i] = c - 'x';
    }
    if (!ok)
        throw ERangeError("WithRotationOrder: '" + text +
                          "' is not a rotation order (XYZ, XZY, YXZ, YZX, ZXY or ZYX)");
}

// Where each channel of a rewritten joint comes from: an old column (>= 0) or the new angle
// -1 - k for the k-th axis of the order.
std::vector<int> recipe(const std::vector<int>& kinds) {
    std::vector<int> r;
    bool placed = false;
    for (size_t c = 0; c < kinds.size(); ++c) {
        if (kinds[c] < 3) {
            r.push_back(static_cast<int>(c));
        } else if (!placed) {
            r.insert(r.end(), {-1, -2, -3});
            placed = true;
        }
    }
    return r;
}

}  // namespace

TMotion WithRotationOrder(const TMotion& Motion, const std::string& Order, int32_t Joint) {
    Motion.Check("WithRotationOrder");
    int order[3];
    parseOrder(Order, order);
    const size_t joints = Motion.FJoints.size();
    if (Joint >= 0 && static_cast<size_t>(Joint) >= joints)
        throw ERangeError("WithRotationOrder: joint " + std::to_string(Joint) + " of a motion of " +
                          std::to_string(joints) + " joints");
    static constexpr const char* names[3] = {"Xrotation", "Yrotation", "Zrotation"};
    TMotion out = Motion;
    std::vector<std::vector<int>> kinds(joints), recipes(joints);
    std::vector<char> rewritten(joints, 0);
    for (size_t j = 0; j < joints; ++j) {
        for (const std::string& c : Motion.FChannels[j]) kinds[j].push_back(channelKind(c));
        const bool rewrite = (Joint < 0 || static_cast<size_t>(Joint) == j) &&
                             std::any_of(kinds[j].begin(), kinds[j].end(), [](int k) { return k >= 3; });
        if (!rewrite) {
            for (size_t c = 0; c < kinds[j].size(); ++c) recipes[j].push_back(static_cast<int>(c));
            continue;
        }
        rewritten[j] = 1;
        recipes[j] = recipe(kinds[j]);
        out.FChannels[j].clear();
        for (const int from : recipes[j])
            out.FChannels[j].push_back(from >= 0 ? Motion.FChannels[j][static_cast<size_t>(from)]
                                                 : names[order[-1 - from]]);
    }
    const std::vector<size_t> first = Motion.FirstColumns();
    const size_t width = Motion.ChannelCount(), newWidth = out.ChannelCount();
    out.FValues.assign(Motion.FNumFrames * newWidth, 0.0f);
    for (size_t f = 0; f < Motion.FNumFrames; ++f) {
        const float* row = Motion.FValues.data() + f * width;
        float* dst = out.FValues.data() + f * newWidth;
        for (size_t j = 0; j < joints; ++j) {
            double angles[3] = {0, 0, 0};
            if (rewritten[j])
                eulerOf(channelTurn(kinds[j].data(), row + first[j], kinds[j].size()), order, angles);
            for (const int from : recipes[j])
                *dst++ = from >= 0 ? row[first[j] + static_cast<size_t>(from)]
                                   : static_cast<float>(angles[-1 - from] / degree);
        }
    }
    return out;
}
