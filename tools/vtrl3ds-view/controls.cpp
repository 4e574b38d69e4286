// The viewer's keys, read from the toolkit's key table once per frame: each acts once when it goes
// down (Space plays and pauses, Left / Right step a frame, Home goes to the first frame, B bones,
// W wireframe, T textures, F frames the model again), and the mouse wheel, which zooms. Playback
// follows the clock at the file's frame rate and loops (a 3DS keyframer's segment at 30 frames per
// second). Also the window caption.
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "viewer.h"
#include "vitrail/input.h"

namespace {

bool gWasDown[256] = {};

// True in the frame in which the key goes down.
bool pressed(int32_t key) {
    const bool down = SetGLKey(static_cast<char>(key));
    const bool edge = down && !gWasDown[key];
    gWasDown[key] = down;
    return edge;
}

bool animated() {
    return (ViewScene.Skeleton || ViewerKeyframed()) && ViewScene.NumFrames > 1;
}

void startPlaying(double now) {
    ViewState.PlayStart = now;
    ViewState.PlayStartFrame = ViewState.Frame;
}

// Frame at the clock: frames 1 .. NumFrames in a loop, one frame every 1 / FrameRate seconds.
float playedFrame(double now) {
    const double span = ViewScene.NumFrames - 1;
    double f = ViewState.PlayStartFrame - 1 + (now - ViewState.PlayStart) * ViewScene.FrameRate;
    f = std::fmod(f, span);
    return static_cast<float>(1 + (f < 0 ? f + span : f));
}

void step(float frames, double now, bool pause) {
    if (pause) ViewState.Playing = false;
    float f = std::floor(ViewState.Frame) + frames;
    if (f < 1) f = static_cast<float>(ViewScene.NumFrames);
    if (f > static_cast<float>(ViewScene.NumFrames)) f = 1;
    SetViewerFrame(f);
    startPlaying(now);
}

}  // namespace

void ViewerKeyboard(double Now) {
    if (pressed('B')) ViewState.ShowBones = !ViewState.ShowBones;
    if (pressed('W')) ViewState.Wireframe = !ViewState.Wireframe;
    if (pressed('T')) ViewState.ShowTextures = !ViewState.ShowTextures;
    if (pressed('F')) ResetViewerCamera(ViewState.StartYaw, ViewState.StartPitch);
    const bool space = pressed(VK_SPACE), left = pressed(VK_LEFT), right = pressed(VK_RIGHT),
               home = pressed(VK_HOME);
    if (!animated()) return;
    if (space) {
        ViewState.Playing = !ViewState.Playing;
        // Paused on the frame the caption names.
        if (!ViewState.Playing) SetViewerFrame(std::floor(ViewState.Frame));
        startPlaying(Now);
    }
    if (left) step(-1, Now, true);
    if (right) step(1, Now, true);
    if (home) step(1 - std::floor(ViewState.Frame), Now, false);
    if (ViewState.Playing) SetViewerFrame(playedFrame(Now));
}

// Each notch away from the user brings the camera a tenth of its distance nearer; towards the
// user moves it as far back. Depth is the toolkit's right-drag zoom, so the two add up.
void ViewerWheel(int32_t Delta) {
    const float notches = static_cast<float>(Delta) / 120.0f;
    const float distance = ViewState.Distance + Depth;
    const float step = notches * 0.1f * distance;
    Depth -= step;
    Depth2 -= step;
}

std::string ViewerCaption(const std::string& File) {
    std::string caption = std::filesystem::path(File).filename().string() + " - " +
                          std::to_string(ViewScene.Triangles) + " triangles";
    if (ViewScene.Motion && ViewScene.Skeleton)
        caption += " - " + std::to_string(ViewScene.Skeleton->FNumBones) + " bones";
    if (animated()) {
        char frame[64];
        const int shown = static_cast<int>(std::floor(ViewState.Frame));
        if (ViewerKeyframed())  // the file's own frame numbers, over its segment
            std::snprintf(frame, sizeof frame, " - frame %d of %d..%d",
                          static_cast<int>(ViewerKeyframerFrame(float(shown))),
                          ViewScene.Keyframer.SegmentStart, ViewScene.Keyframer.SegmentEnd);
        else
            std::snprintf(frame, sizeof frame, " - frame %d of %d", shown, ViewScene.NumFrames);
        caption += frame;
    }
    return caption;
}
