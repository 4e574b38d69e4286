// The motion table itself: its column layout, the check that its parts agree and that BVH can hold
// it, cutting a frame range, and a skeleton's animation sampled into a table. Failures raise
// ERangeError or EConvertError naming the routine.
#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>

#include "vtrl3ds/errors.h"
#include "vtrl3ds/motion.h"
#include "vtrl3ds/private/rotation.h"
#include "vtrl3ds/skeleton.h"

using namespace vtrl3ds_internal;

size_t TMotion::ChannelCount() const {
    size_t n = 0;
    for (const auto& c : FChannels) n += c.size();
    return n;
}

std::vector<size_t> TMotion::FirstColumns() const {
    std::vector<size_t> first(FChannels.size());
    size_t n = 0;
    for (size_t j = 0; j < FChannels.size(); ++j) first[j] = n, n += FChannels[j].size();
    return first;
}

namespace {

bool finite(const T3dpoint& p) {
    return std::isfinite(p.X) && std::isfinite(p.Y) && std::isfinite(p.Z);
}

// A joint name stands alone after ROOT or JOINT: no control bytes, no blank at either end and
// no trailing brace, which a reader would take for the block's opening.
bool nameFits(const std::string& s) {
    if (s.empty() || s.front() == ' ' || s.back() == ' ' || s.back() == '{') return false;
    return std::none_of(s.begin(), s.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 32 || c == 127; });
}

// A channel name is one field: no blanks, commas or control bytes.
bool channelFits(const std::string& s) {
    return !s.empty() && std::none_of(s.begin(), s.end(),
                                      [](char c) { return static_cast<unsigned char>(c) <= 32 || c == ','; });
}

[[noreturn]] void bad(const char* routine, const std::string& fact) {
    throw ERangeError(std::string(routine) + ": " + fact);
}

void checkJoints(const TMotion& m, const char* routine) {
    const size_t n = m.FJoints.size();
    if (n == 0) bad(routine, "a motion needs at least one joint");
    if (m.FParents.size() != n || m.FOffsets.size() != n || m.FChannels.size() != n ||
        m.FHasEndSite.size() != n || m.FEndSites.size() != n)
        bad(routine, std::to_string(n) + " joints but " + std::to_string(m.FParents.size()) + " parents, " +
                         std::to_string(m.FOffsets.size()) + " offsets, " +
                         std::to_string(m.FChannels.size()) + " channel lists and " +
                         std::to_string(m.FEndSites.size()) + " End Sites");
    for (size_t j = 0; j < n; ++j) {
        const std::string who = "joint " + std::to_string(j);
        if (m.FParents[j] < -1 || m.FParents[j] >= static_cast<int64_t>(j))
            bad(routine,
                who + " has parent " + std::to_string(m.FParents[j]) + ", which does not come before it");
        if (!nameFits(m.FJoints[j]))
            throw EConvertError(std::string(routine) + ": " + who + " has a name BVH cannot hold");
        for (const std::string& c : m.FChannels[j])
            if (!channelFits(c))
                throw EConvertError(std::string(routine) + ": " + who +
                                    " has a channel name BVH cannot hold");
        if (!finite(m.FOffsets[j]) || !finite(m.FEndSites[j]))
            bad(routine, who + " has an offset that is not finite");
    }
}

}  // namespace

void TMotion::Check(const char* Routine) const {
    checkJoints(*this, Routine);
    if (!(FFrameTime > 0) || !std::isfinite(FFrameTime))
        bad(Routine, "frame time " + std::to_string(FFrameTime) + " is not a positive number");
    const size_t width = ChannelCount();
    if (width != 0 && FNumFrames > FValues.max_size() / width) bad(Routine, "too many frames");
    if (FValues.size() != FNumFrames * width)
        bad(Routine, std::to_string(FValues.size()) + " numbers for " + std::to_string(FNumFrames) +
                         " frames of " + std::to_string(width) + " channels");
    const auto it = std::find_if(FValues.begin(), FValues.end(), [](float v) { return !std::isfinite(v); });
    if (it != FValues.end())
        bad(Routine, "number " + std::to_string(it - FValues.begin()) + " of the motion is not finite");
}

TMotion CutFrames(const TMotion& Motion, size_t First, size_t Last) {
    Motion.Check("CutFrames");
    if (First >= Last || Last > Motion.FNumFrames)
        bad("CutFrames", "frames " + std::to_string(First) + ".." + std::to_string(Last) +
                             " (last excluded) of a motion of " + std::to_string(Motion.FNumFrames) +
                             " frames");
    TMotion cut = Motion;
    const size_t width = Motion.ChannelCount();
    const auto from = Motion.FValues.begin();
    cut.FValues.assign(from + static_cast<std::ptrdiff_t>(First * width),
                       from + static_cast<std::ptrdiff_t>(Last * width));
    cut.FNumFrames = Last - First;
    return cut;
}

namespace {

// The skeleton's bones with every parent before its children: roots in list order, each followed
// by its subtree.
std::vector<const TGL3dsBone*> parentsFirst(const TGLSkeleton& skeleton) {
    std::unordered_map<const TGL3dsBone*, std::vector<const TGL3dsBone*>> children;
    for (auto it = skeleton.FBone.rbegin(); it != skeleton.FBone.rend(); ++it)
        if (*it) children[(*it)->FParent].push_back(*it);
    std::vector<const TGL3dsBone*> order;
    std::vector<const TGL3dsBone*> stack = children[nullptr];
    while (!stack.empty()) {
        const TGL3dsBone* bone = stack.back();
        stack.pop_back();
        order.push_back(bone);
        const auto kids = children.find(bone);
        if (kids != children.end()) stack.insert(stack.end(), kids->second.begin(), kids->second.end());
    }
    return order;
}

Mat3 rotationOf(const clsMatrix& m) {
    Mat3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r.m[i][j] = m.m_matrix[4 * j + i];
    return r;
}

// The bone's posed transform relative to its parent's, as Xposition Yposition Zposition
// Zrotation Yrotation Xrotation values (degrees).
void localChannels(const TGL3dsBone& bone, float* out) {
    const float* a = bone.FAnimMatrix.m_matrix;
    Mat3 r = rotationOf(bone.FAnimMatrix);
    double t[3] = {a[12], a[13], a[14]};
    if (bone.FParent) {
        const Mat3 p = rotationOf(bone.FParent->FAnimMatrix);
        const float* pt = bone.FParent->FAnimMatrix.m_matrix;
        const double d[3] = {t[0] - pt[12], t[1] - pt[13], t[2] - pt[14]};
        Mat3 pr;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) pr.m[i][j] = p.m[j][i];
        for (int i = 0; i < 3; ++i) t[i] = pr.m[i][0] * d[0] + pr.m[i][1] * d[1] + pr.m[i][2] * d[2];
        r = pr * r;
    }
    static constexpr int zyx[3] = {2, 1, 0};
    double angles[3];
    eulerOf(r, zyx, angles);
    for (int i = 0; i < 3; ++i)
        out[i] = static_cast<float>(t[i]), out[3 + i] = static_cast<float>(angles[i] / degree);
}

}  // namespace

// Bones a cycle of parents keeps away from every root are left out.
TMotion MotionFromSkeleton(TGLSkeleton& Skeleton) {
    const std::vector<const TGL3dsBone*> order = parentsFirst(Skeleton);
    if (order.empty()) bad("MotionFromSkeleton", "the skeleton has no bones");
    TMotion m;
    std::unordered_map<const TGL3dsBone*, int32_t> index;
    for (const TGL3dsBone* bone : order) {
        m.FJoints.push_back(bone->FName.empty() ? "joint" + std::to_string(m.FJoints.size()) : bone->FName);
        m.FParents.push_back(bone->FParent ? index.at(bone->FParent) : -1);
        index[bone] = static_cast<int32_t>(m.FJoints.size() - 1);
        m.FOffsets.push_back(bone->FTranslate);
        m.FChannels.push_back({"Xposition", "Yposition", "Zposition", "Zrotation", "Yrotation", "Xrotation"});
    }
    m.FHasEndSite.assign(order.size(), false);
    m.FEndSites.assign(order.size(), T3dpoint{0, 0, 0});
    m.FFrameTime =
        Skeleton.FFrameRate > 0 && std::isfinite(Skeleton.FFrameRate) ? 1.0 / Skeleton.FFrameRate : 1.0 / 30;
    m.FNumFrames = static_cast<size_t>(std::max(Skeleton.FNumFrames, 1));
    m.FValues.resize(m.FNumFrames * 6 * order.size());
    for (size_t f = 0; f < m.FNumFrames; ++f) {
        Skeleton.AdvanceAnimation(static_cast<float>(f + 1));
        for (size_t j = 0; j < order.size(); ++j)
            localChannels(*order[j], &m.FValues[(f * order.size() + j) * 6]);
    }
    return m;
}
