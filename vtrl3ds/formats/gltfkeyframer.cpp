// glTF export, the 3DS keyframer: one root turning the file's Z-up frame to Y-up with the master
// scale, one node per keyframer node parented as the keyframer links them and placed at the
// segment's first frame, each mesh a static child of every object node naming it (pivot and mesh
// frame undone, the mesh itself shared), and the tracks sampled at every frame of the segment as
// LINEAR channels. Hide tracks are not written. Nothing here raises; the keyframer's repairs go
// out as warnings.
#include <algorithm>
#include <cmath>

#include "vtrl3ds/private/checked.h"
#include "vtrl3ds/private/gltfbuild.h"
#include "vtrl3ds/private/keyframing.h"
#include "vtrl3ds/text.h"

using namespace vtrl3ds_internal;

namespace {

constexpr int64_t maxSamples = 1 << 20;  // keys over all channels; a longer segment is cut short
constexpr float halfTurn = 0.70710678f;  // sin and cos of 45 degrees

float finite(float v) {
    return std::isfinite(v) ? v : 0.0f;
}

std::array<float, 3> triple(const T3dpoint& p) {
    return {finite(p.X), finite(p.Y), finite(p.Z)};
}

// A dummy goes by its instance name, an instance by its mesh's name and its own.
std::string nodeName(const TKfNode& n) {
    if (n.Instance.empty()) return Cp1252ToUtf8(n.Name);
    return Cp1252ToUtf8(n.IsDummy() ? n.Instance : n.Name + "." + n.Instance);
}

// The tracks of a node that change: its position, and for an object its rotation and scale.
std::array<bool, 3> movingTracks(const TKfNode& n) {
    const bool object = n.Type == TKfNodeType::Object;
    return {n.Position.Keys.size() > 1, object && n.Rotation.Keys.size() > 1,
            object && n.Scale.Keys.size() > 1};
}

// The node's TRS at `frame`, every number finite.
void placeNode(TGltfNode& node, const TKfNode& n, float frame) {
    const TKfLocalPose pose = EvaluateKfNode(n, frame);
    node.Translation = triple(pose.Translation);
    node.Rotation = pose.Rotation;
    node.Scale = triple(pose.Scale);
}

// The glTF mesh of model mesh m in its own frame, made once; -1 when it has no triangle.
int32_t localMesh(SceneBuilder& b, std::vector<int32_t>& made, int32_t m) {
    int32_t& slot = made[size_t(m)];
    if (slot != -2) return slot;
    slot = b.mesh(*b.model.FMesh[size_t(m)], true);
    if (b.scene.Meshes[size_t(slot)].Primitives.empty()) {
        b.dropLastMesh();
        slot = -1;
    }
    return slot;
}

// Times (f - first) / fps for `frames` frames, strictly increasing.
std::vector<float> sampleTimes(int64_t frames, float fps) {
    const double rate = std::isfinite(fps) && fps > 0 ? fps : 30;
    std::vector<float> times(size_t(frames), 0);
    for (size_t f = 1; f < times.size(); ++f) {
        times[f] = float(double(f) / rate);
        if (!(times[f] > times[f - 1])) times[f] = std::nextafter(times[f - 1], INFINITY);
    }
    return times;
}

// One node's changing tracks at every sampled frame; rotations kept on the hemisphere of the key
// before, so that every reader turns the short way.
void sampleNode(TGltfAnimation& a, const TKfNode& n, int32_t node, int32_t first,
                const std::vector<float>& times) {
    const std::array<bool, 3> moving = movingTracks(n);
    if (!moving[0] && !moving[1] && !moving[2]) return;
    using Path = TGltfChannel::TPath;
    TGltfChannel t{node, Path::Translation, {}, {}}, r{node, Path::Rotation, {}, {}},
        s{node, Path::Scale, {}, {}};
    std::array<float, 4> last{0, 0, 0, 1};
    for (size_t f = 0; f < times.size(); ++f) {
        TGltfNode at;
        placeNode(at, n, float(int64_t{first} + int64_t(f)));
        std::array<float, 4> q = at.Rotation;
        if (q[0] * last[0] + q[1] * last[1] + q[2] * last[2] + q[3] * last[3] < 0)
            for (float& c : q) c = -c;
        last = q;
        if (moving[0]) t.Values.insert(t.Values.end(), at.Translation.begin(), at.Translation.end());
        if (moving[1]) r.Values.insert(r.Values.end(), q.begin(), q.end());
        if (moving[2]) s.Values.insert(s.Values.end(), at.Scale.begin(), at.Scale.end());
    }
    for (TGltfChannel* c : {&t, &r, &s})
        if (moving[size_t(c->Path)]) {
            c->Times = times;
            a.Channels.push_back(std::move(*c));
        }
}

// The animation of every changing track over the segment, when the segment has two frames or more.
void addAnimation(SceneBuilder& b, const TKeyframer& kf, const std::vector<int32_t>& nodeOf) {
    int64_t channels = 0;
    for (const TKfNode& n : kf.Nodes)
        for (bool moving : movingTracks(n)) channels += moving;
    const int64_t span = int64_t{kf.SegmentEnd} - kf.SegmentStart + 1;
    if (channels == 0 || span < 2) return;
    const std::vector<float> times =
        sampleTimes(std::min(span, std::max<int64_t>(2, maxSamples / channels)), b.options.FramesPerSecond);
    TGltfAnimation a;
    a.Name = "keyframer";
    for (size_t i = 0; i < kf.Nodes.size(); ++i)
        sampleNode(a, kf.Nodes[i], nodeOf[i], kf.SegmentStart, times);
    b.scene.Animations.push_back(std::move(a));
}

}  // namespace

namespace vtrl3ds_internal {

std::vector<bool> keyframerPlaces(const TGLAll3dsMesh& model, const TKeyframer& kf) {
    if (kf.Empty()) return {};
    std::vector<bool> placed(meshCount(model), false);
    const std::map<std::string, int32_t> meshByName = meshesByName(model);
    for (int32_t i : kf.Order) {
        const TKfNode& n = kf.Nodes[size_t(i)];
        const auto mesh = meshByName.find(n.Name);
        if (n.Type == TKfNodeType::Object && mesh != meshByName.end()) placed[size_t(mesh->second)] = true;
    }
    return placed;
}

void addKeyframer(SceneBuilder& b, const TKeyframer& kf) {
    if (kf.Empty()) return;
    for (const std::string& line : kf.Warnings) b.warn(Cp1252ToUtf8(line));
    TGltfScene& scene = b.scene;
    const int32_t root = static_cast<int32_t>(scene.Nodes.size());
    const float s = masterScaleOf(b.model) * b.options.Scale;
    const float scale = std::isfinite(s) && s != 0 ? s : 1;
    // About X by -90 degrees: (x, y, z) to (x, z, -y).
    scene.Nodes.push_back(
        {"keyframer", -1, -1, {0, 0, 0}, {-halfTurn, 0, 0, halfTurn}, {}, {scale, scale, scale}});
    scene.Roots.push_back(root);
    std::vector<int32_t> nodeOf(kf.Nodes.size());
    for (size_t i = 0; i < kf.Nodes.size(); ++i) {
        nodeOf[i] = static_cast<int32_t>(scene.Nodes.size());
        scene.Nodes.emplace_back();
        scene.Nodes.back().Name = nodeName(kf.Nodes[i]);
        placeNode(scene.Nodes.back(), kf.Nodes[i], float(kf.SegmentStart));
    }
    const std::map<std::string, int32_t> meshByName = meshesByName(b.model);
    std::vector<int32_t> made(meshCount(b.model), -2);
    for (int32_t i : kf.Order) {
        const TKfNode& n = kf.Nodes[size_t(i)];
        scene.Nodes[size_t(n.Parent < 0 ? root : nodeOf[size_t(n.Parent)])].Children.push_back(
            nodeOf[size_t(i)]);
        const auto mesh = meshByName.find(n.Name);
        if (n.Type != TKfNodeType::Object || mesh == meshByName.end()) continue;
        const int32_t m = localMesh(b, made, mesh->second);
        if (m < 0) continue;
        scene.Nodes[size_t(nodeOf[size_t(i)])].Children.push_back(static_cast<int32_t>(scene.Nodes.size()));
        const std::array<float, 3> pivot = triple(n.Pivot);
        scene.Nodes.push_back({scene.Meshes[size_t(m)].Name,
                               m,
                               -1,
                               {-pivot[0], -pivot[1], -pivot[2]},
                               {0, 0, 0, 1},
                               {},
                               {1, 1, 1}});
    }
    addAnimation(b, kf, nodeOf);
}

}  // namespace vtrl3ds_internal
