// Motions as tables: a joint hierarchy with each joint's channels in its own order and the motion
// numbers in one contiguous frames x channels array, as a BVH file holds them. Reading and writing
// BVH (formats/bvh.cpp, formats/bvhwrite.cpp), a skeleton's animation sampled into a table, world
// positions, rotation-order rewrites, resampling and cutting (animation/motion*.cpp). Failures are
// EModelError kinds (errors.h): ERangeError for a table whose parts disagree or an argument out of
// range, EConvertError for text BVH cannot hold, EFileError for a file that cannot be read or written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "vtrl3ds/types.h"

class TGLSkeleton;

// One motion: joints in file order (every parent before its children), their channels, and the
// numbers of every frame, channel after channel in joint order. Angles are degrees.
class TMotion {
  public:
    std::vector<std::string> FJoints;                 // joint names
    std::vector<int32_t> FParents;                    // parent's index per joint; -1 for a root
    std::vector<T3dpoint> FOffsets;                   // rest offset from the parent per joint
    std::vector<std::vector<std::string>> FChannels;  // channel names per joint, in column order
    std::vector<bool> FHasEndSite;                    // the joint ends in an End Site
    std::vector<T3dpoint> FEndSites;                  // that End Site's offset (zero when none)
    double FFrameTime = 1.0 / 30;                     // seconds between frames
    size_t FNumFrames = 0;
    std::vector<float> FValues;  // FNumFrames x ChannelCount() numbers, one frame after another

    // The number of channels over all joints: the width of a frame.
    size_t ChannelCount() const;
    // The first column of each joint's channels.
    std::vector<size_t> FirstColumns() const;
    // Raises ERangeError naming Routine and the first disagreement: sizes of the per-joint lists,
    // a parent that does not come before its joint, FValues not FNumFrames x ChannelCount(), a
    // frame time that is not a positive number; EConvertError for a name or channel BVH cannot hold.
    void Check(const char* Routine) const;
};

// Reads a BVH file into a table: the same parse as TGLSkeleton::LoadBVHFromFile, with its errors.
TMotion LoadMotion(const std::string& FileName);
// Reads BVH text (Source names it in messages).
TMotion MotionFromText(const std::string& Text, const std::string& Source);
// Writes Motion as BVH text that reads back to the same numbers (shortest round-trip form).
std::string MotionToText(const TMotion& Motion);
// Writes Motion as a BVH file; EFileError when the file cannot be written.
void SaveMotion(const TMotion& Motion, const std::string& FileName);

// A skeleton's animation sampled once a frame (frames 1..FNumFrames at FFrameRate): every bone
// becomes a joint with position and Z, Y, X rotation channels holding its pose relative to its
// parent. Bones are ordered parents first. ERangeError when the skeleton has no bones.
TMotion MotionFromSkeleton(TGLSkeleton& Skeleton);

// The world position of every joint at every frame: FNumFrames x joints x 3 numbers. A joint's
// local transform is its position channels (its offset on the axes it has none for), then its
// rotation channels in their order, the first one outermost.
std::vector<float> WorldPositions(const TMotion& Motion);
// The motion with the rotation channels of one joint (Joint >= 0) or of every joint that has any
// (Joint < 0) rewritten in Order ("XYZ", "ZXY", ... any permutation of X, Y, Z, ignoring case),
// each joint's pose unchanged. ERangeError for an order or joint that does not exist.
TMotion WithRotationOrder(const TMotion& Motion, const std::string& Order, int32_t Joint = -1);
// The motion at Fps frames a second over the same time span: positions and other channels
// interpolated linearly, rotations of joints with three rotation channels by slerp.
// ERangeError for a rate that is not a positive number or a result of more than 2^31 frames.
TMotion Resample(const TMotion& Motion, double Fps);
// Frames First .. Last - 1 (0-based, Last excluded). ERangeError unless 0 <= First < Last <= frames.
TMotion CutFrames(const TMotion& Motion, size_t First, size_t Last);
