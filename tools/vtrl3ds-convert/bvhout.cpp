// The converter's BVH output: the input's motion (a BVH file as read, or a model's skeleton
// sampled once a frame) cut, resampled and given another rotation order as the command line asks,
// then saved. Every failure is the library's error, raised to the caller.
#include "convert.h"
#include "vtrl3ds/host.h"
#include "vtrl3ds/motion.h"

void WriteBvhOutput(const TConvertOptions& Options, const std::string& Input) {
    TMotion motion = LoadMotionOrSkeleton(Input);
    if (Options.CutFrames)
        motion = CutFrames(motion, Options.FirstFrame, Options.LastFrame.value_or(motion.FNumFrames));
    if (Options.Fps > 0) motion = Resample(motion, Options.Fps);
    if (!Options.Order.empty()) motion = WithRotationOrder(motion, Options.Order);
    SaveMotion(motion, Options.Output);
}
