// The keyframer section of a 3DS file: the node tree (objects, dummies, cameras and their targets,
// lights), pivots, instances, the tracks that move them and the segment. ReadKeyframer reads it
// apart from the model, leaving what the loaders fill untouched; EvaluateKeyframer gives every
// node's matrix at a fractional frame; PlaceMeshes turns them into placements of a loaded model's
// meshes. Only a file that cannot be opened raises (EStreamError); bad content is repaired and
// named in FWarnings.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "vtrl3ds/stream.h"
#include "vtrl3ds/types.h"

class TGLAll3dsMesh;
class TGL3dsMesh;

// What a keyframer node stands for (the chunk that describes it).
enum class TKfNodeType : uint8_t { Ambient, Object, Camera, CameraTarget, Light, Spotlight, LightTarget };

// One key of a track: its frame, its spline parameters and its value.
struct TKfKey {
    int32_t Frame = 0;
    float Tension = 0, Continuity = 0, Bias = 0, EaseTo = 0, EaseFrom = 0;
    // Position or scale: X, Y, Z as stored. Rotation: the angle (radians) and the axis X, Y, Z of
    // the turn from the previous key. Hide: unused.
    float Value[4]{};
    // Rotation only: the rotation accumulated up to this key, as a quaternion X, Y, Z, W.
    float Quat[4]{0, 0, 0, 1};
};

// A track: its flags (bit 0 repeats after the last key, bit 1 runs the spline across the ends)
// and its keys in frame order, one per frame.
struct TKfTrack {
    uint16_t Flags = 0;
    std::vector<TKfKey> Keys;
};

// One node of the tree.
struct TKfNode {
    TKfNodeType Type = TKfNodeType::Object;
    uint16_t Id = 0;       // the file's node number (its place among the nodes when not given)
    std::string Name;      // the mesh, camera or light it moves; "$$$DUMMY" for a dummy
    std::string Instance;  // the instance's own name (a dummy's name), empty when none
    uint16_t ParentId = 0xFFFF;
    int32_t Parent = -1;  // index into TKeyframer::Nodes, -1 for a root
    uint16_t Flags1 = 0, Flags2 = 0;
    T3dpoint Pivot{}, BoxMin{}, BoxMax{};
    TKfTrack Position, Rotation, Scale, Hide;
    bool IsDummy() const { return Name == "$$$DUMMY"; }
};

struct TKeyframer {
    int32_t SegmentStart = 0, SegmentEnd = 0;  // the segment played (first and last frame)
    int32_t CurrentFrame = 0;
    std::vector<TKfNode> Nodes;         // in file order
    std::vector<int32_t> Order;         // node indices, every parent before its children
    std::vector<std::string> Warnings;  // one line per kind of repair made while reading
    bool Empty() const { return Nodes.empty(); }
};

// A 4x4 matrix, column-major like clsMatrix and OpenGL.
using TKfMatrix = std::array<float, 16>;

// One node at one frame: its matrix (the parent chain of translation, rotation and scale, the
// pivot not applied) and whether the hide track hides it.
struct TKfNodePose {
    TKfMatrix World;
    bool Hidden = false;
};

// One placement of a mesh by an object node: Matrix takes the mesh's vertices as the model holds
// them (Y and Z exchanged, pivot subtracted, master scale applied) to the posed scene in the same
// axes and scale. A mesh is placed once per node naming it (instances place it again).
struct TKfPlacement {
    int32_t Mesh = 0;  // index into the model's FMesh
    int32_t Node = 0;  // index into TKeyframer::Nodes
    TKfMatrix Matrix;
    bool Hidden = false;
};

// Reads the keyframer section of the named 3DS file; a file without one gives an empty keyframer.
TKeyframer ReadKeyframer(const std::string& FileName);
// The same from a stream, from its position to its end.
TKeyframer ReadKeyframerFromStream(TStream& Stream);
// The keyframer of the file a model was last loaded from (FName) when that was a 3DS file; empty
// for other models and for a file that can no longer be read.
TKeyframer ReadKeyframerOf(const TGLAll3dsMesh& Model);

// One node's own placement at Frame, its parent not applied, in the file's axes and units:
// translation, rotation (a unit quaternion X, Y, Z, W) and scale, composed as T x R x S, and
// whether its hide track hides it. Nodes other than objects and dummies follow their position only.
struct TKfLocalPose {
    T3dpoint Translation{0, 0, 0};
    std::array<float, 4> Rotation{0, 0, 0, 1};
    T3dpoint Scale{1, 1, 1};
    bool Hidden = false;
};

// The node's own tracks at Frame, evaluated as EvaluateKeyframer does.
TKfLocalPose EvaluateKfNode(const TKfNode& Node, float Frame, bool Ease = true);

// Every node's pose at Frame (fractional frames interpolate): Kochanek-Bartels splines with ease
// for position and scale, rotations accumulated from the angle-axis keys and interpolated on the
// quaternion sphere, parents applied first. Ease = false leaves the ease parameters out.
std::vector<TKfNodePose> EvaluateKeyframer(const TKeyframer& Keyframer, float Frame, bool Ease = true);

// The placements of the model's meshes at Frame: node world x pivot x inverse mesh matrix (chunk
// 0x4160), brought into the model's axes and scale. Nodes naming no mesh of the model place nothing.
std::vector<TKfPlacement> PlaceMeshes(const TKeyframer& Keyframer, const TGLAll3dsMesh& Model, float Frame,
                                      bool Ease = true);

// Out := the mesh's vertices moved by Matrix (a placement's).
void PoseVertices(const TGL3dsMesh& Mesh, const TKfMatrix& Matrix, std::vector<T3dpoint>& Out);

// The name a node type is printed with ("object", "dummy", "camera", ...).
std::string KfNodeTypeName(const TKfNode& Node);
