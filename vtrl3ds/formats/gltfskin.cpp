// glTF export, the scene itself: a node per mesh no 3DS keyframer node places, the current
// skeleton as a tree of joint nodes under one root (a skin for the meshes its bones move), and the
// skeleton's animation sampled at every frame with the poses playback gives. Nothing here raises.
#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "vtrl3ds/gltf.h"
#include "vtrl3ds/host.h"
#include "vtrl3ds/keyframer.h"
#include "vtrl3ds/private/checked.h"
#include "vtrl3ds/private/gltfbuild.h"
#include "vtrl3ds/private/posing.h"
#include "vtrl3ds/text.h"

using namespace vtrl3ds_internal;

namespace {

constexpr int32_t maxSampledFrames = 1 << 20;  // frames kept of an animation that claims more

float finite(double v) {
    return std::isfinite(v) ? float(v) : 0.0f;
}

// A rigid transform in double precision: rotation matrix r (row-major) and translation t.
struct Rigid {
    double r[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    double t[3] = {0, 0, 0};
};

Rigid rigidOf(const double q[4], const std::array<float, 3>& t) {
    const double w = q[0], x = q[1], y = q[2], z = q[3];
    Rigid m;
    const double r[9] = {1 - 2 * (y * y + z * z), 2 * (x * y - w * z),     2 * (x * z + w * y),
                         2 * (x * y + w * z),     1 - 2 * (x * x + z * z), 2 * (y * z - w * x),
                         2 * (x * z - w * y),     2 * (y * z + w * x),     1 - 2 * (x * x + y * y)};
    std::copy(r, r + 9, m.r);
    for (int i = 0; i < 3; ++i) m.t[i] = t[size_t(i)];
    return m;
}

Rigid operator*(const Rigid& a, const Rigid& b) {
    Rigid m;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            m.r[3 * i + j] = a.r[3 * i] * b.r[j] + a.r[3 * i + 1] * b.r[3 + j] + a.r[3 * i + 2] * b.r[6 + j];
        m.t[i] = a.r[3 * i] * b.t[0] + a.r[3 * i + 1] * b.t[1] + a.r[3 * i + 2] * b.t[2] + a.t[i];
    }
    return m;
}

// The inverse (R^T, -R^T t) as a column-major 4x4 matrix.
std::array<float, 16> inverseMatrix(const Rigid& m) {
    std::array<float, 16> out{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) out[size_t(4 * j + i)] = finite(m.r[3 * j + i]);
        out[size_t(12 + i)] = finite(-(m.r[i] * m.t[0] + m.r[3 + i] * m.t[1] + m.r[6 + i] * m.t[2]));
    }
    out[15] = 1;
    return out;
}

// A unit quaternion (w, x, y, z) in glTF's order x, y, z, w; the identity where it is not finite.
std::array<float, 4> unitQuat(const double q[4]) {
    const double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    if (!std::isfinite(n) || n < 1e-12) return {0, 0, 0, 1};
    return {float(q[1] / n), float(q[2] / n), float(q[3] / n), float(q[0] / n)};
}

std::array<float, 3> scaled(const T3dpoint& p, float s) {
    return {finite(double(p.X) * s), finite(double(p.Y) * s), finite(double(p.Z) * s)};
}

// The parent's index when it comes before the bone (a tree, whatever the names say), else -1.
int32_t parentIndex(const TGLSkeleton& skeleton, size_t b, const std::unordered_map<const TGL3dsBone*, size_t>& index) {
    const TGL3dsBone* bone = skeleton.FBone[b];
    if (!bone || !bone->FParent) return -1;
    const auto it = index.find(bone->FParent);
    return it != index.end() && it->second < b ? static_cast<int32_t>(it->second) : -1;
}

// A BVH joint has the channels whose keys carry a time (the reader times only the channels the
// joint names); a MilkShape bone has the keys it lists.
bool keyed(const std::vector<TKeyFrame>& keys, int32_t count, bool bvh) {
    const size_t n = std::min(keys.size(), static_cast<size_t>(std::max(count, 0)));
    if (!bvh) return n > 0;
    return std::any_of(keys.begin(), keys.begin() + std::ptrdiff_t(n), [](const TKeyFrame& k) { return k.Time != 0; });
}

// Frames worth sampling: 1 .. the skeleton's frame count, but never past its last key (poses hold
// after it), so a count no key backs costs nothing.
int32_t sampledFrames(const TGLSkeleton& skeleton) {
    int64_t lastKey = 1;
    for (size_t b = 0; b < boneCount(skeleton); ++b)
        if (const TGL3dsBone* bone = skeleton.FBone[b]) {
            for (const auto* keys : {&bone->FTranslateFrame, &bone->FRotateFrame})
                for (const TKeyFrame& k : *keys) lastKey = std::max<int64_t>(lastKey, k.Time);
        }
    return static_cast<int32_t>(std::min<int64_t>({skeleton.FNumFrames, lastKey, maxSampledFrames}));
}

struct SkeletonNodes {
    int32_t root = -1;
    std::vector<int32_t> node;  // per bone
    std::vector<Rigid> world;   // per bone: the rest pose in the file's frame and units
};

}  // namespace

namespace vtrl3ds_internal {

const TGL3dsBone* boneOfVertex(const TGL3dsMesh& mesh, const TGLSkeleton* skeleton, size_t v) {
    if (!skeleton || v >= mesh.FBoneID.size()) return nullptr;
    const int32_t id = mesh.FBoneID[v];
    if (id < 0 || static_cast<size_t>(id) >= boneCount(*skeleton)) return nullptr;
    const TGL3dsBone* bone = skeleton->FBone[static_cast<size_t>(id)];
    return bone && bone->FMatrix ? bone : nullptr;
}

bool SceneBuilder::meshIsSkinned(const TGL3dsMesh& mesh) const {
    // InitSkin leaves the posed arrays only on meshes it moved into bone space.
    if (!skeleton || mesh.FSkinVertex.empty()) return false;
    for (size_t v = 0; v < vertexCount(mesh); ++v)
        if (boneOfVertex(mesh, skeleton, v)) return true;
    return false;
}

uint16_t SceneBuilder::jointOfVertex(const TGL3dsMesh& mesh, size_t v) const {
    const TGL3dsBone* bone = boneOfVertex(mesh, skeleton, v);
    return static_cast<uint16_t>(bone ? jointOfBone[size_t(mesh.FBoneID[v])] : restJoint);
}

}  // namespace vtrl3ds_internal

namespace {

// The joint nodes: one root, then one node per bone at its rest pose under its parent.
SkeletonNodes addSkeleton(SceneBuilder& b, const TGLSkeleton& skeleton) {
    SkeletonNodes s;
    TGltfScene& scene = b.scene;
    s.root = static_cast<int32_t>(scene.Nodes.size());
    scene.Nodes.push_back({"skeleton", -1, -1, {0, 0, 0}, {0, 0, 0, 1}, {}, {1, 1, 1}});
    const size_t bones = boneCount(skeleton);
    std::unordered_map<const TGL3dsBone*, size_t> index;
    for (size_t i = 0; i < bones; ++i) index.emplace(skeleton.FBone[i], i);
    for (size_t i = 0; i < bones; ++i) {
        const TGL3dsBone* bone = skeleton.FBone[i];
        TGltfNode node;
        node.Name = bone ? Cp1252ToUtf8(bone->FName) : "bone";
        const BonePose rest = bone ? restPose(*bone) : BonePose{{1, 0, 0, 0}, {0, 0, 0}};
        node.Translation = scaled(rest.Translation, b.options.Scale);
        node.Rotation = unitQuat(rest.Rotation);
        const double q[4] = {node.Rotation[3], node.Rotation[0], node.Rotation[1], node.Rotation[2]};
        const int32_t parent = parentIndex(skeleton, i, index);
        const Rigid local = rigidOf(q, node.Translation);
        s.world.push_back(parent < 0 ? local : s.world[size_t(parent)] * local);
        s.node.push_back(static_cast<int32_t>(scene.Nodes.size()));
        scene.Nodes[size_t(parent < 0 ? s.root : s.node[size_t(parent)])].Children.push_back(s.node.back());
        scene.Nodes.push_back(std::move(node));
    }
    return s;
}

// The skin of every skinned mesh: the root (the joint of vertices no bone moves), then the bones.
int32_t addSkin(SceneBuilder& b, const SkeletonNodes& s) {
    TGltfSkin skin;
    skin.Skeleton = s.root;
    skin.Joints.push_back(s.root);
    skin.InverseBindMatrices.push_back(inverseMatrix(Rigid{}));
    for (size_t i = 0; i < s.node.size(); ++i) {
        b.jointOfBone.push_back(static_cast<int32_t>(skin.Joints.size()));
        skin.Joints.push_back(s.node[i]);
        skin.InverseBindMatrices.push_back(inverseMatrix(s.world[i]));
    }
    b.scene.Skins.push_back(std::move(skin));
    return static_cast<int32_t>(b.scene.Skins.size() - 1);
}

// Translation and rotation keys of every bone at frames 1 .. n, time 0 at frame 1, for the bones
// and properties that have keys.
void addAnimation(SceneBuilder& b, const TGLSkeleton& skeleton, const SkeletonNodes& s) {
    const int32_t frames = sampledFrames(skeleton);
    if (frames < 1) return;
    const double rate = std::isfinite(skeleton.FFrameRate) && skeleton.FFrameRate > 0 ? skeleton.FFrameRate : 30;
    std::vector<float> times(size_t(frames), 0);
    for (int32_t f = 0; f < frames; ++f) times[size_t(f)] = float(f / rate);
    for (size_t f = 1; f < times.size(); ++f)
        if (!(times[f] > times[f - 1])) times[f] = std::nextafter(times[f - 1], INFINITY);
    TGltfAnimation animation;
    animation.Name = "animation";
    for (size_t i = 0; i < s.node.size(); ++i) {
        const TGL3dsBone* bone = skeleton.FBone[i];
        if (!bone) continue;
        const bool moves = keyed(bone->FTranslateFrame, bone->FNumTranslateFrames, skeleton.FBVHMotion);
        const bool turns = keyed(bone->FRotateFrame, bone->FNumRotateFrames, skeleton.FBVHMotion);
        TGltfChannel t{s.node[i], TGltfChannel::TPath::Translation, times, {}};
        TGltfChannel r{s.node[i], TGltfChannel::TPath::Rotation, times, {}};
        std::array<float, 4> last{0, 0, 0, 1};
        for (int32_t f = 1; f <= frames && (moves || turns); ++f) {
            const BonePose pose = localPose(*bone, float(f));
            const std::array<float, 3> p = scaled(pose.Translation, b.options.Scale);
            t.Values.insert(t.Values.end(), p.begin(), p.end());
            std::array<float, 4> q = unitQuat(pose.Rotation);
            // Each key on the side of the one before, so that every reader turns the short way.
            if (q[0] * last[0] + q[1] * last[1] + q[2] * last[2] + q[3] * last[3] < 0)
                for (float& c : q) c = -c;
            r.Values.insert(r.Values.end(), q.begin(), q.end());
            last = q;
        }
        if (moves) animation.Channels.push_back(std::move(t));
        if (turns) animation.Channels.push_back(std::move(r));
    }
    if (!animation.Channels.empty()) b.scene.Animations.push_back(std::move(animation));
}

}  // namespace

TGltfScene BuildGltfScene(const TGLAll3dsMesh& Model, const TGltfOptions& Options) {
    return BuildGltfScene(Model, ReadKeyframerOf(Model), Options);
}

TGltfScene BuildGltfScene(const TGLAll3dsMesh& Model, const TKeyframer& Keyframer, const TGltfOptions& Options) {
    return buildScene(Model, Keyframer, Options, nullptr);
}

TGltfScene vtrl3ds_internal::buildScene(const TGLAll3dsMesh& Model, const TKeyframer& Keyframer,
                                        const TGltfOptions& Options, std::vector<GltfMeshExtras>* extras) {
    SceneBuilder b{Model, Options};
    b.extras = extras;
    const TGLSkeleton* skeleton = CurrentSkeleton(Model);
    if (skeleton && boneCount(*skeleton) == 0) skeleton = nullptr;
    if (skeleton && !skeleton->FBVHMotion) b.skeleton = skeleton;
    SkeletonNodes s;
    int32_t skin = -1;
    if (skeleton) s = addSkeleton(b, *skeleton);
    const std::vector<bool> placed = keyframerPlaces(Model, Keyframer);
    b.prepare(placed);
    addKeyframer(b, Keyframer);
    for (size_t i = 0; i < meshCount(Model); ++i) {
        const TGL3dsMesh* mesh = Model.FMesh[i];
        if (!mesh || (i < placed.size() && placed[i])) continue;
        const bool skinned = b.meshIsSkinned(*mesh);
        if (skinned && skin < 0) skin = addSkin(b, s);
        const int32_t m = b.mesh(*mesh);
        if (b.scene.Meshes[size_t(m)].Primitives.empty()) {
            b.dropLastMesh();
            continue;
        }
        b.scene.Roots.push_back(static_cast<int32_t>(b.scene.Nodes.size()));
        b.scene.Nodes.push_back(
            {Cp1252ToUtf8(mesh->FName), m, skinned ? skin : -1, {0, 0, 0}, {0, 0, 0, 1}, {}, {1, 1, 1}});
    }
    // A file of materials alone keeps them, although nothing uses them.
    if (b.scene.Meshes.empty())
        for (size_t i = 0; i < Model.FMaterial.size(); ++i) b.material(i);
    if (skeleton) {
        b.scene.Roots.push_back(s.root);
        addAnimation(b, *skeleton, s);
    }
    return std::move(b.scene);
}
