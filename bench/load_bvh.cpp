// BVH loading against assimp (flags 0, a new Importer per load, since one Importer cannot read a
// BVH twice) on a motion file made here in the shape of the project's anchor file (30 joints, 93
// channels, 20,000 frames, about 15 MB; byte-identical to the anchor generator's output). Beside
// them: reading the file alone and splitting plus converting every number (the floors), and the
// parts of our load on their own (number conversion, key arrays) to show where the time goes.
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "bench_support.h"
#include "vtrl3ds/locale.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/skeleton.h"

namespace {

using namespace bench;

// ---- The file --------------------------------------------------------------------------------

struct Joint {
    const char* name;
    int parent;
    float off[3];
    bool end;
};

// A 30-joint humanoid; joints with `end` carry an End Site.
const std::vector<Joint> joints = {
    {"Hips", -1, {0, 0, 0}, false},
    {"LowerBack", 0, {0, 2.2f, -0.2f}, false},
    {"Spine", 1, {0, 4.1f, 0.1f}, false},
    {"Spine1", 2, {0, 4.3f, 0}, false},
    {"Spine2", 3, {0, 4.0f, 0}, false},
    {"Neck", 4, {0, 3.6f, 0.3f}, false},
    {"Neck1", 5, {0, 1.7f, 0.2f}, false},
    {"Head", 6, {0, 2.9f, 0.1f}, true},
    {"LeftShoulder", 4, {1.5f, 2.9f, 0}, false},
    {"LeftArm", 8, {5.1f, 0, 0}, false},
    {"LeftForeArm", 9, {10.8f, 0, 0}, false},
    {"LeftHand", 10, {8.9f, 0, 0}, false},
    {"LeftHandThumb", 11, {1.2f, 0, 1.1f}, true},
    {"LeftHandIndex", 11, {3.1f, 0, 0.5f}, true},
    {"LeftHandMiddle", 11, {3.3f, 0, 0}, true},
    {"RightShoulder", 4, {-1.5f, 2.9f, 0}, false},
    {"RightArm", 15, {-5.1f, 0, 0}, false},
    {"RightForeArm", 16, {-10.8f, 0, 0}, false},
    {"RightHand", 17, {-8.9f, 0, 0}, false},
    {"RightHandThumb", 18, {-1.2f, 0, 1.1f}, true},
    {"RightHandIndex", 18, {-3.1f, 0, 0.5f}, true},
    {"RightHandMiddle", 18, {-3.3f, 0, 0}, true},
    {"LeftUpLeg", 0, {3.4f, -1.1f, 0}, false},
    {"LeftLeg", 22, {0, -16.9f, 0}, false},
    {"LeftFoot", 23, {0, -16.2f, -0.4f}, false},
    {"LeftToeBase", 24, {0, -1.9f, 5.4f}, true},
    {"RightUpLeg", 0, {-3.4f, -1.1f, 0}, false},
    {"RightLeg", 26, {0, -16.9f, 0}, false},
    {"RightFoot", 27, {0, -16.2f, -0.4f}, false},
    {"RightToeBase", 28, {0, -1.9f, 5.4f}, true},
};

void writeJoint(std::string& s, const std::vector<std::vector<int>>& kids, int j, int depth) {
    char tmp[256];
    const std::string tabs(size_t(depth), '\t');
    const Joint& J = joints[size_t(j)];
    s += tabs + (j == 0 ? "ROOT " : "JOINT ") + J.name + "\n" + tabs + "{\n";
    std::snprintf(tmp, sizeof tmp, "OFFSET %.5f %.5f %.5f\n", J.off[0], J.off[1], J.off[2]);
    s += tabs + "\t" + tmp + tabs + "\t";
    s += j == 0 ? "CHANNELS 6 Xposition Yposition Zposition Zrotation Yrotation Xrotation\n"
                : "CHANNELS 3 Zrotation Yrotation Xrotation\n";
    for (int c : kids[size_t(j)]) writeJoint(s, kids, c, depth + 1);
    if (J.end)
        s += tabs + "\tEnd Site\n" + tabs + "\t{\n" + tabs + "\t\tOFFSET 0.00000 1.50000 0.00000\n" + tabs +
             "\t}\n";
    s += tabs + "}\n";
}

// Smooth periodic motion with a little noise, per-channel amplitudes and phases.
void writeMotion(std::string& s, uint64_t seed, int frames) {
    const int channels = 6 + 3 * int(joints.size() - 1);
    char tmp[256];
    std::snprintf(tmp, sizeof tmp, "MOTION\nFrames: %d\nFrame Time: 0.008333\n", frames);
    s += tmp;
    Rng rng{seed ^ 0xB0Bull};
    const size_t n = static_cast<size_t>(channels);
    std::vector<double> amp(n), frq(n), ph(n);
    for (size_t c = 0; c < size_t(channels); ++c)
        amp[c] = rng.range(2, 45), frq[c] = rng.range(0.3, 2.5), ph[c] = rng.range(0, 6.283);
    for (int f = 0; f < frames; ++f) {
        const double t = f * 0.008333;
        for (int c = 0; c < channels; ++c) {
            const size_t k = size_t(c);
            double v = c == 0   ? 12.0 * t
                       : c == 1 ? 35.5 + 1.2 * std::sin(2 * 3.14159265 * 1.8 * t)
                       : c == 2 ? 6.0 * std::sin(0.1 * t)
                                : amp[k] * std::sin(2 * 3.14159265 * frq[k] * t + ph[k]);
            v += rng.range(-0.05, 0.05);
            s.append(tmp, size_t(std::snprintf(tmp, sizeof tmp, c + 1 < channels ? "%.4f " : "%.4f\n", v)));
        }
    }
}

std::string makeMotion(uint64_t seed, int frames) {
    std::string s;
    s.reserve(size_t(frames) * 900 + 8192);
    s += "HIERARCHY\n";
    std::vector<std::vector<int>> kids(joints.size());
    for (size_t i = 1; i < joints.size(); ++i) kids[size_t(joints[i].parent)].push_back(int(i));
    writeJoint(s, kids, 0, 0);
    writeMotion(s, seed, frames);
    return s;
}

const std::string& motionPath() {
    static const std::string path = [] {
        const std::string p = tempPath("vtrl_bench_motion.bvh");
        writeFile(p, makeMotion(anchorSeed, 20000));
        return p;
    }();
    return path;
}

// The numbers of the motion section as text fields.
std::vector<std::string_view> motionFields(const std::string& text) {
    std::vector<std::string_view> fields;
    size_t i = text.find("Frame Time:");
    i = text.find('\n', i) + 1;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\n')) ++i;
        const size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\n') ++i;
        if (i > start) fields.emplace_back(text.data() + start, i - start);
    }
    return fields;
}

// ---- The loaders ----------------------------------------------------------------------------

void setBytes(benchmark::State& state) {
    setBytesProcessed(state, motionPath());
}

void BM_ReadFileFloor(benchmark::State& state) {
    motionPath();  // the file is written here, before the timing
    for (auto _ : state) benchmark::DoNotOptimize(fileText(motionPath()).data());
    setBytes(state);
}

// Splitting the motion lines at blanks and converting every number with std::from_chars, in one
// pass over the text.
void BM_SplitParseFloor(benchmark::State& state) {
    const std::string text = fileText(motionPath());
    const size_t motion = text.find('\n', text.find("Frame Time:")) + 1;
    for (auto _ : state) {
        double sum = 0;
        const char* p = text.data() + motion;
        const char* end = text.data() + text.size();
        while (p < end) {
            while (p < end && (*p == ' ' || *p == '\n')) ++p;
            float v = 0;
            p = std::from_chars(p, end, v).ptr;
            sum += v;
        }
        benchmark::DoNotOptimize(sum);
    }
    setBytes(state);
}

void BM_Vtrl3ds(benchmark::State& state) {
    size_t keys = 0;
    for (auto _ : state) {
        TGLAll3dsMesh model;
        auto* skeleton = new TGLSkeleton(&model);
        skeleton->LoadBVHFromFile(motionPath());
        keys = skeleton->FBone.size() * size_t(skeleton->FNumFrames);
    }
    state.counters["bone_frames"] = double(keys);
    setBytes(state);
}

void BM_Assimp(benchmark::State& state) {
    size_t keys = 0;
    for (auto _ : state) {
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(motionPath(), 0);
        if (!scene || scene->mNumAnimations != 1) std::abort();
        const aiAnimation* a = scene->mAnimations[0];
        keys = a->mNumChannels * a->mChannels[0]->mNumRotationKeys;
    }
    state.counters["bone_frames"] = double(keys);
    setBytes(state);
}

// ---- Where our time goes --------------------------------------------------------------------

// The conversion our loader makes of every number (sign, digits, the locale's separator).
void BM_Part_ConvertNumbers(benchmark::State& state) {
    const std::string text = fileText(motionPath());
    const std::vector<std::string_view> fields = motionFields(text);
    const char separator = DecimalSeparator();
    for (auto _ : state) {
        double sum = 0;
        for (std::string_view f : fields) {
            float v = 0;
            vtrl3ds_internal::textToReal(f, separator, v);
            sum += v;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["numbers"] = double(fields.size());
}

// Allocating and zeroing the key arrays: one position and one rotation key per bone and frame.
void BM_Part_KeyArrays(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<std::vector<TKeyFrame>> keys(2 * joints.size());
        for (auto& k : keys) k.assign(20000, TKeyFrame{});
        benchmark::DoNotOptimize(keys.data());
    }
}

#define TIMED(b) BENCHMARK(b)->Unit(benchmark::kMillisecond)->UseRealTime()
TIMED(BM_ReadFileFloor);
TIMED(BM_SplitParseFloor);
TIMED(BM_Vtrl3ds)->Repetitions(7)->ReportAggregatesOnly(true);
TIMED(BM_Assimp)->Repetitions(7)->ReportAggregatesOnly(true);
TIMED(BM_Part_ConvertNumbers);
TIMED(BM_Part_KeyArrays);

}  // namespace

BENCHMARK_MAIN();
