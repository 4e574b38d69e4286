// World positions of a motion table's joints at every frame, into one frames x joints x 3 array.
// Transforms are chained in double precision from the roots down, each turn's sine and cosine taken
// in single precision like the angle itself (half the time; within 1.2e-6 of the figure's height);
// a long motion is split by frames between two threads, every frame computed the same way whichever
// thread takes it. A table whose parts disagree raises ERangeError (TMotion::Check).
#include <cmath>
#include <system_error>
#include <thread>
#include <vector>

#include "vtrl3ds/motion.h"
#include "vtrl3ds/private/rotation.h"

using namespace vtrl3ds_internal;

namespace {

// Below this many joint placements a second thread costs more than it saves. A WebAssembly build
// without threads never starts one.
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
constexpr bool threadsAvailable = false;
#else
constexpr bool threadsAvailable = true;
#endif
constexpr size_t placementsPerThread = 50000;

struct Placed {
    double r[3][3];
    double t[3];
};

// R := R x (a turn about Axis whose cosine and sine are C and S), as turnAbout with a fixed axis.
template <int Axis>
void turn(double (&r)[3][3], double c, double s) {
    constexpr int j = (Axis + 1) % 3, k = (Axis + 2) % 3;
    for (int row = 0; row < 3; ++row) {
        const double a = r[row][j], b = r[row][k];
        r[row][j] = a * c + b * s;
        r[row][k] = b * c - a * s;
    }
}

// The table's columns read once: what each channel moves and where each joint's channels start.
class Placer {
  public:
    explicit Placer(const TMotion& m) : FMotion(m), FFirst(m.FirstColumns()), FWidth(m.ChannelCount()) {
        FKinds.resize(FWidth);
        for (size_t j = 0; j < m.FJoints.size(); ++j)
            for (size_t c = 0; c < m.FChannels[j].size(); ++c)
                FKinds[FFirst[j] + c] = channelKind(m.FChannels[j][c]);
    }
    // Frames First .. Last - 1 into Out, which holds every frame; World is the joints' scratch.
    void frames(size_t first, size_t last, float* out, std::vector<Placed>& world) const;

  private:
    void place(size_t j, const float* row, std::vector<Placed>& world) const;

    const TMotion& FMotion;
    std::vector<size_t> FFirst;
    size_t FWidth;
    std::vector<int> FKinds;
};

// The joint starts from its parent's turn and takes its own turns after it; its position
// channels replace its offset axis by axis, carried into the world by the parent's turn. An angle
// of zero turns nothing, so it costs no sine.
void Placer::place(size_t j, const float* row, std::vector<Placed>& world) const {
    static constexpr Placed origin{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {0, 0, 0}};
    const int32_t parent = FMotion.FParents[j];
    const Placed& p = parent < 0 ? origin : world[static_cast<size_t>(parent)];
    Placed& w = world[j];
    const T3dpoint& o = FMotion.FOffsets[j];
    double t[3] = {o.X, o.Y, o.Z};
    w = p;
    const size_t first = FFirst[j], count = FMotion.FChannels[j].size();
    for (size_t c = first; c < first + count; ++c) {
        const int kind = FKinds[c];
        if (kind >= 0 && kind < 3) t[kind] = row[c];
        if (kind < 3 || row[c] == 0) continue;
        const float radians = row[c] * static_cast<float>(degree), cs = std::cos(radians),
                    sn = std::sin(radians);
        if (kind == 3) turn<0>(w.r, cs, sn);
        if (kind == 4) turn<1>(w.r, cs, sn);
        if (kind == 5) turn<2>(w.r, cs, sn);
    }
    for (int i = 0; i < 3; ++i) w.t[i] = p.t[i] + p.r[i][0] * t[0] + p.r[i][1] * t[1] + p.r[i][2] * t[2];
}

void Placer::frames(size_t first, size_t last, float* out, std::vector<Placed>& world) const {
    const size_t joints = FMotion.FJoints.size();
    for (size_t f = first; f < last; ++f) {
        const float* row = FMotion.FValues.data() + f * FWidth;
        float* dst = out + f * joints * 3;
        for (size_t j = 0; j < joints; ++j) {
            place(j, row, world);
            for (size_t i = 0; i < 3; ++i) dst[j * 3 + i] = static_cast<float>(world[j].t[i]);
        }
    }
}

}  // namespace

std::vector<float> WorldPositions(const TMotion& Motion) {
    Motion.Check("WorldPositions");
    const size_t frames = Motion.FNumFrames, joints = Motion.FJoints.size();
    std::vector<float> out(frames * joints * 3);
    const Placer placer(Motion);
    std::vector<Placed> world(joints), otherWorld(joints);
    size_t half = 0;
    std::thread second;
    if (threadsAvailable && frames * joints >= 2 * placementsPerThread &&
        std::thread::hardware_concurrency() > 1) {
        try {
            second = std::thread([&] { placer.frames(frames / 2, frames, out.data(), otherWorld); });
            half = frames / 2;
        } catch (const std::system_error&) {
            // No thread to be had: this one takes every frame.
        }
    }
    placer.frames(0, half ? half : frames, out.data(), world);
    if (second.joinable()) second.join();
    return out;
}
